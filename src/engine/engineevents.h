// The report flags that the two worker threads (play and convert) hand to the play
// manager with every synchronous report, and the callback type that carries them.
#pragma once

#include <cstdint>
#include <functional>

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

// The worker report callback: the flags, and the convert thread's progress block (none
// from the play thread).
using TEngineEventProc = std::function<void(TEngineEvents Events, void* Data)>;
