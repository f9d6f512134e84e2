// The mouse on a filled graph: wheel steps zoom around the mouse, a middle-button drag moves
// the ranges, resting on a point shows its values and a double click hit-marks its record.

#include "TStreamGraph.h"

#include "model/TAEFieldIDs.h"
#include "processing/IProcessorContext.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/graph/TGVCPUGr.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TCanvasContainer.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct TGraphMouseFixture : TStreamGraphFixture {
    TGraphVC* view = nullptr;

    void SetUp() override {
        TStreamGraphFixture::SetUp();
        page.show();
        AddRampHits();
        view = AddAmplitudeGraph(*source, &page, stPointPlot, "GR1", "0000000000000931");
        ASSERT_NE(view, nullptr);
        view->SetActive(true);
        ASSERT_TRUE(view->Active()) << view->FillError();
    }
    QWidget* Plot() const { return view->Container(); }
    TGraphPointAEVObject& Points() const {
        return *dynamic_cast<TGraphPointAEVObject*>(view->SeriesObject(*view->Series().Get(0)));
    }
    static std::pair<long double, long double> Range(TGrAixs& a) {
        return {a.CurMin()->GetAsFloat(), a.CurMax()->GetAsFloat()};
    }
    // The bottom value under a pixel of the plot.
    long double BottomValueAt(int x) const {
        long double lx = 0, ly = 0;
        view->Container()->Converter().DeviceToLogical(1, 1, x, 0, lx, ly);
        const auto [lo, hi] = Range(view->BottomAxis());
        return lo + lx / LogicalWidthUnits * (hi - lo);
    }
    // Where the point of a record is drawn.
    QPoint PixelOf(int32_t record) const {
        const TAEVPointList& p = Points().Points();
        for (int i = 0; i < p.Count(); ++i)
            if (p.Tag(i) == record) {
                int32_t x = 0, y = 0;
                view->Container()->Converter().LogicalToDevice(1, 1, p.X(i), p.Y(i), x, y);
                return {x, y};
            }
        ADD_FAILURE() << "no point of record " << record;
        return {};
    }
    void Wheel(QPoint at, int delta) {
        QWheelEvent e(at, Plot()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Plot(), &e);
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, Plot()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(Plot(), &e);
    }
    void RestAt(QPoint at) { Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
};

} // namespace

TEST_F(TGraphMouseFixture, TheWheelZoomsAroundTheMouseOneStackEntryPerStep) {
    const QPoint at(Plot()->width() / 4, Plot()->height() / 2);
    const auto [lo, hi] = Range(view->BottomAxis());
    const long double under = BottomValueAt(at.x());
    Wheel(at, 120);
    ASSERT_EQ(view->Zoom().Stack().size(), 1u);
    auto [lo1, hi1] = Range(view->BottomAxis());
    EXPECT_NEAR(static_cast<double>(hi1 - lo1), static_cast<double>((hi - lo) * 0.8L), 1e-9);
    // The value under the mouse stays there, but for the few pixels the plot moves when the
    // zoomed range's labels make the left strip wider or narrower.
    const double pixel = static_cast<double>((hi1 - lo1) / Plot()->width());
    EXPECT_NEAR(static_cast<double>(BottomValueAt(at.x())), static_cast<double>(under), 4 * pixel);
    EXPECT_NE(view->TitleText().find("[Zoom]"), std::string::npos);
    // Half steps of a fine wheel add up to one step.
    Wheel(at, 60);
    EXPECT_EQ(view->Zoom().Stack().size(), 1u);
    Wheel(at, 60);
    EXPECT_EQ(view->Zoom().Stack().size(), 2u);
    // "Unzoom" walks back one step.
    view->MenuItem("mUnzoomVC")->trigger();
    EXPECT_EQ(view->Zoom().Stack().size(), 1u);
    std::tie(lo1, hi1) = Range(view->BottomAxis());
    EXPECT_NEAR(static_cast<double>(hi1 - lo1), static_cast<double>((hi - lo) * 0.8L), 1e-9);
    // Toward the user zooms out; out to the whole graph is "Unzoom All".
    Wheel(at, -120);
    EXPECT_TRUE(view->Zoom().Empty());
    EXPECT_EQ(Range(view->BottomAxis()), std::make_pair(lo, hi));
    EXPECT_EQ(view->TitleText().find("[Zoom]"), std::string::npos);
    Wheel(at, -120);
    EXPECT_TRUE(view->Zoom().Empty());
    EXPECT_EQ(Range(view->BottomAxis()), std::make_pair(lo, hi));
}

TEST_F(TGraphMouseFixture, AMiddleDragMovesTheRangesWithTheMouseAsOneEntry) {
    const QPoint from(300, 200);
    const QPoint to(360, 160);
    const auto [lo, hi] = Range(view->BottomAxis());
    const auto [bottomLo, bottomHi] = Range(view->LeftAxis());
    const long double under = BottomValueAt(from.x());
    const QPoint before = PixelOf(40);
    Mouse(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    EXPECT_TRUE(view->Dragging());
    for (int k = 1; k <= 6; ++k)
        Mouse(QEvent::MouseMove, from + (to - from) * k / 6, Qt::NoButton, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::MiddleButton, Qt::NoButton);
    EXPECT_FALSE(view->Dragging());
    EXPECT_EQ(view->Zoom().Stack().size(), 1u);
    // The value that was under the mouse went along with it, and so did the points.
    EXPECT_NEAR(static_cast<double>(BottomValueAt(to.x())), static_cast<double>(under), 1e-9);
    const auto [lo1, hi1] = Range(view->BottomAxis());
    EXPECT_LT(lo1, lo);
    EXPECT_NEAR(static_cast<double>(hi1 - lo1), static_cast<double>(hi - lo), 1e-9);
    const auto [left1, left2] = Range(view->LeftAxis());
    EXPECT_LT(left1, bottomLo);
    EXPECT_LT(left2, bottomHi);
    const QPoint after = PixelOf(40);
    EXPECT_NEAR(after.x() - before.x(), to.x() - from.x(), 1);
    EXPECT_NEAR(after.y() - before.y(), to.y() - from.y(), 1);
    view->MenuItem("mUnzoomVC")->trigger();
    EXPECT_EQ(Range(view->BottomAxis()), std::make_pair(lo, hi));
    // A press and release without moving leaves no entry.
    Mouse(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, from, Qt::MiddleButton, Qt::NoButton);
    EXPECT_TRUE(view->Zoom().Empty());
}

TEST_F(TGraphMouseFixture, RestingOnAPointShowsItsValuesChannelAndRecord) {
    // Record 37 (the 38th): 37 ms, channel 3, amplitude 47.
    const QPoint at = PixelOf(37) + QPoint(2, -1);
    RestAt(at);
    const std::string text = view->PointedText();
    EXPECT_NE(text.find("Channel: 3"), std::string::npos) << text;
    EXPECT_NE(text.find("Record: 38"), std::string::npos) << text;
    EXPECT_NE(text.find(": 47\n"), std::string::npos) << text;
    EXPECT_NE(text.find(": 37\n"), std::string::npos) << text;
    EXPECT_EQ(QToolTip::text().toStdString(), text);
    // Away from every point nothing shows.
    RestAt(QPoint(Plot()->width() / 2, 3));
    EXPECT_EQ(view->PointedText(), "");
    // Zoomed in, the values get the digits that tell them apart.
    for (int k = 0; k < 12; ++k)
        Wheel(PixelOf(37), 120);
    RestAt(PixelOf(37));
    EXPECT_NE(view->PointedText().find("Record: 38"), std::string::npos) << view->PointedText();
    // A deleted or hidden point is not pointed at: the rectangle's Delete hides the record.
    Points().DeletePositions({37}, true);
    RestAt(PixelOf(37));
    EXPECT_EQ(view->PointedText().find("Record: 38"), std::string::npos);
    RestAt(QPoint(-1, -1));
}

TEST_F(TGraphMouseFixture, ADoubleClickOnAPointHitMarksItsRecord) {
    QTest::mouseDClick(Plot(), Qt::LeftButton, Qt::NoModifier, PixelOf(62));
    const TAEOMSG* request = nullptr;
    for (const TAEOMSG& m : context.Messages)
        if (m.Msg == omHitMarkRequest) request = &m;
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->List, std::vector<int32_t>{62});
    EXPECT_EQ(view->HitMarkPosition(), 62);
    EXPECT_TRUE(view->MenuItem("mHideHitMarksVC")->isEnabled());
    // Beside the points nothing is asked.
    context.Messages.clear();
    QTest::mouseDClick(Plot(), Qt::LeftButton, Qt::NoModifier, QPoint(Plot()->width() / 2, 3));
    for (const TAEOMSG& m : context.Messages)
        EXPECT_NE(m.Msg, omHitMarkRequest);
}
