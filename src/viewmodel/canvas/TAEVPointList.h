#pragma once
// The points of a drawable object, one array per attribute. A graph series may hold every hit
// of a long test (tens of millions), so a point costs 22 bytes here instead of a separately
// allocated record of two extended floats; the drawing loop reads only the coordinates and the
// flags, and a zoom rewrites the coordinates in two straight passes. Coordinates are logical
// units or pixels, both of which a double holds far more precisely than a screen shows.

#include "viewmodel/canvas/TypesPrg.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorelt {

class TPageWarmer;

// Bits of a point's Flags as graph series use them.
constexpr uint8_t pfSelected = 0x01;
constexpr uint8_t pfDeleted = 0x02;
constexpr uint8_t pfChannelHidden = 0x04;
constexpr uint8_t pfMarked = 0x08;

class TAEVPointList {
public:
    int Count() const { return static_cast<int>(FX.size()); }
    bool Empty() const { return FX.empty(); }
    bool Valid(int i) const { return i >= 0 && i < Count(); }

    // Out of range gives a zero point.
    TLogicalPoint Get(int i) const;
    // Ignored out of range.
    void Set(int i, const TLogicalPoint& p);
    void SetXY(int i, double x, double y) {
        FX[static_cast<size_t>(i)] = x;
        FY[static_cast<size_t>(i)] = y;
    }
    // Appends; returns the new index.
    int Add(double x, double y, int32_t tag = 0, uint8_t channel = 0, uint8_t flags = 0) {
        FX.push_back(x);
        FY.push_back(y);
        FTag.push_back(tag);
        FChannel.push_back(channel);
        FFlags.push_back(flags);
        return Count() - 1;
    }
    // An index past the end appends; a negative one inserts at the front.
    int Insert(int i, double x, double y, int32_t tag = 0, uint8_t channel = 0, uint8_t flags = 0);
    // Ignored out of range.
    void Delete(int i);
    void Clear();
    void Reserve(size_t n);
    // Hands the reserved storage of every array to a warmer.
    void AddTo(TPageWarmer& warmer);
    // Memory held by the arrays, capacity included.
    size_t BytesAllocated() const;

    double X(int i) const { return FX[static_cast<size_t>(i)]; }
    double Y(int i) const { return FY[static_cast<size_t>(i)]; }
    int32_t Tag(int i) const { return FTag[static_cast<size_t>(i)]; }
    uint8_t Channel(int i) const { return FChannel[static_cast<size_t>(i)]; }
    uint8_t Flags(int i) const { return FFlags[static_cast<size_t>(i)]; }
    void SetFlags(int i, uint8_t f) { FFlags[static_cast<size_t>(i)] = f; }
    bool HasFlag(int i, uint8_t bit) const { return (FFlags[static_cast<size_t>(i)] & bit) != 0; }
    void SetFlag(int i, uint8_t bit, bool value) {
        uint8_t& f = FFlags[static_cast<size_t>(i)];
        f = value ? static_cast<uint8_t>(f | bit) : static_cast<uint8_t>(f & ~bit);
    }

    // Raw arrays for the loops over every point.
    const double* XData() const { return FX.data(); }
    const double* YData() const { return FY.data(); }
    double* XData() { return FX.data(); }
    double* YData() { return FY.data(); }
    const int32_t* TagData() const { return FTag.data(); }
    const uint8_t* ChannelData() const { return FChannel.data(); }
    const uint8_t* FlagsData() const { return FFlags.data(); }
    uint8_t* FlagsData() { return FFlags.data(); }

private:
    std::vector<double> FX;
    std::vector<double> FY;
    std::vector<int32_t> FTag;
    std::vector<uint8_t> FChannel;
    std::vector<uint8_t> FFlags;
};

} // namespace vorelt
