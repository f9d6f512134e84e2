// The test program on the demo project in a real window: "Testing Graph" from the "Edit" menu
// sets the test graph up, a section is added through its dialog and a load line drawn with the
// mouse; a criterion field restricted to that section (chosen in the section selection window)
// gives per channel the values worked out by hand from what `vorelt-cli dump` prints for the
// section's time range; the project saved and opened again keeps section, line and graph.
// Screenshots of the screen go where VORELT_SHOTS points, when it is set.

#include "../app/TDemoSession.h"
#include "app/TFChild.h"
#include "app/TFMain.h"
#include "app/TFSelSection.h"
#include "app/TFTestProgram.h"
#include "app/TFTestSettings.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TNumberFormat.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/db/TGVDb.h"
#include "testprog/TTestSection.h"
#include "view2d/TGraphDb.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/drawables/TTestShapeAEVObject.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>

using namespace vorelt;
using vorelt::test::ShootScreen;
using vorelt::test::ShotFile;
using vorelt::test::TDemoSession;
using vorelt::test::TScriptedDialogs;

namespace {

struct TDumpHit {
    long double TimeS;
    int Chan;
    std::optional<long double> Ampl;
};

// The hits as vorelt-cli prints them: "TimeS;Chan;Ampl" with decimal commas.
std::vector<TDumpHit> DumpHits(const std::string& dataFile) {
    QProcess cli;
    cli.start(QString(VORELT_BINARY_DIR) + "/tools/cli/vorelt-cli",
              {"dump", QString::fromStdString(dataFile), "--kinds", "1", "--fields",
               QString("%1,%2,%3").arg(fidTimeS, fidChan, fidAmpl)});
    cli.waitForFinished(60000);
    std::istringstream in(cli.readAllStandardOutput().toStdString());
    std::string line;
    std::getline(in, line); // header
    std::vector<TDumpHit> hits;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        std::string cell;
        while (std::getline(row, cell, ';'))
            cells.push_back(cell);
        if (cells.size() < 2) continue;
        if (cells.size() == 2) cells.push_back("");
        TDumpHit h{};
        long double chan = 0, ampl = 0;
        if (!TryStrToFloat(cells[0], h.TimeS) || !TryStrToFloat(cells[1], chan)) continue;
        if (TryStrToFloat(cells[2], ampl)) h.Ampl = ampl;
        h.Chan = static_cast<int>(chan);
        hits.push_back(h);
    }
    return hits;
}

// The load at t between the line's points, as the load line gives it.
std::optional<long double> LoadAt(const std::vector<TGVCoord>& points, long double t) {
    for (size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i].X <= t && t <= points[i + 1].X) {
            if (points[i + 1].X == points[i].X) return points[i].Y;
            return points[i].Y + (t - points[i].X) / (points[i + 1].X - points[i].X) *
                                     (points[i + 1].Y - points[i].Y);
        }
    return std::nullopt;
}

std::map<int64_t, std::optional<long double>> PerChannel(TGVCPU& crit, const std::string& id) {
    TAERecord rec;
    crit.PrepareRecord(rec);
    TAEPNav nav;
    std::map<int64_t, std::optional<long double>> out;
    int32_t i = crit.FirstRecord(nav, rec, -1);
    while (!(nav.Out.Status & nsEndForward) && !(nav.Out.Status & nsError)) {
        crit.ReadRecord(nav, rec, i);
        const TAEField* f = rec.FindByID(id);
        out[rec.FindByID(fidChan)->GetAsInt64()] =
            f && !f->IsNull() ? std::optional<long double>(f->GetAsFloat()) : std::nullopt;
        i = crit.NextRecord(nav, rec, i);
    }
    return out;
}

} // namespace

TEST(TestProgramSession, ASectionAndALoadLineRestrictACriterionFieldOnTheDemoProject) {
    TDemoSession session;
    ASSERT_TRUE(session.AcquireInstance());
    TScriptedDialogs& dialogs = session.Dialogs;

    std::vector<TGVCoord> linePoints;
    std::string sectionID;
    {
        ASSERT_TRUE(session.Open(1280, 960));
        TFChild* child = session.Child;
        TGVDb& db = child->Project().Db();
        child->UpdateCommandStates();
        QAction* testing = child->Action("mTestingGraph");
        ASSERT_TRUE(child->EditActions().contains(testing));
        ASSERT_TRUE(testing->isEnabled());
        testing->trigger();
        TFTestProgram* w = child->findChild<TFTestProgram*>();
        ASSERT_NE(w, nullptr);
        w->setGeometry(60, 40, 1100, 860);
        QApplication::processEvents();
        TGraphDb& graph = w->Graph();
        ASSERT_TRUE(graph.Active());
        EXPECT_GT(graph.RecordsRead(), 19000);
        EXPECT_EQ(graph.BottomAxis().FieldId(), fidTimeS);
        EXPECT_TRUE(child->Project().Modified());

        // "Add" in the sections list: the dialog typed into, then OK.
        dialogs.OnDialog = [&](QDialog& d) {
            auto& s = dynamic_cast<TSectionDialog&>(d);
            d.move(400, 600);
            d.show();
            QTest::keyClicks(s.NameEdit(), "Hold");
            QTest::keyClicks(s.MinEdit(), "25");
            QTest::keyClicks(s.MaxEdit(), "35");
            ShootScreen(ShotFile("testprog-section.png"));
            return s.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        QTest::mouseClick(w->Button("btnSecAdd"), Qt::LeftButton);
        ASSERT_EQ(db.TestSections().Count(), 1);
        sectionID = db.TestSections().Get(0)->ID();
        ASSERT_EQ(sectionID.size(), 16u);
        ASSERT_NE(w->SectionRect(0), nullptr);

        // "Draw Test Line": three left clicks into the graph, a right click ends the line.
        QTest::mouseClick(w->Button("btnDrawLine"), Qt::LeftButton);
        EXPECT_TRUE(w->InfoBox()->isVisible());
        TCanvasContainer* c = graph.Container();
        // A ramp whose second, steeper part crosses the section.
        const QPoint clicks[3] = {QPoint(c->width() / 20, c->height() * 9 / 10),
                                  QPoint(c->width() / 2, c->height() * 7 / 10),
                                  QPoint(c->width() * 19 / 20, c->height() / 5)};
        for (const QPoint& p : clicks) {
            QTest::mouseMove(c, p);
            QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, p);
        }
        ShootScreen(ShotFile("testprog-drawing.png"));
        QTest::mouseMove(c, clicks[2] + QPoint(5, 5));
        QTest::mouseClick(c, Qt::RightButton, Qt::NoModifier, clicks[2] + QPoint(5, 5));
        QApplication::processEvents();
        EXPECT_FALSE(w->InfoBox()->isVisible());
        ASSERT_NE(w->LineObject(), nullptr);
        linePoints = db.TestLoadLine().Points().Points();
        ASSERT_EQ(linePoints.size(), 3u);
        EXPECT_LT(linePoints[0].Y, linePoints[1].Y);
        w->Pages()->setCurrentIndex(1);
        w->Sections()->setCurrentItem(w->Sections()->topLevelItem(0));
        ShootScreen(ShotFile("testprog-window.png"));

        // "Graph Settings" from the graph's menu opens the settings window.
        dialogs.OnDialog = [&](QDialog& d) {
            d.move(200, 120);
            d.show();
            ShootScreen(ShotFile("testprog-settings.png"));
            if (auto* s = dynamic_cast<TFTestSettings*>(&d)) {
                EXPECT_TRUE(s->SeriesButton("btnSeriesAdd") != nullptr);
                s->Pages()->setCurrentIndex(1);
                EXPECT_EQ(s->SeriesList()->topLevelItemCount(), 1);
                ShootScreen(ShotFile("testprog-serieses.png"));
            }
            return int(QDialog::Accepted);
        };
        w->GraphSettings();
        w->close();
        QApplication::processEvents();

        // A criterion field over the hits of that section, the section picked in the
        // section selection window with a double click.
        auto* crit = db.AddNew<TGVCPUCriterion>();
        crit->AssignIDsDeep(false, *child->Project().IDGenerator());
        db.NameProcessors();
        TAEField* maxA = crit->AddCriterionField(dtExtended, "MaxA");
        crit->SetFunction(*maxA, "Max", {{"X", fidAmpl, ""}});
        TAEField* sumA = crit->AddCriterionField(dtExtended, "SumA");
        crit->SetFunction(*sumA, "Sum", {{"X", fidAmpl, ""}});
        TAEField* maxL = crit->AddCriterionField(dtExtended, "MaxL");
        crit->SetFunction(*maxL, "Max", {{"X", fidCalcLoading, ""}});
        std::vector<std::string> chosen;
        {
            TFSelSection pick(db.TestSections(), {}, session.Settings.get(), nullptr, &graph);
            pick.setGeometry(100, 80, 900, 640);
            pick.show();
            QApplication::processEvents();
            EXPECT_EQ(pick.RectangleCount(), 1);
            QTreeWidget* list = pick.List();
            const QRect row = list->visualItemRect(list->topLevelItem(0));
            const QPoint name(row.left() + list->columnWidth(0) / 2, row.center().y());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, name);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, name);
            QApplication::processEvents();
            ShootScreen(ShotFile("testprog-selsection.png"));
            chosen = pick.CheckedIDs();
        }
        ASSERT_EQ(chosen, std::vector<std::string>{sectionID});
        for (TAEField* f : {maxA, sumA, maxL}) {
            TAECriterion* cr = TGVCPUCriterion::CriterionOf(*f);
            cr->EnabledSection = true;
            cr->Sections = chosen;
        }
        crit->Changed(true);

        const auto gotMax = PerChannel(*crit, maxA->ID());
        const auto gotSum = PerChannel(*crit, sumA->ID());
        const auto gotLoad = PerChannel(*crit, maxL->ID());
        std::map<int, long double> wantMax, wantSum, wantLoad;
        size_t inSection = 0;
        // Statistics over a channel take its hits only.
        for (const TDumpHit& h : DumpHits(session.Dir.File("demo.pci"))) {
            if (h.TimeS < 25 || h.TimeS > 35) continue;
            if (const std::optional<long double> a = h.Ampl) {
                ++inSection;
                wantMax[h.Chan] = std::max(wantMax.count(h.Chan) ? wantMax[h.Chan] : *a, *a);
                wantSum[h.Chan] += *a;
            }
            if (const std::optional<long double> l = LoadAt(linePoints, h.TimeS))
                wantLoad[h.Chan] = std::max(wantLoad.count(h.Chan) ? wantLoad[h.Chan] : *l, *l);
        }
        ASSERT_GT(inSection, 1000u);
        ASSERT_FALSE(wantMax.empty());
        for (const auto& [chan, value] : wantMax) {
            ASSERT_TRUE(gotMax.count(chan) && gotMax.at(chan)) << chan;
            EXPECT_EQ(*gotMax.at(chan), value) << chan;
            EXPECT_EQ(*gotSum.at(chan), wantSum[chan]) << chan;
            ASSERT_TRUE(wantLoad.count(chan) && gotLoad.at(chan)) << chan;
            // The dump prints times to the microsecond: the load differs in the last digits.
            EXPECT_NEAR(static_cast<double>(*gotLoad.at(chan)), static_cast<double>(wantLoad[chan]),
                        1e-5)
                << chan;
            std::printf("channel %d: max %s sum %s max load %s\n", chan, FloatToStr(value).c_str(),
                        FloatToStr(wantSum[chan]).c_str(), FloatToStr(wantLoad[chan]).c_str());
        }
        child->ExecuteCommand(cmSave);
        QApplication::processEvents();
        dialogs.Answers = {mrYes};
        qobject_cast<QMdiSubWindow*>(child->parentWidget())->close();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // Opened again: the section, the line and the set-up graph come back from the file.
    {
        ASSERT_TRUE(session.Open(1280, 960));
        TFChild* child = session.Child;
        TGVDb& db = child->Project().Db();
        ASSERT_EQ(db.TestSections().Count(), 1);
        EXPECT_EQ(db.TestSections().Get(0)->ID(), sectionID);
        const std::vector<TGVCoord>& reread = db.TestLoadLine().Points().Points();
        ASSERT_EQ(reread.size(), linePoints.size());
        for (size_t i = 0; i < reread.size(); ++i) {
            EXPECT_EQ(reread[i].X, linePoints[i].X);
            // Loads are written with 15 digits.
            EXPECT_NEAR(static_cast<double>(reread[i].Y), static_cast<double>(linePoints[i].Y),
                        1e-12);
        }
        auto& graph = dynamic_cast<TGraphDb&>(db.TestGraph());
        EXPECT_EQ(graph.LeftAxis().FieldId(), fidCount);
        EXPECT_EQ(graph.RightAxis().FieldId(), fidCalcLoading);
        EXPECT_EQ(graph.Series().Count(), 1);
        child->UpdateCommandStates();
        child->Action("mTestingGraph")->trigger();
        TFTestProgram* w = child->findChild<TFTestProgram*>();
        ASSERT_NE(w, nullptr);
        EXPECT_NE(w->SectionRect(0), nullptr);
        EXPECT_NE(w->LineObject(), nullptr);
        EXPECT_FALSE(child->Project().Modified());
        w->close();
        dialogs.Answers = {mrNo};
    }
}
