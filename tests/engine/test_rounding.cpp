#include "engine/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

TEST(Rounding, SizeFromAVideoRoundsHalfToEven) {
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

TEST(Rounding, IgnoresTheCallersRoundingMode) {
    const int Mode = std::fegetround();
    std::fesetround(FE_UPWARD);
    const int32_t Rounded = RoundToInt32(2.5);
    const bool ModeKept = std::fegetround() == FE_UPWARD;
    std::fesetround(Mode);
    EXPECT_EQ(Rounded, 2);
    EXPECT_TRUE(ModeKept);

    // The same for every caller's mode and every form of the result.
    for (const int CallerMode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(CallerMode);
        const long double Half = RoundHalfEven(-3.5L);
        const int64_t Big = RoundToInt64(4503599627370497.5L);
        const int64_t Small = RoundToInt64(0.5L);
        std::fesetround(Mode);
        EXPECT_EQ(Half, -4.0L) << CallerMode;
        EXPECT_EQ(Big, 4503599627370498) << CallerMode;
        EXPECT_EQ(Small, 0) << CallerMode;
    }
}

TEST(Rounding, SixtyFourBitsSaturate) {
    EXPECT_EQ(RoundToInt64(1e30L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundToInt64(-1e30L), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(RoundToInt64(std::numeric_limits<long double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundToInt64(std::nanl("")), 0);
    EXPECT_EQ(RoundToInt64(9223372036854775807.0L), std::numeric_limits<int64_t>::max());
}

// A broken ratio must give an error, never a size made from infinity or not-a-number.
TEST(Rounding, RatioWithoutAUsableResultRaises) {
    EXPECT_THROW(HeightForWidth(400, 0.0), EMathError);
    EXPECT_THROW(HeightForWidth(0, 0.0), EMathError);
    EXPECT_THROW(HeightForWidth(400, std::nan("")), EMathError);
    EXPECT_THROW(WidthForHeight(99999, 1e9), EMathError);
    EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::infinity()), EMathError);
    EXPECT_THROW(RoundToInt32(2147483647.5), EMathError) << "rounds to 2^31, one past the largest";
    EXPECT_EQ(RoundToInt32(-2147483648.4), std::numeric_limits<int32_t>::min());
}
