#pragma once
// Text measurement with the toolkit's font metrics, at the resolution of the screen (or one
// given).

#include "viewmodel/canvas/ITextMetrics.h"

#include <QFont>

namespace vorelt {

class TQtTextMetrics : public ITextMetrics {
public:
    // 0: the primary screen's logical resolution (96 without a screen).
    explicit TQtTextMetrics(long double pixelsPerInch = 0);
    TTextExtent Measure(const std::string& text, const TFontAttrs& font) const override;
    long double PixelsPerInch() const override { return FPixelsPerInch; }

    // The toolkit font of the attributes, sized for the resolution.
    QFont FontOf(const TFontAttrs& font) const;

private:
    long double FPixelsPerInch;
};

} // namespace vorelt
