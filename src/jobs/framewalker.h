// TFrameWalker takes a job's frames at given instants from the decoder: the first frame at or
// after each instant. Instants that lie ahead are reached by reading on, through a seek only
// where the decoding library finds one cheaper (a keyframe between here and there), so that
// a plan of instants in order decodes no frame twice; one that lies behind is sought. A library
// that seeks to instants (seekTime) is handed each instant, and converts only the frames taken.
//
// Used by the jobs on their worker thread, with the decoder they were given.
#pragma once

#include "engine/decoder.h"

#include <cstdint>

class TFrameWalker {
public:
    explicit TFrameWalker(TDecoder& Decoder) : FDecoder(Decoder) {}

    // The first frame whose time is at or after Microseconds (from the video's start), or null
    // when the video ends before one. Raises what the decoder raises.
    const TDecoderFrame* FrameAt(int64_t Microseconds);
    // The frame after the one given last, or null at the end.
    const TDecoderFrame* Next();
    // The video's last frame, or null when it has none; for an instant past the end.
    const TDecoderFrame* Last();
    // The time of the frame given last, in microseconds (-1 before any).
    int64_t Time() const { return FTime; }

private:
    TDecoder& FDecoder;
    const TDecoderFrame* FFrame = nullptr; // the frame given last, while it is valid
    int64_t FTime = -1;                    // its time
    // No frame lies from this time up to the one in hand: the frame in hand is the first at or
    // after any instant in between (INT64_MAX: not known).
    int64_t FEmptyFrom = INT64_MAX;
    // Where the times are whole seconds only (a library without getFrameTime), a frame's time
    // is counted at the video's rate from the last seek's second.
    int64_t FSeekSecond = 0;
    int64_t FCounted = 0;
};
