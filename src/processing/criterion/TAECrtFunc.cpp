#include "processing/criterion/TAECrtFunc.h"

#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/math/IProjectParameters.h"
#include "testprog/TZIPParameters.h"

#include <algorithm>

namespace vorelt {

const char* OutputKindName(uint8_t kind) {
    switch (kind) {
    case okTypeOfArgument:
        return "Type Of Argument";
    case okInteger:
        return "Integer";
    case okExtended:
        return "Extended";
    case okBoolean:
        return "Boolean";
    case okString:
        return "String";
    default:
        return "";
    }
}

const TAECrtFuncParamOut* TAECrtFuncParamsOut::Find(std::string_view name) const {
    for (const auto& o : FItems)
        if (o.Name() == name) return &o;
    return nullptr;
}

// --- Base -----------------------------------------------------------------------------------

void TAECrtFunc::Start(const TAERecord& record) {
    Reset();
    const TAEListFields& layout = record.Fields();
    FParams.Bind(layout);
    FChanPos = layout.IndexOfID(fidChan);
    // The first parameter is the argument whose type "Type Of Argument" outputs take, unless
    // the output names its own input below.
    const uint8_t argType = FParams.Count() > 0 ? FParams.Items(0).DataType() : 0;
    for (int i = 0; i < FOutputs.Count(); ++i) {
        TAECrtFuncParamOut& o = FOutputs.Items(i);
        switch (o.DeclaredKind()) {
        case okInteger:
            o.SetDataType(dtInteger);
            break;
        case okExtended:
            o.SetDataType(dtExtended);
            break;
        case okBoolean:
            o.SetDataType(dtBoolean);
            break;
        case okString:
            o.SetDataType(dtString);
            break;
        default:
            o.SetDataType(argType);
        }
    }
}

int64_t TAECrtFunc::ChannelOf(const TAERecord& record) const {
    const TAEField* f = record.Field(FChanPos);
    return f && !f->IsNull() ? f->GetAsInt64() : 0;
}

bool TAECrtFunc::SetTyped(TExprValue& value, uint8_t dataType, long double v) {
    if (IsIntegerType(dataType)) {
        value.SetInteger(RoundToInt64(v));
        return true;
    }
    if (IsFloatType(dataType)) {
        value.SetFloat(v);
        return true;
    }
    return false;
}

bool TAECrtFunc::GetOutput(int64_t channel, TExprValue& value, std::string_view name) const {
    if (name == txtResultFunction) return GetResult(channel, value);
    return false;
}

std::string TAECrtFunc::NextOutputName(std::string_view name) const {
    if (FOutputs.Count() == 0) return {};
    if (name.empty()) return FOutputs.Items(0).Name();
    for (int i = 0; i + 1 < FOutputs.Count(); ++i)
        if (FOutputs.Items(i).Name() == name) return FOutputs.Items(i + 1).Name();
    return {};
}

// --- Running functions ----------------------------------------------------------------------

TCrtFuncRunning::TCrtFuncRunning(TGVCPU* owner, const char* description) : TAECrtFunc(owner) {
    FDescription = description;
    FParams.Add(spkField, "X");
    FOutputs.Add(txtResultFunction, okTypeOfArgument);
}

bool TCrtFuncRunning::Calculate(const TAERecord& record) {
    const TAEField* f = record.Field(FParams.Items(0).Position());
    if (!f || f->IsNull()) return false;
    TStatAccumulator& a = FChannels.Find(ChannelOf(record));
    Take(a, f->GetAsFloat());
    a.First = false;
    return true;
}

bool TCrtFuncRunning::GetResult(int64_t channel, TExprValue& value) const {
    const TStatAccumulator* a = FChannels.Lookup(channel);
    if (!a || a->First) return false;
    return SetTyped(value, FOutputs.Items(0).DataType(), ResultOf(*a));
}

void TCrtFuncMinimum::Take(TStatAccumulator& a, long double x) const {
    a.Value = a.First ? x : std::min(a.Value, x);
}

void TCrtFuncMaximum::Take(TStatAccumulator& a, long double x) const {
    a.Value = a.First ? x : std::max(a.Value, x);
}

void TCrtFuncAverage::Take(TStatAccumulator& a, long double x) const {
    a.Value = a.First ? x : a.Value + x;
    a.Count = a.First ? 1 : a.Count + 1;
}

void TCrtFuncSummary::Take(TStatAccumulator& a, long double x) const {
    a.Value = a.First ? x : a.Value + x;
}

// --- ZIP ------------------------------------------------------------------------------------

TCrtFuncZip::TCrtFuncZip(TGVCPU* owner) : TAECrtFunc(owner) {
    FDescription = "ZIP: (Max(Historic Index)/Max(Severity))";
    FParams.Add(spkField, "Severity");
    FParams.Add(spkField, "Historic Index");
    FOutputs.Add(txtResultFunction, okString);
    FOutputs.Add(txtMaxSeverityOut, okTypeOfArgument);
    FOutputs.Add(txtMaxHistoricIndexOut, okTypeOfArgument);
    FOutputs.Add(txtZIPIntOut, okInteger);
}

void TCrtFuncZip::Start(const TAERecord& record) {
    TAECrtFunc::Start(record);
    FSeverity = FParams.Find("Severity");
    FHistoric = FParams.Find("Historic Index");
    // Each maximum output has the type of its own input.
    FOutputs.Items(2).SetDataType(FHistoric->DataType());
}

bool TCrtFuncZip::Calculate(const TAERecord& record) {
    const TAEField* s = record.Field(FSeverity->Position());
    const TAEField* h = record.Field(FHistoric->Position());
    if (!s || s->IsNull() || !h || h->IsNull()) return false;
    TStatAccumulator& a = FChannels.Find(ChannelOf(record));
    const long double sv = s->GetAsFloat();
    const long double hv = h->GetAsFloat();
    a.Value = a.First ? sv : std::max(a.Value, sv);
    a.Total = a.First ? hv : std::max(a.Total, hv);
    a.First = false;
    return true;
}

const TStatAccumulator* TCrtFuncZip::Values(int64_t channel) const {
    const TStatAccumulator* a = FChannels.Lookup(channel);
    return a && !a->First ? a : nullptr;
}

int TCrtFuncZip::Zone(const TStatAccumulator& a, std::string* name) const {
    if (!FOwner) return -1;
    return FindZIPParameters(*FOwner).ClassifyZone(a.Value, a.Total, name);
}

bool TCrtFuncZip::GetResult(int64_t channel, TExprValue& value) const {
    const TStatAccumulator* a = Values(channel);
    if (!a) return false;
    std::string name;
    if (Zone(*a, &name) < 0) return false;
    value.SetString(name);
    return true;
}

bool TCrtFuncZip::GetOutput(int64_t channel, TExprValue& value, std::string_view name) const {
    if (name == txtResultFunction) return GetResult(channel, value);
    const TStatAccumulator* a = Values(channel);
    if (!a) return false;
    if (name == txtMaxSeverityOut) return SetTyped(value, FOutputs.Items(1).DataType(), a->Value);
    if (name == txtMaxHistoricIndexOut)
        return SetTyped(value, FOutputs.Items(2).DataType(), a->Total);
    if (name == txtZIPIntOut) {
        const int zone = Zone(*a, nullptr);
        if (zone < 0) return false;
        value.SetInteger(zone);
        return true;
    }
    return false;
}

// --- Registry -------------------------------------------------------------------------------

namespace {

struct TCrtFuncEntry {
    const char* Name;
    std::unique_ptr<TAECrtFunc> (*Create)(TGVCPU*);
};

template <class T> std::unique_ptr<TAECrtFunc> Make(TGVCPU* owner) {
    return std::make_unique<T>(owner);
}

const TCrtFuncEntry kCrtFuncs[] = {
    {"Min", &Make<TCrtFuncMinimum>}, {"Max", &Make<TCrtFuncMaximum>},
    {"Avg", &Make<TCrtFuncAverage>}, {"Sum", &Make<TCrtFuncSummary>},
    {"ZIP", &Make<TCrtFuncZip>},
};

} // namespace

const std::vector<std::string>& CrtFunctionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& e : kCrtFuncs)
            v.emplace_back(e.Name);
        return v;
    }();
    return names;
}

std::unique_ptr<TAECrtFunc> CreateCrtFunc(std::string_view name, TGVCPU* owner) {
    const std::string key = Trim(name);
    for (const auto& e : kCrtFuncs)
        if (SameText(e.Name, key)) return e.Create(owner);
    return nullptr;
}

} // namespace vorelt
