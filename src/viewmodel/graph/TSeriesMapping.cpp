#include "viewmodel/graph/TSeriesMapping.h"

namespace vorelt {

TSeriesMapping::TSeriesMapping(const ICoordConvert* converter, uint16_t flags)
    : FConverter(converter), FScaleX(ScaleXOf(flags)), FScaleY(ScaleYOf(flags)) {
    if (const auto* m = dynamic_cast<const TCoordMapping*>(converter)) {
        FFast = true;
        FKx = FScaleX ? static_cast<double>((m->Width() - 5) / m->GetLogicalWidth()) : 1.0;
        FKy = FScaleY ? static_cast<double>((m->Height() - 5) / m->GetLogicalHeight()) : 1.0;
    }
}

bool TSeriesMapping::SlowMap(double x, double y, int32_t& devX, int32_t& devY) const {
    if (!FConverter || !std::isfinite(x) || !std::isfinite(y)) return false;
    FConverter->LogicalToDevice(FScaleX, FScaleY, x, y, devX, devY);
    return true;
}

} // namespace vorelt
