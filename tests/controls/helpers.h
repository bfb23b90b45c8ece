// Small things the control tests share: artwork made in code, mouse events sent straight
// to a widget, and pixel reading.
#pragma once

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

// A one-colour picture; with Alpha the picture has an alpha channel (still opaque).
inline QImage Piece(int Width, int Height, const QColor& Color, bool Alpha = false) {
    QImage Image(Width, Height, Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Image.fill(Color);
    return Image;
}

inline void SendMouse(QWidget* Widget, QEvent::Type Type, Qt::MouseButton Button, QPoint At,
                      Qt::MouseButtons Held) {
    QMouseEvent Event(Type, At, Widget->mapToGlobal(At), Button, Held, Qt::NoModifier);
    QApplication::sendEvent(Widget, &Event);
}

inline void Press(QWidget* Widget, Qt::MouseButton Button, QPoint At) {
    SendMouse(Widget, QEvent::MouseButtonPress, Button, At, Button);
}

inline void Move(QWidget* Widget, QPoint At, Qt::MouseButtons Held = Qt::NoButton) {
    SendMouse(Widget, QEvent::MouseMove, Qt::NoButton, At, Held);
}

inline void Release(QWidget* Widget, Qt::MouseButton Button, QPoint At) {
    SendMouse(Widget, QEvent::MouseButtonRelease, Button, At, Qt::NoButton);
}

inline QRgb Pixel(const QImage& Image, int X, int Y) {
    return Image.pixelColor(X, Y).rgb();
}

inline QRgb Rgb(const QColor& Color) {
    return Color.rgb();
}

// Keeps a rendering for a person to look at when TROVELLE_CONTROLS_PNG_DIR names a folder.
inline void KeepPicture(const QImage& Image, const char* Name) {
    const QString Dir = qEnvironmentVariable("TROVELLE_CONTROLS_PNG_DIR");
    if (!Dir.isEmpty())
        Image.save(QDir(Dir).filePath(QString::fromUtf8(Name) + ".png"));
}
