#include "platform/Volumes.h"

#include "platform/fake/FakeVolumes.h"

#include <gtest/gtest.h>
#include <ostream>
#include <thread>

using namespace vorin;

namespace {

struct ThreadsCase
{
    StorageKind kind;
    unsigned cores;
    int threads;
};

std::ostream &operator<<(std::ostream &out, const ThreadsCase &c)
{
    return out << "kind " << static_cast<int>(c.kind) << ", " << c.cores << " cores";
}

class WalkThreadsFor : public testing::TestWithParam<ThreadsCase>
{
};

TEST_P(WalkThreadsFor, severalPerCoreWhereReadsWaitFewOnASpinningDisk)
{
    EXPECT_EQ(walkThreadsFor(GetParam().kind, GetParam().cores), GetParam().threads);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, WalkThreadsFor,
    testing::Values(
        // A spinning disk: two, whatever the cores.
        ThreadsCase{StorageKind::Rotational, 1, 2}, ThreadsCase{StorageKind::Rotational, 2, 2},
        ThreadsCase{StorageKind::Rotational, 64, 2},
        // Solid-state and virtual disks: four per core, from 8 to 32.
        ThreadsCase{StorageKind::SolidState, 0, 8}, ThreadsCase{StorageKind::SolidState, 1, 8},
        ThreadsCase{StorageKind::SolidState, 2, 8}, ThreadsCase{StorageKind::SolidState, 3, 12},
        ThreadsCase{StorageKind::SolidState, 8, 32}, ThreadsCase{StorageKind::SolidState, 9, 32},
        ThreadsCase{StorageKind::Virtual, 2, 8}, ThreadsCase{StorageKind::Virtual, 5, 20},
        // Network drives: eight per core, from 16 to 32.
        ThreadsCase{StorageKind::Network, 1, 16}, ThreadsCase{StorageKind::Network, 2, 16},
        ThreadsCase{StorageKind::Network, 3, 24}, ThreadsCase{StorageKind::Network, 4, 32},
        ThreadsCase{StorageKind::Network, 100, 32},
        // Nothing to wait for, or nothing known: one per core, at most eight.
        ThreadsCase{StorageKind::Memory, 0, 1}, ThreadsCase{StorageKind::Memory, 4, 4},
        ThreadsCase{StorageKind::Unknown, 0, 1}, ThreadsCase{StorageKind::Unknown, 1, 1},
        ThreadsCase{StorageKind::Unknown, 2, 2}, ThreadsCase{StorageKind::Unknown, 8, 8},
        ThreadsCase{StorageKind::Unknown, 12, 8}));

// A drive table that says nothing of its storage, as one written before the
// question was asked.
class SilentVolumes final : public Volumes
{
public:
    [[nodiscard]] std::vector<Volume> list() const override { return {}; }
    [[nodiscard]] std::optional<Volume> find(char) const override { return std::nullopt; }
    [[nodiscard]] bool ready(char) const override { return false; }
    [[nodiscard]] DiskSpace space(char) const override { return {}; }
    [[nodiscard]] std::int64_t allocationUnit(char) const override { return 0; }
    [[nodiscard]] char currentDriveLetter() const override { return 0; }
};

TEST(Volumes, aDriveTableThatKnowsNoStorageWalksWithOneThreadPerCoreAtMostEight)
{
    EXPECT_EQ(SilentVolumes().walkThreads('c'),
              walkThreadsFor(StorageKind::Unknown, std::thread::hardware_concurrency()));
}

TEST(Volumes, fakeDrivesAnswerForTheStorageAndCoresTheTestChose)
{
    FakeVolumes volumes;
    for (const char letter : {'c', 'd', 'e', 'f'}) {
        Volume volume;
        volume.letter = letter;
        volume.root = "/";
        volumes.add(volume);
    }
    volumes.setStorage('c', StorageKind::Rotational);
    volumes.setStorage('d', StorageKind::SolidState);
    volumes.setStorage('e', StorageKind::Network);
    volumes.setCores(2);

    EXPECT_EQ(volumes.walkThreads('c'), 2);
    EXPECT_EQ(volumes.walkThreads('d'), 8);
    EXPECT_EQ(volumes.walkThreads('e'), 16);
    EXPECT_EQ(volumes.walkThreads('f'), 2) << "unknown storage: one per core";
    EXPECT_EQ(volumes.walkThreads('q'), 2) << "no such drive: nothing known";
}

} // namespace
