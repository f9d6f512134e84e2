#pragma once
// Source of new 16-digit identifiers for fields, processors and variants. The project
// implements it, because only the project sees every identifier in use.

#include <string>

namespace vorelt {

class IIDGenerator {
public:
    virtual ~IIDGenerator() = default;
    // A new identifier that is not reserved and not carried by anything in the project.
    virtual std::string NewID() = 0;
};

} // namespace vorelt
