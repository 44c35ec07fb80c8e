#include "selection/StatFiles.h"

#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#ifdef _WIN32
#include "platform/win32/WideText.h"
#include "platform/win32/Win32SettingsFile.h"
#else
#include "platform/posix/PosixSettingsFile.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace vorin {
namespace {

class StatFiles : public testing::Test
{
protected:
    StatFiles()
    {
        registry.add(".doc", "Word.Document.8", "Microsoft Word Document");
        registry.add(".exe", "exefile", "Application");
        registry.add(".dll", "dllfile");
    }
    std::vector<std::string> read(std::string_view section = "Include")
    {
        return ReadStatFilesFromDisk(file, section, registry);
    }
    FakeFileTypeRegistry registry;
    FakeSettingsFile file;
};

const std::vector<std::string> kDefaults = {"*.doc\tMicrosoft Word Document", "*.exe\tApplication",
                                            "*.dll\tdllfile"};

TEST_F(StatFiles, describeExtensionFallsBackFromDescriptionToClassToName)
{
    EXPECT_EQ(describeExtension("*.", registry), "No extension");
    EXPECT_EQ(describeExtension(".doc", registry), "Microsoft Word Document");
    EXPECT_EQ(describeExtension(".DOC", registry), "Microsoft Word Document");
    EXPECT_EQ(describeExtension(".dll", registry), "dllfile");
    EXPECT_EQ(describeExtension(".qqq", registry), "QQQ File");
    EXPECT_EQ(describeExtension(".Tmp", registry), "TMP File");
    EXPECT_EQ(describeExtension(".xyz", registry), "XYZ File");
    EXPECT_EQ(describeExtension(".*", registry), "");
    EXPECT_EQ(describeExtension("", registry), "");
    EXPECT_EQ(describeExtension(".", registry), " File");
}

TEST_F(StatFiles, missingFileSectionOrCountGivesTheDefaults)
{
    EXPECT_EQ(read(), kDefaults);
    file.setContents("[Exclude]\nNumber=1\nFile1=*.txt\n");
    EXPECT_EQ(read("Include"), kDefaults);
    file.setContents("[Include]\nFile1=*.txt\n");
    EXPECT_EQ(read(), kDefaults);
    file.setContents("[Include]\nNumber=-4\nFile1=*.txt\n");
    EXPECT_EQ(read(), kDefaults);
    file.setContents("[Include]\nNumber=two\nFile1=*.txt\n");
    EXPECT_EQ(read(), kDefaults);
    EXPECT_EQ(file.replaceCount(), 0) << "a load never writes the defaults";
}

TEST_F(StatFiles, countZeroGivesAnEmptyList)
{
    file.setContents("[Include]\nNumber=0\nFile1=*.txt\n");
    EXPECT_TRUE(read().empty());
}

TEST_F(StatFiles, emptyOrMissingKeysAreSkippedAndNumberingGoesOn)
{
    file.setContents("[Include]\nNumber=3\nFile1=*.doc\nFile2=\nFile3=*.qqq\n");
    EXPECT_EQ(read(),
              (std::vector<std::string>{"*.doc\tMicrosoft Word Document", "*.qqq\tQQQ File"}));
    file.setContents("[Include]\nNumber=3\nFile3=*.qqq\nFile1=*.doc\n");
    EXPECT_EQ(read(),
              (std::vector<std::string>{"*.doc\tMicrosoft Word Document", "*.qqq\tQQQ File"}));
}

TEST_F(StatFiles, keysAboveTheCountAreNotRead)
{
    file.setContents(
        "[Include]\nNumber=2\nFile1=*.a\nFile2=*.b\nFile3=*.c\nFile4=*.d\nFile5=*.e\n");
    EXPECT_EQ(read(), (std::vector<std::string>{"*.a\tA File", "*.b\tB File"}));
}

TEST_F(StatFiles, keysWithLeadingZerosAreNotEntries)
{
    file.setContents("[Include]\nNumber=2\nFile01=*.a\nfile2=*.b\nFiles=*.c\nFile=*.d\n");
    EXPECT_EQ(read(), (std::vector<std::string>{"*.b\tB File"}));
}

TEST_F(StatFiles, aStarAloneLoadsWithAnEmptyDescription)
{
    file.setContents("[Include]\nNumber=1\nFile1=*\n");
    EXPECT_EQ(read(), (std::vector<std::string>{"*\t"}));
}

TEST_F(StatFiles, hugeCountLoadsWithoutProbingEveryKey)
{
    file.setContents("[Include]\nNumber=2000000000\nFile1=*.a\nFile1999999999=*.z\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read(), (std::vector<std::string>{"*.a\tA File", "*.z\tZ File"}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(StatFiles, corruptFileReadsAsWhatItCanAndNeverFails)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 131) & 0xFF);
    file.setContents(garbage);
    EXPECT_EQ(read(), kDefaults);
    static constexpr char kWithNul[] = "[Include]\0\nNumber=1\nFile1=*.a\n";
    file.setContents(std::string(kWithNul, sizeof kWithNul - 1));
    EXPECT_EQ(read(), (std::vector<std::string>{"*.a\tA File"}));
}

TEST_F(StatFiles, writeStoresCountAndPatternsAndKeepsTheRest)
{
    file.setContents(
        "; my notes\r\n[Include]\r\nNumber=5\r\nFile1=*.a\r\nFile2=*.b\r\nFile3=*.c\r\n"
        "File4=*.d\r\nFile5=*.e\r\n[Exclude]\r\nNumber=1\r\nFile1=*.tmp\r\n[Mine]\r\nk=v\r\n");
    WriteStatFilesToDisk(file, {"*.doc\tWord", "*.exe"}, "Include");
    EXPECT_EQ(
        *file.contents(),
        "; my notes\r\n[Include]\r\nNumber=2\r\nFile1=*.doc\r\nFile2=*.exe\r\nFile3=*.c\r\n"
        "File4=*.d\r\nFile5=*.e\r\n[Exclude]\r\nNumber=1\r\nFile1=*.tmp\r\n[Mine]\r\nk=v\r\n");
    EXPECT_EQ(read(),
              (std::vector<std::string>{"*.doc\tMicrosoft Word Document", "*.exe\tApplication"}));
}

TEST_F(StatFiles, clearingWritesCountZeroAndLeavesOldKeysUnread)
{
    WriteStatFilesToDisk(file, {"*.a\tx", "*.b\tx"}, "Exclude");
    WriteStatFilesToDisk(file, {}, "Exclude");
    EXPECT_EQ(*file.contents(), "[Exclude]\nNumber=0\nFile1=*.a\nFile2=*.b\n");
    EXPECT_TRUE(read("Exclude").empty());
}

TEST_F(StatFiles, failedWriteRaisesTheMessageAndKeepsTheFile)
{
    file.setContents("[Include]\nNumber=1\nFile1=*.a\n");
    file.setFailing(true);
    try {
        WriteStatFilesToDisk(file, {"*.b\tx"}, "Include");
        FAIL() << "no error raised";
    } catch (const SettingsWriteError &e) {
        EXPECT_STREQ(e.what(), "Unable to write to vorin98.ini");
    }
    EXPECT_EQ(*file.contents(), "[Include]\nNumber=1\nFile1=*.a\n");
}

TEST_F(StatFiles, anUnreadableFileLoadsAsTheDefaults)
{
    file.setContents("[Include]\nNumber=1\nFile1=*.a\n");
    file.setUnreadable(true);
    EXPECT_EQ(read(), kDefaults);
    EXPECT_EQ(file.replaceAttempts(), 0);
}

// The file holds the other list (and whatever the user keeps there): a save
// that could not read it must not write a file of one section over it.
TEST_F(StatFiles, aSaveNeverReplacesAFileItCouldNotRead)
{
    const std::string stored = "[Include]\nNumber=1\nFile1=*.a\n[Exclude]\nNumber=1\nFile1=*.tmp\n";
    file.setContents(stored);
    file.setUnreadable(true);
    try {
        WriteStatFilesToDisk(file, {"*.b\tx"}, "Include");
        FAIL() << "no error raised";
    } catch (const SettingsWriteError &e) {
        EXPECT_STREQ(e.what(), "Unable to write to vorin98.ini");
    }
    EXPECT_EQ(file.replaceAttempts(), 0);
    EXPECT_EQ(*file.contents(), stored);

    // Once it can be read again, the same save keeps the other list.
    file.setUnreadable(false);
    WriteStatFilesToDisk(file, {"*.b\tx"}, "Include");
    EXPECT_EQ(*file.contents(),
              "[Include]\nNumber=1\nFile1=*.b\n[Exclude]\nNumber=1\nFile1=*.tmp\n");
}

TEST_F(StatFiles, aMissingFileIsNoErrorForASave)
{
    WriteStatFilesToDisk(file, {"*.b\tx"}, "Exclude");
    EXPECT_EQ(*file.contents(), "[Exclude]\nNumber=1\nFile1=*.b\n");
}

#ifndef _WIN32
// The same through the real settings file, with something by its name that no
// one can open, root included: a socket.
TEST(StatFilesOnDisk, aSaveLeavesANameItCouldNotReadAsItWas)
{
    char pattern[] = "/tmp/vorin-statfiles-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path directory = pattern;
    const std::filesystem::path ini = directory / "vorin98.ini";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(ini.native().begin(), ini.native().end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    PosixSettingsFile settings(directory);
    FakeFileTypeRegistry registry;

    EXPECT_EQ(ReadStatFilesFromDisk(settings, "Include", registry).size(), 3u);
    bool refused = false;
    try {
        WriteStatFilesToDisk(settings, {"*.b\tx"}, "Include");
    } catch (const SettingsWriteError &e) {
        refused = std::string_view(e.what()) == "Unable to write to vorin98.ini";
    }
    const bool stillASocket = std::filesystem::is_socket(ini);
    std::size_t names = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(directory))
        ++names;
    std::filesystem::remove_all(directory);

    EXPECT_TRUE(refused);
    EXPECT_TRUE(stillASocket);
    EXPECT_EQ(names, 1u) << "no temporary file is left behind";
}

#else
// The same through the real settings file, held open by another program that
// lets nobody else read it.
TEST(StatFilesOnDisk, aSaveLeavesAFileItCouldNotReadAsItWas)
{
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring directory =
        std::wstring(temp) + L"vorin-statfiles-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    const std::wstring ini = directory + L"\\vorin98.ini";
    const std::string stored = "[Exclude]\r\nNumber=1\r\nFile1=*.tmp\r\n";
    const HANDLE holder = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(holder, stored.data(), static_cast<DWORD>(stored.size()), &written, nullptr);
    Win32SettingsFile settings(toUtf8(directory));
    FakeFileTypeRegistry registry;

    const std::size_t loaded = ReadStatFilesFromDisk(settings, "Include", registry).size();
    bool refused = false;
    try {
        WriteStatFilesToDisk(settings, {"*.b\tx"}, "Include");
    } catch (const SettingsWriteError &e) {
        refused = std::string_view(e.what()) == "Unable to write to vorin98.ini";
    }
    CloseHandle(holder);
    const std::optional<std::string> after = settings.read();
    std::size_t names = 0;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do
            names += data.cFileName[0] != L'.' || data.cFileName[1] == L'v';
        while (FindNextFileW(search, &data));
        FindClose(search);
    }
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(directory.c_str());

    EXPECT_EQ(loaded, 3u) << "an unreadable file loads as the defaults";
    EXPECT_TRUE(refused);
    EXPECT_EQ(after, stored);
    EXPECT_EQ(names, 1u) << "no temporary file is left behind";
}
#endif

// The history switch: on unless the file says 0; set without touching the rest.
TEST_F(StatFiles, keepHistoryIsOnUnlessTheFileSaysOff)
{
    const struct
    {
        std::optional<std::string> contents;
        bool keep;
    } cases[] = {{std::nullopt, true},
                 {"[History]\nKeep=0\n", false},
                 {"[history]\nkeep = 1\n", true},
                 {"[History]\nKeep=no\n", true},
                 {"[Include]\nNumber=0\n", true}};
    for (const auto &c : cases) {
        file.setContents(c.contents);
        EXPECT_EQ(ReadKeepHistory(file), c.keep) << c.contents.value_or("(none)");
    }
    file.setContents("; mine\n[Include]\nNumber=0\n");
    WriteKeepHistory(file, false);
    EXPECT_FALSE(ReadKeepHistory(file));
    EXPECT_EQ(*file.read(), "; mine\n[Include]\nNumber=0\n\n[History]\nKeep=0\n");
    file.setUnreadable(true);
    EXPECT_TRUE(ReadKeepHistory(file));
    EXPECT_THROW(WriteKeepHistory(file, true), SettingsWriteError);
}

} // namespace
} // namespace vorin
