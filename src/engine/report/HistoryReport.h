#pragma once

#include "engine/ScanRun.h"
#include "platform/History.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vorin {

class FileTypeRegistry;
class UtcOffsetSource;
class Volumes;
struct LocaleSeparators;
struct ReportEnvironment;
struct ReportOptions;
struct Statistics;

// Tells of a scan the history could not keep; the figures are printed as always.
class ReportHooks final : public RunHooks
{
public:
    explicit ReportHooks(std::ostream &err) : m_err(err) {}
    void historyNotKept(std::string_view message) override;

private:
    std::ostream &m_err;
};

// --history: the kept scans of the drives of entries (of every drive when
// there is none), oldest first, as a table, CSV or JSON; the exit status.
[[nodiscard]] int listHistory(const std::vector<std::string> &entries,
                              const ReportOptions &options, const Volumes &volumes,
                              const ReportEnvironment &env);

// --compare ID|previous: the kept scan a run compares with. "previous" is the
// last kept scan of the one drive of entries on the same file system.
// Throws HistoryError when there is none.
[[nodiscard]] KeptScan scanToCompare(ScanHistory &history, const std::string &which,
                                     const std::vector<std::string> &entries,
                                     const Volumes &volumes);

// Every table with its change since the earlier scan: text (a section per
// table, changes signed, new and vanished types marked) or CSV (the CSV's
// columns and files_before,bytes_before; empty where a type was not there).
void writeComparison(std::ostream &out, bool csv, const Statistics &now, const Statistics &before,
                     const KeptScan &then, const FileTypeRegistry &registry,
                     const LocaleSeparators &locale, const UtcOffsetSource &zone);
// The earlier scan for the JSON: ,"before":{"id":..,"date":..,"drive":..,
// "figures":[{"table":..,"key":..,"files":..,"bytes":..},...]}.
[[nodiscard]] std::string comparisonJson(const KeptScan &then,
                                         const std::vector<HistoryFigure> &figures,
                                         const UtcOffsetSource &zone);

} // namespace vorin
