// The command line of trovelle-thumbs: what to take from which videos, at what size,
// into which folder.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that cannot be understood; the message says why.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TTakeMode { Pieces, Whole, Range };

struct TThumbsOptions {
    static constexpr int32_t kDefaultPieces = 12;

    TTakeMode Mode = TTakeMode::Pieces;
    int32_t Pieces = kDefaultPieces;
    int64_t RangeStart = 0; // seconds
    int64_t RangeEnd = 0;
    int32_t Width = 0; // 0: the video's width and the height that keeps its display shape
    int32_t Height = 0;
    std::string OutFolder; // empty: the default save folder
    std::vector<std::string> Videos;
    bool Help = false;
    bool Version = false;
};

// Parses the arguments after the program name; raises EUsageError.
TThumbsOptions ParseOptions(const std::vector<std::string>& Args);

// "75", "1:15" or "00:01:15" as seconds; raises EUsageError.
int64_t ParseSeconds(const std::string& Text);

extern const char* const kUsage;
