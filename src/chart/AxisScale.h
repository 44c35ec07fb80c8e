#pragma once

#include "chart/ChartModel.h"

#include <vector>

namespace vorin::chart {

// The arithmetic of an axis's scale: steps of 1, 2 or 5 times a power of ten,
// the ticks on them, and the whole-step range round the data.

// The smallest of 1, 2, 5 or 10 times a power of ten that is not below
// rawStep; 1 for a step that is not a positive finite number.
[[nodiscard]] double niceStep(double rawStep);

// The multiples of step from range.minimum to range.maximum, at most 200;
// none for a step or range that is empty.
[[nodiscard]] std::vector<double> ticksFor(const AxisRange &range, double step);

// Widens a data range to whole steps for an automatic axis.
[[nodiscard]] AxisRange automaticRange(double low, double high, int wantedTicks, double &step);

} // namespace vorin::chart
