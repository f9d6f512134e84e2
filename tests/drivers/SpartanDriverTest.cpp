// The Spartan driver on hand-built files: recognition by the header's date text, every field of
// hand-checked messages, kinds, information lines, incomplete files, sorted and filtered copies.

#include "SpartanTestFiles.h"

#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/spartan/TAESpartan.h"
#include "drivers/spartan/TSpartanFormat.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

namespace vorelt::test {
namespace {

std::unique_ptr<TAESpartan> OpenSpartan(const std::string& fileName) {
    auto d = std::make_unique<TAESpartan>();
    std::string msg;
    EXPECT_TRUE(d->Open(fileName, msg)) << msg;
    EXPECT_TRUE(d->Load(msg)) << msg;
    EXPECT_TRUE(d->Initialize(msg)) << msg;
    EXPECT_EQ(d->State(), dsReady);
    return d;
}

// A record of the driver's layout, read at a position.
class TReader {
public:
    explicit TReader(TAEDriverDb& d) : FDriver(d) {
        TAEListFields layout;
        d.GetFields(&layout);
        FRecord.BuildForLayout(layout);
    }
    TAERecord& Read(int32_t pos) {
        TAEPNav nav;
        FDriver.ReadRecord(nav, FRecord, pos);
        EXPECT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        return FRecord;
    }
    TAEField& F(const char* id) { return *FRecord.FindByID(id); }
    bool Null(const char* id) { return FRecord.FindByID(id)->IsNull(); }
    long double Float(const char* id) { return FRecord.FindByID(id)->GetAsFloat(); }
    int64_t Int(const char* id) { return FRecord.FindByID(id)->GetAsInt64(); }
    std::string Text(const char* id) { return FRecord.FindByID(id)->GetAsString(); }

private:
    TAEDriverDb& FDriver;
    TAERecord FRecord;
};

const char* const TimeIDs[] = {fidTime, fidTimeS, fidTimeHH, fidTimeMS, fidHHMMSS, fidTimeUS};

TEST(SpartanRecognition, DateTextForms) {
    using spartan::IsSpartanDate;
    EXPECT_TRUE(IsSpartanDate("15/03/21 08:30:00"));
    EXPECT_TRUE(IsSpartanDate("15.03.21 08:30:00"));
    EXPECT_TRUE(IsSpartanDate(" 15 / 03 / 21  08 : 30 : 00 "));
    EXPECT_TRUE(IsSpartanDate("15/03/2108:30:00"));
    EXPECT_TRUE(IsSpartanDate("15/03/21 08:30:00,5"));
    EXPECT_FALSE(IsSpartanDate("5/03/21 08:30:00")); // the day has one digit
    EXPECT_FALSE(IsSpartanDate("15/3/21 08:30:00"));
    EXPECT_FALSE(IsSpartanDate("15/03/2021 08:30:00"));
    EXPECT_FALSE(IsSpartanDate("15/03/21 08:30"));
    EXPECT_FALSE(IsSpartanDate("15/03/21 08-30-00"));
    EXPECT_FALSE(IsSpartanDate("15/03/21 08:30:0x"));
    EXPECT_FALSE(IsSpartanDate("15/03/21 08:30:00.5")); // a third dot
    EXPECT_FALSE(IsSpartanDate(""));
}

TEST(SpartanRecognition, CanOpenReadsTheHeaderOnly) {
    TTempDir dir;
    TSpartanFileBuilder ok;
    ok.Save(dir.File("a.spt"));
    TSpartanFileBuilder dots("15.03.21 08:30:00");
    dots.Save(dir.File("b.spt"));
    TSpartanFileBuilder bad("5/03/21 08:30:00");
    bad.Save(dir.File("c.spt"));
    std::string msg;
    EXPECT_TRUE(TAESpartan::CanOpen(dir.File("a.spt"), msg));
    EXPECT_TRUE(TAESpartan::CanOpen(dir.File("b.spt"), msg));
    EXPECT_FALSE(TAESpartan::CanOpen(dir.File("c.spt"), msg));
    EXPECT_FALSE(TAESpartan::CanOpen(dir.File("missing.spt"), msg));
    EXPECT_FALSE(msg.empty());
    // Too short to hold the date text.
    WriteFileBytes(dir.File("d.spt"), ok.Bytes().substr(0, 25));
    EXPECT_FALSE(TAESpartan::CanOpen(dir.File("d.spt"), msg));

    RegisterSpartanDriver();
    const TDriverClass* c = FindDriverClass(dir.File("a.spt"), msg);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->ClassName, "TAESpartan");
    EXPECT_EQ(c->Rank, drSpartan);
}

TEST(SpartanFields, DeclaredSetsAndAttributes) {
    TAESpartan d;
    EXPECT_EQ(d.DbFields().Count(), 21);
    EXPECT_EQ(d.SetupFields().Count(), 1);
    EXPECT_EQ(d.ParamFields().Count(), 4);
    for (const TAEFields* set : {&d.DbFields(), &d.SetupFields(), &d.ParamFields()})
        for (int i = 0; i < set->Count(); ++i) {
            const TAEField* f = set->Get(i);
            EXPECT_TRUE(f->Locked()) << f->FieldName();
            EXPECT_FALSE(f->ReadOnly()) << f->FieldName();
        }
    const TAEField* gain = d.FindByID(fidGain);
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(d.ParamFields().IndexOfID(fidGain), 0);
    EXPECT_EQ(gain->DataType(), dtInteger);
    EXPECT_EQ(gain->GetDisplayWidth(), 50);
    EXPECT_EQ(gain->UnitKind(), ukCount);
    const TAEField* dp = d.FindByID(fidParametric2);
    EXPECT_EQ(dp->FieldName(), "DP");
    EXPECT_EQ(dp->GetDisplayName(), "Digital Parameter");
    EXPECT_EQ(dp->DataType(), dtWord);
    EXPECT_EQ(d.FindByID(fidEnergy)->DataType(), dtWord);
    EXPECT_EQ(d.FindByID(fidRMSASL)->DataType(), dtExtended);
    EXPECT_EQ(d.FindByID(fidRMSASL)->GetDisplayDimension(), "mV");
    EXPECT_EQ(d.FindByID(fidSequence)->DataType(), dtLongWord);
    EXPECT_EQ(d.FindByID(fidTimeS)->DisplayFormat(), "%.8f");
    EXPECT_EQ(d.FindByID(fidChannels)->DataType(), dtListInteger);
    // Layout order: database, setup, parametric.
    EXPECT_EQ(d.FieldPos(fidDefaultText), 0);
    EXPECT_EQ(d.FieldPos(fidChannels), 21);
    EXPECT_EQ(d.FieldPos(fidCalcLoading), 25);
    long double v = 0;
    EXPECT_TRUE(d.ConvertTime(fidTimeS, fidTimeMS, v, 2.5L));
    EXPECT_EQ(v, 2500.0L);
    EXPECT_FALSE(d.ConvertTime(fidTime, fidTimeMS, v, 1));
}

class SpartanFile : public ::testing::Test {
protected:
    std::string Save(const TSpartanFileBuilder& b, const std::string& name = "data.spt") {
        const std::string file = FDir.File(name);
        b.Save(file);
        return file;
    }
    TTempDir FDir;
};

TEST_F(SpartanFile, HitFieldsByHand) {
    TSpartanFileBuilder b;
    TSpartanFileBuilder::THit h;
    h.T = 4000000ull * 3661 + 2; // 1 h 1 min 1 s and half a microsecond
    h.Channel = 3;
    h.Sequence = 123456;
    h.Rise = 25;
    h.CountsToPeak = 4;
    h.Counts = 17;
    h.Energy = 300;
    h.DurationHalves = 400;
    h.Amplitude = 62;
    h.RmsAsl = 5;
    h.Threshold = 40;
    h.Parametric = 2200;
    b.Hit(h);
    auto d = OpenSpartan(Save(b));
    ASSERT_EQ(d->Count(), 2);
    EXPECT_EQ(d->RecordKind(1), rkHit);
    TReader r(*d);
    TAERecord& rec = r.Read(1);
    EXPECT_EQ(rec.Kind(), rkHit);
    EXPECT_EQ(rec.Index(), 1);
    EXPECT_EQ(r.Float(fidTime), 3661000000.5L);
    EXPECT_EQ(r.Float(fidTimeS), 3661000000.5L / 1000000.0L);
    EXPECT_EQ(r.Float(fidTimeHH), 3661000000.5L / 3600000000.0L);
    EXPECT_EQ(r.Float(fidTimeMS), 3661000000.5L / 1000.0L);
    EXPECT_EQ(r.Text(fidHHMMSS), "01 : 01 : 01");
    EXPECT_EQ(r.Float(fidTimeUS), 2.0L / 4000000.0L);
    EXPECT_TRUE(r.Text(fidDefaultText).empty());
    EXPECT_EQ(r.Int(fidChan), 3);
    EXPECT_EQ(r.Int(fidSequence), 123456);
    EXPECT_EQ(r.Int(fidRise), 25);
    EXPECT_EQ(r.Int(fidCountPeak), 4);
    EXPECT_EQ(r.Int(fidCount), 17);
    EXPECT_EQ(r.Int(fidEnergy), 300);
    EXPECT_EQ(r.Float(fidDurat), 200.0L);
    EXPECT_EQ(r.Int(fidAmpl), 62);
    EXPECT_EQ(r.Float(fidRMSASL), 5.0L);
    EXPECT_EQ(r.Int(fidThreshold), 40);
    EXPECT_EQ(r.Int(fidParametric1), 1);
    EXPECT_TRUE(r.Null(fidParametric2));
    EXPECT_TRUE(r.Null(fidGain));
    EXPECT_TRUE(r.Null(fidCalcLoading));
    EXPECT_EQ(r.Int(fidHit), 1);
    EXPECT_EQ(r.Int(fidIndexRec), 1);
    EXPECT_FALSE(r.F(fidDeleted).GetAsBoolean());
    EXPECT_FALSE(r.F(fidSelected).GetAsBoolean());
    const auto* channels = static_cast<const TAEListIntegerField&>(r.F(fidChannels)).List();
    ASSERT_NE(channels, nullptr);
    EXPECT_EQ(*channels, TAEChannelList{3});
}

TEST_F(SpartanFile, OddDurationAndHoursAboveNinetyNine) {
    TSpartanFileBuilder b;
    TSpartanFileBuilder::THit h;
    h.T = 4000000ull * 360000 + 4000000ull * 59; // 100 h and 59 s
    h.DurationHalves = 401;
    b.Hit(h);
    auto d = OpenSpartan(Save(b));
    TReader r(*d);
    r.Read(1);
    EXPECT_EQ(r.Text(fidHHMMSS), "100 : 00 : 59");
    EXPECT_EQ(r.Float(fidDurat), 200.5L);
    EXPECT_EQ(r.Float(fidTimeUS), 0.0L);
}

TEST_F(SpartanFile, KindsTextsAndValuesOfEveryType) {
    TSpartanFileBuilder b;
    b.Timed(2, 400, 2000, 2200, 2400)    // 1
        .Timed(3, 800, 2600, 1800, 2000) // 2
        .Comment("hello\x01 there")      // 3
        .Timed(16, 1600)                 // 4
        .Timed(128, 2000)                // 5
        .Timed(129, 2400)                // 6
        .Timed(130, 2800)                // 7
        .Timed(5, 3200)                  // 8: unknown type, no time
        .Raw(255, {1, 2, 3});            // 9: a message typed like the header
    auto d = OpenSpartan(Save(b));
    ASSERT_EQ(d->Count(), 10);
    const uint8_t kinds[] = {rkSetup,  rkUnknown, rkUnknown, rkComment, rkUnknown,
                             rkResume, rkStop,    rkPause,   rkUnknown, rkSetup};
    const char* texts[] = {"Unknown Message 255",   "Time Driven Message",
                           "Demand Driven Message", "User Comments: hello there",
                           "Alarm Message",         "Resume Test or Start Of Test",
                           "Stop the Test",         "Pause the Test",
                           "Unknown Message 5",     "Unknown Message 255"};
    const bool timed[] = {false, true, true, false, true, true, true, true, false, false};
    TReader r(*d);
    for (int32_t p = 0; p < d->Count(); ++p) {
        TAERecord& rec = r.Read(p);
        EXPECT_EQ(d->RecordKind(p), kinds[p]) << p;
        EXPECT_EQ(rec.Kind(), kinds[p]) << p;
        EXPECT_EQ(r.Text(fidDefaultText), texts[p]) << p;
        for (const char* id : TimeIDs)
            EXPECT_EQ(r.Null(id), !timed[p]) << p << " " << id;
        if (timed[p]) {
            EXPECT_EQ(r.Float(fidTime), 100.0L * p) << p;
        }
        EXPECT_TRUE(r.Null(fidChan)) << p;
    }
    r.Read(1);
    EXPECT_EQ(r.Int(fidParametric1), 0);
    EXPECT_EQ(r.Int(fidParametric2), 1);
    EXPECT_EQ(r.Int(fidGain), 2);
    r.Read(2);
    EXPECT_EQ(r.Int(fidParametric1), 3);
    EXPECT_EQ(r.Int(fidParametric2), -1);
    EXPECT_EQ(r.Int(fidGain), 0);
    EXPECT_TRUE(d->Channels().empty());
}

TEST_F(SpartanFile, CommentOverTheWholeBody) {
    TSpartanFileBuilder b;
    b.Comment(std::string(31, 'x'));
    b.Comment(std::string("ab\0cd", 5));
    auto d = OpenSpartan(Save(b));
    TReader r(*d);
    r.Read(1);
    EXPECT_EQ(r.Text(fidDefaultText), "User Comments: " + std::string(31, 'x'));
    r.Read(2);
    EXPECT_EQ(r.Text(fidDefaultText), "User Comments: ab");
}

TEST_F(SpartanFile, InformationLinesAndChannelList) {
    TSpartanFileBuilder b;
    b.SetHeaderU32(0, 7).SetHeaderU32(8, 1).SetHeaderU32(16, 7).SetHeaderByte(39, 2);
    b.Hit(4, 3).Hit(8, 1).Hit(12, 3).Timed(2, 14).Hit(16, 0).Hit(20, 7).Hit(24, 1);
    const std::string file = Save(b);
    auto d = OpenSpartan(file);
    EXPECT_EQ(d->Channels(), (TAEChannelList{3, 1, 0, 7}));
    const std::vector<std::string> expected = {"",
                                               "Spartan Type",
                                               "Database: " + file,
                                               "Records Count: 7",
                                               "First Record Number: 1",
                                               "Last Record Number: 7",
                                               "Date: 15/03/21 08:30:00",
                                               "Continue Flag: 2",
                                               "Version: 2.10",
                                               "Label: Vessel 7"};
    EXPECT_EQ(d->InfoLines(), expected);
    EXPECT_EQ(d->IncompleteAt(), -1);
}

TEST_F(SpartanFile, TrailingFragmentGivesItsReadablePart) {
    TSpartanFileBuilder b;
    TSpartanFileBuilder::THit h;
    h.T = 40;
    h.Channel = 9;
    h.Sequence = 77;
    h.Rise = 5;
    b.Hit(4, 1).Hit(h);
    const std::string whole = b.Bytes();
    // The last hit stops after its sequence number: type byte and 11 body bytes.
    const std::string file = FDir.File("cut.spt");
    WriteFileBytes(file, whole.substr(0, whole.size() - 20));
    std::string msg;
    ASSERT_TRUE(TAESpartan::CanOpen(file, msg));
    auto d = OpenSpartan(file);
    ASSERT_EQ(d->Count(), 3);
    EXPECT_EQ(d->Index()[2].Size, 11u);
    EXPECT_EQ(d->IncompleteAt(), 512 + 32);
    EXPECT_EQ(d->InfoLines().back(), "Incomplete Message At Byte Offset 544: 12 Of 32 Bytes");
    EXPECT_EQ(d->Channels(), (TAEChannelList{1, 9}));
    TReader r(*d);
    r.Read(2);
    EXPECT_EQ(r.Float(fidTime), 10.0L);
    EXPECT_EQ(r.Int(fidChan), 9);
    EXPECT_EQ(r.Int(fidSequence), 77);
    EXPECT_TRUE(r.Null(fidRise));
    EXPECT_TRUE(r.Null(fidAmpl));

    // A fragment of the type byte alone, and one too short for a time.
    WriteFileBytes(file, whole.substr(0, 512 + 32 + 1));
    auto one = OpenSpartan(file);
    ASSERT_EQ(one->Count(), 3);
    EXPECT_EQ(one->Index()[2].Size, 0u);
    TReader r1(*one);
    r1.Read(2);
    EXPECT_TRUE(r1.Null(fidTime));
    EXPECT_TRUE(r1.Null(fidChan));
    EXPECT_EQ(r1.Text(fidDefaultText), "");

    // The copy keeps the fragment last, as it was.
    WriteFileBytes(file, whole.substr(0, whole.size() - 20));
    auto again = OpenSpartan(file);
    ASSERT_TRUE(again->SortToFile(FDir.File("sorted.spt"), msg)) << msg;
    EXPECT_EQ(ReadFileBytes(FDir.File("sorted.spt")), whole.substr(0, whole.size() - 20));
}

TEST_F(SpartanFile, ShortHeaderIsReadAsFarAsItGoes) {
    TSpartanFileBuilder b;
    b.SetHeaderU32(0, 5);
    const std::string file = FDir.File("short.spt");
    WriteFileBytes(file, b.Bytes().substr(0, 42));
    std::string msg;
    ASSERT_TRUE(TAESpartan::CanOpen(file, msg));
    auto d = OpenSpartan(file);
    ASSERT_EQ(d->Count(), 1);
    EXPECT_EQ(d->Index()[0].Size, 42u);
    EXPECT_EQ(d->IncompleteAt(), 0);
    const auto lines = d->InfoLines();
    EXPECT_EQ(lines[3], "Records Count: 5");
    EXPECT_EQ(lines[8], "Version: 2.");
    EXPECT_EQ(lines[9], "Label: ");
    EXPECT_EQ(lines.back(), "Incomplete Header: 42 Of 512 Bytes");
    TReader r(*d);
    r.Read(0);
    EXPECT_EQ(r.Text(fidDefaultText), "Unknown Message 255");
}

TEST_F(SpartanFile, SortingMovesTimedMessagesOnly) {
    TSpartanFileBuilder b;
    b.Hit(800, 1)         // 1
        .Comment("first") // 2 keeps its slot
        .Timed(2, 400)    // 3
        .Hit(5, 2)        // 4: quarter microseconds apart from the next
        .Hit(4, 3)        // 5
        .Raw(255, {9, 9}) // 6 keeps its slot
        .Timed(129, 100)  // 7
        .Timed(9, 1);     // 8 unknown: keeps its slot
    const std::string file = Save(b);
    auto d = OpenSpartan(file);
    std::string msg;
    const std::string sorted = FDir.File("sorted.spt");
    ASSERT_TRUE(d->SortToFile(sorted, msg)) << msg;
    auto s = OpenSpartan(sorted);
    ASSERT_EQ(s->Count(), d->Count());
    const std::string in = ReadFileBytes(file), out = ReadFileBytes(sorted);
    ASSERT_EQ(in.size(), out.size());
    EXPECT_EQ(in.substr(0, 512), out.substr(0, 512));
    auto message = [](const std::string& bytes, int k) {
        return bytes.substr(512 + 32 * (k - 1), 32);
    };
    // Timed slots 1, 3, 4, 5, 7 receive T = 4, 5, 100, 400, 800.
    EXPECT_EQ(message(out, 1), message(in, 5));
    EXPECT_EQ(message(out, 2), message(in, 2));
    EXPECT_EQ(message(out, 3), message(in, 4));
    EXPECT_EQ(message(out, 4), message(in, 7));
    EXPECT_EQ(message(out, 5), message(in, 3));
    EXPECT_EQ(message(out, 6), message(in, 6));
    EXPECT_EQ(message(out, 7), message(in, 1));
    EXPECT_EQ(message(out, 8), message(in, 8));
    // Sorting the sorted file changes nothing.
    ASSERT_TRUE(s->SortToFile(FDir.File("again.spt"), msg)) << msg;
    EXPECT_EQ(ReadFileBytes(FDir.File("again.spt")), out);
    // The open file and its log are refused as targets.
    EXPECT_FALSE(d->SortToFile(file, msg));
    EXPECT_EQ(msg, "Invalid File Name: the target is the source file");
}

TEST_F(SpartanFile, FilteredCopyCountsRecordsAndKeepsTheHeader) {
    TSpartanFileBuilder b;
    b.SetHeaderU32(0, 99).SetHeaderU32(8, 5).SetHeaderU32(16, 99).SetHeaderByte(200, 0x5A);
    for (int i = 0; i < 12; ++i)
        b.Hit(static_cast<uint64_t>(4 * i), static_cast<uint8_t>(i % 3));
    b.Comment("note").Timed(2, 100);
    auto d = OpenSpartan(Save(b));
    ASSERT_EQ(d->Count(), 15);
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {2, 3, 13};
    ASSERT_TRUE(d->HandleMessage(del));

    std::string msg;
    const std::string all = FDir.File("all.spt");
    TDriverRecordSource everything(*d);
    ASSERT_TRUE(d->SaveToFile(everything, all, msg)) << msg;
    const std::string bytes = ReadFileBytes(all);
    ASSERT_EQ(bytes.size(), 512u + 32u * 11);
    auto u32 = [&bytes](size_t at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
        return v;
    };
    EXPECT_EQ(u32(0), 12u);
    EXPECT_EQ(u32(8), 1u);
    EXPECT_EQ(u32(16), 12u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[200]), 0x5A); // other header bytes travel unchanged
    const std::string in = ReadFileBytes(d->FileName());
    EXPECT_EQ(bytes.substr(512, 32), in.substr(512, 32));      // position 1
    EXPECT_EQ(bytes.substr(544, 32), in.substr(512 + 96, 32)); // position 4 after 2, 3
    EXPECT_EQ(bytes.substr(512 + 32 * 10, 32), in.substr(512 + 32 * 13, 32));

    // Only hits reach this source and the header does not: the copy still begins with it.
    const std::string hits = FDir.File("hits.spt");
    TDriverRecordSource hitsOnly(*d, KindBit(rkHit), false);
    ASSERT_TRUE(d->SaveToFile(hitsOnly, hits, msg)) << msg;
    const std::string h = ReadFileBytes(hits);
    ASSERT_EQ(h.size(), 512u + 32u * 10);
    auto copy = OpenSpartan(hits);
    EXPECT_EQ(copy->Count(), 11);
    EXPECT_EQ(copy->InfoLines()[3], "Records Count: 11");
    EXPECT_EQ(copy->InfoLines()[5], "Last Record Number: 11");
    for (int32_t p = 1; p < copy->Count(); ++p)
        EXPECT_EQ(copy->RecordKind(p), rkHit);

    // Deleting the header does not drop it from a copy.
    TAEOMSG delHeader;
    delHeader.Msg = omDeleteGroup;
    delHeader.List = {0};
    d->HandleMessage(delHeader);
    ASSERT_TRUE(d->SaveToFile(everything, FDir.File("nohdr.spt"), msg)) << msg;
    EXPECT_EQ(ReadFileBytes(FDir.File("nohdr.spt")).substr(20, 17), "15/03/21 08:30:00");
    EXPECT_FALSE(d->SaveToFile(everything, d->FileName(), msg));
}

} // namespace
} // namespace vorelt::test
