#include "platform/posix/FreedesktopTrash.h"

#include "PlatformTestSupport.h"
#include "WithoutPrivileges.h"

#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace vorin {
namespace {

namespace fs = std::filesystem;
using test::directoryNames;
using test::readFile;
using test::writeFile;

constexpr std::time_t kWhen = 1000000000; // 2001-09-09 01:46:40 UTC

// The Path= of a description, percent-decoded as the file managers read it.
std::string originalPath(const fs::path &info)
{
    const std::string text = readFile(info);
    const auto from = text.find("\nPath=") + 6;
    const std::string encoded = text.substr(from, text.find('\n', from) - from);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const bool escaped = encoded[i] == '%';
        decoded += escaped ? char(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)) : encoded[i];
        i += escaped ? 2 : 0;
    }
    return decoded;
}

class FreedesktopTrashTest : public ::testing::Test
{
protected:
    test::ScratchDirectory scratch;
    // Real, as the trash resolves the directories on a file's way.
    fs::path root = fs::canonical(scratch.path());
    fs::path homeTrash = root / "data" / "Trash";
    FreedesktopTrash trash{(root / "data").string(), ::geteuid(), [] { return kWhen; }};

    // A file that holds its own relative path.
    fs::path makeFile(const fs::path &relative)
    {
        writeFile(root / relative, relative.string());
        return root / relative;
    }
};

// A table of cases, each named by its label.
template <typename Case>
class FreedesktopTrashTable : public FreedesktopTrashTest,
                              public ::testing::WithParamInterface<Case>
{
};
constexpr auto kLabel = [](const auto &info) { return std::string(info.param.label); };

TEST_F(FreedesktopTrashTest, aFileGoesToTheHomeTrashDescribedByItsEncodedPathAndLocalTime)
{
    test::ZoneOverride zone("<+0530>-5:30");
    // Unreserved marks stay, anything else is encoded byte by byte: reserved
    // marks, a space, %, non-Latin letters, a newline and bytes of no UTF-8.
    const std::string name = "na\xc3\xafve 100%&#?:;=@!~*'()-_\nbreak\xff\xfe.bin";
    const fs::path file = makeFile(fs::path("dir") / name);

    EXPECT_EQ(trash.moveToTrash(file.string()).problem, "");

    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    EXPECT_EQ(readFile(homeTrash / "files" / name), "dir/" + name);
    const fs::path info = homeTrash / "info" / (name + ".trashinfo");
    EXPECT_EQ(readFile(info),
              "[Trash Info]\nPath=" + root.string() +
                  "/dir/na%C3%AFve%20100%25%26%23%3F%3A%3B%3D%40!~*'()-_%0Abreak%FF%FE.bin"
                  "\nDeletionDate=2001-09-09T07:16:40\n");
    EXPECT_EQ(originalPath(info), file.string());
}

// 125 times é, whose two bytes stay together when the name is shortened.
std::string longName()
{
    std::string name;
    for (int i = 0; i < 125; ++i)
        name += "\xc3\xa9";
    return name;
}

struct CollisionCase
{
    const char *label;
    std::string name;
    std::vector<std::string> entries;     // of three files of that name, in the order they went
    std::vector<std::string> strays = {}; // in files/ before, without a description
    friend void PrintTo(const CollisionCase &c, std::ostream *out) { *out << c.label; }
};
using FreedesktopTrashCollisions = FreedesktopTrashTable<CollisionCase>;

TEST_P(FreedesktopTrashCollisions, filesOfOneNameGetEntriesOfTheirOwn)
{
    for (const std::string &stray : GetParam().strays)
        writeFile(homeTrash / "files" / stray, "stray");
    const std::vector<std::string> dirs = {"a", "b", "c"};
    for (const std::string &dir : dirs)
        ASSERT_TRUE(trash.moveToTrash(makeFile(fs::path(dir) / GetParam().name).string()).moved);

    EXPECT_EQ(directoryNames(homeTrash / "info").size(), 3u);
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        const std::string &entry = GetParam().entries[i];
        EXPECT_EQ(readFile(homeTrash / "files" / entry), dirs[i] + "/" + GetParam().name);
        EXPECT_EQ(originalPath(homeTrash / "info" / (entry + ".trashinfo")),
                  (root / dirs[i] / GetParam().name).string());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, FreedesktopTrashCollisions,
    ::testing::Values(
        CollisionCase{"extension", "report.txt", {"report.txt", "report.2.txt", "report.3.txt"}},
        CollisionCase{"twoExtensions", "a.tar.gz", {"a.tar.gz", "a.tar.2.gz", "a.tar.3.gz"}},
        CollisionCase{"noExtension", "Makefile", {"Makefile", "Makefile.2", "Makefile.3"}},
        CollisionCase{"dotFile", ".bashrc", {".bashrc", ".bashrc.2", ".bashrc.3"}},
        CollisionCase{
            "strayEntryIsNeverReplaced", "notes", {"notes.2", "notes.3", "notes.4"}, {"notes"}},
        CollisionCase{"tooLongIsShortenedBeforeItsExtension",
                      longName() + ".txt",
                      {longName().substr(0, 240) + ".txt", longName().substr(0, 238) + ".2.txt",
                       longName().substr(0, 238) + ".3.txt"}}),
    kLabel);

TEST_F(FreedesktopTrashTest, aFileThatIsGoneLeavesNoTrace)
{
    makeFile("file.txt");
    for (const char *gone : {"missing.txt", "nothing/here.txt", "file.txt/inner"})
        EXPECT_EQ(trash.moveToTrash((root / gone).string()).problem, "no longer there") << gone;
    EXPECT_FALSE(fs::exists(homeTrash / "info") && !fs::is_empty(homeTrash / "info"));
}

TEST_F(FreedesktopTrashTest, aFileInADirectoryWithoutWritePermissionStays)
{
    // nobody reaches the scratch directory and makes a trash in a shared
    // directory; only the file's own directory keeps it out.
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    fs::create_directory(root / "shared");
    ASSERT_EQ(::chmod((root / "shared").c_str(), 01777), 0);
    const fs::path file = makeFile("locked/kept.txt");
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(::chmod((root / "locked").c_str(), 0555), 0);

    struct Outcome
    {
        bool moved;
        char problem[64];
    };
    const auto run = test::withoutPrivileges([&] {
        FreedesktopTrash asUser((root / "shared" / "data").string(), ::geteuid());
        const TrashOutcome outcome = asUser.moveToTrash(file.string());
        Outcome result{outcome.moved, {}};
        std::strncpy(result.problem, outcome.problem.c_str(), sizeof result.problem - 1);
        return result;
    });
    ::chmod((root / "locked").c_str(), 0700);
    if (run.unavailable)
        GTEST_SKIP() << run.why;
    ASSERT_TRUE(run.result) << run.why;
    EXPECT_FALSE(run.result->moved);
    EXPECT_STREQ(run.result->problem, "permission denied");
    EXPECT_EQ(readFile(file), "locked/kept.txt");
    EXPECT_EQ(directoryNames(root / "shared" / "data" / "Trash" / "info").size(), 0u);
}

struct TopDirectoryCase
{
    const char *label;
    mode_t mode;        // of the directory .Trash, or of elsewhere when linked to; 0: none
    const char *linked; // .Trash or .Trash-UID, made a link to elsewhere
    const char *trash;  // where the file goes, below the top; empty: nowhere
    friend void PrintTo(const TopDirectoryCase &c, std::ostream *out) { *out << c.label; }
};
using FreedesktopTrashTopDirectory = FreedesktopTrashTable<TopDirectoryCase>;

TEST_P(FreedesktopTrashTopDirectory, aFileOnAnotherDriveGoesToTheTrashAtItsTop)
{
    const fs::path top = root / "drive";
    // "UID" in a name stands for the user's id.
    const auto below = [&top](std::string name) {
        if (const auto at = name.find("UID"); at != std::string::npos)
            name.replace(at, 3, std::to_string(::geteuid()));
        return top / name;
    };
    const fs::path file = makeFile("drive/sub/deeper/file.txt");
    const TopDirectoryCase &c = GetParam();
    const fs::path directory = below(c.linked != nullptr ? "elsewhere" : ".Trash");
    if (c.mode != 0) {
        fs::create_directory(directory);
        ASSERT_EQ(::chmod(directory.c_str(), c.mode), 0);
    }
    if (c.linked != nullptr)
        fs::create_directory_symlink("elsewhere", below(c.linked));
    // Everything under top answers another device than the rest of the
    // scratch directory: a drive of its own, as far as the trash can tell.
    const auto otherDriveAtTop = [drive = top.string()](const std::string &path) {
        auto id = FreedesktopTrash::fileSystemOfPath(path);
        if (id && (path == drive || path.starts_with(drive + "/")))
            id->device = ~id->device;
        return id;
    };
    FreedesktopTrash twoDrives((root / "data").string(), ::geteuid(), {}, otherDriveAtTop);

    const TrashOutcome outcome = twoDrives.moveToTrash(file.string());

    EXPECT_FALSE(fs::exists(homeTrash));
    if (*c.trash == '\0') {
        EXPECT_EQ(outcome.problem, "no trash on its drive");
        EXPECT_EQ(readFile(file), "drive/sub/deeper/file.txt");
        return;
    }
    const fs::path trashDirectory = below(c.trash);
    EXPECT_EQ(outcome.problem, "");
    EXPECT_EQ(readFile(trashDirectory / "files" / "file.txt"), "drive/sub/deeper/file.txt");
    EXPECT_EQ(originalPath(trashDirectory / "info" / "file.txt.trashinfo"), "sub/deeper/file.txt");
    EXPECT_EQ(fs::status(trashDirectory).permissions(), fs::perms::owner_all);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, FreedesktopTrashTopDirectory,
    ::testing::Values(TopDirectoryCase{"noSharedTrash", 0, nullptr, ".Trash-UID"},
                      TopDirectoryCase{"stickySharedTrash", 01777, nullptr, ".Trash/UID"},
                      TopDirectoryCase{"sharedTrashNotSticky", 0777, nullptr, ".Trash-UID"},
                      TopDirectoryCase{"sharedTrashIsALink", 01777, ".Trash", ".Trash-UID"},
                      TopDirectoryCase{"ownTrashIsALink", 0700, ".Trash-UID", ""}),
    kLabel);

TEST(FreedesktopTrashDataHome, isTheXdgDirectoryWhenAbsolute)
{
    test::EnvironmentOverride home("HOME", "/home/ann");
    const std::pair<std::optional<std::string>, const char *> rows[] = {
        {"/data/ann", "/data/ann"},
        {std::nullopt, "/home/ann/.local/share"},
        {"data", "/home/ann/.local/share"}, // relative: not to be used
    };
    for (const auto &[xdgDataHome, expected] : rows) {
        test::EnvironmentOverride data("XDG_DATA_HOME", xdgDataHome);
        EXPECT_EQ(FreedesktopTrash::userDataHome(), expected) << xdgDataHome.value_or("unset");
    }
}

} // namespace
} // namespace vorin
