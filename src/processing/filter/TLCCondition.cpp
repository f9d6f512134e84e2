#include "processing/filter/TLCCondition.h"

#include "model/TAEField.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TGVVariants.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/ILCOwner.h"

namespace vorelt {

namespace {

struct TOpText {
    uint8_t Op;
    const char* Key;
    const char* Symbol;
};

constexpr TOpText OpTexts[] = {
    {coEquals, "Equals", "="},
    {coNoEquals, "NoEquals", "<>"},
    {coLessOrEquals, "LessOrEquals", "<="},
    {coGreaterOrEquals, "GreaterOrEquals", ">="},
    {coLess, "Less", "<"},
    {coGreater, "Greater", ">"},
};

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Whether the trimmed `text` folded to upper case equals `upper`; walks the text in place so
// that string conditions allocate nothing per record.
bool EqualsUpper(std::string_view text, std::string_view upper) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return EqualsUpperCase(text.substr(b, e - b), upper);
}

} // namespace

std::string_view ConditionOperationKey(uint8_t op) {
    for (const TOpText& t : OpTexts)
        if (t.Op == op) return t.Key;
    return {};
}

uint8_t ConditionOperationOfKey(std::string_view key) {
    for (const TOpText& t : OpTexts)
        if (key == t.Key) return t.Op;
    return 0;
}

std::string_view ConditionOperationSymbol(uint8_t op) {
    for (const TOpText& t : OpTexts)
        if (t.Op == op) return t.Symbol;
    return {};
}

TLCCondition::TLCCondition() {
    SetEditFlags(efNoChildren);
}

TLCCondition::TLCCondition(std::string fieldID, uint8_t operation, std::string value,
                           std::string variantID)
    : FFieldID(std::move(fieldID)), FValue(std::move(value)), FVariantID(std::move(variantID)) {
    SetEditFlags(efNoChildren);
    SetOperation(operation);
}

void TLCCondition::SetFieldID(std::string id) {
    FFieldID = std::move(id);
    Unbind();
}

void TLCCondition::SetOperation(uint8_t op) {
    if (ConditionOperationKey(op).empty()) return;
    FOperation = op;
}

void TLCCondition::SetValue(std::string value) {
    FValue = std::move(value);
    Unbind();
}

void TLCCondition::SetVariantID(std::string id) {
    FVariantID = std::move(id);
    Unbind();
}

void TLCCondition::Clear() {
    TLogicalCondition::Clear();
    FOperation = coEquals;
    FFieldID.clear();
    FValue.clear();
    FVariantID.clear();
    SetEditFlags(efNoChildren);
}

void TLCCondition::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Operation", std::string(ConditionOperationKey(FOperation)));
    node.AddItem("FieldID", FFieldID);
    node.AddItem("Value", FValue);
    node.AddItem("VariantID", FVariantID);
}

void TLCCondition::LoadFromNode(const TNodePersist& node) {
    if (uint8_t op = ConditionOperationOfKey(Trim(node.GetValue("Operation")))) FOperation = op;
    if (std::string s = node.GetValue("FieldID"); !s.empty()) FFieldID = s;
    if (std::string s = node.GetValue("Value"); !s.empty()) FValue = s;
    if (std::string s = node.GetValue("VariantID"); !s.empty()) FVariantID = s;
    Unbind();
}

std::string TLCCondition::GetCaption() const {
    ILCOwner* owner = GetOwner();
    if (!owner) return {};
    std::string s;
    if (const TAEField* f = owner->ConditionField(FFieldID))
        s = f->GetDisplayName();
    else
        s = FFieldID;
    s += " ";
    s += ConditionOperationSymbol(FOperation);
    s += " ";
    if (!FVariantID.empty()) {
        const TGVVariants* variants = owner->ConditionVariants();
        const TGVVariant* v = variants ? variants->FindByID(FVariantID) : nullptr;
        s += v ? v->GetDisplayName() : FVariantID;
    } else {
        s += FValue;
    }
    return s;
}

void TLCCondition::Bind(const TAEListFields& layout, const TGVVariants* variants) {
    MarkBound();
    FPos = -1;
    FCompare = TCompare::Never;
    FBindError.clear();
    if (FFieldID.empty()) return;
    FPos = layout.IndexOfID(FFieldID);
    const TAEField* field = layout.FieldAt(FPos);
    if (!field) {
        FPos = -1;
        return;
    }
    uint8_t t = field->DataType();
    if (IsIntegerType(t))
        FCompare = TCompare::Integer;
    else if (IsFloatType(t))
        FCompare = TCompare::Float;
    else if (t == dtBoolean)
        FCompare = TCompare::Boolean;
    else if (t == dtString)
        FCompare = TCompare::String;
    else
        return;
    // A conversion failure is kept and raised when a record is evaluated, so that an AND
    // that stops before this condition is not affected by it.
    try {
        if (!FVariantID.empty()) {
            const TGVVariant* v = variants ? variants->FindByID(FVariantID) : nullptr;
            if (!v) throw EAEError("Variant Not Found [" + FVariantID + "]");
            switch (FCompare) {
            case TCompare::Integer:
                FInt = v->GetAsInt64();
                break;
            case TCompare::Float:
                FFloat = v->GetAsFloat();
                break;
            case TCompare::Boolean:
                FBool = v->GetAsBoolean();
                break;
            case TCompare::String:
                FText = UpperCase(Trim(v->GetAsString()));
                break;
            case TCompare::Never:
                break;
            }
        } else {
            switch (FCompare) {
            case TCompare::Integer:
                FInt = StrToInt64(Trim(FValue));
                break;
            case TCompare::Float:
                FFloat = StrToFloat(Trim(FValue));
                break;
            case TCompare::Boolean:
                FBool = StrToBool(FValue);
                break;
            case TCompare::String:
                FText = UpperCase(Trim(FValue));
                break;
            case TCompare::Never:
                break;
            }
        }
    } catch (const EAEError& e) {
        FBindError = e.what();
    }
}

template <class T> bool TLCCondition::Compare(const T& field, const T& value) const {
    switch (FOperation) {
    case coEquals:
        return field == value;
    case coNoEquals:
        return field != value;
    case coLessOrEquals:
        return field <= value;
    case coGreaterOrEquals:
        return field >= value;
    case coLess:
        return field < value;
    case coGreater:
        return field > value;
    default:
        return false;
    }
}

bool TLCCondition::Evaluate(const TAERecord& record) {
    EnsureBound(record);
    const TAEField* field = record.Field(FPos);
    if (!field || field->IsNull() || FCompare == TCompare::Never) return false;
    bool ordering = FOperation != coEquals && FOperation != coNoEquals;
    if (ordering && (FCompare == TCompare::Boolean || FCompare == TCompare::String)) return false;
    if (!FBindError.empty()) throw EAEError(FBindError);
    switch (FCompare) {
    case TCompare::Integer:
        return Compare<int64_t>(field->GetAsInt64(), FInt);
    case TCompare::Float:
        return Compare<long double>(field->GetAsFloat(), FFloat);
    case TCompare::Boolean:
        return Compare<bool>(field->GetAsBoolean(), FBool);
    case TCompare::String: {
        bool equal;
        if (field->DataType() == dtString)
            equal = EqualsUpper(*static_cast<const std::string*>(field->GetValuePtr()), FText);
        else
            equal = EqualsUpper(field->GetAsString(), FText);
        return FOperation == coEquals ? equal : !equal;
    }
    case TCompare::Never:
        break;
    }
    return false;
}

std::unique_ptr<TLogicalCondition> TLCCondition::Clone() const {
    auto clone = std::make_unique<TLCCondition>(FFieldID, FOperation, FValue, FVariantID);
    clone->SetEditFlags(EditFlags());
    return clone;
}

bool TLCCondition::CollectUses(std::string_view id, std::vector<std::string>& lines,
                               const std::string& suffix) const {
    if (id.empty()) return false;
    ILCOwner* owner = GetOwner();
    std::string ownerName = owner ? owner->ConditionOwnerName() : std::string();
    bool found = false;
    if (FFieldID == id) {
        const TAEField* f = owner ? owner->ConditionField(FFieldID) : nullptr;
        std::string name = f ? f->FieldName() : FFieldID;
        found = AddSortedLine(lines, "Field: " + name + "[" + ownerName + "]" + suffix);
    }
    if (FVariantID == id) {
        const TGVVariants* variants = owner ? owner->ConditionVariants() : nullptr;
        const TGVVariant* v = variants ? variants->FindByID(FVariantID) : nullptr;
        std::string name = v ? v->GetDisplayName() : FVariantID;
        found = AddSortedLine(lines, "Variant: " + name + "[" + ownerName + "]" + suffix) || found;
    }
    return found;
}

bool TLCCondition::ReferencesId(std::string_view id) const {
    return !id.empty() && (FFieldID == id || FVariantID == id);
}

bool TLCCondition::RemoveReferences(std::string_view id) {
    return !id.empty() && FFieldID == id;
}

} // namespace vorelt
