// vorin-report-mpi: vorin-report's tables for one directory tree, walked by
// many processes on many machines that all mount the tree at the same path.
//
//   mpirun -np N vorin-report-mpi [--json|--csv] [--include EXT,...|--exclude EXT,...] TARGET
//
// Rank 0 coordinates: it hands the trees still to walk to idle ranks, walks
// some itself while every other rank is busy, and when a rank waits with
// nothing left to hand out, asks a busy one to give a subdirectory away
// (its own walk, or another rank's). Each rank walks its trees with the
// walk's own rules, as vorin-report does. When no tree is left and no rank
// is busy, the ranks send their figures (as the report's
// JSON) and their files of several names to rank 0, which adds them up,
// counts each file of several names once and prints the report. A rank that
// dies ends the whole run (MPI's default), never a partial result.

#include "engine/History.h"
#include "engine/report/Report.h"
#include "engine/report/ReportFile.h"
#include "engine/ScanRun.h"
#include "engine/SharedWalk.h"
#include "platform/DirectoryReader.h"
#include "platform/FileTypeRegistry.h"
#include "platform/FolderVolumes.h"
#include "platform/Locale.h"
#include "platform/Messages.h"
#include "platform/System.h"
#include "platform/TimeZone.h"
#include "selection/TypeFilter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <iostream>
#include <mpi.h>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vorin {
namespace {

constexpr int kWork = 1;   // rank 0 to a rank: a tree to walk; none: stop
constexpr int kShare = 2;  // rank 0 to a busy rank: others wait, give a subdirectory away
constexpr int kReport = 3; // a rank to rank 0: 'F' and trees given away, or 'D': done
// One tag for both reports: MPI keeps the messages of one tag between two
// ranks in order, so a rank's trees given away always arrive before its
// "done", and rank 0 never stops while a tree is still on its way.

void sendText(const std::string &bytes, int to, int tag)
{
    MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_CHAR, to, tag, MPI_COMM_WORLD);
}

// Waits for a message without spinning: MPI's own blocking probe keeps a core
// busy, which on a machine shared with other work (or with more ranks than
// cores) slows everything else. A fifth of a millisecond is nothing beside
// the walk of a tree.
void waitFor(int source, int tag, MPI_Status &status)
{
    for (int waiting = 0;;) {
        MPI_Iprobe(source, tag, MPI_COMM_WORLD, &waiting, &status);
        if (waiting)
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Receives a message already probed, whatever its length.
std::string receiveProbed(const MPI_Status &probed)
{
    int length = 0;
    MPI_Get_count(&probed, MPI_CHAR, &length);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    MPI_Recv(bytes.data(), length, MPI_CHAR, probed.MPI_SOURCE, probed.MPI_TAG, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
    return bytes;
}

// Gathers every rank's bytes on rank 0, in rank order.
std::vector<std::string> gatherTexts(const std::string &mine, int rank, int ranks)
{
    int length = static_cast<int>(mine.size());
    std::vector<int> lengths(static_cast<std::size_t>(ranks));
    MPI_Gather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, 0, MPI_COMM_WORLD);
    std::vector<int> offsets(static_cast<std::size_t>(ranks), 0);
    std::string all;
    if (rank == 0) {
        for (std::size_t i = 1; i < lengths.size(); ++i)
            offsets[i] = offsets[i - 1] + lengths[i - 1];
        all.resize(static_cast<std::size_t>(offsets.back() + lengths.back()));
    }
    MPI_Gatherv(mine.data(), length, MPI_CHAR, all.data(), lengths.data(), offsets.data(), MPI_CHAR,
                0, MPI_COMM_WORLD);
    std::vector<std::string> texts;
    if (rank == 0)
        for (std::size_t i = 0; i < lengths.size(); ++i)
            texts.push_back(all.substr(std::size_t(offsets[i]), std::size_t(lengths[i])));
    return texts;
}

// Rank 0: keeps the trees still to walk, hands them to idle ranks, asks a
// busy rank to give work away while another waits, and walks trees itself
// when every other rank is busy. It answers the ranks between directories
// of its own walk too, so that nobody waits on it.
class Coordinator
{
public:
    Coordinator(const DirectoryReader &reader, const CrunchContext &context, int ranks)
        : m_busy(static_cast<std::size_t>(ranks), false), m_asked(m_busy),
          m_part(
              reader, context,
              [this] {
                  takeReports(false);
                  handOut(false);
                  return m_idle > 0 && m_queue.empty();
              },
              [this](std::string path) { m_queue.push_back(std::move(path)); })
    {
        m_idle = ranks - 1;
    }

    void walk(const std::string &root)
    {
        m_queue.push_back(root);
        for (;;) {
            takeReports(false);
            handOut(false);
            if (!m_queue.empty()) {
                // Every other rank is busy.
                const std::string tree = std::move(m_queue.front());
                m_queue.pop_front();
                m_part.walkDirectory(tree);
                continue;
            }
            if (busyRanks() == 0)
                break;
            // Idle here too: a busy rank gives work away, to this one.
            handOut(true);
            takeReports(true);
        }
        for (std::size_t rank = 1; rank < m_busy.size(); ++rank)
            sendText({}, int(rank), kWork);
    }

    [[nodiscard]] const SharedWalkPart &part() const { return m_part; }

private:
    [[nodiscard]] int busyRanks() const
    {
        return static_cast<int>(std::count(m_busy.begin(), m_busy.end(), true));
    }

    // The reports waiting; with `wait`, at least one.
    void takeReports(bool wait)
    {
        for (;;) {
            MPI_Status status;
            int waiting = 1;
            if (wait)
                waitFor(MPI_ANY_SOURCE, kReport, status);
            else
                MPI_Iprobe(MPI_ANY_SOURCE, kReport, MPI_COMM_WORLD, &waiting, &status);
            if (!waiting)
                return;
            wait = false;
            const std::string report = receiveProbed(status);
            const auto rank = static_cast<std::size_t>(status.MPI_SOURCE);
            std::size_t start = 1;
            while (start < report.size()) {
                const std::size_t end = std::min(report.find('\0', start), report.size());
                m_queue.push_back(report.substr(start, end - start));
                start = end + 1;
            }
            m_asked[rank] = false;
            if (report.front() == 'D') {
                m_busy[rank] = false;
                ++m_idle;
            }
        }
    }

    // Trees to the idle ranks; with none left to hand out, a busy rank is
    // asked to give a subdirectory away, for an idle rank or (`selfIdle`)
    // for this one.
    void handOut(bool selfIdle)
    {
        for (std::size_t rank = 1; rank < m_busy.size() && m_idle > 0 && !m_queue.empty(); ++rank) {
            if (m_busy[rank])
                continue;
            sendText(m_queue.front(), int(rank), kWork);
            m_queue.pop_front();
            m_busy[rank] = true;
            --m_idle;
        }
        if (!m_queue.empty() || (m_idle == 0 && !selfIdle))
            return;
        for (std::size_t other = 1; other < m_busy.size(); ++other) {
            if (m_busy[other] && !m_asked[other]) {
                sendText({}, int(other), kShare);
                m_asked[other] = true;
                return;
            }
        }
    }

    std::deque<std::string> m_queue;
    std::vector<bool> m_busy;  // by rank: walking a tree it was given
    std::vector<bool> m_asked; // by rank: asked to give work away, no answer yet
    int m_idle = 0;
    SharedWalkPart m_part;
};

// Any other rank: walks the trees it is given until told to stop, giving a
// subdirectory away whenever rank 0 asks.
class Worker
{
public:
    Worker(const DirectoryReader &reader, const CrunchContext &context)
        : m_part(
              reader, context,
              [] {
                  int asked = 0;
                  MPI_Status status;
                  MPI_Iprobe(0, kShare, MPI_COMM_WORLD, &asked, &status);
                  if (asked)
                      (void)receiveProbed(status);
                  return asked != 0;
              },
              [](std::string path) { sendText("F" + path, 0, kReport); })
    {}

    void walk()
    {
        for (;;) {
            MPI_Status status;
            waitFor(0, MPI_ANY_TAG, status);
            const std::string tree = receiveProbed(status);
            if (status.MPI_TAG == kShare)
                continue; // asked just as the rank finished: nothing to give
            if (tree.empty())
                return;
            m_part.walkDirectory(tree);
            sendText("D", 0, kReport);
        }
    }

    [[nodiscard]] const SharedWalkPart &part() const { return m_part; }

private:
    SharedWalkPart m_part;
};

// Errors as one line on standard error, from rank 0 only: every rank meets
// the same ones before the walk.
class RankMessages final : public Messages
{
public:
    explicit RankMessages(bool speaks) : m_speaks(speaks) { m_previous = installMessages(this); }
    ~RankMessages() override { installMessages(m_previous); }
    RankMessages(const RankMessages &) = delete;
    RankMessages &operator=(const RankMessages &) = delete;

    void showError(std::string_view message) override
    {
        if (m_speaks)
            std::cerr << "vorin-report-mpi: " << message << '\n';
    }
    void showSilentError(std::string_view message) override { showError(message); }
    void showInfo(std::string_view) override {}
    Answer confirm(std::string_view) override { return Answer::No; }

private:
    bool m_speaks;
    Messages *m_previous = nullptr;
};

// The registry for the ranks' figures on their way to rank 0, which names
// the types itself.
class NoTypes final : public FileTypeRegistry
{
public:
    std::string className(std::string_view) const override { return {}; }
    std::string classDescription(std::string_view) const override { return {}; }
    std::vector<std::string> registeredExtensions() const override { return {}; }
};

constexpr std::string_view kUsage =
    "usage: mpirun -np N vorin-report-mpi [--json|--csv] [--include EXT,...|--exclude EXT,...] "
    "TARGET";

int run(const std::vector<std::string> &args, int rank, int ranks)
{
    const bool speaks = rank == 0;
    RankMessages messages(speaks);
    const std::shared_ptr<const Volumes> machine = makeSystemVolumes();
    FolderVolumes volumes(machine);
    ReportOptions options;
    std::vector<std::string> entries;
    try {
        options = parseReportArguments(args);
        if (options.help || options.version || options.listDrives || options.history ||
            options.merge || !options.files.empty() || !options.compare.empty() ||
            options.threads != 0)
            throw ReportUsageError("takes only --json, --csv, --include or --exclude and a TARGET");
        if (options.targets.size() != 1)
            throw ReportUsageError("walks one TARGET");
        entries = resolveTargets(options.targets, volumes, *machine);
    } catch (const ReportUsageError &e) {
        if (speaks)
            std::cerr << "vorin-report-mpi: " << e.what() << "  (" << kUsage << ")\n";
        return 2;
    }
    TypeFilter filter;
    if (options.includeTypes || options.excludeTypes)
        filter = TypeFilter(false, options.includeTypes, options.excludeTypes, options.typeEntries);
    const std::string filterWords = filterText(filter);

    // Every rank counts ages from the same day, even across midnight.
    std::int64_t today = rank == 0 ? localToday() : 0;
    MPI_Bcast(&today, 1, MPI_INT64_T, 0, MPI_COMM_WORLD);
    const SystemTimeZone zone;
    RunHooks hooks;
    RunOptions runOptions;
    runOptions.today = today;
    runOptions.zone = &zone;
    runOptions.locale = systemLocaleSeparators();
    ScanRun scan(volumes, hooks, runOptions);
    if (!scan.begin(entries, std::move(filter)) || scan.prepareDrive(0) != ScanRun::DriveStep::Scan)
        return 1;
    const CrunchContext context = scan.crunchContext();
    const std::unique_ptr<DirectoryReader> reader = makeDirectoryReader();
    std::optional<Coordinator> coordinator;
    std::optional<Worker> worker;
    if (rank == 0) {
        coordinator.emplace(*reader, context, ranks);
        coordinator->walk(scan.root());
    } else {
        worker.emplace(*reader, context);
        worker->walk();
    }
    const SharedWalkPart &part = coordinator ? coordinator->part() : worker->part();

    std::ostringstream figures;
    writeReportJson(figures, part.statistics(), 0, {}, {}, {}, part.unreadableDirectories(), 0,
                    true, NoTypes());
    const std::vector<std::string> allFigures = gatherTexts(figures.str(), rank, ranks);
    const std::vector<std::string> linked = gatherTexts(part.linkedRecords(), rank, ranks);
    if (rank != 0)
        return 0;

    Statistics total;
    std::int64_t unreadable = 0;
    for (const std::string &json : allFigures) {
        const ReportFile report = readReport(json);
        total.merge(report.statistics);
        unreadable += report.unreadableDirectories;
    }
    const std::int64_t skipped = settleLinkedFiles(linked, context, total);
    if (unreadable > 0)
        std::cerr << "vorin-report-mpi: " << unreadable << " directories could not be read\n";

    const std::unique_ptr<FileTypeRegistry> registry = makeSystemFileTypeRegistry();
    const LocaleSeparators locale = systemLocaleSeparators();
    if (options.json)
        writeReportJson(std::cout, total, scan.clusterSize(), {ranks},
                        reportDrives(entries, volumes), filterWords, unreadable, skipped, true,
                        *registry);
    else if (options.csv)
        writeReportCsv(std::cout, total, *registry);
    else
        writeReportText(std::cout, total, entries, scan.clusterSize(), unreadable, skipped,
                        finishedStatus(total, locale, false), true, *registry, locale);
    std::cout.flush();
    return 0;
}

} // namespace
} // namespace vorin

int main(int argc, char **argv)
{
    MPI_Init(&argc, &argv);
    int rank = 0;
    int ranks = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 2;
    try {
        status = vorin::run(args, rank, ranks);
    } catch (const std::exception &e) {
        // Whatever one rank cannot go on with ends them all: no partial report.
        std::cerr << "vorin-report-mpi (rank " << rank << "): " << e.what() << '\n';
        MPI_Abort(MPI_COMM_WORLD, 1);
    }
    MPI_Finalize();
    return status;
}
