// The rules of the deleted records window and of the parametric fields window over a small
// data file: tree texts and numbering, grid rows, restoring with the choice of group that
// follows, the columns page, and parametric fields added, edited, refused and reported.

#include "DbTestDriver.h"
#include "TestProcessors.h"
#include "common/TestData.h"
#include "persist/TGVProperty.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TGVCPUTbl.h"
#include "testprog/TAEParametric.h"
#include "viewmodel/dialogs/conditioning/TDelHitPages.h"
#include "viewmodel/dialogs/conditioning/TParametricFields.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

using test::TestDataText;
using test::TTestMessage;

class ConditioningWindows : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDbClasses();
        test::TTestDataDriver::Register();
        Db.SetContext(&Context);
        Root = &Db;
        std::vector<TTestMessage> messages;
        for (int i = 0; i < 12; ++i)
            messages.push_back({i == 5 ? 8 : 1, std::to_string(i * 10), std::to_string(i)});
        const std::string file = Dir.File("cond.tst");
        test::WriteFileBytes(file, TestDataText(messages));
        std::string message;
        ASSERT_TRUE(Db.ChangeDataFile(file, message)) << message;
    }

    void Delete(std::vector<int32_t> positions) {
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = std::move(positions);
        Db.Dispatch(del);
    }

    std::vector<std::string> Tree(const TDelHitPages& pages) {
        std::vector<std::string> texts{pages.RootText()};
        for (int k = 0; k < pages.GroupCount(); ++k)
            texts.push_back(pages.GroupText(k));
        return texts;
    }

    test::TTempDir Dir;
    TGVCPU* Root = nullptr;
    test::TTestContext Context{Root};
    TGVDb Db;
};

TEST_F(ConditioningWindows, DeletionsOfThreeAndFiveShowTheirCountsAndTheTotal) {
    Delete({0, 1, 2});
    Delete({3, 4, 6, 7, 8});
    TDelHitPages pages(Db);
    EXPECT_EQ(Tree(pages),
              (std::vector<std::string>{"Stack Data Deleted - 8", "0 Page - 3", "1 Page - 5"}));
    pages.ChooseGroup(1);
    EXPECT_EQ(pages.GridRowCount(), 7);
    EXPECT_EQ(pages.PositionOfRow(2), 3);
    EXPECT_EQ(pages.PositionOfRow(6), 8);
    EXPECT_EQ(pages.PositionOfRow(7), -1);
}

TEST_F(ConditioningWindows, TheRootAndAGroupOfOneShowThreeGridRows) {
    Delete({4});
    TDelHitPages pages(Db);
    EXPECT_EQ(pages.Group(), -1);
    EXPECT_EQ(pages.GridRowCount(), 3);
    EXPECT_FALSE(pages.IsDataRow(2));
    pages.ChooseGroup(0);
    EXPECT_EQ(pages.GridRowCount(), 3);
    EXPECT_TRUE(pages.IsDataRow(2));
    pages.ChooseGroup(7);
    EXPECT_EQ(pages.Group(), -1);
}

TEST_F(ConditioningWindows, RowsShowTheRecordsValuesOrTheMessageText) {
    Delete({2, 5});
    TDelHitPages pages(Db);
    ASSERT_TRUE(pages.AddColumn(*Db.FindField(fidTimeS)));
    ASSERT_TRUE(pages.AddColumn(*Db.FindField(fidParametric1)));
    EXPECT_FALSE(pages.AddColumn(*Db.FindField(fidTimeS))); // listed: nothing changes
    EXPECT_EQ(pages.ColumnCount(), 2);
    pages.ChooseGroup(0);
    const TDelHitRow hit = pages.Row(2);
    ASSERT_TRUE(hit.Read);
    EXPECT_EQ(hit.Kind, rkHit);
    EXPECT_EQ(hit.Number, "1");
    ASSERT_EQ(hit.Cells.size(), 2u);
    // Values in the fields' display formats, as the table shows them.
    EXPECT_EQ(hit.Cells[0].Text.rfind("20,", 0), 0u) << hit.Cells[0].Text;
    EXPECT_EQ(hit.Cells[1].Text.rfind("2,", 0), 0u) << hit.Cells[1].Text;
    EXPECT_NE(hit.RecFlags, 0); // the record is deleted
    const TDelHitRow comment = pages.Row(3);
    ASSERT_TRUE(comment.Read);
    EXPECT_EQ(comment.Kind, rkComment);
    EXPECT_EQ(comment.Number, "2");
    EXPECT_LE(comment.Cells.size(), 1u); // one text across the row, not the values
    EXPECT_FALSE(pages.Row(4).Read);
    ASSERT_EQ(pages.HeaderCells(0).size(), 2u);
    EXPECT_EQ(pages.HeaderCells(0)[0].Text, Db.FindField(fidTimeS)->GetDisplayName());
    EXPECT_EQ(pages.HeaderCells(1)[0].Text, Db.FindField(fidTimeS)->GetDisplayDimension());
    // The column fits the captions: 50 + (width + 10) per column + 40.
    const int32_t content =
        50 + pages.Column(0)->GetDisplayWidth() + 10 + pages.Column(1)->GetDisplayWidth() + 10 + 40;
    EXPECT_EQ(pages.ColumnWidth(10), content);
    EXPECT_EQ(pages.ColumnWidth(content + 500), content + 460);
}

TEST_F(ConditioningWindows, RestoringTheOnlyRecordOfAGroupShowsTheEmptyPage) {
    Delete({1, 2});
    Delete({6});
    Delete({9, 10});
    TDelHitPages pages(Db);
    pages.ChooseGroup(1);
    ASSERT_TRUE(pages.UndeleteRecord(2));
    EXPECT_EQ(pages.Group(), -1);
    EXPECT_EQ(Tree(pages),
              (std::vector<std::string>{"Stack Data Deleted - 4", "0 Page - 2", "1 Page - 2"}));
}

TEST_F(ConditioningWindows, RestoringOneOfSeveralRecordsKeepsTheGroupShown) {
    Delete({1, 2, 3});
    TDelHitPages pages(Db);
    pages.ChooseGroup(0);
    ASSERT_TRUE(pages.UndeleteRecord(3));
    EXPECT_EQ(pages.Group(), 0);
    EXPECT_EQ(pages.PositionOfRow(2), 1);
    EXPECT_EQ(pages.PositionOfRow(3), 3);
    EXPECT_EQ(pages.RootText(), "Stack Data Deleted - 2");
}

TEST_F(ConditioningWindows, HeaderRowsNeverRestoreAWholeGroup) {
    Delete({1, 2, 3});
    TDelHitPages pages(Db);
    pages.ChooseGroup(0);
    for (int row : {0, 1, 5, -1}) {
        EXPECT_FALSE(pages.CanUndeleteRecord(row)) << row;
        EXPECT_FALSE(pages.UndeleteRecord(row)) << row;
    }
    EXPECT_EQ(pages.RootText(), "Stack Data Deleted - 3");
    // The empty page offers nothing either.
    pages.ChooseGroup(-1);
    EXPECT_FALSE(pages.CanUndeleteRecord(2));
}

TEST_F(ConditioningWindows, RestoringAWholeGroupRenumbersTheLaterNodes) {
    Delete({1});
    Delete({2, 3});
    Delete({4, 6, 7});
    TDelHitPages pages(Db);
    pages.ChooseGroup(2);
    pages.UndeletePageStack(1);
    EXPECT_EQ(pages.Group(), -1);
    EXPECT_EQ(Tree(pages),
              (std::vector<std::string>{"Stack Data Deleted - 4", "0 Page - 1", "1 Page - 3"}));
    pages.UndeleteAll();
    EXPECT_EQ(Tree(pages), (std::vector<std::string>{"Stack Data Deleted - 0"}));
    EXPECT_EQ(Db.DeletedGroupCount(), 0);
}

TEST_F(ConditioningWindows, ColumnButtonsFollowTheSelection) {
    TColumnButtons none = TDelHitPages::ButtonsFor(-1, 3);
    EXPECT_TRUE(none.Add);
    EXPECT_FALSE(none.Edit || none.Delete || none.Up || none.Down);
    TColumnButtons first = TDelHitPages::ButtonsFor(0, 3);
    EXPECT_TRUE(first.Edit && first.Delete && first.Down);
    EXPECT_FALSE(first.Up);
    TColumnButtons last = TDelHitPages::ButtonsFor(2, 3);
    EXPECT_TRUE(last.Up);
    EXPECT_FALSE(last.Down);
}

TEST_F(ConditioningWindows, ColumnsAreEditedMovedAndDeletedAndMakeTheProjectModified) {
    TDelHitPages pages(Db);
    pages.AddColumn(*Db.FindField(fidTimeS));
    pages.AddColumn(*Db.FindField(fidParametric1));
    EXPECT_NE(std::find(Context.TopMessages.begin(), Context.TopMessages.end(), omModifiedSilent),
              Context.TopMessages.end());
    pages.EditColumn(0, "  ", 0, taRightJustify);
    EXPECT_EQ(pages.Column(0)->GetDisplayName(), Db.FindField(fidTimeS)->GetDisplayName());
    EXPECT_EQ(pages.Column(0)->GetDisplayWidth(), Db.FindField(fidTimeS)->GetDisplayWidth());
    EXPECT_EQ(pages.Column(0)->GetAlignment(), taRightJustify);
    pages.MoveColumn(0, 1);
    EXPECT_EQ(pages.ColumnIDs(), (std::vector<std::string>{fidParametric1, fidTimeS}));
    pages.DeleteColumn(0);
    EXPECT_EQ(pages.ColumnIDs(), (std::vector<std::string>{fidTimeS}));
}

// --- Parametric fields ---------------------------------------------------------------------

TParametricFieldEdit Pressure() {
    TParametricFieldEdit e;
    e.FieldName = "Pressure";
    e.DisplayName = "Pressure";
    e.DisplayDimension = "MPa";
    e.SourceID = fidParametric1;
    e.FactorText = "2";
    e.OffsetText = "1";
    return e;
}

TEST_F(ConditioningWindows, FactorAndOffsetTakeEitherSeparatorAndRefuseOtherTexts) {
    TParametricFields fields(Db);
    TParametricFieldEdit e = Pressure();
    e.FactorText = "2.5";
    e.OffsetText = "0,5";
    ASSERT_TRUE(fields.Check(e).Ok);
    TAEField* f = fields.Add(e);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fields.Row(fields.Count() - 1).Factor, "2,5");
    EXPECT_EQ(fields.Row(fields.Count() - 1).Offset, "0,5");
    for (const char* wrong : {"1,2,3", "abc", "-", "2,5x"}) {
        e = Pressure();
        e.FieldName = "Other";
        e.FactorText = wrong;
        const TParametricCheck c = fields.Check(e);
        EXPECT_FALSE(c.Ok) << wrong;
        EXPECT_EQ(c.Message, std::string("'") + wrong + "' is not a valid floating point value");
        EXPECT_EQ(c.Page, TParametricPage::FieldCode);
        e.FactorText = "1";
        e.OffsetText = wrong;
        EXPECT_FALSE(fields.Check(e).Ok) << wrong;
    }
}

TEST_F(ConditioningWindows, OkChecksRunInOrderAndNameThePage) {
    TParametricFields fields(Db);
    auto check = [&](auto change) {
        TParametricFieldEdit e = Pressure();
        change(e);
        return fields.Check(e);
    };
    TParametricCheck c = check([](TParametricFieldEdit& e) {
        e.FieldName = " ";
        e.DisplayName.clear();
    });
    EXPECT_EQ(c.Message, "Empty Name");
    EXPECT_EQ(c.Page, TParametricPage::Attributes);
    const std::string taken = Db.FindField(fidTimeS)->FieldName();
    c = check([&](TParametricFieldEdit& e) { e.FieldName = " " + taken; });
    EXPECT_EQ(c.Message, "Not Unique Name [ " + taken + " ]");
    c = check([](TParametricFieldEdit& e) { e.DisplayName = "  "; });
    EXPECT_EQ(c.Message, "Empty Display Name");
    c = check([](TParametricFieldEdit& e) { e.SourceID.clear(); });
    EXPECT_EQ(c.Message, "Field Empty");
    EXPECT_EQ(c.Page, TParametricPage::FieldCode);
    c = check([](TParametricFieldEdit& e) { e.FactorText = " "; });
    EXPECT_EQ(c.Message, "Empty Factor");
    c = check([](TParametricFieldEdit& e) { e.OffsetText.clear(); });
    EXPECT_EQ(c.Message, "Empty Offset");
    EXPECT_TRUE(fields.Check(Pressure()).Ok);
}

TEST_F(ConditioningWindows, AnAddedFieldScalesItsSourceAndGetsAnID) {
    TParametricFields fields(Db);
    TAEField* f = fields.Add(Pressure());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->ID().size(), 16u);
    EXPECT_EQ(f->Group(), 3);
    EXPECT_EQ(f->GetDisplayWidth(), 100);
    EXPECT_EQ(f->GetDisplayDimension(), "MPa");
    const TParametricRow row = fields.Row(0);
    EXPECT_EQ(row.Name, "Pressure");
    EXPECT_EQ(row.Source, Db.FindField(fidParametric1)->FieldName());
    EXPECT_EQ(row.Factor, "2");
    EXPECT_EQ(row.Offset, "1");
    // Source 3 at the fourth record: 3 * 2 - 1.
    TAERecord record;
    Db.PrepareRecord(record);
    TAEPNav nav;
    Db.ReadRecord(nav, record, 3);
    EXPECT_EQ(record.FindByID(f->ID())->GetAsFloat(), 5);
    // The same name again is not unique.
    EXPECT_EQ(fields.Check(Pressure()).Message, "Not Unique Name [ Pressure ]");
}

TEST_F(ConditioningWindows, EditingKeepsNameAndID) {
    TParametricFields fields(Db);
    TAEField* f = fields.Add(Pressure());
    const std::string id = f->ID();
    TParametricFieldEdit e = fields.EditOf(0);
    EXPECT_TRUE(e.Editing);
    EXPECT_TRUE(fields.Check(e).Ok); // its own name is not taken by itself
    e.FieldName = "Other";           // read-only in the dialog; never applied
    e.DisplayName = "Load";
    e.FactorText = "0,5";
    e.OffsetText = "-1";
    ASSERT_TRUE(fields.Apply(0, e));
    EXPECT_EQ(fields.Field(0)->ID(), id);
    EXPECT_EQ(fields.Field(0)->FieldName(), "Pressure");
    EXPECT_EQ(fields.Row(0).Name, "Load");
    EXPECT_EQ(fields.Scaling(0)->Factor(), 0.5L);
    EXPECT_EQ(fields.Scaling(0)->Offset(), -1);
    EXPECT_EQ(fields.Scaling(0)->Field(), fields.Field(0));
}

TEST_F(ConditioningWindows, AFieldShownByATableCannotBeDeleted) {
    TParametricFields fields(Db);
    TAEField* f = fields.Add(Pressure());
    auto* table = Db.AddNew<TGVCPUTbl>();
    table->SetName("TB1");
    table->Data().AddColumn(*table->FindField(f->ID()));
    std::string message;
    EXPECT_FALSE(fields.Delete(0, message));
    EXPECT_EQ(message, "Field Used\rField: Pressure[TB1]");
    EXPECT_EQ(fields.Info(0), message);
    EXPECT_EQ(fields.Count(), 1);
    table->Data().Columns().Clear();
    EXPECT_EQ(fields.Info(0), "Field Not Used");
    EXPECT_TRUE(fields.Delete(0, message));
    EXPECT_TRUE(message.empty());
    EXPECT_EQ(fields.Count(), 0);
}

TEST_F(ConditioningWindows, OnlyTheDriversParametricInputsCanBeSources) {
    TParametricFields fields(Db);
    fields.Add(Pressure());
    const std::vector<std::string> excluded = fields.SourceExclusions();
    EXPECT_NE(std::find(excluded.begin(), excluded.end(), fidTimeS), excluded.end());
    EXPECT_EQ(std::find(excluded.begin(), excluded.end(), fidParametric1), excluded.end());
    EXPECT_FALSE(fields.CanBeSource(*Db.FindField(fidTimeS)));
    EXPECT_TRUE(fields.CanBeSource(*Db.FindField(fidParametric1)));
    EXPECT_FALSE(fields.CanBeSource(*fields.Field(0)));
}

TEST_F(ConditioningWindows, AFieldWithoutSourceShowsEmpty) {
    TParametricFields fields(Db);
    fields.Add(Pressure());
    Db.RemoveField(fidParametric1);
    EXPECT_EQ(fields.Row(0).Source, "<Empty>");
}

} // namespace
} // namespace vorelt
