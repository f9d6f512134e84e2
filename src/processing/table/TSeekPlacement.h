#pragma once
// Where a search leaves the grid and the find window: the found row in the middle of the rows
// in sight, and the find window, which stays on top, off that row, so that the user sees what
// was found without moving anything.

#include <cstdint>

namespace vorelt {

// A rectangle of the screen in pixels.
struct TScreenRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Intersects(const TScreenRect& o) const {
        return Left < o.Left + o.Width && o.Left < Left + Width && Top < o.Top + o.Height &&
               o.Top < Top + Height;
    }
};

// The scroll position (the index of the first data row in sight, 0 .. maxScroll) that puts data
// row `row` in the middle of `visible` rows.
int32_t CenteredScroll(int32_t row, int32_t visible, int32_t maxScroll);

// Where the window goes when it covers the row: below the row when it fits on the screen
// there, otherwise above it, otherwise beside it; where it is when it leaves the row free.
TScreenRect WindowOffRow(const TScreenRect& window, const TScreenRect& row,
                         const TScreenRect& screen);

} // namespace vorelt
