// The Qt-free parts of report pictures and readable colours: contrast as the guidelines
// measure it, the shade of a palette colour that stays readable, the layout of title, plot and
// legend, and what a legend names.

#include "processing/graph/TSeriesGr.h"
#include "viewmodel/canvas/TColorContrast.h"
#include "viewmodel/graph/TGraphLegend.h"
#include "viewmodel/graph/TReportLayout.h"

#include <gtest/gtest.h>

using namespace vorelt;

TEST(ColourContrast, FollowsTheGuidelinesAndFindsAReadableShadeOfTheSameHue) {
    EXPECT_NEAR(static_cast<double>(ContrastRatio(clBlack, clWhite)), 21.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(ContrastRatio(clWhite, clBlack)), 21.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(ContrastRatio(clGray, clGray)), 1.0, 1e-12);
    // #767676 on white is the guidelines' 4.5:1 example.
    EXPECT_NEAR(static_cast<double>(ContrastRatio(RGBColor(0x76, 0x76, 0x76), clWhite)), 4.54,
                0.01);
    for (const TColor background : {clWhite, clBlack, clBtnFace, RGBColor(50, 50, 50)}) {
        for (int r = 0; r < 256; r += 51)
            for (int g = 0; g < 256; g += 51)
                for (int b = 0; b < 256; b += 51) {
                    const TColor c = RGBColor(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                              static_cast<uint8_t>(b));
                    const TColor readable = ReadableOn(c, background);
                    EXPECT_GE(ContrastRatio(readable, background), 3.0L)
                        << c << " on " << background;
                    if (ContrastRatio(c, background) >= 3) {
                        EXPECT_EQ(readable, c);
                    }
                }
    }
    // Pale yellow on white darkens, keeping more red and green than blue.
    const TColor olive = ReadableOn(RGBColor(255, 255, 170), clWhite);
    EXPECT_GT(RedOf(olive), BlueOf(olive));
    EXPECT_LT(RelativeLuminance(olive), RelativeLuminance(RGBColor(255, 255, 170)));
    // Dark blue on black lightens.
    EXPECT_GT(RelativeLuminance(ReadableOn(RGBColor(0, 0, 139), clBlack)),
              RelativeLuminance(RGBColor(0, 0, 139)));
}

TEST(ReportLayout, TitleOnTopLegendOnTheRightAndThePlotBetweenTheStrips) {
    TReportLayoutInput in;
    in.Width = 1200;
    in.Height = 800;
    in.Title = {200, 20};
    in.LeftStrip = 70;
    in.BottomStrip = 50;
    in.Legend = {{60, 14}, {80, 14}};
    const TReportLayout l = LayoutReport(in);
    EXPECT_FALSE(l.TooSmall);
    EXPECT_LE(l.Title.Bottom(), l.Plot.Top);
    EXPECT_GE(l.Plot.Left, 70);
    EXPECT_LE(l.Plot.Bottom() + 50, 800);
    EXPECT_GT(l.Legend.Width, 80);
    EXPECT_GE(l.Legend.Left, l.Plot.Right());
    EXPECT_LE(l.Legend.Right(), 1200);
    EXPECT_GE(l.Legend.Height, 2 * l.Row);

    // No title, no legend: the plot takes the room.
    TReportLayoutInput bare = in;
    bare.Title = {};
    bare.Legend.clear();
    const TReportLayout b = LayoutReport(bare);
    EXPECT_EQ(b.Legend.Width, 0);
    EXPECT_GT(b.Plot.Width, l.Plot.Width);
    EXPECT_GT(b.Plot.Height, l.Plot.Height);

    // A legend of long names never takes more than a third; a tiny page says so.
    TReportLayoutInput wide = in;
    wide.Legend = {{5000, 14}};
    EXPECT_LE(LayoutReport(wide).Legend.Width, 400);
    TReportLayoutInput tiny = in;
    tiny.Width = 120;
    tiny.Height = 90;
    EXPECT_TRUE(LayoutReport(tiny).TooSmall);
}

TEST(GraphLegend, NamesSplitChannelsOrSeveralSeriesButNotASingleSeries) {
    TSeriesGrList list;
    auto add = [&](uint8_t side, int32_t colour) {
        auto s = std::make_unique<TSeriesGr>();
        s->SetSide(side);
        s->SetColor(colour);
        return list.Add(std::move(s));
    };
    TSeriesGr* first = add(sdLeft, 1);
    auto name = [](const TSeriesGr& s) { return s.Side() == sdRight ? "Counts" : "Amplitude"; };
    EXPECT_TRUE(GraphLegend(list, {}, name, clWhite).empty());

    std::vector<TLegendEntry> e = GraphLegend(list, {2, 7}, name, clWhite);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].Text, "Chan 2");
    EXPECT_EQ(e[1].Text, "Chan 7");
    EXPECT_EQ(e[0].Color, ReadableOn(PaletteColor(2), clWhite));
    first->SetSplittingChan(false);
    EXPECT_TRUE(GraphLegend(list, {2, 7}, name, clWhite).empty());

    TSeriesGr* second = add(sdRight, 5);
    second->SetTypeSeries(stHistigram);
    e = GraphLegend(list, {3}, name, clBlack);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].Text, "Amplitude");
    EXPECT_EQ(e[1].Text, "Counts, Chan 3");
    EXPECT_TRUE(e[1].Bar);
    EXPECT_GE(ContrastRatio(e[0].Color, clBlack), 3.0L);
    second->SetVisible(false);
    EXPECT_TRUE(GraphLegend(list, {3}, name, clBlack).empty());
}
