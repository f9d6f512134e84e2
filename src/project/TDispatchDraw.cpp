#include "project/TDispatchDraw.h"

#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "project/TProjectAE.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vorelt {

namespace {

bool StrictlyInside(long double x, long double y, const RecListGVCPU& r) {
    return r.TopLeftX < x && x < r.BottomRightX && r.TopLeftY < y && y < r.BottomRightY;
}

bool AnySampleInside(const RecListGVCPU& a, const RecListGVCPU& b) {
    const long double mx = (a.TopLeftX + a.BottomRightX) / 2;
    const long double my = (a.TopLeftY + a.BottomRightY) / 2;
    const std::array<std::pair<long double, long double>, 8> samples{{
        {a.TopLeftX, a.TopLeftY},
        {a.BottomRightX, a.TopLeftY},
        {a.BottomRightX, a.BottomRightY},
        {a.TopLeftX, a.BottomRightY},
        {mx, a.TopLeftY},
        {a.BottomRightX, my},
        {mx, a.BottomRightY},
        {a.TopLeftX, my},
    }};
    for (const auto& [x, y] : samples)
        if (StrictlyInside(x, y, b)) return true;
    return false;
}

long double SnapToGrid(long double v, long double cell, int32_t count) {
    if (!(cell > 0)) return v;
    long double best = 0;
    long double bestDistance = std::fabs(v);
    for (int32_t k = 1; k <= count; ++k) {
        const long double line = k * cell;
        const long double d = std::fabs(v - line);
        if (d < bestDistance) {
            best = line;
            bestDistance = d;
        }
    }
    return best;
}

long double ReadCoord(const TNodePersist& node, const char* name) {
    if (node.IndexOfItem(name) < 0) return 0;
    long double x = 0;
    return TryStrToFloat(node.GetValue(name), x) ? x : 0;
}

} // namespace

bool PlacementsOverlap(const RecListGVCPU& a, const RecListGVCPU& b) {
    return AnySampleInside(a, b) || AnySampleInside(b, a);
}

// --- TAEPage --------------------------------------------------------------------------------

void TAEPage::Clear() {
    FPlacements.clear();
    FMaxIndex = -1;
}

bool TAEPage::GetPlacement(int i, RecListGVCPU& out) const {
    if (i < 0 || i >= PlacementCount()) return false;
    out = FPlacements[size_t(i)];
    return true;
}

void TAEPage::SetPlacement(int i, const RecListGVCPU& placement) {
    if (i >= 0 && i < PlacementCount()) FPlacements[size_t(i)] = placement;
}

int TAEPage::AddPlacement(const RecListGVCPU& placement) {
    FPlacements.push_back(placement);
    FMaxIndex = -1;
    return PlacementCount() - 1;
}

void TAEPage::DeletePlacement(int i) {
    if (i < 0 || i >= PlacementCount()) return;
    FPlacements.erase(FPlacements.begin() + i);
    FMaxIndex = -1;
}

int TAEPage::IndexOfPlacement(std::string_view id) const {
    for (size_t i = 0; i < FPlacements.size(); ++i)
        if (FPlacements[i].ID == id) return static_cast<int>(i);
    return -1;
}

void TAEPage::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Name", FName);
    for (const RecListGVCPU& p : FPlacements) {
        TNodePersist& child = *node.AddNode("GVCPU");
        child.AddItem("TopLeftX", FloatToStr(p.TopLeftX));
        child.AddItem("TopLeftY", FloatToStr(p.TopLeftY));
        child.AddItem("BottomRightX", FloatToStr(p.BottomRightX));
        child.AddItem("BottomRightY", FloatToStr(p.BottomRightY));
        child.AddItem("ID", p.ID);
    }
}

void TAEPage::LoadFromNode(const TNodePersist& node) {
    if (node.IndexOfItem("Name") >= 0) FName = node.GetValue("Name");
    int placed = 0;
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (child.Name() != "GVCPU") continue;
        if (++placed > MaxPlacements)
            throw EAEError("more than " + std::to_string(MaxPlacements) +
                           " views: " + node.Where() + " expects at most " +
                           std::to_string(MaxPlacements) + " views on a page");
        RecListGVCPU p;
        p.ID = child.GetValue("ID");
        p.TopLeftX = ReadCoord(child, "TopLeftX");
        p.TopLeftY = ReadCoord(child, "TopLeftY");
        p.BottomRightX = ReadCoord(child, "BottomRightX");
        p.BottomRightY = ReadCoord(child, "BottomRightY");
        AddPlacement(p);
    }
}

// --- TDispatchDraw --------------------------------------------------------------------------

TDispatchDraw::TDispatchDraw() = default;
TDispatchDraw::~TDispatchDraw() = default;

void TDispatchDraw::SetCountCellsXY(int32_t n) {
    if (n > 0) FCountCellsXY = n;
}

void TDispatchDraw::Clear() {
    FLogicalWidth = DefaultLogicalWidth;
    FLogicalHeight = DefaultLogicalHeight;
    FCountCellsXY = DefaultCountCellsXY;
    FPages.clear();
    FFree.clear();
}

TAEPage* TDispatchDraw::Page(int i) const {
    return i >= 0 && i < PageCount() ? FPages[size_t(i)].get() : nullptr;
}

int TDispatchDraw::AddPage(const std::string& name) {
    auto page = std::make_unique<TAEPage>(this);
    page->SetName(name);
    return AddPageObject(std::move(page));
}

int TDispatchDraw::AddPageObject(std::unique_ptr<TAEPage> page) {
    if (!page) return -1;
    page->SetDispatcher(this);
    FPages.push_back(std::move(page));
    return PageCount() - 1;
}

void TDispatchDraw::DeletePage(int i) {
    if (i >= 0 && i < PageCount()) FPages.erase(FPages.begin() + i);
}

int TDispatchDraw::IndexOfPage(std::string_view name) const {
    const std::string wanted = UpperCase(Trim(name));
    for (size_t i = 0; i < FPages.size(); ++i)
        if (UpperCase(Trim(FPages[i]->Name())) == wanted) return static_cast<int>(i);
    return -1;
}

void TDispatchDraw::ExchangePages(int i, int j) {
    if (i < 0 || j < 0 || i >= PageCount() || j >= PageCount()) return;
    std::swap(FPages[size_t(i)], FPages[size_t(j)]);
}

TGVCPU* TDispatchDraw::FreeView(int i) const {
    return i >= 0 && i < FreeCount() ? FFree[size_t(i)] : nullptr;
}

void TDispatchDraw::AddFree(TGVCPU* processor) {
    if (processor) FFree.push_back(processor);
}

void TDispatchDraw::DeleteFree(int i) {
    if (i >= 0 && i < FreeCount()) FFree.erase(FFree.begin() + i);
}

int TDispatchDraw::IndexOfFree(const TGVCPU* processor) const {
    for (size_t i = 0; i < FFree.size(); ++i)
        if (FFree[i] == processor) return static_cast<int>(i);
    return -1;
}

bool TDispatchDraw::SnapPlacement(long double width, long double height,
                                  RecListGVCPU& placement) const {
    const long double cellX = width / FCountCellsXY;
    const long double cellY = height / FCountCellsXY;
    placement.TopLeftX = SnapToGrid(placement.TopLeftX, cellX, FCountCellsXY);
    placement.BottomRightX = SnapToGrid(placement.BottomRightX, cellX, FCountCellsXY);
    placement.TopLeftY = SnapToGrid(placement.TopLeftY, cellY, FCountCellsXY);
    placement.BottomRightY = SnapToGrid(placement.BottomRightY, cellY, FCountCellsXY);
    const TAEPage* page = Page(placement.PageIndex);
    if (!page) return true;
    RecListGVCPU other;
    for (int i = 0; i < page->PlacementCount(); ++i) {
        page->GetPlacement(i, other);
        if (other.ID != placement.ID && PlacementsOverlap(placement, other)) return false;
    }
    return true;
}

bool TDispatchDraw::FindPlacement(std::string_view id, RecListGVCPU& out) const {
    for (const auto& page : FPages) {
        const int i = page->IndexOfPlacement(id);
        if (i >= 0) return page->GetPlacement(i, out);
    }
    return false;
}

void TDispatchDraw::NotifyModified() {
    if (FProject) FProject->SetModified(true);
}

void TDispatchDraw::LogicalToDevice(long double x, long double y, int32_t w, int32_t h, bool scaleX,
                                    bool scaleY, int32_t& dx, int32_t& dy) const {
    dx = RoundToInt32(scaleX ? x * w / FLogicalWidth : x);
    dy = RoundToInt32(scaleY ? y * h / FLogicalHeight : y);
}

void TDispatchDraw::DeviceToLogical(int32_t dx, int32_t dy, int32_t w, int32_t h, bool scaleX,
                                    bool scaleY, long double& x, long double& y) const {
    x = scaleX ? static_cast<long double>(FLogicalWidth) / w * dx : dx;
    y = scaleY ? static_cast<long double>(FLogicalHeight) / h * dy : dy;
}

int32_t TDispatchDraw::MmToPixels(long double mm, int32_t pixelsPerInch) const {
    return RoundToInt32(pixelsPerInch * mm / 25.4L);
}

int32_t TDispatchDraw::PixelsToMm(int32_t pixels, int32_t pixelsPerInch) const {
    if (pixelsPerInch <= 0) return 0;
    return RoundToInt32(static_cast<long double>(pixels) / pixelsPerInch * 25.4L);
}

void TDispatchDraw::SaveToNode(TNodePersist& node) const {
    node.AddItem("LogicalWidth", IntToStr(FLogicalWidth));
    node.AddItem("LogicalHeight", IntToStr(FLogicalHeight));
    node.AddItem("CountCellsXY", IntToStr(FCountCellsXY));
    for (const auto& page : FPages)
        page->SaveToNode(*node.AddNode("PAGE"));
}

void TDispatchDraw::LoadFromNode(const TNodePersist& node) {
    if (node.IndexOfItem("CountCellsXY") >= 0) {
        int32_t n = 0;
        const std::string text = node.GetValue("CountCellsXY");
        if (TryStrToInt(text, n) && n > MaxCountCellsXY)
            throw EConvertError("'" + text + "' is not a valid grid size",
                                "at most " + std::to_string(MaxCountCellsXY) + " cells",
                                "CountCellsXY");
        if (TryStrToInt(text, n)) FCountCellsXY = std::max(n, DefaultCountCellsXY);
    }
    int pages = 0;
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (child.Name() != "PAGE") continue;
        if (++pages > MaxPages)
            throw EAEError("more than " + std::to_string(MaxPages) + " pages: " + node.Where() +
                           " expects at most " + std::to_string(MaxPages) + " pages");
        std::unique_ptr<TAEPage> page =
            TClassRegistry::Instance().CreateAs<TAEPage>(child.GetValue("ClassName"));
        if (!page) continue;
        TAEPage* raw = page.get();
        AddPageObject(std::move(page));
        raw->LoadFromNode(child);
    }
}

} // namespace vorelt
