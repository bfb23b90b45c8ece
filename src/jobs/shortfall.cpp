#include "shortfall.h"

#include "engine/rounding.h"

namespace {

std::string Seconds(int64_t Value) {
    return std::to_string(Value) + " s";
}

} // namespace

std::string ExplainShortfall(const TConvertRec& Rec, bool ToTheEnd, int32_t Duration, double FPS,
                             int64_t Written) {
    const bool Range = Rec.Range();
    ToTheEnd = ToTheEnd && Range;
    if (Written == 0) {
        if (Range && Rec.StartPos >= Duration)
            return "the range starts after the end of the " + Seconds(Duration) + " video";
        return Range ? "the video gave no frame in the range" : "the video gave no frame";
    }
    // A range holds the frames of its time, as many as they are: only one that runs past the
    // video's end took fewer than it could have.
    if (Rec.Whole() || ToTheEnd || (Range && Rec.EndPos < Duration))
        return "";
    // What was asked, counted as the job plans it: the end mark's second included.
    const int64_t Planned =
        Range ? RoundToInt64(static_cast<long double>(Rec.EndPos - Rec.StartPos + 1) * FPS) : Rec.Pieces;
    if (Written >= Planned)
        return "";
    const std::string Counts = std::to_string(Planned) + (Range ? " frames" : " pieces") + " asked, " +
                               std::to_string(Written) + " written: ";
    if (Range)
        return Counts + "the range ends after the end of the " + Seconds(Duration) + " video";
    if (!Rec.SpreadPieces && Duration < Rec.Pieces)
        return Counts + "the video is " + Seconds(Duration) + " long and pieces are whole seconds apart";
    return Counts + "the video gave no frame after the last one written";
}
