#include "processing/math/TGVComputedList.h"

namespace vorelt {

int32_t TGVComputedList::ComputedCount() {
    TAEPNav nav;
    return EnsureComputed(nav) ? EntryCount() : -1;
}

bool TGVComputedList::EnsureComputed(TAEPNav& nav) {
    if (!FComputed && !FFailed) Compute();
    if (FFailed) {
        ReportFailure(nav);
        return false;
    }
    return true;
}

void TGVComputedList::ComputeFailed(const std::string& text) {
    FComputed = false;
    FFailed = true;
    SetFailed(text);
}

void TGVComputedList::ForgetComputed() {
    FComputed = false;
    if (FFailed) {
        FFailed = false;
        FHasError = false;
        FErrorText.clear();
    }
}

void TGVComputedList::Changed(bool propagate) {
    Discard();
    TGVSource::Changed(propagate);
}

void TGVComputedList::Dispatch(TAEOMSG& msg) {
    const uint32_t kind = msg.Msg;
    TGVSource::Dispatch(msg);
    if (kind == omDataChanged || kind == omSourceState)
        Discard();
    else if (kind == omZIPChanged && UsesZIP())
        DispatchDataChanged();
}

} // namespace vorelt
