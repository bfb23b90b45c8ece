#include "convertthread.h"

#include "FastSize.h"
#include "platform.h"
#include "rounding.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// JPEG quality of every thumbnail.
constexpr int kJpegQuality = 100;

} // namespace

std::string VideoName(const std::string& Path) {
    const size_t Slash = Path.find_last_of('/');
    std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
    const size_t Dot = Name.find_last_of('.');
    if (Dot != std::string::npos && Dot > 0)
        Name.erase(Dot);
    return Name;
}

TConvertThread::TConvertThread(TDecoder* Decoder) : FDecoder(Decoder) {
    FSource.SetSize(Decoder->FFileInfo->FrameWidth, Decoder->FFileInfo->FrameHeight, 32);
}

TConvertThread::~TConvertThread() {
    // No report may reach the owner once it frees the job; then the job must have ended
    // before its buffers go.
    ClearOnEvent();
    Stop();
}

void TConvertThread::RunJob() {
    FDecoder->Rewind();
    if (FRec.Width <= 0 || FRec.Height <= 0)
        throw Exception("The thumbnail size " + std::to_string(FRec.Width) + " x " + std::to_string(FRec.Height) +
                        " is not valid");
    FTarget.SetSize(FRec.Width, FRec.Height, 32);
    TRateMeter Meter(TRateMeter::Counter());
    const double F = FDecoder->FFileInfo->FPS;
    const int32_t D = FDecoder->FFileInfo->Duration;
    int64_t Ordinal = 0;

    if (FRec.Whole) {
        // Only an estimate: the files are as many as the decoder delivers frames.
        FProgress.Total = RoundToInt64(static_cast<long double>(D) * F);
        while (!Terminated() && WriteNextThumbnail(Ordinal, Meter))
            ++Ordinal;
    } else if (FRec.Range) {
        // The end mark's second is included.
        FProgress.Total = RoundToInt64(static_cast<long double>(FRec.EndPos - FRec.StartPos + 1) * F);
        FDecoder->Seek(static_cast<int32_t>(FRec.StartPos));
        const int32_t Count = static_cast<int32_t>(FProgress.Total);
        for (int32_t I = 0; I < Count && !Terminated() && WriteNextThumbnail(Ordinal, Meter); ++I)
            ++Ordinal;
    } else {
        if (FRec.Pieces <= 0)
            throw Exception("The number of pieces must be greater than 0 (it is " + std::to_string(FRec.Pieces) +
                            ")");
        FProgress.Total = FRec.Pieces;
        // Pieces start at 0 and lie Step whole seconds apart; a video shorter than the
        // number of pieces gets them one second apart.
        const int32_t Step = D / FRec.Pieces;
        for (int32_t I = 0; I < FRec.Pieces && !Terminated(); ++I) {
            FDecoder->Seek(Step != 0 ? I * Step : I);
            if (!WriteNextThumbnail(Ordinal, Meter))
                break;
            ++Ordinal;
        }
    }
    FEvents = evConvStopped | evConvEnd;
    Report();
    FEvents = evConvDone;
    Report();
}

bool TConvertThread::WriteNextThumbnail(int64_t Ordinal, TRateMeter& Meter) {
    const TDecoderFrame* Frame = FDecoder->NextFrame();
    if (!Frame) {
        FEvents = evConvStopped | evConvEnd;
        Report();
        return false;
    }
    MoveLongs(Frame->Pixels, FSource.Bits(), FSource.Width() * FSource.AbsHeight());
    // The decoder delivers the top row first, the image file library wants the bottom
    // row first.
    TFastDIB* Image = &FSource;
    if (FTarget.Width() == FSource.Width() && FTarget.AbsHeight() == FSource.AbsHeight()) {
        FlipVertical(FSource);
    } else {
        Bilinear(FSource, FTarget);
        FlipVertical(FTarget);
        Image = &FTarget;
    }

    const std::string Dir = OutputFolder();
    CopyToWriter(*Image, FWriter);
    FWriter.ConvertTo24Bits();
    const std::string FileName = Dir + "/" + FRec.Name + "_" + std::to_string(Ordinal) + ".jpg";
    std::string Error;
    if (!FWriter.SaveChecked(FileName, kJpegQuality, Error))
        throw Exception(Error);

    FEvents = evConvFrame;
    FProgress.Current = Ordinal;
    if (Meter.Frame(TRateMeter::Counter(), FRate))
        FEvents |= evConvRate;
    Report();
    return true;
}

std::string TConvertThread::OutputFolder() const {
    const std::string Dir = (FRec.Folder.empty() ? DefaultSaveFolder() : FRec.Folder) + FRec.Name;
    struct stat Info {};
    if (stat(Dir.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode))
        return Dir;
    // One level only: the save folder itself must exist.
    if (mkdir(Dir.c_str(), 0777) != 0 && errno != EEXIST)
        throw Exception("Cannot create the folder " + Dir + ": " + std::strerror(errno));
    if (stat(Dir.c_str(), &Info) != 0 || !S_ISDIR(Info.st_mode))
        throw Exception("Cannot create the folder " + Dir + ": a file of that name is in the way");
    return Dir;
}
