#include "rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

const char* const kDivisionByZero = "Floating point division by zero";
const char* const kInvalidOperation = "Invalid floating point operation";
const char* const kOverflow = "Floating point overflow";

} // namespace

long double RoundHalfEven(long double Value) {
    // nearbyint rounds in the current rounding mode, which is to-nearest-even unless
    // someone changed it; the mode is pinned here so the result never depends on that.
    const int Mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double Rounded = std::nearbyintl(Value);
    std::fesetround(Mode);
    return Rounded;
}

int32_t RoundToInt32(double Value) {
    if (std::isnan(Value))
        throw EMathError(kInvalidOperation);
    const long double Rounded = RoundHalfEven(Value);
    if (!(Rounded >= std::numeric_limits<int32_t>::min() && Rounded <= std::numeric_limits<int32_t>::max()))
        throw EMathError(kOverflow);
    return static_cast<int32_t>(Rounded);
}

int64_t RoundToInt64(long double Value) {
    if (std::isnan(Value))
        return 0;
    const long double Rounded = RoundHalfEven(Value);
    if (Rounded >= 9223372036854775808.0L)
        return std::numeric_limits<int64_t>::max();
    if (Rounded < -9223372036854775808.0L)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(Rounded);
}

int32_t HeightForWidth(int32_t Width, double AspectRatio) {
    if (AspectRatio == 0)
        throw EMathError(kDivisionByZero);
    return RoundToInt32(Width / AspectRatio);
}

int32_t WidthForHeight(int32_t Height, double AspectRatio) {
    return RoundToInt32(Height * AspectRatio);
}
