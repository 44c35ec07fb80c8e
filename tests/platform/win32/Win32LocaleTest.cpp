#include "platform/win32/Win32Locale.h"

#include "platform/Locale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

namespace vorin {
namespace {

TEST(Win32Locale, separatorsComeFromTheLocale)
{
    EXPECT_EQ(localeSeparatorsOf(L"en-US"), (LocaleSeparators{",", "."}));
    EXPECT_EQ(localeSeparatorsOf(L"de-DE"), (LocaleSeparators{".", ","}));
    // French groups with a no-break space, narrow on newer systems; either
    // arrives as UTF-8.
    const LocaleSeparators french = localeSeparatorsOf(L"fr-FR");
    EXPECT_THAT(french.thousands, ::testing::AnyOf("\xc2\xa0", "\xe2\x80\xaf"));
    EXPECT_EQ(french.decimal, ",");
}

TEST(Win32Locale, theShortTimeFormatIsTheLocalesWithoutSeconds)
{
    const TimeOfDayFormat american = shortTimeFormatOf(L"en-US");
    EXPECT_EQ(american.pattern, "%-I:%M %p");
    EXPECT_EQ(formatTimeOfDay(american, 14, 5), "2:05 PM");

    const TimeOfDayFormat german = shortTimeFormatOf(L"de-DE");
    EXPECT_EQ(german.pattern, "%H:%M");
    EXPECT_EQ(formatTimeOfDay(german, 9, 30), "09:30");
}

TEST(Win32Locale, anUnknownLocaleGivesTheDefaults)
{
    EXPECT_EQ(shortTimeFormatOf(L"xx-NOWHERE"), TimeOfDayFormat{});
    EXPECT_EQ(localeSeparatorsOf(L"xx-NOWHERE"), LocaleSeparators{});
}

TEST(Win32Locale, theUsersFormatsAreThoseOfTheUsersLocale)
{
    EXPECT_EQ(systemLocaleSeparators(), localeSeparatorsOf(LOCALE_NAME_USER_DEFAULT));
    EXPECT_EQ(systemShortTimeFormat(), shortTimeFormatOf(LOCALE_NAME_USER_DEFAULT));
}

} // namespace
} // namespace vorin
