#pragma once

#include "platform/Volumes.h"

namespace vorin {

// The drive letters of this Windows machine: GetLogicalDrives for which there
// are, GetDriveTypeW for their type, GetVolumeInformationW for label and file
// system, WNetGetConnectionW for where a network drive is connected. Space
// and cluster size are asked of the drive on every call. Making one sets the
// process's error mode to SEM_FAILCRITICALERRORS, so an empty floppy or disc
// drive answers "not ready" instead of bringing up a system box. A network
// drive is never asked for its label (its server may be gone); the
// time-limited drives guard the questions that must reach it. Safe to use
// from several threads at once.
class Win32Volumes final : public Volumes
{
public:
    Win32Volumes();

    [[nodiscard]] std::vector<Volume> list() const override;
    [[nodiscard]] std::optional<Volume> find(char letter) const override;
    [[nodiscard]] bool ready(char letter) const override;
    [[nodiscard]] DiskSpace space(char letter) const override;
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override;
    [[nodiscard]] char currentDriveLetter() const override;
};

} // namespace vorin
