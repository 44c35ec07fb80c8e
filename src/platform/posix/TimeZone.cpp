#include "platform/TimeZone.h"

#include <ctime>
#include <limits>

namespace vorin {

std::int32_t SystemTimeZone::utcOffsetSeconds(std::int64_t utcSeconds) const
{
    if constexpr (sizeof(std::time_t) < sizeof(std::int64_t)) {
        if (utcSeconds < std::numeric_limits<std::time_t>::min() ||
            utcSeconds > std::numeric_limits<std::time_t>::max())
            return 0;
    }
    const std::time_t instant = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    // localtime_r, not localtime: the walk asks from several threads, and
    // localtime's shared result would be overwritten under them.
    if (localtime_r(&instant, &local) == nullptr)
        return 0;
    return static_cast<std::int32_t>(local.tm_gmtoff);
}

std::int64_t localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return static_cast<std::int64_t>(now) / 86400;
    return daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                         static_cast<unsigned>(local.tm_mday));
}

} // namespace vorin
