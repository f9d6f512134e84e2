// The series dialog offscreen: the controls each type may edit, every control applied to the
// series at once (the graph shows itself changed), the colour list, the bin edit's label and
// keys in both modes, and Cancel putting the settings back.

#include "processing/FilterStreamSupport.h"

#include "app/TFSeries.h"
#include "model/TAEFieldIDs.h"
#include "processing/graph/TGVCPUGr.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphVC.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vorelt;
using namespace vorelt::test;

namespace {

struct TSeriesDialogFixture : ::testing::Test {
    TScriptedDialogs dialogs;
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TGraphVC* view = nullptr;

    void SetUp() override {
        RegisterView2dClasses();
        source = MakeStream(holder);
        for (int i = 0; i < 20; ++i)
            AddHit(*source, i, 1 + i % 3, 20 + i);
        auto* graph = source->AddNew<TGVCPUGr>();
        graph->SetName("GR01");
        view = dynamic_cast<TGraphVC*>(graph->GetView());
        ASSERT_NE(view, nullptr);
        view->LeftAxis().SetFieldId(fidAmpl);
        view->BottomAxis().SetFieldId(fidTimeMS);
    }
    // Runs the dialog with `script`, which answers it.
    bool Run(TSeriesGr& s, const std::function<int(TFSeries&)>& script, bool isNew = false) {
        dialogs.On<TFSeries>(script);
        return EditSeries(nullptr, s, SeriesContextOf(*view, s), isNew);
    }
};

} // namespace

TEST_F(TSeriesDialogFixture, PointPlotEditsItsSwitchesButNoBins) {
    TSeriesGr* s = view->AddSeries(stPointPlot);
    Run(*s, [](TFSeries& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Edit Point Plot");
        EXPECT_EQ(d.EnableFilterBox()->text().toStdString(), "Enable Filter");
        EXPECT_EQ(d.VisibleBox()->text().toStdString(), "Visible Series");
        EXPECT_EQ(d.UseDelRecBox()->text().toStdString(), "Used Deleted Records");
        EXPECT_EQ(d.SplittingChanBox()->text().toStdString(), "Splitting Chan");
        EXPECT_EQ(d.CenterBinBox()->text().toStdString(), "Mark To Center Bin");
        EXPECT_EQ(d.SideGroup()->title().toStdString(), " Axis Series ");
        EXPECT_TRUE(d.SelectedBox()->isEnabled());
        EXPECT_TRUE(d.PointStyleBox()->isEnabled());
        EXPECT_EQ(d.PointStyleBox()->itemText(3).toStdString(), "Big Round");
        EXPECT_FALSE(d.BinNumEdit()->isEnabled());
        EXPECT_FALSE(d.CenterBinBox()->isEnabled());
        EXPECT_FALSE(d.SideGroup()->isEnabled()); // the right axis has no field
        EXPECT_EQ(d.ConditionEditor()->Root(), &d.Series().LogCons());
        return static_cast<int>(QDialog::Accepted);
    });
}

TEST_F(TSeriesDialogFixture, ControlsApplyAtOnceAndTheGraphEmpties) {
    TSeriesGr* s = view->AddSeries(stLineGraph);
    view->SetActive(true);
    ASSERT_TRUE(view->Active()) << view->FillError();
    const bool ok = Run(*s, [&](TFSeries& d) {
        EXPECT_TRUE(d.CumulationButton(bcMinMax)->isEnabled());
        EXPECT_FALSE(d.SelectedBox()->isEnabled());
        EXPECT_FALSE(d.PointStyleBox()->isEnabled());
        d.VisibleBox()->click();
        EXPECT_FALSE(s->Visible());
        EXPECT_FALSE(view->Active()); // Changed(true) empties the graph
        d.CumulationButton(bcMaxMin)->click();
        EXPECT_EQ(s->BinCumulation(), bcMaxMin);
        d.BinSumButton(bsAve)->click();
        EXPECT_EQ(s->BinSumType(), bsAve);
        d.CenterBinBox()->click();
        EXPECT_TRUE(s->CenterBin());
        d.EnableFilterBox()->click();
        EXPECT_TRUE(s->EnabledFilter());
        d.ColorBox()->setCurrentIndex(d.ColorBox()->findData(40));
        EXPECT_EQ(s->Color(), 40);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(s->BinCumulation(), bcMaxMin);
    EXPECT_EQ(s->Color(), 40);
}

TEST_F(TSeriesDialogFixture, ColourListMarksTheColoursOfOtherSeries) {
    TSeriesGr* a = view->AddSeries(stPointPlot);
    TSeriesGr* b = view->AddSeries(stHistigram);
    EXPECT_EQ(a->Color(), 1);
    EXPECT_EQ(b->Color(), 2); // the first colour no other series uses
    Run(*b, [](TFSeries& d) {
        EXPECT_EQ(d.ColorBox()->count(), 128);
        EXPECT_EQ(d.ColorBox()->itemText(0).toStdString(), "Color 1 (Selected)");
        EXPECT_EQ(d.ColorBox()->itemText(1).toStdString(), "Color 2"); // its own
        EXPECT_EQ(d.ColorBox()->currentText().toStdString(), "Color 2");
        EXPECT_FALSE(d.CumulationButton(bcMinMax)->isEnabled());
        return static_cast<int>(QDialog::Accepted);
    });
}

TEST_F(TSeriesDialogFixture, BinEditLabelAndKeysFollowTheMode) {
    TSeriesGr* s = view->AddSeries(stHistigram);
    const TAEField* bottom = view->FindAixsField(fidTimeMS);
    ASSERT_NE(bottom, nullptr);
    const std::string unitLabel =
        bottom->GetDisplayName() + "[" + bottom->GetDisplayDimension() + "]";
    Run(*s, [&](TFSeries& d) {
        EXPECT_EQ(d.BinNumLabel()->text().toStdString(), "BinCount");
        EXPECT_EQ(d.BinNumEdit()->text().toStdString(), "100");
        d.BinNumEdit()->clear();
        QTest::keyClicks(d.BinNumEdit(), "152");
        EXPECT_EQ(s->BinNum(), 152);
        d.BinNumTypeButton(bnValueInc)->click();
        EXPECT_EQ(s->BinNumType(), bnValueInc);
        EXPECT_EQ(d.BinNumLabel()->text().toStdString(), unitLabel);
        d.BinNumEdit()->clear();
        QTest::keyClicks(d.BinNumEdit(), "2.5");
        EXPECT_EQ(d.BinNumEdit()->text().toStdString(), "2,5");
        EXPECT_EQ(s->BinNum(), 2.5L);
        return static_cast<int>(QDialog::Accepted);
    });
}

TEST_F(TSeriesDialogFixture, CancelPutsTheSettingsBack) {
    TSeriesGr* s = view->AddSeries(stLineGraph);
    s->SetColor(12);
    const bool ok = Run(*s, [&](TFSeries& d) {
        d.ColorBox()->setCurrentIndex(d.ColorBox()->findData(50));
        d.BinSumButton(bsSum)->click();
        d.SplittingChanBox()->click();
        d.BinNumEdit()->setText("7");
        d.BinNumEdit()->textEdited("7");
        d.ConditionEditor()->SelectNode(&s->LogCons());
        d.ConditionEditor()->AddGroup(2);
        EXPECT_EQ(s->BinNum(), 7);
        EXPECT_EQ(s->Color(), 50);
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(s->Color(), 12);
    EXPECT_EQ(s->BinSumType(), bsCnt);
    EXPECT_TRUE(s->SplittingChan());
    EXPECT_EQ(s->BinNum(), 100);
    EXPECT_EQ(s->LogCons().Count(), 0);
}

TEST_F(TSeriesDialogFixture, SideIsChosenOnlyWithARightAxisField) {
    view->RightAxis().SetFieldId(fidAmpl);
    TSeriesGr* s = view->AddSeries(stPointPlot);
    Run(*s, [&](TFSeries& d) {
        EXPECT_TRUE(d.SideGroup()->isEnabled());
        d.SideButton(sdRight)->click();
        EXPECT_EQ(s->Side(), sdRight);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_EQ(s->Side(), sdRight);
}
