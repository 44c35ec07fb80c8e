#pragma once

#include "support/LocaleSeparators.h"
#include "support/TimeOfDay.h"

namespace vorin {

// The separators and the short time format of a Windows locale named as
// GetLocaleInfoEx takes it ("de-DE"; LOCALE_NAME_USER_DEFAULT for the user's
// own). systemLocaleSeparators and systemShortTimeFormat ask for the user's.
[[nodiscard]] LocaleSeparators localeSeparatorsOf(const wchar_t *localeName);
[[nodiscard]] TimeOfDayFormat shortTimeFormatOf(const wchar_t *localeName);

} // namespace vorin
