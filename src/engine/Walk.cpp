#include "engine/Walk.h"

#include "platform/DirectoryReader.h"
#include "support/DosTime.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace vorin {

WalkProgress::WalkProgress()
{
    m_drive.reserve(256);
    m_directory.reserve(4096);
}

bool WalkProgress::publish(std::string_view drive, std::string_view directory)
{
    // Another thread publishing right now says the same thing well enough.
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    m_drive.assign(drive);
    m_directory.assign(directory);
    m_shown = true;
    return true;
}

std::string WalkProgress::statusText() const
{
    std::lock_guard lock(m_mutex);
    return m_shown ? processingText(m_drive, m_directory) : std::string();
}

std::string WalkProgress::currentDirectory() const
{
    std::lock_guard lock(m_mutex);
    return m_directory;
}

void WalkProgress::clearText()
{
    std::lock_guard lock(m_mutex);
    m_drive.clear();
    m_directory.clear();
    m_shown = false;
}

void WalkProgress::reset()
{
    m_files.store(0, std::memory_order_relaxed);
    std::lock_guard lock(m_mutex);
    m_drive.clear();
    m_directory.clear();
    m_shown = false;
}

bool LinkedFiles::firstName(const FileIdentity &file)
{
    std::lock_guard lock(m_mutex);
    return m_seen.insert(file).second;
}

std::size_t LinkedFiles::size() const
{
    std::lock_guard lock(m_mutex);
    return m_seen.size();
}

void LinkedFiles::clear()
{
    std::lock_guard lock(m_mutex);
    m_seen.clear();
}

int defaultWalkThreads()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores == 0 ? 1 : cores), 1, 8);
}

namespace {

using Handle = DirectoryReader::Handle;
constexpr Handle kNoHandle = DirectoryReader::kNoHandle;

// The shared file counter is touched once per this many files of a thread,
// so that the threads do not fight over its cache line.
constexpr std::int64_t kPublishEvery = 64;

bool isEntered(std::uint32_t attributes)
{
    return (attributes & (kAttrHidden | kAttrSystem)) == 0;
}

struct SharedDirectory
{
    Handle handle = kNoHandle;
    std::string path;
};

// Subtrees handed from a busy thread to an idle one. A directory is only
// shared while some thread waits for work, so the queue holds at most about
// one open directory per thread.
class WorkQueue
{
public:
    [[nodiscard]] bool hungry() const
    {
        return m_waiting.load(std::memory_order_relaxed) > m_queued.load(std::memory_order_relaxed);
    }

    void push(SharedDirectory item)
    {
        {
            std::lock_guard lock(m_mutex);
            m_items.push_back(std::move(item));
            ++m_outstanding;
            m_queued.fetch_add(1, std::memory_order_relaxed);
        }
        m_ready.notify_one();
    }

    // False once every subtree has been walked.
    [[nodiscard]] bool pop(SharedDirectory &item)
    {
        std::unique_lock lock(m_mutex);
        m_waiting.fetch_add(1, std::memory_order_relaxed);
        m_ready.wait(lock, [this] { return !m_items.empty() || m_outstanding == 0; });
        m_waiting.fetch_sub(1, std::memory_order_relaxed);
        if (m_items.empty())
            return false;
        item = std::move(m_items.front());
        m_items.pop_front();
        m_queued.fetch_sub(1, std::memory_order_relaxed);
        return true;
    }

    void done()
    {
        std::lock_guard lock(m_mutex);
        if (--m_outstanding == 0)
            m_ready.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<SharedDirectory> m_items;
    int m_outstanding = 0;
    std::atomic<int> m_waiting{0};
    std::atomic<int> m_queued{0};
};

// Tells the shared WalkProgress which directory one walking thread counts
// files in: once a directory, at its first file. The text is the same for all
// of its files, and a lock and two copies a file are not paid for nothing.
class DirectoryPublisher
{
public:
    explicit DirectoryPublisher(WalkProgress &progress) : m_progress(progress) {}

    // The thread counts the files of another directory from now on.
    void directoryChanged() { m_pending = true; }

    // A file of directory is being counted.
    void fileCounted(std::string_view drive, std::string_view directory)
    {
        if (m_pending) [[unlikely]]
            publish(drive, directory);
    }

private:
    void publish(std::string_view drive, std::string_view directory)
    {
        // Another thread publishing meanwhile says the same well enough;
        // this one tries again at its next file.
        if (m_progress.publish(drive, directory))
            m_pending = false;
    }

    WalkProgress &m_progress;
    bool m_pending = true;
};

// One directory on the way down from the walk's root.
struct Level
{
    Handle handle = kNoHandle;
    std::size_t nameOffset = 0; // this directory's name in the path text
    std::size_t pathLength = 0;
    std::string subdirectories; // names to enter, each followed by a NUL
    std::size_t next = 0;       // the first of them not yet entered or shared
    std::unique_ptr<NameBatch> kept;
    bool listingKept = false; // the whole listing fitted into kept
    bool hasFiles = false;
    bool failed = false; // already counted as unreadable
    // Which directory this is, noted when it is closed before it is done, so
    // that opening it again by name can be checked to give the same one.
    FileIdentity identity;
    bool identified = false;
};

// Walks subtrees for one thread into one Statistics record. Keeps one Level
// per depth, reused for every directory at that depth.
class Walker
{
public:
    Walker(DirectoryReader &reader, const CrunchContext &context, Statistics &stats,
           WalkProgress &progress, const std::atomic<bool> &abort,
           const std::atomic<bool> *interrupt, WalkObserver *observer, LinkedFiles &linkedFiles,
           bool ordered, std::size_t openBudget, WorkQueue *queue)
        : m_reader(reader), m_zone(*context.zone), m_context(context), m_stats(stats),
          m_progress(progress), m_abort(abort), m_interrupt(interrupt ? *interrupt : abort),
          m_observer(observer), m_linkedFiles(linkedFiles), m_ordered(ordered),
          m_openBudget(std::max<std::size_t>(openBudget, 2)), m_queue(queue), m_publisher(progress)
    {
        m_context.zone = &m_zone;
        m_context.zoneCache = &m_zone;
        // The walk says where it is itself (m_publisher), once a directory
        // rather than the bookkeeping's every third file.
        m_context.hooks = nullptr;
        m_context.types = &m_types;
        m_path.reserve(4096);
    }

    // The thread's own kept largest files; nullptr keeps none.
    void keepIn(FigureFiles *keep) { m_context.keeper = keep; }
    void handOverTo(WalkElsewhere *elsewhere) { m_elsewhere = elsewhere; }

    // Walks the tree whose root is open as handle, then closes it.
    void walk(Handle handle, std::string_view path)
    {
        m_path.assign(path);
        Level &base = level(0);
        base.handle = handle;
        base.nameOffset = m_path.size();
        base.pathLength = m_path.size();
        m_open = 1;
        walkDirectory(0);
        closeLevel(0);
    }

    void flush()
    {
        m_progress.addFiles(m_unpublished);
        m_unpublished = 0;
    }

    [[nodiscard]] std::int64_t unreadable() const { return m_unreadable; }
    [[nodiscard]] std::int64_t hardLinksSkipped() const { return m_hardLinksSkipped; }

private:
    [[nodiscard]] bool aborted() const
    {
        return m_abort.load(std::memory_order_relaxed) ||
               m_interrupt.load(std::memory_order_relaxed);
    }

    Level &level(std::size_t depth)
    {
        while (m_levels.size() <= depth)
            m_levels.emplace_back(); // a deque: references to upper levels stay valid
        return m_levels[depth];
    }

    void walkDirectory(std::size_t depth)
    {
        if (aborted())
            return;
        listDirectory(depth);
        enterSubdirectories(depth);
        if (m_ordered)
            countFiles(depth);
    }

    // First look at a directory: note the subdirectories to enter. With one
    // thread the files wait until everything below has been walked; with
    // several the order does not matter and they are counted right away.
    void listDirectory(std::size_t depth)
    {
        Level &current = m_levels[depth];
        m_publisher.directoryChanged();
        current.subdirectories.clear();
        current.next = 0;
        current.listingKept = false;
        current.hasFiles = false;
        current.failed = false;
        current.identified = false;
        NameBatch *batch = &m_batch;
        if (m_ordered) {
            if (!current.kept)
                current.kept = std::make_unique<NameBatch>();
            batch = current.kept.get();
        }
        int chunks = 0;
        for (;;) {
            switch (m_reader.list(current.handle, *batch)) {
            case ListStatus::End:
                current.listingKept = m_ordered && chunks == 1;
                return;
            case ListStatus::Failed:
                markUnreadable(current);
                return;
            case ListStatus::More:
                break;
            }
            ++chunks;
            for (const ListedName &listed : batch->names) {
                // With one thread a file is only noted here, before anything
                // else: most names are files, and the stop is looked for when
                // the file is counted.
                if (listed.kind == NameKind::Other && m_ordered) [[likely]] {
                    current.hasFiles = true;
                    continue;
                }
                if (aborted())
                    return;
                if (othersWantWork())
                    shareWork(depth);
                switch (listed.kind) {
                case NameKind::Directory:
                    addSubdirectory(current, listed.name);
                    break;
                case NameKind::Unknown:
                    switch (m_reader.describe(current.handle, listed.name, m_entry)) {
                    case Described::Directory:
                        addSubdirectory(current, listed.name);
                        break;
                    case Described::File:
                        if (m_ordered)
                            current.hasFiles = true;
                        else
                            countFile(m_entry);
                        break;
                    case Described::Denied:
                        markUnreadable(current);
                        break;
                    case Described::Vanished:
                        break;
                    }
                    break;
                case NameKind::Other: // several threads: counted right away
                    describeAndCount(current, listed.name);
                    break;
                }
            }
        }
    }

    void enterSubdirectories(std::size_t depth)
    {
        Level &current = m_levels[depth];
        while (current.next < current.subdirectories.size()) {
            if (aborted())
                return;
            if (othersWantWork())
                shareWork(depth);
            if (current.next >= current.subdirectories.size())
                return;
            const std::string_view name(current.subdirectories.data() + current.next);
            current.next += name.size() + 1;
            if (!ensureOpen(depth))
                return;
            Handle child = kNoHandle;
            if (!openSubdirectory(depth, name, child))
                continue;
            const std::size_t parentLength = m_path.size();
            const std::size_t nameOffset = appendName(name);
            Level &below = level(depth + 1);
            below.handle = child;
            below.nameOffset = nameOffset;
            below.pathLength = m_path.size();
            ++m_open;
            walkDirectory(depth + 1);
            closeLevel(depth + 1);
            m_path.resize(parentLength);
        }
    }

    // Opens a subdirectory of the directory at depth unless it is hidden,
    // on another file system, gone or unreadable (which is counted).
    bool openSubdirectory(std::size_t depth, std::string_view name, Handle &child)
    {
        const Handle parent = m_levels[depth].handle;
        if (!isEntered(m_reader.directoryAttributes(parent, name)))
            return false;
        makeRoom(depth);
        switch (m_reader.openChild(parent, name, child)) {
        case OpenStatus::Ok:
            return true;
        case OpenStatus::Unreadable:
        case OpenStatus::TooManyOpen:
            ++m_unreadable;
            return false;
        case OpenStatus::Vanished:
        case OpenStatus::OtherDevice:
            return false;
        }
        return false;
    }

    [[nodiscard]] bool othersWantWork()
    {
        if (m_queue && m_queue->hungry())
            return true;
        if (!m_elsewhere)
            return false;
        // A request met with nothing listed yet to give stands until it can
        // be met: the asker is told once.
        m_shareOwed = m_shareOwed || m_elsewhere->wantsWork();
        return m_shareOwed;
    }

    // Another thread waits for work: give it the subdirectory nearest to the
    // root that this thread has not entered yet, the largest piece at hand,
    // so that the threads seldom have to hand work over (and wake each other).
    void shareWork(std::size_t depth)
    {
        for (std::size_t at = 0; at <= depth; ++at) {
            Level &shallow = m_levels[at];
            while (shallow.next < shallow.subdirectories.size()) {
                const std::string_view name(shallow.subdirectories.data() + shallow.next);
                shallow.next += name.size() + 1;
                if (!ensureOpen(at))
                    return;
                Handle child = kNoHandle;
                if (!openSubdirectory(at, name, child))
                    continue;
                std::string path(m_path, 0, shallow.pathLength);
                if (path.empty() || path.back() != kPathSeparator)
                    path.push_back(kPathSeparator);
                path.append(name);
                if (m_elsewhere) {
                    // Opened only to apply the rules of entering; the
                    // process that walks it opens it again.
                    m_reader.close(child);
                    m_shareOwed = false;
                    m_elsewhere->subdirectory(path);
                } else {
                    m_queue->push({child, std::move(path)});
                }
                return;
            }
        }
    }

    // Second look, one thread only: the files, after everything below.
    void countFiles(std::size_t depth)
    {
        Level &current = m_levels[depth];
        if (aborted() || !current.hasFiles || !ensureOpen(depth))
            return;
        m_publisher.directoryChanged();
        if (current.listingKept) {
            countListed(current, *current.kept);
            return;
        }
        if (!m_reader.rewind(current.handle)) {
            markUnreadable(current);
            return;
        }
        for (;;) {
            switch (m_reader.list(current.handle, *current.kept)) {
            case ListStatus::End:
                return;
            case ListStatus::Failed:
                markUnreadable(current);
                return;
            case ListStatus::More:
                if (!countListed(current, *current.kept))
                    return;
                break;
            }
        }
    }

    bool countListed(Level &current, const NameBatch &batch)
    {
        for (const ListedName &listed : batch.names) {
            if (aborted())
                return false;
            if (listed.kind != NameKind::Directory)
                describeAndCount(current, listed.name);
        }
        return true;
    }

    void describeAndCount(Level &current, std::string_view name)
    {
        switch (m_reader.describe(current.handle, name, m_entry)) {
        case Described::File:
            countFile(m_entry);
            break;
        case Described::Denied:
            markUnreadable(current);
            break;
        case Described::Directory: // replaced by a directory since it was listed
        case Described::Vanished:
            break;
        }
    }

    void countFile(const DirectoryEntry &entry)
    {
        // A file of several names counts at the first of them found and at
        // none of the others. Only such files take the shared record's lock.
        if (entry.links > 1) [[unlikely]] {
            if (m_elsewhere) {
                m_elsewhere->linkedFile(m_path, entry);
                return;
            }
            if (!m_linkedFiles.firstName(entry.identity)) {
                ++m_hardLinksSkipped;
                return;
            }
        }
        m_publisher.fileCounted(m_context.currentDrive, m_path);
        crunchNumbers(m_stats, m_context, m_path, entry);
        ++m_stats.filesProcessed;
        if (++m_unpublished == kPublishEvery)
            flush();
        if (m_observer)
            m_observer->fileCounted(m_path, entry);
    }

    static void addSubdirectory(Level &current, std::string_view name)
    {
        current.subdirectories.append(name);
        current.subdirectories.push_back('\0');
    }

    // Appends the separator and name to the path text; returns where the name
    // begins.
    std::size_t appendName(std::string_view name)
    {
        if (m_path.empty() || m_path.back() != kPathSeparator)
            m_path.push_back(kPathSeparator);
        const std::size_t offset = m_path.size();
        m_path.append(name);
        return offset;
    }

    void markUnreadable(Level &current)
    {
        if (!current.failed) {
            current.failed = true;
            ++m_unreadable;
        }
    }

    void closeLevel(std::size_t depth)
    {
        Level &current = m_levels[depth];
        if (current.handle != kNoHandle) {
            m_reader.close(current.handle);
            current.handle = kNoHandle;
            --m_open;
        }
    }

    // Before a directory below parentDepth is opened: when this thread holds
    // its share of open directories, the highest ancestor (other than the
    // walk's root and the parent) is closed; ensureOpen opens it again on the
    // way back. Trees deeper than the descriptor limit are walked this way.
    void makeRoom(std::size_t parentDepth)
    {
        for (std::size_t i = 1; m_open >= m_openBudget && i < parentDepth; ++i) {
            Level &ancestor = m_levels[i];
            if (ancestor.handle == kNoHandle)
                continue;
            ancestor.identified = m_reader.identify(ancestor.handle, ancestor.identity);
            closeLevel(i);
        }
    }

    // Whether handle, just opened by the name of again, is the directory that
    // was closed there. One renamed or replaced meanwhile is not walked: its
    // files would be counted under the other one's path, or twice.
    bool sameDirectory(const Level &again, Handle handle)
    {
        FileIdentity now;
        return again.identified && m_reader.identify(handle, now) && now == again.identity;
    }

    // Opens the directory of depth again, name by name from the nearest open
    // ancestor. Ancestors on the way stay open while the budget allows; the
    // others are opened only long enough to open the next one.
    bool ensureOpen(std::size_t depth)
    {
        if (m_levels[depth].handle != kNoHandle)
            return true;
        std::size_t open = depth;
        while (m_levels[open].handle == kNoHandle)
            --open; // the walk's root is never closed early
        Handle from = m_levels[open].handle;
        Handle passing = kNoHandle;
        for (std::size_t k = open + 1; k <= depth; ++k) {
            Level &again = m_levels[k];
            m_scratch.assign(m_path, again.nameOffset, again.pathLength - again.nameOffset);
            Handle handle = kNoHandle;
            const OpenStatus status = m_reader.openChild(from, m_scratch, handle);
            if (passing != kNoHandle) {
                m_reader.close(passing);
                passing = kNoHandle;
            }
            if (status != OpenStatus::Ok || !sameDirectory(again, handle)) {
                if (status == OpenStatus::Ok)
                    m_reader.close(handle);
                // Counted once, as the directory that could not be opened
                // again; the levels below it, which go back through it,
                // find it counted already.
                markUnreadable(again);
                return false;
            }
            if (k == depth || m_open + 1 < m_openBudget) {
                again.handle = handle;
                ++m_open;
            } else {
                passing = handle;
            }
            from = handle;
        }
        return true;
    }

    DirectoryReader &m_reader;
    CachedUtcOffsets m_zone;
    CrunchContext m_context;
    Statistics &m_stats;
    WalkProgress &m_progress;
    const std::atomic<bool> &m_abort;
    const std::atomic<bool> &m_interrupt; // abort again when there is none
    WalkObserver *m_observer;
    LinkedFiles &m_linkedFiles;
    WalkElsewhere *m_elsewhere = nullptr;
    bool m_shareOwed = false;
    const bool m_ordered;
    const std::size_t m_openBudget;
    WorkQueue *m_queue;
    DirectoryPublisher m_publisher;
    TypeIndex m_types;

    std::deque<Level> m_levels;
    std::string m_path;
    std::string m_scratch;
    NameBatch m_batch;
    DirectoryEntry m_entry;
    std::size_t m_open = 0;
    std::int64_t m_unpublished = 0;
    std::int64_t m_unreadable = 0;
    std::int64_t m_hardLinksSkipped = 0;
};

// The root without trailing separators, except where the separator is the
// root itself: "/" and, on Windows, "C:\".
std::string normalizedRoot(const std::string &root)
{
    std::string path = root;
    const std::size_t keep = path.size() >= 2 && path[1] == ':' ? 3 : 1;
    while (path.size() > keep && path.back() == kPathSeparator)
        path.pop_back();
    return path;
}

} // namespace

WalkResult walkTree(const DirectoryReader &prototype, const std::string &root,
                    const CrunchContext &context, Statistics &stats, WalkProgress &progress,
                    const std::atomic<bool> &abort, const WalkOptions &options)
{
    WalkResult result;
    const std::string rootPath = normalizedRoot(root);
    std::unique_ptr<DirectoryReader> first = prototype.clone();
    Handle rootHandle = kNoHandle;
    if (rootPath.empty() || first->openRoot(rootPath, rootHandle) != OpenStatus::Ok)
        return result;
    result.rootOpened = true;
    LinkedFiles ownLinkedFiles;
    LinkedFiles &linkedFiles = options.linkedFiles ? *options.linkedFiles : ownLinkedFiles;

    const int threads =
        options.elsewhere
            ? 1
            : std::clamp(options.threads > 0 ? options.threads : defaultWalkThreads(), 1, 64);
    const std::size_t threadCount = static_cast<std::size_t>(threads);
    std::size_t budget = options.maxOpenLevels;
    if (budget == 0) {
        // Each thread may also have one shared directory waiting in the queue.
        const std::size_t limit = first->handleLimit();
        budget = limit > 2 * threadCount ? (limit - 2 * threadCount) / threadCount : 2;
    }

    if (threads == 1) {
        Walker walker(*first, context, stats, progress, abort, options.interrupt, options.observer,
                      linkedFiles, true, budget, nullptr);
        walker.keepIn(options.keep);
        walker.handOverTo(options.elsewhere);
        walker.walk(rootHandle, rootPath);
        walker.flush();
        result.unreadableDirectories = walker.unreadable();
        result.hardLinksSkipped = walker.hardLinksSkipped();
    } else {
        WorkQueue queue;
        queue.push({rootHandle, rootPath});
        std::vector<std::unique_ptr<DirectoryReader>> readers;
        std::vector<Statistics> partial(threadCount);
        // The threads keep the largest files together, in the caller's store.
        std::vector<FigureFiles> kept;
        std::mutex keepLock;
        if (options.keep)
            for (std::size_t i = 0; i < threadCount; ++i) {
                kept.push_back(options.keep->emptyLike());
                kept.back().share(*options.keep, keepLock);
            }
        std::vector<std::unique_ptr<Walker>> walkers;
        readers.push_back(std::move(first));
        for (std::size_t i = 0; i < threadCount; ++i) {
            if (i > 0)
                readers.push_back(readers.front()->clone());
            walkers.push_back(std::make_unique<Walker>(*readers[i], context, partial[i], progress,
                                                       abort, options.interrupt, options.observer,
                                                       linkedFiles, false, budget, &queue));
            if (options.keep)
                walkers.back()->keepIn(&kept[i]);
        }
        auto work = [&queue, &walkers](std::size_t i) {
            SharedDirectory item;
            while (queue.pop(item)) {
                walkers[i]->walk(item.handle, item.path);
                queue.done();
            }
            walkers[i]->flush();
        };
        std::vector<std::thread> pool;
        for (std::size_t i = 1; i < threadCount; ++i) {
            try {
                pool.emplace_back(work, i);
            } catch (const std::system_error &) {
                break; // fewer threads walk the same tree
            }
        }
        work(0);
        for (std::thread &thread : pool)
            thread.join();
        for (std::size_t i = 0; i < threadCount; ++i) {
            stats.merge(partial[i]);
            if (options.keep) {
                kept[i].flush();
                options.keep->merge(kept[i]); // the totals: the files went there as found
            }
            result.unreadableDirectories += walkers[i]->unreadable();
            result.hardLinksSkipped += walkers[i]->hardLinksSkipped();
        }
    }
    result.aborted = abort.load() || (options.interrupt && options.interrupt->load());
    return result;
}

} // namespace vorin
