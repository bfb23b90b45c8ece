// libdecoder.so on the codec x container matrix: for each kind of video people have, made by
// the encoder that usually makes it, the frames it delivers (every one in order, the first,
// and those after seeks forward, backward and to the last second) are the frames of ffmpeg's
// own sequential decoding of the file, told apart by the identity drawn into each, and the
// frame count, times and duration agree with it (an AVI's times, which ffprobe takes from the
// order of its packets, with the identity); the last frame lies where its identity places it;
// seeks back one frame at a time give each frame.
#include "engine/decoder.h"
#include "fixtures.h"
#include "frame_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

namespace {

struct TReferenceFrame {
    int Index;            // the identity drawn into it
    int64_t Microseconds; // from the first frame
};

struct TReference {
    std::vector<TReferenceFrame> Frames;
    int64_t EndMicroseconds = 0; // the end of the last frame
    int StatedSeconds = -1;      // the container's own length, in whole seconds
    // The frames' rate: the one the source drew them at, or the one an AVI states for them.
    int64_t RateNum = 25, RateDen = 1;
    // From the first frame to the frame of identity Index, at that rate.
    int64_t MicrosecondsTo(int Index) const {
        return (Index - Frames.front().Index) * 1000000 * RateDen / RateNum;
    }
};

// The rate the matrix videos are drawn at.
constexpr int kSourceRate = 25;

// Whether the file stores only the decoding order (AVI): ffprobe's times for its pictures are
// those of the packets the decoder gives them out with, a frame or more off where Xvid packs
// B-frames.
bool StoresDecodingOrderOnly(const std::string& Path) {
    return Path.size() > 4 && Path.compare(Path.size() - 4, 4, ".avi") == 0;
}

// ffmpeg's decoding of the whole file, frame by frame, with each frame's time and length as
// ffprobe gives them; no frames when the two disagree on the count. A time that does not
// follow on from the one before (ffprobe's guess for the last pictures of an AVI, which
// stores no times) is taken one frame step after it. An AVI's frames take their times from
// their identity, at the rate the AVI states.
TReference DecodeWithFfmpeg(const std::string& Path, int Width, int Height) {
    const std::string Pixels = RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(Path) +
                                          " -fps_mode passthrough -f rawvideo -pix_fmt gray -");
    std::istringstream Times(RunCommand("ffprobe -v error -select_streams v:0 -show_entries "
                                        "frame=best_effort_timestamp_time,pkt_duration_time -of csv=p=0 " +
                                        ShellQuote(Path)));
    const size_t FrameBytes = static_cast<size_t>(Width) * Height;
    TReference Reference;
    std::vector<TReferenceFrame>& Frames = Reference.Frames;
    double First = 0;
    int64_t Length = 0;
    for (std::string Line; std::getline(Times, Line);) {
        if (Line.empty())
            continue;
        const size_t N = Frames.size();
        if ((N + 1) * FrameBytes > Pixels.size())
            return {};
        const double Seconds = std::atof(Line.c_str());
        const size_t Comma = Line.find(',');
        const double Duration = Comma == std::string::npos ? 0 : std::atof(Line.c_str() + Comma + 1);
        if (N == 0)
            First = Seconds;
        int64_t Micros = std::llround((Seconds - First) * 1e6);
        if (N >= 2 && Micros <= Frames[N - 1].Microseconds)
            Micros = 2 * Frames[N - 1].Microseconds - Frames[N - 2].Microseconds;
        const unsigned char* Picture = reinterpret_cast<const unsigned char*>(Pixels.data()) + N * FrameBytes;
        const TFrameIdentity Id =
            ReadIdentity(Width, Height, [&](int X, int Y) { return Picture[Y * Width + X]; });
        Frames.push_back({Id.Index, Micros});
        Length = Duration > 0 ? std::llround(Duration * 1e6)
                 : N > 0      ? Micros - Frames[N - 1].Microseconds
                              : 0;
    }
    if (Frames.size() * FrameBytes != Pixels.size())
        return {};
    if (StoresDecodingOrderOnly(Path) && !Frames.empty()) {
        const std::string Rate = RunCommand("ffprobe -v error -select_streams v:0 -show_entries "
                                            "stream=avg_frame_rate -of csv=p=0 " +
                                            ShellQuote(Path));
        const size_t Slash = Rate.find('/');
        if (Slash == std::string::npos || std::atoll(Rate.c_str()) <= 0 ||
            std::atoll(Rate.c_str() + Slash + 1) <= 0)
            return {};
        Reference.RateNum = std::atoll(Rate.c_str());
        Reference.RateDen = std::atoll(Rate.c_str() + Slash + 1);
        for (TReferenceFrame& Frame : Frames)
            Frame.Microseconds = Reference.MicrosecondsTo(Frame.Index);
        Length = 1000000 * Reference.RateDen / Reference.RateNum;
    }
    if (!Frames.empty())
        Reference.EndMicroseconds = Frames.back().Microseconds + Length;
    const std::string Stated =
        RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + ShellQuote(Path));
    if (!Stated.empty() && std::isdigit(static_cast<unsigned char>(Stated[0])))
        Reference.StatedSeconds = static_cast<int>(std::atof(Stated.c_str()) + 1e-6);
    return Reference;
}

int IdentityOf(const TDecoder& Decoder, const TDecoderFrame* Frame) {
    return ReadIdentity(Frame->Pixels, Decoder.FileInfo()->FrameWidth, Decoder.FileInfo()->FrameHeight).Index;
}

// A frame's time from the library and from ffprobe: both round a stream time to microseconds.
constexpr int64_t kTimeTolerance = 1000;

class DecoderMatrix : public testing::TestWithParam<const char*> {};

TEST_P(DecoderMatrix, DeliversFfmpegsFrames) {
    const std::string Path = Fixture(std::string("matrix/") + GetParam());
    struct stat Info {};
    if (stat(Path.c_str(), &Info) != 0)
        GTEST_SKIP() << "the installed ffmpeg could not make " << GetParam();
    TDecoder Decoder;
    Decoder.Open(Path);
    const int Width = Decoder.FileInfo()->FrameWidth, Height = Decoder.FileInfo()->FrameHeight;
    const TReference Ffmpeg = DecodeWithFfmpeg(Path, Width, Height);
    const std::vector<TReferenceFrame>& Reference = Ffmpeg.Frames;
    ASSERT_GT(Reference.size(), 1u) << "ffmpeg and ffprobe disagree on the frames";

    // Every frame, in order, at its time.
    size_t N = 0;
    std::vector<int64_t> Times;
    for (TDecoderFrame* Frame; (Frame = Decoder.NextFrame()) != nullptr; ++N) {
        ASSERT_LT(N, Reference.size()) << "more frames than ffmpeg decodes";
        ASSERT_EQ(IdentityOf(Decoder, Frame), Reference[N].Index) << "frame " << N;
        EXPECT_NEAR(Decoder.FrameMicroseconds(), Reference[N].Microseconds, kTimeTolerance) << "frame " << N;
        EXPECT_EQ(Decoder.FFrameInfo->Timestamp, Decoder.FrameMicroseconds() / 1000000) << "frame " << N;
        Times.push_back(Decoder.FrameMicroseconds());
    }
    ASSERT_EQ(N, Reference.size());

    // The last frame lies where its identity places it, counted from the first (also where the
    // decoder never gives the frames before it).
    EXPECT_NEAR(Times.back() - Times.front(), Ffmpeg.MicrosecondsTo(Reference.back().Index), kTimeTolerance)
        << "the last frame, " << Reference.back().Index;

    // Back one frame at a time from the last, to each frame's own time, across keyframes (three
    // seconds, more than a GOP of every kind): each seek gives that very frame.
    const size_t Walk = std::min<size_t>(N - 1, 3 * kSourceRate);
    for (size_t K = N - 1; K + Walk >= N; --K) {
        Decoder.SeekTime(Times[K]);
        TDecoderFrame* Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr) << "back to frame " << K;
        EXPECT_EQ(IdentityOf(Decoder, Frame), Reference[K].Index) << "back to frame " << K;
        EXPECT_EQ(Decoder.FrameMicroseconds(), Times[K]) << "back to frame " << K;
    }

    if (Decoder.FileInfo()->FrameCount != 0) {
        EXPECT_EQ(Decoder.FileInfo()->FrameCount, static_cast<int>(N));
    }

    // The duration reaches the end of the last frame: as ffprobe times it, or, where the
    // container stores only the decoding order (AVI) and ffprobe's times are shifted by the
    // pictures held back for reordering, as the source drew it (25 frames a second from 0), or
    // as the file's header states it where the decoder cannot give the last pictures (Xvid's
    // packed B-frames at the very end).
    const int64_t Last = Reference.back().Microseconds;
    const int Accepted[] = {static_cast<int>((Ffmpeg.EndMicroseconds + kTimeTolerance) / 1000000),
                            (Reference.back().Index + 1) / kSourceRate, Ffmpeg.StatedSeconds};
    EXPECT_NE(std::find(std::begin(Accepted), std::end(Accepted), Decoder.FileInfo()->Duration),
              std::end(Accepted))
        << Decoder.FileInfo()->Duration << " s, not " << Accepted[0] << ", " << Accepted[1] << " or "
        << Accepted[2];

    // The first frame at or after each second: forward and backward from the middle, to the
    // last second, then every second backward and forward; and the frame after each.
    const int LastSecond = static_cast<int>(Last / 1000000);
    const int Middle = std::max(1, LastSecond / 2);
    std::vector<int> Seconds = {Middle, 1, LastSecond, Middle + 1, 0};
    for (int S = LastSecond; S >= 0; --S)
        Seconds.push_back(S);
    for (int S = 1; S <= LastSecond; ++S)
        Seconds.push_back(S);
    for (int S : Seconds) {
        size_t Expected = 0;
        while (Reference[Expected].Microseconds < int64_t{S} * 1000000 - kTimeTolerance)
            ++Expected;
        Decoder.Seek(S);
        for (size_t K = Expected; K < std::min(Expected + 2, Reference.size()); ++K) {
            TDecoderFrame* Frame = Decoder.NextFrame();
            ASSERT_NE(Frame, nullptr) << "seek " << S;
            EXPECT_EQ(IdentityOf(Decoder, Frame), Reference[K].Index) << "seek " << S << ", frame " << K;
            EXPECT_NEAR(Decoder.FrameMicroseconds(), Reference[K].Microseconds, kTimeTolerance)
                << "seek " << S;
        }
    }
}

// Seeks to instants (seekTime), as the frame walker makes them: a dense sheet's instants in order
// (most between two frames, some a frame or more apart, so that the library reads on), then a
// few backward and forward across the video; each gives the first frame at or after the instant,
// and reading goes on from there.
TEST_P(DecoderMatrix, SeeksToInstants) {
    const std::string Path = Fixture(std::string("matrix/") + GetParam());
    struct stat Info {};
    if (stat(Path.c_str(), &Info) != 0)
        GTEST_SKIP() << "the installed ffmpeg could not make " << GetParam();
    TDecoder Decoder;
    Decoder.Open(Path);
    ASSERT_TRUE(Decoder.SeeksToInstants());
    const TReference Ffmpeg =
        DecodeWithFfmpeg(Path, Decoder.FileInfo()->FrameWidth, Decoder.FileInfo()->FrameHeight);
    const std::vector<TReferenceFrame>& Reference = Ffmpeg.Frames;
    ASSERT_GT(Reference.size(), 1u) << "ffmpeg and ffprobe disagree on the frames";
    const int64_t End = Reference.back().Microseconds;

    std::vector<int64_t> Instants;
    constexpr int kTiles = 150;
    for (int I = 0; I < kTiles; ++I)
        Instants.push_back(End * (2 * I + 1) / (2 * kTiles));
    for (int64_t Micros :
         {End / 2, int64_t{1}, End - 1, End / 3, End * 3 / 4, End * 3 / 4 - 45000, End / 4 + 20000})
        Instants.push_back(Micros);
    for (int64_t Micros : Instants) {
        // The first frame at or after the instant; none where a frame's time is too close to the
        // instant to tell them apart (ffprobe rounds times to microseconds).
        size_t Expected = 0;
        while (Expected < Reference.size() && Reference[Expected].Microseconds < Micros)
            ++Expected;
        const bool TooClose =
            (Expected < Reference.size() && Reference[Expected].Microseconds - Micros <= kTimeTolerance) ||
            (Expected > 0 && Micros - Reference[Expected - 1].Microseconds <= kTimeTolerance);
        if (TooClose || Expected == Reference.size())
            continue;
        Decoder.SeekTime(Micros);
        for (size_t K = Expected; K < std::min(Expected + 2, Reference.size()); ++K) {
            TDecoderFrame* Frame = Decoder.NextFrame();
            ASSERT_NE(Frame, nullptr) << "instant " << Micros;
            EXPECT_EQ(IdentityOf(Decoder, Frame), Reference[K].Index)
                << "instant " << Micros << ", frame " << K;
            EXPECT_NEAR(Decoder.FrameMicroseconds(), Reference[K].Microseconds, kTimeTolerance)
                << "instant " << Micros;
            if (K == Expected) {
                EXPECT_GE(Decoder.FrameMicroseconds(), Micros) << "instant " << Micros;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecoderMatrix,
                         testing::Values("xvid_bframes.avi", "xvid_end_lost_b.avi", "xvid_end_packed.avi",
                                         "xvid_rate_changed.avi", "mpeg4_bframes.avi", "h264_pyramid.mp4",
                                         "h264_pyramid.mkv", "h264_pyramid.avi", "h264_pyramid.ts",
                                         "h264_edit_list.mp4", "hevc_bframes.mkv", "hevc_bframes.mp4",
                                         "vp8.webm", "vp9.webm", "av1.mkv", "mpeg2_open_gop.mpg",
                                         "mpeg2_open_gop.ts", "mpeg2_interlaced.ts", "h264_interlaced.ts",
                                         "mjpeg.avi", "wmv2.asf", "theora.ogv", "vfr.mp4"),
                         [](const auto& Info) { return TestNameOf(Info.param); });

} // namespace
