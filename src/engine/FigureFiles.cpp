#include "engine/FigureFiles.h"

#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace vorin {
namespace {

// The fixed lists, one after the other: size bands, the ages of the three
// dates, their half hours, the attributes, the overhang. Types have lists of
// their own, made as types turn up.
constexpr std::size_t kBandLists = 0;
constexpr std::size_t kAgeLists = kBandLists + kSizeBands;
constexpr std::size_t kSlotLists = kAgeLists + 3 * kAgeBuckets;
constexpr std::size_t kAttributeLists = kSlotLists + 3 * kTimeSlots;
constexpr std::size_t kOverhangList = kAttributeLists + kAttributeFigures;
constexpr std::size_t kFixedLists = kOverhangList + 1;
constexpr std::size_t kNoList = static_cast<std::size_t>(-1);

std::size_t fixedListOf(const Figure &figure)
{
    const auto index = static_cast<std::size_t>(figure.index);
    switch (figure.kind) {
    case FigureKind::Size:
        return kBandLists + index - 1;
    case FigureKind::AccessAge:
    case FigureKind::CreatedAge:
    case FigureKind::ModifiedAge:
        return kAgeLists + dateOf(figure.kind) * kAgeBuckets + index;
    case FigureKind::AccessTime:
    case FigureKind::CreatedTime:
    case FigureKind::ModifiedTime:
        return kSlotLists + dateOf(figure.kind) * kTimeSlots + index;
    case FigureKind::Attribute:
        return kAttributeLists + index;
    case FigureKind::Overhang:
        return kOverhangList;
    case FigureKind::Type:
        break;
    }
    return kNoList;
}

struct TransparentHash
{
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept
    {
        return std::hash<std::string_view>{}(key);
    }
};

} // namespace

struct FigureFiles::Store
{
    // One kept file. Its name and folder are in `text`; lists refer to it
    // by number, and it is freed when the last of them lets it go.
    struct Record
    {
        std::uint32_t nameAt = 0;
        std::uint32_t nameLength = 0;
        std::uint32_t folder = 0;
        std::uint32_t refs = 0;
        FileTime created;
        FileTime accessed;
        FileTime modified;
        FileFacts facts;
    };
    struct Folder
    {
        std::uint32_t at = 0;
        std::uint32_t length = 0;
        std::uint32_t refs = 0;
    };
    // A place in a list: what the list orders by, and the file.
    struct Entry
    {
        std::int64_t rank;
        std::uint32_t record;
    };
    // A bounded list. Files that get in are appended; once it holds twice
    // as many as it keeps, the best are picked out and the others let go
    // (an append is cheap where keeping it in order would cost a search for
    // each). `floor` is the worst of the N best at the last pick, below
    // which no file gets in (-1 while fewer than N were offered); `totals`
    // counts every file offered, with its bytes (wasted bytes for the
    // overhang).
    struct List
    {
        std::vector<Entry> entries;
        std::int64_t floor = -1;
        Entry floorEntry{};
        FigureTotal total;
        // The floor as the walk's threads read it without the lock, kept
        // apart from the list (whose entries change with every file taken)
        // so that reading it costs them no cache line the lock's holder writes.
        std::atomic<std::int64_t> *published = nullptr;
        // A walking thread's type list: the same list's floor in the store
        // the threads share.
        const std::atomic<std::int64_t> *shared = nullptr;
        const std::string *key = nullptr; // a type's, as the map of types keeps it
    };

    explicit Store(KeepOptions keep)
        : options(std::move(keep)), lists(kFixedLists), fixedFloors(kFixedLists)
    {
        for (std::size_t i = 0; i < kFixedLists; ++i) {
            fixedFloors[i].store(-1, std::memory_order_relaxed);
            lists[i].published = &fixedFloors[i];
        }
    }

    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    KeepOptions options;
    // A walking thread's store keeps its totals only; the files go to the
    // store the threads share, under its lock, where one of them may get in.
    Store *shared = nullptr;
    std::mutex *sharedLock = nullptr;
    // A walking thread's totals of the fixed lists, until flush() adds them
    // to the lists'.
    std::vector<FigureTotal> fixedTotals;
    // Files on their way there: their records, folders, names and type keys.
    struct Candidate
    {
        Record record; // times and facts
        std::uint32_t folder = 0;
        std::uint32_t nameAt = 0;
        std::uint32_t keyAt = 0;
        std::uint32_t end = 0;
    };
    struct Pending
    {
        std::vector<Candidate> files;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> folder; // begin, end in text
        std::string text;
        std::vector<std::uint32_t> folderIds; // the shared store's, while passing on
        // The folder in the shared store of the directory whose files were
        // passed on last, held there: a thread counts the files of a
        // directory one after the other and no other thread counts them, so
        // a folder comes to the shared store once without a search by path.
        std::string heldPath;
        std::uint32_t heldFolder = kNone;
    } pending;
    // A full batch is passed on when the lock is free; while another thread
    // holds it the batch grows, up to kPendingMost, rather than the thread
    // sleeping on the lock (with more threads than cores, the holder may
    // itself be waiting for a core).
    static constexpr std::size_t kPendingBatch = 64;
    static constexpr std::size_t kPendingMost = 4 * kPendingBatch;
    // Made once, never moved. The types' lists in a deque: a list stays
    // where it is while others are added, so a thread may hold on to one.
    std::vector<List> lists;
    std::deque<List> typeLists;
    std::vector<std::atomic<std::int64_t>> fixedFloors; // the lists' published floors
    std::deque<std::atomic<std::int64_t>> typeFloors;
    std::vector<std::string> typeKeys;
    std::unordered_map<std::string, std::size_t, TransparentHash, std::equal_to<>> typeListOf;
    struct TypeSlot
    {
        std::uint64_t packed = 0; // the key's bytes, first lowest, and the top bit; 0: empty
        List *list = nullptr;
    };
    static constexpr std::size_t kTypeSlots = 256; // typeHome's eight bits
    static constexpr std::size_t kTypeProbes = 4;
    std::array<TypeSlot, kTypeSlots> typeSlots{};
    // The list of each type line of the counting thread, with its key packed.
    struct LineList
    {
        List *list = nullptr;
        std::uint64_t packed = 0;
    };
    std::vector<LineList> typeByLine;

    std::vector<Record> records;
    std::vector<std::uint32_t> freeRecords;
    std::vector<Folder> folders;
    std::vector<std::uint32_t> freeFolders;
    // Folders by path, for stores that take files of many directories at
    // once (merged, or shared by threads); a walk of one thread meets each
    // directory once and needs none.
    std::unordered_map<std::string, std::uint32_t, TransparentHash, std::equal_to<>> folderIndex;
    bool indexed = false;

    void indexFolders()
    {
        if (indexed)
            return;
        indexed = true;
        for (std::uint32_t id = 0; id < folders.size(); ++id)
            if (folders[id].refs > 0)
                folderIndex.emplace(textAt(folders[id].at, folders[id].length), id);
    }
    std::string text; // names and folders, as bytes
    std::size_t deadText = 0;
    std::size_t kept = 0;

    // The folder of the directory whose files are being kept, while it lasts.
    std::string currentPath;
    std::uint32_t currentFolder = kNone;

    [[nodiscard]] std::string_view textAt(std::uint32_t at, std::uint32_t length) const
    {
        return {text.data() + at, length};
    }
    [[nodiscard]] std::string_view nameOf(const Record &r) const
    {
        return textAt(r.nameAt, r.nameLength);
    }
    [[nodiscard]] std::string_view folderOf(const Record &r) const
    {
        const Folder &f = folders[r.folder];
        return textAt(f.at, f.length);
    }

    std::uint32_t addText(std::string_view bytes)
    {
        const auto at = static_cast<std::uint32_t>(text.size());
        text.append(bytes);
        return at;
    }

    // The number of a folder, stored once: the directory being walked is
    // remembered, others are looked up by path.
    // The directory being walked holds on to its folder, so that a file let
    // go there does not make the next one store the folder again.
    std::uint32_t folderFor(std::string_view path)
    {
        if (currentFolder != kNone && currentPath == path)
            return currentFolder;
        if (currentFolder != kNone)
            releaseFolder(currentFolder);
        currentFolder = pinFolder(path);
        currentPath.assign(path);
        return currentFolder;
    }

    // The folder of a path, held (once more) until releaseFolder.
    std::uint32_t pinFolder(std::string_view path)
    {
        std::uint32_t id;
        if (const auto found = indexed ? folderIndex.find(path) : folderIndex.end();
            found != folderIndex.end()) {
            id = found->second;
        } else {
            const Folder folder{addText(path), static_cast<std::uint32_t>(path.size()), 0};
            if (!freeFolders.empty()) {
                id = freeFolders.back();
                freeFolders.pop_back();
                folders[id] = folder;
            } else {
                id = static_cast<std::uint32_t>(folders.size());
                folders.push_back(folder);
            }
            if (indexed)
                folderIndex.emplace(std::string(path), id);
        }
        ++folders[id].refs;
        return id;
    }

    void releaseFolder(std::uint32_t id)
    {
        Folder &f = folders[id];
        if (--f.refs > 0)
            return;
        deadText += f.length;
        if (indexed)
            if (const auto found = folderIndex.find(textAt(f.at, f.length));
                found != folderIndex.end() && found->second == id)
                folderIndex.erase(found);
        freeFolders.push_back(id);
    }

    std::uint32_t newRecord(const Record &r)
    {
        ++kept;
        ++folders[r.folder].refs;
        if (!freeRecords.empty()) {
            const std::uint32_t id = freeRecords.back();
            freeRecords.pop_back();
            records[id] = r;
            return id;
        }
        records.push_back(r);
        return static_cast<std::uint32_t>(records.size() - 1);
    }

    void release(std::uint32_t id)
    {
        Record &r = records[id];
        if (--r.refs > 0)
            return;
        --kept;
        deadText += r.nameLength;
        freeRecords.push_back(id);
        releaseFolder(r.folder);
        compactIfWorthIt();
    }

    // Evicted names and folders stay in `text` until they take more room
    // than the live ones; then the live ones are copied together.
    void compactIfWorthIt()
    {
        constexpr std::size_t kLeastWorth = 64 * 1024;
        if (deadText < kLeastWorth || deadText * 2 < text.size())
            return;
        std::string packed;
        packed.reserve(text.size() - deadText);
        const auto move = [&](std::uint32_t &at, std::uint32_t length) {
            const auto to = static_cast<std::uint32_t>(packed.size());
            packed.append(text, at, length);
            at = to;
        };
        for (Folder &f : folders)
            if (f.refs > 0)
                move(f.at, f.length);
        for (Record &r : records)
            if (r.refs > 0)
                move(r.nameAt, r.nameLength);
        text.swap(packed);
        deadText = 0;
    }

    // True when a file of rank in folder/name goes before the entry: larger
    // first, then by folder and name, so that which of equal files are kept
    // does not depend on the order they were met in.
    [[nodiscard]] bool before(std::int64_t rank, std::string_view folder, std::string_view name,
                              const Entry &entry) const
    {
        if (rank != entry.rank)
            return rank > entry.rank;
        const Record &r = records[entry.record];
        const int byFolder = folder.compare(folderOf(r));
        return byFolder != 0 ? byFolder < 0 : name < nameOf(r);
    }
    [[nodiscard]] bool before(const Entry &a, const Entry &b) const
    {
        if (a.rank != b.rank)
            return a.rank > b.rank;
        const Record &r = records[a.record];
        return before(a.rank, folderOf(r), nameOf(r), b);
    }

    // Whether a file of rank in folder/name gets into the list.
    [[nodiscard]] bool admits(const List &list, std::int64_t rank, std::string_view folder,
                              std::string_view name) const
    {
        if (rank < list.floor)
            return false;
        if (list.floor < 0)
            return true;
        return before(rank, folder, name, list.floorEntry);
    }

    void insert(List &list, std::int64_t rank, std::uint32_t id)
    {
        ++records[id].refs;
        list.entries.push_back(Entry{rank, id});
        const std::size_t n = options.perFigure;
        // Picked at N (which sets the first floor) and then whenever half as
        // many again came in; never for a list that keeps every file.
        const std::size_t size = list.entries.size();
        if (n != kEveryFile && (size == n + n / 2 || (size == n && list.floor < 0)))
            pick(list);
    }

    // Keeps the N best of a list and lets the others go; the worst of those
    // kept becomes its floor, and the other threads' floor where it is higher.
    void pick(List &list)
    {
        const std::size_t n = options.perFigure;
        if (list.entries.size() < n || n == 0)
            return;
        const auto better = [this](const Entry &a, const Entry &b) { return before(a, b); };
        std::nth_element(list.entries.begin(), list.entries.begin() + std::ptrdiff_t(n - 1),
                         list.entries.end(), better);
        list.floorEntry = list.entries[n - 1];
        list.floor = list.floorEntry.rank;
        list.published->store(list.floor, std::memory_order_relaxed);
        for (std::size_t i = n; i < list.entries.size(); ++i)
            release(list.entries[i].record);
        list.entries.resize(n);
    }

    // Every list down to its N best, as the files are read.
    void settle()
    {
        forEveryList([this](List &list) {
            if (list.entries.size() > options.perFigure)
                pick(list);
        });
    }

    template <typename Visit> void forEveryList(Visit visit)
    {
        for (List &list : lists)
            visit(list);
        for (List &list : typeLists)
            visit(list);
    }

    // The list of a type: keys of up to eight bytes (all but the odd one)
    // by a probe of a small table, the others through the map.
    // A key of up to seven bytes as a number, first byte lowest, with the
    // top bit set so that no key packs to 0; 0 for a longer key.
    static std::uint64_t pack(std::string_view key)
    {
        std::uint64_t packed = 0;
        if (key.size() >= sizeof packed)
            return 0;
        for (std::size_t i = key.size(); i > 0; --i)
            packed = packed << 8 | static_cast<unsigned char>(key[i - 1]);
        return packed | std::uint64_t{1} << 63;
    }

    [[nodiscard]] List *typeList(std::string_view key, bool make)
    {
        const std::uint64_t packed = pack(key);
        const bool short_ = packed != 0;
        if (short_) {
            for (std::size_t probe = 0; probe < kTypeProbes; ++probe) {
                const TypeSlot &slot = typeSlots[(typeHome(packed) + probe) % kTypeSlots];
                if (slot.packed == packed)
                    return slot.list;
                if (slot.packed == 0)
                    break;
            }
        }
        auto found = typeListOf.find(key);
        if (found == typeListOf.end()) {
            if (!make)
                return nullptr;
            found = typeListOf.emplace(std::string(key), typeLists.size()).first;
            typeLists.emplace_back();
            typeLists.back().key = &found->first;
            typeLists.back().published = &typeFloors.emplace_back(-1);
            typeKeys.emplace_back(key);
            if (shared) {
                const std::lock_guard hold(*sharedLock);
                typeLists.back().shared = shared->typeList(key, true)->published;
            }
        }
        if (short_)
            for (std::size_t probe = 0; probe < kTypeProbes; ++probe) {
                TypeSlot &slot = typeSlots[(typeHome(packed) + probe) % kTypeSlots];
                if (slot.packed == 0) {
                    slot = {packed, &typeLists[found->second]};
                    break;
                }
            }
        return &typeLists[found->second];
    }
    static std::size_t typeHome(std::uint64_t packed)
    {
        return static_cast<std::size_t>((packed * 0x9E3779B97F4A7C15ULL) >> 56);
    }

    [[nodiscard]] const List *listOf(const Figure &figure) const
    {
        if (figure.kind != FigureKind::Type)
            return &lists[fixedListOf(figure)];
        const auto found = typeListOf.find(std::string_view(figure.typeKey));
        return found == typeListOf.end() ? nullptr : &typeLists[found->second];
    }

    // Every list a file of these facts belongs in, with its rank there:
    // `fixed` is given the number of each fixed list, `typedVisit` the list
    // of the file's type (`typed`, nullptr for none).
    template <typename Fixed, typename Typed>
    [[gnu::always_inline]] inline void forEachPlace(const FileFacts &facts,
                                                    std::string_view typeKey, List *typed,
                                                    Fixed fixed, Typed typedVisit)
    {
        if (options.only) {
            if (!inFigure(*options.only, facts, typeKey))
                return;
            const std::int64_t rank =
                options.only->kind == FigureKind::Overhang ? facts.wasted : facts.size;
            if (options.only->kind != FigureKind::Type)
                fixed(fixedListOf(*options.only), rank);
            else if (typed)
                typedVisit(*typed, rank);
            return;
        }
        const std::int64_t size = facts.size;
        fixed(kBandLists + facts.band - 1u, size);
        for (std::size_t date = 0; date < 3; ++date) {
            fixed(kAgeLists + date * kAgeBuckets + facts.ages[date], size);
            if (facts.halfHours[date] > 0)
                fixed(kSlotLists + date * kTimeSlots + static_cast<std::size_t>(facts.halfHours[date]),
                      size);
        }
        // Most files have none of the four attributes.
        if (facts.attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive))
            for (std::size_t i = 0; i < kAttributeFigures; ++i)
                if (facts.attributes & kAttributeBits[i])
                    fixed(kAttributeLists + i, size);
        if (facts.overhangCounted && facts.wasted > 0)
            fixed(kOverhangList, facts.wasted);
        if (typed)
            typedVisit(*typed, size);
    }
    template <typename Visit>
    [[gnu::always_inline]] inline void forEachList(const FileFacts &facts, std::string_view typeKey,
                                                   List *typed, Visit visit)
    {
        forEachPlace(
            facts, typeKey, typed,
            [&](std::size_t i, std::int64_t rank) __attribute__((always_inline)) {
                visit(lists[i], rank);
            },
            visit);
    }

    // The list of a file's type: from the counting thread's line of it,
    // looked up once per line (the lines move when a type is added, which
    // changes their count).
    [[nodiscard]] List *typeListOfLine(const FileFacts &facts, std::string_view typeKey, int line,
                                       std::size_t lines)
    {
        if (!facts.typed)
            return nullptr;
        if (line < 0 || static_cast<std::size_t>(line) >= lines)
            return typeList(typeKey, true);
        if (typeByLine.size() != lines)
            typeByLine.assign(lines, {});
        // Checked by key: another thread's record, or the next drive's, may
        // have as many lines in another order. A short key is checked by its
        // packed bytes, which are at hand, where the list's key would cost a
        // read from memory the walk has long since pushed out of the cache.
        LineList &cached = typeByLine[static_cast<std::size_t>(line)];
        const std::uint64_t packed = pack(typeKey);
        if (!cached.list || cached.packed != packed || (packed == 0 && *cached.list->key != typeKey))
            cached = {typeList(typeKey, true), packed};
        return cached.list;
    }

    // Offers a file to every list it belongs in; the record is made (by
    // `fill`, which sets its times and facts) only when a list takes it.
    // Offers a file to every list it belongs in; the record is made (by
    // `fill`, which sets its times and facts) only when a list takes it.
    // Inline down to the comparison with each list's floor, which turns away
    // nearly every file: only a file that passes calls out.
    template <typename Fill>
    [[gnu::always_inline]] inline void offer(std::string_view folder, std::string_view name,
                                             const FileFacts &facts, std::string_view typeKey,
                                             List *typed, bool counted, Fill fill,
                                             std::uint32_t folderId = kNone)
    {
        std::uint32_t id = kNone;
        forEachList(
            facts, typeKey,
            typed, [&](List & list, std::int64_t rank) __attribute__((always_inline)) {
                if (counted) {
                    list.total.files += 1;
                    list.total.bytes += static_cast<double>(rank);
                }
                if (rank >= list.floor && options.perFigure != 0)
                    take(list, rank, folder, name, id, fill, folderId);
            });
        if (id != kNone)
            release(id);
    }

    template <typename Fill>
    [[gnu::noinline]] void take(List &list, std::int64_t rank, std::string_view folder,
                                std::string_view name, std::uint32_t &id, Fill &fill,
                                std::uint32_t folderId)
    {
        if (!admits(list, rank, folder, name))
            return;
        if (id == kNone) {
            Record r;
            fill(r);
            r.folder = folderId != kNone ? folderId : folderFor(folder);
            r.nameAt = addText(name);
            r.nameLength = static_cast<std::uint32_t>(name.size());
            id = newRecord(r);
            // Held until every list was offered it, so that no eviction frees
            // it (or its folder) in between.
            records[id].refs = 1;
        }
        insert(list, rank, id);
    }

    // Passes the batch of files on to the shared store; unless `wait`, only
    // if its lock is free at once.
    void passOn(bool wait);

    void removeFrom(List &list, std::uint32_t id)
    {
        const auto it = std::find_if(list.entries.begin(), list.entries.end(),
                                     [id](const Entry &e) { return e.record == id; });
        if (it == list.entries.end())
            return;
        *it = list.entries.back();
        list.entries.pop_back();
        // The files below the floor were let go: the list now holds the
        // largest there are but one fewer, and takes any that come.
        list.floor = -1;
        list.published->store(-1, std::memory_order_relaxed);
        release(id);
    }
};

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
    const auto fill = [&](Store::Record &r) {
        r.created = entry.creation;
        r.accessed = entry.lastAccess;
        r.modified = entry.lastWrite;
        r.facts = facts;
    };
    if (!s.shared) {
        s.offer(directory, entry.name, facts, typeKey, typed, true, fill);
        return;
    }
    // A walking thread counts the totals itself and takes the shared store's
    // lock only for a file that one of its lists may take. The fixed lists'
    // totals and floors are read from arrays of their own, a few cache lines
    // that stay at hand between the files, where the lists would be many.
    bool wanted = false;
    const std::atomic<std::int64_t> *floors = s.shared->fixedFloors.data();
    FigureTotal *totals = s.fixedTotals.data();
    s.forEachPlace(
        facts, typeKey, typed,
        [&](std::size_t i, std::int64_t rank) __attribute__((always_inline)) {
            totals[i].files += 1;
            totals[i].bytes += static_cast<double>(rank);
            wanted = wanted || rank >= floors[i].load(std::memory_order_relaxed);
        },
        [&wanted](Store::List &list, std::int64_t rank) __attribute__((always_inline)) {
            list.total.files += 1;
            list.total.bytes += static_cast<double>(rank);
            wanted = wanted || rank >= list.shared->load(std::memory_order_relaxed);
        });
    if (!wanted)
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
    Store::Candidate c;
    fill(c.record);
    c.folder = static_cast<std::uint32_t>(p.folder.size() - 1);
    c.nameAt = static_cast<std::uint32_t>(p.text.size());
    p.text.append(entry.name);
    c.keyAt = static_cast<std::uint32_t>(p.text.size());
    p.text.append(typeKey);
    c.end = static_cast<std::uint32_t>(p.text.size());
    p.files.push_back(c);
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
        for (const Candidate &c : p.files) {
            const auto bytes = [&p](std::uint32_t from, std::uint32_t end) {
                return std::string_view(p.text).substr(from, end - from);
            };
            const std::string_view key = bytes(c.keyAt, c.end);
            const auto &[folderAt, folderEnd] = p.folder[c.folder];
            to.offer(
                bytes(folderAt, folderEnd), bytes(c.nameAt, c.keyAt), c.record.facts, key,
                c.record.facts.typed ? to.typeList(key, true) : nullptr, false,
                [&c](Record &r) { r = c.record; }, held[c.folder]);
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
    for (const Store::Record &r : o.records) {
        if (r.refs == 0)
            continue;
        const std::string typeKey = r.facts.typed ? asciiUpper(fileExtension(o.nameOf(r))) : "";
        Store::List *typed = r.facts.typed ? s.typeList(typeKey, true) : nullptr;
        s.offer(o.folderOf(r), o.nameOf(r), r.facts, typeKey, typed, false,
                [&r](Store::Record &to) {
                    to.created = r.created;
                    to.accessed = r.accessed;
                    to.modified = r.modified;
                    to.facts = r.facts;
                });
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
              [&s](const Store::Entry &a, const Store::Entry &b) { return s.before(a, b); });
    out.reserve(entries.size());
    for (const Store::Entry &e : entries) {
        const Store::Record &r = s.records[e.record];
        KeptFile file;
        file.name.assign(s.nameOf(r));
        file.folder.assign(s.folderOf(r));
        file.created = r.created;
        file.accessed = r.accessed;
        file.modified = r.modified;
        file.facts = r.facts;
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
        if (s.records[i].refs > 0 && s.nameOf(s.records[i]) == file.name &&
            s.folderOf(s.records[i]) == file.folder)
            id = i;
    if (id == Store::kNone)
        return false;
    // Held while it leaves its lists, so that its text stays readable.
    ++s.records[id].refs;
    s.forEachList(s.records[id].facts, typeKey, typed,
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
                        (s.freeRecords.capacity() + s.freeFolders.capacity()) * 4;
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
