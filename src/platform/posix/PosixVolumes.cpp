#include "platform/posix/PosixVolumes.h"

#include "platform/FileSystem.h"
#include "support/Utility.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace vorin {
namespace {

// Drive letters run from c: to z:; a and b stay the floppies' as they always were.
constexpr char kFirstLetter = 'c';
constexpr std::size_t kMaxDrives = 'z' - 'c' + 1;

struct RawMount
{
    unsigned id = 0;
    unsigned parent = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;
    std::string mountPoint;
    std::string fileSystem;
    std::string source;
    std::string superOptions;
};

std::vector<std::string_view> splitOn(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool parseUnsigned(std::string_view text, unsigned &value)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// One line: id parent major:minor root mount-point options [optional...] - type source
// super-options
bool parseLine(std::string_view line, RawMount &mount)
{
    const std::vector<std::string_view> fields = splitOn(line, ' ');
    if (fields.size() < 10)
        return false;
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
        ++dash;
    if (dash + 3 > fields.size())
        return false;
    const std::size_t colon = fields[2].find(':');
    if (colon == std::string_view::npos)
        return false;
    if (!parseUnsigned(fields[0], mount.id) || !parseUnsigned(fields[1], mount.parent) ||
        !parseUnsigned(fields[2].substr(0, colon), mount.major) ||
        !parseUnsigned(fields[2].substr(colon + 1), mount.minor))
        return false;
    mount.root = decodeMountInfoField(fields[3]);
    mount.mountPoint = decodeMountInfoField(fields[4]);
    mount.fileSystem = decodeMountInfoField(fields[dash + 1]);
    mount.source = decodeMountInfoField(fields[dash + 2]);
    mount.superOptions =
        dash + 3 < fields.size() ? decodeMountInfoField(fields[dash + 3]) : std::string();
    return !mount.mountPoint.empty() && mount.mountPoint.front() == '/';
}

bool isUnder(std::string_view path, std::string_view directory)
{
    return path == directory ||
           (path.size() > directory.size() && path.substr(0, directory.size()) == directory &&
            path[directory.size()] == '/');
}

// The places where the system keeps its own RAM file systems (/dev/shm,
// /run/user/1000, ...): the user has no files there worth counting.
bool isSystemPlace(std::string_view mountPoint)
{
    return isUnder(mountPoint, "/dev") || isUnder(mountPoint, "/run") ||
           isUnder(mountPoint, "/proc") || isUnder(mountPoint, "/sys");
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "//server/share", "server:/export", "user@host:/path", "remote:bucket".
bool looksLikeNetworkSource(std::string_view source)
{
    if (source.starts_with("//"))
        return true;
    return !source.empty() && source.front() != '/' && source.find(':') != std::string_view::npos;
}

std::optional<MountKind> classify(const RawMount &mount)
{
    const std::string_view fs = mount.fileSystem;
    if (isOneOf(fs, {"iso9660", "udf"}))
        return MountKind::Optical;
    if (isOneOf(fs, {"tmpfs", "ramfs"}))
        return MountKind::Ram;
    if (isOneOf(fs,
                {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "glusterfs",
                 "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.gcsfuse", "fuse.davfs",
                 "fuse.curlftpfs", "fuse.smbnetfs", "fuse.glusterfs", "fuse.ceph-fuse"}))
        return MountKind::Network;
    // Other FUSE file systems count as network drives only when their source
    // names a host; the local ones (portals, lxcfs, gvfs) are left out.
    if ((fs == "fuse" || fs.starts_with("fuse.")) && looksLikeNetworkSource(mount.source))
        return MountKind::Network;
    // Read-only images (snaps, live media layers) are packages, not drives.
    if (isOneOf(fs, {"squashfs", "erofs"}))
        return std::nullopt;
    if (isOneOf(fs, {"ext2",  "ext3",     "ext4",  "xfs",     "btrfs",  "vfat", "msdos",
                     "exfat", "ntfs",     "ntfs3", "fuseblk", "f2fs",   "jfs",  "reiserfs",
                     "zfs",   "bcachefs", "hfs",   "hfsplus", "nilfs2", "ufs",  "minix"}))
        return MountKind::Disk;
    if (mount.major != 0 && mount.source.starts_with("/dev/"))
        return MountKind::Disk;
    return std::nullopt;
}

// A btrfs subvolume mounted by itself (/home on subvolume @home) shows its
// subvolume as the mount's root, like a bind mount of a subdirectory would;
// the super options tell the two apart.
bool isBtrfsSubvolume(const RawMount &mount)
{
    if (mount.fileSystem != "btrfs" || mount.root == "/")
        return false;
    for (std::string_view option : splitOn(mount.superOptions, ','))
        if (option.starts_with("subvol=") && option.substr(7) == mount.root)
            return true;
    return false;
}

std::string deviceKey(const RawMount &mount)
{
    std::string key = std::to_string(mount.major) + ':' + std::to_string(mount.minor);
    if (isBtrfsSubvolume(mount))
        key += '|' + mount.root;
    return key;
}

std::string readWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

bool readsOne(const std::filesystem::path &file)
{
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

// The kernel marks removable media on the disk, not on its partitions; USB
// disks often claim to be fixed, so a USB bus on the device's path decides too.
bool isRemovableDevice(const std::string &sysfsRoot, unsigned major, unsigned minor)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error)
        return false;
    const fs::path device = fs::canonical(
        root / "dev" / "block" / (std::to_string(major) + ':' + std::to_string(minor)), error);
    if (error)
        return false;
    const std::string tail =
        device.string().substr(std::min(root.string().size(), device.string().size()));
    if (tail.find("/usb") != std::string::npos)
        return true;
    if (fs::exists(device / "removable", error))
        return readsOne(device / "removable");
    return readsOne(device.parent_path() / "removable");
}

bool readsLine(const std::filesystem::path &file, std::string &line)
{
    std::ifstream in(file);
    return static_cast<bool>(std::getline(in, line));
}

// Kinds from the one that suits the fewest threads to the one that suits the
// most: a stacked device is as slow as its slowest member.
int slowness(StorageKind kind)
{
    switch (kind) {
    case StorageKind::Rotational:
        return 0;
    case StorageKind::Unknown:
        return 1;
    case StorageKind::Memory:
        return 2;
    case StorageKind::Virtual:
        return 3;
    case StorageKind::SolidState:
        return 4;
    case StorageKind::Network:
        return 5;
    }
    return 1;
}

// A disk's driver cannot learn the medium behind a virtual machine's disk;
// virtio and Xen disks sit under a device named so.
bool isVirtualMachineDisk(const std::filesystem::path &device)
{
    for (const std::filesystem::path &part : device) {
        const std::string name = part.string();
        if (name.starts_with("virtio") || name.starts_with("vbd-") || name == "xen")
            return true;
    }
    return false;
}

StorageKind deviceStorage(const std::filesystem::path &canonicalDevice, int depth)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (depth > 8)
        return StorageKind::Unknown;
    fs::path device = canonicalDevice;
    // A partition has no queue of its own: its disk's decides.
    if (fs::exists(device / "partition", error) || !fs::exists(device / "queue", error))
        if (fs::exists(device.parent_path() / "queue", error))
            device = device.parent_path();
    const std::string name = device.filename().string();
    if (name.starts_with("nbd") || name.starts_with("rbd"))
        return StorageKind::Network;

    // Device-mapper and md RAID volumes list the devices they are made of.
    bool stacked = false;
    StorageKind slowest = StorageKind::Network;
    for (fs::directory_iterator it(device / "slaves", error), end; !error && it != end;
         it.increment(error)) {
        const fs::path member = fs::canonical(it->path(), error);
        if (error)
            return StorageKind::Unknown;
        const StorageKind kind = deviceStorage(member, depth + 1);
        if (!stacked || slowness(kind) < slowness(slowest))
            slowest = kind;
        stacked = true;
    }
    if (stacked)
        return slowest;

    std::string rotational;
    if (!readsLine(device / "queue" / "rotational", rotational))
        return StorageKind::Unknown;
    if (rotational == "0")
        return StorageKind::SolidState;
    if (rotational != "1")
        return StorageKind::Unknown;
    return isVirtualMachineDisk(device) ? StorageKind::Virtual : StorageKind::Rotational;
}

StorageKind storageAt(const std::string &sysfsRoot, const std::filesystem::path &link)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error)
        return StorageKind::Unknown;
    const fs::path device = fs::canonical(root / link, error);
    if (error)
        return StorageKind::Unknown;
    return deviceStorage(device, 0);
}

int driveTypeOf(const MountCandidate &candidate, const std::string &sysfsRoot)
{
    switch (candidate.kind) {
    case MountKind::Optical:
        return kDriveCdRom;
    case MountKind::Ram:
        return kDriveRamDisk;
    case MountKind::Network:
        return kDriveRemote;
    case MountKind::Disk:
    case MountKind::Other:
        break;
    }
    if (candidate.major != 0 && isRemovableDevice(sysfsRoot, candidate.major, candidate.minor))
        return kDriveRemovable;
    return kDriveFixed;
}

std::string currentDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr)
            return buffer.data();
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

StorageKind blockDeviceStorage(const std::string &sysfsRoot, unsigned major, unsigned minor)
{
    if (major == 0)
        return StorageKind::Unknown;
    return storageAt(sysfsRoot, std::filesystem::path("dev") / "block" /
                                    (std::to_string(major) + ':' + std::to_string(minor)));
}

StorageKind namedBlockDeviceStorage(const std::string &sysfsRoot, const std::string &name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return StorageKind::Unknown;
    return storageAt(sysfsRoot, std::filesystem::path("class") / "block" / name);
}

StorageKind mountStorage(const MountCandidate &mount, const std::string &sysfsRoot)
{
    switch (mount.kind) {
    case MountKind::Network:
        return StorageKind::Network;
    case MountKind::Ram:
        return StorageKind::Memory;
    case MountKind::Disk:
    case MountKind::Optical:
    case MountKind::Other:
        break;
    }
    if (mount.major != 0)
        return blockDeviceStorage(sysfsRoot, mount.major, mount.minor);
    // btrfs and some others report a device number of their own; the source
    // names the device (/dev/mapper/... links to /dev/dm-N).
    if (!mount.source.starts_with("/dev/"))
        return StorageKind::Unknown;
    std::error_code error;
    std::filesystem::path device = std::filesystem::canonical(mount.source, error);
    if (error)
        device = mount.source;
    return namedBlockDeviceStorage(sysfsRoot, device.filename().string());
}

std::string decodeMountInfoField(std::string_view field)
{
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                        (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<MountCandidate> parseMountInfo(std::string_view text)
{
    std::vector<RawMount> mounts;
    for (std::string_view line : splitOn(text, '\n')) {
        RawMount mount;
        if (parseLine(line, mount))
            mounts.push_back(std::move(mount));
    }

    // A mount made on top of another at the same place hides it.
    // Hosts with many containers list thousands of mounts, so look parents up by id.
    std::unordered_map<unsigned, const RawMount *> byId;
    for (const RawMount &mount : mounts)
        byId.emplace(mount.id, &mount);
    std::unordered_set<unsigned> hidden;
    for (const RawMount &upper : mounts) {
        const auto lower = byId.find(upper.parent);
        if (lower != byId.end() && lower->second != &upper &&
            lower->second->mountPoint == upper.mountPoint)
            hidden.insert(lower->second->id);
    }

    std::vector<std::pair<const RawMount *, MountKind>> chosen;
    const RawMount *rootMount = nullptr;
    for (const RawMount &mount : mounts) {
        if (hidden.contains(mount.id))
            continue;
        if (mount.mountPoint == "/") {
            // The root is c: whatever it is, an overlay in a container included.
            rootMount = &mount;
            continue;
        }
        const std::optional<MountKind> kind = classify(mount);
        if (!kind)
            continue;
        if (mount.root != "/" && !isBtrfsSubvolume(mount))
            continue;
        if (*kind == MountKind::Ram && isSystemPlace(mount.mountPoint))
            continue;
        chosen.emplace_back(&mount, *kind);
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const auto &a, const auto &b) {
        return a.first->mountPoint < b.first->mountPoint;
    });
    if (rootMount != nullptr)
        chosen.insert(chosen.begin(), {rootMount, classify(*rootMount).value_or(MountKind::Other)});

    std::vector<MountCandidate> candidates;
    std::unordered_set<std::string> devicesListed;
    for (const auto &[mount, kind] : chosen) {
        if (!devicesListed.insert(deviceKey(*mount)).second)
            continue;
        candidates.push_back({mount->major, mount->minor, mount->mountPoint, mount->fileSystem,
                              mount->source, kind});
    }
    return candidates;
}

char driveLetterOfPath(const std::vector<Volume> &volumes, std::string_view path)
{
    char letter = 0;
    std::size_t longest = 0;
    for (const Volume &volume : volumes) {
        const bool holds = volume.root == "/" ? path.starts_with('/') : isUnder(path, volume.root);
        if (holds && (letter == 0 || volume.root.size() > longest)) {
            letter = volume.letter;
            longest = volume.root.size();
        }
    }
    return letter;
}

PosixVolumes::PosixVolumes() : m_readsMachine(true), m_sysfsRoot("/sys")
{
    refresh();
}

PosixVolumes::PosixVolumes(std::string mountInfo, std::string sysfsRoot)
    : m_mountInfo(std::move(mountInfo)), m_sysfsRoot(std::move(sysfsRoot))
{
    build(m_mountInfo);
}

void PosixVolumes::refresh()
{
    if (m_readsMachine)
        build(readWholeFile("/proc/self/mountinfo"));
    else
        build(m_mountInfo);
}

void PosixVolumes::build(std::string_view mountInfo)
{
    std::vector<MountCandidate> candidates = parseMountInfo(mountInfo);
    // c: is the root even when the mount table cannot be read.
    if (candidates.empty() || candidates.front().mountPoint != "/")
        candidates.insert(candidates.begin(), MountCandidate{0, 0, "/", "", "", MountKind::Other});
    if (candidates.size() > kMaxDrives)
        candidates.resize(kMaxDrives);
    m_volumes.clear();
    char letter = kFirstLetter;
    for (const MountCandidate &candidate : candidates) {
        Volume volume;
        volume.letter = letter++;
        volume.type = driveTypeOf(candidate, m_sysfsRoot);
        volume.root = candidate.mountPoint;
        volume.label = candidate.mountPoint;
        volume.fileSystem = candidate.fileSystem;
        if (candidate.kind == MountKind::Network)
            volume.networkName = candidate.source;
        m_volumes.push_back(std::move(volume));
    }
    m_mounts = std::move(candidates);
    const std::lock_guard lock(m_storageMutex);
    m_storage.assign(m_mounts.size(), std::nullopt);
}

std::vector<Volume> PosixVolumes::list() const
{
    return m_volumes;
}

std::optional<Volume> PosixVolumes::find(char letter) const
{
    for (const Volume &volume : m_volumes)
        if (volume.letter == letter)
            return volume;
    return std::nullopt;
}

namespace {

// What the file system at the drive's root answers; nothing for a letter no
// drive has.
std::optional<FileSystemFigures> figuresOf(const PosixVolumes &volumes, char letter)
{
    const std::optional<Volume> volume = volumes.find(letter);
    return volume ? fileSystemFigures(volume->root) : std::nullopt;
}

} // namespace

bool PosixVolumes::ready(char letter) const
{
    return figuresOf(*this, letter).has_value();
}

DiskSpace PosixVolumes::space(char letter) const
{
    const std::optional<FileSystemFigures> figures = figuresOf(*this, letter);
    return figures ? figures->space : DiskSpace{};
}

std::int64_t PosixVolumes::allocationUnit(char letter) const
{
    const std::optional<FileSystemFigures> figures = figuresOf(*this, letter);
    return figures ? figures->allocationUnit : 0;
}

StorageKind PosixVolumes::storage(char letter) const
{
    for (std::size_t i = 0; i < m_volumes.size(); ++i) {
        if (m_volumes[i].letter != letter)
            continue;
        const std::lock_guard lock(m_storageMutex);
        if (!m_storage[i])
            m_storage[i] = mountStorage(m_mounts[i], m_sysfsRoot);
        return *m_storage[i];
    }
    return StorageKind::Unknown;
}

int PosixVolumes::walkThreads(char letter) const
{
    return walkThreadsFor(storage(letter), std::thread::hardware_concurrency());
}

char PosixVolumes::currentDriveLetter() const
{
    const std::string directory = currentDirectory();
    return directory.empty() ? 0 : driveLetterOfPath(m_volumes, directory);
}

} // namespace vorin
