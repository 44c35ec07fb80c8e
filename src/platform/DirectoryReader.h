#pragma once

#include "support/Utility.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The separator of the directory texts the walk hands on: "C:\Windows" on
// Windows, "/home/ann" elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// What a listing says about a name without asking the file system again.
enum class NameKind : std::uint8_t {
    Unknown,   // the file system does not say; describe() tells
    Directory, // a real directory (never a link to one)
    Other,     // anything else: file, link, device, pipe, socket
};

struct ListedName
{
    // Points into the batch's bytes and is followed there by a NUL byte.
    std::string_view name;
    NameKind kind = NameKind::Unknown;
};

// One chunk of a directory listing, in the order the file system gives it.
// Both vectors keep their capacity between chunks and directories, so listing
// allocates nothing once the first directory has been read. "." and ".." are
// never listed.
struct NameBatch
{
    std::vector<char> bytes;
    std::vector<ListedName> names;
};

enum class OpenStatus {
    Ok,
    Unreadable,  // exists but cannot be opened (permissions, I/O error)
    Vanished,    // removed or replaced since it was listed
    OtherDevice, // a mount point: another drive or a kernel file system
    TooManyOpen, // the process is out of file descriptors
};

enum class ListStatus { More, End, Failed };

enum class Described {
    File,      // anything that is not a directory; entry filled
    Directory, // entry filled, kAttrDirectory set
    Vanished,  // removed since it was listed
    Denied,    // the directory does not let us look at its names
};

// Lists directories and describes their entries, relative to open directories
// and never by path, so names of any bytes and trees of any depth work. One
// reader serves one walking thread (it owns no listing buffers; those are the
// caller's). A handle is one open directory; it stays valid until close() and
// may be passed to another reader cloned from the same one. Every name handed
// in must be followed in memory by a NUL byte, as listed names are.
class DirectoryReader
{
public:
    using Handle = int;
    static constexpr Handle kNoHandle = -1;

    virtual ~DirectoryReader() = default;

    // Opens the root of a drive; directories on other devices than this root's
    // are never opened by openChild.
    [[nodiscard]] virtual OpenStatus openRoot(const std::string &path, Handle &out) = 0;
    [[nodiscard]] virtual OpenStatus openChild(Handle parent, std::string_view name,
                                               Handle &out) = 0;
    virtual void close(Handle dir) = 0;

    // The next chunk of names; End once all were listed. End and Failed leave
    // the batch as it was, so a listing that fitted into one chunk can be
    // walked again without asking the file system.
    [[nodiscard]] virtual ListStatus list(Handle dir, NameBatch &batch) = 0;
    // Starts the listing of dir over.
    [[nodiscard]] virtual bool rewind(Handle dir) = 0;

    // Size, attribute word, times, link count and identity of one name in dir,
    // without following a symbolic link (a link is a file of its own size).
    [[nodiscard]] virtual Described describe(Handle dir, std::string_view name,
                                             DirectoryEntry &entry) = 0;
    // The attribute word of a subdirectory of dir, as far as it decides whether
    // the walk enters it (hidden and system bits).
    [[nodiscard]] virtual std::uint32_t directoryAttributes(Handle dir, std::string_view name) = 0;

    // Which directory an open handle is, so that a directory closed for want
    // of descriptors and opened again by name can be checked to be the same
    // one. False when the file system does not say.
    [[nodiscard]] virtual bool identify(Handle dir, FileIdentity &out) = 0;

    // How many handles the whole walk may hold open at once.
    [[nodiscard]] virtual std::size_t handleLimit() const = 0;

    // A reader for one more walking thread of the same drive.
    [[nodiscard]] virtual std::unique_ptr<DirectoryReader> clone() const = 0;
};

// The reader of the platform being built.
[[nodiscard]] std::unique_ptr<DirectoryReader> makeDirectoryReader();

} // namespace vorin
