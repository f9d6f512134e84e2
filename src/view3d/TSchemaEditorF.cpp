#include "view3d/TSchemaEditorF.h"

#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DSchema.h"
#include "view2d/IDialogService.h"
#include "view2d/TNumberEdit.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLModeBar.h"
#include "view3d/TSchemaScene.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

constexpr int ObjectRole = Qt::UserRole + 1;
constexpr char PropProperty[] = "voreltProperty";
constexpr char PropRule[] = "voreltRule";
constexpr int NoRule = -1;

TAEOBJ3D* ObjectOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<TAEOBJ3D*>(item->data(0, ObjectRole).value<quintptr>())
                : nullptr;
}

TGVProperty* PropertyOf(TAEOBJ3D& obj, const std::string& name) {
    return obj.Properties().FindAs<TGVProperty>(name);
}

} // namespace

// The tree of the editor: drops ask "Move" or "Copy" and leave the moving to the editor.
class TSchemaTree : public QTreeWidget {
public:
    TSchemaTree(TSchemaEditorF& editor, QWidget* parent) : QTreeWidget(parent), FEditor(editor) {
        setObjectName("tvSchema");
        setHeaderHidden(true);
        setDragDropMode(QAbstractItemView::InternalMove);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setContextMenuPolicy(Qt::CustomContextMenu);
    }

protected:
    void dropEvent(QDropEvent* e) override {
        TAEOBJ3D* dragged = ObjectOf(currentItem());
        TAEOBJ3D* target = ObjectOf(itemAt(e->position().toPoint()));
        e->setDropAction(Qt::IgnoreAction);
        e->accept();
        if (!dragged || !target || DropPlacement(*dragged, *target) == plNone) return;
        QMenu menu;
        QAction* move = menu.addAction("Move");
        move->setObjectName("mMove");
        QAction* copy = menu.addAction("Copy");
        copy->setObjectName("mCopy");
        QAction* chosen = Dialogs().Popup(menu, QCursor::pos());
        if (chosen) FEditor.Drop(*dragged, *target, chosen == copy);
    }

private:
    TSchemaEditorF& FEditor;
};

TSchemaEditorF::TSchemaEditorF(TAEOBJ3D& schema, QWidget* parent)
    : QDialog(parent), FSchema(schema) {
    setObjectName("SchemaEditorF");
    setWindowTitle(txtEditSchema);
    setModal(true);
    BuildUi();
    // Enter confirms the field being edited; no button of the editor takes it, so that the
    // editor stays open ("Close" closes it).
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    RestoreWindow();
    FTypeView = std::clamp(FSchema.PropertyInt("TypeView"), 0, 2);
    SetLayout(FTypeView);
    RefreshTree();
    Select(&FSchema);
    RebuildScene();
}

TSchemaEditorF::~TSchemaEditorF() = default;

void TSchemaEditorF::BuildUi() {
    auto* layout = new QVBoxLayout(this);
    auto* tools = new QHBoxLayout;
    FAddButton = new QToolButton(this);
    FAddButton->setObjectName("sbAdd");
    FAddButton->setText("Add");
    FAddButton->setPopupMode(QToolButton::InstantPopup);
    QMenu* add = AddMenu();
    FAddButton->setMenu(add);
    connect(add, &QMenu::aboutToShow, this, [this] { AddMenu(); });
    tools->addWidget(FAddButton);
    auto* del = new QToolButton(this);
    del->setObjectName("sbDelete");
    del->setText("Delete");
    connect(del, &QToolButton::clicked, this, [this] { DeleteSelected(); });
    tools->addWidget(del);
    tools->addSpacing(16);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString("sbLayout%1").arg(i + 1));
        b->setText(QString::number(i + 1));
        connect(b, &QToolButton::clicked, this, [this, i] { SetLayout(i); });
        tools->addWidget(b);
    }
    tools->addStretch(1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    tools->addWidget(close);
    layout->addLayout(tools);

    FOuter = new QSplitter(this);
    FInner = new QSplitter(FOuter);
    FTree = new TSchemaTree(*this, FInner);
    connect(FTree, &QTreeWidget::currentItemChanged, this, [this] {
        if (!FFilling) ShowPage();
    });
    connect(FTree, &QTreeWidget::customContextMenuRequested, this, [this] {
        QMenu* menu = TreeMenu();
        menu->exec(QCursor::pos());
        delete menu;
    });

    FPropsPane = new QWidget(FInner);
    auto* pl = new QVBoxLayout(FPropsPane);
    pl->setContentsMargins(0, 0, 0, 0);
    FPages = new QStackedWidget(FPropsPane);
    FPages->setObjectName("pcProperties");
    FPages->addWidget(BuildSchemaPage());
    FPages->addWidget(BuildElementPage());
    FPages->addWidget(BuildBranchPage());
    FPages->addWidget(BuildPAEPage());
    pl->addWidget(FPages);

    FTabs = new QTabWidget(FOuter);
    FTabs->setObjectName("pcScene");
    FScenePane = FTabs;
    auto* scenePage = new QWidget;
    auto* sl = new QVBoxLayout(scenePage);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->setSpacing(0);
    FContainer = new TOGLContainer(scenePage);
    FContainer->SetBorderStyle(1);
    FContainer->SetBackColor(QColor(0, 0, 0));
    FContainer->SetAxisColor(QColor(255, 255, 255));
    FContainer->SetLabelColor(QColor(255, 255, 255));
    FModeBar = new TOGLModeBar(*FContainer, scenePage);
    FModeBar->OnFocusRequest = [this] { FContainer->setFocus(); };
    sl->addWidget(FModeBar);
    sl->addWidget(FContainer, 1);
    FTabs->addTab(scenePage, "Scene 3D");
    FContainer->OnNotify = [this](TOGLContainer&, int32_t) {
        FModeBar->UpdateButtons();
        UpdateStatus();
    };
    FContainer->installEventFilter(this);
    layout->addWidget(FOuter, 1);

    FStatus = new QLabel(this);
    FStatus->setObjectName("lStatus");
    layout->addWidget(FStatus);
    resize(900, 600);
}

QLineEdit* TSchemaEditorF::NewEdit(QWidget* parent, const char* name, const char* property,
                                   std::optional<TSchemaNumber> number) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setProperty(PropProperty, property);
    e->setProperty(PropRule, number ? static_cast<int>(*number) : NoRule);
    // The vertical edit changes between angle and height: the rule is read when it is used.
    if (number)
        TNumberEdit::Attach(e, [e] {
            return SchemaNumberRule(static_cast<TSchemaNumber>(e->property(PropRule).toInt()));
        });
    connect(e, &QLineEdit::editingFinished, this, [this, e] { StoreEdit(e); });
    FEdits.push_back(e);
    return e;
}

QWidget* TSchemaEditorF::BuildSchemaPage() {
    auto* page = new QTabWidget;
    page->setObjectName("pgSchema");
    auto* coords = new QWidget;
    auto* cl = new QVBoxLayout(coords);
    auto* origin = new QGroupBox("Original Coords (m)", coords);
    auto* ol = new QFormLayout(origin);
    ol->addRow("X0", NewEdit(origin, "edX0", "BegCoordX", TSchemaNumber::Length));
    ol->addRow("Y0", NewEdit(origin, "edY0", "BegCoordY", TSchemaNumber::Length));
    ol->addRow("Z0", NewEdit(origin, "edZ0", "BegCoordZ", TSchemaNumber::Length));
    cl->addWidget(origin);
    auto* scale = new QFormLayout;
    scale->addRow("Scale Schema (cm) 1:",
                  NewEdit(coords, "edScale", "Scale", TSchemaNumber::Scale));
    cl->addLayout(scale);
    cl->addStretch(1);
    page->addTab(coords, "Coords");

    auto* comments = new QWidget;
    auto* ml = new QFormLayout(comments);
    QLineEdit* title = NewEdit(comments, "edTitle", "Title", std::nullopt);
    ml->addRow("Title", title);
    FComments = new QPlainTextEdit(comments);
    FComments->setObjectName("mmComments");
    ml->addRow(FComments);
    connect(FComments, &QPlainTextEdit::textChanged, this, [this] {
        if (FFilling) return;
        StoreValue(FSchema, "Comments", FComments->toPlainText().toStdString());
    });
    page->addTab(comments, "Comments");

    auto* picture = new QWidget;
    auto* pl = new QVBoxLayout(picture);
    auto* buttons = new QHBoxLayout;
    auto* open = new QPushButton("Open File", picture);
    open->setObjectName("btnOpenPicture");
    auto* clear = new QPushButton("Clear", picture);
    clear->setObjectName("btnClearPicture");
    buttons->addWidget(open);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    pl->addLayout(buttons);
    FPicture = new QLabel(picture);
    FPicture->setObjectName("imgPicture");
    FPicture->setAlignment(Qt::AlignCenter);
    pl->addWidget(FPicture, 1);
    connect(open, &QPushButton::clicked, this, [this] {
        TFileDialogOptions options;
        options.Title = "Open File";
        options.Filter = "All Files|*.*";
        options.MustExist = true;
        std::string name;
        if (!Dialogs().OpenFile(options, name) || name.empty()) return;
        QFile f(QString::fromStdString(name));
        if (!f.open(QIODevice::ReadOnly)) return;
        const QByteArray bytes = f.readAll();
        if (auto* s = dynamic_cast<TAEOBJ3DSchema*>(&FSchema)) {
            s->SetPicture(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
            FSchema.Changed(true);
            ShowPage();
        }
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        if (auto* s = dynamic_cast<TAEOBJ3DSchema*>(&FSchema); s && !s->Picture().empty()) {
            s->SetPicture(std::string());
            FSchema.Changed(true);
            ShowPage();
        }
    });
    page->addTab(picture, "Picture");
    return page;
}

QWidget* TSchemaEditorF::BuildElementPage() {
    auto* page = new QWidget;
    page->setObjectName("pgElement");
    auto* l = new QFormLayout(page);
    l->addRow("Horizontal Angle (degree) ",
              NewEdit(page, "edAngleXZ", "AngleXZ", TSchemaNumber::Angle));
    l->addRow("Length (m) ", NewEdit(page, "edLength", "Length", TSchemaNumber::Length));
    FByAngle = new QRadioButton("Vertical Angle (degree)", page);
    FByAngle->setObjectName("rbVerticalAngle");
    FByHeight = new QRadioButton("Height (m)", page);
    FByHeight->setObjectName("rbHeight");
    auto* choice = new QHBoxLayout;
    choice->addWidget(FByAngle);
    choice->addWidget(FByHeight);
    l->addRow(choice);
    FVerticalLabel = new QLabel(page);
    FVertical = NewEdit(page, "edVertical", "AngleXY", TSchemaNumber::Angle);
    l->addRow(FVerticalLabel, FVertical);
    auto choose = [this](int typeCoord) {
        if (FFilling) return;
        if (TAEOBJ3D* obj = Selected()) {
            StoreValue(*obj, "TypeCoord", IntToStr(typeCoord));
            ShowPage();
        }
    };
    connect(FByAngle, &QRadioButton::clicked, this, [choose] { choose(0); });
    connect(FByHeight, &QRadioButton::clicked, this, [choose] { choose(1); });
    FIsScale = new QCheckBox("Scale Element (cm)    1:", page);
    FIsScale->setObjectName("cbIsScale");
    QLineEdit* scale = NewEdit(page, "edElementScale", "Scale", TSchemaNumber::Scale);
    l->addRow(FIsScale, scale);
    connect(FIsScale, &QCheckBox::toggled, this, [this](bool on) {
        if (FFilling) return;
        if (TAEOBJ3D* obj = Selected()) StoreValue(*obj, "IsScale", on ? "-1" : "0");
    });
    QLineEdit* title = NewEdit(page, "edTitle", "Title", std::nullopt);
    l->addRow("Title", title);
    return page;
}

QWidget* TSchemaEditorF::BuildBranchPage() {
    auto* page = new QWidget;
    page->setObjectName("pgBranch");
    auto* l = new QFormLayout(page);
    l->addRow("Offset (m)", NewEdit(page, "edOffset", "DeltaLength", TSchemaNumber::Length));
    QLineEdit* title = NewEdit(page, "edTitle", "Title", std::nullopt);
    l->addRow("Title", title);
    return page;
}

QWidget* TSchemaEditorF::BuildPAEPage() {
    auto* page = new QWidget;
    page->setObjectName("pgPAE");
    auto* l = new QFormLayout(page);
    auto* channel = new QPushButton("Channel", page);
    channel->setObjectName("btnChannel");
    FChannelLabel = new QLabel(page);
    FChannelLabel->setObjectName("lChannel");
    l->addRow(channel, FChannelLabel);
    connect(channel, &QPushButton::clicked, this, [this] { OpenChannelDialog(); });
    l->addRow("Offset (m)    ", NewEdit(page, "edOffset", "DeltaLength", TSchemaNumber::Length));
    QLineEdit* title = NewEdit(page, "edTitle", "Title", std::nullopt);
    l->addRow("Title", title);
    return page;
}

// --- Tree -----------------------------------------------------------------------------------

void TSchemaEditorF::AddItems(QTreeWidgetItem* parentItem, TAEOBJ3D& obj) {
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(FTree);
    item->setText(0, QString::fromStdString(obj.GetDisplayText()));
    item->setData(0, ObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(&obj)));
    item->setData(0, Qt::UserRole + 2, obj.ImageIndex());
    item->setData(0, Qt::UserRole + 3, obj.StateIndex());
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (obj.Parent()) flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    for (TAEOBJ3D* child : TreeOrder(obj))
        AddItems(item, *child);
}

void TSchemaEditorF::RefreshTree() {
    TAEOBJ3D* selected = Selected();
    FFilling = true;
    FTree->clear();
    AddItems(nullptr, FSchema);
    FTree->expandAll();
    FFilling = false;
    Select(selected && FSchema.Contains(selected) ? selected : &FSchema);
}

std::vector<TAEOBJ3D*> TSchemaEditorF::TreeObjects() const {
    std::vector<TAEOBJ3D*> out;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        out.push_back(ObjectOf(item));
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    for (int i = 0; i < FTree->topLevelItemCount(); ++i)
        walk(FTree->topLevelItem(i));
    return out;
}

QTreeWidgetItem* TSchemaEditorF::ItemOf(const TAEOBJ3D* obj) const {
    QTreeWidgetItemIterator it(FTree);
    for (; *it; ++it)
        if (ObjectOf(*it) == obj) return *it;
    return nullptr;
}

TAEOBJ3D* TSchemaEditorF::Selected() const {
    return FTree ? ObjectOf(FTree->currentItem()) : nullptr;
}

void TSchemaEditorF::Select(TAEOBJ3D* obj) {
    QTreeWidgetItem* item = ItemOf(obj);
    FTree->setCurrentItem(item);
    ShowPage();
}

QString TSchemaEditorF::PageName() const {
    return FPages->currentWidget() ? FPages->currentWidget()->objectName() : QString();
}

// --- Pages ----------------------------------------------------------------------------------

void TSchemaEditorF::ShowPage() {
    TAEOBJ3D* obj = Selected();
    if (!obj) return;
    int index = 0;
    switch (obj->Kind()) {
    case okHost:
    case okPipe:
        index = 1;
        break;
    case okHostBranch:
        index = 2;
        break;
    case okPAE:
        index = 3;
        break;
    default:
        index = 0;
        break;
    }
    FFilling = true;
    FPages->setCurrentIndex(index);
    QWidget* page = FPages->currentWidget();
    if (index == 1) {
        const bool byHeight = obj->PropertyInt("TypeCoord") == 1;
        FByAngle->setChecked(!byHeight);
        FByHeight->setChecked(byHeight);
        FVerticalLabel->setText(byHeight ? "Height (m)" : "Vertical Angle (degree)");
        FVertical->setProperty(PropProperty, byHeight ? "Height" : "AngleXY");
        FVertical->setProperty(
            PropRule, static_cast<int>(byHeight ? TSchemaNumber::Length : TSchemaNumber::Angle));
        FIsScale->setChecked(obj->PropertyBool("IsScale"));
    }
    if (index == 3)
        FChannelLabel->setText(QString::number(static_cast<const TAEOBJ3DPAEPS*>(obj)->Channel()));
    if (index == 0) {
        FComments->setPlainText(QString::fromStdString(obj->PropertyText("Comments")));
        QPixmap pix;
        if (auto* s = dynamic_cast<const TAEOBJ3DSchema*>(obj); s && !s->Picture().empty())
            pix.loadFromData(reinterpret_cast<const uchar*>(s->Picture().data()),
                             static_cast<uint>(s->Picture().size()));
        FPicture->setPixmap(pix);
    }
    for (QLineEdit* e : FEdits) {
        if (!page->isAncestorOf(e)) continue;
        e->setText(QString::fromStdString(
            obj->PropertyText(e->property(PropProperty).toString().toStdString())));
    }
    FFilling = false;
    UpdateStatus();
}

bool TSchemaEditorF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FContainer &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        UpdateStatus();
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

void TSchemaEditorF::EnterText(const QString& editName, const QString& text) {
    QWidget* page = FPages->currentWidget();
    QLineEdit* edit = nullptr;
    for (QLineEdit* e : FEdits)
        if (e->objectName() == editName && page->isAncestorOf(e)) edit = e;
    if (!edit) return;
    edit->setFocus();
    edit->selectAll();
    edit->del();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
    StoreEdit(edit);
}

void TSchemaEditorF::StoreEdit(QLineEdit* edit) {
    if (FFilling) return;
    TAEOBJ3D* obj = Selected();
    if (!obj) return;
    const std::string property = edit->property(PropProperty).toString().toStdString();
    // A text that is no number stays, marked, and nothing is stored.
    if (TNumberEdit* number = TNumberEdit::Of(edit))
        if (const std::string refusal = number->Check(); !refusal.empty()) {
            Message(refusal);
            return;
        }
    std::string text = Trim(edit->text().toStdString());
    if (edit->property(PropRule).toInt() == static_cast<int>(TSchemaNumber::Scale)) {
        text = ScaleInputText(text);
        edit->setText(QString::fromStdString(text));
    }
    StoreValue(*obj, property, text);
}

void TSchemaEditorF::StoreValue(TAEOBJ3D& obj, const std::string& property,
                                const std::string& text) {
    TGVProperty* p = PropertyOf(obj, property);
    if (!p || Trim(p->GetAsString()) == text) return;
    try {
        p->SetAsString(text);
    } catch (const std::exception&) {
        return;
    }
    ObjectChanged(obj);
}

void TSchemaEditorF::ObjectChanged(TAEOBJ3D& obj) {
    obj.Changed(true);
    if (QTreeWidgetItem* item = ItemOf(&obj))
        item->setText(0, QString::fromStdString(obj.GetDisplayText()));
    RebuildScene();
}

// --- Commands -------------------------------------------------------------------------------

QMenu* TSchemaEditorF::AddMenu() {
    QMenu* menu = FAddButton ? FAddButton->menu() : nullptr;
    if (!menu) {
        menu = new QMenu(this);
        menu->setObjectName("pmAdd");
        for (const TSchemaAddItem& item : SchemaAddItems) {
            QAction* a = menu->addAction(QString("Add ") + item.TypeName);
            a->setObjectName(QString("mAdd") + QString(item.TypeName).remove(' '));
            const TSchemaAddKind kind = item.Kind;
            connect(a, &QAction::triggered, this, [this, kind] { AddObject(kind); });
        }
    }
    const TAEOBJ3D* selected = Selected();
    const bool pipes = FSchema.Kind() == okPipesSchema;
    for (size_t i = 0; i < std::size(SchemaAddItems); ++i)
        menu->actions()[static_cast<int>(i)]->setEnabled(
            pipes && CanAddTo(selected, SchemaAddItems[i].Kind));
    return menu;
}

TAEOBJ3D* TSchemaEditorF::AddObject(TSchemaAddKind kind) {
    TAEOBJ3D* selected = Selected();
    if (!selected) return nullptr;
    TAEOBJ3D* added = AddSchemaObject(*selected, kind);
    if (!added) return nullptr;
    RefreshTree();
    Select(added);
    RebuildScene();
    return added;
}

void TSchemaEditorF::DeleteSelected() {
    TAEOBJ3D* obj = Selected();
    if (!obj || !obj->Parent()) return;
    TAEOBJ3D* parent = obj->Parent();
    obj->Delete();
    parent->Changed(true);
    RefreshTree();
    Select(parent);
    RebuildScene();
}

TAEOBJ3D* TSchemaEditorF::Drop(TAEOBJ3D& dragged, TAEOBJ3D& target, bool copy) {
    TAEOBJ3D* placed = DropSchemaObject(dragged, target, copy);
    if (!placed) return nullptr;
    RefreshTree();
    Select(placed);
    RebuildScene();
    return placed;
}

QMenu* TSchemaEditorF::TreeMenu() {
    auto* menu = new QMenu(this);
    QAction* id = menu->addAction("Show ID");
    id->setObjectName("mShowID");
    connect(id, &QAction::triggered, this, [this] {
        if (TAEOBJ3D* o = Selected()) Message(o->ID());
    });
    QAction* idgl = menu->addAction("Show ID OpenGL");
    idgl->setObjectName("mShowIDGL");
    connect(idgl, &QAction::triggered, this, [this] {
        if (TAEOBJ3D* o = Selected()) Message(IntToStr(o->IDGL()));
    });
    QMenu* fold = menu->addMenu("Collapse/Expand");
    fold->setObjectName("mCollapseExpand");
    const struct {
        const char* Caption;
        const char* Name;
        int What;
    } folds[] = {{"Full Collapse", "mFullCollapse", 0},
                 {"Full Expand", "mFullExpand", 1},
                 {"Collapse", "mCollapse", 2},
                 {"Expand", "mExpand", 3}};
    for (const auto& f : folds) {
        QAction* a = fold->addAction(f.Caption);
        a->setObjectName(f.Name);
        const int what = f.What;
        connect(a, &QAction::triggered, this, [this, what] {
            QTreeWidgetItem* item = FTree->currentItem();
            if (what == 0) FTree->collapseAll();
            if (what == 1) FTree->expandAll();
            if (what == 2 && item) item->setExpanded(false);
            if (what == 3 && item) item->setExpanded(true);
        });
    }
    return menu;
}

bool TSchemaEditorF::SetChannel(const std::string& text, std::string& error) {
    auto* pae = dynamic_cast<TAEOBJ3DPAEPS*>(Selected());
    if (!pae) return false;
    int32_t channel = 0;
    if (!CheckChannelInput(FSchema, pae, text, channel, error)) return false;
    if (channel != pae->Channel()) {
        pae->SetChannel(channel);
        ObjectChanged(*pae);
    }
    FChannelLabel->setText(QString::number(channel));
    return true;
}

void TSchemaEditorF::OpenChannelDialog() {
    auto* pae = dynamic_cast<TAEOBJ3DPAEPS*>(Selected());
    if (!pae) return;
    QDialog dialog(this);
    dialog.setWindowTitle("Input Channel");
    auto* l = new QVBoxLayout(&dialog);
    auto* others = new QTreeWidget(&dialog);
    others->setObjectName("lvChannels");
    others->setHeaderLabels({"Channel", "Element"});
    others->setRootIsDecorated(false);
    for (const auto& [chan, obj] : OtherSensors(FSchema, pae)) {
        auto* item = new QTreeWidgetItem(others);
        item->setText(0, QString::number(chan));
        item->setText(1, QString::fromStdString(obj->GetDisplayText()));
    }
    l->addWidget(others);
    auto* edit = new QLineEdit(QString::number(pae->Channel()), &dialog);
    edit->setObjectName("edChannel");
    // Empty means channel 0.
    TNumberEdit::Attach(edit, TNumberRule{TNumberKind::Count, true});
    l->addWidget(edit);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    l->addWidget(box);
    connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(box, &QDialogButtonBox::accepted, &dialog, [this, &dialog, edit] {
        std::string error;
        if (SetChannel(edit->text().toStdString(), error)) {
            dialog.accept();
        } else {
            TNumberEdit::CheckAll({edit});
            Message(error);
        }
    });
    Dialogs().Run(dialog);
}

// --- Layout, scene, status ------------------------------------------------------------------

void TSchemaEditorF::SetLayout(int32_t typeView) {
    // Remember the tree's size of the layout that is left.
    auto store = [this](const char* name, int value) {
        if (TGVProperty* p = PropertyOf(FSchema, name)) p->SetAsInteger(value);
    };
    if (isVisible()) {
        store(("HeightTree_" + std::to_string(FTypeView)).c_str(), FTree->height());
        store(("WidthTree_" + std::to_string(FTypeView)).c_str(), FTree->width());
    }
    FTypeView = std::clamp(typeView, 0, 2);
    if (FTypeView == 0) {
        FOuter->setOrientation(Qt::Horizontal);
        FInner->setOrientation(Qt::Vertical);
        FOuter->insertWidget(0, FTree);
        FOuter->insertWidget(1, FInner);
        FInner->insertWidget(0, FPropsPane);
        FInner->insertWidget(1, FScenePane);
    } else if (FTypeView == 1) {
        FOuter->setOrientation(Qt::Horizontal);
        FInner->setOrientation(Qt::Vertical);
        FOuter->insertWidget(0, FInner);
        FOuter->insertWidget(1, FScenePane);
        FInner->insertWidget(0, FTree);
        FInner->insertWidget(1, FPropsPane);
    } else {
        FOuter->setOrientation(Qt::Vertical);
        FInner->setOrientation(Qt::Horizontal);
        FOuter->insertWidget(0, FInner);
        FOuter->insertWidget(1, FScenePane);
        FInner->insertWidget(0, FTree);
        FInner->insertWidget(1, FPropsPane);
    }
    if (TGVProperty* p = PropertyOf(FSchema, "TypeView")) p->SetAsInteger(FTypeView);
    // The scene takes the room the tree and the page leave; a tree size kept for the layout
    // is restored.
    const int treeW = FSchema.PropertyInt("WidthTree_" + std::to_string(FTypeView));
    const int treeH = FSchema.PropertyInt("HeightTree_" + std::to_string(FTypeView));
    const int w = std::max(width(), 600);
    const int h = std::max(height(), 400);
    if (FTypeView == 0) {
        FOuter->setSizes({treeW > 0 ? treeW : w / 4, w - (treeW > 0 ? treeW : w / 4)});
        FInner->setSizes({h / 3, h - h / 3});
    } else if (FTypeView == 1) {
        FOuter->setSizes({w / 3, w - w / 3});
        FInner->setSizes({treeH > 0 ? treeH : h / 2, h - (treeH > 0 ? treeH : h / 2)});
    } else {
        FOuter->setSizes({h / 3, h - h / 3});
        FInner->setSizes({treeW > 0 ? treeW : w / 3, w - (treeW > 0 ? treeW : w / 3)});
    }
}

void TSchemaEditorF::RebuildScene() {
    FTransientStatus = "Repaint Scene";
    UpdateStatus();
    FContainer->ClearVisuals();
    BuildSchemaScene(*FContainer, &FSchema);
    FTransientStatus.clear();
    UpdateStatus();
}

QString TSchemaEditorF::StatusText() const {
    return FStatus->text();
}

void TSchemaEditorF::UpdateStatus() {
    if (!FStatus) return;
    if (!FTransientStatus.isEmpty()) {
        FStatus->setText(FTransientStatus);
        return;
    }
    QString text = FContainer->hasFocus() ? "Activate" : "Deactivate";
    if (FContainer->Core().Mode() != cmWait && FContainer->Core().Mode() != cmTyping)
        text = QString::fromStdString(FContainer->ModeText()) + " --> " + text;
    FStatus->setText(text);
}

void TSchemaEditorF::Message(const std::string& text, const std::string& caption) {
    Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK, caption);
}

void TSchemaEditorF::RestoreWindow() {
    const int32_t top = FSchema.PropertyInt("WndTop");
    const int32_t left = FSchema.PropertyInt("WndLeft");
    const int32_t w = FSchema.PropertyInt("WndWidth");
    const int32_t h = FSchema.PropertyInt("WndHeight");
    if (w > 0 && h > 0) resize(w, h);
    if (top >= 0 && left >= 0) move(left, top);
}

void TSchemaEditorF::StoreWindow() {
    const QRect g = geometry();
    const std::pair<const char*, int> values[] = {{"WndTop", g.top()},
                                                  {"WndLeft", g.left()},
                                                  {"WndWidth", g.width()},
                                                  {"WndHeight", g.height()}};
    bool changed = false;
    for (const auto& [name, value] : values)
        if (TGVProperty* p = PropertyOf(FSchema, name); p && p->GetAsInteger() != value) {
            p->SetAsInteger(value);
            changed = true;
        }
    if (changed) FSchema.Changed(true);
}

void TSchemaEditorF::done(int r) {
    StoreWindow();
    QDialog::done(r);
}

} // namespace vorelt
