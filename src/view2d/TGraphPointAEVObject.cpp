#include "view2d/TGraphPointAEVObject.h"

#include "view2d/TLogicalCanvas.h"
#include "view2d/TSeriesMapping.h"

#include <algorithm>
#include <array>

namespace vorelt {

namespace {

// Drawing surface assumed when the canvas does not know its size.
constexpr int32_t FallbackWidth = 1920;
constexpr int32_t FallbackHeight = 1080;

// One map for all series: they draw one after another on the user-interface thread.
TPixelOccupancy& SharedOccupancy() {
    static TPixelOccupancy occupancy;
    return occupancy;
}

// Collects points to draw and hands them to the canvas in batches, in order.
class TDotBatch {
public:
    explicit TDotBatch(TLogicalCanvas& canvas) : FCanvas(canvas) {}
    ~TDotBatch() { Flush(); }
    void Add(int32_t x, int32_t y, TColor c) {
        FDots[FCount++] = TDeviceDot{x, y, c};
        if (FCount == FDots.size()) Flush();
    }
    void Flush() {
        if (FCount) FCanvas.DrawDevicePoints(FDots.data(), FCount);
        FCount = 0;
    }

private:
    TLogicalCanvas& FCanvas;
    std::array<TDeviceDot, 2048> FDots;
    size_t FCount = 0;
};

TLogicalPoint Unscaled(int32_t x, int32_t y) {
    TLogicalPoint p;
    p.X = x - 2;
    p.Y = y - 2;
    return p;
}

} // namespace

TGraphPointAEVObject::TGraphPointAEVObject() {
    FAcceptsBackDblClick = true;
    OnCompare = &TGraphPointAEVObject::CompareXY;
}

void TGraphPointAEVObject::AddValueEx(int32_t position, uint8_t flags, uint8_t channel,
                                      long double yNorm, long double xNorm) {
    FSortIndex.push_back(static_cast<int32_t>(FPoints.Count()));
    TGraphAEVObject::AddValueEx(position, flags, channel, yNorm, xNorm);
    FIndexSorted = false;
}

void TGraphPointAEVObject::ClearIndex() {
    std::vector<int32_t>().swap(FSortIndex);
    FIndexSorted = false;
}

void TGraphPointAEVObject::Reserve(size_t n) {
    FPoints.Reserve(n);
    FSortIndex.reserve(n);
}

size_t TGraphPointAEVObject::BytesAllocated() const {
    return FPoints.BytesAllocated() + FSortIndex.capacity() * sizeof(int32_t);
}

int TGraphPointAEVObject::CompareXY(const TGraphPointAEVObject& series, int a, int b) {
    const TAEVPointList& p = series.Points();
    if (p.X(a) < p.X(b)) return -1;
    if (p.X(b) < p.X(a)) return 1;
    if (p.Y(a) < p.Y(b)) return -1;
    if (p.Y(b) < p.Y(a)) return 1;
    return 0;
}

void TGraphPointAEVObject::SortIndex() {
    if (!FSearchEnabled || !OnCompare) return;
    // A stable merge sort stays inside the array even if a handler does not order
    // consistently (NaN coordinates, for one).
    const TCompare* plain = OnCompare.target<TCompare>();
    if (plain && *plain == &TGraphPointAEVObject::CompareXY) {
        const double* x = FPoints.XData();
        const double* y = FPoints.YData();
        std::stable_sort(FSortIndex.begin(), FSortIndex.end(), [x, y](int32_t a, int32_t b) {
            return x[a] < x[b] || (!(x[b] < x[a]) && y[a] < y[b]);
        });
    } else {
        std::stable_sort(FSortIndex.begin(), FSortIndex.end(),
                         [this](int32_t a, int32_t b) { return OnCompare(*this, a, b) < 0; });
    }
    FIndexSorted = true;
}

void TGraphPointAEVObject::SelectPositions(const std::vector<int32_t>& positions, bool value) {
    FlagPositions(positions, pfSelected, value);
}

int TGraphPointAEVObject::MarkPosition(int32_t position, bool value) {
    const int i = FindPosition(position);
    if (i >= 0) FPoints.SetFlag(i, pfMarked, value);
    return i;
}

void TGraphPointAEVObject::DeletePositions(const std::vector<int32_t>& positions, bool value) {
    FlagPositions(positions, pfDeleted, value);
}

void TGraphPointAEVObject::FindPointAt(THitInfo& info) {
    info.HitKind = hkNone;
    if (FSearchDisabled) return;
    if (FIndexSorted && OnFindInRect) {
        const int32_t r = info.Tolerance + SizePoint();
        const TRectInt rect{info.DevX - r, info.DevY - r, info.DevX + r, info.DevY + r};
        std::vector<int32_t> found = OnFindInRect(*this, rect);
        if (!found.empty()) {
            info.HitKind = hkHandle;
            info.Distance = 0;
            if (OnPointsFound) OnPointsFound(*this, found);
        }
        return;
    }
    TGraphAEVObject::FindPointAt(info);
}

void TGraphPointAEVObject::Draw() {
    if (!CanDraw()) return;
    TLogicalCanvas& canvas = *FDraw;
    TCanvasStateGuard guard(canvas);
    TDrawStyle style;
    style.Pen = &FColorPen.Attrs();
    style.Mask = FColorPen.Mask();
    style.PointStyle = FPointStyle;
    canvas.ApplyStyle(style);

    int32_t w = 0;
    int32_t h = 0;
    if (!canvas.DeviceSize(w, h)) {
        w = FallbackWidth;
        h = FallbackHeight;
    }
    if (w <= 0 || h <= 0) return;
    TPixelOccupancy& occupancy = SharedOccupancy();
    occupancy.Reset(w, h);
    uint8_t* cells = occupancy.Cells();

    const TColor seriesColour = GetColor();
    const bool perChannel = !FChannelColors.Empty();
    std::array<TColor, 256> colours;
    std::array<uint8_t, 256> listed;
    ChannelTable(colours, listed);

    // With Connect every drawn point is joined to the previous drawn one by a line as thick
    // as the point.
    const int32_t s = SizePoint();
    const int32_t diameter = FPointStyle == ptPoint      ? 2 * s
                             : FPointStyle == ptBigRound ? 6 * s
                                                         : 4 * s;
    const ICoordConvert* conv = Converter();
    const long double connectWidth = FConnect && conv ? conv->PixelsToMm(diameter) : 0;

    const TSeriesMapping map(conv, ScaleFlags());
    std::vector<TDevicePoint> selected;
    std::vector<TDevicePoint> marked;
    const size_t n = static_cast<size_t>(FPoints.Count());
    const double* xs = FPoints.XData();
    const double* ys = FPoints.YData();
    const uint8_t* flags = FPoints.FlagsData();
    const uint8_t* channels = FPoints.ChannelData();
    {
        TDotBatch batch(canvas);
        bool havePrev = false;
        TDevicePoint prev;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t f = flags[i];
            if (f & (pfDeleted | pfChannelHidden)) continue;
            const uint8_t ch = channels[i];
            // A channel the colours do not list is hidden even before ApplyToPoints ran.
            if (perChannel && !listed[ch]) continue;
            int32_t x = 0;
            int32_t y = 0;
            if (!map.MapInside(xs[i], ys[i], w, h, x, y)) continue;
            uint8_t& cell =
                cells[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
            if ((f & pfMarked) && !(cell & opMarked)) {
                cell |= opMarked;
                marked.push_back({x, y});
            }
            if (f & pfSelected) {
                if (!(cell & opDrawnSelected)) {
                    cell |= opDrawn | opDrawnSelected;
                    selected.push_back({x, y});
                }
                continue;
            }
            if (cell & opDrawn) continue;
            cell |= opDrawn;
            const TColor c = perChannel ? colours[ch] : seriesColour;
            batch.Add(x, y, c);
            if (FConnect) {
                batch.Flush();
                if (havePrev)
                    canvas.DrawLineEx(Unscaled(prev.X, prev.Y), Unscaled(x, y), PackScale(0, 0), c,
                                      connectWidth);
                prev = {x, y};
                havePrev = true;
            }
        }
    }

    if (!selected.empty()) {
        const TColor c = FSelectedPen.Color();
        TDotBatch batch(canvas);
        for (const TDevicePoint& p : selected)
            batch.Add(p.X, p.Y, c);
    }
    if (!marked.empty()) {
        // Hollow marks, so that the marked point still shows its colour inside.
        TPenAttrs pen = FMarkPen.Attrs();
        TBrushAttrs brush;
        brush.Style = bsClear;
        TDrawStyle markStyle;
        markStyle.Pen = &pen;
        markStyle.Brush = &brush;
        markStyle.Mask = dsPenColor | dsBrushStyle;
        markStyle.PointStyle = FPointStyle;
        canvas.ApplyStyle(markStyle);
        canvas.DrawDeviceMarkers(marked.data(), marked.size());
    }
}

} // namespace vorelt
