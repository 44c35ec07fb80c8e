#pragma once

// Small helpers that the chart's layout and painting units share; not part of
// the chart's interface.

#include "chart/ChartModel.h"

#include <algorithm>
#include <numbers>
#include <QString>

namespace vorin::chart {

inline double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Degrees away from the plain front view: 360 and 0 are the front, 280 is 80
// degrees turned.
inline double turnFromFront(int degrees)
{
    int d = ((360 - degrees) % 360 + 360) % 360;
    if (d > 180) {
        d -= 360;
    }
    return d;
}

inline bool isBar(SeriesKind kind)
{
    return kind == SeriesKind::Bar || kind == SeriesKind::HorizontalBar;
}

// How many of a line series' points are drawn: all of them when the bottom
// axis is fixed or zoomed (the axis decides what shows), else the page's.
inline std::size_t shownLinePoints(const ChartModel &model, const ChartSeries &series)
{
    const ChartSettings &s = model.settings();
    const std::size_t count = series.points().size();
    if (s.pointsPerPage <= 0 || !s.bottomAxis.automatic || model.isZoomed()) {
        return count;
    }
    return std::min(count, static_cast<std::size_t>(s.pointsPerPage));
}

// The text of a bar's or slice's mark in the series' mark style; empty when
// the series shows no marks.
QString markText(const ChartSeries &series, double value, double sum, const QString &label,
                 const LocaleSeparators &separators);

} // namespace vorin::chart
