#pragma once

#include <cstdint>

namespace vorin {

// The offset from UTC of local time at a UTC instant, in seconds, by the
// rules the system keeps for the year of that instant (a zone whose rules
// changed, as Moscow's did in 2011 and 2014, converts each date by its own
// year's). zoneKeyName names a zone of the registry ("W. Europe Standard
// Time"); nullptr takes the machine's. 0 when the system has no answer.
// SystemTimeZone asks this for the machine's zone.
[[nodiscard]] std::int32_t utcOffsetInZone(const wchar_t *zoneKeyName, std::int64_t utcSeconds);

} // namespace vorin
