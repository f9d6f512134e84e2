#pragma once
// The modal schema editor ("Edit Schema"): the tree of the schema's objects, the property page
// of the selected object's class, the "Add" menu, deletion, drag and drop with "Move" and
// "Copy", the three layouts and the 3D scene page with its mode buttons.

#include "viewmodel/dialogs/processors/TSchemaEditRules.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QCheckBox;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorelt {

class TAEOBJ3D;
class TOGLContainer;
class TOGLModeBar;

inline constexpr char txtEditSchema[] = "Edit Schema";

class TSchemaEditorF : public QDialog {
    Q_OBJECT
public:
    explicit TSchemaEditorF(TAEOBJ3D& schema, QWidget* parent = nullptr);
    ~TSchemaEditorF() override;

    TAEOBJ3D& Schema() const { return FSchema; }
    QTreeWidget* Tree() const { return FTree; }
    TOGLContainer& Container() const { return *FContainer; }
    TOGLModeBar& ModeBar() const { return *FModeBar; }
    // The objects in the order of the tree (pre-order, sensors first among siblings).
    std::vector<TAEOBJ3D*> TreeObjects() const;
    TAEOBJ3D* Selected() const;
    void Select(TAEOBJ3D* obj);
    QTreeWidgetItem* ItemOf(const TAEOBJ3D* obj) const;
    // The property page shown: "pgSchema", "pgElement", "pgBranch", "pgPAE".
    QString PageName() const;

    // "Add": the menu with its items enabled by the selected object, and the command.
    QMenu* AddMenu();
    TAEOBJ3D* AddObject(TSchemaAddKind kind);
    void DeleteSelected();
    // A drop of `dragged` on `target`; the menu's choice is `copy`. None when refused.
    TAEOBJ3D* Drop(TAEOBJ3D& dragged, TAEOBJ3D& target, bool copy);
    // The tree's pop-up ("Show ID", "Show ID OpenGL", "Collapse/Expand").
    QMenu* TreeMenu();

    // A typed value of the selected object's page, as if typed and left: the edit named
    // `editName` (the key filter applies key by key).
    void EnterText(const QString& editName, const QString& text);
    // The channel dialog's answer for the selected sensor; false with the message when
    // refused.
    bool SetChannel(const std::string& text, std::string& error);

    // 0, 1, 2: the three layouts (TypeView).
    void SetLayout(int32_t typeView);
    int32_t LayoutIndex() const { return FTypeView; }
    // Clears the scene and builds the schema into it.
    void RebuildScene();
    QString StatusText() const;

protected:
    void done(int r) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TSchemaTree;
    void BuildUi();
    QWidget* BuildSchemaPage();
    QWidget* BuildElementPage();
    QWidget* BuildBranchPage();
    QWidget* BuildPAEPage();
    QLineEdit* NewEdit(QWidget* parent, const char* name, const char* property,
                       std::optional<TSchemaNumber> number);
    void RefreshTree();
    void AddItems(QTreeWidgetItem* parentItem, TAEOBJ3D& obj);
    void ShowPage();
    void StoreEdit(QLineEdit* edit);
    void StoreValue(TAEOBJ3D& obj, const std::string& property, const std::string& text);
    void ObjectChanged(TAEOBJ3D& obj);
    void UpdateStatus();
    void OpenChannelDialog();
    void Message(const std::string& text, const std::string& caption = {});
    void RestoreWindow();
    void StoreWindow();

    TAEOBJ3D& FSchema;
    QTreeWidget* FTree = nullptr;
    QStackedWidget* FPages = nullptr;
    QTabWidget* FTabs = nullptr;
    QSplitter* FOuter = nullptr;
    QSplitter* FInner = nullptr;
    QWidget* FPropsPane = nullptr;
    QWidget* FScenePane = nullptr;
    TOGLContainer* FContainer = nullptr;
    TOGLModeBar* FModeBar = nullptr;
    QLabel* FStatus = nullptr;
    QToolButton* FAddButton = nullptr;
    QLabel* FChannelLabel = nullptr;
    QRadioButton* FByAngle = nullptr;
    QRadioButton* FByHeight = nullptr;
    QLabel* FVerticalLabel = nullptr;
    QLineEdit* FVertical = nullptr;
    QCheckBox* FIsScale = nullptr;
    QPlainTextEdit* FComments = nullptr;
    QLabel* FPicture = nullptr;
    std::vector<QLineEdit*> FEdits;
    int32_t FTypeView = 0;
    bool FFilling = false;
    QString FTransientStatus;
};

} // namespace vorelt
