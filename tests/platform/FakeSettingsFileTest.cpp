#include "platform/fake/FakeSettingsFile.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

// The fake stands in for the real file in the tests of the loads and saves,
// so it must fail the way the real one does.
TEST(FakeSettingsFileTest, failedReplaceKeepsTheOldContentsAndSaysWhy)
{
    FakeSettingsFile file("[Include]\nNumber=0\n");
    file.failNextReplaces(1);
    try {
        file.replace("new");
        ADD_FAILURE() << "replace did not fail";
    } catch (const SettingsWriteError &error) {
        EXPECT_STREQ(error.what(), "Unable to write to vorin98.ini");
    }
    EXPECT_EQ(file.read(), "[Include]\nNumber=0\n");
    file.replace("new");
    EXPECT_EQ(file.read(), "new");
    EXPECT_EQ(file.replaceCount(), 1);
    EXPECT_EQ(file.replaceAttempts(), 2);
}

TEST(FakeSettingsFileTest, unreadableFileFailsToReadAndKeepsItsContents)
{
    FakeSettingsFile file("[Exclude]\nNumber=0\n");
    file.setUnreadable(true);
    try {
        (void)file.read();
        ADD_FAILURE() << "read did not fail";
    } catch (const SettingsReadError &error) {
        EXPECT_STREQ(error.what(), "Unable to read vorin98.ini");
    }
    EXPECT_EQ(file.contents(), "[Exclude]\nNumber=0\n");
    file.setUnreadable(false);
    EXPECT_EQ(file.read(), "[Exclude]\nNumber=0\n");
}

TEST(FakeSettingsFileTest, startsMissing)
{
    EXPECT_EQ(FakeSettingsFile().read(), std::nullopt);
}

} // namespace
} // namespace vorin
