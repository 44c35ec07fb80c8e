#include "views/DatePages.h"

#include "chart/Chart.h"
#include "platform/Messages.h"
#include "support/Utility.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "views/Palette.h"
#include "views/TableExport.h"
#include "widgets/Notebook.h"
#include "widgets/StringGrid.h"
#include "widgets/WindowSupport.h"

#include <QRadioButton>
#include <QToolButton>

namespace vorin {

namespace {

const char *const kAccessNote =
    "Note: prior versions of Windows and DOS did not store the file access date.  Files never "
    "recorded as being accessed are probably old files that were converted to Windows 95.";
const char *const kCreatedNote =
    "Files never recorded as being created are probably old files that were converted to "
    "Windows 95.  Note: prior versions of Windows and DOS did not store the file creation date "
    "independent of the last file modification or file write date.";
const char *const kModifiedNote =
    "Note: prior versions of Windows and DOS treated the file creation date synonomously  with "
    "the last file modification date.  Therefore all files have a file modification date.";
const char *const kCombinedNote = "This chart combines the Accessed, Created and Modified charts";

// The combined chart's three series, each in its own colour, side by side
// in the slot of a bucket.
void setUpCombinedBars(chart::Chart &c)
{
    chart::ChartModel &model = c.model();
    model.setTitle(QStringLiteral("Combination Access/Created/Modified Chart"));
    model.edit([](chart::ChartSettings &s) {
        s.legend.visible = true;
        s.legend.content = chart::LegendContent::SeriesTitles;
        s.legend.reversed = false;
        s.legend.position = chart::LegendPosition::Right;
        s.view.enabled = true;
        s.view.depthPercent = 20;
        s.bottomAxis.format = QStringLiteral("#,##0.##");
        s.userZoomAllowed = true;
    });
    const struct
    {
        const char *title;
        QColor colour;
        int offset;
    } dates[] = {{"Accessed", QColor(255, 0, 0), 25},
                 {"Created", QColor(0, 128, 0), 0},
                 {"Modified", QColor(255, 255, 0), -25}};
    for (const auto &d : dates) {
        chart::ChartSeries &series =
            model.addSeries(chart::SeriesKind::HorizontalBar, QString::fromLatin1(d.title));
        series.setColor(d.colour);
        series.setBarWidthPercent(40);
        series.setBarOffsetPercent(d.offset);
        series.setMarkStyle(chart::MarkStyle::None);
        series.setValueFormat(QStringLiteral("#,##0.##"));
    }
}

// The columns of the tables, as laid out; wider figures widen them.
const QList<int> kDateWidths = {194, 189, 140};
const QList<int> kCombinedWidths = {119, 97, 78, 86, 71, 85, 72};

} // namespace

DatePages::DatePages(const std::array<QWidget *, 4> &pages, PageContext &context)
    : QObject(pages[0]), m_context(context), m_pages(pages)
{
    const LocaleSeparators &locale = context.services.locale;
    const QRect chartPlace(4, 4, 616, 300);
    const QList<int> &widths = kDateWidths;

    chartAccess = makeChart(pages[0], QStringLiteral("chartAccess"), chartPlace, locale);
    gridAccess = makeListingGrid(pages[0], QStringLiteral("gridAccess"), 3, 11, widths);
    rgAccess = makeViewButtons(pages[0], QStringLiteral("rgAccess"));
    SpeedButton1 = makeNoteButton(pages[0], QStringLiteral("SpeedButton1"),
                                  QStringLiteral("About files never recorded as accessed"));

    chartCreate = makeChart(pages[1], QStringLiteral("chartCreate"), chartPlace, locale);
    gridCreate = makeListingGrid(pages[1], QStringLiteral("gridCreate"), 3, 11, widths);
    rgCreate = makeViewButtons(pages[1], QStringLiteral("rgCreate"));
    SpeedButton2 = makeNoteButton(pages[1], QStringLiteral("SpeedButton2"),
                                  QStringLiteral("About files never recorded as created"));

    chartModify = makeChart(pages[2], QStringLiteral("chartModify"), chartPlace, locale);
    gridModify = makeListingGrid(pages[2], QStringLiteral("gridModify"), 3, 11, widths);
    rgModify = makeViewButtons(pages[2], QStringLiteral("rgModify"));
    SpeedButton3 = makeNoteButton(pages[2], QStringLiteral("SpeedButton3"),
                                  QStringLiteral("About the file modification date"));

    chartCombine = makeChart(pages[3], QStringLiteral("chartCombine"), chartPlace, locale);
    gridCombine = makeListingGrid(pages[3], QStringLiteral("gridCombine"), 7, 11, kCombinedWidths);
    const std::array<QRadioButton *, 3> combine =
        makeViewButtons(pages[3], QStringLiteral("rbCombine"));
    rgCombine0 = combine[0];
    rgCombine0->setObjectName(QStringLiteral("rgCombine0"));
    rbCombine1 = combine[1];
    rbCombine2 = combine[2];
    SpeedButton4 = makeNoteButton(pages[3], QStringLiteral("SpeedButton4"),
                                  QStringLiteral("About this chart"));

    accessTable = offerGridExport(gridAccess, QStringLiteral("Accessed dates"), {1, 2, 3, 4}, locale);
    createTable = offerGridExport(gridCreate, QStringLiteral("Created dates"), {1, 2, 3, 4}, locale);
    modifyTable = offerGridExport(gridModify, QStringLiteral("Modified dates"), {1, 2, 3, 4}, locale);
    combineTable =
        offerGridExport(gridCombine, QStringLiteral("Combined dates"),
                        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, locale);

    linkAgesToFiles();

    HorizBarSeries1 = &setUpShareBars(*chartAccess, QStringLiteral("HorizBarSeries1"));
    HorizBarSeries2 = &setUpShareBars(*chartCreate, QStringLiteral("HorizBarSeries2"));
    HorizBarSeries3 = &setUpShareBars(*chartModify, QStringLiteral("HorizBarSeries3"));
    setUpCombinedBars(*chartCombine);
    Series6 = &chartCombine->model().series(0);
    Series7 = &chartCombine->model().series(1);
    Series8 = &chartCombine->model().series(2);
    // The combined chart's series are the three dates, its points the buckets.
    linkChartToFiles(
        *chartCombine,
        [](int series, int point) {
            const FigureKind kinds[] = {FigureKind::AccessAge, FigureKind::CreatedAge,
                                        FigureKind::ModifiedAge};
            if (series < 0 || series > 2 || point < 0 || point >= kAgeBuckets)
                return FigureChoices{};
            return FigureChoices{{QString(), {kinds[series], point, {}}}};
        },
        context.showFiles);

    // Only the button that becomes checked answers, so one choice rebuilds
    // the charts once.
    for (const std::array<QRadioButton *, 3> &buttons : {rgAccess, rgCreate, rgModify, combine})
        for (QRadioButton *button : buttons)
            connect(button, &QRadioButton::toggled, this, [this](bool checked) {
                if (checked)
                    rgAccessClick();
            });

    connect(SpeedButton1, &QToolButton::clicked, this, &DatePages::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &DatePages::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &DatePages::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &DatePages::SpeedButton4Click);
}

void DatePages::linkAgesToFiles()
{
    // Row r of a table holds bucket 10 - r: the oldest files on top.
    const auto bucketOfRow = [](int row) {
        return row >= 1 && row <= kAgeBuckets ? kAgeBuckets - row : -1;
    };
    const struct
    {
        StringGrid *grid;
        TableExport *table;
        chart::Chart *chart;
        FigureKind kind;
    } dates[] = {{gridAccess, accessTable, chartAccess, FigureKind::AccessAge},
                 {gridCreate, createTable, chartCreate, FigureKind::CreatedAge},
                 {gridModify, modifyTable, chartModify, FigureKind::ModifiedAge}};
    const ShowFiles &show = m_context.showFiles;
    for (const auto &d : dates) {
        const FigureKind kind = d.kind;
        const auto one = [kind](int bucket) {
            return bucket >= 0 && bucket < kAgeBuckets
                       ? FigureChoices{{QString(), {kind, bucket, {}}}}
                       : FigureChoices{};
        };
        linkGridToFiles(
            *d.grid, *d.table->menu(),
            [one, bucketOfRow](int, int row) { return one(bucketOfRow(row)); }, show);
        // Bucket 0 is the first bar.
        linkChartToFiles(
            *d.chart, [one](int, int point) { return one(point); }, show);
    }
    // The combined table's row is a bucket of the three dates: the figures of
    // a date's two columns are its own, the label's column asks which.
    linkGridToFiles(
        *gridCombine, *combineTable->menu(),
        [bucketOfRow](int column, int row) {
            const int bucket = bucketOfRow(row);
            if (bucket < 0)
                return FigureChoices{};
            const FigureChoices all = {
                {QStringLiteral("Accessed"), {FigureKind::AccessAge, bucket, {}}},
                {QStringLiteral("Created"), {FigureKind::CreatedAge, bucket, {}}},
                {QStringLiteral("Modified"), {FigureKind::ModifiedAge, bucket, {}}}};
            if (column >= 1 && column <= 6)
                return FigureChoices{all[static_cast<std::size_t>((column - 1) / 2)]};
            return all;
        },
        show);
}

void DatePages::fillGridDates(StringGrid *grid, const QString &title,
                              const std::array<double, kAgeBuckets> &counts,
                              const std::array<double, kAgeBuckets> &bytes, const AgeTable *earlier)
{
    const LocaleSeparators &locale = m_context.services.locale;
    grid->setSelection(20, 20); // no row shows highlighted
    grid->setRowTexts(
        0, {title, QStringLiteral("Total file size"), QStringLiteral("Number of files")});
    std::vector<RowFigures> now;
    std::vector<RowFigures> before;
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto bucket = static_cast<std::size_t>(kAgeBuckets - row);
        grid->setRowTexts(row, {toQt(ageBucketLabel(static_cast<int>(bucket))),
                                toQt(formatWhole(bytes[bucket], locale)),
                                toQt(formatWhole(counts[bucket], locale))});
        now.push_back({bytes[bucket], counts[bucket]});
        if (earlier)
            before.push_back({earlier->bytes[bucket], earlier->counts[bucket]});
    }
    writeChangeColumns(*grid, kDateWidths, now, earlier ? &before : nullptr, locale);
}

void DatePages::fillCombinedGridDates()
{
    const Statistics &s = m_context.statistics();
    const LocaleSeparators &locale = m_context.services.locale;
    gridCombine->setSelection(20, 20);
    gridCombine->setRowTexts(0, {QStringLiteral("Combined dates"), QStringLiteral("Access Size"),
                                 QStringLiteral("Access # files"), QStringLiteral("Create Size"),
                                 QStringLiteral("Create # files"), QStringLiteral("Modify Size"),
                                 QStringLiteral("Modify # files")});
    const auto count = [&locale](double n) {
        return toQt(formatInt(static_cast<std::int64_t>(n), locale));
    };
    // Compared with an earlier scan: each date's change, size then files.
    const Statistics *earlier = m_context.earlierStatistics();
    const struct
    {
        const char *heading;
        const std::array<double, kAgeBuckets> Statistics::*figures;
    } columns[] = {{"Access size change", &Statistics::accessAgeBytes},
                   {"Access files change", &Statistics::accessAgeCount},
                   {"Create size change", &Statistics::createdAgeBytes},
                   {"Create files change", &Statistics::createdAgeCount},
                   {"Modify size change", &Statistics::modifiedAgeBytes},
                   {"Modify files change", &Statistics::modifiedAgeCount}};
    std::vector<ChangeColumn> changes;
    if (earlier)
        for (const auto &column : columns)
            changes.push_back({QString::fromLatin1(column.heading), {}, {}});
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const auto k = static_cast<std::size_t>(kAgeBuckets - row);
        // The labels come from the Modified table, which is filled just before.
        gridCombine->setRowTexts(
            row, {gridModify->cell(0, row), toQt(formatWhole(s.accessAgeBytes[k], locale)),
                  count(s.accessAgeCount[k]), toQt(formatWhole(s.createdAgeBytes[k], locale)),
                  count(s.createdAgeCount[k]), toQt(formatWhole(s.modifiedAgeBytes[k], locale)),
                  count(s.modifiedAgeCount[k])});
        for (std::size_t c = 0; c < changes.size(); ++c) {
            changes[c].now.push_back((s.*columns[c].figures)[k]);
            changes[c].before.push_back((earlier->*columns[c].figures)[k]);
        }
    }
    writeChangeColumns(*gridCombine, kCombinedWidths, changes, locale);
}

void DatePages::doFileAges()
{
    const Statistics &s = m_context.statistics();
    const Statistics *earlier = m_context.earlierStatistics();
    const bool combinedInMegabytes = rbCombine1->isChecked();
    chartCombine->undoZoom();
    const struct
    {
        chart::Chart *chart;
        chart::ChartSeries *series;
        QRadioButton *bySize;
        const char *title;
        const std::array<double, kAgeBuckets> &counts;
        const std::array<double, kAgeBuckets> &bytes;
        chart::ChartSeries *combined;
        const std::array<double, kAgeBuckets> *thenCounts;
        const std::array<double, kAgeBuckets> *thenBytes;
    } dates[] = {
        {chartAccess, HorizBarSeries1, rgAccess[1], "Access Date", s.accessAgeCount,
         s.accessAgeBytes, Series6, earlier ? &earlier->accessAgeCount : nullptr,
         earlier ? &earlier->accessAgeBytes : nullptr},
        {chartCreate, HorizBarSeries2, rgCreate[1], "Created Date", s.createdAgeCount,
         s.createdAgeBytes, Series7, earlier ? &earlier->createdAgeCount : nullptr,
         earlier ? &earlier->createdAgeBytes : nullptr},
        {chartModify, HorizBarSeries3, rgModify[1], "Modified Date", s.modifiedAgeCount,
         s.modifiedAgeBytes, Series8, earlier ? &earlier->modifiedAgeCount : nullptr,
         earlier ? &earlier->modifiedAgeBytes : nullptr},
    };
    for (const auto &d : dates) {
        const bool inMegabytes = d.bySize->isChecked();
        d.chart->undoZoom();
        d.chart->model().setTitle(QString::fromLatin1(d.title) +
                                  (inMegabytes ? QStringLiteral(" (file sizes in MB)")
                                               : QStringLiteral(" (Number of files)")));
        fillAgeSeries(*d.series, inMegabytes ? d.bytes : d.counts, inMegabytes, QColor());
        std::vector<double> then;
        if (earlier)
            for (int bucket = 0; bucket < kAgeBuckets; ++bucket)
                then.push_back(inMegabytes ? (*d.thenBytes)[std::size_t(bucket)] / kBytesPerMB
                                           : (*d.thenCounts)[std::size_t(bucket)]);
        showEarlierBars(*d.chart, *d.series, then);
        // The combined bars keep the colour of their date's series.
        fillAgeSeries(*d.combined, combinedInMegabytes ? d.bytes : d.counts, combinedInMegabytes,
                      d.combined->color());
        showEarlierCombined(*d.combined,
                            earlier ? (combinedInMegabytes ? d.thenBytes : d.thenCounts) : nullptr,
                            combinedInMegabytes);
    }
}

void DatePages::showEarlierCombined(const chart::ChartSeries &now,
                                    const std::array<double, kAgeBuckets> *then,
                                    bool inMegabytes)
{
    // A series of its own for each date, behind the date's own bars, paler.
    chart::ChartModel &model = chartCombine->model();
    const QString title = now.title() + QStringLiteral(" then");
    chart::ChartSeries *earlier =
        earlierSeries(model, title, then != nullptr, [&]() -> chart::ChartSeries & {
            chart::ChartSeries &series = model.addSeries(chart::SeriesKind::HorizontalBar, title);
            series.setColor(paler(now.color()));
            series.setBarWidthPercent(now.barWidthPercent());
            series.setBarOffsetPercent(now.barOffsetPercent());
            series.setMarkStyle(chart::MarkStyle::None);
            series.setValueFormat(now.valueFormat());
            return series;
        });
    if (!earlier)
        return;
    fillAgeSeries(*earlier, *then, inMegabytes, earlier->color());
}

void DatePages::fillAgeSeries(chart::ChartSeries &series,
                              const std::array<double, kAgeBuckets> &values, bool inMegabytes,
                              const QColor &colour)
{
    Palette &palette = m_context.aColors;
    palette.initAColors(!colour.isValid(), colour);
    series.clear();
    series.setUnit(inMegabytes ? QStringLiteral("MB") : QStringLiteral("files"));
    const double divisor = inMegabytes ? kBytesPerMB : 1.0;
    for (int bucket = 0; bucket < kAgeBuckets; ++bucket)
        series.addPoint(values[static_cast<std::size_t>(bucket)] / divisor,
                        toQt(ageBucketLabel(bucket)), palette[bucket + 1]);
}

void DatePages::rgAccessClick()
{
    const struct
    {
        StringGrid *grid;
        QRadioButton *listing;
        chart::Chart *chart;
    } views[] = {{gridAccess, rgAccess[0], chartAccess},
                 {gridCreate, rgCreate[0], chartCreate},
                 {gridModify, rgModify[0], chartModify},
                 {gridCombine, rgCombine0, chartCombine}};
    const Notebook &book = m_context.notebook;
    QWidget *const shown = book.page(book.pageIndex());
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages.at(i) != shown)
            continue;
        const auto &v = views[i];
        const bool listing = v.listing->isChecked();
        v.grid->setVisible(listing);
        v.chart->setVisible(!listing);
        if (!listing)
            doFileAges();
        return;
    }
}

void DatePages::SpeedButton1Click()
{
    showInfo(kAccessNote);
}
void DatePages::SpeedButton2Click()
{
    showInfo(kCreatedNote);
}
void DatePages::SpeedButton3Click()
{
    showInfo(kModifiedNote);
}
void DatePages::SpeedButton4Click()
{
    showInfo(kCombinedNote);
}

} // namespace vorin
