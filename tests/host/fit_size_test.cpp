#include <gtest/gtest.h>
#include "ui/fit_size.h"

namespace {
struct Fit {
    bool ok;
    uint32_t width, height;
};
Fit fit(uint32_t pw, uint32_t ph, uint32_t cw, uint32_t ch, uint32_t wl = 0xFFFFFFFF,
        uint32_t hl = 0xFFFFFFFF)
{
    Fit f = {false, 0xDEAD, 0xDEAD};
    f.ok = fit_size(pw, ph, cw, ch, wl, hl, &f.width, &f.height);
    return f;
}
} // namespace

TEST(FitSize, KeepsTheAspectRatioOfTheBanner)
{
    Fit wide = fit(450, 75, 339, 78); // 75 * 339 / 450 = 56.5: fits under 78
    ASSERT_TRUE(wide.ok);
    EXPECT_EQ(wide.width, 339u);
    EXPECT_EQ(wide.height, 56u);

    Fit flat = fit(450, 75, 600, 50); // full width would be 100 tall
    ASSERT_TRUE(flat.ok);
    EXPECT_EQ(flat.width, 300u);
    EXPECT_EQ(flat.height, 50u);
}

TEST(FitSize, LimitsCutTheTargetAndProductsDoNotOverflow)
{
    Fit limited = fit(450, 75, 600, 600, 90, 0xFFFFFFFF);
    EXPECT_EQ(limited.width, 90u);
    EXPECT_EQ(limited.height, 15u);

    Fit huge = fit(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE);
    ASSERT_TRUE(huge.ok);
    EXPECT_EQ(huge.width, 0xFFFFFFFEu);
    EXPECT_EQ(huge.height, 0xFFFFFFFEu);

    // Full width would be taller than 32 bits can say.
    Fit needle = fit(1, 0xFFFFFFFF, 0xFFFFFFFF, 5);
    EXPECT_EQ(needle.width, 0u);
    EXPECT_EQ(needle.height, 5u);
}

TEST(FitSize, APictureWithoutAreaIsRefused)
{
    EXPECT_FALSE(fit(0, 75, 339, 78).ok);
    EXPECT_FALSE(fit(450, 0, 339, 78).ok);
    Fit empty_client = fit(450, 75, 0, 0);
    ASSERT_TRUE(empty_client.ok);
    EXPECT_EQ(empty_client.width, 0u);
    EXPECT_EQ(empty_client.height, 0u);
}
