#pragma once
// Logical drawing onto an RGB32 image (the container's back buffer). XOR pens need an image:
// raster operations do not work on a window surface. Rectangles and lines follow the GDI
// conventions that drawing code relies on: a rectangle excludes its right and bottom edge, a
// line its last pixel, and polygons fill by the even-odd rule.

#include "viewmodel/canvas/TLogicalCanvas.h"

#include <QImage>
#include <QPainter>
#include <optional>
#include <vector>

namespace vorelt {

class TCanvasDraw : public TLogicalCanvas {
public:
    TCanvasDraw(std::shared_ptr<ICoordConvert> converter, QImage* canvas = nullptr);
    ~TCanvasDraw() override;

    void SetCanvas(QImage* canvas) { FCanvas = canvas; }
    QImage* Canvas() const { return FCanvas; }
    // Draws through a painter the caller keeps open on any device (a PDF or SVG page), over a
    // device of width x height units, instead of the image; none returns to the image. Such a
    // device has no pixels to write directly, so every point goes through the painter.
    void SetPainter(QPainter* painter, int32_t width = 0, int32_t height = 0) {
        FExternal = painter;
        FExternalWidth = width;
        FExternalHeight = height;
    }

    // Keeps one painter open over many calls (a whole paint); calls nest.
    void BeginPaint();
    void EndPaint();

    // The GDI-style state of the canvas.
    TPenAttrs& Pen() { return FPen; }
    TBrushAttrs& Brush() { return FBrush; }
    TFontAttrs& Font() { return FFont; }
    uint8_t PointStyle() const { return FPointStyle; }
    void SetPointStyle(uint8_t style) { FPointStyle = style; }

    void DrawMarker(const TLogicalPoint& p, uint16_t flags) override;
    void DrawPoint(const TLogicalPoint& p, uint16_t flags, TColor color) override;
    void DrawLine(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) override;
    void DrawLineEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags, TColor color,
                    long double widthMm) override;
    void DrawRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags) override;
    void FillRectEx(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags, TColor fill,
                    TColor frame, long double widthMm) override;
    void DrawRoundRect(const TLogicalPoint& p1, const TLogicalPoint& p2,
                       const TLogicalPoint& corner, uint16_t flags) override;
    void DrawTextRect(const TLogicalPoint& p1, const TLogicalPoint& p2, uint16_t flags,
                      const std::string& text) override;
    void DrawPolygon(const TPointsArray& points, uint16_t flags) override;
    void SaveState() override;
    void RestoreState() override;
    void ApplyStyle(const TDrawStyle& style) override;
    bool DeviceSize(int32_t& width, int32_t& height) const override;
    void DrawDevicePoints(const TDeviceDot* dots, size_t count) override;
    void DrawDeviceMarkers(const TDevicePoint* points, size_t count) override;
    bool PixelAccess(TPixelAccess& access) override;

    // Device-level GDI primitives, also used by the container for its rubber band.
    void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b);
    void FillRect(int32_t l, int32_t t, int32_t r, int32_t b, TColor color);
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);

    static QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
    static TColor FromQColor(const QColor& c) {
        return RGBColor(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                        static_cast<uint8_t>(c.blue()));
    }

private:
    // Holds the painter for one operation (or reuses the open one) and puts the pen, brush and
    // raster operation of the current state on it.
    class TLock {
    public:
        explicit TLock(TCanvasDraw& owner);
        ~TLock();
        QPainter* operator->() { return FPainter; }
        QPainter& operator*() { return *FPainter; }
        bool Valid() const { return FPainter != nullptr; }

    private:
        TCanvasDraw& FOwner;
        std::optional<QPainter> FLocal;
        QPainter* FPainter = nullptr;
    };

    void ApplyToPainter(QPainter& p) const;
    // The 32-bit pixels of the canvas, or null when they cannot be written directly.
    uint32_t* DirectBits(int32_t& stride) const;
    // Pixel offsets that a point of the current style covers, relative to its centre, as the
    // painter would draw it.
    std::vector<TDevicePoint> PointStamp() const;
    TDevicePoint Dev(const TLogicalPoint& p, uint16_t flags) const;

    QImage* FCanvas = nullptr;
    QPainter* FExternal = nullptr;
    int32_t FExternalWidth = 0;
    int32_t FExternalHeight = 0;
    std::optional<QPainter> FOpen;
    int FOpenCount = 0;
    TPenAttrs FPen;
    TBrushAttrs FBrush;
    TFontAttrs FFont;
    TDevicePoint FPenPos;
    TPenAttrs FSavedPen;
    TBrushAttrs FSavedBrush;
    TFontAttrs FSavedFont;
    uint8_t FSavedPointStyle = 0;
    uint8_t FPointStyle = 0;
};

} // namespace vorelt
