#include "platform/posix/PosixDirectoryReader.h"

#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <linux/openat2.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vorin {

namespace {

constexpr long kMsdosMagic = 0x4d44; // vfat and msdos
constexpr long kExfatMagic = 0x2011BAB0;

constexpr std::uint32_t kDosBits = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// Only the fields the statistics use: asking for less lets network and FUSE
// file systems answer from what they have. The link count and inode tell a
// file of several names (hard links), which is counted once.
constexpr unsigned kFileMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                               STATX_BTIME | STATX_NLINK | STATX_INO;
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

FileTime fileTime(const struct statx_timestamp &t)
{
    return FileTime{t.tv_sec};
}

// Cleared for the whole process once the kernel (or a seccomp filter) turns
// openat2 down.
std::atomic<bool> s_openat2Works{true};

// The length of a listed name that has room bytes in its record. The kernel
// ends the name with a NUL and pads the record to a multiple of eight bytes,
// so the NUL is among the record's last eight bytes and everything before it
// is the name's (or, for a short name, the record's own fields): those eight
// bytes are read as one word and the first zero byte of the name's part is
// the end.
std::size_t nameLength(const char *name, std::size_t room)
{
    if constexpr (std::endian::native != std::endian::little)
        return ::strnlen(name, room);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    std::uint64_t word = 0;
    std::memcpy(&word, name + room - 8,
                sizeof word); // within the record: it has 19 bytes before the name
    if (room < 8)
        word |= (std::uint64_t{1} << (8 * (8 - room))) - 1; // the fields before the name
    const std::uint64_t zeros = (word - kOnes) & ~word & kHigh;
    if (zeros == 0)
        return ::strnlen(name, room); // not as the kernel writes records
    return room - 8 + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
}

bool isMountRoot(const struct statx &sx)
{
#ifdef STATX_ATTR_MOUNT_ROOT
    return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
           (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#else
    (void)sx;
    return false;
#endif
}

} // namespace

std::uint32_t PosixDirectoryReader::posixAttributes(std::uint32_t mode, std::string_view name)
{
    // The attribute the kind of file gives, by the four type bits of the
    // mode (S_IFMT >> 12), looked up rather than tested kind by kind: a
    // directory, or a character or block device, a FIFO or a socket (system).
    static constexpr std::array<std::uint8_t, 16> kByType = [] {
        std::array<std::uint8_t, 16> byType{};
        byType[S_IFDIR >> 12] = kAttrDirectory;
        for (const unsigned kind : {S_IFCHR, S_IFBLK, S_IFIFO, S_IFSOCK})
            byType[kind >> 12] = kAttrSystem;
        return byType;
    }();
    std::uint32_t attributes = kByType[(mode & S_IFMT) >> 12];
    // A symbolic link's own mode is always rwxrwxrwx, so a link is never read-only.
    if ((mode & 0222) == 0)
        attributes |= kAttrReadOnly;
    if (!name.empty() && name.front() == '.')
        attributes |= kAttrHidden;
    return attributes;
}

OpenStatus PosixDirectoryReader::openRoot(const std::string &path, Handle &out)
{
    out = kNoHandle;
    // The root itself may be reached through a link (a drive mounted at a
    // linked path); only what lies below it is never followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EMFILE || errno == ENFILE ? OpenStatus::TooManyOpen
                                                  : OpenStatus::Unreadable;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return OpenStatus::Unreadable;
    }
    m_rootDevMajor = major(st.st_dev);
    m_rootDevMinor = minor(st.st_dev);
    m_haveRoot = true;
    struct statfs fs
    {
    };
    m_dosAttributes = ::fstatfs(fd, &fs) == 0 && (static_cast<long>(fs.f_type) == kMsdosMagic ||
                                                  static_cast<long>(fs.f_type) == kExfatMagic);
    out = fd;
    return OpenStatus::Ok;
}

namespace {

OpenStatus openFailure(int error)
{
    switch (error) {
    case EMFILE:
    case ENFILE:
        return OpenStatus::TooManyOpen;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return OpenStatus::Vanished;
    case EXDEV:
        return OpenStatus::OtherDevice;
    default:
        return OpenStatus::Unreadable;
    }
}

} // namespace

void PosixDirectoryReader::setOpenat2Allowed(bool allowed)
{
    s_openat2Works.store(allowed);
}

OpenStatus PosixDirectoryReader::openChild(Handle parent, std::string_view name, Handle &out)
{
    out = kNoHandle;
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    if (s_openat2Works.load(std::memory_order_relaxed)) {
        // One call does it all: openat2 refuses to cross into another mount
        // (EXDEV) without triggering an automount there, and refuses links.
        struct open_how how
        {
        };
        how.flags = kFlags;
        how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, parent, name.data(), &how, sizeof how);
        if (fd >= 0) {
            out = static_cast<Handle>(fd);
            return OpenStatus::Ok;
        }
        if (errno != ENOSYS && errno != EPERM && errno != E2BIG && errno != EINVAL)
            return openFailure(errno);
        s_openat2Works.store(false, std::memory_order_relaxed);
    }

    // Older kernels: looked at before it is opened, so that an automount
    // point is never triggered and a mount point is never entered, and the
    // device checked again once it is open, in case something was mounted
    // there in between.
    struct statx sx
    {
    };
    if (::statx(parent, name.data(), kStatFlags, STATX_TYPE | STATX_INO, &sx) != 0)
        return errno == ENOENT || errno == ENOTDIR ? OpenStatus::Vanished : OpenStatus::Unreadable;
    if (!S_ISDIR(sx.stx_mode))
        return OpenStatus::Vanished;
    if (m_haveRoot && (sx.stx_dev_major != m_rootDevMajor || sx.stx_dev_minor != m_rootDevMinor))
        return OpenStatus::OtherDevice;
    if (isMountRoot(sx))
        return OpenStatus::OtherDevice;
    const int fd = ::openat(parent, name.data(), kFlags);
    if (fd < 0)
        return openFailure(errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return OpenStatus::Unreadable;
    }
    if (major(st.st_dev) != sx.stx_dev_major || minor(st.st_dev) != sx.stx_dev_minor) {
        ::close(fd);
        return OpenStatus::OtherDevice;
    }
    out = fd;
    return OpenStatus::Ok;
}

void PosixDirectoryReader::close(Handle dir)
{
    if (dir >= 0)
        ::close(dir);
}

ListStatus PosixDirectoryReader::list(Handle dir, NameBatch &batch)
{
    if (batch.bytes.size() < kBatchBytes)
        batch.bytes.resize(kBatchBytes);
    char *const data = batch.bytes.data();
    for (;;) {
        const ssize_t n = ::getdents64(dir, data, batch.bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ListStatus::Failed;
        }
        if (n == 0)
            return ListStatus::End;
        batch.names.clear();
        // The records are read field by field: their layout is the kernel's,
        // and nothing here relies on the buffer's alignment.
        for (ssize_t offset = 0; offset < n;) {
            const char *record = data + offset;
            unsigned short length = 0;
            std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
            unsigned char type = 0;
            std::memcpy(&type, record + offsetof(struct dirent64, d_type), sizeof type);
            const char *nameStart = record + offsetof(struct dirent64, d_name);
            const std::size_t room = length - offsetof(struct dirent64, d_name);
            const std::string_view name(nameStart, nameLength(nameStart, room));
            offset += length;
            if (length == 0)
                return ListStatus::Failed;
            if (name == "." || name == ".." || name.empty())
                continue;
            NameKind kind = NameKind::Other;
            if (type == DT_DIR)
                kind = NameKind::Directory;
            else if (type == DT_UNKNOWN)
                kind = NameKind::Unknown;
            batch.names.push_back({name, kind});
        }
        if (!batch.names.empty())
            return ListStatus::More;
    }
}

bool PosixDirectoryReader::rewind(Handle dir)
{
    return ::lseek(dir, 0, SEEK_SET) == 0;
}

Described PosixDirectoryReader::describe(Handle dir, std::string_view name, DirectoryEntry &entry)
{
    // Not cleared first: the kernel writes the whole record, and clearing
    // its 256 bytes costs more than the rest of this function.
    struct statx sx;
    if (::statx(dir, name.data(), kStatFlags, kFileMask, &sx) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Described::Vanished : Described::Denied;
    entry.name = name;
    entry.size = static_cast<std::int64_t>(sx.stx_size);
    entry.lastAccess = (sx.stx_mask & STATX_ATIME) ? fileTime(sx.stx_atime) : FileTime{};
    entry.lastWrite = (sx.stx_mask & STATX_MTIME) ? fileTime(sx.stx_mtime) : FileTime{};
    entry.creation = (sx.stx_mask & STATX_BTIME) ? fileTime(sx.stx_btime) : FileTime{};
    entry.attributes = posixAttributes(sx.stx_mode, name);
    // Without its inode a file cannot be told from another, so it counts as
    // a file of one name.
    const bool identified = (sx.stx_mask & STATX_NLINK) && (sx.stx_mask & STATX_INO);
    entry.links = identified ? sx.stx_nlink : 1;
    entry.identity = {makedev(sx.stx_dev_major, sx.stx_dev_minor), identified ? sx.stx_ino : 0};
    const bool directory = S_ISDIR(sx.stx_mode);
    if (m_dosAttributes && (directory || S_ISREG(sx.stx_mode))) {
        const std::int64_t dos = dosAttributes(dir, name, directory);
        if (dos >= 0)
            entry.attributes = (entry.attributes & (kAttrDirectory | kAttrHidden)) |
                               (static_cast<std::uint32_t>(dos) & kDosBits);
    }
    return directory ? Described::Directory : Described::File;
}

std::uint32_t PosixDirectoryReader::directoryAttributes(Handle dir, std::string_view name)
{
    std::uint32_t attributes = kAttrDirectory;
    if (!name.empty() && name.front() == '.')
        attributes |= kAttrHidden;
    if (m_dosAttributes) {
        const std::int64_t dos = dosAttributes(dir, name, true);
        if (dos >= 0)
            attributes |= static_cast<std::uint32_t>(dos) & kDosBits;
    }
    return attributes;
}

std::int64_t PosixDirectoryReader::dosAttributes(Handle dir, std::string_view name,
                                                 bool directory) const
{
    const int flags =
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (directory ? O_DIRECTORY : 0);
    const int fd = ::openat(dir, name.data(), flags);
    if (fd < 0)
        return -1;
    std::uint32_t bits = 0;
    const int result = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &bits);
    ::close(fd);
    return result == 0 ? static_cast<std::int64_t>(bits) : -1;
}

bool PosixDirectoryReader::identify(Handle dir, FileIdentity &out)
{
    struct stat st
    {
    };
    if (::fstat(dir, &st) != 0)
        return false;
    out = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return true;
}

std::size_t PosixDirectoryReader::handleLimit() const
{
    // What the rest of the process may need (the window, its fonts, a printer)
    // is left over.
    constexpr rlim_t kReserve = 64;
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1024 - kReserve;
    return limit.rlim_cur > 2 * kReserve ? static_cast<std::size_t>(limit.rlim_cur - kReserve)
                                         : static_cast<std::size_t>(limit.rlim_cur / 2);
}

std::unique_ptr<DirectoryReader> PosixDirectoryReader::clone() const
{
    return std::make_unique<PosixDirectoryReader>(*this);
}

std::unique_ptr<DirectoryReader> makeDirectoryReader()
{
    return std::make_unique<PosixDirectoryReader>();
}

} // namespace vorin
