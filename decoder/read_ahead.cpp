#include "read_ahead.h"

#include "frame_converter.h"
#include "video_reader.h"

#include <new>
#include <stdexcept>

extern "C" {
#include <libavutil/frame.h>
}

TReadAhead::~TReadAhead() {
    {
        std::lock_guard Lock(FLock);
        FQuit = true;
    }
    FChanged.notify_all();
    if (FThread.joinable())
        FThread.join();
}

void TReadAhead::Reset(TVideoReader* Reader, TFrameConverter* Converter, size_t Pixels) {
    // What can fail comes first, while the picture in the making is still wanted.
    // Not zeroed: the converter writes every pixel before a picture is handed out.
    std::unique_ptr<uint32_t[]> Buffers[2] = {std::make_unique_for_overwrite<uint32_t[]>(Pixels),
                                              std::make_unique_for_overwrite<uint32_t[]>(Pixels)};
    if (!FThread.joinable())
        FThread = std::thread([this] { Run(); });
    Cancel();
    FReader = Reader;
    FConverter = Converter;
    for (int I = 0; I < 2; ++I)
        FBuffers[I].swap(Buffers[I]);
}

void TReadAhead::Cancel() {
    if (FInFlight >= 0)
        Wait();
    FHeld = -1;
    FSequential = false;
}

TReadAhead::TPicture TReadAhead::Next() {
    if (!FReader)
        return {};
    const int Slot = FInFlight >= 0 ? FInFlight : (FHeld == 0 ? 1 : 0);
    if (FInFlight < 0)
        Start(Slot);
    const TPicture Picture = Wait();
    if (!Picture.Pixels) {
        FHeld = -1;
        FSequential = false;
        return Picture;
    }
    FHeld = Slot;
    // The caller has let go of the other slot by asking again: fill it meanwhile.
    if (FSequential)
        Start(1 - Slot);
    FSequential = true;
    return Picture;
}

void TReadAhead::Start(int Slot) {
    FInFlight = Slot;
    {
        std::lock_guard Lock(FLock);
        FRequest = Slot;
        FReady = false;
    }
    FChanged.notify_all();
}

TReadAhead::TPicture TReadAhead::Wait() {
    std::unique_lock Lock(FLock);
    FChanged.wait(Lock, [this] { return FReady; });
    FInFlight = -1;
    FReady = false;
    return FResult;
}

void TReadAhead::Run() {
    std::unique_lock Lock(FLock);
    for (;;) {
        FChanged.wait(Lock, [this] { return FQuit || FRequest >= 0; });
        if (FQuit)
            return;
        const int Slot = FRequest;
        FRequest = -1;
        Lock.unlock();
        // The caller does not touch the reader or this slot until the result is ready.
        TPicture Picture;
        try {
            if (const AVFrame* Frame = FReader->NextFrame()) {
                try {
                    Picture.Pixels = FConverter->Convert(Frame, FBuffers[Slot].get());
                } catch (const std::exception& E) {
                    throw std::runtime_error("Cannot convert a picture of " + FReader->FileName() + ": " +
                                             E.what());
                }
                Picture.Seconds = FReader->SecondsOf(Frame);
                Picture.Microseconds = FReader->MicrosecondsOf(Frame);
            }
        } catch (const std::bad_alloc&) {
            Picture = TPicture{};
            Picture.Error = "Out of memory while reading " + FReader->FileName();
        } catch (const std::exception& E) {
            // A failure ends the video for the caller, who learns why.
            Picture = TPicture{};
            Picture.Error = E.what();
        }
        Lock.lock();
        FResult = Picture;
        FReady = true;
        FChanged.notify_all();
    }
}
