#include "playthread.h"

#include <chrono>
#include <thread>

TPlayThread::TPlayThread(TDecoder* Decoder, TFrameSink* Panel)
    : TReportingThread(evPlayError | evPlayStopped), FDecoder(Decoder), FPanel(Panel) {}

TPlayThread::~TPlayThread() {
    // No report may reach the owner once it frees the thread, and Execute uses our
    // members: clear the callback, then stop and wait before they go.
    ClearOnEvent();
    Stop();
}

void TPlayThread::Work() {
    TRateMeter Meter(TRateMeter::Counter());
    while (!Terminated()) {
        FFrameStart = TRateMeter::Counter();
        const TDecoderFrame* Frame = FDecoder->NextFrame();
        if (!Frame) {
            Report(MakeReport(evPlayStopped | evPlayEnd));
            return;
        }
        FPanel->ShowFrame(Frame);
        // The rate is read here, before the report, rather than when pacing: from the moment
        // a report has returned until the next frame this thread touches neither the
        // decoder nor the panel, so the receiver may stop it from inside a report and use
        // the decoder at once.
        const double FramesPerSecond = FDecoder->FileInfo()->FPS;

        TEngineEvents Events = evPlayFrame;
        if (Meter.Frame(TRateMeter::Counter(), FRate))
            Events |= evPlayRate;
        Report(MakeReport(Events));

        // The frame's slot runs from the start of its decoding to the end of the sleep: a
        // frame that already took longer gets no sleep, and nothing is made up later.
        const double Spent = static_cast<double>(TRateMeter::Counter() - FFrameStart) / FFrequency;
        const double Period = FramesPerSecond > 0 ? 1.0 / FramesPerSecond : 0.0;
        if (const int SleepMs = PacingSleepMs(Period, Spent); SleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(SleepMs));
    }
}

TPlayReport TPlayThread::MakeReport(TEngineEvents Events) const {
    TPlayReport Report;
    Report.Events = Events;
    Report.Rate = FRate;
    return Report;
}
