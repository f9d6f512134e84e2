#include "viewmodel/dialogs/tree/TPagesEditor.h"

#include "processing/TGVCPU.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectAE.h"

#include <string>
#include <vector>

namespace vorelt {

TPagesEditor::TPagesEditor(TProjectAE& project) : FProject(project) {}

TDispatchDraw& TPagesEditor::Pages() const {
    return FProject.Pages();
}

void TPagesEditor::Modified() {
    Pages().NotifyModified();
}

// ---- Pages list ----------------------------------------------------------------------------

int TPagesEditor::AddPage(const std::string& name) {
    const int i = Pages().AddPage(name);
    Modified();
    return i;
}

void TPagesEditor::RenamePage(int page, const std::string& name) {
    TAEPage* p = Pages().Page(page);
    if (!p) return;
    p->SetName(name);
    Modified();
}

void TPagesEditor::DeletePage(int page, const std::function<void(TGVCPU*)>& hideView) {
    TAEPage* p = Pages().Page(page);
    if (!p) return;
    for (int i = 0; i < p->PlacementCount(); ++i) {
        RecListGVCPU placement;
        p->GetPlacement(i, placement);
        if (TGVCPU* processor = FProject.Db().FindProcessorByID(placement.ID))
            if (hideView) hideView(processor);
    }
    Pages().DeletePage(page);
    Modified();
}

int TPagesEditor::MovePage(int page, int delta) {
    const int other = page + delta;
    if (!Pages().Page(page) || !Pages().Page(other) || delta == 0) return page;
    Pages().ExchangePages(page, other);
    Modified();
    return other;
}

// ---- Placements ----------------------------------------------------------------------------

int TPagesEditor::PageOf(const std::string& id) const {
    for (int i = 0; i < Pages().PageCount(); ++i)
        if (Pages().Page(i)->IndexOfPlacement(id) >= 0) return i;
    return -1;
}

bool TPagesEditor::IsPlaced(const std::string& id) const {
    return PageOf(id) >= 0;
}

RecListGVCPU TPagesEditor::ShiftedPlacement(const RecListGVCPU& current, int32_t kind,
                                            int32_t index, long double dx, long double dy) {
    RecListGVCPU p = current;
    // Which coordinates a corner stands on: left/right and top/bottom of the box.
    auto shiftCorner = [&](int corner) {
        const bool right = corner == 1 || corner == 2;
        const bool bottom = corner == 2 || corner == 3;
        (right ? p.BottomRightX : p.TopLeftX) += dx;
        (bottom ? p.BottomRightY : p.TopLeftY) += dy;
    };
    switch (kind) {
    case 1:
        p.TopLeftX += dx;
        p.BottomRightX += dx;
        p.TopLeftY += dy;
        p.BottomRightY += dy;
        break;
    case 2:
        if (index >= 0 && index <= 3) shiftCorner(index);
        break;
    case 3:
        switch (index) {
        case 0:
            p.TopLeftY += dy;
            break;
        case 1:
            p.BottomRightX += dx;
            break;
        case 2:
            p.BottomRightY += dy;
            break;
        case 3:
            p.TopLeftX += dx;
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return p;
}

bool TPagesEditor::AcceptProposal(int page, RecListGVCPU proposal) const {
    proposal.PageIndex = page;
    return Pages().SnapPlacement(TDispatchDraw::DefaultLogicalWidth,
                                 TDispatchDraw::DefaultLogicalHeight, proposal);
}

RecListGVCPU TPagesEditor::EndEdit(int page, int placement, const RecListGVCPU& corners) {
    RecListGVCPU stored;
    TAEPage* p = Pages().Page(page);
    if (!p || !p->GetPlacement(placement, stored)) return corners;
    RecListGVCPU proposal = corners;
    proposal.ID = stored.ID;
    proposal.PageIndex = page;
    if (Pages().SnapPlacement(TDispatchDraw::DefaultLogicalWidth,
                              TDispatchDraw::DefaultLogicalHeight, proposal)) {
        p->SetPlacement(placement, proposal);
        Modified();
        return proposal;
    }
    return stored;
}

// ---- Exchange buffer -----------------------------------------------------------------------

bool TPagesEditor::Placeable(const TGVCPU* processor) {
    return processor && processor->IsFinal() && !processor->IsDatabase();
}

bool TPagesEditor::InBuffer(const TGVCPU* processor) const {
    return Pages().IndexOfFree(processor) >= 0;
}

bool TPagesEditor::TreeToBuffer(TGVCPU* processor) {
    if (!Placeable(processor) || InBuffer(processor) || IsPlaced(processor->ID())) return false;
    Pages().AddFree(processor);
    return true;
}

TGVCPU* TPagesEditor::PreviewToBuffer(int page, int placement) {
    TAEPage* p = Pages().Page(page);
    RecListGVCPU stored;
    if (!p || !p->GetPlacement(placement, stored)) return nullptr;
    p->DeletePlacement(placement);
    TGVCPU* processor = FProject.Db().FindProcessorByID(stored.ID);
    if (processor && !InBuffer(processor)) Pages().AddFree(processor);
    Modified();
    return processor;
}

void TPagesEditor::ImportFree() {
    std::vector<TGVCPU*> found;
    std::function<void(TGVCPU*)> walk = [&](TGVCPU* p) {
        if (Placeable(p) && !InBuffer(p) && !IsPlaced(p->ID())) found.push_back(p);
        for (int i = 0; i < p->ChildCount(); ++i)
            walk(p->Child(i));
    };
    walk(&FProject.Db());
    for (TGVCPU* p : found)
        Pages().AddFree(p);
}

void TPagesEditor::FreeBuffer() {
    while (Pages().FreeCount() > 0)
        Pages().DeleteFree(Pages().FreeCount() - 1);
}

// ---- Drops on the preview ------------------------------------------------------------------

bool TPagesEditor::DropOnPage(TGVCPU* processor, int page, const RecListGVCPU& area) {
    if (!Placeable(processor) || !Pages().Page(page)) return false;
    const int inBuffer = Pages().IndexOfFree(processor);
    if (inBuffer >= 0) Pages().DeleteFree(inBuffer);
    if (IsPlaced(processor->ID())) return false;
    RecListGVCPU placement = area;
    placement.ID = processor->ID();
    placement.PageIndex = page;
    Pages().Page(page)->AddPlacement(placement);
    Modified();
    return true;
}

bool TPagesEditor::BufferToPage(int bufferIndex, int page, const RecListGVCPU& area) {
    return DropOnPage(Pages().FreeView(bufferIndex), page, area);
}

// ---- Processors ----------------------------------------------------------------------------

bool TPagesEditor::DeleteProcessor(TGVCPU* processor) {
    if (!processor || processor->IsDatabase() || !processor->Parent()) return false;
    processor->ForEachID([this](const std::string& id) {
        FProject.RemoveFromPages(id);
        return true;
    });
    TGVCPU* parent = processor->Parent();
    parent->DetachChild(processor).reset();
    Modified();
    return true;
}

} // namespace vorelt
