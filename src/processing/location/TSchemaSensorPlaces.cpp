#include "processing/location/TSchemaSensorPlaces.h"

#include "persist/TNumberFormat.h"
#include "processing/graph3d/TAEOBJ3DPAEPS.h"
#include "processing/graph3d/TAEOBJ3DPipePS.h"

#include <functional>
#include <set>

namespace vorelt {

bool PlaceSensorsFromSchema(TAEOBJ3D& schema, TSensorLayout& layout, std::string& error) {
    schema.ResetComputed();
    schema.Compute();
    TSensorLayout placed = layout;
    std::set<int32_t> seen;
    bool ok = true;
    std::function<void(TAEOBJ3D&)> walk = [&](TAEOBJ3D& o) {
        if (!ok) return;
        if (auto* pae = dynamic_cast<TAEOBJ3DPAEPS*>(&o); pae && pae->Channel() != 0) {
            TSensor s;
            s.Chan = pae->Channel();
            if (!seen.insert(s.Chan).second) {
                error = "Duplicate Channel " + IntToStr(s.Chan);
                ok = false;
                return;
            }
            // The schema counts in metres, the layout in millimetres.
            TPoint3 p;
            if (pae->CoordPoint(0, p)) {
                s.X = static_cast<double>(p.X) * 1000;
                s.Y = static_cast<double>(p.Y) * 1000;
                s.Z = static_cast<double>(p.Z) * 1000;
            }
            if (auto* pipe = dynamic_cast<TAEOBJ3DPipePS*>(o.Parent())) {
                s.Pipe = pipe->Text();
                s.Along = static_cast<double>(pae->PropertyFloat("DeltaLength")) * 1000;
            }
            placed.Remove(s.Chan);
            if (!placed.Add(s, error)) {
                ok = false;
                return;
            }
        }
        for (int i = 0; i < o.ChildCount(); ++i)
            walk(*o.Child(i));
    };
    walk(schema);
    if (ok) layout = placed;
    return ok;
}

} // namespace vorelt
