#include "processing/location/TLocOutMPT.h"

#include "model/TAERecordProtocol.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocList.h"

namespace vorelt {

void TLocOutMPT::SetLockOut(int32_t value) {
    if (value == FLockOut) return;
    FLockOut = value;
    if (FLockOut < FMPT) FMPT = FLockOut;
}

void TLocOutMPT::SetMPT(int32_t value) {
    if (value == FMPT) return;
    FMPT = value > FLockOut ? FLockOut : value;
}

bool TLocOutMPT::Build(ILocInput& input, const TLocChannelTypes& types,
                       const std::string& processorName, TLocList& list, std::string& error) const {
    enum TState { Idle, Start, Open, GuardOpen };
    TState state = Idle;
    long double t1 = 0;
    long double tLast = 0;
    int32_t count = 0;
    int32_t first = -1;
    const long double mpt = FMPT;
    const long double lockOut = FLockOut;
    TLocInputRecord r;
    error.clear();
    while (input.Next(r, false, error)) {
        if (r.Kind != rkHit) {
            // A non-hit never opens, joins or closes an event.
            list.AddPlain(r.ParentPos, r.Kind, r.EventFlags);
            continue;
        }
        const long double t = r.Time;
        for (bool consumed = false; !consumed;) {
            switch (state) {
            case Idle:
                if (tLast != 0 && t < tLast) {
                    error = UnsortedText(processorName);
                    return false;
                }
                state = Start;
                break;
            case Start:
                switch (types.Lookup(r.Chan)) {
                case ctNormal:
                    count = 1;
                    t1 = tLast = t;
                    first = list.AddFirst(r.ParentPos, r.Kind, r.EventFlags, r.Chan, r.Amp);
                    state = Open;
                    break;
                case ctGuard:
                case ctCombined:
                    count = 1;
                    t1 = tLast = t;
                    state = GuardOpen;
                    break;
                default:
                    state = Idle;
                    break;
                }
                consumed = true;
                break;
            case Open:
            case GuardOpen: {
                const long double dt = t - t1;
                if (dt <= mpt) {
                    if (t < tLast) {
                        error = UnsortedText(processorName);
                        return false;
                    }
                    const uint8_t type = types.Lookup(r.Chan);
                    if (type == ctNormal || type == ctCombined) {
                        ++count;
                        tLast = t;
                        if (state == Open)
                            list.AddMember(first, count, r.ParentPos, r.Kind, r.EventFlags, dt,
                                           r.Chan, r.Amp);
                    }
                    consumed = true;
                } else if (dt <= lockOut) {
                    // The latest time may not run backwards here either, or a later unsorted
                    // hit would slip past the order checks.
                    if (t < tLast) {
                        error = UnsortedText(processorName);
                        return false;
                    }
                    tLast = t;
                    list.AddDiscarded(r.ParentPos, r.Kind, r.EventFlags);
                    consumed = true;
                } else {
                    state = Idle;
                }
                break;
            }
            }
        }
    }
    return error.empty();
}

void TLocOutMPT::SaveToNode(TNodePersist& node) const {
    TLocation::SaveToNode(node);
    node.AddItem("LockOut", IntToStr(FLockOut));
    node.AddItem("MPT", IntToStr(FMPT));
}

void TLocOutMPT::LoadFromNode(const TNodePersist& node) {
    LoadInt(node, "LockOut", FLockOut);
    LoadInt(node, "MPT", FMPT);
}

} // namespace vorelt
