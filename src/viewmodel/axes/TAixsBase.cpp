#include "viewmodel/axes/TAixsBase.h"

#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "viewmodel/axes/TAixsRange.h"
#include "viewmodel/axes/TAixsSteps.h"
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

int32_t TAixsBase::LabelGap(bool vertical) const {
    // Side by side, numbers need about two characters between them to read as two; above each
    // other, half a line.
    const int32_t height = MeasureAixsLabel({"0", {}}, Metrics()).Height;
    return std::max(MmToPixels(1), vertical ? height / 2 : height);
}

bool TAixsBase::NiceStep(bool vertical, int32_t length, TAixsStep& step) const {
    step.Count = 0;
    const long double lo = step.Lo;
    const long double hi = step.Hi;
    if (length <= 0 || !std::isfinite(lo) || !std::isfinite(hi) || hi < lo) return false;
    // A range without width still gets the ticks around its value.
    const long double span = hi > lo ? hi - lo : std::max(std::fabs(lo) * 0.2L, 1.0L);
    if (!std::isfinite(span)) return false;
    // A reader separates ticks at a glance when they are at least two label heights apart
    // above each other and three beside each other; longer labels ask for more below.
    const int32_t height = MeasureAixsLabel({"0", {}}, Metrics()).Height;
    const int32_t glance = std::max(1, (vertical ? 2 : 3) * height);
    const int32_t gap = LabelGap(vertical);
    // Not even one label fits.
    if (length < height + gap) return false;
    const int32_t intervals = std::clamp(length / glance, 1, MaxIntervals);
    const TAixsCounting counting{IntegerValues(), TimeUnitSeconds()};
    auto along = [&](long double v) {
        const TTextExtent e = LabelExtent(v);
        return vertical ? e.Height : e.Width;
    };
    TAixsTickStep c = RoundStepAtLeast(span / intervals, counting);
    for (int tries = 0; tries < MaxTries && c.Step > 0; ++tries, c = NextRoundStep(c, counting)) {
        long double a = std::floor(lo / c.Step) * c.Step;
        if (a > lo) a -= c.Step;
        long double b = std::ceil(hi / c.Step) * c.Step;
        if (b < hi) b += c.Step;
        if (!std::isfinite(a) || !std::isfinite(b)) return false;
        // The widest labels: the ends, and their neighbours that may carry more digits.
        const int32_t need =
            std::max({along(a), along(b), along(a + c.Step), along(b - c.Step)}) + gap;
        const long double spacing = c.Step / span * length;
        if (spacing >= need && spacing >= glance * 0.75L) {
            step.Lo = a;
            step.Hi = b;
            step.Step = c.Step;
            step.Divisions = c.Divisions;
            // The ends are multiples of the step; rounding keeps the last tick that a
            // quotient like 2.9999999999999996 would lose.
            step.Count = RoundToInt32((b - a) / c.Step);
            step.Need = need;
            return step.Count >= 0;
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
        (vertical ? std::max(ea.Height, eb.Height) : std::max(ea.Width, eb.Width)) +
        LabelGap(vertical);
    long double s = 1;
    for (int tries = 0; tries < MaxTries; ++tries, s *= 10) {
        for (int m : {1, 2, 5}) {
            const long double c = m * s;
            if (c < raw) continue;
            if (need > 0 && static_cast<long double>(length) / need > decades / c) {
                step.Lo = a;
                step.Hi = b;
                step.Step = c;
                step.Divisions = m;
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
    const int32_t size = Vertical() ? e.Height : e.Width;
    const int32_t half = size / 2;
    // Pixel positions run from -2 to the plot's length - 3 (the 2-pixel margin of the plot).
    // A label that would stick out past an end moves inwards, as far as half its size: the
    // value at the end of an axis is the one a reader looks for first.
    const int32_t first = -2;
    const int32_t last = PlotLength() - 3;
    int32_t low = pos - half;
    if (low < first) low = first;
    if (low + size > last) low = last - size;
    const bool fits = size <= last - first && pos >= first && pos <= last;
    mark.Kind = fits ? kind : mkTick;
    // The label's anchor: its top for vertical axes (counted upwards), its left otherwise.
    mark.LabelPos = Vertical() ? low + size : low;
    return mark;
}

void TAixsBase::DropCrowdedLabels() {
    // Labels in order along the axis; one that came too near the label before it (an end label
    // moved inwards) gives way, the roundest value keeping its label.
    const int32_t gap = LabelGap(Vertical()) / 2;
    std::vector<RecMarkAixs*> labelled;
    for (RecMarkAixs& m : FMarks)
        if (m.Kind != mkTick && !m.Text.empty()) labelled.push_back(&m);
    std::sort(labelled.begin(), labelled.end(),
              [](const RecMarkAixs* a, const RecMarkAixs* b) { return a->Pos < b->Pos; });
    auto box = [&](const RecMarkAixs& m) {
        const TTextExtent e = MeasureAixsLabel(FormatAixsLabel(m.Text, FTypeMarkValue), Metrics());
        const int32_t size = Vertical() ? e.Height : e.Width;
        const int32_t low = Vertical() ? m.LabelPos - size : m.LabelPos;
        return std::pair<int32_t, int32_t>(low, low + size);
    };
    RecMarkAixs* previous = nullptr;
    for (RecMarkAixs* m : labelled) {
        if (previous && box(*previous).second + gap > box(*m).first) {
            // The mark whose label moved gives way; otherwise the later one.
            const auto moved = [&](const RecMarkAixs& x) {
                const auto b = box(x);
                return std::abs((b.first + b.second) / 2 - x.Pos) > 1;
            };
            RecMarkAixs* loser = moved(*previous) && !moved(*m) ? previous : m;
            loser->Kind = mkTick;
            if (loser == previous) previous = m;
            continue;
        }
        previous = m;
    }
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
    const int32_t length = UsableLength();
    if (!NiceStep(Vertical(), length, st)) return;
    const bool integer = IntegerValues();
    // A mark within a hair of the range counts as inside: the ends are often multiples.
    const long double tolerance = (curMax - curMin) * 1E-9L;
    auto inside = [&](long double v) { return v >= curMin - tolerance && v <= curMax + tolerance; };
    const long double base = std::round(st.Lo / st.Step);
    // Minor ticks closer than a few pixels are a grey smear: fewer parts, or none.
    int32_t divisions = st.Divisions;
    const long double span = curMax > curMin ? curMax - curMin : 0;
    const long double stepPixels = span > 0 ? st.Step / span * length : 0;
    while (divisions > 1 && stepPixels / divisions < MmToPixels(1) + 1)
        divisions = divisions % 2 == 0 ? divisions / 2 : 1;
    for (int32_t k = 0; k <= st.Count; ++k) {
        // Counted in steps from zero, so that a value like 0,1 * 3 reads 0,3 and zero is 0.
        long double v = (base + k) * st.Step;
        if (integer) v = std::nearbyint(v);
        if (inside(v)) {
            RecMarkAixs mark = LabelledMark(v - curMin, FloatToStr(v), mkMajor);
            mark.Grid = true;
            FMarks.push_back(mark);
        }
        // Minor ticks from this major to the next, inside the current range.
        if (k == st.Count || divisions <= 1) continue;
        for (int32_t e = 1; e < divisions; ++e) {
            const long double mv = (base + k) * st.Step + e * st.Step / divisions;
            if (!inside(mv)) continue;
            FMarks.push_back(TickMark(mv - curMin));
        }
    }
    DropCrowdedLabels();
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
        RecMarkAixs mark = LabelledMark(std::log10(v) - logMin, FloatToStr(v), mkMajor);
        mark.Grid = v >= curMin && v <= curMax;
        FMarks.push_back(mark);
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
    AddRoundLogLabels(curMin, curMax);
    const bool anyLabel = std::any_of(FMarks.begin(), FMarks.end(),
                                      [](const RecMarkAixs& m) { return m.Kind != mkTick; });
    if (!anyLabel) {
        const long double mid = (curMin + curMax) / 2;
        FMarks.push_back(LabelledMark(SafeLog10(mid) - logMin, FloatToStr(mid), mkMinor));
        FMarks.back().Kind = mkMinor;
    }
    // Within a decade or two the labelled values between the powers of ten are the steps a
    // reader counts in: they carry grid lines as well.
    for (RecMarkAixs& m : FMarks)
        if (m.Kind != mkTick && !m.Text.empty()) m.Grid = true;
}

void TAixsBase::AddRoundLogLabels(long double curMin, long double curMax) {
    // Two labels hardly tell a scale. A range within a decade or two, or a narrow plot, leaves
    // its powers of ten outside or its 2 .. 9 unlabelled: label the roundest values of the
    // range that fit beside the labels there are, a gap apart.
    auto labelled = [](const RecMarkAixs& m) { return m.Kind != mkTick && !m.Text.empty(); };
    if (std::count_if(FMarks.begin(), FMarks.end(), labelled) >= 3) return;
    if (!(curMin > 0) || !(curMax > curMin) || !std::isfinite(curMax)) return;
    const long double logMin = SafeLog10(curMin);
    const int32_t pad = LabelGap(Vertical());
    std::vector<std::pair<int32_t, int32_t>> taken;
    auto span = [&](const RecMarkAixs& m) {
        const TTextExtent e = MeasureAixsLabel(FormatAixsLabel(m.Text, FTypeMarkValue), Metrics());
        const int32_t size = Vertical() ? e.Height : e.Width;
        const int32_t low = Vertical() ? m.LabelPos - size : m.LabelPos;
        return std::pair<int32_t, int32_t>(low - pad / 2, low + size + pad / 2);
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
        for (int32_t j = first; j <= last; ++j)
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
