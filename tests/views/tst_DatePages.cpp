#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "ExportFixture.h"
#include "PageFixture.h"
#include "platform/fake/RecordingMessages.h"
#include "ScanFixture.h"
#include "TextRecorder.h"
#include "views/DatePages.h"
#include "widgets/StringGrid.h"

#include <fcntl.h>
#include <QAccessible>
#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <sys/stat.h>

using namespace vorin;
using namespace vorin::testing;

namespace {

constexpr double kMB = 1048576.0;
constexpr int kAccess = 4;
constexpr int kCreated = 5;
constexpr int kModified = 6;
constexpr int kCombined = 7;

const QList<QColor> kPaletteColours = {
    QColor(255, 0, 0), QColor(128, 0, 0),   QColor(0, 0, 255),     QColor(255, 255, 0),
    QColor(0, 128, 0), QColor(0, 255, 0),   QColor(255, 0, 255),   QColor(0, 128, 128),
    QColor(0, 0, 128), QColor(0, 255, 255), QColor(255, 255, 255), QColor(128, 128, 128)};

const QStringList kBucketLabels = {"Not recorded",  "<= 7 days",      "8 - 30 days", "31 - 60 days",
                                   "61 - 120 days", "121 - 365 days", "1 - 2 years", "2 - 3 years",
                                   "3 - 4 years",   "Over 4 years"};

// Figures in which every bucket of every date differs, with fractions of a
// megabyte: last access k + 0.5 MB in 10 + k files, creation 2k + 2.5 MB
// in 100 + k files, last write 3k + 0.25 MB in 1000 + k files.
double accessMB(int k)
{
    return k + 0.5;
}
double createdMB(int k)
{
    return 2 * k + 2.5;
}
double modifiedMB(int k)
{
    return 3 * k + 0.25;
}

enum class Date { Access, Created, Modified };

struct DatesFixture
{
    DatesFixture()
    {
        for (std::size_t k = 0; k < kAgeBuckets; ++k) {
            const int i = static_cast<int>(k);
            Statistics &s = harness.stats;
            s.accessAgeBytes[k] = accessMB(i) * kMB;
            s.accessAgeCount[k] = 10 + i;
            s.createdAgeBytes[k] = createdMB(i) * kMB;
            s.createdAgeCount[k] = 100 + i;
            s.modifiedAgeBytes[k] = modifiedMB(i) * kMB;
            s.modifiedAgeCount[k] = 1000 + i;
        }
    }

    // What the window does after each scanned drive.
    void refresh()
    {
        const Statistics &s = harness.stats;
        pages.fillGridDates(pages.gridAccess, QStringLiteral("Accessed Date"), s.accessAgeCount,
                            s.accessAgeBytes);
        pages.fillGridDates(pages.gridCreate, QStringLiteral("Created Date"), s.createdAgeCount,
                            s.createdAgeBytes);
        pages.fillGridDates(pages.gridModify, QStringLiteral("Modified Date"), s.modifiedAgeCount,
                            s.modifiedAgeBytes);
        pages.fillCombinedGridDates();
        pages.doFileAges();
    }
    void showPage(int index) { QVERIFY(harness.notebook.setPageIndex(index)); }

    [[nodiscard]] chart::Chart &chartOf(Date d) const
    {
        return d == Date::Access    ? *pages.chartAccess
               : d == Date::Created ? *pages.chartCreate
                                    : *pages.chartModify;
    }
    [[nodiscard]] const chart::ChartSeries &seriesOf(Date d) const
    {
        return d == Date::Access    ? *pages.HorizBarSeries1
               : d == Date::Created ? *pages.HorizBarSeries2
                                    : *pages.HorizBarSeries3;
    }
    [[nodiscard]] static QString title(const chart::Chart &c)
    {
        return c.model().settings().titleLines.join(QLatin1Char('\n'));
    }
    [[nodiscard]] static QList<double> values(const chart::ChartSeries &series)
    {
        QList<double> v;
        for (const chart::ChartPoint &p : series.points())
            v << p.value;
        return v;
    }

    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    Services services{volumes, settings, registry, LocaleSeparators{}, 1};
    PageHarness harness{services};
    DatePages pages{{harness.page(kAccess), harness.page(kCreated), harness.page(kModified),
                     harness.page(kCombined)},
                    harness.context};
};

QList<double> megabytes(double (*perBucket)(int))
{
    QList<double> v;
    for (int k = 0; k < kAgeBuckets; ++k)
        v << perBucket(k);
    return v;
}

QList<double> counts(int base)
{
    QList<double> v;
    for (int k = 0; k < kAgeBuckets; ++k)
        v << base + k;
    return v;
}

QList<double> expectedMegabytes(Date d)
{
    return d == Date::Access    ? megabytes(accessMB)
           : d == Date::Created ? megabytes(createdMB)
                                : megabytes(modifiedMB);
}

QList<double> expectedCounts(Date d)
{
    return counts(d == Date::Access ? 10 : d == Date::Created ? 100 : 1000);
}

// Seconds since 1970 of local noon, `days` days from today (negative: ago).
qint64 localNoon(int days)
{
    return QDateTime(QDate::currentDate().addDays(days), QTime(12, 0)).toSecsSinceEpoch();
}

// A whole number as an English user reads it, from Qt's own formatting.
QString grouped(double n)
{
    return QLocale(QLocale::English).toString(qint64(n));
}

} // namespace

Q_DECLARE_METATYPE(Date)

class tst_DatePages : public QObject
{
    Q_OBJECT

private slots:
    void tablesWidenTheirColumnsForFiguresThatWouldNotFit();
    void tableRowsRunFromOverFourYearsDownToNotRecorded_data();
    void tableRowsRunFromOverFourYearsDownToNotRecorded();
    void singleChartsHaveTenBarsNotRecordedLowestInPaletteColours_data();
    void singleChartsHaveTenBarsNotRecordedLowestInPaletteColours();
    void numberOfFilesRetitlesThePageChartAndKeepsItsColours_data();
    void numberOfFilesRetitlesThePageChartAndKeepsItsColours();
    void numberOfFilesOnAccessChangesOnlyTheAccessChart();
    void combinedChartFollowsItsOwnViewChoice_data();
    void combinedChartFollowsItsOwnViewChoice();
    void combinedChartSetsThreeColouredSeriesSideBySide();
    void listingShowsTheTableOfThePageShownWithoutRebuilding_data();
    void listingShowsTheTableOfThePageShownWithoutRebuilding();
    void runWithoutFilesShowsZeroCellsAndTenEmptyBarsOnEveryChart();
    void singleChartsMarkSharesAndListValuesTopDown();
    void everyRebuildUndoesTheZoomOfAllFourCharts();
    void rowsOfTheDateTablesArePicked();
    void dateTablesDrawTheirCellsThroughTheSharedHandler();
    void scannedFilesFallInTheBucketsOfTheirAges();
    void combinedListingStaysAtHandDuringAScan();
    void noteButtonsAreNamedForAScreenReader_data();
    void noteButtonsAreNamedForAScreenReader();
    void copyAndCsvOfEachTableGiveItsHeadingsAndFigures_data();
    void copyAndCsvOfEachTableGiveItsHeadingsAndFigures();
};

// Every text of a table fits its column (with the cell's insets), and the
// table fits its place.
void expectTextsFit(const StringGrid &grid)
{
    const QFontMetrics metrics(grid.font());
    int total = 0;
    for (int column = 0; column < grid.colCount(); ++column) {
        total += grid.colWidth(column);
        for (int row = 0; row < grid.rowCount(); ++row)
            QVERIFY2(metrics.horizontalAdvance(grid.cell(column, row)) + 6 <= grid.colWidth(column),
                     qPrintable(grid.cell(column, row)));
    }
    QVERIFY(total <= grid.width() - 2 * grid.frameWidth());
}

void tst_DatePages::tablesWidenTheirColumnsForFiguresThatWouldNotFit()
{
    DatesFixture small;
    small.refresh();
    // Ordinary figures keep the columns as laid out.
    QCOMPARE(small.pages.gridCombine->colWidth(2), 78);
    QCOMPARE(small.pages.gridAccess->colWidth(1), 189);
    expectTextsFit(*small.pages.gridCombine);

    // A terabyte of files and millions of them in every bucket of every date.
    DatesFixture big;
    for (std::size_t k = 0; k < kAgeBuckets; ++k) {
        Statistics &s = big.harness.stats;
        s.accessAgeBytes[k] = s.createdAgeBytes[k] = s.modifiedAgeBytes[k] = 9.9e11;
        s.accessAgeCount[k] = s.createdAgeCount[k] = s.modifiedAgeCount[k] = 12345678;
    }
    big.refresh();
    QCOMPARE(big.pages.gridCombine->cell(3, 1), QStringLiteral("990,000,000,000"));
    expectTextsFit(*big.pages.gridCombine);
    expectTextsFit(*big.pages.gridAccess);
}

void tst_DatePages::tableRowsRunFromOverFourYearsDownToNotRecorded_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    const QStringList labels = {"Over 4 years",   "3 - 4 years",   "2 - 3 years",  "1 - 2 years",
                                "121 - 365 days", "61 - 120 days", "31 - 60 days", "8 - 30 days",
                                "<= 7 days",      "Not recorded"};
    for (int row = 1; row <= 10; ++row)
        QTest::addRow("row %d", row) << row << labels[row - 1];
}

void tst_DatePages::tableRowsRunFromOverFourYearsDownToNotRecorded()
{
    QFETCH(int, row);
    QFETCH(QString, label);
    DatesFixture f;
    f.refresh();
    const int k = 10 - row;
    const auto bytes = [](double mb) { return QString::number(qint64(std::llround(mb * kMB))); };
    const auto grouped = [](const QString &digits) {
        QString out = digits;
        for (qsizetype i = out.size() - 3; i > 0; i -= 3)
            out.insert(i, QLatin1Char(','));
        return out;
    };
    QCOMPARE(f.pages.gridAccess->rowTexts(row),
             QStringList({label, grouped(bytes(accessMB(k))), QString::number(10 + k)}));
    QCOMPARE(f.pages.gridCreate->rowTexts(row),
             QStringList({label, grouped(bytes(createdMB(k))), QString::number(100 + k)}));
    QCOMPARE(f.pages.gridModify->rowTexts(row), QStringList({label, grouped(bytes(modifiedMB(k))),
                                                             grouped(QString::number(1000 + k))}));
    QCOMPARE(f.pages.gridCombine->rowTexts(row),
             QStringList({label, grouped(bytes(accessMB(k))), QString::number(10 + k),
                          grouped(bytes(createdMB(k))), QString::number(100 + k),
                          grouped(bytes(modifiedMB(k))), grouped(QString::number(1000 + k))}));
    QCOMPARE(f.pages.gridAccess->rowTexts(0),
             QStringList({"Accessed Date", "Total file size", "Number of files"}));
}

void tst_DatePages::singleChartsHaveTenBarsNotRecordedLowestInPaletteColours_data()
{
    QTest::addColumn<Date>("date");
    QTest::addColumn<QString>("title");
    QTest::newRow("Access") << Date::Access << "Access Date (file sizes in MB)";
    QTest::newRow("Created") << Date::Created << "Created Date (file sizes in MB)";
    QTest::newRow("Modified") << Date::Modified << "Modified Date (file sizes in MB)";
}

void tst_DatePages::singleChartsHaveTenBarsNotRecordedLowestInPaletteColours()
{
    QFETCH(Date, date);
    QFETCH(QString, title);
    DatesFixture f;
    f.refresh();
    QCOMPARE(DatesFixture::title(f.chartOf(date)), title);
    const chart::ChartSeries &series = f.seriesOf(date);
    QCOMPARE(series.kind(), chart::SeriesKind::HorizontalBar);
    QCOMPARE(DatesFixture::values(series), expectedMegabytes(date));
    QCOMPARE(series.unit(), QStringLiteral("MB"));
    for (int k = 0; k < kAgeBuckets; ++k) {
        const chart::ChartPoint &p = series.points()[static_cast<std::size_t>(k)];
        QCOMPARE(p.label, kBucketLabels[k]);
        QCOMPARE(p.color, kPaletteColours[k]); // "Not recorded" red ... "Over 4 years" aqua
    }
}

void tst_DatePages::numberOfFilesRetitlesThePageChartAndKeepsItsColours_data()
{
    QTest::addColumn<Date>("date");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::newRow("Access") << Date::Access << kAccess << "rgAccess2"
                            << "Access Date (Number of files)";
    QTest::newRow("Created") << Date::Created << kCreated << "rgCreate2"
                             << "Created Date (Number of files)";
    QTest::newRow("Modified") << Date::Modified << kModified << "rgModify2"
                              << "Modified Date (Number of files)";
}

void tst_DatePages::numberOfFilesRetitlesThePageChartAndKeepsItsColours()
{
    QFETCH(Date, date);
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(QString, title);
    DatesFixture f;
    f.refresh();
    f.showPage(page);
    auto *byFiles = f.harness.page(page)->findChild<QRadioButton *>(button);
    QVERIFY(byFiles);
    QCOMPARE(byFiles->text(), QStringLiteral("Chart by Number of Files"));
    byFiles->click();
    QCOMPARE(DatesFixture::title(f.chartOf(date)), title);
    QCOMPARE(DatesFixture::values(f.seriesOf(date)), expectedCounts(date));
    QCOMPARE(f.seriesOf(date).unit(), QStringLiteral("files"));
    for (int k = 0; k < kAgeBuckets; ++k)
        QCOMPARE(f.seriesOf(date).points()[static_cast<std::size_t>(k)].color, kPaletteColours[k]);
}

void tst_DatePages::numberOfFilesOnAccessChangesOnlyTheAccessChart()
{
    DatesFixture f;
    f.refresh();
    // The Created page was switched to file counts earlier.
    f.showPage(kCreated);
    f.pages.rgCreate[2]->click();
    // New figures arrive; a click on Access rebuilds every chart from them.
    for (std::size_t k = 0; k < kAgeBuckets; ++k) {
        f.harness.stats.accessAgeCount[k] += 1;
        f.harness.stats.createdAgeCount[k] += 1;
        f.harness.stats.modifiedAgeBytes[k] += kMB;
    }
    f.showPage(kAccess);
    f.pages.rgAccess[2]->click();

    QCOMPARE(DatesFixture::title(*f.pages.chartAccess),
             QStringLiteral("Access Date (Number of files)"));
    QCOMPARE(DatesFixture::values(*f.pages.HorizBarSeries1), counts(11));
    QCOMPARE(DatesFixture::title(*f.pages.chartCreate),
             QStringLiteral("Created Date (Number of files)"));
    QCOMPARE(DatesFixture::values(*f.pages.HorizBarSeries2), counts(101));
    QCOMPARE(DatesFixture::title(*f.pages.chartModify),
             QStringLiteral("Modified Date (file sizes in MB)"));
    QList<double> modified = megabytes(modifiedMB);
    for (double &v : modified)
        v += 1;
    QCOMPARE(DatesFixture::values(*f.pages.HorizBarSeries3), modified);
    // The combined chart keeps its own choice: megabytes.
    QCOMPARE(DatesFixture::values(*f.pages.Series6), megabytes(accessMB));
    QCOMPARE(DatesFixture::values(*f.pages.Series8), modified);
}

void tst_DatePages::combinedChartFollowsItsOwnViewChoice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("inMegabytes");
    QTest::newRow("Chart by Size (in MB)") << "rbCombine1" << true;
    QTest::newRow("Chart by Number of Files") << "rbCombine2" << false;
}

void tst_DatePages::combinedChartFollowsItsOwnViewChoice()
{
    QFETCH(QString, button);
    QFETCH(bool, inMegabytes);
    DatesFixture f;
    f.refresh();
    f.showPage(kCombined);
    // Away from the default first, so that either choice is a change.
    (inMegabytes ? f.pages.rbCombine2 : f.pages.rbCombine1)->click();
    f.harness.page(kCombined)->findChild<QRadioButton *>(button)->click();

    const chart::ChartSeries *series[] = {f.pages.Series6, f.pages.Series7, f.pages.Series8};
    const Date dates[] = {Date::Access, Date::Created, Date::Modified};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(DatesFixture::values(*series[i]),
                 inMegabytes ? expectedMegabytes(dates[i]) : expectedCounts(dates[i]));
        QCOMPARE(series[i]->unit(), inMegabytes ? QStringLiteral("MB") : QStringLiteral("files"));
    }
    // The single charts keep their own units.
    QCOMPARE(DatesFixture::values(*f.pages.HorizBarSeries1), megabytes(accessMB));
    QCOMPARE(DatesFixture::title(*f.pages.chartCombine),
             QStringLiteral("Combination Access/Created/Modified Chart"));
}

void tst_DatePages::combinedChartSetsThreeColouredSeriesSideBySide()
{
    DatesFixture f;
    f.refresh();
    const chart::ChartModel &model = f.pages.chartCombine->model();
    QCOMPARE(model.seriesCount(), 3);
    QCOMPARE(DatesFixture::title(*f.pages.chartCombine),
             QStringLiteral("Combination Access/Created/Modified Chart"));
    QVERIFY(model.settings().view.enabled);
    QCOMPARE(model.settings().view.depthPercent, 20);
    const struct
    {
        const chart::ChartSeries *series;
        const char *title;
        QColor colour;
        int offset;
    } expected[] = {{f.pages.Series6, "Accessed", QColor(255, 0, 0), 25},
                    {f.pages.Series7, "Created", QColor(0, 128, 0), 0},
                    {f.pages.Series8, "Modified", QColor(255, 255, 0), -25}};
    for (int i = 0; i < 3; ++i) {
        const auto &e = expected[i];
        QCOMPARE(&model.series(i), e.series);
        QCOMPARE(e.series->kind(), chart::SeriesKind::HorizontalBar);
        QCOMPARE(e.series->title(), QString::fromLatin1(e.title));
        QCOMPARE(e.series->color(), e.colour);
        QCOMPARE(e.series->barWidthPercent(), 40);
        QCOMPARE(e.series->barOffsetPercent(), e.offset);
        QCOMPARE(e.series->markStyle(), chart::MarkStyle::None);
        QCOMPARE(e.series->points().size(), std::size_t(10));
        for (int k = 0; k < kAgeBuckets; ++k) {
            QCOMPARE(e.series->points()[static_cast<std::size_t>(k)].color, e.colour);
            QCOMPARE(e.series->points()[static_cast<std::size_t>(k)].label, kBucketLabels[k]);
        }
    }
    const chart::ChartLayout layout(model, QRectF(0, 0, 616, 300));
    const chart::ChartGeometry &g = layout.geometry();
    QVERIFY(g.marks.empty());
    QCOMPARE(g.legend.size(), std::size_t(3));
    QCOMPARE(g.legend[0].text, QStringLiteral("Accessed"));
    QCOMPARE(g.legend[1].text, QStringLiteral("Created"));
    QCOMPARE(g.legend[1].color, QColor(0, 128, 0));
    QCOMPARE(g.legend[2].text, QStringLiteral("Modified"));
    // In one bucket's slot "Accessed" stands above "Created", "Modified" below.
    const auto barOf = [&g](int series, int point) {
        for (const chart::BarItem &bar : g.bars)
            if (bar.series == series && bar.point == point)
                return bar.front;
        return QRectF();
    };
    QVERIFY(barOf(0, 4).center().y() < barOf(1, 4).center().y());
    QVERIFY(barOf(1, 4).center().y() < barOf(2, 4).center().y());
}

void tst_DatePages::listingShowsTheTableOfThePageShownWithoutRebuilding_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("chartView");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("chart");
    QTest::newRow("Access") << kAccess << "rgAccess0"
                            << "rgAccess1"
                            << "gridAccess"
                            << "chartAccess";
    QTest::newRow("Created") << kCreated << "rgCreate0"
                             << "rgCreate2"
                             << "gridCreate"
                             << "chartCreate";
    QTest::newRow("Modified") << kModified << "rgModify0"
                              << "rgModify1"
                              << "gridModify"
                              << "chartModify";
    QTest::newRow("Combined") << kCombined << "rgCombine0"
                              << "rbCombine2"
                              << "gridCombine"
                              << "chartCombine";
}

void tst_DatePages::listingShowsTheTableOfThePageShownWithoutRebuilding()
{
    QFETCH(int, page);
    QFETCH(QString, listing);
    QFETCH(QString, chartView);
    QFETCH(QString, grid);
    QFETCH(QString, chart);
    DatesFixture f;
    f.refresh();
    f.showPage(page);
    QWidget *tab = f.harness.page(page);
    auto *table = tab->findChild<StringGrid *>(grid);
    auto *plot = tab->findChild<chart::Chart *>(chart);
    QVERIFY(table && plot);
    QVERIFY(table->isHidden());
    QVERIFY(!plot->isHidden());

    f.harness.stats.accessAgeBytes[0] += 3 * kMB;
    tab->findChild<QRadioButton *>(listing)->click();
    QVERIFY(!table->isHidden());
    QVERIFY(plot->isHidden());
    // The tables of the other pages stay where they were.
    for (StringGrid *other :
         {f.pages.gridAccess, f.pages.gridCreate, f.pages.gridModify, f.pages.gridCombine})
        QCOMPARE(other->isHidden(), other != table);
    // Nothing was rebuilt for a table.
    QCOMPARE(f.pages.HorizBarSeries1->points()[0].value, accessMB(0));
    QCOMPARE(f.pages.Series6->points()[0].value, accessMB(0));

    tab->findChild<QRadioButton *>(chartView)->click();
    QVERIFY(table->isHidden());
    QVERIFY(!plot->isHidden());
    QCOMPARE(f.pages.HorizBarSeries1->points()[0].value, accessMB(0) + 3);
}

void tst_DatePages::runWithoutFilesShowsZeroCellsAndTenEmptyBarsOnEveryChart()
{
    DatesFixture f;
    f.harness.stats = Statistics{};
    f.refresh();
    for (const StringGrid *grid :
         {f.pages.gridAccess, f.pages.gridCreate, f.pages.gridModify, f.pages.gridCombine})
        for (int row = 1; row <= 10; ++row)
            for (int column = 1; column < grid->colCount(); ++column)
                QCOMPARE(grid->cell(column, row), QStringLiteral("0"));
    for (const chart::ChartSeries *series :
         {f.pages.HorizBarSeries1, f.pages.HorizBarSeries2, f.pages.HorizBarSeries3,
          f.pages.Series6, f.pages.Series7, f.pages.Series8})
        QCOMPARE(DatesFixture::values(*series), QList<double>(10, 0.0));
    f.pages.rbCombine2->click();
    f.showPage(kAccess);
    f.pages.rgAccess[2]->click();
    QCOMPARE(DatesFixture::values(*f.pages.HorizBarSeries1), QList<double>(10, 0.0));
    QCOMPARE(DatesFixture::values(*f.pages.Series7), QList<double>(10, 0.0));
}

void tst_DatePages::singleChartsMarkSharesAndListValuesTopDown()
{
    DatesFixture f;
    f.harness.stats = Statistics{};
    f.harness.stats.modifiedAgeCount[0] = 1;
    f.harness.stats.modifiedAgeCount[9] = 3;
    f.refresh();
    f.showPage(kModified);
    f.pages.rgModify[2]->click();
    const chart::ChartLayout layout(f.pages.chartModify->model(), QRectF(0, 0, 616, 300));
    const chart::ChartGeometry &g = layout.geometry();
    QCOMPARE(g.marks.size(), std::size_t(10));
    QCOMPARE(g.marks[0].text, QStringLiteral("25 %"));
    QCOMPARE(g.marks[1].text, QStringLiteral("0 %"));
    QCOMPARE(g.marks[9].text, QStringLiteral("75 %"));
    QCOMPARE(g.legend.size(), std::size_t(10));
    QCOMPARE(g.legend.front().text, QStringLiteral("3")); // "Over 4 years", the top bar
    QCOMPARE(g.legend.front().color, kPaletteColours[9]);
    QCOMPARE(g.legend.back().text, QStringLiteral("1"));
    QCOMPARE(g.legend.back().swatch.width(), 15.0);
    for (const chart::BarItem &bar : g.bars)
        QVERIFY(bar.gradient);
}

void tst_DatePages::everyRebuildUndoesTheZoomOfAllFourCharts()
{
    DatesFixture f;
    f.refresh();
    const chart::UserZoom zoom{{0.0, 1.0}, {2.0, 5.0}};
    const QList<chart::Chart *> charts = {f.pages.chartAccess, f.pages.chartCreate,
                                          f.pages.chartModify, f.pages.chartCombine};
    for (chart::Chart *c : charts) {
        QVERIFY(c->model().settings().userZoomAllowed);
        c->model().zoomTo(zoom);
    }
    f.pages.doFileAges();
    for (chart::Chart *c : charts)
        QVERIFY2(!c->model().isZoomed(), qPrintable(c->objectName()));

    for (chart::Chart *c : charts)
        c->model().zoomTo(zoom);
    f.showPage(kCombined);
    f.pages.rbCombine2->click();
    for (chart::Chart *c : charts)
        QVERIFY2(!c->model().isZoomed(), qPrintable(c->objectName()));
}

void tst_DatePages::rowsOfTheDateTablesArePicked()
{
    DatesFixture f;
    f.refresh();
    f.harness.notebook.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.harness.notebook));
    const struct
    {
        int page;
        QRadioButton *listing;
        StringGrid *grid;
    } tables[] = {{kAccess, f.pages.rgAccess[0], f.pages.gridAccess},
                  {kCreated, f.pages.rgCreate[0], f.pages.gridCreate},
                  {kModified, f.pages.rgModify[0], f.pages.gridModify},
                  {kCombined, f.pages.rgCombine0, f.pages.gridCombine}};
    for (const auto &t : tables) {
        StringGrid &grid = *t.grid;
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(20, 20));
        f.showPage(t.page);
        t.listing->click();
        QVERIFY(grid.isVisible());
        // A click picks a row, the keys move it, and a heading is never picked.
        QVERIFY(grid.isEnabled());
        grid.setFocus();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.cellRect(grid.colCount() - 1, 10).center());
        QCOMPARE(grid.row(), 10);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Home, Qt::Key_Up})
            QTest::keyClick(&grid, key);
        QCOMPARE(grid.row(), 1);
    }
}

void tst_DatePages::dateTablesDrawTheirCellsThroughTheSharedHandler()
{
    DatesFixture f;
    f.refresh();
    f.harness.notebook.show();
    f.showPage(kCombined);
    f.pages.rgCombine0->click();
    StringGrid &grid = *f.pages.gridCombine;
    QVERIFY(grid.isVisible());
    TextRecorder recorder(grid.size());
    QPainter painter(&recorder);
    grid.render(&painter);
    painter.end();

    const QPoint offset = grid.viewport()->mapTo(&grid, QPoint(0, 0));
    const auto find = [&recorder](const QString &text) -> const RecordedText * {
        for (const RecordedText &t : recorder.texts)
            if (t.text == text)
                return &t;
        return nullptr;
    };
    const RecordedText *label = find(QStringLiteral("Not recorded"));
    QVERIFY(label);
    QCOMPARE(label->origin.x(), double(offset.x() + grid.cellRect(0, 10).left() + 3));
    const RecordedText *files = find(QStringLiteral("1,000")); // last writes, bucket 0
    QVERIFY(files);
    const QRect cell = grid.cellRect(6, 10);
    QCOMPARE(files->origin.x() + files->width, double(offset.x() + cell.left() + cell.width() - 3));
}

void tst_DatePages::scannedFilesFallInTheBucketsOfTheirAges()
{
    ViewsEnvironment env;
    // Besides the seven files of the tree, written just now: one written
    // today whose last access lies before 1980 (not recorded), one written
    // and read 8 days ago, one written 366 days ago and read in 3 days.
    const QString dir = env.c.path() + QStringLiteral("/dated");
    QVERIFY(QDir().mkpath(dir));
    const struct
    {
        const char *name;
        qint64 size;
        qint64 accessed;
        qint64 modified;
    } files[] = {{"today.dat", 1000, 86400, localNoon(0)},
                 {"eight days.dat", 2000, localNoon(-8), localNoon(-8)},
                 {"a year.dat", 3000, localNoon(3), localNoon(-366)}};
    for (const auto &file : files) {
        const QString path = dir + QLatin1Char('/') + QString::fromLatin1(file.name);
        writeFile(path, file.size);
        QVERIFY(setFileTimes(path, file.accessed, file.modified));
    }

    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const DatePages &d = *w.datePages;

    // The tree's own files hold 20,309 bytes.
    QCOMPARE(d.gridAccess->rowTexts(10), QStringList({"Not recorded", "1,000", "1"}));
    QCOMPARE(d.gridAccess->rowTexts(9), QStringList({"<= 7 days", "23,309", "8"}));
    QCOMPARE(d.gridAccess->rowTexts(8), QStringList({"8 - 30 days", "2,000", "1"}));
    QCOMPARE(d.gridModify->rowTexts(10), QStringList({"Not recorded", "0", "0"}));
    QCOMPARE(d.gridModify->rowTexts(9), QStringList({"<= 7 days", "21,309", "8"}));
    QCOMPARE(d.gridModify->rowTexts(8), QStringList({"8 - 30 days", "2,000", "1"}));
    QCOMPARE(d.gridModify->rowTexts(4), QStringList({"1 - 2 years", "3,000", "1"}));
    for (int row : {1, 2, 3, 5, 6, 7}) {
        QCOMPARE(d.gridModify->rowTexts(row).mid(1), QStringList({"0", "0"}));
        QCOMPARE(d.gridAccess->rowTexts(row).mid(1), QStringList({"0", "0"}));
    }
    // Whether the file system keeps birth times or not, all ten files were
    // born today or have no recorded birth.
    QCOMPARE(d.gridCreate->cell(2, 10).toInt() + d.gridCreate->cell(2, 9).toInt(), 10);
    for (int row = 1; row <= 8; ++row)
        QCOMPARE(d.gridCreate->cell(2, row), QStringLiteral("0"));

    const QList<double> modified = DatesFixture::values(*d.HorizBarSeries3);
    QCOMPARE(modified, QList<double>({0, 21309 / kMB, 2000 / kMB, 0, 0, 0, 3000 / kMB, 0, 0, 0}));
    QCOMPARE(DatesFixture::values(*d.Series6),
             QList<double>({1000 / kMB, 23309 / kMB, 2000 / kMB, 0, 0, 0, 0, 0, 0, 0}));

    QVERIFY(w.OvcNotebook1->setPageIndex(kModified));
    d.rgModify[2]->click();
    QCOMPARE(DatesFixture::values(*d.HorizBarSeries3),
             QList<double>({0, 8, 1, 0, 0, 0, 1, 0, 0, 0}));
    QCOMPARE(DatesFixture::title(*d.chartModify),
             QStringLiteral("Modified Date (Number of files)"));
}

void tst_DatePages::combinedListingStaysAtHandDuringAScan()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.show();
    QVERIFY(w.OvcNotebook1->setPageIndex(kCombined));
    w.runWizard = [] { return allFilesOf({"c: [sys]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), 30000);

    const DatePages &d = *w.datePages;
    for (QRadioButton *button :
         {d.rgAccess[0], d.rgAccess[1], d.rgAccess[2], d.rgCreate[0], d.rgCreate[1], d.rgCreate[2],
          d.rgModify[0], d.rgModify[1], d.rgModify[2], d.rbCombine1, d.rbCombine2})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(d.rgCombine0->isEnabled());
    d.rgCombine0->click();
    QVERIFY(!d.gridCombine->isHidden());
    QVERIFY(d.chartCombine->isHidden());
    // Only the table was shown: the charts wait for the drive to be done.
    QVERIFY(d.Series6->points().empty());

    gate.release();
    QTRY_VERIFY_WITH_TIMEOUT(!w.scanRunning(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(d.Series6->points().size(), std::size_t(10), 30000);
    QVERIFY(!d.gridCombine->isHidden());
}

void tst_DatePages::copyAndCsvOfEachTableGiveItsHeadingsAndFigures_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("Access") << 0 << "Accessed dates.csv";
    QTest::newRow("Created") << 1 << "Created dates.csv";
    QTest::newRow("Modified") << 2 << "Modified dates.csv";
    QTest::newRow("Combined") << 3 << "Combined dates.csv";
}

void tst_DatePages::copyAndCsvOfEachTableGiveItsHeadingsAndFigures()
{
    QFETCH(int, table);
    QFETCH(QString, fileName);
    DatesFixture f;
    f.refresh();
    f.harness.notebook.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.harness.notebook));
    const struct
    {
        int page;
        QRadioButton *listing;
        StringGrid *grid;
        TableExport *exporter;
        QStringList headings;
    } tables[] = {
        {kAccess,
         f.pages.rgAccess[0],
         f.pages.gridAccess,
         f.pages.accessTable,
         {"Accessed Date", "Total file size", "Number of files"}},
        {kCreated,
         f.pages.rgCreate[0],
         f.pages.gridCreate,
         f.pages.createTable,
         {"Created Date", "Total file size", "Number of files"}},
        {kModified,
         f.pages.rgModify[0],
         f.pages.gridModify,
         f.pages.modifyTable,
         {"Modified Date", "Total file size", "Number of files"}},
        {kCombined,
         f.pages.rgCombine0,
         f.pages.gridCombine,
         f.pages.combineTable,
         {"Combined dates", "Access Size", "Access # files", "Create Size", "Create # files",
          "Modify Size", "Modify # files"}},
    };
    const auto &t = tables[table];

    // Row r holds bucket 10 - r, "Over 4 years" at the top.
    QList<QStringList> shown{t.headings};
    QList<QStringList> plain{t.headings};
    for (int row = 1; row <= kAgeBuckets; ++row) {
        const int k = kAgeBuckets - row;
        const QList<double> figures[] = {
            {accessMB(k) * kMB, 10.0 + k},
            {createdMB(k) * kMB, 100.0 + k},
            {modifiedMB(k) * kMB, 1000.0 + k},
        };
        QList<double> cells = table < 3 ? figures[table] : figures[0] + figures[1] + figures[2];
        QStringList shownRow{kBucketLabels[k]};
        QStringList plainRow{kBucketLabels[k]};
        for (const double n : cells) {
            shownRow << grouped(n);
            plainRow << QString::number(qint64(n));
        }
        shown << shownRow;
        plain << plainRow;
    }
    QCOMPARE(shown[1].mid(0, 3), table == 0   ? QStringList({"Over 4 years", "9,961,472", "19"})
                                 : table == 1 ? QStringList({"Over 4 years", "21,495,808", "109"})
                                 : table == 2 ? QStringList({"Over 4 years", "28,573,696", "1,009"})
                                              : QStringList({"Over 4 years", "9,961,472", "19"}));

    f.showPage(t.page);
    t.listing->click();
    StringGrid &grid = *t.grid;
    QVERIFY(grid.isVisible());

    markClipboard();
    t.exporter->copyAction()->trigger();
    QCOMPARE(clipboardText(), tsvLines(shown));

    markClipboard();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), tsvLines(shown));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dates.csv"));
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    t.exporter->saveAction()->trigger();
    QCOMPARE(chooser.suggestedName, fileName);
    QVERIFY(messages.shown().empty());
    QCOMPARE(fileBytes(path), csvLines(plain));

    QCOMPARE(grid.contextMenu(), t.exporter->menu());
    QCOMPARE(captions(*grid.contextMenu()), QStringList({"Show files", "-", "Copy", "Save as CSV…"}));
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, grid.cellRect(1, 2).center());
    QTRY_VERIFY(grid.contextMenu()->isVisible());
    grid.contextMenu()->hide();
    QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(20, 20));
}

void tst_DatePages::noteButtonsAreNamedForAScreenReader_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Access") << kAccess << "SpeedButton1"
                            << "About files never recorded as accessed";
    QTest::newRow("Created") << kCreated << "SpeedButton2"
                             << "About files never recorded as created";
    QTest::newRow("Modified") << kModified << "SpeedButton3"
                              << "About the file modification date";
    QTest::newRow("Combined") << kCombined << "SpeedButton4"
                              << "About this chart";
}

void tst_DatePages::noteButtonsAreNamedForAScreenReader()
{
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(QString, hint);
    DatesFixture f;
    auto *note = f.harness.page(page)->findChild<QToolButton *>(button);
    QVERIFY(note && note->text().isEmpty());
    QCOMPARE(QAccessible::queryAccessibleInterface(note)->text(QAccessible::Name), "Note");
    QCOMPARE(note->toolTip(), hint);
}

QTEST_MAIN(tst_DatePages)
#include "tst_DatePages.moc"
