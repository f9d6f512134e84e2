#pragma once
// The texts of a project window's status line.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

// "None", "Open", "Opening", "Load", "Loading", "Close", "Closing", "Saving", "Init", "Ready";
// empty for other values.
std::string StateName(uint8_t state);
// The state text of the status line followed by what opening found wrong with the data file:
// "Ready; warning: ...".
std::string StatusWithWarnings(const std::string& state, const std::vector<std::string>& warnings);

} // namespace vorelt
