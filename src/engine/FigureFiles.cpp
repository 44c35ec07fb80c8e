#include "engine/FigureFiles.h"

#include "platform/DirectoryReader.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <utility>

namespace vorin {
namespace {

constexpr std::string_view kAttributeNames[kAttributeFigures] = {"readOnly", "hidden", "system",
                                                                 "archive"};
constexpr std::uint32_t kAttributeBits[kAttributeFigures] = {kAttrReadOnly, kAttrHidden,
                                                             kAttrSystem, kAttrArchive};

struct KindName
{
    FigureKind kind;
    std::string_view name;
    int first;
    int last;
};

constexpr KindName kKindNames[] = {
    {FigureKind::Size, "sizes", 1, kSizeBands},
    {FigureKind::AccessAge, "accessAge", 0, kAgeBuckets - 1},
    {FigureKind::CreatedAge, "createdAge", 0, kAgeBuckets - 1},
    {FigureKind::ModifiedAge, "modifiedAge", 0, kAgeBuckets - 1},
    // The half hour after midnight is a figure of the page too, always empty.
    {FigureKind::AccessTime, "accessTime", 0, kTimeSlots - 1},
    {FigureKind::CreatedTime, "createdTime", 0, kTimeSlots - 1},
    {FigureKind::ModifiedTime, "modifiedTime", 0, kTimeSlots - 1},
};

// The date of an age or time figure, in the order of a file's facts.
std::size_t dateOf(FigureKind kind)
{
    switch (kind) {
    case FigureKind::AccessAge:
    case FigureKind::AccessTime:
        return kAccessed;
    case FigureKind::CreatedAge:
    case FigureKind::CreatedTime:
        return kCreated;
    default:
        return kModified;
    }
}

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

bool validFigure(const Figure &figure)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return typeKeyLength(figure.typeKey) <= kMaxTypeKeyLength &&
               (figure.typeKey.empty() || figure.typeKey.front() == '.');
    case FigureKind::Attribute:
        return figure.index >= 0 && figure.index < kAttributeFigures;
    case FigureKind::Overhang:
        return figure.index == 0;
    default:
        break;
    }
    for (const KindName &k : kKindNames)
        if (k.kind == figure.kind)
            return figure.index >= k.first && figure.index <= k.last;
    return false;
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

std::string figureName(const Figure &figure)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return "types:" + figure.typeKey;
    case FigureKind::Attribute:
        return "attributes:" +
               std::string(kAttributeNames[std::clamp(figure.index, 0, kAttributeFigures - 1)]);
    case FigureKind::Overhang:
        return "overhang";
    default:
        break;
    }
    for (const KindName &k : kKindNames)
        if (k.kind == figure.kind)
            return std::string(k.name) + ':' + std::to_string(figure.index);
    return {};
}

std::optional<Figure> parseFigure(std::string_view name)
{
    if (name == "overhang")
        return Figure{FigureKind::Overhang, 0, {}};
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view kind = name.substr(0, colon);
    const std::string_view value = name.substr(colon + 1);
    Figure figure;
    if (kind == "types") {
        figure.typeKey = asciiUpper(value);
    } else if (kind == "attributes") {
        const auto *found =
            std::find(std::begin(kAttributeNames), std::end(kAttributeNames), value);
        if (found == std::end(kAttributeNames))
            return std::nullopt;
        figure.kind = FigureKind::Attribute;
        figure.index = static_cast<int>(found - std::begin(kAttributeNames));
    } else {
        const auto *found = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                         [kind](const KindName &k) { return k.name == kind; });
        if (found == std::end(kKindNames))
            return std::nullopt;
        figure.kind = found->kind;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), figure.index);
        if (error != std::errc() || end != value.data() + value.size() || value.empty())
            return std::nullopt;
    }
    if (!validFigure(figure))
        return std::nullopt;
    return figure;
}

std::string_view figureNameForms()
{
    return "types:EXT (types:.ISO; types: for files without one), sizes:1..12, "
           "accessAge:0..9, createdAge:0..9, modifiedAge:0..9, accessTime:0..47, "
           "createdTime:0..47, modifiedTime:0..47, attributes:readOnly|hidden|system|archive, "
           "overhang";
}

bool inFigure(const Figure &figure, const FileFacts &facts, std::string_view typeKey)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return facts.typed && typeKey == figure.typeKey;
    case FigureKind::Size:
        return facts.band == figure.index;
    case FigureKind::AccessAge:
    case FigureKind::CreatedAge:
    case FigureKind::ModifiedAge:
        return facts.ages[dateOf(figure.kind)] == figure.index;
    case FigureKind::AccessTime:
    case FigureKind::CreatedTime:
    case FigureKind::ModifiedTime:
        return facts.halfHours[dateOf(figure.kind)] == figure.index;
    case FigureKind::Attribute:
        return figure.index >= 0 && figure.index < kAttributeFigures &&
               (facts.attributes & kAttributeBits[figure.index]) != 0;
    case FigureKind::Overhang:
        return facts.overhangCounted && facts.wasted > 0;
    }
    return false;
}

std::string attributeLetters(std::uint32_t attributes)
{
    std::string letters;
    for (int i = 0; i < kAttributeFigures; ++i)
        if (attributes & kAttributeBits[i])
            letters += "RHSA"[i];
    return letters;
}

std::string KeptFile::path() const
{
    std::string path = folder;
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
    path += name;
    return path;
}

std::string KeptFile::typeKey() const
{
    return facts.typed ? asciiUpper(fileExtension(name)) : std::string();
}

// ---------------------------------------------------------------------------

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
    // A bounded list: a heap whose top is the file to let go first, the
    // rank below which no file gets in (-1 while there is room), and the
    // files and bytes (wasted bytes for the overhang) of every file offered.
    struct List
    {
        std::vector<Entry> heap;
        std::int64_t floor = -1;
        FigureTotal total;
    };

    explicit Store(KeepOptions keep) : options(std::move(keep)), lists(kFixedLists) {}

    KeepOptions options;
    std::vector<List> lists;
    std::vector<List> typeLists;
    std::vector<std::string> typeKeys;
    std::unordered_map<std::string, std::size_t, TransparentHash, std::equal_to<>> typeListOf;
    std::string lastTypeKey = std::string(1, '\0'); // no key is a NUL
    std::size_t lastTypeList = kNoList;

    std::vector<Record> records;
    std::vector<std::uint32_t> freeRecords;
    std::vector<Folder> folders;
    std::vector<std::uint32_t> freeFolders;
    std::vector<char> text;
    std::size_t deadText = 0;
    std::size_t kept = 0;

    // The folder of the directory whose files are being kept, while it lasts.
    std::string currentPath;
    std::uint32_t currentFolder = kNone;
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

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
        text.insert(text.end(), bytes.begin(), bytes.end());
        return at;
    }

    std::uint32_t newFolder(std::string_view path)
    {
        Folder folder{addText(path), static_cast<std::uint32_t>(path.size()), 0};
        if (!freeFolders.empty()) {
            const std::uint32_t id = freeFolders.back();
            freeFolders.pop_back();
            folders[id] = folder;
            return id;
        }
        folders.push_back(folder);
        return static_cast<std::uint32_t>(folders.size() - 1);
    }

    std::uint32_t folderFor(std::string_view directory)
    {
        if (currentFolder == kNone || currentPath != directory) {
            currentPath.assign(directory);
            currentFolder = newFolder(directory);
        }
        return currentFolder;
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
        Folder &f = folders[r.folder];
        if (--f.refs == 0) {
            deadText += f.length;
            freeFolders.push_back(r.folder);
            if (r.folder == currentFolder)
                currentFolder = kNone;
        }
        compactIfWorthIt();
    }

    // Evicted names and folders stay in `text` until they take more room
    // than the live ones; then the live ones are copied together.
    void compactIfWorthIt()
    {
        constexpr std::size_t kLeastWorth = 64 * 1024;
        if (deadText < kLeastWorth || deadText * 2 < text.size())
            return;
        std::vector<char> packed;
        packed.reserve(text.size() - deadText);
        const auto move = [&](std::uint32_t &at, std::uint32_t length) {
            const auto to = static_cast<std::uint32_t>(packed.size());
            packed.insert(packed.end(), text.begin() + at, text.begin() + at + length);
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
        // The current directory keeps its number only while it holds files.
        if (currentFolder != kNone && folders[currentFolder].refs == 0)
            currentFolder = kNone;
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
        return before(rank, folder, name, list.heap.front());
    }

    void insert(List &list, std::int64_t rank, std::uint32_t id)
    {
        const auto worseFirst = [this](const Entry &a, const Entry &b) { return before(a, b); };
        ++records[id].refs;
        if (list.heap.size() >= options.perFigure) {
            std::pop_heap(list.heap.begin(), list.heap.end(), worseFirst);
            const std::uint32_t evicted = list.heap.back().record;
            list.heap.back() = Entry{rank, id};
            std::push_heap(list.heap.begin(), list.heap.end(), worseFirst);
            release(evicted);
        } else {
            list.heap.push_back(Entry{rank, id});
            std::push_heap(list.heap.begin(), list.heap.end(), worseFirst);
        }
        list.floor = list.heap.size() >= options.perFigure ? list.heap.front().rank : -1;
    }

    [[nodiscard]] List *typeList(std::string_view key, bool make)
    {
        if (key == lastTypeKey)
            return &typeLists[lastTypeList];
        auto found = typeListOf.find(key);
        if (found == typeListOf.end()) {
            if (!make)
                return nullptr;
            found = typeListOf.emplace(std::string(key), typeLists.size()).first;
            typeLists.emplace_back();
            typeKeys.emplace_back(key);
        }
        lastTypeKey.assign(key);
        lastTypeList = found->second;
        return &typeLists[found->second];
    }

    [[nodiscard]] const List *listOf(const Figure &figure) const
    {
        if (figure.kind != FigureKind::Type)
            return &lists[fixedListOf(figure)];
        const auto found = typeListOf.find(std::string_view(figure.typeKey));
        return found == typeListOf.end() ? nullptr : &typeLists[found->second];
    }

    // Every list a file of these facts belongs in, with its rank there.
    template <typename Visit>
    void forEachList(const FileFacts &facts, std::string_view typeKey, bool makeType, Visit visit)
    {
        if (options.only) {
            if (!inFigure(*options.only, facts, typeKey))
                return;
            List *list = options.only->kind == FigureKind::Type
                             ? typeList(typeKey, makeType)
                             : &lists[fixedListOf(*options.only)];
            if (list)
                visit(*list,
                      options.only->kind == FigureKind::Overhang ? facts.wasted : facts.size);
            return;
        }
        const std::int64_t size = facts.size;
        visit(lists[kBandLists + facts.band - 1u], size);
        for (std::size_t date = 0; date < 3; ++date) {
            visit(lists[kAgeLists + date * kAgeBuckets + facts.ages[date]], size);
            if (facts.halfHours[date] > 0)
                visit(lists[kSlotLists + date * kTimeSlots +
                            static_cast<std::size_t>(facts.halfHours[date])],
                      size);
        }
        for (std::size_t i = 0; i < kAttributeFigures; ++i)
            if (facts.attributes & kAttributeBits[i])
                visit(lists[kAttributeLists + i], size);
        if (facts.overhangCounted && facts.wasted > 0)
            visit(lists[kOverhangList], facts.wasted);
        if (facts.typed)
            if (List *list = typeList(typeKey, makeType))
                visit(*list, size);
    }

    // Offers a file to every list it belongs in; the record is made (by
    // `fill`, which sets its times and facts) only when a list takes it.
    template <typename Fill>
    void offer(std::string_view folder, std::string_view name, const FileFacts &facts,
               std::string_view typeKey, std::uint32_t folderId, bool counted, Fill fill)
    {
        std::uint32_t id = kNone;
        forEachList(facts, typeKey, true, [&](List &list, std::int64_t rank) {
            if (counted) {
                list.total.files += 1;
                list.total.bytes += static_cast<double>(rank);
            }
            if (options.perFigure == 0 || !admits(list, rank, folder, name))
                return;
            if (id == kNone) {
                Record r;
                fill(r);
                r.folder = folderId == kNone ? folderFor(folder) : folderId;
                r.nameAt = addText(name);
                r.nameLength = static_cast<std::uint32_t>(name.size());
                id = newRecord(r);
                // Held until every list was offered it, so that no eviction
                // frees it (or its folder) in between.
                records[id].refs = 1;
            }
            insert(list, rank, id);
        });
        if (id != kNone)
            release(id);
    }

    void removeFrom(List &list, std::uint32_t id)
    {
        const auto it = std::find_if(list.heap.begin(), list.heap.end(),
                                     [id](const Entry &e) { return e.record == id; });
        if (it == list.heap.end())
            return;
        *it = list.heap.back();
        list.heap.pop_back();
        std::make_heap(list.heap.begin(), list.heap.end(),
                       [this](const Entry &a, const Entry &b) { return before(a, b); });
        list.floor = list.heap.size() >= options.perFigure ? list.heap.front().rank : -1;
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

const KeepOptions &FigureFiles::options() const
{
    return m_store->options;
}

void FigureFiles::keep(std::string_view directory, const DirectoryEntry &entry,
                       const FileFacts &facts, std::string_view typeKey)
{
    Store &s = *m_store;
    s.offer(directory, entry.name, facts, typeKey, Store::kNone, true, [&](Store::Record &r) {
        r.created = entry.creation;
        r.accessed = entry.lastAccess;
        r.modified = entry.lastWrite;
        r.facts = facts;
    });
}

void FigureFiles::merge(const FigureFiles &other)
{
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
    // Folders by path, so that a folder met by two threads is stored once.
    std::unordered_map<std::string, std::uint32_t, TransparentHash, std::equal_to<>> folderIds;
    for (std::uint32_t i = 0; i < s.folders.size(); ++i)
        if (s.folders[i].refs > 0)
            folderIds.emplace(s.textAt(s.folders[i].at, s.folders[i].length), i);
    // Every kept file of other, once, in no particular order: each list
    // keeps the best whatever the order.
    for (const Store::Record &r : o.records) {
        if (r.refs == 0)
            continue;
        const std::string_view folder = o.folderOf(r);
        std::uint32_t folderId = Store::kNone;
        if (const auto found = folderIds.find(folder);
            found != folderIds.end() && s.folders[found->second].refs > 0 &&
            s.textAt(s.folders[found->second].at, s.folders[found->second].length) == folder)
            folderId = found->second;
        const std::string typeKey = r.facts.typed ? asciiUpper(fileExtension(o.nameOf(r))) : "";
        s.offer(folder, o.nameOf(r), r.facts, typeKey, folderId, false, [&r](Store::Record &to) {
            to.created = r.created;
            to.accessed = r.accessed;
            to.modified = r.modified;
            to.facts = r.facts;
        });
        if (folderId == Store::kNone && s.currentFolder != Store::kNone && s.currentPath == folder)
            folderIds.insert_or_assign(std::string(folder), s.currentFolder);
    }
}

std::vector<KeptFile> FigureFiles::files(const Figure &figure) const
{
    const Store &s = *m_store;
    std::vector<KeptFile> out;
    const Store::List *list = s.listOf(figure);
    if (list == nullptr)
        return out;
    std::vector<Store::Entry> entries = list->heap;
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
    s.forEachList(file.facts, typeKey, false, [](Store::List &list, std::int64_t rank) {
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
    s.forEachList(s.records[id].facts, typeKey, false,
                  [&](Store::List &list, std::int64_t) { s.removeFrom(list, id); });
    s.release(id);
    return true;
}

std::size_t FigureFiles::keptCount() const
{
    return m_store->kept;
}

std::size_t FigureFiles::memoryUse() const
{
    const Store &s = *m_store;
    std::size_t bytes = sizeof(Store) + s.text.capacity() +
                        s.records.capacity() * sizeof(Store::Record) +
                        s.folders.capacity() * sizeof(Store::Folder) +
                        (s.freeRecords.capacity() + s.freeFolders.capacity()) * 4;
    for (const auto *group : {&s.lists, &s.typeLists})
        for (const Store::List &list : *group)
            bytes += sizeof(Store::List) + list.heap.capacity() * sizeof(Store::Entry);
    for (const std::string &key : s.typeKeys)
        bytes += sizeof(std::string) + key.capacity() + 32; // the map's node too
    return bytes;
}

void FigureFiles::clear()
{
    m_store = std::make_unique<Store>(m_store->options);
}

void uncount(Statistics &stats, const KeptFile &file)
{
    const FileFacts &f = file.facts;
    const auto bytes = static_cast<double>(f.size);
    stats.filesProcessed -= 1;
    stats.filesSelected -= 1;
    stats.sizeBandCount[f.band] -= 1;
    stats.sizeBandBytes[f.band] -= bytes;
    struct Date
    {
        std::array<double, kAgeBuckets> &count;
        std::array<double, kAgeBuckets> &bytes;
        std::array<double, kTimeSlots> &slots;
    };
    const Date dates[] = {
        {stats.accessAgeCount, stats.accessAgeBytes, stats.accessTimeSlots},
        {stats.createdAgeCount, stats.createdAgeBytes, stats.createdTimeSlots},
        {stats.modifiedAgeCount, stats.modifiedAgeBytes, stats.modifiedTimeSlots}};
    for (std::size_t d = 0; d < 3; ++d) {
        dates[d].count[f.ages[d]] -= 1;
        dates[d].bytes[f.ages[d]] -= bytes;
        if (f.halfHours[d] > 0)
            dates[d].slots[static_cast<std::size_t>(f.halfHours[d])] -= 1;
    }
    Statistics taken;
    collectFileAttr(taken, f.attributes, f.size);
    stats.readOnlyCount -= taken.readOnlyCount;
    stats.readOnlyBytes -= taken.readOnlyBytes;
    stats.hiddenCount -= taken.hiddenCount;
    stats.hiddenBytes -= taken.hiddenBytes;
    stats.systemCount -= taken.systemCount;
    stats.systemBytes -= taken.systemBytes;
    stats.archiveCount -= taken.archiveCount;
    stats.archiveBytes -= taken.archiveBytes;
    if (f.overhangCounted) {
        double *sums[] = {&stats.overhang4K, &stats.overhang8K, &stats.overhang16K,
                          &stats.overhang32K, &stats.overhang64K};
        for (std::size_t i = 0; i < kOverhangClusterSizes.size(); ++i)
            *sums[i] -= static_cast<double>(wastedBytes(f.size, kOverhangClusterSizes[i]));
    }
    if (f.typed) {
        const int line = findType(stats, file.typeKey());
        if (line >= 0) {
            TypeTotal &t = stats.lbTypes[static_cast<std::size_t>(line)];
            t.files -= 1;
            t.bytes -= f.size;
            if (t.files <= 0)
                stats.lbTypes.erase(stats.lbTypes.begin() + line);
        }
    }
}

} // namespace vorin
