// The second translation unit of ChartLayout: the axis chart's ranges, plot box and axes.
#include "chart/AxisScale.h"
#include "chart/ChartLayout.h"
#include "chart/LayoutSupport.h"

#include <algorithm>
#include <cmath>
#include <QFontMetricsF>

namespace vorin::chart {

namespace {

constexpr double kTickLength = 4.0;
constexpr double kLabelGap = 3.0;

// What the active series hold: which kinds are shown, which points fill the
// page's category slots, and how far the values and x positions reach.
struct DataExtents
{
    bool anyBar = false;
    bool anyLine = false;
    bool horizontalBars = false;
    bool marksAbove = false;                       // vertical bars with marks
    const ChartSeries *markedHorizontal = nullptr; // horizontal bars with marks
    std::size_t slotCount = 1;
    std::size_t first = 0; // the page's first point
    double low = 0.0;
    double high = 0.0;
    double xLow = 0.0;
    double xHigh = 0.0;
    bool haveX = false;
};

DataExtents dataExtents(const ChartModel &model)
{
    const ChartSettings &s = model.settings();
    DataExtents d;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (!series.isActive()) {
            continue;
        }
        if (isBar(series.kind())) {
            d.anyBar = true;
            d.horizontalBars = d.horizontalBars || series.kind() == SeriesKind::HorizontalBar;
            if (series.markStyle() != MarkStyle::None) {
                if (series.kind() == SeriesKind::HorizontalBar) {
                    d.markedHorizontal = &series;
                } else {
                    d.marksAbove = true;
                }
            }
        } else if (series.kind() == SeriesKind::Line) {
            d.anyLine = true;
        }
    }

    std::size_t count = 0;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (series.isActive() && isBar(series.kind())) {
            count = std::max(count, series.points().size());
        }
    }
    d.slotCount = s.pointsPerPage > 0 ? static_cast<std::size_t>(s.pointsPerPage)
                                      : std::max<std::size_t>(count, 1);
    d.first = s.pointsPerPage > 0 ? static_cast<std::size_t>(std::max(s.page, 0)) * d.slotCount : 0;
    if (d.anyBar) {
        for (std::size_t p = d.first; p < d.first + d.slotCount; ++p) {
            double positive = 0.0;
            double negative = 0.0;
            for (int i = 0; i < model.seriesCount(); ++i) {
                const ChartSeries &series = model.series(i);
                if (!series.isActive() || !isBar(series.kind()) || p >= series.points().size()) {
                    continue;
                }
                const double v = series.points()[p].value;
                if (s.stacked) {
                    (v >= 0 ? positive : negative) += v;
                    d.high = std::max(d.high, positive);
                    d.low = std::min(d.low, negative);
                } else {
                    d.high = std::max(d.high, v);
                    d.low = std::min(d.low, v);
                }
            }
        }
    }
    if (d.anyLine) {
        // With the bottom axis fixed, the values reach as high as any point
        // that axis shows, past the page if need be.
        const AxisSettings &xAxis = s.bottomAxis;
        const bool fixedX = !xAxis.automatic && xAxis.maximum > xAxis.minimum;
        for (int i = 0; i < model.seriesCount(); ++i) {
            const ChartSeries &series = model.series(i);
            if (!series.isActive() || series.kind() != SeriesKind::Line) {
                continue;
            }
            const auto &points = series.points();
            const std::size_t shown = shownLinePoints(model, series);
            for (std::size_t p = 0; p < shown; ++p) {
                if (fixedX && (points[p].x < xAxis.minimum || points[p].x > xAxis.maximum)) {
                    continue;
                }
                d.high = std::max(d.high, points[p].value);
                d.low = std::min(d.low, points[p].value);
                d.xLow = d.haveX ? std::min(d.xLow, points[p].x) : points[p].x;
                d.xHigh = d.haveX ? std::max(d.xHigh, points[p].x) : points[p].x;
                d.haveX = true;
            }
        }
    }
    return d;
}

struct CategoryText
{
    double position;
    QString text;
};

// The category axis's texts: the labels of the first bar series' points on the
// page, or, with no bars, the x labels of the first line series.
std::vector<CategoryText> collectCategoryTexts(const ChartModel &model, const DataExtents &d)
{
    std::vector<CategoryText> categoryTexts;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (!series.isActive()) {
            continue;
        }
        if (d.anyBar && isBar(series.kind())) {
            for (std::size_t p = d.first; p < d.first + d.slotCount && p < series.points().size();
                 ++p) {
                categoryTexts.push_back(
                    CategoryText{static_cast<double>(p - d.first) + 0.5, series.points()[p].label});
            }
        } else if (!d.anyBar && series.kind() == SeriesKind::Line) {
            for (const ChartPoint &point : series.points()) {
                categoryTexts.push_back(CategoryText{point.x, point.xLabel});
            }
        } else {
            continue;
        }
        break;
    }
    return categoryTexts;
}

// An axis line from `from` to `to` over range, its ticks pointing along
// tickDirection; labels and title still to come.
AxisItem axisLine(const AxisSettings &settings, Point3D from, Point3D to, const AxisRange &range,
                  Point3D tickDirection)
{
    AxisItem axis;
    axis.settings = &settings;
    axis.visible = settings.visible;
    axis.lineVisible = settings.lineVisible;
    axis.from = from;
    axis.to = to;
    axis.minimum = range.minimum;
    axis.maximum = range.maximum;
    axis.tickDirection = tickDirection;
    return axis;
}

// The placed plot box with the ranges, tick values and category texts its axes
// show; builds each axis along the box's edges.
struct PlotAxes
{
    QRectF plot;
    double depth = 0.0;
    bool horizontalBars = false;
    AxisRange horizontal;
    AxisRange vertical;
    std::vector<double> valueTicks;
    std::vector<CategoryText> categoryTexts;
    const ChartSettings &settings;
    const LocaleSeparators &separators;

    [[nodiscard]] AxisItem bottomAxis(const QRectF &area) const;
    [[nodiscard]] AxisItem leftAxis(const QRectF &area) const;
    // On the back of the plot box so that it reads with the depth.
    [[nodiscard]] AxisItem rightAxis() const;

private:
    [[nodiscard]] double sx(double h) const
    {
        return plot.left() +
               (h - horizontal.minimum) / (horizontal.maximum - horizontal.minimum) * plot.width();
    }
    [[nodiscard]] double sy(double v) const
    {
        return plot.bottom() -
               (v - vertical.minimum) / (vertical.maximum - vertical.minimum) * plot.height();
    }
    [[nodiscard]] Qt::Alignment bottomAlignment() const
    {
        return settings.bottomAxis.labelAngle == 0
                   ? Qt::Alignment(Qt::AlignTop | Qt::AlignHCenter)
                   : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    [[nodiscard]] double bottomLabelY() const { return plot.bottom() + kTickLength + kLabelGap; }
    // Category labels are thinned out so that neighbours keep their distance.
    void addCategoryLabels(AxisItem &axis, bool alongX, const QFontMetricsF &fm, int labelAngle,
                           int separationPercent, Qt::Alignment alignment) const;
    void addValueLabels(AxisItem &axis, bool alongX, const QString &format, double offsetX,
                        double z, Qt::Alignment alignment) const;
};

void PlotAxes::addCategoryLabels(AxisItem &axis, bool alongX, const QFontMetricsF &fm,
                                 int labelAngle, int separationPercent,
                                 Qt::Alignment alignment) const
{
    double lastEdge = -1e300;
    const bool upright = alongX && labelAngle != 0;
    for (const CategoryText &text : categoryTexts) {
        const double along = alongX ? sx(text.position) : sy(text.position);
        const double range =
            alongX ? horizontal.maximum - horizontal.minimum : vertical.maximum - vertical.minimum;
        const double minimum = alongX ? horizontal.minimum : vertical.minimum;
        if (text.position < minimum - 1e-9 || text.position > minimum + range + 1e-9) {
            continue;
        }
        const double extent = upright || !alongX ? fm.height() : fm.horizontalAdvance(text.text);
        const double separation = extent * (1.0 + separationPercent / 100.0);
        const double position = alongX ? along : -along;
        if (position - separation / 2.0 < lastEdge) {
            continue;
        }
        lastEdge = position + separation / 2.0;
        axis.ticks.push_back(text.position);
        axis.tickPoints.push_back(alongX ? Point3D{along, plot.bottom(), 0.0}
                                         : Point3D{plot.left(), along, 0.0});
        axis.labels.push_back(
            AxisLabel{text.text,
                      alongX ? Point3D{along, bottomLabelY(), 0.0}
                             : Point3D{plot.left() - kTickLength - kLabelGap, along, 0.0},
                      alongX ? labelAngle : 0, alignment});
    }
}

void PlotAxes::addValueLabels(AxisItem &axis, bool alongX, const QString &format, double offsetX,
                              double z, Qt::Alignment alignment) const
{
    for (double v : valueTicks) {
        const double along = alongX ? sx(v) : sy(v);
        axis.ticks.push_back(v);
        axis.tickPoints.push_back(alongX ? Point3D{along, plot.bottom(), z}
                                         : Point3D{offsetX, along, z});
        axis.labels.push_back(AxisLabel{
            formatValue(v, format, separators),
            alongX ? Point3D{along, bottomLabelY(), z}
                   : Point3D{offsetX +
                                 (alignment & Qt::AlignLeft ? 1 : -1) * (kTickLength + kLabelGap),
                             along, z},
            alongX ? settings.bottomAxis.labelAngle : 0, alongX ? bottomAlignment() : alignment});
    }
}

AxisItem PlotAxes::bottomAxis(const QRectF &area) const
{
    const AxisSettings &bottomSettings = settings.bottomAxis;
    AxisItem bottom = axisLine(bottomSettings, Point3D{plot.left(), plot.bottom(), 0.0},
                               Point3D{plot.right(), plot.bottom(), 0.0}, horizontal,
                               Point3D{0.0, kTickLength, 0.0});
    if (horizontalBars) {
        addValueLabels(bottom, true, bottomSettings.format, 0.0, 0.0, bottomAlignment());
    } else {
        addCategoryLabels(bottom, true, QFontMetricsF(pixelFont(bottomSettings.labelFont)),
                          bottomSettings.labelAngle, bottomSettings.labelSeparationPercent,
                          bottomAlignment());
    }
    bottom.title = bottomSettings.title;
    bottom.titleAnchor = Point3D{
        plot.center().x(),
        area.bottom() - QFontMetricsF(pixelFont(bottomSettings.titleFont)).height() / 2.0, 0.0};
    return bottom;
}

AxisItem PlotAxes::leftAxis(const QRectF &area) const
{
    const AxisSettings &leftSettings = settings.leftAxis;
    AxisItem left =
        axisLine(leftSettings, Point3D{plot.left(), plot.bottom(), 0.0},
                 Point3D{plot.left(), plot.top(), 0.0}, vertical, Point3D{-kTickLength, 0.0, 0.0});
    if (horizontalBars) {
        addCategoryLabels(left, false, QFontMetricsF(pixelFont(leftSettings.labelFont)), 0,
                          leftSettings.labelSeparationPercent, Qt::AlignRight | Qt::AlignVCenter);
    } else {
        addValueLabels(left, false, leftSettings.format, plot.left(), 0.0,
                       Qt::AlignRight | Qt::AlignVCenter);
    }
    left.title = leftSettings.title;
    left.titleAnchor =
        Point3D{area.left() + QFontMetricsF(pixelFont(leftSettings.titleFont)).height() / 2.0,
                plot.center().y(), 0.0};
    left.titleAngle = 90;
    return left;
}

AxisItem PlotAxes::rightAxis() const
{
    AxisItem right = axisLine(settings.rightAxis, Point3D{plot.right(), plot.bottom(), depth},
                              Point3D{plot.right(), plot.top(), depth}, vertical,
                              Point3D{kTickLength, 0.0, 0.0});
    // Values only: a bar chart on its side has none to show on the right.
    right.visible = right.visible && !horizontalBars;
    if (right.visible) {
        addValueLabels(right, false, settings.rightAxis.format, plot.right(), depth,
                       Qt::AlignLeft | Qt::AlignVCenter);
    }
    right.title = settings.rightAxis.title;
    return right;
}

} // namespace

void ChartLayout::layoutAxes(const ChartModel &model, QRectF area)
{
    const ChartSettings &s = model.settings();
    ChartGeometry &g = m_geometry;
    g.hasAxes = true;
    const DataExtents data = dataExtents(model);
    g.horizontalBars = data.horizontalBars;

    const AxisSettings &valueSettings = g.horizontalBars ? s.bottomAxis : s.leftAxis;
    const AxisSettings &categorySettings = g.horizontalBars ? s.leftAxis : s.bottomAxis;
    const QFontMetricsF valueFm(pixelFont(valueSettings.labelFont));
    const QFontMetricsF categoryFm(pixelFont(categorySettings.labelFont));

    // The value range: fixed, the user's zoom, or whole steps round the data.
    const double valueLength = g.horizontalBars ? area.width() : area.height();
    const int wantedTicks = std::clamp(
        static_cast<int>(valueLength / (valueFm.height() * (g.horizontalBars ? 6.0 : 2.5))), 2, 10);
    double step = 1.0;
    AxisRange valueRange;
    if (!valueSettings.automatic && valueSettings.maximum > valueSettings.minimum) {
        valueRange = AxisRange{valueSettings.minimum, valueSettings.maximum};
        step = niceStep((valueRange.maximum - valueRange.minimum) / wantedTicks);
    } else {
        valueRange = automaticRange(data.low, data.high, wantedTicks, step);
    }
    AxisRange categoryRange{0.0, static_cast<double>(data.slotCount)};
    if (data.anyLine && !data.anyBar) {
        if (!categorySettings.automatic && categorySettings.maximum > categorySettings.minimum) {
            categoryRange = AxisRange{categorySettings.minimum, categorySettings.maximum};
        } else if (data.haveX) {
            categoryRange =
                AxisRange{data.xLow, data.xHigh > data.xLow ? data.xHigh : data.xLow + 1.0};
        }
    }
    AxisRange horizontal = g.horizontalBars ? valueRange : categoryRange;
    AxisRange vertical = g.horizontalBars ? categoryRange : valueRange;
    if (const auto &zoom = model.userZoom()) {
        horizontal = zoom->horizontal;
        vertical = zoom->vertical;
        const AxisRange &zoomedValues = g.horizontalBars ? horizontal : vertical;
        step = niceStep((zoomedValues.maximum - zoomedValues.minimum) / wantedTicks);
    }
    g.horizontalRange = horizontal;
    g.verticalRange = vertical;
    std::vector<double> valueTicks = ticksFor(g.horizontalBars ? horizontal : vertical, step);

    // Label texts, to know the room they take.
    std::vector<QString> valueTexts;
    double widestValue = 0.0;
    for (double v : valueTicks) {
        valueTexts.push_back(formatValue(v, valueSettings.format, model.separators()));
        widestValue = std::max(widestValue, valueFm.horizontalAdvance(valueTexts.back()));
    }
    std::vector<CategoryText> categoryTexts = collectCategoryTexts(model, data);
    double widestCategory = 0.0;
    for (const CategoryText &text : categoryTexts) {
        widestCategory = std::max(widestCategory, categoryFm.horizontalAdvance(text.text));
    }

    const AxisSettings &leftSettings = s.leftAxis;
    const AxisSettings &bottomSettings = s.bottomAxis;
    const double leftLabelWidth = g.horizontalBars ? widestCategory : widestValue;
    const QFontMetricsF bottomFm(pixelFont(bottomSettings.labelFont));
    const double bottomTextWidth = g.horizontalBars ? widestValue : widestCategory;
    const double angle = radians(bottomSettings.labelAngle);
    const double bottomLabelHeight =
        std::abs(bottomTextWidth * std::sin(angle)) + std::abs(bottomFm.height() * std::cos(angle));

    double leftRoom = 0.0;
    if (leftSettings.visible) {
        leftRoom = leftLabelWidth + kTickLength + kLabelGap + 2.0;
        if (!leftSettings.title.isEmpty()) {
            leftRoom += QFontMetricsF(pixelFont(leftSettings.titleFont)).height() + 4.0;
        }
    }
    double bottomRoom = 0.0;
    if (bottomSettings.visible) {
        bottomRoom = bottomLabelHeight + kTickLength + kLabelGap + 2.0;
        if (!bottomSettings.title.isEmpty()) {
            bottomRoom += QFontMetricsF(pixelFont(bottomSettings.titleFont)).height() + 4.0;
        }
    }
    double rightRoom = 0.0;
    if (s.rightAxis.visible) {
        const QFontMetricsF rightFm(pixelFont(s.rightAxis.labelFont));
        double widest = 0.0;
        for (double v : valueTicks) {
            widest = std::max(widest, rightFm.horizontalAdvance(
                                          formatValue(v, s.rightAxis.format, model.separators())));
        }
        rightRoom = widest + kTickLength + kLabelGap + 2.0;
    }
    // Marks above the bars need headroom; the top value label half a line.
    double topRoom = leftSettings.visible && !g.horizontalBars ? valueFm.height() / 2.0 : 2.0;
    if (data.marksAbove) {
        topRoom = std::max(topRoom, QFontMetricsF(pixelFont(QFont())).height() + 8.0);
        for (int i = 0; i < model.seriesCount(); ++i) {
            const ChartSeries &series = model.series(i);
            if (series.isActive() && series.kind() == SeriesKind::Bar &&
                series.markStyle() != MarkStyle::None) {
                topRoom =
                    std::max(topRoom, QFontMetricsF(pixelFont(series.markFont())).height() + 8.0);
            }
        }
    }
    if (const ChartSeries *markedHorizontal = data.markedHorizontal) {
        const QFontMetricsF markFm(pixelFont(markedHorizontal->markFont()));
        const double sample = markFm.horizontalAdvance(
            markText(*markedHorizontal, horizontal.maximum, markedHorizontal->sum(), QString(),
                     model.separators()));
        rightRoom = std::max(rightRoom, std::min(sample + 12.0, area.width() * 0.25));
    }

    const double depth =
        s.view.enabled ? s.view.depthPercent / 100.0 * std::min(area.width(), area.height()) * 0.4
                       : 0.0;
    const double obliqueX = depth * Projection::kObliqueX;
    const double obliqueY = -depth * Projection::kObliqueY;
    QRectF plot(area.left() + leftRoom, area.top() + topRoom + obliqueY, 0.0, 0.0);
    plot.setRight(std::max(plot.left() + 1.0, area.right() - rightRoom - obliqueX));
    plot.setBottom(std::max(plot.top() + 1.0, area.bottom() - bottomRoom));
    g.plot = plot;
    g.depth = depth;
    g.projection = Projection(s.view, plot.center(), depth, g.panel.center());

    const PlotAxes axes{plot,
                        depth,
                        g.horizontalBars,
                        horizontal,
                        vertical,
                        std::move(valueTicks),
                        std::move(categoryTexts),
                        s,
                        model.separators()};
    g.horizontalAxis = axes.bottomAxis(area);
    g.verticalAxis = axes.leftAxis(area);
    g.rightAxis = axes.rightAxis();
}

} // namespace vorin::chart
