// TDecoder: the program's one binding to the decoding library libdecoder.so.
//
// It loads the library at run time by its bare name (the executable's RUNPATH makes its
// own folder the first place searched), resolves the seven entry points (and the optional
// getLastError, which tells a failed read from the end of the video, getFrameTime, a
// frame's exact time, setFrameSize, frames delivered at a smaller size, seekTime, exact
// seeks to any instant that convert no frame on the way, and getDurationTime, the exact
// length), opens a
// video, hands out decoded frames one at a time, seeks by whole seconds, and keeps pointers
// to the two information records the library maintains. It assumes nothing of the library
// beyond decoder_api.h, so any library meeting that contract can be dropped in.
//
// The decoder has no lock: exactly one thread uses it at a time (the main thread, the
// play thread during playback, or the convert thread during a job).
#pragma once

#include "decoder_api.h"
#include "exceptions.h"

#include <QtGlobal>

#include <string>

// The decoding library refused a video.
class EMPEG2Error : public Exception {
public:
    using Exception::Exception;
};

// The open video could not be read or converted on; the message names the file and the
// reason as the library gave them.
class EDecodeError : public Exception {
public:
    using Exception::Exception;
};

// The system's reason why Path cannot be read as a file ("No such file or directory",
// "Is a directory", "Permission denied", "the file is empty"), or "" when it can.
std::string UnreadableReason(const std::string& Path);

class TDecoder {
public:
    static constexpr const char* kLibraryName = "libdecoder.so";
    // Why a file was refused when neither the system nor the library says more. The window
    // shows this and UnreadableReason's own reasons translated, as the jobs' wordings
    // (jobs/wording.h: their context).
    static constexpr const char* kNotAVideo =
        QT_TRANSLATE_NOOP("TWording", "not a video the decoding library can read");

    // Loads LibraryName and resolves the entry points; raises EOSError when the library or
    // one of the entry points is missing (the library is unloaded again).
    explicit TDecoder(const std::string& LibraryName = kLibraryName);
    ~TDecoder();
    TDecoder(const TDecoder&) = delete;
    TDecoder& operator=(const TDecoder&) = delete;

    // Opens FileName (UTF-8); raises EMPEG2Error when the library refuses it, leaving
    // every field as it was.
    void Open(const std::string& FileName);
    // The file of the open video, as Open was given it ("" before the first).
    const std::string& FileName() const { return FFileName; }
    // Why the library refused the last Open, when it says ("" when it does not).
    std::string LastOpenError() const;
    // Why Path could not be opened, for a user: the system's reason when the file cannot be
    // read, else the library's, else kNotAVideo.
    std::string WhyNotOpened(const std::string& Path) const;
    // The next frame, or null at the end of the video. Refreshes FFrameInfo. Raises
    // EDecodeError when the library answers null because reading or converting failed
    // (known only from a library that exports getLastError; with any other, null).
    TDecoderFrame* NextFrame();
    // The time of the frame NextFrame delivered last, in microseconds from the start of the
    // video: exact from a library that exports getFrameTime, else its whole second.
    int64_t FrameMicroseconds() const;
    // The open video's length in microseconds: exact from a library that exports
    // getDurationTime and knows it, else the whole seconds of FileInfo()'s Duration.
    int64_t DurationMicroseconds() const;
    // What a person should know about the open video although it reads (a file probably cut
    // short that no index tells of), from a library that exports getNote; else "".
    std::string Note() const;
    // Why the open video is known to hold less than its container states (it was cut short),
    // from a library that exports getKnownCut; else "" (and such a video fails only where it is
    // read past its data).
    std::string KnownCut() const;
    // Whether FrameMicroseconds is exact (the library exports getFrameTime).
    bool ExactFrameTimes() const { return FGetFrameTime != nullptr; }
    // Asks for frames of Width x Height from the next Seek on (0 x 0: the video's own size);
    // FileInfo()'s sizes follow at that seek. False when the library cannot (it has no
    // setFrameSize, or refuses the size): its frames stay as they are.
    bool SetFrameSize(int32_t Width, int32_t Height);
    // The next NextFrame delivers the frame at Seconds.
    void Seek(int32_t Seconds);
    // Whether the library seeks to instants in microseconds (it exports seekTime).
    bool SeeksToInstants() const { return FSeekTime != nullptr; }
    // The next NextFrame delivers the first frame at or after Microseconds; only with
    // SeeksToInstants.
    void SeekTime(int64_t Microseconds);
    void Rewind() { Seek(0); }

    // The library's record of the open video (null before the first open): its size, the
    // size its frames are delivered at, duration, rate and frame count.
    const TDecoderFileInfo* FileInfo() const { return FFileInfo; }

    TDecoderFrameInfo* FFrameInfo = nullptr;
    int32_t FrameWidth = 0;
    int32_t FrameHeight = 0;
    double AspectRatio = 0;
    double FPS = 0;

private:
    TDecoderFileInfo* FFileInfo = nullptr;
    std::string FFileName;
    void* FLibrary = nullptr;
    TOpenFileProc FOpenFile = nullptr;
    TGetFrameInfoProc FGetFrameInfo = nullptr;
    TGetFileInfoProc FGetFileInfo = nullptr;
    TGetFrameProc FGetFrame = nullptr;
    TGetNextFrameProc FGetNextFrame = nullptr;
    TSeekProc FSeek = nullptr;
    TGetLastErrorProc FGetLastError = nullptr;       // optional
    TGetFrameTimeProc FGetFrameTime = nullptr;       // optional
    TSetFrameSizeProc FSetFrameSize = nullptr;       // optional
    TSeekTimeProc FSeekTime = nullptr;               // optional
    TGetDurationTimeProc FGetDurationTime = nullptr; // optional
    TGetNoteProc FGetNote = nullptr;                 // optional
    TGetKnownCutProc FGetKnownCut = nullptr;         // optional
};
