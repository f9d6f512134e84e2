// Fault "smaller ones a user trips on", on a real X server, one user's session on the demo
// project: the recent list right after opening, a run stopped with Esc, a processor inserted
// in the project tree, "Find" from the table's menu and the Edit menu, "Seek" on the table,
// Enter in the schema editor and a load line drawn on the test graph.

#include "../app/TViewsFollowSteps.h"

using namespace vorelt;
using namespace vorelt::test;

TEST(SmallerOnesSession, TheSmallThingsAUserTripsOn) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    ASSERT_TRUE(s.Open());
    RecentListHasTheProjectAtOnce(s);
    StoppedRunSaysStopped(s);
    AddedProcessorIsSelected(s);
    FindIsInTheMenus(s);
    SeekLandsOnHitsInTheMiddle(s);
    EnterInTheSchemaEditorConfirmsTheField(s);
    DrawnLoadLineReadsSensibly(s);
}
