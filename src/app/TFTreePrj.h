#pragma once
// The project tree window: the processing tree of a project on the left, and on the right the
// parameter page of the selected processor and the page dispatcher (pages list, exchange
// buffer of views waiting for a place, and a preview of the selected page with one box per
// placed view). Every change goes straight to the project; the window ends with OK when the
// project changed while it was open, so that the project window rebuilds its pages.

#include "viewmodel/dialogs/tree/TModifiedWatch.h"
#include "viewmodel/dialogs/tree/TPagesEditor.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace vorelt {

class TBaseAEVObject;
class TCanvasContainer;
class TGVCPU;
class TIniApplic;
class TProjectAE;
class TRoShemRectAEVObject;
struct TProcessorKind;

// Modes of the window.
constexpr int tmProjectTree = 0;
constexpr int tmPagesDispatcher = 1;
constexpr int tmProcessorParameters = 2;

// Drop choices in the tree.
constexpr int dcNone = 0;
constexpr int dcMove = 1;
constexpr int dcCopy = 2;

class TFTreePrj : public QDialog {
    Q_OBJECT
public:
    // `settings` may be none (no bounds are kept then).
    TFTreePrj(TProjectAE& project, TIniApplic* settings, int mode,
              const std::string& processorID = std::string(), QWidget* parent = nullptr);
    ~TFTreePrj() override;

    int Mode() const { return FMode; }
    TProjectAE& Project() const { return FProject; }
    // Whether the project changed since the window opened.
    bool ProjectChanged() const { return FWatch->Changed(); }

    // ---- Parts, for the commands and for tests ---------------------------------------------
    QTreeWidget* Tree() const { return FTree; }
    QLabel* StatusLine() const { return FStatus; }
    QTabWidget* Tabs() const { return FTabs; }
    QAction* InsertAction() const { return FInsert; }
    QAction* DeleteAction() const { return FDelete; }
    QMenu* InsertMenu() const { return FInsertMenu; }
    QMenu* TreePopup() const { return FTreePopup; }
    QWidget* ParameterPage() const { return FPage; }
    QLabel* ParameterTitle() const { return FPageTitle; }
    QListWidget* PagesList() const { return FPagesList; }
    QListWidget* BufferList() const { return FBuffer; }
    TCanvasContainer* Preview() const { return FPreview; }
    QAction* PageAction(const QString& name) const;
    QPushButton* CloseButton() const { return FClose; }

    // ---- Tree ------------------------------------------------------------------------------
    QTreeWidgetItem* NodeOfID(const std::string& id) const;
    TGVCPU* ProcessorOf(const QTreeWidgetItem* node) const;
    TGVCPU* SelectedProcessor() const;
    void SelectProcessor(const TGVCPU* processor);
    // The node's caption and state, and the status line.
    void RefreshNode(QTreeWidgetItem* node);
    void RefreshAllNodes();

    // ---- Commands --------------------------------------------------------------------------
    // Inserts a processor of the kind below the selected one; false (and the message) when
    // a check refuses it.
    bool InsertProcessor(const TProcessorKind& kind);
    void DeleteProcessor();
    // A drop of one node on another with the user's choice; false when nothing happened.
    bool DropInTree(TGVCPU* dragged, TGVCPU* target, int choice);
    bool CanDropInTree(const TGVCPU* dragged, const TGVCPU* target) const;
    void ShowID();
    void ClearData();
    void FoundScreenPosition();
    void GoToProcessor();

    // ---- Page dispatcher -------------------------------------------------------------------
    int SelectedPage() const;
    void SelectPage(int page);
    void AddPage();
    void EditPageName();
    void DeletePage();
    void MovePage(int delta);
    void RebuildPreview();
    // The preview's box of a processor; none when the selected page does not place it.
    TRoShemRectAEVObject* BoxOf(const std::string& id) const;
    void FreeBuffer();
    void ImportFree();
    void RefreshBuffer();
    // The drag routes.
    bool TreeToBuffer(TGVCPU* processor);
    bool PreviewToBuffer(int boxIndex);
    bool TreeToPreview(TGVCPU* processor, const QPoint& devicePoint);
    bool BufferToPreview(const QPoint& devicePoint);

    // Commits the pending edits of the parameter page.
    void CommitPage();
    // Ends the window (what "Close" does).
    void CloseWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildPagesTab(QWidget* tab);
    void BuildTree(const std::string& processorID);
    QTreeWidgetItem* AddSubtree(QTreeWidgetItem* parentNode, TGVCPU* processor,
                                const std::string& filterID);
    void SortTree(QTreeWidgetItem* node);
    void UpdateButtons();
    void UpdatePageButtons();
    void ShowParameterPage();
    void FreeParameterPage();
    void PrepareTreePopup();
    void ShowTreePopup(const QPoint& pos);
    void ShowInsertMenu();
    void StateOf(QTreeWidgetItem* node, TGVCPU* processor);
    void BoxEndEdit(TBaseAEVObject& box);
    void RefreshPagesList(int select);
    bool AskInput(const std::string& caption, const std::string& prompt, std::string& text);
    void Message(const std::string& text);
    void ReadBounds();
    void WriteBounds();
    QAction* RunMenu(QMenu& menu, const QPoint& pos);
    void StartTreeDrag(QTreeWidgetItem* node);
    void StartBoxDrag();
    bool HandleDrop(QObject* target, QEvent* event);

    TProjectAE& FProject;
    TIniApplic* FSettings;
    int FMode;
    std::unique_ptr<TModifiedWatch> FWatch;
    TPagesEditor FEditor;
    bool FClosing = false;

    QToolBar* FToolBar = nullptr;
    QAction* FInsert = nullptr;
    QAction* FDelete = nullptr;
    QMenu* FInsertMenu = nullptr;
    QMenu* FTreePopup = nullptr;
    QLabel* FStatus = nullptr;
    QTreeWidget* FTree = nullptr;
    QSplitter* FSplitter = nullptr;
    QTabWidget* FTabs = nullptr;
    QWidget* FParametersTab = nullptr;
    QWidget* FPagesTab = nullptr;
    QVBoxLayout* FPageHost = nullptr;
    QLabel* FPageTitle = nullptr;
    QWidget* FPage = nullptr;
    QListWidget* FPagesList = nullptr;
    QToolBar* FPagesBar = nullptr;
    QListWidget* FBuffer = nullptr;
    QMenu* FBufferPopup = nullptr;
    TCanvasContainer* FPreview = nullptr;
    QPushButton* FClose = nullptr;
    QPoint FDragStart;
    QTreeWidgetItem* FPressed = nullptr;
};

} // namespace vorelt
