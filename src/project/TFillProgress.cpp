#include "project/TFillProgress.h"

#include <chrono>

namespace vorelt {

namespace {

TFillClock& Clock() {
    static TFillClock clock;
    return clock;
}

} // namespace

void SetFillClock(TFillClock clock) {
    Clock() = std::move(clock);
}

int64_t FillClockNow() {
    if (Clock()) return Clock()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TFillProgress::TFillProgress() : FStart(FillClockNow()) {}

void TFillProgress::Report(int64_t done, int64_t total) {
    FDone = done;
    FTotal = total;
}

int TFillProgress::Percent() const {
    return PercentOf(FDone, FTotal);
}

bool TFillProgress::DueToShow() const {
    return FillClockNow() - FStart >= ShowAfterMs;
}

bool TFillProgress::DueToRefresh() {
    const int64_t now = FillClockNow();
    if (FRefreshed >= 0 && now - FRefreshed < RefreshMs) return false;
    FRefreshed = now;
    return true;
}

int PercentOf(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0;
    if (done >= total) return 100;
    // Rounded down: 100 % only when every record was read.
    return static_cast<int>(done * 100 / total);
}

std::string GroupedCount(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (n < 0) out += '-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

std::string ProgressText(int64_t done, int64_t total) {
    if (total <= 0) return GroupedCount(done) + " records";
    return std::to_string(PercentOf(done, total)) + " % (" + GroupedCount(done) + " of " +
           GroupedCount(total) + " records)";
}

std::string StoppedText(int64_t done, int64_t total) {
    return "Stopped at " + ProgressText(done, total);
}

bool RunsDuringFill(std::string_view command) {
    return command == "mCascade" || command == "mTileVertically" || command == "mTileHorizontally";
}

} // namespace vorelt
