#include "splashForm.h"

#include "artwork.h"
#include "gui/widgets/humanskin.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

const QColor kFrameColor(208, 208, 208);
constexpr const char* kPicture = "splash.jpg";
constexpr int kPictureLeft = 5;
constexpr int kPictureTop = 4;

} // namespace

TsplashDlg::TsplashDlg(QWidget* Parent) : QWidget(Parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("splashDlg"));
    setFixedSize(kClientWidth, kClientHeight);
    SetSkinColor(this, QPalette::Window, Qt::white);
    setAutoFillBackground(true);
    // Qt paints every widget double-buffered, so the picture never flickers while the
    // main window is being built behind it.

    // A one-pixel outline and no fill: a plain box frame drawn in the window-text colour.
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(0, 0, kClientWidth, kClientHeight);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setLineWidth(1);
    SetSkinColor(Shape1, QPalette::WindowText, kFrameColor);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap Picture = QPixmap::fromImage(Artwork(QString::fromLatin1(kPicture)));
    Image1->setPixmap(Picture);
    Image1->setGeometry(kPictureLeft, kPictureTop, static_cast<int>(Picture.deviceIndependentSize().width()),
                        static_cast<int>(Picture.deviceIndependentSize().height()));

    // In the middle of the desktop.
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Desktop = Screen->geometry();
        move(Desktop.left() + (Desktop.width() - kClientWidth) / 2,
             Desktop.top() + (Desktop.height() - kClientHeight) / 2);
    }
}
