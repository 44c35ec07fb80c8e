#include "engine/FigureFiles.h"

#include "engine/FigureStore.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace vorin {

FigureFiles::FigureFiles(KeepOptions options) : m_store(std::make_unique<Store>(std::move(options)))
{}

FigureFiles::~FigureFiles() = default;
FigureFiles::FigureFiles(FigureFiles &&) noexcept = default;
FigureFiles &FigureFiles::operator=(FigureFiles &&) noexcept = default;

FigureFiles FigureFiles::emptyLike() const
{
    return FigureFiles(m_store->options);
}

void FigureFiles::keep(std::string_view directory, const DirectoryEntry &entry,
                       const FileFacts &facts, std::string_view typeKey, int typeLine,
                       std::size_t typeLines)
{
    Store &s = *m_store;
    Store::List *typed = s.typeListOfLine(facts, typeKey, typeLine, typeLines);
    if (!s.shared) {
        s.offer(directory, entry.name, facts, typeKey, typed, true, [&](Store::Record &r) {
            r.set(entry.creation, entry.lastAccess, entry.lastWrite, facts);
        });
        return;
    }
    // A walking thread counts the totals itself and takes the shared store's
    // lock only for a file that one of its lists may take. The fixed lists'
    // totals and floors are read from arrays of their own, a few cache lines
    // that stay at hand between the files, where the lists would be many.
    std::array<std::uint8_t, kMostFixedPlaces> places; // the lists whose floor it passed
    std::uint8_t placeCount = 0;
    Store::List *typePlace = nullptr;
    const std::atomic<std::int64_t> *floors = s.shared->fixedFloors.data();
    FigureTotal *totals = s.fixedTotals.data();
    s.forEachPlace(
        facts, typeKey, typed,
        [&](std::size_t i, std::int64_t rank) __attribute__((always_inline)) {
            totals[i].files += 1;
            totals[i].bytes += static_cast<double>(rank);
            if (rank >= floors[i].load(std::memory_order_relaxed))
                places[placeCount++] = static_cast<std::uint8_t>(i);
        },
        [&typePlace](Store::List &list, std::int64_t rank) __attribute__((always_inline)) {
            list.total.files += 1;
            list.total.bytes += static_cast<double>(rank);
            if (rank >= list.shared->load(std::memory_order_relaxed))
                typePlace = list.sharedList;
        });
    if ((placeCount == 0 && typePlace == nullptr) || s.options.perFigure == 0)
        return;
    // Passed on in batches: the lock is taken once for many files.
    Store::Pending &p = s.pending;
    const auto textOf = [&p](std::pair<std::uint32_t, std::uint32_t> span) {
        return std::string_view(p.text.data() + span.first, span.second - span.first);
    };
    if (p.folder.empty() || textOf(p.folder.back()) != directory) {
        const auto at = static_cast<std::uint32_t>(p.text.size());
        p.text.append(directory);
        p.folder.emplace_back(at, static_cast<std::uint32_t>(p.text.size()));
    }
    // Filled where it lies in the batch, the places a byte at a time as they
    // were written: a candidate built apart would be copied with wide reads
    // of narrow writes still on their way to the cache, which stall.
    Store::Candidate &c = p.files.emplace_back();
    c.created = entry.creation;
    c.accessed = entry.lastAccess;
    c.modified = entry.lastWrite;
    c.facts = facts;
    c.folder = static_cast<std::uint32_t>(p.folder.size() - 1);
    c.nameAt = static_cast<std::uint32_t>(p.text.size());
    p.text.append(entry.name);
    c.end = static_cast<std::uint32_t>(p.text.size());
    c.placeCount = placeCount;
    for (std::uint8_t k = 0; k < placeCount; ++k)
        c.places[k] = places[k];
    c.typeList = typePlace;
    if (p.files.size() >= Store::kPendingBatch)
        s.passOn(p.files.size() >= Store::kPendingMost);
}

void FigureFiles::flush()
{
    Store &s = *m_store;
    s.passOn(true);
    for (std::size_t i = 0; i < s.fixedTotals.size(); ++i) {
        s.lists[i].total.files += std::exchange(s.fixedTotals[i].files, 0);
        s.lists[i].total.bytes += std::exchange(s.fixedTotals[i].bytes, 0);
    }
    Store::Pending &p = s.pending;
    if (p.heldFolder != Store::kNone) {
        const std::lock_guard hold(*s.sharedLock);
        s.shared->releaseFolder(p.heldFolder);
        p.heldFolder = Store::kNone;
    }
}

void FigureFiles::Store::passOn(bool wait)
{
    Pending &p = pending;
    if (!shared || p.files.empty())
        return;
    {
        std::unique_lock hold(*sharedLock, std::defer_lock);
        if (wait)
            hold.lock();
        else if (!hold.try_lock())
            return;
        Store &to = *shared;
        // Each folder of the batch is held while its files go through; the
        // last one stays held for the next batch.
        std::vector<std::uint32_t> &held = p.folderIds;
        held.clear();
        for (const auto &[at, end] : p.folder) {
            const std::string_view path = std::string_view(p.text).substr(at, end - at);
            if (p.heldFolder != kNone && path == p.heldPath) {
                ++to.folders[p.heldFolder].refs;
                held.push_back(p.heldFolder);
            } else {
                held.push_back(to.pinFolder(path));
            }
        }
        // The lists a file goes to are far apart and the walk has long since
        // pushed them out of the cache: they are fetched two files ahead,
        // the ends of their entries one file ahead, so that the misses of
        // the next files overlap the work on this one.
        const std::size_t count = p.files.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 2 < count)
                to.prefetchLists(p.files[i + 2]);
            if (i + 1 < count)
                to.prefetchEntries(p.files[i + 1]);
            const Candidate &c = p.files[i];
            const auto bytes = [&p](std::uint32_t from, std::uint32_t end) {
                return std::string_view(p.text).substr(from, end - from);
            };
            const auto &[folderAt, folderEnd] = p.folder[c.folder];
            to.offerPassed(c, bytes(folderAt, folderEnd), bytes(c.nameAt, c.end), held[c.folder]);
        }
        const std::uint32_t last = held.back();
        if (last != p.heldFolder) {
            ++to.folders[last].refs;
            if (p.heldFolder != kNone)
                to.releaseFolder(p.heldFolder);
            p.heldFolder = last;
            const auto &[at, end] = p.folder.back();
            p.heldPath.assign(p.text, at, end - at);
        }
        for (const std::uint32_t folder : held)
            to.releaseFolder(folder);
    }
    p.files.clear();
    p.folder.clear();
    p.text.clear();
}

void FigureFiles::merge(const FigureFiles &other)
{
    mergeFiles(other);
    Store &s = *m_store;
    const Store &o = *other.m_store;
    const auto addTotal = [](Store::List &to, const Store::List &from) {
        to.total.files += from.total.files;
        to.total.bytes += from.total.bytes;
    };
    for (std::size_t i = 0; i < kFixedLists; ++i)
        addTotal(s.lists[i], o.lists[i]);
    for (std::size_t i = 0; i < o.typeLists.size(); ++i)
        addTotal(*s.typeList(o.typeKeys[i], true), o.typeLists[i]);
}

void FigureFiles::merge(FigureFiles &&other)
{
    // A first drive's files need no copy.
    const Store &s = *m_store;
    const bool empty = s.kept == 0 && s.typeLists.empty() &&
                       std::all_of(s.lists.begin(), s.lists.end(),
                                   [](const Store::List &l) { return l.total.files == 0; });
    if (empty && s.options.perFigure == other.m_store->options.perFigure)
        std::swap(m_store, other.m_store);
    else
        merge(static_cast<const FigureFiles &>(other));
}

void FigureFiles::mergeFiles(const FigureFiles &other)
{
    other.m_store->settle();
    Store &s = *m_store;
    const Store &o = *other.m_store;
    if (o.kept == 0)
        return; // a walking thread's store: its files went to the shared one
    s.indexFolders();
    // Every kept file of other, once, in no particular order: each list
    // keeps the best whatever the order.
    for (std::size_t id = 0; id < o.records.size(); ++id) {
        if (o.holders[id] == 0)
            continue;
        const Store::Record &r = o.records[id];
        const FileFacts facts = r.facts();
        const std::string typeKey = facts.typed ? asciiUpper(fileExtension(o.nameOf(r))) : "";
        Store::List *typed = facts.typed ? s.typeList(typeKey, true) : nullptr;
        s.offer(o.folderOf(r), o.nameOf(r), facts, typeKey, typed, false,
                [&r](Store::Record &to) { to = r; }); // its name and folder are set after
    }
}

void FigureFiles::share(FigureFiles &shared, std::mutex &lock)
{
    Store &s = *m_store;
    s.shared = shared.m_store.get();
    s.sharedLock = &lock;
    s.fixedTotals.assign(kFixedLists, FigureTotal{});
}

std::vector<KeptFile> FigureFiles::files(const Figure &figure) const
{
    // Settling lets go of files that were never to be kept: no change to
    // what the store stands for.
    Store &s = *m_store;
    std::vector<KeptFile> out;
    const Store::List *list = s.listOf(figure);
    if (list == nullptr)
        return out;
    s.settle();
    std::vector<Store::Entry> entries = list->entries;
    std::sort(entries.begin(), entries.end(),
              [&s, list](const Store::Entry &a, const Store::Entry &b) {
                  return s.before(*list, a, b);
              });
    out.reserve(entries.size());
    for (const Store::Entry &e : entries) {
        const Store::Record &r = s.records[e.record];
        KeptFile file;
        file.name.assign(s.nameOf(r));
        file.folder.assign(s.folderOf(r));
        file.created = r.created;
        file.accessed = r.accessed;
        file.modified = r.modified;
        file.facts = r.facts();
        out.push_back(std::move(file));
    }
    return out;
}

FigureTotal FigureFiles::total(const Figure &figure) const
{
    const Store::List *list = m_store->listOf(figure);
    return list ? list->total : FigureTotal{};
}

bool FigureFiles::forget(const KeptFile &file)
{
    Store &s = *m_store;
    const std::string typeKey = file.typeKey();
    Store::List *typed = file.facts.typed ? s.typeList(typeKey, false) : nullptr;
    s.forEachList(file.facts, typeKey, typed, [](Store::List &list, std::int64_t rank) {
        list.total.files -= 1;
        list.total.bytes -= static_cast<double>(rank);
    });
    std::uint32_t id = Store::kNone;
    for (std::uint32_t i = 0; i < s.records.size() && id == Store::kNone; ++i)
        if (s.holders[i] > 0 && s.nameOf(s.records[i]) == file.name &&
            s.folderOf(s.records[i]) == file.folder)
            id = i;
    if (id == Store::kNone)
        return false;
    // Held while it leaves its lists, so that its text stays readable.
    ++s.holders[id];
    s.forEachList(s.records[id].facts(), typeKey, typed,
                  [&](Store::List &list, std::int64_t) { s.removeFrom(list, id); });
    s.release(id);
    return true;
}

std::size_t FigureFiles::keptCount() const
{
    m_store->settle();
    return m_store->kept;
}

std::size_t FigureFiles::memoryUse() const
{
    Store &s = *m_store;
    std::size_t bytes = sizeof(Store) + s.text.capacity() +
                        s.records.capacity() * sizeof(Store::Record) +
                        s.folders.capacity() * sizeof(Store::Folder) +
                        (s.freeRecords.capacity() + s.freeFolders.capacity()) * 4 +
                        s.holders.capacity() * sizeof(std::uint16_t) +
                        s.pickBuckets.capacity() * sizeof(std::uint16_t) +
                        s.pickTied.capacity() * sizeof(Store::Entry) +
                        s.pickGone.capacity() * sizeof(std::uint32_t);
    s.forEveryList([&bytes](const Store::List &list) {
        bytes += sizeof(Store::List) + list.entries.capacity() * sizeof(Store::Entry);
    });
    for (const std::string &key : s.typeKeys)
        bytes += sizeof(std::string) + key.capacity() + 32; // the map's node too
    return bytes;
}

void FigureFiles::clear()
{
    m_store = std::make_unique<Store>(m_store->options);
}

} // namespace vorin
