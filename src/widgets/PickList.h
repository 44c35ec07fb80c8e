#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

class QFontMetrics;
#include <QMenu>

namespace vorin {

// One piece of a row's text between TAB characters, and where it starts,
// measured from the left edge of the row's text.
struct TabSegment
{
    int x = 0;
    QString text;
};

// Splits `text` at its TABs. A TAB jumps to the first tab stop to the right
// of the text so far. A single stop repeats at its own interval; beyond the
// last of several stops (or with none) the stops repeat every
// `defaultInterval` pixels, as in the classic list box.
[[nodiscard]] std::vector<TabSegment> layoutTabbedText(const QString &text,
                                                       const QFontMetrics &metrics,
                                                       const QList<int> &tabStops,
                                                       int defaultInterval);

// A list of text rows for choosing several entries: drives, file types.
//
// In the Toggle style (the default) each row shows a check box that is ticked
// while the row is selected and a plain click toggles the row. In the
// Extended style there are no boxes by default and the selection follows
// the desktop rules: click, Ctrl+click, Shift+click, drag.
//
// Rows are plain texts kept in one vector and drawn by the list itself; only
// the rows in view are painted, so filling several thousand rows in one
// `setItems` call costs a vector copy and one repaint. Lives on the GUI
// thread.
class PickList : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum class SelectionStyle { Toggle, Extended };

    explicit PickList(QWidget *parent = nullptr);
    ~PickList() override;

    // --- rows
    [[nodiscard]] int count() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] QString item(int index) const;
    [[nodiscard]] QStringList items() const;
    void setItemText(int index, const QString &text);
    // Replaces every row; nothing is selected afterwards.
    void setItems(const QStringList &texts);
    // Returns the index the row landed on (its sorted place in sorted mode).
    int addItem(const QString &text);
    void addItems(const QStringList &texts);
    // In sorted mode the row goes to its sorted place instead of `index`.
    int insertItem(int index, const QString &text);
    void removeItem(int index);
    void clear();
    [[nodiscard]] int indexOf(const QString &text,
                              Qt::CaseSensitivity sensitivity = Qt::CaseSensitive) const;

    // Keeps rows ordered by text, letter case ignored; equal texts keep the
    // order they came in. Switching it on sorts the rows already there.
    [[nodiscard]] bool isSorted() const { return m_sorted; }
    void setSorted(bool sorted);

    // --- selection
    [[nodiscard]] bool selected(int index) const;
    // An index of -1 stands for every row.
    void setSelected(int index, bool selected);
    void setAllSelected(bool selected);
    [[nodiscard]] int selCount() const;
    [[nodiscard]] QList<int> selectedIndexes() const;
    [[nodiscard]] QStringList selectedItems() const;
    // The row with the focus mark. Setting it also selects that row; -1
    // selects every row and leaves the focus where it was.
    [[nodiscard]] int itemIndex() const { return m_current; }
    void setItemIndex(int index);
    // Toggles a row as Space does on the current row: it becomes current,
    // and the change is reported as the user's.
    void toggleItem(int index);

    // --- look and behaviour
    [[nodiscard]] SelectionStyle selectionStyle() const { return m_style; }
    void setSelectionStyle(SelectionStyle style);
    [[nodiscard]] bool hasCheckBoxes() const { return m_checkBoxes; }
    void setCheckBoxes(bool shown);
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int pixels);
    // Tab stops in pixels from the left edge of the row text, ascending.
    [[nodiscard]] QList<int> tabStops() const { return m_tabStops; }
    void setTabStops(const QList<int> &pixels);
    // The width of an average character of the list's font, for tab stops
    // given in characters.
    [[nodiscard]] int averageCharWidth() const;
    void setBackgroundColor(const QColor &color);
    // Shown at the pointer on a right click; not owned.
    [[nodiscard]] QMenu *contextMenu() const { return m_contextMenu; }
    void setContextMenu(QMenu *menu);

    // --- geometry, in viewport coordinates
    [[nodiscard]] int rowAt(const QPoint &position) const;
    [[nodiscard]] QRect rowRect(int index) const;
    [[nodiscard]] QRect checkBoxRect(int index) const;
    // The x where the row text (its first segment) starts.
    [[nodiscard]] int textLeft() const;
    // Where each TAB-separated piece of a row's text starts.
    [[nodiscard]] QList<int> segmentLefts(int index) const;
    [[nodiscard]] int topRow() const;
    void scrollToRow(int index);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    // Any change of which rows are selected, by the user or by code.
    void selectionChanged();
    // The user changed the selection by mouse or keyboard; `index` is the row
    // clicked or toggled.
    void clicked(int index);
    void doubleClicked(int index);
    // A right click (or the menu key); `index` is the row under the pointer
    // or -1.
    void contextMenuRequested(const QPoint &globalPosition, int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Row
    {
        QString text;
        bool selected = false;
    };

    [[nodiscard]] int sortedPlace(const QString &text) const;
    [[nodiscard]] int visibleRows() const;
    void updateScrollBar();
    void setCurrent(int index);
    // Sets the selection of rows [first, last]; returns whether anything changed.
    bool selectRange(int first, int last, bool selected);
    bool selectOnly(int first, int last);
    void showMenu(const QPoint &globalPosition, int index);
    void openMenuForCurrent();
    void paintRow(QPainter &painter, int index, const QRect &rect) const;
    void paintCheckBox(QPainter &painter, const QRect &box, bool ticked) const;

    std::vector<Row> m_rows;
    int m_current = -1;
    int m_anchor = -1;
    int m_pendingScrollRow = -1;
    bool m_sorted = false;
    bool m_checkBoxes = true;
    SelectionStyle m_style = SelectionStyle::Toggle;
    int m_rowHeight = 16;
    QList<int> m_tabStops;
    QPointer<QMenu> m_contextMenu;
};

} // namespace vorin
