#include "engine/Statistics.h"

#include "engine/FigureFiles.h"
#include "selection/TypeFilter.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace vorin {
namespace {

constexpr std::array<std::int64_t, kSizeBands - 1> kBandUpperBounds = {
    16384, 32768, 65536, 131072, 262144, 524288, 1048576, 2097152, 4194304, 8388608, 16777216};

// Letter case is ignored by comparing upper-case letters; stored keys are upper case already.
int compareKey(std::string_view key, std::string_view stored)
{
    const std::size_t n = std::min(key.size(), stored.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(asciiUpper(key[i]));
        const auto b = static_cast<unsigned char>(asciiUpper(stored[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    return key.size() == stored.size() ? 0 : (key.size() < stored.size() ? -1 : 1);
}

struct DecodedTime
{
    int year, month, day, hours, minutes;
};

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A packed value that names no real date and time reads as 1 January 1980, 00:00.
DecodedTime decode(std::uint32_t packed)
{
    const DosFields f = unpackDosDateTime(packed);
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool valid = f.month >= 1 && f.month <= 12 && f.day >= 1 &&
                       f.day <= kDays[f.month - 1] + (f.month == 2 && isLeap(f.year) ? 1 : 0) &&
                       f.hours <= 23 && f.minutes <= 59 && f.seconds <= 59;
    if (!valid)
        return {1980, 1, 1, 0, 0};
    return {f.year, f.month, f.day, f.hours, f.minutes};
}

template <std::size_t N> void addArray(std::array<double, N> &to, const std::array<double, N> &from)
{
    for (std::size_t i = 0; i < N; ++i)
        to[i] += from[i];
}

} // namespace

std::int64_t wastedBytes(std::int64_t size, std::int64_t clusterSize)
{
    if (clusterSize <= 0)
        return 0;
    if (std::has_single_bit(static_cast<std::uint64_t>(clusterSize)))
        return static_cast<std::int64_t>((0 - static_cast<std::uint64_t>(size)) &
                                         static_cast<std::uint64_t>(clusterSize - 1));
    const std::int64_t tail = size % clusterSize;
    return tail == 0 ? 0 : clusterSize - tail;
}

std::string processingText(std::string_view drive, std::string_view directory)
{
    std::string text = "Processing drive ";
    text += drive;
    text += " ... standby : ";
    text += directory;
    return text;
}

void clearVariables(Statistics &stats, StatisticsHooks *hooks)
{
    stats = Statistics{};
    if (hooks)
        hooks->clearTypesTable();
}

std::size_t typeKeyLength(std::string_view key)
{
    return characterCount(key);
}

int findType(const Statistics &stats, std::string_view key)
{
    // Stored keys are upper case: a key of ordinary length is brought to upper
    // case once and the halving compares bytes; a longer one (no line holds
    // one, but the answer must still be right) is compared as it goes.
    char upper[64];
    const bool copied = key.size() <= sizeof upper;
    if (copied)
        for (std::size_t i = 0; i < key.size(); ++i)
            upper[i] = asciiUpper(key[i]);
    const std::string_view wanted(copied ? upper : key.data(), key.size());
    int lo = 0;
    int hi = static_cast<int>(stats.lbTypes.size()) - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const std::string &stored = stats.lbTypes[static_cast<std::size_t>(mid)].key;
        const int c = copied ? wanted.compare(stored) : compareKey(key, stored);
        if (c == 0)
            return mid;
        if (c < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return -1;
}

int insertType(Statistics &stats, std::string_view key, std::int64_t size, bool registerOnly)
{
    // A key of five bytes or fewer cannot have more than five characters.
    if (key.size() > kMaxTypeKeyLength && typeKeyLength(key) > kMaxTypeKeyLength)
        return -1;
    const int i = findType(stats, key);
    if (i >= 0) {
        if (!registerOnly) {
            TypeTotal &line = stats.lbTypes[static_cast<std::size_t>(i)];
            line.files += 1;
            line.bytes += size;
        }
        return i;
    }
    const auto at = std::lower_bound(
        stats.lbTypes.begin(), stats.lbTypes.end(), key,
        [](const TypeTotal &line, std::string_view k) { return compareKey(line.key, k) < 0; });
    const auto inserted =
        stats.lbTypes.insert(at, TypeTotal{asciiUpper(key), registerOnly ? 0 : 1, size});
    return static_cast<int>(inserted - stats.lbTypes.begin());
}

int ageInDays(std::uint32_t packed, std::int64_t today)
{
    if (packed == 0)
        return -1;
    const DecodedTime t = decode(packed);
    const std::int64_t day =
        daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    return static_cast<int>(std::llabs(today - day));
}

namespace {

constexpr int kOldestBound = 1460; // days; older files are all in bucket 9

// The bucket of every age up to the oldest bound and one day past it (every
// older age), looked up rather than searched: a spread of ages would
// mispredict the search's branches, and the bound's own test as well.
constexpr std::array<std::uint8_t, kOldestBound + 2> kAgeBucketOfDays = [] {
    constexpr int kUpper[] = {7, 30, 60, 120, 365, 730, 1095, kOldestBound};
    std::array<std::uint8_t, kOldestBound + 2> table{};
    int bucket = 1;
    for (int days = 0; days <= kOldestBound; ++days) {
        if (days > kUpper[bucket - 1])
            ++bucket;
        table[static_cast<std::size_t>(days)] = static_cast<std::uint8_t>(bucket);
    }
    table[kOldestBound + 1] = 9;
    return table;
}();

// The bucket of an age of days >= 0, however old.
int bucketOfAge(std::int64_t days)
{
    return kAgeBucketOfDays[static_cast<std::size_t>(
        std::min<std::int64_t>(days, kOldestBound + 1))];
}

} // namespace

int ageToIndex(int days)
{
    return days < 0 ? 0 : bucketOfAge(days);
}

int halfHourIndex(std::uint32_t packed)
{
    if (packed == 0)
        return -1;
    const DecodedTime t = decode(packed);
    return 2 * t.hours + (t.minutes >= 30 ? 1 : 0);
}

int sizeBand(std::int64_t size)
{
    // The bounds are the powers of two from 16K (2^14, band 1) to 16 MB
    // (2^24, band 11): above 16K, a size of up to 2^k bytes is in band k - 13.
    // Sizes up to 16K are raised to it rather than tested: a spread of sizes
    // would mispredict the test.
    const std::int64_t last = std::max(size, kBandUpperBounds.front()) - 1;
    const int band = std::bit_width(static_cast<std::uint64_t>(last)) - 13;
    return std::min(band, kSizeBands);
}

void collectFileAttr(Statistics &stats, std::uint32_t attributes, std::int64_t size)
{
    const auto bytes = static_cast<double>(size);
    if (attributes & kAttrReadOnly) {
        stats.readOnlyCount += 1;
        stats.readOnlyBytes += bytes;
    }
    if (attributes & kAttrHidden) {
        stats.hiddenCount += 1;
        stats.hiddenBytes += bytes;
    }
    if (attributes & kAttrSystem) {
        stats.systemCount += 1;
        stats.systemBytes += bytes;
    }
    if (attributes & kAttrArchive) {
        stats.archiveCount += 1;
        stats.archiveBytes += bytes;
    }
}

void DropIntoHourSlot(Statistics &stats, const PackedTimes &times)
{
    // Slot 0 (00:00 to 00:29) stays empty: a time there is taken for a missing one.
    if (const int i = halfHourIndex(times.created); i > 0)
        stats.createdTimeSlots[static_cast<std::size_t>(i)] += 1;
    if (const int i = halfHourIndex(times.modified); i > 0)
        stats.modifiedTimeSlots[static_cast<std::size_t>(i)] += 1;
    if (const int i = halfHourIndex(times.access); i > 0)
        stats.accessTimeSlots[static_cast<std::size_t>(i)] += 1;
}

namespace {

// One file time as the bookkeeping needs it: its local day and half hour.
// The same figures as packing the time and reading the packed value back
// (ageInDays, halfHourIndex), without the round trip through the calendar,
// which costs more than the rest of a file's bookkeeping.
struct LocalStamp
{
    bool recorded = false;
    std::int64_t day = 0;
    int slot = 0;
};

[[gnu::always_inline]] inline LocalStamp localStamp(FileTime time, const CachedUtcOffsets &zone)
{
    LocalDaySecond local;
    if (!zone.localDaySecond(time, local))
        return {};
    return {true, local.day, static_cast<int>(static_cast<std::uint32_t>(local.second) / 1800)};
}

template <typename Zone> LocalStamp localStamp(FileTime time, const Zone &zone)
{
    constexpr std::uint64_t kDay = 86400;
    const std::optional<std::int64_t> local = localDosSeconds(time, zone);
    if (!local)
        return {};
    // Within the packed form's range, so not negative: unsigned division is cheaper.
    const auto seconds = static_cast<std::uint64_t>(*local);
    return {true, static_cast<std::int64_t>(seconds / kDay),
            static_cast<int>(seconds % kDay / 1800)};
}

// One of a file's times counted in its half hour and its age bucket; inline,
// three times a file. Where they fell is noted in the file's facts.
template <typename Zone>
[[gnu::always_inline]] inline void
countTime(FileTime time, const Zone &zone, std::int64_t today, double bytes,
          std::array<double, kTimeSlots> &slots, std::array<double, kAgeBuckets> &ageCount,
          std::array<double, kAgeBuckets> &ageBytes, std::uint8_t &bucket, std::int8_t &slot)
{
    const LocalStamp stamp = localStamp(time, zone);
    // Slot 0 stays empty, as in DropIntoHourSlot.
    const bool slotted = stamp.recorded && stamp.slot > 0;
    if (slotted)
        slots[static_cast<std::size_t>(stamp.slot)] += 1;
    slot = static_cast<std::int8_t>(slotted ? stamp.slot : -1);
    const auto k =
        static_cast<std::size_t>(stamp.recorded ? bucketOfAge(std::llabs(today - stamp.day)) : 0);
    ageCount[k] += 1;
    ageBytes[k] += bytes;
    bucket = static_cast<std::uint8_t>(k);
}

template <typename Zone>
void countTimes(Statistics &stats, const Zone &zone, const DirectoryEntry &entry,
                std::int64_t today, double bytes, FileFacts &facts)
{
    // Each time is counted as soon as it is converted, so that nothing is
    // kept on the stack between the three.
    countTime(entry.lastAccess, zone, today, bytes, stats.accessTimeSlots, stats.accessAgeCount,
              stats.accessAgeBytes, facts.ages[kDateAccessed], facts.halfHours[kDateAccessed]);
    countTime(entry.creation, zone, today, bytes, stats.createdTimeSlots, stats.createdAgeCount,
              stats.createdAgeBytes, facts.ages[kDateCreated], facts.halfHours[kDateCreated]);
    countTime(entry.lastWrite, zone, today, bytes, stats.modifiedTimeSlots, stats.modifiedAgeCount,
              stats.modifiedAgeBytes, facts.ages[kDateModified], facts.halfHours[kDateModified]);
}

// A-Z to upper case in all eight bytes of a word at once: a byte below 0x80
// whose low seven bits are at least 'a' and at most 'z' loses its 0x20 bit.
std::uint64_t upperCaseBytes(std::uint64_t word)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const std::uint64_t low = word & ~kHigh;
    const std::uint64_t atLeastA = low + (0x80 - 'a') * kOnes;
    const std::uint64_t aboveZ = low + (0x80 - 'z' - 1) * kOnes;
    const std::uint64_t lower = (atLeastA & ~aboveZ) & ~word & kHigh;
    return word ^ (lower >> 2);
}

// The place (0 = lowest) of the highest byte of word equal to c, or -1.
int lastByteEqualTo(std::uint64_t word, unsigned char c)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = word ^ (c * kOnes); // the bytes equal to c are now 0
    // The high bit of each byte of x that is 0, and of no other: exact, so
    // the highest one found is the one wanted.
    const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
    return zero == 0 ? -1 : (63 - std::countl_zero(zero)) / 8;
}

// A type key's bytes with A-Z in upper case in one word, its first byte
// lowest (zero-padded: names hold no NUL byte, so no two keys give the same
// word); false for a key longer than a word.
bool packKey(std::string_view key, std::uint64_t &packed)
{
    if (key.size() > sizeof packed)
        return false;
    std::uint64_t word = 0;
    for (std::size_t i = key.size(); i > 0; --i)
        word = word << 8 | static_cast<unsigned char>(key[i - 1]);
    packed = upperCaseBytes(word);
    return true;
}

std::size_t homeSlot(std::uint64_t packed, std::size_t slots)
{
    return (packed * 0x9E3779B97F4A7C15ULL) >> (64 - std::countr_zero(slots));
}

} // namespace

// Inline: crunchNumbers, its one caller, asks for every file of a walk, and
// the call alone cost a fifth of what this does.
[[gnu::always_inline]] inline int TypeIndex::countName(Statistics &stats, std::string_view fileName,
                                                       std::int64_t size)
{
    // The key is the name from its last dot on, packed: the name's last
    // eight bytes (all of a shorter name) read as one word, its first byte
    // lowest, shifted down to that dot. A name without a dot among those
    // bytes takes the long way.
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    const std::size_t length = std::min(fileName.size(), kWord);
    const char *tail = fileName.data() + fileName.size() - length;
    std::uint64_t word = 0;
    if (length == kWord && std::endian::native == std::endian::little) {
        // One load and no loop: a loop would stop after as many bytes as the
        // key has, a count that changes from file to file and mispredicts.
        std::memcpy(&word, tail, kWord);
    } else {
        for (std::size_t i = length; i > 0; --i)
            word = word << 8 | static_cast<unsigned char>(tail[i - 1]);
    }
    // The zero bytes above a short name are never taken for its dot.
    const int dot = lastByteEqualTo(word, '.');
    if (dot < 0)
        return count(stats, fileExtension(fileName), size);
    const std::uint64_t packed = upperCaseBytes(word >> (8 * dot));
    if (fits(stats)) {
        const Slot &slot = m_slots[homeSlot(packed, kSlots)];
        if (slot.key == packed && slot.line != kEmpty) {
            if (slot.line == kRejected)
                return -1;
            TypeTotal &line = stats.lbTypes[static_cast<std::size_t>(slot.line)];
            line.files += 1;
            line.bytes += size;
            return slot.line;
        }
    }
    return countSlowly(stats, std::string_view(tail + dot, length - static_cast<std::size_t>(dot)),
                       packed, size);
}

void crunchNumbers(Statistics &stats, const CrunchContext &context, std::string_view directory,
                   const DirectoryEntry &entry)
{
    if (context.hooks && stats.filesProcessed % 3 == 0)
        context.hooks->showProgress(context.currentDrive, directory);
    if (context.filter && !context.filter->isThisSelected(entry.name))
        return;

    stats.filesSelected += 1;
    const std::int64_t size = entry.size;
    const auto bytes = static_cast<double>(size);
    collectFileAttr(stats, entry.attributes, size);
    FileFacts facts;
    facts.size = size;
    facts.attributes = entry.attributes;

    // The walk hands each thread a cache of its own, whose hits are worth
    // inlining: three lookups per file.
    if (context.zoneCache)
        countTimes(stats, *context.zoneCache, entry, context.today, bytes, facts);
    else
        countTimes(stats, *context.zone, entry, context.today, bytes, facts);

    const int line = context.types ? context.types->countName(stats, entry.name, size)
                                   : insertType(stats, fileExtension(entry.name), size, false);

    const auto band = static_cast<std::size_t>(sizeBand(size));
    stats.sizeBandCount[band] += 1;
    stats.sizeBandBytes[band] += bytes;
    facts.band = static_cast<std::uint8_t>(band);

    if (context.overhangEnabled) {
        // The cluster sizes are powers of two: what the last cluster leaves
        // free is the negated size masked, with no division and no branch
        // (0 for a file that fills it).
        constexpr double Statistics::*kSums[] = {&Statistics::overhang4K, &Statistics::overhang8K,
                                                 &Statistics::overhang16K, &Statistics::overhang32K,
                                                 &Statistics::overhang64K};
        static_assert(std::size(kSums) == kOverhangClusterSizes.size());
        const std::uint64_t negated = 0 - static_cast<std::uint64_t>(size);
        for (std::size_t i = 0; i < kOverhangClusterSizes.size(); ++i) {
            const auto mask = static_cast<std::uint64_t>(kOverhangClusterSizes[i] - 1);
            stats.*kSums[i] += static_cast<double>(static_cast<std::int64_t>(negated & mask));
        }
        facts.overhangCounted = true;
        facts.wasted = wastedBytes(size, context.clusterSize);
    }
    if (context.keeper) {
        facts.typed = line >= 0;
        context.keeper->keep(directory, entry, facts,
                             line >= 0 ? std::string_view(stats.lbTypes[std::size_t(line)].key)
                                       : std::string_view(),
                             line, stats.lbTypes.size());
    }
}

void TypeIndex::startOver(const Statistics &stats)
{
    m_slots.fill(Slot{});
    m_record = &stats;
    m_lines = stats.lbTypes.data();
    m_linesEnd = stats.lbTypes.data() + stats.lbTypes.size();
}

bool TypeIndex::fits(const Statistics &stats) const
{
    return m_record == &stats && m_lines == stats.lbTypes.data() &&
           m_linesEnd == stats.lbTypes.data() + stats.lbTypes.size();
}

int TypeIndex::count(Statistics &stats, std::string_view key, std::int64_t size)
{
    std::uint64_t packed = 0;
    if (!packKey(key, packed))
        return insertType(stats, key, size, false);
    return countSlowly(stats, key, packed, size);
}

int TypeIndex::countSlowly(Statistics &stats, std::string_view key, std::uint64_t packed,
                           std::int64_t size)
{
    if (!fits(stats))
        startOver(stats);
    // A few slots from the key's home on; the first empty one ends the search.
    constexpr std::size_t kProbes = 4;
    const std::size_t home = homeSlot(packed, kSlots);
    Slot *free = nullptr;
    for (std::size_t i = 0; i < kProbes; ++i) {
        Slot &slot = m_slots[(home + i) % kSlots];
        if (slot.line == kEmpty) {
            free = &slot;
            break;
        }
        if (slot.key == packed) {
            if (slot.line == kRejected)
                return -1;
            TypeTotal &line = stats.lbTypes[static_cast<std::size_t>(slot.line)];
            line.files += 1;
            line.bytes += size;
            return slot.line;
        }
    }
    insertType(stats, key, size, false);
    // A new line moves the lines after it: every remembered place may be wrong.
    if (!fits(stats)) {
        startOver(stats);
        free = &m_slots[home];
    }
    if (!free)
        free = &m_slots[home]; // all taken: the newest key takes its home slot
    const int line = findType(stats, key);
    free->key = packed;
    free->line = line >= 0 ? line : kRejected;
    return line;
}

void Statistics::merge(const Statistics &other)
{
    std::vector<TypeTotal> merged;
    merged.reserve(lbTypes.size() + other.lbTypes.size());
    auto a = lbTypes.begin();
    auto b = other.lbTypes.begin();
    while (a != lbTypes.end() || b != other.lbTypes.end()) {
        const int c = a == lbTypes.end()         ? 1
                      : b == other.lbTypes.end() ? -1
                                                 : compareKey(a->key, b->key);
        if (c < 0) {
            merged.push_back(std::move(*a++));
        } else if (c > 0) {
            merged.push_back(*b++);
        } else {
            TypeTotal line = std::move(*a++);
            line.files += b->files;
            line.bytes += b->bytes;
            ++b;
            merged.push_back(std::move(line));
        }
    }
    lbTypes = std::move(merged);

    addArray(sizeBandCount, other.sizeBandCount);
    addArray(sizeBandBytes, other.sizeBandBytes);
    addArray(accessAgeCount, other.accessAgeCount);
    addArray(accessAgeBytes, other.accessAgeBytes);
    addArray(createdAgeCount, other.createdAgeCount);
    addArray(createdAgeBytes, other.createdAgeBytes);
    addArray(modifiedAgeCount, other.modifiedAgeCount);
    addArray(modifiedAgeBytes, other.modifiedAgeBytes);
    addArray(modifiedTimeSlots, other.modifiedTimeSlots);
    addArray(createdTimeSlots, other.createdTimeSlots);
    addArray(accessTimeSlots, other.accessTimeSlots);

    readOnlyCount += other.readOnlyCount;
    hiddenCount += other.hiddenCount;
    systemCount += other.systemCount;
    archiveCount += other.archiveCount;
    readOnlyBytes += other.readOnlyBytes;
    hiddenBytes += other.hiddenBytes;
    systemBytes += other.systemBytes;
    archiveBytes += other.archiveBytes;

    overhang4K += other.overhang4K;
    overhang8K += other.overhang8K;
    overhang16K += other.overhang16K;
    overhang32K += other.overhang32K;
    overhang64K += other.overhang64K;

    filesProcessed += other.filesProcessed;
    filesSelected += other.filesSelected;
}

std::string_view sizeBandLabel(int band)
{
    static constexpr std::string_view kLabels[] = {
        "0 - 16K",    "16K - 32K", "32K - 64K", "64K - 128K", "128K - 256K", "256K - 512K",
        "512K - 1MB", "1MB - 2MB", "2MB - 4MB", "4MB - 8MB",  "8MB - 16MB",  "Over 16MB"};
    return band >= 1 && band <= kSizeBands ? kLabels[band - 1] : std::string_view();
}

std::string_view ageBucketLabel(int bucket)
{
    static constexpr std::string_view kLabels[] = {
        "Not recorded",   "<= 7 days",   "8 - 30 days", "31 - 60 days", "61 - 120 days",
        "121 - 365 days", "1 - 2 years", "2 - 3 years", "3 - 4 years",  "Over 4 years"};
    return bucket >= 0 && bucket < kAgeBuckets ? kLabels[bucket] : std::string_view();
}

} // namespace vorin
