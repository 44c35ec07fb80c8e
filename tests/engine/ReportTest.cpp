#include "engine/report/Report.h"

#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/FixedUtcOffset.h"
#include "TreeFixture.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/statvfs.h>

namespace vorin {
namespace {

using testing::TempTree;

TEST(ReportArguments, extensionsAreTakenInEveryWrittenForm)
{
    const ReportOptions options =
        parseReportArguments({"--include", "doc,.TXT,*.Mp3", "--threads", "3", "--json", "c:"});
    EXPECT_TRUE(options.includeTypes);
    EXPECT_FALSE(options.excludeTypes);
    EXPECT_EQ(options.typeEntries, (std::vector<std::string>{"*.doc\t", "*.txt\t", "*.mp3\t"}));
    EXPECT_EQ(options.threads, 3);
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.targets, std::vector<std::string>{"c:"});
}

TEST(ReportArguments, badCommandLinesAreRefused)
{
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {},
             {"--frobnicate", "c:"},
             {"--threads", "0", "c:"},
             {"--threads", "x", "c:"},
             {"--threads"},
             {"--include", "doc", "--exclude", "exe", "c:"},
             {"--include", "*", "c:"},
             {"--drives", "c:"},
         })
        EXPECT_THROW((void)parseReportArguments(args), ReportUsageError)
            << ::testing::PrintToString(args);
}

TEST(ReportJson, stringsOfAnyBytesAreValidJson)
{
    EXPECT_EQ(jsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(jsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");
    EXPECT_EQ(jsonString("\xff."), "\"\\u00ff.\"");
    EXPECT_EQ(jsonString("\xc0\xaf"), "\"\\u00c0\\u00af\"");            // overlong "/"
    EXPECT_EQ(jsonString("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\""); // a surrogate
    EXPECT_EQ(jsonString("\xe2\x82"), "\"\\u00e2\\u0082\"");            // cut short
    EXPECT_EQ(jsonString("\xf0\x9f\x98\x80"), "\"\xf0\x9f\x98\x80\"");
}

class ReportTest : public ::testing::Test
{
protected:
    ReportTest()
    {
        registry.add(".txt", "text/plain", "plain text document");
        env.volumes = &volumes;
        env.registry = &registry;
        env.zone = &zone;
        env.today = m_today;
        env.out = &out;
        env.err = &err;
    }

    // Seconds of day today - daysAgo at hh:mm:ss UTC.
    std::int64_t at(int daysAgo, int hours, int minutes, int seconds = 0) const
    {
        return (m_today - daysAgo) * 86400 + hours * 3600 + minutes * 60 + seconds;
    }

    void buildTree()
    {
        tree.file("a.txt", 100, at(3, 10, 15), at(40, 13, 45));
        tree.file("b.DOC", 20000, at(10, 0, 10), at(400, 23, 59, 58));
        tree.file(".hidden", 5000, at(0, 8, 0), at(8, 6, 29));
        tree.dir("sub");
        tree.file("sub/c.txt", 4096, at(100, 12, 30), at(2000, 12, 0), 0444);
        tree.file("noext", 0, at(500, 0, 45), at(1200, 0, 0, 30));
        tree.dir(".git");
        tree.file(".git/never", 123);
    }

    int run(std::vector<std::string> args)
    {
        args.push_back(tree.root());
        return runReport(args, env);
    }

    const std::int64_t m_today = std::time(nullptr) / 86400;
    TempTree tree;
    FakeVolumes volumes;
    FakeFileTypeRegistry registry;
    FixedUtcOffset zone{0};
    std::ostringstream out;
    std::ostringstream err;
    ReportEnvironment env;
};

TEST_F(ReportTest, jsonCarriesTheFiguresOfTheTree)
{
    buildTree();
    struct statvfs fs
    {
    };
    ASSERT_EQ(::statvfs(tree.root().c_str(), &fs), 0);

    ASSERT_EQ(run({"--json"}), 0) << err.str();

    const std::string json = out.str();
    const auto has = [&json](const std::string &part) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n in " << json;
    };
    has("{\"filesProcessed\":5,\"filesSelected\":5,\"clusterSize\":" + std::to_string(fs.f_bsize) +
        ",");
    has("\"types\":[{\"key\":\"\",\"description\":\"No extension\",\"files\":1,\"bytes\":0},"
        "{\"key\":\".DOC\",\"description\":\"DOC File\",\"files\":1,\"bytes\":20000},"
        "{\"key\":\".TXT\",\"description\":\"plain text document\",\"files\":2,\"bytes\":4196}]");
    has("\"sizeBandCount\":[4,1,0,0,0,0,0,0,0,0,0,0]");
    has("\"sizeBandBytes\":[9196,20000,0,0,0,0,0,0,0,0,0,0]");
    has("\"accessAgeCount\":[0,2,1,0,1,0,1,0,0,0]");
    has("\"accessAgeBytes\":[0,5100,20000,0,4096,0,0,0,0,0]");
    has("\"modifiedAgeCount\":[0,0,1,1,0,0,1,0,1,1]");
    has("\"modifiedAgeBytes\":[0,0,5000,100,0,0,20000,0,0,4096]");
    has("\"modifiedTimeSlots\":[0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,1,0,0,1,0,0,0,0,"
        "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1]");
    has("\"accessTimeSlots\":[0,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,1,0,0,0,0,1,0,0,0,0,0,0,"
        "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]");
    has("\"readOnlyCount\":1,\"readOnlyBytes\":4096,\"hiddenCount\":1,\"hiddenBytes\":5000,"
        "\"systemCount\":0,\"systemBytes\":0,\"archiveCount\":0,\"archiveBytes\":0");
    has("\"overhang4K\":7668,\"overhang8K\":19956,\"overhang16K\":52724,\"overhang32K\":101876,"
        "\"overhang64K\":232948");
    has("\"unreadableDirectories\":0,\"hardLinksSkipped\":0,\"complete\":true}\n");
    EXPECT_EQ(json.find(".0,"), std::string::npos);
}

TEST_F(ReportTest, createdDatesAreCountedWhereTheFileSystemKeepsThem)
{
    buildTree();
    ASSERT_EQ(run({"--json"}), 0);
    const std::string json = out.str();
    // Birth times are today's, or not recorded at all.
    const bool today = json.find("\"createdAgeCount\":[0,5,0,0,0,0,0,0,0,0]") != std::string::npos;
    const bool none = json.find("\"createdAgeCount\":[5,0,0,0,0,0,0,0,0,0]") != std::string::npos;
    EXPECT_TRUE(today || none) << json;
}

TEST_F(ReportTest, twoTargetsAddUpAndLeaveTheOverhangAtZero)
{
    buildTree();
    TempTree second;
    second.file("more.txt", 10);
    env.out = &out;

    ASSERT_EQ(runReport({"--json", tree.root(), second.root()}, env), 0) << err.str();

    const std::string json = out.str();
    EXPECT_NE(json.find("{\"filesProcessed\":6,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"overhang4K\":0,\"overhang8K\":0,\"overhang16K\":0,\"overhang32K\":0,"
                        "\"overhang64K\":0"),
              std::string::npos)
        << json;
}

TEST_F(ReportTest, aFilterCountsOnlyTheChosenTypes)
{
    buildTree();
    ASSERT_EQ(run({"--json", "--exclude", "*.TXT"}), 0);
    EXPECT_NE(out.str().find("{\"filesProcessed\":5,\"filesSelected\":3,"), std::string::npos)
        << out.str();
}

TEST_F(ReportTest, textShowsThePagesTablesWithTheirLabels)
{
    buildTree();
    env.locale = LocaleSeparators{".", ","};

    ASSERT_EQ(run({}), 0);

    const std::string text = out.str();
    EXPECT_NE(text.find("Finished - 5 files processed\n"), std::string::npos) << text;
    EXPECT_NE(text.find(".DOC       DOC File"), std::string::npos) << text;
    EXPECT_NE(text.find("0 - 16K                      4               9.196\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("8 - 30 days                  1              20.000\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Over 4 years"), std::string::npos);
}

// Backup snapshots made with hard links: each file counts once, however many
// snapshots hold it, and the report says how many names it passed over.
TEST_F(ReportTest, hardLinkedSnapshotsCountEachFileOnceAndSayHowManyNamesWereSkipped)
{
    tree.dir("monday");
    tree.file("monday/a.txt", 1000);
    tree.file("monday/b.txt", 2000);
    for (const char *day : {"tuesday", "wednesday"}) {
        tree.dir(day);
        tree.link("monday/a.txt", std::string(day) + "/a.txt");
        tree.link("monday/b.txt", std::string(day) + "/b.txt");
    }
    tree.file("wednesday/new.txt", 4);

    ASSERT_EQ(run({"--json"}), 0) << err.str();
    const std::string json = out.str();
    EXPECT_NE(json.find("{\"filesProcessed\":3,\"filesSelected\":3,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"files\":3,\"bytes\":3004}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"hardLinksSkipped\":4,\"complete\":true}"), std::string::npos) << json;

    out.str("");
    env.locale = LocaleSeparators{".", ","};
    ASSERT_EQ(run({}), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find("Finished - 3 files processed\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n4 hard links skipped: names of files already counted under another "
                        "name\n"),
              std::string::npos)
        << text;
}

TEST_F(ReportTest, withoutHardLinksTheTextSaysNothingOfThem)
{
    buildTree();
    ASSERT_EQ(run({}), 0);
    EXPECT_EQ(out.str().find("hard links"), std::string::npos) << out.str();
}

TEST_F(ReportTest, anInterruptPrintsWhatWasCountedAsIncomplete)
{
    buildTree();
    std::atomic<bool> interrupt{true};
    env.interrupt = &interrupt;

    EXPECT_EQ(run({"--json"}), 130);

    EXPECT_NE(out.str().find("\"complete\":false}"), std::string::npos) << out.str();
}

TEST_F(ReportTest, aMissingTargetIsOneLineAndStatusTwo)
{
    EXPECT_EQ(runReport({"--json", tree.path("nowhere")}, env), 2);
    EXPECT_TRUE(out.str().empty());
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST_F(ReportTest, aDriveLetterNamesADriveOfTheDriveList)
{
    buildTree();
    Volume drive;
    drive.letter = 'q';
    drive.type = kDriveFixed;
    drive.root = tree.root();
    drive.label = "fixture";
    volumes.add(drive, {1e9, 2e9}, 512);

    ASSERT_EQ(runReport({"--json", "Q:"}, env), 0) << err.str();
    EXPECT_NE(out.str().find("{\"filesProcessed\":5,\"filesSelected\":5,\"clusterSize\":512,"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(runReport({"--json", "r:"}, env), 2);
}

// A directory named on the command line is walked as the drive that holds
// it would be; --threads overrides that.
TEST_F(ReportTest, aDirectoryIsWalkedWithTheThreadsOfTheDriveThatHoldsIt)
{
    buildTree();
    char *real = ::realpath(tree.root().c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string root = real;
    std::free(real);
    Volume holder;
    holder.letter = 'q';
    holder.type = kDriveFixed;
    holder.root = root.substr(0, root.rfind('/'));
    volumes.add(holder, {1e9, 2e9}, 512);
    volumes.setStorage('q', StorageKind::Rotational);
    volumes.setCores(4);

    ASSERT_EQ(run({"--json"}), 0) << err.str();
    EXPECT_NE(out.str().find(",\"walkThreads\":[2],\"types\":["), std::string::npos) << out.str();

    out.str("");
    ASSERT_EQ(run({"--json", "--threads", "5"}), 0) << err.str();
    EXPECT_NE(out.str().find(",\"walkThreads\":[5],"), std::string::npos) << out.str();

    volumes.setStorage('q', StorageKind::SolidState);
    out.str("");
    ASSERT_EQ(run({"--json"}), 0) << err.str();
    EXPECT_NE(out.str().find(",\"walkThreads\":[16],"), std::string::npos) << out.str();
}

} // namespace
} // namespace vorin
