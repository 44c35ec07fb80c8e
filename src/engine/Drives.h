#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The drive entries of this machine, the texts by which drives are listed and
// handed on: "c: [/]", "d: [/home]", "e:" for a removable drive, "f: //server/share"
// for a remote one, "g: (Fixed disk)" for a drive whose label is empty, and
// "h: [/home/ann/Music]" for a folder given a drive letter of its own. Drives
// A and B are never listed. Shared by the drive wizard and the statistics window.
[[nodiscard]] std::vector<std::string> makeDriveEntries(const Volumes &volumes);

// The statistics window's own drive list leaves out disc drives without a
// label (an empty or unlabelled disc slot has nothing to count); the wizard
// lists them.
enum class UnlabelledCdRoms { Listed, LeftOut };
[[nodiscard]] std::vector<std::string> makeDriveEntries(const Volumes &volumes,
                                                        UnlabelledCdRoms cdRoms);

// The drive letter of an entry (its first character, lower-cased); throws
// InvalidDriveError when it is no letter.
[[nodiscard]] char driveLetterOf(std::string_view entry);

// Which entries are selected by default: the one of the drive that holds the
// current directory, or every entry when none of them is that drive's.
[[nodiscard]] std::vector<bool> defaultDriveSelection(const std::vector<std::string> &entries,
                                                      const Volumes &volumes);

// The selection of a start with drives named on the command line: the entries
// of those drives (letters in lower case); the default selection when none of
// them is listed.
[[nodiscard]] std::vector<bool> namedDriveSelection(const std::vector<std::string> &entries,
                                                    const Volumes &volumes,
                                                    const std::vector<char> &named);

// Accepts a-z and A-Z; anything else throws InvalidDriveError.
[[nodiscard]] bool driveReady(const Volumes &volumes, char letter);
[[nodiscard]] DiskSpace getDiskSpace(const Volumes &volumes, char letter);

// The free and total space of several drives, each file system once: a folder
// given a drive of its own answers the space of the file system that holds
// it, which that file system's drive, or another folder on it, may count too.
class SpaceTotal
{
public:
    explicit SpaceTotal(const Volumes &volumes) : m_volumes(volumes) {}
    // Adds the drive's space unless its file system is counted already.
    void add(char letter, const DiskSpace &space);
    // Adds a drive measured on another machine (a report's), whose letter
    // says nothing of this machine's disks: its space counts unless a drive
    // of the same capacity and free space was added, which is what two
    // entries on one file system, measured together, give.
    void addMeasuredElsewhere(const DiskSpace &space);
    [[nodiscard]] const DiskSpace &sum() const { return m_sum; }

private:
    const Volumes &m_volumes;
    std::vector<char> m_owners;
    std::vector<DiskSpace> m_elsewhere;
    DiskSpace m_sum;
};

// Bytes per cluster of the entry's drive: the allocation unit its file system
// reports; derived from the volume size only when the system gives no answer;
// 0 when the drive is not ready.
[[nodiscard]] std::int32_t computeClusterSize(const Volumes &volumes, std::string_view entry);

} // namespace vorin
