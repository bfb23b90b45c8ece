// Frames the decoding library delivers reduced (setFrameSize) are as sharp as the frames
// reduced from the video's own size by the scaler: held against a Lanczos-3 reduction of the
// library's own full-size frame of a video with detail at every scale, and the same frame.
#include "engine/decoder.h"
#include "fixtures.h"
#include "image/scaler.h"
#include "lanczos_reference.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace lanczos_reference;

// A 2-frame H.264 video (4:2:0, as cameras give) of the picture with detail at every scale.
std::string MakeNaturalVideo(const std::string& Folder, int Width, int Height) {
    TFastDIB Picture;
    MakeNaturalImage(Picture, Width, Height);
    const std::string Raw = Folder + "/natural.bgr0", Video = Folder + "/natural.mp4";
    if (FILE* File = std::fopen(Raw.c_str(), "wb")) {
        for (int Y = 0; Y < Height; ++Y)
            std::fwrite(Picture.Scanlines()[Y], 4, static_cast<size_t>(Width), File);
        std::fclose(File);
    }
    RunCommand("ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgr0 -s " + std::to_string(Width) + "x" +
               std::to_string(Height) + " -r 25 -stream_loop 1 -i " + ShellQuote(Raw) +
               " -c:v libx264 -preset veryfast -crf 6 -pix_fmt yuv420p " + ShellQuote(Video));
    return Video;
}

TEST(ReducedFrames, AreAsSharpAsLanczos) {
    struct TSizes {
        int SrcW, SrcH, DstW, DstH;
    };
    for (const TSizes& S : {TSizes{1280, 720, 160, 90}, TSizes{1920, 1080, 400, 225},
                            TSizes{1280, 720, 1000, 90}, TSizes{720, 1280, 90, 1000}, TSizes{480, 352, 400, 225},
                            TSizes{768, 576, 400, 225},  TSizes{640, 360, 400, 225}}) {
        SCOPED_TRACE(std::to_string(S.SrcW) + "x" + std::to_string(S.SrcH) + " -> " + std::to_string(S.DstW) +
                     "x" + std::to_string(S.DstH));
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(MakeNaturalVideo(Out.Path, S.SrcW, S.SrcH));
        ASSERT_EQ(Decoder.FileInfo()->FrameWidth, S.SrcW);
        TDecoderFrame* Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr);
        TFastDIB Full, Scaled;
        Full.SetSize(S.SrcW, S.SrcH, 32);
        for (int Y = 0; Y < S.SrcH; ++Y)
            std::memcpy(Full.Scanlines()[Y], Frame->Pixels + static_cast<size_t>(Y) * S.SrcW, 4u * S.SrcW);
        const std::vector<double> Reference = LanczosReference(Full, S.DstW, S.DstH);
        Scaled.SetSize(S.DstW, S.DstH, 32);
        Bilinear(Full, Scaled);
        const double ByScaler = PsnrAgainst(Scaled, Reference);

        ASSERT_TRUE(Decoder.SetFrameSize(S.DstW, S.DstH));
        Decoder.Rewind();
        ASSERT_EQ(Decoder.FileInfo()->FrameWidth, S.DstW);
        ASSERT_EQ(Decoder.FileInfo()->FrameHeight, S.DstH);
        Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr);
        TFastDIB Reduced;
        Reduced.SetSize(S.DstW, S.DstH, 32);
        for (int Y = 0; Y < S.DstH; ++Y)
            std::memcpy(Reduced.Scanlines()[Y], Frame->Pixels + static_cast<size_t>(Y) * S.DstW, 4u * S.DstW);
        const double ByLibrary = PsnrAgainst(Reduced, Reference);
        std::printf("%dx%d -> %dx%d: library %.1f dB, scaler %.1f dB\n", S.SrcW, S.SrcH, S.DstW, S.DstH,
                    ByLibrary, ByScaler);
        EXPECT_GE(ByLibrary, 36.0);
        // The fourth byte is 0, as the contract says.
        EXPECT_EQ(Frame->Pixels[0] >> 24, 0u);

        // Back at the video's own size.
        ASSERT_TRUE(Decoder.SetFrameSize(0, 0));
        Decoder.Rewind();
        EXPECT_EQ(Decoder.FileInfo()->FrameWidth, S.SrcW);
        EXPECT_EQ(Decoder.FileInfo()->FrameHeight, S.SrcH);
    }
}

} // namespace

namespace {

uint32_t PixelAt(const TDecoder& Decoder, const TDecoderFrame* Frame, double FX, double FY) {
    const int W = Decoder.FileInfo()->FrameWidth, H = Decoder.FileInfo()->FrameHeight;
    return Frame->Pixels[static_cast<size_t>(FY * H) * W + static_cast<size_t>(FX * W)];
}

int Difference(uint32_t A, uint32_t B) {
    int Most = 0;
    for (int Shift = 0; Shift < 24; Shift += 8)
        Most = std::max(Most, std::abs(static_cast<int>((A >> Shift) & 0xFF) - static_cast<int>((B >> Shift) & 0xFF)));
    return Most;
}

// Reduced frames keep the colours (matrix and range) and the turn of the full-size ones: a
// full-range BT.709 flat colour, and a video turned a quarter with a red square in its
// stored top-left corner, which shows at the bottom left.
TEST(ReducedFrames, KeepColoursAndTurn) {
    struct TCase {
        const char* File;
        int Width, Height;
        double FX, FY; // where to compare, as a fraction of the picture
    };
    for (const TCase& C : {TCase{"full_range_709.mp4", 64, 48, 0.5, 0.5}, TCase{"rotated_90.mp4", 60, 80, 0.1, 0.9},
                           TCase{"rotated_90.mp4", 60, 80, 0.9, 0.1}}) {
        SCOPED_TRACE(C.File);
        TDecoder Decoder;
        Decoder.Open(Fixture(C.File));
        const TDecoderFrame* Full = Decoder.NextFrame();
        ASSERT_NE(Full, nullptr);
        const uint32_t Expected = PixelAt(Decoder, Full, C.FX, C.FY);
        ASSERT_TRUE(Decoder.SetFrameSize(C.Width, C.Height));
        Decoder.Rewind();
        ASSERT_EQ(Decoder.FileInfo()->FrameWidth, C.Width);
        const TDecoderFrame* Small = Decoder.NextFrame();
        ASSERT_NE(Small, nullptr);
        EXPECT_LE(Difference(PixelAt(Decoder, Small, C.FX, C.FY), Expected), 3)
            << std::hex << PixelAt(Decoder, Small, C.FX, C.FY) << " against " << Expected;
    }
}

} // namespace
