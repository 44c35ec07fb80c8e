#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <map>
#include <thread>
#include <utility>

namespace vorin {

// An in-memory drive table for tests: each letter stands for a directory
// (usually a temporary one) with the type, label, sizes, allocation unit,
// readiness and storage the test chose, on a machine of as many cores as the
// test says (this machine's unless told). Nothing is asked of the file system. Letters a and
// b may be added to check that the drive list leaves them out.
class FakeVolumes final : public Volumes
{
public:
    struct Drive
    {
        Volume volume;
        DiskSpace space;
        std::int64_t allocationUnit = 0;
        bool ready = true;
        StorageKind storage = StorageKind::Unknown;
        char spaceOwner = 0; // 0: the drive itself
    };

    // Adds or replaces the drive of volume.letter (taken in lower case).
    FakeVolumes &add(Volume volume, DiskSpace space = {}, std::int64_t allocationUnit = 0,
                     bool ready = true)
    {
        if (volume.letter >= 'A' && volume.letter <= 'Z')
            volume.letter = char(volume.letter - 'A' + 'a');
        const char letter = volume.letter;
        m_drives[letter] = Drive{std::move(volume), space, allocationUnit, ready};
        return *this;
    }
    void remove(char letter) { m_drives.erase(letter); }
    void setReady(char letter, bool ready) { m_drives.at(letter).ready = ready; }
    void setCurrentDrive(char letter) { m_current = letter; }
    void setStorage(char letter, StorageKind storage) { m_drives.at(letter).storage = storage; }
    void setCores(unsigned cores) { m_cores = cores; }
    // The drive stands for a folder on the owner's file system.
    void setSpaceOwner(char letter, char owner) { m_drives.at(letter).spaceOwner = owner; }

    [[nodiscard]] std::vector<Volume> list() const override
    {
        std::vector<Volume> volumes;
        for (const auto &[letter, drive] : m_drives)
            volumes.push_back(drive.volume);
        return volumes;
    }
    [[nodiscard]] std::optional<Volume> find(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return it == m_drives.end() ? std::nullopt : std::optional<Volume>(it->second.volume);
    }
    [[nodiscard]] bool ready(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return it != m_drives.end() && it->second.ready;
    }
    // A drive that is not ready answers nothing, as a real one would.
    [[nodiscard]] DiskSpace space(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return it != m_drives.end() && it->second.ready ? it->second.space : DiskSpace{};
    }
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return it != m_drives.end() && it->second.ready ? it->second.allocationUnit : 0;
    }
    [[nodiscard]] char currentDriveLetter() const override { return m_current; }
    // A letter no drive has knows nothing of its storage.
    [[nodiscard]] int walkThreads(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return walkThreadsFor(it != m_drives.end() ? it->second.storage : StorageKind::Unknown,
                              m_cores);
    }

    [[nodiscard]] char spaceOwner(char letter) const override
    {
        const auto it = m_drives.find(letter);
        return it != m_drives.end() && it->second.spaceOwner != 0 ? it->second.spaceOwner : letter;
    }

private:
    std::map<char, Drive> m_drives;
    char m_current = 0;
    unsigned m_cores = std::thread::hardware_concurrency();
};

} // namespace vorin
