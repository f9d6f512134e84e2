#include "processing/table/TSeekPlacement.h"

#include <algorithm>

namespace vorelt {

int32_t CenteredScroll(int32_t row, int32_t visible, int32_t maxScroll) {
    const int32_t top = row - std::max<int32_t>(visible, 1) / 2;
    return std::clamp<int32_t>(top, 0, std::max<int32_t>(maxScroll, 0));
}

TScreenRect WindowOffRow(const TScreenRect& window, const TScreenRect& row,
                         const TScreenRect& screen) {
    if (!window.Intersects(row)) return window;
    // A small gap, so that the row's frame stays visible too.
    constexpr int32_t gap = 4;
    TScreenRect w = window;
    w.Left = std::clamp(w.Left, screen.Left,
                        std::max(screen.Left, screen.Left + screen.Width - w.Width));
    const int32_t below = row.Top + row.Height + gap;
    if (below + w.Height <= screen.Top + screen.Height) {
        w.Top = below;
        return w;
    }
    const int32_t above = row.Top - gap - w.Height;
    if (above >= screen.Top) {
        w.Top = above;
        return w;
    }
    // Neither fits: beside the row's right end, or its left end, whichever has more room.
    w.Top =
        std::clamp(w.Top, screen.Top, std::max(screen.Top, screen.Top + screen.Height - w.Height));
    const int32_t right = screen.Left + screen.Width - (row.Left + row.Width);
    const int32_t left = row.Left - screen.Left;
    w.Left = right >= left ? screen.Left + screen.Width - w.Width : screen.Left;
    return w;
}

} // namespace vorelt
