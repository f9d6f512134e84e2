// Moving about the demo's amplitude graph with the X server's own pointer (xdotool): wheel
// steps in and out around the pointer, a drag with the middle button, resting on a point
// until its values show as a tooltip, and a double click that moves the table to its record.

#include "../app/TDemoSession.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "view2d/TTableGrid.h"
#include "viewmodel/drawables/TGraphPointAEVObject.h"

#include <QProcess>
#include <QStandardPaths>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::ShotFile;
using vorelt::test::TDemoSession;

namespace {

// The pointer of the X server, moved and pressed as a user's mouse is.
class TPointer {
public:
    explicit TPointer(QString program) : FProgram(std::move(program)) {}
    void MoveTo(QWidget& w, QPoint at) {
        const QPoint g = w.mapToGlobal(at);
        Do({"mousemove", "--sync", QString::number(g.x()), QString::number(g.y())});
    }
    // Buttons 4 and 5 are the wheel away from and toward the user.
    void Click(int button, int times = 1) {
        Do({"click", "--repeat", QString::number(times), "--delay", "60", QString::number(button)});
    }
    void Down(int button) { Do({"mousedown", QString::number(button)}); }
    void Up(int button) { Do({"mouseup", QString::number(button)}); }

private:
    void Do(const QStringList& args) {
        QProcess::execute(FProgram, args);
        QApplication::processEvents();
    }
    QString FProgram;
};

size_t Entries(const TGraphVC& g) {
    return g.Zoom().Stack().size();
}

std::pair<long double, long double> BottomRange(TGraphVC& g) {
    return {g.BottomAxis().CurMin()->GetAsFloat(), g.BottomAxis().CurMax()->GetAsFloat()};
}

// A drawn point well inside the plot: its record and its pixel.
bool PointInside(TGraphVC& g, int32_t& record, QPoint& at) {
    auto* p = dynamic_cast<TGraphPointAEVObject*>(g.SeriesObject(*g.Series().Get(0)));
    if (!p) return false;
    const QRect inside = g.Container()->rect().adjusted(20, 20, -20, -20);
    const TAEVPointList& points = p->Points();
    for (int i = 0; i < points.Count(); ++i) {
        int32_t x = 0, y = 0;
        g.Container()->Converter().LogicalToDevice(1, 1, points.X(i), points.Y(i), x, y);
        if (!inside.contains(x, y)) continue;
        record = points.Tag(i);
        at = QPoint(x, y);
        return true;
    }
    return false;
}

} // namespace

TEST(GraphNavigationSession, WheelDragPointAndDoubleClickWithTheRealPointer) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xdotool.isEmpty()) {
        if (vorelt::test::RunningUnderCI()) FAIL() << "xdotool missing under CI";
        GTEST_SKIP() << "xdotool is not installed: the X pointer cannot be moved";
    }
    TPointer pointer(xdotool);
    TDemoSession s;
    ASSERT_TRUE(s.AcquireInstance());
    TLongShoF::SetMinimumShowTime(50);
    ASSERT_TRUE(s.Open());
    // The table on the first page holds its rows when the graphs' page runs.
    s.ShowPage(0);
    s.Run();
    TTableVC* table = s.Table();
    ASSERT_NE(table, nullptr);
    s.ShowPage(1);
    s.Run();
    TGraphVC* g = s.Graph("Amplitude");
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(g->Active()) << g->FillError();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s.Main.get()));
    TCanvasContainer* plot = g->Container();
    const auto whole = BottomRange(*g);

    // Two steps in near the start of the test, where the demo's first hits are.
    const QPoint start(plot->width() / 10, plot->height() / 2);
    pointer.MoveTo(*plot, start);
    pointer.Click(4, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Entries(*g) == 2; })) << Entries(*g);
    EXPECT_LT(BottomRange(*g).second - BottomRange(*g).first, whole.second - whole.first);
    EXPECT_NE(g->TitleText().find("[Zoom]"), std::string::npos);
    ShootScreen(ShotFile("nav-wheel-in.png"));
    // Out again: one step is an entry, the next shows the whole graph and unzooms.
    pointer.Click(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Entries(*g) == 3; })) << Entries(*g);
    pointer.Click(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Entries(*g) == 0; })) << Entries(*g);
    EXPECT_EQ(BottomRange(*g), whole);

    // In, then the middle button drags the plot to the right: the range moves left.
    pointer.Click(4, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Entries(*g) == 3; })) << Entries(*g);
    const auto zoomed = BottomRange(*g);
    pointer.Down(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g->Dragging(); }));
    for (int k = 1; k <= 5; ++k)
        pointer.MoveTo(*plot, start + QPoint(k * plot->width() / 25, 0));
    pointer.Up(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !g->Dragging(); }));
    EXPECT_EQ(Entries(*g), 4u);
    const auto dragged = BottomRange(*g);
    EXPECT_LT(dragged.first, zoomed.first);
    EXPECT_NEAR(static_cast<double>(dragged.second - dragged.first),
                static_cast<double>(zoomed.second - zoomed.first), 1e-6);
    ShootScreen(ShotFile("nav-dragged.png"));

    // Resting on a point shows its values beside it.
    int32_t record = -1;
    QPoint at;
    ASSERT_TRUE(PointInside(*g, record, at));
    pointer.MoveTo(*plot, at);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !g->PointedText().empty(); }));
    const std::string text = g->PointedText();
    EXPECT_NE(text.find("Amplitude"), std::string::npos) << text;
    EXPECT_NE(text.find("Channel: "), std::string::npos) << text;
    EXPECT_NE(text.find("Record: "), std::string::npos) << text;
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text().toStdString(), text);
    ShootScreen(ShotFile("nav-tooltip.png"));

    // A double click there: the table's current row is the point's record.
    pointer.Click(1, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return g->HitMarkPosition() >= 0; }));
    const int32_t marked = g->HitMarkPosition();
    EXPECT_NE(text.find("Record: " + std::to_string(marked + 1)), std::string::npos) << text;
    const int32_t row = table->Data().RowOf(marked);
    ASSERT_GE(row, 0);
    EXPECT_EQ(table->Grid()->CurrentRow(), row + TTableGrid::FixedRows);
    ShootScreen(ShotFile("nav-marked.png"));
    // The table's page is shown: the table reads its rows again and starts at the record.
    s.ShowPage(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->Active(); }));
    EXPECT_EQ(table->Grid()->CurrentRow(), table->Data().RowOf(marked) + TTableGrid::FixedRows);
    ShootScreen(ShotFile("nav-table.png"));
}
