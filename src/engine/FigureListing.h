#pragma once

#include "engine/FigureFiles.h"
#include "engine/Walk.h"
#include "selection/TypeFilter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorin {

class DirectoryReader;
class UtcOffsetSource;
class Volumes;

// How a run counted its files, so that a later walk files them alike: the
// drives in list order, the type filter, the day and zone the ages and half
// hours were taken in, the walking threads and the cluster size of a one-drive
// run's overhang.
struct ScanRecipe
{
    std::vector<std::string> drives;
    TypeFilter filter;
    std::int64_t today = 0;
    const UtcOffsetSource *zone = nullptr;   // required; outlives the listing
    const DirectoryReader *reader = nullptr; // nullptr: the platform's reader
    int threads = 0;                         // 0: as suits each drive
    std::int32_t clusterSize = 0;
    bool overhangEnabled = false;
};

// Every file of one figure, from a walk of the run's drives as they are now,
// with the same walk, threads and rules as the scan (no mount crossing, hidden
// directories not entered, a file of several names once). run() blocks; the
// window calls it on a worker thread and reads filesSeen() and filesFound()
// on a timer, and asks it to stop from its own thread. Keeps every file of
// the figure and nothing of the others.
class FigureListing
{
public:
    FigureListing(const Volumes &volumes, ScanRecipe recipe, Figure figure);
    ~FigureListing();

    void run();
    void requestStop() { m_stop.store(true); }
    // A second stop flag, as a signal handler sets (the report's Ctrl-C).
    void watch(const std::atomic<bool> *interrupt) { m_interrupt = interrupt; }
    [[nodiscard]] bool stopRequested() const { return m_stop.load(); }

    [[nodiscard]] std::int64_t filesSeen() const { return m_progress.filesProcessed(); }
    [[nodiscard]] const WalkProgress &progress() const { return m_progress; }
    // After run(): the files found, largest first; and whether every drive
    // was walked to its end.
    [[nodiscard]] std::vector<KeptFile> takeFiles();
    [[nodiscard]] bool complete() const { return m_complete; }
    // The files and bytes found (for the overhang: the space they leave).
    [[nodiscard]] const FigureTotal &total() const { return m_total; }
    // The drives that could be walked.
    [[nodiscard]] int drivesWalked() const { return m_drivesWalked; }

private:
    const Volumes &m_volumes;
    ScanRecipe m_recipe;
    Figure m_figure;
    std::unique_ptr<DirectoryReader> m_ownReader;
    WalkProgress m_progress;
    std::atomic<bool> m_stop{false};
    const std::atomic<bool> *m_interrupt = nullptr;
    FigureFiles m_found;
    FigureTotal m_total;
    int m_drivesWalked = 0;
    bool m_complete = false;
};

} // namespace vorin
