// The statistics window's printing: the page's chart through its preview,
// the Types listing as a table, anything else as a picture of the window on
// white.

#include "chart/Chart.h"
#include "chart/ChartPrinting.h"
#include "views/DatePages.h"
#include "views/HistoryPage.h"
#include "views/SizesPage.h"
#include "views/Statistics.h"
#include "views/StatisticsTabs.h"
#include "views/TimePage.h"
#include "views/TypesPage.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/StringGrid.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <vector>

namespace vorin {

namespace {

// The colours changeBackgroundColor overwrites, taken from every control of
// the window so each gets its own back: a drive list drawn white, a chart in
// a dark theme's colour, a palette the window only inherits.
class SavedBackgrounds
{
public:
    explicit SavedBackgrounds(QWidget &window)
    {
        const auto keep = [this](QWidget *widget) {
            m_palettes.push_back(
                {widget, widget->palette(), widget->testAttribute(Qt::WA_SetPalette)});
        };
        keep(&window);
        for (Notebook *notebook : window.findChildren<Notebook *>())
            keep(notebook);
        for (PickList *list : window.findChildren<PickList *>())
            keep(list->viewport());
        for (chart::Chart *c : window.findChildren<chart::Chart *>())
            m_charts.push_back({c, c->model().settings().background});
        for (StringGrid *grid : window.findChildren<StringGrid *>())
            m_grids.push_back({grid, grid->cellColor(), grid->fixedColor()});
    }

    void restore() const
    {
        // Set on the window first: its children inherit from it.
        for (const OwnPalette &p : m_palettes)
            p.widget->setPalette(p.own ? p.palette : QPalette());
        for (const ChartBackground &c : m_charts)
            c.chart->model().edit([&c](chart::ChartSettings &s) { s.background = c.background; });
        for (const GridColours &g : m_grids) {
            g.grid->setCellColor(g.cell);
            g.grid->setFixedColor(g.fixed);
        }
    }

private:
    struct OwnPalette
    {
        QWidget *widget;
        QPalette palette;
        bool own; // set on the widget, not inherited from its parent
    };
    struct ChartBackground
    {
        chart::Chart *chart;
        QColor background;
    };
    struct GridColours
    {
        StringGrid *grid;
        QColor cell;
        QColor fixed;
    };
    std::vector<OwnPalette> m_palettes;
    std::vector<ChartBackground> m_charts;
    std::vector<GridColours> m_grids;
};

} // namespace

QImage TfrmStatistics::printableWindowImage()
{
    const SavedBackgrounds saved(*this);
    changeBackgroundColor(Qt::white);
    const QImage image = grab().toImage();
    saved.restore();
    return image;
}

// --- printing

std::unique_ptr<QPrinter> TfrmStatistics::askPrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

void TfrmStatistics::showChartPreview(chart::Chart &c)
{
    chart::ChartPreviewDialog preview(this);
    preview.setChart(&c.model(), c.size());
    preview.exec();
}

void TfrmStatistics::printWindowImage()
{
    const std::unique_ptr<QPrinter> printer = choosePrinter ? choosePrinter() : nullptr;
    if (!printer)
        return;
    const QImage image = printableWindowImage();
    QPainter painter;
    if (!painter.begin(printer.get()))
        return;
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    painter.end();
}

void TfrmStatistics::printChartOrWindow(chart::Chart *c)
{
    if (c && !c->isHidden()) {
        if (previewChart)
            previewChart(*c);
        return;
    }
    printWindowImage();
}

void TfrmStatistics::btPrintClick()
{
    switch (OvcNotebook1->pageIndex()) {
    case kTypesPage:
        if (!typesPage->chartPie->isHidden()) {
            if (previewChart)
                previewChart(*typesPage->chartPie);
            return;
        }
        if (const std::unique_ptr<QPrinter> printer = choosePrinter ? choosePrinter() : nullptr) {
            StringGrid &grid = *typesPage->gridTypes;
            grid.setPrintTitle(QStringLiteral("File types for drive ") + currentDrive());
            grid.print(*printer);
        }
        return;
    case kSizesPage:
        return printChartOrWindow(sizesPage->Chart1);
    case kAccessPage:
        return printChartOrWindow(datePages->chartAccess);
    case kCreatedPage:
        return printChartOrWindow(datePages->chartCreate);
    case kModifiedPage:
        return printChartOrWindow(datePages->chartModify);
    case kCombinedPage:
        return printChartOrWindow(datePages->chartCombine);
    case kTimePage:
        return printChartOrWindow(timePage->Chart4);
    case kHistoryPage:
        return printChartOrWindow(historyPage->chartHistory);
    default:
        return printWindowImage();
    }
}

} // namespace vorin
