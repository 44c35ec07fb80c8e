#pragma once

#include "support/LocaleSeparators.h"

#include <string>
#include <string_view>

namespace vorin {

class StringGrid;

// Sorting the rows of a string grid by one key column, as the file-type
// table does from its sort menu. Both routines sort the rows firstRow to
// lastRow (rows outside stay as they are) and move every row whole, with all
// its cells. The quicksort swaps only a small index of row numbers and keys;
// each row of the range is copied exactly twice at the end, into a scratch
// copy of the range and back, so the cost does not grow with the width of a
// row. Not stable: rows with equal keys may change their order. GUI thread.

// Keys compared as text: a-z count as A-Z (no other character changes), then
// character by character by character code, a prefix before the longer text.
void sortGridText(StringGrid &grid, int firstRow, int lastRow, bool descending, int column);

// Keys compared as numbers: the cell text without the locale's thousands
// separators, read with its decimal separator; a text that is no number
// counts as 0.
void sortGridNumeric(StringGrid &grid, int firstRow, int lastRow, bool descending, int column,
                     const LocaleSeparators &locale);

// The text with every thousands separator of the locale removed; nothing
// else changes.
[[nodiscard]] std::string stripCommas(std::string_view text, const LocaleSeparators &locale);

} // namespace vorin
