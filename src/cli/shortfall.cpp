#include "shortfall.h"

#include "rounding.h"

namespace {

std::string Seconds(int64_t Value) {
    return std::to_string(Value) + " s";
}

} // namespace

std::string ExplainShortfall(const TThumbsOptions& Options, int32_t Duration, double FPS, int64_t Written) {
    const bool Range = Options.Mode == TTakeMode::Range;
    const bool ToTheEnd = Range && Options.RangeEnd == TThumbsOptions::kToTheEnd;
    if (Written == 0) {
        if (Range && Options.RangeStart >= Duration)
            return "the range starts after the end of the " + Seconds(Duration) + " video";
        return Range ? "the video gave no frame in the range" : "the video gave no frame";
    }
    // A range holds the frames of its time, as many as they are: only one that runs past the
    // video's end took fewer than it could have.
    if (Options.Mode == TTakeMode::Whole || ToTheEnd || (Range && Options.RangeEnd < Duration))
        return "";
    // What was asked, counted as the job plans it: the end mark's second included.
    const int64_t Planned =
        Range ? RoundToInt64(static_cast<long double>(Options.RangeEnd - Options.RangeStart + 1) * FPS)
              : Options.Pieces;
    if (Written >= Planned)
        return "";
    const std::string Counts = std::to_string(Planned) + (Range ? " frames" : " pieces") + " asked, " +
                               std::to_string(Written) + " written: ";
    if (Range)
        return Counts + "the range ends after the end of the " + Seconds(Duration) + " video";
    return Counts + "the video gave no frame after the last one written";
}
