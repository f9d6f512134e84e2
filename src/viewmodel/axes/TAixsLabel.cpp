#include "viewmodel/axes/TAixsLabel.h"

#include "persist/TNumberFormat.h"

#include <cmath>

namespace vorelt {

namespace {

// v = m * 10^e with 1 <= |m| < 10 at 15 significant digits (v = 0 gives 0, 0).
void SplitDecimal(long double v, long double& m, int32_t& e) {
    m = 0;
    e = 0;
    if (v == 0 || !std::isfinite(v)) {
        m = v;
        return;
    }
    e = static_cast<int32_t>(std::floor(std::log10(std::fabs(v))));
    m = StrToFloat(FloatToStr(v / std::pow(10.0L, e)));
    // The logarithm and the rounding may land one decade off.
    if (std::fabs(m) >= 10) {
        m = StrToFloat(FloatToStr(m / 10));
        ++e;
    } else if (std::fabs(m) < 1) {
        m = StrToFloat(FloatToStr(m * 10));
        --e;
    }
}

} // namespace

TAixsLabel FormatAixsLabel(const std::string& text, int32_t format) {
    TAixsLabel label;
    long double v = 0;
    if (format == lfNative || !TryStrToFloat(text, v)) {
        label.Main = text;
        return label;
    }
    long double m = 0;
    int32_t e = 0;
    SplitDecimal(v, m, e);
    const bool one = m == 1;
    if (format == lfPowerOfTen) {
        if (one && e == 0)
            label.Main = "1";
        else if (!one && e != 0)
            label.Main = FloatToStr(m) + "*10";
        else if (!one)
            label.Main = FloatToStr(m);
        else
            label.Main = "10";
        if (e != 0) label.Exponent = IntToStr(e);
        return label;
    }
    if (one && e == 0)
        label.Main = "1";
    else if (!one && e != 0)
        label.Main = FloatToStr(m) + "E" + IntToStr(e);
    else if (!one)
        label.Main = FloatToStr(m);
    else
        label.Main = "1E" + IntToStr(e);
    return label;
}

TFontAttrs AixsLabelFont() {
    return AxisFont("Arial", 8);
}

TFontAttrs AixsExponentFont() {
    return AxisFont("Arial", 6);
}

TTextExtent MeasureAixsLabel(const TAixsLabel& label, const ITextMetrics& metrics) {
    TTextExtent e = metrics.Measure(label.Main, AixsLabelFont());
    if (!label.Exponent.empty()) {
        const TTextExtent x = metrics.Measure(label.Exponent, AixsExponentFont());
        e.Width += 2 + x.Width;
        e.Height += x.Height / 4;
    }
    return e;
}

} // namespace vorelt
