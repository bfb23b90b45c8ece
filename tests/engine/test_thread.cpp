// The worker thread class: suspended start, the synchronous hand-off to the main thread (with the plain
// loop and with the Qt event loop), exceptions across the hand-off, and stopping a worker that is
// blocked in a hand-off.
#include "engine/qtdispatcher.h"
#include "engine/thread.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

class TTestThread : public TThread {
public:
    explicit TTestThread(std::function<void(TTestThread&)> Body) : FBody(std::move(Body)) {}
    ~TTestThread() override { Stop(); } // FBody is used by Execute: stop before it goes
    using TThread::Synchronize;

protected:
    void Execute() override { FBody(*this); }

private:
    std::function<void(TTestThread&)> FBody;
};

void ServeUntilFinished(const TThread& Thread) {
    TLoopDispatcher::ServeUntil([&] { return Thread.Finished(); });
}

TEST(Thread, RunsOnlyAfterResume) {
    std::atomic<int> Runs{0};
    {
        TTestThread Never([&](TTestThread&) { ++Runs; });
        std::this_thread::sleep_for(20ms);
    } // destroying a thread that was never resumed must neither hang nor run it
    EXPECT_EQ(Runs, 0);

    TTestThread Stopped([&](TTestThread&) { ++Runs; });
    Stopped.Stop();
    EXPECT_TRUE(Stopped.Finished());
    Stopped.Resume(); // too late: it was told to stop
    Stopped.WaitFor();
    EXPECT_EQ(Runs, 0);

    TTestThread Thread([&](TTestThread&) { ++Runs; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Runs, 0);
    EXPECT_FALSE(Thread.Finished());
    Thread.Resume();
    Thread.Resume();
    Thread.WaitFor();
    EXPECT_EQ(Runs, 1);
    EXPECT_TRUE(Thread.Finished());
    EXPECT_FALSE(Thread.Terminated());
}

TEST(Thread, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits) {
    const std::thread::id Main = std::this_thread::get_id();
    ASSERT_TRUE(TThread::IsMainThread());
    std::thread::id RanOn;
    int Value = 0;
    int SeenByWorker = -1;
    std::atomic<bool> WorkerReturned{false};
    bool ReturnedTooEarly = false;

    TTestThread Thread([&](TTestThread& Self) {
        Self.Synchronize([&] {
            std::this_thread::sleep_for(20ms); // a worker that did not wait would be past its call now
            ReturnedTooEarly = WorkerReturned;
            RanOn = std::this_thread::get_id();
            Value = 42;
        });
        SeenByWorker = Value;
        WorkerReturned = true;
    });
    Thread.Resume();
    ServeUntilFinished(Thread);
    Thread.WaitFor();

    EXPECT_EQ(RanOn, Main);
    EXPECT_FALSE(ReturnedTooEarly);
    EXPECT_EQ(SeenByWorker, 42);

    bool RanDirectly = false; // on the main thread itself there is nobody to hand off to
    Thread.Synchronize([&] { RanDirectly = std::this_thread::get_id() == Main; });
    EXPECT_TRUE(RanDirectly);
}

struct ERefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

TEST(Thread, ExceptionsOfTheHandOffAreRaisedAgainInTheWorker) {
    std::string Caught;
    bool WentOn = false;
    TTestThread Thread([&](TTestThread& Self) {
        try {
            Self.Synchronize([] { throw ERefused("no disk space"); });
        } catch (const ERefused& E) {
            Caught = E.what();
        }
        WentOn = true;
        Self.Synchronize([] { throw std::logic_error("escapes Execute"); });
    });
    testing::internal::CaptureStderr();
    Thread.Resume();
    ServeUntilFinished(Thread);
    Thread.WaitFor();
    const std::string Written = testing::internal::GetCapturedStderr();

    EXPECT_EQ(Caught, "no disk space");
    EXPECT_TRUE(WentOn);
    // What escaped Execute ended the thread and is said on standard error.
    EXPECT_TRUE(Thread.Finished());
    EXPECT_NE(Written.find("a worker thread ended on an unexpected error: escapes Execute"), std::string::npos)
        << Written;
}

TEST(Thread, WaitingServesTheWorkersHandOffs) {
    int Served = 0;
    TTestThread Thread([&](TTestThread& Self) {
        for (int i = 0; i < 5; ++i)
            Self.Synchronize([&] { ++Served; });
    });
    Thread.Resume();
    Thread.WaitFor(); // no loop of our own: the wait itself must serve all five
    EXPECT_EQ(Served, 5);
}

// A worker that reports without pause, stopped again and again at random points: mostly while it is
// blocked in a hand-off. Every hand-off that ran must have released its worker exactly once.
// A command-line loop polls with a long timeout between looks at Finished(): a worker's end must cut
// the wait short, whether it ends during the wait or just before it (after the look). With an
// hour's timeout, a missed end hangs the test.
TEST(Thread, ProcessingHandOffsWakesWhenAWorkerEnds) {
    TLoopDispatcher::ProcessHandOffs(0ms); // ends of earlier tests' threads are seen
    std::atomic<bool> Go{false};
    TTestThread During([&](TTestThread&) {
        while (!Go.load())
            std::this_thread::yield();
    });
    During.Resume();
    std::thread Release([&] {
        std::this_thread::sleep_for(20ms); // most likely while the main thread waits
        Go.store(true);
    });
    while (!During.Finished())
        TLoopDispatcher::ProcessHandOffs(1h);
    Release.join();

    TTestThread Before([](TTestThread&) {});
    Before.Resume();
    while (!Before.Finished())
        std::this_thread::yield();
    EXPECT_EQ(TLoopDispatcher::ProcessHandOffs(1h), 0);
}

TEST(Thread, StoppingAWorkerThatReportsNeverDeadlocks) {
    constexpr int kRounds = 400;
    for (int Round = 0; Round < kRounds; ++Round) {
        int Served = 0;
        std::atomic<int> Returned{0};
        std::atomic<bool> Reporting{false};
        {
            TTestThread Thread([&](TTestThread& Self) {
                while (!Self.Terminated()) {
                    Reporting = true;
                    Self.Synchronize([&] { ++Served; });
                    ++Returned;
                }
            });
            Thread.Resume();
            switch (Round % 4) {
            case 0: // stop at once, possibly before the worker ever looked at its flag
                break;
            case 1: // stop while it is (about to be) blocked in its first report
                while (!Reporting)
                    std::this_thread::yield();
                break;
            default:
                for (int i = 0; i < Round % 4; ++i)
                    TLoopDispatcher::ProcessHandOffs(5ms);
                break;
            }
        }
        ASSERT_EQ(Served, Returned) << "round " << Round;
    }
}

TEST(Thread, QtEventLoopServesHandOffs) {
    int Argc = 1;
    char Name[] = "test_engine_thread";
    char* Argv[] = {Name, nullptr};
    QCoreApplication App(Argc, Argv);
    TQtDispatcher Dispatcher;

    constexpr int kReports = 200;
    const std::thread::id Main = std::this_thread::get_id();
    int OnMain = 0;
    TTestThread Thread([&](TTestThread& Self) {
        for (int i = 0; i < kReports; ++i)
            Self.Synchronize([&] { OnMain += std::this_thread::get_id() == Main; });
        Self.Synchronize([] { QCoreApplication::quit(); });
    });
    QTimer::singleShot(60s, &App,
                       [] { QCoreApplication::exit(1); }); // a broken wake-up must not hang the suite
    Thread.Resume();
    EXPECT_EQ(App.exec(), 0);
    Thread.WaitFor();
    EXPECT_EQ(OnMain, kReports);
}

} // namespace
