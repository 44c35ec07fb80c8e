#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "PageFixture.h"
#include "ScanFixture.h"
#include "views/TimePage.h"

#include <QAccessible>
#include <QScrollBar>
#include <QToolButton>

using namespace vorin;
using namespace vorin::testing;

namespace {

const QString kNote = QStringLiteral(
    "Note: Sometimes software vendors use the file modified time to indicate the version number "
    "of a product. For example, a file with the time of 02:10 am would represent version 2.1 of "
    "a certain product.");

QStringList legendTexts(const chart::Chart &c)
{
    const chart::ChartLayout layout(c.model(), QRectF(QPointF(0, 0), QSizeF(c.size())));
    QStringList texts;
    for (const chart::LegendItem &item : layout.geometry().legend)
        texts << item.text;
    return texts;
}

QList<double> values(const chart::ChartSeries &series)
{
    QList<double> out;
    for (const chart::ChartPoint &p : series.points())
        out << p.value;
    return out;
}

QList<double> values(const std::array<double, kTimeSlots> &counts)
{
    return QList<double>(counts.begin(), counts.end());
}

// A page on its own, as the window would hand it.
struct TimeSetup
{
    ViewsEnvironment env;
    PageHarness harness{env.services};
    TimePage page{harness.page(9), harness.context};
};

} // namespace

class tst_TimePage : public QObject
{
    Q_OBJECT

private slots:
    void chartFillsThePageAsTheTimeOfDayChart();
    void threeCurvesHoldOnePointPerHalfHour();
    void slotLabelsAreTheSlotStartsInTheUsersClock_data();
    void slotLabelsAreTheSlotStartsInTheUsersClock();
    void accessCurveIsLeftOutWhenNoAccessWasCounted();
    void accessCurveShowsWhenOneAccessWasCounted();
    void slotZeroIsAlwaysZero();
    void laterFiguresReplaceEveryPoint();
    void scrollBarStartsAtEightButTheDepthAtTwenty();
    void scrollBarSetsTheDepth_data();
    void scrollBarSetsTheDepth();
    void noteShowsItsTextAndChangesNothing();
    void lastHalfHourStaysInsideThePlot_data();
    void lastHalfHourStaysInsideThePlot();
    void filesModifiedAtTenPastTwoPeakAtSlot28_data();
    void filesModifiedAtTenPastTwoPeakAtSlot28();
};

void tst_TimePage::chartFillsThePageAsTheTimeOfDayChart()
{
    TimeSetup t;
    const chart::Chart &c = *t.page.Chart4;
    QCOMPARE(c.objectName(), QStringLiteral("Chart4"));
    QCOMPARE(c.geometry(), QRect(0, 0, 627, 361));
    QVERIFY(t.harness.page(9)->isAncestorOf(t.page.Chart4));
    const chart::ChartSettings &s = c.model().settings();
    QCOMPARE(s.view.depthPercent, 20);
    QVERIFY(!s.backWallColor.isValid());
    QCOMPARE(s.leftWallColor, QColor(128, 255, 255));
    QVERIFY(!s.titleVisible || s.titleLines.isEmpty());
    QVERIFY(s.legend.visible);
    QCOMPARE(s.legend.content, chart::LegendContent::SeriesTitles);
    QCOMPARE(s.legend.position, chart::LegendPosition::Top);
    QCOMPARE(s.legend.swatchWidthPercent, 25);
    QCOMPARE(s.legend.topPixels, 12);
    QVERIFY(!s.bottomAxis.automatic);
    QCOMPARE(s.bottomAxis.minimum, 0.0);
    QCOMPARE(s.bottomAxis.maximum, 47.9583333333333);
    QCOMPARE(s.bottomAxis.title, QStringLiteral("Time of day file was modified/created/accessed"));
    QCOMPARE(s.bottomAxis.labelAngle, 90);
    QCOMPARE(s.bottomAxis.labelSeparationPercent, 3);
    QCOMPARE(s.leftAxis.title, QStringLiteral("Numer of files"));
    QCOMPARE(s.pointsPerPage, 47);

    QCOMPARE(c.model().seriesCount(), 3);
    const struct
    {
        const chart::ChartSeries *series;
        const char *title;
        QColor colour;
    } curves[] = {{t.page.Series10, "Modified time", QColor(255, 0, 0)},
                  {t.page.Series11, "Created time", QColor(0, 255, 0)},
                  {t.page.Series12, "Access Time", QColor(0, 0, 255)}};
    for (int i = 0; i < 3; ++i) {
        const auto &curve = curves[i];
        QCOMPARE(&c.model().series(i), curve.series);
        QCOMPARE(curve.series->kind(), chart::SeriesKind::Line);
        QCOMPARE(curve.series->title(), QString::fromLatin1(curve.title));
        QCOMPARE(curve.series->color(), curve.colour);
        QVERIFY(!curve.series->pointersVisible());
    }
}

void tst_TimePage::threeCurvesHoldOnePointPerHalfHour()
{
    TimeSetup t;
    Statistics &s = t.harness.stats;
    for (int k = 1; k < kTimeSlots; ++k) {
        s.modifiedTimeSlots.at(k) = k;
        s.createdTimeSlots.at(k) = 100 + k;
        s.accessTimeSlots.at(k) = 1000 + 2 * k;
    }
    t.page.doFileTimes();
    const struct
    {
        const chart::ChartSeries *series;
        const std::array<double, kTimeSlots> &counts;
    } curves[] = {{t.page.Series10, s.modifiedTimeSlots},
                  {t.page.Series11, s.createdTimeSlots},
                  {t.page.Series12, s.accessTimeSlots}};
    for (const auto &curve : curves) {
        QCOMPARE(curve.series->points().size(), std::size_t(48));
        QCOMPARE(values(*curve.series), values(curve.counts));
        QCOMPARE(curve.series->unit(), QStringLiteral("files"));
        for (int k = 0; k < kTimeSlots; ++k) {
            const chart::ChartPoint &p = curve.series->points().at(k);
            QCOMPARE(p.x, double(k));
            QCOMPARE(curve.series->pointColor(k), curve.series->color());
        }
        QVERIFY(curve.series->isActive());
    }
    QCOMPARE(legendTexts(*t.page.Chart4),
             (QStringList{"Modified time", "Created time", "Access Time"}));
}

void tst_TimePage::slotLabelsAreTheSlotStartsInTheUsersClock_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("label");
    QTest::newRow("24h midnight") << "%H:%M" << 0 << "00:00";
    QTest::newRow("24h first half hour") << "%H:%M" << 1 << "00:30";
    QTest::newRow("24h ten past two falls at two") << "%H:%M" << 28 << "14:00";
    QTest::newRow("24h half past two") << "%H:%M" << 29 << "14:30";
    QTest::newRow("24h last slot") << "%H:%M" << 47 << "23:30";
    QTest::newRow("12h midnight") << "%I:%M %p" << 0 << "12:00 AM";
    QTest::newRow("12h noon") << "%I:%M %p" << 24 << "12:00 PM";
    QTest::newRow("12h two in the afternoon") << "%I:%M %p" << 28 << "02:00 PM";
    QTest::newRow("12h last slot") << "%I:%M %p" << 47 << "11:30 PM";
    QTest::newRow("points") << "%H.%M" << 19 << "09.30";
}

void tst_TimePage::slotLabelsAreTheSlotStartsInTheUsersClock()
{
    QFETCH(QString, pattern);
    QFETCH(int, slot);
    QFETCH(QString, label);
    TimeSetup t;
    t.env.services.timeFormat = TimeOfDayFormat{pattern.toStdString(), "AM", "PM"};
    t.page.doFileTimes();
    for (const chart::ChartSeries *series : {t.page.Series10, t.page.Series11, t.page.Series12})
        QCOMPARE(series->points().at(slot).xLabel, label);
}

void tst_TimePage::accessCurveIsLeftOutWhenNoAccessWasCounted()
{
    TimeSetup t;
    t.harness.stats.modifiedTimeSlots.at(28) = 3;
    t.harness.stats.createdTimeSlots.at(30) = 2;
    t.page.doFileTimes();
    QVERIFY(t.page.Series10->isActive());
    QVERIFY(t.page.Series11->isActive());
    QVERIFY(!t.page.Series12->isActive());
    QCOMPARE(t.page.Series12->points().size(), std::size_t(48));
    QCOMPARE(legendTexts(*t.page.Chart4), (QStringList{"Modified time", "Created time"}));
}

void tst_TimePage::accessCurveShowsWhenOneAccessWasCounted()
{
    TimeSetup t;
    t.page.doFileTimes();
    QVERIFY(!t.page.Series12->isActive());
    // The next run counts one access: the curve comes back.
    t.harness.stats.accessTimeSlots.at(47) = 1;
    t.page.doFileTimes();
    QVERIFY(t.page.Series12->isActive());
    QCOMPARE(legendTexts(*t.page.Chart4),
             (QStringList{"Modified time", "Created time", "Access Time"}));
    // With nothing counted at all the two other curves stay, flat at 0.
    t.harness.stats.accessTimeSlots.at(47) = 0;
    t.page.doFileTimes();
    QVERIFY(t.page.Series10->isActive());
    QVERIFY(t.page.Series11->isActive());
    QVERIFY(!t.page.Series12->isActive());
}

void tst_TimePage::slotZeroIsAlwaysZero()
{
    TimeSetup t;
    t.harness.stats.modifiedTimeSlots.fill(4);
    t.harness.stats.modifiedTimeSlots.at(0) = 0; // the engine never counts it
    t.page.doFileTimes();
    for (const chart::ChartSeries *series : {t.page.Series10, t.page.Series11, t.page.Series12})
        QCOMPARE(series->points().at(0).value, 0.0);
    QCOMPARE(t.page.Series10->points().at(1).value, 4.0);
}

void tst_TimePage::laterFiguresReplaceEveryPoint()
{
    TimeSetup t;
    t.harness.stats.modifiedTimeSlots.at(10) = 7;
    t.harness.stats.accessTimeSlots.at(11) = 5;
    t.page.doFileTimes();
    t.harness.stats = Statistics{};
    t.harness.stats.modifiedTimeSlots.at(20) = 2;
    t.page.doFileTimes();
    QCOMPARE(t.page.Series10->points().size(), std::size_t(48));
    QCOMPARE(t.page.Series10->points().at(10).value, 0.0);
    QCOMPARE(t.page.Series10->points().at(20).value, 2.0);
    QCOMPARE(t.page.Series10->sum(), 2.0);
    QCOMPARE(t.page.Series12->sum(), 0.0);
    QVERIFY(!t.page.Series12->isActive());
}

void tst_TimePage::scrollBarStartsAtEightButTheDepthAtTwenty()
{
    TimeSetup t;
    const QScrollBar &bar = *t.page.sbTime;
    QCOMPARE(bar.objectName(), QStringLiteral("sbTime"));
    QCOMPARE(bar.geometry(), QRect(6, 339, 106, 16));
    QCOMPARE(bar.orientation(), Qt::Horizontal);
    QCOMPARE(bar.minimum(), 1);
    QCOMPARE(bar.maximum(), 50);
    QCOMPARE(bar.value(), 8);
    QCOMPARE(bar.pageStep(), 5);
    QVERIFY(t.harness.page(9)->isAncestorOf(t.page.sbTime));
    // Tab goes from the chart to the bar, named for a screen reader, and on to the note.
    QVERIFY(t.harness.notebook.setPageIndex(9));
    QCOMPARE(tabStops(*t.page.Chart4, 2), (QList<QWidget *>{t.page.sbTime, t.page.SpeedButton5}));
    QCOMPARE(bar.accessibleName(), QStringLiteral("Depth"));
    QCOMPARE(t.page.Chart4->model().view().depthPercent, 20);
    // Refilling the curves leaves the depth alone.
    t.page.doFileTimes();
    QCOMPARE(t.page.Chart4->model().view().depthPercent, 20);
}

void tst_TimePage::scrollBarSetsTheDepth_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("depth");
    QTest::newRow("deepest") << 50 << 50;
    QTest::newRow("almost flat") << 1 << 1;
    QTest::newRow("back to its start") << 8 << 8;
    QTest::newRow("beyond the end stops at 50") << 80 << 50;
}

void tst_TimePage::scrollBarSetsTheDepth()
{
    QFETCH(int, position);
    QFETCH(int, depth);
    TimeSetup t;
    const QRectF place(0, 0, 627, 361);
    const double startDepth = chart::ChartLayout(t.page.Chart4->model(), place).geometry().depth;
    t.page.sbTime->setValue(position == 8 ? 9 : 8); // a move first, so 8 is a move too
    t.page.sbTime->setValue(position);
    QCOMPARE(t.page.Chart4->model().view().depthPercent, depth);
    // What the chart draws: the plot box is as deep as the bar says, against
    // the 20 percent it started with.
    const double drawn = chart::ChartLayout(t.page.Chart4->model(), place).geometry().depth;
    QVERIFY(startDepth > 0);
    QVERIFY(qAbs(drawn - startDepth * depth / 20.0) < 1e-9);
}

void tst_TimePage::noteShowsItsTextAndChangesNothing()
{
    TimeSetup t;
    t.harness.stats.modifiedTimeSlots.at(28) = 3;
    t.page.doFileTimes();
    QToolButton &button = *t.page.SpeedButton5;
    QCOMPARE(button.objectName(), QStringLiteral("SpeedButton5"));
    QCOMPARE(button.geometry(), QRect(593, 337, 25, 22));
    QVERIFY(button.text().isEmpty());
    QVERIFY(!button.icon().isNull());
    QCOMPARE(QAccessible::queryAccessibleInterface(&button)->text(QAccessible::Name), "Note");
    QCOMPARE(button.toolTip(), QStringLiteral("About file times as version numbers"));
    const QList<double> before = values(*t.page.Series10);
    const chart::View3D view = t.page.Chart4->model().view();
    t.env.messages.clear();

    button.click();

    QCOMPARE(t.env.messages.shown().size(), std::size_t(1));
    QCOMPARE(t.env.messages.shown()[0].kind, RecordingMessages::Shown::Info);
    QCOMPARE(QString::fromStdString(t.env.messages.shown()[0].text), kNote);
    QCOMPARE(values(*t.page.Series10), before);
    QCOMPARE(t.page.Chart4->model().view(), view);
    QCOMPARE(t.page.sbTime->value(), 8);
    QVERIFY(!t.page.Series12->isActive());
}

void tst_TimePage::lastHalfHourStaysInsideThePlot_data()
{
    QTest::addColumn<QList<double>>("counts");
    QList<double> allAtQuarterToMidnight(48, 0.0);
    allAtQuarterToMidnight[47] = 9;
    QList<double> peakAtTheEnd(48, 2.0);
    peakAtTheEnd[0] = 0;
    peakAtTheEnd[20] = 40;
    peakAtTheEnd[47] = 250;
    QTest::newRow("every file at 23:45") << allAtQuarterToMidnight;
    QTest::newRow("the highest slot is the last") << peakAtTheEnd;
}

// The bottom axis shows all 48 half hours, so the value axis reaches as high
// as the last one too, and its point is drawn inside the plot.
void tst_TimePage::lastHalfHourStaysInsideThePlot()
{
    QFETCH(QList<double>, counts);
    TimeSetup t;
    std::copy(counts.begin(), counts.end(), t.harness.stats.modifiedTimeSlots.begin());
    t.page.doFileTimes();
    const chart::Chart &c = *t.page.Chart4;
    const chart::ChartLayout layout(c.model(), QRectF(QPointF(0, 0), QSizeF(c.size())));
    const chart::ChartGeometry &g = layout.geometry();
    QVERIFY(g.verticalRange.maximum >= counts[47]);
    QCOMPARE(g.lines.at(0).points.size(), std::size_t(48));
    QVERIFY(g.lines.at(0).points[47].y() >= g.plot.top() - 1e-6);
}

void tst_TimePage::filesModifiedAtTenPastTwoPeakAtSlot28_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("label");
    QTest::newRow("24-hour clock") << "%H:%M"
                                   << "14:00";
    QTest::newRow("12-hour clock") << "%I:%M %p"
                                   << "02:00 PM";
}

// A real scan: three files last written at 14:10 local time and last read at
// 00:10 (the half hour that is never counted), in a zone half an hour off
// the hour, so UTC would land in another slot.
void tst_TimePage::filesModifiedAtTenPastTwoPeakAtSlot28()
{
    QFETCH(QString, pattern);
    QFETCH(QString, label);
    const LocalZone zone("IST-5:30");
    ViewsEnvironment env;
    env.services.timeFormat = TimeOfDayFormat{pattern.toStdString(), "AM", "PM"};
    QTemporaryDir root;
    addDrive(env, 'f', root, "times", 4096);
    const std::time_t modified = localInstant(2020, 6, 15, 14, 10);
    const std::time_t accessed = localInstant(2020, 6, 15, 0, 10);
    for (const char *name : {"a.txt", "b.bin", "no extension"}) {
        const QString path = root.filePath(QString::fromLatin1(name));
        writeFile(path, 100);
        QVERIFY(setFileTimes(path, accessed, modified));
    }

    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"f: [times]"}));
    QCOMPARE(w.statistics().filesSelected, 3);

    const TimePage &page = *w.timePage;
    QList<double> peak(48, 0.0);
    peak[28] = 3;
    QCOMPARE(values(*page.Series10), peak);
    QCOMPARE(page.Series10->points().at(28).xLabel, label);
    // The created curve follows whatever birth times the file system keeps.
    QCOMPARE(values(*page.Series11), values(w.statistics().createdTimeSlots));
    QCOMPARE(page.Series11->points().at(0).value, 0.0);
    QCOMPARE(values(*page.Series12), QList<double>(48, 0.0));
    QVERIFY(!page.Series12->isActive());
    QCOMPARE(legendTexts(*page.Chart4), (QStringList{"Modified time", "Created time"}));
}

QTEST_MAIN(tst_TimePage)
#include "tst_TimePage.moc"
