#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixSettingsFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vorin {
namespace {

namespace fs = std::filesystem;

// How many symbolic links are followed before giving up, as the kernel does.
constexpr int kMaxLinks = 40;

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    // Closes now and reports the result: on some file systems (NFS) a failed
    // write only shows up at close.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
    }

private:
    int m_fd;
};

// mkdir -p, with 0700 for the directories we make: the configuration
// directory is the user's own.
bool ensureDirectory(const fs::path &directory)
{
    fs::path prefix;
    for (const fs::path &part : directory) {
        prefix /= part;
        if (::mkdir(prefix.c_str(), 0700) == 0 || errno == EEXIST) {
            struct stat info
            {
            };
            if (::stat(prefix.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
                return false;
            continue;
        }
        // A parent we may not write to but that already exists is fine; the
        // next part tells whether the path leads anywhere.
        if (errno != EACCES && errno != EPERM && errno != EROFS)
            return false;
        struct stat info
        {
        };
        if (::stat(prefix.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
    }
    return true;
}

// Follows a symlinked settings file to the file it stands for, so that a save
// replaces the target and keeps the user's link. readlink rather than realpath
// because a dangling link (a dotfile repository not checked out yet) must still
// lead to where the file is to be made. Empty on a link loop.
fs::path followLinks(fs::path path)
{
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat info
        {
        };
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size())
            return {};
        const fs::path target(std::string(buffer.data(), static_cast<std::size_t>(length)));
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return {};
}

// A name no other save, of this process or another, is using at the moment.
std::string temporaryName(int attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto clock =
        static_cast<std::size_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::size_t mixed = std::hash<std::size_t>{}(
        clock ^ (static_cast<std::size_t>(::getpid()) << 20) ^
        (static_cast<std::size_t>(counter++) << 40) ^ static_cast<std::size_t>(attempt));
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%08zx", mixed & 0xFFFFFFFFu);
    return std::string(".") + PosixSettingsFile::kFileName + "." + suffix + ".tmp";
}

} // namespace

PosixSettingsFile::PosixSettingsFile(std::filesystem::path directory)
    : m_directory(std::move(directory))
{}

std::filesystem::path PosixSettingsFile::userConfigDirectory()
{
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the base
    // directory rules require.
    if (const char *config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return config;
    const std::string home = homeDirectory();
    return home.empty() ? fs::path(".config") : fs::path(home) / ".config";
}

std::unique_ptr<PosixSettingsFile> PosixSettingsFile::forUser()
{
    return std::make_unique<PosixSettingsFile>(userConfigDirectory());
}

std::string PosixSettingsFile::name() const
{
    return kFileName;
}

std::optional<std::string> PosixSettingsFile::read() const
{
    const auto fail = [this]() -> std::optional<std::string> {
        throw SettingsReadError("Unable to read " + name());
    };
    // O_NONBLOCK: a pipe of that name must not hold the program up until
    // someone writes to it; it is refused below like anything else that is
    // not a file.
    FileDescriptor file(::open(path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        // No file, or a dangling link to where it is to be made: nothing to
        // lose. Anything else (no permission, a link loop, an I/O error) says
        // that something is there.
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        return fail();
    }
    struct stat info
    {
    };
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return fail();
    std::string contents;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        if (got == 0)
            return contents;
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

void PosixSettingsFile::replace(std::string_view contents)
{
    const auto fail = [this]() { throw SettingsWriteError("Unable to write to " + name()); };

    if (!ensureDirectory(m_directory))
        fail();
    const fs::path target = followLinks(path());
    if (target.empty())
        fail();
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");

    // The new file takes over the old one's permissions (a file the user made
    // private stays private) and, where we may, its owner.
    struct stat old
    {
    };
    const bool hadFile = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = directory / temporaryName(attempt);
        // 0644 before the umask, the mode any editor gives a new file.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        fail();
    FileDescriptor file(fd);

    bool ok = true;
    if (hadFile) {
        ok = ::fchmod(file.get(), old.st_mode & 07777) == 0;
        // Only root may hand the file back to its owner; anyone else keeps
        // it as their own, which is what they had the right to write anyway.
        if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
            [[maybe_unused]] const int chowned = ::fchown(file.get(), old.st_uid, old.st_gid);
        }
    }
    ok = ok && writeAll(file.get(), contents) == 0 && ::fsync(file.get()) == 0;
    ok = file.close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        fail();
    }

    // The rename is only durable once the directory is on disk too. The new
    // file is in place by now whatever happens, so a file system that cannot
    // sync a directory is no reason to report the save as failed.
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        [[maybe_unused]] const int synced = ::fsync(dir.get());
    }
}

} // namespace vorin
