#include "platform/FolderVolumes.h"

#include "platform/fake/FakeVolumes.h"
#include "platform/FileSystem.h"
#include "support/Utility.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace vorin;

namespace {

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

// A fresh directory in the system's temporary folder, removed with everything
// in it at the end of the test.
class Scratch
{
public:
    Scratch()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate =
                fs::temp_directory_path() / ("vorin-folders-" + std::to_string(random()));
            if (fs::create_directory(candidate)) {
                // The real path, as the folders are labelled with theirs.
                m_path = fs::canonical(candidate);
                return;
            }
        }
        throw std::runtime_error("no scratch directory");
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;

    [[nodiscard]] const fs::path &path() const { return m_path; }
    [[nodiscard]] fs::path operator/(const fs::path &relative) const { return m_path / relative; }

private:
    fs::path m_path;
};

// Works in another current directory until the end of the scope.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const fs::path &directory) : m_old(fs::current_path())
    {
        fs::current_path(directory);
    }
    ~CurrentDirectory() { fs::current_path(m_old); }
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;

private:
    fs::path m_old;
};

Volume drive(char letter, int type, const fs::path &root, std::string fileSystem = "ext4")
{
    Volume v;
    v.letter = letter;
    v.type = type;
    v.root = root.string();
    v.label = root.string();
    v.fileSystem = std::move(fileSystem);
    return v;
}

std::string real(const fs::path &path)
{
    return fs::canonical(path).string();
}

std::vector<char> letters(const std::vector<Volume> &volumes)
{
    std::vector<char> result;
    for (const Volume &volume : volumes)
        result.push_back(volume.letter);
    return result;
}

// A machine of two drives over a scratch directory: c: holds the scratch
// directory itself (a removable disk, to see that the type is passed on), d:
// a part of it mounted by itself (a network share). The folders to add live in
// both.
class FolderVolumesTest : public ::testing::Test
{
protected:
    FolderVolumesTest()
    {
        fs::create_directories(scratch / "home" / "ann" / "Music");
        fs::create_directories(scratch / "share" / "photos");
        fs::create_directories(scratch / "Pictures");
        machine->add(drive('c', kDriveRemovable, scratch.path(), "vfat"), {10 * kGiB, 40 * kGiB},
                     4096);
        machine->add(drive('d', kDriveRemote, scratch / "share", "nfs4"), {1 * kGiB, 2 * kGiB},
                     65536);
        machine->setCurrentDrive('c');
    }

    Scratch scratch;
    std::shared_ptr<FakeVolumes> machine = std::make_shared<FakeVolumes>();
    FolderVolumes volumes{machine};
};

TEST_F(FolderVolumesTest, foldersBecomeTheNextDrivesAfterTheMachinesLabelledWithTheirPaths)
{
    const std::vector<FolderOutcome> outcomes = volumes.addFolders(
        {(scratch / "home" / "ann" / "Music").string(), (scratch / "share" / "photos").string()});

    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].letter, 'e');
    EXPECT_EQ(outcomes[1].letter, 'f');
    EXPECT_FALSE(outcomes[0].refusal);
    EXPECT_FALSE(outcomes[1].refusal);
    EXPECT_EQ(folderDriveLetters(outcomes), (std::vector<char>{'e', 'f'}));
    EXPECT_EQ(folderRefusalText(outcomes), "");

    const std::vector<Volume> list = volumes.list();
    EXPECT_EQ(letters(list), (std::vector<char>{'c', 'd', 'e', 'f'}));
    const std::optional<Volume> music = volumes.find('e');
    ASSERT_TRUE(music);
    EXPECT_EQ(music->root, real(scratch / "home" / "ann" / "Music"));
    EXPECT_EQ(music->label, music->root);
    EXPECT_TRUE(music->folder);
    EXPECT_FALSE(volumes.find('c')->folder);
}

TEST_F(FolderVolumesTest, aFolderIsOfTheTypeOfTheDeepestDriveHoldingItAndAnswersItsSpace)
{
    (void)volumes.addFolders(
        {(scratch / "home" / "ann" / "Music").string(), (scratch / "share" / "photos").string()});

    const Volume music = *volumes.find('e');
    EXPECT_EQ(music.type, kDriveRemovable);
    EXPECT_EQ(music.fileSystem, "vfat");
    EXPECT_TRUE(volumes.ready('e'));
    EXPECT_EQ(volumes.space('e').freeBytes, 10 * kGiB);
    EXPECT_EQ(volumes.space('e').totalBytes, 40 * kGiB);
    EXPECT_EQ(volumes.allocationUnit('e'), 4096);

    const Volume photos = *volumes.find('f');
    EXPECT_EQ(photos.type, kDriveRemote);
    EXPECT_EQ(photos.fileSystem, "nfs4");
    EXPECT_EQ(volumes.space('f').totalBytes, 2 * kGiB);
    EXPECT_EQ(volumes.allocationUnit('f'), 65536);

    // The machine's own drives answer as before.
    EXPECT_EQ(volumes.space('c').totalBytes, 40 * kGiB);
    EXPECT_EQ(volumes.currentDriveLetter(), 'c');
}

// Totals count a file system once: each folder names the drive whose space it
// answers, and folders on no drive of the machine the first of them.
TEST_F(FolderVolumesTest, aFolderSharesTheSpaceOfTheDriveOrFolderWhoseFileSystemHoldsIt)
{
    (void)volumes.addFolders({(scratch / "home" / "ann" / "Music").string(),
                              (scratch / "share" / "photos").string(),
                              (scratch / "Pictures").string()});
    const std::vector<std::pair<char, char>> owners = {
        {'c', 'c'}, {'d', 'd'}, {'e', 'c'}, {'f', 'd'}, {'g', 'c'}};
    for (const auto &[letter, owner] : owners)
        EXPECT_EQ(volumes.spaceOwner(letter), owner) << letter;

    auto elsewhere = std::make_shared<FakeVolumes>();
    elsewhere->add(drive('c', kDriveRemote, scratch / "share"), {1, 2}, 512);
    FolderVolumes folders(elsewhere);
    (void)folders.addFolders({(scratch / "Pictures").string(), (scratch / "home").string()});
    EXPECT_EQ(folders.spaceOwner('d'), 'd');
    EXPECT_EQ(folders.spaceOwner('e'), 'd');
}

TEST_F(FolderVolumesTest, aFolderIsWalkedWithTheThreadsOfTheDriveHoldingIt)
{
    machine->setCores(2);
    machine->setStorage('c', StorageKind::Rotational);
    machine->setStorage('d', StorageKind::Network);
    (void)volumes.addFolders(
        {(scratch / "home" / "ann" / "Music").string(), (scratch / "share" / "photos").string()});

    EXPECT_EQ(volumes.walkThreads('e'), machine->walkThreads('c'));
    EXPECT_EQ(volumes.walkThreads('f'), machine->walkThreads('d'));
    EXPECT_NE(volumes.walkThreads('e'), volumes.walkThreads('f'));
    EXPECT_EQ(volumes.walkThreads('d'), machine->walkThreads('d'));
}

TEST_F(FolderVolumesTest, aFolderIsReadyWhileItsDriveIsAndItIsStillThere)
{
    (void)volumes.addFolder((scratch / "Pictures").string());
    ASSERT_TRUE(volumes.ready('e'));

    machine->setReady('c', false);
    EXPECT_FALSE(volumes.ready('e'));
    EXPECT_EQ(volumes.space('e').totalBytes, 0.0);
    EXPECT_EQ(volumes.allocationUnit('e'), 0);

    machine->setReady('c', true);
    fs::remove(scratch / "Pictures");
    EXPECT_FALSE(volumes.ready('e'));
    EXPECT_EQ(volumes.space('e').totalBytes, 0.0);
    EXPECT_EQ(volumes.allocationUnit('e'), 0);
    // The drive stays listed, as a drive whose disc was taken out.
    EXPECT_TRUE(volumes.find('e'));
}

TEST_F(FolderVolumesTest, theSameFolderNamedAgainInAnyWayIsOneDrive)
{
    const fs::path music = scratch / "home" / "ann" / "Music";
    const CurrentDirectory home(scratch / "home");

    const std::vector<FolderOutcome> outcomes = volumes.addFolders(
        {music.string(), music.string() + "/", (scratch / "home" / "ann" / "." / "Music").string(),
         (scratch / "home" / "ann" / ".." / "ann" / "Music").string(), "ann/Music",
         "../home/ann/Music"});

    for (const FolderOutcome &outcome : outcomes) {
        EXPECT_EQ(outcome.letter, 'e') << outcome.folder;
        EXPECT_FALSE(outcome.refusal) << outcome.folder;
    }
    EXPECT_EQ(letters(volumes.list()), (std::vector<char>{'c', 'd', 'e'}));
    EXPECT_EQ(folderDriveLetters(outcomes), std::vector<char>{'e'});
    EXPECT_EQ(volumes.find('e')->label, real(music));
}

TEST_F(FolderVolumesTest, theRootOfADriveOfTheMachineStandsForThatDrive)
{
    const std::vector<FolderOutcome> outcomes =
        volumes.addFolders({(scratch / "share").string(), (scratch / "Pictures").string()});

    EXPECT_EQ(outcomes[0].letter, 'd');
    EXPECT_FALSE(outcomes[0].refusal);
    EXPECT_EQ(outcomes[1].letter, 'e');
    EXPECT_EQ(letters(volumes.list()), (std::vector<char>{'c', 'd', 'e'}));
    EXPECT_EQ(folderDriveLetters(outcomes), (std::vector<char>{'d', 'e'}));
}

TEST_F(FolderVolumesTest, lettersRunOutAtZAndTheRestIsLeftOutWithAMessage)
{
    // c: to x: taken, so y: and z: are left.
    for (char letter = 'e'; letter <= 'x'; ++letter)
        machine->add(drive(letter, kDriveFixed, scratch / "home"));
    std::vector<std::string> folders;
    for (const char *name : {"one", "two", "three", "four"}) {
        fs::create_directory(scratch / "Pictures" / name);
        folders.push_back((scratch / "Pictures" / name).string());
    }

    const std::vector<FolderOutcome> outcomes = volumes.addFolders(folders);

    EXPECT_EQ(outcomes[0].letter, 'y');
    EXPECT_EQ(outcomes[1].letter, 'z');
    for (std::size_t i : {2u, 3u}) {
        EXPECT_EQ(outcomes[i].letter, 0);
        EXPECT_EQ(outcomes[i].refusal, FolderRefusal::NoLetterLeft);
    }
    EXPECT_EQ(volumes.list().size(), 24u);
    EXPECT_EQ(folderDriveLetters(outcomes), (std::vector<char>{'y', 'z'}));
    EXPECT_EQ(folderRefusalText(outcomes),
              "No drive letter is left for the folder \"" + folders[2] +
                  "\"; it is left out.\nNo drive letter is left for the folder \"" + folders[3] +
                  "\"; it is left out.");
}

TEST_F(FolderVolumesTest, theLettersStartAfterTheLastDriveOfTheMachine)
{
    machine->add(drive('k', kDriveFixed, scratch / "home"));
    EXPECT_EQ(volumes.addFolder((scratch / "Pictures").string()).letter, 'l');
}

TEST_F(FolderVolumesTest, withZTakenTheLowestFreeLettersFollow)
{
    // A network drive on z: (on Windows they are given from z: down), and a
    // floppy that takes no letter from c: on.
    machine->add(drive('z', kDriveRemote, scratch / "home"));
    machine->add(drive('a', kDriveRemovable, scratch / "home"));
    machine->add(drive('f', kDriveFixed, scratch / "home"));
    fs::create_directory(scratch / "Pictures" / "one");

    const std::vector<FolderOutcome> outcomes = volumes.addFolders(
        {(scratch / "Pictures").string(), (scratch / "Pictures" / "one").string(),
         (scratch / "home" / "ann").string()});

    EXPECT_EQ(folderDriveLetters(outcomes), (std::vector<char>{'e', 'g', 'h'}));
    EXPECT_EQ(letters(volumes.list()), (std::vector<char>{'a', 'c', 'd', 'f', 'z', 'e', 'g', 'h'}));
}

TEST_F(FolderVolumesTest, withoutAnyDriveTheFirstFolderIsC)
{
    FolderVolumes bare(std::make_shared<FakeVolumes>());
    EXPECT_EQ(bare.addFolder((scratch / "Pictures").string()).letter, 'c');
}

TEST_F(FolderVolumesTest, whatIsNoFolderIsLeftOutAndSaidSo)
{
    {
        std::ofstream file(scratch / "notes.txt");
        file << "x";
    }
    const std::string missing = (scratch / "Musik").string();
    const std::string file = (scratch / "notes.txt").string();
    const std::string belowFile = (scratch / "notes.txt" / "sub").string();

    const std::vector<FolderOutcome> outcomes =
        volumes.addFolders({missing, file, "", belowFile, (scratch / "Pictures").string()});

    EXPECT_EQ(outcomes[0].refusal, FolderRefusal::Missing);
    EXPECT_EQ(outcomes[1].refusal, FolderRefusal::NotAFolder);
    EXPECT_EQ(outcomes[2].refusal, FolderRefusal::Missing);
    EXPECT_EQ(outcomes[3].refusal, FolderRefusal::Missing);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(outcomes[i].letter, 0);
    // The folder after them still gets the first free letter.
    EXPECT_EQ(outcomes[4].letter, 'e');
    EXPECT_EQ(letters(volumes.list()), (std::vector<char>{'c', 'd', 'e'}));
    EXPECT_EQ(folderRefusalText(outcomes),
              "The folder \"" + missing + "\" does not exist; it is left out.\n\"" + file +
                  "\" is not a folder; it is left out.\nThe folder \"\" does not exist; it is "
                  "left out.\nThe folder \"" +
                  belowFile + "\" does not exist; it is left out.");
    const std::string text =
        folderRefusalText({FolderOutcome{"/srv/private", 0, FolderRefusal::Unreadable},
                           FolderOutcome{"/srv", 'e', {}}});
    EXPECT_EQ(text, "The folder \"/srv/private\" cannot be read; it is left out.");
}

TEST_F(FolderVolumesTest, aFolderOnNoDriveOfTheMachineAnswersItsOwnFileSystem)
{
    // d: does not hold the scratch directory, and no other drive does.
    auto elsewhere = std::make_shared<FakeVolumes>();
    elsewhere->add(drive('c', kDriveRemote, scratch / "share"), {1, 2}, 512);
    FolderVolumes folders(elsewhere);

    ASSERT_EQ(folders.addFolder((scratch / "Pictures").string()).letter, 'd');

    const std::optional<FileSystemFigures> figures =
        fileSystemFigures((scratch / "Pictures").string());
    ASSERT_TRUE(figures);
    ASSERT_GT(figures->space.totalBytes, 2.0);
    const Volume pictures = *folders.find('d');
    EXPECT_EQ(pictures.type, kDriveFixed);
    EXPECT_EQ(pictures.fileSystem, "");
    EXPECT_TRUE(folders.ready('d'));
    EXPECT_EQ(folders.space('d').totalBytes, figures->space.totalBytes);
    EXPECT_EQ(folders.allocationUnit('d'), figures->allocationUnit);
    EXPECT_GT(folders.allocationUnit('d'), 0);
}

} // namespace
