// Why a job wrote fewer thumbnails than asked, in words a user can act on: a pieces job
// on a video shorter than its number of pieces, a range reaching past the end, a video
// that gave nothing.
#pragma once

#include "options.h"

#include <cstdint>
#include <string>

// Options: what was asked; Duration: the video's length in whole seconds; Planned: the
// number the job planned (its Total); Written: the files written. "" when nothing is
// missing worth a word (whole mode plans only an estimate, and a range to the end takes
// what there is).
std::string ExplainShortfall(const TThumbsOptions& Options, int32_t Duration, int64_t Planned,
                             int64_t Written);
