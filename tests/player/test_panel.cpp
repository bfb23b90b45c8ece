// The video panel: where the picture lands (letterbox), the nearest-neighbour stepping of
// the scaler, and what the widget shows after a frame was drawn and presented.
#include "engine/decoder.h"
#include "fixtures.h"
#include "gui/widgets/sdlutils.h"
#include "gui/widgets/videopanel.h"
#include "player_helpers.h"

#include <QCoreApplication>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct TLetterboxCase {
    const char* Name;
    int OW, OH;
    double AspectRatio;
    TLetterbox Expected;
};

const TLetterboxCase kLetterboxCases[] = {
    {"FourThreeInWidePanel", 395, 193, 4.0 / 3.0, {69, 0, 257, 193}},
    {"SixteenNineInWidePanel", 395, 193, 16.0 / 9.0, {26, 0, 343, 193}},
    {"WiderThanThePanelGetsBarsAboveAndBelow", 320, 240, 2.0, {0, 40, 320, 160}},
    {"HalfGoesToEvenDown", 5, 10, 2.0, {0, 4, 5, 2}}, // 2.5 -> 2
    {"HalfGoesToEvenUp", 7, 10, 2.0, {0, 3, 7, 4}},   // 3.5 -> 4
    {"NoRatioFillsTheOutput", 395, 193, 0.0, {0, 0, 395, 193}},
};

class LetterboxTest : public ::testing::TestWithParam<TLetterboxCase> {};

TEST_P(LetterboxTest, PlacesThePicture) {
    const TLetterboxCase& C = GetParam();
    EXPECT_EQ(Letterbox(C.OW, C.OH, C.AspectRatio), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(Panel, LetterboxTest, ::testing::ValuesIn(kLetterboxCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// A 32-bit surface whose pixels are exactly W x H words, so that reading past the source
// leaves its heap block (AddressSanitizer reports it).
struct TSurfaceDeleter {
    void operator()(SDL_Surface* Surface) const { SDL_FreeSurface(Surface); }
};
using TSurface = std::unique_ptr<SDL_Surface, TSurfaceDeleter>;

TSurface NumberedSurface(int W, int H) {
    TSurface Surface(SDL_CreateRGBSurface(SDL_SWSURFACE, W, H, 32, 0, 0, 0, 0));
    auto* Pixels = static_cast<uint32_t*>(Surface->pixels);
    for (int I = 0; I < W * H; ++I)
        Pixels[I] = 100 + I; // never 0, the colour key
    return Surface;
}

// Which source pixels (0-based index into the source line) a scaled line took.
std::vector<int> ScaledLine(int SrcLength, int DstLength, bool Rows, int Offset = 0) {
    const int Whole = SrcLength + Offset;
    TSurface Src = Rows ? NumberedSurface(1, Whole) : NumberedSurface(Whole, 1);
    TSurface Dst(Rows ? ScaleSurface(Src.get(), 0, Offset, 1, SrcLength, 1, DstLength)
                      : ScaleSurface(Src.get(), Offset, 0, SrcLength, 1, DstLength, 1));
    std::vector<int> Used;
    const uint8_t* Bytes = static_cast<const uint8_t*>(Dst->pixels);
    for (int I = 0; I < DstLength; ++I) {
        const uint32_t Pixel = Rows ? *reinterpret_cast<const uint32_t*>(Bytes + I * Dst->pitch)
                                    : reinterpret_cast<const uint32_t*>(Bytes)[I];
        Used.push_back(static_cast<int>(Pixel) - 100 - Offset);
    }
    return Used;
}

struct TStepCase {
    int Src, Dst, Offset;
    std::vector<int> Used;
};

TEST(Panel, ScalingStepsLikeTheIntegerErrorTerm) {
    const TStepCase Cases[] = {
        {4, 2, 0, {0, 2}},          {3, 5, 0, {0, 1, 1, 2, 2}},
        {3, 5, 1, {0, 1, 1, 2, 2}}, // a source rectangle that does not start at 0
        {4, 4, 0, {0, 1, 2, 3}},    {1, 1, 0, {0}},
    };
    for (const TStepCase& C : Cases)
        for (bool Rows : {false, true})
            EXPECT_EQ(ScaledLine(C.Src, C.Dst, Rows, C.Offset), C.Used)
                << C.Src << " -> " << C.Dst << (Rows ? " rows" : " columns");
}

// From twice the source length on, the stepping would reach one past the last source
// pixel; every pixel taken must be one of the source's, in order.
TEST(Panel, UpscalingNeverReadsOutsideTheSource) {
    for (int Src = 1; Src <= 5; ++Src)
        for (int Dst = 2 * Src; Dst <= 5 * Src + 1; ++Dst)
            for (bool Rows : {false, true}) {
                const std::vector<int> Used = ScaledLine(Src, Dst, Rows);
                ASSERT_EQ(Used.size(), static_cast<size_t>(Dst));
                EXPECT_EQ(Used.front(), 0);
                for (size_t I = 0; I < Used.size(); ++I) {
                    EXPECT_TRUE(Used[I] >= 0 && Used[I] < Src) << Src << " -> " << Dst << " at " << I;
                    if (I > 0) {
                        EXPECT_GE(Used[I], Used[I - 1]);
                    }
                }
            }
}

// A frame in four quadrants of different colours, none of them 0.
std::vector<uint32_t> QuadrantFrame(int W, int H) {
    std::vector<uint32_t> Pixels(static_cast<size_t>(W) * H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            Pixels[static_cast<size_t>(Y) * W + X] =
                Y < H / 2 ? (X < W / 2 ? 0xC02010 : 0x20C010) : (X < W / 2 ? 0x1020C0 : 0xC0C0C0);
    return Pixels;
}

struct TShowCase {
    const char* Name;
    int FrameW, FrameH;
    double AspectRatio;
    TLetterbox Box;
};

class ShowFrameTest : public ::testing::TestWithParam<TShowCase> {};

// The output surface and the widget's own picture: the frame scaled into the box, the
// quadrants where they belong, black around it.
TEST_P(ShowFrameTest, LetterboxedOnBlack) {
    const TShowCase& C = GetParam();
    TSDLPanel Panel;
    Panel.resize(395, 193);
    Panel.InitVideo();
    Panel.AspectRatio = C.AspectRatio;
    std::vector<uint32_t> Pixels = QuadrantFrame(C.FrameW, C.FrameH);
    TDecoderFrame Frame{Pixels.data()};
    Panel.SetFrameSize(C.FrameW, C.FrameH);
    Panel.Clear(0x00FFFFFF); // whatever was there before goes
    Panel.ShowFrame(&Frame);
    Panel.Present();

    const QImage Shown = ShownImage(Panel);
    ASSERT_EQ(Shown.size(), QSize(395, 193));
    const TLetterbox& B = C.Box;
    int Wrong = 0;
    for (int Y = 0; Y < 193; ++Y)
        for (int X = 0; X < 395; ++X) {
            const bool Inside = X >= B.X && X < B.X + B.W && Y >= B.Y && Y < B.Y + B.H;
            const QRgb Expected = !Inside
                                      ? 0
                                      : Pixels[static_cast<size_t>((Y - B.Y) * C.FrameH / B.H) * C.FrameW +
                                               (X - B.X) * C.FrameW / B.W];
            // Quadrant borders may land a source pixel either way: only the quadrants'
            // inner parts count.
            const int MarginX = 2 + B.W / C.FrameW, MarginY = 2 + B.H / C.FrameH;
            const bool NearBorder = Inside && (std::abs(2 * (X - B.X) - B.W) <= 2 * MarginX ||
                                               std::abs(2 * (Y - B.Y) - B.H) <= 2 * MarginY);
            if (NearBorder)
                continue;
            Wrong += (Shown.pixel(X, Y) & 0xFFFFFF) != Expected;
        }
    EXPECT_EQ(Wrong, 0);
}

const TShowCase kShowCases[] = {
    {"Video640x480FourThree", 640, 480, 4.0 / 3.0, {69, 0, 257, 193}},
    {"Video1280x720SixteenNine", 1280, 720, 16.0 / 9.0, {26, 0, 343, 193}},
    {"Stored720x576ShownSixteenNine", 720, 576, 16.0 / 9.0, {26, 0, 343, 193}},
    {"SmallVideoScaledUp", 64, 36, 16.0 / 9.0, {26, 0, 343, 193}},
};

INSTANTIATE_TEST_SUITE_P(Panel, ShowFrameTest, ::testing::ValuesIn(kShowCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Panel, BeforeTheFirstFrameNothingIsPresented) {
    TSDLPanel Panel;
    Panel.resize(100, 50);
    Panel.InitVideo();
    Panel.Clear(0x00FFFFFF);
    Panel.Present(); // no frame surface yet: the widget keeps its own black background
    const QImage Shown = Panel.grab().toImage();
    EXPECT_EQ(Shown.pixel(50, 25) & 0xFFFFFF, 0u);
    // ... and once a frame surface exists, the output surface is what it shows.
    Panel.SetFrameSize(4, 4);
    Panel.Present();
    EXPECT_EQ(Panel.grab().toImage().pixel(50, 25) & 0xFFFFFF, 0xFFFFFFu);
}

// Showing a panel that was sized while hidden must not wipe the picture drawn into it.
TEST(Panel, FirstShowKeepsThePicture) {
    TSDLPanel Panel;
    Panel.resize(120, 90);
    Panel.InitVideo();
    std::vector<uint32_t> Pixels(16 * 12, 0x336699);
    TDecoderFrame Frame{Pixels.data()};
    Panel.AspectRatio = 4.0 / 3.0;
    Panel.SetFrameSize(16, 12);
    Panel.ShowFrame(&Frame);
    Panel.Present();
    Panel.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(ShownImage(Panel).pixel(60, 45) & 0xFFFFFF, 0x336699u);
    Panel.resize(60, 45); // a real resize opens a new output surface
    QCoreApplication::processEvents();
    EXPECT_EQ(ShownImage(Panel).size(), QSize(60, 45));
}

// The anamorphic test video through the real decoder: its stored 720 x 576 frame is shown
// 16:9, and the picture in the box is its first frame.
TEST(Panel, DecodedAnamorphicFrame) {
    TDecoder Decoder;
    Decoder.Open(Fixture("anamorphic.mp4"));
    ASSERT_NEAR(Decoder.AspectRatio, 16.0 / 9.0, 1e-3);
    TSDLPanel Panel;
    Panel.resize(395, 193);
    Panel.InitVideo();
    Panel.AspectRatio = Decoder.AspectRatio;
    Panel.SetFrameSize(Decoder.FrameWidth, Decoder.FrameHeight);
    Panel.ShowFrame(Decoder.NextFrame());
    const QImage Output = ShownImage(Panel);
    for (int Y : {0, 96, 192}) {
        EXPECT_EQ(Output.pixel(25, Y) & 0xFFFFFF, 0u);
        EXPECT_NE(Output.pixel(26, Y) & 0xFFFFFF, 0u);
        EXPECT_NE(Output.pixel(368, Y) & 0xFFFFFF, 0u);
        EXPECT_EQ(Output.pixel(369, Y) & 0xFFFFFF, 0u);
    }
    const TFrameIdentity Id = IdentityIn(Output, 26, 0, 343, 193);
    EXPECT_EQ(Id.Index, 0);
}

} // namespace
