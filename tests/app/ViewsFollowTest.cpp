// Views that follow the data, and the smaller things a user trips on, in the application's
// window on the offscreen platform with the demo project: the histogram after "Delete" and
// "Undelete", a run that plots nothing, the recent list, a run stopped with Esc, a processor
// added in the project tree, the table's find in the menus and where "Seek" lands, Enter in the
// schema editor and the loads of a drawn load line.

#include "TViewsFollowSteps.h"

using vorelt::test::TDemoSession;

namespace vorelt::test {
namespace {

class TViewsFollow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Session.Open()) << "vorelt-mkdemo made no demo project"; }
    TDemoSession Session;
};

TEST_F(TViewsFollow, TheHistogramFollowsDeleteAndUndelete) {
    HistogramFollowsDeleteAndUndelete(Session);
}

TEST_F(TViewsFollow, ARunThatPlotsNothingSaysSoAndKeepsNoStaleAxes) {
    EmptyRunSaysSoAndKeepsNoStaleRange(Session);
}

TEST_F(TViewsFollow, TheRecentListHasTheProjectAtOnce) {
    RecentListHasTheProjectAtOnce(Session);
}

TEST_F(TViewsFollow, ARunStoppedWithEscSaysStopped) {
    StoppedRunSaysStopped(Session);
}

TEST_F(TViewsFollow, AProcessorAddedInTheTreeIsSelected) {
    AddedProcessorIsSelected(Session);
}

TEST_F(TViewsFollow, FindIsInTheTableMenuAndTheEditMenu) {
    FindIsInTheMenus(Session);
}

TEST_F(TViewsFollow, SeekLandsOnHitsInTheMiddleOfTheGrid) {
    SeekLandsOnHitsInTheMiddle(Session);
}

TEST_F(TViewsFollow, EnterInTheSchemaEditorConfirmsTheField) {
    EnterInTheSchemaEditorConfirmsTheField(Session);
}

TEST_F(TViewsFollow, ALoadLineDrawnWithTheMouseReadsToTheAxisResolution) {
    DrawnLoadLineReadsSensibly(Session);
}

} // namespace
} // namespace vorelt::test
