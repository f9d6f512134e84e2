#pragma once
// One node of an expression tree. The tree, not the source text, is what calculated and
// criterion fields keep and what the project file stores; the text shown for editing is
// regenerated from it with ToText.
//
// Evaluation is per record and hot: Bind resolves field IDs to flat positions of the layout
// and variant IDs to the variant objects once per computation; literals and operators are
// decoded whenever Text or TypeElem change, never per record.

#include "model/TAEFieldAttachment.h"
#include "processing/expr/TExprElements.h"
#include "processing/expr/TExprValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IExprOwner;
class TAEListFields;
class TAERecord;
class TGVVariant;
class TNodePersist;

class TAEExpresion : public TAEFieldAttachment {
public:
    explicit TAEExpresion(IExprOwner* owner = nullptr);
    TAEExpresion(const TAEExpresion&) = delete;
    TAEExpresion& operator=(const TAEExpresion&) = delete;
    // Frees the children. A child is freed through its parent (Delete), which takes it out of
    // the list first, so a freed node is never left in a list.
    ~TAEExpresion() override;

    std::string ClassName() const override { return "TAEExpresion"; }

    const std::string& Text() const { return FText; }
    void SetText(std::string text);
    uint8_t TypeElem() const { return FTypeElem; }
    void SetTypeElem(uint8_t code);
    const std::string& ID() const { return FID; }
    void SetID(std::string id) { FID = std::move(id); }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    int TokenIndex() const { return FTokenIndex; }
    void SetTokenIndex(int index) { FTokenIndex = index; }

    IExprOwner* Owner() const { return FOwner; }
    // Sets the owner of this node and of every descendant.
    void SetOwner(IExprOwner* owner);
    TAEExpresion* Parent() const { return FParent; }

    // Children.
    int Count() const { return static_cast<int>(FChildren.size()); }
    // None when i is outside.
    TAEExpresion* Items(int i) const {
        return static_cast<unsigned>(i) < FChildren.size() ? FChildren[static_cast<size_t>(i)].get()
                                                           : nullptr;
    }
    // Appends or inserts a child and takes it over; returns it.
    TAEExpresion* Add(std::unique_ptr<TAEExpresion> child);
    TAEExpresion* Insert(int index, std::unique_ptr<TAEExpresion> child);
    // Hands the child at i back without freeing it (its parent becomes none); none when outside.
    std::unique_ptr<TAEExpresion> Extract(int i);
    // Frees the child at i.
    void Delete(int i);

    // Frees all children; TypeElem 0, token index -1, Text, ID and Name empty. A node inside a
    // list keeps its parent link, since the parent still owns it.
    virtual void Clear();
    // Deep copy of Text, TypeElem, owner, token index, ID, Name and the children; the copy is
    // unbound.
    void Assign(const TAEExpresion& source);

    // "ClassName", "Text", "TypeElem", "ID", "Name", then one child node "AEExpresion" per child.
    void SaveToNode(TNodePersist& node) const override;
    // Items present and not empty are applied; the loaded children replace the present ones.
    void LoadFromNode(const TNodePersist& node) override;

    // Resolves, for the whole tree, field references to flat positions of `layout` and variant
    // references to the owner's variants. Call it whenever the layout or the variants may have
    // changed, before evaluating records of that layout. A field absent from the layout (or a
    // variant absent from the project) then writes nothing. Without Bind evaluation still works
    // but looks fields up by ID on every record.
    void Bind(const TAEListFields& layout);

    // Computes the node's value for the record into `result`. Raises EConvertError for a
    // literal that does not convert (an integer outside the 64-bit range).
    void Evaluate(TExprValue& result, const TAERecord& record) const;
    // Maps `value` through the comparison rules among the children: the first rule
    // `value op left` that holds replaces the value by the rule's right side.
    void EvaluateWeights(TExprValue& value, const TAERecord& record) const;

    // Regenerated source text; it compiles into the same tree.
    std::string ToText(const std::string& indent = {}) const;

    // True when this node or a descendant is a field reference, variant reference or function
    // parameter with this ID.
    bool ReferencesId(std::string_view id) const;
    // Adds "Field: name[owner]suffix" (or "Variant", "Parameter") for every such node to the
    // sorted list `lines` unless present; true when any node matched.
    bool CollectUses(std::string_view id, std::vector<std::string>& lines,
                     std::string_view suffix) const;

private:
    // Operators decoded from Text.
    enum TOp : uint8_t {
        opNone,
        opAdd,
        opSub,
        opMul,
        opDiv,
        opAnd,
        opOr,
        opEq,
        opNe,
        opLt,
        opGt,
        opLe,
        opGe
    };
    // Field positions before Bind.
    static constexpr int kUnbound = -2;

    void Decode();
    void BindNode(const TAEListFields& layout);
    void EvaluateField(TExprValue& result, const TAERecord& record) const;
    void EvaluateVariant(TExprValue& result, const TGVVariant* variant) const;
    static bool Compare(TOp op, const TExprValue& a, const TExprValue& b);
    void CollectInto(std::string_view id, std::vector<std::string>& lines, std::string_view suffix,
                     bool& found) const;

    std::string FText;
    uint8_t FTypeElem = teUnset;
    IExprOwner* FOwner;
    TAEExpresion* FParent = nullptr;
    std::vector<std::unique_ptr<TAEExpresion>> FChildren;
    int FTokenIndex = -1;
    std::string FID;
    std::string FName;

    friend class TPreProcessor;

    // Decoded and bound state; never persisted.
    TOp FOp = opNone;
    bool FLiteralValid = false;
    int64_t FLiteralInt = 0;
    long double FLiteralFloat = 0;
    std::string FLiteralText; // a string literal without its quotes
    int FFieldPos = kUnbound;
    bool FVariantBound = false;
    const TGVVariant* FVariant = nullptr;
};

// Canonical one-line form of a tree (element code, text, ID and name of every node, children
// in brackets); two trees are the same exactly when their dumps are equal.
std::string DumpExpresion(const TAEExpresion& node);

} // namespace vorelt
