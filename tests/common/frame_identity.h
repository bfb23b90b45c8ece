// Reads back the identity that the test videos draw into every frame: 16 columns, the
// upper half holding the bits of the frame index, the lower half those of the frame's
// whole second (white = 1). Works on any size the frame was scaled to, and survives JPEG.
#pragma once

#include <cstdint>
#include <functional>

struct TFrameIdentity {
    int Index;
    int Second;
};

// Pixel(X, Y) answers the brightness 0..255 at a point of a Width x Height picture.
inline TFrameIdentity ReadIdentity(int Width, int Height, const std::function<int(int, int)>& Pixel) {
    TFrameIdentity Id{0, 0};
    for (int Bit = 0; Bit < 16; ++Bit) {
        const int X = (2 * Bit + 1) * Width / 32;
        if (Pixel(X, Height / 4) > 128)
            Id.Index |= 1 << Bit;
        if (Pixel(X, 3 * Height / 4) > 128)
            Id.Second |= 1 << Bit;
    }
    return Id;
}

// The same for a top-row-first picture of 0x00RRGGBB words with stride 4 x Width.
inline TFrameIdentity ReadIdentity(const uint32_t* Pixels, int Width, int Height) {
    return ReadIdentity(Width, Height, [&](int X, int Y) {
        return static_cast<int>((Pixels[static_cast<size_t>(Y) * Width + X] >> 8) & 0xFF);
    });
}
