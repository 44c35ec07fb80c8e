#include "widgets/TiledPanel.h"

#include <cmath>
#include <cstdint>
#include <QImage>
#include <QPainter>

namespace vorin {

TiledPanel::TiledPanel(QWidget *parent) : QFrame(parent), m_tile(defaultTile())
{
    setBevel(Bevel::RaisedDouble);
}

void TiledPanel::setTile(const QPixmap &tile)
{
    m_tile = tile.isNull() ? defaultTile() : tile;
    update();
}

void TiledPanel::setBevel(Bevel bevel)
{
    m_bevel = bevel;
    const int widths[] = {0, 1, 1, 2};
    const int width = widths[static_cast<int>(bevel)];
    setContentsMargins(width, width, width, width);
    update();
}

QPixmap TiledPanel::defaultTile()
{
    static const QPixmap tile = [] {
        // Smooth periodic noise: a sum of sines whose periods divide the
        // tile, so the edges meet without a seam. A fixed hash keeps every
        // run identical.
        constexpr int kSize = 64;
        QImage image(kSize, kSize, QImage::Format_RGB32);
        const double k = 2.0 * M_PI / kSize;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const double v = std::sin(k * (x + 2.0 * std::sin(k * 2 * y))) +
                                 0.6 * std::sin(k * 3 * (y + 1.5 * std::sin(k * x))) +
                                 0.35 * std::sin(k * (2 * x + 3 * y));
                std::uint32_t hash = static_cast<std::uint32_t>(x * 73856093U) ^
                                     static_cast<std::uint32_t>(y * 19349663U);
                hash = (hash ^ (hash >> 13)) * 1274126177U;
                const int grain = static_cast<int>(hash >> 29) - 3; // -3 .. 4
                const int shade = static_cast<int>(std::lround(8.0 * v)) + grain;
                image.setPixel(x, y, qRgb(206 + shade, 212 + shade, 226 + shade));
            }
        }
        return QPixmap::fromImage(image);
    }();
    return tile;
}

void TiledPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(m_tile));
    const QPalette &colours = palette();
    const auto bevelRing = [&painter](QRect r, const QColor &topLeft, const QColor &bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    const QRect outer = rect();
    switch (m_bevel) {
    case Bevel::None:
        break;
    case Bevel::Raised:
        bevelRing(outer, colours.color(QPalette::Light), colours.color(QPalette::Dark));
        break;
    case Bevel::Lowered:
        bevelRing(outer, colours.color(QPalette::Dark), colours.color(QPalette::Light));
        break;
    case Bevel::RaisedDouble:
        bevelRing(outer, colours.color(QPalette::Light), colours.color(QPalette::Shadow));
        bevelRing(outer.adjusted(1, 1, -1, -1), colours.color(QPalette::Midlight),
                  colours.color(QPalette::Dark));
        break;
    }
}

} // namespace vorin
