#pragma once
// A graph axis as the filling and zooming of a graph see it: its ranges as numbers.

#include "processing/graph/IGraphAxis.h"
#include "viewmodel/axes/TGrAixs.h"

namespace vorelt {

class TGrAixsScale : public IGraphAxis {
public:
    explicit TGrAixsScale(TGrAixs& axis) : FAxis(axis) {}

    bool AxisHasField() const override { return FAxis.HasField(); }
    std::string AxisFieldId() const override { return FAxis.FieldId(); }
    bool AxisEnabled() const override { return FAxis.Enabled(); }
    bool AxisLogarithmic() const override { return FAxis.Logarithmic(); }
    void AxisResetAuto() override {
        if (FAxis.HasField()) FAxis.ResetAuto();
    }
    void AxisAddValue(long double x) override {
        if (FAxis.HasField()) FAxis.AddValue(x);
    }
    void AxisAddCurrentValue(long double x) override {
        if (FAxis.HasField()) FAxis.AddCurrentValue(x);
    }
    void AxisFinishRange() override {
        if (FAxis.HasField()) FAxis.FinishRange();
    }
    void AxisFinishCurrentRange() override {
        if (FAxis.HasField()) FAxis.FinishCurrentRange();
    }
    bool AxisBounds(long double& lo, long double& hi) const override {
        return Pair(FAxis.Min(), FAxis.Max(), lo, hi);
    }
    bool AxisCurrent(long double& lo, long double& hi) const override {
        return Pair(FAxis.CurMin(), FAxis.CurMax(), lo, hi);
    }
    void AxisSetCurrent(long double lo, long double hi) override {
        if (!FAxis.HasField()) return;
        FAxis.CurMin()->SetAsFloat(lo);
        FAxis.CurMax()->SetAsFloat(hi);
    }
    void AxisEmptyCurrentMax() override {
        if (FAxis.HasField()) FAxis.EmptyCurrentMax();
    }
    TAxisScale AxisScale() const override { return FAxis.Scale(); }
    void AxisWidenRange(long double& a, long double& b) const override {
        TGrAixs::WidenRange(a, b);
    }

private:
    static bool Pair(const TAEField* a, const TAEField* b, long double& lo, long double& hi) {
        lo = hi = 0;
        if (!a || !b || a->IsNull() || b->IsNull()) return false;
        lo = a->GetAsFloat();
        hi = b->GetAsFloat();
        return true;
    }

    TGrAixs& FAxis;
};

} // namespace vorelt
