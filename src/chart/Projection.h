#pragma once

#include "chart/ChartModel.h"

#include <QPointF>

namespace vorin::chart {

struct Point3D
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Maps the chart's scene (the front plane in device coordinates, z going into
// the screen in the same units) to the screen: an oblique depth offset when the
// view is orthogonal, else a turn by rotation and elevation; then the zoom about
// the panel's centre.
class Projection
{
public:
    Projection() = default;
    Projection(const View3D &view, const QPointF &sceneCentre, double depth,
               const QPointF &zoomCentre);

    [[nodiscard]] QPointF map(const Point3D &p) const;
    [[nodiscard]] QPointF map(double x, double y, double z) const { return map(Point3D{x, y, z}); }
    // Larger is further from the viewer; orders faces back to front.
    [[nodiscard]] double distance(const Point3D &p) const;
    // Whether a face with this outward normal turns towards the viewer.
    [[nodiscard]] bool faces(const Point3D &normal) const;
    [[nodiscard]] double scale() const { return m_zoom; }
    [[nodiscard]] bool isOrthogonal() const { return m_orthogonal; }
    // The scene point on the front plane (z = 0) shown at this screen point.
    [[nodiscard]] QPointF unmapFront(const QPointF &screen) const;

    // The screen offset of one unit of depth in the orthogonal view.
    static constexpr double kObliqueX = 0.70710678;
    static constexpr double kObliqueY = -0.70710678;

private:
    [[nodiscard]] Point3D turned(const Point3D &p) const;

    bool m_orthogonal = true;
    double m_zoom = 1.0;
    QPointF m_zoomCentre;
    Point3D m_centre;
    double m_cosRotation = 1.0;
    double m_sinRotation = 0.0;
    double m_cosElevation = 1.0;
    double m_sinElevation = 0.0;
    Point3D m_viewDirection{0.0, 0.0, 1.0};
};

} // namespace vorin::chart
