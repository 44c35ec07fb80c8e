#pragma once

#include "engine/Statistics.h"
#include "platform/History.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class TypeFilter;

// Every figure of the pages as the history keeps it, keyed as the report's
// CSV keys them ("types" ".ISO", "sizes" "12", "accessTime" "28",
// "attributes" "hidden", "overhang" "4096"), with the files counted and
// selected under "counts".
[[nodiscard]] std::vector<HistoryFigure> historyFigures(const Statistics &stats);
// The record those figures were made from.
[[nodiscard]] Statistics statisticsOf(const std::vector<HistoryFigure> &figures);

// The type filter as the history names it: "" for every file, else
// "include " or "exclude " and the chosen entries.
[[nodiscard]] std::string filterText(const TypeFilter &filter);
// The filter such a text names: its patterns ("*.doc"), each with a TAB as
// the wizard's entries end; the descriptions are not needed to count.
[[nodiscard]] TypeFilter filterOfText(std::string_view text);

} // namespace vorin
