// TPlayManager is the one object through which the user interface drives the video
// engine. It owns the decoder, the play thread of the current (or last) stretch of
// playback and the job of the current (or last) thumbnails or contact sheet; it shows still
// frames in the video panel after opening, stopping and seeking; it keeps the open
// video's properties where the controller reads them; and it turns the reports of its two
// workers into notifications.
//
// Everything here runs on the main thread. Workers reach the manager only through
// PlayEvent and JobEvent, by a synchronous hand-off: the worker waits until the event and
// every notification it raises have returned, so the worker's report and the decoder's
// frame information are read without a lock. The decoder is never used by two
// threads at once: every operation that touches it first stops the play thread, and the
// controller refuses video commands while Converting.
//
// A notification handler may call the manager's operations (stop at the end of the
// video, start the next job, ...). A worker cannot be waited for while its own report is
// being handled, so such a worker is only told to stop and is freed as soon as its report
// has returned; both workers touch nothing shared between a report and their next look at
// the stop request.
#pragma once

#include "engine/decoder.h"
#include "framesink.h"
#include "jobs/sheetjob.h"
#include "jobs/thumbnailjob.h"
#include "playthread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TFrameWalker;

// The play manager's notifications: playback ones with nothing, or the position of the frame
// shown; job ones with the job's report.
using TPlaybackNotification = std::function<void()>;
using TPositionNotification = std::function<void(int64_t Position)>;
using TJobNotification = std::function<void(const TJobReport& Report)>;

class TPlayManager {
public:
    // Shows the video in Panel (not owned; it outlives the manager). Loads the decoding
    // library; its OS error propagates and no manager exists.
    explicit TPlayManager(TVideoScreen& Panel, const std::string& LibraryName = TDecoder::kLibraryName);
    // Frees the convert thread, the play thread and the decoder, in this order; each thread
    // is stopped and waited for. The panel is not touched.
    ~TPlayManager();
    TPlayManager(const TPlayManager&) = delete;
    TPlayManager& operator=(const TPlayManager&) = delete;

    // Opens FileName, shows its first frame letterboxed on black and rewinds, so that Play
    // starts with that frame. A file the library refuses raises EMPEG2Error and changes
    // nothing. Playback must be paused and no job running.
    void OpenFile(const std::string& FileName);
    // The decoder is used by one thread at a time: while a job runs, the commands that read
    // it (Play, Stop, Seek, the steps, the Show...Frame ones, TakeShownFrame) refuse, answering false
    // (and nothing before a video), whoever gives them.
    // Plays on from wherever the decoder stands; nothing while Playing.
    bool Play();
    // Stops the play thread; the position and the picture stay. Nothing before a video.
    void Pause();
    // Pauses, shows the first frame and refreshes the properties (the file's frame rate).
    bool Stop();
    // Shows the first frame at Seconds or later; playback that was running goes on from
    // the frame after it.
    bool Seek(int32_t Seconds);
    // Pauses and shows the frame after the one on screen (nothing past the last frame), or
    // the one before it (the first frame stays), exactly, also across a keyframe.
    bool StepForward();
    bool StepBack();
    // Pauses and shows the first frame at or after Microseconds, exactly; false (the
    // picture kept) when there is none.
    bool ShowFrameAt(int64_t Microseconds);
    // Pauses and shows the video's last frame, exactly (found by reading on from the last
    // second the duration names); false (the picture kept) when no frame can be read.
    bool ShowLastFrame();
    // Pauses and shows the first frame at or after Microseconds, or the last frame when the
    // video ends before Microseconds; false (the picture kept) when no frame can be read.
    bool ShowFrameOrLast(int64_t Microseconds);
    // The frame on screen is the video's last one, as far as a walk to the end has shown.
    bool AtLastFrame() const { return FLastFrameTime >= 0 && FShownTime == FLastFrameTime; }
    // The time of the frame on screen, in microseconds from the start (exact where the
    // library tells frame times).
    int64_t FrameTime() const { return FShownTime; }
    // Pauses and hands the frame on screen, at the video's frame size, to Take; false when
    // it can no longer be read. Playback does not resume by itself.
    bool TakeShownFrame(const std::function<void(const TDecoderFrame&, const TDecoderFileInfo&)>& Take);
    // Starts a thumbnail job on the open video; playback must be paused.
    void StartConvert(const TConvertRec& Rec);
    // Starts a contact sheet of the open video instead; the same rules, the same
    // notifications (progress counts tiles) and the same StopConvert.
    void StartSheet(const TSheetRec& Rec);
    // Stops the running job and returns once it has ended; none of its notifications
    // arrives afterwards. Returns the job's last progress: Current + 1 files were written,
    // including the one that was being written when the stop came.
    TConvertProgress StopConvert();
    // The workers' reports: turn their flags into the notifications (main thread).
    void PlayEvent(const TPlayReport& Report);
    void JobEvent(const TJobReport& Report);

    // The decoder, for the panel's owner and for checks; the rules above apply to its use.
    TDecoder& Decoder() { return *FDecoder; }

    // The open video.
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    double AspectRatio() const { return FAspectRatio; } // display width / height
    int32_t DurationHours() const { return FDurationHours; }
    int32_t DurationMinutes() const { return FDurationMinutes; }
    int32_t DurationSeconds() const { return FDurationSeconds; }
    int32_t Duration() const { return FDuration; } // whole seconds
    int64_t Position() const { return FPosition; } // whole seconds of the current frame
    // The file's frame rate after opening, stopping and seeking; the measured playback
    // rate while playing.
    double FPS() const { return FFPS; }

    // A video has been opened.
    bool Opened() const { return FOpened; }
    // A play thread runs and has not been paused or reached the end.
    bool Playing() const { return FPlaying; }
    // A job runs and has not finished, failed or been stopped.
    bool Converting() const { return FConverting; }

    // The reason of the last failed job or failed playback, for OnConvertError and
    // OnPlayError.
    const std::string& LastError() const { return FLastError; }

    // Playback: a rate was measured or the end was reached (Position and FPS fresh); the
    // end of the video (Playing still true during it, false after); playback failed, or
    // the frame to show after an open, stop or seek could not be read (Playing already
    // false, LastError says why).
    TPositionNotification OnPosition;
    TPlaybackNotification OnPlayEnd;
    TPlaybackNotification OnPlayError;
    // Generation: a thumbnail was written, a rate measured, or the loop ended; the job
    // finished (Converting still true during it; false and the decoder rewound after); the
    // job failed (the same, the report's Error and LastError say why).
    TJobNotification OnConvertProgress;
    TJobNotification OnConvertDone;
    TJobNotification OnConvertError;

private:
    // A video is open and no job runs: the decoder is this thread's to read.
    bool MayRead() const { return FOpened && !FConverting; }
    void RefreshInfo();
    // Which frame a walker over the decoder goes to (null: none).
    using TFind = std::function<const TDecoderFrame*(TFrameWalker&)>;
    // Pauses and reads the frame Find goes to, exactly (its time into Time); null when there
    // is none or it cannot be read (LastError says why, and with ReportFailure OnPlayError too).
    const TDecoderFrame* ReachFrame(const TFind& Find, bool ReportFailure, int64_t& Time);
    // Pauses and shows the frame Find goes to; false (the picture kept) when there is none or
    // it cannot be read.
    bool ShowFound(const TFind& Find);
    // The walker's Last, whose time is kept as the last frame's.
    const TDecoderFrame* ReachLast(TFrameWalker& Walker);
    void ShowFrame(const TDecoderFrame* Frame);
    // The decoder's next frame on the main thread. A video that cannot be read on gives
    // null and OnPlayError with the reason (false is returned), so that the failure
    // never unwinds through the user interface's signals.
    bool TakeFrame(const TDecoderFrame*& Frame);
    // Binds Thread's reports to Event of this manager.
    template <class TReport>
    void Bind(TReportingThread<TReport>& Thread, void (TPlayManager::*Event)(const TReport&));
    void StartJob(std::unique_ptr<TGenerationJob> Job);
    // Stops and frees Thread, or only tells it to stop and retires it while its own report
    // is being handled. The one path of every operation (each pauses or frees a worker
    // first): it frees the retired threads whose reports have returned, so a new operation
    // cannot forget them.
    void FreeThread(std::unique_ptr<TEngineThread> Thread);
    void FreeRetired();
    bool IsReporting(const TEngineThread* Thread) const;
    // Runs Handler with Args; a handler may assign the notification anew while it runs.
    template <class TNotification, class... TArgs>
    static void Raise(const TNotification& Handler, const TArgs&... Args) {
        const TNotification Copy = Handler;
        if (Copy)
            Copy(Args...);
    }

    TVideoScreen& FPanel;
    std::unique_ptr<TDecoder> FDecoder;
    std::unique_ptr<TPlayThread> FPlayThread;
    std::unique_ptr<TGenerationJob> FConvertThread; // a thumbnail job or a sheet
    // Workers stopped from inside their own report: told to terminate, freed once that
    // report has returned.
    std::vector<std::unique_ptr<TEngineThread>> FRetired;
    // The workers whose reports are being handled right now (innermost last).
    std::vector<const TEngineThread*> FReporting;

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    double FAspectRatio = 1.0;
    int32_t FDurationHours = 0;
    int32_t FDurationMinutes = 0;
    int32_t FDurationSeconds = 0;
    int32_t FDuration = 0;
    int64_t FPosition = 0;
    double FFPS = 0;
    bool FOpened = false;
    // The time of the frame on screen, and whether the decoder stands right after it (its
    // next frame is the one after it), as after a seek or a pause, not after an open or a
    // stop, which rewind.
    int64_t FShownTime = 0;
    bool FStandsAfterShown = false;
    // The time of the open video's last frame once a walk has reached it (-1 before).
    int64_t FLastFrameTime = -1;
    bool FPlaying = false;
    bool FConverting = false;
    std::string FLastError;
};
