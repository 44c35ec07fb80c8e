#pragma once

#include "engine/Statistics.h"
#include "support/LocaleSeparators.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class FileTypeRegistry;
class UtcOffsetSource;
class Volumes;

// A command line the report cannot act on; what() is the one line shown.
class ReportUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct ReportOptions
{
    bool json = false;
    bool csv = false;
    bool listDrives = false;
    bool help = false;    // --help: the usage, the options, the exit codes
    bool version = false; // --version
    int threads = 0;
    bool includeTypes = false;
    bool excludeTypes = false;
    std::vector<std::string> typeEntries; // "*.doc\t", one per extension given
    std::vector<std::string> targets;
    std::string files;      // --files FIGURE: the figure whose files are listed; empty: the tables
    bool allFiles = false;  // --all: every file of that figure, not just the largest
    bool history = false;   // --history: list the kept scans (of the targets, if any)
    bool noHistory = false; // --no-history: keep nothing of this scan
    std::string compare;    // --compare ID|previous: the kept scan to compare with
    bool merge = false;     // --merge: the targets are JSON reports to add up
};

// vorin-report [--json|--csv] [--threads N] [--include EXT,...|--exclude EXT,...]
//              [--files FIGURE [--all]] [--compare ID|previous] [--no-history] TARGET...
// vorin-report --history [--json|--csv] [TARGET...]
// vorin-report --merge [--json|--csv] REPORT.json...
// vorin-report --drives | --help | --version
// --help and --version end the reading: what follows them is not looked at.
[[nodiscard]] ReportOptions parseReportArguments(const std::vector<std::string> &args);

class FolderVolumes;

// The drive entries of the targets, in command-line order. A directory
// becomes a drive of its own after the machine's drives, as in the window
// ("g: [/home/ann/Music]"); the root of a drive stands for that drive.
// Throws ReportUsageError for a target that is neither.
[[nodiscard]] std::vector<std::string> resolveTargets(const std::vector<std::string> &targets,
                                                      FolderVolumes &volumes,
                                                      const Volumes &machine);

// What --help prints.
[[nodiscard]] std::string_view reportHelp();

// What the report needs from its surroundings; main() fills it with the
// machine's, tests with fakes.
struct ReportEnvironment
{
    const Volumes *volumes = nullptr;
    const FileTypeRegistry *registry = nullptr;
    LocaleSeparators locale;
    const UtcOffsetSource *zone = nullptr; // nullptr: the system's
    std::optional<std::int64_t> today;
    std::ostream *out = nullptr;
    std::ostream *err = nullptr;
    bool showProgress = false; // standard error is a terminal
    // Set from a signal handler to stop the walk; what was counted is printed.
    const std::atomic<bool> *interrupt = nullptr;
    std::string version; // what --version prints after the program's name
    // Where the scans are kept (main: the user's history); empty keeps none.
    std::string historyPath;
};

// Runs the report; returns the exit status: 0 done (also after --help and
// --version), 1 nothing could be scanned, 2 bad command line or a target that
// is no drive or readable directory, 130 interrupted.
[[nodiscard]] int runReport(const std::vector<std::string> &args, const ReportEnvironment &env);

struct ReportDrive;

// One JSON object: its format, the drives with their space, the type filter
// (as the history writes it), the accumulators under their own names, then
// the directories that could not be read and the names of files already
// counted under another name (hardLinksSkipped). walkThreads: the threads
// that walked each drive scanned, in order. `more` goes in before the
// closing brace.
void writeReportJson(std::ostream &out, const Statistics &stats, std::int32_t clusterSize,
                     const std::vector<int> &walkThreads, const std::vector<ReportDrive> &drives,
                     std::string_view filter, std::int64_t unreadableDirectories,
                     std::int64_t hardLinksSkipped, bool complete, const FileTypeRegistry &registry,
                     std::string_view more = {});

// The tables of the pages as one table of the columns table,key,label,files,
// bytes, in CSV (RFC 4180: fields quoted where they hold a comma, a quote or a
// line break, lines ending in CR LF), numbers without separators. Tables:
// types (key: the extension, label: its description), sizes (band 1 to 12),
// accessAge, createdAge, modifiedAge (bucket 0 to 9), modifiedTime,
// createdTime, accessTime (half hour 0 to 47, label its start "06:30", no
// bytes), attributes (readOnly, hidden, system, archive).
void writeReportCsv(std::ostream &out, const Statistics &stats, const FileTypeRegistry &registry);

struct KeptFile;
struct FigureTotal;

// The files behind one figure (figure: its name, "types:.ISO"), largest first,
// as a table, CSV (path,bytes,modified,accessed,created,attributes: times in
// ISO 8601 with the zone's offset, empty when not recorded; attributes as the
// letters RHSA) or JSON. `total` is the whole figure, of which `files` may be
// the largest only.
void writeFileList(std::ostream &out, const ReportOptions &options, std::string_view figure,
                   const std::vector<KeptFile> &files, const FigureTotal &total, bool complete,
                   const UtcOffsetSource &zone, const LocaleSeparators &locale);

// One CSV field: as it is, or in quotes with its quotes doubled.
[[nodiscard]] std::string csvField(std::string_view text);

// The tables of the statistics pages, as text.
void writeReportText(std::ostream &out, const Statistics &stats,
                     const std::vector<std::string> &drives, std::int32_t clusterSize,
                     std::int64_t unreadableDirectories, std::int64_t hardLinksSkipped,
                     std::string_view status, bool overhang, const FileTypeRegistry &registry,
                     const LocaleSeparators &locale);

// A JSON string literal for bytes of any kind: valid UTF-8 is kept, every
// byte that is not part of it is written as \u00XX, so the output always parses.
[[nodiscard]] std::string jsonString(std::string_view bytes);

} // namespace vorin
