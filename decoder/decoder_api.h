// The contract between Trovelle and its decoding library, libdecoder.so.
//
// The library keeps one open video and one decoding position; no entry point takes a
// handle. It returns pointers to records in its own memory, which the caller never
// frees or writes. This header is the only thing the program and the library share,
// so any library that exports these seven names with these records can be dropped in.
// Seven more entries, getLastError, getFrameTime, setFrameSize, seekTime, getDurationTime,
// getNote and getKnownCut, are optional: a library without them is still used.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Describes the open video. Both size pairs describe the one frame buffer that
// getNextFrame delivers.
struct TDecoderFileInfo {
    int32_t Reserved0[2];
    int32_t FrameWidth;
    int32_t FrameHeight;
    int32_t Width;
    int32_t Height;
    double FPS;         // frames per second, always positive and finite
    double AspectRatio; // display width / display height, always positive
    int32_t DurationHours;
    int32_t DurationMinutes;
    int32_t DurationSeconds;
    int32_t Reserved1;
    int32_t Duration; // whole seconds
    // Frames in the video where the library counts them without decoding (an index that
    // lists every frame); 0 when unknown.
    int32_t FrameCount;
};

// Describes the frame delivered last.
struct TDecoderFrameInfo {
    int64_t Timestamp; // whole seconds from the start of the video
};

// Pixels: Width x Height 32-bit words 0x00RRGGBB, top row first, stride 4 x Width.
// Valid until the next getNextFrame, seek or openFile.
struct TDecoderFrame {
    uint32_t* Pixels;
};

static_assert(offsetof(TDecoderFileInfo, FrameWidth) == 8);
static_assert(offsetof(TDecoderFileInfo, FrameHeight) == 12);
static_assert(offsetof(TDecoderFileInfo, Width) == 16);
static_assert(offsetof(TDecoderFileInfo, Height) == 20);
static_assert(offsetof(TDecoderFileInfo, FPS) == 24);
static_assert(offsetof(TDecoderFileInfo, AspectRatio) == 32);
static_assert(offsetof(TDecoderFileInfo, DurationHours) == 40);
static_assert(offsetof(TDecoderFileInfo, DurationMinutes) == 44);
static_assert(offsetof(TDecoderFileInfo, DurationSeconds) == 48);
static_assert(offsetof(TDecoderFileInfo, Duration) == 56);
static_assert(offsetof(TDecoderFileInfo, FrameCount) == 60);
static_assert(sizeof(TDecoderFileInfo) >= 60);
static_assert(offsetof(TDecoderFrameInfo, Timestamp) == 0 && sizeof(TDecoderFrameInfo) == 8);
static_assert(offsetof(TDecoderFrame, Pixels) == 0);

// 0 = opened; anything else = refused. The two integers are reserved and passed as 0.
// A refused file leaves the previously open video open and its records unchanged.
typedef int32_t (*TOpenFileProc)(const char* FileName, int32_t Reserved1, int32_t Reserved2);
typedef TDecoderFileInfo* (*TGetFileInfoProc)();
typedef TDecoderFrameInfo* (*TGetFrameInfoProc)();
// The frame delivered last again (null when there is none).
typedef TDecoderFrame* (*TGetFrameProc)();
// The next frame in presentation order, or null when none is left.
typedef TDecoderFrame* (*TGetNextFrameProc)();
// Exact: the next getNextFrame delivers the first frame whose time is >= Seconds.
typedef int32_t (*TSeekProc)(int32_t Seconds);
// Reserved; answers -1.
typedef int32_t (*TConvertProc)();
// Optional. Why the last openFile, seek or getNextFrame failed, as readable UTF-8 text
// naming the file and the reason; empty when it succeeded, and after a getNextFrame that
// answered null at the clean end of the video. A null from getNextFrame after a read or
// conversion failure keeps the text until the next seek or openFile. Valid until the
// next call of any entry point; never null.
typedef const char* (*TGetLastErrorProc)();

// Optional. The time of the frame delivered last in microseconds from the start of the
// video (the start that Timestamp counts from), rounded down; -1 when there is none.
// Timestamp holds the same time in whole seconds.
typedef int64_t (*TGetFrameTimeProc)();
// Optional. The size of the pictures getNextFrame delivers from the next seek on: Width x
// Height of the upright picture, reduced (or enlarged) from the video's own in its own planes
// before the conversion; 0 x 0 for the video's own size, which every openFile starts with.
// getFileInfo's two size pairs follow at that seek. Answers 0, or -1 for a size it refuses
// (a side below 0, or larger than 65535) and keeps the one it had.
typedef int32_t (*TSetFrameSizeProc)(int32_t Width, int32_t Height);
// Optional. As seek, to a time in microseconds from the start of the video (the start that
// getFrameTime counts from): the next getNextFrame delivers the first frame whose getFrameTime
// is >= Microseconds. The frames before it are read on from the current place where that costs
// less than a seek, and none of them is converted; those no other frame refers to need not be
// decoded either. Answers as seek does.
typedef int32_t (*TSeekTimeProc)(int64_t Microseconds);
// Optional. The length of the open video in microseconds, from the start that getFrameTime
// counts from to the end of the video (Duration holds it in whole seconds, rounded down);
// -1 when it is not known or no video is open.
typedef int64_t (*TGetDurationTimeProc)();
// Optional. What a person should know about the open video although it reads without a
// failure, as readable UTF-8 text naming the file: a container without an index that ends
// inside one of its packets, so that the file was probably cut short and its last picture
// may be missing. Empty when there is nothing to say or no video is open. Valid until the
// next call of any entry point; never null.
typedef const char* (*TGetNoteProc)();
// Optional. Why the open video is known, since openFile, to hold less than its container states
// (its index lists pictures past the file's end, or its header states more bytes than the file
// holds and its last pictures stop short of the length it states): the file was cut short. In
// the words of the failure that getNextFrame answers once it reaches the missing part, so that a
// caller that reads less far can still say that the video is not whole. Empty when the file
// holds all it states (or the library cannot tell before reading there), and when no video is
// open. Valid until the next call of any entry point; never null.
typedef const char* (*TGetKnownCutProc)();

int32_t openFile(const char* FileName, int32_t Reserved1, int32_t Reserved2);
TDecoderFileInfo* getFileInfo();
TDecoderFrameInfo* getFrameInfo();
TDecoderFrame* getFrame();
TDecoderFrame* getNextFrame();
int32_t seek(int32_t Seconds);
int32_t convert();
const char* getLastError();
int64_t getFrameTime();
int32_t setFrameSize(int32_t Width, int32_t Height);
int32_t seekTime(int64_t Microseconds);
int64_t getDurationTime();
const char* getNote();
const char* getKnownCut();
}
