// TFrameSink is what the play thread draws into: one frame at a time, from the worker
// thread, while the owner keeps the sink alive. TVideoScreen adds what the play manager
// does on the main thread around it. The video panel is both; playback knows nothing else
// of it, and so nothing of widgets.
#pragma once

#include "decoder_api.h"

#include <cstdint>

class TFrameSink {
public:
    // Worker thread: shows Frame (a picture of the open video's frame size) until the next.
    virtual void ShowFrame(const TDecoderFrame* Frame) = 0;

protected:
    ~TFrameSink() = default;
};

class TVideoScreen : public TFrameSink {
public:
    // The display width / height the frames are letterboxed by.
    virtual void SetAspectRatio(double AspectRatio) = 0;
    // Fills the whole screen with Color (an output pixel value).
    virtual void Clear(uint32_t Color) = 0;
    // Makes what was drawn visible.
    virtual void Present() = 0;
    // Frames to come are Width x Height.
    virtual void SetFrameSize(int Width, int Height) = 0;

protected:
    ~TVideoScreen() = default;
};
