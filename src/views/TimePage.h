#pragma once

#include "views/PageContext.h"

#include <QObject>

namespace vorin {

namespace chart {
class Chart;
}

// The "Time" tab: the counted files over the 48 half hours of the day of
// their last write, creation and last access, as three line curves. GUI
// thread.
class TimePage : public QObject
{
    Q_OBJECT

public:
    TimePage(QWidget *page, PageContext &context);

    void doFileTimes();

    chart::Chart *Chart4 = nullptr;

private:
    PageContext &m_context;
};

} // namespace vorin
