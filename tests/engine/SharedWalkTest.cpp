#include "engine/SharedWalk.h"

#include "platform/DirectoryReader.h"
#include "platform/fake/FixedUtcOffset.h"
#include "platform/fake/RefusingDirectoryReader.h"
#include "TreeFixture.h"

#include <ctime>
#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorin {
namespace {

using testing::TempTree;

// A tree as a shared walk meets them: one directory with most of the files,
// a deep chain, files of several names whose names share a type (within a
// directory and across directories), a hidden directory never entered, an
// unreadable one, and files of many sizes and times.
void buildTree(const TempTree &tree)
{
    const std::int64_t now = std::time(nullptr);
    tree.dir("crowd");
    for (int i = 0; i < 300; ++i)
        tree.file("crowd/f" + std::to_string(i) + (i % 3 ? ".txt" : ".dat"), i * 37,
                  now - i * 86400, now - i * 3600);
    std::string chain = "deep";
    tree.dir(chain);
    for (int level = 0; level < 40; ++level) {
        chain += "/d";
        tree.dir(chain);
        tree.file(chain + "/x.log", level * 1000, now - level * 7 * 86400, now - level * 600);
    }
    tree.dir("a");
    tree.dir("b");
    tree.file("a/shared.iso", 70000, now - 400 * 86400, now - 90 * 86400);
    tree.link("a/shared.iso", "b/again.iso");
    tree.link("a/shared.iso", "deep/d/third.iso");
    tree.file("a/pair.txt", 5);
    tree.link("a/pair.txt", "a/pair-too.txt");
    tree.dir("a/locked");
    tree.file("a/locked/inside.txt", 1);
    tree.dir(".hidden");
    tree.file(".hidden/never.txt", 99);
    tree.file("top.doc", 20000);
}

struct Counted
{
    Statistics stats;
    std::int64_t hardLinksSkipped = 0;
    std::int64_t unreadable = 0;
};

// Parts, and how often they give work away (1: at every subdirectory).
class SharedWalk : public ::testing::TestWithParam<std::tuple<int, int>>
{
protected:
    SharedWalk()
    {
        buildTree(tree);
        context.zone = &zone;
        context.today = std::time(nullptr) / 86400;
        context.overhangEnabled = true;
        context.clusterSize = 4096;
        context.currentDrive = "e:";
    }

    Counted single() const
    {
        Counted counted;
        WalkProgress progress;
        const std::atomic<bool> abort{false};
        WalkOptions options;
        options.threads = 1;
        const WalkResult result =
            walkTree(*reader, tree.root(), context, counted.stats, progress, abort, options);
        counted.hardLinksSkipped = result.hardLinksSkipped;
        counted.unreadable = result.unreadableDirectories;
        return counted;
    }

    // The parts take the trees from one queue in turn, as the ranks of
    // vorin-report-mpi take them from their coordinator, and give work away
    // at every `every`-th subdirectory they meet.
    Counted shared(int parts, int every) const
    {
        std::deque<std::string> queue{tree.root()};
        int asked = 0;
        std::vector<std::unique_ptr<SharedWalkPart>> walkers;
        for (int i = 0; i < parts; ++i)
            walkers.push_back(std::make_unique<SharedWalkPart>(
                *reader, context, [&] { return ++asked % every == 0; },
                [&](std::string path) { queue.push_back(std::move(path)); }));
        for (std::size_t turn = 0; !queue.empty(); ++turn) {
            const std::string directory = queue.front();
            queue.pop_front();
            walkers[turn % walkers.size()]->walkDirectory(directory);
        }
        Counted counted;
        std::vector<std::string> records;
        for (const auto &walker : walkers) {
            counted.stats.merge(walker->statistics());
            counted.unreadable += walker->unreadableDirectories();
            records.push_back(walker->linkedRecords());
        }
        counted.hardLinksSkipped = settleLinkedFiles(records, context, counted.stats);
        return counted;
    }

    TempTree tree;
    FixedUtcOffset zone{0};
    CrunchContext context;
    // "locked" cannot be opened, as without read permission, even for root.
    std::unique_ptr<DirectoryReader> reader =
        std::make_unique<RefusingDirectoryReader>(makeDirectoryReader(), "locked");
};

TEST_P(SharedWalk, partsAddUpToTheSingleWalk)
{
    const Counted whole = single();
    const Counted parts = shared(std::get<0>(GetParam()), std::get<1>(GetParam()));
    EXPECT_EQ(parts.stats, whole.stats);
    EXPECT_EQ(parts.hardLinksSkipped, whole.hardLinksSkipped);
    EXPECT_EQ(parts.unreadable, whole.unreadable);
    EXPECT_EQ(parts.unreadable, 1);
#ifndef _WIN32
    // Here a dot hides a directory, and every name says which file it is.
    EXPECT_EQ(parts.stats.filesProcessed, 300 + 40 + 1 + 1 + 1);
    EXPECT_EQ(parts.hardLinksSkipped, 3);
#endif
}
INSTANTIATE_TEST_SUITE_P(SharedWalk, SharedWalk,
                         ::testing::Combine(::testing::Values(1, 2, 7),
                                            ::testing::Values(1, 3, 1000)));

TEST(SharedWalkRecords, aRecordCutShortIsAnErrorNotAGuess)
{
    CrunchContext context;
    Statistics stats;
    EXPECT_THROW((void)settleLinkedFiles({std::string(10, '\1')}, context, stats),
                 std::runtime_error);
}

} // namespace
} // namespace vorin
