#include "platform/posix/PosixDirectoryReader.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorin {
namespace {

struct ModeCase
{
    std::uint32_t mode;
    const char *name;
    std::uint32_t attributes;
};

class PosixAttributes : public ::testing::TestWithParam<ModeCase>
{
};

TEST_P(PosixAttributes, followFromModeAndName)
{
    const ModeCase &c = GetParam();
    EXPECT_EQ(PosixDirectoryReader::posixAttributes(c.mode, c.name), c.attributes);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PosixAttributes,
    ::testing::Values(
        ModeCase{S_IFREG | 0644, "a.txt", 0}, ModeCase{S_IFREG | 0444, "a.txt", kAttrReadOnly},
        ModeCase{S_IFREG | 0400, "a.txt", kAttrReadOnly},
        ModeCase{S_IFREG | 0604, "a.txt", 0}, // the owner may write
        ModeCase{S_IFREG | 0464, "a.txt", 0}, // the group may write
        ModeCase{S_IFREG | 0000, ".secret", kAttrReadOnly | kAttrHidden},
        ModeCase{S_IFLNK | 0777, "link", 0}, ModeCase{S_IFIFO | 0644, "pipe", kAttrSystem},
        ModeCase{S_IFSOCK | 0755, "socket", kAttrSystem},
        ModeCase{S_IFCHR | 0666, "null", kAttrSystem}, ModeCase{S_IFBLK | 0660, "sda", kAttrSystem},
        ModeCase{S_IFDIR | 0755, ".config", kAttrDirectory | kAttrHidden},
        ModeCase{S_IFDIR | 0555, "proc", kAttrDirectory | kAttrReadOnly}));

// Every case runs twice: subdirectories opened with openat2, and the way
// kernels without it take (look, open, check the device).
class PosixDirectoryReaderTest : public ::testing::TestWithParam<bool>
{
protected:
    PosixDirectoryReaderTest()
    {
        PosixDirectoryReader::setOpenat2Allowed(GetParam());
        std::string pattern = "/tmp/vorin-reader-XXXXXX";
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
    }
    ~PosixDirectoryReaderTest() override
    {
        PosixDirectoryReader::setOpenat2Allowed(true);
        const std::string command = "rm -rf '" + m_root + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    void touch(const std::string &name, off_t size = 0)
    {
        const int fd = ::open((m_root + "/" + name).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }

    std::string m_root;
    PosixDirectoryReader reader;
};

TEST_P(PosixDirectoryReaderTest, listsEveryNameButDotAndDotDotWithTheirKinds)
{
    touch("file", 10);
    ASSERT_EQ(::mkdir((m_root + "/dir").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("dir", (m_root + "/link").c_str()), 0);
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);

    NameBatch batch;
    ASSERT_EQ(reader.list(root, batch), ListStatus::More);
    std::vector<std::pair<std::string, NameKind>> names;
    for (const ListedName &n : batch.names)
        names.emplace_back(std::string(n.name), n.kind);
    std::sort(names.begin(), names.end());
    // ext4 and tmpfs say what a name is; a file system that does not says Unknown.
    for (const auto &[name, kind] : names)
        EXPECT_TRUE(kind == NameKind::Unknown ||
                    kind == (name == "dir" ? NameKind::Directory : NameKind::Other))
            << name;
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].first, "dir");
    EXPECT_EQ(names[1].first, "file");
    EXPECT_EQ(names[2].first, "link");

    // The end of the listing leaves the last chunk in place.
    EXPECT_EQ(reader.list(root, batch), ListStatus::End);
    EXPECT_EQ(batch.names.size(), 3u);
    reader.close(root);
}

// A name's length is read from the end of its record: names of every length
// up to the longest a file system takes come out whole, whatever their bytes.
TEST_P(PosixDirectoryReaderTest, namesOfEveryLengthAreListedWhole)
{
    std::vector<std::string> names;
    for (std::size_t length = 1; length <= 255; ++length) {
        std::string name;
        for (std::size_t i = 0; i < length; ++i)
            name += static_cast<char>(i % 7 == 6 ? '\x80' + static_cast<char>(length % 64)
                                                 : 'a' + static_cast<char>((i + length) % 26));
        names.push_back(name);
        touch(name);
    }
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);
    std::vector<std::string> listed;
    NameBatch batch;
    while (reader.list(root, batch) == ListStatus::More)
        for (const ListedName &n : batch.names)
            listed.emplace_back(n.name);
    reader.close(root);
    std::sort(names.begin(), names.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, names);
}

TEST_P(PosixDirectoryReaderTest, aLinkToADirectoryIsNeverOpenedAsOne)
{
    ASSERT_EQ(::mkdir((m_root + "/dir").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("dir", (m_root + "/link").c_str()), 0);
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);

    DirectoryReader::Handle child = DirectoryReader::kNoHandle;
    EXPECT_EQ(reader.openChild(root, "link", child), OpenStatus::Vanished);
    EXPECT_EQ(child, DirectoryReader::kNoHandle);
    DirectoryEntry entry;
    ASSERT_EQ(reader.describe(root, "link", entry), Described::File);
    EXPECT_EQ(entry.size, 3);
    ASSERT_EQ(reader.openChild(root, "dir", child), OpenStatus::Ok);
    reader.close(child);
    reader.close(root);
}

TEST_P(PosixDirectoryReaderTest, aNameRemovedAfterListingHasVanished)
{
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);
    DirectoryEntry entry;
    EXPECT_EQ(reader.describe(root, "gone", entry), Described::Vanished);
    DirectoryReader::Handle child = DirectoryReader::kNoHandle;
    EXPECT_EQ(reader.openChild(root, "gone", child), OpenStatus::Vanished);
    reader.close(root);
}

TEST_P(PosixDirectoryReaderTest, describeGivesSizeAttributesAndTimes)
{
    touch(".profile", 1234);
    const timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_root + "/.profile").c_str(), times, 0), 0);
    ASSERT_EQ(::chmod((m_root + "/.profile").c_str(), 0444), 0);
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);

    DirectoryEntry entry;
    ASSERT_EQ(reader.describe(root, ".profile", entry), Described::File);
    EXPECT_EQ(entry.name, ".profile");
    EXPECT_EQ(entry.size, 1234);
    EXPECT_EQ(entry.attributes, kAttrReadOnly | kAttrHidden);
    EXPECT_EQ(entry.lastAccess.seconds, 1000000000);
    EXPECT_EQ(entry.lastWrite.seconds, 1200000000);
    EXPECT_FALSE(reader.keepsDosAttributes());
    reader.close(root);
}

TEST_P(PosixDirectoryReaderTest, describeTellsTheNamesOfOneFileByLinkCountAndIdentity)
{
    touch("first.dat", 10);
    ASSERT_EQ(::link((m_root + "/first.dat").c_str(), (m_root + "/second.dat").c_str()), 0);
    touch("alone.dat", 10);
    struct stat st
    {
    };
    ASSERT_EQ(::stat((m_root + "/first.dat").c_str(), &st), 0);
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);

    DirectoryEntry first;
    DirectoryEntry second;
    DirectoryEntry alone;
    ASSERT_EQ(reader.describe(root, "first.dat", first), Described::File);
    ASSERT_EQ(reader.describe(root, "second.dat", second), Described::File);
    ASSERT_EQ(reader.describe(root, "alone.dat", alone), Described::File);
    EXPECT_EQ(first.links, 2u);
    EXPECT_EQ(second.links, 2u);
    EXPECT_EQ(alone.links, 1u);
    EXPECT_EQ(first.identity, second.identity);
    EXPECT_EQ(first.identity, (FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                            static_cast<std::uint64_t>(st.st_ino)}));
    EXPECT_NE(alone.identity, first.identity);
    reader.close(root);
}

TEST_P(PosixDirectoryReaderTest, identifyTellsWhichDirectoryAHandleIs)
{
    ASSERT_EQ(::mkdir((m_root + "/dir").c_str(), 0755), 0);
    struct stat dir
    {
    }, top{};
    ASSERT_EQ(::stat((m_root + "/dir").c_str(), &dir), 0);
    ASSERT_EQ(::stat(m_root.c_str(), &top), 0);
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot(m_root, root), OpenStatus::Ok);
    DirectoryReader::Handle child = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openChild(root, "dir", child), OpenStatus::Ok);

    FileIdentity identity;
    ASSERT_TRUE(reader.identify(child, identity));
    EXPECT_EQ(identity, (FileIdentity{static_cast<std::uint64_t>(dir.st_dev),
                                      static_cast<std::uint64_t>(dir.st_ino)}));
    ASSERT_TRUE(reader.identify(root, identity));
    EXPECT_EQ(identity.inode, static_cast<std::uint64_t>(top.st_ino));
    reader.close(child);
    reader.close(root);
}

TEST_P(PosixDirectoryReaderTest, theRootOfAnotherFileSystemIsNotOpened)
{
    struct stat dev
    {
    }, shm{};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev)
        GTEST_SKIP() << "no file system mounted on /dev/shm";
    DirectoryReader::Handle root = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openRoot("/dev", root), OpenStatus::Ok);
    DirectoryReader::Handle child = DirectoryReader::kNoHandle;
    EXPECT_EQ(reader.openChild(root, "shm", child), OpenStatus::OtherDevice);
    reader.close(root);
}

INSTANTIATE_TEST_SUITE_P(OpenWays, PosixDirectoryReaderTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &way) {
                             return way.param ? "openat2" : "openat";
                         });

} // namespace
} // namespace vorin
