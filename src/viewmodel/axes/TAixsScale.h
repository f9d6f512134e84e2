#pragma once
// A passive graph's axis as zooming sees it: its current range as numbers, so that the passive
// graphs zoom through the same stack and rules as the graphs of processors.

#include "processing/graph/IGraphAxis.h"
#include "viewmodel/axes/TAixs.h"

namespace vorelt {

class TAixsScale : public IGraphAxis {
public:
    explicit TAixsScale(TAixs& axis) : FAxis(axis) {}

    bool AxisHasField() const override { return true; }
    std::string AxisFieldId() const override { return {}; }
    bool AxisEnabled() const override { return FAxis.Enabled(); }
    bool AxisLogarithmic() const override { return FAxis.Logarithmic(); }
    // The owner of a passive graph supplies its ranges; zooming collects none.
    void AxisResetAuto() override {}
    void AxisAddValue(long double) override {}
    void AxisAddCurrentValue(long double) override {}
    void AxisFinishRange() override {}
    void AxisFinishCurrentRange() override {}
    bool AxisBounds(long double& lo, long double& hi) const override {
        return Pair(FAxis.Min(), FAxis.Max(), lo, hi);
    }
    // The range as drawn: a logarithmic axis starts at a positive value.
    bool AxisCurrent(long double& lo, long double& hi) const override {
        return FAxis.CurrentRange(lo, hi);
    }
    void AxisSetCurrent(long double lo, long double hi) override {
        FAxis.CurMin().SetAsFloat(lo);
        FAxis.CurMax().SetAsFloat(hi);
    }
    void AxisEmptyCurrentMax() override { FAxis.CurMax().Clear(); }
    TAxisScale AxisScale() const override { return {}; }
    void AxisWidenRange(long double& a, long double& b) const override { TAixs::WidenRange(a, b); }

private:
    static long double Value(const TGVFloatProperty& p) { return p.IsNull() ? 0 : p.GetAsFloat(); }
    static bool Pair(const TGVFloatProperty& a, const TGVFloatProperty& b, long double& lo,
                     long double& hi) {
        lo = Value(a);
        hi = Value(b);
        return !a.IsNull() && !b.IsNull();
    }

    TAixs& FAxis;
};

} // namespace vorelt
