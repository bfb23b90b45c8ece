// The settings holder: the thumbnail size that generation uses and whether the size
// dialog starts with its proportion lock ticked. The main window controller owns the one
// instance, overwrites it from each newly opened video, hands it to the size dialog and
// copies width and height into each generation job. Nothing is loaded or stored: every
// start begins from 400 x 225, locked. Its users read and write the fields directly.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class TConfigManager {
public:
    TConfigManager() = default;

    int32_t Width = 400;
    int32_t Height = 225;
    bool Constrain = true;
};

// A floating-point operation that has no usable result: a division by zero, a result
// that is not a number, or one too large for the 32-bit field it goes into.
class EMathError : public std::runtime_error {
public:
    explicit EMathError(const std::string& Message) : std::runtime_error(Message) {}
};

// Round to the nearest integer with an exact half going to the even neighbour (2.5 gives
// 2, 3.5 gives 4). EMathError when Value is not a number, infinite or outside 32 bits,
// so a bad ratio never turns into a wrapped-around size.
int32_t RoundToInt32(double Value);

// The height that keeps AspectRatio (width / height) with Width, and the width that keeps
// it with Height. EMathError for a ratio of 0, and for any result RoundToInt32 refuses.
int32_t HeightForWidth(int32_t Width, double AspectRatio);
int32_t WidthForHeight(int32_t Height, double AspectRatio);
