#include "view2d/TAddonVCZip.h"

#include "persist/TGVListCoordProperty.h"
#include "processing/graph/TGraphTypes.h"
#include "testprog/TZIPParameters.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"

#include <cmath>

namespace vorelt {

TAddonVCZip::TAddonVCZip(TGVCPU* source, TGraphVC* graph, const TZIPParameters* zones)
    : TAddonVC(source, graph), FZones(zones) {}

TAddonVCZip::~TAddonVCZip() {
    Clear();
}

void TAddonVCZip::Clear() {
    if (FGraph && FGraph->Container())
        for (TPolyLineAEVObject* p : FPolylines) {
            const int i = FGraph->Container()->IndexOfObject(p);
            if (i >= 0) FGraph->Container()->DeleteObject(i);
        }
    FPolylines.clear();
}

void TAddonVCZip::Fill() {
    if (!FEnabled || !FZones || !FGraph) return;
    RedrawContainer();
    for (int i = 0; i < FZones->Zones().Count(); ++i) {
        CreateZone(i);
        FillZone(i);
    }
}

void TAddonVCZip::CreateZone(int i) {
    if (!FEnabled || !FGraph || !FGraph->Container()) return;
    auto p = std::make_unique<TPolyLineAEVObject>();
    p->SetMovable(false);
    p->SetResizable(false);
    p->SetEnabled(false);
    // Zone 0 takes palette number 1.
    p->FramePen().SetColor(PaletteColor(i));
    const TColorScheme& scheme = ColorScheme(FGraph->ColorSchemeIndex());
    p->SelectedPen().SetColor(scheme.Alert);
    p->EditingPen().SetColor(scheme.Highlight);
    FPolylines.push_back(p.get());
    FGraph->Container()->AddObject(std::move(p), 0);
}

void TAddonVCZip::FillZone(int i) {
    if (!FZones || i < 0 || static_cast<size_t>(i) >= FPolylines.size()) return;
    TPolyLineAEVObject* line = FPolylines[static_cast<size_t>(i)];
    line->ClearValues();
    const auto* zone = dynamic_cast<const TGVListCoordProperty*>(FZones->Zones().Get(i));
    if (!zone) return;
    long double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
    if (!FGraph->BottomAxis().CurrentRange(xLo, xHi) || !FGraph->LeftAxis().CurrentRange(yLo, yHi))
        return;
    for (const TGVCoord& c : zone->Points()) {
        // Historic index along the bottom, severity up the left.
        const long double x = FGraph->BottomAxis().Normalize(std::log10(c.X) - std::log10(xLo));
        const long double y = FGraph->LeftAxis().Normalize(std::log10(c.Y) - std::log10(yLo));
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        line->AddValue(y, x);
    }
}

void TAddonVCZip::ApplyTransform(const TViewTransform& t) {
    if (!FEnabled) return;
    if (t.Refill) {
        for (size_t i = 0; i < FPolylines.size(); ++i)
            FillZone(static_cast<int>(i));
        return;
    }
    for (TPolyLineAEVObject* p : FPolylines)
        for (int k = 0; k < p->Points().Count(); ++k)
            p->TransformPoint(k, t.YOriginLeft, t.YScaleLeft, t.XOrigin, t.XScale);
}

} // namespace vorelt
