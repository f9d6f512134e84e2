#include "app/TFTestProgram.h"

#include "app/TFSelSection.h"
#include "app/TFTestSettings.h"
#include "app/TParameterPages.h"
#include "app/TPointDialog.h"
#include "drivers/TAEDriverDb.h"
#include "model/TAEFieldIDs.h"
#include "persist/IIDGenerator.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "project/TShowMessage.h"
#include "testprog/TTestGraphMapping.h"
#include "testprog/TTestSection.h"
#include "view2d/IDialogService.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphDb.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/dialogs/testprog/TTestProgramRules.h"
#include "viewmodel/drawables/TTestShapeAEVObject.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char Section[] = "TestGraph";
const char LoadingData[] = "Loading Data...";

QString Number(long double v) {
    return QString::fromStdString(FloatToStr(v));
}

} // namespace

TFTestProgram::TFTestProgram(TProjectAE& project, TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FProject(project), FDb(project.Db()),
      FGraph(dynamic_cast<TGraphDb&>(project.Db().TestGraph())), FSettings(settings) {
    setObjectName("FTestGraph");
    setWindowTitle("Testing Graph");
    resize(900, 700);

    FSplitter = new QSplitter(Qt::Vertical, this);
    FGraphHolder = new QWidget(FSplitter);
    FGraphHolder->setObjectName("pnlTestGraph");
    auto* holderLayout = new QVBoxLayout(FGraphHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);

    auto* lower = new QWidget(FSplitter);
    lower->setObjectName("pnlLower");
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);

    // Sections list with its buttons.
    auto* sections = new QWidget(lower);
    auto* secLayout = new QVBoxLayout(sections);
    secLayout->setContentsMargins(0, 0, 0, 0);
    secLayout->addWidget(new QLabel("  Sections List", sections));
    FSections = new QTreeWidget(sections);
    FSections->setObjectName("lvSections");
    FSections->setRootIsDecorated(false);
    FSections->setHeaderLabels({"Name", "Min Value [S]", "Max Value [S]"});
    secLayout->addWidget(FSections, 1);
    auto* secButtons = new QHBoxLayout();
    const auto button = [this](QBoxLayout* row, const char* name, const char* caption,
                               std::function<void()> run) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [run] { run(); });
        row->addWidget(b);
        return b;
    };
    button(secButtons, "btnSecUp", "Up", [this] { MoveSection(-1); });
    button(secButtons, "btnSecDown", "Down", [this] { MoveSection(1); });
    button(secButtons, "btnSecAdd", "Add", [this] { AddSection(); });
    button(secButtons, "btnSecEdit", "Edit", [this] { EditSection(); });
    button(secButtons, "btnSecDelete", "Delete", [this] { DeleteSection(); });
    secLayout->addLayout(secButtons);
    lowerLayout->addWidget(sections, 1);

    // The pages of the load line.
    FPages = new QTabWidget(lower);
    FPages->setObjectName("pcLine");
    auto* params = new QWidget(FPages);
    auto* paramLayout = new QVBoxLayout(params);
    auto* lineButtons = new QHBoxLayout();
    button(lineButtons, "btnDrawLine", "Draw Test Line", [this] { DrawTestLine(); });
    button(lineButtons, "btnDeleteLine", "Delete Test Line", [this] { DeleteTestLine(); });
    button(lineButtons, "btnColor", "Color", [this] { ChooseColor(); });
    paramLayout->addLayout(lineButtons);
    auto* edits = new QHBoxLayout();
    const auto edit = [&](const char* name, const char* caption) {
        auto* box = new QVBoxLayout();
        box->addWidget(new QLabel(caption, params));
        auto* e = new QLineEdit(params);
        e->setObjectName(name);
        TNumberEdit::Attach(e, LoadLineRule);
        box->addWidget(e);
        edits->addLayout(box);
        return e;
    };
    FMinEdit = edit("edMinP", "Min P,MPa");
    FMaxEdit = edit("edMaxP", "Max P,MPa");
    FWidthEdit = edit("edWidthLine", "Width Line,mm");
    connect(FMinEdit, &QLineEdit::editingFinished, this, [this] { ApplyMin(); });
    connect(FMaxEdit, &QLineEdit::editingFinished, this, [this] { ApplyMax(); });
    connect(FWidthEdit, &QLineEdit::editingFinished, this, [this] { ApplyWidth(); });
    paramLayout->addLayout(edits);
    paramLayout->addStretch(1);
    FPages->addTab(params, "Line Parameters");

    auto* pointsPage = new QWidget(FPages);
    auto* pointsLayout = new QVBoxLayout(pointsPage);
    FPoints = new QTreeWidget(pointsPage);
    FPoints->setObjectName("lvPoints");
    FPoints->setRootIsDecorated(false);
    FPoints->setHeaderLabels({"Point", "Value [S]", "Value [MPa]"});
    pointsLayout->addWidget(FPoints, 1);
    auto* pointButtons = new QHBoxLayout();
    button(pointButtons, "btnPointAdd", "Add", [this] { AddPoint(); });
    button(pointButtons, "btnPointEdit", "Edit", [this] { EditPoint(); });
    button(pointButtons, "btnPointDelete", "Delete", [this] { DeletePoint(); });
    pointsLayout->addLayout(pointButtons);
    FPages->addTab(pointsPage, "Line Points");
    lowerLayout->addWidget(FPages, 1);

    // The information box shown while a line is drawn.
    FInfo = new QLabel(txtDrawLineInfo, this);
    FInfo->setObjectName("lInfoBox");
    FInfo->setWordWrap(true);
    FInfo->setFrameShape(QFrame::Box);
    FInfo->setMargin(6);
    FInfo->hide();

    auto* bottom = new QHBoxLayout();
    bottom->addWidget(FInfo, 1);
    bottom->addStretch(0);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FSplitter, 1);
    layout->addLayout(bottom);

    int lowerHeight = 220;
    if (FSettings) {
        int32_t top = y(), left = x(), w = width(), h = height();
        FSettings->ReadBounds(Section, top, w, h, left);
        if (FSettings->File().SectionExists(Section)) setGeometry(left, top, w, h);
        lowerHeight = FSettings->ReadInteger(Section, "SECHeight", lowerHeight);
    }
    // The lower panel leaves the graph at least 200 pixels.
    lowerHeight = std::max(60, std::min(lowerHeight, height() - 200));
    FSplitter->setSizes({height() - lowerHeight, lowerHeight});

    connect(FSections, &QTreeWidget::currentItemChanged, this, [this] {
        if (FPlacing) return;
        if (TSectionRectAEVObject* r =
                SectionRect(FSections->indexOfTopLevelItem(FSections->currentItem())))
            FGraph.Container()->SelectObject(r);
        UpdateButtons();
    });
    connect(FSections, &QTreeWidget::itemDoubleClicked, this, [this] { EditSection(); });
    connect(FPoints, &QTreeWidget::currentItemChanged, this, [this] {
        if (FLine && !FPlacing) {
            FGraph.Container()->SelectObject(FLine);
            MarkVertex(FPoints->indexOfTopLevelItem(FPoints->currentItem()));
        }
        UpdateButtons();
    });

    // The graph moves into the window for as long as it is open.
    FGraph.SetParentWindow(FGraphHolder);
    holderLayout->addWidget(FGraph.Panel());
    FGraph.SetVisible(true);
    FGraph.SetFocusedView(true);
    FGraph.OnGraphSettings = [this] { GraphSettings(); };
    FGraph.OnReloadData = [this] { ReloadData(); };
    FGraph.OnAppearance = [this] { PlaceAll(); };
    FGraph.OnPopupMenu = [](TVisualClass&, const QPoint& pos, const QList<QAction*>& items) {
        QMenu menu;
        for (QAction* a : items)
            menu.addAction(a);
        Dialogs().Popup(menu, pos);
    };
    Activate();
    RefreshSections();
    RefreshPoints();
    RefreshParameters();
}

TFTestProgram::~TFTestProgram() {
    SaveBounds();
    RemoveAllShapes();
    FGraph.OnGraphSettings = nullptr;
    FGraph.OnReloadData = nullptr;
    FGraph.OnAppearance = nullptr;
    FGraph.OnPopupMenu = nullptr;
    FGraph.SetVisible(false);
    FGraph.SetParentWindow(nullptr);
}

void TFTestProgram::done(int result) {
    SaveBounds();
    QDialog::done(result);
}

void TFTestProgram::SaveBounds() {
    if (!FSettings || FSaved) return;
    FSaved = true;
    const QRect g = geometry();
    FSettings->WriteBounds(Section, g.top(), g.left(), g.height(), g.width());
    const QList<int> sizes = FSplitter->sizes();
    if (sizes.size() == 2) FSettings->WriteInteger(Section, "SECHeight", sizes[1]);
}

QPushButton* TFTestProgram::Button(const char* name) const {
    return findChild<QPushButton*>(name);
}

void TFTestProgram::Modified() {
    FDb.NotifyModified();
}

void TFTestProgram::ShowError(const std::string& text) {
    if (!text.empty()) Dialogs().ShowMessageBox(text, TMsgKind::Error, mbOK);
}

// ---- The graph -------------------------------------------------------------------------------

void TFTestProgram::Activate() {
    if (FGraph.Active()) {
        PlaceAll();
        return;
    }
    TStatusGuard status(FProject.StatusMessage(), LoadingData);
    if (FGraph.ApplyDefaults()) Modified();
    FGraph.SetActive(true);
    PlaceAll();
}

void TFTestProgram::ReloadData() {
    {
        TStatusGuard status(FProject.StatusMessage(), LoadingData);
        FGraph.SetActive(false);
        FGraph.SetActive(true);
    }
    PlaceAll();
}

void TFTestProgram::GraphSettings() {
    TFTestSettings window(FGraph, FSettings, this);
    Dialogs().Run(window);
    PlaceAll();
    RefreshParameters();
}

namespace {

TAxisSpan SpanOf(TGrAixs& axis) {
    TAxisSpan s;
    s.Log = axis.Logarithmic();
    if (!axis.CurrentRange(s.Lo, s.Hi)) s.Lo = s.Hi = 0;
    return s;
}

} // namespace

void TFTestProgram::PlaceAll() {
    if (FPlacing) return;
    FPlacing = true;
    for (int i = 0; i < FDb.TestSections().Count(); ++i)
        PlaceSection(*FDb.TestSections().Get(i));
    PlaceLine();
    FPlacing = false;
    FGraph.Container()->RedrawObjects();
    FGraph.Container()->update();
}

TSectionRectAEVObject* TFTestProgram::SectionRect(int i) const {
    const TTestSection* s = FDb.TestSections().Get(i);
    return s ? dynamic_cast<TSectionRectAEVObject*>(s->Rect()) : nullptr;
}

void TFTestProgram::PlaceSection(TTestSection& section) {
    const std::string axisField = FGraph.BottomAxis().FieldId();
    TAEDriverDb* driver = FDb.Driver();
    const TTimeConvert toAxis = [&](long double from, long double& to) {
        return driver && driver->ConvertTime(fidTimeS, axisField, to, from);
    };
    const TAxisSpan bottom = SpanOf(FGraph.BottomAxis());
    const std::optional<long double> a = SecondsToFraction(section.MinVal(), toAxis, bottom);
    const std::optional<long double> b = SecondsToFraction(section.MaxVal(), toAxis, bottom);
    auto* rect = dynamic_cast<TSectionRectAEVObject*>(section.Rect());
    if (!a || !b || !FGraph.Active()) {
        // Not placed: the rectangle waits for a graph that can show it.
        if (rect) RemoveShape(rect);
        section.SetRect(nullptr);
        return;
    }
    if (rect && rect->State() != osNormal) return; // being moved by the user
    if (!rect) {
        auto made = std::make_unique<TSectionRectAEVObject>();
        rect = made.get();
        rect->SetName("Section");
        rect->SetScale(1, 1);
        rect->SetLineWidth(0.5L);
        rect->SetMoveAxes(maX);
        rect->SetVertexAxes(maX);
        rect->SetBounds({0, 0}, {LogicalWidthUnits - 1.0L, LogicalHeightUnits - 1.0L});
        rect->OnEndEdit = [this](TBaseAEVObject& o) {
            auto* r = static_cast<TSectionRectAEVObject*>(&o);
            QTimer::singleShot(0, this, [this, r] { SectionMoved(*r); });
        };
        rect->OnSelect = [this](TBaseAEVObject& o) {
            SelectSectionRow(static_cast<TSectionRectAEVObject&>(o));
        };
        FGraph.Container()->AddObject(std::move(made));
        section.SetRect(rect);
    }
    const TColorScheme& scheme = ColorScheme(FGraph.ColorSchemeIndex());
    rect->FramePen().SetColor(scheme.Foreground);
    rect->SelectedPen().SetColor(scheme.Alert);
    rect->EditingPen().SetColor(scheme.Highlight);
    const long double w = LogicalWidthUnits;
    rect->SetRect(*a * w, 0, *b * w, LogicalHeightUnits - 1.0L);
}

void TFTestProgram::PlaceLine() {
    TTestGrLine& line = FDb.TestLoadLine();
    if (FDrawing) return;
    const auto& points = line.Points();
    if (points.PointCount() == 0 || !FGraph.Active()) {
        if (FLine) RemoveShape(FLine);
        FLine = nullptr;
        line.SetLine(nullptr);
        return;
    }
    if (FLine && FLine->State() != osNormal) return;
    if (!FLine) {
        auto made = std::make_unique<TLoadLineAEVObject>();
        FLine = made.get();
        FLine->SetName("LoadGr");
        FLine->SetScale(1, 1);
        FLine->SetMovable(false);
        FGraph.Container()->AddObject(std::move(made));
        line.SetLine(FLine);
    }
    FLine->FramePen().SetColor(static_cast<TColor>(line.Color()));
    FLine->SetLineWidth(line.WidthLine());
    const std::string axisField = FGraph.BottomAxis().FieldId();
    TAEDriverDb* driver = FDb.Driver();
    const TTimeConvert toAxis = [&](long double from, long double& to) {
        return driver && driver->ConvertTime(fidTimeS, axisField, to, from);
    };
    const TAxisSpan bottom = SpanOf(FGraph.BottomAxis());
    const TAxisSpan right = SpanOf(FGraph.RightAxis());
    FLine->ClearPoints();
    FVertexOfPoint.clear();
    for (const TGVCoord& c : points.Points()) {
        const std::optional<long double> x = SecondsToFraction(c.X, toAxis, bottom);
        const std::optional<long double> y = ValueToFraction(c.Y, right);
        // A point that cannot be placed has no vertex; the later ones keep theirs.
        FVertexOfPoint.push_back(x && y ? FLine->Points().Count() : -1);
        if (!x || !y) continue;
        FLine->AddPoint(*x * LogicalWidthUnits, (1 - *y) * LogicalHeightUnits);
    }
    if (FPoints) MarkVertex(FPoints->indexOfTopLevelItem(FPoints->currentItem()));
}

void TFTestProgram::MarkVertex(int point) {
    if (!FLine) return;
    TAEVPointList& vertices = FLine->Points();
    const int vertex =
        point >= 0 && point < static_cast<int>(FVertexOfPoint.size()) ? FVertexOfPoint[point] : -1;
    bool changed = false;
    for (int i = 0; i < vertices.Count(); ++i) {
        const bool marked = i == vertex;
        if (vertices.HasFlag(i, pfMarked) == marked) continue;
        vertices.SetFlag(i, pfMarked, marked);
        changed = true;
    }
    if (changed) FGraph.Container()->RedrawObjects();
}

void TFTestProgram::RemoveShape(TBaseAEVObject* object) {
    if (!object) return;
    TCanvasContainer* c = FGraph.Container();
    const int i = c->IndexOfObject(object);
    if (i >= 0) c->DeleteObject(i);
}

void TFTestProgram::RemoveAllShapes() {
    for (int i = 0; i < FDb.TestSections().Count(); ++i) {
        TTestSection* s = FDb.TestSections().Get(i);
        RemoveShape(dynamic_cast<TSectionRectAEVObject*>(s->Rect()));
        s->SetRect(nullptr);
    }
    if (FDrawing) {
        FGraph.Container()->Core().CancelMode();
        RemoveShape(FDrawing);
        FDrawing = nullptr;
    }
    RemoveShape(FLine);
    FLine = nullptr;
    FDb.TestLoadLine().SetLine(nullptr);
}

void TFTestProgram::SectionMoved(TSectionRectAEVObject& rect) {
    TTestSectionList& list = FDb.TestSections();
    int index = -1;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Get(i)->Rect() == &rect) index = i;
    if (index < 0 || rect.Points().Count() < 2) return;
    const std::string axisField = FGraph.BottomAxis().FieldId();
    TAEDriverDb* driver = FDb.Driver();
    const TTimeConvert toSeconds = [&](long double from, long double& to) {
        return driver && driver->ConvertTime(axisField, fidTimeS, to, from);
    };
    const long double w = LogicalWidthUnits;
    if (StoreSectionEdges(*list.Get(index), rect.Points().X(0) / w, rect.Points().X(1) / w,
                          toSeconds, SpanOf(FGraph.BottomAxis()))) {
        Modified();
        RefreshSections();
    }
    PlaceAll();
}

void TFTestProgram::SelectSectionRow(TSectionRectAEVObject& rect) {
    const TTestSectionList& list = FDb.TestSections();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Get(i)->Rect() == &rect) {
            const bool was = FPlacing;
            FPlacing = true;
            FSections->setCurrentItem(FSections->topLevelItem(i));
            FPlacing = was;
        }
}

// ---- Sections ----------------------------------------------------------------------------------

void TFTestProgram::RefreshSections() {
    const int current = FSections->indexOfTopLevelItem(FSections->currentItem());
    const bool was = FPlacing;
    FPlacing = true;
    FSections->clear();
    const TTestSectionList& list = FDb.TestSections();
    for (int i = 0; i < list.Count(); ++i) {
        const TTestSection* s = list.Get(i);
        new QTreeWidgetItem(FSections,
                            {QString::fromStdString(s->Text()), QString::number(s->MinVal()),
                             QString::number(s->MaxVal())});
    }
    if (current >= 0 && current < FSections->topLevelItemCount())
        FSections->setCurrentItem(FSections->topLevelItem(current));
    FPlacing = was;
    UpdateButtons();
}

void TFTestProgram::AddSection() {
    TTestSectionList& list = FDb.TestSections();
    TSectionDialog dialog(list, -1, this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    auto section = std::make_unique<TTestSection>();
    dialog.StoreInto(*section);
    if (IIDGenerator* generator = FProject.IDGenerator()) section->AssignID(false, *generator);
    const int at = list.Add(std::move(section));
    PlaceAll();
    Modified();
    RefreshSections();
    FSections->setCurrentItem(FSections->topLevelItem(at));
}

void TFTestProgram::EditSection() {
    TTestSectionList& list = FDb.TestSections();
    const int i = FSections->indexOfTopLevelItem(FSections->currentItem());
    TTestSection* s = list.Get(i);
    if (!s) return;
    TSectionDialog dialog(list, i, this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    dialog.StoreInto(*s);
    PlaceAll();
    Modified();
    RefreshSections();
}

void TFTestProgram::DeleteSection() {
    TTestSectionList& list = FDb.TestSections();
    const int i = FSections->indexOfTopLevelItem(FSections->currentItem());
    TTestSection* s = list.Get(i);
    if (!s) return;
    RemoveShape(dynamic_cast<TSectionRectAEVObject*>(s->Rect()));
    s->SetRect(nullptr);
    list.Delete(i);
    FGraph.Container()->RedrawObjects();
    FGraph.Container()->update();
    Modified();
    RefreshSections();
}

void TFTestProgram::MoveSection(int delta) {
    TTestSectionList& list = FDb.TestSections();
    const int i = FSections->indexOfTopLevelItem(FSections->currentItem());
    const int j = i + delta;
    if (i < 0 || j < 0 || j >= list.Count()) return;
    list.Exchange(i, j);
    Modified();
    RefreshSections();
    FSections->setCurrentItem(FSections->topLevelItem(j));
}

void TFTestProgram::UpdateButtons() {
    const int n = FSections->topLevelItemCount();
    const int i = FSections->indexOfTopLevelItem(FSections->currentItem());
    Button("btnSecUp")->setEnabled(i > 0);
    Button("btnSecDown")->setEnabled(i >= 0 && i + 1 < n);
    Button("btnSecEdit")->setEnabled(i >= 0);
    Button("btnSecDelete")->setEnabled(i >= 0);
    const bool point = FPoints->currentItem() != nullptr;
    Button("btnPointEdit")->setEnabled(point);
    Button("btnPointDelete")->setEnabled(point);
    Button("btnDeleteLine")->setEnabled(FDb.TestLoadLine().Points().PointCount() > 0);
}

// ---- The load line
// -------------------------------------------------------------------------------

void TFTestProgram::DrawTestLine() {
    if (FDrawing || !FGraph.Active()) return;
    DeleteTestLine();
    std::unique_ptr<TLoadLineAEVObject> line = TLoadLineAEVObject::CreateForDrawing();
    FDrawing = line.get();
    line->SetName("LoadGr");
    line->SetScale(1, 1);
    line->SetMovable(false);
    line->FramePen().SetColor(static_cast<TColor>(FDb.TestLoadLine().Color()));
    line->SetLineWidth(FDb.TestLoadLine().WidthLine());
    line->OnCreated = [this](TBaseAEVObject& o) {
        auto* l = static_cast<TLoadLineAEVObject*>(&o);
        QTimer::singleShot(0, this, [this, l] { LineDrawn(*l); });
    };
    line->OnCancel = [this](TBaseAEVObject&) {
        QTimer::singleShot(0, this, [this] { DrawingOver(); });
    };
    FPages->setEnabled(false);
    FInfo->show();
    FGraph.SetFocusedView(true);
    FGraph.Container()->StartCreate(std::move(line));
    FGraph.Container()->setFocus();
}

void TFTestProgram::DrawingOver() {
    FDrawing = nullptr;
    FInfo->hide();
    FPages->setEnabled(true);
}

void TFTestProgram::LineDrawn(TLoadLineAEVObject& drawn) {
    if (FDrawing != &drawn) return;
    DrawingOver();
    TTestGrLine& line = FDb.TestLoadLine();
    const std::string axisField = FGraph.BottomAxis().FieldId();
    TAEDriverDb* driver = FDb.Driver();
    const TTimeConvert toSeconds = [&](long double from, long double& to) {
        return driver && driver->ConvertTime(axisField, fidTimeS, to, from);
    };
    std::vector<TPlotFraction> vertices;
    for (int i = 0; i < drawn.Points().Count(); ++i)
        vertices.push_back({drawn.Points().X(i) / LogicalWidthUnits,
                            1 - drawn.Points().Y(i) / LogicalHeightUnits});
    RebuildLinePoints(line, vertices, toSeconds, SpanOf(FGraph.BottomAxis()),
                      SpanOf(FGraph.RightAxis()));
    FLine = &drawn;
    line.SetLine(FLine);
    PlaceAll();
    Modified();
    RefreshPoints();
}

void TFTestProgram::DeleteTestLine() {
    RemoveShape(FLine);
    FLine = nullptr;
    TTestGrLine& line = FDb.TestLoadLine();
    line.SetLine(nullptr);
    if (line.Points().PointCount() > 0) {
        line.Points().ClearPoints();
        Modified();
    }
    FGraph.Container()->RedrawObjects();
    FGraph.Container()->update();
    RefreshPoints();
}

void TFTestProgram::ChooseColor() {
    TTestGrLine& line = FDb.TestLoadLine();
    TColor chosen = static_cast<TColor>(line.Color());
    if (!Dialogs().ChooseColor(chosen, chosen)) return;
    line.SetColor(static_cast<int32_t>(chosen));
    PlaceAll();
    Modified();
}

void TFTestProgram::RefreshParameters() {
    const TTestGrLine& line = FDb.TestLoadLine();
    FMinEdit->setText(Number(line.GetMin()));
    FMaxEdit->setText(Number(line.GetMax()));
    FWidthEdit->setText(Number(line.WidthLine()));
}

void TFTestProgram::ApplyMin() {
    TTestGrLine& line = FDb.TestLoadLine();
    const std::string text = Trim(FMinEdit->text().toStdString());
    if (text == FloatToStr(line.GetMin())) return;
    // A text that is no number stays, marked, until the user mends it.
    if (RefusedNumber(FMinEdit)) return;
    long double v = 0;
    TryStrToFloat(text, v);
    if (const std::string refused = CheckLoadMin(line, v); !refused.empty()) {
        ShowError(refused);
    } else {
        line.SetMin(v);
        ReloadData();
        Modified();
    }
    RefreshParameters();
}

void TFTestProgram::ApplyMax() {
    TTestGrLine& line = FDb.TestLoadLine();
    const std::string text = Trim(FMaxEdit->text().toStdString());
    if (text == FloatToStr(line.GetMax())) return;
    // A text that is no number stays, marked, until the user mends it.
    if (RefusedNumber(FMaxEdit)) return;
    long double v = 0;
    TryStrToFloat(text, v);
    if (const std::string refused = CheckLoadMax(line, v); !refused.empty()) {
        ShowError(refused);
    } else {
        line.SetMax(v);
        ReloadData();
        Modified();
    }
    RefreshParameters();
}

void TFTestProgram::ApplyWidth() {
    TTestGrLine& line = FDb.TestLoadLine();
    const std::string text = Trim(FWidthEdit->text().toStdString());
    if (text == FloatToStr(line.WidthLine())) return;
    if (RefusedNumber(FWidthEdit)) return;
    line.SetWidthLine(LineWidthOf(text));
    PlaceAll();
    Modified();
    RefreshParameters();
}

// ---- Line points
// ---------------------------------------------------------------------------------

void TFTestProgram::RefreshPoints() {
    const int current = FPoints->indexOfTopLevelItem(FPoints->currentItem());
    const bool was = FPlacing;
    FPlacing = true;
    FPoints->clear();
    const auto& points = FDb.TestLoadLine().Points();
    for (int i = 0; i < points.PointCount(); ++i) {
        const TGVCoord c = points.GetPoint(i);
        new QTreeWidgetItem(FPoints, {"Point " + QString::number(i + 1), Number(c.X), Number(c.Y)});
    }
    if (current >= 0 && current < FPoints->topLevelItemCount())
        FPoints->setCurrentItem(FPoints->topLevelItem(current));
    FPlacing = was;
    UpdateButtons();
}

namespace {

// The bottom axis' current range in seconds; none when it does not convert.
std::optional<TSecondsRange> AxisSeconds(TGraphDb& graph, TGVDb& db) {
    long double lo = 0, hi = 0;
    TAEDriverDb* driver = db.Driver();
    const std::string field = graph.BottomAxis().FieldId();
    if (!driver || !graph.BottomAxis().CurrentRange(lo, hi)) return std::nullopt;
    TSecondsRange r;
    if (!driver->ConvertTime(field, fidTimeS, r.Min, lo) ||
        !driver->ConvertTime(field, fidTimeS, r.Max, hi))
        return std::nullopt;
    return r;
}

} // namespace

void TFTestProgram::AddPoint() {
    TTestGrLine& line = FDb.TestLoadLine();
    const bool empty = line.Points().PointCount() == 0;
    TPointDialog dialog(empty ? 2 : 1, AxisSeconds(FGraph, FDb), line.GetMin(), line.GetMax(),
                        this);
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    int at = -1;
    for (const TGVCoord& p : dialog.Points())
        at = InsertLinePoint(line, p);
    PlaceAll();
    Modified();
    RefreshPoints();
    if (at >= 0) FPoints->setCurrentItem(FPoints->topLevelItem(at));
}

void TFTestProgram::EditPoint() {
    TTestGrLine& line = FDb.TestLoadLine();
    const int i = FPoints->indexOfTopLevelItem(FPoints->currentItem());
    if (i < 0 || i >= line.Points().PointCount()) return;
    TPointDialog dialog(1, AxisSeconds(FGraph, FDb), line.GetMin(), line.GetMax(), this);
    dialog.setWindowTitle("Edit Point");
    const TGVCoord c = line.Points().GetPoint(i);
    dialog.TimeEdit(0)->setText(Number(c.X));
    dialog.LoadEdit(0)->setText(Number(c.Y));
    if (Dialogs().Run(dialog) != QDialog::Accepted) return;
    const int at = EditLinePoint(line, i, dialog.Points().front());
    PlaceAll();
    Modified();
    RefreshPoints();
    FPoints->setCurrentItem(FPoints->topLevelItem(at));
}

void TFTestProgram::DeletePoint() {
    TTestGrLine& line = FDb.TestLoadLine();
    const int i = FPoints->indexOfTopLevelItem(FPoints->currentItem());
    if (i < 0 || i >= line.Points().PointCount()) return;
    DeleteLinePoint(line, i);
    PlaceAll();
    Modified();
    RefreshPoints();
}

} // namespace vorelt
