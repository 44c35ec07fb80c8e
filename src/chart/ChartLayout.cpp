#include "chart/ChartLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <QFontMetricsF>

namespace vorin::chart {

namespace {

constexpr double kTickLength = 4.0;
constexpr double kLabelGap = 3.0;
constexpr double kLegendPadding = 4.0;
constexpr double kLegendGap = 5.0;

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Degrees away from the plain front view: 360 and 0 are the front, 280 is 80
// degrees turned.
double turnFromFront(int degrees)
{
    int d = ((360 - degrees) % 360 + 360) % 360;
    if (d > 180) {
        d -= 360;
    }
    return d;
}

double niceStep(double rawStep)
{
    if (!(rawStep > 0.0) || !std::isfinite(rawStep)) {
        return 1.0;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(rawStep)));
    const double fraction = rawStep / magnitude;
    const double nice = fraction <= 1.0   ? 1.0
                        : fraction <= 2.0 ? 2.0
                        : fraction <= 5.0 ? 5.0
                                          : 10.0;
    return nice * magnitude;
}

std::vector<double> ticksFor(const AxisRange &range, double step)
{
    std::vector<double> ticks;
    if (!(step > 0.0) || range.maximum <= range.minimum) {
        return ticks;
    }
    const double first = std::ceil(range.minimum / step - 1e-9) * step;
    for (double v = first; v <= range.maximum + step * 1e-9 && ticks.size() < 200; v += step) {
        ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    }
    return ticks;
}

// Widens a data range to whole steps for an automatic axis.
AxisRange automaticRange(double low, double high, int wantedTicks, double &step)
{
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (high - low <= 0.0) {
        high = low + 1.0;
    }
    step = niceStep((high - low) / std::max(wantedTicks, 1));
    return AxisRange{std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step};
}

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

bool isBar(SeriesKind kind)
{
    return kind == SeriesKind::Bar || kind == SeriesKind::HorizontalBar;
}

} // namespace

Projection::Projection(const View3D &view, const QPointF &sceneCentre, double depth,
                       const QPointF &zoomCentre)
    : m_orthogonal(view.orthogonal || !view.enabled), m_zoom(std::max(view.zoomPercent, 1) / 100.0),
      m_zoomCentre(zoomCentre), m_centre{sceneCentre.x(), sceneCentre.y(), depth / 2.0}
{
    if (m_orthogonal) {
        m_viewDirection = Point3D{-kObliqueX, -kObliqueY, 1.0};
        return;
    }
    const double rotation = radians(turnFromFront(view.rotation));
    const double elevation = radians(turnFromFront(view.elevation));
    m_cosRotation = std::cos(rotation);
    m_sinRotation = std::sin(rotation);
    m_cosElevation = std::cos(elevation);
    m_sinElevation = std::sin(elevation);
}

Point3D Projection::turned(const Point3D &p) const
{
    const double x = p.x - m_centre.x;
    const double y = p.y - m_centre.y;
    const double z = p.z - m_centre.z;
    const double x1 = x * m_cosRotation + z * m_sinRotation;
    const double z1 = -x * m_sinRotation + z * m_cosRotation;
    const double y2 = y * m_cosElevation - z1 * m_sinElevation;
    const double z2 = y * m_sinElevation + z1 * m_cosElevation;
    return Point3D{x1, y2, z2};
}

QPointF Projection::map(const Point3D &p) const
{
    QPointF scene;
    if (m_orthogonal) {
        scene = QPointF(p.x + p.z * kObliqueX, p.y + p.z * kObliqueY);
    } else {
        const Point3D t = turned(p);
        scene = QPointF(m_centre.x + t.x, m_centre.y + t.y);
    }
    return m_zoomCentre + (scene - m_zoomCentre) * m_zoom;
}

double Projection::distance(const Point3D &p) const
{
    if (m_orthogonal) {
        return p.x * m_viewDirection.x + p.y * m_viewDirection.y + p.z * m_viewDirection.z;
    }
    return turned(p).z;
}

bool Projection::faces(const Point3D &normal) const
{
    if (m_orthogonal) {
        return normal.x * m_viewDirection.x + normal.y * m_viewDirection.y +
                   normal.z * m_viewDirection.z <
               -1e-9;
    }
    const double z1 = -normal.x * m_sinRotation + normal.z * m_cosRotation;
    const double z2 = normal.y * m_sinElevation + z1 * m_cosElevation;
    return z2 < -1e-9;
}

QPointF Projection::unmapFront(const QPointF &screen) const
{
    const QPointF scene = m_zoomCentre + (screen - m_zoomCentre) / m_zoom;
    if (m_orthogonal) {
        return scene;
    }
    // Solve the turn for a point on the plane z = 0; near edge-on views the
    // answer is poor, but nobody drags a zoom rectangle there.
    const double cr = std::abs(m_cosRotation) < 0.05 ? 0.05 : m_cosRotation;
    const double ce = std::abs(m_cosElevation) < 0.05 ? 0.05 : m_cosElevation;
    const double qz = -m_centre.z;
    const double qx = ((scene.x() - m_centre.x) - qz * m_sinRotation) / cr;
    const double z1 = -qx * m_sinRotation + qz * m_cosRotation;
    const double qy = ((scene.y() - m_centre.y) + z1 * m_sinElevation) / ce;
    return QPointF(m_centre.x + qx, m_centre.y + qy);
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

void ChartLayout::layoutAxes(const ChartModel &model, QRectF area)
{
    const ChartSettings &s = model.settings();
    ChartGeometry &g = m_geometry;
    g.hasAxes = true;

    bool anyBar = false;
    bool anyLine = false;
    bool marksAbove = false;
    const ChartSeries *markedHorizontal = nullptr;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (!series.isActive()) {
            continue;
        }
        if (isBar(series.kind())) {
            anyBar = true;
            g.horizontalBars = g.horizontalBars || series.kind() == SeriesKind::HorizontalBar;
            if (series.markStyle() != MarkStyle::None) {
                if (series.kind() == SeriesKind::HorizontalBar) {
                    markedHorizontal = &series;
                } else {
                    marksAbove = true;
                }
            }
        } else if (series.kind() == SeriesKind::Line) {
            anyLine = true;
        }
    }

    // Data extents.
    std::size_t count = 0;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (series.isActive() && isBar(series.kind())) {
            count = std::max(count, series.points().size());
        }
    }
    const std::size_t slotCount = s.pointsPerPage > 0 ? static_cast<std::size_t>(s.pointsPerPage)
                                                      : std::max<std::size_t>(count, 1);
    const std::size_t first =
        s.pointsPerPage > 0 ? static_cast<std::size_t>(std::max(s.page, 0)) * slotCount : 0;
    double low = 0.0;
    double high = 0.0;
    double xLow = 0.0;
    double xHigh = 0.0;
    bool haveX = false;
    if (anyBar) {
        for (std::size_t p = first; p < first + slotCount; ++p) {
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
                    high = std::max(high, positive);
                    low = std::min(low, negative);
                } else {
                    high = std::max(high, v);
                    low = std::min(low, v);
                }
            }
        }
    }
    if (anyLine) {
        for (int i = 0; i < model.seriesCount(); ++i) {
            const ChartSeries &series = model.series(i);
            if (!series.isActive() || series.kind() != SeriesKind::Line) {
                continue;
            }
            const auto &points = series.points();
            const std::size_t shown =
                s.pointsPerPage > 0
                    ? std::min(points.size(), static_cast<std::size_t>(s.pointsPerPage))
                    : points.size();
            for (std::size_t p = 0; p < shown; ++p) {
                high = std::max(high, points[p].value);
                low = std::min(low, points[p].value);
                xLow = haveX ? std::min(xLow, points[p].x) : points[p].x;
                xHigh = haveX ? std::max(xHigh, points[p].x) : points[p].x;
                haveX = true;
            }
        }
    }

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
        valueRange = automaticRange(low, high, wantedTicks, step);
    }
    AxisRange categoryRange{0.0, static_cast<double>(slotCount)};
    if (anyLine && !anyBar) {
        if (!categorySettings.automatic && categorySettings.maximum > categorySettings.minimum) {
            categoryRange = AxisRange{categorySettings.minimum, categorySettings.maximum};
        } else if (haveX) {
            categoryRange = AxisRange{xLow, xHigh > xLow ? xHigh : xLow + 1.0};
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
    const std::vector<double> valueTicks = ticksFor(g.horizontalBars ? horizontal : vertical, step);

    // Label texts, to know the room they take.
    std::vector<QString> valueTexts;
    double widestValue = 0.0;
    for (double v : valueTicks) {
        valueTexts.push_back(formatValue(v, valueSettings.format, model.separators()));
        widestValue = std::max(widestValue, valueFm.horizontalAdvance(valueTexts.back()));
    }
    struct CategoryText
    {
        double position;
        QString text;
    };
    std::vector<CategoryText> categoryTexts;
    double widestCategory = 0.0;
    for (int i = 0; i < model.seriesCount(); ++i) {
        const ChartSeries &series = model.series(i);
        if (!series.isActive()) {
            continue;
        }
        if (anyBar && isBar(series.kind())) {
            for (std::size_t p = first; p < first + slotCount && p < series.points().size(); ++p) {
                categoryTexts.push_back(
                    CategoryText{static_cast<double>(p - first) + 0.5, series.points()[p].label});
            }
        } else if (!anyBar && series.kind() == SeriesKind::Line) {
            for (const ChartPoint &point : series.points()) {
                categoryTexts.push_back(CategoryText{point.x, point.xLabel});
            }
        } else {
            continue;
        }
        break;
    }
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
    if (marksAbove) {
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
    if (markedHorizontal != nullptr) {
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

    const auto sx = [&](double h) {
        return plot.left() +
               (h - horizontal.minimum) / (horizontal.maximum - horizontal.minimum) * plot.width();
    };
    const auto sy = [&](double v) {
        return plot.bottom() -
               (v - vertical.minimum) / (vertical.maximum - vertical.minimum) * plot.height();
    };

    // Bottom axis.
    AxisItem &bottom = g.horizontalAxis;
    bottom.settings = &bottomSettings;
    bottom.visible = bottomSettings.visible;
    bottom.lineVisible = bottomSettings.lineVisible;
    bottom.from = Point3D{plot.left(), plot.bottom(), 0.0};
    bottom.to = Point3D{plot.right(), plot.bottom(), 0.0};
    bottom.minimum = horizontal.minimum;
    bottom.maximum = horizontal.maximum;
    bottom.tickDirection = Point3D{0.0, kTickLength, 0.0};
    const Qt::Alignment bottomAlignment = bottomSettings.labelAngle == 0
                                              ? Qt::Alignment(Qt::AlignTop | Qt::AlignHCenter)
                                              : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter);
    const double bottomLabelY = plot.bottom() + kTickLength + kLabelGap;
    // Category labels are thinned out so that neighbours keep their distance.
    const auto addCategoryLabels = [&](AxisItem &axis, bool alongX, const QFontMetricsF &fm,
                                       int labelAngle, int separationPercent,
                                       Qt::Alignment alignment) {
        double lastEdge = -1e300;
        const bool upright = alongX && labelAngle != 0;
        for (const CategoryText &text : categoryTexts) {
            const double along = alongX ? sx(text.position) : sy(text.position);
            const double range = alongX ? horizontal.maximum - horizontal.minimum
                                        : vertical.maximum - vertical.minimum;
            const double minimum = alongX ? horizontal.minimum : vertical.minimum;
            if (text.position < minimum - 1e-9 || text.position > minimum + range + 1e-9) {
                continue;
            }
            const double extent =
                upright || !alongX ? fm.height() : fm.horizontalAdvance(text.text);
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
                          alongX ? Point3D{along, bottomLabelY, 0.0}
                                 : Point3D{plot.left() - kTickLength - kLabelGap, along, 0.0},
                          alongX ? labelAngle : 0, alignment});
        }
    };
    const auto addValueLabels = [&](AxisItem &axis, bool alongX, const QString &format,
                                    double offsetX, double z, Qt::Alignment alignment) {
        for (double v : valueTicks) {
            const double along = alongX ? sx(v) : sy(v);
            axis.ticks.push_back(v);
            axis.tickPoints.push_back(alongX ? Point3D{along, plot.bottom(), z}
                                             : Point3D{offsetX, along, z});
            axis.labels.push_back(AxisLabel{
                formatValue(v, format, model.separators()),
                alongX ? Point3D{along, bottomLabelY, z}
                       : Point3D{offsetX + (alignment & Qt::AlignLeft ? 1 : -1) *
                                               (kTickLength + kLabelGap),
                                 along, z},
                alongX ? bottomSettings.labelAngle : 0, alongX ? bottomAlignment : alignment});
        }
    };
    if (g.horizontalBars) {
        addValueLabels(bottom, true, bottomSettings.format, 0.0, 0.0, bottomAlignment);
    } else {
        addCategoryLabels(bottom, true, bottomFm, bottomSettings.labelAngle,
                          bottomSettings.labelSeparationPercent, bottomAlignment);
    }
    bottom.title = bottomSettings.title;
    bottom.titleAnchor = Point3D{
        plot.center().x(),
        area.bottom() - QFontMetricsF(pixelFont(bottomSettings.titleFont)).height() / 2.0, 0.0};

    // Left axis.
    AxisItem &left = g.verticalAxis;
    left.settings = &leftSettings;
    left.visible = leftSettings.visible;
    left.lineVisible = leftSettings.lineVisible;
    left.from = Point3D{plot.left(), plot.bottom(), 0.0};
    left.to = Point3D{plot.left(), plot.top(), 0.0};
    left.minimum = vertical.minimum;
    left.maximum = vertical.maximum;
    left.tickDirection = Point3D{-kTickLength, 0.0, 0.0};
    if (g.horizontalBars) {
        addCategoryLabels(left, false, categoryFm, 0, leftSettings.labelSeparationPercent,
                          Qt::AlignRight | Qt::AlignVCenter);
    } else {
        addValueLabels(left, false, leftSettings.format, plot.left(), 0.0,
                       Qt::AlignRight | Qt::AlignVCenter);
    }
    left.title = leftSettings.title;
    left.titleAnchor =
        Point3D{area.left() + QFontMetricsF(pixelFont(leftSettings.titleFont)).height() / 2.0,
                plot.center().y(), 0.0};
    left.titleAngle = 90;

    // Right axis, on the back of the plot box so that it reads with the depth.
    AxisItem &right = g.rightAxis;
    right.settings = &s.rightAxis;
    right.visible = s.rightAxis.visible && !g.horizontalBars;
    right.lineVisible = s.rightAxis.lineVisible;
    right.from = Point3D{plot.right(), plot.bottom(), depth};
    right.to = Point3D{plot.right(), plot.top(), depth};
    right.minimum = vertical.minimum;
    right.maximum = vertical.maximum;
    right.tickDirection = Point3D{kTickLength, 0.0, 0.0};
    if (right.visible) {
        addValueLabels(right, false, s.rightAxis.format, plot.right(), depth,
                       Qt::AlignLeft | Qt::AlignVCenter);
    }
    right.title = s.rightAxis.title;
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
    const int perPage = model.settings().pointsPerPage;
    for (std::size_t order = 0; order < active.size(); ++order) {
        const ChartSeries &series = model.series(active[order]);
        LineItem line;
        line.series = active[order];
        line.color = series.color();
        line.pointers = series.pointersVisible();
        line.z0 = g.depth * static_cast<double>(order) / static_cast<double>(active.size());
        line.z1 = g.depth * static_cast<double>(order + 1) / static_cast<double>(active.size());
        // A fixed axis decides what is shown; otherwise the page's points.
        const bool fixedAxis = !model.settings().bottomAxis.automatic || model.isZoomed();
        std::size_t shown = series.points().size();
        if (perPage > 0 && !fixedAxis) {
            shown = std::min(shown, static_cast<std::size_t>(perPage));
        }
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
