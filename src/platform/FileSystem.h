#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vorin {

// A directory named by the user (the report takes one as a drive of its own):
// its absolute path in the platform's spelling, or nothing when there is no
// directory by that name.
[[nodiscard]] std::optional<std::string> resolveDirectory(const std::string &path);

struct FileSystemFigures
{
    DiskSpace space;
    std::int64_t allocationUnit = 0;
};

// Free and total bytes and the allocation unit of the file system that holds
// the directory path; nothing when the file system gives no answer.
[[nodiscard]] std::optional<FileSystemFigures> fileSystemFigures(const std::string &path);

} // namespace vorin
