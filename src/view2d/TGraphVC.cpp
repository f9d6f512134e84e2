#include "view2d/TGraphVC.h"

#include "drivers/TWriteTarget.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "persist/TFileWriter.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/TAEMessages.h"
#include "processing/TTreeFiles.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TDispatchDraw.h"
#include "view2d/IDialogService.h"
#include "view2d/TAddonVC.h"
#include "view2d/TAixsStrip.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TCanvasDraw.h"
#include "view2d/TGraphReport.h"
#include "view2d/TTableVC.h"
#include "view2d/TWaveformWindow.h"
#include "viewmodel/canvas/TColorContrast.h"
#include "viewmodel/drawables/TCellLineAEVObject.h"
#include "viewmodel/drawables/TGraphLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/THistigramAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"
#include "viewmodel/graph/TGraphLegend.h"
#include "viewmodel/graph/TNearestPoint.h"
#include "viewmodel/graph/TPointReadout.h"
#include "viewmodel/waveform/TGraphWaveformHits.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

// The mouse on the plot reaches the view before the container handles it: clicks focus the
// view, the wheel zooms, the middle button drags the ranges, resting shows a point's values and
// a double click marks its record. The notice over the plot keeps the container's size.
class TPlotWatch : public QObject {
public:
    TPlotWatch(TGraphVC& view, QWidget* notice, QObject* parent)
        : QObject(parent), FView(view), FNotice(notice) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            FView.Clicked();
            const auto* e = static_cast<QMouseEvent*>(event);
            FView.PointTo(-1, -1);
            if (e->button() == Qt::MiddleButton) {
                const QPoint p = e->position().toPoint();
                FView.BeginDrag(p.x(), p.y());
                return true;
            }
            break;
        }
        case QEvent::MouseMove: {
            const auto* e = static_cast<QMouseEvent*>(event);
            const QPoint p = e->position().toPoint();
            if (FView.Dragging()) {
                // A release outside the window may never arrive: no middle button, no drag.
                if (e->buttons() & Qt::MiddleButton)
                    FView.DragTo(p.x(), p.y());
                else
                    FView.EndDrag();
                return true;
            }
            if (e->buttons() == Qt::NoButton)
                FView.PointTo(p.x(), p.y());
            else
                FView.PointTo(-1, -1);
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::MiddleButton && FView.Dragging()) {
                const QPoint p = e->position().toPoint();
                FView.DragTo(p.x(), p.y());
                FView.EndDrag();
                return true;
            }
            break;
        }
        case QEvent::MouseButtonDblClick: {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                const QPoint p = e->position().toPoint();
                if (FView.MarkPointAt(p.x(), p.y())) FView.ShowWaveformAt(p.x(), p.y());
            }
            break;
        }
        case QEvent::Wheel: {
            const auto* e = static_cast<QWheelEvent*>(event);
            // Fine-grained wheels and touchpads send parts of a step: they add up to steps.
            FWheelRest += e->angleDelta().y();
            const int steps = FWheelRest / QWheelEvent::DefaultDeltasPerStep;
            FWheelRest -= steps * QWheelEvent::DefaultDeltasPerStep;
            if (steps != 0) {
                const QPoint p = e->position().toPoint();
                FView.WheelZoom(p.x(), p.y(), steps);
            }
            return true;
        }
        case QEvent::Leave:
            FView.PointTo(-1, -1);
            break;
        case QEvent::Resize:
            if (auto* w = qobject_cast<QWidget*>(watched)) FNotice->setGeometry(w->rect());
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TGraphVC& FView;
    QWidget* FNotice;
    int FWheelRest = 0;
};

// How far from a point's edge the mouse still points at it, in pixels.
constexpr int32_t PointReach = 4;

// Half the size of a drawn point of the style, in pixels.
int32_t PointHalfSize(uint8_t style) {
    const int32_t s = SizePoint();
    switch (style) {
    case ptBigPoint:
    case ptRound:
        return 2 * s;
    case ptBigRound:
        return 3 * s;
    default:
        return s;
    }
}

TReadoutAxis ReadoutAxisOf(const TGrAixs& a, int32_t fallbackPixels) {
    TReadoutAxis r;
    r.Caption = a.Caption();
    a.CurrentRange(r.Lo, r.Hi);
    r.Logarithmic = a.Logarithmic();
    r.Integer = a.IntegerValues();
    r.LabelFormat = a.TypeMarkValue();
    r.Pixels = a.PlotLength() > 0 ? a.PlotLength() : fallbackPixels;
    return r;
}

constexpr char ClassPoint[] = "TGraphPointAEVObject";
constexpr char ClassLine[] = "TGraphLineAEVObject";
constexpr char ClassHistigram[] = "THistigramAEVObject";

const char* ObjectClassOf(uint8_t type) {
    switch (type) {
    case stHistigram:
        return ClassHistigram;
    case stLineGraph:
    case stLinePointToPoint:
        return ClassLine;
    default:
        return ClassPoint;
    }
}

const char* Bool(bool v) {
    return v ? "1" : "0";
}

// Menu items: name, caption; "-" separators.
struct TMenuEntry {
    const char* Name;
    const char* Caption;
};
constexpr TMenuEntry EditItems[] = {
    {"mHideVC", "Hide Select Rectangle"},
    {"mHideHitMarksVC", "Hide Hit Marks"},
    {"mEmpt_1VC", "-"},
    {"mZoomVC", "Zoom"},
    {"mHZoomVC", "Horizontal Zoom"},
    {"mVZoomVC", "Vertical Zoom"},
    {"mUnzoomVC", "Unzoom"},
    {"mUnzoomAllVC", "Unzoom All"},
    {"mEmpt_2VC", "-"},
    {"mSelectVC", "Select"},
    {"mUnselectVC", "Unselect"},
    {"mEmpt_3VC", "-"},
    {"mDeleteVC", "Delete"},
    {"mUnDeleteVC", "Undelete"},
    {"mUnDeleteAllVC", "Undelete All"},
    {"mEmpt_4VC", "-"},
    {"mInfoVC", "Show Info Rectangle"},
};

} // namespace

TGraphVC::TGraphVC(TGVCPUGr* processor) : TGraphVC(processor, processor) {}

TGraphVC::TGraphVC(TGVCPUGr* processor, TGVCPU* source)
    : TPanelVC(processor), FGraph(processor), FSource(source),
      FLeft(std::make_unique<TGrAixs>(this, akLeft)),
      FRight(std::make_unique<TGrAixs>(this, akRight)),
      FBottom(std::make_unique<TGrAixs>(this, akBottom)), FLeftScale(*FLeft), FRightScale(*FRight),
      FBottomScale(*FBottom), FSeries(this) {
    Panel()->setObjectName("pnlGraph");
    auto* grid = new QGridLayout();
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    FLeftStrip = new TAixsStrip(Content());
    FLeftStrip->setObjectName("pbLeftAixs");
    FRightStrip = new TAixsStrip(Content());
    FRightStrip->setObjectName("pbRightAixs");
    FBottomStrip = new TAixsStrip(Content());
    FBottomStrip->setObjectName("pbBottomAixs");
    FContainer = new TCanvasContainer(Content());
    FContainer->setObjectName("ccGraph");
    FContainer->SetBorderStyle(1);
    FLeftStrip->SetAxis(FLeft.get());
    FRightStrip->SetAxis(FRight.get());
    FBottomStrip->SetAxis(FBottom.get());
    FLeftStrip->setFixedWidth(4);
    FRightStrip->setFixedWidth(4);
    for (TAixsStrip* s : {FLeftStrip, FRightStrip, FBottomStrip})
        s->SetPlot(FContainer);
    grid->addWidget(FLeftStrip, 0, 0);
    grid->addWidget(FContainer, 0, 1);
    grid->addWidget(FRightStrip, 0, 2);
    grid->addWidget(FBottomStrip, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    auto* holder = new QWidget(Content());
    holder->setLayout(grid);
    FAxesLayout = grid;
    ContentLayout()->addWidget(holder, 1);

    TCanvasContainerCore& core = FContainer->Core();
    core.OnSelectRect = [this](TCanvasContainerCore&, TRectInt& band) { SelectRect(band); };
    core.OnShortCut = [this](TCanvasContainerCore&, const std::string& text) {
        return ShortCut(text);
    };
    core.OnContextPopup = [this](TCanvasContainerCore&, int32_t x, int32_t y, bool& handled) {
        handled = true;
        FPopupX = x;
        FPopupY = y;
        if (FFocused) ShowPopup(FContainer->mapToGlobal(QPoint(x, y)));
    };
    FNoticeLabel = new QLabel(FContainer);
    FNoticeLabel->setObjectName("lNotice");
    FNoticeLabel->setAlignment(Qt::AlignCenter);
    FNoticeLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    {
        QFont font = FNoticeLabel->font();
        font.setPointSize(font.pointSize() + 4);
        font.setBold(true);
        FNoticeLabel->setFont(font);
    }
    FNoticeLabel->hide();
    FContainer->installEventFilter(new TPlotWatch(*this, FNoticeLabel, FContainer));
    // The marks are pixels of the plot: every new size of it (a resize of the window, a tiling,
    // a strip growing for its labels) lays the axes out again.
    FLegendLabel = new QLabel(FContainer);
    FLegendLabel->setObjectName("lLegend");
    FLegendLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    FLegendLabel->setTextFormat(Qt::RichText);
    FLegendLabel->hide();
    FContainer->OnResized = [this](TCanvasContainer&) {
        LayoutAxes(false);
        PlaceLegend();
    };
    FTimeMarks = std::make_unique<TTimeMarksGr>(FContainer, FBottom.get());
    CreateGridLines();
    FTimeMarks->CreateLine();
    BuildMenu();
    UpdateAppearance();
}

void TGraphVC::Clicked() {
    if (FFocused) return;
    if (FGraph) {
        TAEOMSG msg;
        msg.Msg = omTakeFocus;
        msg.Text = FGraph->ID();
        FGraph->SendUp(msg);
    }
    SetFocusedView(true);
}

TGraphVC::~TGraphVC() {
    // The waveform window may outlive the view: it then walks no points.
    if (FWaveHits) FWaveHits->Forget();
    // The panel and its container outlive this object's members by a little.
    FContainer->OnResized = nullptr;
    // Add-ons take their objects out of the container, which must still be there.
    FAddOns.clear();
    // The series' objects live in the container, which Qt frees with the panel.
    FLinks.clear();
    FSeries.SetGraph(nullptr);
    FSeries.Clear();
}

// ---- Series ------------------------------------------------------------------------------------

TGraphAEVObject* TGraphVC::NewObject(const std::string& className) {
    std::unique_ptr<TGraphAEVObject> o;
    if (SameText(className, ClassPoint)) {
        auto p = std::make_unique<TGraphPointAEVObject>();
        p->OnCompare = TGraphPointAEVObject::CompareXY;
        p->OnFindInRect = [this](TGraphPointAEVObject& s, const TRectInt& r) {
            return FindInRect(s, r);
        };
        o = std::move(p);
    } else if (SameText(className, ClassLine)) {
        o = std::make_unique<TGraphLineAEVObject>();
    } else if (SameText(className, ClassHistigram)) {
        o = std::make_unique<THistigramAEVObject>();
    } else {
        return nullptr;
    }
    TGraphAEVObject* raw = o.get();
    FContainer->AddObject(std::move(o));
    return raw;
}

void TGraphVC::AttachObject(TSeriesGr& series, TGraphAEVObject* object,
                            const std::string& className) {
    if (TGraphAEVObject* old = SeriesObject(series)) RemoveObject(old);
    FLinks.erase(&series);
    if (!object) {
        series.SetObject(nullptr, {});
        return;
    }
    auto link = std::make_unique<TSeriesObjectLink>(object);
    series.SetObject(link.get(), className);
    FLinks[&series] = std::move(link);
    if (series.Color() != -1) object->SetColor(PaletteColor(series.Color()));
    object->SetVisible(series.Visible());
    if (auto* p = dynamic_cast<TGraphPointAEVObject*>(object)) {
        p->SetPointStyle(series.TypePoint());
        p->SetGrowSparsePoints(true);
    }
}

void TGraphVC::RemoveObject(TBaseAEVObject* object) {
    const int i = FContainer->IndexOfObject(object);
    if (i >= 0) FContainer->DeleteObject(i);
}

TGraphAEVObject* TGraphVC::SeriesObject(const TSeriesGr& series) const {
    const auto it = FLinks.find(&series);
    return it == FLinks.end() ? nullptr : it->second->Object();
}

TSeriesGr* TGraphVC::AddSeries(uint8_t type) {
    auto s = std::make_unique<TSeriesGr>();
    s->SetTypeSeries(type);
    s->SetSide(sdLeft);
    for (int32_t c = 1; c <= 127; ++c) {
        bool used = false;
        for (int i = 0; i < FSeries.Count(); ++i)
            used |= FSeries.Get(i)->Color() == c;
        if (!used) {
            s->SetColor(c);
            break;
        }
    }
    TSeriesGr* added = FSeries.Add(std::move(s));
    const char* cls = ObjectClassOf(type);
    AttachObject(*added, NewObject(cls), cls);
    return added;
}

void TGraphVC::DeleteSeries(int index) {
    TSeriesGr* s = FSeries.Get(index);
    if (!s) return;
    if (TGraphAEVObject* o = SeriesObject(*s)) RemoveObject(o);
    FLinks.erase(s);
    FSeries.Delete(index);
}

void TGraphVC::SeriesObjectLoaded(TSeriesGr& series, const std::string& className) {
    AttachObject(series, NewObject(className), className);
}

ILCOwner* TGraphVC::SeriesConditionOwner() {
    return FGraph;
}

void TGraphVC::SetEnableRightAixs(bool v) {
    FRight->SetEnabled(v);
    if (FRight->Enabled()) return;
    for (int i = FSeries.Count() - 1; i >= 0; --i)
        if (FSeries.Get(i)->Side() == sdRight) DeleteSeries(i);
}

const TAEField* TGraphVC::FindAixsField(const std::string& fieldId) const {
    return FSource ? FSource->FindField(fieldId) : nullptr;
}

// ---- Filling -----------------------------------------------------------------------------------

TGraphRun TGraphVC::Run() {
    TGraphRun run;
    run.Left = &FLeftScale;
    run.Right = &FRightScale;
    run.Bottom = &FBottomScale;
    run.RightEnabled = FRight->Enabled();
    run.RightOn = FRight->Enabled() && FRight->HasField();
    run.Points = FFillPoints;
    return run;
}

void TGraphVC::LayoutAxes(bool apply) {
    // Applying the layout resizes the plot, which asks for this again: the outer call has it.
    if (FLayingOutAxes) return;
    FLayingOutAxes = true;
    LayOutAixs({FLeft.get(), FBottom.get(), FRight.get()}, apply ? FAxesLayout : nullptr);
    FLayingOutAxes = false;
    if (!FGridH) return;
    GridFromMarks();
    FContainer->Repaint();
}

void TGraphVC::GridFromMarks() {
    if (!FGridH) return;
    FGridH->ClearValues();
    FGridV->ClearValues();
    if (!FActive) return;
    // The grid lines take the marks' fractions and go through the plot's mapping like the
    // points do; the marks' pixels came from the same mapping. Only the major steps carry a
    // line: a line at every tick would cover the data.
    for (const RecMarkAixs& m : FLeft->Marks())
        if (m.Grid) FGridH->AddValue(m.Norm, 0);
    for (const RecMarkAixs& m : FBottom->Marks())
        if (m.Grid) FGridV->AddValue(0, m.Norm);
}

void TGraphVC::CreateGridLines() {
    auto h = std::make_unique<TCellLineAEVObject>();
    h->SetHorizontal(true);
    h->SetLineWidth(0.1L);
    auto v = std::make_unique<TCellLineAEVObject>();
    v->SetLineWidth(0.1L);
    FGridH = h.get();
    FGridV = v.get();
    FContainer->AddObject(std::move(h), 0);
    FContainer->AddObject(std::move(v), 1);
}

void TGraphVC::ClearFill() {
    HideInfoRect();
    FZoom.Clear();
    FHitMarkPosition = -1;
    // The points the waveform window walks are gone.
    if (FWaveHits) FWaveHits->Forget();
    FWaveHits.reset();
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (TGraphAEVObject* o = SeriesObject(s)) o->ClearValues();
        s.ClearRun();
    }
}

void TGraphVC::SetActive(bool value) {
    TGVVisualClass::SetActive(value);
    for (TGrAixs* a : {FLeft.get(), FBottom.get(), FRight.get()})
        a->RebindField();
    ClearFill();
    FTimeMarks->ClearLines();
    FTimeMarks->ClearMarks();
    CollectAddOns();
    FFillError.clear();
    FNotice.clear();
    FRecordsRead = 0;
    if (FSource) {
        FSource->Nav().Kinds = GraphKinds;
        FSource->PrepareRecord();
    }
    const bool go = FActive && FSource && FLeft->HasField() && FBottom->HasField() &&
                    GetStatus() != vsUnavailable;
    if (go) {
        TGraphFillRequest request;
        request.Processor = FSource;
        request.Axes = Run();
        request.Series = &FSeries;
        request.FirstHitOnly = FGraph && FGraph->GetFirstHitOnly();
        request.Aborted = OnAborted;
        request.Progress = OnProgress;
        request.KeepMembers = true;
        request.TakeTimeMark = [this](int32_t index, long double x) { FTimeMarks->Take(index, x); };
        TGraphFillResult result;
        FFilling = true;
        bool filled = false;
        try {
            filled = FillGraphRecords(request, result);
        } catch (...) {
            FFilling = false;
            throw;
        }
        FFilling = false;
        FNotice = FillNotice(filled, result);
        if (!filled) {
            FFillError = result.Error;
            // A stop the user asked for is no error: the graph says where it stopped.
            if (!result.Stopped) FSource->AddError(result.Error);
            TVisualClass::SetActive(false);
            ClearFill();
            FTimeMarks->ClearMarks();
        } else {
            FRecordsRead = result.Records;
            if (result.Records > 0) {
                for (const auto& a : FAddOns)
                    a->Fill();
                FTimeMarks->BuildLines();
                FFillPoints = &result.Points;
                RescaleView();
                FFillPoints = nullptr;
            }
        }
        for (int i = 0; i < FSeries.Count(); ++i)
            FSeries.Get(i)->ClearMembers();
    }
    UpdateAppearance();
}

bool TGraphVC::DataFileOpen() const {
    return FGraph && FGraph->GetSourceState() != 0;
}

void TGraphVC::CollectAddOns() {
    for (const auto& a : FAddOns)
        a->Clear();
    FAddOns.clear();
    if (!FGraph) return;
    std::vector<IGraphAddOn*> offered;
    FGraph->CollectGraphAddOns(this, offered);
    for (IGraphAddOn* o : offered) {
        std::unique_ptr<IGraphAddOn> owned(o);
        if (auto* a = dynamic_cast<TAddonVC*>(o)) {
            owned.release();
            FAddOns.emplace_back(a);
        }
    }
    // Without a data file the chain offers what it offers, but nothing was restored: storing
    // then would overwrite the saved switches with the defaults of a newly offered add-on.
    if (!DataFileOpen()) return;
    for (const auto& a : FAddOns)
        for (const auto& [id, enabled] : FAddOnStates)
            if (id == a->GetID()) {
                a->SetEnabled(enabled == 1);
                break;
            }
    StoreAddOnStates();
}

void TGraphVC::StoreAddOnStates() {
    if (!DataFileOpen()) return;
    FAddOnStates.clear();
    for (const auto& a : FAddOns)
        FAddOnStates.emplace_back(a->GetID(), a->GetEnabled() ? 1 : 0);
}

void TGraphVC::ApplyOverlayTransform(const TViewTransform& t) {
    FTimeMarks->ApplyTransform(t);
    for (const auto& a : FAddOns)
        a->ApplyTransform(t);
}

bool TGraphVC::RefillPointPlots(const TGraphRun& run) {
    if (FFillPoints) {
        for (int i = 0; i < FSeries.Count(); ++i) {
            TSeriesGr& s = *FSeries.Get(i);
            if (!s.Visible() || !s.IsPointPlot() || !s.Object()) continue;
            s.Object()->ClearSeriesPoints();
            s.BuildPoints(run);
        }
        return true;
    }
    // Between fills the members are gone: only reading the records again places the points.
    if (!FActive) return false;
    SetActive(true);
    return true;
}

bool TGraphVC::IsPointPlotVisible(uint8_t side) const {
    for (int i = 0; i < FSeries.Count(); ++i) {
        const TSeriesGr& s = *FSeries.Get(i);
        if (s.Visible() && s.IsPointPlot() && s.Side() == side) return true;
    }
    return false;
}

void TGraphVC::RebuildSeries(TSeriesGr& s, const TGraphRun& run) {
    ISeriesPoints* o = s.Object();
    if (!o) return;
    std::vector<int32_t> channels;
    if (s.SplittingChan()) channels = FSplitChannels;
    if (s.IsPointPlot()) {
        o->SetChannelColors(channels.data(), channels.size());
        if (TGraphAEVObject* object = SeriesObject(s))
            ApplySeriesColours(s, *object, ColorScheme(FColorScheme).Background);
        o->ApplyChannelColors();
        return;
    }
    o->ClearSeriesPoints();
    o->SetChannelColors(channels.data(), channels.size());
    if (TGraphAEVObject* object = SeriesObject(s))
        ApplySeriesColours(s, *object, ColorScheme(FColorScheme).Background);
    s.BuildPoints(run);
}

void TGraphVC::RescaleView() {
    if (!FActive) return;
    const TGraphRun run = Run();
    const TRangeSnapshot old = SnapshotRanges(run);
    TViewTransform t;
    if (FZoom.Empty()) {
        if (!IsPointPlotVisible(sdLeft)) FLeftScale.AxisEmptyCurrentMax();
        if (run.RightOn && !IsPointPlotVisible(sdRight)) FRightScale.AxisEmptyCurrentMax();
        for (int i = 0; i < FSeries.Count(); ++i) {
            TSeriesGr& s = *FSeries.Get(i);
            if (s.Visible()) s.AddCurrentRange(run, FSplitChannels);
        }
        FLeftScale.AxisFinishCurrentRange();
        FRightScale.AxisFinishCurrentRange();
        t = ComputeTransform(old, run);
        if (t.Refill && (IsPointPlotVisible(sdLeft) || IsPointPlotVisible(sdRight))) {
            // Between fills this runs a whole fill, which rescales by itself.
            const bool inFill = FFillPoints != nullptr;
            RefillPointPlots(run);
            if (!inFill) return;
        }
    }
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (!s.Visible()) continue;
        if (s.IsPointPlot() && FZoom.Empty() && !t.Refill) s.ApplyTransform(run, t);
        RebuildSeries(s, run);
    }
    if (FZoom.Empty()) ApplyOverlayTransform(t);
    UpdateAppearance();
}

void TGraphVC::ApplyTransformAll(const TViewTransform& t) {
    // A zoom never starts from a range without width (fills widen them), so a refill here
    // would only lose the zoom: the point plots stay as drawn.
    const TGraphRun run = Run();
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (!s.Visible()) continue;
        if (t.Refill || !s.IsPointPlot())
            RebuildSeries(s, run);
        else
            s.ApplyTransform(run, t);
    }
    ApplyOverlayTransform(t);
}

bool TGraphVC::InfoFractions(TZoomRect& r) const {
    if (!FInfoRect || FInfoRect->Points().Count() < 2) return false;
    const auto& p = FInfoRect->Points();
    const long double w = LogicalWidthUnits, h = LogicalHeightUnits;
    const long double x0 = std::min(p.X(0), p.X(1)), x1 = std::max(p.X(0), p.X(1));
    const long double y0 = std::min(p.Y(0), p.Y(1)), y1 = std::max(p.Y(0), p.Y(1));
    r.Left = x0 / w;
    r.Right = x1 / w;
    r.Top = 1 - y0 / h;
    r.Bottom = 1 - y1 / h;
    return true;
}

bool TGraphVC::ZoomView(int mode, const TShortCutMSG* range) {
    if (!FLeft->HasField() || !FBottom->HasField()) return false;
    TZoomRect rect;
    if (mode == zmRange ? !range : !InfoFractions(rect)) return false;
    const TViewTransform t = FZoom.Zoom(Run(), mode, mode == zmRange ? nullptr : &rect, range);
    ApplyTransformAll(t);
    HideInfoRect();
    UpdateAppearance();
    return true;
}

bool TGraphVC::UnzoomView(bool all) {
    TViewTransform t;
    if (!FZoom.Unzoom(Run(), all, t)) return false;
    ApplyTransformAll(t);
    HideInfoRect();
    if (all)
        RescaleView();
    else
        UpdateAppearance();
    return true;
}

// ---- Rectangles ----------------------------------------------------------------------------

void TGraphVC::SelectRect(const TRectInt& band) {
    HideInfoRect();
    if (!FActive || !FFocused) return;
    auto r = std::make_unique<TRectAEVObject>();
    const TColorScheme& scheme = ColorScheme(FColorScheme);
    r->FramePen().SetColor(scheme.Foreground);
    r->SelectedPen().SetColor(scheme.Alert);
    r->EditingPen().SetColor(scheme.Highlight);
    // On the sheet's scale, as the series are.
    r->SetScale(1, 1);
    r->SetBounds({0, 0}, {LogicalWidthUnits - 1.0L, LogicalHeightUnits - 1.0L});
    TRectAEVObject* raw = r.get();
    FContainer->AddObject(std::move(r));
    const TLogicalPoint a = raw->ToLogical(band.Left, band.Top);
    const TLogicalPoint b = raw->ToLogical(band.Right, band.Bottom);
    raw->SetRect(a.X, a.Y, b.X, b.Y);
    FInfoRect = raw;
    FContainer->TakeFocus();
}

void TGraphVC::HideInfoRect() {
    if (!FInfoRect) return;
    RemoveObject(FInfoRect);
    FInfoRect = nullptr;
}

void TGraphVC::HideHitMarks() {
    if (FActive)
        for (int i = 0; i < FSeries.Count(); ++i) {
            TSeriesGr& s = *FSeries.Get(i);
            if (!s.Visible() || !s.Selected()) continue;
            if (TGraphAEVObject* o = SeriesObject(s)) o->MarkPosition(FHitMarkPosition, false);
        }
    FHitMarkPosition = -1;
    UpdateAppearance();
}

std::vector<int32_t> TGraphVC::FindInRect(TGraphAEVObject& object, const TRectInt& pixels) {
    std::vector<int32_t> out;
    auto* points = dynamic_cast<TGraphPointAEVObject*>(&object);
    if (!points) return out;
    const TLogicalPoint a = object.ToLogical(pixels.Left, pixels.Top);
    const TLogicalPoint b = object.ToLogical(pixels.Right, pixels.Bottom);
    const long double left = std::min(a.X, b.X), right = std::max(a.X, b.X);
    const long double top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y);
    const TAEVPointList& list = object.Points();
    const std::vector<int32_t>& index = points->SortedIndex();
    auto at = [&](int i) { return index[static_cast<size_t>(i)]; };
    int lo = 0, hi = 0;
    const bool found = FindSortedRun(
        static_cast<int>(index.size()),
        [&](int i) {
            const long double x = list.X(at(i));
            return x < left ? -1 : x > right ? 1 : 0;
        },
        lo, hi);
    if (!found) return out;
    for (int i = lo; i <= hi; ++i) {
        const int p = at(i);
        const long double y = list.Y(p);
        if (y < top || y > bottom) continue;
        if (object.IsDeleted(p) || object.IsChannelHidden(p)) continue;
        out.push_back(list.Tag(p));
    }
    return out;
}

std::vector<int32_t> TGraphVC::FoundPositions() {
    std::vector<int32_t> out;
    if (!FInfoRect || FInfoRect->Points().Count() < 2) return out;
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const auto& p = FInfoRect->Points();
    const uint8_t sx = FInfoRect->ScaleX(), sy = FInfoRect->ScaleY();
    FContainer->Converter().LogicalToDevice(sx, sy, p.X(0), p.Y(0), x0, y0);
    FContainer->Converter().LogicalToDevice(sx, sy, p.X(1), p.Y(1), x1, y1);
    TRectInt r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (!s.Visible() || !s.Selected() || !s.IsPointPlot()) continue;
        if (TGraphAEVObject* o = SeriesObject(s)) {
            const std::vector<int32_t> found = FindInRect(*o, r);
            out.insert(out.end(), found.begin(), found.end());
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

void TGraphVC::SendRequest(uint32_t number) {
    if (!FGraph) return;
    TAEOMSG msg;
    msg.Msg = number;
    msg.Text = FGraph->ID();
    FGraph->SendUp(msg);
}

bool TGraphVC::SelectFound() {
    std::vector<int32_t> found = FoundPositions();
    if (found.empty() || !FGraph) return false;
    TAEOMSG msg;
    msg.Msg = omSelectGroup;
    msg.Text = FGraph->ID();
    msg.List = std::move(found);
    FGraph->SendUp(msg);
    return true;
}

bool TGraphVC::DeleteFound() {
    std::vector<int32_t> found = FoundPositions();
    if (found.empty() || !FGraph) return false;
    TAEOMSG msg;
    msg.Msg = omDeleteGroup;
    msg.Text = FGraph->ID();
    msg.List = std::move(found);
    FGraph->SendUp(msg);
    return true;
}

void TGraphVC::ShowInfo() {
    const std::vector<int32_t> found = FoundPositions();
    if (OnPointsFound) {
        OnPointsFound(*this, found);
        return;
    }
    if (!FGraph) return;
    // A table reads the records through the graph's branch while the window is open, from
    // outside the tree: showing records changes nothing the project holds.
    QDialog window(TPanelVC::MainWindow());
    window.setWindowTitle("Show Info");
    window.resize(640, 400);
    auto* layout = new QVBoxLayout(&window);
    auto table = std::make_unique<TGVCPUTbl>();
    table->ReadThrough(*FGraph);
    if (auto* view = dynamic_cast<TTableVC*>(table->GetView())) {
        view->SetParentWindow(&window);
        layout->addWidget(view->Panel());
        view->ShowRecordList(FFieldsInfo, found);
        view->SetVisible(true);
        Dialogs().Run(window);
        view->Detach();
    }
    table.reset();
    SetFocusedView(true);
}

bool TGraphVC::ShortCut(const std::string& typed) {
    if (!FFocused) return false;
    const std::string text = UpperCase(Trim(typed));
    if (text.find('Z') != std::string::npos) {
        if (!FActive) return false;
        TShortCutMSG sc;
        sc.FieldId = FBottom->FieldId();
        TAEOMSG msg;
        msg.Text = FGraph ? FGraph->ID() : std::string();
        msg.WParam = reinterpret_cast<intptr_t>(&sc);
        if (text.find('-') != std::string::npos) {
            UnzoomView(true);
            msg.Msg = omSyncUnzoom;
        } else {
            ZoomView(zmHorizontal);
            FBottomScale.AxisCurrent(sc.Min, sc.Max);
            msg.Msg = omSyncZoom;
        }
        if (!FBottom->HasField()) return false;
        if (FGraph) FGraph->Top()->Dispatch(msg);
        return true;
    }
    if (text.find('L') != std::string::npos) {
        SendRequest(omReloadView);
        return true;
    }
    if (text.find('W') != std::string::npos) {
        SendRequest(text.find('-') != std::string::npos ? omRestoreRect : omFillPage);
        return true;
    }
    return false;
}

// ---- The mouse on the plot ---------------------------------------------------------------------

void TGraphVC::PixelFractions(int32_t x, int32_t y, long double& fx, long double& fy) const {
    long double lx = 0, ly = 0;
    FContainer->Converter().DeviceToLogical(1, 1, x, y, lx, ly);
    fx = lx / LogicalWidthUnits;
    fy = 1 - ly / LogicalHeightUnits;
}

bool TGraphVC::WheelZoom(int32_t x, int32_t y, int steps) {
    if (!FActive || steps == 0 || FZoom.Dragging()) return false;
    if (!FLeft->HasField() || !FBottom->HasField()) return false;
    long double fx = 0, fy = 0;
    PixelFractions(x, y, fx, fy);
    const long double factor = steps > 0 ? WheelZoomFactor : 1 / WheelZoomFactor;
    bool changed = false;
    for (int k = 0; k < std::abs(steps); ++k) {
        TViewTransform t;
        const TWheelZoom step = FZoom.ZoomAround(Run(), fx, fy, factor, t);
        if (step == TWheelZoom::None) break;
        changed = true;
        if (step == TWheelZoom::UnzoomAll) {
            UnzoomView(true);
            break;
        }
        ApplyTransformAll(t);
    }
    if (!changed) return false;
    HideInfoRect();
    UpdateAppearance();
    // Another point is under the mouse now.
    if (!FPointedText.empty()) PointTo(x, y);
    return true;
}

void TGraphVC::BeginDrag(int32_t x, int32_t y) {
    if (!FActive || !FLeft->HasField() || !FBottom->HasField()) return;
    PointTo(-1, -1);
    PixelFractions(x, y, FDragX, FDragY);
    FZoom.BeginDrag(Run());
}

void TGraphVC::DragTo(int32_t x, int32_t y) {
    if (!FZoom.Dragging()) return;
    long double fx = 0, fy = 0;
    PixelFractions(x, y, fx, fy);
    const TViewTransform t = FZoom.DragTo(Run(), fx - FDragX, fy - FDragY);
    ApplyTransformAll(t);
    HideInfoRect();
    UpdateAppearance();
}

void TGraphVC::EndDrag() {
    if (!FZoom.Dragging()) return;
    FZoom.EndDrag(Run());
    UpdateAppearance();
}

bool TGraphVC::PointAt(int32_t x, int32_t y, const TSeriesGr*& series, int& index) const {
    series = nullptr;
    index = -1;
    if (!FActive) return false;
    const ICoordConvert& conv = FContainer->Converter();
    long double lx = 0, ly = 0, px = 0, py = 0;
    conv.DeviceToLogical(1, 1, x, y, lx, ly);
    conv.DeviceToLogical(1, 1, x + 1, y + 1, px, py);
    // Logical units per pixel on each axis.
    const long double ux = std::fabs(px - lx), uy = std::fabs(py - ly);
    long double nearest = 0;
    // Later series are drawn over earlier ones: at the same distance the later one wins.
    for (int i = FSeries.Count() - 1; i >= 0; --i) {
        const TSeriesGr& s = *FSeries.Get(i);
        if (!s.Visible() || !s.IsPointPlot()) continue;
        const auto* o = dynamic_cast<const TGraphPointAEVObject*>(SeriesObject(s));
        if (!o || !o->IndexSorted()) continue;
        const int32_t reach = PointReach + PointHalfSize(o->PointStyle());
        TPointProbe probe;
        probe.X = lx;
        probe.Y = ly;
        probe.ReachX = ux * reach;
        probe.ReachY = uy * reach;
        probe.Width = LogicalWidthUnits;
        probe.Height = LogicalHeightUnits;
        const TPointFound found = NearestPoint(o->Points(), o->SortedIndex(), probe);
        if (found.Index < 0 || (series && !(found.Distance < nearest))) continue;
        series = &s;
        index = found.Index;
        nearest = found.Distance;
    }
    return series != nullptr;
}

std::string TGraphVC::ReadoutAt(int32_t x, int32_t y) const {
    const TSeriesGr* s = nullptr;
    int i = -1;
    if (!PointAt(x, y, s, i)) return {};
    const TAEVPointList& points = SeriesObject(*s)->Points();
    const TGrAixs& side = s->Side() == sdRight ? *FRight : *FLeft;
    const TReadoutAxis bottom = ReadoutAxisOf(*FBottom, FContainer->width());
    const TReadoutAxis vertical = ReadoutAxisOf(side, FContainer->height());
    TPointReadout r;
    r.XCaption = bottom.Caption;
    r.XText = ReadoutValueText(bottom, ReadoutValueAt(bottom, points.X(i) / LogicalWidthUnits));
    r.YCaption = vertical.Caption;
    r.YText =
        ReadoutValueText(vertical, ReadoutValueAt(vertical, 1 - points.Y(i) / LogicalHeightUnits));
    r.Channel = points.Channel(i);
    // Counted from 1, as the tables number the records of the data file.
    r.Record = points.Tag(i) + 1;
    return ReadoutText(r);
}

void TGraphVC::PointTo(int32_t x, int32_t y) {
    const std::string text = x < 0 || y < 0 ? std::string() : ReadoutAt(x, y);
    if (text == FPointedText) return;
    FPointedText = text;
    if (text.empty()) {
        QToolTip::hideText();
        return;
    }
    // Beside the mouse, so that the point itself stays in sight.
    const QPoint at = FContainer->mapToGlobal(QPoint(x, y)) + QPoint(12, 12);
    QToolTip::showText(at, QString::fromStdString(text), FContainer);
}

void TGraphVC::MarkRecord(int32_t position) {
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (!s.Visible() || !s.Selected() || !s.IsPointPlot()) continue;
        if (TGraphAEVObject* o = SeriesObject(s)) {
            o->MarkPosition(FHitMarkPosition, false);
            o->MarkPosition(position, true);
        }
    }
    FHitMarkPosition = position;
    UpdateAppearance();
}

bool TGraphVC::MarkPointAt(int32_t x, int32_t y) {
    const TSeriesGr* s = nullptr;
    int i = -1;
    if (!FGraph || !PointAt(x, y, s, i)) return false;
    const int32_t position = SeriesObject(*s)->Points().Tag(i);
    TAEOMSG msg;
    msg.Msg = omHitMarkRequest;
    msg.Text = FGraph->ID();
    msg.List.push_back(position);
    FGraph->SendUp(msg);
    // A checked graph has marked it on the way back down.
    if (FActive && FHitMarkPosition != position) MarkRecord(position);
    return true;
}

bool TGraphVC::ShowWaveformAt(int32_t x, int32_t y, bool evenWithout) {
    const TSeriesGr* s = nullptr;
    int i = -1;
    if (!FGraph || !PointAt(x, y, s, i)) return false;
    // The drawn points of the series in its order; deleted points are not walked.
    const TAEVPointList& points = SeriesObject(*s)->Points();
    std::vector<int32_t> positions;
    int64_t index = -1;
    for (int k = 0; k < points.Count(); ++k) {
        if (points.Flags(k) & pfDeleted) continue;
        if (k == i) index = static_cast<int64_t>(positions.size());
        positions.push_back(points.Tag(k));
    }
    if (index < 0) return false;
    const TGrAixs& side = s->Side() == sdRight ? *FRight : *FLeft;
    std::vector<std::string> ids{fidChan};
    for (const std::string& id : {FBottom->FieldId(), side.FieldId()})
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    auto hits = std::make_shared<TGraphWaveformHits>(*FGraph, std::move(positions), ids);
    if (!evenWithout && hits->NextWithWaveform(index, +1) != index) return false;
    if (FWaveHits) FWaveHits->Forget();
    FWaveHits = hits;
    TWaveformWindow::Shared(Panel()).ShowHits(FWaveHits, index);
    return true;
}

// ---- Messages --------------------------------------------------------------------------------

void TGraphVC::ViewMessage(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omDataChanged: {
        const bool was = FActive;
        SetActive(false);
        if (was) SetOutdated(true);
        UpdateAppearance();
        return;
    }
    case omSourceState:
        SetActive(false);
        RefreshAxisCaptions();
        UpdateAppearance();
        return;
    case omSplitChannels:
        if (GetCheckMark() && FLeft->HasField() && FBottom->HasField()) {
            FSplitChannels = msg.List;
            RescaleView();
            UpdateAppearance();
        }
        return;
    case omColorScheme: {
        // Every sender puts the scheme in WParam.
        const auto index = static_cast<uint8_t>(msg.WParam);
        if (index != FColorScheme) {
            FColorScheme = index;
            UpdateAppearance();
        }
        return;
    }
    case omSelectedAdded:
    case omSelectedRemoved:
        // Only point plots draw the selection.
        if (FActive && (IsPointPlotVisible(sdLeft) || IsPointPlotVisible(sdRight)))
            SetOutdated(true);
        return;
    case omDeletedAdded:
    case omDeletedRemoved:
        // Deleted records leave the bins of lines and histograms too.
        if (FActive) SetOutdated(true);
        return;
    case omMarkRecord:
        if (FActive && GetCheckMark() && !msg.List.empty()) MarkRecord(msg.List.front());
        return;
    case omSyncZoom:
    case omSyncUnzoom: {
        const auto* sc = reinterpret_cast<const TShortCutMSG*>(msg.WParam);
        if (!sc || !FGraph || msg.Text == FGraph->ID() || !FActive || !GetCheckMark() ||
            sc->FieldId != FBottom->FieldId())
            return;
        UnzoomView(true);
        if (msg.Msg == omSyncZoom) ZoomView(zmRange, sc);
        return;
    }
    default:
        TGVVisualClass::ViewMessage(msg);
        return;
    }
}

void TGraphVC::SetModified(bool resetData) {
    TGVVisualClass::SetModified(resetData);
}

void TGraphVC::SettingsChanged(bool propagate) {
    if (propagate) SetActive(false);
    UpdateAppearance();
}

// ---- Appearance --------------------------------------------------------------------------------

std::string TGraphVC::OwnerName() const {
    return FGraph ? FGraph->Name() : std::string();
}

void TGraphVC::HideCheckButton() {
    if (QWidget* check = Panel()->findChild<QWidget*>("sbCheck")) check->hide();
}

std::string TGraphVC::GetCaption() const {
    const std::string name = OwnerName();
    const std::string title = Title();
    if (!title.empty()) return title + " [" + name + "]";
    const TAEField* l = FindAixsField(FLeft->FieldId());
    const TAEField* b = FindAixsField(FBottom->FieldId());
    if (l && b) return l->GetDisplayName() + " vs " + b->GetDisplayName() + " [" + name + "]";
    return name;
}

std::string TGraphVC::TitleText() const {
    std::string t = GetCaption();
    if (!FZoom.Empty()) t += std::string(" [") + txtZoom + "]";
    if (!FSplitChannels.empty()) t += std::string(" [") + txtSC + "]";
    return t;
}

void TGraphVC::UpdateAppearance() {
    TPanelVC::UpdateAppearance();
    if (QLabel* caption = CaptionLabel()) {
        QString text = QString::fromStdString(TitleText());
        if (FOutdated) text += "  (outdated)";
        caption->setText(text);
    }
    LayoutAxes(true);
    if (!FGridH) return;
    const TColorScheme& scheme = ColorScheme(FColorScheme);
    if (FActive) {
        FContainer->Core().SetBandColor(scheme.Foreground);
        ApplyColours(scheme);
        FTimeMarks->SetColor(FTimeMarks->GetColor());
        FTimeMarks->SetVisible(FShowTimeMarks);
        if (FInfoRect) {
            FInfoRect->FramePen().SetColor(scheme.Foreground);
            FInfoRect->SelectedPen().SetColor(scheme.Alert);
            FInfoRect->EditingPen().SetColor(scheme.Highlight);
        }
    } else {
        FContainer->SetColor(TCanvasDraw::FromQColor(Content()->palette().color(QPalette::Button)));
        FContainer->Core().SetBandColor(0);
    }
    // The series dialog changes these on the series; the objects follow here.
    for (int i = 0; i < FSeries.Count(); ++i) {
        const TSeriesGr& s = *FSeries.Get(i);
        TGraphAEVObject* o = SeriesObject(s);
        if (!o) continue;
        o->SetVisible(s.Visible());
        if (auto* p = dynamic_cast<TGraphPointAEVObject*>(o)) p->SetPointStyle(s.TypePoint());
    }
    if (FNoticeLabel) {
        // Readable on the plot's colour, whichever scheme or state.
        const QColor back = TCanvasDraw::ToQColor(FContainer->GetColor());
        QPalette palette = FNoticeLabel->palette();
        palette.setColor(QPalette::WindowText, back.lightness() < 128 ? Qt::white : Qt::black);
        FNoticeLabel->setPalette(palette);
        FNoticeLabel->setText(QString::fromStdString(FNotice));
        FNoticeLabel->setGeometry(FContainer->rect());
        FNoticeLabel->setVisible(!FNotice.empty());
    }
    UpdateLegend();
    FContainer->RedrawObjects();
    FContainer->update();
    Panel()->update();
}

std::vector<TLegendEntry> TGraphVC::Legend(TColor background) const {
    if (!FActive) return {};
    auto name = [this](const TSeriesGr& s) {
        return (s.Side() == sdRight ? FRight : FLeft)->Caption();
    };
    return GraphLegend(FSeries, FSplitChannels, name, background);
}

void TGraphVC::UpdateLegend() {
    if (!FLegendLabel) return;
    const TColorScheme& scheme = ColorScheme(FColorScheme);
    const std::vector<TLegendEntry> entries = Legend(scheme.Background);
    if (entries.empty()) {
        FLegendLabel->hide();
        return;
    }
    QString html;
    for (const TLegendEntry& e : entries) {
        if (!html.isEmpty()) html += "<br>";
        html += QString("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                    .arg(TCanvasDraw::ToQColor(e.Color).name(),
                         QString::fromStdString(e.Text).toHtmlEscaped());
    }
    FLegendLabel->setStyleSheet(QString("QLabel { background: %1; color: %2; border: 1px solid "
                                        "%3; padding: 2px 4px; }")
                                    .arg(TCanvasDraw::ToQColor(scheme.Background).name(),
                                         TCanvasDraw::ToQColor(scheme.Foreground).name(),
                                         QColor(128, 128, 128).name()));
    FLegendLabel->setText(html);
    FLegendLabel->adjustSize();
    PlaceLegend();
    FLegendLabel->show();
    FLegendLabel->raise();
}

void TGraphVC::PlaceLegend() {
    if (!FLegendLabel) return;
    // The top right corner, inside the plot's margin.
    FLegendLabel->move(std::max(0, FContainer->width() - FLegendLabel->width() - 8), 6);
}

void TGraphVC::ApplyColours(const TColorScheme& scheme) {
    if (!FGridH) return;
    FContainer->SetColor(scheme.Background);
    FGridH->Pen().SetColor(scheme.CellLine);
    FGridV->Pen().SetColor(scheme.CellLine);
    for (int i = 0; i < FSeries.Count(); ++i) {
        TSeriesGr& s = *FSeries.Get(i);
        if (TGraphAEVObject* o = SeriesObject(s)) ApplySeriesColours(s, *o, scheme.Background);
    }
}

void TGraphVC::ApplySeriesColours(const TSeriesGr& s, TGraphAEVObject& o, TColor background) {
    // Palette entries are drawn in the shade of their hue that stays readable on the
    // background (3:1), so that pale entries do not vanish on the light scheme nor dark ones
    // on the dark scheme.
    if (s.Color() != -1) o.SetColor(ReadableOn(PaletteColor(s.Color()), background));
    TShiftAEVObject& channels = o.ChannelColors();
    for (int k = 0; k < channels.Count(); ++k) {
        const int32_t channel = channels.ChannelAt(k);
        if (channel >= 1 && channel <= PaletteSize)
            channels.SetColourAt(k, ReadableOn(PaletteColor(channel), background));
    }
    // Bars are outlined so that neighbouring bars stay apart: in a stronger shade of their own
    // colour where that differs enough from the fill (pale bars keep an edge), else in the
    // background's colour as before.
    if (auto* hist = dynamic_cast<THistigramAEVObject*>(&o)) {
        const TColor fill = o.GetColor();
        const TColor edge = ReadableOn(fill, background, 4.5L);
        hist->FramePen().SetColor(ContrastRatio(edge, fill) >= 1.5L ? edge : background);
    }
}

void TGraphVC::SetFocusedView(bool value) {
    const bool change = value != FFocused;
    TPanelVC::SetFocusedView(value);
    if (!change) return;
    if (value) {
        FContainer->setFocus();
    } else {
        HideInfoRect();
    }
    UpdateAppearance();
}

void TGraphVC::RefreshAxisCaptions() {
    if (!FSource || FSource->GetSourceState() != 3) return;
    for (TGrAixs* a : {FLeft.get(), FBottom.get()})
        if (const TAEField* f = FindAixsField(a->FieldId()))
            if (auto* legend = a->Properties().FindAs<TGVProperty>("Legend"))
                legend->SetAsString(f->GetDisplayName());
}

// ---- Fields ------------------------------------------------------------------------------------

bool TGraphVC::UsesField(const std::string& id) const {
    if (id.empty()) return false;
    if (FLeft->FieldId() == id || FBottom->FieldId() == id) return true;
    if (FRight->Enabled() && FRight->FieldId() == id) return true;
    for (int i = 0; i < FFieldsInfo.Count(); ++i)
        if (auto* p = dynamic_cast<const TGVStringProperty*>(FFieldsInfo.Get(i)))
            if (p->Value() == id) return true;
    return false;
}

bool TGraphVC::ReportFieldUse(std::string_view id, std::vector<std::string>& lines) const {
    bool used = UsesField(std::string(id));
    if (used) {
        const TAEField* f = FindAixsField(std::string(id));
        const std::string line =
            "Field: " + (f ? f->FieldName() : std::string(id)) + "[" + OwnerName() + "]";
        if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    }
    for (int i = 0; i < FSeries.Count(); ++i) {
        const size_t before = lines.size();
        FSeries.Get(i)->LogCons().CollectUses(id, lines, "");
        used |= lines.size() != before;
    }
    return used;
}

bool TGraphVC::ReportFieldUse(const std::string& fieldId, std::vector<std::string>& messages) {
    return static_cast<const TGraphVC*>(this)->ReportFieldUse(std::string_view(fieldId), messages);
}

void TGraphVC::RemoveField(const std::string& id) {
    for (TGrAixs* a : {FLeft.get(), FBottom.get(), FRight.get()})
        a->FieldRemoved(id);
    for (int i = FFieldsInfo.Count() - 1; i >= 0; --i)
        if (auto* p = dynamic_cast<const TGVStringProperty*>(FFieldsInfo.Get(i)))
            if (p->Value() == id) FFieldsInfo.Delete(i);
    for (int i = 0; i < FSeries.Count(); ++i)
        FSeries.Get(i)->LogCons().RemoveReferences(id);
}

bool TGraphVC::Configured() const {
    return FLeft->HasField() && FBottom->HasField() && FSeries.Count() > 0;
}

bool TGraphVC::TimeAxis() const {
    const TAEField* f = FindAixsField(FBottom->FieldId());
    return f && f->HasFlag(ffTime);
}

// ---- Menu --------------------------------------------------------------------------------------

void TGraphVC::BuildMenu() {
    FEditMenu = new QMenu("Edit", Panel());
    FEditMenu->setObjectName("mGVVisualClass");
    for (const TMenuEntry& e : EditItems) {
        QAction* a = std::string(e.Caption) == "-" ? FEditMenu->addSeparator()
                                                   : FEditMenu->addAction(e.Caption);
        a->setObjectName(e.Name);
        FItems[e.Name] = a;
    }
    FEditItem = FEditMenu->menuAction();
    QObject::connect(FItems["mHideVC"], &QAction::triggered, [this] {
        HideInfoRect();
        UpdateAppearance();
    });
    QObject::connect(FItems["mHideHitMarksVC"], &QAction::triggered, [this] { HideHitMarks(); });
    QObject::connect(FItems["mZoomVC"], &QAction::triggered, [this] { ZoomView(zmBoth); });
    QObject::connect(FItems["mHZoomVC"], &QAction::triggered, [this] { ZoomView(zmHorizontal); });
    QObject::connect(FItems["mVZoomVC"], &QAction::triggered, [this] { ZoomView(zmVertical); });
    QObject::connect(FItems["mUnzoomVC"], &QAction::triggered, [this] { UnzoomView(false); });
    QObject::connect(FItems["mUnzoomAllVC"], &QAction::triggered, [this] { UnzoomView(true); });
    QObject::connect(FItems["mSelectVC"], &QAction::triggered, [this] { SelectFound(); });
    QObject::connect(FItems["mUnselectVC"], &QAction::triggered,
                     [this] { SendRequest(omUndoSelection); });
    QObject::connect(FItems["mDeleteVC"], &QAction::triggered, [this] { DeleteFound(); });
    QObject::connect(FItems["mUnDeleteVC"], &QAction::triggered,
                     [this] { SendRequest(omUndoDeletion); });
    QObject::connect(FItems["mUnDeleteAllVC"], &QAction::triggered,
                     [this] { SendRequest(omUndoAllDeletions); });
    QObject::connect(FItems["mInfoVC"], &QAction::triggered, [this] { ShowInfo(); });
    QAction* marks = new QAction("Time Marks", Panel());
    marks->setObjectName("mTimeMarksVC");
    marks->setCheckable(true);
    FItems["mTimeMarksVC"] = marks;
    QObject::connect(marks, &QAction::triggered, [this] {
        SetShowTimeMarks(!FShowTimeMarks);
        UpdateAppearance();
    });
    QAction* save = new QAction("Save Graph As...", Panel());
    save->setObjectName("mSaveGraphVC");
    FItems["mSaveGraphVC"] = save;
    QObject::connect(save, &QAction::triggered, [this] { SaveGraphInteractive(); });
    QAction* waveform = new QAction("Show Waveform", Panel());
    waveform->setObjectName("mShowWaveformVC");
    FItems["mShowWaveformVC"] = waveform;
    QObject::connect(waveform, &QAction::triggered,
                     [this] { ShowWaveformAt(FPopupX, FPopupY, true); });
}

bool TGraphVC::SaveGraph(const std::string& fileName, const TReportOptions& options,
                         std::string& error) {
    TReportOptions o = options;
    if (!ReportFormatOf(fileName, o.Format)) {
        error = fileName + ": not a .png, .pdf or .svg file";
        return false;
    }
    // Never over the recording, its log or the project.
    std::string reason;
    if (!CheckWriteTarget(fileName, KeptFiles(*FSource), reason)) {
        error = fileName + ": " + reason;
        return false;
    }
    QByteArray bytes;
    if (!RenderGraphReport(*this, o, bytes, error)) {
        error = fileName + ": " + error;
        return false;
    }
    // Written beside the target and renamed over it: a failure keeps the old file.
    return WriteFileAtomically(fileName, std::string_view(bytes.constData(), bytes.size()), error);
}

void TGraphVC::SaveGraphInteractive() {
    TFileDialogOptions options;
    options.Title = "Save Graph As";
    options.Filter = "PNG Image|*.png|PDF Document|*.pdf|SVG Drawing|*.svg";
    options.DefaultExt = "png";
    options.InitialFile = GetCaption() + ".png";
    options.ConfirmOverwrite = true;
    std::string name;
    if (!Dialogs().SaveFile(options, name) || name.empty()) return;
    TReportOptions report;
    // The picture keeps the size the graph has on the screen, at least a readable one.
    report.Width = std::max(640, Panel()->width());
    report.Height = std::max(480, Panel()->height());
    std::string error;
    if (!SaveGraph(name, report, error))
        Dialogs().ShowMessageBox("The graph could not be saved: " + error, TMsgKind::Warning, mbOK);
}

void TGraphVC::UpdateMenu() {
    const bool rect = FInfoRect != nullptr;
    for (const char* n :
         {"mHideVC", "mZoomVC", "mHZoomVC", "mVZoomVC", "mSelectVC", "mDeleteVC", "mInfoVC"})
        FItems[n]->setEnabled(rect);
    FItems["mHideHitMarksVC"]->setEnabled(FHitMarkPosition != -1);
    FItems["mUnzoomVC"]->setEnabled(!FZoom.Empty());
    FItems["mUnzoomAllVC"]->setEnabled(!FZoom.Empty());
    // The groups a request would undo are the database processor's.
    const auto* db = FGraph ? dynamic_cast<const TGVDb*>(FGraph->Top()) : nullptr;
    FItems["mUnselectVC"]->setEnabled(db && db->SelectedGroupCount() > 0);
    FItems["mUnDeleteVC"]->setEnabled(db && db->DeletedGroupCount() > 0);
    FItems["mUnDeleteAllVC"]->setEnabled(db && db->DeletedGroupCount() > 0);
    FItems["mTimeMarksVC"]->setChecked(FShowTimeMarks);
    FItems["mSaveGraphVC"]->setEnabled(FActive);
}

QAction* TGraphVC::MenuItem(const std::string& name) {
    UpdateMenu();
    const auto it = FItems.find(name);
    return it == FItems.end() ? nullptr : it->second;
}

QList<QAction*> TGraphVC::PopupItems() {
    UpdateMenu();
    QList<QAction*> items{FEditItem};
    if (TimeAxis()) items.push_back(FItems["mTimeMarksVC"]);
    items.push_back(FItems["mSaveGraphVC"]);
    // On a point: its waveform.
    const TSeriesGr* s = nullptr;
    int i = -1;
    FItems["mShowWaveformVC"]->setEnabled(PointAt(FPopupX, FPopupY, s, i));
    items.push_back(FItems["mShowWaveformVC"]);
    return items;
}

// ---- Persistence -------------------------------------------------------------------------------

void TGraphVC::SaveToNode(TNodePersist& node) const {
    TGVVisualClass::SaveToNode(node);
    node.AddItem("EnableRightAixs", Bool(FRight->Enabled()));
    FLeft->SaveToNode(*node.AddNode("LeftAixs"));
    FRight->SaveToNode(*node.AddNode("RightAixs"));
    FBottom->SaveToNode(*node.AddNode("BottomAixs"));
    FSeries.SaveToNode(*node.AddNode("SeriesAixs"));
    FFieldsInfo.SaveToNode(*node.AddNode("FIELDSINFO"));
    node.AddItem("FirstPointInfo", Bool(FFirstPointInfo));
    FTimeMarks->SaveToNode(*node.AddNode("TimeMarks"));
    TNodePersist* addon = node.AddNode("Addon");
    for (const auto& [id, enabled] : FAddOnStates) {
        TNodePersist* item = addon->AddNode("Item");
        item->AddItem("ID", id);
        item->AddItem("Enabled", IntToStr(enabled));
    }
    TNodePersist* slave = node.AddNode("SlaveWindow");
    const TSlaveRect r = IsDetached() ? CurrentSlaveRect() : SlaveRect();
    slave->AddItem("Top", IntToStr(r.Top));
    slave->AddItem("Left", IntToStr(r.Left));
    slave->AddItem("Width", IntToStr(r.Width));
    slave->AddItem("Height", IntToStr(r.Height));
}

void TGraphVC::LoadFromNode(const TNodePersist& node) {
    TPanelVC::LoadFromNode(node);
    const std::string right = Trim(node.GetValue("EnableRightAixs"));
    if (right == "1" || right == "0") SetEnableRightAixs(right == "1");
    if (node.IndexOfItem("FirstPointInfo") >= 0)
        FFirstPointInfo = Trim(node.GetValue("FirstPointInfo")) == "1";
    FInfoRect = nullptr;
    FLinks.clear();
    FSeries.Clear();
    FAddOns.clear();
    FContainer->Clear();
    CreateGridLines();
    FTimeMarks->CreateLine();
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        const std::string& name = child.Name();
        if (SameTextTrimmed(name, "LeftAixs"))
            FLeft->LoadFromNode(child);
        else if (SameTextTrimmed(name, "RightAixs"))
            FRight->LoadFromNode(child);
        else if (SameTextTrimmed(name, "BottomAixs"))
            FBottom->LoadFromNode(child);
        else if (SameTextTrimmed(name, "SeriesAixs"))
            FSeries.LoadFromNode(child);
        else if (SameTextTrimmed(name, "FIELDSINFO"))
            FFieldsInfo.LoadFromNode(child);
        else if (SameTextTrimmed(name, "TimeMarks")) {
            FTimeMarks->LoadFromNode(child);
            FShowTimeMarks = FTimeMarks->GetVisible();
        } else if (SameTextTrimmed(name, "Addon")) {
            FAddOnStates.clear();
            for (int k = 0; k < child.NodeCount(); ++k) {
                const TNodePersist& item = *child.Node(k);
                if (item.IndexOfItem("ID") < 0 || item.IndexOfItem("Enabled") < 0) continue;
                int32_t v = 0;
                if (!TryStrToInt(Trim(item.GetValue("Enabled")), v)) v = 0;
                FAddOnStates.emplace_back(Trim(item.GetValue("ID")), v);
            }
        }
    }
    UpdateAppearance();
}

} // namespace vorelt
