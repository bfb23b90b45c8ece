// TGenerationJob is the common ground of the jobs that make pictures from the open video on a
// worker thread: the thumbnail job (TConvertThread), the contact sheet job (TSheetThread) and
// the file manager's preview (TPreviewThread). Their owners (the play manager, the
// command-line tool) drive each one the same way: create it suspended, give it its record,
// bind the report callback, resume it, read the TJobReport of every report, and free it to
// stop it.
//
// A job's work is Work. Whatever it throws ends the job with [evConvError, evConvStopped]
// and the reason in the report's Error (TEngineThread); every report carries the progress
// and the rate, and the last one of a job that did not fail, evConvDone, what it wrote.
#pragma once

#include "engine/decoder.h"
#include "engine/enginethread.h"
#include "engine/ratemeter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The progress of a job.
struct TConvertProgress {
    int64_t Total = 0;    // pictures planned (thumbnails, or a sheet's tiles)
    int64_t Current = -1; // ordinal of the picture done last; Current + 1 are done
    // Pieces (or tiles) not made because their frame was made already: a frame is never
    // written twice, so these are left out of the count.
    int64_t Repeats = 0;
};

// What a job reports.
struct TJobReport : TEngineReport {
    TConvertProgress Progress;
    double Rate = 0; // pictures per second, measured about once a second (0 before)
    // With evConvDone: the path the job wrote, the thumbnails' folder or the picture's file.
    std::string Output;
};

// While a job runs, the decoder delivers its frames at the size the job makes its pictures
// at, reduced by the library before they are converted, from the job's first seek on;
// afterwards at the video's own size again, rewound, before the job's last report hands the
// decoder back. Nothing changes where the library cannot deliver a size, or the picture does
// not get smaller.
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

// Opens Path in Decoder where it has another video open (or none): a job takes the video its
// request names. An empty Path keeps the open video. Raises EMPEG2Error with the reason when
// the video cannot be opened.
void OpenVideoOf(TDecoder& Decoder, const std::string& Path);

// Raises Exception with the library's reason where Decoder's video is known to hold less than
// its container states: a job that took its frames before the missing part ends failed all the
// same, so that a video cut short never passes as whole (its files stay).
void FailWhereCut(const TDecoder& Decoder);

class TGenerationJob : public TReportingThread<TJobReport> {
public:
    // The progress and the rate as they stand: for the receiver of a report, or for the owner
    // once the job has ended.
    const TConvertProgress& Progress() const { return FProgress; }
    double Rate() const { return FRate; }

protected:
    TGenerationJob() : TReportingThread(evConvError | evConvStopped) {}

    TJobReport MakeReport(TEngineEvents Events) const override;
    // Worker: reports Events with the progress and the rate.
    void ReportProgress(TEngineEvents Events) { Report(MakeReport(Events)); }
    // Worker: the job's last report, evConvDone with Output, the path it wrote.
    void ReportDone(const std::string& Output);
    // Worker: counts one picture done now on Meter; true when that measured a new rate.
    bool MeasureRate(TRateMeter& Meter);

    TConvertProgress FProgress;

private:
    double FRate = 0;
};

// How a job ended, as its reports said: their events in order, the first and the last progress,
// why it failed, and what it wrote when it was done.
struct TJobEnd {
    std::vector<TEngineEvents> Reports;
    TConvertProgress First;
    TConvertProgress Last;
    bool Failed = false;
    std::string Error;
    std::string Output;
};

// Runs Job (suspended, its request set) to its end on this thread, as trovelle-thumbs, the tests
// and the benchmarks do without an event loop: resumes it and serves its reports here
// (TLoopDispatcher) until it has finished. Each report is also handed to OnReport, which may
// stop the job; Stop, asked between reports, stops it when it answers true.
TJobEnd RunToEnd(TGenerationJob& Job, const std::function<void(const TJobReport&)>& OnReport = {},
                 const std::function<bool()>& Stop = {});
