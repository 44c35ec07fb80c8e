// The third translation unit of ChartLayout: which point lies under the
// pointer, which points the keyboard visits, and the outlines its focus mark
// follows. All of it works on the finished geometry in screen pixels, with
// the painter's order and clipping, so that a hit is what the user sees there.
#include "chart/ChartLayout.h"
#include "chart/LayoutSupport.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace vorin::chart {

namespace {

// A line point's column reaches this far either side when its neighbours
// crowd it, and never further than the limit when they are far apart: the
// user should not have to hit a curve of one pixel, yet a click far from
// every point means none of them.
constexpr double kLineReach = 4.0;
constexpr double kLineColumnLimit = 20.0;
// Side of the square that outlines a line point.
constexpr double kPointMarkSize = 9.0;
// Steps of a slice's arc in its outline, in degrees.
constexpr double kArcStep = 4.0;

double cross(const QPointF &origin, const QPointF &a, const QPointF &b)
{
    return (a.x() - origin.x()) * (b.y() - origin.y()) -
           (a.y() - origin.y()) * (b.x() - origin.x());
}

// The convex hull of a few points (a box's eight corners), by the monotone
// chain; fewer than three corners when they all lie on one line.
QPolygonF convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (points.size() < 3) {
        return QPolygonF(QList<QPointF>(points.begin(), points.end()));
    }
    std::vector<QPointF> hull(2 * points.size());
    std::size_t k = 0;
    for (const QPointF &p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0.0) {
            --k;
        }
        hull[k++] = p;
    }
    const std::size_t lower = k + 1;
    for (std::size_t i = points.size() - 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0) {
            --k;
        }
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

// Edges count as inside: a click on the line between two bars goes to one.
bool insideConvex(const QPolygonF &polygon, const QPointF &p)
{
    if (polygon.size() < 3) {
        return false;
    }
    bool anyLeft = false;
    bool anyRight = false;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const double side = cross(polygon[i], polygon[(i + 1) % polygon.size()], p);
        anyLeft = anyLeft || side > 1e-9;
        anyRight = anyRight || side < -1e-9;
    }
    return !(anyLeft && anyRight);
}

// On screen a box is the hull of its corners: the faces the painter fills
// cover exactly that.
QPolygonF barOutline(const Projection &projection, const BarItem &bar)
{
    std::vector<QPointF> corners;
    corners.reserve(8);
    for (double z : {bar.z0, bar.z1}) {
        corners.push_back(projection.map(bar.front.left(), bar.front.top(), z));
        corners.push_back(projection.map(bar.front.right(), bar.front.top(), z));
        corners.push_back(projection.map(bar.front.right(), bar.front.bottom(), z));
        corners.push_back(projection.map(bar.front.left(), bar.front.bottom(), z));
    }
    return convexHull(std::move(corners));
}

// The rectangle the painter cuts bars (when zoomed) and lines at.
QRectF plotBoxBounds(const ChartGeometry &g)
{
    QPolygonF box;
    for (double z : {0.0, g.depth}) {
        box << g.projection.map(g.plot.left(), g.plot.top(), z)
            << g.projection.map(g.plot.right(), g.plot.bottom(), z);
    }
    return box.boundingRect();
}

QRectF lineClip(const ChartGeometry &g)
{
    return plotBoxBounds(g).adjusted(-2.0, -2.0, 2.0, 2.0);
}

double degrees(double radiansValue)
{
    return radiansValue * 180.0 / std::numbers::pi;
}

// Whether a direction (degrees, counter-clockwise from three o'clock, as the
// slices count) falls in the slice.
bool withinSlice(const PieSlice &slice, double direction)
{
    if (slice.spanDegrees >= 360.0 - 1e-9) {
        return true;
    }
    double along = std::fmod(direction - slice.startDegrees, 360.0);
    if (along < 0.0) {
        along += 360.0;
    }
    return along <= slice.spanDegrees;
}

} // namespace

std::optional<ChartHit> ChartLayout::hitTest(const QPointF &screen) const
{
    const ChartGeometry &g = m_geometry;
    if (g.pie) {
        return sliceAt(screen);
    }
    if (!g.hasAxes) {
        return std::nullopt;
    }
    // Curves are drawn over the bars: a click on one means the curve, a click
    // beside it the bar, and only then the column of the nearest curve.
    const std::optional<LineHit> line = linePointAt(screen);
    if (line && line->verticalDistance <= kLineReach) {
        return line->hit;
    }
    if (const std::optional<ChartHit> bar = barAt(screen)) {
        return bar;
    }
    if (line) {
        return line->hit;
    }
    return std::nullopt;
}

std::optional<ChartHit> ChartLayout::barAt(const QPointF &screen) const
{
    const ChartGeometry &g = m_geometry;
    if (g.zoomed && !plotBoxBounds(g).contains(screen)) {
        return std::nullopt;
    }
    const BarItem *nearest = nullptr;
    double nearestDistance = 0.0;
    for (const BarItem &bar : g.bars) {
        if (!insideConvex(barOutline(g.projection, bar), screen)) {
            continue;
        }
        const double distance = g.projection.distance(
            Point3D{bar.front.center().x(), bar.front.center().y(), (bar.z0 + bar.z1) / 2.0});
        // The painter draws far boxes first and, of equally far ones, the
        // later over the earlier: the one seen is the last one found here.
        if (nearest == nullptr || distance <= nearestDistance) {
            nearest = &bar;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr) {
        return std::nullopt;
    }
    return ChartHit{nearest->series, nearest->point};
}

std::optional<ChartHit> ChartLayout::sliceAt(const QPointF &screen) const
{
    const PieItem &pie = *m_geometry.pie;
    const QRectF &e = pie.ellipse;
    if (pie.empty || e.width() <= 0.0 || e.height() <= 0.0) {
        return std::nullopt;
    }
    // The pie is drawn as laid out, without the view's projection or zoom.
    const QPointF centre = e.center();
    const double rx = e.width() / 2.0;
    const double ry = e.height() / 2.0;
    const double t = pie.thickness;

    const auto onTop = [&](const PieSlice &slice) {
        const QPointF d = screen - centre - slice.offset;
        const double u = d.x() / rx;
        const double v = -d.y() / ry;
        return u * u + v * v <= 1.0 && withinSlice(slice, degrees(std::atan2(v, u)));
    };
    // The rim shows below the front half of the ellipse, down by the thickness.
    const auto onRim = [&](const PieSlice &slice) {
        const QPointF d = screen - centre - slice.offset;
        const double u = d.x() / rx;
        if (t <= 0.0 || std::abs(u) > 1.0) {
            return false;
        }
        const double below = std::sqrt(1.0 - u * u);
        const double edge = ry * below;
        return d.y() >= edge && d.y() <= edge + t &&
               withinSlice(slice, degrees(std::atan2(-below, u)));
    };
    // The pulled-out slice shows its cut faces in the gap it leaves.
    const auto onCut = [&](const PieSlice &slice) {
        if (t <= 0.0) {
            return false;
        }
        const QPointF hub = centre + slice.offset;
        for (double direction : {slice.startDegrees, slice.startDegrees + slice.spanDegrees}) {
            const double a = radians(direction);
            const QPointF edge = hub + QPointF(rx * std::cos(a), -ry * std::sin(a));
            const QPolygonF cut{{hub, edge, edge + QPointF(0.0, t), hub + QPointF(0.0, t)}};
            if (insideConvex(cut, screen)) {
                return true;
            }
        }
        return false;
    };

    // In the reverse of the painter's order: the pulled-out slice's top, the
    // other tops, the pulled-out slice's side, the other sides.
    const PieSlice *exploded = nullptr;
    for (const PieSlice &slice : pie.slices) {
        if (slice.exploded) {
            exploded = &slice;
        }
    }
    const PieSlice *found = nullptr;
    if (exploded != nullptr && onTop(*exploded)) {
        found = exploded;
    }
    for (auto it = pie.slices.begin(); found == nullptr && it != pie.slices.end(); ++it) {
        if (&*it != exploded && onTop(*it)) {
            found = &*it;
        }
    }
    if (found == nullptr && exploded != nullptr && (onRim(*exploded) || onCut(*exploded))) {
        found = exploded;
    }
    for (auto it = pie.slices.begin(); found == nullptr && it != pie.slices.end(); ++it) {
        if (&*it != exploded && onRim(*it)) {
            found = &*it;
        }
    }
    // "Other" is many points at once: it stands for none of them.
    if (found == nullptr || found->point < 0) {
        return std::nullopt;
    }
    return ChartHit{pie.series, found->point};
}

std::optional<ChartLayout::LineHit> ChartLayout::linePointAt(const QPointF &screen) const
{
    const ChartGeometry &g = m_geometry;
    const QRectF clip = lineClip(g);
    if (g.lines.empty() || screen.y() < clip.top() - kLineReach ||
        screen.y() > clip.bottom() + kLineReach) {
        return std::nullopt;
    }
    std::optional<LineHit> best;
    std::vector<QPointF> shown;
    for (const LineItem &line : g.lines) {
        shown.clear();
        for (const QPointF &point : line.points) {
            shown.push_back(g.projection.map(point.x(), point.y(), line.z0));
        }
        // The nearest point across that the painter does not cut away.
        std::optional<std::size_t> nearest;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (clip.contains(shown[i]) &&
                (!nearest || std::abs(screen.x() - shown[i].x()) <
                                 std::abs(screen.x() - shown[*nearest].x()))) {
                nearest = i;
            }
        }
        if (!nearest) {
            continue;
        }
        const std::size_t i = *nearest;
        const double dx = screen.x() - shown[i].x();
        // The neighbour towards the pointer bounds the column on that side; at
        // either end of the curve the other neighbour stands in for it. Left
        // and right on screen: a turned view may draw the curve backwards.
        std::optional<std::size_t> left;
        std::optional<std::size_t> right;
        const auto place = [&](std::size_t j) { (shown[j].x() < shown[i].x() ? left : right) = j; };
        if (i > 0) {
            place(i - 1);
        }
        if (i + 1 < shown.size()) {
            place(i + 1);
        }
        const std::optional<std::size_t> side = dx >= 0.0 ? right : left;
        const std::optional<std::size_t> spacing = side ? side : (dx >= 0.0 ? left : right);
        const double halfWidth =
            spacing ? std::clamp(std::abs(shown[*spacing].x() - shown[i].x()) / 2.0, kLineReach,
                                 kLineColumnLimit)
                    : kLineReach;
        if (std::abs(dx) > halfWidth) {
            continue;
        }
        // How far the pointer is from the curve as drawn, not from the point:
        // where curves cross, the one under the pointer wins.
        double curveY = shown[i].y();
        if (side) {
            const double across = shown[*side].x() - shown[i].x();
            if (std::abs(across) > 1e-9) {
                const double along = std::clamp(dx / across, 0.0, 1.0);
                curveY += along * (shown[*side].y() - shown[i].y());
            }
        }
        const double distance = std::abs(screen.y() - curveY);
        if (!best || distance < best->verticalDistance) {
            best = LineHit{ChartHit{line.series, static_cast<int>(i)}, distance};
        }
    }
    return best;
}

std::vector<ChartHit> ChartLayout::keyboardPoints() const
{
    const ChartGeometry &g = m_geometry;
    std::vector<ChartHit> points;
    if (g.pie) {
        for (const PieSlice &slice : g.pie->slices) {
            if (slice.point >= 0) {
                points.push_back(ChartHit{g.pie->series, slice.point});
            }
        }
        return points;
    }
    int first = std::numeric_limits<int>::max();
    for (const BarItem &bar : g.bars) {
        first = std::min(first, bar.series);
    }
    for (const LineItem &line : g.lines) {
        first = std::min(first, line.series);
    }
    const QRectF box = plotBoxBounds(g);
    for (const BarItem &bar : g.bars) {
        if (bar.series == first &&
            (!g.zoomed || barOutline(g.projection, bar).boundingRect().intersects(box))) {
            points.push_back(ChartHit{bar.series, bar.point});
        }
    }
    const QRectF clip = lineClip(g);
    for (const LineItem &line : g.lines) {
        if (line.series != first) {
            continue;
        }
        for (std::size_t i = 0; i < line.points.size(); ++i) {
            const QPointF &p = line.points[i];
            if (clip.contains(g.projection.map(p.x(), p.y(), line.z0))) {
                points.push_back(ChartHit{line.series, static_cast<int>(i)});
            }
        }
    }
    return points;
}

QPolygonF ChartLayout::outline(const ChartHit &hit) const
{
    const ChartGeometry &g = m_geometry;
    if (g.pie) {
        const PieItem &pie = *g.pie;
        if (pie.series != hit.series || pie.empty) {
            return {};
        }
        for (const PieSlice &slice : pie.slices) {
            if (slice.point != hit.point || hit.point < 0) {
                continue;
            }
            const QPointF hub = pie.ellipse.center() + slice.offset;
            const double rx = pie.ellipse.width() / 2.0;
            const double ry = pie.ellipse.height() / 2.0;
            QPolygonF polygon;
            const bool whole = slice.spanDegrees >= 360.0 - 1e-9;
            if (!whole) {
                polygon << hub;
            }
            const int steps =
                std::max(2, static_cast<int>(std::ceil(slice.spanDegrees / kArcStep)));
            for (int i = 0; i <= steps; ++i) {
                const double a = radians(slice.startDegrees + slice.spanDegrees * i / steps);
                polygon << hub + QPointF(rx * std::cos(a), -ry * std::sin(a));
            }
            return polygon;
        }
        return {};
    }
    for (const BarItem &bar : g.bars) {
        if (bar.series == hit.series && bar.point == hit.point) {
            return barOutline(g.projection, bar);
        }
    }
    for (const LineItem &line : g.lines) {
        if (line.series != hit.series || hit.point < 0 ||
            static_cast<std::size_t>(hit.point) >= line.points.size()) {
            continue;
        }
        const QPointF &p = line.points[static_cast<std::size_t>(hit.point)];
        const QPointF at = g.projection.map(p.x(), p.y(), line.z0);
        if (!lineClip(g).contains(at)) {
            return {};
        }
        const double half = kPointMarkSize / 2.0;
        return QPolygonF(QRectF(at.x() - half, at.y() - half, kPointMarkSize, kPointMarkSize));
    }
    return {};
}

} // namespace vorin::chart
