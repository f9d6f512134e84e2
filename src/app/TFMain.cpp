#include "app/TFMain.h"

#include "app/TFChild.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TPanelVC.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <filesystem>

namespace vorelt {

TFMain::TFMain(TIniApplic& settings, QWidget* parent) : QMainWindow(parent), FSettings(settings) {
    setObjectName("FMain");
    setWindowTitle(TIniApplic::Title);
    TWaveformWindow::SetSettings(&FSettings);
    FMdi = new QMdiArea(this);
    FMdi->setObjectName("MdiArea");
    FMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(FMdi);
    for (int i = 0; i < 3; ++i) {
        FPanels[i] = new QLabel(this);
        FPanels[i]->setObjectName("StatusPanel" + QString::number(i));
        FPanels[i]->setMinimumWidth(i == 1 ? 50 : 200);
        FPanels[i]->setFrameShape(QFrame::Panel);
        FPanels[i]->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(FPanels[i], i == 1 ? 1 : 0);
    }
    FPanels[0]->setText(QString("  ") + "Ver." + " " + TIniApplic::Version);
    CreateActions();
    TPanelVC::SetMainWindow(this);
    resize(1024, 700);
    ReadSettings();
    BuildRecentActions();
    RebuildMenus();
    connect(FMdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        RebuildMenus();
        RefreshStatusBar();
    });
}

TFMain::~TFMain() {
    if (TWaveformWindow* waveforms = TWaveformWindow::SharedIfOpen()) waveforms->close();
    TWaveformWindow::SetSettings(nullptr);
    // Project windows go before the settings they might still read.
    for (QMdiSubWindow* sub : FMdi->subWindowList())
        delete sub;
    TPanelVC::SetMainWindow(nullptr);
}

QLabel* TFMain::StatusPanel(int i) const {
    return i >= 0 && i < 3 ? FPanels[i] : nullptr;
}

QAction* TFMain::Action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void TFMain::CreateActions() {
    QStyle* st = style();
    FOpenAction = new QAction(st->standardIcon(QStyle::SP_DialogOpenButton), "Open Project", this);
    FOpenAction->setObjectName("mOpenProject");
    connect(FOpenAction, &QAction::triggered, this, [this] { OpenProjectWindow({}, false); });
    FNewAction = new QAction(st->standardIcon(QStyle::SP_FileIcon), "New Project", this);
    FNewAction->setObjectName("mNewProject");
    connect(FNewAction, &QAction::triggered, this, [this] { OpenProjectWindow({}, true); });
    FExitAction = new QAction("Exit", this);
    FExitAction->setObjectName("mExit");
    connect(FExitAction, &QAction::triggered, this, &QWidget::close);
    FConfigAction = new QAction("Configuration", this);
    FConfigAction->setObjectName("mConfiguration");
    FConfigAction->setEnabled(false);
    FCascadeAction = new QAction("Cascade", this);
    FCascadeAction->setObjectName("mCascade");
    connect(FCascadeAction, &QAction::triggered, FMdi, &QMdiArea::cascadeSubWindows);
    FTileVAction = new QAction("Tile Vertically", this);
    FTileVAction->setObjectName("mTileVertically");
    connect(FTileVAction, &QAction::triggered, this, [this] { TileVertically(); });
    FTileHAction = new QAction("Tile Horizontally", this);
    FTileHAction->setObjectName("mTileHorizontally");
    connect(FTileHAction, &QAction::triggered, this, [this] { TileHorizontally(); });
    FToolBar = addToolBar("Main");
    FToolBar->setObjectName("MainToolBar");
    FToolBar->setIconSize(QSize(18, 18));
    FToolBar->addAction(FOpenAction);
    FToolBar->addAction(FNewAction);
}

void TFMain::ReadSettings() {
    // Shown and Recent both end up in the order "1" ... "10".
    for (int i = TStackProjectName::DefaultCapacity; i >= 1; --i) {
        const std::string name = FSettings.ReadString("STACKPROJECT", IntToStr(i), "");
        if (Trim(name).empty()) continue;
        FRecent.AddShown(name);
        FRecent.Add(name);
    }
    const QRect g = geometry();
    int32_t top = g.top(), width = g.width(), height = g.height(), left = g.left();
    FSettings.ReadBounds("MAIN", top, width, height, left);
    const int32_t state = FSettings.ReadInteger("WSTATE", "WSTATE", 0);
    QRect screen(0, 0, 1280, 1024);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->availableGeometry();
    if (state != 0) {
        setWindowState(Qt::WindowMaximized);
    } else {
        width = std::min(width, screen.width());
        height = std::min(height, screen.height());
        if (top < 0) top = 0;
        if (left < 0) left = 0;
        if (top + height > screen.bottom() + 1) top = screen.bottom() + 1 - height;
        if (left + width > screen.right() + 1) left = screen.right() + 1 - width;
        setGeometry(left, top, width, height);
    }
    Palette().KeepDefaults();
    Palette().LoadFromSettings([this](const std::string& s, const std::string& k, int32_t d) {
        return FSettings.ReadInteger(s, k, d);
    });
    SetSizePoint(FSettings.ReadInteger("Main", "SizePoint", SizePoint()));
}

void TFMain::WriteSettings() {
    for (int i = 1; i <= TStackProjectName::DefaultCapacity; ++i)
        FSettings.WriteString("STACKPROJECT", IntToStr(i), FRecent.Get(i - 1));
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    FSettings.WriteBounds("MAIN", g.top(), g.left(), g.height(), g.width());
    FSettings.WriteInteger("WSTATE", "WSTATE", (windowState() & ~Qt::WindowActive) ? 1 : 0);
    Palette().SaveToSettings([this](const std::string& s, const std::string& k, int32_t v) {
        FSettings.WriteInteger(s, k, v);
    });
    FSettings.WriteInteger("Main", "SizePoint", SizePoint());
    FSettingsWritten = true;
}

void TFMain::BuildRecentActions() {
    // An item may be the one being triggered: it goes once its signal is over.
    for (QAction* a : FRecentActions) {
        a->setObjectName(QString());
        a->deleteLater();
    }
    FRecentActions.clear();
    if (FRecent.Count() == 0) return;
    auto* sep = new QAction(this);
    sep->setSeparator(true);
    sep->setObjectName("mFEmptyStack");
    FRecentActions << sep;
    const QFontMetrics fm(font());
    for (int i = 0; i < FRecent.Count(); ++i) {
        const std::string file = FRecent.Get(i);
        const QString name = QString::fromStdString(file);
        auto* a = new QAction(
            QString::number(i + 1) + " " + fm.elidedText(name, Qt::ElideMiddle, 200), this);
        a->setObjectName("mFStack" + QString::number(i));
        a->setData(i);
        a->setToolTip(name);
        // The name, not the place: opening it moves it to the top of the list.
        connect(a, &QAction::triggered, this, [this, file] { OpenProjectWindow(file, false); });
        FRecentActions << a;
    }
}

void TFMain::NoteRecentProject(const std::string& fileName) {
    if (Trim(fileName).empty()) return;
    FRecent.Add(fileName);
    BuildRecentActions();
    RebuildMenus();
}

TFChild* TFMain::ActiveChild() const {
    QMdiSubWindow* sub = FMdi->activeSubWindow();
    if (!sub && !FMdi->subWindowList().isEmpty()) sub = FMdi->subWindowList().last();
    return sub ? qobject_cast<TFChild*>(sub->widget()) : nullptr;
}

QList<TFChild*> TFMain::Children() const {
    QList<TFChild*> list;
    for (QMdiSubWindow* sub : FMdi->subWindowList())
        if (auto* c = qobject_cast<TFChild*>(sub->widget())) list << c;
    return list;
}

void TFMain::RebuildMenus() {
    QMenuBar* bar = menuBar();
    bar->clear();
    TFChild* child = ActiveChild();
    auto addAll = [](QMenu* menu, const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            if (a)
                menu->addAction(a);
            else
                menu->addSeparator();
        }
    };
    QMenu* file = bar->addMenu("File");
    file->setObjectName("mFile");
    file->addAction(FOpenAction);
    file->addAction(FNewAction);
    if (child) addAll(file, child->FileActions());
    addAll(file, FRecentActions);
    file->addSeparator();
    file->addAction(FExitAction);
    if (child) {
        QMenu* edit = bar->addMenu("Edit");
        edit->setObjectName("mEdit");
        addAll(edit, child->EditActions());
        // What the items apply to (the focused view, the page in view) changes without a
        // command: their states are taken when the menu opens.
        connect(edit, &QMenu::aboutToShow, child, [child] { child->UpdateCommandStates(); });
        QMenu* analyze = bar->addMenu("Analyze");
        analyze->setObjectName("mAnalyze");
        addAll(analyze, child->AnalyzeActions());
        QMenu* db = bar->addMenu("Database");
        db->setObjectName("mDatabase");
        addAll(db, child->DatabaseActions());
        child->UpdateCommandStates();
    }
    QMenu* tools = bar->addMenu("Tools");
    tools->setObjectName("mTools");
    tools->addAction(FConfigAction);
    QMenu* window = bar->addMenu("Window");
    window->setObjectName("mWindow");
    window->addAction(FCascadeAction);
    window->addAction(FTileVAction);
    window->addAction(FTileHAction);
    const bool any = !FMdi->subWindowList().isEmpty();
    FCascadeAction->setEnabled(any);
    FTileVAction->setEnabled(any);
    FTileHAction->setEnabled(any);
    bar->addMenu("Help")->setObjectName("mHelp");
}

void TFMain::RefreshStatusBar() {
    TFChild* child = ActiveChild();
    if (!child) {
        FPanels[1]->clear();
        FPanels[2]->clear();
        return;
    }
    const QFontMetrics fm(FPanels[1]->font());
    const int width = std::max(40, FPanels[1]->width() - 40);
    FPanels[1]->setText(QString("  ") + "Database" + ": " +
                        fm.elidedText(child->DatabaseText(), Qt::ElideMiddle, width));
    FPanels[2]->setText(QString("  ") + "Status" + ": " + child->StatusText());
}

void TFMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (ActiveChild()) RefreshStatusBar();
}

TFChild* TFMain::OpenProjectWindow(const std::string& fileName, bool isNew) {
    auto* child = new TFChild(this);
    QMdiSubWindow* sub = FMdi->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(child, &QObject::destroyed, this, [this] {
        // The sub-window list is updated once the window is gone.
        QMetaObject::invokeMethod(
            this,
            [this] {
                RebuildMenus();
                RefreshStatusBar();
            },
            Qt::QueuedConnection);
    });
    std::string error;
    bool ok = child->OpenProject(fileName, error, isNew);
    if (ok) {
        sub->setWindowTitle(QString::fromStdString(child->ProjectFileName()));
        child->setWindowTitle(sub->windowTitle());
        ok = child->OpenDatabase(child->Project().DbName(), error);
    }
    if (ok) ok = child->BuildPages(error, isNew);
    if (ok) ok = child->FinishNew(error);
    if (!ok) {
        FMdi->removeSubWindow(sub);
        delete sub;
        if (!error.empty()) Dialogs().ShowMessageBox(error, TMsgKind::Information, mbOK);
        RebuildMenus();
        RefreshStatusBar();
        return nullptr;
    }
    FRecent.Add(child->ProjectFileName());
    BuildRecentActions();
    sub->showMaximized();
    child->ExecuteCommand(cmNone);
    FMdi->setActiveSubWindow(sub);
    RebuildMenus();
    RefreshStatusBar();
    return child;
}

void TFMain::TileVertically() {
    const QList<QMdiSubWindow*> subs = FMdi->subWindowList();
    if (subs.isEmpty()) return;
    const QRect area = FMdi->viewport()->rect();
    const int w = area.width() / static_cast<int>(subs.size());
    int x = 0;
    for (QMdiSubWindow* s : subs) {
        s->showNormal();
        s->setGeometry(x, 0, w, area.height());
        x += w;
    }
}

void TFMain::TileHorizontally() {
    const QList<QMdiSubWindow*> subs = FMdi->subWindowList();
    if (subs.isEmpty()) return;
    const QRect area = FMdi->viewport()->rect();
    const int h = area.height() / static_cast<int>(subs.size());
    int y = 0;
    for (QMdiSubWindow* s : subs) {
        s->showNormal();
        s->setGeometry(0, y, area.width(), h);
        y += h;
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    // Every project window agrees first; one refusal keeps everything open.
    for (TFChild* child : Children()) {
        if (child->CloseConfirmed()) continue;
        if (child->CommandState() == csOpening) continue;
        child->ExecuteCommand(cmCloseRequest);
        if (!child->CloseConfirmed()) {
            event->ignore();
            return;
        }
    }
    WriteSettings();
    const QList<QMdiSubWindow*> subs = FMdi->subWindowList();
    for (int i = static_cast<int>(subs.size()) - 1; i >= 0; --i)
        delete subs[i];
    event->accept();
}

} // namespace vorelt
