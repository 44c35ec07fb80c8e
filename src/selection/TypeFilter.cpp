#include "selection/TypeFilter.h"

#include "support/Utility.h"

#include <algorithm>

namespace vorin {

std::string extractExtension(std::string_view entry)
{
    const auto tab = entry.find('\t');
    if (tab == std::string_view::npos || entry.empty())
        return {};
    return asciiLower(entry.substr(1, tab - 1));
}

std::string_view entryPattern(std::string_view entry)
{
    return entry.substr(0, entry.find('\t'));
}

TypeFilter::TypeFilter(bool allFiles, bool includeTypes, bool excludeTypes,
                       std::vector<std::string> chosenEntries)
    : m_allFiles(allFiles), m_includeTypes(includeTypes), m_excludeTypes(excludeTypes),
      m_entries(std::move(chosenEntries))
{
    // The chosen list is kept in the order of a sorted list box: by text, case ignored.
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const std::string &a, const std::string &b) {
                         return std::lexicographical_compare(
                             a.begin(), a.end(), b.begin(), b.end(),
                             [](char x, char y) { return asciiLower(x) < asciiLower(y); });
                     });
    m_extensions.reserve(m_entries.size());
    for (const std::string &entry : m_entries)
        m_extensions.push_back(extractExtension(entry));
}

bool TypeFilter::isChosenTypeSelected(std::string_view fileName) const
{
    const std::string_view ext = fileExtension(fileName);
    for (const std::string &chosen : m_extensions) {
        if (chosen.size() == ext.size() &&
            std::equal(chosen.begin(), chosen.end(), ext.begin(),
                       [](char c, char e) { return c == asciiLower(e); }))
            return m_includeTypes;
    }
    return m_excludeTypes;
}

} // namespace vorin
