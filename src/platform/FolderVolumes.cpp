#include "platform/FolderVolumes.h"

#include "platform/FileSystem.h"
#include "support/Utility.h"

#include <algorithm>
#include <array>

namespace vorin {
namespace {

constexpr char kFirstLetter = 'c';
constexpr char kLastLetter = 'z';

FolderRefusal refusalOf(FolderProblem problem)
{
    switch (problem) {
    case FolderProblem::NotAFolder:
        return FolderRefusal::NotAFolder;
    case FolderProblem::Unreadable:
        return FolderRefusal::Unreadable;
    case FolderProblem::Missing:
        break;
    }
    return FolderRefusal::Missing;
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
    const FolderLookup found = lookUpFolder(path);
    if (found.problem) {
        outcome.refusal = refusalOf(*found.problem);
        return outcome;
    }
    const std::string &real = found.realPath;

    const std::vector<Volume> machine = m_machine->list();
    for (const Volume &volume : machine) {
        if (volume.root == real) {
            outcome.letter = volume.letter;
            return outcome;
        }
    }
    for (const Folder &folder : m_folders) {
        if (folder.volume.root == real) {
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
    folder.volume.root = real;
    folder.volume.label = real;
    folder.volume.folder = true;
    // The drive whose root leads to the folder holds it, unless another file
    // system is mounted on the way that got no drive of its own.
    const char holder = driveLetterHolding(machine, real);
    if (const std::optional<Volume> drive = holder != 0 ? m_machine->find(holder) : std::nullopt) {
        if (onOneFileSystem(drive->root, real)) {
            folder.holder = holder;
            folder.volume.type = drive->type;
            folder.volume.fileSystem = drive->fileSystem;
        }
    }
    folder.spaceOwner = folder.holder != 0 ? folder.holder : letter;
    for (const Folder &earlier : m_folders) {
        if (folder.holder == 0 && earlier.holder == 0 &&
            onOneFileSystem(earlier.volume.root, real)) {
            folder.spaceOwner = earlier.spaceOwner;
            break;
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
    std::array<bool, 26> taken{};
    char last = kFirstLetter - 1;
    const auto take = [&](char letter) {
        letter = asciiLower(letter);
        if (letter < 'a' || letter > 'z')
            return;
        taken[std::size_t(letter - 'a')] = true;
        last = std::max(last, letter);
    };
    for (const Volume &volume : m_machine->list())
        take(volume.letter);
    for (const Folder &folder : m_folders)
        take(folder.volume.letter);
    if (last < kLastLetter)
        return char(last + 1);
    // Windows gives network drives the letters from z: down, so the last
    // letter may be taken with free ones before it: the lowest of those.
    for (char letter = kFirstLetter; letter <= kLastLetter; ++letter)
        if (!taken[std::size_t(letter - 'a')])
            return letter;
    return 0;
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
    return fileSystemFigures(folder->volume.root).has_value();
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
    const std::optional<FileSystemFigures> figures = fileSystemFigures(folder->volume.root);
    return figures ? figures->space : DiskSpace{};
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
    const std::optional<FileSystemFigures> figures = fileSystemFigures(folder->volume.root);
    return figures ? figures->allocationUnit : 0;
}

int FolderVolumes::walkThreads(char letter) const
{
    const Folder *folder = folderOf(letter);
    if (folder == nullptr)
        return m_machine->walkThreads(letter);
    return folder->holder != 0 ? m_machine->walkThreads(folder->holder)
                               : Volumes::walkThreads(letter);
}

char FolderVolumes::spaceOwner(char letter) const
{
    const Folder *folder = folderOf(letter);
    return folder != nullptr ? folder->spaceOwner : m_machine->spaceOwner(letter);
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
