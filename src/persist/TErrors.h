#pragma once
// Exceptions carry the message text of a failing step inside an operation; the operation
// catches them and reports false plus that text to its caller.

#include <stdexcept>
#include <string>

namespace vorelt {

class EAEError : public std::runtime_error {
public:
    explicit EAEError(const std::string& text) : std::runtime_error(text) {}
};

// A text that is not a number or boolean of the expected kind. `expected` says what would
// have been right ("an integer from 0 to 255"), empty when the kind of the text says it all;
// `item` names the persisted item the text came from, when the thrower knows it.
class EConvertError : public EAEError {
public:
    explicit EConvertError(const std::string& text, std::string expected = {},
                           std::string item = {})
        : EAEError(text), FExpected(std::move(expected)), FItem(std::move(item)) {}
    const std::string& Expected() const { return FExpected; }
    const std::string& Item() const { return FItem; }

private:
    std::string FExpected;
    std::string FItem;
};

class EInvalidOperation : public EAEError {
public:
    EInvalidOperation() : EAEError("Invalid Operation") {}
};

} // namespace vorelt
