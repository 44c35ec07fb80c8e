#include "chart/ChartPrinting.h"

#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"

#include <algorithm>
#include <QPainter>
#include <QPrinter>

namespace vorin::chart {

namespace {

// The largest rectangle of the chart's proportions that fits the page, centred.
QRectF fittedRect(const QRectF &page, const QSizeF &screenSize)
{
    if (screenSize.isEmpty()) {
        return page;
    }
    const double scale =
        std::min(page.width() / screenSize.width(), page.height() / screenSize.height());
    const QSizeF size = screenSize * scale;
    return QRectF(page.left() + (page.width() - size.width()) / 2.0,
                  page.top() + (page.height() - size.height()) / 2.0, size.width(), size.height());
}

void paintOnPrinter(const ChartModel &model, QPrinter &printer, QPainter &painter,
                    const QSizeF &screenSize)
{
    const QRectF page =
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    ChartPainter(model).paint(painter, fittedRect(page, screenSize));
}

} // namespace

bool printChart(const ChartModel &model, QPrinter &printer, const QSizeF &screenSize)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    paintOnPrinter(model, printer, painter, screenSize);
    return painter.end();
}

ChartPreviewDialog::ChartPreviewDialog(QWidget *parent) : QPrintPreviewDialog(parent)
{
    setWindowTitle(tr("Print preview"));
    // Charts are wider than tall; the user may still turn the page.
    printer()->setPageOrientation(QPageLayout::Landscape);
    connect(this, &QPrintPreviewDialog::paintRequested, this, &ChartPreviewDialog::renderPages);
}

void ChartPreviewDialog::setChart(const ChartModel *model, const QSizeF &screenSize)
{
    m_model = model;
    m_screenSize = screenSize;
}

void ChartPreviewDialog::renderPages(QPrinter *printer)
{
    if (m_model == nullptr || printer == nullptr) {
        return;
    }
    QPainter painter(printer);
    paintOnPrinter(*m_model, *printer, painter, m_screenSize);
}

} // namespace vorin::chart
