#include "processing/filter/TGVCPUTurnOffFltr.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "persist/TErrors.h"

#include <algorithm>

namespace vorelt {

namespace {

// Times are milliseconds in floating point while the windows are whole microseconds; a
// nanosecond of slack keeps a neighbour that lies exactly on the window edge inside it
// despite the binary rounding of the times.
bool WithinUS(long double diffMS, int32_t deltaUS) {
    return diffMS * 1000.0L <= static_cast<long double>(deltaUS) + 1e-3L;
}

} // namespace

TGVCPUTurnOffFltr::TGVCPUTurnOffFltr() : TGVConditionFilter(pkTurnOffFltr, false) {}

void TGVCPUTurnOffFltr::SetDeltaBefore(int32_t us) {
    if (FRoot.DeltaBefore() == us) return;
    FRoot.SetDeltaBefore(us);
    Changed(true);
}

void TGVCPUTurnOffFltr::SetDeltaAfter(int32_t us) {
    if (FRoot.DeltaAfter() == us) return;
    FRoot.SetDeltaAfter(us);
    Changed(true);
}

bool TGVCPUTurnOffFltr::Located() {
    if (!FLocatedKnown) {
        FLocated = IsLocated();
        FLocatedKnown = true;
    }
    return FLocated;
}

bool TGVCPUTurnOffFltr::PassesThrough() {
    return !FEnabled || !FParent || Located();
}

void TGVCPUTurnOffFltr::DropResults(bool treeChanged) {
    Discard();
    // A location processor may have come or gone above.
    if (treeChanged) FLocatedKnown = false;
}

void TGVCPUTurnOffFltr::Dispatch(TAEOMSG& msg) {
    if (msg.Msg == omDataChanged || msg.Msg == omSourceState) Discard();
    // A record to mark that this processor does not keep is marked as none.
    if (msg.Msg == omMarkRecord && msg.List.empty()) msg.List.push_back(-1);
    TGVSource::Dispatch(msg);
}

void TGVCPUTurnOffFltr::ListToParent(std::vector<int32_t>& list) const {
    if (!FEnabled || !FParent || IsLocated()) return;
    if (!FComputed) {
        list.clear();
        return;
    }
    for (int32_t& i : list)
        i = i >= 0 && i < Size() ? FKept[static_cast<size_t>(i)].Pos : -1;
}

void TGVCPUTurnOffFltr::ListFromParent(std::vector<int32_t>& list) const {
    if (!FEnabled || !FParent || IsLocated()) return;
    if (!FComputed) {
        list.clear();
        return;
    }
    size_t n = 0;
    for (int32_t p : list) {
        auto it = std::lower_bound(FKept.begin(), FKept.end(), p,
                                   [](const TKept& k, int32_t pos) { return k.Pos < pos; });
        if (it != FKept.end() && it->Pos == p) list[n++] = static_cast<int32_t>(it - FKept.begin());
    }
    list.resize(n);
}

void TGVCPUTurnOffFltr::Discard() {
    FComputed = false;
    FFailed = false;
    FFailText.clear();
    FKept.clear();
    FKept.shrink_to_fit();
    FCache.clear();
    FCache.shrink_to_fit();
    FHead = 0;
    FMarkedEnd = 0;
}

// --- Computation ----------------------------------------------------------------------------

void TGVCPUTurnOffFltr::Settle(const long double* now, bool final) {
    const int32_t before = FRoot.DeltaBefore();
    while (FHead < FCache.size()) {
        const TPending& e = FCache[FHead];
        if (e.Kind == rkHit && !e.Removed && !final && (!now || WithinUS(*now - e.TimeMS, before)))
            break;
        if (e.Kind != rkHit || !e.Removed) FKept.push_back({e.Pos, e.Kind, e.EventFlags});
        ++FHead;
    }
    // Settled entries are dropped from time to time, so the cache stays as large as the
    // widest window and not as the stream.
    if (FHead >= 4096 && FHead * 2 >= FCache.size()) {
        FCache.erase(FCache.begin(), FCache.begin() + static_cast<std::ptrdiff_t>(FHead));
        FMarkedEnd = FMarkedEnd > FHead ? FMarkedEnd - FHead : 0;
        FHead = 0;
    }
}

void TGVCPUTurnOffFltr::Compute() {
    FKept.clear();
    FCache.clear();
    FHead = 0;
    FMarkedEnd = 0;
    FPeakCache = 0;
    PrepareRecord(FScratch);
    PrepareRecord(FRecord);
    const int timePos = FScratch.Fields().IndexOfID(fidTimeMS);
    FRoot.Bind(FScratch.Fields(), ConditionVariants());
    const int32_t after = FRoot.DeltaAfter();
    const int32_t before = FRoot.DeltaBefore();
    FNav = TAEPNav{};
    bool haveHit = false, haveTrigger = false;
    long double lastTime = 0, lastTrigger = 0;
    try {
        if (timePos < 0) throw EAEError(std::string(txtFieldNotFound) + "[" + fidTimeMS + "]");
        int32_t i = FParent->FirstRecord(FNav, FRecord, -1);
        while (!(FNav.Out.Status & nsEndForward)) {
            if (FNav.Out.Status & nsError) throw EAEError(FNav.Out.Message);
            const uint8_t kind = FNav.Out.Kind;
            const uint8_t events = FNav.Out.EventFlags;
            if (kind != rkHit) {
                FCache.push_back({i, kind, events, false, lastTime});
                Settle(nullptr, false);
            } else {
                FReadNav.Kinds = 0;
                FReadNav.Out.Status = nsPositioned;
                FParent->ReadRecord(FReadNav, FScratch, i);
                if (FReadNav.Out.Status & nsError) throw EAEError(FReadNav.Out.Message);
                const TAEField* time = FScratch.Field(timePos);
                if (!time || time->IsNull()) {
                    // A hit without a time lies in no window: it is removed and triggers
                    // nothing.
                    FCache.push_back({i, kind, events, true, lastTime});
                    Settle(nullptr, false);
                } else {
                    const long double t = time->GetAsFloat();
                    if (haveHit && t < lastTime) throw EAEError("UnSorted File[" + FName + "]");
                    haveHit = true;
                    lastTime = t;
                    Settle(&t, false);
                    bool trigger;
                    try {
                        trigger = FRoot.Evaluate(FScratch);
                    } catch (...) {
                        // Every test whose window holds this hit would raise on it.
                        trigger = true;
                    }
                    const bool removed =
                        trigger || (haveTrigger && WithinUS(t - lastTrigger, after));
                    FCache.push_back({i, kind, events, removed, t});
                    if (trigger) {
                        // Hits read earlier whose DeltaBefore window reaches this one. Later
                        // triggers start where this one stopped, so each entry is looked at
                        // once.
                        size_t k = FCache.size() - 1;
                        const size_t stop = std::max(FHead, FMarkedEnd);
                        while (k > stop) {
                            TPending& q = FCache[--k];
                            if (q.Kind != rkHit) continue;
                            if (!WithinUS(t - q.TimeMS, before)) break;
                            q.Removed = true;
                        }
                        FMarkedEnd = FCache.size();
                        haveTrigger = true;
                        lastTrigger = t;
                    }
                    FPeakCache = std::max(FPeakCache, FCache.size() - FHead);
                }
            }
            i = FParent->NextRecord(FNav, FRecord, i);
        }
        Settle(nullptr, true);
        FCache.clear();
        FCache.shrink_to_fit();
        FComputed = true;
    } catch (const std::exception& e) {
        FKept.clear();
        FCache.clear();
        FFailed = true;
        FFailText = e.what();
        if (FFailText.empty()) FFailText = FNav.Out.Message;
    }
}

bool TGVCPUTurnOffFltr::Ready(TAEPNav& nav) {
    if (!FComputed && !FFailed) Compute();
    if (FFailed) {
        nav.Out.Status = nsError;
        nav.Out.EventFlags = 0;
        nav.Out.Message = FFailText;
        return false;
    }
    return true;
}

// --- Record protocol ------------------------------------------------------------------------

int32_t TGVCPUTurnOffFltr::Scan(TAEPNav& nav, int32_t from, int step, uint8_t none) const {
    for (int32_t i = from; i >= 0 && i < Size(); i += step) {
        const TKept& k = FKept[static_cast<size_t>(i)];
        if (KindAdmitted(nav.Kinds, k.Kind)) {
            nav.Out.Status = nsPositioned;
            nav.Out.Kind = k.Kind;
            nav.Out.EventFlags = k.EventFlags;
            return i;
        }
    }
    nav.Out.Status = none;
    nav.Out.EventFlags = 0;
    return -1;
}

bool TGVCPUTurnOffFltr::OutOfRange(TAEPNav& nav, int32_t index) const {
    if (index >= 0 && index < Size()) return false;
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    return true;
}

int32_t TGVCPUTurnOffFltr::FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (PassesThrough()) return TGVSource::FirstRecord(nav, record, start);
    nav.Out.State = GetSourceState();
    if (!Ready(nav)) return -1;
    nav.Out.Message.clear();
    return Scan(nav, 0, +1, nsNoRecord);
}

int32_t TGVCPUTurnOffFltr::LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (PassesThrough()) return TGVSource::LastRecord(nav, record, start);
    nav.Out.State = GetSourceState();
    if (!Ready(nav)) return -1;
    nav.Out.Message.clear();
    return Scan(nav, Size() - 1, -1, nsNoRecord);
}

int32_t TGVCPUTurnOffFltr::NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (PassesThrough()) return TGVSource::NextRecord(nav, record, index);
    nav.Out.State = GetSourceState();
    if (!Ready(nav) || OutOfRange(nav, index)) return -1;
    if (index == Size() - 1) {
        nav.Out.Status = nsEndForward;
        return index;
    }
    return Scan(nav, index + 1, +1, nsEndForward);
}

int32_t TGVCPUTurnOffFltr::PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (PassesThrough()) return TGVSource::PriorRecord(nav, record, index);
    nav.Out.State = GetSourceState();
    if (!Ready(nav) || OutOfRange(nav, index)) return -1;
    if (index == 0) {
        nav.Out.Status = nsStartBackward;
        return 0;
    }
    return Scan(nav, index - 1, -1, nsStartBackward);
}

void TGVCPUTurnOffFltr::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (PassesThrough()) {
        TGVSource::ReadRecord(nav, record, index);
        return;
    }
    if (!Ready(nav) || OutOfRange(nav, index)) return;
    const TKept& k = FKept[static_cast<size_t>(index)];
    FParent->ReadRecord(nav, record, k.Pos);
    record.SetRecFlags(static_cast<uint8_t>(record.RecFlags() | k.EventFlags));
    nav.Out.EventFlags = k.EventFlags;
}

int32_t TGVCPUTurnOffFltr::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (PassesThrough()) return TGVSource::RecordCount(nav, record);
    if (!Ready(nav)) return 0;
    if (nav.Kinds == 0) return Size();
    return CountByWalking(nav, record);
}

} // namespace vorelt
