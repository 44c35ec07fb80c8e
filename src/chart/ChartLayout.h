#pragma once

#include "chart/ChartModel.h"
#include "chart/Projection.h"

#include <optional>
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace vorin::chart {

// A point of the chart as the user meant it: the series' index in the model
// and the index into that series' points.
struct ChartHit
{
    int series = 0;
    int point = 0;

    friend bool operator==(const ChartHit &, const ChartHit &) = default;
};

struct BarItem
{
    int series = 0;
    int point = 0;
    QRectF front; // scene rectangle on the plane z = z0
    double z0 = 0.0;
    double z1 = 0.0;
    bool horizontal = false;
    double value = 0.0;
    double stackBase = 0.0; // value at which the bar starts (stacked bars)
    QColor color;
    bool gradient = false;
};

struct MarkItem
{
    QString text;
    Point3D anchor; // where the box's centre sits before the zoom
    QColor textColor;
    QColor background;
    QFont font;
};

struct PieSlice
{
    int point = -1; // index into the series; -1 for the merged slice "Other"
    QString label;
    double value = 0.0;
    double percent = 0.0;
    double startDegrees = 0.0; // counter-clockwise from three o'clock
    double spanDegrees = 0.0;
    QPointF offset; // pull-out of the exploded slice
    bool exploded = false;
    QColor color;
    QString mark;
};

struct PieItem
{
    int series = 0;
    QRectF ellipse; // top face of the pie, unexploded
    double thickness = 0.0;
    bool empty = true; // nothing above zero to show: drawn as a plain disc
    std::vector<PieSlice> slices;
};

struct LineItem
{
    int series = 0;
    QColor color;
    double z0 = 0.0;
    double z1 = 0.0;
    std::vector<QPointF> points; // scene points on the front plane
    bool pointers = false;
};

struct AxisLabel
{
    QString text;
    Point3D anchor;
    int angle = 0;
    Qt::Alignment alignment = Qt::AlignCenter; // which side of the text touches the anchor
};

struct AxisItem
{
    bool visible = false;
    bool lineVisible = true;
    Point3D from;
    Point3D to;
    double minimum = 0.0;
    double maximum = 1.0;
    std::vector<double> ticks;       // values with a tick mark and, when on, a grid line
    std::vector<Point3D> tickPoints; // on the axis line
    Point3D tickDirection;           // scene offset from the line to the tick's end
    std::vector<AxisLabel> labels;
    QString title;
    Point3D titleAnchor;
    int titleAngle = 0;
    const AxisSettings *settings = nullptr;
};

struct LegendItem
{
    QString text;
    QColor color;
    QRectF swatch;
    QRectF textRect;
};

struct ChartGeometry
{
    QRectF bounds;
    QRectF panel; // inside the margins, what the zoom scales about
    std::vector<QRectF> titleRects;
    QStringList titleLines;
    QRectF plot;        // front plane of the plot box, scene units
    double depth = 0.0; // of the plot box
    Projection projection;
    bool zoomed = false; // the user's zoom: bars are cut at the plot box
    bool hasAxes = false;
    bool horizontalBars = false;
    AxisRange horizontalRange; // data shown across the plot
    AxisRange verticalRange;   // data shown up the plot
    AxisItem horizontalAxis;   // bottom
    AxisItem verticalAxis;     // left
    AxisItem rightAxis;
    std::vector<BarItem> bars; // back to front is the painter's business
    std::vector<MarkItem> marks;
    std::vector<LineItem> lines;
    std::optional<PieItem> pie;
    QRectF legendRect;
    std::vector<LegendItem> legend;
};

// Turns a model and a rectangle into the geometry of everything drawn: titles,
// legend, plot box, axes, bars, slices, lines and marks. Needs fonts but no
// pixels, so tests check positions without painting. Cost: one pass over the
// points of the active series.
class ChartLayout
{
public:
    ChartLayout(const ChartModel &model, const QRectF &bounds);

    [[nodiscard]] const ChartGeometry &geometry() const { return m_geometry; }

    // The data (horizontal, vertical) under a screen point, for the user's zoom
    // rectangle; nothing for a pie or outside an axis chart.
    [[nodiscard]] std::optional<QPointF> dataAt(const QPointF &screen) const;

    // The point drawn at a screen point: the bar or stacked part whose box
    // covers it, the pie slice under it ("Other" stands for no one point), or
    // on a line chart the point whose column holds it, on the curve nearest
    // above or below. Nothing where no point is drawn.
    [[nodiscard]] std::optional<ChartHit> hitTest(const QPointF &screen) const;
    // The points the keyboard steps through, in order: those of the first
    // series shown (the pie, else the first active bar or line series in the
    // model), as far as the chart draws them; the pie's "Other" is left out.
    [[nodiscard]] std::vector<ChartHit> keyboardPoints() const;
    // The screen outline of a point's bar, slice top or line point; empty
    // when the chart does not draw that point.
    [[nodiscard]] QPolygonF outline(const ChartHit &hit) const;

    // The pie's slices after merging the small ones into "Other", for a series.
    [[nodiscard]] static std::vector<PieSlice> pieSlices(const ChartSeries &series,
                                                         const LocaleSeparators &separators);

private:
    void layoutPie(const ChartModel &model, const ChartSeries &series, const QRectF &area);
    // In ChartAxes.cpp.
    void layoutAxes(const ChartModel &model, QRectF area);
    void layoutBars(const ChartModel &model);
    void layoutLines(const ChartModel &model);
    void layoutLegend(const ChartModel &model, QRectF &area);
    // In ChartHits.cpp.
    [[nodiscard]] std::optional<ChartHit> barAt(const QPointF &screen) const;
    [[nodiscard]] std::optional<ChartHit> sliceAt(const QPointF &screen) const;
    struct LineHit
    {
        ChartHit hit;
        double verticalDistance = 0.0; // pixels from the curve
    };
    [[nodiscard]] std::optional<LineHit> linePointAt(const QPointF &screen) const;

    ChartGeometry m_geometry;
};

} // namespace vorin::chart
