#pragma once
// The menu through which settings dialogs let the user choose fields of a layout, computed
// without any user-interface toolkit: the dialogs turn the returned items into menu items.

#include "model/TAEListFields.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

// Picker modes (bits).
constexpr uint32_t fpmAny = 0x00;
constexpr uint32_t fpmNumeric = 0x01;
constexpr uint32_t fpmBoolean = 0x02;
constexpr uint32_t fpmString = 0x04;
constexpr uint32_t fpmChannel = 0x08;
constexpr uint32_t fpmAllFields = 0x10;
constexpr uint32_t fpmTime = 0x20;
constexpr uint32_t fpmCondition = fpmNumeric | fpmBoolean | fpmString;

struct TFieldPickerItem {
    // "FieldName\tDisplayName[DisplayDimension]" for fields; the set's or owner's name for
    // entries that hold other items.
    std::string Caption;
    // "ppflds_<set position>", "ppfldsN_<set position>" or "ppf_<n>" (n counts the field items
    // of the whole menu from 1).
    std::string ComponentName;
    bool Enabled = false;
    bool Checked = false;
    TAEField* Field = nullptr; // set on field items only
    std::vector<TFieldPickerItem> Items;
};

// The top-level entries of the picker for a layout. A set whose owner class and kind occur once
// gets its own entry holding its fields; sets that repeat (several filters in one branch) share
// one entry named after the set, with one sub-entry per owner named after the owner. An entry
// becomes enabled once it holds a field item; a shared entry is enabled when one of its
// sub-entries is. Hidden fields are left out.
std::vector<TFieldPickerItem> BuildFieldPickerMenu(const TAEListFields& layout, uint32_t mode,
                                                   const std::vector<std::string>& excludedIDs,
                                                   const std::vector<std::string>& checkedIDs);

// The enable rule for one field item.
bool FieldPickerItemEnabled(const TAEField& field, uint32_t mode,
                            const std::vector<std::string>& excludedIDs);

} // namespace vorelt
