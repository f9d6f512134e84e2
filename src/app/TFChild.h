#pragma once
// A project window: one project with its database processor and data file, the pages with the
// views of its final processors, the splitting-channels panel and the commands of the project
// menus. It opens and creates projects, chooses data files, runs the processing and asks to
// save before it closes.

#include "app/TAskAgainLoop.h"
#include "persist/TXMLPersistentAEProject.h"
#include "processing/IUserPrompt.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "project/TShowMessage.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QTabWidget;
class QToolBar;

namespace vorelt {

class TChannelPanel;
class TFDelHit;
class TFParametric;
class TFTestProgram;
class TDataFileCommands;
class TFMain;
class TGVVisualClass;
class TLongShoF;
class TTableVC;
class TVisualClass;

// Command codes of ExecuteCommand.
enum TChildCommand : int {
    cmNone = 0,
    cmSave = 1,
    cmSaveAs = 2,
    cmProjectTree = 3,
    cmPagesDispatcher = 4,
    cmSelectDatabase = 5,
    cmRun = 6,
    cmReloadFocused = 7,
    cmRunChecked = 8,
    cmRefreshOutdated = 9,
    cmResetAll = 10,
    cmResetFocused = 11,
    cmSplitChannels = 12,
    cmCheckAll = 13,
    cmUncheckAll = 14,
    cmCloseRequest = 15,
    cmClose = 16
};

// Command states.
constexpr uint8_t csOpening = 0;
constexpr uint8_t csReady = 1;
constexpr uint8_t csAskClose = 2;
constexpr uint8_t csCloseConfirmed = 3;

class TFChild : public QWidget, public IUserPrompt {
    Q_OBJECT
public:
    explicit TFChild(TFMain* mainWindow, QWidget* parent = nullptr);
    ~TFChild() override;

    TFMain* MainWindow() const { return FMain; }
    TProjectAE& Project() { return *FProject; }
    TDispatchDraw& PagesDispatcher() { return *FPages; }
    QTabWidget* PageControl() const { return FPageControl; }
    uint8_t CommandState() const { return FCommandState; }
    bool CloseConfirmed() const { return FCloseConfirmed; }

    // The window's part of the menus, by menu ("File", "Edit", "Analyze", "Database").
    QList<QAction*> FileActions() const;
    QList<QAction*> EditActions() const;
    QList<QAction*> AnalyzeActions() const;
    QList<QAction*> DatabaseActions() const;
    QAction* Action(const QString& objectName) const;
    // Enables the commands that make sense now.
    void UpdateCommandStates();

    void ExecuteCommand(int code);
    // Opens the project tree window in a mode (for the processor's parameters with the
    // processor's ID); rebuilds the pages when the window ends with OK.
    void ShowTree(int mode, const std::string& processorID = std::string());
    // The file dialog loop of the project file. A new project is only remembered here and
    // written once its data file and pages are ready (FinishNew).
    bool OpenProject(const std::string& fileName, std::string& error, bool isNew);
    bool OpenDatabase(const std::string& fileName, std::string& error);
    bool BuildPages(std::string& error, bool isNew);
    // Writes a new project to the file chosen for it.
    bool FinishNew(std::string& error);
    void LayoutPages();
    // The save dialog loop; the caption follows the new name.
    bool SaveProjectAs(const std::string& fileName, std::string& error, bool tellCompleted);
    // Rebuilds the channel panel for the channels of the data file's first record.
    void SetListChannels(bool radioMode);
    // The project's file name; for a new project not yet written, the chosen name.
    std::string ProjectFileName() const;

    TChannelPanel* ChannelPanel() const { return FChannelPanel; }
    // "Data Deleted Info" and "Parametric Data": one window each, shown again when open.
    TFDelHit* OpenDelHitWindow();
    TFParametric* OpenParametricWindow();
    // "Testing Graph": the test program window, shown again when open.
    TFTestProgram* OpenTestProgramWindow();

    // Views of the pages: (page, placement, view) for every placed view.
    void ForEachPlacedView(const std::function<void(int, int, TGVVisualClass*)>& visit) const;
    TGVVisualClass* FocusedView() const;
    // The table the Edit menu's "Find" searches: the focused one, else the first of the page
    // in view; none without a table there.
    TTableVC* FindTable() const;
    // Shows the view popup menu (the shared one) at the screen position.
    void ShowViewPopup(TVisualClass& view, const QPoint& screenPos, const QList<QAction*>& items);
    QMenu* ViewPopup() const { return FViewPopup; }

    // The status panel texts for this window.
    QString DatabaseText() const;
    QString StatusText() const;

    // IUserPrompt
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

signals:
    void StatusChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(const QString& name, const QString& caption, int command);
    void BuildToolBar();
    void InstallProjectHandlers();
    void InstallViewHandlers(TGVVisualClass* view);
    void EmptyViews();
    void Run(bool checkedOnly);
    void ActivateOutdated(int tab, bool reportErrors);
    void ReportRunErrors();
    void TabChanged(int index);
    void SendSplitChannels();
    // One try of OpenDatabase with a chosen file.
    TTryResult TryDataFile(const std::string& fileName, std::string& error);
    void MaximizeView(TGVVisualClass* view, bool maximize);
    void ShowCommandError(const std::string& text);
    // Before the window or its data file closes: writes the data file's companion log; when it
    // cannot be written, offers to keep the groups in another file. False: the close is
    // cancelled.
    bool KeepGroupsBeforeClose();

    TFMain* FMain;
    std::unique_ptr<TXMLPersistentAEProject> FStore;
    std::unique_ptr<TDispatchDraw> FPages;
    std::unique_ptr<TLongShoF> FStatusWindow;
    std::unique_ptr<TShowMessage> FStatus;
    std::unique_ptr<TProjectAE> FProject;
    std::unique_ptr<TDataFileCommands> FDataFile;
    uint8_t FCommandState = csOpening;
    bool FCloseConfirmed = false;
    bool FResizeHandling = false;
    bool FIsNew = false;
    bool FDestroying = false;
    std::string FNewFileName;

    QToolBar* FToolBar = nullptr;
    QToolBar* FSubToolBar = nullptr;
    QTabWidget* FPageControl = nullptr;
    TChannelPanel* FChannelPanel = nullptr;
    QMenu* FViewPopup = nullptr;
    std::vector<QAction*> FActions;
    QPointer<TFDelHit> FDelHit;
    QPointer<TFParametric> FParametric;
    QPointer<TFTestProgram> FTestProgram;
};

} // namespace vorelt
