// The lists' store alone, without the walk and its system calls around it:
// the same stream of 100,000 files (types, sizes and times as the walk's
// benchmark tree has them) offered to a store that keeps every figure's 200 largest and
// to one that only counts (its peer), in alternating rounds. The walk's own
// benchmark (run.sh) says what the lists cost a scan; this one shows a change
// to the store itself, which the walk's noise hides below a few per cent.
//
// usage: vorin-lists-store [ROUNDS]   (default 31)

#include "engine/FigureFiles.h"
#include "engine/Statistics.h"
#include "support/Utility.h"
#include "walk/TreeShape.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

using namespace vorin;

namespace {

using bench::fileSize;
using bench::kExtensions;
using bench::SplitMix64;

constexpr std::size_t kTypeLines = std::size(kExtensions);

struct File
{
    std::size_t folder;
    std::string name;
    std::string typeKey;
    int typeLine; // as the types table of the counting thread has it
    DirectoryEntry entry;
    FileFacts facts;
};

std::vector<File> makeFiles(std::size_t count, std::size_t folders)
{
    SplitMix64 random{19980101};
    std::vector<File> files(count);
    for (std::size_t i = 0; i < count; ++i) {
        File &f = files[i];
        f.folder = random.below(folders);
        f.typeLine = static_cast<int>(random.below(kTypeLines));
        f.typeKey = asciiUpper(kExtensions[f.typeLine]);
        f.name = "file";
        f.name += std::to_string(i);
        f.name += f.typeKey;
        f.facts.size = fileSize(random);
        f.facts.band = static_cast<std::uint8_t>(sizeBand(f.facts.size));
        // Accessed and written at any time of the spread, all made at once.
        const auto age = [&random] { return static_cast<std::uint8_t>(random.below(kAgeBuckets)); };
        const auto slot = [&random] { return static_cast<std::int8_t>(1 + random.below(47)); };
        f.facts.ages = {age(), 0, age()};
        f.facts.halfHours = {slot(), 20, slot()};
        f.facts.wasted = wastedBytes(f.facts.size, 4096);
        f.facts.overhangCounted = true;
        f.facts.typed = !f.typeKey.empty();
        f.entry.size = f.facts.size;
    }
    // A walk meets the files of a directory one after the other.
    std::stable_sort(files.begin(), files.end(),
                     [](const File &a, const File &b) { return a.folder < b.folder; });
    for (File &f : files)
        f.entry.name = f.name;
    return files;
}

// Milliseconds to offer every file, as a walk of one thread does (or, with
// `shared`, as one of several threads does, through the shared store).
double offerAll(const std::vector<File> &files, const std::vector<std::string> &folders,
                std::size_t perFigure, bool shared)
{
    const auto start = std::chrono::steady_clock::now();
    FigureFiles store(KeepOptions{perFigure, std::nullopt});
    const auto offer = [&](FigureFiles &to) {
        for (const File &f : files)
            to.keep(folders[f.folder], f.entry, f.facts, f.typeKey, f.typeLine, kTypeLines);
    };
    if (shared) {
        std::mutex lock;
        FigureFiles walking = store.emptyLike();
        walking.share(store, lock);
        offer(walking);
        walking.flush();
        store.merge(walking);
    } else {
        offer(store);
    }
    if (store.keptCount() == 0 && perFigure > 0)
        std::abort();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    std::vector<std::string> folders;
    for (int i = 0; i < 5500; ++i)
        folders.push_back("/tmp/vorin-walk-bench/dir" + std::to_string(i / 50) + "/dir" +
                          std::to_string(i));
    const std::vector<File> files = makeFiles(100000, folders.size());
    std::printf("| The store alone, %zu files | keeping / counting only | keeping, ms |\n",
                files.size());
    std::printf("|---|---:|---:|\n");
    for (const bool shared : {false, true}) {
        std::vector<double> ratios, keeping;
        for (int r = 0; r < rounds; ++r) {
            const double count = offerAll(files, folders, 0, shared);
            const double keep = offerAll(files, folders, kKeptPerFigure, shared);
            ratios.push_back(keep / count);
            keeping.push_back(keep);
        }
        std::printf("| %s | %.2f | %.1f |\n",
                    shared ? "through the shared store" : "one thread's store", median(ratios),
                    median(keeping));
    }
}
