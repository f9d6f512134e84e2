#pragma once
// The questions and error boxes that tree operations raise. The application shows them as
// message boxes; tools and tests answer them themselves.

#include <string>

namespace vorelt {

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // An error box with an OK button.
    virtual void ShowError(const std::string& text) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

} // namespace vorelt
