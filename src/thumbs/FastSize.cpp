#include "FastSize.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t kOne = 65536; // 1.0 in 16.16 fixed point
constexpr std::int64_t kHalf = 32768;
constexpr std::uint32_t kRound = 32768; // half of the final division, so that it rounds half up

// PixelBytes bytes per pixel, each interpolated on its own. Positions are kept in 64 bits: they start
// half a step left of the first source pixel (a negative value) and must not wrap around to a huge
// index, and 64 bits also keep sources wider than 32767 pixels from overflowing. Weights and sums stay
// in 32 bits, where they always fit (the weights add up to 65536, a byte is at most 255).
template <int PixelBytes> void BilinearBytes(const TFastDIB& Src, TFastDIB& Dst) {
    const int SrcWidth = Src.Width();
    const int SrcHeight = Src.AbsHeight();
    const int DstWidth = Dst.Width();
    const int DstHeight = Dst.AbsHeight();
    const std::int64_t StepX = SrcWidth * kOne / DstWidth;
    const std::int64_t StepY = SrcHeight * kOne / DstHeight;

    // The sample grids are centred: destination row j reads source row (j + 1/2) * StepY - 1/2.
    // The last sample always lies left of (above) the last source column (row), so ix and iy never
    // pass the edge; only their right-hand (lower) neighbour has to be clamped.
    // The columns are the same for every row: worked out once.
    struct TColumn {
        int Left;  // byte offset of source column ix
        int Right; // byte offset of source column ix2
        std::uint32_t FX;
    };
    std::vector<TColumn> Columns(static_cast<std::size_t>(DstWidth));
    std::int64_t X = StepX / 2 - kHalf;
    for (TColumn& Column : Columns) {
        int ix = 0;
        Column.FX = 0;
        if (X >= 0) {
            ix = static_cast<int>(X >> 16);
            Column.FX = static_cast<std::uint32_t>(X & 0xFFFF);
        }
        const int ix2 = ix < SrcWidth - 1 ? ix + 1 : ix;
        Column.Left = ix * PixelBytes;
        Column.Right = ix2 * PixelBytes;
        X += StepX;
    }

    std::int64_t Y = StepY / 2 - kHalf;
    for (int j = 0; j < DstHeight; ++j, Y += StepY) {
        int iy = 0;
        std::uint32_t FY = 0;
        if (Y >= 0) {
            iy = static_cast<int>(Y >> 16);
            FY = static_cast<std::uint32_t>(Y & 0xFFFF);
        }
        const std::uint32_t IFY = 65536 - FY;
        const int iy2 = iy < SrcHeight - 1 ? iy + 1 : iy;
        const std::uint8_t* R1 = Src.Scanlines()[iy];
        const std::uint8_t* R2 = Src.Scanlines()[iy2];
        std::uint8_t* Out = Dst.Scanlines()[j];

        for (const TColumn& Column : Columns) {
            const std::uint32_t W12 = (IFY * Column.FX) >> 16;
            const std::uint32_t W11 = IFY - W12;
            const std::uint32_t W22 = (FY * Column.FX) >> 16;
            const std::uint32_t W21 = FY - W22;
            const std::uint8_t* P11 = R1 + Column.Left;
            const std::uint8_t* P12 = R1 + Column.Right;
            const std::uint8_t* P21 = R2 + Column.Left;
            const std::uint8_t* P22 = R2 + Column.Right;
            for (int c = 0; c < PixelBytes; ++c)
                Out[c] = static_cast<std::uint8_t>(
                    (P11[c] * W11 + P12[c] * W12 + P21[c] * W21 + P22[c] * W22 + kRound) >> 16);
            Out += PixelBytes;
        }
    }
}

} // namespace

void Bilinear32(const TFastDIB& Src, TFastDIB& Dst) {
    BilinearBytes<4>(Src, Dst);
}

void Bilinear(const TFastDIB& Src, TFastDIB& Dst) {
    if (Src.Width() == 0 || Src.AbsHeight() == 0 || Dst.Width() == 0 || Dst.AbsHeight() == 0)
        return;
    // Reading the source at the destination's pixel size would run past the end of its rows when the
    // source has fewer bits per pixel; scaling between depths is not a thing this scaler does.
    if (Src.Bpp() != Dst.Bpp())
        return;
    switch (Dst.Bpp()) {
    case 32:
        Bilinear32(Src, Dst);
        break;
    case 24:
        BilinearBytes<3>(Src, Dst);
        break;
    case 8:
        BilinearBytes<1>(Src, Dst);
        break;
    default: // 16 bits (packed channels) and palette depths are not scaled
        break;
    }
}
