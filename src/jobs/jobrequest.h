// What a job is asked to make, in the words the window, the command line, the settings store
// and the jobs share: the kind of job, for thumbnails which frames they take, and the request
// of each job, which names its video and carries all the job needs. A job opens the video its
// request names where the decoder it is given has another one open (or none).
#pragma once

#include <cstdint>
#include <string>

// What a job makes: thumbnails, one contact sheet, the one picture a file manager shows
// for the video (its preview), or single frames at given instants, saved as they are.
enum class TJobKind { Thumbnails, Sheet, Preview, Frames };

// Which frames a thumbnail job takes: every frame of the video, a number of evenly spaced
// pieces, or every frame between the start and the end mark. The settings store keeps the
// window's choice by these names, in this order.
enum class TThumbMode { Whole, Pieces, Range };

// The longest side of a thumbnail: the longest a JPEG file can hold.
constexpr int32_t kMaxThumbnailSide = 65500;

// One thumbnail job.
struct TConvertRec {
    int32_t Width = 0; // thumbnail size
    int32_t Height = 0;
    TThumbMode Mode = TThumbMode::Pieces;
    int32_t Pieces = 0;   // in pieces mode
    std::string Path;     // the video file
    std::string Name;     // the video's file name without folder and extension
    std::string Folder;   // save folder ending in "/", or empty for the default save folder
    int64_t StartPos = 0; // marks, in seconds of video time
    int64_t EndPos = 0;
    // Exact instants in microseconds, where a range was given with fractions of a second;
    // -1: the whole second of StartPos, and the end of EndPos's second. A range holds the
    // frames whose time t has start <= t, and t < EndPos + 1 s or t <= the exact end.
    int64_t StartExact = -1;
    int64_t EndExact = -1;
    // The file format (its extension: jpg, png or webp), the quality of the lossy ones
    // (1 to 100), and the width the ordinal is zero-padded to (0: no padding). The window
    // keeps the defaults.
    std::string Format = "jpg";
    int32_t Quality = 100;
    int32_t Digits = 0;
    // Pieces spread over the whole video, piece i of N at the first frame at or after
    // D (i + 0.5) / N seconds as a sheet's tiles are (the command line); else whole seconds
    // apart from the start (the window).
    bool SpreadPieces = false;
    // Files named by their frame's time ("<Name>_00-01-05.120.<Format>"), not their ordinal.
    bool NamesByTime = false;
    // With SpreadPieces: each piece takes the clearest frame within a short window after its
    // instant (ClearWindow) instead of the first frame there.
    bool PreferClear = false;

    // Every frame.
    bool Whole() const { return Mode == TThumbMode::Whole; }
    // Every frame from StartPos to EndPos (both included).
    bool Range() const { return Mode == TThumbMode::Range; }
};

// The defaults of a sheet: its grid and the width of the whole picture in pixels.
inline constexpr int32_t kDefaultSheetColumns = 4;
inline constexpr int32_t kDefaultSheetRows = 4;
inline constexpr int32_t kDefaultSheetWidth = 1600;

// One contact sheet.
struct TSheetRec {
    int32_t Columns = kDefaultSheetColumns;
    int32_t Rows = kDefaultSheetRows;
    int32_t Width = kDefaultSheetWidth; // of the whole picture, in pixels
    std::string Path;                   // the video file (its name and size head the sheet)
    std::string Name;                   // the sheet's name before "_sheet"; empty: the video's name
    std::string Folder;                 // save folder ending in "/", or empty for the default save folder
    std::string Format = "jpg";         // the file type by its extension: jpg, png or webp
    int32_t Quality = 100;              // JPEG and WebP quality, 1 to 100
    // Each tile takes the clearest frame within a short window after its instant
    // (ClearWindow) instead of the first frame there.
    bool PreferClear = false;
};

// The sides a preview may ask for: file managers ask for 128 to 1024.
inline constexpr int32_t kMaxPreviewSize = 4096;

// One file manager's preview.
struct TPreviewRec {
    int32_t Size = 256;   // the box, 1 to kMaxPreviewSize
    std::string Path;     // the video file
    std::string FileName; // the PNG file, written whatever its extension
};
