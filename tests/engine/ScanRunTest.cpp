#include "engine/ScanRun.h"

#include "engine/History.h"
#include "engine/report/Report.h"
#include "engine/report/ReportFile.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/fake/RecordingMessages.h"
#include "TreeFixture.h"

#include <atomic>
#include <ctime>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vorin {
namespace {

using testing::TempTree;

class RecordingHooks final : public RunHooks
{
public:
    explicit RecordingHooks(const RecordingMessages &messages) : m_messages(messages) {}

    void clearTypesTable() override
    {
        ++clears;
        messagesBeforeClear = m_messages.shown().size();
    }
    void setOverhangPageEnabled(bool enabled) override { overhangEnabled.push_back(enabled); }
    void scanRunningChanged(bool running) override { events.push_back(running ? "run" : "stop"); }
    void disenable(bool enabled) override { events.push_back(enabled ? "enable" : "disable"); }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void setCaption(std::string_view text) override { captions.emplace_back(text); }
    void refreshPages(bool withOverhang) override
    {
        events.push_back(withOverhang ? "pages+overhang" : "pages");
    }
    void runEnded(bool collected) override { ended.push_back(collected); }
    void historyNotKept(std::string_view message) override { notKept.emplace_back(message); }

    int clears = 0;
    std::size_t messagesBeforeClear = 0;
    std::vector<bool> overhangEnabled;
    std::vector<std::string> events;
    std::vector<std::string> statuses;
    std::vector<std::string> captions;
    std::vector<bool> ended;
    std::vector<std::string> notKept;

private:
    const RecordingMessages &m_messages;
};

class AbortAfterFirstFile final : public WalkObserver
{
public:
    void fileCounted(std::string_view, const DirectoryEntry &) override
    {
        if (run)
            run->requestAbort();
    }
    ScanRun *run = nullptr;
};

constexpr double kGiB = 1024.0 * 1024 * 1024;

Volume volume(char letter, int type, std::string root, std::string label)
{
    Volume v;
    v.letter = letter;
    v.type = type;
    v.root = std::move(root);
    v.label = std::move(label);
    v.fileSystem = "ext4";
    return v;
}

class ScanRunTest : public ::testing::Test
{
protected:
    ScanRunTest()
    {
        c.file("a.txt", 100);
        c.file("b.doc", 5000);
        c.dir("sub");
        c.file("sub/c.TXT", 1);
        d.file("one.doc", 7);
        e.file("two.doc", 8);
        volumes.add(volume('c', kDriveFixed, c.root(), "system"), {1 * kGiB, 10 * kGiB}, 4096);
        volumes.add(volume('d', kDriveFixed, d.root(), "data"), {1 * kGiB, 2 * kGiB}, 1024);
        volumes.add(volume('e', kDriveFixed, e.root(), "more"), {1 * kGiB, 2 * kGiB}, 512);
        volumes.add(volume('x', kDriveRemovable, "/nonexistent", ""), {}, 0, false);
        options.zone = &zone;
        options.today = std::time(nullptr) / 86400;
        options.locale = LocaleSeparators{};
        options.threads = 1;
    }

    TempTree c, d, e;
    FakeVolumes volumes;
    FixedUtcOffset zone{0};
    RunOptions options;
    RecordingMessages messages;
    RecordingHooks hooks{messages};
};

TEST_F(ScanRunTest, aOneDriveRunTellsTheUserScansAndReports)
{
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]"}, TypeFilter());

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, RecordingMessages::Shown::Info);
    EXPECT_EQ(messages.shown()[0].text,
              "Disk Drive c: [system] will be scanned.  The analysis may take some time.  You may "
              "quit at any time by clicking Abort or pressing ESC.");
    EXPECT_EQ(hooks.clears, 1);
    EXPECT_EQ(hooks.messagesBeforeClear, 1u)
        << "the notice comes before the accumulators are cleared";
    EXPECT_EQ(hooks.overhangEnabled, std::vector<bool>{true});
    EXPECT_EQ(hooks.events,
              (std::vector<std::string>{"run", "disable", "pages+overhang", "enable", "stop"}));
    EXPECT_EQ(hooks.statuses, (std::vector<std::string>{"", "Finished - 3 files processed"}));
    EXPECT_EQ(hooks.captions, std::vector<std::string>{"Statistics completed for drives C: "});
    EXPECT_EQ(hooks.ended, std::vector<bool>{true});
    EXPECT_EQ(run.clusterSize(), 4096);
    EXPECT_EQ(run.selectedCapacity(), 10 * kGiB);
    EXPECT_EQ(run.statistics().filesProcessed, 3);
    // 100, 5000 and 1 bytes, each in its last 4K cluster: 3996 + 3192 + 4095.
    EXPECT_EQ(run.statistics().overhang4K, 3996 + 3192 + 4095);
    EXPECT_FALSE(run.scanRunning());
}

// A report of a run, opened: the same figures, drives and filter, the pages
// filled and the run ended as after a scan, under the report's name; no
// file kept behind the figures.
TEST_F(ScanRunTest, aReportIsShownAsTheRunItCameFrom)
{
    options.keepPerFigure = 10;
    ScanRun scanned(volumes, hooks, options);
    scanned.run({"c: [system]"},
                TypeFilter(false, false, true, {"*.doc\tWord document", "*.log\t"}));
    std::ostringstream json;
    writeReportJson(json, scanned.statistics(), scanned.clusterSize(), {1},
                    reportDrives(scanned.drives(), volumes), filterText(scanned.filter()), 2, 1,
                    false, FakeFileTypeRegistry());

    RecordingHooks shown{messages};
    ScanRun run(volumes, shown, options);
    run.showReport(readReport(json.str()), "/srv/c.json");
    EXPECT_EQ(run.statistics(), scanned.statistics());
    EXPECT_EQ(run.drives(), scanned.drives());
    EXPECT_EQ(run.clusterSize(), 4096);
    EXPECT_TRUE(run.filter().excludeTypes());
    EXPECT_EQ(run.filter().chosenEntries(), (std::vector<std::string>{"*.doc\t", "*.log\t"}));
    EXPECT_EQ(shown.clears, 1);
    EXPECT_EQ(shown.overhangEnabled, std::vector<bool>{true});
    EXPECT_EQ(shown.events, (std::vector<std::string>{"pages+overhang", "enable"}));
    EXPECT_EQ(shown.statuses,
              std::vector<std::string>{"Finished - 3 files processed 2 files found INCOMPLETE"});
    EXPECT_EQ(shown.captions, std::vector<std::string>{"Statistics from /srv/c.json"});
    EXPECT_EQ(shown.ended, std::vector<bool>{true});
    EXPECT_EQ(run.unreadableDirectories(), 2);
    EXPECT_TRUE(run.fromReport());
    const Figure texts{FigureKind::Type, 0, ".TXT"};
    EXPECT_GT(scanned.keptFiles().total(texts).files, 0);
    EXPECT_EQ(run.keptFiles().total(texts).files, 0);
}

TEST_F(ScanRunTest, aDriveThatIsNotReadyIsSkippedButNamedInTheCaption)
{
    ScanRun run(volumes, hooks, options);
    run.run({"x:", "c: [system]"}, TypeFilter());

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              "Since you selected more than one drive to analyze, the Cluster Overhang tab will be "
              "disabled.  You may quit the analysis at any time by clicking CANCEL or by pressing "
              "ESC.");
    EXPECT_EQ(hooks.overhangEnabled, std::vector<bool>{false});
    EXPECT_EQ(hooks.events,
              (std::vector<std::string>{"run", "disable", "pages", "enable", "stop"}));
    EXPECT_EQ(hooks.captions, std::vector<std::string>{"Statistics completed for drives X: C: "});
    EXPECT_EQ(run.statistics().filesProcessed, 3);
    EXPECT_EQ(run.statistics().overhang4K, 0);
    EXPECT_EQ(run.statistics().overhang64K, 0);
}

TEST_F(ScanRunTest, eachDriveAddsToTheTotalsOfTheRun)
{
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]", "d: [data]"}, TypeFilter());

    EXPECT_EQ(hooks.statuses, (std::vector<std::string>{"", "Finished - 3 files processed", "",
                                                        "Finished - 4 files processed"}));
    EXPECT_EQ(hooks.captions, (std::vector<std::string>{"Statistics completed for drives C: ",
                                                        "Statistics completed for drives C: D: "}));
    EXPECT_EQ(run.clusterSize(), 1024);
    EXPECT_EQ(run.currentDrive(), "d: [data]");
}

TEST_F(ScanRunTest, aFilterThatRejectsFilesAddsTheCountOfFilesFound)
{
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]"}, TypeFilter(false, true, false, {"*.doc\tWord document"}));

    EXPECT_EQ(run.status(), "Finished - 3 files processed 1 files found");
}

TEST_F(ScanRunTest, anAbortDuringTheFirstOfThreeDrivesKeepsItsPartialCounts)
{
    AbortAfterFirstFile observer;
    options.observer = &observer;
    ScanRun run(volumes, hooks, options);
    observer.run = &run;
    run.run({"c: [system]", "d: [data]", "e: [more]"}, TypeFilter());

    EXPECT_EQ(run.statistics().filesProcessed, 1);
    EXPECT_EQ(hooks.statuses.back(), "Finished - 1 files processed INCOMPLETE ... ABORTED");
    EXPECT_EQ(hooks.captions,
              std::vector<std::string>{"File Statistics for drive(s) incomplete ... aborted."});
    EXPECT_EQ(hooks.events,
              (std::vector<std::string>{"run", "disable", "pages", "enable", "stop"}));
    EXPECT_EQ(run.currentDrive(), "c: [system]");
    EXPECT_EQ(hooks.ended, std::vector<bool>{true});
}

// What a signal handler does: sets a flag of its own, which the walk watches.
class InterruptAfterFirstFile final : public WalkObserver
{
public:
    void fileCounted(std::string_view, const DirectoryEntry &) override { flag.store(true); }
    std::atomic<bool> flag{false};
};

TEST_F(ScanRunTest, anInterruptFlagStopsTheRunAsAnAbortDoes)
{
    InterruptAfterFirstFile observer;
    options.observer = &observer;
    options.interrupt = &observer.flag;
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]", "d: [data]", "e: [more]"}, TypeFilter());

    EXPECT_TRUE(run.abortRequested());
    EXPECT_EQ(run.statistics().filesProcessed, 1);
    EXPECT_EQ(hooks.statuses.back(), "Finished - 1 files processed INCOMPLETE ... ABORTED");
    EXPECT_EQ(hooks.captions,
              std::vector<std::string>{"File Statistics for drive(s) incomplete ... aborted."});
}

// Drives of every kind of storage, on a machine of two cores.
std::vector<int> threadsOfEachDrive(ScanRun &run, const std::vector<std::string> &drives)
{
    std::vector<int> threads;
    if (!run.begin(drives, TypeFilter()))
        return threads;
    for (std::size_t i = 0; i < run.driveCount(); ++i) {
        if (run.prepareDrive(i) != ScanRun::DriveStep::Scan)
            continue;
        run.scanDrive();
        threads.push_back(run.walkThreads());
        run.finishDrive();
    }
    run.end();
    return threads;
}

TEST_F(ScanRunTest, eachDriveIsWalkedWithTheThreadsItsStorageSuits)
{
    volumes.setCores(2);
    volumes.setStorage('c', StorageKind::Rotational);
    volumes.setStorage('d', StorageKind::SolidState);
    volumes.setStorage('e', StorageKind::Network);
    volumes.add(volume('f', kDriveFixed, e.root(), "unknown"), {1 * kGiB, 2 * kGiB}, 512);
    options.threads = 0;
    ScanRun run(volumes, hooks, options);

    EXPECT_EQ(threadsOfEachDrive(run, {"c: [system]", "d: [data]", "e: [more]", "f: [unknown]"}),
              (std::vector<int>{2, 8, 16, 2}));
    EXPECT_EQ(run.statistics().filesProcessed, 3 + 1 + 1 + 1);
}

TEST_F(ScanRunTest, aThreadCountOfTheRunOverridesTheDrivesChoice)
{
    volumes.setCores(2);
    volumes.setStorage('d', StorageKind::SolidState);
    options.threads = 3;
    ScanRun run(volumes, hooks, options);

    EXPECT_EQ(threadsOfEachDrive(run, {"c: [system]", "d: [data]"}), (std::vector<int>{3, 3}));
}

TEST_F(ScanRunTest, drivesWithoutCapacityStopTheRunBeforeAnythingIsCleared)
{
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]"}, TypeFilter());
    const Statistics before = run.statistics();
    messages.clear();

    run.run({"x:"}, TypeFilter());

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, RecordingMessages::Shown::Error);
    EXPECT_EQ(messages.shown()[0].text, "Could not compute the total size of the disk drives "
                                        "selected.  Cannot proceed with statistics.");
    EXPECT_TRUE(messages.shown()[0].sound);
    EXPECT_EQ(hooks.clears, 1);
    EXPECT_EQ(run.statistics(), before);
    EXPECT_EQ(hooks.ended.size(), 1u);
}

TEST_F(ScanRunTest, noDriveChosenEndsTheRunSilently)
{
    ScanRun run(volumes, hooks, options);
    run.run({}, TypeFilter());

    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(hooks.clears, 0);
    EXPECT_TRUE(hooks.ended.empty());
}

TEST_F(ScanRunTest, aRootThatCannotBeOpenedIsReportedQuietlyAndThePagesStillRefresh)
{
    volumes.add(volume('f', kDriveFixed, c.path("gone"), "gone"), {1 * kGiB, 2 * kGiB}, 4096);
    ScanRun run(volumes, hooks, options);
    run.run({"f: [gone]"}, TypeFilter());

    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].kind, RecordingMessages::Shown::Error);
    EXPECT_EQ(messages.shown()[1].text, "Can't open drive f: [gone]");
    EXPECT_FALSE(messages.shown()[1].sound) << "the error box comes without the error sound";
    EXPECT_EQ(hooks.statuses.back(), "Finished - 0 files processed");
    EXPECT_EQ(hooks.captions, std::vector<std::string>{"Statistics completed for drives F: "});
}

TEST_F(ScanRunTest, aSecondRunStartsFromZero)
{
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]"}, TypeFilter());
    run.run({"d: [data]"}, TypeFilter());

    EXPECT_EQ(run.statistics().filesProcessed, 1);
    EXPECT_EQ(run.statistics().lbTypes.size(), 1u);
    EXPECT_EQ(hooks.captions.back(), "Statistics completed for drives D: ");
}

// Windows listings do not tell the names of one file apart.
#ifndef _WIN32
// A file with a name on drive c and another on drive d is one file of the
// run; the next run remembers nothing of it.
TEST_F(ScanRunTest, aFileLinkedIntoTwoDrivesCountsOnceInARunAndAgainInTheNext)
{
    ASSERT_EQ(::link(c.path("b.doc").c_str(), d.path("b-again.doc").c_str()), 0);
    options.threads = 2;
    ScanRun run(volumes, hooks, options);

    run.run({"c: [system]", "d: [data]"}, TypeFilter());
    EXPECT_EQ(run.hardLinksSkipped(), 1);
    EXPECT_EQ(run.statistics().filesProcessed, 4);
    EXPECT_EQ(run.statistics().sizeBandBytes[1], 100 + 5000 + 1 + 7);
    EXPECT_EQ(hooks.statuses.back(), "Finished - 4 files processed");

    run.run({"d: [data]"}, TypeFilter());
    EXPECT_EQ(run.hardLinksSkipped(), 0);
    EXPECT_EQ(run.statistics().filesProcessed, 2);
    EXPECT_EQ(run.statistics().sizeBandBytes[1], 5000 + 7);
}

#endif

TEST_F(ScanRunTest, theWalkOfADriveCanRunOnAWorkerThreadBetweenStepsOnTheCallersThread)
{
    options.threads = 2;
    ScanRun run(volumes, hooks, options);
    ASSERT_TRUE(run.begin({"c: [system]", "d: [data]"}, TypeFilter()));
    for (std::size_t i = 0; i < run.driveCount(); ++i) {
        ASSERT_EQ(run.prepareDrive(i), ScanRun::DriveStep::Scan);
        EXPECT_TRUE(run.scanRunning());
        EXPECT_EQ(run.progress().statusText(), "") << "nothing of the drive before";
        std::thread worker([&run] { run.scanDrive(); });
        worker.join();
        run.finishDrive();
        EXPECT_FALSE(run.scanRunning());
    }
    run.end();

    EXPECT_EQ(run.statistics().filesProcessed, 4);
    EXPECT_EQ(run.progress().filesProcessed(), 4);
    EXPECT_EQ(hooks.captions.back(), "Statistics completed for drives C: D: ");
}

// A history whose every use fails, as a locked or full database does.
class FailingHistory final : public ScanHistory
{
public:
    std::int64_t keep(const KeptScan &, const std::vector<HistoryFigure> &) override
    {
        throw HistoryError("The history of scans (h) can't be used: the disk is full.");
    }
    std::vector<KeptScan> scans(std::optional<std::string>) override { return {}; }
    std::optional<KeptScan> scan(std::int64_t) override { return {}; }
    std::vector<HistoryFigure> figures(std::int64_t) override { return {}; }
    std::vector<std::pair<std::int64_t, HistoryFigure>> tableOfPlace(const std::string &,
                                                                     const std::string &) override
    {
        return {};
    }
    std::int64_t forget(std::optional<std::string>) override { return 0; }
};

// Each drive's complete scan is kept with every figure of the pages; the
// figures read back are the run's; an aborted drive keeps nothing.
TEST_F(ScanRunTest, eachCompleteDriveIsKeptWithEveryFigureAndAnAbortedOneIsNot)
{
    if (!historyBuiltIn())
        GTEST_SKIP() << "a build without the history";
    TempTree place;
    const std::unique_ptr<ScanHistory> history = openScanHistory(place.root() + "/h.sqlite");
    options.history = history.get();
    {
        ScanRun run(volumes, hooks, options);
        run.run({"c: [system]"}, TypeFilter());
        const std::vector<KeptScan> kept = history->scans(c.root());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].drive, "c: [system]");
        EXPECT_EQ(kept[0].files, 3);
        EXPECT_EQ(kept[0].bytes, 5101);
        EXPECT_EQ(kept[0].capacity, 10 * kGiB);
        EXPECT_FALSE(kept[0].identity.empty());
        EXPECT_EQ(statisticsOf(history->figures(kept[0].id)), run.statistics());
    }
    // The tree changes: a type added, a file grown, a file removed.
    c.file("new.iso", 70000);
    c.file("a.txt", 300);
    c.remove("b.doc");
    {
        ScanRun run(volumes, hooks, options);
        run.run({"c: [system]", "d: [data]"},
                TypeFilter(false, true, false, {"*.iso\t", "*.txt\t"}));
        const std::vector<KeptScan> kept = history->scans(c.root());
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(kept[1].filter, "include *.iso\t *.txt\t");
        const Statistics now = statisticsOf(history->figures(kept[1].id));
        ASSERT_EQ(now.lbTypes.size(), 2u);
        EXPECT_EQ(now.lbTypes[0].key, ".ISO");
        EXPECT_EQ(now.lbTypes[1].bytes, 301);
        EXPECT_EQ(history->scans(d.root()).size(), 1u) << "each drive of a run is kept";
    }
    AbortAfterFirstFile observer;
    options.observer = &observer;
    ScanRun aborted(volumes, hooks, options);
    observer.run = &aborted;
    aborted.run({"c: [system]"}, TypeFilter());
    EXPECT_EQ(history->scans(c.root()).size(), 2u);
    EXPECT_TRUE(hooks.notKept.empty());
}

TEST_F(ScanRunTest, aScanTheHistoryCannotKeepIsToldAndCountedAsAlways)
{
    FailingHistory history;
    options.history = &history;
    ScanRun run(volumes, hooks, options);
    run.run({"c: [system]"}, TypeFilter());
    EXPECT_EQ(hooks.notKept, std::vector<std::string>{
                                 "The history of scans (h) can't be used: the disk is full."});
    EXPECT_EQ(run.statistics().filesProcessed, 3);
    EXPECT_EQ(hooks.captions.back(), "Statistics completed for drives C: ");
}

} // namespace
} // namespace vorin
