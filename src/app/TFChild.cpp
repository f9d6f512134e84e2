#include "app/TFChild.h"
#include "app/TFillStop.h"
#include "view2d/TGraphVC.h"

#include "app/TChannelPanel.h"
#include "app/TDataFileCommands.h"
#include "app/TFDelHit.h"
#include "app/TFMain.h"
#include "app/TFParametric.h"
#include "app/TFProjectOptions.h"
#include "app/TFTestProgram.h"
#include "app/TFTreePrj.h"
#include "app/TFVariants.h"
#include "app/TLongShoF.h"
#include "drivers/TAEDriverDb.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TAEMessages.h"
#include "processing/TGVFinal.h"
#include "processing/db/TDriverAccess.h"
#include "processing/db/TGVDb.h"
#include "project/TStatusText.h"
#include "view2d/IDialogService.h"
#include "view2d/TCanvasDraw.h"
#include "view2d/TPanelVC.h"
#include "view2d/TTableVC.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace vorelt {

namespace {

const char ProjectFilter[] = "XML Files|*.xml";

TGVVisualClass* ViewOf(TGVCPU* processor) {
    auto* final = dynamic_cast<TGVFinal*>(processor);
    return final ? dynamic_cast<TGVVisualClass*>(final->GetView()) : nullptr;
}

} // namespace

TFChild::TFChild(TFMain* mainWindow, QWidget* parent) : QWidget(parent), FMain(mainWindow) {
    setObjectName("FChild");
    setMinimumSize(600, 400);
    FStore = std::make_unique<TXMLPersistentAEProject>();
    FPages = std::make_unique<TDispatchDraw>();
    FStatusWindow = std::make_unique<TLongShoF>(mainWindow);
    FStatus = std::make_unique<TShowMessage>(FStatusWindow.get());
    FProject = std::make_unique<TProjectAE>(FStore.get(), FStatus.get(), FPages.get());
    FProject->SetPrompt(this);
    FDataFile = std::make_unique<TDataFileCommands>(*FProject, FStatus.get());
    InstallProjectHandlers();

    QStyle* st = style();
    MakeAction("mCloseProject", "Close Project", -1);
    MakeAction("mSaveProject", "Save Project", cmSave)
        ->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    MakeAction("mSaveProjectAs", "Save Project As", cmSaveAs);
    MakeAction("mProjectThreeView", "Project Tree View", cmProjectTree)
        ->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    MakeAction("mProjectOptions", "Project Options", -1)
        ->setIcon(st->standardIcon(QStyle::SP_FileDialogInfoView));
    MakeAction("mTestingGraph", "Testing Graph", -1);
    MakeAction("mParametricData", "Parametric Data", -1)
        ->setIcon(st->standardIcon(QStyle::SP_FileDialogListView));
    MakeAction("mVariantsEditor", "Variants Editor", -1)
        ->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    MakeAction("mPagesDispatcher", "Pages Dispatcher ", cmPagesDispatcher);
    MakeAction("mSelectAllVisual", "Select All Visual Processors", cmCheckAll);
    MakeAction("mUnSelectAllVisual", "UnSelect All Visual Processors", cmUncheckAll);
    MakeAction("mRun", "Run", cmRun)->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    MakeAction("mReset", "Reset", cmResetAll)->setIcon(st->standardIcon(QStyle::SP_MediaStop));
    MakeAction("mSelectDatabase", "Select Database", cmSelectDatabase)
        ->setIcon(st->standardIcon(QStyle::SP_DirOpenIcon));
    MakeAction("mDatabaseInfo", "Database Info", -1);
    MakeAction("mSelectTransients", "Select Transient Database", -1);
    MakeAction("mDataDeletedInfo", "Data Deleted Info", -1);
    MakeAction("mReloadData", "Reload Data", cmReloadFocused)
        ->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
    MakeAction("mResetView", "Reset", cmResetFocused);
    MakeAction("mLoadSplitChannels", "Load Splitting Channels Data", cmSplitChannels);
    MakeAction("mReloadChecked", "Reload Data For Selected Processors", cmRunChecked);
    MakeAction("mFindInTable", "Find", -1);
    connect(Action("mFindInTable"), &QAction::triggered, this, [this] {
        if (TTableVC* t = FindTable()) t->OpenFindWindow();
    });
    connect(Action("mCloseProject"), &QAction::triggered, this, [this] {
        if (QWidget* w = parentWidget())
            w->close();
        else
            close();
    });
    connect(Action("mVariantsEditor"), &QAction::triggered, this, [this] {
        TFVariants editor(*FProject, FMain ? &FMain->Settings() : nullptr, this);
        Dialogs().Run(editor);
        UpdateCommandStates();
    });
    connect(Action("mProjectOptions"), &QAction::triggered, this, [this] {
        TFProjectOptions options(*FProject, this);
        Dialogs().Run(options);
        UpdateCommandStates();
    });
    connect(Action("mDatabaseInfo"), &QAction::triggered, this,
            [this] { FDataFile->ShowDatabaseInfo(); });
    connect(Action("mSelectTransients"), &QAction::triggered, this,
            [this] { FDataFile->SelectTransientDatabase(); });
    connect(Action("mDataDeletedInfo"), &QAction::triggered, this, [this] { OpenDelHitWindow(); });
    connect(Action("mParametricData"), &QAction::triggered, this,
            [this] { OpenParametricWindow(); });
    connect(Action("mTestingGraph"), &QAction::triggered, this,
            [this] { OpenTestProgramWindow(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    auto* bars = new QHBoxLayout();
    bars->setContentsMargins(0, 0, 0, 0);
    bars->addWidget(FToolBar);
    bars->addWidget(FSubToolBar);
    bars->addStretch(1);
    layout->addLayout(bars);
    auto* body = new QHBoxLayout();
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    FChannelPanel = new TChannelPanel(this);
    connect(FChannelPanel, &TChannelPanel::SplitChannelsRequested, this,
            [this] { ExecuteCommand(cmSplitChannels); });
    body->addWidget(FChannelPanel);
    FPageControl = new QTabWidget(this);
    FPageControl->setObjectName("PageControl");
    FPageControl->setTabPosition(QTabWidget::South);
    FPageControl->setFocusPolicy(Qt::StrongFocus);
    connect(FPageControl, &QTabWidget::currentChanged, this, [this](int i) { TabChanged(i); });
    body->addWidget(FPageControl, 1);
    layout->addLayout(body, 1);

    FViewPopup = new QMenu(this);
    FViewPopup->setObjectName("ppView");
    UpdateCommandStates();
}

TFChild::~TFChild() {
    // The frame may be half gone already: closing the data file reports no more states.
    FDestroying = true;
    // The test program window holds the database's test graph: it gives it back first.
    delete FTestProgram.data();
    // Views are parented to the tabs: take them off before the tabs go.
    if (FProject) {
        TAEOMSG msg;
        msg.Msg = omDetachViews;
        FProject->Db().Dispatch(msg);
        FProject->CloseDataFile();
    }
    FDataFile.reset();
    FProject.reset();
    FStatus.reset();
}

TFDelHit* TFChild::OpenDelHitWindow() {
    if (!FDelHit) {
        FDelHit = new TFDelHit(FProject->Db(), FMain ? &FMain->Settings() : nullptr, this);
        FDelHit->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        FDelHit->Rebuild();
    }
    FDelHit->show();
    FDelHit->raise();
    FDelHit->activateWindow();
    return FDelHit;
}

TFParametric* TFChild::OpenParametricWindow() {
    if (!FParametric) {
        FParametric = new TFParametric(FProject->Db(), FMain ? &FMain->Settings() : nullptr, this);
        FParametric->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        FParametric->Refresh();
    }
    FParametric->show();
    FParametric->raise();
    FParametric->activateWindow();
    return FParametric;
}

TFTestProgram* TFChild::OpenTestProgramWindow() {
    if (!FTestProgram) {
        FTestProgram = new TFTestProgram(*FProject, FMain ? &FMain->Settings() : nullptr, this);
        FTestProgram->setAttribute(Qt::WA_DeleteOnClose);
    }
    FTestProgram->show();
    FTestProgram->raise();
    FTestProgram->activateWindow();
    return FTestProgram;
}

QAction* TFChild::MakeAction(const QString& name, const QString& caption, int command) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (command >= 0)
        connect(a, &QAction::triggered, this, [this, command] { ExecuteCommand(command); });
    FActions.push_back(a);
    return a;
}

QAction* TFChild::Action(const QString& objectName) const {
    for (QAction* a : FActions)
        if (a->objectName() == objectName) return a;
    return nullptr;
}

QList<QAction*> TFChild::FileActions() const {
    return {Action("mCloseProject"), nullptr, Action("mSaveProject"), Action("mSaveProjectAs")};
}

QList<QAction*> TFChild::EditActions() const {
    return {Action("mProjectThreeView"),
            Action("mProjectOptions"),
            Action("mTestingGraph"),
            nullptr,
            Action("mParametricData"),
            Action("mVariantsEditor"),
            nullptr,
            Action("mPagesDispatcher"),
            nullptr,
            Action("mSelectAllVisual"),
            Action("mUnSelectAllVisual"),
            nullptr,
            Action("mFindInTable")};
}

QList<QAction*> TFChild::AnalyzeActions() const {
    return {Action("mRun"), Action("mReset")};
}

QList<QAction*> TFChild::DatabaseActions() const {
    return {Action("mSelectDatabase"), Action("mSelectTransients"), Action("mDatabaseInfo"),
            nullptr, Action("mDataDeletedInfo")};
}

void TFChild::BuildToolBar() {
    FToolBar = new QToolBar(this);
    FToolBar->setObjectName("ToolBar");
    FToolBar->setIconSize(QSize(18, 18));
    for (const char* name : {"mSaveProject", "mProjectThreeView", "mProjectOptions",
                             "mParametricData", "mVariantsEditor", "mReset", "mRun"})
        FToolBar->addAction(Action(name));
    FSubToolBar = new QToolBar(this);
    FSubToolBar->setObjectName("SubToolBar");
    FSubToolBar->setIconSize(QSize(18, 18));
    FSubToolBar->addAction(Action("mReloadData"));
    FSubToolBar->hide();
}

void TFChild::UpdateCommandStates() {
    // During a fill the commands wait for it (menus still open, showing them disabled).
    const bool filling = TFillStop::Current() != nullptr;
    const bool ready = FCommandState == csReady && !filling;
    const bool hasData = FProject->Db().Driver() != nullptr;
    for (const char* name : {"mSaveProject", "mSaveProjectAs", "mSelectDatabase",
                             "mSelectAllVisual", "mUnSelectAllVisual"})
        Action(name)->setEnabled(ready);
    for (const char* name :
         {"mRun", "mReset", "mDatabaseInfo", "mSelectTransients", "mLoadSplitChannels"})
        Action(name)->setEnabled(ready && hasData);
    for (const char* name : {"mProjectThreeView", "mPagesDispatcher", "mVariantsEditor",
                             "mProjectOptions", "mParametricData"})
        Action(name)->setEnabled(ready);
    // The test graph needs the fields of an open data file.
    Action("mTestingGraph")->setEnabled(ready && hasData);
    Action("mDataDeletedInfo")->setEnabled(ready && FProject->Db().DeletedGroupCount() > 0);
    TGVVisualClass* focused = FocusedView();
    Action("mReloadData")->setEnabled(ready && focused != nullptr);
    Action("mResetView")->setEnabled(ready && focused != nullptr);
    bool anyChecked = false;
    ForEachPlacedView([&](int, int, TGVVisualClass* v) { anyChecked |= v->GetCheckMark(); });
    Action("mReloadChecked")->setEnabled(ready && anyChecked);
    Action("mCloseProject")->setEnabled(!filling);
    const TTableVC* table = FindTable();
    Action("mFindInTable")->setEnabled(ready && table && table->CanFind());
}

TTableVC* TFChild::FindTable() const {
    if (auto* t = dynamic_cast<TTableVC*>(FocusedView())) return t;
    // Without a focused table, the first table of the page in view.
    TTableVC* first = nullptr;
    const int active = FPageControl ? FPageControl->currentIndex() : -1;
    ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
        if (!first && page == active) first = dynamic_cast<TTableVC*>(v);
    });
    return first;
}

// ---- Project handlers ----------------------------------------------------------------------

void TFChild::InstallProjectHandlers() {
    FProject->OnReloadFocused = [this](TProjectAE&) { ExecuteCommand(cmReloadFocused); };
    FProject->OnRefreshOutdated = [this](TProjectAE&) { ExecuteCommand(cmRefreshOutdated); };
    FProject->OnMaximizeFocused = [this](TProjectAE&) {
        if (TGVVisualClass* v = FocusedView()) MaximizeView(v, true);
    };
    FProject->OnNormalSizeFocused = [this](TProjectAE&) {
        if (TGVVisualClass* v = FocusedView()) MaximizeView(v, false);
    };
    FProject->OnActivatePage = [this](TProjectAE&, int32_t page) {
        if (page < 0 || page >= FPageControl->count()) return false;
        FPageControl->setCurrentIndex(page);
        if (TAEPage* p = FPages->Page(page)) p->SetMaxIndex(-1);
        LayoutPages();
        return true;
    };
    FProject->OnSortDatabase = [this](TProjectAE&, TGVCPU*) { FDataFile->SortDatabase(); };
    FProject->OnSaveDatabase = [this](TProjectAE&, TGVCPU* p) { FDataFile->SaveDatabase(p); };
    FProject->OnModified = [this](TProjectAE&) { UpdateCommandStates(); };
}

void TFChild::InstallViewHandlers(TGVVisualClass* view) {
    view->OnFocus = [this](TVisualClass&) {
        FSubToolBar->show();
        UpdateCommandStates();
    };
    view->OnUnfocus = [this](TVisualClass&) {
        FSubToolBar->hide();
        UpdateCommandStates();
    };
    view->OnPopupMenu = [this](TVisualClass& v, const QPoint& pos, const QList<QAction*>& items) {
        ShowViewPopup(v, pos, items);
    };
    const auto progress = [](int64_t records, int64_t total) {
        if (TFillStop* f = TFillStop::Current()) f->Progress(records, total);
    };
    const auto aborted = [] {
        TFillStop* f = TFillStop::Current();
        return f && f->Stopped();
    };
    if (auto* graph = dynamic_cast<TGraphVC*>(view)) {
        graph->OnProgress = progress;
        graph->OnAborted = aborted;
    } else if (auto* table = dynamic_cast<TTableVC*>(view)) {
        table->OnProgress = progress;
        table->OnAborted = aborted;
    }
}

void TFChild::ShowError(const std::string& text) {
    Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
}

bool TFChild::AskYesNo(const std::string& text) {
    return Dialogs().ShowMessageBox(text, TMsgKind::Confirmation, mbYes | mbNo) == mrYes;
}

void TFChild::ShowCommandError(const std::string& text) {
    if (!text.empty()) Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK);
}

// ---- Command dispatcher --------------------------------------------------------------------

void TFChild::ExecuteCommand(int code) {
    uint8_t remembered = FCommandState;
    for (;;) {
        switch (FCommandState) {
        case csOpening:
            FCommandState = csReady;
            UpdateCommandStates();
            return;
        case csReady:
            if (code == cmCloseRequest) code = cmClose;
            if (code == cmClose) {
                remembered = csReady;
                FCommandState = csAskClose;
                continue;
            }
            try {
                std::string error;
                switch (code) {
                case cmSave:
                    SaveProjectAs(ProjectFileName(), error, true);
                    break;
                case cmSaveAs:
                    SaveProjectAs(std::string(), error, true);
                    break;
                case cmProjectTree:
                    ShowTree(tmProjectTree);
                    break;
                case cmPagesDispatcher:
                    ShowTree(tmPagesDispatcher);
                    break;
                case cmSelectDatabase:
                    if (OpenDatabase(std::string(), error)) {
                        FProject->SetModified(true);
                        if (FMain) FMain->RefreshStatusBar();
                    } else {
                        ShowCommandError(error);
                    }
                    break;
                case cmRun:
                    Run(false);
                    break;
                case cmRunChecked:
                    Run(true);
                    break;
                case cmReloadFocused:
                    if (TGVVisualClass* v = FocusedView()) {
                        TFillStop stop(FMain ? FMain->StatusPanel(2) : nullptr, FMain);
                        v->SetActive(true);
                        v->UpdateAppearance();
                    }
                    if (FMain) FMain->RefreshStatusBar();
                    break;
                case cmRefreshOutdated:
                    ActivateOutdated(FPageControl->currentIndex(), true);
                    break;
                case cmResetAll:
                    EmptyViews();
                    break;
                case cmResetFocused:
                    if (TGVVisualClass* v = FocusedView()) v->SetActive(false);
                    break;
                case cmSplitChannels:
                    SendSplitChannels();
                    break;
                case cmCheckAll:
                case cmUncheckAll: {
                    TAEOMSG msg;
                    msg.Msg = code == cmCheckAll ? omCheckViews : omUncheckViews;
                    FProject->Db().Dispatch(msg);
                    break;
                }
                default:
                    break;
                }
            } catch (const std::exception& e) {
                ShowCommandError(e.what());
            }
            UpdateCommandStates();
            return;
        case csAskClose:
            if (FProject->Modified()) {
                const std::string text = std::string("Save") + "\r" +
                                         "Project Modified. Not Saved." + " " + "Project" + " \"" +
                                         ProjectFileName() + "\" " + "Save" + "?";
                const int answer =
                    Dialogs().ShowMessageBox(text, TMsgKind::Confirmation, mbYesNoCancel);
                if (answer == mrYes) {
                    std::string error;
                    // Only a successful save lets the window go; otherwise the changes stay
                    // in memory and the window stays open.
                    if (SaveProjectAs(ProjectFileName(), error, false)) {
                        FCommandState = csCloseConfirmed;
                    } else {
                        FCommandState = remembered;
                        return;
                    }
                } else if (answer == mrNo) {
                    FCommandState = csCloseConfirmed;
                } else {
                    FCommandState = remembered;
                    return;
                }
            } else {
                FCommandState = csCloseConfirmed;
            }
            if (FCommandState == csCloseConfirmed && !KeepGroupsBeforeClose()) {
                FCommandState = remembered;
                return;
            }
            continue;
        case csCloseConfirmed:
            FCloseConfirmed = true;
            return;
        default:
            return;
        }
    }
}

bool TFChild::KeepGroupsBeforeClose() {
    TAEDriverDb* driver = FProject->Db().Driver();
    if (!driver) return true;
    std::string error;
    while (!driver->SaveLog(error)) {
        // The deleted and selected groups of this session would be lost in silence: the user
        // keeps them elsewhere or the close is cancelled.
        const std::string text = "The deleted and selected groups cannot be kept: " + error + "\r" +
                                 "Keep them in another file?" + "\r" +
                                 "Cancel keeps the project open.";
        if (Dialogs().ShowMessageBox(text, TMsgKind::Warning, mbOKCancel) != mrOK) return false;
        TFileDialogOptions o;
        o.Title = "Keep Deleted And Selected Groups";
        o.Filter = "Log Files (*.log)|*.log|All Files|*.*";
        o.DefaultExt = "*.log";
        // Beside the data file, under a name of its own: the user puts it in place of the log
        // later, by renaming it.
        const std::filesystem::path dataFile(driver->FileName());
        o.InitialFile =
            (dataFile.parent_path() / (dataFile.stem().string() + "-kept.log")).string();
        o.ConfirmOverwrite = true;
        std::string target;
        if (!Dialogs().SaveFile(o, target) || target.empty()) continue;
        std::string keptError;
        if (driver->SaveLogAs(target, keptError)) return true;
        Dialogs().ShowMessageBox(keptError, TMsgKind::Error, mbOK);
    }
    return true;
}

void TFChild::closeEvent(QCloseEvent* event) {
    if (!FCloseConfirmed) {
        if (FCommandState == csOpening) {
            // A window that never became ready has nothing to save.
            FCloseConfirmed = true;
        } else {
            ExecuteCommand(cmCloseRequest);
        }
    }
    if (FCloseConfirmed)
        event->accept();
    else
        event->ignore();
}

// ---- Project file --------------------------------------------------------------------------

std::string TFChild::ProjectFileName() const {
    return FIsNew ? FNewFileName : FProject->FileName();
}

bool TFChild::OpenProject(const std::string& fileName, std::string& error, bool isNew) {
    TFileDialogOptions o;
    o.DefaultExt = "*.xml";
    o.Filter = ProjectFilter;
    o.Title = isNew ? "Create New Project" : "Open Project";
    o.MustExist = !isNew;
    auto choose = [&](std::string& name) {
        o.InitialFile = name;
        return Dialogs().OpenFile(o, name);
    };
    auto attempt = [&](const std::string& name, std::string& tryError) {
        if (!isNew) {
            if (!FProject->LoadProject(name, tryError, false)) return TTryResult::Failed;
            FIsNew = false;
            return TTryResult::Done;
        }
        std::error_code ec;
        if (std::filesystem::exists(name, ec) &&
            Dialogs().ShowMessageBox(std::string("Open Project") + "\r" + "Overwrite Project?",
                                     TMsgKind::Information, mbOKCancel) != mrOK)
            return TTryResult::ChooseAgain;
        // Nothing is written yet: the file is only replaced once the new project has its data
        // file and pages.
        FProject->Clear();
        FIsNew = true;
        FNewFileName = name;
        return TTryResult::Done;
    };
    std::string name = fileName;
    return TAskAgainLoop("Open Other Project?", choose, attempt)
        .Run(name, error, name.empty() || isNew);
}

bool TFChild::FinishNew(std::string& error) {
    if (!FIsNew) return true;
    if (!FProject->SaveProject(FNewFileName, error)) return false;
    FIsNew = false;
    return true;
}

bool TFChild::SaveProjectAs(const std::string& fileName, std::string& error, bool tellCompleted) {
    auto choose = [this](std::string& name) {
        TFileDialogOptions o;
        o.Title = "Save Project As";
        o.DefaultExt = "*.xml";
        o.Filter = ProjectFilter;
        o.ConfirmOverwrite = true;
        o.InitialFile = ProjectFileName();
        name.clear();
        return Dialogs().SaveFile(o, name);
    };
    auto attempt = [this](const std::string& name, std::string& tryError) {
        return FProject->SaveProject(name, tryError) ? TTryResult::Done : TTryResult::Failed;
    };
    std::string name = fileName;
    if (!TAskAgainLoop("Try Save Project Again?", choose, attempt).Run(name, error, name.empty()))
        return false;
    FIsNew = false;
    setWindowTitle(QString::fromStdString(name));
    if (QWidget* w = parentWidget()) w->setWindowTitle(windowTitle());
    if (FMain) FMain->NoteRecentProject(name);
    if (tellCompleted) Dialogs().ShowMessageBox("Operation Completed", TMsgKind::Information, mbOK);
    UpdateCommandStates();
    return true;
}

// ---- Data file -----------------------------------------------------------------------------

bool TFChild::OpenDatabase(const std::string& fileName, std::string& error) {
    TGVDb& db = FProject->Db();
    // Another data file closes this one: its groups are kept first, or nothing happens.
    error.clear();
    if (!KeepGroupsBeforeClose()) return false;
    EmptyViews();
    TFileDialogOptions o;
    o.Title = "Open Database";
    o.DefaultExt = "*.*";
    o.Filter = "All Files|*.*";
    o.MustExist = true;
    auto choose = [&](std::string& name) {
        o.InitialFile = name;
        if (Dialogs().OpenFile(o, name)) return true;
        db.CancelDataFile();
        EmptyViews();
        return false;
    };
    auto attempt = [&](const std::string& name, std::string& tryError) {
        return TryDataFile(name, tryError);
    };
    std::string name = fileName;
    return TAskAgainLoop("Open Other Database?", choose, attempt).Run(name, error, name.empty());
}

TTryResult TFChild::TryDataFile(const std::string& fileName, std::string& error) {
    TProjectAE::TOpenSteps steps;
    // State changes of the driver show in the status bar of the active window.
    steps.OnState = [this](uint8_t) {
        if (FMain && !FDestroying && FMain->ActiveChild() == this) FMain->RefreshStatusBar();
    };
    // OK opens the file of the other type; Cancel keeps the data file open now.
    steps.ConfirmTypeChange = [this](const std::string&, const std::string&) {
        return Dialogs().ShowMessageBox(std::string("Attention! You Change Type Database") + "\r" +
                                            "Open Other Database?",
                                        TMsgKind::Information, mbOKCancel) == mrOK;
    };
    if (!FProject->OpenDataFile(fileName, error, steps)) {
        if (error.empty()) return TTryResult::Cancelled;
        // The refusal names the file, as the tools do.
        error = fileName + ": " + error;
        return TTryResult::Failed;
    }
    EmptyViews();
    SetListChannels(false);
    UpdateCommandStates();
    return TTryResult::Done;
}

QString TFChild::DatabaseText() const {
    return QString::fromStdString(FProject->DbName());
}

QString TFChild::StatusText() const {
    return QString::fromStdString(StatusWithWarnings(StateName(FProject->Db().GetSourceState()),
                                                     FProject->Db().DataWarnings()));
}

// ---- Pages ---------------------------------------------------------------------------------

void TFChild::ForEachPlacedView(const std::function<void(int, int, TGVVisualClass*)>& visit) const {
    for (int i = 0; i < FPages->PageCount(); ++i) {
        TAEPage* page = FPages->Page(i);
        for (int j = 0; j < page->PlacementCount(); ++j) {
            RecListGVCPU placement;
            if (!page->GetPlacement(j, placement)) continue;
            if (TGVVisualClass* v = ViewOf(FProject->Db().FindProcessorByID(placement.ID)))
                visit(i, j, v);
        }
    }
}

TGVVisualClass* TFChild::FocusedView() const {
    TGVVisualClass* found = nullptr;
    ForEachPlacedView([&](int, int, TGVVisualClass* v) {
        if (!found && v->GetFocused()) found = v;
    });
    return found;
}

bool TFChild::BuildPages(std::string& error, bool isNew) {
    error.clear();
    TStatusGuard status(FStatus.get(), "Loading...");
    FProject->UnfocusAll();
    FPageControl->setFocus();
    TAEOMSG detach;
    detach.Msg = omDetachViews;
    FProject->Db().Dispatch(detach);
    TAEOMSG scheme;
    scheme.Msg = omColorScheme;
    scheme.WParam = FProject->ColorBackGraph();
    FProject->Db().Dispatch(scheme);

    const int active = FPageControl->currentIndex();
    FResizeHandling = false;
    const QSignalBlocker block(FPageControl);
    while (FPageControl->count() > 0) {
        QWidget* tab = FPageControl->widget(FPageControl->count() - 1);
        FPageControl->removeTab(FPageControl->count() - 1);
        delete tab;
    }
    if (isNew && FPages->PageCount() == 0) FPages->AddPage("First Page");
    for (int i = 0; i < FPages->PageCount(); ++i) {
        TAEPage* page = FPages->Page(i);
        auto* tab = new QWidget();
        tab->setObjectName("TabSheetAE" + QString::number(i));
        tab->installEventFilter(this);
        FPageControl->insertTab(i, tab, QString::fromStdString(page->Name()));
        for (int j = 0; j < page->PlacementCount(); ++j) {
            RecListGVCPU placement;
            page->GetPlacement(j, placement);
            if (TGVVisualClass* v = ViewOf(FProject->Db().FindProcessorByID(placement.ID))) {
                v->SetParentWindow(tab);
                InstallViewHandlers(v);
            }
        }
    }
    LayoutPages();
    FResizeHandling = true;
    if (active >= 0 && active < FPageControl->count())
        FPageControl->setCurrentIndex(active);
    else if (FPageControl->count() > 0)
        FPageControl->setCurrentIndex(0);
    return true;
}

void TFChild::LayoutPages() {
    if (FPageControl->count() != FPages->PageCount()) return;
    FProject->UnfocusAll();
    for (int i = 0; i < FPages->PageCount(); ++i) {
        TAEPage* page = FPages->Page(i);
        QWidget* tab = FPageControl->widget(i);
        for (int j = 0; j < page->PlacementCount(); ++j) {
            RecListGVCPU pl;
            page->GetPlacement(j, pl);
            TGVVisualClass* v = ViewOf(FProject->Db().FindProcessorByID(pl.ID));
            if (!v) continue;
            v->SetVisible(false);
            if (page->MaxIndex() == -1) {
                int32_t x1, y1, x2, y2;
                FPages->LogicalToDevice(pl.TopLeftX, pl.TopLeftY, tab->width(), tab->height(), true,
                                        true, x1, y1);
                FPages->LogicalToDevice(pl.BottomRightX, pl.BottomRightY, tab->width(),
                                        tab->height(), true, true, x2, y2);
                v->SetTop(y1);
                v->SetLeft(x1);
                v->SetHeight(y2 - y1);
                v->SetWidth(x2 - x1);
                v->SetVisible(true);
            } else if (page->MaxIndex() == j) {
                v->SetTop(0);
                v->SetLeft(0);
                v->SetHeight(tab->height());
                v->SetWidth(tab->width());
                v->SetVisible(true);
            }
        }
        // Tab order by position: top, then left.
        QList<QWidget*> shown;
        for (QObject* o : tab->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && w->isVisibleTo(tab)) shown << w;
        std::sort(shown.begin(), shown.end(), [](QWidget* a, QWidget* b) {
            return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
        });
        for (int k = 1; k < shown.size(); ++k)
            QWidget::setTabOrder(shown[k - 1], shown[k]);
    }
}

bool TFChild::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && FResizeHandling &&
        watched->objectName().startsWith("TabSheetAE"))
        LayoutPages();
    return QWidget::eventFilter(watched, event);
}

void TFChild::MaximizeView(TGVVisualClass* view, bool maximize) {
    if (auto* panel = dynamic_cast<TPanelVC*>(view); panel && panel->IsDetached()) return;
    const int tab = FPageControl->currentIndex();
    TAEPage* page = FPages->Page(tab);
    if (!page || !view->Processor()) return;
    page->SetMaxIndex(maximize ? page->IndexOfPlacement(view->Processor()->ID()) : -1);
    LayoutPages();
}

void TFChild::ShowViewPopup(TVisualClass& view, const QPoint& screenPos,
                            const QList<QAction*>& items) {
    auto* gv = dynamic_cast<TGVVisualClass*>(&view);
    FViewPopup->clear();
    for (QAction* item : items) {
        QAction* copy = FViewPopup->addAction(item->icon(), item->text());
        copy->setObjectName(item->objectName());
        copy->setCheckable(item->isCheckable());
        copy->setChecked(item->isChecked());
        copy->setEnabled(item->isEnabled());
        copy->setVisible(item->isVisible());
        connect(copy, &QAction::triggered, item, &QAction::trigger);
        if (item->menu()) copy->setMenu(item->menu());
    }
    QAction* params = FViewPopup->addAction("Processor's Parameters");
    params->setObjectName("mParamObjVC");
    if (gv && gv->Processor()) {
        const std::string id = gv->Processor()->ID();
        connect(params, &QAction::triggered, this,
                [this, id] { ShowTree(tmProcessorParameters, id); });
    } else {
        params->setEnabled(false);
    }
    QAction* reload = FViewPopup->addAction(Action("mReloadData")->icon(),
                                            view.Active() ? "Reload Data" : "Load Data");
    reload->setObjectName("mReloadVC");
    connect(reload, &QAction::triggered, this, [this] { ExecuteCommand(cmReloadFocused); });
    QAction* chk = FViewPopup->addAction("Reload Data For Selected Processors");
    chk->setObjectName("mReloadChkVC");
    bool anyChecked = false;
    ForEachPlacedView([&](int, int, TGVVisualClass* v) { anyChecked |= v->GetCheckMark(); });
    chk->setEnabled(anyChecked);
    connect(chk, &QAction::triggered, this, [this] { ExecuteCommand(cmRunChecked); });
    QAction* clear = FViewPopup->addAction("Reset");
    clear->setObjectName("mClearVC");
    connect(clear, &QAction::triggered, this, [&view] { view.SetActive(false); });
    FViewPopup->addSeparator()->setObjectName("mpEmpt_1VC");
    auto* panel = dynamic_cast<TPanelVC*>(&view);
    const bool detached = panel && panel->IsDetached();
    QAction* maxSize = FViewPopup->addAction("Max Size");
    maxSize->setObjectName("mMaxSizeVC");
    maxSize->setEnabled(!detached);
    QAction* normSize = FViewPopup->addAction("Normal Size");
    normSize->setObjectName("mNormSizeVC");
    normSize->setEnabled(!detached);
    if (gv) {
        connect(maxSize, &QAction::triggered, this, [this, gv] { MaximizeView(gv, true); });
        connect(normSize, &QAction::triggered, this, [this, gv] { MaximizeView(gv, false); });
    }
    FViewPopup->popup(screenPos);
}

// ---- Project tree window ---------------------------------------------------------------------

void TFChild::ShowTree(int mode, const std::string& processorID) {
    int result = QDialog::Rejected;
    {
        TFTreePrj tree(*FProject, FMain ? &FMain->Settings() : nullptr, mode, processorID, this);
        result = Dialogs().Run(tree);
    }
    if (result == QDialog::Accepted) {
        std::string error;
        BuildPages(error, false);
        if (!error.empty()) ShowCommandError(error);
    }
    UpdateCommandStates();
    if (FMain) FMain->RefreshStatusBar();
}

// ---- Running -------------------------------------------------------------------------------

void TFChild::EmptyViews() {
    FProject->UnfocusAll();
    if (FPageControl) FPageControl->setFocus();
    ForEachPlacedView([](int, int, TGVVisualClass* v) { v->SetActive(false); });
}

void TFChild::ReportRunErrors() {
    std::string text;
    FProject->Db().CollectErrors(text);
    if (!text.empty()) Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
    FProject->Db().ClearErrors();
    if (FMain) FMain->RefreshStatusBar();
}

void TFChild::Run(bool checkedOnly) {
    const int active = FPageControl->currentIndex();
    try {
        TFillStop stop(FMain ? FMain->StatusPanel(2) : nullptr, FMain);
        FProject->Db().ClearErrors();
        ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
            if (checkedOnly && !v->GetCheckMark()) return;
            if (page == active)
                v->SetActive(true);
            else
                v->SetOutdated(true);
        });
        ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
            if (page == active) v->UpdateAppearance();
        });
    } catch (const std::exception& e) {
        ShowCommandError(e.what());
    }
    ReportRunErrors();
    TabChanged(active);
}

void TFChild::ActivateOutdated(int tab, bool reportErrors) {
    bool any = false;
    ForEachPlacedView(
        [&](int page, int, TGVVisualClass* v) { any |= page == tab && v->Outdated(); });
    if (any) {
        {
            TFillStop stop(FMain ? FMain->StatusPanel(2) : nullptr, FMain);
            ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
                if (page != tab || !v->Outdated()) return;
                v->SetActive(true);
                v->UpdateAppearance();
            });
        }
        UpdateCommandStates();
    }
    if (reportErrors) ReportRunErrors();
}

void TFChild::TabChanged(int index) {
    if (index < 0) return;
    ActivateOutdated(index, false);
    FProject->UnfocusAll();
    FPageControl->setFocus();
    if (FMain) FMain->RefreshStatusBar();
}

// ---- Splitting channels --------------------------------------------------------------------

void TFChild::SetListChannels(bool radioMode) {
    // The channels present in the file, from the first record.
    std::vector<bool> present(PaletteSize + 1, false);
    TGVDb& db = FProject->Db();
    if (db.Driver()) {
        TAERecord record;
        TAEPNav nav;
        db.PrepareRecord(record);
        const int32_t first = db.FirstRecord(nav, record, -1);
        if ((nav.Out.Status & (nsEndForward | nsError)) == 0) {
            db.ReadRecord(nav, record, first);
            if (auto* f = dynamic_cast<TAEListIntegerField*>(record.FindByID(fidChannels)))
                if (const TAEChannelList* list = f->List())
                    for (uint8_t ch : *list)
                        if (ch >= 1 && ch <= PaletteSize) present[ch] = true;
        }
    }
    FChannelPanel->SetChannels(present, radioMode);
}

void TFChild::SendSplitChannels() {
    std::vector<uint32_t>& split = FProject->SplitChannels();
    split = FChannelPanel->CheckedChannels();
    TAEOMSG msg;
    msg.Msg = omSplitChannels;
    for (uint32_t ch : split)
        msg.List.push_back(static_cast<int32_t>(ch));
    FProject->Db().Dispatch(msg);
}

} // namespace vorelt
