#include "chart/ChartLayout.h"

#include "chart/LayoutSupport.h"

#include <algorithm>
#include <cmath>
#include <QFontMetricsF>

namespace vorin::chart {

namespace {

constexpr double kLegendPadding = 4.0;
constexpr double kLegendGap = 5.0;

} // namespace

QString markText(const ChartSeries &series, double value, double sum, const QString &label,
                 const LocaleSeparators &separators)
{
    const double percent = sum != 0.0 ? 100.0 * value / sum : 0.0;
    switch (series.markStyle()) {
    case MarkStyle::None:
        return {};
    case MarkStyle::Value:
        return formatValue(value, series.valueFormat(), separators);
    case MarkStyle::Percent:
        return formatValue(percent, series.percentFormat(), separators);
    case MarkStyle::LabelAndPercent:
        return label.isEmpty() ? formatValue(percent, series.percentFormat(), separators)
                               : label + QLatin1Char(' ') +
                                     formatValue(percent, series.percentFormat(), separators);
    }
    return {};
}

std::vector<PieSlice> ChartLayout::pieSlices(const ChartSeries &series,
                                             const LocaleSeparators &separators)
{
    std::vector<PieSlice> slices;
    double sum = 0.0;
    for (const ChartPoint &point : series.points()) {
        if (point.value > 0.0 && std::isfinite(point.value)) {
            sum += point.value;
        }
    }
    if (!(sum > 0.0)) {
        return slices;
    }
    double other = 0.0;
    const auto &points = series.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double value = points[i].value;
        if (!(value > 0.0) || !std::isfinite(value)) {
            continue;
        }
        const double percent = 100.0 * value / sum;
        if (percent < series.otherThresholdPercent()) {
            other += value;
            continue;
        }
        PieSlice slice;
        slice.point = static_cast<int>(i);
        slice.label = points[i].label;
        slice.value = value;
        slice.percent = percent;
        slice.color = series.pointColor(i);
        slices.push_back(slice);
    }
    if (other > 0.0) {
        PieSlice slice;
        slice.label = series.otherLabel();
        slice.value = other;
        slice.percent = 100.0 * other / sum;
        slice.color = series.otherColor();
        slices.push_back(slice);
    }
    double angle = series.rotation();
    for (PieSlice &slice : slices) {
        slice.startDegrees = angle;
        slice.spanDegrees = 360.0 * slice.value / sum;
        angle += slice.spanDegrees;
        slice.mark = markText(series, slice.value, sum, slice.label, separators);
    }
    // Pulling out the only slice would just move the whole pie.
    if (slices.size() >= 2 && series.explodePercent() > 0) {
        auto largest = std::max_element(
            slices.begin(), slices.end(),
            [](const PieSlice &a, const PieSlice &b) { return a.value < b.value; });
        largest->exploded = true;
    }
    return slices;
}

ChartLayout::ChartLayout(const ChartModel &model, const QRectF &bounds)
{
    const ChartSettings &s = model.settings();
    m_geometry.bounds = bounds;
    const double w = bounds.width();
    const double h = bounds.height();
    QRectF area = bounds.adjusted(w * s.margins.left / 100.0, h * s.margins.top / 100.0,
                                  -w * s.margins.right / 100.0, -h * s.margins.bottom / 100.0);
    m_geometry.panel = area;
    m_geometry.zoomed = model.isZoomed();

    if (s.titleVisible && !s.titleLines.isEmpty()) {
        const QFontMetricsF fm(pixelFont(s.titleFont));
        for (const QString &line : s.titleLines) {
            m_geometry.titleRects.emplace_back(area.left(), area.top(), area.width(), fm.height());
            m_geometry.titleLines << line;
            area.setTop(area.top() + fm.height());
        }
        area.setTop(area.top() + 4.0);
    }

    const ChartSeries *pie = nullptr;
    for (int i = 0; i < model.seriesCount(); ++i) {
        if (model.series(i).isActive() && model.series(i).kind() == SeriesKind::Pie) {
            pie = &model.series(i);
            m_geometry.pie = PieItem{};
            m_geometry.pie->series = i;
            break;
        }
    }
    layoutLegend(model, area);
    if (pie != nullptr) {
        layoutPie(model, *pie, area);
        return;
    }
    layoutAxes(model, area);
    layoutBars(model);
    layoutLines(model);
}

void ChartLayout::layoutLegend(const ChartModel &model, QRectF &area)
{
    const LegendSettings &legend = model.settings().legend;
    if (!legend.visible) {
        return;
    }
    std::vector<LegendItem> items;
    if (legend.content == LegendContent::SeriesTitles) {
        for (int i = 0; i < model.seriesCount(); ++i) {
            const ChartSeries &series = model.series(i);
            if (series.isActive()) {
                items.push_back(LegendItem{series.title(), series.color(), {}, {}});
            }
        }
    } else {
        for (int i = 0; i < model.seriesCount(); ++i) {
            const ChartSeries &series = model.series(i);
            if (!series.isActive()) {
                continue;
            }
            const auto &points = series.points();
            for (std::size_t p = 0; p < points.size(); ++p) {
                const QString value =
                    formatValue(points[p].value, series.valueFormat(), model.separators());
                QString text;
                switch (legend.content) {
                case LegendContent::Values:
                    text = value;
                    break;
                case LegendContent::Labels:
                    text = points[p].label;
                    break;
                default:
                    text = points[p].label.isEmpty()
                               ? value
                               : value + QStringLiteral("  ") + points[p].label;
                    break;
                }
                items.push_back(LegendItem{text, series.pointColor(p), {}, {}});
            }
            break; // values come from the first active series only
        }
    }
    if (legend.reversed) {
        std::reverse(items.begin(), items.end());
    }
    if (items.empty()) {
        return;
    }

    const QFontMetricsF fm(pixelFont(legend.font));
    double widest = 0.0;
    for (const LegendItem &item : items) {
        widest = std::max(widest, fm.horizontalAdvance(item.text));
    }
    const double swatchWidth = legend.swatchWidthPercent > 0
                                   ? std::max(6.0, widest * legend.swatchWidthPercent / 100.0)
                                   : static_cast<double>(legend.swatchWidthPixels);
    const double rowHeight = std::ceil(fm.height() * 1.2);
    const double swatchHeight = std::max(4.0, fm.height() * 0.75);

    if (legend.position == LegendPosition::Right) {
        const double width = kLegendPadding * 2 + swatchWidth + kLegendGap + widest;
        const double height = std::min(
            area.height(), kLegendPadding * 2 + rowHeight * static_cast<double>(items.size()));
        const QRectF rect(area.right() - width, area.center().y() - height / 2.0, width, height);
        double y = rect.top() + kLegendPadding;
        for (LegendItem &item : items) {
            item.swatch = QRectF(rect.left() + kLegendPadding, y + (rowHeight - swatchHeight) / 2.0,
                                 swatchWidth, swatchHeight);
            item.textRect = QRectF(item.swatch.right() + kLegendGap, y, widest, rowHeight);
            y += rowHeight;
        }
        m_geometry.legendRect = rect;
        area.setRight(rect.left() - 6.0);
    } else {
        double total = kLegendPadding;
        for (const LegendItem &item : items) {
            total +=
                swatchWidth + kLegendGap + fm.horizontalAdvance(item.text) + 3 * kLegendPadding;
        }
        const double height = kLegendPadding * 2 + rowHeight;
        const QRectF rect(area.center().x() - total / 2.0, area.top() + legend.topPixels, total,
                          height);
        double x = rect.left() + kLegendPadding;
        for (LegendItem &item : items) {
            const double textWidth = fm.horizontalAdvance(item.text);
            item.swatch = QRectF(x, rect.top() + kLegendPadding + (rowHeight - swatchHeight) / 2.0,
                                 swatchWidth, swatchHeight);
            item.textRect = QRectF(item.swatch.right() + kLegendGap, rect.top() + kLegendPadding,
                                   textWidth, rowHeight);
            x = item.textRect.right() + 3 * kLegendPadding;
        }
        m_geometry.legendRect = rect;
        area.setTop(rect.bottom() + 6.0);
    }
    m_geometry.legend = std::move(items);
}

void ChartLayout::layoutPie(const ChartModel &model, const ChartSeries &series, const QRectF &area)
{
    PieItem &pie = *m_geometry.pie;
    pie.slices = pieSlices(series, model.separators());
    pie.empty = pie.slices.empty();
    const View3D &view = model.settings().view;

    // Leave room round the pie for the marks.
    QRectF room = area;
    const QFontMetricsF fm(pixelFont(series.markFont()));
    double markWidth = 0.0;
    for (const PieSlice &slice : pie.slices) {
        if (!slice.mark.isEmpty()) {
            markWidth = std::max(markWidth, fm.horizontalAdvance(slice.mark) + 8.0);
        }
    }
    if (markWidth > 0.0) {
        const double side = std::min(markWidth + 10.0, area.width() * 0.3);
        const double top = fm.height() + 14.0;
        room.adjust(side, top, -side, -top);
    }

    // Seen from above by the elevation's turn from the front; a face-on pie
    // (elevation 360) still shows its depth below, as a coin on a table would.
    const double tilt =
        view.enabled ? std::clamp(std::abs(turnFromFront(view.elevation)), 0.0, 80.0) : 0.0;
    const double ratio = std::cos(radians(tilt));
    const double thicknessPerRadius =
        view.enabled ? view.depthPercent / 100.0 * std::max(std::sin(radians(tilt)), 0.3) : 0.0;
    bool anyExploded = false;
    for (const PieSlice &slice : pie.slices) {
        anyExploded = anyExploded || slice.exploded;
    }
    const double explode = anyExploded ? series.explodePercent() / 100.0 : 0.0;
    const double rx = std::max(
        0.0, std::min(room.width() / (2.0 * (1.0 + explode)),
                      room.height() / (2.0 * ratio * (1.0 + explode) + thicknessPerRadius)));
    const double ry = rx * ratio;
    pie.thickness = rx * thicknessPerRadius;
    const QPointF centre(room.center().x(), room.center().y() - pie.thickness / 2.0);
    pie.ellipse = QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);

    for (PieSlice &slice : pie.slices) {
        const double mid = radians(slice.startDegrees + slice.spanDegrees / 2.0);
        if (slice.exploded) {
            slice.offset = QPointF(std::cos(mid) * rx * explode, -std::sin(mid) * ry * explode);
        }
        if (slice.mark.isEmpty()) {
            continue;
        }
        const double textWidth = fm.horizontalAdvance(slice.mark) + 6.0;
        const double textHeight = fm.height() + 2.0;
        const double c = std::cos(mid);
        const double sn = std::sin(mid);
        QPointF anchor =
            centre + slice.offset +
            QPointF(c * (rx + 8.0 + textWidth / 2.0), -sn * (ry + 6.0 + textHeight / 2.0));
        if (sn < 0) {
            anchor.ry() += pie.thickness;
        }
        m_geometry.marks.push_back(
            MarkItem{slice.mark, Point3D{anchor.x(), anchor.y(), 0.0}, series.markTextColor(),
                     series.markBackground().isValid() ? series.markBackground() : slice.color,
                     series.markFont()});
    }
    m_geometry.projection = Projection(View3D{}, centre, 0.0, centre);
}

void ChartLayout::layoutBars(const ChartModel &model)
{
    ChartGeometry &g = m_geometry;
    const ChartSettings &s = model.settings();
    std::vector<int> active;
    for (int i = 0; i < model.seriesCount(); ++i) {
        if (model.series(i).isActive() && isBar(model.series(i).kind())) {
            active.push_back(i);
        }
    }
    if (active.empty()) {
        return;
    }
    const QRectF plot = g.plot;
    const AxisRange horizontal = g.horizontalRange;
    const AxisRange vertical = g.verticalRange;
    const auto sx = [&](double h) {
        return plot.left() +
               (h - horizontal.minimum) / (horizontal.maximum - horizontal.minimum) * plot.width();
    };
    const auto sy = [&](double v) {
        return plot.bottom() -
               (v - vertical.minimum) / (vertical.maximum - vertical.minimum) * plot.height();
    };
    const int pointsPerPage = s.pointsPerPage;
    std::size_t first =
        pointsPerPage > 0 ? static_cast<std::size_t>(std::max(s.page, 0) * pointsPerPage) : 0;
    std::size_t last = 0;
    for (int index : active) {
        last = std::max(last, model.series(index).points().size());
    }
    if (pointsPerPage > 0) {
        last = std::min(last, first + static_cast<std::size_t>(pointsPerPage));
    }

    std::vector<double> positiveBase(last > first ? last - first : 0, 0.0);
    std::vector<double> negativeBase(positiveBase.size(), 0.0);
    const double bands = s.stacked ? 1.0 : static_cast<double>(active.size());
    for (std::size_t order = 0; order < active.size(); ++order) {
        const ChartSeries &series = model.series(active[order]);
        const double band = s.stacked ? 0.0 : static_cast<double>(order);
        const double z0 = g.depth * band / bands;
        const double z1 = g.depth * (band + 1.0) / bands;
        const auto &points = series.points();
        const double sum = series.sum();
        const QFontMetricsF markFm(pixelFont(series.markFont()));
        for (std::size_t p = first; p < last && p < points.size(); ++p) {
            const double value = points[p].value;
            const std::size_t slot = p - first;
            double base = 0.0;
            if (s.stacked) {
                double &accumulated = value >= 0 ? positiveBase[slot] : negativeBase[slot];
                base = accumulated;
                accumulated += value;
            }
            BarItem bar;
            bar.series = active[order];
            bar.point = static_cast<int>(p);
            bar.z0 = z0;
            bar.z1 = z1;
            bar.value = value;
            bar.stackBase = base;
            bar.color = series.pointColor(p);
            bar.gradient = series.isGradient();
            bar.horizontal = g.horizontalBars;
            const double centre = static_cast<double>(slot) + 0.5;
            if (g.horizontalBars) {
                const double slotHeight = plot.height() / (vertical.maximum - vertical.minimum);
                const double height = slotHeight * series.barWidthPercent() / 100.0;
                const double middle = sy(centre) - height * series.barOffsetPercent() / 100.0;
                const double a = sx(base);
                const double b = sx(base + value);
                bar.front = QRectF(QPointF(std::min(a, b), middle - height / 2.0),
                                   QPointF(std::max(a, b), middle + height / 2.0));
            } else {
                const double slotWidth = plot.width() / (horizontal.maximum - horizontal.minimum);
                const double width = slotWidth * series.barWidthPercent() / 100.0;
                const double middle = sx(centre) + width * series.barOffsetPercent() / 100.0;
                const double a = sy(base);
                const double b = sy(base + value);
                bar.front = QRectF(QPointF(middle - width / 2.0, std::min(a, b)),
                                   QPointF(middle + width / 2.0, std::max(a, b)));
            }
            g.bars.push_back(bar);

            const QString text = markText(series, value, sum, points[p].label, model.separators());
            if (text.isEmpty()) {
                continue;
            }
            const double boxWidth = markFm.horizontalAdvance(text) + 6.0;
            const double boxHeight = markFm.height() + 2.0;
            Point3D anchor;
            const bool inside = series.markPosition() == MarkPosition::Inside;
            if (g.horizontalBars) {
                const double end = bar.front.right();
                const bool fits = bar.front.width() > boxWidth + 4.0;
                anchor = Point3D{inside && fits ? end - boxWidth / 2.0 - 3.0
                                                : end + boxWidth / 2.0 + 4.0,
                                 bar.front.center().y(), inside && fits ? z0 : (z0 + z1) / 2.0};
                if (!(inside && fits)) {
                    anchor.x += (z1 - z0) / 2.0 * Projection::kObliqueX *
                                (g.projection.isOrthogonal() ? 0.0 : 1.0);
                }
            } else {
                const double top = bar.front.top();
                const bool fits = bar.front.height() > boxHeight + 4.0;
                if (!inside) {
                    anchor = Point3D{bar.front.center().x(), top - boxHeight / 2.0 - 4.0,
                                     (z0 + z1) / 2.0};
                } else if (fits) {
                    anchor = Point3D{bar.front.center().x(), top + boxHeight / 2.0 + 3.0, z0};
                } else {
                    // Too short for its mark: centred on the bar, where it still
                    // reads as this bar's and not the one stacked on it.
                    anchor = Point3D{bar.front.center().x(), bar.front.center().y(), z0};
                }
            }
            g.marks.push_back(
                MarkItem{text, anchor, series.markTextColor(),
                         series.markBackground().isValid() ? series.markBackground() : bar.color,
                         series.markFont()});
        }
    }
}

void ChartLayout::layoutLines(const ChartModel &model)
{
    ChartGeometry &g = m_geometry;
    std::vector<int> active;
    for (int i = 0; i < model.seriesCount(); ++i) {
        if (model.series(i).isActive() && model.series(i).kind() == SeriesKind::Line) {
            active.push_back(i);
        }
    }
    const QRectF plot = g.plot;
    const AxisRange horizontal = g.horizontalRange;
    const AxisRange vertical = g.verticalRange;
    for (std::size_t order = 0; order < active.size(); ++order) {
        const ChartSeries &series = model.series(active[order]);
        LineItem line;
        line.series = active[order];
        line.color = series.color();
        line.pointers = series.pointersVisible();
        line.z0 = g.depth * static_cast<double>(order) / static_cast<double>(active.size());
        line.z1 = g.depth * static_cast<double>(order + 1) / static_cast<double>(active.size());
        const std::size_t shown = shownLinePoints(model, series);
        for (std::size_t p = 0; p < shown; ++p) {
            const ChartPoint &point = series.points()[p];
            line.points.emplace_back(
                plot.left() + (point.x - horizontal.minimum) /
                                  (horizontal.maximum - horizontal.minimum) * plot.width(),
                plot.bottom() - (point.value - vertical.minimum) /
                                    (vertical.maximum - vertical.minimum) * plot.height());
        }
        g.lines.push_back(std::move(line));
    }
}

std::optional<QPointF> ChartLayout::dataAt(const QPointF &screen) const
{
    const ChartGeometry &g = m_geometry;
    if (!g.hasAxes || g.plot.width() <= 0.0 || g.plot.height() <= 0.0) {
        return std::nullopt;
    }
    const QPointF scene = g.projection.unmapFront(screen);
    const double h =
        g.horizontalRange.minimum + (scene.x() - g.plot.left()) / g.plot.width() *
                                        (g.horizontalRange.maximum - g.horizontalRange.minimum);
    const double v =
        g.verticalRange.minimum + (g.plot.bottom() - scene.y()) / g.plot.height() *
                                      (g.verticalRange.maximum - g.verticalRange.minimum);
    return QPointF(h, v);
}

} // namespace vorin::chart
