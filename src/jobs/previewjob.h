// TPreviewThread makes the one picture a file manager shows for a video: a frame from about
// a tenth into it (a nearly uniform one giving way to the next real picture up to five seconds on),
// fitted in its display shape into a Size x Size box, written as PNG to exactly the file
// asked for. It reads one stretch of the video after one seek, so a long film costs no more
// than a short clip. It is a generation job like the thumbnail and sheet jobs and behaves
// like them towards its owner (trovelle-thumbs --thumbnail): one picture counted, reported
// with [evConvStopped, evConvEnd] and then evConvDone with the file once it is written; a
// failure reports [evConvError, evConvStopped] with the reason, and writes nothing. The
// picture is written into the file asked for itself, not into a new file put in its place:
// the file manager made that file and reads it through the descriptor it holds.
#pragma once

#include "engine/decoder.h"
#include "generationjob.h"
#include "image/imagebuffer.h"
#include "image/imagewriter.h"
#include "jobrequest.h"

#include <cstdint>
#include <string>


struct TPreviewSize {
    int32_t Width = 0, Height = 0;
};

// The display shape AspectRatio (width / height) fitted into a Size x Size box: its longer
// side Size, the other at least 1.
TPreviewSize FitPreview(int32_t Size, double AspectRatio);


class TPreviewThread : public TGenerationJob {
public:
    // Suspended, for the decoder's open video.
    explicit TPreviewThread(TDecoder* Decoder);
    ~TPreviewThread() override;

    // The preview; set on the main thread before Resume.
    const TPreviewRec& Rec() const { return FRec; }
    void SetRec(const TPreviewRec& Rec) { FRec = Rec; }
    // The index of the frame shown, counted at the file's rate from the start, once done.
    int64_t Frame() const { return FFrameIndex; }

protected:
    void Work() override;

private:
    TPreviewRec FRec;
    TDecoder* FDecoder;
    TFastDIB FFrame; // the decoder's frame memory, not a copy
    TFastDIB FPicture;
    TFreeBitmap FWriter;
    int64_t FFrameIndex = -1;
};
