#include "app/TFTestSettings.h"

#include "app/TFSeries.h"
#include "app/TParameterPages.h"
#include "model/TAEListFields.h"
#include "model/TFieldPicker.h"
#include "persist/TGVProperty.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "project/TIniApplic.h"
#include "view2d/IDialogService.h"
#include "view2d/TGraphDb.h"
#include "view2d/TNumberEdit.h"
#include "view2d/TPickerMenu.h"
#include "viewmodel/dialogs/testprog/TTestSettingsRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vorelt {

namespace {

const char Section[] = "TESTSETTINGS";

const char* TypeName(uint8_t type) {
    switch (type) {
    case stLineGraph:
        return "Line Graph";
    case stHistigram:
        return "Histogram";
    case stLinePointToPoint:
        return "Line Point to Point";
    default:
        return "Point Plot";
    }
}

// Alignment codes of the three legend buttons: left, centre, right.
constexpr uint8_t LegendCodes[3] = {0, 2, 1};

void SetEnabledLook(QLineEdit* e, bool on) {
    e->setEnabled(on);
    e->setBackgroundRole(on ? QPalette::Base : QPalette::Button);
    e->setAutoFillBackground(true);
}

} // namespace

TFTestSettings::TFTestSettings(TGraphDb& graph, TIniApplic* settings, QWidget* parent)
    : QDialog(parent), FGraph(graph), FSettings(settings) {
    setObjectName("FTestSettings");
    setWindowTitle("Graph Settings");
    resize(720, 560);
    FGroups[0].Axis = &graph.LeftAxis();
    FGroups[1].Axis = &graph.RightAxis();
    FGroups[2].Axis = &graph.BottomAxis();

    FPages = new QTabWidget(this);
    FPages->setObjectName("pcSettings");
    auto* axes = new QWidget(FPages);
    auto* axesLayout = new QVBoxLayout(axes);
    BuildGroup(0, " Left Axis ", axes);
    BuildGroup(1, " Right Axis ", axes);
    BuildGroup(2, " Bottom Axis ", axes);
    FEnableRight = new QCheckBox("Enable Right Axis", axes);
    FEnableRight->setObjectName("cbEnableRightAixs");
    connect(FEnableRight, &QCheckBox::toggled, this, [this](bool on) {
        if (!FRefreshing) SetEnableRight(on);
    });
    axesLayout->addWidget(FGroups[0].Box);
    axesLayout->addWidget(FEnableRight);
    axesLayout->addWidget(FGroups[1].Box);
    axesLayout->addWidget(FGroups[2].Box);
    axesLayout->addStretch(1);
    FPages->addTab(axes, "Axis");

    auto* series = new QWidget(FPages);
    auto* seriesLayout = new QVBoxLayout(series);
    FSeries = new QTreeWidget(series);
    FSeries->setObjectName("lvSeries");
    FSeries->setRootIsDecorated(false);
    FSeries->setHeaderLabels({"Series", "Type", "Side"});
    connect(FSeries, &QTreeWidget::currentItemChanged, this, [this] { RefreshSeries(); });
    connect(FSeries, &QTreeWidget::itemDoubleClicked, this, [this] { EditSeries(); });
    seriesLayout->addWidget(FSeries, 1);
    auto* buttons = new QHBoxLayout();
    const auto button = [&](const char* name, const char* caption, std::function<void()> run) {
        auto* b = new QPushButton(caption, series);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [run] { run(); });
        buttons->addWidget(b);
        return b;
    };
    button("btnSeriesUp", "Up", [this] { MoveSeries(-1); });
    button("btnSeriesDown", "Down", [this] { MoveSeries(1); });
    QPushButton* add = button("btnSeriesAdd", "Add", [] {});
    auto* types = new QMenu(add);
    types->setObjectName("ppSeriesTypes");
    for (uint8_t t : {stPointPlot, stLineGraph, stHistigram, stLinePointToPoint})
        connect(types->addAction(TypeName(t)), &QAction::triggered, this,
                [this, t] { AddSeries(t); });
    add->setMenu(types);
    button("btnSeriesEdit", "Edit", [this] { EditSeries(); });
    button("btnSeriesDelete", "Delete", [this] { DeleteSeries(); });
    seriesLayout->addLayout(buttons);
    FPages->addTab(series, "Series");

    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FPages, 1);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    if (FSettings && FSettings->File().SectionExists(Section)) {
        int32_t top = y(), left = x(), w = width(), h = height();
        FSettings->ReadBounds(Section, top, w, h, left);
        setGeometry(left, top, w, h);
    }
    Refresh();
}

TFTestSettings::~TFTestSettings() {
    if (!FSettings) return;
    const QRect g = geometry();
    FSettings->WriteBounds(Section, g.top(), g.left(), g.height(), g.width());
}

QPushButton* TFTestSettings::SeriesButton(const char* name) const {
    return findChild<QPushButton*>(name);
}

void TFTestSettings::BuildGroup(int i, const char* title, QWidget* page) {
    TAxisGroup& g = FGroups[i];
    g.Box = new QGroupBox(title, page);
    g.Box->setObjectName(QString("gbAixs%1").arg(i));
    auto* grid = new QGridLayout(g.Box);
    grid->addWidget(new QLabel("Field", g.Box), 0, 0);
    g.Field = new QLineEdit(g.Box);
    g.Field->setReadOnly(true);
    g.Field->setObjectName("edField");
    grid->addWidget(g.Field, 0, 1, 1, 3);
    g.SelectField = new QPushButton("Select Field", g.Box);
    g.SelectField->setObjectName("btnSelectField");
    connect(g.SelectField, &QPushButton::clicked, this, [this, i] { SelectField(i); });
    grid->addWidget(g.SelectField, 0, 4);
    g.AutoMin = new QCheckBox("Auto Min", g.Box);
    g.AutoMin->setObjectName("cbAutoMin");
    g.AutoMax = new QCheckBox("Auto Max", g.Box);
    g.AutoMax->setObjectName("cbAutoMax");
    g.Min = new QLineEdit(g.Box);
    g.Min->setObjectName("edMin");
    g.Max = new QLineEdit(g.Box);
    g.Max->setObjectName("edMax");
    grid->addWidget(g.AutoMin, 1, 0);
    grid->addWidget(g.Min, 1, 1);
    grid->addWidget(g.AutoMax, 1, 2);
    grid->addWidget(g.Max, 1, 3);
    // The bounds are numbers of the axis field's type.
    for (QLineEdit* e : {g.Min, g.Max})
        TNumberEdit::Attach(e, [this, i] {
            const TAEField* f = FGraph.Db().FindField(FGroups[i].Axis->FieldId());
            return NumberRuleOfType(f ? f->DataType() : uint8_t(dtExtended));
        });
    connect(g.AutoMin, &QCheckBox::toggled, this, [this, i](bool on) {
        if (FRefreshing || FGroups[i].Axis->AutoMin() == on) return;
        FGroups[i].Axis->SetAutoMin(on);
        FGroups[i].Axis->Changed(true);
        RefreshGroup(i);
    });
    connect(g.AutoMax, &QCheckBox::toggled, this, [this, i](bool on) {
        if (FRefreshing || FGroups[i].Axis->AutoMax() == on) return;
        FGroups[i].Axis->SetAutoMax(on);
        FGroups[i].Axis->Changed(true);
        RefreshGroup(i);
    });
    connect(g.Min, &QLineEdit::editingFinished, this, [this, i] { ApplyBound(i, false); });
    connect(g.Max, &QLineEdit::editingFinished, this, [this, i] { ApplyBound(i, true); });
    grid->addWidget(new QLabel("Legend", g.Box), 2, 0);
    g.Legend = new QLineEdit(g.Box);
    g.Legend->setObjectName("edLegend");
    connect(g.Legend, &QLineEdit::editingFinished, this, [this, i] { ApplyLegend(i); });
    grid->addWidget(g.Legend, 2, 1);
    auto* align = new QHBoxLayout();
    const char* glyphs[3] = {"\u2190", "\u2194", "\u2192"};
    for (int k = 0; k < 3; ++k) {
        g.Align[k] = new QToolButton(g.Box);
        g.Align[k]->setText(QString::fromUtf8(glyphs[k]));
        g.Align[k]->setObjectName(QString("sbAlign%1").arg(k));
        g.Align[k]->setCheckable(true);
        connect(g.Align[k], &QToolButton::clicked, this, [this, i, k] {
            if (auto* p = FGroups[i].Axis->Properties().FindAs<TGVProperty>("Legend")) {
                p->SetAlignment(LegendCodes[k]);
                FGroups[i].Axis->Changed(false);
            }
            RefreshGroup(i);
        });
        align->addWidget(g.Align[k]);
    }
    grid->addLayout(align, 2, 2);
    if (i != 2) {
        grid->addWidget(new QLabel("Scale", g.Box), 2, 3);
        g.Scale = new QComboBox(g.Box);
        g.Scale->setObjectName("cbScale");
        g.Scale->addItems({"Linear", "Logarithmic"});
        connect(g.Scale, &QComboBox::currentIndexChanged, this, [this, i](int index) {
            if (FRefreshing || index < 0) return;
            if (FGroups[i].Axis->TypeScale() == index) return;
            FGroups[i].Axis->SetTypeScale(static_cast<uint8_t>(index));
            FGroups[i].Axis->Changed(true);
        });
        grid->addWidget(g.Scale, 2, 4);
    }
}

void TFTestSettings::Refresh() {
    FRefreshing = true;
    FEnableRight->setChecked(FGraph.RightAxis().Enabled());
    FRefreshing = false;
    for (int i = 0; i < 3; ++i)
        RefreshGroup(i);
    RefreshSeries();
}

void TFTestSettings::RefreshGroup(int i) {
    TAxisGroup& g = FGroups[i];
    TGrAixs& axis = *g.Axis;
    FRefreshing = true;
    const TAEField* field = FGraph.Db().FindField(axis.FieldId());
    const bool available = i != 1 || FEnableRight->isChecked();
    const TAxisGroupEnabling e = AxisGroupEnabling(available, field != nullptr && axis.HasField(),
                                                   axis.AutoMin(), axis.AutoMax());
    g.Field->setText(field && e.Controls ? QString::fromStdString(field->GetDisplayName())
                                         : QString());
    SetEnabledLook(g.Field, e.Controls);
    g.SelectField->setEnabled(e.SelectField);
    g.AutoMin->setEnabled(e.Controls);
    g.AutoMax->setEnabled(e.Controls);
    g.AutoMin->setChecked(axis.AutoMin());
    g.AutoMax->setChecked(axis.AutoMax());
    SetEnabledLook(g.Min, e.MinEdit);
    SetEnabledLook(g.Max, e.MaxEdit);
    g.Min->setText(e.MinEdit && axis.Min() ? QString::fromStdString(axis.Min()->GetAsString())
                                           : QString());
    g.Max->setText(e.MaxEdit && axis.Max() ? QString::fromStdString(axis.Max()->GetAsString())
                                           : QString());
    SetEnabledLook(g.Legend, e.Controls);
    g.Legend->setText(QString::fromStdString(axis.Legend()));
    for (int k = 0; k < 3; ++k) {
        g.Align[k]->setEnabled(e.Controls);
        g.Align[k]->setChecked(axis.LegendAlignment() == LegendCodes[k]);
    }
    if (g.Scale) {
        g.Scale->setEnabled(e.Controls);
        g.Scale->setCurrentIndex(axis.TypeScale());
    }
    FRefreshing = false;
}

void TFTestSettings::SelectField(int group) {
    TAEListFields layout;
    FGraph.Db().GetFields(&layout, false);
    std::vector<std::string> checked;
    for (const TAxisGroup& g : FGroups)
        if (!g.Axis->FieldId().empty()) checked.push_back(g.Axis->FieldId());
    QMenu menu(this);
    menu.setObjectName("ppFields");
    FillPickerMenu(menu, BuildFieldPickerMenu(layout, fpmNumeric, {}, checked),
                   [this, group](const TAEField* f) {
                       if (f) ChooseField(group, f->ID());
                   });
    Dialogs().Popup(menu, QCursor::pos());
}

void TFTestSettings::ChooseField(int group, const std::string& fieldId) {
    for (const TAxisGroup& g : FGroups)
        if (g.Axis->FieldId() == fieldId) return;
    TGrAixs& axis = *FGroups[group].Axis;
    axis.SetFieldId(fieldId);
    axis.Changed(true);
    RefreshGroup(group);
    RefreshSeries();
}

void TFTestSettings::SetEnableRight(bool on) {
    if (FGraph.RightAxis().Enabled() != on) {
        FGraph.SetEnableRightAixs(on);
        FGroups[1].Field->clear();
        FGraph.SetModified(true);
    }
    RefreshGroup(1);
    RefreshSeries();
}

void TFTestSettings::ApplyBound(int i, bool max) {
    TGrAixs& axis = *FGroups[i].Axis;
    QLineEdit* edit = max ? FGroups[i].Max : FGroups[i].Min;
    TAEField* bound = max ? axis.Max() : axis.Min();
    if (!bound || !edit->isEnabled()) return;
    const std::string text = Trim(edit->text().toStdString());
    if (text == bound->GetAsString()) return;
    if (RefusedNumber(edit)) return;
    try {
        bound->SetAsString(text);
    } catch (const std::exception&) {
    }
    if (bound->GetAsString() != text) {
        edit->setText(QString::fromStdString(bound->GetAsString()));
        return;
    }
    axis.Changed(true);
}

void TFTestSettings::ApplyLegend(int i) {
    TGrAixs& axis = *FGroups[i].Axis;
    const std::string text = Trim(FGroups[i].Legend->text().toStdString());
    if (text == axis.Legend()) return;
    if (auto* p = axis.Properties().FindAs<TGVProperty>("Legend")) {
        p->SetAsString(text);
        axis.Changed(false);
    }
}

// ---- Series ----------------------------------------------------------------------------------

void TFTestSettings::RefreshSeries() {
    if (FRefreshing) return;
    FRefreshing = true;
    const int current = FSeries->indexOfTopLevelItem(FSeries->currentItem());
    FSeries->clear();
    const TSeriesGrList& list = FGraph.Series();
    for (int i = 0; i < list.Count(); ++i) {
        const TSeriesGr* s = list.Get(i);
        new QTreeWidgetItem(FSeries, {"Series " + QString::number(i + 1), TypeName(s->TypeSeries()),
                                      s->Side() == sdRight ? "Right" : "Left"});
    }
    if (current >= 0 && current < FSeries->topLevelItemCount())
        FSeries->setCurrentItem(FSeries->topLevelItem(current));
    FRefreshing = false;
    const int i = FSeries->indexOfTopLevelItem(FSeries->currentItem());
    const int n = FSeries->topLevelItemCount();
    SeriesButton("btnSeriesAdd")
        ->setEnabled(CanAddSeries(FGraph.LeftAxis().HasField(), FGraph.BottomAxis().HasField()));
    SeriesButton("btnSeriesEdit")->setEnabled(i >= 0);
    SeriesButton("btnSeriesDelete")->setEnabled(i >= 0);
    SeriesButton("btnSeriesUp")->setEnabled(i > 0);
    SeriesButton("btnSeriesDown")->setEnabled(i >= 0 && i + 1 < n);
}

bool TFTestSettings::RunSeriesEditor(TSeriesGr& series, bool isNew) {
    return vorelt::EditSeries(this, series, SeriesContextOf(FGraph, series, FSettings), isNew);
}

void TFTestSettings::AddSeries(uint8_t type) {
    if (!CanAddSeries(FGraph.LeftAxis().HasField(), FGraph.BottomAxis().HasField())) return;
    TSeriesGr* s = FGraph.AddSeries(type);
    if (!s) return;
    const int index = FGraph.Series().Count() - 1;
    if (!RunSeriesEditor(*s, true)) {
        FGraph.DeleteSeries(index);
        RefreshSeries();
        return;
    }
    FGraph.SetModified(true);
    RefreshSeries();
    FSeries->setCurrentItem(FSeries->topLevelItem(index));
}

void TFTestSettings::EditSeries() {
    const int i = FSeries->indexOfTopLevelItem(FSeries->currentItem());
    TSeriesGr* s = FGraph.Series().Get(i);
    if (!s) return;
    if (RunSeriesEditor(*s, false)) FGraph.SetModified(true);
    RefreshSeries();
}

void TFTestSettings::DeleteSeries() {
    const int i = FSeries->indexOfTopLevelItem(FSeries->currentItem());
    if (!FGraph.Series().Get(i)) return;
    FGraph.DeleteSeries(i);
    FGraph.SetModified(true);
    RefreshSeries();
}

void TFTestSettings::MoveSeries(int delta) {
    const int i = FSeries->indexOfTopLevelItem(FSeries->currentItem());
    const int j = i + delta;
    if (i < 0 || j < 0 || j >= FGraph.Series().Count()) return;
    FGraph.Series().Exchange(i, j);
    FGraph.SetModified(true);
    RefreshSeries();
    FSeries->setCurrentItem(FSeries->topLevelItem(j));
}

} // namespace vorelt
