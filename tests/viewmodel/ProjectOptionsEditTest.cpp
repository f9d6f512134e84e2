// The project options as the dialog edits them: nothing reaches the project before OK, J is
// never below 10, and OK tells the tree what changed.

#include "ProjectTestSupport.h"
#include "model/TAEMessageNumbers.h"
#include "viewmodel/dialogs/project/TProjectOptionsEdit.h"

namespace vorelt {
namespace {

class TMessageCounter : public TGVSource {
public:
    std::string ClassName() const override { return "TMessageCounter"; }
    void Dispatch(TAEOMSG& msg) override {
        if (msg.Msg == omZIPChanged) ++Zip;
        if (msg.Msg == omColorScheme) Scheme.push_back(msg.WParam);
        if (msg.Msg == omDataChanged) ++DataChanged;
        TGVSource::Dispatch(msg);
    }
    int Zip = 0;
    int DataChanged = 0;
    std::vector<int32_t> Scheme;
};

TEST(ProjectOptionsEdit, SeverityCountIsAtLeastTen) {
    EXPECT_EQ(TProjectOptionsEdit::SeverityOf("5"), 10);
    EXPECT_EQ(TProjectOptionsEdit::SeverityOf(" 25 "), 25);
    EXPECT_EQ(TProjectOptionsEdit::SeverityOf("abc"), 10);
    EXPECT_EQ(TProjectOptionsEdit::SeverityOf(""), 10);
    TGVCoord c;
    EXPECT_EQ(TProjectOptionsEdit::ReadCoord("", "3", c), "Empty Coord");
    EXPECT_EQ(TProjectOptionsEdit::ReadCoord("2,5", " ", c), "Empty Coord");
    EXPECT_EQ(TProjectOptionsEdit::ReadCoord("2,5", "-30", c), "");
    EXPECT_EQ(c.X, 2.5L);
    EXPECT_EQ(c.Y, -30);
}

TEST(ProjectOptionsEdit, EditsWaitForOKAndOKTellsTheTree) {
    test::RegisterTestClasses();
    TProjectAE project;
    auto* counter = project.Db().AddNew<TMessageCounter>();
    const std::vector<TGVCoord> zoneA = TProjectOptionsEdit(project).Zone(1);
    ASSERT_EQ(zoneA.size(), 4u);
    {
        // Edited and cancelled: the project stays as it was.
        TProjectOptionsEdit edit(project);
        edit.SeverityText = "5";
        edit.KTexts[2] = "N-20";
        edit.AddPoint(1, {3, 40});
        edit.DeletePoint(1, 0);
        edit.ColorBackGraph = 1;
        EXPECT_TRUE(edit.ZonesChanged());
    }
    EXPECT_EQ(project.ZipParameters().J(), 10);
    EXPECT_EQ(TProjectOptionsEdit(project).Zone(1), zoneA);
    EXPECT_FALSE(project.Modified());
    EXPECT_EQ(counter->Zip, 0);

    TProjectOptionsEdit edit(project);
    EXPECT_FALSE(edit.Apply()); // nothing changed
    EXPECT_FALSE(project.Modified());
    edit.SeverityText = "5";
    EXPECT_TRUE(edit.Apply());
    EXPECT_EQ(project.ZipParameters().J(), 10);
    edit.SeverityText = "40";
    edit.KTexts[3] = "n * 0.5";
    EXPECT_FALSE(edit.EditPoint(1, 0, zoneA[0])); // the same point is no change
    EXPECT_TRUE(edit.EditPoint(1, 0, {1, 55}));
    EXPECT_TRUE(edit.Apply());
    EXPECT_EQ(project.ZipParameters().J(), 40);
    EXPECT_EQ(project.ZipParameters().KRow(3).TypeOperation, 3);
    EXPECT_EQ(project.ZipParameters().KRow(3).Value, 0.5L);
    EXPECT_EQ(TProjectOptionsEdit(project).Zone(1)[0].Y, 55);
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(counter->Zip, 2);
    edit.ColorBackGraph = 1;
    edit.Apply();
    EXPECT_EQ(project.ColorBackGraph(), 1);
    EXPECT_EQ(counter->Scheme, std::vector<int32_t>{1});
    // "Set Default" brings the polygon back.
    TProjectOptionsEdit again(project);
    again.SetDefaultZone(1);
    EXPECT_EQ(again.Zone(1), zoneA);
}

TEST(ProjectOptionsEdit, WaveformOptionsTakeRisingBandsAndTellTheTree) {
    std::array<double, 5> bounds{};
    using TTexts = std::array<std::string, 5>;
    EXPECT_EQ(TProjectOptionsEdit::ReadBands(TTexts{"0", "150", "300", "450", "1000"}, bounds), "");
    EXPECT_EQ(TProjectOptionsEdit::ReadBands(TTexts{"0", "12,5", "20.5", "30", " 40 "}, bounds),
              "");
    EXPECT_EQ(bounds, (std::array<double, 5>{0, 12.5, 20.5, 30, 40}));
    for (const TTexts& bad :
         {TTexts{"0", "150", "150", "450", "1000"}, TTexts{"-1", "150", "300", "450", "1000"},
          TTexts{"0", "150", "", "450", "1000"}, TTexts{"0", "abc", "300", "450", "1000"}})
        EXPECT_EQ(TProjectOptionsEdit::ReadBands(bad, bounds), txtInvalidBands) << bad[1];

    test::RegisterTestClasses();
    TProjectAE project;
    auto* counter = project.Db().AddNew<TMessageCounter>();
    TProjectOptionsEdit edit(project);
    EXPECT_EQ(edit.Picker, 0);
    EXPECT_EQ(edit.BandTexts[4], "1000");
    edit.BandTexts[1] = "200";
    edit.BandTexts[2] = "100";
    EXPECT_EQ(edit.Check(), txtInvalidBands);
    edit.BandTexts[2] = "250,5";
    edit.Picker = static_cast<int>(TArrivalPicker::Aic);
    EXPECT_EQ(edit.Check(), "");
    EXPECT_TRUE(edit.Apply());
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(counter->DataChanged, 1);
    EXPECT_EQ(project.WaveformOptions().Picker, TArrivalPicker::Aic);
    EXPECT_EQ(project.WaveformOptions().Bounds, (std::array<double, 5>{0, 200, 250.5, 450, 1000}));
    EXPECT_FALSE(edit.Apply()); // nothing new
    EXPECT_EQ(counter->DataChanged, 1);
}

} // namespace
} // namespace vorelt
