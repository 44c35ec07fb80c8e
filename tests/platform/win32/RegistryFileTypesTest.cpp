#include "platform/win32/RegistryFileTypes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vorin {
namespace {

// Every Windows, Wine's included, registers text files and programs.
TEST(RegistryFileTypes, anExtensionNamesItsClassAndTheClassItsDescription)
{
    const RegistryFileTypes registry;

    EXPECT_EQ(registry.className(".txt"), "txtfile");
    EXPECT_EQ(registry.classDescription("txtfile"), "Text Document");
    EXPECT_EQ(registry.className(".exe"), "exefile");
    EXPECT_EQ(registry.classDescription("exefile"), "Application");
}

TEST(RegistryFileTypes, nothingRegisteredGivesTheEmptyText)
{
    const RegistryFileTypes registry;

    EXPECT_EQ(registry.className(".vorin-none-such"), "");
    EXPECT_EQ(registry.classDescription("vorin.none.such.class"), "");
    EXPECT_EQ(registry.className(""), "");
    EXPECT_EQ(registry.className(".txt\\shell"), "") << "no key below an extension's";
}

TEST(RegistryFileTypes, theRegisteredExtensionsAreTheKeysWithADot)
{
    const RegistryFileTypes registry;
    const std::vector<std::string> extensions = registry.registeredExtensions();

    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".txt"), extensions.end());
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".exe"), extensions.end());
    for (const std::string &ext : extensions)
        EXPECT_TRUE(ext.size() > 1 && ext.front() == '.') << ext;
}

} // namespace
} // namespace vorin
