#include "viewmodel/canvas/ITextMetrics.h"

#include "persist/TNumberFormat.h"

#include <cstdlib>

namespace vorelt {

TTextExtent TFixedTextMetrics::Measure(const std::string& text, const TFontAttrs& font) const {
    const long double pixels =
        font.Height != 0 ? std::abs(font.Height) : font.Size * FPixelsPerInch / 72;
    // Characters, not bytes of UTF-8.
    int32_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80 ? 1 : 0;
    TTextExtent e;
    e.Width = RoundToInt32(chars * pixels * 0.6L);
    e.Height = RoundToInt32(pixels * 1.2L);
    return e;
}

} // namespace vorelt
