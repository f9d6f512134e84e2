#pragma once
// Status texts of long operations. Calls nest: every ShowStatus is matched by a HideStatus
// (also when the operation fails), and the text of the enclosing operation comes back when an
// inner one ends. The display itself is behind IStatusDisplay.

#include <string>
#include <vector>

namespace vorelt {

class IStatusDisplay;

class TShowMessage {
public:
    explicit TShowMessage(IStatusDisplay* display = nullptr) : FDisplay(display) {}

    IStatusDisplay* Display() const { return FDisplay; }
    void SetDisplay(IStatusDisplay* display) { FDisplay = display; }

    // A text of blanks shows and pushes nothing.
    void ShowStatus(const std::string& text);
    // Pops the top text; the display shows the text below it, or hides when none is left.
    void HideStatus();

    const std::string& CurrentText() const { return FCurrentText; }
    int Depth() const { return static_cast<int>(FStack.size()); }

private:
    IStatusDisplay* FDisplay;
    std::string FCurrentText;
    std::vector<std::string> FStack;
};

// Shows a status text for the lifetime of the guard; no status object shows nothing.
class TStatusGuard {
public:
    TStatusGuard(TShowMessage* status, const std::string& text);
    ~TStatusGuard();
    TStatusGuard(const TStatusGuard&) = delete;
    TStatusGuard& operator=(const TStatusGuard&) = delete;

private:
    TShowMessage* FStatus;
    bool FShown = false;
};

} // namespace vorelt
