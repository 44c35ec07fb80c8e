#include "engine/Statistics.h"

#include "platform/fake/FixedUtcOffset.h"
#include "selection/TypeFilter.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace vorin {
namespace {

constexpr std::uint32_t packed(int y, int mo, int d, int h = 12, int mi = 0, int s = 0)
{
    return (static_cast<std::uint32_t>(y - 1980) << 25) | (static_cast<std::uint32_t>(mo) << 21) |
           (static_cast<std::uint32_t>(d) << 16) | (static_cast<std::uint32_t>(h) << 11) |
           (static_cast<std::uint32_t>(mi) << 5) | static_cast<std::uint32_t>(s / 2);
}

std::int64_t utc(int y, unsigned mo, unsigned d, int h = 12, int mi = 0, int s = 0)
{
    return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

const std::int64_t kToday = daysFromCivil(2026, 6, 15);

struct BandCase
{
    std::int64_t size;
    int band;
};
void PrintTo(const BandCase &c, std::ostream *out)
{
    *out << c.size << " bytes";
}
class SizeBand : public testing::TestWithParam<BandCase>
{
};
TEST_P(SizeBand, upperBoundsAreInclusive)
{
    EXPECT_EQ(sizeBand(GetParam().size), GetParam().band);
}
INSTANTIATE_TEST_SUITE_P(Statistics, SizeBand,
                         testing::Values(BandCase{0, 1}, BandCase{16384, 1}, BandCase{16385, 2},
                                         BandCase{32768, 2}, BandCase{65537, 4},
                                         BandCase{1048576, 7}, BandCase{1048577, 8},
                                         BandCase{16777216, 11}, BandCase{16777217, 12},
                                         BandCase{2147483648LL, 12}, BandCase{5LL << 40, 12}));

struct AgeCase
{
    int days;
    int bucket;
};
void PrintTo(const AgeCase &c, std::ostream *out)
{
    *out << c.days << " days";
}
class AgeToIndex : public testing::TestWithParam<AgeCase>
{
};
TEST_P(AgeToIndex, bucketBoundsAreInclusive)
{
    EXPECT_EQ(ageToIndex(GetParam().days), GetParam().bucket);
}
INSTANTIATE_TEST_SUITE_P(Statistics, AgeToIndex,
                         testing::Values(AgeCase{-1, 0}, AgeCase{-100, 0}, AgeCase{0, 1},
                                         AgeCase{7, 1}, AgeCase{8, 2}, AgeCase{30, 2},
                                         AgeCase{31, 3}, AgeCase{60, 3}, AgeCase{61, 4},
                                         AgeCase{120, 4}, AgeCase{121, 5}, AgeCase{365, 5},
                                         AgeCase{366, 6}, AgeCase{730, 6}, AgeCase{731, 7},
                                         AgeCase{1095, 7}, AgeCase{1096, 8}, AgeCase{1460, 8},
                                         AgeCase{1461, 9}, AgeCase{100000, 9}));

TEST(Statistics, ageInDaysCountsWholeDaysEitherWay)
{
    EXPECT_EQ(ageInDays(0, kToday), -1);
    EXPECT_EQ(ageInDays(packed(2026, 6, 15, 23, 59, 58), kToday), 0);
    EXPECT_EQ(ageInDays(packed(2026, 6, 8, 0, 0, 0), kToday), 7);
    EXPECT_EQ(ageInDays(packed(2026, 6, 18), kToday), 3) << "a date ahead counts by its distance";
    EXPECT_EQ(ageToIndex(ageInDays(packed(2026, 6, 18), kToday)), 1);
    EXPECT_EQ(ageInDays(packed(2022, 6, 15), kToday), 1461);
    // Month 13 and 30 February are no dates: they read as 1 January 1980.
    const int from1980 = static_cast<int>(kToday - daysFromCivil(1980, 1, 1));
    EXPECT_EQ(ageInDays(packed(2020, 13, 1), kToday), from1980);
    EXPECT_EQ(ageInDays(packed(2020, 2, 30), kToday), from1980);
    EXPECT_EQ(ageInDays(packed(2020, 2, 29), kToday),
              static_cast<int>(kToday - daysFromCivil(2020, 2, 29)));
    EXPECT_EQ(ageInDays(packed(2021, 2, 29), kToday), from1980);
}

struct SlotCase
{
    std::uint32_t packed;
    int slot;
};
void PrintTo(const SlotCase &c, std::ostream *out)
{
    *out << "packed " << c.packed;
}
class HalfHourIndex : public testing::TestWithParam<SlotCase>
{
};
TEST_P(HalfHourIndex, slotOfTheTimeOfDay)
{
    EXPECT_EQ(halfHourIndex(GetParam().packed), GetParam().slot);
}
INSTANTIATE_TEST_SUITE_P(
    Statistics, HalfHourIndex,
    testing::Values(SlotCase{0, -1}, SlotCase{packed(2000, 1, 1, 0, 29, 58), 0},
                    SlotCase{packed(2000, 1, 1, 0, 30, 0), 1},
                    SlotCase{packed(2000, 1, 1, 12, 30, 0), 25},
                    SlotCase{packed(2000, 1, 1, 23, 59, 58), 47},
                    SlotCase{packed(2000, 1, 1, 24, 0, 0), 0},    // invalid hour: midnight 1980
                    SlotCase{packed(2000, 1, 1, 10, 60, 0), 0})); // invalid minute

TEST(Statistics, collectFileAttrCountsEachBitOnItsOwn)
{
    Statistics s;
    collectFileAttr(s, kAttrReadOnly | kAttrHidden | kAttrSystem, 10);
    collectFileAttr(s, 0, 1000);
    collectFileAttr(s, kAttrArchive | kAttrReadOnly, 5);
    collectFileAttr(s, kAttrDirectory | 0x80, 7);
    EXPECT_EQ(s.readOnlyCount, 2);
    EXPECT_EQ(s.readOnlyBytes, 15);
    EXPECT_EQ(s.hiddenCount, 1);
    EXPECT_EQ(s.hiddenBytes, 10);
    EXPECT_EQ(s.systemCount, 1);
    EXPECT_EQ(s.systemBytes, 10);
    EXPECT_EQ(s.archiveCount, 1);
    EXPECT_EQ(s.archiveBytes, 5);
}

TEST(Statistics, dropIntoHourSlotLeavesSlotZeroAndMissingTimesOut)
{
    Statistics s;
    DropIntoHourSlot(s, {packed(2000, 1, 1, 0, 10), packed(2000, 1, 1, 0, 30), 0});
    DropIntoHourSlot(
        s, {packed(2000, 1, 1, 23, 59), packed(2000, 1, 1, 0, 30), packed(2000, 1, 1, 12, 31)});
    EXPECT_EQ(s.accessTimeSlots[0], 0);
    EXPECT_EQ(s.accessTimeSlots[47], 1);
    EXPECT_EQ(s.createdTimeSlots[1], 2);
    EXPECT_EQ(s.modifiedTimeSlots[25], 1);
    double total = 0;
    for (int i = 0; i < kTimeSlots; ++i)
        total += s.accessTimeSlots[i] + s.createdTimeSlots[i] + s.modifiedTimeSlots[i];
    EXPECT_EQ(total, 4);
}

TEST(Statistics, insertTypeKeepsOneSortedLinePerKey)
{
    Statistics s;
    insertType(s, ".txt", 10, false);
    insertType(s, ".TXT", 5, false);
    insertType(s, "", 1, false);
    insertType(s, ".abc", 3, false);
    insertType(s, ".CLASS", 100, false);
    insertType(s, ".Zz", 2147483647, false);
    insertType(s, ".zZ", 2147483647, false);
    EXPECT_EQ(s.lbTypes,
              (std::vector<TypeTotal>{
                  {"", 1, 1}, {".ABC", 1, 3}, {".TXT", 2, 15}, {".ZZ", 2, 4294967294LL}}));
    EXPECT_EQ(findType(s, ".txt"), 2);
    EXPECT_EQ(findType(s, ".ABC"), 1);
    EXPECT_EQ(findType(s, ""), 0);
    EXPECT_EQ(findType(s, ".doc"), -1);
    EXPECT_EQ(findType(Statistics{}, ".doc"), -1);
}

TEST(Statistics, insertTypeRegisterOnlyAddsAnEmptyLineOrLeavesOneAlone)
{
    Statistics s;
    insertType(s, ".txt", 0, true);
    EXPECT_EQ(s.lbTypes, (std::vector<TypeTotal>{{".TXT", 0, 0}}));
    insertType(s, ".doc", 7, false);
    insertType(s, ".DOC", 0, true);
    EXPECT_EQ(s.lbTypes[0], (TypeTotal{".DOC", 1, 7}));
}

TEST(Statistics, typeKeysCountCharactersNotBytes)
{
    Statistics s;
    insertType(s, ".\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x81", 1, false); // ".доки" minus one: four letters
    insertType(s, ".\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x81\xD1\x8B", 1, false); // five letters: too long
    ASSERT_EQ(s.lbTypes.size(), 1u);
    EXPECT_EQ(s.lbTypes[0].key, ".\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x81");
}

struct KeyLengthCase
{
    const char *label;
    std::string key;
    std::size_t length;
};
void PrintTo(const KeyLengthCase &c, std::ostream *out)
{
    *out << c.label;
}
class TypeKeyLength : public testing::TestWithParam<KeyLengthCase>
{
};
TEST_P(TypeKeyLength, countsCharactersOfUtf8AndBytesOfAnythingElse)
{
    EXPECT_EQ(typeKeyLength(GetParam().key), GetParam().length);
}
const std::string kCyrillic4 = ".\xD0\xB4\xD0\xBE\xD0\xBA\xD1\x81";            // .доку
const std::string kCyrillic5 = kCyrillic4 + "\xD1\x8B";                        // .докуы
const std::string kCjk4 = ".\xE6\x96\x87\xE6\xA1\xA3\xE6\xA1\xA3\xE6\xA1\x88"; // .文档档案
const std::string kCjk5 = kCjk4 + "\xE6\x96\x87";
const std::string kEmoji4 = ".\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x82\xF0\x9F\x98\x83";
INSTANTIATE_TEST_SUITE_P(
    Statistics, TypeKeyLength,
    testing::Values(
        KeyLengthCase{"empty", "", 0}, KeyLengthCase{"ascii", ".txt", 4},
        KeyLengthCase{"cyrillicFour", kCyrillic4, 5}, KeyLengthCase{"cyrillicFive", kCyrillic5, 6},
        KeyLengthCase{"cjkFour", kCjk4, 5}, KeyLengthCase{"cjkFive", kCjk5, 6},
        KeyLengthCase{"emojiFour", kEmoji4, 5}, KeyLengthCase{"latin1Cafe", ".caf\xE9", 5},
        KeyLengthCase{"latin1MicroDegree", ".\xB5sec\xB0", 6},
        KeyLengthCase{"continuationBytes", "." + std::string(5, '\x80'), 6},
        KeyLengthCase{"manyContinuationBytes", "." + std::string(100, '\xBF'), 101},
        KeyLengthCase{"neverUtf8", ".\xFF\xFE", 3}, KeyLengthCase{"overlongSlash", ".\xC0\xAF", 3},
        KeyLengthCase{"surrogate", ".\xED\xA0\x80", 4}, KeyLengthCase{"cutShort", ".\xE2\x82", 3},
        KeyLengthCase{"utf8ThenStray", ".\xC3\xA9\xFF", 3}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

// Every key insertType takes finds its line again, so a second file of the
// same type adds to it instead of adding a line; keys that are too long add
// nothing, however many files bring them.
TEST(Statistics, everyAcceptedKeyHasOneLineAndTooLongKeysNone)
{
    const std::vector<std::string> accepted = {".txt",          kCyrillic4,
                                               kCjk4,           kEmoji4,
                                               ".caf\xE9",      "." + std::string(4, '\x80'),
                                               ".\xFF\xFE",     ".\xC0\xAF",
                                               ".\xC3\xA9\xFF", ""};
    const std::vector<std::string> tooLong = {kCyrillic5,
                                              kCjk5,
                                              ".\xB5sec\xB0",
                                              "." + std::string(5, '\x80'),
                                              "." + std::string(70, '\x80'),
                                              "." + std::string(200, '\xBF')};
    Statistics s;
    for (int round = 0; round < 3; ++round) {
        for (const std::string &key : accepted)
            insertType(s, key, 10, false);
        for (const std::string &key : tooLong)
            insertType(s, key, 10, false);
    }
    ASSERT_EQ(s.lbTypes.size(), accepted.size());
    for (const std::string &key : accepted) {
        const int i = findType(s, key);
        ASSERT_GE(i, 0) << testing::PrintToString(key);
        EXPECT_EQ(s.lbTypes[static_cast<std::size_t>(i)], (TypeTotal{asciiUpper(key), 3, 30}));
    }
    for (const std::string &key : tooLong)
        EXPECT_EQ(findType(s, key), -1) << testing::PrintToString(key);
}

class Crunch : public testing::Test
{
protected:
    DirectoryEntry file(std::string_view name, std::int64_t size, std::uint32_t attributes = 0)
    {
        DirectoryEntry e;
        e.name = name;
        e.size = size;
        e.attributes = attributes;
        e.lastAccess = {utc(2026, 6, 14)};
        e.creation = {utc(2020, 1, 1, 8, 45)};
        e.lastWrite = {utc(2026, 5, 1, 0, 10)};
        return e;
    }
    void crunch(const DirectoryEntry &e, std::string_view dir = "/data")
    {
        crunchNumbers(stats, context, dir, e);
        ++stats.filesProcessed;
    }

    struct Hooks final : StatisticsHooks
    {
        void showProgress(std::string_view drive, std::string_view directory) override
        {
            texts.push_back(processingText(drive, directory));
        }
        void clearTypesTable() override { ++clears; }
        std::vector<std::string> texts;
        int clears = 0;
    };

    FixedUtcOffset zone{0};
    Hooks hooks;
    Statistics stats;
    CrunchContext context{nullptr, &zone, kToday, true, &hooks, "c: [/]"};
};

TEST_F(Crunch, aCountedFileFillsEveryAccumulator)
{
    crunch(file("index.html", 20000, kAttrReadOnly));
    EXPECT_EQ(stats.filesSelected, 1);
    EXPECT_EQ(stats.lbTypes, (std::vector<TypeTotal>{{".HTML", 1, 20000}}));
    EXPECT_EQ(stats.sizeBandCount[2], 1);
    EXPECT_EQ(stats.sizeBandBytes[2], 20000);
    EXPECT_EQ(stats.accessAgeCount[1], 1);
    EXPECT_EQ(stats.accessAgeBytes[1], 20000);
    EXPECT_EQ(stats.createdAgeCount[9], 1);
    EXPECT_EQ(stats.modifiedAgeCount[3], 1); // 45 days
    EXPECT_EQ(stats.accessTimeSlots[24], 1);
    EXPECT_EQ(stats.createdTimeSlots[17], 1);
    EXPECT_EQ(stats.modifiedTimeSlots[0], 0);
    EXPECT_EQ(stats.readOnlyCount, 1);
}

TEST_F(Crunch, namesWithoutDotOrWithLongExtensions)
{
    crunch(file("README", 1));
    crunch(file("Main.class", 2));
    crunch(file("a.txt", 3));
    crunch(file("B.TXT", 4));
    EXPECT_EQ(stats.lbTypes, (std::vector<TypeTotal>{{"", 1, 1}, {".TXT", 2, 7}}));
    EXPECT_EQ(stats.filesSelected, 4);
    EXPECT_EQ(stats.sizeBandCount[1], 4) << "Main.class still counts in its band";
}

// A directory of files whose extensions are nothing but stray bytes must not
// make the types table grow by one line per file.
TEST_F(Crunch, namesOfStrayBytesAreCountedEverywhereButInTheTypesTable)
{
    for (int i = 0; i < 50; ++i)
        crunch(file("f" + std::to_string(i) + "." + std::string(70, '\x80'), 1));
    crunch(file("g.\x80\x80", 2));
    crunch(file("h.\x80\x80", 3));
    EXPECT_EQ(stats.lbTypes, (std::vector<TypeTotal>{{".\x80\x80", 2, 5}}));
    EXPECT_EQ(stats.filesSelected, 52);
    EXPECT_EQ(stats.sizeBandCount[1], 52);
}

struct OverhangCase
{
    std::int64_t size;
    std::array<double, 5> added;
};
void PrintTo(const OverhangCase &c, std::ostream *out)
{
    *out << c.size << " bytes";
}
class Overhang : public testing::TestWithParam<OverhangCase>
{
};
TEST_P(Overhang, lastClusterWasteUnderEachSize)
{
    FixedUtcOffset zone{0};
    Statistics s;
    const CrunchContext context{nullptr, &zone, kToday, true, nullptr, "c:"};
    DirectoryEntry e;
    e.name = "f";
    e.size = GetParam().size;
    crunchNumbers(s, context, "/", e);
    EXPECT_EQ((std::array<double, 5>{s.overhang4K, s.overhang8K, s.overhang16K, s.overhang32K,
                                     s.overhang64K}),
              GetParam().added);
}
INSTANTIATE_TEST_SUITE_P(
    Statistics, Overhang,
    testing::Values(OverhangCase{4096, {0, 4096, 12288, 28672, 61440}},
                    OverhangCase{1, {4095, 8191, 16383, 32767, 65535}},
                    OverhangCase{0, {0, 0, 0, 0, 0}}, OverhangCase{65536, {0, 0, 0, 0, 0}},
                    OverhangCase{(3LL << 30) + 1, {4095, 8191, 16383, 32767, 65535}}));

TEST_F(Crunch, overhangStaysZeroWhenItsPageIsOff)
{
    context.overhangEnabled = false;
    crunch(file("a", 1));
    EXPECT_EQ(stats.overhang4K + stats.overhang8K + stats.overhang16K + stats.overhang32K +
                  stats.overhang64K,
              0);
}

TEST_F(Crunch, progressEveryThirdFileCountedOrNot)
{
    const TypeFilter onlyDoc(false, true, false, {"*.doc\tWord"});
    context.filter = &onlyDoc;
    for (int i = 0; i < 7; ++i)
        crunch(file("x.bmp", 1), i < 3 ? "/a" : "/b");
    EXPECT_EQ(hooks.texts, (std::vector<std::string>{"Processing drive c: [/] ... standby : /a",
                                                     "Processing drive c: [/] ... standby : /b",
                                                     "Processing drive c: [/] ... standby : /b"}));
    EXPECT_EQ(stats.filesSelected, 0);
    Statistics untouched;
    untouched.filesProcessed = 7;
    EXPECT_EQ(stats, untouched) << "a rejected file changes no accumulator";
}

TEST_F(Crunch, hugeFilesKeepTheirTrueSize)
{
    crunch(file("disk.img", 5LL << 30));
    crunch(file("disk.img", 3LL << 30));
    EXPECT_EQ(stats.lbTypes[0].bytes, 8LL << 30);
    EXPECT_EQ(stats.sizeBandBytes[12], static_cast<double>(8LL << 30));
}

TEST_F(Crunch, clearVariablesEmptiesEverythingAndTheTypesTable)
{
    crunch(file("a.doc", 10, kAttrHidden));
    clearVariables(stats, &hooks);
    EXPECT_EQ(stats, Statistics{});
    EXPECT_EQ(hooks.clears, 1);
}

TEST(Statistics, mergeAddsEveryFieldAndJoinsTypesByKey)
{
    FixedUtcOffset zone{3600};
    const CrunchContext context{nullptr, &zone, kToday, true, nullptr, "c:"};
    std::vector<DirectoryEntry> files(40);
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(std::to_string(i).append(i % 3 == 0 ? ".a" : i % 3 == 1 ? ".B" : ".c"));
    Statistics all, first, second;
    for (int i = 0; i < 40; ++i) {
        files[i].name = names[i];
        files[i].size = i * 7919;
        files[i].attributes = static_cast<std::uint32_t>(i % 64);
        files[i].lastWrite = {utc(2026, 1, 1 + i % 28, i % 24, i % 60)};
        crunchNumbers(all, context, "/", files[i]);
        crunchNumbers(i < 17 ? first : second, context, "/", files[i]);
    }
    first.merge(second);
    EXPECT_EQ(first, all);
    Statistics empty;
    empty.merge(all);
    EXPECT_EQ(empty, all);
}

TEST(Statistics, labelsOfBandsAndBuckets)
{
    EXPECT_EQ(sizeBandLabel(1), "0 - 16K");
    EXPECT_EQ(sizeBandLabel(7), "512K - 1MB");
    EXPECT_EQ(sizeBandLabel(12), "Over 16MB");
    EXPECT_EQ(sizeBandLabel(13), "");
    EXPECT_EQ(ageBucketLabel(0), "Not recorded");
    EXPECT_EQ(ageBucketLabel(1), "<= 7 days");
    EXPECT_EQ(ageBucketLabel(9), "Over 4 years");
    EXPECT_EQ(ageBucketLabel(-1), "");
}

} // namespace
} // namespace vorin

namespace vorin {
namespace {

// The bookkeeping takes a short cut from the file time to its day and half
// hour; it must count exactly as packing the time and reading it back does.
TEST(Statistics, crunchCountsDatesAsThePackedConvertersDo)
{
    FixedUtcOffset zone([](std::int64_t t) { return (t / 86400) % 7 == 0 ? 7200 : -18000; });
    const std::int64_t today = daysFromCivil(2026, 6, 15);
    const CrunchContext context{nullptr, &zone, today, false, nullptr, "c:"};
    Statistics fast, slow;
    std::uint64_t x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        DirectoryEntry e;
        e.name = "f";
        e.lastAccess = {static_cast<std::int64_t>(x >> 30) - (1LL << 33)};
        e.creation =
            i % 5 == 0 ? FileTime{} : FileTime{static_cast<std::int64_t>(x % 4600000000ULL)};
        e.lastWrite = {utc(1980, 1, 1, 0, 0, 0) + static_cast<std::int64_t>(x % 200000) - 100000};
        crunchNumbers(fast, context, "/", e);

        const PackedTimes times{accessDosTime(e, zone), createdDosTime(e, zone),
                                modifiedDosTime(e, zone)};
        DropIntoHourSlot(slow, times);
        const auto a = static_cast<std::size_t>(ageToIndex(ageInDays(times.access, today)));
        const auto c = static_cast<std::size_t>(ageToIndex(ageInDays(times.created, today)));
        const auto m = static_cast<std::size_t>(ageToIndex(ageInDays(times.modified, today)));
        slow.accessAgeCount[a] += 1;
        slow.createdAgeCount[c] += 1;
        slow.modifiedAgeCount[m] += 1;
    }
    EXPECT_EQ(fast.accessAgeCount, slow.accessAgeCount);
    EXPECT_EQ(fast.createdAgeCount, slow.createdAgeCount);
    EXPECT_EQ(fast.modifiedAgeCount, slow.modifiedAgeCount);
    EXPECT_EQ(fast.accessTimeSlots, slow.accessTimeSlots);
    EXPECT_EQ(fast.createdTimeSlots, slow.createdTimeSlots);
    EXPECT_EQ(fast.modifiedTimeSlots, slow.modifiedTimeSlots);
    EXPECT_GT(fast.modifiedAgeCount[0], 0) << "some times fall before 1980";
}

// The walk gives every thread a cache of the zone and an index of the type
// lines, both read on short ways; the figures must be those of the plain zone
// and the plain search, whatever the zone's offsets (a change each week, a
// zone more than a day off UTC) and whatever the keys: letter case, keys
// longer than a word, keys of more than five characters, and so many keys
// that the index must give slots up and start over as lines come.
TEST(Statistics, aCachedZoneAndATypeIndexCountAsThePlainZoneAndSearchDo)
{
    for (const std::int32_t far : {7200, 30 * 3600, -26 * 3600}) {
        FixedUtcOffset zone([far](std::int64_t t) { return (t / 86400) % 7 == 0 ? far : -18000; });
        CachedUtcOffsets cached(zone);
        TypeIndex types;
        const std::int64_t today = daysFromCivil(2026, 6, 15);
        const CrunchContext plain{nullptr, &zone, today, true, nullptr, "c:"};
        CrunchContext quick{nullptr, &cached, today, true, nullptr, "c:"};
        quick.zoneCache = &cached;
        quick.types = &types;

        std::vector<std::string> names;
        for (int i = 0; i < 700; ++i) {
            std::string name = "file" + std::to_string(i) + ".";
            for (int k = 0; k <= i % 9; ++k)
                name += static_cast<char>((i * 7 + k) % 3 == 0 ? 'a' + (i + k) % 26
                                                               : 'A' + (i * 3 + k) % 26);
            names.push_back(name);
        }
        names.insert(names.end(), {"Makefile", ".profile", "x.\xC3\xA9t\xC3\xA9", "y.\xFF\xFE",
                                   "z." + std::string(12, 'q'), "w.tXt", "v.TxT", "u.txt",
                                   // dots at either end of a name's last eight
                                   // bytes, twice among them, names shorter
                                   // than a word
                                   ".", "x.", ".x", "a.b", "a.b.c", "ab.cdefgh", "abc.defghij",
                                   "k..", "m.n.opqrst"});

        Statistics fast, slow;
        std::uint64_t x = 99;
        for (int i = 0; i < 30000; ++i) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            DirectoryEntry e;
            // Mostly a few common types, now and then a rare one.
            const std::size_t pick = (x >> 40) % 10 < 8 ? (x >> 20) % 12 : (x >> 20) % names.size();
            e.name = names[pick];
            e.size = static_cast<std::int64_t>((x >> 8) % 70000000);
            e.lastAccess = {static_cast<std::int64_t>(x >> 30) - (1LL << 33)};
            e.creation =
                i % 5 == 0 ? FileTime{} : FileTime{static_cast<std::int64_t>(x % 4600000000ULL)};
            e.lastWrite = {kEndDosSecond + static_cast<std::int64_t>(x % 400000) - 200000};
            if (i % 3 == 0)
                e.lastWrite = {kFirstDosSecond + static_cast<std::int64_t>(x % 400000) - 200000};
            crunchNumbers(fast, quick, "/", e);
            crunchNumbers(slow, plain, "/", e);
        }
        EXPECT_EQ(fast, slow) << "offset " << far;
        EXPECT_GT(slow.lbTypes.size(), 100u);
    }
}

// One index may serve records in turn (as when a test or a tool reuses it):
// it notices the change and gives each its own lines.
TEST(Statistics, aTypeIndexKeepsRecordsApart)
{
    TypeIndex types;
    Statistics a, b;
    insertType(b, ".zip", 0, true);
    for (int i = 0; i < 3; ++i) {
        types.count(a, ".txt", 1);
        types.count(b, ".TXT", 2);
        types.count(a, ".doc", 4);
    }
    EXPECT_EQ(a.lbTypes, (std::vector<TypeTotal>{{".DOC", 3, 12}, {".TXT", 3, 3}}));
    EXPECT_EQ(b.lbTypes, (std::vector<TypeTotal>{{".TXT", 3, 6}, {".ZIP", 0, 0}}));
}

} // namespace
} // namespace vorin
