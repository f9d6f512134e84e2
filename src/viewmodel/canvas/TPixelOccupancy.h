#pragma once
// What a series has already drawn at each pixel of the drawing surface, one bit per pixel and
// meaning, so that of millions of points only those a pixel still shows are drawn. A bit per
// pixel keeps the map of a full-HD surface in the processor's second-level cache.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorelt {

class TPixelOccupancy {
public:
    // All pixels empty, for a surface of width x height pixels.
    void Reset(int32_t width, int32_t height) {
        FWidth = width;
        FHeight = height;
        FWords = (static_cast<size_t>(width) * static_cast<size_t>(height) + 63) / 64;
        for (std::vector<uint64_t>* map : {&FDrawn, &FSelected, &FMarked}) {
            if (map->size() < FWords) map->resize(FWords);
            std::fill(map->begin(), map->begin() + static_cast<ptrdiff_t>(FWords), uint64_t(0));
        }
    }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    size_t Index(int32_t x, int32_t y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x);
    }

    // A pixel shows a point.
    uint64_t* Drawn() { return FDrawn.data(); }
    // A pixel shows a selected point.
    uint64_t* DrawnSelected() { return FSelected.data(); }
    // A pixel has a hit mark.
    uint64_t* Marked() { return FMarked.data(); }

    // The point that holds each pixel (its index + 1, 0 for none), all clear.
    uint32_t* ResetHolders() {
        const size_t n = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
        if (FHolders.size() < n) FHolders.resize(n);
        std::fill(FHolders.begin(), FHolders.begin() + static_cast<ptrdiff_t>(n), uint32_t(0));
        return FHolders.data();
    }
    uint32_t* Holders() { return FHolders.data(); }
    // A second set of holders, all clear, for claims made on another thread.
    uint32_t* ResetSecondHolders() {
        const size_t n = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
        if (FSecondHolders.size() < n) FSecondHolders.resize(n);
        std::fill(FSecondHolders.begin(), FSecondHolders.begin() + static_cast<ptrdiff_t>(n),
                  uint32_t(0));
        return FSecondHolders.data();
    }
    // Sets the bit of pixel `index`; true when it was clear.
    static bool TestAndSet(uint64_t* map, size_t index) {
        uint64_t& word = map[index >> 6];
        const uint64_t bit = uint64_t(1) << (index & 63);
        const bool wasClear = (word & bit) == 0;
        word |= bit;
        return wasClear;
    }
    static bool Test(const uint64_t* map, size_t index) {
        return (map[index >> 6] >> (index & 63)) & 1;
    }

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    size_t FWords = 0;
    std::vector<uint64_t> FDrawn;
    std::vector<uint64_t> FSelected;
    std::vector<uint64_t> FMarked;
    std::vector<uint32_t> FHolders;
    std::vector<uint32_t> FSecondHolders;
};

} // namespace vorelt
