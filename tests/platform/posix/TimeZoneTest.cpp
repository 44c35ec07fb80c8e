#include "platform/TimeZone.h"

#include "PlatformTestSupport.h"

#include <ctime>
#include <gtest/gtest.h>

namespace vorin {
namespace {

using test::ZoneOverride;

constexpr const char *kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char *kNewYork = "EST5EDT,M3.2.0,M11.1.0";

struct OffsetCase
{
    const char *label;
    const char *tz;
    std::int64_t utcSeconds;
    std::int32_t expected;
};

class SystemTimeZoneOffset : public ::testing::TestWithParam<OffsetCase>
{
};

TEST_P(SystemTimeZoneOffset, followsTheZoneRules)
{
    ZoneOverride zone(GetParam().tz);
    EXPECT_EQ(SystemTimeZone().utcOffsetSeconds(GetParam().utcSeconds), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, SystemTimeZoneOffset,
    ::testing::Values(
        OffsetCase{"utcAtTheEpoch", "UTC0", 0, 0},
        OffsetCase{"utcBefore1970", "UTC0", -31622400, 0},
        OffsetCase{"berlinWinter", kBerlin, 1705320000, 3600},           // 2024-01-15 12:00 UTC
        OffsetCase{"berlinSummer", kBerlin, 1721044800, 7200},           // 2024-07-15 12:00 UTC
        OffsetCase{"berlinLastWinterSecond", kBerlin, 1711846799, 3600}, // 2024-03-31 00:59:59 UTC
        OffsetCase{"berlinFirstSummerSecond", kBerlin, 1711846800, 7200},
        OffsetCase{"berlinLastSummerSecond", kBerlin, 1729990799, 7200}, // 2024-10-27 00:59:59 UTC
        OffsetCase{"berlinFirstWinterSecond", kBerlin, 1729990800, 3600},
        OffsetCase{"berlin1990", kBerlin, 632404800, 3600},
        OffsetCase{"newYorkBeforeTheChange", kNewYork, 1678604399,
                   -18000}, // 2023-03-12 06:59:59 UTC
        OffsetCase{"newYorkAfterTheChange", kNewYork, 1678604400, -14400},
        OffsetCase{"halfHourZone", "<+0530>-5:30", 1705320000, 19800}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

struct TodayCase
{
    const char *label;
    const char *tz;
    std::int64_t offsetSeconds;
};

class LocalToday : public ::testing::TestWithParam<TodayCase>
{
};

TEST_P(LocalToday, isTheDateOnTheLocalCalendar)
{
    ZoneOverride zone(GetParam().tz);
    // The day may turn between the two readings of the clock; either side
    // of the turn is right then.
    const std::int64_t before =
        static_cast<std::int64_t>(std::time(nullptr)) + GetParam().offsetSeconds;
    const std::int64_t today = localToday();
    const std::int64_t after =
        static_cast<std::int64_t>(std::time(nullptr)) + GetParam().offsetSeconds;
    EXPECT_TRUE(today == before / 86400 || today == after / 86400)
        << today << " is neither " << before / 86400 << " nor " << after / 86400;
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalToday,
                         ::testing::Values(TodayCase{"utc", "UTC0", 0},
                                           TodayCase{"farEast", "<+14>-14", 14 * 3600},
                                           TodayCase{"farWest", "<-12>12", -12 * 3600}),
                         [](const auto &testCase) { return std::string(testCase.param.label); });

} // namespace
} // namespace vorin
