#include "viewmodel/graph/TGraphLegend.h"

#include "viewmodel/canvas/TColorContrast.h"

namespace vorelt {

std::vector<TLegendEntry> GraphLegend(const TSeriesGrList& series,
                                      const std::vector<int32_t>& splitChannels,
                                      const std::function<std::string(const TSeriesGr&)>& name,
                                      TColor background) {
    std::vector<const TSeriesGr*> shown;
    for (int i = 0; i < series.Count(); ++i)
        if (const TSeriesGr* s = series.Get(i); s && s->Visible()) shown.push_back(s);
    std::vector<TLegendEntry> entries;
    const bool several = shown.size() > 1;
    for (const TSeriesGr* s : shown) {
        const std::string own = several && name ? name(*s) : std::string();
        const bool bar = s->TypeSeries() == stHistigram;
        if (s->SplittingChan() && !splitChannels.empty()) {
            for (int32_t channel : splitChannels) {
                if (channel < 1 || channel > PaletteSize) continue;
                const std::string text = "Chan " + std::to_string(channel);
                entries.push_back({own.empty() ? text : own + ", " + text,
                                   ReadableOn(PaletteColor(channel), background), bar});
            }
        } else if (several) {
            const TColor c = s->Color() != -1 ? PaletteColor(s->Color()) : clGray;
            entries.push_back({own, ReadableOn(c, background), bar});
        }
    }
    return entries;
}

} // namespace vorelt
