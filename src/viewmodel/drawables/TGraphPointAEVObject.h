#pragma once
// The point series of a point plot. It may hold every hit of a test; drawing visits each point
// once and draws a point only where its pixel does not show one yet, selected points win their
// pixel and are drawn on top, hit marks come last.

#include "viewmodel/canvas/TAEVPen.h"
#include "viewmodel/canvas/TPixelOccupancy.h"
#include "viewmodel/drawables/TGraphAEVObject.h"

#include <functional>
#include <memory>

namespace vorelt {

class TPageWarmer;

class TGraphPointAEVObject : public TGraphAEVObject {
public:
    TGraphPointAEVObject();
    ~TGraphPointAEVObject() override;
    std::string ClassName() const override { return "TGraphPointAEVObject"; }

    void Draw() override;
    // Series with fewer points draw them as markers instead of dots, when the owner asks for
    // it (the graph views do; overlays keep the dots they were given).
    static constexpr int SparsePoints = 10000;
    void SetGrowSparsePoints(bool v) { FGrowSparsePoints = v; }
    bool GrowSparsePoints() const { return FGrowSparsePoints; }
    // The style the points are drawn in: small dots of a sparse series grow into markers.
    static uint8_t PointStyleForCount(uint8_t style, int count);
    void FindPointAt(THitInfo& info) override;
    void AddValueEx(int32_t position, uint8_t flags, uint8_t channel, long double yNorm,
                    long double xNorm) override;
    // AddValueEx for each of `n` points, in order.
    void AddValues(size_t n, const int32_t* position, const uint8_t* flags, const uint8_t* channel,
                   const long double* yNorm, const long double* xNorm);
    void ClearIndex() override;
    void SetColor(TColor c) override { FColorPen.SetColor(c); }
    TColor GetColor() const override { return FColorPen.Color(); }
    void SortIndex() override;
    void SelectPositions(const std::vector<int32_t>& positions, bool value) override;
    int MarkPosition(int32_t position, bool value) override;
    void DeletePositions(const std::vector<int32_t>& positions, bool value) override;

    TAEVPen& ColorPen() { return FColorPen; }
    TAEVPen& SelectedPen() { return FSelectedPen; }
    TAEVPen& MarkPen() { return FMarkPen; }
    uint8_t PointStyle() const { return FPointStyle; }
    void SetPointStyle(uint8_t style) { FPointStyle = style <= ptBigRound ? style : ptPoint; }
    bool Connect() const { return FConnect; }
    void SetConnect(bool v) { FConnect = v; }
    bool SearchEnabled() const { return FSearchEnabled; }
    void SetSearchEnabled(bool v) { FSearchEnabled = v; }
    bool SearchDisabled() const { return FSearchDisabled; }
    void SetSearchDisabled(bool v) { FSearchDisabled = v; }
    bool IndexSorted() const { return FIndexSorted; }
    // Point indexes in the order of AddValueEx, or sorted by SortIndex.
    const std::vector<int32_t>& SortedIndex() const { return FSortIndex; }
    // Room for n points, so that filling a large series does not copy it while growing.
    void Reserve(size_t n);
    // Memory of the points and the index, capacity included.
    size_t BytesAllocated() const;

    // A before B when A.X < B.X, or the same X and A.Y < B.Y. SortIndex recognises it and
    // sorts without calling through the handler.
    static int CompareXY(const TGraphPointAEVObject& series, int a, int b);

    // Negative, zero or positive as point a comes before, with or after point b.
    using TCompare = int (*)(const TGraphPointAEVObject&, int, int);
    std::function<int(const TGraphPointAEVObject&, int, int)> OnCompare;
    // The record positions of the points under a pixel rectangle (the graph answers it from
    // the sorted index).
    std::function<std::vector<int32_t>(TGraphPointAEVObject&, const TRectInt&)> OnFindInRect;

private:
    bool FGrowSparsePoints = false;
    TAEVPen FColorPen{clBlack, pmCopy, psSolid};
    TAEVPen FSelectedPen{clRed, pmCopy, psSolid};
    TAEVPen FMarkPen{clWhite, pmCopy, psSolid};
    uint8_t FPointStyle = ptPoint;
    bool FConnect = false;
    std::vector<int32_t> FSortIndex;
    // Populates the reserved points while they are added, until they are sorted.
    std::unique_ptr<TPageWarmer> FWarmer;
    bool FIndexSorted = false;
    bool FSearchEnabled = true;
    bool FSearchDisabled = false;
};

} // namespace vorelt
