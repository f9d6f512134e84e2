// Per-channel statistics in the application on a real X server: a project with a criterion
// processor over a real Vallen recording, whose status data sets sit between the hits as in
// the recordings of a test day, is opened in the window and run; the criterion table's values,
// exported from its pop-up menu as the user would, are the hits' own sums, minima, averages and
// maxima that `vorelt-cli dump --kinds 1` gives. Screenshots of the run go to the build folder
// (statistics-session.png).

#include "../app/TAppSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TLongShoF.h"
#include "common/TestData.h"
#include "common/VallenStatusSets.h"
#include "model/TAEFieldIDs.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/TDispatchDraw.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TTableVC.h"
#include "view3d/RegisterView3dClasses.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace vorelt;
using vorelt::test::PlacedTable;
using vorelt::test::TAppSession;
using vorelt::test::TTempDir;

namespace {

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line)
        if (c == ';')
            out.emplace_back();
        else if (c != '\r' && c != '"')
            out.back() += c;
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

long double Number(std::string t) {
    for (char& c : t)
        if (c == ',') c = '.';
    return std::strtold(t.c_str(), nullptr);
}

struct TStats {
    long double EnergySum = 0, CountsSum = 0;
    int64_t CountsMin = 0;
    int Hits = 0;
};

// The hits as the command-line tool lists them, per channel.
std::map<int64_t, TStats> HitsOfDump(const std::string& file) {
    QProcess p;
    p.start(QString(VORELT_BINARY_DIR) + "/tools/cli/vorelt-cli",
            {"dump", QString::fromStdString(file), "--kinds", "1", "--fields",
             QString("%1,%2,%3").arg(fidChan, fidCount, fidEnergy)});
    EXPECT_TRUE(p.waitForFinished(60000));
    std::map<int64_t, TStats> out;
    const std::vector<std::string> lines = Lines(p.readAllStandardOutput().toStdString());
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> c = Cells(lines[i]);
        if (c.size() != 3 || c[0].empty()) continue;
        TStats& s = out[std::stoll(c[0])];
        const auto counts = static_cast<int64_t>(Number(c[1]));
        s.CountsMin = s.Hits == 0 ? counts : std::min(s.CountsMin, counts);
        s.CountsSum += counts;
        s.EnergySum += Number(c[2]);
        ++s.Hits;
    }
    return out;
}

} // namespace

TEST(StatisticsSession, PerChannelStatisticsCountTheHitsNotTheStatusRecords) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", source);
    TAppSession session;
    TTempDir& dir = session.Dir;
    const std::string data = vorelt::test::CopyToTemp(source, dir);
    const auto added = vorelt::test::AddVallenStatusSets(data, [](int64_t c) { return 8 + 8 * c; });
    ASSERT_EQ(added.size(), 4u);
    const std::map<int64_t, TStats> want = HitsOfDump(data);
    ASSERT_EQ(want.size(), 4u);

    // The project as a user builds it: a criterion with the channel's energy sum and counts,
    // and a table of its records on the first page.
    const std::string projectFile = dir.File("stats.xml");
    {
        TProjectAE project;
        std::string error;
        ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
        project.SetName("Statistics");
        project.Pages().AddPage("Channels");
        auto* crit = project.Db().AddNew<TGVCPUCriterion>();
        auto* table = crit->AddNew<TGVCPUTbl>();
        project.Db().AssignIDsDeep(false, *project.IDGenerator());
        project.Db().NameProcessors();
        auto field = [&](const char* name, uint8_t type, const char* func, const char* x) {
            TAEField* f = crit->AddCriterionField(type, name);
            crit->SetFunction(*f, func, {{"X", x, ""}});
            return f->ID();
        };
        const std::vector<std::string> columns{fidChan,
                                               field("SumEnergy", dtExtended, "Sum", fidEnergy),
                                               field("MinCounts", dtInteger, "Min", fidCount),
                                               field("AvgCounts", dtExtended, "Avg", fidCount)};
        for (const std::string& id : columns)
            if (const TAEField* f = table->FindField(id)) table->Data().AddColumn(*f);
        ASSERT_EQ(table->Data().Columns().Count(), 4);
        table->Data().SetTypeRec(0);
        RecListGVCPU at;
        at.BottomRightX = TDispatchDraw::DefaultLogicalWidth;
        at.BottomRightY = TDispatchDraw::DefaultLogicalHeight;
        at.ID = table->ID();
        project.Pages().Page(0)->AddPlacement(at);
        ASSERT_TRUE(project.SaveProject(projectFile, error)) << error;
        project.CloseDataFile();
    }

    const std::string csv = dir.File("channels.csv");
    session.Dialogs.Files = {csv};
    TFMain& main = session.ShowMainWindow(1000, 700);
    TFChild* child = main.OpenProjectWindow(projectFile, false);
    ASSERT_NE(child, nullptr);
    TTableVC* view = PlacedTable(*child);
    ASSERT_NE(view, nullptr);
    child->ExecuteCommand(cmRun);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Active(); }));
    ASSERT_EQ(view->Data().RowCount(), 4);
    QApplication::processEvents();
    main.grab().save(QString(VORELT_BINARY_DIR) + "/statistics-session.png");

    // "Export CSV" from the table's pop-up menu.
    view->OnPopupMenu = [&](TVisualClass& v, const QPoint& pos, const QList<QAction*>& list) {
        child->ShowViewPopup(v, pos, list);
        child->ViewPopup()->hide();
    };
    view->ShowContextMenu(QPoint(10, 10));
    QAction* exportCsv = nullptr;
    for (QAction* a : child->ViewPopup()->actions())
        if (a->objectName() == "mExportCsvVC") exportCsv = a;
    ASSERT_NE(exportCsv, nullptr);
    exportCsv->trigger();
    const std::vector<std::string> lines = Lines(vorelt::test::ReadFileBytes(csv));
    ASSERT_GE(lines.size(), 6u); // captions, units, four channels
    int checked = 0;
    for (const std::string& line : lines) {
        const std::vector<std::string> c = Cells(line);
        if (c.size() < 4 || c[0].empty() || !std::isdigit(static_cast<unsigned char>(c[0][0])))
            continue;
        const int64_t chan = std::stoll(c[0]);
        ASSERT_TRUE(want.count(chan)) << line;
        const TStats& s = want.at(chan);
        SCOPED_TRACE("channel " + std::to_string(chan) + ": " + line);
        EXPECT_NEAR(static_cast<double>(Number(c[1])), static_cast<double>(s.EnergySum),
                    1e-9 * static_cast<double>(s.EnergySum));
        EXPECT_EQ(static_cast<int64_t>(Number(c[2])), s.CountsMin);
        // Counts are integers, and so is their average.
        EXPECT_EQ(Number(c[3]), std::nearbyint(s.CountsSum / s.Hits));
        ++checked;
    }
    EXPECT_EQ(checked, 4);
    EXPECT_TRUE(session.Dialogs.Boxes.empty());
    child->Project().SetModified(false);
    main.close();
}
