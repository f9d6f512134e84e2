#include "processing/location/TLocOutMPT.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocEventBuilder.h"

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
    using B = TLocEventBuilder;
    const long double mpt = FMPT;
    const long double lockOut = FLockOut;
    B b(types, processorName, list, error);
    return b.Run(input, false, [&](const TLocInputRecord& r, long double t) {
        if (b.State() == B::Idle) {
            if (b.TLast() != 0 && t < b.TLast()) return b.Unsorted();
            b.SetState(B::Start);
            return B::Again;
        }
        if (b.State() == B::Start) {
            b.StartEvent(r, t);
            return B::Consumed;
        }
        const long double dt = t - b.T1();
        if (dt <= mpt) {
            if (t < b.TLast()) return b.Unsorted();
            if (b.Joins(r)) b.AddHit(r, t);
            return B::Consumed;
        }
        if (dt <= lockOut) return b.Discard(r, t);
        b.SetState(B::Idle);
        return B::Again;
    });
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
