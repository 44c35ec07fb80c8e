// Folders as drives where Linux alone can make the case: symbolic links,
// permissions, and file systems mounted below a drive without one of their own.

#include "platform/fake/FakeVolumes.h"
#include "platform/FileSystem.h"
#include "platform/FolderVolumes.h"
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

// The machine of the platform-neutral tests: c: holds the scratch directory
// (a removable disk), d: a part of it mounted by itself (a network share).
class PosixFolderVolumesTest : public ::testing::Test
{
protected:
    PosixFolderVolumesTest()
    {
        fs::create_directories(scratch / "home" / "ann" / "Music");
        fs::create_directories(scratch / "share" / "photos");
        fs::create_directories(scratch / "Pictures");
        machine->add(drive('c', kDriveRemovable, scratch.path(), "vfat"), {10 * kGiB, 40 * kGiB},
                     4096);
        machine->add(drive('d', kDriveRemote, scratch / "share", "nfs4"), {1 * kGiB, 2 * kGiB},
                     65536);
    }

    test::ScratchDirectory scratch;
    std::shared_ptr<FakeVolumes> machine = std::make_shared<FakeVolumes>();
    FolderVolumes volumes{machine};
};

TEST_F(PosixFolderVolumesTest, aSymbolicLinkAndARelativePathNameTheFolderItLeadsTo)
{
    const fs::path music = scratch / "home" / "ann" / "Music";
    fs::create_directory_symlink(music, scratch / "music link");
    const fs::path relative = fs::relative(music, fs::current_path());
    ASSERT_TRUE(relative.is_relative());

    const std::vector<FolderOutcome> outcomes =
        volumes.addFolders({music.string(), (scratch / "music link").string(), relative.string()});

    EXPECT_EQ(folderDriveLetters(outcomes), std::vector<char>{'e'});
    for (const FolderOutcome &outcome : outcomes)
        EXPECT_FALSE(outcome.refusal) << outcome.folder;
    EXPECT_EQ(volumes.find('e')->label, real(music));
}

TEST_F(PosixFolderVolumesTest, aSymbolicLinkIsLabelledWithTheFolderItLeadsTo)
{
    fs::create_directory_symlink(scratch / "share" / "photos", scratch / "Pictures" / "holiday");

    const FolderOutcome outcome = volumes.addFolder((scratch / "Pictures" / "holiday").string());

    ASSERT_EQ(outcome.letter, 'e');
    EXPECT_EQ(volumes.find('e')->label, real(scratch / "share" / "photos"));
    // Where the folder really is decides its drive, not where the link was.
    EXPECT_EQ(volumes.find('e')->type, kDriveRemote);
}

TEST_F(PosixFolderVolumesTest, aFolderThatCannotBeReadIsLeftOut)
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
}

TEST_F(PosixFolderVolumesTest, aFolderOnNoDriveAnswersWhatStatvfsSays)
{
    auto elsewhere = std::make_shared<FakeVolumes>();
    elsewhere->add(drive('c', kDriveRemote, scratch / "share"), {1, 2}, 512);
    FolderVolumes folders(elsewhere);

    ASSERT_EQ(folders.addFolder((scratch / "Pictures").string()).letter, 'd');

    struct statvfs info
    {
    };
    ASSERT_EQ(::statvfs((scratch / "Pictures").c_str(), &info), 0);
    const double unit = double(info.f_frsize != 0 ? info.f_frsize : info.f_bsize);
    EXPECT_EQ(folders.space('d').totalBytes, double(info.f_blocks) * unit);
    EXPECT_EQ(folders.allocationUnit('d'), std::int64_t(unit));
}

TEST_F(PosixFolderVolumesTest, aFileSystemMountedOnTheWayWithoutADriveIsNotTheDrivesOwn)
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
    EXPECT_FALSE(onOneFileSystem("/", "/proc/sys"));
    EXPECT_TRUE(onOneFileSystem("/proc", "/proc/sys"));
}

} // namespace
