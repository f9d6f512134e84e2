#pragma once
// A logical condition: a tree that decides yes or no for one record. Leaves compare a field
// with a constant or a project variant; blocks combine their children with AND or OR,
// optionally negated. Owners keep one root block, bind it to their record layout once and then
// evaluate it per record.

#include "persist/TPersistObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class ILCOwner;
class TAEListFields;
class TAERecord;
class TGVVariants;

// Edit flags.
constexpr uint8_t efNoChildren = 0x01;
constexpr uint8_t efNoDrag = 0x02;
constexpr uint8_t efNoDelete = 0x04;
// Every owner's root: fixed, undeletable, accepts children.
constexpr uint8_t efRoot = efNoDrag | efNoDelete;

class TLogicalCondition : public TPersistObject {
public:
    TLogicalCondition() = default;
    TLogicalCondition(const TLogicalCondition&) = delete;
    TLogicalCondition& operator=(const TLogicalCondition&) = delete;
    // Frees the children. Removal from the parent is the parent's business (DeleteChild,
    // Detach), since the parent owns this node.
    ~TLogicalCondition() override;

    TLogicalCondition* Parent() const { return FParent; }
    uint8_t EditFlags() const { return FEditFlags; }
    void SetEditFlags(uint8_t flags) { FEditFlags = flags; }

    virtual ILCOwner* GetOwner() const;
    // Frees the children, clears the parent reference and the edit flags.
    virtual void Clear();
    // "ClassName", then one child node "LogCond" per child.
    void SaveToNode(TNodePersist& node) const override;
    // Appends a child for every "LogCond" node of a registered condition class.
    void LoadFromNode(const TNodePersist& node) override;
    // Passes the call up; roots tell their owner.
    virtual void Changed(bool propagate);
    virtual std::string GetCaption() const { return {}; }
    virtual std::string GetText() const { return {}; }

    // Resolves everything a per-record evaluation looks up: field positions in `layout` (flat
    // positions) and comparison values (parsed once, variants read once). Call it whenever
    // the layout or the variants change; Evaluate binds lazily to the record's own layout
    // when the node was never bound or was edited since.
    virtual void Bind(const TAEListFields& layout, const TGVVariants* variants);
    // Raises EAEError for an empty inner block, a value that does not convert, or a missing
    // variant.
    virtual bool Evaluate(const TAERecord& record) = 0;
    virtual std::unique_ptr<TLogicalCondition> Clone() const = 0;
    // Clears the target, gives it this node's parent reference and edit flags and appends a
    // clone of every child.
    void CopyTo(TLogicalCondition& target) const;

    // Adds usage lines for field or variant `id` to the sorted, duplicate-free `lines`; true
    // when some node uses it.
    virtual bool CollectUses(std::string_view id, std::vector<std::string>& lines,
                             const std::string& suffix) const;
    virtual bool ReferencesId(std::string_view id) const;
    // Frees every condition that tests field `id`; true when this node itself must be freed
    // by its parent.
    virtual bool RemoveReferences(std::string_view id);

    // Takes the child over and appends it; returns it.
    TLogicalCondition* Add(std::unique_ptr<TLogicalCondition> child);
    int Count() const { return static_cast<int>(FChildren.size()); }
    // None when i is outside.
    TLogicalCondition* Items(int i) const {
        return i >= 0 && i < Count() ? FChildren[static_cast<size_t>(i)].get() : nullptr;
    }
    int IndexOf(const TLogicalCondition* child) const;
    // Frees the child at i with its subtree.
    void DeleteChild(int i);
    // Takes this node out of its parent's list and hands it to the caller; none without parent.
    std::unique_ptr<TLogicalCondition> Detach();
    // Detaches the node and appends it to `newParent`; false when it has no parent.
    bool MoveTo(TLogicalCondition& newParent);
    // Whether `node` lies in this node's subtree (this node included).
    bool Contains(const TLogicalCondition* node) const;

protected:
    // Edits invalidate the binding of the node and of every block above it.
    void Unbind();
    bool Bound() const { return FBound; }
    void MarkBound() { FBound = true; }
    // Binds to the record's own layout when needed.
    void EnsureBound(const TAERecord& record);
    // Creates a child from a saved class name; none for unknown classes.
    virtual std::unique_ptr<TLogicalCondition> CreateChild(const std::string& className) const;

    std::vector<std::unique_ptr<TLogicalCondition>> FChildren;

private:
    TLogicalCondition* FParent = nullptr;
    uint8_t FEditFlags = 0;
    bool FBound = false;
};

// Inserts `line` into the sorted, duplicate-free list; true in both cases (the line is there).
bool AddSortedLine(std::vector<std::string>& lines, const std::string& line);

} // namespace vorelt
