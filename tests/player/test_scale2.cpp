// The window at a scale factor of 2 (QT_SCALE_FACTOR=2, set before the application
// starts): the video panel makes its picture at the screen's own pixels and shows it
// 1:1, so a 720p video is as sharp as at scale 1 instead of a half-size picture doubled.
#include "gui/artwork.h"
#include "gui/mainForm.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/videopanel.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>

#include <gtest/gtest.h>

#include <vector>

namespace {

class TScale2Environment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_SCALE_FACTOR", "2");
        FApp = new QApplication(FArgc, FArgv);
    }
    void TearDown() override { delete FApp; }

private:
    int FArgc = 1;
    char FName[7] = "scale2";
    char* FArgv[2] = {FName, nullptr};
    QApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TScale2Environment);

} // namespace

TEST(ScaleFactor2, VideoPanelDrawsAtDevicePixels) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    TSDLPanel Panel;
    Panel.resize(395, 193);
    Panel.InitVideo();
    // A frame of the surface's own size in device pixels, so that it is shown unscaled, with the
    // finest detail there is: one-pixel stripes.
    Panel.AspectRatio = 790.0 / 386.0;
    std::vector<uint32_t> Pixels(790 * 386);
    for (size_t I = 0; I < Pixels.size(); ++I)
        Pixels[I] = (I % 790) % 2 ? 0x00FFFFFFu : 0x00203040u;
    TDecoderFrame Frame{Pixels.data()};
    Panel.SetFrameSize(790, 386);
    Panel.ShowFrame(&Frame);
    Panel.Present();

    const QImage Shown = Panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Shown.size(), QSize(790, 386));
    // Drawn at device pixels, every stripe is where it was made: a picture made at 395 wide and
    // blown up would show each pixel twice.
    int Wrong = 0;
    for (int Y = 0; Y < 386; ++Y)
        for (int X = 0; X < 790; ++X)
            Wrong += (Shown.pixel(X, Y) & 0xFFFFFF) != Pixels[static_cast<size_t>(Y) * 790 + X];
    EXPECT_EQ(Wrong, 0);
}

// Every picture of the forms comes drawn at twice the size, covering the same area.
TEST(ScaleFactor2, ArtworkAtTwiceTheSize) {
    int Pictures = 0;
    QDirIterator Files(QStringLiteral(TEST_SOURCEDIR "/../../resources/images"), QDir::Files);
    while (Files.hasNext()) {
        const QString Name = QFileInfo(Files.next()).fileName();
        if (Name.contains(QLatin1String("@2x")))
            continue;
        SCOPED_TRACE(Name.toStdString());
        const QImage Picture = Artwork(Name);
        const QImage Plain(QStringLiteral(TEST_SOURCEDIR "/../../resources/images/") + Name);
        EXPECT_EQ(Picture.devicePixelRatio(), 2.0);
        EXPECT_EQ(Picture.size(), Plain.size() * 2);
        EXPECT_EQ(Picture.deviceIndependentSize().toSize(), Plain.size());
        ++Pictures;
    }
    EXPECT_GE(Pictures, 20);
    // The form lays them out by that area.
    TmainDlg Form;
    EXPECT_EQ(Form.btnPlay->Image().size(), QSize(64, 64));
    EXPECT_EQ(Form.Image4->geometry().size(), Form.Image4->pixmap().deviceIndependentSize().toSize());
    EXPECT_EQ(Form.Image4->geometry().size(), QImage(TEST_SOURCEDIR "/../../resources/images/monitor.png").size());
}
