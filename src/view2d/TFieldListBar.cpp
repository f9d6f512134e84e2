#include "view2d/TFieldListBar.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace vorelt {

std::vector<QPushButton*> AddBarButtons(QBoxLayout* bar, QWidget* parent,
                                        const std::vector<TBarButton>& buttons) {
    std::vector<QPushButton*> made;
    for (const TBarButton& spec : buttons) {
        auto* b = new QPushButton(spec.Caption, parent);
        b->setObjectName(spec.Name);
        if (spec.MenuName) {
            auto* menu = new QMenu(b);
            menu->setObjectName(spec.MenuName);
            b->setMenu(menu);
        }
        if (spec.Run) QObject::connect(b, &QPushButton::clicked, parent, spec.Run);
        bar->addWidget(b);
        made.push_back(b);
    }
    return made;
}

QTreeWidget* MakeFieldList(QWidget* parent, const char* objectName) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(objectName);
    list->setColumnCount(3);
    list->setHeaderLabels({"Name", "Type", "Display Name"});
    list->setRootIsDecorated(false);
    return list;
}

int CurrentFieldRow(const QTreeWidget& list) {
    QTreeWidgetItem* item = list.currentItem();
    return item ? list.indexOfTopLevelItem(item) : -1;
}

TListPage MakeListPage(QWidget* parent, const char* listName,
                       const std::vector<TBarButton>& buttons) {
    TListPage p;
    p.Page = new QWidget(parent);
    p.List = new QListWidget(p.Page);
    p.List->setObjectName(listName);
    auto* column = new QVBoxLayout();
    p.Buttons = AddBarButtons(column, p.Page, buttons);
    column->addStretch(1);
    auto* box = new QHBoxLayout(p.Page);
    box->addWidget(p.List, 1);
    box->addLayout(column);
    return p;
}

} // namespace vorelt
