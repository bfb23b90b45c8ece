// trovelle-thumbs: the generation job of the window, for batch work and for people
// without a desktop session. One job per video, each with its report served on this
// thread; progress on stderr.
#include "appinfo.h"
#include "convertthread.h"
#include "options.h"
#include "platform.h"

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr const char* kProgram = "trovelle-thumbs";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

std::atomic<bool> Interrupted{false};

void OnInterrupt(int) { Interrupted.store(true); }

// Writes "Processing: %d/%d" in place on a terminal, a line per update otherwise.
class TProgressLine {
public:
    TProgressLine() : FInPlace(isatty(STDERR_FILENO)) {}
    void Show(const TConvertProgress& P) {
        std::fprintf(stderr, FInPlace ? "\rProcessing: %lld/%lld" : "Processing: %lld/%lld\n",
                     static_cast<long long>(P.Current + 1), static_cast<long long>(P.Total));
        FOpen = FInPlace;
    }
    // Ends an in-place line before anything else is written.
    void Close() {
        if (FOpen)
            std::fputc('\n', stderr);
        FOpen = false;
    }

private:
    bool FInPlace;
    bool FOpen = false;
};

// Runs one job; false (after a message) when it failed.
bool RunVideo(TDecoder& Decoder, const TThumbsOptions& Options, const std::string& Video) {
    try {
        Decoder.Open(Video);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s: %s: not a video that can be read\n", kProgram, Video.c_str());
        return false;
    }
    TConvertRec Rec;
    Rec.Name = VideoName(Video);
    Rec.Folder = Options.OutFolder.empty() ? "" : IncludeTrailingSlash(Options.OutFolder);
    Rec.Whole = Options.Mode == TTakeMode::Whole;
    Rec.Range = Options.Mode == TTakeMode::Range;
    Rec.Pieces = Options.Pieces;
    Rec.StartPos = Options.RangeStart;
    Rec.EndPos = Options.RangeEnd;
    Rec.Width = Options.Width ? Options.Width : Decoder.FFileInfo->Width;
    // The size the window proposes for a newly opened video: its width, and the height
    // that keeps its display shape.
    Rec.Height = Options.Height ? Options.Height
                                : static_cast<int32_t>(std::nearbyint(Rec.Width / Decoder.AspectRatio));
    const std::string Folder = (Rec.Folder.empty() ? DefaultSaveFolder() : Rec.Folder) + Rec.Name;

    TProgressLine Line;
    TConvertProgress Last;
    bool Failed = false;
    std::string Error;
    auto Job = std::make_unique<TConvertThread>(&Decoder);
    Job->FRec = Rec;
    Job->SetOnEvent([&](TEngineEvents Events, void* Data) {
        Last = *static_cast<const TConvertProgress*>(Data);
        if (Events & evConvFrame)
            Line.Show(Last);
        if (Events & evConvError) {
            Failed = true;
            Error = Job->ErrorMessage;
        }
    });
    Job->Resume();
    while (!Job->Finished()) {
        TLoopDispatcher::ProcessHandOffs(std::chrono::milliseconds(100));
        if (Interrupted.load())
            Job->Terminate(); // ends after the current file
    }
    Job.reset();
    Line.Close();
    if (Failed) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, Video.c_str(), Error.c_str());
        return false;
    }
    std::fprintf(stderr, "%s: %lld/%lld\n%s\n", Interrupted.load() ? "Stopped" : "Done",
                 static_cast<long long>(Last.Current + 1), static_cast<long long>(Last.Total), Folder.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    TThumbsOptions Options;
    try {
        Options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& E) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, E.what(), kProgram);
        return kExitUsage;
    }
    if (Options.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (Options.Version) {
        std::fputs(VersionText(kProgram).c_str(), stdout);
        return 0;
    }

    std::unique_ptr<TDecoder> Decoder;
    try {
        Decoder = std::make_unique<TDecoder>();
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s: cannot load the decoding library: %s\n", kProgram, E.what());
        return kExitFailure;
    }
    TLoopDispatcher Dispatcher;
    TThread::SetMainThreadDispatcher(&Dispatcher);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    bool AllDone = true;
    for (const std::string& Video : Options.Videos) {
        if (Interrupted.load())
            break;
        AllDone = RunVideo(*Decoder, Options, Video) && AllDone;
    }
    TThread::SetMainThreadDispatcher(nullptr);
    if (Interrupted.load())
        return kExitInterrupted;
    return AllDone ? 0 : kExitFailure;
}
