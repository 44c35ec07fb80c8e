#include "platform/posix/PosixVolumes.h"

#include "support/Utility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace vorin;

namespace {

// A desktop as it really looks: pseudo file systems first, the root later,
// optional fields of varying number, and mounts that must not become drives.
const char *const kDesktop =
    "22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw\n"
    "23 28 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
    "24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8000000k,mode=755\n"
    "25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620\n"
    "26 28 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs "
    "rw,size=1600000k,mode=755\n"
    "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "27 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw\n"
    "29 22 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"
    "44 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:18 - tracefs tracefs "
    "rw\n"
    "45 28 0:44 / /proc/sys/fs/binfmt_misc rw,relatime shared:27 - autofs systemd-1 rw,fd=29\n"
    "30 28 0:27 / /tmp rw,nosuid,nodev shared:15 - tmpfs tmpfs rw,size=8000000k\n"
    "31 28 8:3 / /home rw,relatime shared:30 - ext4 /dev/sda3 rw\n"
    "32 28 8:1 / /boot/efi rw,relatime shared:31 - vfat /dev/sda1 rw,fmask=0077,dmask=0077\n"
    "33 26 0:40 / /run/user/1000 rw,nosuid,nodev,relatime shared:400 - tmpfs tmpfs "
    "rw,mode=700,uid=1000\n"
    "34 28 7:1 / /snap/core22/1234 ro,nodev,relatime shared:100 - squashfs /dev/loop1 ro\n"
    "35 28 8:17 / /media/usb rw,nosuid,nodev,relatime shared:200 master:7 - vfat /dev/sdb1 rw\n"
    "36 28 0:50 / /mnt/nfs rw,relatime shared:300 - nfs4 fileserver:/export/Home rw,vers=4.2\n"
    "37 28 0:51 / /mnt/share rw,relatime shared:301 - cifs //NAS/Public rw,vers=3.1.1\n"
    "38 28 0:52 / /mnt/ssh rw,nosuid,nodev,relatime shared:302 - fuse.sshfs Ann@host:/srv "
    "rw,user_id=1000\n"
    "39 28 8:3 /ann/projects /srv/projects rw,relatime shared:30 - ext4 /dev/sda3 rw\n"
    "40 28 8:3 / /mnt/home-again rw,relatime shared:30 - ext4 /dev/sda3 rw\n"
    "41 28 8:4 / /mnt/Zip\\040Disk rw,relatime - ext4 /dev/sda4 rw\n"
    "42 28 11:0 / /media/cdrom ro,nosuid,nodev,relatime - iso9660 /dev/sr0 ro\n"
    "43 28 8:33 / /media/card rw,relatime - exfat /dev/sdc1 rw\n"
    "46 28 8:48 / /media/whole rw,relatime - ext4 /dev/sdd rw\n"
    "47 33 0:53 / /run/user/1000/gvfs rw,nosuid,nodev,relatime - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "48 28 0:54 / /mnt/rclone rw,relatime - fuse.mycloud remote:bucket rw\n"
    "49 28 0:55 / /var/lib/lxcfs rw,relatime - fuse.lxcfs lxcfs rw\n"
    "\n"
    "this line is no mount at all\n";

// A temporary directory laid out like /sys for the block devices of kDesktop.
class SysfsFixture
{
public:
    SysfsFixture()
    {
        std::string pattern = (fs::temp_directory_path() / "vorin-sysfs-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
        const std::string ata =
            "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/";
        disk(ata + "sda", false);
        partition("8:1", ata + "sda/sda1");
        partition("8:2", ata + "sda/sda2");
        partition("8:3", ata + "sda/sda3");
        partition("8:4", ata + "sda/sda4");
        // A USB stick that calls itself fixed: its bus decides.
        const std::string usb =
            "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/";
        disk(usb + "sdb", false);
        partition("8:17", usb + "sdb/sdb1");
        // A card reader on the SATA bus that the kernel marks removable.
        const std::string reader =
            "devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0/block/";
        disk(reader + "sdc", true);
        partition("8:33", reader + "sdc/sdc1");
        // A removable disk formatted without partitions.
        disk(reader + "sdd", true);
        partition("8:48", reader + "sdd");
    }
    ~SysfsFixture() { fs::remove_all(m_root); }
    SysfsFixture(const SysfsFixture &) = delete;
    SysfsFixture &operator=(const SysfsFixture &) = delete;

    [[nodiscard]] std::string root() const { return m_root.string(); }

private:
    void disk(const std::string &path, bool removable)
    {
        fs::create_directories(m_root / path);
        std::ofstream(m_root / path / "removable") << (removable ? "1\n" : "0\n");
    }
    void partition(const std::string &device, const std::string &path)
    {
        fs::create_directories(m_root / path);
        fs::create_directories(m_root / "dev" / "block");
        fs::create_symlink(fs::path("../..") / path, m_root / "dev" / "block" / device);
    }

    fs::path m_root;
};

std::vector<std::string> mountPointsOf(const std::vector<MountCandidate> &candidates)
{
    std::vector<std::string> points;
    for (const MountCandidate &candidate : candidates)
        points.push_back(candidate.mountPoint);
    return points;
}

} // namespace

TEST(PosixVolumesTest, desktopDrivesAreRootFirstThenMountPointsInByteOrder)
{
    // Byte order puts "/mnt/Zip Disk" before "/mnt/nfs" (upper case sorts
    // first), where a case-blind order would not.
    EXPECT_EQ(mountPointsOf(parseMountInfo(kDesktop)),
              (std::vector<std::string>{"/", "/boot/efi", "/home", "/media/card", "/media/cdrom",
                                        "/media/usb", "/media/whole", "/mnt/Zip Disk", "/mnt/nfs",
                                        "/mnt/rclone", "/mnt/share", "/mnt/ssh", "/tmp"}));
}

TEST(PosixVolumesTest, lettersRunFromCInListOrder)
{
    SysfsFixture sysfs;
    const PosixVolumes volumes(kDesktop, sysfs.root());
    const std::vector<Volume> list = volumes.list();
    ASSERT_EQ(list.size(), 13u);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].letter, char('c' + i)) << list[i].root;
    EXPECT_EQ(list.front().root, "/");
    EXPECT_EQ(list.front().label, "/");
}

struct DriveCase
{
    const char *mountPoint;
    int type;
    const char *fileSystem;
    const char *networkName;
};

void PrintTo(const DriveCase &c, std::ostream *os)
{
    *os << c.mountPoint;
}

class PosixVolumesDriveTest : public testing::TestWithParam<DriveCase>
{
};

TEST_P(PosixVolumesDriveTest, driveHasTypeLabelAndNetworkName)
{
    const DriveCase &c = GetParam();
    SysfsFixture sysfs;
    const PosixVolumes volumes(kDesktop, sysfs.root());
    const std::vector<Volume> list = volumes.list();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Volume &v) { return v.root == c.mountPoint; });
    ASSERT_NE(it, list.end());
    EXPECT_EQ(it->type, c.type);
    EXPECT_EQ(it->label, c.mountPoint);
    EXPECT_EQ(it->fileSystem, c.fileSystem);
    EXPECT_EQ(it->networkName, c.networkName);
    const std::optional<Volume> found = volumes.find(it->letter);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->root, c.mountPoint);
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, PosixVolumesDriveTest,
    testing::Values(DriveCase{"/", kDriveFixed, "ext4", ""},
                    DriveCase{"/boot/efi", kDriveFixed, "vfat", ""},
                    DriveCase{"/home", kDriveFixed, "ext4", ""},
                    DriveCase{"/media/usb", kDriveRemovable, "vfat", ""},
                    DriveCase{"/media/card", kDriveRemovable, "exfat", ""},
                    DriveCase{"/media/whole", kDriveRemovable, "ext4", ""},
                    DriveCase{"/media/cdrom", kDriveCdRom, "iso9660", ""},
                    DriveCase{"/mnt/Zip Disk", kDriveFixed, "ext4", ""},
                    DriveCase{"/mnt/nfs", kDriveRemote, "nfs4", "fileserver:/export/Home"},
                    DriveCase{"/mnt/share", kDriveRemote, "cifs", "//NAS/Public"},
                    DriveCase{"/mnt/ssh", kDriveRemote, "fuse.sshfs", "Ann@host:/srv"},
                    DriveCase{"/mnt/rclone", kDriveRemote, "fuse.mycloud", "remote:bucket"},
                    DriveCase{"/tmp", kDriveRamDisk, "tmpfs", ""}));

TEST(PosixVolumesTest, withoutSysfsEveryDiskIsFixed)
{
    const PosixVolumes volumes(kDesktop, "/nonexistent/vorin-sysfs");
    int disks = 0;
    for (const Volume &volume : volumes.list()) {
        if (volume.root.starts_with("/media/usb") || volume.root.starts_with("/media/card") ||
            volume.root.starts_with("/media/whole")) {
            EXPECT_EQ(volume.type, kDriveFixed) << volume.root;
            ++disks;
        }
    }
    EXPECT_EQ(disks, 3);
}

TEST(PosixVolumesTest, overlayRootOfAContainerIsTheOnlyDrive)
{
    const char *const container =
        "500 450 0:120 / / rw,relatime master:1 - overlay overlay "
        "rw,lowerdir=/l1:/l2,upperdir=/u,workdir=/w\n"
        "501 500 0:125 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
        "502 500 0:126 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
        "503 502 0:127 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k\n"
        "504 500 0:128 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro\n"
        "505 500 8:2 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - "
        "ext4 /dev/sda2 rw\n"
        "506 500 8:2 /home/ann/src /work rw,relatime - ext4 /dev/sda2 rw\n";
    const PosixVolumes volumes(container, "/nonexistent/vorin-sysfs");
    const std::vector<Volume> list = volumes.list();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].letter, 'c');
    EXPECT_EQ(list[0].root, "/");
    EXPECT_EQ(list[0].type, kDriveFixed);
    EXPECT_EQ(list[0].fileSystem, "overlay");
}

TEST(PosixVolumesTest, rootOnTmpfsIsStillDriveC)
{
    const PosixVolumes volumes("1 0 0:2 / / rw - tmpfs none rw\n", "/nonexistent/vorin-sysfs");
    const std::vector<Volume> list = volumes.list();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].letter, 'c');
    EXPECT_EQ(list[0].type, kDriveRamDisk);
}

TEST(PosixVolumesTest, anUnreadableMountTableStillGivesDriveC)
{
    const PosixVolumes volumes("", "/nonexistent/vorin-sysfs");
    const std::vector<Volume> list = volumes.list();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].letter, 'c');
    EXPECT_EQ(list[0].root, "/");
    EXPECT_EQ(list[0].type, kDriveFixed);
    EXPECT_TRUE(volumes.ready('c'));
}

TEST(PosixVolumesTest, moreThanTwentyFourDrivesStopAtZ)
{
    std::string text = "1 0 8:0 / / rw - ext4 /dev/sda rw\n";
    for (int i = 0; i < 30; ++i) {
        char point[16];
        std::snprintf(point, sizeof point, "/data/%02d", i);
        text += std::to_string(10 + i) + " 1 9:" + std::to_string(i) + " / " + point +
                " rw - xfs /dev/md" + std::to_string(i) + " rw\n";
    }
    EXPECT_EQ(parseMountInfo(text).size(), 31u);
    const PosixVolumes volumes(text, "/nonexistent/vorin-sysfs");
    const std::vector<Volume> list = volumes.list();
    ASSERT_EQ(list.size(), 24u);
    EXPECT_EQ(list.back().letter, 'z');
    EXPECT_EQ(list.back().root, "/data/22");
    EXPECT_FALSE(volumes.find('z' + 1).has_value());
}

TEST(PosixVolumesTest, sameDeviceTwiceKeepsTheFirstInLetterOrder)
{
    // The later mount in the table sorts first, so it is the one listed.
    const char *const text = "1 0 8:0 / / rw - ext4 /dev/sda rw\n"
                             "2 1 8:16 / /srv/zeta rw - ext4 /dev/sdb rw\n"
                             "3 1 8:16 / /srv/alpha rw - ext4 /dev/sdb rw\n"
                             "4 1 8:0 / /mnt/root-again rw - ext4 /dev/sda rw\n";
    EXPECT_EQ(mountPointsOf(parseMountInfo(text)), (std::vector<std::string>{"/", "/srv/alpha"}));
}

TEST(PosixVolumesTest, aMountHiddenUnderAnotherAtTheSamePlaceGivesWay)
{
    const char *const text = "1 0 8:0 / / rw - ext4 /dev/sda rw\n"
                             "2 1 8:16 / /mnt/x rw - ext4 /dev/sdb rw\n"
                             "3 2 0:60 / /mnt/x rw - nfs server:/export rw\n";
    const std::vector<MountCandidate> candidates = parseMountInfo(text);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[1].mountPoint, "/mnt/x");
    EXPECT_EQ(candidates[1].kind, MountKind::Network);
    EXPECT_EQ(candidates[1].source, "server:/export");
}

TEST(PosixVolumesTest, btrfsSubvolumesAreDrivesButBindMountsInsideThemAreNot)
{
    const char *const text =
        "1 0 0:31 /@ / rw - btrfs /dev/nvme0n1p2 rw,ssd,subvolid=256,subvol=/@\n"
        "2 1 0:31 /@home /home rw - btrfs /dev/nvme0n1p2 rw,ssd,subvolid=257,subvol=/@home\n"
        "3 1 0:31 /@home/ann/music /srv/music rw - btrfs /dev/nvme0n1p2 "
        "rw,ssd,subvolid=257,subvol=/@home\n"
        "4 1 0:31 /@home /mnt/home-again rw - btrfs /dev/nvme0n1p2 "
        "rw,ssd,subvolid=257,subvol=/@home\n";
    EXPECT_EQ(mountPointsOf(parseMountInfo(text)), (std::vector<std::string>{"/", "/home"}));
}

TEST(PosixVolumesTest, mountPointWithAnyBytesIsDecoded)
{
    // A blank, a tab, a newline, a backslash, UTF-8 and a byte that is no UTF-8.
    const std::string text =
        "1 0 8:0 / / rw - ext4 /dev/sda rw\n"
        "2 1 8:16 / /mnt/a\\040b\\011c\\012d\\134e\xc3\xa9\xff rw - ext4 /dev/sdb rw\n";
    const std::vector<MountCandidate> candidates = parseMountInfo(text);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[1].mountPoint, "/mnt/a b\tc\nd\\e\xc3\xa9\xff");
}

struct DecodeCase
{
    const char *field;
    const char *decoded;
};

class DecodeMountInfoFieldTest : public testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeMountInfoFieldTest, escapesBecomeBytes)
{
    EXPECT_EQ(decodeMountInfoField(GetParam().field), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(Fields, DecodeMountInfoFieldTest,
                         testing::Values(DecodeCase{"/plain", "/plain"}, DecodeCase{"\\040", " "},
                                         DecodeCase{"/a\\040\\040b", "/a  b"},
                                         DecodeCase{"\\134\\134", "\\\\"},
                                         DecodeCase{"/x\\011", "/x\t"}, DecodeCase{"\\012/", "\n/"},
                                         // Not an escape: kept as written.
                                         DecodeCase{"/a\\04", "/a\\04"},
                                         DecodeCase{"/a\\08x", "/a\\08x"},
                                         DecodeCase{"/a\\", "/a\\"}, DecodeCase{"", ""}));

struct PathCase
{
    const char *path;
    char letter;
};

class DriveLetterOfPathTest : public testing::TestWithParam<PathCase>
{
};

TEST_P(DriveLetterOfPathTest, longestMountPointByWholeComponents)
{
    const std::vector<Volume> volumes = {
        {'c', kDriveFixed, "/", "/", "ext4", ""},
        {'d', kDriveFixed, "/home", "/home", "ext4", ""},
        {'e', kDriveFixed, "/home/ann/data", "/home/ann/data", "xfs", ""},
        {'f', kDriveFixed, "/mnt/a b", "/mnt/a b", "ext4", ""},
    };
    EXPECT_EQ(driveLetterOfPath(volumes, GetParam().path), GetParam().letter);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DriveLetterOfPathTest,
    testing::Values(PathCase{"/", 'c'}, PathCase{"/etc", 'c'}, PathCase{"/home", 'd'},
                    PathCase{"/home/ann", 'd'}, PathCase{"/homework", 'c'},
                    PathCase{"/home/ann/data", 'e'}, PathCase{"/home/ann/data/x/y", 'e'},
                    PathCase{"/home/ann/database", 'd'}, PathCase{"/mnt/a b/c", 'f'},
                    PathCase{"/mnt/a", 'c'}, PathCase{"relative/path", 0}, PathCase{"", 0}));

TEST(PosixVolumesTest, aDriveWhoseMountPointIsGoneIsNotReady)
{
    const PosixVolumes volumes("1 0 8:0 / / rw - ext4 /dev/sda rw\n"
                               "2 1 8:16 / /nonexistent/vorin-gone rw - ext4 /dev/sdb rw\n",
                               "/nonexistent/vorin-sysfs");
    ASSERT_TRUE(volumes.find('d').has_value());
    EXPECT_FALSE(volumes.ready('d'));
    EXPECT_EQ(volumes.space('d').totalBytes, 0.0);
    EXPECT_EQ(volumes.space('d').freeBytes, 0.0);
    EXPECT_EQ(volumes.allocationUnit('d'), 0);
    // A letter with no drive behind it.
    EXPECT_FALSE(volumes.ready('q'));
    EXPECT_EQ(volumes.space('q').totalBytes, 0.0);
}

// A /sys of block devices of every sort the walk's thread count cares about.
class StorageSysfs
{
public:
    StorageSysfs()
    {
        std::string pattern = (fs::temp_directory_path() / "vorin-storage-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
        const std::string nvme = "devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1";
        disk(nvme, "0");
        partition(nvme + "/nvme0n1p1", "259:1");
        partition(nvme + "/nvme0n1p2", "259:2");
        const std::string sata =
            "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
        disk(sata, "1");
        partition(sata + "/sda1", "8:1");
        // The kernel marks a virtio disk rotational for want of knowing better.
        const std::string virtio = "devices/pci0000:00/0000:00:02.0/virtio1/block/vda";
        disk(virtio, "1");
        link("dev/block/254:0", virtio);
        const std::string xen = "devices/vbd-51712/block/xvda";
        disk(xen, "1");
        link("dev/block/202:0", xen);
        // A volume over a solid-state and a spinning partition seeks like the latter.
        const std::string mixed = "devices/virtual/block/dm-0";
        disk(mixed, "0");
        link("dev/block/253:0", mixed);
        link(mixed + "/slaves/nvme0n1p1", nvme + "/nvme0n1p1");
        link(mixed + "/slaves/sda1", sata + "/sda1");
        // An encrypted solid-state partition that marks itself rotational: its member decides.
        const std::string crypt = "devices/virtual/block/dm-1";
        disk(crypt, "1");
        link("dev/block/253:1", crypt);
        link(crypt + "/slaves/nvme0n1p2", nvme + "/nvme0n1p2");
        // RAID over a dm volume over a virtio disk: stacks of stacks.
        const std::string inner = "devices/virtual/block/dm-2";
        disk(inner, "1");
        link(inner + "/slaves/vda", virtio);
        const std::string raid = "devices/virtual/block/md0";
        disk(raid, "0");
        link("dev/block/9:0", raid);
        link(raid + "/slaves/dm-2", inner);
        // A network block device, and a device that says nothing.
        disk("devices/virtual/block/nbd0", "1");
        link("dev/block/43:0", "devices/virtual/block/nbd0");
        fs::create_directories(m_root / "devices/virtual/block/zram0");
        link("dev/block/252:0", "devices/virtual/block/zram0");
        link("class/block/nvme0n1p2", nvme + "/nvme0n1p2");
    }
    ~StorageSysfs() { fs::remove_all(m_root); }
    StorageSysfs(const StorageSysfs &) = delete;
    StorageSysfs &operator=(const StorageSysfs &) = delete;

    [[nodiscard]] std::string root() const { return m_root.string(); }

private:
    void disk(const std::string &path, const char *rotational)
    {
        fs::create_directories(m_root / path / "queue");
        fs::create_directories(m_root / path / "slaves");
        std::ofstream(m_root / path / "queue" / "rotational") << rotational << '\n';
    }
    void partition(const std::string &path, const std::string &device)
    {
        fs::create_directories(m_root / path);
        std::ofstream(m_root / path / "partition") << "1\n";
        link("dev/block/" + device, path);
    }
    // A relative link at `at` to `target`, both below the root, as sysfs makes them.
    void link(const std::string &at, const std::string &target)
    {
        const fs::path from = m_root / at;
        fs::create_directories(from.parent_path());
        fs::create_symlink(fs::relative(m_root / target, from.parent_path()), from);
    }

    fs::path m_root;
};

struct StorageCase
{
    unsigned major;
    unsigned minor;
    StorageKind kind;
};

std::ostream &operator<<(std::ostream &out, const StorageCase &c)
{
    return out << c.major << ':' << c.minor;
}

class BlockDeviceStorageTest : public testing::TestWithParam<StorageCase>
{
};

TEST_P(BlockDeviceStorageTest, partitionsAreTheirDisksAndStacksTheirSlowestMember)
{
    const StorageSysfs sysfs;
    EXPECT_EQ(blockDeviceStorage(sysfs.root(), GetParam().major, GetParam().minor),
              GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(PosixVolumesTest, BlockDeviceStorageTest,
                         testing::Values(StorageCase{259, 1, StorageKind::SolidState},
                                         StorageCase{8, 1, StorageKind::Rotational},
                                         StorageCase{254, 0, StorageKind::Virtual},
                                         StorageCase{202, 0, StorageKind::Virtual},
                                         StorageCase{253, 0, StorageKind::Rotational},
                                         StorageCase{253, 1, StorageKind::SolidState},
                                         StorageCase{9, 0, StorageKind::Virtual},
                                         StorageCase{43, 0, StorageKind::Network},
                                         StorageCase{252, 0, StorageKind::Unknown},
                                         StorageCase{8, 99, StorageKind::Unknown},
                                         StorageCase{0, 45, StorageKind::Unknown}));

TEST(PosixVolumesTest, eachDriveKnowsItsStorageAndWalksWithThreadsToSuitIt)
{
    const StorageSysfs sysfs;
    const std::string table = "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                              "2 1 8:1 / /data rw - ext4 /dev/sda1 rw\n"
                              "3 1 259:1 / /fast rw - xfs /dev/nvme0n1p1 rw\n"
                              "4 1 0:45 / /home rw - btrfs /dev/nvme0n1p2 rw,subvol=/\n"
                              "5 1 253:0 / /mixed rw - ext4 /dev/mapper/vg-mixed rw\n"
                              "6 1 0:50 / /mnt/nfs rw - nfs4 server:/export rw\n"
                              "7 1 0:27 / /tmp rw - tmpfs tmpfs rw\n"
                              "8 1 0:60 / /mnt/other rw - btrfs /dev/nosuchdisk9 rw,subvol=/\n";
    const PosixVolumes volumes(table, sysfs.root());

    const std::vector<std::pair<char, StorageKind>> expected = {
        {'c', StorageKind::Virtual},    {'d', StorageKind::Rotational},
        {'e', StorageKind::SolidState}, {'f', StorageKind::SolidState},
        {'g', StorageKind::Rotational}, {'h', StorageKind::Network},
        {'i', StorageKind::Unknown},    {'j', StorageKind::Memory}};
    ASSERT_EQ(volumes.list().size(), expected.size());
    for (const auto &[letter, kind] : expected) {
        EXPECT_EQ(volumes.storage(letter), kind) << letter << ": " << volumes.find(letter)->root;
        EXPECT_EQ(volumes.walkThreads(letter),
                  walkThreadsFor(kind, std::thread::hardware_concurrency()))
            << letter;
    }
    EXPECT_EQ(volumes.storage('z'), StorageKind::Unknown);
}

// Reading the table looks at no drive's storage: that waits until the drive
// is walked, so the sysfs may come into being after the table was read.
TEST(PosixVolumesTest, storageIsLookedUpWhenFirstAskedFor)
{
    const StorageSysfs sysfs;
    const fs::path later = sysfs.root() + "-made-later";
    const PosixVolumes volumes("1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                               "2 1 8:1 / /data rw - ext4 /dev/sda1 rw\n",
                               later.string());
    fs::create_directory_symlink(sysfs.root(), later);
    EXPECT_EQ(volumes.storage('d'), StorageKind::Rotational);
    EXPECT_EQ(volumes.walkThreads('c'),
              walkThreadsFor(StorageKind::Virtual, std::thread::hardware_concurrency()));
    fs::remove(later);
    EXPECT_EQ(volumes.storage('d'), StorageKind::Rotational); // kept once learnt
}

TEST(PosixVolumesTest, withoutSysfsNoDiskStorageIsKnown)
{
    const PosixVolumes volumes(kDesktop, "/nonexistent/vorin-sysfs");
    EXPECT_EQ(volumes.storage('c'), StorageKind::Unknown);
    EXPECT_EQ(volumes.walkThreads('c'),
              walkThreadsFor(StorageKind::Unknown, std::thread::hardware_concurrency()));
}

TEST(PosixVolumesTest, thisMachineHasDriveCAtTheRoot)
{
    const PosixVolumes volumes;
    const std::optional<Volume> c = volumes.find('c');
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->root, "/");
    EXPECT_TRUE(volumes.ready('c'));
    const DiskSpace space = volumes.space('c');
    EXPECT_GT(space.totalBytes, 0.0);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_GT(volumes.allocationUnit('c'), 0);
    EXPECT_LE(volumes.list().size(), 24u);
    EXPECT_NE(volumes.currentDriveLetter(), 0);
}
