#include "selection/IniDocument.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

TEST(IniDocument, readsWindowsProfileSyntax)
{
    const auto doc =
        IniDocument::parse("; comment\r\n[Include]\r\n  number = 3 \r\nFile1=\"*.doc\"\r\n"
                           "File2 ='*.dll'\r\n[other]\r\nFile1=x\r\n");
    EXPECT_EQ(doc.value("INCLUDE", "Number"), "3");
    EXPECT_EQ(doc.value("include", "file1"), "*.doc");
    EXPECT_EQ(doc.value("Include", "File2"), "*.dll");
    EXPECT_EQ(doc.value("Other", "File1"), "x");
    EXPECT_EQ(doc.value("Include", "File3"), std::nullopt);
    EXPECT_EQ(doc.value("Missing", "Number"), std::nullopt);
}

TEST(IniDocument, firstOfTwoEqualKeysWins)
{
    const auto doc = IniDocument::parse("[a]\nk=1\nK=2\n");
    EXPECT_EQ(doc.value("a", "k"), "1");
}

TEST(IniDocument, unchangedDocumentWritesBackByteForByte)
{
    for (const char *text :
         {"; c\r\n[A]\r\nx = 1\r\n\r\n[B]\r\ny=2\r\n", "[A]\nx=1", "", "\xEF\xBB\xBF[A]\nx=1\n",
          "garbage without equals\n[unclosed\nk=v\n"}) {
        EXPECT_EQ(IniDocument::parse(text).text(), text);
    }
}

TEST(IniDocument, setValueChangesOnlyItsKey)
{
    auto doc =
        IniDocument::parse("; keep me\r\n[Include]\r\nNumber=1\r\nFile1=*.doc\r\nExtra=yes\r\n\r\n"
                           "[Unknown]\r\nz=9\r\n");
    doc.setValue("include", "number", "2");
    doc.setValue("Include", "File2", "*.exe");
    EXPECT_EQ(
        doc.text(),
        "; keep me\r\n[Include]\r\nNumber=2\r\nFile1=*.doc\r\nExtra=yes\r\nFile2=*.exe\r\n\r\n"
        "[Unknown]\r\nz=9\r\n");
}

TEST(IniDocument, setValueAddsAMissingSectionAtTheEnd)
{
    auto doc = IniDocument::parse("[A]\nx=1");
    doc.setValue("Exclude", "Number", "0");
    EXPECT_EQ(doc.text(), "[A]\nx=1\n\n[Exclude]\nNumber=0\n");
    auto empty = IniDocument::parse("");
    empty.setValue("Include", "Number", "3");
    EXPECT_EQ(empty.text(), "[Include]\nNumber=3\n");
}

TEST(IniDocument, entriesListsASectionInFileOrder)
{
    const auto doc = IniDocument::parse("[S]\nb=2\na=1\n[T]\nc=3\n");
    const auto entries = doc.entries("s");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"b", "2"}));
    EXPECT_EQ(entries[1], (std::pair<std::string, std::string>{"a", "1"}));
}

} // namespace
} // namespace vorin
