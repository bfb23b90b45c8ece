// The frame walker on a video with keyframes 10 s apart: the first frame at or after each
// instant of a plan, in order, against it, within one second and across seconds; with a
// library that gives exact times and with one that gives whole seconds only.
#include "engine/decoder.h"
#include "fixtures.h"
#include "frame_identity.h"
#include "jobs/framewalker.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

int IdentityOf(const TDecoder& Decoder, const TDecoderFrame* Frame) {
    return ReadIdentity(Frame->Pixels, Decoder.FileInfo()->FrameWidth, Decoder.FileInfo()->FrameHeight).Index;
}

class FrameWalker : public testing::TestWithParam<const char*> {};

TEST_P(FrameWalker, GivesTheFirstFrameAtOrAfterEachInstant) {
    TDecoder Decoder(std::string(TEST_BINDIR) + "/" + GetParam());
    Decoder.Open(Fixture("long_gop_25.mp4")); // 25 frames a second, 120 s
    TFrameWalker Walker(Decoder);
    // Dense and in order (as a sheet's tiles), the same instant again, back within a
    // second, back across a keyframe, far ahead, and past the end.
    const int64_t Plan[] = {150000,  300000,   450000,   600000,  1000000,  1000000,  1030000,
                            1010000, 12345678, 12345678, 3000000, 59990000, 60000000, 119960000};
    for (int64_t Micros : Plan) {
        const TDecoderFrame* Frame = Walker.FrameAt(Micros);
        ASSERT_NE(Frame, nullptr) << Micros;
        const int Expected = static_cast<int>(std::ceil(Micros * 25 / 1e6 - 1e-9));
        EXPECT_EQ(IdentityOf(Decoder, Frame), Expected) << Micros;
        EXPECT_EQ(Walker.Time(), int64_t{Expected} * 40000) << Micros;
    }
    // Reading on after an instant gives the frames that follow.
    ASSERT_NE(Walker.FrameAt(70000000), nullptr);
    const TDecoderFrame* Next = Walker.Next();
    ASSERT_NE(Next, nullptr);
    EXPECT_EQ(IdentityOf(Decoder, Next), 1751);
    EXPECT_EQ(Walker.FrameAt(120000000), nullptr);
    const TDecoderFrame* Last = Walker.Last();
    ASSERT_NE(Last, nullptr);
    EXPECT_EQ(IdentityOf(Decoder, Last), 2999);
    EXPECT_EQ(Walker.Time(), 119960000);
}

INSTANTIATE_TEST_SUITE_P(Libraries, FrameWalker, testing::Values("libdecoder.so", "libdecoder_seven.so"),
                         [](const auto& Info) { return TestNameOf(Info.param); });

} // namespace
