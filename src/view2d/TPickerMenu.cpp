#include "view2d/TPickerMenu.h"

#include "model/TAEField.h"

#include <QAction>
#include <QMenu>

namespace vorelt {

void FillPickerMenu(QMenu& menu, const std::vector<TFieldPickerItem>& items,
                    const std::function<void(const TAEField*)>& choose) {
    for (const TFieldPickerItem& item : items) {
        const QString caption = QString::fromStdString(item.Caption);
        if (item.Field) {
            QAction* a = menu.addAction(caption);
            a->setObjectName(QString::fromStdString(item.ComponentName));
            a->setEnabled(item.Enabled);
            a->setCheckable(item.Checked);
            a->setChecked(item.Checked);
            a->setData(QString::fromStdString(item.Field->ID()));
            const TAEField* f = item.Field;
            if (choose) QObject::connect(a, &QAction::triggered, &menu, [choose, f] { choose(f); });
        } else {
            QMenu* sub = menu.addMenu(caption);
            sub->setObjectName(QString::fromStdString(item.ComponentName));
            sub->menuAction()->setObjectName(QString::fromStdString(item.ComponentName));
            sub->setEnabled(item.Enabled);
            FillPickerMenu(*sub, item.Items, choose);
        }
    }
}

QAction* FindPickerAction(QMenu& menu, const std::string& fieldID) {
    for (QAction* a : menu.actions()) {
        if (QMenu* sub = a->menu()) {
            if (QAction* hit = FindPickerAction(*sub, fieldID)) return hit;
        } else if (a->data().toString().toStdString() == fieldID) {
            return a;
        }
    }
    return nullptr;
}

} // namespace vorelt
