// TVideoReader holds one open video: the demuxer, the decoder of its best video stream,
// and the reading position. It delivers decoded pictures in presentation order and
// seeks exactly, so that the next picture is the first one at or after a given second.
//
// It is the FFmpeg side of libdecoder.so; the entry points in exports.cpp turn its
// pictures into the delivered 32-bit layout. FFmpeg types stay out of this header.
#pragma once

#include "vop_clock.h"

#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

class TVideoReader {
public:
    // Opens FileName and decodes its first picture; raises TAvError (or std::runtime_error)
    // when the file holds no decodable video.
    explicit TVideoReader(const std::string& FileName);
    ~TVideoReader();
    TVideoReader(const TVideoReader&) = delete;
    TVideoReader& operator=(const TVideoReader&) = delete;

    // The next picture, or null when none is left (then null until the next Seek).
    // Raises TAvError when the file cannot be read on (an I/O error, the file cut short
    // or replaced meanwhile); the video then counts as ended.
    const AVFrame* NextFrame();
    // The next NextFrame delivers the first picture whose time is >= Seconds; null when
    // there is none. Seconds <= 0 gives the first picture.
    // Raises like NextFrame, also when a raw stream has to be read anew and its file is
    // gone or changed.
    void Seek(int32_t Seconds);
    // The same to the first picture whose time in microseconds (MicrosecondsOf) is at least
    // Microseconds.
    void SeekTime(int64_t Microseconds);
    // A picture's time in whole seconds from the start of the video, rounded down.
    int64_t SecondsOf(const AVFrame* Frame) const;
    // The same in microseconds, rounded down.
    int64_t MicrosecondsOf(const AVFrame* Frame) const;

    int StoredWidth() const { return FStoredWidth; }
    int StoredHeight() const { return FStoredHeight; }
    // Clockwise turn (0, 90, 180, 270) that shows the picture upright.
    int Rotation() const { return FRotation; }
    double FPS() const { return FFPS; }
    // Display aspect ratio of the stored picture (width x sample aspect / height).
    double StoredAspectRatio() const { return FStoredAspect; }
    double DurationSeconds() const { return FDuration; }
    // Pictures in the video where the file's index lists them all, else 0.
    int64_t FrameCount() const { return FFrameCount; }
    const std::string& FileName() const { return FFileName; }
    // Why the file is known, since it was opened, to hold less than its container states (it
    // was cut short and pictures are missing), in the words of the failure that reading there
    // raises; empty when it holds all it states.
    const std::string& KnownCut() const { return FKnownCut; }
    // What a person should know about the file although it reads without a failure (a
    // transport stream that ends inside a packet), or empty.
    std::string Note() const;
    // False once the file could not be opened again: nothing can be read from it then.
    bool Usable() const { return FCodec != nullptr; }

private:
    void OpenInput();
    void CloseInput();
    void ReadProperties();
    // Decodes the next picture into FFrame; null at the end.
    AVFrame* Decode();
    int64_t TimestampOf(const AVFrame* Frame);
    // Roughly when Packet's first picture is shown by the container's placing, in seconds on the
    // clock of the pictures' own times (FVopClock); NaN when it carries no time.
    double AroundOf(const AVPacket& Packet) const;
    // The stream time of a picture whose own time is Ticks (FVopClock's).
    int64_t VopTime(int64_t Ticks) const;
    void ResetDecoding();
    // Positions the demuxer so that decoding starts at the first picture; reopens the file
    // when the container cannot seek back to its start.
    void RestartFromBeginning();
    // Whether the first picture at or after Target is reached more cheaply by decoding on from
    // the current position than by seeking.
    bool CloserByDecodingOn(int64_t Target) const;
    // The next NextFrame delivers the first picture whose stream time is at least Target (the
    // first picture where Target is the start); Seconds is Target in whole seconds, rounded down.
    void SeekTo(int64_t Target, int64_t Seconds);
    // Decodes on from Frame until the first picture at or after Target; it is delivered next.
    void DropUntil(int64_t Target, const AVFrame* Frame);
    // Whether Packet, read while dropping towards a target, need not be decoded when no other
    // picture refers to it.
    bool Skippable(const AVPacket& Packet) const;
    // Every packet of the video stream read once, without decoding: how many, and up to when.
    struct TPacketScan {
        int64_t Count = 0;
        double Seconds = 0; // 0 when the packets carry no times
    };
    TPacketScan ScanPackets() const;
    // The stream time at which Packet's picture ends; INT64_MIN when it carries no time.
    int64_t EndOf(const AVPacket& Packet) const;
    // The length from all the packets' times, or from their count where times are counted.
    double MeasureDurationByPackets(const TPacketScan& Scan) const;
    // The demuxer has nothing more to give (Rc < 0): raises TAvError unless that is the
    // clean end of an unchanged file.
    void CheckEndOfInput(int Rc);
    // Why the file holds less than its own index or header states (it was cut short), or empty.
    // PacketsEnd: where the video's packets end (stream time; INT64_MIN: nowhere), for a header
    // that states more bytes than the file holds.
    std::string CutShort(int64_t PacketsEnd) const;
    // Where the video's packets in the last few megabytes of the file end (stream time), read
    // beside the open input; INT64_MIN when that cannot be told.
    int64_t TailPacketsEnd() const;
    // Where the header states more bytes than the file holds: the end of the video it states, in
    // seconds of the stream's clock; else 0.
    double StatedEndOfCutFile() const;
    // The container's start on the stream's clock, in seconds: its length counts from there.
    double ContainerStart() const;
    // The end of the pictures: null, or a failure where the file was found cut short.
    AVFrame* End();
    // Why the file on disk can no longer be read as the one opened first, or empty: a
    // changed size or time of change; when Reopening by its name, also a file that is
    // gone or another one.
    std::string FileChange(bool Reopening) const;
    // Closes the file and opens it again by its name, unless it changed meanwhile.
    void Reopen();
    // Ends the video for good and raises TAvError with Message.
    [[noreturn]] void Fail(const std::string& Message);
    // The length up to the end of the last picture, decoding the last few megabytes.
    double MeasureDurationByDecodingTail() const;

    // Opens the file and its decoder only, for a look at its end.
    struct TInputOnly {};
    TVideoReader(const std::string& FileName, TInputOnly);

    std::string FFileName;
    // The opened file as the system knew it then, to tell when it changes under us.
    struct TFileIdentity {
        bool Known = false;
        uint64_t Device = 0, Inode = 0;
        int64_t Size = 0, ChangeSeconds = 0, ChangeNanoseconds = 0;
    } FIdentity;
    AVFormatContext* FFormat = nullptr;
    AVCodecContext* FCodec = nullptr;
    AVStream* FStream = nullptr;
    int FStreamIndex = -1;
    AVPacket* FPacket = nullptr;
    AVFrame* FFrame = nullptr;

    bool FInputEnded = false;  // the demuxer is exhausted and the decoder was told so
    bool FEnded = false;       // no picture is left
    bool FHasPending = false;  // FFrame holds a picture that NextFrame delivers next
    int64_t FStartTime = 0;    // stream time of the video's start, in stream time base units
    int64_t FFirstTime = 0;    // stream time of the first picture
    int64_t FLastTime = INT64_MIN;
    int64_t FBeforeLastTime = INT64_MIN; // of the picture decoded before the last one
    int64_t FSkippedLast = INT64_MIN;    // the latest time of a picture left undecoded
    int64_t FFrameStep = 1;    // one frame's length in stream time base units
    bool FCountFrames = false; // times come from counting frames (raw streams)
    int64_t FDecoded = 0;      // pictures decoded since reading (re)started
    // While decoding on towards a seek's target: pictures shown before it that no other picture
    // refers to are not decoded at all (INT64_MIN: every picture is).
    int64_t FSkipBefore = INT64_MIN;
    // The packets' times are presentation times, as a packet whose time is not its decoding
    // time has shown: only then can they tell which pictures lie before a target.
    bool FPresentationTimes = false;
    int FRateNum = 25, FRateDen = 1;
    // The pictures take the times their own headers carry (MPEG-4 video in AVI, which stores only
    // the decoding order): FVopClock reads them from the packets.
    bool FVopTimes = false;
    TVopClock FVopClock;
    int64_t FVopOrigin = INT64_MIN;       // the first picture's own time, in FVopClock's ticks
    bool FVopOriginMissing = false;       // the first picture carried no time of its own
    int64_t FFirstPacketTime = INT64_MIN; // the decoding time of the first video packet

    int FStoredWidth = 0;
    int FStoredHeight = 0;
    int FRotation = 0;
    double FFPS = 25;
    double FStoredAspect = 1;
    double FDuration = 0;
    int64_t FFrameCount = 0;
    // The bytes the container's header states for the file (a Matroska segment's size, the
    // sizes of an AVI's RIFF chunks); 0 when it states none.
    int64_t FStatedBytes = 0;
    // The end of the latest video packet read, in stream time base units.
    int64_t FPacketsEnd = INT64_MIN;
    // Why the file is cut short, found at the end of its data: raised once the decoder has given
    // the pictures it still held.
    std::string FCutShort;
    std::string FKnownCut;
};
