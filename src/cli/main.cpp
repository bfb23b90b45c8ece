// trovelle-thumbs: the generation job of the window, for batch work and for people
// without a desktop session. One job per video, each with its reports served on this
// thread. Nothing is lost silently: videos of the same name get folders of their own,
// earlier thumbnails in a folder are counted (or removed with --clean), and a job that
// writes fewer files than asked says why.
#include "console.h"
#include "engine/rounding.h"
#include "image/outputfolder.h"
#include "inputs.h"
#include "jobs/framewalker.h"
#include "jobs/outputs.h"
#include "jobs/previewjob.h"
#include "jobs/sheetjob.h"
#include "jobs/shortfall.h"
#include "jobs/stillframe.h"
#include "jobs/thumbnailjob.h"
#include "options.h"
#include "platform/appinfo.h"
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// The signal that asked the run to stop (SIGINT or SIGTERM), or 0.
std::atomic<int> StopSignal{0};

void OnStopSignal(int Signal) {
    StopSignal.store(Signal);
}

// Ctrl+C and SIGTERM stop after the current file; a closed pipe is noticed at the next
// write instead of killing the process in the middle of a file.
void InstallSignalHandlers() {
    struct sigaction Action {};
    Action.sa_handler = OnStopSignal;
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// A standard descriptor the caller closed (2>&-) is given /dev/null, read-only: nothing the
// run opens takes its number, so that no message lands in a thumbnail or a mark, and a
// write to it fails as a write to a closed one does.
void HoldClosedDescriptors() {
    for (int Fd = STDIN_FILENO; Fd <= STDERR_FILENO; ++Fd)
        if (fcntl(Fd, F_GETFD) < 0 && errno == EBADF)
            open("/dev/null", O_RDONLY); // the lowest free number: Fd
}

bool Stopping(TConsole& Console) {
    return StopSignal.load() != 0 || Console.OutputClosed();
}

// The thumbnail size for the open video: the given sides, a missing side from the display
// shape, and the video's width when none is given, as the window proposes.
void SizeFor(const TThumbsOptions& Options, const TDecoder& Decoder, TConvertRec& Rec) {
    Rec.Width = Options.Width;
    Rec.Height = Options.Height;
    if (Options.Fit) {
        // The widest picture of the display shape that the box holds.
        Rec.Height = HeightForWidth(Rec.Width, Decoder.AspectRatio);
        if (Rec.Height > Options.Height) {
            Rec.Height = Options.Height;
            Rec.Width = WidthForHeight(Rec.Height, Decoder.AspectRatio);
        }
        return;
    }
    if (!Rec.Width && !Rec.Height)
        Rec.Width = Decoder.FileInfo()->Width;
    if (!Rec.Height)
        Rec.Height = HeightForWidth(Rec.Width, Decoder.AspectRatio);
    if (!Rec.Width)
        Rec.Width = WidthForHeight(Rec.Height, Decoder.AspectRatio);
}

// Runs Job to its end, its progress on the console; a stop asked for meanwhile ends it
// after the current file.
TJobEnd RunJob(TGenerationJob& Job, TConsole& Console) {
    return RunToEnd(
        Job,
        [&](const TJobReport& Report) {
            if (Report.Events & evConvFrame)
                Console.Frame(Report.Progress.Current + 1, Report.Progress.Total);
        },
        [&] { return Stopping(Console); });
}

// Claims the name of Input's outputs of Kind into Claimed, held for as long as Claimed
// lives, and says where the video's outputs go elsewhere than last time or replace what a
// changed video left; false (after saying why) when no name could be claimed. Shown: a
// name as the messages show it (the folder, or the sheet's file); Replaced: what is
// replaced, as the note says it.
bool ClaimName(const TInput& Input, const std::string& SaveFolder, TOutputKind Kind,
               const std::function<std::string(const std::string&)>& Shown, const char* Replaced,
               TConsole& Console, TClaimedName& Claimed) {
    try {
        Claimed = ClaimOutputName(SaveFolder, Input.Name, Input.Path, Kind);
    } catch (const std::exception& E) {
        Console.Error(Input.Path + ": " + E.what());
        return false;
    }
    if (Claimed.TookOver)
        Console.Note(
            Input.Path + ": " + Shown(Claimed.Name) +
            " holds thumbnails of an earlier run without a mark of its video; it is this video's now");
    if (!Claimed.Busy.empty())
        Console.Note(Input.Path + ": " + Shown(Claimed.Busy) + " is in use by another run of this video; " +
                     "this run writes " + Shown(Claimed.Name));
    if (Claimed.Changed)
        Console.Note(Input.Path + ": the video's size or time of change is not what it was when " +
                     Shown(Claimed.Name) + " was made; " + Replaced + " being replaced");
    return true;
}

// The contact sheet of the open video; false (after saying why) when none was written.
bool RunSheet(TDecoder& Decoder, const TThumbsOptions& Options, const std::string& SaveFolder,
              const TInput& Input, TConsole& Console) {
    TSheetRec Rec;
    Rec.Columns = Options.SheetColumns;
    Rec.Rows = Options.SheetRows;
    Rec.Width = Options.SheetWidth;
    Rec.Path = Input.Path;
    Rec.Folder = SaveFolder;
    Rec.Format = Options.Format;
    Rec.Quality = Options.Quality;
    Rec.PreferClear = Options.Smart;
    const auto SheetOf = [&](const std::string& Name) {
        TSheetRec Named = Rec;
        Named.Name = Name;
        return SheetFileName(Named);
    };
    TClaimedName Claimed;
    if (!ClaimName(Input, SaveFolder, TOutputKind::Sheet, SheetOf, "its sheet is", Console, Claimed))
        return false;
    Rec.Name = Claimed.Name;
    const std::string File = SheetFileName(Rec);
    Console.Started(Input.Path, File, "tiles");
    TSheetThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunJob(Job, Console);
    if (End.Failed) {
        Console.Error(Input.Path + ": " + End.Error);
        return false;
    }
    if (Stopping(Console)) {
        Console.Note(Input.Path + ": stopped after " + std::to_string(End.Last.Current + 1) +
                     " tiles; no sheet written");
        return true;
    }
    Console.Finished(End.Last.Current + 1);
    if (End.Last.Repeats > 0)
        Console.Note(
            Input.Path + ": " + std::to_string(End.Last.Total) + " tiles asked, " +
            std::to_string(End.Last.Current + 1) +
            " different frames shown: the other tiles fell on frames shown already and are left out");
    Console.Result(End.Output, 1);
    return true;
}

// The file manager's preview of the open video; false (after saying why) when none was written.
bool RunPreview(TDecoder& Decoder, const TThumbsOptions& Options, const TInput& Input, TConsole& Console) {
    TPreviewRec Rec;
    Rec.Size = Options.PreviewSize;
    Rec.Path = Input.Path;
    Rec.FileName = Options.PreviewFile;
    TPreviewThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunJob(Job, Console);
    if (End.Failed)
        Console.Error(Input.Path + ": " + End.Error);
    return !End.Failed && !Stopping(Console);
}

// Runs the job of one video; false (after saying why) when the video gave nothing.
// The frames at the instants of --at into the video's folder; false (after saying why) when
// one of them could not be written or the video has no frame at or after its instant.
bool RunFrames(TDecoder& Decoder, const TThumbsOptions& Options, const std::string& SaveFolder,
               const TInput& Input, TConsole& Console) {
    const auto FolderOf = [&](const std::string& Name) { return SaveFolder + Name; };
    TClaimedName Claimed;
    if (!ClaimName(Input, SaveFolder, TOutputKind::Thumbnails, FolderOf, "its frames are", Console, Claimed))
        return false;
    const std::string& Name = Claimed.Name;
    std::unique_ptr<TOutputFolder> Folder;
    try {
        Folder = std::make_unique<TOutputFolder>(SaveFolder, Name, TOutputFolder::TOpen::Make);
    } catch (const std::exception& E) {
        Console.Error(Input.Path + ": " + E.what());
        return false;
    }
    const std::string& Path = Folder->Path();
    Console.Started(Input.Path, Path, "frames");
    bool AllWritten = true;
    int64_t Written = 0;
    TFrameWalker Walker(Decoder);
    for (const int64_t Instant : Options.At) {
        if (Stopping(Console))
            break;
        try {
            const TDecoderFrame* Frame = Walker.FrameAt(Instant);
            if (!Frame) {
                Console.Error(Input.Path + ": no frame at or after " + ClockTextTenths(Instant) +
                              " (the video ends before)");
                AllWritten = false;
                continue;
            }
            SaveFrame(*Frame, *Decoder.FileInfo(), Decoder.AspectRatio, *Folder,
                      FrameFileName(Name, Walker.Time()));
            Console.Frame(++Written, static_cast<int64_t>(Options.At.size()));
        } catch (const std::exception& E) {
            Console.Error(Input.Path + ": " + E.what());
            AllWritten = false;
        }
    }
    Console.Finished(Written);
    Console.Result(Path, Written, AllWritten ? nullptr : "failed");
    return AllWritten;
}

// SaveFolder: where the video's folder goes, ending in "/".
bool RunVideo(TDecoder& Decoder, const TThumbsOptions& Options, const std::string& SaveFolder,
              const TInput& Input, TConsole& Console) {
    const std::string Reason = UnreadableReason(Input.Path);
    if (!Reason.empty()) {
        Console.Error(Input.Path + ": " + Reason);
        return false;
    }
    try {
        Decoder.Open(Input.Path);
    } catch (const std::exception&) {
        const std::string Why = Decoder.LastOpenError();
        Console.Error(Input.Path + ": " + TDecoder::kNotAVideo + (Why.empty() ? "" : " (" + Why + ")"));
        return false;
    }
    if (const std::string Note = Decoder.Note(); !Note.empty())
        Console.Note(Note);
    if (Options.Kind == TJobKind::Preview)
        return RunPreview(Decoder, Options, Input, Console);
    if (Options.Kind == TJobKind::Sheet)
        return RunSheet(Decoder, Options, SaveFolder, Input, Console);
    if (Options.Kind == TJobKind::Frames)
        return RunFrames(Decoder, Options, SaveFolder, Input, Console);
    TConvertRec Rec;
    Rec.Path = Input.Path;
    Rec.Name = Input.Name;
    Rec.Folder = SaveFolder;
    Rec.Mode = Options.Mode;
    Rec.Pieces = Options.Pieces;
    Rec.StartPos = Options.RangeStart;
    Rec.StartExact = Options.RangeStartExact;
    Rec.EndExact = Options.RangeEnd == TThumbsOptions::kToTheEnd ? -1 : Options.RangeEndExact;
    Rec.EndPos =
        Options.RangeEnd == TThumbsOptions::kToTheEnd ? Decoder.FileInfo()->Duration : Options.RangeEnd;
    Rec.Format = Options.Format;
    Rec.Quality = Options.Quality;
    Rec.Digits = Options.Digits;
    Rec.SpreadPieces = true;
    Rec.PreferClear = Options.Smart;
    Rec.NamesByTime = Options.NamesByTime;
    try {
        SizeFor(Options, Decoder, Rec);
    } catch (const std::exception& E) {
        Console.Error(Input.Path + ": the thumbnail size: " + E.what());
        return false;
    }
    const auto FolderOf = [&](const std::string& Name) { return SaveFolder + Name; };
    TClaimedName Claimed;
    if (!ClaimName(Input, SaveFolder, TOutputKind::Thumbnails, FolderOf, "its thumbnails are", Console,
                   Claimed))
        return false;
    Rec.Name = Claimed.Name;
    const std::string Folder = ThumbnailFolder(Rec);

    if (Options.Clean) {
        try {
            const TOutputFolder Video(SaveFolder, Rec.Name, TOutputFolder::TOpen::Existing);
            Video.RemoveStaleParts();
            const std::vector<std::string> Earlier = ThumbnailsOf(Video, Rec.Name);
            for (const std::string& File : Earlier)
                if (const int Code = Video.Remove(File)) {
                    Console.Error("cannot remove " + Folder + "/" + File + ": " + std::strerror(Code));
                    return false;
                }
            if (!Earlier.empty())
                Console.Note(Input.Path + ": removed " + std::to_string(Earlier.size()) +
                             " earlier thumbnails from " + Folder);
        } catch (const std::exception& E) {
            Console.Error(Input.Path + ": " + E.what());
            return false;
        }
    }

    Console.Started(Input.Path, Folder);
    TConvertThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunJob(Job, Console);
    const int64_t Written = End.Last.Current + 1;
    // A video that did not finish still says what it left, and how it ended.
    if (End.Failed) {
        Console.Error(Input.Path + ": " + End.Error);
        if (Written > 0)
            Console.Result(Folder, Written, "failed");
        return false;
    }
    if (Stopping(Console)) {
        Console.Note(Input.Path + ": stopped after " + std::to_string(Written) + " thumbnails in " + Folder);
        Console.Result(Folder, Written, "stopped");
        return true;
    }
    const std::string Shortfall =
        ExplainShortfall(Rec, Options.RangeEnd == TThumbsOptions::kToTheEnd, Decoder.FileInfo()->Duration,
                         Decoder.FileInfo()->FPS, Written, End.Last.Repeats, Decoder.FileInfo()->FrameCount);
    if (Written == 0) {
        Console.Error(Input.Path + ": nothing written: " + Shortfall);
        return false;
    }
    Console.Finished(Written);
    if (!Shortfall.empty())
        Console.Note(Input.Path + ": " + Shortfall);
    int64_t Older = -Written;
    try {
        const TOutputFolder Video(SaveFolder, Rec.Name, TOutputFolder::TOpen::Existing);
        Older += static_cast<int64_t>(ThumbnailsOf(Video, Rec.Name).size());
    } catch (const std::exception&) {
        // The folder was replaced since the job wrote into it: nothing to count there.
    }
    if (Older > 0)
        Console.Note(Input.Path + ": " + std::to_string(Older) + " older thumbnails of " + Rec.Name +
                     " are still in " + Folder + " (--clean removes them first)");
    Console.Result(End.Output, Written);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    HoldClosedDescriptors();
    TThumbsOptions Options;
    try {
        Options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& E) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, E.what(), kProgram);
        return kExitUsage;
    }
    if (Options.Help || Options.Version) {
        // Text that did not reach its reader is a failure, as for the results.
        const int Code = WriteWhole(STDOUT_FILENO, Options.Help ? UsageText() : VersionText(kProgram));
        if (!Code)
            return kExitOk;
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", kProgram, std::strerror(Code));
        return kExitFailure;
    }
    InstallSignalHandlers();
    TConsole Console(Options.Verbosity, Options.NullResults);

    // A preview goes to the file it names; the save folder is not needed for it.
    const bool Preview = Options.Kind == TJobKind::Preview;
    const std::string SaveFolder =
        Options.OutFolder.empty() ? DefaultSaveFolder() : IncludeTrailingSlash(Options.OutFolder);
    if (SaveFolder.empty() && !Preview) {
        Console.Error("there is no default save folder (no home folder is set): give one with -o FOLDER");
        return kExitFailure;
    }
    if (!Options.OutFolder.empty()) {
        const std::string Reason = MakeFolders(Options.OutFolder);
        if (!Reason.empty()) {
            Console.Error("cannot create the folder " + Options.OutFolder + ": " + Reason);
            return kExitFailure;
        }
    }
    std::unique_ptr<TDecoder> Decoder;
    try {
        Decoder = std::make_unique<TDecoder>();
    } catch (const std::exception& E) {
        Console.Error(std::string("cannot load the decoding library: ") + E.what());
        return kExitFailure;
    }
    TLoopDispatcher Dispatcher;
    TThread::SetMainThreadDispatcher(&Dispatcher);

    bool AllDone = true;
    const std::vector<TInput> Inputs = ExpandInputs(Options.Videos, Options.Recursive);
    for (size_t I = 0; I < Inputs.size(); ++I) {
        const TInput& Input = Inputs[I];
        if (Stopping(Console))
            break;
        Console.SetBatch(I, Inputs.size());
        if (!Input.Error.empty()) {
            Console.Error(Input.Path + ": " + Input.Error);
            AllDone = false;
            continue;
        }
        AllDone = RunVideo(*Decoder, Options, SaveFolder, Input, Console) && AllDone;
    }
    TThread::SetMainThreadDispatcher(nullptr);
    if (StopSignal.load() != 0)
        return kExitSignal + StopSignal.load();
    if (!Console.WriteError().empty()) {
        // Said straight, past the console that gave up: the results did not reach their reader,
        // or the messages did not.
        const std::string Text = std::string(kProgram) + ": cannot write to " + Console.WriteError() + "\n";
        [[maybe_unused]] const ssize_t Said = write(STDERR_FILENO, Text.data(), Text.size());
        return kExitFailure;
    }
    if (Console.OutputClosed())
        return kExitSignal + SIGPIPE;
    return AllDone ? kExitOk : kExitFailure;
}
