// The image buffer: strides, channel masks, memory ownership, flipping and the word copy.
#include "image/imagebuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TStrideCase {
    int Bpp;
    int Width;
    int Height;
    int BWidth;
    int Gap;
};

void PrintTo(const TStrideCase& C, std::ostream* Out) {
    *Out << C.Bpp << " bits, " << C.Width << " x " << C.Height;
}

class StrideTest : public ::testing::TestWithParam<TStrideCase> {};

TEST_P(StrideTest, RowsArePaddedToWholeWords) {
    const TStrideCase& C = GetParam();
    TFastDIB Dib;
    Dib.SetSize(C.Width, C.Height, C.Bpp);
    EXPECT_EQ(Dib.BWidth(), C.BWidth);
    EXPECT_EQ(Dib.Gap(), C.Gap);
    const int AbsHeight = C.Height < 0 ? -C.Height : C.Height;
    EXPECT_EQ(Dib.AbsHeight(), AbsHeight);
    EXPECT_EQ(Dib.Size(), AbsHeight * C.BWidth);
    EXPECT_EQ(Dib.Info().bmiHeader.biSizeImage, static_cast<unsigned>(AbsHeight * C.BWidth));
    EXPECT_EQ(Dib.Height(), C.Height);
    for (int i = 0; i < AbsHeight; ++i)
        EXPECT_EQ(Dib.Scanlines()[i], Dib.Bits() + i * C.BWidth) << "row " << i;
}

INSTANTIATE_TEST_SUITE_P(Depths, StrideTest,
                         ::testing::Values(TStrideCase{32, 3, 2, 12, 0}, TStrideCase{24, 3, 2, 12, 3},
                                           TStrideCase{24, 4, 3, 12, 0}, TStrideCase{16, 3, 2, 8, 2},
                                           TStrideCase{8, 3, 2, 4, 1}, TStrideCase{8, 5, 1, 8, 3},
                                           TStrideCase{4, 3, 2, 4, 2}, TStrideCase{4, 9, 1, 8, 3},
                                           TStrideCase{1, 3, 2, 4, 3}, TStrideCase{1, 33, 1, 8, 3},
                                           TStrideCase{32, 5, -4, 20, 0}, TStrideCase{32, 0, 3, 0, 0},
                                           TStrideCase{32, 3, 0, 12, 0}),
                         [](const ::testing::TestParamInfo<TStrideCase>& Info) {
                             const TStrideCase& C = Info.param;
                             return std::to_string(C.Bpp) + "bit_" + std::to_string(C.Width) + "x" +
                                    (C.Height < 0 ? "minus" : "") +
                                    std::to_string(C.Height < 0 ? -C.Height : C.Height);
                         });

struct TMaskCase {
    int Bpp;
    int RSize, GSize, BSize;
    std::uint32_t Compression;
    std::array<std::uint32_t, 3> Masks; // red, green, blue
};

TEST(FastDIB, ChannelMasksAndCompression) {
    const TMaskCase Cases[] = {
        {32, 0, 0, 0, BI_RGB, {0xFF0000, 0xFF00, 0xFF}},
        {16, 0, 0, 0, BI_RGB, {0x7C00, 0x3E0, 0x1F}},
        {16, 5, 6, 5, BI_BITFIELDS, {0xF800, 0x7E0, 0x1F}},
        {32, 10, 10, 10, BI_BITFIELDS, {0x3FF00000, 0xFFC00, 0x3FF}},
        {32, 16, 8, 8, BI_BITFIELDS, {0xFFFF0000, 0xFF00, 0xFF}},
    };
    for (const TMaskCase& C : Cases) {
        TFastDIB Dib;
        Dib.SetSizeEx(nullptr, 2, 2, C.Bpp, C.RSize, C.GSize, C.BSize);
        EXPECT_EQ(Dib.Info().bmiHeader.biCompression, C.Compression) << C.Bpp << " " << C.RSize;
        EXPECT_EQ(Dib.Info().bmiColors[0], C.Masks[0]) << C.Bpp << " " << C.RSize;
        EXPECT_EQ(Dib.Info().bmiColors[1], C.Masks[1]) << C.Bpp << " " << C.RSize;
        EXPECT_EQ(Dib.Info().bmiColors[2], C.Masks[2]) << C.Bpp << " " << C.RSize;
    }
    TFastDIB Fresh;
    EXPECT_EQ(Fresh.Info().bmiHeader.biSize, 40u);
    EXPECT_EQ(Fresh.Info().bmiHeader.biPlanes, 1u);
    EXPECT_EQ(Fresh.Bits(), nullptr);
}

TEST(FastDIB, SameSizeKeepsMemoryAndContent) {
    TFastDIB Dib;
    Dib.SetSize(4, 3, 32);
    std::memset(Dib.Bits(), 0x5A, Dib.Size());
    std::uint8_t* const Before = Dib.Bits();
    Dib.SetSize(4, 3, 32);
    EXPECT_EQ(Dib.Bits(), Before);
    for (int i = 0; i < Dib.Size(); ++i)
        ASSERT_EQ(Dib.Bits()[i], 0x5A);

    Dib.SetSize(5, 3, 32);
    EXPECT_EQ(Dib.Size(), 60);
    EXPECT_EQ(Dib.Scanlines()[2], Dib.Bits() + 40);
    std::memset(Dib.Bits(), 0, Dib.Size()); // the new block is really that large (ASan checks)
}

TEST(FastDIB, OutsideMemoryIsUsedButNeverFreed) {
    std::vector<std::uint32_t> Outside(6, 0x01020304);
    {
        TFastDIB Dib;
        Dib.SetSize(2, 2, 32); // memory of its own first: must be released, not leaked or kept
        Dib.SetSizeEx(Outside.data(), 3, 2, 32, 0, 0, 0);
        EXPECT_EQ(Dib.Bits(), reinterpret_cast<std::uint8_t*>(Outside.data()));
        EXPECT_EQ(Dib.Scanlines()[1], Dib.Bits() + 12);
    } // destroying the buffer must leave the vector's memory alone (ASan reports a bad free)
    EXPECT_EQ(Outside[5], 0x01020304u);

    TFastDIB Dib;
    Dib.SetSizeEx(Outside.data(), 3, 2, 32, 0, 0, 0);
    Dib.SetSize(3, 2, 32); // same size, but the memory was not its own: it must get its own now
    EXPECT_NE(Dib.Bits(), reinterpret_cast<std::uint8_t*>(Outside.data()));
}

TEST(FastDIB, FailedSizingThrowsAndLeavesTheBufferIntact) {
    TFastDIB Dib;
    Dib.SetSize(3, 2, 32);
    std::memset(Dib.Bits(), 7, Dib.Size());
    std::uint8_t* const Bits = Dib.Bits();

    EXPECT_THROW(Dib.SetSize(40000, 40000, 32), std::bad_alloc); // 6.4 GB: beyond any bitmap size
    EXPECT_THROW(Dib.SetSize(-3, 2, 32), std::invalid_argument);
    EXPECT_THROW(Dib.SetSize(3, 2, 12), std::invalid_argument);

    EXPECT_EQ(Dib.Width(), 3);
    EXPECT_EQ(Dib.AbsHeight(), 2);
    EXPECT_EQ(Dib.Bits(), Bits);
    EXPECT_EQ(Dib.Scanlines()[1], Bits + 12);
    EXPECT_EQ(Dib.Scanlines()[1][11], 7);
}

TEST(FastDIB, ZeroSizeHoldsNoPixels) {
    TFastDIB Dib;
    Dib.SetSize(0, 0, 32);
    EXPECT_EQ(Dib.Size(), 0);
    EXPECT_EQ(Dib.AbsHeight(), 0);
    FlipVertical(Dib);
    Dib.SetSize(0, 5, 32);
    EXPECT_EQ(Dib.AbsHeight(), 5);
    FlipVertical(Dib);
}

// Rows hold their row number in every pixel byte; the padding bytes hold 0xEE and must stay.
void FillRows(TFastDIB& Dib, int Offset) {
    const int RowBytes = Dib.BWidth() - Dib.Gap();
    for (int r = 0; r < Dib.AbsHeight(); ++r) {
        std::memset(Dib.Scanlines()[r], r + Offset, RowBytes);
        std::memset(Dib.Scanlines()[r] + RowBytes, 0xEE, Dib.Gap());
    }
}

TEST(FastDIB, FlipVerticalReversesRowsAndKeepsPadding) {
    for (int Rows : {1, 2, 3, 4, 7}) {
        TFastDIB Dib;
        Dib.SetSize(3, Rows, 24); // 9 pixel bytes and 3 padding bytes a row
        FillRows(Dib, 1);
        FlipVertical(Dib);
        for (int r = 0; r < Rows; ++r) {
            for (int b = 0; b < 9; ++b)
                ASSERT_EQ(Dib.Scanlines()[r][b], Rows - r) << Rows << " rows, row " << r;
            for (int b = 9; b < 12; ++b)
                ASSERT_EQ(Dib.Scanlines()[r][b], 0xEE) << Rows << " rows, row " << r;
        }
        FlipVertical(Dib);
        for (int r = 0; r < Rows; ++r)
            ASSERT_EQ(Dib.Scanlines()[r][8], r + 1) << Rows << " rows, twice";
    }
}

TEST(FastDIB, MoveLongs) {
    struct TCase {
        int Count;
        bool SameAddress;
        int Copied; // words that must hold the source afterwards
    };
    const TCase Cases[] = {{0, false, 0}, {-2, false, 0}, {3, false, 3}, {8, false, 8}, {5, true, 5}};
    for (const TCase& C : Cases) {
        std::array<std::uint32_t, 8> Source;
        std::array<std::uint32_t, 8> Dest;
        for (std::size_t i = 0; i < Source.size(); ++i) {
            Source[i] = 0xA0000000u + static_cast<std::uint32_t>(i);
            Dest[i] = 0xDEADBEEF;
        }
        std::uint32_t* Target = C.SameAddress ? Source.data() : Dest.data();
        MoveLongs(Source.data(), Target, C.Count);
        for (int i = 0; i < 8; ++i) {
            const std::uint32_t Expected = i < C.Copied ? 0xA0000000u + i : 0xDEADBEEF;
            if (C.SameAddress)
                ASSERT_EQ(Source[i], 0xA0000000u + i);
            else
                ASSERT_EQ(Dest[i], Expected) << "count " << C.Count << " word " << i;
        }
    }
}

} // namespace
