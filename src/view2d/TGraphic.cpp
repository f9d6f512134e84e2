#include "view2d/TGraphic.h"

#include "view2d/TAixsStrip.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TRectAEVObject.h"
#include "view2d/TypesPrg.h"

#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

long double Lg(long double v) {
    return std::log10(v <= 0 ? GraphLogZero : v);
}

// Origin and scale of one axis from the old current range to the new one; `fromMin` for the
// bottom axis, whose origin is the new minimum.
void Pair(const TAixs& a, long double o1, long double o2, long double n1, long double n2,
          bool fromMin, long double& origin, long double& scale, bool& refill) {
    if (a.Logarithmic()) {
        o1 = Lg(o1);
        o2 = Lg(o2);
        n1 = Lg(n1);
        n2 = Lg(n2);
    }
    if (o1 == n1 && o2 == n2) {
        origin = fromMin ? 0 : 1;
        scale = 1;
        return;
    }
    const long double od = o2 - o1, nd = n2 - n1;
    if (od == 0 || nd == 0 || !std::isfinite(od) || !std::isfinite(nd)) {
        refill = true;
        return;
    }
    origin = ((fromMin ? n1 : n2) - o1) / od;
    scale = od / nd;
}

long double Cur(const TGVFloatProperty& p) {
    return p.IsNull() ? 0 : p.GetAsFloat();
}

struct TMenuEntry {
    const char* Name;
    const char* Caption;
};
constexpr TMenuEntry EditItems[] = {
    {"mHideVC", "Hide Select Rectangle"},
    {"mEmpt_1VC", "-"},
    {"mZoomVC", "Zoom"},
    {"mHZoomVC", "Horizontal Zoom"},
    {"mVZoomVC", "Vertical Zoom"},
    {"mUnzoomVC", "Unzoom"},
    {"mUnzoomAllVC", "Unzoom All"},
};

} // namespace

TGraphic::TGraphic(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlGraphic");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    FLeftStrip = new TAixsStrip(this);
    FLeftStrip->setObjectName("pbLeftAixs");
    FRightStrip = new TAixsStrip(this);
    FRightStrip->setObjectName("pbRightAixs");
    FBottomStrip = new TAixsStrip(this);
    FBottomStrip->setObjectName("pbBottomAixs");
    FContainer = new TCanvasContainer(this);
    FContainer->setObjectName("ccGraphic");
    FContainer->SetBorderStyle(1);
    FLeftStrip->SetAxis(&FLeft);
    FRightStrip->SetAxis(&FRight);
    FBottomStrip->SetAxis(&FBottom);
    FLeftStrip->setFixedWidth(4);
    FRightStrip->setFixedWidth(4);
    for (TAixsStrip* s : {FLeftStrip, FRightStrip, FBottomStrip})
        s->SetPlot(FContainer);
    // The marks are pixels of the plot: every new size of it lays the axes out again.
    FContainer->OnResized = [this](TCanvasContainer&) { LayoutAxes(false); };
    grid->addWidget(FLeftStrip, 0, 0);
    grid->addWidget(FContainer, 0, 1);
    grid->addWidget(FRightStrip, 0, 2);
    grid->addWidget(FBottomStrip, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    for (TAixs* a : {&FLeft, &FRight, &FBottom})
        a->OnQueryActive = [this] { return FActive; };
    // No right axis unless the owner asks for one.
    FRight.SetEnabled(false);
    TCanvasContainerCore& core = FContainer->Core();
    core.OnSelectRect = [this](TCanvasContainerCore&, TRectInt& band) {
        SelectRect(band.Left, band.Top, band.Right, band.Bottom);
    };
    core.OnContextPopup = [this](TCanvasContainerCore&, int32_t x, int32_t y, bool& handled) {
        handled = true;
        UpdateMenu();
        FEditMenu->popup(FContainer->mapToGlobal(QPoint(x, y)));
    };
    BuildMenu();
}

TGraphic::~TGraphic() {
    FContainer->OnResized = nullptr;
}

void TGraphic::LayoutAxes(bool apply) {
    // Applying the layout resizes the plot, which asks for this again: the outer call has it.
    if (FLayingOutAxes) return;
    FLayingOutAxes = true;
    LayOutAixs({&FLeft, &FBottom, &FRight}, apply ? layout() : nullptr);
    FLayingOutAxes = false;
}

void TGraphic::SetRange(TAixs& axis, long double lo, long double hi) {
    axis.SetAutoMin(false);
    axis.SetAutoMax(false);
    axis.Min().SetAsFloat(lo);
    axis.Max().SetAsFloat(hi);
    axis.CurMin().SetAsFloat(lo);
    axis.CurMax().SetAsFloat(hi);
}

void TGraphic::SetActive(bool value) {
    FActive = value;
    HideInfoRect();
    FStack.clear();
    if (OnClear) OnClear(*this);
    long double lo = 0, hi = 0;
    if (FActive && FLeft.CurrentRange(lo, hi) && FBottom.CurrentRange(lo, hi) && OnFill)
        OnFill(*this);
    UpdateAppearance();
}

TGraphic::TSnapshot TGraphic::Snapshot() {
    return {Cur(FLeft.CurMin()),   Cur(FLeft.CurMax()),  Cur(FBottom.CurMin()),
            Cur(FBottom.CurMax()), Cur(FRight.CurMin()), Cur(FRight.CurMax())};
}

void TGraphic::Restore(const TSnapshot& s) {
    FLeft.CurMin().SetAsFloat(s.LeftMin);
    FLeft.CurMax().SetAsFloat(s.LeftMax);
    FBottom.CurMin().SetAsFloat(s.BottomMin);
    FBottom.CurMax().SetAsFloat(s.BottomMax);
    if (FRight.Enabled()) {
        FRight.CurMin().SetAsFloat(s.RightMin);
        FRight.CurMax().SetAsFloat(s.RightMax);
    }
}

TViewTransform TGraphic::Transform(const TSnapshot& old) {
    const TSnapshot now = Snapshot();
    TViewTransform t;
    Pair(FLeft, old.LeftMin, old.LeftMax, now.LeftMin, now.LeftMax, false, t.YOriginLeft,
         t.YScaleLeft, t.Refill);
    Pair(FBottom, old.BottomMin, old.BottomMax, now.BottomMin, now.BottomMax, true, t.XOrigin,
         t.XScale, t.Refill);
    if (FRight.Enabled())
        Pair(FRight, old.RightMin, old.RightMax, now.RightMin, now.RightMax, false, t.YOriginRight,
             t.YScaleRight, t.Refill);
    return t;
}

void TGraphic::SelectRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    HideInfoRect();
    if (!FActive) return;
    auto r = std::make_unique<TRectAEVObject>();
    const TColorScheme& scheme = ColorScheme(0);
    r->FramePen().SetColor(scheme.Foreground);
    r->SelectedPen().SetColor(scheme.Alert);
    r->EditingPen().SetColor(scheme.Highlight);
    r->SetScale(1, 1);
    r->SetBounds({0, 0}, {LogicalWidthUnits - 1.0L, LogicalHeightUnits - 1.0L});
    TRectAEVObject* raw = r.get();
    FContainer->AddObject(std::move(r));
    const TLogicalPoint a = raw->ToLogical(left, top);
    const TLogicalPoint b = raw->ToLogical(right, bottom);
    raw->SetRect(a.X, a.Y, b.X, b.Y);
    FInfoRect = raw;
    FContainer->update();
}

void TGraphic::HideInfoRect() {
    if (!FInfoRect) return;
    const int i = FContainer->IndexOfObject(FInfoRect);
    if (i >= 0) FContainer->DeleteObject(i);
    FInfoRect = nullptr;
}

bool TGraphic::ZoomView(int mode) {
    if (!FActive || !FInfoRect || FInfoRect->Points().Count() < 2) return false;
    const auto& p = FInfoRect->Points();
    const long double w = LogicalWidthUnits, h = LogicalHeightUnits;
    // The rectangle as fractions of the ranges, 0 at the minimum.
    const long double fl = std::min(p.X(0), p.X(1)) / w, fr = std::max(p.X(0), p.X(1)) / w;
    const long double ft = 1 - std::min(p.Y(0), p.Y(1)) / h;
    const long double fb = 1 - std::max(p.Y(0), p.Y(1)) / h;
    const TSnapshot old = Snapshot();
    FStack.push_back(old);
    auto narrow = [](TAixs& a, long double f0, long double f1) {
        long double lo = 0, hi = 0;
        if (!a.CurrentRange(lo, hi)) return;
        auto at = [&](long double f) {
            return a.Logarithmic() ? std::pow(10.0L, Lg(lo) + f * (Lg(hi) - Lg(lo)))
                                   : lo + f * (hi - lo);
        };
        long double x = at(f0), y = at(f1);
        TAixs::WidenRange(x, y);
        // A rectangle zoom only narrows.
        if (x > lo) a.CurMin().SetAsFloat(x);
        if (y < hi) a.CurMax().SetAsFloat(y);
    };
    if (mode == 0 || mode == 1) {
        narrow(FLeft, fb, ft);
        if (FRight.Enabled()) narrow(FRight, fb, ft);
    }
    if (mode == 0 || mode == 2) narrow(FBottom, fl, fr);
    const TViewTransform t = Transform(old);
    HideInfoRect();
    if (OnTransform) OnTransform(*this, t);
    UpdateAppearance();
    return true;
}

bool TGraphic::UnzoomView(bool all) {
    if (FStack.empty()) return false;
    const TSnapshot old = Snapshot();
    if (all) {
        Restore(FStack.front());
        FStack.clear();
    } else {
        Restore(FStack.back());
        FStack.pop_back();
    }
    const TViewTransform t = Transform(old);
    HideInfoRect();
    if (OnTransform) OnTransform(*this, t);
    UpdateAppearance();
    return true;
}

void TGraphic::UpdateAppearance() {
    LayoutAxes(true);
    // The dark scheme of graphs: palette colours stand out on it.
    FContainer->SetColor(FActive ? ColorScheme(0).Background : 0xF0F0F0);
    FContainer->RedrawObjects();
    FContainer->update();
    update();
}

void TGraphic::BuildMenu() {
    FEditMenu = new QMenu("Edit", this);
    FEditMenu->setObjectName("mVisualClass");
    for (const TMenuEntry& e : EditItems) {
        QAction* a = std::string(e.Caption) == "-" ? FEditMenu->addSeparator()
                                                   : FEditMenu->addAction(e.Caption);
        a->setObjectName(e.Name);
        FItems[e.Name] = a;
    }
    connect(FItems["mHideVC"], &QAction::triggered, this, [this] {
        HideInfoRect();
        UpdateAppearance();
    });
    connect(FItems["mZoomVC"], &QAction::triggered, this, [this] { ZoomView(0); });
    connect(FItems["mHZoomVC"], &QAction::triggered, this, [this] { ZoomView(2); });
    connect(FItems["mVZoomVC"], &QAction::triggered, this, [this] { ZoomView(1); });
    connect(FItems["mUnzoomVC"], &QAction::triggered, this, [this] { UnzoomView(false); });
    connect(FItems["mUnzoomAllVC"], &QAction::triggered, this, [this] { UnzoomView(true); });
}

void TGraphic::UpdateMenu() {
    for (const char* n : {"mHideVC", "mZoomVC", "mHZoomVC", "mVZoomVC"})
        FItems[n]->setEnabled(FInfoRect != nullptr);
    FItems["mUnzoomVC"]->setEnabled(!FStack.empty());
    FItems["mUnzoomAllVC"]->setEnabled(!FStack.empty());
}

QAction* TGraphic::MenuItem(const std::string& name) {
    UpdateMenu();
    if (name == "mVisualClass") return FEditMenu->menuAction();
    const auto it = FItems.find(name);
    return it == FItems.end() ? nullptr : it->second;
}

} // namespace vorelt
