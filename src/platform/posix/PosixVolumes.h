#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// What a mounted file system is, as far as the drive list cares.
enum class MountKind {
    Disk,    // a file system on a block device (ext4, xfs, btrfs, vfat, ntfs, ...)
    Network, // nfs, cifs, sshfs and their kin
    Ram,     // tmpfs, ramfs
    Optical, // iso9660, udf
    Other,   // only ever the root file system, e.g. the overlay of a container
};

// One mount that deserves a drive letter, read from /proc/self/mountinfo with
// its escapes decoded.
struct MountCandidate
{
    unsigned major = 0;
    unsigned minor = 0;
    std::string mountPoint;
    std::string fileSystem;
    std::string source; // "/dev/sda1", "//server/share", "server:/export", ...
    MountKind kind = MountKind::Other;
};

// The mounts of a mountinfo text that become drives, in drive-letter order:
// "/" first, then the others in byte order of their mount points. Pseudo file
// systems, squashfs images, RAM file systems under /dev, /run, /proc and /sys,
// bind mounts of a subdirectory, mounts hidden under a later mount at the same
// place, and further mounts of a device already listed are left out. The list
// is not cut at z:.
[[nodiscard]] std::vector<MountCandidate> parseMountInfo(std::string_view text);

// Turns the \ooo escapes of a mountinfo field back into the bytes they stand for.
[[nodiscard]] std::string decodeMountInfoField(std::string_view field);

// The letter of the drive whose root is the longest leading run of whole path
// components of an absolute path; 0 when none is.
[[nodiscard]] char driveLetterOfPath(const std::vector<Volume> &volumes, std::string_view path);

// What storage the block device major:minor is, from the sysfs tree under
// sysfsRoot: a partition is its disk's; a stacked device (device-mapper,
// md RAID) is the slowest of the devices it is made of (a spinning member
// makes the whole seek); a disk is solid-state or rotational as the kernel
// marks it (queue/rotational), except that a virtual machine's disk (virtio,
// Xen), which the kernel marks rotational for want of knowing, is Virtual,
// and network block devices (nbd, rbd) are Network. Unknown when sysfs
// does not say.
[[nodiscard]] StorageKind blockDeviceStorage(const std::string &sysfsRoot, unsigned major,
                                             unsigned minor);
// The same for a block device known by its name (sda2, dm-0), as
// /sys/class/block lists it.
[[nodiscard]] StorageKind namedBlockDeviceStorage(const std::string &sysfsRoot,
                                                  const std::string &name);

// The storage of a mount: network and RAM file systems by their type, disks
// through sysfs, by the device number or, for file systems that report an
// anonymous one (btrfs), by the device named as the mount's source.
[[nodiscard]] StorageKind mountStorage(const MountCandidate &mount, const std::string &sysfsRoot);

// The mount table of this machine as drives c: to z:. The table is read once,
// when the object is made (refresh() reads it again); readiness, space and
// allocation unit are asked of the file system (statvfs) on every call, so a
// hung network mount can block the caller. A drive's storage is looked up in
// sysfs when it is first asked for (when the drive is first walked), not for
// every mount when the table is read. Used on the user-interface thread;
// storage and walkThreads may also be asked from a walking thread.
class PosixVolumes final : public Volumes
{
public:
    // Reads /proc/self/mountinfo and the removable flags under /sys.
    PosixVolumes();
    // For tests: a mountinfo text and the directory that stands in for /sys.
    PosixVolumes(std::string mountInfo, std::string sysfsRoot);

    [[nodiscard]] std::vector<Volume> list() const override;
    [[nodiscard]] std::optional<Volume> find(char letter) const override;
    [[nodiscard]] bool ready(char letter) const override;
    [[nodiscard]] DiskSpace space(char letter) const override;
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override;
    [[nodiscard]] char currentDriveLetter() const override;
    // walkThreadsFor the drive's storage and this machine's cores.
    [[nodiscard]] int walkThreads(char letter) const override;

    // The storage of a drive, learnt at the first question and kept until the
    // table is read again; Unknown for a letter no drive has.
    [[nodiscard]] StorageKind storage(char letter) const;

    // Reads the mount table again (the machine's own one unless a text was given).
    void refresh();

private:
    void build(std::string_view mountInfo);

    bool m_readsMachine = false;
    std::string m_mountInfo;
    std::string m_sysfsRoot;
    std::vector<Volume> m_volumes;
    std::vector<MountCandidate> m_mounts; // one per volume
    mutable std::mutex m_storageMutex;
    mutable std::vector<std::optional<StorageKind>> m_storage; // one per volume, once asked
};

} // namespace vorin
