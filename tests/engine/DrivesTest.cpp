#include "engine/Drives.h"

#include "platform/fake/FakeVolumes.h"
#include "platform/System.h"
#include "support/Utility.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace vorin;

namespace {

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

Volume volume(char letter, int type, std::string label, std::string networkName = {})
{
    Volume v;
    v.letter = letter;
    v.type = type;
    v.root = "/tmp/vorin-drive-" + std::string(1, letter);
    v.label = std::move(label);
    v.fileSystem = "ext4";
    v.networkName = std::move(networkName);
    return v;
}

// Every kind of drive the list has to deal with, floppies included.
FakeVolumes everyKindOfDrive()
{
    FakeVolumes volumes;
    volumes.add(volume('a', kDriveRemovable, ""));
    volumes.add(volume('b', kDriveFixed, ""));
    volumes.add(volume('c', kDriveFixed, ""));
    volumes.add(volume('d', kDriveFixed, "/Home/Ann"));
    volumes.add(volume('e', kDriveRemovable, "/media/Stick"));
    volumes.add(volume('f', kDriveRemote, "/mnt/Share", "//Server/Share"));
    volumes.add(volume('g', kDriveRemote, "/mnt/G"));
    volumes.add(volume('h', kDriveCdRom, ""));
    volumes.add(volume('i', kDriveRamDisk, "/tmp"));
    volumes.add(volume('j', kDriveUnknown, "/mnt/odd"));
    volumes.add(volume('k', kDriveFixed, "/mnt/odd[]name"));
    volumes.add(volume('l', kDriveRemote, ""));
    volumes.add(volume('m', kDriveCdRom, "/media/cdrom"));
    return volumes;
}

} // namespace

TEST(DrivesTest, entriesOfEveryKindOfDrive)
{
    const FakeVolumes volumes = everyKindOfDrive();
    EXPECT_EQ(makeDriveEntries(volumes), (std::vector<std::string>{
                                             "c: (Fixed disk)",
                                             "d: [/Home/Ann]",
                                             "e:",
                                             "f: //server/share",
                                             "g: [/mnt/G]",
                                             "h: (CD-ROM)",
                                             "i: [/tmp]",
                                             "k: [/mnt/odd[]name]",
                                             "l: (Remote disk)",
                                             "m: [/media/cdrom]",
                                         }));
}

TEST(DrivesTest, statisticsWindowLeavesOutDiscDrivesWithoutLabel)
{
    const FakeVolumes volumes = everyKindOfDrive();
    const std::vector<std::string> entries = makeDriveEntries(volumes, UnlabelledCdRoms::LeftOut);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "h: (CD-ROM)"), 0);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "m: [/media/cdrom]"), 1);
    EXPECT_EQ(entries.size(), makeDriveEntries(volumes).size() - 1);
}

TEST(DrivesTest, upperCaseLettersAreListedInLowerCase)
{
    FakeVolumes volumes;
    volumes.add(volume('D', kDriveFixed, "/Data"));
    EXPECT_EQ(makeDriveEntries(volumes), std::vector<std::string>{"d: [/Data]"});
}

TEST(DrivesTest, noDrivesGiveNoEntriesAndNoSelection)
{
    const FakeVolumes volumes;
    EXPECT_TRUE(makeDriveEntries(volumes).empty());
    EXPECT_TRUE(defaultDriveSelection({}, volumes).empty());
}

struct SelectionCase
{
    const char *name;
    char currentDrive;
    std::vector<bool> selected; // over c: d: e: f: of selectionDrives()
};

void PrintTo(const SelectionCase &c, std::ostream *os)
{
    *os << c.name;
}

class DefaultDriveSelectionTest : public testing::TestWithParam<SelectionCase>
{
};

TEST_P(DefaultDriveSelectionTest, selectsTheCurrentDriveOrElseEveryDrive)
{
    FakeVolumes volumes;
    volumes.add(volume('a', kDriveRemovable, ""));
    volumes.add(volume('c', kDriveFixed, ""));
    volumes.add(volume('d', kDriveFixed, "/home"));
    volumes.add(volume('e', kDriveRemovable, "/media/stick"));
    volumes.add(volume('f', kDriveRemote, "/mnt/share", "//Server/Share"));
    volumes.add(volume('q', kDriveUnknown, "/mnt/q"));
    volumes.setCurrentDrive(GetParam().currentDrive);
    const std::vector<std::string> entries = makeDriveEntries(volumes);
    ASSERT_EQ(entries, (std::vector<std::string>{"c: (Fixed disk)", "d: [/home]",
                                                 "e:", "f: //server/share"}));
    EXPECT_EQ(defaultDriveSelection(entries, volumes), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, DefaultDriveSelectionTest,
    testing::Values(SelectionCase{"labelledCurrentDrive", 'd', {false, true, false, false}},
                    SelectionCase{"removableCurrentDrive", 'e', {false, false, true, false}},
                    SelectionCase{"remoteCurrentDrive", 'f', {false, false, false, true}},
                    // Its entry was rewritten from "c: []", so the unchanged text matches nothing.
                    SelectionCase{"currentDriveWithoutLabel", 'c', {true, true, true, true}},
                    SelectionCase{"currentDriveIsAFloppy", 'a', {true, true, true, true}},
                    SelectionCase{"currentDriveIsNotListed", 'q', {true, true, true, true}},
                    SelectionCase{"currentDriveIsGone", 'x', {true, true, true, true}},
                    SelectionCase{"noCurrentDrive", 0, {true, true, true, true}}));

// A folder given a drive letter is listed with its path, whatever the type of
// the drive holding it: a removable or remote drive's usual entry would not
// say which folder it is.
TEST(DrivesTest, aFolderDriveIsListedWithItsPathWhateverItsType)
{
    FakeVolumes volumes;
    volumes.add(volume('c', kDriveFixed, "/"));
    int type = kDriveFixed;
    for (char letter : {'d', 'e', 'f', 'g', 'h'}) {
        Volume folder = volume(letter, type++, "/srv/" + std::string(1, letter) + " [x]");
        folder.folder = true;
        folder.networkName = "//server/share";
        volumes.add(folder);
    }
    Volume unnamed = volume('i', kDriveFixed, "");
    unnamed.folder = true;
    volumes.add(unnamed);

    EXPECT_EQ(makeDriveEntries(volumes), (std::vector<std::string>{
                                             "c: [/]",
                                             "d: [/srv/d [x]]",
                                             "e: [/srv/e [x]]",
                                             "f: [/srv/f [x]]",
                                             "g: [/srv/g [x]]",
                                             "h: [/srv/h [x]]",
                                             "i: []",
                                         }));
}

struct NamedCase
{
    const char *name;
    std::vector<char> named;
    std::vector<bool> selected; // over c: d: e: f:
};

void PrintTo(const NamedCase &c, std::ostream *os)
{
    *os << c.name;
}

class NamedDriveSelectionTest : public testing::TestWithParam<NamedCase>
{
};

TEST_P(NamedDriveSelectionTest, selectsTheNamedDrivesOrElseTheDefault)
{
    FakeVolumes volumes;
    volumes.add(volume('a', kDriveRemovable, ""));
    volumes.add(volume('c', kDriveFixed, "/"));
    volumes.add(volume('d', kDriveFixed, "/home"));
    Volume music = volume('e', kDriveFixed, "/home/ann/Music");
    music.folder = true;
    volumes.add(music);
    Volume photos = volume('f', kDriveRemovable, "/media/stick/Photos");
    photos.folder = true;
    volumes.add(photos);
    volumes.setCurrentDrive('d');
    const std::vector<std::string> entries = makeDriveEntries(volumes);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(namedDriveSelection(entries, volumes, GetParam().named), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, NamedDriveSelectionTest,
    testing::Values(NamedCase{"twoFolders", {'e', 'f'}, {false, false, true, true}},
                    NamedCase{"aFolderAndADrivesRoot", {'f', 'c'}, {true, false, false, true}},
                    NamedCase{"nothingNamed", {}, {false, true, false, false}},
                    NamedCase{"onlyAFloppy", {'a'}, {false, true, false, false}},
                    NamedCase{"aLetterOfNoDrive", {'x'}, {false, true, false, false}},
                    NamedCase{"oneListedOneNot", {'x', 'e'}, {false, false, true, false}}));

TEST(DrivesTest, driveReadyTakesBothCases)
{
    FakeVolumes volumes;
    volumes.add(volume('c', kDriveFixed, "/"), {}, 0, true);
    volumes.add(volume('h', kDriveCdRom, "/media/cdrom"), {}, 0, false);
    EXPECT_TRUE(driveReady(volumes, 'c'));
    EXPECT_TRUE(driveReady(volumes, 'C'));
    EXPECT_FALSE(driveReady(volumes, 'h'));
    EXPECT_FALSE(driveReady(volumes, 'H'));
    // A letter with no drive behind it.
    EXPECT_FALSE(driveReady(volumes, 'z'));
    EXPECT_FALSE(driveReady(volumes, 'Z'));
}

class NotADriveLetterTest : public testing::TestWithParam<char>
{
};

TEST_P(NotADriveLetterTest, driveReadyThrowsNotAValidDriveId)
{
    const FakeVolumes volumes;
    try {
        (void)driveReady(volumes, GetParam());
        FAIL() << "no exception";
    } catch (const InvalidDriveError &error) {
        EXPECT_STREQ(error.what(), "Not a valid drive ID");
    }
}

TEST_P(NotADriveLetterTest, driveLetterOfEntryThrows)
{
    EXPECT_THROW((void)driveLetterOf(std::string(1, GetParam()) + ": [/]"), InvalidDriveError);
}

// The neighbours of the letters in ASCII, and bytes above it.
INSTANTIATE_TEST_SUITE_P(Characters, NotADriveLetterTest,
                         testing::Values('1', '@', '[', '`', '{', ' ', ':', '\0', char(0xC3)));

TEST(DrivesTest, driveLetterOfTakesTheFirstCharacterInLowerCase)
{
    EXPECT_EQ(driveLetterOf("c: (Fixed disk)"), 'c');
    EXPECT_EQ(driveLetterOf("Z:"), 'z');
    EXPECT_THROW((void)driveLetterOf(""), InvalidDriveError);
}

TEST(DrivesTest, diskSpaceOfEitherCaseAndOfNoDrive)
{
    FakeVolumes volumes;
    volumes.add(volume('d', kDriveFixed, "/data"), {1000.0, 5000.0}, 4096, true);
    EXPECT_EQ(getDiskSpace(volumes, 'D').freeBytes, 1000.0);
    EXPECT_EQ(getDiskSpace(volumes, 'd').totalBytes, 5000.0);
    EXPECT_EQ(getDiskSpace(volumes, 'e').totalBytes, 0.0);
    EXPECT_EQ(getDiskSpace(volumes, '1').totalBytes, 0.0);
}

struct SpaceTotalCase
{
    const char *ticked;
    double freeBytes;
    double totalBytes;
};

void PrintTo(const SpaceTotalCase &c, std::ostream *os)
{
    *os << c.ticked;
}

class SpaceTotalTest : public testing::TestWithParam<SpaceTotalCase>
{
};

// c: and d: are disks; f: and g: folders on c:, h: a folder on d:.
TEST_P(SpaceTotalTest, eachFileSystemIsCountedOnce)
{
    FakeVolumes volumes;
    volumes.add(volume('c', kDriveFixed, "/"), {100.0, 1000.0});
    volumes.add(volume('d', kDriveFixed, "/home"), {20.0, 50.0});
    for (const char folder : {'f', 'g', 'h'}) {
        volumes.add(volume(folder, kDriveFixed, "/folder"),
                    folder == 'h' ? DiskSpace{20.0, 50.0} : DiskSpace{100.0, 1000.0});
        volumes.setSpaceOwner(folder, folder == 'h' ? 'd' : 'c');
    }
    SpaceTotal total(volumes);
    for (const char *letter = GetParam().ticked; *letter != 0; ++letter)
        total.add(*letter, volumes.space(*letter));
    EXPECT_EQ(total.sum().freeBytes, GetParam().freeBytes);
    EXPECT_EQ(total.sum().totalBytes, GetParam().totalBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, SpaceTotalTest,
    testing::Values(SpaceTotalCase{"", 0.0, 0.0}, SpaceTotalCase{"cd", 120.0, 1050.0},
                    SpaceTotalCase{"cf", 100.0, 1000.0}, SpaceTotalCase{"fc", 100.0, 1000.0},
                    SpaceTotalCase{"fg", 100.0, 1000.0}, SpaceTotalCase{"cdfgh", 120.0, 1050.0},
                    SpaceTotalCase{"fh", 120.0, 1050.0}));

struct ClusterCase
{
    const char *name;
    std::int64_t allocationUnit;
    double totalBytes;
    bool ready;
    std::int32_t clusterSize;
};

void PrintTo(const ClusterCase &c, std::ostream *os)
{
    *os << c.name;
}

class ComputeClusterSizeTest : public testing::TestWithParam<ClusterCase>
{
};

TEST_P(ComputeClusterSizeTest, reportedUnitElseSizeTable)
{
    const ClusterCase &c = GetParam();
    FakeVolumes volumes;
    volumes.add(volume('d', kDriveFixed, "/data"), {c.totalBytes / 2, c.totalBytes},
                c.allocationUnit, c.ready);
    EXPECT_EQ(computeClusterSize(volumes, "d: [/data]"), c.clusterSize);
    EXPECT_EQ(computeClusterSize(volumes, "D: [/data]"), c.clusterSize);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ComputeClusterSizeTest,
                         testing::Values(
                             // The file system's own answer wins, whatever the size.
                             ClusterCase{"ext4Of250GB", 4096, 250e9, true, 4096},
                             ClusterCase{"smallUnitOnHugeDrive", 512, 64 * kGiB, true, 512},
                             ClusterCase{"largeUnitOnSmallDrive", 65536, 1 * kGiB, true, 65536},
                             ClusterCase{"reportedUnitAtTwoGiB", 2048, 2 * kGiB, true, 2048},
                             // No answer: the size decides.
                             ClusterCase{"exactlyTwoGiB", 0, 2 * kGiB, true, 0},
                             ClusterCase{"tinyDrive", 0, 1440 * 1024, true, 0},
                             ClusterCase{"twoGiBPlusOne", 0, 2 * kGiB + 1, true, 4096},
                             ClusterCase{"exactlyEightGiB", 0, 8 * kGiB, true, 4096},
                             ClusterCase{"eightGiBPlusOne", 0, 8 * kGiB + 1, true, 8192},
                             ClusterCase{"exactlySixteenGiB", 0, 16 * kGiB, true, 8192},
                             ClusterCase{"sixteenGiBPlusOne", 0, 16 * kGiB + 1, true, 16384},
                             ClusterCase{"thirtyTwoGiBLessOne", 0, 32 * kGiB - 1, true, 16384},
                             ClusterCase{"exactlyThirtyTwoGiB", 0, 32 * kGiB, true, 32768},
                             ClusterCase{"oneTiB", 0, 1024 * kGiB, true, 32768},
                             ClusterCase{"notReady", 4096, 100 * kGiB, false, 0}));

TEST(DrivesTest, clusterSizeOfAMissingDriveIsZero)
{
    const FakeVolumes volumes;
    EXPECT_EQ(computeClusterSize(volumes, "q: [/nowhere]"), 0);
}

// The same rules on this machine's own drives: drive letters on Windows, the
// mount table on Linux.
TEST(DrivesOfThisMachine, aCharacterThatIsNoDriveLetterIsNotAValidDriveId)
{
    const std::shared_ptr<const Volumes> volumes = makeSystemVolumes();
    for (const char c : {'1', ':', '\\', ' '}) {
        try {
            (void)driveReady(*volumes, c);
            ADD_FAILURE() << "no error for " << c;
        } catch (const InvalidDriveError &e) {
            EXPECT_STREQ(e.what(), "Not a valid drive ID");
        }
    }
}

TEST(DrivesOfThisMachine, aLetterWithoutADriveIsNotReadyAndHasNoClusters)
{
    const std::shared_ptr<const Volumes> volumes = makeSystemVolumes();
    char unused = 0;
    for (char letter = 'y'; letter >= 'd' && unused == 0; --letter)
        if (!volumes->find(letter))
            unused = letter;
    ASSERT_NE(unused, 0) << "every letter from d to y names a drive";

    EXPECT_FALSE(driveReady(*volumes, unused));
    EXPECT_FALSE(driveReady(*volumes, asciiUpper(unused)));
    EXPECT_EQ(getDiskSpace(*volumes, unused).totalBytes, 0);
    EXPECT_EQ(computeClusterSize(*volumes, std::string(1, unused) + ":"), 0);
}
