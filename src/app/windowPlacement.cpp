#include "windowPlacement.h"

#include <algorithm>

void WMSizing(TWindowRect& Rect, int WorkWidth, int WorkHeight) {
    if (Rect.Left <= 0)
        Rect.Left = 0;
    if (Rect.Top <= 0)
        Rect.Top = 0;
    if (Rect.Right >= WorkWidth)
        Rect.Right = WorkWidth;
    if (Rect.Bottom >= WorkHeight)
        Rect.Bottom = WorkHeight;
}

void WMMoving(TWindowRect& Rect, int W, int H, int WorkWidth, int WorkHeight) {
    if (Rect.Left <= 0) {
        Rect.Left = 0;
        Rect.Right = W;
    }
    if (Rect.Right >= WorkWidth) {
        Rect.Left = WorkWidth - W;
        Rect.Right = WorkWidth;
    }
    if (Rect.Top <= 0) {
        Rect.Top = 0;
        Rect.Bottom = H;
    }
    if (Rect.Top >= WorkHeight - H) {
        Rect.Top = WorkHeight - H;
        Rect.Bottom = Rect.Top + H;
    }
}

TWindowRect CenteredRect(int W, int H, int WorkWidth, int WorkHeight) {
    const int Left = std::max(0, (WorkWidth - W) / 2);
    const int Top = std::max(0, (WorkHeight - H) / 2);
    return {Left, Top, Left + W, Top + H};
}
