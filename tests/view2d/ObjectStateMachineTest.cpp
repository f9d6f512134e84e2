// The object state machine, creation, hit tests and drags, driven through the container's
// state machine without a window.
#include "TRecordingCanvas.h"
#include "view2d/TCanvasContainerCore.h"
#include "view2d/TCanvasDraw.h"
#include "viewmodel/drawables/TLineAEVObject.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"
#include "viewmodel/drawables/TRectAEVObject.h"

#include <gtest/gtest.h>

using namespace vorelt;

namespace {

class THost : public ICanvasHost {
public:
    int32_t ClientWidth() const override { return 302; }
    int32_t ClientHeight() const override { return 215; }
    void SetMouseCapture(bool) override {}
    void Repaint() override {}
    void ShowBuffer() override {}
    void StartTypingTimer() override {}
    void StopTypingTimer() override {}
    void TakeFocus() override {}
    void BeginDragOperation() override {}
};

// One pixel per logical unit, shifted by the 2-pixel margin: logical (x, y) is pixel
// (x + 2, y + 2).
struct TStateFixture {
    THost host;
    std::shared_ptr<TCoordMapping> mapping = std::make_shared<TCoordMapping>(302, 215, 96);
    QImage image{302, 215, QImage::Format_RGB32};
    TCanvasDraw draw{mapping, &image};
    TCanvasContainerCore core{host, &draw};
    TStateFixture() { image.fill(Qt::white); }

    TRectAEVObject* AddRect(long double x0, long double y0, long double x1, long double y1) {
        auto r = std::make_unique<TRectAEVObject>();
        r->SetRect(x0, y0, x1, y1);
        auto* raw = r.get();
        core.AddObject(std::move(r));
        return raw;
    }
    THitInfo Probe(TBaseAEVObject& obj, int32_t x, int32_t y) {
        THitInfo info;
        info.DevX = x;
        info.DevY = y;
        info.Tolerance = 3;
        TAEVMessage msg;
        msg.Msg = AEVM_HITTEST;
        msg.Info = &info;
        obj.Dispatch(msg);
        return info;
    }
};

TLogicalPoint Corner(const TBaseAEVObject& obj, int i) {
    TLogicalPoint p;
    obj.GetPoint(i, p);
    return p;
}

} // namespace

TEST(ObjectCreation, LineRightClickedWithOnePointIsCancelledAndRemoved) {
    TStateFixture f;
    auto line = TLineAEVObject::CreateForEditing();
    int cancels = 0;
    line->OnCancel = [&](TBaseAEVObject&) { ++cancels; };
    f.core.StartCreate(std::move(line));
    ASSERT_EQ(f.core.Count(), 1);
    EXPECT_EQ(f.core.State(), csCreating);
    f.core.LeftButtonDown(52, 52, MK_LBUTTON_);
    EXPECT_EQ(f.core.GetObject(0)->GetPointCount(), 2); // the point and the rubber band
    f.core.MouseMove(80, 60, 0);
    f.core.RightButtonDown(80, 60, MK_RBUTTON_);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(f.core.Count(), 0);
    EXPECT_EQ(f.core.State(), csIdle);
}

TEST(ObjectCreation, LineOfTwoClicksIsCompletedByTheRightClick) {
    TStateFixture f;
    auto line = TLineAEVObject::CreateForEditing();
    auto* raw = line.get();
    int created = 0;
    line->OnCreated = [&](TBaseAEVObject&) { ++created; };
    f.core.StartCreate(std::move(line));
    f.core.LeftButtonDown(12, 12, MK_LBUTTON_);
    f.core.MouseMove(50, 30, 0);
    EXPECT_EQ(Corner(*raw, 1).X, 48); // the rubber band follows the mouse
    f.core.LeftButtonDown(62, 42, MK_LBUTTON_);
    f.core.MouseMove(90, 90, 0);
    f.core.RightButtonDown(90, 90, MK_RBUTTON_);
    ASSERT_EQ(f.core.Count(), 1);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(raw->State(), osNormal);
    EXPECT_EQ(created, 1);
    ASSERT_EQ(raw->GetPointCount(), 2);
    EXPECT_EQ(Corner(*raw, 0).X, 10);
    EXPECT_EQ(Corner(*raw, 1).X, 60);
    EXPECT_EQ(Corner(*raw, 1).Y, 40);
}

TEST(ObjectCreation, PolygonNeedsThreePoints) {
    TStateFixture f;
    f.core.StartCreate(TPolyLineAEVObject::CreateForEditing());
    f.core.LeftButtonDown(12, 12, MK_LBUTTON_);
    f.core.LeftButtonDown(52, 12, MK_LBUTTON_);
    f.core.RightButtonDown(52, 52, MK_RBUTTON_);
    EXPECT_EQ(f.core.Count(), 0);

    f.core.StartCreate(TPolyLineAEVObject::CreateForEditing());
    f.core.LeftButtonDown(12, 12, MK_LBUTTON_);
    f.core.LeftButtonDown(52, 12, MK_LBUTTON_);
    f.core.LeftButtonDown(52, 52, MK_LBUTTON_);
    f.core.RightButtonDown(52, 52, MK_RBUTTON_);
    ASSERT_EQ(f.core.Count(), 1);
    EXPECT_EQ(f.core.GetObject(0)->GetPointCount(), 3);
}

TEST(ObjectCreation, RectangleTakesTwoClicksAndKeepsItsSecondCornerRightAndBelow) {
    TStateFixture f;
    auto rect = TRectAEVObject::CreateForEditing();
    auto* raw = rect.get();
    f.core.StartCreate(std::move(rect));
    f.core.LeftButtonDown(52, 42, MK_LBUTTON_);
    ASSERT_EQ(raw->GetPointCount(), 4);
    f.core.MouseMove(20, 20, 0); // up and left of the first corner
    EXPECT_EQ(Corner(*raw, 2).X, 51);
    EXPECT_EQ(Corner(*raw, 2).Y, 41);
    f.core.MouseMove(122, 92, 0);
    f.core.LeftButtonDown(122, 92, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(raw->State(), osNormal);
    EXPECT_EQ(Corner(*raw, 0).X, 50);
    EXPECT_EQ(Corner(*raw, 0).Y, 40);
    EXPECT_EQ(Corner(*raw, 1).X, 120);
    EXPECT_EQ(Corner(*raw, 1).Y, 40);
    EXPECT_EQ(Corner(*raw, 2).X, 120);
    EXPECT_EQ(Corner(*raw, 3).Y, 90);
}

TEST(ObjectCreation, PlainObjectsRefuseCreationAndTheContainerDropsThem) {
    TStateFixture f;
    // Not an editing variant: AutoEdit is clear, so entering creation falls back to normal.
    f.core.StartCreate(std::make_unique<TLineAEVObject>());
    EXPECT_EQ(f.core.Count(), 0);
    EXPECT_EQ(f.core.State(), csIdle);
}

TEST(ObjectSelection, DisabledObjectStaysUnselectedAndCallsNoHandler) {
    TStateFixture f;
    auto* r = f.AddRect(10, 10, 100, 80);
    int calls = 0;
    r->OnSelect = [&](TBaseAEVObject&) { ++calls; };
    r->SetEnabled(false);
    f.core.SelectObject(r);
    EXPECT_FALSE(r->Selected());
    EXPECT_EQ(f.core.SelectedIndex(), -1);
    EXPECT_EQ(calls, 0);
    r->SetEnabled(true);
    f.core.SelectObject(r);
    EXPECT_TRUE(r->Selected());
    EXPECT_EQ(calls, 1);
}

TEST(ObjectHitTest, HandlesThenEdgesThenInside) {
    TStateFixture f;
    auto* r = f.AddRect(10, 10, 100, 80); // pixels 12 .. 102, 12 .. 82
    THitInfo h = f.Probe(*r, 101, 83);
    EXPECT_EQ(h.HitKind, hkHandle);
    EXPECT_EQ(h.HitIndex, 2);
    EXPECT_EQ(h.Distance, 0);
    h = f.Probe(*r, 50, 14);
    EXPECT_EQ(h.HitKind, hkEdge);
    EXPECT_EQ(h.HitIndex, 0);
    EXPECT_EQ(h.Distance, 2);
    h = f.Probe(*r, 104, 50);
    EXPECT_EQ(h.HitKind, hkEdge);
    EXPECT_EQ(h.HitIndex, 1);
    h = f.Probe(*r, 50, 50);
    EXPECT_EQ(h.HitKind, hkBody);
    h = f.Probe(*r, 150, 50);
    EXPECT_EQ(h.HitKind, hkNone);

    auto line = std::make_unique<TLineAEVObject>();
    line->AddPoint(10, 10);
    line->AddPoint(100, 10);
    line->AddPoint(100, 100);
    auto* l = line.get();
    f.core.AddObject(std::move(line));
    h = f.Probe(*l, 60, 15);
    EXPECT_EQ(h.HitKind, hkBody);
    EXPECT_EQ(h.HitIndex, 0);
    EXPECT_EQ(h.Distance, 3);
    h = f.Probe(*l, 60, 60); // inside the corner, but a line is open
    EXPECT_EQ(h.HitKind, hkNone);
    h = f.Probe(*l, 104, 60);
    EXPECT_EQ(h.HitIndex, 1);
    // Past the end of a segment the distance is to the end point.
    h = f.Probe(*l, 9, 9);
    EXPECT_EQ(h.HitKind, hkHandle);
    h = f.Probe(*l, 7, 12);
    EXPECT_EQ(h.HitKind, hkNone);
}

TEST(ObjectDrag, CornerDraggedPastTheOppositeCornerStopsOneUnitShort) {
    TStateFixture f;
    auto* r = f.AddRect(10, 10, 100, 80);
    // Double click on corner 2 starts editing and the vertex drag.
    f.core.LeftDoubleClick(102, 82, MK_LBUTTON_);
    ASSERT_EQ(r->State(), osEditing);
    ASSERT_EQ(f.core.State(), csTracking);
    EXPECT_EQ(r->DragKind(), hkHandle);
    EXPECT_EQ(r->DragIndex(), 2);
    f.core.MouseMove(0, 0, MK_LBUTTON_);
    EXPECT_EQ(Corner(*r, 2).X, 11);
    EXPECT_EQ(Corner(*r, 2).Y, 11);
    EXPECT_EQ(Corner(*r, 0).X, 10);
    // Back the other way the corner follows the mouse again.
    f.core.MouseMove(62, 52, MK_LBUTTON_);
    EXPECT_GT(Corner(*r, 2).X, 11);
    f.core.RightButtonDown(62, 52, MK_RBUTTON_);
    EXPECT_EQ(r->State(), osNormal);
    EXPECT_EQ(f.core.State(), csIdle);

    // Corner 0 dragged down and right past corner 2 stops 1 unit before it too.
    auto* s = f.AddRect(150, 100, 240, 170);
    f.core.LeftDoubleClick(152, 102, MK_LBUTTON_);
    ASSERT_EQ(s->State(), osEditing);
    ASSERT_EQ(s->DragIndex(), 0);
    f.core.MouseMove(290, 210, MK_LBUTTON_);
    EXPECT_EQ(Corner(*s, 0).X, 239);
    EXPECT_EQ(Corner(*s, 0).Y, 169);
    EXPECT_EQ(Corner(*s, 2).X, 240);
}

TEST(ObjectDrag, BodyFollowsAllowedAxesStaysInBoundsAndAsksFirst) {
    TStateFixture f;
    auto* r = f.AddRect(10, 10, 50, 40);
    r->SetMoveAxes(maX);
    f.core.LeftDoubleClick(30, 30, MK_LBUTTON_);
    ASSERT_EQ(r->DragKind(), hkBody);
    f.core.MouseMove(40, 50, MK_LBUTTON_);
    EXPECT_EQ(Corner(*r, 0).X, 20);
    EXPECT_EQ(Corner(*r, 0).Y, 10);
    f.core.RightButtonDown(40, 50, MK_RBUTTON_);

    r->SetMoveAxes(maX | maY);
    r->SetBounds(TLogicalPoint{0, 0}, TLogicalPoint{100, 100});
    f.core.LeftDoubleClick(30, 30, MK_LBUTTON_);
    f.core.MouseMove(200, 30, MK_LBUTTON_); // would push the right edge to 230
    EXPECT_EQ(Corner(*r, 2).X, 100);
    EXPECT_EQ(Corner(*r, 0).X, 60);
    f.core.RightButtonDown(200, 30, MK_RBUTTON_);

    bool refuse = true;
    int asked = 0;
    r->OnChanging = [&](TBaseAEVObject&, int32_t kind, int32_t, long double dx, long double,
                        bool& accept) {
        ++asked;
        EXPECT_EQ(kind, hkBody);
        EXPECT_EQ(dx, -10);
        accept = !refuse;
    };
    f.core.LeftDoubleClick(80, 30, MK_LBUTTON_);
    f.core.MouseMove(70, 30, MK_LBUTTON_);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Corner(*r, 0).X, 60);
}

TEST(ObjectDrag, ObjectsThatNeitherMoveNorResizeDoNotEnterEditing) {
    TStateFixture f;
    auto* r = f.AddRect(10, 10, 50, 40);
    r->SetMovable(false);
    r->SetResizable(false);
    f.core.LeftDoubleClick(30, 30, MK_LBUTTON_);
    EXPECT_TRUE(r->Selected());
    EXPECT_EQ(r->State(), osNormal);
    EXPECT_EQ(f.core.State(), csIdle);
}

TEST(ObjectDrag, DoubleClickOnASegmentWhileEditingInsertsAPoint) {
    TStateFixture f;
    auto line = std::make_unique<TLineAEVObject>();
    line->AddPoint(10, 10);
    line->AddPoint(100, 10);
    auto* l = line.get();
    int inserted = -1;
    l->OnInsertPoint = [&](TBaseAEVObject&, int index) { inserted = index; };
    f.core.AddObject(std::move(line));
    f.core.LeftDoubleClick(12, 12, MK_LBUTTON_); // on the first vertex: editing
    ASSERT_EQ(f.core.State(), csTracking);
    f.core.LeftDoubleClick(52, 13, MK_LBUTTON_); // on the segment
    EXPECT_EQ(inserted, 1);
    ASSERT_EQ(l->GetPointCount(), 3);
    EXPECT_EQ(Corner(*l, 1).X, 50);
    EXPECT_EQ(Corner(*l, 1).Y, 11);
}

TEST(ObjectDrawing, BatchUpdateSuppressesRedraws) {
    auto mapping = std::make_shared<TCoordMapping>(302, 215, 96);
    vorelt::test::TRecordingCanvas canvas(mapping);
    TRectAEVObject r;
    r.Attach(nullptr, &canvas);
    r.SetRect(10, 10, 50, 40);
    EXPECT_EQ(canvas.Markers.size(), 4u);
    r.BeginUpdate();
    r.SetName("info");
    EXPECT_EQ(canvas.Markers.size(), 4u);
    r.EndUpdate();
    r.EndUpdate(); // not below 0
    EXPECT_EQ(r.UpdateCount(), 0);
    r.SetName("again");
    EXPECT_EQ(canvas.Markers.size(), 8u);
}
