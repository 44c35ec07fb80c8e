#include "support/TimeOfDay.h"

#include <gtest/gtest.h>
#include <ostream>

namespace vorin {
namespace {

struct FormatCase
{
    const char *label;
    const char *pattern;
    int hours;
    int minutes;
    const char *expected;
};
void PrintTo(const FormatCase &c, std::ostream *out)
{
    *out << c.label;
}
class FormatTimeOfDay : public testing::TestWithParam<FormatCase>
{
};
TEST_P(FormatTimeOfDay, writesTheClockByThePattern)
{
    const TimeOfDayFormat format{GetParam().pattern, "AM", "PM"};
    EXPECT_EQ(formatTimeOfDay(format, GetParam().hours, GetParam().minutes), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    TimeOfDay, FormatTimeOfDay,
    testing::Values(FormatCase{"hours24Padded", "%H:%M", 9, 30, "09:30"},
                    FormatCase{"hours24Afternoon", "%H:%M", 14, 0, "14:00"},
                    FormatCase{"midnight24", "%H:%M", 0, 0, "00:00"},
                    FormatCase{"lastSlot24", "%H:%M", 23, 30, "23:30"},
                    FormatCase{"hours12Afternoon", "%I:%M %p", 14, 0, "02:00 PM"},
                    FormatCase{"hours12Morning", "%I:%M %p", 2, 30, "02:30 AM"},
                    FormatCase{"midnightIsTwelveAm", "%I:%M %p", 0, 0, "12:00 AM"},
                    FormatCase{"noonIsTwelvePm", "%I:%M %p", 12, 0, "12:00 PM"},
                    FormatCase{"lastMinuteBeforeNoonIsAm", "%I:%M %p", 11, 59, "11:59 AM"},
                    FormatCase{"minutesPadded", "%H.%M", 7, 5, "07.05"},
                    FormatCase{"rIsHoursAndMinutes", "%R", 14, 30, "14:30"},
                    FormatCase{"tHasZeroSeconds", "%T", 14, 30, "14:30:00"},
                    FormatCase{"rLowerIsTwelveHourWithSeconds", "%r", 14, 30, "02:30:00 PM"},
                    FormatCase{"secondsAreZero", "%H:%M:%S", 8, 0, "08:00:00"},
                    FormatCase{"spacePaddedHours", "%k:%M", 9, 0, " 9:00"},
                    FormatCase{"spacePaddedTwelveHours", "%l:%M %p", 21, 0, " 9:00 PM"},
                    FormatCase{"noPaddingFlag", "%-I:%M %p", 9, 0, "9:00 AM"},
                    FormatCase{"spacePaddingFlag", "%_H:%M", 9, 0, " 9:00"},
                    FormatCase{"zeroPaddingFlag", "%0k:%M", 9, 0, "09:00"},
                    FormatCase{"widthGiven", "%3H", 9, 0, "009"},
                    FormatCase{"lowerCaseHalf", "%I:%M %P", 14, 0, "02:00 pm"},
                    FormatCase{"upperCaseFlag", "%I:%M %^p", 14, 0, "02:00 PM"},
                    FormatCase{"alternativeDigitsModifierRead", "%OH:%OM", 14, 30, "14:30"},
                    FormatCase{"percentSign", "%H%%", 14, 0, "14%"},
                    FormatCase{"dateConversionWritesNothing", "%d %H:%M", 14, 0, " 14:00"},
                    FormatCase{"loneTrailingPercentIsText", "%H:%M %", 14, 0, "14:00 %"},
                    FormatCase{"nonAsciiLiteralsKept", "%H\u6642%M\u5206", 14, 30,
                               "14\u664230\u5206"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST(TimeOfDay, halfDayWordsComeFromTheFormat)
{
    const TimeOfDayFormat format{"%p %I:%M", "\u5348\u524d", "\u5348\u5f8c"};
    EXPECT_EQ(formatTimeOfDay(format, 14, 0), "\u5348\u5f8c 02:00");
    EXPECT_EQ(formatTimeOfDay(format, 9, 30), "\u5348\u524d 09:30");
}

TEST(TimeOfDay, defaultFormatIsTheTwentyFourHourClock)
{
    const TimeOfDayFormat format;
    EXPECT_EQ(format.pattern, "%H:%M");
    EXPECT_EQ(formatTimeOfDay(format, 14, 0), "14:00");
}

struct SecondsCase
{
    const char *label;
    const char *pattern;
    const char *expected;
};
void PrintTo(const SecondsCase &c, std::ostream *out)
{
    *out << c.label;
}
class WithoutSeconds : public testing::TestWithParam<SecondsCase>
{
};
TEST_P(WithoutSeconds, dropsTheSecondsAndWhatBelongsToThem)
{
    EXPECT_EQ(withoutSeconds(GetParam().pattern), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    TimeOfDay, WithoutSeconds,
    testing::Values(
        SecondsCase{"colon", "%H:%M:%S", "%H:%M"}, SecondsCase{"point", "%H.%M.%S", "%H.%M"},
        SecondsCase{"beforeHalfDay", "%I:%M:%S %p", "%I:%M %p"},
        SecondsCase{"tSpelledOut", "%T", "%H:%M"}, SecondsCase{"rSpelledOut", "%r", "%I:%M %p"},
        SecondsCase{"rKeptWithoutSeconds", "%R", "%R"},
        SecondsCase{"flaggedSeconds", "%H:%M:%0S", "%H:%M"},
        SecondsCase{"secondsWithUnitWord", "%H\u6642%M\u5206%S\u79d2", "%H\u6642%M\u5206"},
        SecondsCase{"secondsWithUnitWordAfterBlank", "%H h %M min %S s", "%H h %M min"},
        SecondsCase{"wordAfterSecondsStays", "%H:%M:%S Uhr", "%H:%M Uhr"},
        SecondsCase{"noSeconds", "%H:%M", "%H:%M"}, SecondsCase{"twiceSeconds", "%T %S", "%H:%M"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

struct LocaleCase
{
    const char *label;
    const char *timePattern;
    const char *amPmPattern;
    const char *am;
    const char *pm;
    const char *expectedPattern;
    const char *at1400;
};
void PrintTo(const LocaleCase &c, std::ostream *out)
{
    *out << c.label;
}
class ShortTimeFormat : public testing::TestWithParam<LocaleCase>
{
};
// The patterns are those the locales name; the logic is tested on them
// whether or not such a locale is installed.
TEST_P(ShortTimeFormat, comesFromTheLocalesPatternsWithoutSeconds)
{
    const LocaleCase &c = GetParam();
    const TimeOfDayFormat format = shortTimeFormat(c.timePattern, c.amPmPattern, c.am, c.pm);
    EXPECT_EQ(format.pattern, c.expectedPattern);
    EXPECT_EQ(formatTimeOfDay(format, 14, 0), c.at1400);
}
INSTANTIATE_TEST_SUITE_P(
    TimeOfDay, ShortTimeFormat,
    testing::Values(
        LocaleCase{"cLocale", "%H:%M:%S", "%I:%M:%S %p", "AM", "PM", "%H:%M", "14:00"},
        LocaleCase{"usEnglishTwelveHour", "%r", "%I:%M:%S %p", "AM", "PM", "%I:%M %p", "02:00 PM"},
        LocaleCase{"germanT", "%T", "", "", "", "%H:%M", "14:00"},
        LocaleCase{"finnishPoints", "%H.%M.%S", "", "", "", "%H.%M", "14.00"},
        LocaleCase{"japaneseWords", "%H\u6642%M\u5206%S\u79d2", "%p%I\u6642%M\u5206%S\u79d2",
                   "\u5348\u524d", "\u5348\u5f8c", "%H\u6642%M\u5206", "14\u664200\u5206"},
        LocaleCase{"onlyTwelveHourPattern", "", "%I:%M:%S %p", "am", "pm", "%I:%M %p", "02:00 pm"},
        LocaleCase{"rWithoutLocalePatternIsPosix", "%r", "", "AM", "PM", "%I:%M %p", "02:00 PM"},
        LocaleCase{"nothingNamed", "", "", "", "", "%H:%M", "14:00"},
        LocaleCase{"noHourLeft", "%M:%S", "", "", "", "%H:%M", "14:00"},
        LocaleCase{"twelveHourWithoutHalfDayWords", "%I:%M:%S", "", "", "", "%H:%M", "14:00"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

struct WindowsCase
{
    const char *label;
    const char *picture;
    const char *am;
    const char *pm;
    const char *expectedPattern;
    const char *at1405;
    const char *at0930;
};
void PrintTo(const WindowsCase &c, std::ostream *out)
{
    *out << c.label;
}
class WindowsShortTimeFormat : public testing::TestWithParam<WindowsCase>
{
};
// Time pictures as Windows locales name them (LOCALE_SSHORTTIME).
TEST_P(WindowsShortTimeFormat, readsTheLocalesTimePicture)
{
    const WindowsCase &c = GetParam();
    const TimeOfDayFormat format = windowsShortTimeFormat(c.picture, c.am, c.pm);
    EXPECT_EQ(format.pattern, c.expectedPattern);
    EXPECT_EQ(formatTimeOfDay(format, 14, 5), c.at1405);
    EXPECT_EQ(formatTimeOfDay(format, 9, 30), c.at0930);
}
INSTANTIATE_TEST_SUITE_P(
    TimeOfDay, WindowsShortTimeFormat,
    testing::Values(
        WindowsCase{"usEnglish", "h:mm tt", "AM", "PM", "%-I:%M %p", "2:05 PM", "9:30 AM"},
        WindowsCase{"german", "HH:mm", "", "", "%H:%M", "14:05", "09:30"},
        WindowsCase{"unpaddedHours", "H:mm", "", "", "%-H:%M", "14:05", "9:30"},
        WindowsCase{"paddedTwelveHours", "hh:mm tt", "AM", "PM", "%I:%M %p", "02:05 PM",
                    "09:30 AM"},
        WindowsCase{"secondsDropped", "HH:mm:ss", "", "", "%H:%M", "14:05", "09:30"},
        WindowsCase{"halfDayWordFirst", "tt h:mm", "\uc624\uc804", "\uc624\ud6c4", "%p %-I:%M",
                    "\uc624\ud6c4 2:05", "\uc624\uc804 9:30"},
        WindowsCase{"singleTIsTheFirstCharacter", "h:mm t", "AM", "PM", "%-I:%M %p", "2:05 P",
                    "9:30 A"},
        WindowsCase{"singleTOfAWordBeyondAscii", "H:mm t", "\u5348\u524d", "\u5348\u5f8c",
                    "%-H:%M %p", "14:05 \u5348", "9:30 \u5348"},
        WindowsCase{"quotedText", "H' h 'mm", "", "", "%-H h %M", "14 h 05", "9 h 30"},
        WindowsCase{"quotedLettersAreNotFields", "HH'h'mm", "", "", "%Hh%M", "14h05", "09h30"},
        WindowsCase{"doubledQuoteIsAQuote", "HH''mm", "", "", "%H'%M", "14'05", "09'30"},
        WindowsCase{"percentIsText", "HH%mm", "", "", "%H%%%M", "14%05", "09%30"},
        WindowsCase{"nonAsciiLiterals", "H\u6642mm\u5206", "", "", "%-H\u6642%M\u5206",
                    "14\u664205\u5206", "9\u664230\u5206"},
        WindowsCase{"noHourGivesTheDefault", "mm:ss", "", "", "%H:%M", "14:05", "09:30"},
        WindowsCase{"twelveHoursWithoutWordsGiveTheDefault", "h:mm", "", "", "%H:%M", "14:05",
                    "09:30"},
        WindowsCase{"emptyPictureGivesTheDefault", "", "AM", "PM", "%H:%M", "14:05", "09:30"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

} // namespace
} // namespace vorin
