#pragma once

#include "engine/Statistics.h"
#include "support/DosTime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// Which figure of the window a file list belongs to: a row, bar, slice or
// point of a page.
enum class FigureKind : std::uint8_t {
    Type,         // key: the type key (".ISO", empty for files without extension)
    Size,         // index: size band 1..12
    AccessAge,    // index: age bucket 0..9
    CreatedAge,   //
    ModifiedAge,  //
    AccessTime,   // index: half hour 0..47 (the half hour after midnight is never counted)
    CreatedTime,  //
    ModifiedTime, //
    Attribute,    // index: 0 read-only, 1 hidden, 2 system, 3 archive
    Overhang,     // the space the last cluster leaves empty at the drive's own cluster size
};

inline constexpr int kAttributeFigures = 4;

struct Figure
{
    FigureKind kind = FigureKind::Type;
    int index = 0;
    std::string typeKey; // Type only, upper case as the types table has it

    friend bool operator==(const Figure &, const Figure &) = default;
};

// A figure as scripts name it, keyed as the report's CSV rows are:
// "types:.ISO", "types:" (no extension), "sizes:12", "modifiedAge:9",
// "accessTime:28", "attributes:hidden", "overhang".
[[nodiscard]] std::string figureName(const Figure &figure);
// The figure of such a name (a type key in any case); nothing for a name
// that names no figure of the pages.
[[nodiscard]] std::optional<Figure> parseFigure(std::string_view name);
// The valid forms, for an error message.
[[nodiscard]] std::string_view figureNameForms();

// Where one counted file falls in each kind of figure, worked out once by the
// bookkeeping as it counts the file. The kept lists store it with the file,
// so a file taken away (moved to the trash) leaves every figure it was in.
struct FileFacts
{
    std::int64_t size = 0;
    std::uint32_t attributes = 0;
    std::uint8_t band = 1;                  // 1..12
    std::array<std::uint8_t, 3> ages{};     // access, created, modified: bucket 0..9
    std::array<std::int8_t, 3> halfHours{}; // access, created, modified: half hour 1..47, or -1
    std::int64_t wasted = 0;                // at the drive's cluster size; 0 when not counted
    bool overhangCounted = false;           // in the overhang sums (one-drive runs)
    bool typed = false;                     // the file has a line in the types table
};

// True when a file with these facts and this type key is one of the figure's.
[[nodiscard]] bool inFigure(const Figure &figure, const FileFacts &facts, std::string_view typeKey);

// One file of a list, self-contained: for the list window and the report.
struct KeptFile
{
    std::string name;   // the name's bytes as the directory listed them
    std::string folder; // the full path of its directory
    FileTime created;
    FileTime accessed;
    FileTime modified;
    FileFacts facts;

    [[nodiscard]] std::int64_t size() const { return facts.size; }
    // folder, separator, name.
    [[nodiscard]] std::string path() const;
    // The type key the types table files it under (".ISO"), as counted.
    [[nodiscard]] std::string typeKey() const;
};

// Files and bytes of one figure, as a list's footer gives them (for the
// overhang: the files that leave space in their last cluster, and that space).
struct FigureTotal
{
    std::int64_t files = 0;
    double bytes = 0;
};

// How many of its largest files each figure keeps during a scan.
inline constexpr std::size_t kKeptPerFigure = 200;

// Read-only, hidden, system and archive as the letters "RHSA" of those set.
[[nodiscard]] std::string attributeLetters(std::uint32_t attributes);

struct KeepOptions
{
    // The files kept per figure: the largest (by wasted bytes for the overhang).
    std::size_t perFigure = kKeptPerFigure; // 0 keeps none but still counts the totals
    // Keep only this figure's files; with perFigure unlimited, every one of them.
    std::optional<Figure> only;
};

inline constexpr std::size_t kEveryFile = std::numeric_limits<std::size_t>::max();

// The largest files of every figure of a run. Each walking thread fills one
// of its own through keep(), called by the bookkeeping for each counted file;
// they are merged when the drive is done, and the drives' into the run's.
//
// Costs: per file, a comparison with the smallest kept size of each figure
// the file is in, and a probe of a small table for its type; work only when
// it beats one. Memory is bounded by the figures times perFigure: a file is
// stored once however many lists hold it, its folder once in a table its
// files point into, names as their bytes in one buffer that is compacted when
// evicted names take more room than the live ones. Not thread-safe: one per
// thread.
class FigureFiles
{
public:
    explicit FigureFiles(KeepOptions options = {});
    ~FigureFiles();
    FigureFiles(FigureFiles &&) noexcept;
    FigureFiles &operator=(FigureFiles &&) noexcept;
    FigureFiles(const FigureFiles &) = delete;
    FigureFiles &operator=(const FigureFiles &) = delete;

    // An empty store that keeps as this one does.
    [[nodiscard]] FigureFiles emptyLike() const;
    [[nodiscard]] const KeepOptions &options() const;

    // One counted file of directory; typeKey is its line's key when
    // facts.typed, typeLine that line's place among the typeLines lines of
    // the counting thread's record (which finds the type's list without a
    // search; -1 when not known).
    void keep(std::string_view directory, const DirectoryEntry &entry, const FileFacts &facts,
              std::string_view typeKey, int typeLine = -1, std::size_t typeLines = 0);
    // Takes other's kept files and totals as if they had been offered here.
    void merge(const FigureFiles &other);
    // The same, taking other's store whole when this one is empty.
    void merge(FigureFiles &&other);

    // Makes this a walking thread's store for a store the walk's threads
    // share: the totals are counted here (merge adds them there), and a file
    // that may be among the largest goes there under `lock`, in batches, so
    // that the threads keep each file once and no thread a list of its own.
    void share(FigureFiles &shared, std::mutex &lock);
    // Passes the files still on their way on to the shared store.
    void flush();

    // The kept files of a figure, largest first (the overhang's by wasted
    // bytes), ties by folder and name.
    [[nodiscard]] std::vector<KeptFile> files(const Figure &figure) const;
    // The files and bytes of the figure over everything offered here (and
    // not forgotten): the page's figure, and the bytes of a half hour too.
    [[nodiscard]] FigureTotal total(const Figure &figure) const;
    // Takes the file out of every list and every total (after it went to
    // the trash); false when no list held it.
    bool forget(const KeptFile &file);

    // Kept files, each counted once; and the bytes the store holds.
    [[nodiscard]] std::size_t keptCount() const;
    [[nodiscard]] std::size_t memoryUse() const;
    void clear();

private:
    void mergeFiles(const FigureFiles &other);

    struct Store;
    std::unique_ptr<Store> m_store;
};

// Takes a file the bookkeeping counted out of every figure of stats, as it
// counted it (sizes, ages, half hours, attributes, type, overhang sums and
// the two file counters), after the file went to the trash.
void uncount(Statistics &stats, const KeptFile &file);

} // namespace vorin
