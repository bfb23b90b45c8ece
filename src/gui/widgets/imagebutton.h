// TImageButton: a push button drawn entirely from four pictures, a normal, a hover, a
// pressed and a disabled face, each at its own size from the top-left corner. The main
// window's player buttons (play, pause, stop, start and end mark) are image buttons and
// the controller listens to their OnClick.
//
// FaceEnabled is the button's own flag: it picks the disabled face and blocks the click,
// but the widget itself stays enabled and keeps receiving the mouse.
//
// Tab reaches the button (a click does not take the focus); with the focus its face is
// edged in the skin's focus colour, and Enter or Return clicks it.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>

class TImageButton : public QWidget {
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TImageButton(QWidget* Parent = nullptr);

    // Faces are copied on assignment; a null image empties the face.
    const QImage& Image() const { return FImage; }
    const QImage& ImageOver() const { return FImageOver; }
    const QImage& ImageDown() const { return FImageDown; }
    const QImage& ImageDisable() const { return FImageDisable; }
    void SetImage(const QImage& Value);
    void SetImageOver(const QImage& Value);
    void SetImageDown(const QImage& Value);
    void SetImageDisable(const QImage& Value);

    // Draw the pressed face 2 pixels right and down.
    bool UseDown() const { return FUseDown; }
    void SetUseDown(bool Value) { FUseDown = Value; }

    bool FaceEnabled() const { return FEnabled; }
    void SetFaceEnabled(bool Value);

    // Raised by a left press and release anywhere inside a face-enabled button.
    TNotifyEvent OnClick;
    void Click();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    QImage FImage;
    QImage FImageDown;
    QImage FImageOver;
    QImage FImageDisable;
    bool FUseDown = true;
    bool FEnabled = true;
    bool FMouseIn = false;
    bool FPressed = false;
    bool FClickPressed = false; // a left press began inside the control
    // Where the face was drawn last; also the part of the control that counts as the
    // button for the mouse.
    QRect FImageRect;
};
