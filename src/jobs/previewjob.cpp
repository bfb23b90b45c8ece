#include "previewjob.h"

#include "engine/exceptions.h"
#include "engine/rounding.h"
#include "sheetlayout.h"
#include "stillframe.h"

#include <algorithm>
#include <cmath>

namespace {

// The picture is due at a tenth of the video: the first tile's time on a sheet of five.
constexpr int32_t kPreviewSheetTiles = 5;
// How far past a blank frame a real picture is looked for: a fade or a title card is over
// by then, and a file manager showing a folder of films waits no longer.
constexpr double kPreviewLookAheadSeconds = 5.0;

} // namespace

TPreviewSize FitPreview(int32_t Size, double AspectRatio) {
    if (!(AspectRatio > 0) || !std::isfinite(AspectRatio))
        throw Exception("The video's display aspect is not valid");
    if (AspectRatio >= 1)
        return {Size, std::clamp(HeightForWidth(Size, AspectRatio), 1, Size)};
    return {std::clamp(WidthForHeight(Size, AspectRatio), 1, Size), Size};
}

TPreviewThread::TPreviewThread(TDecoder* Decoder) : FDecoder(Decoder) {}

TPreviewThread::~TPreviewThread() {
    // No report may reach the owner once it frees the job; then the job must have ended
    // before its buffers go.
    ClearOnEvent();
    Stop();
}

void TPreviewThread::Work() {
    OpenVideoOf(*FDecoder, FRec.Path);
    const TDecoderFileInfo& Info = *FDecoder->FileInfo();
    if (FRec.Size < 1 || FRec.Size > kMaxPreviewSize)
        throw Exception("The preview size must be from 1 to " + std::to_string(kMaxPreviewSize) + " (it is " +
                        std::to_string(FRec.Size) + ")");
    const TPreviewSize Size = FitPreview(FRec.Size, Info.AspectRatio);
    FPicture.SetSize(Size.Width, Size.Height, 32);
    FProgress.Total = 1;

    TTileFrame Target = TileFrame(0, kPreviewSheetTiles, FDecoder->DurationMicroseconds(), Info.FPS);
    Target.LookAhead = static_cast<int64_t>(std::ceil(kPreviewLookAheadSeconds * Info.FPS));
    TFrameWalker Walker(*FDecoder);
    const int64_t Time = TakeStill(Walker, *FDecoder, Target, FRec.Path, [this](const TDecoderFrame& Frame) {
        ScaleFrame(Frame, *FDecoder->FileInfo(), FFrame, FPicture);
    });
    FFrameIndex = std::llround(static_cast<long double>(Time) * Info.FPS / 1000000);
    if (Terminated()) {
        ReportProgress(evConvStopped);
        return;
    }
    FailWhereCut(*FDecoder);
    // The file manager made the file it named and reads that one, holding it open: the
    // picture goes into it, not into a new file put in its place.
    WritePicture(FPicture, FWriter, FRec.FileName, 0, kFifPng, true);
    FProgress.Current = 0;
    ReportProgress(evConvStopped | evConvEnd);
    ReportDone(FRec.FileName);
}
