#pragma once

#include <functional>
#include <QAbstractScrollArea>
#include <QColor>
#include <QList>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRect>

namespace vorin {

// How one cell is to be drawn.
struct GridCellState
{
    bool fixed = false;    // a header or footer cell
    bool selected = false; // in the highlighted cell or row
    bool focused = false;  // the current cell while the grid has the focus
};

// A grid of equally high rows and sized columns whose cells are drawn by a
// handler. The top `fixedRows` rows stay in place as headings and the last
// `fixedBottomRows` rows as a footer; the rows between scroll. Selecting a
// cell with mouse or keyboard asks an optional handler, which can refuse.
// Stores no cell data; GUI thread only.
class DrawGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum GridLine { NoLines = 0, HorizontalLines = 1, VerticalLines = 2, AllLines = 3 };
    Q_DECLARE_FLAGS(GridLines, GridLine)

    using DrawCellHandler =
        std::function<void(QPainter &, const QRect &, int column, int row, const GridCellState &)>;
    using SelectCellHandler = std::function<bool(int column, int row)>;

    explicit DrawGrid(QWidget *parent = nullptr);

    [[nodiscard]] int colCount() const { return m_colCount; }
    virtual void setColCount(int columns);
    [[nodiscard]] int rowCount() const { return m_rowCount; }
    virtual void setRowCount(int rows);
    [[nodiscard]] int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    [[nodiscard]] int fixedBottomRows() const { return m_fixedBottomRows; }
    void setFixedBottomRows(int rows);

    [[nodiscard]] int colWidth(int column) const;
    void setColWidth(int column, int pixels);
    void setColWidths(const QList<int> &pixels);
    [[nodiscard]] int defaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int pixels);
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int pixels);

    [[nodiscard]] GridLines gridLines() const { return m_gridLines; }
    void setGridLines(GridLines lines);
    // Highlight the whole row of the current cell.
    [[nodiscard]] bool rowSelect() const { return m_rowSelect; }
    void setRowSelect(bool wholeRow);
    [[nodiscard]] QColor cellColor() const { return m_cellColor; }
    void setCellColor(const QColor &color);
    [[nodiscard]] QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &color);

    // The current cell. May lie outside the grid (for instance column 20,
    // row 20), which leaves no cell highlighted.
    [[nodiscard]] int col() const { return m_col; }
    [[nodiscard]] int row() const { return m_row; }
    // Sets the current cell from code, without asking the select handler.
    void setSelection(int column, int row);
    // Selects as a user would: only cells that can scroll, and only when the
    // select handler agrees. Returns whether the cell is now current.
    bool trySelectCell(int column, int row);

    // The text a cell shows, as a screen reader reads it; a grid that draws
    // its cells from elsewhere has none to tell.
    [[nodiscard]] virtual QString cellText(int column, int row) const;

    void setDrawCellHandler(DrawCellHandler handler);
    void setSelectCellHandler(SelectCellHandler handler);
    // Shown at the pointer on a right click; not owned.
    void setContextMenu(QMenu *menu);
    [[nodiscard]] QMenu *contextMenu() const { return m_contextMenu; }

    // Geometry in viewport coordinates; an empty rectangle for a cell out of view.
    [[nodiscard]] QRect cellRect(int column, int row) const;
    // Column and row under the point, or (-1, -1).
    [[nodiscard]] QPoint cellAt(const QPoint &position) const;
    // The first scrolling row in view.
    [[nodiscard]] int topRow() const;
    void scrollToRow(int row);
    [[nodiscard]] int totalWidth() const;

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void cellSelected(int column, int row);
    void cellClicked(int column, int row);
    // A double click on a scrolling cell, or Enter on the current one: the
    // user asks for what the cell stands for.
    void cellActivated(int column, int row);
    void contextMenuRequested(const QPoint &globalPosition, int column, int row);

protected:
    // Draws one cell's contents; the background and the lines are drawn
    // already. The default hands over to the draw handler.
    virtual void drawCell(QPainter &painter, const QRect &rect, int column, int row,
                          const GridCellState &state);
    [[nodiscard]] bool hasDrawCellHandler() const { return static_cast<bool>(m_drawCell); }
    void callDrawCellHandler(QPainter &painter, const QRect &rect, int column, int row,
                             const GridCellState &state);
    [[nodiscard]] bool isFixedRow(int row) const;
    [[nodiscard]] GridCellState stateOf(int column, int row) const;
    void gridChanged();

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    [[nodiscard]] int scrollingRows() const;
    [[nodiscard]] int visibleScrollingRows() const;
    [[nodiscard]] int rowTop(int row) const; // INT_MIN when out of view
    [[nodiscard]] int colLeft(int column) const;
    void updateScrollBars();
    void openMenuForCurrent();

    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedRows = 1;
    int m_fixedBottomRows = 0;
    QList<int> m_colWidths;
    int m_defaultColWidth = 64;
    int m_rowHeight = 19;
    GridLines m_gridLines = AllLines;
    bool m_rowSelect = false;
    QColor m_cellColor{Qt::white};
    QColor m_fixedColor;
    int m_col = 0;
    int m_row = 1;
    int m_pendingScrollRow = -1;
    DrawCellHandler m_drawCell;
    SelectCellHandler m_selectCell;
    QPointer<QMenu> m_contextMenu;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DrawGrid::GridLines)

} // namespace vorin
