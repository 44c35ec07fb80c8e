#include "platform/fake/RecordingTrash.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorin {
namespace {

namespace fs = std::filesystem;

// A name in the temporary directory that no other run uses at the moment.
fs::path scratchPath(const std::string &label)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return fs::temp_directory_path() /
           ("vorin-recording-trash-" + label + "-" + std::to_string(now));
}

TEST(RecordingTrashTest, answersEveryPathAsAskedAndTouchesNothing)
{
    const fs::path file = scratchPath("untouched");
    std::ofstream(file) << "kept";
    RecordingTrash trash;
    trash.failFor("/home/ann/locked.txt", "permission denied");

    const TrashOutcome moved = trash.moveToTrash(file.string());
    const TrashOutcome refused = trash.moveToTrash("/home/ann/locked.txt");

    EXPECT_TRUE(moved.moved);
    EXPECT_EQ(moved.problem, "");
    EXPECT_FALSE(refused.moved);
    EXPECT_EQ(refused.problem, "permission denied");
    EXPECT_EQ(trash.asked(), (std::vector<std::string>{file.string(), "/home/ann/locked.txt"}));
    EXPECT_TRUE(fs::exists(file));
    fs::remove(file);
}

// With a holding directory, a window test sees the files leave its tree.
TEST(RecordingTrashTest, movesFilesOfOneNameIntoTheHoldingDirectoryApart)
{
    const fs::path scratch = scratchPath("holding");
    fs::create_directories(scratch / "held");
    for (const char *dir : {"a", "b"}) {
        fs::create_directory(scratch / dir);
        std::ofstream(scratch / dir / "same.txt") << dir;
    }
    RecordingTrash trash(scratch / "held");

    EXPECT_TRUE(trash.moveToTrash((scratch / "a" / "same.txt").string()).moved);
    trash.clear();
    EXPECT_TRUE(trash.moveToTrash((scratch / "b" / "same.txt").string()).moved);
    EXPECT_FALSE(trash.moveToTrash((scratch / "a" / "same.txt").string()).moved);

    EXPECT_TRUE(fs::exists(scratch / "held" / "1-same.txt"));
    EXPECT_TRUE(fs::exists(scratch / "held" / "2-same.txt"));
    EXPECT_FALSE(fs::exists(scratch / "b" / "same.txt"));
    fs::remove_all(scratch);
}

} // namespace
} // namespace vorin
