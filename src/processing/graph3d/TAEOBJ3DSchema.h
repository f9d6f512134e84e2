#pragma once
// The root of a pipe schema. A schema keeps the editor's window layout and a picture, tells
// its owner of every change and computes its whole tree again on a rebuild. The pipes schema
// adds the origin of the first element and the scale of the drawing.

#include "processing/graph3d/TAEOBJ3D.h"

namespace vorelt {

inline constexpr char txtPipesSchema[] = "Pipes Schema";

class TAEOBJ3DSchema : public TAEOBJ3D {
public:
    explicit TAEOBJ3DSchema(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DSchema"; }
    std::string TypeName() const override { return "Schema"; }

    TAEOBJ3D* Schema() override { return this; }
    void Changed(bool flag) override;
    // ResetComputed, Compute and (with a scene) BuildVisuals on the whole tree.
    void Rebuild(ISchemaScene* scene) override;

    // The picture's bytes; saved as "Bmp" in upper-case hexadecimal.
    const std::string& Picture() const { return FPicture; }
    void SetPicture(std::string bytes) { FPicture = std::move(bytes); }

protected:
    void SaveItems(TNodePersist& node) const override;
    void LoadItems(const TNodePersist& node) override;

private:
    std::string FPicture;
};

class TAEOBJ3DPipesSchema : public TAEOBJ3DSchema {
public:
    explicit TAEOBJ3DPipesSchema(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DPipesSchema"; }
    std::string TypeName() const override { return txtPipesSchema; }

    // Scene units per metre at a scale of `scaleCm` (1 : scaleCm centimetres): a metre is
    // 100 / scaleCm units, so at the default 1000 a 10 m pipe is one unit, the length of the
    // scene's axes. Scales of 0 or below count as 1000.
    static long double UnitsPerMetre(int32_t scaleCm);
    int32_t Scale() const;
    // BegCoordX/Y/Z at the schema's scale.
    TPoint3 Origin() const;

    void Compute() override;
    // The origin, as the end of the element before every first element.
    bool EndCoords(int kind, TCoordList& list) const override;
};

// Upper-case hexadecimal, two digits per byte; and back (false on an odd length or a
// character that is not a hexadecimal digit).
std::string BytesToHex(const std::string& bytes);
bool HexToBytes(const std::string& hex, std::string& bytes);

} // namespace vorelt
