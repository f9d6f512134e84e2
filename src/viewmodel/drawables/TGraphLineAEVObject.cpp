#include "viewmodel/drawables/TGraphLineAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"
#include "viewmodel/graph/TSeriesMapping.h"

#include <array>

namespace vorelt {

void TGraphLineAEVObject::Draw() {
    if (!CanDraw()) return;
    TLogicalCanvas& canvas = *FDraw;
    TCanvasStateGuard guard(canvas);
    TDrawStyle style;
    style.Pen = &FColorPen.Attrs();
    style.Mask = FColorPen.Mask();
    style.PointStyle = FPointStyle;
    canvas.ApplyStyle(style);

    const bool perChannel = !FChannelColors.Empty();
    std::array<TColor, 256> colours;
    std::array<uint8_t, 256> listed;
    ChannelTable(colours, listed);
    // One pending point per channel (one for the whole series without channel colours).
    std::array<TDevicePoint, 256> prev;
    std::array<uint8_t, 256> havePrev{};
    const TSeriesMapping map(Converter(), ScaleFlags());
    const TColor seriesColour = GetColor();
    for (int i = 0; i < FPoints.Count(); ++i) {
        if (FPoints.Flags(i) & (pfDeleted | pfChannelHidden)) continue;
        const uint8_t ch = FPoints.Channel(i);
        if (perChannel && !listed[ch]) continue;
        TDevicePoint d;
        if (!map.Map(FPoints.X(i), FPoints.Y(i), d.X, d.Y)) continue;
        const size_t slot = perChannel ? ch : 0;
        // A segment that starts and ends on one pixel draws nothing.
        if (havePrev[slot] && (prev[slot].X != d.X || prev[slot].Y != d.Y)) {
            TLogicalPoint a;
            a.X = prev[slot].X - 2;
            a.Y = prev[slot].Y - 2;
            TLogicalPoint b;
            b.X = d.X - 2;
            b.Y = d.Y - 2;
            canvas.DrawLineEx(a, b, PackScale(0, 0), perChannel ? colours[ch] : seriesColour, 0.1L);
        }
        prev[slot] = d;
        havePrev[slot] = 1;
    }
}

} // namespace vorelt
