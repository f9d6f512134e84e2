// The database processor over a small text format: driver choice and the transaction of a data
// file change, calculated loading and parametric fields on read, the upward messages applied to
// the driver and told to the tree and the project, field uses and persistence.

#include "DbTestDriver.h"
#include "TestProcessors.h"
#include "common/TestData.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "processing/db/ITestGraph.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "testprog/TAEParametric.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorelt {
namespace {

using test::TestDataText;
using test::TTestMessage;

// A pass-through processor that logs the messages it receives.
class TProbe : public TGVCPU {
public:
    void Dispatch(TAEOMSG& msg) override {
        Received.push_back(msg.Msg);
        Lists.push_back(msg.List);
        TGVCPU::Dispatch(msg);
    }
    std::vector<uint32_t> Received;
    std::vector<std::vector<int32_t>> Lists;
};

class DbProcessor : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDbClasses();
        test::TTestDataDriver::Register();
        Db.SetContext(&Context);
        Root = &Db;
    }

    std::string WriteData(const std::string& name, const std::vector<TTestMessage>& messages) {
        const std::string file = Dir.File(name);
        test::WriteFileBytes(file, TestDataText(messages));
        return file;
    }

    bool Open(const std::string& file) {
        std::string message;
        const bool ok = Db.ChangeDataFile(file, message);
        EXPECT_TRUE(ok) << message;
        return ok;
    }

    // Value of a field in every record (null as "-"), read through `source`.
    std::vector<std::string> Column(TGVCPU& source, const char* id) {
        TAERecord record;
        source.PrepareRecord(record);
        TAEPNav nav;
        std::vector<std::string> out;
        std::string error;
        EXPECT_TRUE(ConsumeRecords(
            source, nav, record,
            [&](TAERecord& r, int32_t) {
                const TAEField* f = r.FindByID(id);
                out.push_back(!f || f->IsNull() ? "-" : FloatToStr(f->GetAsFloat()));
                return true;
            },
            error))
            << error;
        return out;
    }

    test::TTempDir Dir;
    TGVCPU* Root = nullptr;
    test::TTestContext Context{Root};
    TGVDb Db;
};

TEST_F(DbProcessor, CreatedWithItsFixedKind) {
    EXPECT_EQ(Db.Name(), "Database");
    EXPECT_EQ(Db.ImageIndex(), 5);
    EXPECT_EQ(Db.KindFlags(), kfDatabase);
    EXPECT_EQ(Db.OwnFields().Name(), "Calculate Parametric Fields");
    EXPECT_EQ(Db.OwnFields().Kind(), 3);
    EXPECT_EQ(Db.GetDb(), &Db);
    EXPECT_EQ(Db.GetSourceState(), 0);
    Db.AddNew<TGVCPU>();
    Db.Reset();
    EXPECT_EQ(Db.Name(), "Database");
    EXPECT_EQ(Db.ChildCount(), 0);
}

TEST_F(DbProcessor, WithoutDriverEveryCallEndsAtOnce) {
    TGVCPU* child = Db.AddNew<TGVCPU>();
    TAERecord record;
    child->PrepareRecord(record);
    TAEPNav nav;
    EXPECT_EQ(child->FirstRecord(nav, record, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNoRecord);
    EXPECT_EQ(child->NextRecord(nav, record, 0), -1);
    EXPECT_EQ(nav.Out.Message, txtDataOutRange);
    EXPECT_EQ(child->RecordCount(nav, record), 0);
    EXPECT_EQ(Column(*child, fidTimeS).size(), 0u);
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {0};
    child->Dispatch(del);
    EXPECT_EQ(Db.DeletedGroupCount(), 0);
}

TEST_F(DbProcessor, CalcLoadingFollowsTheLoadLine) {
    Open(WriteData("load.tst", {{1, "50", ""},
                                {1, "100", ""},
                                {1, "150", ""},
                                {1, "250", ""},
                                {1, "-1", ""},
                                {1, "", ""},
                                {1, "0", ""},
                                {1, "200", ""},
                                {1, "25,5", ""}}));
    auto& points = Db.TestLoadLine().Points();
    points.AddPoint({0, 0});
    points.AddPoint({100, 10});
    points.AddPoint({200, 10});
    EXPECT_EQ(Column(Db, fidCalcLoading),
              (std::vector<std::string>{"5", "10", "10", "-", "-", "-", "0", "10", "2,55"}));
    // Without points nothing is calculated.
    points.ClearPoints();
    EXPECT_EQ(Column(Db, fidCalcLoading), std::vector<std::string>(9, "-"));
}

TEST_F(DbProcessor, CalcLoadingInterpolatesBetweenUnevenPoints) {
    Open(WriteData("uneven.tst", {{1, "10", ""}, {1, "13", ""}, {1, "40", ""}}));
    auto& points = Db.TestLoadLine().Points();
    points.AddPoint({10, 2});
    points.AddPoint({20, 7});
    points.AddPoint({40, 1});
    const std::vector<std::string> values = Column(*Db.AddNew<TGVCPU>(), fidCalcLoading);
    EXPECT_EQ(values, (std::vector<std::string>{"2", "3,5", "1"}));
}

TEST_F(DbProcessor, ParametricFieldsScaleTheirSource) {
    Open(WriteData("param.tst", {{1, "1", "3"}, {1, "2", ""}, {7, "3", "-0,5"}}));
    TAEField* scaled = Db.AddParametricField("Pressure", fidParametric1, 2, 1);
    TAEField* unbound = Db.AddParametricField("Unbound", "", 2, 1);
    Db.AssignIDs(false, *Context.IDGenerator());
    ASSERT_FALSE(scaled->ID().empty());
    TGVCPU* child = Db.AddNew<TGVCPU>();
    EXPECT_EQ(Column(*child, scaled->ID().c_str()), (std::vector<std::string>{"5", "-", "-2"}));
    EXPECT_EQ(Column(*child, unbound->ID().c_str()), (std::vector<std::string>{"-", "-", "-"}));

    // Uses of the source are reported and removing the source resets the scaling only.
    std::vector<std::string> lines;
    Db.CollectFieldUses(fidParametric1, lines, true);
    EXPECT_EQ(lines, (std::vector<std::string>{"Field: [Database][Pressure]"}));
    EXPECT_TRUE(Db.DeclaresField(fidParametric1, false));
    Db.RemoveField(fidParametric1);
    ASSERT_EQ(Db.OwnFields().Count(), 2);
    TAEParametric* p = Db.ParametricOf(*Db.OwnFields().Get(0));
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->SourceID().empty());
    EXPECT_EQ(p->Factor(), 0);
    EXPECT_EQ(p->Offset(), 0);
    EXPECT_EQ(p->Field(), Db.OwnFields().Get(0));
    EXPECT_EQ(Column(*child, scaled->ID().c_str()), (std::vector<std::string>{"-", "-", "-"}));
    // A new source takes effect at once.
    p->SetSourceID(fidTimeS);
    p->SetFactor(1);
    EXPECT_EQ(Column(*child, scaled->ID().c_str()), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(DbProcessor, RefusedFilesLeaveTheServingDriverInPlace) {
    const std::string good = WriteData("good.tst", {{1, "1", ""}, {1, "2", ""}});
    Open(good);
    TAEDriverDb* serving = Db.Driver();
    const std::string text = Dir.File("notes.txt");
    test::WriteFileBytes(text, "just some text\n");
    const std::string empty = Dir.File("empty.tst");
    test::WriteFileBytes(empty, "");
    const std::string broken = Dir.File("broken.tst");
    test::WriteFileBytes(broken, "TSTDATA\n1;2;3\nthis line is damaged\n");

    std::string message;
    EXPECT_FALSE(Db.ChangeDataFile(text, message));
    EXPECT_EQ(message, "This Type File Not Support");
    EXPECT_FALSE(Db.ChangeDataFile(empty, message));
    EXPECT_EQ(message, "This Type File Not Support: the file is empty");
    // A missing file says so.
    EXPECT_FALSE(Db.ChangeDataFile(Dir.File("missing.tst"), message));
    EXPECT_EQ(message, "No such file or directory");
    EXPECT_FALSE(Db.ChangeDataFile(broken, message));
    EXPECT_EQ(message, "Bad Line: this line is damaged");
    EXPECT_EQ(Db.Driver(), serving);
    EXPECT_EQ(Db.PendingDriver(), nullptr);
    EXPECT_EQ(Db.GetSourceState(), dsReady);
    EXPECT_EQ(Column(Db, fidTimeS), (std::vector<std::string>{"1", "2"}));
}

TEST_F(DbProcessor, ANewFileServesOnlyWhenReadyAndCancelKeepsTheOldOne) {
    Open(WriteData("first.tst", {{1, "1", ""}}));
    TProbe* probe = Db.AddNew<TProbe>();
    const std::string second = WriteData("second.tst", {{1, "7", ""}, {1, "8", ""}});
    std::vector<uint8_t> states;
    std::string message;
    ASSERT_TRUE(Db.OpenDataFile(second, message, [&](uint8_t s) { states.push_back(s); }));
    ASSERT_TRUE(Db.LoadData(message));
    // Prepared but not serving: the tree still reads the first file and heard nothing.
    EXPECT_EQ(Column(Db, fidTimeS), (std::vector<std::string>{"1"}));
    EXPECT_TRUE(probe->Received.empty());
    Db.CancelDataFile();
    EXPECT_EQ(Db.PendingDriver(), nullptr);
    EXPECT_EQ(Column(Db, fidTimeS), (std::vector<std::string>{"1"}));
    EXPECT_EQ(std::filesystem::path(Db.GetFileName()).filename(), "first.tst");

    states.clear();
    ASSERT_TRUE(Db.OpenDataFile(second, message, [&](uint8_t s) { states.push_back(s); }));
    ASSERT_TRUE(Db.LoadData(message));
    ASSERT_TRUE(Db.InitializeData(message));
    EXPECT_EQ(states,
              (std::vector<uint8_t>{dsOpening, dsOpen, dsLoading, dsLoad, dsInit, dsReady}));
    EXPECT_EQ(Column(Db, fidTimeS), (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(Db.GetName(), "Database ->second.tst");
    // The tree is told the new state and that its data changed.
    EXPECT_NE(std::find(probe->Received.begin(), probe->Received.end(), omSourceState),
              probe->Received.end());
    EXPECT_NE(std::find(probe->Received.begin(), probe->Received.end(), omDataChanged),
              probe->Received.end());
}

TEST_F(DbProcessor, DeletionsReachTheDriverTheTreeAndTheProject) {
    const std::string file =
        WriteData("del.tst", {{1, "1", ""}, {1, "2", ""}, {1, "3", ""}, {1, "4", ""}});
    Open(file);
    TProbe* probe = Db.AddNew<TProbe>();
    TProbe* below = probe->AddNew<TProbe>();
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {1, 3};
    below->SendUp(del);
    EXPECT_EQ(Db.DeletedGroupCount(), 1);
    EXPECT_EQ(Column(*below, fidDeleted), (std::vector<std::string>{"0", "1", "0", "1"}));
    ASSERT_FALSE(probe->Received.empty());
    EXPECT_EQ(probe->Received.back(), omDeletedAdded);
    EXPECT_EQ(probe->Lists.back(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(Context.TopMessages.back(), omRefreshOutdated);

    TAEOMSG select;
    select.Msg = omSelectGroup;
    select.List = {0};
    below->SendUp(select);
    EXPECT_EQ(probe->Received.back(), omSelectedAdded);
    EXPECT_EQ(Db.SelectedGroupCount(), 1);
    TAEOMSG unselect;
    unselect.Msg = omUndoSelection;
    below->SendUp(unselect);
    EXPECT_EQ(probe->Received.back(), omSelectedRemoved);
    EXPECT_EQ(Db.SelectedGroupCount(), 0);

    TAEOMSG undoAll;
    undoAll.Msg = omUndoAllDeletions;
    below->SendUp(undoAll);
    EXPECT_EQ(probe->Received.back(), omDeletedRemoved);
    EXPECT_EQ(Db.DeletedGroupCount(), 0);
    EXPECT_EQ(Column(*below, fidDeleted), std::vector<std::string>(4, "0"));

    TAEOMSG mark;
    mark.Msg = omHitMarkRequest;
    mark.List = {2};
    below->SendUp(mark);
    EXPECT_EQ(probe->Received.back(), omMarkRecord);
}

TEST_F(DbProcessor, RestoringOneItemClearsThePairPointer) {
    Open(WriteData("restore.tst", {{1, "1", ""}, {1, "2", ""}, {1, "3", ""}}));
    TProbe* probe = Db.AddNew<TProbe>();
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {0, 2};
    Db.Dispatch(del);
    TDeletedItemRef ref{0, 1};
    TAEOMSG restore;
    restore.Msg = omRestore;
    restore.WParam = reinterpret_cast<intptr_t>(&ref);
    probe->SendUp(restore);
    EXPECT_EQ(restore.WParam, 0);
    EXPECT_EQ(restore.List, (std::vector<int32_t>{2}));
    EXPECT_EQ(Column(Db, fidDeleted), (std::vector<std::string>{"1", "0", "0"}));
}

TEST_F(DbProcessor, ReopeningTheSameFileKeepsTheSessionsDeletions) {
    const std::string file = WriteData("same.tst", {{1, "1", ""}, {1, "2", ""}, {1, "3", ""}});
    Open(file);
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {1};
    Db.Dispatch(del);
    ASSERT_TRUE(Open(file));
    EXPECT_EQ(Db.DeletedGroupCount(), 1);
    EXPECT_EQ(Column(Db, fidDeleted), (std::vector<std::string>{"0", "1", "0"}));
    Db.CloseDataFile();
    ASSERT_TRUE(Open(file));
    EXPECT_EQ(Db.DeletedGroupCount(), 1);
}

TEST_F(DbProcessor, SavesAndLoadsItsTestProgramAndFields) {
    Open(WriteData("persist.tst", {{1, "1", "4"}}));
    Db.AddNew<TGVCPU>()->SetName("Child");
    Db.AddParametricField("Pressure", fidParametric1, 2.5L, 0.25L);
    Db.TestSections().Add(std::make_unique<TTestSection>("Hold", 10, 20));
    Db.TestLoadLine().Points().AddPoint({0, 0});
    Db.TestLoadLine().Points().AddPoint({60, 12.5L});
    auto* column = Db.DelHitFields().AddNew<TGVStringProperty>("Time");
    column->SetAsString(fidTimeS);
    Db.AssignIDs(false, *Context.IDGenerator());
    Db.AssignIDsDeep(false, *Context.IDGenerator());

    // A graph saved by the visual layer is kept as it was.
    TNodePersist graph("TestGraph");
    graph.AddItem("ClassName", "TGraphDb");
    graph.AddNode("AXIS")->AddItem("FieldID", fidTimeS);
    Db.TestGraph().LoadFromNode(graph);

    TNodePersist saved("GVDb");
    Db.SaveToNode(saved);

    TGVCPU* root2 = nullptr;
    test::TTestContext context2(root2);
    TGVDb copy;
    root2 = &copy;
    copy.SetContext(&context2);
    copy.LoadFromNode(saved);
    EXPECT_EQ(copy.ID(), Db.ID());
    ASSERT_EQ(copy.ChildCount(), 1);
    ASSERT_EQ(copy.OwnFields().Count(), 1);
    const TAEParametric* p = copy.ParametricOf(*copy.OwnFields().Get(0));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->SourceID(), fidParametric1);
    EXPECT_EQ(p->Factor(), 2.5L);
    EXPECT_EQ(p->Offset(), 0.25L);
    EXPECT_EQ(p->Db(), &copy);
    ASSERT_EQ(copy.TestSections().Count(), 1);
    EXPECT_EQ(copy.TestSections().Get(0)->Text(), "Hold");
    EXPECT_EQ(copy.TestLoadLine().Points().PointCount(), 2);
    EXPECT_EQ(copy.DelHitFields().Count(), 1);
    EXPECT_TRUE(copy.DeclaresField(fidTimeS, false));
    std::vector<std::string> lines;
    copy.CollectFieldUses(fidTimeS, lines, true);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Field: Time[Database]"), lines.end())
        << ::testing::PrintToString(lines);

    TNodePersist again("GVDb");
    copy.SaveToNode(again);
    EXPECT_TRUE(again.SameTree(saved));
    EXPECT_TRUE(again.FindNode("TestGraph")->SameTree(graph));

    // The loaded scaling works on the records of the copy once it has a file.
    std::string message;
    ASSERT_TRUE(copy.ChangeDataFile(Db.GetFileName(), message)) << message;
    EXPECT_EQ(Column(copy, copy.OwnFields().Get(0)->ID().c_str()),
              (std::vector<std::string>{"9,75"}));
}

TEST_F(DbProcessor, RemovingAColumnFieldDropsTheColumn) {
    auto* column = Db.DelHitFields().AddNew<TGVStringProperty>("Time");
    column->SetAsString(fidTimeS);
    Db.RemoveField(fidTimeS);
    EXPECT_EQ(Db.DelHitFields().Count(), 0);
}

TEST_F(DbProcessor, ChangedMarksTheProjectQuietlyAndTellsTheTree) {
    TProbe* probe = Db.AddNew<TProbe>();
    Db.Changed(false);
    EXPECT_EQ(Context.TopMessages, (std::vector<uint32_t>{omModifiedSilent}));
    EXPECT_TRUE(probe->Received.empty());
    Db.Changed(true);
    EXPECT_EQ(probe->Received, (std::vector<uint32_t>{omDataChanged}));
    Db.NotifyModified();
    EXPECT_EQ(Context.TopMessages.back(), omModified);
}

} // namespace
} // namespace vorelt
