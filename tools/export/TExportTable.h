#pragma once
// vorelt-export PROJECT.xml NAME OUT.csv: opens the project and its data file, runs the table
// named NAME as the project window's "Run" would, and writes its rows as the table view's
// "Export CSV" writes them.

#include <ostream>
#include <string>
#include <vector>

namespace vorelt::exporttool {

// Exit codes: 0 written, 1 failed, 2 usage.
int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vorelt::exporttool
