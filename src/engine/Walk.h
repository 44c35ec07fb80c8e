#pragma once

#include "engine/FigureFiles.h"
#include "engine/Statistics.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace vorin {

class DirectoryReader;

// How far a walk has got, for the window to read on a timer from its own
// thread while the walk runs on others. The file count is published in small
// batches; the directory text is copied under a mutex into a buffer that keeps
// its capacity, so reporting costs the walk no allocation per file.
class WalkProgress final
{
public:
    WalkProgress();

    // The drive and the directory being counted. A walking thread publishes
    // at the first file it counts in each directory. False when another
    // thread was publishing, and nothing was done: that one says the same
    // well enough.
    [[nodiscard]] bool publish(std::string_view drive, std::string_view directory);

    void addFiles(std::int64_t n) { m_files.fetch_add(n, std::memory_order_relaxed); }
    // Files met so far in the run, summed over the walking threads.
    [[nodiscard]] std::int64_t filesProcessed() const
    {
        return m_files.load(std::memory_order_relaxed);
    }
    // "Processing drive c: [/] ... standby : /home/ann"; empty before the first file.
    [[nodiscard]] std::string statusText() const;
    [[nodiscard]] std::string currentDirectory() const;
    // Forgets the text (not the count): a new drive's walk is about to start.
    void clearText();
    void reset();

private:
    std::atomic<std::int64_t> m_files{0};
    mutable std::mutex m_mutex;
    std::string m_drive;
    std::string m_directory;
    bool m_shown = false;
};

// The files of several names (hard links) met so far in a run, by device and
// inode, so that each is counted once, at the first of its names found, as du
// does. Only such files are remembered: memory stays flat for a tree of
// ordinary files, and an ordinary file never takes the lock. One record serves
// every walking thread of every drive of a run; a new run starts empty.
class LinkedFiles
{
public:
    // True for the first name of file found: count it. False for every later one.
    [[nodiscard]] bool firstName(const FileIdentity &file);
    [[nodiscard]] std::size_t size() const;
    void clear();

private:
    struct Hash
    {
        std::size_t operator()(const FileIdentity &file) const noexcept
        {
            return std::hash<std::uint64_t>{}(file.inode * 0x9E3779B97F4A7C15ULL ^ file.device);
        }
    };
    mutable std::mutex m_mutex;
    std::unordered_set<FileIdentity, Hash> m_seen;
};

// Told of every file after it has been counted, on the walking thread that
// counted it. For tests and tools that follow a walk file by file.
class WalkObserver
{
public:
    virtual ~WalkObserver() = default;
    virtual void fileCounted(std::string_view directory, const DirectoryEntry &entry) = 0;
};

// A walk that other processes share (vorin-report-mpi): it walks its tree
// as always, but hands subdirectories over whenever others wait for work,
// and puts files of several names aside for the processes to settle.
class WalkElsewhere
{
public:
    virtual ~WalkElsewhere() = default;
    // Asked at every subdirectory met: whether others wait for work. Yes
    // hands over the subdirectory nearest the root not entered yet.
    [[nodiscard]] virtual bool wantsWork() = 0;
    // A subdirectory given away, by its full path; this walk does not enter it.
    virtual void subdirectory(std::string_view path) = 0;
    // A file of several names, not counted: another process of the walk may
    // meet its other names, so they are settled once every part is walked.
    virtual void linkedFile(std::string_view directory, const DirectoryEntry &entry) = 0;
};

struct WalkOptions
{
    // Walking threads; 0 takes one per core, at most 8. One thread keeps the
    // classic order: the files of a directory after everything below it,
    // subdirectories in the order the file system lists them.
    int threads = 0;
    // Open directories per thread before the walk closes ancestors and opens
    // them again on the way back; 0 derives it from the process's limit.
    std::size_t maxOpenLevels = 0;
    WalkObserver *observer = nullptr;
    // The run's record of files of several names, shared by its drives;
    // nullptr: the walk keeps one of its own.
    LinkedFiles *linkedFiles = nullptr;
    // A second stop flag, checked as often as abort: one a signal handler
    // sets, so that Ctrl-C stops the walk without a thread to pass it on.
    const std::atomic<bool> *interrupt = nullptr;
    // Where the largest files of every figure go. Several threads each count
    // their totals in a store like it (FigureFiles::emptyLike) and pass their
    // files on to it as they go (FigureFiles::share). nullptr keeps none.
    FigureFiles *keep = nullptr;
    // Set: one thread, sharing its tree with other processes; see WalkElsewhere.
    WalkElsewhere *elsewhere = nullptr;
};

struct WalkResult
{
    bool rootOpened = false;
    bool aborted = false;
    // Directories that exist but could not be opened or read, or that were
    // no longer the same directory when opened again.
    std::int64_t unreadableDirectories = 0;
    // Names of files already counted under another name (hard links): they
    // are in no figure at all, filesProcessed included.
    std::int64_t hardLinksSkipped = 0;
};

[[nodiscard]] int defaultWalkThreads();

// Walks the tree below root depth-first and hands every regular file (anything
// that is not a directory, links included and never followed) to crunchNumbers
// with the full path of its directory, then counts it in filesProcessed.
// Hidden and system directories are not entered, nor directories on another
// device than root. A file of several names (hard links) is counted at the
// first of them found and skipped at the others. Results are added to stats; with several threads
// each fills its own record and they are merged at the end, so the figures do not depend on the
// thread count. abort (or options.interrupt) ends the walk within one directory entry. Blocks until
// done; runs on any thread and never touches a window.
//
// Costs: one open directory per level and thread, one listing buffer of 32 KiB
// per level (one thread) or per thread (several); nothing per file but for
// files of several names, which are remembered by device and inode.
WalkResult walkTree(const DirectoryReader &prototype, const std::string &root,
                    const CrunchContext &context, Statistics &stats, WalkProgress &progress,
                    const std::atomic<bool> &abort, const WalkOptions &options = {});

} // namespace vorin
