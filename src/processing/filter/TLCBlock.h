#pragma once
// Inner nodes of a condition tree, and the root block that an owner keeps.

#include "processing/filter/TLogicalCondition.h"

namespace vorelt {

// Block operations.
constexpr uint8_t lcAnd = 1;
constexpr uint8_t lcOr = 2;
constexpr uint8_t lcNotAnd = 3;
constexpr uint8_t lcNotOr = 4;

// "AND", "OR", "NOT_AND", "NOT_OR"; empty for other codes.
std::string_view BlockOperationKey(uint8_t op);
// 0 for an unknown key.
uint8_t BlockOperationOfKey(std::string_view key);
// "( AND )", "( OR )", "NOT ( AND )", "NOT ( OR )"; empty for other codes.
std::string_view BlockOperationCaption(uint8_t op);

class TLCBlock : public TLogicalCondition {
public:
    TLCBlock() = default;
    explicit TLCBlock(uint8_t operation) : FOperation(operation) {}
    std::string ClassName() const override { return "TLCBlock"; }

    uint8_t Operation() const { return FOperation; }
    // Codes outside 1..4 are ignored.
    void SetOperation(uint8_t op);
    bool IsNegated() const { return FOperation == lcNotAnd || FOperation == lcNotOr; }
    bool IsConjunction() const { return FOperation == lcAnd || FOperation == lcNotAnd; }

    // Also back to AND.
    void Clear() override;
    // Base items, then "TypeElem" before the children.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;
    std::string GetCaption() const override;
    std::string GetText() const override;
    // An inner block without children raises "Filter Error <owner name>".
    bool Evaluate(const TAERecord& record) override;
    std::unique_ptr<TLogicalCondition> Clone() const override;

protected:
    // Evaluates the children by the block's operation; `record` binding is already ensured.
    bool EvaluateChildren(const TAERecord& record);
    void SaveBlockItems(TNodePersist& node) const;

private:
    uint8_t FOperation = lcAnd;
};

class TLCBase : public TLCBlock {
public:
    // Operation AND, edit flags of a root.
    explicit TLCBase(ILCOwner* owner = nullptr);
    std::string ClassName() const override { return "TLCBase"; }

    ILCOwner* GetOwner() const override { return FOwner; }
    void SetOwner(ILCOwner* owner) { FOwner = owner; }
    // The root keeps its owner and its root edit flags.
    void Clear() override;
    void Changed(bool propagate) override;
    // An empty root passes every record.
    bool Evaluate(const TAERecord& record) override;
    std::unique_ptr<TLogicalCondition> Clone() const override;

private:
    ILCOwner* FOwner;
};

} // namespace vorelt
