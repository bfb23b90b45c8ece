// The play thread: its pacing and rate arithmetic with given times, and playback of a
// real test video through the real decoder into a panel.
#include "engine/ratemeter.h"
#include "fixtures.h"
#include "gui/widgets/videopanel.h"
#include "playback/playthread.h"
#include "player_helpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kSecond = TRateMeter::kFrequency;

TEST(PlayThread, PacingSleepsTheRestOfTheFramePeriod) {
    struct TCase {
        double Period, Spent;
        int SleepMs;
    };
    const TCase Cases[] = {
        {0.04, 0.012, 28}, // 25 fps, 12 ms of work
        {0.04, 0.04, 0},   // took exactly its period
        {0.04, 0.055, 0},  // slower than real time: no sleep, nothing made up
        {0.0025, 0.0, 2},  // 2.5 ms: the half goes to the even neighbour
        {0.0035, 0.0, 4},  // 3.5 ms
        {1.0 / 29.97, 0.0, 33},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(PacingSleepMs(C.Period, C.Spent), C.SleepMs) << C.Period << " " << C.Spent;
}

TEST(PlayThread, RateIsMeasuredOverWindowsOfAtLeastOneSecond) {
    TRateMeter Meter(0);
    double Rate = 0;
    // 25 frames inside the first second: no measurement yet, the rate stays 0.
    for (int I = 1; I <= 25; ++I)
        ASSERT_FALSE(Meter.Frame(I * kSecond / 26, Rate));
    EXPECT_EQ(Rate, 0.0);
    // The 26th frame at 1.04 s closes the window: 26 frames in 1.04 s.
    ASSERT_TRUE(Meter.Frame(1040000000, Rate));
    EXPECT_DOUBLE_EQ(Rate, 25.0);
    // The next window opens there: 10 frames, the last at 1.04 + 2.0 s.
    for (int I = 1; I < 10; ++I)
        ASSERT_FALSE(Meter.Frame(1040000000 + I * kSecond / 10, Rate));
    ASSERT_TRUE(Meter.Frame(1040000000 + 2 * kSecond, Rate));
    EXPECT_DOUBLE_EQ(Rate, 5.0);
}

struct TReport {
    TEngineEvents Events;
    int Index;         // frame shown in the panel while the report was handled
    double Rate;       // the rate the report carried
    double After;      // seconds since Resume
    std::string Error; // the reason it carried
};

// A panel that the 320 x 240 test videos fill exactly, so that the frame identity can be
// read off the output surface.
class PlayThreadVideo : public ::testing::Test {
protected:
    void SetUp() override {
        Panel.resize(320, 240);
        Panel.InitVideo();
        Decoder.Open(Fixture("long_gop_25.mp4"));
        Panel.AspectRatio = Decoder.AspectRatio;
        Panel.SetFrameSize(Decoder.FrameWidth, Decoder.FrameHeight);
    }

    std::unique_ptr<TPlayThread> NewThread() {
        auto Thread = std::make_unique<TPlayThread>(&Decoder, &Panel);
        Thread->SetOnEvent([this](const TPlayReport& Report) {
            const double After =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
            Reports.push_back({Report.Events, ShownIdentity(Panel).Index, Report.Rate, After, Report.Error});
            if (OnReport)
                OnReport(Report.Events);
        });
        return Thread;
    }

    void Start(TPlayThread& Thread) {
        Started = std::chrono::steady_clock::now();
        Thread.Resume();
    }

    TSDLPanel Panel;
    TDecoder Decoder;
    std::vector<TReport> Reports;
    std::function<void(TEngineEvents)> OnReport;
    std::chrono::steady_clock::time_point Started;
};

// The last two seconds of the video: every frame drawn and reported in order, a rate
// after at least a second, then the end report and nothing more.
TEST_F(PlayThreadVideo, PlaysToTheEnd) {
    Decoder.Seek(118);
    auto Thread = NewThread();
    Start(*Thread);
    ASSERT_TRUE(ServeUntil([&] { return Thread->Finished(); }));
    Thread.reset();

    ASSERT_GE(Reports.size(), 2u);
    EXPECT_EQ(Reports.back().Events, evPlayStopped | evPlayEnd);
    Reports.pop_back();
    ASSERT_EQ(Reports.size(), 50u); // 118 s to 120 s at 25 fps
    bool Measured = false;
    for (size_t I = 0; I < Reports.size(); ++I) {
        const TReport& R = Reports[I];
        EXPECT_EQ(R.Index, 2950 + static_cast<int>(I));
        EXPECT_TRUE(R.Events == evPlayFrame || R.Events == (evPlayFrame | evPlayRate)) << R.Events;
        if (R.Events & evPlayRate) {
            // The first window cannot close before a second has passed.
            if (!Measured) {
                EXPECT_GE(R.After, 1.0);
            }
            Measured = true;
            EXPECT_GT(R.Rate, 0.0);
        } else if (!Measured) {
            EXPECT_EQ(R.Rate, 0.0);
        }
    }
    EXPECT_TRUE(Measured);
}

TEST_F(PlayThreadVideo, NoFrameLeftReportsTheEndAtOnce) {
    Decoder.Seek(118);
    while (Decoder.NextFrame()) {
    }
    auto Thread = NewThread();
    Start(*Thread);
    ASSERT_TRUE(ServeUntil([&] { return Thread->Finished(); }));
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Events, evPlayStopped | evPlayEnd);
}

// Freeing the thread stops it between frames; no report arrives after that, also none that
// was already waiting to be handled.
TEST_F(PlayThreadVideo, NothingArrivesAfterAStop) {
    auto Thread = NewThread();
    Start(*Thread);
    ASSERT_TRUE(ServeUntil([&] { return Reports.size() >= 3; }));
    // Not serving for a while lets the worker draw the next frame and block in its report:
    // the stop must drop that report.
    std::this_thread::sleep_for(200ms);
    const size_t Count = Reports.size();
    Thread.reset();
    ServeFor(300ms);
    EXPECT_EQ(Reports.size(), Count);
    for (size_t I = 0; I < Reports.size(); ++I)
        EXPECT_EQ(Reports[I].Index, static_cast<int>(I));
    // The stop came between frames: the decoder stands after the last frame reported, or
    // after the one drawn next whose report was dropped.
    const int Next = ReadIdentity(Decoder.NextFrame()->Pixels, 320, 240).Index;
    EXPECT_TRUE(Next == Reports.back().Index + 1 || Next == Reports.back().Index + 2) << Next;
}

// An exception raised while a report was handled ends the loop with the error report.
TEST_F(PlayThreadVideo, ReceiverFailureEndsWithTheErrorReport) {
    OnReport = [&](TEngineEvents Events) {
        if (Reports.size() == 3 && Events == evPlayFrame)
            throw std::runtime_error("no room for the picture");
    };
    auto Thread = NewThread();
    Start(*Thread);
    ASSERT_TRUE(ServeUntil([&] { return Thread->Finished(); }));
    ASSERT_EQ(Reports.size(), 4u);
    EXPECT_EQ(Reports.back().Events, evPlayError | evPlayStopped);
    EXPECT_EQ(Reports.back().Error, "no room for the picture");
    // Only the error report says why.
    for (size_t I = 0; I + 1 < Reports.size(); ++I)
        EXPECT_EQ(Reports[I].Error, "") << I;
}

// The same playback served by the Qt event loop, as in the program.
TEST_F(PlayThreadVideo, QtEventLoopServesTheReports) {
    Decoder.Seek(119);
    auto Thread = NewThread();
    Start(*Thread);
    ASSERT_TRUE(RunEventLoopUntil([&] { return Thread->Finished(); }));
    ASSERT_EQ(Reports.size(), 26u);
    EXPECT_EQ(Reports.front().Index, 2975);
    EXPECT_EQ(Reports.back().Events, evPlayStopped | evPlayEnd);
}

} // namespace
