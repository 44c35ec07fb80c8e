#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorin {

// Why a folder got no drive.
enum class FolderRefusal {
    Missing,      // no such path
    NotAFolder,   // a file, a device, ...
    Unreadable,   // its entries cannot be listed, or a directory on its way cannot be searched
    NoLetterLeft, // every letter up to z: is taken
};

// What became of one folder asked for.
struct FolderOutcome
{
    std::string folder; // as the user gave it
    // The drive that stands for it: a new one, or the drive of the machine
    // whose root the folder is; 0 when it was refused.
    char letter = 0;
    std::optional<FolderRefusal> refusal;
};

// The machine's drives with folders added as drives of their own, the way
// Windows substitutes a drive letter for a folder. A folder takes the next
// free letter after the machine's drives and the folders added before it (the
// lowest free one when z: is taken, as on Windows with a network drive there),
// is labelled with its real path (symbolic links and junctions resolved), and
// is of the type of the drive whose file system holds it, answering that
// drive's space and allocation unit. A folder that is the root of a drive of the machine, or
// that was added before, stands for that drive and adds none. The walk of a
// folder drive starts at the folder and stays on its file system.
//
// Folders are added before the object is shared; afterwards it is read only
// and may be asked from several threads, as its machine may. Each query about
// a folder drive asks the machine's drive (or, where no drive of the machine
// holds the folder's file system, that file system itself) and checks that the
// folder is still there; nothing is cached but the table of folders.
class FolderVolumes final : public Volumes
{
public:
    explicit FolderVolumes(std::shared_ptr<const Volumes> machine);

    // Resolves the path (relative to the current directory) and adds it.
    FolderOutcome addFolder(const std::string &path);
    std::vector<FolderOutcome> addFolders(const std::vector<std::string> &paths);

    [[nodiscard]] std::vector<Volume> list() const override;
    [[nodiscard]] std::optional<Volume> find(char letter) const override;
    [[nodiscard]] bool ready(char letter) const override;
    [[nodiscard]] DiskSpace space(char letter) const override;
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override;
    [[nodiscard]] char currentDriveLetter() const override;
    // A folder is walked with the threads that suit the drive holding it.
    [[nodiscard]] int walkThreads(char letter) const override;
    [[nodiscard]] char spaceOwner(char letter) const override;

private:
    struct Folder
    {
        Volume volume;
        // The machine's drive on whose file system the folder lies; 0 when
        // none of them is (a RAM file system under /run, which gets no drive;
        // a share reached by its \\server\share name).
        char holder = 0;
        // The holder, or with none the first folder on the same file system.
        char spaceOwner = 0;
    };
    [[nodiscard]] const Folder *folderOf(char letter) const;
    [[nodiscard]] char nextFreeLetter() const;

    std::shared_ptr<const Volumes> m_machine;
    std::vector<Folder> m_folders;
};

// The drives the folders stand for, each once, in the order given.
[[nodiscard]] std::vector<char> folderDriveLetters(const std::vector<FolderOutcome> &outcomes);

// One line for each folder that was left out, saying why ("The folder
// "/home/ann/Musik" does not exist; it is left out."); empty when none was.
[[nodiscard]] std::string folderRefusalText(const std::vector<FolderOutcome> &outcomes);

} // namespace vorin
