#include "app/TFDelHit.h"

#include "app/TDelHitGrid.h"
#include "model/TAEListFields.h"
#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TPickerMenu.h"
#include "view2d/TfrmAeTbl.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelt {

namespace {

const char Section[] = "DELHIT";
constexpr uint8_t AlignmentCodes[] = {taLeftJustify, taCenter, taRightJustify};

} // namespace

TFDelHit::TFDelHit(TGVDb& db, TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FDb(db), FSettings(settings), FPages(db) {
    setObjectName("FDelHit");
    setWindowTitle("Data Deleted Info");
    setSizeGripEnabled(true);
    resize(820, 520);

    FSplitter = new QSplitter(this);
    FTree = new QTreeWidget(FSplitter);
    FTree->setObjectName("tvDelHit");
    FTree->setHeaderHidden(true);
    FTree->setItemsExpandable(false);
    FTree->setRootIsDecorated(false);
    FTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (FRebuilding || !item) return;
        ChooseGroup(item->data(0, Qt::UserRole).toInt());
    });
    connect(FTree, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { TreeMenu(pos); });

    FPageControl = new QTabWidget(FSplitter);
    FPageControl->setObjectName("pcDelHit");
    FGrid = new TDelHitGrid(FPages, FPageControl);
    FPageControl->addTab(FGrid, "Deleted Records");

    auto* columns = new QWidget(FPageControl);
    FColumns = new QTreeWidget(columns);
    FColumns->setObjectName("lvFields");
    FColumns->setRootIsDecorated(false);
    FColumns->setHeaderLabels({"Name", "Comments"});
    connect(FColumns, &QTreeWidget::currentItemChanged, this, [this] { UpdateColumnButtons(); });
    connect(FColumns, &QTreeWidget::itemDoubleClicked, this,
            [this] { EditColumn(FColumns->indexOfTopLevelItem(FColumns->currentItem())); });
    auto button = [columns](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, columns);
        b->setObjectName(name);
        return b;
    };
    QPushButton* up = button("btnUp", "Up");
    QPushButton* down = button("btnDown", "Down");
    QPushButton* add = button("btnAdd", "Add");
    QPushButton* edit = button("btnEdit", "Edit");
    QPushButton* del = button("btnDelete", "Delete");
    FAddMenu = new QMenu(add);
    FAddMenu->setObjectName("ppFields");
    add->setMenu(FAddMenu);
    connect(FAddMenu, &QMenu::aboutToShow, this, [this] { PrepareAddMenu(); });
    auto current = [this] { return FColumns->indexOfTopLevelItem(FColumns->currentItem()); };
    connect(up, &QPushButton::clicked, this, [this, current] { MoveColumn(current(), -1); });
    connect(down, &QPushButton::clicked, this, [this, current] { MoveColumn(current(), 1); });
    connect(edit, &QPushButton::clicked, this, [this, current] { EditColumn(current()); });
    connect(del, &QPushButton::clicked, this, [this, current] { DeleteColumn(current()); });
    auto* buttons = new QVBoxLayout();
    for (QPushButton* b : {up, down, add, edit, del})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* columnBox = new QHBoxLayout(columns);
    columnBox->addWidget(FColumns, 1);
    columnBox->addLayout(buttons);
    FPageControl->addTab(columns, "Columns");

    FRootMenu = new QMenu(this);
    FUndelAll = FRootMenu->addAction("Undelete All");
    FUndelAll->setObjectName("mmUndelAll");
    connect(FUndelAll, &QAction::triggered, this, [this] { UndeleteAll(); });
    FGroupMenu = new QMenu(this);
    FUndelPgStack = FGroupMenu->addAction("Undelete Page Stack");
    FUndelPgStack->setObjectName("mmUndelPgStack");
    connect(FUndelPgStack, &QAction::triggered, this,
            [this] { UndeletePageStack(FPages.Group()); });
    FGridMenu = new QMenu(this);
    FUndelRec = FGridMenu->addAction("Undelete Record");
    FUndelRec->setObjectName("mmUndelRec");
    connect(FUndelRec, &QAction::triggered, this, [this] { UndeleteRecord(); });
    FGrid->OnContextMenu = [this](const QPoint& at) {
        UpdateGridMenu();
        FGridMenu->popup(at);
    };

    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FSplitter, 1);
    layout->addLayout(bottom);

    int treeWidth = 220;
    if (FSettings) {
        int32_t top = y(), left = x(), w = width(), h = height();
        FSettings->ReadBounds(Section, top, w, h, left);
        if (FSettings->File().SectionExists(Section)) setGeometry(left, top, w, h);
        treeWidth = FSettings->ReadInteger(Section, "TREEWIDTH", treeWidth);
    }
    FSplitter->setSizes({treeWidth, std::max(100, width() - treeWidth)});
    Rebuild();
    RefreshColumns();
}

TFDelHit::~TFDelHit() {
    SaveBounds();
}

void TFDelHit::done(int result) {
    SaveBounds();
    QDialog::done(result);
}

bool TFDelHit::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Rebuild();
    return QDialog::event(e);
}

void TFDelHit::SaveBounds() {
    if (!FSettings || FSaved) return;
    FSaved = true;
    const QRect g = geometry();
    FSettings->WriteBounds(Section, g.top(), g.left(), g.height(), g.width());
    FSettings->WriteInteger(Section, "TREEWIDTH", FTree->width());
}

QPushButton* TFDelHit::ColumnButton(const char* name) const {
    return findChild<QPushButton*>(name);
}

void TFDelHit::Rebuild() {
    FRebuilding = true;
    FPages.ChooseGroup(FPages.Group());
    FTree->clear();
    auto* root = new QTreeWidgetItem(FTree, {QString::fromStdString(FPages.RootText())});
    root->setData(0, Qt::UserRole, -1);
    root->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    QTreeWidgetItem* chosen = root;
    for (int k = 0; k < FPages.GroupCount(); ++k) {
        auto* item = new QTreeWidgetItem(root, {QString::fromStdString(FPages.GroupText(k))});
        item->setData(0, Qt::UserRole, k);
        item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
        if (k == FPages.Group()) chosen = item;
    }
    FTree->expandAll();
    FTree->setCurrentItem(chosen);
    FRebuilding = false;
    FGrid->Rebuild();
    UpdateGridMenu();
}

void TFDelHit::ChooseGroup(int group) {
    FPages.ChooseGroup(group);
    FGrid->Rebuild();
    FGrid->SetCurrentRow(TDelHitPages::FixedRows);
    if (!FRebuilding) {
        FRebuilding = true;
        for (QTreeWidgetItemIterator it(FTree); *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toInt() == FPages.Group()) FTree->setCurrentItem(*it);
        FRebuilding = false;
    }
    UpdateGridMenu();
}

void TFDelHit::TreeMenu(const QPoint& pos) {
    QTreeWidgetItem* item = FTree->itemAt(pos);
    if (!item) return;
    FTree->setCurrentItem(item);
    const int group = item->data(0, Qt::UserRole).toInt();
    (group < 0 ? FRootMenu : FGroupMenu)->popup(FTree->viewport()->mapToGlobal(pos));
}

void TFDelHit::UndeleteAll() {
    FPages.UndeleteAll();
    Rebuild();
}

void TFDelHit::UndeletePageStack(int group) {
    FPages.UndeletePageStack(group);
    Rebuild();
}

void TFDelHit::UndeleteRecord() {
    if (!FPages.UndeleteRecord(FGrid->CurrentRow())) return;
    Rebuild();
}

void TFDelHit::UpdateGridMenu() {
    FUndelRec->setEnabled(FPages.CanUndeleteRecord(FGrid->CurrentRow()));
}

// --- Columns --------------------------------------------------------------------------------

void TFDelHit::RefreshColumns() {
    const int current = FColumns->indexOfTopLevelItem(FColumns->currentItem());
    FColumns->clear();
    for (int i = 0; i < FPages.ColumnCount(); ++i) {
        const TGVStringProperty* c = FPages.Column(i);
        const TAEField* f = c ? FDb.FindField(c->Value()) : nullptr;
        const std::string name = f ? f->FieldName() : (c ? c->Name() : std::string());
        new QTreeWidgetItem(FColumns, {QString::fromStdString(name),
                                       QString::fromStdString(c ? c->GetDisplayName() : "")});
    }
    if (current >= 0 && current < FColumns->topLevelItemCount())
        FColumns->setCurrentItem(FColumns->topLevelItem(current));
    UpdateColumnButtons();
    FGrid->Rebuild();
}

void TFDelHit::UpdateColumnButtons() {
    const TColumnButtons b = TDelHitPages::ButtonsFor(
        FColumns->indexOfTopLevelItem(FColumns->currentItem()), FColumns->topLevelItemCount());
    ColumnButton("btnAdd")->setEnabled(b.Add);
    ColumnButton("btnEdit")->setEnabled(b.Edit);
    ColumnButton("btnDelete")->setEnabled(b.Delete);
    ColumnButton("btnUp")->setEnabled(b.Up);
    ColumnButton("btnDown")->setEnabled(b.Down);
}

void TFDelHit::PrepareAddMenu() {
    FAddMenu->clear();
    TAEListFields layout;
    FDb.GetFields(&layout, false);
    FillPickerMenu(*FAddMenu, BuildFieldPickerMenu(layout, fpmAllFields, {}, FPages.ColumnIDs()),
                   [this](const TAEField* f) {
                       if (!f || !FPages.AddColumn(*f)) return;
                       RefreshColumns();
                       FColumns->setCurrentItem(
                           FColumns->topLevelItem(FColumns->topLevelItemCount() - 1));
                   });
}

void TFDelHit::EditColumn(int i) {
    TGVStringProperty* c = FPages.Column(i);
    if (!c) return;
    TColumnDialog dialog(c->Name(), false, this);
    dialog.NameEdit()->setText(QString::fromStdString(c->GetDisplayName()));
    dialog.WidthEdit()->setText(QString::number(c->GetDisplayWidth()));
    for (int k = 0; k < 3; ++k)
        if (AlignmentCodes[k] == c->GetAlignment()) dialog.AlignmentBox()->setCurrentIndex(k);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    int32_t width = 0;
    TryStrToInt(dialog.WidthEdit()->text().toStdString(), width);
    FPages.EditColumn(i, dialog.NameEdit()->text().toStdString(), width,
                      AlignmentCodes[std::clamp(dialog.AlignmentBox()->currentIndex(), 0, 2)]);
    RefreshColumns();
}

void TFDelHit::MoveColumn(int i, int delta) {
    FPages.MoveColumn(i, delta);
    RefreshColumns();
    const int j = i + delta;
    if (j >= 0 && j < FColumns->topLevelItemCount())
        FColumns->setCurrentItem(FColumns->topLevelItem(j));
}

void TFDelHit::DeleteColumn(int i) {
    FPages.DeleteColumn(i);
    RefreshColumns();
}

} // namespace vorelt
