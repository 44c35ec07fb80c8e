#pragma once

// Builds directory trees for the walk's tests in a temporary directory and
// removes them again, relative to descriptors so that trees deeper than
// PATH_MAX and unreadable directories go away too.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vorin::testing {

inline void check(bool ok, const std::string &what)
{
    if (!ok)
        throw std::runtime_error(what + ": errno " + std::to_string(errno));
}

inline void removeBelow(int dirFd)
{
    const int listFd = ::dup(dirFd);
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const dirent *d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            ::fchmodat(dirFd, name.c_str(), 0700, 0);
            const int child = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                removeBelow(child);
                ::close(child);
            }
            ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(dirFd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

class TempTree
{
public:
    TempTree()
    {
        std::string pattern = "/tmp/vorin-walk-XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
        m_root = pattern;
    }
    ~TempTree()
    {
        const int fd = ::open(m_root.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            removeBelow(fd);
            ::close(fd);
        }
        ::rmdir(m_root.c_str());
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    [[nodiscard]] const std::string &root() const { return m_root; }
    [[nodiscard]] std::string path(std::string_view relative) const
    {
        return m_root + "/" + std::string(relative);
    }

    void dir(std::string_view relative) const
    {
        check(::mkdir(path(relative).c_str(), 0755) == 0, "mkdir " + std::string(relative));
    }

    // A sparse file of size bytes whose access and write times are atime and
    // mtime (seconds since 1970, UTC); 0 leaves the time as it is.
    void file(std::string_view relative, std::int64_t size = 0, std::int64_t atime = 0,
              std::int64_t mtime = 0, mode_t mode = 0644) const
    {
        const std::string p = path(relative);
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        check(fd >= 0, "create " + std::string(relative));
        check(::ftruncate(fd, size) == 0, "ftruncate");
        ::close(fd);
        ::chmod(p.c_str(), mode);
        setTimes(relative, atime, mtime);
    }

    void setTimes(std::string_view relative, std::int64_t atime, std::int64_t mtime) const
    {
        if (atime == 0 && mtime == 0)
            return;
        timespec times[2] = {{atime, atime ? 0 : UTIME_OMIT}, {mtime, mtime ? 0 : UTIME_OMIT}};
        check(::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0,
              "utimensat");
    }

    void symlink(std::string_view target, std::string_view relative) const
    {
        check(::symlink(std::string(target).c_str(), path(relative).c_str()) == 0, "symlink");
    }

    // Another name for an existing file (a hard link).
    void link(std::string_view existing, std::string_view relative) const
    {
        check(::link(path(existing).c_str(), path(relative).c_str()) == 0,
              "link " + std::string(relative));
    }

    void rename(std::string_view from, std::string_view to) const
    {
        check(::rename(path(from).c_str(), path(to).c_str()) == 0, "rename " + std::string(from));
    }

    void fifo(std::string_view relative) const
    {
        check(::mkfifo(path(relative).c_str(), 0644) == 0, "mkfifo");
    }

private:
    std::string m_root;
};

} // namespace vorin::testing
