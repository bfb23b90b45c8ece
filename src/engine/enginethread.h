// TEngineThread is the common ground of the engine's two workers, the play thread and
// the convert thread: the report callback FOnEvent, the flags FEvents of the report being
// sent, and the synchronous report itself.
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

protected:
    // Worker: hands DoEvent with FEvents and Data to the main thread and waits until it has
    // run there. An exception raised by the receiver is raised again here.
    void Report(void* Data = nullptr) {
        if (FHasOnEvent.load(std::memory_order_acquire))
            Synchronize([this, Data] { DoEvent(Data); });
    }

    TEngineEvents FEvents = 0;

private:
    void DoEvent(void* Data) {
        if (FOnEvent)
            FOnEvent(FEvents, Data);
    }

    TEngineEventProc FOnEvent;
    std::atomic<bool> FHasOnEvent{false};
};
