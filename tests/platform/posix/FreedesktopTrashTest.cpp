#include "platform/posix/FreedesktopTrash.h"

#include "PlatformTestSupport.h"
#include "WithoutPrivileges.h"

#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace vorin {
namespace {

namespace fs = std::filesystem;
using test::directoryNames;
using test::readFile;
using test::writeFile;
using ::testing::IsEmpty;

constexpr std::time_t kWhen = 1000000000; // 2001-09-09 01:46:40 UTC

// The original path of a description, percent-decoded; nothing when the
// text is not of the shape the file managers read.
std::optional<std::string> originalPath(const fs::path &info)
{
    static const std::regex shape("\\[Trash Info\\]\nPath=([A-Za-z0-9%/._~!*'()-]*)\n"
                                  "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    const std::string text = readFile(info);
    std::smatch match;
    if (!std::regex_match(text, match, shape))
        return std::nullopt;
    const std::string encoded = match[1];
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%') {
            decoded += char(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += encoded[i];
        }
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

struct NameCase
{
    const char *label;
    std::string name;
    std::string encoded;
};
void PrintTo(const NameCase &c, std::ostream *out)
{
    *out << c.label;
}

class FreedesktopTrashNames : public FreedesktopTrashTest,
                              public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(FreedesktopTrashNames, aFileGoesToTheHomeTrashWithItsPathEncoded)
{
    const std::string &name = GetParam().name;
    const fs::path file = makeFile(fs::path("dir") / name);

    EXPECT_EQ(trash.moveToTrash(file.string()).problem, "");

    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
    EXPECT_EQ(readFile(homeTrash / "files" / name), "dir/" + name);
    const fs::path info = homeTrash / "info" / (name + ".trashinfo");
    EXPECT_NE(readFile(info).find("/dir/" + GetParam().encoded + "\n"), std::string::npos);
    EXPECT_EQ(originalPath(info), file.string());
}

INSTANTIATE_TEST_SUITE_P(
    Names, FreedesktopTrashNames,
    ::testing::Values(
        NameCase{"plain", "report.txt", "report.txt"},
        NameCase{"unreservedMarks", "a-_.!~*'()", "a-_.!~*'()"},
        NameCase{"reserved", "a b&c#d?e:f;g=h@i", "a%20b%26c%23d%3Fe%3Af%3Bg%3Dh%40i"},
        NameCase{"percent", "100%.txt", "100%25.txt"},
        NameCase{"nonLatin", "na\xc3\xafve \xe6\x97\xa5", "na%C3%AFve%20%E6%97%A5"},
        NameCase{"newlineAndInvalidUtf8", "line\nbreak\xff\xfe.bin", "line%0Abreak%FF%FE.bin"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

struct ZoneCase
{
    const char *label;
    const char *tz;
    const char *date;
};

class FreedesktopTrashDates : public FreedesktopTrashTest,
                              public ::testing::WithParamInterface<ZoneCase>
{
};

TEST_P(FreedesktopTrashDates, theDescriptionGivesTheLocalTime)
{
    test::ZoneOverride zone(GetParam().tz);
    EXPECT_TRUE(trash.moveToTrash(makeFile("notes").string()).moved);
    EXPECT_EQ(readFile(homeTrash / "info" / "notes.trashinfo"),
              "[Trash Info]\nPath=" + root.string() + "/notes\nDeletionDate=" + GetParam().date +
                  "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Zones, FreedesktopTrashDates,
    ::testing::Values(ZoneCase{"utc", "UTC0", "2001-09-09T01:46:40"},
                      ZoneCase{"newYorkSummer", "EST5EDT,M3.2.0,M11.1.0", "2001-09-08T21:46:40"},
                      ZoneCase{"halfHourZone", "<+0530>-5:30", "2001-09-09T07:16:40"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

struct CollisionCase
{
    const char *label;
    std::string name;
    std::vector<std::string> entries; // of three files of that name, in the order they went
};
void PrintTo(const CollisionCase &c, std::ostream *out)
{
    *out << c.label;
}

class FreedesktopTrashCollisions : public FreedesktopTrashTest,
                                   public ::testing::WithParamInterface<CollisionCase>
{
};

TEST_P(FreedesktopTrashCollisions, filesOfOneNameGetEntriesOfTheirOwn)
{
    const std::vector<std::string> dirs = {"a", "b", "c"};
    for (const std::string &dir : dirs)
        ASSERT_TRUE(trash.moveToTrash(makeFile(fs::path(dir) / GetParam().name).string()).moved);

    EXPECT_EQ(directoryNames(homeTrash / "files").size(), 3u);
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
        CollisionCase{"dotFile", ".bashrc", {".bashrc", ".bashrc.2", ".bashrc.3"}}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST_F(FreedesktopTrashTest, anEntryThatLostItsDescriptionIsNeverReplaced)
{
    writeFile(homeTrash / "files" / "report.txt", "orphan");

    EXPECT_TRUE(trash.moveToTrash(makeFile("report.txt").string()).moved);

    EXPECT_EQ(readFile(homeTrash / "files" / "report.txt"), "orphan");
    EXPECT_EQ(readFile(homeTrash / "files" / "report.2.txt"), "report.txt");
    EXPECT_EQ(directoryNames(homeTrash / "info"),
              std::vector<std::string>{"report.2.txt.trashinfo"});
}

TEST_F(FreedesktopTrashTest, aNameTooLongForItsDescriptionIsShortenedBeforeItsExtension)
{
    std::string name;
    for (int i = 0; i < 125; ++i)
        name += "\xc3\xa9"; // é, whose two bytes stay together
    name += ".txt";
    for (const char *dir : {"a", "b"})
        EXPECT_TRUE(trash.moveToTrash(makeFile(fs::path(dir) / name).string()).moved);

    const std::vector<std::string> entries = {name.substr(0, 238) + ".2.txt",
                                              name.substr(0, 240) + ".txt"};
    EXPECT_EQ(directoryNames(homeTrash / "files"), entries);
    EXPECT_EQ(originalPath(homeTrash / "info" / (entries[1] + ".trashinfo")),
              (root / "a" / name).string());
}

TEST_F(FreedesktopTrashTest, directoriesAndLinksGoAsTheyAre)
{
    makeFile("photos/inner.jpg");
    fs::create_symlink("photos/inner.jpg", root / "link");

    EXPECT_TRUE(trash.moveToTrash((root / "photos").string() + "/").moved);
    EXPECT_TRUE(trash.moveToTrash((root / "link").string()).moved);

    EXPECT_EQ(readFile(homeTrash / "files" / "photos" / "inner.jpg"), "photos/inner.jpg");
    EXPECT_EQ(fs::read_symlink(homeTrash / "files" / "link"), "photos/inner.jpg");
}

TEST_F(FreedesktopTrashTest, aFileThatIsGoneLeavesNoTrace)
{
    makeFile("file.txt");
    for (const char *gone : {"missing.txt", "nothing/here.txt", "file.txt/inner"})
        EXPECT_EQ(trash.moveToTrash((root / gone).string()).problem, "no longer there") << gone;
    EXPECT_FALSE(fs::exists(homeTrash / "info") && !fs::is_empty(homeTrash / "info"));
}

TEST_F(FreedesktopTrashTest, aFileWhoseHomeTrashCannotBeMadeStays)
{
    const fs::path file = makeFile("file.txt");
    FreedesktopTrash blocked((file / "data").string(), ::geteuid());

    EXPECT_EQ(blocked.moveToTrash(file.string()).problem, "no trash on its drive");
    EXPECT_EQ(readFile(file), "file.txt");
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
    EXPECT_THAT(directoryNames(root / "shared" / "data" / "Trash" / "info"), IsEmpty());
}

// What a test puts at the top directory of a drive before a file of it goes;
// "UID" in a name stands for the user's id.
struct Made
{
    const char *name;
    mode_t mode;                  // of a directory; 0: an empty file
    const char *linkTo = nullptr; // a symbolic link instead
};

struct TopDirectoryCase
{
    const char *label;
    std::vector<Made> made;
    const char *trash; // where the file goes, below the top; empty: nowhere
};
void PrintTo(const TopDirectoryCase &c, std::ostream *out)
{
    *out << c.label;
}

class FreedesktopTrashTopDirectory : public FreedesktopTrashTest,
                                     public ::testing::WithParamInterface<TopDirectoryCase>
{
protected:
    const std::string uid = std::to_string(::geteuid());
    const fs::path top = root / "drive";

    fs::path below(std::string name) const
    {
        if (const auto at = name.find("UID"); at != std::string::npos)
            name.replace(at, 3, uid);
        return top / name;
    }
    // Everything under top answers another device than the rest of the
    // scratch directory: a drive of its own, as far as the trash can tell.
    FreedesktopTrash::FileSystemOf otherDriveAtTop() const
    {
        return [drive = top.string()](const std::string &path) {
            auto id = FreedesktopTrash::fileSystemOfPath(path);
            if (id && (path == drive || path.starts_with(drive + "/")))
                id->device = ~id->device;
            return id;
        };
    }
};

TEST_P(FreedesktopTrashTopDirectory, aFileOnAnotherDriveGoesToTheTrashAtItsTop)
{
    const fs::path file = makeFile("drive/sub/deeper/file.txt");
    for (const Made &made : GetParam().made) {
        if (made.linkTo != nullptr) {
            fs::create_directory_symlink(made.linkTo, below(made.name));
        } else if (made.mode == 0) {
            writeFile(below(made.name), "");
        } else {
            fs::create_directory(below(made.name));
            ASSERT_EQ(::chmod(below(made.name).c_str(), made.mode), 0);
        }
    }
    FreedesktopTrash twoDrives((root / "data").string(), ::geteuid(), {}, otherDriveAtTop());

    const TrashOutcome outcome = twoDrives.moveToTrash(file.string());

    EXPECT_FALSE(fs::exists(homeTrash));
    if (*GetParam().trash == '\0') {
        EXPECT_EQ(outcome.problem, "no trash on its drive");
        EXPECT_EQ(readFile(file), "drive/sub/deeper/file.txt");
        return;
    }
    const fs::path trashDirectory = below(GetParam().trash);
    EXPECT_EQ(outcome.problem, "");
    EXPECT_EQ(readFile(trashDirectory / "files" / "file.txt"), "drive/sub/deeper/file.txt");
    EXPECT_EQ(originalPath(trashDirectory / "info" / "file.txt.trashinfo"), "sub/deeper/file.txt");
    EXPECT_EQ(fs::status(trashDirectory).permissions(), fs::perms::owner_all);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, FreedesktopTrashTopDirectory,
    ::testing::Values(
        TopDirectoryCase{"noSharedTrash", {}, ".Trash-UID"},
        TopDirectoryCase{"stickySharedTrash", {{".Trash", 01777}}, ".Trash/UID"},
        TopDirectoryCase{"sharedTrashNotSticky", {{".Trash", 0777}}, ".Trash-UID"},
        TopDirectoryCase{
            "sharedTrashIsALink", {{"elsewhere", 01777}, {".Trash", 0, "elsewhere"}}, ".Trash-UID"},
        TopDirectoryCase{
            "ownPartOfTheSharedTrashIsALink",
            {{".Trash", 01777}, {"elsewhere", 0700}, {".Trash/UID", 0, "../elsewhere"}},
            ".Trash-UID"},
        TopDirectoryCase{
            "ownTrashIsALink", {{"elsewhere", 0700}, {".Trash-UID", 0, "elsewhere"}}, ""},
        TopDirectoryCase{"ownTrashIsAFile", {{".Trash-UID", 0}}, ""}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST(FreedesktopTrashFileSystems, aMountedFileSystemIsAnotherOne)
{
    EXPECT_EQ(FreedesktopTrash::fileSystemOfPath("/no/such/path"), std::nullopt);
    EXPECT_NE(FreedesktopTrash::fileSystemOfPath("/proc/self"),
              FreedesktopTrash::fileSystemOfPath("/"));
}

struct DataHomeCase
{
    const char *label;
    std::optional<std::string> xdgDataHome;
    const char *expected;
};

class FreedesktopTrashDataHome : public ::testing::TestWithParam<DataHomeCase>
{
};

TEST_P(FreedesktopTrashDataHome, isTheXdgDirectoryWhenAbsolute)
{
    test::EnvironmentOverride home("HOME", "/home/ann");
    test::EnvironmentOverride data("XDG_DATA_HOME", GetParam().xdgDataHome);
    EXPECT_EQ(FreedesktopTrash::userDataHome(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, FreedesktopTrashDataHome,
    ::testing::Values(DataHomeCase{"set", "/data/ann", "/data/ann"},
                      DataHomeCase{"unset", std::nullopt, "/home/ann/.local/share"},
                      DataHomeCase{"relative", "data", "/home/ann/.local/share"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

} // namespace
} // namespace vorin
