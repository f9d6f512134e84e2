#include "model/TAEField.h"

#include "model/TAEBooleanField.h"
#include "model/TAEExtendedField.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListIntegerField.h"
#include "model/TAEStringField.h"
#include "persist/IIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <limits>

namespace vorelt {

namespace {

TAECharSet MakeCharSet(std::string_view chars) {
    TAECharSet set;
    for (char c : chars)
        set.set(static_cast<unsigned char>(c));
    return set;
}

// Alignment codes in files differ from the codes in memory; keep both directions in one place.
const char* AlignmentToFileCode(uint8_t a) {
    switch (a) {
    case taLeftJustify:
        return "1";
    case taRightJustify:
        return "2";
    default:
        return "0";
    }
}

bool AlignmentFromFileCode(const std::string& code, uint8_t& a) {
    if (code == "1")
        a = taLeftJustify;
    else if (code == "2")
        a = taRightJustify;
    else if (code == "0")
        a = taCenter;
    else
        return false;
    return true;
}

} // namespace

std::string_view DataTypeName(uint8_t t) {
    static constexpr std::string_view names[] = {
        "Unknown", "String", "Byte",   "Word",   "LongWord", "ShortInt",    "SmallInt",
        "Integer", "Int64",  "Single", "Double", "Extended", "ListInteger", "Boolean"};
    return t < std::size(names) ? names[t] : names[0];
}

const TAECharSet& AnyCharSet() {
    static const TAECharSet set = TAECharSet().set();
    return set;
}
const TAECharSet& SignedDigitCharSet() {
    static const TAECharSet set = MakeCharSet("-0123456789");
    return set;
}
const TAECharSet& DigitCharSet() {
    static const TAECharSet set = MakeCharSet("0123456789");
    return set;
}
const TAECharSet& FloatCharSet() {
    static const TAECharSet set = MakeCharSet("+,-0123456789Ee");
    return set;
}
const TAECharSet& NoCharSet() {
    static const TAECharSet set;
    return set;
}

TAEField::TAEField(uint8_t dataType, const TAECharSet& validChars, uint8_t family)
    : FDataType(dataType), FValueFamily(family), FValidChars(&validChars) {}

TAEField::~TAEField() = default;

void TAEField::SetGroup(uint8_t code) {
    if (!FLocked) FGroup = code;
}
void TAEField::SetDataType(uint8_t code) {
    if (!FLocked) FDataType = code;
}
void TAEField::SetFieldName(const std::string& name) {
    if (!FLocked && FFieldName != name) FFieldName = name;
}
void TAEField::SetUnitKind(uint8_t code) {
    if (!FLocked) FUnitKind = code;
}
void TAEField::SetDisplayName(const std::string& s) {
    if (!FLocked && FDisplayName != s) FDisplayName = s;
}
void TAEField::SetDisplayDimension(const std::string& s) {
    if (!FLocked && FDisplayDimension != s) FDisplayDimension = s;
}
void TAEField::SetDisplayWidth(int32_t w) {
    if (!FLocked) FDisplayWidth = w;
}
void TAEField::SetDisplaySWidth(int32_t w) {
    if (!FLocked) FDisplaySWidth = w;
}
void TAEField::SetAlignment(uint8_t a) {
    if (!FLocked) FAlignment = a;
}
void TAEField::SetReadOnly(bool flag) {
    if (!FLocked) FReadOnly = flag;
}
void TAEField::SetID(const std::string& id) {
    if (FID != id) FID = id;
}
void TAEField::SetFlags(uint16_t f) {
    if (!FLocked) FFlags = f;
}
void TAEField::SetDisplayFormat(const std::string& s) {
    if (!FLocked && FDisplayFormat != s) FDisplayFormat = s;
}
void TAEField::SetTag(int32_t t) {
    if (!FLocked) FTag = t;
}

std::unique_ptr<TAEFieldAttachment> TAEField::SetExpresion(std::unique_ptr<TAEFieldAttachment> e) {
    if (e) e->SetField(this);
    FExpresion.swap(e);
    return e;
}

std::unique_ptr<TAEFieldAttachment> TAEField::SetCriterion(std::unique_ptr<TAEFieldAttachment> c) {
    if (c) c->SetField(this);
    FCriterion.swap(c);
    return c;
}

std::unique_ptr<TAEFieldAttachment> TAEField::SetParametric(std::unique_ptr<TAEFieldAttachment> p) {
    if (p) p->SetField(this);
    FParametric.swap(p);
    return p;
}

std::unique_ptr<TAEField> TAEField::SetZoom(std::unique_ptr<TAEField> z) {
    FZoom.swap(z);
    return z;
}

void TAEField::AssignTo(TAEField& other) const {
    if (&other == this) return;
    other.FGroup = FGroup;
    other.FOwner = FOwner;
    other.FDataType = FDataType;
    other.FFieldName = FFieldName;
    other.FUnitKind = FUnitKind;
    other.FIsNull = FIsNull;
    other.FDisplayName = FDisplayName;
    other.FDisplayDimension = FDisplayDimension;
    other.FDisplayWidth = FDisplayWidth;
    other.FDisplaySWidth = FDisplaySWidth;
    other.FAlignment = FAlignment;
    other.FReadOnly = FReadOnly;
    other.FLocked = FLocked;
    other.FID = FID;
    other.FDisplayFormat = FDisplayFormat;
    other.FFlags = FFlags;
    other.FTag = FTag;
}

void TAEField::CopyForClone(TAEField& clone, int mode) const {
    AssignTo(clone);
    // A Byte field cloned into the integer family still types like a Byte field.
    clone.FValidChars = FValidChars;
    switch (mode) {
    case cmLocked:
        clone.FLocked = true;
        break;
    case cmWorking:
        clone.FLocked = false;
        break;
    case cmConstant:
        clone.FLocked = false;
        clone.FID = "0000000000000000";
        clone.FFlags |= ffPersistValue;
        break;
    default:
        break;
    }
}

void TAEField::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("FieldName", FFieldName);
    node.AddItem("DisplayName", FDisplayName);
    if (!HasFlag(ffSystem)) {
        node.AddItem("ID", FID);
        node.AddItem("DisplayDimension", FDisplayDimension);
        node.AddItem("DisplayWidth", IntToStr(FDisplayWidth));
        node.AddItem("DisplaySWidth", IntToStr(FDisplaySWidth));
        node.AddItem("Alignment", AlignmentToFileCode(FAlignment));
        node.AddItem("Tag", IntToStr(FTag));
        if (FExpresion) FExpresion->SaveToNode(*node.AddNode("Expresion"));
        if (FCriterion) FCriterion->SaveToNode(*node.AddNode("Criterion"));
        if (FParametric) FParametric->SaveToNode(*node.AddNode("Parametric"));
        if (FZoom) FZoom->SaveToNode(*node.AddNode("Zoom"));
    }
    if (HasFlag(ffPersistValue)) node.AddItem("Value", GetAsString());
}

void TAEField::LoadFromNode(const TNodePersist& node) {
    std::string s;
    int32_t n = 0;
    if (!(s = node.GetValue("ID")).empty()) SetID(s);
    if (!(s = node.GetValue("FieldName")).empty()) SetFieldName(s);
    if (!(s = node.GetValue("DisplayName")).empty()) SetDisplayName(s);
    if (!(s = node.GetValue("DisplayDimension")).empty()) SetDisplayDimension(s);
    if (TryStrToInt(node.GetValue("DisplayWidth"), n)) SetDisplayWidth(n);
    if (TryStrToInt(node.GetValue("DisplaySWidth"), n)) SetDisplaySWidth(n);
    uint8_t a = 0;
    if (AlignmentFromFileCode(Trim(node.GetValue("Alignment")), a)) SetAlignment(a);
    if (TryStrToInt(node.GetValue("Tag"), n)) SetTag(n);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "Expresion")) {
            if (FExpresion) FExpresion->LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Criterion")) {
            if (FCriterion) FCriterion->LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Parametric")) {
            if (FParametric) FParametric->LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "Zoom")) {
            if (FZoom) FZoom->LoadFromNode(child);
        }
    }
    if (HasFlag(ffPersistValue) && !(s = node.GetValue("Value")).empty()) {
        try {
            SetAsString(s);
        } catch (const EAEError&) {
            // A list field has no text value; a hand-edited file must not stop the load.
        }
    }
}

void TAEField::AssignID(bool renew, IIDGenerator& generator) {
    if (FID.empty() || (renew && !IsReservedID(FID))) SetID(generator.NewID());
}

bool IsReservedID(std::string_view id) {
    if (id.empty()) return false;
    for (char c : id)
        if (c < '0' || c > '9') return false;
    size_t first = id.find_first_not_of('0');
    std::string_view rest = first == std::string_view::npos ? std::string_view() : id.substr(first);
    // The standard IDs 0..73 fall under the same rule: at most four digits reading at most 1000.
    if (rest.size() > 4) return false;
    int value = 0;
    for (char c : rest)
        value = value * 10 + (c - '0');
    return value <= 1000;
}

int64_t MaxValueOf(uint8_t dataType) {
    switch (dataType) {
    case dtByte:
        return 255;
    case dtWord:
        return 65535;
    case dtLongWord:
        return 4294967295LL;
    case dtShortInt:
        return 127;
    case dtSmallInt:
        return 32767;
    case dtInteger:
        return 2147483647LL;
    case dtInt64:
        return std::numeric_limits<int64_t>::max();
    default:
        return 0;
    }
}

int64_t MinValueOf(uint8_t dataType) {
    switch (dataType) {
    case dtByte:
    case dtWord:
    case dtLongWord:
        return 0;
    case dtShortInt:
        return -128;
    case dtSmallInt:
        return -32768;
    case dtInteger:
        return -2147483648LL;
    case dtInt64:
        return std::numeric_limits<int64_t>::min();
    default:
        return 0;
    }
}

bool IsAboveMax(const TAEField& field, int64_t n) {
    uint8_t t = field.DataType();
    return IsIntegerType(t) && t != dtInt64 && n > MaxValueOf(t);
}

bool IsBelowMin(const TAEField& field, int64_t n) {
    uint8_t t = field.DataType();
    return IsIntegerType(t) && t != dtInt64 && n < MinValueOf(t);
}

std::unique_ptr<TAEField> NewFieldOfType(uint8_t dataType) {
    switch (dataType) {
    case dtString:
        return std::make_unique<TAEStringField>();
    case dtByte:
        return std::make_unique<TAEByteField>();
    case dtWord:
        return std::make_unique<TAEWordField>();
    case dtLongWord:
        return std::make_unique<TAELongwordField>();
    case dtShortInt:
        return std::make_unique<TAEShortIntField>();
    case dtSmallInt:
        return std::make_unique<TAESmallIntField>();
    case dtInteger:
        return std::make_unique<TAEIntegerField>();
    case dtInt64:
        return std::make_unique<TAEInt64Field>();
    case dtSingle:
        return std::make_unique<TAESingleField>();
    case dtDouble:
        return std::make_unique<TAEDoubleField>();
    case dtExtended:
        return std::make_unique<TAEExtendedField>();
    case dtListInteger:
        return std::make_unique<TAEListIntegerField>();
    case dtBoolean:
        return std::make_unique<TAEBooleanField>();
    default:
        return nullptr;
    }
}

} // namespace vorelt
