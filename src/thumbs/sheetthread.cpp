#include "sheetthread.h"

#include "FastSize.h"
#include "outputfolder.h"
#include "platform.h"
#include "sheetpainter.h"

#include <limits>
#include <new>
#include <sys/stat.h>

namespace {

// Refuses a quality or a file type the writer is not asked for, before any work is done.
void CheckOutputChoice(const std::string& Format, int32_t Quality) {
    if (Quality < 1 || Quality > 100)
        throw Exception("The quality must be from 1 to 100 (it is " + std::to_string(Quality) + ")");
    if (Format != "jpg" && Format != "jpeg" && Format != "png" && Format != "webp")
        throw Exception("A sheet cannot be written as \"" + Format + "\" (jpg, png or webp)");
}

std::string FileNameOf(const std::string& Path) {
    const size_t Slash = Path.find_last_of('/');
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

int64_t FileSize(const std::string& Path) {
    struct stat Info {};
    return stat(Path.c_str(), &Info) == 0 ? static_cast<int64_t>(Info.st_size) : -1;
}

} // namespace

std::string SheetFileName(const TSheetRec& Rec) {
    const std::string Name = Rec.Name.empty() ? VideoName(Rec.Path) : Rec.Name;
    return SaveFolderOrDefault(Rec.Folder) + Name + "_sheet." + Rec.Format;
}

TSheetThread::TSheetThread(TDecoder* Decoder) : FDecoder(Decoder) {}

TSheetThread::~TSheetThread() {
    // No report may reach the owner once it frees the job; then the job must have ended
    // before its buffers go.
    ClearOnEvent();
    Stop();
}

void TSheetThread::Work() {
    const TDecoderFileInfo& Info = *FDecoder->FFileInfo;
    // Everything that can be refused is, before the first frame is decoded.
    CheckOutputChoice(FRec.Format, FRec.Quality);
    TSheetPainter Painter(FRec.Width, FileNameOf(FRec.Path),
                          SheetInfoLine(FileSize(FRec.Path), Info.Duration, Info.FrameWidth, Info.FrameHeight,
                                        Info.AspectRatio, Info.FPS));
    const TSheetLayout Layout =
        LayOutSheet(FRec.Columns, FRec.Rows, FRec.Width, Info.AspectRatio, Painter.HeaderHeight());
    FTile.SetSize(Layout.TileWidth, Layout.TileHeight, 32);
    Painter.Begin(FSheet, Layout);

    const int32_t N = FRec.Columns * FRec.Rows;
    FProgress.Total = N;
    TRateMeter Meter(TRateMeter::Counter());
    for (int32_t I = 0; I < N; ++I) {
        if (Terminated()) {
            FEvents = evConvStopped;
            Report();
            return;
        }
        const int64_t Frame = TakeTile(I, N);
        FTiles.push_back({Layout.Tiles[I], Frame, FormatSheetTime(FrameSecond(Frame, Info.FPS))});
        Painter.PlaceTile(FTile, Layout.Tiles[I]);
        Painter.DrawTileTime(Layout.Tiles[I], FTiles.back().Time);
        FEvents = evConvFrame;
        FProgress.Current = I;
        if (Meter.Frame(TRateMeter::Counter(), FRate))
            FEvents |= evConvRate;
        Report();
    }
    Painter.End();

    const std::string File = SheetFileName(FRec);
    WriteSheet(File);
    FileName = File;
    FEvents = evConvStopped | evConvEnd;
    Report();
    FEvents = evConvDone;
    Report();
}

int64_t TSheetThread::TakeTile(int32_t I, int32_t N) {
    const double FPS = FDecoder->FFileInfo->FPS;
    const TTileFrame Target = TileFrame(I, N, FDecoder->FFileInfo->Duration, FPS);
    int32_t Second = Target.SeekSecond;
    int64_t Wanted = Target.ReadOn;
    const TDecoderFrame* Frame = nullptr;
    for (;;) {
        FDecoder->Seek(Second);
        int64_t Read = 0;
        for (; Read <= Wanted; ++Read) {
            const TDecoderFrame* Next = FDecoder->NextFrame();
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
            throw Exception("No frame can be read from " + FRec.Path);
        }
    }
    int64_t Index = FirstFrameAt(Second, FPS) + Wanted;
    ScaleToTile(*Frame);

    const int32_t Width = FDecoder->FFileInfo->FrameWidth;
    const int32_t Height = FDecoder->FFileInfo->FrameHeight;
    if (!IsBlankFrame(Frame->Pixels, Width, Height))
        return Index;
    // A blank frame stays only when nothing but blank frames follows within the look-ahead.
    for (int64_t Ahead = 1; Ahead <= Target.LookAhead; ++Ahead) {
        const TDecoderFrame* Next = FDecoder->NextFrame();
        if (!Next)
            break;
        if (!IsBlankFrame(Next->Pixels, Width, Height)) {
            ScaleToTile(*Next);
            return Index + Ahead;
        }
    }
    return Index;
}

void TSheetThread::ScaleToTile(const TDecoderFrame& Frame) {
    FFrame.SetSizeEx(Frame.Pixels, FDecoder->FFileInfo->FrameWidth, FDecoder->FFileInfo->FrameHeight, 32, 0,
                     0, 0);
    Bilinear(FFrame, FTile);
}

void TSheetThread::WriteSheet(const std::string& File) {
    // The image library wants the bottom row first.
    FlipVertical(FSheet);
    CopyToWriter(FSheet, FWriter);
    if (!FWriter.IsValid() || !FWriter.ConvertTo24Bits())
        throw std::bad_alloc();
    // The sheet goes into the save folder itself, which the user chose.
    std::string Name;
    const std::unique_ptr<TOutputFolder> Folder = FolderOf(File, Name);
    Folder->RemoveStaleParts();
    std::string Error;
    if (!FWriter.SaveChecked(*Folder, Name, SaveFlags(Name, FRec.Quality), Error))
        throw Exception(Error);
    Folder->Sync();
    // The sheet's memory is not needed until the next job.
    FWriter.Clear();
}
