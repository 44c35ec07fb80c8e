#pragma once

#include "views/PageContext.h"

#include <array>
#include <QObject>

class QRadioButton;

namespace vorin {

class StringGrid;
class TableExport;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Sizes" tab: the counted files over twelve size bands, largest band
// at the top, as a horizontal bar chart by megabytes or by file count, or as
// a read-only table. The chart is rebuilt from the run's figures whenever a
// chart view is chosen; the table only after a drive is scanned. GUI thread.
class SizesPage : public QObject
{
    Q_OBJECT

public:
    SizesPage(QWidget *page, PageContext &context);

    // After each scanned drive: fills the table and shows the chosen view.
    void doFileSizes();
    void fillGridSizes();
    // Shows the table for "Listing", else rebuilds the chart by megabytes or
    // by number of files.
    void rgSizesClick();

    chart::Chart *Chart1 = nullptr;
    chart::ChartSeries *Series1 = nullptr; // belongs to Chart1's model
    StringGrid *gridSizes = nullptr;
    TableExport *sizesTable = nullptr; // copy and CSV of gridSizes
    std::array<QRadioButton *, 3> rgSize{};

private:
    PageContext &m_context;
};

} // namespace vorin
