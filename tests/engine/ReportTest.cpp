#include "engine/report/Report.h"

#include "engine/report/ReportFile.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/FileSystem.h"
#include "TreeFixture.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <string>

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

TEST(ReportArguments, helpAndVersionEndTheReading)
{
    EXPECT_TRUE(parseReportArguments({"--help"}).help);
    EXPECT_TRUE(parseReportArguments({"-h"}).help);
    EXPECT_TRUE(parseReportArguments({"--json", "--help", "--frobnicate"}).help);
    EXPECT_TRUE(parseReportArguments({"--version"}).version);
    EXPECT_FALSE(parseReportArguments({"--version"}).help);
    // After "--" they are targets like any other word.
    const ReportOptions options = parseReportArguments({"--", "--help"});
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.targets, std::vector<std::string>{"--help"});
}

TEST(ReportArguments, csvIsAnOutputOfItsOwn)
{
    EXPECT_TRUE(parseReportArguments({"--csv", "c:"}).csv);
    EXPECT_FALSE(parseReportArguments({"--csv", "c:"}).json);
    EXPECT_THROW((void)parseReportArguments({"--csv", "--json", "c:"}), ReportUsageError);
}

TEST(ReportCsv, fieldsAreQuotedOnlyWhereTheyMustBe)
{
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField(".TXT"), ".TXT");
    EXPECT_EQ(csvField("plain text document"), "plain text document");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField("cr\r"), "\"cr\r\"");
    EXPECT_EQ(csvField("caf\xc3\xa9; 'x'"), "caf\xc3\xa9; 'x'");
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
    const std::optional<FileSystemFigures> figures = fileSystemFigures(tree.root());
    ASSERT_TRUE(figures);

    ASSERT_EQ(run({"--json"}), 0) << err.str();

    const std::string json = out.str();
    const auto has = [&json](const std::string &part) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n in " << json;
    };
    // No drive of the machine holds the tree: its own file system answers.
    has(",\"filesProcessed\":5,\"filesSelected\":5,\"clusterSize\":" +
        std::to_string(figures->allocationUnit) + ",");
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
        "\"systemCount\":0,\"systemBytes\":0,");
    // Every file is new, and Windows marks new files for the archive.
    has(testing::kNewFilesAreArchive ? "\"archiveCount\":5,\"archiveBytes\":29196,"
                                     : "\"archiveCount\":0,\"archiveBytes\":0,");
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
    // Birth times are today's, or not recorded at all; Wine keeps none of
    // its own and gives the last write instead.
    const bool today = json.find("\"createdAgeCount\":[0,5,0,0,0,0,0,0,0,0]") != std::string::npos;
    const bool none = json.find("\"createdAgeCount\":[5,0,0,0,0,0,0,0,0,0]") != std::string::npos;
    const bool lastWrite =
        testing::kNewFilesAreArchive &&
        json.find("\"createdAgeCount\":[0,0,1,1,0,0,1,0,1,1]") != std::string::npos;
    EXPECT_TRUE(today || none || lastWrite) << json;
}

TEST_F(ReportTest, twoTargetsAddUpAndLeaveTheOverhangAtZero)
{
    buildTree();
    TempTree second;
    second.file("more.txt", 10);
    env.out = &out;

    ASSERT_EQ(runReport({"--json", tree.root(), second.root()}, env), 0) << err.str();

    const std::string json = out.str();
    EXPECT_NE(json.find(",\"filesProcessed\":6,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"overhang4K\":0,\"overhang8K\":0,\"overhang16K\":0,\"overhang32K\":0,"
                        "\"overhang64K\":0"),
              std::string::npos)
        << json;
}

// Each half of a tree reported on its own, the two reports added up: every
// figure as in the report of the whole tree, the halves' drives listed.
TEST_F(ReportTest, mergedReportsOfTwoHalvesEqualTheReportOfTheWhole)
{
    tree.dir("left");
    tree.file("left/a.txt", 100, at(3, 10, 15), at(40, 13, 45));
    tree.file("left/b.DOC", 20000, at(10, 0, 10), at(400, 23, 59, 58));
    tree.dir("right");
    tree.file("right/c.txt", 4096, at(100, 12, 30), at(2000, 12, 0), 0444);
    tree.file("right/noext", 0, at(500, 0, 45), at(1200, 0, 0, 30));
    TempTree reports;
    const auto reportOf = [&](const std::string &target, const std::string &file) {
        std::ostringstream json;
        env.out = &json;
        EXPECT_EQ(runReport({"--json", target}, env), 0) << err.str();
        std::ofstream(reports.root() + "/" + file) << json.str();
        return reports.root() + "/" + file;
    };
    const std::string whole = reportOf(tree.root(), "whole.json");
    const std::string left = reportOf(tree.root() + "/left", "left.json");
    const std::string right = reportOf(tree.root() + "/right", "right.json");

    std::ostringstream merged;
    env.out = &merged;
    ASSERT_EQ(runReport({"--merge", "--json", left, right}, env), 0) << err.str();
    std::ifstream in(whole);
    const std::string wholeJson((std::istreambuf_iterator<char>(in)), {});
    const ReportFile sum = readReport(merged.str());
    EXPECT_EQ(sum.statistics, readReport(wholeJson).statistics) << merged.str();
    ASSERT_EQ(sum.drives.size(), 2u);
    EXPECT_NE(sum.drives[1].entry.find("right]"), std::string::npos) << sum.drives[1].entry;

    std::ostringstream text;
    env.out = &text;
    ASSERT_EQ(runReport({"--merge", left, right}, env), 0) << err.str();
    EXPECT_NE(text.str().find("Added up from 2 reports\n"), std::string::npos) << text.str();

    // A file that is no report, or none at all: one line, status 2, nothing printed.
    std::ostringstream none;
    env.out = &none;
    for (const std::string &bad : {reports.root() + "/missing.json", tree.root() + "/left/a.txt"}) {
        err.str({});
        EXPECT_EQ(runReport({"--merge", left, bad}, env), 2);
        const std::string said = err.str();
        EXPECT_EQ(said.rfind("vorin-report: " + bad, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    EXPECT_EQ(none.str(), "");
}

TEST_F(ReportTest, aFilterCountsOnlyTheChosenTypes)
{
    buildTree();
    ASSERT_EQ(run({"--json", "--exclude", "*.TXT"}), 0);
    EXPECT_NE(out.str().find(",\"filesProcessed\":5,\"filesSelected\":3,"), std::string::npos)
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
// Windows listings do not tell the names of one file apart.
#ifndef _WIN32
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
    EXPECT_NE(json.find(",\"filesProcessed\":3,\"filesSelected\":3,"), std::string::npos) << json;
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

#endif

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

TEST_F(ReportTest, helpNamesEveryOptionAndTheExitCodes)
{
    ASSERT_EQ(runReport({"--help"}, env), 0);
    EXPECT_EQ(err.str(), "");
    const std::string help = out.str();
    EXPECT_EQ(help, reportHelp());
    EXPECT_TRUE(help.starts_with("Usage: vorin-report [OPTION]... TARGET...\n")) << help;
    for (const char *part :
         {"--json", "--csv", "--threads N", "--include EXT,...", "--exclude EXT,...", "--drives",
          "--help", "--version", "  --  ", "table,key,label,files,bytes",
          "Exit status:", "\n  0    done\n", "\n  1    nothing could be scanned\n",
          "\n  2    bad command line", "\n  130  interrupted\n"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

TEST_F(ReportTest, versionIsOneLineOnStandardOutput)
{
    env.version = "1.2.3";
    ASSERT_EQ(runReport({"--version"}, env), 0);
    EXPECT_EQ(out.str(), "vorin-report 1.2.3\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(ReportTest, badCommandLinesStayOnStandardError)
{
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"--csv", "--json", tree.root()}, {"--frobnicate", "--help"}, {"--csv"}}) {
        out.str("");
        err.str("");
        EXPECT_EQ(runReport(args, env), 2) << ::testing::PrintToString(args);
        EXPECT_EQ(out.str(), "");
        const std::string message = err.str();
        EXPECT_TRUE(message.starts_with("vorin-report: ")) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

// Splits CSV text into records of fields, quotes undone. Records end in CR LF.
std::vector<std::vector<std::string>> parseCsv(std::string_view text)
{
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string &field = records.back().back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            field += c;
        }
    }
    if (records.back() == std::vector<std::string>(1))
        records.pop_back();
    return records;
}

TEST_F(ReportTest, csvHoldsEveryFigureAsOneTidyTable)
{
    buildTree();
    // Thousands separators would split the figures into columns.
    env.locale = LocaleSeparators{",", "."};

    ASSERT_EQ(run({"--csv"}), 0) << err.str();

    const std::string csv = out.str();
    EXPECT_TRUE(csv.starts_with("table,key,label,files,bytes\r\n")) << csv;
    const std::vector<std::vector<std::string>> records = parseCsv(csv);
    // The heading; 3 types, 12 size bands, 3 x 10 ages, 3 x 48 half hours, 4 attributes.
    ASSERT_EQ(records.size(), 1u + 3 + 12 + 30 + 144 + 4);
    std::map<std::string, int> rowsPerTable;
    for (const std::vector<std::string> &record : records) {
        ASSERT_EQ(record.size(), 5u) << ::testing::PrintToString(record);
        ++rowsPerTable[record[0]];
    }
    EXPECT_EQ(rowsPerTable, (std::map<std::string, int>{{"table", 1},
                                                        {"types", 3},
                                                        {"sizes", 12},
                                                        {"accessAge", 10},
                                                        {"createdAge", 10},
                                                        {"modifiedAge", 10},
                                                        {"modifiedTime", 48},
                                                        {"createdTime", 48},
                                                        {"accessTime", 48},
                                                        {"attributes", 4}}));
    const auto has = [&csv](const std::string &line) {
        EXPECT_NE(csv.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n in " << csv;
    };
    has("types,,No extension,1,0");
    has("types,.DOC,DOC File,1,20000");
    has("types,.TXT,plain text document,2,4196");
    has("sizes,1,0 - 16K,4,9196");
    has("sizes,2,16K - 32K,1,20000");
    has("sizes,12,Over 16MB,0,0");
    has("accessAge,2,8 - 30 days,1,20000");
    has("modifiedAge,9,Over 4 years,1,4096");
    has("modifiedTime,12,06:00,1,");
    has("modifiedTime,47,23:30,1,");
    has("accessTime,1,00:30,1,");
    has("attributes,readOnly,Read-only,1,4096");
    has("attributes,hidden,Hidden,1,5000");
    // Every file is new, and Windows marks new files for the archive.
    EXPECT_TRUE(csv.ends_with(testing::kNewFilesAreArchive
                                  ? "\r\nattributes,archive,Archive,5,29196\r\n"
                                  : "\r\nattributes,archive,Archive,0,0\r\n"))
        << csv;
}

TEST_F(ReportTest, csvQuotesATypeWithACommaInItsKeyAndQuotesInItsDescription)
{
    tree.file("bob.a,b", 10);
    registry.add(".a,b", "application/x-odd", "odd, \"quoted\" type");

    ASSERT_EQ(run({"--csv"}), 0) << err.str();

    const std::string csv = out.str();
    EXPECT_NE(csv.find("\r\ntypes,\".A,B\",\"odd, \"\"quoted\"\" type\",1,10\r\n"),
              std::string::npos)
        << csv;
    const std::vector<std::vector<std::string>> records = parseCsv(csv);
    ASSERT_EQ(records.size(), 1u + 1 + 12 + 30 + 144 + 4);
    EXPECT_EQ(records[1],
              (std::vector<std::string>{"types", ".A,B", "odd, \"quoted\" type", "1", "10"}));
}

// Windows names cannot hold a quote.
#ifndef _WIN32
TEST_F(ReportTest, csvQuotesATypeWithACommaAndAQuoteInItsKeyAndItsDescription)
{
    // The extension of this name is .a,"b; the register describes it with
    // a comma and quotes of its own.
    tree.file("say \"hi\", bob.a,\"b", 10);
    tree.file("plain.txt", 3);
    registry.add(".a,\"b", "application/x-odd", "odd, \"quoted\" type");

    ASSERT_EQ(run({"--csv"}), 0) << err.str();

    const std::string csv = out.str();
    EXPECT_NE(csv.find("\r\ntypes,\".A,\"\"B\",\"odd, \"\"quoted\"\" type\",1,10\r\n"),
              std::string::npos)
        << csv;
    const std::vector<std::vector<std::string>> records = parseCsv(csv);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[1],
              (std::vector<std::string>{"types", ".A,\"B", "odd, \"quoted\" type", "1", "10"}));
    EXPECT_EQ(records[2],
              (std::vector<std::string>{"types", ".TXT", "plain text document", "1", "3"}));
}

#endif

TEST_F(ReportTest, aDirectoryIsNamedAsTheNextDriveAfterTheMachinesWithItsPath)
{
    buildTree();
    Volume other;
    other.letter = 'c';
    other.type = kDriveFixed;
    other.root = "/nowhere-near";
    other.label = "/nowhere-near";
    volumes.add(other);
    volumes.add(Volume{'d', kDriveFixed, "/elsewhere", "/elsewhere", "ext4", ""});
    TempTree second;
    second.file("more.txt", 10);

    ASSERT_EQ(runReport({tree.root(), second.root(), tree.root() + "/."}, env), 0) << err.str();

    EXPECT_TRUE(out.str().starts_with("Drives:  e: [" + tree.root() + "]  f: [" + second.root() +
                                      "]  e: [" + tree.root() + "]\n"))
        << out.str();
}

TEST_F(ReportTest, aDirectoryThatIsADrivesRootIsThatDrive)
{
    buildTree();
    volumes.add(Volume{'c', kDriveFixed, tree.root(), "fixture", "ext4", ""}, {1e9, 2e9}, 512);

    ASSERT_EQ(runReport({"--json", tree.root()}, env), 0) << err.str();
    EXPECT_NE(out.str().find("\"clusterSize\":512,"), std::string::npos) << out.str();
    out.str("");
    ASSERT_EQ(runReport({tree.root()}, env), 0) << err.str();
    EXPECT_TRUE(out.str().starts_with("Drives:  c: [fixture]\n")) << out.str();
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
    EXPECT_NE(out.str().find(",\"filesProcessed\":5,\"filesSelected\":5,\"clusterSize\":512,"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(runReport({"--json", "r:"}, env), 2);
}

// A directory named on the command line is walked as the drive that holds
// it would be; --threads overrides that.
TEST_F(ReportTest, aDirectoryIsWalkedWithTheThreadsOfTheDriveThatHoldsIt)
{
    buildTree();
    const std::filesystem::path root = std::filesystem::canonical(tree.root());
    Volume holder;
    holder.letter = 'q';
    holder.type = kDriveFixed;
    holder.root = root.parent_path().string();
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
