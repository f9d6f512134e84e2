#pragma once
// The text of an axis label in the three label formats: "Native" (the value as the program
// writes numbers), "xxx*10^yyy" (mantissa, "*10" and a raised exponent) and "xxxE+yyy".

#include "viewmodel/canvas/ITextMetrics.h"

#include <string>

namespace vorelt {

constexpr int32_t lfNative = 0;
constexpr int32_t lfPowerOfTen = 1;
constexpr int32_t lfExponent = 2;

struct TAixsLabel {
    std::string Main;
    // Drawn smaller, raised and 2 pixels right of Main; empty when there is none.
    std::string Exponent;
};

// The label of a mark whose value text is `text` (FloatToStr of the value).
TAixsLabel FormatAixsLabel(const std::string& text, int32_t format);

// Arial 8 for labels, Arial 6 for raised exponents.
TFontAttrs AixsLabelFont();
TFontAttrs AixsExponentFont();

// The space the label takes when drawn: the exponent adds its width and 2 pixels, and a
// quarter of its height below, where the main text moves down.
TTextExtent MeasureAixsLabel(const TAixsLabel& label, const ITextMetrics& metrics);

} // namespace vorelt
