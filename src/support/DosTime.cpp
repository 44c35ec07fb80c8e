#include "support/DosTime.h"

#include <cstdio>

namespace vorin {

// Howard Hinnant's days-from-civil algorithm: exact for every Gregorian date,
// with no table and no call into the C library.
std::int64_t daysFromCivil(int year, unsigned month, unsigned day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilDate civilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year), month, day};
}

std::string isoLocalTime(FileTime time, const UtcOffsetSource &zone)
{
    // Years of four digits: a wild time from a broken file system is left out.
    constexpr std::int64_t kYear10000 = 253402300800;
    if (!time.recorded() || time.seconds < -62135596800 || time.seconds >= kYear10000)
        return {};
    constexpr std::int64_t kDay = 86400;
    const std::int32_t offset = zone.utcOffsetSeconds(time.seconds);
    const std::int64_t local = time.seconds + offset;
    const std::int64_t days = (local >= 0 ? local : local - (kDay - 1)) / kDay;
    const auto second = static_cast<int>(local - days * kDay);
    const CivilDate date = civilFromDays(days);
    const int away = offset < 0 ? -offset : offset;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d%c%02d:%02d", date.year,
                  date.month, date.day, second / 3600, second / 60 % 60, second % 60,
                  offset < 0 ? '-' : '+', away / 3600, away / 60 % 60);
    return text;
}

void CachedUtcOffsets::fill(std::int64_t day) const
{
    constexpr std::int64_t kDay = 86400;
    Slot &slot = slotOf(day);
    const std::int64_t first = day * kDay;
    const std::int32_t before = m_source.utcOffsetSeconds(first);
    const std::int32_t after = m_source.utcOffsetSeconds(first + kDay - 1);
    slot.tag = tagOf(day);
    const bool wholeMinutes = before % 60 == 0 && before > -kDay && before < kDay;
    if (before == after && wholeMinutes) {
        slot.minutes = static_cast<std::int16_t>(before / 60);
        return;
    }
    slot.minutes = kAside;
    Change &change = m_changes[static_cast<std::uint64_t>(day) % kChangeSlots];
    change.offsetBefore = before;
    change.offsetAfter = after;
    change.changeAt = first;
    if (before != after) {
        std::int64_t lo = first;            // has offsetBefore
        std::int64_t hi = first + kDay - 1; // has offsetAfter
        while (hi - lo > 1) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            (m_source.utcOffsetSeconds(mid) == before ? lo : hi) = mid;
        }
        change.changeAt = hi;
    }
    change.day = day;
}

std::int32_t CachedUtcOffsets::changingOffset(std::int64_t day, std::int64_t utcSeconds) const
{
    const Change *change = &m_changes[static_cast<std::uint64_t>(day) % kChangeSlots];
    if (change->day != day) {
        // Another day kept aside took the slot since: ask again.
        slotOf(day).tag = kNoTag;
        fill(day);
    }
    return utcSeconds < change->changeAt ? change->offsetBefore : change->offsetAfter;
}

bool CachedUtcOffsets::longWay(FileTime time, LocalDaySecond &out) const
{
    constexpr std::int64_t kDay = 86400;
    const std::optional<std::int64_t> local = localDosSeconds(time, *this);
    if (!local)
        return false;
    // Within the packed range, so not negative.
    out = {*local / kDay, static_cast<std::int32_t>(*local % kDay)};
    return true;
}

std::uint32_t packDosDateTime(std::int64_t localSeconds)
{
    constexpr std::int64_t kSecondsPerDay = 86400;
    if (localSeconds < kFirstDosSecond || localSeconds >= kEndDosSecond)
        return 0;
    const std::int64_t days = localSeconds / kSecondsPerDay;
    const auto secondOfDay = static_cast<std::uint32_t>(localSeconds % kSecondsPerDay);
    const CivilDate date = civilFromDays(days);
    const std::uint32_t packedDate =
        (static_cast<std::uint32_t>(date.year - 1980) << 9) | (date.month << 5) | date.day;
    const std::uint32_t hours = secondOfDay / 3600;
    const std::uint32_t minutes = secondOfDay / 60 % 60;
    const std::uint32_t seconds = secondOfDay % 60;
    const std::uint32_t packedTime = (hours << 11) | (minutes << 5) | (seconds / 2);
    return (packedDate << 16) | packedTime;
}

std::optional<std::int64_t> localDosSeconds(FileTime time, const UtcOffsetSource &zone)
{
    return detail::localDosSecondsWith(
        time, [&zone](std::int64_t t) { return zone.utcOffsetSeconds(t); });
}

std::uint32_t dosDateTime(FileTime time, const UtcOffsetSource &zone)
{
    const std::optional<std::int64_t> local = localDosSeconds(time, zone);
    return local ? packDosDateTime(*local) : 0;
}

} // namespace vorin
