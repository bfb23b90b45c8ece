// One round of use of a decoding library, as the program would give it, on one file:
// open, read, seek forward, backward, before the start and past the end, read again.
// The fuzzer runs it on every input it makes; the decoder tests replay the inputs it
// once crashed on. Every delivered picture is read to its last word, so that a buffer
// smaller than the records say shows up under AddressSanitizer.
//
// The work is bounded: a few dozen pictures at most, whatever the file claims.
#pragma once

#include "decoder_api.h"

#include <cstdint>
#include <initializer_list>

struct TDecoderEntryPoints {
    TOpenFileProc OpenFile;
    TGetFileInfoProc GetFileInfo;
    TGetFrameInfoProc GetFrameInfo;
    TGetFrameProc GetFrame;
    TGetNextFrameProc GetNextFrame;
    TSeekProc Seek;
};

// A sum of every word of every delivered picture (so that the reads are not optimised
// away), or -1 when the library refused the file.
inline int64_t ExerciseDecoder(const TDecoderEntryPoints& Api, const char* FileName) {
    if (Api.OpenFile(FileName, 0, 0) != 0)
        return -1;
    const TDecoderFileInfo* Info = Api.GetFileInfo();
    if (!Info || Info->Width <= 0 || Info->Height <= 0 || !(Info->FPS > 0) || !(Info->AspectRatio > 0))
        __builtin_trap(); // an opened video always has a picture size, a rate and a shape
    const int64_t Words = int64_t(Info->Width) * Info->Height;
    int64_t Sum = 0;
    auto Read = [&](int Count) {
        for (int I = 0; I < Count; ++I) {
            const TDecoderFrame* Frame = Api.GetNextFrame();
            if (!Frame)
                return;
            if (Api.GetFrame() != Frame || !Frame->Pixels)
                __builtin_trap();
            for (int64_t W = 0; W < Words; ++W)
                Sum += Frame->Pixels[W];
            Sum += Api.GetFrameInfo()->Timestamp;
        }
    };
    Read(12);
    const int32_t Duration = Info->Duration; // INT32_MAX for a duration beyond 32-bit seconds
    const int32_t PastTheEnd = Duration > INT32_MAX - 5 ? INT32_MAX : Duration + 5;
    for (int32_t Target : {Duration / 2, 0, Duration, PastTheEnd, -3, 1, INT32_MAX}) {
        if (Api.Seek(Target) == 0)
            Read(3);
    }
    return Sum;
}
