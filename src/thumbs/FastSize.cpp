#include "FastSize.h"

#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr std::int64_t kOne = 65536; // 1.0 in 16.16 fixed point
constexpr std::int64_t kHalf = 32768;
constexpr std::uint32_t kRound = 32768; // half of the final division, so that it rounds half up

// PixelBytes bytes per pixel, each interpolated on its own. Positions are kept in 64 bits: they start
// half a step left of the first source pixel (a negative value) and must not wrap around to a huge
// index, and 64 bits also keep sources wider than 32767 pixels from overflowing. Weights and sums stay
// in 32 bits, where they always fit (the weights add up to 65536, a byte is at most 255).
struct TColumn {
    int Left;  // byte offset of source column ix
    int Right; // byte offset of source column ix2
    std::uint32_t FX;
};

// One destination row from source rows R1 and R2 (FY the weight of R2), pixel by pixel and
// byte by byte.
template <int PixelBytes>
void PortableRow(const std::uint8_t* R1, const std::uint8_t* R2, std::uint32_t FY, const TColumn* Columns,
                 int Count, std::uint8_t* Out) {
    const std::uint32_t IFY = 65536 - FY;
    for (const TColumn* Column = Columns; Column != Columns + Count; ++Column) {
        const std::uint32_t W12 = (IFY * Column->FX) >> 16;
        const std::uint32_t W11 = IFY - W12;
        const std::uint32_t W22 = (FY * Column->FX) >> 16;
        const std::uint32_t W21 = FY - W22;
        const std::uint8_t* P11 = R1 + Column->Left;
        const std::uint8_t* P12 = R1 + Column->Right;
        const std::uint8_t* P21 = R2 + Column->Left;
        const std::uint8_t* P22 = R2 + Column->Right;
        for (int c = 0; c < PixelBytes; ++c)
            Out[c] = static_cast<std::uint8_t>((P11[c] * W11 + P12[c] * W12 + P21[c] * W21 + P22[c] * W22 + kRound) >> 16);
        Out += PixelBytes;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The four bytes of a pixel, each in a 32-bit lane.
__attribute__((target("sse4.1"))) inline __m128i Load(const std::uint8_t* P) {
    int Pixel;
    std::memcpy(&Pixel, P, 4);
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(Pixel));
}

// The same arithmetic on the four bytes of a 32-bit pixel at once: every product and sum
// is the portable one, in 32-bit lanes, so the results are identical.
__attribute__((target("sse4.1"))) void Sse41Row32(const std::uint8_t* R1, const std::uint8_t* R2,
                                                   std::uint32_t FY, const TColumn* Columns, int Count,
                                                   std::uint8_t* Out) {
    const std::uint32_t IFY = 65536 - FY;
    const __m128i Round = _mm_set1_epi32(static_cast<int>(kRound));
    for (const TColumn* Column = Columns; Column != Columns + Count; ++Column) {
        const std::uint32_t W12 = (IFY * Column->FX) >> 16;
        const std::uint32_t W11 = IFY - W12;
        const std::uint32_t W22 = (FY * Column->FX) >> 16;
        const std::uint32_t W21 = FY - W22;
        __m128i Sum = _mm_mullo_epi32(Load(R1 + Column->Left), _mm_set1_epi32(static_cast<int>(W11)));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R1 + Column->Right), _mm_set1_epi32(static_cast<int>(W12))));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R2 + Column->Left), _mm_set1_epi32(static_cast<int>(W21))));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R2 + Column->Right), _mm_set1_epi32(static_cast<int>(W22))));
        Sum = _mm_srli_epi32(_mm_add_epi32(Sum, Round), 16);
        const __m128i Bytes = _mm_packus_epi16(_mm_packus_epi32(Sum, Sum), Sum);
        const int Pixel = _mm_cvtsi128_si32(Bytes);
        std::memcpy(Out, &Pixel, 4);
        Out += 4;
    }
}
#endif

using TRowKernel = void (*)(const std::uint8_t*, const std::uint8_t*, std::uint32_t, const TColumn*, int,
                            std::uint8_t*);

// PixelBytes bytes per pixel, each interpolated on its own. Positions are kept in 64 bits: they start
// half a step left of the first source pixel (a negative value) and must not wrap around to a huge
// index, and 64 bits also keep sources wider than 32767 pixels from overflowing. Weights and sums stay
// in 32 bits, where they always fit (the weights add up to 65536, a byte is at most 255).
template <int PixelBytes> void BilinearBytes(const TFastDIB& Src, TFastDIB& Dst, TRowKernel Row) {
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
        const int iy2 = iy < SrcHeight - 1 ? iy + 1 : iy;
        Row(Src.Scanlines()[iy], Src.Scanlines()[iy2], FY, Columns.data(), DstWidth, Dst.Scanlines()[j]);
    }
}

TRowKernel Row32() {
#if defined(__x86_64__) || defined(__i386__)
    static const TRowKernel Kernel = __builtin_cpu_supports("sse4.1") ? Sse41Row32 : PortableRow<4>;
    return Kernel;
#else
    return PortableRow<4>;
#endif
}

} // namespace

void Bilinear32(const TFastDIB& Src, TFastDIB& Dst) {
    BilinearBytes<4>(Src, Dst, Row32());
}

void Bilinear32Portable(const TFastDIB& Src, TFastDIB& Dst) {
    BilinearBytes<4>(Src, Dst, PortableRow<4>);
}

bool Bilinear32HasVectorPath() { return Row32() != &PortableRow<4>; }

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
        BilinearBytes<3>(Src, Dst, PortableRow<3>);
        break;
    case 8:
        BilinearBytes<1>(Src, Dst, PortableRow<1>);
        break;
    default: // 16 bits (packed channels) and palette depths are not scaled
        break;
    }
}
