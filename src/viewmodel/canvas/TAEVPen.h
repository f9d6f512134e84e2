#pragma once
// Pens and brushes of drawable objects. Each remembers which of its attributes were ever set,
// and an object hands only those to the canvas: an attribute nobody set stays as the canvas
// has it.

#include "viewmodel/canvas/TLogicalCanvas.h"

namespace vorelt {

class TAEVPen {
public:
    TAEVPen() = default;
    TAEVPen(TColor color, uint8_t mode, uint8_t style) {
        SetColor(color);
        SetMode(mode);
        SetStyle(style);
    }

    const TPenAttrs& Attrs() const { return FAttrs; }
    uint16_t Mask() const { return FMask; }
    TColor Color() const { return FAttrs.Color; }
    uint8_t Mode() const { return FAttrs.Mode; }
    uint8_t Style() const { return FAttrs.Style; }
    int32_t Width() const { return FAttrs.Width; }

    void SetColor(TColor c) {
        FAttrs.Color = c;
        FMask |= dsPenColor;
    }
    void SetMode(uint8_t m) {
        FAttrs.Mode = m;
        FMask |= dsPenMode;
    }
    void SetStyle(uint8_t s) {
        FAttrs.Style = s;
        FMask |= dsPenStyle;
    }
    void SetWidth(int32_t w) {
        FAttrs.Width = w;
        FMask |= dsPenWidth;
    }

private:
    TPenAttrs FAttrs;
    uint16_t FMask = 0;
};

class TAEVBrush {
public:
    TAEVBrush() = default;
    TAEVBrush(TColor color, uint8_t style) {
        SetColor(color);
        SetStyle(style);
    }

    const TBrushAttrs& Attrs() const { return FAttrs; }
    uint16_t Mask() const { return FMask; }
    TColor Color() const { return FAttrs.Color; }
    uint8_t Style() const { return FAttrs.Style; }

    void SetColor(TColor c) {
        FAttrs.Color = c;
        FMask |= dsBrushColor;
    }
    void SetStyle(uint8_t s) {
        FAttrs.Style = s;
        FMask |= dsBrushStyle;
    }

private:
    TBrushAttrs FAttrs;
    uint16_t FMask = 0;
};

} // namespace vorelt
