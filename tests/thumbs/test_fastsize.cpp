// The bilinear scaler: exact results on grids where the weights are whole quarters, exact copies at
// the same size, no reads past the source's edges for any upscale, and empty or mismatched images
// left alone.
#include "image/scaler.h"
#include "lanczos_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>
#include <cstring>
#include <functional>

namespace {

using TPixel = std::array<std::uint8_t, 4>;

TPixel PixelAt(const TFastDIB& Dib, int X, int Row) {
    TPixel P;
    std::memcpy(P.data(), Dib.Scanlines()[Row] + 4 * X, 4);
    return P;
}

void MakeImage(TFastDIB& Dib, int Width, int Height, const std::function<TPixel(int X, int Row)>& Pixel) {
    Dib.SetSize(Width, Height, 32);
    for (int Row = 0; Row < Dib.AbsHeight(); ++Row)
        for (int X = 0; X < Width; ++X) {
            const TPixel P = Pixel(X, Row);
            std::memcpy(Dib.Scanlines()[Row] + 4 * X, P.data(), 4);
        }
}

// Some value in every byte, different for every pixel and byte.
TPixel Busy(int X, int Row) {
    return {static_cast<std::uint8_t>(X * 37 + Row * 11), static_cast<std::uint8_t>(255 - X * 13 - Row * 29),
            static_cast<std::uint8_t>(X * Row * 7 + 3), static_cast<std::uint8_t>(X * 61 ^ Row * 5)};
}

TEST(Bilinear, HalvingAveragesTwoByTwoBlocksRoundingHalfUp) {
    TFastDIB Src, Dst;
    MakeImage(Src, 4, 4, Busy);
    // Sums of 2 mod 4 must round up: byte 3 of the top-left block is 1 + 0 + 0 + 1.
    std::memcpy(Src.Scanlines()[0] + 3, "\x01", 1);
    std::memcpy(Src.Scanlines()[0] + 7, "\x00", 1);
    std::memcpy(Src.Scanlines()[1] + 3, "\x00", 1);
    std::memcpy(Src.Scanlines()[1] + 7, "\x01", 1);
    Dst.SetSize(2, 2, 32);
    Bilinear(Src, Dst);
    for (int Row = 0; Row < 2; ++Row)
        for (int X = 0; X < 2; ++X)
            for (int c = 0; c < 4; ++c) {
                const int Sum = PixelAt(Src, 2 * X, 2 * Row)[c] + PixelAt(Src, 2 * X + 1, 2 * Row)[c] +
                                PixelAt(Src, 2 * X, 2 * Row + 1)[c] + PixelAt(Src, 2 * X + 1, 2 * Row + 1)[c];
                EXPECT_EQ(PixelAt(Dst, X, Row)[c], (Sum + 2) / 4) << X << "," << Row << " byte " << c;
            }
    EXPECT_EQ(PixelAt(Dst, 0, 0)[3], 1);
}

TEST(Bilinear, DoublingStartsOnTheFirstAndEndsOnTheLastSourcePixel) {
    // Byte 0 follows the column, byte 1 the row; byte 2 is flat, byte 3 follows both.
    TFastDIB Src, Dst;
    MakeImage(Src, 2, 2, [](int X, int Row) {
        return TPixel{static_cast<std::uint8_t>(X * 200), static_cast<std::uint8_t>(Row * 200), 77,
                      static_cast<std::uint8_t>(X * 100 + Row * 100)};
    });
    Dst.SetSize(4, 4, 32);
    Bilinear(Src, Dst);
    // Sample positions -1/4, 1/4, 3/4, 5/4: the outer ones are clamped to the edge pixels.
    const int Ramp[4] = {0, 50, 150, 200};
    for (int Row = 0; Row < 4; ++Row)
        for (int X = 0; X < 4; ++X) {
            const TPixel P = PixelAt(Dst, X, Row);
            EXPECT_EQ(P[0], Ramp[X]) << X << "," << Row;
            EXPECT_EQ(P[1], Ramp[Row]) << X << "," << Row;
            EXPECT_EQ(P[2], 77) << X << "," << Row;
            EXPECT_EQ(P[3], (Ramp[X] + Ramp[Row]) / 2) << X << "," << Row;
        }
}

TEST(Bilinear, SameSizeCopiesExactly) {
    TFastDIB Src, Dst;
    MakeImage(Src, 7, 5, Busy);
    Dst.SetSize(7, 5, 32);
    Bilinear(Src, Dst);
    EXPECT_EQ(std::memcmp(Src.Bits(), Dst.Bits(), Src.Size()), 0);
}

// The source has exactly its own pixels on the heap: under AddressSanitizer any read past the last
// row is reported, and reads past the end of a row land in the next row, which the ramp would show.
TEST(Bilinear, LargeUpscalesStayInsideTheSource) {
    struct TCase {
        int SrcWidth, SrcHeight, DstWidth, DstHeight;
        bool ReachesLastPixel; // false where the 16.16 step is too coarse to get there
    };
    const TCase Cases[] = {
        {3, 2, 1000, 700, true}, {1, 1, 640, 480, true}, {3, 1, 5, 300, true}, {2, 1, 70000, 1, false}};
    for (const TCase& C : Cases) {
        TFastDIB Src, Dst;
        MakeImage(Src, C.SrcWidth, C.SrcHeight, [](int X, int Row) {
            return TPixel{static_cast<std::uint8_t>(10 + X * 100), static_cast<std::uint8_t>(10 + Row * 200),
                          9, 255};
        });
        Dst.SetSize(C.DstWidth, C.DstHeight, 32);
        Bilinear(Src, Dst);
        const int LastX = 10 + (C.SrcWidth - 1) * 100;
        const int LastRow = 10 + (C.SrcHeight - 1) * 200;
        for (int Row = 0; Row < C.DstHeight; ++Row) {
            int Previous = 0;
            for (int X = 0; X < C.DstWidth; ++X) {
                const TPixel P = PixelAt(Dst, X, Row);
                ASSERT_GE(P[0], Previous) << C.DstWidth << "x" << C.DstHeight << " at " << X << "," << Row;
                ASSERT_LE(P[0], LastX);
                ASSERT_LE(P[1], LastRow);
                ASSERT_EQ(P[2], 9);
                ASSERT_EQ(P[3], 255);
                Previous = P[0];
            }
        }
        if (C.ReachesLastPixel) {
            EXPECT_EQ(PixelAt(Dst, C.DstWidth - 1, C.DstHeight - 1)[0], LastX);
            EXPECT_EQ(PixelAt(Dst, C.DstWidth - 1, C.DstHeight - 1)[1], LastRow);
        }
        EXPECT_EQ(PixelAt(Dst, 0, 0)[0], 10);
        EXPECT_EQ(PixelAt(Dst, 0, 0)[1], 10);
    }
}

// Nothing to scale: the destination keeps its bytes, and nothing is divided by zero.
TEST(Bilinear, EmptyOrMismatchedImagesAreLeftAlone) {
    struct TCase {
        int SrcWidth, SrcHeight, SrcBpp, DstWidth, DstHeight, DstBpp;
    };
    const TCase Cases[] = {
        {4, 4, 32, 0, 3, 32}, {4, 4, 32, 3, 0, 32}, {0, 4, 32, 3, 3, 32},
        {4, 0, 32, 3, 3, 32}, {4, 4, 8, 3, 3, 32},  {4, 4, 16, 3, 3, 16},
    };
    for (const TCase& C : Cases) {
        TFastDIB Src, Dst;
        Src.SetSize(C.SrcWidth, C.SrcHeight, C.SrcBpp);
        if (Src.Size() > 0)
            std::memset(Src.Bits(), 0x11, Src.Size());
        Dst.SetSize(C.DstWidth, C.DstHeight, C.DstBpp);
        if (Dst.Size() > 0)
            std::memset(Dst.Bits(), 0xC3, Dst.Size());
        Bilinear(Src, Dst);
        for (int i = 0; i < Dst.Size(); ++i)
            ASSERT_EQ(Dst.Bits()[i], 0xC3) << C.SrcWidth << "x" << C.SrcHeight << "@" << C.SrcBpp << " -> "
                                           << C.DstWidth << "x" << C.DstHeight << "@" << C.DstBpp;
    }
}

// The 24- and 8-bit members interpolate every byte of a pixel and leave the row padding alone.
TEST(Bilinear, NarrowerPixelsAverageByteByByte) {
    for (int Bpp : {24, 8}) {
        const int PixelBytes = Bpp / 8;
        TFastDIB Src, Dst;
        Src.SetSize(6, 4, Bpp);
        for (int Row = 0; Row < 4; ++Row)
            for (int b = 0; b < 6 * PixelBytes; ++b)
                Src.Scanlines()[Row][b] = static_cast<std::uint8_t>(b * 17 + Row * 40);
        Dst.SetSize(3, 2, Bpp);
        std::memset(Dst.Bits(), 0xEE, Dst.Size());
        Bilinear(Src, Dst);
        for (int Row = 0; Row < 2; ++Row) {
            for (int X = 0; X < 3; ++X)
                for (int c = 0; c < PixelBytes; ++c) {
                    const int b = 2 * X * PixelBytes + c;
                    const int Sum = Src.Scanlines()[2 * Row][b] + Src.Scanlines()[2 * Row][b + PixelBytes] +
                                    Src.Scanlines()[2 * Row + 1][b] +
                                    Src.Scanlines()[2 * Row + 1][b + PixelBytes];
                    EXPECT_EQ(Dst.Scanlines()[Row][X * PixelBytes + c], (Sum + 2) / 4) << Bpp << " bits";
                }
            for (int g = 0; g < Dst.Gap(); ++g)
                EXPECT_EQ(Dst.Scanlines()[Row][3 * PixelBytes + g], 0xEE) << Bpp << " bits, padding";
        }
    }
}

} // namespace

// A reduction by a whole factor above 2 averages whole blocks, rounding half up, in every byte.
TEST(Bilinear, WholeFactorReductionsAverageWholeBlocks) {
    for (int Factor : {3, 4, 8}) {
        TFastDIB Src, Dst;
        MakeImage(Src, 2 * Factor, 3 * Factor, Busy);
        Dst.SetSize(2, 3, 32);
        Bilinear(Src, Dst);
        for (int Row = 0; Row < 3; ++Row)
            for (int X = 0; X < 2; ++X)
                for (int c = 0; c < 4; ++c) {
                    int Sum = 0;
                    for (int j = 0; j < Factor; ++j)
                        for (int i = 0; i < Factor; ++i)
                            Sum += PixelAt(Src, X * Factor + i, Row * Factor + j)[c];
                    const int Count = Factor * Factor;
                    EXPECT_EQ(PixelAt(Dst, X, Row)[c], (Sum + Count / 2) / Count)
                        << "factor " << Factor << " at " << X << "," << Row << " byte " << c;
                }
    }
}

// Byte I of every pixel of Dib as an 8-bit image of its own.
static void CopyBytePlane(const TFastDIB& Dib, int I, TFastDIB& Plane) {
    Plane.SetSize(Dib.Width(), Dib.AbsHeight(), 8);
    for (int Y = 0; Y < Dib.AbsHeight(); ++Y)
        for (int X = 0; X < Dib.Width(); ++X)
            Plane.Scanlines()[Y][X] = Dib.Scanlines()[Y][4 * X + I];
}

// The processor's vector path gives byte for byte what the portable one gives, down and up. The
// 8-bit scaler is the portable arithmetic on one byte per pixel, so each byte of the 32-bit result
// must equal that byte's plane scaled on its own.
TEST(Bilinear, VectorPathMatchesThePortableOne) {
#if defined(__x86_64__) || defined(__i386__)
    if (!__builtin_cpu_supports("sse4.1"))
        GTEST_SKIP() << "this processor has no SSE4.1: Bilinear32 is the portable path";
#else
    GTEST_SKIP() << "no vector path on this processor";
#endif
    struct TSizes {
        int SrcW, SrcH, DstW, DstH;
    };
    for (const TSizes& S : {TSizes{1920, 1080, 400, 225}, TSizes{321, 241, 160, 120}, TSizes{7, 5, 29, 31},
                            TSizes{64, 48, 64, 48}, TSizes{3, 2, 1000, 7}, TSizes{1280, 720, 160, 90},
                            TSizes{1001, 37, 90, 30}, TSizes{33, 701, 20, 41}, TSizes{999, 555, 1, 1}}) {
        TFastDIB Src, Vector;
        MakeImage(Src, S.SrcW, S.SrcH, Busy);
        Vector.SetSize(S.DstW, S.DstH, 32);
        Bilinear32(Src, Vector);
        int Differing = 0;
        for (int I = 0; I < 4; ++I) {
            TFastDIB SrcPlane, Portable;
            CopyBytePlane(Src, I, SrcPlane);
            Portable.SetSize(S.DstW, S.DstH, 8);
            Bilinear(SrcPlane, Portable);
            for (int Y = 0; Y < S.DstH; ++Y)
                for (int X = 0; X < S.DstW; ++X)
                    Differing += Vector.Scanlines()[Y][4 * X + I] != Portable.Scanlines()[Y][X];
        }
        EXPECT_EQ(Differing, 0) << S.SrcW << "x" << S.SrcH << " -> " << S.DstW << "x" << S.DstH;
    }
}

// Large reductions do not alias: close to a Lanczos reduction of a picture with detail at every
// scale, where four taps of plain bilinear sampling fall far short.
TEST(Bilinear, LargeReductionsStayCloseToLanczos) {
    struct TSizes {
        int SrcW, SrcH, DstW, DstH;
    };
    using namespace lanczos_reference;
    // One side reduced by more than 2 and the other not: each side's area step on its own.
    for (const TSizes& S : {TSizes{1280, 720, 160, 90}, TSizes{1920, 1080, 400, 225}, TSizes{720, 576, 100, 75},
                            TSizes{1280, 720, 1000, 90}, TSizes{720, 1280, 90, 1000}}) {
        TFastDIB Src, Dst;
        MakeNaturalImage(Src, S.SrcW, S.SrcH);
        Dst.SetSize(S.DstW, S.DstH, 32);
        Bilinear(Src, Dst);
        const double Psnr = PsnrAgainst(Dst, LanczosReference(Src, S.DstW, S.DstH));
        std::printf("%dx%d -> %dx%d: %.1f dB\n", S.SrcW, S.SrcH, S.DstW, S.DstH, Psnr);
        EXPECT_GE(Psnr, 36.0) << S.SrcW << "x" << S.SrcH << " -> " << S.DstW << "x" << S.DstH;
    }
}
