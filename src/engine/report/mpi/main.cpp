// vorin-report-mpi: vorin-report's tables for one directory tree, walked by
// many processes on many machines that all mount the tree at the same path.
//
//   mpirun -np N vorin-report-mpi [--json|--csv] [--include EXT,...|--exclude EXT,...] TARGET
//
// Rank 0 coordinates: it keeps the directories still to walk and hands them
// out to the ranks that ask, walking some itself while every other rank is
// busy. Each rank counts the files of the directories it is given with the
// walk's own rules and sends back their subdirectories. When no directory is
// left and no rank is busy, the ranks send their figures (as the report's
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

#include <cstdint>
#include <deque>
#include <iostream>
#include <mpi.h>
#include <sstream>
#include <string>
#include <vector>

namespace vorin {
namespace {

constexpr int kWork = 1; // rank 0 to a rank: directories to walk; none: stop
constexpr int kDone = 2; // a rank to rank 0: the subdirectories found

// Directories as one message: each followed by a NUL, which no path holds.
std::string pack(const std::vector<std::string> &paths)
{
    std::string bytes;
    for (const std::string &path : paths) {
        bytes += path;
        bytes += '\0';
    }
    return bytes;
}

std::vector<std::string> unpack(const std::string &bytes)
{
    std::vector<std::string> paths;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find('\0', start);
        paths.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

void sendText(const std::string &bytes, int to, int tag)
{
    MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_CHAR, to, tag, MPI_COMM_WORLD);
}

// Waits for a message of the tag from the rank (or any), whatever its length.
std::string receiveText(int from, int tag, int *source = nullptr)
{
    MPI_Status status;
    MPI_Probe(from, tag, MPI_COMM_WORLD, &status);
    int length = 0;
    MPI_Get_count(&status, MPI_CHAR, &length);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    MPI_Recv(bytes.data(), length, MPI_CHAR, status.MPI_SOURCE, tag, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
    if (source)
        *source = status.MPI_SOURCE;
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

// Rank 0's part: hands directories out until none is left and no rank is busy.
void coordinate(SharedWalkPart &part, const std::string &root, int ranks)
{
    std::deque<std::string> queue{root};
    std::vector<int> idle;
    for (int rank = ranks - 1; rank >= 1; --rank)
        idle.push_back(rank);
    int busy = 0;
    const auto answer = [&](int from) {
        int source = 0;
        for (std::string &found : unpack(receiveText(from, kDone, &source)))
            queue.push_back(std::move(found));
        idle.push_back(source);
        --busy;
    };
    for (;;) {
        while (!idle.empty() && !queue.empty()) {
            // Several directories at a time while there are many: fewer
            // messages; one at a time near the end, so no rank waits long.
            const std::size_t batch =
                std::clamp<std::size_t>(queue.size() / (2 * std::size_t(ranks)), 1, 64);
            std::vector<std::string> work;
            while (work.size() < batch && !queue.empty()) {
                work.push_back(std::move(queue.front()));
                queue.pop_front();
            }
            sendText(pack(work), idle.back(), kWork);
            idle.pop_back();
            ++busy;
        }
        if (queue.empty() && busy == 0)
            break;
        if (queue.empty()) {
            answer(MPI_ANY_SOURCE);
            continue;
        }
        // Every rank is busy: walk a directory here, then take the answers in.
        const std::string directory = std::move(queue.front());
        queue.pop_front();
        for (std::string &found : part.walkDirectory(directory))
            queue.push_back(std::move(found));
        for (int waiting = 1; waiting;) {
            MPI_Iprobe(MPI_ANY_SOURCE, kDone, MPI_COMM_WORLD, &waiting, MPI_STATUS_IGNORE);
            if (waiting)
                answer(MPI_ANY_SOURCE);
        }
    }
    for (int rank = 1; rank < ranks; ++rank)
        sendText({}, rank, kWork);
}

// Any other rank's part: walks what it is given until told to stop.
void work(SharedWalkPart &part)
{
    for (;;) {
        const std::vector<std::string> directories = unpack(receiveText(0, kWork));
        if (directories.empty())
            return;
        std::vector<std::string> found;
        for (const std::string &directory : directories)
            for (std::string &below : part.walkDirectory(directory))
                found.push_back(std::move(below));
        sendText(pack(found), 0, kDone);
    }
}

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
    SharedWalkPart part(*reader, context);
    if (rank == 0)
        coordinate(part, scan.root(), ranks);
    else
        work(part);

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
