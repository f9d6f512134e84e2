// The settings frames of the filters and the location processor offscreen: their checks in
// order with their texts, key filters per keystroke, and that a refused dialog changes nothing.

#include "app/TfrmAeFltr.h"
#include "app/TfrmAeLoc.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/TLCEditor.h"
#include "view2d/TScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;

namespace {

struct TFramesFixture : ::testing::Test {
    TProjectAE project;
    TScriptedDialogs dialogs;
    TPageContext context;
    int refreshed = 0;
    void SetUp() override {
        RegisterCoreClasses();
        context.Project = &project;
        context.RefreshNode = [this] { ++refreshed; };
    }
    template <class T> T* Add(TGVCPU& parent) {
        T* p = parent.AddNew<T>();
        p->AssignIDs(false, *project.IDGenerator());
        project.Db().NameProcessors();
        return p;
    }
};

TEST_F(TFramesFixture, FilterSwitchAndTrimmedTitle) {
    auto* filter = Add<TGVCPUFltr>(project.Db());
    TfrmAeFltr frame(*filter, context);
    EXPECT_TRUE(frame.EnableBox()->isChecked());
    EXPECT_EQ(frame.Editor()->Root(), &filter->Condition());
    EXPECT_EQ(frame.SaveDbButton()->toolTip().toStdString(), "If Need Sort And Save As New File");
    frame.EnableBox()->setChecked(false);
    EXPECT_FALSE(filter->EnabledFilter());
    EXPECT_TRUE(project.Modified());
    frame.TitleEdit()->setText("  Noise  ");
    frame.CommitEdits();
    EXPECT_EQ(filter->GetName(), "Noise [FR01]");
    const int before = refreshed;
    frame.TitleEdit()->setText("Noise ");
    frame.CommitEdits();
    EXPECT_EQ(refreshed, before); // the same title after trimming: no change
    bool saved = false;
    project.OnSaveDatabase = [&](TProjectAE&, TGVCPU* p) { saved = p == filter; };
    frame.SaveDbButton()->click();
    EXPECT_TRUE(saved);
}

TEST_F(TFramesFixture, TurnOffTakesWholeMicrosecondsOnlyAndSaysWhenItIsLocated) {
    auto* filter = Add<TGVCPUTurnOffFltr>(project.Db());
    {
        TfrmAeTurnOff frame(*filter, context);
        EXPECT_TRUE(frame.EnableBox()->isEnabled());
        EXPECT_TRUE(frame.LocatedLabel()->text().isEmpty());
        frame.BeforeEdit()->clear();
        QTest::keyClicks(frame.BeforeEdit(), "125");
        frame.BeforeEdited();
        EXPECT_EQ(filter->Condition().DeltaBefore(), 125);
        const int32_t after = filter->Condition().DeltaAfter();
        frame.AfterEdit()->setText("x"); // a text that is no number stays, refused
        frame.AfterEdited();
        EXPECT_EQ(filter->Condition().DeltaAfter(), after);
        EXPECT_EQ(frame.AfterEdit()->text().toStdString(), "x");
        EXPECT_EQ(dialogs.Boxes.back(), "'x' is not a valid integer value");
    }
    auto* location = Add<TGVCPULoc>(project.Db());
    auto* below = Add<TGVCPUTurnOffFltr>(*location);
    below->SetEnabledFilter(true);
    TfrmAeTurnOff frame(*below, context);
    EXPECT_FALSE(frame.EnableBox()->isEnabled());
    EXPECT_FALSE(frame.EnableBox()->isChecked());
    EXPECT_EQ(frame.LocatedLabel()->text().toStdString(),
              "Invalid Processor After Location Processor");
}

TEST_F(TFramesFixture, ChannelDialogChecksInOrderAndARefusalChangesNothing) {
    auto* location = Add<TGVCPULoc>(project.Db());
    TfrmAeLoc frame(*location, context);
    std::vector<std::string> texts;
    // The user types, presses OK (refused), then cancels.
    std::deque<std::string> typed = {"", "200", "3-5"};
    dialogs.On<TChannelTypeDialog>([&](QDialog& d) {
        auto& dialog = static_cast<TChannelTypeDialog&>(d);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Add Type Channel");
        EXPECT_EQ(dialog.TypeBox()->count(), 3);
        EXPECT_EQ(dialog.TypeBox()->currentText().toStdString(), "Guard");
        dialog.ChannelEdit()->setText(QString::fromStdString(typed.front()));
        typed.pop_front();
        if (dialog.TryAccept()) return int(QDialog::Accepted);
        texts.push_back(dialogs.Boxes.back());
        return int(QDialog::Rejected);
    });
    frame.AddChannel();
    frame.AddChannel();
    EXPECT_EQ(texts, (std::vector<std::string>{"Empty Channel", "Invalid Channel"}));
    EXPECT_EQ(location->ChannelTypes().Count(), 0);
    EXPECT_FALSE(project.Modified());
    frame.AddChannel();
    ASSERT_EQ(location->ChannelTypes().Count(), 3);
    EXPECT_EQ(frame.ChannelList()->topLevelItemCount(), 3);
    EXPECT_EQ(frame.ChannelList()->topLevelItem(0)->text(0).toStdString(), "003");
    EXPECT_EQ(frame.ChannelList()->topLevelItem(0)->text(1).toStdString(), "Guard");
    // A channel text that is none stays as typed and is refused.
    TChannelTypeDialog d(false, std::string(), ctGuard);
    QTest::keyClicks(d.ChannelEdit(), "-1a-2-");
    EXPECT_EQ(d.ChannelEdit()->text().toStdString(), "-1a-2-");
    EXPECT_FALSE(d.TryAccept());
    EXPECT_EQ(dialogs.Boxes.back(), "Invalid Channel");
    // Editing to Normal removes the channel.
    frame.ChannelList()->setCurrentItem(frame.ChannelList()->topLevelItem(0));
    EXPECT_TRUE(frame.EditChannelButton()->isEnabled());
    dialogs.On<TChannelTypeDialog>([&](QDialog& dd) {
        auto& dialog = static_cast<TChannelTypeDialog&>(dd);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Edit Type Channel");
        EXPECT_TRUE(dialog.ChannelEdit()->isReadOnly());
        dialog.TypeBox()->setCurrentIndex(0);
        EXPECT_EQ(dialog.TypeBox()->currentText().toStdString(), "Normal");
        return dialog.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    frame.EditChannel();
    EXPECT_EQ(location->ChannelTypes().Count(), 2);
    frame.ClearChannels();
    EXPECT_EQ(location->ChannelTypes().Count(), 0);
}

TEST_F(TFramesFixture, LocationParametersKeepTheirRulesAndTheAlgorithmChanges) {
    auto* location = Add<TGVCPULoc>(project.Db());
    TfrmAeLoc frame(*location, context);
    EXPECT_EQ(frame.AlgorithmBox()->currentText().toStdString(), "Lockout/MPT Algorithm");
    frame.Edit("LockOut")->setText("100");
    frame.ParameterLeft("LockOut");
    frame.Edit("MPT")->setText("150");
    frame.ParameterLeft("MPT");
    auto* mpt = dynamic_cast<TLocOutMPT*>(&location->Algorithm());
    ASSERT_NE(mpt, nullptr);
    EXPECT_EQ(mpt->MPT(), 100);
    EXPECT_EQ(frame.Edit("MPT")->text().toStdString(), "100");
    EXPECT_TRUE(project.Modified());
    // Another algorithm takes the values of its own page.
    frame.Edit("DTNX_MAX")->setText("50");
    frame.Edit("FHCDT")->setText("20");
    frame.AlgorithmBox()->setCurrentIndex(1);
    auto* vallen = dynamic_cast<TVallen*>(&location->Algorithm());
    ASSERT_NE(vallen, nullptr);
    EXPECT_EQ(vallen->DTNX_MAX(), 50);
    EXPECT_EQ(vallen->FHCDT(), 50); // raised to DTNX_MAX
    EXPECT_EQ(frame.Edit("FHCDT")->text().toStdString(), "50");
    frame.Edit("DTNX_MAX")->setText("80");
    frame.ParameterLeft("DTNX_MAX");
    EXPECT_EQ(frame.Edit("FHCDT")->text().toStdString(), "80");
    EXPECT_EQ(frame.Edit("DT1X_MAX")->text().toStdString(), "80");
    frame.AMHCHBox()->click();
    EXPECT_TRUE(vallen->AMHCH());
}

} // namespace
