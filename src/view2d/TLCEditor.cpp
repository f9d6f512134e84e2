#include "view2d/TLCEditor.h"

#include "model/TAEListFields.h"
#include "processing/TGVCPU.h"
#include "processing/filter/ILCOwner.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"
#include "view2d/IDialogService.h"
#include "view2d/TLCDialog.h"
#include "viewmodel/dialogs/processors/TLCEditRules.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

constexpr uint8_t GroupOperations[] = {lcAnd, lcOr, lcNotAnd, lcNotOr};

// Searched from the root down, so a node that was freed is never touched.
bool InTree(const TLogicalCondition* root, const TLogicalCondition* node) {
    if (!root || !node) return false;
    if (root == node) return true;
    for (int i = 0; i < root->Count(); ++i)
        if (InTree(root->Items(i), node)) return true;
    return false;
}

TLogicalCondition* NodeOf(const QTreeWidgetItem* item) {
    return item ? static_cast<TLogicalCondition*>(item->data(0, Qt::UserRole).value<void*>())
                : nullptr;
}

// The tree view: nodes stay expanded, and a drop asks the editor instead of moving items.
class TLCTree : public QTreeWidget {
public:
    TLCTree(TLCEditor& editor, QWidget* parent) : QTreeWidget(parent), FEditor(editor) {
        setHeaderHidden(true);
        setItemsExpandable(false);
        setRootIsDecorated(false);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(true);
        setDragDropMode(QAbstractItemView::InternalMove);
    }

protected:
    void dragMoveEvent(QDragMoveEvent* event) override {
        TLogicalCondition* node = NodeOf(currentItem());
        TLogicalCondition* target = NodeOf(itemAt(event->position().toPoint()));
        if (node && target && LCCanDrop(*node, *target))
            event->accept();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override {
        TLogicalCondition* node = NodeOf(currentItem());
        TLogicalCondition* target = NodeOf(itemAt(event->position().toPoint()));
        // The items are rebuilt from the tree; the view must not move or remove any itself.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (node && target)
            QTimer::singleShot(0, &FEditor,
                               [this, node, target] { FEditor.DropNode(node, target); });
    }

private:
    TLCEditor& FEditor;
};

} // namespace

TLCEditor::TLCEditor(QWidget* parent) : QWidget(parent) {
    setObjectName("LCEditor");
    FTree = new TLCTree(*this, this);
    FTree->setObjectName("tvConditions");
    FMemo = new QPlainTextEdit(this);
    FMemo->setObjectName("mmText");
    FMemo->setReadOnly(true);
    FMemo->setMaximumHeight(70);
    FAdd = new QPushButton("Add", this);
    FAdd->setObjectName("btnAdd");
    FEdit = new QPushButton("Edit", this);
    FEdit->setObjectName("btnEdit");
    FDelete = new QPushButton("Delete", this);
    FDelete->setObjectName("btnDelete");

    FAddMenu = new QMenu(this);
    FAddMenu->setObjectName("ppAdd");
    const std::vector<std::string> captions = LCAddMenuCaptions();
    QAction* condition = FAddMenu->addAction(QString::fromStdString(captions[0]));
    condition->setObjectName("mAddCondition");
    connect(condition, &QAction::triggered, this, [this] { AddCondition(); });
    FAddMenu->addSeparator();
    for (uint8_t op : GroupOperations) {
        QAction* a = FAddMenu->addAction(QString::fromStdString(LCGroupEntryCaption(op)));
        a->setObjectName(QString("mAddGroup%1").arg(op));
        connect(a, &QAction::triggered, this, [this, op] { AddGroup(op); });
    }
    FEditMenu = new QMenu(this);
    FEditMenu->setObjectName("ppEdit");
    for (uint8_t op : GroupOperations) {
        QAction* a = FEditMenu->addAction(QString::fromStdString(LCGroupEntryCaption(op)));
        a->setObjectName(QString("mEditGroup%1").arg(op));
        a->setCheckable(true);
        a->setData(op);
        connect(a, &QAction::triggered, this, [this, op] { SetGroupOperation(op); });
    }

    connect(FAdd, &QPushButton::clicked, this,
            [this] { FAddMenu->popup(FAdd->mapToGlobal(QPoint(0, FAdd->height()))); });
    connect(FEdit, &QPushButton::clicked, this, [this] { EditCurrent(); });
    connect(FDelete, &QPushButton::clicked, this, [this] { DeleteCurrent(); });
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(FTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        FTree->setCurrentItem(item);
        if (dynamic_cast<TLCCondition*>(NodeOf(item))) EditCurrent();
    });

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(FAdd);
    buttons->addWidget(FEdit);
    buttons->addWidget(FDelete);
    buttons->addStretch(1);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(buttons);
    box->addWidget(FTree, 1);
    box->addWidget(FMemo);
    UpdateButtons();
}

void TLCEditor::SetTree(TLogicalCondition* root, TGVCPU* processor) {
    FRoot = root;
    FProcessor = processor;
    Refresh();
    if (FRoot) SelectNode(FRoot);
}

void TLCEditor::AddItems(QTreeWidgetItem* parentItem, TLogicalCondition* node) {
    auto* item = new QTreeWidgetItem(parentItem);
    item->setText(0, QString::fromStdString(node->GetCaption()));
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(node)));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if ((node->EditFlags() & efNoDrag) == 0) flags |= Qt::ItemIsDragEnabled;
    if ((node->EditFlags() & efNoChildren) == 0) flags |= Qt::ItemIsDropEnabled;
    item->setFlags(flags);
    for (int i = 0; i < node->Count(); ++i)
        AddItems(item, node->Items(i));
}

void TLCEditor::Refresh() {
    const TLogicalCondition* current = CurrentNode();
    FTree->clear();
    if (FRoot) {
        AddItems(FTree->invisibleRootItem(), FRoot);
        FTree->expandAll();
        FMemo->setPlainText(QString::fromStdString(FRoot->GetText()));
    } else {
        FMemo->clear();
    }
    if (InTree(FRoot, current)) SelectNode(current);
    UpdateButtons();
}

QTreeWidgetItem* TLCEditor::ItemOf(const TLogicalCondition* node) const {
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it)
        if (NodeOf(*it) == node) return *it;
    return nullptr;
}

TLogicalCondition* TLCEditor::CurrentNode() const {
    return NodeOf(FTree->currentItem());
}

void TLCEditor::SelectNode(const TLogicalCondition* node) {
    if (QTreeWidgetItem* item = ItemOf(node)) FTree->setCurrentItem(item);
    UpdateButtons();
}

void TLCEditor::UpdateButtons() {
    const TLogicalCondition* node = CurrentNode();
    FAdd->setEnabled(node && LCCanAdd(*node));
    FEdit->setEnabled(node != nullptr);
    FDelete->setEnabled(node && LCCanDelete(*node));
    PrepareEditMenu();
}

void TLCEditor::PrepareEditMenu() {
    const auto* block = dynamic_cast<const TLCBlock*>(CurrentNode());
    for (QAction* a : FEditMenu->actions())
        a->setChecked(block && a->data().toInt() == block->Operation());
}

void TLCEditor::Changed(const TLogicalCondition* select) {
    Refresh();
    if (select) SelectNode(select);
    if (OnChanged) OnChanged();
}

void TLCEditor::AddGroup(uint8_t op) {
    TLogicalCondition* node = CurrentNode();
    if (!node) return;
    if (TLCBlock* added = LCAddGroup(*node, op)) Changed(added);
}

bool TLCEditor::RunDialog(TLCDialog& dialog) {
    return Dialogs().Run(dialog) == QDialog::Accepted;
}

void TLCEditor::AddCondition() {
    TLogicalCondition* node = CurrentNode();
    if (!node || !LCCanAdd(*node)) return;
    TAEListFields layout;
    if (FProcessor) FProcessor->GetFields(&layout, false);
    ILCOwner* owner = FRoot ? FRoot->GetOwner() : nullptr;
    TLCDialog dialog(layout, owner ? owner->ConditionVariants() : nullptr, false, this);
    if (!RunDialog(dialog)) return;
    auto condition = std::make_unique<TLCCondition>(dialog.FieldID(), dialog.Operation(),
                                                    dialog.Value(), dialog.VariantID());
    if (TLCCondition* added = LCAddCondition(*node, std::move(condition))) Changed(added);
}

void TLCEditor::EditCurrent() {
    TLogicalCondition* node = CurrentNode();
    if (!node) return;
    if (dynamic_cast<TLCBlock*>(node)) {
        PrepareEditMenu();
        FEditMenu->popup(FEdit->mapToGlobal(QPoint(0, FEdit->height())));
        return;
    }
    auto* condition = dynamic_cast<TLCCondition*>(node);
    if (!condition) return;
    TAEListFields layout;
    if (FProcessor) FProcessor->GetFields(&layout, false);
    ILCOwner* owner = FRoot ? FRoot->GetOwner() : nullptr;
    TLCDialog dialog(layout, owner ? owner->ConditionVariants() : nullptr, true, this);
    dialog.Prefill(*condition);
    if (!RunDialog(dialog)) return;
    LCEditCondition(*condition, dialog.FieldID(), dialog.Operation(), dialog.Value(),
                    dialog.VariantID());
    Changed(condition);
}

void TLCEditor::SetGroupOperation(uint8_t op) {
    auto* block = dynamic_cast<TLCBlock*>(CurrentNode());
    if (block && LCSetGroupOperation(*block, op)) Changed(block);
    PrepareEditMenu();
}

void TLCEditor::DeleteCurrent() {
    TLogicalCondition* node = CurrentNode();
    if (!node) return;
    TLogicalCondition* parent = node->Parent();
    if (!LCCanDelete(*node)) return;
    SelectNode(parent);
    if (LCDeleteNode(*node)) Changed(parent);
}

bool TLCEditor::DropNode(TLogicalCondition* node, TLogicalCondition* target) {
    if (!InTree(FRoot, node) || !InTree(FRoot, target)) return false;
    if (!LCDropNode(*node, *target)) return false;
    Changed(node);
    return true;
}

} // namespace vorelt
