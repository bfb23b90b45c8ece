// The binding's length of a video: exact from a library that exports getDurationTime, whole
// seconds from one of the seven entry points alone.
#include "engine/decoder.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <string>

TEST(DecoderDuration, ExactWhereTheLibraryTellsItElseWholeSeconds) {
    struct TCase {
        const char* Video;
        int64_t Exact, Whole; // microseconds
    };
    const TCase Cases[] = {
        {"short_1_52.mp4", 1'520'000, 1'000'000}, // 38 frames at 25 a second
        {"fps_12_5.mp4", 10'000'000, 10'000'000},
        {"one_frame.mp4", 40'000, 0},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Video);
        TDecoder Full;
        Full.Open(Fixture(C.Video));
        EXPECT_EQ(Full.DurationMicroseconds(), C.Exact);
        TDecoder Seven(std::string(TEST_BINDIR) + "/libdecoder_seven.so");
        Seven.Open(Fixture(C.Video));
        EXPECT_EQ(Seven.DurationMicroseconds(), C.Whole);
    }
}
