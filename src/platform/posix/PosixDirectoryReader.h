#pragma once

#include "platform/DirectoryReader.h"

#include <cstdint>

namespace vorin {

// Lists with getdents64 and describes with statx relative to the directory's
// descriptor, so the per-file path makes one system call and no path-based one.
// Attributes: read-only when no write bit is set, hidden for a name starting
// with ".", system for devices, pipes and sockets, directory for directories;
// on FAT and exFAT drives the file system's own DOS bits are read instead.
// One open descriptor per handle; nothing else is kept per directory.
class PosixDirectoryReader final : public DirectoryReader
{
public:
    // The size of one listing chunk; a directory of a few hundred names fits.
    static constexpr std::size_t kBatchBytes = 32 * 1024;

    PosixDirectoryReader() = default;

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

    // True when the drive opened by openRoot keeps DOS attributes.
    [[nodiscard]] bool keepsDosAttributes() const { return m_dosAttributes; }

    // Whether subdirectories are opened with openat2 (on by default, turned
    // off for the process when the kernel refuses it); tests turn it off to
    // check the way older kernels take.
    static void setOpenat2Allowed(bool allowed);

    // The attribute word for a POSIX file mode and name (no DOS bits).
    [[nodiscard]] static std::uint32_t posixAttributes(std::uint32_t mode, std::string_view name);

private:
    // The DOS attribute bits of name in dir, or -1 when the file system gives none.
    [[nodiscard]] std::int64_t dosAttributes(Handle dir, std::string_view name,
                                             bool directory) const;

    std::uint32_t m_rootDevMajor = 0;
    std::uint32_t m_rootDevMinor = 0;
    bool m_haveRoot = false;
    bool m_dosAttributes = false;
};

} // namespace vorin
