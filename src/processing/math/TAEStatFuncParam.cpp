#include "processing/math/TAEStatFuncParam.h"

#include "model/TAEListFields.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

void TAEStatFuncParam::Bind(const TAEListFields& layout) {
    FPosition = -1;
    FDataType = dtUnknown;
    if (FKind != spkField || FFieldID.empty()) return;
    FPosition = layout.IndexOfID(FFieldID);
    if (const TAEField* f = layout.FieldAt(FPosition)) FDataType = f->DataType();
}

TAEStatFuncParam* TAEStatFuncParams::Find(std::string_view name) {
    const std::string key = UpperCase(Trim(name));
    for (auto& p : FItems)
        if (UpperCase(Trim(p.Name())) == key) return &p;
    return nullptr;
}

const TAEStatFuncParam* TAEStatFuncParams::Find(std::string_view name) const {
    return const_cast<TAEStatFuncParams*>(this)->Find(name);
}

} // namespace vorelt
