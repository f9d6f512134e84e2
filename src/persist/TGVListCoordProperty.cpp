#include "persist/TGVListCoordProperty.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <utility>

namespace vorelt {

std::unique_ptr<TAESaveProperty> TGVListCoordProperty::Clone() const {
    return std::make_unique<TGVListCoordProperty>(*this);
}

int TGVListCoordProperty::AddPoint(const TGVCoord& point) {
    FPoints.push_back(point);
    ++FRevision;
    return PointCount() - 1;
}

void TGVListCoordProperty::InsertPoint(int i, const TGVCoord& point) {
    if (i < 0 || i > PointCount()) return;
    FPoints.insert(FPoints.begin() + i, point);
    ++FRevision;
}

void TGVListCoordProperty::DeletePoint(int i) {
    if (i < 0 || i >= PointCount()) return;
    FPoints.erase(FPoints.begin() + i);
    ++FRevision;
}

void TGVListCoordProperty::ExchangePoints(int i, int j) {
    if (i < 0 || i >= PointCount() || j < 0 || j >= PointCount()) return;
    std::swap(FPoints[size_t(i)], FPoints[size_t(j)]);
    ++FRevision;
}

TGVCoord TGVListCoordProperty::GetPoint(int i) const {
    if (i < 0 || i >= PointCount()) return {};
    return FPoints[size_t(i)];
}

void TGVListCoordProperty::SetPoint(int i, const TGVCoord& point) {
    if (i < 0 || i >= PointCount()) return;
    FPoints[size_t(i)] = point;
    ++FRevision;
}

void TGVListCoordProperty::Clear() {
    SetName({});
    FTag = -1;
    ClearPoints();
}

void TGVListCoordProperty::SaveToNode(TNodePersist& node) const {
    TAESaveProperty::SaveToNode(node);
    node.AddItem("ClassName", ClassName());
    node.AddItem("Tag", IntToStr(FTag));
    TNodePersist* list = node.AddNode("List");
    for (const TGVCoord& p : FPoints) {
        TNodePersist* coord = list->AddNode("Coord");
        coord->AddItem("CoordX", FloatToStr(p.X));
        coord->AddItem("CoordY", FloatToStr(p.Y));
    }
}

void TGVListCoordProperty::LoadFromNode(const TNodePersist& node) {
    TAESaveProperty::LoadFromNode(node);
    std::string tag = node.GetValue("Tag");
    if (!tag.empty()) FTag = StrToInt(tag);
    const TNodePersist* list = node.FindNode("List");
    if (!list) return;
    std::vector<TGVCoord> points;
    for (int i = 0; i < list->NodeCount(); ++i) {
        const TNodePersist* coord = list->Node(i);
        if (!SameTextTrimmed(coord->Name(), "Coord")) continue;
        if (points.size() >= MaxPoints)
            throw EAEError("more than " + std::to_string(MaxPoints) + " points: " + list->Where() +
                           " expects at most " + std::to_string(MaxPoints) + " points");
        std::string x = coord->GetValue("CoordX");
        std::string y = coord->GetValue("CoordY");
        if (x.empty() || y.empty()) continue;
        points.push_back({StrToFloat(x), StrToFloat(y)});
    }
    FPoints = std::move(points);
    ++FRevision;
}

} // namespace vorelt
