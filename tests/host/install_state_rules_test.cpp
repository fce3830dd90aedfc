#include <gtest/gtest.h>
#include <string.h>
#include "driver/install_state_rules.h"

TEST(VersionLabel, DropsOneTrailingZero)
{
    struct { uint32_t version; const char *label; } cases[] = {
        {100, "v1.0"}, {105, "v1.05"}, {110, "v1.1"}, {123, "v1.23"},
        {0, "v0.0"}, {1, "v0.01"}, {10, "v0.1"}, {1000, "v10.0"},
        {0xFFFFFFFF, "v42949672.95"},
    };
    for (const auto &c : cases) {
        char label[VERSION_LABEL_SIZE];
        memset(label, 'S', sizeof label);
        ASSERT_TRUE(build_version_label(c.version, label, sizeof label)) << c.version;
        EXPECT_STREQ(label, c.label) << c.version;
    }
}

TEST(VersionLabel, RefusesABufferTooSmall)
{
    char label[5];
    EXPECT_TRUE(build_version_label(100, label, sizeof label)); // "v1.0" and the zero
    EXPECT_FALSE(build_version_label(105, label, sizeof label));
    EXPECT_EQ(strlen(label), 4u);
}

TEST(SetupMode, ComparesUnsignedAgainstTheBuild)
{
    EXPECT_EQ(classify_setup_mode(false, 100), SETUP_FRESH);
    EXPECT_EQ(classify_setup_mode(true, 0), SETUP_UPDATE);
    EXPECT_EQ(classify_setup_mode(true, 99), SETUP_UPDATE);
    EXPECT_EQ(classify_setup_mode(true, 100), SETUP_REINSTALL);
    EXPECT_EQ(classify_setup_mode(true, 101), SETUP_NEWER);
    EXPECT_EQ(classify_setup_mode(true, 0xFFFFFFFF), SETUP_NEWER);
}
