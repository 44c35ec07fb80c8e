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
#include <bit>
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
// The most fixed lists one file is in: its band, three ages, three half
// hours, the attributes, the overhang.
constexpr std::size_t kMostFixedPlaces = 1 + 3 + 3 + kAttributeFigures + 1;
static_assert(kFixedLists <= 256, "a fixed list's number fits a byte");
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
    // A cache line each: the lists' picks let go of records all over the
    // store, and a record that straddles two lines costs two misses. The
    // facts are packed (FileFacts has padding) and the count of lists that
    // hold a record is apart, in `holders`.
    struct alignas(64) Record
    {
        FileTime created;
        FileTime accessed;
        FileTime modified;
        std::int64_t size = 0;
        std::int64_t wasted = 0;
        std::uint32_t nameAt = 0;
        std::uint32_t nameLength = 0;
        std::uint32_t folder = 0;
        std::uint32_t attributes = 0;
        std::uint8_t band = 1;
        std::array<std::uint8_t, 3> ages{};
        std::array<std::int8_t, 3> halfHours{};
        std::uint8_t flags = 0;

        static constexpr std::uint8_t kOverhangCounted = 1;
        static constexpr std::uint8_t kTyped = 2;

        void set(const FileTime &c, const FileTime &a, const FileTime &m, const FileFacts &f)
        {
            created = c;
            accessed = a;
            modified = m;
            size = f.size;
            wasted = f.wasted;
            attributes = f.attributes;
            band = f.band;
            ages = f.ages;
            halfHours = f.halfHours;
            flags = static_cast<std::uint8_t>((f.overhangCounted ? kOverhangCounted : 0) |
                                              (f.typed ? kTyped : 0));
        }
        [[nodiscard]] FileFacts facts() const
        {
            FileFacts f;
            f.size = size;
            f.wasted = wasted;
            f.attributes = attributes;
            f.band = band;
            f.ages = ages;
            f.halfHours = halfHours;
            f.overhangCounted = (flags & kOverhangCounted) != 0;
            f.typed = (flags & kTyped) != 0;
            return f;
        }
    };
    static_assert(sizeof(Record) == 64);
    struct Folder
    {
        std::uint32_t at = 0;
        std::uint32_t length = 0;
        std::uint32_t refs = 0;
    };
    // A place in a list: what the list orders by, as a key of 32 bits, and
    // the file. Eight bytes rather than sixteen: every pick reads a list
    // through, and the lists together are larger than the cache.
    struct Entry
    {
        std::uint32_t key;
        std::uint32_t record;
    };
    // The key is the rank itself below 2 GiB; above, the rank's magnitude
    // and its next 26 bits, which keep the order, and equal keys are told
    // apart by the ranks in the records.
    static constexpr std::uint32_t kExactKeys = std::uint32_t{1} << 31;
    static std::uint32_t keyOf(std::int64_t rank)
    {
        if (rank < 0)
            return 0;
        const auto r = static_cast<std::uint64_t>(rank);
        if (r < kExactKeys)
            return static_cast<std::uint32_t>(r);
        constexpr int kFraction = 26;
        const int magnitude = std::bit_width(r) - 1; // 31 to 62
        return kExactKeys + (static_cast<std::uint32_t>(magnitude - 31) << kFraction) +
               static_cast<std::uint32_t>((r >> (magnitude - kFraction)) &
                                          ((std::uint64_t{1} << kFraction) - 1));
    }
    // A bounded list. Files that get in are appended; once it holds half
    // as many again as it keeps, the best are picked out and the others let go
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
        bool byWasted = false; // the overhang's
        FigureTotal total;
        // The floor as the walk's threads read it without the lock, kept
        // apart from the list (whose entries change with every file taken)
        // so that reading it costs them no cache line the lock's holder writes.
        std::atomic<std::int64_t> *published = nullptr;
        // A walking thread's type list: the same list in the store the
        // threads share, and its floor there.
        List *sharedList = nullptr;
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
        lists[kOverhangList].byWasted = true;
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
    // Files on their way there: their times and facts, folders, names, and
    // the lists whose floor they passed.
    struct Candidate
    {
        FileTime created;
        FileTime accessed;
        FileTime modified;
        FileFacts facts;
        std::uint32_t folder = 0;
        std::uint32_t nameAt = 0;
        std::uint32_t end = 0;
        // The lists whose floor the file passed, so that the shared store
        // reads no other: the fixed ones by number, and its type's.
        std::uint8_t placeCount = 0;
        std::array<std::uint8_t, kMostFixedPlaces> places;
        List *typeList = nullptr;
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
    // How many lists hold each record (and a file on its way through them):
    // apart from the records, so that letting a record go reads a small
    // array that stays in the cache rather than the record.
    std::vector<std::uint16_t> holders;
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

    // The text starts at about the size the lists' names and folders reach,
    // so that the walk does not copy it over and over as it grows from nothing.
    [[nodiscard]] std::size_t textStart() const
    {
        constexpr std::size_t kMost = std::size_t{1} << 20;
        constexpr std::size_t kPerFile = 32;
        const std::size_t n = std::min(options.perFigure, kMost);
        return std::clamp(kFixedLists * n * kPerFile, std::size_t{4096}, kMost);
    }

    std::uint32_t addText(std::string_view bytes)
    {
        if (text.size() + bytes.size() > text.capacity())
            text.reserve(std::max(2 * text.capacity(), textStart()));
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

    // A record held once, by the file on its way through its lists, and
    // its folder with it. The caller fills the record where it lies (see
    // the walking thread's candidates in FigureFiles::keep for why).
    std::uint32_t newRecord(std::uint32_t folder)
    {
        ++kept;
        ++folders[folder].refs;
        std::uint32_t id;
        if (!freeRecords.empty()) {
            id = freeRecords.back();
            freeRecords.pop_back();
            holders[id] = 1;
        } else {
            id = static_cast<std::uint32_t>(records.size());
            records.emplace_back();
            holders.push_back(1);
        }
        return id;
    }

    void release(std::uint32_t id)
    {
        if (--holders[id] > 0)
            return;
        const Record &r = records[id];
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
        packed.reserve(text.capacity()); // the room the text has grown to, again
        const auto move = [&](std::uint32_t &at, std::uint32_t length) {
            const auto to = static_cast<std::uint32_t>(packed.size());
            packed.append(text, at, length);
            at = to;
        };
        for (Folder &f : folders)
            if (f.refs > 0)
                move(f.at, f.length);
        for (std::size_t id = 0; id < records.size(); ++id)
            if (holders[id] > 0)
                move(records[id].nameAt, records[id].nameLength);
        text.swap(packed);
        deadText = 0;
    }

    // True when a file of rank in folder/name goes before the entry: larger
    // first, then by folder and name, so that which of equal files are kept
    // does not depend on the order they were met in.
    [[nodiscard]] bool before(const List &list, std::int64_t rank, std::string_view folder,
                              std::string_view name, const Entry &entry) const
    {
        const std::uint32_t key = keyOf(rank);
        if (key != entry.key)
            return key > entry.key;
        const Record &r = records[entry.record];
        if (key >= kExactKeys)
            if (const std::int64_t other = rankOf(list, r); rank != other)
                return rank > other;
        const int byFolder = folder.compare(folderOf(r));
        return byFolder != 0 ? byFolder < 0 : name < nameOf(r);
    }
    [[nodiscard]] bool before(const List &list, const Entry &a, const Entry &b) const
    {
        if (a.key != b.key)
            return a.key > b.key;
        const Record &r = records[a.record];
        return before(list, rankOf(list, r), folderOf(r), nameOf(r), b);
    }
    [[nodiscard]] static std::int64_t rankOf(const List &list, const Record &r)
    {
        return list.byWasted ? r.wasted : r.size;
    }

    // Whether a file of rank in folder/name gets into the list.
    [[nodiscard]] bool admits(const List &list, std::int64_t rank, std::string_view folder,
                              std::string_view name) const
    {
        if (rank < list.floor)
            return false;
        if (list.floor < 0)
            return true;
        return before(list, rank, folder, name, list.floorEntry);
    }

    void insert(List &list, std::int64_t rank, std::uint32_t id)
    {
        ++holders[id];
        const std::size_t n = options.perFigure;
        // Room for as many as a list holds between picks, once: grown step
        // by step, the lists' entries would be copied over many times.
        if (list.entries.capacity() == 0 && n != kEveryFile)
            list.entries.reserve(n + n / 2);
        list.entries.push_back(Entry{keyOf(rank), id});
        // Picked at N (which sets the first floor) and then whenever half as
        // many again came in; never for a list that keeps every file.
        const std::size_t size = list.entries.size();
        if (n != kEveryFile && (size == n + n / 2 || (size == n && list.floor < 0)))
            pick(list);
    }

    // Keys sorted into 264 buckets by their magnitude and the three bits
    // after their top one: a larger key is never in a lower bucket.
    static constexpr std::size_t kPickBuckets = 33 * 8;
    static std::size_t bucketOf(std::uint32_t key)
    {
        const int zeros = std::countl_zero(key); // 32 for 0
        const auto next = static_cast<std::size_t>((std::uint64_t{key} << zeros) >> 28) & 7;
        return static_cast<std::size_t>(32 - zeros) << 3 | next;
    }

    // Keeps the N best of a list and lets the others go; the worst of those
    // kept becomes its floor, and the other threads' floor where it is higher.
    // The cut is found by counting the keys per bucket: the buckets above
    // the cut's are kept whole and only the few keys of its own are put in
    // order. A selection by comparisons guesses half its branches wrong on
    // random sizes; this one branches on no key.
    void pick(List &list)
    {
        const std::size_t n = options.perFigure;
        const std::size_t size = list.entries.size();
        if (size < n || n == 0)
            return;
        // Each key's bucket is worked out once, for the count and the partition.
        pickBuckets.resize(size);
        std::uint16_t *const buckets = pickBuckets.data();
        std::array<std::uint32_t, kPickBuckets> counts{};
        for (std::size_t i = 0; i < size; ++i) {
            buckets[i] = static_cast<std::uint16_t>(bucketOf(list.entries[i].key));
            ++counts[buckets[i]];
        }
        std::size_t cut = kPickBuckets - 1;
        std::size_t above = 0;
        while (above + counts[cut] < n)
            above += counts[cut--];
        // Kept to the front, the cut's bucket aside, the rest let go: each
        // entry is written to all three places and only counted in its own.
        pickTied.resize(size);
        pickGone.resize(size);
        Entry *const tied = pickTied.data();
        std::uint32_t *const gone = pickGone.data();
        std::size_t front = 0, ties = 0, lost = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const Entry e = list.entries[i];
            const std::size_t b = buckets[i];
            list.entries[front] = e;
            front += b > cut;
            tied[ties] = e;
            ties += b == cut;
            gone[lost] = e.record;
            lost += b < cut;
        }
        const std::size_t need = n - front;
        std::nth_element(
            tied, tied + (need - 1), tied + ties,
            [this, &list](const Entry &a, const Entry &b) { return before(list, a, b); });
        std::copy(tied, tied + need, list.entries.begin() + std::ptrdiff_t(front));
        list.entries.resize(n);
        list.floorEntry = tied[need - 1];
        list.floor = rankOf(list, records[list.floorEntry.record]);
        list.published->store(list.floor, std::memory_order_relaxed);
        for (std::size_t i = need; i < ties; ++i)
            release(tied[i].record);
        for (std::size_t i = 0; i < lost; ++i)
            release(gone[i]);
    }
    std::vector<std::uint16_t> pickBuckets;
    std::vector<Entry> pickTied;
    std::vector<std::uint32_t> pickGone;

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
                List *there = shared->typeList(key, true);
                typeLists.back().sharedList = there;
                typeLists.back().shared = there->published;
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
            // Held until every list was offered it, so that no eviction frees
            // it (or its folder) in between.
            const std::uint32_t folderOfFile = folderId != kNone ? folderId : folderFor(folder);
            id = newRecord(folderOfFile);
            Record &r = records[id];
            fill(r);
            r.folder = folderOfFile;
            r.nameAt = addText(name);
            r.nameLength = static_cast<std::uint32_t>(name.size());
        }
        insert(list, rank, id);
    }

    // Passes the batch of files on to the shared store; unless `wait`, only
    // if its lock is free at once.
    void passOn(bool wait);

    // The lists whose floor a passed file beat: the fixed ones, then its type's.
    template <typename Visit> void forEachPassed(const Candidate &c, Visit visit)
    {
        for (std::size_t k = 0; k < c.placeCount; ++k)
            visit(lists[c.places[k]]);
        if (c.typeList)
            visit(*c.typeList);
    }
    void prefetchLists(const Candidate &c)
    {
        forEachPassed(c, [](const List &list) { __builtin_prefetch(&list); });
    }
    void prefetchEntries(const Candidate &c)
    {
        forEachPassed(c, [](const List &list) {
            __builtin_prefetch(list.entries.data() + list.entries.size(), 1);
        });
    }

    // A file passed on by a walking thread, offered to the lists it passed.
    void offerPassed(const Candidate &c, std::string_view folder, std::string_view name,
                     std::uint32_t folderId)
    {
        std::uint32_t id = kNone;
        const auto fill = [&c](Record &r) { r.set(c.created, c.accessed, c.modified, c.facts); };
        forEachPassed(c, [&](List &list) {
            const std::int64_t rank = list.byWasted ? c.facts.wasted : c.facts.size;
            if (rank >= list.floor)
                take(list, rank, folder, name, id, fill, folderId);
        });
        if (id != kNone)
            release(id);
    }

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
