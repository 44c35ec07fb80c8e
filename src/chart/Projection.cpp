#include "chart/Projection.h"

#include "chart/LayoutSupport.h"

#include <algorithm>
#include <cmath>

namespace vorin::chart {

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

} // namespace vorin::chart
