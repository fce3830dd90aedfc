#include <gtest/gtest.h>
#include <string>
#include "services/registry_path.h"

namespace {
struct Split {
    bool ok;
    std::string key, value;
};

Split split(const char *prefix, const char *path, size_t size = REGISTRY_PATH_SIZE)
{
    char buffer[REGISTRY_PATH_SIZE + 1];
    char *value_name = nullptr;
    bool ok = split_registry_path(buffer, size, prefix, path, &value_name);
    if (!ok)
        return {false, "", ""};
    return {true, buffer, value_name};
}
} // namespace

TEST(SplitRegistryPath, ProductKeyPaths)
{
    struct { const char *path, *key, *value; } cases[] = {
        {"\\ProgramDirectory", "Software\\Brimwave", "ProgramDirectory"},
        {"\\Sub\\Name", "Software\\Brimwave\\Sub", "Name"},
        {"\\", "Software\\Brimwave", ""},           // the product key's default value
        {"\\Sub\\", "Software\\Brimwave\\Sub", ""}, // a sub-key's default value
    };
    for (const auto &c : cases) {
        Split s = split("Software\\Brimwave", c.path);
        ASSERT_TRUE(s.ok) << c.path;
        EXPECT_EQ(s.key, c.key) << c.path;
        EXPECT_EQ(s.value, c.value) << c.path;
    }
}

TEST(SplitRegistryPath, FullPaths)
{
    Split s = split("", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(s.value, "ProgramFilesDir");

    s = split("", "SOFTWARE\\Brimwave\\");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.key, "SOFTWARE\\Brimwave");
    EXPECT_EQ(s.value, "");
}

TEST(SplitRegistryPath, RefusesNoSplitPointAndTooLongPaths)
{
    EXPECT_FALSE(split("", "ProgramFilesDir").ok);
    EXPECT_FALSE(split("", "").ok);

    // "Software\Brimwave" is 17 characters: a joined path of 255 fits with its zero.
    std::string fits = "\\" + std::string(237, 'v');
    EXPECT_TRUE(split("Software\\Brimwave", fits.c_str()).ok);
    std::string too_long = "\\" + std::string(238, 'v');
    EXPECT_FALSE(split("Software\\Brimwave", too_long.c_str()).ok);
}

TEST(TerminateRegistryText, AddsAZeroOnlyWhereThereIsRoom)
{
    char buffer[8] = {'C', ':', '\\', 'A', 'x', 'x', 'x', 'x'};
    ASSERT_TRUE(terminate_registry_text(buffer, sizeof buffer, 4));
    EXPECT_STREQ(buffer, "C:\\A");

    char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(terminate_registry_text(full, sizeof full, 4));
    char terminated[4] = {'a', 0, 'c', 'd'};
    EXPECT_TRUE(terminate_registry_text(terminated, sizeof terminated, 4));
    EXPECT_FALSE(terminate_registry_text(full, sizeof full, 5));
}
