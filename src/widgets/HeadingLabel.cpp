#include "widgets/HeadingLabel.h"

#include "widgets/FontSubstitutes.h"
#include "widgets/PainterGuard.h"

#include <algorithm>
#include <cstdlib>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace vorin {

QPoint shadowStep(ShadowDirection direction)
{
    switch (direction) {
    case ShadowDirection::UpLeft:
        return {-1, -1};
    case ShadowDirection::Up:
        return {0, -1};
    case ShadowDirection::UpRight:
        return {1, -1};
    case ShadowDirection::Right:
        return {1, 0};
    case ShadowDirection::DownRight:
        return {1, 1};
    case ShadowDirection::Down:
        return {0, 1};
    case ShadowDirection::DownLeft:
        return {-1, 1};
    case ShadowDirection::Left:
        return {-1, 0};
    }
    return {1, 1};
}

namespace {

// How far the decoration reaches beyond the face on each side.
struct Reach
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

Reach reachOf(const ShadowedText &look)
{
    const QPoint step = shadowStep(look.shadowDirection);
    const int depth = std::max(0, look.shadowDepth);
    Reach reach;
    const auto extend = [&reach](QPoint offset) {
        reach.left = std::max(reach.left, -offset.x());
        reach.right = std::max(reach.right, offset.x());
        reach.top = std::max(reach.top, -offset.y());
        reach.bottom = std::max(reach.bottom, offset.y());
    };
    extend(step * depth);
    if (look.highlightColor.isValid())
        extend(-step);
    return reach;
}

} // namespace

QSize ShadowedText::blockSize() const
{
    const QFontMetrics metrics(font);
    const Reach reach = reachOf(*this);
    return {metrics.horizontalAdvance(text) + reach.left + reach.right,
            metrics.height() + reach.top + reach.bottom};
}

ShadowedTextLayout ShadowedText::layout(const QRect &area, Qt::Alignment alignment) const
{
    const QSize size = blockSize();
    int x = area.left();
    if (alignment & Qt::AlignRight)
        x = area.right() + 1 - size.width();
    else if (alignment & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    int y = area.top();
    if (alignment & Qt::AlignBottom)
        y = area.bottom() + 1 - size.height();
    else if (alignment & Qt::AlignVCenter)
        y = area.top() + (area.height() - size.height()) / 2;

    const Reach reach = reachOf(*this);
    const QFontMetrics metrics(font);
    ShadowedTextLayout result;
    result.block = QRect(QPoint(x, y), size);
    result.face =
        QRect(x + reach.left, y + reach.top, metrics.horizontalAdvance(text), metrics.height());
    return result;
}

void ShadowedText::paint(QPainter &painter, const QRect &area, Qt::Alignment alignment) const
{
    if (text.isEmpty())
        return;
    const PainterGuard guard(painter);
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const ShadowedTextLayout geometry = layout(area, alignment);
    const QFontMetrics metrics(font);
    const QPoint baseline(geometry.face.left(), geometry.face.top() + metrics.ascent());
    const QPoint step = shadowStep(shadowDirection);

    // The extrusion is the lettering stamped once per pixel of depth, the
    // farthest first, so that it reads as a solid block behind the face.
    painter.setPen(shadowColor);
    for (int i = shadowDepth; i >= 1; --i)
        painter.drawText(baseline + step * i, text);
    if (highlightColor.isValid()) {
        painter.setPen(highlightColor);
        painter.drawText(baseline - step, text);
    }
    painter.setPen(color);
    painter.drawText(baseline, text);
}

HeadingLabel::HeadingLabel(QWidget *parent) : QWidget(parent)
{
    m_look.font = font();
}

HeadingLabel::HeadingLabel(const QString &text, QWidget *parent) : HeadingLabel(parent)
{
    m_look.text = text;
}

void HeadingLabel::changed()
{
    updateGeometry();
    update();
}

void HeadingLabel::setText(const QString &text)
{
    if (m_look.text == text)
        return;
    m_look.text = text;
    changed();
}

void HeadingLabel::setTextColor(const QColor &color)
{
    m_look.color = color;
    update();
}

void HeadingLabel::setShadowColor(const QColor &color)
{
    m_look.shadowColor = color;
    update();
}

void HeadingLabel::setShadowDepth(int pixels)
{
    m_look.shadowDepth = std::max(0, pixels);
    changed();
}

void HeadingLabel::setShadowDirection(ShadowDirection direction)
{
    m_look.shadowDirection = direction;
    changed();
}

void HeadingLabel::setHighlightColor(const QColor &color)
{
    m_look.highlightColor = color;
    changed();
}

void HeadingLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void HeadingLabel::applyHeadingStyle(int pixelSize)
{
    setFont(headingFont(pixelSize));
    m_look.color = Qt::blue;
    m_look.shadowColor = QColor(0x80, 0x80, 0x00);
    m_look.shadowDepth = 4;
    m_look.shadowDirection = ShadowDirection::DownRight;
    m_look.highlightColor = QColor();
    changed();
}

QRect HeadingLabel::faceRect() const
{
    return m_look.layout(contentsRect(), m_alignment).face;
}

QSize HeadingLabel::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return m_look.blockSize().grownBy(margins);
}

QSize HeadingLabel::minimumSizeHint() const
{
    return sizeHint();
}

void HeadingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_look.paint(painter, contentsRect(), m_alignment);
}

void HeadingLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_look.font = font();
        changed();
    }
    QWidget::changeEvent(event);
}

} // namespace vorin
