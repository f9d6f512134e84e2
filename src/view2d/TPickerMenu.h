#pragma once
// Turns the items of the field picker into a menu, the same in every window that offers
// fields: each field item carries its field's ID as data, shows a check mark where the picker
// checked it, and calls `choose` when triggered (nothing when `choose` is empty: the caller
// then reads the chosen item's data).

#include "model/TFieldPicker.h"

#include <functional>

class QAction;
class QMenu;

namespace vorelt {

void FillPickerMenu(QMenu& menu, const std::vector<TFieldPickerItem>& items,
                    const std::function<void(const TAEField*)>& choose = {});

// The field item of the menu (sub-menus included) whose field has this ID.
QAction* FindPickerAction(QMenu& menu, const std::string& fieldID);

} // namespace vorelt
