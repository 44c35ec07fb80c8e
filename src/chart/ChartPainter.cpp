#include "chart/ChartPainter.h"

#include "chart/ChartLayout.h"
#include "chart/ChartModel.h"
#include "chart/LayoutSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPolygonF>
#include <QVarLengthArray>

namespace vorin::chart {

namespace {

constexpr double kScreenDpi = 96.0;

QPolygonF projectedQuad(const Projection &projection, const std::array<Point3D, 4> &corners)
{
    QPolygonF polygon;
    polygon.reserve(4);
    for (const Point3D &corner : corners) {
        polygon << projection.map(corner);
    }
    return polygon;
}

// Text drawn at a projected anchor, turned by `angle` degrees and grown or
// shrunk with the view's zoom, touching the anchor with the given side. Sets
// the transform directly instead of saving the whole painter state: axes draw
// dozens of labels on every animation tick.
void drawAnchoredText(QPainter &painter, const QFontMetricsF &fm, const QPointF &anchor,
                      double scale, int angle, Qt::Alignment alignment, const QString &text)
{
    const QTransform base = painter.transform();
    QTransform local = base;
    local.translate(anchor.x(), anchor.y());
    local.scale(scale, scale);
    if (angle != 0) {
        local.rotate(-angle);
    }
    painter.setTransform(local);
    const double width = fm.horizontalAdvance(text) + 2.0;
    const double height = fm.height();
    double x = -width / 2.0;
    double y = -height / 2.0;
    if (alignment & Qt::AlignRight) {
        x = -width;
    } else if (alignment & Qt::AlignLeft) {
        x = 0.0;
    }
    if (alignment & Qt::AlignTop) {
        y = 0.0;
    } else if (alignment & Qt::AlignBottom) {
        y = -height;
    }
    painter.drawText(QRectF(x, y, width, height), Qt::AlignCenter, text);
    painter.setTransform(base);
}

// A long curve stroked as one polyline makes the raster engine sweep the
// curve's whole bounding box; short segments each sweep only their own.
void drawSegments(QPainter &painter, const QPolygonF &polyline)
{
    QVarLengthArray<QLineF, 64> segments;
    for (qsizetype i = 0; i + 1 < polyline.size(); ++i) {
        segments.append(QLineF(polyline[i], polyline[i + 1]));
    }
    painter.drawLines(segments.constData(), static_cast<int>(segments.size()));
}

QColor shaded(const QColor &color, int factor)
{
    return color.darker(factor);
}

void drawBox(QPainter &painter, const Projection &projection, const BarItem &bar)
{
    const double x0 = bar.front.left();
    const double x1 = bar.front.right();
    const double y0 = bar.front.top();
    const double y1 = bar.front.bottom();
    const double z0 = bar.z0;
    const double z1 = bar.z1;
    const QColor edge = bar.color.darker(170);
    painter.setPen(QPen(edge, 0.6));

    struct Face
    {
        Point3D normal;
        std::array<Point3D, 4> corners;
        int shade;
    };
    const std::array<Face, 6> faces{{
        {{0, 0, 1}, {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, 100},
        {{-1, 0, 0}, {{{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}}, 150},
        {{0, 1, 0}, {{{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}}}, 150},
        {{1, 0, 0}, {{{x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}}}, 150},
        {{0, -1, 0}, {{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, 125},
        {{0, 0, -1}, {{{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}}}, 100},
    }};
    const bool flat = z1 - z0 <= 0.0;
    for (const Face &face : faces) {
        const bool front = face.normal.z < 0;
        if (flat && !front) {
            continue;
        }
        if (!projection.faces(face.normal)) {
            continue;
        }
        const QPolygonF polygon = projectedQuad(projection, face.corners);
        if (front && bar.gradient) {
            // Light at the bar's end, the plain colour at its base.
            const QPointF base = bar.horizontal ? projection.map(x0, (y0 + y1) / 2, z0)
                                                : projection.map((x0 + x1) / 2, y1, z0);
            const QPointF end = bar.horizontal ? projection.map(x1, (y0 + y1) / 2, z0)
                                               : projection.map((x0 + x1) / 2, y0, z0);
            const bool negative = bar.value < 0;
            QLinearGradient gradient(negative ? end : base, negative ? base : end);
            gradient.setColorAt(0.0, bar.color.darker(115));
            gradient.setColorAt(1.0, bar.color.lighter(170));
            painter.setBrush(gradient);
        } else {
            painter.setBrush(face.shade == 100 ? bar.color : shaded(bar.color, face.shade));
        }
        painter.drawPolygon(polygon);
    }
}

} // namespace

void ChartPainter::paint(QPainter &painter, const QRectF &rect) const
{
    PainterStateGuard guard(painter);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    QRectF area = rect;
    const QPaintDevice *device = painter.device();
    const double dpi = device != nullptr ? device->logicalDpiX() : kScreenDpi;
    if (dpi > 1.5 * kScreenDpi) {
        // A printer: lay out in screen pixels and let the transform carry pens,
        // fonts and geometry to the device's resolution.
        const double scale = dpi / kScreenDpi;
        painter.translate(rect.topLeft());
        painter.scale(scale, scale);
        area = QRectF(0.0, 0.0, rect.width() / scale, rect.height() / scale);
    }
    // Whole-pixel clips keep the raster engine on its fast rectangle path.
    painter.setClipRect(area.toAlignedRect(), Qt::IntersectClip);

    const ChartLayout layout(m_model, area);
    paintBackground(painter, area);
    paintTitles(painter, layout);
    if (layout.geometry().pie) {
        paintPie(painter, layout);
    } else if (layout.geometry().hasAxes) {
        paintWalls(painter, layout);
        paintAxes(painter, layout);
        paintBars(painter, layout);
        paintLines(painter, layout);
    }
    paintMarks(painter, layout);
    paintLegend(painter, layout);
}

void ChartPainter::paintBackground(QPainter &painter, const QRectF &rect) const
{
    const ChartSettings &s = m_model.settings();
    if (s.gradientVisible) {
        QLinearGradient gradient(rect.bottomLeft(), rect.topLeft());
        gradient.setColorAt(0.0, s.gradientStart);
        gradient.setColorAt(1.0, s.gradientEnd);
        painter.fillRect(rect, gradient);
    } else {
        painter.fillRect(rect, s.background);
    }
    if (s.frameVisible) {
        PainterStateGuard guard(painter);
        painter.setPen(QPen(QColor(128, 128, 128), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void ChartPainter::paintTitles(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    if (g.titleRects.empty()) {
        return;
    }
    PainterStateGuard guard(painter);
    painter.setFont(pixelFont(m_model.settings().titleFont));
    painter.setPen(m_model.settings().titleColor);
    for (std::size_t i = 0; i < g.titleRects.size(); ++i) {
        painter.drawText(g.titleRects[i], Qt::AlignCenter,
                         g.titleLines.at(static_cast<qsizetype>(i)));
    }
}

void ChartPainter::paintWalls(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    const ChartSettings &s = m_model.settings();
    const Projection &projection = g.projection;
    const QRectF p = g.plot;
    const double d = g.depth;
    PainterStateGuard guard(painter);
    painter.setPen(QPen(s.wallEdgeColor, 0.8));

    if (s.backWallColor.isValid() && s.backWallColor.alpha() > 0) {
        painter.setBrush(s.backWallColor);
        painter.drawPolygon(projectedQuad(projection, {{{p.left(), p.top(), d},
                                                        {p.right(), p.top(), d},
                                                        {p.right(), p.bottom(), d},
                                                        {p.left(), p.bottom(), d}}}));
    }
    if (d > 0.0) {
        if (projection.faces(Point3D{1, 0, 0}) && s.leftWallColor.isValid()) {
            painter.setBrush(s.leftWallColor);
            painter.drawPolygon(projectedQuad(projection, {{{p.left(), p.top(), 0},
                                                            {p.left(), p.top(), d},
                                                            {p.left(), p.bottom(), d},
                                                            {p.left(), p.bottom(), 0}}}));
        }
        if (projection.faces(Point3D{0, -1, 0}) && s.bottomWallColor.isValid()) {
            painter.setBrush(s.bottomWallColor);
            painter.drawPolygon(projectedQuad(projection, {{{p.left(), p.bottom(), 0},
                                                            {p.right(), p.bottom(), 0},
                                                            {p.right(), p.bottom(), d},
                                                            {p.left(), p.bottom(), d}}}));
        }
    }

    // Grid lines of the value axis run along the back wall and the wall beside it.
    const AxisItem &valueAxis = g.horizontalBars ? g.horizontalAxis : g.verticalAxis;
    if (valueAxis.visible && valueAxis.settings != nullptr && valueAxis.settings->grid) {
        // Solid and thin: dashed pens cost several times as much per repaint.
        QPen gridPen(valueAxis.settings->gridColor, 0.5);
        painter.setPen(gridPen);
        for (const Point3D &tick : valueAxis.tickPoints) {
            if (g.horizontalBars) {
                painter.drawLine(projection.map(tick.x, p.top(), d),
                                 projection.map(tick.x, p.bottom(), d));
                if (d > 0.0) {
                    painter.drawLine(projection.map(tick.x, p.bottom(), 0),
                                     projection.map(tick.x, p.bottom(), d));
                }
            } else {
                painter.drawLine(projection.map(p.left(), tick.y, d),
                                 projection.map(p.right(), tick.y, d));
                if (d > 0.0) {
                    painter.drawLine(projection.map(p.left(), tick.y, 0),
                                     projection.map(p.left(), tick.y, d));
                }
            }
        }
    }
}

void ChartPainter::paintAxes(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    const Projection &projection = g.projection;
    PainterStateGuard guard(painter);
    for (const AxisItem *axis : {&g.verticalAxis, &g.horizontalAxis, &g.rightAxis}) {
        if (!axis->visible || axis->settings == nullptr) {
            continue;
        }
        const AxisSettings &settings = *axis->settings;
        if (axis->lineVisible) {
            painter.setPen(QPen(settings.lineColor, 1.0));
            painter.drawLine(projection.map(axis->from), projection.map(axis->to));
        }
        painter.setPen(QPen(settings.tickColor, 1.0));
        for (const Point3D &tick : axis->tickPoints) {
            painter.drawLine(projection.map(tick), projection.map(tick.x + axis->tickDirection.x,
                                                                  tick.y + axis->tickDirection.y,
                                                                  tick.z + axis->tickDirection.z));
        }
        painter.setFont(pixelFont(settings.labelFont));
        painter.setPen(settings.labelColor);
        const QFontMetricsF labelMetrics(pixelFont(settings.labelFont));
        for (const AxisLabel &label : axis->labels) {
            drawAnchoredText(painter, labelMetrics, projection.map(label.anchor),
                             projection.scale(), label.angle, label.alignment, label.text);
        }
        if (!axis->title.isEmpty()) {
            painter.setFont(pixelFont(settings.titleFont));
            painter.setPen(settings.titleColor);
            drawAnchoredText(painter, QFontMetricsF(pixelFont(settings.titleFont)),
                             projection.map(axis->titleAnchor), projection.scale(),
                             axis->titleAngle, Qt::AlignCenter, axis->title);
        }
    }
}

void ChartPainter::paintBars(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    if (g.bars.empty()) {
        return;
    }
    const Projection &projection = g.projection;
    PainterStateGuard guard(painter);
    if (m_model.isZoomed()) {
        QPolygonF box;
        for (double z : {0.0, g.depth}) {
            box << projection.map(g.plot.left(), g.plot.top(), z)
                << projection.map(g.plot.right(), g.plot.bottom(), z);
        }
        painter.setClipRect(box.boundingRect().toAlignedRect(), Qt::IntersectClip);
    }
    // Far boxes first, so near ones cover them.
    std::vector<const BarItem *> order;
    order.reserve(g.bars.size());
    for (const BarItem &bar : g.bars) {
        order.push_back(&bar);
    }
    std::stable_sort(order.begin(), order.end(), [&](const BarItem *a, const BarItem *b) {
        const Point3D ca{a->front.center().x(), a->front.center().y(), (a->z0 + a->z1) / 2};
        const Point3D cb{b->front.center().x(), b->front.center().y(), (b->z0 + b->z1) / 2};
        return projection.distance(ca) > projection.distance(cb);
    });
    for (const BarItem *bar : order) {
        drawBox(painter, projection, *bar);
    }
}

void ChartPainter::paintLines(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    if (g.lines.empty()) {
        return;
    }
    const Projection &projection = g.projection;
    PainterStateGuard guard(painter);
    QPolygonF box;
    for (double z : {0.0, g.depth}) {
        box << projection.map(g.plot.left(), g.plot.top(), z)
            << projection.map(g.plot.right(), g.plot.bottom(), z);
    }
    painter.setClipRect(box.boundingRect().adjusted(-2, -2, 2, 2).toAlignedRect(),
                        Qt::IntersectClip);

    std::vector<const LineItem *> order;
    for (const LineItem &line : g.lines) {
        order.push_back(&line);
    }
    const Point3D middle{g.plot.center().x(), g.plot.center().y(), 0.0};
    std::stable_sort(order.begin(), order.end(), [&](const LineItem *a, const LineItem *b) {
        return projection.distance(Point3D{middle.x, middle.y, (a->z0 + a->z1) / 2}) >
               projection.distance(Point3D{middle.x, middle.y, (b->z0 + b->z1) / 2});
    });
    for (const LineItem *line : order) {
        const auto &points = line->points;
        if (line->z1 > line->z0) {
            // The ribbon: each segment a strip into the depth, one shade darker
            // than the line so the curve itself stays in front.
            // Strips are filled without outline: stroking them costs as much again.
            painter.setPen(Qt::NoPen);
            painter.setBrush(line->color.darker(125));
            for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                const QPointF &a = points[i];
                const QPointF &b = points[i + 1];
                painter.drawPolygon(projectedQuad(projection, {{{a.x(), a.y(), line->z0},
                                                                {b.x(), b.y(), line->z0},
                                                                {b.x(), b.y(), line->z1},
                                                                {a.x(), a.y(), line->z1}}}));
            }
            QPolygonF back;
            back.reserve(static_cast<qsizetype>(points.size()));
            for (const QPointF &point : points) {
                back << projection.map(point.x(), point.y(), line->z1);
            }
            painter.setPen(QPen(line->color.darker(160), 0.6));
            painter.setBrush(Qt::NoBrush);
            drawSegments(painter, back);
        }
        QPolygonF front;
        front.reserve(static_cast<qsizetype>(points.size()));
        for (const QPointF &point : points) {
            front << projection.map(point.x(), point.y(), line->z0);
        }
        painter.setPen(QPen(line->color, line->z1 > line->z0 ? 1.2 : 2.0, Qt::SolidLine,
                            Qt::SquareCap, Qt::BevelJoin));
        painter.setBrush(Qt::NoBrush);
        drawSegments(painter, front);
        if (line->pointers) {
            painter.setBrush(line->color);
            painter.setPen(QPen(line->color.darker(170), 0.5));
            for (const QPointF &point : front) {
                painter.drawRect(QRectF(point.x() - 2.5, point.y() - 2.5, 5.0, 5.0));
            }
        }
    }
}

void ChartPainter::paintPie(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    const PieItem &pie = *g.pie;
    const QRectF e = pie.ellipse;
    if (e.width() <= 0.0) {
        return;
    }
    PainterStateGuard guard(painter);
    const QPointF centre = e.center();
    const double rx = e.width() / 2.0;
    const double ry = e.height() / 2.0;
    const double t = pie.thickness;
    const auto edgePoint = [&](double degrees, const QPointF &offset, double down) {
        const double a = radians(degrees);
        return centre + offset + QPointF(rx * std::cos(a), -ry * std::sin(a) + down);
    };

    if (pie.empty) {
        const QColor grey(224, 224, 224);
        painter.setPen(QPen(grey.darker(160), 0.8));
        if (t > 0.0) {
            painter.setBrush(grey.darker(130));
            QPainterPath side;
            side.moveTo(centre.x() - rx, centre.y());
            side.arcTo(e, 180.0, 180.0);
            side.lineTo(centre.x() + rx, centre.y() + t);
            side.arcTo(e.translated(0.0, t), 0.0, -180.0);
            side.closeSubpath();
            painter.drawPath(side);
        }
        painter.setBrush(grey);
        painter.drawEllipse(e);
        return;
    }

    // The side wall: for each slice the part of its rim that faces the viewer
    // (the lower half of the ellipse), from the top edge down by the thickness.
    const auto drawRim = [&](const PieSlice &slice) {
        if (t <= 0.0) {
            return;
        }
        const double start = slice.startDegrees;
        const double end = slice.startDegrees + slice.spanDegrees;
        for (int turn = -1; turn <= 2; ++turn) {
            const double from = std::max(start, 180.0 + 360.0 * turn);
            const double to = std::min(end, 360.0 + 360.0 * turn);
            if (to <= from) {
                continue;
            }
            QPolygonF wall;
            const int steps = std::max(2, static_cast<int>((to - from) / 6.0) + 1);
            for (int i = 0; i <= steps; ++i) {
                wall << edgePoint(from + (to - from) * i / steps, slice.offset, 0.0);
            }
            for (int i = steps; i >= 0; --i) {
                wall << edgePoint(from + (to - from) * i / steps, slice.offset, t);
            }
            // Solid: a gradient here costs twice the rest of the pie, and the
            // pies turn twenty times a second.
            painter.setBrush(slice.color.darker(150));
            painter.drawPolygon(wall);
        }
    };
    const auto drawCut = [&](const PieSlice &slice, double degrees) {
        if (t <= 0.0) {
            return;
        }
        const QPointF hub = centre + slice.offset;
        QPolygonF cut;
        cut << hub << edgePoint(degrees, slice.offset, 0.0) << edgePoint(degrees, slice.offset, t)
            << hub + QPointF(0.0, t);
        painter.setBrush(slice.color.darker(160));
        painter.drawPolygon(cut);
    };
    const auto drawTop = [&](const PieSlice &slice) {
        QPainterPath path;
        const QRectF top = e.translated(slice.offset);
        path.moveTo(top.center());
        path.arcTo(top, slice.startDegrees, slice.spanDegrees);
        path.closeSubpath();
        painter.setBrush(slice.color);
        painter.drawPath(path);
    };

    const PieSlice *exploded = nullptr;
    for (const PieSlice &slice : pie.slices) {
        if (slice.exploded) {
            exploded = &slice;
        }
    }
    for (const PieSlice &slice : pie.slices) {
        painter.setPen(QPen(slice.color.darker(220), 0.6));
        if (&slice != exploded) {
            drawRim(slice);
        }
    }
    if (exploded != nullptr) {
        painter.setPen(QPen(exploded->color.darker(220), 0.6));
        // Only the cut that faces the viewer shows; the nearer one is drawn last.
        const double a = exploded->startDegrees;
        const double b = exploded->startDegrees + exploded->spanDegrees;
        if (std::sin(radians(a)) < std::sin(radians(b))) {
            drawCut(*exploded, b);
            drawCut(*exploded, a);
        } else {
            drawCut(*exploded, a);
            drawCut(*exploded, b);
        }
        drawRim(*exploded);
    }
    for (const PieSlice &slice : pie.slices) {
        if (&slice != exploded) {
            painter.setPen(QPen(slice.color.darker(220), 0.6));
            drawTop(slice);
        }
    }
    if (exploded != nullptr) {
        painter.setPen(QPen(exploded->color.darker(220), 0.6));
        drawTop(*exploded);
    }

    // Leader lines from the rim to the marks.
    painter.setPen(QPen(QColor(96, 96, 96), 0.8));
    for (const PieSlice &slice : pie.slices) {
        if (slice.mark.isEmpty()) {
            continue;
        }
        const double mid = slice.startDegrees + slice.spanDegrees / 2.0;
        const double down = std::sin(radians(mid)) < 0 ? t : 0.0;
        const QPointF from = edgePoint(mid, slice.offset, down / 2.0);
        const QPointF to = centre + slice.offset +
                           QPointF((rx + 8.0) * std::cos(radians(mid)),
                                   -(ry + 6.0) * std::sin(radians(mid)) + down);
        painter.drawLine(from, to);
    }
}

void ChartPainter::paintMarks(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    if (g.marks.empty()) {
        return;
    }
    PainterStateGuard guard(painter);
    for (const MarkItem &mark : g.marks) {
        const QPointF anchor = g.projection.map(mark.anchor);
        PainterStateGuard markGuard(painter);
        painter.translate(anchor);
        painter.scale(g.projection.scale(), g.projection.scale());
        painter.setFont(pixelFont(mark.font));
        const QFontMetricsF fm(pixelFont(mark.font));
        const double width = fm.horizontalAdvance(mark.text) + 6.0;
        const double height = fm.height() + 2.0;
        const QRectF box(-width / 2.0, -height / 2.0, width, height);
        painter.setPen(QPen(mark.background.darker(160), 0.6));
        painter.setBrush(mark.background);
        painter.drawRoundedRect(box, 2.0, 2.0);
        painter.setPen(mark.textColor);
        painter.drawText(box, Qt::AlignCenter, mark.text);
    }
}

void ChartPainter::paintLegend(QPainter &painter, const ChartLayout &layout) const
{
    const ChartGeometry &g = layout.geometry();
    if (g.legend.empty()) {
        return;
    }
    const LegendSettings &legend = m_model.settings().legend;
    PainterStateGuard guard(painter);
    if (legend.frame) {
        painter.setPen(QPen(QColor(128, 128, 128), 0.8));
        painter.setBrush(legend.background);
        painter.drawRect(g.legendRect);
    }
    painter.setFont(pixelFont(legend.font));
    for (const LegendItem &item : g.legend) {
        painter.setPen(QPen(item.color.darker(180), 0.6));
        painter.setBrush(item.color);
        painter.drawRect(item.swatch);
        painter.setPen(legend.textColor);
        painter.drawText(item.textRect, Qt::AlignLeft | Qt::AlignVCenter, item.text);
    }
}

} // namespace vorin::chart
