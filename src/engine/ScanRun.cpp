#include "engine/ScanRun.h"

#include "engine/Drives.h"
#include "engine/History.h"
#include "engine/report/ReportFile.h"
#include "platform/DirectoryReader.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Messages.h"
#include "platform/TimeZone.h"
#include "platform/Volumes.h"
#include "support/Utility.h"

#include <ctime>
#include <utility>

namespace vorin {

namespace {

constexpr std::string_view kNoCapacity = "Could not compute the total size of the disk drives "
                                         "selected.  Cannot proceed with statistics.";
constexpr std::string_view kSeveralDrives =
    "Since you selected more than one drive to analyze, the Cluster Overhang tab will be "
    "disabled.  You may quit the analysis at any time by clicking CANCEL or by pressing ESC.";
constexpr std::string_view kAbortedCaption = "File Statistics for drive(s) incomplete ... aborted.";

char firstCharacter(std::string_view entry)
{
    if (entry.empty())
        throw InvalidDriveError();
    return entry.front();
}

} // namespace

// Lets clearVariables empty the window's types table through the run's hooks.
class ScanRun::ClearHooks final : public StatisticsHooks
{
public:
    explicit ClearHooks(RunHooks &hooks) : m_hooks(hooks) {}
    void showProgress(std::string_view, std::string_view) override {}
    void clearTypesTable() override { m_hooks.clearTypesTable(); }

private:
    RunHooks &m_hooks;
};

ScanRun::ScanRun(const Volumes &volumes, RunHooks &hooks, RunOptions options)
    : m_volumes(volumes), m_hooks(hooks), m_options(options),
      m_kept(KeepOptions{options.keepPerFigure, std::nullopt}), m_driveKept(m_kept.emptyLike())
{
    if (!m_options.reader) {
        m_ownReader = makeDirectoryReader();
        m_options.reader = m_ownReader.get();
    }
    if (!m_options.zone) {
        m_ownZone = std::make_unique<SystemTimeZone>();
        m_options.zone = m_ownZone.get();
    }
    m_locale = m_options.locale ? *m_options.locale : systemLocaleSeparators();
}

ScanRun::~ScanRun() = default;

double ScanRun::computePickListTotal() const
{
    double total = 0;
    for (const std::string &entry : m_drives) {
        const char letter = firstCharacter(entry);
        if (driveReady(m_volumes, letter))
            total += getDiskSpace(m_volumes, letter).totalBytes;
    }
    return total;
}

bool ScanRun::begin(std::vector<std::string> drives, TypeFilter filter)
{
    m_runStarted = static_cast<std::int64_t>(std::time(nullptr));
    m_drives = std::move(drives);
    m_filter = std::move(filter);
    if (m_drives.empty())
        return false;
    m_selectedCapacity = computePickListTotal();
    if (!(m_selectedCapacity > 0)) {
        showError(kNoCapacity);
        return false;
    }
    m_abortRequested.store(false);
    m_letters.clear();

    // The window shows the notice modally; the accumulators are cleared only
    // after the user has read it, so the pages keep the last run until then.
    if (m_drives.size() == 1)
        showInfo("Disk Drive " + m_drives.front() +
                 " will be scanned.  The analysis may take some time.  You may quit at any "
                 "time by clicking Abort or pressing ESC.");
    else
        showInfo(kSeveralDrives);

    ClearHooks clear(m_hooks);
    clearVariables(m_stats, &clear);
    m_progress.reset();
    m_unreadable = 0;
    m_hardLinksSkipped = 0;
    m_linkedFiles.clear();
    m_kept.clear();
    m_today = m_options.today ? *m_options.today : localToday();
    m_hooks.setOverhangPageEnabled(m_drives.size() == 1);
    return true;
}

ScanRun::DriveStep ScanRun::prepareDrive(std::size_t index)
{
    if (abortRequested())
        return DriveStep::Stop;
    m_currentDrive = m_drives.at(index);
    const char letter = firstCharacter(m_currentDrive);
    m_letters += letter;
    m_letters += ": ";
    if (!driveReady(m_volumes, letter))
        return DriveStep::Skip;
    m_clusterSize = computeClusterSize(m_volumes, m_currentDrive);

    m_scanRunning.store(true);
    m_hooks.scanRunningChanged(true);
    setStatus(std::string());
    m_hooks.disenable(false);

    // Everything the walk needs from the drive table is taken here, on the
    // window's thread: a network drive's query may block, and the table is
    // not made for several threads.
    const std::optional<Volume> volume = m_volumes.find(asciiLower(letter));
    m_root = volume ? volume->root : std::string();
    m_walkThreads =
        m_options.threads > 0 ? m_options.threads : m_volumes.walkThreads(asciiLower(letter));
    m_driveStats = Statistics{};
    m_driveKept.clear();
    m_walk = WalkResult{};
    // The status line shows no directory of the drive before.
    m_progress.clearText();
    return DriveStep::Scan;
}

CrunchContext ScanRun::crunchContext() const
{
    CrunchContext context;
    // No filter to ask when every file counts: one look fewer per file.
    context.filter = m_filter.allFiles() ? nullptr : &m_filter;
    context.zone = m_options.zone;
    context.today = m_today;
    context.overhangEnabled = m_drives.size() == 1;
    context.currentDrive = m_currentDrive;
    context.clusterSize = m_clusterSize;
    return context;
}

void ScanRun::scanDrive()
{
    if (m_root.empty())
        return;
    const CrunchContext context = crunchContext();
    WalkOptions walk;
    if (m_options.keepPerFigure > 0)
        walk.keep = &m_driveKept;
    walk.threads = m_walkThreads;
    walk.observer = m_options.observer;
    walk.linkedFiles = &m_linkedFiles;
    walk.interrupt = m_options.interrupt;
    m_walk = walkTree(*m_options.reader, m_root, context, m_driveStats, m_progress,
                      m_abortRequested, walk);
}

// The drive's figures as a scan of its own, under its root and file system
// rather than its letter, which another run may give another drive.
void ScanRun::keepInHistory()
{
    KeptScan scan;
    scan.takenAt = static_cast<std::int64_t>(std::time(nullptr));
    scan.run = m_runStarted;
    scan.drive = m_currentDrive;
    scan.place = m_root;
    scan.identity = fileSystemIdentity(m_root);
    scan.filter = filterText(m_filter);
    const DiskSpace space = m_volumes.space(asciiLower(firstCharacter(m_currentDrive)));
    scan.capacity = space.totalBytes;
    scan.freeSpace = space.freeBytes;
    scan.files = m_driveStats.filesProcessed;
    for (int band = 1; band <= kSizeBands; ++band)
        scan.bytes += m_driveStats.sizeBandBytes[std::size_t(band)];
    try {
        m_options.history->keep(scan, historyFigures(m_driveStats));
    } catch (const HistoryError &e) {
        m_hooks.historyNotKept(e.what());
    }
}

void ScanRun::finishDrive()
{
    // An error box without the error sound: the run goes on with the next
    // drive, and the pages show what the others gave.
    if (!m_walk.rootOpened)
        showSilentError("Can't open drive " + m_currentDrive);
    if (m_options.history && m_walk.rootOpened && !abortRequested())
        keepInHistory();
    m_stats.merge(m_driveStats);
    m_driveStats = Statistics{};
    m_kept.merge(std::move(m_driveKept));
    m_driveKept.clear();
    m_unreadable += m_walk.unreadableDirectories;
    m_hardLinksSkipped += m_walk.hardLinksSkipped;

    const bool aborted = abortRequested();
    m_hooks.refreshPages(m_drives.size() == 1);
    showCollected(finishedStatus(m_stats, m_locale, aborted));
    m_scanRunning.store(false);
    m_hooks.scanRunningChanged(false);
    if (aborted)
        setCaption(std::string(kAbortedCaption));
    else
        setCaption("Statistics completed for drives " + asciiUpper(m_letters));
}

void ScanRun::showCollected(std::string status)
{
    setStatus(std::move(status));
    m_hooks.disenable(true);
    if (m_unreadable > 0)
        m_hooks.unreadableDirectories(m_unreadable);
    m_statisticsCollected = true;
}

std::string finishedStatus(const Statistics &stats, const LocaleSeparators &locale, bool aborted)
{
    // Appended piece by piece: GCC 12 sees an overlap that is not there in
    // " " + std::string at -O3.
    std::string status = "Finished - ";
    status += formatInt(stats.filesProcessed, locale);
    status += " files processed";
    if (stats.filesSelected != stats.filesProcessed) {
        status += ' ';
        status += formatInt(stats.filesSelected, locale);
        status += " files found";
    }
    if (aborted)
        status += " INCOMPLETE ... ABORTED";
    return status;
}

void ScanRun::showReport(const ReportFile &report, std::string_view name)
{
    m_fromReport = true;
    m_drives.clear();
    for (const ReportDrive &drive : report.drives)
        m_drives.push_back(drive.entry);
    m_filter = filterOfText(report.filter);
    ClearHooks clear(m_hooks);
    clearVariables(m_stats, &clear);
    m_stats = report.statistics;
    m_kept.clear();
    m_clusterSize = report.clusterSize;
    m_unreadable = report.unreadableDirectories;
    m_hardLinksSkipped = report.hardLinksSkipped;
    // The first reports name no drives: their overhang is shown when they
    // have a cluster size, which only a one-drive report has.
    const bool overhang = report.drives.empty() ? report.clusterSize > 0 : m_drives.size() == 1;
    m_hooks.setOverhangPageEnabled(overhang);
    m_hooks.refreshPages(overhang);
    std::string status = finishedStatus(m_stats, m_locale, false);
    if (!report.complete)
        status += " INCOMPLETE";
    showCollected(std::move(status));
    setCaption("Statistics from " + std::string(name));
    m_hooks.runEnded(true);
}

void ScanRun::end()
{
    m_hooks.runEnded(m_statisticsCollected);
}

ScanRecipe ScanRun::recipe() const
{
    ScanRecipe recipe;
    recipe.drives = m_drives;
    recipe.filter = m_filter;
    recipe.today = m_today;
    recipe.zone = m_options.zone;
    recipe.reader = m_options.reader;
    recipe.threads = m_options.threads;
    recipe.clusterSize = m_clusterSize;
    recipe.overhangEnabled = m_drives.size() == 1;
    return recipe;
}

void ScanRun::takeAway(const KeptFile &file)
{
    uncount(m_stats, file);
    m_kept.forget(file);
}

void ScanRun::run(std::vector<std::string> drives, TypeFilter filter)
{
    if (!begin(std::move(drives), std::move(filter)))
        return;
    for (std::size_t i = 0; i < driveCount(); ++i) {
        const DriveStep step = prepareDrive(i);
        if (step == DriveStep::Stop)
            break;
        if (step == DriveStep::Skip)
            continue;
        scanDrive();
        finishDrive();
    }
    end();
}

void ScanRun::setStatus(std::string text)
{
    m_status = std::move(text);
    m_hooks.setStatus(m_status);
}

void ScanRun::setCaption(std::string text)
{
    m_caption = std::move(text);
    m_hooks.setCaption(m_caption);
}

} // namespace vorin
