#include "windowPlacement.h"

#include <algorithm>

void WMSizing(TWindowRect& Rect, const TWindowRect& Work) {
    Rect.Left = std::max(Rect.Left, Work.Left);
    Rect.Top = std::max(Rect.Top, Work.Top);
    Rect.Right = std::min(Rect.Right, Work.Right);
    Rect.Bottom = std::min(Rect.Bottom, Work.Bottom);
}

void WMMoving(TWindowRect& Rect, int TitleHeight, const std::vector<TWindowRect>& WorkAreas) {
    const int W = Rect.Right - Rect.Left;
    const int H = Rect.Bottom - Rect.Top;
    const int Grip = std::min(kTitleGrip, W);
    bool Found = false;
    long long Best = 0;
    TWindowRect Nearest = Rect;
    for (const TWindowRect& Work : WorkAreas) {
        // The places in reach of this work area form a rectangle of top-left corners; the
        // nearest of them is the clamped corner (the top edge before the bottom one, so a
        // screen lower than the title bar keeps the title bar at its top).
        const int Left = std::max(Work.Left - W + Grip, std::min(Rect.Left, Work.Right - Grip));
        const int Top = std::max(Work.Top, std::min(Rect.Top, Work.Bottom - TitleHeight));
        const long long Distance = static_cast<long long>(Left - Rect.Left) * (Left - Rect.Left) +
                                   static_cast<long long>(Top - Rect.Top) * (Top - Rect.Top);
        if (!Found || Distance < Best) {
            Found = true;
            Best = Distance;
            Nearest = {Left, Top, Left + W, Top + H};
        }
    }
    Rect = Nearest;
}

TWindowRect CenteredRect(int W, int H, const TWindowRect& Work) {
    const int Left = Work.Left + std::max(0, (Work.Right - Work.Left - W) / 2);
    const int Top = Work.Top + std::max(0, (Work.Bottom - Work.Top - H) / 2);
    return {Left, Top, Left + W, Top + H};
}
