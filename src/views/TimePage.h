#pragma once

#include "views/PageContext.h"

#include <QObject>

class QScrollBar;
class QToolButton;

namespace vorin {

namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Time" tab: the counted files over the 48 half hours of the day of
// their last write, creation and last access, as three line curves, with a
// scroll bar for the chart's depth and a note on what file times may mean.
// GUI thread.
class TimePage : public QObject
{
    Q_OBJECT

public:
    TimePage(QWidget *page, PageContext &context);

    // Refills the three curves from the run's time slots; the access curve
    // shows only when some access time was counted.
    void doFileTimes();
    // The chart's depth in percent follows the scroll bar.
    void sbTimeChange(int position);
    void SpeedButton5Click();

    chart::Chart *Chart4 = nullptr;
    chart::ChartSeries *Series10 = nullptr; // "Modified time"
    chart::ChartSeries *Series11 = nullptr; // "Created time"
    chart::ChartSeries *Series12 = nullptr; // "Access Time"
    QScrollBar *sbTime = nullptr;
    QToolButton *SpeedButton5 = nullptr;

private:
    PageContext &m_context;
};

} // namespace vorin
