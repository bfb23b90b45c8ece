#include "thumbnailjob.h"

#include "engine/rounding.h"
#include "framewalker.h"
#include "image/scaler.h"
#include "outputs.h"
#include "platform/platform.h"
#include "sheetlayout.h"
#include "stillframe.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

// Bytes a thumbnail pixel takes while it is made: the scaled 32-bit image and the writer's two
// 24-bit bitmaps (one being written while the next is made).
constexpr int64_t kBytesPerThumbnailPixel = 4 + 3 + 3;
constexpr int64_t kMegabyte = 1 << 20;

// Seeks take 32-bit seconds: a mark beyond them would wrap around to another time.
void CheckSeconds(int64_t Seconds, const char* What) {
    if (Seconds < std::numeric_limits<int32_t>::min() || Seconds > std::numeric_limits<int32_t>::max())
        throw Exception(std::string("The ") + What + " time " + std::to_string(Seconds) +
                        " s is beyond the times a video can be read at (at most " +
                        std::to_string(std::numeric_limits<int32_t>::max()) + " s)");
}

} // namespace

void CheckThumbnailSize(int32_t Width, int32_t Height, int64_t MemoryBytes) {
    const std::string Size = std::to_string(Width) + " x " + std::to_string(Height);
    if (Width <= 0 || Height <= 0)
        throw Exception("The thumbnail size " + Size + " is not valid");
    if (Width > kMaxThumbnailSide || Height > kMaxThumbnailSide)
        throw Exception("The thumbnail size " + Size + " is larger than a JPEG file can hold (" +
                        std::to_string(kMaxThumbnailSide) + " pixels a side)");
    const int64_t Needed = int64_t{Width} * Height * kBytesPerThumbnailPixel;
    if (Needed > MemoryBytes)
        throw Exception("The thumbnail size " + Size + " needs " + std::to_string(Needed / kMegabyte) +
                        " MB of memory, more than this computer has (" +
                        std::to_string(MemoryBytes / kMegabyte) + " MB)");
}

TConvertThread::TConvertThread(TDecoder* Decoder) : FDecoder(Decoder) {}

TConvertThread::~TConvertThread() {
    // No report may reach the owner once it frees the job; then the job must have ended
    // before its buffers go.
    ClearOnEvent();
    Stop();
}

void TConvertThread::Work() {
    try {
        MakeThumbnails();
    } catch (...) {
        // A file still being written is waited for (its bitmap goes with the job) and, when it
        // was written, reported before the error.
        try {
            TRateMeter Meter(TRateMeter::Counter());
            FinishPendingSave(Meter);
        } catch (...) {
        }
        throw;
    }
}

void TConvertThread::MakeThumbnails() {
    OpenVideoOf(*FDecoder, FRec.Path);
    // Everything that can be refused is, before anything is read or made.
    CheckThumbnailSize(FRec.Width, FRec.Height, PhysicalMemoryBytes());
    CheckOutputChoice(FRec.Format, FRec.Quality);
    if (FRec.Range()) {
        CheckSeconds(FRec.StartPos, "start");
        CheckSeconds(FRec.EndPos, "end");
    } else if (!FRec.Whole() && FRec.Pieces <= 0) {
        throw Exception("The number of pieces must be greater than 0 (it is " + std::to_string(FRec.Pieces) +
                        ")");
    }
    FFolder.reset();
    {
        // The decoder is back at the video's own size before the last reports.
        TFrameSizeRequest Size(*FDecoder, FRec.Width, FRec.Height);
        TakeFrames();
    }
    if (!Terminated())
        FailWhereCut(*FDecoder);
    ReportProgress(evConvStopped | evConvEnd);
    ReportDone(WrittenFolder());
}

void TConvertThread::TakeFrames() {
    FDecoder->Rewind();
    FTarget.SetSize(FRec.Width, FRec.Height, 32);
    TRateMeter Meter(TRateMeter::Counter());
    const double F = FDecoder->FileInfo()->FPS;
    const int32_t D = FDecoder->FileInfo()->Duration;
    int64_t Ordinal = 0;

    if (FRec.Whole()) {
        // The count from the file's index where the decoder has one; else only an estimate: the
        // files are as many as the decoder delivers frames.
        const int32_t Counted = FDecoder->FileInfo()->FrameCount;
        FProgress.Total = Counted > 0 ? Counted : RoundToInt64(static_cast<long double>(D) * F);
        while (!Terminated() && WriteNextThumbnail(Ordinal, Meter))
            ++Ordinal;
    } else if (FRec.Range()) {
        TakeRange(Ordinal, Meter);
    } else if (FRec.SpreadPieces) {
        FProgress.Total = FRec.Pieces;
        TFrameWalker Walker(*FDecoder);
        for (int32_t I = 0; I < FRec.Pieces && !Terminated(); ++I) {
            if (FRec.PreferClear) {
                const int64_t Time = TakeClearPiece(Walker, I);
                if (Repeated(Time))
                    continue;
                if (!WritePicture(FTarget.Bits(), FTarget.BWidth(), Ordinal, Time, Meter))
                    break;
                ++Ordinal;
                continue;
            }
            const TDecoderFrame* Frame =
                Walker.FrameAt(TileFrame(I, FRec.Pieces, FDecoder->DurationMicroseconds(), F).Microseconds);
            // A piece due after the last frame (the duration may promise more than the frames
            // hold) takes the last frame, as a sheet's tile does.
            if (!Frame)
                Frame = Walker.Last();
            if (Frame && Repeated(Walker.Time()))
                continue;
            if (!WriteThumbnail(Frame, Ordinal, Meter))
                break;
            ++Ordinal;
        }
    } else {
        FProgress.Total = FRec.Pieces;
        // Pieces start at 0 and lie Step whole seconds apart; a video shorter than the
        // number of pieces gets them one second apart.
        const int32_t Step = D / FRec.Pieces;
        for (int32_t I = 0; I < FRec.Pieces && !Terminated(); ++I) {
            FDecoder->Seek(Step != 0 ? I * Step : I);
            const TDecoderFrame* Frame = FDecoder->NextFrame();
            // Where frames lie further apart than the pieces, a seek finds the frame it found before.
            if (Frame && Repeated(FDecoder->FrameMicroseconds()))
                continue;
            if (!WriteThumbnail(Frame, Ordinal, Meter))
                break;
            ++Ordinal;
        }
    }
    FinishWriting(Meter);
}

void TConvertThread::TakeRange(int64_t& Ordinal, TRateMeter& Meter) {
    constexpr int64_t kSecond = 1000000;
    const int32_t D = FDecoder->FileInfo()->Duration;
    const int64_t Start = FRec.StartExact >= 0 ? FRec.StartExact : FRec.StartPos * kSecond;
    // The first time past the range.
    const int64_t End = FRec.EndExact >= 0 ? FRec.EndExact + 1 : (FRec.EndPos + 1) * kSecond;
    // The estimate, while the frames come: the range's length (to the video's end at most)
    // at the average rate.
    const int64_t Length = std::min(End, int64_t{D} * kSecond) - Start;
    FProgress.Total = std::max<int64_t>(
        0, RoundToInt64(static_cast<long double>(Length) * FDecoder->FileInfo()->FPS / kSecond));
    FDecoder->Seek(static_cast<int32_t>(Start / kSecond));
    for (; !Terminated(); ++Ordinal) {
        const TDecoderFrame* Frame = FDecoder->NextFrame();
        while (Frame && FDecoder->FrameMicroseconds() < Start)
            Frame = FDecoder->NextFrame();
        if (Frame && FDecoder->FrameMicroseconds() >= End)
            Frame = nullptr;
        if (!Frame)
            FProgress.Total = Ordinal; // the range is done: it held this many
        if (!WriteThumbnail(Frame, Ordinal, Meter))
            break;
    }
}

bool TConvertThread::WriteNextThumbnail(int64_t Ordinal, TRateMeter& Meter) {
    return WriteThumbnail(FDecoder->NextFrame(), Ordinal, Meter);
}

bool TConvertThread::WriteThumbnail(const TDecoderFrame* Frame, int64_t Ordinal, TRateMeter& Meter) {
    if (!Frame) {
        FinishWriting(Meter);
        FailWhereCut(*FDecoder);
        ReportProgress(evConvStopped | evConvEnd);
        return false;
    }
    // The decoder's pixels are read in place (they stay valid until the next frame is asked
    // for), scaled when the size differs, and turned into the writer's 24-bit bottom-up rows in
    // one pass.
    const int Width = FDecoder->FileInfo()->FrameWidth;
    const int Height = FDecoder->FileInfo()->FrameHeight;
    const std::uint8_t* Bits = reinterpret_cast<const std::uint8_t*>(Frame->Pixels);
    std::ptrdiff_t Stride = static_cast<std::ptrdiff_t>(Width) * 4;
    if (FTarget.Width() != Width || FTarget.AbsHeight() != Height) {
        FSource.SetSizeEx(Frame->Pixels, Width, Height, 32, 0, 0, 0);
        Bilinear(FSource, FTarget);
        Bits = FTarget.Bits();
        Stride = FTarget.BWidth();
    }
    return WritePicture(Bits, Stride, Ordinal, FDecoder->FrameMicroseconds(), Meter);
}

int64_t TConvertThread::TakeClearPiece(TFrameWalker& Walker, int32_t I) {
    FCandidate.SetSize(FRec.Width, FRec.Height, 32);
    return TakeClearFrame(Walker, *FDecoder, I, FRec.Pieces, FRec.Path, FSource, FCandidate, FTarget);
}

bool TConvertThread::WritePicture(const std::uint8_t* Bits, std::ptrdiff_t Stride, int64_t Ordinal,
                                  int64_t Microseconds, TRateMeter& Meter) {
    TFreeBitmap& Bitmap = FBitmaps[Ordinal % 2]; // the other one may still be being written
    if (!CopyTopDownTo24(Bits, FTarget.Width(), FTarget.AbsHeight(), Stride, Bitmap))
        throw std::bad_alloc();

    MakeOutputFolder();
    // Different frames within one millisecond, which a name by time cannot tell apart, are
    // numbered on.
    const int32_t Repeat =
        FRec.NamesByTime ? ++FNamesByTime[ThumbnailFileName(FRec, Ordinal, Microseconds)] : 1;
    const std::string FileName = ThumbnailFileName(FRec, Ordinal, Microseconds, Repeat);
    FinishPendingSave(Meter);
    // A stop that came while the previous file was reported starts no further file.
    if (Terminated())
        return false;
    FSaver.Start(Bitmap, *FFolder, FileName, SaveFlags(FileName, FRec.Quality));
    FSaving = Ordinal;
    return true;
}

bool TConvertThread::Repeated(int64_t Time) {
    if (FWrittenTimes.insert(Time).second)
        return false;
    ++FProgress.Repeats;
    return true;
}

void TConvertThread::FinishPendingSave(TRateMeter& Meter) {
    if (!FSaver.Pending())
        return;
    std::string Error;
    if (!FSaver.Wait(Error))
        throw Exception(Error);
    TEngineEvents Events = evConvFrame;
    FProgress.Current = FSaving;
    if (MeasureRate(Meter))
        Events |= evConvRate;
    ReportProgress(Events);
}

void TConvertThread::MakeOutputFolder() {
    if (FFolder)
        return;
    // One level only: the save folder itself must exist.
    FFolder = std::make_unique<TOutputFolder>(SaveFolderOrDefault(FRec.Folder), FRec.Name,
                                              TOutputFolder::TOpen::Make);
    FFolder->RemoveStaleParts();
}

void TConvertThread::FinishWriting(TRateMeter& Meter) {
    FinishPendingSave(Meter);
    if (FFolder)
        FFolder->Sync();
}

std::string TConvertThread::WrittenFolder() const {
    if (FFolder)
        return FFolder->Path();
    // No thumbnail was written, so the folder was never opened: where it would be.
    return ThumbnailFolder(FRec);
}
