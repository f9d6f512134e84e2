#pragma once
// Running the tools as a user does, from a shell, with a time limit: their output and status.

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace vorelt::test {

inline const std::string Bin = VORELT_BINARY_DIR;

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct TRun {
    int Status = -1;
    std::string Output; // stdout and stderr
};

// Runs a shell command line with a time limit: a command that hangs ends with status 124.
inline TRun Shell(const std::string& command) {
    TRun r;
    std::FILE* p = ::popen(("timeout 60 sh -c " + Quote(command) + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.Output.append(buf.data(), n);
    const int status = ::pclose(p);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

inline std::string Export() {
    return Quote(Bin + "/tools/export/vorelt-export");
}
inline std::string Cli() {
    return Quote(Bin + "/tools/cli/vorelt-cli");
}

} // namespace vorelt::test
