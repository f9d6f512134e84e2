#include "viewmodel/graph/TSourceMarkers.h"

#include "processing/graph3d/TAEOBJ3D.h"
#include "processing/graph3d/TGraph3DData.h"
#include "processing/location/TGVCPUSourceLoc.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace vorelt {

namespace {

// The pipes a schema draws, by name (the first pipe of a name wins).
class TPipeCollector : public ISchemaScene {
public:
    void AddShape(const TSchemaShape& shape) override {
        if (shape.Kind == TShapeKind::Pipe && !Pipes.contains(shape.Label))
            Pipes.emplace(shape.Label, shape);
    }
    std::map<std::string, TSchemaShape> Pipes;
};

} // namespace

TGVCPUSourceLoc* SourceLocationAbove(TGVCPU* processor) {
    for (TGVCPU* p = processor; p; p = p->Parent())
        if (auto* s = dynamic_cast<TGVCPUSourceLoc*>(p)) return s;
    return nullptr;
}

std::vector<TSourceMarker> SourceMarkers(TGVCPUSourceLoc& source, TAEOBJ3D* schema,
                                         std::span<const int32_t> events) {
    std::vector<TSourceMarker> out;
    if (!source.EnsureComputed()) return out;
    TPipeCollector collector;
    if (schema) schema->Rebuild(&collector);
    const std::vector<TSourceEvent>& all = source.Events();
    const std::vector<std::string>& names = source.Pipes();
    // Zone key: pipe index and zone along it.
    using TZone = std::pair<int, int64_t>;
    std::vector<TZone> zones;
    auto place = [&](const TSourceEvent& e) {
        if (!e.Located) return;
        if (e.Pipe < 0 || static_cast<size_t>(e.Pipe) >= names.size()) return;
        const auto it = collector.Pipes.find(names[static_cast<size_t>(e.Pipe)]);
        if (it == collector.Pipes.end()) return;
        const TSchemaShape& pipe = it->second;
        const TPoint3& a = pipe.From;
        const TPoint3& b = pipe.To;
        const long double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
        // The scene draws the pipe at its element's scale (cm per scene unit); positions
        // count real millimetres from the pipe's start.
        const long double drawn = std::sqrt(dx * dx + dy * dy + dz * dz);
        const long double realMm = drawn * pipe.Scale * 10;
        if (!(realMm > 0) || !std::isfinite(e.Position)) return;
        const long double f = std::clamp<long double>(e.Position / realMm, 0, 1);
        TSourceMarker m;
        m.At = {a.X + f * dx, a.Y + f * dy, a.Z + f * dz};
        const TZone zone{e.Pipe,
                         std::min<int64_t>(static_cast<int64_t>(f * PipeZones), PipeZones - 1)};
        out.push_back(m);
        zones.push_back(zone);
    };
    if (events.empty()) {
        for (const TSourceEvent& e : all)
            place(e);
    } else {
        for (int32_t i : events)
            if (i >= 0 && static_cast<size_t>(i) < all.size()) place(all[static_cast<size_t>(i)]);
    }
    std::map<TZone, int32_t> counts;
    for (const TZone& z : zones)
        ++counts[z];
    int32_t busiest = 0;
    for (const auto& [z, n] : counts)
        busiest = std::max(busiest, n);
    for (size_t i = 0; i < out.size(); ++i) {
        const int64_t n = counts[zones[i]];
        // Rounded up, so that a lone event already shows; as the sensors' activity.
        const auto level = static_cast<int32_t>((ActivityLevels * n + busiest - 1) / busiest);
        out[i].Color = ActivityColor(level);
    }
    return out;
}

} // namespace vorelt
