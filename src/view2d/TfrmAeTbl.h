#pragma once
// The settings of a table, shown in the project tree window while the table is selected: the
// "Title" edit and the pages "Columns" (which fields, captions, widths, alignment, tab),
// "Records" (which kinds of records, first hits only) and "Tabs" (the named groups of columns
// below a criterion processor).

#include <QDialog>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

namespace vorelt {

class TGVCPUTbl;
class TTableVC;

// The column dialog: caption, width, alignment and, below a criterion processor, the tab.
class TColumnDialog : public QDialog {
    Q_OBJECT
public:
    TColumnDialog(const std::string& columnName, bool tabsInUse, QWidget* parent = nullptr);
    QLineEdit* NameEdit() const { return FName; }
    QLineEdit* WidthEdit() const { return FWidth; }
    QComboBox* AlignmentBox() const { return FAlignment; }
    QComboBox* TabBox() const { return FTab; }
    QPushButton* ClearTabButton() const { return FClear; }

private:
    QLineEdit* FName;
    QLineEdit* FWidth;
    QComboBox* FAlignment;
    QComboBox* FTab = nullptr;
    QPushButton* FClear = nullptr;
};

// The tab name dialog: an empty name is refused with "Empty Name" and the dialog stays.
class TTabNameDialog : public QDialog {
    Q_OBJECT
public:
    TTabNameDialog(const std::string& title, const std::string& name, QWidget* parent = nullptr);
    QLineEdit* NameEdit() const { return FName; }
    // OK: false (and the message) for an empty name.
    bool TryAccept();

private:
    QLineEdit* FName;
};

class TfrmAeTbl : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAeTbl(TGVCPUTbl& table, QWidget* parent = nullptr);

    // Shows the table's settings again.
    void Refresh();

    QLineEdit* TitleEdit() const { return FTitle; }
    QTabWidget* Pages() const { return FPages; }
    QListWidget* ColumnList() const { return FColumns; }
    QMenu* AddColumnMenu() const { return FAddMenu; }
    QListWidget* TabList() const { return FTabs; }
    QCheckBox* KindBox(const char* name) const;
    QCheckBox* AllKindsBox() const { return FAll; }
    QCheckBox* FirstHitBox() const { return FFirstHit; }

    // The commands of the pages, as the buttons run them.
    void TitleEdited();
    void PrepareAddMenu();
    void EditColumn(int i);
    void MoveColumn(int i, int delta);
    void DeleteColumn(int i);
    void KindsClicked();
    void AllKindsClicked(bool on);
    void FirstHitClicked(bool on);
    void AddTab();
    void RenameTab(int i);
    void DeleteTab(int i);
    void MoveTab(int i, int delta);

    // Called after the columns changed (the tree window refreshes the table's node).
    std::function<void()> OnChanged;

private:
    void ColumnsChanged();
    void RefreshKinds();
    TTableVC* View() const;

    TGVCPUTbl& FTable;
    QLineEdit* FTitle;
    QTabWidget* FPages;
    QListWidget* FColumns;
    QMenu* FAddMenu;
    QListWidget* FTabs;
    std::vector<std::pair<const char*, QCheckBox*>> FKinds;
    QCheckBox* FAll;
    QCheckBox* FFirstHit;
    bool FRefreshing = false;
};

} // namespace vorelt
