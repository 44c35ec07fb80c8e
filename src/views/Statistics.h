#pragma once

#include "engine/ScanRun.h"
#include "views/PageContext.h"
#include "views/Palette.h"
#include "views/Services.h"

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

class QPrinter;
class QPushButton;
class QStatusBar;
class QTimer;

namespace vorin {

class AttributePage;
class FileLists;
class DatePages;
class HeadingLabel;
class HistoryPage;
class Notebook;
class OverhangPage;
class PickList;
class ScanComparison;
class SizesPage;
class SpacePage;
class TiledPanel;
class TimePage;
class TypesPage;
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

// The statistics window: the frame around ten result pages. It holds the
// notebook, the command row and the status line, the "not yet collected"
// cover, the palette, the two animation timers, printing, and the statistics
// run; each page is a unit of its own that builds its controls and reads the
// run's figures (SpacePage, TypesPage, SizesPage, OverhangPage, DatePages,
// AttributePage, TimePage).
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

    // Fills every page from a JSON report of vorin-report, as after a scan
    // of its drives ("Statistics from" its file); the Space page shows the
    // report's drives as they were. A file that is no report this program
    // reads gets one error box and changes nothing; so does a scan under way.
    // True when the report is shown.
    bool openReport(const QString &path);

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
    // The lists of the files behind the figures (their actions: setActions).
    FileLists *fileLists = nullptr;
    // The page builders called so far, in order, by name.
    [[nodiscard]] const QStringList &pageBuilderCalls() const { return m_builderCalls; }
    void clearPageBuilderCalls() { m_builderCalls.clear(); }

    // --- the palette of the pie and bar pages, entries 1 to 12
    void initAColors(bool usePalette, const QColor &color)
    {
        aColors.initAColors(usePalette, color);
    }
    [[nodiscard]] QColor aColor(int index) const { return aColors[index]; }
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
    void Timer1Timer();
    void Timer2Timer();

    // The controls disenable switches, in its order.
    [[nodiscard]] QList<QWidget *> viewControls() const;

    // --- the frame's controls, named as their objectName
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

    // --- the result pages, one unit per tab or group of tabs, in tab order
    SpacePage *spacePage = nullptr;
    TypesPage *typesPage = nullptr;
    SizesPage *sizesPage = nullptr;
    OverhangPage *overhangPage = nullptr;
    DatePages *datePages = nullptr; // Access, Created, Modified, Combined
    AttributePage *attributePage = nullptr;
    TimePage *timePage = nullptr;
    HistoryPage *historyPage = nullptr;
    // The Space page's drive list; the main window's chart reads it.
    PickList *pckStatDrive = nullptr;
    // "Compare with": an earlier scan of the run's drives the pages compare with.
    ScanComparison *comparison = nullptr;

signals:
    // A run that got past its notice is over (done, aborted or stopped).
    void runFinished();

protected:
    // A JSON report dropped on the window is opened.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    // Tab passes by the controls the cover hides.
    bool focusNextPrevChild(bool next) override;

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
    void historyNotKept(std::string_view message) override;

    void FormCreate();
    // The machine's drives in the Space page's list, the usual ones ticked.
    void fillMachineDrives();
    void buildWindow();
    void buildPages();

    std::optional<WizardResult> showWhichDrive();
    std::unique_ptr<QPrinter> askPrinter();
    void showChartPreview(chart::Chart &chart);
    void printWindowImage();
    void printChartOrWindow(chart::Chart *chart);
    // Files of the run went to the trash from a list: the pages drop them.
    void filesTrashed(std::size_t moved);

    // The drive loop: starts the walk of the next ready drive on the worker,
    // or ends the run when none is left.
    void scanNextDrive();
    // Runs on this thread once the worker has finished a drive.
    void driveScanned(unsigned walk);
    // Waits for the walking thread and reports what it could not handle.
    void joinWorker();
    void showProgress();
    void showOverlay(bool shown);
    // Whether the cover is up and hides the whole of w.
    [[nodiscard]] bool coveredByOverlay(const QWidget *w) const;
    // The comparison was chosen or dropped: the pages and the status line follow.
    void comparisonChanged();

    Services &m_services;
    std::unique_ptr<ScanRun> m_run;
    Statistics m_noStatistics;
    TypeFilter m_noFilter;
    std::thread m_worker;
    std::exception_ptr m_walkError; // set by the worker, read after the join
    std::size_t m_nextDrive = 0;
    unsigned m_walkNumber = 0;
    bool m_statisticsCollected = false;
    bool m_timer1WasActive = false;
    bool m_busyCursor = false;
    // Keeps a pie rotation tick from running inside another.
    bool m_pieTimerBusy = false;
    QTimer *m_progressTimer = nullptr;
    QStringList m_builderCalls;
    Palette aColors;
    std::unique_ptr<PageContext> m_pageContext;
    // When the current run began (seconds since 1970), and why a scan of it
    // could not be kept.
    std::int64_t m_runStarted = 0;
    QString m_historyProblem;
};

} // namespace vorin
