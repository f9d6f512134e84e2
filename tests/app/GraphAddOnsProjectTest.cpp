// The load-line switch of a graph in the demo project: offered only on a graph against time,
// kept through a fill without a data file, and still on after saving and reopening.

#include "common/TestData.h"
#include "processing/db/TGVDb.h"
#include "processing/graph/TGVCPUGr.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TAddonVC.h"
#include "view2d/TAddonVCLoadGr.h"
#include "view2d/TGraphVC.h"
#include "viewmodel/drawables/TLineAEVObject.h"

#include <QApplication>
#include <QFrame>
#include <QProcess>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TTempDir;

namespace {

void CollectGraphs(TGVCPU& p, std::vector<TGraphVC*>& out) {
    if (auto* g = dynamic_cast<TGVCPUGr*>(&p))
        if (auto* v = dynamic_cast<TGraphVC*>(g->GetView())) out.push_back(v);
    for (int i = 0; i < p.ChildCount(); ++i)
        CollectGraphs(*p.Child(i), out);
}

struct TDemoGraphs {
    // The page goes last: the views take their panels back from it when the project goes.
    QWidget page;
    std::unique_ptr<TProjectAE> project = std::make_unique<TProjectAE>();
    std::vector<TGraphVC*> graphs;
    bool Open(const std::string& file, const std::string& data, std::string& error) {
        if (!project->LoadProject(file, error)) return false;
        if (!project->Db().Driver() && !project->OpenDataFile(data, error)) return false;
        CollectGraphs(project->Db(), graphs);
        page.resize(1000, 800);
        for (TGraphVC* g : graphs) {
            g->SetParentWindow(&page);
            g->SetWidth(600);
            g->SetHeight(400);
            g->SetVisible(true);
        }
        return true;
    }
    TGraphVC* AgainstTime() const {
        for (TGraphVC* g : graphs)
            if (g->BottomAxisIsTime()) return g;
        return nullptr;
    }
};

} // namespace

TEST(GraphAddOnsProject, TheLoadLineSwitchSurvivesAFillWithoutAFileAndReopening) {
    TTempDir dir;
    ASSERT_EQ(QProcess::execute(QString(VORELT_BINARY_DIR) + "/demo/vorelt-mkdemo",
                                {QString::fromStdString(dir.Path())}),
              0);
    RegisterCoreClasses();
    RegisterView2dClasses();
    const std::string file = dir.File("demo.xml");
    std::string error;
    {
        TDemoGraphs demo;
        ASSERT_TRUE(demo.Open(file, dir.File("demo.pci"), error)) << error;
        ASSERT_NE(demo.project->Db().Driver(), nullptr);
        TGraphVC* timed = demo.AgainstTime();
        ASSERT_NE(timed, nullptr);
        // A load line of two points over the first minute.
        TTestGrLine& load = demo.project->Db().TestLoadLine();
        load.Points().ClearPoints();
        load.Points().AddPoint({0, 0});
        load.Points().AddPoint({60, 10});
        for (TGraphVC* g : demo.graphs) {
            g->SetActive(true);
            ASSERT_TRUE(g->Active()) << g->FillError();
            if (g->BottomAxisIsTime()) continue;
            // No time axis: no load line on offer.
            for (const auto& a : g->AddOns())
                EXPECT_EQ(dynamic_cast<TAddonVCLoadGr*>(a.get()), nullptr);
        }
        ASSERT_EQ(timed->AddOns().size(), 1u);
        TAddonVC& a = *timed->AddOns().front();
        EXPECT_EQ(a.GetCaption(), "Enable Test Load Line");
        EXPECT_FALSE(a.GetEnabled());
        EXPECT_EQ(a.GetID(), demo.project->Db().ID());
        a.SetEnabled(true);
        timed->StoreAddOnStates();
        timed->SetActive(true);
        auto* line = dynamic_cast<TAddonVCLoadGr*>(timed->AddOns().front().get());
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->GetEnabled());
        ASSERT_NE(line->Line(), nullptr);
        EXPECT_GE(line->Line()->Points().Count(), 1);
        // A picture for the documentation when asked for (scripts/addon-shots).
        if (const char* shots = std::getenv("VORELT_SHOT_DIR")) {
            demo.page.show();
            timed->SetWidth(900);
            timed->SetHeight(560);
            QApplication::processEvents();
            timed->UpdateAppearance();
            QApplication::processEvents();
            timed->Panel()->grab().save(QString(shots) + "/graph-load-line.png");
        }

        // The data file goes and a reset empties the graphs: a fill without a file.
        demo.project->CloseDataFile();
        TAEOMSG reset;
        reset.Msg = omDataChanged;
        demo.project->Db().Dispatch(reset);
        ASSERT_EQ(timed->AddOnStates().size(), 1u);
        EXPECT_EQ(timed->AddOnStates()[0].second, 1);
        ASSERT_TRUE(demo.project->SaveProject(file, error)) << error;
    }
    TDemoGraphs again;
    ASSERT_TRUE(again.Open(file, dir.File("demo.pci"), error)) << error;
    TGraphVC* timed = again.AgainstTime();
    ASSERT_NE(timed, nullptr);
    ASSERT_EQ(timed->AddOnStates().size(), 1u);
    EXPECT_EQ(timed->AddOnStates()[0].second, 1);
    timed->SetActive(true);
    ASSERT_EQ(timed->AddOns().size(), 1u);
    EXPECT_TRUE(timed->AddOns().front()->GetEnabled());
}
