#pragma once
// The frame window: one multi-document area holding the project windows, the main menu
// (rebuilt for the active project window), the tool bar, the three status panels and the
// recently used projects. It reads its settings when created and writes them when it closes.

#include "project/TStackProjectName.h"

#include <QMainWindow>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace vorelt {

class TFChild;
class TIniApplic;

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    // `settings` outlives the window.
    explicit TFMain(TIniApplic& settings, QWidget* parent = nullptr);
    ~TFMain() override;

    TIniApplic& Settings() { return FSettings; }
    TStackProjectName& RecentProjects() { return FRecent; }
    QMdiArea* MdiArea() const { return FMdi; }
    QLabel* StatusPanel(int i) const;
    QAction* Action(const QString& objectName) const;

    // Opens a project (or creates one with `isNew`) in a new project window; an empty name
    // asks with the file dialog. Returns the window, or none when it was given up.
    TFChild* OpenProjectWindow(const std::string& fileName, bool isNew);
    TFChild* ActiveChild() const;
    QList<TFChild*> Children() const;
    // The status panels for the active project window (emptied without one).
    void RefreshStatusBar();
    // The menu bar for the active project window.
    void RebuildMenus();
    // The recent-project items of the File menu ("mFEmptyStack", "mFStack0" ...).
    QList<QAction*> RecentActions() const { return FRecentActions; }
    // A project opened or saved under a name goes to the top of the recent list at once.
    void NoteRecentProject(const std::string& fileName);
    // Writes "STACKPROJECT", "MAIN", "WSTATE", "COLORS" and "Main" "SizePoint".
    void WriteSettings();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateActions();
    void ReadSettings();
    void BuildRecentActions();
    void TileVertically();
    void TileHorizontally();

    TIniApplic& FSettings;
    TStackProjectName FRecent;
    QMdiArea* FMdi;
    QLabel* FPanels[3];
    QToolBar* FToolBar;
    QAction* FOpenAction;
    QAction* FNewAction;
    QAction* FExitAction;
    QAction* FConfigAction;
    QAction* FCascadeAction;
    QAction* FTileVAction;
    QAction* FTileHAction;
    QList<QAction*> FRecentActions;
    bool FSettingsWritten = false;
};

} // namespace vorelt
