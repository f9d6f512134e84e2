#pragma once
// Two sides of a speed target measured in turns. On this kind of machine the first pass after a
// pause pays for fresh memory (cp of 1 GB takes 1.3 s once, then 0.3 s), and a side measured
// after the other would get the other's warm pages: so one untimed round first, then each
// iteration times both, in alternating order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace vorelt::bench {

inline double Millis(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// `reset` runs untimed before each side (removing a target, closing a file).
inline void Alternate(benchmark::State& state, const std::function<void()>& ours,
                      const std::function<void()>& theirs, const std::function<void()>& reset) {
    reset();
    ours();
    reset();
    theirs();
    std::vector<double> oursMs, theirsMs;
    for (auto _ : state) {
        const bool oursFirst = oursMs.size() % 2 == 0;
        for (int side = 0; side < 2; ++side) {
            reset();
            if ((side == 0) == oursFirst)
                oursMs.push_back(Millis(ours));
            else
                theirsMs.push_back(Millis(theirs));
        }
    }
    reset();
    if (oursMs.empty() || theirsMs.empty()) return;
    // Medians: a pass that meets cold memory now and then is not what either side costs.
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    state.counters["ours_ms"] = median(oursMs);
    state.counters["theirs_ms"] = median(theirsMs);
    state.counters["ratio"] = median(oursMs) / median(theirsMs);
    state.counters["ours_max_ms"] = *std::max_element(oursMs.begin(), oursMs.end());
    state.counters["theirs_max_ms"] = *std::max_element(theirsMs.begin(), theirsMs.end());
}

} // namespace vorelt::bench
