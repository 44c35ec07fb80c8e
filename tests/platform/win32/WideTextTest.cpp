#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

TEST(WideText, textOfEveryPlaneGoesToUtf8AndBack)
{
    const std::wstring wide = L"a\u00e9\u4e2d\U0001F600";
    const std::string utf8 = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80";
    EXPECT_EQ(toUtf8(wide), utf8);
    EXPECT_EQ(toWide(utf8), wide);
}

// NTFS takes names with a lone surrogate; such a name must open again after
// it has been through the walk's UTF-8.
TEST(WideText, aLoneSurrogateSurvivesTheRoundTrip)
{
    const std::wstring name = {L'x', wchar_t(0xD800), L'y', wchar_t(0xDC01)};
    EXPECT_EQ(toWide(toUtf8(name)), name);
    EXPECT_EQ(toUtf8(name), "x\xed\xa0\x80y\xed\xb0\x81");
}

TEST(WideText, longPathsTakeTheExtendedForm)
{
    EXPECT_EQ(extendedPath("C:\\Windows\\..\\Temp/x"), L"\\\\?\\C:\\Temp\\x");
    EXPECT_EQ(extendedPath("\\\\server\\share\\dir"), L"\\\\?\\UNC\\server\\share\\dir");
    EXPECT_EQ(extendedPath("\\\\?\\C:\\as\\given"), L"\\\\?\\C:\\as\\given");
    EXPECT_EQ(withoutExtendedPrefix(L"\\\\?\\UNC\\server\\share"), L"\\\\server\\share");
    EXPECT_EQ(withoutExtendedPrefix(L"\\\\?\\C:\\x"), L"C:\\x");
    EXPECT_EQ(joinPath(L"\\\\?\\C:\\", L"x"), L"\\\\?\\C:\\x");
    EXPECT_EQ(joinPath(L"\\\\?\\C:\\d", L"x"), L"\\\\?\\C:\\d\\x");
}

} // namespace
} // namespace vorin
