#pragma once
// Where the parts of a graph's report picture go: the title above, the plot with its axis
// strips, the legend to the right. Everything is measured by the caller in the picture's own
// pixels, so the same layout serves the screen's resolution and a print resolution.

#include "viewmodel/canvas/ITextMetrics.h"

#include <cstdint>
#include <vector>

namespace vorelt {

struct TReportBox {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Right() const { return Left + Width; }
    int32_t Bottom() const { return Top + Height; }
};

struct TReportLayoutInput {
    int32_t Width = 0;
    int32_t Height = 0;
    // Picture pixels per screen pixel (the resolution over 96 dots per inch).
    long double Scale = 1;
    TTextExtent Title;
    // Thickness of the axis strips beside the plot (caption, labels and ticks); no right
    // strip is 0.
    int32_t LeftStrip = 0;
    int32_t BottomStrip = 0;
    int32_t RightStrip = 0;
    // One per legend line: its text.
    std::vector<TTextExtent> Legend;
};

struct TReportLayout {
    TReportBox Title;
    TReportBox Plot;
    // Empty (zero width) without legend entries.
    TReportBox Legend;
    // The legend's swatch side and line height, and its inner margin.
    int32_t Swatch = 0;
    int32_t Row = 0;
    int32_t Pad = 0;
    // Whether the plot is too small to draw anything in.
    bool TooSmall = false;
};

TReportLayout LayoutReport(const TReportLayoutInput& in);

} // namespace vorelt
