#pragma once
// Drawing in logical coordinates. Objects describe pens, brushes and fonts with plain
// attribute records, so they stay free of the windowing toolkit; the drawing class maps them
// onto the platform canvas.

#include "viewmodel/canvas/TypesPrg.h"

#include <cstddef>
#include <memory>
#include <string>

namespace vorelt {

// Pen modes and styles, in the order the settings use.
constexpr uint8_t pmCopy = 0;
constexpr uint8_t pmXor = 1;
constexpr uint8_t pmNotXor = 2;

constexpr uint8_t psSolid = 0;
constexpr uint8_t psDash = 1;
constexpr uint8_t psDot = 2;
constexpr uint8_t psDashDot = 3;
constexpr uint8_t psDashDotDot = 4;
constexpr uint8_t psClear = 5;

constexpr uint8_t bsSolid = 0;
constexpr uint8_t bsClear = 1;

constexpr uint8_t fsBold = 1;
constexpr uint8_t fsItalic = 2;
constexpr uint8_t fsUnderline = 4;
constexpr uint8_t fsStrikeOut = 8;

struct TPenAttrs {
    TColor Color = clBlack;
    uint8_t Mode = pmCopy;
    uint8_t Style = psSolid;
    int32_t Width = 1;
};

struct TBrushAttrs {
    TColor Color = clWhite;
    uint8_t Style = bsSolid;
};

struct TFontAttrs {
    std::string Name = "Arial";
    TColor Color = clBlack;
    // Negative: character height in pixels; positive: cell height.
    int32_t Height = -11;
    int32_t Size = 8;
    uint8_t Style = 0;
};

// Bits of TDrawStyle::Mask (bit 0 unused).
constexpr uint16_t dsPenColor = 1 << 1;
constexpr uint16_t dsPenMode = 1 << 2;
constexpr uint16_t dsPenStyle = 1 << 3;
constexpr uint16_t dsPenWidth = 1 << 4;
constexpr uint16_t dsBrushColor = 1 << 5;
constexpr uint16_t dsBrushStyle = 1 << 6;
constexpr uint16_t dsFontName = 1 << 7;
constexpr uint16_t dsFontColor = 1 << 8;
constexpr uint16_t dsFontHeight = 1 << 9;
constexpr uint16_t dsFontSize = 1 << 10;
constexpr uint16_t dsFontStyle = 1 << 11;

struct TDrawStyle {
    const TPenAttrs* Pen = nullptr;
    const TBrushAttrs* Brush = nullptr;
    const TFontAttrs* Font = nullptr;
    uint8_t PointStyle = 0;
    uint16_t Mask = 0;
};

// Point styles.
constexpr uint8_t ptPoint = 0;
constexpr uint8_t ptBigPoint = 1;
constexpr uint8_t ptRound = 2;
constexpr uint8_t ptBigRound = 3;

// A point to draw at a pixel position, in its own colour.
struct TDeviceDot {
    int32_t X = 0;
    int32_t Y = 0;
    TColor Color = 0;
};

// The 32-bit pixels (0xFFRRGGBB) of a canvas that lets a series write them itself.
struct TPixelAccess {
    uint32_t* Bits = nullptr;
    // Pixels from one row to the next.
    ptrdiff_t Stride = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    static uint32_t Pixel(TColor c) {
        return 0xFF000000u | (static_cast<uint32_t>(RedOf(c)) << 16) |
               (static_cast<uint32_t>(GreenOf(c)) << 8) | BlueOf(c);
    }
};

class TLogicalCanvas {
public:
    explicit TLogicalCanvas(std::shared_ptr<ICoordConvert> converter)
        : FConverter(std::move(converter)) {}
    virtual ~TLogicalCanvas() = default;
    TLogicalCanvas(const TLogicalCanvas&) = delete;
    TLogicalCanvas& operator=(const TLogicalCanvas&) = delete;

    ICoordConvert* Converter() const { return FConverter.get(); }
    const std::shared_ptr<ICoordConvert>& ConverterRef() const { return FConverter; }

    virtual void DrawMarker(const TLogicalPoint& p, uint16_t flags) = 0;
    virtual void DrawPoint(const TLogicalPoint& p, uint16_t flags, TColor color) = 0;
    virtual void DrawLine(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) = 0;
    virtual void DrawLineEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                            TColor color, long double widthMm) = 0;
    virtual void DrawRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) = 0;
    virtual void FillRectEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                            TColor fill, TColor frame, long double widthMm) = 0;
    virtual void DrawRoundRect(const TLogicalPoint& p1, const TLogicalPoint& p2,
                               const TLogicalPoint& corner, uint16_t flags) = 0;
    virtual void DrawTextRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                              const std::string& text) = 0;
    virtual void DrawPolygon(const TPointsArray& points, uint16_t flags) = 0;
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;
    virtual void ApplyStyle(const TDrawStyle& style) = 0;

    // Batches for series of many points, at pixel positions. A canvas that reaches its pixels
    // writes them directly; the defaults go through DrawPoint and DrawMarker one by one.
    // Width and height of the drawing surface in pixels, when the canvas knows them.
    virtual bool DeviceSize(int32_t& width, int32_t& height) const;
    // Points in the current point style, in order (later ones cover earlier ones).
    virtual void DrawDevicePoints(const TDeviceDot* dots, size_t count);
    // Markers as DrawMarker draws them, with the current pen and brush.
    virtual void DrawDeviceMarkers(const TDevicePoint* points, size_t count);
    // The pixels themselves, for drawing that gives the same picture as DrawPoint of square
    // points in copy mode; false when the canvas has none to give.
    virtual bool PixelAccess(TPixelAccess& access);

protected:
    std::shared_ptr<ICoordConvert> FConverter;
};

} // namespace vorelt
