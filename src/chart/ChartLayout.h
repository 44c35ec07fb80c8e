#pragma once

#include "chart/ChartModel.h"
#include "chart/Projection.h"

#include <optional>
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace vorin::chart {

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

    ChartGeometry m_geometry;
};

} // namespace vorin::chart
