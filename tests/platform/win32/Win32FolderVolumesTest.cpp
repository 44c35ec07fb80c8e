// Folders as drives on Windows: the ways a Windows path may be written, the
// drive letters of the machine itself, and the volume that holds a folder.

#include "platform/fake/FakeVolumes.h"
#include "platform/FileSystem.h"
#include "platform/FolderVolumes.h"
#include "platform/win32/Win32Volumes.h"
#include "support/Utility.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace vorin {
namespace {

std::string withForwardSlashes(std::string path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// The lowest letter from c: on that names no drive here.
char lowestFreeLetter(const Volumes &volumes)
{
    for (char letter = 'c'; letter <= 'z'; ++letter)
        if (!volumes.find(letter))
            return letter;
    return 0;
}

TEST(Win32FolderVolumes, everySpellingOfAFolderIsOneDriveLabelledAsTheSystemWritesIt)
{
    const test::ScratchDirectory scratch;
    scratch.dir("Music");
    const std::string music = scratch.path("Music");
    std::string lowerDrive = withForwardSlashes(music);
    lowerDrive[0] = static_cast<char>(lowerDrive[0] - 'A' + 'a');
    FolderVolumes volumes(std::make_shared<FakeVolumes>());

    const std::vector<FolderOutcome> outcomes = volumes.addFolders(
        {music, music + "\\", lowerDrive, "\\\\?\\" + music, scratch.path("Music\\..\\Music")});

    EXPECT_EQ(folderDriveLetters(outcomes), std::vector<char>{'c'});
    for (const FolderOutcome &outcome : outcomes)
        EXPECT_FALSE(outcome.refusal) << outcome.folder;
    ASSERT_TRUE(volumes.find('c'));
    EXPECT_EQ(volumes.find('c')->label, music);
    EXPECT_EQ(volumes.find('c')->root, music);
}

TEST(Win32FolderVolumes, aNameOutsideTheAnsiCodePageArrivesWhole)
{
    const test::ScratchDirectory scratch;
    const std::string name = "M\xc3\xbcsik \xe9\x9f\xb3\xe6\xa5\xbd \xf0\x9f\x8e\xb5";
    scratch.dir(name);
    FolderVolumes volumes(std::make_shared<FakeVolumes>());

    ASSERT_EQ(volumes.addFolder(scratch.path(name)).letter, 'c');
    EXPECT_EQ(volumes.find('c')->label, scratch.path(name));
}

TEST(Win32FolderVolumes, theRootOfDriveCIsDriveCAndAFolderOnItTakesItsTypeAndSpace)
{
    const auto machine = std::make_shared<const Win32Volumes>();
    const test::ScratchDirectory scratch;
    ASSERT_EQ(scratch.path().substr(0, 3), "C:\\") << "the temporary folder is not on c:";
    const char next = lowestFreeLetter(*machine);
    ASSERT_NE(next, 0);
    FolderVolumes volumes(machine);

    const std::vector<FolderOutcome> outcomes = volumes.addFolders({"C:\\", "c:/", scratch.path()});

    EXPECT_EQ(outcomes[0].letter, 'c');
    EXPECT_EQ(outcomes[1].letter, 'c');
    // Wine's z: for the Linux root leaves the lowest free letter.
    EXPECT_EQ(outcomes[2].letter, next);
    EXPECT_EQ(folderDriveLetters(outcomes), (std::vector<char>{'c', next}));
    const Volume folder = *volumes.find(next);
    EXPECT_TRUE(folder.folder);
    EXPECT_EQ(folder.type, machine->find('c')->type);
    EXPECT_EQ(folder.fileSystem, machine->find('c')->fileSystem);
    EXPECT_TRUE(volumes.ready(next));
    EXPECT_EQ(volumes.space(next).totalBytes, machine->space('c').totalBytes);
    EXPECT_EQ(volumes.allocationUnit(next), machine->allocationUnit('c'));
}

TEST(Win32FolderVolumes, aFolderOnNoDriveAnswersTheVolumeThatHoldsIt)
{
    const Win32Volumes machine;
    const test::ScratchDirectory scratch;
    ASSERT_EQ(scratch.path().substr(0, 3), "C:\\") << "the temporary folder is not on c:";

    const std::optional<FileSystemFigures> figures = fileSystemFigures(scratch.path());

    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->space.totalBytes, machine.space('c').totalBytes);
    EXPECT_EQ(figures->allocationUnit, machine.allocationUnit('c'));
    EXPECT_TRUE(onOneFileSystem("C:\\", scratch.path()));
    EXPECT_FALSE(onOneFileSystem("C:\\", scratch.path("missing")));
}

TEST(Win32FolderVolumes, theDriveHoldingAPathIsFoundInAnyCaseByWholeNames)
{
    std::vector<Volume> volumes(3);
    volumes[0].letter = 'c';
    volumes[0].root = "C:\\";
    volumes[1].letter = 'd';
    volumes[1].root = "C:\\Data";
    volumes[2].letter = 'e';
    volumes[2].root = "\\\\server\\share\\";

    EXPECT_EQ(driveLetterHolding(volumes, "c:\\data\\photos"), 'd');
    EXPECT_EQ(driveLetterHolding(volumes, "C:\\DATA"), 'd');
    EXPECT_EQ(driveLetterHolding(volumes, "C:\\Database"), 'c');
    EXPECT_EQ(driveLetterHolding(volumes, "C:\\"), 'c');
    EXPECT_EQ(driveLetterHolding(volumes, "\\\\SERVER\\share\\x"), 'e');
    EXPECT_EQ(driveLetterHolding(volumes, "D:\\x"), 0);
}

TEST(Win32FolderVolumes, whatIsNoFolderSaysWhy)
{
    const test::ScratchDirectory scratch;
    scratch.file("notes.txt", "x");

    EXPECT_EQ(lookUpFolder(scratch.path("notes.txt")).problem, FolderProblem::NotAFolder);
    EXPECT_EQ(lookUpFolder(scratch.path("notes.txt\\sub")).problem, FolderProblem::Missing);
    EXPECT_EQ(lookUpFolder(scratch.path("nowhere")).problem, FolderProblem::Missing);
    EXPECT_EQ(lookUpFolder("").problem, FolderProblem::Missing);
    EXPECT_EQ(lookUpFolder(scratch.path("nowhere")).realPath, "");
    EXPECT_FALSE(isDirectory(scratch.path("notes.txt")));
    EXPECT_TRUE(isDirectory(scratch.path()));
}

} // namespace
} // namespace vorin
