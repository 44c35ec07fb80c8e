#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace vorin {

// A file time as the directory reader reports it: seconds since 1970-01-01
// UTC. kNotRecorded stands for a time the file system does not keep (a birth
// time on ext3, say).
struct FileTime
{
    static constexpr std::int64_t kNotRecorded = std::numeric_limits<std::int64_t>::min();
    std::int64_t seconds = kNotRecorded;

    [[nodiscard]] constexpr bool recorded() const { return seconds != kNotRecorded; }
    friend constexpr bool operator==(FileTime, FileTime) = default;
};

// The local time zone's offset from UTC at a given instant. The platform layer
// answers it from the operating system; tests use a fixed offset.
class UtcOffsetSource
{
public:
    virtual ~UtcOffsetSource() = default;
    [[nodiscard]] virtual std::int32_t utcOffsetSeconds(std::int64_t utcSeconds) const = 0;
};

// The local times the packed form can hold: 1980-01-01 00:00 up to, not
// including, 2108-01-01 00:00, in seconds since 1970-01-01.
inline constexpr std::int64_t kFirstDosSecond = 315532800;
inline constexpr std::int64_t kEndDosSecond = 4354819200;

// A local time as the bookkeeping files it: the day (since 1970-01-01) and
// the second of that day.
struct LocalDaySecond
{
    std::int64_t day = 0;
    std::int32_t second = 0;
};

// Remembers the offset per day of UTC, in a small direct-mapped table: the
// offset at the day's start, at its end and, on the one day a year when they
// differ, the second of the change (found once by halving). Every zone in use
// changes its offset at most once a day, so the answers are exact; the files
// of a drive share few enough days that almost every call is a table hit, where
// a libc local-time conversion costs ten times more. Not thread-safe: one per
// walking thread.
class CachedUtcOffsets final : public UtcOffsetSource
{
public:
    explicit CachedUtcOffsets(const UtcOffsetSource &source) : m_source(source) {}
    [[nodiscard]] std::int32_t utcOffsetSeconds(std::int64_t utcSeconds) const override
    {
        return offsetAt(utcSeconds);
    }

    // The same answer without the virtual call, for the walk's bookkeeping,
    // which asks three times per file: a table hit is a handful of
    // instructions when the compiler sees them.
    [[nodiscard]] std::int32_t offsetAt(std::int64_t utcSeconds) const
    {
        constexpr std::int64_t kDay = 86400;
        // Floor division, so that instants before 1970 fall on the right day.
        const std::int64_t day = utcSeconds / kDay - (utcSeconds % kDay < 0 ? 1 : 0);
        if (day < kFirstCachedDay || day > kLastCachedDay) [[unlikely]]
            return m_source.utcOffsetSeconds(utcSeconds); // some 300,000 years away
        return offsetOnDay(day, utcSeconds);
    }

    // A file time turned to local time, as localDosSeconds does, split into
    // its day and second; false when not recorded or out of the packed
    // range. A time well inside that range, on a day already in the table
    // with one offset all day, takes a short way: one division, one table
    // probe, no range checks after it. Every other time (a day not met yet,
    // the day or two a year when the offset changes) takes the long way,
    // which also files the day.
    [[nodiscard]] bool localDaySecond(FileTime time, LocalDaySecond &out) const
    {
        constexpr std::int64_t kDay = 86400;
        const std::int64_t t = time.seconds;
        if (t >= kFirstDosSecond + kDay && t < kEndDosSecond - kDay) [[likely]] {
            // Positive here: unsigned division is a multiplication.
            const auto day = static_cast<std::int64_t>(static_cast<std::uint64_t>(t) / kDay);
            const Slot &slot = slotOf(day);
            if (slot.tag == tagOf(day) && slot.minutes != kAside) [[likely]] {
                // Less than a day off UTC (fill keeps larger offsets aside),
                // so the local time is on the day before, the day or the next.
                std::int64_t second = t - day * kDay + slot.minutes * 60;
                std::int64_t localDay = day;
                if (second < 0) {
                    second += kDay;
                    --localDay;
                } else if (second >= kDay) {
                    second -= kDay;
                    ++localDay;
                }
                out = {localDay, static_cast<std::int32_t>(second)};
                return true;
            }
        }
        return longWay(time, out);
    }

private:
    [[nodiscard]] bool longWay(FileTime time, LocalDaySecond &out) const;

    // The offset at utcSeconds, which falls on day (a day that fits a slot).
    [[nodiscard]] std::int32_t offsetOnDay(std::int64_t day, std::int64_t utcSeconds) const
    {
        const Slot &slot = slotOf(day);
        if (slot.tag != tagOf(day)) [[unlikely]]
            fill(day);
        return slot.minutes != kAside ? slot.minutes * 60 : changingOffset(day, utcSeconds);
    }

    // Four bytes a day, so that the table stays small enough for the
    // processor's cache between one file's statx and the next: which of the
    // days of its slot it holds (the day divided by the slots), and the
    // offset of the whole day in minutes, or kAside on the day or two a year
    // when it changes (or for an offset of odd seconds, or of a day or more),
    // which is kept aside.
    static constexpr int kSlots = 4096; // eleven years of days
    static constexpr std::int16_t kNoTag = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int16_t kAside = std::numeric_limits<std::int16_t>::min();
    static constexpr std::int64_t kFirstCachedDay =
        (std::int64_t{std::numeric_limits<std::int16_t>::min()} + 1) * kSlots;
    static constexpr std::int64_t kLastCachedDay =
        (std::int64_t{std::numeric_limits<std::int16_t>::max()} + 1) * kSlots - 1;
    static std::int16_t tagOf(std::int64_t day)
    {
        // Floor division by the slots, which are a power of two.
        return static_cast<std::int16_t>(day >> 12);
    }
    static_assert(kSlots == 1 << 12);
    struct Slot
    {
        std::int16_t tag = kNoTag;
        std::int16_t minutes = 0;
    };
    // The slot that holds day, when it holds any.
    [[nodiscard]] Slot &slotOf(std::int64_t day) const
    {
        return m_slots[static_cast<std::uint64_t>(day) % kSlots];
    }
    static constexpr int kChangeSlots = 64;
    struct Change
    {
        std::int64_t day = std::numeric_limits<std::int64_t>::min();
        std::int64_t changeAt = 0; // first second with offsetAfter
        std::int32_t offsetBefore = 0;
        std::int32_t offsetAfter = 0;
    };
    // Asks the zone about day and files the answer in its slot (and, for a
    // day of change, in its change slot).
    void fill(std::int64_t day) const;
    [[nodiscard]] std::int32_t changingOffset(std::int64_t day, std::int64_t utcSeconds) const;

    const UtcOffsetSource &m_source;
    mutable Slot m_slots[kSlots];
    mutable Change m_changes[kChangeSlots];
};

// Calendar helpers on the proleptic Gregorian calendar; day 0 is 1970-01-01.
[[nodiscard]] std::int64_t daysFromCivil(int year, unsigned month, unsigned day);
struct CivilDate
{
    int year;
    unsigned month;
    unsigned day;
};
[[nodiscard]] CivilDate civilFromDays(std::int64_t days);

// Packs a local date and time in the FAT directory-entry layout: year - 1980
// in bits 25-31, month 21-24, day 16-20, hours 11-15, minutes 5-10, seconds / 2
// in 0-4. Seconds are rounded down to even. A time before 1980-01-01 or after
// 2107-12-31 23:59:58 cannot be packed and gives 0, "not recorded".
[[nodiscard]] std::uint32_t packDosDateTime(std::int64_t localSeconds);

// A file time in UTC turned to local time, in seconds since 1970-01-01; empty
// when the time is not recorded or the packed form cannot hold it.
[[nodiscard]] std::optional<std::int64_t> localDosSeconds(FileTime time,
                                                          const UtcOffsetSource &zone);

namespace detail {
template <typename OffsetAt>
[[nodiscard]] std::optional<std::int64_t> localDosSecondsWith(FileTime time, OffsetAt offsetAt)
{
    // Guard the addition: a wild time from a broken file system must not overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 50;
    if (!time.recorded() || time.seconds < -kLimit || time.seconds > kLimit)
        return std::nullopt;
    const std::int64_t local = time.seconds + offsetAt(time.seconds);
    if (local < kFirstDosSecond || local >= kEndDosSecond)
        return std::nullopt;
    return local;
}
} // namespace detail

// The same through a cache, inline, for the walk's bookkeeping.
[[nodiscard]] inline std::optional<std::int64_t> localDosSeconds(FileTime time,
                                                                 const CachedUtcOffsets &zone)
{
    return detail::localDosSecondsWith(time, [&zone](std::int64_t t) { return zone.offsetAt(t); });
}

// A file time as ISO 8601 in local time with the zone's offset at that
// instant, "2024-03-05T14:07:09+01:00"; empty when not recorded. For files
// and scripts, which must read it back whatever the reader's zone.
[[nodiscard]] std::string isoLocalTime(FileTime time, const UtcOffsetSource &zone);

// A file time in UTC, turned to local time and packed; 0 when not recorded or
// out of the packed range.
[[nodiscard]] std::uint32_t dosDateTime(FileTime time, const UtcOffsetSource &zone);

// The fields of a packed value, not checked for validity.
struct DosFields
{
    int year;
    int month;
    int day;
    int hours;
    int minutes;
    int seconds;
};
[[nodiscard]] constexpr DosFields unpackDosDateTime(std::uint32_t packed)
{
    return {static_cast<int>(packed >> 25) + 1980,   static_cast<int>((packed >> 21) & 0xF),
            static_cast<int>((packed >> 16) & 0x1F), static_cast<int>((packed >> 11) & 0x1F),
            static_cast<int>((packed >> 5) & 0x3F),  static_cast<int>(packed & 0x1F) * 2};
}

} // namespace vorin
