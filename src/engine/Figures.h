#pragma once

#include "engine/Statistics.h"
#include "support/DosTime.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Read-only, hidden, system and archive as the letters "RHSA" of those set.
[[nodiscard]] std::string attributeLetters(std::uint32_t attributes);

// The attribute bits of the attribute figures, in their order.
inline constexpr std::uint32_t kAttributeBits[kAttributeFigures] = {kAttrReadOnly, kAttrHidden,
                                                                    kAttrSystem, kAttrArchive};

// The date of an age or half-hour figure, in the order of a file's facts.
[[nodiscard]] std::size_t dateOf(FigureKind kind);

// Takes a file the bookkeeping counted out of every figure of stats, as it
// counted it (sizes, ages, half hours, attributes, type, overhang sums and
// the two file counters), after the file went to the trash.
void uncount(Statistics &stats, const KeptFile &file);

} // namespace vorin
