#include "chart/ChartLayout.h"
#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace vorin::chart;

namespace {

const QRectF kBounds(0, 0, 632, 431);

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) <= tolerance;
}

// A flat chart without legend, title or depth, so figures are easy to check.
void makePlain(ChartModel &model)
{
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.enabled = false;
        s.titleVisible = false;
    });
}

// Series and point of a hit, or -1 and -1 for none, to compare in one go.
QPoint hitFigures(const std::optional<ChartHit> &hit)
{
    return hit ? QPoint(hit->series, hit->point) : QPoint(-1, -1);
}

} // namespace

class ChartLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void barsSitInTheMiddleOfEqualSlots();
    void stackedBarsStandOnEachOther();
    void stackedAxisReachesTheTotal();
    void sideBySideHorizontalBarsKeepWidthAndOffset();
    void firstHorizontalBarIsLowest();
    void legendListsSeriesTitlesInOrder();
    void legendListsValuesInReverse();
    void topLegendSitsAboveThePlot();
    void inactiveSeriesIsNeitherDrawnNorListed();
    void smallSlicesMergeIntoOther_data();
    void smallSlicesMergeIntoOther();
    void largestSliceIsPulledOutByATenthOfTheRadius();
    void slicesStartAtTheRotationAngle();
    void emptyOrZeroPieIsDrawnPlain_data();
    void emptyOrZeroPieIsDrawnPlain();
    void userZoomNarrowsTheAxesAndUndoRestores();
    void dataAtInvertsTheAxes();
    void fixedAxisRangeIsKept();
    void pointsPerPageLimitsTheSlots();
    void percentMarksShowTheShareOfTheSum();
    void depthShrinksThePlotForTheObliqueView();
    void frontViewShowsTopAndRightFacesOnly();
    void turnedViewForeshortensThePlot();
    void everyFrameOfTheOpeningStaysInsideTheChart();
    void shortStackedBarCarriesItsMarkOnItself();
    void degenerateInputsDrawWithoutHarm_data();
    void degenerateInputsDrawWithoutHarm();
    void barUnderThePointerIsHit_data();
    void barUnderThePointerIsHit();
    void sliceUnderThePointerIsHit_data();
    void sliceUnderThePointerIsHit();
    void timeCurvePointIsPickedAnywhereInItsColumn_data();
    void timeCurvePointIsPickedAnywhereInItsColumn();
    void keyboardWalksTheFirstSeriesShown_data();
    void keyboardWalksTheFirstSeriesShown();
};

void ChartLayoutTest::barsSitInTheMiddleOfEqualSlots()
{
    ChartModel model;
    makePlain(model);
    ChartSeries &series = model.addSeries(SeriesKind::Bar);
    series.setBarWidthPercent(50);
    for (double v : {10.0, 20.0, 30.0, 40.0}) {
        series.addPoint(v, QStringLiteral("x"));
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.bars.size(), std::size_t(4));
    const double slot = g.plot.width() / 4.0;
    for (std::size_t i = 0; i < 4; ++i) {
        const QRectF &bar = g.bars[i].front;
        QVERIFY(near(bar.center().x(), g.plot.left() + (static_cast<double>(i) + 0.5) * slot));
        QVERIFY(near(bar.width(), slot * 0.5));
        QVERIFY(near(bar.bottom(), g.plot.bottom()));
    }
    // Heights in proportion to the values: the fourth is four times the first.
    QVERIFY(near(g.bars[3].front.height(), 4.0 * g.bars[0].front.height(), 1e-6));
    QCOMPARE(g.verticalRange.minimum, 0.0);
    QVERIFY(g.verticalRange.maximum >= 40.0);
}

void ChartLayoutTest::stackedBarsStandOnEachOther()
{
    ChartModel model;
    makePlain(model);
    model.edit([](ChartSettings &s) { s.stacked = true; });
    ChartSeries &used = model.addSeries(SeriesKind::Bar, QStringLiteral("Used"));
    ChartSeries &free = model.addSeries(SeriesKind::Bar, QStringLiteral("Free"));
    used.addPoint(15360, QStringLiteral("c"));
    free.addPoint(5120, QStringLiteral("c"));
    used.addPoint(1000, QStringLiteral("Total"));
    free.addPoint(3000, QStringLiteral("Total"));
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.bars.size(), std::size_t(4));
    const BarItem &usedC = g.bars[0];
    const BarItem &freeC = g.bars[2];
    QCOMPARE(usedC.series, 0);
    QCOMPARE(freeC.series, 1);
    QCOMPARE(freeC.stackBase, 15360.0);
    QVERIFY(near(freeC.front.bottom(), usedC.front.top()));
    QVERIFY(near(usedC.front.bottom(), g.plot.bottom()));
    const double perUnit = g.plot.height() / (g.verticalRange.maximum - g.verticalRange.minimum);
    QVERIFY(near(g.plot.bottom() - freeC.front.top(), 20480.0 * perUnit, 1e-6));
    // Both parts of a stack share the slot and the depth.
    QVERIFY(near(usedC.front.left(), freeC.front.left()));
    QCOMPARE(usedC.z0, freeC.z0);
    QCOMPARE(usedC.z1, freeC.z1);
}

void ChartLayoutTest::stackedAxisReachesTheTotal()
{
    ChartModel model;
    makePlain(model);
    model.edit([](ChartSettings &s) { s.stacked = true; });
    model.addSeries(SeriesKind::Bar).addPoint(600);
    model.addSeries(SeriesKind::Bar).addPoint(500);
    const ChartLayout layout(model, kBounds);
    QVERIFY(layout.geometry().verticalRange.maximum >= 1100.0);
    QVERIFY(layout.geometry().verticalRange.maximum <= 1500.0);
    QVERIFY(layout.geometry().bars[1].front.top() >= layout.geometry().plot.top() - 1e-6);
}

void ChartLayoutTest::sideBySideHorizontalBarsKeepWidthAndOffset()
{
    ChartModel model;
    makePlain(model);
    const int offsets[3] = {25, 0, -25};
    for (int offset : offsets) {
        ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
        series.setBarWidthPercent(40);
        series.setBarOffsetPercent(offset);
        for (int bucket = 0; bucket < 10; ++bucket) {
            series.addPoint(10.0 + bucket, QStringLiteral("b%1").arg(bucket));
        }
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QVERIFY(g.horizontalBars);
    QCOMPARE(g.bars.size(), std::size_t(30));
    const double slot = g.plot.height() / 10.0;
    for (const BarItem &bar : g.bars) {
        QVERIFY(bar.horizontal);
        QVERIFY(near(bar.front.height(), 0.4 * slot));
        const double slotCentre = g.plot.bottom() - (bar.point + 0.5) * slot;
        // A positive offset moves the bar up by that share of its own width.
        const double expected = slotCentre - bar.front.height() * offsets[bar.series] / 100.0;
        QVERIFY2(near(bar.front.center().y(), expected),
                 qPrintable(QStringLiteral("series %1 point %2").arg(bar.series).arg(bar.point)));
        QVERIFY(near(bar.front.left(), g.plot.left()));
    }
}

void ChartLayoutTest::firstHorizontalBarIsLowest()
{
    ChartModel model;
    makePlain(model);
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
    for (double v : {64.0, 32.0, 16.0, 8.0, 4.0}) {
        series.addPoint(v);
    }
    const ChartLayout layout(model, kBounds);
    const auto &bars = layout.geometry().bars;
    QCOMPARE(bars.size(), std::size_t(5));
    for (std::size_t i = 1; i < bars.size(); ++i) {
        QVERIFY(bars[i].front.center().y() < bars[i - 1].front.center().y());
    }
    QVERIFY(bars[0].front.width() > bars[4].front.width() * 15.9);
}

void ChartLayoutTest::legendListsSeriesTitlesInOrder()
{
    ChartModel model;
    model.addSeries(SeriesKind::Line, QStringLiteral("Modified time")).setColor(Qt::red);
    model.addSeries(SeriesKind::Line, QStringLiteral("Created time")).setColor(Qt::green);
    const ChartLayout layout(model, kBounds);
    const auto &legend = layout.geometry().legend;
    QCOMPARE(legend.size(), std::size_t(2));
    QCOMPARE(legend[0].text, QStringLiteral("Modified time"));
    QCOMPARE(legend[0].color, QColor(Qt::red));
    QCOMPARE(legend[1].text, QStringLiteral("Created time"));
    // On the right by default, and the plot keeps clear of it.
    QVERIFY(layout.geometry().legendRect.left() > layout.geometry().plot.right());
}

void ChartLayoutTest::legendListsValuesInReverse()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.content = LegendContent::Values;
        s.legend.reversed = true;
        s.legend.swatchWidthPixels = 15;
    });
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
    series.setValueFormat(QStringLiteral("#,##0"));
    series.addPoint(1000, QStringLiteral("0 - 16K"), Qt::red);
    series.addPoint(2500, QStringLiteral("16K - 32K"), Qt::blue);
    series.addPoint(7, QStringLiteral("32K - 64K"), Qt::yellow);
    const ChartLayout layout(model, kBounds);
    const auto &legend = layout.geometry().legend;
    QCOMPARE(legend.size(), std::size_t(3));
    QCOMPARE(legend[0].text, QStringLiteral("7"));
    QCOMPARE(legend[0].color, QColor(Qt::yellow));
    QCOMPARE(legend[1].text, QStringLiteral("2,500"));
    QCOMPARE(legend[2].text, QStringLiteral("1,000"));
    QCOMPARE(legend[2].color, QColor(Qt::red));
    QCOMPARE(legend[0].swatch.width(), 15.0);
    QVERIFY(legend[0].swatch.top() < legend[1].swatch.top());
}

void ChartLayoutTest::topLegendSitsAboveThePlot()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.position = LegendPosition::Top;
        s.legend.swatchWidthPercent = 25;
        s.legend.topPixels = 12;
        s.margins = Margins{0, 0, 0, 0};
    });
    model.addSeries(SeriesKind::Line, QStringLiteral("Modified time")).addXY(0, 1);
    model.addSeries(SeriesKind::Line, QStringLiteral("Created time")).addXY(0, 2);
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.legend.size(), std::size_t(2));
    QCOMPARE(g.legendRect.top(), 12.0);
    QVERIFY(g.legendRect.bottom() < g.plot.top());
    // Side by side, centred across the chart.
    QVERIFY(near(g.legendRect.center().x(), kBounds.center().x(), 1e-6));
    QVERIFY(near(g.legend[0].swatch.top(), g.legend[1].swatch.top()));
    QVERIFY(g.legend[1].swatch.left() > g.legend[0].textRect.right());
    // Swatches a quarter as wide as the widest text.
    const double widest = std::max(g.legend[0].textRect.width(), g.legend[1].textRect.width());
    QVERIFY(near(g.legend[0].swatch.width(), widest * 0.25, 1e-6));
}

void ChartLayoutTest::inactiveSeriesIsNeitherDrawnNorListed()
{
    ChartModel model;
    ChartSeries &modified = model.addSeries(SeriesKind::Line, QStringLiteral("Modified time"));
    ChartSeries &created = model.addSeries(SeriesKind::Line, QStringLiteral("Created time"));
    ChartSeries &accessed = model.addSeries(SeriesKind::Line, QStringLiteral("Access Time"));
    for (int k = 0; k < 48; ++k) {
        modified.addXY(k, k);
        created.addXY(k, 48 - k);
        accessed.addXY(k, 1000);
    }
    accessed.setActive(false);
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.lines.size(), std::size_t(2));
    QCOMPARE(g.lines[0].series, 0);
    QCOMPARE(g.lines[1].series, 1);
    QCOMPARE(g.legend.size(), std::size_t(2));
    QCOMPARE(g.legend[1].text, QStringLiteral("Created time"));
    // Nor does it stretch the value axis.
    QVERIFY(g.verticalRange.maximum < 100.0);

    ChartModel bars;
    ChartSeries &hidden = bars.addSeries(SeriesKind::Bar, QStringLiteral("Hidden"));
    hidden.addPoint(5);
    hidden.setActive(false);
    bars.addSeries(SeriesKind::Bar, QStringLiteral("Shown")).addPoint(3);
    const ChartLayout barLayout(bars, kBounds);
    QCOMPARE(barLayout.geometry().bars.size(), std::size_t(1));
    QCOMPARE(barLayout.geometry().bars[0].series, 1);
}

void ChartLayoutTest::smallSlicesMergeIntoOther_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<double>("otherValue");

    QTest::newRow("three small") << QList<double>{50, 30, 10, 4, 3, 3}
                                 << QStringList{"a", "b", "c", "Other"} << 10.0;
    QTest::newRow("none small") << QList<double>{40, 35, 25} << QStringList{"a", "b", "c"} << 0.0;
    QTest::newRow("exactly five percent stays")
        << QList<double>{95, 5} << QStringList{"a", "b"} << 0.0;
    QTest::newRow("just under five percent")
        << QList<double>{95.1, 4.9} << QStringList{"a", "Other"} << 4.9;
    QTest::newRow("zeros are left out")
        << QList<double>{60, 0, 40, 0} << QStringList{"a", "c"} << 0.0;
}

void ChartLayoutTest::smallSlicesMergeIntoOther()
{
    QFETCH(QList<double>, values);
    QFETCH(QStringList, labels);
    QFETCH(double, otherValue);
    ChartModel model;
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    const QString names = QStringLiteral("abcdefgh");
    for (qsizetype i = 0; i < values.size(); ++i) {
        pie.addPoint(values[i], names.mid(i, 1), Qt::red);
    }
    const auto slices = ChartLayout::pieSlices(pie, model.separators());
    QStringList got;
    double spans = 0.0;
    for (const PieSlice &slice : slices) {
        got << slice.label;
        spans += slice.spanDegrees;
        if (slice.point < 0) {
            QVERIFY(near(slice.value, otherValue, 1e-9));
        }
    }
    QCOMPARE(got, labels);
    QVERIFY(near(spans, 360.0, 1e-9));
}

void ChartLayoutTest::largestSliceIsPulledOutByATenthOfTheRadius()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.view.elevation = 315;
    });
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.addPoint(30, QStringLiteral("small"), Qt::blue);
    pie.addPoint(50, QStringLiteral("large"), Qt::red);
    pie.addPoint(20, QStringLiteral("smaller"), Qt::green);
    const ChartLayout layout(model, kBounds);
    const PieItem &item = *layout.geometry().pie;
    QVERIFY(!item.empty);
    QCOMPARE(item.slices.size(), std::size_t(3));
    const double rx = item.ellipse.width() / 2.0;
    const double ry = item.ellipse.height() / 2.0;
    QVERIFY(rx > 50.0);
    // Seen 45 degrees from above, the pie is an ellipse.
    QVERIFY(near(ry / rx, std::cos(std::numbers::pi / 4), 1e-6));
    QVERIFY(item.thickness > 0.0);
    int pulled = 0;
    for (const PieSlice &slice : item.slices) {
        if (!slice.exploded) {
            QCOMPARE(slice.offset, QPointF());
            continue;
        }
        ++pulled;
        QCOMPARE(slice.label, QStringLiteral("large"));
        const double mid =
            (slice.startDegrees + slice.spanDegrees / 2.0) * std::numbers::pi / 180.0;
        QVERIFY(near(slice.offset.x(), std::cos(mid) * rx * 0.1, 1e-6));
        QVERIFY(near(slice.offset.y(), -std::sin(mid) * ry * 0.1, 1e-6));
    }
    QCOMPARE(pulled, 1);
    // The pulled-out slice still fits the chart.
    const QRectF outer =
        item.ellipse.adjusted(-rx * 0.1, -ry * 0.1, rx * 0.1, ry * 0.1 + item.thickness);
    QVERIFY(kBounds.contains(outer));
}

void ChartLayoutTest::slicesStartAtTheRotationAngle()
{
    ChartModel model;
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.addPoint(1, QStringLiteral("a"));
    pie.addPoint(3, QStringLiteral("b"));
    pie.setRotation(300);
    pie.rotate(100);
    QCOMPARE(pie.rotation(), 40);
    const auto slices = ChartLayout::pieSlices(pie, model.separators());
    QCOMPARE(slices.size(), std::size_t(2));
    QCOMPARE(slices[0].startDegrees, 40.0);
    QCOMPARE(slices[0].spanDegrees, 90.0);
    QCOMPARE(slices[1].startDegrees, 130.0);
    QCOMPARE(slices[1].spanDegrees, 270.0);
}

void ChartLayoutTest::emptyOrZeroPieIsDrawnPlain_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("no points") << QList<double>{};
    QTest::newRow("all zero") << QList<double>{0, 0, 0};
    QTest::newRow("negative only") << QList<double>{-5};
}

void ChartLayoutTest::emptyOrZeroPieIsDrawnPlain()
{
    QFETCH(QList<double>, values);
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.background = Qt::white;
    });
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    for (double v : values) {
        pie.addPoint(v, QStringLiteral("x"), Qt::red);
    }
    const ChartLayout layout(model, QRectF(0, 0, 103, 99));
    QVERIFY(layout.geometry().pie.has_value());
    QVERIFY(layout.geometry().pie->empty);
    QVERIFY(layout.geometry().pie->slices.empty());
    QVERIFY(layout.geometry().pie->ellipse.width() > 10.0);

    QImage image(103, 99, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    ChartPainter(model).paint(painter, QRectF(0, 0, 103, 99));
    painter.end();
    const QPoint centre = layout.geometry().pie->ellipse.center().toPoint();
    const QColor middle = image.pixelColor(centre);
    // A grey disc where the pie would be, the background round it.
    QVERIFY(middle.red() == middle.green() && middle.green() == middle.blue());
    QVERIFY(middle.red() > 150 && middle.red() < 255);
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
}

void ChartLayoutTest::userZoomNarrowsTheAxesAndUndoRestores()
{
    ChartModel model;
    makePlain(model);
    ChartSeries &series = model.addSeries(SeriesKind::Bar);
    for (double v : {100.0, 200.0, 300.0, 400.0}) {
        series.addPoint(v);
    }
    const AxisRange wholeHorizontal = ChartLayout(model, kBounds).geometry().horizontalRange;
    const AxisRange wholeVertical = ChartLayout(model, kBounds).geometry().verticalRange;
    QCOMPARE(wholeHorizontal, (AxisRange{0.0, 4.0}));

    // The rectangle may be given corner to corner in either order.
    model.zoomTo(UserZoom{AxisRange{3.0, 1.0}, AxisRange{250.0, 50.0}});
    QVERIFY(model.isZoomed());
    {
        const ChartLayout zoomed(model, kBounds);
        const ChartGeometry &g = zoomed.geometry();
        QCOMPARE(g.horizontalRange, (AxisRange{1.0, 3.0}));
        QCOMPARE(g.verticalRange, (AxisRange{50.0, 250.0}));
        // Slot 0 lies left of the plot now, slot 1 starts at its left edge.
        QVERIFY(g.bars[0].front.right() < g.plot.left());
        QVERIFY(near(g.bars[1].front.center().x(), g.plot.left() + 0.5 * g.plot.width() / 2.0));
        for (double tick : g.verticalAxis.ticks) {
            QVERIFY(tick >= 50.0 && tick <= 250.0);
        }
    }
    model.undoZoom();
    QVERIFY(!model.isZoomed());
    const ChartLayout restored(model, kBounds);
    QCOMPARE(restored.geometry().horizontalRange, wholeHorizontal);
    QCOMPARE(restored.geometry().verticalRange, wholeVertical);

    // A rectangle without area is refused.
    model.zoomTo(UserZoom{AxisRange{1.0, 1.0}, AxisRange{0.0, 10.0}});
    QVERIFY(!model.isZoomed());
}

void ChartLayoutTest::dataAtInvertsTheAxes()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 30;
    });
    ChartSeries &series = model.addSeries(SeriesKind::Bar);
    for (double v : {100.0, 200.0}) {
        series.addPoint(v);
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    const auto corner = layout.dataAt(g.projection.map(g.plot.left(), g.plot.bottom(), 0.0));
    QVERIFY(corner.has_value());
    QVERIFY(near(corner->x(), g.horizontalRange.minimum, 1e-6));
    QVERIFY(near(corner->y(), g.verticalRange.minimum, 1e-6));
    const auto opposite = layout.dataAt(g.projection.map(g.plot.right(), g.plot.top(), 0.0));
    QVERIFY(near(opposite->x(), g.horizontalRange.maximum, 1e-6));
    QVERIFY(near(opposite->y(), g.verticalRange.maximum, 1e-6));
}

void ChartLayoutTest::fixedAxisRangeIsKept()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.bottomAxis.automatic = false;
        s.bottomAxis.minimum = 0.0;
        s.bottomAxis.maximum = 47.9583333333333;
        s.pointsPerPage = 47;
    });
    ChartSeries &line = model.addSeries(SeriesKind::Line);
    for (int k = 0; k < 48; ++k) {
        line.addXY(k, k % 5);
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.horizontalRange.maximum, 47.9583333333333);
    QCOMPARE(g.lines.size(), std::size_t(1));
    QCOMPARE(g.lines[0].points.size(), std::size_t(48));
    QVERIFY(near(g.lines[0].points[0].x(), g.plot.left()));
    QVERIFY(g.lines[0].points[47].x() < g.plot.right());
}

void ChartLayoutTest::pointsPerPageLimitsTheSlots()
{
    ChartModel model;
    makePlain(model);
    model.edit([](ChartSettings &s) { s.pointsPerPage = 5; });
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
    for (int i = 0; i < 3; ++i) {
        series.addPoint(10 * (i + 1));
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    // Three bars in five slots: each bar keeps the height of a fifth.
    QCOMPARE(g.verticalRange, (AxisRange{0.0, 5.0}));
    QCOMPARE(g.bars.size(), std::size_t(3));
    QVERIFY(near(g.bars[0].front.height(), g.plot.height() / 5.0 * 0.7));
}

void ChartLayoutTest::percentMarksShowTheShareOfTheSum()
{
    ChartModel model;
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
    series.setMarkStyle(MarkStyle::Percent);
    series.setPercentFormat(QStringLiteral("##0.# %"));
    series.addPoint(1.0);
    series.addPoint(2.0);
    series.addPoint(5.0);
    ChartLayout layout(model, kBounds);
    const auto &marks = layout.geometry().marks;
    QCOMPARE(marks.size(), std::size_t(3));
    QCOMPARE(marks[0].text, QStringLiteral("12.5 %"));
    QCOMPARE(marks[1].text, QStringLiteral("25 %"));
    QCOMPARE(marks[2].text, QStringLiteral("62.5 %"));

    series.setMarkStyle(MarkStyle::Value);
    series.setValueFormat(QStringLiteral("#,##0. %"));
    ChartLayout values(model, kBounds);
    QCOMPARE(values.geometry().marks[2].text, QStringLiteral("5 %"));
}

void ChartLayoutTest::depthShrinksThePlotForTheObliqueView()
{
    ChartModel model;
    model.edit([](ChartSettings &s) { s.legend.visible = false; });
    model.addSeries(SeriesKind::Bar).addPoint(1);
    model.setDepthPercent(1);
    const ChartGeometry shallow = ChartLayout(model, kBounds).geometry();
    model.setDepthPercent(61);
    const ChartGeometry deep = ChartLayout(model, kBounds).geometry();
    QVERIFY(deep.depth > shallow.depth * 30.0);
    QVERIFY(deep.plot.width() < shallow.plot.width());
    // The back of the plot box still lies inside the chart.
    const QPointF backTopRight =
        deep.projection.map(deep.plot.right(), deep.plot.top(), deep.depth);
    QVERIFY(kBounds.contains(backTopRight));
    QVERIFY(backTopRight.x() > deep.plot.right() && backTopRight.y() < deep.plot.top());
}

void ChartLayoutTest::frontViewShowsTopAndRightFacesOnly()
{
    const Projection projection(View3D{true, 20, 100, 360, 360, true}, QPointF(300, 200), 40.0,
                                QPointF(300, 200));
    QVERIFY(projection.faces(Point3D{0, 0, -1}));  // front
    QVERIFY(projection.faces(Point3D{0, -1, 0}));  // top
    QVERIFY(projection.faces(Point3D{1, 0, 0}));   // right
    QVERIFY(!projection.faces(Point3D{0, 0, 1}));  // back
    QVERIFY(!projection.faces(Point3D{0, 1, 0}));  // bottom
    QVERIFY(!projection.faces(Point3D{-1, 0, 0})); // left
    // Depth goes up and to the right by equal amounts.
    const QPointF front = projection.map(100, 100, 0);
    const QPointF back = projection.map(100, 100, 40);
    QVERIFY(near(back.x() - front.x(), 40 * Projection::kObliqueX));
    QVERIFY(near(back.y() - front.y(), 40 * Projection::kObliqueY));
    QCOMPARE(front, QPointF(100, 100));
}

void ChartLayoutTest::turnedViewForeshortensThePlot()
{
    const QPointF centre(300, 200);
    const Projection turned(View3D{true, 10, 100, 280, 360, false}, centre, 0.0, centre);
    // Turned 80 degrees about the upright axis, a width shrinks to cos 80 of itself
    // while heights stay.
    const double width = turned.map(400, 200, 0).x() - turned.map(200, 200, 0).x();
    QVERIFY(near(std::abs(width), 200 * std::cos(80 * std::numbers::pi / 180), 1e-6));
    QVERIFY(near(turned.map(300, 100, 0).y(), 100, 1e-6));

    const Projection small(View3D{true, 10, 20, 360, 360, false}, centre, 0.0, centre);
    QVERIFY(near(small.map(400, 300, 0).x(), 320, 1e-6));
    QVERIFY(near(small.map(400, 300, 0).y(), 220, 1e-6));
    QVERIFY(near(small.unmapFront(QPointF(320, 220)).x(), 400, 1e-6));
}

void ChartLayoutTest::everyFrameOfTheOpeningStaysInsideTheChart()
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.stacked = true;
        s.legend.visible = false;
        s.margins = Margins{2, 11, 2, 9};
        s.rightAxis.visible = true;
    });
    ChartSeries &used = model.addSeries(SeriesKind::Bar);
    ChartSeries &free = model.addSeries(SeriesKind::Bar);
    used.addPoint(6144, QStringLiteral("c"));
    free.addPoint(4096, QStringLiteral("c"));
    used.addPoint(20480, QStringLiteral("Total"));
    free.addPoint(9216, QStringLiteral("Total"));
    const QRectF bounds(0, 0, 800, 560);
    View3D view{true, 10, 20, 280, 280, false};
    int frames = 0;
    while (true) {
        model.setView(view);
        const ChartLayout layout(model, bounds);
        const ChartGeometry &g = layout.geometry();
        for (double x : {g.plot.left(), g.plot.right()}) {
            for (double y : {g.plot.top(), g.plot.bottom()}) {
                for (double z : {0.0, g.depth}) {
                    QVERIFY2(bounds.contains(g.projection.map(x, y, z)),
                             qPrintable(QStringLiteral("frame %1").arg(frames)));
                }
            }
        }
        ++frames;
        if (view.orthogonal) {
            break;
        }
        view.zoomPercent += 4;
        view.rotation += 4;
        view.elevation += 4;
        if (view.zoomPercent >= 100) {
            view = View3D{true, 10, 100, 360, 360, true};
        }
    }
    QCOMPARE(frames, 21);
    // Then the depth grows to its target.
    model.setDepthPercent(62);
    const ChartLayout deep(model, bounds);
    const ChartGeometry &g = deep.geometry();
    QVERIFY(bounds.contains(g.projection.map(g.plot.right(), g.plot.top(), g.depth)));
}

void ChartLayoutTest::shortStackedBarCarriesItsMarkOnItself()
{
    ChartModel model;
    makePlain(model);
    model.edit([](ChartSettings &s) { s.stacked = true; });
    ChartSeries &used = model.addSeries(SeriesKind::Bar);
    used.setMarkStyle(MarkStyle::Value);
    used.setMarkPosition(MarkPosition::Inside);
    used.addPoint(10);
    used.addPoint(1000);
    ChartSeries &free = model.addSeries(SeriesKind::Bar);
    free.setMarkStyle(MarkStyle::Value);
    free.addPoint(990);
    free.addPoint(10);
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    QCOMPARE(g.marks.size(), std::size_t(4));
    // Tall enough: just inside the top. Too short: on the bar's middle.
    QVERIFY(g.marks[1].anchor.y > g.bars[1].front.top());
    QVERIFY(g.marks[1].anchor.y < g.bars[1].front.center().y());
    QVERIFY(near(g.marks[0].anchor.y, g.bars[0].front.center().y()));
    // Marks above sit over their bar.
    QVERIFY(g.marks[2].anchor.y < g.bars[2].front.top());
}

void ChartLayoutTest::degenerateInputsDrawWithoutHarm_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("size");
    for (int kind = 0; kind < 4; ++kind) {
        for (const QSize &size : {QSize(1, 1), QSize(12, 8), QSize(103, 99)}) {
            QTest::addRow("kind %d at %dx%d", kind, size.width(), size.height()) << kind << size;
        }
    }
}

void ChartLayoutTest::degenerateInputsDrawWithoutHarm()
{
    QFETCH(int, kind);
    QFETCH(QSize, size);
    ChartModel model;
    model.setTitle(QStringLiteral("A title longer than the chart is wide"));
    ChartSeries &series = model.addSeries(static_cast<SeriesKind>(kind), QStringLiteral("s"));
    series.setMarkStyle(MarkStyle::LabelAndPercent);
    series.addXY(0, std::nan(""), QStringLiteral("nan"));
    series.addXY(std::numeric_limits<double>::infinity(), 5, QStringLiteral("inf"));
    series.addXY(2, -3, QStringLiteral("negative"));
    QCOMPARE(series.points()[0].value, 0.0);
    QCOMPARE(series.points()[1].x, 0.0);

    const ChartLayout layout(model, QRectF(QPointF(0, 0), QSizeF(size)));
    for (const BarItem &bar : layout.geometry().bars) {
        QVERIFY(std::isfinite(bar.front.left()) && std::isfinite(bar.front.bottom()));
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    ChartPainter(model).paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    // The background was painted from the corner; a single pixel is covered by
    // whatever is drawn last.
    if (size.width() > 1) {
        QCOMPARE(image.pixelColor(0, 0), model.settings().background);
    }
}

void ChartLayoutTest::barUnderThePointerIsHit_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("point");
    // Where on that bar's box: across and down its front, and into its depth.
    QTest::addColumn<double>("across");
    QTest::addColumn<double>("down");
    QTest::addColumn<double>("back");
    QTest::addColumn<bool>("hit"); // or nothing

    QTest::newRow("flat") << "flat" << 0 << 2 << 0.5 << 0.5 << 0.0 << true;
    QTest::newRow("in depth, top") << "depth" << 0 << 1 << 0.5 << 0.0 << 0.6 << true;
    QTest::newRow("on its side") << "horizontal" << 0 << 1 << 0.9 << 0.5 << 0.0 << true;
    // The lower part's top lies behind the upper part's front: the front is seen.
    QTest::newRow("stack, upper part over the lower part's top")
        << "stacked" << 1 << 0 << 0.9 << 0.97 << 0.0 << true;
    QTest::newRow("zoomed, inside the plot") << "zoomed" << 0 << 3 << 0.5 << 0.8 << 0.0 << true;
    QTest::newRow("between two bars") << "flat" << 0 << 0 << 1.1 << 0.9 << 0.0 << false;
    QTest::newRow("above a bar in depth") << "depth" << 0 << 0 << 0.5 << -0.6 << 0.0 << false;
    QTest::newRow("a bar's part the zoom cuts away")
        << "zoomed" << 0 << 3 << 0.5 << 0.3 << 0.0 << false;
}

void ChartLayoutTest::barUnderThePointerIsHit()
{
    QFETCH(QString, shape);
    QFETCH(int, series);
    QFETCH(int, point);
    QFETCH(double, across);
    QFETCH(double, down);
    QFETCH(double, back);
    QFETCH(bool, hit);
    // Four bars of 10 to 40, upright or on their side, flat or in depth, or
    // zoomed to 0..15; or two series of them stacked.
    ChartModel model;
    makePlain(model);
    model.edit([&shape](ChartSettings &s) {
        s.view.enabled = shape != QLatin1String("flat") && shape != QLatin1String("horizontal");
        s.view.depthPercent = 25;
        s.stacked = shape == QLatin1String("stacked");
    });
    for (int s = 0; s < (shape == QLatin1String("stacked") ? 2 : 1); ++s) {
        ChartSeries &bars = model.addSeries(
            shape == QLatin1String("horizontal") ? SeriesKind::HorizontalBar : SeriesKind::Bar);
        for (double v : {10.0, 20.0, 30.0, 40.0}) {
            bars.addPoint(v);
        }
    }
    if (shape == QLatin1String("zoomed")) {
        model.zoomTo(UserZoom{AxisRange{0, 4}, AxisRange{0, 15}});
    }
    const ChartLayout layout(model, kBounds);
    const ChartGeometry &g = layout.geometry();
    const auto bar = std::find_if(g.bars.begin(), g.bars.end(), [&](const BarItem &b) {
        return b.series == series && b.point == point;
    });
    QVERIFY(bar != g.bars.end());
    const QRectF &f = bar->front;
    const QPointF at = g.projection.map(f.left() + across * f.width(), f.top() + down * f.height(),
                                        bar->z0 + back * (bar->z1 - bar->z0));
    QCOMPARE(hitFigures(layout.hitTest(at)), hit ? QPoint(series, point) : QPoint(-1, -1));
}

void ChartLayoutTest::sliceUnderThePointerIsHit_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<int>("slice"); // whose pull-out to follow; -1: none
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("radius"); // of the pie's
    QTest::addColumn<double>("down");   // of the thickness
    QTest::addColumn<int>("point");     // -1: no hit

    // 40, 30, 20 and 8 percent; 1 and 1 make "Other" at the end, from 352.8 degrees.
    QTest::newRow("a slice") << 0 << 1 << 200.0 << 0.5 << 0.0 << 1;
    // Out by a tenth of the radius: past the rim the pie would have without it.
    QTest::newRow("the pulled-out slice at its rim") << 0 << 0 << 72.0 << 0.95 << 0.0 << 0;
    QTest::newRow("a slice's side") << 0 << 2 << 270.0 << 1.0 << 0.5 << 2;
    QTest::newRow("Other is no point") << 0 << 4 << 356.4 << 0.8 << 0.0 << -1;
    QTest::newRow("outside the pie") << 0 << -1 << 45.0 << 1.3 << 0.0 << -1;
    QTest::newRow("turned by 90") << 90 << 3 << 60.0 << 0.7 << 0.0 << 3;
}

void ChartLayoutTest::sliceUnderThePointerIsHit()
{
    QFETCH(int, rotation);
    QFETCH(int, slice);
    QFETCH(double, direction);
    QFETCH(double, radius);
    QFETCH(double, down);
    QFETCH(int, point);
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.elevation = 300; // seen from above: the side shows
    });
    model.addSeries(SeriesKind::Bar).addPoint(5); // inactive series before the pie count too
    model.series(0).setActive(false);
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    for (double v : {40.0, 30.0, 20.0, 8.0, 1.0, 1.0}) {
        pie.addPoint(v);
    }
    pie.setRotation(rotation);
    const ChartLayout layout(model, kBounds);
    const PieItem &item = *layout.geometry().pie;
    QCOMPARE(item.slices.size(), std::size_t(5));
    const QPointF offset =
        slice >= 0 ? item.slices[static_cast<std::size_t>(slice)].offset : QPointF();
    const double a = direction * std::numbers::pi / 180.0;
    const QPointF at =
        item.ellipse.center() + offset +
        QPointF(radius * item.ellipse.width() / 2.0 * std::cos(a),
                -radius * item.ellipse.height() / 2.0 * std::sin(a) + down * item.thickness);
    QCOMPARE(hitFigures(layout.hitTest(at)), point < 0 ? QPoint(-1, -1) : QPoint(1, point));
}

void ChartLayoutTest::timeCurvePointIsPickedAnywhereInItsColumn_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<double>("across"); // of half the way to the neighbour; + is right
    QTest::addColumn<int>("curve");     // which curve the pointer is near
    QTest::addColumn<double>("above");  // pixels above that curve's point
    QTest::addColumn<int>("point");     // -1: no hit

    QTest::newRow("midnight, left of the axis") << 0 << -0.9 << 1 << 6.0 << 0;
    QTest::newRow("two in the afternoon, far above") << 28 << 0.9 << 0 << 40.0 << 28;
    QTest::newRow("half past eleven at night") << 47 << -0.9 << 2 << 3.0 << 47;
    // The curve furthest back is drawn furthest right: past its end, none is.
    QTest::newRow("past the last column") << 47 << 1.6 << 2 << 0.0 << -1;
}

void ChartLayoutTest::timeCurvePointIsPickedAnywhereInItsColumn()
{
    QFETCH(int, slot);
    QFETCH(double, across);
    QFETCH(int, curve);
    QFETCH(double, above);
    QFETCH(int, point);
    // The Time page's chart: three curves far apart, a point per half hour
    // on a fixed axis from midnight to the last half hour, in depth.
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.view.depthPercent = 20;
        s.titleVisible = false;
        s.legend.position = LegendPosition::Top;
        s.bottomAxis.automatic = false;
        s.bottomAxis.minimum = 0.0;
        s.bottomAxis.maximum = 47.9583333333333;
        s.bottomAxis.labelAngle = 90;
        s.pointsPerPage = 47;
    });
    for (double level : {900.0, 500.0, 100.0}) {
        ChartSeries &series = model.addSeries(SeriesKind::Line);
        for (int k = 0; k < 48; ++k) {
            series.addXY(k, level + 40.0 * std::sin(k / 4.0));
        }
    }
    const ChartLayout layout(model, QRectF(0, 0, 627, 361));
    const ChartGeometry &g = layout.geometry();
    const LineItem &line = g.lines.at(static_cast<std::size_t>(curve));
    const auto shown = [&](int k) {
        const QPointF &p = line.points.at(static_cast<std::size_t>(k));
        return g.projection.map(p.x(), p.y(), line.z0);
    };
    const double halfWay = std::abs(shown(slot == 47 ? 46 : slot + 1).x() - shown(slot).x()) / 2.0;
    QVERIFY2(halfWay > 4.0 && halfWay < 8.0, qPrintable(QString::number(halfWay)));
    const QPointF at = shown(slot) + QPointF(across * halfWay, -above);
    QCOMPARE(hitFigures(layout.hitTest(at)), point < 0 ? QPoint(-1, -1) : QPoint(curve, point));
}

void ChartLayoutTest::keyboardWalksTheFirstSeriesShown_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("points"); // of series 0

    // Bars: two series, on the second page of two points each.
    QTest::newRow("bars of the first series on the page")
        << int(SeriesKind::Bar) << QList<int>{2, 3};
    QTest::newRow("slices but Other") << int(SeriesKind::Pie) << QList<int>{0, 2, 4, 5};
    QTest::newRow("curve points within the zoom") << int(SeriesKind::Line) << QList<int>{2, 3, 4};
}

void ChartLayoutTest::keyboardWalksTheFirstSeriesShown()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, points);
    ChartModel model;
    makePlain(model);
    const auto seriesKind = static_cast<SeriesKind>(kind);
    for (int s = 0; s < (seriesKind == SeriesKind::Bar ? 2 : 1); ++s) {
        ChartSeries &series = model.addSeries(seriesKind);
        for (double v : {50.0, 1.0, 40.0, 2.0, 30.0, 20.0}) { // 1 and 2: a pie's Other
            series.addPoint(v);
        }
    }
    if (seriesKind == SeriesKind::Bar) {
        model.edit([](ChartSettings &s) {
            s.pointsPerPage = 2;
            s.page = 1;
        });
    } else if (seriesKind == SeriesKind::Line) {
        model.zoomTo(UserZoom{AxisRange{1.5, 4.5}, AxisRange{0, 60}});
    }
    QList<int> got;
    for (const ChartHit &hit : ChartLayout(model, kBounds).keyboardPoints()) {
        QCOMPARE(hit.series, 0);
        got << hit.point;
    }
    QCOMPARE(got, points);
}

QTEST_MAIN(ChartLayoutTest)
#include "tst_ChartLayout.moc"
