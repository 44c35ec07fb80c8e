#pragma once

#include "engine/ScanRun.h"
#include "views/Services.h"

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <string>
#include <thread>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPrinter;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QToolButton;

namespace vorin {

class HeadingLabel;
class MenuButton;
class Notebook;
class PickList;
class StringGrid;
class TiledPanel;
namespace chart {
class Chart;
}

// What the drive and file-type wizard answered when it closed with OK.
struct WizardResult
{
    std::vector<std::string> drives; // the selected drive entries, in list order
    bool allFiles = true;
    bool includeTypes = false;
    bool excludeTypes = false;
    std::vector<std::string> types; // the selected type entries
};

// The statistics window: ten result pages in a notebook above the command row
// and the status line, the "not yet collected" cover, and the statistics run.
//
// Lives on the GUI thread. A run is sequenced here drive by drive: the walk of
// one drive runs on one worker thread (which may fan out into the walk's own
// threads) while this thread stays live; progress is read from the walk's
// atomics on a 50 ms timer, and the pages are rebuilt on this thread between
// drives. Created once, hidden and shown on request; closing only hides it.
class TfrmStatistics : public QDialog, private RunHooks
{
    Q_OBJECT

public:
    explicit TfrmStatistics(Services &services, QWidget *parent = nullptr);
    ~TfrmStatistics() override;
    TfrmStatistics(const TfrmStatistics &) = delete;
    TfrmStatistics &operator=(const TfrmStatistics &) = delete;

    // True while one drive is being walked.
    [[nodiscard]] bool scanRunning() const;
    // Stops a running walk and waits for its thread; the drive's partial
    // counts are shown as after an abort. Safe to call at any time.
    void requestAbortAndWait();
    // Escape, "Close" or "Abort" asked the current run to stop.
    [[nodiscard]] bool abortRequested() const { return m_run && m_run->abortRequested(); }
    [[nodiscard]] bool statisticsCollected() const { return m_statisticsCollected; }
    // The results of the last run that started (empty before the first).
    [[nodiscard]] const Statistics &statistics() const;
    [[nodiscard]] QString currentDrive() const;
    [[nodiscard]] std::int32_t clusterSize() const;

    // --- seams, replaced by tests
    // Shows the drive and file-type wizard; nullopt when it was cancelled.
    std::function<std::optional<WizardResult>()> runWizard;
    // Asks for a printer; nullptr when the user cancelled.
    std::function<std::unique_ptr<QPrinter>()> choosePrinter;
    // Opens the chart print preview for one chart.
    std::function<void(chart::Chart &)> previewChart;
    // Told of every file counted, on the walking thread (see WalkObserver).
    WalkObserver *walkObserver = nullptr;
    // Lists the directories of a drive; nullptr takes the platform's reader.
    const DirectoryReader *directoryReader = nullptr;
    // The page builders called so far, in order, by name.
    [[nodiscard]] const QStringList &pageBuilderCalls() const { return m_builderCalls; }
    void clearPageBuilderCalls() { m_builderCalls.clear(); }

    // --- the palette of the pie and bar pages, entries 1 to 12
    void initAColors(bool usePalette, const QColor &color);
    [[nodiscard]] QColor aColor(int index) const
    {
        return aColors.at(static_cast<std::size_t>(index));
    }
    void changeBackgroundColor(const QColor &color);
    // The window's client area as it goes on paper: drawn on white, after
    // which the normal colours come back.
    [[nodiscard]] QImage printableWindowImage();

    // --- handlers
    void btOKClick();
    void btCancelClick();
    // Only touches atomics, so a walking thread may call it too.
    void btAbortClick();
    void btPrintClick();
    void OvcNotebook1PageChanged(int index);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Timer1Timer();
    void Timer2Timer();

    // --- page builders, called after each drive in this order
    void doOverHang();
    void doFileTypes();
    void doFileSizes();
    void doFileAttrs();
    void fillGridDates(StringGrid *grid, const QString &title,
                       const std::array<double, kAgeBuckets> &counts,
                       const std::array<double, kAgeBuckets> &bytes);
    void fillCombinedGridDates();
    void doFileTimes();
    void doFileAges();
    void SortbyExtensionClick(QAction *sender);
    void doDiskSize();

    // The drive list of the Space page; the main window's chart reads it.
    PickList *pckStatDrive = nullptr;

signals:
    // A run that got past its notice is over (done, aborted or stopped).
    void runFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    // RunHooks, called on this thread by the run's steps.
    void clearTypesTable() override;
    void setOverhangPageEnabled(bool enabled) override;
    void scanRunningChanged(bool running) override;
    void disenable(bool enabled) override;
    void setStatus(std::string_view text) override;
    void setCaption(std::string_view text) override;
    void refreshPages(bool withOverhang) override;
    void unreadableDirectories(std::int64_t count) override;
    void runEnded(bool statisticsCollected) override;

    void FormCreate();
    void buildWindow();
    void buildSpacePage(QWidget *page);
    void buildTypesPage(QWidget *page);
    void buildSizesPage(QWidget *page);
    void buildDatePage(QWidget *page, int which);
    void buildCombinedPage(QWidget *page);
    void buildTimePage(QWidget *page);
    [[nodiscard]] QToolButton *makeNoteButton(QWidget *page, const QString &name);
    [[nodiscard]] chart::Chart *makeChart(QWidget *page, const QString &name,
                                          const QRect &geometry);
    [[nodiscard]] StringGrid *makeListingGrid(QWidget *page, const QString &name, int columns,
                                              int rows, const QList<int> &widths);

    std::optional<WizardResult> showWhichDrive();
    std::unique_ptr<QPrinter> askPrinter();
    void showChartPreview(chart::Chart &chart);
    void printWindowImage();
    void printChartOrWindow(chart::Chart *chart);

    // The drive loop: starts the walk of the next ready drive on the worker,
    // or ends the run when none is left.
    void scanNextDrive();
    // Runs on this thread once the worker has finished a drive.
    void driveScanned(unsigned walk);
    // Waits for the walking thread and reports what it could not handle.
    void joinWorker();
    void showProgress();
    void showOverlay(bool shown);

    Services &m_services;
    std::unique_ptr<ScanRun> m_run;
    Statistics m_noStatistics;
    std::thread m_worker;
    std::exception_ptr m_walkError; // set by the worker, read after the join
    std::size_t m_nextDrive = 0;
    unsigned m_walkNumber = 0;
    bool m_statisticsCollected = false;
    bool m_timer1WasActive = false;
    bool m_busyCursor = false;
    QTimer *m_progressTimer = nullptr;
    QStringList m_builderCalls;
    std::array<QColor, 13> aColors{};

public:
    // --- controls, named as their objectName
    Notebook *OvcNotebook1 = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btPrint = nullptr;
    QPushButton *btCancel = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TiledPanel *pnlNotYet = nullptr;
    HeadingLabel *lblNotYet = nullptr;
    QPushButton *btAbort = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;

    // Space
    QLabel *lblTotal = nullptr;
    QLabel *lblFree = nullptr;
    QLabel *lblUsed = nullptr;
    QLabel *lblTot = nullptr;
    QLabel *lblPct = nullptr;
    QLabel *lblPct2 = nullptr;
    QRadioButton *rgSpace1 = nullptr;
    QRadioButton *rgSpace2 = nullptr;
    QCheckBox *cbTotal = nullptr;
    chart::Chart *chartSpaceBar = nullptr;
    // Types
    StringGrid *gridTypes = nullptr;
    chart::Chart *chartPie = nullptr;
    QGroupBox *rgTypes = nullptr;
    MenuButton *btSort = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *SortbyExtension = nullptr;
    QAction *SortbyType = nullptr;
    QAction *SortbySize = nullptr;
    QAction *SortbyNumFiles = nullptr;
    QAction *SortbyAverageFileSize1 = nullptr;
    // Sizes
    chart::Chart *Chart1 = nullptr;
    StringGrid *gridSizes = nullptr;
    std::array<QRadioButton *, 3> rgSize{};
    // Access, Created, Modified
    chart::Chart *chartAccess = nullptr;
    chart::Chart *chartCreate = nullptr;
    chart::Chart *chartModify = nullptr;
    StringGrid *gridAccess = nullptr;
    StringGrid *gridCreate = nullptr;
    StringGrid *gridModify = nullptr;
    std::array<QRadioButton *, 3> rgAccess{};
    std::array<QRadioButton *, 3> rgCreate{};
    std::array<QRadioButton *, 3> rgModify{};
    // Combined
    chart::Chart *chartCombine = nullptr;
    StringGrid *gridCombine = nullptr;
    QRadioButton *rgCombine0 = nullptr;
    QRadioButton *rbCombine1 = nullptr;
    QRadioButton *rbCombine2 = nullptr;
    // Time
    chart::Chart *Chart4 = nullptr;
    // Note buttons of the date pages
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;

    // The controls disenable switches, in its order.
    [[nodiscard]] QList<QWidget *> viewControls() const;
};

} // namespace vorin
