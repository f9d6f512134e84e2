#include "view2d/TAddonPanels.h"

#include "processing/graph/TGVCPUGr.h"
#include "view2d/TAddonVC.h"
#include "view2d/TGraphVC.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vorelt {

TAddonPanels::TAddonPanels(TGraphVC& graph, QWidget* parent)
    : QWidget(parent), FGraph(graph), FLayout(new QVBoxLayout(this)) {
    setObjectName("paAddons");
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(0);
    FLayout->addStretch(1);
    Rebuild();
}

void TAddonPanels::Rebuild() {
    for (QWidget* w : FPanels)
        delete w;
    FPanels.clear();
    FBoxes.clear();
    FIds.clear();
    const auto& addOns = FGraph.AddOns();
    for (size_t i = 0; i < addOns.size(); ++i) {
        const TAddonVC& a = *addOns[i];
        const QString n = QString::number(static_cast<qulonglong>(i));
        auto* panel = new QWidget(this);
        panel->setObjectName("paAddon_" + n);
        panel->setFixedHeight(36);
        auto* row = new QHBoxLayout(panel);
        auto* box = new QCheckBox(QString::fromStdString(a.GetCaption()), panel);
        box->setObjectName("cbAddon_" + n);
        box->setChecked(a.GetEnabled());
        row->addWidget(box);
        row->addStretch(1);
        const std::string id = a.GetID();
        connect(box, &QCheckBox::clicked, this, [this, id](bool checked) { Toggle(id, checked); });
        FLayout->insertWidget(static_cast<int>(i), panel);
        FPanels.push_back(panel);
        FBoxes.push_back(box);
        FIds.push_back(id);
    }
}

void TAddonPanels::Toggle(const std::string& id, bool checked) {
    for (const auto& a : FGraph.AddOns())
        if (a->GetID() == id) {
            a->SetEnabled(checked);
            break;
        }
    FGraph.StoreAddOnStates();
    // The graph empties itself and asks the chain again: the add-ons are new ones after this.
    if (TGVCPUGr* p = FGraph.Graph()) p->Changed(true);
}

QWidget* CreateAddonPanels(TGraphVC* graph, QWidget* parent) {
    if (!graph) return nullptr;
    return new TAddonPanels(*graph, parent);
}

} // namespace vorelt
