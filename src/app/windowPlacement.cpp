#include "windowPlacement.h"

#include <algorithm>

void WMSizing(TWindowRect& Rect, const TWindowRect& Work) {
    Rect.Left = std::max(Rect.Left, Work.Left);
    Rect.Top = std::max(Rect.Top, Work.Top);
    Rect.Right = std::min(Rect.Right, Work.Right);
    Rect.Bottom = std::min(Rect.Bottom, Work.Bottom);
}

void WMMoving(TWindowRect& Rect, int W, int H, const TWindowRect& Work) {
    if (Rect.Left <= Work.Left) {
        Rect.Left = Work.Left;
        Rect.Right = Work.Left + W;
    }
    if (Rect.Right >= Work.Right) {
        Rect.Left = Work.Right - W;
        Rect.Right = Work.Right;
    }
    if (Rect.Top <= Work.Top) {
        Rect.Top = Work.Top;
        Rect.Bottom = Work.Top + H;
    }
    if (Rect.Top >= Work.Bottom - H) {
        Rect.Top = Work.Bottom - H;
        Rect.Bottom = Rect.Top + H;
    }
}

TWindowRect CenteredRect(int W, int H, const TWindowRect& Work) {
    const int Left = Work.Left + std::max(0, (Work.Right - Work.Left - W) / 2);
    const int Top = Work.Top + std::max(0, (Work.Bottom - Work.Top - H) / 2);
    return {Left, Top, Left + W, Top + H};
}
