#pragma once
// What a graph's legend names: every channel of a series drawn per chosen channel, or every
// series when more than one is shown. A single series over all channels needs no legend: the
// axis captions already say what it is.

#include "processing/graph/TSeriesGr.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <functional>
#include <string>
#include <vector>

namespace vorelt {

struct TLegendEntry {
    std::string Text;
    TColor Color = clBlack;
    // Bars are shown as a filled box, points and lines as a mark.
    bool Bar = false;
};

// The entries in series order, each in the shade readable on `background`. `name` tells a
// series apart from the others (its axis caption, say).
std::vector<TLegendEntry> GraphLegend(const TSeriesGrList& series,
                                      const std::vector<int32_t>& splitChannels,
                                      const std::function<std::string(const TSeriesGr&)>& name,
                                      TColor background);

} // namespace vorelt
