#include "app/TFVariants.h"

#include "persist/TGVVariant.h"
#include "persist/TGVVariants.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/project/TVariantsRules.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

// ---- Variant dialog ------------------------------------------------------------------------

TVariantDialog::TVariantDialog(TGVVariant& variant, bool editing, QWidget* parent)
    : QDialog(parent), FVariant(variant) {
    setObjectName("VariantDialog");
    setWindowTitle(QString::fromStdString(VariantDialogTitle(editing, variant.Kind())));
    auto* form = new QFormLayout(this);
    FName = new QLineEdit(QString::fromStdString(editing ? variant.GetDisplayName() : ""), this);
    FName->setObjectName("edVariantName");
    FName->setReadOnly(editing);
    AttachNameKeys(FName);
    form->addRow("Variant Name", FName);
    FValue = new QLineEdit(QString::fromStdString(variant.GetAsString()), this);
    FValue->setObjectName("edVariantValue");
    auto* valueRow = new QHBoxLayout();
    valueRow->addWidget(FValue, 1);
    if (const auto rule = VariantNumberRule(variant.Kind())) TNumberEdit::Attach(FValue, *rule);
    switch (variant.Kind()) {
    case TGVVariant::vkBoolean: {
        FValue->setReadOnly(true);
        FSelect = new QPushButton("Select Value", this);
        FSelect->setObjectName("btSelectValue");
        FSelectMenu = new QMenu(FSelect);
        for (const char* v : {"True", "False"})
            connect(FSelectMenu->addAction(v), &QAction::triggered, this,
                    [this, v] { FValue->setText(v); });
        FSelect->setMenu(FSelectMenu);
        valueRow->addWidget(FSelect);
        break;
    }
    default:
        break;
    }
    form->addRow("Variant Value", valueRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool TVariantDialog::TryAccept() {
    const std::string error =
        ApplyVariantInput(FVariant, FName->text().toStdString(), FValue->text().toStdString());
    if (error.empty()) return true;
    TNumberEdit::CheckAll({FValue});
    Dialogs().ShowMessageBox(error, TMsgKind::Information, mbOK);
    return false;
}

// ---- List window ---------------------------------------------------------------------------

TFVariants::TFVariants(TProjectAE& project, TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FProject(project), FSettings(settings) {
    setObjectName("FVariants");
    setWindowTitle("Variants Editor");
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout();
    auto addButton = [this, bar](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        bar->addWidget(b);
        FButtons.push_back(b);
        return b;
    };
    QPushButton* add = addButton("btAddVariant", "Add Variant");
    FAddMenu = new QMenu(add);
    FAddMenu->setObjectName("ppAddVariant");
    for (uint8_t kind = 0; kind <= TGVVariant::vkBoolean; ++kind)
        connect(FAddMenu->addAction(QString::fromStdString(VariantDialogTitle(false, kind))),
                &QAction::triggered, this, [this, kind] { AddVariant(kind); });
    add->setMenu(FAddMenu);
    connect(addButton("btEditVariant", "Edit Variant"), &QPushButton::clicked, this,
            [this] { EditVariant(); });
    connect(addButton("btDeleteVariant", "Delete Variant"), &QPushButton::clicked, this,
            [this] { DeleteVariant(); });
    connect(addButton("btInfo", "Info"), &QPushButton::clicked, this, [this] { Info(); });
    bar->addStretch(1);
    layout->addLayout(bar);
    FList = new QTreeWidget(this);
    FList->setObjectName("lvVariants");
    FList->setColumnCount(3);
    FList->setHeaderLabels({"Name", "Type", "Value"});
    FList->setRootIsDecorated(false);
    connect(FList, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(FList, &QTreeWidget::itemDoubleClicked, this, [this] { EditVariant(); });
    layout->addWidget(FList, 1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    int32_t top = 100, width = 500, height = 350, left = 100;
    if (FSettings) FSettings->ReadBounds("VARIANTS", top, width, height, left);
    setGeometry(left, top, std::max(width, 200), std::max(height, 150));
    Refresh();
}

TFVariants::~TFVariants() {
    if (!FSettings) return;
    const QRect g = geometry();
    FSettings->WriteBounds("VARIANTS", g.top(), g.left(), g.height(), g.width());
}

QPushButton* TFVariants::Button(const QString& name) const {
    for (QPushButton* b : FButtons)
        if (b->objectName() == name) return b;
    return nullptr;
}

void TFVariants::Refresh() {
    const int row = FList->currentItem() ? FList->indexOfTopLevelItem(FList->currentItem()) : -1;
    FList->clear();
    TGVVariants& list = FProject.Variants();
    for (int i = 0; i < list.Count(); ++i) {
        TGVVariant* v = list.Get(i);
        new QTreeWidgetItem(FList, {QString::fromStdString(v->GetDisplayName()),
                                    QString::fromStdString(TGVVariant::KindName(v->Kind())),
                                    QString::fromStdString(v->GetAsString())});
    }
    if (row >= 0 && row < FList->topLevelItemCount())
        FList->setCurrentItem(FList->topLevelItem(row));
    UpdateButtons();
}

void TFVariants::UpdateButtons() {
    const bool selected = FList->currentItem() != nullptr;
    Button("btEditVariant")->setEnabled(selected);
    Button("btDeleteVariant")->setEnabled(selected);
    Button("btInfo")->setEnabled(selected);
}

bool TFVariants::RunDialog(TVariantDialog& d) {
    return Dialogs().Run(d) == QDialog::Accepted;
}

void TFVariants::AddVariant(uint8_t kind) {
    std::unique_ptr<TGVVariant> v = NewVariantOfKind(kind);
    if (!v) return;
    TVariantDialog d(*v, false, this);
    if (!RunDialog(d)) return;
    const int i = vorelt::AddVariant(FProject, std::move(v));
    Refresh();
    FList->setCurrentItem(FList->topLevelItem(i));
}

void TFVariants::EditVariant() {
    QTreeWidgetItem* item = FList->currentItem();
    if (!item) return;
    const int i = FList->indexOfTopLevelItem(item);
    TGVVariant* v = FProject.Variants().Get(i);
    if (!v) return;
    std::unique_ptr<TGVVariant> copy = NewVariantOfKind(v->Kind());
    if (!copy) return;
    copy->SetID(v->ID());
    copy->SetDisplayName(v->GetDisplayName());
    copy->SetAsString(v->GetAsString());
    TVariantDialog d(*copy, true, this);
    if (!RunDialog(d)) return;
    StoreVariantEdit(FProject, i, *copy);
    Refresh();
}

void TFVariants::DeleteVariant() {
    QTreeWidgetItem* item = FList->currentItem();
    if (!item) return;
    const std::string refusal = vorelt::DeleteVariant(FProject, FList->indexOfTopLevelItem(item));
    if (!refusal.empty()) Dialogs().ShowMessageBox(refusal, TMsgKind::Error, mbOK);
    Refresh();
}

void TFVariants::Info() {
    QTreeWidgetItem* item = FList->currentItem();
    if (!item) return;
    TGVVariant* v = FProject.Variants().Get(FList->indexOfTopLevelItem(item));
    if (v) Dialogs().ShowMessageBox(VariantInfo(FProject, v->ID()), TMsgKind::Information, mbOK);
}

} // namespace vorelt
