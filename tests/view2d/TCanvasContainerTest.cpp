#include "view2d/TCanvasContainer.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace vorelt;

namespace {

// A box in device pixels that records the messages it gets.
class TBoxObject : public TBaseAEVObject {
public:
    TBoxObject(int l, int t, int r, int b, std::vector<std::string>* log = nullptr,
               std::string name = "box")
        : FL(l), FT(t), FR(r), FB(b), FLog(log) {
        SetName(std::move(name));
    }
    // What the object does on creation messages.
    bool EnterCreating = true;
    int PointsToFinish = 2;
    int Points = 0;
    bool ContextHandler = false;
    long double Distance = 1;
    // The state a right click leaves the object in (none: unchanged).
    std::optional<uint8_t> RightDownState;

    void Dispatch(TAEVMessage& msg) override {
        if (FLog) FLog->push_back(Name() + ":" + MsgName(msg.Msg));
        switch (msg.Msg) {
        case AEVM_HITTEST: {
            const THitInfo& i = *msg.Info;
            if (i.DevX >= FL && i.DevX < FR && i.DevY >= FT && i.DevY < FB) {
                msg.Info->HitKind = 1;
                msg.Info->Distance = Distance;
            }
            return;
        }
        case AEVM_BEGINCREATE:
            if (EnterCreating) FState = osCreating;
            return;
        case AEVM_ADDPOINT:
            if (++Points >= PointsToFinish) FState = osNormal;
            return;
        case AEVM_CANCELCREATE:
            FState = osCancelled;
            return;
        case AEVM_BEGINEDIT:
            FState = osEditing;
            return;
        case AEVM_ENDEDIT:
            FState = osNormal;
            return;
        case WM_RBUTTONDOWN_:
            if (RightDownState) FState = *RightDownState;
            return;
        default:
            TBaseAEVObject::Dispatch(msg);
        }
    }
    bool HasContextHandler() const override { return ContextHandler; }
    void Draw() override {
        if (auto* d = dynamic_cast<TCanvasDraw*>(DrawCanvas())) {
            d->FillRect(FL, FT, FR, FB, Selected() ? clRed : RGBColor(0, 0, 200));
        }
    }
    static std::string MsgName(uint32_t m) {
        switch (m) {
        case AEVM_HITTEST:
            return "hit";
        case AEVM_SELECT:
            return "select";
        case AEVM_UNSELECT:
            return "unselect";
        case AEVM_BEGINCREATE:
            return "begincreate";
        case AEVM_CANCELCREATE:
            return "cancelcreate";
        case AEVM_ADDPOINT:
            return "addpoint";
        case AEVM_MOVEPOINT:
            return "movepoint";
        case AEVM_BEGINEDIT:
            return "beginedit";
        case AEVM_ENDEDIT:
            return "endedit";
        case AEVM_DRAG:
            return "drag";
        case AEVM_BACKDBLCLICK:
            return "backdbl";
        case WM_LBUTTONDOWN_:
            return "ldown";
        case WM_LBUTTONUP_:
            return "lup";
        case WM_RBUTTONDOWN_:
            return "rdown";
        case WM_LBUTTONDBLCLK_:
            return "dbl";
        case WM_KEYDOWN_:
            return "key";
        default:
            return std::to_string(m);
        }
    }

private:
    int FL, FT, FR, FB;
    std::vector<std::string>* FLog;
};

// Host without a window: the state machine alone.
class TFakeHost : public ICanvasHost {
public:
    int32_t W = 400, H = 300;
    bool Captured = false;
    bool TimerRunning = false;
    int Repaints = 0;
    int Drags = 0;
    int32_t ClientWidth() const override { return W; }
    int32_t ClientHeight() const override { return H; }
    void SetMouseCapture(bool c) override { Captured = c; }
    void Repaint() override { ++Repaints; }
    void ShowBuffer() override {}
    void StartTypingTimer() override { TimerRunning = true; }
    void StopTypingTimer() override { TimerRunning = false; }
    void TakeFocus() override {}
    void BeginDragOperation() override { ++Drags; }
};

struct TCoreFixture {
    TFakeHost host;
    std::shared_ptr<TCoordMapping> mapping = std::make_shared<TCoordMapping>(400, 300);
    QImage image{400, 300, QImage::Format_RGB32};
    TCanvasDraw draw{mapping, &image};
    TCanvasContainerCore core{host, &draw};
    std::vector<TRectInt> rects;
    TCoreFixture() {
        image.fill(Qt::white);
        core.OnSelectRect = [this](TCanvasContainerCore&, TRectInt& r) { rects.push_back(r); };
    }
    void Band(int x0, int y0, int x1, int y1) {
        core.LeftButtonDown(x0, y0, MK_LBUTTON_);
        core.MouseMove(x0, y0, MK_LBUTTON_);
        core.MouseMove(x1, y1, MK_LBUTTON_);
        core.LeftButtonUp(x1, y1, 0);
    }
};

} // namespace

TEST(ContainerObjects, AddInsertDeleteExchange) {
    TCoreFixture f;
    auto* a = new TBoxObject(0, 0, 10, 10);
    auto* b = new TBoxObject(0, 0, 10, 10);
    auto* c = new TBoxObject(0, 0, 10, 10);
    EXPECT_EQ(f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a), -1), 0);
    EXPECT_EQ(f.core.AddObject(std::unique_ptr<TBaseAEVObject>(b), 99), 1);
    EXPECT_EQ(f.core.AddObject(std::unique_ptr<TBaseAEVObject>(c), 0), 0);
    EXPECT_EQ(f.core.IndexOfObject(c), 0);
    EXPECT_EQ(f.core.IndexOfObject(b), 2);
    EXPECT_EQ(f.core.IndexOfObject(nullptr), -1);
    EXPECT_EQ(a->Container(), &f.core);
    EXPECT_FALSE(f.core.ExchangeObjects(0, 3));
    EXPECT_TRUE(f.core.ExchangeObjects(0, 2));
    EXPECT_EQ(f.core.GetObject(0), b);
    f.core.SelectObject(a);
    EXPECT_EQ(f.core.SelectedIndex(), 1);
    f.core.DeleteObject(7); // ignored
    EXPECT_EQ(f.core.Count(), 3);
    f.core.DeleteObject(0);
    EXPECT_EQ(f.core.SelectedIndex(), -1);
    EXPECT_EQ(f.core.Count(), 2);
    f.core.Clear();
    EXPECT_EQ(f.core.Count(), 0);
}

TEST(ContainerHitTest, EqualDistancesLetTheEarlierObjectWin) {
    TCoreFixture f;
    std::vector<std::string> log;
    auto* first = new TBoxObject(10, 10, 100, 100, &log, "first");
    auto* second = new TBoxObject(50, 50, 150, 150, &log, "second");
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(first));
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(second));
    f.core.LeftButtonDown(60, 60, MK_LBUTTON_);
    EXPECT_EQ(f.core.SelectedIndex(), 0);
    EXPECT_TRUE(first->Selected());
    EXPECT_FALSE(second->Selected());
    EXPECT_EQ(log.back(), "first:ldown");
    // A nearer hit wins regardless of order.
    second->Distance = 0.5L;
    f.core.LeftButtonDown(60, 60, MK_LBUTTON_);
    EXPECT_EQ(f.core.SelectedIndex(), 1);
    EXPECT_FALSE(first->Selected()); // unselected before the new hit test
}

TEST(ContainerHitTest, DisabledObjectIsSkippedOnClickAndEmptyClickClearsSelection) {
    TCoreFixture f;
    auto* a = new TBoxObject(10, 10, 100, 100);
    auto* b = new TBoxObject(10, 10, 100, 100);
    a->SetEnabled(false);
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(b));
    f.core.LeftButtonDown(20, 20, MK_LBUTTON_);
    EXPECT_EQ(f.core.SelectedIndex(), 1);
    f.core.LeftButtonDown(300, 250, MK_LBUTTON_);
    EXPECT_EQ(f.core.SelectedIndex(), -1);
    EXPECT_FALSE(b->Selected());
}

TEST(ContainerRubberBand, SmallBandsAreIgnored) {
    SetSizePoint(1);
    TCoreFixture f;
    f.Band(100, 100, 101, 150); // width 1 = SizePoint
    f.Band(100, 100, 150, 101);
    EXPECT_TRUE(f.rects.empty());
    f.Band(100, 100, 102, 102);
    ASSERT_EQ(f.rects.size(), 1u);
    SetSizePoint(3);
    f.Band(100, 100, 103, 140);
    EXPECT_EQ(f.rects.size(), 1u);
    SetSizePoint(1);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_FALSE(f.host.Captured);
}

TEST(ContainerRubberBand, DraggedUpAndLeftGivesOrderedCorners) {
    TCoreFixture f;
    f.Band(200, 150, 120, 90);
    ASSERT_EQ(f.rects.size(), 1u);
    EXPECT_EQ(f.rects[0].Left, 120);
    EXPECT_EQ(f.rects[0].Top, 90);
    EXPECT_EQ(f.rects[0].Right, 200);
    EXPECT_EQ(f.rects[0].Bottom, 150);
}

TEST(ContainerRubberBand, ClippedAtTheEdges) {
    TCoreFixture f;
    f.Band(50, 40, 398, 298); // beyond W - 3 and H - 3
    ASSERT_EQ(f.rects.size(), 1u);
    EXPECT_EQ(f.rects[0].Right, 399);
    EXPECT_EQ(f.rects[0].Bottom, 299);
    f.Band(0, 0, 397, 297); // exactly W - 3 and H - 3 stay; 0 stays 0
    ASSERT_EQ(f.rects.size(), 2u);
    EXPECT_EQ(f.rects[1].Right, 397);
    EXPECT_EQ(f.rects[1].Bottom, 297);
    f.Band(300, 200, -20, -5); // negative corners become 0
    ASSERT_EQ(f.rects.size(), 3u);
    EXPECT_EQ(f.rects[2].Left, 0);
    EXPECT_EQ(f.rects[2].Top, 0);
}

TEST(ContainerRubberBand, BandIsErasedFromTheBuffer) {
    TCoreFixture f;
    f.core.SetBandColor(clWhite);
    f.core.Render();
    const QImage before = f.image.copy();
    f.core.LeftButtonDown(50, 50, MK_LBUTTON_);
    f.core.MouseMove(50, 50, MK_LBUTTON_);
    f.core.MouseMove(150, 120, MK_LBUTTON_);
    EXPECT_NE(f.image, before);
    f.core.MouseMove(180, 140, MK_LBUTTON_);
    f.core.CancelMode();
    EXPECT_EQ(f.image, before);
    EXPECT_TRUE(f.rects.empty());
    EXPECT_EQ(f.core.State(), csIdle);
}

TEST(ContainerRubberBand, NotStartedWhenDisallowedOrWithOtherButtons) {
    TCoreFixture f;
    f.core.MouseMove(10, 10, MK_LBUTTON_ | MK_RBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    f.core.SetAllowSelectRect(false);
    f.core.MouseMove(10, 10, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    f.core.SetDragObjects(true);
    f.core.AddObject(std::make_unique<TBoxObject>(0, 0, 50, 50));
    f.core.LeftButtonDown(10, 10, MK_LBUTTON_);
    f.core.MouseMove(12, 12, MK_LBUTTON_);
    EXPECT_EQ(f.host.Drags, 1);
}

TEST(ContainerTyping, WholeTextDeliveredOnceWhenTheTimerFires) {
    TCoreFixture f;
    std::vector<std::string> texts;
    f.core.OnShortCut = [&](TCanvasContainerCore&, const std::string& t) {
        texts.push_back(t);
        return true;
    };
    f.core.KeyDown('Z', 0);
    EXPECT_EQ(f.core.State(), csTyping);
    EXPECT_TRUE(f.host.TimerRunning);
    f.core.KeyDown(VK_BACK_, 0);
    EXPECT_EQ(f.core.ShortCutText(), "Z-");
    f.core.TypingTimer();
    f.core.TypingTimer(); // a late tick in the idle state does nothing
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "Z-");
    EXPECT_FALSE(f.host.TimerRunning);
    // Typing again starts a fresh text.
    f.core.KeyDown('L', 0);
    f.core.TypingTimer();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "L");
}

TEST(ContainerTyping, KeysGoToTheSelectedObjectInstead) {
    TCoreFixture f;
    std::vector<std::string> log;
    auto* a = new TBoxObject(0, 0, 50, 50, &log);
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.SelectObject(a);
    log.clear();
    f.core.KeyDown('A', 0);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(log, std::vector<std::string>{"box:key"});
}

TEST(ContainerCreation, DeleteKeyCancelsAndRemovesTheObject) {
    TCoreFixture f;
    std::vector<std::string> log;
    f.core.StartCreate(std::make_unique<TBoxObject>(0, 0, 50, 50, &log));
    EXPECT_EQ(f.core.State(), csCreating);
    EXPECT_EQ(f.core.Count(), 1);
    EXPECT_TRUE(f.host.Captured);
    f.core.MouseMove(5, 5, 0);
    f.core.KeyDown('A', 0); // other keys are ignored while creating
    EXPECT_EQ(f.core.State(), csCreating);
    f.core.KeyDown(VK_DELETE_, 0);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(f.core.Count(), 0);
    EXPECT_EQ(f.core.SelectedIndex(), -1);
    EXPECT_FALSE(f.host.Captured);
    EXPECT_EQ(log, (std::vector<std::string>{"box:select", "box:begincreate", "box:movepoint",
                                             "box:cancelcreate"}));
}

TEST(ContainerCreation, PointsFinishCreationAndTheObjectStays) {
    TCoreFixture f;
    auto obj = std::make_unique<TBoxObject>(0, 0, 50, 50);
    auto* raw = obj.get();
    f.core.StartCreate(std::move(obj));
    f.core.LeftButtonDown(5, 5, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csCreating);
    f.core.LeftButtonDown(25, 25, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(f.core.IndexOfObject(raw), 0);
    EXPECT_EQ(f.core.SelectedIndex(), 0);
}

TEST(ContainerCreation, RejectedOrDisabledObjectsAreRemovedAtOnce) {
    TCoreFixture f;
    auto obj = std::make_unique<TBoxObject>(0, 0, 50, 50);
    obj->EnterCreating = false;
    f.core.StartCreate(std::move(obj));
    EXPECT_EQ(f.core.Count(), 0);
    EXPECT_EQ(f.core.State(), csIdle);
    auto disabled = std::make_unique<TBoxObject>(0, 0, 50, 50);
    disabled->SetEnabled(false);
    f.core.StartCreate(std::move(disabled));
    EXPECT_EQ(f.core.Count(), 0);
    f.core.StartCreate(std::make_unique<TBoxObject>(0, 0, 50, 50));
    f.core.CancelMode();
    EXPECT_EQ(f.core.Count(), 0);
    EXPECT_EQ(f.core.State(), csIdle);
}

TEST(ContainerEditing, DoubleClickEditsThenClickOutsideEnds) {
    TCoreFixture f;
    std::vector<std::string> log;
    auto* a = new TBoxObject(10, 10, 60, 60, &log, "a");
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.LeftDoubleClick(20, 20, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csTracking);
    EXPECT_EQ(a->State(), osEditing);
    log.clear();
    f.core.MouseMove(30, 30, MK_LBUTTON_);
    f.core.LeftButtonUp(30, 30, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a:drag", "a:lup"}));
    f.core.LeftButtonDown(200, 200, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(a->State(), osNormal);
    EXPECT_EQ(f.core.SelectedIndex(), -1);
}

TEST(ContainerEditing, BackgroundDoubleClickStopsAtTheFirstTaker) {
    TCoreFixture f;
    std::vector<std::string> log;
    auto* a = new TBoxObject(0, 0, 0, 0, &log, "a");
    auto* b = new TBoxObject(0, 0, 0, 0, &log, "b");
    b->SetAcceptsBackDblClick(true);
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(b));
    log.clear();
    f.core.LeftDoubleClick(5, 5, MK_LBUTTON_);
    EXPECT_EQ(log, (std::vector<std::string>{"a:hit", "b:hit", "b:backdbl"}));
}

TEST(ContainerContextMenu, EmptySpaceAsksTheContainerHandler) {
    TCoreFixture f;
    int asked = 0;
    f.core.OnContextPopup = [&](TCanvasContainerCore&, int32_t x, int32_t y, bool& handled) {
        EXPECT_EQ(x, 70);
        EXPECT_EQ(y, 80);
        EXPECT_TRUE(handled);
        ++asked;
    };
    std::vector<std::string> log;
    auto* a = new TBoxObject(0, 0, 50, 50, &log, "a");
    a->ContextHandler = true;
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.RightButtonDown(70, 80, MK_RBUTTON_);
    EXPECT_EQ(asked, 1);
    log.clear();
    f.core.RightButtonDown(10, 10, MK_RBUTTON_);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a:hit", "a:rdown"}));
}

TEST(ContainerCreation, RightClickFinishesOrCancelsAsTheObjectSays) {
    TCoreFixture f;
    auto kept = std::make_unique<TBoxObject>(0, 0, 50, 50);
    kept->RightDownState = osNormal;
    auto* raw = kept.get();
    f.core.StartCreate(std::move(kept));
    f.core.LeftButtonUp(5, 5, 0); // not an event of creation
    EXPECT_EQ(f.core.State(), csCreating);
    f.core.RightButtonDown(5, 5, MK_RBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(f.core.IndexOfObject(raw), 0);
    EXPECT_FALSE(f.host.Captured);
    auto dropped = std::make_unique<TBoxObject>(0, 0, 50, 50);
    dropped->RightDownState = osCancelled;
    f.core.StartCreate(std::move(dropped));
    EXPECT_EQ(f.core.Count(), 2);
    f.core.RightButtonDown(5, 5, MK_RBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(f.core.Count(), 1);
    // A right click that leaves the object creating keeps the creation going.
    f.core.StartCreate(std::make_unique<TBoxObject>(0, 0, 50, 50));
    f.core.RightButtonDown(5, 5, MK_RBUTTON_);
    EXPECT_EQ(f.core.State(), csCreating);
}

TEST(ContainerEditing, ClicksOnTheTrackedObjectStayAndARightClickEndsTheEdit) {
    TCoreFixture f;
    std::vector<std::string> log;
    auto* a = new TBoxObject(10, 10, 60, 60, &log, "a");
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.LeftDoubleClick(20, 20, MK_LBUTTON_);
    ASSERT_EQ(f.core.State(), csTracking);
    EXPECT_TRUE(f.host.Captured);
    log.clear();
    f.core.LeftButtonDown(30, 30, MK_LBUTTON_);
    f.core.LeftDoubleClick(30, 30, MK_LBUTTON_);
    EXPECT_EQ(f.core.State(), csTracking);
    EXPECT_EQ(log, (std::vector<std::string>{"a:hit", "a:ldown", "a:hit", "a:dbl"}));
    // A move without the left button ends the drag as a release does.
    log.clear();
    f.core.MouseMove(35, 35, 0);
    EXPECT_EQ(log, std::vector<std::string>{"a:lup"});
    const int repaints = f.host.Repaints;
    f.core.RightButtonDown(30, 30, MK_RBUTTON_);
    EXPECT_EQ(f.core.State(), csIdle);
    EXPECT_EQ(a->State(), osNormal);
    EXPECT_EQ(f.core.SelectedIndex(), 0); // the object stays selected
    EXPECT_FALSE(f.host.Captured);
    EXPECT_GT(f.host.Repaints, repaints);
}

TEST(ContainerCancel, EveryStateEndsIdleWithNothingSelected) {
    // Typing: the text is dropped.
    {
        TCoreFixture f;
        int delivered = 0;
        f.core.OnShortCut = [&](TCanvasContainerCore&, const std::string&) {
            ++delivered;
            return true;
        };
        f.core.KeyDown('Q', 0);
        f.core.CancelMode();
        EXPECT_EQ(f.core.State(), csIdle);
        EXPECT_FALSE(f.host.TimerRunning);
        f.core.TypingTimer();
        EXPECT_EQ(delivered, 0);
    }
    // Tracking: the edit ends, then the idle cancel unselects.
    {
        TCoreFixture f;
        std::vector<std::string> log;
        auto* a = new TBoxObject(10, 10, 60, 60, &log, "a");
        f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
        f.core.LeftDoubleClick(20, 20, MK_LBUTTON_);
        log.clear();
        TAEVMessage cancel;
        cancel.Msg = AEVM_CANCELMODE;
        f.core.Perform(cancel);
        EXPECT_EQ(f.core.State(), csIdle);
        EXPECT_EQ(f.core.SelectedIndex(), -1);
        EXPECT_FALSE(a->Selected());
        EXPECT_FALSE(f.host.Captured);
        EXPECT_EQ(log, (std::vector<std::string>{"a:endedit", "a:unselect"}));
    }
    // Rubber band: no rectangle is reported.
    {
        TCoreFixture f;
        f.core.MouseMove(20, 20, MK_LBUTTON_);
        f.core.MouseMove(120, 120, MK_LBUTTON_);
        ASSERT_EQ(f.core.State(), csRubberBand);
        f.core.CancelMode();
        EXPECT_EQ(f.core.State(), csIdle);
        EXPECT_TRUE(f.rects.empty());
        EXPECT_FALSE(f.host.Captured);
    }
}

TEST(ContainerRubberBand, AMoveWithoutTheLeftButtonEndsTheBand) {
    TCoreFixture f;
    f.core.MouseMove(20, 30, MK_LBUTTON_);
    f.core.MouseMove(120, 130, MK_LBUTTON_);
    f.core.MouseMove(140, 150, 0);
    EXPECT_EQ(f.core.State(), csIdle);
    ASSERT_EQ(f.rects.size(), 1u);
    EXPECT_EQ(f.rects[0].Left, 20);
    EXPECT_EQ(f.rects[0].Top, 30);
    EXPECT_EQ(f.rects[0].Right, 120);
    EXPECT_EQ(f.rects[0].Bottom, 130);
}

TEST(ContainerPaint, SelectedObjectIsDrawnOnTop) {
    TCoreFixture f;
    auto* a = new TBoxObject(10, 10, 60, 60);
    auto* b = new TBoxObject(30, 30, 80, 80);
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(a));
    f.core.AddObject(std::unique_ptr<TBaseAEVObject>(b));
    f.core.Render();
    EXPECT_EQ(f.image.pixel(40, 40), qRgb(0, 0, 200));
    f.core.SelectObject(a);
    f.core.Render();
    EXPECT_EQ(f.image.pixel(40, 40), qRgb(255, 0, 0));
    EXPECT_EQ(f.image.pixel(5, 5), qRgb(255, 255, 255));
}

// ---- The window ------------------------------------------------------------------------------

namespace {
void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}
} // namespace

TEST(CanvasContainerWidget, RubberBandThroughMouseEvents) {
    TCanvasContainer c;
    c.resize(320, 240);
    c.show();
    std::vector<TRectInt> rects;
    c.Core().OnSelectRect = [&](TCanvasContainerCore&, TRectInt& r) { rects.push_back(r); };
    SendMouse(c, QEvent::MouseButtonPress, {250, 200}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(c, QEvent::MouseMove, {250, 200}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(c.Core().State(), csRubberBand);
    SendMouse(c, QEvent::MouseMove, {30, 40}, Qt::NoButton, Qt::LeftButton);
    SendMouse(c, QEvent::MouseButtonRelease, {30, 40}, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].Left, 30);
    EXPECT_EQ(rects[0].Top, 40);
    EXPECT_EQ(rects[0].Right, 250);
    EXPECT_EQ(rects[0].Bottom, 200);
    // Mapping follows the window size.
    int32_t x, y;
    c.Converter().LogicalToDevice(1, 1, 297, 210, x, y);
    EXPECT_EQ(x, 317);
    EXPECT_EQ(y, 237);
}

TEST(CanvasContainerWidget, TypingTimerDeliversTheWholeTextOnce) {
    TCanvasContainer c;
    c.resize(200, 200);
    c.show();
    std::vector<std::string> texts;
    c.Core().OnShortCut = [&](TCanvasContainerCore&, const std::string& t) {
        texts.push_back(t);
        return true;
    };
    QTimer& timer = c.ShortCutTimer();
    EXPECT_EQ(timer.interval(), 500);
    QTest::keyClick(&c, Qt::Key_W);
    ASSERT_TRUE(timer.isActive());
    // Every key starts the half second again: a key that comes while the timer runs (stopped
    // here, so that its start shows) restarts it, and nothing is delivered while typing goes on.
    timer.stop();
    QTest::keyClick(&c, Qt::Key_Minus);
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(texts.empty());
    QSignalSpy fired(&timer, &QTimer::timeout);
    ASSERT_TRUE(fired.wait(5000));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "W-");
    // Delivered once: the timer stops with it.
    EXPECT_FALSE(timer.isActive());
}

TEST(CanvasContainerWidget, BackColorFillsTheBuffer) {
    TCanvasContainer c;
    c.resize(100, 80);
    c.SetColor(clYellow);
    c.RenderNow();
    EXPECT_EQ(c.Buffer().pixel(50, 40), qRgb(255, 255, 0));
    EXPECT_EQ(c.Buffer().size(), QSize(100, 80));
}
