#pragma once
// The line series of line graphs and of point-to-point lines: consecutive points joined by
// thin lines, one line per listed channel when the series has channel colours.

#include "viewmodel/canvas/TAEVPen.h"
#include "viewmodel/drawables/TGraphAEVObject.h"

namespace vorelt {

class TGraphLineAEVObject : public TGraphAEVObject {
public:
    TGraphLineAEVObject() = default;
    std::string ClassName() const override { return "TGraphLineAEVObject"; }

    void Draw() override;
    void SetColor(TColor c) override { FColorPen.SetColor(c); }
    TColor GetColor() const override { return FColorPen.Color(); }

    TAEVPen& ColorPen() { return FColorPen; }
    uint8_t PointStyle() const { return FPointStyle; }
    void SetPointStyle(uint8_t style) { FPointStyle = style <= ptBigRound ? style : ptPoint; }

private:
    TAEVPen FColorPen{clBlack, pmCopy, psSolid};
    uint8_t FPointStyle = ptPoint;
};

} // namespace vorelt
