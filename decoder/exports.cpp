// The entry points of libdecoder.so. The library keeps one open video, its two
// information records and the last delivered picture; see decoder_api.h for the contract.
#include "decoder_api.h"

#include "frame_converter.h"
#include "read_ahead.h"
#include "video_reader.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#define DECODER_EXPORT __attribute__((visibility("default")))

namespace {

struct TState {
    std::unique_ptr<TVideoReader> Reader;
    std::unique_ptr<TFrameConverter> Converter;
    TDecoderFileInfo FileInfo{};
    TDecoderFrameInfo FrameInfo{};
    TDecoderFrame Frame{};
    int64_t FrameMicroseconds = 0;
    int64_t DurationMicroseconds = -1; // of the open video; -1: not known
    std::string Note;                  // for getNote
    std::string KnownCut;              // for getKnownCut
    bool HasFrame = false;
    // The picture size asked for (0 x 0: the video's own), and the one delivered now.
    int32_t AskedWidth = 0, AskedHeight = 0;
    int32_t SetWidth = 0, SetHeight = 0;
    bool Opened = false; // a video was opened once: the records stay valid from then on
    // Why the open video cannot be read on, until the next seek or open; and the outcome
    // of the last openFile, seek or getNextFrame for getLastError.
    std::string Failure;
    std::string LastError;
    // Last, so that it is destroyed first: its thread uses the reader and the converter.
    TReadAhead ReadAhead;
};

TState& State() {
    static TState Instance;
    return Instance;
}

// FFmpeg speaks to stderr by default; the host program has no use for it.
void QuietLogging() {
    static const bool Done = [] {
        if (!std::getenv("TROVELLE_DECODER_LOG"))
            av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)Done;
}

void FillFileInfo(const TVideoReader& Reader, int Width, int Height, TDecoderFileInfo& Info) {
    Info = TDecoderFileInfo{};
    Info.FrameWidth = Info.Width = Width;
    Info.FrameHeight = Info.Height = Height;
    Info.FPS = Reader.FPS();
    // A quarter turn swaps the display's sides.
    Info.AspectRatio = Reader.Rotation() % 180 ? 1.0 / Reader.StoredAspectRatio() : Reader.StoredAspectRatio();
    // Whole seconds, truncated; the margin keeps 19.999999 from a time base's rounding at 20.
    const double Seconds = std::floor(Reader.DurationSeconds() + 1e-6);
    Info.Duration = Seconds >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(Seconds);
    Info.DurationHours = Info.Duration / 3600;
    Info.DurationMinutes = Info.Duration / 60 % 60;
    Info.DurationSeconds = Info.Duration % 60;
    Info.FrameCount = Reader.FrameCount() > INT32_MAX ? 0 : static_cast<int32_t>(Reader.FrameCount());
}

// The reader's duration in whole microseconds, rounded to the nearest; -1 when it has none.
int64_t DurationMicroseconds(const TVideoReader& Reader) {
    const double Micros = std::round(Reader.DurationSeconds() * 1e6);
    if (!std::isfinite(Micros) || Micros <= 0)
        return -1;
    // No longer than the whole seconds Duration can hold, which every time the caller derives
    // from it stays within.
    constexpr double kLongest = static_cast<double>(INT32_MAX) * 1e6;
    return Micros >= kLongest ? static_cast<int64_t>(kLongest) : static_cast<int64_t>(Micros);
}

// Delivers pictures of the size asked for from now on. All or nothing: when memory runs
// out, the size stays as it was.
void ApplyFrameSize(TState& S) {
    if (S.AskedWidth == S.SetWidth && S.AskedHeight == S.SetHeight)
        return;
    auto Converter = std::make_unique<TFrameConverter>();
    Converter->Setup(S.Reader->StoredWidth(), S.Reader->StoredHeight(), S.Reader->Rotation(), S.AskedWidth,
                     S.AskedHeight);
    S.ReadAhead.Reset(S.Reader.get(), Converter.get(), Converter->BufferWords());
    S.Converter = std::move(Converter);
    FillFileInfo(*S.Reader, S.Converter->OutputWidth(), S.Converter->OutputHeight(), S.FileInfo);
    S.SetWidth = S.AskedWidth;
    S.SetHeight = S.AskedHeight;
}

} // namespace

extern "C" {

DECODER_EXPORT int32_t openFile(const char* FileName, int32_t, int32_t) {
    QuietLogging();
    TState& S = State();
    if (!FileName || !*FileName) {
        S.LastError = "No file name was given";
        return -1;
    }
    try {
        // Everything for the new video is made beside the old one, which reads on meanwhile
        // (its read-ahead too): a refusal at any step, memory included, leaves it untouched.
        auto Reader = std::make_unique<TVideoReader>(FileName);
        auto Converter = std::make_unique<TFrameConverter>();
        Converter->Setup(Reader->StoredWidth(), Reader->StoredHeight(), Reader->Rotation());
        TDecoderFileInfo Info;
        FillFileInfo(*Reader, Converter->OutputWidth(), Converter->OutputHeight(), Info);
        // The last step that can fail; from here on nothing throws.
        S.ReadAhead.Reset(Reader.get(), Converter.get(), Converter->BufferWords());
        S.Reader = std::move(Reader);
        S.Converter = std::move(Converter);
        S.FileInfo = Info;
        S.DurationMicroseconds = DurationMicroseconds(*S.Reader);
        S.Note = S.Reader->Note();
        S.KnownCut = S.Reader->KnownCut();
        S.FrameInfo.Timestamp = 0;
        S.Frame.Pixels = nullptr;
        S.HasFrame = false;
        S.AskedWidth = S.AskedHeight = S.SetWidth = S.SetHeight = 0;
        S.Opened = true;
        S.Failure.clear();
        S.LastError.clear();
        return 0;
    } catch (const std::bad_alloc&) {
        S.LastError = std::string("Out of memory while opening ") + FileName;
        return -2;
    } catch (const std::exception& E) {
        S.LastError = E.what();
        return -1;
    } catch (...) {
        S.LastError = std::string("Cannot open ") + FileName;
        return -1;
    }
}

DECODER_EXPORT TDecoderFileInfo* getFileInfo() { return State().Opened ? &State().FileInfo : nullptr; }

DECODER_EXPORT TDecoderFrameInfo* getFrameInfo() { return State().Opened ? &State().FrameInfo : nullptr; }

DECODER_EXPORT TDecoderFrame* getFrame() { return State().HasFrame ? &State().Frame : nullptr; }

DECODER_EXPORT TDecoderFrame* getNextFrame() {
    TState& S = State();
    S.HasFrame = false;
    if (!S.Reader || !S.Failure.empty()) {
        S.LastError = S.Failure;
        return nullptr;
    }
    TReadAhead::TPicture Picture = S.ReadAhead.Next();
    if (!Picture.Pixels) {
        // A failure stays until the next seek or open; the end is the end.
        if (!Picture.Error.empty())
            S.Failure = std::move(Picture.Error);
        S.LastError = S.Failure;
        return nullptr;
    }
    S.LastError.clear();
    S.Frame.Pixels = Picture.Pixels;
    S.FrameInfo.Timestamp = Picture.Seconds;
    S.FrameMicroseconds = Picture.Microseconds;
    S.HasFrame = true;
    return &S.Frame;
}

DECODER_EXPORT int64_t getDurationTime() {
    return State().Opened ? State().DurationMicroseconds : -1;
}
}

namespace {

// seek and seekTime: Move places the reader; a failure is kept for getNextFrame.
template <typename TMove> int32_t SeekWith(TMove Move) {
    TState& S = State();
    S.HasFrame = false;
    if (!S.Reader) {
        S.LastError = S.Failure;
        return -1;
    }
    try {
        S.ReadAhead.Cancel();
        S.Failure.clear();
        ApplyFrameSize(S);
        Move(*S.Reader);
        S.LastError.clear();
        return 0;
    } catch (const std::exception& E) {
        S.Failure = E.what();
    } catch (...) {
        S.Failure = "Cannot read " + S.Reader->FileName();
    }
    // Nothing is delivered until the next seek, and getNextFrame says why. A file that
    // could not be opened again (removed, changed) is given up; after a read error the
    // next seek tries again.
    if (!S.Reader->Usable()) {
        S.ReadAhead.Reset(nullptr, nullptr, 0);
        S.Reader.reset();
    }
    S.LastError = S.Failure;
    return -1;
}

} // namespace

extern "C" {

DECODER_EXPORT int32_t seek(int32_t Seconds) {
    return SeekWith([Seconds](TVideoReader& Reader) { Reader.Seek(Seconds); });
}

DECODER_EXPORT int32_t seekTime(int64_t Microseconds) {
    return SeekWith([Microseconds](TVideoReader& Reader) { Reader.SeekTime(Microseconds); });
}

DECODER_EXPORT int32_t convert() { return -1; }

DECODER_EXPORT const char* getLastError() { return State().LastError.c_str(); }

DECODER_EXPORT const char* getNote() { return State().Note.c_str(); }

DECODER_EXPORT const char* getKnownCut() { return State().KnownCut.c_str(); }

DECODER_EXPORT int32_t setFrameSize(int32_t Width, int32_t Height) {
    constexpr int32_t kMaxSide = 65535;
    if (Width < 0 || Height < 0 || Width > kMaxSide || Height > kMaxSide)
        return -1;
    TState& S = State();
    // Either side 0: the video's own size.
    S.AskedWidth = Width && Height ? Width : 0;
    S.AskedHeight = Width && Height ? Height : 0;
    return 0;
}

DECODER_EXPORT int64_t getFrameTime() { return State().HasFrame ? State().FrameMicroseconds : -1; }
}
