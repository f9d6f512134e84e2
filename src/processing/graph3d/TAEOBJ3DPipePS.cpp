#include "processing/graph3d/TAEOBJ3DPipePS.h"

namespace vorelt {

TAEOBJ3DPipePS::TAEOBJ3DPipePS(IObj3DOwner* owner) : TAEOBJ3DRunElementPS(owner) {
    FKind = okPipe;
    FImageIndex = 1;
    Allow("TAEOBJ3DPipePS", plBefore);
    Allow("TAEOBJ3DHostPS", plBefore);
    Allow("TAEOBJ3DPAEPS", plInside);
}

void TAEOBJ3DPipePS::Compute() {
    if (PropertyFloat("Length") == 0) {
        FCoords.clear();
        return;
    }
    ComputeRun();
    ComputeChildren();
}

void TAEOBJ3DPipePS::BuildVisuals(ISchemaScene& scene) {
    TAEOBJ3D* prev = PreviousElement(true);
    if (FComputed && prev) {
        TSchemaShape shape;
        shape.Kind = TShapeKind::Pipe;
        CoordPoint(0, shape.From);
        CoordPoint(1, shape.To);
        shape.IDGL = FIDGL;
        shape.PredecessorIDGL = prev->IDGL();
        shape.Scale = ElementScale();
        shape.Label = FText;
        scene.AddShape(shape);
    }
    BuildChildren(scene);
}

} // namespace vorelt
