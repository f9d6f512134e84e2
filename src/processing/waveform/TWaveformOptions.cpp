#include "processing/waveform/TWaveformOptions.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/IProcessorContext.h"
#include "processing/TGVCPU.h"

#include <cmath>

namespace vorelt {

const char* TWaveformOptions::PickerName(TArrivalPicker picker) {
    switch (picker) {
    case TArrivalPicker::Hinkley:
        return "Hinkley Criterion";
    case TArrivalPicker::Aic:
        return "Akaike Information Criterion";
    case TArrivalPicker::EnergyRatio:
        return "Energy Ratio";
    case TArrivalPicker::ModifiedEnergyRatio:
        return "Modified Energy Ratio";
    }
    return "";
}

bool TWaveformOptions::ValidBounds(const std::array<double, BandCount + 1>& bounds) {
    if (!std::isfinite(bounds[0]) || bounds[0] < 0) return false;
    for (int i = 1; i <= BandCount; ++i)
        if (!std::isfinite(bounds[size_t(i)]) || !(bounds[size_t(i)] > bounds[size_t(i - 1)]))
            return false;
    return true;
}

void TWaveformOptions::SaveToNode(TNodePersist& node) const {
    node.AddItem("Picker", IntToStr(static_cast<int>(Picker)));
    for (int i = 0; i <= BandCount; ++i)
        node.AddItem("Band" + std::to_string(i), FloatToStr(Bounds[size_t(i)]));
}

void TWaveformOptions::LoadFromNode(const TNodePersist& node) {
    int32_t picker = 0;
    if (TryStrToInt(node.GetValue("Picker"), picker) && picker >= 0 && picker < ArrivalPickerCount)
        Picker = static_cast<TArrivalPicker>(picker);
    std::array<double, BandCount + 1> bounds = Bounds;
    for (int i = 0; i <= BandCount; ++i) {
        long double v = 0;
        if (TryStrToFloat(node.GetValue("Band" + std::to_string(i)), v))
            bounds[size_t(i)] = static_cast<double>(v);
    }
    Bounds = ValidBounds(bounds) ? bounds : DefaultBounds;
}

const TWaveformOptions& FindWaveformOptions(TGVCPU& processor) {
    static const TWaveformOptions defaults;
    TGVCPU* db = processor.GetDb();
    const IProjectWaveformOptions* candidates[] = {
        dynamic_cast<IProjectWaveformOptions*>(db),
        dynamic_cast<IProjectWaveformOptions*>((db ? db : &processor)->Context())};
    for (const IProjectWaveformOptions* candidate : candidates)
        if (candidate)
            if (const TWaveformOptions* o = candidate->ProjectWaveformOptions()) return *o;
    return defaults;
}

} // namespace vorelt
