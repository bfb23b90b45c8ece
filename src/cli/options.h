// The command line of trovelle-thumbs: what to take from which videos, at what size, in
// which format, into which folder, and how much to say about it.
//
// Options are parsed with getopt_long from one table (kOptions) that also gives the help
// text, so that a new option is one row and one case of ParseOptions.
#pragma once

#include "jobs/jobrequest.h"
#include "jobs/sheetlayout.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that cannot be understood; the message says why.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How much goes to standard error: errors only, or also progress and notes.
enum class TVerbosity { Quiet, Normal };

struct TThumbsOptions {
    static constexpr int32_t kDefaultPieces = 12;
    static constexpr int32_t kDefaultQuality = 100; // the window's JPEG quality
    static constexpr int64_t kToTheEnd = -1;        // RangeEnd when only a start was given

    // Thumbnails (taking Mode's frames), a sheet (--sheet), or the one picture a file manager
    // shows (--thumbnail SIZE INPUT OUTPUT).
    TJobKind Kind = TJobKind::Thumbnails;
    TThumbMode Mode = TThumbMode::Pieces;
    int32_t Pieces = kDefaultPieces;
    int64_t RangeStart = 0; // seconds
    int64_t RangeEnd = 0;   // seconds, included; kToTheEnd: the end of the video
    // The same as exact instants in microseconds, where they were written with a fraction
    // of a second (-1 where not): the range then starts there, or ends there, included.
    int64_t RangeStartExact = -1;
    int64_t RangeEndExact = -1;
    int32_t Width = 0;     // 0 with Height 0: the video's width; 0 with a Height: from the
    int32_t Height = 0;    // display shape, and the other way round
    bool Fit = false;      // Width x Height is a box that the display shape is fitted in
    bool NamesByTime = false; // files named by their frame's time, not by their ordinal
    std::string OutFolder; // empty: the default save folder
    std::string Format = "jpg";
    int32_t Quality = kDefaultQuality;
    int32_t Digits = 0; // ordinals zero-padded to this many digits; 0: as they come
    // A contact sheet (--sheet): its grid and the width of the whole picture.
    int32_t SheetColumns = kDefaultSheetColumns;
    int32_t SheetRows = kDefaultSheetRows;
    int32_t SheetWidth = kDefaultSheetWidth;
    // A preview (--thumbnail): the box it is fitted into, and the PNG file it goes to; the
    // video is the one item of Videos.
    int32_t PreviewSize = 0;
    std::string PreviewFile;
    bool Clean = false;
    bool Smart = false;      // the clearest frame near each piece's or tile's instant
    std::vector<int64_t> At; // --at: the instants, in microseconds
    bool Recursive = false;
    TVerbosity Verbosity = TVerbosity::Normal;
    bool NullResults = false; // results end in NUL, not in a newline
    std::vector<std::string> Videos;
    bool Help = false;
    bool Version = false;
};

constexpr const char* kProgram = "trovelle-thumbs";

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a video could not be read or gave no thumbnail
constexpr int kExitUsage = 2;    // the command line was not understood
constexpr int kExitSignal = 128; // plus the signal's number: 130 Ctrl+C, 141 closed output, 143 SIGTERM

// Parses the arguments after the program name; raises EUsageError.
TThumbsOptions ParseOptions(const std::vector<std::string>& Args);

// A time on the command line: "75", "1:15" or "00:01:15", each with an optional fraction
// of a second ("1.5", "0:01.250", at most microseconds).
struct TTimeArg {
    int64_t Seconds = 0;      // the whole seconds
    int64_t Microseconds = 0; // the whole time
    bool Exact = false;       // written with a fraction: an instant, not a whole second
};

// Raises EUsageError for anything else.
TTimeArg ParseTime(const std::string& Text);

// The local path of a video given as a file:// URI (host empty or "localhost",
// %XX escapes decoded), as file managers may hand it over; anything else as it is.
// Raises EUsageError for a URI of another host or with a broken escape.
std::string LocalPath(const std::string& Item);

// The --help text, made from the option table.
std::string UsageText();
