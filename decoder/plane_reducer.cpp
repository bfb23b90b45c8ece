#include "plane_reducer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

// Area weights are 14-bit fractions; the rows between the two passes keep 7 bits below the
// byte (at most 255 x 128, which fits a signed 16-bit number, as the vector code wants).
constexpr int kWeightBits = 14;
constexpr int kMidBits = 7;
constexpr int kMidShift = kWeightBits - kMidBits;
constexpr int kOutShift = kWeightBits + kMidBits;
// The horizontal pass takes its taps eight at a time.
constexpr int kTapBlock = 8;
// The vertical pass walks down a few rows at a time across the picture, which the processor
// does not see coming: each row is fetched this many bytes ahead.
constexpr int kAhead = 256;

// One row of the vertical pass: Count rows from Rows on, Stride apart, weighted by W, into Mid
// (Length values, kMidBits below the byte). Every version gives the same values.
using TWeightRows = void (*)(const uint8_t* Rows, ptrdiff_t Stride, const int16_t* W, int Count, int Length,
                             uint16_t* Mid);

// Two weights side by side, as the vector code multiplies pairs of 16-bit values with them.
inline int32_t PairOf(int16_t First, int16_t Second) {
    return static_cast<int32_t>(static_cast<uint16_t>(First) |
                                static_cast<uint32_t>(static_cast<uint16_t>(Second)) << 16);
}

void WeightRowsPortable(const uint8_t* Rows, ptrdiff_t Stride, const int16_t* W, int Count, int Length,
                        uint16_t* Mid) {
    for (int X = 0; X < Length; ++X) {
        int32_t Sum = 1 << (kMidShift - 1);
        const uint8_t* Row = Rows + X;
        for (int T = 0; T < Count; ++T, Row += Stride)
            Sum += W[T] * *Row;
        Mid[X] = static_cast<uint16_t>(Sum >> kMidShift);
    }
}

#ifdef __SSE2__
// Sixteen columns at a time, two rows per step: the bytes of both rows interleaved as 16-bit
// values and multiplied with their weights pairwise; the sums stay in registers over the rows.
void WeightRowsSse2(const uint8_t* Rows, ptrdiff_t Stride, const int16_t* W, int Count, int Length,
                    uint16_t* Mid) {
    const __m128i Zero = _mm_setzero_si128();
    const __m128i Round = _mm_set1_epi32(1 << (kMidShift - 1));
    int X = 0;
    for (; X + 16 <= Length; X += 16) {
        __m128i S0 = Round, S1 = Round, S2 = Round, S3 = Round;
        const uint8_t* Row = Rows + X;
        for (int T = 0; T < Count; T += 2, Row += 2 * Stride) {
            const bool Pair = T + 1 < Count;
            if ((X & 63) == 0) {
                _mm_prefetch(reinterpret_cast<const char*>(Row + kAhead), _MM_HINT_T0);
                if (Pair)
                    _mm_prefetch(reinterpret_cast<const char*>(Row + Stride + kAhead), _MM_HINT_T0);
            }
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row));
            const __m128i B = Pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + Stride)) : Zero;
            const __m128i Weights = _mm_set1_epi32(PairOf(W[T], Pair ? W[T + 1] : 0));
            const __m128i Low = _mm_unpacklo_epi8(A, B), High = _mm_unpackhi_epi8(A, B);
            S0 = _mm_add_epi32(S0, _mm_madd_epi16(_mm_unpacklo_epi8(Low, Zero), Weights));
            S1 = _mm_add_epi32(S1, _mm_madd_epi16(_mm_unpackhi_epi8(Low, Zero), Weights));
            S2 = _mm_add_epi32(S2, _mm_madd_epi16(_mm_unpacklo_epi8(High, Zero), Weights));
            S3 = _mm_add_epi32(S3, _mm_madd_epi16(_mm_unpackhi_epi8(High, Zero), Weights));
        }
        const __m128i Low = _mm_packs_epi32(_mm_srai_epi32(S0, kMidShift), _mm_srai_epi32(S1, kMidShift));
        const __m128i High = _mm_packs_epi32(_mm_srai_epi32(S2, kMidShift), _mm_srai_epi32(S3, kMidShift));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Mid + X), Low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Mid + X + 8), High);
    }
    WeightRowsPortable(Rows + X, Stride, W, Count, Length - X, Mid + X);
}
#endif

#if defined(__x86_64__) && defined(__SSE2__)
// The same with 32 columns at a time, where the processor has AVX2. The 256-bit instructions
// work in two halves: the unpacking and the packing are both per half, so the order comes out
// as it went in.
__attribute__((target("avx2"))) void WeightRowsAvx2(const uint8_t* Rows, ptrdiff_t Stride, const int16_t* W,
                                                    int Count, int Length, uint16_t* Mid) {
    const __m256i Round = _mm256_set1_epi32(1 << (kMidShift - 1));
    int X = 0;
    for (; X + 32 <= Length; X += 32) {
        __m256i S0 = Round, S1 = Round, S2 = Round, S3 = Round;
        const uint8_t* Row = Rows + X;
        for (int T = 0; T < Count; T += 2, Row += 2 * Stride) {
            const bool Pair = T + 1 < Count;
            if ((X & 63) == 0) {
                _mm_prefetch(reinterpret_cast<const char*>(Row + kAhead), _MM_HINT_T0);
                if (Pair)
                    _mm_prefetch(reinterpret_cast<const char*>(Row + Stride + kAhead), _MM_HINT_T0);
            }
            const __m256i Weights = _mm256_set1_epi32(PairOf(W[T], Pair ? W[T + 1] : 0));
            const __m256i A0 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row)));
            const __m256i A1 =
                _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + 16)));
            __m256i B0 = _mm256_setzero_si256(), B1 = _mm256_setzero_si256();
            if (Pair) {
                B0 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + Stride)));
                B1 = _mm256_cvtepu8_epi16(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + Stride + 16)));
            }
            S0 = _mm256_add_epi32(S0, _mm256_madd_epi16(_mm256_unpacklo_epi16(A0, B0), Weights));
            S1 = _mm256_add_epi32(S1, _mm256_madd_epi16(_mm256_unpackhi_epi16(A0, B0), Weights));
            S2 = _mm256_add_epi32(S2, _mm256_madd_epi16(_mm256_unpacklo_epi16(A1, B1), Weights));
            S3 = _mm256_add_epi32(S3, _mm256_madd_epi16(_mm256_unpackhi_epi16(A1, B1), Weights));
        }
        const __m256i Low =
            _mm256_packs_epi32(_mm256_srai_epi32(S0, kMidShift), _mm256_srai_epi32(S1, kMidShift));
        const __m256i High =
            _mm256_packs_epi32(_mm256_srai_epi32(S2, kMidShift), _mm256_srai_epi32(S3, kMidShift));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Mid + X), Low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Mid + X + 16), High);
    }
    WeightRowsSse2(Rows + X, Stride, W, Count, Length - X, Mid + X);
}
#endif

// A row of bytes as the vertical pass leaves its rows.
void WidenRow(const uint8_t* Row, int Length, uint16_t* Mid) {
    for (int X = 0; X < Length; ++X)
        Mid[X] = static_cast<uint16_t>(Row[X] << kMidBits);
}

// A row of the vertical pass as bytes, where the side across is not averaged.
void NarrowRow(const uint16_t* Mid, int Length, uint8_t* Out) {
    for (int X = 0; X < Length; ++X)
        Out[X] = static_cast<uint8_t>((Mid[X] + (1 << (kMidBits - 1))) >> kMidBits);
}

uint8_t RoundedOut(int32_t Total) {
    return static_cast<uint8_t>((Total + (1 << (kOutShift - 1))) >> kOutShift);
}

// One row of the horizontal pass: delivered pixel J from Taps weights on the samples of Mid
// from First[J] on (Taps a whole number of blocks; Mid readable that far).
void WeightColumnsPortable(const uint16_t* Mid, const int* First, const int16_t* Weights, int Taps, int Count,
                           uint8_t* Out) {
    for (int J = 0; J < Count; ++J) {
        const uint16_t* M = Mid + First[J];
        const int16_t* W = Weights + static_cast<size_t>(J) * Taps;
        int32_t Total = 0;
        for (int T = 0; T < Taps; ++T)
            Total += W[T] * M[T];
        Out[J] = RoundedOut(Total);
    }
}

#ifdef __SSE2__
void WeightColumnsSse2(const uint16_t* Mid, const int* First, const int16_t* Weights, int Taps, int Count,
                       uint8_t* Out) {
    const auto Dot = [&](int K) {
        const uint16_t* M = Mid + First[K];
        const int16_t* W = Weights + static_cast<size_t>(K) * Taps;
        __m128i Sum = _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(M)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(W)));
        for (int T = kTapBlock; T < Taps; T += kTapBlock)
            Sum =
                _mm_add_epi32(Sum, _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(M + T)),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(W + T))));
        return Sum;
    };
    // Four pixels at a time: their four partial sums each are added up crosswise.
    const __m128i Round = _mm_set1_epi32(1 << (kOutShift - 1));
    int J = 0;
    for (; J + 4 <= Count; J += 4) {
        const __m128i S0 = Dot(J), S1 = Dot(J + 1), S2 = Dot(J + 2), S3 = Dot(J + 3);
        const __m128i T0 = _mm_add_epi32(_mm_unpacklo_epi32(S0, S1), _mm_unpackhi_epi32(S0, S1));
        const __m128i T1 = _mm_add_epi32(_mm_unpacklo_epi32(S2, S3), _mm_unpackhi_epi32(S2, S3));
        __m128i Sum = _mm_add_epi32(_mm_unpacklo_epi64(T0, T1), _mm_unpackhi_epi64(T0, T1));
        Sum = _mm_srai_epi32(_mm_add_epi32(Sum, Round), kOutShift);
        const __m128i Words = _mm_packs_epi32(Sum, Sum);
        const int32_t Bytes = _mm_cvtsi128_si32(_mm_packus_epi16(Words, Words));
        std::memcpy(Out + J, &Bytes, 4);
    }
    WeightColumnsPortable(Mid, First + J, Weights + static_cast<size_t>(J) * Taps, Taps, Count - J, Out + J);
}
#endif

// One row of the bilinear step across: Out[X] is 128 x the value between samples Left[X] and
// Left[X] + 1 of Row (the same one at the row's end), Pairs[2X + 1] / 256 of the way, Pairs[2X]
// being 256 less that. From pixel Safe on, the next sample would lie past the row.
void AcrossPortable(const uint8_t* Row, const int* Left, const int16_t* Pairs, int Count, int Safe,
                    int Samples, int16_t* Out) {
    (void)Safe;
    for (int X = 0; X < Count; ++X) {
        const int L = Left[X], R = std::min(L + 1, Samples - 1);
        Out[X] = static_cast<int16_t>((Row[L] * Pairs[2 * X] + Row[R] * Pairs[2 * X + 1] + 1) >> 1);
    }
}

// A delivered row between two rows of the bilinear step across, Lower / 256 of the way down.
void BlendPortable(const int16_t* A, const int16_t* B, int Lower, int Count, uint8_t* Out) {
    const int Upper = 256 - Lower;
    for (int X = 0; X < Count; ++X)
        Out[X] = static_cast<uint8_t>((A[X] * Upper + B[X] * Lower + (1 << 14)) >> 15);
}

#ifdef __SSE2__
// Eight pixels at a time: each pixel's two samples are read as one 16-bit word, the eight words
// gathered into a vector and multiplied with their weights pairwise.
void AcrossSse2(const uint8_t* Row, const int* Left, const int16_t* Pairs, int Count, int Safe, int Samples,
                int16_t* Out) {
    const __m128i Zero = _mm_setzero_si128(), One = _mm_set1_epi32(1);
    const auto Word = [Row](int L) {
        uint16_t W;
        std::memcpy(&W, Row + L, 2);
        return static_cast<int>(W);
    };
    int X = 0;
    for (; X + 8 <= Safe; X += 8) {
        __m128i Samples2 = _mm_cvtsi32_si128(Word(Left[X]));
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 1]), 1);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 2]), 2);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 3]), 3);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 4]), 4);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 5]), 5);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 6]), 6);
        Samples2 = _mm_insert_epi16(Samples2, Word(Left[X + 7]), 7);
        const __m128i W0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Pairs + 2 * X));
        const __m128i W1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Pairs + 2 * X + 8));
        const __m128i Low = _mm_madd_epi16(_mm_unpacklo_epi8(Samples2, Zero), W0);
        const __m128i High = _mm_madd_epi16(_mm_unpackhi_epi8(Samples2, Zero), W1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + X),
                         _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(Low, One), 1),
                                         _mm_srai_epi32(_mm_add_epi32(High, One), 1)));
    }
    AcrossPortable(Row, Left + X, Pairs + 2 * X, Count - X, Safe - X, Samples, Out + X);
}

void BlendSse2(const int16_t* A, const int16_t* B, int Lower, int Count, uint8_t* Out) {
    const __m128i Weights =
        _mm_set1_epi32(PairOf(static_cast<int16_t>(256 - Lower), static_cast<int16_t>(Lower)));
    const __m128i Round = _mm_set1_epi32(1 << 14);
    int X = 0;
    for (; X + 8 <= Count; X += 8) {
        const __m128i RowA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(A + X));
        const __m128i RowB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(B + X));
        const __m128i Low = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(RowA, RowB), Weights), Round);
        const __m128i High = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(RowA, RowB), Weights), Round);
        const __m128i Words = _mm_packs_epi32(_mm_srai_epi32(Low, 15), _mm_srai_epi32(High, 15));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + X), _mm_packus_epi16(Words, Words));
    }
    BlendPortable(A + X, B + X, Lower, Count - X, Out + X);
}
#endif

uint8_t Clamp(int32_t V) {
    return static_cast<uint8_t>(V < 0 ? 0 : V > 255 ? 255 : V);
}

// One row of the conversion: Count pixels of Y, U and V to 0x00RRGGBB words.
void ConvertRowPortable(const uint8_t* Ys, const uint8_t* Us, const uint8_t* Vs, int Count,
                        const TYuvToRgb& C, uint32_t* Out) {
    constexpr int Bits = TYuvToRgb::kBits;
    constexpr int32_t Half = 1 << (Bits - 1);
    for (int X = 0; X < Count; ++X) {
        const int32_t Luma = (Ys[X] - C.Black) * C.Luma + Half;
        const int32_t U = Us[X] - 128, V = Vs[X] - 128;
        const uint32_t R = Clamp((Luma + C.RedV * V) >> Bits);
        const uint32_t G = Clamp((Luma - C.GreenU * U - C.GreenV * V) >> Bits);
        const uint32_t B = Clamp((Luma + C.BlueU * U) >> Bits);
        Out[X] = R << 16 | G << 8 | B;
    }
}

#ifdef __SSE2__
// Eight pixels at a time: each product pair of 16-bit values (Y' with V' for red, Y' with U'
// for blue and green, V' with 1 for green's rest and the rounding) adds up in 32 bits, and
// the packing to bytes clamps.
void ConvertRowSse2(const uint8_t* Ys, const uint8_t* Us, const uint8_t* Vs, int Count, const TYuvToRgb& C,
                    uint32_t* Out) {
    constexpr int Bits = TYuvToRgb::kBits;
    constexpr int32_t Half = 1 << (Bits - 1);
    const __m128i Zero = _mm_setzero_si128();
    const __m128i Black = _mm_set1_epi16(static_cast<int16_t>(C.Black)), Middle = _mm_set1_epi16(128);
    const __m128i One = _mm_set1_epi16(1), Round = _mm_set1_epi32(Half);
    const auto Factors = [](int32_t A, int32_t B) {
        return _mm_set1_epi32(PairOf(static_cast<int16_t>(A), static_cast<int16_t>(B)));
    };
    const __m128i LumaRed = Factors(C.Luma, C.RedV), LumaBlue = Factors(C.Luma, C.BlueU);
    const __m128i LumaGreen = Factors(C.Luma, -C.GreenU), GreenRest = Factors(-C.GreenV, Half);
    const auto Load = [&](const uint8_t* P) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(P)), Zero);
    };
    const auto Channel = [&](__m128i Low, __m128i High) {
        const __m128i Words = _mm_packs_epi32(_mm_srai_epi32(Low, Bits), _mm_srai_epi32(High, Bits));
        return _mm_packus_epi16(Words, Words);
    };
    int X = 0;
    for (; X + 8 <= Count; X += 8) {
        const __m128i Y = _mm_sub_epi16(Load(Ys + X), Black);
        const __m128i U = _mm_sub_epi16(Load(Us + X), Middle);
        const __m128i V = _mm_sub_epi16(Load(Vs + X), Middle);
        const __m128i YVLow = _mm_unpacklo_epi16(Y, V), YVHigh = _mm_unpackhi_epi16(Y, V);
        const __m128i YULow = _mm_unpacklo_epi16(Y, U), YUHigh = _mm_unpackhi_epi16(Y, U);
        const __m128i V1Low = _mm_unpacklo_epi16(V, One), V1High = _mm_unpackhi_epi16(V, One);
        const __m128i R = Channel(_mm_add_epi32(_mm_madd_epi16(YVLow, LumaRed), Round),
                                  _mm_add_epi32(_mm_madd_epi16(YVHigh, LumaRed), Round));
        const __m128i B = Channel(_mm_add_epi32(_mm_madd_epi16(YULow, LumaBlue), Round),
                                  _mm_add_epi32(_mm_madd_epi16(YUHigh, LumaBlue), Round));
        const __m128i G =
            Channel(_mm_add_epi32(_mm_madd_epi16(YULow, LumaGreen), _mm_madd_epi16(V1Low, GreenRest)),
                    _mm_add_epi32(_mm_madd_epi16(YUHigh, LumaGreen), _mm_madd_epi16(V1High, GreenRest)));
        // Bytes B, G, R, 0 of each word: 0x00RRGGBB.
        const __m128i BG = _mm_unpacklo_epi8(B, G), R0 = _mm_unpacklo_epi8(R, Zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + X), _mm_unpacklo_epi16(BG, R0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + X + 4), _mm_unpackhi_epi16(BG, R0));
    }
    ConvertRowPortable(Ys + X, Us + X, Vs + X, Count - X, C, Out + X);
}
#endif

} // namespace

struct TPlaneKernels {
    TWeightRows Rows;
    void (*Across)(const uint8_t* Row, const int* Left, const int16_t* Pairs, int Count, int Safe,
                   int Samples, int16_t* Out);
    void (*Blend)(const int16_t* A, const int16_t* B, int Lower, int Count, uint8_t* Out);
    void (*Columns)(const uint16_t* Mid, const int* First, const int16_t* Weights, int Taps, int Count,
                    uint8_t* Out);
    void (*Convert)(const uint8_t* Ys, const uint8_t* Us, const uint8_t* Vs, int Count, const TYuvToRgb& C,
                    uint32_t* Out);
};

namespace {
constexpr TPlaneKernels kPortable{WeightRowsPortable, AcrossPortable, BlendPortable, WeightColumnsPortable,
                                  ConvertRowPortable};
#ifdef __SSE2__
constexpr TPlaneKernels kSse2{WeightRowsSse2, AcrossSse2, BlendSse2, WeightColumnsSse2, ConvertRowSse2};
#endif
#if defined(__x86_64__) && defined(__SSE2__)
constexpr TPlaneKernels kAvx2{WeightRowsAvx2, AcrossSse2, BlendSse2, WeightColumnsSse2, ConvertRowSse2};
#endif
} // namespace

TPlaneReducer::TInstructions TPlaneReducer::Best() {
#if defined(__x86_64__) && defined(__SSE2__)
    static const bool Avx2 = __builtin_cpu_supports("avx2");
    if (Avx2)
        return TInstructions::Avx2;
#endif
#ifdef __SSE2__
    return TInstructions::Sse2;
#else
    return TInstructions::Portable;
#endif
}

TPlaneReducer::TInstructions TPlaneReducer::Use(TInstructions Set) {
    Set = std::min(Set, Best());
    switch (Set) {
#if defined(__x86_64__) && defined(__SSE2__)
    case TInstructions::Avx2:
        FKernels = &kAvx2;
        break;
#endif
#ifdef __SSE2__
    case TInstructions::Sse2:
        FKernels = &kSse2;
        break;
#endif
    default:
        FKernels = &kPortable;
        Set = TInstructions::Portable;
        break;
    }
    return Set;
}

TYuvToRgb TYuvToRgb::FromTable(const int Table[4], bool FullRange) {
    // The table's chroma factors hold for limited range chroma (224 steps); full range chroma
    // has 255 steps, and full range luma is taken as it is instead of stretched from 219.
    const double Chroma = FullRange ? 224.0 / 255.0 : 1.0;
    const double One = 1 << kBits;
    TYuvToRgb C;
    C.Black = FullRange ? 0 : 16;
    C.Luma = static_cast<int32_t>(std::lround(One * (FullRange ? 1.0 : 255.0 / 219.0)));
    C.RedV = static_cast<int32_t>(std::lround(Table[0] * Chroma * One / 65536));
    C.BlueU = static_cast<int32_t>(std::lround(Table[1] * Chroma * One / 65536));
    C.GreenU = static_cast<int32_t>(std::lround(Table[2] * Chroma * One / 65536));
    C.GreenV = static_cast<int32_t>(std::lround(Table[3] * Chroma * One / 65536));
    return C;
}

bool TPlaneReducer::Shrinks(int Span, int Shift, int Delivered) {
    return Span > 2 * (static_cast<int64_t>(Delivered) << Shift);
}

void TPlaneReducer::PlanSide(TSide& S, bool Area, int Samples, int Span, int Shift, int Delivered) {
    // Positions in whole numbers: delivered pixel J covers [J x Span, (J + 1) x Span) and the
    // plane's sample I covers [I x Unit, (I + 1) x Unit), Span being the luma's size and a
    // sample of a subsampled plane standing for 1 << Shift luma samples.
    const int64_t Unit = static_cast<int64_t>(Delivered) << Shift;
    S = TSide{};
    S.Area = Area;
    if (S.Area) {
        std::vector<std::vector<int16_t>> Each(static_cast<size_t>(Delivered));
        for (int J = 0; J < Delivered; ++J) {
            const int64_t Low = static_cast<int64_t>(J) * Span, High = Low + Span;
            const int First = static_cast<int>(Low / Unit);
            const int Last = static_cast<int>(std::min<int64_t>((High - 1) / Unit, Samples - 1));
            S.First.push_back(First);
            S.Count.push_back(Last - First + 1);
            // Each weight is the step between the rounded running totals of the overlaps, so that
            // the weights add up to exactly 1 (flat areas stay flat) and none is negative.
            int64_t Covered = 0;
            int32_t Before = 0;
            for (int I = First; I <= Last; ++I) {
                Covered += std::min<int64_t>(High, (I + 1) * Unit) - std::max<int64_t>(Low, I * Unit);
                const auto Total = static_cast<int32_t>((Covered * (1 << kWeightBits) + Span / 2) / Span);
                Each[static_cast<size_t>(J)].push_back(static_cast<int16_t>(Total - Before));
                Before = Total;
            }
            S.Taps = std::max(S.Taps, Last - First + 1);
        }
        S.Taps = (S.Taps + kTapBlock - 1) / kTapBlock * kTapBlock;
        S.Weights.assign(static_cast<size_t>(Delivered) * S.Taps, 0);
        for (int J = 0; J < Delivered; ++J)
            std::copy(Each[static_cast<size_t>(J)].begin(), Each[static_cast<size_t>(J)].end(),
                      S.Weights.begin() + static_cast<ptrdiff_t>(J) * S.Taps);
        S.Exact = true;
        return;
    }
    S.Exact = Samples == Delivered && Span == Unit;
    if (S.Exact)
        return;
    // Pixel centres on the same grid: delivered pixel J at (J + 1/2) Span / Unit - 1/2 samples.
    for (int J = 0; J < Delivered; ++J) {
        const double At = std::clamp((J + 0.5) * Span / static_cast<double>(Unit) - 0.5, 0.0,
                                     static_cast<double>(Samples - 1));
        int Left = static_cast<int>(At);
        int Weight = static_cast<int>(std::lround((At - Left) * 256));
        if (Weight == 256) {
            ++Left;
            Weight = 0;
        }
        S.Left.push_back(Left);
        S.Right.push_back(std::min(Left + 1, Samples - 1));
        S.Weight.push_back(Weight);
        S.Pairs.push_back(static_cast<int16_t>(256 - Weight));
        S.Pairs.push_back(static_cast<int16_t>(Weight));
        if (Left + 1 < Samples)
            S.Safe = J + 1;
    }
}

void TPlaneReducer::Setup(int SourceWidth, int SourceHeight, int ChromaShiftX, int ChromaShiftY, int Width,
                          int Height) {
    FWidth = Width;
    FHeight = Height;
    size_t Widest = 0;
    for (int I = 0; I < 3; ++I) {
        const int ShiftX = I ? ChromaShiftX : 0, ShiftY = I ? ChromaShiftY : 0;
        TPlanePlan& P = FPlans[I];
        P.Width = (SourceWidth + (1 << ShiftX) - 1) >> ShiftX;
        P.Height = (SourceHeight + (1 << ShiftY) - 1) >> ShiftY;
        PlanSide(P.Across, Shrinks(SourceWidth, ShiftX, Width), P.Width, SourceWidth, ShiftX, Width);
        PlanSide(P.Down, Shrinks(SourceHeight, ShiftY, Height), P.Height, SourceHeight, ShiftY, Height);
        const bool AreaStep = P.Across.Area || P.Down.Area;
        P.BoxWidth = P.Across.Area ? Width : P.Width;
        P.BoxHeight = P.Down.Area ? Height : P.Height;
        P.Box.assign(AreaStep ? static_cast<size_t>(P.BoxWidth) * P.BoxHeight : 0, 0);
        P.Small.assign(P.Across.Exact && P.Down.Exact ? 0 : static_cast<size_t>(Width) * Height, 0);
        Widest = std::max(Widest, static_cast<size_t>(P.Width) + P.Across.Taps);
    }
    // The horizontal pass reads whole blocks of taps: past a row's end, zero weights meet zeros.
    FMid.assign(Widest + kTapBlock, 0);
    for (auto& Row : FAcross)
        Row.assign(static_cast<size_t>(Width), 0);
}

void TPlaneReducer::AreaStep(TPlanePlan& P, const uint8_t* Plane, int Stride) {
    for (int J = 0; J < P.BoxHeight; ++J) {
        uint8_t* Out = P.Box.data() + static_cast<size_t>(J) * P.BoxWidth;
        if (P.Down.Area) {
            const int First = P.Down.First[static_cast<size_t>(J)];
            const int16_t* W = P.Down.Weights.data() + static_cast<size_t>(J) * P.Down.Taps;
            const int Count = P.Down.Count[static_cast<size_t>(J)];
            FKernels->Rows(Plane + static_cast<ptrdiff_t>(First) * Stride, Stride, W, Count, P.Width,
                           FMid.data());
        } else {
            WidenRow(Plane + static_cast<ptrdiff_t>(J) * Stride, P.Width, FMid.data());
        }
        if (P.Across.Area)
            FKernels->Columns(FMid.data(), P.Across.First.data(), P.Across.Weights.data(), P.Across.Taps,
                              P.BoxWidth, Out);
        else
            NarrowRow(FMid.data(), P.Width, Out);
    }
}

const uint8_t* TPlaneReducer::Reduce(TPlanePlan& P, const uint8_t* Plane, int Stride) {
    const uint8_t* From = Plane;
    ptrdiff_t FromStride = Stride;
    if (P.Across.Area || P.Down.Area) {
        AreaStep(P, Plane, Stride);
        From = P.Box.data();
        FromStride = P.BoxWidth;
    }
    if (P.Across.Exact && P.Down.Exact)
        return From; // only ever the area step's own rows, FWidth apart

    // Bilinear: each row needed is interpolated across once (into one of two rows kept), then
    // each delivered row between two of them. A side at its size takes its samples as they are.
    int Held[2] = {-1, -1};
    const auto AcrossRow = [&](int J) -> const int16_t* {
        for (int K = 0; K < 2; ++K)
            if (Held[K] == J)
                return FAcross[K].data();
        // Rows are asked for in order: the one let go is the older.
        const int K = Held[0] < Held[1] ? 0 : 1;
        Held[K] = J;
        const uint8_t* Row = From + static_cast<ptrdiff_t>(J) * FromStride;
        int16_t* Out = FAcross[K].data();
        // 128 x the value: 255 x 128 fits a signed 16-bit number.
        if (P.Across.Exact) {
            for (int X = 0; X < FWidth; ++X)
                Out[X] = static_cast<int16_t>(Row[X] << 7);
        } else {
            FKernels->Across(Row, P.Across.Left.data(), P.Across.Pairs.data(), FWidth, P.Across.Safe, P.Width,
                             Out);
        }
        return Out;
    };
    for (int Y = 0; Y < FHeight; ++Y) {
        const int Top = P.Down.Exact ? Y : P.Down.Left[static_cast<size_t>(Y)];
        const int Bottom = P.Down.Exact ? Y : P.Down.Right[static_cast<size_t>(Y)];
        const int Lower = P.Down.Exact ? 0 : P.Down.Weight[static_cast<size_t>(Y)];
        const int16_t* A = AcrossRow(Top);
        const int16_t* B = Bottom == Top ? A : AcrossRow(Bottom);
        FKernels->Blend(A, B, Lower, FWidth, P.Small.data() + static_cast<size_t>(Y) * FWidth);
    }
    return P.Small.data();
}

void TPlaneReducer::Convert(const uint8_t* const Planes[3], const int Strides[3], const TYuvToRgb& Colours,
                            uint32_t* Output) {
    const uint8_t* Small[3];
    for (int I = 0; I < 3; ++I)
        Small[I] = Reduce(FPlans[I], Planes[I], Strides[I]);

    // A plane already at the delivered size without either step is read in place, rows Stride apart.
    for (int Y = 0; Y < FHeight; ++Y) {
        const uint8_t* Row[3];
        for (int I = 0; I < 3; ++I)
            Row[I] = Small[I] + static_cast<ptrdiff_t>(Y) * (Small[I] == Planes[I] ? Strides[I] : FWidth);
        FKernels->Convert(Row[0], Row[1], Row[2], FWidth, Colours, Output + static_cast<size_t>(Y) * FWidth);
    }
}
