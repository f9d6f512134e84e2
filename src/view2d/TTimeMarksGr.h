#pragma once
// The time-mark layer of a graph: one full-height line per time-mark record of the graph's
// branch, while the bottom axis shows a time. The lines live in the graph's container below
// everything else, drawn dash-dot-dot with an XOR pen so that they stay visible on any series.

#include <cstdint>
#include <utility>
#include <vector>

namespace vorelt {

class TAixsBase;
class TCanvasContainer;
class TCellLineAEVObject;
class TNodePersist;
struct TViewTransform;

class TTimeMarksGr {
public:
    TTimeMarksGr(TCanvasContainer* container, const TAixsBase* bottom);

    // Makes the line object and puts it at the bottom of the container's drawing order; the
    // graph calls it at creation and after loading (which empties the container).
    void CreateLine();
    TCellLineAEVObject* Line() const { return FLine; }

    // A palette number 1 .. 128; the pen takes palette entry N - 1.
    void SetColor(int32_t n);
    int32_t GetColor() const { return FColor; }
    void SetVisible(bool v);
    bool GetVisible() const { return FVisible; }

    void ClearLines();
    // A time-mark record read during a fill: its data-point index and bottom value. On a
    // logarithmic bottom axis a value of 0 has no place and is left out.
    void Take(int32_t index, long double x);
    void ClearMarks() { FMarks.clear(); }
    const std::vector<std::pair<int32_t, long double>>& Marks() const { return FMarks; }
    // One line per mark at its place on the bottom axis. The marks are kept, so that a view
    // whose old range had no width can draw its lines again.
    void BuildLines();
    // Moves the lines onto a new bottom range; a transform that cannot move them draws them
    // again from the marks.
    void ApplyTransform(const TViewTransform& t);

    // "ClassName", "Color", "Visible".
    void SaveToNode(TNodePersist& node) const;
    void LoadFromNode(const TNodePersist& node);

private:
    void ApplyPen();

    TCanvasContainer* FContainer;
    const TAixsBase* FBottom;
    TCellLineAEVObject* FLine = nullptr;
    int32_t FColor = 2;
    bool FVisible = true;
    std::vector<std::pair<int32_t, long double>> FMarks;
};

} // namespace vorelt
