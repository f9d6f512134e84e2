#include "processing/expr/TAEExpresion.h"

#include "model/TAEField.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TGVVariants.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/expr/IExprOwner.h"

#include <algorithm>

namespace vorelt {

namespace {

const char kNL[] = "\r\n";

} // namespace

TAEExpresion::TAEExpresion(IExprOwner* owner) : FOwner(owner) {}

TAEExpresion::~TAEExpresion() = default;

void TAEExpresion::SetText(std::string text) {
    FText = std::move(text);
    Decode();
}

void TAEExpresion::SetTypeElem(uint8_t code) {
    FTypeElem = code;
    Decode();
}

void TAEExpresion::SetOwner(IExprOwner* owner) {
    FOwner = owner;
    for (auto& c : FChildren)
        c->SetOwner(owner);
}

TAEExpresion* TAEExpresion::Add(std::unique_ptr<TAEExpresion> child) {
    child->FParent = this;
    FChildren.push_back(std::move(child));
    return FChildren.back().get();
}

TAEExpresion* TAEExpresion::Insert(int index, std::unique_ptr<TAEExpresion> child) {
    index = std::clamp(index, 0, Count());
    child->FParent = this;
    auto it = FChildren.insert(FChildren.begin() + index, std::move(child));
    return it->get();
}

std::unique_ptr<TAEExpresion> TAEExpresion::Extract(int i) {
    if (static_cast<unsigned>(i) >= FChildren.size()) return nullptr;
    std::unique_ptr<TAEExpresion> c = std::move(FChildren[static_cast<size_t>(i)]);
    FChildren.erase(FChildren.begin() + i);
    c->FParent = nullptr;
    return c;
}

void TAEExpresion::Delete(int i) {
    Extract(i);
}

void TAEExpresion::Clear() {
    FChildren.clear();
    FTypeElem = teUnset;
    FTokenIndex = -1;
    FText.clear();
    FID.clear();
    FName.clear();
    FFieldPos = kUnbound;
    FVariantBound = false;
    FVariant = nullptr;
    Decode();
}

void TAEExpresion::Assign(const TAEExpresion& source) {
    if (&source == this) return;
    Clear();
    FText = source.FText;
    FTypeElem = source.FTypeElem;
    FOwner = source.FOwner;
    FTokenIndex = source.FTokenIndex;
    FID = source.FID;
    FName = source.FName;
    Decode();
    for (const auto& c : source.FChildren) {
        auto copy = std::make_unique<TAEExpresion>(FOwner);
        copy->Assign(*c);
        Add(std::move(copy));
    }
}

void TAEExpresion::Decode() {
    FOp = opNone;
    FLiteralValid = false;
    FLiteralInt = 0;
    FLiteralFloat = 0;
    FLiteralText.clear();
    switch (FTypeElem) {
    case teInteger:
        FLiteralValid = TryStrToInt64(FText, FLiteralInt);
        break;
    case teDecimal:
        FLiteralValid = TryStrToFloat(FText, FLiteralFloat);
        break;
    case teBoolean:
        FLiteralInt = SameText(FText, "TRUE") ? 1 : 0;
        FLiteralValid = true;
        break;
    case teString:
        for (char ch : FText)
            if (ch != '"') FLiteralText += ch;
        FLiteralValid = true;
        break;
    case teArith:
    case teArithToken:
        if (FText == "+")
            FOp = opAdd;
        else if (FText == "-")
            FOp = opSub;
        else if (FText == "*")
            FOp = opMul;
        else if (FText == "/")
            FOp = opDiv;
        break;
    case teLogical:
    case teAndOrToken:
        if (FText == "AND")
            FOp = opAnd;
        else if (FText == "OR")
            FOp = opOr;
        break;
    case teCompare:
    case teCompareToken:
        if (FText == "=")
            FOp = opEq;
        else if (FText == "<>")
            FOp = opNe;
        else if (FText == "<")
            FOp = opLt;
        else if (FText == ">")
            FOp = opGt;
        else if (FText == "<=")
            FOp = opLe;
        else if (FText == ">=")
            FOp = opGe;
        break;
    default:
        break;
    }
}

// ---- persistence ----

void TAEExpresion::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Text", FText);
    node.AddItem("TypeElem", IntToStr(FTypeElem));
    node.AddItem("ID", FID);
    node.AddItem("Name", FName);
    for (const auto& c : FChildren)
        c->SaveToNode(*node.AddNode("AEExpresion"));
}

void TAEExpresion::LoadFromNode(const TNodePersist& node) {
    std::string v = node.GetValue("Text");
    if (!v.empty()) FText = v;
    v = node.GetValue("TypeElem");
    if (!v.empty()) {
        int32_t code = StrToInt(v);
        if (code < 0 || code > 255)
            throw EConvertError("'" + v + "' is not a valid integer value",
                                "an integer from 0 to 255", "TypeElem");
        FTypeElem = static_cast<uint8_t>(code);
    }
    v = node.GetValue("ID");
    if (!v.empty()) FID = v;
    v = node.GetValue("Name");
    if (!v.empty()) FName = v;
    Decode();
    // Loading twice must not double the tree: the stored children replace the present ones.
    FChildren.clear();
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* child = node.Node(i);
        if (!SameTextTrimmed(child->Name(), "AEExpresion")) continue;
        std::unique_ptr<TAEExpresion> obj =
            TClassRegistry::Instance().CreateAs<TAEExpresion>(child->GetValue("ClassName"));
        if (!obj) continue;
        obj->FOwner = FOwner;
        Add(std::move(obj))->LoadFromNode(*child);
    }
}

// ---- binding and evaluation ----

void TAEExpresion::Bind(const TAEListFields& layout) {
    BindNode(layout);
}

void TAEExpresion::BindNode(const TAEListFields& layout) {
    if (FTypeElem == teField) {
        FFieldPos = FID.empty() ? -1 : layout.IndexOfID(FID);
    } else if (FTypeElem == teVariant) {
        TGVVariants* vars = FOwner ? FOwner->ExprVariants() : nullptr;
        FVariant = vars ? vars->FindByID(FID) : nullptr;
        FVariantBound = true;
    }
    for (auto& c : FChildren)
        c->BindNode(layout);
}

void TAEExpresion::EvaluateField(TExprValue& result, const TAERecord& record) const {
    const TAEField* f;
    if (FFieldPos >= 0)
        f = record.Field(FFieldPos);
    else if (FFieldPos == kUnbound)
        f = record.FindByID(FID);
    else
        return; // not in the layout
    if (!f) return;
    const uint8_t t = f->DataType();
    if (IsIntegerType(t))
        result.SetInteger(f->GetAsInt64());
    else if (IsFloatType(t))
        result.SetFloat(f->GetAsFloat());
    else if (t == dtBoolean)
        result.SetBoolean(f->GetAsBoolean());
    else if (t == dtString)
        result.SetString(*static_cast<const std::string*>(f->GetValuePtr()));
    // A list-integer field has no single value and writes nothing.
}

void TAEExpresion::EvaluateVariant(TExprValue& result, const TGVVariant* variant) const {
    if (!variant) return;
    switch (variant->Kind()) {
    case TGVVariant::vkInteger:
        result.SetInteger(variant->GetAsInt64());
        break;
    case TGVVariant::vkFloat:
        result.SetFloat(variant->GetAsFloat());
        break;
    case TGVVariant::vkBoolean:
        result.SetBoolean(variant->GetAsBoolean());
        break;
    case TGVVariant::vkString:
        result.SetString(variant->GetAsString());
        break;
    default:
        break;
    }
}

bool TAEExpresion::Compare(TOp op, const TExprValue& a, const TExprValue& b) {
    if (a.Empty() || b.Empty()) return false;
    if (a.IsNumeric() && b.IsNumeric()) {
        const long double x = a.Numeric(), y = b.Numeric();
        switch (op) {
        case opEq:
            return x == y;
        case opNe:
            return x != y;
        case opLt:
            return x < y;
        case opGt:
            return x > y;
        case opLe:
            return x <= y;
        case opGe:
            return x >= y;
        default:
            return false;
        }
    }
    if (op != opEq && op != opNe) return false;
    if (a.Kind() != b.Kind()) return false;
    bool same;
    if (a.Kind() == TExprValue::evBoolean)
        same = a.AsBoolean() == b.AsBoolean();
    else if (a.Kind() == TExprValue::evString)
        same = a.AsString() == b.AsString();
    else
        return false;
    return op == opEq ? same : !same;
}

void TAEExpresion::Evaluate(TExprValue& result, const TAERecord& record) const {
    switch (FTypeElem) {
    case teRoot:
    case teBracket:
        for (const auto& c : FChildren)
            c->Evaluate(result, record);
        return;
    case teInteger:
        if (!FLiteralValid) StrToInt64(FText); // raises the conversion error
        result.SetInteger(FLiteralInt);
        return;
    case teDecimal:
        if (!FLiteralValid) StrToFloat(FText);
        result.SetFloat(FLiteralFloat);
        return;
    case teBoolean:
        result.SetBoolean(FLiteralInt != 0);
        return;
    case teString:
        result.SetString(FLiteralText);
        return;
    case teField:
        EvaluateField(result, record);
        return;
    case teVariant:
        if (FVariantBound) {
            EvaluateVariant(result, FVariant);
        } else if (FOwner) {
            if (TGVVariants* vars = FOwner->ExprVariants())
                EvaluateVariant(result, vars->FindByID(FID));
        }
        return;
    case teArith: {
        if (FChildren.size() < 2 || FOp == opNone) return;
        TExprValue a, b;
        FChildren[0]->Evaluate(a, record);
        FChildren[1]->Evaluate(b, record);
        // Booleans count as 1 and 0; a string or a missing operand has no number, so the
        // operation has no value either.
        auto operand = [](const TExprValue& v, long double& x) {
            if (v.Empty()) return false;
            switch (v.Kind()) {
            case TExprValue::evFloat:
                x = v.AsFloat();
                return true;
            case TExprValue::evInteger:
                x = static_cast<long double>(v.AsInteger());
                return true;
            case TExprValue::evBoolean:
                x = v.AsBoolean() ? 1 : 0;
                return true;
            default:
                return false;
            }
        };
        long double x, y;
        if (!operand(a, x) || !operand(b, y)) {
            result.Clear();
            return;
        }
        long double r;
        switch (FOp) {
        case opAdd:
            r = x + y;
            break;
        case opSub:
            r = x - y;
            break;
        case opMul:
            r = x * y;
            break;
        default:
            r = x / y; // floating-point exceptions are masked: 1/0 is an infinity
            break;
        }
        result.SetFloat(r);
        return;
    }
    case teNegation: {
        TExprValue a;
        if (!FChildren.empty()) FChildren[0]->Evaluate(a, record);
        result.SetBoolean(!a.Empty() && a.Kind() == TExprValue::evBoolean && !a.AsBoolean());
        return;
    }
    case teCompare: {
        if (FChildren.size() < 2) {
            result.SetBoolean(false);
            return;
        }
        TExprValue a, b;
        FChildren[0]->Evaluate(a, record);
        FChildren[1]->Evaluate(b, record);
        result.SetBoolean(Compare(FOp, a, b));
        return;
    }
    case teLogical: {
        TExprValue a, b;
        if (FChildren.size() >= 2) {
            // Both sides are always evaluated, as users' expressions may rely on either.
            FChildren[0]->Evaluate(a, record);
            FChildren[1]->Evaluate(b, record);
        }
        bool r = false;
        if (!a.Empty() && !b.Empty() && a.Kind() == TExprValue::evBoolean &&
            b.Kind() == TExprValue::evBoolean)
            r = FOp == opAnd ? (a.AsBoolean() && b.AsBoolean())
                             : FOp == opOr && (a.AsBoolean() || b.AsBoolean());
        result.SetBoolean(r);
        return;
    }
    case teIf: {
        if (FChildren.empty()) return;
        TExprValue c;
        FChildren[0]->Evaluate(c, record);
        if (c.Empty() || c.Kind() != TExprValue::evBoolean) return;
        if (c.AsBoolean()) {
            if (FChildren.size() >= 2) FChildren[1]->Evaluate(result, record);
        } else if (FChildren.size() == 3) {
            FChildren[2]->Evaluate(result, record);
        }
        return;
    }
    case teThen:
    case teElse:
        if (!FChildren.empty()) FChildren[0]->Evaluate(result, record);
        return;
    default:
        // The CASE family, assignments, stray tokens and the function form write nothing.
        return;
    }
}

void TAEExpresion::EvaluateWeights(TExprValue& value, const TAERecord& record) const {
    for (const auto& rule : FChildren) {
        if (rule->FTypeElem != teCompare || rule->FChildren.size() < 2) continue;
        TExprValue left, right;
        rule->FChildren[0]->Evaluate(left, record);
        rule->FChildren[1]->Evaluate(right, record);
        if (Compare(rule->FOp, value, left)) {
            value.MoveFrom(right);
            return;
        }
    }
}

// ---- text ----

std::string TAEExpresion::ToText(const std::string& indent) const {
    auto child = [this](size_t k, const std::string& ind) {
        return k < FChildren.size() ? FChildren[k]->ToText(ind) : std::string();
    };
    std::string s;
    switch (FTypeElem) {
    case teBracket:
        s = indent + "(";
        for (size_t k = 0; k < FChildren.size(); ++k) {
            // Elements side by side need a blank between them, or (1 2) would come back as 12.
            if (k > 0) s += ' ';
            s += FChildren[k]->ToText({});
        }
        return s + ")";
    case teField:
        return indent + "{" + FText + "}";
    case teVariant:
        return indent + "[" + FText + "]";
    case teArith:
        return indent + child(0, {}) + FText + child(1, {});
    case teCompare:
    case teLogical:
        return indent + child(0, {}) + " " + FText + " " + child(1, {});
    case teNegation:
        s = indent + " " + FText + " ";
        for (const auto& c : FChildren)
            s += c->ToText({});
        return s;
    case teIf:
    case teCase:
        s = indent + FText + child(0, {});
        for (size_t k = 1; k < FChildren.size(); ++k)
            s += FChildren[k]->ToText(indent);
        return s + kNL + indent + (FTypeElem == teIf ? "ENDIF" : "ENDCASE");
    case teThen:
    case teCaseOf:
        s = " " + FText + kNL + indent + child(0, {});
        for (size_t k = 1; k < FChildren.size(); ++k)
            s += FChildren[k]->ToText(indent + " ");
        return s;
    case teElse:
    case teCaseElse:
        s = kNL + indent + FText + kNL + indent;
        for (const auto& c : FChildren)
            s += c->ToText(indent + " ");
        return s;
    case teDecimal:
        s = indent + FText;
        std::replace(s.begin() + static_cast<std::ptrdiff_t>(indent.size()), s.end(), ',', '.');
        return s;
    default:
        s = indent + FText;
        for (const auto& c : FChildren)
            s += c->ToText(indent);
        return s;
    }
}

// ---- uses ----

bool TAEExpresion::ReferencesId(std::string_view id) const {
    if ((FTypeElem == teField || FTypeElem == teVariant || FTypeElem == teParam) && !id.empty() &&
        FID == id)
        return true;
    for (const auto& c : FChildren)
        if (c->ReferencesId(id)) return true;
    return false;
}

bool TAEExpresion::CollectUses(std::string_view id, std::vector<std::string>& lines,
                               std::string_view suffix) const {
    bool found = false;
    CollectInto(id, lines, suffix, found);
    return found;
}

void TAEExpresion::CollectInto(std::string_view id, std::vector<std::string>& lines,
                               std::string_view suffix, bool& found) const {
    const char* kind = FTypeElem == teField     ? "Field"
                       : FTypeElem == teVariant ? "Variant"
                       : FTypeElem == teParam   ? "Parameter"
                                                : nullptr;
    if (kind && !id.empty() && FID == id) {
        found = true;
        std::string line = std::string(kind) + ": " + FText + "[" +
                           (FOwner ? FOwner->ExprOwnerName() : std::string()) + "]" +
                           std::string(suffix);
        auto it = std::lower_bound(lines.begin(), lines.end(), line);
        if (it == lines.end() || *it != line) lines.insert(it, std::move(line));
    }
    for (const auto& c : FChildren)
        c->CollectInto(id, lines, suffix, found);
}

std::string DumpExpresion(const TAEExpresion& node) {
    std::string s = "(" + std::to_string(node.TypeElem()) + "|" + node.Text() + "|" + node.ID() +
                    "|" + node.Name();
    for (int i = 0; i < node.Count(); ++i)
        s += " " + DumpExpresion(*node.Items(i));
    return s + ")";
}

} // namespace vorelt
