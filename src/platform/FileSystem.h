#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorin {

// Why a path names no folder the walk could go through.
enum class FolderProblem {
    Missing,    // no such path
    NotAFolder, // a file, a device, ...
    Unreadable, // its entries cannot be listed, or a directory on its way cannot be searched
};

// A folder named by the user, looked up: its real path, absolute, with every
// symbolic link (on Windows every junction and substituted drive), "." and
// ".." resolved, in the platform's spelling ("/home/ann/Music",
// "C:\Users\ann\Music", "C:\" for a drive's root); or why there is none.
struct FolderLookup
{
    std::string realPath; // empty when there is a problem
    std::optional<FolderProblem> problem;
};

// Resolves the path (relative to the current directory) and checks that the
// folder's entries can be listed and entered.
[[nodiscard]] FolderLookup lookUpFolder(const std::string &path);

// True when the path names a directory now.
[[nodiscard]] bool isDirectory(const std::string &path);

// True when one file system holds both paths (a volume mounted on the way
// between them is another one); false when either cannot be asked.
[[nodiscard]] bool onOneFileSystem(const std::string &first, const std::string &second);

// The letter of the drive whose root is the longest leading run of whole path
// components of an absolute path (on Windows in any case of its letters); 0
// when none is.
[[nodiscard]] char driveLetterHolding(const std::vector<Volume> &volumes, const std::string &path);

struct FileSystemFigures
{
    DiskSpace space;
    std::int64_t allocationUnit = 0;
};

// What tells the file system holding path from another mounted in its place
// later: on Linux its id (from the file system's UUID where it has one) and
// type, on Windows the volume's serial number and label. Empty when the file
// system cannot be asked.
[[nodiscard]] std::string fileSystemIdentity(const std::string &path);

// Free and total bytes and the allocation unit of the file system that holds
// the directory path, as the drives of the machine answer them; nothing when
// the file system gives no answer.
[[nodiscard]] std::optional<FileSystemFigures> fileSystemFigures(const std::string &path);

} // namespace vorin
