#include "platform/posix/FolderVolumes.h"

#include "platform/posix/PosixVolumes.h"
#include "support/Utility.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vorin {
namespace {

constexpr char kFirstLetter = 'c';
constexpr char kLastLetter = 'z';

bool statOf(const std::string &path, struct stat &info)
{
    int result = 0;
    do
        result = ::stat(path.c_str(), &info);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool isDirectory(const std::string &path)
{
    struct stat info
    {
    };
    return statOf(path, info) && S_ISDIR(info.st_mode);
}

bool fileSystemOf(const std::string &path, struct statvfs &info)
{
    int result = 0;
    do
        result = ::statvfs(path.c_str(), &info);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// The absolute path with every symbolic link, "." and ".." resolved, or why
// there is none.
std::optional<std::string> realPath(const std::string &path, FolderRefusal &refusal)
{
    char *resolved = path.empty() ? nullptr : ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        // A directory on the way that may not be searched hides the folder
        // from this user; anything else means there is no such folder.
        refusal = errno == EACCES ? FolderRefusal::Unreadable : FolderRefusal::Missing;
        return std::nullopt;
    }
    std::string real = resolved;
    std::free(resolved);
    return real;
}

std::string quoted(const std::string &path)
{
    return '"' + path + '"';
}

} // namespace

FolderVolumes::FolderVolumes(std::shared_ptr<const Volumes> machine) : m_machine(std::move(machine))
{}

FolderOutcome FolderVolumes::addFolder(const std::string &path)
{
    FolderOutcome outcome;
    outcome.folder = path;
    FolderRefusal refusal = FolderRefusal::Missing;
    const std::optional<std::string> real = realPath(path, refusal);
    if (!real) {
        outcome.refusal = refusal;
        return outcome;
    }
    struct stat info
    {
    };
    if (!statOf(*real, info)) {
        outcome.refusal = FolderRefusal::Missing;
        return outcome;
    }
    if (!S_ISDIR(info.st_mode)) {
        outcome.refusal = FolderRefusal::NotAFolder;
        return outcome;
    }
    // The walk lists every directory and enters it.
    if (::access(real->c_str(), R_OK | X_OK) != 0) {
        outcome.refusal = FolderRefusal::Unreadable;
        return outcome;
    }

    const std::vector<Volume> machine = m_machine->list();
    for (const Volume &volume : machine) {
        if (volume.root == *real) {
            outcome.letter = volume.letter;
            return outcome;
        }
    }
    for (const Folder &folder : m_folders) {
        if (folder.volume.root == *real) {
            outcome.letter = folder.volume.letter;
            return outcome;
        }
    }
    const char letter = nextFreeLetter();
    if (letter == 0) {
        outcome.refusal = FolderRefusal::NoLetterLeft;
        return outcome;
    }

    Folder folder;
    folder.volume.letter = letter;
    folder.volume.type = kDriveFixed;
    folder.volume.root = *real;
    folder.volume.label = *real;
    folder.volume.folder = true;
    // The drive whose root leads to the folder holds it, unless another file
    // system is mounted on the way that got no drive of its own.
    const char holder = driveLetterOfPath(machine, *real);
    if (const std::optional<Volume> drive = holder != 0 ? m_machine->find(holder) : std::nullopt) {
        struct stat rootInfo
        {
        };
        if (statOf(drive->root, rootInfo) && rootInfo.st_dev == info.st_dev) {
            folder.holder = holder;
            folder.volume.type = drive->type;
            folder.volume.fileSystem = drive->fileSystem;
        }
    }
    m_folders.push_back(std::move(folder));
    outcome.letter = letter;
    return outcome;
}

std::vector<FolderOutcome> FolderVolumes::addFolders(const std::vector<std::string> &paths)
{
    std::vector<FolderOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const std::string &path : paths)
        outcomes.push_back(addFolder(path));
    return outcomes;
}

char FolderVolumes::nextFreeLetter() const
{
    char last = kFirstLetter - 1;
    for (const Volume &volume : m_machine->list())
        last = std::max(last, asciiLower(volume.letter));
    for (const Folder &folder : m_folders)
        last = std::max(last, folder.volume.letter);
    return last < kLastLetter ? char(last + 1) : char(0);
}

const FolderVolumes::Folder *FolderVolumes::folderOf(char letter) const
{
    for (const Folder &folder : m_folders)
        if (folder.volume.letter == letter)
            return &folder;
    return nullptr;
}

std::vector<Volume> FolderVolumes::list() const
{
    std::vector<Volume> volumes = m_machine->list();
    for (const Folder &folder : m_folders)
        volumes.push_back(folder.volume);
    return volumes;
}

std::optional<Volume> FolderVolumes::find(char letter) const
{
    if (const Folder *folder = folderOf(letter))
        return folder->volume;
    return m_machine->find(letter);
}

bool FolderVolumes::ready(char letter) const
{
    const Folder *folder = folderOf(letter);
    if (folder == nullptr)
        return m_machine->ready(letter);
    // A folder removed since the start is gone like a disc taken out.
    if (!isDirectory(folder->volume.root))
        return false;
    if (folder->holder != 0)
        return m_machine->ready(folder->holder);
    struct statvfs info
    {
    };
    return fileSystemOf(folder->volume.root, info);
}

DiskSpace FolderVolumes::space(char letter) const
{
    const Folder *folder = folderOf(letter);
    if (folder == nullptr)
        return m_machine->space(letter);
    if (!isDirectory(folder->volume.root))
        return {};
    if (folder->holder != 0)
        return m_machine->space(folder->holder);
    struct statvfs info
    {
    };
    if (!fileSystemOf(folder->volume.root, info))
        return {};
    const double unit = double(info.f_frsize != 0 ? info.f_frsize : info.f_bsize);
    return {double(info.f_bfree) * unit, double(info.f_blocks) * unit};
}

std::int64_t FolderVolumes::allocationUnit(char letter) const
{
    const Folder *folder = folderOf(letter);
    if (folder == nullptr)
        return m_machine->allocationUnit(letter);
    if (!isDirectory(folder->volume.root))
        return 0;
    if (folder->holder != 0)
        return m_machine->allocationUnit(folder->holder);
    struct statvfs info
    {
    };
    if (!fileSystemOf(folder->volume.root, info))
        return 0;
    return std::int64_t(info.f_frsize != 0 ? info.f_frsize : info.f_bsize);
}

char FolderVolumes::currentDriveLetter() const
{
    return m_machine->currentDriveLetter();
}

std::vector<char> folderDriveLetters(const std::vector<FolderOutcome> &outcomes)
{
    std::vector<char> letters;
    for (const FolderOutcome &outcome : outcomes)
        if (outcome.letter != 0 &&
            std::find(letters.begin(), letters.end(), outcome.letter) == letters.end())
            letters.push_back(outcome.letter);
    return letters;
}

std::string folderRefusalText(const std::vector<FolderOutcome> &outcomes)
{
    std::string text;
    for (const FolderOutcome &outcome : outcomes) {
        if (!outcome.refusal)
            continue;
        if (!text.empty())
            text += '\n';
        const std::string folder = quoted(outcome.folder);
        switch (*outcome.refusal) {
        case FolderRefusal::Missing:
            text += "The folder " + folder + " does not exist; it is left out.";
            break;
        case FolderRefusal::NotAFolder:
            text += folder + " is not a folder; it is left out.";
            break;
        case FolderRefusal::Unreadable:
            text += "The folder " + folder + " cannot be read; it is left out.";
            break;
        case FolderRefusal::NoLetterLeft:
            text += "No drive letter is left for the folder " + folder + "; it is left out.";
            break;
        }
    }
    return text;
}

} // namespace vorin
