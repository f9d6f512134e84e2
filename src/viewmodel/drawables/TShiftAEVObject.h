#pragma once
// Per-channel colours of a graph series (its ChannelColors): an ordered list of (channel,
// colour) pairs. A series with such a list shows only the listed channels, each in its colour.

#include "viewmodel/canvas/TypesPrg.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vorelt {

class TGraphAEVObject;

class TShiftAEVObject {
public:
    explicit TShiftAEVObject(TGraphAEVObject* owner = nullptr) : FOwner(owner) {}

    TGraphAEVObject* Owner() const { return FOwner; }
    void SetOwner(TGraphAEVObject* owner) { FOwner = owner; }

    void Clear() { FPairs.clear(); }
    int Count() const { return static_cast<int>(FPairs.size()); }
    bool Empty() const { return FPairs.empty(); }
    int32_t ChannelAt(int i) const;
    TColor ColourAt(int i) const;
    void SetColourAt(int i, TColor c);
    // Updates the pair of the channel or appends a new one.
    void SetChannelColour(int32_t channel, TColor c);
    // -1 when absent.
    int IndexOfChannel(int32_t channel) const;
    TColor ColourOfChannel(int32_t channel, TColor def) const;
    // With a list, every point of the owner whose channel is absent gets ChannelHidden and all
    // others lose it; with an empty list all points lose it.
    void ApplyToPoints() const;

    // The colour of every byte channel (`def` for channels not listed) and whether it is
    // listed, for the loops over many points.
    void BuildTable(std::array<TColor, 256>& colours, std::array<uint8_t, 256>& listed,
                    TColor def) const;

private:
    struct TPair {
        int32_t Channel;
        TColor Colour;
    };
    TGraphAEVObject* FOwner;
    std::vector<TPair> FPairs;
};

} // namespace vorelt
