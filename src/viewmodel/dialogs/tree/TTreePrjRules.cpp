#include "viewmodel/dialogs/tree/TTreePrjRules.h"

#include "processing/TGVCPU.h"
#include "processing/TProcessorKind.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace vorelt {

namespace {

void Walk(const TGVCPU& p, const std::function<void(const TGVCPU&)>& visit) {
    visit(p);
    for (int i = 0; i < p.ChildCount(); ++i)
        Walk(*p.Child(i), visit);
}

std::string WithTwoDigits(int64_t n) {
    std::string s = std::to_string(n);
    return n >= 0 && n < 10 ? "0" + s : s;
}

} // namespace

const std::vector<TInsertEntry>& InsertEntries() {
    static const std::vector<TInsertEntry> entries = {{&pkFltr, "mGVCPUFltr"},
                                                      {&pkTurnOffFltr, "mGVCPUTurnOffFltr"},
                                                      {&pkLoc, "mGVCPULoc"},
                                                      {&pkSourceLoc, "mGVCPUSourceLoc"},
                                                      {&pkTbl, "mGVCPUTbl"},
                                                      {&pkGr, "mGVCPUGr"},
                                                      {&pkGr3D, "mGVCPUGr3D"},
                                                      {&pkPrc, "mGVCPUPrc"},
                                                      {&pkCriterion, "mGVCPUCriterion"}};
    return entries;
}

std::string InsertRefusal(const TGVCPU& selected, const TGVCPU& candidate) {
    if (selected.IsFinal())
        return std::string(txtNotHaveChildsProcessor) + ": " + selected.KindName();
    const uint8_t flags = candidate.KindFlags();
    if ((flags & kfOnePerPath) && !TGVCPU::UniqueInPath(&candidate, &selected))
        return std::string(txtDuplicateProcessor) + ": " + candidate.KindName();
    if ((flags & kfOnePerTree) && !TGVCPU::UniqueInTree(&candidate, &selected))
        return std::string(txtDuplicateProcessor) + ": " + candidate.KindName();
    if ((flags & kfBelowLocation) && !selected.IsLocated())
        return std::string(txtInvalidAfterLocation) + ": " + candidate.KindName();
    return {};
}

std::string NewProcessorName(const TGVCPU& root, const TGVCPU& processor) {
    const std::string cls = processor.ClassName();
    int64_t running = 0;
    Walk(root, [&](const TGVCPU& p) {
        if (p.ClassName() != cls) return;
        int64_t n = 0;
        if (TrailingNumber(p.Name(), n))
            running = std::max(running, n);
        else
            ++running;
    });
    const TProcessorKind* kind = processor.Kind();
    const std::string code = kind && kind->Code[0] != '\0' ? kind->Code : cls;
    return code + WithTwoDigits(running + 1);
}

void RenameCopies(TGVCPU& copy, const TGVCPU& root, IIDGenerator& generator) {
    copy.SetName(NewProcessorName(root, copy));
    copy.AssignIDs(true, generator);
    for (int i = 0; i < copy.ChildCount(); ++i)
        RenameCopies(*copy.Child(i), root, generator);
}

namespace {

// Saved processors do not carry their names: the copy takes them from the original.
void TakeNames(const TGVCPU& source, TGVCPU& copy) {
    copy.SetName(source.Name());
    for (int i = 0; i < copy.ChildCount() && i < source.ChildCount(); ++i)
        TakeNames(*source.Child(i), *copy.Child(i));
}

} // namespace

TGVCPU* CopyInTree(TGVCPU& source, TGVCPU& target, const TGVCPU& root, IIDGenerator& generator) {
    TGVCPU* copy = source.CopyTo(&target);
    if (!copy) return nullptr;
    TakeNames(source, *copy);
    RenameCopies(*copy, root, generator);
    return copy;
}

bool CanDropInTree(const TGVCPU* dragged, const TGVCPU* target) {
    return TGVCPU::CanPlaceBelow(dragged, target, false);
}

bool CanCopyInTree(const TGVCPU& dragged) {
    return (dragged.KindFlags() & kfOnePerTree) == 0;
}

std::string ReadyStatusText(int32_t code) {
    switch (code) {
    case 1:
        return txtProcessorNotComplete;
    case 2:
        return txtProcessorUnvisible;
    default:
        return " ";
    }
}

TTreeButtons TreeButtons(bool toolbarEnabled, const TGVCPU* selected) {
    TTreeButtons b;
    if (!toolbarEnabled || !selected) return b;
    b.Delete = !selected->IsDatabase();
    b.Insert = !selected->IsFinal() && dynamic_cast<const TGVSource*>(selected) != nullptr;
    return b;
}

TPageButtons PageButtons(int selected, int count) {
    TPageButtons b;
    if (selected < 0 || selected >= count) return b;
    b.Edit = b.Delete = true;
    b.Up = selected > 0;
    b.Down = selected < count - 1;
    return b;
}

TTreeMenuItems TreeMenuItems(const TGVCPU* selected) {
    TTreeMenuItems m;
    if (!selected) return m;
    m.ShowID = m.ClearData = true;
    m.FoundScreenPosition = m.GoToProcessor = selected->IsFinal();
    return m;
}

void SortSiblings(std::vector<TGVCPU*>& children) {
    std::stable_sort(children.begin(), children.end(), [](const TGVCPU* a, const TGVCPU* b) {
        return !a->IsFinal() && b->IsFinal();
    });
}

bool TrailingNumber(std::string_view text, int64_t& value) {
    size_t first = text.find_first_of("0123456789");
    if (first == std::string_view::npos) return false;
    int64_t n = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        const int d = c - '0';
        if (n > (std::numeric_limits<int64_t>::max() - d) / 10) return false;
        n = n * 10 + d;
    }
    value = n;
    return true;
}

int32_t SmallestFreeNumber(const std::vector<int32_t>& used) {
    for (int32_t n = 1; n <= 128; ++n)
        if (std::find(used.begin(), used.end(), n) == used.end()) return n;
    return -1;
}

} // namespace vorelt
