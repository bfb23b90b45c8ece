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
