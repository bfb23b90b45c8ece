// Contact sheets: the layout and texts as tables of cases, and whole sheets made by the sheet
// job on the real decoder and test videos. Every test video draws its frame index and second
// into the picture, so the tiles of a written sheet tell exactly which frame each one shows.
#include "fixtures.h"
#include "frame_identity.h"
#include "home.h"
#include "jobs/outputs.h"
#include "jobs/sheetjob.h"
#include "jobs/sheetpainter.h"
#include "scratch.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;

namespace {

const TEngineEvents kEnd = evConvStopped | evConvEnd;

// A written sheet, read back with the top row first.
struct TSheetImage {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels; // 0x00RRGGBB

    uint32_t At(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
    int Green(int X, int Y) const { return static_cast<int>((At(X, Y) >> 8) & 0xFF); }
    // The identity of the frame in Tile; Threshold splits dark from light columns.
    TFrameIdentity Identity(const TSheetRect& Tile, int Threshold = 128) const {
        return ReadIdentity(Tile.Width, Tile.Height, [&](int X, int Y) {
            return Green(Tile.X + X, Tile.Y + Y) > Threshold ? 255 : 0;
        });
    }
    // How many pixels of a rectangle are nearly white on every channel.
    int LightPixels(const TSheetRect& R) const {
        int Count = 0;
        for (int Y = R.Y; Y < R.Y + R.Height; ++Y)
            for (int X = R.X; X < R.X + R.Width; ++X) {
                const uint32_t P = At(X, Y);
                Count += ((P >> 16) & 0xFF) > 200 && ((P >> 8) & 0xFF) > 200 && (P & 0xFF) > 200;
            }
        return Count;
    }
};

// The band of a tile's time: the lower right corner of the tile.
TSheetRect TimeCorner(const TSheetRect& Tile) {
    return {Tile.X + Tile.Width * 3 / 4, Tile.Y + Tile.Height * 4 / 5, Tile.Width / 4, Tile.Height / 5};
}

// Which pixels of the time corner of Tile are the time's light letters.
std::vector<bool> LetterMask(const std::function<uint32_t(int, int)>& At, const TSheetRect& Tile) {
    const TSheetRect C = TimeCorner(Tile);
    std::vector<bool> Mask;
    for (int Y = C.Y; Y < C.Y + C.Height; ++Y)
        for (int X = C.X; X < C.X + C.Width; ++X) {
            const uint32_t P = At(X, Y);
            Mask.push_back(((P >> 16) & 0xFF) > 200 && ((P >> 8) & 0xFF) > 200 && (P & 0xFF) > 200);
        }
    return Mask;
}

// The letters of Text as the painter draws a tile's time at Tile, alone on a black tile of a
// sheet SheetWidth wide.
std::vector<bool> TimeDrawnAlone(const std::string& Text, const TSheetRect& Tile, int32_t SheetWidth) {
    TSheetPainter Painter(SheetWidth, "", "");
    TSheetLayout Layout;
    Layout.Width = SheetWidth;
    Layout.Height = Tile.Y + Tile.Height + 8;
    Layout.Tiles = {Tile};
    TFastDIB Sheet, Black;
    Painter.Begin(Sheet, Layout);
    Black.SetSize(Tile.Width, Tile.Height, 32);
    std::memset(Black.Bits(), 0, static_cast<size_t>(Black.Size()));
    Painter.PlaceTile(Black, Tile);
    Painter.DrawTileTime(Tile, Text);
    Painter.End();
    return LetterMask(
        [&](int X, int Y) { return reinterpret_cast<const uint32_t*>(Sheet.Scanlines()[Y])[X] & 0xFFFFFF; },
        Tile);
}

// Pixels where two letter masks differ, and the letters' pixels of the first.
std::pair<int, int> MaskDifference(const std::vector<bool>& A, const std::vector<bool>& B) {
    int Differ = 0, Letters = 0;
    for (size_t I = 0; I < A.size() && I < B.size(); ++I) {
        Differ += A[I] != B[I];
        Letters += A[I];
    }
    return {Differ, Letters};
}

TSheetImage ReadSheet(const std::string& File) {
    TSheetImage Image;
    FIBITMAP* Dib = FreeImage_Load(FreeImage_GetFileType(File.c_str()), File.c_str(), 0);
    if (!Dib)
        return Image;
    FIBITMAP* Dib32 = FreeImage_ConvertTo32Bits(Dib);
    FreeImage_Unload(Dib);
    Image.Width = static_cast<int>(FreeImage_GetWidth(Dib32));
    Image.Height = static_cast<int>(FreeImage_GetHeight(Dib32));
    Image.Pixels.resize(static_cast<size_t>(Image.Width) * Image.Height);
    for (int Y = 0; Y < Image.Height; ++Y) {
        // The library counts rows from the bottom.
        const auto* Row = reinterpret_cast<const uint32_t*>(FreeImage_GetScanLine(Dib32, Image.Height - 1 - Y));
        for (int X = 0; X < Image.Width; ++X)
            Image.Pixels[static_cast<size_t>(Y) * Image.Width + X] = Row[X] & 0xFFFFFF;
    }
    FreeImage_Unload(Dib32);
    return Image;
}

struct TSheetResult {
    std::vector<TEngineEvents> Reports; // without the rate flag, which depends on the machine
    TConvertProgress Last;
    std::string Error;
    std::string FileName;
    std::vector<TSheetTile> Tiles;
};

// Runs one sheet job to its end, serving its reports on this (the main) thread. StopAfter >= 0
// stops the job from inside the report of that tile.
TSheetResult MakeSheet(const std::string& Video, const TSheetRec& Rec, int StopAfter = -1) {
    TSheetResult Result;
    TDecoder Decoder;
    Decoder.Open(Video);
    TSheetThread Job(&Decoder);
    TSheetRec Sheet = Rec;
    Sheet.Path = Video;
    Job.SetRec(Sheet);
    const TJobEnd End = RunToEnd(Job, [&](const TJobReport& Report) {
        if ((Report.Events & evConvFrame) && Report.Progress.Current == StopAfter)
            Job.Terminate();
    });
    for (const TEngineEvents Events : End.Reports)
        Result.Reports.push_back(Events & ~evConvRate);
    Result.Last = End.Last;
    Result.Error = End.Error;
    Result.FileName = End.Output;
    Result.Tiles = Job.Tiles();
    return Result;
}

TSheetRec Sheet(const std::string& Folder, int Columns, int Rows, int Width, const std::string& Format = "png") {
    TSheetRec Rec;
    Rec.Columns = Columns;
    Rec.Rows = Rows;
    Rec.Width = Width;
    Rec.Folder = Folder;
    Rec.Format = Format;
    return Rec;
}

std::vector<TEngineEvents> FinishedReports(int Tiles) {
    std::vector<TEngineEvents> Expected(Tiles, evConvFrame);
    Expected.insert(Expected.end(), {kEnd, evConvDone});
    return Expected;
}

} // namespace

TEST(SheetLayout, TilesFillTheWidthEvenlyInTheVideosShape) {
    struct TCase {
        int Columns, Rows, Width;
        double Aspect;
        int Header;
    } Cases[] = {{4, 4, 1600, 16.0 / 9, 80}, {3, 5, 1000, 0.75, 50},  {1, 1, 160, 4.0 / 3, 20},
                 {20, 2, 3000, 2.39, 60},    {7, 3, 1234, 1.0, 0},     {5, 20, 800, 9.0 / 16, 40}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Columns) + "x" + std::to_string(C.Rows) + " at " + std::to_string(C.Width));
        const TSheetLayout L = LayOutSheet(C.Columns, C.Rows, C.Width, C.Aspect, C.Header);
        ASSERT_EQ(L.Tiles.size(), static_cast<size_t>(C.Columns * C.Rows));
        EXPECT_EQ(L.Width, C.Width);
        EXPECT_GE(L.Gap, 2);
        EXPECT_NEAR(L.TileHeight, L.TileWidth / C.Aspect, 0.5);
        EXPECT_EQ(L.Height, C.Header + C.Rows * (L.TileHeight + L.Gap));
        // Even gaps between neighbours, the rest split between the two outer margins.
        const int Left = L.Tiles.front().X;
        const int Right = C.Width - (L.Tiles[C.Columns - 1].X + L.TileWidth);
        EXPECT_GE(std::min(Left, Right), L.Gap);
        EXPECT_LE(std::abs(Left - Right), 1);
        EXPECT_EQ(L.Tiles.front().Y, C.Header);
        for (size_t I = 0; I < L.Tiles.size(); ++I) {
            const TSheetRect& T = L.Tiles[I];
            EXPECT_EQ(T.Width, L.TileWidth);
            EXPECT_EQ(T.Height, L.TileHeight);
            EXPECT_LE(T.Y + T.Height + L.Gap, L.Height);
            if (I % C.Columns != 0) {
                EXPECT_EQ(T.X, L.Tiles[I - 1].X + L.TileWidth + L.Gap);
            }
            if (I >= static_cast<size_t>(C.Columns)) {
                EXPECT_EQ(T.Y, L.Tiles[I - C.Columns].Y + L.TileHeight + L.Gap);
            }
        }
    }
}

TEST(SheetLayout, RefusesSizesOutsideTheLimitsSayingWhy) {
    struct TCase {
        int Columns, Rows, Width;
        double Aspect;
        const char* Says;
    } Cases[] = {{0, 4, 1600, 1.5, "columns"},  {4, 21, 1600, 1.5, "rows"},     {4, 4, 100, 1.5, "width"},
                 {4, 4, 20000, 1.5, "width"},   {20, 1, 200, 1.5, "too narrow"}, {1, 20, 10000, 0.1, "high"},
                 {4, 4, 1600, 0.0, "aspect"}};
    for (const TCase& C : Cases) {
        try {
            LayOutSheet(C.Columns, C.Rows, C.Width, C.Aspect, 50);
            ADD_FAILURE() << C.Says << ": accepted";
        } catch (const Exception& E) {
            EXPECT_NE(std::string(E.what()).find(C.Says), std::string::npos) << E.what();
        }
    }
}

TEST(SheetText, TimesAndTheHeadersLineOfProperties) {
    const std::pair<int64_t, const char*> Times[] = {{0, "0:00"},     {59, "0:59"},      {61, "1:01"},
                                                     {3599, "59:59"}, {3600, "1:00:00"}, {36061, "10:01:01"},
                                                     {-5, "0:00"}};
    for (const auto& [Seconds, Text] : Times)
        EXPECT_EQ(ClockText(Seconds), Text);

    // The duration in microseconds, to the tenth of a second below a minute.
    EXPECT_EQ(SheetInfoLine(12'400'000, 5'025'400'000, 1920, 1080, 16.0 / 9, 30000.0 / 1001),
              "12.4 MB  \u00b7  1:23:45  \u00b7  1920 \u00d7 1080  \u00b7  16:9  \u00b7  29.97 fps");
    EXPECT_EQ(SheetInfoLine(812, 7'000'000, 240, 320, 0.75, 25),
              "812 bytes  \u00b7  0:07.0  \u00b7  240 \u00d7 320  \u00b7  3:4  \u00b7  25 fps");
    EXPECT_EQ(SheetInfoLine(812, 1'520'000, 320, 240, 4.0 / 3, 25),
              "812 bytes  \u00b7  0:01.5  \u00b7  320 \u00d7 240  \u00b7  4:3  \u00b7  25 fps");
    EXPECT_EQ(SheetInfoLine(-1, 59'960'000, 320, 240, 4.0 / 3, 25),
              "0:59.9  \u00b7  320 \u00d7 240  \u00b7  4:3  \u00b7  25 fps");
    EXPECT_EQ(SheetInfoLine(-1, 60'000'000, 720, 576, 2.39, 12.5),
              "1:00  \u00b7  720 \u00d7 576  \u00b7  2.39:1  \u00b7  12.5 fps");
}

TEST(SheetText, FileNamesInAnyScriptFindTheirFonts) {
    const char* Names[] = {"日本語の動画ファイル.mp4", "中文视频文件.mkv", "한국어 동영상.mp4", "Видео файл.avi",
                           "Ταινία.mp4",             "فيديو.mp4",        "סרטון.mp4",         "vidéo été – 日本 #1.mp4"};
    for (const char* Name : Names) {
        const TSheetPainter Painter(1600, Name, SheetInfoLine(1, 1, 2, 2, 1, 1));
        EXPECT_EQ(Painter.MissingGlyphs(), 0) << Name;
        EXPECT_GT(Painter.HeaderHeight(), 2 * SheetGap(1600));
    }
}

// The tile i of N shows the first frame at or after D (i + 0.5) / N seconds, D the exact length;
// with D in microseconds and the rate as the fraction Num / Den, that is frame
// ceil(D (2i + 1) Num / (2 N Den 10^6)).
struct TSheetCase {
    const char* File;
    int Columns, Rows, Width;
    int64_t Duration, RateNum, RateDen; // Duration in microseconds
};

class SheetFrames : public testing::TestWithParam<TSheetCase> {};

TEST_P(SheetFrames, EveryTileShowsTheFrameDueAtItsTimeWithItsTime) {
    const TSheetCase& C = GetParam();
    TScratch Out;
    const TSheetResult R = MakeSheet(Fixture(C.File), Sheet(Out.Folder(), C.Columns, C.Rows, C.Width));
    const int N = C.Columns * C.Rows;

    ASSERT_EQ(R.Error, "");
    EXPECT_EQ(R.Reports, FinishedReports(N));
    EXPECT_EQ(R.Last.Total, N);
    EXPECT_EQ(R.Last.Current, N - 1);
    EXPECT_EQ(R.FileName, Out.Folder() + fs::path(C.File).stem().string() + "_sheet.png");
    const TSheetImage Image = ReadSheet(R.FileName);
    ASSERT_EQ(Image.Width, C.Width);
    ASSERT_EQ(R.Tiles.size(), static_cast<size_t>(N));
    EXPECT_EQ(Image.Height, R.Tiles.back().Where.Y + R.Tiles.back().Where.Height + SheetGap(C.Width));

    for (int I = 0; I < N; ++I) {
        SCOPED_TRACE("tile " + std::to_string(I));
        const int64_t Num = C.Duration * (2 * I + 1) * C.RateNum;
        const int64_t Den = 2 * N * C.RateDen * 1000000;
        const int64_t Frame = (Num + Den - 1) / Den;
        const int64_t Second = Frame * C.RateDen / C.RateNum;
        const TSheetTile& Tile = R.Tiles[I];
        const TFrameIdentity Id = Image.Identity(Tile.Where);
        EXPECT_EQ(Tile.Frame, Frame);
        EXPECT_EQ(Id.Index, Frame);
        EXPECT_EQ(Id.Second, Second);
        // A row spanning less than a minute labels its tiles to the tenth of a second.
        const bool Tenths = C.Duration < int64_t{60'000'000} * C.Rows;
        const std::string Time =
            Tenths ? ClockTextTenths(Frame * C.RateDen * 1000000 / C.RateNum) : ClockText(Second);
        EXPECT_EQ(Tile.Time, Time);
        // The time is written light on a dark band in the lower right corner, where the test
        // pictures are dark (those columns hold high bits of the second): its letters are
        // those of the same text drawn alone, and not those of the next tenth.
        const std::vector<bool> Drawn = LetterMask([&](int X, int Y) { return Image.At(X, Y); }, Tile.Where);
        const auto [Differ, Letters] = MaskDifference(Drawn, TimeDrawnAlone(Time, Tile.Where, C.Width));
        EXPECT_GT(Letters, 20);
        EXPECT_LE(Differ, Letters / 50 + 2) << Differ << " of " << Letters;
        const std::string Other = Tenths ? ClockTextTenths(Frame * C.RateDen * 1000000 / C.RateNum + 100000)
                                         : ClockText(Second + 1);
        const auto [OtherDiffer, OtherLetters] =
            MaskDifference(Drawn, TimeDrawnAlone(Other, Tile.Where, C.Width));
        EXPECT_GT(OtherDiffer, Letters / 50 + 2) << Other << ": " << OtherDiffer << " of " << Letters;
    }
}

INSTANTIATE_TEST_SUITE_P(Videos, SheetFrames,
                         testing::Values(TSheetCase{"vp9.webm", 4, 4, 1600, 3'000'000, 25, 1},
                                         TSheetCase{"long_gop_25.mp4", 4, 4, 1600, 120'000'000, 25, 1},
                                         TSheetCase{"long_gop_25.mp4", 6, 2, 2000, 120'000'000, 25, 1},
                                         TSheetCase{"long_gop_25.mp4", 10, 10, 1600, 120'000'000, 25, 1},
                                         TSheetCase{"ntsc_2997.mp4", 3, 3, 900, 10'010'000, 30000, 1001},
                                         TSheetCase{"fps_12_5.mp4", 5, 4, 1200, 10'000'000, 25, 2},
                                         TSheetCase{"hevc.mp4", 2, 3, 640, 3'000'000, 25, 1},
                                         // 1.52 s: its last half second too.
                                         TSheetCase{"short_1_52.mp4", 4, 2, 800, 1'520'000, 25, 1}),
                         [](const testing::TestParamInfo<TSheetCase>& Info) {
                             return TestNameOf(std::string(Info.param.File) + "_" +
                                               std::to_string(Info.param.Columns) + "x" +
                                               std::to_string(Info.param.Rows));
                         });

// A frame is shown once: tiles whose instant finds a frame already on the sheet are left out
// and counted as repeats, the different frames fill the places in time order, and rows that no
// frame reached are cut off the sheet.
TEST(SheetFrames, AFrameIsShownOnceAndRowsNoFrameReachedAreCut) {
    struct TCase {
        const char* File;
        int Columns, Rows;
        size_t Shown; // different frames: tiles on the sheet
    };
    for (const TCase& C : {TCase{"one_frame.mp4", 2, 2, 1}, TCase{"slideshow.mp4", 4, 4, 4},
                           TCase{"fps_12_5.mp4", 12, 12, 124}}) {
        SCOPED_TRACE(C.File);
        TScratch Out;
        const TSheetResult R = MakeSheet(Fixture(C.File), Sheet(Out.Folder(), C.Columns, C.Rows, 1200));
        const int N = C.Columns * C.Rows;
        ASSERT_EQ(R.Error, "");
        EXPECT_EQ(R.Reports, FinishedReports(static_cast<int>(C.Shown)));
        EXPECT_EQ(R.Last.Total, N);
        EXPECT_EQ(R.Last.Current + 1, static_cast<int64_t>(C.Shown));
        EXPECT_EQ(R.Last.Repeats, N - static_cast<int64_t>(C.Shown));
        ASSERT_EQ(R.Tiles.size(), C.Shown);
        const TSheetImage Image = ReadSheet(R.FileName);
        const TSheetLayout Full = LayOutSheet(C.Columns, C.Rows, 1200, 4.0 / 3, R.Tiles.front().Where.Y);
        int64_t Last = -1;
        for (size_t I = 0; I < C.Shown; ++I) {
            EXPECT_EQ(R.Tiles[I].Where.X, Full.Tiles[I].X) << I;
            EXPECT_EQ(R.Tiles[I].Where.Y, Full.Tiles[I].Y) << I;
            const int64_t Index = Image.Identity(R.Tiles[I].Where).Index;
            EXPECT_EQ(Index, R.Tiles[I].Frame) << I;
            EXPECT_GT(Index, Last) << I;
            Last = Index;
        }
        EXPECT_EQ(Image.Height, R.Tiles.back().Where.Y + Full.TileHeight + Full.Gap);
    }
}

// blur_sharp.mp4: 10 s at 25 fps, smeared by a blur but for frames 5, 15, 25, ... Preferring
// clear pictures, each tile of a 2 x 2 sheet (instants 1.25, 3.75, 6.25 and 8.75 s, a window
// of 12 frames, under a quarter of the interval) takes a sharp frame of its window, labelled with that
// frame's time; without, the frame due at the instant.
TEST(SheetChoice, PreferringClearPicturesTakesASharpFrameOfTheWindow) {
    const int64_t Due[] = {32, 94, 157, 219};
    for (const bool Prefer : {false, true}) {
        SCOPED_TRACE(Prefer ? "clear pictures preferred" : "exact");
        TScratch Out;
        TSheetRec Rec = Sheet(Out.Folder(), 2, 2, 800);
        Rec.PreferClear = Prefer;
        const TSheetResult R = MakeSheet(Fixture("blur_sharp.mp4"), Rec);
        ASSERT_EQ(R.Error, "");
        ASSERT_EQ(R.Tiles.size(), 4u);
        const TSheetImage Image = ReadSheet(R.FileName);
        for (size_t I = 0; I < 4; ++I) {
            const TSheetTile& Tile = R.Tiles[I];
            if (!Prefer) {
                EXPECT_EQ(Tile.Frame, Due[I]);
                continue;
            }
            const int64_t WindowEnd = Due[I] + 12;
            EXPECT_EQ(Tile.Frame % 10, 5) << "tile " << I << ": frame " << Tile.Frame;
            EXPECT_GE(Tile.Frame, Due[I]);
            EXPECT_LT(Tile.Frame, WindowEnd);
            EXPECT_EQ(Image.Identity(Tile.Where).Index, Tile.Frame) << "tile " << I;
            EXPECT_EQ(Tile.Time, ClockTextTenths(Tile.Frame * 40000)) << "tile " << I;
        }
    }
}

// fade_black.mp4: 6 s at 25 fps, frames 0-29 and 125-149 nearly black (their identity drawn
// faintly). A blank tile takes the first frame that is not blank within half a tile's interval,
// and keeps its own frame when there is none.
TEST(SheetBlankFrames, SkippedWithinHalfAnIntervalOtherwiseKept) {
    struct TCase {
        int Columns, Rows;
        std::vector<int64_t> Frames;
    } Cases[] = {
        // Tile 0 is due at frame 19; frame 30, 11 frames on, is within the 18 of half an
        // interval. Tile 3 is due at frame 132; only blank frames follow it to the end.
        {2, 2, {30, 57, 94, 132}},
        // Tile 0 is due at frame 9, and the 8 frames of half an interval are all blank; tile 1
        // is due at frame 25 and takes frame 30, 5 frames on.
        {3, 3, {9, 30, 42, 59, 75, 92, 109, 125, 142}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Columns) + "x" + std::to_string(C.Rows));
        TScratch Out;
        const TSheetResult R = MakeSheet(Fixture("fade_black.mp4"), Sheet(Out.Folder(), C.Columns, C.Rows, 800));
        ASSERT_EQ(R.Error, "");
        const TSheetImage Image = ReadSheet(R.FileName);
        ASSERT_EQ(R.Tiles.size(), C.Frames.size());
        for (size_t I = 0; I < C.Frames.size(); ++I) {
            const bool Faint = C.Frames[I] < 30 || C.Frames[I] >= 125;
            EXPECT_EQ(R.Tiles[I].Frame, C.Frames[I]) << "tile " << I;
            EXPECT_EQ(Image.Identity(R.Tiles[I].Where, Faint ? 20 : 128).Index, C.Frames[I]) << "tile " << I;
        }
    }
}

TEST(SheetShapes, RotatedAndAnamorphicVideosKeepTheirDisplayShape) {
    TScratch Out;
    // Rotated: stored 320 x 240 and turned a quarter, shown 240 x 320 with the red square at
    // the bottom left.
    TSheetResult R = MakeSheet(Fixture("rotated_90.mp4"), Sheet(Out.Folder(), 3, 2, 900));
    ASSERT_EQ(R.Error, "");
    TSheetImage Image = ReadSheet(R.FileName);
    for (const TSheetTile& Tile : R.Tiles) {
        const TSheetRect& W = Tile.Where;
        EXPECT_NEAR(W.Height, W.Width * 4.0 / 3, 0.5);
        const auto IsRed = [&](int X, int Y) {
            const uint32_t P = Image.At(W.X + X, W.Y + Y);
            return ((P >> 16) & 0xFF) > 200 && (P & 0xFF) < 60;
        };
        EXPECT_TRUE(IsRed(W.Width / 8, W.Height * 15 / 16));
        EXPECT_FALSE(IsRed(W.Width / 8, W.Height / 16));
        EXPECT_FALSE(IsRed(W.Width * 7 / 8, W.Height / 16));
    }

    // Anamorphic: stored 720 x 576, shown 16:9.
    R = MakeSheet(Fixture("anamorphic.mp4"), Sheet(Out.Folder(), 2, 2, 1000));
    ASSERT_EQ(R.Error, "");
    Image = ReadSheet(R.FileName);
    const int64_t Frames[] = {7, 19, 32, 44}; // 2 s at 25 fps: 0.25, 0.75, 1.25 and 1.75 s
    for (size_t I = 0; I < 4; ++I) {
        const TSheetRect& W = R.Tiles[I].Where;
        EXPECT_NEAR(W.Height, W.Width * 9.0 / 16, 0.5);
        EXPECT_EQ(Image.Identity(W).Index, Frames[I]);
    }
}

TEST(SheetHeader, NamesTheFileInItsOwnLetters) {
    TScratch Out;
    const std::string Video = Out.Path + "/日本語の動画.webm";
    fs::copy_file(Fixture("vp9.webm"), Video);
    TSheetRec Rec = Sheet(Out.Folder(), 2, 2, 800, "jpg");
    const TSheetResult R = MakeSheet(Video, Rec);
    ASSERT_EQ(R.Error, "");
    EXPECT_EQ(R.FileName, Out.Path + "/日本語の動画_sheet.jpg");
    const TSheetImage Image = ReadSheet(R.FileName);
    ASSERT_EQ(Image.Width, 800);
    // The header is the band above the first row of tiles; only its text is light.
    const TSheetRect Header{0, 0, Image.Width, R.Tiles.front().Where.Y};
    const TSheetRect TitleLeft{0, 0, Image.Width / 4, Header.Height / 2};
    EXPECT_GT(Image.LightPixels(TitleLeft), 100);
    EXPECT_GT(Image.LightPixels(Header), Image.LightPixels(TitleLeft));
}

TEST(SheetReports, FailuresNameThePathAndTheReason) {
    TScratch Out;
    fs::create_directory(Out.Path + "/vp9_sheet.jpg");
    struct TCase {
        TSheetRec Rec;
        int TilesBefore;
        std::string Says;
    } Cases[] = {
        {Sheet(Out.Path + "/missing/", 2, 2, 400, "jpg"), 4, Out.Path + "/missing/vp9_sheet.jpg: No such file"},
        {Sheet(Out.Folder(), 2, 2, 400, "jpg"), 4, Out.Path + "/vp9_sheet.jpg: Is a directory"},
        {Sheet(Out.Folder(), 0, 2, 400), 0, "columns"},
        {Sheet(Out.Folder(), 2, 2, 400, "bmp"), 0, "\"bmp\""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Says);
        const TSheetResult R = MakeSheet(Fixture("vp9.webm"), C.Rec);
        std::vector<TEngineEvents> Expected(C.TilesBefore, evConvFrame);
        Expected.push_back(evConvError | evConvStopped);
        EXPECT_EQ(R.Reports, Expected);
        EXPECT_NE(R.Error.find(C.Says), std::string::npos) << R.Error;
    }
}

// Without a home folder there is no default save folder: the job says so and writes
// nowhere (not into the working folder, not into the root folder).
TEST(SheetReports, NoHomeFolderMeansNoDefaultFolder) {
    TScratch Work;
    const fs::path Before = fs::current_path();
    fs::current_path(Work.Path);
    THome Unset(nullptr);
    const TSheetResult R = MakeSheet(Fixture("vp9.webm"), Sheet("", 2, 2, 400, "jpg"));
    fs::current_path(Before);
    ASSERT_FALSE(R.Reports.empty());
    EXPECT_EQ(R.Reports.back(), evConvError | evConvStopped);
    EXPECT_NE(R.Error.find("no default save folder"), std::string::npos) << R.Error;
    EXPECT_TRUE(fs::is_empty(Work.Path));
    EXPECT_FALSE(fs::exists("/vp9_sheet.jpg"));
}

TEST(SheetReports, AStopEndsTheJobBeforeTheNextTileAndWritesNothing) {
    TScratch Out;
    const TSheetResult R = MakeSheet(Fixture("long_gop_25.mp4"), Sheet(Out.Folder(), 4, 4, 800), 2);
    EXPECT_EQ(R.Reports, (std::vector<TEngineEvents>{evConvFrame, evConvFrame, evConvFrame, evConvStopped}));
    EXPECT_EQ(R.Tiles.size(), 3u);
    EXPECT_TRUE(fs::is_empty(Out.Path));
}
