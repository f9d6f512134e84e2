#pragma once
// The zone diagram of the zone-intensity classification over a graph of maximum severity
// against maximum historic index: one closed outline per zone of the project's parameters.
// Zone points always enter the axes as decimal logarithms, whatever the axes' scales, so the
// outlines lie on the data only on logarithmic axes.

#include "view2d/TAddonVC.h"

#include <vector>

namespace vorelt {

class TPolyLineAEVObject;
class TZIPParameters;

inline constexpr char txtEnableZIP[] = "Enable ZIP";

class TAddonVCZip : public TAddonVC {
public:
    // `zones` gives the polygons (the project's parameters); not owned.
    TAddonVCZip(TGVCPU* source, TGraphVC* graph, const TZIPParameters* zones);
    ~TAddonVCZip() override;
    std::string ClassName() const override { return "TAddonVCZip"; }
    std::string GetCaption() const override { return txtEnableZIP; }

    void Clear() override;
    void Fill() override;
    void ApplyTransform(const TViewTransform& t) override;

    const std::vector<TPolyLineAEVObject*>& Polylines() const { return FPolylines; }

    void CreateZone(int i);
    void FillZone(int i);

private:
    const TZIPParameters* FZones;
    std::vector<TPolyLineAEVObject*> FPolylines;
};

} // namespace vorelt
