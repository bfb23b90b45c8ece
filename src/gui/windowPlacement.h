// The rectangle arithmetic that places the main window: the rule that keeps a moved window
// within reach on a desktop of one or more screens, the clamping of a window being sized to
// the work area, and the centring at start. A work area is a rectangle of its own screen in
// desktop coordinates: a second monitor to the right starts at its own left edge, a panel
// at the top moves its top down. Pure functions, so that they are tested without a window
// system; the main window applies them where the platform lets a program place its window
// (X11).
#pragma once

#include <vector>

struct TWindowRect {
    int Left, Top, Right, Bottom; // right and bottom exclusive
    bool operator==(const TWindowRect&) const = default;
};

// A window being sized: each edge is kept inside the work area on its own.
void WMSizing(TWindowRect& Rect, const TWindowRect& Work);

// How much of the title bar stays on a screen, so that the window can be taken and moved back.
constexpr int kTitleGrip = 64;
// The height of the window's top edge kept on a screen when its title bar is lower (or it has
// none, without a window manager).
constexpr int kMinTitleHeight = 24;

// A window being moved goes wherever it is put, across screens and partly off them, as long as
// it stays within reach: its whole title bar height and kTitleGrip pixels of its width in one
// work area. A window out of reach is moved the shortest way back into reach of the nearest
// work area. Rect: the outer rectangle; TitleHeight: the title bar's height (the frame above
// the client area).
void WMMoving(TWindowRect& Rect, int TitleHeight, const std::vector<TWindowRect>& WorkAreas);

// Where a window of outer size W x H is put at start: centred in the work area, and never
// left of or above it when it is larger.
TWindowRect CenteredRect(int W, int H, const TWindowRect& Work);
