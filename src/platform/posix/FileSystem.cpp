#include "platform/FileSystem.h"

#include "platform/posix/PosixVolumes.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vorin {
namespace {

bool statOf(const std::string &path, struct stat &info)
{
    int result = 0;
    do
        result = ::stat(path.c_str(), &info);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool fileSystemOf(const std::string &path, struct statvfs &info)
{
    int result = 0;
    do
        result = ::statvfs(path.c_str(), &info);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

FolderLookup lookUpFolder(const std::string &path)
{
    char *resolved = path.empty() ? nullptr : ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        // A directory on the way that may not be searched hides the folder
        // from this user; anything else means there is no such folder.
        return {{}, errno == EACCES ? FolderProblem::Unreadable : FolderProblem::Missing};
    }
    std::string real = resolved;
    std::free(resolved);
    struct stat info
    {
    };
    if (!statOf(real, info))
        return {{}, FolderProblem::Missing};
    if (!S_ISDIR(info.st_mode))
        return {{}, FolderProblem::NotAFolder};
    // The walk lists every directory and enters it.
    if (::access(real.c_str(), R_OK | X_OK) != 0)
        return {{}, FolderProblem::Unreadable};
    return {std::move(real), std::nullopt};
}

bool isDirectory(const std::string &path)
{
    struct stat info
    {
    };
    return statOf(path, info) && S_ISDIR(info.st_mode);
}

bool onOneFileSystem(const std::string &first, const std::string &second)
{
    struct stat a
    {
    };
    struct stat b
    {
    };
    return statOf(first, a) && statOf(second, b) && a.st_dev == b.st_dev;
}

char driveLetterHolding(const std::vector<Volume> &volumes, const std::string &path)
{
    return driveLetterOfPath(volumes, path);
}

std::optional<FileSystemFigures> fileSystemFigures(const std::string &path)
{
    struct statvfs fs
    {
    };
    if (!fileSystemOf(path, fs))
        return std::nullopt;
    // The fundamental block. Every free block counts, also those kept back
    // for the superuser.
    const std::uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
    return FileSystemFigures{
        {double(fs.f_bfree) * double(unit), double(fs.f_blocks) * double(unit)},
        std::int64_t(unit)};
}

} // namespace vorin

namespace vorin {

std::string fileSystemIdentity(const std::string &path)
{
    struct statvfs fs
    {
    };
    struct stat info
    {
    };
    if (!fileSystemOf(path, fs) || !statOf(path, info))
        return {};
    // ext4, XFS and Btrfs derive the id from the UUID; file systems that give
    // none (tmpfs, some FUSE ones) are told apart by their device number,
    // which is the best there is for them.
    char text[64];
    const auto id = static_cast<unsigned long long>(fs.f_fsid);
    std::snprintf(text, sizeof text, id != 0 ? "fsid:%llx" : "dev:%llx",
                  id != 0 ? id : static_cast<unsigned long long>(info.st_dev));
    return text;
}

} // namespace vorin
