#include "view2d/TGraphic.h"

#include "view2d/TAixsStrip.h"
#include "view2d/TCanvasContainer.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

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
    FZoom.Clear();
    if (OnClear) OnClear(*this);
    long double lo = 0, hi = 0;
    if (FActive && FLeft.CurrentRange(lo, hi) && FBottom.CurrentRange(lo, hi) && OnFill)
        OnFill(*this);
    UpdateAppearance();
}

TGraphRun TGraphic::Run() {
    TGraphRun run;
    run.Left = &FLeftScale;
    run.Right = &FRightScale;
    run.Bottom = &FBottomScale;
    run.RightEnabled = run.RightOn = FRight.Enabled();
    return run;
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
    TZoomRect rect;
    rect.Left = std::min(p.X(0), p.X(1)) / w;
    rect.Right = std::max(p.X(0), p.X(1)) / w;
    rect.Top = 1 - std::min(p.Y(0), p.Y(1)) / h;
    rect.Bottom = 1 - std::max(p.Y(0), p.Y(1)) / h;
    const TViewTransform t = FZoom.Zoom(Run(), mode, &rect, nullptr);
    HideInfoRect();
    if (OnTransform) OnTransform(*this, t);
    UpdateAppearance();
    return true;
}

bool TGraphic::UnzoomView(bool all) {
    TViewTransform t;
    if (!FZoom.Unzoom(Run(), all, t)) return false;
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
    FItems["mUnzoomVC"]->setEnabled(!FZoom.Empty());
    FItems["mUnzoomAllVC"]->setEnabled(!FZoom.Empty());
}

QAction* TGraphic::MenuItem(const std::string& name) {
    UpdateMenu();
    if (name == "mVisualClass") return FEditMenu->menuAction();
    const auto it = FItems.find(name);
    return it == FItems.end() ? nullptr : it->second;
}

} // namespace vorelt
