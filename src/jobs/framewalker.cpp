#include "framewalker.h"

#include <algorithm>

namespace {
constexpr int64_t kSecond = 1000000;
}

const TDecoderFrame* TFrameWalker::FrameAt(int64_t Microseconds) {
    // The frame in hand is the one asked for when no frame lies between the instant and it.
    if (FFrame && FTime >= Microseconds && FEmptyFrom <= Microseconds)
        return FFrame;
    if (FDecoder.SeeksToInstants() && FDecoder.ExactFrameTimes()) {
        // The library decodes on or seeks, whichever is cheaper, and converts only this frame.
        FDecoder.SeekTime(Microseconds);
        FFrame = nullptr;
        const TDecoderFrame* Frame = Next();
        if (Frame && FTime >= Microseconds) {
            FEmptyFrom = Microseconds;
            return Frame;
        }
        while (Frame && FTime < Microseconds)
            Frame = Next();
        return Frame;
    }
    const int64_t Second = Microseconds / kSecond;
    // Behind the frame in hand, or nothing in hand: a seek. Ahead of it by a second or more:
    // the library decodes on or seeks, whichever is cheaper. Within its second: reading on.
    if (!FFrame || FTime >= Microseconds || Second * kSecond > FTime) {
        FDecoder.Seek(static_cast<int32_t>(Second));
        FFrame = nullptr;
        FSeekSecond = Second;
        FCounted = 0;
    }
    const TDecoderFrame* Frame = Next();
    while (Frame && FTime < Microseconds)
        Frame = Next();
    return Frame;
}

const TDecoderFrame* TFrameWalker::Last() {
    // From the last second the duration names, further back each time: a duration may
    // promise more than the frames hold.
    const int64_t Duration = FDecoder.FileInfo()->Duration;
    for (int64_t Back = 0;; Back = Back ? Back * 2 : 1) {
        const int64_t Second = std::max<int64_t>(0, Duration - Back);
        if (FrameAt(Second * kSecond)) {
            int64_t LastTime = FTime;
            while (Next())
                LastTime = FTime;
            return FrameAt(LastTime);
        }
        if (Second == 0)
            return nullptr;
    }
}

const TDecoderFrame* TFrameWalker::Next() {
    const TDecoderFrame* Frame = FDecoder.NextFrame();
    if (!Frame) {
        FFrame = nullptr;
        return nullptr;
    }
    FEmptyFrom = FFrame ? FTime + 1 : INT64_MAX;
    FFrame = Frame;
    if (FDecoder.ExactFrameTimes()) {
        FTime = FDecoder.FrameMicroseconds();
    } else {
        const long double Seconds =
            FSeekSecond + FCounted++ / static_cast<long double>(FDecoder.FileInfo()->FPS);
        FTime = static_cast<int64_t>(Seconds * kSecond + 0.5L);
    }
    return Frame;
}
