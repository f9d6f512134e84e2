#include "processing/location/TVallen.h"

#include "model/TAERecordProtocol.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocChannelTypes.h"
#include "processing/location/TLocList.h"

#include <algorithm>

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
    enum TState { Idle, Start, Open, GuardOpen };
    TState state = Idle;
    long double t1 = 0;
    long double tLast = 0;
    int32_t count = 0;
    int32_t first = -1;
    const long double fhcdt = FFHCDT;
    const long double dt1x = FDT1X_MAX;
    const long double dtnx = FDTNX_MAX;
    // Channel texts of the open event; only needed when a channel may give one hit per event.
    const bool trackChannels = !FAMHCH;
    std::vector<std::string> channels;
    TLocInputRecord r;
    error.clear();
    while (input.Next(r, trackChannels, error)) {
        if (r.Kind != rkHit) {
            list.AddPlain(r.ParentPos, r.Kind, r.EventFlags);
            continue;
        }
        const long double t = r.Time;
        for (bool consumed = false; !consumed;) {
            switch (state) {
            case Idle:
                if (tLast != 0 && t - tLast <= fhcdt) {
                    if (t < tLast) {
                        error = UnsortedText(processorName);
                        return false;
                    }
                    tLast = t;
                    list.AddDiscarded(r.ParentPos, r.Kind, r.EventFlags);
                    consumed = true;
                } else {
                    state = Start;
                }
                break;
            case Start: {
                const uint8_t type = types.Lookup(r.Chan);
                if (type != ctUnused) {
                    count = 1;
                    t1 = tLast = t;
                    channels.clear();
                    if (trackChannels) channels.push_back(r.ChanText);
                }
                if (type == ctNormal) {
                    first = list.AddFirst(r.ParentPos, r.Kind, r.EventFlags, r.Chan, r.Amp);
                    state = Open;
                } else if (type == ctGuard || type == ctCombined) {
                    state = GuardOpen;
                } else {
                    state = Idle;
                }
                consumed = true;
                break;
            }
            case Open:
            case GuardOpen:
                if (t - t1 <= dt1x && t - tLast <= dtnx) {
                    if (t < tLast) {
                        error = UnsortedText(processorName);
                        return false;
                    }
                    const uint8_t type = types.Lookup(r.Chan);
                    if (type == ctNormal || type == ctCombined) {
                        if (trackChannels && std::find(channels.begin(), channels.end(),
                                                       r.ChanText) != channels.end()) {
                            tLast = t;
                            state = Idle;
                        } else {
                            ++count;
                            tLast = t;
                            if (trackChannels) channels.push_back(r.ChanText);
                            if (state == Open)
                                list.AddMember(first, count, r.ParentPos, r.Kind, r.EventFlags,
                                               t - t1, r.Chan, r.Amp);
                        }
                    }
                    consumed = true;
                } else {
                    state = Idle;
                }
                break;
            }
        }
    }
    return error.empty();
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
