#include "platform/FileSystem.h"

#include <cstdlib>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace vorin {

std::optional<std::string> resolveDirectory(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    char *real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return std::nullopt;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

std::optional<FileSystemFigures> fileSystemFigures(const std::string &path)
{
    struct statvfs fs
    {
    };
    if (::statvfs(path.c_str(), &fs) != 0)
        return std::nullopt;
    const double unit = double(fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize);
    return FileSystemFigures{{double(fs.f_bfree) * unit, double(fs.f_blocks) * unit},
                             std::int64_t(fs.f_bsize)};
}

} // namespace vorin
