#include "TCommandRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vorelt::test {

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
    for (;;) {
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
    r.PeakKb = usage.ru_maxrss;
    if (!r.TimedOut) {
        if (WIFEXITED(status)) r.Status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) r.Signal = WTERMSIG(status);
    }
    std::ifstream in(errFile, std::ios::binary);
    r.Err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

} // namespace vorelt::test
