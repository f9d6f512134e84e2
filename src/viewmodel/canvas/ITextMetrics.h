#pragma once
// Text measurement and the screen's resolution, handed to the layout of axes so that it runs
// (and is tested) without a display.

#include "viewmodel/canvas/TLogicalCanvas.h"

#include <string>

namespace vorelt {

struct TTextExtent {
    int32_t Width = 0;
    int32_t Height = 0;
};

class ITextMetrics {
public:
    virtual ~ITextMetrics() = default;
    // Size of one line of text in the font.
    virtual TTextExtent Measure(const std::string& text, const TFontAttrs& font) const = 0;
    virtual long double PixelsPerInch() const = 0;
};

// A font of face `name` with a point size (as the axes use them).
inline TFontAttrs AxisFont(const char* name, int32_t size, uint8_t style = 0) {
    TFontAttrs f;
    f.Name = name;
    f.Height = 0;
    f.Size = size;
    f.Style = style;
    return f;
}

} // namespace vorelt

namespace vorelt {

// An estimate from the character count and the font size, for axes that were given no
// measurement of the toolkit (objects made by the class registry before their graph hands
// theirs over).
class TFixedTextMetrics : public ITextMetrics {
public:
    explicit TFixedTextMetrics(long double pixelsPerInch = 96) : FPixelsPerInch(pixelsPerInch) {}
    TTextExtent Measure(const std::string& text, const TFontAttrs& font) const override;
    long double PixelsPerInch() const override { return FPixelsPerInch; }

private:
    long double FPixelsPerInch;
};

} // namespace vorelt
