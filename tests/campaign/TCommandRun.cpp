#include "TCommandRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vorelt::test {

namespace {

// The peak resident memory of a running process in KiB ("VmHWM"), 0 when it cannot be read.
// The kernel's figure of a child reaped by wait4 starts from the peak of the parent that
// spawned it (the child shares its memory until exec), so the campaign reads the child's own.
long PeakOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

} // namespace

TCommandResult RunCommand(const std::vector<std::string>& args, double timeoutSeconds,
                          const std::string& errFile, const std::string& outFile,
                          long memoryLimitKb) {
    TCommandResult r;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = outFile.empty() ? "/dev/null" : outFile;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    // The limit is set around the spawn: the child inherits it, the campaign keeps its own.
    struct rlimit before {};
    const bool limited = memoryLimitKb > 0 && ::getrlimit(RLIMIT_AS, &before) == 0;
    if (limited) {
        struct rlimit lim = before;
        lim.rlim_cur = static_cast<rlim_t>(memoryLimitKb) * 1024;
        if (before.rlim_max != RLIM_INFINITY && lim.rlim_cur > before.rlim_max)
            lim.rlim_cur = before.rlim_max;
        ::setrlimit(RLIMIT_AS, &lim);
    }
    const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
    if (limited) ::setrlimit(RLIMIT_AS, &before);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        r.Err = "cannot start " + args[0];
        return r;
    }
    int status = 0;
    struct rusage usage {};
    auto wait = std::chrono::microseconds(200);
    long peak = 0;
    for (;;) {
        // Before reaping: a zombie has no memory left to measure.
        peak = std::max(peak, PeakOf(pid));
        const pid_t got = ::wait4(pid, &status, WNOHANG, &usage);
        if (got == pid) break;
        if (got < 0 && errno != EINTR) break;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeoutSeconds) {
            r.TimedOut = true;
            ::kill(-pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(wait);
        wait = std::min(wait * 2, std::chrono::microseconds(2000));
    }
    r.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.PeakKb = peak > 0 ? peak : usage.ru_maxrss;
    if (!r.TimedOut) {
        if (WIFEXITED(status)) r.Status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) r.Signal = WTERMSIG(status);
    }
    std::ifstream in(errFile, std::ios::binary);
    r.Err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

} // namespace vorelt::test
