#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "processing/TGVFinal.h"
#include "view2d/TPanelVC.h"

#include "persist/RegisterPersistClasses.h"
#include <QApplication>
#include <QFrame>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vorelt;

TEST(VisualClass, ActiveAndOutdatedOnlyWhileEnabled) {
    TGVFinal proc;
    TPanelVC view(&proc);
    EXPECT_FALSE(view.Visible());
    EXPECT_TRUE(view.Enabled());
    view.SetOutdated(true);
    EXPECT_TRUE(view.Outdated());
    view.SetActive(true); // activation clears Outdated
    EXPECT_TRUE(view.Active());
    EXPECT_FALSE(view.Outdated());
    view.SetEnabled(false);
    EXPECT_FALSE(view.Active());
    view.SetActive(true);
    view.SetOutdated(true);
    EXPECT_FALSE(view.Active());
    EXPECT_FALSE(view.Outdated());
}

TEST(VisualClass, WidthKeepsOnlyPositiveValues) {
    TGVFinal proc;
    TPanelVC view(&proc);
    view.SetWidth(120);
    view.SetWidth(0);
    view.SetWidth(-5);
    EXPECT_EQ(view.Width(), 120);
}

TEST(VisualClass, FocusEventsFireOnChangesOnly) {
    TGVFinal proc;
    TPanelVC view(&proc);
    int focus = 0, unfocus = 0;
    view.OnFocus = [&](TVisualClass&) { ++focus; };
    view.OnUnfocus = [&](TVisualClass&) { ++unfocus; };
    view.SetFocused(true);
    view.SetFocused(true);
    view.SetFocused(false);
    view.SetFocused(false);
    EXPECT_EQ(focus, 1);
    EXPECT_EQ(unfocus, 1);
    view.Detach();
    EXPECT_FALSE(view.OnFocus);
    EXPECT_FALSE(view.OnPopupMenu);
}

TEST(VisualClass, CaptionJoinsTitleAndProcessorName) {
    TGVFinal proc;
    proc.SetName("TBL01");
    TPanelVC view(&proc);
    EXPECT_EQ(view.GetCaption(), "TBL01");
    dynamic_cast<TGVProperty*>(view.Properties().FindByName("Title"))->SetAsString("Amplitudes");
    EXPECT_EQ(view.GetCaption(), "Amplitudes [TBL01]");
    EXPECT_EQ(dynamic_cast<TGVProperty*>(view.Properties().FindByName("Title"))->GetDisplayName(),
              "Title");
}

TEST(VisualClass, StatusNeedsAReadySource) {
    TGVFinal proc;
    TPanelVC view(&proc);
    EXPECT_EQ(view.GetStatus(), vsUnavailable); // a processor without a source
}

TEST(VisualClass, PanelFollowsPlacement) {
    QWidget page;
    page.resize(600, 400);
    page.show();
    TGVFinal proc;
    TPanelVC view(&proc);
    view.SetParentWindow(&page);
    view.SetTop(10);
    view.SetLeft(20);
    view.SetHeight(100);
    view.SetWidth(200);
    view.SetVisible(true);
    EXPECT_EQ(view.Panel()->parentWidget(), &page);
    EXPECT_EQ(view.Panel()->geometry(), QRect(20, 10, 200, 100));
    EXPECT_TRUE(view.Panel()->isVisible());
    view.Detach();
    EXPECT_EQ(view.Panel()->parentWidget(), nullptr);
    EXPECT_FALSE(view.Panel()->isVisible());
}

TEST(VisualClass, SaveAndLoadKeepTitleAndSlaveWindow) {
    RegisterPersistClasses();
    TGVFinal proc;
    TPanelVC view(&proc);
    dynamic_cast<TGVProperty*>(view.Properties().FindByName("Title"))->SetAsString("T");
    view.SetSlaveRect(TSlaveRect{10, 20, 400, 380});
    TNodePersist node("VIEW");
    view.SaveToNode(node);
    EXPECT_EQ(node.GetValue("ClassName"), "TPanelVC");
    ASSERT_NE(node.FindNode("SlaveWindow"), nullptr);
    EXPECT_EQ(node.FindNode("SlaveWindow")->GetValue("Width"), "400");

    TPanelVC other(&proc);
    other.LoadFromNode(node);
    EXPECT_EQ(other.Title(), "T");
    EXPECT_EQ(other.SlaveRect(), (TSlaveRect{10, 20, 400, 380}));
}

TEST(SlaveWindow, UnusedRectangleCentresOnTheMainWindow) {
    const QRect main(100, 50, 1000, 800);
    const QRect screen(0, 0, 1280, 1024);
    const QRect r = PlaceSlaveWindow(TSlaveRect{}, main, screen, QSize(600, 400));
    EXPECT_EQ(r, QRect(300, 250, 600, 400));
}

TEST(SlaveWindow, LimitedToTheScreenAndMovedOntoIt) {
    const QRect screen(0, 0, 1280, 1024);
    QRect r = PlaceSlaveWindow(TSlaveRect{-30, 1200, 5000, 500}, QRect(), screen);
    EXPECT_EQ(r.width(), 1280);
    EXPECT_EQ(r.left(), 0);
    EXPECT_EQ(r.top(), 0);
    r = PlaceSlaveWindow(TSlaveRect{900, 1000, 400, 300}, QRect(), screen);
    EXPECT_EQ(r.height(), 350); // minimum size
    EXPECT_EQ(r.bottom() + 1, 1024);
    EXPECT_EQ(r.right() + 1, 1280);
}

TEST(SlaveWindow, DetachMovesTheContentAndClosingBringsItBack) {
    QWidget main;
    main.resize(800, 600);
    main.show();
    TPanelVC::SetMainWindow(&main);
    TGVFinal proc;
    TPanelVC view(&proc);
    view.SetParentWindow(&main);
    view.SetVisible(true);
    view.DetachView();
    ASSERT_TRUE(view.IsDetached());
    EXPECT_EQ(view.Content()->parentWidget(), view.SlaveWindow()->DataSheet());
    view.DetachView(); // already open: nothing
    const QRect g = view.SlaveWindow()->geometry();
    view.CloseSlaveWindow();
    QApplication::processEvents();
    EXPECT_FALSE(view.IsDetached());
    EXPECT_EQ(view.Content()->parentWidget(), view.Panel());
    EXPECT_EQ(view.SlaveRect().Width, g.width());
    TPanelVC::SetMainWindow(nullptr);
}
