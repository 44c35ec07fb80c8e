#pragma once

#include "support/LocaleSeparators.h"

#include <string>
#include <string_view>

namespace vorin::chart {

// Writes a number through one of the program's display masks, such as
// "#,##0 MB" or "##0.# %", with the user's separators.
//
// Mask rules: "0" is a required digit, "#" an optional one; the first "." places
// the decimal separator (with no digit placeholder after it, none is written);
// a "," among the placeholders turns on thousands grouping; every other
// character, "%" included, is copied as it stands (nothing is multiplied).
// Text in single or double quotes is copied without its quotes. Rounding is half
// away from zero on the value's 15 significant decimal digits, so 1.005 with two
// decimals reads 1.01 as the user expects. An empty mask writes the number with
// up to 15 significant digits. Not-a-number and infinities read "NAN", "INF".
[[nodiscard]] std::string formatMask(double value, std::string_view mask,
                                     const LocaleSeparators &separators);

} // namespace vorin::chart
