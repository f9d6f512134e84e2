#pragma once
// The 31 event fields a location processor adds to the stream, in slot order.

#include <cstdint>
#include <string>

namespace vorelt {

class TAEFields;

// Standard ID and type code of slot k (0..30); an empty ID outside.
const std::string& LocSlotID(int k);
uint8_t LocSlotType(int k);
// Appends the 31 frozen system fields, group 6, to `set`.
void DeclareLocationFields(TAEFields& set);

} // namespace vorelt
