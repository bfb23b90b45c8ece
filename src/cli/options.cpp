#include "options.h"

#include <charconv>

const char* const kUsage =
    "Usage: trovelle-thumbs [options] VIDEO...\n"
    "Writes JPEG thumbnails of each VIDEO into a folder named after it.\n"
    "\n"
    "What to take (one of):\n"
    "  --pieces N            N frames evenly spaced over the video (default 12)\n"
    "  --whole               every frame\n"
    "  --range START END     every frame from START to END (seconds, or HH:MM:SS)\n"
    "\n"
    "  --size WxH            thumbnail size (default: the video's width and the height\n"
    "                        that keeps its display shape)\n"
    "  --out FOLDER          where the thumbnail folders go (default: your pictures folder)\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n"
    "Ctrl+C stops the running job after the current file.\n";

namespace {

// A whole decimal number that fills Text.
bool ParseInteger(const std::string& Text, int64_t& Value) {
    const char* End = Text.data() + Text.size();
    const auto [Ptr, Error] = std::from_chars(Text.data(), End, Value);
    return !Text.empty() && Error == std::errc() && Ptr == End;
}

int32_t ParsePositive(const std::string& Text, const std::string& What) {
    int64_t Value = 0;
    if (!ParseInteger(Text, Value) || Value <= 0 || Value > 100000)
        throw EUsageError(What + " must be a whole number from 1 to 100000, not '" + Text + "'");
    return static_cast<int32_t>(Value);
}

} // namespace

int64_t ParseSeconds(const std::string& Text) {
    int64_t Total = 0;
    int Fields = 0;
    size_t Start = 0;
    for (;;) {
        const size_t Colon = Text.find(':', Start);
        const std::string Field = Text.substr(Start, Colon == std::string::npos ? std::string::npos : Colon - Start);
        int64_t Value = 0;
        // Minutes and seconds after a colon stay below 60.
        if (!ParseInteger(Field, Value) || Value < 0 || (Fields > 0 && Value >= 60) || Value > 1000000000)
            throw EUsageError("'" + Text + "' is not a time (seconds, or HH:MM:SS)");
        Total = Total * 60 + Value;
        if (++Fields > 3)
            throw EUsageError("'" + Text + "' is not a time (seconds, or HH:MM:SS)");
        if (Colon == std::string::npos)
            return Total;
        Start = Colon + 1;
    }
}

TThumbsOptions ParseOptions(const std::vector<std::string>& Args) {
    TThumbsOptions Options;
    bool ModeGiven = false;
    const auto SetMode = [&](TTakeMode Mode) {
        if (ModeGiven && Options.Mode != Mode)
            throw EUsageError("choose one of --pieces, --whole and --range");
        ModeGiven = true;
        Options.Mode = Mode;
    };
    for (size_t I = 0; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        const auto Value = [&](const char* Option) -> const std::string& {
            if (I + 1 >= Args.size())
                throw EUsageError(std::string(Option) + " needs a value");
            return Args[++I];
        };
        if (Arg == "--help" || Arg == "-h") {
            Options.Help = true;
        } else if (Arg == "--version") {
            Options.Version = true;
        } else if (Arg == "--whole") {
            SetMode(TTakeMode::Whole);
        } else if (Arg == "--pieces") {
            SetMode(TTakeMode::Pieces);
            Options.Pieces = ParsePositive(Value("--pieces"), "--pieces");
        } else if (Arg == "--range") {
            SetMode(TTakeMode::Range);
            Options.RangeStart = ParseSeconds(Value("--range"));
            Options.RangeEnd = ParseSeconds(Value("--range"));
            if (Options.RangeEnd < Options.RangeStart)
                throw EUsageError("the end of --range lies before its start");
        } else if (Arg == "--size") {
            const std::string& Size = Value("--size");
            const size_t X = Size.find_first_of("xX");
            if (X == std::string::npos)
                throw EUsageError("--size takes WIDTHxHEIGHT, not '" + Size + "'");
            Options.Width = ParsePositive(Size.substr(0, X), "the thumbnail width");
            Options.Height = ParsePositive(Size.substr(X + 1), "the thumbnail height");
        } else if (Arg == "--out") {
            Options.OutFolder = Value("--out");
            if (Options.OutFolder.empty())
                throw EUsageError("--out needs a folder");
        } else if (Arg == "--") {
            Options.Videos.insert(Options.Videos.end(), Args.begin() + static_cast<long>(I) + 1, Args.end());
            break;
        } else if (Arg.size() > 1 && Arg[0] == '-') {
            throw EUsageError("unknown option " + Arg);
        } else {
            Options.Videos.push_back(Arg);
        }
    }
    if (Options.Videos.empty() && !Options.Help && !Options.Version)
        throw EUsageError("no video given");
    return Options;
}
