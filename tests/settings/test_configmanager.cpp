#include "configManager.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

TEST(ConfigManager, StartsAt400By225Locked) {
    const TConfigManager Config;
    EXPECT_EQ(Config.Width, 400);
    EXPECT_EQ(Config.Height, 225);
    EXPECT_TRUE(Config.Constrain);
}

TEST(ConfigManager, SizeFromAVideoRoundsHalfToEven) {
    struct TCase {
        int32_t Width;
        double AspectRatio;
        int32_t Height;
    };
    const TCase Cases[] = {
        {1920, 16.0 / 9.0, 1080}, {720, 4.0 / 3.0, 540}, {853, 16.0 / 9.0, 480}, {5, 2.0, 2}, {7, 2.0, 4},
        {0, 16.0 / 9.0, 0},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(HeightForWidth(Case.Width, Case.AspectRatio), Case.Height)
            << Case.Width << " / " << Case.AspectRatio;
    EXPECT_EQ(WidthForHeight(100, 16.0 / 9.0), 178);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
}

TEST(ConfigManager, RoundingIgnoresTheCallersRoundingMode) {
    const int Mode = std::fegetround();
    std::fesetround(FE_UPWARD);
    const int32_t Rounded = RoundToInt32(2.5);
    const bool ModeKept = std::fegetround() == FE_UPWARD;
    std::fesetround(Mode);
    EXPECT_EQ(Rounded, 2);
    EXPECT_TRUE(ModeKept);
}

// A broken ratio must give an error, never a size made from infinity or not-a-number.
TEST(ConfigManager, RatioWithoutAUsableResultRaises) {
    EXPECT_THROW(HeightForWidth(400, 0.0), EMathError);
    EXPECT_THROW(HeightForWidth(0, 0.0), EMathError);
    EXPECT_THROW(HeightForWidth(400, std::nan("")), EMathError);
    EXPECT_THROW(WidthForHeight(99999, 1e9), EMathError);
    EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::infinity()), EMathError);
    EXPECT_THROW(RoundToInt32(2147483647.5), EMathError) << "rounds to 2^31, one past the largest";
    EXPECT_EQ(RoundToInt32(-2147483648.4), std::numeric_limits<int32_t>::min());
}
