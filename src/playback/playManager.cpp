#include "playManager.h"

#include <algorithm>
#include <cmath>

namespace {

// What the panel and the play thread divide by and copy. Our library never reports
// anything else, but a library dropped in its place might, and the open has then
// already replaced the previous video.
bool UsableVideo(const TDecoder& Decoder) {
    const TDecoderFileInfo& Info = *Decoder.FFileInfo;
    return std::isfinite(Decoder.FPS) && Decoder.FPS > 0 && std::isfinite(Decoder.AspectRatio) &&
           Decoder.AspectRatio > 0 && Info.Width > 0 && Info.Height > 0 && Info.Width == Decoder.FrameWidth &&
           Info.Height == Decoder.FrameHeight;
}

} // namespace

TPlayManager::TPlayManager(const std::string& LibraryName)
    : FDecoder(std::make_unique<TDecoder>(LibraryName)) {}

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
        Opened = false;
        throw EMPEG2Error("Unable to open video file: " + FileName);
    }
    // The position is the one the library reports before any frame is decoded.
    RefreshInfo();
    Panel->SetAspectRatio(AspectRatio);
    Panel->Clear(0);
    Opened = true;
    const TDecoderFrame* Frame = nullptr;
    TakeFrame(Frame);
    ShowFrame(Frame);
    // So that Play starts with the frame on screen.
    FDecoder->Rewind();
}

void TPlayManager::Play() {
    if (Playing || !Opened)
        return;
    // The previous thread has ended, or is ending after its end report: freeing waits.
    FreeThread(std::move(FPlayThread));
    FPlayThread = std::make_unique<TPlayThread>(FDecoder.get());
    FPlayThread->Panel = Panel;
    Bind(*FPlayThread);
    FPlayThread->Resume();
    Playing = true;
}

void TPlayManager::Pause() {
    if (!Opened)
        return;
    FreeThread(std::move(FPlayThread));
    Playing = false;
}

void TPlayManager::Stop() {
    if (!Opened)
        return;
    Pause();
    FDecoder->Rewind();
    const TDecoderFrame* Frame = nullptr;
    TakeFrame(Frame);
    RefreshInfo();
    ShowFrame(Frame);
}

void TPlayManager::Seek(int32_t Seconds) {
    if (!Opened)
        return;
    const bool WasPlaying = Playing;
    Pause();
    FDecoder->Seek(Seconds);
    const TDecoderFrame* Frame = nullptr;
    const bool Read = TakeFrame(Frame);
    RefreshInfo();
    ShowFrame(Frame);
    if (WasPlaying && Read)
        Play();
}

bool TPlayManager::TakeFrame(const TDecoderFrame*& Frame) {
    try {
        Frame = FDecoder->NextFrame();
        return true;
    } catch (const EDecodeError& E) {
        Frame = nullptr;
        LastError = E.what();
        Raise(OnPlayError, false, nullptr);
        return false;
    }
}

void TPlayManager::StartConvert(const TConvertRec& Rec) {
    // The job sizes its buffers from the open video.
    if (!Opened)
        return;
    auto Job = std::make_unique<TConvertThread>(FDecoder.get());
    Job->FRec = Rec;
    StartJob(std::move(Job));
}

void TPlayManager::StartSheet(const TSheetRec& Rec) {
    if (!Opened)
        return;
    auto Job = std::make_unique<TSheetThread>(FDecoder.get());
    Job->FRec = Rec;
    StartJob(std::move(Job));
}

void TPlayManager::StartJob(std::unique_ptr<TGenerationJob> Job) {
    Pause();
    FreeThread(std::move(FConvertThread));
    FConvertThread = std::move(Job);
    Bind(*FConvertThread);
    FConvertThread->Resume();
    Converting = true;
}

TConvertProgress TPlayManager::StopConvert() {
    if (!Converting)
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
    Converting = false;
    return Last;
}

void TPlayManager::EngineEvent(TEngineEvents Events, void* Data) {
    // A handler may stop or replace the reporting worker; what the rest of the report
    // would do then no longer applies.
    const TPlayThread* Player = FPlayThread.get();
    const TGenerationJob* Converter = FConvertThread.get();
    const auto PlayerKept = [&] { return FPlayThread.get() == Player; };
    const auto ConverterKept = [&] { return FConvertThread.get() == Converter; };

    // The play thread has drawn a new frame into the output surface.
    if (Events & evPlayFrame)
        Panel->Present();
    if ((Events & (evPlayRate | evPlayEnd)) && FPlayThread) {
        Position = FDecoder->FFrameInfo->Timestamp;
        FPS = FPlayThread->FRate;
        Raise(OnPosition, false, nullptr);
    }
    if ((Events & evPlayEnd) && PlayerKept()) {
        Raise(OnPlayEnd, false, nullptr);
        if (PlayerKept())
            Playing = false;
    }
    // Without this the picture would freeze with Playing still set and Play refused.
    if ((Events & evPlayError) && PlayerKept()) {
        LastError = Player ? Player->ErrorMessage : std::string();
        Playing = false;
        Raise(OnPlayError, false, nullptr);
    }

    if (Events & evConvFrame)
        Raise(OnConvertProgress, true, Data);
    // A report with both a written thumbnail and a rate gives two progress notifications.
    if ((Events & (evConvRate | evConvEnd)) && FConvertThread && ConverterKept())
        Raise(OnConvertProgress, true, Data);
    if ((Events & evConvDone) && ConverterKept()) {
        // The worker still waits here, also while the handler shows a modal dialog.
        Raise(OnConvertDone, true, Data);
        if (ConverterKept()) {
            Converting = false;
            FDecoder->Rewind();
        }
    }
    // A failed job would otherwise leave Converting set, and every video command refused.
    if ((Events & evConvError) && ConverterKept()) {
        LastError = Converter ? Converter->ErrorMessage : std::string();
        Raise(OnConvertError, true, Data);
        if (ConverterKept()) {
            Converting = false;
            FDecoder->Rewind();
        }
    }
}

void TPlayManager::RefreshInfo() {
    const TDecoderFileInfo& Info = *FDecoder->FFileInfo;
    Width = Info.Width;
    Height = Info.Height;
    DurationHours = Info.DurationHours;
    DurationMinutes = Info.DurationMinutes;
    DurationSeconds = Info.DurationSeconds;
    Duration = Info.Duration;
    // The decoder's copies: FPS becomes the file's nominal rate again.
    AspectRatio = FDecoder->AspectRatio;
    FPS = FDecoder->FPS;
    Position = FDecoder->FFrameInfo->Timestamp;
}

// Without a frame the panel keeps what it shows.
void TPlayManager::ShowFrame(const TDecoderFrame* Frame) {
    if (!Frame)
        return;
    Panel->SetFrameSize(Width, Height);
    Panel->ShowFrame(Frame);
    Panel->Present();
}

void TPlayManager::Bind(TEngineThread& Thread) {
    Thread.SetOnEvent([this, Reporter = &Thread](TEngineEvents Events, void* Data) {
        FReporting.push_back(Reporter);
        struct TPop {
            std::vector<const TEngineThread*>& Stack;
            ~TPop() { Stack.pop_back(); }
        } Pop{FReporting};
        EngineEvent(Events, Data);
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

void TPlayManager::Raise(const TPlayManagerEvent& Event, bool FromConvert, void* Data) {
    // A copy: the handler may assign the notification anew while it runs.
    const TPlayManagerEvent Handler = Event;
    if (Handler)
        Handler(FromConvert, Data);
}
