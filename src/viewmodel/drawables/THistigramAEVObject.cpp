#include "viewmodel/drawables/THistigramAEVObject.h"

#include "viewmodel/canvas/TLogicalCanvas.h"

#include <array>

namespace vorelt {

void THistigramAEVObject::Draw() {
    if (!CanDraw()) return;
    TLogicalCanvas& canvas = *FDraw;
    TCanvasStateGuard guard(canvas);
    TDrawStyle style;
    style.Pen = &FFramePen.Attrs();
    style.Brush = &FFillBrush.Attrs();
    style.Mask = static_cast<uint16_t>(FFramePen.Mask() | FFillBrush.Mask());
    canvas.ApplyStyle(style);

    const bool perChannel = !FChannelColors.Empty();
    std::array<TColor, 256> colours;
    std::array<uint8_t, 256> listed;
    ChannelTable(colours, listed);
    // The first point of a pair per channel, waiting for its partner.
    std::array<TLogicalPoint, 256> first;
    std::array<uint8_t, 256> waiting{};
    const TColor seriesColour = GetColor();
    const TColor frame = FFramePen.Color();
    for (int i = 0; i < FPoints.Count(); ++i) {
        if (FPoints.Flags(i) & (pfDeleted | pfChannelHidden)) continue;
        const uint8_t ch = FPoints.Channel(i);
        if (perChannel && !listed[ch]) continue;
        const size_t slot = perChannel ? ch : 0;
        const TLogicalPoint p = FPoints.Get(i);
        if (!waiting[slot]) {
            first[slot] = p;
            waiting[slot] = 1;
            continue;
        }
        canvas.FillRectEx(first[slot], p, ScaleFlags(), perChannel ? colours[ch] : seriesColour,
                          frame, 0.1L);
        waiting[slot] = 0;
    }
}

} // namespace vorelt
