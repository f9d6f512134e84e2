#include "persist/TGVFloat3DProperty.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

namespace vorelt {

std::unique_ptr<TAESaveProperty> TGVFloat3DProperty::Clone() const {
    return std::make_unique<TGVFloat3DProperty>(*this);
}

void TGVFloat3DProperty::SaveToNode(TNodePersist& node) const {
    TAESaveProperty::SaveToNode(node);
    node.AddItem("ValueX", FloatToStr(FX));
    node.AddItem("ValueY", FloatToStr(FY));
    node.AddItem("ValueZ", FloatToStr(FZ));
}

void TGVFloat3DProperty::LoadFromNode(const TNodePersist& node) {
    auto read = [&node](const char* key, long double current) {
        std::string s = node.GetValue(key);
        return s.empty() ? current : StrToFloat(s);
    };
    long double x = read("ValueX", FX);
    long double y = read("ValueY", FY);
    long double z = read("ValueZ", FZ);
    TAESaveProperty::LoadFromNode(node);
    SetValues(x, y, z);
}

} // namespace vorelt
