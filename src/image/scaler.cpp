#include "scaler.h"

#include <algorithm>
#include <cstddef>
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

// Rounds the four 16.16 sums of a pixel to bytes, stores them at Out and returns the next pixel's
// place.
__attribute__((target("sse4.1"))) inline std::uint8_t* StoreRounded(__m128i Sum, __m128i Round, std::uint8_t* Out) {
    Sum = _mm_srli_epi32(_mm_add_epi32(Sum, Round), 16);
    const __m128i Bytes = _mm_packus_epi16(_mm_packus_epi32(Sum, Sum), Sum);
    const int Pixel = _mm_cvtsi128_si32(Bytes);
    std::memcpy(Out, &Pixel, 4);
    return Out + 4;
}

// The same arithmetic on the four bytes of a 32-bit pixel at once: every product and sum
// is the portable one, in 32-bit lanes, so the results are identical.
__attribute__((target("sse4.1"))) void Sse41Row32(const std::uint8_t* R1, const std::uint8_t* R2,
                                                   std::uint32_t FY, const TColumn* Columns, int Count,
                                                   std::uint8_t* Out) {
    const std::uint32_t IFY = 65536 - FY;
    const __m128i Round = _mm_set1_epi32(static_cast<int>(kRound));
    if (FY == 0) {
        // On a source row exactly (a height that is kept): the lower row's weights are 0, and
        // leaving out its terms changes no sum.
        for (const TColumn* Column = Columns; Column != Columns + Count; ++Column) {
            const std::uint32_t W12 = Column->FX;
            const std::uint32_t W11 = 65536 - W12;
            __m128i Sum = _mm_mullo_epi32(Load(R1 + Column->Left), _mm_set1_epi32(static_cast<int>(W11)));
            Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R1 + Column->Right), _mm_set1_epi32(static_cast<int>(W12))));
            Out = StoreRounded(Sum, Round, Out);
        }
        return;
    }
    for (const TColumn* Column = Columns; Column != Columns + Count; ++Column) {
        const std::uint32_t W12 = (IFY * Column->FX) >> 16;
        const std::uint32_t W11 = IFY - W12;
        const std::uint32_t W22 = (FY * Column->FX) >> 16;
        const std::uint32_t W21 = FY - W22;
        __m128i Sum = _mm_mullo_epi32(Load(R1 + Column->Left), _mm_set1_epi32(static_cast<int>(W11)));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R1 + Column->Right), _mm_set1_epi32(static_cast<int>(W12))));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R2 + Column->Left), _mm_set1_epi32(static_cast<int>(W21))));
        Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Load(R2 + Column->Right), _mm_set1_epi32(static_cast<int>(W22))));
        Out = StoreRounded(Sum, Round, Out);
    }
}
#endif

using TRowKernel = void (*)(const std::uint8_t*, const std::uint8_t*, std::uint32_t, const TColumn*, int,
                            std::uint8_t*);

// Rows of pixels as the bilinear step reads them: a TFastDIB, or the box step's result.
struct TPlane {
    const std::uint8_t* Bits;
    std::ptrdiff_t Stride;
    int Width;
    int Height;
    const std::uint8_t* Row(int i) const { return Bits + Stride * i; }
};

TPlane PlaneOf(const TFastDIB& Image) {
    return {Image.Bits(), Image.BWidth(), Image.Width(), Image.AbsHeight()};
}

template <int PixelBytes> void BilinearBytes(const TPlane& Src, TFastDIB& Dst, TRowKernel Row) {
    const int SrcWidth = Src.Width;
    const int SrcHeight = Src.Height;
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
        Row(Src.Row(iy), Src.Row(iy2), FY, Columns.data(), DstWidth, Dst.Scanlines()[j]);
    }
}

// Reductions by more than 2x.
//
// Four taps per pixel only see every source pixel while the reduction is at most 2x; beyond that
// the bilinear step skips rows and columns, and fine detail aliases into moire. Such a side is
// reduced by area averaging instead: destination pixel j covers source pixels j*r to (j+1)*r
// (r the reduction; the same centred grid as the bilinear step), each source pixel weighted by how
// much of it lies inside. A side reduced by 2x or less keeps its size in this step (one tap of
// weight 1) and is left to the bilinear one.
//
// Weights are 14-bit fractions adding up to exactly 1. The vertical pass keeps 8 bits below the
// byte, the horizontal pass rounds once at the end; all in 32-bit arithmetic, the same in the
// portable and the vector kernels, so that both give the same bytes.
constexpr int kAreaBits = 14;
constexpr std::uint32_t kAreaOne = 1u << kAreaBits;
constexpr int kMidShift = kAreaBits - 8; // vertical sums keep 8 fractional bits (at most 65280)
constexpr int kOutShift = kAreaBits + 8;
constexpr std::uint32_t kMidRound = 1u << (kMidShift - 1);
constexpr std::uint32_t kOutRound = 1u << (kOutShift - 1);

bool AreaReduces(int Src, int Dst) { return Src > 2 * Dst; }

// The taps of every destination pixel of one side: source pixels First[j] onwards, weights
// Weights[Offset[j]] onwards, Count[j] of them.
struct TAreaTaps {
    std::vector<int> First, Count, Offset;
    std::vector<std::uint32_t> Weights;
};

TAreaTaps AreaTaps(int Src, int Dst) {
    TAreaTaps Taps;
    // Positions scaled by Dst, so that all are whole numbers: destination pixel j covers
    // [j * Src, (j + 1) * Src), source pixel i is [i * Dst, (i + 1) * Dst).
    for (int j = 0; j < Dst; ++j) {
        const std::int64_t Low = static_cast<std::int64_t>(j) * Src;
        const std::int64_t High = Low + Src;
        const int I0 = static_cast<int>(Low / Dst);
        const int I1 = static_cast<int>((High - 1) / Dst);
        Taps.First.push_back(I0);
        Taps.Count.push_back(I1 - I0 + 1);
        Taps.Offset.push_back(static_cast<int>(Taps.Weights.size()));
        // Each weight is the step between the rounded running totals of the overlaps, so that
        // the weights add up to exactly 1 (flat areas stay exactly flat) and none is negative.
        std::int64_t Covered = 0;
        std::uint32_t Before = 0;
        for (int i = I0; i <= I1; ++i) {
            Covered += std::min<std::int64_t>(High, static_cast<std::int64_t>(i + 1) * Dst) -
                       std::max<std::int64_t>(Low, static_cast<std::int64_t>(i) * Dst);
            const auto Total = static_cast<std::uint32_t>((Covered * kAreaOne + Src / 2) / Src);
            Taps.Weights.push_back(Total - Before);
            Before = Total;
        }
    }
    return Taps;
}

// One destination row of the horizontal pass: Mid holds a row of vertical sums, PixelBytes
// values per source pixel.
using TAreaKernel = void (*)(const std::uint16_t* Mid, const TAreaTaps& Taps, std::uint8_t* Out);

template <int PixelBytes> void PortableAreaRow(const std::uint16_t* Mid, const TAreaTaps& Taps, std::uint8_t* Out) {
    const std::size_t Count = Taps.First.size();
    for (std::size_t j = 0; j < Count; ++j) {
        const std::uint16_t* P = Mid + static_cast<std::size_t>(Taps.First[j]) * PixelBytes;
        const std::uint32_t* W = Taps.Weights.data() + Taps.Offset[j];
        for (int c = 0; c < PixelBytes; ++c) {
            std::uint32_t Sum = kOutRound;
            for (int t = 0; t < Taps.Count[j]; ++t)
                Sum += W[t] * P[t * PixelBytes + c];
            Out[c] = static_cast<std::uint8_t>(Sum >> kOutShift);
        }
        Out += PixelBytes;
    }
}

// One row of the vertical pass: source rows First to First + Count - 1, weighted by W, summed into
// Mid (RowBytes values, 8 bits below the byte). Sums is scratch of RowBytes values.
using TDownKernel = void (*)(const TPlane& Src, const std::uint32_t* W, int First, int Count, std::size_t RowBytes,
                             std::uint32_t* Sums, std::uint16_t* Mid);

void PortableDownRow(const TPlane& Src, const std::uint32_t* W, int First, int Count, std::size_t RowBytes,
                     std::uint32_t* Sums, std::uint16_t* Mid) {
    const std::uint8_t* Line = Src.Row(First);
    for (std::size_t b = 0; b < RowBytes; ++b)
        Sums[b] = W[0] * Line[b] + kMidRound;
    for (int t = 1; t < Count; ++t) {
        Line = Src.Row(First + t);
        const std::uint32_t Weight = W[t];
        for (std::size_t b = 0; b < RowBytes; ++b)
            Sums[b] += Weight * Line[b];
    }
    for (std::size_t b = 0; b < RowBytes; ++b)
        Mid[b] = static_cast<std::uint16_t>(Sums[b] >> kMidShift);
}

#if defined(__x86_64__) || defined(__i386__)
// The vertical pass 16 bytes at a time, two source rows per step: the bytes of both rows are
// interleaved as 16-bit values and multiplied with their weights pairwise (a weight is at most
// 2^14, a byte at most 255, so both fit a signed 16-bit lane and their products and sums fit 32
// bits). The sums stay in registers over all the taps. Exact integer arithmetic, as the portable
// pass does it.
__attribute__((target("sse4.1"))) void Sse41DownRow(const TPlane& Src, const std::uint32_t* W, int First, int Count,
                                                    std::size_t RowBytes, std::uint32_t* Sums, std::uint16_t* Mid) {
    const __m128i Zero = _mm_setzero_si128();
    const __m128i Round = _mm_set1_epi32(static_cast<int>(kMidRound));
    std::size_t b = 0;
    for (; b + 16 <= RowBytes; b += 16) {
        __m128i S0 = Round, S1 = Round, S2 = Round, S3 = Round;
        for (int t = 0; t < Count; t += 2) {
            const bool Pair = t + 1 < Count;
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src.Row(First + t) + b));
            const __m128i B =
                Pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src.Row(First + t + 1) + b)) : Zero;
            const __m128i Weights = _mm_set1_epi32(static_cast<int>(W[t] | (Pair ? W[t + 1] << 16 : 0u)));
            const __m128i ALow = _mm_unpacklo_epi8(A, Zero), AHigh = _mm_unpackhi_epi8(A, Zero);
            const __m128i BLow = _mm_unpacklo_epi8(B, Zero), BHigh = _mm_unpackhi_epi8(B, Zero);
            S0 = _mm_add_epi32(S0, _mm_madd_epi16(_mm_unpacklo_epi16(ALow, BLow), Weights));
            S1 = _mm_add_epi32(S1, _mm_madd_epi16(_mm_unpackhi_epi16(ALow, BLow), Weights));
            S2 = _mm_add_epi32(S2, _mm_madd_epi16(_mm_unpacklo_epi16(AHigh, BHigh), Weights));
            S3 = _mm_add_epi32(S3, _mm_madd_epi16(_mm_unpackhi_epi16(AHigh, BHigh), Weights));
        }
        const __m128i Low = _mm_packus_epi32(_mm_srli_epi32(S0, kMidShift), _mm_srli_epi32(S1, kMidShift));
        const __m128i High = _mm_packus_epi32(_mm_srli_epi32(S2, kMidShift), _mm_srli_epi32(S3, kMidShift));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Mid + b), Low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Mid + b + 8), High);
    }
    if (b < RowBytes) {
        // The last few bytes of a row, one by one.
        const TPlane Rest{Src.Bits + b, Src.Stride, Src.Width, Src.Height};
        PortableDownRow(Rest, W, First, Count, RowBytes - b, Sums, Mid + b);
    }
}

__attribute__((target("sse4.1"))) void Sse41AreaRow32(const std::uint16_t* Mid, const TAreaTaps& Taps,
                                                       std::uint8_t* Out) {
    const std::size_t Count = Taps.First.size();
    const __m128i Round = _mm_set1_epi32(static_cast<int>(kOutRound));
    for (std::size_t j = 0; j < Count; ++j) {
        const std::uint16_t* P = Mid + static_cast<std::size_t>(Taps.First[j]) * 4;
        const std::uint32_t* W = Taps.Weights.data() + Taps.Offset[j];
        __m128i Sum = Round;
        for (int t = 0; t < Taps.Count[j]; ++t) {
            const __m128i Pixel = _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(P + 4 * t)));
            Sum = _mm_add_epi32(Sum, _mm_mullo_epi32(Pixel, _mm_set1_epi32(static_cast<int>(W[t]))));
        }
        Sum = _mm_srli_epi32(Sum, kOutShift);
        const __m128i Bytes = _mm_packus_epi16(_mm_packus_epi32(Sum, Sum), Sum);
        const int Pixel = _mm_cvtsi128_si32(Bytes);
        std::memcpy(Out, &Pixel, 4);
        Out += 4;
    }
}
#endif

// Memory of the area step, kept per thread from one image to the next (a job scales every frame
// from the same size to the same size).
struct TAreaScratch {
    int SrcWidth = 0, SrcHeight = 0, Width = 0, Height = 0;
    TAreaTaps Columns, Rows;
    std::vector<std::uint32_t> Sums;
    std::vector<std::uint16_t> Mid;
    std::vector<std::uint8_t> Pixels;
};

TAreaScratch& AreaScratch(int SrcWidth, int SrcHeight, int Width, int Height) {
    thread_local TAreaScratch Scratch;
    if (Scratch.SrcWidth != SrcWidth || Scratch.SrcHeight != SrcHeight || Scratch.Width != Width ||
        Scratch.Height != Height) {
        Scratch.Columns = AreaTaps(SrcWidth, Width);
        Scratch.Rows = AreaTaps(SrcHeight, Height);
        Scratch.SrcWidth = SrcWidth;
        Scratch.SrcHeight = SrcHeight;
        Scratch.Width = Width;
        Scratch.Height = Height;
    }
    return Scratch;
}

// Area-averages Src into Width x Height pixels at Out, rows Stride apart.
template <int PixelBytes>
void AreaShrink(const TPlane& Src, TAreaScratch& S, std::uint8_t* Out, std::ptrdiff_t Stride, TDownKernel Down,
                TAreaKernel Across) {
    const std::size_t RowBytes = static_cast<std::size_t>(Src.Width) * PixelBytes;
    S.Sums.resize(RowBytes);
    S.Mid.resize(RowBytes);
    // A side that keeps its size has one tap of weight 1 per pixel: the horizontal pass is then
    // only the final rounding, (Mid * 2^14 + 2^21) >> 22 = (Mid + 128) >> 8, done byte by byte.
    const bool AcrossKept = S.Width == Src.Width;
    for (int j = 0; j < S.Height; ++j) {
        Down(Src, S.Rows.Weights.data() + S.Rows.Offset[j], S.Rows.First[j], S.Rows.Count[j], RowBytes,
             S.Sums.data(), S.Mid.data());
        std::uint8_t* Row = Out + Stride * j;
        if (AcrossKept) {
            const std::uint16_t* Mid = S.Mid.data();
            for (std::size_t b = 0; b < RowBytes; ++b)
                Row[b] = static_cast<std::uint8_t>((Mid[b] + 128u) >> 8);
        } else {
            Across(S.Mid.data(), S.Columns, Row);
        }
    }
}

// The kernels one scale runs on: the vector ones for 32-bit pixels where the processor has them,
// the portable ones otherwise.
struct TKernels {
    TRowKernel Row;
    TDownKernel Down;
    TAreaKernel Across;
};

template <int PixelBytes>
constexpr TKernels kPortable{PortableRow<PixelBytes>, PortableDownRow, PortableAreaRow<PixelBytes>};

// Scales Src into Dst: the area step for sides reduced by more than 2x, then the bilinear one for
// whatever is left.
template <int PixelBytes> void Resize(const TPlane& Src, TFastDIB& Dst, const TKernels& K) {
    const bool AcrossReduced = AreaReduces(Src.Width, Dst.Width());
    const bool DownReduced = AreaReduces(Src.Height, Dst.AbsHeight());
    if (!AcrossReduced && !DownReduced) {
        BilinearBytes<PixelBytes>(Src, Dst, K.Row);
        return;
    }
    const int Width = AcrossReduced ? Dst.Width() : Src.Width;
    const int Height = DownReduced ? Dst.AbsHeight() : Src.Height;
    TAreaScratch& S = AreaScratch(Src.Width, Src.Height, Width, Height);
    // Both sides reduced by more than 2x: the area step alone makes the thumbnail.
    if (Width == Dst.Width() && Height == Dst.AbsHeight()) {
        AreaShrink<PixelBytes>(Src, S, Dst.Bits(), Dst.BWidth(), K.Down, K.Across);
        return;
    }
    const std::ptrdiff_t Stride = static_cast<std::ptrdiff_t>(Width) * PixelBytes;
    S.Pixels.resize(static_cast<std::size_t>(Stride) * Height);
    AreaShrink<PixelBytes>(Src, S, S.Pixels.data(), Stride, K.Down, K.Across);
    BilinearBytes<PixelBytes>(TPlane{S.Pixels.data(), Stride, Width, Height}, Dst, K.Row);
}

const TKernels& Kernels32() {
#if defined(__x86_64__) || defined(__i386__)
    static const TKernels Vector{Sse41Row32, Sse41DownRow, Sse41AreaRow32};
    static const bool HasVector = __builtin_cpu_supports("sse4.1");
    return HasVector ? Vector : kPortable<4>;
#else
    return kPortable<4>;
#endif
}

} // namespace

void Bilinear32(const TFastDIB& Src, TFastDIB& Dst) {
    Resize<4>(PlaneOf(Src), Dst, Kernels32());
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
        Resize<3>(PlaneOf(Src), Dst, kPortable<3>);
        break;
    case 8:
        Resize<1>(PlaneOf(Src), Dst, kPortable<1>);
        break;
    default: // 16 bits (packed channels) and palette depths are not scaled
        break;
    }
}
