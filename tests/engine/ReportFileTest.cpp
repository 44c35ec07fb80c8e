#include "engine/report/ReportFile.h"

#include "engine/report/Report.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "selection/StatFiles.h"

#include <gtest/gtest.h>
#include <ostream>
#include <sstream>

namespace vorin {
namespace {

// Figures in every table, a type whose key is no UTF-8, sums past 2^53.
Statistics someFigures(std::int64_t scale)
{
    Statistics s;
    s.lbTypes = {{"", 1 * scale, 0}, {".DOC", 2 * scale, 20000 * scale}, {".\xff\n", scale, 7}};
    s.sizeBandCount[1] = double(3 * scale);
    s.sizeBandBytes[12] = 9007199254740993.0;
    s.accessAgeCount[9] = double(scale);
    s.modifiedTimeSlots[47] = double(2 * scale);
    s.hiddenCount = scale;
    s.hiddenBytes = 5000;
    s.overhang64K = 1234;
    s.filesProcessed = 4 * scale;
    s.filesSelected = 4 * scale;
    return s;
}

std::string jsonOf(const Statistics &s, const std::vector<ReportDrive> &drives,
                   std::string_view filter)
{
    std::ostringstream out;
    const FakeFileTypeRegistry registry;
    writeReportJson(out, s, 4096, {2}, drives, filter, 3, 1, true, registry);
    return out.str();
}

TEST(ReportFile, readsBackWhatTheReportWrote)
{
    const Statistics s = someFigures(1);
    const std::vector<ReportDrive> drives{{"e: [/srv/\xe9t\xe9]", 1e12, 2.5e11}};
    const ReportFile report = readReport(jsonOf(s, drives, "include *.doc\t"));
    EXPECT_EQ(report.format, kReportFormat);
    EXPECT_EQ(report.statistics, s);
    EXPECT_EQ(report.drives, drives);
    EXPECT_EQ(report.filter, "include *.doc\t");
    EXPECT_EQ(report.clusterSize, 4096);
    EXPECT_EQ(report.walkThreads, std::vector<int>{2});
    EXPECT_EQ(report.unreadableDirectories, 3);
    EXPECT_EQ(report.hardLinksSkipped, 1);
    EXPECT_TRUE(report.complete);
    EXPECT_EQ(report.descriptions.at(".DOC"), "DOC File");
    EXPECT_EQ(describeExtension(".doc", ReportDescriptions(report.descriptions)), "DOC File");
}

TEST(ReportFile, theFirstReportsWithoutFormatOrDrivesAreRead)
{
    std::string json = jsonOf(someFigures(1), {}, "");
    json.erase(1, json.find("\"filesProcessed\"") - 1); // as the first reports began
    const ReportFile report = readReport(json);
    EXPECT_EQ(report.format, 1);
    EXPECT_EQ(report.statistics, someFigures(1));
    EXPECT_TRUE(report.drives.empty());
}

struct BadCase
{
    const char *label;
    std::string text;
    const char *says;
};
void PrintTo(const BadCase &c, std::ostream *out)
{
    *out << c.label;
}
class ReportFileRefuses : public testing::TestWithParam<BadCase>
{
};
TEST_P(ReportFileRefuses, withOneLineNamingWhatIsWrong)
{
    try {
        (void)readReport(GetParam().text);
        FAIL() << "read";
    } catch (const ReportFileError &e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().says), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
    }
}
const std::string kWhole = jsonOf(someFigures(1), {}, "");
std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    return text.replace(text.find(from), from.size(), to);
}
INSTANTIATE_TEST_SUITE_P(
    ReportFile, ReportFileRefuses,
    testing::Values(
        BadCase{"text report", "Drives:  c:\n", "no JSON"},
        BadCase{"cut short", kWhole.substr(0, kWhole.size() / 2), "ends early"},
        BadCase{"other JSON", R"({"name":"x"})", "not a report"},
        BadCase{"newer format", replaced(kWhole, "\"format\":2", "\"format\":3"),
                "newer format (3)"},
        BadCase{"figures missing", replaced(kWhole, "\"hiddenCount\"", "\"hidden\""),
                "\"hiddenCount\""},
        BadCase{"a band too few", replaced(kWhole, "\"sizeBandCount\":[3,", "\"sizeBandCount\":["),
                "holds 11 figures, not 12"},
        BadCase{"a negative count", replaced(kWhole, "\"filesSelected\":4", "\"filesSelected\":-4"),
                "\"filesSelected\""},
        BadCase{"a type without key", replaced(kWhole, "\"key\":\".DOC\"", "\"kex\":\".DOC\""),
                "a type without its key"}));

TEST(ReportMerge, everyFigureIsTheSumAndTheDrivesAreListedTogether)
{
    ReportFile a = readReport(jsonOf(someFigures(1), {{"e: [/a]", 10, 5}}, ""));
    ReportFile b = readReport(jsonOf(someFigures(2), {{"f: [/b]", 20, 7}}, ""));
    b.complete = false;
    Statistics expected = someFigures(1);
    expected.merge(someFigures(2));

    const ReportFile sum = mergeReports({{"a.json", a}, {"b.json", b}});
    EXPECT_EQ(sum.statistics, expected);
    EXPECT_EQ(sum.statistics.lbTypes[1].files, 6);
    EXPECT_EQ(sum.drives, (std::vector<ReportDrive>{{"e: [/a]", 10, 5}, {"f: [/b]", 20, 7}}));
    EXPECT_EQ(sum.unreadableDirectories, 6);
    EXPECT_EQ(sum.hardLinksSkipped, 2);
    EXPECT_FALSE(sum.complete);
    EXPECT_EQ(sum.walkThreads, (std::vector<int>{2, 2}));
}

TEST(ReportMerge, reportsThatDoNotAddUpAreRefusedNamingBoth)
{
    const ReportFile all = readReport(jsonOf(someFigures(1), {}, ""));
    const ReportFile docs = readReport(jsonOf(someFigures(1), {}, "include *.doc\t"));
    ReportFile first = all;
    first.format = 1;
    for (const auto &[other, says] :
         {std::pair{docs, "a.json counts all files, b.json counts \"include *.doc\t\""},
          std::pair{first, "a.json is a report of format 2, b.json of format 1"}}) {
        try {
            (void)mergeReports({{"a.json", all}, {"b.json", other}});
            ADD_FAILURE() << "merged";
        } catch (const ReportFileError &e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace vorin
