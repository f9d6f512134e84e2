#pragma once
// The sensors of a location plot ("Source Y" against "Source X" below a source-location
// processor): a marker with the channel number at every sensor of the layout, and the
// structure's outline, the rectangle the sensors span. On from the start: a location plot
// without its sensors says little.

#include "view2d/TAddonVC.h"

namespace vorelt {

class TGVCPUSourceLoc;
class TLabelledMarksAEVObject;
class TRectAEVObject;

inline constexpr char txtShowSensors[] = "Show Sensors";

class TAddonVCSensors : public TAddonVC {
public:
    TAddonVCSensors(TGVCPUSourceLoc* source, TGraphVC* graph);
    ~TAddonVCSensors() override;
    std::string ClassName() const override { return "TAddonVCSensors"; }
    std::string GetCaption() const override { return txtShowSensors; }

    void Clear() override;
    void Fill() override;
    void ApplyTransform(const TViewTransform& t) override;

    TLabelledMarksAEVObject* Marks() const { return FMarks; }
    // None with fewer than two sensors apart.
    TRectAEVObject* Outline() const { return FOutline; }

    // Whether a graph with these axes is a location plot.
    static bool IsLocationPlot(const std::string& leftId, const std::string& bottomId);

private:
    void Place();

    TGVCPUSourceLoc* FOwner;
    TLabelledMarksAEVObject* FMarks = nullptr;
    TRectAEVObject* FOutline = nullptr;
};

} // namespace vorelt
