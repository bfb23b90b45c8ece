#include "playManager.h"

#include "jobs/framewalker.h"

#include <algorithm>
#include <cmath>

namespace {

// What the panel and the play thread divide by and copy. Our library never reports
// anything else, but a library dropped in its place might, and the open has then
// already replaced the previous video.
bool UsableVideo(const TDecoder& Decoder) {
    const TDecoderFileInfo& Info = *Decoder.FileInfo();
    return std::isfinite(Decoder.FPS) && Decoder.FPS > 0 && std::isfinite(Decoder.AspectRatio) &&
           Decoder.AspectRatio > 0 && Info.Width > 0 && Info.Height > 0 && Info.Width == Decoder.FrameWidth &&
           Info.Height == Decoder.FrameHeight;
}

} // namespace

TPlayManager::TPlayManager(TVideoScreen& Panel, const std::string& LibraryName)
    : FPanel(Panel), FDecoder(std::make_unique<TDecoder>(LibraryName)) {}

TPlayManager::~TPlayManager() {
    FreeThread(std::move(FConvertThread));
    FreeThread(std::move(FPlayThread));
    FRetired.clear();
    FDecoder.reset();
}

void TPlayManager::OpenFile(const std::string& FileName) {
    // The caller pauses first; a play thread left running would share the decoder.
    Pause();
    FDecoder->Open(FileName);
    if (!UsableVideo(*FDecoder)) {
        // The decoder now holds a video that cannot be shown: no command may reach it.
        FOpened = false;
        throw EMPEG2Error("Unable to open video file: " + FileName);
    }
    // The position is the one the library reports before any frame is decoded.
    RefreshInfo();
    FPanel.SetAspectRatio(FAspectRatio);
    FPanel.Clear(0);
    FOpened = true;
    FLastFrameTime = -1;
    const TDecoderFrame* Frame = nullptr;
    TakeFrame(Frame);
    ShowFrame(Frame);
    // So that Play starts with the frame on screen.
    FDecoder->Rewind();
    FStandsAfterShown = false;
}

bool TPlayManager::Play() {
    if (!MayRead())
        return false;
    if (FPlaying)
        return true;
    // The previous thread has ended, or is ending after its end report: freeing waits.
    FreeThread(std::move(FPlayThread));
    FPlayThread = std::make_unique<TPlayThread>(FDecoder.get(), &FPanel);
    Bind(*FPlayThread, &TPlayManager::PlayEvent);
    FPlayThread->Resume();
    FPlaying = true;
    return true;
}

void TPlayManager::Pause() {
    if (!FOpened)
        return;
    // A play thread stopped before it reported its last frame has read one frame past the
    // frame on screen: the next step finds its way from the frame on screen.
    if (FPlayThread)
        FStandsAfterShown = false;
    FreeThread(std::move(FPlayThread));
    FPlaying = false;
}

bool TPlayManager::Stop() {
    if (!MayRead())
        return false;
    Pause();
    FDecoder->Rewind();
    const TDecoderFrame* Frame = nullptr;
    TakeFrame(Frame);
    RefreshInfo();
    ShowFrame(Frame);
    return true;
}

const TDecoderFrame* TPlayManager::ReachFrame(const TFind& Find, bool ReportFailure, int64_t& Time) {
    if (!MayRead())
        return nullptr;
    Pause();
    TFrameWalker Walker(*FDecoder);
    const TDecoderFrame* Frame = nullptr;
    try {
        Frame = Find(Walker);
    } catch (const std::exception& E) {
        FLastError = E.what();
        if (ReportFailure)
            Raise(OnPlayError);
        return nullptr;
    }
    Time = Walker.Time();
    if (Frame)
        FStandsAfterShown = true;
    return Frame;
}

bool TPlayManager::ShowFound(const TFind& Find) {
    int64_t Time = 0;
    const TDecoderFrame* Frame = ReachFrame(Find, true, Time);
    if (!Frame)
        return false;
    RefreshInfo();
    ShowFrame(Frame);
    FShownTime = Time;
    return true;
}

bool TPlayManager::ShowFrameAt(int64_t Microseconds) {
    return ShowFound([Microseconds](TFrameWalker& Walker) { return Walker.FrameAt(Microseconds); });
}

bool TPlayManager::ShowLastFrame() {
    return ShowFound([this](TFrameWalker& Walker) { return ReachLast(Walker); });
}

bool TPlayManager::ShowFrameOrLast(int64_t Microseconds) {
    return ShowFound([this, Microseconds](TFrameWalker& Walker) {
        const TDecoderFrame* Frame = Walker.FrameAt(Microseconds);
        return Frame ? Frame : ReachLast(Walker);
    });
}

const TDecoderFrame* TPlayManager::ReachLast(TFrameWalker& Walker) {
    const TDecoderFrame* Frame = Walker.Last();
    if (Frame)
        FLastFrameTime = Walker.Time();
    return Frame;
}

bool TPlayManager::StepForward() {
    if (!MayRead())
        return false;
    Pause();
    // After an open or a stop the decoder stands before the frame on screen.
    if (!FStandsAfterShown && !ShowFrameAt(FShownTime))
        return true;
    const TDecoderFrame* Frame = nullptr;
    if (!TakeFrame(Frame) || !Frame) {
        // Past the last frame: it stays on screen, and the decoder after it.
        FLastFrameTime = FShownTime;
        ShowFrameAt(FShownTime);
        return true;
    }
    RefreshInfo();
    ShowFrame(Frame);
    return true;
}

bool TPlayManager::StepBack() {
    if (!MayRead())
        return false;
    Pause();
    constexpr int64_t kSecond = 1000000;
    const int64_t Shown = FShownTime;
    // The frame before: the last one before Shown, read on from a whole second before it,
    // or from a second earlier where that second begins with the frame on screen.
    for (int64_t From = Shown / kSecond * kSecond;; From = std::max<int64_t>(0, From - kSecond)) {
        TFrameWalker Walker(*FDecoder);
        int64_t Before = -1;
        try {
            for (const TDecoderFrame* Frame = Walker.FrameAt(From); Frame && Walker.Time() < Shown;
                 Frame = Walker.Next())
                Before = Walker.Time();
        } catch (const std::exception& E) {
            FLastError = E.what();
            Raise(OnPlayError);
            return true;
        }
        if (Before >= 0 || From == 0) {
            ShowFrameAt(Before >= 0 ? Before : Shown);
            return true;
        }
    }
}

bool TPlayManager::TakeShownFrame(
    const std::function<void(const TDecoderFrame&, const TDecoderFileInfo&)>& Take) {
    int64_t Time = 0;
    const TDecoderFrame* Frame =
        ReachFrame([this](TFrameWalker& Walker) { return Walker.FrameAt(FShownTime); }, false, Time);
    if (!Frame)
        return false;
    Take(*Frame, *FDecoder->FileInfo());
    return true;
}

bool TPlayManager::Seek(int32_t Seconds) {
    if (!MayRead())
        return false;
    const bool WasPlaying = FPlaying;
    Pause();
    FDecoder->Seek(Seconds);
    const TDecoderFrame* Frame = nullptr;
    const bool Read = TakeFrame(Frame);
    RefreshInfo();
    ShowFrame(Frame);
    if (WasPlaying && Read)
        Play();
    return true;
}

bool TPlayManager::TakeFrame(const TDecoderFrame*& Frame) {
    try {
        Frame = FDecoder->NextFrame();
        return true;
    } catch (const EDecodeError& E) {
        Frame = nullptr;
        FLastError = E.what();
        Raise(OnPlayError);
        return false;
    }
}

void TPlayManager::StartConvert(const TConvertRec& Rec) {
    // The job sizes its buffers from the open video.
    if (!FOpened)
        return;
    auto Job = std::make_unique<TConvertThread>(FDecoder.get());
    Job->SetRec(Rec);
    StartJob(std::move(Job));
}

void TPlayManager::StartSheet(const TSheetRec& Rec) {
    if (!FOpened)
        return;
    auto Job = std::make_unique<TSheetThread>(FDecoder.get());
    Job->SetRec(Rec);
    StartJob(std::move(Job));
}

void TPlayManager::StartJob(std::unique_ptr<TGenerationJob> Job) {
    Pause();
    FreeThread(std::move(FConvertThread));
    FConvertThread = std::move(Job);
    Bind(*FConvertThread, &TPlayManager::JobEvent);
    FConvertThread->Resume();
    FConverting = true;
}

TConvertProgress TPlayManager::StopConvert() {
    if (!FConverting)
        return {};
    std::unique_ptr<TGenerationJob> Job = std::move(FConvertThread);
    if (Job && !IsReporting(Job.get())) {
        // Ended here, unheard, so that its progress counts the file it finished after the
        // stop; a job stopped from inside its own report is writing nothing meanwhile.
        Job->ClearOnEvent();
        Job->Stop();
    }
    const TConvertProgress Last = Job ? Job->Progress() : TConvertProgress{};
    FreeThread(std::move(Job));
    FConverting = false;
    return Last;
}

void TPlayManager::PlayEvent(const TPlayReport& Report) {
    // A handler may stop or replace the reporting worker; what the rest of the report
    // would do then no longer applies.
    const TPlayThread* Player = FPlayThread.get();
    const auto PlayerKept = [&] { return FPlayThread.get() == Player; };
    const TEngineEvents Events = Report.Events;

    // The play thread has drawn a new frame into the output surface.
    if (Events & evPlayFrame) {
        FPanel.Present();
        FShownTime = FDecoder->FrameMicroseconds();
        FStandsAfterShown = true;
    }
    if ((Events & (evPlayRate | evPlayEnd)) && FPlayThread) {
        FPosition = FDecoder->FFrameInfo->Timestamp;
        FFPS = Report.Rate;
        Raise(OnPosition, FPosition);
    }
    if ((Events & evPlayEnd) && PlayerKept()) {
        Raise(OnPlayEnd);
        if (PlayerKept())
            FPlaying = false;
    }
    // Without this the picture would freeze with Playing still set and Play refused.
    if ((Events & evPlayError) && PlayerKept()) {
        FLastError = Report.Error;
        FPlaying = false;
        Raise(OnPlayError);
    }
}

void TPlayManager::JobEvent(const TJobReport& Report) {
    // As for playback: a handler may stop or replace the reporting job.
    const TGenerationJob* Converter = FConvertThread.get();
    const auto ConverterKept = [&] { return FConvertThread.get() == Converter; };
    const TEngineEvents Events = Report.Events;

    if (Events & evConvFrame)
        Raise(OnConvertProgress, Report);
    // A report with both a written thumbnail and a rate gives two progress notifications.
    if ((Events & (evConvRate | evConvEnd)) && FConvertThread && ConverterKept())
        Raise(OnConvertProgress, Report);
    if ((Events & evConvDone) && ConverterKept()) {
        // The worker still waits here, also while the handler shows a modal dialog.
        Raise(OnConvertDone, Report);
        if (ConverterKept()) {
            FConverting = false;
            FDecoder->Rewind();
        }
    }
    // A failed job would otherwise leave Converting set, and every video command refused.
    if ((Events & evConvError) && ConverterKept()) {
        FLastError = Report.Error;
        Raise(OnConvertError, Report);
        if (ConverterKept()) {
            FConverting = false;
            FDecoder->Rewind();
        }
    }
}

void TPlayManager::RefreshInfo() {
    const TDecoderFileInfo& Info = *FDecoder->FileInfo();
    FWidth = Info.Width;
    FHeight = Info.Height;
    FDurationHours = Info.DurationHours;
    FDurationMinutes = Info.DurationMinutes;
    FDurationSeconds = Info.DurationSeconds;
    FDuration = Info.Duration;
    // The decoder's copies: FPS becomes the file's nominal rate again.
    FAspectRatio = FDecoder->AspectRatio;
    FFPS = FDecoder->FPS;
    FPosition = FDecoder->FFrameInfo->Timestamp;
}

// Without a frame the panel keeps what it shows.
void TPlayManager::ShowFrame(const TDecoderFrame* Frame) {
    if (!Frame)
        return;
    FShownTime = FDecoder->FrameMicroseconds();
    FStandsAfterShown = true;
    FPanel.SetFrameSize(FWidth, FHeight);
    FPanel.ShowFrame(Frame);
    FPanel.Present();
}

template <class TReport>
void TPlayManager::Bind(TReportingThread<TReport>& Thread, void (TPlayManager::*Event)(const TReport&)) {
    Thread.SetOnEvent(
        [this, Event, Reporter = static_cast<const TEngineThread*>(&Thread)](const TReport& Report) {
            FReporting.push_back(Reporter);
            struct TPop {
                std::vector<const TEngineThread*>& Stack;
                ~TPop() { Stack.pop_back(); }
            } Pop{FReporting};
            (this->*Event)(Report);
        });
}

void TPlayManager::FreeThread(std::unique_ptr<TEngineThread> Thread) {
    // Every operation passes through here (one that touches the decoder pauses first), so
    // threads retired during a report are freed as soon as they can be.
    FreeRetired();
    if (!Thread)
        return;
    if (IsReporting(Thread.get())) {
        // Waiting for it here would wait for ourselves.
        Thread->ClearOnEvent();
        Thread->Terminate();
        FRetired.push_back(std::move(Thread));
    }
    // Otherwise the thread's destructor clears its callback, stops it and waits for it.
}

void TPlayManager::FreeRetired() {
    // Taken out first: waiting serves hand-offs, whose handlers may retire more threads.
    std::vector<std::unique_ptr<TEngineThread>> Ended;
    for (auto It = FRetired.begin(); It != FRetired.end();) {
        if (IsReporting(It->get())) {
            ++It;
        } else {
            Ended.push_back(std::move(*It));
            It = FRetired.erase(It);
        }
    }
}

bool TPlayManager::IsReporting(const TEngineThread* Thread) const {
    return std::find(FReporting.begin(), FReporting.end(), Thread) != FReporting.end();
}
