// The DiSP driver on crafted streams: recognition, times and texts, hit layouts with
// characteristics of every size class, damaged messages, and the written copies.

#include "DispTestUtil.h"

#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/waveform/IWaveformSource.h"
#include "model/TAEFieldIDs.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vorelt::test {
namespace {

std::string WriteStream(TTempDir& dir, const TBytes& bytes, const std::string& name = "t.DTA") {
    const std::string file = dir.File(name);
    WriteFileBytes(file, std::string(bytes.begin(), bytes.end()));
    return file;
}

TBytes Hit(uint64_t ticks, uint8_t channel, const TBytes& rest) {
    return Msg(1, Cat({Time(ticks), TBytes{channel}, rest}));
}

TBytes LE(uint64_t v, int n) {
    TBytes b;
    PutLE(b, v, n);
    return b;
}

// A Spartan file: 512-byte header (record count, first and last record number, date text,
// continue flag, version, label) and 32-byte messages.
TBytes SpartanFile(uint32_t records, int messages) {
    TBytes h(512, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, records);
    put32(8, 1);
    put32(16, records);
    std::memcpy(&h[20], "27/05/21 10:53:54", 17);
    h[39] = 0;
    std::memcpy(&h[40], "2.1", 3);
    std::memcpy(&h[47], "Vessel 4", 8);
    for (int i = 0; i < messages; ++i) {
        TBytes m(32, 0);
        m[0] = 1; // hit
        m[1] = static_cast<uint8_t>(i * 16);
        m[7] = 3;   // channel
        m[24] = 48; // amplitude
        h.insert(h.end(), m.begin(), m.end());
    }
    return h;
}

TEST(DispRecognition, SpartanFileWhoseThirdByteIs41IsNotTaken) {
    TTempDir dir;
    std::string message;
    // Record counts of 2.69 million and more put 41 into the third byte of the file.
    for (uint32_t records : {0x00290000u, 0x0029000Au, 0x00291234u, 0x0029FFFFu, 0x00290020u}) {
        const std::string file = WriteStream(dir, SpartanFile(records, 40));
        ASSERT_EQ(ReadFileBytes(file)[2], 41);
        EXPECT_FALSE(TAEDisp::CanOpen(file, message)) << std::hex << records;
        EXPECT_EQ(message, "");
    }
}

TEST(DispRecognition, FirstMessageDecides) {
    TTempDir dir;
    std::string message;
    const TBytes setup = HardwareSetup({HitList({1}, 0)});
    EXPECT_TRUE(TAEDisp::CanOpen(WriteStream(dir, Cat({Product(), setup})), message));
    // A product definition alone is a (short) DiSP file.
    EXPECT_TRUE(TAEDisp::CanOpen(WriteStream(dir, Product()), message));
    // Another first message, a product without name, a second message running past the end.
    EXPECT_FALSE(TAEDisp::CanOpen(WriteStream(dir, Cat({Msg(40, Text("x")), setup})), message));
    EXPECT_FALSE(TAEDisp::CanOpen(WriteStream(dir, Cat({Product(""), setup})), message));
    TBytes cut = Cat({Product(), setup});
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(TAEDisp::CanOpen(WriteStream(dir, cut), message));
    EXPECT_FALSE(TAEDisp::CanOpen(WriteStream(dir, {}), message));
    EXPECT_FALSE(TAEDisp::CanOpen(dir.File("missing.DTA"), message));
    EXPECT_NE(message, "");
}

TEST(DispTimes, TimeFieldsAndTimeText) {
    TTempDir dir;
    const TBytes stream = Cat({Product(), HardwareSetup({HitList({1}, 0)}), Msg(128, Time(4000000)),
                               Msg(129, Time(200000)), Msg(130, Time(4000000ull * 3723 + 1)),
                               Hit(4000000, 2, LE(7, 2))});
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(2);
    EXPECT_EQ(d.Record.Kind(), rkResume);
    EXPECT_EQ(d.Float(fidTime), 1000000.0L);
    EXPECT_EQ(d.Float(fidTimeS), 1.0L);
    EXPECT_EQ(d.Float(fidTimeMS), 1000.0L);
    EXPECT_EQ(d.Str(fidHHMMSS), "00 : 00 : 01");
    EXPECT_EQ(d.Float(fidTimeUS), 0.0L);
    EXPECT_EQ(d.Str(fidDefaultText), "Resume Test or Start Of Test: 00 : 00 : 01.0000000");
    d.Read(3);
    EXPECT_EQ(d.Record.Kind(), rkStop);
    EXPECT_EQ(d.Str(fidDefaultText), "Stop the Test: 00 : 00 : 00.0500000");
    EXPECT_NEAR(static_cast<double>(d.Float(fidTimeUS)), 0.05, 1e-15);
    d.Read(4);
    EXPECT_EQ(d.Record.Kind(), rkPause);
    EXPECT_EQ(d.Str(fidDefaultText), "Pause the Test: 01 : 02 : 03.0000002");
    EXPECT_NEAR(static_cast<double>(d.Float(fidTimeHH)), 3723.0 / 3600, 1e-9);
    d.Read(5);
    EXPECT_EQ(d.Record.Kind(), rkHit);
    EXPECT_EQ(d.Float(fidTimeS), 1.0L);
    EXPECT_EQ(d.Int(fidChan), 2);
    EXPECT_EQ(d.Int(fidRise), 7);
    EXPECT_EQ(d.Int(fidHit), 1);
    EXPECT_EQ(d.Int(fidIndexRec), 5);
}

TEST(DispTimes, TimeMarks) {
    TTempDir dir;
    auto mark = [](uint16_t len, uint8_t type, const std::string& bytes) {
        return Msg(211, Cat({Time(4000000), LE(len, 2), TBytes{type}, Text(bytes, false)}));
    };
    const TBytes stream = Cat({
        Product(), HardwareSetup({HitList({1}, 0)}),
        Msg(211, LE(4000000, 4)),                  // 2: four bytes of time, no text
        mark(20, 1, "Valve\x01zz"),                // 3: text ends at the control byte
        mark(9, 2, "123456Crack 7"),               // 4: embedded type 2, text from byte 15
        mark(500, 1, "too short"),                 // 5: length word beyond the body
        Msg(211, Cat({Time(4000000), TBytes{9}})), // 6: seven bytes
        Msg(211, {}),                              // 7: no time at all
    });
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(2);
    EXPECT_EQ(d.Record.Kind(), rkTimeMark);
    EXPECT_EQ(d.Float(fidTimeS), 1.0L);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message: 00 : 00 : 01.0000000");
    d.Read(3);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message: 00 : 00 : 01.0000000 Valve");
    d.Read(4);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message: 00 : 00 : 01.0000000 Cr");
    d.Read(5);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message: 00 : 00 : 01.0000000 too short");
    d.Read(6);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message: 00 : 00 : 01.0000000 ");
    d.Read(7);
    EXPECT_TRUE(d.IsNull(fidTime));
    EXPECT_EQ(d.Str(fidDefaultText), "Time Mark Message");
}

TEST(DispHits, ParametricGroupsAfterTheCharacteristics) {
    TTempDir dir;
    const TBytes stream = Cat({
        Product(),
        HardwareSetup({HitList({1, 6}, 2)}),
        Hit(0, 1, Cat({LE(5, 2), TBytes{40}, TBytes{1}, LE(300, 2), TBytes{2}, LE(400, 2)})),
        Hit(0, 1, Cat({LE(5, 2), TBytes{40}, TBytes{1}, LE(301, 2), TBytes{77}})),
        Hit(0, 1, Cat({LE(5, 2), TBytes{40}, TBytes{1}, LE(302, 2)})),
    });
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(2); // P = 2 and exactly 6 bytes left: both groups
    EXPECT_EQ(d.Int(fidAmpl), 40);
    EXPECT_EQ(d.Int(fidParametric1), 300);
    EXPECT_EQ(d.Int(fidParametric2), 400);
    EXPECT_TRUE(d.IsNull(fidCycleCounter));
    d.Read(3); // 4 bytes left: parametric value and cycle counter
    EXPECT_EQ(d.Int(fidParametric1), 301);
    EXPECT_EQ(d.Int(fidCycleCounter), 77);
    EXPECT_TRUE(d.IsNull(fidParametric2));
    d.Read(4); // 3 bytes left: neither rule applies
    EXPECT_TRUE(d.IsNull(fidParametric1));
}

TEST(DispHits, CharacteristicsAboveTwentyOneKeepTheirBytes) {
    TTempDir dir;
    float abs = 1000.0f;
    uint32_t absBits;
    std::memcpy(&absBits, &abs, 4);
    // Codes 22 (3 partial-power segments), 23 and 24 sit between amplitude and the
    // absolute energy; the parametric group follows them all.
    const TBytes setup = HardwareSetup({HitList({1, 6, 22, 23, 24, 17, 21}, 1), PartialPower(3)});
    const TBytes rest = Cat({LE(12, 2), TBytes{55}, TBytes{10, 20, 70}, LE(480, 2), LE(250, 2),
                             LE(2500, 2), LE(absBits, 4), TBytes{1}, LE(1234, 2)});
    TOpenedDisp d(WriteStream(dir, Cat({Product(), setup, Hit(0, 4, rest)})));
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->Setup().PartialPowerSegments, 3);
    d.Read(2);
    EXPECT_EQ(d.Int(fidRise), 12);
    EXPECT_EQ(d.Int(fidAmpl), 55);
    EXPECT_NEAR(static_cast<double>(d.Float(fidRMS)), 0.5, 1e-15);
    EXPECT_NEAR(static_cast<double>(d.Float(fidAbsEnergy)), 0.931, 1e-12);
    EXPECT_EQ(d.Int(fidParametric1), 1234);
}

TEST(DispHits, ValuesAfterACharacteristicOfUnknownSizeStayEmpty) {
    TTempDir dir;
    const TBytes rest = Cat({LE(12, 2), TBytes{1, 2, 3, 4}, TBytes{55}, TBytes{1}, LE(99, 2)});
    // Code 31 has no published size; code 22 without a partial-power setup has none either.
    for (const TBytes& setup :
         {HardwareSetup({HitList({1, 31, 6}, 1)}), HardwareSetup({HitList({1, 22, 6}, 1)})}) {
        TOpenedDisp d(WriteStream(dir, Cat({Product(), setup, Hit(0, 4, rest)})));
        ASSERT_TRUE(d.Ok) << d.Message;
        d.Read(2);
        EXPECT_EQ(d.Int(fidChan), 4);
        EXPECT_EQ(d.Int(fidRise), 12);
        EXPECT_TRUE(d.IsNull(fidAmpl));
        EXPECT_TRUE(d.IsNull(fidParametric1));
        EXPECT_TRUE(d.IsNull(fidCycleCounter));
    }
    // A partial-power setup given as a message of its own.
    TBytes pp = PartialPower(4);
    pp.erase(pp.begin(), pp.begin() + 3);
    TOpenedDisp d(WriteStream(dir, Cat({Product(), HardwareSetup({HitList({1, 22, 6}, 1)}),
                                        Msg(109, pp), Hit(0, 4, rest)})));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(3);
    EXPECT_EQ(d.Int(fidAmpl), 55);
    EXPECT_EQ(d.Int(fidParametric1), 99);
}

TEST(DispHits, ShortHitsSetOnlyWhatTheyHold) {
    TTempDir dir;
    const TBytes stream =
        Cat({Product(), HardwareSetup({HitList({1, 5, 6}, 0)}),
             Hit(0, 3, Cat({LE(9, 2), LE(70000, 3)})), Msg(1, Time(8)), Msg(1, LE(8, 3))});
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(2);
    EXPECT_EQ(d.Int(fidRise), 9);
    EXPECT_TRUE(d.IsNull(fidDurat)); // one byte short
    EXPECT_TRUE(d.IsNull(fidAmpl));
    d.Read(3); // time only
    EXPECT_EQ(d.Float(fidTime), 2.0L);
    EXPECT_TRUE(d.IsNull(fidChan));
    d.Read(4); // not even a time
    EXPECT_TRUE(d.IsNull(fidTime));
    EXPECT_EQ(d.Record.Kind(), rkHit);
}

TEST(DispDamage, ZeroLengthWordsCountsPastTheEndAndCutMessages) {
    TTempDir dir;
    // Sub-record 5 claims 200 codes, 106 claims 50 channels: both are cut at their record.
    const TBytes setup =
        HardwareSetup({Sub(5, {200, 1, 6, 0}), Sub(106, {1, 50, 7, 8}), Sub(109, {0, 0xFF, 0xFF})});
    const TBytes stream = Cat({Product(), setup, LE(0, 2), Hit(0, 7, Cat({LE(3, 2), TBytes{44}})),
                               LE(0, 2), Msg(7, Text("end")), LE(40, 2), TBytes{1, 2, 3}});
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->Count(), 6);
    EXPECT_GT(d.Driver->TruncatedAt(), 0);
    EXPECT_EQ(d.Driver->Setup().HitCodes, (std::vector<uint8_t>{1, 6}));
    EXPECT_EQ(d.Driver->Setup().PartialPowerSegments, -1);
    EXPECT_EQ(d.Driver->Channels(), (TAEChannelList{7, 8}));
    d.Read(2);
    EXPECT_EQ(d.Record.Kind(), rkUnknown);
    EXPECT_EQ(d.Str(fidDefaultText), "Unknown Message 0");
    d.Read(3);
    EXPECT_EQ(d.Int(fidRise), 3);
    EXPECT_EQ(d.Int(fidAmpl), 44);
    d.Read(5);
    EXPECT_EQ(d.Str(fidDefaultText), "User Comments: end");

    // Zero length words survive a copy; the cut message at the end is left out.
    std::string message;
    const std::string sorted = dir.File("sorted.DTA");
    ASSERT_TRUE(d.Driver->SortToFile(sorted, message)) << message;
    TBytes whole = stream;
    whole.resize(whole.size() - 5);
    EXPECT_EQ(ReadFileBytes(sorted), std::string(whole.begin(), whole.end()));
}

TEST(DispDamage, NoHardwareSetup) {
    TTempDir dir;
    TOpenedDisp d(WriteStream(dir, Cat({Product(), Hit(0, 1, LE(3, 2))})));
    EXPECT_FALSE(d.Ok);
    EXPECT_EQ(d.Message, "Not Found Init Record");
}

TEST(DispFields, DeclaredLockedNeverReadOnly) {
    TAEDisp driver;
    int n = 0;
    for (TAEFields* set : {&driver.DbFields(), &driver.SetupFields(), &driver.ParamFields()})
        for (int i = 0; i < set->Count(); ++i, ++n) {
            EXPECT_TRUE(set->Get(i)->Locked()) << set->Get(i)->FieldName();
            EXPECT_FALSE(set->Get(i)->ReadOnly()) << set->Get(i)->FieldName();
            EXPECT_TRUE(set->Get(i)->IsNull());
        }
    // 28 of the format, then "Waveform Index" and the 14 waveform features.
    EXPECT_EQ(n, 43);
    EXPECT_EQ(driver.DbFields().Count(), 38);
    EXPECT_EQ(driver.SetupFields().Count(), 1);
    EXPECT_EQ(driver.FindByID(fidEnergy)->GetDisplayName(), "(PAC)Energy");
    EXPECT_EQ(driver.FindByID(fidDurat)->DataType(), dtWord);
}

TEST(DispCopies, SortingOrdersTimedMessagesAndKeepsTheOthersInPlace) {
    TTempDir dir;
    const TBytes m[] = {
        Product(),                                          // 0
        HardwareSetup({HitList({1}, 0)}),                   // 1
        Hit(400, 1, LE(4, 2)),                              // 2
        Msg(7, Text("note")),                               // 3
        Hit(100, 2, LE(1, 2)),                              // 4
        Msg(44, LE(5, 2), 9),                               // 5: sub-identifier 9
        Msg(2, Time(300)),                                  // 6
        Msg(15, Cat({Time(disp::SentinelTime), TBytes{1}})) // 7: no time
    };
    TBytes stream;
    for (const TBytes& x : m)
        stream.insert(stream.end(), x.begin(), x.end());
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    std::string message;
    const std::string sorted = dir.File("sorted.DTA");
    ASSERT_TRUE(d.Driver->SortToFile(sorted, message)) << message;
    const TBytes expected = Cat({m[0], m[1], m[4], m[3], m[6], m[5], m[2], m[7]});
    EXPECT_EQ(ReadFileBytes(sorted), std::string(expected.begin(), expected.end()));
}

TEST(DispCopies, FilteredCopyLeavesDeletedMessagesOut) {
    TTempDir dir;
    const TBytes stream = Cat({Product(), HardwareSetup({HitList({1}, 0)}), Hit(1, 1, LE(1, 2)),
                               Hit(2, 2, LE(2, 2)), Msg(129, Time(3))});
    const std::string file = WriteStream(dir, stream);
    {
        TOpenedDisp d(file);
        ASSERT_TRUE(d.Ok) << d.Message;
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {3};
        ASSERT_TRUE(d.Driver->HandleMessage(del));
        TDriverRecordSource source(*d.Driver);
        std::string message;
        ASSERT_TRUE(d.Driver->SaveToFile(source, dir.File("saved.DTA"), message)) << message;
    }
    const TBytes expected =
        Cat({Product(), HardwareSetup({HitList({1}, 0)}), Hit(1, 1, LE(1, 2)), Msg(129, Time(3))});
    EXPECT_EQ(ReadFileBytes(dir.File("saved.DTA")), std::string(expected.begin(), expected.end()));
    // The deletion survives in the companion log.
    TOpenedDisp again(file);
    ASSERT_TRUE(again.Ok);
    EXPECT_EQ(again.Driver->DeletedGroupCount(), 1);
    again.Read(3);
    EXPECT_TRUE(again.Field(fidDeleted)->GetAsBoolean());
}

} // namespace
} // namespace vorelt::test

namespace vorelt::test {
namespace {

// A waveform message: a leading byte, the time of test, the channel, a reserved byte, samples.
TBytes Waveform(uint64_t ticks, uint8_t channel, std::initializer_list<int16_t> samples) {
    TBytes body = Cat({TBytes{1}, Time(ticks), TBytes{channel, 0}});
    for (int16_t s : samples)
        PutLE(body, static_cast<uint16_t>(s), 2);
    return Msg(disp::idWaveform, body);
}

TEST(DispWaveforms, HitsFindTheWaveformMessageOfTheirChannelAndTime) {
    TTempDir dir;
    // A waveform message too short to hold samples still counts in the numbering: the hit's
    // index and the reader of the messages must name the same message.
    const TBytes stream =
        Cat({Product(), HardwareSetup({HitList({1}, 0)}),
             Msg(disp::idWaveform, Cat({TBytes{1}, Time(100)})), Waveform(4000000, 3, {1, -2, 3}),
             Hit(4000000, 2, LE(7, 2)), Waveform(4000000, 2, {5, 6}), Hit(8000000, 2, LE(7, 2)),
             Hit(4000000, 3, LE(7, 2))});
    TOpenedDisp d(WriteStream(dir, stream));
    ASSERT_TRUE(d.Ok) << d.Message;
    std::vector<std::string> indices;
    for (int32_t pos = 0; pos < d.Driver->Count(); ++pos)
        if (d.Driver->RecordKind(pos) == rkHit) {
            d.Read(pos);
            indices.push_back(d.Str(fidWaveIndex));
        }
    EXPECT_EQ(indices, (std::vector<std::string>{"2", "", "1"}));

    IWaveformSource* waves = d.Driver->Waveforms();
    ASSERT_NE(waves, nullptr);
    EXPECT_EQ(waves->Count(), 2u);
    const long long at = waves->Find(2);
    ASSERT_GE(at, 0);
    EXPECT_EQ(waves->Info(size_t(at)).Channel, 2);
    EXPECT_EQ(waves->Info(size_t(at)).Samples, 2);
    EXPECT_EQ(waves->Find(0), -1); // the message without samples is refused
}

TEST(DispWaveforms, FileWithoutWaveformsHasNoSource) {
    TTempDir dir;
    TOpenedDisp d(WriteStream(
        dir, Cat({Product(), HardwareSetup({HitList({1}, 0)}), Hit(4000000, 2, LE(7, 2))})));
    ASSERT_TRUE(d.Ok) << d.Message;
    d.Read(d.Driver->Count() - 1);
    EXPECT_TRUE(d.IsNull(fidWaveIndex));
    EXPECT_EQ(d.Driver->Waveforms(), nullptr);
}

} // namespace
} // namespace vorelt::test
