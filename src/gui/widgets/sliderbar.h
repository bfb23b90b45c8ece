// TSliderBar: a horizontal slider drawn from six pictures (two end caps, a stretched
// track, a pointer in its idle and held looks, and a stretched selection highlight).
// The main window uses it for the playback position and the range between the start
// and end marks. Values are plain 64-bit integers; the control raises no change event:
// its owner watches the mouse events and reads Position when the pointer is let go.
//
// Tab reaches the slider (a click does not take the focus); with the focus its pointer is
// edged in the skin's focus colour and the keys move it: Left and Down one step back,
// Right and Up one forward (a step is one unit, or as many as one pixel holds), Page Up
// and Page Down a tenth of the way, Home and End to the ends. Each move raises OnKeyMove,
// on which the owner reads Position as after a release.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>

class TSliderBar : public QWidget {
public:
    using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TSliderBar(QWidget* Parent = nullptr);

    // Each mouse event is raised twice per press, move and release: once before the
    // control reacts and once after (a right press raises OnMouseDown only once). The
    // owner relies on that order: it sees the pointer hit on the second press event and
    // the held state on the first release event.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    std::function<void(QObject* Sender)> OnKeyMove;

    // True from a press that hit the pointer until the release.
    bool MouseOnPointer() const { return FMouseOnPointer; }
    bool isDown() const { return FisDown; }

    // The pieces are copied on assignment; a null image empties the piece.
    const QImage& BarLeft() const { return FBarLeft; }
    const QImage& BarRight() const { return FBarRight; }
    const QImage& Bar() const { return FBar; }
    const QImage& BarPointer() const { return FBarPointer; }
    const QImage& BarPointerDown() const { return FBarPointerDown; }
    const QImage& BarProgress() const { return FBarProgress; }
    void SetBarLeft(const QImage& Value);
    void SetBarRight(const QImage& Value);
    void SetBar(const QImage& Value);
    void SetBarPointer(const QImage& Value);
    void SetBarPointerDown(const QImage& Value);
    void SetBarProgress(const QImage& Value);

    int64_t Position() const { return FPosition; }
    int64_t Max() const { return FMax; }
    int64_t SelStart() const { return FSelStart; }
    int64_t SelEnd() const { return FSelEnd; }
    void SetPosition(int64_t Value);
    void SetMax(int64_t Value);
    void SetSelStart(int64_t Value);
    void SetSelEnd(int64_t Value);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    // Claims the keys it moves by from the window's shortcuts while it has the focus.
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void UpdateScale();
    void UpdateRects();
    // The pointer's travel: the client width less the pointer's width.
    int64_t UsableLength() const;
    int64_t ValueToPixel(int64_t Value) const;
    void DoMouseDown(QMouseEvent* Event);
    void DoMouseUp(QMouseEvent* Event);
    void DoMouseMove(QMouseEvent* Event);
    // Where Key puts the pointer; Position when it is not a key the slider moves by.
    int64_t KeyTarget(int Key) const;

    // Declared so that they are destroyed highlight first, track last.
    QImage FBar;
    QImage FBarLeft;
    QImage FBarRight;
    QImage FBarPointer;
    QImage FBarPointerDown;
    QImage FBarProgress;

    // Where the track, the pointer and the highlight are drawn. The first two are laid
    // out at every paint; the highlight only when a selection end is assigned.
    QRect FBarRect;
    QRect FPointerRect;
    QRect FSelRect;
    double FScale = 0.0; // pixels per unit of value
    int FGrabOffset = 0; // press X minus the pointer's left edge
    int64_t FPosition = 0;
    int64_t FMax = 10;
    int64_t FSelStart = 0;
    int64_t FSelEnd = 0;
    bool FisDown = false;
    bool FMouseOnPointer = false;
};
