#include "viewmodel/axes/TAixs.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "viewmodel/axes/TAixsRange.h"

#include <cmath>
#include <cstdint>

namespace vorelt {

TAixs::TAixs(uint8_t kind) : TAixsBase(kind) {}

bool TAixs::CurrentRange(long double& lo, long double& hi) const {
    if (FCurMin.IsNull() || FCurMax.IsNull()) return false;
    lo = FCurMin.Value();
    hi = FCurMax.Value();
    // The logarithm of the minimum is taken of a positive value.
    if (Logarithmic() && !(lo > 0)) lo = LogFloor;
    return true;
}

void TAixs::Changed(bool resetData) {
    TAixsBase::Changed(resetData);
    if (OnModified) OnModified(resetData);
}

void TAixs::ResetAuto() {
    if (FAutoMax) {
        FMax.Clear();
        FCurMax.Clear();
    }
    if (FAutoMin) {
        FMin.Clear();
        FCurMin.Clear();
    }
}

void TAixs::AddValue(long double x) {
    if (std::isnan(x) || (Logarithmic() && !(x > 0))) return;
    if (FAutoMax) {
        if (FMax.IsNull() || x > FMax.Value()) {
            FMax.SetAsFloat(x);
            FCurMax.SetAsFloat(x);
        }
    } else if (!FMax.IsNull() && (FCurMax.IsNull() || FCurMax.Value() < FMax.Value())) {
        FCurMax.SetAsFloat(FMax.Value());
    }
    if (FAutoMin) {
        if (FMin.IsNull() || x < FMin.Value()) {
            FMin.SetAsFloat(x);
            FCurMin.SetAsFloat(x);
        }
    } else if (!FMin.IsNull() && (FCurMin.IsNull() || FCurMin.Value() > FMin.Value())) {
        FCurMin.SetAsFloat(FMin.Value());
    }
}

void TAixs::AddCurrentValue(long double x) {
    if (std::isnan(x) || (Logarithmic() && !(x > 0))) return;
    if (FAutoMax) {
        if (FCurMax.IsNull() || x > FCurMax.Value()) FCurMax.SetAsFloat(x);
    } else if (!FMax.IsNull() && (FCurMax.IsNull() || FCurMax.Value() < FMax.Value())) {
        FCurMax.SetAsFloat(FMax.Value());
    }
    if (FAutoMin) {
        if (FCurMin.IsNull() || x < FCurMin.Value()) FCurMin.SetAsFloat(x);
    } else if (!FMin.IsNull() && (FCurMin.IsNull() || FCurMin.Value() > FMin.Value())) {
        FCurMin.SetAsFloat(FMin.Value());
    }
}

void TAixs::Finish(TGVFloatProperty& lo, TGVFloatProperty& hi) {
    const bool integer = IntegerValues();
    if (lo.IsNull() || hi.IsNull()) {
        if (!Logarithmic()) return;
        long double a = lo.IsNull() ? 0 : lo.Value();
        long double b = hi.IsNull() ? 0 : hi.Value();
        FinishLogRange(a, b, integer);
        lo.SetAsFloat(a);
        hi.SetAsFloat(b);
        return;
    }
    long double a = lo.Value();
    long double b = hi.Value();
    if (integer) {
        // Property values of an integer kind are whole numbers already.
        int64_t ia = RoundToInt64(a);
        int64_t ib = RoundToInt64(b);
        FinishIntegerRange(ia, ib, FAutoMin, FAutoMax, INT32_MIN, INT32_MAX);
        a = static_cast<long double>(ia);
        b = static_cast<long double>(ib);
    } else {
        FinishFloatRange(a, b, FAutoMin, FAutoMax);
    }
    if (Logarithmic()) FinishLogRange(a, b, integer);
    lo.SetAsFloat(a);
    hi.SetAsFloat(b);
}

void TAixs::FinishRange() {
    Finish(FMin, FMax);
    if (FCurMax.IsNull() && !FMax.IsNull()) FCurMax.SetAsFloat(FMax.Value());
    if (FCurMin.IsNull() && !FMin.IsNull()) FCurMin.SetAsFloat(FMin.Value());
}

void TAixs::FinishCurrentRange() {
    Finish(FCurMin, FCurMax);
}

void TAixs::WidenRange(long double& a, long double& b) {
    WidenFloatRange(a, b);
}

void TAixs::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Type", IntToStr(FKind));
    FMin.SaveToNode(*node.AddNode("MinValue"));
    FMax.SaveToNode(*node.AddNode("MaxValue"));
    SaveCommon(node);
    FProperties->SaveToNode(*node.AddNode("Properties"));
}

void TAixs::LoadFromNode(const TNodePersist& node) {
    int32_t n = 0;
    if (node.IndexOfItem("Type") >= 0 && TryStrToInt(node.GetValue("Type"), n) && n >= 0 && n <= 2)
        FKind = static_cast<uint8_t>(n);
    LoadCommon(node);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        // A saved value is a configured end, not an empty one.
        if (SameTextTrimmed(child.Name(), "MinValue")) {
            FMin.LoadFromNode(child);
            if (!Trim(child.GetValue("Value")).empty()) FMin.SetAsFloat(FMin.Value());
            FCurMin.Clear();
        } else if (SameTextTrimmed(child.Name(), "MaxValue")) {
            FMax.LoadFromNode(child);
            if (!Trim(child.GetValue("Value")).empty()) FMax.SetAsFloat(FMax.Value());
            FCurMax.Clear();
        }
    }
}

} // namespace vorelt
