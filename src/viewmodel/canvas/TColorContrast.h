#pragma once
// Contrast of colours as the accessibility guidelines measure it (WCAG 2: relative luminance
// of sRGB, ratio (L1 + 0.05) / (L2 + 0.05)), and the nearest colour of the same hue that is
// readable on a background. Palette colours are chosen by users and by the palette's defaults
// (pale cyan, pale yellow) without regard to the scheme they end up on, so the graphs draw
// with the readable shade instead of the raw entry.

#include "viewmodel/canvas/TypesPrg.h"

namespace vorelt {

// 0 for black to 1 for white.
long double RelativeLuminance(TColor c);
// 1 (equal luminance) to 21 (black on white).
long double ContrastRatio(TColor a, TColor b);
// `c` when its contrast against `background` is at least `ratio`; otherwise `c` mixed toward
// black (light backgrounds) or white (dark ones) by the smallest step that reaches it.
TColor ReadableOn(TColor c, TColor background, long double ratio = 3);

} // namespace vorelt
