// One still picture of a video, as the contact sheet (TSheetThread) and the file manager's
// preview (TPreviewThread) take it: the frame due at a moment, a nearly uniform one giving
// way to the next real picture within a look-ahead, and the finished picture written to
// a file in one piece.
#pragma once

#include "engine/decoder.h"
#include "framewalker.h"
#include "image/imagebuffer.h"
#include "image/imagewriter.h"
#include "sheetlayout.h"

#include <cstdint>
#include <functional>
#include <string>

class TOutputFolder;

// Reaches the instant Target names through Walker and hands its frame to Take. When it is
// nearly uniform, reads on up to Target.LookAhead frames and hands the first one that is not
// to Take as well; a blank frame stays only when nothing but blank frames follows. A video
// that ends before the instant its duration promises gives its last frame. Answers the time
// of the frame taken last, in microseconds. Raises Exception naming Path when no frame can be
// read at all. A frame handed to Take is valid only during the call.
int64_t TakeStill(TFrameWalker& Walker, TDecoder& Decoder, const TTileFrame& Target, const std::string& Path,
                  const std::function<void(const TDecoderFrame&)>& Take);

// The clearest frame near instant I of N of Decoder's video (TileFrame): the frame due there
// and those that follow it within ClearWindow are each scaled into Candidate (Wrapper is set to
// the frame's memory) and judged by Clearness; the clearest is copied into Target, which has
// Candidate's size. A video that ends before the instant gives its last frame. Answers the
// time of the frame kept. Raises Exception naming Path when no frame can be read at all.
int64_t TakeClearFrame(TFrameWalker& Walker, const TDecoder& Decoder, int32_t I, int32_t N,
                       const std::string& Path, TFastDIB& Wrapper, TFastDIB& Candidate, TFastDIB& Target);

// Scales Frame (of a video with Info's frame size) bilinearly into Target; Wrapper is set
// to the frame's memory, not a copy.
void ScaleFrame(const TDecoderFrame& Frame, const TDecoderFileInfo& Info, TFastDIB& Wrapper,
                TFastDIB& Target);

// Writes Frame (of a video with Info's frame size) at the video's display size (its frame
// size widened or heightened to the display aspect AspectRatio, never reduced) as the PNG
// file Name of Folder, whole or not at all. Raises Exception saying why it failed.
void SaveFrame(const TDecoderFrame& Frame, const TDecoderFileInfo& Info, double AspectRatio,
               const TOutputFolder& Folder, const std::string& Name);

// Writes Image (32-bit, top row first; turned upside down on the way) through Writer as
// File, whole or not at all (TFreeBitmap::SaveChecked). Format: the writer's format code,
// or kFifUnknown for the one File's extension names. InPlace: into File itself, for a caller
// that holds it open (the file manager's preview). Raises Exception saying why it failed.
void WritePicture(TFastDIB& Image, TFreeBitmap& Writer, const std::string& File, int Quality,
                  int Format = kFifUnknown, bool InPlace = false);
// The same as the file Name of Folder.
void WritePicture(TFastDIB& Image, TFreeBitmap& Writer, const TOutputFolder& Folder, const std::string& Name,
                  int Quality, int Format = kFifUnknown, bool InPlace = false);
