// TEngineThread is the common ground of the engine's workers, the play thread and the
// generation jobs: the one place where a failure of the work becomes the worker's last
// report. TReportingThread<TReport> adds the report callback FOnEvent, which receives the
// worker's own report type, and the synchronous report itself.
//
// The owner binds FOnEvent before Resume and clears it, on the main thread, before it
// stops the worker. The worker looks at a flag that mirrors the binding (so it never
// reads the callback while the main thread may clear it); the hand-off looks at the
// callback itself again on the main thread, so a report handed off just before the stop
// reaches nobody.
#pragma once

#include "engineevents.h"
#include "thread.h"

#include <atomic>
#include <functional>
#include <string>

class TEngineThread : public TThread {
public:
    // Main thread: no report reaches anybody from now on.
    virtual void ClearOnEvent() = 0;

protected:
    // ErrorEvents: the flags of the report that ends a failed work.
    explicit TEngineThread(TEngineEvents ErrorEvents) : FErrorEvents(ErrorEvents) {}

    // The worker's work. Whatever it throws ends it with one report of the error flags that
    // carries the reason; a receiver that fails on that report cannot take the thread down
    // with it.
    virtual void Work() = 0;
    // Worker: the report of Events, the error flags, with Reason.
    virtual void ReportFailure(TEngineEvents Events, const std::string& Reason) = 0;

private:
    void Execute() final;

    const TEngineEvents FErrorEvents;
};

// TReport: the worker's report, a TEngineReport with what the worker adds.
template <class TReport> class TReportingThread : public TEngineThread {
public:
    using TOnEvent = std::function<void(const TReport& Report)>;

    // Main thread, before Resume.
    void SetOnEvent(TOnEvent OnEvent) {
        FOnEvent = std::move(OnEvent);
        FHasOnEvent.store(static_cast<bool>(FOnEvent), std::memory_order_release);
    }
    void ClearOnEvent() final {
        FHasOnEvent.store(false, std::memory_order_release);
        FOnEvent = nullptr;
    }

protected:
    using TEngineThread::TEngineThread;

    // Worker: hands Sent to the main thread and waits until the receiver has run there. An
    // exception raised by the receiver is raised again here.
    void Report(const TReport& Sent) {
        if (FHasOnEvent.load(std::memory_order_acquire))
            Synchronize([this, &Sent] {
                if (FOnEvent)
                    FOnEvent(Sent);
            });
    }
    // Worker: the report of Events with the worker's state as it stands.
    virtual TReport MakeReport(TEngineEvents Events) const = 0;

private:
    void ReportFailure(TEngineEvents Events, const std::string& Reason) final {
        TReport Failure = MakeReport(Events);
        Failure.Error = Reason;
        Report(Failure);
    }

    TOnEvent FOnEvent;
    std::atomic<bool> FHasOnEvent{false};
};
