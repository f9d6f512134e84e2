#include "viewmodel/drawables/TShiftAEVObject.h"

#include "viewmodel/drawables/TGraphAEVObject.h"

namespace vorelt {

int32_t TShiftAEVObject::ChannelAt(int i) const {
    return i >= 0 && i < Count() ? FPairs[static_cast<size_t>(i)].Channel : 0;
}

TColor TShiftAEVObject::ColourAt(int i) const {
    return i >= 0 && i < Count() ? FPairs[static_cast<size_t>(i)].Colour : 0;
}

void TShiftAEVObject::SetColourAt(int i, TColor c) {
    if (i >= 0 && i < Count()) FPairs[static_cast<size_t>(i)].Colour = c;
}

void TShiftAEVObject::SetChannelColour(int32_t channel, TColor c) {
    const int i = IndexOfChannel(channel);
    if (i >= 0)
        FPairs[static_cast<size_t>(i)].Colour = c;
    else
        FPairs.push_back({channel, c});
}

int TShiftAEVObject::IndexOfChannel(int32_t channel) const {
    for (size_t i = 0; i < FPairs.size(); ++i)
        if (FPairs[i].Channel == channel) return static_cast<int>(i);
    return -1;
}

TColor TShiftAEVObject::ColourOfChannel(int32_t channel, TColor def) const {
    const int i = IndexOfChannel(channel);
    return i >= 0 ? FPairs[static_cast<size_t>(i)].Colour : def;
}

void TShiftAEVObject::BuildTable(std::array<TColor, 256>& colours, std::array<uint8_t, 256>& listed,
                                 TColor def) const {
    colours.fill(def);
    listed.fill(0);
    // The first pair of a channel counts, as ColourOfChannel finds it.
    for (auto it = FPairs.rbegin(); it != FPairs.rend(); ++it) {
        if (it->Channel < 0 || it->Channel > 255) continue;
        colours[static_cast<size_t>(it->Channel)] = it->Colour;
        listed[static_cast<size_t>(it->Channel)] = 1;
    }
}

void TShiftAEVObject::ApplyToPoints() const {
    if (!FOwner) return;
    TAEVPointList& points = FOwner->Points();
    uint8_t* flags = points.FlagsData();
    const uint8_t* channels = points.ChannelData();
    const size_t n = static_cast<size_t>(points.Count());
    if (FPairs.empty()) {
        for (size_t i = 0; i < n; ++i)
            flags[i] = static_cast<uint8_t>(flags[i] & ~pfChannelHidden);
        return;
    }
    std::array<TColor, 256> colours;
    std::array<uint8_t, 256> listed;
    BuildTable(colours, listed, 0);
    for (size_t i = 0; i < n; ++i) {
        if (listed[channels[i]])
            flags[i] = static_cast<uint8_t>(flags[i] & ~pfChannelHidden);
        else
            flags[i] = static_cast<uint8_t>(flags[i] | pfChannelHidden);
    }
}

} // namespace vorelt
