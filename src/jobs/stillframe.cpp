#include "stillframe.h"

#include "engine/exceptions.h"
#include "image/outputfolder.h"
#include "image/scaler.h"

#include <cmath>
#include <cstring>
#include <new>

int64_t TakeStill(TFrameWalker& Walker, TDecoder& Decoder, const TTileFrame& Target, const std::string& Path,
                  const std::function<void(const TDecoderFrame&)>& Take) {
    const TDecoderFrame* Frame = Walker.FrameAt(Target.Microseconds);
    // The video ended before the instant its duration promises: its last frame stands in.
    if (!Frame)
        Frame = Walker.Last();
    if (!Frame)
        throw Exception("No frame can be read from " + Path);
    const int64_t Time = Walker.Time();
    Take(*Frame);

    const int32_t Width = Decoder.FileInfo()->FrameWidth;
    const int32_t Height = Decoder.FileInfo()->FrameHeight;
    if (!IsBlankFrame(Frame->Pixels, Width, Height))
        return Time;
    // A blank frame stays only when nothing but blank frames follows within the look-ahead.
    for (int64_t Ahead = 1; Ahead <= Target.LookAhead; ++Ahead) {
        const TDecoderFrame* Next = Walker.Next();
        if (!Next)
            break;
        if (!IsBlankFrame(Next->Pixels, Width, Height)) {
            Take(*Next);
            return Walker.Time();
        }
    }
    return Time;
}

int64_t TakeClearFrame(TFrameWalker& Walker, const TDecoder& Decoder, int32_t I, int32_t N,
                       const std::string& Path, TFastDIB& Wrapper, TFastDIB& Candidate, TFastDIB& Target) {
    const TDecoderFileInfo& Info = *Decoder.FileInfo();
    const int64_t Duration = Decoder.DurationMicroseconds();
    const TTileFrame Due = TileFrame(I, N, Duration, Info.FPS);
    const int64_t Window = ClearWindow(Duration / N, Info.FPS);
    const auto Judge = [&](const TDecoderFrame& Frame) {
        ScaleFrame(Frame, Info, Wrapper, Candidate);
        return Clearness(reinterpret_cast<const uint32_t*>(Candidate.Bits()), Candidate.Width(),
                         Candidate.AbsHeight());
    };
    const auto Keep = [&] { std::memcpy(Target.Bits(), Candidate.Bits(), static_cast<size_t>(Target.Size())); };
    const TDecoderFrame* Frame = Walker.FrameAt(Due.Microseconds);
    if (!Frame)
        Frame = Walker.Last();
    if (!Frame)
        throw Exception("No frame can be read from " + Path);
    int64_t Kept = Walker.Time();
    double Best = Judge(*Frame);
    Keep();
    while ((Frame = Walker.Next()) && Walker.Time() < Due.Microseconds + Window) {
        const double Clear = Judge(*Frame);
        if (Clear > Best) {
            Best = Clear;
            Kept = Walker.Time();
            Keep();
        }
    }
    return Kept;
}

void ScaleFrame(const TDecoderFrame& Frame, const TDecoderFileInfo& Info, TFastDIB& Wrapper,
                TFastDIB& Target) {
    Wrapper.SetSizeEx(Frame.Pixels, Info.FrameWidth, Info.FrameHeight, 32, 0, 0, 0);
    Bilinear(Wrapper, Target);
}

void WritePicture(TFastDIB& Image, TFreeBitmap& Writer, const std::string& File, int Quality, int Format,
                  bool InPlace) {
    // The picture goes into the folder the user chose, opened as named.
    std::string Name;
    const std::unique_ptr<TOutputFolder> Folder = FolderOf(File, Name);
    WritePicture(Image, Writer, *Folder, Name, Quality, Format, InPlace);
}

void WritePicture(TFastDIB& Image, TFreeBitmap& Writer, const TOutputFolder& Folder, const std::string& Name,
                  int Quality, int Format, bool InPlace) {
    // The image library wants the bottom row first.
    FlipVertical(Image);
    CopyToWriter(Image, Writer);
    if (!Writer.IsValid() || !Writer.ConvertTo24Bits())
        throw std::bad_alloc();
    Folder.RemoveStaleParts();
    std::string Error;
    if (!Writer.SaveChecked(Folder, Name, SaveFlags(Name, Quality), Error, Format, InPlace))
        throw Exception(Error);
    Folder.Sync();
    // The picture's memory is not needed until the next job.
    Writer.Clear();
}

void SaveFrame(const TDecoderFrame& Frame, const TDecoderFileInfo& Info, double AspectRatio,
               const TOutputFolder& Folder, const std::string& Name) {
    int32_t Width = Info.FrameWidth, Height = Info.FrameHeight;
    if (AspectRatio > 0 && Width > 0 && Height > 0) {
        const double Shape = static_cast<double>(Width) / Height;
        if (AspectRatio > Shape)
            Width = static_cast<int32_t>(std::lround(Height * AspectRatio));
        else if (AspectRatio < Shape)
            Height = static_cast<int32_t>(std::lround(Width / AspectRatio));
    }
    TFastDIB Wrapper, Picture;
    Picture.SetSize(Width, Height, 32);
    ScaleFrame(Frame, Info, Wrapper, Picture);
    TFreeBitmap Writer;
    WritePicture(Picture, Writer, Folder, Name, 100, kFifPng);
}
