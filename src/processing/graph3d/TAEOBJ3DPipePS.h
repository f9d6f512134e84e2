#pragma once
// A pipe of the installation, drawn as a cylinder along its run. Pipes and hosts follow it
// and sensors sit on it.

#include "processing/graph3d/TAEOBJ3DElementPS.h"

namespace vorelt {

class TAEOBJ3DPipePS : public TAEOBJ3DRunElementPS {
public:
    explicit TAEOBJ3DPipePS(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DPipePS"; }
    std::string TypeName() const override { return "Pipe"; }

    // Its run when the length is not 0, then the children.
    void Compute() override;
    // A computed pipe with a predecessor shows itself; the children always get their turn.
    void BuildVisuals(ISchemaScene& scene) override;
};

} // namespace vorelt
