// TEngineThread is the common ground of the engine's workers, the play thread and the
// generation jobs: the report callback FOnEvent, the flags FEvents of the report being
// sent, the synchronous report itself, and the one place where a failure of the work
// becomes the worker's last report.
//
// The owner binds FOnEvent before Resume and clears it, on the main thread, before it
// stops the worker. The worker looks at a flag that mirrors the binding (so it never
// reads the callback while the main thread may clear it); DoEvent looks at the callback
// itself again on the main thread, so a report handed off just before the stop reaches
// nobody.
#pragma once

#include "engineevents.h"
#include "thread.h"

#include <atomic>
#include <string>

class TEngineThread : public TThread {
public:
    // Main thread, before Resume.
    void SetOnEvent(TEngineEventProc OnEvent) {
        FOnEvent = std::move(OnEvent);
        FHasOnEvent.store(static_cast<bool>(FOnEvent), std::memory_order_release);
    }
    // Main thread: no report reaches anybody from now on.
    void ClearOnEvent() {
        FHasOnEvent.store(false, std::memory_order_release);
        FOnEvent = nullptr;
    }

    // Read by the receiver of the failure report: why the work failed.
    std::string ErrorMessage;

protected:
    // ErrorEvents: the flags of the report that ends a failed work; ReportData: what every
    // report carries besides its flags (null for nothing).
    explicit TEngineThread(TEngineEvents ErrorEvents, void* ReportData = nullptr)
        : FErrorEvents(ErrorEvents), FReportData(ReportData) {}

    // The worker's work. Whatever it throws ends it with ErrorMessage set to the reason and
    // one report of the error flags; a receiver that fails on that report cannot take the
    // thread down with it.
    virtual void Work() = 0;

    // Worker: hands DoEvent with FEvents to the main thread and waits until it has run
    // there. An exception raised by the receiver is raised again here.
    void Report() {
        if (FHasOnEvent.load(std::memory_order_acquire))
            Synchronize([this] { DoEvent(FReportData); });
    }

    TEngineEvents FEvents = 0;

private:
    void Execute() final;

    void DoEvent(void* Data) {
        if (FOnEvent)
            FOnEvent(FEvents, Data);
    }

    const TEngineEvents FErrorEvents;
    void* const FReportData;
    TEngineEventProc FOnEvent;
    std::atomic<bool> FHasOnEvent{false};
};
