#pragma once

#include "engine/Statistics.h"
#include "platform/FileTypeRegistry.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class Volumes;

// The format of the JSON report this program writes. 1: the first reports,
// which carry no "format"; 2 adds the format, the drives with their space
// and the type filter. A reader takes every format up to its own.
inline constexpr int kReportFormat = 2;

// A drive of a report: its entry as the drive lists show it ("e: [/srv]")
// and its space when the report was made.
struct ReportDrive
{
    std::string entry;
    double capacity = 0;
    double freeSpace = 0;

    friend bool operator==(const ReportDrive &, const ReportDrive &) = default;
};

// Everything a JSON report holds, read back.
struct ReportFile
{
    int format = 1;
    Statistics statistics;
    std::int32_t clusterSize = 0;
    std::vector<int> walkThreads;
    std::vector<ReportDrive> drives;
    std::string filter; // the type filter as the history writes it; empty: all files
    std::int64_t unreadableDirectories = 0;
    std::int64_t hardLinksSkipped = 0;
    bool complete = false;
    // Each type's description where the report was made: a report read on
    // another machine shows the types as they were named there.
    std::map<std::string, std::string> descriptions;
};

// A file that is no report this program can read; what() is the one line
// shown, naming what is wrong.
class ReportFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads a JSON report (the text of a file); throws ReportFileError for text
// that is no JSON, is cut short, is JSON but no report, or is a report of a
// newer format.
[[nodiscard]] ReportFile readReport(std::string_view text);
// Reads the report in a file (its path in UTF-8); the error names the file.
[[nodiscard]] ReportFile readReportFile(const std::string &path);

// A report and the name it goes by in messages (its file's path).
struct NamedReport
{
    std::string name;
    ReportFile report;
};

// One report whose every figure is the sum of the reports' (types by key,
// their descriptions as the first report gives them), with the drives of all
// listed in order. Reports of different formats, or made with different type
// filters, do not add up: ReportFileError names the two.
[[nodiscard]] ReportFile mergeReports(const std::vector<NamedReport> &reports);

struct ReportOptions;
struct ReportEnvironment;

// vorin-report --merge: reads the reports named as targets, adds them up and
// prints the sum as text, --json or --csv. Returns the exit status: 0, or 2
// when a file cannot be read, is no report, or does not add up with the others.
[[nodiscard]] int mergeReportFiles(const ReportOptions &options, const ReportEnvironment &env);

// The drives of a scan for the report: each entry with its space now.
[[nodiscard]] std::vector<ReportDrive> reportDrives(const std::vector<std::string> &entries,
                                                    const Volumes &volumes);

// The registry a report's own descriptions make: the types read as they were
// described where the report was made.
class ReportDescriptions : public FileTypeRegistry
{
public:
    explicit ReportDescriptions(const std::map<std::string, std::string> &descriptions);
    [[nodiscard]] std::string className(std::string_view ext) const override;
    [[nodiscard]] std::string classDescription(std::string_view className) const override;
    [[nodiscard]] std::vector<std::string> registeredExtensions() const override;

private:
    // By the key in lower case, as the registry is asked.
    std::map<std::string, std::string, std::less<>> m_byKey;
};

} // namespace vorin
