// TGenerationJob is the common ground of the jobs that make pictures from the open video on a
// worker thread: the thumbnail job (TConvertThread) and the contact sheet job (TSheetThread).
// Their owners (the play manager, the command-line tool) drive either one the same way: create
// it suspended, fill its record, bind the report callback, resume it, read Progress() and FRate
// in the reports, and free it to stop it.
//
// A job's work is RunJob. Whatever it throws ends the job with [evConvError, evConvStopped]
// and ErrorMessage set to the reason; a receiver that fails on that report cannot take the job
// down with it.
#pragma once

#include "enginethread.h"

#include <cstdint>
#include <string>

// The progress of a job, passed by address with every report.
struct TConvertProgress {
    int64_t Total = 0;    // pictures planned (thumbnails, or a sheet's tiles)
    int64_t Current = -1; // ordinal of the picture done last; Current + 1 are done
};

class TGenerationJob : public TEngineThread {
public:
    // Read by the receiver of a report: pictures per second, updated about once a second, and
    // the reason of a failed job.
    double FRate = 0;
    std::string ErrorMessage;
    const TConvertProgress& Progress() const { return FProgress; }

protected:
    void Execute() final;
    virtual void RunJob() = 0;
    void Report() { TEngineThread::Report(&FProgress); }

    TConvertProgress FProgress;
};
