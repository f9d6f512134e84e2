#include "viewmodel/axes/TGrAixs.h"

#include "model/TAEExtendedField.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "viewmodel/axes/TAixsRange.h"
#include "viewmodel/axes/TAixsSteps.h"

#include <algorithm>

#include <cmath>

namespace vorelt {

TGrAixs::TGrAixs(IAixsGraph* graph, uint8_t kind) : TAixsBase(kind), FGraph(graph) {}

TGrAixs::~TGrAixs() = default;

std::unique_ptr<TAEField> TGrAixs::EmptyLike(const TAEField& like) {
    std::unique_ptr<TAEField> v = like.Clone(cmConstant);
    v->SetReadOnly(false);
    v->Clear();
    return v;
}

std::unique_ptr<TAEField> TGrAixs::CurrentLike(const TAEField& like) {
    // The range as drawn holds fractions on whole-number axes too: its margin may end between
    // whole numbers (below 1 on a logarithmic axis of counts), and a zoom ends where the user
    // let go.
    if (!IsIntegerType(like.DataType())) return EmptyLike(like);
    auto v = std::make_unique<TAEExtendedField>();
    v->Clear();
    return v;
}

void TGrAixs::SetFieldId(const std::string& id) {
    if (id == FFieldId) return;
    if (id.empty()) {
        ClearField();
        return;
    }
    const TAEField* field = FGraph ? FGraph->FindAixsField(id) : nullptr;
    if (!field) return;
    ClearField();
    FFieldId = id;
    FMin = EmptyLike(*field);
    FCurMin = CurrentLike(*field);
    FMax = EmptyLike(*field);
    FCurMax = CurrentLike(*field);
}

void TGrAixs::ClearField() {
    FFieldId.clear();
    FMin.reset();
    FMax.reset();
    FCurMin.reset();
    FCurMax.reset();
}

void TGrAixs::FieldRemoved(const std::string& id) {
    if (!FFieldId.empty() && id == FFieldId) ClearField();
}

bool TGrAixs::RebindField() {
    if (FFieldId.empty() || (FMin && FMax)) return HasField();
    const TAEField* field = FGraph ? FGraph->FindAixsField(FFieldId) : nullptr;
    if (!field) return false;
    SetMin(EmptyLike(*field));
    SetMax(EmptyLike(*field));
    return true;
}

void TGrAixs::SetEnabled(bool v) {
    SetEnabledFlag(v);
    if (!v) ClearField();
}

void TGrAixs::SetMin(std::unique_ptr<TAEField> value) {
    FCurMin = value ? CurrentLike(*value) : nullptr;
    FMin = std::move(value);
}

void TGrAixs::SetMax(std::unique_ptr<TAEField> value) {
    FCurMax = value ? CurrentLike(*value) : nullptr;
    FMax = std::move(value);
}

bool TGrAixs::IntegerValues() const {
    return FMin && IsIntegerType(FMin->DataType());
}

long double TGrAixs::TimeUnitSeconds() const {
    const TAEField* field = FGraph && !FFieldId.empty() ? FGraph->FindAixsField(FFieldId) : nullptr;
    if (!field || !field->HasFlag(ffTime)) return 0;
    switch (field->UnitKind()) {
    case ukSecond:
        return 1;
    case ukMillisecond:
        return 1E-3L;
    case ukMicrosecond:
        return 1E-6L;
    default:
        return 0;
    }
}

bool TGrAixs::CurrentRange(long double& lo, long double& hi) const {
    if (!FCurMin || !FCurMax || FCurMin->IsNull() || FCurMax->IsNull()) return false;
    lo = FCurMin->GetAsFloat();
    hi = FCurMax->GetAsFloat();
    return true;
}

std::string TGrAixs::Caption() const {
    const std::string legend = Legend();
    if (!legend.empty()) return legend;
    const TAEField* field = FGraph && !FFieldId.empty() ? FGraph->FindAixsField(FFieldId) : nullptr;
    if (!field) return {};
    std::string caption = field->GetDisplayName();
    if (!field->GetDisplayDimension().empty())
        caption += " ( " + field->GetDisplayDimension() + " )";
    return caption;
}

void TGrAixs::Changed(bool resetData) {
    TAixsBase::Changed(resetData);
    if (FGraph) FGraph->SetModified(resetData);
}

// ---- Range collection ----------------------------------------------------------------------

void TGrAixs::ResetAuto() {
    if (FAutoMax && FMax) {
        FMax->Clear();
        if (FCurMax) FCurMax->Clear();
        FReachHi = {};
    }
    if (FAutoMin && FMin) {
        FMin->Clear();
        if (FCurMin) FCurMin->Clear();
        FReachLo = {};
    }
}

void TGrAixs::EmptyCurrentMax() {
    if (FCurMax) FCurMax->Clear();
    FReachHi = {};
}

void TGrAixs::AddValue(long double x) {
    if (!FMin || !FMax || std::isnan(x)) return;
    // A logarithm exists only for positive values.
    if (Logarithmic() && !(x > 0)) return;
    if (FAutoMax) {
        if (FMax->IsNull() || x > FMax->GetAsFloat()) {
            FMax->SetAsFloat(x);
            if (FCurMax) FCurMax->SetAsFloat(x);
        }
        if (!FReachHi.Known || x > FReachHi.Value) FReachHi = {true, x};
    } else if (FCurMax && !FMax->IsNull() &&
               (FCurMax->IsNull() || FCurMax->GetAsFloat() < FMax->GetAsFloat())) {
        FCurMax->SetAsFloat(FMax->GetAsFloat());
    }
    if (FAutoMin) {
        if (FMin->IsNull() || x < FMin->GetAsFloat()) {
            FMin->SetAsFloat(x);
            if (FCurMin) FCurMin->SetAsFloat(x);
        }
        if (!FReachLo.Known || x < FReachLo.Value) FReachLo = {true, x};
    } else if (FCurMin && !FMin->IsNull() &&
               (FCurMin->IsNull() || FCurMin->GetAsFloat() > FMin->GetAsFloat())) {
        FCurMin->SetAsFloat(FMin->GetAsFloat());
    }
}

void TGrAixs::AddCurrentValue(long double x) {
    if (!FCurMin || !FCurMax || std::isnan(x)) return;
    if (Logarithmic() && !(x > 0)) return;
    if (FAutoMax) {
        // Compared with the data reached, not with the margin drawn beyond it.
        if (!FReachHi.Known || x > FReachHi.Value) {
            FReachHi = {true, x};
            FCurMax->SetAsFloat(x);
        }
    } else if (FMax && !FMax->IsNull() &&
               (FCurMax->IsNull() || FCurMax->GetAsFloat() < FMax->GetAsFloat())) {
        FCurMax->SetAsFloat(FMax->GetAsFloat());
    }
    if (FAutoMin) {
        if (!FReachLo.Known || x < FReachLo.Value) {
            FReachLo = {true, x};
            FCurMin->SetAsFloat(x);
        }
    } else if (FMin && !FMin->IsNull() &&
               (FCurMin->IsNull() || FCurMin->GetAsFloat() > FMin->GetAsFloat())) {
        FCurMin->SetAsFloat(FMin->GetAsFloat());
    }
}

void TGrAixs::Finish(TAEField& lo, TAEField& hi) {
    const bool integer = IntegerValues();
    // A logarithmic axis without a positive value still gets a range (1 .. 10).
    if (lo.IsNull() || hi.IsNull()) {
        if (!Logarithmic()) return;
        long double a = lo.IsNull() ? 0 : lo.GetAsFloat();
        long double b = hi.IsNull() ? 0 : hi.GetAsFloat();
        FinishLogRange(a, b, integer);
        lo.SetAsFloat(a);
        hi.SetAsFloat(b);
        return;
    }
    if (integer && !(hi.GetAsFloat() - lo.GetAsFloat() >= 2)) {
        // The whole-number rules widen ranges narrower than 2; a wider one stays as it is.
        int64_t a = lo.GetAsInt64();
        int64_t b = hi.GetAsInt64();
        // The limits of the field's own type (the current values are extended).
        const uint8_t type = FMin ? FMin->DataType() : lo.DataType();
        FinishIntegerRange(a, b, FAutoMin, FAutoMax, MinValueOf(type), MaxValueOf(type));
        lo.SetAsInt64(a);
        hi.SetAsInt64(b);
    } else if (!integer) {
        long double a = lo.GetAsFloat();
        long double b = hi.GetAsFloat();
        FinishFloatRange(a, b, FAutoMin, FAutoMax);
        lo.SetAsFloat(a);
        hi.SetAsFloat(b);
    }
    if (Logarithmic()) {
        long double a = lo.GetAsFloat();
        long double b = hi.GetAsFloat();
        FinishLogRange(a, b, integer);
        lo.SetAsFloat(a);
        hi.SetAsFloat(b);
    }
}

void TGrAixs::FinishRange() {
    if (!FMin || !FMax) return;
    Finish(*FMin, *FMax);
    if (FCurMax && FCurMax->IsNull() && !FMax->IsNull()) FCurMax->SetAsFloat(FMax->GetAsFloat());
    if (FCurMin && FCurMin->IsNull() && !FMin->IsNull()) FCurMin->SetAsFloat(FMin->GetAsFloat());
}

void TGrAixs::FinishCurrentRange() {
    if (!FCurMin || !FCurMax) return;
    // The automatic ends start again from the data they reached, so that the margin is taken
    // once however often the range is finished.
    const bool padLo = FAutoMin && FReachLo.Known;
    const bool padHi = FAutoMax && FReachHi.Known;
    if (padLo) FCurMin->SetAsFloat(FReachLo.Value);
    if (padHi) FCurMax->SetAsFloat(FReachHi.Value);
    // An end that no value reached (an axis without series of its own) shows the configured one.
    if (FCurMax->IsNull() && FMax && !FMax->IsNull()) FCurMax->SetAsFloat(FMax->GetAsFloat());
    if (FCurMin->IsNull() && FMin && !FMin->IsNull()) FCurMin->SetAsFloat(FMin->GetAsFloat());
    if ((padLo || padHi) && !FCurMin->IsNull() && !FCurMax->IsNull()) {
        long double lo = FCurMin->GetAsFloat();
        long double hi = FCurMax->GetAsFloat();
        const bool integer = IntegerValues();
        PadAutoRange(lo, hi, padLo, padHi, Logarithmic(), integer);
        if (integer && !Logarithmic()) {
            // The margin stays inside what the field's type can hold.
            const auto typeMin = static_cast<long double>(MinValueOf(FMin->DataType()));
            const auto typeMax = static_cast<long double>(MaxValueOf(FMin->DataType()));
            lo = std::max(lo, typeMin);
            hi = std::min(hi, typeMax);
        }
        FCurMin->SetAsFloat(lo);
        FCurMax->SetAsFloat(hi);
    }
    Finish(*FCurMin, *FCurMax);
}

void TGrAixs::WidenRange(long double& a, long double& b) {
    WidenFloatRange(a, b);
}

// ---- Persistence ---------------------------------------------------------------------------

void TGrAixs::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Type", IntToStr(FKind));
    node.AddItem("FieldID", FFieldId);
    if (!FFieldId.empty() && FMin) FMin->SaveToNode(*node.AddNode("MinValue"));
    if (!FFieldId.empty() && FMax) FMax->SaveToNode(*node.AddNode("MaxValue"));
    SaveCommon(node);
    node.AddItem("TypeMarkValue", IntToStr(FTypeMarkValue));
    FProperties->SaveToNode(*node.AddNode("Properties"));
}

void TGrAixs::LoadFromNode(const TNodePersist& node) {
    int32_t n = 0;
    if (node.IndexOfItem("Type") >= 0 && TryStrToInt(node.GetValue("Type"), n) && n >= 0 && n <= 2)
        FKind = static_cast<uint8_t>(n);
    if (node.IndexOfItem("FieldID") >= 0) FFieldId = Trim(node.GetValue("FieldID"));
    if (node.IndexOfItem("TypeMarkValue") >= 0 && TryStrToInt(node.GetValue("TypeMarkValue"), n))
        FTypeMarkValue = n;
    LoadCommon(node);
    // A saved value counts only when its class is a registered field class and it names its
    // field; its current value starts empty.
    auto load = [](const TNodePersist& child) -> std::unique_ptr<TAEField> {
        const std::string cls = child.GetValue("ClassName");
        if (child.GetValue("FieldName").empty()) return nullptr;
        std::unique_ptr<TAEField> v = TClassRegistry::Instance().CreateAs<TAEField>(cls);
        if (!v) return nullptr;
        // A value saved without its "ID" came from a system field: it stays one, so that it
        // is saved again in the same short form.
        const uint16_t system = child.IndexOfItem("ID") < 0 ? ffSystem : 0;
        v->SetFlags(static_cast<uint16_t>(v->Flags() | ffPersistValue | system));
        v->LoadFromNode(child);
        return v;
    };
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "MinValue")) {
            if (auto v = load(child)) SetMin(std::move(v));
        } else if (SameTextTrimmed(child.Name(), "MaxValue")) {
            if (auto v = load(child)) SetMax(std::move(v));
        }
    }
}

} // namespace vorelt
