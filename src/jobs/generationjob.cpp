#include "generationjob.h"

#include "engine/exceptions.h"
#include "platform/platform.h"

TFrameSizeRequest::TFrameSizeRequest(TDecoder& Decoder, int32_t Width, int32_t Height) : FDecoder(Decoder) {
    const TDecoderFileInfo& Info = *Decoder.FileInfo();
    // Reducing in the planes pays wherever the picture gets smaller: only the small picture
    // is converted, and the planes hold fewer bytes than the converted picture (SD at
    // 400 x 225 takes a fifth less time than converting it whole and scaling it).
    if (int64_t{Info.FrameWidth} * Info.FrameHeight <= int64_t{Width} * Height)
        return;
    FChanged = Decoder.SetFrameSize(Width, Height);
}

TFrameSizeRequest::~TFrameSizeRequest() {
    if (!FChanged)
        return;
    // The player and the next job find the decoder as the open left it.
    FDecoder.SetFrameSize(0, 0);
    FDecoder.Rewind();
}

TJobReport TGenerationJob::MakeReport(TEngineEvents Events) const {
    TJobReport Report;
    Report.Events = Events;
    Report.Progress = FProgress;
    Report.Rate = FRate;
    return Report;
}

void OpenVideoOf(TDecoder& Decoder, const std::string& Path) {
    if (Path.empty() || Path == Decoder.FileName())
        return;
    try {
        Decoder.Open(Path);
    } catch (const EMPEG2Error& E) {
        throw EMPEG2Error(std::string(E.what()) + " (" + Decoder.WhyNotOpened(Path) + ")");
    }
}

void FailWhereCut(const TDecoder& Decoder) {
    if (const std::string Cut = Decoder.KnownCut(); !Cut.empty())
        throw Exception(Cut);
}

void TGenerationJob::ReportDone(const std::string& Output) {
    TJobReport Done = MakeReport(evConvDone);
    Done.Output = Output;
    Report(Done);
}

bool TGenerationJob::MeasureRate(TRateMeter& Meter) {
    return Meter.Frame(TRateMeter::Counter(), FRate);
}

TJobEnd RunToEnd(TGenerationJob& Job, const std::function<void(const TJobReport&)>& OnReport,
                 const std::function<bool()>& Stop) {
    TJobEnd End;
    Job.SetOnEvent([&](const TJobReport& Report) {
        End.Reports.push_back(Report.Events);
        if (End.Reports.size() == 1)
            End.First = Report.Progress;
        End.Last = Report.Progress;
        if (Report.Events & evConvError) {
            End.Failed = true;
            End.Error = Report.Error;
        }
        if (Report.Events & evConvDone)
            End.Output = Report.Output;
        if (OnReport)
            OnReport(Report);
    });
    Job.Resume();
    while (!Job.Finished()) {
        TLoopDispatcher::ProcessHandOffs(std::chrono::milliseconds(100));
        if (Stop && Stop())
            Job.Terminate();
    }
    Job.ClearOnEvent();
    return End;
}
