#pragma once
// A box with rounded corners and a caption: the processor boxes of the project tree's page
// preview.

#include "viewmodel/drawables/TRectAEVObject.h"

namespace vorelt {

class TRoShemRectAEVObject : public TRectAEVObject {
public:
    TRoShemRectAEVObject() = default;
    static std::unique_ptr<TRoShemRectAEVObject> CreateForEditing();

    std::string ClassName() const override { return "TRoShemRectAEVObject"; }
    void Draw() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string caption);
    // Width and height of the corner ellipse.
    const TLogicalPoint& CornerSize() const { return FCornerSize; }
    void SetCornerSize(const TLogicalPoint& size) { FCornerSize = size; }
    TFontAttrs& Font() { return FFont; }
    TAEVBrush& Brush() { return FBrush; }

private:
    std::string FCaption;
    TLogicalPoint FCornerSize{20, 20};
    TFontAttrs FFont;
    TAEVBrush FBrush{clWhite, bsSolid};
};

} // namespace vorelt
