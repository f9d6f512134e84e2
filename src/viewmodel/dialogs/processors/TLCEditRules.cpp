#include "viewmodel/dialogs/processors/TLCEditRules.h"

#include "model/TAEFieldTypes.h"
#include "persist/TGVVariant.h"
#include "processing/filter/TLCBlock.h"
#include "processing/filter/TLCCondition.h"

namespace vorelt {

bool LCCanAdd(const TLogicalCondition& node) {
    return (node.EditFlags() & efNoChildren) == 0;
}

bool LCCanDelete(const TLogicalCondition& node) {
    return (node.EditFlags() & efNoDelete) == 0 && node.Parent() != nullptr;
}

bool LCCanDrop(const TLogicalCondition& node, const TLogicalCondition& target) {
    return (node.EditFlags() & efNoDrag) == 0 && (target.EditFlags() & efNoChildren) == 0 &&
           node.Parent() != nullptr && !node.Contains(&target);
}

std::string LCGroupEntryCaption(uint8_t op) {
    return "Group " + std::string(BlockOperationCaption(op));
}

std::vector<std::string> LCAddMenuCaptions() {
    return {"Logical Condition",           "-",
            LCGroupEntryCaption(lcAnd),    LCGroupEntryCaption(lcOr),
            LCGroupEntryCaption(lcNotAnd), LCGroupEntryCaption(lcNotOr)};
}

std::string LCConditionDialogTitle(bool editing) {
    return std::string(editing ? "Edit" : "Input") + " " + "Logical Condition";
}

std::vector<uint8_t> LCOperationsForType(uint8_t dataType) {
    if (IsNumericType(dataType))
        return {coEquals, coNoEquals, coLessOrEquals, coGreaterOrEquals, coLess, coGreater};
    if (dataType == dtBoolean || dataType == dtString) return {coEquals, coNoEquals};
    return {};
}

bool LCVariantFitsType(uint8_t variantKind, uint8_t dataType) {
    if (IsNumericType(dataType))
        return variantKind == TGVVariant::vkInteger || variantKind == TGVVariant::vkFloat;
    if (dataType == dtBoolean) return variantKind == TGVVariant::vkBoolean;
    if (dataType == dtString) return variantKind == TGVVariant::vkString;
    return false;
}

TLCBlock* LCAddGroup(TLogicalCondition& parent, uint8_t op) {
    if (!LCCanAdd(parent)) return nullptr;
    auto block = std::make_unique<TLCBlock>();
    block->SetOperation(op);
    auto* added = static_cast<TLCBlock*>(parent.Add(std::move(block)));
    added->Changed(true);
    return added;
}

TLCCondition* LCAddCondition(TLogicalCondition& parent, std::unique_ptr<TLCCondition> condition) {
    if (!LCCanAdd(parent) || !condition) return nullptr;
    auto* added = static_cast<TLCCondition*>(parent.Add(std::move(condition)));
    added->Changed(true);
    return added;
}

bool LCSetGroupOperation(TLCBlock& block, uint8_t op) {
    if (block.Operation() == op || BlockOperationKey(op).empty()) return false;
    block.SetOperation(op);
    block.Changed(true);
    return true;
}

void LCEditCondition(TLCCondition& condition, const std::string& fieldID, uint8_t op,
                     const std::string& value, const std::string& variantID) {
    condition.SetFieldID(fieldID);
    condition.SetOperation(op);
    condition.SetValue(variantID.empty() ? value : std::string());
    condition.SetVariantID(variantID);
    condition.Changed(true);
}

bool LCDeleteNode(TLogicalCondition& node) {
    if (!LCCanDelete(node)) return false;
    TLogicalCondition* parent = node.Parent();
    std::unique_ptr<TLogicalCondition> gone = node.Detach();
    if (!gone) return false;
    gone.reset();
    parent->Changed(true);
    return true;
}

bool LCDropNode(TLogicalCondition& node, TLogicalCondition& target) {
    if (!LCCanDrop(node, target)) return false;
    if (!node.MoveTo(target)) return false;
    node.Changed(true);
    return true;
}

} // namespace vorelt
