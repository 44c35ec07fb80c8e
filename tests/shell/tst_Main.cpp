#include "chart/Chart.h"
#include "chart/ChartAccessibility.h"
#include "platform/fake/FakeVolumes.h"
#include "shell/About.h"
#include "shell/Main.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using vorin::DiskSpace;
using vorin::FakeVolumes;
using vorin::PickList;
using vorin::TfrmMain;
using vorin::Volume;
using vorin::chart::ChartSeries;
using vorin::chart::View3D;

namespace {

constexpr double kMb = 1024.0 * 1024.0;
constexpr double kGb = 1024.0 * kMb;

Volume volume(char letter, const std::string &label = {})
{
    Volume v;
    v.letter = letter;
    v.type = 3;
    v.root = "/tmp";
    v.label = label;
    return v;
}

QStringList valuesOf(const ChartSeries &series)
{
    QStringList values;
    for (const auto &point : series.points())
        values << QString::number(point.value, 'f', 4);
    return values;
}

QStringList labelsOf(const ChartSeries &series)
{
    QStringList labels;
    for (const auto &point : series.points())
        labels << point.label;
    return labels;
}

// A main window over a drive list of plain entries, as the statistics window
// would build it.
struct Fixture
{
    FakeVolumes volumes;
    PickList drives;
    TfrmMain window{volumes};

    explicit Fixture(const QStringList &entries = {})
    {
        drives.setItems(entries);
        window.setStatistics(vorin::StatisticsLink{nullptr, &drives, {}});
    }

    // Runs both animation phases to their end; returns the ticks of each.
    std::pair<int, int> runAnimation()
    {
        int opening = 0;
        while (window.Timer2->isActive() && opening < 1000) {
            window.Timer2Timer();
            ++opening;
        }
        int deepening = 0;
        while (window.Timer1->isActive() && deepening < 1000) {
            window.Timer1Timer();
            ++deepening;
        }
        return {opening, deepening};
    }
};

QStringList entries(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("%1: (Fixed disk)").arg(QChar('c' + (i % 24)));
    return list;
}

} // namespace

class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void createdMaximisedWithItsCaptionAndStoppedTimers()
    {
        Fixture f;
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Vorin 99"));
        QVERIFY(f.window.windowState() & Qt::WindowMaximized);
        QVERIFY(f.window.font().bold());
        QCOMPARE(f.window.Timer1->interval(), 50);
        QCOMPARE(f.window.Timer2->interval(), 60);
        QVERIFY(!f.window.Timer1->isActive());
        QVERIFY(!f.window.Timer2->isActive());
        QVERIFY(f.window.lblTitle->isHidden());
        QVERIFY(f.window.lblBottom->isHidden());
        QCOMPARE(f.window.chartSpaceBar->model().view().zoomPercent, 20);
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 255, 255));
        QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
    }

    void controlsCarryTheirTexts()
    {
        Fixture f;
        auto *title = f.window.findChild<vorin::HeadingLabel *>(QStringLiteral("lblTitle"));
        QVERIFY(title);
        QCOMPARE(title->text(), QStringLiteral("Vorin 99 - Disk Statistics"));
        QCOMPARE(title->textColor(), QColor(128, 128, 0));
        QCOMPARE(title->highlightColor(), QColor(255, 255, 0));
        QCOMPARE(title->font().pixelSize(), 29);
        auto *bottom = f.window.findChild<vorin::HeadingLabel *>(QStringLiteral("lblBottom"));
        QVERIFY(bottom);
        QCOMPARE(bottom->text(), QStringLiteral("https://www.vorin-software.example/"));
        QCOMPARE(bottom->textColor(), QColor(255, 0, 255));
        QCOMPARE(bottom->shadowColor(), QColor(0, 0, 128));
        QCOMPARE(bottom->shadowDepth(), 7);
        QCOMPARE(bottom->font().pixelSize(), 27);

        auto *statistic = f.window.findChild<QPushButton *>(QStringLiteral("btStatistic"));
        auto *reach = f.window.findChild<QPushButton *>(QStringLiteral("btReach"));
        auto *close = f.window.findChild<QPushButton *>(QStringLiteral("btClose"));
        QVERIFY(statistic && reach && close);
        QCOMPARE(statistic->text(), QStringLiteral("&Collect disk statistics"));
        QVERIFY(statistic->isDefault());
        QCOMPARE(statistic->size(), QSize(176, 28));
        QCOMPARE(reach->text(), QStringLiteral("&About"));
        QCOMPARE(reach->size(), QSize(76, 28));
        QCOMPARE(close->text(), QStringLiteral("E&xit"));
        QCOMPARE(close->size(), QSize(76, 28));
        QCOMPARE(close->toolTip(), QStringLiteral("Quit and close "));

        // Tab goes along the buttons, then to the bars; the title is a heading.
        QWidget *chart = f.window.findChild<QWidget *>(QStringLiteral("chartSpaceBar"));
        QList<QWidget *> stops{statistic};
        for (QWidget *w = statistic->nextInFocusChain(); w != statistic;
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                stops << w;
        }
        QCOMPARE(stops, (QList<QWidget *>{statistic, reach, close, chart}));
        vorin::chart::installChartAccessibility();
        QCOMPARE(QAccessible::queryAccessibleInterface(title)->role(), QAccessible::Heading);
    }

    void chartIsSetUpAsStackedBarsOnAGradient()
    {
        Fixture f;
        const auto &model = f.window.chartSpaceBar->model();
        const auto &s = model.settings();
        QVERIFY(s.stacked);
        QVERIFY(!s.titleVisible);
        QVERIFY(!s.legend.visible);
        QVERIFY(!s.userZoomAllowed);
        QVERIFY(s.gradientVisible);
        QCOMPARE(s.gradientStart, QColor(Qt::black));
        QCOMPARE(s.gradientEnd, QColor(Qt::blue));
        QVERIFY(!s.backWallColor.isValid());
        QCOMPARE(s.bottomWallColor, QColor(128, 128, 255));
        QCOMPARE(s.leftWallColor, QColor(128, 128, 192));
        QCOMPARE(s.margins.top, 11.0);
        QCOMPARE(s.margins.bottom, 9.0);
        QCOMPARE(s.margins.left, 2.0);
        QCOMPARE(s.margins.right, 2.0);
        QCOMPARE(s.leftAxis.format, QStringLiteral("#,##0 MB"));
        QCOMPARE(s.rightAxis.format, QStringLiteral("#,##0 MB"));
        QVERIFY(s.rightAxis.visible);
        QVERIFY(!s.leftAxis.lineVisible);
        QCOMPARE(s.leftAxis.labelFont.pixelSize(), 12);
        QCOMPARE(s.rightAxis.labelFont.pixelSize(), 13);
        QCOMPARE(s.bottomAxis.labelFont.pixelSize(), 16);
        QCOMPARE(s.bottomAxis.labelColor, QColor(Qt::white));

        QCOMPARE(model.seriesCount(), 2);
        ChartSeries &used = f.window.Series5();
        ChartSeries &free = f.window.Series4();
        QCOMPARE(&used, &model.series(0));
        QCOMPARE(used.color(), QColor(0, 0, 255));
        QVERIFY(used.isGradient());
        QCOMPARE(used.markPosition(), vorin::chart::MarkPosition::Inside);
        QCOMPARE(free.color(), QColor(255, 0, 255));
        QCOMPARE(free.markPosition(), vorin::chart::MarkPosition::Above);
        for (const ChartSeries *series : {&used, &free}) {
            QCOMPARE(series->barWidthPercent(), 65);
            QCOMPARE(series->markStyle(), vorin::chart::MarkStyle::Value);
            QCOMPARE(series->valueFormat(), QStringLiteral("#,##0 MB"));
            QCOMPARE(series->markTextColor(), QColor(Qt::white));
        }
    }

    void showingStartsTheOpeningFromItsStartView()
    {
        Fixture f({QStringLiteral("c: [/]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.window.FormShow();
        const View3D view = f.window.chartSpaceBar->model().view();
        QCOMPARE(view.zoomPercent, 20);
        QCOMPARE(view.rotation, 280);
        QCOMPARE(view.elevation, 280);
        QVERIFY(!view.orthogonal);
        QCOMPARE(view.depthPercent, 10);
        QVERIFY(f.window.Timer2->isActive());
        QVERIFY(!f.window.Timer1->isActive());
        QCOMPARE(f.window.Series4().points().size(), std::size_t(1));
        QVERIFY(f.window.chartSpaceBar->hint().isEmpty());
    }

    void openingTakesTwentyTicksAndEndsFacingFront()
    {
        Fixture f(entries(2));
        f.window.FormShow();
        int ticks = 0;
        while (f.window.Timer2->isActive() && ticks < 1000) {
            const View3D before = f.window.chartSpaceBar->model().view();
            f.window.Timer2Timer();
            ++ticks;
            const View3D after = f.window.chartSpaceBar->model().view();
            if (f.window.Timer2->isActive()) {
                QCOMPARE(after.zoomPercent, before.zoomPercent + 4);
                QCOMPARE(after.rotation, before.rotation + 4);
                QCOMPARE(after.elevation, before.elevation + 4);
                QVERIFY(!f.window.lblTitle->isVisibleTo(&f.window));
            }
        }
        QCOMPARE(ticks, 20);
        const View3D view = f.window.chartSpaceBar->model().view();
        QCOMPARE(view.zoomPercent, 100);
        QCOMPARE(view.rotation, 360);
        QCOMPARE(view.elevation, 360);
        QVERIFY(view.orthogonal);
        QCOMPARE(view.depthPercent, 10);
        QVERIFY(f.window.Timer1->isActive());
        QVERIFY(f.window.lblTitle->isHidden());
        QVERIFY(f.window.chartSpaceBar->hint().isEmpty());
    }

    void depthStepAndTargetFollowTheDriveCount_data()
    {
        QTest::addColumn<int>("drives");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("target");
        QTest::newRow("none") << 0 << 4 << 60;
        QTest::newRow("three") << 3 << 4 << 60;
        QTest::newRow("four") << 4 << 2 << 36;
        QTest::newRow("eight") << 8 << 2 << 36;
        QTest::newRow("nine") << 9 << 1 << 20;
        QTest::newRow("twelve") << 12 << 1 << 20;
        QTest::newRow("thirteen") << 13 << 1 << 10;
        QTest::newRow("twenty-four") << 24 << 1 << 10;
    }

    void depthStepAndTargetFollowTheDriveCount()
    {
        QFETCH(int, drives);
        QFETCH(int, step);
        QFETCH(int, target);
        const vorin::DepthAnimation animation = vorin::depthAnimationFor(drives);
        QCOMPARE(animation.step, step);
        QCOMPARE(animation.target, target);
    }

    void animationEndsAtTheDepthOfTheDriveCount_data()
    {
        QTest::addColumn<int>("drives");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("depthTicks");
        QTest::newRow("one drive") << 1 << 62 << 13;
        QTest::newRow("three drives") << 3 << 62 << 13;
        QTest::newRow("five drives") << 5 << 36 << 13;
        QTest::newRow("ten drives") << 10 << 20 << 10;
        QTest::newRow("fourteen drives") << 14 << 10 << 1;
    }

    void animationEndsAtTheDepthOfTheDriveCount()
    {
        QFETCH(int, drives);
        QFETCH(int, depth);
        QFETCH(int, depthTicks);
        Fixture f(entries(drives));
        f.window.FormShow();
        const auto [opening, deepening] = f.runAnimation();
        QCOMPARE(opening, 20);
        QCOMPARE(deepening, depthTicks);
        const View3D view = f.window.chartSpaceBar->model().view();
        QCOMPARE(view.depthPercent, depth);
        QCOMPARE(view.zoomPercent, 100);
        QCOMPARE(view.rotation, 360);
        QCOMPARE(view.elevation, 360);
        QVERIFY(view.orthogonal);
        QVERIFY(!f.window.lblTitle->isHidden());
        QVERIFY(!f.window.lblBottom->isHidden());
        QCOMPARE(f.window.chartSpaceBar->hint(),
                 QStringLiteral("Double click chart to view animation"));
        QVERIFY(!f.window.Timer1->isActive());
        QVERIFY(!f.window.Timer2->isActive());
    }

    void bannersStayHiddenWhileTheDepthGrows()
    {
        Fixture f(entries(1));
        f.window.FormShow();
        while (f.window.Timer2->isActive())
            f.window.Timer2Timer();
        f.window.Timer1Timer();
        QVERIFY(f.window.Timer1->isActive());
        QVERIFY(f.window.lblTitle->isHidden());
        QVERIFY(f.window.lblBottom->isHidden());
        QVERIFY(f.window.chartSpaceBar->hint().isEmpty());
    }

    void doubleClickReplaysTheAnimation()
    {
        Fixture f(entries(5));
        f.window.setWindowState(Qt::WindowNoState);
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.runAnimation();
        QVERIFY(f.window.lblTitle->isVisible());

        QTest::mouseDClick(f.window.chartSpaceBar, Qt::LeftButton, {},
                           f.window.chartSpaceBar->rect().center());
        QVERIFY(f.window.lblTitle->isHidden());
        QVERIFY(f.window.lblBottom->isHidden());
        QVERIFY(f.window.chartSpaceBar->hint().isEmpty());
        const View3D view = f.window.chartSpaceBar->model().view();
        QCOMPARE(view.zoomPercent, 20);
        QCOMPARE(view.rotation, 280);
        QCOMPARE(view.elevation, 280);
        QVERIFY(!view.orthogonal);
        QCOMPARE(view.depthPercent, 10);
        QVERIFY(f.window.Timer2->isActive());

        const auto [opening, deepening] = f.runAnimation();
        QCOMPARE(opening, 20);
        QCOMPARE(deepening, 13);
        QCOMPARE(f.window.chartSpaceBar->model().view().depthPercent, 36);
        QVERIFY(f.window.lblTitle->isVisible());
        QCOMPARE(f.window.chartSpaceBar->hint(),
                 QStringLiteral("Double click chart to view animation"));

        // Enter on the chart, Tab's last stop, is the keyboard's double click.
        QTest::keyClick(f.window.chartSpaceBar, Qt::Key_Return);
        QVERIFY(f.window.lblTitle->isHidden());
        QCOMPARE(f.window.chartSpaceBar->model().view().zoomPercent, 20);
        QVERIFY(f.window.Timer2->isActive());
    }

    void replayDuringTheDepthPhaseLetsItRunOn()
    {
        Fixture f(entries(1));
        f.window.FormShow();
        while (f.window.Timer2->isActive())
            f.window.Timer2Timer();
        f.window.Timer1Timer();
        f.window.chartSpaceBarDblClick();
        QVERIFY(f.window.Timer2->isActive());
        QVERIFY(f.window.Timer1->isActive());
        QCOMPARE(f.window.chartSpaceBar->model().view().depthPercent, 10);
        f.runAnimation();
        QCOMPARE(f.window.chartSpaceBar->model().view().depthPercent, 62);
        QCOMPARE(f.window.chartSpaceBar->model().view().zoomPercent, 100);
        QVERIFY(!f.window.lblTitle->isHidden());
    }

    void oneReadyDriveGivesOnePairAndNoTotal()
    {
        Fixture f({QStringLiteral("c: [/]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.window.doDiskSize();
        QCOMPARE(valuesOf(f.window.Series4()), QStringList{QStringLiteral("5120.0000")});
        QCOMPARE(valuesOf(f.window.Series5()), QStringList{QStringLiteral("15360.0000")});
        QCOMPARE(labelsOf(f.window.Series4()), QStringList{QStringLiteral("c")});
        QCOMPARE(labelsOf(f.window.Series5()), QStringList{QStringLiteral("c")});
        QCOMPARE(f.window.Series4().pointColor(0), QColor(255, 0, 255));
        QCOMPARE(f.window.Series5().pointColor(0), QColor(0, 0, 255));
    }

    void twoDrivesGetATotalPair()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: [/home]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.add(volume('d', "/home"), DiskSpace{100 * kMb, 2 * kGb});
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()),
                 (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("Total")}));
        QCOMPARE(labelsOf(f.window.Series5()), labelsOf(f.window.Series4()));
        QCOMPARE(valuesOf(f.window.Series4()),
                 (QStringList{QStringLiteral("5120.0000"), QStringLiteral("100.0000"),
                              QStringLiteral("5220.0000")}));
        QCOMPARE(valuesOf(f.window.Series5()),
                 (QStringList{QStringLiteral("15360.0000"), QStringLiteral("1948.0000"),
                              QStringLiteral("17308.0000")}));
        QCOMPARE(f.window.Series4().pointColor(2), QColor(255, 0, 255));
        QCOMPARE(f.window.Series5().pointColor(2), QColor(0, 0, 255));
    }

    void totalPairShownAlsoWhenOnlyTheLastDriveHasFreeSpace()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: [/home]")});
        f.volumes.add(volume('c', "/"), DiskSpace{0, 20 * kGb});
        f.volumes.add(volume('d', "/home"), DiskSpace{1 * kGb, 2 * kGb});
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()),
                 (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("Total")}));
        QCOMPARE(valuesOf(f.window.Series5()).last(), QStringLiteral("21504.0000"));
    }

    // c: holds the folder f:, which answers c:'s space: the total counts it once.
    void aFolderOnAListedDiskAddsNothingToTheTotal()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: [/home]"),
                   QStringLiteral("f: [/home2/ann/Music]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.add(volume('d', "/home"), DiskSpace{100 * kMb, 2 * kGb});
        f.volumes.add(volume('f', "/home2/ann/Music"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.setSpaceOwner('f', 'c');
        f.window.doDiskSize();
        QCOMPARE(valuesOf(f.window.Series4()),
                 (QStringList{QStringLiteral("5120.0000"), QStringLiteral("100.0000"),
                              QStringLiteral("5120.0000"), QStringLiteral("5220.0000")}));
        QCOMPARE(valuesOf(f.window.Series5()).last(), QStringLiteral("17308.0000"));
    }

    void drivesAreTakenInListOrderSelectedOrNot()
    {
        Fixture f({QStringLiteral("e: [/srv]"), QStringLiteral("c: [/]")});
        f.volumes.add(volume('c', "/"), DiskSpace{1 * kGb, 20 * kGb});
        f.volumes.add(volume('e', "/srv"), DiskSpace{2 * kGb, 30 * kGb});
        f.drives.setSelected(1, true);
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()),
                 (QStringList{QStringLiteral("e"), QStringLiteral("c"), QStringLiteral("Total")}));
    }

    void driveThatIsNotReadyGetsNoBars()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: (Removable)")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.add(volume('d'), DiskSpace{1 * kGb, 2 * kGb}, 0, false);
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()), QStringList{QStringLiteral("c")});
        QCOMPARE(labelsOf(f.window.Series5()), QStringList{QStringLiteral("c")});
    }

    void withNoReadyDriveTheChartIsEmptyAndStillAnimates()
    {
        Fixture f({QStringLiteral("d: (Removable)"), QStringLiteral("q: gone")});
        f.volumes.add(volume('d'), DiskSpace{1 * kGb, 2 * kGb}, 0, false);
        f.window.FormShow();
        QVERIFY(f.window.Series4().points().empty());
        QVERIFY(f.window.Series5().points().empty());
        const auto [opening, deepening] = f.runAnimation();
        QCOMPARE(opening, 20);
        QCOMPARE(deepening, 13);
        QVERIFY(!f.window.lblTitle->isHidden());
    }

    void driveWithANegativeTotalGetsNoBars()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: [/odd]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.add(volume('d', "/odd"), DiskSpace{0, -1});
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()), QStringList{QStringLiteral("c")});
    }

    void entryThatNamesNoDriveIsSkipped()
    {
        Fixture f({QStringLiteral("?: odd"), QString(), QStringLiteral("c: [/]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.window.doDiskSize();
        QCOMPARE(labelsOf(f.window.Series4()), QStringList{QStringLiteral("c")});
    }

    void refillingReplacesTheBars()
    {
        Fixture f({QStringLiteral("c: [/]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.window.doDiskSize();
        f.volumes.add(volume('c', "/"), DiskSpace{6 * kGb, 20 * kGb});
        f.window.doDiskSize();
        QCOMPARE(valuesOf(f.window.Series4()), QStringList{QStringLiteral("6144.0000")});
    }

    // Every bar is in MB on the one MB axis; a drive under 10,000 KB keeps
    // its fraction and switches the marks to two decimals.
    void smallDrivesKeepTheirFractionOfAnMb_data()
    {
        QTest::addColumn<double>("smallTotal");
        QTest::addColumn<double>("smallFree");
        QTest::addColumn<bool>("withHardDisk");
        QTest::addColumn<QString>("freeValue");
        QTest::addColumn<QString>("markFormat");
        QTest::addColumn<QString>("axisFormat");
        const QString whole = QStringLiteral("#,##0 MB");
        const QString fine = QStringLiteral("#,##0.## MB");
        QTest::newRow("floppy alone")
            << 1457664.0 << 1024000.0 << false << QStringLiteral("0.9766") << fine << fine;
        QTest::newRow("floppy beside a hard disk")
            << 1457664.0 << 1024000.0 << true << QStringLiteral("0.9766") << fine << whole;
        QTest::newRow("9,999 KB") << 9999.0 * 1024 << 512.0 * 1024 << false
                                  << QStringLiteral("0.5000") << fine << fine;
        QTest::newRow("10,000 KB counts in MB") << 10000.0 * 1024 << 5000.0 * 1024 << false
                                                << QStringLiteral("4.8828") << whole << whole;
    }

    void smallDrivesKeepTheirFractionOfAnMb()
    {
        QFETCH(double, smallTotal);
        QFETCH(double, smallFree);
        QFETCH(bool, withHardDisk);
        QFETCH(QString, freeValue);
        QFETCH(QString, markFormat);
        QFETCH(QString, axisFormat);
        QStringList list{QStringLiteral("e: (Removable)")};
        if (withHardDisk)
            list.prepend(QStringLiteral("c: [/]"));
        Fixture f(list);
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb, 20 * kGb});
        f.volumes.add(volume('e'), DiskSpace{smallFree, smallTotal});
        f.window.doDiskSize();
        const QStringList free = valuesOf(f.window.Series4());
        QCOMPARE(free.at(withHardDisk ? 1 : 0), freeValue);
        QCOMPARE(f.window.Series4().valueFormat(), markFormat);
        QCOMPARE(f.window.Series5().valueFormat(), markFormat);
        const auto &settings = f.window.chartSpaceBar->model().settings();
        QCOMPARE(settings.leftAxis.format, axisFormat);
        QCOMPARE(settings.rightAxis.format, axisFormat);
    }

    void marksReadAsTheUserExpects()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("e: (Removable)")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb + 300 * 1024, 20 * kGb});
        f.volumes.add(volume('e'), DiskSpace{1024000.0, 1457664.0});
        f.window.doDiskSize();
        const auto &model = f.window.chartSpaceBar->model();
        const auto mark = [&model](const ChartSeries &series, int i) {
            return vorin::chart::formatValue(series.points().at(std::size_t(i)).value,
                                             series.valueFormat(), model.separators());
        };
        QCOMPARE(mark(f.window.Series4(), 0), QStringLiteral("5,120 MB"));
        QCOMPARE(mark(f.window.Series4(), 1), QStringLiteral("0.98 MB"));
        QCOMPARE(mark(f.window.Series5(), 1), QStringLiteral("0.41 MB"));
        QCOMPARE(mark(f.window.Series4(), 2), QStringLiteral("5,121 MB"));
        QCOMPARE(mark(f.window.Series5(), 2), QStringLiteral("15,360 MB"));
    }

    void withoutASmallDriveTheMbKeepTheirFraction()
    {
        Fixture f({QStringLiteral("c: [/]"), QStringLiteral("d: [/home]")});
        f.volumes.add(volume('c', "/"), DiskSpace{5 * kGb + 300 * 1024, 20 * kGb});
        f.volumes.add(volume('d', "/home"), DiskSpace{0, 0});
        f.window.doDiskSize();
        QCOMPARE(valuesOf(f.window.Series4()).first(), QStringLiteral("5120.2930"));
        QCOMPARE(f.window.Series4().valueFormat(), QStringLiteral("#,##0 MB"));
        QCOMPARE(f.window.chartSpaceBar->model().settings().leftAxis.format,
                 QStringLiteral("#,##0 MB"));
    }

    void buttonsKeepTheirPlaceWhenResized_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("start size") << QSize(642, 482);
        QTest::newRow("wide") << QSize(1280, 1000);
        QTest::newRow("small") << QSize(400, 300);
    }

    void buttonsKeepTheirPlaceWhenResized()
    {
        QFETCH(QSize, size);
        Fixture f;
        f.window.setWindowState(Qt::WindowNoState);
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.window.resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(f.window.size(), size);
        const QRect close = f.window.btClose->geometry();
        const QRect reach = f.window.btReach->geometry();
        const QRect statistic = f.window.btStatistic->geometry();
        QCOMPARE(close.right() + 1, size.width() - 6);
        QCOMPARE(close.bottom() + 1, size.height() - 5);
        QCOMPARE(reach.right() + 1, close.left() - 6);
        QCOMPARE(statistic.right() + 1, reach.left() - 6);
        QCOMPARE(reach.top(), close.top());
        QCOMPARE(statistic.top(), close.top());
        QCOMPARE(f.window.chartSpaceBar->geometry(), QRect(QPoint(0, 0), size));
        QVERIFY(f.window.btClose->isVisible());
    }

    void collectButtonBringsUpTheStatisticsWindow()
    {
        Fixture f;
        QDialog statistics;
        f.window.setStatistics(vorin::StatisticsLink{&statistics, &f.drives, {}});
        QTest::mouseClick(f.window.btStatistic, Qt::LeftButton);
        QVERIFY(statistics.isVisible());
        QVERIFY(!statistics.isModal());
        QTest::mouseClick(f.window.btStatistic, Qt::LeftButton);
        QVERIFY(statistics.isVisible());
        statistics.hide();
    }

    void closingStopsTheScanOnceAndHidesTheStatisticsWindow()
    {
        int stops = 0;
        {
            Fixture f;
            QDialog statistics;
            f.window.setStatistics(
                vorin::StatisticsLink{&statistics, &f.drives, [&stops] { ++stops; }});
            f.window.setWindowState(Qt::WindowNoState);
            f.window.show();
            statistics.show();
            QTest::mouseClick(f.window.btClose, Qt::LeftButton);
            QCOMPARE(stops, 1);
            QVERIFY(!f.window.isVisible());
            QVERIFY(!statistics.isVisible());
        }
        QCOMPARE(stops, 1);
    }

    void endingWithoutCloseStillStopsTheScan()
    {
        int stops = 0;
        {
            Fixture f;
            f.window.setStatistics(
                vorin::StatisticsLink{nullptr, &f.drives, [&stops] { ++stops; }});
        }
        QCOMPARE(stops, 1);
    }

    void aboutButtonShowsTheAboutBoxModallyAndFreesIt()
    {
        Fixture f;
        QString caption;
        bool modal = false;
        QTimer::singleShot(0, &f.window, [&caption, &modal] {
            QWidget *box = QApplication::activeModalWidget();
            if (box == nullptr)
                return;
            caption = box->windowTitle();
            modal = box->isModal();
            box->close();
        });
        QTest::mouseClick(f.window.btReach, Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("How to contact us"));
        QVERIFY(modal);
        QVERIFY(f.window.findChildren<vorin::TfrmAbout *>().isEmpty());
    }
};

QTEST_MAIN(TestMain)
#include "tst_Main.moc"
