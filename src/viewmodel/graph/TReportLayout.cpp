#include "viewmodel/graph/TReportLayout.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

int32_t Scaled(long double pixels, long double scale) {
    const long double v = std::nearbyint(pixels * (std::isfinite(scale) && scale > 0 ? scale : 1));
    return static_cast<int32_t>(std::clamp<long double>(v, 0, 1e6L));
}

} // namespace

TReportLayout LayoutReport(const TReportLayoutInput& in) {
    TReportLayout out;
    const int32_t margin = Scaled(10, in.Scale);
    out.Pad = Scaled(6, in.Scale);
    int32_t top = margin;
    if (in.Title.Width > 0) {
        out.Title = {margin, top, std::max(0, in.Width - 2 * margin), in.Title.Height};
        top += in.Title.Height + Scaled(6, in.Scale);
    }
    int32_t right = in.Width - margin;
    if (!in.Legend.empty()) {
        int32_t text = 0;
        int32_t row = 0;
        for (const TTextExtent& e : in.Legend) {
            text = std::max(text, e.Width);
            row = std::max(row, e.Height);
        }
        out.Row = row + Scaled(2, in.Scale);
        out.Swatch = std::max<int32_t>(4, row * 2 / 3);
        const int32_t width = out.Pad + out.Swatch + out.Pad + text + out.Pad;
        const int32_t height = out.Pad + out.Row * static_cast<int32_t>(in.Legend.size()) + out.Pad;
        // The legend never takes more than a third of the width; longer names are cut by the
        // painter.
        const int32_t w = std::min(width, in.Width / 3);
        out.Legend = {right - w, top, w, height};
        right -= w + margin;
    }
    const int32_t left = margin + in.LeftStrip;
    const int32_t plotRight = right - in.RightStrip;
    const int32_t bottom = in.Height - margin - in.BottomStrip;
    out.Plot = {left, top, std::max(0, plotRight - left), std::max(0, bottom - top)};
    // The plot's mapping needs a few pixels beside its margins.
    out.TooSmall = out.Plot.Width < 16 || out.Plot.Height < 16;
    return out;
}

} // namespace vorelt
