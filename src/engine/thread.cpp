#include "thread.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

// One call waiting for the main thread. It lives on the stack of the worker that waits for it; the
// main thread sets Done as its last touch, under the lock, after which the worker may return.
struct THandOff {
    const std::function<void()>* Method;
    std::exception_ptr Error;
    bool Done = false;
};

struct TShared {
    std::mutex Lock;
    // Signalled on every change: a hand-off queued, a hand-off done, a thread finished. Workers wait
    // on it for their own hand-off, the main thread for work or for a thread's end.
    std::condition_variable Changed;
    std::deque<THandOff*> Queue;
    TMainThreadDispatcher* Dispatcher = nullptr;
    // Threads that have ended so far, and how many of those ProcessHandOffs has seen: a thread that
    // ends between two of its calls cuts the next wait short.
    std::uint64_t Ended = 0;
    std::uint64_t EndedSeen = 0;
};

// Never destroyed, so that a worker still running while the program exits finds it intact.
TShared& Shared() {
    static TShared* const S = new TShared;
    return *S;
}

// Dynamic initialisation runs on the thread that goes on to call main.
const std::thread::id MainThreadId = std::this_thread::get_id();

void RequireMainThread(const char* What) {
    if (!TThread::IsMainThread())
        throw std::logic_error(std::string(What) + " must be called on the main thread");
}

// Runs the waiting hand-offs one by one, without the lock, so that a hand-off may take as long as it
// likes (a modal dialog) and may queue or serve further hand-offs itself.
int ServeLocked(std::unique_lock<std::mutex>& Lock) {
    TShared& S = Shared();
    int Count = 0;
    while (!S.Queue.empty()) {
        THandOff* HandOff = S.Queue.front();
        S.Queue.pop_front();
        Lock.unlock();
        try {
            (*HandOff->Method)();
        } catch (...) {
            HandOff->Error = std::current_exception();
        }
        Lock.lock();
        HandOff->Done = true;
        ++Count;
        S.Changed.notify_all();
    }
    return Count;
}

} // namespace

TThread::TThread() = default;

TThread::~TThread() {
    Stop();
}

void TThread::Resume() {
    if (FStarted || Finished())
        return;
    FStarted = true;
    FHandle = std::thread([this] { Run(); });
}

void TThread::Run() {
    if (!Terminated()) {
        try {
            Execute();
        } catch (const std::exception& E) {
            std::fprintf(stderr, "%s: a worker thread ended on an unexpected error: %s\n",
                         program_invocation_short_name, E.what());
        } catch (...) {
            std::fprintf(stderr, "%s: a worker thread ended on an unexpected error\n",
                         program_invocation_short_name);
        }
    }
    TShared& S = Shared();
    std::lock_guard Lock(S.Lock);
    FFinished.store(true, std::memory_order_release);
    ++S.Ended;
    S.Changed.notify_all();
}

void TThread::WaitFor() {
    if (!FStarted)
        return;
    if (std::this_thread::get_id() == FHandle.get_id())
        throw std::logic_error("A thread cannot wait for its own end");
    if (IsMainThread()) {
        TShared& S = Shared();
        std::unique_lock Lock(S.Lock);
        for (;;) {
            ServeLocked(Lock);
            if (Finished())
                break;
            S.Changed.wait(Lock);
        }
    }
    if (FHandle.joinable())
        FHandle.join();
}

void TThread::Stop() {
    Terminate();
    if (FStarted) {
        WaitFor();
        return;
    }
    TShared& S = Shared();
    std::lock_guard Lock(S.Lock);
    FFinished.store(true, std::memory_order_release);
    S.Changed.notify_all();
}

void TThread::Synchronize(const std::function<void()>& Method) {
    if (IsMainThread()) {
        Method();
        return;
    }
    THandOff HandOff{&Method, nullptr, false};
    TShared& S = Shared();
    {
        std::unique_lock Lock(S.Lock);
        const bool WasEmpty = S.Queue.empty();
        S.Queue.push_back(&HandOff);
        S.Changed.notify_all();
        // One wake-up per batch: whoever serves the queue empties it.
        if (WasEmpty && S.Dispatcher) {
            try {
                S.Dispatcher->WakeMainThread();
            } catch (...) {
                S.Queue.erase(std::find(S.Queue.begin(), S.Queue.end(), &HandOff));
                throw;
            }
        }
        S.Changed.wait(Lock, [&] { return HandOff.Done; });
    }
    if (HandOff.Error)
        std::rethrow_exception(HandOff.Error);
}

int TThread::ServeHandOffs() {
    RequireMainThread("TThread::ServeHandOffs");
    std::unique_lock Lock(Shared().Lock);
    return ServeLocked(Lock);
}

void TThread::SetMainThreadDispatcher(TMainThreadDispatcher* Dispatcher) {
    RequireMainThread("TThread::SetMainThreadDispatcher");
    TShared& S = Shared();
    std::lock_guard Lock(S.Lock);
    S.Dispatcher = Dispatcher;
    // Hand-offs queued before it was installed were announced to nobody.
    if (Dispatcher && !S.Queue.empty())
        Dispatcher->WakeMainThread();
}

bool TThread::IsMainThread() {
    return std::this_thread::get_id() == MainThreadId;
}

void TLoopDispatcher::ServeUntil(const std::function<bool()>& Done) {
    RequireMainThread("TLoopDispatcher::ServeUntil");
    TShared& S = Shared();
    std::unique_lock Lock(S.Lock);
    while (!Done()) {
        if (ServeLocked(Lock) == 0)
            S.Changed.wait(Lock);
    }
}

int TLoopDispatcher::ProcessHandOffs(std::chrono::milliseconds Timeout) {
    RequireMainThread("TLoopDispatcher::ProcessHandOffs");
    TShared& S = Shared();
    std::unique_lock Lock(S.Lock);
    S.Changed.wait_for(Lock, Timeout, [&] { return !S.Queue.empty() || S.Ended != S.EndedSeen; });
    S.EndedSeen = S.Ended;
    return ServeLocked(Lock);
}
