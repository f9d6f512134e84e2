#pragma once
// The deleted records window: the tree of deleted groups, the records of the chosen group,
// the columns of the grid, and restoring a record, a group or everything through the database
// processor. Its position, size and tree width are kept in the settings section "DELHIT".

#include "viewmodel/dialogs/conditioning/TDelHitPages.h"

#include <QDialog>
#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace vorelt {

class TDelHitGrid;
class TGVDb;
class TIniApplic;

class TFDelHit : public QDialog {
    Q_OBJECT
public:
    TFDelHit(TGVDb& db, TIniApplic* settings, QWidget* parent = nullptr);
    ~TFDelHit() override;

    TDelHitPages& Pages() { return FPages; }
    QTreeWidget* Tree() const { return FTree; }
    TDelHitGrid* Grid() const { return FGrid; }
    QTabWidget* PageControl() const { return FPageControl; }
    QTreeWidget* ColumnList() const { return FColumns; }
    QMenu* AddColumnMenu() const { return FAddMenu; }
    QMenu* RootMenu() const { return FRootMenu; }
    QMenu* GroupMenu() const { return FGroupMenu; }
    QMenu* GridMenu() const { return FGridMenu; }
    QAction* UndeleteRecordAction() const { return FUndelRec; }
    QPushButton* ColumnButton(const char* name) const;

    // Tree, grid and texts again; the chosen group stays when it still exists.
    void Rebuild();
    // -1: the root and the empty page.
    void ChooseGroup(int group);
    void UndeleteAll();
    void UndeletePageStack(int group);
    void UndeleteRecord();
    // The enabling of "Undelete Record" for the current grid row.
    void UpdateGridMenu();

    void PrepareAddMenu();
    void EditColumn(int i);
    void MoveColumn(int i, int delta);
    void DeleteColumn(int i);

protected:
    void done(int result) override;
    // Deletions made elsewhere while the window was in the background show when it returns.
    bool event(QEvent* e) override;

private:
    void RefreshColumns();
    void UpdateColumnButtons();
    void TreeMenu(const QPoint& pos);
    void SaveBounds();

    TGVDb& FDb;
    TIniApplic* FSettings;
    TDelHitPages FPages;
    QSplitter* FSplitter;
    QTreeWidget* FTree;
    QTabWidget* FPageControl;
    TDelHitGrid* FGrid;
    QTreeWidget* FColumns;
    QMenu* FAddMenu;
    QMenu* FRootMenu;
    QMenu* FGroupMenu;
    QMenu* FGridMenu;
    QAction* FUndelAll;
    QAction* FUndelPgStack;
    QAction* FUndelRec;
    bool FRebuilding = false;
    bool FSaved = false;
};

} // namespace vorelt
