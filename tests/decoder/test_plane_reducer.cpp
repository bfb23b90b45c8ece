// The library's own reduction of pictures to the size a caller asks for (TPlaneReducer, through
// TFrameConverter as the library uses it), on pictures made here: the same colours as the
// full-size conversion for every matrix, range and chroma layout; colour edges where they
// belong, chroma with luma; the side that shrinks by more than 2x is the one area-averaged; and
// every instruction set gives the same bytes.
#include "frame_converter.h"
#include "plane_reducer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace {

struct TFrameDeleter {
    void operator()(AVFrame* F) const { av_frame_free(&F); }
};
using TFrame = std::unique_ptr<AVFrame, TFrameDeleter>;

TFrame MakeFrame(int Width, int Height, AVPixelFormat Format, AVColorSpace Space = AVCOL_SPC_UNSPECIFIED,
                 AVColorRange Range = AVCOL_RANGE_MPEG) {
    TFrame F(av_frame_alloc());
    F->width = Width;
    F->height = Height;
    F->format = Format;
    F->colorspace = Space;
    F->color_range = Range;
    if (av_frame_get_buffer(F.get(), 0) < 0)
        return nullptr;
    return F;
}

// Sets every sample of plane P at (X, Y) of the plane to Value(X, Y); 8- or 16-bit samples.
template <typename F> void FillPlane(AVFrame& Frame, int P, F Value) {
    const AVPixFmtDescriptor* D = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(Frame.format));
    const int W = P ? AV_CEIL_RSHIFT(Frame.width, D->log2_chroma_w) : Frame.width;
    const int H = P ? AV_CEIL_RSHIFT(Frame.height, D->log2_chroma_h) : Frame.height;
    const bool Wide = D->comp[0].depth > 8;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            uint8_t* Row = Frame.data[P] + static_cast<ptrdiff_t>(Y) * Frame.linesize[P];
            const int V = Value(X, Y);
            if (Wide)
                reinterpret_cast<uint16_t*>(Row)[X] = static_cast<uint16_t>(V << (D->comp[0].depth - 8));
            else
                Row[X] = static_cast<uint8_t>(V);
        }
}

// The picture Converter delivers, Width x Height words.
std::vector<uint32_t> Delivered(TFrameConverter& Converter, const AVFrame& Frame) {
    std::vector<uint32_t> Out(Converter.BufferWords());
    Converter.Convert(&Frame, Out.data());
    Out.resize(static_cast<size_t>(Converter.OutputWidth()) * Converter.OutputHeight());
    return Out;
}

std::vector<uint32_t> Reduced(const AVFrame& Frame, int Width, int Height) {
    TFrameConverter Converter;
    Converter.Setup(Frame.width, Frame.height, 0, Width, Height);
    return Delivered(Converter, Frame);
}

std::vector<uint32_t> FullSize(const AVFrame& Frame) {
    TFrameConverter Converter;
    Converter.Setup(Frame.width, Frame.height, 0);
    return Delivered(Converter, Frame);
}

int Difference(uint32_t A, uint32_t B) {
    int Most = 0;
    for (int Shift = 0; Shift < 32; Shift += 8)
        Most = std::max(
            Most, std::abs(static_cast<int>((A >> Shift) & 0xFF) - static_cast<int>((B >> Shift) & 0xFF)));
    return Most;
}

// The colour tolerance of the exact-seek tests: a byte may differ by 3.
constexpr int kColourTolerance = 3;

struct TColourCase {
    AVPixelFormat Format;
    AVColorSpace Space;
    AVColorRange Range;
    int Width, Height;
};

// Flat pictures of a few colours each: every delivered pixel has the colour the full-size
// conversion gives, and the fourth byte 0. Formats the reducer does not take (10-bit, packed
// chroma) go through swscale and must give it too.
TEST(PlaneReducer, ColoursAsTheFullSizeConversion) {
    const TColourCase Cases[] = {
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720},
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, 720, 576},
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_JPEG, 720, 576},
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG, 1920, 1080},
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG, 1920, 1080},
        // Untagged: BT.709 for HD sizes, BT.601 for SD.
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, 1280, 720},
        {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, 640, 480},
        {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, 640, 480},
        {AV_PIX_FMT_YUV422P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1920, 1080},
        {AV_PIX_FMT_YUVJ422P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_JPEG, 720, 480},
        {AV_PIX_FMT_YUV444P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720},
        {AV_PIX_FMT_YUV444P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_JPEG, 853, 481},
        {AV_PIX_FMT_YUVJ440P, AVCOL_SPC_BT470BG, AVCOL_RANGE_UNSPECIFIED, 720, 576},
        {AV_PIX_FMT_YUV420P10LE, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720},
        {AV_PIX_FMT_NV12, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 1280, 720},
    };
    // Y, U, V: grey, saturated red, green, blue, near black and near white, and full range's ends.
    const int Colours[][3] = {{128, 128, 128}, {82, 90, 240},   {145, 54, 34}, {41, 240, 110},
                              {20, 128, 128},  {230, 128, 128}, {0, 128, 128}, {255, 128, 128}};
    for (const TColourCase& C : Cases) {
        for (const auto& YUV : Colours) {
            SCOPED_TRACE(std::string(av_get_pix_fmt_name(C.Format)) + " " + std::to_string(C.Width) + "x" +
                         std::to_string(C.Height) + " space " + std::to_string(C.Space) + " range " +
                         std::to_string(C.Range) + " YUV " + std::to_string(YUV[0]) + "," +
                         std::to_string(YUV[1]) + "," + std::to_string(YUV[2]));
            TFrame F = MakeFrame(C.Width, C.Height, C.Format, C.Space, C.Range);
            ASSERT_TRUE(F);
            if (C.Format == AV_PIX_FMT_NV12) {
                FillPlane(*F, 0, [&](int, int) { return YUV[0]; });
                // Interleaved U and V: a plane twice as wide, in samples, of alternating bytes.
                for (int Y = 0; Y < (C.Height + 1) / 2; ++Y)
                    for (int X = 0; X < (C.Width + 1) / 2; ++X) {
                        F->data[1][Y * F->linesize[1] + 2 * X] = static_cast<uint8_t>(YUV[1]);
                        F->data[1][Y * F->linesize[1] + 2 * X + 1] = static_cast<uint8_t>(YUV[2]);
                    }
            } else {
                for (int P = 0; P < 3; ++P)
                    FillPlane(*F, P, [&](int, int) { return YUV[P]; });
            }
            const uint32_t Expected = FullSize(*F)[0];
            for (const auto& [W, H] : {std::pair{400, 225}, std::pair{77, 43}, std::pair{1000, 90}}) {
                const std::vector<uint32_t> Small = Reduced(*F, W, H);
                int Worst = 0;
                for (uint32_t Pixel : Small)
                    Worst = std::max(Worst, Difference(Pixel, Expected));
                EXPECT_LE(Worst, kColourTolerance) << W << "x" << H << ": expected " << std::hex << Expected;
                EXPECT_EQ(Small[0] >> 24, 0u);
            }
        }
    }
}

struct TEdgeCase {
    AVPixelFormat Format;
    int Width, Height; // the picture's
    int DstWidth, DstHeight;
    bool Across; // an edge across the picture (left | right); else one down it (top / bottom)
};

// A picture whose left (or upper) part is red and the rest blue, in luma and chroma alike, with
// the edge where a delivered pixel's edge falls: the delivered pixels on either side of it are
// pure red and pure blue. Chroma taken a sample off, or averaged over the wrong side, would mix
// them there.
TEST(PlaneReducer, EdgesStayWhereTheyAre) {
    const TEdgeCase Cases[] = {
        {AV_PIX_FMT_YUV420P, 1920, 1080, 400, 225, true}, {AV_PIX_FMT_YUV420P, 1920, 1080, 400, 225, false},
        {AV_PIX_FMT_YUV420P, 1280, 720, 1000, 90, false}, {AV_PIX_FMT_YUV422P, 720, 1280, 90, 1000, true},
        {AV_PIX_FMT_YUV444P, 1920, 1080, 160, 90, true},  {AV_PIX_FMT_YUV420P, 3840, 2160, 80, 45, false},
    };
    const int Red[3] = {82, 90, 240}, Blue[3] = {41, 240, 110};
    for (const TEdgeCase& C : Cases) {
        SCOPED_TRACE(std::string(av_get_pix_fmt_name(C.Format)) + " " + std::to_string(C.Width) + "x" +
                     std::to_string(C.Height) + " -> " + std::to_string(C.DstWidth) + "x" +
                     std::to_string(C.DstHeight) + (C.Across ? " across" : " down"));
        TFrame F = MakeFrame(C.Width, C.Height, C.Format, AVCOL_SPC_BT709);
        ASSERT_TRUE(F);
        const AVPixFmtDescriptor* D = av_pix_fmt_desc_get(C.Format);
        // The delivered pixel near the middle whose edge falls on a chroma sample's edge, and where
        // that is in a plane.
        const int Span = C.Across ? C.Width : C.Height, Size = C.Across ? C.DstWidth : C.DstHeight;
        const int Sub = 1 << (C.Across ? D->log2_chroma_w : D->log2_chroma_h);
        int Delivered = Size / 2;
        while (Delivered > 1 && Delivered * Span % (Size * Sub) != 0)
            --Delivered;
        ASSERT_GT(Delivered, Size / 4);
        for (int P = 0; P < 3; ++P) {
            const int Shift = P ? (C.Across ? D->log2_chroma_w : D->log2_chroma_h) : 0;
            const int Edge = Delivered * Span / Size >> Shift;
            FillPlane(*F, P, [&](int X, int Y) { return (C.Across ? X : Y) < Edge ? Red[P] : Blue[P]; });
        }
        const std::vector<uint32_t> Full = FullSize(*F);
        const uint32_t RedPixel = Full[0], BluePixel = Full.back();
        const std::vector<uint32_t> Small = Reduced(*F, C.DstWidth, C.DstHeight);
        // Along the whole edge, the pixels just before it and just after it.
        const int Along = C.Across ? C.DstHeight : C.DstWidth;
        for (int I = 0; I < Along; ++I) {
            const auto At = [&](int K) {
                return C.Across ? Small[static_cast<size_t>(I) * C.DstWidth + K]
                                : Small[static_cast<size_t>(K) * C.DstWidth + I];
            };
            EXPECT_LE(Difference(At(Delivered - 1), RedPixel), kColourTolerance) << "at " << I;
            EXPECT_LE(Difference(At(Delivered), BluePixel), kColourTolerance) << "at " << I;
            if (HasFailure())
                break;
        }
    }
}

struct TSideCase {
    int Width, Height, ShiftX, ShiftY, DstWidth, DstHeight;
    bool LumaAcross, LumaDown, ChromaAcross, ChromaDown;
};

// The area step is taken by each side of each plane that shrinks by more than 2x, and only there.
TEST(PlaneReducer, AveragesTheSidesThatShrinkByMoreThanTwo) {
    const TSideCase Cases[] = {
        {1920, 1080, 1, 1, 400, 225, true, true, true, true},
        {1280, 720, 1, 1, 1000, 90, false, true, false, true},
        {720, 1280, 1, 1, 90, 1000, true, false, true, false},
        {720, 1280, 1, 0, 90, 1000, true, false, true, false},
        // 768 x 576 SD: luma 1.92 across, 2.56 down; its chroma 0.96 and 1.28.
        {768, 576, 1, 1, 400, 225, false, true, false, false},
        {768, 576, 0, 0, 400, 225, false, true, false, true},
        {640, 480, 1, 1, 1280, 960, false, false, false, false},
    };
    for (const TSideCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Width) + "x" + std::to_string(C.Height) + " -> " +
                     std::to_string(C.DstWidth) + "x" + std::to_string(C.DstHeight) + " chroma shifts " +
                     std::to_string(C.ShiftX) + "," + std::to_string(C.ShiftY));
        TPlaneReducer Reducer;
        Reducer.Setup(C.Width, C.Height, C.ShiftX, C.ShiftY, C.DstWidth, C.DstHeight);
        EXPECT_EQ(Reducer.AveragesAcross(0), C.LumaAcross);
        EXPECT_EQ(Reducer.AveragesDown(0), C.LumaDown);
        for (int P = 1; P < 3; ++P) {
            EXPECT_EQ(Reducer.AveragesAcross(P), C.ChromaAcross);
            EXPECT_EQ(Reducer.AveragesDown(P), C.ChromaDown);
        }
    }
}

// Every instruction set the processor has gives the same bytes as the portable code, on noise
// (so that every lane counts), at sizes whose rows end inside a vector and with few and many
// taps.
TEST(PlaneReducer, EveryInstructionSetGivesTheSameBytes) {
    struct TCase {
        int Width, Height, ShiftX, ShiftY, DstWidth, DstHeight;
    };
    const TCase Cases[] = {
        {1920, 1080, 1, 1, 400, 225}, {1279, 719, 1, 1, 161, 91},  {723, 1283, 1, 0, 97, 1001},
        {853, 481, 0, 0, 77, 43},     {3840, 2160, 1, 1, 76, 43},  {333, 211, 1, 1, 1001, 7},
        {768, 576, 1, 1, 400, 225},   {1280, 720, 1, 1, 1000, 90}, {64, 48, 1, 1, 1, 1}};
    uint32_t Seed = 2024;
    const auto Random = [&Seed] {
        Seed = Seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(Seed >> 24);
    };
    const TYuvToRgb Colours =
        TYuvToRgb::FromTable(std::array<int, 4>{117489, 138438, 13975, 34925}.data(), false);
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Width) + "x" + std::to_string(C.Height) + " -> " +
                     std::to_string(C.DstWidth) + "x" + std::to_string(C.DstHeight));
        std::vector<uint8_t> Planes[3];
        int Strides[3];
        const uint8_t* Pointers[3];
        for (int P = 0; P < 3; ++P) {
            const int W = P ? (C.Width + (1 << C.ShiftX) - 1) >> C.ShiftX : C.Width;
            const int H = P ? (C.Height + (1 << C.ShiftY) - 1) >> C.ShiftY : C.Height;
            Strides[P] = W + 13; // rows that do not start on a vector's edge
            Planes[P].resize(static_cast<size_t>(Strides[P]) * H);
            std::generate(Planes[P].begin(), Planes[P].end(), Random);
            Pointers[P] = Planes[P].data();
        }
        std::vector<uint32_t> Expected;
        for (auto Set : {TPlaneReducer::TInstructions::Portable, TPlaneReducer::TInstructions::Sse2,
                         TPlaneReducer::TInstructions::Avx2}) {
            TPlaneReducer Reducer;
            if (Reducer.Use(Set) != Set)
                continue; // not on this processor
            Reducer.Setup(C.Width, C.Height, C.ShiftX, C.ShiftY, C.DstWidth, C.DstHeight);
            std::vector<uint32_t> Out(static_cast<size_t>(C.DstWidth) * C.DstHeight);
            Reducer.Convert(Pointers, Strides, Colours, Out.data());
            if (Expected.empty())
                Expected = Out;
            else
                EXPECT_EQ(Out, Expected) << "instruction set " << static_cast<int>(Set);
        }
    }
}

} // namespace
