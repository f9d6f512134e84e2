#include "processing/graph3d/TAEOBJ3DPAEPS.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TAEOBJ3DPAEPS::TAEOBJ3DPAEPS(IObj3DOwner* owner) : TAEOBJ3DPassiveElementPS(owner) {
    FKind = okPAE;
    FImageIndex = 2;
    AddFloat("DeltaLength", "DL", "M.", 0);
    AddInteger("Chan", "Channel", "\xE2\x84\x96", 0);
    AddString("Title", "Title");
    Allow("TAEOBJ3DPAEPS", plBefore);
}

void TAEOBJ3DPAEPS::SetChannel(int32_t channel) {
    if (auto* p = FProperties->FindAs<TGVProperty>("Chan")) p->SetAsInteger(channel);
}

std::string TAEOBJ3DPAEPS::GetDisplayText() const {
    std::string text = FText;
    if (const int32_t chan = Channel(); chan != 0) text += txtChanNo + IntToStr(chan);
    const std::string title = Trim(PropertyText("Title"));
    if (title.empty()) return text;
    return title + " [" + text + "]";
}

void TAEOBJ3DPAEPS::Compute() {
    FCoords.clear();
    TPoint3 p;
    auto* carrier = dynamic_cast<TAEOBJ3DActiveElementPS*>(FParent);
    if (carrier && carrier->PointAlong(PropertyFloat("DeltaLength"), p)) {
        SetCoordPoint(0, p);
        SetCoordPoint(1, p);
        FComputed = true;
    }
    ComputeChildren();
}

void TAEOBJ3DPAEPS::BuildVisuals(ISchemaScene& scene) {
    if (FComputed) {
        TSchemaShape shape;
        shape.Kind = TShapeKind::Sensor;
        CoordPoint(0, shape.From);
        shape.To = shape.From;
        shape.IDGL = FIDGL;
        shape.Channel = Channel();
        shape.Label = shape.Channel != 0 ? IntToStr(shape.Channel) : FText;
        shape.Scale = SchemaScale();
        scene.AddShape(shape);
    }
    BuildChildren(scene);
}

} // namespace vorelt
