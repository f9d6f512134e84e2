#pragma once
// What a condition tree needs from whoever holds its root (a filter, a view, a criterion):
// names for captions and error texts, the fields that reach it, the project's variants and a
// way to report edits.

#include <string>
#include <string_view>

namespace vorelt {

class TAEField;
class TGVVariants;

class ILCOwner {
public:
    virtual ~ILCOwner() = default;
    // The owning processor's name, used in captions, usage lines and error texts.
    virtual std::string ConditionOwnerName() const = 0;
    // A field among those that reach the owner; none when absent.
    virtual const TAEField* ConditionField(std::string_view id) const = 0;
    // The project's variants; none when the owner belongs to no project.
    virtual const TGVVariants* ConditionVariants() const = 0;
    // The tree was edited.
    virtual void ConditionChanged(bool propagate) = 0;
};

} // namespace vorelt
