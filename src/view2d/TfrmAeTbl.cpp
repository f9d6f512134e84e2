#include "view2d/TfrmAeTbl.h"

#include "model/TAEListFields.h"
#include "model/TFieldPicker.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/table/TGVCPUTbl.h"
#include "view2d/IDialogService.h"
#include "view2d/TFieldListBar.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"
#include "view2d/TTableVC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

struct TKindBox {
    const char* Name;
    const char* Caption;
    uint16_t Bits;
};

constexpr TKindBox KindBoxes[] = {
    {"cbAERUnknown", "Unknown", trkUnknown},
    {"cbAERHit", "AE Hits", trkHit},
    {"cbAERStartStop", "Start Stop", trkStartStop},
    {"cbAERTimeMark", "Time Marks", trkTimeMark},
    {"cbAERSetup", "Setup", trkSetup},
    {"cbAERComments", "Comments", trkComments},
};

const char* const AlignmentNames[] = {"LeftJustify", "Center", "RightJustify"};

// Alignment codes in the order of the names above.
constexpr uint8_t AlignmentCodes[] = {taLeftJustify, taCenter, taRightJustify};

TGVStringProperty* ColumnAt(TGVCPUTbl& t, int i) {
    return dynamic_cast<TGVStringProperty*>(t.Data().Columns().Get(i));
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

// --- Dialogs ------------------------------------------------------------------------------

TColumnDialog::TColumnDialog(const std::string& columnName, bool tabsInUse, QWidget* parent)
    : QDialog(parent) {
    setObjectName("ColumnDialog");
    setWindowTitle(QString::fromStdString("Edit Column [ " + columnName + " ]"));
    auto* form = new QFormLayout();
    FName = new QLineEdit(this);
    FName->setObjectName("edColumnName");
    FWidth = new QLineEdit(this);
    FWidth->setObjectName("edColumnWidth");
    // Empty or 0: the field's own width.
    TNumberEdit::Attach(FWidth, TNumberRule{TNumberKind::Count, true});
    FAlignment = new QComboBox(this);
    FAlignment->setObjectName("cbAlignment");
    for (const char* a : AlignmentNames)
        FAlignment->addItem(a);
    form->addRow("Column Name", FName);
    form->addRow("Column Width", FWidth);
    form->addRow("Alignment", FAlignment);
    if (tabsInUse) {
        auto* row = new QHBoxLayout();
        FTab = new QComboBox(this);
        FTab->setObjectName("cbTab");
        FClear = Button("btnClearTab", "Clear", this);
        connect(FClear, &QPushButton::clicked, this, [this] { FTab->setCurrentIndex(-1); });
        row->addWidget(FTab, 1);
        row->addWidget(FClear);
        form->addRow("Tabs", row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (const std::string refusal = TNumberEdit::CheckAll({FWidth}); !refusal.empty()) {
            Dialogs().ShowMessageBox(refusal, TMsgKind::Information, mbOK);
            return;
        }
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(buttons);
}

TTabNameDialog::TTabNameDialog(const std::string& title, const std::string& name, QWidget* parent)
    : QDialog(parent) {
    setObjectName("TabNameDialog");
    setWindowTitle(QString::fromStdString(title));
    FName = new QLineEdit(QString::fromStdString(name), this);
    FName->setObjectName("edTabsName");
    auto* form = new QFormLayout();
    form->addRow("Tabs Name", FName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(buttons);
}

bool TTabNameDialog::TryAccept() {
    if (Trim(FName->text().toStdString()).empty()) {
        Dialogs().ShowMessageBox("Empty Name", TMsgKind::Information, mbOK);
        return false;
    }
    return true;
}

// --- Frame --------------------------------------------------------------------------------

TfrmAeTbl::TfrmAeTbl(TGVCPUTbl& table, QWidget* parent) : QWidget(parent), FTable(table) {
    setObjectName("frmAeTbl");
    FTitle = new QLineEdit(this);
    FTitle->setObjectName("edTitle");
    connect(FTitle, &QLineEdit::editingFinished, this, [this] { TitleEdited(); });
    FPages = new QTabWidget(this);
    FPages->setObjectName("pcTable");

    // Columns
    TListPage columns = MakeListPage(
        FPages, "lbColumns",
        {{"btnAddColumn", "Add", {}, "ppAddColumn"},
         {"btnEditColumn", "Edit", [this] { EditColumn(FColumns->currentRow()); }},
         {"btnUpColumn", "Up", [this] { MoveColumn(FColumns->currentRow(), -1); }},
         {"btnDownColumn", "Down", [this] { MoveColumn(FColumns->currentRow(), 1); }},
         {"btnDeleteColumn", "Delete", [this] { DeleteColumn(FColumns->currentRow()); }}});
    FColumns = columns.List;
    FAddMenu = columns.Buttons[0]->menu();
    connect(FAddMenu, &QMenu::aboutToShow, this, [this] { PrepareAddMenu(); });
    connect(FColumns, &QListWidget::itemDoubleClicked, this,
            [this] { EditColumn(FColumns->currentRow()); });
    FPages->addTab(columns.Page, "Columns");

    // Records
    auto* records = new QWidget(FPages);
    auto* recordBox = new QVBoxLayout(records);
    FAll = new QCheckBox("All TypeRecords", records);
    FAll->setObjectName("cbAERAll");
    recordBox->addWidget(FAll);
    connect(FAll, &QCheckBox::clicked, this, [this](bool on) { AllKindsClicked(on); });
    for (const TKindBox& k : KindBoxes) {
        auto* b = new QCheckBox(k.Caption, records);
        b->setObjectName(k.Name);
        recordBox->addWidget(b);
        FKinds.emplace_back(k.Name, b);
        connect(b, &QCheckBox::clicked, this, [this] { KindsClicked(); });
    }
    FFirstHit = new QCheckBox("AE First Hit Of Event", records);
    FFirstHit->setObjectName("cbAERFirstOfHit");
    connect(FFirstHit, &QCheckBox::clicked, this, [this](bool on) { FirstHitClicked(on); });
    recordBox->addWidget(FFirstHit);
    recordBox->addStretch(1);
    FPages->addTab(records, "Records");

    // Tabs
    TListPage tabs =
        MakeListPage(FPages, "lbTabs",
                     {{"btnAddTab", "Add", [this] { AddTab(); }},
                      {"btnEditTab", "Edit", [this] { RenameTab(FTabs->currentRow()); }},
                      {"btnDeleteTab", "Delete", [this] { DeleteTab(FTabs->currentRow()); }},
                      {"btnUpTab", "Up", [this] { MoveTab(FTabs->currentRow(), -1); }},
                      {"btnDownTab", "Down", [this] { MoveTab(FTabs->currentRow(), 1); }}});
    FTabs = tabs.List;
    FPages->addTab(tabs.Page, "Tabs");

    auto* form = new QFormLayout();
    form->addRow("Title", FTitle);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(FPages, 1);
    Refresh();
}

TTableVC* TfrmAeTbl::View() const {
    return dynamic_cast<TTableVC*>(FTable.GetView());
}

QCheckBox* TfrmAeTbl::KindBox(const char* name) const {
    for (const auto& [n, box] : FKinds)
        if (std::string_view(n) == name) return box;
    return nullptr;
}

void TfrmAeTbl::Refresh() {
    FRefreshing = true;
    if (TTableVC* view = View()) FTitle->setText(QString::fromStdString(view->Title()));
    TTableData& content = FTable.Data();
    const bool tabs = content.TabsInUse();
    const int column = FColumns->currentRow();
    FColumns->clear();
    for (int i = 0; i < content.Columns().Count(); ++i) {
        const TGVStringProperty* c = ColumnAt(FTable, i);
        if (!c) continue;
        std::string text = c->Name();
        if (const TAEField* f = FTable.FindField(c->Value()))
            text += " (" + f->GetDisplayName() + ")";
        text += "\t" + c->GetDisplayName();
        if (tabs) {
            const TAESaveProperty* tab = content.Tabs().Get(c->GetTag());
            text += "\t" + (tab ? tab->Name() : std::string());
        }
        FColumns->addItem(QString::fromStdString(text));
    }
    FColumns->setCurrentRow(std::min(column, FColumns->count() - 1));
    const int tab = FTabs->currentRow();
    FTabs->clear();
    for (int i = 0; i < content.Tabs().Count(); ++i)
        FTabs->addItem(QString::fromStdString(content.Tabs().Get(i)->Name()));
    FTabs->setCurrentRow(std::min(tab, FTabs->count() - 1));
    FPages->setTabEnabled(2, tabs);
    RefreshKinds();
    FRefreshing = false;
}

void TfrmAeTbl::RefreshKinds() {
    const uint16_t kinds = FTable.Data().TypeRec();
    for (const TKindBox& k : KindBoxes)
        KindBox(k.Name)->setChecked(kinds == 0 || (kinds & k.Bits) == k.Bits);
    FAll->setChecked(kinds == 0);
    FFirstHit->setChecked(FTable.GetFirstHitOnly());
    FFirstHit->setEnabled(kinds == 0 || (kinds & trkHit) != 0);
}

void TfrmAeTbl::TitleEdited() {
    TTableVC* view = View();
    if (FRefreshing || !view) return;
    const std::string title = Trim(FTitle->text().toStdString());
    if (title == view->Title()) return;
    if (auto* p = view->Properties().FindAs<TGVProperty>("Title")) p->SetAsString(title);
    view->SetModified(false);
    view->UpdateAppearance();
}

void TfrmAeTbl::ColumnsChanged() {
    if (TTableVC* view = View()) {
        view->RecomputeWidth();
        view->UpdateAppearance();
        view->SetModified(false);
    }
    Refresh();
    if (OnChanged) OnChanged();
}

void TfrmAeTbl::PrepareAddMenu() {
    FAddMenu->clear();
    TAEListFields layout;
    FTable.GetFields(&layout, false);
    std::vector<std::string> shown;
    for (int i = 0; i < FTable.Data().Columns().Count(); ++i)
        if (const TGVStringProperty* c = ColumnAt(FTable, i)) shown.push_back(c->Value());
    FillPickerMenu(*FAddMenu, BuildFieldPickerMenu(layout, fpmAllFields, shown, {}),
                   [this](const TAEField* f) {
                       if (!f) return;
                       FTable.Data().AddColumn(*f);
                       ColumnsChanged();
                       FColumns->setCurrentRow(FColumns->count() - 1);
                   });
}

void TfrmAeTbl::EditColumn(int i) {
    TGVStringProperty* c = ColumnAt(FTable, i);
    if (!c) return;
    TTableData& content = FTable.Data();
    TColumnDialog dialog(c->Name(), content.TabsInUse(), this);
    dialog.NameEdit()->setText(QString::fromStdString(c->GetDisplayName()));
    dialog.WidthEdit()->setText(QString::number(c->GetDisplayWidth()));
    for (int k = 0; k < 3; ++k)
        if (AlignmentCodes[k] == c->GetAlignment()) dialog.AlignmentBox()->setCurrentIndex(k);
    if (QComboBox* tabs = dialog.TabBox()) {
        for (int k = 0; k < content.Tabs().Count(); ++k)
            tabs->addItem(QString::fromStdString(content.Tabs().Get(k)->Name()));
        tabs->setCurrentIndex(c->GetTag() < content.Tabs().Count() ? c->GetTag() : -1);
    }
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    const TAEField* field = FTable.FindField(c->Value());
    const std::string name = Trim(dialog.NameEdit()->text().toStdString());
    c->SetDisplayName(name.empty() && field ? field->GetDisplayName() : name);
    int32_t width = 0;
    TryStrToInt(dialog.WidthEdit()->text().toStdString(), width);
    c->SetDisplayWidth(width <= 0 && field ? field->GetDisplayWidth() : width);
    c->SetAlignment(AlignmentCodes[std::clamp(dialog.AlignmentBox()->currentIndex(), 0, 2)]);
    if (QComboBox* tabs = dialog.TabBox()) c->SetTag(tabs->currentIndex());
    ColumnsChanged();
}

void TfrmAeTbl::MoveColumn(int i, int delta) {
    TGVProperties& columns = FTable.Data().Columns();
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= columns.Count() || j >= columns.Count()) return;
    columns.Exchange(i, j);
    ColumnsChanged();
    FColumns->setCurrentRow(j);
}

void TfrmAeTbl::DeleteColumn(int i) {
    if (i < 0 || i >= FTable.Data().Columns().Count()) return;
    FTable.Data().Columns().Delete(i);
    ColumnsChanged();
}

void TfrmAeTbl::KindsClicked() {
    if (FRefreshing) return;
    uint16_t kinds = 0;
    for (const TKindBox& k : KindBoxes)
        if (KindBox(k.Name)->isChecked()) kinds |= k.Bits;
    FTable.Data().SetTypeRec(kinds);
    if (TTableVC* view = View()) view->SetModified(true);
    RefreshKinds();
}

void TfrmAeTbl::AllKindsClicked(bool on) {
    if (FRefreshing) return;
    FTable.Data().SetTypeRec(on ? 0 : trkDefault);
    if (TTableVC* view = View()) view->SetModified(true);
    RefreshKinds();
}

void TfrmAeTbl::FirstHitClicked(bool on) {
    if (FRefreshing) return;
    FTable.SetFirstHitOnly(on);
    FTable.Changed(true);
}

void TfrmAeTbl::AddTab() {
    TTabNameDialog dialog("Add Tabs", "", this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    FTable.Data().AddTab(Trim(dialog.NameEdit()->text().toStdString()));
    ColumnsChanged();
    FTabs->setCurrentRow(FTabs->count() - 1);
}

void TfrmAeTbl::RenameTab(int i) {
    TAESaveProperty* tab = FTable.Data().Tabs().Get(i);
    if (!tab) return;
    TTabNameDialog dialog("Edit Tabs", tab->Name(), this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    tab->SetName(Trim(dialog.NameEdit()->text().toStdString()));
    ColumnsChanged();
}

void TfrmAeTbl::DeleteTab(int i) {
    if (i < 0 || i >= FTable.Data().Tabs().Count()) return;
    FTable.Data().DeleteTab(i);
    ColumnsChanged();
}

void TfrmAeTbl::MoveTab(int i, int delta) {
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= FTable.Data().Tabs().Count() || j >= FTable.Data().Tabs().Count())
        return;
    FTable.Data().ExchangeTabs(i, j);
    ColumnsChanged();
    FTabs->setCurrentRow(j);
}

} // namespace vorelt
