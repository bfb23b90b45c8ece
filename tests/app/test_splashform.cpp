// The splash window: borderless, white, framed in light grey, its picture at its place and
// in the middle of the desktop.
#include "gui/artwork.h"
#include "gui/splashForm.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

TEST(TSplashForm, BorderlessFramedPictureInTheMiddleOfTheDesktop) {
    TsplashDlg Splash;
    EXPECT_EQ(Splash.size(), QSize(561, 309));
    EXPECT_EQ(Splash.minimumSize(), Splash.maximumSize());
    EXPECT_TRUE(Splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(Splash.Shape1->geometry(), QRect(0, 0, 561, 309));
    EXPECT_EQ(Splash.Image1->geometry(), QRect(5, 4, 550, 300));
    EXPECT_EQ(Splash.frameGeometry().center(), QGuiApplication::primaryScreen()->geometry().center());

    Splash.show();
    const QImage Shot = Splash.grab().toImage();
    const QString Dir = qEnvironmentVariable("TROVELLE_FORMS_PNG_DIR");
    if (!Dir.isEmpty())
        Shot.save(QDir(Dir).filePath("splash.png"));

    // The frame runs round the edge; inside it, white, then the picture.
    const QColor Frame(208, 208, 208);
    for (QPoint P :
         {QPoint(0, 0), QPoint(560, 0), QPoint(0, 308), QPoint(560, 308), QPoint(280, 0), QPoint(0, 150)})
        EXPECT_EQ(QColor(Shot.pixel(P)), Frame) << P.x() << "," << P.y();
    for (QPoint P : {QPoint(1, 1), QPoint(3, 150), QPoint(559, 307), QPoint(557, 150)})
        EXPECT_EQ(QColor(Shot.pixel(P)), QColor(Qt::white)) << P.x() << "," << P.y();
    const QImage Picture = Artwork(QStringLiteral("splash.jpg"));
    for (QPoint P : {QPoint(0, 0), QPoint(275, 200), QPoint(549, 299)})
        EXPECT_EQ(Shot.pixel(P + QPoint(5, 4)), Picture.pixel(P)) << P.x() << "," << P.y();
}

// Every picture exists at the size its place needs; those drawn over others carry alpha.
TEST(TArtwork, EveryPictureAtItsSize) {
    struct TCase {
        const char* File;
        QSize Size;
        bool Alpha;
    };
    const TCase Cases[] = {
        {"header_band.png", {283, 92}, false},
        {"footer_band.png", {283, 28}, false},
        {"header_art.png", {600, 92}, true},
        {"monitor.png", {512, 400}, true},
        {"tb_background.png", {2, 28}, false},
        {"bar_left.png", {1, 5}, false},
        {"bar_right.png", {1, 5}, false},
        {"bar.png", {5, 5}, false},
        {"bar_progress.png", {5, 5}, false},
        {"bar_pointer.png", {25, 14}, true},
        {"bar_pointer_down.png", {25, 14}, true},
        {"glyph_pause.png", {32, 32}, true},
        {"glyph_play.png", {32, 32}, true},
        {"glyph_stop.png", {32, 32}, true},
        {"glyph_point.png", {32, 32}, true},
        {"glyph_pause_disabled.png", {32, 32}, true},
        {"glyph_play_disabled.png", {32, 32}, true},
        {"glyph_stop_disabled.png", {32, 32}, true},
        {"glyph_point_disabled.png", {32, 32}, true},
        {"splash.jpg", {550, 300}, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.File);
        const QImage Image = Artwork(QString::fromLatin1(C.File));
        EXPECT_EQ(Image.size(), C.Size);
        EXPECT_EQ(Image.hasAlphaChannel(), C.Alpha);
    }
    // The header artwork has faded out completely at its right edge.
    const QImage Header = Artwork(QStringLiteral("header_art.png"));
    for (int Y = 0; Y < Header.height(); ++Y)
        EXPECT_EQ(qAlpha(Header.pixel(599, Y)), 0) << Y;
    // The monitor draws nothing where the footer band lies (window y 490 on, picture y 386 on).
    const QImage Monitor = Artwork(QStringLiteral("monitor.png"));
    for (int Y = 386; Y < Monitor.height(); ++Y)
        for (int X = 0; X < Monitor.width(); ++X)
            ASSERT_EQ(qAlpha(Monitor.pixel(X, Y)), 0) << X << "," << Y;
    EXPECT_THROW(Artwork(QStringLiteral("no such picture.png")), std::runtime_error);
}

} // namespace
