#include "chart/Chart.h"

#include "chart/ChartLayout.h"
#include "chart/ChartPainter.h"

#include <QMouseEvent>
#include <QPainter>

namespace vorin::chart {

namespace {
// Below this many pixels of travel a press and release is a click, not a zoom.
constexpr int kDragThreshold = 5;
} // namespace

Chart::Chart(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_model, &ChartModel::changed, this, qOverload<>(&QWidget::update));
}

void Chart::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    ChartPainter(m_model).paint(painter, rect());
    if (m_dragging) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
        painter.drawRect(QRect(m_pressPosition, m_dragPosition).normalized());
    }
}

void Chart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
        m_dragPosition = m_pressPosition;
        m_dragging = false;
    }
    QWidget::mousePressEvent(event);
}

void Chart::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && m_model.settings().userZoomAllowed) {
        m_dragPosition = event->position().toPoint();
        m_dragging = (m_dragPosition - m_pressPosition).manhattanLength() >= kDragThreshold;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void Chart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint release = event->position().toPoint();
    const bool wasDragging = m_dragging;
    m_dragging = false;
    if (!wasDragging) {
        update();
        emit clicked();
        return;
    }
    if (release.x() < m_pressPosition.x() || release.y() < m_pressPosition.y()) {
        m_model.undoZoom();
        update();
        return;
    }
    const ChartLayout layout(m_model, QRectF(rect()));
    const auto from = layout.dataAt(QPointF(m_pressPosition));
    const auto to = layout.dataAt(QPointF(release));
    if (from && to) {
        // Screen y grows downwards, data upwards: the press is the top-left corner.
        m_model.zoomTo(UserZoom{AxisRange{from->x(), to->x()}, AxisRange{to->y(), from->y()}});
    }
    update();
}

void Chart::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace vorin::chart
