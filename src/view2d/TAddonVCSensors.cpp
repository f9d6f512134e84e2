#include "view2d/TAddonVCSensors.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNumberFormat.h"
#include "processing/graph/TGraphTypes.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TLabelledMarksAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

// A value's distance from the axis' current minimum as the axis counts it.
long double Distance(const TGrAixs& axis, long double v, long double lo) {
    return axis.Logarithmic() ? std::log10(v) - std::log10(lo) : v - lo;
}

} // namespace

TAddonVCSensors::TAddonVCSensors(TGVCPUSourceLoc* source, TGraphVC* graph)
    : TAddonVC(source, graph), FOwner(source) {
    FEnabled = true;
}

TAddonVCSensors::~TAddonVCSensors() {
    Clear();
}

bool TAddonVCSensors::IsLocationPlot(const std::string& leftId, const std::string& bottomId) {
    return leftId == fidSourceY && bottomId == fidSourceX;
}

void TAddonVCSensors::Clear() {
    if (FGraph && FGraph->Container())
        for (TBaseAEVObject* o :
             {static_cast<TBaseAEVObject*>(FMarks), static_cast<TBaseAEVObject*>(FOutline)}) {
            if (!o) continue;
            const int i = FGraph->Container()->IndexOfObject(o);
            if (i >= 0) FGraph->Container()->DeleteObject(i);
        }
    FMarks = nullptr;
    FOutline = nullptr;
}

void TAddonVCSensors::Fill() {
    if (!FEnabled || !FOwner || !FGraph || !FGraph->Container()) return;
    RedrawContainer();
    Clear();
    const TSensorLayout& layout = FOwner->Layout();
    if (layout.Count() == 0) return;
    const TColorScheme& scheme = ColorScheme(FGraph->ColorSchemeIndex());
    if (layout.Count() > 1) {
        auto outline = std::make_unique<TRectAEVObject>();
        outline->SetMovable(false);
        outline->SetResizable(false);
        outline->SetEnabled(false);
        outline->FramePen().SetColor(scheme.CellLine);
        FOutline = outline.get();
        FGraph->Container()->AddObject(std::move(outline), 0);
    }
    auto marks = std::make_unique<TLabelledMarksAEVObject>();
    marks->FramePen().SetColor(scheme.Foreground);
    marks->Font().Color = scheme.Foreground;
    FMarks = marks.get();
    FGraph->Container()->AddObject(std::move(marks), 0);
    Place();
}

void TAddonVCSensors::Place() {
    if (!FOwner || !FGraph) return;
    long double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
    if (!FGraph->BottomAxis().CurrentRange(xLo, xHi) || !FGraph->LeftAxis().CurrentRange(yLo, yHi))
        return;
    const TGrAixs& bottom = FGraph->BottomAxis();
    const TGrAixs& left = FGraph->LeftAxis();
    auto normX = [&](double x) { return bottom.Normalize(Distance(bottom, x, xLo)); };
    auto normY = [&](double y) { return left.Normalize(Distance(left, y, yLo)); };
    const std::vector<TSensor>& sensors = FOwner->Layout().Sensors();
    if (FMarks) {
        FMarks->ClearValues();
        for (const TSensor& s : sensors) {
            const long double x = normX(s.X), y = normY(s.Y);
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            FMarks->AddValue(y, x);
            FMarks->AddLabel(IntToStr(s.Chan));
        }
    }
    if (FOutline) {
        FOutline->ClearValues();
        double x0 = sensors.front().X, x1 = x0, y0 = sensors.front().Y, y1 = y0;
        for (const TSensor& s : sensors) {
            x0 = std::min(x0, s.X);
            x1 = std::max(x1, s.X);
            y0 = std::min(y0, s.Y);
            y1 = std::max(y1, s.Y);
        }
        const long double a = normX(x0), b = normX(x1), c = normY(y0), d = normY(y1);
        if (x1 > x0 && y1 > y0 && std::isfinite(a) && std::isfinite(b) && std::isfinite(c) &&
            std::isfinite(d)) {
            FOutline->AddValue(d, a);
            FOutline->AddValue(c, b);
        }
    }
}

void TAddonVCSensors::ApplyTransform(const TViewTransform& t) {
    if (!FEnabled) return;
    if (t.Refill) {
        Place();
        return;
    }
    for (TBaseAEVObject* o :
         {static_cast<TBaseAEVObject*>(FMarks), static_cast<TBaseAEVObject*>(FOutline)}) {
        if (!o) continue;
        for (int k = 0; k < o->Points().Count(); ++k)
            o->TransformPoint(k, t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
    }
}

} // namespace vorelt
