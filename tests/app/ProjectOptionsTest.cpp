// The project options dialog offscreen: J typed as 5 becomes 10, zone points wait for OK and
// Cancel leaves the project as it was, the coordinate dialog's check.

#include "app/TFProjectOptions.h"
#include "project/RegisterCoreClasses.h"
#include "project/TProjectAE.h"
#include "view2d/TGraphic.h"
#include "view2d/TScriptedDialogs.h"
#include "viewmodel/axes/TAixsBase.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/drawables/TPolyLineAEVObject.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;

namespace {

struct TOptionsFixture : ::testing::Test {
    TProjectAE project;
    TScriptedDialogs dialogs;
    void SetUp() override { RegisterCoreClasses(); }
};

TEST_F(TOptionsFixture, SeverityFiveBecomesTen) {
    project.ZipParameters().SetJ(30);
    TFProjectOptions dialog(project);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Project Options");
    EXPECT_EQ(dialog.SeverityEdit()->text().toStdString(), "30");
    dialog.SeverityEdit()->clear();
    QTest::keyClicks(dialog.SeverityEdit(), "5");
    dialog.KGrid()->item(2, 2)->setText("N-20");
    dialog.Accept();
    EXPECT_EQ(project.ZipParameters().J(), 10);
    EXPECT_EQ(project.ZipParameters().KRow(2).Value, 20);
    EXPECT_TRUE(project.Modified());
}

TEST_F(TOptionsFixture, WaveformPickerAndBandsReachTheProjectOnOK) {
    TFProjectOptions dialog(project);
    EXPECT_EQ(dialog.PickerBox()->count(), ArrivalPickerCount);
    EXPECT_EQ(dialog.PickerBox()->currentText().toStdString(), "Hinkley Criterion");
    EXPECT_EQ(dialog.BandEdit(3)->text().toStdString(), "450");
    dialog.PickerBox()->setCurrentIndex(int(TArrivalPicker::EnergyRatio));
    dialog.BandEdit(3)->setText("250");
    dialog.Accept(); // 250 after 300: refused, the dialog stays
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0], txtInvalidBands);
    EXPECT_EQ(project.WaveformOptions(), TWaveformOptions{});
    dialog.BandEdit(3)->setText("450.5");
    dialog.Accept();
    EXPECT_EQ(project.WaveformOptions().Picker, TArrivalPicker::EnergyRatio);
    EXPECT_EQ(project.WaveformOptions().Bounds[3], 450.5);
    EXPECT_TRUE(project.Modified());
}

TEST_F(TOptionsFixture, ZonePointsWaitForOKAndCancelChangesNothing) {
    const size_t before = TProjectOptionsEdit(project).Zone(0).size();
    std::deque<std::pair<std::string, std::string>> typed = {{"", "20"}, {"5,5", "30"}};
    dialogs.On<TCoordDialog>([&](TCoordDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Add Coord Zone Zip");
        d.XEdit()->setText(QString::fromStdString(typed.front().first));
        d.YEdit()->setText(QString::fromStdString(typed.front().second));
        typed.pop_front();
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    {
        TFProjectOptions dialog(project);
        dialog.ZoneTabs()->setCurrentIndex(0);
        dialog.AddPoint();
        EXPECT_EQ(dialogs.Boxes.back(), "Empty Coord");
        EXPECT_EQ(dialog.PointList(0)->topLevelItemCount(), static_cast<int>(before));
        dialog.AddPoint();
        EXPECT_EQ(dialog.PointList(0)->topLevelItemCount(), static_cast<int>(before + 1));
        EXPECT_EQ(
            dialog.PointList(0)->topLevelItem(static_cast<int>(before))->text(0).toStdString(),
            "5,5");
        dialog.reject();
    }
    EXPECT_EQ(TProjectOptionsEdit(project).Zone(0).size(), before);
    EXPECT_FALSE(project.Modified());
    typed = {{"5,5", "30"}};
    TFProjectOptions dialog(project);
    dialog.AddPoint();
    dialog.Accept();
    EXPECT_EQ(TProjectOptionsEdit(project).Zone(0).size(), before + 1);
    EXPECT_TRUE(project.Modified());
}

} // namespace

// Labelled values of an axis, in order along it.
std::vector<std::string> AxisLabels(const TAixsBase& axis) {
    std::vector<std::string> labels;
    for (const RecMarkAixs& m : axis.Marks())
        if (m.Kind != mkTick && !m.Text.empty()) labels.push_back(m.Text);
    return labels;
}

TEST_F(TOptionsFixture, TheZoneDiagramIsTallAndNumbersBothAxes) {
    TFProjectOptions dialog(project);
    dialog.show();
    QApplication::processEvents();
    TGraphic* diagram = dialog.ZoneDiagram();
    ASSERT_NE(diagram, nullptr);
    ASSERT_TRUE(diagram->Active());
    // As the dialog opens, and when the user makes it as small as it goes.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "as opened" : "smallest");
        EXPECT_GE(diagram->height(), 300);
        // Severity 10 .. 1000 up the left, the historic index 1 .. 10 along the bottom: a
        // reader finds values on both, the top and right ends among them.
        const std::vector<std::string> severity = AxisLabels(diagram->LeftAxis());
        const std::vector<std::string> index = AxisLabels(diagram->BottomAxis());
        EXPECT_GE(severity.size(), 3u);
        EXPECT_GE(index.size(), 3u);
        if (!severity.empty()) {
            EXPECT_EQ(severity.back(), "1000");
        }
        if (!index.empty()) {
            EXPECT_EQ(index.back(), "10");
        }
        dialog.resize(dialog.minimumSizeHint());
        QApplication::processEvents();
    }
}

TEST_F(TOptionsFixture, TheDiagramShowsTheWorkingCopyOfTheZones) {
    dialogs.On<TCoordDialog>([&](TCoordDialog& d) {
        d.XEdit()->setText("5,5");
        d.YEdit()->setText("505");
        return d.TryAccept() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    TFProjectOptions dialog(project);
    dialog.resize(900, 700);
    dialog.show();
    ASSERT_NE(dialog.ZoneDiagram(), nullptr);
    EXPECT_TRUE(dialog.ZoneDiagram()->Active());
    ASSERT_EQ(dialog.ZoneLines().size(), 6u);
    // "Zone 0" (1, 25), (10, 25), (10, 10), (1, 10) on the fixed grid 1 .. 10 by 10 .. 1000.
    const TAEVPointList& z0 = dialog.ZoneLines()[0]->Points();
    ASSERT_EQ(z0.Count(), 4);
    EXPECT_NEAR(static_cast<double>(z0.X(0)), 0.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(z0.X(1)), LogicalWidthUnits, 1e-9);
    EXPECT_NEAR(static_cast<double>(z0.Y(0)), LogicalHeightUnits * (1 - 15.0 / 990.0), 1e-9);
    dialog.ZoneTabs()->setCurrentIndex(3);
    const int before = dialog.ZoneLines()[3]->Points().Count();
    dialog.AddPoint();
    ASSERT_EQ(dialog.ZoneLines().size(), 6u);
    ASSERT_EQ(dialog.ZoneLines()[3]->Points().Count(), before + 1);
    // The new point (5,5; 505) halfway across and halfway up.
    const TAEVPointList& z3 = dialog.ZoneLines()[3]->Points();
    EXPECT_NEAR(static_cast<double>(z3.X(before)), LogicalWidthUnits / 2.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(z3.Y(before)), LogicalHeightUnits / 2.0, 1e-9);
    if (const char* shots = std::getenv("VORELT_SHOT_DIR")) {
        QApplication::processEvents();
        dialog.grab().save(QString(shots) + "/project-options-zones.png");
    }
    // Nothing reached the project before OK.
    EXPECT_EQ(project.ZipParameters().Zones().Count(), 6);
    EXPECT_FALSE(project.Modified());
}
