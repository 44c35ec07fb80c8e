#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorin {

// Raised for a character that names no drive; what() is "Not a valid drive ID".
class InvalidDriveError : public std::invalid_argument
{
public:
    InvalidDriveError() : std::invalid_argument("Not a valid drive ID") {}
};

// One drive as the program lists it: a letter c..z, the platform's type code
// (kDriveFixed and its kin in support/Utility.h), the path of its root
// directory, and the label shown in square brackets of its drive entry.
struct Volume
{
    char letter = 0; // lower case
    int type = 0;
    std::string root;       // "/" , "/home", or a directory for fakes
    std::string label;      // may be empty
    std::string fileSystem; // "ext4", "tmpfs", ... informative only
    // Remote drives: where the connection goes ("//server/share",
    // "server:/export"); empty when unknown, and for every other drive.
    std::string networkName;
    // A folder given a drive letter of its own, as Windows substitutes a
    // drive for a folder: root and label are the folder's path, the type is
    // that of the file system holding it, and the drive is listed with its
    // path whatever that type is.
    bool folder = false;
};

struct DiskSpace
{
    double freeBytes = 0;
    double totalBytes = 0;
};

// The drives of this machine. On POSIX the mount table is mapped onto drive
// letters ("/" is c:); tests use an in-memory table over temporary directories.
class Volumes
{
public:
    virtual ~Volumes() = default;
    // The drives present, in letter order.
    [[nodiscard]] virtual std::vector<Volume> list() const = 0;
    // The drive with this (lower-case) letter, if present.
    [[nodiscard]] virtual std::optional<Volume> find(char letter) const = 0;
    // True when the drive's file system answers a space query.
    [[nodiscard]] virtual bool ready(char letter) const = 0;
    // Free and total bytes; both 0 when the drive gives no answer.
    [[nodiscard]] virtual DiskSpace space(char letter) const = 0;
    // The allocation unit the file system reports, in bytes; 0 when unknown.
    [[nodiscard]] virtual std::int64_t allocationUnit(char letter) const = 0;
    // The drive that holds the process's current directory; 0 when none does.
    [[nodiscard]] virtual char currentDriveLetter() const = 0;
};

} // namespace vorin
