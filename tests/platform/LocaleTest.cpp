#include "platform/Locale.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <locale.h>

#include <optional>
#include <string>

namespace vorin {
namespace {

using test::EnvironmentOverride;

struct LocaleEnvironment {
    const char *label;
    std::optional<std::string> lcAll;
    std::optional<std::string> lcNumeric;
    std::optional<std::string> lang;
};

class LocaleFallback : public ::testing::TestWithParam<LocaleEnvironment> {};

// Every one of these environments ends in the C locale, which groups with
// nothing: the English separators stand in.
TEST_P(LocaleFallback, givesCommaAndPoint)
{
    EnvironmentOverride all("LC_ALL", GetParam().lcAll);
    EnvironmentOverride numeric("LC_NUMERIC", GetParam().lcNumeric);
    EnvironmentOverride lang("LANG", GetParam().lang);
    const LocaleSeparators separators = systemLocaleSeparators();
    EXPECT_EQ(separators.thousands, ",");
    EXPECT_EQ(separators.decimal, ".");
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LocaleFallback,
    ::testing::Values(LocaleEnvironment{"lcAllC", "C", std::nullopt, std::nullopt},
                      LocaleEnvironment{"lcAllPosix", "POSIX", std::nullopt, std::nullopt},
                      LocaleEnvironment{"lcNumericC", std::nullopt, "C", std::nullopt},
                      LocaleEnvironment{"lcAllBeatsLcNumeric", "C", "de_DE.UTF-8", "de_DE.UTF-8"},
                      LocaleEnvironment{"nothingSet", std::nullopt, std::nullopt, std::nullopt},
                      LocaleEnvironment{"notInstalled", "xx_NOWHERE.UTF-8", std::nullopt, std::nullopt}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST(LocaleSeparatorsTest, leaveTheProcessLocaleAlone)
{
    EnvironmentOverride all("LC_ALL", "C.UTF-8");
    const std::string before = ::setlocale(LC_NUMERIC, nullptr);
    (void)systemLocaleSeparators();
    EXPECT_EQ(::setlocale(LC_NUMERIC, nullptr), before);
}

TEST(LocaleSeparatorsTest, germanLocaleGroupsWithPointAndDecimalComma)
{
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
        const locale_t probe = ::newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
        if (probe == static_cast<locale_t>(nullptr))
            continue;
        ::freelocale(probe);
        EnvironmentOverride all("LC_ALL", name);
        const LocaleSeparators separators = systemLocaleSeparators();
        EXPECT_EQ(separators.thousands, ".") << name;
        EXPECT_EQ(separators.decimal, ",") << name;
        return;
    }
    GTEST_SKIP() << "no German locale installed";
}

} // namespace
} // namespace vorin
