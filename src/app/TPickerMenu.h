#pragma once
// Turns the items of the field picker into a menu whose field items call `choose`.

#include "model/TFieldPicker.h"

#include <functional>

class QAction;
class QMenu;

namespace vorelt {

void FillPickerMenu(QMenu& menu, const std::vector<TFieldPickerItem>& items,
                    const std::function<void(const TAEField*)>& choose);

// The field item of the menu (sub-menus included) whose field has this ID.
QAction* FindPickerAction(QMenu& menu, const std::string& fieldID);

} // namespace vorelt
