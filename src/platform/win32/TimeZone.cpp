#include "platform/TimeZone.h"

#include "platform/win32/Win32TimeZone.h"

#include <chrono>
#include <map>
#include <mutex>
#include <windows.h>

namespace vorin {
namespace {

constexpr std::int64_t kSecondsTo1970 = 11644473600LL; // from 1601-01-01
constexpr std::int64_t kTicksPerSecond = 10000000LL;

FILETIME fileTimeAt(std::int64_t utcSeconds)
{
    const auto ticks = static_cast<std::uint64_t>((utcSeconds + kSecondsTo1970) * kTicksPerSecond);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

std::int64_t secondsOf(const FILETIME &time)
{
    const auto ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return ticks / kTicksPerSecond - kSecondsTo1970;
}

// The zone's rules of one year (its bias and, where it has summer time, the
// two changes), as the system keeps them for that year: a zone whose rules
// changed over the years converts each date by the rules of its own year.
// Asking reads the registry, so the answers are kept, for a minute, so that a
// change of the machine's zone still shows soon.
class YearRules
{
public:
    bool rulesOf(int year, TIME_ZONE_INFORMATION &out)
    {
        const std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        if (now - m_since > std::chrono::minutes(1)) {
            m_years.clear();
            m_since = now;
        }
        const auto it = m_years.find(year);
        if (it != m_years.end()) {
            out = it->second;
            return true;
        }
        if (!GetTimeZoneInformationForYear(static_cast<USHORT>(year), nullptr, &out))
            return false;
        m_years.emplace(year, out);
        return true;
    }

private:
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_since{};
    std::map<int, TIME_ZONE_INFORMATION> m_years;
};

YearRules &yearRules()
{
    static YearRules rules;
    return rules;
}

bool rulesOf(const wchar_t *zoneKeyName, int year, TIME_ZONE_INFORMATION &out)
{
    if (zoneKeyName == nullptr)
        return yearRules().rulesOf(year, out);
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    lstrcpynW(zone.TimeZoneKeyName, zoneKeyName, 128);
    return GetTimeZoneInformationForYear(static_cast<USHORT>(year), &zone, &out) != 0;
}

} // namespace

std::int32_t utcOffsetInZone(const wchar_t *zoneKeyName, std::int64_t utcSeconds)
{
    // FILETIME and SYSTEMTIME hold the years 1601 to 30827.
    if (utcSeconds < -kSecondsTo1970 + 86400 || utcSeconds > 900000000000LL)
        return 0;
    const FILETIME utc = fileTimeAt(utcSeconds);
    SYSTEMTIME utcTime{};
    if (!FileTimeToSystemTime(&utc, &utcTime))
        return 0;
    TIME_ZONE_INFORMATION rules{};
    if (!rulesOf(zoneKeyName, utcTime.wYear, rules))
        return 0;
    SYSTEMTIME localTime{};
    FILETIME local{};
    if (!SystemTimeToTzSpecificLocalTime(&rules, &utcTime, &localTime) ||
        !SystemTimeToFileTime(&localTime, &local))
        return 0;
    return static_cast<std::int32_t>(secondsOf(local) - secondsOf(utc));
}

std::int32_t SystemTimeZone::utcOffsetSeconds(std::int64_t utcSeconds) const
{
    return utcOffsetInZone(nullptr, utcSeconds);
}

std::int64_t localToday()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return daysFromCivil(now.wYear, now.wMonth, now.wDay);
}

} // namespace vorin
