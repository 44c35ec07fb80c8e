#include "platform/win32/Win32TimeZone.h"

#include "platform/TimeZone.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace vorin {
namespace {

std::int64_t utc(int year, unsigned month, unsigned day, int hours, int minutes = 0,
                 int seconds = 0)
{
    return daysFromCivil(year, month, day) * 86400 + hours * 3600 + minutes * 60 + seconds;
}

TEST(Win32TimeZone, summerAndWinterTimeByTheZonesRules)
{
    const wchar_t *berlin = L"W. Europe Standard Time";
    EXPECT_EQ(utcOffsetInZone(berlin, utc(2020, 1, 15, 12)), 3600);
    EXPECT_EQ(utcOffsetInZone(berlin, utc(2020, 7, 1, 12)), 7200);
    // Summer time began at 01:00 UTC on 28 March 2021.
    EXPECT_EQ(utcOffsetInZone(berlin, utc(2021, 3, 28, 0, 59, 59)), 3600);
    EXPECT_EQ(utcOffsetInZone(berlin, utc(2021, 3, 28, 1)), 7200);
    EXPECT_EQ(utcOffsetInZone(L"Pacific Standard Time", utc(2020, 7, 1, 12)), -7 * 3600);
}

// Moscow kept UTC+4 all year from 2011 to 2014 and UTC+3 since: each date is
// converted by the rules of its own year.
TEST(Win32TimeZone, eachDateTakesTheRulesOfItsOwnYear)
{
    const wchar_t *moscow = L"Russian Standard Time";
    EXPECT_EQ(utcOffsetInZone(moscow, utc(2012, 1, 15, 12)), 4 * 3600);
    EXPECT_EQ(utcOffsetInZone(moscow, utc(2016, 1, 15, 12)), 3 * 3600);
}

TEST(Win32TimeZone, instantsWindowsCannotNameGiveNoOffset)
{
    EXPECT_EQ(utcOffsetInZone(L"W. Europe Standard Time", -12000000000LL), 0);
    EXPECT_EQ(utcOffsetInZone(L"No Such Standard Time", utc(2020, 7, 1, 12)), 0);
}

TEST(Win32TimeZone, theSystemZoneAndTodayAreTheMachines)
{
    const SystemTimeZone zone;
    const std::int64_t now = utc(2020, 7, 1, 12);
    EXPECT_EQ(zone.utcOffsetSeconds(now), utcOffsetInZone(nullptr, now));

    SYSTEMTIME local{};
    GetLocalTime(&local);
    const std::int64_t today = localToday();
    EXPECT_TRUE(today == daysFromCivil(local.wYear, local.wMonth, local.wDay) ||
                today == daysFromCivil(local.wYear, local.wMonth, local.wDay) + 1);
}

} // namespace
} // namespace vorin
