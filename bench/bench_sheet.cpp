// Contact sheet speed: the sheet job (decoder open, every tile, header and times, the JPEG
// file) against one ffmpeg process taking the same frames of the same file in the same run:
// one input seeked exactly to each tile's time, each scaled to the tile's size, laid out with
// the xstack filter and written as one JPEG; for a dense sheet (more than 64 tiles), one pass
// over the video with the fps, scale and tile filters.
//
//   bench_sheet VIDEO [COLUMNSxROWS [WIDTH [KEEP_FOLDER]]]
//
// KEEP_FOLDER keeps both pictures for a look. The two take turns; each figure is the median of
// the rounds.
#include "jobs/sheetjob.h"
#include "scratch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

double Median(std::vector<double> V) {
    std::sort(V.begin(), V.end());
    return V[V.size() / 2];
}

double Seconds(std::chrono::steady_clock::time_point Since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Since).count();
}

std::string Quoted(const std::string& Text) {
    std::string Out = "'";
    for (char C : Text)
        Out += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Out + "'";
}

// Makes the sheet; false, with the reason printed, when the job failed.
bool MakeSheet(const TSheetRec& Rec) {
    TDecoder Decoder;
    Decoder.Open(Rec.Path);
    TSheetThread Job(&Decoder);
    Job.SetRec(Rec);
    const TJobEnd End = RunToEnd(Job);
    if (End.Failed)
        std::fprintf(stderr, "sheet job failed: %s\n", End.Error.c_str());
    return !End.Failed;
}

// The sheet's layout without the header, as the peers lay the same tiles out, and the
// video's length in whole seconds.
struct TPeerSheet {
    TSheetLayout Layout;
    int32_t Duration;
};

TPeerSheet PeerSheet(const TSheetRec& Rec) {
    TDecoder Decoder;
    Decoder.Open(Rec.Path);
    const TDecoderFileInfo& Info = *Decoder.FileInfo();
    return {LayOutSheet(Rec.Columns, Rec.Rows, Rec.Width, Info.AspectRatio, 0), Info.Duration};
}

// The one ffmpeg command that takes the sheet's frames: the tiles' sizes and places come from
// the same layout, without the header.
std::string FfmpegCommand(const TSheetRec& Rec, const std::string& Output) {
    const TPeerSheet Sheet = PeerSheet(Rec);
    const TSheetLayout& L = Sheet.Layout;
    const int N = Rec.Columns * Rec.Rows;
    std::string Inputs, Filters, Stack, Layout;
    for (int I = 0; I < N; ++I) {
        char Time[32];
        std::snprintf(Time, sizeof Time, "%.6f", static_cast<double>(Sheet.Duration) * (2 * I + 1) / (2 * N));
        Inputs += std::string(" -ss ") + Time + " -i " + Quoted(Rec.Path);
        const std::string Index = std::to_string(I);
        Filters += '[';
        Filters += Index + ":v]scale=" + std::to_string(L.TileWidth) + ":" + std::to_string(L.TileHeight) +
                   ":flags=bilinear,setsar=1[t" + Index + "];";
        Stack += "[t";
        Stack += Index + "]";
        if (I)
            Layout += '|';
        Layout += std::to_string(L.Tiles[I].X) + "_" + std::to_string(L.Tiles[I].Y);
    }
    // xstack sizes its output to the tiles; the pad adds the margins on the right and below.
    const std::string Graph = Filters + Stack + "xstack=inputs=" + std::to_string(N) + ":layout=" + Layout +
                              ":fill=0x1C1C1C,pad=" + std::to_string(L.Width) + ":" + std::to_string(L.Height) +
                              ":0:0:0x1C1C1C";
    return "ffmpeg -nostdin -v error -y" + Inputs + " -filter_complex " + Quoted(Graph) +
           " -frames:v 1 -q:v 1 " + Quoted(Output);
}

// A dense sheet: as many inputs as tiles would swamp ffmpeg; one pass picks the frames.
constexpr int kMostSeekedInputs = 64;

std::string FfmpegOnePassCommand(const TSheetRec& Rec, const std::string& Output) {
    const TPeerSheet Sheet = PeerSheet(Rec);
    char Graph[160];
    std::snprintf(Graph, sizeof Graph, "fps=%d/%d,scale=%d:%d,tile=%dx%d", Rec.Columns * Rec.Rows,
                  std::max(1, Sheet.Duration), Sheet.Layout.TileWidth, Sheet.Layout.TileHeight, Rec.Columns,
                  Rec.Rows);
    return "ffmpeg -nostdin -v error -y -i " + Quoted(Rec.Path) + " -an -vf " + Quoted(Graph) +
           " -frames:v 1 -q:v 1 " + Quoted(Output);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s VIDEO [COLUMNSxROWS [WIDTH [KEEP_FOLDER]]]\n", argv[0]);
        return 2;
    }
    TScratch Work;
    TSheetRec Rec;
    Rec.Path = argv[1];
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &Rec.Columns, &Rec.Rows) != 2) {
        std::fprintf(stderr, "COLUMNSxROWS: %s\n", argv[2]);
        return 2;
    }
    if (argc > 3)
        Rec.Width = std::atoi(argv[3]);
    Rec.Folder = (argc > 4 ? std::string(argv[4]) : Work.Path) + "/";
    const std::string Theirs = Rec.Folder + "ffmpeg_sheet.jpg";
    const bool Dense = Rec.Columns * Rec.Rows > kMostSeekedInputs;
    const std::string Command = Dense ? FfmpegOnePassCommand(Rec, Theirs) : FfmpegCommand(Rec, Theirs);

    // Rounds taking turns, and the median of each, so that a busy machine slows both alike.
    std::vector<double> Ours, Peers;
    for (int Round = 0; Round < kRounds; ++Round) {
        auto Start = std::chrono::steady_clock::now();
        if (!MakeSheet(Rec))
            return 1;
        Ours.push_back(Seconds(Start));
        Start = std::chrono::steady_clock::now();
        if (std::system(Command.c_str()) != 0) {
            std::fprintf(stderr, "ffmpeg failed: %s\n", Command.c_str());
            return 1;
        }
        Peers.push_back(Seconds(Start));
    }
    const double Our = Median(Ours), Their = Median(Peers);
    std::printf("-- %dx%d sheet %d pixels wide of %s (median of %d)\n", Rec.Columns, Rec.Rows, Rec.Width,
                std::filesystem::path(Rec.Path).filename().c_str(), kRounds);
    std::printf("  sheet job (with header and times): %7.2f s\n", Our);
    std::printf(Dense ? "  one ffmpeg pass, fps and tile:     %7.2f s\n" : "  one ffmpeg, seeked inputs, xstack: %7.2f s\n",
                Their);
    std::printf("  speed ratio trovelle/ffmpeg:       %7.2f\n", Their / Our);
    return 0;
}
