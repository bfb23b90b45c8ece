// Why a thumbnail job wrote fewer files than asked, in words a user can act on: a pieces job
// on a video shorter than its number of pieces or with fewer frames than pieces, a range
// reaching past the end, a video that gave nothing. The command-line tool prints it after a job; the window
// shows it in the completion dialog. One rule for both, so that they never tell the same job apart.
#pragma once

#include "jobrequest.h"
#include "wording.h"

#include <cstdint>
#include <string>

// Rec: the job as it was asked (ToTheEnd: its range was asked to run to the end of the video,
// however long that is); Duration and FPS: the video's length in whole seconds and its frame
// rate; Written: the files written; Repeats: the pieces left out because their frame was
// written already (TConvertProgress::Repeats); Frames: the video's frames where the file
// counts them (TDecoderFileInfo::FrameCount), else 0. "" when nothing is missing worth a word
// (whole mode can only estimate its count, and a range to the end takes what there is).
std::string ExplainShortfall(const TConvertRec& Rec, bool ToTheEnd, int32_t Duration, double FPS,
                             int64_t Written, int64_t Repeats = 0, int64_t Frames = 0);
// The same, as a wording the window shows in the user's language; Empty where "" above.
TWording ShortfallWording(const TConvertRec& Rec, bool ToTheEnd, int32_t Duration, double FPS,
                          int64_t Written, int64_t Repeats = 0, int64_t Frames = 0);
