#pragma once
// "Lockout/MPT Algorithm": an event takes the hits that arrive up to MPT after its first hit;
// hits after that and up to LockOut are discarded; the first hit beyond LockOut opens the
// next event. Both windows are measured from the event's first hit.

#include "processing/location/TLocation.h"

namespace vorelt {

class TLocOutMPT : public TLocation {
public:
    explicit TLocOutMPT(TGVCPULoc* owner = nullptr) : TLocation(lkLockOutMPT, owner) {}

    static std::string DisplayName() { return "Lockout/MPT Algorithm"; }
    std::string ClassName() const override { return "TLocOutMPT"; }
    std::string GetName() const override { return DisplayName(); }

    int32_t LockOut() const { return FLockOut; }
    int32_t MPT() const { return FMPT; }
    // Keep MPT <= LockOut.
    void SetLockOut(int32_t value);
    void SetMPT(int32_t value);

    bool Build(ILocInput& input, const TLocChannelTypes& types, const std::string& processorName,
               TLocList& list, std::string& error) const override;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

private:
    int32_t FLockOut = 0;
    int32_t FMPT = 0;
};

} // namespace vorelt
