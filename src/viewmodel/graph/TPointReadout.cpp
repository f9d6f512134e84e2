#include "viewmodel/graph/TPointReadout.h"

#include "persist/TNumberFormat.h"
#include "viewmodel/axes/TAixsLabel.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

// The largest number of significant digits FloatToStr writes.
constexpr int MostDigits = 15;

long double Lg(long double v) {
    return std::log10(v > 0 ? v : 3.6E-4931L);
}

// The digits that tell `value` apart from values `resolution` away.
int DigitsFor(long double value, long double resolution) {
    if (!(resolution > 0) || !std::isfinite(resolution) || value == 0) return MostDigits;
    const long double magnitude = std::floor(std::log10(std::fabs(value)));
    const long double finest = std::floor(std::log10(resolution));
    const long double digits = magnitude - finest + 1;
    if (!std::isfinite(digits)) return MostDigits;
    return static_cast<int>(std::clamp(digits, 1.0L, static_cast<long double>(MostDigits)));
}

} // namespace

long double ReadoutValueAt(const TReadoutAxis& axis, long double fraction) {
    if (axis.Logarithmic)
        return std::pow(10.0L, Lg(axis.Lo) + fraction * (Lg(axis.Hi) - Lg(axis.Lo)));
    return axis.Lo + fraction * (axis.Hi - axis.Lo);
}

std::string ReadoutValueText(const TReadoutAxis& axis, long double value) {
    if (!std::isfinite(value)) return FloatToStr(value);
    std::string text;
    if (axis.Integer) {
        text = IntToStr(RoundToInt64(value));
    } else {
        // A tenth of a pixel of the plot, in values at this place of the axis.
        const long double pixels = axis.Pixels > 0 ? axis.Pixels : 1000;
        long double resolution = 0;
        if (axis.Logarithmic)
            resolution =
                std::fabs(value) * std::log(10.0L) * (Lg(axis.Hi) - Lg(axis.Lo)) / pixels / 10;
        else
            resolution = (axis.Hi - axis.Lo) / pixels / 10;
        text = FloatToStr(value, DigitsFor(value, resolution));
    }
    const TAixsLabel label = FormatAixsLabel(text, axis.LabelFormat);
    return label.Exponent.empty() ? label.Main : label.Main + "^" + label.Exponent;
}

std::string ReadoutText(const TPointReadout& r) {
    const std::string x = r.XCaption.empty() ? std::string("X") : r.XCaption;
    const std::string y = r.YCaption.empty() ? std::string("Y") : r.YCaption;
    return x + ": " + r.XText + "\n" + y + ": " + r.YText + "\nChannel: " + IntToStr(r.Channel) +
           "\nRecord: " + IntToStr(r.Record);
}

} // namespace vorelt
