#include "platform/posix/PosixSettingsFile.h"

#include "PlatformTestSupport.h"
#include "WithoutPrivileges.h"

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vorin {
namespace {

namespace fs = std::filesystem;
using test::directoryNames;
using test::EnvironmentOverride;
using test::readFile;
using test::ScratchDirectory;
using test::writeFile;
using ::testing::ElementsAre;

constexpr const char *kIni = "[Include]\nNumber=3\nFile1=*.doc\nFile2=*.dll\nFile3=*.exe\n";

mode_t modeOf(const fs::path &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// Root writes into a directory whatever its mode says; the cases that take
// write permission away need to know whether that stops us.
bool permissionsStopWrites(const fs::path &directory)
{
    const fs::path probe = directory / "probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return true;
    ::close(fd);
    ::unlink(probe.c_str());
    return false;
}

class UmaskOverride
{
public:
    explicit UmaskOverride(mode_t mask) : m_old(::umask(mask)) {}
    ~UmaskOverride() { ::umask(m_old); }
    UmaskOverride(const UmaskOverride &) = delete;
    UmaskOverride &operator=(const UmaskOverride &) = delete;

private:
    mode_t m_old;
};

class PosixSettingsFileTest : public ::testing::Test
{
protected:
    ScratchDirectory scratch;
    PosixSettingsFile file{scratch.path()};
};

struct RoundTripCase
{
    const char *label;
    std::string contents;
};

class PosixSettingsFileRoundTrip : public PosixSettingsFileTest,
                                   public ::testing::WithParamInterface<RoundTripCase>
{
};

TEST_P(PosixSettingsFileRoundTrip, readsBackExactlyWhatWasWritten)
{
    file.replace(GetParam().contents);
    EXPECT_EQ(file.read(), GetParam().contents);
    EXPECT_EQ(readFile(scratch / "vorin98.ini"), GetParam().contents);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, PosixSettingsFileRoundTrip,
    ::testing::Values(RoundTripCase{"empty", ""},
                      RoundTripCase{"twoSections", std::string(kIni) + "[Exclude]\nNumber=0\n"},
                      RoundTripCase{"noFinalNewlineCrLf", "[Include]\r\nNumber=1\r\nFile1=*.txt"},
                      RoundTripCase{"nulAndInvalidUtf8", std::string("a\0b\xff\xfe\n", 6)},
                      RoundTripCase{"largerThanOneBuffer", std::string(200000, 'x') + "end"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST_F(PosixSettingsFileTest, nameIsTheBareFileName)
{
    EXPECT_EQ(file.name(), "vorin98.ini");
}

TEST_F(PosixSettingsFileTest, missingFileReadsAsNothing)
{
    EXPECT_EQ(file.read(), std::nullopt);
}

TEST_F(PosixSettingsFileTest, configDirectoryBehindARegularFileReadsAsNothing)
{
    writeFile(scratch / "not-a-directory", "keep");
    const PosixSettingsFile blocked(scratch / "not-a-directory" / "config");
    EXPECT_EQ(blocked.read(), std::nullopt);
}

// A socket refuses to be opened, for root as well: the stand-in for a file
// that is there but cannot be read.
void makeSocket(const fs::path &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof address.sun_path);
    std::copy(path.native().begin(), path.native().end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
}

struct UnreadableCase
{
    const char *label;
    std::function<void(const fs::path &)> make; // makes vorin98.ini in the directory
};
void PrintTo(const UnreadableCase &c, std::ostream *out)
{
    *out << c.label;
}

class PosixSettingsFileUnreadable : public PosixSettingsFileTest,
                                    public ::testing::WithParamInterface<UnreadableCase>
{
};

// Something by the settings file's name that cannot be read is no missing
// file: a save must not take it for one and write over it.
TEST_P(PosixSettingsFileUnreadable, aNameThatIsThereButGivesNoContentsIsAReadError)
{
    GetParam().make(scratch.path());
    try {
        (void)file.read();
        ADD_FAILURE() << "read did not fail";
    } catch (const SettingsReadError &error) {
        EXPECT_STREQ(error.what(), "Unable to read vorin98.ini");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, PosixSettingsFileUnreadable,
    ::testing::Values(
        UnreadableCase{"directory",
                       [](const fs::path &dir) { fs::create_directory(dir / "vorin98.ini"); }},
        UnreadableCase{"symlinkToADirectory",
                       [](const fs::path &dir) {
                           fs::create_directory(dir / "elsewhere");
                           fs::create_directory_symlink("elsewhere", dir / "vorin98.ini");
                       }},
        UnreadableCase{"symlinkLoop",
                       [](const fs::path &dir) {
                           fs::create_symlink("other", dir / "vorin98.ini");
                           fs::create_symlink("vorin98.ini", dir / "other");
                       }},
        // Opened without waiting for a writer that never comes.
        UnreadableCase{"fifo",
                       [](const fs::path &dir) {
                           ASSERT_EQ(::mkfifo((dir / "vorin98.ini").c_str(), 0644), 0);
                       }},
        UnreadableCase{"socket", [](const fs::path &dir) { makeSocket(dir / "vorin98.ini"); }}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST_F(PosixSettingsFileTest, secondReplaceOverwritesAShorterText)
{
    file.replace(kIni);
    file.replace("[Include]\nNumber=0\n");
    EXPECT_EQ(file.read(), "[Include]\nNumber=0\n");
}

TEST_F(PosixSettingsFileTest, replaceCreatesMissingPrivateDirectories)
{
    PosixSettingsFile nested(scratch / "a b" / "config dir");
    nested.replace(kIni);
    EXPECT_EQ(readFile(scratch / "a b" / "config dir" / "vorin98.ini"), kIni);
    EXPECT_EQ(modeOf(scratch / "a b"), 0700u);
    EXPECT_EQ(modeOf(scratch / "a b" / "config dir"), 0700u);
}

TEST_F(PosixSettingsFileTest, noTemporaryFileIsLeftAfterASave)
{
    file.replace(kIni);
    file.replace("again");
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("vorin98.ini"));
}

TEST_F(PosixSettingsFileTest, replaceKeepsThePermissionsOfTheOldFile)
{
    for (mode_t mode : {0600u, 0640u, 0664u}) {
        writeFile(scratch / "vorin98.ini", "old");
        ASSERT_EQ(::chmod((scratch / "vorin98.ini").c_str(), mode), 0);
        file.replace(kIni);
        EXPECT_EQ(modeOf(scratch / "vorin98.ini"), mode) << std::oct << mode;
    }
}

TEST_F(PosixSettingsFileTest, newFileIsReadableByOthersUnlessTheUmaskSaysOtherwise)
{
    {
        UmaskOverride mask(022);
        file.replace(kIni);
    }
    EXPECT_EQ(modeOf(scratch / "vorin98.ini"), 0644u);
    fs::remove(scratch / "vorin98.ini");
    {
        UmaskOverride mask(077);
        file.replace(kIni);
    }
    EXPECT_EQ(modeOf(scratch / "vorin98.ini"), 0600u);
}

void expectWriteError(SettingsFile &file, std::string_view contents)
{
    try {
        file.replace(contents);
        ADD_FAILURE() << "replace did not fail";
    } catch (const SettingsWriteError &error) {
        EXPECT_STREQ(error.what(), "Unable to write to vorin98.ini");
    }
}

TEST_F(PosixSettingsFileTest, directoryInPlaceOfTheFileFailsWithoutLeavingATemporaryFile)
{
    fs::create_directory(scratch / "vorin98.ini");
    expectWriteError(file, kIni);
    EXPECT_TRUE(fs::is_directory(scratch / "vorin98.ini"));
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("vorin98.ini"));
}

TEST_F(PosixSettingsFileTest, configDirectoryBehindARegularFileFails)
{
    writeFile(scratch / "not-a-directory", "keep");
    PosixSettingsFile blocked(scratch / "not-a-directory" / "config");
    expectWriteError(blocked, kIni);
    EXPECT_EQ(readFile(scratch / "not-a-directory"), "keep");
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("not-a-directory"));
}

TEST_F(PosixSettingsFileTest, failedWriteLeavesTheOldFileWholeAndNoTemporaryFile)
{
    // A file size limit makes the write itself fail part-way, as a full disk
    // would, and it binds root as well.
    file.replace(kIni);
    struct rlimit old
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        file.replace(std::string(4096, 'n'));
    } catch (const SettingsWriteError &) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(file.read(), kIni);
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("vorin98.ini"));
}

TEST_F(PosixSettingsFileTest, unwritableDirectoryLeavesTheOldFileWhole)
{
    file.replace(kIni);
    // Readable and searchable for everyone, writable for no one but root,
    // which saves as nobody here.
    ASSERT_EQ(::chmod((scratch / "vorin98.ini").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0555), 0);

    struct Outcome
    {
        bool readBefore;
        bool probeWritten;
        bool threw;
        bool messageRight;
    };
    const auto run = test::withoutPrivileges([this] {
        Outcome outcome{file.read() == std::optional<std::string>(kIni),
                        !permissionsStopWrites(scratch.path()), false, false};
        try {
            file.replace("new contents");
        } catch (const SettingsWriteError &error) {
            outcome.threw = true;
            outcome.messageRight =
                std::string_view(error.what()) == "Unable to write to vorin98.ini";
        }
        return outcome;
    });
    ::chmod(scratch.path().c_str(), 0700);
    if (run.unavailable)
        GTEST_SKIP() << run.why;
    ASSERT_TRUE(run.result) << run.why;
    ASSERT_TRUE(run.result->readBefore) << "the saving user cannot read " << scratch.path();
    ASSERT_FALSE(run.result->probeWritten) << "this user writes into directories whatever their "
                                              "mode says (a capability such as CAP_DAC_OVERRIDE?)";
    EXPECT_TRUE(run.result->threw);
    EXPECT_TRUE(run.result->messageRight);
    EXPECT_EQ(file.read(), kIni);
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("vorin98.ini"));
}

TEST_F(PosixSettingsFileTest, symlinkedFileHasItsTargetReplacedAndTheLinkKept)
{
    writeFile(scratch / "dotfiles" / "vorin98.ini", "old");
    fs::create_directory(scratch / "config");
    fs::create_symlink("../dotfiles/vorin98.ini", scratch / "config" / "vorin98.ini");
    PosixSettingsFile linked(scratch / "config");

    linked.replace(kIni);

    EXPECT_TRUE(fs::is_symlink(scratch / "config" / "vorin98.ini"));
    EXPECT_EQ(fs::read_symlink(scratch / "config" / "vorin98.ini"), "../dotfiles/vorin98.ini");
    EXPECT_EQ(readFile(scratch / "dotfiles" / "vorin98.ini"), kIni);
    EXPECT_EQ(linked.read(), kIni);
    EXPECT_THAT(directoryNames(scratch / "config"), ElementsAre("vorin98.ini"));
    EXPECT_THAT(directoryNames(scratch / "dotfiles"), ElementsAre("vorin98.ini"));
}

TEST_F(PosixSettingsFileTest, chainOfSymlinksLeadsToTheLastTarget)
{
    writeFile(scratch / "real" / "settings.ini", "old");
    fs::create_symlink(scratch / "real" / "settings.ini", scratch / "middle.ini");
    fs::create_symlink("middle.ini", scratch / "vorin98.ini");
    file.replace(kIni);
    EXPECT_EQ(readFile(scratch / "real" / "settings.ini"), kIni);
    EXPECT_TRUE(fs::is_symlink(scratch / "vorin98.ini"));
    EXPECT_TRUE(fs::is_symlink(scratch / "middle.ini"));
}

TEST_F(PosixSettingsFileTest, danglingSymlinkGetsItsTargetCreated)
{
    fs::create_directory(scratch / "dotfiles");
    fs::create_symlink("dotfiles/vorin98.ini", scratch / "vorin98.ini");
    EXPECT_EQ(file.read(), std::nullopt);
    file.replace(kIni);
    EXPECT_TRUE(fs::is_symlink(scratch / "vorin98.ini"));
    EXPECT_EQ(readFile(scratch / "dotfiles" / "vorin98.ini"), kIni);
}

TEST_F(PosixSettingsFileTest, symlinkLoopFailsAndKeepsBothLinks)
{
    fs::create_symlink("other", scratch / "vorin98.ini");
    fs::create_symlink("vorin98.ini", scratch / "other");
    expectWriteError(file, kIni);
    EXPECT_TRUE(fs::is_symlink(scratch / "vorin98.ini"));
    EXPECT_TRUE(fs::is_symlink(scratch / "other"));
    EXPECT_THAT(directoryNames(scratch.path()), ElementsAre("other", "vorin98.ini"));
}

struct ConfigHomeCase
{
    const char *label;
    std::optional<std::string>
        xdgConfigHome;    // relative to the scratch directory when it starts with "@"
    const char *expected; // relative to the scratch directory
};

class PosixSettingsFileLocation : public ::testing::TestWithParam<ConfigHomeCase>
{
};

TEST_P(PosixSettingsFileLocation, followsTheBaseDirectoryRules)
{
    ScratchDirectory scratch;
    std::optional<std::string> xdg = GetParam().xdgConfigHome;
    if (xdg && xdg->starts_with("@"))
        xdg = (scratch / xdg->substr(1)).string();
    EnvironmentOverride home("HOME", (scratch / "home").string());
    EnvironmentOverride config("XDG_CONFIG_HOME", xdg);

    const auto file = PosixSettingsFile::forUser();
    EXPECT_EQ(file->path(), scratch / GetParam().expected / "vorin98.ini");
    file->replace(kIni);
    EXPECT_EQ(readFile(scratch / GetParam().expected / "vorin98.ini"), kIni);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, PosixSettingsFileLocation,
    ::testing::Values(ConfigHomeCase{"xdgConfigHomeSet", "@xdg config", "xdg config"},
                      ConfigHomeCase{"xdgConfigHomeUnset", std::nullopt, "home/.config"},
                      ConfigHomeCase{"xdgConfigHomeEmpty", "", "home/.config"},
                      ConfigHomeCase{"xdgConfigHomeRelativeIsIgnored", "relative/config",
                                     "home/.config"}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

} // namespace
} // namespace vorin
