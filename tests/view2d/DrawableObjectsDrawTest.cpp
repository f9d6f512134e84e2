// Every kind of drawable object drawn into an image, pixel by pixel where the look is fixed.
#include "view2d/TCanvasDraw.h"
#include "viewmodel/drawables/TCellLineAEVObject.h"
#include "viewmodel/drawables/TEventLineAEVObject.h"
#include "viewmodel/drawables/TGraphLineAEVObject.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"
#include "viewmodel/drawables/THistigramAEVObject.h"
#include "viewmodel/drawables/TLineAEVObject.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"
#include "viewmodel/drawables/TRectFillAEVObject.h"
#include "viewmodel/drawables/TRoShemRectAEVObject.h"

#include <QFontDatabase>
#include <QImage>
#include <gtest/gtest.h>
#include <random>

using namespace vorelt;

namespace {

// 302 x 215: one pixel per logical unit; logical (x, y) is pixel (x + 2, y + 2).
struct TImageFixture {
    std::shared_ptr<TCoordMapping> mapping = std::make_shared<TCoordMapping>(302, 215, 96);
    QImage image{302, 215, QImage::Format_RGB32};
    TCanvasDraw draw{mapping, &image};
    TImageFixture() { image.fill(Qt::white); }

    template <class T> std::unique_ptr<T> Make() {
        auto obj = std::make_unique<T>();
        obj->Attach(nullptr, &draw);
        return obj;
    }
    TColor At(int x, int y) const { return TCanvasDraw::FromQColor(image.pixelColor(x, y)); }
    int CountOf(TColor c) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += At(x, y) == c ? 1 : 0;
        return n;
    }
    int CountNot(TColor c) const { return image.width() * image.height() - CountOf(c); }
};

void AddAt(TBaseAEVObject& obj, int32_t pos, long double x, long double y, uint8_t channel = 0,
           uint8_t flags = 0) {
    obj.AddValueEx(pos, flags, channel, (210 - y) / 210, x / 297);
}

} // namespace

TEST(DrawRect, OutlineThroughTheCornersWithAMarkerAtEach) {
    TImageFixture f;
    auto r = f.Make<TRectAEVObject>();
    r->SetRect(10, 10, 50, 40); // corners at pixels (12, 12) and (52, 42)
    EXPECT_EQ(f.At(30, 12), clBlack);
    EXPECT_EQ(f.At(52, 30), clBlack);
    EXPECT_EQ(f.At(30, 42), clBlack);
    EXPECT_EQ(f.At(12, 30), clBlack);
    EXPECT_EQ(f.At(30, 30), clWhite);
    // The 6 x 6 marker: outline from x - 3 to x + 2, the canvas brush inside.
    EXPECT_EQ(f.At(9, 9), clBlack);
    EXPECT_EQ(f.At(14, 14), clBlack);
    EXPECT_EQ(f.At(10, 10), clWhite);
    EXPECT_EQ(f.At(8, 8), clWhite);
    EXPECT_EQ(f.At(15, 15), clWhite);
    EXPECT_EQ(f.At(55, 45), clWhite);
    // Selected: the selected pen.
    f.image.fill(Qt::white);
    r->SetSelected(true);
    r->Draw();
    EXPECT_EQ(f.At(30, 12), clRed);
    EXPECT_EQ(f.CountOf(clBlack), 0);
}

TEST(DrawRect, EditingLookDrawnTwiceRestoresTheBackground) {
    TImageFixture f;
    f.draw.FillRect(0, 0, 150, 215, RGBColor(30, 90, 200));
    const QImage before = f.image.copy();
    auto r = f.Make<TRectAEVObject>();
    r->EditingPen().SetColor(clWhite);
    r->SetState(osEditing);
    r->SetRect(10, 10, 250, 100); // drawn once, across both backgrounds
    EXPECT_NE(f.image, before);
    EXPECT_GT(f.CountOf(clBlack), 0); // white XOR white
    r->Draw();
    EXPECT_EQ(f.image, before);
}

TEST(DrawRect, FilledRectangleOutlinesAgainInItsEditingColour) {
    TImageFixture f;
    auto r = f.Make<TRectFillAEVObject>();
    r->EditingPen().SetColor(RGBColor(0, 0, 255));
    r->SetRect(10, 10, 50, 40);
    EXPECT_EQ(f.At(30, 12), RGBColor(0, 0, 255));
    EXPECT_EQ(f.At(12, 30), RGBColor(0, 0, 255));
    EXPECT_EQ(f.At(9, 9), clBlack); // the markers keep the frame pen
    EXPECT_EQ(f.At(30, 30), clWhite);
}

TEST(DrawBox, RoundedFilledBoxWithItsCaption) {
    TImageFixture f;
    auto b = f.Make<TRoShemRectAEVObject>();
    b->Brush().SetColor(RGBColor(0, 200, 0));
    b->SetCaption("Filter");
    b->SetRect(10, 10, 150, 110);     // pixels 12 .. 152, 12 .. 112
    EXPECT_EQ(f.At(80, 12), clBlack); // top edge
    EXPECT_EQ(f.At(12, 62), clBlack); // left edge
    EXPECT_EQ(f.At(12, 12), clWhite); // the corner is rounded off
    EXPECT_EQ(f.At(20, 25), RGBColor(0, 200, 0));
    EXPECT_EQ(f.At(160, 62), clWhite);
    if (!QFontDatabase::families().isEmpty()) {
        // Caption pixels in the middle band of the box.
        int text = 0;
        for (int y = 50; y < 75; ++y)
            for (int x = 40; x < 125; ++x)
                text += f.At(x, y) != RGBColor(0, 200, 0) ? 1 : 0;
        EXPECT_GT(text, 0);
    }
}

TEST(DrawLine, SegmentsMarkersAndMarkedPoints) {
    TImageFixture f;
    auto l = f.Make<TLineAEVObject>();
    l->BeginUpdate();
    l->AddPoint(10, 10);
    l->AddPoint(100, 10);
    l->AddPoint(100, 100);
    l->Points().SetFlag(2, pfMarked, true);
    l->EndUpdate();
    l->Draw();
    EXPECT_EQ(f.At(50, 12), clBlack);
    EXPECT_EQ(f.At(102, 60), clBlack);
    EXPECT_EQ(f.At(60, 60), clWhite); // open: no closing segment
    EXPECT_EQ(f.At(9, 9), clBlack);   // vertex marker
    EXPECT_EQ(f.At(99, 99), clRed);   // the marked point's marker in the selected colour
    EXPECT_EQ(f.At(104, 104), clRed);
    f.image.fill(Qt::white);
    l->SetShowVertices(false);
    l->Draw();
    EXPECT_EQ(f.At(9, 9), clWhite);
    EXPECT_EQ(f.At(99, 99), clRed);
}

TEST(DrawPolygon, ClosedOutlineWithoutMarkers) {
    TImageFixture f;
    auto p = f.Make<TPolyLineAEVObject>();
    p->BeginUpdate();
    p->AddPoint(10, 10);
    p->AddPoint(100, 10);
    p->AddPoint(100, 100);
    p->EndUpdate();
    p->Draw();
    EXPECT_EQ(f.At(57, 57), clBlack); // the closing diagonal
    EXPECT_EQ(f.At(9, 9), clWhite);
    EXPECT_EQ(f.At(50, 12), clBlack);
}

TEST(DrawCellLines, FullLengthXorLinesDrawnTwiceRestoreTheBackground) {
    TImageFixture f;
    f.draw.FillRect(100, 0, 302, 215, RGBColor(200, 50, 50));
    const QImage before = f.image.copy();
    auto h = f.Make<TCellLineAEVObject>();
    h->SetHorizontal(true);
    h->SetLineWidth(0.1L);
    h->Pen().SetColor(clWhite);
    h->AddPoint(0, 50);
    h->Draw();
    EXPECT_EQ(f.At(2, 52), clBlack);
    EXPECT_EQ(f.At(298, 52), RGBColor(55, 205, 205));
    EXPECT_EQ(f.At(150, 51), RGBColor(200, 50, 50));
    h->Draw();
    EXPECT_EQ(f.image, before);

    auto v = f.Make<TCellLineAEVObject>();
    v->SetLineWidth(0.1L);
    v->Pen().SetColor(clWhite);
    v->AddPoint(40, 0);
    v->Draw();
    EXPECT_EQ(f.At(42, 2), clBlack);
    EXPECT_EQ(f.At(42, 211), clBlack);
    EXPECT_EQ(f.At(43, 100), clWhite);
    v->Draw();
    EXPECT_EQ(f.image, before);
}

TEST(DrawEventLines, CrossHairThroughEveryPoint) {
    TImageFixture f;
    auto e = f.Make<TEventLineAEVObject>();
    e->Pen().SetColor(RGBColor(0, 128, 0));
    e->AddPoint(100, 50);
    e->Draw();
    EXPECT_EQ(f.At(102, 150), RGBColor(0, 128, 0));
    EXPECT_EQ(f.At(102, 5), RGBColor(0, 128, 0));
    EXPECT_EQ(f.At(250, 52), RGBColor(0, 128, 0));
    EXPECT_EQ(f.At(250, 53), clWhite);
}

TEST(DrawPointSeries, OnePointPerPixelInThePointStyle) {
    TImageFixture f;
    auto s = f.Make<TGraphPointAEVObject>();
    const TColor blue = RGBColor(0, 0, 255);
    s->SetColor(blue);
    for (int i = 0; i < 10; ++i)
        AddAt(*s, i, 100, 50); // pixel (102, 52)
    s->Draw();
    // Point style 0 with SizePoint 1 fills x - 1 .. x, y - 1 .. y.
    EXPECT_EQ(f.CountOf(blue), 4);
    EXPECT_EQ(f.At(101, 51), blue);
    EXPECT_EQ(f.At(102, 52), blue);
    EXPECT_EQ(f.At(103, 52), clWhite);
    // A selected one shows only the selected colour there.
    f.image.fill(Qt::white);
    s->SetSelected(7, true);
    s->Draw();
    EXPECT_EQ(f.CountOf(blue), 0);
    EXPECT_EQ(f.CountOf(clRed), 4);
    // A mark outlines the point's 6 x 6 box in the mark colour and leaves the point visible.
    f.image.fill(Qt::white);
    s->SetMarked(3, true);
    s->MarkPen().SetColor(RGBColor(0, 200, 0));
    s->Draw();
    EXPECT_EQ(f.At(99, 49), RGBColor(0, 200, 0));
    EXPECT_EQ(f.At(104, 54), RGBColor(0, 200, 0));
    EXPECT_EQ(f.At(102, 52), clRed);
    EXPECT_EQ(f.At(100, 50), clWhite);
    // Big point: x - 2 .. x + 1.
    f.image.fill(Qt::white);
    s->SetMarked(3, false);
    s->SetPointStyle(ptBigPoint);
    s->Draw();
    EXPECT_EQ(f.CountOf(clRed), 16);
    EXPECT_EQ(f.At(100, 50), clRed);
    EXPECT_EQ(f.At(103, 53), clRed);
}

TEST(DrawPointSeries, DirectPixelsMatchThePainter) {
    // Points and markers written straight into the image look exactly as DrawPoint and
    // DrawMarker draw them.
    std::vector<TDeviceDot> dots = {{1, 1, RGBColor(10, 20, 30)},  {50, 40, RGBColor(200, 0, 0)},
                                    {52, 41, RGBColor(0, 200, 0)}, {300, 213, RGBColor(0, 0, 9)},
                                    {150, 0, RGBColor(5, 5, 5)},   {0, 100, RGBColor(7, 7, 7)}};
    std::vector<TDevicePoint> marks = {{50, 40}, {1, 1}, {301, 214}, {120, 100}};
    for (uint8_t style = ptPoint; style <= ptBigRound; ++style) {
        for (int32_t size = 1; size <= 3; ++size) {
            SetSizePoint(size);
            TImageFixture direct;
            TImageFixture painter;
            direct.draw.SetPointStyle(style);
            painter.draw.SetPointStyle(style);
            direct.draw.DrawDevicePoints(dots.data(), dots.size());
            painter.draw.TLogicalCanvas::DrawDevicePoints(dots.data(), dots.size());
            EXPECT_EQ(direct.image, painter.image) << "style " << int(style) << " size " << size;
        }
    }
    SetSizePoint(1);
    for (uint8_t brush : {bsSolid, bsClear}) {
        TImageFixture direct;
        TImageFixture painter;
        for (TImageFixture* f : {&direct, &painter}) {
            f->draw.Pen().Color = RGBColor(0, 0, 200);
            f->draw.Brush().Color = RGBColor(250, 250, 0);
            f->draw.Brush().Style = brush;
        }
        direct.draw.DrawDeviceMarkers(marks.data(), marks.size());
        painter.draw.TLogicalCanvas::DrawDeviceMarkers(marks.data(), marks.size());
        EXPECT_EQ(direct.image, painter.image) << "brush " << int(brush);
    }
}

namespace {
// A canvas that draws every point through DrawPoint, as a canvas without pixels of its own.
class TPointByPointDraw : public TCanvasDraw {
public:
    using TCanvasDraw::TCanvasDraw;
    bool PixelAccess(TPixelAccess& access) override { return TLogicalCanvas::PixelAccess(access); }
    void DrawDevicePoints(const TDeviceDot* dots, size_t count) override {
        TLogicalCanvas::DrawDevicePoints(dots, count);
    }
};
} // namespace

TEST(DrawPointSeries, ComposedPixelsMatchDrawingPointByPoint) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> wide(-3, 300);
    std::uniform_real_distribution<double> high(-3, 213);
    std::uniform_real_distribution<double> cluster(100, 120);
    std::uniform_int_distribution<int> channel(0, 4);
    std::uniform_int_distribution<int> kind(0, 99);
    for (uint8_t style : {ptPoint, ptBigPoint}) {
        for (int32_t size = 1; size <= 3; ++size) {
            SetSizePoint(size);
            TImageFixture composed;
            TImageFixture byPoint;
            TPointByPointDraw slow(byPoint.mapping, &byPoint.image);
            TGraphPointAEVObject a;
            TGraphPointAEVObject b;
            a.Attach(nullptr, &composed.draw);
            b.Attach(nullptr, &slow);
            for (TGraphPointAEVObject* s : {&a, &b}) {
                s->SetPointStyle(style);
                s->ChannelColors().SetChannelColour(1, RGBColor(200, 0, 0));
                s->ChannelColors().SetChannelColour(2, RGBColor(0, 160, 0));
                s->ChannelColors().SetChannelColour(3, RGBColor(0, 0, 220));
                s->ChannelColors().SetChannelColour(4, RGBColor(90, 90, 0));
                s->MarkPen().SetColor(RGBColor(0, 0, 0));
            }
            for (int i = 0; i < 12000; ++i) {
                const bool dense = i % 3 == 0;
                const double x = dense ? cluster(gen) : wide(gen);
                const double y = dense ? cluster(gen) : high(gen);
                const int r = kind(gen);
                const uint8_t flags = r < 5 ? pfSelected : r < 7 ? pfMarked : r < 9 ? pfDeleted : 0;
                const auto ch = static_cast<uint8_t>(channel(gen));
                AddAt(a, i, x, y, ch, flags);
                AddAt(b, i, x, y, ch, flags);
            }
            a.Draw();
            b.Draw();
            EXPECT_EQ(composed.image, byPoint.image) << "style " << int(style) << " size " << size;
            EXPECT_GT(composed.CountNot(clWhite), 10000);
        }
    }
    SetSizePoint(1);
}

// Large series claim their pixels on two threads, each with half of the points.
TEST(DrawPointSeries, ComposedPixelsOfOverAMillionPointsMatchDrawingPointByPoint) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> wide(-3, 300);
    std::uniform_real_distribution<double> high(-3, 213);
    std::uniform_int_distribution<int> channel(0, 3);
    std::uniform_int_distribution<int> kind(0, 9999);
    TImageFixture composed;
    TImageFixture byPoint;
    TPointByPointDraw slow(byPoint.mapping, &byPoint.image);
    TGraphPointAEVObject a;
    TGraphPointAEVObject b;
    a.Attach(nullptr, &composed.draw);
    b.Attach(nullptr, &slow);
    for (TGraphPointAEVObject* s : {&a, &b}) {
        s->ChannelColors().SetChannelColour(1, RGBColor(200, 0, 0));
        s->ChannelColors().SetChannelColour(2, RGBColor(0, 160, 0));
        s->ChannelColors().SetChannelColour(3, RGBColor(0, 0, 220));
        s->MarkPen().SetColor(RGBColor(0, 0, 0));
        s->Reserve(1'200'000);
    }
    for (int i = 0; i < 1'200'000; ++i) {
        const double x = wide(gen);
        const double y = high(gen);
        const int r = kind(gen);
        // Few selected and marked points, so that some pixels keep an unselected one.
        const uint8_t flags = r < 2 ? pfSelected : r < 3 ? pfMarked : r < 20 ? pfDeleted : 0;
        const auto ch = static_cast<uint8_t>(channel(gen));
        AddAt(a, i, x, y, ch, flags);
        AddAt(b, i, x, y, ch, flags);
    }
    a.Draw();
    b.Draw();
    EXPECT_EQ(composed.image, byPoint.image);
    EXPECT_GT(composed.CountNot(clWhite), 10000);
}

TEST(DrawPointSeries, DirectPixelsKeepTheirPlaceInAnOpenPaint) {
    TImageFixture f;
    f.draw.BeginPaint();
    f.draw.FillRect(0, 0, 302, 215, RGBColor(1, 1, 1));
    const TDeviceDot dot{100, 100, RGBColor(0, 0, 255)};
    f.draw.DrawDevicePoints(&dot, 1);
    f.draw.FillRect(100, 0, 302, 215, RGBColor(2, 2, 2)); // covers the right half of the dot
    f.draw.EndPaint();
    EXPECT_EQ(f.At(99, 99), RGBColor(0, 0, 255));
    EXPECT_EQ(f.At(100, 100), RGBColor(2, 2, 2));
    EXPECT_EQ(f.At(50, 50), RGBColor(1, 1, 1));
}

TEST(DrawLineSeries, ThinLinesBetweenConsecutivePoints) {
    TImageFixture f;
    auto l = f.Make<TGraphLineAEVObject>();
    const TColor c = RGBColor(90, 0, 90);
    l->SetColor(c);
    AddAt(*l, 0, 10, 100);
    AddAt(*l, 1, 60, 100);
    AddAt(*l, 2, 60, 150);
    l->Draw();
    EXPECT_EQ(f.At(12, 102), c);
    EXPECT_EQ(f.At(61, 102), c);
    EXPECT_EQ(f.At(62, 130), c);
    EXPECT_EQ(f.At(62, 152), clWhite); // the last pixel of a line is left out
    EXPECT_EQ(f.CountOf(c), 50 + 50);
}

TEST(DrawHistogram, BarsFilledAndFramedThinOnesInTheFillColour) {
    TImageFixture f;
    auto h = f.Make<THistigramAEVObject>();
    const TColor fill = RGBColor(0, 150, 255), frame = RGBColor(60, 60, 60);
    h->SetColor(fill);
    h->FramePen().SetColor(frame);
    AddAt(*h, 0, 10, 50);
    AddAt(*h, 1, 20, 200); // bar at pixels 12 .. 21, 52 .. 201
    AddAt(*h, 2, 40, 100);
    AddAt(*h, 3, 40, 200); // no width: still one pixel wide
    AddAt(*h, 4, 60, 10);  // waits for a partner
    h->Draw();
    EXPECT_EQ(f.At(12, 100), frame);
    EXPECT_EQ(f.At(21, 100), frame);
    EXPECT_EQ(f.At(16, 52), frame);
    EXPECT_EQ(f.At(16, 201), frame);
    EXPECT_EQ(f.At(16, 100), fill);
    EXPECT_EQ(f.At(22, 100), clWhite);
    EXPECT_EQ(f.At(16, 202), clWhite);
    EXPECT_EQ(f.At(42, 150), fill);
    EXPECT_EQ(f.At(41, 150), clWhite);
    EXPECT_EQ(f.At(43, 150), clWhite);
    EXPECT_EQ(f.At(62, 30), clWhite);
}
