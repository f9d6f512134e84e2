#pragma once
// The small records a 2D graph works with while it fills and zooms: one data point per record
// read, the bins of line graphs and histograms, the range of a synchronised zoom and the
// mapping of drawn points from one current range to another.

#include <cstdint>
#include <string>

namespace vorelt {

// Series types.
constexpr uint8_t stPointPlot = 1;
constexpr uint8_t stLineGraph = 2;
constexpr uint8_t stHistigram = 3;
constexpr uint8_t stLinePointToPoint = 4;

// What BinNum means.
constexpr uint8_t bnCount = 0;    // "BinCount": the number of bins
constexpr uint8_t bnValueInc = 1; // "BinValueInc": the width of a bin in bottom-axis units

// What a bin's value is.
constexpr uint8_t bsCnt = 0;
constexpr uint8_t bsAve = 1;
constexpr uint8_t bsMax = 2;
constexpr uint8_t bsMin = 3;
constexpr uint8_t bsSum = 4;

// Cumulation of line graphs.
constexpr uint8_t bcNone = 0;
constexpr uint8_t bcMinMax = 1;
constexpr uint8_t bcMaxMin = 2;

// Sides.
constexpr uint8_t sdLeft = 1;
constexpr uint8_t sdRight = 2;

// The record kinds a graph reads: hits, time marks and criterion output.
constexpr uint16_t GraphKinds = 578;

// Channel lists of series are cut to this many channels.
constexpr size_t MaxSeriesChannels = 129;
// Series of one graph: each is a pass over the branch's records. A real graph has a handful.
constexpr size_t MaxGraphSeries = 256;

// Stands for 0 where a logarithm must be taken (far below any plot).
constexpr long double GraphLogZero = 3.6E-4931L;

// One record read into the graph. A fill keeps one per record, so the values are doubles (as
// the drawn points are) and the switches are bits: 32 bytes, so 10 million records take 320 MB,
// all of which a fill writes once.
struct TGraphDataPoint {
    double X = 0;
    double LeftY = 0;
    double RightY = 0;
    int32_t Position = 0;
    uint8_t Channel = 0;
    bool Selected : 1 = false;
    bool Deleted : 1 = false;
    bool LeftNull : 1 = true;
    bool RightNull : 1 = true;
};
static_assert(sizeof(TGraphDataPoint) <= 32);

struct TGraphBin {
    int32_t Count = 0;
    long double Value = 0;
    long double Start = 0;
    long double End = 0;
};

// The synchronised zoom of graphs on the same bottom field.
struct TShortCutMSG {
    std::string FieldId;
    long double Min = 0;
    long double Max = 0;
};

// Moves drawn points from one current range to another (TransformPoint of the series objects).
struct TViewTransform {
    long double YScaleLeft = 1;
    long double YOriginLeft = 0;
    long double YScaleRight = 1;
    long double YOriginRight = 0;
    long double XScale = 1;
    long double XOrigin = 0;
    // The old range of an axis had no width: the points cannot be moved, the view must be
    // drawn again from the series.
    bool Refill = false;
};

// Copies of the current ranges of the three axes.
struct TRangeSnapshot {
    long double LeftMin = 0, LeftMax = 0;
    long double BottomMin = 0, BottomMax = 0;
    bool HasRight = false;
    long double RightMin = 0, RightMax = 0;
};

} // namespace vorelt
