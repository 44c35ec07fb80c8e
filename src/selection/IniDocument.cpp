#include "selection/IniDocument.h"

#include "support/Utility.h"

#include <algorithm>

namespace vorin {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string_view stripQuotes(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

IniDocument IniDocument::parse(std::string_view text)
{
    IniDocument doc;
    if (text.substr(0, kBom.size()) == kBom) {
        doc.m_bom = true;
        text.remove_prefix(kBom.size());
    }
    const auto firstNewline = text.find('\n');
    if (firstNewline != std::string_view::npos)
        doc.m_newline = firstNewline > 0 && text[firstNewline - 1] == '\r' ? "\r\n" : "\n";
    doc.m_endsWithNewline = text.empty() || text.back() == '\n';

    std::string section;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);

        Line line;
        line.raw = std::string(raw);
        const std::string_view body = trimBlanks(raw);
        if (!body.empty() && body.front() == '[') {
            const auto close = body.find(']');
            section = std::string(trimBlanks(body.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            line.isSection = true;
        } else if (!body.empty() && body.front() != ';') {
            const auto eq = body.find('=');
            if (eq != std::string_view::npos) {
                line.key = std::string(trimBlanks(body.substr(0, eq)));
                line.value = std::string(stripQuotes(trimBlanks(body.substr(eq + 1))));
            }
        }
        line.section = section;
        doc.m_lines.push_back(std::move(line));
    }
    return doc;
}

std::string IniDocument::text() const
{
    std::string out;
    if (m_bom)
        out += kBom;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].raw;
        if (i + 1 < m_lines.size() || m_endsWithNewline)
            out += m_newline;
    }
    return out;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    for (const Line &line : m_lines)
        if (!line.isSection && !line.key.empty() &&
            equalsIgnoringAsciiCase(line.section, section) &&
            equalsIgnoringAsciiCase(line.key, key))
            return line.value;
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>>
IniDocument::entries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const Line &line : m_lines)
        if (!line.isSection && !line.key.empty() && equalsIgnoringAsciiCase(line.section, section))
            out.emplace_back(line.key, line.value);
    return out;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::size_t insertAt = m_lines.size();
    bool sectionSeen = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        Line &line = m_lines[i];
        if (!equalsIgnoringAsciiCase(line.section, section))
            continue;
        if (line.isSection && sectionSeen)
            continue;
        sectionSeen = true;
        if (!line.isSection && !line.key.empty() && equalsIgnoringAsciiCase(line.key, key)) {
            line.value = std::string(value);
            line.raw = line.key + "=" + line.value;
            return;
        }
        // A new key goes after the section's last non-blank line.
        if (!trimBlanks(line.raw).empty())
            insertAt = i + 1;
    }
    Line added;
    added.section = sectionSeen ? m_lines[insertAt - 1].section : std::string(section);
    added.key = std::string(key);
    added.value = std::string(value);
    added.raw = added.key + "=" + added.value;
    if (!sectionSeen) {
        if (!m_lines.empty() && !trimBlanks(m_lines.back().raw).empty()) {
            Line blank;
            blank.section = m_lines.back().section;
            m_lines.push_back(blank);
        }
        Line header;
        header.isSection = true;
        header.section = std::string(section);
        header.raw = "[" + header.section + "]";
        m_lines.push_back(header);
        m_lines.push_back(added);
        m_endsWithNewline = true;
        return;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), added);
    if (insertAt == m_lines.size() - 1)
        m_endsWithNewline = true;
}

} // namespace vorin
