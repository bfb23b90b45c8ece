// A failure in the middle of a video is told from its end: a read error from the disk,
// the file cut short or removed while a raw stream is read again. Reads are made to fail
// by the fault_io shim, on the real library and the real test videos.
#include "engine/decoder.h"
#include "fault_io.h"
#include "fixtures.h"
#include "frame_identity.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Reads of Path fail from Offset on while the object lives.
struct TFailingReads {
    TFailingReads(const std::string& Path, off_t Offset) { FaultIoFailReads(Path.c_str(), Offset, EIO); }
    ~TFailingReads() { FaultIoClear(); }
};

int IndexOf(const TDecoder& Decoder, const TDecoderFrame* Frame) {
    return ReadIdentity(Frame->Pixels, Decoder.FileInfo()->Width, Decoder.FileInfo()->Height).Index;
}

// Frames read until the decoder has none left or fails; Error gets the failure's text.
int ReadOn(TDecoder& Decoder, std::string& Error) {
    int Count = 0;
    try {
        while (Decoder.NextFrame())
            ++Count;
    } catch (const EDecodeError& E) {
        Error = E.what();
    }
    return Count;
}

std::string Copy(const TScratch& Scratch, const char* Name) {
    const std::string Path = Scratch.Path + "/" + Name;
    fs::copy_file(Fixture(Name), Path);
    return Path;
}

} // namespace

// A read error halfway names the file and the system's reason, and stays until the next
// seek; once the disk reads again, the video reads whole and ends cleanly.
TEST(DecoderFailure, ReadErrorIsNotTheEnd) {
    for (const char* Name : {"long_gop_25.mp4", "mpeg2.mpg", "one_gop.ts", "raw.m1v"}) {
        const std::string Path = Fixture(Name);
        TDecoder Decoder;
        Decoder.Open(Path);
        const int Whole = [&] {
            std::string None;
            const int Count = ReadOn(Decoder, None);
            EXPECT_EQ(None, "") << Name;
            return Count;
        }();
        Decoder.Rewind();
        std::string Error;
        int Count = 0;
        {
            TFailingReads Failing(Path, static_cast<off_t>(fs::file_size(Path) / 2));
            Count = ReadOn(Decoder, Error);
            EXPECT_NE(Error.find(Path), std::string::npos) << Name << ": " << Error;
            EXPECT_NE(Error.find("Input/output error"), std::string::npos) << Name << ": " << Error;
            EXPECT_GT(Count, 0) << Name;
            EXPECT_LT(Count, Whole) << Name;
            EXPECT_THROW(Decoder.NextFrame(), EDecodeError) << Name << ": the failure is forgotten";
            // A seek into the part that cannot be read fails the same way.
            Decoder.Seek(Decoder.FileInfo()->Duration - 1);
            EXPECT_THROW(Decoder.NextFrame(), EDecodeError) << Name << " after a seek";
        }
        Decoder.Rewind();
        const TDecoderFrame* First = Decoder.NextFrame();
        ASSERT_NE(First, nullptr) << Name;
        EXPECT_EQ(IndexOf(Decoder, First), 0) << Name;
        std::string After;
        EXPECT_EQ(ReadOn(Decoder, After) + 1, Whole) << Name;
        EXPECT_EQ(After, "") << Name;
    }
}

// A raw stream has no times to seek by and is read again from its start for a seek back
// (a seek forward decodes on): a file removed or cut short meanwhile is a failure, not a
// video that ends early. A file cut short while it is read fails at its new end the same way.
TEST(DecoderFailure, FileRemovedOrCutShortWhileItIsRead) {
    struct TCase {
        const char* Video;
        bool Remove; // else cut to half its size
        const char* Reason;
    };
    for (const TCase& C : {TCase{"raw.m1v", true, "No such file or directory"},
                           TCase{"raw.m1v", false, "changed while it was being read"},
                           TCase{"ntsc_2997.mp4", false, "changed while it was being read"}}) {
        TScratch Scratch;
        const std::string Path = Copy(Scratch, C.Video);
        TDecoder Decoder;
        Decoder.Open(Path);
        for (int I = 0; I < 40; ++I) // past second 1: the seek below goes back
            ASSERT_NE(Decoder.NextFrame(), nullptr);
        if (C.Remove)
            fs::remove(Path);
        else
            fs::resize_file(Path, fs::file_size(Path) / 2);
        Decoder.Seek(1);
        std::string Error;
        ReadOn(Decoder, Error);
        EXPECT_NE(Error.find(Path), std::string::npos) << C.Video << ": " << Error;
        EXPECT_NE(Error.find(C.Reason), std::string::npos) << C.Video << ": " << Error;
        // The next video opens and reads as usual.
        Decoder.Open(Fixture("one_frame.mp4"));
        EXPECT_NE(Decoder.NextFrame(), nullptr) << C.Video;
        EXPECT_EQ(Decoder.NextFrame(), nullptr) << C.Video;
    }
}

// A file removed while it is open is still read whole through the open file.
// A seek forward in a raw stream decodes on through the open file instead of reading it
// again from its start: a file removed meanwhile goes on to its end.
TEST(DecoderFailure, RawStreamSeeksForwardWithoutReopening) {
    TScratch Scratch;
    const std::string Path = Copy(Scratch, "raw.m1v");
    TDecoder Decoder;
    Decoder.Open(Path);
    for (int I = 0; I < 5; ++I)
        ASSERT_NE(Decoder.NextFrame(), nullptr);
    fs::remove(Path);
    for (int Second : {1, 2}) {
        Decoder.Seek(Second);
        const TDecoderFrame* Frame = Decoder.NextFrame();
        ASSERT_NE(Frame, nullptr) << Second;
        EXPECT_EQ(IndexOf(Decoder, Frame), 25 * Second);
    }
    std::string Error;
    EXPECT_EQ(ReadOn(Decoder, Error), 24);
    EXPECT_EQ(Error, "");
}

TEST(DecoderFailure, RemovedContainerIsStillReadWhole) {
    TScratch Scratch;
    const std::string Path = Copy(Scratch, "ntsc_2997.mp4");
    TDecoder Decoder;
    Decoder.Open(Path);
    fs::remove(Path);
    std::string Error;
    EXPECT_EQ(ReadOn(Decoder, Error), 300);
    EXPECT_EQ(Error, "");
    Decoder.Seek(5);
    ASSERT_NE(Decoder.NextFrame(), nullptr);
}

// A library of the seven entry points alone is used as before: a failed read ends the
// video.
TEST(DecoderFailure, LibraryWithoutTheOptionalEntriesEndsTheVideoAndGivesWholeSeconds) {
    TDecoder Decoder(std::string(TEST_BINDIR) + "/libdecoder_seven.so");
    const std::string Path = Fixture("long_gop_25.mp4");
    Decoder.Open(Path);
    // Without getFrameTime a frame's time is its whole second.
    Decoder.Seek(7);
    ASSERT_NE(Decoder.NextFrame(), nullptr);
    EXPECT_EQ(Decoder.FrameMicroseconds(), 7000000);
    ASSERT_NE(Decoder.NextFrame(), nullptr); // 7.04 s
    EXPECT_EQ(Decoder.FrameMicroseconds(), 7000000);
    Decoder.Rewind();
    TFailingReads Failing(Path, static_cast<off_t>(fs::file_size(Path) / 2));
    std::string Error;
    const int Count = ReadOn(Decoder, Error);
    EXPECT_EQ(Error, "");
    EXPECT_GT(Count, 0);
    EXPECT_LT(Count, 3000);
    EXPECT_EQ(Decoder.NextFrame(), nullptr);
}
