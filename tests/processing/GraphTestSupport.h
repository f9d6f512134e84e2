#pragma once
// Stand-ins for the visual side of a graph: an axis that collects its range as plain numbers
// and a series object that records the points it is given.

#include "processing/graph/IGraphAxis.h"
#include "processing/graph/ISeriesPoints.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace vorelt::test {

class TFakeAxis : public IGraphAxis {
public:
    std::string FieldId;
    bool Enabled = true;
    bool Log = false;
    bool AutoMin = true, AutoMax = true;
    bool HasLo = false, HasHi = false;
    long double Lo = 0, Hi = 0;
    bool HasCurLo = false, HasCurHi = false;
    long double CurLo = 0, CurHi = 0;

    void Fix(long double lo, long double hi) {
        AutoMin = AutoMax = false;
        HasLo = HasHi = true;
        Lo = lo;
        Hi = hi;
    }

    bool AxisHasField() const override { return !FieldId.empty(); }
    std::string AxisFieldId() const override { return FieldId; }
    bool AxisEnabled() const override { return Enabled; }
    bool AxisLogarithmic() const override { return Log; }
    void AxisResetAuto() override {
        if (AutoMin) HasLo = false;
        if (AutoMax) HasHi = false;
        HasCurLo = HasCurHi = false;
    }
    void AxisAddValue(long double x) override {
        if (Log && !(x > 0)) return;
        if (AutoMin && (!HasLo || x < Lo)) Lo = x, HasLo = true;
        if (AutoMax && (!HasHi || x > Hi)) Hi = x, HasHi = true;
    }
    void AxisAddCurrentValue(long double x) override {
        if (Log && !(x > 0)) return;
        if (!HasCurLo || x < CurLo) CurLo = x, HasCurLo = true;
        if (!HasCurHi || x > CurHi) CurHi = x, HasCurHi = true;
    }
    void AxisFinishRange() override {
        if (!HasLo) Lo = 0, HasLo = true;
        if (!HasHi) Hi = Lo + 1, HasHi = true;
        if (Hi <= Lo) Hi = Lo + 1;
    }
    void AxisFinishCurrentRange() override {
        if (!HasCurLo) CurLo = Lo, HasCurLo = true;
        if (!HasCurHi) CurHi = Hi, HasCurHi = true;
        if (CurHi <= CurLo) CurHi = CurLo + 1;
    }
    bool AxisBounds(long double& lo, long double& hi) const override {
        lo = Lo;
        hi = Hi;
        return HasLo && HasHi;
    }
    bool AxisCurrent(long double& lo, long double& hi) const override {
        lo = CurLo;
        hi = CurHi;
        return HasCurLo && HasCurHi;
    }
    void AxisSetCurrent(long double lo, long double hi) override {
        CurLo = lo;
        CurHi = hi;
        HasCurLo = HasCurHi = true;
    }
    void AxisEmptyCurrentMax() override { HasCurHi = false; }
    TAxisScale AxisScale() const override {
        TAxisScale s;
        s.Known = true;
        s.Span = Log ? std::log10(CurHi) - std::log10(CurLo) : CurHi - CurLo;
        s.Top = s.Span == 0 ? 0 : std::nan("");
        return s;
    }
    void AxisWidenRange(long double& a, long double& b) const override {
        if (b < a) std::swap(a, b);
        if (a == b) a -= 1, b += 1;
    }
};

struct TFakePoint {
    int32_t Tag;
    uint8_t Flags;
    uint8_t Channel;
    long double Y, X;
};

class TFakeSeriesPoints : public ISeriesPoints {
public:
    std::vector<TFakePoint> Points;
    std::set<int32_t> Colored;
    bool Sorted = false;
    int Applied = 0;

    void ClearSeriesPoints() override { Points.clear(); }
    void AddSeriesPoint(int32_t tag, uint8_t flags, uint8_t channel, long double yNorm,
                        long double xNorm) override {
        Points.push_back({tag, flags, channel, yNorm, xNorm});
    }
    bool ChannelColorsEmpty() const override { return Colored.empty(); }
    bool ChannelColored(uint8_t channel) const override { return Colored.count(channel) != 0; }
    void SetChannelColors(const int32_t* channels, size_t count) override {
        Colored.clear();
        for (size_t i = 0; i < count; ++i)
            Colored.insert(channels[i]);
    }
    void SortSeriesPoints() override {
        std::stable_sort(Points.begin(), Points.end(),
                         [](const TFakePoint& a, const TFakePoint& b) {
                             return a.X < b.X || (a.X == b.X && a.Y < b.Y);
                         });
        Sorted = true;
    }
    void ApplyChannelColors() override { ++Applied; }
    int SeriesPointCount() const override { return static_cast<int>(Points.size()); }
    void TransformSeriesPoint(int index, long double yOrigin, long double yScale,
                              long double xOrigin, long double xScale) override {
        TFakePoint& p = Points[static_cast<size_t>(index)];
        // Normalised heights grow upwards, as logical Y grows downwards.
        p.Y = 1 - yScale * (yOrigin - p.Y);
        p.X = xScale * (p.X - xOrigin);
    }
};

} // namespace vorelt::test
