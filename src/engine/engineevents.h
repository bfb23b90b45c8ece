// The report flags that the engine's workers (the play thread and the generation jobs) hand
// to their owner with every synchronous report, and what every report carries besides.
#pragma once

#include <cstdint>
#include <string>

enum TEngineEvent : uint16_t {
    evPlayFrame = 1 << 0,   // a frame was drawn into the panel's output surface
    evPlayError = 1 << 1,   // playback failed (sent with evPlayStopped)
    evPlayStopped = 1 << 2, // the playback loop ended
    evPlayRate = 1 << 3,    // a new playback rate was measured
    evPlayEnd = 1 << 4,     // no frame left (sent with evPlayStopped)
    evConvFrame = 1 << 5,   // a thumbnail was written
    evConvError = 1 << 6,   // the job failed (sent with evConvStopped)
    evConvStopped = 1 << 7, // the frame loop ended
    evConvRate = 1 << 8,    // a new generation rate was measured
    evConvEnd = 1 << 9,     // no frame left, or the count was reached (sent with evConvStopped)
    evConvDone = 1 << 10,   // the job finished; the last report of a job that did not fail
};

// A set of TEngineEvent flags.
using TEngineEvents = uint16_t;

// The part every worker's report has; each worker's report type adds its own (the play
// thread's TPlayReport, the jobs' TJobReport).
struct TEngineReport {
    TEngineEvents Events = 0;
    // Only in the report of the error flags: why the work failed.
    std::string Error;
};
