#include "platform/win32/Win32DirectoryReader.h"

#include "Win32TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vorin {
namespace {

using test::fileTimeAt;
using test::ScratchDirectory;

constexpr std::uint32_t kDosBits = kAttrReadOnly | kAttrHidden | kAttrSystem;

// Every name of a directory with what describe() tells of it, listed chunk
// by chunk and described right after each chunk, as the walk does.
std::map<std::string, DirectoryEntry> describeAll(DirectoryReader &reader,
                                                  DirectoryReader::Handle dir,
                                                  std::map<std::string, NameKind> *kinds = nullptr)
{
    std::map<std::string, DirectoryEntry> entries;
    NameBatch batch;
    while (reader.list(dir, batch) == ListStatus::More) {
        for (const ListedName &listed : batch.names) {
            DirectoryEntry entry;
            if (reader.describe(dir, listed.name, entry) == Described::Vanished)
                ADD_FAILURE() << "vanished: " << listed.name;
            entry.name = {};
            entries[std::string(listed.name)] = entry;
            if (kinds != nullptr)
                (*kinds)[std::string(listed.name)] = listed.kind;
        }
    }
    return entries;
}

class Win32DirectoryReaderTest : public ::testing::Test
{
protected:
    DirectoryReader::Handle openRoot(const std::string &path)
    {
        DirectoryReader::Handle handle = DirectoryReader::kNoHandle;
        EXPECT_EQ(reader.openRoot(path, handle), OpenStatus::Ok) << path;
        return handle;
    }

    ScratchDirectory scratch;
    Win32DirectoryReader reader;
};

// A tree made with SetFileAttributesW and SetFileTime gives back exactly the
// bits and times it was given, from the listing alone.
TEST_F(Win32DirectoryReaderTest, attributesSizesAndTimesComeFromTheListing)
{
    struct Made
    {
        const char *name;
        DWORD attributes;
        std::string contents;
    };
    const Made made[] = {
        {"hidden.txt", FILE_ATTRIBUTE_HIDDEN, "hh"},
        {"system.sys", FILE_ATTRIBUTE_SYSTEM, "sss"},
        {"readonly.doc", FILE_ATTRIBUTE_READONLY, "rrrr"},
        {"archive.zip", FILE_ATTRIBUTE_ARCHIVE, "aaaaa"},
        {"all.bin", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "x"},
    };
    constexpr std::int64_t kCreated = 1262304000; // 2010-01-01 00:00 UTC
    constexpr std::int64_t kAccessed = 1577836800 + 3600;
    constexpr std::int64_t kWritten = 1420070400 + 59;
    for (const Made &m : made) {
        scratch.file(m.name, m.contents);
        const HANDLE file = CreateFileW(scratch.wide(m.name).c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const FILETIME created = fileTimeAt(kCreated);
        const FILETIME accessed = fileTimeAt(kAccessed);
        const FILETIME written = fileTimeAt(kWritten);
        ASSERT_TRUE(SetFileTime(file, &created, &accessed, &written));
        CloseHandle(file);
        ASSERT_TRUE(SetFileAttributesW(scratch.wide(m.name).c_str(), m.attributes));
    }
    scratch.dir("folder");
    ASSERT_TRUE(SetFileAttributesW(scratch.wide("folder").c_str(), FILE_ATTRIBUTE_HIDDEN));

    std::map<std::string, NameKind> kinds;
    const auto entries = describeAll(reader, openRoot(scratch.path()), &kinds);

    ASSERT_EQ(entries.size(), 6u);
    for (const Made &m : made) {
        const DirectoryEntry &entry = entries.at(m.name);
        EXPECT_EQ(entry.attributes & kDosBits, m.attributes & kDosBits) << m.name;
        EXPECT_EQ(entry.attributes & kAttrDirectory, 0u) << m.name;
        EXPECT_EQ(entry.size, static_cast<std::int64_t>(m.contents.size())) << m.name;
        // Wine keeps no creation time of its own and gives the last write.
        EXPECT_TRUE(entry.creation.seconds == kCreated || entry.creation.seconds == kWritten)
            << m.name << " " << entry.creation.seconds;
        EXPECT_EQ(entry.lastAccess.seconds, kAccessed) << m.name;
        EXPECT_EQ(entry.lastWrite.seconds, kWritten) << m.name;
        EXPECT_EQ(entry.links, 1u) << m.name;
        EXPECT_EQ(kinds.at(m.name), NameKind::Other) << m.name;
    }
    EXPECT_NE(entries.at("archive.zip").attributes & kAttrArchive, 0u);
    EXPECT_EQ(entries.at("folder").attributes & (kAttrDirectory | kAttrHidden),
              kAttrDirectory | kAttrHidden);
    EXPECT_EQ(kinds.at("folder"), NameKind::Directory);
}

TEST_F(Win32DirectoryReaderTest, aDirectoryAsksForItsHiddenAndSystemBits)
{
    scratch.dir("plain");
    scratch.dir("secret");
    ASSERT_TRUE(SetFileAttributesW(scratch.wide("secret").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const DirectoryReader::Handle root = openRoot(scratch.path());

    EXPECT_EQ(reader.directoryAttributes(root, "plain") & (kAttrHidden | kAttrSystem), 0u);
    EXPECT_EQ(reader.directoryAttributes(root, "secret") & (kAttrHidden | kAttrSystem),
              kAttrHidden | kAttrSystem);
}

TEST_F(Win32DirectoryReaderTest, namesOutsideTheAnsiCodePageArriveAsUtf8AndOpenAgain)
{
    const std::string folder = "\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0 \xe4\xb8\xad\xe6\x96\x87";
    const std::string file = "\xe2\x98\x83 \xf0\x9f\x98\x80.txt";
    scratch.dir(folder);
    scratch.file(folder + "\\" + file, "snow");
    const DirectoryReader::Handle root = openRoot(scratch.path());
    std::map<std::string, NameKind> kinds;
    ASSERT_EQ(describeAll(reader, root, &kinds).count(folder), 1u);

    DirectoryReader::Handle child = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openChild(root, folder, child), OpenStatus::Ok);
    const auto inside = describeAll(reader, child);

    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside.begin()->first, file);
    EXPECT_EQ(inside.begin()->second.size, 4);
}

TEST_F(Win32DirectoryReaderTest, aPathLongerThan260CharactersIsOpenedAndListed)
{
    std::string relative;
    for (int i = 0; i < 8; ++i) {
        relative += (i ? "\\" : "") + std::string(40, char('a' + i));
        scratch.dir(relative);
    }
    scratch.file(relative + "\\deep.dat", "123456");
    const std::string deep = scratch.path(relative);
    ASSERT_GT(deep.size(), 300u);

    const auto entries = describeAll(reader, openRoot(deep));

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.at("deep.dat").size, 6);
}

TEST_F(Win32DirectoryReaderTest, aListingOfSeveralChunksDescribesEachNameFromItsOwnChunk)
{
    for (int i = 0; i < 1500; ++i)
        scratch.file("a-rather-long-name-to-fill-the-chunks-" + std::to_string(i),
                     std::string(static_cast<std::size_t>(i % 7), 'x'));
    const DirectoryReader::Handle root = openRoot(scratch.path());

    int chunks = 0;
    std::size_t names = 0;
    NameBatch batch;
    while (reader.list(root, batch) == ListStatus::More) {
        ++chunks;
        for (const ListedName &listed : batch.names) {
            DirectoryEntry entry;
            ASSERT_EQ(reader.describe(root, listed.name, entry), Described::File);
            const int number = std::stoi(std::string(listed.name.substr(38)));
            EXPECT_EQ(entry.size, number % 7) << listed.name;
            ++names;
        }
    }
    EXPECT_GT(chunks, 1);
    EXPECT_EQ(names, 1500u);

    // Walked again from the start, after the end.
    ASSERT_TRUE(reader.rewind(root));
    ASSERT_EQ(reader.list(root, batch), ListStatus::More);
    EXPECT_FALSE(batch.names.empty());
}

TEST_F(Win32DirectoryReaderTest, theEndOfAListingLeavesTheLastChunkAsItWas)
{
    scratch.file("one", "1");
    scratch.file("two", "22");
    const DirectoryReader::Handle root = openRoot(scratch.path());
    NameBatch batch;
    ASSERT_EQ(reader.list(root, batch), ListStatus::More);
    ASSERT_EQ(batch.names.size(), 2u);

    ASSERT_EQ(reader.list(root, batch), ListStatus::End);

    ASSERT_EQ(batch.names.size(), 2u);
    for (const ListedName &listed : batch.names) {
        DirectoryEntry entry;
        ASSERT_EQ(reader.describe(root, listed.name, entry), Described::File);
        EXPECT_EQ(entry.size, listed.name == "one" ? 1 : 2);
    }
}

TEST_F(Win32DirectoryReaderTest, aNameNotFromAListingIsLookedUpOnItsOwn)
{
    scratch.file("asked.txt", "12345");
    const DirectoryReader::Handle root = openRoot(scratch.path());
    const std::string name = "asked.txt";
    DirectoryEntry entry;

    ASSERT_EQ(reader.describe(root, name, entry), Described::File);
    EXPECT_EQ(entry.size, 5);
    EXPECT_EQ(reader.describe(root, std::string("missing.txt"), entry), Described::Vanished);
}

TEST_F(Win32DirectoryReaderTest, anEmptyDirectoryEndsAtOnce)
{
    NameBatch batch;
    EXPECT_EQ(reader.list(openRoot(scratch.path()), batch), ListStatus::End);
    EXPECT_TRUE(batch.names.empty());
}

TEST_F(Win32DirectoryReaderTest, aFileOrAMissingNameIsNoDirectoryToOpen)
{
    scratch.file("plain.txt");
    const DirectoryReader::Handle root = openRoot(scratch.path());
    DirectoryReader::Handle child = DirectoryReader::kNoHandle;

    EXPECT_EQ(reader.openChild(root, "plain.txt", child), OpenStatus::Vanished);
    EXPECT_EQ(reader.openChild(root, "gone", child), OpenStatus::Vanished);
    EXPECT_EQ(child, DirectoryReader::kNoHandle);
    DirectoryReader::Handle missing = DirectoryReader::kNoHandle;
    EXPECT_NE(reader.openRoot(scratch.path("nowhere"), missing), OpenStatus::Ok);
}

// The walk checks that a directory opened again by name is the one it closed.
TEST_F(Win32DirectoryReaderTest, identifyTellsADirectoryFromOneThatTookItsName)
{
    scratch.dir("a");
    scratch.dir("b");
    const DirectoryReader::Handle root = openRoot(scratch.path());
    DirectoryReader::Handle first = DirectoryReader::kNoHandle;
    DirectoryReader::Handle again = DirectoryReader::kNoHandle;
    DirectoryReader::Handle other = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openChild(root, "a", first), OpenStatus::Ok);
    ASSERT_EQ(reader.openChild(root, "a", again), OpenStatus::Ok);
    ASSERT_EQ(reader.openChild(root, "b", other), OpenStatus::Ok);
    FileIdentity idFirst, idAgain, idOther;
    ASSERT_TRUE(reader.identify(first, idFirst));
    ASSERT_TRUE(reader.identify(again, idAgain));
    ASSERT_TRUE(reader.identify(other, idOther));
    EXPECT_EQ(idFirst, idAgain);
    EXPECT_NE(idFirst, idOther);

    reader.close(first);
    ASSERT_TRUE(MoveFileW(scratch.wide("a").c_str(), scratch.wide("a-moved").c_str()));
    scratch.dir("a");
    DirectoryReader::Handle replaced = DirectoryReader::kNoHandle;
    ASSERT_EQ(reader.openChild(root, "a", replaced), OpenStatus::Ok);
    FileIdentity idReplaced;
    ASSERT_TRUE(reader.identify(replaced, idReplaced));
    EXPECT_NE(idReplaced, idFirst);
}

TEST_F(Win32DirectoryReaderTest, handlesServeEveryCloneAndAreFreedOnClose)
{
    scratch.dir("sub");
    scratch.file("sub\\x", "xyz");
    const std::unique_ptr<DirectoryReader> other = reader.clone();
    const DirectoryReader::Handle root = openRoot(scratch.path());
    DirectoryReader::Handle sub = DirectoryReader::kNoHandle;
    ASSERT_EQ(other->openChild(root, "sub", sub), OpenStatus::Ok);
    EXPECT_EQ(reader.openCount(), 2u);

    const auto entries = describeAll(reader, sub);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.at("x").size, 3);

    other->close(sub);
    reader.close(root);
    EXPECT_EQ(reader.openCount(), 0u);
}

// Wine cannot make junctions; the decision rests on the find data alone.
TEST(FoundEntry, aDirectoryThatIsAReparsePointIsNeverEntered)
{
    WIN32_FIND_DATAW junction{};
    junction.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    WIN32_FIND_DATAW directory{};
    directory.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
    WIN32_FIND_DATAW fileLink{};
    fileLink.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE;
    fileLink.nFileSizeHigh = 1;
    fileLink.nFileSizeLow = 5;

    EXPECT_FALSE(foundEntry(junction).enterable);
    EXPECT_EQ(foundEntry(junction).attributes, kAttrDirectory);
    EXPECT_TRUE(foundEntry(directory).enterable);
    EXPECT_EQ(foundEntry(directory).attributes, kAttrDirectory | kAttrHidden);
    EXPECT_FALSE(foundEntry(fileLink).enterable);
    EXPECT_EQ(foundEntry(fileLink).attributes, kAttrArchive);
    EXPECT_EQ(foundEntry(fileLink).size, 4294967296LL + 5);
}

TEST(FoundEntry, fileTimesAreSecondsSince1970AndZeroIsNotRecorded)
{
    EXPECT_FALSE(fileTimeOf(FILETIME{0, 0}).recorded());
    EXPECT_EQ(fileTimeOf(fileTimeAt(0)).seconds, 0);
    EXPECT_EQ(fileTimeOf(fileTimeAt(4354819199LL)).seconds, 4354819199LL);
    // 1601-01-01 00:00:00.0000001, the first instant Windows can name.
    EXPECT_EQ(fileTimeOf(FILETIME{1, 0}).seconds, -11644473600LL);
    // Half a second before 1970 is still in the second before it.
    const std::uint64_t ticks = 116444736000000000ULL - 5000000ULL;
    EXPECT_EQ(fileTimeOf(FILETIME{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)}).seconds, -1);
}

} // namespace
} // namespace vorin
