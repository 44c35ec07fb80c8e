#include "selection/TypeFilter.h"

#include <gtest/gtest.h>
#include <ostream>

namespace vorin {
namespace {

TEST(TypeFilter, extractExtensionTakesTextUpToTheTabLowerCased)
{
    EXPECT_EQ(extractExtension("*.DOC\tx"), ".doc");
    EXPECT_EQ(extractExtension("*.doc\tWord document"), ".doc");
    EXPECT_EQ(extractExtension("*.doc"), "");
    EXPECT_EQ(extractExtension("*\t"), "");
    EXPECT_EQ(extractExtension(""), "");
    EXPECT_EQ(extractExtension("*.Ä\tx"), ".Ä"); // only A-Z change
}

TEST(TypeFilter, fileExtensionIsFromTheLastDot)
{
    EXPECT_EQ(fileExtension("archive.tar.gz"), ".gz");
    EXPECT_EQ(fileExtension(".profile"), ".profile");
    EXPECT_EQ(fileExtension("README"), "");
    EXPECT_EQ(fileExtension("trailing."), ".");
}

struct FilterCase
{
    const char *name;
    bool allFiles, include, exclude;
    std::vector<std::string> chosen;
    const char *file;
    bool counted;
};
void PrintTo(const FilterCase &c, std::ostream *out)
{
    *out << c.file;
}

class IsThisSelected : public testing::TestWithParam<FilterCase>
{
};

TEST_P(IsThisSelected, answersForAFileName)
{
    const FilterCase &c = GetParam();
    const TypeFilter filter(c.allFiles, c.include, c.exclude, c.chosen);
    EXPECT_EQ(filter.isThisSelected(c.file), c.counted);
}

const std::vector<std::string> kDocs = {"*.doc\tWord", "*.exe\tProgram"};

INSTANTIATE_TEST_SUITE_P(
    TypeFilter, IsThisSelected,
    testing::Values(
        FilterCase{"allFilesIgnoresTheList", true, false, false, kDocs, "x.bmp", true},
        FilterCase{"includeMatches", false, true, false, kDocs, "report.doc", true},
        FilterCase{"includeUpperCaseName", false, true, false, kDocs, "REPORT.DOC", true},
        FilterCase{"includeUpperCasePattern", false, true, false, {"*.DOC\tx"}, "report.doc", true},
        FilterCase{"includeOther", false, true, false, kDocs, "x.bmp", false},
        FilterCase{"excludeMatches", false, false, true, kDocs, "setup.exe", false},
        FilterCase{"excludeOther", false, false, true, kDocs, "x.bmp", true},
        FilterCase{"includeEmptyListCountsNothing", false, true, false, {}, "a.doc", false},
        FilterCase{"excludeEmptyListCountsAll", false, false, true, {}, "a.doc", true},
        FilterCase{"noWildcards", false, true, false, {"*.do?\tx"}, "a.doc", false},
        FilterCase{"literalQuestionMark", false, true, false, {"*.do?\tx"}, "a.do?", true},
        FilterCase{"lastDotCounts", false, true, false, {"*.gz\tx"}, "a.tar.gz", true},
        FilterCase{"noDotMatchesOnlyStar", false, true, false, {"*\t"}, "README", true},
        FilterCase{"noDotNotDoc", false, true, false, kDocs, "README", false},
        FilterCase{"dotFile", false, true, false, {"*.profile\tx"}, ".profile", true},
        FilterCase{"longerExtensionDiffers", false, true, false, kDocs, "a.docx", false}),
    [](const testing::TestParamInfo<FilterCase> &p) { return std::string(p.param.name); });

TEST(TypeFilter, chosenEntriesAreSortedWithoutRegardToCase)
{
    const TypeFilter filter(false, true, false, {"*.exe\tb", "*.DLL\ta", "*.doc\tc"});
    EXPECT_EQ(filter.chosenEntries(),
              (std::vector<std::string>{"*.DLL\ta", "*.doc\tc", "*.exe\tb"}));
}

} // namespace
} // namespace vorin
