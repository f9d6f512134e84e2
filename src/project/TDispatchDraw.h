#pragma once
// The page layout of a project window: tab pages that place the views of final processors in
// rectangles of a logical A4 landscape sheet (297 x 210 units), snapped to a grid, and the
// final processors not yet placed.

#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TDispatchDraw;
class TGVCPU;
class TNodePersist;
class TProjectAE;

// One placement: the rectangle of the view of the final processor with this ID.
struct RecListGVCPU {
    int32_t PageIndex = 0; // set by the page editor before snapping; not saved
    long double TopLeftX = 0;
    long double TopLeftY = 0;
    long double BottomRightX = 0;
    long double BottomRightY = 0;
    std::string ID;
};

// Two rectangles overlap when a corner or side midpoint of one lies strictly inside the other.
bool PlacementsOverlap(const RecListGVCPU& a, const RecListGVCPU& b);

class TAEPage : public TPersistObject {
public:
    // Views on one page; a page of a real project shows a few.
    static constexpr int MaxPlacements = 1024;

    explicit TAEPage(TDispatchDraw* dispatcher = nullptr) : FDispatcher(dispatcher) {}
    std::string ClassName() const override { return "TAEPage"; }

    TDispatchDraw* Dispatcher() const { return FDispatcher; }
    void SetDispatcher(TDispatchDraw* d) { FDispatcher = d; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    // The placement that fills the whole page; -1 when every view keeps its rectangle.
    int32_t MaxIndex() const { return FMaxIndex; }
    void SetMaxIndex(int32_t i) { FMaxIndex = i; }

    // Frees the placements; MaxIndex -1.
    void Clear();
    int PlacementCount() const { return static_cast<int>(FPlacements.size()); }
    // A copy; false when i is outside.
    bool GetPlacement(int i, RecListGVCPU& out) const;
    void SetPlacement(int i, const RecListGVCPU& placement);
    int AddPlacement(const RecListGVCPU& placement);
    void DeletePlacement(int i);
    // First exact (case-sensitive) match; -1 when absent.
    int IndexOfPlacement(std::string_view id) const;

    // "ClassName", "Name", one "GVCPU" per placement.
    void SaveToNode(TNodePersist& node) const override;
    // "Name" when present; a placement for every child named exactly "GVCPU".
    void LoadFromNode(const TNodePersist& node) override;

private:
    TDispatchDraw* FDispatcher;
    std::string FName;
    std::vector<RecListGVCPU> FPlacements;
    int32_t FMaxIndex = -1;
};

class TDispatchDraw {
public:
    static constexpr int32_t DefaultLogicalWidth = 297;
    static constexpr int32_t DefaultLogicalHeight = 210;
    static constexpr int32_t DefaultCountCellsXY = 16;
    // What a project file may ask for: each page is a tab with its own views, each grid cell
    // a line drawn on the page.
    static constexpr int MaxPages = 256;
    static constexpr int32_t MaxCountCellsXY = 1024;

    TDispatchDraw();
    virtual ~TDispatchDraw();
    TDispatchDraw(const TDispatchDraw&) = delete;
    TDispatchDraw& operator=(const TDispatchDraw&) = delete;

    TProjectAE* Project() const { return FProject; }
    void SetProject(TProjectAE* project) { FProject = project; }
    int32_t LogicalWidth() const { return FLogicalWidth; }
    int32_t LogicalHeight() const { return FLogicalHeight; }
    int32_t CountCellsXY() const { return FCountCellsXY; }
    void SetCountCellsXY(int32_t n);

    // Default sizes and grid; frees every page and forgets the free views.
    void Clear();
    int PageCount() const { return static_cast<int>(FPages.size()); }
    TAEPage* Page(int i) const;
    int AddPage(const std::string& name);
    int AddPageObject(std::unique_ptr<TAEPage> page);
    void DeletePage(int i);
    // Names compare trimmed and upper-cased; -1 when absent.
    int IndexOfPage(std::string_view name) const;
    void ExchangePages(int i, int j);

    int FreeCount() const { return static_cast<int>(FFree.size()); }
    TGVCPU* FreeView(int i) const;
    void AddFree(TGVCPU* processor);
    void DeleteFree(int i);
    int IndexOfFree(const TGVCPU* processor) const;

    // Moves the four edges to the nearest grid lines of a page of width x height (the first
    // line wins a tie) and reports whether the placement stays clear of every other placement
    // of its page.
    bool SnapPlacement(long double width, long double height, RecListGVCPU& placement) const;
    // The first placement with this ID, pages in order.
    bool FindPlacement(std::string_view id, RecListGVCPU& out) const;
    // The project becomes modified and is told.
    void NotifyModified();

    // Logical units and device pixels for an area of w x h pixels; an axis that is not scaled
    // is taken one to one. Whole pixels round half to even.
    virtual void LogicalToDevice(long double x, long double y, int32_t w, int32_t h, bool scaleX,
                                 bool scaleY, int32_t& dx, int32_t& dy) const;
    virtual void DeviceToLogical(int32_t dx, int32_t dy, int32_t w, int32_t h, bool scaleX,
                                 bool scaleY, long double& x, long double& y) const;
    virtual int32_t MmToPixels(long double mm, int32_t pixelsPerInch) const;
    virtual int32_t PixelsToMm(int32_t pixels, int32_t pixelsPerInch) const;

    // "LogicalWidth", "LogicalHeight", "CountCellsXY", one "PAGE" per page.
    void SaveToNode(TNodePersist& node) const;
    // The grid (never below 16) and the pages of registered classes; sizes stay 297 x 210.
    void LoadFromNode(const TNodePersist& node);

private:
    TProjectAE* FProject = nullptr;
    int32_t FLogicalWidth = DefaultLogicalWidth;
    int32_t FLogicalHeight = DefaultLogicalHeight;
    int32_t FCountCellsXY = DefaultCountCellsXY;
    std::vector<std::unique_ptr<TAEPage>> FPages;
    std::vector<TGVCPU*> FFree;
};

} // namespace vorelt
