#pragma once

#include "support/Utility.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class FigureFiles;
class TypeFilter;
struct CrunchContext;

// Files and bytes of one file type. The key is the extension in upper case
// with its dot (".DOC"), at most five characters, or empty for files without
// an extension.
struct TypeTotal
{
    std::string key;
    std::int64_t files = 0;
    std::int64_t bytes = 0;

    friend bool operator==(const TypeTotal &, const TypeTotal &) = default;
};

inline constexpr int kSizeBands = 12;  // bands 1..12; index 0 unused
inline constexpr int kAgeBuckets = 10; // buckets 0..9
inline constexpr int kTimeSlots = 48;  // half hours 0..47
inline constexpr int kMaxTypeKeyLength = 5;
inline constexpr std::array<std::int64_t, 5> kOverhangClusterSizes = {4096, 8192, 16384, 32768,
                                                                      65536};

// Everything a statistics run counts, as one plain record. Each walking thread
// fills one of its own; they are merged when a drive is done. Counts and byte
// sums are 64-bit: files of 2 GiB and more, and totals past 2 GiB, are exact.
struct Statistics
{
    std::vector<TypeTotal> lbTypes; // ascending by key, letter case ignored

    std::array<double, kSizeBands + 1> sizeBandCount{};
    std::array<double, kSizeBands + 1> sizeBandBytes{};

    std::array<double, kAgeBuckets> accessAgeCount{};
    std::array<double, kAgeBuckets> accessAgeBytes{};
    std::array<double, kAgeBuckets> createdAgeCount{};
    std::array<double, kAgeBuckets> createdAgeBytes{};
    std::array<double, kAgeBuckets> modifiedAgeCount{};
    std::array<double, kAgeBuckets> modifiedAgeBytes{};

    std::array<double, kTimeSlots> modifiedTimeSlots{};
    std::array<double, kTimeSlots> createdTimeSlots{};
    std::array<double, kTimeSlots> accessTimeSlots{};

    std::int64_t readOnlyCount = 0;
    std::int64_t hiddenCount = 0;
    std::int64_t systemCount = 0;
    std::int64_t archiveCount = 0;
    double readOnlyBytes = 0;
    double hiddenBytes = 0;
    double systemBytes = 0;
    double archiveBytes = 0;

    double overhang4K = 0;
    double overhang8K = 0;
    double overhang16K = 0;
    double overhang32K = 0;
    double overhang64K = 0;

    std::int64_t filesProcessed = 0;
    std::int64_t filesSelected = 0;

    // Adds other's counts to these; type lines are merged by key.
    void merge(const Statistics &other);

    friend bool operator==(const Statistics &, const Statistics &) = default;
};

// What the bookkeeping needs from the statistics window, kept small so that
// the engine runs without one.
class StatisticsHooks
{
public:
    virtual ~StatisticsHooks() = default;
    // Every third file crunchNumbers counts: the drive and directory being
    // worked on. Called on the counting thread; an implementation copies the
    // texts and returns at once. (The walk passes no hooks: it publishes its
    // directory itself, once a directory.)
    virtual void showProgress(std::string_view drive, std::string_view directory) = 0;
    // The types table is emptied when a run starts.
    virtual void clearTypesTable() = 0;
};

// "Processing drive c: [/] ... standby : /home/ann"
[[nodiscard]] std::string processingText(std::string_view drive, std::string_view directory);

// Where the type lines of one record are, by key, so that a file's type is
// found by one probe of a small table instead of a search of the record's
// sorted lines. Short keys only (eight bytes or fewer, which is every type of
// five ordinary characters); the others take the search. A hit is trusted
// only while the record is the one the table was filled for and no line has
// been added since (a new line moves those after it); otherwise the table
// starts over. Rejected keys (more than five characters) are remembered too.
// One per walking thread: not to be shared.
class TypeIndex
{
public:
    // Counts a file of size bytes under key, as insertType(stats, key, size, false)
    // does, and answers the same.
    int count(Statistics &stats, std::string_view key, std::int64_t size);

private:
    // The same for the key of a file name (fileExtension), found and packed
    // in one pass from the name's end: the bookkeeping's way, inline there.
    int countName(Statistics &stats, std::string_view fileName, std::int64_t size);
    friend void crunchNumbers(Statistics &stats, const CrunchContext &context,
                              std::string_view directory, const DirectoryEntry &entry);

    static constexpr std::size_t kSlots = 256; // a power of two
    static constexpr std::int32_t kEmpty = -1;
    static constexpr std::int32_t kRejected = -2;
    struct Slot
    {
        std::uint64_t key = 0; // the key's bytes in upper case, zero-padded
        std::int32_t line = kEmpty;
    };
    void startOver(const Statistics &stats);
    [[nodiscard]] bool fits(const Statistics &stats) const;
    // Searches the slots around home for key (packed) and fills one on a miss.
    int countSlowly(Statistics &stats, std::string_view key, std::uint64_t packed,
                    std::int64_t size);

    std::array<Slot, kSlots> m_slots{};
    const void *m_record = nullptr;
    const TypeTotal *m_lines = nullptr;
    const TypeTotal *m_linesEnd = nullptr;
};

// The per-file context of the bookkeeping, fixed for one drive of a run.
struct CrunchContext
{
    const TypeFilter *filter = nullptr;    // nullptr counts every file
    const UtcOffsetSource *zone = nullptr; // required
    std::int64_t today = 0;                // local day number of the run's start
    bool overhangEnabled = false;          // the Overhang page is on (one-drive runs)
    StatisticsHooks *hooks = nullptr;
    std::string_view currentDrive;
    // The calling thread's own cache of zone, read inline (the walk gives
    // each thread one); nullptr asks zone.
    const CachedUtcOffsets *zoneCache = nullptr;
    // The calling thread's own index of the type lines; nullptr searches them.
    TypeIndex *types = nullptr;
    // The drive's cluster size, for the overhang the kept lists order by.
    std::int64_t clusterSize = 0;
    // The calling thread's own kept largest files; nullptr keeps none.
    FigureFiles *keeper = nullptr;
};

// The three file times of an entry, packed in local time.
struct PackedTimes
{
    std::uint32_t access = 0;
    std::uint32_t created = 0;
    std::uint32_t modified = 0;
};

void clearVariables(Statistics &stats, StatisticsHooks *hooks);

// Counts one regular file found in directory. Allocates nothing unless the
// file brings a type not seen before.
void crunchNumbers(Statistics &stats, const CrunchContext &context, std::string_view directory,
                   const DirectoryEntry &entry);

// The length of a type key in characters, for the five-character rule: each
// well-formed UTF-8 sequence counts one, and so does every other byte (a
// Latin-1 name, stray bytes), so no key counts shorter than it is and a key
// of five characters has at most 20 bytes.
[[nodiscard]] std::size_t typeKeyLength(std::string_view key);

// Adds a file of size bytes under key (registerOnly: adds the key with no
// files, leaves an existing line alone). Keys over five characters are ignored;
// every other key finds its line, so each key has at most one. Answers the
// index of the key's line, -1 for an ignored key.
int insertType(Statistics &stats, std::string_view key, std::int64_t size, bool registerOnly);
// The index of key's line in lbTypes (binary search, A-Z case ignored), or -1.
// Finds every key insertType accepts.
[[nodiscard]] int findType(const Statistics &stats, std::string_view key);

// Whole days between the packed date and today, or -1 when not recorded.
[[nodiscard]] int ageInDays(std::uint32_t packed, std::int64_t today);
[[nodiscard]] int ageToIndex(int days);
// The half hour of the day (0..47), or -1 when not recorded.
[[nodiscard]] int halfHourIndex(std::uint32_t packed);
// The size band 1..12 of a file of size bytes.
[[nodiscard]] int sizeBand(std::int64_t size);
// What the last cluster of a file leaves empty; 0 for an unknown cluster size.
[[nodiscard]] std::int64_t wastedBytes(std::int64_t size, std::int64_t clusterSize);
// The three dates, in the order of a file's facts.
enum FileDate : std::size_t { kAccessed = 0, kCreated = 1, kModified = 2 };
void collectFileAttr(Statistics &stats, std::uint32_t attributes, std::int64_t size);
void DropIntoHourSlot(Statistics &stats, const PackedTimes &times);

// The texts the pages show for bands and buckets: "0 - 16K" ... "Over 16MB",
// "Not recorded" ... "Over 4 years".
[[nodiscard]] std::string_view sizeBandLabel(int band);
[[nodiscard]] std::string_view ageBucketLabel(int bucket);

} // namespace vorin
