#pragma once
// Reading a graph's records: one data point per record, the series' members, bins and drawn
// points, and the ranges of the three axes. The view hands in its axes, series and time-mark
// taker; time marks, add-ons and the final rescale are the view's.

#include "processing/graph/TGraphTypes.h"
#include "processing/graph/TSeriesGr.h"

#include <functional>
#include <string>
#include <vector>

namespace vorelt {

class TGVCPU;

struct TGraphFillRequest {
    TGVCPU* Processor = nullptr;
    TGraphRun Axes;
    TSeriesGrList* Series = nullptr;
    bool FirstHitOnly = false;
    // Asked now and then; true ends the fill like an error with the message "Abort".
    std::function<bool()> Aborted;
    // Records passed so far of the records of the file (0: not known), now and then.
    std::function<void(int64_t, int64_t)> Progress;
    // A time-mark record (data point index, bottom value) while the bottom field is a time.
    std::function<void(int32_t, long double)> TakeTimeMark;
    // The series keep their members after the fill, so that the caller can build point
    // plots again while the data points still exist; the caller clears them.
    bool KeepMembers = false;
};

struct TGraphFillResult {
    // One per record read with a bottom value, kept only when a series works from them
    // (every type but histograms); Records counts them either way.
    std::vector<TGraphDataPoint> Points;
    int64_t Records = 0;
    // The channels present at the end of the walk.
    std::vector<int32_t> Channels;
    // The bottom field carries the time-mark attribute.
    bool TimeAxis = false;
    // Members taken by the visible series: none means nothing is plotted.
    size_t Plotted = 0;
    // The fill ended because the user stopped it.
    bool Stopped = false;
    // Records passed when the walk ended, of the records of the file (0: not known).
    int64_t RecordsPassed = 0;
    int64_t RecordsTotal = 0;
    std::string Error;
};

inline constexpr char txtNoData[] = "No Data";

// What a graph says where its plot was after a fill (empty: the plot speaks for itself): a fill
// the user stopped says how far it got, and a fill in which no record reached a series leaves
// no stale picture.
std::string FillNotice(bool filled, const TGraphFillResult& result);

// Steps of a fill from the look-up of the fields to the drawn points. False with the cursor's
// message on an abort or an error; the result's points are then empty.
bool FillGraphRecords(TGraphFillRequest& request, TGraphFillResult& result);

} // namespace vorelt
