#include "view2d/TAddonVCLoadGr.h"

#include "drivers/TAEDriverDb.h"
#include "model/TAEFieldIDs.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGraphTypes.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TLineAEVObject.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

TAddonVCLoadGr::TAddonVCLoadGr(TGVDb* db, TGraphVC* graph) : TAddonVC(db, graph), FDb(db) {}

TAddonVCLoadGr::~TAddonVCLoadGr() {
    Clear();
}

void TAddonVCLoadGr::Clear() {
    if (FLine && FGraph && FGraph->Container()) {
        const int i = FGraph->Container()->IndexOfObject(FLine);
        if (i >= 0) FGraph->Container()->DeleteObject(i);
    }
    FLine = nullptr;
}

void TAddonVCLoadGr::Fill() {
    if (!FEnabled || !FDb || !FGraph) return;
    RedrawContainer();
    CreateLoadLine();
    FillLoadLine();
}

void TAddonVCLoadGr::CreateLoadLine() {
    if (!FEnabled || !FDb || !FGraph || !FGraph->Container()) return;
    const TTestGrLine& load = FDb->TestLoadLine();
    if (load.Points().PointCount() < 1) return;
    Clear();
    auto line = std::make_unique<TLineAEVObject>();
    line->SetShowVertices(false);
    line->SetLineWidth(load.WidthLine());
    line->FramePen().SetColor(static_cast<TColor>(load.Color()));
    line->SetMovable(false);
    line->SetResizable(false);
    line->SetEnabled(false);
    FLine = line.get();
    FGraph->Container()->AddObject(std::move(line), 0);
}

void TAddonVCLoadGr::FillLoadLine() {
    if (!FLine || !FDb || !FGraph) return;
    FLine->ClearValues();
    const TTestGrLine& load = FDb->TestLoadLine();
    const TAEDriverDb* driver = FDb->Driver();
    long double xLo = 0, xHi = 0;
    if (!driver || !FGraph->BottomAxis().CurrentRange(xLo, xHi)) return;
    long double min = load.GetMin(), max = load.GetMax();
    if (!(max > min)) {
        // The test graph's load range is not known (no test graph window yet): the line
        // spans the loads it has.
        bool any = false;
        for (const TGVCoord& c : load.Points().Points()) {
            min = any ? std::min(min, c.Y) : c.Y;
            max = any ? std::max(max, c.Y) : c.Y;
            any = true;
        }
        if (max == min) {
            max += 1;
            min -= 1;
        }
        const long double pad = (max - min) * 0.05L;
        max += pad;
        min = std::max<long double>(0, min - pad);
    }
    const std::string& bottomId = FGraph->BottomAxis().FieldId();
    const long double w = LogicalWidthUnits, h = LogicalHeightUnits;
    for (const TGVCoord& c : load.Points().Points()) {
        long double t = c.X;
        if (bottomId != fidTimeS && !driver->ConvertTime(fidTimeS, bottomId, t, c.X)) continue;
        const long double x = w * FGraph->BottomAxis().Normalize(t - xLo);
        const long double y = h * (max - c.Y) / (max - min);
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        FLine->AddPoint(x, y);
    }
}

void TAddonVCLoadGr::ApplyTransform(const TViewTransform& t) {
    if (!FEnabled || !FLine) return;
    if (t.Refill) {
        FillLoadLine();
        return;
    }
    for (int k = 0; k < FLine->Points().Count(); ++k)
        FLine->TransformPoint(k, t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
}

} // namespace vorelt
