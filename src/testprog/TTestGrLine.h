#pragma once
// The test load line: points of (time in whole seconds, load in MPa) from which every record
// gets its calculated loading, drawn on the test graph and on graphs with the load add-on.

#include "persist/TGVListCoordProperty.h"
#include "persist/TPersistObject.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace vorelt {

class IIDGenerator;
class ITestGraphShape;

// Times of the load line are whole seconds, ties to even.
inline long double WholeSeconds(long double t) {
    return std::isfinite(t) ? std::nearbyintl(t) : t;
}

class TTestGrLine : public TPersistObject {
public:
    // RGB (141, 81, 52) as a colour value (red in the low byte).
    static constexpr int32_t DefaultColor = 141 | (81 << 8) | (52 << 16);
    static constexpr long double DefaultWidthLine = 0.5L;

    TTestGrLine();
    TTestGrLine(const TTestGrLine&) = delete;
    TTestGrLine& operator=(const TTestGrLine&) = delete;

    std::string ClassName() const override { return "TTestGrLine"; }

    const std::string& ID() const { return FID; }
    void SetID(std::string id) { FID = std::move(id); }
    // The line on the test graph while a window shows it; not owned.
    ITestGraphShape* Line() const { return FLine; }
    void SetLine(ITestGraphShape* line) { FLine = line; }
    TGVListCoordProperty& Points() { return FPoints; }
    const TGVListCoordProperty& Points() const { return FPoints; }
    int32_t Color() const { return FColor; }
    void SetColor(int32_t color) { FColor = color; }
    long double WidthLine() const { return FWidthLine; }
    void SetWidthLine(long double width) { FWidthLine = width; }

    // Bound by the database processor to the test graph's right axis.
    std::function<long double()> OnGetMin;
    std::function<long double()> OnGetMax;
    std::function<void(long double)> OnSetMin;
    std::function<void(long double)> OnSetMax;
    // 0 when not bound.
    long double GetMin() const { return OnGetMin ? OnGetMin() : 0; }
    long double GetMax() const { return OnGetMax ? OnGetMax() : 0; }
    // Nothing happens when not bound.
    void SetMin(long double v) const {
        if (OnSetMin) OnSetMin(v);
    }
    void SetMax(long double v) const {
        if (OnSetMax) OnSetMax(v);
    }

    // The load at test time t (seconds): the y of the first point whose time equals t, or
    // the straight line between the two neighbouring points; false (the record's loading stays
    // null) before the first and after the last point. Points are expected in ascending time
    // and are then searched by halving; should they not be, the points are walked in stored
    // order with the same rules, so the answer never depends on the search.
    bool CalcLoading(long double t, long double& load) const;

    // "ClassName", "ID", "Color", "WidthLine" and a child "Coords" holding the points.
    void SaveToNode(TNodePersist& node) const override;
    // "ID"; "Color" (0 when not a number) and "WidthLine" (0.5 when not a number) when
    // present; the points from every child "Coords".
    void LoadFromNode(const TNodePersist& node) override;
    // No line object; colour, width and points back to their initial state.
    virtual void Clear();

    // Takes a new ID when it has none or when renewal is asked for.
    void AssignID(bool renew, IIDGenerator& generator);

private:
    bool PointsSorted() const;
    bool WalkPoints(long double t, long double& load) const;

    std::string FID;
    ITestGraphShape* FLine = nullptr;
    TGVListCoordProperty FPoints;
    int32_t FColor = DefaultColor;
    long double FWidthLine = DefaultWidthLine;

    // Whether the points are in ascending time, as of the points' revision FSortedRevision.
    mutable uint64_t FSortedRevision = UINT64_MAX;
    mutable bool FSorted = false;
};

// --- Load line points -----------------------------------------------------------------------

// Where a point of time t goes: before the first point (other than `skip`) whose time is not
// below t, or at the end.
int PointInsertPosition(const TGVListCoordProperty& points, long double t, int skip = -1);
// Rounds the time and inserts the point in time order; returns its position.
int InsertLinePoint(TTestGrLine& line, TGVCoord point);
// Changes point i, which then moves to its place in time order; returns its new position.
int EditLinePoint(TTestGrLine& line, int i, TGVCoord point);
// Deletes point i; a line of exactly two points goes as a whole. True when the line went.
bool DeleteLinePoint(TTestGrLine& line, int i);

} // namespace vorelt
