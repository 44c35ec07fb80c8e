#include "support/Json.h"

#include <gtest/gtest.h>
#include <ostream>

namespace vorin::json {
namespace {

TEST(Json, readsAReportShapedObject)
{
    const Value v = parse(R"( {"files":12,"bytes":1.5e3,"types":[{"key":".TXT","ok":true},null],
                              "name":"a\u00ffb\n\u00e9\ud83d\ude00","none":false} )");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v.keys(), (std::vector<std::string>{"files", "bytes", "types", "name", "none"}));
    EXPECT_EQ(v.find("files")->integer(), 12);
    EXPECT_EQ(v.find("bytes")->number(), 1500.0);
    EXPECT_FALSE(v.find("bytes")->integer().has_value());
    const Value &types = *v.find("types");
    ASSERT_EQ(types.items().size(), 2u);
    EXPECT_EQ(types.items()[0].find("key")->text(), ".TXT");
    EXPECT_TRUE(types.items()[0].find("ok")->boolean());
    EXPECT_EQ(types.items()[1].kind(), Value::Kind::Null);
    // \u00XX is the byte XX, as the reports write bytes that are no UTF-8;
    // anything above is UTF-8, pairs of surrogates one character.
    EXPECT_EQ(v.find("name")->text(), "a\xff"
                                      "b\n\xe9\xF0\x9F\x98\x80");
    EXPECT_EQ(v.find("missing"), nullptr);
}

TEST(Json, largeCountsStayExact)
{
    const Value v = parse("[9007199254740993,-9223372036854775808,18446744073709551616]");
    EXPECT_EQ(v.items()[0].integer(), 9007199254740993);
    EXPECT_EQ(v.items()[1].integer(), INT64_MIN);
    EXPECT_FALSE(v.items()[2].integer().has_value()); // too large: a double only
    EXPECT_EQ(v.items()[2].number(), 18446744073709551616.0);
}

const std::string kTooDeep(65, '[');

struct BadCase
{
    const char *label;
    const char *text;
    bool truncated;
};
void PrintTo(const BadCase &c, std::ostream *out)
{
    *out << c.label;
}
class JsonRefuses : public testing::TestWithParam<BadCase>
{
};
TEST_P(JsonRefuses, saysWhereAndWhetherItWasCutShort)
{
    try {
        (void)parse(GetParam().text);
        FAIL() << "parsed";
    } catch (const ParseError &e) {
        EXPECT_EQ(e.truncated(), GetParam().truncated) << e.what();
        EXPECT_NE(std::string(e.what()).find("at byte"), std::string::npos);
    }
}
INSTANTIATE_TEST_SUITE_P(Json, JsonRefuses,
                         testing::Values(BadCase{"empty", "", true},
                                         BadCase{"cut in an object", R"({"a":[1,2)", true},
                                         BadCase{"cut in a string", R"({"a":"text)", true},
                                         BadCase{"cut in a word", "[tru", true},
                                         BadCase{"cut after a minus", "-", true},
                                         BadCase{"not JSON", "Drives:  c:", false},
                                         BadCase{"two values", "{} {}", false},
                                         BadCase{"a missing comma", R"({"a":1 "b":2})", false},
                                         BadCase{"a raw line break in a string", "\"a\nb\"", false},
                                         BadCase{"a lone surrogate", R"("\ud800x")", false},
                                         BadCase{"a bad escape", R"("\q")", false},
                                         BadCase{"a number beyond a double", "1e999", false},
                                         BadCase{"nesting beyond 64", kTooDeep.c_str(), false}));

} // namespace
} // namespace vorin::json
