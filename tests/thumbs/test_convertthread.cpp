// Generation jobs on the real decoder and real test videos. Every test video draws its
// frame index and second into the picture, so the written JPEG files tell exactly which
// frame each thumbnail is.
#include "convertthread.h"
#include "fixtures.h"
#include "frame_identity.h"
#include "scratch.h"
#include "thumbnail_file.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct TJobResult {
    std::vector<TEngineEvents> Reports;
    TConvertProgress Last;
    std::string Error;
};

// Runs one job to its end, serving its reports on this (the main) thread.
TJobResult RunJob(TDecoder& Decoder, const TConvertRec& Rec) {
    TJobResult Result;
    auto Job = std::make_unique<TConvertThread>(&Decoder);
    Job->FRec = Rec;
    Job->SetOnEvent([&](TEngineEvents Events, void* Data) {
        Result.Reports.push_back(Events);
        Result.Last = *static_cast<TConvertProgress*>(Data);
        if (Events & evConvError)
            Result.Error = Job->ErrorMessage;
    });
    Job->Resume();
    TLoopDispatcher::ServeUntil([&] { return Job->Finished(); });
    return Result;
}

TConvertRec Job(const std::string& Name, const std::string& Folder) {
    TConvertRec Rec;
    Rec.Width = 160;
    Rec.Height = 120;
    Rec.Pieces = 12;
    Rec.Name = Name;
    Rec.Folder = Folder;
    return Rec;
}

// The reports of a job that wrote Files thumbnails, with the rate flag taken out (it
// depends on the machine's speed).
std::vector<TEngineEvents> WithoutRate(const std::vector<TEngineEvents>& Reports) {
    std::vector<TEngineEvents> Out;
    for (TEngineEvents E : Reports)
        Out.push_back(E & ~evConvRate);
    return Out;
}

const TEngineEvents kEnd = evConvStopped | evConvEnd;

} // namespace

TEST(ConvertJob, PiecesAreEvenlySpaced) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4")); // 120 s at 25 fps
    const TJobResult R = RunJob(Decoder, Job("long", Out.Folder()));

    EXPECT_EQ(R.Last.Total, 12);
    EXPECT_EQ(R.Last.Current, 11);
    std::vector<TEngineEvents> Expected(12, evConvFrame);
    Expected.insert(Expected.end(), {kEnd, evConvDone});
    EXPECT_EQ(WithoutRate(R.Reports), Expected);
    EXPECT_EQ(Out.Files("long"), 12u);
    for (int I = 0; I < 12; ++I) {
        const TThumbnailFile Image = ReadThumbnail(Out.Path + "/long/long_" + std::to_string(I) + ".jpg");
        EXPECT_EQ(Image.Width, 160);
        EXPECT_EQ(Image.Height, 120);
        EXPECT_EQ(Image.Id.Index, I * 250) << "piece " << I;
        EXPECT_EQ(Image.Id.Second, I * 10) << "piece " << I;
    }
}

TEST(ConvertJob, ShortVideoGetsPiecesOneSecondApartUntilItEnds) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("ntsc_2997.mp4")); // 10 s: seeks 0, 1, ... and 10 finds nothing
    const TJobResult R = RunJob(Decoder, Job("ntsc", Out.Folder()));

    std::vector<TEngineEvents> Expected(10, evConvFrame);
    Expected.insert(Expected.end(), {kEnd, kEnd, evConvDone});
    EXPECT_EQ(WithoutRate(R.Reports), Expected);
    EXPECT_EQ(R.Last.Total, 12);
    EXPECT_EQ(R.Last.Current + 1, 10);
    for (int I = 0; I < 10; ++I)
        EXPECT_EQ(ReadThumbnail(Out.Path + "/ntsc/ntsc_" + std::to_string(I) + ".jpg").Id.Second, I);
}

TEST(ConvertJob, RangeWritesConsecutiveFramesFromTheStartMark) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    TConvertRec Rec = Job("long", Out.Folder());
    Rec.Range = true;
    Rec.StartPos = 10;
    Rec.EndPos = 20;
    const TJobResult R = RunJob(Decoder, Rec);

    EXPECT_EQ(R.Last.Total, 275);
    ASSERT_EQ(Out.Files("long"), 275u);
    for (int I = 0; I < 275; ++I)
        ASSERT_EQ(ReadThumbnail(Out.Path + "/long/long_" + std::to_string(I) + ".jpg").Id.Index, 250 + I)
            << "thumbnail " << I;
    ASSERT_GE(R.Reports.size(), 2u);
    EXPECT_EQ(R.Reports[R.Reports.size() - 2], kEnd);
    EXPECT_EQ(R.Reports.back(), evConvDone);
}

// The number of frames of a range is rounded half to even: 59.94 -> 60, 62.5 -> 62.
TEST(ConvertJob, RangeCountsRoundHalfToEven) {
    struct TCase {
        const char* File;
        int64_t Start, End, Total;
    };
    for (const TCase& C : {TCase{"ntsc_2997.mp4", 3, 4, 60}, TCase{"fps_12_5.mp4", 0, 4, 62}}) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture(C.File));
        TConvertRec Rec = Job("v", Out.Folder());
        Rec.Range = true;
        Rec.StartPos = C.Start;
        Rec.EndPos = C.End;
        const TJobResult R = RunJob(Decoder, Rec);
        EXPECT_EQ(R.Last.Total, C.Total) << C.File;
        EXPECT_EQ(Out.Files("v"), static_cast<size_t>(C.Total)) << C.File;
    }
}

TEST(ConvertJob, WholeVideoWritesEveryDeliveredFrameUnscaledAtFrameSize) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("fps_12_5.mp4"));
    int Delivered = 0;
    while (Decoder.NextFrame())
        ++Delivered;
    TConvertRec Rec = Job("whole", Out.Folder());
    Rec.Whole = true;
    Rec.Width = 320; // the frame size: written unscaled
    Rec.Height = 240;
    const TJobResult R = RunJob(Decoder, Rec);

    EXPECT_EQ(R.Last.Total, std::llround(10 * 12.5));
    EXPECT_EQ(R.Last.Current + 1, Delivered);
    ASSERT_EQ(Out.Files("whole"), static_cast<size_t>(Delivered));
    for (int I : {0, 1, Delivered / 2, Delivered - 1}) {
        const TThumbnailFile Image = ReadThumbnail(Out.Path + "/whole/whole_" + std::to_string(I) + ".jpg");
        EXPECT_EQ(Image.Width, 320);
        EXPECT_EQ(Image.Height, 240);
        EXPECT_EQ(Image.Id.Index, I); // also shows the picture is the right way up
    }
    ASSERT_GE(R.Reports.size(), 3u);
    const std::vector<TEngineEvents> Tail(R.Reports.end() - 3, R.Reports.end());
    EXPECT_EQ(Tail, (std::vector<TEngineEvents>{kEnd, kEnd, evConvDone}));
}

// Files are written while the next frame is made, but each report still comes after its own
// file is complete, one report per file, in order.
TEST(ConvertJob, EveryReportFollowsItsWrittenFileInOrder) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("fps_12_5.mp4"));
    TConvertRec Rec = Job("w", Out.Folder());
    Rec.Whole = true;
    int64_t Expected = 0;
    auto Job = std::make_unique<TConvertThread>(&Decoder);
    Job->FRec = Rec;
    Job->SetOnEvent([&](TEngineEvents Events, void* Data) {
        if (!(Events & evConvFrame))
            return;
        const int64_t Current = static_cast<TConvertProgress*>(Data)->Current;
        ASSERT_EQ(Current, Expected);
        const TThumbnailFile Image = ReadThumbnail(Out.Path + "/w/w_" + std::to_string(Current) + ".jpg");
        EXPECT_EQ(Image.Id.Index, Current);
        ++Expected;
    });
    Job->Resume();
    TLoopDispatcher::ServeUntil([&] { return Job->Finished(); });
    EXPECT_EQ(Expected, 125);
    EXPECT_EQ(Out.Files("w"), 125u);
}

// Where the file's index counts the frames, the whole video's total is that count, not the
// estimate from the whole seconds of the duration (0 for a video shorter than a second).
TEST(ConvertJob, WholeVideoTotalIsTheIndexedCount) {
    for (const char* Name : {"one_frame.mp4", "mpeg4.avi"}) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture(Name));
        TConvertRec Rec = Job("whole", Out.Folder());
        Rec.Whole = true;
        const TJobResult R = RunJob(Decoder, Rec);
        EXPECT_EQ(R.Last.Total, static_cast<int64_t>(Out.Files("whole"))) << Name;
        EXPECT_EQ(R.Last.Total, R.Last.Current + 1) << Name;
    }
}

// A video with gaps between its frames and no average rate in its container: the range takes
// the frames of the seconds asked, at the rate the frames really come.
TEST(ConvertJob, RangeOfAVariableRateVideoCoversTheSecondsAsked) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("vfr.ogv")); // every other frame of 15 fps: 7.5 a second
    TConvertRec Rec = Job("vfr", Out.Folder());
    Rec.Range = true;
    Rec.StartPos = 4;
    Rec.EndPos = 7;
    const TJobResult R = RunJob(Decoder, Rec);
    EXPECT_EQ(R.Last.Total, std::llround(4 * 109 / 14.4));
    ASSERT_EQ(Out.Files("vfr"), static_cast<size_t>(R.Last.Total));
    EXPECT_EQ(ReadThumbnail(Out.Path + "/vfr/vfr_0.jpg").Id.Second, 4);
    const int Last = static_cast<int>(R.Last.Total) - 1;
    const TThumbnailFile Image = ReadThumbnail(Out.Path + "/vfr/vfr_" + std::to_string(Last) + ".jpg");
    EXPECT_GE(Image.Id.Second, 7);
    EXPECT_LE(Image.Id.Second, 8);
}

TEST(ConvertJob, ExistingThumbnailsAreReplacedAndTheDefaultFolderIsUsed) {
    TScratch Home;
    const char* OldHome = std::getenv("HOME");
    const std::string SavedHome = OldHome ? OldHome : "";
    setenv("HOME", Home.Path.c_str(), 1);
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    TConvertRec Rec = Job("again", "");
    Rec.Pieces = 2;
    RunJob(Decoder, Rec);
    Rec.Width = 80;
    Rec.Height = 60;
    const TJobResult R = RunJob(Decoder, Rec);
    setenv("HOME", SavedHome.c_str(), 1);

    EXPECT_TRUE(R.Error.empty()) << R.Error;
    const TThumbnailFile Image = ReadThumbnail(Home.Path + "/again/again_1.jpg");
    EXPECT_EQ(Image.Width, 80);
    EXPECT_EQ(Image.Id.Second, 60);
}

// Every failure ends the job with the error report and a message naming what failed;
// what was written before stays.
TEST(ConvertJob, FailuresEndTheJobWithAMessage) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    const TEngineEvents kError = evConvError | evConvStopped;

    struct TCase {
        const char* What;
        TConvertRec Rec;
        size_t FramesFirst;   // thumbnails written before the failure
        const char* Message;  // part of the error text
    };
    TConvertRec NoPieces = Job("p", Out.Folder());
    NoPieces.Pieces = 0;
    TConvertRec NoSize = Job("s", Out.Folder());
    NoSize.Width = 0;
    TConvertRec MissingFolder = Job("m", Out.Path + "/no/such/folder/");
    TConvertRec Blocked = Job("b", Out.Folder()); // the second file's name is taken by a folder
    fs::create_directories(Out.Path + "/b/b_1.jpg");
    std::FILE* InTheWay = std::fopen((Out.Path + "/f").c_str(), "w"); // a file where the folder goes
    std::fclose(InTheWay);
    TConvertRec FileInTheWay = Job("f", Out.Folder());

    for (const TCase& C : {TCase{"no pieces", NoPieces, 0, "pieces"}, TCase{"zero size", NoSize, 0, "0 x 120"},
                           TCase{"missing folder", MissingFolder, 0, "No such file or directory"},
                           TCase{"unwritable file", Blocked, 1, "b_1.jpg: Is a directory"},
                           TCase{"file in the way", FileInTheWay, 0, "in the way"}}) {
        const TJobResult R = RunJob(Decoder, C.Rec);
        std::vector<TEngineEvents> Expected(C.FramesFirst, evConvFrame);
        Expected.push_back(kError);
        EXPECT_EQ(WithoutRate(R.Reports), Expected) << C.What;
        EXPECT_NE(R.Error.find(C.Message), std::string::npos) << C.What << ": " << R.Error;
        EXPECT_EQ(R.Last.Current + 1, static_cast<int64_t>(C.FramesFirst)) << C.What;
    }
    EXPECT_EQ(ReadThumbnail(Out.Path + "/b/b_0.jpg").Id.Index, 0);
}

// Freeing a job stops it before its next frame, in every mode, and nothing is reported
// after that.
TEST(ConvertJob, StopEndsAJobPromptlyAndSilently) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    for (const bool Range : {false, true}) {
        TConvertRec Rec = Job(Range ? "range" : "whole", Out.Folder());
        Rec.Whole = !Range;
        Rec.Range = Range;
        Rec.StartPos = 0;
        Rec.EndPos = 119; // 3000 frames
        int Reports = 0;
        auto Job = std::make_unique<TConvertThread>(&Decoder);
        Job->FRec = Rec;
        Job->SetOnEvent([&](TEngineEvents, void*) { ++Reports; });
        Job->Resume();
        TLoopDispatcher::ServeUntil([&] { return Reports >= 5 || Job->Finished(); });
        Job.reset(); // stops and waits, serving what is still handed off
        const int Seen = Reports;
        EXPECT_EQ(Seen, 5) << (Range ? "range" : "whole");
        EXPECT_LT(Out.Files(Rec.Name), 10u);
        TLoopDispatcher::ProcessHandOffs(std::chrono::milliseconds(50));
        EXPECT_EQ(Reports, Seen);
    }
}

TEST(ConvertJob, VideoNameDropsFolderAndExtension) {
    EXPECT_EQ(VideoName("/videos/holiday.2024.mp4"), "holiday.2024");
    EXPECT_EQ(VideoName("clip"), "clip");
    EXPECT_EQ(VideoName("/a/.hidden"), ".hidden");
    EXPECT_EQ(VideoName("/a/vidéo été.mkv"), "vidéo été");
}
