#pragma once
// The project's variants as the processing tree reaches them: a processor context that also
// implements this interface gives its conditions their variants.

namespace vorelt {

class TGVVariants;

class IProjectVariants {
public:
    virtual ~IProjectVariants() = default;
    virtual const TGVVariants* ProjectVariants() const = 0;
};

} // namespace vorelt
