// Fault "views that do not follow a deletion", on a real X server: the demo project in the
// main window, a band deleted on the amplitude graph and restored while the histogram of hits
// per channel is on the page, then a run in which no hit passes the series' condition.

#include "../app/TViewsFollowSteps.h"

using namespace vorelt;
using namespace vorelt::test;

TEST(ViewsFollowSession, ViewsFollowADeletionAndAnEmptyRun) {
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    ASSERT_TRUE(s.Open());
    HistogramFollowsDeleteAndUndelete(s);
    EmptyRunSaysSoAndKeepsNoStaleRange(s);
}
