#include "platform/Locale.h"

#include "PlatformTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <optional>
#include <string>
#include <vector>

namespace vorin {
namespace {

using test::EnvironmentOverride;

struct LocaleEnvironment
{
    const char *label;
    std::optional<std::string> lcAll;
    std::optional<std::string> lcNumeric;
    std::optional<std::string> lang;
};

// ctest lists cases by these, not by a dump of their bytes.
void PrintTo(const LocaleEnvironment &c, std::ostream *out)
{
    *out << c.label;
}

class LocaleFallback : public ::testing::TestWithParam<LocaleEnvironment>
{
};

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
                      LocaleEnvironment{"notInstalled", "xx_NOWHERE.UTF-8", std::nullopt,
                                        std::nullopt}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST(LocaleSeparatorsTest, leaveTheProcessLocaleAlone)
{
    EnvironmentOverride all("LC_ALL", "C.UTF-8");
    const std::string before = ::setlocale(LC_NUMERIC, nullptr);
    (void)systemLocaleSeparators();
    EXPECT_EQ(::setlocale(LC_NUMERIC, nullptr), before);
}

struct TimeEnvironment
{
    const char *label;
    std::optional<std::string> lcAll;
    std::optional<std::string> lcTime;
    std::optional<std::string> lang;
};

void PrintTo(const TimeEnvironment &c, std::ostream *out)
{
    *out << c.label;
}

class ShortTimeFallback : public ::testing::TestWithParam<TimeEnvironment>
{
};

// Each of these ends in the C locale, whose time pattern is "%H:%M:%S":
// without its seconds, the 24-hour clock.
TEST_P(ShortTimeFallback, givesHoursAndMinutes)
{
    EnvironmentOverride all("LC_ALL", GetParam().lcAll);
    EnvironmentOverride time("LC_TIME", GetParam().lcTime);
    EnvironmentOverride lang("LANG", GetParam().lang);
    const TimeOfDayFormat format = systemShortTimeFormat();
    EXPECT_EQ(format.pattern, "%H:%M");
    EXPECT_EQ(formatTimeOfDay(format, 14, 0), "14:00");
    EXPECT_EQ(format.am, "AM");
    EXPECT_EQ(format.pm, "PM");
}

INSTANTIATE_TEST_SUITE_P(
    Environments, ShortTimeFallback,
    ::testing::Values(TimeEnvironment{"lcAllC", "C", std::nullopt, std::nullopt},
                      TimeEnvironment{"lcAllPosix", "POSIX", std::nullopt, std::nullopt},
                      TimeEnvironment{"lcTimeC", std::nullopt, "C", std::nullopt},
                      TimeEnvironment{"lcAllBeatsLcTime", "C", "en_US.UTF-8", "en_US.UTF-8"},
                      TimeEnvironment{"nothingSet", std::nullopt, std::nullopt, std::nullopt},
                      TimeEnvironment{"notInstalled", "xx_NOWHERE.UTF-8", std::nullopt,
                                      std::nullopt}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

TEST(LocaleShortTimeTest, leavesTheProcessLocaleAlone)
{
    EnvironmentOverride all("LC_ALL", "C.UTF-8");
    const std::string before = ::setlocale(LC_TIME, nullptr);
    (void)systemShortTimeFormat();
    EXPECT_EQ(::setlocale(LC_TIME, nullptr), before);
}

bool installed(const char *name)
{
    const locale_t probe = ::newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (probe == static_cast<locale_t>(nullptr))
        return false;
    ::freelocale(probe);
    return true;
}

struct InstalledLocaleCase
{
    const char *label;
    std::vector<const char *> names;    // the first one installed is used
    std::vector<std::string> thousands; // glibc releases differ on the French space
    std::string decimal;
};

void PrintTo(const InstalledLocaleCase &c, std::ostream *out)
{
    *out << c.label;
}

class InstalledLocale : public ::testing::TestWithParam<InstalledLocaleCase>
{
};

// LC_CTYPE stays C throughout: the separators must still arrive as UTF-8,
// converted from the numeric locale's own character set.
TEST_P(InstalledLocale, givesItsSeparatorsAsUtf8)
{
    for (const char *name : GetParam().names) {
        if (!installed(name))
            continue;
        EnvironmentOverride all("LC_ALL", std::nullopt);
        EnvironmentOverride ctype("LC_CTYPE", "C");
        EnvironmentOverride numeric("LC_NUMERIC", name);
        const LocaleSeparators separators = systemLocaleSeparators();
        EXPECT_THAT(GetParam().thousands, ::testing::Contains(separators.thousands)) << name;
        EXPECT_EQ(separators.decimal, GetParam().decimal) << name;
        return;
    }
    std::string names;
    for (const char *name : GetParam().names)
        names += std::string(names.empty() ? "" : " or ") + name;
    GTEST_SKIP() << "this machine has no locale " << names
                 << " to read separators from; tools/install-deps.sh generates it";
}

INSTANTIATE_TEST_SUITE_P(
    Locales, InstalledLocale,
    ::testing::Values(
        InstalledLocaleCase{"german", {"de_DE.UTF-8", "de_DE.utf8"}, {"."}, ","},
        InstalledLocaleCase{"frenchUtf8", {"fr_FR.UTF-8", "fr_FR.utf8"}, {"\u202F", "\u00A0"}, ","},
        InstalledLocaleCase{"frenchLatin1", {"fr_FR.ISO-8859-1", "fr_FR"}, {"\u00A0", " "}, ","},
        InstalledLocaleCase{"english", {"en_US.UTF-8", "en_US.utf8"}, {","}, "."}),
    [](const auto &testCase) { return std::string(testCase.param.label); });

} // namespace
} // namespace vorin
