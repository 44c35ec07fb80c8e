#include "platform/win32/RecycleBin.h"

#include "Win32TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace vorin {
namespace {

// Wine's Recycle Bin is the Linux trash of XDG_DATA_HOME, which the build
// points into a directory of its own: that trash, in the Windows form, or
// nothing where there is none (on Windows itself, where a test would fill
// the user's own bin).
std::wstring wineTrash()
{
    wchar_t data[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(L"XDG_DATA_HOME", data, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH || data[0] != L'/')
        return {};
    std::wstring folder = L"Z:" + std::wstring(data, length) + L"/Trash";
    for (wchar_t &c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

TEST(RecycleBin, aFileGoesToTheBinUnderItsOwnName)
{
    const std::wstring trash = wineTrash();
    if (trash.empty())
        GTEST_SKIP() << "runs under Wine only, whose bin the build keeps apart";
    test::ScratchDirectory scratch;
    // A name of this run's own, as the trash outlives it.
    const std::string name = "na\xc3\xafve " + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount64()) + ".txt";
    scratch.file(name, "contents");

    const TrashOutcome outcome = RecycleBin().moveToTrash(scratch.path(name));

    EXPECT_EQ(outcome.problem, "");
    EXPECT_TRUE(outcome.moved);
    EXPECT_EQ(GetFileAttributesW(scratch.wide(name).c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring entry = joinPath(trash, L"files\\" + toWide(name));
    EXPECT_NE(GetFileAttributesW(entry.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(entry.c_str());
    DeleteFileW(joinPath(trash, L"info\\" + toWide(name) + L".trashinfo").c_str());
}

TEST(RecycleBin, aFileThatIsGoneIsNoLongerThere)
{
    test::ScratchDirectory scratch;
    scratch.file("file.txt");
    RecycleBin bin;

    for (const char *gone : {"missing.txt", "nothing\\here.txt", "file.txt\\inner"}) {
        const TrashOutcome outcome = bin.moveToTrash(scratch.path(gone));
        EXPECT_FALSE(outcome.moved) << gone;
        EXPECT_EQ(outcome.problem, "no longer there") << gone;
    }
    EXPECT_NE(GetFileAttributesW(scratch.wide("file.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace vorin
