#pragma once
// What an expression needs from the processor that owns it: field names resolve against the
// fields that reach the processor, variant names against the project's variant list, and uses
// are reported under the processor's name. Processors implement it; the tree never owns it.

#include <string>
#include <string_view>

namespace vorelt {

class TGVVariants;

class IExprOwner {
public:
    virtual ~IExprOwner() = default;
    // The ID of the field with this name among the fields that reach the owner; empty when none.
    virtual std::string ExprFieldID(std::string_view name) const = 0;
    // The project's variant list; none when the owner is not (yet) part of a project.
    virtual TGVVariants* ExprVariants() const = 0;
    // The name that field-use reports show for the owner.
    virtual std::string ExprOwnerName() const = 0;
};

} // namespace vorelt
