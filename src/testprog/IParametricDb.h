#pragma once
// What a parametric scaling needs of the database processor that holds its source field; the
// database processor lives in a higher library and implements it.

#include <string>

namespace vorelt {

class IParametricDb {
public:
    virtual ~IParametricDb() = default;
    virtual std::string Name() const = 0;
};

} // namespace vorelt
