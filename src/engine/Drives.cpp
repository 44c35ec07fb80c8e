#include "engine/Drives.h"

#include "support/Utility.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace vorin {
namespace {

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

bool isDriveLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isFloppyLetter(char c)
{
    const char upper = asciiUpper(c);
    return upper == 'A' || upper == 'B';
}

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string trimmed(std::string_view s)
{
    while (!s.empty() && isBlankOrControl(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlankOrControl(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// The entry as a drive is first listed, before drives A and B are dropped and
// empty labels are replaced. Labels keep their case: they are paths, and two
// paths differing only in case are different places. Network names are
// lower-cased, as they always were. No entry for drive types the program
// cannot scan.
std::optional<std::string> listedEntry(const Volume &volume)
{
    const std::string prefix = std::string(1, asciiLower(volume.letter)) + ':';
    // A folder is known by its path alone; a removable or remote drive's
    // usual entry would not say which folder of it this is.
    if (volume.folder)
        return prefix + " [" + volume.label + ']';
    switch (volume.type) {
    case kDriveRemovable:
        return prefix;
    case kDriveRemote:
        if (!volume.networkName.empty())
            return prefix + ' ' + asciiLower(volume.networkName);
        [[fallthrough]];
    case kDriveFixed:
    case kDriveCdRom:
    case kDriveRamDisk:
        return prefix + " [" + volume.label + ']';
    default:
        return std::nullopt;
    }
}

// Only the brackets of an empty label are replaced by the drive's type text;
// a mount point that itself holds "[]" is shown as it is.
bool hasEmptyLabel(const Volume &volume, std::string_view entry)
{
    return !volume.folder && volume.label.empty() && entry.ends_with("[]");
}

} // namespace

std::vector<std::string> makeDriveEntries(const Volumes &volumes)
{
    return makeDriveEntries(volumes, UnlabelledCdRoms::Listed);
}

std::vector<std::string> makeDriveEntries(const Volumes &volumes, UnlabelledCdRoms cdRoms)
{
    std::vector<std::string> entries;
    for (const Volume &volume : volumes.list()) {
        std::optional<std::string> entry = listedEntry(volume);
        if (!entry || isFloppyLetter(entry->front()))
            continue;
        if (hasEmptyLabel(volume, *entry)) {
            if (volume.type == kDriveCdRom && cdRoms == UnlabelledCdRoms::LeftOut)
                continue;
            std::string rest = *entry;
            rest.erase(rest.find("[]"), 2);
            entry = trimmed(rest) + ' ' + driveTypeLabel(volume.type);
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

char driveLetterOf(std::string_view entry)
{
    if (entry.empty() || !isDriveLetter(entry.front()))
        throw InvalidDriveError();
    return asciiLower(entry.front());
}

std::vector<bool> defaultDriveSelection(const std::vector<std::string> &entries,
                                        const Volumes &volumes)
{
    // The current drive's entry is looked for as it was first listed, before
    // an empty label was replaced: a current drive without label then matches
    // nothing, and the user starts with every drive chosen, as the program
    // always did.
    std::optional<std::string> current;
    if (const char letter = volumes.currentDriveLetter(); letter != 0)
        if (const std::optional<Volume> volume = volumes.find(letter))
            current = listedEntry(*volume);

    std::vector<bool> selected(entries.size(), false);
    if (current) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (equalsIgnoringAsciiCase(entries[i], *current)) {
                selected[i] = true;
                return selected;
            }
        }
    }
    selected.assign(entries.size(), true);
    return selected;
}

std::vector<bool> namedDriveSelection(const std::vector<std::string> &entries,
                                      const Volumes &volumes, const std::vector<char> &named)
{
    std::vector<bool> selected(entries.size(), false);
    bool any = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const char letter = asciiLower(entries[i].front());
        if (std::find(named.begin(), named.end(), letter) != named.end()) {
            selected[i] = true;
            any = true;
        }
    }
    return any ? selected : defaultDriveSelection(entries, volumes);
}

bool driveReady(const Volumes &volumes, char letter)
{
    if (!isDriveLetter(letter))
        throw InvalidDriveError();
    return volumes.ready(asciiLower(letter));
}

DiskSpace getDiskSpace(const Volumes &volumes, char letter)
{
    if (!isDriveLetter(letter))
        return {};
    return volumes.space(asciiLower(letter));
}

void SpaceTotal::add(char letter, const DiskSpace &space)
{
    const char owner = m_volumes.spaceOwner(letter);
    if (std::find(m_owners.begin(), m_owners.end(), owner) != m_owners.end())
        return;
    m_owners.push_back(owner);
    m_sum.freeBytes += space.freeBytes;
    m_sum.totalBytes += space.totalBytes;
}

void SpaceTotal::addMeasuredElsewhere(const DiskSpace &space)
{
    const auto same = [&space](const DiskSpace &added) {
        return added.freeBytes == space.freeBytes && added.totalBytes == space.totalBytes;
    };
    if (std::find_if(m_elsewhere.begin(), m_elsewhere.end(), same) != m_elsewhere.end())
        return;
    m_elsewhere.push_back(space);
    m_sum.freeBytes += space.freeBytes;
    m_sum.totalBytes += space.totalBytes;
}

std::int32_t computeClusterSize(const Volumes &volumes, std::string_view entry)
{
    const char letter = driveLetterOf(entry);
    if (!driveReady(volumes, letter))
        return 0;
    // The file system knows its own allocation unit; a 250 GB ext4 volume has
    // 4K blocks, not the 32K a size rule would give it.
    const std::int64_t unit = volumes.allocationUnit(letter);
    if (unit > 0)
        return unit > std::numeric_limits<std::int32_t>::max()
                   ? std::numeric_limits<std::int32_t>::max()
                   : std::int32_t(unit);
    // No answer from the system: the cluster sizes FAT32 formats by default.
    const double total = getDiskSpace(volumes, letter).totalBytes;
    if (total >= 32 * kGiB)
        return 32768;
    if (total > 16 * kGiB)
        return 16384;
    if (total > 8 * kGiB)
        return 8192;
    if (total > 2 * kGiB)
        return 4096;
    return 0;
}

} // namespace vorin
