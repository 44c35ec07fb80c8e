#pragma once

#include "platform/DirectoryReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <windows.h>

namespace vorin {

// What one entry of a Windows listing says, as the walk reads it: the
// attribute word keeps the real read-only, hidden, system, directory and
// archive bits; file times are seconds since 1970 (0 in the find data: not
// recorded). A directory that is a reparse point (a junction, a directory
// symbolic link, a mounted volume) is listed as a link, never as a directory
// to enter.
struct FoundEntry
{
    std::uint32_t attributes = 0;
    bool enterable = false; // a directory that is no reparse point
    std::int64_t size = 0;
    FileTime creation;
    FileTime lastAccess;
    FileTime lastWrite;
};
[[nodiscard]] FoundEntry foundEntry(const WIN32_FIND_DATAW &data);
[[nodiscard]] FileTime fileTimeOf(const FILETIME &time);

// Lists with FindFirstFileExW (basic information, large fetches) and takes
// size, attributes and the three times from the find data, so a file costs no
// call of its own. Paths are kept in the \\?\ form, so trees deeper than 260
// characters are walked; names are converted between UTF-16 and UTF-8 here.
// A handle is a slot in a table that this reader and its clones share: the
// directory's path, which directory it is (volume serial number and file
// index, noted when it was opened) and its open search. Reparse points are
// never followed. Windows does not say in the find data how many names a file
// has, so every name counts as a file of one name (links 1, no identity).
class Win32DirectoryReader final : public DirectoryReader
{
public:
    static constexpr std::size_t kBatchBytes = 32 * 1024;

    Win32DirectoryReader();

    [[nodiscard]] OpenStatus openRoot(const std::string &path, Handle &out) override;
    [[nodiscard]] OpenStatus openChild(Handle parent, std::string_view name, Handle &out) override;
    void close(Handle dir) override;
    [[nodiscard]] ListStatus list(Handle dir, NameBatch &batch) override;
    [[nodiscard]] bool rewind(Handle dir) override;
    [[nodiscard]] Described describe(Handle dir, std::string_view name,
                                     DirectoryEntry &entry) override;
    [[nodiscard]] std::uint32_t directoryAttributes(Handle dir, std::string_view name) override;
    [[nodiscard]] bool identify(Handle dir, FileIdentity &out) override;
    [[nodiscard]] std::size_t handleLimit() const override;
    [[nodiscard]] std::unique_ptr<DirectoryReader> clone() const override;

    // The directories open now, in this reader and its clones.
    [[nodiscard]] std::size_t openCount() const;

    struct Listing;
    struct Table;

private:
    OpenStatus open(std::wstring path, bool followReparsePoint, Handle &out);

    std::shared_ptr<Table> m_table;
    DWORD m_rootVolume = 0;
    bool m_haveRoot = false;
};

} // namespace vorin
