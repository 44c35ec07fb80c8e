#include "selection/StatFiles.h"

#include "platform/FileTypeRegistry.h"
#include "platform/SettingsFile.h"
#include "selection/IniDocument.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <charconv>

namespace vorin {
namespace {

// The extension of a stored pattern: from its last "." when that dot lies in
// the last path component, else nothing ("*.doc" gives ".doc").
std::string_view patternExtension(std::string_view value)
{
    const auto dot = value.rfind('.');
    const auto separator = value.find_last_of("\\:/");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && separator > dot))
        return {};
    return value.substr(dot);
}

// The entry number of a key "File<n>" (n in decimal without leading zeros), or 0.
std::int64_t fileKeyNumber(std::string_view key)
{
    if (key.size() < 5 || asciiLower(key.substr(0, 4)) != "file" || key[4] == '0')
        return 0;
    std::int64_t n = 0;
    const char *first = key.data() + 4;
    const char *last = key.data() + key.size();
    const auto [end, error] = std::from_chars(first, last, n);
    return error == std::errc() && end == last && n > 0 ? n : 0;
}

// A file that is there but cannot be read loads like an empty one: the user
// gets the defaults, as for a missing file.
IniDocument loadForReading(const SettingsFile &file)
{
    try {
        return IniDocument::parse(file.read().value_or(std::string()));
    } catch (const SettingsReadError &) {
        return {};
    }
}

// A save rewrites the whole file from what it read, so a file it could not
// read is never replaced: the other list and everything else in it would be
// gone. The user hears of it as of any failed save.
IniDocument loadForSaving(const SettingsFile &file)
{
    try {
        return IniDocument::parse(file.read().value_or(std::string()));
    } catch (const SettingsReadError &) {
        throw SettingsWriteError("Unable to write to " + file.name());
    }
}

} // namespace

std::string describeExtension(std::string_view ext, const FileTypeRegistry &registry)
{
    if (ext == "*.")
        return "No extension";
    std::string result;
    if (!ext.empty()) {
        // Keys arrive upper-cased (".C" from the types table), and a MIME
        // database tells "*.C" (C++) from "*.c" (C) by case; names are mostly
        // written in lower case, so the lower-case reading is the likely one.
        const std::string className = registry.className(asciiLower(ext));
        if (!className.empty()) {
            result = registry.classDescription(className);
            if (result.empty())
                result = className;
        }
    }
    if (result.empty() && !ext.empty() && ext.find('*') == std::string_view::npos)
        result = asciiUpper(ext.substr(1)) + " File";
    return result;
}

std::string makeTypeEntry(std::string_view pattern, const FileTypeRegistry &registry)
{
    std::string entry(pattern);
    entry += '\t';
    entry += describeExtension(patternExtension(pattern), registry);
    return entry;
}

std::vector<std::string> ReadStatFilesFromDisk(const SettingsFile &file, std::string_view section,
                                               const FileTypeRegistry &registry)
{
    const IniDocument doc = loadForReading(file);
    std::int64_t number = -1;
    if (const auto stored = doc.value(section, "Number")) {
        const std::string text = *stored;
        std::int64_t n = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty())
            number = n < 0 ? -1 : n;
    }

    std::vector<std::string> entries;
    if (number < 0) {
        for (const char *pattern : {"*.doc", "*.exe", "*.dll"})
            entries.push_back(makeTypeEntry(pattern, registry));
        return entries;
    }

    // Walk the keys that are there rather than asking for File1 .. FileNumber:
    // a count of two billion in a damaged file then costs nothing.
    std::vector<std::pair<std::int64_t, std::string>> numbered;
    for (auto &[key, value] : doc.entries(section)) {
        const std::int64_t n = fileKeyNumber(key);
        if (n != 0 && n <= number)
            numbered.emplace_back(n, std::move(value));
    }
    // The first of two equal keys wins, as in any profile reader.
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    numbered.erase(std::unique(numbered.begin(), numbered.end(),
                               [](const auto &a, const auto &b) { return a.first == b.first; }),
                   numbered.end());
    for (const auto &[n, value] : numbered)
        if (!value.empty())
            entries.push_back(makeTypeEntry(value, registry));
    return entries;
}

void WriteStatFilesToDisk(SettingsFile &file, const std::vector<std::string> &entries,
                          std::string_view section)
{
    IniDocument doc = loadForSaving(file);
    doc.setValue(section, "Number", std::to_string(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        doc.setValue(section, "File" + std::to_string(i + 1), entryPattern(entries[i]));
    file.replace(doc.text());
}

bool ReadKeepHistory(const SettingsFile &file)
{
    const std::optional<std::string> keep = loadForReading(file).value("History", "Keep");
    return !keep || *keep != "0";
}

void WriteKeepHistory(SettingsFile &file, bool keep)
{
    IniDocument doc = loadForSaving(file);
    doc.setValue("History", "Keep", keep ? "1" : "0");
    file.replace(doc.text());
}

} // namespace vorin
