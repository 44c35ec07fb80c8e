#include "chart/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace vorin::chart {

double niceStep(double rawStep)
{
    if (!(rawStep > 0.0) || !std::isfinite(rawStep)) {
        return 1.0;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(rawStep)));
    const double fraction = rawStep / magnitude;
    const double nice = fraction <= 1.0   ? 1.0
                        : fraction <= 2.0 ? 2.0
                        : fraction <= 5.0 ? 5.0
                                          : 10.0;
    return nice * magnitude;
}

std::vector<double> ticksFor(const AxisRange &range, double step)
{
    std::vector<double> ticks;
    if (!(step > 0.0) || range.maximum <= range.minimum) {
        return ticks;
    }
    const double first = std::ceil(range.minimum / step - 1e-9) * step;
    for (double v = first; v <= range.maximum + step * 1e-9 && ticks.size() < 200; v += step) {
        ticks.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    }
    return ticks;
}

AxisRange automaticRange(double low, double high, int wantedTicks, double &step)
{
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (high - low <= 0.0) {
        high = low + 1.0;
    }
    step = niceStep((high - low) / std::max(wantedTicks, 1));
    return AxisRange{std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step};
}

} // namespace vorin::chart
