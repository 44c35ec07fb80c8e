#include "widgets/StringGrid.h"

#include "widgets/PainterGuard.h"

#include <algorithm>
#include <cmath>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace vorin {

namespace {

constexpr int kCellMargin = 3;
// Grid pixels are screen pixels at this density.
constexpr double kScreenDpi = 96.0;

} // namespace

std::vector<std::vector<int>> paginateGridRows(int rowCount, int headerRows, int footerRows,
                                               int rowsPerPage)
{
    std::vector<std::vector<int>> pages;
    headerRows = std::clamp(headerRows, 0, rowCount);
    footerRows = std::clamp(footerRows, 0, rowCount - headerRows);
    const int bodyEnd = rowCount - footerRows;
    // A page must hold the headings and at least one more row.
    const int room = std::max(1, rowsPerPage - headerRows);

    auto newPage = [&pages, headerRows]() {
        pages.emplace_back();
        for (int r = 0; r < headerRows; ++r)
            pages.back().push_back(r);
    };
    newPage();
    int used = 0;
    const auto place = [&](int row) {
        if (used == room) {
            newPage();
            used = 0;
        }
        pages.back().push_back(row);
        ++used;
    };
    for (int r = headerRows; r < bodyEnd; ++r)
        place(r);
    // The totals stay together on one page when they fit on any page.
    if (footerRows > 0 && used + footerRows > room && footerRows <= room) {
        newPage();
        used = 0;
    }
    for (int r = bodyEnd; r < rowCount; ++r)
        place(r);
    return pages;
}

StringGrid::StringGrid(QWidget *parent) : DrawGrid(parent)
{
    m_cells.resize(static_cast<size_t>(rowCount()));
}

void StringGrid::setRowCount(int rows)
{
    m_cells.resize(static_cast<size_t>(std::max(0, rows)));
    DrawGrid::setRowCount(rows);
}

QString StringGrid::cell(int column, int row) const
{
    if (row < 0 || row >= static_cast<int>(m_cells.size()) || column < 0)
        return {};
    return m_cells[static_cast<size_t>(row)].value(column);
}

void StringGrid::setCell(int column, int row, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= colCount())
        return;
    QStringList &texts = m_cells[static_cast<size_t>(row)];
    while (texts.size() <= column)
        texts << QString();
    texts[column] = text;
    const QRect rect = cellRect(column, row);
    if (!rect.isNull())
        viewport()->update(rowSelect() ? QRect(0, rect.top(), viewport()->width(), rect.height())
                                       : rect);
}

QStringList StringGrid::rowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < colCount(); ++c)
        texts << cell(c, row);
    return texts;
}

void StringGrid::setRowTexts(int row, const QStringList &texts)
{
    if (row < 0 || row >= rowCount())
        return;
    m_cells[static_cast<size_t>(row)] = texts.mid(0, colCount());
    viewport()->update();
}

QStringList StringGrid::columnTexts(int column) const
{
    QStringList texts;
    for (int r = 0; r < rowCount(); ++r)
        texts << cell(column, r);
    return texts;
}

void StringGrid::clearCells()
{
    for (QStringList &texts : m_cells)
        texts.clear();
    viewport()->update();
}

void StringGrid::setAlignmentHandler(AlignmentHandler handler)
{
    m_alignment = std::move(handler);
    viewport()->update();
}

Qt::Alignment StringGrid::cellAlignment(int column, int row) const
{
    Qt::Alignment alignment = m_alignment ? m_alignment(column, row) : Qt::Alignment();
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignLeft;
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    return alignment;
}

void StringGrid::setPrintTitle(const QString &title)
{
    m_printTitle = title;
}

void StringGrid::paintCellText(QPainter &painter, const QRect &rect, int column, int row) const
{
    const QString text = cell(column, row);
    if (text.isEmpty())
        return;
    const QRect inner = rect.adjusted(kCellMargin, 0, -kCellMargin, 0);
    // A text too long for its column shows that it was cut.
    const QString shown =
        painter.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, inner.width()));
    painter.drawText(inner, static_cast<int>(cellAlignment(column, row)) | Qt::TextSingleLine,
                     shown);
}

void StringGrid::drawCell(QPainter &painter, const QRect &rect, int column, int row,
                          const GridCellState &state)
{
    if (hasDrawCellHandler())
        callDrawCellHandler(painter, rect, column, row, state);
    else
        paintCellText(painter, rect, column, row);
}

QFont StringGrid::pixelFont() const
{
    // On paper the painter is scaled from grid pixels to device pixels, so
    // the font must be sized in grid pixels too, not in points that the
    // printer would scale once more.
    QFont result = font();
    if (result.pixelSize() <= 0)
        result.setPixelSize(static_cast<int>(std::lround(result.pointSizeF() * kScreenDpi / 72.0)));
    return result;
}

GridPrintLayout StringGrid::printLayout(const QSizeF &pageSize, int resolution) const
{
    GridPrintLayout layout;
    double scale = resolution / kScreenDpi;
    const int tableWidth = std::max(1, totalWidth());
    // A table wider than the paper is shrunk as a whole.
    if (tableWidth * scale > pageSize.width())
        scale = pageSize.width() / tableWidth;
    layout.scale = scale;

    const QFontMetrics metrics(pixelFont());
    const int footerLine = metrics.height() + 4;
    layout.titleHeight = m_printTitle.isEmpty() ? 0 : 2 * metrics.height() + 8;
    const double usable = pageSize.height() / scale - layout.titleHeight - footerLine;
    layout.rowsPerPage = std::max(fixedRows() + 1, static_cast<int>(usable / rowHeight()));
    layout.pages = paginateGridRows(rowCount(), fixedRows(), fixedBottomRows(), layout.rowsPerPage);
    return layout;
}

bool StringGrid::print(QPrinter &printer) const
{
    const int resolution = printer.resolution();
    const QRect paperArea = printer.pageLayout().paintRectPixels(resolution);
    const QSizeF pageSize(paperArea.width(), paperArea.height());
    const GridPrintLayout layout = printLayout(pageSize, resolution);

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int p = 0; p < static_cast<int>(layout.pages.size()); ++p) {
        if (p > 0)
            printer.newPage();
        paintPrintPage(painter, layout, p, pageSize);
    }
    painter.end();
    return true;
}

void StringGrid::paintPrintPage(QPainter &painter, const GridPrintLayout &layout, int page,
                                const QSizeF &pageSize) const
{
    if (page < 0 || page >= static_cast<int>(layout.pages.size()))
        return;
    const PainterGuard guard(painter);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(layout.scale, layout.scale);
    const QFont body = pixelFont();
    QFont titleFont = body;
    titleFont.setPixelSize(body.pixelSize() * 3 / 2);
    titleFont.setBold(true);
    QFont headingFont = body;
    headingFont.setBold(true);
    const QFontMetrics metrics(body);
    const double pageHeight = pageSize.height() / layout.scale;
    const double pageWidth = pageSize.width() / layout.scale;
    QPen line(QColor(0x60, 0x60, 0x60));
    line.setWidthF(0.6);

    int y = 0;
    if (!m_printTitle.isEmpty()) {
        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, pageWidth, layout.titleHeight - 8),
                         Qt::AlignLeft | Qt::AlignVCenter, m_printTitle);
        y = layout.titleHeight;
    }
    for (const int r : layout.pages[static_cast<size_t>(page)]) {
        const bool fixed = isFixedRow(r);
        painter.setFont(fixed ? headingFont : body);
        int x = 0;
        for (int c = 0; c < colCount(); ++c) {
            const QRect rect(x, y, colWidth(c), rowHeight());
            if (fixed)
                painter.fillRect(rect, QColor(0xe4, 0xe4, 0xe4));
            painter.setPen(line);
            painter.drawRect(QRectF(rect));
            painter.setPen(Qt::black);
            paintCellText(painter, rect, c, r);
            x += colWidth(c);
        }
        y += rowHeight();
    }
    painter.setFont(body);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, pageHeight - metrics.height(), pageWidth, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(layout.pages.size()));
}

} // namespace vorin
