#include "engine/report/HistoryReport.h"

#include "engine/Statistics.h"
#include "engine/report/Report.h"
#include "engine/report/ReportFormat.h"
#include "platform/FileSystem.h"
#include "platform/TimeZone.h"
#include "platform/Volumes.h"
#include "support/DosTime.h"
#include "support/Utility.h"

#include <algorithm>
#include <map>
#include <ostream>

namespace vorin {
namespace {

// The root of the drive an entry ("c:", "g: [/home/ann/Music]") names.
std::string rootOf(const std::string &entry, const Volumes &volumes)
{
    const std::optional<Volume> volume = volumes.find(asciiLower(entry.empty() ? '\0' : entry[0]));
    return volume ? volume->root : std::string();
}

// The scans of a root on the file system it holds now: another disk mounted
// there later has a history of its own.
std::vector<KeptScan> scansOf(ScanHistory &history, const std::string &root)
{
    std::vector<KeptScan> scans = history.scans(root);
    const std::string identity = fileSystemIdentity(root);
    std::erase_if(scans, [&identity](const KeptScan &s) { return s.identity != identity; });
    return scans;
}

std::string tableTime(std::int64_t seconds, const UtcOffsetSource &zone)
{
    std::string text = isoLocalTime({seconds}, zone).substr(0, 16);
    if (text.size() == 16)
        text[10] = ' ';
    return text;
}

constexpr std::pair<std::string_view, std::string_view> kHeadings[] = {
    {"types", "File types"},          {"sizes", "File sizes"},
    {"accessAge", "Accessed Date"},   {"createdAge", "Created Date"},
    {"modifiedAge", "Modified Date"}, {"modifiedTime", "Time of day, modified"},
    {"createdTime", "Time of day, created"}, {"accessTime", "Time of day, accessed"},
    {"attributes", "File attributes"},
};

// A line of both scans: the rows of now in their order, the types only the
// earlier scan had after the others of their table.
struct Paired
{
    const ReportRow *now = nullptr;
    const ReportRow *before = nullptr;
};

std::vector<Paired> pair(const std::vector<ReportRow> &now, const std::vector<ReportRow> &before)
{
    std::map<std::pair<std::string_view, std::string_view>, const ReportRow *> earlier;
    for (const ReportRow &row : before)
        earlier.emplace(std::pair<std::string_view, std::string_view>(row.table, row.key), &row);
    std::vector<Paired> out;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const auto found = earlier.find({now[i].table, now[i].key});
        out.push_back({&now[i], found == earlier.end() ? nullptr : found->second});
        if (found != earlier.end())
            earlier.erase(found);
        const bool lastOfTable = i + 1 == now.size() || now[i + 1].table != now[i].table;
        if (lastOfTable)
            for (const ReportRow &row : before)
                if (row.table == now[i].table && earlier.erase({row.table, row.key}) > 0)
                    out.push_back({nullptr, &row});
    }
    // A table now empty (no types at all) still shows what was there.
    for (const ReportRow &row : before)
        if (earlier.erase({row.table, row.key}) > 0)
            out.push_back({nullptr, &row});
    return out;
}

} // namespace

void ReportHooks::historyNotKept(std::string_view message)
{
    m_err << "vorin-report: " << message << " This scan is not kept.\n";
}

int listHistory(const std::vector<std::string> &entries, const ReportOptions &options,
                const Volumes &volumes, const ReportEnvironment &env)
{
    std::ostream &out = *env.out;
    std::vector<KeptScan> scans;
    try {
        const std::unique_ptr<ScanHistory> history = openScanHistory(env.historyPath);
        if (entries.empty())
            scans = history->scans();
        for (const std::string &entry : entries) {
            std::vector<KeptScan> some = scansOf(*history, rootOf(entry, volumes));
            scans.insert(scans.end(), some.begin(), some.end());
        }
    } catch (const HistoryError &e) {
        *env.err << "vorin-report: " << e.what() << '\n';
        return 1;
    }
    std::sort(scans.begin(), scans.end(), [](const KeptScan &a, const KeptScan &b) {
        return a.takenAt != b.takenAt ? a.takenAt < b.takenAt : a.id < b.id;
    });
    SystemTimeZone systemZone;
    const UtcOffsetSource &zone = env.zone ? *env.zone : systemZone;
    const auto when = [&zone](const KeptScan &scan) { return isoLocalTime({scan.takenAt}, zone); };
    if (options.json) {
        out << '[';
        for (std::size_t i = 0; i < scans.size(); ++i)
            out << (i ? "," : "") << "{\"id\":" << scans[i].id
                << ",\"date\":" << jsonString(when(scans[i]))
                << ",\"drive\":" << jsonString(scans[i].drive)
                << ",\"place\":" << jsonString(scans[i].place)
                << ",\"filter\":" << jsonString(scans[i].filter) << ",\"files\":" << scans[i].files
                << ",\"bytes\":" << whole(scans[i].bytes) << '}';
        out << "]\n";
    } else if (options.csv) {
        out << "id,date,drive,place,filter,files,bytes\r\n";
        for (const KeptScan &scan : scans)
            out << scan.id << ',' << when(scan) << ',' << csvField(scan.drive) << ','
                << csvField(scan.place) << ',' << csvField(scan.filter) << ',' << scan.files << ','
                << whole(scan.bytes) << "\r\n";
    } else {
        const auto n = [&env](double x) { return formatWhole(x, env.locale); };
        out << padLeft("Id", 6) << "  " << padRight("Date", 18) << padLeft("Files", 14)
            << padLeft("Bytes", 20) << "  Drive\n";
        for (const KeptScan &scan : scans)
            out << padLeft(std::to_string(scan.id), 6) << "  "
                << padRight(tableTime(scan.takenAt, zone), 18) << padLeft(n(double(scan.files)), 14)
                << padLeft(n(scan.bytes), 20) << "  "
                << terminalText(scan.drive, scan.drive.size() + 1) << '\n';
        if (scans.empty())
            out << "No scans are kept" << (entries.empty() ? "" : " of these drives") << ".\n";
    }
    out.flush();
    return 0;
}

KeptScan scanToCompare(ScanHistory &history, const std::string &which,
                       const std::vector<std::string> &entries, const Volumes &volumes)
{
    if (which == "previous") {
        if (entries.size() != 1)
            throw HistoryError("--compare previous needs one drive or directory.");
        const std::vector<KeptScan> scans = scansOf(history, rootOf(entries.front(), volumes));
        if (scans.empty())
            throw HistoryError("No earlier scan of " + entries.front() + " is kept.");
        return scans.back();
    }
    std::int64_t id = 0;
    const bool number = !which.empty() && which.size() < 19 &&
                        std::all_of(which.begin(), which.end(), [](char c) { return isDigit(c); });
    if (number)
        id = std::stoll(which);
    const std::optional<KeptScan> scan = number ? history.scan(id) : std::nullopt;
    if (!scan)
        throw HistoryError("No scan " + which + " is kept; --history lists them.");
    return *scan;
}

void writeComparison(std::ostream &out, bool csv, const Statistics &now, const Statistics &before,
                     const KeptScan &then, const FileTypeRegistry &registry,
                     const LocaleSeparators &locale, const UtcOffsetSource &zone)
{
    const std::vector<ReportRow> nowRows = reportRows(now, registry);
    const std::vector<ReportRow> beforeRows = reportRows(before, registry);
    const std::vector<Paired> lines = pair(nowRows, beforeRows);
    if (csv) {
        out << "table,key,label,files,bytes,files_before,bytes_before\r\n";
        const auto bytes = [](const ReportRow *row) {
            return row && row->bytes ? whole(*row->bytes) : std::string();
        };
        for (const Paired &line : lines) {
            const ReportRow &row = line.now ? *line.now : *line.before;
            out << row.table << ',' << csvField(row.key) << ',' << csvField(row.label) << ','
                << (line.now ? whole(line.now->files) : "") << ',' << bytes(line.now) << ','
                << (line.before ? whole(line.before->files) : "") << ',' << bytes(line.before)
                << "\r\n";
        }
        return;
    }
    const auto n = [&locale](double x) { return formatWhole(x, locale); };
    out << "Compared with the scan of " << tableTime(then.takenAt, zone) << " ("
        << terminalText(then.drive, then.drive.size() + 1) << ", " << n(double(then.files))
        << " files)\n";
    std::string_view table;
    for (const Paired &line : lines) {
        const ReportRow &row = line.now ? *line.now : *line.before;
        if (row.table != table) {
            table = row.table;
            std::string_view heading = table;
            for (const auto &[key, text] : kHeadings)
                if (key == table)
                    heading = text;
            out << '\n'
                << heading << '\n'
                << padRight("", 24) << padLeft("# Files", 14) << padLeft("Change", 12)
                << padLeft("Size", 20) << padLeft("Change", 18) << '\n';
        }
        std::string label = row.table == "types" ? (row.key.empty() ? "(none)" : row.key) : row.label;
        if (!line.before)
            label += " (new)";
        if (!line.now)
            label += " (gone)";
        const double files = line.now ? line.now->files : 0;
        const double filesBefore = line.before ? line.before->files : 0;
        out << padRight(terminalText(label, label.size() + 1), 24) << padLeft(n(files), 14)
            << padLeft(formatChange(files - filesBefore, locale), 12);
        if (row.bytes) {
            const double bytes = line.now && line.now->bytes ? *line.now->bytes : 0;
            const double bytesBefore = line.before && line.before->bytes ? *line.before->bytes : 0;
            out << padLeft(n(bytes), 20) << padLeft(formatChange(bytes - bytesBefore, locale), 18);
        }
        out << '\n';
    }
}

std::string comparisonJson(const KeptScan &then, const std::vector<HistoryFigure> &figures,
                           const UtcOffsetSource &zone)
{
    std::string out = ",\"before\":{\"id\":" + std::to_string(then.id) +
                      ",\"date\":" + jsonString(isoLocalTime({then.takenAt}, zone)) +
                      ",\"drive\":" + jsonString(then.drive) + ",\"figures\":[";
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const HistoryFigure &f = figures[i];
        out += (i ? ",{\"table\":" : "{\"table\":") + jsonString(f.table) +
               ",\"key\":" + jsonString(f.key) + ",\"files\":" + std::to_string(f.files) +
               ",\"bytes\":" + whole(f.bytes) + '}';
    }
    return out + "]}";
}

} // namespace vorin
