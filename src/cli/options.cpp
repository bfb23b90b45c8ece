#include "options.h"

#include "jobs/outputs.h"
#include "jobs/previewjob.h"
#include "jobs/thumbnailjob.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <getopt.h>
#include <string_view>

namespace {

// Options without a short form take ids past the characters.
enum : int {
    kFrom = 256,
    kTo,
    kDigits,
    kClean,
    kVersion,
    kSheet,
    kSheetWidth,
    kThumbnail,
    kFit,
    kNames,
    kSmart,
    kAt
};

// One row per option, in the order --help lists them; a row without a long name starts a
// group of the help text.
struct TOptionRow {
    int Id;
    const char* Long;
    const char* Arg; // null: the option takes no value
    const char* Help;
};

const TOptionRow kOptions[] = {
    {0, nullptr, nullptr, "What to take (one of):"},
    {'p', "pieces", "N",
     "N frames spread over the whole video: piece i\nthe first frame at or after D x (i + 0.5) / N\n"
     "of a video D seconds long (default 12)"},
    {'w', "whole", nullptr, "every frame"},
    {'r', "range", "START END",
     "every frame from START to END (seconds, MM:SS\n"
     "or HH:MM:SS); END's whole second is included,\n"
     "unless END has a fraction (1.5, 0:01.250):\n"
     "then the range ends at that instant"},
    {kFrom, "from", "START", "every frame from START (to --to, or to the end)"},
    {kTo, "to", "END", "every frame up to END (from --from, or the start)"},
    {kSheet, "sheet", "[CxR]",
     "one contact sheet instead: C columns by R\n"
     "rows of evenly spaced frames with their times\n"
     "under a header (default 4x4), written as\n"
     "FOLDER/NAME_sheet.EXT"},
    {kSheetWidth, "sheet-width", "W", "the sheet's width in pixels (default 1600)"},
    {kAt, "at", "TIME[,TIME...]",
     "the frames at these instants instead, each the\nfirst frame at or after its TIME (fractions\n"
     "allowed), at the display size, lossless, as\nFOLDER/NAME/NAME_at_H-MM-SS.mmm.png"},
    {kSmart, "smart", nullptr,
     "prefer clear pictures: each piece or tile takes\nthe sharpest frame within a quarter of its\n"
     "interval (2 s at most) after its instant,\npassing over blurred, faded and plain frames"},
    {kThumbnail, "thumbnail", "SIZE INPUT OUTPUT",
     "the picture a file manager shows: a frame\n"
     "about a tenth into INPUT (a path or a file://\n"
     "URI), fitted into SIZE x SIZE pixels, written\n"
     "as PNG to OUTPUT; nothing else may be given\n"
     "but --quiet, and only errors are written"},
    {0, nullptr, nullptr, "Output:"},
    {'s', "size", "WxH",
     "thumbnail size; W, Wx or xH keeps the display\nshape (default: the "
     "video's width and the\nheight that keeps its display shape)"},
    {kFit, "fit", "WxH", "the display shape fitted in a W x H box\n(its longest side bounded)"},
    {'o', "out", "FOLDER",
     "where the thumbnail folders go, made when\nmissing (default: your "
     "pictures folder);\neach video gets FOLDER/NAME/NAME_N.EXT"},
    {'f', "format", "FORMAT", "jpg (default), png or webp"},
    {'Q', "quality", "N", "quality of jpg and webp, 1 to 100 (default 100)"},
    {kDigits, "digits", "N", "ordinals zero-padded to N digits so that\nnames sort (NAME_0007.jpg)"},
    {kNames, "names", "time",
     "files named by their frame's time, sortable\n(NAME_00-01-05.120.jpg), so that another range\n"
     "or piece count keeps the files it does not\nretake"},
    {kClean, "clean", nullptr,
     "first remove the video's earlier thumbnails\n(NAME_N.jpg/png/webp in "
     "its folder only)"},
    {0, nullptr, nullptr, "Inputs and messages:"},
    {'R', "recursive", nullptr, "take every video under the folders given\n(hidden ones skipped)"},
    {'q', "quiet", nullptr, "errors only on standard error"},
    {'0', "null", nullptr, "end each result line with a NUL, not a newline"},
    {'h', "help", nullptr, "this text"},
    {kVersion, "version", nullptr, "the program's version"},
};

const char* const kUsageHead = "Usage: trovelle-thumbs [OPTION]... VIDEO...\n"
                               "  or:  trovelle-thumbs --thumbnail SIZE INPUT OUTPUT\n"
                               "Writes thumbnails of each VIDEO into a folder named after it.\n";

const char* const kUsageTail =
    "\n"
    "Standard output gets one line per video: its folder, a tab, and the number\n"
    "of files written; after another tab \"stopped\" or \"failed\" when its job\n"
    "did not finish. Control characters in names are written as \\t, \\n, \\x1B\n"
    "and a backslash as \\\\ (with -0 the names are written as they are).\n"
    "Progress, notes and errors go to standard error.\n"
    "Ctrl+C or SIGTERM stops after the current file.\n"
    "\n"
    "Exit status:\n"
    "  0    every video gave its thumbnails\n"
    "  1    a video could not be read or gave none\n"
    "  2    the command line was not understood\n"
    "  130  stopped by Ctrl+C (SIGINT)\n"
    "  141  standard output was closed (as by head)\n"
    "  143  stopped by SIGTERM\n";

const TOptionRow& Row(int Id) {
    for (const TOptionRow& R : kOptions)
        if (R.Long && R.Id == Id)
            return R;
    throw EUsageError("unknown option");
}

std::string Name(int Id) {
    return std::string("--") + Row(Id).Long;
}

// A whole decimal number that fills Text.
bool ParseInteger(const std::string& Text, int64_t& Value) {
    const char* End = Text.data() + Text.size();
    const auto [Ptr, Error] = std::from_chars(Text.data(), End, Value);
    return !Text.empty() && Error == std::errc() && Ptr == End;
}

int32_t ParseBetween(const std::string& Text, const std::string& What, int32_t Low, int32_t High) {
    int64_t Value = 0;
    if (!ParseInteger(Text, Value) || Value < Low || Value > High)
        throw EUsageError(What + " must be a whole number from " + std::to_string(Low) + " to " +
                          std::to_string(High) + ", not '" + Text + "'");
    return static_cast<int32_t>(Value);
}

constexpr int32_t kMaxCount = 100000;

// "WxH", "W", "Wx" or "xH"; a side left out is 0.
void ParseSize(const std::string& Size, TThumbsOptions& Options) {
    const size_t X = Size.find_first_of("xX");
    const std::string Width = Size.substr(0, X);
    const std::string Height = X == std::string::npos ? "" : Size.substr(X + 1);
    if (Width.empty() && Height.empty())
        throw EUsageError("--size takes WIDTHxHEIGHT, WIDTH or xHEIGHT, not '" + Size + "'");
    Options.Width = Width.empty() ? 0 : ParseBetween(Width, "the thumbnail width", 1, kMaxThumbnailSide);
    Options.Height = Height.empty() ? 0 : ParseBetween(Height, "the thumbnail height", 1, kMaxThumbnailSide);
}

// Decimal digits only, at least one.
bool AllDigits(const std::string& Part) {
    return !Part.empty() && Part.find_first_not_of("0123456789") == std::string::npos;
}

// "CxR": two whole numbers around an x.
bool IsGrid(const std::string& Text) {
    const size_t X = Text.find_first_of("xX");
    return X != std::string::npos && AllDigits(Text.substr(0, X)) && AllDigits(Text.substr(X + 1));
}

void ParseGrid(const std::string& Grid, TThumbsOptions& Options) {
    if (!IsGrid(Grid))
        throw EUsageError("--sheet takes COLUMNSxROWS, not '" + Grid + "'");
    const size_t X = Grid.find_first_of("xX");
    Options.SheetColumns = ParseBetween(Grid.substr(0, X), "the sheet's columns", 1, kMaxSheetSide);
    Options.SheetRows = ParseBetween(Grid.substr(X + 1), "the sheet's rows", 1, kMaxSheetSide);
}

} // namespace

TTimeArg ParseTime(const std::string& Text) {
    constexpr int kFractionDigits = 6; // microseconds
    const auto Refuse = [&] {
        return EUsageError("'" + Text +
                           "' is not a time (seconds, MM:SS or HH:MM:SS, with a fraction if wanted: 1.5)");
    };
    TTimeArg Time;
    // The fraction belongs to the seconds, the last field.
    const size_t Dot = Text.find('.');
    const std::string Whole = Text.substr(0, Dot);
    int64_t Fraction = 0;
    if (Dot != std::string::npos) {
        const std::string Digits = Text.substr(Dot + 1);
        if (!AllDigits(Digits) || Digits.size() > kFractionDigits || !ParseInteger(Digits, Fraction))
            throw Refuse();
        for (size_t I = Digits.size(); I < kFractionDigits; ++I)
            Fraction *= 10;
        Time.Exact = true;
    }
    int Fields = 0;
    size_t Start = 0;
    for (;;) {
        const size_t Colon = Whole.find(':', Start);
        const std::string Field =
            Whole.substr(Start, Colon == std::string::npos ? std::string::npos : Colon - Start);
        int64_t Value = 0;
        // Minutes and seconds after a colon stay below 60.
        if (!AllDigits(Field) || !ParseInteger(Field, Value) || (Fields > 0 && Value >= 60) ||
            Value > 1000000000)
            throw Refuse();
        Time.Seconds = Time.Seconds * 60 + Value;
        if (++Fields > 3)
            throw Refuse();
        if (Colon == std::string::npos)
            break;
        Start = Colon + 1;
    }
    Time.Microseconds = Time.Seconds * 1000000 + Fraction;
    return Time;
}

std::string LocalPath(const std::string& Item) {
    constexpr std::string_view kScheme = "file://";
    if (Item.size() < kScheme.size() ||
        !std::equal(kScheme.begin(), kScheme.end(), Item.begin(),
                    [](char A, char B) { return A == std::tolower(static_cast<unsigned char>(B)); }))
        return Item;
    const size_t Slash = Item.find('/', kScheme.size());
    const std::string Host = Item.substr(kScheme.size(), Slash - kScheme.size());
    if (Slash == std::string::npos || (!Host.empty() && Host != "localhost"))
        throw EUsageError("'" + Item + "' is not a file on this machine");
    std::string Path;
    for (size_t I = Slash; I < Item.size(); ++I) {
        if (Item[I] != '%') {
            Path += Item[I];
            continue;
        }
        int Byte = 0;
        const char* Digits = Item.data() + I + 1;
        if (I + 2 >= Item.size() || !std::isxdigit(static_cast<unsigned char>(Digits[0])) ||
            !std::isxdigit(static_cast<unsigned char>(Digits[1])) ||
            std::from_chars(Digits, Digits + 2, Byte, 16).ec != std::errc() || Byte == 0)
            throw EUsageError("'" + Item + "' is not a valid file URI");
        Path += static_cast<char>(Byte);
        I += 2;
    }
    return Path;
}

std::string UsageText() {
    std::string Text = kUsageHead;
    for (const TOptionRow& R : kOptions) {
        if (!R.Long) {
            Text += std::string("\n") + R.Help + "\n";
            continue;
        }
        std::string Head = "  ";
        Head += R.Id < 256 ? std::string("-") + static_cast<char>(R.Id) + ", " : "    ";
        Head += std::string("--") + R.Long + (R.Arg ? std::string(" ") + R.Arg : "");
        constexpr size_t kColumn = 26;
        Head.resize(std::max(Head.size() + 1, kColumn), ' ');
        // Continuation lines of a help text line up under its first line.
        std::string Help = R.Help;
        for (size_t At = Help.find('\n'); At != std::string::npos; At = Help.find('\n', At + 1))
            Help.insert(At + 1, kColumn, ' ');
        Text += Head + Help + "\n";
    }
    return Text + kUsageTail;
}

TThumbsOptions ParseOptions(const std::vector<std::string>& Args) {
    // getopt_long works on a C argument vector; it may reorder it (options may follow the
    // videos), which is why it gets copies.
    std::vector<std::string> Copies{kProgram};
    Copies.insert(Copies.end(), Args.begin(), Args.end());
    std::vector<char*> Argv;
    for (std::string& A : Copies)
        Argv.push_back(A.data());
    Argv.push_back(nullptr);
    const int Argc = static_cast<int>(Copies.size());

    std::string Short = ":"; // ':' reports a missing value apart from an unknown option
    std::vector<option> Long;
    for (const TOptionRow& R : kOptions) {
        if (!R.Long)
            continue;
        // "[VALUE]": the value may be left out.
        const int Has = !R.Arg ? no_argument : R.Arg[0] == '[' ? optional_argument : required_argument;
        Long.push_back({R.Long, Has, nullptr, R.Id});
        if (R.Id < 256)
            Short += std::string(1, static_cast<char>(R.Id)) + (R.Arg ? ":" : "");
    }
    Long.push_back({nullptr, 0, nullptr, 0});

    TThumbsOptions Options;
    bool ModeGiven = false;
    bool QualityGiven = false;
    bool FromGiven = false;
    bool ToGiven = false;
    bool SheetWidthGiven = false;
    bool SizeGiven = false;
    // One kind of job, and thumbnails of one mode (a sheet and a preview leave the mode as it is).
    const auto SetMode = [&](TJobKind Kind, TThumbMode Mode = TThumbMode::Pieces) {
        if (ModeGiven && (Options.Kind != Kind || Options.Mode != Mode))
            throw EUsageError(
                "choose one of --pieces, --whole, --range (or --from/--to), --sheet, --at and --thumbnail");
        ModeGiven = true;
        Options.Kind = Kind;
        Options.Mode = Mode;
    };
    bool OutputGiven = false; // an option that a preview has no use for
    const auto SetRangeStart = [&](const std::string& Text) {
        const TTimeArg Time = ParseTime(Text);
        Options.RangeStart = Time.Seconds;
        Options.RangeStartExact = Time.Exact ? Time.Microseconds : -1;
    };
    const auto SetRangeEnd = [&](const std::string& Text) {
        const TTimeArg Time = ParseTime(Text);
        Options.RangeEnd = Time.Seconds;
        Options.RangeEndExact = Time.Exact ? Time.Microseconds : -1;
    };
    opterr = 0;
    optind = 0; // 0, not 1: makes the GNU parser start afresh on every call
    for (int Id; (Id = getopt_long(Argc, Argv.data(), Short.c_str(), Long.data(), nullptr)) != -1;) {
        const std::string Value = optarg ? optarg : "";
        switch (Id) {
        case 'p':
            SetMode(TJobKind::Thumbnails, TThumbMode::Pieces);
            Options.Pieces = ParseBetween(Value, "--pieces", 1, kMaxCount);
            break;
        case 'w':
            SetMode(TJobKind::Thumbnails, TThumbMode::Whole);
            break;
        case 'r':
            SetMode(TJobKind::Thumbnails, TThumbMode::Range);
            // The one option with two values: the second is the next argument.
            if (optind >= Argc)
                throw EUsageError("--range needs a start and an end");
            SetRangeStart(Value);
            SetRangeEnd(Argv[optind++]);
            FromGiven = ToGiven = true;
            break;
        case kFrom:
            SetMode(TJobKind::Thumbnails, TThumbMode::Range);
            SetRangeStart(Value);
            FromGiven = true;
            break;
        case kTo:
            SetMode(TJobKind::Thumbnails, TThumbMode::Range);
            SetRangeEnd(Value);
            ToGiven = true;
            break;
        case kSheet: {
            SetMode(TJobKind::Sheet);
            // "--sheet CxR" as well as "--sheet=CxR": a grid in the next word is the value.
            std::string Grid = Value;
            if (Grid.empty() && optind < Argc && IsGrid(Argv[optind]))
                Grid = Argv[optind++];
            if (!Grid.empty())
                ParseGrid(Grid, Options);
            break;
        }
        case kSheetWidth:
            Options.SheetWidth = ParseBetween(Value, "--sheet-width", kMinSheetWidth, kMaxSheetWidth);
            SheetWidthGiven = OutputGiven = true;
            break;
        case kThumbnail:
            SetMode(TJobKind::Preview);
            Options.PreviewSize = ParseBetween(Value, "--thumbnail's size", 1, kMaxPreviewSize);
            break;
        case 's':
            ParseSize(Value, Options);
            SizeGiven = true;
            OutputGiven = true;
            break;
        case kFit:
            ParseSize(Value, Options);
            if (!Options.Width || !Options.Height)
                throw EUsageError("--fit takes WIDTHxHEIGHT, not '" + Value + "'");
            Options.Fit = true;
            OutputGiven = true;
            break;
        case kNames:
            if (Value != "time")
                throw EUsageError("--names takes time, not '" + Value + "'");
            Options.NamesByTime = true;
            OutputGiven = true;
            break;
        case 'o':
            if (Value.empty())
                throw EUsageError("--out needs a folder");
            Options.OutFolder = Value;
            OutputGiven = true;
            break;
        case 'f':
            if (std::find(kFormats.begin(), kFormats.end(), Value) == kFormats.end())
                throw EUsageError("--format takes jpg, png or webp, not '" + Value + "'");
            Options.Format = Value;
            OutputGiven = true;
            break;
        case 'Q':
            Options.Quality = ParseBetween(Value, "--quality", 1, 100);
            QualityGiven = OutputGiven = true;
            break;
        case kDigits:
            Options.Digits = ParseBetween(Value, "--digits", 1, 18);
            OutputGiven = true;
            break;
        case kSmart:
            Options.Smart = true;
            break;
        case kAt: {
            SetMode(TJobKind::Frames);
            size_t Begin = 0;
            for (;;) {
                const size_t Comma = Value.find(',', Begin);
                Options.At.push_back(ParseTime(Value.substr(Begin, Comma - Begin)).Microseconds);
                if (Comma == std::string::npos)
                    break;
                Begin = Comma + 1;
            }
            break;
        }
        case kClean:
            Options.Clean = OutputGiven = true;
            break;
        case 'R':
            Options.Recursive = OutputGiven = true;
            break;
        case 'q':
            Options.Verbosity = TVerbosity::Quiet;
            break;
        case '0':
            Options.NullResults = true;
            break;
        case 'h':
            Options.Help = true;
            break;
        case kVersion:
            Options.Version = true;
            break;
        case ':':
            throw EUsageError(Name(optopt) + " needs a value");
        default: { // '?'
            const std::string Given = Argv[optind - 1];
            if (optopt != 0 && Given.rfind("--", 0) == 0)
                throw EUsageError(Name(optopt) + " takes no value");
            if (optopt != 0)
                throw EUsageError("unknown option -" + std::string(1, static_cast<char>(optopt)));
            const std::string Option = Given.substr(0, Given.find('='));
            // getopt_long takes an abbreviation that fits one option only.
            std::string Fitting;
            for (const TOptionRow& R : kOptions)
                if (R.Long && Option.size() > 2 && std::string("--") .append(R.Long).rfind(Option, 0) == 0)
                    Fitting += (Fitting.empty() ? "" : ", ") + std::string("--") + R.Long;
            if (Fitting.find(',') != std::string::npos)
                throw EUsageError("option " + Option + " is ambiguous (" + Fitting + ")");
            throw EUsageError("unknown option " + Option);
        }
        }
    }
    for (int I = optind; I < Argc; ++I)
        Options.Videos.emplace_back(Argv[I]);

    if (Options.Kind == TJobKind::Thumbnails && Options.Mode == TThumbMode::Range) {
        if (FromGiven && !ToGiven)
            Options.RangeEnd = TThumbsOptions::kToTheEnd;
        else if (Options.RangeEnd < Options.RangeStart ||
                 (Options.RangeEndExact >= 0 &&
                  Options.RangeEndExact < std::max(Options.RangeStartExact, Options.RangeStart * 1000000)))
            throw EUsageError("the end of the range lies before its start");
    }
    if (SizeGiven && Options.Fit)
        throw EUsageError("choose one of --size and --fit");
    if (Options.Kind == TJobKind::Preview) {
        if (OutputGiven)
            throw EUsageError("--thumbnail takes SIZE INPUT OUTPUT and nothing else but --quiet");
        if (Options.Videos.size() != 2 && !Options.Help && !Options.Version)
            throw EUsageError("--thumbnail needs a size, one video and one output file");
        if (Options.Videos.size() == 2) {
            Options.PreviewFile = Options.Videos.back();
            Options.Videos = {LocalPath(Options.Videos.front())};
        }
        // A file manager reads the picture, not the talk.
        Options.Verbosity = TVerbosity::Quiet;
    }
    if (Options.Kind == TJobKind::Sheet) {
        // Tiles too narrow for the grid are refused here, not once per video: a very wide
        // shape leaves only the width to check.
        constexpr double kWidestShape = 100;
        try {
            LayOutSheet(Options.SheetColumns, Options.SheetRows, Options.SheetWidth, kWidestShape, 0);
        } catch (const std::exception& E) {
            throw EUsageError(E.what());
        }
    }
    if (Options.Kind == TJobKind::Frames &&
        (Options.Width || Options.Height || Options.Digits || Options.Clean || Options.NamesByTime ||
         Options.Format != "jpg" || QualityGiven))
        throw EUsageError("--at writes the frames as they are (PNG at the display size); --size, --fit, "
                          "--format, --quality, --digits, --names and --clean apply to thumbnails");
    if (SheetWidthGiven && Options.Kind != TJobKind::Sheet)
        throw EUsageError("--sheet-width applies to --sheet");
    if (Options.Kind == TJobKind::Sheet &&
        (Options.Width || Options.Height || Options.Digits || Options.Clean || Options.NamesByTime))
        throw EUsageError("--size, --fit, --digits, --names and --clean apply to thumbnails; a sheet takes "
                          "--sheet-width");
    if (Options.Digits && Options.NamesByTime)
        throw EUsageError("--digits pads ordinals; files named by time (--names time) have none");
    if (Options.Smart && Options.Kind != TJobKind::Sheet &&
        (Options.Kind != TJobKind::Thumbnails || Options.Mode != TThumbMode::Pieces))
        throw EUsageError("--smart applies to --pieces and --sheet");
    if (QualityGiven && Options.Format == "png")
        throw EUsageError("--quality applies to jpg and webp; png is lossless");
    if (Options.Videos.empty() && !Options.Help && !Options.Version)
        throw EUsageError("no video given");
    return Options;
}
