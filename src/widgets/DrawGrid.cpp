#include "widgets/DrawGrid.h"

#include "widgets/Accessibility.h"
#include "widgets/DialogKeys.h"
#include "widgets/PainterGuard.h"

#include <algorithm>
#include <climits>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace vorin {

DrawGrid::DrawGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_fixedColor = palette().color(QPalette::Button);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(16);
    updateScrollBars();
}

void DrawGrid::gridChanged()
{
    updateScrollBars();
    viewport()->update();
}

void DrawGrid::setColCount(int columns)
{
    m_colCount = std::max(0, columns);
    gridChanged();
}

void DrawGrid::setRowCount(int rows)
{
    m_rowCount = std::max(0, rows);
    gridChanged();
}

void DrawGrid::setFixedRows(int rows)
{
    m_fixedRows = std::max(0, rows);
    gridChanged();
}

void DrawGrid::setFixedBottomRows(int rows)
{
    m_fixedBottomRows = std::max(0, rows);
    gridChanged();
}

int DrawGrid::colWidth(int column) const
{
    if (column >= 0 && column < m_colWidths.size() && m_colWidths[column] >= 0)
        return m_colWidths[column];
    return m_defaultColWidth;
}

void DrawGrid::setColWidth(int column, int pixels)
{
    if (column < 0)
        return;
    while (m_colWidths.size() <= column)
        m_colWidths << -1;
    m_colWidths[column] = std::max(0, pixels);
    gridChanged();
}

void DrawGrid::setColWidths(const QList<int> &pixels)
{
    m_colWidths = pixels;
    gridChanged();
}

void DrawGrid::setDefaultColWidth(int pixels)
{
    m_defaultColWidth = std::max(0, pixels);
    gridChanged();
}

void DrawGrid::setRowHeight(int pixels)
{
    m_rowHeight = std::max(1, pixels);
    gridChanged();
}

void DrawGrid::setGridLines(GridLines lines)
{
    m_gridLines = lines;
    viewport()->update();
}

void DrawGrid::setRowSelect(bool wholeRow)
{
    m_rowSelect = wholeRow;
    viewport()->update();
}

void DrawGrid::setCellColor(const QColor &color)
{
    m_cellColor = color;
    viewport()->update();
}

void DrawGrid::setFixedColor(const QColor &color)
{
    m_fixedColor = color;
    viewport()->update();
}

void DrawGrid::setSelection(int column, int row)
{
    m_col = column;
    m_row = row;
    scrollToRow(row);
    viewport()->update();
    accessibility::gridCurrentChanged(*this);
}

QString DrawGrid::cellText(int, int) const
{
    return {};
}

bool DrawGrid::trySelectCell(int column, int row)
{
    if (column < 0 || column >= m_colCount || row < 0 || row >= m_rowCount || isFixedRow(row))
        return false;
    if (column == m_col && row == m_row)
        return true;
    if (m_selectCell && !m_selectCell(column, row))
        return false;
    setSelection(column, row);
    emit cellSelected(column, row);
    return true;
}

void DrawGrid::setDrawCellHandler(DrawCellHandler handler)
{
    m_drawCell = std::move(handler);
    viewport()->update();
}

void DrawGrid::setSelectCellHandler(SelectCellHandler handler)
{
    m_selectCell = std::move(handler);
}

void DrawGrid::setContextMenu(QMenu *menu)
{
    m_contextMenu = menu;
}

bool DrawGrid::isFixedRow(int row) const
{
    return row < m_fixedRows || row >= m_rowCount - m_fixedBottomRows;
}

int DrawGrid::scrollingRows() const
{
    return std::max(0, m_rowCount - m_fixedRows - m_fixedBottomRows);
}

int DrawGrid::visibleScrollingRows() const
{
    const int area = viewport()->height() - (m_fixedRows + m_fixedBottomRows) * m_rowHeight;
    return std::max(1, area / m_rowHeight);
}

int DrawGrid::topRow() const
{
    return m_fixedRows + verticalScrollBar()->value();
}

int DrawGrid::rowTop(int row) const
{
    if (row < 0 || row >= m_rowCount)
        return INT_MIN;
    if (row < m_fixedRows)
        return row * m_rowHeight;
    const int headerHeight = m_fixedRows * m_rowHeight;
    const int footerFirst = m_rowCount - m_fixedBottomRows;
    const bool allFit = scrollingRows() <= visibleScrollingRows();
    if (row >= footerFirst) {
        // The footer follows the last row while everything fits, and stays
        // at the bottom edge once the body has to scroll.
        const int offset = (row - footerFirst) * m_rowHeight;
        if (allFit)
            return headerHeight + scrollingRows() * m_rowHeight + offset;
        return viewport()->height() - m_fixedBottomRows * m_rowHeight + offset;
    }
    if (row < topRow())
        return INT_MIN;
    const int y = headerHeight + (row - topRow()) * m_rowHeight;
    const int bodyBottom =
        allFit ? INT_MAX : viewport()->height() - m_fixedBottomRows * m_rowHeight;
    return y < bodyBottom ? y : INT_MIN;
}

int DrawGrid::colLeft(int column) const
{
    int x = -horizontalScrollBar()->value();
    for (int c = 0; c < column; ++c)
        x += colWidth(c);
    return x;
}

int DrawGrid::totalWidth() const
{
    int width = 0;
    for (int c = 0; c < m_colCount; ++c)
        width += colWidth(c);
    return width;
}

QRect DrawGrid::cellRect(int column, int row) const
{
    if (column < 0 || column >= m_colCount)
        return {};
    const int y = rowTop(row);
    if (y == INT_MIN)
        return {};
    return {colLeft(column), y, colWidth(column), m_rowHeight};
}

QPoint DrawGrid::cellAt(const QPoint &position) const
{
    for (int r = 0; r < m_rowCount; ++r) {
        const int y = rowTop(r);
        if (y == INT_MIN || position.y() < y || position.y() >= y + m_rowHeight)
            continue;
        int x = colLeft(0);
        for (int c = 0; c < m_colCount; ++c) {
            if (position.x() >= x && position.x() < x + colWidth(c))
                return {c, r};
            x += colWidth(c);
        }
        break;
    }
    return {-1, -1};
}

void DrawGrid::scrollToRow(int row)
{
    if (row < m_fixedRows || row >= m_rowCount - m_fixedBottomRows)
        return;
    // Before the grid has its size the rows in view are unknown; the resize
    // brings the row into view then.
    if (testAttribute(Qt::WA_PendingResizeEvent)) {
        m_pendingScrollRow = row;
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const int body = row - m_fixedRows;
    if (body < bar->value())
        bar->setValue(body);
    else if (body >= bar->value() + visibleScrollingRows())
        bar->setValue(body - visibleScrollingRows() + 1);
}

void DrawGrid::updateScrollBars()
{
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, scrollingRows() - visibleScrollingRows()));
    vertical->setPageStep(visibleScrollingRows());
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, totalWidth() - viewport()->width()));
    horizontal->setPageStep(std::max(1, viewport()->width()));
}

QSize DrawGrid::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return {std::min(totalWidth(), 640) + frame + 1,
            std::min(m_rowCount, 12) * m_rowHeight + frame + 1};
}

GridCellState DrawGrid::stateOf(int column, int row) const
{
    GridCellState state;
    state.fixed = isFixedRow(row);
    if (!state.fixed && row == m_row)
        state.selected = m_rowSelect || column == m_col;
    state.focused = !state.fixed && row == m_row && column == m_col && hasFocus();
    return state;
}

void DrawGrid::drawCell(QPainter &painter, const QRect &rect, int column, int row,
                        const GridCellState &state)
{
    callDrawCellHandler(painter, rect, column, row, state);
}

void DrawGrid::callDrawCellHandler(QPainter &painter, const QRect &rect, int column, int row,
                                   const GridCellState &state)
{
    if (m_drawCell)
        m_drawCell(painter, rect, column, row, state);
}

void DrawGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    painter.fillRect(viewport()->rect(), m_cellColor);
    const QPalette &colours = palette();
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const QColor lineColour = colours.color(QPalette::Mid);

    for (int r = 0; r < m_rowCount; ++r) {
        if (rowTop(r) == INT_MIN)
            continue;
        for (int c = 0; c < m_colCount; ++c) {
            const QRect rect = cellRect(c, r);
            if (rect.right() < 0 || rect.left() >= viewport()->width())
                continue;
            const GridCellState state = stateOf(c, r);
            const PainterGuard guard(painter);
            if (state.fixed) {
                painter.fillRect(rect, m_fixedColor);
                // Fixed cells stand out as raised buttons.
                painter.setPen(colours.color(QPalette::Light));
                painter.drawLine(rect.topLeft(), rect.topRight());
                painter.drawLine(rect.topLeft(), rect.bottomLeft());
                painter.setPen(colours.color(QPalette::Dark));
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                painter.drawLine(rect.topRight(), rect.bottomRight());
            } else {
                if (state.selected)
                    painter.fillRect(rect, colours.color(group, QPalette::Highlight));
                painter.setPen(lineColour);
                if (m_gridLines & HorizontalLines)
                    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                if (m_gridLines & VerticalLines)
                    painter.drawLine(rect.topRight(), rect.bottomRight());
            }
            painter.setPen(state.selected ? colours.color(group, QPalette::HighlightedText)
                                          : colours.color(QPalette::Active, QPalette::Text));
            painter.setClipRect(rect);
            drawCell(painter, rect, c, r, state);
            if (state.focused) {
                QPen dots(colours.color(group, QPalette::HighlightedText));
                dots.setStyle(Qt::DotLine);
                painter.setPen(dots);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect.adjusted(1, 1, -2, -2));
            }
        }
    }
}

void DrawGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        const QPoint global = viewport()->mapToGlobal(event->position().toPoint());
        emit contextMenuRequested(global, cell.x(), cell.y());
        if (m_contextMenu)
            m_contextMenu->popup(global);
        return;
    }
    if (event->button() != Qt::LeftButton || cell.x() < 0) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    trySelectCell(cell.x(), cell.y());
    emit cellClicked(cell.x(), cell.y());
}

void DrawGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || cell.x() < 0 || isFixedRow(cell.y())) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    emit cellActivated(cell.x(), cell.y());
}

void DrawGrid::keyPressEvent(QKeyEvent *event)
{
    if (isMenuKey(*event)) {
        openMenuForCurrent();
        return;
    }
    int column = m_col;
    int row = m_row;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Only a row the user can see as current: a grid with no current
        // row lets Enter go on to its window.
        if (m_row >= m_fixedRows && m_row < m_rowCount - m_fixedBottomRows && m_col >= 0 &&
            m_col < m_colCount &&
            isSignalConnected(QMetaMethod::fromSignal(&DrawGrid::cellActivated))) {
            emit cellActivated(m_col, m_row);
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_PageUp:
        row -= visibleScrollingRows();
        break;
    case Qt::Key_PageDown:
        row += visibleScrollingRows();
        break;
    case Qt::Key_Home:
        row = m_fixedRows;
        break;
    case Qt::Key_End:
        row = m_rowCount - m_fixedBottomRows - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    column = std::clamp(column, 0, std::max(0, m_colCount - 1));
    row = std::clamp(row, m_fixedRows, std::max(m_fixedRows, m_rowCount - m_fixedBottomRows - 1));
    trySelectCell(column, row);
}

void DrawGrid::contextMenuEvent(QContextMenuEvent *event)
{
    // A mouse right click was answered on the press.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    openMenuForCurrent();
}

void DrawGrid::openMenuForCurrent()
{
    const QRect rect = cellRect(m_col, m_row);
    const QPoint global = viewport()->mapToGlobal(rect.isNull() ? QPoint(4, 4) : rect.center());
    emit contextMenuRequested(global, m_col, m_row);
    if (m_contextMenu)
        m_contextMenu->popup(global);
}

void DrawGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (m_pendingScrollRow >= 0) {
        const int pending = m_pendingScrollRow;
        m_pendingScrollRow = -1;
        scrollToRow(pending);
    }
}

void DrawGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

} // namespace vorin
