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
    bool listDrives = false;
    int threads = 0;
    bool includeTypes = false;
    bool excludeTypes = false;
    std::vector<std::string> typeEntries; // "*.doc\t", one per extension given
    std::vector<std::string> targets;
};

// vorin-report [--json] [--threads N] [--include EXT,...|--exclude EXT,...] TARGET...
// vorin-report --drives
[[nodiscard]] ReportOptions parseReportArguments(const std::vector<std::string> &args);

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
};

// Runs the report; returns the exit status: 0 done, 1 nothing could be
// scanned, 2 bad command line or missing target, 130 interrupted.
[[nodiscard]] int runReport(const std::vector<std::string> &args, const ReportEnvironment &env);

// One JSON object with the accumulators under their own names, then the
// directories that could not be read and the names of files already counted
// under another name (hardLinksSkipped). walkThreads: the threads that walked
// each drive scanned, in order.
void writeReportJson(std::ostream &out, const Statistics &stats, std::int32_t clusterSize,
                     const std::vector<int> &walkThreads, std::int64_t unreadableDirectories,
                     std::int64_t hardLinksSkipped, bool complete,
                     const FileTypeRegistry &registry);

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
