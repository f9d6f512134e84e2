#include "persist/TGVProperty.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

namespace vorelt {

namespace {

// Project files store alignment with their own codes: "1" left, "2" right, "0" centre.
std::string AlignmentKey(uint8_t alignment) {
    switch (alignment) {
    case TGVProperty::AlignLeft:
        return "1";
    case TGVProperty::AlignRight:
        return "2";
    default:
        return "0";
    }
}

} // namespace

void TGVProperty::Clear() {
    FIsNull = true;
    ResetValue();
}

void TGVProperty::SaveToNode(TNodePersist& node) const {
    TAESaveProperty::SaveToNode(node);
    node.AddItem("DisplayName", FDisplayName);
    node.AddItem("DisplayDimension", FDisplayDimension);
    node.AddItem("DisplayWidth", IntToStr(FDisplayWidth));
    node.AddItem("DisplaySWidth", IntToStr(FDisplaySWidth));
    node.AddItem("Alignment", AlignmentKey(FAlignment));
    node.AddItem("Tag", IntToStr(FTag));
    node.AddItem("Enable", FEnable ? "1" : "0");
    node.AddItem("Value", ValueText());
}

void TGVProperty::LoadFromNode(const TNodePersist& node) {
    TAESaveProperty::LoadFromNode(node);
    std::string s = node.GetValue("DisplayName");
    if (!s.empty()) FDisplayName = s;
    s = node.GetValue("DisplayDimension");
    if (!s.empty()) FDisplayDimension = s;
    s = node.GetValue("DisplayWidth");
    if (!s.empty()) FDisplayWidth = StrToInt(s);
    s = node.GetValue("DisplaySWidth");
    if (!s.empty()) FDisplaySWidth = StrToInt(s);
    s = node.GetValue("Alignment");
    if (!s.empty()) {
        switch (StrToInt(s)) {
        case 1:
            FAlignment = AlignLeft;
            break;
        case 2:
            FAlignment = AlignRight;
            break;
        case 0:
            FAlignment = AlignCenter;
            break;
        default: // an unknown code keeps the current alignment
            break;
        }
    }
    s = node.GetValue("Tag");
    if (!s.empty()) FTag = StrToInt(s);
    s = node.GetValue("Enable");
    if (!s.empty()) FEnable = StrToFloat(s) != 0;
    s = node.GetValue("Value");
    if (!s.empty()) LoadValue(s);
}

// ---- String ----

std::unique_ptr<TAESaveProperty> TGVStringProperty::Clone() const {
    return std::make_unique<TGVStringProperty>(*this);
}

long double TGVStringProperty::GetAsFloat() const {
    return StrToFloat(FValue);
}
int32_t TGVStringProperty::GetAsInteger() const {
    return StrToInt(FValue);
}
bool TGVStringProperty::GetAsBoolean() const {
    return StrToBool(FValue);
}

void TGVStringProperty::SetAsFloat(long double value) {
    FValue = FloatToStr(value, 15);
    Assigned();
}

void TGVStringProperty::SetAsInteger(int32_t value) {
    FValue = IntToStr(value);
    Assigned();
}

void TGVStringProperty::SetAsString(const std::string& value) {
    FValue = value;
    Assigned();
}

void TGVStringProperty::SetAsBoolean(bool value) {
    FValue = value ? "-1" : "0";
    Assigned();
}

// ---- Integer ----

std::unique_ptr<TAESaveProperty> TGVIntegerProperty::Clone() const {
    return std::make_unique<TGVIntegerProperty>(*this);
}

std::string TGVIntegerProperty::GetAsString() const {
    return IntToStr(FValue);
}
std::string TGVIntegerProperty::ValueText() const {
    return IntToStr(FValue);
}
void TGVIntegerProperty::LoadValue(const std::string& text) {
    FValue = StrToInt(text);
}

void TGVIntegerProperty::SetAsFloat(long double value) {
    FValue = RoundToInt32(value);
    Assigned();
}

void TGVIntegerProperty::SetAsInteger(int32_t value) {
    FValue = value;
    Assigned();
}

void TGVIntegerProperty::SetAsString(const std::string& value) {
    int32_t v = 0;
    if (!TryStrToInt(value, v)) v = 0;
    FValue = v;
    Assigned();
}

void TGVIntegerProperty::SetAsBoolean(bool value) {
    FValue = value ? 1 : 0;
    Assigned();
}

// ---- Float ----

std::unique_ptr<TAESaveProperty> TGVFloatProperty::Clone() const {
    return std::make_unique<TGVFloatProperty>(*this);
}

int32_t TGVFloatProperty::GetAsInteger() const {
    return RoundToInt32(FValue);
}
std::string TGVFloatProperty::GetAsString() const {
    return FloatToStr(FValue);
}
std::string TGVFloatProperty::ValueText() const {
    return FloatToStr(FValue);
}
void TGVFloatProperty::LoadValue(const std::string& text) {
    FValue = StrToFloat(text);
}

void TGVFloatProperty::SetAsFloat(long double value) {
    FValue = value;
    Assigned();
}

void TGVFloatProperty::SetAsInteger(int32_t value) {
    FValue = value;
    Assigned();
}

void TGVFloatProperty::SetAsString(const std::string& value) {
    long double v = 0;
    if (!TryStrToFloat(value, v)) v = 0;
    FValue = v;
    Assigned();
}

void TGVFloatProperty::SetAsBoolean(bool value) {
    FValue = value ? 1 : 0;
    Assigned();
}

// ---- Boolean ----

std::unique_ptr<TAESaveProperty> TGVBooleanProperty::Clone() const {
    return std::make_unique<TGVBooleanProperty>(*this);
}

void TGVBooleanProperty::LoadValue(const std::string& text) {
    FValue = StrToBool(text);
}

void TGVBooleanProperty::SetAsFloat(long double value) {
    FValue = value != 0;
    Assigned();
}

void TGVBooleanProperty::SetAsInteger(int32_t value) {
    FValue = value != 0;
    Assigned();
}

void TGVBooleanProperty::SetAsString(const std::string& value) {
    FValue = StrToBool(value);
    Assigned();
}

void TGVBooleanProperty::SetAsBoolean(bool value) {
    FValue = value;
    Assigned();
}

} // namespace vorelt
