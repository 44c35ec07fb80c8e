#pragma once

#include "engine/report/ReportFile.h"
#include "platform/Volumes.h"
#include "support/LocaleSeparators.h"
#include "views/PageContext.h"

#include <array>
#include <map>
#include <optional>
#include <QObject>
#include <QString>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QRadioButton;
class QScrollBar;

namespace vorin {

class PickList;
class SpaceTotal;
namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// The share of a drive that is free, in percent with one decimal as the pie
// titles show it: written with two decimals and the last digit dropped, so
// 45.38 reads "45.3". A drive of no bytes has nothing free: "0.0".
[[nodiscard]] QString freePercentText(double freeBytes, double totalBytes,
                                      const LocaleSeparators &locale);

// The "Space" tab: capacity, free and used space of the drives chosen in its
// drive list, as stacked bars per drive with a total pair, or as one pie per
// ready drive with a total pie. Needs no scan: it asks the drives afresh
// whenever it is shown or the choice changes, so each recomputation costs one
// readiness and one space query per drive. Also owns the steps of the
// window's two animations (the bar depth and the turning pies); the window's
// timers call them. GUI thread.
class SpacePage : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSmallPies = 11;

    SpacePage(QWidget *page, PageContext &context);

    // Recomputes the figures and bars of the drives now selected and shows
    // the chosen view.
    void doDiskSize();
    // Shows the bar view or the pie view, as the radio buttons say.
    void rgSpaceClick();
    // Fills a pie for each of the first eleven ready drives of the list,
    // selected or not, and the total pie over them.
    void doPieCharts();

    // --- handlers
    void pckStatDriveClick();
    // The drives of a report instead of the machine's: the list shows them,
    // every one ticked, and their space is what the report says it was.
    // Empty gives the page back to the machine's drives (the caller fills
    // the list again).
    void showReportDrives(const std::vector<ReportDrive> &drives);
    void SelectAll1Click();
    void DeselectAll1Click();
    void cbTotalClick();
    // Click on any pie: starts or stops the rotation; a stopped rotation can
    // be turned by hand with the scroll bar.
    void pieTotalClick();
    // The scroll bar turns every pie shown to its position.
    void ScrollBar1Change();

    // One tick of the pie rotation; the window calls it while this page is shown.
    void turnPies();
    // One tick of the bar depth animation; false once the depth has reached
    // its target and the timer should stop.
    [[nodiscard]] bool growBarDepth();

    // Drives measured by the last doDiskSize (selected and ready).
    [[nodiscard]] int measuredDrives() const { return m_measuredDrives; }
    // The free space of each bar (fuchsia, on top) and the used space below it (blue).
    [[nodiscard]] chart::ChartSeries &Series4() const;
    [[nodiscard]] chart::ChartSeries &Series5() const;
    // pie1 to pie11.
    [[nodiscard]] chart::Chart *pie(int number) const;

    // --- the page's controls, named as their objectName
    QFrame *Panel4 = nullptr;
    // The drive list; the main window's chart reads it too.
    PickList *pckStatDrive = nullptr;
    QMenu *popSel = nullptr;
    QAction *SelectAll1 = nullptr;
    QAction *DeselectAll1 = nullptr;
    QLabel *lblTotalC = nullptr;
    QLabel *lblFreeC = nullptr;
    QLabel *label26 = nullptr;
    QLabel *lblTotal = nullptr;
    QLabel *lblFree = nullptr;
    QLabel *lblUsed = nullptr;
    QLabel *lblTot = nullptr;
    QLabel *lblPct = nullptr;
    QLabel *lblPct2 = nullptr;
    QFrame *Panel1 = nullptr; // fuchsia key of "Free Space:"
    QFrame *Panel2 = nullptr; // blue key of "Used Space:"
    chart::Chart *chartSpaceBar = nullptr;
    QRadioButton *rgSpace1 = nullptr; // "Pie - percent"
    QRadioButton *rgSpace2 = nullptr; // "Bar - totals"
    QCheckBox *cbTotal = nullptr;
    QFrame *pnlPie = nullptr;
    chart::Chart *pieTotal = nullptr;
    QScrollBar *ScrollBar3 = nullptr;

private:
    void buildFigures(QWidget *page);
    void buildBarChart(QWidget *page);
    void buildPiePanel(QWidget *page);
    struct Measured
    {
        char letter;
        DiskSpace space;
        bool reported = false; // measured where a report was made
    };
    // The letter and space of the list's row whose drive answers; nothing
    // otherwise. Within one recomputation each drive is asked once, so the
    // pies of the pie view ask no drive the bars have asked already.
    [[nodiscard]] std::optional<Measured> measure(int row);
    // Adds a measured drive to the sums as where it was measured says.
    static void addTo(SpaceTotal &sums, const Measured &drive);
    void showFigures(bool shown);

    PageContext &m_context;
    std::array<chart::Chart *, kSmallPies> m_pies{};
    int m_measuredDrives = 0;
    // The answers of the recomputation under way; none between them.
    std::optional<std::map<char, std::optional<Measured>>> m_answers;
    // A report's drives, row by row, while the page shows a report: two
    // machines' reports added up may name two drives alike.
    std::vector<DiskSpace> m_reportSpace;
    // Keeps a click on the drive list from starting a recomputation while
    // one is under way.
    bool driveClickBusy = false;
};

} // namespace vorin
