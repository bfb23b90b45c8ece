#include "videopanel.h"

#include "engine/rounding.h"
#include "image/imagebuffer.h"
#include "sdlutils.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <SDL/SDL.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>

namespace {

// Hardware surface with hardware acceleration: SDL gives a software surface where the
// driver has neither.
constexpr Uint32 kScreenFlags = SDL_HWSURFACE | SDL_HWACCEL;
// 32 bits: the frames' own layout. With the dummy driver depth 0 would mean an 8-bit
// palette that quantises colours.
constexpr int kScreenDepth = 32;

} // namespace

TLetterbox Letterbox(int OW, int OH, double AspectRatio) {
    if (!(AspectRatio > 0) || !std::isfinite(AspectRatio))
        return {0, 0, OW, OH};
    // Rounded in double and compared before the conversion, so that an extreme ratio
    // cannot overflow an int. Halves go to the even neighbour.
    const double FullWidthHeight = static_cast<double>(RoundHalfEven(OW / AspectRatio));
    int W = OW;
    int H = static_cast<int>(std::min(FullWidthHeight, static_cast<double>(OH) + 1));
    if (H > OH) {
        H = OH;
        W = static_cast<int>(std::min(static_cast<double>(RoundHalfEven(OH * AspectRatio)), static_cast<double>(OW)));
    }
    return {(OW - W) / 2, (OH - H) / 2, W, H};
}

TSDLPanel::TSDLPanel(QWidget* Owner) : QWidget(Owner) {
    // The panel paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette Black = palette();
    Black.setColor(QPalette::Window, Qt::black);
    setPalette(Black);
}

TSDLPanel::~TSDLPanel() {
    std::lock_guard Lock(FScreenLock);
    SDL_FreeSurface(FScaledSurface);
    SDL_FreeSurface(FFrameSurface);
    SDL_FreeSurface(FScreen); // SDL ignores this for its own output surface
    if (FVideoStarted)
        SDL_Quit();
}

void TSDLPanel::InitVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE);
    // SDL puts its own handlers on these, which would keep the program from ending.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    FVideoStarted = true;
    std::lock_guard Lock(FScreenLock);
    OpenOutput();
}

QSize TSDLPanel::DeviceSize() const {
    // The picture is made at the screen's own pixels, so that a scaled desktop (a scale
    // factor of 2) shows the video as sharp as at 1, not a 1x picture blown up.
    const qreal Ratio = devicePixelRatioF();
    return QSize(std::max(static_cast<int>(RoundToInt64(width() * Ratio)), 1),
                 std::max(static_cast<int>(RoundToInt64(height() * Ratio)), 1));
}

void TSDLPanel::OpenOutput() {
    const QSize Size = DeviceSize();
    FScreen = SDL_SetVideoMode(Size.width(), Size.height(), kScreenDepth, kScreenFlags);
}

void TSDLPanel::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    // Qt delivers a resize held back while the panel was hidden when it is first shown;
    // reopening at the same size would wipe the picture drawn meanwhile.
    const bool SameSize = FScreen && QSize(FScreen->w, FScreen->h) == DeviceSize();
    if (FVideoStarted && !SameSize) {
        std::lock_guard Lock(FScreenLock);
        OpenOutput();
    }
    if (OnResize)
        OnResize(this);
}

void TSDLPanel::Clear(uint32_t Color) {
    std::lock_guard Lock(FScreenLock);
    if (FScreen)
        SDL_FillRect(FScreen, nullptr, Color);
}

void TSDLPanel::Present() {
    if (!FHasFrameSurface)
        return;
    {
        std::lock_guard Lock(FScreenLock);
        if (FScreen)
            SDL_Flip(FScreen);
    }
    update();
}

void TSDLPanel::SetFrameSize(int W, int H) {
    SDL_FreeSurface(FFrameSurface);
    // All masks 0: SDL's standard 32-bit layout, red in bits 16-23, green 8-15, blue
    // 0-7, which is the decoder's 0x00RRGGBB.
    FFrameSurface = SDL_CreateRGBSurface(SDL_HWSURFACE, W, H, 32, 0, 0, 0, 0);
    FHasFrameSurface = FFrameSurface && FFrameSurface->pixels;
}

void TSDLPanel::ShowFrame(const TDecoderFrame* Frame) {
    if (!Frame || !FFrameSurface)
        return;
    SDL_LockSurface(FFrameSurface);
    MoveLongs(Frame->Pixels, FFrameSurface->pixels, FFrameSurface->w * FFrameSurface->h);
    SDL_UnlockSurface(FFrameSurface);

    std::lock_guard Lock(FScreenLock);
    if (!FScreen)
        return;
    const TLetterbox Box = Letterbox(FScreen->w, FScreen->h, AspectRatio);
    FScaledSurface = ScaleSurface(FFrameSurface, 0, 0, FFrameSurface->w, FFrameSurface->h, Box.W, Box.H);
    SDL_FillRect(FScreen, nullptr, 0);
    if (FScaledSurface) {
        SDL_Rect Source{0, 0, static_cast<Uint16>(Box.W), static_cast<Uint16>(Box.H)};
        SDL_Rect Target{static_cast<Sint16>(Box.X), static_cast<Sint16>(Box.Y), 0, 0};
        SDL_UpperBlit(FScaledSurface, &Source, FScreen, &Target);
    }
    SDL_FreeSurface(FScaledSurface);
    FScaledSurface = nullptr;
}

void TSDLPanel::paintEvent(QPaintEvent* Event) {
    if (!FHasFrameSurface) {
        // Before the first frame: the widget's own background.
        QPainter Painter(this);
        Painter.fillRect(Event->rect(), palette().window());
        return;
    }
    std::lock_guard Lock(FScreenLock);
    if (!FScreen)
        return;
    SDL_Flip(FScreen);
    QImage Output(static_cast<const uchar*>(FScreen->pixels), FScreen->w, FScreen->h, FScreen->pitch,
                  QImage::Format_RGB32);
    Output.setDevicePixelRatio(static_cast<qreal>(FScreen->w) / std::max(width(), 1));
    QPainter Painter(this);
    Painter.drawImage(0, 0, Output);
}
