#pragma once
// A named (X, Y, Z) triple, such as the viewing angles of a 3D view.

#include "persist/TAESaveProperty.h"

namespace vorelt {

class TGVFloat3DProperty : public TAESaveProperty {
public:
    explicit TGVFloat3DProperty(std::string name = {}) : TAESaveProperty(std::move(name)) {}
    TGVFloat3DProperty(std::string name, long double x, long double y, long double z)
        : TAESaveProperty(std::move(name)), FX(x), FY(y), FZ(z) {}
    std::string ClassName() const override { return "TGVFloat3DProperty"; }
    std::unique_ptr<TAESaveProperty> Clone() const override;

    void SetValues(long double x, long double y, long double z) {
        FX = x;
        FY = y;
        FZ = z;
    }
    long double X() const { return FX; }
    long double Y() const { return FY; }
    long double Z() const { return FZ; }

    void Clear() override { SetValues(0, 0, 0); }

    // "ClassName", "Name", "ValueX", "ValueY", "ValueZ".
    void SaveToNode(TNodePersist& node) const override;
    // Each present value is parsed; bad numbers raise EConvertError before anything changes.
    void LoadFromNode(const TNodePersist& node) override;

private:
    long double FX = 0;
    long double FY = 0;
    long double FZ = 0;
};

} // namespace vorelt
