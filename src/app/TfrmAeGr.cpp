#include "app/TfrmAeGr.h"

#include "app/TFSeries.h"
#include "model/TAEListFields.h"
#include "model/TFieldPicker.h"
#include "persist/TGVProperty.h"
#include "persist/TTextHelpers.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph/TSeriesGr.h"
#include "view2d/TColourSwatch.h"
#include "view2d/TFieldListBar.h"
#include "view2d/TGraphVC.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"
#include "viewmodel/dialogs/processors/TSeriesEditRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

struct TExtraPage {
    std::string Caption;
    TfrmAeGr::TPanelFactory Factory;
};

std::vector<TExtraPage>& ExtraPages() {
    static std::vector<TExtraPage> pages;
    return pages;
}

std::vector<TfrmAeGr::TPanelFactory>& RecordsPanels() {
    static std::vector<TfrmAeGr::TPanelFactory> panels;
    return panels;
}

QCheckBox* Box(const QString& name, const char* caption, QWidget* parent) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(name);
    return b;
}

const char* AxisPrefix(uint8_t kind) {
    return kind == akBottom ? "Bottom" : kind == akRight ? "Right" : "Left";
}

std::string SeriesLine(const TSeriesGr& s) {
    std::string line = SeriesTypeCaption(s.TypeSeries()) + " - " + ColorCaption(s.Color(), false);
    line += s.Side() == sdRight ? " (Right)" : " (Left)";
    if (!s.Visible()) line += " (Hidden)";
    return line;
}

} // namespace

void TfrmAeGr::RegisterPage(const std::string& caption, TPanelFactory factory) {
    ExtraPages().push_back({caption, std::move(factory)});
}

void TfrmAeGr::RegisterRecordsPanel(TPanelFactory factory) {
    RecordsPanels().push_back(std::move(factory));
}

void TfrmAeGr::ClearRegisteredPanels() {
    ExtraPages().clear();
    RecordsPanels().clear();
}

TfrmAeGr::TfrmAeGr(TGVCPUGr& graph, const TPageContext& context, QWidget* parent)
    : QWidget(parent), FGraph(graph), FContext(context) {
    setObjectName("frmAeGr");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FPages = new QTabWidget(this);
    FPages->setObjectName("pcGraph");
    layout->addWidget(FPages, 1);

    // Axis
    auto* axes = new QWidget(FPages);
    auto* axesBox = new QVBoxLayout(axes);
    axesBox->addWidget(BuildAxisBox(akLeft, "Left Axis", axes));
    axesBox->addWidget(BuildAxisBox(akBottom, "Bottom Axis", axes));
    FRightEnabled = Box("cbEnableRightAixs", "Enable Right Axis", axes);
    connect(FRightEnabled, &QCheckBox::clicked, this, [this](bool on) { SetRightEnabled(on); });
    axesBox->addWidget(FRightEnabled);
    axesBox->addWidget(BuildAxisBox(akRight, "Right Axis", axes));
    axesBox->addStretch(1);
    FPages->addTab(axes, "Axis");

    // Series
    TListPage series = MakeListPage(
        FPages, "lbSeries",
        {{"btnAddSeries", "Add", {}, "ppAddSeries"},
         {"btnEditSeries", "Edit", [this] { EditSeries(FSeriesList->currentRow()); }},
         {"btnUpSeries", "Up", [this] { MoveSeries(FSeriesList->currentRow(), -1); }},
         {"btnDownSeries", "Down", [this] { MoveSeries(FSeriesList->currentRow(), 1); }},
         {"btnDeleteSeries", "Delete", [this] { DeleteSeries(FSeriesList->currentRow()); }}});
    FSeriesList = series.List;
    FAddSeries = series.Buttons[0]->menu();
    for (uint8_t type = stPointPlot; type <= stLinePointToPoint; ++type) {
        QAction* a = FAddSeries->addAction(QString::fromStdString(SeriesTypeCaption(type)));
        a->setObjectName(QString("mSeries_%1").arg(type));
        connect(a, &QAction::triggered, this, [this, type] { AddSeries(type); });
    }
    connect(FSeriesList, &QListWidget::itemDoubleClicked, this,
            [this] { EditSeries(FSeriesList->currentRow()); });
    FPages->addTab(series.Page, "Series");

    // Records
    FRecords = new QWidget(FPages);
    FRecords->setObjectName("tsRecords");
    auto* records = new QVBoxLayout(FRecords);
    FFirstHit = Box("cbFirstHit", "AE First Hit Of Event", FRecords);
    connect(FFirstHit, &QCheckBox::clicked, this, [this](bool on) {
        if (FRefreshing) return;
        FGraph.SetFirstHitOnly(on);
        Changed(true);
    });
    FFirstPointInfo = Box("cbFirstPointInfo", "First Point Info", FRecords);
    connect(FFirstPointInfo, &QCheckBox::clicked, this, [this](bool on) {
        if (FRefreshing) return;
        View().SetFirstPointInfo(on);
        Changed(false);
    });
    records->addWidget(FFirstHit);
    records->addWidget(FFirstPointInfo);
    for (const TPanelFactory& f : RecordsPanels())
        if (QWidget* w = f(FGraph, FRecords)) records->addWidget(w);
    records->addStretch(1);
    FPages->addTab(FRecords, "Records");

    // Info
    TListPage info = MakeListPage(
        FPages, "lbFieldsInfo",
        {{"btnAddInfo", "Add", {}, "ppAddInfo"},
         {"btnUpInfo", "Up", [this] { MoveInfoField(FInfoList->currentRow(), -1); }},
         {"btnDownInfo", "Down", [this] { MoveInfoField(FInfoList->currentRow(), 1); }},
         {"btnDeleteInfo", "Delete", [this] { DeleteInfoField(FInfoList->currentRow()); }}});
    FInfoList = info.List;
    FAddInfo = info.Buttons[0]->menu();
    connect(FAddInfo, &QMenu::aboutToShow, this, [this] { PrepareInfoMenu(); });
    FPages->addTab(info.Page, "Info");

    // Comments
    auto* comments = new QWidget(FPages);
    auto* commentsBox = new QFormLayout(comments);
    FTitle = new QLineEdit(comments);
    FTitle->setObjectName("edTitle");
    connect(FTitle, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });
    commentsBox->addRow("Title", FTitle);
    FPages->addTab(comments, "Comments");

    for (const TExtraPage& p : ExtraPages())
        if (QWidget* w = p.Factory(FGraph, FPages))
            FPages->addTab(w, QString::fromStdString(p.Caption));
    Refresh();
}

TfrmAeGr::~TfrmAeGr() = default;

TGraphVC& TfrmAeGr::View() const {
    return *dynamic_cast<TGraphVC*>(FGraph.GetView());
}

QWidget* TfrmAeGr::BuildAxisBox(uint8_t kind, const char* caption, QWidget* parent) {
    const QString prefix = AxisPrefix(kind);
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName("gb" + prefix + "Aixs");
    TAxisControls& c = FAxes[kind];
    c.Field = new QComboBox(group);
    c.Field->setObjectName("cb" + prefix + "Field");
    c.AutoMin = Box("cb" + prefix + "AutoMin", "Auto Min", group);
    c.AutoMax = Box("cb" + prefix + "AutoMax", "Auto Max", group);
    c.Min = new QLineEdit(group);
    c.Min->setObjectName("ed" + prefix + "Min");
    c.Max = new QLineEdit(group);
    c.Max->setObjectName("ed" + prefix + "Max");
    // The bounds are numbers of the axis field's type.
    for (bool max : {false, true})
        TNumberEdit::Attach(max ? c.Max : c.Min, [this, kind, max] {
            const TAEField* bound = max ? Axis(kind).Max() : Axis(kind).Min();
            return NumberRuleOfType(bound ? bound->DataType() : uint8_t(dtExtended));
        });
    c.Log = Box("cb" + prefix + "Log", "Logarithmic", group);
    c.Legend = new QLineEdit(group);
    c.Legend->setObjectName("ed" + prefix + "Legend");
    auto* form = new QGridLayout(group);
    form->addWidget(new QLabel("Field", group), 0, 0);
    form->addWidget(c.Field, 0, 1, 1, 3);
    form->addWidget(c.AutoMin, 1, 0);
    form->addWidget(c.Min, 1, 1);
    form->addWidget(c.AutoMax, 1, 2);
    form->addWidget(c.Max, 1, 3);
    form->addWidget(c.Log, 2, 0);
    form->addWidget(new QLabel("Legend", group), 2, 1);
    form->addWidget(c.Legend, 2, 2, 1, 2);
    connect(c.Field, &QComboBox::activated, this, [this, kind](int i) {
        SetAxisField(kind, FAxes[kind].Field->itemData(i).toString().toStdString());
    });
    connect(c.AutoMin, &QCheckBox::clicked, this,
            [this, kind](bool on) { SetAutoBound(kind, false, on); });
    connect(c.AutoMax, &QCheckBox::clicked, this,
            [this, kind](bool on) { SetAutoBound(kind, true, on); });
    connect(c.Log, &QCheckBox::clicked, this, [this, kind](bool on) { SetLogarithmic(kind, on); });
    for (QLineEdit* e : {c.Min, c.Max, c.Legend})
        connect(e, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });
    return group;
}

const TfrmAeGr::TAxisControls* TfrmAeGr::Controls(uint8_t kind) const {
    return kind <= akRight ? &FAxes[kind] : nullptr;
}

QComboBox* TfrmAeGr::AxisFieldBox(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->Field : nullptr;
}
QCheckBox* TfrmAeGr::AutoMinBox(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->AutoMin : nullptr;
}
QCheckBox* TfrmAeGr::AutoMaxBox(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->AutoMax : nullptr;
}
QLineEdit* TfrmAeGr::MinEdit(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->Min : nullptr;
}
QLineEdit* TfrmAeGr::MaxEdit(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->Max : nullptr;
}
QCheckBox* TfrmAeGr::LogBox(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->Log : nullptr;
}
QLineEdit* TfrmAeGr::LegendEdit(uint8_t kind) const {
    return Controls(kind) ? Controls(kind)->Legend : nullptr;
}

TGrAixs& TfrmAeGr::Axis(uint8_t kind) const {
    TGraphVC& v = View();
    return kind == akBottom ? v.BottomAxis() : kind == akRight ? v.RightAxis() : v.LeftAxis();
}

void TfrmAeGr::Changed(bool resetData) {
    View().SetModified(resetData);
    View().UpdateAppearance();
    if (OnChanged) OnChanged();
}

void TfrmAeGr::Refresh() {
    FRefreshing = true;
    RefreshAxes();
    RefreshSeries();
    RefreshInfo();
    FFirstHit->setChecked(FGraph.GetFirstHitOnly());
    FFirstPointInfo->setChecked(View().FirstPointInfo());
    FTitle->setText(QString::fromStdString(View().Title()));
    FRefreshing = false;
}

void TfrmAeGr::RefreshAxes() {
    TAEListFields layout;
    FGraph.GetFields(&layout, false);
    FRightEnabled->setChecked(View().RightAxis().Enabled());
    for (uint8_t kind : {akLeft, akBottom, akRight}) {
        TAxisControls& c = FAxes[kind];
        TGrAixs& a = Axis(kind);
        const bool on = a.Enabled();
        c.Field->clear();
        c.Field->addItem("", QString());
        for (int i = 0; i < layout.FieldCount(); ++i) {
            const TAEField* f = layout.FieldAt(i);
            if (!f || !FieldPickerItemEnabled(*f, fpmNumeric, {})) continue;
            c.Field->addItem(
                QString::fromStdString(f->GetDisplayName() + " (" + f->FieldName() + ")"),
                QString::fromStdString(f->ID()));
        }
        c.Field->setCurrentIndex(
            std::max(0, c.Field->findData(QString::fromStdString(a.FieldId()))));
        c.AutoMin->setChecked(a.AutoMin());
        c.AutoMax->setChecked(a.AutoMax());
        c.Min->setText(a.Min() && !a.Min()->IsNull()
                           ? QString::fromStdString(a.Min()->GetAsString())
                           : QString());
        c.Max->setText(a.Max() && !a.Max()->IsNull()
                           ? QString::fromStdString(a.Max()->GetAsString())
                           : QString());
        c.Log->setChecked(a.Logarithmic());
        c.Legend->setText(QString::fromStdString(a.Legend()));
        for (QWidget* w :
             std::initializer_list<QWidget*>{c.Field, c.AutoMin, c.AutoMax, c.Log, c.Legend})
            w->setEnabled(on);
        c.Min->setEnabled(on && a.HasField() && !a.AutoMin());
        c.Max->setEnabled(on && a.HasField() && !a.AutoMax());
    }
}

bool TfrmAeGr::SetAxisField(uint8_t kind, const std::string& id) {
    TGrAixs& a = Axis(kind);
    if (id == a.FieldId()) return true;
    if (id.empty()) {
        a.ClearField();
    } else {
        a.SetFieldId(id);
        if (a.FieldId() != id) {
            RefreshAxes();
            return false;
        }
        // A new field has no fixed bounds yet: its range comes from the data until the user
        // types one.
        if ((!a.Min() || a.Min()->IsNull()) && (!a.Max() || a.Max()->IsNull())) {
            a.SetAutoMin(true);
            a.SetAutoMax(true);
        }
    }
    a.Changed(true);
    RefreshAxes();
    Changed(true);
    return true;
}

void TfrmAeGr::SetAutoBound(uint8_t kind, bool max, bool on) {
    if (FRefreshing) return;
    TGrAixs& a = Axis(kind);
    if (max)
        a.SetAutoMax(on);
    else
        a.SetAutoMin(on);
    a.Changed(true);
    RefreshAxes();
    Changed(true);
}

void TfrmAeGr::SetLogarithmic(uint8_t kind, bool on) {
    if (FRefreshing) return;
    TGrAixs& a = Axis(kind);
    a.SetTypeScale(on ? tsLogarithmic : tsLinear);
    a.Changed(true);
    Changed(true);
}

void TfrmAeGr::SetRightEnabled(bool on) {
    if (FRefreshing) return;
    View().SetEnableRightAixs(on);
    RefreshAxes();
    RefreshSeries();
    Changed(true);
}

bool TfrmAeGr::CommitBound(uint8_t kind, bool max) {
    TGrAixs& a = Axis(kind);
    TAEField* now = max ? a.Max() : a.Min();
    QLineEdit* edit = max ? FAxes[kind].Max : FAxes[kind].Min;
    if (!now || (max ? a.AutoMax() : a.AutoMin())) return false;
    if (RefusedNumber(edit)) return false;
    const std::string text = Trim(edit->text().toStdString());
    if (text.empty() || (!now->IsNull() && text == now->GetAsString())) return false;
    std::unique_ptr<TAEField> value = now->Clone(cmWorking);
    value->SetAsString(text);
    if (value->IsNull()) return false;
    if (max)
        a.SetMax(std::move(value));
    else
        a.SetMin(std::move(value));
    return true;
}

void TfrmAeGr::CommitEdits() {
    if (FRefreshing) return;
    bool changed = false, reset = false;
    for (uint8_t kind : {akLeft, akBottom, akRight}) {
        TGrAixs& a = Axis(kind);
        for (bool max : {false, true})
            if (CommitBound(kind, max)) changed = reset = true;
        const std::string legend = FAxes[kind].Legend->text().toStdString();
        if (legend != a.Legend())
            if (auto* p = a.Properties().FindAs<TGVProperty>("Legend")) {
                p->SetAsString(legend);
                changed = true;
            }
        if (changed) a.Changed(reset);
    }
    const std::string title = Trim(FTitle->text().toStdString());
    if (title != View().Title())
        if (auto* p = View().Properties().FindAs<TGVProperty>("Title")) {
            p->SetAsString(title);
            changed = true;
        }
    if (changed) Changed(reset);
}

// ---- Series ------------------------------------------------------------------------------------

void TfrmAeGr::RefreshSeries() {
    const int row = FSeriesList->currentRow();
    FSeriesList->clear();
    const TSeriesGrList& list = View().Series();
    for (int i = 0; i < list.Count(); ++i)
        FSeriesList->addItem(new QListWidgetItem(ColourSwatch(PaletteColor(list.Get(i)->Color())),
                                                 QString::fromStdString(SeriesLine(*list.Get(i)))));
    if (FSeriesList->count() > 0)
        FSeriesList->setCurrentRow(std::clamp(row, 0, FSeriesList->count() - 1));
}

TSeriesGr* TfrmAeGr::AddSeries(uint8_t type) {
    TGraphVC& v = View();
    TSeriesGr* s = v.AddSeries(type);
    if (!s) return nullptr;
    if (!vorelt::EditSeries(this, *s, SeriesContextOf(v, *s), true)) {
        v.DeleteSeries(v.Series().Count() - 1);
        RefreshSeries();
        return nullptr;
    }
    RefreshSeries();
    FSeriesList->setCurrentRow(FSeriesList->count() - 1);
    Changed(true);
    return s;
}

bool TfrmAeGr::EditSeries(int index) {
    TGraphVC& v = View();
    TSeriesGr* s = v.Series().Get(index);
    if (!s) return false;
    const bool ok = vorelt::EditSeries(this, *s, SeriesContextOf(v, *s), false);
    RefreshSeries();
    if (ok) Changed(true);
    return ok;
}

void TfrmAeGr::DeleteSeries(int index) {
    if (!View().Series().Get(index)) return;
    View().DeleteSeries(index);
    RefreshSeries();
    Changed(true);
}

void TfrmAeGr::MoveSeries(int index, int delta) {
    TSeriesGrList& list = View().Series();
    const int to = index + delta;
    if (index < 0 || index >= list.Count() || to < 0 || to >= list.Count()) return;
    list.Exchange(index, to);
    RefreshSeries();
    FSeriesList->setCurrentRow(to);
    Changed(true);
}

// ---- Info --------------------------------------------------------------------------------------

void TfrmAeGr::RefreshInfo() {
    FInfoList->clear();
    TGVProperties& info = View().FieldsInfo();
    for (int i = 0; i < info.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVStringProperty*>(info.Get(i))) {
            const TAEField* f = FGraph.FindField(p->Value());
            FInfoList->addItem(QString::fromStdString(
                f ? f->FieldName() + "\t" + f->GetDisplayName() : p->Value()));
        }
}

void TfrmAeGr::PrepareInfoMenu() {
    FAddInfo->clear();
    TAEListFields layout;
    FGraph.GetFields(&layout, false);
    std::vector<std::string> shown;
    TGVProperties& info = View().FieldsInfo();
    for (int i = 0; i < info.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVStringProperty*>(info.Get(i)))
            shown.push_back(p->Value());
    FillPickerMenu(*FAddInfo, BuildFieldPickerMenu(layout, fpmAllFields, shown, {}),
                   [this](const TAEField* f) {
                       if (f) AddInfoField(f->ID());
                   });
}

bool TfrmAeGr::AddInfoField(const std::string& id) {
    const TAEField* f = FGraph.FindField(id);
    if (!f) return false;
    TGVProperties& info = View().FieldsInfo();
    for (int i = 0; i < info.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVStringProperty*>(info.Get(i)))
            if (p->Value() == id) return false;
    auto column = std::make_unique<TGVStringProperty>(f->FieldName());
    column->SetAsString(f->ID());
    column->SetAlignment(f->Alignment());
    column->SetDisplayName(f->GetDisplayName());
    column->SetDisplayDimension(f->GetDisplayDimension());
    column->SetDisplayWidth(f->GetDisplayWidth());
    column->SetDisplaySWidth(f->GetDisplaySWidth());
    info.Add(std::move(column));
    RefreshInfo();
    FInfoList->setCurrentRow(FInfoList->count() - 1);
    Changed(false);
    return true;
}

void TfrmAeGr::DeleteInfoField(int index) {
    TGVProperties& info = View().FieldsInfo();
    if (index < 0 || index >= info.Count()) return;
    info.Delete(index);
    RefreshInfo();
    Changed(false);
}

void TfrmAeGr::MoveInfoField(int index, int delta) {
    TGVProperties& info = View().FieldsInfo();
    const int to = index + delta;
    if (index < 0 || index >= info.Count() || to < 0 || to >= info.Count()) return;
    info.Exchange(index, to);
    RefreshInfo();
    FInfoList->setCurrentRow(to);
    Changed(false);
}

} // namespace vorelt
