// trovelle-thumbs end to end: the real program on the test videos, one run per case.
#include "fixtures.h"
#include "frame_identity.h"
#include "scratch.h"
#include "thumbnail_file.h"
#include "tool_runner.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
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

// The files of Folder, names only, sorted.
std::vector<std::string> FileNames(const std::string& Folder) {
    std::vector<std::string> Names;
    if (fs::is_directory(Folder))
        for (const auto& Entry : fs::directory_iterator(Folder))
            Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
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
        {{}, "long_gop_25.mp4", 12, 2750, 320, 240},               // 12 pieces, 10 s apart
        {{"--pieces", "3"}, "long_gop_25.mp4", 3, 2000, 320, 240}, // 40 s apart
        {{"--pieces=3"}, "long_gop_25.mp4", 3, 2000, 320, 240},
        {{"-p3"}, "long_gop_25.mp4", 3, 2000, 320, 240},
        {{"--whole", "--size", "80x60"}, "fps_12_5.mp4", 125, 124, 80, 60},
        {{"-w", "-s80x60"}, "fps_12_5.mp4", 125, 124, 80, 60},
        {{"--range", "00:00:10", "11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"-r", "10", "11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"--from=10", "--to=11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"--to", "1", "-s", "160"}, "fps_12_5.mp4", 25, 24, 160, 120},  // from the start, width only
        {{"--from", "9", "-s", "x60"}, "fps_12_5.mp4", 12, 124, 80, 60}, // to the end, height only
        {{"--pieces", "1"}, "anamorphic.mp4", 1, 0, 720, 405},           // display shape 16:9
        {{"-p1", "--size=320x"}, "anamorphic.mp4", 1, 0, 320, 180},
        {{"-p1", "-s", "x90"}, "anamorphic.mp4", 1, 0, 160, 90},
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
    }
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
        // Each file really is of its format and shows its frame (pieces at 0, 3 and 6 s).
        for (int I = 0; I < 3; ++I) {
            const std::string File = Out.Path + "/fps_12_5/" + Names[static_cast<size_t>(I)];
            EXPECT_EQ(FreeImage_GetFileType(File.c_str(), 0), C.FileType) << File;
            const TThumbnailFile Thumb = ReadThumbnail(File);
            EXPECT_EQ(Thumb.Id.Second, 3 * I) << File;
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
    // Each folder holds its own video (fps_12_5 is 10 s long: its second piece is at 5 s).
    EXPECT_EQ(ReadThumbnail(Out.Path + "/clip/clip_1.jpg").Id.Second, 5);
    EXPECT_EQ(ReadThumbnail(Out.Path + "/clip-2/clip-2_1.jpg").Id.Second, 1);
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
        {{"-p", "12"},
         0,
         10,
         "12 pieces asked, 10 written: the video is 10 s long and pieces are whole seconds apart"},
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
        // A failed video has no result line.
        EXPECT_EQ(CountLines(Run.Out), C.Exit == 0 ? 1u : 0u);
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
    const TRun Live = Run({}, true);
    EXPECT_TRUE(Contains(Live.Err, "\r" + Videos[0] + ": ")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, "125/125 (100%)")) << Live.Err;
    EXPECT_TRUE(Contains(Live.Err, " thumbnails/s, 0:00 left")) << Live.Err;
    EXPECT_EQ(CountLines(Live.Err), 2u) << Live.Err;

    // Quiet: nothing but the results.
    for (bool Terminal : {false, true})
        EXPECT_EQ(Run({"-q"}, Terminal).Err, "");
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
        EXPECT_EQ(Run.Out, "");
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
        {{"--sheet", "-s", "64x48", "a.mp4"}, "--size, --digits and --clean apply to thumbnails"},
        {{}, "no video given"},
    };
    for (const auto& [Args, Says] : Cases) {
        const TRun Run = RunTool(Args);
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
        {{"-s", "70000x10"}, "The thumbnail size 70000 x 10 is larger than a JPEG file can hold"},
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
