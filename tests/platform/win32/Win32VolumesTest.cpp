#include "platform/win32/Win32Volumes.h"

#include "support/Utility.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <windows.h>

namespace vorin {
namespace {

// A letter that names no drive here.
char unusedLetter()
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'y'; letter >= 'd'; --letter)
        if ((drives & (1u << (letter - 'a'))) == 0)
            return letter;
    return 0;
}

TEST(Win32Volumes, listsTheDriveLettersWithDriveCAsAFixedDisk)
{
    const Win32Volumes volumes;
    const std::vector<Volume> list = volumes.list();

    ASSERT_FALSE(list.empty());
    const auto c =
        std::find_if(list.begin(), list.end(), [](const Volume &v) { return v.letter == 'c'; });
    ASSERT_NE(c, list.end());
    EXPECT_EQ(c->type, kDriveFixed);
    EXPECT_EQ(c->root, "C:\\");
    EXPECT_FALSE(c->fileSystem.empty());
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LT(list[i - 1].letter, list[i].letter);
    const std::optional<Volume> found = volumes.find('c');
    ASSERT_TRUE(found);
    EXPECT_EQ(found->root, "C:\\");
}

TEST(Win32Volumes, driveCIsReadyWithItsSpaceAndClusterSize)
{
    const Win32Volumes volumes;

    EXPECT_TRUE(volumes.ready('c'));
    const DiskSpace space = volumes.space('c');
    EXPECT_GT(space.totalBytes, 0);
    EXPECT_GE(space.freeBytes, 0);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(L"C:\\", &sectors, &bytes, &free, &total));
    EXPECT_EQ(volumes.allocationUnit('c'), std::int64_t(sectors) * bytes);
    EXPECT_GE(volumes.allocationUnit('c'), 512);
    EXPECT_EQ(volumes.allocationUnit('c') % 512, 0);
}

TEST(Win32Volumes, aLetterWithoutADriveIsNotReadyAndHasNothing)
{
    const char letter = unusedLetter();
    ASSERT_NE(letter, 0) << "every letter from d to y is taken";
    const Win32Volumes volumes;

    EXPECT_FALSE(volumes.find(letter));
    EXPECT_FALSE(volumes.ready(letter));
    EXPECT_EQ(volumes.space(letter).totalBytes, 0);
    EXPECT_EQ(volumes.allocationUnit(letter), 0);
    EXPECT_FALSE(volumes.find('1'));
    EXPECT_FALSE(volumes.ready('1'));
}

TEST(Win32Volumes, theCurrentDriveIsTheOneOfTheCurrentDirectory)
{
    const Win32Volumes volumes;
    wchar_t before[MAX_PATH + 1];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH + 1, before), 0u);

    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    const char current = volumes.currentDriveLetter();
    SetCurrentDirectoryW(before);

    EXPECT_EQ(current, 'c');
}

TEST(Win32Volumes, noDriveWithoutAMediumBringsUpASystemBox)
{
    const Win32Volumes volumes;
    EXPECT_NE(GetErrorMode() & SEM_FAILCRITICALERRORS, 0u);
}

} // namespace
} // namespace vorin
