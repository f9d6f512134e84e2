#pragma once
// A named list of (X, Y) points, such as the polygons of the zone-intensity diagram.

#include "persist/TAESaveProperty.h"

#include <cstdint>
#include <vector>

namespace vorelt {

struct TGVCoord {
    long double X = 0;
    long double Y = 0;
    bool operator==(const TGVCoord&) const = default;
};

class TGVListCoordProperty : public TAESaveProperty {
public:
    // Points of one list (a load line, a zone outline); real lists hold dozens.
    static constexpr size_t MaxPoints = 100000;

    explicit TGVListCoordProperty(std::string name = {}) : TAESaveProperty(std::move(name)) {}
    std::string ClassName() const override { return "TGVListCoordProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    int32_t GetTag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }

    // Operations with a position outside the list do nothing; InsertPoint also accepts the
    // position just past the end, which appends.
    void ClearPoints() {
        FPoints.clear();
        ++FRevision;
    }
    int AddPoint(const TGVCoord& point);
    void InsertPoint(int i, const TGVCoord& point);
    void DeletePoint(int i);
    void ExchangePoints(int i, int j);
    int PointCount() const { return static_cast<int>(FPoints.size()); }
    // (0, 0) when i is outside the list.
    TGVCoord GetPoint(int i) const;
    void SetPoint(int i, const TGVCoord& point);
    const std::vector<TGVCoord>& Points() const { return FPoints; }
    // Changes with every change of the points, so that owners can keep facts derived from
    // them (such as whether they are sorted) without recomputing them for every use.
    uint64_t Revision() const { return FRevision; }

    // Empties the name, sets Tag to -1 and frees the points.
    void Clear() override;

    // "ClassName", "Name", "ClassName" again (older readers expect it there), "Tag", and a
    // child "List" of "Coord" children with "CoordX" and "CoordY".
    void SaveToNode(TNodePersist& node) const override;
    // A "List" child replaces the points; a "Coord" without both coordinates is skipped. Bad
    // numbers raise EConvertError and leave the current points untouched.
    void LoadFromNode(const TNodePersist& node) override;

private:
    int32_t FTag = -1;
    std::vector<TGVCoord> FPoints;
    uint64_t FRevision = 0;
};

} // namespace vorelt
