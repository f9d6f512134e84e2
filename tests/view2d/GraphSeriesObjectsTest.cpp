// Decisions of the graph series without pixels: what is drawn where, flags, look-ups.
#include "TRecordingCanvas.h"
#include "viewmodel/drawables/TGraphLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/THistigramAEVObject.h"

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TRecordingCanvas;

namespace {

// 302 x 215 pixels: one pixel per logical unit, shifted by the 2-pixel margin.
struct TSeriesFixture {
    std::shared_ptr<TCoordMapping> mapping = std::make_shared<TCoordMapping>(302, 215, 96);
    TRecordingCanvas canvas{mapping};
    template <class T> std::unique_ptr<T> Make() {
        auto obj = std::make_unique<T>();
        obj->Attach(nullptr, &canvas);
        return obj;
    }
};

// The normalised values that land on logical (x, y).
void AddAt(TBaseAEVObject& obj, int32_t pos, long double x, long double y, uint8_t channel = 0,
           uint8_t flags = 0) {
    obj.AddValueEx(pos, flags, channel, (210 - y) / 210, x / 297);
}

} // namespace

TEST(PointSeries, PointsOnOnePixelDrawOnceAndASelectedOneWins) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    s->SetColor(RGBColor(0, 0, 255));
    for (int i = 0; i < 50; ++i)
        AddAt(*s, i, 100.2L, 50.1L); // all on pixel (102, 52)
    s->Draw();
    ASSERT_EQ(f.canvas.Dots.size(), 1u);
    EXPECT_EQ(f.canvas.Dots[0].X, 102);
    EXPECT_EQ(f.canvas.Dots[0].Y, 52);
    EXPECT_EQ(f.canvas.Dots[0].Color, RGBColor(0, 0, 255));
    EXPECT_EQ(f.canvas.Saves, 1);
    EXPECT_EQ(f.canvas.Restores, 1);

    // One of them selected: the pixel shows the selected colour, drawn last, and no unselected
    // point follows on top of it.
    f.canvas.Dots.clear();
    s->SetSelected(30, true);
    s->Draw();
    ASSERT_FALSE(f.canvas.Dots.empty());
    EXPECT_EQ(f.canvas.Dots.back().Color, clRed);
    EXPECT_LE(f.canvas.Dots.size(), 2u);

    // Selected first: later unselected points on its pixel are skipped entirely.
    f.canvas.Dots.clear();
    s->SetSelected(30, false);
    s->SetSelected(0, true);
    s->Draw();
    ASSERT_EQ(f.canvas.Dots.size(), 1u);
    EXPECT_EQ(f.canvas.Dots[0].Color, clRed);
}

TEST(PointSeries, DeletedHiddenAndOffScreenPointsAreSkippedMarksComeLast) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    AddAt(*s, 1, 10, 10);
    AddAt(*s, 2, 20, 20, 0, pfDeleted);
    AddAt(*s, 3, 30, 30, 0, pfChannelHidden);
    AddAt(*s, 4, 40, 40, 0, pfMarked);
    AddAt(*s, 5, 400, 40); // right of the surface
    AddAt(*s, 6, 40, -3);  // above it
    s->MarkPen().SetColor(RGBColor(1, 2, 3));
    s->Draw();
    ASSERT_EQ(f.canvas.Dots.size(), 2u);
    EXPECT_EQ(f.canvas.Dots[0].X, 12);
    EXPECT_EQ(f.canvas.Dots[1].X, 42);
    ASSERT_EQ(f.canvas.Markers.size(), 1u);
    EXPECT_EQ(f.canvas.Markers[0].X, 42);
    EXPECT_EQ(f.canvas.Markers[0].Y, 42);
    EXPECT_EQ(f.canvas.Pen.Color, RGBColor(1, 2, 3));
    EXPECT_EQ(f.canvas.Brush.Style, bsClear);
}

TEST(PointSeries, NothingIsDrawnWhenHiddenFrozenOrEmpty) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    s->Draw();
    EXPECT_EQ(f.canvas.Saves, 0);
    AddAt(*s, 1, 10, 10);
    s->SetVisible(false);
    s->Draw();
    EXPECT_TRUE(f.canvas.Dots.empty());
    s->Freeze();
    EXPECT_EQ(s->State(), osFrozen);
    s->SetVisible(true);
    s->Draw();
    EXPECT_TRUE(f.canvas.Dots.empty());
    s->Unfreeze();
    EXPECT_EQ(s->State(), osNormal);
    s->Draw();
    EXPECT_EQ(f.canvas.Dots.size(), 1u);
}

TEST(Series, ChannelColoursOneAndThreeHideChannelTwoInEveryKind) {
    TSeriesFixture f;
    const TColor c1 = RGBColor(200, 0, 0), c3 = RGBColor(0, 0, 200);
    auto fill = [&](TGraphAEVObject& s) {
        s.ChannelColors().SetChannelColour(1, c1);
        s.ChannelColors().SetChannelColour(3, c3);
        int pos = 0;
        for (int k = 0; k < 4; ++k)
            for (uint8_t ch = 1; ch <= 3; ++ch)
                AddAt(s, pos++, 10 + 20 * k + ch, 20 + 30 * ch + 5 * k, ch);
    };
    auto points = f.Make<TGraphPointAEVObject>();
    fill(*points);
    points->Draw();
    ASSERT_EQ(f.canvas.Dots.size(), 8u);
    for (const auto& d : f.canvas.Dots)
        EXPECT_TRUE(d.Color == c1 || d.Color == c3);
    // ApplyToPoints hides the unlisted channel by its flag.
    points->ApplyToPoints();
    int hidden = 0;
    for (int i = 0; i < points->GetPointCount(); ++i)
        hidden += points->IsChannelHidden(i) ? 1 : 0;
    EXPECT_EQ(hidden, 4);
    points->ChannelColors().Clear();
    points->ApplyToPoints();
    EXPECT_FALSE(points->IsChannelHidden(1));

    f.canvas.Lines.clear();
    auto lines = f.Make<TGraphLineAEVObject>();
    fill(*lines);
    lines->Draw();
    // Channels 1 and 3 each join their 4 points: 3 segments each, none for channel 2.
    ASSERT_EQ(f.canvas.Lines.size(), 6u);
    for (const auto& l : f.canvas.Lines)
        EXPECT_TRUE(l.Color == c1 || l.Color == c3);

    auto bars = f.Make<THistigramAEVObject>();
    fill(*bars);
    bars->Draw();
    // Two complete pairs in each listed channel.
    ASSERT_EQ(f.canvas.Rects.size(), 4u);
    for (const auto& r : f.canvas.Rects)
        EXPECT_TRUE(r.Fill == c1 || r.Fill == c3);
}

TEST(Histogram, FivePointsDrawTwoBarsTheFifthWaits) {
    TSeriesFixture f;
    auto h = f.Make<THistigramAEVObject>();
    h->SetColor(RGBColor(9, 9, 9));
    h->FramePen().SetColor(RGBColor(7, 7, 7));
    AddAt(*h, 0, 10, 50);
    AddAt(*h, 1, 20, 200);
    AddAt(*h, 2, 20, 80);
    AddAt(*h, 3, 30, 200);
    AddAt(*h, 4, 30, 60);
    h->Draw();
    ASSERT_EQ(f.canvas.Rects.size(), 2u);
    EXPECT_EQ(f.canvas.Rects[0].A.X, 12);
    EXPECT_EQ(f.canvas.Rects[0].A.Y, 52);
    EXPECT_EQ(f.canvas.Rects[0].B.X, 22);
    EXPECT_EQ(f.canvas.Rects[0].B.Y, 202);
    EXPECT_EQ(f.canvas.Rects[1].A.X, 22);
    EXPECT_EQ(f.canvas.Rects[0].Fill, RGBColor(9, 9, 9));
    EXPECT_EQ(f.canvas.Rects[0].Frame, RGBColor(7, 7, 7));
}

TEST(LineSeries, SegmentsJoinVisiblePointsAndSkipZeroLength) {
    TSeriesFixture f;
    auto l = f.Make<TGraphLineAEVObject>();
    AddAt(*l, 0, 10, 10);
    AddAt(*l, 1, 10.2L, 10.1L); // same pixel as the first
    AddAt(*l, 2, 50, 50, 0, pfDeleted);
    AddAt(*l, 3, 100, 10);
    l->Draw();
    ASSERT_EQ(f.canvas.Lines.size(), 1u);
    EXPECT_EQ(f.canvas.Lines[0].A.X, 12);
    EXPECT_EQ(f.canvas.Lines[0].B.X, 102);
    EXPECT_EQ(f.canvas.Lines[0].B.Y, 12);
}

TEST(SeriesPositions, LookUpsByBinarySearchAndMissingPositionsChangeNothing) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    for (int i = 0; i < 100; ++i)
        AddAt(*s, 10 * i, i, i);
    EXPECT_EQ(s->FindPosition(370), 37);
    EXPECT_EQ(s->FindPosition(371), -1);
    EXPECT_EQ(s->MarkPosition(371, true), -1);
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(s->IsMarked(i));
    EXPECT_EQ(s->MarkPosition(990, true), 99);
    EXPECT_TRUE(s->IsMarked(99));
    s->SelectPositions({0, 5, 50, 51, 990}, true);
    EXPECT_TRUE(s->IsSelected(0));
    EXPECT_TRUE(s->IsSelected(5));
    EXPECT_TRUE(s->IsSelected(99));
    EXPECT_FALSE(s->IsSelected(1));
    s->DeletePositions({50}, true);
    EXPECT_TRUE(s->IsDeleted(5));
    s->DeletePositions({50}, false);
    EXPECT_FALSE(s->IsDeleted(5));

    // Lines and histograms do not act on positions.
    auto l = f.Make<TGraphLineAEVObject>();
    AddAt(*l, 7, 1, 1);
    EXPECT_EQ(l->MarkPosition(7, true), -1);
    l->SelectPositions({7}, true);
    EXPECT_FALSE(l->IsMarked(0));
    EXPECT_FALSE(l->IsSelected(0));
}

TEST(PointSeries, SortIndexOrdersByXThenYAndAddingUnsortsIt) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    AddAt(*s, 0, 30, 5);
    AddAt(*s, 1, 10, 7);
    AddAt(*s, 2, 10, 3);
    AddAt(*s, 3, 20, 1);
    EXPECT_FALSE(s->IndexSorted());
    s->SortIndex();
    ASSERT_TRUE(s->IndexSorted());
    EXPECT_EQ(s->SortedIndex(), (std::vector<int32_t>{2, 1, 3, 0}));
    AddAt(*s, 4, 0, 0);
    EXPECT_FALSE(s->IndexSorted());
    s->SetSearchEnabled(false);
    s->SortIndex();
    EXPECT_FALSE(s->IndexSorted());
    // A handler of the caller's own.
    s->SetSearchEnabled(true);
    s->OnCompare = [](const TGraphPointAEVObject& o, int a, int b) {
        return o.Points().Tag(b) - o.Points().Tag(a);
    };
    s->SortIndex();
    EXPECT_EQ(s->SortedIndex(), (std::vector<int32_t>{4, 3, 2, 1, 0}));
    s->ClearValues();
    EXPECT_TRUE(s->SortedIndex().empty());
    EXPECT_FALSE(s->IndexSorted());
}

TEST(PointSeries, PointsAddedInBlocksEqualPointsAddedOneByOne) {
    TSeriesFixture f;
    auto one = f.Make<TGraphPointAEVObject>();
    auto block = f.Make<TGraphPointAEVObject>();
    std::vector<int32_t> tags;
    std::vector<uint8_t> flags, channels;
    std::vector<long double> ys, xs;
    for (int i = 0; i < 1000; ++i) {
        tags.push_back(7 * i);
        flags.push_back(static_cast<uint8_t>(i % 2));
        channels.push_back(static_cast<uint8_t>(1 + i % 5));
        ys.push_back(static_cast<long double>(i % 97) / 96.3L);
        xs.push_back(1.0L - static_cast<long double>(i) / 999.7L);
        one->AddValueEx(tags.back(), flags.back(), channels.back(), ys.back(), xs.back());
    }
    block->AddValues(400, tags.data(), flags.data(), channels.data(), ys.data(), xs.data());
    block->AddValues(600, tags.data() + 400, flags.data() + 400, channels.data() + 400,
                     ys.data() + 400, xs.data() + 400);
    ASSERT_EQ(block->Points().Count(), one->Points().Count());
    for (int i = 0; i < one->Points().Count(); ++i) {
        EXPECT_EQ(block->Points().X(i), one->Points().X(i)) << i;
        EXPECT_EQ(block->Points().Y(i), one->Points().Y(i)) << i;
        EXPECT_EQ(block->Points().Tag(i), one->Points().Tag(i)) << i;
        EXPECT_EQ(block->Points().Channel(i), one->Points().Channel(i)) << i;
        EXPECT_EQ(block->Points().Flags(i), one->Points().Flags(i)) << i;
    }
    EXPECT_EQ(block->SortedIndex(), one->SortedIndex());
    EXPECT_FALSE(block->IndexSorted());
    block->SortIndex();
    one->SortIndex();
    EXPECT_EQ(block->SortedIndex(), one->SortedIndex());
}

TEST(PointSeries, FindPointAtScansFromTheLastOrAsksTheRectangleSearch) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    AddAt(*s, 100, 50, 50);
    AddAt(*s, 200, 51, 51);
    AddAt(*s, 300, 120, 120);
    THitInfo info;
    info.DevX = 52;
    info.DevY = 52;
    info.Tolerance = 3;
    TAEVMessage msg;
    msg.Msg = AEVM_BACKDBLCLICK;
    msg.Info = &info;
    s->Dispatch(msg);
    EXPECT_EQ(info.HitKind, hkHandle);
    EXPECT_EQ(info.HitIndex, 1);

    s->SetSearchDisabled(true);
    info.HitKind = 0;
    s->Dispatch(msg);
    EXPECT_EQ(info.HitKind, hkNone);
    s->SetSearchDisabled(false);

    TRectInt asked;
    std::vector<int32_t> reported;
    s->OnFindInRect = [&](TGraphPointAEVObject&, const TRectInt& r) {
        asked = r;
        return std::vector<int32_t>{100, 200};
    };
    s->OnPointsFound = [&](TBaseAEVObject&, std::vector<int32_t>& list) { reported = list; };
    s->SortIndex();
    s->Dispatch(msg);
    EXPECT_EQ(info.HitKind, hkHandle);
    EXPECT_EQ(reported, (std::vector<int32_t>{100, 200}));
    const int32_t r = 3 + SizePoint();
    EXPECT_EQ(asked.Left, 52 - r);
    EXPECT_EQ(asked.Bottom, 52 + r);
}

TEST(Series, NeverHitByAClick) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    AddAt(*s, 0, 10, 10);
    THitInfo info;
    info.DevX = 12;
    info.DevY = 12;
    info.Tolerance = 3;
    TAEVMessage msg;
    msg.Msg = AEVM_HITTEST;
    msg.Info = &info;
    s->Dispatch(msg);
    EXPECT_EQ(info.HitKind, hkNone);
}

TEST(Series, AddValueAndTransformMoveTheLogicalPoints) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    s->AddValueEx(5, pfSelected, 3, 0.25L, 0.5L);
    TLogicalPoint p;
    ASSERT_TRUE(s->GetPoint(0, p));
    EXPECT_DOUBLE_EQ(static_cast<double>(p.X), 148.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Y), 157.5);
    EXPECT_EQ(p.Tag, 5);
    EXPECT_EQ(p.Channel, 3);
    EXPECT_EQ(p.Flags, pfSelected);
    // Zoom onto the upper half in Y and the right half in X (old range 0..1, new 0.5..1):
    // X' = 2 (X - 0.5 LW), Y' = 2 (Y - (LH - 1 LH)).
    s->AddValueEx(6, 0, 0, 0.75L, 0.75L);
    s->TransformPoint(0, 1, 2, 0.5L, 2);
    s->GetPoint(0, p);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.X), 0);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Y), 315);
    // The bulk pass gives the same as the point-by-point one.
    auto t = f.Make<TGraphPointAEVObject>();
    t->AddValueEx(6, 0, 0, 0.75L, 0.75L);
    t->TransformPoints(1, 2, 0.5L, 2);
    s->TransformPoint(1, 1, 2, 0.5L, 2);
    TLogicalPoint a, b;
    s->GetPoint(1, a);
    t->GetPoint(0, b);
    EXPECT_EQ(a.X, b.X);
    EXPECT_EQ(a.Y, b.Y);
    EXPECT_DOUBLE_EQ(static_cast<double>(b.X), 148.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(b.Y), 105);
}

// Enough points that the bulk pass runs on two threads: along one axis, the other, or both,
// every point lands where the point-by-point pass puts it.
TEST(PointSeries, TheBulkPassOverMillionsOfPointsMovesEachLikeThePointByPointOne) {
    struct TMove {
        long double YOrigin, YScale, XOrigin, XScale;
    };
    for (const TMove m : {TMove{1, 1, 0.5L, 2}, TMove{0.5L, 2, 0, 1}, TMove{0.25L, 4, 0.125L, 3}}) {
        TSeriesFixture f;
        auto bulk = f.Make<TGraphPointAEVObject>();
        auto single = f.Make<TGraphPointAEVObject>();
        const int n = (1 << 20) + 3;
        bulk->Reserve(static_cast<size_t>(n));
        single->Reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const long double x = static_cast<long double>(i % 1009) / 1009;
            const long double y = static_cast<long double>(i % 997) / 997;
            bulk->AddValueEx(i, 0, 1, y, x);
            single->AddValueEx(i, 0, 1, y, x);
        }
        bulk->TransformPoints(m.YOrigin, m.YScale, m.XOrigin, m.XScale);
        for (int i = 0; i < n; ++i)
            single->TransformPoint(i, m.YOrigin, m.YScale, m.XOrigin, m.XScale);
        for (int i = 0; i < n; ++i) {
            TLogicalPoint a, b;
            bulk->GetPoint(i, a);
            single->GetPoint(i, b);
            ASSERT_EQ(a.X, b.X) << i;
            ASSERT_EQ(a.Y, b.Y) << i;
        }
    }
}

TEST(PointSeries, PointsTakeAtMostThirtyTwoBytes) {
    TSeriesFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    const size_t n = 100000;
    s->Reserve(n);
    for (size_t i = 0; i < n; ++i)
        s->AddValueEx(static_cast<int32_t>(i), 0, 1, 0.5L, 0.5L);
    EXPECT_LE(s->BytesAllocated(), 32 * n);
    EXPECT_GE(s->BytesAllocated(), 22 * n);
}
