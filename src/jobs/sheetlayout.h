// The arithmetic of a contact sheet, kept apart from decoding and drawing so that a table of
// cases can check it: where the tiles go, which frame each tile shows, and the texts that the
// sheet carries (the tiles' times and the header's line of file properties). The sheet job
// (TSheetThread) and its painter use it; nothing here decodes or draws.
#pragma once

#include "jobrequest.h"
#include "wording.h"

#include <cstdint>
#include <string>
#include <vector>

// What a sheet may ask for: a grid of at most kMaxSheetSide tiles each way, and a picture
// between kMinSheetWidth and kMaxSheetWidth pixels wide.
inline constexpr int32_t kMaxSheetSide = 20;
inline constexpr int32_t kMinSheetWidth = 160;
inline constexpr int32_t kMaxSheetWidth = 10000;

struct TSheetRect {
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
};

// Where everything of a sheet lies, in pixels, top row 0.
struct TSheetLayout {
    int32_t Width = 0; // the whole picture
    int32_t Height = 0;
    int32_t Gap = 0;               // between tiles and around them
    TSheetRect Header;             // the text block above the tiles
    int32_t TileWidth = 0;         // every tile has the same size,
    int32_t TileHeight = 0;        // the video's display shape
    std::vector<TSheetRect> Tiles; // row by row, left to right
};

// Throws Exception, saying what is wrong, unless the grid and the width are within the limits
// above.
void CheckSheetSize(int32_t Columns, int32_t Rows, int32_t Width);
// What CheckSheetSize says, as a wording the window shows in the user's language; Empty when
// the size is within the limits.
TWording SheetSizeWording(int32_t Columns, int32_t Rows, int32_t Width);

// The gap between tiles on a sheet Width pixels wide.
int32_t SheetGap(int32_t Width);

// Lays out Columns x Rows tiles of display aspect AspectRatio (width / height) under a header
// HeaderHeight pixels high, on a picture Width pixels wide. The tiles fill the width less the
// gaps; the pixels that do not divide evenly go to the outer margins. Checks the size first.
TSheetLayout LayOutSheet(int32_t Columns, int32_t Rows, int32_t Width, double AspectRatio,
                         int32_t HeaderHeight);

// Which frame a tile or a piece shows: the one rule for sheets, the command line's pieces and the
// file manager's preview. Tile I of N shows the first frame at or after Duration x (I + 0.5) / N,
// Duration the video's exact length in microseconds (TDecoder::DurationMicroseconds), so that a
// short clip's end is not left out. The decoder seeks by whole seconds only, so the job seeks to
// SeekSecond and reads on ReadOn frames; frames are counted at the file's rate from the start
// of the video.
struct TTileFrame {
    int64_t Frame = 0;        // index of the frame the tile shows
    int32_t SeekSecond = 0;   // where the job seeks
    int64_t ReadOn = 0;       // frames read and passed over after the seek
    int64_t LookAhead = 0;    // how many frames after Frame may stand in for a blank one
    int64_t Microseconds = 0; // the tile's instant, rounded down
};
TTileFrame TileFrame(int32_t I, int32_t N, int64_t Duration, double FPS);

// The index of the first frame at or after Second, where a seek to Second lands.
int64_t FirstFrameAt(int32_t Second, double FPS);

// The time of frame Index at FPS frames per second, in whole seconds (for the tile's label).
int64_t FrameSecond(int64_t Index, double FPS);

// The header's second line: file size, duration (Duration in microseconds, to the tenth of a
// second below a minute), frame size, display aspect and frame rate, e.g.
// "12.4 MB  ·  2:00  ·  1920 × 1080  ·  16:9  ·  29.97 fps" or "812 bytes  ·  0:01.5  ·  ...".
// FileSize < 0 leaves the size out.
std::string SheetInfoLine(int64_t FileSize, int64_t Duration, int32_t FrameWidth, int32_t FrameHeight,
                          double AspectRatio, double FPS);

// True when a picture is nearly uniform (a black or white fade, a plain title background): the
// brightness of a grid of samples hardly varies. Pixels: Width x Height words 0x00RRGGBB, top row
// first, stride 4 x Width.
bool IsBlankFrame(const uint32_t* Pixels, int32_t Width, int32_t Height);

// How clear a picture is: the variance of the Laplacian of its brightness, which motion blur,
// defocus and a fade all lower; 0 for a nearly uniform picture. Pixels as for IsBlankFrame.
double Clearness(const uint32_t* Pixels, int32_t Width, int32_t Height);

// How far after its instant a tile or piece may take a clearer frame, where they lie Interval
// microseconds apart in a video of FPS frames per second: a quarter of the interval and at
// most 2 s, so that they stay evenly spread, and at most 12 frames, so that the frames read on
// cost at most about half of what reaching the instant costs where keyframes are 2 s apart.
int64_t ClearWindow(int64_t Interval, double FPS);
