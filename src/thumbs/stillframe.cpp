#include "stillframe.h"

#include "FastSize.h"
#include "exceptions.h"

#include <limits>
#include <new>

int64_t TakeStill(TDecoder& Decoder, const TTileFrame& Target, const std::string& Path,
                  const std::function<void(const TDecoderFrame&)>& Take) {
    const double FPS = Decoder.FFileInfo->FPS;
    int32_t Second = Target.SeekSecond;
    int64_t Wanted = Target.ReadOn;
    const TDecoderFrame* Frame = nullptr;
    for (;;) {
        Decoder.Seek(Second);
        int64_t Read = 0;
        for (; Read <= Wanted; ++Read) {
            const TDecoderFrame* Next = Decoder.NextFrame();
            if (!Next)
                break;
            Frame = Next;
        }
        if (Read == Wanted + 1)
            break;
        // The video ended before the frame its rate and duration promise. The last frame
        // there is stands in; a frame is only valid until the next read, so it is read again.
        if (Read > 0) {
            Wanted = Read - 1;
        } else if (Second > 0) {
            --Second;
            Wanted = std::numeric_limits<int64_t>::max() - 1;
        } else {
            throw Exception("No frame can be read from " + Path);
        }
    }
    const int64_t Index = FirstFrameAt(Second, FPS) + Wanted;
    Take(*Frame);

    const int32_t Width = Decoder.FFileInfo->FrameWidth;
    const int32_t Height = Decoder.FFileInfo->FrameHeight;
    if (!IsBlankFrame(Frame->Pixels, Width, Height))
        return Index;
    for (int64_t Ahead = 1; Ahead <= Target.LookAhead; ++Ahead) {
        const TDecoderFrame* Next = Decoder.NextFrame();
        if (!Next)
            break;
        if (!IsBlankFrame(Next->Pixels, Width, Height)) {
            Take(*Next);
            return Index + Ahead;
        }
    }
    return Index;
}

void ScaleFrame(const TDecoderFrame& Frame, const TDecoderFileInfo& Info, TFastDIB& Wrapper,
                TFastDIB& Target) {
    Wrapper.SetSizeEx(Frame.Pixels, Info.FrameWidth, Info.FrameHeight, 32, 0, 0, 0);
    Bilinear(Wrapper, Target);
}

void WritePicture(TFastDIB& Image, TFreeBitmap& Writer, const std::string& File, int Quality, int Format) {
    // The image library wants the bottom row first.
    FlipVertical(Image);
    CopyToWriter(Image, Writer);
    if (!Writer.IsValid() || !Writer.ConvertTo24Bits())
        throw std::bad_alloc();
    std::string Error;
    if (!Writer.SaveChecked(File, SaveFlags(File, Quality), Error, Format))
        throw Exception(Error);
    // The picture's memory is not needed until the next job.
    Writer.Clear();
}
