#include "app/TFTreePrj.h"
#include <QInputDialog>

#include "app/TParameterPages.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecordProtocol.h"
#include "persist/TPersistObject.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "processing/TGVFinal.h"
#include "processing/TProcessorKind.h"
#include "processing/db/TGVDb.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "view2d/IDialogService.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TVisualClass.h"
#include "viewmodel/dialogs/tree/TTreePrjRules.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char MimeNode[] = "application/x-vorelt-tree-node";
const char MimeBuffer[] = "application/x-vorelt-buffer-item";
const char MimeBox[] = "application/x-vorelt-preview-box";
constexpr int RoleProcessor = Qt::UserRole;
constexpr int RoleState = Qt::UserRole + 1;
// The square a view covers when it is dropped on the preview.
constexpr int DropSquare = 40;

// The buffer's items: a box with rounded corners and the name centred and wrapped.
class TBufferDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        const QRect r = option.rect.adjusted(3, 3, -3, -3);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->setPen(QPen(selected ? option.palette.highlight().color() : Qt::darkGray, 1));
        painter->setBrush(QToolTip::palette().toolTipBase());
        painter->drawRoundedRect(r, 10, 10);
        painter->setPen(QToolTip::palette().toolTipText().color());
        painter->drawText(r.adjusted(4, 2, -4, -2), Qt::AlignCenter | Qt::TextWordWrap,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(50);
        return s;
    }
};

QColor TooltipColor() {
    return QToolTip::palette().toolTipBase().color();
}

TColor ToTColor(const QColor& c) {
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace

TFTreePrj::TFTreePrj(TProjectAE& project, TIniApplic* settings, int mode,
                     const std::string& processorID, QWidget* parent)
    : QDialog(parent), FProject(project), FSettings(settings), FMode(mode),
      FWatch(std::make_unique<TModifiedWatch>(project)), FEditor(project) {
    setObjectName("FTreePrj");
    setModal(true);
    static const bool registered = [] {
        RegisterParameterPages();
        return true;
    }();
    (void)registered;
    BuildWindow();
    ReadBounds();
    setWindowTitle(mode == tmProcessorParameters
                       ? "Processor's Parameters"
                       : (mode == tmPagesDispatcher ? "Pages Dispatcher " : "Project Tree View"));
    BuildTree(mode == tmProcessorParameters ? processorID : std::string());
    if (mode == tmProcessorParameters) {
        FToolBar->setEnabled(false);
        FTabs->removeTab(FTabs->indexOf(FPagesTab));
        FPagesTab->hide();
        if (QTreeWidgetItem* node = NodeOfID(processorID)) FTree->setCurrentItem(node);
    } else {
        FTabs->setCurrentWidget(mode == tmPagesDispatcher ? FPagesTab : FParametersTab);
    }
    FPreview->Clear();
    RefreshPagesList(FProject.Pages().PageCount() > 0 ? 0 : -1);
    RefreshBuffer();
    UpdateButtons();
}

TFTreePrj::~TFTreePrj() {
    WriteBounds();
    FreeParameterPage();
    // The boxes' handlers refer to this window.
    if (FPreview) FPreview->Clear();
    FWatch.reset();
}

// ---- Window --------------------------------------------------------------------------------

void TFTreePrj::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    FSplitter = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(FSplitter, 1);

    auto* left = new QWidget(FSplitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    FToolBar = new QToolBar(left);
    FToolBar->setObjectName("ToolBar");
    QStyle* st = style();
    FInsert =
        FToolBar->addAction(st->standardIcon(QStyle::SP_FileDialogNewFolder), "Insert Processor");
    FInsert->setObjectName("tbInsertProcessor");
    FDelete = FToolBar->addAction(st->standardIcon(QStyle::SP_TrashIcon), "Delete Processor");
    FDelete->setObjectName("tbDeleteProcessor");
    connect(FInsert, &QAction::triggered, this, [this] { ShowInsertMenu(); });
    connect(FDelete, &QAction::triggered, this, [this] { DeleteProcessor(); });
    leftLayout->addWidget(FToolBar);
    FStatus = new QLabel(" ", left);
    FStatus->setObjectName("StatusLine");
    FStatus->setStyleSheet("color: red; font-weight: bold;");
    leftLayout->addWidget(FStatus);
    FTree = new QTreeWidget(left);
    FTree->setObjectName("TreeView");
    FTree->setHeaderHidden(true);
    FTree->setItemsExpandable(false);
    FTree->setRootIsDecorated(false);
    // Nodes never collapse, so they show no expand buttons.
    FTree->setStyleSheet("QTreeView::branch { image: none; border-image: none; }");
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTree->setContextMenuPolicy(Qt::CustomContextMenu);
    FTree->viewport()->setAcceptDrops(true);
    FTree->viewport()->installEventFilter(this);
    connect(FTree, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ShowTreePopup(FTree->viewport()->mapToGlobal(p)); });
    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem*, QTreeWidgetItem*) {
                ShowParameterPage();
                UpdateButtons();
            });
    connect(FTree, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem* item) { item->setExpanded(true); });
    leftLayout->addWidget(FTree, 1);

    FInsertMenu = new QMenu(this);
    FInsertMenu->setObjectName("ppInsertProcessor");
    for (const TInsertEntry& e : InsertEntries()) {
        QAction* a = FInsertMenu->addAction(QString("Add ") + e.Kind->KindName);
        a->setObjectName(e.ActionName);
        const TProcessorKind* kind = e.Kind;
        connect(a, &QAction::triggered, this, [this, kind] { InsertProcessor(*kind); });
    }
    FTreePopup = new QMenu(this);
    FTreePopup->setObjectName("ppTree");
    auto addPopup = [this](const char* name, const char* caption, void (TFTreePrj::*slot)()) {
        QAction* a = FTreePopup->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
    };
    addPopup("ppShowID", "Show ID", &TFTreePrj::ShowID);
    addPopup("ppClearData", "Clear Data", &TFTreePrj::ClearData);
    addPopup("ppFoundScreenPosition", "Found Screen Position", &TFTreePrj::FoundScreenPosition);
    addPopup("ppGoToProcessor", "GoTo Processor", &TFTreePrj::GoToProcessor);

    FTabs = new QTabWidget(FSplitter);
    FTabs->setObjectName("PageControl");
    FParametersTab = new QWidget();
    FParametersTab->setObjectName("tsParameters");
    FPageHost = new QVBoxLayout(FParametersTab);
    FPageTitle = new QLabel(FParametersTab);
    FPageTitle->setObjectName("ParameterTitle");
    QFont bold = FPageTitle->font();
    bold.setBold(true);
    FPageTitle->setFont(bold);
    FPageHost->addWidget(FPageTitle);
    FTabs->addTab(FParametersTab, "Parameters");
    FPagesTab = new QWidget();
    FPagesTab->setObjectName("tsPageDispatcher");
    BuildPagesTab(FPagesTab);
    FTabs->addTab(FPagesTab, "Page Dispatcher");
    FSplitter->setStretchFactor(1, 1);

    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    FClose = new QPushButton("Close", this);
    FClose->setObjectName("btClose");
    connect(FClose, &QPushButton::clicked, this, [this] { CloseWindow(); });
    bottom->addWidget(FClose);
    layout->addLayout(bottom);
}

void TFTreePrj::BuildPagesTab(QWidget* tab) {
    auto* layout = new QHBoxLayout(tab);
    auto* lists = new QVBoxLayout();
    auto* pagesBox = new QGroupBox("Pages List", tab);
    auto* pagesLayout = new QVBoxLayout(pagesBox);
    FPagesBar = new QToolBar(pagesBox);
    FPagesBar->setObjectName("PagesToolBar");
    QStyle* st = style();
    auto addTool = [this](const char* name, const char* caption, const QIcon& icon) {
        QAction* a = FPagesBar->addAction(icon, caption);
        a->setObjectName(name);
        return a;
    };
    connect(addTool("tbPageUp", "Up", st->standardIcon(QStyle::SP_ArrowUp)), &QAction::triggered,
            this, [this] { MovePage(-1); });
    connect(addTool("tbPageDown", "Down", st->standardIcon(QStyle::SP_ArrowDown)),
            &QAction::triggered, this, [this] { MovePage(1); });
    connect(addTool("tbAddPage", "Add New Page", st->standardIcon(QStyle::SP_FileIcon)),
            &QAction::triggered, this, [this] { AddPage(); });
    connect(addTool("tbEditPage", "Edit Page Name",
                    st->standardIcon(QStyle::SP_FileDialogDetailedView)),
            &QAction::triggered, this, [this] { EditPageName(); });
    connect(addTool("tbDeletePage", "Delete Page", st->standardIcon(QStyle::SP_TrashIcon)),
            &QAction::triggered, this, [this] { DeletePage(); });
    pagesLayout->addWidget(FPagesBar);
    FPagesList = new QListWidget(pagesBox);
    FPagesList->setObjectName("PagesList");
    connect(FPagesList, &QListWidget::currentRowChanged, this, [this](int) {
        RebuildPreview();
        UpdatePageButtons();
    });
    pagesLayout->addWidget(FPagesList);
    lists->addWidget(pagesBox, 1);

    auto* bufferBox = new QGroupBox("Exchange Buffer", tab);
    auto* bufferLayout = new QVBoxLayout(bufferBox);
    FBuffer = new QListWidget(bufferBox);
    FBuffer->setObjectName("ExchangeBuffer");
    FBuffer->setItemDelegate(new TBufferDelegate(FBuffer));
    FBuffer->setContextMenuPolicy(Qt::CustomContextMenu);
    FBuffer->viewport()->setAcceptDrops(true);
    FBuffer->viewport()->installEventFilter(this);
    FBufferPopup = new QMenu(this);
    FBufferPopup->setObjectName("ppBuffer");
    connect(FBufferPopup->addAction("Free Exchange Buffer"), &QAction::triggered, this,
            [this] { FreeBuffer(); });
    FBufferPopup->actions().last()->setObjectName("ppFreeBuffer");
    connect(FBufferPopup->addAction("Import Free Elements From TreeView"), &QAction::triggered,
            this, [this] { ImportFree(); });
    FBufferPopup->actions().last()->setObjectName("ppImportFree");
    connect(FBuffer, &QListWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        RunMenu(*FBufferPopup, FBuffer->viewport()->mapToGlobal(p));
    });
    connect(FBuffer, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int i = FBuffer->row(item);
        SelectProcessor(FProject.Pages().FreeView(i));
    });
    bufferLayout->addWidget(FBuffer);
    lists->addWidget(bufferBox, 1);
    layout->addLayout(lists);

    auto* previewBox = new QGroupBox("Screen Preview", tab);
    auto* previewLayout = new QVBoxLayout(previewBox);
    FPreview = new TCanvasContainer(previewBox);
    FPreview->setObjectName("ScreenPreview");
    FPreview->setMinimumSize(297, 210);
    FPreview->Core().SetDragObjects(true);
    FPreview->setAcceptDrops(true);
    FPreview->installEventFilter(this);
    FPreview->OnStartDrag = [this](TCanvasContainer&) { StartBoxDrag(); };
    previewLayout->addWidget(FPreview);
    layout->addWidget(previewBox, 1);
}

QAction* TFTreePrj::PageAction(const QString& name) const {
    for (QAction* a : FPagesBar->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

void TFTreePrj::ReadBounds() {
    int32_t top = 0, width = 900, height = 600, left = 0;
    int32_t treeWidth = 260;
    if (FSettings) {
        FSettings->ReadBounds("TREEPRJ", top, width, height, left);
        treeWidth = FSettings->ReadInteger("TREEPRJ", "TREEWIDTH", treeWidth);
    }
    resize(std::max(width, 300), std::max(height, 200));
    // Centred on the main window (the parent's top level).
    QWidget* anchor = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = anchor ? anchor->geometry()
                              : (QGuiApplication::primaryScreen()
                                     ? QGuiApplication::primaryScreen()->availableGeometry()
                                     : QRect(0, 0, 1280, 1024));
    move(area.center() - rect().center());
    FSplitter->setSizes({std::max(treeWidth, 80), std::max(width - treeWidth, 100)});
}

void TFTreePrj::WriteBounds() {
    if (!FSettings) return;
    const QRect g = geometry();
    FSettings->WriteBounds("TREEPRJ", g.top(), g.left(), g.height(), g.width());
    if (FSplitter && !FSplitter->sizes().isEmpty())
        FSettings->WriteInteger("TREEPRJ", "TREEWIDTH", FSplitter->sizes().first());
}

void TFTreePrj::Message(const std::string& text) {
    Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK);
}

QAction* TFTreePrj::RunMenu(QMenu& menu, const QPoint& pos) {
    return Dialogs().Popup(menu, pos);
}

bool TFTreePrj::AskInput(const std::string& caption, const std::string& prompt, std::string& text) {
    return Dialogs().InputText(caption, prompt, text);
}

void TFTreePrj::closeEvent(QCloseEvent* event) {
    if (!FClosing) {
        CommitPage();
        FClosing = true;
        done(ProjectChanged() ? QDialog::Accepted : QDialog::Rejected);
    }
    event->accept();
}

void TFTreePrj::CloseWindow() {
    CommitPage();
    FClosing = true;
    done(ProjectChanged() ? QDialog::Accepted : QDialog::Rejected);
}

// ---- Tree ----------------------------------------------------------------------------------

void TFTreePrj::BuildTree(const std::string& processorID) {
    FTree->clear();
    QTreeWidgetItem* root = AddSubtree(nullptr, &FProject.Db(), processorID);
    SortTree(root);
    FTree->expandAll();
}

QTreeWidgetItem* TFTreePrj::AddSubtree(QTreeWidgetItem* parentNode, TGVCPU* processor,
                                       const std::string& filterID) {
    auto* node = parentNode ? new QTreeWidgetItem(parentNode) : new QTreeWidgetItem(FTree);
    node->setData(0, RoleProcessor, QVariant::fromValue(reinterpret_cast<quintptr>(processor)));
    node->setFlags(node->flags() | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    StateOf(node, processor);
    for (int i = 0; i < processor->ChildCount(); ++i) {
        TGVCPU* child = processor->Child(i);
        if (!filterID.empty() && !child->FindByID(filterID)) continue;
        AddSubtree(node, child, filterID);
    }
    node->setExpanded(true);
    return node;
}

void TFTreePrj::SortTree(QTreeWidgetItem* node) {
    if (!node) return;
    QList<QTreeWidgetItem*> children = node->takeChildren();
    std::stable_sort(children.begin(), children.end(),
                     [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
                         return !ProcessorOf(a)->IsFinal() && ProcessorOf(b)->IsFinal();
                     });
    node->addChildren(children);
    for (QTreeWidgetItem* c : children) {
        c->setExpanded(true);
        SortTree(c);
    }
    node->setExpanded(true);
}

TGVCPU* TFTreePrj::ProcessorOf(const QTreeWidgetItem* node) const {
    if (!node) return nullptr;
    return reinterpret_cast<TGVCPU*>(node->data(0, RoleProcessor).value<quintptr>());
}

TGVCPU* TFTreePrj::SelectedProcessor() const {
    return ProcessorOf(FTree->currentItem());
}

QTreeWidgetItem* TFTreePrj::NodeOfID(const std::string& id) const {
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it)
        if (TGVCPU* p = ProcessorOf(*it); p && p->ID() == id) return *it;
    return nullptr;
}

void TFTreePrj::SelectProcessor(const TGVCPU* processor) {
    if (!processor) return;
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it)
        if (ProcessorOf(*it) == processor) {
            FTree->setCurrentItem(*it);
            return;
        }
}

void TFTreePrj::StateOf(QTreeWidgetItem* node, TGVCPU* processor) {
    node->setText(0, QString::fromStdString(processor->GetName()));
    const int32_t state = processor->CheckReady();
    node->setData(0, RoleState, state);
    QStyle* st = style();
    node->setIcon(0, state == 1   ? st->standardIcon(QStyle::SP_MessageBoxWarning)
                     : state == 2 ? st->standardIcon(QStyle::SP_MessageBoxInformation)
                                  : QIcon());
}

void TFTreePrj::RefreshNode(QTreeWidgetItem* node) {
    TGVCPU* p = ProcessorOf(node);
    if (!p) return;
    StateOf(node, p);
    FStatus->setText(QString::fromStdString(ReadyStatusText(p->CheckReady())));
}

void TFTreePrj::RefreshAllNodes() {
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it)
        if (TGVCPU* p = ProcessorOf(*it)) StateOf(*it, p);
    if (QTreeWidgetItem* current = FTree->currentItem()) RefreshNode(current);
}

void TFTreePrj::UpdateButtons() {
    const TTreeButtons b = TreeButtons(FToolBar->isEnabled(), SelectedProcessor());
    FInsert->setEnabled(b.Insert);
    FDelete->setEnabled(b.Delete);
    UpdatePageButtons();
}

void TFTreePrj::UpdatePageButtons() {
    const TPageButtons b = PageButtons(SelectedPage(), FProject.Pages().PageCount());
    PageAction("tbPageUp")->setEnabled(b.Up);
    PageAction("tbPageDown")->setEnabled(b.Down);
    PageAction("tbAddPage")->setEnabled(b.Add);
    PageAction("tbEditPage")->setEnabled(b.Edit);
    PageAction("tbDeletePage")->setEnabled(b.Delete);
}

// ---- Parameter page ------------------------------------------------------------------------

void TFTreePrj::CommitPage() {
    if (auto* page = dynamic_cast<IParameterPage*>(FPage)) page->CommitEdits();
}

void TFTreePrj::FreeParameterPage() {
    if (!FPage) return;
    CommitPage();
    FPageHost->removeWidget(FPage);
    delete FPage;
    FPage = nullptr;
}

void TFTreePrj::ShowParameterPage() {
    FreeParameterPage();
    FStatus->setText(" ");
    TGVCPU* p = SelectedProcessor();
    if (!p) {
        FPageTitle->clear();
        return;
    }
    FPageTitle->setText(QString::fromStdString(
        p->IsDatabase() ? std::string(pkDb.KindName) : p->KindName() + " " + p->GetName()));
    TPageContext context;
    context.Project = &FProject;
    context.Settings = FSettings;
    context.RefreshNode = [this, p] {
        QTreeWidgetItemIterator it(FTree);
        for (; *it; ++it)
            if (ProcessorOf(*it) == p) RefreshNode(*it);
    };
    // The location page is built on the "Parameters" tab even while the pages are shown.
    QWidget* active = FTabs->currentWidget();
    FTabs->setCurrentWidget(FParametersTab);
    FPage = TParameterPages::Create(*p, context, FParametersTab);
    FPageHost->addWidget(FPage, 1);
    FTabs->setCurrentWidget(active);
    if (QTreeWidgetItem* node = FTree->currentItem()) RefreshNode(node);
}

// ---- Insert, delete, drops -----------------------------------------------------------------

void TFTreePrj::ShowInsertMenu() {
    for (QAction* a : FInsertMenu->actions()) {
        // Kinds whose class this build does not carry cannot be made.
        const std::string cls = a->objectName().mid(1).prepend("T").toStdString();
        a->setEnabled(TClassRegistry::Instance().IsRegistered(cls));
    }
    RunMenu(*FInsertMenu, QCursor::pos());
}

bool TFTreePrj::InsertProcessor(const TProcessorKind& kind) {
    TGVCPU* selected = SelectedProcessor();
    QTreeWidgetItem* node = FTree->currentItem();
    if (!selected || !node) return false;
    std::unique_ptr<TGVCPU> p = TClassRegistry::Instance().CreateAs<TGVCPU>(kind.ClassName);
    if (!p) return false;
    const std::string refusal = InsertRefusal(*selected, *p);
    if (!refusal.empty()) {
        Message(refusal);
        return false;
    }
    p->SetName(NewProcessorName(FProject.Db(), *p));
    TGVCPU* added = p.get();
    selected->AddChild(std::move(p));
    if (IIDGenerator* g = FProject.IDGenerator()) added->AssignIDs(false, *g);
    AddSubtree(node, added, std::string());
    FProject.Pages().NotifyModified();
    FTree->expandAll();
    // Sorting takes the nodes out and back, which moves the current node to the root: the
    // user goes on with the processor just added.
    SortTree(FTree->topLevelItem(0));
    SelectProcessor(added);
    UpdateButtons();
    return true;
}

void TFTreePrj::DeleteProcessor() {
    TGVCPU* p = SelectedProcessor();
    QTreeWidgetItem* node = FTree->currentItem();
    if (!p || !node || p->IsDatabase()) return;
    FreeParameterPage();
    {
        const QSignalBlocker block(FTree);
        delete node;
    }
    FEditor.DeleteProcessor(p);
    ShowParameterPage();
    UpdateButtons();
    RefreshBuffer();
    RebuildPreview();
}

bool TFTreePrj::CanDropInTree(const TGVCPU* dragged, const TGVCPU* target) const {
    return FMode != tmProcessorParameters && vorelt::CanDropInTree(dragged, target);
}

bool TFTreePrj::DropInTree(TGVCPU* dragged, TGVCPU* target, int choice) {
    if (!CanDropInTree(dragged, target)) return false;
    if (choice == dcCopy && !CanCopyInTree(*dragged)) return false;
    QTreeWidgetItem* targetNode = nullptr;
    QTreeWidgetItem* draggedNode = nullptr;
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it) {
        if (ProcessorOf(*it) == target) targetNode = *it;
        if (ProcessorOf(*it) == dragged) draggedNode = *it;
    }
    if (!targetNode || !draggedNode) return false;
    bool done = false;
    FreeParameterPage();
    if (choice == dcMove) {
        if (dragged->MoveTo(target)) {
            const QSignalBlocker block(FTree);
            draggedNode->parent()->removeChild(draggedNode);
            targetNode->addChild(draggedNode);
            FProject.Pages().NotifyModified();
            FTree->expandAll();
            RefreshNode(draggedNode);
            done = true;
        }
    } else if (choice == dcCopy) {
        IIDGenerator* g = FProject.IDGenerator();
        TGVCPU* copy = g ? CopyInTree(*dragged, *target, FProject.Db(), *g) : nullptr;
        if (copy) {
            const QSignalBlocker block(FTree);
            QTreeWidgetItem* copyNode = AddSubtree(targetNode, copy, std::string());
            FTree->expandAll();
            FProject.Pages().NotifyModified();
            RefreshNode(copyNode);
            done = true;
        }
    }
    SortTree(FTree->topLevelItem(0));
    ShowParameterPage();
    UpdateButtons();
    return done;
}

// ---- Tree popup ----------------------------------------------------------------------------

void TFTreePrj::PrepareTreePopup() {
    const TTreeMenuItems m = TreeMenuItems(SelectedProcessor());
    for (QAction* a : FTreePopup->actions()) {
        const QString n = a->objectName();
        if (n == "ppShowID") a->setEnabled(m.ShowID);
        if (n == "ppClearData") a->setEnabled(m.ClearData);
        if (n == "ppFoundScreenPosition") {
            a->setEnabled(m.FoundScreenPosition);
            a->setVisible(FMode != tmProcessorParameters);
        }
        if (n == "ppGoToProcessor") {
            a->setEnabled(m.GoToProcessor);
            a->setVisible(FMode != tmProcessorParameters);
        }
    }
}

void TFTreePrj::ShowTreePopup(const QPoint& pos) {
    PrepareTreePopup();
    RunMenu(*FTreePopup, pos);
}

void TFTreePrj::ShowID() {
    if (TGVCPU* p = SelectedProcessor()) Message(p->ID());
}

void TFTreePrj::ClearData() {
    TGVCPU* p = SelectedProcessor();
    if (!p) return;
    TAEOMSG msg;
    msg.Msg = omDataChanged;
    msg.Text = p->ID();
    p->Dispatch(msg);
}

void TFTreePrj::FoundScreenPosition() {
    TGVCPU* p = SelectedProcessor();
    if (!p || !p->IsFinal()) return;
    const int page = FEditor.PageOf(p->ID());
    if (page < 0) {
        Message(txtNotFound);
        return;
    }
    FTabs->setCurrentWidget(FPagesTab);
    SelectPage(page);
    RebuildPreview();
    if (TRoShemRectAEVObject* box = BoxOf(p->ID())) FPreview->SelectObject(box);
}

void TFTreePrj::GoToProcessor() {
    TGVCPU* p = SelectedProcessor();
    if (!p || !p->IsFinal()) return;
    const int page = FEditor.PageOf(p->ID());
    if (page < 0) {
        Message(txtNotFound);
        return;
    }
    TAEOMSG msg;
    msg.Msg = omFocusView;
    msg.Text = p->ID();
    msg.WParam = page;
    FProject.Dispatch(msg);
    CloseWindow();
}

// ---- Pages ---------------------------------------------------------------------------------

int TFTreePrj::SelectedPage() const {
    const int row = FPagesList ? FPagesList->currentRow() : -1;
    return row >= 0 && row < FProject.Pages().PageCount() ? row : -1;
}

void TFTreePrj::SelectPage(int page) {
    FPagesList->setCurrentRow(page);
}

void TFTreePrj::RefreshPagesList(int select) {
    {
        const QSignalBlocker block(FPagesList);
        FPagesList->clear();
        for (int i = 0; i < FProject.Pages().PageCount(); ++i)
            FPagesList->addItem(QString::fromStdString(FProject.Pages().Page(i)->Name()));
        FPagesList->setCurrentRow(select);
    }
    RebuildPreview();
    UpdatePageButtons();
}

void TFTreePrj::AddPage() {
    std::string name;
    if (!AskInput("Add Page", "Input Name", name)) return;
    const int i = FEditor.AddPage(name);
    FPreview->Clear();
    RefreshPagesList(i);
}

void TFTreePrj::EditPageName() {
    const int page = SelectedPage();
    if (page < 0) return;
    std::string name = FProject.Pages().Page(page)->Name();
    if (!AskInput("Edit Page", "Input Name", name)) return;
    FEditor.RenamePage(page, name);
    RefreshPagesList(page);
}

void TFTreePrj::DeletePage() {
    const int page = SelectedPage();
    if (page < 0) return;
    FPreview->Clear();
    FEditor.DeletePage(page, [](TGVCPU* p) {
        auto* final = dynamic_cast<TGVFinal*>(p);
        if (auto* view = final ? dynamic_cast<TVisualClass*>(final->GetView()) : nullptr) {
            view->SetVisible(false);
            view->SetParentWindow(nullptr);
        }
    });
    RefreshPagesList(std::min(page, FProject.Pages().PageCount() - 1));
    RefreshAllNodes();
}

void TFTreePrj::MovePage(int delta) {
    const int page = SelectedPage();
    if (page < 0) return;
    RefreshPagesList(FEditor.MovePage(page, delta));
}

TRoShemRectAEVObject* TFTreePrj::BoxOf(const std::string& id) const {
    for (int i = 0;; ++i) {
        TBaseAEVObject* obj = FPreview->GetObject(i);
        if (!obj) return nullptr;
        if (obj->Name() == id) return dynamic_cast<TRoShemRectAEVObject*>(obj);
    }
}

void TFTreePrj::RebuildPreview() {
    if (!FPreview) return;
    FPreview->Clear();
    const int page = SelectedPage();
    TAEPage* p = FProject.Pages().Page(page);
    if (!p) {
        FPreview->update();
        return;
    }
    for (int i = 0; i < p->PlacementCount(); ++i) {
        RecListGVCPU placement;
        p->GetPlacement(i, placement);
        auto box = std::make_unique<TRoShemRectAEVObject>();
        box->SetName(placement.ID);
        box->SetScale(1, 1);
        box->SetMovable(true);
        box->SetResizable(true);
        box->SetBounds(TLogicalPoint{0, 0}, TLogicalPoint{TDispatchDraw::DefaultLogicalWidth,
                                                          TDispatchDraw::DefaultLogicalHeight});
        box->SetRect(placement.TopLeftX, placement.TopLeftY, placement.BottomRightX,
                     placement.BottomRightY);
        box->Brush().SetColor(ToTColor(TooltipColor()));
        TGVCPU* processor = FProject.Db().FindProcessorByID(placement.ID);
        box->SetCaption(processor ? processor->GetName() : placement.ID);
        box->OnChanging = [this](TBaseAEVObject& obj, int32_t kind, int32_t index, long double dx,
                                 long double dy, bool& accept) {
            RecListGVCPU current;
            TLogicalPoint p0, p2;
            obj.GetPoint(0, p0);
            obj.GetPoint(2, p2);
            current.TopLeftX = p0.X;
            current.TopLeftY = p0.Y;
            current.BottomRightX = p2.X;
            current.BottomRightY = p2.Y;
            current.ID = obj.Name();
            accept = FEditor.AcceptProposal(
                SelectedPage(), TPagesEditor::ShiftedPlacement(current, kind, index, dx, dy));
        };
        box->OnEndEdit = [this](TBaseAEVObject& obj) { BoxEndEdit(obj); };
        box->OnSelect = [this](TBaseAEVObject& obj) {
            if (TGVCPU* q = FProject.Db().FindProcessorByID(obj.Name())) SelectProcessor(q);
        };
        FPreview->AddObject(std::move(box));
    }
    FPreview->RedrawObjects();
    FPreview->update();
}

void TFTreePrj::BoxEndEdit(TBaseAEVObject& obj) {
    const int page = SelectedPage();
    TAEPage* p = FProject.Pages().Page(page);
    if (!p) return;
    const int i = p->IndexOfPlacement(obj.Name());
    if (i < 0) return;
    TLogicalPoint p0, p2;
    obj.GetPoint(0, p0);
    obj.GetPoint(2, p2);
    RecListGVCPU corners;
    corners.TopLeftX = std::min(p0.X, p2.X);
    corners.TopLeftY = std::min(p0.Y, p2.Y);
    corners.BottomRightX = std::max(p0.X, p2.X);
    corners.BottomRightY = std::max(p0.Y, p2.Y);
    const RecListGVCPU now = FEditor.EndEdit(page, i, corners);
    if (auto* box = dynamic_cast<TRectAEVObject*>(&obj))
        box->SetRect(now.TopLeftX, now.TopLeftY, now.BottomRightX, now.BottomRightY);
    FPreview->update();
}

// ---- Buffer and drops ----------------------------------------------------------------------

void TFTreePrj::RefreshBuffer() {
    FBuffer->clear();
    for (int i = 0; i < FProject.Pages().FreeCount(); ++i)
        if (TGVCPU* p = FProject.Pages().FreeView(i))
            FBuffer->addItem(QString::fromStdString(p->GetName()));
}

void TFTreePrj::FreeBuffer() {
    FEditor.FreeBuffer();
    RefreshBuffer();
}

void TFTreePrj::ImportFree() {
    FEditor.ImportFree();
    RefreshBuffer();
}

bool TFTreePrj::TreeToBuffer(TGVCPU* processor) {
    if (!FEditor.TreeToBuffer(processor)) return false;
    RefreshBuffer();
    return true;
}

bool TFTreePrj::PreviewToBuffer(int boxIndex) {
    TBaseAEVObject* box = FPreview->GetObject(boxIndex);
    const int page = SelectedPage();
    TAEPage* p = FProject.Pages().Page(page);
    if (!box || !p) return false;
    const std::string id = box->Name();
    TGVCPU* processor = FEditor.PreviewToBuffer(page, p->IndexOfPlacement(id));
    if (!processor) return false;
    RefreshBuffer();
    RebuildPreview();
    if (QTreeWidgetItem* node = NodeOfID(id)) RefreshNode(node);
    return true;
}

bool TFTreePrj::TreeToPreview(TGVCPU* processor, const QPoint& devicePoint) {
    const int page = SelectedPage();
    if (page < 0) return false;
    RecListGVCPU area;
    const int w = FPreview->width();
    const int h = FPreview->height();
    FProject.Pages().DeviceToLogical(devicePoint.x(), devicePoint.y(), w, h, true, true,
                                     area.TopLeftX, area.TopLeftY);
    FProject.Pages().DeviceToLogical(devicePoint.x() + DropSquare, devicePoint.y() + DropSquare, w,
                                     h, true, true, area.BottomRightX, area.BottomRightY);
    const bool placed = FEditor.DropOnPage(processor, page, area);
    RefreshBuffer();
    if (placed) {
        RefreshAllNodes();
        RebuildPreview();
    }
    return placed;
}

bool TFTreePrj::BufferToPreview(const QPoint& devicePoint) {
    const int row = FBuffer->currentRow();
    TGVCPU* p = FProject.Pages().FreeView(row);
    if (!p || SelectedPage() < 0) return false;
    return TreeToPreview(p, devicePoint);
}

// ---- Drag and drop -------------------------------------------------------------------------

void TFTreePrj::StartTreeDrag(QTreeWidgetItem* node) {
    TGVCPU* p = ProcessorOf(node);
    if (!p || p->IsDatabase() || FMode == tmProcessorParameters) return;
    auto* mime = new QMimeData();
    mime->setData(MimeNode, QByteArray::fromStdString(p->ID()));
    auto* drag = new QDrag(FTree);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction | Qt::CopyAction);
}

void TFTreePrj::StartBoxDrag() {
    const int i = FPreview->Core().SelectedIndex();
    if (i < 0) return;
    auto* mime = new QMimeData();
    mime->setData(MimeBox, QByteArray::number(i));
    auto* drag = new QDrag(FPreview);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

bool TFTreePrj::HandleDrop(QObject* target, QEvent* event) {
    auto* de = static_cast<QDropEvent*>(event);
    const QMimeData* mime = de->mimeData();
    TGVCPU* dragged = nullptr;
    if (mime->hasFormat(MimeNode))
        dragged = FProject.Db().FindProcessorByID(mime->data(MimeNode).toStdString());
    const QPoint pos = de->position().toPoint();
    const bool drop = event->type() == QEvent::Drop;
    bool accept = false;
    if (target == FTree->viewport()) {
        TGVCPU* onto = ProcessorOf(FTree->itemAt(pos));
        accept = dragged && CanDropInTree(dragged, onto);
        if (accept && drop) {
            QMenu menu(this);
            QAction* move = menu.addAction("Move");
            move->setObjectName("mMoveVC");
            QAction* copy = menu.addAction("Copy");
            copy->setObjectName("mCopyVC");
            copy->setEnabled(CanCopyInTree(*dragged));
            QAction* chosen = Dialogs().Popup(menu, QCursor::pos());
            DropInTree(dragged, onto, chosen == move ? dcMove : chosen == copy ? dcCopy : dcNone);
        }
    } else if (target == FBuffer->viewport()) {
        if (dragged) {
            accept = dragged->IsFinal() && !dragged->IsDatabase();
            if (accept && drop) TreeToBuffer(dragged);
        } else if (mime->hasFormat(MimeBox)) {
            accept = true;
            if (drop) PreviewToBuffer(mime->data(MimeBox).toInt());
        }
    } else if (target == FPreview) {
        if (dragged) {
            accept = dragged->IsFinal() && !dragged->IsDatabase() && SelectedPage() >= 0;
            if (accept && drop) TreeToPreview(dragged, pos);
        } else if (mime->hasFormat(MimeBuffer)) {
            accept = SelectedPage() >= 0;
            if (accept && drop) BufferToPreview(pos);
        }
    }
    if (accept)
        de->acceptProposedAction();
    else
        de->ignore();
    return true;
}

bool TFTreePrj::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched == FTree->viewport() || watched == FBuffer->viewport() || watched == FPreview)
            return HandleDrop(watched, event);
        break;
    case QEvent::MouseButtonPress:
        if (watched == FTree->viewport() || watched == FBuffer->viewport()) {
            auto* me = static_cast<QMouseEvent*>(event);
            FDragStart = me->position().toPoint();
            FPressed = watched == FTree->viewport() ? FTree->itemAt(FDragStart) : nullptr;
        }
        break;
    case QEvent::MouseMove:
        if (watched == FTree->viewport() || watched == FBuffer->viewport()) {
            auto* me = static_cast<QMouseEvent*>(event);
            if ((me->buttons() & Qt::LeftButton) &&
                (me->position().toPoint() - FDragStart).manhattanLength() >=
                    QApplication::startDragDistance()) {
                if (watched == FTree->viewport() && FPressed) {
                    QTreeWidgetItem* node = FPressed;
                    FPressed = nullptr;
                    StartTreeDrag(node);
                    return true;
                }
                if (watched == FBuffer->viewport() && FBuffer->currentItem()) {
                    auto* mime = new QMimeData();
                    mime->setData(MimeBuffer, QByteArray::number(FBuffer->currentRow()));
                    auto* drag = new QDrag(FBuffer);
                    drag->setMimeData(mime);
                    drag->exec(Qt::MoveAction);
                    return true;
                }
            }
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorelt
