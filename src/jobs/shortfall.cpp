#include "shortfall.h"

#include "engine/rounding.h"

TWording ShortfallWording(const TConvertRec& Rec, bool ToTheEnd, int32_t Duration, double FPS,
                          int64_t Written, int64_t Repeats, int64_t Frames) {
    const bool Range = Rec.Range();
    ToTheEnd = ToTheEnd && Range;
    const std::string Length = std::to_string(Duration);
    if (Written == 0) {
        if (Range && Rec.StartPos >= Duration)
            return {TROVELLE_WORDING("TWording", "the range starts after the end of the %1 s video"),
                    {Length}};
        if (Range)
            return {TROVELLE_WORDING("TWording", "the video gave no frame in the range"), {}};
        return {TROVELLE_WORDING("TWording", "the video gave no frame"), {}};
    }
    // A range holds the frames of its time, as many as they are: only one that runs past the
    // video's end took fewer than it could have.
    if (Rec.Whole() || ToTheEnd || (Range && Rec.EndPos < Duration))
        return {};
    // What was asked, counted as the job plans it: the end mark's second included.
    const int64_t Planned =
        Range ? RoundToInt64(static_cast<long double>(Rec.EndPos - Rec.StartPos + 1) * FPS) : Rec.Pieces;
    if (Written >= Planned)
        return {};
    const std::string Asked = std::to_string(Planned);
    const std::string Wrote = std::to_string(Written);
    if (Range)
        return {
            TROVELLE_WORDING("TWording",
                             "%1 frames asked, %2 written: the range ends after the end of the %3 s video"),
            {Asked, Wrote, Length}};
    // Every piece found a frame, but some found one written already.
    if (Repeats > 0 && Written + Repeats >= Planned) {
        if (Frames > 0)
            return {TROVELLE_WORDING("TWording",
                                     "%1 pieces asked, %2 frames in the video: %3 different frames written, "
                                     "each once"),
                    {Asked, std::to_string(Frames), Wrote}};
        return {TROVELLE_WORDING("TWording", "%1 pieces asked, %2 different frames written: the other pieces "
                                             "fell on frames written already"),
                {Asked, Wrote}};
    }
    if (!Rec.SpreadPieces && Duration < Rec.Pieces)
        return {TROVELLE_WORDING("TWording",
                                 "%1 pieces asked, %2 written: the video is %3 s long and pieces are "
                                 "whole seconds apart"),
                {Asked, Wrote, Length}};
    return {TROVELLE_WORDING("TWording",
                             "%1 pieces asked, %2 written: the video gave no frame after the last one "
                             "written"),
            {Asked, Wrote}};
}

std::string ExplainShortfall(const TConvertRec& Rec, bool ToTheEnd, int32_t Duration, double FPS,
                             int64_t Written, int64_t Repeats, int64_t Frames) {
    return ShortfallWording(Rec, ToTheEnd, Duration, FPS, Written, Repeats, Frames).Text();
}
