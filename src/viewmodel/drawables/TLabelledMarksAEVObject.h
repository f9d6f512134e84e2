#pragma once
// Markers with a short label each, fixed on the plot: the sensors of a location plot with
// their channel numbers. Not selectable or movable; the points follow zooms like every
// overlay's points.

#include "viewmodel/drawables/TOutlineAEVObject.h"

#include <string>
#include <vector>

namespace vorelt {

class TLabelledMarksAEVObject : public TOutlineAEVObject {
public:
    TLabelledMarksAEVObject();
    std::string ClassName() const override { return "TLabelledMarksAEVObject"; }

    // Labels go with the points in order; ClearValues drops both.
    void AddLabel(std::string label) { FLabels.push_back(std::move(label)); }
    const std::vector<std::string>& Labels() const { return FLabels; }
    void ClearValues() override;
    TFontAttrs& Font() { return FFont; }
    void Draw() override;

private:
    std::vector<std::string> FLabels;
    TFontAttrs FFont;
};

} // namespace vorelt
