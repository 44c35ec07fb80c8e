#include "chart/Chart.h"
#include "chart/ChartLayout.h"

#include <QSignalSpy>
#include <QTest>

using namespace vorin::chart;

class ChartTest : public QObject
{
    Q_OBJECT

private slots:
    void draggingARectangleZoomsIntoIt();
    void draggingBackwardsUndoesTheZoom();
    void zoomCanBeSwitchedOff();
    void aClickIsNotAZoom();
    void doubleClickIsReported();
    void hintIsTheTooltip();
};

namespace {

void fillBars(Chart &chart)
{
    chart.model().edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.enabled = false;
    });
    ChartSeries &series = chart.model().addSeries(SeriesKind::Bar);
    for (double v : {100.0, 200.0, 300.0, 400.0}) {
        series.addPoint(v);
    }
    chart.resize(400, 300);
    chart.show();
}

} // namespace

void ChartTest::draggingARectangleZoomsIntoIt()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const ChartLayout before(chart.model(), QRectF(chart.rect()));
    const QRectF plot = before.geometry().plot;
    const QPoint from = plot.topLeft().toPoint() + QPoint(int(plot.width() / 4), 10);
    const QPoint to = plot.bottomRight().toPoint() - QPoint(int(plot.width() / 4), 10);
    const auto dataFrom = before.dataAt(QPointF(from));
    const auto dataTo = before.dataAt(QPointF(to));
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&chart, (from + to) / 2);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(chart.model().isZoomed());
    const UserZoom zoom = *chart.model().userZoom();
    QVERIFY(qAbs(zoom.horizontal.minimum - dataFrom->x()) < 1e-6);
    QVERIFY(qAbs(zoom.horizontal.maximum - dataTo->x()) < 1e-6);
    QVERIFY(qAbs(zoom.vertical.minimum - dataTo->y()) < 1e-6);
    QVERIFY(qAbs(zoom.vertical.maximum - dataFrom->y()) < 1e-6);
    QVERIFY(zoom.horizontal.minimum > 0.9 && zoom.horizontal.maximum < 3.1);
}

void ChartTest::draggingBackwardsUndoesTheZoom()
{
    Chart chart;
    fillBars(chart);
    chart.model().zoomTo(UserZoom{AxisRange{1, 2}, AxisRange{0, 100}});
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    QTest::mouseMove(&chart, QPoint(200, 100));
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::zoomCanBeSwitchedOff()
{
    Chart chart;
    fillBars(chart);
    chart.model().edit([](ChartSettings &s) { s.userZoomAllowed = false; });
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QTest::mouseMove(&chart, QPoint(300, 250));
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(300, 250));
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::aClickIsNotAZoom()
{
    Chart chart;
    fillBars(chart);
    QSignalSpy clicks(&chart, &Chart::clicked);
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::doubleClickIsReported()
{
    Chart chart;
    fillBars(chart);
    QSignalSpy doubles(&chart, &Chart::doubleClicked);
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(doubles.count(), 1);
}

void ChartTest::hintIsTheTooltip()
{
    Chart chart;
    chart.setHint(QStringLiteral("Click on pie to toggle animation"));
    QCOMPARE(chart.toolTip(), QStringLiteral("Click on pie to toggle animation"));
    chart.setHint(QString());
    QVERIFY(chart.hint().isEmpty());
}

QTEST_MAIN(ChartTest)
#include "tst_Chart.moc"
