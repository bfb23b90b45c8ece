// TSheetThread makes a contact sheet on a worker thread: one picture of Columns x Rows evenly
// spaced frames of the open video, each with its time, under a header that names the file and
// its properties. It is the thumbnail job's sibling and behaves like it towards its owner: the
// owner creates it suspended, gives it its record, binds the report callback, resumes it, and
// frees it to stop it; it reports synchronously after every tile (evConvFrame, the progress
// counting tiles), checks for a stop before every tile, and a failure ends it with
// [evConvError, evConvStopped] and a readable reason naming the path and the system's.
//
// A frame is shown once: a tile whose instant finds a frame already on the sheet is left out
// (counted in the progress's Repeats), the frames fill the places in order, and rows no frame
// reached are cut off the sheet, so a clip of fewer frames than tiles gives a shorter sheet
// of its different frames. Current counts the tiles shown.
//
// After the last tile the sheet is written as <save folder><name>_sheet.<format>, and the job
// reports [evConvStopped, evConvEnd] and then evConvDone with the sheet's file. A stopped job
// writes nothing and reports evConvStopped alone.
#pragma once

#include "engine/decoder.h"
#include "engine/ratemeter.h"
#include "framewalker.h"
#include "generationjob.h"
#include "image/imagebuffer.h"
#include "image/imagewriter.h"
#include "jobrequest.h"
#include "sheetlayout.h"

#include <cstdint>
#include <string>
#include <vector>

class TSheetPainter;


// What one tile of a finished sheet shows.
struct TSheetTile {
    TSheetRect Where;  // on the sheet, top row 0
    int64_t Frame = 0; // the frame's index, counted at the file's rate from the start
    std::string Time;  // its label
};

class TSheetThread : public TGenerationJob {
public:
    // Suspended, for the decoder's open video.
    explicit TSheetThread(TDecoder* Decoder);
    ~TSheetThread() override;

    // The sheet; set on the main thread before Resume.
    const TSheetRec& Rec() const { return FRec; }
    void SetRec(const TSheetRec& Rec) { FRec = Rec; }
    // The tiles drawn so far; all of them once the job is done (fewer than the grid holds where
    // tiles found frames already shown).
    const std::vector<TSheetTile>& Tiles() const { return FTiles; }

protected:
    void Work() override;

private:
    // Takes every tile into the sheet; false when the job was stopped first.
    bool TakeTiles(const TSheetLayout& Layout, TSheetPainter& Painter);
    // Decodes the frame that tile I of N shows (skipping a blank one) into FTile, and answers
    // the time of the frame taken, in microseconds.
    int64_t TakeTile(int32_t I, int32_t N);

    TSheetRec FRec;
    TDecoder* FDecoder;
    TFrameWalker FWalker; // the tiles' instants, one after another
    TFastDIB FFrame;      // the decoder's frame memory, not a copy
    TFastDIB FTile;
    TFastDIB FCandidate; // a frame judged for clearness, at the tile's size
    TFastDIB FSheet;
    TFreeBitmap FWriter;
    std::vector<TSheetTile> FTiles;
};
