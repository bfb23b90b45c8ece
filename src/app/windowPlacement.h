// The rectangle arithmetic that keeps the main window on the screen: the clamping of a
// window being moved or sized to the work area, and the centring at start. The work area
// is a rectangle of its own screen in desktop coordinates: a second monitor to the right
// starts at its own left edge, a panel at the top moves its top down. Pure functions, so
// that they are tested without a window system; the main window applies them where the
// platform lets a program place its window (X11).
#pragma once

struct TWindowRect {
    int Left, Top, Right, Bottom; // right and bottom exclusive
    bool operator==(const TWindowRect&) const = default;
};

// A window being sized: each edge is kept inside the work area on its own.
void WMSizing(TWindowRect& Rect, const TWindowRect& Work);

// A window of outer size W x H being moved: it is moved back inside the work area, its size
// kept: left and right edges first, then top and bottom.
void WMMoving(TWindowRect& Rect, int W, int H, const TWindowRect& Work);

// Where a window of outer size W x H is put at start: centred in the work area, and never
// left of or above it when it is larger.
TWindowRect CenteredRect(int W, int H, const TWindowRect& Work);
