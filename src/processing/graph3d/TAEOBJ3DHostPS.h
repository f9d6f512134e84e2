#pragma once
// A host: a vessel of the installation, drawn as a box along its run. Pipes and hosts follow
// it, sensors sit on it and host branches leave it.

#include "processing/graph3d/TAEOBJ3DElementPS.h"

namespace vorelt {

class TAEOBJ3DHostPS : public TAEOBJ3DRunElementPS {
public:
    explicit TAEOBJ3DHostPS(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DHostPS"; }
    std::string TypeName() const override { return "Host"; }

    // Nothing (children included) for a length of 0; otherwise its run, then the children.
    void Compute() override;
    // A computed host shows itself and its children; an uncomputed one nothing.
    void BuildVisuals(ISchemaScene& scene) override;
};

} // namespace vorelt
