#include "TTestDriver.h"

#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vorelt::test {
namespace {

class TRecordingOwner : public IDriverOwner {
public:
    void DriverMessage(TAEOMSG& msg) override {
        if (msg.Msg == omSourceState) States.push_back(msg.Result);
    }
    std::vector<uint8_t> States;
};

// Opens, loads and initializes a file of the test format.
std::unique_ptr<TTestDriver> OpenTest(const std::string& fileName, IDriverOwner* owner = nullptr) {
    auto d = std::make_unique<TTestDriver>(owner);
    std::string msg;
    EXPECT_TRUE(d->Open(fileName, msg)) << msg;
    EXPECT_TRUE(d->Load(msg)) << msg;
    EXPECT_TRUE(d->Initialize(msg)) << msg;
    return d;
}

void BuildRecord(TAEDriverDb& d, TAERecord& record) {
    TAEListFields layout;
    d.GetFields(&layout);
    record.BuildForLayout(layout);
}

// The consumer loop of the record protocol; returns the positions read.
std::vector<int32_t> ReadAll(TAEDriverDb& d, uint16_t kinds) {
    TAEPNav nav;
    nav.Kinds = kinds;
    TAERecord record;
    BuildRecord(d, record);
    std::vector<int32_t> seen;
    int32_t p = d.FirstRecord(nav);
    while (!(nav.Out.Status & nsEndForward)) {
        if (nav.Out.Status & nsError) break;
        d.ReadRecord(nav, record, p);
        seen.push_back(record.Index());
        p = d.NextRecord(nav, p);
    }
    return seen;
}

TAEOMSG Msg(uint32_t number, std::vector<int32_t> list = {}) {
    TAEOMSG m;
    m.Msg = number;
    m.List = std::move(list);
    return m;
}

std::string Bytes(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

class DriverBase : public ::testing::Test {
protected:
    void SetUp() override {
        TTestFileBuilder b;
        b.Hit(10, 1, 100).Mark(20).Comment("note").Hit(30, 2, 200).Raw(7, {1, 2});
        b.Save(File());
    }
    std::string File() const { return Dir.File("data.vts"); }
    std::string LogName() const { return Dir.File("data.log"); }
    TTempDir Dir;
};

// --- Cursor ---

TEST(DriverCursor, HeaderOnlyFile) {
    TTempDir dir;
    TTestFileBuilder().Save(dir.File("h.vts"));
    auto d = OpenTest(dir.File("h.vts"));
    TAEPNav all;
    EXPECT_EQ(d->FirstRecord(all), 0);
    EXPECT_EQ(all.Out.Status, nsPositioned);
    EXPECT_EQ(d->RecordCount(all), 1);
    TAEPNav hits;
    hits.Kinds = KindBit(rkHit);
    EXPECT_EQ(d->FirstRecord(hits), -1);
    EXPECT_EQ(hits.Out.Status, nsNoRecord);
    EXPECT_EQ(d->LastRecord(hits), -1);
    EXPECT_EQ(hits.Out.Status, nsNoRecord);
    EXPECT_EQ(d->RecordCount(hits), 0);
}

TEST_F(DriverBase, NextOnLastAdmittedAndConsumerLoop) {
    auto d = OpenTest(File());
    ASSERT_EQ(d->Count(), 6);
    EXPECT_EQ(ReadAll(*d, 0), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadAll(*d, KindBit(rkHit)), (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(ReadAll(*d, KindBit(rkComment) | KindBit(rkTimeMark)), (std::vector<int32_t>{2, 3}));

    TAEPNav nav;
    EXPECT_EQ(d->NextRecord(nav, 5), 5); // the last position comes back with the end flag
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(nav.Out.State, dsReady);
    nav.Kinds = KindBit(rkHit);
    EXPECT_EQ(d->NextRecord(nav, 4), -1); // nothing admitted after the last hit
    EXPECT_EQ(nav.Out.Status, nsEndForward);
    EXPECT_EQ(d->PriorRecord(nav, 4), 1);
    EXPECT_EQ(nav.Out.Kind, rkHit);
    EXPECT_EQ(d->PriorRecord(nav, 1), -1);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    EXPECT_EQ(d->PriorRecord(nav, 0), 0);
    EXPECT_EQ(nav.Out.Status, nsStartBackward);
    EXPECT_EQ(nav.Out.Kind, rkUnknown);
    EXPECT_EQ(d->LastRecord(nav), 4);
    EXPECT_EQ(d->RecordCount(nav), 2);
}

TEST_F(DriverBase, OutOfRangePositions) {
    auto d = OpenTest(File());
    TAEPNav nav;
    EXPECT_EQ(d->NextRecord(nav, -1), -1);
    EXPECT_EQ(nav.Out.Status, nsNegativeIndex);
    EXPECT_EQ(nav.Out.Message, "Data Out Range");
    EXPECT_EQ(nav.Out.State, dsReady);
    EXPECT_EQ(d->NextRecord(nav, d->Count()), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(d->PriorRecord(nav, d->Count() + 5), -1);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    // A later good call clears the message.
    EXPECT_EQ(d->NextRecord(nav, 0), 1);
    EXPECT_EQ(nav.Out.Message, "");
    EXPECT_EQ(nav.Out.Status, nsPositioned);

    TAERecord record;
    BuildRecord(*d, record);
    d->ReadRecord(nav, record, 2);
    EXPECT_EQ(record.Index(), 2);
    d->ReadRecord(nav, record, 99);
    EXPECT_EQ(nav.Out.Status, nsPastEnd);
    EXPECT_EQ(record.Index(), 2); // left unchanged
    EXPECT_EQ(d->RecordKind(99), rkUnknown);
    EXPECT_EQ(d->RecordKind(-1), rkUnknown);
    EXPECT_TRUE(d->Data(-1).empty());
}

TEST_F(DriverBase, ReadRecordCommonPartAndLockedTemplates) {
    auto d = OpenTest(File());
    TAEOMSG del = Msg(omDeleteGroup, {1});
    d->HandleMessage(del);
    TAEOMSG sel = Msg(omSelectGroup, {1, 3});
    d->HandleMessage(sel);

    TAERecord record;
    BuildRecord(*d, record);
    TAEPNav nav;
    d->ReadRecord(nav, record, 1);
    EXPECT_EQ(record.Kind(), rkHit);
    EXPECT_EQ(record.RecFlags(), rfDeleted | rfSelected);
    EXPECT_TRUE(record.FindByID(fidDeleted)->GetAsBoolean());
    EXPECT_TRUE(record.FindByID(fidSelected)->GetAsBoolean());
    EXPECT_EQ(record.FindByID(fidIndexRec)->GetAsInt64(), 1);
    EXPECT_EQ(record.FindByID(fidHit)->GetAsInt64(), 1);
    EXPECT_EQ(record.FindByID(fidChan)->GetAsInt64(), 1);
    EXPECT_EQ(record.FindByID(fidAmpl)->GetAsInt64(), 100);
    auto* channels =
        static_cast<const TAEChannelList*>(record.FindByID(fidChannels)->GetValuePtr());
    ASSERT_NE(channels, nullptr);
    EXPECT_EQ(*channels, (TAEChannelList{1, 2, 4}));

    d->ReadRecord(nav, record, 2); // a time mark: values of the hit are gone
    EXPECT_EQ(record.RecFlags(), 0);
    EXPECT_FALSE(record.FindByID(fidDeleted)->GetAsBoolean());
    EXPECT_TRUE(record.FindByID(fidAmpl)->IsNull());
    EXPECT_EQ(record.FindByID(fidTime)->GetAsInt64(), 20);

    // Templates are frozen but not read-only, so working copies take values.
    TAEField* tmpl = d->FindByID(fidTime);
    ASSERT_NE(tmpl, nullptr);
    EXPECT_TRUE(tmpl->Locked());
    EXPECT_FALSE(tmpl->ReadOnly());
    EXPECT_TRUE(tmpl->IsNull());
    EXPECT_FALSE(record.FindByID(fidTime)->Locked());
    EXPECT_FALSE(d->IsIDFree(fidTime));
    EXPECT_TRUE(d->IsIDFree(fidEnergy));
    EXPECT_EQ(d->FieldPos(fidChannels), d->DbFields().Count()); // setup set follows
}

TEST_F(DriverBase, StatesAreReportedToOwnerAndCallback) {
    TRecordingOwner owner;
    std::vector<uint8_t> seen;
    {
        auto d = std::make_unique<TTestDriver>(&owner);
        d->SetOnState([&](uint8_t s) { seen.push_back(s); });
        std::string msg;
        ASSERT_TRUE(d->Open(File(), msg));
        ASSERT_TRUE(d->Load(msg));
        ASSERT_TRUE(d->Initialize(msg));
        d->Close();
        EXPECT_EQ(d->Count(), 0);
        EXPECT_FALSE(d->IsOpen());
    }
    std::vector<uint8_t> expected{dsOpening, dsOpen,  dsLoading, dsLoad,
                                  dsInit,    dsReady, dsClosing, dsClose};
    EXPECT_EQ(owner.States, expected);
    EXPECT_EQ(seen, expected);

    TTestDriver d(&owner);
    std::string msg;
    EXPECT_FALSE(d.Open(Dir.File("missing.vts"), msg));
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(d.State(), dsNone);
    EXPECT_TRUE(d.FileName().empty());
    EXPECT_EQ(DriverStateText(dsReady), std::string("Ready"));
}

// --- Groups ---

TEST_F(DriverBase, UndoAllRestoresLastGroupFirst) {
    auto d = OpenTest(File());
    for (auto g : {std::vector<int32_t>{1}, {2, 3}, {4, 5}}) {
        TAEOMSG m = Msg(omDeleteGroup, g);
        d->HandleMessage(m);
    }
    EXPECT_EQ(d->DeletedGroupCount(), 3);
    TAEOMSG undo = Msg(omUndoAllDeletions);
    EXPECT_TRUE(d->HandleMessage(undo));
    EXPECT_EQ(undo.List, (std::vector<int32_t>{4, 5, 2, 3, 1}));
    EXPECT_EQ(d->DeletedGroupCount(), 0);
    for (const TDriverIndexItem& item : d->Index())
        EXPECT_EQ(item.Flags & ifDeleted, 0);
}

TEST_F(DriverBase, UndoLastKeepsPositionsOfEarlierGroups) {
    auto d = OpenTest(File());
    TAEOMSG a = Msg(omDeleteGroup, {1, 2});
    TAEOMSG b = Msg(omDeleteGroup, {2, 3, 77, -4}); // positions outside the index are dropped
    d->HandleMessage(a);
    d->HandleMessage(b);
    EXPECT_EQ(d->DeletedGroups()[1], (TRecordGroup{2, 3}));
    TAEOMSG undo = Msg(omUndoDeletion);
    d->HandleMessage(undo);
    EXPECT_EQ(undo.List, (std::vector<int32_t>{2, 3}));
    EXPECT_TRUE(d->Item(2)->Flags & ifDeleted); // still in the first group
    EXPECT_FALSE(d->Item(3)->Flags & ifDeleted);

    TAEOMSG undoSel = Msg(omUndoSelection);
    d->HandleMessage(undoSel); // no selected group: nothing
    EXPECT_TRUE(undoSel.List.empty());
    TAEOMSG sel = Msg(omSelectGroup, {5});
    d->HandleMessage(sel);
    EXPECT_TRUE(d->Item(5)->Flags & ifSelected);
    d->HandleMessage(undoSel);
    EXPECT_FALSE(d->Item(5)->Flags & ifSelected);
    EXPECT_EQ(undoSel.List, (std::vector<int32_t>{5}));
}

TEST_F(DriverBase, RestorePartOfDeletedGroup) {
    auto d = OpenTest(File());
    TAEOMSG a = Msg(omDeleteGroup, {1, 4});
    TAEOMSG b = Msg(omDeleteGroup, {2, 3, 5});
    d->HandleMessage(a);
    d->HandleMessage(b);

    TDeletedItemRef ref{0, 1};
    TAEOMSG m = Msg(omRestore);
    m.WParam = reinterpret_cast<intptr_t>(&ref);
    d->HandleMessage(m);
    EXPECT_EQ(m.List, (std::vector<int32_t>{4}));
    ASSERT_EQ(d->DeletedGroupCount(), 2);
    EXPECT_EQ(d->DeletedGroups()[0], (TRecordGroup{1}));
    EXPECT_FALSE(d->Item(4)->Flags & ifDeleted);

    ref = {5, 0}; // no such group
    m.List.clear();
    d->HandleMessage(m);
    EXPECT_TRUE(m.List.empty());
    ref = {1, 7}; // no such item
    d->HandleMessage(m);
    EXPECT_TRUE(m.List.empty());

    ref = {1, -1}; // the whole group, last item first
    d->HandleMessage(m);
    EXPECT_EQ(m.List, (std::vector<int32_t>{5, 3, 2}));
    EXPECT_EQ(d->DeletedGroupCount(), 1);

    ref = {0, 0}; // the last item of a group removes the group
    m.List.clear();
    d->HandleMessage(m);
    EXPECT_EQ(m.List, (std::vector<int32_t>{1}));
    EXPECT_EQ(d->DeletedGroupCount(), 0);

    TAEOMSG none = Msg(omRestore); // no pair at all
    EXPECT_TRUE(d->HandleMessage(none));
    TAEOMSG other = Msg(0x401);
    EXPECT_FALSE(d->HandleMessage(other));
}

// --- Companion log ---

TEST_F(DriverBase, NewLogIsOneStartEntryAndOnlyForGroups) {
    auto d = OpenTest(File());
    EXPECT_TRUE(d->Log().InUse());
    EXPECT_FALSE(std::filesystem::exists(LogName())) << "opening wrote a log";
    TAEOMSG del = Msg(omDeleteGroup, {1});
    d->HandleMessage(del);
    d->Close();
    std::string log = ReadFileBytes(LogName());
    ASSERT_EQ(log.size(), 10u + 10u + 14u); // start, close mark, one group of one
    EXPECT_EQ(log[0], 7);
    EXPECT_EQ(log[1], 0);
    EXPECT_EQ(log[2], 1);
    EXPECT_EQ(static_cast<uint8_t>(log[4]), 20); // century
}

TEST_F(DriverBase, GroupsSurviveReopenAndLogIsRewrittenFromCloseMark) {
    {
        auto d = OpenTest(File());
        TAEOMSG del = Msg(omDeleteGroup, {1, 3});
        TAEOMSG sel = Msg(omSelectGroup, {4});
        d->HandleMessage(del);
        d->HandleMessage(sel);
    } // destruction closes and writes the log
    std::string first = ReadFileBytes(LogName());
    // start(10) + close(10) + deleted(10 + 8) + selected(10 + 4)
    ASSERT_EQ(first.size(), 52u);
    EXPECT_EQ(first[12], lkClose);
    EXPECT_EQ(first[22], lkDeleted);
    EXPECT_EQ(first[40], lkSelected);
    {
        auto d = OpenTest(File());
        EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{1, 3}}));
        EXPECT_EQ(d->SelectedGroups(), (TRecordGroups{{4}}));
        EXPECT_TRUE(d->Item(3)->Flags & ifDeleted);
        EXPECT_TRUE(d->Item(4)->Flags & ifSelected);
        EXPECT_EQ(d->Log().RewritePos(), 10u);
    }
    std::string second = ReadFileBytes(LogName());
    ASSERT_EQ(second.size(), first.size()); // one close mark with its groups
    EXPECT_EQ(second.substr(0, 10), first.substr(0, 10));
    EXPECT_EQ(second.substr(22, 3), first.substr(22, 3));
}

TEST_F(DriverBase, MillionDeletedRecordsSurviveCloseAndReopen) {
    TTempDir dir;
    TTestFileBuilder b;
    const int n = 1'000'000;
    for (int i = 0; i < n; ++i)
        b.Raw(0, {});
    b.Save(dir.File("big.vts"));
    std::vector<int32_t> all(n);
    for (int i = 0; i < n; ++i)
        all[static_cast<size_t>(i)] = i + 1;
    {
        auto d = OpenTest(dir.File("big.vts"));
        ASSERT_EQ(d->Count(), n + 1);
        TAEOMSG del = Msg(omDeleteGroup, all);
        TAEOMSG small = Msg(omSelectGroup, {7});
        d->HandleMessage(del);
        d->HandleMessage(small);
    }
    std::string log = ReadFileBytes(dir.File("big.log"));
    // 62 entries carry the million positions: one deleted-group entry and 61 continuations.
    size_t entries = (n + LogMaxGroupEntry - 1) / LogMaxGroupEntry;
    EXPECT_EQ(log.size(), 10u + 10u + entries * 10 + 4u * n + 14u);
    {
        auto d = OpenTest(dir.File("big.vts"));
        ASSERT_EQ(d->DeletedGroupCount(), 1);
        EXPECT_EQ(d->DeletedGroups()[0], all);
        EXPECT_EQ(d->SelectedGroups(), (TRecordGroups{{7}}));
        TAEPNav nav;
        EXPECT_EQ(d->RecordCount(nav), n + 1);
        EXPECT_TRUE(d->Item(n)->Flags & ifDeleted);
        EXPECT_FALSE(d->Item(0)->Flags & ifDeleted);
        TAEOMSG undo = Msg(omUndoDeletion);
        d->HandleMessage(undo);
        EXPECT_EQ(undo.List.size(), static_cast<size_t>(n));
    }
    std::string after = ReadFileBytes(dir.File("big.log"));
    EXPECT_EQ(after.size(), 34u); // start, close, the selected group
}

TEST_F(DriverBase, ForeignFileWithLogNameIsLeftIntact) {
    const std::string foreign = "Results of the pressure test, do not delete\n";
    WriteFileBytes(LogName(), foreign);
    {
        auto d = OpenTest(File());
        EXPECT_FALSE(d->Log().InUse());
        TAEOMSG del = Msg(omDeleteGroup, {1});
        d->HandleMessage(del);
        std::vector<std::string> info = d->InfoLines();
        ASSERT_FALSE(info.empty());
        EXPECT_NE(info.back().find("Log File Not Used"), std::string::npos);
    }
    EXPECT_EQ(ReadFileBytes(LogName()), foreign);
}

TEST_F(DriverBase, DamagedEntryEndsReadingAndKeepsWhatCameBefore) {
    std::vector<uint8_t> log = TLogFile::Entry(lkStart, nullptr, 0);
    auto close = TLogFile::Entry(lkClose, nullptr, 0);
    log.insert(log.end(), close.begin(), close.end());
    TLogFile::AppendGroup(log, lkDeleted, {1, 2});
    log.insert(log.end(), {0, 0, 9});                   // an empty entry is skipped
    TLogFile::AppendGroup(log, lkDeleted, {3, 999999}); // outside the index: ignored
    std::vector<uint8_t> tail;
    TLogFile::AppendGroup(tail, lkSelected, {4});
    tail[0] = 0xF0; // length beyond the end of the file
    log.insert(log.end(), tail.begin(), tail.end());
    WriteFileBytes(LogName(), Bytes(log));
    {
        auto d = OpenTest(File());
        EXPECT_TRUE(d->Log().InUse());
        EXPECT_NE(d->Log().Note().find("Damaged"), std::string::npos);
        EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{1, 2}, {3, 999999}}));
        EXPECT_TRUE(d->SelectedGroups().empty());
        TAEOMSG undo = Msg(omUndoDeletion);
        d->HandleMessage(undo);
        EXPECT_EQ(undo.List, (std::vector<int32_t>{3}));
    }
    // The damaged tail is gone after the rewrite; the log reads cleanly.
    TTestDriver d;
    std::string msg;
    ASSERT_TRUE(d.Open(File(), msg));
    EXPECT_TRUE(d.Log().Note().empty());
    EXPECT_EQ(d.DeletedGroups(), (TRecordGroups{{1, 2}}));
}

TEST_F(DriverBase, LogWithBadGroupLengthStopsThere) {
    std::vector<uint8_t> log = TLogFile::Entry(lkStart, nullptr, 0);
    TLogFile::AppendGroup(log, lkSelected, {5});
    std::vector<uint8_t> bad =
        TLogFile::Entry(lkDeleted, reinterpret_cast<const uint8_t*>("abc"), 3);
    log.insert(log.end(), bad.begin(), bad.end());
    TLogFile::AppendGroup(log, lkDeleted, {1});
    WriteFileBytes(LogName(), Bytes(log));
    TTestDriver d;
    std::string msg;
    ASSERT_TRUE(d.Open(File(), msg));
    EXPECT_EQ(d.SelectedGroups(), (TRecordGroups{{5}}));
    EXPECT_TRUE(d.DeletedGroups().empty());
}

// --- Copies ---

TEST(DriverCopies, SortKeepsUntimedSlotsAndRefusesTheSource) {
    TTempDir dir;
    TTestFileBuilder b;
    b.Hit(300, 1, 1).Comment("c").Hit(100, 2, 2).Mark(200).Raw(9, {5}).Hit(100, 3, 3);
    b.Save(dir.File("s.vts"));
    auto d = OpenTest(dir.File("s.vts"));
    std::string msg;
    EXPECT_FALSE(d->SortToFile(dir.File("s.vts"), msg));
    EXPECT_EQ(msg, "Invalid File Name: the target is the source file");
    EXPECT_FALSE(d->SortToFile(dir.File("./sub/../s.vts"), msg));
    EXPECT_FALSE(d->SortToFile(dir.File("s.log"), msg));
    EXPECT_EQ(msg, "Invalid File Name: the target is the source's companion log");
    EXPECT_EQ(ReadFileBytes(dir.File("s.vts")), b.Bytes());

    ASSERT_TRUE(d->SortToFile(dir.File("sorted.vts"), msg)) << msg;
    TTestFileBuilder expected;
    expected.Hit(100, 2, 2).Comment("c").Hit(100, 3, 3).Mark(200).Raw(9, {5}).Hit(300, 1, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("sorted.vts")), expected.Bytes());
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos); // no leftovers
}

TEST(DriverCopies, FilteredCopyCountsUndeletedHitsIntoHeader) {
    TTempDir dir;
    TTestFileBuilder b;
    b.Hit(1, 1, 1).Mark(2).Hit(3, 2, 2).Comment("x").Hit(4, 4, 4);
    b.Save(dir.File("f.vts"));
    auto d = OpenTest(dir.File("f.vts"));
    TAEOMSG del = Msg(omDeleteGroup, {3});
    d->HandleMessage(del);

    TDriverRecordSource all(*d);
    std::string msg;
    ASSERT_TRUE(d->SaveToFile(all, dir.File("all.vts"), msg)) << msg;
    TTestFileBuilder expected;
    expected.Hit(1, 1, 1).Mark(2).Comment("x").Hit(4, 4, 4);
    std::string want = expected.Bytes();
    want[8] = 2; // "Member Of Events": hits that are not deleted
    EXPECT_EQ(ReadFileBytes(dir.File("all.vts")), want);

    TDriverRecordSource hitsOnly(*d, KindBit(rkHit));
    ASSERT_TRUE(d->SaveToFile(hitsOnly, dir.File("hits.vts"), msg)) << msg;
    TTestFileBuilder hits;
    hits.Hit(1, 1, 1).Hit(4, 4, 4);
    want = hits.Bytes();
    want[8] = 2;
    EXPECT_EQ(ReadFileBytes(dir.File("hits.vts")), want);

    TDriverRecordSource marks(*d, KindBit(rkTimeMark));
    ASSERT_TRUE(d->SaveToFile(marks, dir.File("marks.vts"), msg)) << msg;
    EXPECT_EQ(static_cast<uint8_t>(ReadFileBytes(dir.File("marks.vts"))[8]), 0);
    EXPECT_FALSE(d->SaveToFile(all, dir.File("f.vts"), msg));
    EXPECT_EQ(msg, "Invalid File Name: the target is the source file");
}

// --- Registry and helpers ---

TEST(DriverRegistry, TrialOrderAndUnsupportedFile) {
    TDriverRegistry& r = TDriverRegistry::Instance();
    RegisterTestDriver();
    RegisterTestDriver(); // a second registration is ignored
    auto never = [](const std::string&, std::string&) { return false; };
    auto none = [](IDriverOwner*) -> std::unique_ptr<TAEDriverDb> { return nullptr; };
    r.Register({"TFirstTry", drVallen, +never, +none});
    ASSERT_NE(r.Find("ttestdriver"), nullptr);
    int first = -1, test = -1;
    for (size_t i = 0; i < r.Classes().size(); ++i) {
        if (r.Classes()[i].ClassName == "TFirstTry") first = static_cast<int>(i);
        if (r.Classes()[i].ClassName == "TTestDriver") test = static_cast<int>(i);
    }
    EXPECT_LT(first, test);

    TTempDir dir;
    WriteFileBytes(dir.File("x.bin"), "nothing of ours");
    std::unique_ptr<TAEDriverDb> driver;
    std::string msg;
    EXPECT_FALSE(OpenDataFile(dir.File("x.bin"), nullptr, driver, msg));
    EXPECT_EQ(msg, "This Type File Not Support");
    EXPECT_EQ(driver, nullptr);

    TTestFileBuilder().Hit(1, 1, 1).Save(dir.File("ok.vts"));
    ASSERT_TRUE(OpenDataFile(dir.File("ok.vts"), nullptr, driver, msg)) << msg;
    EXPECT_EQ(driver->ClassName(), "TTestDriver");
    EXPECT_EQ(driver->State(), dsReady);
}

TEST(DriverHelpers, TarvelTimeConversion) {
    long double v = -1;
    EXPECT_TRUE(ConvertTarvelTime(fidTimeS, fidTimeMS, v, 1.5L));
    EXPECT_EQ(v, 1500.0L);
    EXPECT_TRUE(ConvertTarvelTime(fidTimeHH, fidTimeS, v, 2.0L));
    EXPECT_EQ(v, 7200.0L);
    v = -1;
    EXPECT_FALSE(ConvertTarvelTime(fidTime, fidTimeS, v, 5.0L));
    EXPECT_EQ(v, -1.0L);
}

TEST(DriverHelpers, ByteReaderStaysInsideItsBlock) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 'a', 7, 'b', 0, 'c'};
    TByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.U32(0), 0x04030201u);
    EXPECT_EQ(r.U16(3), 0x0504);
    EXPECT_THROW(r.U32(7), EAEError);
    EXPECT_THROW(r.U8(10), EAEError);
    EXPECT_THROW(r.Sub(2, SIZE_MAX), EAEError);
    EXPECT_FALSE(r.Has(SIZE_MAX, 2));
    EXPECT_EQ(r.U32Or(8, 9), 9u);
    EXPECT_EQ(r.Text(5, 100), "ab"); // 7 skipped, 0 ends
    EXPECT_EQ(r.Text(9, 100), "c");  // the block's end ends the text
    r.Seek(8);
    EXPECT_EQ(r.ReadU16(), 0x6300);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_THROW(r.ReadU8(), EAEError);
    TByteReader empty;
    EXPECT_THROW(empty.U8(0), EAEError);
}

} // namespace
} // namespace vorelt::test
