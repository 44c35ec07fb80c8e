#include "support/Utility.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>

namespace vorin {
namespace {

const LocaleSeparators kEnglish{",", "."};
const LocaleSeparators kGerman{".", ","};
const LocaleSeparators kFrench{"\u202f", ","};

TEST(Utility, isDigitAcceptsOnlyZeroToNine)
{
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(isDigit(static_cast<char>(c)), c >= '0' && c <= '9') << c;
}

struct DigitsCase
{
    const char *in;
    const char *out;
};
void PrintTo(const DigitsCase &c, std::ostream *out)
{
    *out << '"' << c.in << '"';
}
class DigitsOnly : public testing::TestWithParam<DigitsCase>
{
};
TEST_P(DigitsOnly, dropsEverythingButDigits)
{
    EXPECT_EQ(digitsOnly(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Utility, DigitsOnly,
                         testing::Values(DigitsCase{"", ""}, DigitsCase{"1,234", "1234"},
                                         DigitsCase{"1,234.5", "12345"}, DigitsCase{"-7 MB", "7"},
                                         DigitsCase{"1\u202f234", "1234"}, DigitsCase{"abc", ""}));

struct IntCase
{
    const char *in;
    std::int32_t out;
};
void PrintTo(const IntCase &c, std::ostream *out)
{
    *out << '"' << c.in << '"';
}
class StrToIntZero : public testing::TestWithParam<IntCase>
{
};
TEST_P(StrToIntZero, readsSigned32BitOrGivesZero)
{
    EXPECT_EQ(strToIntZero(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Utility, StrToIntZero,
    testing::Values(IntCase{"12x", 0}, IntCase{"", 0}, IntCase{"4294967296", 0}, IntCase{"-7", -7},
                    IntCase{"+7", 7}, IntCase{"2147483647", 2147483647},
                    IntCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                    IntCase{"2147483648", 0}, IntCase{" 42 ", 42}, IntCase{"1,000", 0},
                    IntCase{"+-3", 0}, IntCase{"-", 0}, IntCase{"0x10", 0}));

TEST(Utility, strToInt64ZeroReadsTotalsPastTwoGigabytes)
{
    EXPECT_EQ(strToInt64Zero("4294967296"), 4294967296LL);
    EXPECT_EQ(strToInt64Zero("9223372036854775808"), 0);
}

struct FloatCase
{
    const char *in;
    double out;
    LocaleSeparators locale;
};
void PrintTo(const FloatCase &c, std::ostream *out)
{
    *out << '"' << c.in << '"';
}
class StrToFloatZero : public testing::TestWithParam<FloatCase>
{
};
TEST_P(StrToFloatZero, readsWithTheLocaleDecimalSeparator)
{
    EXPECT_DOUBLE_EQ(strToFloatZero(GetParam().in, GetParam().locale), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Utility, StrToFloatZero,
    testing::Values(FloatCase{"1.5", 1.5, kEnglish}, FloatCase{"-2.25e2", -225, kEnglish},
                    FloatCase{"", 0, kEnglish}, FloatCase{"abc", 0, kEnglish},
                    FloatCase{"1,5", 1.5, kGerman}, FloatCase{"1.5", 0, kGerman},
                    FloatCase{"1,234.5", 0, kEnglish}, FloatCase{"+3", 3, kEnglish},
                    FloatCase{"1e999", 0, kEnglish}, FloatCase{"nan", 0, kEnglish},
                    FloatCase{"inf", 0, kEnglish}, FloatCase{" 7 ", 7, kEnglish}));

struct FormatCase
{
    std::int64_t n;
    const char *out;
    LocaleSeparators locale;
};
void PrintTo(const FormatCase &c, std::ostream *out)
{
    *out << c.n;
}
class FormatInt : public testing::TestWithParam<FormatCase>
{
};
TEST_P(FormatInt, groupsThousands)
{
    EXPECT_EQ(formatInt(GetParam().n, GetParam().locale), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Utility, FormatInt,
    testing::Values(FormatCase{0, "0", kEnglish}, FormatCase{999, "999", kEnglish},
                    FormatCase{1000, "1,000", kEnglish}, FormatCase{1234567, "1,234,567", kEnglish},
                    FormatCase{-1234, "-1,234", kEnglish}, FormatCase{-999, "-999", kEnglish},
                    FormatCase{-100000, "-100,000", kEnglish},
                    FormatCase{1234567, "1.234.567", kGerman},
                    FormatCase{1234567, "1\u202f234\u202f567", kFrench},
                    FormatCase{std::numeric_limits<std::int64_t>::min(),
                               "-9,223,372,036,854,775,808", kEnglish}));

struct WholeCase
{
    double x;
    const char *out;
};
void PrintTo(const WholeCase &c, std::ostream *out)
{
    *out << c.x;
}
class FormatWhole : public testing::TestWithParam<WholeCase>
{
};
TEST_P(FormatWhole, roundsAndGroups)
{
    EXPECT_EQ(formatWhole(GetParam().x, kEnglish), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Utility, FormatWhole,
                         testing::Values(WholeCase{0.4, "0"}, WholeCase{1999.6, "2,000"},
                                         WholeCase{48128.4, "48,128"}, WholeCase{-0.4, "0"},
                                         WholeCase{-1500.5, "-1,501"},
                                         WholeCase{4294967296.0, "4,294,967,296"},
                                         WholeCase{99999999999999.0, "99,999,999,999,999"},
                                         WholeCase{123456789012345678.0, "123,456,789,012,350,000"},
                                         WholeCase{std::numeric_limits<double>::quiet_NaN(), ""},
                                         WholeCase{std::numeric_limits<double>::infinity(), ""}));

// A change is signed unless it rounds to nothing.
TEST(Utility, formatChangeSignsWhatChanged)
{
    const WholeCase cases[] = {{1204, "+1,204"}, {-3, "-3"}, {0, "0"}, {0.4, "0"}, {-0.4, "0"},
                               {-1500.5, "-1,501"}};
    for (const WholeCase &c : cases)
        EXPECT_EQ(formatChange(c.x, kEnglish), c.out) << c.x;
}

DirectoryEntry named(std::string_view name, std::uint32_t attributes)
{
    DirectoryEntry e;
    e.name = name;
    e.attributes = attributes;
    return e;
}

TEST(Utility, entryKindTellsDotsDirectoriesAndFiles)
{
    EXPECT_EQ(entryKind(named(".", kAttrDirectory)), 1);
    EXPECT_EQ(entryKind(named("..", kAttrDirectory)), 1);
    EXPECT_EQ(entryKind(named(".git", kAttrDirectory)), 0);
    EXPECT_EQ(entryKind(named("...", kAttrDirectory)), 0);
    EXPECT_EQ(entryKind(named("a.txt", kAttrArchive | kAttrReadOnly)), 2);
    EXPECT_EQ(entryKind(named("x", kAttrHidden | kAttrDirectory)), 0);
}

struct FieldCase
{
    const char *text;
    int n;
    const char *out;
};
void PrintTo(const FieldCase &c, std::ostream *out)
{
    *out << "field " << c.n;
}
class TabField : public testing::TestWithParam<FieldCase>
{
};
TEST_P(TabField, readsTrimmedField)
{
    EXPECT_EQ(tabField(GetParam().text, GetParam().n), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Utility, TabField,
    testing::Values(FieldCase{".DOC\t12\t48128", 3, "48128"}, FieldCase{".DOC\t12\t48128", 4, ""},
                    FieldCase{".DOC\t12\t48128", 1, ".DOC"}, FieldCase{"\tx", 1, ""},
                    FieldCase{"a\t B \tc", 2, "B"}, FieldCase{"a\t\x01x\x7f\tc", 2, "x\x7f"},
                    FieldCase{"abc", 0, ""}, FieldCase{"abc", -1, ""}, FieldCase{"", 1, ""},
                    FieldCase{"a\t", 2, ""}, FieldCase{"a\t", 3, ""}));

TEST(Utility, driveTypeLabelNamesTheFiveKnownTypes)
{
    EXPECT_EQ(driveTypeLabel(2), "(Removable disk)");
    EXPECT_EQ(driveTypeLabel(3), "(Fixed disk)");
    EXPECT_EQ(driveTypeLabel(4), "(Remote disk)");
    EXPECT_EQ(driveTypeLabel(5), "(CD-ROM)");
    EXPECT_EQ(driveTypeLabel(6), "(RAM-Disk)");
    for (int code : {0, 1, 7, -1, 100})
        EXPECT_EQ(driveTypeLabel(code), "") << code;
}

TEST(Utility, caseChangesTouchOnlyAsciiLetters)
{
    EXPECT_EQ(asciiUpper(".tar.gz é"), ".TAR.GZ é");
    EXPECT_EQ(asciiLower("*.DOC\xC3\x89"), "*.doc\xC3\x89");
    EXPECT_TRUE(equalsIgnoringAsciiCase("Include", "INCLUDE"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Include", "Includes"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("\xC3\xA9", "\xC3\x89")); // é and É are not ASCII
}

struct SequenceCase
{
    const char *bytes;
    std::size_t length;
};
class Utf8SequenceLength : public ::testing::TestWithParam<SequenceCase>
{
};
TEST_P(Utf8SequenceLength, acceptsOnlyWellFormedSequences)
{
    EXPECT_EQ(utf8SequenceLength(GetParam().bytes, 0), GetParam().length)
        << ::testing::PrintToString(std::string(GetParam().bytes));
}
INSTANTIATE_TEST_SUITE_P(
    Utility, Utf8SequenceLength,
    ::testing::Values(SequenceCase{"a", 1}, SequenceCase{"\xC3\xA9", 2},
                      SequenceCase{"\xE6\x96\x87", 3}, SequenceCase{"\xF0\x9F\x98\x80", 4},
                      SequenceCase{"\xF4\x8F\xBF\xBF", 4}, // U+10FFFF, the last one
                      SequenceCase{"\x80", 0}, SequenceCase{"\xBF\xBF", 0},
                      SequenceCase{"\xC0\xAF", 0}, SequenceCase{"\xC1\xBF", 0},
                      SequenceCase{"\xE0\x80\xAF", 0}, SequenceCase{"\xED\xA0\x80", 0},
                      SequenceCase{"\xF0\x8F\xBF\xBF", 0}, SequenceCase{"\xF4\x90\x80\x80", 0},
                      SequenceCase{"\xF5\x80\x80\x80", 0}, SequenceCase{"\xE2\x82", 0},
                      SequenceCase{"\xE9t", 0}, SequenceCase{"", 0}));

TEST(Utility, characterCountGivesEveryByteStringACount)
{
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("r\xC3\xA9sum\xC3\xA9"), 6u); // résumé in UTF-8
    EXPECT_EQ(characterCount("r\xE9sum\xE9"), 6u);         // and in Latin-1
    EXPECT_EQ(characterCount(std::string(9, '\x80')), 9u);
    EXPECT_EQ(characterCount("\xC3\xA9\xC3"), 2u); // the last sequence cut short
}

} // namespace
} // namespace vorin
