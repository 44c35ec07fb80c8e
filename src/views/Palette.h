#pragma once

#include <array>
#include <QColor>

namespace vorin {

// The twelve colours of the pie and bar pages, entries 1 to 12: row n of a
// chart takes entry n. A page loads the distinct colours before a coloured
// chart, or one colour into every entry to draw all bars alike. GUI thread.
class Palette
{
public:
    Palette() { initAColors(true, QColor()); }

    // usePalette: red, maroon, blue, yellow, green, lime, fuchsia, teal, navy,
    // aqua, white, gray; otherwise `color` in all twelve entries.
    void initAColors(bool usePalette, const QColor &color);
    [[nodiscard]] QColor operator[](int index) const
    {
        return m_colors.at(static_cast<std::size_t>(index));
    }

private:
    std::array<QColor, 13> m_colors{}; // entry 0 unused
};

} // namespace vorin
