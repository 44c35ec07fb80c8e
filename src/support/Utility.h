#pragma once

#include "support/DosTime.h"
#include "support/LocaleSeparators.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorin {

// Attribute bits of a directory entry, in the DOS layout every page reads.
enum FileAttribute : std::uint32_t {
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrSystem = 4,
    kAttrDirectory = 16,
    kAttrArchive = 32,
};

// Which file or directory a name stands for: the device it lies on and its
// number there (inode). Two names with the same identity are one file.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// One name found by the directory reader. The name points into the reader's
// buffer and is valid until the next entry is read.
struct DirectoryEntry
{
    std::string_view name;
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    FileTime creation;
    FileTime lastAccess;
    FileTime lastWrite;
    // How many names the file has (hard links); above 1 only where identity
    // says which file it is, so that a file of several names counts once.
    std::uint32_t links = 1;
    FileIdentity identity;
};

[[nodiscard]] bool isDigit(char c);
[[nodiscard]] std::string digitsOnly(std::string_view s);
// Never fails: anything that is not a signed 32-bit decimal gives 0.
[[nodiscard]] std::int32_t strToIntZero(std::string_view s);
// The same for a 64-bit value, for the per-type totals.
[[nodiscard]] std::int64_t strToInt64Zero(std::string_view s);
// Reads a number written with the locale's decimal separator; 0 when it is none.
[[nodiscard]] double strToFloatZero(std::string_view s, const LocaleSeparators &locale);
// Whole numbers with the locale's thousands separators: 1234567 gives 1,234,567.
[[nodiscard]] std::string formatInt(std::int64_t n, const LocaleSeparators &locale);
// Rounded to the nearest whole number, at most 14 significant digits; empty
// text when x is not a finite number.
[[nodiscard]] std::string formatWhole(double x, const LocaleSeparators &locale);
// A change between two figures as the comparison columns show it: "+1,204",
// "-3", "0".
[[nodiscard]] std::string formatChange(double change, const LocaleSeparators &locale);
// 1 for "." and "..", 0 for a directory, 2 for anything else.
[[nodiscard]] int entryKind(const DirectoryEntry &entry);
// Field n (from 1) of a TAB-separated text, trimmed of blanks and control characters.
[[nodiscard]] std::string tabField(std::string_view s, int n);

[[nodiscard]] std::uint32_t accessDosTime(const DirectoryEntry &entry, const UtcOffsetSource &zone);
[[nodiscard]] std::uint32_t createdDosTime(const DirectoryEntry &entry,
                                           const UtcOffsetSource &zone);
[[nodiscard]] std::uint32_t modifiedDosTime(const DirectoryEntry &entry,
                                            const UtcOffsetSource &zone);

// Drive type codes, as the volume list reports them.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};
// "(Fixed disk)" and its kin; empty for an unknown code.
[[nodiscard]] std::string driveTypeLabel(int code);

// Letters a-z to A-Z and back; every other byte, UTF-8 included, unchanged.
[[nodiscard]] std::string asciiUpper(std::string_view s);
[[nodiscard]] std::string asciiLower(std::string_view s);
[[nodiscard]] constexpr char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}
[[nodiscard]] constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}
// Equal when only the case of A-Z differs.
[[nodiscard]] bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The length of the well-formed UTF-8 sequence that begins at s[at], or 0 when
// the byte there begins none: a stray continuation byte, an overlong form, a
// surrogate, a sequence cut short, anything above U+10FFFF.
[[nodiscard]] std::size_t utf8SequenceLength(std::string_view s, std::size_t at);
// Appends the UTF-8 form of one code point (at most U+10FFFF, no surrogate).
void appendUtf8(std::string &out, char32_t code);
// The characters of a text of any bytes: each well-formed UTF-8 sequence
// counts one, and so does every byte that is part of none. UTF-8 text counts
// its code points; Latin-1 and stray bytes count byte by byte, never zero.
[[nodiscard]] std::size_t characterCount(std::string_view s);

} // namespace vorin
