// libFuzzer target for the whole generation job, built with AddressSanitizer and
// UndefinedBehaviorSanitizer. Each input is a video file in memory: it is opened through
// /proc/self/fd by TDecoder, which loads libdecoder.so by its bare name as the program does
// (the instrumented one beside this executable), and it goes through the jobs
// trovelle-thumbs runs, each on its worker thread with its reports served on this thread
// by the plain loop dispatcher: a 2 x 2 contact sheet (TSheetThread), then two thumbnails
// spread over the video (TConvertThread), on the same open video as the window would do.
// The files go into a scratch folder on a memory file system, emptied for every input.
//
// Besides what the sanitizers catch, every input is held to what a job promises its owner
// whatever the video: it ends with a report of its end or of a failure that says why, a
// finished sheet is on disk with all its tiles, the thumbnails on disk are exactly the ones
// reported, and a shortfall always has its explanation.
#include "engine/decoder.h"
#include "engine/rounding.h"
#include "engine/thread.h"
#include "jobs/outputs.h"
#include "jobs/sheetjob.h"
#include "jobs/shortfall.h"
#include "jobs/thumbnailjob.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <link.h>
#include <set>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What the jobs are asked for: trovelle-thumbs --sheet 2x2 --sheet-width 480, and
// trovelle-thumbs --pieces 2 --size 160 (spread over the video, the height from its shape).
constexpr int32_t kSheetSide = 2;
constexpr int32_t kSheetWidth = 480;
constexpr int32_t kPieces = 2;
constexpr int32_t kThumbnailWidth = 160;
// The video's name, as the tool takes it from the file name.
constexpr const char* kVideoName = "clip";

struct TFuzzState {
    int Fd = -1;
    std::string Input;      // /proc/self/fd/N of the memory file
    fs::path Scratch;       // made for this run, removed at its end
    std::string SaveFolder; // the save folder inside it, ending in "/"
    TDecoder* Decoder = nullptr;
    TLoopDispatcher Dispatcher;
};

TFuzzState* State = nullptr;

[[noreturn]] void Broken(const std::string& What) {
    std::fprintf(stderr, "job_fuzzer: %s\n", What.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

void Require(bool Holds, const std::string& What) {
    if (!Holds)
        Broken(What);
}

// A memory file system when there is one: the jobs sync their folder's file system
// after writing, which on a disk shared with builds would dominate every run.
fs::path ScratchParent() {
    if (const char* Chosen = std::getenv("TROVELLE_FUZZ_SCRATCH"); Chosen && *Chosen)
        return Chosen;
    std::error_code Error;
    if (fs::is_directory("/dev/shm", Error) && access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    return fs::temp_directory_path();
}

void RemoveScratch() {
    if (State) {
        std::error_code Error;
        fs::remove_all(State->Scratch, Error);
    }
}

void EmptyFolder(const std::string& Folder) {
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error))
        fs::remove_all(Entry.path(), Error);
}

// Whether File is there and starts like a JPEG file.
bool IsJpegFile(const std::string& File) {
    std::ifstream In(File, std::ios::binary);
    char Head[3] = {};
    return In.read(Head, sizeof Head) && static_cast<unsigned char>(Head[0]) == 0xFF &&
           static_cast<unsigned char>(Head[1]) == 0xD8 && static_cast<unsigned char>(Head[2]) == 0xFF;
}

// The decoding library that TDecoder loaded must be the instrumented one beside this
// executable: any other would run without coverage and without the sanitizers' checks.
void RequireOwnLibrary() {
    void* Handle = dlopen(TDecoder::kLibraryName, RTLD_NOW | RTLD_NOLOAD);
    link_map* Map = nullptr;
    if (!Handle || dlinfo(Handle, RTLD_DI_LINKMAP, &Map) != 0 || !Map)
        Broken(std::string("cannot find the loaded ") + TDecoder::kLibraryName);
    const fs::path Loaded = fs::canonical(Map->l_name);
    const fs::path Own = fs::canonical("/proc/self/exe").parent_path() / TDecoder::kLibraryName;
    if (Loaded != Own)
        Broken("loaded " + Loaded.string() + ", not the instrumented " + Own.string());
    dlclose(Handle);
}

// A finished job's last report is evConvDone; a failed one's carries the error and says why.
void CheckEnding(const TJobEnd& End, const char* Job) {
    const std::string Name = Job;
    Require(!End.Reports.empty(), Name + ": ended without a report");
    if (End.Failed) {
        Require(End.Reports.back() == (evConvError | evConvStopped),
                Name + ": a failure was not the last report");
        Require(!End.Error.empty(), Name + ": failed without saying why");
    } else {
        Require(End.Reports.back() == evConvDone, Name + ": ended neither done nor failed");
    }
}

void RunSheet(TDecoder& Decoder, const std::string& SaveFolder, const std::string& Input) {
    TSheetRec Rec;
    Rec.Columns = kSheetSide;
    Rec.Rows = kSheetSide;
    Rec.Width = kSheetWidth;
    Rec.Path = Input;
    Rec.Folder = SaveFolder;
    Rec.Name = ClaimOutputName(SaveFolder, kVideoName, Input, TOutputKind::Sheet).Name;
    TSheetThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunToEnd(Job);
    CheckEnding(End, "the sheet job");
    if (End.Failed)
        return;
    // Every tile is shown, or left out because its frame is on the sheet already.
    const int32_t Tiles = kSheetSide * kSheetSide;
    const int64_t Shown = End.Last.Current + 1;
    Require(End.Last.Total == Tiles && Shown >= 1 && Shown + End.Last.Repeats == Tiles,
            "the sheet job: done before its last tile");
    Require(Job.Tiles().size() == static_cast<size_t>(Shown), "the sheet job: done without all its tiles");
    Require(End.Output == SheetFileName(Rec), "the sheet job: done with another file name");
    Require(IsJpegFile(End.Output), "the sheet job: done, but " + End.Output + " is no JPEG file");
}

void RunThumbnails(TDecoder& Decoder, const std::string& SaveFolder, const std::string& Input) {
    TConvertRec Rec;
    Rec.Width = kThumbnailWidth;
    try {
        Rec.Height = HeightForWidth(Rec.Width, Decoder.AspectRatio);
    } catch (const std::exception&) {
        return; // the tool refuses the video with that reason, before any job
    }
    Rec.Pieces = kPieces;
    Rec.SpreadPieces = true;
    Rec.Folder = SaveFolder;
    Rec.Path = Input;
    Rec.Name = ClaimOutputName(SaveFolder, kVideoName, Input, TOutputKind::Thumbnails).Name;
    TConvertThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunToEnd(Job);
    CheckEnding(End, "the thumbnail job");

    const int64_t Written = End.Last.Current + 1;
    Require(Written >= 0 && Written <= kPieces,
            "the thumbnail job: reported " + std::to_string(Written) + " files");
    // Exactly the files reported are there, whole.
    std::set<std::string> Expected, Found;
    for (int64_t I = 0; I < Written; ++I)
        Expected.insert(ThumbnailFileName(Rec, I));
    std::error_code Error;
    const std::string Folder = SaveFolder + Rec.Name;
    for (const auto& Entry : fs::directory_iterator(Folder, Error)) {
        const std::string Name = Entry.path().filename().string();
        if (Name[0] == '.')
            continue; // the folder's mark of its video, and files being written
        Found.insert(Name);
        Require(IsJpegFile(Entry.path().string()), "the thumbnail job: " + Name + " is no JPEG file");
    }
    Require(Found == Expected, "the thumbnail job: the files in " + Folder + " are not the ones reported");
    if (!End.Failed) {
        Require(End.Output == ThumbnailFolder(Rec), "the thumbnail job: done with another folder");
        const TDecoderFileInfo& Info = *Decoder.FileInfo();
        const std::string Shortfall =
            ExplainShortfall(Rec, false, Info.Duration, Info.FPS, Written, End.Last.Repeats, Info.FrameCount);
        Require(Shortfall.empty() == (Written == kPieces), "the thumbnail job: " + std::to_string(Written) +
                                                               " files, and the shortfall says \"" +
                                                               Shortfall + "\"");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    State = new TFuzzState; // lives as long as the process, like the program's decoder
    State->Fd = memfd_create("fuzz-input", 0);
    if (State->Fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    State->Input = "/proc/self/fd/" + std::to_string(State->Fd);
    try {
        State->Decoder = new TDecoder();
    } catch (const std::exception& E) {
        std::fprintf(stderr, "job_fuzzer: cannot load the decoding library: %s\n", E.what());
        std::abort();
    }
    RequireOwnLibrary();
    std::string Template = (ScratchParent() / "trovelle-job-fuzz-XXXXXX").string();
    if (!mkdtemp(Template.data())) {
        std::perror(Template.c_str());
        std::abort();
    }
    State->Scratch = Template;
    State->SaveFolder = Template + "/";
    std::atexit(RemoveScratch);
    TThread::SetMainThreadDispatcher(&State->Dispatcher);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TFuzzState& S = *State;
    if (ftruncate(S.Fd, 0) != 0 || pwrite(S.Fd, Data, Size, 0) != static_cast<ssize_t>(Size))
        std::abort();
    EmptyFolder(S.SaveFolder);
    // As trovelle-thumbs takes a video: the file is looked at first, then opened.
    if (!UnreadableReason(S.Input).empty())
        return 0;
    try {
        S.Decoder->Open(S.Input);
    } catch (const std::exception&) {
        return 0;
    }
    RunSheet(*S.Decoder, S.SaveFolder, S.Input);
    RunThumbnails(*S.Decoder, S.SaveFolder, S.Input);
    return 0;
}
