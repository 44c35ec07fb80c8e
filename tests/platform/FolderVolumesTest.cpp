#include "platform/posix/FolderVolumes.h"

#include "platform/fake/FakeVolumes.h"
#include "PlatformTestSupport.h"
#include "support/Utility.h"
#include "WithoutPrivileges.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <vector>

namespace fs = std::filesystem;
using namespace vorin;

namespace {

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

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

    test::ScratchDirectory scratch;
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
    fs::create_directory_symlink(music, scratch / "music link");
    const fs::path relative = fs::relative(music, fs::current_path());
    ASSERT_TRUE(relative.is_relative());

    const std::vector<FolderOutcome> outcomes = volumes.addFolders(
        {music.string(), music.string() + "/", (scratch / "home" / "ann" / "." / "Music").string(),
         (scratch / "home" / "ann" / ".." / "ann" / "Music").string(),
         (scratch / "music link").string(), relative.string()});

    for (const FolderOutcome &outcome : outcomes) {
        EXPECT_EQ(outcome.letter, 'e') << outcome.folder;
        EXPECT_FALSE(outcome.refusal) << outcome.folder;
    }
    EXPECT_EQ(letters(volumes.list()), (std::vector<char>{'c', 'd', 'e'}));
    EXPECT_EQ(folderDriveLetters(outcomes), std::vector<char>{'e'});
    EXPECT_EQ(volumes.find('e')->label, real(music));
}

TEST_F(FolderVolumesTest, aSymbolicLinkIsLabelledWithTheFolderItLeadsTo)
{
    fs::create_directory_symlink(scratch / "share" / "photos", scratch / "Pictures" / "holiday");

    const FolderOutcome outcome = volumes.addFolder((scratch / "Pictures" / "holiday").string());

    ASSERT_EQ(outcome.letter, 'e');
    EXPECT_EQ(volumes.find('e')->label, real(scratch / "share" / "photos"));
    // Where the folder really is decides its drive, not where the link was.
    EXPECT_EQ(volumes.find('e')->type, kDriveRemote);
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
}

TEST_F(FolderVolumesTest, aFolderThatCannotBeReadIsLeftOut)
{
    // nobody must reach the scratch directory; only the folders themselves
    // keep it out.
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0755), 0);
    fs::create_directory(scratch / "no-listing");
    fs::create_directory(scratch / "no-entering");
    fs::create_directories(scratch / "locked" / "inside");
    ASSERT_EQ(::chmod((scratch / "no-listing").c_str(), 0311), 0);
    ASSERT_EQ(::chmod((scratch / "no-entering").c_str(), 0644), 0);
    ASSERT_EQ(::chmod((scratch / "locked").c_str(), 0600), 0);

    struct Refusals
    {
        int noListing = -1;
        int noEntering = -1;
        int behindLocked = -1;
        int readable = -1;
    };
    const auto refusal = [](const FolderOutcome &outcome) {
        return outcome.refusal ? int(*outcome.refusal) : -1;
    };
    const auto run = test::withoutPrivileges([&] {
        FolderVolumes asUser(machine);
        Refusals r;
        r.noListing = refusal(asUser.addFolder((scratch / "no-listing").string()));
        r.noEntering = refusal(asUser.addFolder((scratch / "no-entering").string()));
        r.behindLocked = refusal(asUser.addFolder((scratch / "locked" / "inside").string()));
        r.readable = refusal(asUser.addFolder((scratch / "Pictures").string()));
        return r;
    });
    ::chmod(scratch.path().c_str(), 0700);
    if (run.unavailable)
        GTEST_SKIP() << run.why;
    ASSERT_TRUE(run.result) << run.why;
    EXPECT_EQ(run.result->noListing, int(FolderRefusal::Unreadable));
    EXPECT_EQ(run.result->noEntering, int(FolderRefusal::Unreadable));
    EXPECT_EQ(run.result->behindLocked, int(FolderRefusal::Unreadable));
    EXPECT_EQ(run.result->readable, -1);

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

    struct statvfs info
    {
    };
    ASSERT_EQ(::statvfs((scratch / "Pictures").c_str(), &info), 0);
    const double unit = double(info.f_frsize != 0 ? info.f_frsize : info.f_bsize);
    const Volume pictures = *folders.find('d');
    EXPECT_EQ(pictures.type, kDriveFixed);
    EXPECT_EQ(pictures.fileSystem, "");
    EXPECT_TRUE(folders.ready('d'));
    EXPECT_EQ(folders.space('d').totalBytes, double(info.f_blocks) * unit);
    EXPECT_EQ(folders.allocationUnit('d'), std::int64_t(unit));
}

TEST_F(FolderVolumesTest, aFileSystemMountedOnTheWayWithoutADriveIsNotTheDrivesOwn)
{
    // /proc is a file system of its own below the root on every Linux
    // machine; the remote root drive of this machine does not hold it.
    auto rooted = std::make_shared<FakeVolumes>();
    rooted->add(drive('c', kDriveRemote, "/"), {1 * kGiB, 2 * kGiB}, 512);
    FolderVolumes folders(rooted);
    struct stat root
    {
    };
    struct stat proc
    {
    };
    ASSERT_EQ(::stat("/", &root), 0);
    ASSERT_EQ(::stat("/proc/self", &proc), 0);
    ASSERT_NE(root.st_dev, proc.st_dev) << "/proc is not mounted here";

    ASSERT_EQ(folders.addFolder("/proc/sys").letter, 'd');

    EXPECT_EQ(folders.find('d')->type, kDriveFixed);
    EXPECT_EQ(folders.find('d')->label, "/proc/sys");
    EXPECT_NE(folders.space('d').totalBytes, 2 * kGiB);
    EXPECT_NE(folders.allocationUnit('d'), 512);
}

} // namespace
