// TGenerationJob is the common ground of the jobs that make pictures from the open video on a
// worker thread: the thumbnail job (TConvertThread) and the contact sheet job (TSheetThread).
// Their owners (the play manager, the command-line tool) drive either one the same way: create
// it suspended, fill its record, bind the report callback, resume it, read Progress() and FRate
// in the reports, and free it to stop it.
//
// A job's work is Work. Whatever it throws ends the job with [evConvError, evConvStopped]
// and ErrorMessage set to the reason (TEngineThread); every report carries the progress.
#pragma once

#include "engine/decoder.h"
#include "engine/enginethread.h"

#include <cstdint>
#include <string>

// The progress of a job, passed by address with every report.
struct TConvertProgress {
    int64_t Total = 0;    // pictures planned (thumbnails, or a sheet's tiles)
    int64_t Current = -1; // ordinal of the picture done last; Current + 1 are done
};

// While a job runs, the decoder delivers its frames at the size the job makes its pictures
// at, reduced by the library before they are converted, from the job's first seek on;
// afterwards at the video's own size again, rewound, before the job's last report hands the
// decoder back. Nothing changes where the library cannot deliver a size, or the size keeps
// more than a quarter of the video's pixels.
class TFrameSizeRequest {
public:
    TFrameSizeRequest(TDecoder& Decoder, int32_t Width, int32_t Height);
    ~TFrameSizeRequest();
    TFrameSizeRequest(const TFrameSizeRequest&) = delete;
    TFrameSizeRequest& operator=(const TFrameSizeRequest&) = delete;

private:
    TDecoder& FDecoder;
    bool FChanged = false;
};

class TGenerationJob : public TEngineThread {
public:
    // Read by the receiver of a report: pictures per second, updated about once a second.
    double FRate = 0;
    const TConvertProgress& Progress() const { return FProgress; }

protected:
    TGenerationJob() : TEngineThread(evConvError | evConvStopped, &FProgress) {}

    TConvertProgress FProgress;
};
