// TReadAhead decodes and converts the next picture on a thread of its own while the
// caller works on the current one (scales and writes it, or draws it), so that reading
// a video front to back keeps both cores busy.
//
// It starts reading ahead only once pictures are asked for one after another; a seek or
// an open cancels it cleanly: Cancel waits for the picture in the making and drops it,
// after which the caller may use the reader itself. One caller thread at a time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TVideoReader;
class TFrameConverter;

class TReadAhead {
public:
    struct TPicture {
        uint32_t* Pixels = nullptr; // null at the end of the video, or on a failure
        int64_t Seconds = 0;
        int64_t Microseconds = 0; // the same time, exact to the microsecond
        std::string Error;        // why there is no picture; empty at a clean end
    };

    TReadAhead() = default;
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // Reads from Reader through Converter from now on, into buffers of Pixels words. All or
    // nothing: when it throws (out of memory), reading goes on as before.
    void Reset(TVideoReader* Reader, TFrameConverter* Converter, size_t Pixels);
    // Waits for the picture in the making, if any, and drops it.
    void Cancel();
    // The next picture; its pixels stay valid until the next Next, Cancel or Reset.
    TPicture Next();

private:
    void Start(int Slot);
    TPicture Wait();
    void Run();

    TVideoReader* FReader = nullptr;
    TFrameConverter* FConverter = nullptr;
    std::unique_ptr<uint32_t[]> FBuffers[2];

    // Caller side.
    int FHeld = -1;           // the slot the caller's picture is in
    int FInFlight = -1;       // the slot being filled, or -1
    bool FSequential = false; // the last call was a Next: read ahead after this one

    // Shared with the worker, under FLock.
    std::mutex FLock;
    std::condition_variable FChanged;
    int FRequest = -1;
    bool FReady = false;
    bool FQuit = false;
    TPicture FResult;
    std::thread FThread;
};
