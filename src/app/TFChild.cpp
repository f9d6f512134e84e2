#include "app/TFChild.h"

#include "app/IDialogService.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "processing/TAEMessages.h"
#include "processing/TGVFinal.h"
#include "processing/db/TDriverAccess.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectHelpers.h"
#include "view2d/TCanvasDraw.h"
#include "view2d/TPanelVC.h"
#include "view2d/TypesPrg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace vorelt {

namespace {

const char ProjectFilter[] = "(*.xml) XML файл|*.xml";
const char ChannelsFieldID[] = "0000000000000016";
const char TimeFieldID[] = "0000000000000001";

TGVVisualClass* ViewOf(TGVCPU* processor) {
    auto* final = dynamic_cast<TGVFinal*>(processor);
    return final ? dynamic_cast<TGVVisualClass*>(final->GetView()) : nullptr;
}

} // namespace

TFChild::TFChild(TFMain* mainWindow, IDialogService& dialogs, QWidget* parent)
    : QWidget(parent), FMain(mainWindow), FDialogs(dialogs) {
    setObjectName("FChild");
    setMinimumSize(600, 400);
    FStore = std::make_unique<TXMLPersistentAEProject>();
    FPages = std::make_unique<TDispatchDraw>();
    FStatusWindow = std::make_unique<TLongShoF>(mainWindow);
    FStatus = std::make_unique<TShowMessage>(FStatusWindow.get());
    FProject = std::make_unique<TProjectAE>(FStore.get(), FStatus.get(), FPages.get());
    FProject->SetPrompt(this);
    InstallProjectHandlers();

    QStyle* st = style();
    MakeAction("mCloseProject", "Close Project", -1);
    MakeAction("mSaveProject", "Save Project", cmSave)
        ->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    MakeAction("mSaveProjectAs", "Save Project As", cmSaveAs);
    MakeAction("mProjectThreeView", "Project ThreeView", cmProjectTree)
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
    MakeAction("mDataDeletedInfo", "Data Deleted Info", -1);
    MakeAction("mReloadData", "Reload Data", cmReloadFocused)
        ->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
    MakeAction("mResetView", "Reset", cmResetFocused);
    MakeAction("mLoadSplitChannels", "Load Splitting Channels Data", cmSplitChannels);
    MakeAction("mReloadChecked", "Reload Data For Selected Processors", cmRunChecked);
    connect(Action("mCloseProject"), &QAction::triggered, this, [this] {
        if (QWidget* w = parentWidget())
            w->close();
        else
            close();
    });
    connect(Action("mDatabaseInfo"), &QAction::triggered, this, [this] { ShowDatabaseInfo(); });
    connect(Action("mDataDeletedInfo"), &QAction::triggered, this, [this] {
        FDialogs.ShowMessageBox("Data Deleted Info\r" +
                                    IntToStr(FProject->Db().DeletedGroupCount()),
                                TMsgKind::Information, mbOK);
    });

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
    BuildChannelPanel();
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
    FColorPopup = new QMenu(this);
    FColorPopup->setObjectName("ppColor");
    FColorPopup->addAction("Edit Color", this, [this] { EditChannelColor(FColorChannel); })
        ->setObjectName("mSelectColor");
    FColorPopup->addAction("Default Color", this, [this] { DefaultChannelColor(FColorChannel); })
        ->setObjectName("mDefaultColor");
    FColorPopup->addAction("Restore Default Colors", this, [this] { RestoreDefaultColors(); })
        ->setObjectName("mDefaultColors");
    UpdateCommandStates();
}

TFChild::~TFChild() {
    // The frame may be half gone already: closing the data file reports no more states.
    FDestroying = true;
    // Views are parented to the tabs: take them off before the tabs go.
    if (FProject) {
        TAEOMSG msg;
        msg.Msg = omDetachViews;
        FProject->Db().Dispatch(msg);
        FProject->CloseDataFile();
    }
    FProject.reset();
    FStatus.reset();
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
            Action("mUnSelectAllVisual")};
}

QList<QAction*> TFChild::AnalyzeActions() const {
    return {Action("mRun"), Action("mReset")};
}

QList<QAction*> TFChild::DatabaseActions() const {
    return {Action("mSelectDatabase"), Action("mDatabaseInfo"), nullptr,
            Action("mDataDeletedInfo")};
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
    const bool ready = FCommandState == csReady;
    const bool hasData = FProject->Db().Driver() != nullptr;
    for (const char* name : {"mSaveProject", "mSaveProjectAs", "mSelectDatabase",
                             "mSelectAllVisual", "mUnSelectAllVisual"})
        Action(name)->setEnabled(ready);
    for (const char* name : {"mRun", "mReset", "mDatabaseInfo", "mLoadSplitChannels"})
        Action(name)->setEnabled(ready && hasData);
    // Windows of other parts of the program that this build does not carry.
    for (const char* name : {"mProjectThreeView", "mProjectOptions", "mTestingGraph",
                             "mParametricData", "mVariantsEditor", "mPagesDispatcher"})
        Action(name)->setEnabled(false);
    Action("mDataDeletedInfo")->setEnabled(ready && FProject->Db().DeletedGroupCount() > 0);
    TGVVisualClass* focused = FocusedView();
    Action("mReloadData")->setEnabled(ready && focused != nullptr);
    Action("mResetView")->setEnabled(ready && focused != nullptr);
    bool anyChecked = false;
    ForEachPlacedView([&](int, int, TGVVisualClass* v) { anyChecked |= v->GetCheckMark(); });
    Action("mReloadChecked")->setEnabled(ready && anyChecked);
    Action("mCloseProject")->setEnabled(true);
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
    FProject->OnSortDatabase = [this](TProjectAE&, TGVCPU*) { SortDatabase(); };
    FProject->OnSaveDatabase = [this](TProjectAE&, TGVCPU* p) { SaveDatabase(p); };
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
}

void TFChild::ShowError(const std::string& text) {
    FDialogs.ShowMessageBox(text, TMsgKind::Error, mbOK);
}

bool TFChild::AskYesNo(const std::string& text) {
    return FDialogs.ShowMessageBox(text, TMsgKind::Confirmation, mbYes | mbNo) == mrYes;
}

void TFChild::ShowCommandError(const std::string& text) {
    if (!text.empty()) FDialogs.ShowMessageBox(text, TMsgKind::Information, mbOK);
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
                        TStatusGuard s(FStatus.get(), "Loading Data...");
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
                    FDialogs.ShowMessageBox(text, TMsgKind::Confirmation, mbYesNoCancel);
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
            continue;
        case csCloseConfirmed:
            FCloseConfirmed = true;
            return;
        default:
            return;
        }
    }
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
    std::string name = fileName;
    enum { Load, Question, Dialog } step = (!name.empty() && !isNew) ? Load : Dialog;
    for (;;) {
        switch (step) {
        case Load:
            if (FProject->LoadProject(name, error, false)) {
                FIsNew = false;
                return true;
            }
            step = Question;
            break;
        case Question:
            // OK chooses another file; Cancel gives up without a further message.
            if (FDialogs.ShowMessageBox(error + "\r" + "Open Other Project?", TMsgKind::Error,
                                        mbOKCancel) != mrOK) {
                error.clear();
                return false;
            }
            step = Dialog;
            break;
        case Dialog:
            o.InitialFile = name;
            if (!FDialogs.OpenFile(o, name)) {
                error.clear();
                return false;
            }
            if (isNew) {
                std::error_code ec;
                if (std::filesystem::exists(name, ec) &&
                    FDialogs.ShowMessageBox(std::string("Open Project") + "\r" +
                                                "Overwrite Project?",
                                            TMsgKind::Information, mbOKCancel) != mrOK)
                    break; // choose another name
                // Nothing is written yet: the file is only replaced once the new project has
                // its data file and pages.
                FProject->Clear();
                FIsNew = true;
                FNewFileName = name;
                return true;
            }
            step = Load;
            break;
        }
    }
}

bool TFChild::FinishNew(std::string& error) {
    if (!FIsNew) return true;
    if (!FProject->SaveProject(FNewFileName, error)) return false;
    FIsNew = false;
    return true;
}

bool TFChild::SaveProjectAs(const std::string& fileName, std::string& error, bool tellCompleted) {
    std::string name = fileName;
    for (;;) {
        if (name.empty()) {
            TFileDialogOptions o;
            o.Title = "Save Project As";
            o.DefaultExt = "*.xml";
            o.Filter = ProjectFilter;
            o.ConfirmOverwrite = true;
            o.InitialFile = ProjectFileName();
            if (!FDialogs.SaveFile(o, name)) {
                error.clear();
                return false;
            }
        }
        if (FProject->SaveProject(name, error)) break;
        // OK chooses another file; Cancel gives up (the question showed the error already).
        if (FDialogs.ShowMessageBox(error + "\r" + "Try Save Project Again?", TMsgKind::Error,
                                    mbOKCancel) != mrOK) {
            error.clear();
            return false;
        }
        name.clear();
    }
    FIsNew = false;
    setWindowTitle(QString::fromStdString(name));
    if (QWidget* w = parentWidget()) w->setWindowTitle(windowTitle());
    if (tellCompleted) FDialogs.ShowMessageBox("Operation Completed", TMsgKind::Information, mbOK);
    UpdateCommandStates();
    return true;
}

// ---- Data file -----------------------------------------------------------------------------

bool TFChild::OpenDatabase(const std::string& fileName, std::string& error) {
    TGVDb& db = FProject->Db();
    EmptyViews();
    const std::string oldClass = db.Driver() ? db.Driver()->ClassName() : std::string();
    TFileDialogOptions o;
    o.Title = "Open Database";
    o.DefaultExt = "*.*";
    o.Filter = "*.*|*.*";
    o.MustExist = true;
    std::string name = fileName;
    enum { Open, Question, Dialog } step = name.empty() ? Dialog : Open;
    for (;;) {
        switch (step) {
        case Open: {
            bool ok;
            {
                TStatusGuard s(FStatus.get(), "Opening Database...");
                // State changes of the driver show in the status bar of the active window.
                ok = db.OpenDataFile(name, error, [this](uint8_t) {
                    if (FMain && !FDestroying && FMain->ActiveChild() == this)
                        FMain->RefreshStatusBar();
                });
            }
            if (!ok) {
                if (error.empty()) error = txtTypeFileNotSupport;
                step = Question;
                break;
            }
            TAEDriverDb* pending = db.PendingDriver();
            const bool typeChanged =
                !oldClass.empty() && pending && pending->ClassName() != oldClass;
            if (typeChanged &&
                FDialogs.ShowMessageBox(std::string("Attension! You Change Type Database") + "\r" +
                                            "Open Other Database?",
                                        TMsgKind::Information, mbOKCancel) == mrOK) {
                // OK: choose another file instead; Cancel goes on with this one.
                db.CancelDataFile();
                step = Dialog;
                break;
            }
            {
                TStatusGuard s(FStatus.get(), "Loading Database...");
                ok = db.LoadData(error);
            }
            if (ok) {
                TStatusGuard s(FStatus.get(), "Initialization Database...");
                ok = db.InitializeData(error);
            }
            if (!ok) {
                db.CancelDataFile();
                step = Question;
                break;
            }
            if (typeChanged) {
                db.TestSections().Clear();
                db.TestLoadLine().Clear();
                db.RemoveOwnFields();
            }
            EmptyViews();
            SetListChannels(false);
            FProject->SetDbName(name);
            UpdateCommandStates();
            return true;
        }
        case Question:
            if (FDialogs.ShowMessageBox(error + "\r" + "Open Other Database?", TMsgKind::Error,
                                        mbOKCancel) != mrOK) {
                error.clear();
                return false;
            }
            step = Dialog;
            break;
        case Dialog:
            o.InitialFile = name;
            if (!FDialogs.OpenFile(o, name)) {
                db.CancelDataFile();
                EmptyViews();
                error.clear();
                return false;
            }
            step = Open;
            break;
        }
    }
}

QString TFChild::DatabaseText() const {
    return QString::fromStdString(FProject->DbName());
}

QString TFChild::StatusText() const {
    return QString::fromStdString(StatusWithWarnings(StateName(FProject->Db().GetSourceState()),
                                                     FProject->Db().DataWarnings()));
}

void TFChild::ShowDatabaseInfo() {
    TAEDriverDb* driver = FProject->Db().Driver();
    if (!driver) return;
    std::string text;
    for (const std::string& line : driver->InfoLines()) {
        if (!text.empty()) text += "\r\n";
        text += Trim(line);
    }
    FDialogs.ShowMessageBox(text, TMsgKind::Information, mbOK);
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
    }
    FViewPopup->addAction("Processor's Parameters")->setObjectName("mParamObjVC");
    FViewPopup->actions().last()->setEnabled(false);
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

// ---- Running -------------------------------------------------------------------------------

void TFChild::EmptyViews() {
    FProject->UnfocusAll();
    if (FPageControl) FPageControl->setFocus();
    ForEachPlacedView([](int, int, TGVVisualClass* v) { v->SetActive(false); });
}

void TFChild::ReportRunErrors() {
    std::string text;
    FProject->Db().CollectErrors(text);
    if (!text.empty()) FDialogs.ShowMessageBox(text, TMsgKind::Error, mbOK);
    FProject->Db().ClearErrors();
    if (FMain) FMain->RefreshStatusBar();
}

void TFChild::Run(bool checkedOnly) {
    const int active = FPageControl->currentIndex();
    try {
        TStatusGuard s(FStatus.get(), "Loading Data...");
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
        TStatusGuard s(FStatus.get(), "Loading Data...");
        ForEachPlacedView([&](int page, int, TGVVisualClass* v) {
            if (page != tab || !v->Outdated()) return;
            v->SetActive(true);
            v->UpdateAppearance();
        });
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

void TFChild::BuildChannelPanel() {
    FChannelPanel = new QFrame(this);
    FChannelPanel->setObjectName("pnlChannels");
    FChannelPanel->setFrameShape(QFrame::StyledPanel);
    auto* outer = new QHBoxLayout(FChannelPanel);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    FChannelArea = new QWidget(FChannelPanel);
    auto* area = new QVBoxLayout(FChannelArea);
    area->setContentsMargins(2, 2, 2, 2);
    auto* buttons = new QHBoxLayout();
    FAllButton = new QPushButton("All", FChannelArea);
    FAllButton->setObjectName("btnAll");
    auto* load = new QPushButton("Load", FChannelArea);
    load->setObjectName("btnLoad");
    buttons->addWidget(FAllButton);
    buttons->addWidget(load);
    area->addLayout(buttons);
    FRadioButtonsBox = new QCheckBox("Radio Buttons", FChannelArea);
    FRadioButtonsBox->setObjectName("cbRadioButtons");
    area->addWidget(FRadioButtonsBox);
    FChannelScroll = new QScrollArea(FChannelArea);
    FChannelScroll->setWidgetResizable(false);
    FChannelScroll->setFrameShape(QFrame::NoFrame);
    area->addWidget(FChannelScroll, 1);
    FStripButton = new QToolButton(FChannelPanel);
    FStripButton->setObjectName("sbStrip");
    FStripButton->setFixedWidth(8);
    FStripButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    outer->addWidget(FChannelArea);
    outer->addWidget(FStripButton);
    connect(FStripButton, &QToolButton::clicked, this,
            [this] { SetPanelCollapsed(!FPanelCollapsed); });
    connect(FAllButton, &QPushButton::clicked, this, [this] { ToggleAllChannels(); });
    connect(load, &QPushButton::clicked, this, [this] { ExecuteCommand(cmSplitChannels); });
    connect(FRadioButtonsBox, &QCheckBox::toggled, this, [this](bool on) { SetRadioMode(on); });
    SetPanelCollapsed(true);
}

void TFChild::SetPanelCollapsed(bool collapsed) {
    FPanelCollapsed = collapsed;
    FChannelArea->setVisible(!collapsed);
    FChannelPanel->setFixedWidth(collapsed ? 8 : 140);
    FStripButton->setText(collapsed ? QString::fromUtf8("\u25B8") : QString::fromUtf8("\u25C2"));
    FStripButton->setToolTip(collapsed ? "Open" : "Close");
}

QAbstractButton* TFChild::ChannelBox(int channel) const {
    return channel >= 1 && channel <= static_cast<int>(FBoxes.size())
               ? FBoxes[static_cast<size_t>(channel - 1)]
               : nullptr;
}

QFrame* TFChild::ChannelSquare(int channel) const {
    return channel >= 1 && channel <= static_cast<int>(FSquares.size())
               ? FSquares[static_cast<size_t>(channel - 1)]
               : nullptr;
}

namespace {
// Right clicks on a colour square open the colour menu.
class TColorSquare : public QFrame {
public:
    TColorSquare(QWidget* parent, std::function<void(const QPoint&)> onMenu)
        : QFrame(parent), FOnMenu(std::move(onMenu)) {}

protected:
    void contextMenuEvent(QContextMenuEvent* e) override { FOnMenu(e->globalPos()); }

private:
    std::function<void(const QPoint&)> FOnMenu;
};
} // namespace

void TFChild::SetListChannels(bool radioMode) {
    FRadioMode = radioMode;
    {
        const QSignalBlocker b(FRadioButtonsBox);
        FRadioButtonsBox->setChecked(radioMode);
    }
    FAllButton->setEnabled(!radioMode);
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
            if (auto* f = dynamic_cast<TAEListIntegerField*>(record.FindByID(ChannelsFieldID)))
                if (const TAEChannelList* list = f->List())
                    for (uint8_t ch : *list)
                        if (ch >= 1 && ch <= PaletteSize) present[ch] = true;
        }
    }
    delete FChannelBoxes;
    FSquares.clear();
    FBoxes.clear();
    FChannelBoxes = new QWidget();
    FChannelBoxes->setObjectName("pnlChannelBoxes");
    bool firstRadio = true;
    for (int n = 1; n <= PaletteSize; ++n) {
        const int block = (n - 1) / 64;
        const int inBlock = (n - 1) % 64;
        const int x = inBlock < 32 ? 0 : 55;
        const int r = inBlock % 32 + 1;
        const int top = 14 * r - 11 + 8 * ((r - 1) / 8) + block * 480;
        auto* square = new TColorSquare(FChannelBoxes, [this, n](const QPoint& pos) {
            FColorChannel = n;
            FColorPopup->popup(pos);
        });
        square->setObjectName("shColor_" + QString::number(n));
        square->setGeometry(x + 2, top, 13, 13);
        square->setFrameShape(QFrame::Box);
        square->setAutoFillBackground(true);
        QPalette pal = square->palette();
        pal.setColor(QPalette::Window, TCanvasDraw::ToQColor(PaletteColor(n)));
        pal.setColor(QPalette::WindowText, Qt::gray);
        square->setPalette(pal);
        QAbstractButton* box;
        if (radioMode)
            box = new QRadioButton(QString::number(n), FChannelBoxes);
        else
            box = new QCheckBox(QString::number(n), FChannelBoxes);
        box->setObjectName("cbChannel_" + QString::number(n));
        box->setGeometry(x + 18, top - 1, 36, 15);
        box->setEnabled(present[static_cast<size_t>(n)]);
        if (radioMode) {
            if (present[static_cast<size_t>(n)] && firstRadio) {
                box->setChecked(true);
                firstRadio = false;
            }
        } else {
            box->setChecked(FAllChecked && present[static_cast<size_t>(n)]);
        }
        connect(box, &QAbstractButton::clicked, this, [this] { ExecuteCommand(cmSplitChannels); });
        FSquares.push_back(square);
        FBoxes.push_back(box);
    }
    FChannelBoxes->setMinimumSize(112, 2 * 480);
    FChannelBoxes->resize(112, 2 * 480);
    FChannelScroll->setWidget(FChannelBoxes);
}

void TFChild::ToggleAllChannels() {
    FAllChecked = !FAllChecked;
    for (QAbstractButton* b : FBoxes)
        if (b->isEnabled()) b->setChecked(FAllChecked);
    ExecuteCommand(cmSplitChannels);
}

void TFChild::SetRadioMode(bool radio) {
    if (radio == FRadioMode) return;
    if (!radio) FAllChecked = false;
    SetListChannels(radio);
    ExecuteCommand(cmSplitChannels);
}

void TFChild::SendSplitChannels() {
    std::vector<uint32_t>& split = FProject->SplitChannels();
    split.clear();
    for (int n = 1; n <= static_cast<int>(FBoxes.size()); ++n) {
        QAbstractButton* b = FBoxes[static_cast<size_t>(n - 1)];
        if (b->isEnabled() && b->isChecked()) split.push_back(static_cast<uint32_t>(n));
    }
    TAEOMSG msg;
    msg.Msg = omSplitChannels;
    for (uint32_t ch : split)
        msg.List.push_back(static_cast<int32_t>(ch));
    FProject->Db().Dispatch(msg);
}

void TFChild::EditChannelColor(int channel) {
    TColor chosen;
    if (!FDialogs.ChooseColor(PaletteColor(channel), chosen)) return;
    Palette().SetColor(channel, chosen);
    SetListChannels(FRadioMode);
}

void TFChild::DefaultChannelColor(int channel) {
    Palette().RestoreDefault(channel);
    SetListChannels(FRadioMode);
}

void TFChild::RestoreDefaultColors() {
    Palette().RestoreDefaults();
    SetListChannels(FRadioMode);
}

// ---- Data file copies ----------------------------------------------------------------------

bool TFChild::AskDataFileCopyName(const std::string& title, std::string& target) {
    TAEDriverDb* driver = FProject->Db().Driver();
    if (!driver) return false;
    const std::string source = driver->FileName();
    std::string ext = std::filesystem::path(source).extension().string();
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    TFileDialogOptions o;
    o.Title = title;
    o.DefaultExt = "*." + ext;
    o.Filter = "(*." + ext + ") " + ext + " файл|*." + ext;
    o.ConfirmOverwrite = true;
    for (;;) {
        if (!FDialogs.SaveFile(o, target)) return false;
        if (!SameText(std::filesystem::absolute(target).lexically_normal().string(),
                      std::filesystem::absolute(source).lexically_normal().string()))
            return true;
        FDialogs.ShowMessageBox(std::string("Invalid File Name") + "!", TMsgKind::Error, mbOK);
    }
}

void TFChild::SortDatabase() {
    TGVDb& db = FProject->Db();
    TAEDriverDb* driver = db.Driver();
    if (!driver) return;
    bool sorted = true;
    {
        TStatusGuard s(FStatus.get(), "Check Database...");
        TAERecord record;
        TAEPNav nav;
        db.PrepareRecord(record);
        long double previous = 0;
        std::string error;
        ConsumeRecords(
            db, nav, record,
            [&](TAERecord& r, int32_t) {
                TAEField* time = r.FindByID(TimeFieldID);
                if (!time || time->IsNull()) return true;
                const long double t = time->GetAsFloat();
                if (t < previous) {
                    sorted = false;
                    return false;
                }
                previous = t;
                return true;
            },
            error);
    }
    if (sorted) {
        FDialogs.ShowMessageBox("DataBase - Ok!", TMsgKind::Information, mbOK);
        return;
    }
    std::string target;
    if (!AskDataFileCopyName("Save DataBase As", target)) return;
    std::string message;
    bool ok;
    {
        TStatusGuard s(FStatus.get(), "Sorted Database...");
        ok = driver->SortToFile(target, message);
    }
    if (ok)
        FDialogs.ShowMessageBox(std::string("Complited Sorting") + "!", TMsgKind::Information,
                                mbOK);
    else
        FDialogs.ShowMessageBox(message, TMsgKind::Error, mbOK);
}

void TFChild::SaveDatabase(TGVCPU* processor) {
    TAEDriverDb* driver = FProject->Db().Driver();
    if (!driver || !processor) return;
    std::string target;
    if (!AskDataFileCopyName("Save DataBase As", target)) return;
    std::string message;
    bool ok;
    {
        TStatusGuard s(FStatus.get(), "Saving Database...");
        ok = driver->SaveToFile(*processor, target, message);
    }
    if (ok)
        FDialogs.ShowMessageBox(std::string("Complited Saving") + "!", TMsgKind::Information, mbOK);
    else
        FDialogs.ShowMessageBox(message, TMsgKind::Error, mbOK);
}

} // namespace vorelt
