// TPlayManager is the one object through which the user interface drives the video
// engine. It owns the decoder, the play thread of the current (or last) stretch of
// playback and the job of the current (or last) thumbnails or contact sheet; it shows still
// frames in the video panel after opening, stopping and seeking; it keeps the open
// video's properties where the controller reads them; and it turns the reports of its two
// workers into notifications.
//
// Everything here runs on the main thread. Workers reach the manager only through
// EngineEvent, by a synchronous hand-off: the worker waits until EngineEvent and every
// notification it raises have returned, so the worker's rate, the progress block and the
// decoder's frame information are read without a lock. The decoder is never used by two
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

// A notification of the play manager: FromConvert is false for the playback
// notifications (Data none) and true for the generation ones (Data the job's
// TConvertProgress).
using TPlayManagerEvent = std::function<void(bool FromConvert, void* Data)>;

class TPlayManager {
public:
    // Loads the decoding library; its OS error propagates and no manager exists.
    explicit TPlayManager(const std::string& LibraryName = TDecoder::kLibraryName);
    // Frees the convert thread, the play thread and the decoder, in this order; each thread
    // is stopped and waited for. The panel is not touched.
    ~TPlayManager();
    TPlayManager(const TPlayManager&) = delete;
    TPlayManager& operator=(const TPlayManager&) = delete;

    // Opens FileName, shows its first frame letterboxed on black and rewinds, so that Play
    // starts with that frame. A file the library refuses raises EMPEG2Error and changes
    // nothing. Playback must be paused and no job running.
    void OpenFile(const std::string& FileName);
    // Plays on from wherever the decoder stands; nothing while Playing or before a video.
    void Play();
    // Stops the play thread; the position and the picture stay. Nothing before a video.
    void Pause();
    // Pauses, shows the first frame and refreshes the properties (the file's frame rate).
    void Stop();
    // Shows the first frame at Seconds or later; playback that was running goes on from
    // the frame after it.
    void Seek(int32_t Seconds);
    // Starts a thumbnail job on the open video; playback must be paused.
    void StartConvert(const TConvertRec& Rec);
    // Starts a contact sheet of the open video instead; the same rules, the same
    // notifications (progress counts tiles) and the same StopConvert.
    void StartSheet(const TSheetRec& Rec);
    // Stops the running job and returns once it has ended; none of its notifications
    // arrives afterwards. Returns the job's last progress: Current + 1 files were written,
    // including the one that was being written when the stop came.
    TConvertProgress StopConvert();
    // The workers' report: turns their flags into the notifications (main thread).
    void EngineEvent(TEngineEvents Events, void* Data);

    // The decoder, for the panel's owner and for checks; the rules above apply to its use.
    TDecoder& Decoder() { return *FDecoder; }

    TVideoScreen* Panel = nullptr; // the video panel, not owned; assigned before any other operation

    // The open video.
    int32_t Width = 0;
    int32_t Height = 0;
    double AspectRatio = 1.0; // display width / height
    int32_t DurationHours = 0;
    int32_t DurationMinutes = 0;
    int32_t DurationSeconds = 0;
    int32_t Duration = 0; // whole seconds
    int64_t Position = 0; // whole seconds of the current frame
    // The file's frame rate after opening, stopping and seeking; the measured playback
    // rate while playing.
    double FPS = 0;

    bool Opened = false;     // a video has been opened
    bool Playing = false;    // a play thread runs and has not been paused or reached the end
    bool Converting = false; // a job runs and has not finished, failed or been stopped

    // The reason of the last failed job or failed playback, for OnConvertError and
    // OnPlayError.
    std::string LastError;

    // Playback: a rate was measured or the end was reached (Position and FPS fresh); the
    // end of the video (Playing still true during it, false after); playback failed, or
    // the frame to show after an open, stop or seek could not be read (Playing already
    // false, LastError says why).
    TPlayManagerEvent OnPosition;
    TPlayManagerEvent OnPlayEnd;
    TPlayManagerEvent OnPlayError;
    // Generation: a thumbnail was written, a rate measured, or the loop ended; the job
    // finished (Converting still true during it; false and the decoder rewound after); the
    // job failed (the same, LastError says why).
    TPlayManagerEvent OnConvertProgress;
    TPlayManagerEvent OnConvertDone;
    TPlayManagerEvent OnConvertError;

private:
    void RefreshInfo();
    void ShowFrame(const TDecoderFrame* Frame);
    // The decoder's next frame on the main thread. A video that cannot be read on gives
    // null and OnPlayError with the reason (false is returned), so that the failure
    // never unwinds through the user interface's signals.
    bool TakeFrame(const TDecoderFrame*& Frame);
    void Bind(TEngineThread& Thread);
    void StartJob(std::unique_ptr<TGenerationJob> Job);
    // Stops and frees Thread, or only tells it to stop and retires it while its own report
    // is being handled. The one path of every operation (each pauses or frees a worker
    // first): it frees the retired threads whose reports have returned, so a new operation
    // cannot forget them.
    void FreeThread(std::unique_ptr<TEngineThread> Thread);
    void FreeRetired();
    bool IsReporting(const TEngineThread* Thread) const;
    static void Raise(const TPlayManagerEvent& Event, bool FromConvert, void* Data);

    std::unique_ptr<TDecoder> FDecoder;
    std::unique_ptr<TPlayThread> FPlayThread;
    std::unique_ptr<TGenerationJob> FConvertThread; // a thumbnail job or a sheet
    // Workers stopped from inside their own report: told to terminate, freed once that
    // report has returned.
    std::vector<std::unique_ptr<TEngineThread>> FRetired;
    // The workers whose reports are being handled right now (innermost last).
    std::vector<const TEngineThread*> FReporting;
};
