#pragma once
// Overlays that processors of the chain offer a graph while it fills: the base keeps the
// offering processor, the graph and the switch. A disabled add-on draws nothing and ignores
// transforms; switching it off removes its drawing at once.

#include "processing/IGraphAddOn.h"

#include <string>

namespace vorelt {

class TGVCPU;
class TGraphVC;
class TNodePersist;
struct TViewTransform;

class TAddonVC : public IGraphAddOn {
public:
    TAddonVC(TGVCPU* source, TGraphVC* graph);
    ~TAddonVC() override = default;
    virtual std::string ClassName() const { return "TAddonVC"; }

    TGVCPU* Source() const { return FSource; }
    TGraphVC* Graph() const { return FGraph; }

    // ---- IGraphAddOn -----------------------------------------------------------------------
    // The offering processor's ID, under which the graph keeps the switch.
    std::string GetID() const override;
    std::string GetCaption() const override { return {}; }
    bool GetEnabled() const override { return FEnabled; }
    // Turning it off clears the drawing.
    void SetEnabled(bool v) override;

    // Removes the add-on's objects from the graph's container.
    virtual void Clear() {}
    // Draws the overlay on the graph's current ranges (only when enabled).
    virtual void Fill() {}
    virtual void ApplyTransform(const TViewTransform& t) { (void)t; }
    // The offering processor's Changed.
    void Changed(bool propagate);

    // "ClassName", "ID", "Enabled".
    virtual void SaveToNode(TNodePersist& node) const;
    virtual void LoadFromNode(const TNodePersist& node);

protected:
    // The container redraws everything before the overlay is added.
    void RedrawContainer();

    TGVCPU* FSource;
    TGraphVC* FGraph;
    bool FEnabled = false;
};

} // namespace vorelt
