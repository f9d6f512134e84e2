#pragma once
// The condition editor: a condition tree shown as a tree view with the whole condition as text
// below it, and the commands Add, Edit and Delete with their menus. Nodes can be dragged onto
// blocks. The same widget edits every condition tree: filters, the turn-off filter, the table's
// search, graph series and criteria. What may be done is decided by the rules of the tree
// (TLCEditRules); the widget only offers and performs it.

#include <QWidget>
#include <functional>

class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorelt {

class TGVCPU;
class TLCDialog;
class TLogicalCondition;

class TLCEditor : public QWidget {
    Q_OBJECT
public:
    explicit TLCEditor(QWidget* parent = nullptr);

    // The tree to edit and the processor whose fields the conditions may test (none: no
    // fields). The root stays with its owner.
    void SetTree(TLogicalCondition* root, TGVCPU* processor);
    TLogicalCondition* Root() const { return FRoot; }
    // Rebuilds the tree view and the text from the tree.
    void Refresh();

    TLogicalCondition* CurrentNode() const;
    void SelectNode(const TLogicalCondition* node);

    QTreeWidget* Tree() const { return FTree; }
    QPlainTextEdit* Memo() const { return FMemo; }
    QPushButton* AddButton() const { return FAdd; }
    QPushButton* EditButton() const { return FEdit; }
    QPushButton* DeleteButton() const { return FDelete; }
    // The add menu: "Logical Condition", a separator and the four groups.
    QMenu* AddMenu() const { return FAddMenu; }
    // The edit menu of a block: the four groups with the current one ticked.
    QMenu* EditMenu() const { return FEditMenu; }

    // The commands, as the buttons and menus run them.
    void AddGroup(uint8_t op);
    void AddCondition();
    // A block: its menu is prepared and shown; a condition: the dialog.
    void EditCurrent();
    void SetGroupOperation(uint8_t op);
    void DeleteCurrent();
    // Drops `node` onto `target`; false when the rules refuse it.
    bool DropNode(TLogicalCondition* node, TLogicalCondition* target);

    // Called after every change of the tree.
    std::function<void()> OnChanged;

private:
    void UpdateButtons();
    void PrepareEditMenu();
    void Changed(const TLogicalCondition* select);
    void AddItems(QTreeWidgetItem* parentItem, TLogicalCondition* node);
    QTreeWidgetItem* ItemOf(const TLogicalCondition* node) const;
    bool RunDialog(TLCDialog& dialog);

    TLogicalCondition* FRoot = nullptr;
    TGVCPU* FProcessor = nullptr;
    QTreeWidget* FTree;
    QPlainTextEdit* FMemo;
    QPushButton* FAdd;
    QPushButton* FEdit;
    QPushButton* FDelete;
    QMenu* FAddMenu;
    QMenu* FEditMenu;
};

} // namespace vorelt
