#pragma once
// `vorelt-cli locate FILE --sensors LAYOUT.csv --velocity V [--method planar|linear]
// [--window US]`: groups the hits of a data file into events as the location processor does
// and writes where each event's source lies, one ";"-separated row per event.

#include <ostream>
#include <string>
#include <vector>

namespace vorelt::cli {

// args[0] is "locate". Returns the exit code.
int RunLocateCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vorelt::cli
