#include "chart/ChartModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace vorin::chart;

class ChartModelTest : public QObject
{
    Q_OBJECT

private slots:
    void rotationStaysWithinATurn_data();
    void rotationStaysWithinATurn();
    void everyChangeIsAnnounced();
    void clearEmptiesOnlyThatSeries();
    void pointWithoutColourTakesTheSeriesColour();
    void undoZoomWithoutZoomChangesNothing();
};

void ChartModelTest::rotationStaysWithinATurn_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("expected");

    QTest::newRow("small pies at four degrees") << 60 << 4 << 75 << 0;
    QTest::newRow("total pie at two degrees") << 60 << 2 << 151 << 2;
    QTest::newRow("types pie at one degree") << 359 << 1 << 1 << 0;
    QTest::newRow("several turns") << 0 << 7 << 1000 << 7000 % 360;
    QTest::newRow("backwards") << 10 << -20 << 1 << 350;
    QTest::newRow("no ticks") << 359 << 4 << 0 << 359;
}

void ChartModelTest::rotationStaysWithinATurn()
{
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(int, ticks);
    QFETCH(int, expected);
    ChartModel model;
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.setRotation(start);
    for (int i = 0; i < ticks; ++i) {
        pie.rotate(step);
        QVERIFY(pie.rotation() >= 0 && pie.rotation() < 360);
    }
    QCOMPARE(pie.rotation(), expected);
}

void ChartModelTest::everyChangeIsAnnounced()
{
    ChartModel model;
    QSignalSpy spy(&model, &ChartModel::changed);
    ChartSeries &series = model.addSeries(SeriesKind::Bar);
    series.addPoint(1.0);
    series.setActive(false);
    model.setDepthPercent(31);
    model.edit([](ChartSettings &s) { s.view.zoomPercent = 20; });
    QCOMPARE(spy.count(), 5);
    QCOMPARE(model.view().depthPercent, 31);
    QCOMPARE(model.view().zoomPercent, 20);
}

void ChartModelTest::clearEmptiesOnlyThatSeries()
{
    ChartModel model;
    ChartSeries &free = model.addSeries(SeriesKind::Bar, QStringLiteral("Free"));
    ChartSeries &used = model.addSeries(SeriesKind::Bar, QStringLiteral("Used"));
    free.addPoint(5120, QStringLiteral("c"));
    used.addPoint(15360, QStringLiteral("c"));
    used.addPoint(100, QStringLiteral("d"));
    free.clear();
    QCOMPARE(free.points().size(), std::size_t(0));
    QCOMPARE(used.points().size(), std::size_t(2));
    QCOMPARE(used.sum(), 15460.0);
}

void ChartModelTest::pointWithoutColourTakesTheSeriesColour()
{
    ChartModel model;
    ChartSeries &series = model.addSeries(SeriesKind::Line);
    series.setColor(Qt::green);
    series.addXY(0, 1, QStringLiteral("00:00"));
    series.addXY(1, 2, QStringLiteral("00:30"), Qt::red);
    QCOMPARE(series.pointColor(0), QColor(Qt::green));
    QCOMPARE(series.pointColor(1), QColor(Qt::red));
    QCOMPARE(series.points()[1].xLabel, QStringLiteral("00:30"));
    QCOMPARE(series.points()[1].x, 1.0);
}

void ChartModelTest::undoZoomWithoutZoomChangesNothing()
{
    ChartModel model;
    QSignalSpy spy(&model, &ChartModel::changed);
    model.undoZoom();
    QCOMPARE(spy.count(), 0);
    model.zoomTo(UserZoom{AxisRange{0, 1}, AxisRange{0, 1}});
    model.undoZoom();
    QCOMPARE(spy.count(), 2);
    QVERIFY(!model.isZoomed());
}

QTEST_APPLESS_MAIN(ChartModelTest)
#include "tst_ChartModel.moc"
