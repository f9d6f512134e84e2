#include "model/TFieldPicker.h"

#include "model/IFieldSetOwner.h"

#include <algorithm>

namespace vorelt {

namespace {

bool Contains(const std::vector<std::string>& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string OwnerClass(const TAEFields& set) {
    return set.Owner() ? set.Owner()->ClassName() : std::string();
}

std::string OwnerName(const TAEFields& set) {
    return set.Owner() ? set.Owner()->Name() : std::string();
}

} // namespace

bool FieldPickerItemEnabled(const TAEField& field, uint32_t mode,
                            const std::vector<std::string>& excludedIDs) {
    const uint8_t type = field.DataType();
    bool enabled = false;
    if (mode == fpmAny) enabled = true;
    if ((mode & fpmNumeric) && IsNumericType(type)) enabled = true;
    if ((mode & fpmBoolean) && type == dtBoolean) enabled = true;
    if ((mode & fpmString) && type == dtString) enabled = true;
    if (mode & fpmAllFields)
        enabled = !field.HasFlag(ffNotInAllFields);
    else if (field.HasFlag(ffAllFieldsOnly))
        enabled = false;
    if (mode & fpmChannel) enabled = field.HasFlag(ffChannel);
    if (mode & fpmTime) enabled = field.HasFlag(ffTime);
    if (Contains(excludedIDs, field.ID())) enabled = false;
    return enabled;
}

std::vector<TFieldPickerItem> BuildFieldPickerMenu(const TAEListFields& layout, uint32_t mode,
                                                   const std::vector<std::string>& excludedIDs,
                                                   const std::vector<std::string>& checkedIDs) {
    std::vector<TFieldPickerItem> menu;
    int n = 0;
    for (int i = 0; i < layout.Count(); ++i) {
        const TAEFields& set = *layout.Get(i);
        const std::string ownerClass = OwnerClass(set);
        int sameOwners = 0;
        for (int j = 0; j < layout.Count(); ++j)
            if (layout.Get(j)->Kind() == set.Kind() && OwnerClass(*layout.Get(j)) == ownerClass)
                ++sameOwners;

        TFieldPickerItem* parent = nullptr;
        TFieldPickerItem* shared = nullptr;
        if (sameOwners == 1) {
            menu.push_back({set.Name(), "ppflds_" + std::to_string(i), false, false, nullptr, {}});
            parent = &menu.back();
        } else {
            auto it = std::find_if(menu.begin(), menu.end(), [&](const TFieldPickerItem& e) {
                return e.Caption == set.Name() && e.Field == nullptr;
            });
            if (it == menu.end()) {
                menu.push_back(
                    {set.Name(), "ppflds_" + std::to_string(i), false, false, nullptr, {}});
                it = std::prev(menu.end());
            }
            shared = &*it;
            shared->Items.push_back(
                {OwnerName(set), "ppfldsN_" + std::to_string(i), false, false, nullptr, {}});
            parent = &shared->Items.back();
        }

        for (int k = 0; k < set.Count(); ++k) {
            TAEField* f = set.Get(k);
            if (f->HasFlag(ffHidden)) continue;
            ++n;
            TFieldPickerItem item;
            item.Caption = f->FieldName() + "\t" + f->GetDisplayName();
            if (!f->GetDisplayDimension().empty())
                item.Caption += "[" + f->GetDisplayDimension() + "]";
            item.ComponentName = "ppf_" + std::to_string(n);
            item.Enabled = FieldPickerItemEnabled(*f, mode, excludedIDs);
            item.Checked = Contains(checkedIDs, f->ID());
            item.Field = f;
            parent->Items.push_back(std::move(item));
            parent->Enabled = true;
        }
        if (shared && parent->Enabled) shared->Enabled = true;
    }
    return menu;
}

} // namespace vorelt
