#include "engine/report/ReportFile.h"

#include "engine/Drives.h"
#include "engine/report/Report.h"
#include "platform/Volumes.h"
#include "support/Json.h"
#include "support/Utility.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace vorin {

namespace {

using json::Value;

// Reads the members of one report object; each missing or mistyped member
// names itself in the error, so a damaged file says where.
class ReportReader
{
public:
    explicit ReportReader(const Value &root) : m_root(root) {}

    const Value &member(std::string_view key, Value::Kind kind) const
    {
        const Value *value = m_root.find(key);
        if (value == nullptr || value->kind() != kind)
            throw ReportFileError("not a report of Vorin 99: \"" + std::string(key) +
                                  "\" is missing or not what a report holds");
        return *value;
    }

    static std::int64_t count(const Value &value, std::string_view key)
    {
        if (!value.integer() || *value.integer() < 0)
            throw ReportFileError("not a report of Vorin 99: \"" + std::string(key) +
                                  "\" holds no count");
        return *value.integer();
    }
    std::int64_t count(std::string_view key) const
    {
        return count(member(key, Value::Kind::Number), key);
    }
    // Sums of bytes may exceed 64 bits on paper; they are doubles in the
    // figures too.
    double amount(std::string_view key) const
    {
        const double value = member(key, Value::Kind::Number).number();
        if (value < 0)
            throw ReportFileError("not a report of Vorin 99: \"" + std::string(key) +
                                  "\" is negative");
        return value;
    }

    template <std::size_t N>
    void amounts(std::string_view key, std::array<double, N> &into, std::size_t from) const
    {
        const Value &array = member(key, Value::Kind::Array);
        if (array.items().size() != N - from)
            throw ReportFileError("not a report of Vorin 99: \"" + std::string(key) + "\" holds " +
                                  std::to_string(array.items().size()) + " figures, not " +
                                  std::to_string(N - from));
        for (std::size_t i = from; i < N; ++i) {
            const Value &item = array.items()[i - from];
            if (!item.isNumber() || item.number() < 0)
                throw ReportFileError("not a report of Vorin 99: \"" + std::string(key) +
                                      "\" holds something else than figures");
            into[i] = item.number();
        }
    }

private:
    const Value &m_root;
};

} // namespace

ReportFile readReport(std::string_view text)
{
    Value root;
    try {
        root = json::parse(text);
    } catch (const json::ParseError &e) {
        if (e.truncated())
            throw ReportFileError("the report ends early (cut short?): " + std::string(e.what()));
        throw ReportFileError("not a report of Vorin 99 (no JSON): " + std::string(e.what()));
    }
    if (!root.isObject() || root.find("types") == nullptr || root.find("sizeBandCount") == nullptr)
        throw ReportFileError("not a report of Vorin 99: no file types and no size bands in it");
    const ReportReader read(root);

    ReportFile report;
    if (root.find("format") != nullptr) {
        const std::int64_t format = read.count("format");
        if (format > kReportFormat)
            throw ReportFileError("a report of a newer format (" + std::to_string(format) +
                                  ") than this program reads (" + std::to_string(kReportFormat) +
                                  ")");
        report.format = static_cast<int>(std::max<std::int64_t>(format, 1));
    }

    Statistics &s = report.statistics;
    s.filesProcessed = read.count("filesProcessed");
    s.filesSelected = read.count("filesSelected");
    report.clusterSize = static_cast<std::int32_t>(std::min<std::int64_t>(
        read.count("clusterSize"), std::numeric_limits<std::int32_t>::max()));
    for (const Value &threads : read.member("walkThreads", Value::Kind::Array).items())
        report.walkThreads.push_back(static_cast<int>(ReportReader::count(threads, "walkThreads")));

    for (const Value &type : read.member("types", Value::Kind::Array).items()) {
        const Value *key = type.find("key");
        if (!type.isObject() || key == nullptr || !key->isString())
            throw ReportFileError("not a report of Vorin 99: a type without its key");
        const ReportReader line(type);
        s.lbTypes.push_back({key->text(), line.count("files"), line.count("bytes")});
        if (const Value *description = type.find("description");
            description && description->isString())
            report.descriptions[key->text()] = description->text();
    }
    // The types table is kept in the order of its upper-case keys, which
    // adding tables up relies on; a report edited by hand may list them
    // otherwise.
    std::stable_sort(s.lbTypes.begin(), s.lbTypes.end(),
                     [](const TypeTotal &a, const TypeTotal &b) {
                         return asciiUpper(a.key) < asciiUpper(b.key);
                     });

    read.amounts("sizeBandCount", s.sizeBandCount, 1);
    read.amounts("sizeBandBytes", s.sizeBandBytes, 1);
    read.amounts("accessAgeCount", s.accessAgeCount, 0);
    read.amounts("accessAgeBytes", s.accessAgeBytes, 0);
    read.amounts("createdAgeCount", s.createdAgeCount, 0);
    read.amounts("createdAgeBytes", s.createdAgeBytes, 0);
    read.amounts("modifiedAgeCount", s.modifiedAgeCount, 0);
    read.amounts("modifiedAgeBytes", s.modifiedAgeBytes, 0);
    read.amounts("modifiedTimeSlots", s.modifiedTimeSlots, 0);
    read.amounts("createdTimeSlots", s.createdTimeSlots, 0);
    read.amounts("accessTimeSlots", s.accessTimeSlots, 0);
    s.readOnlyCount = read.count("readOnlyCount");
    s.hiddenCount = read.count("hiddenCount");
    s.systemCount = read.count("systemCount");
    s.archiveCount = read.count("archiveCount");
    s.readOnlyBytes = read.amount("readOnlyBytes");
    s.hiddenBytes = read.amount("hiddenBytes");
    s.systemBytes = read.amount("systemBytes");
    s.archiveBytes = read.amount("archiveBytes");
    s.overhang4K = read.amount("overhang4K");
    s.overhang8K = read.amount("overhang8K");
    s.overhang16K = read.amount("overhang16K");
    s.overhang32K = read.amount("overhang32K");
    s.overhang64K = read.amount("overhang64K");
    report.unreadableDirectories = read.count("unreadableDirectories");
    report.hardLinksSkipped = read.count("hardLinksSkipped");
    report.complete = read.member("complete", Value::Kind::Bool).boolean();

    if (report.format >= 2) {
        report.filter = read.member("filter", Value::Kind::String).text();
        for (const Value &drive : read.member("drives", Value::Kind::Array).items()) {
            const Value *entry = drive.find("drive");
            if (!drive.isObject() || entry == nullptr || !entry->isString())
                throw ReportFileError("not a report of Vorin 99: a drive without its name");
            const ReportReader space(drive);
            report.drives.push_back(
                {entry->text(), space.amount("capacity"), space.amount("free")});
        }
    }
    return report;
}

std::vector<ReportDrive> reportDrives(const std::vector<std::string> &entries,
                                      const Volumes &volumes)
{
    std::vector<ReportDrive> drives;
    for (const std::string &entry : entries) {
        const char letter = driveLetterOf(entry);
        const DiskSpace space = volumes.ready(letter) ? volumes.space(letter) : DiskSpace{};
        drives.push_back({entry, double(space.totalBytes), double(space.freeBytes)});
    }
    return drives;
}

ReportDescriptions::ReportDescriptions(const std::map<std::string, std::string> &descriptions)
{
    for (const auto &[key, description] : descriptions) {
        if (!description.empty())
            m_byKey.emplace(asciiLower(key), description);
    }
}

std::string ReportDescriptions::className(std::string_view ext) const
{
    return m_byKey.contains(ext) ? std::string(ext) : std::string();
}

std::string ReportDescriptions::classDescription(std::string_view className) const
{
    const auto found = m_byKey.find(className);
    return found == m_byKey.end() ? std::string() : found->second;
}

std::vector<std::string> ReportDescriptions::registeredExtensions() const
{
    std::vector<std::string> keys;
    for (const auto &[key, description] : m_byKey)
        keys.push_back(key);
    return keys;
}

ReportFile mergeReports(const std::vector<NamedReport> &reports)
{
    ReportFile sum;
    if (reports.empty())
        return sum;
    const NamedReport &first = reports.front();
    sum.format = first.report.format;
    sum.filter = first.report.filter;
    sum.clusterSize = first.report.clusterSize;
    sum.complete = true;
    for (const NamedReport &named : reports) {
        const ReportFile &report = named.report;
        if (report.format != sum.format)
            throw ReportFileError(first.name + " is a report of format " +
                                  std::to_string(sum.format) + ", " + named.name + " of format " +
                                  std::to_string(report.format) + ": they do not add up");
        if (report.filter != sum.filter) {
            const auto counted = [](const std::string &filter) {
                return filter.empty() ? std::string("all files") : "\"" + filter + "\"";
            };
            throw ReportFileError(first.name + " counts " + counted(sum.filter) + ", " +
                                  named.name + " counts " + counted(report.filter) +
                                  ": they do not add up");
        }
        sum.statistics.merge(report.statistics);
        // The overhang sums do not depend on it; a sum over drives of
        // different cluster sizes has none of its own.
        if (report.clusterSize != sum.clusterSize)
            sum.clusterSize = 0;
        sum.walkThreads.insert(sum.walkThreads.end(), report.walkThreads.begin(),
                               report.walkThreads.end());
        sum.drives.insert(sum.drives.end(), report.drives.begin(), report.drives.end());
        sum.unreadableDirectories += report.unreadableDirectories;
        sum.hardLinksSkipped += report.hardLinksSkipped;
        sum.complete = sum.complete && report.complete;
        for (const auto &[key, description] : report.descriptions)
            sum.descriptions.emplace(key, description);
    }
    return sum;
}

namespace {

std::string readWholeFile(const std::string &name)
{
    // The name is UTF-8 on every system; a path made from char8_t keeps it so
    // on Windows too.
    const std::u8string utf8(name.begin(), name.end());
    std::ifstream in(std::filesystem::path(utf8), std::ios::binary);
    if (!in)
        throw ReportFileError(name + " cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw ReportFileError(name + " cannot be read");
    return std::move(text).str();
}

} // namespace

ReportFile readReportFile(const std::string &path)
{
    try {
        return readReport(readWholeFile(path));
    } catch (const ReportFileError &e) {
        const std::string what = e.what();
        throw ReportFileError(what.starts_with(path) ? what : path + ": " + what);
    }
}

int mergeReportFiles(const ReportOptions &options, const ReportEnvironment &env)
{
    std::ostream &out = *env.out;
    std::vector<NamedReport> reports;
    ReportFile sum;
    try {
        for (const std::string &name : options.targets)
            reports.push_back({name, readReportFile(name)});
        sum = mergeReports(reports);
    } catch (const ReportFileError &e) {
        *env.err << "vorin-report: " << e.what() << '\n';
        return 2;
    }
    const ReportDescriptions described(sum.descriptions);
    std::vector<std::string> entries;
    for (const ReportDrive &drive : sum.drives)
        entries.push_back(drive.entry);
    if (options.json)
        writeReportJson(out, sum.statistics, sum.clusterSize, sum.walkThreads, sum.drives,
                        sum.filter, sum.unreadableDirectories, sum.hardLinksSkipped, sum.complete,
                        described);
    else if (options.csv)
        writeReportCsv(out, sum.statistics, described);
    else
        writeReportText(out, sum.statistics, entries, sum.clusterSize, sum.unreadableDirectories,
                        sum.hardLinksSkipped,
                        "Added up from " + std::to_string(reports.size()) +
                            (reports.size() == 1 ? " report" : " reports") +
                            (sum.complete ? "" : ", not all of them complete"),
                        sum.drives.size() == 1, described, env.locale);
    out.flush();
    return 0;
}

} // namespace vorin
