// Generation jobs on the real decoder and real test videos. Every test video draws its
// frame index and second into the picture, so the written JPEG files tell exactly which
// frame each thumbnail is.
#include "fault_io.h"
#include "fixtures.h"
#include "frame_identity.h"
#include "home.h"
#include "jobs/outputs.h"
#include "jobs/thumbnailjob.h"
#include "scratch.h"
#include "thumbnail_file.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs one job to its end, serving its reports on this (the main) thread.
TJobEnd RunJob(TDecoder& Decoder, const TConvertRec& Rec) {
    TConvertThread Job(&Decoder);
    Job.SetRec(Rec);
    return RunToEnd(Job);
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
const TEngineEvents kError = evConvError | evConvStopped;

} // namespace

TEST(ConvertJob, PiecesAreEvenlySpaced) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4")); // 120 s at 25 fps
    const TJobEnd R = RunJob(Decoder, Job("long", Out.Folder()));

    EXPECT_EQ(R.Last.Total, 12);
    EXPECT_EQ(R.Last.Current, 11);
    EXPECT_EQ(R.Output, Out.Path + "/long");
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

// A request names its video: the job opens it where the decoder it is given has another video
// open, or none, and takes its frames from it; a video that cannot be opened fails the job with
// the reason.
TEST(ConvertJob, TakesTheVideoItsRequestNames) {
    TScratch Out;
    for (const char* Before : {"", "ntsc_2997.mp4"}) {
        SCOPED_TRACE(Before);
        TDecoder Decoder;
        if (*Before)
            Decoder.Open(Fixture(Before));
        TConvertRec Rec = Job(*Before ? "long_after" : "long_fresh", Out.Folder());
        Rec.Path = Fixture("long_gop_25.mp4");
        Rec.Pieces = 3;
        const TJobEnd R = RunJob(Decoder, Rec);
        ASSERT_FALSE(R.Failed) << R.Error;
        EXPECT_EQ(Decoder.FileName(), Rec.Path);
        for (int I = 0; I < 3; ++I)
            EXPECT_EQ(ReadThumbnail(Out.Path + "/" + Rec.Name + "/" + Rec.Name + "_" + std::to_string(I) + ".jpg")
                          .Id.Index,
                      I * 1000);
    }
    TDecoder Decoder;
    TConvertRec Rec = Job("missing", Out.Folder());
    Rec.Path = Out.Path + "/missing.mp4";
    const TJobEnd R = RunJob(Decoder, Rec);
    EXPECT_TRUE(R.Failed);
    EXPECT_NE(R.Error.find(Rec.Path), std::string::npos) << R.Error;
}

TEST(ConvertJob, ShortVideoGetsPiecesOneSecondApartUntilItEnds) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("ntsc_2997.mp4")); // 10 s: seeks 0, 1, ... and 10 finds nothing
    const TJobEnd R = RunJob(Decoder, Job("ntsc", Out.Folder()));

    std::vector<TEngineEvents> Expected(10, evConvFrame);
    Expected.insert(Expected.end(), {kEnd, kEnd, evConvDone});
    EXPECT_EQ(WithoutRate(R.Reports), Expected);
    EXPECT_EQ(R.Last.Total, 12);
    EXPECT_EQ(R.Last.Current + 1, 10);
    for (int I = 0; I < 10; ++I)
        EXPECT_EQ(ReadThumbnail(Out.Path + "/ntsc/ntsc_" + std::to_string(I) + ".jpg").Id.Second, I);
}

// A frame is never written twice: a piece whose instant finds a frame written already is left
// out and counted as a repeat, in the window's pieces whole seconds apart as in the command
// line's spread ones, with or without the clearest frame taken; the files are numbered on.
TEST(ConvertJob, PiecesNeverWriteAFrameTwice) {
    struct TCase {
        const char* What;
        const char* Video;
        int32_t Pieces;
        bool Spread, Clear;
        int First, Files; // the frame of the first file; the files, frames one after another
        int64_t Repeats;
    };
    const TCase Cases[] = {
        // Seeks to 0 .. 9 s find the slides at 0, 2, 2, 4, 4, ... s; the tenth finds none.
        {"window, slides 2 s apart", "slideshow.mp4", 10, false, false, 0, 5, 4},
        // Instants 0.5 .. 9.5 s: the slides at 2, 4, 6 and 8 s, the last standing in past it.
        {"spread, slides 2 s apart", "slideshow.mp4", 10, true, false, 1, 4, 6},
        // Instants 0.05 s apart from 0.025 s: every frame but the first, at 0 s.
        {"spread, more pieces than frames", "fps_12_5.mp4", 200, true, false, 1, 124, 76},
        {"spread, clearest, more pieces than frames", "fps_12_5.mp4", 200, true, true, 1, 124, 76},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture(C.Video));
        TConvertRec Rec = Job("p", Out.Folder());
        Rec.Pieces = C.Pieces;
        Rec.SpreadPieces = C.Spread;
        Rec.PreferClear = C.Clear;
        const TJobEnd R = RunJob(Decoder, Rec);
        ASSERT_EQ(R.Error, "");
        EXPECT_EQ(R.Last.Total, C.Pieces);
        EXPECT_EQ(R.Last.Current + 1, C.Files);
        EXPECT_EQ(R.Last.Repeats, C.Repeats);
        ASSERT_EQ(Out.Files("p"), static_cast<size_t>(C.Files));
        for (int I = 0; I < C.Files; ++I)
            EXPECT_EQ(ReadThumbnail(Out.Path + "/p/p_" + std::to_string(I) + ".jpg").Id.Index, C.First + I)
                << I;
    }
}

TEST(ConvertJob, RangeWritesConsecutiveFramesFromTheStartMark) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    TConvertRec Rec = Job("long", Out.Folder());
    Rec.Mode = TThumbMode::Range;
    Rec.StartPos = 10;
    Rec.EndPos = 20;
    const TJobEnd R = RunJob(Decoder, Rec);

    EXPECT_EQ(R.Last.Total, 275);
    ASSERT_EQ(Out.Files("long"), 275u);
    for (int I = 0; I < 275; ++I)
        ASSERT_EQ(ReadThumbnail(Out.Path + "/long/long_" + std::to_string(I) + ".jpg").Id.Index, 250 + I)
            << "thumbnail " << I;
    ASSERT_GE(R.Reports.size(), 2u);
    EXPECT_EQ(R.Reports[R.Reports.size() - 2], kEnd);
    EXPECT_EQ(R.Reports.back(), evConvDone);
}

// The number of frames a range is expected to hold is rounded half to even (59.94 -> 60,
// 62.5 -> 62) while the frames come; the files are the frames of its seconds (0 s to 4.96 s
// at 12.5 a second: 63), and the last reports count them.
TEST(ConvertJob, RangeEstimateRoundsHalfToEvenAndTheFilesFollowTheTimes) {
    struct TCase {
        const char* File;
        int64_t Start, End, Estimate, Files;
    };
    for (const TCase& C : {TCase{"ntsc_2997.mp4", 3, 4, 60, 60}, TCase{"fps_12_5.mp4", 0, 4, 62, 63}}) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture(C.File));
        TConvertRec Rec = Job("v", Out.Folder());
        Rec.Mode = TThumbMode::Range;
        Rec.StartPos = C.Start;
        Rec.EndPos = C.End;
        const TJobEnd R = RunJob(Decoder, Rec);
        EXPECT_EQ(R.First.Total, C.Estimate) << C.File;
        EXPECT_EQ(R.Last.Total, C.Files) << C.File;
        EXPECT_EQ(Out.Files("v"), static_cast<size_t>(C.Files)) << C.File;
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
    Rec.Mode = TThumbMode::Whole;
    Rec.Width = 320; // the frame size: written unscaled
    Rec.Height = 240;
    const TJobEnd R = RunJob(Decoder, Rec);

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
    Rec.Mode = TThumbMode::Whole;
    int64_t Expected = 0;
    auto Job = std::make_unique<TConvertThread>(&Decoder);
    Job->SetRec(Rec);
    Job->SetOnEvent([&](const TJobReport& Report) {
        if (!(Report.Events & evConvFrame))
            return;
        const int64_t Current = Report.Progress.Current;
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
        Rec.Mode = TThumbMode::Whole;
        const TJobEnd R = RunJob(Decoder, Rec);
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
    Rec.Mode = TThumbMode::Range;
    Rec.StartPos = 4;
    Rec.EndPos = 7;
    const TJobEnd R = RunJob(Decoder, Rec);
    // Its frames are shown from 1/15 s on, every 2/15 s (source frames 0, 2, 4, ... of 15 a
    // second): those of source frames 62 to 120 lie in [4 s, 8 s).
    EXPECT_EQ(R.Last.Total, 30);
    ASSERT_EQ(Out.Files("vfr"), static_cast<size_t>(R.Last.Total));
    EXPECT_EQ(ReadThumbnail(Out.Path + "/vfr/vfr_0.jpg").Id.Index, 62);
    const int Last = static_cast<int>(R.Last.Total) - 1;
    EXPECT_EQ(ReadThumbnail(Out.Path + "/vfr/vfr_" + std::to_string(Last) + ".jpg").Id.Index, 120);
}

// A range is a stretch of time: on a video of 25 frames a second for 5 s, then 5 a second,
// it holds exactly the frames whose times lie in it, whatever the average rate says, and its
// last reports count them. Exact instants bound it where they are given.
TEST(ConvertJob, RangeTakesTheFramesOfItsTimeOnAVariableRate) {
    struct TCase {
        int64_t Start, End, StartExact, EndExact;
        int First, Last; // the source frames (25 a second) of the first and the last file
    };
    const TCase Cases[] = {
        {6, 7, -1, -1, 150, 195},           // 5 a second: 6.0 .. 7.8
        {3, 4, -1, -1, 75, 124},            // 25 a second: 3.00 .. 4.96
        {4, 5, -1, -1, 100, 145},           // across the change of rate
        {1, 2, 1500000, 2500000, 38, 62},   // 1.52 .. 2.48
        {5, 6, 5000000, 6400000, 125, 160}, // 5.0 .. 6.4, the exact end included
        {9, 20, -1, -1, 225, 245},          // past the end: to the last frame
    };
    for (const TCase& C : Cases) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture("matrix/vfr.mp4"));
        TConvertRec Rec = Job("vfr", Out.Folder());
        Rec.Mode = TThumbMode::Range;
        Rec.StartPos = C.Start;
        Rec.EndPos = C.End;
        Rec.StartExact = C.StartExact;
        Rec.EndExact = C.EndExact;
        const TJobEnd R = RunJob(Decoder, Rec);
        SCOPED_TRACE(std::to_string(C.Start) + " .. " + std::to_string(C.End));
        const size_t Files = Out.Files("vfr");
        ASSERT_GT(Files, 0u);
        EXPECT_EQ(R.Last.Total, static_cast<int64_t>(Files));
        EXPECT_EQ(ReadThumbnail(Out.Path + "/vfr/vfr_0.jpg").Id.Index, C.First);
        EXPECT_EQ(ReadThumbnail(Out.Path + "/vfr/vfr_" + std::to_string(Files - 1) + ".jpg").Id.Index,
                  C.Last);
    }
}

TEST(ConvertJob, ExistingThumbnailsAreReplacedAndTheDefaultFolderIsUsed) {
    TScratch Home;
    TJobEnd R;
    {
        THome Set(Home.Path.c_str());
        TDecoder Decoder;
        Decoder.Open(Fixture("long_gop_25.mp4"));
        TConvertRec Rec = Job("again", "");
        Rec.Pieces = 2;
        RunJob(Decoder, Rec);
        Rec.Width = 80;
        Rec.Height = 60;
        R = RunJob(Decoder, Rec);
    }

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

    struct TCase {
        const char* What;
        TConvertRec Rec;
        size_t FramesFirst;  // thumbnails written before the failure
        const char* Message; // part of the error text
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
    // Another user's link in place of the video's folder, pointing at a folder of ours.
    const std::string Private = Out.Path + "/private";
    fs::create_directories(Private);
    fs::create_symlink(Private, Out.Path + "/l");
    TConvertRec PlantedLink = Job("l", Out.Folder());

    for (const TCase& C :
         {TCase{"no pieces", NoPieces, 0, "pieces"}, TCase{"zero size", NoSize, 0, "0 x 120"},
          TCase{"missing folder", MissingFolder, 0, "No such file or directory"},
          TCase{"unwritable file", Blocked, 1, "b_1.jpg: Is a directory"},
          TCase{"file in the way", FileInTheWay, 0, "in the way"},
          TCase{"planted link", PlantedLink, 0, "symbolic link"}}) {
        const TJobEnd R = RunJob(Decoder, C.Rec);
        std::vector<TEngineEvents> Expected(C.FramesFirst, evConvFrame);
        Expected.push_back(kError);
        EXPECT_EQ(WithoutRate(R.Reports), Expected) << C.What;
        EXPECT_NE(R.Error.find(C.Message), std::string::npos) << C.What << ": " << R.Error;
        EXPECT_EQ(R.Last.Current + 1, static_cast<int64_t>(C.FramesFirst)) << C.What;
    }
    EXPECT_EQ(ReadThumbnail(Out.Path + "/b/b_0.jpg").Id.Index, 0);
    EXPECT_EQ(Out.Files("private"), 0u) << "the job wrote through the planted link";
}

// A run killed while writing leaves its hidden temporary file; the next job in the folder
// removes such files whose process has ended, and nothing else.
TEST(ConvertJob, TheNextJobRemovesWhatKilledRunsLeft) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    const pid_t Gone = fork(); // a process number that is certainly free once waited for
    if (Gone == 0)
        _exit(0);
    waitpid(Gone, nullptr, 0);
    const std::string Dead = ".v_3.jpg." + std::to_string(Gone) + "-7.part";
    const std::string Alive = ".v_3.jpg." + std::to_string(getpid()) + "-7.part";
    const std::vector<std::string> Kept = {Alive, ".v_3.jpg.part", "v." + std::to_string(Gone) + "-7.part",
                                           ".notes." + std::to_string(Gone) + "-x.part"};
    fs::create_directories(Out.Path + "/v");
    for (const std::string& Name : Kept)
        std::ofstream(Out.Path + "/v/" + Name) << "x";
    std::ofstream(Out.Path + "/v/" + Dead) << "x";

    TConvertRec Rec = Job("v", Out.Folder());
    Rec.Pieces = 2;
    const TJobEnd R = RunJob(Decoder, Rec);
    ASSERT_TRUE(R.Error.empty()) << R.Error;
    EXPECT_FALSE(fs::exists(Out.Path + "/v/" + Dead));
    for (const std::string& Name : Kept)
        EXPECT_TRUE(fs::exists(Out.Path + "/v/" + Name)) << Name;
    EXPECT_EQ(Out.Files("v"), Kept.size() + 2);
}

// Freeing a job stops it before its next frame, in every mode, and nothing is reported
// after that.
TEST(ConvertJob, StopEndsAJobPromptlyAndSilently) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    for (const char* Mode : {"whole", "range", "pieces"}) {
        TConvertRec Rec = Job(Mode, Out.Folder());
        Rec.Mode = Mode == std::string("whole")   ? TThumbMode::Whole
                   : Mode == std::string("range") ? TThumbMode::Range
                                                  : TThumbMode::Pieces;
        Rec.StartPos = 0;
        Rec.EndPos = 119; // 3000 frames
        Rec.Pieces = 100; // a second apart
        int Reports = 0;
        auto Job = std::make_unique<TConvertThread>(&Decoder);
        Job->SetRec(Rec);
        Job->SetOnEvent([&](const TJobReport&) { ++Reports; });
        Job->Resume();
        TLoopDispatcher::ServeUntil([&] { return Reports >= 5 || Job->Finished(); });
        Job.reset(); // stops and waits, serving what is still handed off
        const int Seen = Reports;
        EXPECT_EQ(Seen, 5) << Mode;
        EXPECT_LT(Out.Files(Rec.Name), 10u) << Mode;
        TLoopDispatcher::ProcessHandOffs(std::chrono::milliseconds(50));
        EXPECT_EQ(Reports, Seen) << Mode;
    }
}

// A read failure in the middle of the video ends the job with the error report, naming
// the file and the system's reason, in every mode; it is not taken for the end.
TEST(ConvertJob, ReadFailureEndsTheJobWithItsReason) {
    TScratch Out;
    const std::string Video = Fixture("long_gop_25.mp4");
    TDecoder Decoder;
    Decoder.Open(Video);
    FaultIoFailReads(Video.c_str(), static_cast<off_t>(fs::file_size(Video) / 2), EIO);
    for (const char* Mode : {"whole", "range", "pieces"}) {
        TConvertRec Rec = Job(Mode, Out.Folder());
        Rec.Mode = Mode == std::string("whole")   ? TThumbMode::Whole
                   : Mode == std::string("range") ? TThumbMode::Range
                                                  : TThumbMode::Pieces;
        Rec.StartPos = 30;
        Rec.EndPos = 119;
        const TJobEnd R = RunJob(Decoder, Rec);
        ASSERT_FALSE(R.Reports.empty()) << Mode;
        EXPECT_EQ(R.Reports.back(), kError) << Mode;
        EXPECT_EQ(std::count(R.Reports.begin(), R.Reports.end(), evConvDone), 0) << Mode;
        EXPECT_NE(R.Error.find(Video), std::string::npos) << Mode << ": " << R.Error;
        EXPECT_NE(R.Error.find("Input/output error"), std::string::npos) << Mode << ": " << R.Error;
        EXPECT_GT(R.Last.Current, 0) << Mode;
        EXPECT_EQ(Out.Files(Mode), static_cast<size_t>(R.Last.Current + 1)) << Mode;
    }
    FaultIoClear();
}

// A file cut short (its index promises 10 s, its data holds about half): a job that reaches past
// the data ends with the error report and the library's reason, in every mode, keeping the
// files written before; a piece past the cut never takes the last frame before it.
TEST(ConvertJob, ACutFileEndsEveryModeWithTheLibrarysReason) {
    struct TCase {
        const char* What;
        TThumbMode Mode;
        bool Spread, Clear;
    };
    const TCase Cases[] = {
        {"window pieces", TThumbMode::Pieces, false, false}, {"pieces", TThumbMode::Pieces, true, false},
        {"clearest pieces", TThumbMode::Pieces, true, true}, {"whole", TThumbMode::Whole, false, false},
        {"range", TThumbMode::Range, false, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture("truncated.mp4"));
        TConvertRec Rec = Job("cut", Out.Folder());
        Rec.Mode = C.Mode;
        Rec.Pieces = 4; // 1.25, 3.75, 6.25 and 8.75 s, or 0, 2, 4 and 6 s in the window
        Rec.SpreadPieces = C.Spread;
        Rec.PreferClear = C.Clear;
        Rec.StartPos = 2;
        Rec.EndPos = 9;
        const TJobEnd R = RunJob(Decoder, Rec);
        ASSERT_FALSE(R.Reports.empty());
        EXPECT_EQ(R.Reports.back(), kError);
        EXPECT_EQ(std::count(R.Reports.begin(), R.Reports.end(), evConvDone), 0);
        EXPECT_NE(R.Error.find("truncated.mp4: the file ends before its index says"), std::string::npos)
            << R.Error;
        EXPECT_GE(R.Last.Current, 0);
        EXPECT_EQ(Out.Files("cut"), static_cast<size_t>(R.Last.Current + 1));
        // The last file is a frame before the cut, not one taken for a piece past it.
        const int Last =
            ReadThumbnail(Out.Path + "/cut/cut_" + std::to_string(R.Last.Current) + ".jpg").Id.Index;
        EXPECT_LT(Last, 150);
    }
}

// A file type or quality the writer is not asked for is refused before anything is read
// or made, by the thumbnail job as by the sheet job.
TEST(ConvertJob, AFormatOrQualityNotWrittenIsRefusedFirst) {
    struct TCase {
        const char* Format;
        int32_t Quality;
        const char* Refusal;
    };
    for (const TCase& C : {TCase{"gif", 90, "cannot be written as \"gif\""},
                           TCase{"jpeg", 90, "cannot be written as \"jpeg\""},
                           TCase{"png", 0, "quality must be from 1 to 100"}}) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture("ntsc_2997.mp4"));
        TConvertRec Rec = Job("f", Out.Folder());
        Rec.Pieces = 2;
        Rec.Format = C.Format;
        Rec.Quality = C.Quality;
        const TJobEnd R = RunJob(Decoder, Rec);
        EXPECT_EQ(R.Reports, std::vector<TEngineEvents>{kError}) << C.Format;
        EXPECT_NE(R.Error.find(C.Refusal), std::string::npos) << C.Format << ": " << R.Error;
        EXPECT_FALSE(fs::exists(Out.Path + "/f")) << C.Format;
    }
}

// Times are checked before they are narrowed to the 32-bit seconds of a seek: a range
// that ends past the video takes the frames up to its end and says how many, a time
// beyond 32 bits is refused before any folder is made.
TEST(ConvertJob, RangesPastTheEndAndTimesBeyond32Bits) {
    struct TCase {
        int64_t Start, End;
        size_t Files;        // thumbnails written
        const char* Refusal; // part of the error, or null
    };
    const int64_t k2To31 = int64_t{1} << 31;
    for (const TCase& C :
         {TCase{0, 999999999, 300, nullptr}, TCase{7, k2To31 - 1, 90, nullptr},
          TCase{k2To31 - 600, k2To31 - 1, 0, nullptr}, TCase{0, k2To31, 0, "end time 2147483648 s"},
          TCase{2 * k2To31 + 3, 2 * k2To31 + 4, 0, "start time 4294967299 s"}}) {
        TScratch Out;
        TDecoder Decoder;
        Decoder.Open(Fixture("ntsc_2997.mp4")); // 10 s, 300 frames
        TConvertRec Rec = Job("r", Out.Folder());
        Rec.Mode = TThumbMode::Range;
        Rec.StartPos = C.Start;
        Rec.EndPos = C.End;
        const TJobEnd R = RunJob(Decoder, Rec);
        const std::string What = std::to_string(C.Start) + ".." + std::to_string(C.End);
        EXPECT_EQ(Out.Files("r"), C.Files) << What;
        if (C.Refusal) {
            EXPECT_EQ(R.Reports, std::vector<TEngineEvents>{kError}) << What;
            EXPECT_NE(R.Error.find(C.Refusal), std::string::npos) << What << ": " << R.Error;
            EXPECT_EQ(R.Output, "") << What;
            EXPECT_FALSE(fs::exists(Out.Path + "/r")) << What;
            continue;
        }
        EXPECT_EQ(R.Error, "") << What;
        // Also where no frame was in the range: the folder the thumbnails would be in.
        EXPECT_EQ(R.Output, Out.Path + "/r") << What;
        ASSERT_FALSE(R.Reports.empty()) << What;
        EXPECT_EQ(R.Reports.back(), evConvDone) << What;
        EXPECT_EQ(R.Last.Total, static_cast<int64_t>(C.Files)) << What;
        EXPECT_EQ(R.Last.Current + 1, static_cast<int64_t>(C.Files)) << What;
        if (C.Files > 0) {
            EXPECT_EQ(ReadThumbnail(Out.Path + "/r/r_" + std::to_string(C.Files - 1) + ".jpg").Id.Index, 299)
                << What;
        }
    }
}

// A size no JPEG file or no memory can hold is refused with a message naming it.
TEST(ConvertJob, ThumbnailSizeLimits) {
    const int64_t kGigabyte = int64_t{1} << 30;
    struct TCase {
        int32_t Width, Height;
        int64_t Memory;
        const char* Refusal; // part of the message, or null when the size is fine
    };
    for (const TCase& C : {TCase{65500, 65500, 64 * kGigabyte, nullptr}, TCase{1, 1, 1024, nullptr},
                           TCase{65501, 10, 64 * kGigabyte, "65501 x 10 is larger than a JPEG"},
                           TCase{10, 65501, 64 * kGigabyte, "10 x 65501 is larger than a JPEG"},
                           TCase{65500, 65500, 16 * kGigabyte, "65500 x 65500 needs 40915 MB of memory"},
                           TCase{0, 10, 64 * kGigabyte, "0 x 10 is not valid"},
                           TCase{10, -3, 64 * kGigabyte, "10 x -3 is not valid"}}) {
        const std::string What = std::to_string(C.Width) + " x " + std::to_string(C.Height);
        try {
            CheckThumbnailSize(C.Width, C.Height, C.Memory);
            EXPECT_EQ(C.Refusal, nullptr) << What << " was accepted";
        } catch (const Exception& E) {
            ASSERT_NE(C.Refusal, nullptr) << What << ": " << E.what();
            EXPECT_NE(std::string(E.what()).find(C.Refusal), std::string::npos) << E.what();
        }
    }
}

// The job refuses such a size before it makes any folder; without a home folder there
// is no default save folder, which the job says instead of writing to the root folder.
TEST(ConvertJob, RefusedBeforeAnyFolderIsMade) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("ntsc_2997.mp4"));
    TConvertRec Huge = Job("huge", Out.Folder());
    Huge.Width = 320;
    Huge.Height = 61200 * 2;
    const TJobEnd R = RunJob(Decoder, Huge);
    EXPECT_EQ(R.Reports, std::vector<TEngineEvents>{kError});
    EXPECT_NE(R.Error.find("320 x 122400 is larger than a JPEG"), std::string::npos) << R.Error;
    EXPECT_FALSE(fs::exists(Out.Path + "/huge"));

    const std::string Name = "trovelle-no-home-" + std::to_string(getpid());
    for (const char* Home : {static_cast<const char*>(nullptr), "", "/"}) {
        THome Set(Home);
        const TJobEnd NoHome = RunJob(Decoder, Job(Name, ""));
        EXPECT_EQ(WithoutRate(NoHome.Reports), std::vector<TEngineEvents>{kError}) << (Home ? Home : "unset");
        EXPECT_NE(NoHome.Error.find("no default save folder"), std::string::npos) << NoHome.Error;
        EXPECT_FALSE(fs::exists("/" + Name)) << (Home ? Home : "unset");
    }
}

// Thumbnails are written at quality 100: every quantisation table holds only 1s.
TEST(ConvertJob, ThumbnailsAreWrittenAtQuality100) {
    TScratch Out;
    TDecoder Decoder;
    Decoder.Open(Fixture("ntsc_2997.mp4"));
    TConvertRec Rec = Job("q", Out.Folder());
    Rec.Pieces = 1;
    RunJob(Decoder, Rec);
    const std::vector<int> Values = JpegQuantisationValues(Out.Path + "/q/q_0.jpg");
    ASSERT_GE(Values.size(), 128u); // luminance and chrominance
    EXPECT_EQ(*std::max_element(Values.begin(), Values.end()), 1);
}

// A claimed name stays the claim's, wherever the claim is moved, until its hold goes: the
// same video claimed meanwhile (a second run, or the window's next job) gets the next name.
TEST(ConvertJob, AClaimedNameIsHeldUntilItsHoldGoes) {
    const std::string Video = Fixture("vp9.webm");
    for (const TOutputKind Kind : {TOutputKind::Thumbnails, TOutputKind::Sheet}) {
        TScratch Out;
        TClaimedName First = ClaimOutputName(Out.Path, "clip", Video, Kind);
        EXPECT_EQ(First.Name, "clip");
        EXPECT_TRUE(First.Busy.empty());
        TClaimedName Second = ClaimOutputName(Out.Path, "clip", Video, Kind);
        EXPECT_EQ(Second.Name, "clip-2");
        EXPECT_EQ(Second.Busy, "clip");
        const TClaimedName Moved = std::move(First);
        EXPECT_EQ(ClaimOutputName(Out.Path, "clip", Video, Kind).Name, "clip-3");
        Second.Hold.Release();
        EXPECT_EQ(ClaimOutputName(Out.Path, "clip", Video, Kind).Name, "clip-2");
    }
}

TEST(ConvertJob, VideoNameDropsFolderAndExtension) {
    EXPECT_EQ(VideoName("/videos/holiday.2024.mp4"), "holiday.2024");
    EXPECT_EQ(VideoName("clip"), "clip");
    EXPECT_EQ(VideoName("/a/.hidden"), ".hidden");
    EXPECT_EQ(VideoName("/a/vidéo été.mkv"), "vidéo été");
}
