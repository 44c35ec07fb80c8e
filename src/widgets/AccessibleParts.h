#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QRect>
#include <QString>
#include <unordered_map>

namespace vorin::accessibility {

// A piece of a self-drawn widget that has no QObject of its own (a tab, a
// list row, a table cell) as screen readers see it: a child of the widget's
// interface. It keeps only the widget and where it sits and reads everything
// else from the widget when asked, so a part handed out long ago never tells
// stale texts; a part whose place no longer exists reports itself invalid.
class WidgetPart : public QAccessibleInterface
{
public:
    explicit WidgetPart(QWidget *widget) : m_widget(widget) {}

    [[nodiscard]] bool isValid() const override { return m_widget && exists(); }
    [[nodiscard]] QObject *object() const override { return nullptr; }
    [[nodiscard]] QWindow *window() const override;
    [[nodiscard]] QAccessibleInterface *parent() const override;
    [[nodiscard]] QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface *child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
    [[nodiscard]] QRect rect() const override;

protected:
    [[nodiscard]] QWidget *widget() const { return m_widget; }
    // Whether the part's place still exists in the widget.
    [[nodiscard]] virtual bool exists() const = 0;
    // Where the part is drawn, in the coordinates of `area()`; empty while it
    // is scrolled out of view.
    [[nodiscard]] virtual QRect localRect() const = 0;
    // The widget the part is drawn on: the viewport of a scroll area.
    [[nodiscard]] virtual QWidget *area() const { return m_widget; }
    // Shown, focusable and the like, as the widget is; the offscreen state
    // when the part lies out of view.
    [[nodiscard]] QAccessible::State baseState() const;

private:
    QPointer<QWidget> m_widget;
};

// The parts a widget's interface has handed out, each made on first request
// and registered with QAccessible (which assistive tools address them
// through) until the interface itself goes. A part is made only when a tool
// asks for it, so a table of ten thousand rows costs nothing until read.
class PartCache
{
public:
    PartCache() = default;
    PartCache(const PartCache &) = delete;
    PartCache &operator=(const PartCache &) = delete;
    ~PartCache();

    template <typename Make> QAccessibleInterface *get(quint64 key, Make &&make) const
    {
        const auto found = m_ids.find(key);
        if (found != m_ids.end())
            return QAccessible::accessibleInterface(found->second);
        QAccessibleInterface *part = make();
        m_ids.emplace(key, QAccessible::registerAccessibleInterface(part));
        return part;
    }

private:
    mutable std::unordered_map<quint64, QAccessible::Id> m_ids;
};

// A widget that reads as a table: a self-drawn grid, or a chart's data. Its
// children are the column headers (when it has any) and then the cells, row
// by row; a subclass says what the rows, columns and texts are.
class AccessibleTable : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    AccessibleTable(QWidget *widget, QAccessible::Role role);

    void *interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface *child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override;
    [[nodiscard]] QAccessibleInterface *childAt(int x, int y) const override;
    [[nodiscard]] QAccessibleInterface *focusChild() const override;

    // --- what the subclass tells; rows and columns count from 0 in the table
    [[nodiscard]] virtual bool hasColumnHeaders() const { return true; }
    [[nodiscard]] virtual QString headerText(int column) const = 0;
    [[nodiscard]] virtual QString cellText(int row, int column) const = 0;
    // In the coordinates of `cellArea()`; empty while out of view.
    [[nodiscard]] virtual QRect cellRect(int row, int column) const = 0;
    [[nodiscard]] virtual QWidget *cellArea() const { return widget(); }
    [[nodiscard]] virtual bool isCellSelected(int row, int column) const = 0;
    [[nodiscard]] virtual bool isCellFocused(int row, int column) const = 0;
    // Makes the cell current as the user's click would; false if refused.
    virtual bool selectCell(int row, int column) = 0;
    // The column that names each row (a type, a size band), or -1.
    [[nodiscard]] virtual int rowHeaderColumn() const { return 0; }

    // The child index of a cell (row -1: its column's header), for events.
    [[nodiscard]] int childIndex(int row, int column) const;
    [[nodiscard]] QAccessibleInterface *cell(int row, int column) const;

    // --- the table interface, answered from the above
    [[nodiscard]] QAccessibleInterface *caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface *summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface *cellAt(int row, int column) const override;
    [[nodiscard]] int selectedCellCount() const override;
    [[nodiscard]] QList<QAccessibleInterface *> selectedCells() const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int row) const override;
    [[nodiscard]] int selectedColumnCount() const override { return 0; }
    [[nodiscard]] int selectedRowCount() const override;
    [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
    [[nodiscard]] QList<int> selectedRows() const override;
    [[nodiscard]] bool isColumnSelected(int) const override { return false; }
    [[nodiscard]] bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Cells read the table when asked, so a changed table leaves nothing stale.
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    [[nodiscard]] bool inTable(int row, int column) const;
    [[nodiscard]] int headerCount() const { return hasColumnHeaders() ? columnCount() : 0; }

    PartCache m_cells;
};

// Where the widgets' announcements go: to Qt, which hands them to the screen
// reader while one listens. Tests put a recorder in its place; the previous
// one is returned.
using Announcer = void (*)(QAccessibleEvent *event);
Announcer setAnnouncer(Announcer announcer);
// Whether anyone listens: building an event asks for the widget's interface,
// which is wasted work when no screen reader runs.
[[nodiscard]] bool listening();

// Sends an event about a child of a widget's interface while anyone listens.
void announce(QWidget *widget, QAccessible::Event type, int child);
void announceState(QWidget *widget, int child, QAccessible::State changed);
void announceWhole(QAccessibleEvent &event);

} // namespace vorin::accessibility
