#include "app/TFProjectOptions.h"

#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "project/TProjectAE.h"
#include "view2d/IDialogService.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphic.h"
#include "view2d/TNumberEdit.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char* const KDefaults[TZIPParameters::KRowCount] = {"Not applicable", "0", "N-15", "N*0.8",
                                                          "N-200"};

QString Number(long double v) {
    return QString::fromStdString(FloatToStr(v));
}

} // namespace

// ---- Coordinate dialog ---------------------------------------------------------------------

TCoordDialog::TCoordDialog(bool editing, const TGVCoord& point, QWidget* parent)
    : QDialog(parent), FPoint(point) {
    setObjectName("CoordDialog");
    setWindowTitle(editing ? "Edit Coord Zone Zip" : "Add Coord Zone Zip");
    auto* form = new QFormLayout(this);
    FX = new QLineEdit(editing ? Number(point.X) : QString(), this);
    FX->setObjectName("edCoordX");
    FY = new QLineEdit(editing ? Number(point.Y) : QString(), this);
    FY->setObjectName("edCoordY");
    // An empty coordinate is refused with "Empty Coord" below.
    TNumberEdit::Attach(FX, TNumberRule{TNumberKind::Decimal, true});
    TNumberEdit::Attach(FY, TNumberRule{TNumberKind::Decimal, true});
    form->addRow("Coord X", FX);
    form->addRow("Coord Y", FY);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (TryAccept()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool TCoordDialog::TryAccept() {
    std::string error = TNumberEdit::CheckAll({FX, FY});
    if (error.empty())
        error = TProjectOptionsEdit::ReadCoord(FX->text().toStdString(), FY->text().toStdString(),
                                               FPoint);
    if (error.empty()) return true;
    Dialogs().ShowMessageBox(error, TMsgKind::Information, mbOK);
    return false;
}

// ---- Dialog --------------------------------------------------------------------------------

TFProjectOptions::TFProjectOptions(TProjectAE& project, QWidget* parent)
    : QDialog(parent), FProject(project), FEdit(project) {
    setObjectName("FProjectOptions");
    setWindowTitle("Project Options");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout();
    FScheme = new QComboBox(this);
    FScheme->setObjectName("cbColorBackGraph");
    FScheme->addItems({"Dark", "Light"});
    FScheme->setCurrentIndex(FEdit.ColorBackGraph);
    top->addRow("Graph Background", FScheme);
    FSeverity = new QLineEdit(QString::fromStdString(FEdit.SeverityText), this);
    FSeverity->setObjectName("edSeverity");
    TNumberEdit::Attach(FSeverity, TNumberRule{TNumberKind::Count});
    top->addRow("ZIP Severity", FSeverity);
    FPicker = new QComboBox(this);
    FPicker->setObjectName("cbArrivalPicker");
    for (int p = 0; p < ArrivalPickerCount; ++p)
        FPicker->addItem(TWaveformOptions::PickerName(static_cast<TArrivalPicker>(p)));
    FPicker->setCurrentIndex(FEdit.Picker);
    top->addRow("Arrival Time Picker", FPicker);
    auto* bands = new QHBoxLayout();
    for (size_t i = 0; i < FBands.size(); ++i) {
        FBands[i] = new QLineEdit(QString::fromStdString(FEdit.BandTexts[i]), this);
        FBands[i]->setObjectName(QString("edBand%1").arg(i));
        TNumberEdit::Attach(FBands[i], TNumberRule{TNumberKind::Decimal});
        bands->addWidget(FBands[i]);
    }
    top->addRow("Partial Power Bands (kHz)", bands);
    layout->addLayout(top);

    FK = new QTableWidget(3, TZIPParameters::KRowCount, this);
    FK->setObjectName("sgK");
    FK->setVerticalHeaderLabels({"N", "K(Default)", "K"});
    FK->horizontalHeader()->hide();
    for (int c = 0; c < TZIPParameters::KRowCount; ++c) {
        auto* label = new QTableWidgetItem(TZIPParameters::KRowLabel(c));
        label->setFlags(label->flags() & ~Qt::ItemIsEditable);
        FK->setItem(0, c, label);
        auto* def = new QTableWidgetItem(KDefaults[c]);
        def->setFlags(def->flags() & ~Qt::ItemIsEditable);
        FK->setItem(1, c, def);
        FK->setItem(2, c, new QTableWidgetItem(QString::fromStdString(FEdit.KTexts[size_t(c)])));
    }
    FK->setMaximumHeight(120);
    layout->addWidget(FK);

    auto* zoneRow = new QHBoxLayout();
    auto* graph = new QFrame(this);
    graph->setObjectName("ZoneGraph");
    graph->setFrameShape(QFrame::StyledPanel);
    // Tall enough for the severity axis to carry several numbers.
    graph->setMinimumSize(260, 340);
    auto* graphLayout = new QVBoxLayout(graph);
    graphLayout->addWidget(new QLabel("Severity vs Historic Index", graph), 0, Qt::AlignHCenter);
    FDiagram = new TGraphic(graph);
    FDiagram->setMinimumSize(240, 300);
    auto axis = [](TAixs& a, const char* legend, long double lo, long double hi) {
        TGraphic::SetRange(a, lo, hi);
        if (auto* p = a.Properties().FindAs<TGVProperty>("Legend")) p->SetAsString(legend);
    };
    // The grid of the classification: linear on both axes.
    axis(FDiagram->BottomAxis(), "Historic Index", TZIPParameters::HistoricIndexMin,
         TZIPParameters::HistoricIndexMax);
    axis(FDiagram->LeftAxis(), "Severity", TZIPParameters::SeverityMin,
         TZIPParameters::SeverityMax);
    FDiagram->OnClear = [this](TGraphic& g) {
        for (TPolyLineAEVObject* p : FZoneLines) {
            const int i = g.Container()->IndexOfObject(p);
            if (i >= 0) g.Container()->DeleteObject(i);
        }
        FZoneLines.clear();
    };
    FDiagram->OnFill = [this](TGraphic&) { FillDiagram(); };
    FDiagram->OnTransform = [this](TGraphic&, const TViewTransform& t) {
        for (TPolyLineAEVObject* p : FZoneLines)
            for (int k = 0; k < p->Points().Count(); ++k)
                p->TransformPoint(k, t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
        FDiagram->Container()->RedrawObjects();
    };
    graphLayout->addWidget(FDiagram, 1);
    FGraph = graph;
    zoneRow->addWidget(graph, 1);
    auto* zoneSide = new QVBoxLayout();
    auto* bar = new QHBoxLayout();
    auto tool = [this, bar](const char* name, const char* caption, std::function<void()> run) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, run);
        bar->addWidget(b);
    };
    tool("btAdd", "Add", [this] { AddPoint(); });
    tool("btEdit", "Edit", [this] { EditPoint(); });
    tool("btDelete", "Delete", [this] { DeletePoint(); });
    tool("btUp", "Up", [this] { MovePoint(-1); });
    tool("btDown", "Down", [this] { MovePoint(1); });
    tool("btSetDefault", "Set Default", [this] { SetDefault(); });
    zoneSide->addLayout(bar);
    FZones = new QTabWidget(this);
    FZones->setObjectName("tcZones");
    for (int z = 0; z < TZIPParameters::ZoneCount; ++z) {
        auto* list = new QTreeWidget(FZones);
        list->setColumnCount(2);
        list->setHeaderLabels({"Coord X", "Coord Y"});
        list->setRootIsDecorated(false);
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { EditPoint(); });
        FLists.push_back(list);
        FZones->addTab(list, TZIPParameters::ZoneName(z));
        RefreshZone(z);
    }
    connect(FZones, &QTabWidget::currentChanged, this, [this] { FDiagram->SetActive(true); });
    zoneSide->addWidget(FZones, 1);
    zoneRow->addLayout(zoneSide, 1);
    layout->addLayout(zoneRow, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QTreeWidget* TFProjectOptions::PointList(int zone) const {
    return zone >= 0 && zone < static_cast<int>(FLists.size()) ? FLists[size_t(zone)] : nullptr;
}

int TFProjectOptions::CurrentZone() const {
    return FZones->currentIndex();
}

void TFProjectOptions::FillDiagram() {
    const int current = FZones ? CurrentZone() : -1;
    for (int z = 0; z < TZIPParameters::ZoneCount; ++z) {
        auto p = std::make_unique<TPolyLineAEVObject>();
        p->SetMovable(false);
        p->SetResizable(false);
        p->SetEnabled(false);
        p->FramePen().SetColor(PaletteColor(z));
        // The zone being edited stands out.
        p->SetLineWidth(z == current ? 0.6L : 0.2L);
        TAixs& b = FDiagram->BottomAxis();
        TAixs& l = FDiagram->LeftAxis();
        long double bLo = 0, bHi = 0, lLo = 0, lHi = 0;
        b.CurrentRange(bLo, bHi);
        l.CurrentRange(lLo, lHi);
        for (const TGVCoord& c : FEdit.Zone(z))
            p->AddValue(l.Normalize(c.Y - lLo), b.Normalize(c.X - bLo));
        FZoneLines.push_back(p.get());
        FDiagram->Container()->AddObject(std::move(p));
    }
}

int TFProjectOptions::CurrentPoint() const {
    QTreeWidget* list = PointList(CurrentZone());
    return list && list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
}

void TFProjectOptions::RefreshZone(int zone) {
    QTreeWidget* list = PointList(zone);
    if (!list) return;
    const int row = list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
    list->clear();
    for (const TGVCoord& p : FEdit.Zone(zone))
        new QTreeWidgetItem(list, {Number(p.X), Number(p.Y)});
    if (row >= 0 && row < list->topLevelItemCount()) list->setCurrentItem(list->topLevelItem(row));
    if (FDiagram) FDiagram->SetActive(true);
}

bool TFProjectOptions::RunDialog(TCoordDialog& d) {
    return Dialogs().Run(d) == QDialog::Accepted;
}

void TFProjectOptions::AddPoint() {
    TCoordDialog d(false, TGVCoord{}, this);
    if (!RunDialog(d)) return;
    FEdit.AddPoint(CurrentZone(), d.Point());
    RefreshZone(CurrentZone());
}

void TFProjectOptions::EditPoint() {
    const int i = CurrentPoint();
    if (i < 0) return;
    TCoordDialog d(true, FEdit.Zone(CurrentZone())[size_t(i)], this);
    if (!RunDialog(d)) return;
    FEdit.EditPoint(CurrentZone(), i, d.Point());
    RefreshZone(CurrentZone());
}

void TFProjectOptions::DeletePoint() {
    if (FEdit.DeletePoint(CurrentZone(), CurrentPoint())) RefreshZone(CurrentZone());
}

void TFProjectOptions::MovePoint(int delta) {
    const int i = CurrentPoint();
    if (!FEdit.MovePoint(CurrentZone(), i, delta)) return;
    RefreshZone(CurrentZone());
    PointList(CurrentZone())->setCurrentItem(PointList(CurrentZone())->topLevelItem(i + delta));
}

void TFProjectOptions::SetDefault() {
    FEdit.SetDefaultZone(CurrentZone());
    RefreshZone(CurrentZone());
}

void TFProjectOptions::Accept() {
    if (const std::string refusal = TNumberEdit::CheckAll({FSeverity}); !refusal.empty()) {
        Dialogs().ShowMessageBox(refusal, TMsgKind::Error, mbOK);
        return;
    }
    FEdit.ColorBackGraph = static_cast<uint8_t>(std::max(0, FScheme->currentIndex()));
    FEdit.SeverityText = FSeverity->text().toStdString();
    for (int c = 0; c < TZIPParameters::KRowCount; ++c)
        if (QTableWidgetItem* item = FK->item(2, c))
            FEdit.KTexts[size_t(c)] = item->text().toStdString();
    FEdit.Picker = std::max(0, FPicker->currentIndex());
    for (size_t i = 0; i < FBands.size(); ++i)
        FEdit.BandTexts[i] = FBands[i]->text().toStdString();
    if (const std::string refusal = FEdit.Check(); !refusal.empty()) {
        Dialogs().ShowMessageBox(refusal, TMsgKind::Error, mbOK);
        return;
    }
    FEdit.Apply();
    accept();
}

} // namespace vorelt
