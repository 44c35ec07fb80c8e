#include "platform/posix/FreedesktopTrash.h"

#include "platform/posix/PosixFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vorin {
namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
// Far more "report.N.txt" than a trash sensibly holds; past that many the
// trash is taken for broken rather than searched for ever.
constexpr int kMaxAttempts = 100000;
// The longest name of the file systems we know, where pathconf cannot say.
constexpr long kDefaultNameMax = 255;

std::string systemText(int error)
{
    return std::generic_category().message(error);
}

TrashOutcome failure(std::string problem)
{
    return {false, std::move(problem)};
}

// What went wrong with the file itself, for the user.
std::string problemOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return kTrashPermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return kTrashNoLongerThere;
    case EXDEV:
        // A mount between the file and its trash that the search for the
        // file's top directory could not see.
        return kTrashNoTrashOnItsDrive;
    default:
        return systemText(error);
    }
}

// What went wrong in a trash that looked usable: one we may not write to
// (left behind by a program run as root, say) is as good as none.
std::string trashProblemOf(int error)
{
    return error == EACCES || error == EPERM ? kTrashNoTrashOnItsDrive : problemOf(error);
}

// The directory of an absolute path: "/" for "/name", "" for a bare name.
std::string parentOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string join(const std::string &directory, std::string_view name)
{
    std::string joined = directory;
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

// Each byte that is no unreserved character of a URI nor a slash becomes
// %XX, so that a name with a newline or with bytes of no encoding at all
// survives the line-based description whole.
std::string percentEncoded(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr std::string_view kPlainMarks = "-_.!~*'()/";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || kPlainMarks.find(c) != kPlainMarks.npos;
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

// Local time, as the file managers show it back.
std::string deletionDate(std::time_t when)
{
    // The user may have changed the zone since the last file went.
    ::tzset();
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr)
        ::gmtime_r(&when, &local);
    char text[64] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool isDirectory(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A symbolic link to a directory counts: the home trash may live elsewhere.
bool ensureDirectory(const std::string &path)
{
    return isDirectory(path) || ::mkdir(path.c_str(), 0700) == 0 ||
           (errno == EEXIST && isDirectory(path));
}

bool ensureDirectories(const std::string &path)
{
    std::size_t slash = 0;
    do {
        slash = path.find('/', slash + 1);
        if (!ensureDirectory(path.substr(0, slash)))
            return false;
    } while (slash != std::string::npos);
    return true;
}

// Someone else may make a directory by the name of our trash on a drive they
// can write to too, or a link to one of theirs, and read what we trash: only
// a real directory of our own will do.
bool ensureOwnDirectory(const std::string &path, uid_t uid)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid;
}

bool holdsFilesAndInfo(const std::string &trash)
{
    return ensureDirectory(join(trash, "files")) && ensureDirectory(join(trash, "info"));
}

// The longest entry name that still leaves room for ".trashinfo".
std::size_t entryNameLimit(const std::string &infoDirectory)
{
    long longest = ::pathconf(infoDirectory.c_str(), _PC_NAME_MAX);
    if (longest < 64)
        longest = kDefaultNameMax;
    return static_cast<std::size_t>(longest) - kInfoSuffix.size();
}

// The name of a try (1: the file's own name), at most limit bytes.
std::string entryName(std::string_view name, int attempt, std::size_t limit)
{
    std::string_view stem = name;
    std::string_view extension;
    const auto dot = name.rfind('.');
    // An "extension" longer than half the room is no extension to keep.
    if (dot != std::string_view::npos && dot > 0 && name.size() - dot <= limit / 2) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    const std::string number = attempt > 1 ? "." + std::to_string(attempt) : std::string();
    const std::size_t room = limit - extension.size() - number.size();
    if (stem.size() > room) {
        // Not in the middle of a character: UTF-8 goes on with 10xxxxxx.
        std::size_t cut = room;
        for (int back = 0;
             back < 3 && cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80; ++back)
            --cut;
        stem = stem.substr(0, cut);
    }
    return std::string(stem) + number + std::string(extension);
}

// Creates the description and returns 0, or the errno that stopped it.
int writeInfo(const std::string &infoPath, std::string_view text)
{
    // O_EXCL: the description's name is the reservation of the entry.
    const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = writeAll(fd, text);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(infoPath.c_str());
    return error;
}

// rename(2) that fails with EEXIST rather than replace what is at to:
// replacing it would delete that file for good. Where the file system knows
// no such rename, a look just before must do.
int renameWithoutReplacing(const std::string &from, const std::string &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    struct stat info
    {
    };
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::optional<std::string> realPathOf(const std::string &path)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string real = resolved;
    std::free(resolved);
    return real;
}

} // namespace

FreedesktopTrash::FreedesktopTrash(std::string dataHome, uid_t uid, Clock now,
                                   FileSystemOf fileSystemOf)
    : m_dataHome(std::move(dataHome)), m_uid(uid), m_now(std::move(now)),
      m_fileSystemOf(std::move(fileSystemOf))
{
    if (!m_now)
        m_now = [] { return std::time(nullptr); };
    if (!m_fileSystemOf)
        m_fileSystemOf = fileSystemOfPath;
}

std::string FreedesktopTrash::userDataHome()
{
    // A relative XDG_DATA_HOME is invalid and is ignored, as the base
    // directory rules require.
    if (const char *data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/')
        return data;
    const std::string home = homeDirectory();
    return home.empty() ? std::string() : join(home, ".local/share");
}

std::unique_ptr<FreedesktopTrash> FreedesktopTrash::forUser()
{
    // The effective user: it owns the trash directories this program makes.
    return std::make_unique<FreedesktopTrash>(userDataHome(), ::geteuid());
}

std::optional<FileSystemId> FreedesktopTrash::fileSystemOfPath(const std::string &path)
{
#if defined(STATX_MNT_ID) && __has_include(<linux/stat.h>)
    struct statx extended
    {
    };
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &extended) == 0) {
        FileSystemId id{makedev(extended.stx_dev_major, extended.stx_dev_minor), 0};
        if ((extended.stx_mask & STATX_MNT_ID) != 0)
            id.mount = extended.stx_mnt_id;
        return id;
    }
    // A kernel older than statx, or a sandbox that forbids it.
    if (errno != ENOSYS && errno != EPERM)
        return std::nullopt;
#endif
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileSystemId{info.st_dev, 0};
}

TrashOutcome FreedesktopTrash::moveToTrash(const std::string &requested)
{
    std::string path = requested;
    if (path.empty() || path.front() != '/') {
        const auto current = realPathOf(".");
        if (!current)
            return failure(problemOf(errno));
        path = join(*current, path);
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..")
        return failure(systemText(EINVAL));

    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return failure(problemOf(errno));
    // The file's own name is kept (a symbolic link goes as a link); the
    // directories on its way are resolved, for the search for its top
    // directory climbs the real ones.
    const auto realParent = realPathOf(parentOf(path));
    if (!realParent)
        return failure(problemOf(errno));
    const std::string source = join(*realParent, name);
    const auto fileSystem = m_fileSystemOf(source);
    if (!fileSystem)
        return failure(kTrashNoLongerThere);
    const auto place = placeFor(*realParent, *fileSystem);
    if (!place)
        return failure(kTrashNoTrashOnItsDrive);

    std::string original = source;
    if (!place->top.empty())
        original.erase(0, place->top == "/" ? 1 : place->top.size() + 1);
    const std::string text = "[Trash Info]\nPath=" + percentEncoded(original) +
                             "\nDeletionDate=" + deletionDate(m_now()) + "\n";

    const std::string files = join(place->directory, "files");
    const std::string infos = join(place->directory, "info");
    const std::size_t limit = entryNameLimit(infos);
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::string entry = entryName(name, attempt, limit);
        const std::string infoPath = join(infos, entry).append(kInfoSuffix);
        if (const int error = writeInfo(infoPath, text); error != 0) {
            if (error == EEXIST)
                continue;
            return failure(trashProblemOf(error));
        }
        const int error = renameWithoutReplacing(source, join(files, entry));
        if (error == 0)
            return {true, {}};
        ::unlink(infoPath.c_str());
        // EEXIST: an entry in files/ that lost its description; it stays,
        // and the file takes the next name.
        if (error != EEXIST)
            return failure(problemOf(error));
    }
    return failure(systemText(EEXIST));
}

std::optional<FreedesktopTrash::Place>
FreedesktopTrash::placeFor(const std::string &realParent, const FileSystemId &fileSystem) const
{
    if (!m_dataHome.empty()) {
        const std::string home = join(m_dataHome, "Trash");
        // The home trash may not be made yet: the directory it will be made
        // in tells its file system.
        std::string existing = home;
        while (!existing.empty() && !isDirectory(existing))
            existing = existing == "/" ? std::string() : parentOf(existing);
        const auto real = existing.empty() ? std::nullopt : realPathOf(existing);
        if (real && m_fileSystemOf(*real) == fileSystem) {
            if (ensureDirectories(home) && holdsFilesAndInfo(home))
                return Place{home, {}};
            return std::nullopt;
        }
    }
    return topDirectoryPlace(topDirectoryOf(realParent, fileSystem));
}

std::string FreedesktopTrash::topDirectoryOf(const std::string &realParent,
                                             const FileSystemId &fileSystem) const
{
    std::string top = realParent;
    while (top != "/") {
        const std::string up = parentOf(top);
        if (m_fileSystemOf(up) != fileSystem)
            break;
        top = up;
    }
    return top;
}

std::optional<FreedesktopTrash::Place>
FreedesktopTrash::topDirectoryPlace(const std::string &top) const
{
    const std::string uid = std::to_string(m_uid);
    // The administrator's trash, shared by the users of the drive: sticky,
    // so that no one may take another's directory away, and no link that
    // could lead anywhere.
    const std::string shared = join(top, ".Trash");
    struct stat info
    {
    };
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        (info.st_mode & S_ISVTX) != 0) {
        const std::string own = join(shared, uid);
        if (ensureOwnDirectory(own, m_uid) && holdsFilesAndInfo(own))
            return Place{own, top};
    }
    const std::string own = join(top, ".Trash-" + uid);
    if (ensureOwnDirectory(own, m_uid) && holdsFilesAndInfo(own))
        return Place{own, top};
    return std::nullopt;
}

} // namespace vorin
