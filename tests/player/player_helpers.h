// Helpers of the player tests: waiting for worker reports on the main thread, with the
// plain loop or with the Qt event loop, and reading the frame identity off the panel.
#pragma once

#include "engine/qtdispatcher.h"
#include "engine/thread.h"
#include "frame_identity.h"
#include "gui/widgets/videopanel.h"

#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <chrono>
#include <functional>

using namespace std::chrono_literals;

// Generous: a sanitizer build on a busy machine may be many times slower.
constexpr std::chrono::milliseconds kPatience = 90s;

// Serves the workers' reports on this (main) thread until Done, for at most Limit.
inline bool ServeUntil(const std::function<bool()>& Done, std::chrono::milliseconds Limit = kPatience) {
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    while (!Done()) {
        if (std::chrono::steady_clock::now() > Deadline)
            return false;
        TLoopDispatcher::ProcessHandOffs(20ms);
    }
    return true;
}

// Serves whatever arrives during Span (reports that should not come).
inline void ServeFor(std::chrono::milliseconds Span) {
    const auto End = std::chrono::steady_clock::now() + Span;
    while (std::chrono::steady_clock::now() < End)
        TLoopDispatcher::ProcessHandOffs(10ms);
}

// The same through the Qt event loop, as in the program: reports wake the loop through a
// posted event.
inline bool RunEventLoopUntil(const std::function<bool()>& Done,
                              std::chrono::milliseconds Limit = kPatience) {
    TQtDispatcher Dispatcher;
    QEventLoop Loop;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, &Loop, [&] {
        if (Done())
            Loop.quit();
    });
    Poll.start(10);
    QTimer::singleShot(Limit, &Loop, &QEventLoop::quit);
    if (!Done())
        Loop.exec();
    return Done();
}

// The identity of the frame shown in the rectangle (X, Y, W, H) of an image.
inline TFrameIdentity IdentityIn(const QImage& Image, int X, int Y, int W, int H) {
    return ReadIdentity(W, H, [&](int PX, int PY) { return qGreen(Image.pixel(X + PX, Y + PY)); });
}

// What the panel shows, drawn by its own paint, in the screen's pixels.
inline QImage ShownImage(TSDLPanel& Panel) {
    return Panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The identity of the frame filling the whole output of a panel whose shape is the video's.
inline TFrameIdentity ShownIdentity(TSDLPanel& Panel) {
    const QImage Image = ShownImage(Panel);
    return IdentityIn(Image, 0, 0, Image.width(), Image.height());
}
