#include "platform/sqlite/SqliteHistory.h"

#include "PlatformTestSupport.h"
#include "WithoutPrivileges.h"

#include <algorithm>
#include <cstring>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>

namespace vorin {
namespace {

using test::ScratchDirectory;

std::string contentsOf(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs SQL on the database with SQLite itself, as another program would.
void runSql(const std::filesystem::path &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char *error = nullptr;
    const int code = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(code, SQLITE_OK) << message;
}

KeptScan scanOf(std::string place, std::int64_t takenAt, std::int64_t files)
{
    KeptScan scan;
    scan.takenAt = takenAt;
    scan.run = takenAt - 10;
    scan.drive = "g: [" + place + "]";
    scan.place = std::move(place);
    scan.identity = "fsid:1234";
    scan.filter = "include *.doc\t";
    scan.capacity = 1e12;
    scan.freeSpace = 4e11;
    scan.files = files;
    scan.bytes = 123456789012.0;
    return scan;
}

std::vector<HistoryFigure> figuresOf(int count)
{
    std::vector<HistoryFigure> figures;
    // Keys keep their bytes: invalid UTF-8, a newline, an empty key.
    figures.push_back({"types", std::string(".\xff\n", 3), 2, 9e12});
    figures.push_back({"types", "", 1, 0});
    for (int i = 0; i < count; ++i)
        figures.push_back({"sizes", std::to_string(i), i, i * 1000.5});
    return figures;
}

std::vector<HistoryFigure> sorted(std::vector<HistoryFigure> figures)
{
    std::sort(figures.begin(), figures.end(), [](const HistoryFigure &a, const HistoryFigure &b) {
        return std::tie(a.table, a.key) < std::tie(b.table, b.key);
    });
    return figures;
}

TEST(SqliteHistoryTest, keepsScansWholeListsThemByPlaceAndForgets)
{
    ScratchDirectory dir;
    const std::string path = dir / "deep/er/history.sqlite";
    SqliteHistory history(path);
    const std::string odd("/home/ann/\xfe\nMusic", 16);
    const std::int64_t first = history.keep(scanOf(odd, 1000, 5), figuresOf(12));
    const std::int64_t other = history.keep(scanOf("/", 1500, 7), figuresOf(3));
    const std::int64_t second = history.keep(scanOf(odd, 2000, 6), figuresOf(4));

    const std::vector<KeptScan> all = history.scans();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].id, first);
    EXPECT_EQ(all[1].id, other);
    const std::vector<KeptScan> ofOdd = history.scans(odd);
    ASSERT_EQ(ofOdd.size(), 2u);
    EXPECT_EQ(ofOdd[1].id, second);
    const KeptScan kept = *history.scan(first);
    const KeptScan given = scanOf(odd, 1000, 5);
    EXPECT_EQ(kept.drive, given.drive);
    EXPECT_EQ(kept.place, odd);
    EXPECT_EQ(kept.identity, given.identity);
    EXPECT_EQ(kept.filter, given.filter);
    EXPECT_EQ(kept.capacity, given.capacity);
    EXPECT_EQ(kept.freeSpace, given.freeSpace);
    EXPECT_EQ(kept.files, 5);
    EXPECT_EQ(kept.run, 990);
    EXPECT_EQ(kept.bytes, given.bytes);
    EXPECT_EQ(sorted(history.figures(first)), sorted(figuresOf(12)));
    EXPECT_FALSE(history.scan(999));
    // One table of every scan of a place, oldest scan first.
    const auto sizes = history.tableOfPlace(odd, "sizes");
    ASSERT_EQ(sizes.size(), 12u + 4u);
    EXPECT_EQ(sizes.front().first, first);
    EXPECT_EQ(sizes.back().first, second);
    EXPECT_EQ(sizes.back().second.table, "sizes");
    EXPECT_EQ(history.tableOfPlace(odd, "types").size(), 4u);

    EXPECT_EQ(history.forget(odd), 2);
    EXPECT_EQ(history.scans().size(), 1u);
    EXPECT_TRUE(history.figures(first).empty());
    EXPECT_EQ(history.figures(other).size(), 5u);
    EXPECT_EQ(history.forget(), 1);
    EXPECT_TRUE(history.scans().empty());
}

// A database of the first schema, as the first program to keep scans left
// it, opens and takes more.
TEST(SqliteHistoryTest, opensADatabaseOfTheFirstSchema)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    runSql(path, "CREATE TABLE scans(id INTEGER PRIMARY KEY, taken_at INTEGER NOT NULL, run "
                 "INTEGER NOT NULL, drive BLOB NOT NULL, place BLOB NOT NULL, identity TEXT NOT NULL, filter BLOB NOT NULL, "
                 "capacity REAL NOT NULL, free_space REAL NOT NULL, files INTEGER NOT NULL, bytes "
                 "REAL NOT NULL);"
                 "CREATE INDEX scans_by_place ON scans(place, taken_at);"
                 "CREATE TABLE figures(scan INTEGER NOT NULL, tbl TEXT NOT NULL, key BLOB NOT "
                 "NULL, files INTEGER NOT NULL, bytes REAL NOT NULL, PRIMARY KEY(scan, tbl, key)) "
                 "WITHOUT ROWID;"
                 // Names as their bytes, as the program writes them.
                 "INSERT INTO scans VALUES(7, 100, 90, X'633A', X'2F', 'fsid:1', X'', 1, 1, 3, 30);"
                 "INSERT INTO figures VALUES(7, 'types', X'2E49534F', 3, 30);"
                 "PRAGMA user_version=1;");
    SqliteHistory history(path);
    ASSERT_EQ(history.scans().size(), 1u);
    EXPECT_EQ(history.figures(7), (std::vector<HistoryFigure>{{"types", ".ISO", 3, 30}}));
    history.keep(scanOf("/", 200, 1), figuresOf(1));
    EXPECT_EQ(history.scans("/").size(), 2u);
}

struct FaultCase
{
    const char *name;
    std::function<void(const std::filesystem::path &)> make;
    const char *says;
};

// Each file the history cannot use gives one message and is left as it was.
TEST(SqliteHistoryTest, aFileItCannotUseIsNamedAndLeftAsItIs)
{
    const FaultCase cases[] = {
        {"no database", [](const auto &path) { writeFile(path, std::string(5000, 'x')); },
         "the file is no history of scans or it is damaged"},
        {"a newer schema",
         [](const auto &path) {
             runSql(path, "CREATE TABLE scans(id INTEGER PRIMARY KEY, later TEXT);"
                          "PRAGMA user_version=99;");
         },
         "a newer version of Vorin 99 wrote it"},
        {"a folder where the file should be",
         [](const auto &path) { std::filesystem::create_directory(path); }, "can't be opened"},
        {"a file where its folder should be",
         [](const auto &path) { writeFile(path.parent_path().parent_path() / "sub", "x"); },
         "can't be opened"},
    };
    for (const FaultCase &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDirectory dir;
        const auto path = std::string(c.name).starts_with("a file where")
                              ? dir / "sub/history.sqlite"
                              : dir / "history.sqlite";
        c.make(path);
        const std::string before = std::filesystem::is_regular_file(path) ? contentsOf(path) : "";
        try {
            SqliteHistory history(path);
            ADD_FAILURE() << "opened";
        } catch (const HistoryError &e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
        }
        if (!before.empty()) {
            EXPECT_EQ(contentsOf(path), before);
        }
    }
}

// A history the user may read but not write (another user's, a read-only
// mount) keeps nothing, says so, and stays as it was.
TEST(SqliteHistoryTest, aHistoryThatMayNotBeWrittenKeepsNothing)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    SqliteHistory(path).keep(scanOf("/", 1, 1), figuresOf(2));
    const std::string before = contentsOf(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    struct Outcome
    {
        bool kept;
        char problem[256];
    };
    const auto run = test::withoutPrivileges([&] {
        Outcome outcome{false, {}};
        try {
            SqliteHistory(path).keep(scanOf("/", 2, 2), figuresOf(2));
            outcome.kept = true;
        } catch (const HistoryError &e) {
            std::strncpy(outcome.problem, e.what(), sizeof outcome.problem - 1);
        }
        return outcome;
    });
    ::chmod(dir.path().c_str(), 0700);
    if (run.unavailable)
        GTEST_SKIP() << run.why;
    ASSERT_TRUE(run.result) << run.why;
    EXPECT_FALSE(run.result->kept);
    EXPECT_NE(std::string(run.result->problem).find("it may not be written"), std::string::npos)
        << run.result->problem;
    EXPECT_EQ(contentsOf(path), before);
}

TEST(SqliteHistoryTest, aLockHeldPastTheTimeoutKeepsNothingAndChangesNothing)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    SqliteHistory history(path, {std::chrono::milliseconds(50), {}});
    history.keep(scanOf("/", 1, 1), figuresOf(2));
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        history.keep(scanOf("/", 2, 2), figuresOf(2));
        ADD_FAILURE() << "kept under another's lock";
    } catch (const HistoryError &e) {
        EXPECT_NE(std::string(e.what()).find("another program holds it locked"), std::string::npos)
            << e.what();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(history.scans().size(), 1u);
    history.keep(scanOf("/", 3, 3), figuresOf(2));
    EXPECT_EQ(history.scans().size(), 2u);
}

// A disk that fills up while a scan is written: nothing of that scan is kept,
// the scans before it stay, and the next scan that fits is kept.
TEST(SqliteHistoryTest, aFullDiskKeepsNothingOfThatScan)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    SqliteHistory(path).keep(scanOf("/", 1, 1), figuresOf(5));
    SqliteHistory::Options options;
    options.maxPages = 8;
    SqliteHistory full(path, options);
    try {
        full.keep(scanOf("/", 2, 2), figuresOf(5000));
        ADD_FAILURE() << "kept beyond the disk";
    } catch (const HistoryError &e) {
        EXPECT_NE(std::string(e.what()).find("the disk is full"), std::string::npos) << e.what();
    }
    ASSERT_EQ(full.scans().size(), 1u);
    EXPECT_EQ(full.figures(full.scans()[0].id).size(), 7u);
    full.keep(scanOf("/", 3, 3), figuresOf(1));
    EXPECT_EQ(full.scans().size(), 2u);
}

// Two programs keeping scans at once both keep all of theirs: each waits for
// the other's transaction.
TEST(SqliteHistoryTest, twoWritersAtOnceBothKeepTheirScans)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    SqliteHistory(path).forget();
    const auto write = [&path](std::int64_t from) {
        SqliteHistory history(path);
        for (std::int64_t i = 0; i < 25; ++i)
            history.keep(scanOf("/", from + i, i), figuresOf(40));
    };
    std::thread first(write, 0);
    std::thread second(write, 1000);
    first.join();
    second.join();
    EXPECT_EQ(SqliteHistory(path).scans().size(), 50u);
}

// A program killed while it writes loses that scan and nothing else.
TEST(SqliteHistoryTest, aProgramKilledWhileItWritesLosesThatScanOnly)
{
    ScratchDirectory dir;
    const auto path = dir / "history.sqlite";
    SqliteHistory(path).keep(scanOf("/", 1, 1), figuresOf(10));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int written = 0;
        SqliteHistory::Options options;
        options.afterFigure = [&written] {
            if (++written == 20)
                ::raise(SIGKILL);
        };
        SqliteHistory(path, options).keep(scanOf("/", 2, 2), figuresOf(100));
        ::_exit(3); // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    SqliteHistory history(path);
    const std::vector<KeptScan> scans = history.scans();
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].takenAt, 1);
    EXPECT_EQ(history.figures(scans[0].id).size(), 12u);
    history.keep(scanOf("/", 3, 3), figuresOf(1));
    EXPECT_EQ(history.scans().size(), 2u);
}

} // namespace
} // namespace vorin
