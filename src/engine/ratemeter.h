// TRateMeter measures how many frames per second a worker actually achieves, over
// windows of at least one second of the steady clock. The play thread measures shown
// frames with it, the convert thread written thumbnails.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>

class TRateMeter {
public:
    // The steady clock's ticks per second: it counts nanoseconds.
    static constexpr int64_t kFrequency = 1000000000;

    static int64_t Counter() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // Opens the first window at Now.
    explicit TRateMeter(int64_t Now) : FWindowStart(Now) {}

    // Counts one frame done at Now. When the window has lasted 1.0 s or more, sets Rate to
    // its frames per second, opens the next window and answers true.
    bool Frame(int64_t Now, double& Rate) {
        ++FCount;
        const double Elapsed = static_cast<double>(Now - FWindowStart) / kFrequency;
        if (Elapsed < 1.0)
            return false;
        Rate = FCount / Elapsed;
        FCount = 0;
        FWindowStart = Now;
        return true;
    }

private:
    int64_t FWindowStart;
    int64_t FCount = 0;
};

// How long to sleep after a frame so that frames follow each other Period seconds
// apart, given the Spent seconds the frame's work took: whole milliseconds, an exact half
// going to the even neighbour; 0 when the frame already took its period or longer.
inline int PacingSleepMs(double Period, double Spent) {
    if (!(Period > Spent))
        return 0;
    return static_cast<int>(std::nearbyint((Period - Spent) * 1000.0));
}
