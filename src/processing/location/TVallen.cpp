#include "processing/location/TVallen.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocEventBuilder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vorelt {

void TVallen::SetFHCDT(int32_t value) {
    if (value == FFHCDT) return;
    FFHCDT = value < FDTNX_MAX ? FDTNX_MAX : value;
}

void TVallen::SetDT1X_MAX(int32_t value) {
    if (value == FDT1X_MAX) return;
    FDT1X_MAX = value < FDTNX_MAX ? FDTNX_MAX : value;
}

void TVallen::SetDTNX_MAX(int32_t value) {
    if (value == FDTNX_MAX) return;
    FDTNX_MAX = value;
    if (FFHCDT < FDTNX_MAX) FFHCDT = FDTNX_MAX;
    if (FDT1X_MAX < FDTNX_MAX) FDT1X_MAX = FDTNX_MAX;
}

bool TVallen::Build(ILocInput& input, const TLocChannelTypes& types,
                    const std::string& processorName, TLocList& list, std::string& error) const {
    using B = TLocEventBuilder;
    const long double fhcdt = FFHCDT;
    const long double dt1x = FDT1X_MAX;
    const long double dtnx = FDTNX_MAX;
    // Channel texts of the open event; only needed when a channel may give one hit per event.
    const bool trackChannels = !FAMHCH;
    std::vector<std::string> channels;
    B b(types, processorName, list, error);
    return b.Run(input, trackChannels, [&](const TLocInputRecord& r, long double t) {
        if (b.State() == B::Idle) {
            if (b.TLast() != 0 && t - b.TLast() <= fhcdt) return b.Discard(r, t);
            b.SetState(B::Start);
            return B::Again;
        }
        if (b.State() == B::Start) {
            if (b.StartEvent(r, t)) {
                channels.clear();
                if (trackChannels) channels.push_back(r.ChanText);
            }
            return B::Consumed;
        }
        if (t - b.T1() <= dt1x && t - b.TLast() <= dtnx) {
            if (t < b.TLast()) return b.Unsorted();
            if (!b.Joins(r)) return B::Consumed;
            if (trackChannels &&
                std::find(channels.begin(), channels.end(), r.ChanText) != channels.end()) {
                b.CloseAt(t);
            } else {
                b.AddHit(r, t);
                if (trackChannels) channels.push_back(r.ChanText);
            }
            return B::Consumed;
        }
        b.SetState(B::Idle);
        return B::Again;
    });
}

void TVallen::SaveToNode(TNodePersist& node) const {
    TLocation::SaveToNode(node);
    node.AddItem("FHCDT", IntToStr(FFHCDT));
    node.AddItem("DT1X_MAX", IntToStr(FDT1X_MAX));
    node.AddItem("DTNX_MAX", IntToStr(FDTNX_MAX));
    node.AddItem("AMHCH", FAMHCH ? "1" : "0");
}

void TVallen::LoadFromNode(const TNodePersist& node) {
    LoadInt(node, "FHCDT", FFHCDT);
    LoadInt(node, "DT1X_MAX", FDT1X_MAX);
    LoadInt(node, "DTNX_MAX", FDTNX_MAX);
    const std::string amhch = node.GetValue("AMHCH");
    if (!amhch.empty()) FAMHCH = amhch == "1";
}

} // namespace vorelt
