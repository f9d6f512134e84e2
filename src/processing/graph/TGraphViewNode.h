#pragma once
// The saved node of a graph view written without the view, for tools that make projects
// without a display (the demo maker): the axes' fields and scales and the series. The view
// reads it as it reads its own nodes.

#include "processing/graph/TSeriesGr.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TNodePersist;

class TAEField;

struct TGraphAxisPlan {
    std::string FieldId;
    bool Logarithmic = false;
    // The caption instead of the field's name; empty keeps the name.
    std::string Legend;
    // Fixed bounds instead of automatic ones; they are saved as values of `Like` (the axis
    // field as the data file declares it), and stay automatic without it.
    const TAEField* Like = nullptr;
    bool FixedMin = false;
    long double Min = 0;
    bool FixedMax = false;
    long double Max = 0;
};

struct TGraphSeriesPlan {
    uint8_t Type = stPointPlot;
    int32_t Color = 2;
    long double BinNum = 100;
    uint8_t BinSumType = bsCnt;
    bool CenterBin = false;
    bool SplittingChan = true;
};

struct TGraphViewPlan {
    // The view's "Title" property; empty leaves the caption to the axes' fields.
    std::string Title;
    TGraphAxisPlan Left;
    TGraphAxisPlan Bottom;
    std::vector<TGraphSeriesPlan> Series;
};

// The "VisualClass" node of a graph view; automatic ranges on both axes, no right axis.
std::unique_ptr<TNodePersist> MakeGraphViewNode(const TGraphViewPlan& plan);

} // namespace vorelt
