// The table processor without a view: rows, kinds, tabs, search, persistence and CSV.

#include "FilterStreamSupport.h"

#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "persist/TNodePersist.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TLCCondition.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TSeekPlacement.h"
#include "processing/table/TTableCsv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorelt;
using namespace vorelt::test;

namespace {

// A pass-through that stands for a location processor above the table.
class TLocatedPass : public TGVSource {
public:
    bool IsLocated() const override { return true; }
};

// A pass-through that the tab rule takes for a criterion processor.
class TCriterionStandIn : public TGVSource {
public:
    std::string ClassName() const override { return "TGVCPUCriterion"; }
};

struct TTableFixture : ::testing::Test {
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = nullptr;
    TGVCPUTbl* table = nullptr;

    void SetUp() override {
        RegisterFilterClasses();
        RegisterTableClasses();
        source = MakeStream(holder);
        table = source->AddNew<TGVCPUTbl>();
        table->SetName("TB1");
    }
    void AddColumn(const char* id) {
        TAEField* f = table->FindField(id);
        ASSERT_NE(f, nullptr) << id;
        table->Data().AddColumn(*f);
    }
    std::vector<int32_t> Load() {
        std::string error;
        EXPECT_TRUE(table->Data().LoadRows(error)) << error;
        return table->Data().Rows();
    }
};

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(TTableFixture, CreatedWithTheNumRecFieldAndKindSettings) {
    EXPECT_EQ(table->ImageIndex(), 31);
    EXPECT_EQ(table->KindFlags(), kfFinal);
    EXPECT_EQ(table->OwnFields().Name(), "Table Fields");
    EXPECT_EQ(table->OwnFields().Kind(), fgTable);
    ASSERT_EQ(table->OwnFields().Count(), 1);
    const TAEField* num = table->NumRecField();
    ASSERT_NE(num, nullptr);
    EXPECT_EQ(num->FieldName(), "NumRec");
    EXPECT_EQ(num->DataType(), dtLongWord);
    EXPECT_EQ(num->GetDisplayWidth(), 40);
    EXPECT_EQ(num->GetDisplayDimension(), "Num.");
    EXPECT_EQ(table->Data().TypeRec(), 0x202);
    table->Reset();
    EXPECT_NE(table->NumRecField(), nullptr);
    EXPECT_FALSE(table->GetFirstHitOnly());
}

TEST_F(TTableFixture, CheckReadyWithoutColumnsIsOne) {
    EXPECT_EQ(table->CheckReady(), 1);
    AddColumn(fidAmpl);
    EXPECT_EQ(table->CheckReady(), -1);
}

TEST_F(TTableFixture, EmptyResultKeepsThreeGridRows) {
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(table->Data().GridRowCount(), 3);
    AddHit(*source, 1, 1);
    AddHit(*source, 2, 2);
    EXPECT_EQ(Load().size(), 2u);
    EXPECT_EQ(table->Data().GridRowCount(), 4);
}

TEST_F(TTableFixture, RowsHoldOnlyTheAdmittedKinds) {
    AddHit(*source, 1, 1);
    source->AddRecord(rkTimeMark);
    AddHit(*source, 2, 1);
    source->AddRecord(rkComment);
    source->AddRecord(rkPause);
    EXPECT_EQ(Load(), (std::vector<int32_t>{0, 2}));
    table->Data().SetTypeRec(trkTimeMark | trkComments);
    EXPECT_EQ(Load(), (std::vector<int32_t>{1, 3}));
    table->Data().SetTypeRec(trkAllBoxes);
    EXPECT_EQ(table->Data().TypeRec(), 0);
    EXPECT_EQ(Load().size(), 5u);
}

TEST_F(TTableFixture, FirstHitOnlyWithoutLocationShowsAllHits) {
    const int32_t a = AddHit(*source, 1, 1);
    const int32_t b = AddHit(*source, 2, 2);
    source->SetEventFlags(a, rfFirstHit | rfEventHit);
    source->SetEventFlags(b, rfEventHit);
    table->SetFirstHitOnly(true);
    EXPECT_EQ(Load().size(), 2u);
}

TEST(TableProcessor, FirstHitOnlyBelowLocationKeepsFirstHitsAndMessages) {
    RegisterTableClasses();
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = MakeStream(holder);
    auto* loc = source->AddNew<TLocatedPass>();
    auto* table = loc->AddNew<TGVCPUTbl>();
    const int32_t a = AddHit(*source, 1, 1);
    const int32_t b = AddHit(*source, 2, 2);
    source->AddRecord(rkTimeMark);
    const int32_t c = AddHit(*source, 3, 3);
    source->SetEventFlags(a, rfFirstHit | rfEventHit);
    source->SetEventFlags(b, rfEventHit);
    source->SetEventFlags(c, rfFirstHit | rfEventHit);
    table->Data().SetTypeRec(0);
    table->SetFirstHitOnly(true);
    std::string error;
    ASSERT_TRUE(table->Data().LoadRows(error));
    EXPECT_EQ(table->Data().Rows(), (std::vector<int32_t>{0, 2, 3}));
}

TEST_F(TTableFixture, FetchRowNumbersTheRecord) {
    AddHit(*source, 1, 4, 61.5L);
    TAERecord record;
    table->PrepareRecord(record);
    TAEPNav nav;
    ASSERT_TRUE(table->FetchRow(nav, record, 7, 0));
    const TAEField* num = record.FindByID(fidNumRec);
    ASSERT_NE(num, nullptr);
    EXPECT_EQ(num->GetAsInt64(), 7);
    EXPECT_EQ(record.FindByID(fidChan)->GetAsInt64(), 4);
    ASSERT_TRUE(table->FetchRow(nav, record, -1, 0));
    EXPECT_TRUE(record.FindByID(fidNumRec)->IsNull());
    EXPECT_FALSE(table->FetchRow(nav, record, 1, 5)); // past the end
}

TEST(TableProcessor, RowMarksAndKindTags) {
    EXPECT_STREQ(RowMarkGlyph(RowMarkOf(rfDeleted | rfSelected)), "ChkDel");
    EXPECT_STREQ(RowMarkGlyph(RowMarkOf(rfSelected)), "ChkNotDel");
    EXPECT_STREQ(RowMarkGlyph(RowMarkOf(rfDeleted)), "NotChkDel");
    EXPECT_STREQ(RowMarkGlyph(RowMarkOf(rfFirstHit)), "");
    EXPECT_STREQ(KindTagOf(rkHit, 0).Text, "Ht");
    EXPECT_STREQ(KindTagOf(rkHit, rfFirstHit).Text, "Fh");
    EXPECT_TRUE(KindTagOf(rkHit, rfFirstHit).Bold);
    for (uint8_t k : {rkStop, rkResume, rkPause, rkAbort}) {
        EXPECT_STREQ(KindTagOf(k, 0).Text, "Al");
        EXPECT_EQ(KindTagOf(k, 0).Color, 0xFF0000u);
    }
    EXPECT_STREQ(KindTagOf(rkTimeMark, 0).Text, "Tm");
    EXPECT_STREQ(KindTagOf(rkSetup, 0).Text, "St");
    EXPECT_STREQ(KindTagOf(rkComment, 0).Text, "Cm");
    EXPECT_STREQ(KindTagOf(rkUnknown, 0).Text, "");
    EXPECT_TRUE(KindTagOf(rkUnknown, 0).Underline);
}

TEST(TableProcessor, TypedShortcuts) {
    EXPECT_EQ(InterpretShortCut("w-"), TShortCutAction::RestoreRect);
    EXPECT_EQ(InterpretShortCut("-W"), TShortCutAction::RestoreRect);
    EXPECT_EQ(InterpretShortCut("w"), TShortCutAction::FillPage);
    EXPECT_EQ(InterpretShortCut(" l "), TShortCutAction::Reload);
    EXPECT_EQ(InterpretShortCut("wl"), TShortCutAction::Reload); // "L" wins
    EXPECT_EQ(InterpretShortCut("f"), TShortCutAction::Find);
    EXPECT_EQ(InterpretShortCut("fw"), TShortCutAction::FillPage);
    EXPECT_EQ(InterpretShortCut("x"), TShortCutAction::None);
}

TEST(TableProcessor, CellTexts) {
    auto f = NewStandardField(fidAmpl, dtExtended);
    EXPECT_EQ(FormatTableValue(*f), "");
    f->SetAsFloat(12.345L);
    EXPECT_EQ(FormatTableValue(*f), "12,35");
    f->SetDisplayFormat("%.3f");
    EXPECT_EQ(FormatTableValue(*f), "12,345");
    auto n = NewStandardField(fidChan, dtInteger);
    n->SetAsInt64(12);
    EXPECT_EQ(FormatTableValue(*n), "12");
    n->SetDisplayFormat("%03d");
    EXPECT_EQ(FormatTableValue(*n), "012");
    n->SetAsInt64(5'000'000'000LL);
    n->SetDisplayFormat("%d");
    auto big = NewStandardField(fidChan, dtInt64);
    big->SetAsInt64(5'000'000'000LL);
    big->SetDisplayFormat("%d");
    EXPECT_EQ(FormatTableValue(*big), "5000000000");
}

TEST_F(TTableFixture, ColumnWidthOfTheGrid) {
    AddColumn(fidAmpl);
    AddColumn(fidChan);
    const int32_t w =
        table->FindField(fidAmpl)->GetDisplayWidth() + table->FindField(fidChan)->GetDisplayWidth();
    EXPECT_EQ(table->Data().ContentWidth(), 50 + w + 20);
    EXPECT_EQ(table->Data().GridColumnWidth(100), 50 + w + 20 + 40);
    EXPECT_EQ(table->Data().GridColumnWidth(5000), 4960);
}

TEST(TableProcessor, TabsMatterOnlyBelowACriterionProcessor) {
    RegisterTableClasses();
    std::unique_ptr<TGVCPUMemorySource> holder;
    TGVCPUMemorySource* source = MakeStream(holder);
    auto* plain = source->AddNew<TGVCPUTbl>();
    auto* criterion = source->AddNew<TCriterionStandIn>();
    auto* table = criterion->AddNew<TGVCPUTbl>();
    for (TGVCPUTbl* t : {plain, table}) {
        TTableData& d = t->Data();
        d.AddTab("A");
        d.AddTab("B");
        d.AddColumn(*t->FindField(fidAmpl))->SetTag(0);
        d.AddColumn(*t->FindField(fidChan))->SetTag(1);
        d.AddColumn(*t->FindField(fidTimeMS))->SetTag(-1);
        d.SetSelectedTab(1);
    }
    EXPECT_FALSE(plain->Data().TabsInUse());
    EXPECT_EQ(plain->Data().VisibleColumns().size(), 3u);
    EXPECT_TRUE(table->Data().TabsInUse());
    const auto visible = table->Data().VisibleColumns();
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0]->Value(), fidChan);
    EXPECT_EQ(visible[1]->Value(), fidTimeMS);
}

TEST_F(TTableFixture, DeletingTabOneOfThreeRenumbersTheColumns) {
    TTableData& d = table->Data();
    d.AddTab("A");
    d.AddTab("B");
    d.AddTab("C");
    d.AddColumn(*table->FindField(fidAmpl))->SetTag(0);
    d.AddColumn(*table->FindField(fidChan))->SetTag(1);
    d.AddColumn(*table->FindField(fidTimeMS))->SetTag(2);
    d.AddColumn(*table->FindField(fidDefaultText))->SetTag(-1);
    d.DeleteTab(1);
    ASSERT_EQ(d.Tabs().Count(), 2);
    EXPECT_EQ(d.Tabs().Get(1)->Name(), "C");
    auto tag = [&](int i) { return dynamic_cast<TGVProperty*>(d.Columns().Get(i))->GetTag(); };
    EXPECT_EQ(tag(0), 0);
    EXPECT_EQ(tag(1), -1);
    EXPECT_EQ(tag(2), 1);
    EXPECT_EQ(tag(3), -1);
    d.ExchangeTabs(0, 1);
    EXPECT_EQ(d.Tabs().Get(0)->Name(), "C");
    EXPECT_EQ(tag(0), 1);
    EXPECT_EQ(tag(2), 0);
    d.DeleteTab(0);
    d.DeleteTab(0);
    EXPECT_EQ(d.SelectedTab(), -1);
}

TEST_F(TTableFixture, TimeMarksOnlySaveOneItemAndLoadWithTheDefault) {
    table->Data().SetTypeRec(trkTimeMark);
    TNodePersist node("OBJ");
    table->SaveToNode(node);
    const TNodePersist* visual = node.FindNode("VisualClass");
    ASSERT_NE(visual, nullptr);
    const TNodePersist* kinds = visual->FindNode("TypeRec");
    ASSERT_NE(kinds, nullptr);
    ASSERT_EQ(kinds->NodeCount(), 1);
    EXPECT_EQ(kinds->Node(0)->Name(), "ITEM");
    EXPECT_EQ(kinds->Node(0)->GetValue("ID"), "6");
    TGVCPUTbl other;
    other.LoadFromNode(node);
    EXPECT_EQ(other.Data().TypeRec(), KindBit(6) | KindBit(1) | KindBit(9));
}

TEST_F(TTableFixture, AllKindsComeBackAsAllKinds) {
    table->Data().SetTypeRec(0);
    TNodePersist node("OBJ");
    table->SaveToNode(node);
    EXPECT_EQ(node.FindNode("VisualClass")->FindNode("TypeRec")->NodeCount(), 9);
    TGVCPUTbl other;
    other.LoadFromNode(node);
    EXPECT_EQ(other.Data().TypeRec(), 0);
    // A file of the old rule: "all kinds" without any item loads as the default.
    TNodePersist old("OBJ");
    old.AddItem("ClassName", "TGVCPUTbl");
    TNodePersist* v = old.AddNode("VisualClass");
    v->AddItem("ClassName", "TTableVC");
    v->AddNode("TypeRec");
    TGVCPUTbl third;
    third.LoadFromNode(old);
    EXPECT_EQ(third.Data().TypeRec(), 0x202);
}

TEST_F(TTableFixture, SaveAndLoadKeepColumnsTabsFirstHitAndTheViewParts) {
    AddColumn(fidAmpl);
    AddColumn(fidChan);
    table->Data().AddTab("Main");
    table->SetFirstHitOnly(true);
    TNodePersist node("OBJ");
    table->SaveToNode(node);
    EXPECT_EQ(node.GetValue("FirstHit"), "1");
    // Parts of the view that a headless table does not understand are written back.
    TNodePersist* visual = node.FindNode("VisualClass");
    visual->AddNode("Properties")->AddItem("ClassName", "TGVProperties");
    visual->AddNode("SlaveWindow")->AddItem("Top", "5");
    TGVCPUTbl other;
    other.LoadFromNode(node);
    EXPECT_TRUE(other.GetFirstHitOnly());
    ASSERT_EQ(other.Data().Columns().Count(), 2);
    EXPECT_EQ(dynamic_cast<TGVStringProperty*>(other.Data().Columns().Get(0))->Value(), fidAmpl);
    EXPECT_EQ(other.Data().Tabs().Count(), 1);
    TNodePersist again("OBJ");
    other.SaveToNode(again);
    const TNodePersist* v2 = again.FindNode("VisualClass");
    ASSERT_NE(v2->FindNode("SlaveWindow"), nullptr);
    EXPECT_EQ(v2->FindNode("SlaveWindow")->GetValue("Top"), "5");
    EXPECT_NE(v2->FindNode("Properties"), nullptr);
    EXPECT_EQ(v2->GetValue("ClassName"), "TTableVC");
    // A missing "FirstHit" leaves the default.
    TNodePersist bare("OBJ");
    TGVCPUTbl fourth;
    fourth.LoadFromNode(bare);
    EXPECT_FALSE(fourth.GetFirstHitOnly());
}

TEST_F(TTableFixture, FieldUseOfColumns) {
    AddColumn(fidAmpl);
    AddColumn(fidAmpl);
    std::vector<std::string> lines;
    table->CollectFieldUses(fidAmpl, lines, false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Field: Ampl[TB1]");
    EXPECT_TRUE(table->DeclaresField(fidAmpl, true));
    EXPECT_FALSE(table->DeclaresField(fidChan, true));
    table->RemoveField(fidAmpl);
    EXPECT_EQ(table->Data().Columns().Count(), 0);
}

TEST_F(TTableFixture, SeekFindsHitsByConditionAndPassesOverMessages) {
    AddHit(*source, 1, 1, 50);
    AddHit(*source, 2, 3, 85);
    source->AddRecord(rkTimeMark);
    source->AddRecord(rkUnknown);
    AddHit(*source, 3, 3, 90);
    AddHit(*source, 4, 2, 95);
    table->Data().SetTypeRec(0);
    Load();
    TLCBase& root = table->Data().SeekCondition();
    root.Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "80"));
    root.Add(std::make_unique<TLCCondition>(fidChan, coEquals, "3"));
    EXPECT_EQ(table->Data().Seek(0), 1);
    // The time mark and the unknown message are not what a condition on hits asks for.
    EXPECT_EQ(table->Data().Seek(2), 4);
    EXPECT_EQ(table->Data().Seek(4), 4);
    EXPECT_EQ(table->Data().Seek(5), -1); // the last row fails
    EXPECT_EQ(TTableData::SeekStart(smFromFirst, 3), 0);
    EXPECT_EQ(TTableData::SeekStart(smAfterCurrent, 3), 4);
    EXPECT_EQ(TTableData::SeekStart(smFromCurrent, 3), 3);
}

TEST_F(TTableFixture, SeekLandsOnSetupMessagesWhenTheConditionNamesTheirFields) {
    auto setup = std::make_unique<TAEFields>();
    setup->SetName("Setup Database Fields");
    setup->SetKind(fgSetup);
    setup->Add(NewStandardField(fidThreshold, dtExtended));
    source->AddSourceSet(std::move(setup));
    const int posThreshold = 5; // after the stream's five fields
    AddHit(*source, 1, 1, 85);
    const int32_t message = source->AddRecord(rkSetup);
    source->SetValue(message, posThreshold, 40);
    AddHit(*source, 2, 1, 90);
    table->Data().SetTypeRec(0);
    Load();
    TLCBase& root = table->Data().SeekCondition();
    root.Add(std::make_unique<TLCCondition>(fidThreshold, coGreater, "30"));
    EXPECT_EQ(table->Data().Seek(0), 1);
    EXPECT_EQ(table->Data().Seek(2), -1); // the hits carry no threshold
    EXPECT_FALSE(SeekTestsKind(rkTimeMark, false));
    EXPECT_TRUE(SeekTestsKind(rkCriterion, false));
    EXPECT_TRUE(SeekTestsKind(rkSetup, true));
}

TEST(SeekPlacement, TheFoundRowSitsInTheMiddleAndTheWindowStepsOffIt) {
    // 20 rows in sight of 1000: row 500 shows from 490; near the ends the grid cannot centre.
    EXPECT_EQ(CenteredScroll(500, 20, 980), 490);
    EXPECT_EQ(CenteredScroll(3, 20, 980), 0);
    EXPECT_EQ(CenteredScroll(999, 20, 980), 980);
    EXPECT_EQ(CenteredScroll(5, 20, -1), 0);

    const TScreenRect screen{0, 0, 1280, 1024};
    const TScreenRect row{100, 500, 800, 20};
    // A window away from the row stays.
    const TScreenRect aside{100, 100, 300, 200};
    EXPECT_EQ(WindowOffRow(aside, row, screen).Top, 100);
    // Over the row: below it when there is room, otherwise above it.
    const TScreenRect over{300, 400, 300, 200};
    const TScreenRect moved = WindowOffRow(over, row, screen);
    EXPECT_FALSE(moved.Intersects(row));
    EXPECT_EQ(moved.Top, 524);
    EXPECT_EQ(moved.Left, 300);
    const TScreenRect low{300, 900, 300, 200};
    const TScreenRect lowRow{100, 950, 800, 20};
    const TScreenRect up = WindowOffRow(low, lowRow, screen);
    EXPECT_FALSE(up.Intersects(lowRow));
    EXPECT_EQ(up.Top, 950 - 4 - 200);
}

TEST_F(TTableFixture, SeekSkipsHitsTheConditionCannotEvaluate) {
    AddHit(*source, 1, 1, 50);
    Load();
    // An empty inner block raises while evaluating: the hit does not match.
    table->Data().SeekCondition().Add(std::make_unique<TLCBlock>());
    EXPECT_EQ(table->Data().Seek(0), -1);
}

TEST_F(TTableFixture, CsvHoldsCaptionsUnitsAndTheRowsWithDecimalComma) {
    AddHit(*source, 1.5L, 2, 61.25L);
    const int32_t mark = source->AddRecord(rkTimeMark);
    source->SetString(mark, posText, "Mark; \"one\"");
    AddHit(*source, 2, 3, 70);
    table->Data().SetTypeRec(trkHit | trkTimeMark);
    AddColumn(fidNumRec);
    AddColumn(fidAmpl);
    AddColumn(fidChan);
    table->Data().Columns().Get(1)->SetName("Ampl");
    dynamic_cast<TGVProperty*>(table->Data().Columns().Get(1))->SetDisplayName("Амплитуда");
    Load();
    const auto dir = std::filesystem::temp_directory_path() / "vorelt-table-csv";
    std::filesystem::create_directories(dir);
    const auto file = dir / "out.csv";
    std::filesystem::remove(file);
    std::string error;
    ASSERT_TRUE(ExportTableCsv(*table, file.string(), error)) << error;
    const std::string text = ReadFile(file);
    const std::string expected = "\xEF\xBB\xBF"
                                 "№ Record;Амплитуда;AE Channel\r\n"
                                 "Num.;dB;№\r\n"
                                 "1;61,25;2\r\n"
                                 "\"Mark; \"\"one\"\"\";;\r\n"
                                 "3;70;3\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".part~"));
}

TEST_F(TTableFixture, StoppedCsvLeavesNoFile) {
    for (int i = 0; i < 10; ++i)
        AddHit(*source, i, 1);
    AddColumn(fidAmpl);
    Load();
    const auto dir = std::filesystem::temp_directory_path() / "vorelt-table-csv";
    std::filesystem::create_directories(dir);
    const auto file = dir / "stopped.csv";
    std::filesystem::remove(file);
    std::string error = "x";
    EXPECT_FALSE(
        ExportTableCsv(*table, file.string(), error, [](int64_t, int64_t) { return false; }));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".part~"));
    EXPECT_FALSE(ExportTableCsv(*table, (dir / "no-such-dir" / "x.csv").string(), error));
    EXPECT_FALSE(error.empty());
}

TEST(CsvCells, NumbersWrittenStraightReadAsTheFieldsOwnText) {
    TAEExtendedField x;
    TAEIntegerField n;
    auto same = [](const TAEField& f) {
        std::string straight, through;
        AppendCsvValue(straight, f);
        AppendCsvCell(through, CsvValueText(f));
        EXPECT_EQ(straight, through);
    };
    same(x); // null
    for (long double v : {0.0L, -0.0L, 1.5L, -61.25L, 1e-9L, 123456789.123456789L, 1e300L,
                          -3.6e-4000L, 7.0L / 3.0L}) {
        x.SetAsFloat(v);
        same(x);
    }
    same(n);
    for (int64_t v : {int64_t{0}, int64_t{-1}, int64_t{255}, INT64_MIN, INT64_MAX}) {
        n.SetAsInt64(v);
        same(n);
    }
}
