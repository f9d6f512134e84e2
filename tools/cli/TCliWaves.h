#pragma once
// `vorelt-cli waves FILE [--index N] [--features]`: the waveforms of a transient database (or
// of the hit database beside one) or of a DiSP file, as machine text.

#include <ostream>
#include <string>
#include <vector>

namespace vorelt::cli {

// args[0] is "waves". Returns the exit code.
int RunWavesCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vorelt::cli
