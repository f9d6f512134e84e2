#include "viewmodel/drawables/TGraphAEVObject.h"

#include "viewmodel/graph/TSeriesMapping.h"

#include <algorithm>

namespace vorelt {

TGraphAEVObject::TGraphAEVObject() {
    FScaleX = 1;
    FScaleY = 1;
}

void TGraphAEVObject::Dispatch(TAEVMessage& msg) {
    if (msg.Msg == AEVM_BACKDBLCLICK) {
        if (msg.Info) msg.Info->HitKind = hkNone;
        HandleEvent(oeBackDblClick, msg);
        return;
    }
    TBaseAEVObject::Dispatch(msg);
}

void TGraphAEVObject::FindPointAt(THitInfo& info) {
    info.HitKind = hkNone;
    const TSeriesMapping map(Converter(), ScaleFlags());
    const uint8_t* flags = FPoints.FlagsData();
    const double* xs = FPoints.XData();
    const double* ys = FPoints.YData();
    const TDevicePoint mouse{info.DevX, info.DevY};
    for (int i = FPoints.Count() - 1; i >= 0; --i) {
        if (flags[i] & (pfDeleted | pfChannelHidden)) continue;
        int32_t x = 0;
        int32_t y = 0;
        if (!map.Map(xs[i], ys[i], x, y)) continue;
        if (std::abs(x - mouse.X) <= info.Tolerance && std::abs(y - mouse.Y) <= info.Tolerance) {
            info.HitKind = hkHandle;
            info.HitIndex = i;
            info.Distance = 0;
            return;
        }
    }
}

void TGraphAEVObject::ClearValues() {
    ClearIndex();
    ClearPoints();
}

int TGraphAEVObject::FindPosition(int32_t position) const {
    const int32_t* tags = FPoints.TagData();
    const int32_t* end = tags + FPoints.Count();
    const int32_t* it = std::lower_bound(tags, end, position);
    return it != end && *it == position ? static_cast<int>(it - tags) : -1;
}

void TGraphAEVObject::FlagPositions(const std::vector<int32_t>& positions, uint8_t bit,
                                    bool value) {
    for (int32_t pos : positions) {
        const int i = FindPosition(pos);
        if (i >= 0) FPoints.SetFlag(i, bit, value);
    }
}

} // namespace vorelt
