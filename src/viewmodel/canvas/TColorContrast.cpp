#include "viewmodel/canvas/TColorContrast.h"

#include <cmath>

namespace vorelt {

namespace {

long double Linear(uint8_t channel) {
    const long double s = channel / 255.0L;
    return s <= 0.04045L ? s / 12.92L : std::pow((s + 0.055L) / 1.055L, 2.4L);
}

uint8_t Mix(uint8_t from, uint8_t to, int step, int steps) {
    const int v = from + (static_cast<int>(to) - from) * step / steps;
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace

long double RelativeLuminance(TColor c) {
    return 0.2126L * Linear(RedOf(c)) + 0.7152L * Linear(GreenOf(c)) + 0.0722L * Linear(BlueOf(c));
}

long double ContrastRatio(TColor a, TColor b) {
    long double la = RelativeLuminance(a);
    long double lb = RelativeLuminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05L) / (lb + 0.05L);
}

TColor ReadableOn(TColor c, TColor background, long double ratio) {
    if (ContrastRatio(c, background) >= ratio) return c;
    // Black reaches at least 4.58:1 on a background lighter than mid-grey, white at least
    // 4.58:1 on a darker one, so the walk always ends.
    const bool light = RelativeLuminance(background) >= 0.179L;
    const uint8_t to = light ? 0 : 255;
    constexpr int Steps = 64;
    for (int step = 1; step <= Steps; ++step) {
        const TColor mixed =
            RGBColor(Mix(RedOf(c), to, step, Steps), Mix(GreenOf(c), to, step, Steps),
                     Mix(BlueOf(c), to, step, Steps));
        if (ContrastRatio(mixed, background) >= ratio) return mixed;
    }
    return light ? clBlack : clWhite;
}

} // namespace vorelt
