#pragma once

// The store behind FigureFiles: its records, folders, names and lists, and
// how a file gets into a list and is let go. Only FigureFiles.cpp includes
// it; the class's operations (keeping, passing on, merging, reading) are
// there.

#include "engine/FigureFiles.h"

#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace vorin {
namespace figurestore {

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

inline std::size_t fixedListOf(const Figure &figure)
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

} // namespace figurestore

using namespace figurestore;

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

} // namespace vorin
