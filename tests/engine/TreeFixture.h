#pragma once

// Builds directory trees for the walk's tests in a temporary directory and
// removes them again. On Linux it works relative to descriptors, so that trees
// deeper than PATH_MAX and unreadable directories go away too; on Windows it
// makes the same trees with Win32 calls on \\?\ paths, marks names that begin
// with "." hidden and files without write bits read-only, as the walk's
// Linux mapping reads them, so the same tests hold on both.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
// These need windows.h first.
#include "Win32Files.h"

#include <atomic>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace vorin::testing {

#ifdef _WIN32

// New files carry the archive bit on Windows: the file system sets it at
// every write, and Wine reports it for every file.
inline constexpr bool kNewFilesAreArchive = true;

inline void check(bool ok, const std::string &what)
{
    if (!ok)
        throw std::runtime_error(what + ": error " + std::to_string(GetLastError()));
}

class TempTree
{
public:
    TempTree()
    {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH + 1];
        check(GetTempPathW(MAX_PATH + 1, temp) != 0, "GetTempPathW");
        std::wstring base = temp;
        if (!base.empty() && base.back() == L'\\')
            base.pop_back();
        for (int attempt = 0;; ++attempt) {
            const std::wstring candidate = base + L"\\vorin-walk-" +
                                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                                           std::to_wstring(counter++);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) {
                m_root = toUtf8(candidate);
                break;
            }
            check(attempt < 100 && GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectoryW");
        }
    }
    ~TempTree()
    {
        const std::wstring root = extended(m_root);
        removeBelow(root);
        RemoveDirectoryW(root.c_str());
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    [[nodiscard]] const std::string &root() const { return m_root; }
    [[nodiscard]] std::string path(std::string_view relative) const
    {
        std::string joined = m_root + "\\" + std::string(relative);
        for (char &c : joined)
            if (c == '/')
                c = '\\';
        return joined;
    }

    void dir(std::string_view relative) const
    {
        const std::wstring p = extended(path(relative));
        check(CreateDirectoryW(p.c_str(), nullptr) != 0, "mkdir " + std::string(relative));
        if (isDotName(relative))
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }

    // A file of size bytes whose access and write times are atime and mtime
    // (seconds since 1970, UTC); 0 leaves the time as it is. A mode without
    // write bits makes it read-only.
    void file(std::string_view relative, std::int64_t size = 0, std::int64_t atime = 0,
              std::int64_t mtime = 0, unsigned mode = 0644) const
    {
        const std::wstring p = extended(path(relative));
        const HANDLE file = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        check(file != INVALID_HANDLE_VALUE, "create " + std::string(relative));
        LARGE_INTEGER end{};
        end.QuadPart = size;
        const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        check(sized, "size " + std::string(relative));
        setTimes(relative, atime, mtime);
        DWORD attributes = 0;
        if ((mode & 0222) == 0)
            attributes |= FILE_ATTRIBUTE_READONLY;
        if (isDotName(relative))
            attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (attributes != 0)
            check(SetFileAttributesW(p.c_str(), attributes) != 0, "attributes");
    }

    void setTimes(std::string_view relative, std::int64_t atime, std::int64_t mtime) const
    {
        if (atime == 0 && mtime == 0)
            return;
        const std::wstring p = extended(path(relative));
        const HANDLE file =
            CreateFileW(p.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        check(file != INVALID_HANDLE_VALUE, "open " + std::string(relative));
        const FILETIME access = fileTimeAt(atime);
        const FILETIME write = fileTimeAt(mtime);
        const bool set =
            SetFileTime(file, nullptr, atime ? &access : nullptr, mtime ? &write : nullptr);
        CloseHandle(file);
        check(set, "SetFileTime");
    }

    // Another name for an existing file (a hard link).
    void link(std::string_view existing, std::string_view relative) const
    {
        check(CreateHardLinkW(extended(path(relative)).c_str(), extended(path(existing)).c_str(),
                              nullptr) != 0,
              "link " + std::string(relative));
    }

    void rename(std::string_view from, std::string_view to) const
    {
        check(MoveFileExW(extended(path(from)).c_str(), extended(path(to)).c_str(), 0) != 0,
              "rename " + std::string(from));
    }

    // As on Linux, a read-only file goes too (Windows refuses to delete one as it is).
    void remove(std::string_view relative) const
    {
        const std::wstring name = extended(path(relative));
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(name.c_str());
    }

    // Sets the attribute bits of a name (FILE_ATTRIBUTE_HIDDEN and the like).
    void attributes(std::string_view relative, DWORD bits) const
    {
        check(SetFileAttributesW(extended(path(relative)).c_str(), bits) != 0,
              "attributes " + std::string(relative));
    }

    [[nodiscard]] static std::wstring extended(const std::string &path)
    {
        return L"\\\\?\\" + toWide(path);
    }

private:
    static bool isDotName(std::string_view relative)
    {
        const std::size_t slash = relative.find_last_of('/');
        return relative.substr(slash == std::string_view::npos ? 0 : slash + 1).starts_with('.');
    }

    std::string m_root;
};

#else

// Linux keeps no archive bit: no new file carries one.
inline constexpr bool kNewFilesAreArchive = false;

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

    void remove(std::string_view relative) const { ::unlink(path(relative).c_str()); }

    void fifo(std::string_view relative) const
    {
        check(::mkfifo(path(relative).c_str(), 0644) == 0, "mkfifo");
    }

private:
    std::string m_root;
};

#endif

} // namespace vorin::testing
