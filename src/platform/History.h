#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorin {

// Why the history could not be read or written; what() is the message the
// user sees, a sentence that says what happened to the scan.
class HistoryError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One kept scan of one drive.
struct KeptScan
{
    std::int64_t id = 0;      // given by the history
    std::int64_t takenAt = 0; // when the scan ended, seconds since 1970 (UTC)
    // When the run it was part of began: the drives of one run share it.
    std::int64_t run = 0;
    std::string drive;        // as the run named it: "c:", "g: [/home/ann/Music]"
    // What the drive is, whatever letter it got: its root (mount point or
    // folder path) and the identity of its file system, so that another
    // disk on the same mount point starts a history of its own.
    std::string place;
    std::string identity;
    std::string filter; // the type filter in force, as the settings keep it; empty: none
    double capacity = 0;
    double freeSpace = 0;
    std::int64_t files = 0; // files processed
    double bytes = 0;       // bytes of the files counted
};

// One figure of a kept scan: its table ("types", "sizes", "modifiedAge",
// "accessTime", "attributes", "overhang") and key within it (".ISO", "12",
// "hidden", "4096"), the way the report's CSV names them; keys keep their
// bytes exactly.
struct HistoryFigure
{
    std::string table;
    std::string key;
    std::int64_t files = 0;
    double bytes = 0;

    friend bool operator==(const HistoryFigure &, const HistoryFigure &) = default;
};

// The scans kept over time, oldest first. Every call may throw HistoryError;
// a failed keep() keeps nothing of that scan and changes nothing else.
class ScanHistory
{
public:
    virtual ~ScanHistory() = default;
    // Keeps a scan with its figures as one whole; returns its id.
    virtual std::int64_t keep(const KeptScan &scan, const std::vector<HistoryFigure> &figures) = 0;
    // The kept scans, of one place (a drive's root) or of every one.
    [[nodiscard]] virtual std::vector<KeptScan> scans(std::optional<std::string> place = {}) = 0;
    [[nodiscard]] virtual std::optional<KeptScan> scan(std::int64_t id) = 0;
    [[nodiscard]] virtual std::vector<HistoryFigure> figures(std::int64_t id) = 0;
    // One table's figures of every kept scan of a place, with the id of the
    // scan each is of, in one read: what a history over many scans needs.
    [[nodiscard]] virtual std::vector<std::pair<std::int64_t, HistoryFigure>>
    tableOfPlace(const std::string &place, const std::string &table) = 0;
    // Forgets every scan of a place, or of every place; returns how many.
    virtual std::int64_t forget(std::optional<std::string> place = {}) = 0;
};

// Where the history is kept: $XDG_DATA_HOME/vorin99/history.sqlite
// (~/.local/share when unset) on Linux, %LOCALAPPDATA%\Vorin 99\ on Windows.
[[nodiscard]] std::string defaultHistoryPath();

// False in a build without a history (the Windows cross build without SQLite).
[[nodiscard]] bool historyBuiltIn();

// Opens, or makes, the history at path (and the folders on its way).
[[nodiscard]] std::unique_ptr<ScanHistory> openScanHistory(const std::string &path);

} // namespace vorin
