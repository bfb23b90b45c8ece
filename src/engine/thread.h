// TThread is the worker thread of the engine: the play thread and the convert thread derive from it
// and override Execute. A thread is created suspended, configured by its owner, started with Resume,
// and stopped by its owner (Stop, or destruction): the terminate flag is set and the owner waits for
// the end.
//
// Workers reach the main thread only through Synchronize, a synchronous hand-off: the call is queued,
// the main thread is woken, and the worker blocks until the main thread has run it. How the main
// thread is woken is up to a TMainThreadDispatcher: the GUI posts a Qt event (TQtDispatcher), the
// command-line tool and the tests serve the queue in a plain loop (TLoopDispatcher). Waiting for a
// worker on the main thread keeps serving hand-offs, so a worker blocked in a report can never
// deadlock its own stop.
//
// The queue is guarded by one mutex and one condition variable shared by all threads; it is the only
// lock of the thread class.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <thread>

// Wakes the main thread when a hand-off is waiting. Installed once, on the main thread.
class TMainThreadDispatcher {
public:
    virtual ~TMainThreadDispatcher() = default;
    // Called on a worker thread, with the hand-off lock held, when the queue turns non-empty: arrange
    // for TThread::ServeHandOffs to run on the main thread soon. Must not block and must not call back
    // into TThread.
    virtual void WakeMainThread() = 0;
};

class TThread {
public:
    virtual ~TThread(); // Stop()
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts a suspended thread; nothing after the first call. Execute is skipped when the thread was
    // told to terminate before it ran. The engine's workers report their own errors; an exception that
    // still escapes Execute ends the thread and is written to standard error, not lost.
    void Resume();
    void Terminate() { FTerminated.store(true, std::memory_order_release); }
    bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
    // Execute has returned (or thrown), or the thread was stopped before it ever ran.
    bool Finished() const { return FFinished.load(std::memory_order_acquire); }

    // Waits for the end of a resumed thread. On the main thread the pending hand-offs of all workers
    // are served meanwhile. Returns at once for a thread that was never resumed.
    void WaitFor();
    // Sets the terminate flag, keeps a never-resumed thread from ever running, and waits for the end.
    // A subclass whose Execute uses its own members calls this first in its destructor: by the time
    // ~TThread runs, those members are gone.
    void Stop();

    // Main thread: runs every hand-off that is waiting, and those queued meanwhile; returns how many.
    static int ServeHandOffs();
    // The dispatcher that wakes the main thread, or none (the main thread then serves the queue only
    // when it waits or loops). Called on the main thread; uninstall before destroying the dispatcher.
    static void SetMainThreadDispatcher(TMainThreadDispatcher* Dispatcher);
    // The thread that started the program (the one that runs main).
    static bool IsMainThread();

protected:
    TThread(); // suspended
    virtual void Execute() = 0;

    // Runs Method on the main thread and returns when it has run there. An exception thrown by Method
    // is raised again here. Called on the main thread, Method simply runs.
    void Synchronize(const std::function<void()>& Method);

private:
    void Run();

    std::thread FHandle;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    bool FStarted = false; // owner side only
};

// The main loop of a program without an event loop (the command-line tool, the tests): the main
// thread waits on the hand-off queue itself. Waking needs nothing more, since every change to the
// queue and every thread's end already signal the queue's condition variable.
class TLoopDispatcher : public TMainThreadDispatcher {
public:
    void WakeMainThread() override {}

    // Serves hand-offs until Done returns true. Done is asked at the start, after every hand-off and
    // whenever a thread ends, with the hand-off lock held: it may read flags and Finished(), but must
    // not call Synchronize or serve. Something Done depends on that changes otherwise is not noticed.
    static void ServeUntil(const std::function<bool()>& Done);
    // Waits up to Timeout for a hand-off or for a thread's end, then serves all hand-offs that are
    // waiting; returns how many ran. A thread that ended since the previous call (between a caller's
    // look at Finished() and this call) ends the wait at once, so a loop that asks Finished() between
    // calls sees a worker's end without waiting out the timeout.
    static int ProcessHandOffs(std::chrono::milliseconds Timeout);
};
