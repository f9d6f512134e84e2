#include "viewmodel/axes/TAixsBase.h"

#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "viewmodel/axes/TAixsRange.h"
#include "viewmodel/canvas/TypesPrg.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorelt {

namespace {

// Loops over steps stop after this many tries at the latest; a long double spans fewer than
// 10 000 decades, so no real range gets near it.
constexpr int MaxTries = 20000;

long double SafeLog10(long double v) {
    return std::log10(v > 0 ? v : LogFloor);
}

const TFixedTextMetrics& DefaultMetrics() {
    static const TFixedTextMetrics metrics;
    return metrics;
}

} // namespace

TAixsBase::TAixsBase(uint8_t kind) : FKind(kind), FProperties(std::make_unique<TGVProperties>()) {
    auto* legend = FProperties->AddNew<TGVStringProperty>("Legend");
    legend->SetDisplayName("Legend");
    auto* margin = FProperties->AddNew<TGVIntegerProperty>("Margin");
    margin->SetDisplayName("Margin");
    margin->SetAsInteger(0);
}

TAixsBase::~TAixsBase() = default;

std::string TAixsBase::Legend() const {
    if (auto* p = FProperties->FindAs<TGVProperty>("Legend")) return p->GetAsString();
    return {};
}

uint8_t TAixsBase::LegendAlignment() const {
    if (auto* p = FProperties->FindAs<TGVProperty>("Legend")) return p->GetAlignment();
    return TGVProperty::AlignLeft;
}

int32_t TAixsBase::Margin() const {
    if (auto* p = FProperties->FindAs<TGVProperty>("Margin")) {
        try {
            return p->GetAsInteger();
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

const ITextMetrics& TAixsBase::Metrics() const {
    return FMetrics ? *FMetrics : DefaultMetrics();
}

int32_t TAixsBase::MmToPixels(long double mm) const {
    return RoundToInt32(Metrics().PixelsPerInch() * mm / 25.4L);
}

void TAixsBase::Changed(bool) {
    FMarks.clear();
}

// ---- Mapping -------------------------------------------------------------------------------

int32_t TAixsBase::PlotLength() const {
    return FStrip ? FStrip->PlotLength(Vertical()) : 0;
}

int32_t TAixsBase::UsableLength() const {
    return FStrip ? PlotLength() - 1 - 4 : 0;
}

TAxisScale TAixsBase::Scale() const {
    TAxisScale s;
    long double lo = 0;
    long double hi = 0;
    if (!CurrentRange(lo, hi)) return s;
    s.Known = true;
    if (Logarithmic()) {
        s.Top = SafeLog10(hi);
        s.Span = s.Top - SafeLog10(lo);
    } else {
        s.Top = hi;
        s.Span = hi - lo;
    }
    return s;
}

int32_t TAixsBase::ValueToPixel(long double d) const {
    return FractionToPixel(Normalize(d));
}

int32_t TAixsBase::FractionToPixel(long double fraction) const {
    // The plot maps its logical sheet onto its pixels; a mark asks that same mapping where its
    // value lies, so it sits on the grid line and the points of that value at any size.
    const int32_t length = PlotLength();
    const TCoordMapping plot(length, length);
    int32_t x = 0;
    int32_t y = 0;
    if (Vertical()) {
        plot.LogicalToDevice(1, 1, 0, PlotLogicalY(fraction), x, y);
        return length - 3 - y;
    }
    plot.LogicalToDevice(1, 1, PlotLogicalX(fraction), 0, x, y);
    return x - 2;
}

long double TAixsBase::PixelToValue(int32_t p) const {
    long double lo = 0;
    long double hi = 0;
    if (!CurrentRange(lo, hi)) return 0;
    const int32_t len = UsableLength();
    // A strip too short to span anything maps every pixel to the minimum.
    const long double t = len <= 0     ? 0
                          : Vertical() ? static_cast<long double>(len - p) / len
                                       : static_cast<long double>(p) / len;
    if (Logarithmic()) {
        const long double a = SafeLog10(lo);
        return std::pow(10.0L, a + t * (SafeLog10(hi) - a));
    }
    return lo + (hi - lo) * t;
}

// ---- Steps ---------------------------------------------------------------------------------

TTextExtent TAixsBase::LabelExtent(long double v) const {
    return MeasureAixsLabel(FormatAixsLabel(FloatToStr(v), FTypeMarkValue), Metrics());
}

bool TAixsBase::NiceStep(bool vertical, int32_t length, TAixsStep& step) const {
    step.Count = 0;
    const int32_t g = MmToPixels(3);
    const int32_t n = g > 0 ? RoundToInt32(static_cast<long double>(length) / g) : 0;
    const long double lo = step.Lo;
    const long double hi = step.Hi;
    if (n <= 0 || !std::isfinite(lo) || !std::isfinite(hi) || hi < lo) return false;
    const long double minStep = std::max((hi - lo) / n, 1E-4L);
    // The largest of 5 S, 2 S, S not above the smallest step.
    long double s = 1;
    long double q = 0;
    for (int tries = 0; q == 0 && tries < MaxTries; ++tries) {
        for (int m : {5, 2, 1}) {
            if (m * s <= minStep) {
                q = m * s;
                break;
            }
        }
        if (q == 0) s /= 10;
    }
    const int32_t pad = MmToPixels(1);
    for (int tries = 0; tries < MaxTries; ++tries, s *= 10) {
        for (int m : {1, 2, 5}) {
            const long double c = m * s;
            if (c <= q || c < minStep) continue;
            long double a = std::trunc(lo / c) * c;
            if (a > lo) a -= c;
            long double b = std::trunc(hi / c) * c;
            if (b < hi) b += c;
            const TTextExtent ea = LabelExtent(a);
            const TTextExtent eb = LabelExtent(b);
            const int32_t need =
                (vertical ? std::max(ea.Height, eb.Height) : std::max(ea.Width, eb.Width)) + pad;
            if (need > 0 && static_cast<long double>(length) / need > (hi - lo) / c) {
                step.Lo = a;
                step.Hi = b;
                step.Step = c;
                step.Multiplier = m;
                // The ends are multiples of the step; rounding keeps the last tick that a
                // quotient like 2.9999999999999996 would lose.
                step.Count = RoundToInt32((b - a) / c);
                step.Need = need;
                return step.Count >= 0;
            }
        }
    }
    return false;
}

bool TAixsBase::NiceDecadeStep(bool vertical, int32_t length, TAixsStep& step) const {
    step.Count = 0;
    const int32_t g = MmToPixels(3);
    const int32_t n = g > 0 ? RoundToInt32(static_cast<long double>(length) / g) : 0;
    if (n <= 0) return false;
    // Only positive values have a logarithm; an axis without them spans 1 .. 10.
    long double lo = step.Lo;
    long double hi = step.Hi;
    if (!(lo > 0) || !std::isfinite(lo) || !(hi > 0) || !std::isfinite(hi)) {
        lo = 1;
        hi = 10;
    }
    if (hi < lo) std::swap(lo, hi);
    // The largest power of ten not above Lo, and the smallest from there not below Hi.
    auto d = static_cast<int32_t>(std::floor(std::log10(lo)));
    while (std::pow(10.0L, d) > lo)
        --d;
    while (std::pow(10.0L, d + 1) <= lo)
        ++d;
    auto e = std::max(d, static_cast<int32_t>(std::ceil(std::log10(hi))));
    while (e > d && std::pow(10.0L, e - 1) >= hi)
        --e;
    while (std::pow(10.0L, e) < hi)
        ++e;
    const long double a = std::pow(10.0L, d);
    const long double b = std::pow(10.0L, e);
    const long double decades = e - d;
    const long double raw = decades / n;
    const TTextExtent ea = LabelExtent(a);
    const TTextExtent eb = LabelExtent(b);
    const int32_t need =
        (vertical ? std::max(ea.Height, eb.Height) : std::max(ea.Width, eb.Width)) + MmToPixels(1);
    long double s = 1;
    for (int tries = 0; tries < MaxTries; ++tries, s *= 10) {
        for (int m : {1, 2, 5}) {
            const long double c = m * s;
            if (c < raw) continue;
            if (need > 0 && static_cast<long double>(length) / need > decades / c) {
                step.Lo = a;
                step.Hi = b;
                step.Step = c;
                step.Multiplier = m;
                step.Count = RoundToInt32(std::trunc(decades / c));
                step.Need = need;
                return true;
            }
        }
    }
    return false;
}

// ---- Marks ---------------------------------------------------------------------------------

RecMarkAixs TAixsBase::TickMark(long double d) const {
    RecMarkAixs tick;
    tick.Kind = mkTick;
    tick.Norm = Normalize(d);
    tick.Pos = FractionToPixel(tick.Norm);
    tick.LabelPos = tick.Pos;
    return tick;
}

RecMarkAixs TAixsBase::LabelledMark(long double d, const std::string& text, uint8_t kind) const {
    RecMarkAixs mark = TickMark(d);
    const int32_t pos = mark.Pos;
    mark.Text = text;
    const TTextExtent e = MeasureAixsLabel(FormatAixsLabel(text, FTypeMarkValue), Metrics());
    const int32_t half = (Vertical() ? e.Height : e.Width) / 2;
    // Pixel positions run from -2 to the plot's length - 3 (the 2-pixel margin of the plot).
    const bool leaves = pos - half < -2 || pos + half > PlotLength() - 3;
    mark.Kind = leaves ? mkTick : kind;
    mark.LabelPos = Vertical() ? pos + half : pos - half;
    return mark;
}

void TAixsBase::BuildMarks() {
    long double curMin = 0;
    long double curMax = 0;
    if (!FStrip || !GraphActive() || !FEnabled || !HasField()) return;
    // A fill without values leaves no range: the marks of an earlier one must not stay.
    FMarks.clear();
    if (!CurrentRange(curMin, curMax)) return;
    if (Logarithmic())
        BuildLogMarks(curMin, curMax);
    else
        BuildLinearMarks(curMin, curMax);
}

void TAixsBase::BuildLinearMarks(long double curMin, long double curMax) {
    TAixsStep st;
    st.Lo = curMin;
    st.Hi = curMax;
    if (!NiceStep(Vertical(), UsableLength(), st)) return;
    const bool integer = IntegerValues();
    const long double shift = curMin - st.Lo;
    for (int32_t k = 0; k <= st.Count; ++k) {
        long double v = st.Lo + k * st.Step;
        if (integer) {
            // Steps below 1 put majors between the integers, which an integer axis leaves out.
            const long double r = std::nearbyint(v);
            if (std::fabs(v - r) > 1E-9L * std::max(1.0L, std::fabs(v))) continue;
            v = r;
        }
        FMarks.push_back(LabelledMark(k * st.Step - shift, FloatToStr(v), mkMajor));
        // Minor ticks between this major and the next, inside the current range.
        if (k == st.Count || st.Multiplier <= 1 || (integer && !(st.Step > 1))) continue;
        for (int32_t e = 1; e < st.Multiplier; ++e) {
            const long double offset = k * st.Step + e * st.Step / st.Multiplier;
            const long double mv = st.Lo + offset;
            if (mv < curMin || mv > curMax) continue;
            FMarks.push_back(TickMark(offset - shift));
        }
    }
}

void TAixsBase::BuildLogMarks(long double curMin, long double curMax) {
    TAixsStep st;
    st.Lo = curMin;
    st.Hi = curMax;
    if (!NiceDecadeStep(Vertical(), UsableLength(), st)) return;
    const long double logMin = SafeLog10(curMin);
    const long double logLo = std::log10(st.Lo);
    long double spacing = 0;
    for (int32_t k = 0; k <= st.Count; ++k) {
        const long double decades = k * st.Step;
        if (decades != std::trunc(decades)) continue;
        if (spacing == 0 && decades != 0) spacing = decades;
        const long double v = std::pow(10.0L, logLo + decades);
        FMarks.push_back(LabelledMark(std::log10(v) - logMin, FloatToStr(v), mkMajor));
    }
    if (spacing == 1) {
        // Every decade also gets 2 .. 9 times its power: labelled when a label fits between
        // 9 and 10 times the power, plain ticks otherwise; only inside the current range.
        const auto first = RoundToInt32(logLo);
        const auto last = RoundToInt32(std::log10(st.Hi));
        for (int32_t j = first; j < last; ++j) {
            const long double power = std::pow(10.0L, j);
            const int32_t p9 = ValueToPixel(std::log10(9 * power) - logMin);
            const int32_t p10 = ValueToPixel(std::log10(10 * power) - logMin);
            const bool labelled = std::abs(p10 - p9) >= st.Need;
            for (int m = 2; m <= 9; ++m) {
                const long double v = m * power;
                if (v < curMin || v > curMax) continue;
                const long double d = std::log10(v) - logMin;
                if (labelled) {
                    const bool inside = v > curMin && v < curMax;
                    FMarks.push_back(LabelledMark(d, inside ? FloatToStr(v) : "", mkMinor));
                } else {
                    FMarks.push_back(TickMark(d));
                }
            }
        }
    }
    AddLogLabelsUpToTwo(curMin, curMax);
    const bool anyLabel = std::any_of(FMarks.begin(), FMarks.end(),
                                      [](const RecMarkAixs& m) { return m.Kind != mkTick; });
    if (!anyLabel) {
        const long double mid = (curMin + curMax) / 2;
        FMarks.push_back(LabelledMark(SafeLog10(mid) - logMin, FloatToStr(mid), mkMinor));
        FMarks.back().Kind = mkMinor;
    }
}

void TAixsBase::AddLogLabelsUpToTwo(long double curMin, long double curMax) {
    // One label tells no scale. A range within a decade, or a narrow plot, leaves its powers of
    // ten outside or its 2 .. 9 unlabelled: label the roundest values of the range that fit
    // beside the labels there are, without overlapping them.
    auto labelled = [](const RecMarkAixs& m) { return m.Kind != mkTick && !m.Text.empty(); };
    if (std::count_if(FMarks.begin(), FMarks.end(), labelled) >= 2) return;
    if (!(curMin > 0) || !(curMax > curMin) || !std::isfinite(curMax)) return;
    const long double logMin = SafeLog10(curMin);
    const int32_t pad = MmToPixels(1);
    std::vector<std::pair<int32_t, int32_t>> taken;
    auto span = [&](const RecMarkAixs& m) {
        const TTextExtent e = MeasureAixsLabel(FormatAixsLabel(m.Text, FTypeMarkValue), Metrics());
        const int32_t half = (Vertical() ? e.Height : e.Width) / 2 + pad / 2;
        return std::pair<int32_t, int32_t>(m.Pos - half, m.Pos + half);
    };
    for (const RecMarkAixs& m : FMarks)
        if (labelled(m)) taken.push_back(span(m));
    auto tryLabel = [&](long double v) {
        if (v < curMin || v > curMax) return;
        const RecMarkAixs mark = LabelledMark(std::log10(v) - logMin, FloatToStr(v), mkMinor);
        if (mark.Kind == mkTick) return; // the label would leave the plot
        const auto s = span(mark);
        for (const auto& t : taken)
            if (s.first < t.second && t.first < s.second) return;
        taken.push_back(s);
        // The value's plain tick, when it has one, becomes the labelled mark.
        for (RecMarkAixs& m : FMarks) {
            if (m.Kind == mkTick && m.Pos == mark.Pos) {
                m = mark;
                return;
            }
        }
        FMarks.push_back(mark);
    };
    // The roundest first: 1, 5 and 2 times a power of ten, then the other multiples.
    const auto first = static_cast<int32_t>(std::floor(SafeLog10(curMin)));
    const auto last = static_cast<int32_t>(std::ceil(SafeLog10(curMax)));
    for (int m : {1, 5, 2, 3, 4, 6, 7, 8, 9})
        for (int32_t j = first; j <= last && taken.size() < 2; ++j)
            tryLabel(m * std::pow(10.0L, j));
    if (taken.size() >= 2) return;
    // A range narrower than those steps: the steps of a linear axis over it.
    TAixsStep st;
    st.Lo = curMin;
    st.Hi = curMax;
    if (!NiceStep(Vertical(), UsableLength(), st)) return;
    for (int32_t k = 0; k <= st.Count && taken.size() < 2; ++k)
        tryLabel(st.Lo + k * st.Step);
    for (int32_t k = st.Count; k >= 0 && taken.size() < 2; --k)
        tryLabel(st.Lo + k * st.Step);
}

int32_t TAixsBase::Thickness() const {
    int32_t t = MmToPixels(4);
    if (GraphActive() && HasField()) {
        int32_t widest = 0;
        for (const RecMarkAixs& m : FMarks) {
            int32_t size = MmToPixels(0.5L);
            if (m.Kind != mkTick) {
                const TTextExtent e =
                    MeasureAixsLabel(FormatAixsLabel(m.Text, FTypeMarkValue), Metrics());
                size = (Vertical() ? e.Width : e.Height) + MmToPixels(3);
            }
            widest = std::max(widest, size);
        }
        t += widest;
    }
    return std::max(t, RoundToInt32(Margin() * Metrics().PixelsPerInch() / 25.4L));
}

void TAixsBase::UpdateLayout() {
    if (!FStrip) return;
    FStrip->SetThickness(Thickness());
    FStrip->RepaintStrip();
}

// ---- Persistence ---------------------------------------------------------------------------

void TAixsBase::SaveCommon(TNodePersist& node) const {
    node.AddItem("AutoMin", FAutoMin ? "1" : "0");
    node.AddItem("AutoMax", FAutoMax ? "1" : "0");
    node.AddItem("ShowMarkValue", FShowMarkValue ? "1" : "0");
    // Files write the scale the other way round: "1" linear, "0" logarithmic.
    node.AddItem("TypeScale", FTypeScale == tsLinear ? "1" : "0");
}

void TAixsBase::LoadCommon(const TNodePersist& node) {
    bool b = false;
    if (node.IndexOfItem("AutoMin") >= 0 && TryStrToBool(node.GetValue("AutoMin"), b)) FAutoMin = b;
    if (node.IndexOfItem("AutoMax") >= 0 && TryStrToBool(node.GetValue("AutoMax"), b)) FAutoMax = b;
    if (node.IndexOfItem("ShowMarkValue") >= 0 && TryStrToBool(node.GetValue("ShowMarkValue"), b))
        FShowMarkValue = b;
    int32_t n = 0;
    if (node.IndexOfItem("TypeScale") >= 0 && TryStrToInt(node.GetValue("TypeScale"), n))
        FTypeScale = n == 0 ? tsLogarithmic : tsLinear;
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "Properties")) FProperties->LoadFromNode(child);
    }
}

} // namespace vorelt
