#include "engine/FigureFiles.h"

#include "engine/FigureListing.h"
#include "engine/Walk.h"
#include "platform/DirectoryReader.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/FixedUtcOffset.h"
#include "selection/TypeFilter.h"
#include "TreeFixture.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vorin {
namespace {

using testing::TempTree;

constexpr std::int64_t kCluster = 4096;

// A counted file as the walk handed it over, and where it falls, worked out
// here the long way: through the packed local time, as the pages read dates.
struct Seen
{
    std::string folder;
    std::string name;
    FileFacts facts;
    std::string typeKey;

    [[nodiscard]] std::string path() const { return folder + kPathSeparator + name; }
};

class Witness final : public WalkObserver
{
public:
    Witness(const UtcOffsetSource &zone, std::int64_t today) : m_zone(zone), m_today(today) {}

    void fileCounted(std::string_view directory, const DirectoryEntry &entry) override
    {
        Seen seen{std::string(directory), std::string(entry.name), {}, {}};
        FileFacts &f = seen.facts;
        f.size = entry.size;
        f.attributes = entry.attributes;
        f.band = static_cast<std::uint8_t>(sizeBand(entry.size));
        const FileTime times[] = {entry.lastAccess, entry.creation, entry.lastWrite};
        for (std::size_t d = 0; d < 3; ++d) {
            const std::uint32_t packed = dosDateTime(times[d], m_zone);
            f.ages[d] = static_cast<std::uint8_t>(ageToIndex(ageInDays(packed, m_today)));
            const int slot = halfHourIndex(packed);
            f.halfHours[d] = static_cast<std::int8_t>(slot > 0 ? slot : -1);
        }
        f.overhangCounted = true;
        f.wasted = entry.size % kCluster == 0 ? 0 : kCluster - entry.size % kCluster;
        const std::string_view key = fileExtension(entry.name);
        f.typed = typeKeyLength(key) <= kMaxTypeKeyLength;
        seen.typeKey = f.typed ? asciiUpper(key) : std::string();
        std::lock_guard lock(m_mutex);
        files.push_back(std::move(seen));
    }

    std::vector<Seen> files;

private:
    const UtcOffsetSource &m_zone;
    std::int64_t m_today;
    std::mutex m_mutex;
};

// Every figure the files fall in, each once.
std::vector<Figure> figuresOf(const std::vector<Seen> &files)
{
    std::vector<Figure> figures;
    for (int band = 1; band <= kSizeBands; ++band)
        figures.push_back({FigureKind::Size, band, {}});
    for (FigureKind kind : {FigureKind::AccessAge, FigureKind::CreatedAge, FigureKind::ModifiedAge})
        for (int bucket = 0; bucket < kAgeBuckets; ++bucket)
            figures.push_back({kind, bucket, {}});
    for (FigureKind kind :
         {FigureKind::AccessTime, FigureKind::CreatedTime, FigureKind::ModifiedTime})
        for (int slot = 1; slot < kTimeSlots; ++slot)
            figures.push_back({kind, slot, {}});
    for (int attribute = 0; attribute < kAttributeFigures; ++attribute)
        figures.push_back({FigureKind::Attribute, attribute, {}});
    figures.push_back({FigureKind::Overhang, 0, {}});
    std::set<std::string> keys;
    for (const Seen &seen : files)
        if (seen.facts.typed)
            keys.insert(seen.typeKey);
    for (const std::string &key : keys)
        figures.push_back({FigureKind::Type, 0, key});
    return figures;
}

// The figure's files sorted the long way: largest first (the overhang by
// wasted bytes), then by folder and name.
std::vector<std::string> bruteForce(const std::vector<Seen> &files, const Figure &figure,
                                    std::size_t n)
{
    std::vector<const Seen *> in;
    for (const Seen &seen : files)
        if (inFigure(figure, seen.facts, seen.typeKey))
            in.push_back(&seen);
    const auto rank = [&figure](const Seen *s) {
        return figure.kind == FigureKind::Overhang ? s->facts.wasted : s->facts.size;
    };
    std::sort(in.begin(), in.end(), [&rank](const Seen *a, const Seen *b) {
        if (rank(a) != rank(b))
            return rank(a) > rank(b);
        return a->folder != b->folder ? a->folder < b->folder : a->name < b->name;
    });
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < in.size() && i < n; ++i)
        paths.push_back(in[i]->path());
    return paths;
}

std::vector<std::string> pathsOf(const std::vector<KeptFile> &files)
{
    std::vector<std::string> paths;
    for (const KeptFile &file : files)
        paths.push_back(file.path());
    return paths;
}

// A tree of files with sizes drawn from a few values, so that many tie (and
// two over 2 GiB differ only in their last bits), of types in mixed case,
// hidden and read-only ones, written and read at times spread over six years
// and every half hour.
void makeRandomTree(const TempTree &tree, unsigned seed, int files)
{
    std::mt19937 random(seed);
    constexpr std::int64_t kHuge = std::int64_t{1} << 33;
    const std::int64_t sizes[] = {0,     1,       100,     4096,     5000,     16384,
                                  20000, 70000,   1 << 20, 17 << 20, kHuge + 1, kHuge + 2};
    const char *types[] = {".txt", ".TXT", ".bin", ".a", "", ".toolong", ".Iso"};
    const char *folders[] = {"", "one", "one/two", "three", "three/four", "five"};
    for (const char *folder : folders)
        if (*folder != 0)
            tree.dir(folder);
    const std::int64_t now = std::time(nullptr);
    for (int i = 0; i < files; ++i) {
        const std::string folder = folders[random() % std::size(folders)];
        std::string name = (random() % 9 == 0 ? "." : "") + std::to_string(random() % 50) + "_" +
                           std::to_string(i) + types[random() % std::size(types)];
        const std::string relative = folder.empty() ? name : folder + "/" + name;
        const auto when = [&] {
            return now - static_cast<std::int64_t>(random() % (6 * 365)) * 86400 -
                   static_cast<std::int64_t>(random() % 86400);
        };
        tree.file(relative, sizes[random() % std::size(sizes)], when(), when(),
                  random() % 7 == 0 ? 0444 : 0644);
    }
}

struct KeepCase
{
    int threads;
    std::size_t perFigure;
    unsigned seed;
    int files = 400;
};

void PrintTo(const KeepCase &c, std::ostream *os)
{
    *os << c.threads << " threads, " << c.perFigure << " per figure, seed " << c.seed << ", "
        << c.files << " files";
}

class KeptListsTest : public ::testing::TestWithParam<KeepCase>
{
};

// Each figure keeps exactly the largest files a sort of every file gives,
// whatever the threads; a figure with fewer files keeps them all; a file in
// many lists is stored once.
TEST_P(KeptListsTest, equalTheLargestOfASortOfEveryFile)
{
    const KeepCase c = GetParam();
    TempTree tree;
    makeRandomTree(tree, c.seed, c.files);
    const FixedUtcOffset zone(3600);
    const std::int64_t today = std::time(nullptr) / 86400;
    Witness witness(zone, today);
    CrunchContext context;
    context.zone = &zone;
    context.today = today;
    context.overhangEnabled = true;
    context.clusterSize = kCluster;
    FigureFiles kept(KeepOptions{c.perFigure, std::nullopt});
    WalkOptions options;
    options.threads = c.threads;
    options.observer = &witness;
    options.keep = &kept;
    Statistics stats;
    WalkProgress progress;
    const std::atomic<bool> abort{false};
    const auto reader = makeDirectoryReader();
    (void)walkTree(*reader, tree.root(), context, stats, progress, abort, options);
    ASSERT_EQ(witness.files.size(), static_cast<std::size_t>(c.files));

    std::set<std::string> stored;
    for (const Figure &figure : figuresOf(witness.files)) {
        const std::vector<std::string> expected = bruteForce(witness.files, figure, c.perFigure);
        EXPECT_EQ(pathsOf(kept.files(figure)), expected) << figureName(figure);
        stored.insert(expected.begin(), expected.end());
        FigureTotal total;
        for (const Seen &seen : witness.files)
            if (inFigure(figure, seen.facts, seen.typeKey)) {
                total.files += 1;
                total.bytes += static_cast<double>(
                    figure.kind == FigureKind::Overhang ? seen.facts.wasted : seen.facts.size);
            }
        EXPECT_EQ(kept.total(figure).files, total.files) << figureName(figure);
        EXPECT_EQ(kept.total(figure).bytes, total.bytes) << figureName(figure);
    }
    EXPECT_EQ(kept.keptCount(), stored.size());
    // The totals are the page's figures.
    for (int band = 1; band <= kSizeBands; ++band)
        EXPECT_EQ(kept.total({FigureKind::Size, band, {}}).bytes, stats.sizeBandBytes[band]);
    for (int slot = 0; slot < kTimeSlots; ++slot)
        EXPECT_EQ(double(kept.total({FigureKind::AccessTime, slot, {}}).files),
                  stats.accessTimeSlots[slot]);
    EXPECT_EQ(kept.total({FigureKind::Attribute, 1, {}}).files, stats.hiddenCount);
    EXPECT_EQ(kept.total({FigureKind::Overhang, 0, {}}).bytes, stats.overhang4K);
    for (const TypeTotal &line : stats.lbTypes)
        EXPECT_EQ(kept.total({FigureKind::Type, 0, line.key}).files, line.files) << line.key;
}

INSTANTIATE_TEST_SUITE_P(Walks, KeptListsTest,
                         ::testing::Values(KeepCase{1, 7, 1}, KeepCase{4, 7, 1}, KeepCase{4, 3, 2},
                                           KeepCase{8, 200, 3}, KeepCase{3, 1, 4},
                                           // Threads that pass many batches on.
                                           KeepCase{2, 5, 6, 3000}));

TEST(FigureFilesTest, figureNamesReadBackAndOthersAreRefused)
{
    const char *valid[] = {"types:.ISO",
                           "types:",
                           "sizes:1",
                           "sizes:12",
                           "accessAge:0",
                           "createdAge:9",
                           "modifiedAge:9",
                           "accessTime:28",
                           "createdTime:0",
                           "modifiedTime:47",
                           "attributes:readOnly",
                           "attributes:hidden",
                           "attributes:system",
                           "attributes:archive",
                           "overhang"};
    for (const char *name : valid) {
        const std::optional<Figure> figure = parseFigure(name);
        ASSERT_TRUE(figure) << name;
        EXPECT_EQ(figureName(*figure), name);
    }
    EXPECT_EQ(parseFigure("types:.iso")->typeKey, ".ISO");
    for (const char *name : {"", "sizes", "sizes:0", "sizes:13", "sizes:x", "sizes:1x",
                             "accessAge:10", "accessTime:-1", "accessTime:48", "attributes:Hidden",
                             "types:iso", "types:.toolong", "overhang:4", "colours:1"})
        EXPECT_FALSE(parseFigure(name)) << name;
}

DirectoryEntry entryOf(const std::string &name, std::int64_t size)
{
    DirectoryEntry entry;
    entry.name = name;
    entry.size = size;
    return entry;
}

FileFacts factsOf(std::int64_t size)
{
    FileFacts facts;
    facts.size = size;
    facts.band = static_cast<std::uint8_t>(sizeBand(size));
    facts.halfHours = {-1, -1, -1};
    return facts;
}

// Long names evicted by ever larger ones: the store keeps its two largest and
// the room of the names let go is taken back.
TEST(FigureFilesTest, namesOfFilesLetGoDoNotPileUp)
{
    FigureFiles kept(KeepOptions{2, std::nullopt});
    std::size_t most = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string name = std::string(200, 'n') + std::to_string(i);
        kept.keep("/a/folder/" + std::to_string(i % 1000), entryOf(name, i), factsOf(i), {});
        most = std::max(most, kept.memoryUse());
    }
    EXPECT_LT(most, 512u * 1024u);
    const std::vector<KeptFile> largest = kept.files({FigureKind::Size, sizeBand(99999), {}});
    ASSERT_EQ(largest.size(), 2u);
    EXPECT_EQ(largest[0].size(), 99999);
    EXPECT_EQ(largest[1].name, std::string(200, 'n') + "99998");
    EXPECT_EQ(largest[1].folder, "/a/folder/998");
}

// A file gone to the trash leaves every figure: the figures are those of a
// walk of the tree without it.
class TakenAwayTest : public ::testing::TestWithParam<const char *>
{
};

TEST_P(TakenAwayTest, figuresEqualAWalkWithoutTheFile)
{
    TempTree tree;
    tree.dir("sub");
    tree.file("sub/disc.iso", 70000, 1600000000, 1500000000);
    tree.file("sub/.hidden.txt", 5000, 1600003600, 1500007200, 0444);
    tree.file("notes.txt", 100, 1600000000, 1600000000);
    tree.file("big.bin", 20 << 20, 1400000000, 1600009000);
    const FixedUtcOffset zone(0);
    const auto walk = [&](FigureFiles *kept) {
        CrunchContext context;
        context.zone = &zone;
        context.today = 19000;
        context.overhangEnabled = true;
        context.clusterSize = kCluster;
        WalkOptions options;
        options.threads = 1;
        options.keep = kept;
        Statistics stats;
        WalkProgress progress;
        const std::atomic<bool> abort{false};
        (void)walkTree(*makeDirectoryReader(), tree.root(), context, stats, progress, abort,
                       options);
        return stats;
    };
    FigureFiles kept;
    Statistics stats = walk(&kept);
    const std::string gone = GetParam();
    std::vector<KeptFile> candidates;
    for (int band = 1; band <= kSizeBands; ++band)
        for (KeptFile &file : kept.files({FigureKind::Size, band, {}}))
            candidates.push_back(std::move(file));
    const auto file = std::find_if(candidates.begin(), candidates.end(),
                                   [&gone](const KeptFile &f) { return f.name == gone; });
    ASSERT_NE(file, candidates.end());
    const Figure overhang{FigureKind::Overhang, 0, {}};
    const FigureTotal overhangBefore = kept.total(overhang);

    uncount(stats, *file);
    EXPECT_TRUE(kept.forget(*file));
    tree.remove(file->path().substr(tree.root().size() + 1));
    EXPECT_EQ(stats, walk(nullptr));
    EXPECT_EQ(kept.total(overhang).files, overhangBefore.files - (file->facts.wasted > 0 ? 1 : 0));
    for (const Figure &figure :
         {Figure{FigureKind::Overhang, 0, {}}, Figure{FigureKind::Size, 1, {}},
          Figure{FigureKind::Type, 0, file->typeKey()}}) {
        for (const KeptFile &left : kept.files(figure))
            EXPECT_NE(left.name, gone) << figureName(figure);
    }
    EXPECT_FALSE(kept.forget(*file));
}

INSTANTIATE_TEST_SUITE_P(Files, TakenAwayTest,
                         ::testing::Values("disc.iso", ".hidden.txt", "notes.txt", "big.bin"));

// The run's filter, its day and a figure with more files than are kept: the
// listing walks again and lists every one of them.
TEST(FigureListingTest, listsEveryFileOfTheFigureAsTheDiskHoldsItNow)
{
    TempTree tree;
    tree.dir("docs");
    for (int i = 0; i < 30; ++i)
        tree.file("docs/note" + std::to_string(i) + ".txt", 100 + i);
    tree.file("docs/other.bin", 5000);
    tree.file("skipped.TXT", 7);
    FakeVolumes volumes;
    Volume drive;
    drive.letter = 'f';
    drive.root = tree.root();
    volumes.add(drive, {1, 2}, 4096);
    const FixedUtcOffset zone(0);
    ScanRecipe recipe;
    recipe.drives = {"f: [tree]"};
    recipe.filter = TypeFilter(false, false, true, {"*.bin\tBinary"});
    recipe.zone = &zone;
    recipe.today = std::time(nullptr) / 86400;
    recipe.threads = 2;

    FigureListing listing(volumes, recipe, *parseFigure("types:.txt"));
    tree.remove("skipped.TXT"); // after the scan: the list shows the disk as it is now
    listing.run();
    EXPECT_TRUE(listing.complete());
    const std::vector<KeptFile> files = listing.takeFiles();
    ASSERT_EQ(files.size(), 30u);
    EXPECT_EQ(files.front().name, "note29.txt");
    EXPECT_EQ(files.back().size(), 100);

    FigureListing excluded(volumes, recipe, *parseFigure("types:.bin"));
    excluded.run();
    EXPECT_TRUE(excluded.takeFiles().empty());

    FigureListing stopped(volumes, recipe, *parseFigure("sizes:1"));
    stopped.requestStop();
    stopped.run();
    EXPECT_FALSE(stopped.complete());
}

} // namespace
} // namespace vorin
