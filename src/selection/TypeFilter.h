#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// A type entry is one line: a pattern such as "*.doc", a TAB, a description.

// The extension of a type entry: from its second character up to the first
// TAB, lower-cased ("*.DOC\tx" gives ".doc"); empty when there is no TAB.
[[nodiscard]] std::string extractExtension(std::string_view entry);

// The pattern of a type entry: its text before the first TAB (all of it when
// it has none).
[[nodiscard]] std::string_view entryPattern(std::string_view entry);

// The extension of a file name: from its last "." to the end, dot included;
// empty when the name has no dot ("archive.tar.gz" gives ".gz"). Inline: the
// walk asks once or twice per file.
[[nodiscard]] inline std::string_view fileExtension(std::string_view fileName)
{
    for (std::size_t i = fileName.size(); i > 0; --i)
        if (fileName[i - 1] == '.')
            return fileName.substr(i - 1);
    return {};
}

// Decides, for every file a scan meets, whether it is counted: all files,
// only the chosen types, or all but the chosen types. Matching is literal
// (no wildcards) and ignores the case of A-Z. Cheap to ask from many threads
// at once: it keeps no state after construction and allocates nothing per call.
class TypeFilter
{
public:
    // Every file counts.
    TypeFilter() = default;
    TypeFilter(bool allFiles, bool includeTypes, bool excludeTypes,
               std::vector<std::string> chosenEntries);

    [[nodiscard]] bool isThisSelected(std::string_view fileName) const
    {
        return m_allFiles || isChosenTypeSelected(fileName);
    }

    [[nodiscard]] bool allFiles() const { return m_allFiles; }
    [[nodiscard]] bool includeTypes() const { return m_includeTypes; }
    [[nodiscard]] bool excludeTypes() const { return m_excludeTypes; }
    // The chosen type entries, sorted by text without regard to case.
    [[nodiscard]] const std::vector<std::string> &chosenEntries() const { return m_entries; }

private:
    [[nodiscard]] bool isChosenTypeSelected(std::string_view fileName) const;

    bool m_allFiles = true;
    bool m_includeTypes = false;
    bool m_excludeTypes = false;
    std::vector<std::string> m_entries;
    std::vector<std::string> m_extensions; // lower-cased, one per entry
};

} // namespace vorin
