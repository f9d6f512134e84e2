#pragma once
// The peak of this process' anonymous memory (heap and private mappings) over a stretch of
// work, sampled from /proc/self/status on a thread. Pages of a mapped data file count as file
// memory and stay out of it, so the peak is what the work holds beyond the mapped file.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace vorelt::bench {

// RssAnon in bytes, 0 where the kernel does not report it.
inline long long AnonBytes() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "RssAnon:", 8) == 0) {
            std::sscanf(line + 8, "%lld", &kb);
            break;
        }
    std::fclose(f);
    return kb * 1024;
}

// Samples from construction to Stop(); Growth() is the peak above the level at the start.
class TAnonPeak {
public:
    TAnonPeak() : FStart(AnonBytes()), FPeak(FStart) {
        FThread = std::thread([this] {
            while (!FStop.load(std::memory_order_relaxed)) {
                Sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~TAnonPeak() { Stop(); }
    TAnonPeak(const TAnonPeak&) = delete;
    TAnonPeak& operator=(const TAnonPeak&) = delete;
    void Stop() {
        if (!FThread.joinable()) return;
        FStop = true;
        FThread.join();
        Sample();
    }
    long long Growth() const { return FPeak.load() - FStart; }

private:
    void Sample() {
        const long long now = AnonBytes();
        long long peak = FPeak.load();
        while (now > peak && !FPeak.compare_exchange_weak(peak, now)) {
        }
    }
    long long FStart;
    std::atomic<long long> FPeak;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

} // namespace vorelt::bench
