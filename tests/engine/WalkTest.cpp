#include "engine/Walk.h"

#include "platform/DirectoryReader.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/fake/ForwardingDirectoryReader.h"
#include "platform/fake/RefusingDirectoryReader.h"
#include "TreeFixture.h"
#ifndef _WIN32
#include "WithoutPrivileges.h"
#endif

#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vorin {
namespace {

using testing::kNewFilesAreArchive;
using testing::TempTree;

// A directory text with the platform's separators written as "/", so that
// one expectation serves Linux and Windows.
std::string slashes(std::string path)
{
    for (char &c : path)
        if (c == kPathSeparator)
            c = '/';
    return path;
}

struct Counted
{
    std::string directory;
    std::string name;
    std::int64_t size;
    std::uint32_t attributes;
};

class Recorder final : public WalkObserver
{
public:
    void fileCounted(std::string_view directory, const DirectoryEntry &entry) override
    {
        std::lock_guard lock(m_mutex);
        files.push_back(
            {std::string(directory), std::string(entry.name), entry.size, entry.attributes});
        if (then)
            then(files.back());
    }
    std::vector<Counted> files;
    std::function<void(const Counted &)> then;

private:
    std::mutex m_mutex;
};

class WalkTest : public ::testing::Test
{
protected:
    WalkResult walk(const std::string &root, int threads = 1, WalkObserver *observer = nullptr,
                    std::size_t maxOpenLevels = 0)
    {
        CrunchContext context;
        context.zone = &m_zone;
        context.today = std::time(nullptr) / 86400;
        context.currentDrive = "c:";
        WalkOptions options;
        options.threads = threads;
        options.observer = observer;
        options.maxOpenLevels = maxOpenLevels;
        options.linkedFiles = linkedFiles;
        options.interrupt = interrupt;
        return walkTree(*m_reader, root, context, stats, progress, abort, options);
    }

    LinkedFiles *linkedFiles = nullptr;
    const std::atomic<bool> *interrupt = nullptr;

    FixedUtcOffset m_zone{0};
    std::unique_ptr<DirectoryReader> m_reader = makeDirectoryReader();
    Statistics stats;
    WalkProgress progress;
    std::atomic<bool> abort{false};
    TempTree tree;
};

TEST_F(WalkTest, hiddenDirectoriesAreNotEnteredButHiddenFilesAreCounted)
{
    tree.file("a.txt", 100);
    tree.file(".profile", 10);
    tree.dir(".git");
    tree.file(".git/config", 1000);
    tree.dir("sub");
    tree.file("sub/b.doc", 5);
    tree.dir("sub/.cache");
    tree.dir("sub/.cache/deeper");
    tree.file("sub/.cache/deeper/c.bin", 7);

    const WalkResult result = walk(tree.root());

    EXPECT_TRUE(result.rootOpened);
    EXPECT_FALSE(result.aborted);
    EXPECT_EQ(stats.filesProcessed, 3);
    EXPECT_EQ(stats.hiddenCount, 1);
    EXPECT_EQ(stats.hiddenBytes, 10);
    EXPECT_EQ(stats.sizeBandBytes[1], 115);
    EXPECT_EQ(result.unreadableDirectories, 0);
    EXPECT_EQ(progress.filesProcessed(), 3);
}

// The order a walk of one thread must take, worked out with the system's own
// listing: the subdirectories in listing order, each walked whole, then the
// files.
void expectedOrder(const std::string &path, std::vector<std::pair<std::string, std::string>> &out)
{
    std::vector<std::string> subdirectories;
    std::vector<std::string> files;
#ifdef _WIN32
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW((TempTree::extended(path) + L"\\*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        const std::string name = toUtf8(data.cFileName);
        if (name == "." || name == "..")
            continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) == 0)
                subdirectories.push_back(name);
        } else {
            files.push_back(name);
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
#else
    DIR *dir = ::opendir(path.c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent *d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        if (d->d_type == DT_DIR) {
            if (name[0] != '.')
                subdirectories.push_back(name);
        } else {
            files.push_back(name);
        }
    }
    ::closedir(dir);
#endif
    for (const std::string &sub : subdirectories)
        expectedOrder(path + kPathSeparator + sub, out);
    for (const std::string &file : files)
        out.emplace_back(path, file);
}

TEST_F(WalkTest, oneThreadCountsTheFilesOfADirectoryAfterEverythingBelowIt)
{
    for (const char *d : {"one", "one/two", "one/two/three", "four", "four/five", ".six"})
        tree.dir(d);
    for (const char *f : {"r1", "r2", "r3", "one/o1", "one/o2", "one/two/t1", "one/two/three/h1",
                          "four/f1", "four/five/v1", "four/five/v2", ".six/x"})
        tree.file(f, 1);
    Recorder recorder;

    walk(tree.root(), 1, &recorder);

    std::vector<std::pair<std::string, std::string>> expected;
    expectedOrder(tree.root(), expected);
    ASSERT_EQ(expected.size(), 10u);
    std::vector<std::pair<std::string, std::string>> actual;
    for (const Counted &c : recorder.files)
        actual.emplace_back(c.directory, c.name);
    EXPECT_EQ(actual, expected);
    // The root's own files come last.
    EXPECT_EQ(actual.back().first, tree.root());
}

TEST_F(WalkTest, aDirectoryListedInSeveralChunksIsCountedOnceAfterItsSubdirectories)
{
    // About 100 KiB of names: more than one listing chunk.
    tree.dir("big");
    tree.dir("big/sub");
    tree.file("big/sub/inner", 1);
    for (int i = 0; i < 2000; ++i)
        tree.file("big/a-rather-long-file-name-to-fill-the-listing-" + std::to_string(i), i);
    Recorder recorder;

    walk(tree.root(), 1, &recorder);

    ASSERT_EQ(recorder.files.size(), 2001u);
    EXPECT_EQ(recorder.files.front().name, "inner");
    EXPECT_EQ(stats.sizeBandBytes[1], 1 + 1999 * 2000 / 2);
    const Statistics one = stats;
    stats = Statistics{};
    walk(tree.root(), 3);
    EXPECT_EQ(stats, one);
}

#ifndef _WIN32
TEST_F(WalkTest, symbolicLinksAreFilesOfTheirOwnSizeAndAreNeverFollowed)
{
    tree.dir("sub");
    tree.file("sub/data.bin", 4000);
    tree.symlink(".", "loop");
    tree.symlink("..", "up");
    tree.symlink("sub", "dirlink");
    tree.symlink("sub/loop2", "sub/loop2"); // points at itself

    const WalkResult result = walk(tree.root());

    EXPECT_EQ(result.unreadableDirectories, 0);
    EXPECT_EQ(stats.filesProcessed, 5);
    // Link sizes are the lengths of their targets: 1 + 2 + 3 + 9.
    EXPECT_EQ(stats.sizeBandBytes[1], 4000 + 1 + 2 + 3 + 9);
    EXPECT_EQ(stats.readOnlyCount, 0);
}

TEST_F(WalkTest, aFifoIsASystemFileAndIsNeverOpened)
{
    tree.fifo("pipe");
    tree.file("plain", 3);

    walk(tree.root());

    EXPECT_EQ(stats.filesProcessed, 2);
    EXPECT_EQ(stats.systemCount, 1);
    EXPECT_EQ(stats.systemBytes, 0);
}

#endif

// Linux keeps no archive bit; on Windows every new file has it.
TEST_F(WalkTest, aFileWithoutWriteBitsIsReadOnlyAndArchiveIsTheFileSystemsOwn)
{
    tree.file("locked.txt", 20, 0, 0, 0444);
    tree.file("open.txt", 30, 0, 0, 0644);

    walk(tree.root());

    EXPECT_EQ(stats.readOnlyCount, 1);
    EXPECT_EQ(stats.readOnlyBytes, 20);
    EXPECT_EQ(stats.archiveCount, kNewFilesAreArchive ? 2 : 0);
}

#ifndef _WIN32
TEST_F(WalkTest, namesWithNewlinesAndInvalidUtf8AreWalkedByTheirBytes)
{
    const std::string odd = "dir\nwith\xff\xfe bytes";
    tree.dir(odd);
    tree.file(odd + "/new\nline.txt", 11);
    tree.file("bad\xff.BIN", 12);
    tree.file("\xd0\x9f\xd1\x80\xd0\xb8.doc", 13);
    Recorder recorder;

    walk(tree.root(), 1, &recorder);

    ASSERT_EQ(recorder.files.size(), 3u);
    EXPECT_EQ(recorder.files[0].directory, tree.root() + "/" + odd);
    EXPECT_EQ(recorder.files[0].name, "new\nline.txt");
    std::vector<std::string> keys;
    for (const TypeTotal &t : stats.lbTypes)
        keys.push_back(t.key);
    EXPECT_EQ(keys, (std::vector<std::string>{".BIN", ".DOC", ".TXT"}));
}

#else
TEST_F(WalkTest, namesOutsideTheAnsiCodePageAreWalkedWhole)
{
    const std::string odd =
        "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0 \xe4\xb8\xad\xe6\x96\x87 \xe2\x98\x83";
    tree.dir(odd);
    tree.file(odd + "/\xce\xb1\xce\xb2.txt", 11);
    tree.file("\xf0\x9f\x98\x80.BIN", 12);
    tree.file("\xd0\x9f\xd1\x80\xd0\xb8.doc", 13);
    Recorder recorder;

    walk(tree.root(), 1, &recorder);

    ASSERT_EQ(recorder.files.size(), 3u);
    EXPECT_EQ(recorder.files[0].directory, tree.path(odd));
    EXPECT_EQ(recorder.files[0].name, "\xce\xb1\xce\xb2.txt");
    std::vector<std::string> keys;
    for (const TypeTotal &t : stats.lbTypes)
        keys.push_back(t.key);
    EXPECT_EQ(keys, (std::vector<std::string>{".BIN", ".DOC", ".TXT"}));
    EXPECT_EQ(stats.sizeBandBytes[1], 36);
}
#endif

// Directories of 40-byte names: on Linux 300 of them, the deepest path over
// 12,000 bytes; on Windows 80, over 3,000 characters, far beyond the 260 of
// MAX_PATH but within the 4,096 bytes Wine can pass to Linux.
#ifdef _WIN32
constexpr int kDeepLevels = 80;
constexpr std::size_t kPathLimit = 260;
#else
constexpr int kDeepLevels = 300;
constexpr std::size_t kPathLimit = 4096;
#endif
// One file half-way through every hundred levels.
constexpr int kMiddleFiles = kDeepLevels > 50 ? (kDeepLevels - 51) / 100 + 1 : 0;

std::string makeDeepTree(const TempTree &tree, int levels)
{
#ifdef _WIN32
    // Paths this long need the \\?\ form, which the tree uses throughout.
    std::string relative;
    for (int i = 0; i < levels; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "level-%03d-abcdefghijklmnopqrstuvwxyz01", i);
        relative += relative.empty() ? "" : "/";
        relative += name;
        tree.dir(relative);
        if (i % 100 == 50)
            tree.file(relative + "/middle.txt", 100);
    }
    tree.file(relative + "/bottom.dat", 70000);
    return tree.path(relative);
#else
    std::string relative;
    int fd = ::open(tree.root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "level-%03d-abcdefghijklmnopqrstuvwxyz01", i);
        testing::check(::mkdirat(fd, name, 0755) == 0, "mkdirat");
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        relative += "/";
        relative += name;
        if (i % 100 == 50) {
            const int file = ::openat(fd, "middle.txt", O_WRONLY | O_CREAT, 0644);
            testing::check(::ftruncate(file, 100) == 0, "ftruncate");
            ::close(file);
        }
    }
    const int file = ::openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0644);
    testing::check(::ftruncate(file, 70000) == 0, "ftruncate");
    ::close(file);
    ::close(fd);
    return tree.root() + relative;
#endif
}

TEST_F(WalkTest, aTreeDeeperThanPathMaxIsWalkedToTheBottom)
{
    const std::string bottom = makeDeepTree(tree, kDeepLevels);
    ASSERT_GT(bottom.size(), kPathLimit);
    Recorder recorder;

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_EQ(result.unreadableDirectories, 0);
    ASSERT_EQ(recorder.files.size(), std::size_t(kMiddleFiles + 1));
    EXPECT_EQ(recorder.files.front().directory, bottom);
    EXPECT_EQ(recorder.files.front().name, "bottom.dat");
    EXPECT_EQ(stats.sizeBandCount[4], 1);
    EXPECT_EQ(stats.sizeBandCount[1], kMiddleFiles);
}

TEST_F(WalkTest, aDeepTreeGivesTheSameFiguresWhenFewDirectoriesMayStayOpen)
{
    makeDeepTree(tree, kDeepLevels);
    Recorder wide;
    walk(tree.root(), 1, &wide);
    const Statistics allOpen = stats;

    stats = Statistics{};
    Recorder narrow;
    const WalkResult result = walk(tree.root(), 1, &narrow, 8);

    EXPECT_EQ(result.unreadableDirectories, 0);
    EXPECT_EQ(stats, allOpen);
    ASSERT_EQ(narrow.files.size(), wide.files.size());
    for (std::size_t i = 0; i < wide.files.size(); ++i)
        EXPECT_EQ(narrow.files[i].directory, wide.files[i].directory);

    stats = Statistics{};
    walk(tree.root(), 4, nullptr, 8);
    EXPECT_EQ(stats, allOpen);
}

#ifndef _WIN32
TEST_F(WalkTest, anUnreadableDirectoryIsCountedAndTheWalkGoesOn)
{
    tree.dir("locked");
    tree.file("locked/secret", 5);
    tree.dir("open");
    tree.file("open/visible", 6);
    ::chmod(tree.path("locked").c_str(), 0);
    // Root walks as nobody, who must reach the tree.
    ::chmod(tree.root().c_str(), 0755);

    struct Figures
    {
        bool lockedOpens;
        std::int64_t unreadable;
        std::int64_t files;
        double bytes;
    };
    const auto run = test::withoutPrivileges([this] {
        const int probe = ::open(tree.path("locked").c_str(), O_RDONLY | O_DIRECTORY);
        if (probe >= 0)
            ::close(probe);
        const WalkResult result = walk(tree.root());
        return Figures{probe >= 0, result.unreadableDirectories, stats.filesProcessed,
                       stats.sizeBandBytes[1]};
    });
    if (run.unavailable)
        GTEST_SKIP() << run.why;
    ASSERT_TRUE(run.result) << run.why;
    ASSERT_FALSE(run.result->lockedOpens) << "this user opens directories whatever their mode "
                                             "says (a capability such as CAP_DAC_READ_SEARCH?)";

    EXPECT_EQ(run.result->unreadable, 1);
    EXPECT_EQ(run.result->files, 1);
    EXPECT_EQ(run.result->bytes, 6);
}

#endif

TEST_F(WalkTest, directoriesThatCannotBeOpenedAreCountedOnceEachAndSkipped)
{
    for (const char *d : {"a", "a/locked", "b", "b/locked", "c"})
        tree.dir(d);
    tree.file("a/locked/x", 1);
    tree.file("b/locked/y", 1);
    tree.file("c/z", 9);
    m_reader = std::make_unique<RefusingDirectoryReader>(makeDirectoryReader(), "locked");

    for (int threads : {1, 3}) {
        stats = Statistics{};
        const WalkResult result = walk(tree.root(), threads);
        EXPECT_EQ(result.unreadableDirectories, 2) << threads;
        EXPECT_EQ(stats.filesProcessed, 1) << threads;
        EXPECT_EQ(stats.sizeBandBytes[1], 9) << threads;
    }
}

#ifndef _WIN32
TEST_F(WalkTest, aFileRemovedBetweenListingAndCountingIsSkippedSilently)
{
    tree.dir("going");
    for (const char *f : {"going/a", "going/b", "going/c"})
        tree.file(f, 1);
    tree.file("stays", 2);
    Recorder recorder;
    recorder.then = [this](const Counted &c) {
        if (c.directory != tree.path("going"))
            return;
        for (const char *f : {"going/a", "going/b", "going/c"})
            tree.remove(f);
    };

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_EQ(result.unreadableDirectories, 0);
    EXPECT_EQ(stats.filesProcessed, 2);
    EXPECT_EQ(stats.sizeBandBytes[1], 3);
}

#else
// Windows hands out each file's figures with its name in the listing, and the
// walk takes them from there: a file removed after its directory was listed
// counts as it was listed, as a search handle of the system reports it.
TEST_F(WalkTest, aFileRemovedAfterItsDirectoryWasListedCountsAsListed)
{
    tree.dir("going");
    for (const char *f : {"going/a", "going/b", "going/c"})
        tree.file(f, 1);
    tree.file("stays", 2);
    Recorder recorder;
    recorder.then = [this](const Counted &c) {
        if (c.directory != tree.path("going"))
            return;
        for (const char *f : {"going/a", "going/b", "going/c"})
            tree.remove(f);
    };

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_EQ(result.unreadableDirectories, 0);
    EXPECT_EQ(stats.filesProcessed, 4);
    EXPECT_EQ(stats.sizeBandBytes[1], 5);
}
#endif

// A few thousand files in a few hundred directories, with sizes across every
// band and times across every bucket and slot.
void makeGeneratedTree(const TempTree &tree)
{
    std::mt19937 random(99);
    const std::int64_t now = std::time(nullptr);
    std::vector<std::string> directories = {""};
    for (int d = 0; d < 150; ++d) {
        const std::string parent = directories[random() % directories.size()];
        std::string name = parent + "d" + std::to_string(d);
        tree.dir(name);
        directories.push_back(name + "/");
    }
    const char *extensions[] = {".txt", ".DOC", ".jpeg", ".c", "", ".class", ".Mp3", ".h"};
    for (int f = 0; f < 3000; ++f) {
        const std::string &dir = directories[random() % directories.size()];
        const std::string name = dir + "f" + std::to_string(f) + extensions[random() % 8];
        const std::int64_t size = std::int64_t(random() % (1u << (random() % 26)));
        const std::int64_t atime = now - std::int64_t(random() % (6 * 365 * 86400));
        const std::int64_t mtime = now - std::int64_t(random() % (6 * 365 * 86400));
        tree.file(name, size, atime, mtime, (f % 17 == 0) ? 0444 : 0644);
    }
}

TEST_F(WalkTest, theFiguresDoNotDependOnTheNumberOfThreads)
{
    makeGeneratedTree(tree);
    walk(tree.root(), 1);
    const Statistics one = stats;
    ASSERT_EQ(one.filesProcessed, 3000);

    for (int threads : {2, 4}) {
        stats = Statistics{};
        walk(tree.root(), threads);
        EXPECT_EQ(stats, one) << threads << " threads";
    }
}

TEST_F(WalkTest, anAbortEndsTheWalkAtTheNextEntryAndKeepsWhatWasCounted)
{
    makeGeneratedTree(tree);
    Recorder recorder;
    recorder.then = [this](const Counted &) {
        if (stats.filesProcessed == 10)
            abort = true;
    };

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_TRUE(result.aborted);
    EXPECT_EQ(stats.filesProcessed, 10);
    EXPECT_EQ(recorder.files.size(), 10u);
    EXPECT_EQ(progress.filesProcessed(), 10);
}

TEST_F(WalkTest, anInterruptFlagEndsTheWalkAsAnAbortDoes)
{
    makeGeneratedTree(tree);
    std::atomic<bool> interrupted{false};
    interrupt = &interrupted;
    Recorder recorder;
    recorder.then = [this, &interrupted](const Counted &) {
        if (stats.filesProcessed == 10)
            interrupted = true;
    };

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_TRUE(result.aborted);
    EXPECT_EQ(stats.filesProcessed, 10);
    EXPECT_FALSE(abort.load());
}

TEST_F(WalkTest, anAbortStopsEveryThread)
{
    makeGeneratedTree(tree);
    Recorder recorder;
    recorder.then = [this](const Counted &) { abort = true; };

    const WalkResult result = walk(tree.root(), 4, &recorder);

    EXPECT_TRUE(result.aborted);
    // Each thread stops within one entry of seeing the flag.
    EXPECT_LE(stats.filesProcessed, 4);
    EXPECT_GE(stats.filesProcessed, 1);
}

TEST_F(WalkTest, progressNamesTheDriveAndADirectoryOfTheWalk)
{
    tree.dir("inner");
    tree.file("inner/x", 1);

    walk(tree.root());

    EXPECT_EQ(progress.statusText(), processingText("c:", tree.path("inner")));
}

// The window shows the directory of the file being counted: every directory
// is named from its first file on, even one of a single file.
TEST_F(WalkTest, progressNamesEachDirectoryFromItsFirstFile)
{
    for (const char *dir : {"a", "a/deep", "b", "c"})
        tree.dir(dir);
    for (const char *file : {"a/1", "a/deep/2", "b/3", "b/4", "c/5", "6"})
        tree.file(file, 1);
    Recorder recorder;
    std::vector<std::string> shown;
    recorder.then = [&](const Counted &) { shown.push_back(progress.currentDirectory()); };

    walk(tree.root(), 1, &recorder);

    ASSERT_EQ(shown.size(), recorder.files.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], recorder.files[i].directory) << recorder.files[i].name;
}

TEST_F(WalkTest, aRootThatCannotBeOpenedCountsNothing)
{
    const WalkResult result = walk(tree.path("missing"));

    EXPECT_FALSE(result.rootOpened);
    EXPECT_EQ(stats.filesProcessed, 0);
}

#ifndef _WIN32
TEST_F(WalkTest, directoriesOfOtherFileSystemsAreNotEntered)
{
    struct stat dev
    {
    }, shm{};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev)
        GTEST_SKIP() << "no file system mounted below /dev";
    const std::string marker = "/dev/shm/vorin-walk-marker-" + std::to_string(::getpid());
    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    Recorder recorder;

    walk("/dev", 1, &recorder);
    ::unlink(marker.c_str());

    for (const Counted &c : recorder.files)
        EXPECT_NE(c.directory.rfind("/dev/shm", 0), 0u) << c.directory;
}

#endif

// Files of several names --------------------------------------------------

std::int64_t totalBytes(const Statistics &s)
{
    double bytes = 0;
    for (double b : s.sizeBandBytes)
        bytes += b;
    return static_cast<std::int64_t>(bytes);
}

#ifndef _WIN32
TEST_F(WalkTest, aFileOfSeveralNamesIsCountedOnceAtTheFirstNameFound)
{
    for (const char *d : {"a", "b", "b/c"})
        tree.dir(d);
    tree.file("a/data.bin", 5000);
    tree.link("a/data.bin", "b/copy.bin");
    tree.link("a/data.bin", "b/c/again.bin");
    tree.file("a/plain.txt", 10);
    tree.file("b/other.txt", 20);
    Recorder recorder;

    const WalkResult result = walk(tree.root(), 1, &recorder);

    EXPECT_EQ(result.hardLinksSkipped, 2);
    EXPECT_EQ(stats.filesProcessed, 3) << "the later names are no files of the walk at all";
    EXPECT_EQ(stats.filesSelected, 3);
    EXPECT_EQ(progress.filesProcessed(), 3);
    EXPECT_EQ(totalBytes(stats), 5030);
    EXPECT_EQ(stats.lbTypes, (std::vector<TypeTotal>{{".BIN", 1, 5000}, {".TXT", 2, 30}}));
    int namesCounted = 0;
    for (const Counted &c : recorder.files)
        namesCounted += c.size == 5000;
    EXPECT_EQ(namesCounted, 1);
}

// Snapshots of one tree, each file linked into every snapshot: the figures of
// the walk are those of one snapshot, with every thread count, although the
// threads meet the names of one file in different directories.
TEST_F(WalkTest, linksInDifferentDirectoriesCountOnceWhateverTheThreadCount)
{
    constexpr int kSnapshots = 4;
    constexpr int kFiles = 120;
    for (int snap = 0; snap < kSnapshots; ++snap)
        for (int d = 0; d < 6; ++d) {
            const std::string dir = "s" + std::to_string(snap);
            if (d == 0)
                tree.dir(dir);
            tree.dir(dir + "/d" + std::to_string(d));
        }
    std::int64_t linkedBytes = 0;
    for (int f = 0; f < kFiles; ++f) {
        const std::string relative =
            "/d" + std::to_string(f % 6) + "/f" + std::to_string(f) + ".dat";
        tree.file("s0" + relative, 100 + f, 0, 0, f % 5 == 0 ? 0444 : 0644);
        linkedBytes += 100 + f;
        for (int snap = 1; snap < kSnapshots; ++snap)
            tree.link("s0" + relative, "s" + std::to_string(snap) + relative);
    }
    for (int snap = 0; snap < kSnapshots; ++snap)
        tree.file("s" + std::to_string(snap) + "/own.log", 7);

    const WalkResult one = walk(tree.root(), 1);
    const Statistics oneThread = stats;
    EXPECT_EQ(one.hardLinksSkipped, kFiles * (kSnapshots - 1));
    EXPECT_EQ(oneThread.filesProcessed, kFiles + kSnapshots);
    EXPECT_EQ(totalBytes(oneThread), linkedBytes + 7 * kSnapshots);
    EXPECT_EQ(oneThread.readOnlyCount, kFiles / 5);

    for (int threads : {2, 4, 8}) {
        stats = Statistics{};
        progress.reset();
        const WalkResult result = walk(tree.root(), threads);
        EXPECT_EQ(result.hardLinksSkipped, kFiles * (kSnapshots - 1)) << threads << " threads";
        EXPECT_EQ(stats, oneThread) << threads << " threads";
        EXPECT_EQ(progress.filesProcessed(), kFiles + kSnapshots) << threads << " threads";
    }
}

TEST_F(WalkTest, onlyFilesOfSeveralNamesAreRemembered)
{
    for (int f = 0; f < 50; ++f)
        tree.file("plain" + std::to_string(f), 1);
    tree.file("linked1", 1);
    tree.link("linked1", "other1");
    tree.file("linked2", 1);
    tree.link("linked2", "other2");
    tree.link("linked2", "third2");
    LinkedFiles remembered;
    linkedFiles = &remembered;

    const WalkResult result = walk(tree.root(), 2);

    EXPECT_EQ(remembered.size(), 2u);
    EXPECT_EQ(result.hardLinksSkipped, 3);
    EXPECT_EQ(stats.filesProcessed, 52);
}

// The drives of one run share the record: a file counted on one drive is not
// counted again when another of its names turns up on the next.
TEST_F(WalkTest, aSharedRecordCarriesTheFilesOfSeveralNamesFromOneWalkToTheNext)
{
    tree.dir("first");
    tree.dir("second");
    tree.file("first/big.iso", 70000);
    tree.link("first/big.iso", "second/big.iso");
    tree.file("second/small.txt", 3);
    LinkedFiles run;
    linkedFiles = &run;

    const WalkResult firstDrive = walk(tree.path("first"));
    const WalkResult secondDrive = walk(tree.path("second"));

    EXPECT_EQ(firstDrive.hardLinksSkipped, 0);
    EXPECT_EQ(secondDrive.hardLinksSkipped, 1);
    EXPECT_EQ(stats.filesProcessed, 2);
    EXPECT_EQ(totalBytes(stats), 70003);

    // A record of its own for each walk (a new run) counts the file again.
    linkedFiles = nullptr;
    stats = Statistics{};
    EXPECT_EQ(walk(tree.path("second")).hardLinksSkipped, 0);
    EXPECT_EQ(stats.filesProcessed, 2);
}

#else
// The find data of a Windows listing does not say how many names a file has,
// and asking each file would cost a call per file: every name counts, as it
// always did on Windows.
TEST_F(WalkTest, everyNameOfAFileOfSeveralNamesCountsOnWindows)
{
    tree.dir("a");
    tree.dir("b");
    tree.file("a/data.bin", 5000);
    tree.link("a/data.bin", "b/copy.bin");

    const WalkResult result = walk(tree.root(), 2);

    EXPECT_EQ(result.hardLinksSkipped, 0);
    EXPECT_EQ(stats.filesProcessed, 2);
    EXPECT_EQ(totalBytes(stats), 10000);
}
#endif

// Directories opened again by name ----------------------------------------

// Passes everything to the platform's reader and calls closed() once, right
// after the first close of a directory opened under the name watched: the
// moment between the walk closing a directory for want of descriptors and
// opening it again.
class CloseWatchingReader final : public ForwardingDirectoryReader
{
public:
    struct Watch
    {
        std::string name;
        std::function<void()> closed;
        std::vector<Handle> handles;
        bool fired = false;
    };

    explicit CloseWatchingReader(std::shared_ptr<Watch> watch,
                                 std::unique_ptr<DirectoryReader> inner = makeDirectoryReader())
        : ForwardingDirectoryReader(std::move(inner)), m_watch(std::move(watch))
    {}
    OpenStatus openChild(Handle parent, std::string_view name, Handle &out) override
    {
        const OpenStatus status = ForwardingDirectoryReader::openChild(parent, name, out);
        if (status == OpenStatus::Ok && name == m_watch->name)
            m_watch->handles.push_back(out);
        return status;
    }
    void close(Handle dir) override
    {
        ForwardingDirectoryReader::close(dir);
        auto &handles = m_watch->handles;
        const auto it = std::find(handles.begin(), handles.end(), dir);
        if (it == handles.end())
            return;
        handles.erase(it);
        if (!m_watch->fired) {
            m_watch->fired = true;
            m_watch->closed();
        }
    }
    std::unique_ptr<DirectoryReader> clone() const override
    {
        return std::make_unique<CloseWatchingReader>(m_watch, inner().clone());
    }

private:
    std::shared_ptr<Watch> m_watch;
};

// Directories stay reachable through their descriptors on Linux, whatever
// happens to the names above them.
#ifndef _WIN32
// With three directories open at most, entering a/b/c closes a; its files are
// counted after everything below it, once it has been opened again. If
// another directory has taken its name meanwhile, that one is not walked.
TEST_F(WalkTest, aDirectoryReplacedWhileClosedIsCountedUnreadableAndNotWalked)
{
    for (const char *d : {"a", "a/b", "a/b/c"})
        tree.dir(d);
    tree.file("a/b/c/deep.txt", 1);
    tree.file("a/mine.txt", 10);
    tree.file("top.txt", 100);
    auto watch = std::make_shared<CloseWatchingReader::Watch>();
    watch->name = "a";
    watch->closed = [this] {
        tree.rename("a", "a-moved");
        tree.dir("a");
        tree.file("a/mine.txt", 20000);
        tree.file("a/intruder.txt", 40000);
    };
    m_reader = std::make_unique<CloseWatchingReader>(watch);
    Recorder recorder;

    const WalkResult result = walk(tree.root(), 1, &recorder, 3);

    ASSERT_TRUE(watch->fired) << "a was never closed early";
    EXPECT_EQ(result.unreadableDirectories, 1);
    std::vector<std::string> counted;
    for (const Counted &c : recorder.files)
        counted.push_back(slashes(c.directory.substr(tree.root().size())) + "/" + c.name);
    EXPECT_EQ(counted, (std::vector<std::string>{"/a/b/c/deep.txt", "/top.txt"}));
    EXPECT_EQ(totalBytes(stats), 101);
}

TEST_F(WalkTest, aDirectoryRemovedWhileClosedIsCountedUnreadableOnce)
{
    for (const char *d : {"a", "a/b", "a/b/c", "a/b/c/d"})
        tree.dir(d);
    tree.file("a/b/c/d/deep.txt", 1);
    tree.file("a/b/c/level3.txt", 2);
    tree.file("a/b/level2.txt", 4);
    tree.file("a/level1.txt", 8);
    auto watch = std::make_shared<CloseWatchingReader::Watch>();
    watch->name = "a";
    watch->closed = [this] { tree.rename("a", "a-moved"); };
    m_reader = std::make_unique<CloseWatchingReader>(watch);

    const WalkResult result = walk(tree.root(), 1, nullptr, 3);

    // c and d were open all along and count; b and a are reached through a
    // again, which is gone: one directory that could not be opened again.
    ASSERT_TRUE(watch->fired);
    EXPECT_EQ(result.unreadableDirectories, 1);
    EXPECT_EQ(totalBytes(stats), 1 + 2);
}

#else
// On Windows a directory is reached by its path, and a directory below one
// that moved away is not found there any more. What matters stays: with
// three directories open at most, entering a/b/c closes a, and the directory
// that has taken a's name when it is opened again is not walked.
TEST_F(WalkTest, aDirectoryReplacedWhileClosedIsCountedUnreadableAndNotWalked)
{
    for (const char *d : {"a", "a/b", "a/b/c"})
        tree.dir(d);
    tree.file("a/b/c/deep.txt", 1);
    tree.file("a/mine.txt", 10);
    tree.file("top.txt", 100);
    auto watch = std::make_shared<CloseWatchingReader::Watch>();
    watch->name = "a";
    watch->closed = [this] {
        tree.rename("a", "a-moved");
        tree.dir("a");
        tree.file("a/mine.txt", 20000);
        tree.file("a/intruder.txt", 40000);
    };
    m_reader = std::make_unique<CloseWatchingReader>(watch);
    Recorder recorder;

    const WalkResult result = walk(tree.root(), 1, &recorder, 3);

    ASSERT_TRUE(watch->fired) << "a was never closed early";
    EXPECT_EQ(result.unreadableDirectories, 1);
    std::vector<std::string> counted;
    for (const Counted &c : recorder.files)
        counted.push_back(slashes(c.directory.substr(tree.root().size())) + "/" + c.name);
    EXPECT_EQ(counted, (std::vector<std::string>{"/top.txt"}));
    EXPECT_EQ(totalBytes(stats), 100);
}
#endif

} // namespace
} // namespace vorin
