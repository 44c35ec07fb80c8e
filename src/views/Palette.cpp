#include "views/Palette.h"

namespace vorin {

void Palette::initAColors(bool usePalette, const QColor &color)
{
    if (!usePalette) {
        for (std::size_t i = 1; i < m_colors.size(); ++i)
            m_colors[i] = color;
        return;
    }
    m_colors = {QColor(),
                QColor(255, 0, 0),
                QColor(128, 0, 0),
                QColor(0, 0, 255),
                QColor(255, 255, 0),
                QColor(0, 128, 0),
                QColor(0, 255, 0),
                QColor(255, 0, 255),
                QColor(0, 128, 128),
                QColor(0, 0, 128),
                QColor(0, 255, 255),
                QColor(255, 255, 255),
                QColor(128, 128, 128)};
}

} // namespace vorin
