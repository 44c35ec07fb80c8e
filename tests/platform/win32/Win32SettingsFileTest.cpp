#include "platform/win32/Win32SettingsFile.h"

#include "Win32TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vorin {
namespace {

using test::ScratchDirectory;

std::vector<std::string> namesIn(const ScratchDirectory &scratch, std::string_view relative = {})
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW(joinPath(scratch.wide(relative), L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = toUtf8(data.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

TEST(Win32SettingsFile, aSavedFileReadsBackByteForByte)
{
    ScratchDirectory scratch;
    Win32SettingsFile settings(scratch.path());
    const std::string contents = "[Include]\r\nNumber=1\r\nFile1=*.d\xc3\xb6\x63\r\n";

    settings.replace(contents);

    EXPECT_EQ(settings.read(), contents);
    EXPECT_EQ(namesIn(scratch), std::vector<std::string>{"vorin98.ini"})
        << "no temporary file is left behind";
    settings.replace("[Exclude]\r\n");
    EXPECT_EQ(settings.read(), "[Exclude]\r\n");
    EXPECT_EQ(namesIn(scratch), std::vector<std::string>{"vorin98.ini"});
}

TEST(Win32SettingsFile, noFileReadsAsNothingAndItsFolderIsMadeOnTheFirstSave)
{
    ScratchDirectory scratch;
    Win32SettingsFile settings(scratch.path("not\\yet\\there"));

    EXPECT_EQ(settings.read(), std::nullopt);
    settings.replace("x");

    EXPECT_EQ(namesIn(scratch, "not\\yet\\there"), std::vector<std::string>{"vorin98.ini"});
    EXPECT_EQ(settings.read(), "x");
    EXPECT_EQ(settings.name(), "vorin98.ini");
}

TEST(Win32SettingsFile, aDirectoryByItsNameCannotBeReadAndIsNeverReplaced)
{
    ScratchDirectory scratch;
    scratch.dir("vorin98.ini");
    scratch.file("vorin98.ini\\inside", "kept");
    Win32SettingsFile settings(scratch.path());

    EXPECT_THROW((void)settings.read(), SettingsReadError);
    try {
        settings.replace("new");
        FAIL() << "no error raised";
    } catch (const SettingsWriteError &e) {
        EXPECT_STREQ(e.what(), "Unable to write to vorin98.ini");
    }
    EXPECT_EQ(namesIn(scratch, "vorin98.ini"), std::vector<std::string>{"inside"});
    EXPECT_EQ(namesIn(scratch), std::vector<std::string>{"vorin98.ini"});
}

// Another program holds the file open and lets nobody else in: it is there,
// so it must not be taken for a missing one.
TEST(Win32SettingsFile, aFileLockedByAnotherProgramRaisesTheReadError)
{
    ScratchDirectory scratch;
    scratch.file("vorin98.ini", "[Include]\r\n");
    const HANDLE holder = CreateFileW(scratch.wide("vorin98.ini").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Win32SettingsFile settings(scratch.path());

    EXPECT_THROW((void)settings.read(), SettingsReadError);
    EXPECT_THROW(settings.replace("new"), SettingsWriteError);
    CloseHandle(holder);

    EXPECT_EQ(settings.read(), "[Include]\r\n");
    EXPECT_EQ(namesIn(scratch), std::vector<std::string>{"vorin98.ini"});
}

TEST(Win32SettingsFile, theUsersFileIsInTheRoamingApplicationData)
{
    wchar_t appData[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH + 1);
    ASSERT_GT(length, 0u);

    EXPECT_EQ(Win32SettingsFile::userSettingsDirectory(), toUtf8(appData));
    EXPECT_EQ(Win32SettingsFile::forUser()->directory(), toUtf8(appData));
}

} // namespace
} // namespace vorin
