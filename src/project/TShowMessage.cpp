#include "project/TShowMessage.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "project/IStatusDisplay.h"

namespace vorelt {

void TShowMessage::ShowStatus(const std::string& text) {
    if (Trim(text).empty()) return;
    FCurrentText = text;
    FStack.push_back(text);
    if (FDisplay) FDisplay->ShowText(FCurrentText);
}

void TShowMessage::HideStatus() {
    if (!FStack.empty()) FStack.pop_back();
    if (!FStack.empty()) {
        FCurrentText = FStack.back();
        if (FDisplay) FDisplay->ShowText(FCurrentText);
    } else if (FDisplay) {
        FDisplay->HideText();
    }
}

TStatusGuard::TStatusGuard(TShowMessage* status, const std::string& text) : FStatus(status) {
    if (FStatus && !Trim(text).empty()) {
        FStatus->ShowStatus(text);
        FShown = true;
    }
}

TStatusGuard::~TStatusGuard() {
    if (FShown) FStatus->HideStatus();
}

} // namespace vorelt
