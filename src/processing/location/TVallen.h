#pragma once
// "Vallen Algorithm": an event takes the hits that arrive up to DT1X_MAX after its first hit
// and up to DTNX_MAX after its previous hit; after an event, hits closer than FHCDT to the
// latest one are discarded, each moving the window on. Without AMHCH a channel contributes
// one hit per event, and its second hit ends the event.

#include "processing/location/TLocation.h"

namespace vorelt {

class TVallen : public TLocation {
public:
    explicit TVallen(TGVCPULoc* owner = nullptr) : TLocation(lkVallen, owner) {}

    static std::string DisplayName() { return "Vallen Algorithm"; }
    std::string ClassName() const override { return "TVallen"; }
    std::string GetName() const override { return DisplayName(); }

    int32_t FHCDT() const { return FFHCDT; }
    int32_t DT1X_MAX() const { return FDT1X_MAX; }
    int32_t DTNX_MAX() const { return FDTNX_MAX; }
    bool AMHCH() const { return FAMHCH; }
    // Keep FHCDT >= DTNX_MAX and DT1X_MAX >= DTNX_MAX.
    void SetFHCDT(int32_t value);
    void SetDT1X_MAX(int32_t value);
    void SetDTNX_MAX(int32_t value);
    void SetAMHCH(bool value) { FAMHCH = value; }

    bool Build(ILocInput& input, const TLocChannelTypes& types, const std::string& processorName,
               TLocList& list, std::string& error) const override;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

private:
    int32_t FFHCDT = 0;
    int32_t FDT1X_MAX = 0;
    int32_t FDTNX_MAX = 0;
    bool FAMHCH = false;
};

} // namespace vorelt
