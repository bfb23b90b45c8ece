// trovelle-thumbs end to end: the real program on the test videos, one run per mode and
// per class of failure.
#include "fixtures.h"
#include "frame_identity.h"
#include "options.h"
#include "scratch.h"
#include "thumbnail_file.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Exit = -1;
    std::string Err;
};

// Starts the tool with Args; OnOutput sees stderr as it grows and may signal the child.
TRun RunTool(const std::vector<std::string>& Args,
             const std::function<void(pid_t, const std::string&)>& OnOutput = nullptr) {
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return {};
    const std::string Tool = std::string(TEST_BINDIR) + "/trovelle-thumbs";
    const pid_t Child = fork();
    if (Child == 0) {
        dup2(Pipe[1], STDERR_FILENO);
        close(Pipe[0]);
        close(Pipe[1]);
        std::vector<char*> Argv{const_cast<char*>(Tool.c_str())};
        for (const std::string& A : Args)
            Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        execv(Tool.c_str(), Argv.data());
        _exit(127);
    }
    close(Pipe[1]);
    TRun Run;
    char Buffer[4096];
    ssize_t Read;
    while ((Read = read(Pipe[0], Buffer, sizeof Buffer)) > 0) {
        Run.Err.append(Buffer, static_cast<size_t>(Read));
        if (OnOutput)
            OnOutput(Child, Run.Err);
    }
    close(Pipe[0]);
    int Status = 0;
    waitpid(Child, &Status, 0);
    Run.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
    return Run;
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
        {{}, "long_gop_25.mp4", 12, 2750, 320, 240},                     // 12 pieces, 10 s apart
        {{"--pieces", "3"}, "long_gop_25.mp4", 3, 2000, 320, 240},       // 40 s apart
        {{"--whole", "--size", "80x60"}, "fps_12_5.mp4", 125, 124, 80, 60},
        {{"--range", "00:00:10", "11"}, "long_gop_25.mp4", 50, 299, 320, 240},
        {{"--pieces", "1"}, "anamorphic.mp4", 1, 0, 720, 405},           // display shape 16:9
    };
    for (const TCase& C : Cases) {
        TScratch Out;
        std::vector<std::string> Args = C.Args;
        Args.insert(Args.end(), {"--out", Out.Path, Fixture(C.Video)});
        const TRun Run = RunTool(Args);
        const std::string Name = fs::path(C.Video).stem().string();
        EXPECT_EQ(Run.Exit, 0) << Run.Err;
        EXPECT_EQ(Out.Files(Name), C.Files) << C.Video;
        const TThumbnailFile Last = ReadThumbnail(Out.Path + "/" + Name + "/" + Name + "_" + std::to_string(C.Files - 1) + ".jpg");
        EXPECT_EQ(Last.Id.Index, C.LastIndex) << C.Video;
        EXPECT_EQ(Last.Width, C.Width) << C.Video;
        EXPECT_EQ(Last.Height, C.Height) << C.Video;
        EXPECT_NE(Run.Err.find("Done: " + std::to_string(C.Files) + "/"), std::string::npos) << Run.Err;
        EXPECT_NE(Run.Err.find(Out.Path + "/" + Name), std::string::npos) << Run.Err;
    }
}

TEST(ThumbsTool, FailuresAreNamedAndTheNextVideoStillRuns) {
    TScratch Out;
    // An unreadable video, then a good one.
    TRun Run = RunTool({"--pieces", "2", "--out", Out.Path, Fixture("garbage.mp4"), Fixture("long_gop_25.mp4")});
    EXPECT_EQ(Run.Exit, 1);
    EXPECT_NE(Run.Err.find("garbage.mp4"), std::string::npos) << Run.Err;
    EXPECT_EQ(Out.Files("long_gop_25"), 2u);

    // A folder that cannot be made.
    Run = RunTool({"--out", Out.Path + "/missing/deeper", Fixture("long_gop_25.mp4")});
    EXPECT_EQ(Run.Exit, 1);
    EXPECT_NE(Run.Err.find("No such file or directory"), std::string::npos) << Run.Err;
    EXPECT_NE(Run.Err.find(Out.Path + "/missing/deeper"), std::string::npos) << Run.Err;

    // Command lines that make no sense.
    for (const std::vector<std::string>& Args :
         {std::vector<std::string>{"--pieces", "0", "a.mp4"}, {"--size", "0x10", "a.mp4"}, {"--frobnicate", "a.mp4"},
          {"--range", "20", "10", "a.mp4"}, {"--whole", "--pieces", "3", "a.mp4"}, {}}) {
        Run = RunTool(Args);
        EXPECT_EQ(Run.Exit, 2) << Run.Err;
        EXPECT_NE(Run.Err.find("trovelle-thumbs: "), std::string::npos) << Run.Err;
    }
}

TEST(ThumbsTool, InterruptStopsAfterTheCurrentFile) {
    TScratch Out;
    bool Sent = false;
    // 3000 frames; interrupted once the first few are written.
    const TRun Run = RunTool({"--whole", "--size", "32x24", "--out", Out.Path, Fixture("long_gop_25.mp4")},
                             [&](pid_t Child, const std::string& Err) {
                                 if (!Sent && Err.find("Processing: 5/") != std::string::npos) {
                                     kill(Child, SIGINT);
                                     Sent = true;
                                 }
                             });
    EXPECT_EQ(Run.Exit, 130) << Run.Err;
    EXPECT_NE(Run.Err.find("Stopped: "), std::string::npos) << Run.Err;
    EXPECT_LT(Out.Files("long_gop_25"), 3000u);
}

// --version: the program, its licence and what it is built with.
TEST(ThumbsTool, VersionNamesTheLicenceAndTheCredits) {
    const std::string Out = RunCommand(ShellQuote(std::string(TEST_BINDIR) + "/trovelle-thumbs") + " --version");
    EXPECT_EQ(Out.rfind("trovelle-thumbs (Trovelle) ", 0), 0u) << Out;
    EXPECT_NE(Out.find("GNU GPL version 3 or later"), std::string::npos) << Out;
    for (const char* Name : {"Qt", "FFmpeg", "SDL", "FreeImage", "Open Sans"})
        EXPECT_NE(Out.find(Name), std::string::npos) << Name;
}

TEST(ThumbsToolOptions, Times) {
    EXPECT_EQ(ParseSeconds("75"), 75);
    EXPECT_EQ(ParseSeconds("1:15"), 75);
    EXPECT_EQ(ParseSeconds("01:00:05"), 3605);
    for (const char* Bad : {"", "1:60", "a", "1::2", "-3", "1:2:3:4"})
        EXPECT_THROW(ParseSeconds(Bad), EUsageError) << Bad;
}
