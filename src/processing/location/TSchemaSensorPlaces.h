#pragma once
// The sensors of a pipe schema as a sensor layout: every sensor with a channel takes its pipe's
// name, its offset along that pipe and its place in the schema's computed coordinates, so that
// linear location measures along the pipes the schema draws.

#include "processing/location/TSensorLayout.h"

#include <string>

namespace vorelt {

class TAEOBJ3D;

// Computes the schema and places its sensors in `layout`: a channel the layout has keeps its
// entry with the schema's place; a new channel is added. False, with the layout unchanged,
// when a channel is refused ("Invalid Channel 200", "Duplicate Channel 3" for two sensors of
// one channel in the schema).
bool PlaceSensorsFromSchema(TAEOBJ3D& schema, TSensorLayout& layout, std::string& error);

} // namespace vorelt
