#pragma once
// The status window as the core sees it. The user interface implements it (a small stay-on-top
// window, kept up by its own thread and visible for at least 500 ms each time it is shown);
// tools print the text or ignore it.

#include <string>

namespace vorelt {

class IStatusDisplay {
public:
    virtual ~IStatusDisplay() = default;
    // Shows the text, or replaces the text already shown.
    virtual void ShowText(const std::string& text) = 0;
    // No status text is left.
    virtual void HideText() = 0;
};

} // namespace vorelt
