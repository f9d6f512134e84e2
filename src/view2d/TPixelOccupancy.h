#pragma once
// One byte per pixel of the drawing surface that tells what a series has already drawn there,
// so that of millions of points only those a pixel still shows are drawn.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorelt {

// Bits of an occupancy cell.
constexpr uint8_t opDrawn = 0x01;
constexpr uint8_t opDrawnSelected = 0x02;
constexpr uint8_t opMarked = 0x04;

class TPixelOccupancy {
public:
    // All pixels empty, for a surface of width x height pixels.
    void Reset(int32_t width, int32_t height) {
        FWidth = width;
        FHeight = height;
        const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (FCells.size() < n) FCells.resize(n);
        std::fill(FCells.begin(), FCells.begin() + static_cast<ptrdiff_t>(n), uint8_t(0));
    }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    uint8_t* Cells() { return FCells.data(); }
    uint8_t Cell(int32_t x, int32_t y) const {
        return FCells[static_cast<size_t>(y) * static_cast<size_t>(FWidth) +
                      static_cast<size_t>(x)];
    }

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    std::vector<uint8_t> FCells;
};

} // namespace vorelt
