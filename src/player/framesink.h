// TFrameSink is what the play thread draws into: one frame at a time, from the worker
// thread, while the owner keeps the sink alive. The video panel is one; the play thread
// knows nothing else of it, and so nothing of widgets.
#pragma once

#include "decoder_api.h"

class TFrameSink {
public:
    // Worker thread: shows Frame (a picture of the open video's frame size) until the next.
    virtual void ShowFrame(const TDecoderFrame* Frame) = 0;

protected:
    ~TFrameSink() = default;
};
