// The image file writer: what it refuses to save, and that a 32-bit image written as JPEG comes back
// with its size, its colours in the right channels and its rows the right way up.
#include "image/imagewriter.h"

#include "image/imagebuffer.h"

#include <FreeImage.h>
#include <QColor>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

constexpr int kJpegQuality = 100;

class FreeBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string Template = (fs::temp_directory_path() / "trovelle-writer-XXXXXX").string();
        ASSERT_NE(mkdtemp(Template.data()), nullptr);
        FDir = Template;
    }
    void TearDown() override { fs::remove_all(FDir); }

    fs::path FDir;
};

// Each pixel's bytes in memory: blue, green, red, fourth.
void Fill(TFastDIB& Dib, int X, int Row, std::array<std::uint8_t, 4> Bgra) {
    std::memcpy(Dib.Scanlines()[Row] + 4 * X, Bgra.data(), 4);
}

QImage Load(const fs::path& File) {
    return QImage(QString::fromStdString(File.string()));
}

bool Written(TFreeBitmap& Writer, const fs::path& File) {
    return Writer.ConvertTo24Bits() && Writer.Save(File.string(), kJpegQuality);
}

TEST_F(FreeBitmapTest, RefusesWhatItCannotSaveAndWritesNothing) {
    TFastDIB Image;
    Image.SetSize(3, 2, 32);
    std::memset(Image.Bits(), 0x80, Image.Size());

    TFreeBitmap Empty;
    EXPECT_FALSE(Empty.IsValid());
    EXPECT_FALSE(Empty.ConvertTo24Bits());
    EXPECT_FALSE(Empty.Save((FDir / "empty.jpg").string(), kJpegQuality));

    TFreeBitmap Writer;
    CopyToWriter(Image, Writer);
    ASSERT_TRUE(Writer.ConvertTo24Bits());
    EXPECT_FALSE(Writer.Save((FDir / "thumb.unknownext").string(), kJpegQuality));
    EXPECT_FALSE(Writer.Save((FDir / "no-extension").string(), kJpegQuality));
    EXPECT_FALSE(Writer.Save((FDir / "missing" / "thumb.jpg").string(), kJpegQuality));
    EXPECT_FALSE(Writer.CanSave(kFifUnknown));

    EXPECT_TRUE(fs::is_empty(FDir));
}

std::string Contents(const fs::path& File) {
    std::ifstream Stream(File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>());
}

// A writer holding a 24-bit picture of Width x Height in one grey.
void Picture(TFreeBitmap& Writer, int Width, int Height, int Grey) {
    TFastDIB Image;
    Image.SetSize(Width, Height, 32);
    std::memset(Image.Bits(), Grey, Image.Size());
    CopyToWriter(Image, Writer);
    ASSERT_TRUE(Writer.ConvertTo24Bits());
}

// A checked save never opens the file name itself: a symbolic link planted under it is
// replaced by the thumbnail, and its target stays as it was.
TEST_F(FreeBitmapTest, CheckedSaveReplacesAPlantedLinkInsteadOfFollowingIt) {
    TFreeBitmap Writer;
    Picture(Writer, 8, 8, 0x40);
    std::ofstream(FDir / "victim") << "precious";
    fs::create_symlink(FDir / "victim", FDir / "thumb_0.jpg");
    fs::create_symlink(FDir / "absent", FDir / "thumb_1.jpg"); // would create its target
    std::string Error;
    for (const char* Name : {"thumb_0.jpg", "thumb_1.jpg"}) {
        ASSERT_TRUE(Writer.SaveChecked((FDir / Name).string(), kJpegQuality, Error)) << Error;
        EXPECT_FALSE(fs::is_symlink(FDir / Name)) << Name;
        EXPECT_EQ(Load(FDir / Name).width(), 8) << Name;
    }
    EXPECT_EQ(Contents(FDir / "victim"), "precious");
    EXPECT_FALSE(fs::exists(FDir / "absent"));
    // Nothing else is left in the folder: no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 3);
}

// A save that fails half-way (here the file size limit, as a full disk would) leaves the
// good file of that name as it was, and no half file anywhere.
TEST_F(FreeBitmapTest, FailedCheckedSaveKeepsTheGoodFile) {
    TFreeBitmap Small;
    Picture(Small, 8, 8, 0x40);
    const fs::path File = FDir / "thumb.jpg";
    std::string Error;
    ASSERT_TRUE(Small.SaveChecked(File.string(), kJpegQuality, Error)) << Error;
    const std::string Good = Contents(File);

    TFreeBitmap Large;
    Picture(Large, 640, 480, 0x80);
    rlimit Old{};
    getrlimit(RLIMIT_FSIZE, &Old);
    const auto OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limit = Old;
    Limit.rlim_cur = Good.size() + 16; // the large picture cannot be written whole
    setrlimit(RLIMIT_FSIZE, &Limit);
    const bool Saved = Large.SaveChecked(File.string(), kJpegQuality, Error);
    setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldHandler);

    EXPECT_FALSE(Saved);
    EXPECT_NE(Error.find(File.string() + ": File too large"), std::string::npos) << Error;
    EXPECT_EQ(Contents(File), Good);
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 1);
}

TEST_F(FreeBitmapTest, SmallImageKeepsItsSizeAndColour) {
    TFastDIB Image;
    Image.SetSize(3, 2, 32);
    for (int Row = 0; Row < 2; ++Row)
        for (int X = 0; X < 3; ++X)
            Fill(Image, X, Row, {30, 140, 220, 0}); // a flat orange survives any chroma subsampling
    TFreeBitmap Writer;
    CopyToWriter(Image, Writer);
    ASSERT_EQ(FreeImage_GetBPP(Writer.Dib()), 32u);
    ASSERT_TRUE(Written(Writer, FDir / "small.jpg"));
    EXPECT_EQ(FreeImage_GetBPP(Writer.Dib()), 24u);

    const QImage Back = Load(FDir / "small.jpg");
    ASSERT_FALSE(Back.isNull());
    EXPECT_EQ(Back.width(), 3);
    EXPECT_EQ(Back.height(), 2);
    const QColor C = Back.pixelColor(1, 1);
    EXPECT_NEAR(C.red(), 220, 6);
    EXPECT_NEAR(C.green(), 140, 6);
    EXPECT_NEAR(C.blue(), 30, 6);
}

// 3 x 2 blocks of 16 x 16 pixels, each flat, so that the JPEG coding keeps every block's colour.
// Memory rows are bottom-first, as the convert thread hands them over after its flip: the top row of
// blocks in the file comes from the last 16 rows in memory.
TEST_F(FreeBitmapTest, ChannelsAndRowOrderSurviveTheRoundTrip) {
    constexpr int kBlock = 16;
    struct TColour {
        int Red, Green, Blue;
    };
    const TColour Top[3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
    const TColour Bottom[3] = {{255, 255, 0}, {255, 255, 255}, {0, 0, 0}};

    TFastDIB Image;
    Image.SetSize(3 * kBlock, 2 * kBlock, 32);
    for (int Row = 0; Row < 2 * kBlock; ++Row)
        for (int X = 0; X < 3 * kBlock; ++X) {
            const TColour* Colours = Row >= kBlock ? Top : Bottom;
            const TColour& C = Colours[X / kBlock];
            Fill(Image, X, Row,
                 {static_cast<std::uint8_t>(C.Blue), static_cast<std::uint8_t>(C.Green),
                  static_cast<std::uint8_t>(C.Red), 0x55});
        }

    TFreeBitmap Writer;
    CopyToWriter(Image, Writer);
    const fs::path File = FDir / "vidéo_0.jpg"; // names are UTF-8 and may hold any character
    ASSERT_TRUE(Written(Writer, File));

    const QImage Back = Load(File);
    ASSERT_EQ(Back.width(), 3 * kBlock);
    ASSERT_EQ(Back.height(), 2 * kBlock);
    for (int BlockRow = 0; BlockRow < 2; ++BlockRow)
        for (int BlockX = 0; BlockX < 3; ++BlockX) {
            const TColour* Colours = BlockRow == 0 ? Top : Bottom;
            const TColour& Expected = Colours[BlockX];
            const QColor Got = Back.pixelColor(BlockX * kBlock + kBlock / 2, BlockRow * kBlock + kBlock / 2);
            EXPECT_NEAR(Got.red(), Expected.Red, 8) << "block " << BlockX << "," << BlockRow;
            EXPECT_NEAR(Got.green(), Expected.Green, 8) << "block " << BlockX << "," << BlockRow;
            EXPECT_NEAR(Got.blue(), Expected.Blue, 8) << "block " << BlockX << "," << BlockRow;
        }
}

TEST_F(FreeBitmapTest, ReplacingReleasesTheOldBitmapUnlessAHandlerKeepsIt) {
    TFreeBitmap Writer(kFitBitmap, 4, 4, 32);
    ASSERT_TRUE(Writer.IsValid());
    int Changes = 0;
    FIBITMAP* Kept = nullptr;
    Writer.OnChange = [&](TFreeBitmap*) { ++Changes; };
    Writer.OnChanging = [&](TFreeBitmap*, FIBITMAP* Old, FIBITMAP*, bool& Handled) {
        Kept = Old;
        Handled = true;
    };
    FIBITMAP* const Original = Writer.Dib();
    ASSERT_TRUE(Writer.ConvertTo24Bits());
    EXPECT_EQ(Kept, Original);
    EXPECT_NE(Writer.Dib(), Original);
    EXPECT_EQ(Changes, 1);
    FreeImage_Unload(Kept); // the handler took it over; freeing it twice would be caught by ASan

    Writer.OnChanging = nullptr;
    ASSERT_TRUE(Writer.ConvertTo24Bits()); // the 24-bit bitmap is released by the writer this time
    EXPECT_EQ(Changes, 2);
    Writer.Clear();
    EXPECT_FALSE(Writer.IsValid());
    EXPECT_EQ(Changes, 3);

    TFreeBitmap Refused(kFitBitmap, 0, 4, 32);
    EXPECT_FALSE(Refused.IsValid());
    EXPECT_FALSE(Refused.SetSize(kFitBitmap, 0, 4, 32));

    TFastDIB NoPixels;
    CopyToWriter(NoPixels, Refused);
    EXPECT_FALSE(Refused.IsValid());
}

} // namespace
