#include "sheetjob.h"

#include "outputs.h"
#include "platform/platform.h"
#include "sheetpainter.h"
#include "stillframe.h"

#include <cmath>
#include <cstring>
#include <set>
#include <sys/stat.h>

namespace {

constexpr int64_t kMicrosecondsPerSecond = 1000000;
constexpr int32_t kSecondsPerMinute = 60;

std::string FileNameOf(const std::string& Path) {
    const size_t Slash = Path.find_last_of('/');
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

int64_t FileSize(const std::string& Path) {
    struct stat Info {};
    return stat(Path.c_str(), &Info) == 0 ? static_cast<int64_t>(Info.st_size) : -1;
}

} // namespace

TSheetThread::TSheetThread(TDecoder* Decoder) : FDecoder(Decoder), FWalker(*Decoder) {}

TSheetThread::~TSheetThread() {
    // No report may reach the owner once it frees the job; then the job must have ended
    // before its buffers go.
    ClearOnEvent();
    Stop();
}

void TSheetThread::Work() {
    OpenVideoOf(*FDecoder, FRec.Path);
    const TDecoderFileInfo& Info = *FDecoder->FileInfo();
    // Everything that can be refused is, before the first frame is decoded.
    CheckOutputChoice(FRec.Format, FRec.Quality);
    TSheetPainter Painter(FRec.Width, FileNameOf(FRec.Path),
                          SheetInfoLine(FileSize(FRec.Path), FDecoder->DurationMicroseconds(),
                                        Info.FrameWidth, Info.FrameHeight, Info.AspectRatio, Info.FPS));
    const TSheetLayout Layout =
        LayOutSheet(FRec.Columns, FRec.Rows, FRec.Width, Info.AspectRatio, Painter.HeaderHeight());
    FTile.SetSize(Layout.TileWidth, Layout.TileHeight, 32);
    if (FRec.PreferClear)
        FCandidate.SetSize(Layout.TileWidth, Layout.TileHeight, 32);
    Painter.Begin(FSheet, Layout);

    bool Stopped = false;
    {
        // The decoder is back at the video's own size before the last reports.
        TFrameSizeRequest Size(*FDecoder, Layout.TileWidth, Layout.TileHeight);
        Stopped = !TakeTiles(Layout, Painter);
    }
    if (Stopped) {
        ReportProgress(evConvStopped);
        return;
    }
    FailWhereCut(*FDecoder);
    Painter.End();

    const std::string File = SheetFileName(FRec);
    // Rows that no frame reached are left off the sheet.
    const size_t RowsShown = (FTiles.size() + FRec.Columns - 1) / FRec.Columns;
    if (RowsShown < static_cast<size_t>(FRec.Rows)) {
        const TSheetRect& LastRow = Layout.Tiles[(RowsShown - 1) * FRec.Columns];
        TFastDIB Shown;
        Shown.SetSize(Layout.Width, LastRow.Y + LastRow.Height + Layout.Gap, 32);
        for (int32_t Row = 0; Row < Shown.AbsHeight(); ++Row)
            std::memcpy(Shown.Scanlines()[Row], FSheet.Scanlines()[Row], static_cast<size_t>(Shown.BWidth()));
        WritePicture(Shown, FWriter, File, FRec.Quality);
    } else {
        WritePicture(FSheet, FWriter, File, FRec.Quality);
    }
    ReportProgress(evConvStopped | evConvEnd);
    ReportDone(File);
}

bool TSheetThread::TakeTiles(const TSheetLayout& Layout, TSheetPainter& Painter) {
    const TDecoderFileInfo& Info = *FDecoder->FileInfo();
    const int32_t N = FRec.Columns * FRec.Rows;
    FProgress.Total = N;
    // Where a row spans less than a minute, whole seconds would label neighbouring tiles
    // alike: their times show tenths.
    const bool Tenths =
        FDecoder->DurationMicroseconds() < int64_t{kSecondsPerMinute} * kMicrosecondsPerSecond * FRec.Rows;
    TRateMeter Meter(TRateMeter::Counter());
    // The times of the frames on the sheet: a frame is shown once, and the frames fill the
    // places in order, so that a video of fewer frames than tiles leaves the last places empty.
    std::set<int64_t> Shown;
    for (int32_t I = 0; I < N; ++I) {
        if (Terminated())
            return false;
        const int64_t Time = TakeTile(I, N);
        if (!Shown.insert(Time).second) {
            ++FProgress.Repeats;
            continue;
        }
        const TSheetRect& Where = Layout.Tiles[FTiles.size()];
        const int64_t Frame =
            std::llround(static_cast<long double>(Time) * Info.FPS / kMicrosecondsPerSecond);
        FTiles.push_back(
            {Where, Frame, Tenths ? ClockTextTenths(Time) : ClockText(Time / kMicrosecondsPerSecond)});
        Painter.PlaceTile(FTile, Where);
        Painter.DrawTileTime(Where, FTiles.back().Time);
        TEngineEvents Events = evConvFrame;
        FProgress.Current = static_cast<int64_t>(FTiles.size()) - 1;
        if (MeasureRate(Meter))
            Events |= evConvRate;
        ReportProgress(Events);
    }
    return true;
}

int64_t TSheetThread::TakeTile(int32_t I, int32_t N) {
    if (FRec.PreferClear)
        return TakeClearFrame(FWalker, *FDecoder, I, N, FRec.Path, FFrame, FCandidate, FTile);
    const TTileFrame Target =
        TileFrame(I, N, FDecoder->DurationMicroseconds(), FDecoder->FileInfo()->FPS);
    return TakeStill(FWalker, *FDecoder, Target, FRec.Path, [this](const TDecoderFrame& Frame) {
        ScaleFrame(Frame, *FDecoder->FileInfo(), FFrame, FTile);
    });
}
