#include "view2d/TCanvasDraw.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace vorelt;

namespace {

struct TCanvasFixture {
    // 302 x 215: one pixel per logical unit, offset 2.
    std::shared_ptr<TCoordMapping> mapping = std::make_shared<TCoordMapping>(302, 215, 96);
    QImage image{302, 215, QImage::Format_RGB32};
    TCanvasDraw draw{mapping, &image};
    TCanvasFixture() { image.fill(Qt::white); }
    bool Black(int x, int y) const { return image.pixel(x, y) == qRgb(0, 0, 0); }
    int CountNonWhite() const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) ++n;
        return n;
    }
};

TLogicalPoint P(long double x, long double y) {
    return TLogicalPoint{x, y};
}

} // namespace

TEST(CanvasDraw, RectangleExcludesRightAndBottomEdge) {
    TCanvasFixture f;
    f.draw.Brush().Style = bsClear;
    f.draw.DrawRect(P(10, 10), P(20, 15), sfBoth); // device 12..22, 12..17
    EXPECT_TRUE(f.Black(12, 12));
    EXPECT_TRUE(f.Black(21, 12));
    EXPECT_TRUE(f.Black(21, 16));
    EXPECT_FALSE(f.Black(22, 12));
    EXPECT_FALSE(f.Black(12, 17));
    EXPECT_FALSE(f.Black(15, 14)); // clear brush: inside untouched
}

TEST(CanvasDraw, RectangleWithEqualCornersStillDrawsOnePixelWide) {
    TCanvasFixture f;
    f.draw.DrawRect(P(50, 50), P(50, 50), sfBoth);
    EXPECT_TRUE(f.Black(52, 52));
    EXPECT_EQ(f.CountNonWhite(), 1);
    f.image.fill(Qt::white);
    f.draw.DrawRect(P(50, 50), P(50, 60), sfBoth);
    EXPECT_TRUE(f.Black(52, 52));
    EXPECT_TRUE(f.Black(52, 61));
    EXPECT_FALSE(f.Black(53, 55));
    EXPECT_FALSE(f.Black(52, 62));
}

TEST(CanvasDraw, LineLeavesOutItsLastPixel) {
    TCanvasFixture f;
    f.draw.DrawLine(P(10, 10), P(20, 10), sfBoth);
    EXPECT_TRUE(f.Black(12, 12));
    EXPECT_TRUE(f.Black(21, 12));
    EXPECT_FALSE(f.Black(22, 12));
    EXPECT_EQ(f.CountNonWhite(), 10);
}

TEST(CanvasDraw, XorOutlineDrawnTwiceErasesItself) {
    TCanvasFixture f;
    f.draw.FillRect(40, 40, 80, 80, RGBColor(10, 200, 30));
    const QImage before = f.image.copy();
    f.draw.Pen().Mode = pmXor;
    f.draw.Pen().Style = psDashDotDot;
    f.draw.Pen().Color = clWhite;
    auto outline = [&] {
        f.draw.MoveTo(30, 30);
        f.draw.LineTo(30, 90);
        f.draw.LineTo(90, 90);
        f.draw.LineTo(90, 30);
        f.draw.LineTo(30, 30);
    };
    outline();
    EXPECT_NE(f.image, before);
    outline();
    EXPECT_EQ(f.image, before);
}

TEST(CanvasDraw, PointStylesCoverTheirSquares) {
    SetSizePoint(1);
    TCanvasFixture f;
    f.draw.SetPointStyle(ptPoint);
    f.draw.DrawPoint(P(100, 100), sfBoth, clRed); // x +- 1 excluding the far edge: 2 x 2
    EXPECT_EQ(f.CountNonWhite(), 4);
    EXPECT_EQ(f.image.pixel(101, 101), qRgb(255, 0, 0));
    EXPECT_EQ(f.image.pixel(102, 102), qRgb(255, 0, 0));
    f.image.fill(Qt::white);
    f.draw.SetPointStyle(ptBigPoint);
    f.draw.DrawPoint(P(100, 100), sfBoth, clRed);
    EXPECT_EQ(f.CountNonWhite(), 16);
}

TEST(CanvasDraw, PolygonFillsEvenOdd) {
    TCanvasFixture f;
    f.draw.Brush().Color = clBlack;
    // A pentagram: its centre lies inside two windings and stays empty under even-odd.
    TPointsArray star{P(150, 20), P(180, 110), P(100, 55), P(200, 55), P(120, 110)};
    f.draw.DrawPolygon(star, sfBoth);
    EXPECT_FALSE(f.Black(152, 72));
    EXPECT_TRUE(f.Black(152, 35)); // a tip
}

TEST(CanvasDraw, SaveRestoreAndMaskedStyle) {
    TCanvasFixture f;
    f.draw.SaveState();
    TPenAttrs pen;
    pen.Color = clRed;
    pen.Width = 5;
    TBrushAttrs brush;
    brush.Color = clYellow;
    TDrawStyle st;
    st.Pen = &pen;
    st.Brush = &brush;
    st.Mask = dsPenColor | dsBrushColor; // width not masked
    st.PointStyle = ptRound;
    f.draw.ApplyStyle(st);
    EXPECT_EQ(f.draw.Pen().Color, clRed);
    EXPECT_EQ(f.draw.Pen().Width, 1);
    EXPECT_EQ(f.draw.Brush().Color, clYellow);
    EXPECT_EQ(f.draw.PointStyle(), ptRound);
    f.draw.RestoreState();
    EXPECT_EQ(f.draw.Pen().Color, clBlack);
    EXPECT_EQ(f.draw.Brush().Color, clWhite);
    EXPECT_EQ(f.draw.PointStyle(), ptPoint);
}

TEST(CanvasDraw, FillRectExFramesOnlyRectanglesWiderAndHigherThanTwoPixels) {
    TCanvasFixture f;
    f.draw.FillRectEx(P(10, 10), P(20, 20), sfBoth, clYellow, clBlack, 0.1L);
    EXPECT_EQ(f.image.pixel(12, 12), qRgb(0, 0, 0));
    EXPECT_EQ(f.image.pixel(15, 15), qRgb(255, 255, 0));
    f.draw.FillRectEx(P(40, 10), P(41, 20), sfBoth, clYellow, clBlack, 0.1L);
    EXPECT_EQ(f.image.pixel(42, 12), qRgb(255, 255, 0));
}

TEST(CanvasDraw, DiagonalLineAlsoLeavesOutItsLastPixel) {
    TCanvasFixture f;
    f.draw.DrawLine(P(10, 10), P(20, 20), sfBoth);
    EXPECT_TRUE(f.Black(12, 12));
    EXPECT_TRUE(f.Black(21, 21));
    EXPECT_FALSE(f.Black(22, 22));
}
