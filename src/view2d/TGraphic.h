#pragma once
// A passive graph: three floating-point axes around a plotting container whose drawn objects
// the owner supplies (the zone diagram of the project options, the test-program windows).
// Filling asks the owner for its objects; zooming narrows the ranges to a rectangle dragged
// on the plot and hands the owner the transform that moves its points, without a refill.

#include "processing/graph/TGraphTypes.h"
#include "viewmodel/axes/TAixs.h"
#include "viewmodel/axes/TAixsScale.h"
#include "viewmodel/graph/TGraphZoom.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace vorelt {

class TAixsStrip;
class TCanvasContainer;
class TRectAEVObject;

class TGraphic : public QWidget {
public:
    explicit TGraphic(QWidget* parent = nullptr);
    ~TGraphic() override;

    TAixs& LeftAxis() { return FLeft; }
    TAixs& RightAxis() { return FRight; }
    TAixs& BottomAxis() { return FBottom; }
    TCanvasContainer* Container() const { return FContainer; }
    bool Active() const { return FActive; }
    TRectAEVObject* InfoRect() const { return FInfoRect; }
    bool Zoomed() const { return !FZoom.Empty(); }

    // Sets a fixed range on an axis (current range included).
    static void SetRange(TAixs& axis, long double lo, long double hi);
    // Fills (the owner adds its objects in OnFill) or empties the graph.
    void SetActive(bool value);
    // Modes 0 both directions, 1 vertical, 2 horizontal; they need the info rectangle.
    bool ZoomView(int mode);
    bool UnzoomView(bool all);
    // The info rectangle from a band of container pixels.
    void SelectRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void HideInfoRect();
    // Marks, strips and the plot drawn again.
    void UpdateAppearance();
    // The popup items by object name ("mVisualClass", "mHideVC", "mZoomVC", ...).
    QAction* MenuItem(const std::string& name);
    QMenu* EditMenu() const { return FEditMenu; }

    std::function<void(TGraphic&)> OnClear;
    std::function<void(TGraphic&)> OnFill;
    std::function<void(TGraphic&, const TViewTransform&)> OnTransform;

private:
    // The three axes as zooming sees them.
    TGraphRun Run();
    void BuildMenu();
    void UpdateMenu();
    // Marks and strips for the plot's present size; `apply` applies the strips' new thickness
    // at once (not while the plot is being resized).
    void LayoutAxes(bool apply);

    TAixs FLeft{akLeft};
    TAixs FRight{akRight};
    TAixs FBottom{akBottom};
    TAixsStrip* FLeftStrip;
    TAixsStrip* FRightStrip;
    TAixsStrip* FBottomStrip;
    TCanvasContainer* FContainer;
    TRectAEVObject* FInfoRect = nullptr;
    bool FActive = false;
    bool FLayingOutAxes = false;
    TAixsScale FLeftScale{FLeft};
    TAixsScale FRightScale{FRight};
    TAixsScale FBottomScale{FBottom};
    TGraphZoom FZoom;
    QMenu* FEditMenu = nullptr;
    std::map<std::string, QAction*> FItems;
};

} // namespace vorelt
