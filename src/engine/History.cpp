#include "engine/History.h"

#include "selection/TypeFilter.h"

#include <array>
#include <charconv>
#include <cmath>
#include <span>

namespace vorin {
namespace {

constexpr std::array<std::string_view, 4> kAttributeKeys = {"readOnly", "hidden", "system",
                                                            "archive"};
constexpr std::array<int, 5> kClusterSizes = {4096, 8192, 16384, 32768, 65536};

// The record's fields by table, for both ways.
template <typename Stats, typename Visit> void forEachTable(Stats &stats, Visit visit)
{
    visit("sizes", 1, std::span(stats.sizeBandCount).subspan(1),
          std::span(stats.sizeBandBytes).subspan(1));
    visit("accessAge", 0, std::span(stats.accessAgeCount), std::span(stats.accessAgeBytes));
    visit("createdAge", 0, std::span(stats.createdAgeCount), std::span(stats.createdAgeBytes));
    visit("modifiedAge", 0, std::span(stats.modifiedAgeCount), std::span(stats.modifiedAgeBytes));
}

template <typename Stats, typename Visit> void forEachSlots(Stats &stats, Visit visit)
{
    visit("modifiedTime", std::span(stats.modifiedTimeSlots));
    visit("createdTime", std::span(stats.createdTimeSlots));
    visit("accessTime", std::span(stats.accessTimeSlots));
}

template <typename Stats, typename Visit> void forEachAttribute(Stats &stats, Visit visit)
{
    visit(kAttributeKeys[0], stats.readOnlyCount, stats.readOnlyBytes);
    visit(kAttributeKeys[1], stats.hiddenCount, stats.hiddenBytes);
    visit(kAttributeKeys[2], stats.systemCount, stats.systemBytes);
    visit(kAttributeKeys[3], stats.archiveCount, stats.archiveBytes);
}

template <typename Stats> auto overhangSums(Stats &stats)
{
    return std::array{&stats.overhang4K, &stats.overhang8K, &stats.overhang16K, &stats.overhang32K,
                      &stats.overhang64K};
}

std::int64_t whole(double x)
{
    return static_cast<std::int64_t>(std::llround(x));
}

int numberOf(std::string_view key)
{
    int n = -1;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), n);
    return error == std::errc() && end == key.data() + key.size() ? n : -1;
}

} // namespace

std::vector<HistoryFigure> historyFigures(const Statistics &stats)
{
    std::vector<HistoryFigure> out;
    out.reserve(stats.lbTypes.size() + 200);
    for (const TypeTotal &type : stats.lbTypes)
        out.push_back({"types", type.key, type.files, static_cast<double>(type.bytes)});
    forEachTable(stats, [&out](std::string_view table, int first, auto counts, auto bytes) {
        for (std::size_t i = 0; i < counts.size(); ++i)
            out.push_back(
                {std::string(table), std::to_string(first + int(i)), whole(counts[i]), bytes[i]});
    });
    forEachSlots(stats, [&out](std::string_view table, auto slots) {
        for (std::size_t i = 0; i < slots.size(); ++i)
            out.push_back({std::string(table), std::to_string(i), whole(slots[i]), 0});
    });
    forEachAttribute(stats, [&out](std::string_view key, std::int64_t count, double bytes) {
        out.push_back({"attributes", std::string(key), count, bytes});
    });
    const auto sums = overhangSums(stats);
    for (std::size_t i = 0; i < sums.size(); ++i)
        out.push_back({"overhang", std::to_string(kClusterSizes[i]), 0, *sums[i]});
    out.push_back({"counts", "filesProcessed", stats.filesProcessed, 0});
    out.push_back({"counts", "filesSelected", stats.filesSelected, 0});
    return out;
}

Statistics statisticsOf(const std::vector<HistoryFigure> &figures)
{
    Statistics stats;
    for (const HistoryFigure &f : figures) {
        const int n = numberOf(f.key);
        if (f.table == "types") {
            if (const int line = insertType(stats, f.key, 0, true); line >= 0) {
                stats.lbTypes[std::size_t(line)].files = f.files;
                stats.lbTypes[std::size_t(line)].bytes = static_cast<std::int64_t>(f.bytes);
            }
            continue;
        }
        forEachTable(stats, [&](std::string_view table, int first, auto counts, auto bytes) {
            if (table == f.table && n >= first && std::size_t(n - first) < counts.size()) {
                counts[std::size_t(n - first)] = static_cast<double>(f.files);
                bytes[std::size_t(n - first)] = f.bytes;
            }
        });
        forEachSlots(stats, [&](std::string_view table, auto slots) {
            if (table == f.table && n >= 0 && std::size_t(n) < slots.size())
                slots[std::size_t(n)] = static_cast<double>(f.files);
        });
        if (f.table == "attributes")
            forEachAttribute(stats, [&f](std::string_view key, std::int64_t &count, double &bytes) {
                if (key == f.key) {
                    count = f.files;
                    bytes = f.bytes;
                }
            });
        const auto sums = overhangSums(stats);
        for (std::size_t i = 0; i < sums.size(); ++i)
            if (f.table == "overhang" && n == kClusterSizes[i])
                *sums[i] = f.bytes;
        if (f.table == "counts" && f.key == "filesProcessed")
            stats.filesProcessed = f.files;
        if (f.table == "counts" && f.key == "filesSelected")
            stats.filesSelected = f.files;
    }
    return stats;
}

std::string filterText(const TypeFilter &filter)
{
    if (filter.allFiles())
        return {};
    std::string text = filter.includeTypes() ? "include" : "exclude";
    for (const std::string &entry : filter.chosenEntries()) {
        text += ' ';
        text += entry;
    }
    return text;
}

TypeFilter filterOfText(std::string_view text)
{
    const bool include = text.starts_with("include ");
    if (!include && !text.starts_with("exclude "))
        return TypeFilter();
    // Patterns hold no blank and end at their TAB; a description follows
    // each, up to the blank before the next pattern.
    std::vector<std::string> entries;
    for (std::size_t tab = text.find('\t'); tab != std::string_view::npos;
         tab = text.find('\t', tab + 1)) {
        const std::size_t start = text.rfind(' ', tab) + 1;
        entries.push_back(std::string(text.substr(start, tab - start + 1)));
    }
    return TypeFilter(false, include, !include, std::move(entries));
}

} // namespace vorin
