// Why a job wrote fewer thumbnails than asked, in words a user can act on: a pieces job
// on a video shorter than its number of pieces, a range reaching past the end, a video
// that gave nothing.
#pragma once

#include "options.h"

#include <cstdint>
#include <string>

// Options: what was asked; Duration and FPS: the video's length in whole seconds and its
// frame rate; Written: the files written. "" when nothing is missing worth a word (whole
// mode can only estimate its count, and a range to the end takes what there is).
std::string ExplainShortfall(const TThumbsOptions& Options, int32_t Duration, double FPS, int64_t Written);
