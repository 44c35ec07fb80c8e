#include "widgets/GradientBackdrop.h"

#include <QLinearGradient>
#include <QPainter>

namespace vorin {

GradientBackdrop::GradientBackdrop(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientBackdrop::setColors(const QColor &top, const QColor &bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void GradientBackdrop::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, m_top);
    gradient.setColorAt(1.0, m_bottom);
    painter.fillRect(rect(), gradient);
}

} // namespace vorin
