#pragma once
// The axis of the passive test-program graph: the same layout as TGrAixs, with a floating-point
// range kept in properties and no field behind it.

#include "persist/TGVProperty.h"
#include "viewmodel/axes/TAixsBase.h"

#include <functional>

namespace vorelt {

class TAixs : public TAixsBase {
public:
    explicit TAixs(uint8_t kind = akLeft);
    std::string ClassName() const override { return "TAixs"; }

    TGVFloatProperty& Min() { return FMin; }
    TGVFloatProperty& Max() { return FMax; }
    TGVFloatProperty& CurMin() { return FCurMin; }
    TGVFloatProperty& CurMax() { return FCurMax; }
    void SetEnabled(bool v) { SetEnabledFlag(v); }

    void ResetAuto();
    // One plotted value; a logarithmic axis leaves non-positive values out.
    void AddValue(long double x);
    void AddCurrentValue(long double x);
    void FinishRange();
    void FinishCurrentRange();
    static void WidenRange(long double& a, long double& b);

    bool HasField() const override { return true; }
    bool CurrentRange(long double& lo, long double& hi) const override;
    bool IntegerValues() const override { return IntegerKind(FMin.DataType()); }
    bool GraphActive() const override { return OnQueryActive ? OnQueryActive() : true; }
    std::string Caption() const override { return Legend(); }
    void Changed(bool resetData) override;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // The owning graph's state and change notice (the test-program graph has no processor).
    std::function<bool()> OnQueryActive;
    std::function<void(bool)> OnModified;

private:
    // The integer type codes shared with record fields.
    static constexpr bool IntegerKind(uint8_t t) { return t >= 2 && t <= 8; }
    void Finish(TGVFloatProperty& lo, TGVFloatProperty& hi);

    TGVFloatProperty FMin{"MinValue"};
    TGVFloatProperty FMax{"MaxValue"};
    TGVFloatProperty FCurMin{"CurMinValue"};
    TGVFloatProperty FCurMax{"CurMaxValue"};
};

} // namespace vorelt
