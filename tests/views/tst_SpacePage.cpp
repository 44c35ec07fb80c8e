#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "ChartReading.h"
#include "PageFixture.h"
#include "platform/fake/LatchedVolumes.h"
#include "platform/TimeLimitedVolumes.h"
#include "ScanFixture.h"
#include "views/SpacePage.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"

#include <cmath>
#include <functional>
#include <memory>
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace vorin;
using namespace vorin::testing;

namespace {

constexpr double kKiB = 1024.0;
constexpr double kMiB = 1024.0 * 1024.0;
const QColor kFuchsia(255, 0, 255);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// One Space page on its own, over the drives the test hands it.
struct SpaceSetup
{
    explicit SpaceSetup(const Volumes &drives, LocaleSeparators locale = {})
        : services{drives, settings, registry, std::move(locale), 1}, harness(services),
          page(new SpacePage(harness.page(0), harness.context))
    {}

    // Lists one entry per letter, in the order given, all selected.
    void listDrives(const QString &letters) const
    {
        QStringList entries;
        for (const QChar letter : letters)
            entries << QString(letter) + QStringLiteral(": [disk]");
        page->pckStatDrive->setItems(entries);
        page->pckStatDrive->setAllSelected(true);
    }

    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    Services services;
    PageHarness harness;
    SpacePage *page; // owned by the notebook page
};

void addDrive(FakeVolumes &volumes, char letter, double freeBytes, double totalBytes,
              bool ready = true)
{
    volumes.add(fixedVolume(letter, QStringLiteral("/mnt/%1").arg(letter), "disk"),
                {freeBytes, totalBytes}, 4096, ready);
}

QStringList labelsOf(const chart::ChartSeries &series)
{
    QStringList labels;
    for (const chart::ChartPoint &point : series.points())
        labels << point.label;
    return labels;
}

QColor textColor(const QLabel &label)
{
    return label.palette().color(QPalette::WindowText);
}

using testing::titleOf;
using testing::valuesOf;

int rotationOf(const chart::Chart &chart)
{
    return chart.model().series(0).rotation();
}

// Questions about drive c call back into the page while it recomputes, as a
// click arriving in the middle of a recomputation would.
class CallingBackVolumes final : public Volumes
{
public:
    explicit CallingBackVolumes(const Volumes &inner) : m_inner(inner) {}
    std::function<void()> onSpaceOfC;
    mutable int spaceQuestionsOfC = 0;

    [[nodiscard]] std::vector<Volume> list() const override { return m_inner.list(); }
    [[nodiscard]] std::optional<Volume> find(char l) const override { return m_inner.find(l); }
    [[nodiscard]] bool ready(char l) const override { return m_inner.ready(l); }
    [[nodiscard]] DiskSpace space(char l) const override
    {
        if (l == 'c') {
            ++spaceQuestionsOfC;
            if (onSpaceOfC)
                onSpaceOfC();
        }
        return m_inner.space(l);
    }
    [[nodiscard]] std::int64_t allocationUnit(char l) const override
    {
        return m_inner.allocationUnit(l);
    }
    [[nodiscard]] char currentDriveLetter() const override { return m_inner.currentDriveLetter(); }

private:
    const Volumes &m_inner;
};

} // namespace

class tst_SpacePage : public QObject
{
    Q_OBJECT

private slots:
    void pagePutsThePiePanelInFrontAtCreation();
    void oneDriveShowsMegabytesWithFreeAboveUsedAndNoTotal();
    void twoDrivesAddATotalPairThatTheCheckBoxTakesAway();
    void totalPairShowsAlsoWhenAllFreeSpaceIsOnTheLastDrive();
    void notReadyAndUnselectedDrivesGetNoBars();
    void reportDrivesShowTheirOwnSpaceRowByRow();
    void aFolderOnAListedDiskCountsOnceInTheTotals_data();
    void aFolderOnAListedDiskCountsOnceInTheTotals();
    void unitSwitchesToMegabytesAtTenThousandKilobytes_data();
    void unitSwitchesToMegabytesAtTenThousandKilobytes();
    void capacityIsWrittenWithTwoDecimalsAndCutAtTheSeparator_data();
    void capacityIsWrittenWithTwoDecimalsAndCutAtTheSeparator();
    void freeFigureTurnsRedWhenTheUsedAmountIsFiveOrLess_data();
    void freeFigureTurnsRedWhenTheUsedAmountIsFiveOrLess();
    void figuresAndMarksUseTheUsersSeparators();
    void smallDriveAmongLargeOnesIsDrawnInTheUnitOfTheAxis();
    void driveOfNoBytesGivesNoNotANumber();
    void noDriveMeasuredHidesCaptionsKeysAndChart();
    void freePercentTextKeepsOneDecimalUnrounded_data();
    void freePercentTextKeepsOneDecimalUnrounded();
    void piesCoverEveryReadyDriveWithTitlesAndTwoSlices();
    void moreThanElevenReadyDrivesGiveElevenPiesAndTheTotalOfThose();
    void totalPieWithoutAReadyDriveIsEmpty();
    void pieOfADriveNoLongerReadyIsHidden();
    void pieViewHidesTheListAndBarsAndStartsTheRotation();
    void barViewStartsTheDepthAnimationFromOnePercent();
    void depthGrowsInStepsToItsTarget_data();
    void depthGrowsInStepsToItsTarget();
    void clickingAPieTogglesTheRotationAndTheScrollBar();
    void scrollBarTurnsEveryVisiblePie();
    void fewerThanSixListItemsTurnAllPiesTogether();
    void sixOrMoreListItemsTurnOnlyTheTotalPie();
    void rotationTickDoesNothingInBarView();
    void selectAllAndDeselectAllRecomputeFromTheListsMenu();
    void deselectAllThenPieThenBarBringsTheListBackWithoutBars();
    void driveListClickIsNotTakenWhileARecomputationRuns();
    void pieViewAsksEachDriveOncePerRecomputation();
    void blockedDriveIsLeftOutAndTheOthersAreShown();
    void viewsSurvivePageChangesAndScans();
    void captionsLabelTheirFiguresForAScreenReader_data();
    void captionsLabelTheirFiguresForAScreenReader();
    void tabGoesThroughTheBarsOrPiesBeforeTheViewButtons();
};

void tst_SpacePage::pagePutsThePiePanelInFrontAtCreation()
{
    FakeVolumes volumes;
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    QWidget *page = s.harness.page(0);

    QVERIFY(!p.pnlPie->isHidden());
    QCOMPARE(p.pnlPie->geometry(), QRect(4, 4, 616, 336));
    const QObjectList order = page->children();
    QVERIFY(order.indexOf(p.pnlPie) > order.indexOf(p.Panel4));
    QVERIFY(order.indexOf(p.pnlPie) > order.indexOf(p.chartSpaceBar));
    for (int n = 1; n <= 11; ++n) {
        QCOMPARE(p.pie(n)->objectName(), QStringLiteral("pie%1").arg(n));
        QVERIFY(p.pie(n)->isHidden());
        QCOMPARE(p.pie(n)->size(), QSize(103, 99));
        QCOMPARE(p.pie(n)->hint(), QStringLiteral("Click on pie to toggle animation"));
        QCOMPARE(rotationOf(*p.pie(n)), 60);
    }
    QCOMPARE(p.pie(1)->pos(), QPoint(6, 7));
    QCOMPARE(p.pie(5)->pos(), QPoint(510, 7));
    QCOMPARE(p.pie(8)->pos(), QPoint(258, 109));
    QCOMPARE(p.pie(11)->pos(), QPoint(258, 211));
    QVERIFY(p.pieTotal->isHidden());
    QCOMPARE(p.pieTotal->geometry(), QRect(374, 119, 235, 183));
    QCOMPARE(p.pieTotal->model().view().depthPercent, 65);
    QCOMPARE(p.pieTotal->model().view().elevation, 315);
    QVERIFY(p.ScrollBar3->isHidden());
    QCOMPARE(p.ScrollBar3->geometry(), QRect(3, 313, 134, 18));
    QCOMPARE(p.ScrollBar3->minimum(), 0);
    QCOMPARE(p.ScrollBar3->maximum(), 360);
    QCOMPARE(p.ScrollBar3->pageStep(), 5);

    QCOMPARE(p.lblTotalC->text(), QStringLiteral("Total Capacity:"));
    QCOMPARE(p.lblFreeC->text(), QStringLiteral("Free Space:"));
    QCOMPARE(p.label26->text(), QStringLiteral("Used Space:"));
    QCOMPARE(p.Panel1->palette().color(QPalette::Window), kFuchsia);
    QCOMPARE(p.Panel2->palette().color(QPalette::Window), kBlue);
    QCOMPARE(p.pckStatDrive->contextMenu(), p.popSel);
    QCOMPARE(p.SelectAll1->text(), QStringLiteral("Select All"));
    QCOMPARE(p.DeselectAll1->text(), QStringLiteral("Deselect All"));
    QCOMPARE(p.popSel->actions().size(), 2);
    QCOMPARE(p.popSel->actions().at(0), p.SelectAll1);
    QCOMPARE(p.popSel->actions().at(1), p.DeselectAll1);

    const chart::ChartSettings &bars = p.chartSpaceBar->model().settings();
    QVERIFY(bars.stacked);
    QVERIFY(!bars.titleVisible);
    QVERIFY(!bars.legend.visible);
    QVERIFY(!bars.userZoomAllowed);
    QVERIFY(bars.view.enabled);
    QCOMPARE(bars.leftAxis.format, QStringLiteral("#,##0 MB"));
    QCOMPARE(p.Series4().valueFormat(), QStringLiteral("#,##0 MB"));
    QCOMPARE(p.Series5().valueFormat(), QStringLiteral("#,##0 MB"));
}

void tst_SpacePage::oneDriveShowsMegabytesWithFreeAboveUsedAndNoTotal()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 5 * kGiB, 20 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();

    QCOMPARE(p.measuredDrives(), 1);
    QCOMPARE(p.lblTotal->text(), QStringLiteral("20,480"));
    QCOMPARE(p.lblTot->text(), QStringLiteral("MB"));
    QCOMPARE(p.lblFree->text(), QStringLiteral("5,120"));
    QCOMPARE(p.lblPct->text(), QStringLiteral("MB "));
    QCOMPARE(p.lblUsed->text(), QStringLiteral("15,360"));
    QCOMPARE(p.lblPct2->text(), QStringLiteral("MB "));
    QCOMPARE(textColor(*p.lblFree), kBlack);

    QCOMPARE(labelsOf(p.Series4()), QStringList({"c"}));
    QCOMPARE(valuesOf(p.Series4()), QList<double>({5120}));
    QCOMPARE(p.Series4().pointColor(0), kFuchsia);
    QCOMPARE(labelsOf(p.Series5()), QStringList({"c"}));
    QCOMPARE(valuesOf(p.Series5()), QList<double>({15360}));
    QCOMPARE(p.Series5().pointColor(0), kBlue);

    // Used is the first series, so free stands on top of it.
    const chart::ChartModel &model = p.chartSpaceBar->model();
    QCOMPARE(&model.series(0), &p.Series5());
    const chart::ChartLayout layout(model, QRectF(0, 0, 436, 255));
    const chart::ChartGeometry &g = layout.geometry();
    QCOMPARE(g.bars.size(), std::size_t(2));
    for (const chart::BarItem &bar : g.bars) {
        if (bar.series == 1) {
            QCOMPARE(bar.stackBase, 15360.0);
            QCOMPARE(bar.color, kFuchsia);
        } else {
            QCOMPARE(bar.stackBase, 0.0);
            QCOMPARE(bar.color, kBlue);
        }
    }
    QStringList marks;
    for (const chart::MarkItem &mark : g.marks) {
        marks << mark.text;
        QCOMPARE(mark.textColor, QColor(Qt::white));
    }
    marks.sort();
    QCOMPARE(marks, QStringList({"15,360 MB", "5,120 MB"}));

    for (const QWidget *w : std::initializer_list<const QWidget *>{
             p.Panel1, p.Panel2, p.chartSpaceBar, p.lblTotalC, p.lblFreeC, p.label26, p.Panel4})
        QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    QVERIFY(p.pnlPie->isHidden());
}

void tst_SpacePage::twoDrivesAddATotalPairThatTheCheckBoxTakesAway()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 10 * kGiB, 40 * kGiB);
    addDrive(volumes, 'd', 5 * kGiB, 20 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.doDiskSize();

    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "d", "Total"}));
    QCOMPARE(valuesOf(p.Series4()), QList<double>({10240, 5120, 15360}));
    QCOMPARE(labelsOf(p.Series5()), QStringList({"c", "d", "Total"}));
    QCOMPARE(valuesOf(p.Series5()), QList<double>({30720, 15360, 46080}));
    QCOMPARE(p.lblTotal->text(), QStringLiteral("61,440"));

    p.cbTotal->click();
    QVERIFY(!p.cbTotal->isChecked());
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "d"}));
    QCOMPARE(labelsOf(p.Series5()), QStringList({"c", "d"}));
    QCOMPARE(p.lblTotal->text(), QStringLiteral("61,440")); // the figures still sum both

    p.cbTotal->click();
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "d", "Total"}));
}

void tst_SpacePage::totalPairShowsAlsoWhenAllFreeSpaceIsOnTheLastDrive()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 0, 10 * kGiB);
    addDrive(volumes, 'd', 5 * kGiB, 10 * kGiB);
    const SpaceSetup s(volumes);
    s.listDrives(QStringLiteral("cd"));
    s.page->doDiskSize();

    QCOMPARE(labelsOf(s.page->Series4()), QStringList({"c", "d", "Total"}));
    QCOMPARE(valuesOf(s.page->Series4()), QList<double>({0, 5120, 5120}));
    QCOMPARE(valuesOf(s.page->Series5()), QList<double>({10240, 5120, 15360}));
}

void tst_SpacePage::reportDrivesShowTheirOwnSpaceRowByRow()
{
    // Two machines' reports added up: both have a "c: [sys]", and the second
    // machine's d: lies on the file system of its c: (the same capacity and
    // free space). This machine's c: and d: have nothing to do with them.
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 2 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 2 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    const auto gib = [](std::int64_t n) { return static_cast<double>(n * kGiB); };
    p.showReportDrives({{"c: [sys]", gib(20), gib(5)},
                        {"c: [sys]", gib(40), gib(10)},
                        {"d: [data]", gib(40), gib(10)}});

    QCOMPARE(p.measuredDrives(), 3);
    QCOMPARE(valuesOf(p.Series4()), QList<double>({5120, 10240, 10240, 15360})); // free, MB
    QCOMPARE(p.lblTotal->text(), QStringLiteral("61,440"));
    QCOMPARE(p.lblFree->text(), QStringLiteral("15,360"));
}

void tst_SpacePage::aFolderOnAListedDiskCountsOnceInTheTotals_data()
{
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<double>("freeGiB");
    QTest::addColumn<double>("capacityGiB");
    QTest::addColumn<QString>("capacityText"); // in MB
    QTest::newRow("the disk and a folder on it") << "cf" << 10.0 << 40.0 << "40,960";
    QTest::newRow("two folders on the disk") << "fg" << 10.0 << 40.0 << "40,960";
    QTest::newRow("both disks and both folders") << "cdfg" << 15.0 << 60.0 << "61,440";
}

// f: and g: are folders given drives of their own on c:; they answer c:'s
// space. The totals count c: once; each drive keeps its own bar and pie.
void tst_SpacePage::aFolderOnAListedDiskCountsOnceInTheTotals()
{
    QFETCH(QString, ticked);
    QFETCH(double, freeGiB);
    QFETCH(double, capacityGiB);
    QFETCH(QString, capacityText);
    FakeVolumes volumes;
    addDrive(volumes, 'c', 10 * kGiB, 40 * kGiB);
    addDrive(volumes, 'd', 5 * kGiB, 20 * kGiB);
    for (const char folder : {'f', 'g'}) {
        addDrive(volumes, folder, 10 * kGiB, 40 * kGiB);
        volumes.setSpaceOwner(folder, 'c');
    }
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(ticked);
    p.doDiskSize();

    QCOMPARE(labelsOf(p.Series4()).size(), ticked.size() + 1);
    QCOMPARE(p.Series4().points().front().value, 10240.0);
    QCOMPARE(p.Series4().points().back().value, freeGiB * 1024);
    QCOMPARE(p.Series5().points().back().value, (capacityGiB - freeGiB) * 1024);
    QCOMPARE(p.lblTotal->text(), capacityText);

    p.rgSpace1->click();
    QCOMPARE(valuesOf(p.pieTotal->model().series(0)),
             QList<double>({(capacityGiB - freeGiB) * kGiB, freeGiB * kGiB}));
    QCOMPARE(valuesOf(p.pie(1)->model().series(0)), QList<double>({30 * kGiB, 10 * kGiB}));
}

void tst_SpacePage::notReadyAndUnselectedDrivesGetNoBars()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB, false);
    addDrive(volumes, 'e', 2 * kGiB, 8 * kGiB);
    addDrive(volumes, 'f', 3 * kGiB, 8 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cdef"));
    p.pckStatDrive->setSelected(3, false);
    p.doDiskSize();

    QCOMPARE(p.measuredDrives(), 2);
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "e", "Total"}));
    QCOMPARE(p.lblTotal->text(), QStringLiteral("12,288"));
    QCOMPARE(p.lblFree->text(), QStringLiteral("3,072"));
}

void tst_SpacePage::unitSwitchesToMegabytesAtTenThousandKilobytes_data()
{
    QTest::addColumn<double>("totalBytes");
    QTest::addColumn<double>("freeBytes");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("free");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("format");

    QTest::newRow("8,000 KB") << 8000 * kKiB << 2000 * kKiB << QStringLiteral("8,000")
                              << QStringLiteral("2,000") << QStringLiteral("6,000")
                              << QStringLiteral("KB") << QStringLiteral("#,##0 KB");
    QTest::newRow("9,999 KB") << 9999 * kKiB << 999 * kKiB << QStringLiteral("9,999")
                              << QStringLiteral("999") << QStringLiteral("9,000")
                              << QStringLiteral("KB") << QStringLiteral("#,##0 KB");
    // 10,000 KB are 9.77 MB.
    QTest::newRow("10,000 KB") << 10000 * kKiB << 5000 * kKiB << QStringLiteral("9")
                               << QStringLiteral("5") << QStringLiteral("5") << QStringLiteral("MB")
                               << QStringLiteral("#,##0 MB");
    QTest::newRow("20 GB") << 20 * kGiB << 5 * kGiB << QStringLiteral("20,480")
                           << QStringLiteral("5,120") << QStringLiteral("15,360")
                           << QStringLiteral("MB") << QStringLiteral("#,##0 MB");
}

void tst_SpacePage::unitSwitchesToMegabytesAtTenThousandKilobytes()
{
    QFETCH(double, totalBytes);
    QFETCH(double, freeBytes);
    QFETCH(QString, total);
    QFETCH(QString, free);
    QFETCH(QString, used);
    QFETCH(QString, unit);
    QFETCH(QString, format);

    FakeVolumes volumes;
    addDrive(volumes, 'c', freeBytes, totalBytes);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();

    QCOMPARE(p.lblTotal->text(), total);
    QCOMPARE(p.lblFree->text(), free);
    QCOMPARE(p.lblUsed->text(), used);
    QCOMPARE(p.lblTot->text(), unit);
    QCOMPARE(p.lblPct->text(), unit + QLatin1Char(' '));
    QCOMPARE(p.lblPct2->text(), unit + QLatin1Char(' '));
    QCOMPARE(p.chartSpaceBar->model().settings().leftAxis.format, format);
    QCOMPARE(p.Series4().valueFormat(), format);
    QCOMPARE(p.Series5().valueFormat(), format);
    QCOMPARE(p.Series4().unit(), unit);
    QCOMPARE(p.Series5().unit(), unit);
    QCOMPARE(p.lblTotal->accessibleName(), total + QLatin1Char(' ') + unit);
}

void tst_SpacePage::capacityIsWrittenWithTwoDecimalsAndCutAtTheSeparator_data()
{
    QTest::addColumn<double>("megabytes");
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("total");

    QTest::newRow("1,234.56") << 1234.56 << QStringLiteral(",") << QStringLiteral(".")
                              << QStringLiteral("1,234");
    QTest::newRow("1,234.996 rounds first")
        << 1234.996 << QStringLiteral(",") << QStringLiteral(".") << QStringLiteral("1,235");
    QTest::newRow("1.234,56") << 1234.56 << QStringLiteral(".") << QStringLiteral(",")
                              << QStringLiteral("1.234");
    QTest::newRow("1'234.5") << 1234.5 << QStringLiteral("'") << QStringLiteral(".")
                             << QStringLiteral("1'234");
}

void tst_SpacePage::capacityIsWrittenWithTwoDecimalsAndCutAtTheSeparator()
{
    QFETCH(double, megabytes);
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    QFETCH(QString, total);

    FakeVolumes volumes;
    addDrive(volumes, 'c', 0, megabytes * kMiB);
    const SpaceSetup s(volumes, LocaleSeparators{thousands.toStdString(), decimal.toStdString()});
    s.listDrives(QStringLiteral("c"));
    s.page->doDiskSize();
    QCOMPARE(s.page->lblTotal->text(), total);
}

void tst_SpacePage::freeFigureTurnsRedWhenTheUsedAmountIsFiveOrLess_data()
{
    QTest::addColumn<double>("totalMb");
    QTest::addColumn<double>("freeMb");
    QTest::addColumn<QString>("used");
    QTest::addColumn<bool>("red");

    QTest::newRow("used 0") << 20480.0 << 20480.0 << QStringLiteral("0") << true;
    QTest::newRow("used 4.5 rounds to 4") << 20480.0 << 20475.5 << QStringLiteral("4") << true;
    QTest::newRow("used 5") << 20480.0 << 20475.0 << QStringLiteral("5") << true;
    QTest::newRow("used 5.5 rounds to 6") << 20480.0 << 20474.5 << QStringLiteral("6") << false;
    QTest::newRow("used 6") << 20480.0 << 20474.0 << QStringLiteral("6") << false;
    QTest::newRow("used 6.5 rounds to 6") << 20480.0 << 20473.5 << QStringLiteral("6") << false;
    // The used amount decides, not the free one.
    QTest::newRow("free 3, used 20,477") << 20480.0 << 3.0 << QStringLiteral("20,477") << false;
}

void tst_SpacePage::freeFigureTurnsRedWhenTheUsedAmountIsFiveOrLess()
{
    QFETCH(double, totalMb);
    QFETCH(double, freeMb);
    QFETCH(QString, used);
    QFETCH(bool, red);

    FakeVolumes volumes;
    addDrive(volumes, 'c', freeMb * kMiB, totalMb * kMiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();

    QCOMPARE(p.lblUsed->text(), used);
    const QColor expected = red ? kRed : kBlack;
    QCOMPARE(textColor(*p.lblFree), expected);
    QCOMPARE(textColor(*p.lblPct), expected);
    QCOMPARE(textColor(*p.lblUsed), textColor(*p.lblTotal)); // only free and its unit change
}

void tst_SpacePage::figuresAndMarksUseTheUsersSeparators()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 5 * kGiB, 20 * kGiB);
    addDrive(volumes, 'd', 4538 * kMiB, 10000 * kMiB);
    // A French desktop groups with a narrow no-break space.
    const QString narrow(QChar(0x202F));
    const SpaceSetup s(volumes, LocaleSeparators{narrow.toStdString(), ","});
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.doDiskSize();

    QCOMPARE(p.lblTotal->text(), QStringLiteral("30") + narrow + QStringLiteral("480"));
    QCOMPARE(p.lblFree->text(), QStringLiteral("9") + narrow + QStringLiteral("658"));
    QCOMPARE(p.lblUsed->text(), QStringLiteral("20") + narrow + QStringLiteral("822"));
    const chart::ChartLayout layout(p.chartSpaceBar->model(), QRectF(0, 0, 436, 255));
    QStringList marks;
    for (const chart::MarkItem &mark : layout.geometry().marks)
        marks << mark.text;
    QVERIFY2(marks.contains(QStringLiteral("15") + narrow + QStringLiteral("360 MB")),
             qPrintable(marks.join(QLatin1Char('|'))));

    p.rgSpace1->click();
    QCOMPARE(titleOf(*p.pie(2)), QStringLiteral("D:\\  45,3% free"));
}

void tst_SpacePage::smallDriveAmongLargeOnesIsDrawnInTheUnitOfTheAxis()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 5 * kGiB, 20 * kGiB);
    addDrive(volumes, 'd', 1000 * kKiB, 5000 * kKiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.doDiskSize();

    QCOMPARE(p.chartSpaceBar->model().settings().leftAxis.format, QStringLiteral("#,##0 MB"));
    // 1,000 KB free and 4,000 KB used on drive d are under 1 and 4 MB, not
    // 1,000 and 4,000 "MB".
    QCOMPARE(valuesOf(p.Series4()).at(1), 1000.0 / 1024.0);
    QCOMPARE(valuesOf(p.Series5()).at(1), 4000.0 / 1024.0);
    QCOMPARE(valuesOf(p.Series4()).at(0), 5120.0);
}

void tst_SpacePage::driveOfNoBytesGivesNoNotANumber()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 0, 0);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();

    QCOMPARE(p.measuredDrives(), 1);
    QCOMPARE(valuesOf(p.Series4()), QList<double>({0}));
    QCOMPARE(valuesOf(p.Series5()), QList<double>({0}));
    for (const QLabel *label : {p.lblTotal, p.lblFree, p.lblUsed, p.lblTot, p.lblPct, p.lblPct2})
        QCOMPARE(label->text(), QString());
    QVERIFY(p.lblTotalC->isHidden());

    p.rgSpace1->click();
    QCOMPARE(titleOf(*p.pie(1)), QStringLiteral("C:\\  0.0% free"));
    QVERIFY(p.pie(1)->model().series(0).points().empty());
    QCOMPARE(titleOf(*p.pieTotal), QStringLiteral("TOTAL 0.0% free"));
}

void tst_SpacePage::noDriveMeasuredHidesCaptionsKeysAndChart()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB, false);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();

    QCOMPARE(p.measuredDrives(), 0);
    for (const QWidget *w : std::initializer_list<const QWidget *>{
             p.Panel1, p.Panel2, p.chartSpaceBar, p.lblTotalC, p.lblFreeC, p.label26})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    for (const QLabel *label : {p.lblTotal, p.lblFree, p.lblUsed, p.lblTot, p.lblPct, p.lblPct2})
        QCOMPARE(label->text(), QString());
    QVERIFY(p.Series4().points().empty());
    QVERIFY(!s.harness.timer2.isActive());
    // The list stays reachable, so that a drive can be chosen.
    QVERIFY(!p.Panel4->isHidden());
    QVERIFY(p.pnlPie->isHidden());
}

void tst_SpacePage::freePercentTextKeepsOneDecimalUnrounded_data()
{
    QTest::addColumn<double>("freeBytes");
    QTest::addColumn<double>("totalBytes");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("text");

    QTest::newRow("45.38") << 4538.0 << 10000.0 << QStringLiteral(".") << QStringLiteral("45.3");
    QTest::newRow("45.389") << 45389.0 << 100000.0 << QStringLiteral(".") << QStringLiteral("45.3");
    QTest::newRow("one third") << 1.0 << 3.0 << QStringLiteral(".") << QStringLiteral("33.3");
    QTest::newRow("two thirds") << 2.0 << 3.0 << QStringLiteral(".") << QStringLiteral("66.6");
    QTest::newRow("99.999") << 99999.0 << 100000.0 << QStringLiteral(".")
                            << QStringLiteral("100.0");
    QTest::newRow("all free") << 7.0 << 7.0 << QStringLiteral(".") << QStringLiteral("100.0");
    QTest::newRow("none free") << 0.0 << 7.0 << QStringLiteral(".") << QStringLiteral("0.0");
    QTest::newRow("no bytes at all") << 0.0 << 0.0 << QStringLiteral(".") << QStringLiteral("0.0");
    QTest::newRow("decimal comma")
        << 4538.0 << 10000.0 << QStringLiteral(",") << QStringLiteral("45,3");
}

void tst_SpacePage::freePercentTextKeepsOneDecimalUnrounded()
{
    QFETCH(double, freeBytes);
    QFETCH(double, totalBytes);
    QFETCH(QString, decimal);
    QFETCH(QString, text);
    QCOMPARE(freePercentText(freeBytes, totalBytes, LocaleSeparators{",", decimal.toStdString()}),
             text);
}

void tst_SpacePage::piesCoverEveryReadyDriveWithTitlesAndTwoSlices()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 4538 * kMiB, 10000 * kMiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB, false);
    addDrive(volumes, 'e', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cde"));
    // Pies show every ready drive of the list, selected or not.
    p.pckStatDrive->setAllSelected(false);
    p.rgSpace1->click();

    QVERIFY(!p.pie(1)->isHidden());
    QCOMPARE(titleOf(*p.pie(1)), QStringLiteral("C:\\  45.3% free"));
    const chart::ChartSeries &slices = p.pie(1)->model().series(0);
    QCOMPARE(valuesOf(slices), QList<double>({5462 * kMiB, 4538 * kMiB}));
    QCOMPARE(labelsOf(slices), QStringList({" ", " "}));
    QCOMPARE(slices.pointColor(0), kBlue);
    QCOMPARE(slices.pointColor(1), kFuchsia);
    QCOMPARE(titleOf(*p.pie(2)), QStringLiteral("E:\\  25.0% free"));
    QVERIFY(p.pie(3)->isHidden());

    QVERIFY(!p.pieTotal->isHidden());
    QCOMPARE(valuesOf(p.pieTotal->model().series(0)),
             QList<double>({5462 * kMiB + 3 * kGiB, 4538 * kMiB + 1 * kGiB}));
    // 5,562 MB free of 14,096 MB.
    QCOMPARE(titleOf(*p.pieTotal), QStringLiteral("TOTAL 39.4% free"));

    // Both slices keep their colours however thin the free one is.
    const chart::ChartLayout layout(p.pie(1)->model(), QRectF(0, 0, 103, 99));
    QVERIFY(layout.geometry().pie.has_value());
    QCOMPARE(layout.geometry().pie->slices.size(), std::size_t(2));
}

void tst_SpacePage::moreThanElevenReadyDrivesGiveElevenPiesAndTheTotalOfThose()
{
    FakeVolumes volumes;
    QString letters;
    for (int i = 0; i < 13; ++i) {
        const char letter = static_cast<char>('c' + i);
        addDrive(volumes, letter, 1 * kGiB, (i + 2) * kGiB);
        letters += QLatin1Char(letter);
    }
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(letters);
    p.rgSpace1->click();

    for (int n = 1; n <= 11; ++n)
        QVERIFY2(!p.pie(n)->isHidden(), qPrintable(QString::number(n)));
    QCOMPARE(titleOf(*p.pie(11)), QStringLiteral("M:\\  8.3% free"));
    // Drives c to m: 11 GB free of 2 + 3 + ... + 12 = 77 GB.
    QCOMPARE(valuesOf(p.pieTotal->model().series(0)), QList<double>({66 * kGiB, 11 * kGiB}));
    QCOMPARE(titleOf(*p.pieTotal), QStringLiteral("TOTAL 14.2% free"));
}

void tst_SpacePage::totalPieWithoutAReadyDriveIsEmpty()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB, false);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.rgSpace1->click();

    QVERIFY(!p.pieTotal->isHidden());
    QCOMPARE(titleOf(*p.pieTotal), QStringLiteral("TOTAL 0.0% free"));
    QVERIFY(p.pieTotal->model().series(0).points().empty());
    const chart::ChartLayout layout(p.pieTotal->model(), QRectF(0, 0, 235, 183));
    QVERIFY(layout.geometry().pie.has_value());
    QVERIFY(layout.geometry().pie->empty);
    QVERIFY(layout.geometry().pie->slices.empty());
    for (int n = 1; n <= 11; ++n)
        QVERIFY(p.pie(n)->isHidden());
}

void tst_SpacePage::pieOfADriveNoLongerReadyIsHidden()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 2 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.rgSpace1->click();
    QVERIFY(!p.pie(2)->isHidden());

    volumes.setReady('c', false);
    p.doPieCharts();
    QCOMPARE(titleOf(*p.pie(1)), QStringLiteral("D:\\  50.0% free"));
    QVERIFY(p.pie(2)->isHidden());
    QCOMPARE(titleOf(*p.pieTotal), QStringLiteral("TOTAL 50.0% free"));
}

void tst_SpacePage::pieViewHidesTheListAndBarsAndStartsTheRotation()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();
    QVERIFY(!s.harness.timer1.isActive());

    p.rgSpace1->click();
    QVERIFY(p.Panel4->isHidden());
    QVERIFY(p.cbTotal->isHidden());
    QVERIFY(p.chartSpaceBar->isHidden());
    QVERIFY(!p.pnlPie->isHidden());
    QVERIFY(s.harness.timer1.isActive());

    // A recomputation in pie view refills the pies and stays there.
    volumes.add(fixedVolume('c', QStringLiteral("/mnt/c"), "disk"), {2 * kGiB, 4 * kGiB});
    p.doDiskSize();
    QVERIFY(!p.pnlPie->isHidden());
    QCOMPARE(titleOf(*p.pie(1)), QStringLiteral("C:\\  50.0% free"));

    p.rgSpace2->click();
    QVERIFY(!p.Panel4->isHidden());
    QVERIFY(!p.cbTotal->isHidden());
    QVERIFY(!p.chartSpaceBar->isHidden());
    QVERIFY(p.pnlPie->isHidden());
}

void tst_SpacePage::barViewStartsTheDepthAnimationFromOnePercent()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.chartSpaceBar->model().setDepthPercent(40);
    p.doDiskSize();
    QCOMPARE(p.chartSpaceBar->model().view().depthPercent, 1);
    QVERIFY(s.harness.timer2.isActive());
}

void tst_SpacePage::depthGrowsInStepsToItsTarget_data()
{
    QTest::addColumn<int>("drives");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("depth");

    QTest::newRow("1 drive") << 1 << 10 << 61;
    QTest::newRow("2 drives") << 2 << 10 << 61;
    QTest::newRow("3 drives") << 3 << 10 << 31;
    QTest::newRow("4 drives") << 4 << 10 << 31;
    QTest::newRow("5 drives") << 5 << 10 << 21;
    QTest::newRow("6 drives") << 6 << 10 << 21;
    QTest::newRow("7 drives") << 7 << 5 << 11;
    QTest::newRow("12 drives") << 12 << 5 << 11;
}

void tst_SpacePage::depthGrowsInStepsToItsTarget()
{
    QFETCH(int, drives);
    QFETCH(int, ticks);
    QFETCH(int, depth);

    FakeVolumes volumes;
    QString letters;
    for (int i = 0; i < drives; ++i) {
        const char letter = static_cast<char>('c' + i);
        addDrive(volumes, letter, 1 * kGiB, 4 * kGiB);
        letters += QLatin1Char(letter);
    }
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(letters);
    p.doDiskSize();
    QCOMPARE(p.measuredDrives(), drives);
    QCOMPARE(p.chartSpaceBar->model().view().depthPercent, 1);

    int counted = 0;
    while (p.growBarDepth() && counted < 100)
        ++counted;
    QCOMPARE(counted, ticks);
    QCOMPARE(p.chartSpaceBar->model().view().depthPercent, depth);
    QVERIFY(!p.growBarDepth());
    QCOMPARE(p.chartSpaceBar->model().view().depthPercent, depth);
}

void tst_SpacePage::clickingAPieTogglesTheRotationAndTheScrollBar()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.rgSpace1->click();
    QVERIFY(s.harness.timer1.isActive());
    QVERIFY(p.ScrollBar3->isHidden());

    QTest::mouseClick(p.pie(2), Qt::LeftButton);
    QVERIFY(!s.harness.timer1.isActive());
    QVERIFY(!p.ScrollBar3->isHidden());

    QTest::mouseClick(p.pieTotal, Qt::LeftButton);
    QVERIFY(s.harness.timer1.isActive());
    QVERIFY(p.ScrollBar3->isHidden());
}

void tst_SpacePage::scrollBarTurnsEveryVisiblePie()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'e', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cde"));
    p.rgSpace1->click();
    p.pieTotalClick();
    QVERIFY(!p.ScrollBar3->isHidden());

    p.ScrollBar3->setValue(200);
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(rotationOf(*p.pie(n)), 200);
    QCOMPARE(rotationOf(*p.pieTotal), 200);
    QCOMPARE(rotationOf(*p.pie(4)), 60); // hidden pies stay where they were

    p.ScrollBar3->setValue(360);
    QCOMPARE(rotationOf(*p.pie(1)), 0);
    QCOMPARE(rotationOf(*p.pieTotal), 0);
}

void tst_SpacePage::fewerThanSixListItemsTurnAllPiesTogether()
{
    FakeVolumes volumes;
    QString letters;
    for (int i = 0; i < 5; ++i) {
        const char letter = static_cast<char>('c' + i);
        addDrive(volumes, letter, 1 * kGiB, 4 * kGiB, i != 4);
        letters += QLatin1Char(letter);
    }
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(letters);
    p.rgSpace1->click();
    QVERIFY(p.pie(5)->isHidden());

    for (int tick = 0; tick < 3; ++tick)
        p.turnPies();
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(rotationOf(*p.pie(n)), 72);
    QCOMPARE(rotationOf(*p.pieTotal), 72);
    QCOMPARE(rotationOf(*p.pie(5)), 60);
    QCOMPARE(p.ScrollBar3->value(), 72);
    QVERIFY(p.ScrollBar3->isHidden());
}

void tst_SpacePage::sixOrMoreListItemsTurnOnlyTheTotalPie()
{
    FakeVolumes volumes;
    QString letters;
    for (int i = 0; i < 6; ++i) {
        const char letter = static_cast<char>('c' + i);
        addDrive(volumes, letter, 1 * kGiB, 4 * kGiB);
        letters += QLatin1Char(letter);
    }
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(letters);
    p.rgSpace1->click();

    for (int tick = 0; tick < 3; ++tick)
        p.turnPies();
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(rotationOf(*p.pie(n)), 60);
    QCOMPARE(rotationOf(*p.pieTotal), 66);
    QCOMPARE(p.ScrollBar3->value(), 60);
}

void tst_SpacePage::rotationTickDoesNothingInBarView()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.rgSpace1->click();
    p.rgSpace2->click();
    p.turnPies();
    QCOMPARE(rotationOf(*p.pie(1)), 60);
    QCOMPARE(rotationOf(*p.pieTotal), 60);
}

void tst_SpacePage::selectAllAndDeselectAllRecomputeFromTheListsMenu()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'e', 1 * kGiB, 4 * kGiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cde"));
    p.pckStatDrive->setAllSelected(false);
    p.pckStatDrive->setSelected(1, true);
    p.doDiskSize();
    QCOMPARE(labelsOf(p.Series4()), QStringList({"d"}));

    p.SelectAll1->trigger();
    QCOMPARE(p.pckStatDrive->selCount(), 3);
    QCOMPARE(p.measuredDrives(), 3);
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "d", "e", "Total"}));
    QCOMPARE(p.lblTotal->text(), QStringLiteral("12,288"));

    p.DeselectAll1->trigger();
    QCOMPARE(p.pckStatDrive->selCount(), 0);
    QCOMPARE(p.measuredDrives(), 0);
    QVERIFY(p.Series4().points().empty());
    QCOMPARE(p.lblTotal->text(), QString());
    QVERIFY(p.chartSpaceBar->isHidden());
}

void tst_SpacePage::deselectAllThenPieThenBarBringsTheListBackWithoutBars()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 1 * kGiB, 4 * kGiB);
    addDrive(volumes, 'd', 1 * kGiB, 4 * kGiB);
    SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cd"));
    p.doDiskSize();
    p.DeselectAll1Click();
    s.harness.timer2.stop();

    p.rgSpace1->click();
    QVERIFY(p.Panel4->isHidden());
    QVERIFY(!p.pnlPie->isHidden());
    // The pies show the ready drives although none is selected.
    QVERIFY(!p.pie(2)->isHidden());

    p.rgSpace2->click();
    QVERIFY(!p.Panel4->isHidden());
    QVERIFY(p.pnlPie->isHidden());
    QVERIFY(!p.cbTotal->isHidden());
    QVERIFY(p.chartSpaceBar->isHidden());
    QVERIFY(p.lblTotalC->isHidden());
    QVERIFY(!s.harness.timer2.isActive());

    // From the list that is back, choosing a drive brings the bars.
    p.pckStatDrive->setSelected(0, true);
    p.pckStatDriveClick();
    QVERIFY(!p.chartSpaceBar->isHidden());
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c"}));
    QVERIFY(s.harness.timer2.isActive());
}

void tst_SpacePage::driveListClickIsNotTakenWhileARecomputationRuns()
{
    FakeVolumes fake;
    addDrive(fake, 'c', 1 * kGiB, 4 * kGiB);
    CallingBackVolumes volumes(fake);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    // Called back at most twice, so that a missing guard fails the count
    // instead of recursing without end.
    volumes.onSpaceOfC = [&p, &volumes] {
        if (volumes.spaceQuestionsOfC <= 2)
            p.pckStatDriveClick();
    };

    p.pckStatDriveClick();
    QCOMPARE(volumes.spaceQuestionsOfC, 1);
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c"}));

    // The guard is down again afterwards: the next click recomputes.
    volumes.onSpaceOfC = nullptr;
    p.cbTotalClick();
    QCOMPARE(volumes.spaceQuestionsOfC, 2);
}

// The bars and the pies of one recomputation share the drives' answers: a
// slow drive is waited for once.
void tst_SpacePage::pieViewAsksEachDriveOncePerRecomputation()
{
    FakeVolumes fake;
    addDrive(fake, 'c', 1 * kGiB, 4 * kGiB);
    CallingBackVolumes volumes(fake);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.rgSpace1->click();
    volumes.spaceQuestionsOfC = 0;
    p.doDiskSize();
    QCOMPARE(volumes.spaceQuestionsOfC, 1);
    QCOMPARE(valuesOf(p.pie(1)->model().series(0)), QList<double>({3 * kGiB, 1 * kGiB}));
    // The next recomputation asks again.
    p.doDiskSize();
    QCOMPARE(volumes.spaceQuestionsOfC, 2);
}

void tst_SpacePage::blockedDriveIsLeftOutAndTheOthersAreShown()
{
    auto fake = std::make_shared<FakeVolumes>();
    addDrive(*fake, 'c', 5 * kGiB, 20 * kGiB);
    addDrive(*fake, 'f', 1 * kGiB, 8 * kGiB);
    addDrive(*fake, 'g', 5 * kGiB, 20 * kGiB);
    auto latched = std::make_shared<LatchedVolumes>(fake);
    // The drives that answer must do so within the wait even on a loaded
    // machine; only the held one sits it out, once.
    const TimeLimitedVolumes volumes(latched, std::chrono::milliseconds(2000));
    latched->hold('f');
    struct Release
    {
        LatchedVolumes &drives;
        const TimeLimitedVolumes &limited;
        ~Release()
        {
            drives.releaseAll();
            QTRY_COMPARE_WITH_TIMEOUT(limited.queriesRunning(), 0, 30000);
        }
    } release{*latched, volumes};

    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("cfg"));
    p.doDiskSize();
    QCOMPARE(p.measuredDrives(), 2);
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "g", "Total"}));
    QCOMPARE(p.lblTotal->text(), QStringLiteral("40,960"));

    p.rgSpace1->click();
    QCOMPARE(titleOf(*p.pie(1)), QStringLiteral("C:\\  25.0% free"));
    QCOMPARE(titleOf(*p.pie(2)), QStringLiteral("G:\\  25.0% free"));
    QVERIFY(p.pie(3)->isHidden());
    // However often the page asks, the hung drive holds one question.
    QCOMPARE(latched->questions('f'), 1);

    latched->release('f');
    QTRY_COMPARE_WITH_TIMEOUT(volumes.queriesRunning(), 0, 30000);
    p.rgSpace2->click();
    p.doDiskSize();
    QCOMPARE(labelsOf(p.Series4()), QStringList({"c", "f", "g", "Total"}));
}

void tst_SpacePage::viewsSurvivePageChangesAndScans()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    SpacePage &p = *w.spacePage;
    QVERIFY(!p.Panel4->isHidden());
    QVERIFY(p.pnlPie->isHidden());

    p.rgSpace1->click();
    QVERIFY(w.OvcNotebook1->setPageIndex(2));
    QVERIFY(w.OvcNotebook1->setPageIndex(0));
    QVERIFY(p.rgSpace1->isChecked());
    QVERIFY(!p.pnlPie->isHidden());
    QVERIFY(p.Panel4->isHidden());
    QVERIFY(w.Timer1->isActive());
    // Every drive of the list is ready: c, d and e each get a pie.
    QCOMPARE(titleOf(*p.pie(3)), QStringLiteral("E:\\  25.0% free"));

    // A scan stops the rotation while it runs and leaves the pie view as it was.
    runAndWait(w, allFilesOf({"c: [sys]"}));
    QVERIFY(p.rgSpace1->isChecked());
    QVERIFY(!p.pnlPie->isHidden());
    QVERIFY(p.Panel4->isHidden());
    QVERIFY(w.Timer1->isActive());

    p.rgSpace2->click();
    QVERIFY(w.OvcNotebook1->setPageIndex(4));
    QVERIFY(w.OvcNotebook1->setPageIndex(0));
    QVERIFY(p.rgSpace2->isChecked());
    QVERIFY(p.pnlPie->isHidden());
    QVERIFY(!p.chartSpaceBar->isHidden());
    QCOMPARE(p.chartSpaceBar->model().view().depthPercent, 1);
    QVERIFY(w.Timer2->isActive());
}

void tst_SpacePage::captionsLabelTheirFiguresForAScreenReader_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("figure");
    QTest::newRow("Total Capacity:") << "lblTotalC"
                                     << "lblTotal";
    QTest::newRow("Free Space:") << "lblFreeC"
                                 << "lblFree";
    QTest::newRow("Used Space:") << "label26"
                                 << "lblUsed";
}

void tst_SpacePage::captionsLabelTheirFiguresForAScreenReader()
{
    QFETCH(QString, caption);
    QFETCH(QString, figure);
    FakeVolumes volumes;
    const SpaceSetup s(volumes);
    QWidget *page = s.harness.page(0);
    QCOMPARE(labelledBy(page->findChild<QLabel *>(figure)),
             QList<QObject *>{page->findChild<QLabel *>(caption)});
}

void tst_SpacePage::tabGoesThroughTheBarsOrPiesBeforeTheViewButtons()
{
    FakeVolumes volumes;
    addDrive(volumes, 'c', 40 * kMiB, 100 * kMiB);
    const SpaceSetup s(volumes);
    SpacePage &p = *s.page;
    s.listDrives(QStringLiteral("c"));
    p.doDiskSize();
    QCOMPARE(tabStops(*p.pckStatDrive, 4),
             (QList<QWidget *>{p.chartSpaceBar, p.rgSpace2, p.rgSpace1, p.cbTotal}));
    QCOMPARE(p.pckStatDrive->accessibleName(), QStringLiteral("Drives"));
    // The pies: Space stops their turning as a click does, and the bar that
    // then turns them by hand is a stop too.
    p.rgSpace1->click();
    QTest::keyClick(p.pie(1), Qt::Key_Space);
    QVERIFY(!s.harness.timer1.isActive());
    QCOMPARE(tabStops(*p.pie(1), 3), (QList<QWidget *>{p.pieTotal, p.ScrollBar3, p.rgSpace2}));
}

QTEST_MAIN(tst_SpacePage)
#include "tst_SpacePage.moc"
