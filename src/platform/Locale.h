#pragma once

#include "support/LocaleSeparators.h"

namespace vorin {

// The thousands and decimal separators of the user's locale (LC_NUMERIC on
// POSIX). The C locale names no grouping character; then "," and "." are used,
// as on an English system.
[[nodiscard]] LocaleSeparators systemLocaleSeparators();

} // namespace vorin
