#pragma once
// What the condition editor may do with a tree, and the edits themselves, independent of how
// the editor looks. Every edit reports itself through Changed (true) on the node concerned.

#include "processing/filter/TLogicalCondition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TLCBlock;
class TLCCondition;

// Add is offered on nodes that take children (blocks).
bool LCCanAdd(const TLogicalCondition& node);
// Delete is offered on nodes that may be deleted (not the root).
bool LCCanDelete(const TLogicalCondition& node);
// A node may be dropped onto a block that is neither the node itself nor inside its subtree,
// when the node may be dragged at all.
bool LCCanDrop(const TLogicalCondition& node, const TLogicalCondition& target);

// "Group " + the block caption of the operation.
std::string LCGroupEntryCaption(uint8_t op);
// The add menu: "Logical Condition", a separator "-", then the four group entries.
std::vector<std::string> LCAddMenuCaptions();
// "Input Logical Condition" for a new condition, "Edit Logical Condition" for an existing one.
std::string LCConditionDialogTitle(bool editing);
// Operations offered for a field type: all six for numeric types, Equals and NoEquals for
// boolean and string types, none otherwise.
std::vector<uint8_t> LCOperationsForType(uint8_t dataType);
// Whether a variant of `variantKind` is offered for a field of `dataType`.
bool LCVariantFitsType(uint8_t variantKind, uint8_t dataType);

// Appends a new empty block; none when `parent` takes no children.
TLCBlock* LCAddGroup(TLogicalCondition& parent, uint8_t op);
// Appends the condition; none (and the condition is dropped) when `parent` takes no children.
TLCCondition* LCAddCondition(TLogicalCondition& parent, std::unique_ptr<TLCCondition> condition);
// Changes a block's operation; false when it is already that operation.
bool LCSetGroupOperation(TLCBlock& block, uint8_t op);
// Stores what the condition dialog accepted.
void LCEditCondition(TLCCondition& condition, const std::string& fieldID, uint8_t op,
                     const std::string& value, const std::string& variantID);
// Frees the node and its subtree; false when it may not be deleted. `node` is gone afterwards.
bool LCDeleteNode(TLogicalCondition& node);
// Makes the node the target's last child; false when LCCanDrop refuses.
bool LCDropNode(TLogicalCondition& node, TLogicalCondition& target);

} // namespace vorelt
