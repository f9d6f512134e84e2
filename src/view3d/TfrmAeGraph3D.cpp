#include "view3d/TfrmAeGraph3D.h"

#include "model/TAEField.h"
#include "model/TAEListFields.h"
#include "model/TFieldPicker.h"
#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"
#include "view3d/TGraph3DVC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

TfrmAeGraph3D::TfrmAeGraph3D(TGraph3DVC& view, QWidget* parent) : QWidget(parent), FView(view) {
    setObjectName("frmAeGraph3D");
    auto* layout = new QVBoxLayout(this);
    FTitle = new QLabel(this);
    FTitle->setObjectName("lTitle");
    layout->addWidget(FTitle);
    FPages = new QTabWidget(this);
    FPages->setObjectName("pcGraph3D");
    layout->addWidget(FPages, 1);

    // Schema
    auto* schemaPage = new QWidget;
    auto* sl = new QHBoxLayout(schemaPage);
    FSchemaButton = new QPushButton(schemaPage);
    FSchemaButton->setObjectName("btnSchema");
    FSchemaText = new QLineEdit(schemaPage);
    FSchemaText->setObjectName("edSchema");
    FSchemaText->setReadOnly(true);
    FDeleteSchema = new QPushButton("Delete Schema", schemaPage);
    FDeleteSchema->setObjectName("btnDeleteSchema");
    sl->addWidget(FSchemaButton);
    sl->addWidget(FSchemaText, 1);
    sl->addWidget(FDeleteSchema);
    auto* schemaOuter = new QWidget;
    auto* so = new QVBoxLayout(schemaOuter);
    so->addWidget(schemaPage);
    so->addStretch(1);
    FPages->addTab(schemaOuter, "Schema");
    connect(FSchemaButton, &QPushButton::clicked, this, [this] {
        if (FView.Data().Schema()) {
            EditSchema();
            return;
        }
        QMenu* menu = BuildAddMenu();
        QAction* chosen = menu->exec(QCursor::pos());
        const int index = chosen ? chosen->data().toInt() : -1;
        delete menu;
        if (index >= 0) AddSchema(index);
    });
    connect(FDeleteSchema, &QPushButton::clicked, this, [this] { DeleteSchema(); });

    // Comments
    auto* comments = new QWidget;
    auto* cl = new QFormLayout(comments);
    FTitleEdit = new QLineEdit(comments);
    FTitleEdit->setObjectName("edTitle");
    cl->addRow("Title", FTitleEdit);
    auto* alignRow = new QWidget(comments);
    auto* al = new QHBoxLayout(alignRow);
    al->setContentsMargins(0, 0, 0, 0);
    const char* names[3] = {"sbLeftJustify", "sbCenter", "sbRightJustify"};
    const char* texts[3] = {"Left", "Center", "Right"};
    const uint8_t values[3] = {TGVProperty::AlignLeft, TGVProperty::AlignCenter,
                               TGVProperty::AlignRight};
    for (int i = 0; i < 3; ++i) {
        FAlign[i] = new QToolButton(alignRow);
        FAlign[i]->setObjectName(names[i]);
        FAlign[i]->setText(texts[i]);
        FAlign[i]->setCheckable(true);
        FAlign[i]->setAutoExclusive(true);
        al->addWidget(FAlign[i]);
        const uint8_t v = values[i];
        connect(FAlign[i], &QToolButton::clicked, this, [this, v] { SetTitleAlignment(v); });
    }
    al->addStretch(1);
    cl->addRow(QString(), alignRow);
    connect(FTitleEdit, &QLineEdit::editingFinished, this, [this] { StoreTitle(); });
    FPages->addTab(comments, "Comments");

    // Info
    auto* info = new QWidget;
    auto* il = new QVBoxLayout(info);
    FInfo = new QTreeWidget(info);
    FInfo->setObjectName("lvInfo");
    FInfo->setColumnCount(2);
    FInfo->setHeaderLabels({"Name", "Comments"});
    FInfo->setRootIsDecorated(false);
    FInfo->setWordWrap(true);
    FInfo->header()->resizeSection(0, 150);
    FInfo->header()->setStretchLastSection(true);
    il->addWidget(FInfo, 1);
    auto* buttons = new QHBoxLayout;
    FUp = new QPushButton("Up", info);
    FUp->setObjectName("btnUp");
    FDown = new QPushButton("Down", info);
    FDown->setObjectName("btnDown");
    FAdd = new QPushButton("Add", info);
    FAdd->setObjectName("btnAdd");
    FEdit = new QPushButton("Edit", info);
    FEdit->setObjectName("btnEdit");
    FDelete = new QPushButton("Delete", info);
    FDelete->setObjectName("btnDelete");
    for (QPushButton* b : {FUp, FDown, FAdd, FEdit, FDelete})
        buttons->addWidget(b);
    buttons->addStretch(1);
    il->addLayout(buttons);
    FShowActivity = new QCheckBox("Show Activity", info);
    FShowActivity->setObjectName("cbShowActivity");
    il->addWidget(FShowActivity);
    FPages->addTab(info, "Info");
    connect(FUp, &QPushButton::clicked, this, [this] { MoveInfoField(-1); });
    connect(FDown, &QPushButton::clicked, this, [this] { MoveInfoField(1); });
    connect(FDelete, &QPushButton::clicked, this, [this] { DeleteInfoField(); });
    connect(FEdit, &QPushButton::clicked, this, [this] { EditInfoField(); });
    connect(FInfo, &QTreeWidget::itemDoubleClicked, this, [this] { EditInfoField(); });
    connect(FInfo, &QTreeWidget::currentItemChanged, this, [this] { UpdateInfoButtons(); });
    connect(FAdd, &QPushButton::clicked, this, [this] {
        QMenu* menu = BuildFieldMenu();
        QAction* chosen = menu->exec(QCursor::pos());
        const std::string id = chosen ? chosen->data().toString().toStdString() : std::string();
        delete menu;
        if (!id.empty()) AddInfoField(id);
    });
    connect(FShowActivity, &QCheckBox::toggled, this, [this](bool on) { SetShowActivity(on); });
    Refresh();
}

TfrmAeGraph3D::~TfrmAeGraph3D() = default;

void TfrmAeGraph3D::Modified(bool resetData) {
    FView.SetModified(resetData);
    if (OnRefreshTree) OnRefreshTree();
}

void TfrmAeGraph3D::Refresh() {
    FTitle->setText(QString("Graph3D Processor [%1]")
                        .arg(QString::fromStdString(FView.Processor() ? FView.Processor()->Name()
                                                                      : std::string())));
    RefreshSchemaPage();
    FTitleEdit->setText(QString::fromStdString(FView.Title()));
    auto* title = FView.Properties().FindAs<TGVProperty>("Title");
    const uint8_t align = title ? title->GetAlignment() : TGVProperty::AlignLeft;
    FAlign[0]->setChecked(align == TGVProperty::AlignLeft);
    FAlign[1]->setChecked(align == TGVProperty::AlignCenter);
    FAlign[2]->setChecked(align == TGVProperty::AlignRight);
    RefreshInfoPage();
}

// --- Schema ---------------------------------------------------------------------------------

void TfrmAeGraph3D::RefreshSchemaPage() {
    const TAEOBJ3D* schema = FView.Data().Schema();
    FSchemaButton->setText(schema ? "Edit Schema" : "Add Schema");
    FSchemaText->setText(schema ? QString::fromStdString(schema->TypeName()) : QString());
    QPalette pal = FSchemaText->palette();
    pal.setColor(QPalette::Base, palette().color(schema ? QPalette::Base : QPalette::Button));
    FSchemaText->setPalette(pal);
    FDeleteSchema->setEnabled(schema != nullptr);
}

QMenu* TfrmAeGraph3D::BuildAddMenu() {
    auto* menu = new QMenu(this);
    int i = 0;
    for (const TSchemaClassEntry& e : SchemaClasses) {
        QAction* a = menu->addAction(e.TypeName);
        a->setObjectName(QString("mSchema_%1").arg(i));
        a->setData(i);
        ++i;
    }
    return menu;
}

void TfrmAeGraph3D::AddSchema(int classIndex) {
    if (classIndex < 0 || classIndex >= static_cast<int>(std::size(SchemaClasses))) return;
    const TSchemaClassEntry& entry = SchemaClasses[classIndex];
    const TAEOBJ3D* present = FView.Data().Schema();
    if (present && SameText(present->ClassName(), entry.ClassName)) return;
    FView.Data().SetSchema(nullptr);
    FView.Data().SetSchema(FView.Data().NewSchema(entry.ClassName));
    Modified(true);
    FView.Graph3DSchemaChanged();
    RefreshSchemaPage();
    EditSchema();
}

void TfrmAeGraph3D::EditSchema() {
    if (!FView.Data().Schema()) return;
    if (OnOpenEditor) OnOpenEditor(FView);
    FView.Graph3DSchemaChanged();
    if (OnRefreshTree) OnRefreshTree();
    RefreshSchemaPage();
}

void TfrmAeGraph3D::DeleteSchema() {
    if (!FView.Data().Schema()) return;
    const std::string question = "Delete ?";
    if (Dialogs().ShowMessageBox(question, TMsgKind::Confirmation, mbYes | mbNo) != mrYes) return;
    FView.Data().SetSchema(nullptr);
    Modified(true);
    FView.Graph3DSchemaChanged();
    RefreshSchemaPage();
}

// --- Comments -------------------------------------------------------------------------------

void TfrmAeGraph3D::SetTitleAlignment(uint8_t alignment) {
    if (auto* title = FView.Properties().FindAs<TGVProperty>("Title"))
        title->SetAlignment(alignment);
    FAlign[0]->setChecked(alignment == TGVProperty::AlignLeft);
    FAlign[1]->setChecked(alignment == TGVProperty::AlignCenter);
    FAlign[2]->setChecked(alignment == TGVProperty::AlignRight);
    Modified(false);
    FView.UpdateAppearance();
}

void TfrmAeGraph3D::StoreTitle() {
    const std::string text = Trim(FTitleEdit->text().toStdString());
    auto* title = FView.Properties().FindAs<TGVProperty>("Title");
    if (!title || title->GetAsString() == text) return;
    title->SetAsString(text);
    Modified(false);
    FView.UpdateAppearance();
}

void TfrmAeGraph3D::hideEvent(QHideEvent* e) {
    StoreTitle();
    QWidget::hideEvent(e);
}

// --- Info -----------------------------------------------------------------------------------

void TfrmAeGraph3D::RefreshInfoPage() {
    const int current = CurrentInfoIndex();
    FInfo->clear();
    const TGVProperties& list = FView.Data().InfoFields();
    for (int i = 0; i < list.Count(); ++i) {
        auto* p = dynamic_cast<const TGVProperty*>(list.Get(i));
        if (!p) continue;
        const TAEField* field =
            FView.Processor() ? FView.Processor()->FindField(p->GetAsString()) : nullptr;
        auto* item = new QTreeWidgetItem(FInfo);
        item->setText(0, QString::fromStdString(field ? field->FieldName() : p->Name()));
        item->setText(1, QString::fromStdString(p->GetDisplayName()));
    }
    FShowActivity->blockSignals(true);
    FShowActivity->setChecked(FView.Data().ShowActivity());
    FShowActivity->blockSignals(false);
    SetCurrentInfoIndex(std::min(current, list.Count() - 1));
    UpdateInfoButtons();
}

int TfrmAeGraph3D::CurrentInfoIndex() const {
    QTreeWidgetItem* item = FInfo->currentItem();
    return item ? FInfo->indexOfTopLevelItem(item) : -1;
}

void TfrmAeGraph3D::SetCurrentInfoIndex(int i) {
    FInfo->setCurrentItem(i >= 0 ? FInfo->topLevelItem(i) : nullptr);
    UpdateInfoButtons();
}

void TfrmAeGraph3D::UpdateInfoButtons() {
    const int i = CurrentInfoIndex();
    const int n = FInfo->topLevelItemCount();
    FAdd->setEnabled(true);
    FEdit->setEnabled(i >= 0);
    FDelete->setEnabled(i >= 0);
    FUp->setEnabled(i > 0);
    FDown->setEnabled(i >= 0 && i < n - 1);
}

QMenu* TfrmAeGraph3D::BuildFieldMenu() {
    auto* menu = new QMenu(this);
    if (!FView.Processor()) return menu;
    TAEListFields layout;
    FView.Processor()->GetFields(&layout, false);
    std::vector<std::string> checked;
    const TGVProperties& list = FView.Data().InfoFields();
    for (int i = 0; i < list.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVProperty*>(list.Get(i)))
            checked.push_back(p->GetAsString());
    FillPickerMenu(*menu, BuildFieldPickerMenu(layout, fpmAny, {}, checked));
    return menu;
}

bool TfrmAeGraph3D::AddInfoField(const std::string& id) {
    const TAEField* field = FView.Processor() ? FView.Processor()->FindField(id) : nullptr;
    if (!field || !FView.Data().AddInfoField(*field)) return false;
    Modified(false);
    RefreshInfoPage();
    SetCurrentInfoIndex(FView.Data().InfoFields().Count() - 1);
    return true;
}

void TfrmAeGraph3D::MoveInfoField(int delta) {
    const int i = CurrentInfoIndex();
    const int j = i + delta;
    TGVProperties& list = FView.Data().InfoFields();
    if (i < 0 || j < 0 || j >= list.Count()) return;
    list.Exchange(i, j);
    Modified(false);
    RefreshInfoPage();
    SetCurrentInfoIndex(j);
}

void TfrmAeGraph3D::DeleteInfoField() {
    const int i = CurrentInfoIndex();
    TGVProperties& list = FView.Data().InfoFields();
    if (i < 0 || i >= list.Count()) return;
    list.Delete(i);
    Modified(false);
    RefreshInfoPage();
}

void TfrmAeGraph3D::EditInfoField() {
    const int i = CurrentInfoIndex();
    auto* entry = dynamic_cast<TGVProperty*>(FView.Data().InfoFields().Get(i));
    if (!entry) return;
    const TAEField* field =
        FView.Processor() ? FView.Processor()->FindField(entry->GetAsString()) : nullptr;
    QDialog dialog(this);
    dialog.setWindowTitle(QString::fromStdString("Edit Column [ " + entry->Name() + " ]"));
    auto* form = new QFormLayout(&dialog);
    auto* name = new QLineEdit(QString::fromStdString(entry->GetDisplayName()), &dialog);
    name->setObjectName("edDisplayName");
    auto* width = new QLineEdit(QString::number(entry->GetDisplayWidth()), &dialog);
    width->setObjectName("edDisplayWidth");
    // Empty or 0: the field's own width.
    TNumberEdit::Attach(width, TNumberRule{TNumberKind::Count, true});
    auto* align = new QComboBox(&dialog);
    align->setObjectName("cbAlignment");
    align->addItems({"LeftJustify", "Center", "RightJustify"});
    const uint8_t a = entry->GetAlignment();
    align->setCurrentIndex(a == TGVProperty::AlignCenter  ? 1
                           : a == TGVProperty::AlignRight ? 2
                                                          : 0);
    form->addRow("Name", name);
    form->addRow("Width", width);
    form->addRow("Alignment", align);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(box);
    connect(box, &QDialogButtonBox::accepted, &dialog, [&dialog, width] {
        if (const std::string refusal = TNumberEdit::CheckAll({width}); !refusal.empty()) {
            Dialogs().ShowMessageBox(refusal, TMsgKind::Information, mbOK);
            return;
        }
        dialog.accept();
    });
    connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    const std::string display = Trim(name->text().toStdString());
    entry->SetDisplayName(display.empty() && field ? field->GetDisplayName() : display);
    int32_t w = 0;
    if (!TryStrToInt(Trim(width->text().toStdString()), w) || w == 0)
        w = field ? field->GetDisplayWidth() : entry->GetDisplayWidth();
    entry->SetDisplayWidth(w);
    static constexpr uint8_t map[3] = {TGVProperty::AlignLeft, TGVProperty::AlignCenter,
                                       TGVProperty::AlignRight};
    entry->SetAlignment(map[std::clamp(align->currentIndex(), 0, 2)]);
    Modified(false);
    RefreshInfoPage();
}

void TfrmAeGraph3D::SetShowActivity(bool on) {
    if (FView.Data().ShowActivity() == on) return;
    FView.Data().SetShowActivity(on);
    FShowActivity->blockSignals(true);
    FShowActivity->setChecked(on);
    FShowActivity->blockSignals(false);
    // Only the picture changes; the collected records stay.
    if (FView.Processor()) FView.Processor()->TGVFinal::Changed(false);
    FView.RebuildScene();
    FView.UpdateAppearance();
}

} // namespace vorelt
