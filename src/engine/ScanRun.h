#pragma once

#include "engine/FigureListing.h"
#include "engine/Statistics.h"
#include "engine/Walk.h"
#include "selection/TypeFilter.h"
#include "support/LocaleSeparators.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class DirectoryReader;
struct ReportFile;
class ScanHistory;
class UtcOffsetSource;
class Volumes;

// What a run asks of the statistics window (or of the report tool, which
// leaves most of it empty). Each call comes on the thread that called the step
// of ScanRun that makes it; none comes from scanDrive().
class RunHooks
{
public:
    virtual ~RunHooks() = default;
    // The accumulators were cleared: empty the types table.
    virtual void clearTypesTable() {}
    // Page 3, "Overhang", is usable only in a run over one drive.
    virtual void setOverhangPageEnabled(bool /*enabled*/) {}
    // A drive's scan starts (true): show "Collecting statistics ... standby.
    // Press Esc or click Abort to stop." and the Abort button, stop the pie
    // animation. It ended (false): give the animation its state back.
    virtual void scanRunningChanged(bool /*running*/) {}
    // The view controls and the busy pointer (false while a drive is scanned).
    virtual void disenable(bool /*enabled*/) {}
    virtual void setStatus(std::string_view /*text*/) {}
    virtual void setCaption(std::string_view /*text*/) {}
    // Every page rebuilds itself from the accumulators, in the fixed order;
    // the Overhang page only when withOverhang (one-drive runs).
    virtual void refreshPages(bool /*withOverhang*/) {}
    // Directories of the run so far that could not be read (only when some were).
    virtual void unreadableDirectories(std::int64_t /*count*/) {}
    // The run is over; the "not yet" cover stays up unless a drive was scanned.
    virtual void runEnded(bool /*statisticsCollected*/) {}
    // A drive's scan could not be kept in the history: why, as one sentence.
    virtual void historyNotKept(std::string_view /*message*/) {}
};

struct RunOptions
{
    int threads = 0; // walking threads; 0: as suits each drive's storage (Volumes::walkThreads)
    const UtcOffsetSource *zone = nullptr;   // nullptr: the system's time zone
    std::optional<std::int64_t> today;       // local day number; default: today
    std::optional<LocaleSeparators> locale;  // default: the user's locale
    const DirectoryReader *reader = nullptr; // nullptr: the platform's reader
    WalkObserver *observer = nullptr;
    // Set from outside, e.g. by a signal handler: stops the run as
    // requestAbort() does, checked by the walk itself.
    const std::atomic<bool> *interrupt = nullptr;
    // The largest files kept per figure (0 keeps none): what the file lists
    // behind the figures show without walking again.
    std::size_t keepPerFigure = 0;
    // Where each drive's complete scan is kept; nullptr keeps none.
    ScanHistory *history = nullptr;
};

// One statistics run over the drives chosen in the wizard: the capacity check,
// the notice, the drive loop with its caption and status texts, and the walk
// of each drive. The window drives it step by step so that the walk runs on a
// worker thread while its own thread stays live:
//
//     if (run.begin(drives, filter))                       // UI thread
//         for (i = 0; i < run.driveCount(); ++i) {
//             step = run.prepareDrive(i);                  // UI thread
//             if (step == DriveStep::Stop) break;
//             if (step == DriveStep::Skip) continue;
//             run.scanDrive();                             // worker thread, blocking
//             run.finishDrive();                           // UI thread, after the worker
//         }
//     run.end();                                           // UI thread
//
// While scanDrive() runs, the UI thread reads progress() on a timer (the file
// count and progress().statusText() for the status line) and calls
// requestAbort() for Escape, "Close" and "Abort". The walk fills a record of
// its own that finishDrive() merges, so statistics() keeps the totals of the
// drives before and the pages may repaint from it meanwhile. A Qt window
// runs scanDrive() through QtConcurrent::run or a std::thread and calls
// finishDrive() from the slot that learns the worker has finished.
// run() does all of it on the calling thread, for the report tool.
// The status line of a finished run: "Finished - 1,234 files processed",
// with the files found when a filter counted fewer, and the abort.
[[nodiscard]] std::string finishedStatus(const Statistics &stats, const LocaleSeparators &locale,
                                         bool aborted);

class ScanRun
{
public:
    enum class DriveStep { Scan, Skip, Stop };

    ScanRun(const Volumes &volumes, RunHooks &hooks, RunOptions options = {});
    ~ScanRun();
    ScanRun(const ScanRun &) = delete;
    ScanRun &operator=(const ScanRun &) = delete;

    // The part of btOKClick after the wizard: drives is PickList1, in list
    // order. False when the run ends here: no drive, or no capacity (then an
    // error box says so and nothing is cleared). Otherwise shows the notice,
    // clears the accumulators and sets the Overhang page.
    [[nodiscard]] bool begin(std::vector<std::string> drives, TypeFilter filter);
    [[nodiscard]] std::size_t driveCount() const { return m_drives.size(); }
    [[nodiscard]] DriveStep prepareDrive(std::size_t index);
    void scanDrive();
    void finishDrive();
    void end();

    // begin, every drive, end.
    void run(std::vector<std::string> drives, TypeFilter filter);

    // Shows the figures of a report (named `name`, its file) as if its drives
    // had just been scanned: the pages are filled and the run ends. No file
    // is kept behind the figures: they were counted elsewhere.
    void showReport(const ReportFile &report, std::string_view name);
    [[nodiscard]] bool fromReport() const { return m_fromReport; }

    // btAbortClick and btCancelClick during a scan; safe from any thread and
    // from a signal handler (the flag is lock-free).
    void requestAbort() { m_abortRequested.store(true); }
    [[nodiscard]] std::atomic<bool> &abortFlag() { return m_abortRequested; }
    [[nodiscard]] bool abortRequested() const
    {
        return m_abortRequested.load() || (m_options.interrupt && m_options.interrupt->load());
    }
    [[nodiscard]] bool scanRunning() const { return m_scanRunning.load(); }

    [[nodiscard]] const WalkProgress &progress() const { return m_progress; }
    [[nodiscard]] const Statistics &statistics() const { return m_stats; }
    [[nodiscard]] const std::vector<std::string> &drives() const { return m_drives; }
    [[nodiscard]] const TypeFilter &filter() const { return m_filter; }
    [[nodiscard]] const std::string &currentDrive() const { return m_currentDrive; }
    // The root of the drive prepared last, and what its walk counts by (the
    // filter, zone, day, overhang and cluster size); the context points into
    // the run, which must outlive it.
    [[nodiscard]] const std::string &root() const { return m_root; }
    [[nodiscard]] CrunchContext crunchContext() const;
    [[nodiscard]] std::int32_t clusterSize() const { return m_clusterSize; }
    // The threads walking the drive being scanned (or the last one scanned):
    // the run's own count, or else the drive's choice.
    [[nodiscard]] int walkThreads() const { return m_walkThreads; }
    [[nodiscard]] double selectedCapacity() const { return m_selectedCapacity; }
    [[nodiscard]] bool statisticsCollected() const { return m_statisticsCollected; }
    [[nodiscard]] std::int64_t unreadableDirectories() const { return m_unreadable; }
    // Names of files already counted under another name (hard links), over
    // the drives of the run so far; they count in no figure.
    [[nodiscard]] std::int64_t hardLinksSkipped() const { return m_hardLinksSkipped; }
    [[nodiscard]] const std::string &caption() const { return m_caption; }
    [[nodiscard]] const std::string &status() const { return m_status; }

    // The total bytes of the ready drives of the run (0 when none is ready).
    [[nodiscard]] double computePickListTotal() const;

    // The largest files of every figure over the drives of the run so far.
    [[nodiscard]] const FigureFiles &keptFiles() const { return m_kept; }
    // How the run counted, for a walk that lists every file of a figure.
    [[nodiscard]] ScanRecipe recipe() const;
    // Takes a file of the run (gone to the trash) out of every figure and
    // every kept list, as it was counted.
    void takeAway(const KeptFile &file);

private:
    class ClearHooks;

    void keepInHistory();
    // The figures are there: the status line, the controls back, the
    // unreadable directories told.
    void showCollected(std::string status);

    void setStatus(std::string text);
    void setCaption(std::string text);

    const Volumes &m_volumes;
    RunHooks &m_hooks;
    RunOptions m_options;
    std::unique_ptr<DirectoryReader> m_ownReader;
    std::unique_ptr<UtcOffsetSource> m_ownZone;
    LocaleSeparators m_locale;

    std::vector<std::string> m_drives;
    TypeFilter m_filter;
    Statistics m_stats;
    WalkProgress m_progress;
    std::atomic<bool> m_abortRequested{false};
    std::atomic<bool> m_scanRunning{false};
    bool m_statisticsCollected = false;
    bool m_fromReport = false;
    double m_selectedCapacity = 0;
    std::int64_t m_today = 0;
    std::int64_t m_runStarted = 0; // seconds since 1970: the run of each kept scan
    std::string m_letters;
    std::string m_currentDrive;
    std::int32_t m_clusterSize = 0;
    int m_walkThreads = 0;
    std::string m_caption;
    std::string m_status;
    std::int64_t m_unreadable = 0;
    std::int64_t m_hardLinksSkipped = 0;
    // Files of several names met in the run: a file linked from one drive of
    // the run into another counts once.
    LinkedFiles m_linkedFiles;

    FigureFiles m_kept;

    // The drive being scanned, handed from prepareDrive to scanDrive to finishDrive.
    std::string m_root;
    Statistics m_driveStats;
    FigureFiles m_driveKept;
    WalkResult m_walk;
};

} // namespace vorin
