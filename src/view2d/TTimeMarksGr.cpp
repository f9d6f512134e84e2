#include "view2d/TTimeMarksGr.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/graph/TGraphTypes.h"
#include "view2d/TCanvasContainer.h"
#include "viewmodel/axes/TAixsBase.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TCellLineAEVObject.h"

#include <cmath>

namespace vorelt {

TTimeMarksGr::TTimeMarksGr(TCanvasContainer* container, const TAixsBase* bottom)
    : FContainer(container), FBottom(bottom) {}

void TTimeMarksGr::CreateLine() {
    auto line = std::make_unique<TCellLineAEVObject>();
    line->SetHorizontal(false);
    line->SetLineWidth(0.1L);
    line->Pen().SetMode(pmXor);
    line->Pen().SetStyle(psDashDotDot);
    FLine = line.get();
    ApplyPen();
    FLine->SetVisible(FVisible);
    if (FContainer) FContainer->AddObject(std::move(line), 0);
}

void TTimeMarksGr::ApplyPen() {
    if (FLine && FColor >= 1) FLine->Pen().SetColor(PaletteColor(FColor - 1));
}

void TTimeMarksGr::SetColor(int32_t n) {
    FColor = n;
    ApplyPen();
}

void TTimeMarksGr::SetVisible(bool v) {
    if (v == FVisible && (!FLine || FLine->Visible() == v)) return;
    FVisible = v;
    if (FLine) FLine->SetVisible(v);
}

void TTimeMarksGr::ClearLines() {
    if (FLine) FLine->ClearValues();
}

void TTimeMarksGr::Take(int32_t index, long double x) {
    if (FBottom && FBottom->Logarithmic() && x == 0) return;
    FMarks.emplace_back(index, x);
}

void TTimeMarksGr::BuildLines() {
    ClearLines();
    if (!FLine || !FBottom) return;
    long double lo = 0, hi = 0;
    if (!FBottom->CurrentRange(lo, hi)) return;
    for (const auto& [index, x] : FMarks) {
        (void)index;
        long double norm = 0;
        if (FBottom->Logarithmic()) {
            if (x <= 0 || lo <= 0) continue;
            norm = FBottom->Normalize(std::log10(x) - std::log10(lo));
        } else {
            norm = FBottom->Normalize(x - lo);
        }
        if (!std::isfinite(norm)) continue;
        FLine->AddValue(0, norm);
    }
}

void TTimeMarksGr::ApplyTransform(const TViewTransform& t) {
    if (!FLine) return;
    if (t.Refill) {
        BuildLines();
        return;
    }
    for (int i = 0; i < FLine->Points().Count(); ++i)
        FLine->TransformPoint(i, 0, 1, t.XOrigin, t.XScale);
}

void TTimeMarksGr::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", "TTimeMarksGr");
    node.AddItem("Color", IntToStr(FColor));
    node.AddItem("Visible", FVisible ? "1" : "0");
}

void TTimeMarksGr::LoadFromNode(const TNodePersist& node) {
    if (node.IndexOfItem("Color") >= 0) {
        int32_t c = 0;
        if (TryStrToInt(Trim(node.GetValue("Color")), c)) SetColor(c);
    }
    if (node.IndexOfItem("Visible") >= 0) SetVisible(Trim(node.GetValue("Visible")) == "1");
}

} // namespace vorelt
