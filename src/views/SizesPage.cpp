#include "views/SizesPage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "support/Utility.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "views/Palette.h"
#include "views/TableExport.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <QRadioButton>

namespace vorin {

namespace {

// Row r of the table holds band 13 - r: the largest files on top.
constexpr int rowOfBand(int band)
{
    return kSizeBands + 1 - band;
}

// The columns of the table, as laid out; wider figures widen them.
const QList<int> kSizeWidths = {194, 189, 140};

} // namespace

SizesPage::SizesPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    Chart1 =
        makeChart(page, QStringLiteral("Chart1"), QRect(4, 4, 616, 300), context.services.locale);
    Series1 = &setUpShareBars(*Chart1, QStringLiteral("Series1"));
    gridSizes = makeListingGrid(page, QStringLiteral("gridSizes"), 3, kSizeBands + 1, kSizeWidths);
    sizesTable =
        offerGridExport(gridSizes, QStringLiteral("File sizes"), {1, 2, 3, 4}, context.services.locale);
    rgSize = makeViewButtons(page, QStringLiteral("rgSize"));
    const auto band = [](int b) {
        return b >= 1 && b <= kSizeBands ? FigureChoices{{QString(), {FigureKind::Size, b, {}}}}
                                         : FigureChoices{};
    };
    linkGridToFiles(
        *gridSizes, *sizesTable->menu(), [band](int, int row) { return band(rowOfBand(row)); },
        context.showFiles);
    // Band 1 is the first bar.
    linkChartToFiles(
        *Chart1, [band](int, int point) { return band(point + 1); }, context.showFiles);
    // Only the button that becomes checked answers, so one choice rebuilds
    // the chart once.
    for (QRadioButton *button : rgSize)
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                rgSizesClick();
        });
}

void SizesPage::doFileSizes()
{
    gridSizes->setSelection(20, 20); // no row shows highlighted
    fillGridSizes();
    rgSizesClick();
}

void SizesPage::fillGridSizes()
{
    const Statistics &s = m_context.statistics();
    const LocaleSeparators &locale = m_context.services.locale;
    gridSizes->setRowTexts(0, {QStringLiteral("File size"), QStringLiteral("Total file size"),
                               QStringLiteral("Number of files")});
    const Statistics *earlier = m_context.earlierStatistics();
    std::vector<RowFigures> now;
    std::vector<RowFigures> before;
    for (int band = kSizeBands; band >= 1; --band) {
        const auto b = static_cast<std::size_t>(band);
        gridSizes->setRowTexts(rowOfBand(band), {toQt(sizeBandLabel(band)),
                                                 toQt(formatWhole(s.sizeBandBytes[b], locale)),
                                                 toQt(formatWhole(s.sizeBandCount[b], locale))});
        now.push_back({s.sizeBandBytes[b], s.sizeBandCount[b]});
        if (earlier)
            before.push_back({earlier->sizeBandBytes[b], earlier->sizeBandCount[b]});
    }
    writeChangeColumns(*gridSizes, kSizeWidths, now, earlier ? &before : nullptr, locale);
}

void SizesPage::rgSizesClick()
{
    const bool listing = rgSize[0]->isChecked();
    gridSizes->setVisible(listing);
    Chart1->setVisible(!listing);
    if (listing)
        return;

    Palette &palette = m_context.aColors;
    palette.initAColors(true, QColor());
    Chart1->undoZoom();
    const Statistics &s = m_context.statistics();
    const bool bySize = rgSize[1]->isChecked();
    Chart1->model().setTitle(bySize ? QStringLiteral("File Sizes in MB")
                                    : QStringLiteral("Number of Files"));
    Series1->setUnit(bySize ? QStringLiteral("MB") : QStringLiteral("files"));
    Series1->clear();
    // Band 1 first, so the smallest files make the lowest bar, as in the table.
    const Statistics *earlier = m_context.earlierStatistics();
    std::vector<double> then;
    for (int band = 1; band <= kSizeBands; ++band) {
        const auto b = static_cast<std::size_t>(band);
        const double value = bySize ? s.sizeBandBytes[b] / kBytesPerMB : s.sizeBandCount[b];
        Series1->addPoint(value, gridSizes->cell(0, rowOfBand(band)), palette[band]);
        if (earlier)
            then.push_back(bySize ? earlier->sizeBandBytes[b] / kBytesPerMB
                                  : earlier->sizeBandCount[b]);
    }
    showEarlierBars(*Chart1, *Series1, then);
}

} // namespace vorin
