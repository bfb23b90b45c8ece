// The program's one way of turning a floating-point value into an integer: the nearest
// integer, an exact half going to the even neighbour (2.5 gives 2, 3.5 gives 4), whatever
// rounding mode the calling thread has set. Sizes, slider positions, the video panel's
// letterbox and the generation job's frame counts all round through here. No Qt.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A floating-point operation that has no usable result: a division by zero, a result
// that is not a number, or one too large for the integer it goes into.
class EMathError : public std::runtime_error {
public:
    explicit EMathError(const std::string& Message) : std::runtime_error(Message) {}
};

// Value rounded half-to-even, still as a floating-point number (NaN and infinities pass
// through). The caller's rounding mode is set to nearest for the rounding and restored.
long double RoundHalfEven(long double Value);

// Rounded into 32 bits. EMathError when Value is not a number, infinite or outside 32
// bits, so a bad ratio never turns into a wrapped-around size.
int32_t RoundToInt32(double Value);

// Rounded into 64 bits; results beyond the 64-bit range saturate, NaN gives 0.
int64_t RoundToInt64(long double Value);

// The height that keeps AspectRatio (width / height) with Width, and the width that keeps
// it with Height. EMathError for a ratio of 0, and for any result RoundToInt32 refuses.
int32_t HeightForWidth(int32_t Width, double AspectRatio);
int32_t WidthForHeight(int32_t Height, double AspectRatio);
