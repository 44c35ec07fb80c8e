#include "engine/report/Report.h"

#include "engine/Drives.h"
#include "engine/FigureListing.h"
#include "engine/History.h"
#include "engine/report/HistoryReport.h"
#include "engine/report/ReportFile.h"
#include "engine/report/ReportFormat.h"
#include "engine/ScanRun.h"
#include "platform/FileTypeRegistry.h"
#include "platform/FolderVolumes.h"
#include "platform/History.h"
#include "platform/Messages.h"
#include "platform/TimeZone.h"
#include "platform/Volumes.h"
#include "selection/StatFiles.h"
#include "selection/TypeFilter.h"
#include "support/Utility.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

namespace vorin {

namespace {

constexpr std::string_view kUsage =
    "usage: vorin-report [--json|--csv] [--threads N] [--include EXT,...|--exclude EXT,...] "
    "[--files FIGURE [--all]] [--compare ID|previous] [--no-history] TARGET...  |  vorin-report "
    "--history [TARGET...]  |  "
    "vorin-report --merge REPORT.json...  |  "
    "vorin-report --drives  |  vorin-report --help";

constexpr std::string_view kHelp =
    R"(Usage: vorin-report [OPTION]... TARGET...
       vorin-report --history [TARGET]...
       vorin-report --merge [--json|--csv] REPORT.json...
       vorin-report --drives
Counts the files of drives or directories as Vorin 99 does and prints the
tables of its statistics pages: file types, size bands, the ages of the three
file dates, attributes, cluster overhang (one target only) and the time of day.

A TARGET is a drive as --drives names it (c:), or a directory, which is
counted as a drive of its own on the next free letter after the drives
(g: [/home/ann/Music]). The walk stays on the target's file system.

Options:
  --json             print one JSON object with every figure
  --csv              print the tables as one CSV table with the columns
                     table,key,label,files,bytes (tables: types, sizes,
                     accessAge, createdAge, modifiedAge, modifiedTime,
                     createdTime, accessTime, attributes; numbers without
                     separators)
  --threads N        walk with N threads, 1 to 64; default: what the drive's
                     storage suits (many on solid-state and network drives,
                     two on rotating disks)
  --include EXT,...  count only files of these types (doc, .doc or *.doc,
                     in any case)
  --exclude EXT,...  count every file but those of these types
  --files FIGURE     print the files behind one figure instead of the tables,
                     the 200 largest (the overhang's by the space they waste):
                     types:.ISO (types: for files without extension), sizes:1
                     to sizes:12, accessAge:0 to :9, createdAge:, modifiedAge:,
                     accessTime:0 to :47, createdTime:, modifiedTime:,
                     attributes:readOnly, :hidden, :system, :archive, overhang;
                     --csv gives path,bytes,modified,accessed,created,attributes
  --all              with --files: every file of the figure, from a walk that
                     keeps nothing else
  --history          list the kept scans (of the TARGETs' drives, if given):
                     id, date, drive, files and bytes; with --json or --csv
  --compare ID|previous
                     print every table with its change since a kept scan (its
                     id from --history, or the last one of the one TARGET);
                     --csv adds the columns files_before,bytes_before, --json
                     the earlier figures under "before"
  --no-history       keep nothing of this scan; every complete scan of a drive
                     is kept otherwise, in $XDG_DATA_HOME/vorin99/history.sqlite
                     (~/.local/share when unset)
  --merge            add up reports written with --json (of other drives, or
                     of other machines) into one: every figure the sum of
                     theirs, their drives listed together; reports of
                     different type filters or formats are refused
  --drives           list the drives with their roots, types and space
  --help             print this help and exit
  --version          print the version and exit
  --                 take every argument after it as a target

Ctrl-C stops the walk and prints what was counted (JSON: "complete": false).

Exit status:
  0    done
  1    nothing could be scanned
  2    bad command line, or a target that is no drive or readable directory
  130  interrupted
)";

// "doc", ".doc" and "*.doc", in any case, give the type entry "*.doc\t".
std::string typeEntryFor(std::string_view text)
{
    std::string_view ext = text;
    if (!ext.empty() && ext.front() == '*')
        ext.remove_prefix(1);
    if (!ext.empty() && ext.front() == '.')
        ext.remove_prefix(1);
    if (ext.empty() || ext.find_first_of("*?/.\t") != std::string_view::npos)
        throw ReportUsageError("not a file type: \"" + std::string(text) + "\"");
    return "*." + asciiLower(ext) + "\t";
}

void addTypes(ReportOptions &options, std::string_view list)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string_view item = list.substr(start, comma - start);
        if (!item.empty())
            options.typeEntries.push_back(typeEntryFor(item));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (options.typeEntries.empty())
        throw ReportUsageError("no file types given");
}

int parseThreads(std::string_view text)
{
    int n = 0;
    if (text.empty() || text.size() > 3)
        throw ReportUsageError("--threads needs a number from 1 to 64");
    for (char c : text) {
        if (!isDigit(c))
            throw ReportUsageError("--threads needs a number from 1 to 64");
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 64)
        throw ReportUsageError("--threads needs a number from 1 to 64");
    return n;
}

// An option's value, given as "--name=value" or as the next argument.
std::string_view optionValue(const std::vector<std::string> &args, std::size_t &i,
                             std::string_view name)
{
    const std::string_view arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    if (i + 1 >= args.size())
        throw ReportUsageError(std::string(name) + " needs a value");
    return args[++i];
}

bool isOption(std::string_view arg, std::string_view name)
{
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

} // namespace

std::vector<std::string> resolveTargets(const std::vector<std::string> &targets,
                                        FolderVolumes &volumes, const Volumes &machine)
{
    std::vector<char> letters;
    for (const std::string &target : targets) {
        const bool driveName = target.size() == 2 && target[1] == ':' &&
                               asciiLower(target[0]) >= 'a' && asciiLower(target[0]) <= 'z';
        if (driveName) {
            const char letter = asciiLower(target[0]);
            if (!machine.find(letter))
                throw ReportUsageError("no such drive: " + target);
            letters.push_back(letter);
            continue;
        }
        const FolderOutcome outcome = volumes.addFolder(target);
        if (outcome.refusal) {
            switch (*outcome.refusal) {
            case FolderRefusal::Missing:
            case FolderRefusal::NotAFolder:
                throw ReportUsageError("no such drive or directory: " + target);
            case FolderRefusal::Unreadable:
                throw ReportUsageError("cannot read directory: " + target);
            case FolderRefusal::NoLetterLeft:
                throw ReportUsageError("too many directories: no drive letter is left for " +
                                       target);
            }
        }
        letters.push_back(outcome.letter);
    }

    const std::vector<std::string> listed = makeDriveEntries(volumes);
    std::vector<std::string> entries;
    for (const char letter : letters) {
        std::string entry(1, letter);
        entry += ':';
        for (const std::string &e : listed)
            if (asciiLower(e.front()) == letter)
                entry = e;
        entries.push_back(entry);
    }
    return entries;
}

namespace {

// Errors go to standard error as one line each; the notice before a run is
// for the window only.
class ReportMessages final : public Messages
{
public:
    explicit ReportMessages(std::ostream &err) : m_err(err), m_previous(installMessages(this)) {}
    ~ReportMessages() override { installMessages(m_previous); }
    ReportMessages(const ReportMessages &) = delete;
    ReportMessages &operator=(const ReportMessages &) = delete;

    void showError(std::string_view message) override
    {
        m_err << "vorin-report: " << message << '\n';
        ++errors;
    }
    void showSilentError(std::string_view message) override { showError(message); }
    void showInfo(std::string_view) override {}
    Answer confirm(std::string_view) override { return Answer::No; }

    int errors = 0;

private:
    std::ostream &m_err;
    Messages *m_previous;
};

// Watches a run on a terminal from a thread of its own: rewrites one progress
// line at most ten times a second.
class Monitor
{
public:
    Monitor(const WalkProgress &progress, const ReportEnvironment &env)
        : m_progress(progress), m_env(env)
    {
        m_thread = std::thread([this] { watch(); });
    }
    ~Monitor()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        if (m_shown)
            *m_env.err << "\r\x1b[K" << std::flush;
    }
    Monitor(const Monitor &) = delete;
    Monitor &operator=(const Monitor &) = delete;

private:
    void watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::milliseconds(100));
            if (!m_stop) {
                const std::int64_t files = m_progress.filesProcessed();
                *m_env.err << "\r\x1b[K" << formatInt(files, m_env.locale) << " files  "
                           << terminalText(m_progress.currentDirectory(), 60) << std::flush;
                m_shown = true;
            }
        }
    }

    const WalkProgress &m_progress;
    const ReportEnvironment &m_env;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_shown = false;
    std::thread m_thread;
};

void writeDrives(std::ostream &out, const Volumes &volumes, const LocaleSeparators &locale)
{
    for (const std::string &entry : makeDriveEntries(volumes)) {
        const char letter = asciiLower(entry.front());
        const std::optional<Volume> volume = volumes.find(letter);
        const DiskSpace space = volumes.ready(letter) ? volumes.space(letter) : DiskSpace{};
        out << entry << '\t' << (volume ? volume->root : std::string()) << '\t'
            << driveTypeLabel(volume ? volume->type : kDriveUnknown) << '\t'
            << formatWhole(space.totalBytes, locale) << " bytes\t"
            << formatWhole(space.freeBytes, locale) << " bytes free\n";
    }
}

template <std::size_t N>
void jsonArray(std::ostream &out, std::string_view key, const std::array<double, N> &values,
               std::size_t from)
{
    out << ",\"" << key << "\":[";
    for (std::size_t i = from; i < N; ++i)
        out << (i == from ? "" : ",") << whole(values[i]);
    out << ']';
}

} // namespace

ReportOptions parseReportArguments(const std::vector<std::string> &args)
{
    ReportOptions options;
    bool targetsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (targetsOnly || arg.empty() || arg.front() != '-' || arg == "-") {
            options.targets.emplace_back(arg);
        } else if (arg == "--") {
            targetsOnly = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--version") {
            options.version = true;
            return options;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--drives") {
            options.listDrives = true;
        } else if (isOption(arg, "--files")) {
            options.files = optionValue(args, i, "--files");
            if (!parseFigure(options.files))
                throw ReportUsageError("no such figure: \"" + options.files + "\"; figures are " +
                                       std::string(figureNameForms()));
        } else if (arg == "--all") {
            options.allFiles = true;
        } else if (arg == "--merge") {
            options.merge = true;
        } else if (arg == "--history") {
            options.history = true;
        } else if (arg == "--no-history") {
            options.noHistory = true;
        } else if (isOption(arg, "--compare")) {
            options.compare = optionValue(args, i, "--compare");
        } else if (isOption(arg, "--threads")) {
            options.threads = parseThreads(optionValue(args, i, "--threads"));
        } else if (isOption(arg, "--include") || isOption(arg, "--exclude")) {
            const bool include = isOption(arg, "--include");
            if ((include && options.excludeTypes) || (!include && options.includeTypes))
                throw ReportUsageError("--include and --exclude cannot be combined");
            (include ? options.includeTypes : options.excludeTypes) = true;
            addTypes(options, optionValue(args, i, include ? "--include" : "--exclude"));
        } else {
            throw ReportUsageError("unknown option " + std::string(arg));
        }
    }
    if (options.json && options.csv)
        throw ReportUsageError("--json and --csv cannot be combined");
    if (options.allFiles && options.files.empty())
        throw ReportUsageError("--all needs --files");
    if (options.listDrives && !options.targets.empty())
        throw ReportUsageError("--drives takes no target");
    if (options.history && (options.noHistory || !options.files.empty() || options.listDrives))
        throw ReportUsageError("--history lists kept scans and takes no --no-history, --files "
                               "or --drives");
    if (!options.compare.empty() && (!options.files.empty() || options.allFiles))
        throw ReportUsageError("--compare prints the tables and takes no --files");
    if (options.merge && (options.history || options.noHistory || !options.compare.empty() ||
                          !options.files.empty() || options.listDrives || options.includeTypes ||
                          options.excludeTypes || options.threads != 0))
        throw ReportUsageError("--merge adds up reports and takes only --json or --csv");
    if (options.merge && options.targets.empty())
        throw ReportUsageError("--merge needs the reports to add up");
    if (!options.listDrives && !options.history && options.targets.empty())
        throw ReportUsageError("no drive or directory given");
    return options;
}

std::string_view reportHelp()
{
    return kHelp;
}

std::string jsonString(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    const auto escapeByte = [&out](unsigned char b) {
        out += "\\u00";
        out += kHex[b >> 4];
        out += kHex[b & 15];
    };
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += char(b);
            ++i;
            continue;
        }
        if (b < 0x20 || b == 0x7f) {
            escapeByte(b);
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += char(b);
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            escapeByte(b);
            ++i;
            continue;
        }
        out.append(bytes.substr(i, length));
        i += length;
    }
    out += '"';
    return out;
}

void writeReportJson(std::ostream &out, const Statistics &stats, std::int32_t clusterSize,
                     const std::vector<int> &walkThreads, const std::vector<ReportDrive> &drives,
                     std::string_view filter, std::int64_t unreadableDirectories,
                     std::int64_t hardLinksSkipped, bool complete, const FileTypeRegistry &registry,
                     std::string_view more)
{
    out << "{\"format\":" << kReportFormat << ",\"drives\":[";
    for (std::size_t i = 0; i < drives.size(); ++i)
        out << (i == 0 ? "" : ",") << "{\"drive\":" << jsonString(drives[i].entry)
            << ",\"capacity\":" << whole(drives[i].capacity)
            << ",\"free\":" << whole(drives[i].freeSpace) << '}';
    out << "],\"filter\":" << jsonString(filter) << ",\"filesProcessed\":" << stats.filesProcessed
        << ",\"filesSelected\":" << stats.filesSelected << ",\"clusterSize\":" << clusterSize
        << ",\"walkThreads\":[";
    for (std::size_t i = 0; i < walkThreads.size(); ++i)
        out << (i == 0 ? "" : ",") << walkThreads[i];
    out << "],\"types\":[";
    bool first = true;
    for (const TypeTotal &type : stats.lbTypes) {
        out << (first ? "" : ",") << "{\"key\":" << jsonString(type.key)
            << ",\"description\":" << jsonString(typeDescription(type.key, registry))
            << ",\"files\":" << type.files << ",\"bytes\":" << type.bytes << '}';
        first = false;
    }
    out << ']';
    jsonArray(out, "sizeBandCount", stats.sizeBandCount, 1);
    jsonArray(out, "sizeBandBytes", stats.sizeBandBytes, 1);
    jsonArray(out, "accessAgeCount", stats.accessAgeCount, 0);
    jsonArray(out, "accessAgeBytes", stats.accessAgeBytes, 0);
    jsonArray(out, "createdAgeCount", stats.createdAgeCount, 0);
    jsonArray(out, "createdAgeBytes", stats.createdAgeBytes, 0);
    jsonArray(out, "modifiedAgeCount", stats.modifiedAgeCount, 0);
    jsonArray(out, "modifiedAgeBytes", stats.modifiedAgeBytes, 0);
    jsonArray(out, "modifiedTimeSlots", stats.modifiedTimeSlots, 0);
    jsonArray(out, "createdTimeSlots", stats.createdTimeSlots, 0);
    jsonArray(out, "accessTimeSlots", stats.accessTimeSlots, 0);
    out << ",\"readOnlyCount\":" << stats.readOnlyCount
        << ",\"readOnlyBytes\":" << whole(stats.readOnlyBytes)
        << ",\"hiddenCount\":" << stats.hiddenCount
        << ",\"hiddenBytes\":" << whole(stats.hiddenBytes)
        << ",\"systemCount\":" << stats.systemCount
        << ",\"systemBytes\":" << whole(stats.systemBytes)
        << ",\"archiveCount\":" << stats.archiveCount
        << ",\"archiveBytes\":" << whole(stats.archiveBytes)
        << ",\"overhang4K\":" << whole(stats.overhang4K)
        << ",\"overhang8K\":" << whole(stats.overhang8K)
        << ",\"overhang16K\":" << whole(stats.overhang16K)
        << ",\"overhang32K\":" << whole(stats.overhang32K)
        << ",\"overhang64K\":" << whole(stats.overhang64K)
        << ",\"unreadableDirectories\":" << unreadableDirectories
        << ",\"hardLinksSkipped\":" << hardLinksSkipped
        << ",\"complete\":" << (complete ? "true" : "false") << more << "}\n";
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void writeReportCsv(std::ostream &out, const Statistics &stats, const FileTypeRegistry &registry)
{
    out << "table,key,label,files,bytes\r\n";
    for (const ReportRow &row : reportRows(stats, registry))
        out << row.table << ',' << csvField(row.key) << ',' << csvField(row.label) << ','
            << whole(row.files) << ',' << (row.bytes ? whole(*row.bytes) : "") << "\r\n";
}

void writeReportText(std::ostream &out, const Statistics &stats,
                     const std::vector<std::string> &drives, std::int32_t clusterSize,
                     std::int64_t unreadableDirectories, std::int64_t hardLinksSkipped,
                     std::string_view status, bool overhang, const FileTypeRegistry &registry,
                     const LocaleSeparators &locale)
{
    const auto n = [&locale](double x) { return formatWhole(x, locale); };
    out << "Drives:";
    for (const std::string &drive : drives)
        out << "  " << drive;
    out << '\n' << status << '\n';

    // File types, as the Types page lists them.
    std::vector<std::array<std::string, 5>> rows;
    rows.push_back({"Extension", "Type", "Size", "# Files", "Avg File Size"});
    for (const TypeTotal &type : stats.lbTypes)
        rows.push_back({type.key, typeDescription(type.key, registry), n(double(type.bytes)),
                        n(double(type.files)),
                        type.files > 0 ? n(double(type.bytes) / double(type.files)) : n(0)});
    std::array<std::size_t, 5> width{};
    for (const auto &row : rows)
        for (std::size_t c = 0; c < 5; ++c)
            width[c] = std::max(width[c], row[c].size());
    out << "\nFile types\n";
    for (const auto &row : rows)
        out << padRight(row[0], width[0]) << "  " << padRight(row[1], width[1]) << "  "
            << padLeft(row[2], width[2]) << "  " << padLeft(row[3], width[3]) << "  "
            << padLeft(row[4], width[4]) << '\n';

    out << "\nFile sizes\n"
        << padRight("Size", 16) << padLeft("# Files", 14) << padLeft("Size", 20) << '\n';
    for (int band = 1; band <= kSizeBands; ++band)
        out << padRight(std::string(sizeBandLabel(band)), 16)
            << padLeft(n(stats.sizeBandCount[band]), 14)
            << padLeft(n(stats.sizeBandBytes[band]), 20) << '\n';

    const auto ages = [&](std::string_view heading, const std::array<double, kAgeBuckets> &count,
                          const std::array<double, kAgeBuckets> &bytes) {
        out << '\n'
            << heading << '\n'
            << padRight("Age", 16) << padLeft("# Files", 14) << padLeft("Size", 20) << '\n';
        for (int bucket = 0; bucket < kAgeBuckets; ++bucket)
            out << padRight(std::string(ageBucketLabel(bucket)), 16)
                << padLeft(n(count[bucket]), 14) << padLeft(n(bytes[bucket]), 20) << '\n';
    };
    ages("Accessed Date", stats.accessAgeCount, stats.accessAgeBytes);
    ages("Created Date", stats.createdAgeCount, stats.createdAgeBytes);
    ages("Modified Date", stats.modifiedAgeCount, stats.modifiedAgeBytes);

    out << "\nFile attributes\n"
        << padRight("Attribute", 16) << padLeft("# Files", 14) << padLeft("Size", 20) << '\n';
    const std::pair<const char *, std::pair<std::int64_t, double>> attributes[] = {
        {"Read-only", {stats.readOnlyCount, stats.readOnlyBytes}},
        {"Hidden", {stats.hiddenCount, stats.hiddenBytes}},
        {"System", {stats.systemCount, stats.systemBytes}},
        {"Archive", {stats.archiveCount, stats.archiveBytes}},
    };
    for (const auto &[name, figures] : attributes)
        out << padRight(name, 16) << padLeft(n(double(figures.first)), 14)
            << padLeft(n(figures.second), 20) << '\n';

    if (overhang) {
        out << "\nCluster overhang\n"
            << padRight("Cluster size", 16) << padLeft("Wasted", 20) << '\n';
        out << padRight("Actual", 16) << padLeft(n(clusterSize), 20) << " bytes per cluster\n";
        const std::pair<const char *, double> sums[] = {
            {"4K", stats.overhang4K},   {"8K", stats.overhang8K},   {"16K", stats.overhang16K},
            {"32K", stats.overhang32K}, {"64K", stats.overhang64K},
        };
        for (const auto &[name, sum] : sums)
            out << padRight(name, 16) << padLeft(n(sum), 20) << '\n';
    }

    out << "\nTime of day\n"
        << padRight("From", 16) << padLeft("Modified", 14) << padLeft("Created", 14)
        << padLeft("Accessed", 14) << '\n';
    for (int slot = 0; slot < kTimeSlots; ++slot)
        out << padRight(slotTime(slot), 16) << padLeft(n(stats.modifiedTimeSlots[slot]), 14)
            << padLeft(n(stats.createdTimeSlots[slot]), 14)
            << padLeft(n(stats.accessTimeSlots[slot]), 14) << '\n';

    if (unreadableDirectories > 0)
        out << '\n' << n(double(unreadableDirectories)) << " directories could not be read\n";
    if (hardLinksSkipped > 0)
        out << '\n'
            << n(double(hardLinksSkipped))
            << " hard links skipped: names of files already counted under another name\n";
}

namespace {

// --files with --all: one walk that keeps every file of the figure and
// counts nothing else.
int listEveryFile(const ReportOptions &options, const std::vector<std::string> &entries,
                  TypeFilter filter, const Volumes &volumes, const ReportEnvironment &env)
{
    const SystemTimeZone systemZone;
    ScanRecipe recipe;
    recipe.drives = entries;
    recipe.filter = std::move(filter);
    recipe.zone = env.zone ? env.zone : &systemZone;
    recipe.today = env.today ? *env.today : localToday();
    recipe.threads = options.threads;
    recipe.overhangEnabled = entries.size() == 1;
    recipe.clusterSize = entries.size() == 1 ? computeClusterSize(volumes, entries.front()) : 0;
    FigureListing listing(volumes, std::move(recipe), *parseFigure(options.files));
    listing.watch(env.interrupt);
    {
        std::optional<Monitor> monitor;
        if (env.showProgress)
            monitor.emplace(listing.progress(), env);
        listing.run();
    }
    const bool interrupted = env.interrupt && env.interrupt->load();
    const FigureTotal total = listing.total();
    writeFileList(*env.out, options, figureName(*parseFigure(options.files)), listing.takeFiles(),
                  total, listing.complete(), env.zone ? *env.zone : systemZone, env.locale);
    env.out->flush();
    if (interrupted)
        return 130;
    return listing.drivesWalked() > 0 ? 0 : 1;
}

// "2024-03-05 14:07" for the table; empty when not recorded.
std::string tableTime(FileTime time, const UtcOffsetSource &zone)
{
    std::string text = isoLocalTime(time, zone).substr(0, 16);
    if (text.size() == 16)
        text[10] = ' ';
    return text;
}

} // namespace

void writeFileList(std::ostream &out, const ReportOptions &options, std::string_view figure,
                   const std::vector<KeptFile> &files, const FigureTotal &total, bool complete,
                   const UtcOffsetSource &systemZone, const LocaleSeparators &locale)
{
    // Three times a file, for lists of every file: through a cache of the
    // zone's offsets, as the walk converts them.
    const CachedUtcOffsets zone(systemZone);
    if (options.csv) {
        out << "path,bytes,modified,accessed,created,attributes\r\n";
        for (const KeptFile &file : files)
            out << csvField(file.path()) << ',' << file.size() << ','
                << isoLocalTime(file.modified, zone) << ',' << isoLocalTime(file.accessed, zone)
                << ',' << isoLocalTime(file.created, zone) << ','
                << attributeLetters(file.facts.attributes) << "\r\n";
        return;
    }
    if (options.json) {
        const auto time = [&zone](FileTime t) {
            const std::string text = isoLocalTime(t, zone);
            return text.empty() ? std::string("null") : '"' + text + '"';
        };
        out << "{\"figure\":" << jsonString(figure) << ",\"files\":" << total.files
            << ",\"bytes\":" << whole(total.bytes)
            << ",\"complete\":" << (complete ? "true" : "false") << ",\"list\":[";
        for (std::size_t i = 0; i < files.size(); ++i) {
            const KeptFile &file = files[i];
            out << (i == 0 ? "" : ",") << "{\"path\":" << jsonString(file.path())
                << ",\"bytes\":" << file.size() << ",\"modified\":" << time(file.modified)
                << ",\"accessed\":" << time(file.accessed) << ",\"created\":" << time(file.created)
                << ",\"attributes\":\"" << attributeLetters(file.facts.attributes) << "\"}";
        }
        out << "]}\n";
        return;
    }
    const auto n = [&locale](double x) { return formatWhole(x, locale); };
    out << figure << ": ";
    if (files.size() < static_cast<std::size_t>(total.files))
        out << n(double(files.size())) << " largest of ";
    out << n(double(total.files)) << " files (" << n(total.bytes) << " bytes)"
        << (complete ? "" : ", incomplete") << "\n\n";
    out << padLeft("Bytes", 16) << "  " << padRight("Modified", 18) << padRight("Accessed", 18)
        << padRight("Created", 18) << padRight("Attr", 6) << "Path\n";
    for (const KeptFile &file : files)
        out << padLeft(n(double(file.size())), 16) << "  "
            << padRight(tableTime(file.modified, zone), 18)
            << padRight(tableTime(file.accessed, zone), 18)
            << padRight(tableTime(file.created, zone), 18)
            << padRight(attributeLetters(file.facts.attributes), 6)
            << terminalText(file.path(), file.path().size() + 1) << '\n';
}

int runReport(const std::vector<std::string> &args, const ReportEnvironment &env)
{
    std::ostream &out = *env.out;
    std::ostream &err = *env.err;
    ReportOptions options;
    std::vector<std::string> entries;
    // The environment's drives live longer than the run; they are not owned.
    FolderVolumes volumes(
        std::shared_ptr<const Volumes>(std::shared_ptr<const Volumes>(), env.volumes));
    try {
        options = parseReportArguments(args);
        if (!options.listDrives && !options.help && !options.version && !options.merge &&
            !(options.history && options.targets.empty()))
            entries = resolveTargets(options.targets, volumes, *env.volumes);
    } catch (const ReportUsageError &e) {
        err << "vorin-report: " << e.what() << "  (" << kUsage << ")\n";
        return 2;
    }
    if (options.help) {
        out << kHelp << std::flush;
        return 0;
    }
    if (options.version) {
        out << "vorin-report " << env.version << '\n' << std::flush;
        return 0;
    }
    if (options.listDrives) {
        writeDrives(out, *env.volumes, env.locale);
        return 0;
    }

    if (options.history)
        return listHistory(entries, options, volumes, env);
    if (options.merge)
        return mergeReportFiles(options, env);

    TypeFilter filter;
    if (options.includeTypes || options.excludeTypes)
        filter = TypeFilter(false, options.includeTypes, options.excludeTypes, options.typeEntries);

    ReportMessages messages(err);
    if (options.allFiles)
        return listEveryFile(options, entries, std::move(filter), volumes, env);
    ReportHooks hooks(err);
    RunOptions runOptions;
    // A history that cannot be opened costs the scan nothing but its keeping.
    std::unique_ptr<ScanHistory> history;
    std::optional<KeptScan> then;
    if (!options.compare.empty()) {
        // Looked up before the walk, which keeps a scan of its own.
        try {
            history = openScanHistory(env.historyPath);
            then = scanToCompare(*history, options.compare, entries, volumes);
        } catch (const HistoryError &e) {
            err << "vorin-report: " << e.what() << '\n';
            return 2;
        }
    } else if (!options.noHistory && !env.historyPath.empty() && historyBuiltIn()) {
        try {
            history = openScanHistory(env.historyPath);
        } catch (const HistoryError &e) {
            hooks.historyNotKept(e.what());
        }
    }
    if (!options.noHistory)
        runOptions.history = history.get();
    runOptions.threads = options.threads;
    runOptions.zone = env.zone;
    runOptions.today = env.today;
    runOptions.locale = env.locale;
    // The walk watches the interrupt itself.
    runOptions.interrupt = env.interrupt;
    if (!options.files.empty())
        runOptions.keepPerFigure = kKeptPerFigure;
    // The filter goes to the run; the JSON names it.
    const std::string filterWords = filterText(filter);
    ScanRun run(volumes, hooks, runOptions);
    if (!run.begin(entries, std::move(filter)))
        return 1;
    std::vector<int> walkThreads;
    {
        // Only a terminal gets a progress line, and only then a thread to
        // write it: while a second thread lives, the kernel counts every use
        // of a descriptor, which slows each file's statx by a few percent.
        std::optional<Monitor> monitor;
        if (env.showProgress)
            monitor.emplace(run.progress(), env);
        for (std::size_t i = 0; i < run.driveCount(); ++i) {
            const ScanRun::DriveStep step = run.prepareDrive(i);
            if (step == ScanRun::DriveStep::Stop)
                break;
            if (step == ScanRun::DriveStep::Skip)
                continue;
            run.scanDrive();
            walkThreads.push_back(run.walkThreads());
            run.finishDrive();
        }
    }
    run.end();

    const bool interrupted = run.abortRequested();
    const bool complete = !interrupted && messages.errors == 0;
    std::vector<HistoryFigure> thenFigures;
    if (then) {
        try {
            thenFigures = history->figures(then->id);
        } catch (const HistoryError &e) {
            err << "vorin-report: " << e.what() << '\n';
            return 1;
        }
    }
    SystemTimeZone systemZone;
    const UtcOffsetSource &zone = env.zone ? *env.zone : systemZone;
    if (then && !options.json) {
        writeComparison(out, options.csv, run.statistics(), statisticsOf(thenFigures), *then,
                        *env.registry, env.locale, zone);
    } else if (!options.files.empty()) {
        const Figure figure = *parseFigure(options.files);
        writeFileList(out, options, figureName(figure), run.keptFiles().files(figure),
                      run.keptFiles().total(figure), complete, *run.recipe().zone, env.locale);
    } else if (options.json)
        writeReportJson(out, run.statistics(), run.clusterSize(), walkThreads,
                        reportDrives(entries, volumes), filterWords, run.unreadableDirectories(),
                        run.hardLinksSkipped(), complete, *env.registry,
                        then ? comparisonJson(*then, thenFigures, zone) : "");
    else if (options.csv)
        writeReportCsv(out, run.statistics(), *env.registry);
    else
        writeReportText(out, run.statistics(), entries, run.clusterSize(),
                        run.unreadableDirectories(), run.hardLinksSkipped(), run.status(),
                        entries.size() == 1, *env.registry, env.locale);
    out.flush();
    if (interrupted)
        return 130;
    return run.statisticsCollected() ? 0 : 1;
}

} // namespace vorin
