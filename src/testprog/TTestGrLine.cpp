#include "testprog/TTestGrLine.h"

#include "persist/IIDGenerator.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>

namespace vorelt {

TTestGrLine::TTestGrLine() : FPoints("Coords") {}

bool TTestGrLine::PointsSorted() const {
    if (FSortedRevision != FPoints.Revision()) {
        const std::vector<TGVCoord>& p = FPoints.Points();
        FSorted = std::is_sorted(p.begin(), p.end(),
                                 [](const TGVCoord& a, const TGVCoord& b) { return a.X < b.X; });
        FSortedRevision = FPoints.Revision();
    }
    return FSorted;
}

bool TTestGrLine::WalkPoints(long double t, long double& load) const {
    const std::vector<TGVCoord>& p = FPoints.Points();
    int lastBelow = -1;
    for (int i = 0; i < static_cast<int>(p.size()); ++i) {
        const TGVCoord& c = p[size_t(i)];
        if (c.X == t) {
            load = c.Y;
            return true;
        }
        if (c.X < t) {
            lastBelow = i;
            continue;
        }
        if (lastBelow >= 0 && lastBelow == i - 1) {
            const TGVCoord& b = p[size_t(lastBelow)];
            load = b.Y + (t - b.X) / (c.X - b.X) * (c.Y - b.Y);
            return true;
        }
        return false;
    }
    return false;
}

bool TTestGrLine::CalcLoading(long double t, long double& load) const {
    if (t != t) // NaN lies nowhere on the line
        return false;
    if (!PointsSorted()) return WalkPoints(t, load);
    const std::vector<TGVCoord>& p = FPoints.Points();
    // The first point at or after t; the stored-order walk stops at the same point.
    auto it = std::lower_bound(p.begin(), p.end(), t,
                               [](const TGVCoord& c, long double v) { return c.X < v; });
    if (it == p.end()) return false;
    if (it->X == t) {
        load = it->Y;
        return true;
    }
    if (it == p.begin()) return false;
    const TGVCoord& b = *(it - 1);
    load = b.Y + (t - b.X) / (it->X - b.X) * (it->Y - b.Y);
    return true;
}

void TTestGrLine::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", FID);
    node.AddItem("Color", IntToStr(FColor));
    node.AddItem("WidthLine", FloatToStr(FWidthLine));
    FPoints.SaveToNode(*node.AddNode("Coords"));
}

void TTestGrLine::LoadFromNode(const TNodePersist& node) {
    std::string s = node.GetValue("ID");
    if (!s.empty()) FID = s;
    if (node.IndexOfItem("Color") >= 0) {
        int32_t color;
        FColor = TryStrToInt(node.GetValue("Color"), color) ? color : 0;
    }
    if (node.IndexOfItem("WidthLine") >= 0) {
        long double width;
        FWidthLine = TryStrToFloat(node.GetValue("WidthLine"), width) ? width : DefaultWidthLine;
    }
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* child = node.Node(i);
        if (SameTextTrimmed(child->Name(), "Coords")) FPoints.LoadFromNode(*child);
    }
}

void TTestGrLine::Clear() {
    FLine = nullptr;
    FColor = DefaultColor;
    FWidthLine = DefaultWidthLine;
    FPoints.ClearPoints();
}

void TTestGrLine::AssignID(bool renew, IIDGenerator& generator) {
    if (renew || FID.empty()) FID = generator.NewID();
}

// --- Load line points -----------------------------------------------------------------------

int PointInsertPosition(const TGVListCoordProperty& points, long double t, int skip) {
    int at = 0;
    for (int i = 0; i < points.PointCount(); ++i) {
        if (i == skip) continue;
        if (!(points.GetPoint(i).X < t)) return at;
        ++at;
    }
    return at;
}

int InsertLinePoint(TTestGrLine& line, TGVCoord point) {
    point.X = WholeSeconds(point.X);
    const int at = PointInsertPosition(line.Points(), point.X);
    line.Points().InsertPoint(at, point);
    return at;
}

int EditLinePoint(TTestGrLine& line, int i, TGVCoord point) {
    TGVListCoordProperty& points = line.Points();
    if (i < 0 || i >= points.PointCount()) return -1;
    point.X = WholeSeconds(point.X);
    // The position among the other points is the position after taking this one out.
    const int at = PointInsertPosition(points, point.X, i);
    points.DeletePoint(i);
    points.InsertPoint(at, point);
    return at;
}

bool DeleteLinePoint(TTestGrLine& line, int i) {
    TGVListCoordProperty& points = line.Points();
    if (i < 0 || i >= points.PointCount()) return false;
    if (points.PointCount() == 2) {
        // One point is no line.
        points.ClearPoints();
        line.SetLine(nullptr);
        return true;
    }
    points.DeletePoint(i);
    return false;
}

} // namespace vorelt
