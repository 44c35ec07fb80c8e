#pragma once

#include "support/LocaleSeparators.h"
#include "support/TimeOfDay.h"

namespace vorin {

// The thousands and decimal separators of the user's locale (LC_NUMERIC on
// POSIX). The C locale names no grouping character; then "," and "." are used,
// as on an English system.
[[nodiscard]] LocaleSeparators systemLocaleSeparators();

// How the user writes a time of day without seconds (LC_TIME on POSIX: the
// locale's time pattern, its 12-hour pattern where that names %r, and its AM
// and PM words), as UTF-8. The C locale, and a locale that is not installed,
// give "%H:%M".
[[nodiscard]] TimeOfDayFormat systemShortTimeFormat();

} // namespace vorin
