#pragma once
// How far a long fill of the views got, and when that is worth showing. A box that flashes up
// for a fill of a tenth of a second says nothing: the progress shows only once the fill has
// lasted about half a second. The time comes from a clock that tests replace.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vorelt {

// Milliseconds from any fixed start, never going back.
using TFillClock = std::function<int64_t()>;

// The clock of every fill; none brings back the steady clock.
void SetFillClock(TFillClock clock);
int64_t FillClockNow();

class TFillProgress {
public:
    static constexpr int64_t ShowAfterMs = 500;
    static constexpr int64_t RefreshMs = 40;

    TFillProgress();

    // `done` of `total` records passed; a total of 0 or less is not known.
    void Report(int64_t done, int64_t total);
    int64_t Done() const { return FDone; }
    int64_t Total() const { return FTotal; }
    // Whole percent, 0 to 100; 0 without a total.
    int Percent() const;
    // The fill has lasted long enough for its progress to be shown.
    bool DueToShow() const;
    // The window is due to be brought up to date (status, box, repaints, the user's input):
    // the first time, then once per RefreshMs. A walk reports every few milliseconds, and
    // repainting for each report costs the fill more than it reads.
    bool DueToRefresh();

    bool Stopped() const { return FStopped; }
    void Stop() { FStopped = true; }

private:
    int64_t FStart;
    int64_t FRefreshed = -1;
    int64_t FDone = 0;
    int64_t FTotal = 0;
    bool FStopped = false;
};

// Whole percent of `done` in `total`, 0 to 100; 0 without a total.
int PercentOf(int64_t done, int64_t total);
// A count for people, the thousands apart: "4 100 000".
std::string GroupedCount(int64_t n);
// "41 % (4 100 000 of 10 000 000 records)"; without a total "4 100 000 records".
std::string ProgressText(int64_t done, int64_t total);
// What a view stopped by the user says: "Stopped at 41 % (4 100 000 of 10 000 000 records)".
std::string StoppedText(int64_t done, int64_t total);

// The commands of the window that may run while a fill is going on: the others wait for it
// and are shown disabled. Only arranging the windows touches nothing the fill reads.
bool RunsDuringFill(std::string_view command);

} // namespace vorelt
