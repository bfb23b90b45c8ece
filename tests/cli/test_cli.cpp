// trovelle-thumbs end to end: the real program on the test videos, one run per case.
#include "fixtures.h"
#include "frame_identity.h"
#include "scratch.h"
#include "thumbnail_file.h"
#include "tool_runner.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A link to a test video under another name, its folders made.
std::string LinkFixture(const std::string& Video, const std::string& Path) {
    fs::create_directories(fs::path(Path).parent_path());
    fs::create_symlink(Fixture(Video), Path);
    return Path;
}

std::string ReadText(const std::string& Path) {
    std::ifstream In(Path);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

// The files of Folder, names only, sorted.
std::vector<std::string> FileNames(const std::string& Folder) {
    std::vector<std::string> Names;
    if (fs::is_directory(Folder))
        for (const auto& Entry : fs::directory_iterator(Folder))
            if (!TScratch::IsClaimMarker(Entry.path().filename().string()))
                Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

// The characters of the longest line a live console drew (each redraw after a carriage
// return, up to its erase to the end of the line).
size_t LongestDrawnLine(const std::string& Err) {
    size_t Longest = 0;
    std::string Drawn;
    for (char C : Err + "\n") {
        if (C == '\r' || C == '\n') {
            const std::string Line = Drawn.substr(0, Drawn.find("\33[K"));
            Longest =
                std::max(Longest, static_cast<size_t>(std::count_if(
                                      Line.begin(), Line.end(), [](char B) { return (B & 0xC0) != 0x80; })));
            Drawn.clear();
        } else {
            Drawn += C;
        }
    }
    return Longest;
}

} // namespace

TEST(ThumbsTool, EachModeWritesTheRightFrames) {
    struct TCase {
        std::vector<std::string> Args;
        const char* Video;
        size_t Files;
        int LastIndex; // frame index of the last thumbnail
        int Width, Height;
    };
    const TCase Cases[] = {
        {{}, "long_gop_25.mp4", 12, 2875, 320, 240},               // 12 pieces, 5 s to 115 s
        {{"--pieces", "3"}, "long_gop_25.mp4", 3, 2500, 320, 240}, // 20, 60 and 100 s
        {{"--pieces=3"}, "long_gop_25.mp4", 3, 2500, 320, 240},
        {{"-p3"}, "long_gop_25.mp4", 3, 2500, 320, 240},
        {{"--whole", "--size", "80x60"}, "fps_12_5.mp4", 125, 124, 80, 60},
        {{"-w", "-s80x60"}, "fps_12_5.mp4", 125, 124, 80, 60},
        {{"--range", "00:00:10", "11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"-r", "10", "11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"--from=10", "--to=11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"--to", "1", "-s", "160"}, "fps_12_5.mp4", 25, 24, 160, 120},  // from the start, width only
        {{"--from", "9", "-s", "x60"}, "fps_12_5.mp4", 12, 124, 80, 60}, // to the end, height only
        {{"--pieces", "1"}, "anamorphic.mp4", 1, 25, 720, 405},          // display shape 16:9
        {{"-p1", "--size=320x"}, "anamorphic.mp4", 1, 25, 320, 180},
        {{"-p1", "-s", "x90"}, "anamorphic.mp4", 1, 25, 160, 90},
        {{"-p1", "--fit", "200x200"}, "anamorphic.mp4", 1, 25, 200, 112}, // the longest side bounded
        {{"-p1", "--fit", "100x50"}, "anamorphic.mp4", 1, 25, 89, 50},
        // Pieces spread over the whole video
        // (9.52 s long by its stream's exact length), fractions of a second apart: the end of the
        // video is not left out, nor is a piece taken at its first (often black) frame.
        {{"-p", "12", "-s", "96x72"}, "matrix/vfr.mp4", 12, 230, 96, 72},
        // The exact length of a 1.52 s clip: 6 pieces at 0.127 .. 1.393 s, the last frame 35 of 37.
        {{"-p", "6"}, "short_1_52.mp4", 6, 35, 320, 240},
        // Ranges are stretches of time, also on a video of 25 frames a second for 5 s and then
        // 5 a second (a frame every 5 source frames): a whole end second is included, an end
        // with a fraction is an instant.
        {{"-r", "6", "7", "-s", "96x72"}, "matrix/vfr.mp4", 10, 195, 96, 72},
        {{"-r", "3", "4", "-s", "96x72"}, "matrix/vfr.mp4", 50, 124, 96, 72},
        {{"-r", "1.5", "2.5", "-s", "96x72"}, "matrix/vfr.mp4", 25, 62, 96, 72},
        {{"--from", "0:01.5", "--to", "2", "-s", "96x72"}, "matrix/vfr.mp4", 37, 74, 96, 72},
        {{"-r", "5", "6.4", "-s", "96x72"}, "matrix/vfr.mp4", 8, 160, 96, 72},
    };
    for (const TCase& C : Cases) {
        TScratch Out;
        std::vector<std::string> Args = C.Args;
        Args.insert(Args.end(), {"-o", Out.Path, Fixture(C.Video)});
        const TRun Run = RunTool(Args);
        const std::string Name = fs::path(C.Video).stem().string();
        const std::string Folder = Out.Path + "/" + Name;
        SCOPED_TRACE(testing::PrintToString(C.Args) + " " + C.Video + "\n" + Run.Err);
        EXPECT_EQ(Run.Exit, 0);
        EXPECT_EQ(Out.Files(Name), C.Files);
        const TThumbnailFile Last =
            ReadThumbnail(Folder + "/" + Name + "_" + std::to_string(C.Files - 1) + ".jpg");
        EXPECT_EQ(Last.Id.Index, C.LastIndex);
        EXPECT_EQ(Last.Width, C.Width);
        EXPECT_EQ(Last.Height, C.Height);
        // The result line a script reads; nothing else on standard output.
        EXPECT_EQ(Run.Out, Folder + "\t" + std::to_string(C.Files) + "\n");
        EXPECT_FALSE(Contains(Run.Err, "asked")) << "nothing is missing";
    }
}

// --smart: each of 4 pieces of blur_sharp.mp4 (instants 1.25, 3.75, 6.25, 8.75 s) is a sharp
// frame (5, 15, 25, ...) of the 12 frames from its instant on; without it, the frame due there.
TEST(ThumbsTool, SmartPiecesAreSharpFramesNearTheirInstants) {
    const int Due[] = {32, 94, 157, 219};
    for (const bool Smart : {false, true}) {
        TScratch Out;
        std::vector<std::string> Args = {"-p", "4", "-o", Out.Path, Fixture("blur_sharp.mp4")};
        if (Smart)
            Args.insert(Args.begin(), "--smart");
        const TRun Run = RunTool(Args);
        SCOPED_TRACE(testing::PrintToString(Args) + "\n" + Run.Err);
        ASSERT_EQ(Run.Exit, 0);
        for (int I = 0; I < 4; ++I) {
            const int Index =
                ReadThumbnail(Out.Path + "/blur_sharp/blur_sharp_" + std::to_string(I) + ".jpg").Id.Index;
            if (Smart) {
                EXPECT_EQ(Index % 10, 5) << "piece " << I << ": frame " << Index;
                EXPECT_GE(Index, Due[I]);
                EXPECT_LT(Index, Due[I] + 12);
            } else {
                EXPECT_EQ(Index, Due[I]) << "piece " << I;
            }
        }
    }
    // Only pieces and sheets choose.
    EXPECT_EQ(RunTool({"--smart", "-w", Fixture("blur_sharp.mp4")}).Exit, 2);
}

// --at: the first frame at or after each instant (fractions allowed, in any order), at the
// display size, lossless, named by the frame's own time; an instant past the end is an
// error for that frame alone.
TEST(ThumbsTool, FramesAtInstants) {
    TScratch Out;
    const TRun Run = RunTool({"--at", "1.5,0:03,2", "-o", Out.Path, Fixture("ntsc_2997.mp4")});
    ASSERT_EQ(Run.Exit, 0) << Run.Err;
    const struct {
        const char* Name;
        int Index;
    } Frames[] = {{"ntsc_2997_at_0-00-01.501.png", 45},
                  {"ntsc_2997_at_0-00-03.003.png", 90},
                  {"ntsc_2997_at_0-00-02.002.png", 60}};
    for (const auto& F : Frames) {
        const TThumbnailFile Frame = ReadThumbnail(Out.Path + "/ntsc_2997/" + F.Name);
        EXPECT_EQ(Frame.Id.Index, F.Index) << F.Name;
        EXPECT_EQ(Frame.Width, 320) << F.Name;
        EXPECT_EQ(FreeImage_GetFileType((Out.Path + "/ntsc_2997/" + F.Name).c_str(), 0), FIF_PNG) << F.Name;
    }
    EXPECT_EQ(FileNames(Out.Path + "/ntsc_2997").size(), 3u);
    // Upright: a video stored 320 x 240 and shown turned a quarter.
    ASSERT_EQ(RunTool({"--at", "0.5", "-o", Out.Path, Fixture("rotated_90.mp4")}).Exit, 0);
    const TThumbnailFile Upright = ReadThumbnail(Out.Path + "/rotated_90/rotated_90_at_0-00-00.520.png");
    EXPECT_EQ(Upright.Width, 240);
    EXPECT_EQ(Upright.Height, 320);

    const TRun Past = RunTool({"--at", "1,99", "-o", Out.Path, Fixture("ntsc_2997.mp4")});
    EXPECT_EQ(Past.Exit, 1);
    EXPECT_TRUE(Contains(Past.Err, "no frame at or after 1:39.0")) << Past.Err;
    EXPECT_EQ(RunTool({"--at", "1", "-f", "png", Fixture("ntsc_2997.mp4")}).Exit, 2);
}

TEST(ThumbsTool, FormatsQualityAndDigits) {
    struct TCase {
        std::vector<std::string> Args;
        const char* FirstName;
        int FileType;
    };
    const TCase Cases[] = {
        {{}, "fps_12_5_0.jpg", FIF_JPEG},
        {{"-f", "png"}, "fps_12_5_0.png", FIF_PNG},
        {{"--format=webp", "-Q", "60"}, "fps_12_5_0.webp", FIF_WEBP},
        {{"--digits", "4", "-f", "jpg", "--quality=80"}, "fps_12_5_0000.jpg", FIF_JPEG},
    };
    for (const TCase& C : Cases) {
        TScratch Out;
        std::vector<std::string> Args = C.Args;
        Args.insert(Args.end(), {"-p", "3", "-s", "160x120", "-o", Out.Path, Fixture("fps_12_5.mp4")});
        const TRun Run = RunTool(Args);
        SCOPED_TRACE(testing::PrintToString(C.Args) + "\n" + Run.Err);
        EXPECT_EQ(Run.Exit, 0);
        const std::vector<std::string> Names = FileNames(Out.Path + "/fps_12_5");
        ASSERT_EQ(Names.size(), 3u);
        EXPECT_EQ(Names[0], C.FirstName);
        // Each file really is of its format and shows its frame (pieces at 1.67, 5 and 8.33 s).
        for (int I = 0; I < 3; ++I) {
            const std::string File = Out.Path + "/fps_12_5/" + Names[static_cast<size_t>(I)];
            EXPECT_EQ(FreeImage_GetFileType(File.c_str(), 0), C.FileType) << File;
            const TThumbnailFile Thumb = ReadThumbnail(File);
            const int Seconds[] = {1, 5, 8};
            EXPECT_EQ(Thumb.Id.Second, Seconds[I]) << File;
            EXPECT_EQ(Thumb.Width, 160) << File;
        }
    }

    // The quality reaches the encoder: the same busy picture (a test pattern) at 10 is far
    // smaller than at 100.
    for (const char* Format : {"jpg", "webp"}) {
        std::uintmax_t Sizes[2] = {};
        for (int I = 0; I < 2; ++I) {
            TScratch Out;
            const TRun Run = RunTool(
                {"-p1", "-f", Format, "-Q", I == 0 ? "10" : "100", "-o", Out.Path, Fixture("damaged.mp4")});
            ASSERT_EQ(Run.Exit, 0) << Run.Err;
            Sizes[I] = fs::file_size(Out.Path + "/damaged/damaged_0." + std::string(Format));
        }
        EXPECT_LT(Sizes[0] * 2, Sizes[1]) << Format;
    }
}

TEST(ThumbsTool, SameNamedVideosGetFoldersOfTheirOwn) {
    TScratch In, Out;
    const std::string A = LinkFixture("fps_12_5.mp4", In.Path + "/a/clip.mp4");
    const std::string B = LinkFixture("vp9.webm", In.Path + "/b/clip.webm");
    const std::string C = LinkFixture("theora.ogv", In.Path + "/c/clip.ogv");
    const TRun Run = RunTool({"-p", "2", "-o", Out.Path, A, B, C});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out, Out.Path + "/clip\t2\n" + Out.Path + "/clip-2\t2\n" + Out.Path + "/clip-3\t2\n");
    EXPECT_EQ(FileNames(Out.Path + "/clip-2"), (std::vector<std::string>{"clip-2_0.jpg", "clip-2_1.jpg"}));
    // Each folder holds its own video (fps_12_5 is 10 s long: its second piece is at 7.5 s;
    // vp9 3 s: at 2.25 s).
    EXPECT_EQ(ReadThumbnail(Out.Path + "/clip/clip_1.jpg").Id.Second, 7);
    EXPECT_EQ(ReadThumbnail(Out.Path + "/clip-2/clip-2_1.jpg").Id.Second, 2);
}

TEST(ThumbsTool, EarlierThumbnailsAreReportedOrCleaned) {
    TScratch Out;
    const std::string Video = Fixture("fps_12_5.mp4");
    const std::string Folder = Out.Path + "/fps_12_5";
    ASSERT_EQ(RunTool({"-w", "-s", "32x24", "-o", Out.Path, Video}).Exit, 0);
    // Files that are not thumbnails of this video stay whatever happens.
    for (const char* Other :
         {"notes.txt", "fps_12_5_1.txt", "fps_12_5_x.jpg", "other_3.jpg", "fps_12_5_.png"})
        std::ofstream(Folder + "/" + Other) << "keep";

    TRun Run = RunTool({"-p", "2", "-o", Out.Path, Video});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_TRUE(Contains(Run.Err, "123 older thumbnails of fps_12_5 are still in " + Folder)) << Run.Err;
    EXPECT_EQ(Out.Files("fps_12_5"), 125u + 5u);

    // What a run killed while writing left behind goes with --clean too.
    const pid_t Gone = fork();
    if (Gone == 0)
        _exit(0);
    waitpid(Gone, nullptr, 0);
    std::ofstream(Folder + "/.fps_12_5_0.jpg." + std::to_string(Gone) + "-3.part") << "half";
    Run = RunTool({"-p", "2", "--clean", "-f", "png", "-o", Out.Path, Video});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_TRUE(Contains(Run.Err, "removed 125 earlier thumbnails")) << Run.Err;
    EXPECT_FALSE(Contains(Run.Err, "older")) << Run.Err;
    EXPECT_EQ(FileNames(Folder),
              (std::vector<std::string>{"fps_12_5_.png", "fps_12_5_0.png", "fps_12_5_1.png", "fps_12_5_1.txt",
                                        "fps_12_5_x.jpg", "notes.txt", "other_3.jpg"}));
}

// A link planted as the video's folder (by another user of a shared output folder) is
// refused: nothing is removed or written where it points.
TEST(ThumbsTool, APlantedFolderLinkIsRefused) {
    TScratch Out;
    const std::string Private = Out.Path + "/private";
    fs::create_directories(Private);
    std::ofstream(Private + "/vp9_0.jpg") << "mine";
    fs::create_symlink(Private, Out.Path + "/vp9");
    for (const std::vector<std::string>& Args :
         {std::vector<std::string>{"-p1", "--clean", "-o", Out.Path, Fixture("vp9.webm")},
          std::vector<std::string>{"-p1", "-o", Out.Path, Fixture("vp9.webm")}}) {
        const TRun Run = RunTool(Args);
        EXPECT_NE(Run.Exit, 0);
        EXPECT_TRUE(Contains(Run.Err, "symbolic link")) << Run.Err;
        EXPECT_EQ(FileNames(Private), std::vector<std::string>{"vp9_0.jpg"});
    }
}

TEST(ThumbsTool, FewerFilesThanAskedAreExplained) {
    struct TCase {
        std::vector<std::string> Args;
        int Exit;
        size_t Files;
        const char* Says; // on standard error; empty: no explanation at all
    };
    // fps_12_5.mp4 is 10 s long at 12.5 frames per second.
    const TCase Cases[] = {
        // More pieces than frames: every frame once (but the first, before the first instant).
        {{"-p", "200"},
         0,
         124,
         "200 pieces asked, 125 frames in the video: 124 different frames written, each once"},
        {{"-p", "200", "--smart"}, 0, 124, "200 pieces asked, 125 frames in the video: 124 different"},
        {{"-r", "100", "200"}, 1, 0, "nothing written: the range starts after the end of the 10 s video"},
        {{"-r", "8", "12"},
         0,
         25,
         "62 frames asked, 25 written: the range ends after the end of the 10 s video"},
        {{"--from", "8"}, 0, 25, ""},
        {{"-p", "10"}, 0, 10, ""},
        {{"-w"}, 0, 125, ""},
    };
    for (const TCase& C : Cases) {
        TScratch Out;
        std::vector<std::string> Args = C.Args;
        Args.insert(Args.end(), {"-s", "32x24", "-o", Out.Path, Fixture("fps_12_5.mp4")});
        const TRun Run = RunTool(Args);
        SCOPED_TRACE(testing::PrintToString(C.Args) + "\n" + Run.Err);
        EXPECT_EQ(Run.Exit, C.Exit);
        EXPECT_EQ(Out.Files("fps_12_5"), C.Files);
        if (*C.Says)
            EXPECT_TRUE(Contains(Run.Err, C.Says));
        else
            EXPECT_FALSE(Contains(Run.Err, "asked")) << "no shortfall to explain";
        // A failed video has no result line; the count is the files on disk.
        EXPECT_EQ(CountLines(Run.Out), C.Exit == 0 ? 1u : 0u);
        if (C.Exit == 0) {
            EXPECT_TRUE(Contains(Run.Out, "\t" + std::to_string(C.Files) + "\n")) << Run.Out;
        }
    }
}

TEST(ThumbsTool, InputsThatCannotBeReadSayWhyAndTheNextStillRuns) {
    TScratch In, Out;
    const std::string Locked = In.Path + "/locked.mp4";
    fs::copy_file(Fixture("fps_12_5.mp4"), Locked);
    fs::permissions(Locked, fs::perms::none);
    struct TCase {
        std::string Input;
        std::string Reason;
    };
    std::vector<TCase> Cases = {
        {In.Path + "/missing.mp4", "No such file or directory"},
        {Fixture("folder.mp4"), "Is a directory (-R takes the videos under it)"},
        {Fixture("empty.mp4"), "the file is empty"},
        {Fixture("garbage.mp4"), "not a video the decoding library can read (Cannot read " +
                                     Fixture("garbage.mp4") + ": Invalid data found when processing input)"},
        {Fixture("audio_only.m4a"), "not a video the decoding library can read (No video stream in "},
    };
    // Permissions do not hold for the superuser.
    if (geteuid() != 0)
        Cases.push_back({Locked, "Permission denied"});
    for (const TCase& C : Cases) {
        const TRun Run = RunTool({"-p", "2", "-o", Out.Path, C.Input, Fixture("vp9.webm")});
        EXPECT_EQ(Run.Exit, 1) << C.Input;
        EXPECT_TRUE(Contains(Run.Err, "trovelle-thumbs: " + C.Input + ": " + C.Reason)) << Run.Err;
        EXPECT_EQ(Run.Out, Out.Path + "/vp9\t2\n") << C.Input;
    }
}

TEST(ThumbsTool, OutputFolderIsMadeWithItsParents) {
    TScratch Out;
    TRun Run = RunTool({"-p1", "-o", Out.Path + "/new/deeper", Fixture("vp9.webm")});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_TRUE(fs::is_regular_file(Out.Path + "/new/deeper/vp9/vp9_0.jpg"));

    // A file in the way.
    std::ofstream(Out.Path + "/file") << "x";
    Run = RunTool({"-p1", "-o", Out.Path + "/file/sub", Fixture("vp9.webm")});
    EXPECT_EQ(Run.Exit, 1);
    EXPECT_TRUE(Contains(Run.Err, "cannot create the folder " + Out.Path + "/file/sub: Not a directory"))
        << Run.Err;

    // No -o and no home folder: no default either, and nothing is written anywhere.
    const std::string Said = RunCommand("cd " + ShellQuote(Out.Path) + " && HOME= " + ShellQuote(ToolPath()) +
                                        " -p1 --clean " + ShellQuote(Fixture("vp9.webm")) + " 2>&1; echo $?");
    EXPECT_EQ(Said,
              "trovelle-thumbs: there is no default save folder (no home folder is set): give one with -o "
              "FOLDER\n1\n");
    EXPECT_FALSE(fs::exists(Out.Path + "/vp9"));
}

TEST(ThumbsTool, FoldersAreTakenOnlyWithRecursive) {
    TScratch In, Out;
    LinkFixture("vp9.webm", In.Path + "/b/two.webm");
    LinkFixture("hevc.mp4", In.Path + "/a/one.MP4");
    LinkFixture("theora.ogv", In.Path + "/a/deeper/three.ogv");
    LinkFixture("fps_12_5.mp4", In.Path + "/.hidden/no.mp4");
    LinkFixture("fps_12_5.mp4", In.Path + "/a/.no.mp4");
    std::ofstream(In.Path + "/a/notes.txt") << "not a video";

    TRun Run = RunTool({"-p1", "-o", Out.Path, In.Path});
    EXPECT_EQ(Run.Exit, 1);
    EXPECT_TRUE(Contains(Run.Err, In.Path + ": Is a directory")) << Run.Err;
    EXPECT_EQ(Run.Out, "");

    Run = RunTool({"-p1", "-R", "-o", Out.Path, In.Path});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    // In name order: a/deeper/three.ogv, a/one.MP4, b/two.webm.
    EXPECT_EQ(Run.Out, Out.Path + "/three\t1\n" + Out.Path + "/one\t1\n" + Out.Path + "/two\t1\n");
    EXPECT_EQ(FileNames(Out.Path), (std::vector<std::string>{"one", "three", "two"}));
}

// -R takes every extension of the program's video types, also those the MIME database gives
// none (NUT, YUV4MPEG) and those the window's open dialog always had: the tool reads a file
// by its content, so copies of a test video serve under each name (copies: a file found
// twice is done once). A file of a Blu-ray folder is left out whatever it holds.
TEST(ThumbsTool, RecursiveTakesEveryVideoTypeTheProgramOpens) {
    TScratch In, Out;
    const std::vector<std::string> Names{"a.mxf", "b.nut", "c.ogg", "d.3g2", "e.dv", "f.Y4M"};
    for (const std::string& Name : Names)
        fs::copy_file(Fixture("vp9.webm"), In.Path + "/" + Name);
    fs::create_directories(In.Path + "/BDMV/PLAYLIST");
    fs::copy_file(Fixture("vp9.webm"), In.Path + "/BDMV/PLAYLIST/00000.mpls");
    std::ofstream(In.Path + "/notes.txt") << "not a video";

    const TRun Run = RunTool({"-p1", "-R", "-o", Out.Path, In.Path});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    std::string Results;
    for (const std::string& Name : Names)
        Results += Out.Path + "/" + fs::path(Name).stem().string() + "\t1\n";
    EXPECT_EQ(Run.Out, Results);
    EXPECT_EQ(FileNames(Out.Path), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

// A folder of the tree that cannot be read is named with its reason, like find does, and
// every video under the others is still done; the run then ends with status 1. The
// superuser reads any folder: the tool then runs as nobody.
TEST(ThumbsTool, RecursiveGoesOnPastAFolderItCannotRead) {
    TScratch In, Out;
    LinkFixture("vp9.webm", In.Path + "/a/one.webm");
    LinkFixture("theora.ogv", In.Path + "/b/locked/two.ogv");
    LinkFixture("hevc.mp4", In.Path + "/c/three.mp4");
    const std::string Locked = In.Path + "/b/locked";
    for (const std::string& Folder : {In.Path, In.Path + "/a", In.Path + "/b", In.Path + "/c", Out.Path})
        fs::permissions(Folder, fs::perms::all);
    fs::permissions(Locked, fs::perms::none);
    std::string As;
    if (geteuid() == 0) {
        As = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        // The build and the test videos may lie in a folder nobody can enter.
        if (RunCommand(As + "test -r " + ShellQuote(std::string(TEST_BINDIR) + "/libdecoder.so") + " -a -r " +
                       ShellQuote(Fixture("vp9.webm")) + "; echo $?") != "0\n")
            GTEST_SKIP() << "the tool and the test videos cannot be read as nobody here";
    }
    const std::string Said = RunCommand(As + ShellQuote(ToolPath()) + " -q -p1 -R -o " + ShellQuote(Out.Path) + " " +
                                        ShellQuote(In.Path) + " 2>&1; echo $?");
    fs::permissions(Locked, fs::perms::all);
    EXPECT_TRUE(Contains(Said, "trovelle-thumbs: " + Locked + ": Permission denied")) << Said;
    EXPECT_TRUE(Contains(Said, Out.Path + "/one\t1\n")) << Said;
    EXPECT_TRUE(Contains(Said, Out.Path + "/three\t1\n")) << Said;
    EXPECT_EQ(Said.substr(Said.size() - 2), "1\n") << Said;
}

// A name made only of dots, which would name the output folder itself or its parent, or an
// empty one, gives a folder of its own inside the output folder.
TEST(ThumbsTool, NamesOfDotsStayInsideTheOutputFolder) {
    TScratch In, Out;
    const std::string Sub = Out.Path + "/out";
    const TRun Run = RunTool({"-p1", "-o", Sub, LinkFixture("vp9.webm", In.Path + "/...mp4"),
                              LinkFixture("hevc.mp4", In.Path + "/..mp4")});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out, Sub + "/video\t1\n" + Sub + "/video-2\t1\n");
    EXPECT_EQ(FileNames(Out.Path), std::vector<std::string>{"out"});
    EXPECT_EQ(FileNames(Sub), (std::vector<std::string>{"video", "video-2"}));
}

// Files named by their frame's time sort in time order, and a second range keeps the
// files of the first; --clean takes them as thumbnails of the video. Ordinals padded by
// --digits sort too, past ten files.
TEST(ThumbsTool, FilesNamedByTimeOrPaddedOrdinalsSort) {
    TScratch Out;
    const std::string Folder = Out.Path + "/fps_12_5";
    TRun Run = RunTool({"-r", "1.9", "2.1", "--names", "time", "-s", "32x24", "-o", Out.Path, Fixture("fps_12_5.mp4")});
    ASSERT_EQ(Run.Exit, 0) << Run.Err;
    Run = RunTool({"-r", "2.05", "2.2", "--names=time", "-s", "32x24", "-o", Out.Path, Fixture("fps_12_5.mp4")});
    ASSERT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(FileNames(Folder), (std::vector<std::string>{"fps_12_5_00-00-01.920.jpg", "fps_12_5_00-00-02.000.jpg",
                                                            "fps_12_5_00-00-02.080.jpg", "fps_12_5_00-00-02.160.jpg"}));
    EXPECT_EQ(ReadThumbnail(Folder + "/fps_12_5_00-00-02.080.jpg").Id.Index, 26);
    Run = RunTool({"-r", "9.5", "9.9", "--names", "time", "--clean", "-s", "32x24", "-o", Out.Path,
                   Fixture("fps_12_5.mp4")});
    EXPECT_TRUE(Contains(Run.Err, "removed 4 earlier thumbnails")) << Run.Err;
    EXPECT_EQ(FileNames(Folder).size(), 5u); // 9.52 s to 9.84 s

    TScratch Padded;
    Run = RunTool({"-p", "12", "--digits", "4", "-s", "32x24", "-o", Padded.Path, Fixture("fps_12_5.mp4")});
    ASSERT_EQ(Run.Exit, 0) << Run.Err;
    const std::vector<std::string> Names = FileNames(Padded.Path + "/fps_12_5");
    ASSERT_EQ(Names.size(), 12u);
    int Last = -1;
    for (const std::string& Name : Names) {
        const int Index = ReadThumbnail(Padded.Path + "/fps_12_5/" + Name).Id.Index;
        EXPECT_GT(Index, Last) << Name; // name order is time order
        Last = Index;
    }
}

// Named by time, the count is the files on disk: each frame is written once, and a frame that
// shares its millisecond with the one before (frames 0.667 ms apart) gets "-2".
TEST(ThumbsTool, FilesNamedByTimeAreAsManyAsCounted) {
    struct TCase {
        std::vector<std::string> Args;
        int First; // the frames from First to 29 are written
    };
    for (const TCase& C : {TCase{{"-w"}, 0}, TCase{{"-p", "30"}, 1}}) {
        SCOPED_TRACE(testing::PrintToString(C.Args));
        TScratch Out;
        std::vector<std::string> Args = C.Args;
        Args.insert(Args.end(), {"--names", "time", "-s", "32x24", "-o", Out.Path, Fixture("ms_apart.mp4")});
        const TRun Run = RunTool(Args);
        ASSERT_EQ(Run.Exit, 0) << Run.Err;
        // Frame k lies at 2k/3 ms: frames 3j and 3j + 1 share millisecond 2j.
        std::vector<std::string> Expected;
        for (int K = C.First; K < 30; ++K) {
            char Name[64];
            // The second frame of a millisecond written gets "-2".
            const bool Second = K % 3 == 1 && K - 1 >= C.First;
            std::snprintf(Name, sizeof Name, "ms_apart_00-00-00.%03d%s.jpg", 2 * K / 3, Second ? "-2" : "");
            Expected.push_back(Name);
        }
        std::sort(Expected.begin(), Expected.end());
        EXPECT_EQ(FileNames(Out.Path + "/ms_apart"), Expected);
        EXPECT_EQ(Run.Out, Out.Path + "/ms_apart\t" + std::to_string(Expected.size()) + "\n");
        // They are the video's thumbnails, which --clean removes.
        Args.insert(Args.begin(), "--clean");
        const TRun Again = RunTool(Args);
        EXPECT_TRUE(Contains(Again.Err, "removed " + std::to_string(Expected.size()) + " earlier thumbnails"))
            << Again.Err;
        EXPECT_EQ(FileNames(Out.Path + "/ms_apart"), Expected);
    }
}

// A FIFO named like a video is refused without being opened (which would wait for a
// writer), and a video given twice, by another path or a link, is done once.
TEST(ThumbsTool, FifosAreRefusedAndAVideoGivenTwiceIsDoneOnce) {
    TScratch In, Out;
    const std::string Fifo = In.Path + "/pipe.mp4";
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
    const std::string Said = RunCommand("timeout 20 " + ShellQuote(ToolPath()) + " -q -p1 -o " + ShellQuote(Out.Path) +
                                        " " + ShellQuote(Fifo) + " 2>&1; echo $?");
    EXPECT_EQ(Said, "trovelle-thumbs: " + Fifo + ": a FIFO, not a file\n1\n");

    const std::string Link = LinkFixture("vp9.webm", In.Path + "/again.webm");
    const TRun Run = RunTool({"-p1", "-o", Out.Path, Fixture("vp9.webm"), Link, Fixture("vp9.webm")});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out, Out.Path + "/vp9\t1\n");
}

// Results that cannot be written (a full disk) are an error of the run, with its reason;
// only a reader that went away ends it with 141.
TEST(ThumbsTool, AFailedWriteOfTheResultsIsAnError) {
    TScratch Out;
    const std::string Said = RunCommand(ShellQuote(ToolPath()) + " -q -p1 -o " + ShellQuote(Out.Path) + " " +
                                        ShellQuote(Fixture("vp9.webm")) + " 2>&1 >/dev/full; echo $?");
    EXPECT_EQ(Said, "trovelle-thumbs: cannot write to standard output: No space left on device\n1\n");
}

// Videos of one name from different folders, given to runs at the same time and then again,
// never share a folder or a sheet name: each claims its own (clip, clip-2, clip-3) with a
// hidden mark of its video, and a run of the same video again goes back to its own. Every
// file shows a frame of its own video; an older folder without a mark is taken over.
TEST(ThumbsTool, SameNamedVideosInRunsAtOnceNeverShareAFolder) {
    TScratch In, Out;
    struct TVideo {
        std::string Path;
        std::vector<int> Seconds; // of its two pieces, at a quarter and three quarters
    };
    const std::vector<TVideo> Videos = {{LinkFixture("long_gop_25.mp4", In.Path + "/a/clip.mp4"), {30, 90}},
                                        {LinkFixture("fps_12_5.mp4", In.Path + "/b/clip.mp4"), {2, 7}},
                                        {LinkFixture("vp9.webm", In.Path + "/c/clip.webm"), {0, 2}}};
    for (int Round = 0; Round < 2; ++Round) {
        std::string Command;
        for (const TVideo& V : Videos)
            for (const char* Mode : {"-p2", "--sheet=2x1"})
                Command += ShellQuote(ToolPath()) + " -q " + Mode + " -o " + ShellQuote(Out.Path) + " " +
                           ShellQuote(V.Path) + " >/dev/null & ";
        EXPECT_EQ(RunCommand(Command + "wait; echo done"), "done\n") << "round " << Round;
    }
    EXPECT_EQ(FileNames(Out.Path), (std::vector<std::string>{"clip", "clip-2", "clip-2_sheet.jpg", "clip-3",
                                                              "clip-3_sheet.jpg", "clip_sheet.jpg"}));
    std::set<std::string> Owners;
    for (const std::string Folder : {"clip", "clip-2", "clip-3"}) {
        const std::string Mark = ReadText(Out.Path + "/" + Folder + "/.trovelle-video");
        const auto Owner = std::find_if(Videos.begin(), Videos.end(), [&](const TVideo& V) {
            return Contains(Mark, "path=" + fs::canonical(V.Path).string() + "\n");
        });
        ASSERT_NE(Owner, Videos.end()) << Mark;
        Owners.insert(Owner->Path);
        EXPECT_EQ(FileNames(Out.Path + "/" + Folder),
                  (std::vector<std::string>{Folder + "_0.jpg", Folder + "_1.jpg"}));
        for (int I = 0; I < 2; ++I)
            EXPECT_EQ(ReadThumbnail(Out.Path + "/" + Folder + "/" + Folder + "_" + std::to_string(I) + ".jpg").Id.Second,
                      Owner->Seconds[static_cast<size_t>(I)])
                << Folder << " of " << Owner->Path;
    }
    EXPECT_EQ(Owners.size(), 3u);

    // A folder of an older run, without a mark, is taken over with a note.
    TScratch Older;
    fs::create_directories(Older.Path + "/clip");
    std::ofstream(Older.Path + "/clip/clip_0.jpg") << "older";
    const TRun Run = RunTool({"-p1", "-o", Older.Path, Videos[1].Path});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_TRUE(Contains(Run.Err, Older.Path + "/clip holds thumbnails of an earlier run")) << Run.Err;
    EXPECT_EQ(ReadThumbnail(Older.Path + "/clip/clip_0.jpg").Id.Second, 5);
}

// Two runs of the same video at once never write into one folder: the first holds its
// folder for its job's length, and the second takes the next free name and says so. The
// hold dies with its run: after the first run is killed, the video gets its folder back.
TEST(ThumbsTool, RunsOfOneVideoAtOnceKeepToTheirOwnFolders) {
    TScratch Out;
    const std::string Video = Fixture("long_gop_25.mp4");
    TRun Second;
    bool Held = false;
    TRunSettings Settings;
    // The first run (every frame of 3000) is frozen with some files written, the second
    // runs meanwhile, then the first is killed as a crash would end it.
    Settings.OnTick = [&](pid_t Child, const TRun&, bool&) {
        if (Held || Out.Files("long_gop_25") < 5)
            return;
        Held = true;
        kill(Child, SIGSTOP);
        Second = RunTool({"-p", "4", "-o", Out.Path, Video});
        kill(Child, SIGKILL);
    };
    const TRun First = RunTool({"-w", "-s", "32x24", "-o", Out.Path, Video}, Settings);
    ASSERT_TRUE(Held) << First.Err;
    EXPECT_TRUE(First.Signalled);
    EXPECT_EQ(Second.Exit, 0) << Second.Err;
    EXPECT_EQ(Second.Out, Out.Path + "/long_gop_25-2\t4\n");
    EXPECT_TRUE(Contains(Second.Err,
                         Out.Path + "/long_gop_25 is in use by another run of this video; this run writes " +
                             Out.Path + "/long_gop_25-2"))
        << Second.Err;
    // The first run's files are its own frames, from the start (the pieces lie 15 s apart).
    for (int I = 0; I < 4; ++I)
        EXPECT_EQ(ReadThumbnail(Out.Path + "/long_gop_25/long_gop_25_" + std::to_string(I) + ".jpg").Id.Index,
                  I);
    EXPECT_EQ(Out.Files("long_gop_25-2"), 4u);

    const TRun Again = RunTool({"-p", "1", "-o", Out.Path, Video});
    EXPECT_EQ(Again.Out, Out.Path + "/long_gop_25\t1\n") << Again.Err;
    EXPECT_FALSE(Contains(Again.Err, "in use")) << Again.Err;
}

// The same path is the same video: touched, or another video copied over it, it keeps its
// folder and its sheet's name, and a note says that what is there is being replaced.
TEST(ThumbsTool, AChangedVideoKeepsItsNameAndItsOutputsAreReplaced) {
    struct TCase {
        const char* What;
        std::function<void(const std::string& Video)> Change;
        bool Replaced; // the note says the outputs are being replaced
    };
    const std::vector<TCase> Cases = {
        {"left as it is", [](const std::string&) {}, false},
        {"touched",
         [](const std::string& Video) {
             fs::last_write_time(Video, fs::last_write_time(Video) + std::chrono::seconds(10));
         },
         true},
        {"another video copied over it",
         [](const std::string& Video) {
             fs::copy_file(Fixture("ntsc_2997.mp4"), Video, fs::copy_options::overwrite_existing);
         },
         true},
    };
    struct TKind {
        const char* Option;
        const char* Result; // after the output folder
        const char* Replaced;
    };
    const std::vector<TKind> Kinds = {{"-p2", "/clip\t2\n", "its thumbnails are being replaced"},
                                      {"--sheet=2x1", "/clip_sheet.jpg\t1\n", "its sheet is being replaced"}};
    for (const TCase& Case : Cases)
        for (const TKind& Kind : Kinds) {
            SCOPED_TRACE(std::string(Case.What) + ", " + Kind.Option);
            TScratch In, Out;
            const std::string Video = In.Path + "/clip.mp4";
            fs::copy_file(Fixture("fps_12_5.mp4"), Video);
            TRun Run = RunTool({Kind.Option, "-o", Out.Path, Video});
            ASSERT_EQ(Run.Out, Out.Path + Kind.Result) << Run.Err;
            Case.Change(Video);
            Run = RunTool({Kind.Option, "-o", Out.Path, Video});
            EXPECT_EQ(Run.Exit, 0) << Run.Err;
            EXPECT_EQ(Run.Out, Out.Path + Kind.Result) << Run.Err;
            EXPECT_EQ(Contains(Run.Err, Kind.Replaced), Case.Replaced) << Run.Err;
            EXPECT_FALSE(fs::exists(Out.Path + "/clip-2") || fs::exists(Out.Path + "/clip-2_sheet.jpg"));
            // The mark says what the video is now: a third run has nothing to replace.
            Run = RunTool({Kind.Option, "-o", Out.Path, Video});
            EXPECT_EQ(Run.Out, Out.Path + Kind.Result) << Run.Err;
            EXPECT_FALSE(Contains(Run.Err, "replaced")) << Run.Err;
        }
}

// Results a script can rely on: a name with a tab or a newline is escaped, so that each
// result stays one line of two fields; -0 ends the results with NUL; a video whose reading
// fails part-way still gives its result line, marked failed.
TEST(ThumbsTool, ResultsStayOneLineEachAndSayHowAVideoEnded) {
    TScratch In, Out;
    const std::string Odd = LinkFixture("vp9.webm", In.Path + "/tab\there\nnewline.webm");
    TRun Run = RunTool({"-q", "-p1", "-o", Out.Path, Odd});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out, Out.Path + "/tab\\there\\nnewline\t1\n");
    EXPECT_EQ(Out.Files("tab\there\nnewline"), 1u);

    Run = RunTool({"-q", "-0", "-p1", "-o", Out.Path, Fixture("vp9.webm"), Fixture("hevc.mp4")});
    EXPECT_EQ(Run.Out, Out.Path + "/vp9\t1" + std::string(1, '\0') + Out.Path + "/hevc\t1" + std::string(1, '\0'));
    // With NUL ends a name needs no escapes: it is written as it is.
    Run = RunTool({"-q", "-0", "-p1", "-o", Out.Path, Odd});
    EXPECT_EQ(Run.Out, Out.Path + "/tab\there\nnewline\t1" + std::string(1, '\0'));

    // Reads of the video (its index at the front) fail half-way: the files before stay, and
    // the result says so.
    const std::string Video = Fixture("damaged.mp4");
    // The shim comes before AddressSanitizer's runtime in a sanitizer build; it only wraps read.
    const std::string Said = RunCommand("ASAN_OPTIONS=\"verify_asan_link_order=0 ${ASAN_OPTIONS:-}\" LD_PRELOAD=" +
                                        ShellQuote(std::string(TEST_BINDIR) + "/libfault_io.so") +
                                        " TROVELLE_FAIL_READ=" + std::to_string(fs::file_size(Video) / 2) + ":" +
                                        ShellQuote(Video) + " " + ShellQuote(ToolPath()) + " -q -w -s 32x24 -o " +
                                        ShellQuote(Out.Path) + " " + ShellQuote(Video) + " 2>/dev/null; echo $?");
    const size_t Files = Out.Files("damaged");
    ASSERT_GT(Files, 0u);
    EXPECT_EQ(Said, Out.Path + "/damaged\t" + std::to_string(Files) + "\tfailed\n1\n");
}

// A quiet run says nothing but errors, also where a job wrote fewer files than asked.
TEST(ThumbsTool, AQuietRunPrintsNoNote) {
    TScratch Out;
    const TRun Run = RunTool({"-q", "-r", "8", "12", "-o", Out.Path, Fixture("fps_12_5.mp4")});
    EXPECT_EQ(Run.Exit, 0);
    EXPECT_EQ(Run.Err, "");
    EXPECT_EQ(Out.Files("fps_12_5"), 25u);
}

// --clean removes files named like thumbnails and passes over a folder of such a name.
TEST(ThumbsTool, CleanPassesOverAFolderNamedLikeAThumbnail) {
    TScratch Out;
    const std::string Folder = Out.Path + "/vp9";
    fs::create_directories(Folder + "/vp9_5.jpg");
    std::ofstream(Folder + "/vp9_7.jpg") << "older";
    const TRun Run = RunTool({"-p1", "--clean", "-o", Out.Path, Fixture("vp9.webm")});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_TRUE(Contains(Run.Err, "removed 1 earlier thumbnails")) << Run.Err;
    EXPECT_EQ(FileNames(Folder), (std::vector<std::string>{"vp9_0.jpg", "vp9_5.jpg"}));
}

TEST(ThumbsTool, ProgressOnATerminalPipedAndQuiet) {
    const std::vector<std::string> Videos = {Fixture("fps_12_5.mp4"), Fixture("vp9.webm")};
    const auto Run = [&](std::vector<std::string> Args, bool Terminal) {
        TScratch Out;
        Args.insert(Args.end(), {"-w", "-s", "32x24", "-o", Out.Path});
        Args.insert(Args.end(), Videos.begin(), Videos.end());
        TRunSettings Settings;
        Settings.Terminal = Terminal;
        TRun Result = RunTool(Args, Settings);
        EXPECT_EQ(Result.Exit, 0) << Result.Err;
        EXPECT_EQ(CountLines(Result.Out), 2u) << Result.Out;
        return Result;
    };
    // Piped: a line when a video starts and one when it ends, whatever the frame count.
    const TRun Piped = Run({}, false);
    EXPECT_EQ(CountLines(Piped.Err), 4u) << Piped.Err;
    EXPECT_TRUE(Contains(Piped.Err, Videos[0] + ": writing into ")) << Piped.Err;
    EXPECT_TRUE(Contains(Piped.Err, Videos[0] + ": 125 written in ")) << Piped.Err;
    EXPECT_FALSE(Contains(Piped.Err, "\r"));

    // On a terminal: one live line per video, redrawn in place.
    // On a terminal of 80 columns, each line fits in 79 (the name shortened in the middle),
    // and says which video of the batch it is.
    const TRun Live = Run({}, true);
    EXPECT_TRUE(Contains(Live.Err, "\rvideo 1 of 2: /")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, "\u2026")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, ".mp4: 125/125 (100%)")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, " thumbnails/s, 0:00 left")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, "video 2 of 2: ")) << Live.Err;
    EXPECT_EQ(CountLines(Live.Err), 2u) << Live.Err;
    EXPECT_LE(LongestDrawnLine(Live.Err), 79u) << Live.Err;

    // Quiet: nothing but the results.
    for (bool Terminal : {false, true})
        EXPECT_EQ(Run({"-q"}, Terminal).Err, "");
}

// On a narrow terminal the live line keeps the count and the percentage: the rate goes
// first, then the time left, and no line reaches the last column.
TEST(ThumbsTool, TheLiveLineKeepsTheCountOnANarrowTerminal) {
    struct TCase {
        unsigned short Columns;
        std::vector<std::string> Shown, Dropped;
    };
    const std::vector<TCase> Cases = {
        {60, {".mp4: 125/125 (100%), 0:00 left", ".mp4: 125 written in 0:0"}, {"/s"}},
        {40, {".mp4: 125/125 (100%)", ".webm: 75/75 (100%)", ".mp4: 125 written"}, {"/s", "left", " in "}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Columns);
        TScratch Out;
        TRunSettings Settings;
        Settings.Terminal = true;
        Settings.Columns = Case.Columns;
        const TRun Run = RunTool(
            {"-w", "-s", "32x24", "-o", Out.Path, Fixture("fps_12_5.mp4"), Fixture("vp9.webm")}, Settings);
        EXPECT_EQ(Run.Exit, 0) << Run.Err;
        for (const std::string& Part : Case.Shown)
            EXPECT_TRUE(Contains(Run.Err, Part)) << Part << "\n" << Run.Err;
        for (const std::string& Part : Case.Dropped)
            EXPECT_FALSE(Contains(Run.Err, Part)) << Part << "\n" << Run.Err;
        EXPECT_LE(LongestDrawnLine(Run.Err), Case.Columns - 1u) << Run.Err;
    }
}

// A console that cannot be written to (a full disk, a closed descriptor) stops no work: every
// video is done and its result goes out, and the run fails at its end. --help and --version
// whose text does not reach its reader fail.
TEST(ThumbsTool, AConsoleThatCannotBeWrittenStopsNothing) {
    TScratch Out;
    const std::string Tool = ShellQuote(ToolPath());
    const std::string Batch = Tool + " -p1 -o " + ShellQuote(Out.Path) + " " +
                              ShellQuote(Fixture("vp9.webm")) + " " + ShellQuote(Fixture("hevc.mp4")) + " " +
                              ShellQuote(Fixture("fps_12_5.mp4"));
    const std::string Results =
        Out.Path + "/vp9\t1\n" + Out.Path + "/hevc\t1\n" + Out.Path + "/fps_12_5\t1\n";
    const struct {
        std::string Command, Said;
    } Cases[] = {
        {Batch + " 2>/dev/full", Results + "1\n"},
        {Batch + " 2>&-", Results + "1\n"},
        {Tool + " --help >/dev/full 2>/dev/null", "1\n"},
        {Tool + " --version >/dev/full 2>/dev/null", "1\n"},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(RunCommand(Case.Command + "; echo $?"), Case.Said) << Case.Command;
        for (const char* Video : {"vp9", "hevc", "fps_12_5"})
            EXPECT_EQ(Out.Files(Video), Contains(Case.Command, "2>/dev/null") ? 0u : 1u) << Video;
        fs::remove_all(Out.Path);
    }
}

TEST(ThumbsTool, SignalsStopAfterTheCurrentFileAndTheNextVideoIsNotStarted) {
    for (const int Signal : {SIGINT, SIGTERM}) {
        TScratch Out;
        bool Sent = false;
        TRunSettings Settings;
        // 3000 frames; signalled once a few are written.
        Settings.OnTick = [&](pid_t Child, const TRun&, bool&) {
            if (!Sent && Out.Files("long_gop_25") >= 5) {
                kill(Child, Signal);
                Sent = true;
            }
        };
        const TRun Run = RunTool({"--whole", "--size", "32x24", "--out", Out.Path, Fixture("long_gop_25.mp4"),
                                  Fixture("fps_12_5.mp4")},
                                 Settings);
        SCOPED_TRACE(strsignal(Signal) + std::string("\n") + Run.Err);
        EXPECT_FALSE(Run.Signalled);
        EXPECT_EQ(Run.Exit, 128 + Signal);
        EXPECT_TRUE(Contains(Run.Err, ": stopped after "));
        const size_t Files = Out.Files("long_gop_25");
        EXPECT_LT(Files, 3000u);
        // The file being written when the signal came was finished.
        EXPECT_EQ(
            ReadThumbnail(Out.Path + "/long_gop_25/long_gop_25_" + std::to_string(Files - 1) + ".jpg").Width,
            32);
        EXPECT_FALSE(fs::exists(Out.Path + "/fps_12_5"));
        // Its result line says how many files it left, and that it was stopped.
        EXPECT_EQ(Run.Out, Out.Path + "/long_gop_25\t" + std::to_string(Files) + "\tstopped\n");
    }
}

TEST(ThumbsTool, AClosedOutputEndsTheRunQuietlyBetweenFiles) {
    TScratch Out;
    TRunSettings Settings;
    // Like "| head -1": the reader goes away after the first result line.
    Settings.OnTick = [](pid_t, const TRun& SoFar, bool& CloseOut) { CloseOut = Contains(SoFar.Out, "\n"); };
    // Full-size files, so that the 3000 frames of the second video take a while.
    const TRun Run = RunTool(
        {"-w", "-o", Out.Path, Fixture("vp9.webm"), Fixture("long_gop_25.mp4"), Fixture("fps_12_5.mp4")},
        Settings);
    EXPECT_FALSE(Run.Signalled) << "killed by SIGPIPE";
    EXPECT_EQ(Run.Exit, 141);
    EXPECT_FALSE(Contains(Run.Err, "trovelle-thumbs:")) << Run.Err;
    EXPECT_EQ(Out.Files("vp9"), 75u);
    // The second video stopped early, every file of it whole; the third never started.
    const size_t Files = Out.Files("long_gop_25");
    EXPECT_LT(Files, 3000u);
    for (size_t I = 0; I < Files; ++I)
        EXPECT_EQ(ReadThumbnail(Out.Path + "/long_gop_25/long_gop_25_" + std::to_string(I) + ".jpg").Width,
                  320);
    EXPECT_FALSE(fs::exists(Out.Path + "/fps_12_5"));
}

// --sheet writes one picture per video beside where the thumbnail folders would go, in the
// format asked for, and says so like the other modes; an unreadable video fails alone.
TEST(ThumbsTool, SheetsOfABatchOfVideos) {
    TScratch Out;
    const TRun Run = RunTool({"--sheet", "3x2", "--sheet-width=600", "-f", "png", "-o", Out.Path,
                              Fixture("ntsc_2997.mp4"), Fixture("garbage.mp4"), Fixture("rotated_90.mp4")});
    EXPECT_EQ(Run.Exit, 1) << Run.Err;
    EXPECT_EQ(Run.Out, Out.Path + "/ntsc_2997_sheet.png\t1\n" + Out.Path + "/rotated_90_sheet.png\t1\n");
    EXPECT_TRUE(Contains(Run.Err, Fixture("ntsc_2997.mp4") + ": 6 written in ")) << Run.Err;
    EXPECT_TRUE(Contains(Run.Err, Fixture("garbage.mp4") + ": not a video")) << Run.Err;
    EXPECT_EQ(FileNames(Out.Path), (std::vector<std::string>{"ntsc_2997_sheet.png", "rotated_90_sheet.png"}));
    // Two rows of 196-pixel-wide tiles under the header: 147 high for the 4:3 video, 261 for the
    // one turned to 3:4.
    const std::pair<const char*, unsigned> Sheets[] = {{"ntsc_2997_sheet.png", 300},
                                                       {"rotated_90_sheet.png", 528}};
    for (const auto& [Name, TilesHigh] : Sheets) {
        const std::string File = Out.Path + "/" + Name;
        FIBITMAP* Dib = FreeImage_Load(FIF_PNG, File.c_str(), 0);
        ASSERT_NE(Dib, nullptr) << File;
        EXPECT_EQ(FreeImage_GetWidth(Dib), 600u) << File;
        EXPECT_GT(FreeImage_GetHeight(Dib), TilesHigh) << File;
        EXPECT_LT(FreeImage_GetHeight(Dib), TilesHigh + 100) << File;
        FreeImage_Unload(Dib);
    }

    // The grid may follow as its own word, and the default is 4 x 4 at 1600 pixels.
    TScratch Jpeg;
    const TRun Default = RunTool({"--sheet", "-o", Jpeg.Path, Fixture("vp9.webm")});
    EXPECT_EQ(Default.Exit, 0) << Default.Err;
    EXPECT_TRUE(Contains(Default.Err, ": 16 written in ")) << Default.Err;
    EXPECT_EQ(ReadThumbnail(Jpeg.Path + "/vp9_sheet.jpg").Width, 1600);
}

TEST(ThumbsTool, CommandLinesThatMakeNoSense) {
    const std::pair<std::vector<std::string>, const char*> Cases[] = {
        {{"--pieces", "0", "a.mp4"}, "--pieces must be a whole number from 1 to 100000, not '0'"},
        {{"--size", "0x10", "a.mp4"}, "the thumbnail width must be"},
        {{"--size", "x", "a.mp4"}, "--size takes WIDTHxHEIGHT"},
        {{"--frobnicate", "a.mp4"}, "unknown option --frobnicate"},
        {{"-z", "a.mp4"}, "unknown option -z"},
        {{"--whole=3", "a.mp4"}, "--whole takes no value"},
        {{"a.mp4", "-p"}, "--pieces needs a value"},
        {{"-r", "10"}, "--range needs a start and an end"},
        {{"--range", "20", "10", "a.mp4"}, "the end of the range lies before its start"},
        {{"--whole", "--pieces", "3", "a.mp4"}, "choose one of"},
        {{"-f", "gif", "a.mp4"}, "--format takes jpg, png or webp, not 'gif'"},
        {{"-Q", "101", "a.mp4"}, "--quality must be a whole number from 1 to 100"},
        {{"-f", "png", "-Q", "50", "a.mp4"}, "--quality applies to jpg and webp"},
        {{"--digits", "0", "a.mp4"}, "--digits must be"},
        {{"--from", "1:75", "a.mp4"}, "'1:75' is not a time"},
        {{"--sheet", "--pieces", "3", "a.mp4"}, "choose one of"},
        {{"--sheet=4", "a.mp4"}, "--sheet takes COLUMNSxROWS, not '4'"},
        {{"--sheet", "21x2", "a.mp4"}, "the sheet's columns must be a whole number from 1 to 20"},
        {{"--sheet=2x0", "a.mp4"}, "the sheet's rows must be"},
        {{"--sheet", "--sheet-width", "100", "a.mp4"},
         "--sheet-width must be a whole number from 160 to 10000"},
        {{"--sheet-width", "800", "a.mp4"}, "--sheet-width applies to --sheet"},
        {{"--sheet", "-s", "64x48", "a.mp4"}, "--size, --fit, --digits, --names and --clean apply to thumbnails"},
        {{"--sheet", "--names", "time", "a.mp4"}, "--size, --fit, --digits, --names and --clean apply to"},
        {{"-s", "64x48", "--fit", "64x48", "a.mp4"}, "choose one of --size and --fit"},
        {{"--fit", "64", "a.mp4"}, "--fit takes WIDTHxHEIGHT, not '64'"},
        {{"--names", "ordinal", "a.mp4"}, "--names takes time, not 'ordinal'"},
        {{"--names", "time", "--digits", "4", "a.mp4"}, "--digits pads ordinals; files named by time"},
        {{"--s=3", "a.mp4"}, "option --s is ambiguous (--sheet, --sheet-width, --smart, --size)"},
        {{"--sheet-w=300", "--sheet", "a.mp4"}, ""}, // one option fits: taken
        {{"-s", "99999x1", "a.mp4"}, "the thumbnail width must be a whole number from 1 to 65500"},
        {{"--sheet", "20x20", "--sheet-width", "160", "a.mp4"}, "A sheet 160 pixels wide is too narrow for 20"},
        {{"--thumbnail", "0", "a.mp4", "o.png"}, "--thumbnail's size must be a whole number from 1 to 4096"},
        {{"--thumbnail", "128", "a.mp4"}, "--thumbnail needs a size, one video and one output file"},
        {{"--thumbnail", "128", "a.mp4", "b.mp4", "o.png"}, "--thumbnail needs a size"},
        {{"--thumbnail", "128", "-o", "d", "a.mp4", "o.png"},
         "--thumbnail takes SIZE INPUT OUTPUT and nothing else"},
        {{"--thumbnail", "128", "--sheet", "a.mp4", "o.png"}, "choose one of"},
        {{"--thumbnail", "128", "file://host/a.mp4", "o.png"},
         "'file://host/a.mp4' is not a file on this machine"},
        {{}, "no video given"},
    };
    for (const auto& [Args, Says] : Cases) {
        const TRun Run = RunTool(Args);
        if (!*Says) {
            EXPECT_NE(Run.Exit, 2) << Run.Err;
            continue;
        }
        EXPECT_EQ(Run.Exit, 2) << Run.Err;
        EXPECT_TRUE(Contains(Run.Err, std::string("trovelle-thumbs: ") + Says)) << Run.Err;
        EXPECT_TRUE(Contains(Run.Err, "Try 'trovelle-thumbs --help'.")) << Run.Err;
    }
}

TEST(ThumbsTool, DoubleDashEndsTheOptions) {
    TScratch In, Out;
    const std::string Video = LinkFixture("vp9.webm", In.Path + "/-p.webm");
    const fs::path Before = fs::current_path();
    fs::current_path(In.Path);
    const TRun Run = RunTool({"-p", "1", "-o", Out.Path, "--", "-p.webm"});
    fs::current_path(Before);
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out, Out.Path + "/-p\t1\n");
}

// --version: the program, its licence and what it is built with.
TEST(ThumbsTool, VersionNamesTheLicenceAndTheCredits) {
    const TRun Run = RunTool({"--version"});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(Run.Out.rfind("trovelle-thumbs (Trovelle) ", 0), 0u) << Run.Out;
    EXPECT_TRUE(Contains(Run.Out, "GNU GPL version 3 or later")) << Run.Out;
    for (const char* Name : {"Qt", "FFmpeg", "SDL", "FreeImage", "Open Sans"})
        EXPECT_TRUE(Contains(Run.Out, Name)) << Name;
}

TEST(ThumbsTool, AJobThatFailsGivesItsReasonAndTheNextVideoStillRuns) {
    const std::pair<std::vector<std::string>, const char*> Cases[] = {
        {{"-r", "600000:00:00", "600000:00:01"},
         "The start time 2160000000 s is beyond the times a video can be read"},
    };
    for (const auto& [Args, Says] : Cases) {
        TScratch Out;
        std::vector<std::string> All = Args;
        All.insert(All.end(), {"-o", Out.Path, Fixture("vp9.webm"), Fixture("hevc.mp4")});
        const TRun Run = RunTool(All);
        EXPECT_EQ(Run.Exit, 1) << Run.Err;
        EXPECT_TRUE(Contains(Run.Err, "trovelle-thumbs: " + Fixture("vp9.webm") + ": " + Says)) << Run.Err;
        EXPECT_TRUE(Contains(Run.Err, "trovelle-thumbs: " + Fixture("hevc.mp4") + ": ")) << Run.Err;
        EXPECT_EQ(Run.Out, "");
    }
}

// Files cut short, whose containers state more than they hold (an MP4's index promises 10 s
// and its data ends before 3.75 s; a Matroska segment's and an AVI's header state 10 s, their
// data ends near 3 s): every kind of job fails with the library's reason (exit status 1), also
// one whose frames all lie before the cut, and a thumbnail job's result line counts the files it
// kept, marked failed; no sheet is written.
TEST(ThumbsTool, ACutFileFailsEveryKindOfJobThatReachesPastTheCut) {
    struct TVideo {
        const char* File;
        const char* Name;
        const char* Reason;
    };
    const TVideo Videos[] = {
        {"truncated.mp4", "truncated", "the file ends before its index says"},
        {"cut_short.mkv", "cut_short", "the file ends before its header says"},
        {"cut_short.avi", "cut_short", "the file ends before its header says"},
    };
    struct TCase {
        std::vector<std::string> Args;
        bool Kept; // thumbnails written before the cut stay, counted
    };
    const TCase Cases[] = {
        {{"-p", "4"}, true},      {{"-p", "4", "--smart"}, true}, {{"-w"}, true},
        {{"-r", "2", "9"}, true}, {{"-r", "0", "0.5"}, true},   {{"--sheet", "2x2"}, false},
    };
    for (const TVideo& V : Videos)
        for (const TCase& C : Cases) {
            SCOPED_TRACE(testing::Message() << V.File << " " << testing::PrintToString(C.Args));
            TScratch Out;
            std::vector<std::string> Args = C.Args;
            Args.insert(Args.end(), {"-s", "32x24", "-o", Out.Path, Fixture(V.File)});
            if (C.Args.front() == "--sheet")
                Args.erase(Args.end() - 5, Args.end() - 3);
            const TRun Run = RunTool(Args);
            EXPECT_EQ(Run.Exit, 1) << Run.Err;
            EXPECT_TRUE(Contains(Run.Err, V.Reason)) << Run.Err;
            EXPECT_TRUE(Contains(Run.Err, "the file was probably cut short")) << Run.Err;
            if (C.Kept) {
                const size_t Files = Out.Files(V.Name);
                EXPECT_GT(Files, 0u);
                EXPECT_EQ(Run.Out, Out.Path + "/" + V.Name + "\t" + std::to_string(Files) + "\tfailed\n");
            } else {
                EXPECT_EQ(Run.Out, "");
                EXPECT_FALSE(fs::exists(Out.Path + "/" + V.Name + "_sheet.jpg"));
            }
        }
}

// A transport stream states nothing to fall short of: one that ends inside a packet gives its
// thumbnails and says in a note that it was probably cut short; a whole one says nothing.
TEST(ThumbsTool, ATransportStreamCutInsideAPacketGetsANote) {
    for (const char* File : {"cut_short.ts", "cut_whole.ts"}) {
        SCOPED_TRACE(File);
        TScratch Out;
        const TRun Run = RunTool({"-p", "2", "-s", "32x24", "-o", Out.Path, Fixture(File)});
        EXPECT_EQ(Run.Exit, 0) << Run.Err;
        EXPECT_EQ(Out.Files(fs::path(File).stem().string()), 2u);
        EXPECT_EQ(Contains(Run.Err, Fixture(File) + " ends inside a transport stream packet"),
                  std::string(File) == "cut_short.ts")
            << Run.Err;
    }
}

namespace {

// The value of Key in the thumbnailer entry, or "" when it has none.
std::string ThumbnailerKey(const std::string& Key) {
    std::ifstream Entry(TEST_THUMBNAILER);
    for (std::string Line; std::getline(Entry, Line);)
        if (Line.rfind(Key + "=", 0) == 0)
            return Line.substr(Key.size() + 1);
    return "";
}

// Runs the entry's Exec line as a file manager does: split into words, each field code
// replaced, the program found on the path (the build's own programs first).
TRun RunThumbnailer(const std::string& Input, const std::string& Output, int Size) {
    std::istringstream Words(ThumbnailerKey("Exec"));
    std::vector<std::string> Args;
    for (std::string Word; Words >> Word;) {
        const std::pair<const char*, std::string> Codes[] = {
            {"%i", Input}, {"%u", "file://" + Input}, {"%o", Output}, {"%s", std::to_string(Size)}};
        for (const auto& [Code, Value] : Codes)
            if (Word == Code)
                Word = Value;
        Args.push_back(Word);
    }
    if (Args.empty() || Args.front() != "trovelle-thumbs")
        return {};
    Args.erase(Args.begin());
    return RunTool(Args);
}

bool IsPng(const std::string& File) {
    std::ifstream Stream(File, std::ios::binary);
    char Signature[8] = {};
    Stream.read(Signature, sizeof Signature);
    return std::string(Signature, 8) == "\x89PNG\r\n\x1a\n";
}

} // namespace

// The file managers' thumbnail: the picture a tenth into the video, a blank frame giving way
// to the next real one up to five seconds on, in its display shape within the box, as PNG
// whatever the output's name, written quietly into the output file itself (tumbler makes the
// file, holds it open and reads the picture through its descriptor) and with nothing else
// left in the folder.
TEST(ThumbsTool, FileManagerThumbnailer) {
    ASSERT_NE(ThumbnailerKey("MimeType").find("video/mp4;"), std::string::npos);
    struct TCase {
        const char* Video;
        int Size;
        int Width, Height;
        int Frame; // the frame shown, -1: the video carries no identity
    };
    const TCase Cases[] = {
        {"long_gop_25.mp4", 256, 256, 192, 300}, // 12 s of 120 s at 25 fps, between keyframes
        {"fade_black.mp4", 128, 128, 96, 30},    // frame 15 is blank; 30 is the first real one
        {"anamorphic.mp4", 256, 256, 144, 5},    // stored 720x576, shown 16:9
        {"rotated_90.mp4", 256, 192, 256, -1},   // turned upright
        {"one_frame.mp4", 64, 64, 48, 0},
        {"short_1_52.mp4", 64, 64, 48, 4},     // a tenth of 1.52 s: 0.152 s
        {"black_start.mp4", 128, 128, 96, 75}, // 3 s of black: frame 25 gives way to 75
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Video);
        TScratch Out, Read;
        const std::string File = Out.Path + "/tumbler-X1b2"; // no extension, as tumbler names it
        const int Held = open(File.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ASSERT_GE(Held, 0);
        const TRun Run = RunThumbnailer(Fixture(C.Video), File, C.Size);
        EXPECT_EQ(Run.Exit, 0) << Run.Err;
        EXPECT_EQ(Run.Out + Run.Err, "");
        // The picture as the descriptor held all along reads it.
        std::string Bytes;
        char Buffer[65536];
        for (ssize_t Got; (Got = pread(Held, Buffer, sizeof Buffer, static_cast<off_t>(Bytes.size()))) > 0;)
            Bytes.append(Buffer, static_cast<size_t>(Got));
        close(Held);
        const std::string Copy = Read.Path + "/held.png";
        std::ofstream(Copy, std::ios::binary) << Bytes;
        EXPECT_TRUE(IsPng(Copy));
        const TThumbnailFile Picture = ReadThumbnail(Copy);
        EXPECT_EQ(Picture.Width, C.Width);
        EXPECT_EQ(Picture.Height, C.Height);
        if (C.Frame >= 0) {
            EXPECT_EQ(Picture.Id.Index, C.Frame);
        }
        EXPECT_EQ(FileNames(Out.Path), std::vector<std::string>{"tumbler-X1b2"});
    }
}

// A file manager may hand over a URI; a file that is no video leaves the output alone.
TEST(ThumbsTool, FileManagerThumbnailFromUriAndFailures) {
    TScratch In, Out;
    const std::string Video = LinkFixture("vp9.webm", In.Path + "/a b#1.webm");
    const std::string Uri = "file://" + In.Path + "/a%20b%231.webm";
    const TRun Run = RunTool({"--thumbnail", "96", Uri, Out.Path + "/t.png"});
    EXPECT_EQ(Run.Exit, 0) << Run.Err;
    EXPECT_EQ(ReadThumbnail(Out.Path + "/t.png").Width, 96);

    std::ofstream(In.Path + "/notes.mp4") << "not a video";
    for (const std::string& Input : {In.Path + "/notes.mp4", In.Path + "/missing.mp4"}) {
        const TRun Failed = RunTool({"--thumbnail", "96", Input, Out.Path + "/u.png"});
        EXPECT_EQ(Failed.Exit, 1);
        EXPECT_TRUE(Contains(Failed.Err, Input)) << Failed.Err;
        EXPECT_EQ(FileNames(Out.Path), std::vector<std::string>{"t.png"});
    }
}
