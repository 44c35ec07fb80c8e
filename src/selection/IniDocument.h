#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// A settings file in Windows profile syntax, kept line by line so that a save
// changes only the keys it sets: comments, blank lines, unknown sections and
// keys come back out as they went in. Section and key names compare without
// regard to case; blanks around "=" are trimmed and one pair of surrounding
// quotes is stripped from a value. Reads CRLF or LF and writes what it read
// (LF for a new file).
class IniDocument
{
public:
    IniDocument() = default;
    [[nodiscard]] static IniDocument parse(std::string_view text);
    [[nodiscard]] std::string text() const;

    // The first value of key in section, as Windows answers it.
    [[nodiscard]] std::optional<std::string> value(std::string_view section,
                                                   std::string_view key) const;
    // Replaces the first key of that name in section, or appends it (and the
    // section) when missing.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // Every key of a section with its value, in file order.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>>
    entries(std::string_view section) const;

private:
    struct Line
    {
        std::string raw;     // the line as read, without its line ending
        std::string section; // the section it belongs to (empty before the first)
        std::string key;     // empty for section lines, comments and blank lines
        std::string value;
        bool isSection = false;
    };
    std::vector<Line> m_lines;
    std::string m_newline = "\n";
    bool m_endsWithNewline = true;
    bool m_bom = false; // a UTF-8 byte-order mark goes back out as it came in
};

} // namespace vorin
