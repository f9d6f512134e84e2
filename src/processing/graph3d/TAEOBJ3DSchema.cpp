#include "processing/graph3d/TAEOBJ3DSchema.h"

#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TAEOBJ3DSchema::TAEOBJ3DSchema(IObj3DOwner* owner) : TAEOBJ3D(owner) {
    FImageIndex = 3;
    for (const char* name : {"WndCoordTop", "WndCoordLeft", "WndCoordWidth", "WndCoordHeight"})
        AddInteger(name, "", "", -1);
    AddString("Title", "Title");
    AddString("Comments", "Comments");
    for (const char* name :
         {"WndTop", "WndLeft", "WndWidth", "WndHeight", "HeightTree_0", "WidthTree_0",
          "HeightTree_1", "WidthTree_1", "HeightTree_2", "WidthTree_2"})
        AddInteger(name, "", "", -1);
    AddInteger("TypeView", "", "", 0);
}

void TAEOBJ3DSchema::Changed(bool) {
    if (FOwner) FOwner->SchemaChanged(*this);
}

void TAEOBJ3DSchema::Rebuild(ISchemaScene* scene) {
    ResetComputed();
    Compute();
    if (scene) BuildVisuals(*scene);
}

void TAEOBJ3DSchema::SaveItems(TNodePersist& node) const {
    node.AddItem("Bmp", BytesToHex(FPicture));
}

void TAEOBJ3DSchema::LoadItems(const TNodePersist& node) {
    if (node.IndexOfItem("Bmp") < 0) return;
    std::string bytes;
    FPicture = HexToBytes(Trim(node.GetValue("Bmp")), bytes) ? bytes : std::string();
}

TAEOBJ3DPipesSchema::TAEOBJ3DPipesSchema(IObj3DOwner* owner) : TAEOBJ3DSchema(owner) {
    FKind = okPipesSchema;
    FText = txtPipesSchema;
    AddFloat("BegCoordX", "Coord X", "M.", 0);
    AddFloat("BegCoordY", "Coord Y", "M.", 0);
    AddFloat("BegCoordZ", "Coord Z", "M.", 0);
    AddInteger("Scale", "Schema Scale", "cm", 1000);
    Allow("TAEOBJ3DPipePS", plInside);
    Allow("TAEOBJ3DHostPS", plInside);
}

long double TAEOBJ3DPipesSchema::UnitsPerMetre(int32_t scaleCm) {
    return 100.0L / (scaleCm > 0 ? scaleCm : 1000);
}

int32_t TAEOBJ3DPipesSchema::Scale() const {
    const int32_t s = PropertyInt("Scale");
    return s > 0 ? s : 1000;
}

TPoint3 TAEOBJ3DPipesSchema::Origin() const {
    const long double k = UnitsPerMetre(Scale());
    return TPoint3{PropertyFloat("BegCoordX") * k, PropertyFloat("BegCoordY") * k,
                   PropertyFloat("BegCoordZ") * k};
}

void TAEOBJ3DPipesSchema::Compute() {
    FComputed = true;
    FCoords.clear();
    SetCoordPoint(0, Origin());
    SetCoordPoint(1, Origin());
    ComputeChildren();
}

bool TAEOBJ3DPipesSchema::EndCoords(int, TCoordList& list) const {
    const TPoint3 o = Origin();
    list.push_back({1, 'X', o.X});
    list.push_back({1, 'Y', o.Y});
    list.push_back({1, 'Z', o.Z});
    return true;
}

std::string BytesToHex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

bool HexToBytes(const std::string& hex, std::string& bytes) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    bytes.clear();
    if (hex.size() % 2 != 0) return false;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = value(hex[i]);
        const int lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            bytes.clear();
            return false;
        }
        bytes += static_cast<char>((hi << 4) | lo);
    }
    return true;
}

} // namespace vorelt
