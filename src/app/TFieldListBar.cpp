#include "app/TFieldListBar.h"

#include <QPushButton>

namespace vorelt {

void AddBarButtons(QHBoxLayout* bar, QWidget* parent, const std::vector<TBarButton>& buttons) {
    for (const TBarButton& spec : buttons) {
        auto* b = new QPushButton(spec.Caption, parent);
        b->setObjectName(spec.Name);
        QObject::connect(b, &QPushButton::clicked, parent, spec.Run);
        bar->addWidget(b);
    }
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

} // namespace vorelt
