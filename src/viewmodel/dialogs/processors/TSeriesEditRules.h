#pragma once
// What the series dialog allows and how it shows a series, without the dialog: which controls
// a series type can edit, the captions of the colour list and of the bin edit, the numbers the
// bin edit takes, and a copy of the settings that Cancel puts back.

#include "persist/TNodePersist.h"
#include "persist/TNumberInput.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAEField;
class TSeriesGr;

// The series types by their captions; the point styles likewise.
std::string SeriesTypeCaption(uint8_t type);
extern const char* const PointStyleCaptions[4];
extern const char* const BinSumCaptions[5];
extern const char* const BinCumulationCaptions[3];

// Which controls edit the series of a type.
struct TSeriesControls {
    bool Selected = false;   // point plots
    bool Side = false;       // all types, while the right axis is enabled with a field
    bool PointStyle = false; // point plots, line point to point
    bool BinNum = false;     // line graphs, histograms
    bool BinSum = false;     // line graphs, histograms
    bool Cumulation = false; // line graphs
    bool CenterBin = false;  // line graphs, histograms
};
TSeriesControls SeriesControls(uint8_t type, bool rightAxisOn);

// The first palette colour from 1 to 127 that none of `used` takes; 0 when all are taken.
int32_t FirstFreeColor(const std::vector<int32_t>& used);
// "Color " + n, and " (Selected)" when another series uses it.
std::string ColorCaption(int32_t n, bool usedByOther);

// The label of the bin edit: in "BinValueInc" mode the bottom field's display name and its
// unit in brackets, otherwise "BinCount".
std::string BinNumCaption(uint8_t binNumType, const TAEField* bottom);
// What the bin edit takes: a count in "BinCount" mode; in "BinValueInc" mode a number of the
// bottom field's type (without a field: a decimal number).
TNumberRule BinNumRule(uint8_t binNumType, const TAEField* bottom);
// The text of the bin edit as BinNum; false when it is no number of the mode.
bool ParseBinNum(uint8_t binNumType, const std::string& text, long double& value);
// BinNum as the edit shows it.
std::string BinNumText(uint8_t binNumType, long double value);

// The settings of a series as they were when the dialog opened.
class TSeriesSnapshot {
public:
    explicit TSeriesSnapshot(const TSeriesGr& series);
    ~TSeriesSnapshot();
    // Puts every setting and the condition back.
    void Restore(TSeriesGr& series) const;

private:
    uint8_t FSide, FTypePoint, FBinNumType, FBinSumType, FBinCumulation;
    bool FEnabledFilter, FVisible, FSelected, FUseDelRec, FSplittingChan, FCenterBin;
    int32_t FColor;
    long double FBinNum;
    std::unique_ptr<TNodePersist> FCondition;
};

} // namespace vorelt
