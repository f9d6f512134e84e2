#include "processing/graph3d/TAEOBJ3DHostBranchPS.h"

namespace vorelt {

TAEOBJ3DHostBranchPS::TAEOBJ3DHostBranchPS(IObj3DOwner* owner) : TAEOBJ3DActiveElementPS(owner) {
    FKind = okHostBranch;
    FImageIndex = 4;
    AddFloat("DeltaLength", "DL", "M.", 0);
    AddString("Title", "Title");
    Allow("TAEOBJ3DPipePS", plInside);
}

void TAEOBJ3DHostBranchPS::Compute() {
    FCoords.clear();
    TPoint3 p;
    auto* host = dynamic_cast<TAEOBJ3DActiveElementPS*>(FParent);
    if (host && host->PointAlong(PropertyFloat("DeltaLength"), p)) {
        SetCoordPoint(0, p);
        SetCoordPoint(1, p);
        FComputed = true;
    }
    ComputeChildren();
}

bool TAEOBJ3DHostBranchPS::EndCoords(int, TCoordList& list) const {
    TPoint3 p;
    if (!FComputed || !CoordPoint(1, p)) return false;
    list.push_back({1, 'X', p.X});
    list.push_back({1, 'Y', p.Y});
    list.push_back({1, 'Z', p.Z});
    return true;
}

} // namespace vorelt
