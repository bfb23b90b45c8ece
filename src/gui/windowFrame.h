// The frame a window manager puts around a top-level window, known before the window is
// first shown, so that the window is placed once, where it stays, instead of being shown,
// framed and moved again.
#pragma once

#include <QMargins>

class QWidget;

// Asks the X11 window manager for the frame it will give Window (_NET_REQUEST_FRAME_EXTENTS,
// which makes the native window without showing it) and waits up to TimeoutMs for the
// answer: the frame's width on each side in the window's units. Empty margins where the
// platform is not X11, no window manager answers such requests, or none answered in time.
QMargins ExpectedFrameMargins(QWidget* Window, int TimeoutMs = 250);
