#include "support/DosTime.h"

#include "support/Utility.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <limits>
#include <optional>
#include <ostream>
#include <vector>

namespace vorin {
namespace {

class FixedOffset final : public UtcOffsetSource
{
public:
    explicit FixedOffset(std::int32_t seconds) : m_seconds(seconds) {}
    std::int32_t utcOffsetSeconds(std::int64_t) const override
    {
        ++calls;
        return m_seconds;
    }
    mutable int calls = 0;

private:
    std::int32_t m_seconds;
};

// Summer time from 2000-03-26 01:00 UTC to 2000-10-29 01:00 UTC.
class SummerTime final : public UtcOffsetSource
{
public:
    std::int32_t utcOffsetSeconds(std::int64_t t) const override
    {
        const std::int64_t start = daysFromCivil(2000, 3, 26) * 86400 + 3600;
        const std::int64_t end = daysFromCivil(2000, 10, 29) * 86400 + 3600;
        return t >= start && t < end ? 7200 : 3600;
    }
};

std::int64_t utc(int y, unsigned mo, unsigned d, int h = 0, int mi = 0, int s = 0)
{
    return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

constexpr std::uint32_t packed(int y, int mo, int d, int h, int mi, int s)
{
    return (static_cast<std::uint32_t>(y - 1980) << 25) | (static_cast<std::uint32_t>(mo) << 21) |
           (static_cast<std::uint32_t>(d) << 16) | (static_cast<std::uint32_t>(h) << 11) |
           (static_cast<std::uint32_t>(mi) << 5) | static_cast<std::uint32_t>(s / 2);
}

TEST(DosTime, civilDaysRoundTrip)
{
    EXPECT_EQ(daysFromCivil(1980, 1, 1) * 86400, kFirstDosSecond);
    EXPECT_EQ(daysFromCivil(2108, 1, 1) * 86400, kEndDosSecond);
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(2000, 3, 1), 11017);
    for (std::int64_t day = -800000; day < 800000; day += 997) {
        const CivilDate c = civilFromDays(day);
        EXPECT_EQ(daysFromCivil(c.year, c.month, c.day), day);
    }
}

struct PackCase
{
    std::int64_t local;
    std::uint32_t expected;
};
void PrintTo(const PackCase &c, std::ostream *out)
{
    *out << c.local;
}
class PackDosDateTime : public testing::TestWithParam<PackCase>
{
};
TEST_P(PackDosDateTime, packsTheFatLayout)
{
    EXPECT_EQ(packDosDateTime(GetParam().local), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    DosTime, PackDosDateTime,
    testing::Values(PackCase{utc(1980, 1, 1), packed(1980, 1, 1, 0, 0, 0)},
                    PackCase{utc(1979, 12, 31, 23, 59, 59), 0},
                    PackCase{utc(2107, 12, 31, 23, 59, 59), packed(2107, 12, 31, 23, 59, 58)},
                    PackCase{utc(2108, 1, 1), 0},
                    PackCase{utc(2024, 2, 29, 13, 45, 31), packed(2024, 2, 29, 13, 45, 30)},
                    PackCase{utc(1999, 12, 31, 0, 29, 58), packed(1999, 12, 31, 0, 29, 58)},
                    PackCase{0, 0}, PackCase{-1, 0}));

TEST(DosTime, localTimeIsUtcPlusTheOffsetOfThatInstant)
{
    SummerTime zone;
    // 1:59:59 UTC before the change is 2:59:59 winter time; at 1:00 UTC summer time begins.
    EXPECT_EQ(dosDateTime({utc(2000, 3, 26, 0, 59, 58)}, zone), packed(2000, 3, 26, 1, 59, 58));
    EXPECT_EQ(dosDateTime({utc(2000, 3, 26, 1, 0, 0)}, zone), packed(2000, 3, 26, 3, 0, 0));
    EXPECT_EQ(dosDateTime({utc(2000, 7, 1, 23, 0, 0)}, zone), packed(2000, 7, 2, 1, 0, 0));
}

TEST(DosTime, timesThePackedFormCannotHoldGiveZero)
{
    FixedOffset zone(-5 * 3600);
    EXPECT_EQ(dosDateTime({}, zone), 0u);
    // 1980-01-01 02:00 UTC is still 1979 in New York.
    EXPECT_EQ(dosDateTime({utc(1980, 1, 1, 2)}, zone), 0u);
    EXPECT_EQ(dosDateTime({std::numeric_limits<std::int64_t>::max()}, zone), 0u);
    EXPECT_EQ(dosDateTime({std::numeric_limits<std::int64_t>::min() + 1}, zone), 0u);
}

TEST(DosTime, cachedOffsetsAskTwicePerDayAndMatchTheSource)
{
    SummerTime summer;
    CachedUtcOffsets cached(summer);
    for (std::int64_t t = utc(2000, 3, 25); t < utc(2000, 3, 28); t += 7)
        ASSERT_EQ(cached.utcOffsetSeconds(t), summer.utcOffsetSeconds(t)) << t;
    for (std::int64_t t = utc(1960, 1, 1); t < utc(1960, 1, 2); t += 61)
        ASSERT_EQ(cached.utcOffsetSeconds(t), summer.utcOffsetSeconds(t)) << t;

    FixedOffset fixed(3600);
    CachedUtcOffsets counting(fixed);
    for (int i = 0; i < 86400; i += 13)
        (void)counting.utcOffsetSeconds(utc(2010, 5, 5) + i);
    EXPECT_EQ(fixed.calls, 2);
}

// The short way to a local day and second must agree with the long one
// everywhere: around the ends of the packed range, across a change of
// offset, for times not recorded or absurd, and for offsets of a day or more.
TEST(DosTime, cachedLocalDayAndSecondAgreeWithLocalDosSeconds)
{
    SummerTime summer;
    FixedOffset east(14 * 3600);
    FixedOffset west(-12 * 3600);
    FixedOffset dayAhead(86400);
    FixedOffset farBehind(-30 * 3600);
    // A change at noon every third day: far more days of change than the
    // cache keeps aside at once.
    class Restless final : public UtcOffsetSource
    {
    public:
        std::int32_t utcOffsetSeconds(std::int64_t t) const override
        {
            const std::int64_t period = (t - 43200) / (3 * 86400) - ((t - 43200) % (3 * 86400) < 0);
            return period % 2 == 0 ? 3600 : 7200;
        }
    } restless;
    const std::vector<std::int64_t> edges = {kFirstDosSecond, kEndDosSecond, utc(2000, 3, 26, 1),
                                             utc(2000, 10, 29, 1), 0};
    for (const UtcOffsetSource *zone : std::initializer_list<const UtcOffsetSource *>{
             &summer, &east, &west, &dayAhead, &farBehind, &restless}) {
        CachedUtcOffsets cached(*zone);
        const auto check = [&](std::int64_t t) {
            const std::optional<std::int64_t> expected = localDosSeconds(FileTime{t}, *zone);
            LocalDaySecond got;
            ASSERT_EQ(cached.localDaySecond(FileTime{t}, got), expected.has_value()) << t;
            if (expected) {
                ASSERT_EQ(got.day, *expected / 86400) << t;
                ASSERT_EQ(got.second, *expected % 86400) << t;
            }
        };
        for (const std::int64_t edge : edges)
            for (std::int64_t d = -3 * 86400; d <= 3 * 86400; d += 599)
                check(edge + d);
        std::uint64_t x = 7;
        for (int i = 0; i < 20000; ++i) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            check(static_cast<std::int64_t>(x % 5000000000ULL) - 300000000);
        }
        check(std::numeric_limits<std::int64_t>::max());
        check(std::numeric_limits<std::int64_t>::min() + 1);
        LocalDaySecond unused;
        EXPECT_FALSE(cached.localDaySecond(FileTime{}, unused));
    }
}

struct IsoCase
{
    std::int64_t utc;
    std::int32_t offset;
    const char *text;
};

class IsoLocalTime : public ::testing::TestWithParam<IsoCase>
{
};

TEST_P(IsoLocalTime, writesTheLocalTimeWithItsOffset)
{
    const FixedOffset zone(GetParam().offset);
    EXPECT_EQ(isoLocalTime(FileTime{GetParam().utc}, zone), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Times, IsoLocalTime,
    ::testing::Values(IsoCase{0, 0, "1970-01-01T00:00:00+00:00"},
                      IsoCase{1709647629, 3600, "2024-03-05T15:07:09+01:00"},
                      IsoCase{1709647629, -(3 * 3600 + 1800), "2024-03-05T10:37:09-03:30"},
                      IsoCase{-1, 0, "1969-12-31T23:59:59+00:00"},
                      IsoCase{FileTime::kNotRecorded, 0, ""},
                      IsoCase{std::int64_t{1} << 60, 0, ""}));

TEST(DosTime, convertersPickTheirOwnTime)
{
    FixedOffset zone(0);
    DirectoryEntry e;
    e.creation = {utc(2001, 1, 1, 10)};
    e.lastAccess = {utc(2002, 2, 2, 11)};
    e.lastWrite = {utc(2003, 3, 3, 12)};
    EXPECT_EQ(createdDosTime(e, zone), packed(2001, 1, 1, 10, 0, 0));
    EXPECT_EQ(accessDosTime(e, zone), packed(2002, 2, 2, 11, 0, 0));
    EXPECT_EQ(modifiedDosTime(e, zone), packed(2003, 3, 3, 12, 0, 0));
}

} // namespace
} // namespace vorin
