#pragma once
// The criterion of a criterion field: which records of a channel it takes (test sections,
// first hits of located events, a condition), the function it accumulates (the function form
// tree) and how the field's value is presented (function result, weight table, expression or
// a link to another field's function output).

#include "model/TAEFieldAttachment.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/filter/TLCBlock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class IExprOwner;
class ILCOwner;

// TypeResult values.
constexpr int32_t trFunction = 0;
constexpr int32_t trWeights = 1;
constexpr int32_t trExpression = 2;
constexpr int32_t trLink = 4;
constexpr int32_t trChannel = 5;

class TAECriterion : public TAEFieldAttachment {
public:
    TAECriterion(IExprOwner* exprOwner = nullptr, ILCOwner* conditionOwner = nullptr);
    std::string ClassName() const override { return "TAECriterion"; }

    bool EnabledSection = false;
    bool FirstHit = false;
    bool EnabledFilter = false;
    bool EnabledFunction = true;
    int32_t TypeResult = trFunction;
    std::vector<std::string> Sections; // IDs of the chosen test sections

    TLCBase& LogCons() { return FLogCons; }
    const TLCBase& LogCons() const { return FLogCons; }
    TAEExpresion& Result() { return FResult; }
    const TAEExpresion& Result() const { return FResult; }
    TAEExpresion& Expresion() { return FExpresion; }
    const TAEExpresion& Expresion() const { return FExpresion; }

    // The function form names a function (root code 2).
    bool HasFunction() const { return FExpresion.TypeElem() == teFunction; }
    // The filter, the function form or the Result tree refers to the field.
    bool RefersTo(std::string_view id, bool filter = true, bool function = true) const;

    // "ClassName", the keys in table order, then "LogCons", "Result", "Expresion", "Section".
    void SaveToNode(TNodePersist& node) const override;
    // Keys present and not empty; known child nodes.
    void LoadFromNode(const TNodePersist& node) override;

private:
    TLCBase FLogCons;
    TAEExpresion FResult;
    TAEExpresion FExpresion;
};

} // namespace vorelt
