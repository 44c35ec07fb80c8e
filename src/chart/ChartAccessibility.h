#pragma once

#include <QString>
#include <vector>

namespace vorin::chart {

class Chart;
class ChartModel;

// One bar, slice or line point as a screen reader reads it: a row of the
// chart's data table. A pie's small slices are read as the one slice
// "Other" they are drawn as (point -1).
struct ChartDataRow
{
    int series = 0;
    int point = -1;
    QString label;
    QString value; // in the series' mask, with its unit
    QString share; // of the series' total, in its percent mask
    double amount = 0.0;
};

// The rows of every active series that has points, series after series.
[[nodiscard]] std::vector<ChartDataRow> chartDataRows(const ChartModel &model);

// What a chart shows in one sentence: its title, then per series how many
// bars, slices or points it has and the largest, e.g. "File Sizes in MB:
// 12 bars, largest Over 16MB 3,088 MB (99 %)".
[[nodiscard]] QString chartSummary(const ChartModel &model);

// Makes every Chart readable by screen readers: a chart named by its title,
// described by its summary, whose data is a table of label, value and share
// that a screen reader can walk row by row. Installs the widget set's
// interfaces too. Call once at start; calling again does nothing.
void installChartAccessibility();

namespace accessibility {
// Tells a listening screen reader that the chart's figures or its current
// point changed.
void chartChanged(Chart &chart);
void chartCurrentChanged(Chart &chart);
} // namespace accessibility

} // namespace vorin::chart
