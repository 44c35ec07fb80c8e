#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class FileTypeRegistry;
struct Statistics;

// How the report's tables put figures into text.

// A text made fit for one terminal line: control bytes become "?", and a
// long text keeps its end.
[[nodiscard]] std::string terminalText(std::string_view text, std::size_t width);
// A whole number without separators ("0" for what is no number).
[[nodiscard]] std::string whole(double x);
// The registry's description of a type key (".ISO"; "" for no extension).
[[nodiscard]] std::string typeDescription(std::string_view key, const FileTypeRegistry &registry);
[[nodiscard]] std::string padRight(std::string text, std::size_t width);
[[nodiscard]] std::string padLeft(const std::string &text, std::size_t width);
// The start of a half hour of the day, "06:30".
[[nodiscard]] std::string slotTime(int slot);

// One line of the tables as the CSV gives them: types (key: the extension,
// label: its description), sizes (band 1 to 12), accessAge, createdAge,
// modifiedAge (bucket 0 to 9), modifiedTime, createdTime, accessTime (half
// hour 0 to 47, labelled by its start, files only), attributes (readOnly,
// hidden, system, archive).
struct ReportRow
{
    std::string table;
    std::string key;
    std::string label;
    double files = 0;
    std::optional<double> bytes;
};
[[nodiscard]] std::vector<ReportRow> reportRows(const Statistics &stats,
                                                const FileTypeRegistry &registry);

} // namespace vorin
