// libdecoder.so against its contract, on the test videos: properties, every frame in
// order, exact seeks checked by the frame content, the end of the video, bad input, and
// pictures compared with ffmpeg's own output.
#include "engine/decoder.h"
#include "fixtures.h"
#include "frame_identity.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

struct TPropertiesCase {
    const char* File;
    int Width, Height;
    double FPS, Aspect;
    int Duration;
};

const TPropertiesCase kProperties[] = {
    {"long_gop_25.mp4", 320, 240, 25, 4.0 / 3, 120},
    {"ntsc_2997.mp4", 320, 240, 30000.0 / 1001, 4.0 / 3, 10},
    {"fps_12_5.mp4", 320, 240, 12.5, 4.0 / 3, 10},
    {"mpeg2.mpg", 320, 240, 25, 4.0 / 3, 20},
    {"one_gop.ts", 320, 240, 25, 4.0 / 3, 8},
    {"raw.m1v", 320, 240, 25, 4.0 / 3, 3},
    {"mpeg4.avi", 320, 240, 25, 4.0 / 3, 5},
    {"wmv2.wmv", 320, 240, 25, 4.0 / 3, 5},
    {"vp9.webm", 320, 240, 25, 4.0 / 3, 3},
    {"hevc.mp4", 320, 240, 25, 4.0 / 3, 3},
    {"theora.ogv", 320, 240, 25, 4.0 / 3, 3},
    {"anamorphic.mp4", 720, 576, 25, 16.0 / 9, 2},
    // Pixel shapes beyond 4:1 are taken as 4:1.
    {"sar_1_255.mp4", 320, 240, 25, 1.0 / 3, 1},
    {"sar_255_1.mp4", 320, 240, 25, 16.0 / 3, 1},
    {"rotated_90.mp4", 240, 320, 25, 3.0 / 4, 1},
    {"one_frame.mp4", 320, 240, 25, 4.0 / 3, 0},
    // No average rate in the container: the frames' own average. A header's play time short of
    // the last frame: the last frame's end.
    {"vfr.ogv", 320, 240, 109 / 14.4, 4.0 / 3, 14},
    {"short_header.wmv", 320, 240, 25, 4.0 / 3, 6},
    {"vidéo été – 日本 #1 (copy).mp4", 320, 240, 30000.0 / 1001, 4.0 / 3, 10},
};

// The frame count as ffprobe decodes it.
int64_t ProbeFrameCount(const std::string& Path) {
    const std::string Out = RunCommand("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                                       "stream=nb_read_frames -of csv=p=0 " +
                                       ShellQuote(Path));
    return std::atoll(Out.c_str());
}

// ffmpeg's own decoding of frame number Index (counted from the start, which is
// exact everywhere; ffmpeg's own seek is not exact in program and transport streams),
// as 0x00RRGGBB words; empty if none.
std::vector<uint32_t> FfmpegPicture(const std::string& Path, int Index, int Width, int Height) {
    const std::string Out = RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(Path) +
                                       " -vf 'select=eq(n\\," + std::to_string(Index) +
                                       ")' -frames:v 1 -f rawvideo -pix_fmt bgr0 -");
    std::vector<uint32_t> Pixels;
    if (Out.size() == static_cast<size_t>(Width) * Height * 4) {
        Pixels.resize(static_cast<size_t>(Width) * Height);
        std::memcpy(Pixels.data(), Out.data(), Out.size());
    }
    return Pixels;
}

// Mean absolute difference of the colour bytes of two pictures.
double MeanDifference(const uint32_t* A, const uint32_t* B, size_t Count) {
    double Sum = 0;
    for (size_t I = 0; I < Count; ++I)
        for (int Shift : {0, 8, 16})
            Sum += std::abs(int((A[I] >> Shift) & 0xFF) - int((B[I] >> Shift) & 0xFF));
    return Sum / (Count * 3.0);
}

TFrameIdentity Identity(const TDecoder& Decoder, const TDecoderFrame* Frame) {
    return ReadIdentity(Frame->Pixels, Decoder.FileInfo()->Width, Decoder.FileInfo()->Height);
}

} // namespace

class DecoderProperties : public testing::TestWithParam<TPropertiesCase> {};

TEST_P(DecoderProperties, MatchTheFile) {
    const TPropertiesCase& C = GetParam();
    TDecoder Decoder;
    Decoder.Open(Fixture(C.File));
    const TDecoderFileInfo& Info = *Decoder.FileInfo();
    EXPECT_EQ(Info.Width, C.Width);
    EXPECT_EQ(Info.Height, C.Height);
    EXPECT_EQ(Info.FrameWidth, C.Width);
    EXPECT_EQ(Info.FrameHeight, C.Height);
    EXPECT_NEAR(Info.FPS, C.FPS, 1e-6);
    EXPECT_NEAR(Info.AspectRatio, C.Aspect, 1e-3);
    EXPECT_EQ(Info.Duration, C.Duration);
    EXPECT_EQ(Info.DurationHours * 3600 + Info.DurationMinutes * 60 + Info.DurationSeconds, C.Duration);
    EXPECT_EQ(Decoder.FFrameInfo->Timestamp, 0);
    EXPECT_EQ(Decoder.FrameWidth, C.Width);
    EXPECT_DOUBLE_EQ(Decoder.AspectRatio, Info.AspectRatio);
}

INSTANTIATE_TEST_SUITE_P(Files, DecoderProperties, testing::ValuesIn(kProperties),
                         [](const auto& Info) { return TestNameOf(Info.param.File); });

// Files whose index lists every frame tell the count; the others say 0 (unknown).
TEST(DecoderFrameCount, FromAnIndexOnly) {
    const std::pair<const char*, int> Cases[] = {{"long_gop_25.mp4", 3000}, {"mpeg4.avi", 125},
                                                 {"one_frame.mp4", 1},      {"mpeg2.mpg", 0},
                                                 {"vfr.ogv", 0},            {"raw.m1v", 0}};
    for (const auto& [Name, Count] : Cases) {
        TDecoder Decoder;
        Decoder.Open(Fixture(Name));
        EXPECT_EQ(Decoder.FileInfo()->FrameCount, Count) << Name;
    }
}

// Every frame is delivered in order, the decoder is drained at the end (nothing lost),
// the end stays the end, and a rewind starts over.
class DecoderReadsEveryFrame : public testing::TestWithParam<const char*> {};

TEST_P(DecoderReadsEveryFrame, InOrderAndDrained) {
    const std::string Path = Fixture(GetParam());
    TDecoder Decoder;
    Decoder.Open(Path);
    int64_t Count = 0;
    int64_t LastSecond = 0;
    while (TDecoderFrame* Frame = Decoder.NextFrame()) {
        const TFrameIdentity Id = Identity(Decoder, Frame);
        ASSERT_EQ(Id.Index, Count & 0xFFFF) << "frame " << Count;
        EXPECT_EQ(Decoder.FFrameInfo->Timestamp, Id.Second) << "frame " << Count;
        EXPECT_GE(Decoder.FFrameInfo->Timestamp, LastSecond);
        LastSecond = Decoder.FFrameInfo->Timestamp;
        ++Count;
    }
    EXPECT_EQ(Count, ProbeFrameCount(Path));
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Decoder.NextFrame(), nullptr);

    Decoder.Rewind();
    TDecoderFrame* First = Decoder.NextFrame();
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(Identity(Decoder, First).Index, 0);
    EXPECT_EQ(Decoder.FFrameInfo->Timestamp, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, DecoderReadsEveryFrame,
                         testing::Values("ntsc_2997.mp4", "mpeg2.mpg", "one_gop.ts", "raw.m1v", "mpeg4.avi",
                                         "wmv2.wmv", "vp9.webm", "hevc.mp4", "theora.ogv", "one_frame.mp4"),
                         [](const auto& Info) { return TestNameOf(Info.param); });

// After seek(S) the next frame is the first one at or after S seconds, whatever the GOP
// length or the container's start time.
struct TSeekCase {
    const char* File;
    double FPS;
    std::vector<int> Seconds;
};

class DecoderSeeksExactly : public testing::TestWithParam<TSeekCase> {};

TEST_P(DecoderSeeksExactly, ToTheFrameAtTheSecond) {
    const TSeekCase& C = GetParam();
    TDecoder Decoder;
    Decoder.Open(Fixture(C.File));
    for (int S : C.Seconds) {
        Decoder.Seek(S);
        TDecoderFrame* Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr) << "seek " << S;
        const int Expected = static_cast<int>(std::ceil(S * C.FPS - 1e-9));
        EXPECT_EQ(Identity(Decoder, Frame).Index, Expected) << "seek " << S;
        EXPECT_EQ(Decoder.FFrameInfo->Timestamp, S) << "seek " << S;
        // Frames go on in order after a seek.
        Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr);
        EXPECT_EQ(Identity(Decoder, Frame).Index, Expected + 1) << "after seek " << S;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecoderSeeksExactly,
    // Forward runs (31 after 30 in one GOP, 2 after 1 in a raw stream) decode on rather than seek.
    testing::Values(TSeekCase{"long_gop_25.mp4", 25, {15, 0, 10, 9, 119, 59, 1, 60, 30, 31, 45, 50, 100}},
                    TSeekCase{"ntsc_2997.mp4", 30000.0 / 1001, {3, 9, 1, 7, 8}},
                    TSeekCase{"mpeg2.mpg", 25, {10, 3, 19, 0, 12, 13, 15, 4}},
                    TSeekCase{"one_gop.ts", 25, {1, 2, 5, 7, 2}},
                    TSeekCase{"raw.m1v", 25, {1, 2, 0, 2, 1}},
                    TSeekCase{"short_header.wmv", 25, {6, 5, 1, 2}},
                    TSeekCase{"mpeg4.avi", 25, {4, 2}},
                    TSeekCase{"wmv2.wmv", 25, {3, 1}},
                    TSeekCase{"vp9.webm", 25, {2, 1}}, TSeekCase{"hevc.mp4", 25, {2, 1}},
                    TSeekCase{"theora.ogv", 25, {2, 1}}),
    [](const auto& Info) { return TestNameOf(Info.param.File); });

TEST(DecoderSeek, OutsideTheVideo) {
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    Decoder.Seek(120); // exactly the duration: past the last frame
    EXPECT_EQ(Decoder.NextFrame(), nullptr);
    EXPECT_EQ(Decoder.NextFrame(), nullptr);
    Decoder.Seek(5000);
    EXPECT_EQ(Decoder.NextFrame(), nullptr);
    Decoder.Seek(-7);
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Identity(Decoder, Frame).Index, 0);
}

TEST(DecoderBadInput, IsRefusedAndThePreviousVideoStays) {
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    Decoder.Seek(20);
    for (const char* Name : {"no-such-file.mp4", "folder.mp4", "empty.mp4", "garbage.mp4", "audio_only.m4a", ""}) {
        EXPECT_THROW(Decoder.Open(Fixture(Name)), EMPEG2Error) << Name;
    }
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Identity(Decoder, Frame).Index, 500);
    EXPECT_EQ(Decoder.FileInfo()->Duration, 120);
}

// A refused video costs the open one nothing: not the picture read ahead while the caller
// worked on the last one.
TEST(DecoderBadInput, RefusalKeepsThePictureReadAhead) {
    TDecoder Decoder;
    Decoder.Open(Fixture("long_gop_25.mp4"));
    for (int I = 0; I < 3; ++I)
        ASSERT_NE(Decoder.NextFrame(), nullptr); // asked one after another: reading ahead
    for (const char* Name : {"garbage.mp4", "audio_only.m4a"})
        EXPECT_THROW(Decoder.Open(Fixture(Name)), EMPEG2Error) << Name;
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Identity(Decoder, Frame).Index, 3);
}

// Memory running out while a video is opened refuses that video and keeps the open one, with
// its picture read ahead, whichever step runs out. In a child process of its own, whose address
// space is limited to a little more than it uses, more each time until the video opens.
TEST(DecoderBadInput, OutOfMemoryWhileOpeningKeepsTheOpenVideo) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own memory does not fit an address space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto Child = [] {
        const auto Fail = [](const std::string& Why) {
            std::fprintf(stderr, "%s\n", Why.c_str());
            std::_Exit(1);
        };
        TDecoder Decoder;
        Decoder.Open(Fixture("long_gop_25.mp4"));
        int Next = 0; // the frame the open video delivers next
        for (; Next < 3; ++Next)
            if (!Decoder.NextFrame())
                Fail("no frame before the limit");
        int Refusals = 0;
        for (int Spare = 1 << 16; Spare <= 1 << 28; Spare *= 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the read-ahead settles
            long Pages = 0;
            std::ifstream("/proc/self/statm") >> Pages;
            rlimit Old{};
            getrlimit(RLIMIT_AS, &Old);
            const rlimit Tight{static_cast<rlim_t>(Pages) * sysconf(_SC_PAGESIZE) + Spare, Old.rlim_max};
            setrlimit(RLIMIT_AS, &Tight);
            bool Refused = false;
            try {
                Decoder.Open(Fixture("anamorphic.mp4"));
            } catch (const EMPEG2Error&) {
                Refused = true;
            }
            setrlimit(RLIMIT_AS, &Old);
            if (!Refused)
                break;
            ++Refusals;
            const std::string At = " after a refusal with " + std::to_string(Spare) + " bytes to spare";
            if (Decoder.FileInfo()->Duration != 120 || Decoder.FileInfo()->Width != 320)
                Fail("the open video's properties changed" + At);
            TDecoderFrame* Frame = Decoder.NextFrame();
            if (!Frame || Identity(Decoder, Frame).Index != Next++)
                Fail("the open video lost its place" + At);
        }
        if (Refusals == 0)
            Fail("opened without any memory to spare");
        std::_Exit(0);
    };
    EXPECT_EXIT(Child(), testing::ExitedWithCode(0), "");
}

// A file cut short delivers what is there, then says that it ends before its index does
// rather than passing for the end of the video; a seek into the missing part says the same.
TEST(DecoderBadInput, TruncatedFileDeliversWhatIsThereAndSaysItIsCut) {
    TDecoder Decoder;
    Decoder.Open(Fixture("truncated.mp4"));
    int Count = 0;
    std::string Error;
    try {
        while (TDecoderFrame* Frame = Decoder.NextFrame()) {
            EXPECT_EQ(Identity(Decoder, Frame).Index, Count);
            ++Count;
        }
    } catch (const EDecodeError& E) {
        Error = E.what();
    }
    EXPECT_GT(Count, 0);
    EXPECT_NE(Error.find("truncated.mp4: the file ends before its index says"), std::string::npos) << Error;
    Decoder.Seek(9); // the index promises frames the file no longer has
    EXPECT_THROW(Decoder.NextFrame(), EDecodeError);
    // Where the data is, the file still reads.
    Decoder.Seek(1);
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Identity(Decoder, Frame).Index, 25);
}

// Each container that states more than a cut file holds says so: Matroska (its segment's size
// and length), AVI (its RIFF size and frame count), MP4 (its index at the front); an MP4 whose
// index was to come at the end has none. The cut file delivers its pictures in order (those the
// decoder still held too) and then fails with the reason, as does a seek past its data; its
// length stays the one it states, so that pieces spread over it reach the missing part. The
// whole file beside each reads to its end without a word.
// A transport stream has no index to tell a cut: one that ends inside a packet reads to its
// end without a failure, and the library's note says that it was probably cut short. Whole
// files, and one cut where a packet ends, have nothing to say.
TEST(DecoderBadInput, ATransportStreamCutInsideAPacketHasANote) {
    struct TCase {
        const char* File;
        bool Note;
    };
    const TCase Cases[] = {
        {"cut_whole.ts", false},
        {"cut_short_at_packet.ts", false},
        {"cut_short.ts", true},
        {"cut_whole.mkv", false},
        {"truncated.mp4", false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.File);
        const std::string Path = Fixture(C.File);
        TDecoder Decoder;
        Decoder.Open(Path);
        const std::string Note = Decoder.Note();
        if (!C.Note) {
            EXPECT_EQ(Note, "");
            continue;
        }
        EXPECT_NE(Note.find(Path), std::string::npos) << Note;
        EXPECT_NE(Note.find("ends inside a transport stream packet"), std::string::npos) << Note;
        EXPECT_NE(Note.find("probably cut short"), std::string::npos) << Note;
        int Count = 0;
        EXPECT_NO_THROW(while (Decoder.NextFrame())++ Count);
        EXPECT_GT(Count, 25);
        EXPECT_LT(Count, 250);
    }
}

TEST(DecoderBadInput, CutFilesSayTheyAreCutAndWholeOnesStayWhole) {
    struct TCase {
        const char* File;
        const char* Reason; // null: whole
    };
    const TCase Cases[] = {
        {"cut_whole.mkv", nullptr},
        {"cut_whole.avi", nullptr},
        {"cut_whole_index_front.mp4", nullptr},
        {"cut_whole_index_end.mp4", nullptr},
        {"cut_short.mkv", "ends before its header says"},
        {"cut_short.avi", "ends before its header says"},
        {"cut_short_index_front.mp4", "ends before its index says"},
        {"cut_short_index_end.mp4",
         "has no index of its pictures; it was probably cut short while it was being"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.File);
        const std::string Path = Fixture(C.File);
        TDecoder Decoder;
        if (std::string(C.File) == "cut_short_index_end.mp4") {
            EXPECT_THROW(Decoder.Open(Path), EMPEG2Error);
            const std::string Error = Decoder.LastOpenError();
            EXPECT_NE(Error.find(Path), std::string::npos) << Error;
            EXPECT_NE(Error.find(C.Reason), std::string::npos) << Error;
            continue;
        }
        Decoder.Open(Path);
        EXPECT_EQ(Decoder.FileInfo()->Duration, 10);
        // Known from the start, in the words of the failure that reading there gives.
        const std::string Known = Decoder.KnownCut();
        // In order; a cut through a picture the last few refer to may cost those.
        int Count = 0, Last = -1;
        std::string Error;
        try {
            while (TDecoderFrame* Frame = Decoder.NextFrame()) {
                const int Index = Identity(Decoder, Frame).Index;
                ASSERT_GT(Index, Last);
                ++Count;
                Last = Index;
            }
        } catch (const EDecodeError& E) {
            Error = E.what();
        }
        EXPECT_LE(Last - Count, 3);
        if (!C.Reason) {
            EXPECT_EQ(Error, "");
            EXPECT_EQ(Known, "");
            EXPECT_EQ(Count, 250);
            Decoder.Seek(9);
            TDecoderFrame* Frame = Decoder.NextFrame();
            ASSERT_NE(Frame, nullptr);
            EXPECT_EQ(Identity(Decoder, Frame).Index, 225);
            continue;
        }
        EXPECT_GT(Count, 25);
        EXPECT_LT(Count, 250);
        EXPECT_NE(Error.find(Path), std::string::npos) << Error;
        EXPECT_NE(Error.find(C.Reason), std::string::npos) << Error;
        EXPECT_NE(Error.find("the file was probably cut short"), std::string::npos) << Error;
        EXPECT_EQ(Known, Error);
        EXPECT_THROW(Decoder.NextFrame(), EDecodeError) << "the failure is forgotten";
        // A seek past the data fails the same way; one into it reads.
        EXPECT_NO_THROW(Decoder.SeekTime(9500000));
        EXPECT_THROW(Decoder.NextFrame(), EDecodeError);
        Decoder.Seek(1);
        TDecoderFrame* Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr);
        EXPECT_EQ(Identity(Decoder, Frame).Index, 25);
    }
}

// Damaged picture data is skipped, not fatal: the video reads to its end, seeks and
// rewinds.
TEST(DecoderBadInput, DamagedDataIsSkipped) {
    for (const char* Name : {"damaged.mp4", "damaged.ts"}) {
        TDecoder Decoder;
        Decoder.Open(Fixture(Name));
        int Count = 0;
        while (Decoder.NextFrame())
            ++Count;
        EXPECT_GT(Count, 200) << Name; // of 250
        EXPECT_EQ(Decoder.NextFrame(), nullptr);
        for (int S : {7, 2, 5, 9}) {
            Decoder.Seek(S);
            EXPECT_NE(Decoder.NextFrame(), nullptr) << Name << " seek " << S;
        }
        Decoder.Rewind();
        EXPECT_NE(Decoder.NextFrame(), nullptr) << Name;
        EXPECT_EQ(Decoder.FFrameInfo->Timestamp, 0) << Name;
    }
}

// The picture itself, after a seek, against ffmpeg's own decoding: rotation, colour
// matrix and range, anamorphic storage.
class DecoderPictureMatchesFfmpeg : public testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(DecoderPictureMatchesFfmpeg, AfterSeek) {
    const auto [Name, Seconds] = GetParam();
    const std::string Path = Fixture(Name);
    TDecoder Decoder;
    Decoder.Open(Path);
    Decoder.Seek(Seconds);
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    const int W = Decoder.FileInfo()->Width, H = Decoder.FileInfo()->Height;
    const int Index = static_cast<int>(std::ceil(Seconds * Decoder.FileInfo()->FPS - 1e-9));
    const std::vector<uint32_t> Reference = FfmpegPicture(Path, Index, W, H);
    ASSERT_FALSE(Reference.empty()) << "ffmpeg gave no " << W << "x" << H << " picture";
    EXPECT_LT(MeanDifference(Frame->Pixels, Reference.data(), Reference.size()), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Files, DecoderPictureMatchesFfmpeg,
                         testing::Values(std::pair{"rotated_90.mp4", 0}, std::pair{"full_range_709.mp4", 0},
                                         std::pair{"anamorphic.mp4", 1}, std::pair{"mpeg2.mpg", 7},
                                         std::pair{"one_gop.ts", 6}, std::pair{"long_gop_25.mp4", 77}),
                         [](const auto& Info) { return TestNameOf(Info.param.first); });

TEST(DecoderPicture, RotatedVideoIsDeliveredUpright) {
    TDecoder Decoder;
    Decoder.Open(Fixture("rotated_90.mp4"));
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    // Stored 320x240 with a red square at the top left, and a display matrix of 90
    // degrees anticlockwise: upright it is 240x320 with the square at the bottom left,
    // as players show it.
    const int W = Decoder.FileInfo()->Width, H = Decoder.FileInfo()->Height;
    const auto IsRed = [&](int X, int Y) {
        const uint32_t P = Frame->Pixels[Y * W + X];
        return ((P >> 16) & 0xFF) > 200 && (P & 0xFF) < 60;
    };
    EXPECT_TRUE(IsRed(10, H - 10));
    EXPECT_FALSE(IsRed(10, 10));
    EXPECT_FALSE(IsRed(W - 10, 10));
    EXPECT_FALSE(IsRed(W - 10, H - 10));
}

TEST(DecoderPicture, FullRangeBt709ColoursAsEncoded) {
    TDecoder Decoder;
    Decoder.Open(Fixture("full_range_709.mp4"));
    TDecoderFrame* Frame = Decoder.NextFrame();
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Frame->Pixels[120 * 320 + 160] >> 24, 0u); // 0x00RRGGBB
    const uint32_t Pixel = Frame->Pixels[120 * 320 + 160] & 0xFFFFFF;
    EXPECT_NEAR(int(Pixel >> 16), 0xC0, 3);
    EXPECT_NEAR(int((Pixel >> 8) & 0xFF), 0x30, 3);
    EXPECT_NEAR(int(Pixel & 0xFF), 0x20, 3);
}
