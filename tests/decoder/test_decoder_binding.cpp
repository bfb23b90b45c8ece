// The binding's own rules: how it loads the library, and how it reports a library or a
// video it cannot use.
#include "engine/decoder.h"
#include "fixtures.h"
#include "jobs/outputs.h"

#include <gtest/gtest.h>

TEST(DecoderBinding, MissingLibraryRaisesOSError) {
    try {
        TDecoder Decoder("libno-such-decoder.so");
        FAIL() << "a missing library was loaded";
    } catch (const EOSError& E) {
        const std::string Message = E.what();
        EXPECT_EQ(Message.rfind("System Error.  Code: ", 0), 0u) << Message;
        EXPECT_NE(Message.find(".\r\n"), std::string::npos) << Message;
        EXPECT_GT(Message.size(), std::string("System Error.  Code: 2.\r\n").size()) << Message;
    }
}

TEST(DecoderBinding, LibraryWithoutConvertIsRefused) {
    const std::string Path = std::string(TEST_BINDIR) + "/libincomplete_decoder.so";
    try {
        TDecoder Decoder(Path);
        FAIL() << "an incomplete library was accepted";
    } catch (const EOSError& E) {
        const std::string Message = E.what();
        EXPECT_EQ(Message.rfind("System Error.  Code: ", 0), 0u) << Message;
        EXPECT_NE(Message.find("convert"), std::string::npos) << Message;
    }
}

TEST(DecoderBinding, RefusedVideoNamesThePathAndKeepsTheFields) {
    TDecoder Decoder;
    Decoder.Open(Fixture("ntsc_2997.mp4"));
    const TDecoderFileInfo* Info = Decoder.FileInfo();
    const std::string Bad = Fixture("garbage.mp4");
    try {
        Decoder.Open(Bad);
        FAIL() << "garbage was opened";
    } catch (const EMPEG2Error& E) {
        EXPECT_EQ(std::string(E.what()), "Unable to open video file: " + Bad);
    }
    // The library's own reason, through its optional entry point.
    EXPECT_EQ(Decoder.LastOpenError(), "Cannot read " + Bad + ": Invalid data found when processing input");
    EXPECT_EQ(Decoder.FileInfo(), Info);
    EXPECT_EQ(Decoder.FrameWidth, 320);
    EXPECT_NEAR(Decoder.FPS, 29.97, 0.01);
    // The video that was open before is still there.
    ASSERT_NE(Decoder.NextFrame(), nullptr);
    Decoder.Open(Fixture("ntsc_2997.mp4"));
    EXPECT_EQ(Decoder.LastOpenError(), "");
}
