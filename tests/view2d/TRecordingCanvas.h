#pragma once
// A canvas without pixels that records what drawable objects ask of it, so the decisions of
// drawing are checked without an image.

#include "viewmodel/canvas/TLogicalCanvas.h"

#include <vector>

namespace vorelt::test {

class TRecordingCanvas : public TLogicalCanvas {
public:
    struct TLine {
        TDevicePoint A, B;
        TColor Color;
    };
    struct TRect {
        TDevicePoint A, B;
        TColor Fill, Frame;
    };

    explicit TRecordingCanvas(std::shared_ptr<TCoordMapping> mapping)
        : TLogicalCanvas(mapping), FMapping(std::move(mapping)) {}

    std::vector<TDeviceDot> Dots;
    std::vector<TDevicePoint> Markers;
    std::vector<TLine> Lines;
    std::vector<TRect> Rects;
    TPenAttrs Pen;
    TBrushAttrs Brush;
    uint8_t Style = 0;
    int Saves = 0;
    int Restores = 0;

    TDevicePoint Dev(const TLogicalPoint& p, uint16_t flags) const {
        return FMapping->ToDevice(p, flags);
    }

    void DrawMarker(const TLogicalPoint& p, uint16_t flags) override {
        Markers.push_back(Dev(p, flags));
    }
    void DrawPoint(const TLogicalPoint& p, uint16_t flags, TColor color) override {
        const TDevicePoint d = Dev(p, flags);
        Dots.push_back({d.X, d.Y, color});
    }
    void DrawLine(const TLogicalPoint& a, const TLogicalPoint& b, uint16_t flags) override {
        Lines.push_back({Dev(a, flags), Dev(b, flags), Pen.Color});
    }
    void DrawLineEx(const TLogicalPoint& a, const TLogicalPoint& b, uint16_t flags, TColor color,
                    long double) override {
        Lines.push_back({Dev(a, flags), Dev(b, flags), color});
    }
    void DrawRect(const TLogicalPoint& a, const TLogicalPoint& b, uint16_t flags) override {
        Rects.push_back({Dev(a, flags), Dev(b, flags), Brush.Color, Pen.Color});
    }
    void FillRectEx(const TLogicalPoint& a, const TLogicalPoint& b, uint16_t flags, TColor fill,
                    TColor frame, long double) override {
        Rects.push_back({Dev(a, flags), Dev(b, flags), fill, frame});
    }
    void DrawRoundRect(const TLogicalPoint&, const TLogicalPoint&, const TLogicalPoint&,
                       uint16_t) override {}
    void DrawTextRect(const TLogicalPoint&, const TLogicalPoint&, uint16_t,
                      const std::string&) override {}
    void DrawPolygon(const TPointsArray&, uint16_t) override {}
    void SaveState() override { ++Saves; }
    void RestoreState() override { ++Restores; }
    void ApplyStyle(const TDrawStyle& s) override {
        if (s.Pen && (s.Mask & dsPenColor)) Pen.Color = s.Pen->Color;
        if (s.Pen && (s.Mask & dsPenMode)) Pen.Mode = s.Pen->Mode;
        if (s.Brush && (s.Mask & dsBrushColor)) Brush.Color = s.Brush->Color;
        if (s.Brush && (s.Mask & dsBrushStyle)) Brush.Style = s.Brush->Style;
        Style = s.PointStyle;
    }
    bool DeviceSize(int32_t& w, int32_t& h) const override {
        w = FMapping->Width();
        h = FMapping->Height();
        return true;
    }

private:
    std::shared_ptr<TCoordMapping> FMapping;
};

} // namespace vorelt::test
