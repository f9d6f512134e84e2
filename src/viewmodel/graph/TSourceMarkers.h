#pragma once
// Where the located events of a source-location processor sit in a pipe schema's scene: a
// point along its pipe for every event located on a pipe the schema draws, and a colour for
// how many events share its zone (a tenth of the pipe), in the activity colours of the 3D
// graph. Plain data for one draw call of all markers.

#include "processing/graph3d/TObj3DTypes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vorelt {

class TAEOBJ3D;
class TGVCPU;
class TGVCPUSourceLoc;

struct TSourceMarker {
    TPoint3 At;         // scene units (m)
    uint32_t Color = 0; // 0xRRGGBB
};

inline constexpr int PipeZones = 10;

// The source-location processor `processor` reads from: itself or the nearest one above it;
// none when there is none.
TGVCPUSourceLoc* SourceLocationAbove(TGVCPU* processor);

// The markers of the located events of `source`; with `events` only of those event indices
// (the records a graph below collected), otherwise of all. Events not located, off the pipes
// or on a pipe that the schema does not draw are left out.
std::vector<TSourceMarker> SourceMarkers(TGVCPUSourceLoc& source, TAEOBJ3D* schema,
                                         std::span<const int32_t> events = {});

} // namespace vorelt
