#pragma once
// A host branch: the point DeltaLength metres along its host where a line of pipes leaves it.

#include "processing/graph3d/TAEOBJ3DElementPS.h"

namespace vorelt {

class TAEOBJ3DHostBranchPS : public TAEOBJ3DActiveElementPS {
public:
    explicit TAEOBJ3DHostBranchPS(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DHostBranchPS"; }
    std::string TypeName() const override { return "Host Branch"; }

    // Computed where its host is; then the children.
    void Compute() override;
    // The branch point, as the end before its first pipe.
    bool EndCoords(int kind, TCoordList& list) const override;
};

} // namespace vorelt
