#include "processing/graph3d/TAEOBJ3DHostPS.h"

namespace vorelt {

TAEOBJ3DHostPS::TAEOBJ3DHostPS(IObj3DOwner* owner) : TAEOBJ3DRunElementPS(owner) {
    FKind = okHost;
    FImageIndex = 0;
    Allow("TAEOBJ3DHostPS", plBefore);
    Allow("TAEOBJ3DPipePS", plBefore);
    Allow("TAEOBJ3DPAEPS", plInside);
}

void TAEOBJ3DHostPS::Compute() {
    if (PropertyFloat("Length") == 0) {
        FCoords.clear();
        return;
    }
    ComputeRun();
    ComputeChildren();
}

void TAEOBJ3DHostPS::BuildVisuals(ISchemaScene& scene) {
    if (!FComputed) return;
    TSchemaShape shape;
    shape.Kind = TShapeKind::Host;
    CoordPoint(0, shape.From);
    CoordPoint(1, shape.To);
    shape.IDGL = FIDGL;
    if (TAEOBJ3D* prev = PreviousElement(true)) shape.PredecessorIDGL = prev->IDGL();
    shape.Scale = ElementScale();
    shape.Label = FText;
    scene.AddShape(shape);
    BuildChildren(scene);
}

} // namespace vorelt
