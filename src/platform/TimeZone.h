#pragma once

#include "support/DosTime.h"

namespace vorin {

// The operating system's local time zone (localtime_r on POSIX). Thread-safe;
// wrap it in a CachedUtcOffsets per thread for the walk.
class SystemTimeZone final : public UtcOffsetSource
{
public:
    [[nodiscard]] std::int32_t utcOffsetSeconds(std::int64_t utcSeconds) const override;
};

// Today's local date as a day number (0 = 1970-01-01).
[[nodiscard]] std::int64_t localToday();

} // namespace vorin
