#pragma once
// One run of a command-line program with a time limit: how it ended and what it wrote to its
// error output.

#include <string>
#include <vector>

namespace vorelt::test {

struct TCommandResult {
    int Status = -1;       // exit status; -1 when it did not exit by itself
    int Signal = 0;        // the signal that ended it, 0 for none
    bool TimedOut = false; // killed at the time limit
    std::string Err;       // what it wrote to standard error
    double Seconds = 0;
    long PeakKb = 0; // the largest resident set of the program, in KiB
};

// Runs `args` (args[0] is the program) with standard input from /dev/null, standard output to
// `outFile` ("/dev/null" when empty) and standard error collected; the whole process group is
// killed after `timeoutSeconds`. `memoryLimitKb` (0: none) bounds the address space of the
// program, so that a runaway allocation ends it instead of the machine.
TCommandResult RunCommand(const std::vector<std::string>& args, double timeoutSeconds,
                          const std::string& errFile, const std::string& outFile = {},
                          long memoryLimitKb = 0);

} // namespace vorelt::test
