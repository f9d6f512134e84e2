#include "viewmodel/dialogs/processors/TSeriesEditRules.h"

#include "model/TAEField.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/graph/TGraphTypes.h"
#include "processing/graph/TSeriesGr.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

const char* const PointStyleCaptions[4] = {"Point", "Big Point", "Round", "Big Round"};
const char* const BinSumCaptions[5] = {"Cnt", "Ave", "Max", "Min", "Sum"};
const char* const BinCumulationCaptions[3] = {"None", "MinMax", "MaxMin"};

std::string SeriesTypeCaption(uint8_t type) {
    switch (type) {
    case stPointPlot:
        return "Point Plot";
    case stLineGraph:
        return "Line Graph";
    case stHistigram:
        return "Histogram";
    case stLinePointToPoint:
        return "Line Point to Point";
    default:
        return {};
    }
}

TSeriesControls SeriesControls(uint8_t type, bool rightAxisOn) {
    TSeriesControls c;
    const bool bins = type == stLineGraph || type == stHistigram;
    c.Selected = type == stPointPlot;
    c.Side = rightAxisOn;
    c.PointStyle = type == stPointPlot || type == stLinePointToPoint;
    c.BinNum = bins;
    c.BinSum = bins;
    c.Cumulation = type == stLineGraph;
    c.CenterBin = bins;
    return c;
}

int32_t FirstFreeColor(const std::vector<int32_t>& used) {
    for (int32_t n = 1; n <= 127; ++n)
        if (std::find(used.begin(), used.end(), n) == used.end()) return n;
    return 0;
}

std::string ColorCaption(int32_t n, bool usedByOther) {
    std::string s = "Color " + IntToStr(n);
    if (usedByOther) s += " (Selected)";
    return s;
}

std::string BinNumCaption(uint8_t binNumType, const TAEField* bottom) {
    if (binNumType != bnValueInc) return "BinCount";
    if (!bottom) return "BinValueInc";
    return bottom->GetDisplayName() + "[" + bottom->GetDisplayDimension() + "]";
}

TNumberRule BinNumRule(uint8_t binNumType, const TAEField* bottom) {
    if (binNumType != bnValueInc) return {TNumberKind::Count};
    if (bottom && IsNumericType(bottom->DataType())) return NumberRuleOfType(bottom->DataType());
    return {TNumberKind::Decimal};
}

bool ParseBinNum(uint8_t binNumType, const std::string& text, long double& value) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    if (binNumType != bnValueInc) {
        int64_t n = 0;
        if (!TryStrToInt64(t, n) || n < 0) return false;
        value = static_cast<long double>(n);
        return true;
    }
    long double x = 0;
    if (!TryStrToFloat(t, x) || !std::isfinite(x) || x < 0) return false;
    value = x;
    return true;
}

std::string BinNumText(uint8_t binNumType, long double value) {
    if (binNumType != bnValueInc && std::isfinite(value) && value >= 0 && value < 1e15L)
        return IntToStr(static_cast<int64_t>(std::nearbyintl(value)));
    return FloatToStr(value);
}

TSeriesSnapshot::TSeriesSnapshot(const TSeriesGr& s)
    : FSide(s.Side()), FTypePoint(s.TypePoint()), FBinNumType(s.BinNumType()),
      FBinSumType(s.BinSumType()), FBinCumulation(s.BinCumulation()),
      FEnabledFilter(s.EnabledFilter()), FVisible(s.Visible()), FSelected(s.Selected()),
      FUseDelRec(s.UseDelRec()), FSplittingChan(s.SplittingChan()), FCenterBin(s.CenterBin()),
      FColor(s.Color()), FBinNum(s.BinNum()),
      FCondition(std::make_unique<TNodePersist>("LogCons")) {
    s.LogCons().SaveToNode(*FCondition);
}

TSeriesSnapshot::~TSeriesSnapshot() = default;

void TSeriesSnapshot::Restore(TSeriesGr& s) const {
    const uint8_t flags = s.LogCons().EditFlags();
    s.LogCons().Clear();
    s.LogCons().LoadFromNode(*FCondition);
    s.LogCons().SetEditFlags(flags);
    s.SetSide(FSide);
    s.SetTypePoint(FTypePoint);
    s.SetBinNumType(FBinNumType);
    s.SetBinSumType(FBinSumType);
    s.SetBinCumulation(FBinCumulation);
    s.SetEnabledFilter(FEnabledFilter);
    s.SetVisible(FVisible);
    s.SetSelected(FSelected);
    s.SetUseDelRec(FUseDelRec);
    s.SetSplittingChan(FSplittingChan);
    s.SetCenterBin(FCenterBin);
    s.SetColor(FColor);
    s.SetBinNum(FBinNum);
}

} // namespace vorelt
