// The rules of the series dialog without the dialog: what each type edits, the captions of
// colours and of the bin edit, the keys the bin edit takes and the copy that Cancel restores.

#include "model/TAEExtendedField.h"
#include "processing/filter/TLCBlock.h"
#include "processing/graph/TSeriesGr.h"
#include "viewmodel/dialogs/processors/TSeriesEditRules.h"

#include <gtest/gtest.h>

using namespace vorelt;

TEST(SeriesEditRules, EachTypeEditsItsOwnControls) {
    const TSeriesControls point = SeriesControls(stPointPlot, false);
    EXPECT_TRUE(point.Selected);
    EXPECT_TRUE(point.PointStyle);
    EXPECT_FALSE(point.BinNum || point.BinSum || point.Cumulation || point.CenterBin);
    EXPECT_FALSE(point.Side); // no right axis with a field

    const TSeriesControls line = SeriesControls(stLineGraph, true);
    EXPECT_FALSE(line.Selected);
    EXPECT_FALSE(line.PointStyle);
    EXPECT_TRUE(line.BinNum && line.BinSum && line.Cumulation && line.CenterBin && line.Side);

    const TSeriesControls hist = SeriesControls(stHistigram, true);
    EXPECT_TRUE(hist.BinNum && hist.BinSum && hist.CenterBin);
    EXPECT_FALSE(hist.Cumulation); // histograms ignore cumulation
    EXPECT_FALSE(hist.PointStyle || hist.Selected);

    const TSeriesControls run = SeriesControls(stLinePointToPoint, false);
    EXPECT_TRUE(run.PointStyle);
    EXPECT_FALSE(run.BinNum || run.BinSum || run.Cumulation || run.CenterBin || run.Selected);
}

TEST(SeriesEditRules, ColoursAndTheirCaptions) {
    EXPECT_EQ(FirstFreeColor({}), 1);
    EXPECT_EQ(FirstFreeColor({1, 2, 4}), 3);
    std::vector<int32_t> all;
    for (int32_t n = 1; n <= 127; ++n)
        all.push_back(n);
    EXPECT_EQ(FirstFreeColor(all), 0); // 128 is never handed out
    EXPECT_EQ(ColorCaption(5, false), "Color 5");
    EXPECT_EQ(ColorCaption(5, true), "Color 5 (Selected)");
    EXPECT_EQ(SeriesTypeCaption(stHistigram), "Histogram");
    EXPECT_EQ(SeriesTypeCaption(stLinePointToPoint), "Line Point to Point");
}

TEST(SeriesEditRules, BinEditCaptionAndKeysFollowTheMode) {
    TAEExtendedField time;
    time.SetDisplayName("Time of Hit");
    time.SetDisplayDimension("s");
    EXPECT_EQ(BinNumCaption(bnValueInc, &time), "Time of Hit[s]");
    EXPECT_EQ(BinNumCaption(bnCount, &time), "BinCount");

    EXPECT_EQ(BinNumRule(bnCount, &time).Kind, TNumberKind::Count);
    EXPECT_EQ(BinNumRule(bnValueInc, &time).Kind, TNumberKind::Decimal);
    EXPECT_EQ(BinNumRule(bnValueInc, nullptr).Kind, TNumberKind::Decimal);
    EXPECT_FALSE(IsNumberText(BinNumRule(bnCount, &time), "1,5"));
    EXPECT_TRUE(IsNumberText(BinNumRule(bnValueInc, &time), "1.5"));

    long double v = -1;
    EXPECT_TRUE(ParseBinNum(bnCount, "12", v));
    EXPECT_EQ(v, 12);
    EXPECT_FALSE(ParseBinNum(bnCount, "1,5", v));
    EXPECT_FALSE(ParseBinNum(bnCount, "", v));
    EXPECT_TRUE(ParseBinNum(bnValueInc, "2,5", v));
    EXPECT_EQ(v, 2.5L);
    EXPECT_TRUE(ParseBinNum(bnValueInc, "0.25", v));
    EXPECT_EQ(v, 0.25L);
    EXPECT_FALSE(ParseBinNum(bnValueInc, "-3", v));
    EXPECT_EQ(BinNumText(bnCount, 100), "100");
    EXPECT_EQ(BinNumText(bnValueInc, 2.5L), "2,5");
}

TEST(SeriesEditRules, SnapshotPutsEverySettingAndTheConditionBack) {
    TSeriesGr s;
    s.SetColor(7);
    s.SetBinNum(30);
    const uint8_t flags = s.LogCons().EditFlags();
    const TSeriesSnapshot snap(s);
    s.SetColor(9);
    s.SetSide(sdRight);
    s.SetBinNum(5);
    s.SetBinNumType(bnValueInc);
    s.SetBinSumType(bsMax);
    s.SetBinCumulation(bcMaxMin);
    s.SetCenterBin(true);
    s.SetTypePoint(3);
    s.SetEnabledFilter(true);
    s.SetVisible(false);
    s.SetSelected(false);
    s.SetUseDelRec(true);
    s.SetSplittingChan(false);
    s.LogCons().Add(std::make_unique<TLCBlock>());
    ASSERT_EQ(s.LogCons().Count(), 1);

    snap.Restore(s);
    EXPECT_EQ(s.Color(), 7);
    EXPECT_EQ(s.Side(), sdLeft);
    EXPECT_EQ(s.BinNum(), 30);
    EXPECT_EQ(s.BinNumType(), bnCount);
    EXPECT_EQ(s.BinSumType(), bsCnt);
    EXPECT_EQ(s.BinCumulation(), bcNone);
    EXPECT_FALSE(s.CenterBin());
    EXPECT_EQ(s.TypePoint(), 0);
    EXPECT_FALSE(s.EnabledFilter());
    EXPECT_TRUE(s.Visible());
    EXPECT_TRUE(s.Selected());
    EXPECT_FALSE(s.UseDelRec());
    EXPECT_TRUE(s.SplittingChan());
    EXPECT_EQ(s.LogCons().Count(), 0);
    EXPECT_EQ(s.LogCons().EditFlags(), flags);
}
