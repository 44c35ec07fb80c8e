#include "shell/AppIcon.h"

#include "widgets/PainterGuard.h"

#include <array>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vorin {

namespace {

// The figure is laid out on a 256-unit square.
constexpr double kUnits = 256.0;
constexpr double kBase = 212.0;
constexpr double kBarWidth = 46.0;
constexpr double kDepthX = 16.0;
constexpr double kDepthY = -14.0;

struct Bar
{
    double left;
    double used;
    double free;
};

constexpr std::array<Bar, 3> kBars{{{34.0, 92.0, 44.0}, {102.0, 52.0, 92.0}, {170.0, 120.0, 34.0}}};

const QColor kUsedFront(0, 0, 255);
const QColor kUsedSide(0, 0, 150);
const QColor kUsedTop(110, 110, 255);
const QColor kFreeFront(255, 0, 255);
const QColor kFreeSide(160, 0, 160);
const QColor kFreeTop(255, 140, 255);

// One block of a bar: the front face, the side face to the right and the top.
void paintBlock(QPainter &painter, double left, double bottom, double height, const QColor &front,
                const QColor &side, const QColor &top)
{
    const double right = left + kBarWidth;
    const double topY = bottom - height;
    painter.setBrush(front);
    painter.drawRect(QRectF(left, topY, kBarWidth, height));
    QPainterPath sideFace;
    sideFace.moveTo(right, bottom);
    sideFace.lineTo(right + kDepthX, bottom + kDepthY);
    sideFace.lineTo(right + kDepthX, topY + kDepthY);
    sideFace.lineTo(right, topY);
    sideFace.closeSubpath();
    painter.setBrush(side);
    painter.drawPath(sideFace);
    QPainterPath topFace;
    topFace.moveTo(left, topY);
    topFace.lineTo(left + kDepthX, topY + kDepthY);
    topFace.lineTo(right + kDepthX, topY + kDepthY);
    topFace.lineTo(right, topY);
    topFace.closeSubpath();
    painter.setBrush(top);
    painter.drawPath(topFace);
}

} // namespace

void paintAppIcon(QPainter &painter, const QRectF &area)
{
    const PainterGuard guard(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(area.topLeft());
    painter.scale(area.width() / kUnits, area.height() / kUnits);

    QLinearGradient ground(0, kUnits, 0, 0);
    ground.setColorAt(0.0, Qt::black);
    ground.setColorAt(1.0, QColor(0, 0, 200));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ground);
    painter.drawRoundedRect(QRectF(8, 8, kUnits - 16, kUnits - 16), 28, 28);

    // The floor the bars stand on.
    QPainterPath floor;
    floor.moveTo(24, 218);
    floor.lineTo(216, 218);
    floor.lineTo(240, 196);
    floor.lineTo(48, 196);
    floor.closeSubpath();
    painter.setBrush(QColor(128, 128, 255));
    painter.drawPath(floor);

    painter.setPen(QPen(QColor(0, 0, 60), 1.5));
    for (const Bar &bar : kBars) {
        paintBlock(painter, bar.left, kBase, bar.used, kUsedFront, kUsedSide, kUsedTop);
        paintBlock(painter, bar.left, kBase - bar.used, bar.free, kFreeFront, kFreeSide, kFreeTop);
    }
}

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintAppIcon(painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

} // namespace vorin
