// TPlayThread plays the open video on a worker thread: it takes frames from the decoder
// one after another, draws each into the video panel's output surface, reports every
// frame synchronously to its owner (the play manager) on the main thread, and sleeps so
// that frames follow each other at the file's frame rate. It also measures the rate at
// which it actually shows frames. It knows nothing of positions or the user interface.
//
// One thread object plays one uninterrupted stretch, from wherever the decoder stands to
// a stop or to the end of the video. The owner creates it suspended, sets the panel, binds
// the report callback, resumes it, and frees it to stop it. The stop request is looked at only
// before each frame, so a frame in progress is finished (decoded, drawn, reported, paced)
// first; after a stop nothing more is reported.
//
// Reports (TPlayReport): [evPlayFrame] for every frame drawn, with evPlayRate added when a
// rate window of at least one second has just closed (the report's Rate is then fresh);
// [evPlayStopped, evPlayEnd] when the decoder has no frame left; [evPlayError,
// evPlayStopped] with the reason when an exception ended the loop, also one raised by the
// receiver of a report.
#pragma once

#include "engine/decoder.h"
#include "engine/enginethread.h"
#include "engine/ratemeter.h"
#include "framesink.h"

#include <cstdint>
#include <string>

// What the play thread reports.
struct TPlayReport : TEngineReport {
    // The measured rate of shown frames per second (0 until the first window closed).
    double Rate = 0;
};

class TPlayThread : public TReportingThread<TPlayReport> {
public:
    // Suspended, for the play manager's decoder (not owned), drawing into Panel (the video
    // panel; not owned).
    TPlayThread(TDecoder* Decoder, TFrameSink* Panel);
    ~TPlayThread() override;

    // Ticks per second of the counter that times frames.
    const int64_t FFrequency = TRateMeter::kFrequency;

protected:
    void Work() override;
    TPlayReport MakeReport(TEngineEvents Events) const override;

private:
    TDecoder* FDecoder;
    TFrameSink* FPanel;
    double FRate = 0;        // the last measured rate
    int64_t FFrameStart = 0; // counter value at the start of the current frame
};
