#include "platform/sqlite/SqliteHistory.h"

#include <filesystem>
#include <sqlite3.h>
#include <utility>

namespace vorin {
namespace {

// The schema of each version, applied in order to bring an older database
// up to date; the first makes the tables.
constexpr const char *kMigrations[] = {
    // 0 -> 1
    "CREATE TABLE scans("
    "  id INTEGER PRIMARY KEY,"
    "  taken_at INTEGER NOT NULL,"
    "  run INTEGER NOT NULL,"
    "  drive BLOB NOT NULL,"
    "  place BLOB NOT NULL,"
    "  identity TEXT NOT NULL,"
    "  filter BLOB NOT NULL,"
    "  capacity REAL NOT NULL,"
    "  free_space REAL NOT NULL,"
    "  files INTEGER NOT NULL,"
    "  bytes REAL NOT NULL);"
    "CREATE INDEX scans_by_place ON scans(place, taken_at);"
    "CREATE TABLE figures("
    "  scan INTEGER NOT NULL,"
    "  tbl TEXT NOT NULL,"
    "  key BLOB NOT NULL,"
    "  files INTEGER NOT NULL,"
    "  bytes REAL NOT NULL,"
    "  PRIMARY KEY(scan, tbl, key)) WITHOUT ROWID;",
};
static_assert(std::size(kMigrations) == SqliteHistory::kSchemaVersion);

// Why SQLite failed, in the user's words.
std::string reasonOf(sqlite3 *db, int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "another program holds it locked";
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return "it may not be written";
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return "the file is no history of scans or it is damaged; it was left as it is";
    case SQLITE_FULL:
        return "the disk is full";
    case SQLITE_CANTOPEN:
        return "it can't be opened";
    default:
        return db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    }
}

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql, const std::string &path) : m_db(db), m_path(path)
    {
        check(sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int at, std::int64_t value)
    {
        check(sqlite3_bind_int64(m_statement, at, value));
        return *this;
    }
    Statement &bind(int at, double value)
    {
        check(sqlite3_bind_double(m_statement, at, value));
        return *this;
    }
    // Names keep their bytes: stored as blobs, whatever the encoding.
    Statement &bind(int at, std::string_view bytes)
    {
        check(sqlite3_bind_blob64(m_statement, at, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
        return *this;
    }
    // Names of our own making (tables, identities) as text, which other
    // tools read more easily.
    Statement &bindText(int at, std::string_view text)
    {
        check(sqlite3_bind_text64(m_statement, at, text.data(), text.size(), SQLITE_TRANSIENT,
                                  SQLITE_UTF8));
        return *this;
    }
    // True while there is a row.
    bool step()
    {
        const int code = sqlite3_step(m_statement);
        if (code == SQLITE_ROW)
            return true;
        if (code != SQLITE_DONE)
            check(code);
        return false;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    [[nodiscard]] std::int64_t integer(int column) const
    {
        return sqlite3_column_int64(m_statement, column);
    }
    [[nodiscard]] double real(int column) const { return sqlite3_column_double(m_statement, column); }
    [[nodiscard]] std::string bytes(int column) const
    {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return data ? std::string(data, std::size_t(sqlite3_column_bytes(m_statement, column)))
                    : std::string();
    }

    void check(int code) const
    {
        if (code != SQLITE_OK)
            throw HistoryError("The history of scans (" + m_path + ") can't be used: " +
                               reasonOf(m_db, code) + ".");
    }

private:
    sqlite3 *m_db;
    const std::string &m_path;
    sqlite3_stmt *m_statement = nullptr;
};

KeptScan scanOf(const Statement &row)
{
    KeptScan scan;
    scan.id = row.integer(0);
    scan.takenAt = row.integer(1);
    scan.run = row.integer(2);
    scan.drive = row.bytes(3);
    scan.place = row.bytes(4);
    scan.identity = row.bytes(5);
    scan.filter = row.bytes(6);
    scan.capacity = row.real(7);
    scan.freeSpace = row.real(8);
    scan.files = row.integer(9);
    scan.bytes = row.real(10);
    return scan;
}

constexpr const char *kScanColumns =
    "SELECT id, taken_at, run, drive, place, identity, filter, capacity, free_space, files, bytes "
    "FROM scans ";

} // namespace

SqliteHistory::SqliteHistory(const std::string &path, Options options)
    : m_path(path), m_options(std::move(options))
{
    const auto fail = [this](int code) {
        const std::string reason = reasonOf(m_db, code);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw HistoryError("The history of scans (" + m_path + ") can't be used: " + reason + ".");
    };
    if (path.empty()) // SQLite would make a temporary database of it
        throw HistoryError("The history of scans has no place: neither a home directory nor "
                           "XDG_DATA_HOME is set.");
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    if (const int code = sqlite3_open_v2(path.c_str(), &m_db,
                                         SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        code != SQLITE_OK)
        fail(code);
    sqlite3_busy_timeout(m_db, static_cast<int>(m_options.busyTimeout.count()));
    // A scan writes a few hundred rows: a small page cache does, and keeps
    // the walk's own memory what it was.
    sqlite3_exec(m_db, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr);
    if (m_options.maxPages > 0) {
        const std::string limit = "PRAGMA max_page_count=" + std::to_string(m_options.maxPages);
        sqlite3_exec(m_db, limit.c_str(), nullptr, nullptr, nullptr);
    }
    try {
        migrate();
    } catch (const HistoryError &) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteHistory::~SqliteHistory()
{
    sqlite3_close(m_db);
}

void SqliteHistory::migrate()
{
    const auto version = [this] {
        Statement read(m_db, "PRAGMA user_version", m_path);
        read.step();
        return read.integer(0);
    };
    const auto newer = [this] {
        return HistoryError("The history of scans (" + m_path +
                            ") can't be used: a newer version of Vorin 99 wrote it.");
    };
    // Read before anything is written: a file that is no database, or one of
    // a newer schema, is left exactly as it is.
    if (version() > kSchemaVersion)
        throw newer();
    {
        Statement wal(m_db, "PRAGMA journal_mode=WAL", m_path);
        wal.step();
    }
    if (version() == kSchemaVersion)
        return;
    // Another program may be bringing it up to date at the same moment:
    // the version is read again under the write lock.
    Statement(m_db, "BEGIN IMMEDIATE", m_path).step();
    try {
        const std::int64_t from = version();
        if (from > kSchemaVersion)
            throw newer();
        for (std::int64_t v = from; v < kSchemaVersion; ++v) {
            char *error = nullptr;
            if (const int code = sqlite3_exec(m_db, kMigrations[v], nullptr, nullptr, &error);
                code != SQLITE_OK) {
                sqlite3_free(error);
                Statement(m_db, "SELECT 1", m_path).check(code);
            }
        }
        const std::string setVersion = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
        Statement(m_db, setVersion.c_str(), m_path).step();
        Statement(m_db, "COMMIT", m_path).step();
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::int64_t SqliteHistory::keep(const KeptScan &scan, const std::vector<HistoryFigure> &figures)
{
    // One transaction: a scan is kept whole or not at all, whatever stops
    // the program on the way.
    Statement(m_db, "BEGIN IMMEDIATE", m_path).step();
    try {
        Statement insert(m_db,
                         "INSERT INTO scans(taken_at, run, drive, place, identity, filter, "
                         "capacity, free_space, files, bytes) VALUES(?,?,?,?,?,?,?,?,?,?)",
                         m_path);
        insert.bind(1, scan.takenAt)
            .bind(2, scan.run)
            .bind(3, std::string_view(scan.drive))
            .bind(4, std::string_view(scan.place))
            .bindText(5, scan.identity)
            .bind(6, std::string_view(scan.filter))
            .bind(7, scan.capacity)
            .bind(8, scan.freeSpace)
            .bind(9, scan.files)
            .bind(10, scan.bytes)
            .step();
        const std::int64_t id = sqlite3_last_insert_rowid(m_db);
        Statement figure(m_db, "INSERT INTO figures(scan, tbl, key, files, bytes) VALUES(?,?,?,?,?)",
                         m_path);
        for (const HistoryFigure &f : figures) {
            figure.bind(1, id)
                .bindText(2, f.table)
                .bind(3, std::string_view(f.key))
                .bind(4, f.files)
                .bind(5, f.bytes)
                .step();
            figure.reset();
            if (m_options.afterFigure)
                m_options.afterFigure();
        }
        Statement(m_db, "COMMIT", m_path).step();
        return id;
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<KeptScan> SqliteHistory::scans(std::optional<std::string> place)
{
    Statement select(m_db,
                     place ? (std::string(kScanColumns) + "WHERE place = ? ORDER BY taken_at, id").c_str()
                           : (std::string(kScanColumns) + "ORDER BY taken_at, id").c_str(),
                     m_path);
    if (place)
        select.bind(1, std::string_view(*place));
    std::vector<KeptScan> out;
    while (select.step())
        out.push_back(scanOf(select));
    return out;
}

std::optional<KeptScan> SqliteHistory::scan(std::int64_t id)
{
    Statement select(m_db, (std::string(kScanColumns) + "WHERE id = ?").c_str(), m_path);
    select.bind(1, id);
    if (!select.step())
        return std::nullopt;
    return scanOf(select);
}

std::vector<HistoryFigure> SqliteHistory::figures(std::int64_t id)
{
    Statement select(m_db, "SELECT tbl, key, files, bytes FROM figures WHERE scan = ?", m_path);
    select.bind(1, id);
    std::vector<HistoryFigure> out;
    while (select.step())
        out.push_back({select.bytes(0), select.bytes(1), select.integer(2), select.real(3)});
    return out;
}

std::vector<std::pair<std::int64_t, HistoryFigure>>
SqliteHistory::tableOfPlace(const std::string &place, const std::string &table)
{
    Statement select(m_db,
                     "SELECT f.scan, f.tbl, f.key, f.files, f.bytes FROM scans s "
                     "JOIN figures f ON f.scan = s.id AND f.tbl = ? WHERE s.place = ? "
                     "ORDER BY s.taken_at, s.id",
                     m_path);
    select.bindText(1, table).bind(2, std::string_view(place));
    std::vector<std::pair<std::int64_t, HistoryFigure>> out;
    while (select.step())
        out.push_back({select.integer(0),
                       {select.bytes(1), select.bytes(2), select.integer(3), select.real(4)}});
    return out;
}

std::int64_t SqliteHistory::forget(std::optional<std::string> place)
{
    Statement(m_db, "BEGIN IMMEDIATE", m_path).step();
    try {
        const char *figuresSql =
            place ? "DELETE FROM figures WHERE scan IN (SELECT id FROM scans WHERE place = ?)"
                  : "DELETE FROM figures";
        Statement figures(m_db, figuresSql, m_path);
        if (place)
            figures.bind(1, std::string_view(*place));
        figures.step();
        Statement scans(m_db, place ? "DELETE FROM scans WHERE place = ?" : "DELETE FROM scans",
                        m_path);
        if (place)
            scans.bind(1, std::string_view(*place));
        scans.step();
        const std::int64_t forgotten = sqlite3_changes64(m_db);
        Statement(m_db, "COMMIT", m_path).step();
        return forgotten;
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool historyBuiltIn()
{
    return true;
}

std::unique_ptr<ScanHistory> openScanHistory(const std::string &path)
{
    return std::make_unique<SqliteHistory>(path);
}

} // namespace vorin
