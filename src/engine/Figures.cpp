#include "engine/Figures.h"

#include "platform/DirectoryReader.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <charconv>

namespace vorin {
namespace {

constexpr std::string_view kAttributeNames[kAttributeFigures] = {"readOnly", "hidden", "system",
                                                                 "archive"};

struct KindName
{
    FigureKind kind;
    std::string_view name;
    int first;
    int last;
};

constexpr KindName kKindNames[] = {
    {FigureKind::Size, "sizes", 1, kSizeBands},
    {FigureKind::AccessAge, "accessAge", 0, kAgeBuckets - 1},
    {FigureKind::CreatedAge, "createdAge", 0, kAgeBuckets - 1},
    {FigureKind::ModifiedAge, "modifiedAge", 0, kAgeBuckets - 1},
    // The half hour after midnight is a figure of the page too, always empty.
    {FigureKind::AccessTime, "accessTime", 0, kTimeSlots - 1},
    {FigureKind::CreatedTime, "createdTime", 0, kTimeSlots - 1},
    {FigureKind::ModifiedTime, "modifiedTime", 0, kTimeSlots - 1},
};

bool validFigure(const Figure &figure)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return typeKeyLength(figure.typeKey) <= kMaxTypeKeyLength &&
               (figure.typeKey.empty() || figure.typeKey.front() == '.');
    case FigureKind::Attribute:
        return figure.index >= 0 && figure.index < kAttributeFigures;
    case FigureKind::Overhang:
        return figure.index == 0;
    default:
        break;
    }
    for (const KindName &k : kKindNames)
        if (k.kind == figure.kind)
            return figure.index >= k.first && figure.index <= k.last;
    return false;
}

} // namespace

std::size_t dateOf(FigureKind kind)
{
    switch (kind) {
    case FigureKind::AccessAge:
    case FigureKind::AccessTime:
        return kDateAccessed;
    case FigureKind::CreatedAge:
    case FigureKind::CreatedTime:
        return kDateCreated;
    default:
        return kDateModified;
    }
}

std::string figureName(const Figure &figure)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return "types:" + figure.typeKey;
    case FigureKind::Attribute:
        return "attributes:" +
               std::string(kAttributeNames[std::clamp(figure.index, 0, kAttributeFigures - 1)]);
    case FigureKind::Overhang:
        return "overhang";
    default:
        break;
    }
    for (const KindName &k : kKindNames)
        if (k.kind == figure.kind)
            return std::string(k.name) + ':' + std::to_string(figure.index);
    return {};
}

std::optional<Figure> parseFigure(std::string_view name)
{
    if (name == "overhang")
        return Figure{FigureKind::Overhang, 0, {}};
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view kind = name.substr(0, colon);
    const std::string_view value = name.substr(colon + 1);
    Figure figure;
    if (kind == "types") {
        figure.typeKey = asciiUpper(value);
    } else if (kind == "attributes") {
        const auto *found =
            std::find(std::begin(kAttributeNames), std::end(kAttributeNames), value);
        if (found == std::end(kAttributeNames))
            return std::nullopt;
        figure.kind = FigureKind::Attribute;
        figure.index = static_cast<int>(found - std::begin(kAttributeNames));
    } else {
        const auto *found = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                         [kind](const KindName &k) { return k.name == kind; });
        if (found == std::end(kKindNames))
            return std::nullopt;
        figure.kind = found->kind;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), figure.index);
        if (error != std::errc() || end != value.data() + value.size() || value.empty())
            return std::nullopt;
    }
    if (!validFigure(figure))
        return std::nullopt;
    return figure;
}

std::string_view figureNameForms()
{
    return "types:EXT (types:.ISO; types: for files without one), sizes:1..12, "
           "accessAge:0..9, createdAge:0..9, modifiedAge:0..9, accessTime:0..47, "
           "createdTime:0..47, modifiedTime:0..47, attributes:readOnly|hidden|system|archive, "
           "overhang";
}

bool inFigure(const Figure &figure, const FileFacts &facts, std::string_view typeKey)
{
    switch (figure.kind) {
    case FigureKind::Type:
        return facts.typed && typeKey == figure.typeKey;
    case FigureKind::Size:
        return facts.band == figure.index;
    case FigureKind::AccessAge:
    case FigureKind::CreatedAge:
    case FigureKind::ModifiedAge:
        return facts.ages[dateOf(figure.kind)] == figure.index;
    case FigureKind::AccessTime:
    case FigureKind::CreatedTime:
    case FigureKind::ModifiedTime:
        return facts.halfHours[dateOf(figure.kind)] == figure.index;
    case FigureKind::Attribute:
        return figure.index >= 0 && figure.index < kAttributeFigures &&
               (facts.attributes & kAttributeBits[figure.index]) != 0;
    case FigureKind::Overhang:
        return facts.overhangCounted && facts.wasted > 0;
    }
    return false;
}

std::string attributeLetters(std::uint32_t attributes)
{
    std::string letters;
    for (int i = 0; i < kAttributeFigures; ++i)
        if (attributes & kAttributeBits[i])
            letters += "RHSA"[i];
    return letters;
}

std::string KeptFile::path() const
{
    std::string path = folder;
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
    path += name;
    return path;
}

std::string KeptFile::typeKey() const
{
    return facts.typed ? asciiUpper(fileExtension(name)) : std::string();
}

void uncount(Statistics &stats, const KeptFile &file)
{
    const FileFacts &f = file.facts;
    const auto bytes = static_cast<double>(f.size);
    stats.filesProcessed -= 1;
    stats.filesSelected -= 1;
    stats.sizeBandCount[f.band] -= 1;
    stats.sizeBandBytes[f.band] -= bytes;
    struct Date
    {
        std::array<double, kAgeBuckets> &count;
        std::array<double, kAgeBuckets> &bytes;
        std::array<double, kTimeSlots> &slots;
    };
    const Date dates[] = {
        {stats.accessAgeCount, stats.accessAgeBytes, stats.accessTimeSlots},
        {stats.createdAgeCount, stats.createdAgeBytes, stats.createdTimeSlots},
        {stats.modifiedAgeCount, stats.modifiedAgeBytes, stats.modifiedTimeSlots}};
    for (std::size_t d = 0; d < 3; ++d) {
        dates[d].count[f.ages[d]] -= 1;
        dates[d].bytes[f.ages[d]] -= bytes;
        if (f.halfHours[d] > 0)
            dates[d].slots[static_cast<std::size_t>(f.halfHours[d])] -= 1;
    }
    Statistics taken;
    collectFileAttr(taken, f.attributes, f.size);
    stats.readOnlyCount -= taken.readOnlyCount;
    stats.readOnlyBytes -= taken.readOnlyBytes;
    stats.hiddenCount -= taken.hiddenCount;
    stats.hiddenBytes -= taken.hiddenBytes;
    stats.systemCount -= taken.systemCount;
    stats.systemBytes -= taken.systemBytes;
    stats.archiveCount -= taken.archiveCount;
    stats.archiveBytes -= taken.archiveBytes;
    if (f.overhangCounted) {
        double *sums[] = {&stats.overhang4K, &stats.overhang8K, &stats.overhang16K,
                          &stats.overhang32K, &stats.overhang64K};
        for (std::size_t i = 0; i < kOverhangClusterSizes.size(); ++i)
            *sums[i] -= static_cast<double>(wastedBytes(f.size, kOverhangClusterSizes[i]));
    }
    if (f.typed) {
        const int line = findType(stats, file.typeKey());
        if (line >= 0) {
            TypeTotal &t = stats.lbTypes[static_cast<std::size_t>(line)];
            t.files -= 1;
            t.bytes -= f.size;
            if (t.files <= 0)
                stats.lbTypes.erase(stats.lbTypes.begin() + line);
        }
    }
}

} // namespace vorin
