#include "platform/TimeLimitedVolumes.h"

#include "platform/fake/FakeVolumes.h"
#include "platform/fake/LatchedVolumes.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace vorin;
using namespace std::chrono_literals;

namespace {

constexpr double kGiB = 1024.0 * 1024 * 1024;

// Long enough for a thread to start on a loaded machine; a query that answers
// returns as soon as it has, so the test never sits out this wait.
constexpr auto kGenerousWait = std::chrono::milliseconds(30000);
// What a hung drive costs the caller in these tests. A drive that answers
// must answer within it even on a loaded machine (or under Wine, whose
// server may be starting), so it is not much shorter than the program's own.
constexpr auto kShortWait = std::chrono::milliseconds(2000);

Volume volume(char letter, const char *root)
{
    Volume v;
    v.letter = letter;
    v.type = 3;
    v.root = root;
    v.label = "label";
    return v;
}

std::shared_ptr<FakeVolumes> twoDrives()
{
    auto drives = std::make_shared<FakeVolumes>();
    drives->add(volume('c', "/"), {5 * kGiB, 20 * kGiB}, 4096);
    drives->add(volume('f', "/mnt/share"), {1 * kGiB, 8 * kGiB}, 16384);
    drives->setCurrentDrive('c');
    return drives;
}

// Waits until the late queries have come back; bounded so that a fault fails
// the test instead of hanging it.
bool settles(const TimeLimitedVolumes &volumes)
{
    for (int i = 0; i < 3000 && volumes.queriesRunning() > 0; ++i)
        std::this_thread::sleep_for(10ms);
    return volumes.queriesRunning() == 0;
}

// Every held drive is let go on every way out of a test, so no helper thread
// is left waiting behind it.
struct ReleaseOnExit
{
    LatchedVolumes &drives;
    const TimeLimitedVolumes &limited;
    ~ReleaseOnExit()
    {
        drives.releaseAll();
        EXPECT_TRUE(settles(limited));
    }
};

} // namespace

TEST(TimeLimitedVolumes, answersOfDrivesThatReplyPassThrough)
{
    const TimeLimitedVolumes volumes(twoDrives(), kGenerousWait);

    ASSERT_EQ(volumes.list().size(), 2u);
    EXPECT_EQ(volumes.list()[1].root, "/mnt/share");
    ASSERT_TRUE(volumes.find('f').has_value());
    EXPECT_EQ(volumes.find('f')->label, "label");
    EXPECT_FALSE(volumes.find('d').has_value());
    EXPECT_EQ(volumes.currentDriveLetter(), 'c');
    EXPECT_TRUE(volumes.ready('c'));
    EXPECT_FALSE(volumes.ready('d'));
    EXPECT_EQ(volumes.space('c').freeBytes, 5 * kGiB);
    EXPECT_EQ(volumes.space('c').totalBytes, 20 * kGiB);
    EXPECT_EQ(volumes.space('f').totalBytes, 8 * kGiB);
    EXPECT_EQ(volumes.allocationUnit('f'), 16384);
    EXPECT_EQ(volumes.allocationUnit('d'), 0);
    EXPECT_TRUE(settles(volumes));
}

// The walking threads of a drive ask no file system: a hung drive answers
// for its storage at once, like the drive list.
TEST(TimeLimitedVolumes, walkThreadsPassStraightThroughEvenForAHungDrive)
{
    auto drives = twoDrives();
    drives->setStorage('c', StorageKind::SolidState);
    drives->setStorage('f', StorageKind::Network);
    drives->setCores(2);
    auto latched = std::make_shared<LatchedVolumes>(drives);
    TimeLimitedVolumes volumes(latched, kShortWait);
    const ReleaseOnExit release{*latched, volumes};
    latched->hold('f');

    EXPECT_EQ(volumes.walkThreads('c'), 8);
    EXPECT_EQ(volumes.walkThreads('f'), 16);
    EXPECT_EQ(volumes.queriesRunning(), 0);
    EXPECT_EQ(latched->questions('f'), 0);
}

TEST(TimeLimitedVolumes, characterThatNamesNoDriveIsAnsweredWithoutAThread)
{
    const TimeLimitedVolumes volumes(twoDrives(), kGenerousWait);
    EXPECT_FALSE(volumes.ready('1'));
    EXPECT_EQ(volumes.space('C').totalBytes, 0.0);
    EXPECT_EQ(volumes.queriesRunning(), 0);
}

TEST(TimeLimitedVolumes, driveThatDoesNotAnswerCountsAsNotReadyAfterTheWait)
{
    auto latched = std::make_shared<LatchedVolumes>(twoDrives());
    const TimeLimitedVolumes volumes(latched, kShortWait);
    const ReleaseOnExit release{*latched, volumes};
    latched->hold('f');

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(volumes.ready('f'));
    EXPECT_GE(std::chrono::steady_clock::now() - start, kShortWait);
    EXPECT_TRUE(volumes.hung('f'));
    EXPECT_FALSE(volumes.hung('c'));
    EXPECT_EQ(volumes.queriesRunning(), 1);

    // The other drive answers as before.
    EXPECT_TRUE(volumes.ready('c'));
    EXPECT_EQ(volumes.space('c').totalBytes, 20 * kGiB);
}

TEST(TimeLimitedVolumes, hungDriveGetsNoNewThreadUntilItsQueryReturns)
{
    auto latched = std::make_shared<LatchedVolumes>(twoDrives());
    const TimeLimitedVolumes volumes(latched, kShortWait);
    const ReleaseOnExit release{*latched, volumes};
    latched->hold('f');

    EXPECT_FALSE(volumes.ready('f'));
    ASSERT_EQ(latched->questions('f'), 1);

    // Asked again and again while the first query hangs: answered at once,
    // and nothing more reaches the drive.
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(volumes.ready('f'));
        const DiskSpace space = volumes.space('f');
        EXPECT_EQ(space.freeBytes, 0.0);
        EXPECT_EQ(space.totalBytes, 0.0);
        EXPECT_EQ(volumes.allocationUnit('f'), 0);
    }
    EXPECT_EQ(latched->questions('f'), 1);
    EXPECT_EQ(latched->waiting(), 1);
    EXPECT_EQ(volumes.queriesRunning(), 1);
}

TEST(TimeLimitedVolumes, driveIsReadyAgainOnceItsLateQueryHasReturned)
{
    auto latched = std::make_shared<LatchedVolumes>(twoDrives());
    const TimeLimitedVolumes volumes(latched, kShortWait);
    const ReleaseOnExit release{*latched, volumes};
    latched->hold('f');
    EXPECT_FALSE(volumes.ready('f'));

    latched->release('f');
    ASSERT_TRUE(settles(volumes));
    EXPECT_FALSE(volumes.hung('f'));

    EXPECT_TRUE(volumes.ready('f'));
    EXPECT_EQ(volumes.space('f').freeBytes, 1 * kGiB);
    EXPECT_EQ(volumes.allocationUnit('f'), 16384);
    EXPECT_EQ(latched->questions('f'), 4);
}

TEST(TimeLimitedVolumes, innerDrivesOutliveTheDecoratorForALateQuery)
{
    auto latched = std::make_shared<LatchedVolumes>(twoDrives());
    std::weak_ptr<LatchedVolumes> watch = latched;
    {
        TimeLimitedVolumes volumes(latched, kShortWait);
        latched->hold('f');
        EXPECT_FALSE(volumes.ready('f'));
    }
    // The decorator is gone, the helper thread still waits inside the drives.
    ASSERT_FALSE(watch.expired());
    LatchedVolumes &drives = *latched;
    latched.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(drives.waiting(), 1);

    drives.release('f');
    for (int i = 0; i < 3000 && !watch.expired(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(watch.expired());
}

TEST(TimeLimitedVolumes, errorOfADriveThatAnswersInTimeReachesTheCaller)
{
    class Throwing final : public Volumes
    {
    public:
        [[nodiscard]] std::vector<Volume> list() const override { return {}; }
        [[nodiscard]] std::optional<Volume> find(char) const override { return {}; }
        [[nodiscard]] bool ready(char) const override { throw InvalidDriveError(); }
        [[nodiscard]] DiskSpace space(char) const override { return {}; }
        [[nodiscard]] std::int64_t allocationUnit(char) const override { return 0; }
        [[nodiscard]] char currentDriveLetter() const override { return 0; }
    };
    const TimeLimitedVolumes volumes(std::make_shared<Throwing>(), kGenerousWait);
    EXPECT_THROW((void)volumes.ready('c'), InvalidDriveError);
    EXPECT_TRUE(settles(volumes));
    EXPECT_FALSE(volumes.hung('c'));
}

// Drives that answer at once, asked in quick succession as the windows do
// when they fill the drive table: every answer comes back, none is late.
TEST(TimeLimitedVolumes, questionsInQuickSuccessionAreAllAnswered)
{
    const TimeLimitedVolumes volumes(twoDrives(), kGenerousWait);
    int answered = 0;
    for (int i = 0; i < 400; ++i)
        answered += volumes.ready('c') && volumes.allocationUnit('f') == 16384 &&
                    volumes.space('c').totalBytes == 20 * kGiB;
    EXPECT_EQ(answered, 400);
    EXPECT_TRUE(settles(volumes));
}
