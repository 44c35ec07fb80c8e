#pragma once

#include "platform/History.h"

#include <chrono>
#include <functional>

struct sqlite3;

namespace vorin {

// The history in an SQLite database: a table of scans and one of their
// figures, in WAL mode so that a reader never waits for a writer, with a
// busy timeout so that two programs keeping scans at once both keep theirs.
// The schema's version is the database's user_version; an older one is
// brought up to date when opened, a newer one is refused (a newer program
// made it), and so is a file that is no database. The program never
// replaces, truncates or deletes the file; forget() deletes rows.
class SqliteHistory final : public ScanHistory
{
public:
    struct Options
    {
        std::chrono::milliseconds busyTimeout{5000};
        // Called after each figure is written inside keep()'s transaction;
        // tests end a process there to check that a half-kept scan vanishes.
        std::function<void()> afterFigure;
        // The most pages the database may have (0: as many as the disk
        // takes); tests make a full disk of it.
        int maxPages = 0;
    };

    // The schema this program writes.
    static constexpr int kSchemaVersion = 1;

    explicit SqliteHistory(const std::string &path, Options options);
    explicit SqliteHistory(const std::string &path) : SqliteHistory(path, Options{}) {}
    ~SqliteHistory() override;
    SqliteHistory(const SqliteHistory &) = delete;
    SqliteHistory &operator=(const SqliteHistory &) = delete;

    std::int64_t keep(const KeptScan &scan, const std::vector<HistoryFigure> &figures) override;
    [[nodiscard]] std::vector<KeptScan> scans(std::optional<std::string> place = {}) override;
    [[nodiscard]] std::optional<KeptScan> scan(std::int64_t id) override;
    [[nodiscard]] std::vector<HistoryFigure> figures(std::int64_t id) override;
    [[nodiscard]] std::vector<std::pair<std::int64_t, HistoryFigure>>
    tableOfPlace(const std::string &place, const std::string &table) override;
    std::int64_t forget(std::optional<std::string> place = {}) override;

private:
    void migrate();

    sqlite3 *m_db = nullptr;
    std::string m_path;
    Options m_options;
};

} // namespace vorin
