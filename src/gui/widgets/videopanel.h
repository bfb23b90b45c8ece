// TSDLPanel is the video panel of the main window: SDL 1.2 draws every frame into the
// panel's output surface, letterboxed (scaled to fit by the display aspect ratio and
// centred on black), and the widget paints that surface.
//
// SDL runs with its "dummy" video driver, which gives a plain 32-bit software output
// surface of the panel's size; the widget shows it through a QImage wrapping its pixels.
// The play thread draws into the output surface while the main thread may paint it, so
// one mutex serialises the two. SDL keeps one output surface per process: there is one
// panel in a program.
//
// The play manager sets AspectRatio, sizes the frame surface and shows still frames on the
// main thread; the play thread calls ShowFrame for every frame during playback. Everything
// else runs on the main thread.
#pragma once

#include "decoder_api.h"
#include "playback/framesink.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <mutex>

struct SDL_Surface;

// Where a picture of display aspect AspectRatio lands in an OW x OH output: the full
// width or the full height, centred. A ratio that is not a positive number fills the
// whole output.
struct TLetterbox {
    int X, Y, W, H;
    bool operator==(const TLetterbox&) const = default;
};
TLetterbox Letterbox(int OW, int OH, double AspectRatio);

class TSDLPanel : public QWidget, public TVideoScreen {
public:
    explicit TSDLPanel(QWidget* Owner = nullptr);
    ~TSDLPanel() override;

    // Starts SDL and opens the output surface at the panel's size. Called once, after the
    // panel has its parent and bounds.
    void InitVideo();
    // Fills the whole output surface with Color (an output surface pixel value).
    void Clear(uint32_t Color) override;
    // Makes the output surface visible; nothing before the first frame surface exists.
    void Present() override;
    // (Re)creates the frame surface at the video's size.
    void SetFrameSize(int W, int H) override;
    // Draws Frame (FrameWidth x FrameHeight of the size last given to SetFrameSize)
    // letterboxed into the output surface, without making it visible. Runs on the play
    // thread during playback.
    void ShowFrame(const TDecoderFrame* Frame) override;
    void SetAspectRatio(double Ratio) override { AspectRatio = Ratio; }

    double AspectRatio = 1.0;
    std::function<void(TSDLPanel*)> OnResize;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    // The panel's size in the screen's own pixels.
    QSize DeviceSize() const;
    void OpenOutput();

    SDL_Surface* FFrameSurface = nullptr;
    SDL_Surface* FScaledSurface = nullptr;
    SDL_Surface* FScreen = nullptr;
    // Main thread only. SDL_LockSurface writes the frame surface's pixel pointer on the
    // play thread, so painting must not look at the surface itself to know whether a
    // frame exists.
    bool FHasFrameSurface = false;
    bool FVideoStarted = false;
    // Drawing into the output surface (play thread) against painting and reopening it
    // (main thread).
    std::mutex FScreenLock;
};
