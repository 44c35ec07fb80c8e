#pragma once

#include <cstdint>
#include <limits>
#include <optional>

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
    [[nodiscard]] std::int32_t utcOffsetSeconds(std::int64_t utcSeconds) const override;

private:
    static constexpr int kSlots = 4096; // eleven years of days
    struct Slot
    {
        std::int64_t day = std::numeric_limits<std::int64_t>::min();
        std::int64_t changeAt = 0; // first second with offsetAfter
        std::int32_t offsetBefore = 0;
        std::int32_t offsetAfter = 0;
    };
    const UtcOffsetSource &m_source;
    mutable Slot m_slots[kSlots];
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

// The local times the packed form can hold: 1980-01-01 00:00 up to, not
// including, 2108-01-01 00:00, in seconds since 1970-01-01.
inline constexpr std::int64_t kFirstDosSecond = 315532800;
inline constexpr std::int64_t kEndDosSecond = 4354819200;

// A file time in UTC turned to local time, in seconds since 1970-01-01; empty
// when the time is not recorded or the packed form cannot hold it.
[[nodiscard]] std::optional<std::int64_t> localDosSeconds(FileTime time,
                                                          const UtcOffsetSource &zone);

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
