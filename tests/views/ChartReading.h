#pragma once

#include "chart/Chart.h"
#include "chart/ChartLayout.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

// What a page's chart shows, read back for the page tests.
namespace vorin::testing {

inline QList<double> valuesOf(const chart::ChartSeries &series)
{
    QList<double> values;
    for (const chart::ChartPoint &point : series.points())
        values << point.value;
    return values;
}

inline QString titleOf(const chart::Chart &chart)
{
    return chart.model().settings().titleLines.join(QLatin1Char('\n'));
}

// The texts of the marks the chart shows at its present size.
inline QStringList marksOf(const chart::Chart &chart)
{
    const chart::ChartLayout layout(chart.model(), QRectF(QPointF(0, 0), QSizeF(chart.size())));
    QStringList texts;
    for (const chart::MarkItem &mark : layout.geometry().marks)
        texts << mark.text;
    return texts;
}

} // namespace vorin::testing
