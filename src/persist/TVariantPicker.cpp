#include "persist/TVariantPicker.h"

#include "persist/TGVVariants.h"

namespace vorelt {

std::vector<TVariantPickerItem> VariantPickerItems(const TGVVariants& variants) {
    std::vector<TVariantPickerItem> items;
    items.reserve(size_t(variants.Count()));
    for (int i = 0; i < variants.Count(); ++i) {
        const TGVVariant* v = variants.Get(i);
        TVariantPickerItem item;
        item.Caption = v->GetDisplayName() + "\t" + TGVVariant::KindName(v->Kind());
        item.ComponentName = "ppv_" + std::to_string(i + 1);
        item.Tag = i;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace vorelt
