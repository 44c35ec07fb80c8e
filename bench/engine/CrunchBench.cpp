// The per-file bookkeeping against the system call that fetches a file's
// metadata, the cost the walk cannot avoid. Run:
//   build/bench/engine/bench_crunch --benchmark_counters_tabular=true
// and compare the files per second ("items_per_second") of the crunch runs with
// BM_statxPeer.

#include "engine/Statistics.h"
#include "platform/TimeZone.h"
#include "selection/TypeFilter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace vorin;

// VORIN_BENCH_FILES overrides the count, for a run under callgrind.
const int kEntries = [] {
    const char *n = std::getenv("VORIN_BENCH_FILES");
    return n ? std::atoi(n) : 10'000'000;
}();
constexpr int kDistinct = 4096;

// A realistic spread: a few hundred extensions, sizes over every band, times
// over ten years with most files recent.
struct Synthetic
{
    std::vector<std::string> names;
    std::vector<DirectoryEntry> entries;

    Synthetic()
    {
        static const char *kExt[] = {".doc", ".exe",  ".dll", ".txt",   ".jpg", ".png",
                                     ".h",   ".cpp",  ".o",   ".so",    ".py",  ".html",
                                     ".js",  ".css",  ".mp3", ".zip",   ".gz",  ".pdf",
                                     ".xml", ".json", "",     ".class", ".md",  ".ini"};
        std::mt19937_64 random(99);
        const std::int64_t now = std::time(nullptr);
        names.reserve(kDistinct);
        for (int i = 0; i < kDistinct; ++i)
            names.push_back("file" + std::to_string(i) + kExt[random() % std::size(kExt)] +
                            (i % 17 == 0 ? std::to_string(i % 5) : ""));
        entries.resize(kDistinct);
        for (int i = 0; i < kDistinct; ++i) {
            DirectoryEntry &e = entries[static_cast<std::size_t>(i)];
            e.name = names[static_cast<std::size_t>(i)];
            e.size = static_cast<std::int64_t>(random() % (1u << (random() % 30)));
            e.attributes = (random() % 10 == 0) ? std::uint32_t{kAttrHidden} : 0u;
            const std::int64_t age =
                static_cast<std::int64_t>(random() % (86400LL * 365 * 10)) >> (random() % 4);
            e.lastWrite = {now - age};
            e.creation = {now - age - 3600};
            e.lastAccess = {now - age / 4};
        }
    }
};

const Synthetic &synthetic()
{
    static const Synthetic s;
    return s;
}

void runCrunch(benchmark::State &state, const TypeFilter *filter)
{
    const Synthetic &data = synthetic();
    SystemTimeZone system;
    CachedUtcOffsets zone(system);
    for (auto _ : state) {
        Statistics stats;
        // As the walk does: a cache of the zone and an index of the type lines per thread.
        TypeIndex types;
        CrunchContext context{filter, &zone, localToday(), true, nullptr, "c: [/]"};
        context.zoneCache = &zone;
        context.types = &types;
        for (int i = 0; i < kEntries; ++i) {
            crunchNumbers(stats, context, "/home/user/documents",
                          data.entries[static_cast<std::size_t>(i % kDistinct)]);
            ++stats.filesProcessed;
        }
        benchmark::DoNotOptimize(stats);
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_crunchAllFiles(benchmark::State &state)
{
    runCrunch(state, nullptr);
}

void BM_crunchTwentyChosenTypes(benchmark::State &state)
{
    std::vector<std::string> chosen;
    for (const char *ext : {"doc", "exe",  "dll", "txt", "jpg", "png", "h",  "cpp", "o",   "so",
                            "py",  "html", "js",  "css", "mp3", "zip", "gz", "pdf", "xml", "json"})
        chosen.push_back(std::string("*.") + ext + "\tx");
    const TypeFilter filter(false, true, false, chosen);
    runCrunch(state, &filter);
}

// The peer: one statx of a cached file relative to an open directory, as the walk does per file.
void BM_statxPeer(benchmark::State &state)
{
    const int dir = open("/usr/bin", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statx sx
    {
    };
    for (auto _ : state) {
        benchmark::DoNotOptimize(statx(
            dir, "env", AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
            STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &sx));
    }
    close(dir);
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_crunchAllFiles)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_crunchTwentyChosenTypes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_statxPeer);

} // namespace

BENCHMARK_MAIN();
