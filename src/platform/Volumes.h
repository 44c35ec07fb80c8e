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

// How a drive answers many small reads (inodes, directory blocks) at once,
// which decides how many walking threads suit it: each thread keeps one
// read in flight.
enum class StorageKind {
    Unknown,    // the system does not say
    Rotational, // a spinning disk or optical drive: reads in flight make the head seek between them
    SolidState, // flash: many reads in flight cost little more than one
    Network,    // a file server: every read is a round trip, worth overlapping
    Virtual,    // a virtual machine's disk, served by the host (virtio, Xen): the
                // guest cannot tell what lies behind it, and behind it is
                // nearly always solid-state or network storage with latency to hide
    Memory,     // tmpfs, ramfs: nothing to wait for
};

// The walking threads for a drive of this kind on a machine with this many
// cores: several per core where reads wait on a device or a server, at least
// eight and at most 32 (solid-state and virtual disks: four per core; network
// drives: eight per core, at least 16); two on a spinning disk, one reading
// while the other counts; one per core, at most eight, where nothing waits
// (memory) or nothing is known.
[[nodiscard]] int walkThreadsFor(StorageKind kind, unsigned cores);

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
    // How many threads should walk this drive, for its storage and this
    // machine's cores. Asks no file system (the answer is known when the
    // drive list is read), so it never blocks. This default knows nothing of
    // the storage: one thread per core, at most eight. Decorators forward it.
    [[nodiscard]] virtual int walkThreads(char letter) const;
    // The drive whose file system this drive's space is: the drive itself,
    // or for a folder given a drive of its own, the drive that holds it (the
    // first folder on the same file system when no drive holds it). Totals
    // count each owner once. Asks no file system. Decorators forward it.
    [[nodiscard]] virtual char spaceOwner(char letter) const { return letter; }
};

} // namespace vorin
