#pragma once
// CPU time of this process and of the commands it ran. Benchmarks that compare with a shell
// command (cat, cp) report the command's CPU, which their own CPU column does not see, and split
// their own time into user and system: the system part of opening a file is the copy out of the
// page cache and the first touch of fresh memory, whose cost varies most between machines.

#include <sys/resource.h>

namespace vorelt::bench {

struct TProcessCpu {
    double User = 0;   // seconds
    double System = 0; // seconds
};

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

inline TProcessCpu SelfCpu() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return {Seconds(u.ru_utime), Seconds(u.ru_stime)};
}

// User and system seconds together of the finished child processes so far.
inline double ChildCpu() {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

} // namespace vorelt::bench
