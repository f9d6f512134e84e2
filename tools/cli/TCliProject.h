#pragma once
// The project commands of vorelt-cli: a new project over a data file, and a headless opening
// of a project that lists its tree, pages and record counts, writes it back, or dumps the
// records that reach one processor.

#include <iosfwd>
#include <string>
#include <vector>

namespace vorelt::cli {

// True when `command` is a project command.
bool IsProjectCommand(const std::string& command);
// Runs "new-project" or "project"; `args` excludes the program name. Exit status as RunCli.
int RunProjectCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vorelt::cli
