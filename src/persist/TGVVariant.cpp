#include "persist/TGVVariant.h"

#include "persist/IIDGenerator.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

namespace vorelt {

std::string TGVVariant::KindName(uint8_t kind) {
    switch (kind) {
    case vkInteger:
        return "Integer";
    case vkFloat:
        return "Float";
    case vkString:
        return "String";
    case vkBoolean:
        return "Boolean";
    default:
        return {};
    }
}

void TGVVariant::Clear() {
    FIsNull = true;
    ResetValue();
}

void TGVVariant::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", FID);
    node.AddItem("DisplayName", FDisplayName);
    if (HasValue()) node.AddItem("Value", ValueText());
}

void TGVVariant::LoadFromNode(const TNodePersist& node) {
    std::string s = node.GetValue("ID");
    if (!s.empty()) SetID(s);
    s = node.GetValue("DisplayName");
    if (!s.empty()) SetDisplayName(s);
    if (!HasValue()) return;
    s = node.GetValue("Value");
    if (!s.empty()) {
        LoadValue(s);
        Assigned();
    }
}

void TGVVariant::AssignID(IIDGenerator& generator) {
    if (FID.empty()) SetID(generator.NewID());
}

// ---- String ----

long double TGVStringVariant::GetAsFloat() const {
    return StrToFloat(FValue);
}
int64_t TGVStringVariant::GetAsInt64() const {
    return StrToInt64(FValue);
}
bool TGVStringVariant::GetAsBoolean() const {
    return StrToBool(FValue);
}

void TGVStringVariant::SetAsFloat(long double value) {
    FValue = FloatToStr(value);
    Assigned();
}

void TGVStringVariant::SetAsInt64(int64_t value) {
    FValue = IntToStr(value);
    Assigned();
}

void TGVStringVariant::SetAsString(const std::string& value) {
    FValue = value;
    Assigned();
}

void TGVStringVariant::SetAsBoolean(bool value) {
    FValue = value ? "True" : "False";
    Assigned();
}

// ---- Integer ----

std::string TGVIntegerVariant::GetAsString() const {
    return IntToStr(FValue);
}
std::string TGVIntegerVariant::ValueText() const {
    return IntToStr(FValue);
}
void TGVIntegerVariant::LoadValue(const std::string& text) {
    FValue = StrToInt64(text);
}

void TGVIntegerVariant::SetAsFloat(long double value) {
    FValue = RoundToInt64(value);
    Assigned();
}

void TGVIntegerVariant::SetAsInt64(int64_t value) {
    FValue = value;
    Assigned();
}

void TGVIntegerVariant::SetAsString(const std::string& value) {
    FValue = StrToInt64(value);
    Assigned();
}

void TGVIntegerVariant::SetAsBoolean(bool value) {
    FValue = value ? 1 : 0;
    Assigned();
}

// ---- Float ----

int64_t TGVFloatVariant::GetAsInt64() const {
    return RoundToInt64(FValue);
}
std::string TGVFloatVariant::GetAsString() const {
    return FloatToStr(FValue);
}
std::string TGVFloatVariant::ValueText() const {
    return FloatToStr(FValue);
}
void TGVFloatVariant::LoadValue(const std::string& text) {
    FValue = StrToFloat(text);
}

void TGVFloatVariant::SetAsFloat(long double value) {
    FValue = value;
    Assigned();
}

void TGVFloatVariant::SetAsInt64(int64_t value) {
    FValue = static_cast<long double>(value);
    Assigned();
}

void TGVFloatVariant::SetAsString(const std::string& value) {
    long double v;
    if (!TryStrToFloat(value, v)) return;
    FValue = v;
    Assigned();
}

void TGVFloatVariant::SetAsBoolean(bool value) {
    FValue = value ? 1 : 0;
    Assigned();
}

// ---- Boolean ----

void TGVBooleanVariant::LoadValue(const std::string& text) {
    FValue = StrToBool(text);
}

void TGVBooleanVariant::SetAsFloat(long double value) {
    FValue = value != 0;
    Assigned();
}

void TGVBooleanVariant::SetAsInt64(int64_t value) {
    FValue = value != 0;
    Assigned();
}

void TGVBooleanVariant::SetAsString(const std::string& value) {
    FValue = StrToBool(value);
    Assigned();
}

void TGVBooleanVariant::SetAsBoolean(bool value) {
    FValue = value;
    Assigned();
}

} // namespace vorelt
