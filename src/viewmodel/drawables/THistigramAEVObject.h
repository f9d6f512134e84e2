#pragma once
// The histogram series: points come in pairs (bar start at the value, bar end on the axis
// minimum) and each complete pair is one filled bar.

#include "viewmodel/canvas/TAEVPen.h"
#include "viewmodel/drawables/TGraphAEVObject.h"

namespace vorelt {

class THistigramAEVObject : public TGraphAEVObject {
public:
    THistigramAEVObject() = default;
    std::string ClassName() const override { return "THistigramAEVObject"; }

    void Draw() override;
    void SetColor(TColor c) override { FFillBrush.SetColor(c); }
    TColor GetColor() const override { return FFillBrush.Color(); }

    TAEVPen& FramePen() { return FFramePen; }
    TAEVBrush& FillBrush() { return FFillBrush; }

private:
    TAEVPen FFramePen{clBlack, pmCopy, psSolid};
    TAEVBrush FFillBrush{clBlack, bsSolid};
};

} // namespace vorelt
