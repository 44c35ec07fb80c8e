#include "engine/report/ReportFormat.h"

#include "engine/Statistics.h"
#include "platform/FileTypeRegistry.h"
#include "selection/StatFiles.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vorin {

// A directory text made fit for one terminal line: control bytes become "?",
// and a long text keeps its end.
std::string terminalText(std::string_view text, std::size_t width)
{
    if (text.size() > width) {
        std::size_t start = text.size() - width;
        while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            ++start;
        text.remove_prefix(start);
    }
    std::string out;
    out.reserve(text.size() + 3);
    if (text.size() == width)
        out = "...";
    for (char c : text)
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return out;
}

std::string whole(double x)
{
    if (!std::isfinite(x))
        return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", x);
    return text;
}

std::string typeDescription(std::string_view key, const FileTypeRegistry &registry)
{
    return describeExtension(key.empty() ? std::string_view("*.") : key, registry);
}

std::string padRight(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string padLeft(const std::string &text, std::size_t width)
{
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string slotTime(int slot)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", slot / 2, slot % 2 ? 30 : 0);
    return text;
}

std::vector<ReportRow> reportRows(const Statistics &stats, const FileTypeRegistry &registry)
{
    std::vector<ReportRow> rows;
    const auto row = [&rows](std::string_view table, std::string key, std::string label,
                             double files, std::optional<double> bytes) {
        rows.push_back({std::string(table), std::move(key), std::move(label), files, bytes});
    };
    for (const TypeTotal &type : stats.lbTypes)
        row("types", type.key, typeDescription(type.key, registry), double(type.files),
            double(type.bytes));
    for (int band = 1; band <= kSizeBands; ++band)
        row("sizes", std::to_string(band), std::string(sizeBandLabel(band)),
            stats.sizeBandCount[band], stats.sizeBandBytes[band]);
    const auto ages = [&](std::string_view table, const std::array<double, kAgeBuckets> &count,
                          const std::array<double, kAgeBuckets> &bytes) {
        for (int bucket = 0; bucket < kAgeBuckets; ++bucket)
            row(table, std::to_string(bucket), std::string(ageBucketLabel(bucket)), count[bucket],
                bytes[bucket]);
    };
    ages("accessAge", stats.accessAgeCount, stats.accessAgeBytes);
    ages("createdAge", stats.createdAgeCount, stats.createdAgeBytes);
    ages("modifiedAge", stats.modifiedAgeCount, stats.modifiedAgeBytes);
    // The time of day counts files only.
    const auto slots = [&](std::string_view table, const std::array<double, kTimeSlots> &count) {
        for (int slot = 0; slot < kTimeSlots; ++slot)
            row(table, std::to_string(slot), slotTime(slot), count[slot], std::nullopt);
    };
    slots("modifiedTime", stats.modifiedTimeSlots);
    slots("createdTime", stats.createdTimeSlots);
    slots("accessTime", stats.accessTimeSlots);
    row("attributes", "readOnly", "Read-only", double(stats.readOnlyCount), stats.readOnlyBytes);
    row("attributes", "hidden", "Hidden", double(stats.hiddenCount), stats.hiddenBytes);
    row("attributes", "system", "System", double(stats.systemCount), stats.systemBytes);
    row("attributes", "archive", "Archive", double(stats.archiveCount), stats.archiveBytes);
    return rows;
}

} // namespace vorin
