#pragma once
// What a field set needs to know about the processor or driver that declared it: pickers group
// the sets of owners of the same class and caption repeated ones by the owner's name. Processors
// and drivers implement it beside TPersistObject; one ClassName override serves both.

#include <string>

namespace vorelt {

class IFieldSetOwner {
public:
    virtual ~IFieldSetOwner() = default;
    virtual std::string ClassName() const = 0;
    virtual std::string Name() const = 0;
};

} // namespace vorelt
