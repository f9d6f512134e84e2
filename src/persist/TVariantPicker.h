#pragma once
// What the variant picker menu shows, independent of the menu toolkit: the UI turns each entry
// into one enabled menu item and hands the chosen item's Tag back as the variant's position.

#include <string>
#include <vector>

namespace vorelt {

class TGVVariants;

struct TVariantPickerItem {
    std::string Caption;       // DisplayName, a tab, the kind name
    std::string ComponentName; // "ppv_" and the running number from 1
    int Tag = -1;              // position of the variant in the list
    bool Enabled = true;
};

std::vector<TVariantPickerItem> VariantPickerItems(const TGVVariants& variants);

} // namespace vorelt
