#include "view2d/TGraphDb.h"

#include "drivers/TAEDriverDb.h"
#include "model/TAEField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TFilterCommon.h"
#include "testprog/TTestGraphMapping.h"
#include "view2d/TCanvasContainer.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/dialogs/testprog/TTestProgramRules.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QTimer>
#include <algorithm>

namespace vorelt {

namespace {

constexpr uint8_t SourceReady = 9;

long double BoundOf(const TAEField* f) {
    return f && !f->IsNull() ? f->GetAsFloat() : 0;
}

} // namespace

namespace {

// The axes are laid out for the plot's size: a window that resizes the graph lays them out
// again (pages do it for the graphs they place).
class TResizeWatch : public QObject {
public:
    TResizeWatch(TGraphDb& graph, QObject* parent) : QObject(parent), FGraph(graph) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            QTimer::singleShot(0, this, [this] { FGraph.UpdateAppearance(); });
        return QObject::eventFilter(watched, event);
    }

private:
    TGraphDb& FGraph;
};

} // namespace

TGraphDb::TGraphDb(TGVDb& db) : TGraphVC(nullptr, &db), FDb(db) {
    Panel()->setObjectName("pnlTestGraph");
    Container()->installEventFilter(new TResizeWatch(*this, Container()));
    HideCheckButton();
    FDbMenu = new QMenu("Edit", Panel());
    FDbMenu->setObjectName("mGVVisualClass");
    for (const char* name :
         {"mHideVC", "-", "mZoomVC", "mHZoomVC", "mVZoomVC", "mUnzoomVC", "mUnzoomAllVC"}) {
        if (std::string(name) == "-")
            FDbMenu->addSeparator()->setObjectName("mEmpt_1VC");
        else
            FDbMenu->addAction(MenuItem(name));
    }
    FSettingsItem = new QAction("Graph Settings", Panel());
    FSettingsItem->setObjectName("mParamObjVC");
    QObject::connect(FSettingsItem, &QAction::triggered, [this] {
        if (OnGraphSettings) OnGraphSettings();
    });
    FReloadItem = new QAction("Reload Data", Panel());
    FReloadItem->setObjectName("mReloadVC");
    QObject::connect(FReloadItem, &QAction::triggered, [this] {
        if (OnReloadData) OnReloadData();
    });
    UpdateAppearance();
}

TGraphDb::~TGraphDb() = default;

std::string TGraphDb::OwnerName() const {
    return FDb.Name();
}

QList<QAction*> TGraphDb::PopupItems() {
    MenuItem("mHideVC"); // brings the enabled states up to date
    QList<QAction*> items{FDbMenu->menuAction()};
    if (OnGraphSettings) items.push_back(FSettingsItem);
    if (OnReloadData) items.push_back(FReloadItem);
    return items;
}

int32_t TGraphDb::GetStatus() const {
    if (!FEnabled || FDb.GetSourceState() != SourceReady) return vsUnavailable;
    if (FOutdated) return vsOutdated;
    if (FActive) return vsActive;
    return vsEmpty;
}

void TGraphDb::UpdateAppearance() {
    TGraphVC::UpdateAppearance();
    if (OnAppearance) OnAppearance();
}

void TGraphDb::SetModified(bool resetData) {
    FDb.NotifyModified();
    if (resetData) SetActive(false);
}

bool TGraphDb::ApplyDefaults() {
    TTestGraphState now;
    now.LeftField = LeftAxis().FieldId();
    now.BottomField = BottomAxis().FieldId();
    now.RightEnabled = RightAxis().Enabled();
    now.RightField = RightAxis().Enabled() ? RightAxis().FieldId() : std::string();
    now.SeriesCount = Series().Count();
    const TTestGraphSetUp plan = PlanTestGraphDefaults(now);
    if (!plan.Changed) return false;
    bool changed = false;
    auto bind = [&](TGrAixs& axis, const std::string& id, bool automatic) {
        if (axis.FieldId() == id) return;
        axis.SetFieldId(id);
        if (axis.FieldId() != id) return;
        axis.SetAutoMin(automatic);
        axis.SetAutoMax(automatic);
        changed = true;
    };
    bind(LeftAxis(), plan.State.LeftField, true);
    bind(BottomAxis(), plan.State.BottomField, true);
    if (plan.State.RightEnabled && !RightAxis().Enabled()) {
        SetEnableRightAixs(true);
        changed = true;
    }
    if (RightAxis().FieldId() != plan.State.RightField) {
        bind(RightAxis(), plan.State.RightField, false);
        if (RightAxis().FieldId() == plan.State.RightField) {
            for (TAEField* f : {RightAxis().Min(), RightAxis().CurMin()})
                f->SetAsFloat(plan.State.RightMin);
            for (TAEField* f : {RightAxis().Max(), RightAxis().CurMax()})
                f->SetAsFloat(plan.State.RightMax);
        }
    }
    if (plan.AddPointSeries && Series().Count() == 0) {
        // A series with its own default colour (2), which shows on both colour schemes.
        if (TSeriesGr* s = AddSeries(stPointPlot)) s->SetColor(2);
        changed = true;
    }
    if (changed) UpdateAppearance();
    return changed;
}

bool TGraphDb::SecondsToSheetX(long double seconds, long double& x) {
    TAEDriverDb* driver = FDb.Driver();
    const std::string field = BottomAxis().FieldId();
    TAxisSpan span;
    span.Log = BottomAxis().Logarithmic();
    if (!driver || !BottomAxis().CurrentRange(span.Lo, span.Hi)) return false;
    const std::optional<long double> f = SecondsToFraction(
        seconds,
        [&](long double from, long double& to) {
            return driver->ConvertTime(fidTimeS, field, to, from);
        },
        span);
    if (!f) return false;
    x = *f * LogicalWidthUnits;
    return true;
}

void TGraphDb::CollectFieldUses(std::string_view id, std::vector<std::string>& lines) const {
    std::vector<std::string> own;
    TGraphVC::ReportFieldUse(id, own);
    for (const std::string& line : own) {
        auto at = std::lower_bound(lines.begin(), lines.end(), line);
        if (at == lines.end() || *at != line) lines.insert(at, line);
    }
}

long double TGraphDb::GetLoadMin() const {
    return BoundOf(const_cast<TGraphDb*>(this)->RightAxis().Min());
}

long double TGraphDb::GetLoadMax() const {
    return BoundOf(const_cast<TGraphDb*>(this)->RightAxis().Max());
}

void TGraphDb::SetLoadBound(bool max, long double value) {
    TGrAixs& axis = RightAxis();
    TAEField* bound = max ? axis.Max() : axis.Min();
    TAEField* current = max ? axis.CurMax() : axis.CurMin();
    if (bound) bound->SetAsFloat(value);
    if (current) current->SetAsFloat(value);
    axis.ClearMarks();
    UpdateAppearance();
}

void TGraphDb::SetLoadMin(long double value) {
    SetLoadBound(false, value);
}

void TGraphDb::SetLoadMax(long double value) {
    SetLoadBound(true, value);
}

const TAEField* TGraphDb::ConditionField(std::string_view id) const {
    return FDb.FindField(id);
}

const TGVVariants* TGraphDb::ConditionVariants() const {
    return ProjectVariantsOf(FDb);
}

} // namespace vorelt
