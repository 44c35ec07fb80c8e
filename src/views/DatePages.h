#pragma once

#include "engine/Statistics.h"
#include "views/PageContext.h"

#include <array>
#include <QObject>
#include <QString>

class QColor;
class QRadioButton;
class QToolButton;

namespace vorin {

class StringGrid;
class TableExport;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The "Access", "Created", "Modified" and "Combined" tabs: the counted files
// by the age of each of their three dates, as horizontal bars by megabytes
// or by file count, or as read-only tables; "Combined" sets the three dates
// side by side. One unit because the four charts are always rebuilt
// together. GUI thread.
class DatePages : public QObject
{
    Q_OBJECT

public:
    // pages: the Access, Created, Modified and Combined tab pages.
    DatePages(const std::array<QWidget *, 4> &pages, PageContext &context);

    // One date's ages of an earlier scan, for the change columns.
    struct AgeTable
    {
        const std::array<double, kAgeBuckets> &counts;
        const std::array<double, kAgeBuckets> &bytes;
    };
    // One date's table; with `earlier`, its change since then.
    void fillGridDates(StringGrid *grid, const QString &title,
                       const std::array<double, kAgeBuckets> &counts,
                       const std::array<double, kAgeBuckets> &bytes,
                       const AgeTable *earlier = nullptr);
    void fillCombinedGridDates();
    // Rebuilds the four charts, each by its own page's choice of megabytes
    // or number of files.
    void doFileAges();
    // The earlier scan's bars of one date on the Combined chart; nullptr
    // takes them away.
    void showEarlierCombined(const chart::ChartSeries &now,
                             const std::array<double, kAgeBuckets> *then, bool inMegabytes);
    // Empties the series and adds one bar per age bucket, "Not recorded"
    // first (the lowest bar), in MB or in files, which becomes its unit. An
    // invalid colour gives the bars the palette's distinct colours; a valid
    // one draws every bar in it.
    void fillAgeSeries(chart::ChartSeries &series, const std::array<double, kAgeBuckets> &values,
                       bool inMegabytes, const QColor &colour);
    // Any of the twelve view buttons: the page shown gets its table for
    // "Listing"; a chart view rebuilds all four charts.
    void rgAccessClick();

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

    chart::Chart *chartAccess = nullptr;
    chart::Chart *chartCreate = nullptr;
    chart::Chart *chartModify = nullptr;
    StringGrid *gridAccess = nullptr;
    StringGrid *gridCreate = nullptr;
    StringGrid *gridModify = nullptr;
    std::array<QRadioButton *, 3> rgAccess{};
    std::array<QRadioButton *, 3> rgCreate{};
    std::array<QRadioButton *, 3> rgModify{};
    chart::ChartSeries *HorizBarSeries1 = nullptr; // these six belong to their charts' models
    chart::ChartSeries *HorizBarSeries2 = nullptr;
    chart::ChartSeries *HorizBarSeries3 = nullptr;
    chart::ChartSeries *Series6 = nullptr; // "Accessed"
    chart::ChartSeries *Series7 = nullptr; // "Created"
    chart::ChartSeries *Series8 = nullptr; // "Modified"
    chart::Chart *chartCombine = nullptr;
    StringGrid *gridCombine = nullptr;
    QRadioButton *rgCombine0 = nullptr;
    QRadioButton *rbCombine1 = nullptr;
    QRadioButton *rbCombine2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    // Copy and CSV of the four tables.
    TableExport *accessTable = nullptr;
    TableExport *createTable = nullptr;
    TableExport *modifyTable = nullptr;
    TableExport *combineTable = nullptr;

private:
    // Rows and bars lead to the files of their buckets.
    void linkAgesToFiles();

    PageContext &m_context;
    std::array<QWidget *, 4> m_pages;
};

} // namespace vorin
