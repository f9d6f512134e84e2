#pragma once
// The commands of vorelt-cli: information about a data file, a dump of its records, and its
// time-sorted and kind-filtered copies. The driver classes must be registered beforehand.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vorelt::cli {

// Runs one command; `args` excludes the program name. Results go to `out`, progress and error
// lines to `err`. Returns the exit status: 0 success, 1 failure of the operation, 2 usage.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Parses a comma-separated list of record kinds (0..15) into a kind set; false on a bad item.
bool ParseKinds(const std::string& list, uint16_t& kinds, std::string& message);

} // namespace vorelt::cli
