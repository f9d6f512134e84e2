// Both Tarvel drivers on hand-built files: every field of a hand-checked message of each type,
// gain tracking of the ISA board, the PCI energy sets, text marks, damaged streams, the sorted
// and filtered copies, recognition and registration.

#include "TarvelTestFiles.h"
#include "common/TestData.h"
#include "drivers/TDriverRecordSource.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vorelt {
namespace {

using test::TTarvelFileBuilder;

// A driver opened on a file written into a temporary folder, with a record of its layout.
template <class TDriver> struct TOpened {
    test::TTempDir Dir;
    std::string Path;
    TDriver Driver;
    TAERecord Rec;
    std::string Message;
    bool Loaded = false;

    explicit TOpened(const std::string& bytes, const std::string& name = "data.dta") {
        Path = Dir.File(name);
        test::WriteFileBytes(Path, bytes);
        Loaded = Driver.Open(Path, Message) && Driver.Load(Message) && Driver.Initialize(Message);
        TAEListFields layout;
        Driver.GetFields(&layout);
        Rec.BuildForLayout(layout);
    }
    TAERecord& Read(int32_t pos) {
        TAEPNav nav;
        Driver.ReadRecord(nav, Rec, pos);
        return Rec;
    }
    TAEField* F(const char* id) const { return Rec.FindByID(id); }
    bool Null(const char* id) const { return F(id)->IsNull(); }
    long double Float(const char* id) const { return F(id)->GetAsFloat(); }
    int64_t Int(const char* id) const { return F(id)->GetAsInt64(); }
    std::string Str(const char* id) const { return F(id)->GetAsString(); }
};

using TIsa = TOpened<TAETarvelIsa>;
using TPci = TOpened<TAETarvelPci>;

// The fields a message of a kind carries; all others must be empty.
template <class T> void ExpectOnly(const T& o, std::vector<const char*> ids) {
    ids.insert(ids.end(), {fidDeleted, fidSelected, fidHit, fidIndexRec, fidChannels});
    for (const TAEField* f : o.Rec.FlatFields()) {
        const bool carried =
            std::any_of(ids.begin(), ids.end(), [&](const char* id) { return f->ID() == id; });
        EXPECT_EQ(f->IsNull(), !carried) << f->FieldName();
    }
}

const std::vector<const char*> TimeIDs = {fidTime,   fidTimeS,  fidTimeHH,
                                          fidHHMMSS, fidTimeMS, fidTimeUS};

template <class T> std::vector<const char*> WithTime(std::initializer_list<const char*> more) {
    std::vector<const char*> ids = TimeIDs;
    ids.insert(ids.end(), more);
    return ids;
}

TEST(TarvelIsa, EveryFieldOfAHandCheckedHit) {
    TTarvelFileBuilder b(false, 3);
    b.IsaMessage(0, 1234567, TTarvelFileBuilder::IsaHitBody(false, 1, 1000, 555, 300, 20, 7));
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    ASSERT_EQ(o.Driver.Count(), 2);
    o.Read(1);
    EXPECT_EQ(o.Rec.Kind(), rkHit);
    EXPECT_EQ(o.Rec.Index(), 1);
    EXPECT_EQ(o.Float(fidTime), 1234567.0L);
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeS)), 1.234567, 1e-15);
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeHH)), 1234567.0 / 3600000000.0, 1e-18);
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeMS)), 1234.567, 1e-12);
    EXPECT_EQ(o.Str(fidHHMMSS), "00 : 00 : 01");
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeUS)), 0.234567, 1e-15);
    EXPECT_EQ(o.Int(fidChan), 2);
    // 20 log10(1000) + 20 log10(1 * 1000 / 100 / 10 / 10) + 0.375 * 64 = 60 - 20 + 24
    EXPECT_EQ(o.Int(fidAmpl), 64);
    EXPECT_EQ(o.Int(fidGain), 24);
    EXPECT_EQ(o.Float(fidDurat), 300.0L);
    EXPECT_EQ(o.Int(fidRise), 20);
    EXPECT_EQ(o.Int(fidCount), 7);
    EXPECT_EQ(o.Float(fidEnergy), 555.0L);
    EXPECT_FALSE(o.F(fidDeleted)->GetAsBoolean());
    EXPECT_FALSE(o.F(fidSelected)->GetAsBoolean());
    EXPECT_EQ(o.Int(fidHit), 1);
    EXPECT_EQ(o.Int(fidIndexRec), 1);
    const auto* channels = static_cast<const TAEListIntegerField*>(o.F(fidChannels));
    ASSERT_NE(channels->List(), nullptr);
    EXPECT_EQ(*channels->List(), (TAEChannelList{1, 2, 3}));
    ExpectOnly(o,
               WithTime<TIsa>({fidChan, fidAmpl, fidGain, fidDurat, fidRise, fidCount, fidEnergy}));
}

TEST(TarvelIsa, OtherMessageTypesAndTheHeader) {
    TTarvelFileBuilder b(false, 3);
    b.IsaMessage(1, 5, TTarvelFileBuilder::IsaSystemBody(1, 0, 0));
    std::vector<uint8_t> noise(40, 0);
    noise[8] = 2;
    b.IsaMessage(2, 6, noise);
    b.IsaMessage(3, 7, std::vector<uint8_t>(24, 0));
    std::vector<uint8_t> longNoise(44, 0);
    longNoise[8] = 0;
    b.IsaMessage(5, 8, longNoise);
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;

    o.Read(0);
    EXPECT_EQ(o.Rec.Kind(), rkUnknown);
    EXPECT_EQ(o.Str(fidDefaultText), "Unknown Message 255");
    ExpectOnly(o, {fidDefaultText});

    o.Read(1);
    EXPECT_EQ(o.Rec.Kind(), rkSetup);
    EXPECT_EQ(o.Str(fidDefaultText), "System Data Message");
    ExpectOnly(o, WithTime<TIsa>({fidDefaultText}));

    o.Read(2);
    EXPECT_EQ(o.Rec.Kind(), rkSetup);
    EXPECT_EQ(o.Str(fidDefaultText), "Noise Data Message");
    EXPECT_EQ(o.Int(fidChan), 3);
    ExpectOnly(o, WithTime<TIsa>({fidDefaultText, fidChan}));

    o.Read(3);
    EXPECT_EQ(o.Str(fidDefaultText), "Parametric Data Message");
    ExpectOnly(o, WithTime<TIsa>({fidDefaultText}));

    o.Read(4);
    EXPECT_EQ(o.Str(fidDefaultText), "Noise Data Message");
    EXPECT_EQ(o.Int(fidChan), 1);
    EXPECT_EQ(o.Float(fidTime), 8.0L);
}

TEST(TarvelIsa, GainCodesFollowTheSystemMessagesInFileOrder) {
    TTarvelFileBuilder b(false, 3);
    auto hit = [&](bool longForm, uint8_t ch, uint16_t a) {
        b.IsaMessage(longForm ? 4 : 0, 10,
                     TTarvelFileBuilder::IsaHitBody(longForm, ch, a, 1, 1, 1, 1));
    };
    hit(false, 0, 1000);                                               // 1: default code 64
    b.IsaMessage(1, 11, TTarvelFileBuilder::IsaSystemBody(2, 0, 8));   // 2: channel 1 -> 8
    hit(false, 0, 1000);                                               // 3: code 8
    hit(false, 1, 1000);                                               // 4: other channel, default
    b.IsaMessage(1, 12, TTarvelFileBuilder::IsaSystemBody(1, 0, 100)); // 5: not a gain message
    hit(true, 0, 1000);                                                // 6: long form, code 8
    b.IsaMessage(1, 13, TTarvelFileBuilder::IsaSystemBody(2, 200, 5)); // 7: no such channel
    hit(false, 200, 1000);                                             // 8: no channel record
    hit(false, 0, 0);                                                  // 9: amplitude code 0
    b.IsaMessage(1, 14, TTarvelFileBuilder::IsaSystemBody(2, 2, 4));   // 10
    hit(false, 2, 1000);                                               // 11: 1.5 dB -> 2
    b.IsaMessage(1, 15, TTarvelFileBuilder::IsaSystemBody(2, 2, 12));  // 12
    hit(false, 2, 1000);                                               // 13: 4.5 dB -> 4
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;

    EXPECT_EQ(o.Driver.Index()[1].Extra, 0); // no code seen yet: the default applies
    EXPECT_EQ(o.Driver.Index()[3].Extra, 8);
    o.Read(1);
    EXPECT_EQ(o.Int(fidAmpl), 64);
    EXPECT_EQ(o.Int(fidGain), 24);
    o.Read(3);
    EXPECT_EQ(o.Int(fidAmpl), 43); // 60 - 20 + 3
    EXPECT_EQ(o.Int(fidGain), 3);
    o.Read(4);
    EXPECT_EQ(o.Int(fidAmpl), 64);
    o.Read(6);
    EXPECT_EQ(o.Rec.Kind(), rkHit);
    EXPECT_EQ(o.Int(fidAmpl), 43);
    o.Read(8);
    EXPECT_EQ(o.Int(fidChan), 201);
    EXPECT_TRUE(o.Null(fidAmpl));
    EXPECT_TRUE(o.Null(fidGain));
    EXPECT_EQ(o.Int(fidCount), 1);
    o.Read(9);
    EXPECT_TRUE(o.Null(fidAmpl)); // log10(0): no amplitude
    EXPECT_EQ(o.Int(fidGain), 3);
    o.Read(11);
    EXPECT_EQ(o.Int(fidGain), 2);  // ties go to the even neighbour
    EXPECT_EQ(o.Int(fidAmpl), 42); // 41.5
    o.Read(13);
    EXPECT_EQ(o.Int(fidGain), 4);
}

TEST(TarvelIsa, ZeroDivisorsLeaveTheAmplitudeEmpty) {
    TTarvelFileBuilder b(false, 2);
    b.SetIsaFR(1, 0);
    b.IsaMessage(0, 1, TTarvelFileBuilder::IsaHitBody(false, 0, 1000, 1, 1, 1, 1));
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    o.Read(1);
    EXPECT_TRUE(o.Null(fidAmpl));
    EXPECT_EQ(o.Int(fidGain), 24);

    TTarvelFileBuilder c(false, 2);
    c.SetIsaChannel(1, 1, 1, 64, 0, 10);
    c.IsaMessage(0, 1, TTarvelFileBuilder::IsaHitBody(false, 1, 1000, 1, 1, 1, 1));
    c.IsaMessage(0, 1, TTarvelFileBuilder::IsaHitBody(false, 0, 1000, 1, 1, 1, 1));
    TIsa p(c.Bytes());
    ASSERT_TRUE(p.Loaded) << p.Message;
    p.Read(1);
    EXPECT_TRUE(p.Null(fidAmpl));
    p.Read(2);
    EXPECT_EQ(p.Int(fidAmpl), 64);
}

TEST(TarvelIsa, TimesBeforeTheStartAndBeyondNinetyNineHours) {
    TTarvelFileBuilder b(false, 1);
    b.IsaMessage(3, -1500000, std::vector<uint8_t>(24, 0));
    b.IsaMessage(3, (100LL * 3600 + 2 * 60 + 3) * 1000000 + 250000, std::vector<uint8_t>(24, 0));
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    o.Read(1);
    EXPECT_EQ(o.Float(fidTime), -1500000.0L);
    EXPECT_EQ(o.Float(fidTimeS), -1.5L);
    EXPECT_EQ(o.Str(fidHHMMSS), "-00 : 00 : 01");
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeUS)), 0.5, 1e-15);
    o.Read(2);
    EXPECT_EQ(o.Str(fidHHMMSS), "100 : 02 : 03");
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeUS)), 0.25, 1e-15);
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeHH)), 100.0 + 123.25 / 3600, 1e-12);
}

TEST(TarvelIsa, UnknownTypeFailsWithItsOffsetAndAnEmptyIndex) {
    TTarvelFileBuilder b(false, 1);
    b.IsaMessage(3, 1, std::vector<uint8_t>(24, 0));
    b.Raw({9, 0, 0, 0, 1, 2, 3, 4});
    TIsa o(b.Bytes());
    EXPECT_FALSE(o.Loaded);
    EXPECT_EQ(o.Message, "Invalid Structure File: message type 9 (byte offset " +
                             std::to_string(b.HeaderSize() + 28) + ")");
    EXPECT_EQ(o.Driver.Count(), 0);
    EXPECT_EQ(o.Driver.State(), dsLoading);
}

TEST(TarvelIsa, ACutOffLastMessageIsLeftOutAndReported) {
    TTarvelFileBuilder b(false, 1);
    b.IsaMessage(0, 1, TTarvelFileBuilder::IsaHitBody(false, 0, 100, 1, 1, 1, 1));
    b.Raw({0, 0, 0, 0, 1, 2, 3, 4, 5, 6}); // a hit whose body ends after 6 bytes
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    EXPECT_EQ(o.Driver.Count(), 2);
    EXPECT_EQ(o.Driver.TruncatedAt(), static_cast<int64_t>(b.HeaderSize() + 44));
    const auto lines = o.Driver.InfoLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Truncated Message Left Out At Byte Offset: " +
                            std::to_string(b.HeaderSize() + 44)),
              lines.end());
}

TEST(TarvelIsa, InformationLines) {
    TTarvelFileBuilder b(false, 1);
    b.U32(96 + 3704, 42);
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    const std::vector<std::string> expected = {"",
                                               "TarvelIsa Type",
                                               "Database: " + o.Path,
                                               "Signature: AA551313",
                                               "File Type: AA01",
                                               "Hardware Version: 0101",
                                               "Version 1: 0003",
                                               "Version 2: 0210",
                                               "Object Name: Vessel",
                                               "Operator Name: Operator",
                                               "Reference: Ref",
                                               "Comment: Comment",
                                               "Start Time: 13.09.2020 12:26:40",
                                               "Stop Time: 13.09.2020 12:28:20",
                                               "Member Of Events: 42"};
    EXPECT_EQ(o.Driver.InfoLines(), expected);
    EXPECT_EQ(o.Driver.State(), dsReady);
}

TEST(TarvelPci, EveryFieldOfAHandCheckedHitAndLongHit) {
    TTarvelFileBuilder b(true, 3);
    b.SetPciChannel(2, 1, 20, 10.0f, 0, 0.5, 1000, 2.0, 500); // long hits use set B
    b.PciMessage(0, 2500000, TTarvelFileBuilder::PciHitBody(false, 1, 100, 300, 20, 7, 4000));
    b.PciMessage(5, 2600000, TTarvelFileBuilder::PciHitBody(true, 1, 100, 300, 20, 7, 4000, -6));
    b.PciMessage(5, 2700000, TTarvelFileBuilder::PciHitBody(true, 2, 100, 300, 20, 7, 4000, 9));
    b.PciMessage(0, 2800000, TTarvelFileBuilder::PciHitBody(false, 2, 0, 1, 1, 1, 1));
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;

    o.Read(1);
    EXPECT_EQ(o.Rec.Kind(), rkHit);
    EXPECT_EQ(o.Float(fidTime), 2500000.0L);
    EXPECT_EQ(o.Str(fidHHMMSS), "00 : 00 : 02");
    EXPECT_NEAR(static_cast<double>(o.Float(fidTimeUS)), 0.5, 1e-15);
    EXPECT_EQ(o.Int(fidChan), 2);
    EXPECT_EQ(o.Int(fidAmpl), 40); // 20 log10(100 * 1000 * 10 / 1000) - 20
    EXPECT_EQ(o.Float(fidDurat), 300.0L);
    EXPECT_EQ(o.Int(fidRise), 20);
    EXPECT_EQ(o.Int(fidCount), 7);
    EXPECT_NEAR(static_cast<double>(o.Float(fidEnergy)), 10000.0, 1e-9); // 0.5² 4000 1 10
    EXPECT_EQ(o.Int(fidGain), 20);
    ExpectOnly(o,
               WithTime<TPci>({fidChan, fidAmpl, fidGain, fidDurat, fidRise, fidCount, fidEnergy}));

    o.Read(2); // selector non-zero: set A, scaled down by a million; the message's own gain
    EXPECT_NEAR(static_cast<double>(o.Float(fidEnergy)), 0.01, 1e-15);
    EXPECT_EQ(o.Int(fidGain), -6);
    EXPECT_EQ(o.Int(fidAmpl), 40);

    o.Read(3);                                                         // selector zero: set B
    EXPECT_NEAR(static_cast<double>(o.Float(fidEnergy)), 0.32, 1e-15); // 2² 4000 2 10 / 1e6
    EXPECT_EQ(o.Int(fidGain), 9);

    o.Read(4);
    EXPECT_EQ(o.Int(fidAmpl), 0);
}

TEST(TarvelPci, EnergyOfTheFullFortyEightBitCount) {
    TTarvelFileBuilder b(true, 1);
    b.SetPciChannel(0, 1, 0, 1.0f, 1, 1.0, 1000, 1.0, 1000);
    const uint64_t n = (3ULL << 32) | (2ULL << 16) | 1ULL;
    b.PciMessage(0, 0, TTarvelFileBuilder::PciHitBody(false, 0, 1, 0, 0, 0, n));
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    o.Read(1);
    EXPECT_EQ(o.Float(fidEnergy), static_cast<long double>(n) * 10.0L);
}

TEST(TarvelPci, OtherKindsTextMarksAndShortBodies) {
    TTarvelFileBuilder b(true, 2);
    b.PciMessage(1, 1, TTarvelFileBuilder::PciChannelBody(1));      // 1
    b.PciMessage(2, 2, TTarvelFileBuilder::PciChannelBody(0));      // 2
    b.PciMessage(3, 3, TTarvelFileBuilder::PciChannelBody(1));      // 3
    b.PciMessage(4, 4, TTarvelFileBuilder::PciChannelBody(0));      // 4: noise of kind 0
    b.PciMessage(6, 5, std::vector<uint8_t>(8, 0));                 // 5: time mark
    b.PciTextMark("Hello\x01World");                                // 6
    b.PciTextMark("ABCDEFGHIJKLMNOPQRSTUV", 30);                    // 7: 18 characters kept
    b.PciMessage(9, 8, std::vector<uint8_t>(12, 0));                // 8: unknown kind
    b.PciMessage(0x01FF, 9, std::vector<uint8_t>(12, 0));           // 9: low byte 255
    b.PciMessage(0, 10, TTarvelFileBuilder::PciChannelBody(1, 10)); // 10: hit cut short
    b.PciMessage(0, 11, TTarvelFileBuilder::PciHitBody(false, 50, 100, 5, 6, 7, 8)); // 11
    b.PciMessage(1, 0, std::vector<uint8_t>(4, 0)); // 12: no room for a time
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    ASSERT_EQ(o.Driver.Count(), 13);

    o.Read(1);
    EXPECT_EQ(o.Rec.Kind(), rkSetup);
    EXPECT_EQ(o.Str(fidDefaultText), "System Data Message");
    EXPECT_EQ(o.Int(fidChan), 2);
    ExpectOnly(o, WithTime<TPci>({fidDefaultText, fidChan}));
    o.Read(2);
    EXPECT_EQ(o.Str(fidDefaultText), "Noise Data Message");
    EXPECT_EQ(o.Rec.Kind(), rkSetup);
    o.Read(3);
    EXPECT_EQ(o.Str(fidDefaultText), "Parametric Data Message");
    EXPECT_EQ(o.Int(fidChan), 2);
    o.Read(4);
    EXPECT_EQ(o.Rec.Kind(), rkUnknown);
    EXPECT_EQ(o.Str(fidDefaultText), "Noise Data Message");
    EXPECT_EQ(o.Float(fidTime), 4.0L);
    o.Read(5);
    EXPECT_EQ(o.Rec.Kind(), rkTimeMark);
    EXPECT_EQ(o.Str(fidDefaultText), "Time Mark Message");
    ExpectOnly(o, WithTime<TPci>({fidDefaultText}));
    o.Read(6);
    EXPECT_EQ(o.Rec.Kind(), rkComment);
    EXPECT_EQ(o.Str(fidDefaultText), "Mark Message: HelloWorld");
    ExpectOnly(o, {fidDefaultText});
    o.Read(7);
    EXPECT_EQ(o.Str(fidDefaultText), "Mark Message: ABCDEFGHIJKLMNOPQR");
    o.Read(8);
    EXPECT_EQ(o.Rec.Kind(), rkUnknown);
    EXPECT_EQ(o.Str(fidDefaultText), "Unknown Message 9");
    ExpectOnly(o, {fidDefaultText});
    o.Read(9);
    EXPECT_EQ(o.Rec.Kind(), rkUnknown);
    EXPECT_EQ(o.Str(fidDefaultText), "Unknown Message 255");
    o.Read(10);
    EXPECT_EQ(o.Rec.Kind(), rkHit);
    EXPECT_EQ(o.Int(fidChan), 2);
    EXPECT_EQ(o.Int(fidGain), 20); // from the channel record, not from the body
    ExpectOnly(o, WithTime<TPci>({fidChan, fidGain}));
    o.Read(11); // channel without a record: what needs the record stays empty
    EXPECT_EQ(o.Int(fidChan), 51);
    ExpectOnly(o, WithTime<TPci>({fidChan, fidDurat, fidRise, fidCount}));
    o.Read(12);
    ExpectOnly(o, {fidDefaultText});
}

TEST(TarvelPci, ACutOffLastMessageIsLeftOut) {
    TTarvelFileBuilder b(true, 1);
    b.PciMessage(6, 1, std::vector<uint8_t>(8, 0));
    b.Raw({0, 0, 40, 0, 1, 2, 3});
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    EXPECT_EQ(o.Driver.Count(), 2);
    EXPECT_EQ(o.Driver.TruncatedAt(), static_cast<int64_t>(b.HeaderSize() + 12));
}

TEST(TarvelPci, SortingKeepsUntimedMessagesInTheirSlots) {
    TTarvelFileBuilder b(true, 2);
    b.PciMessage(0, 30, TTarvelFileBuilder::PciHitBody(false, 0, 100, 1, 1, 1, 1));  // 1
    b.PciTextMark("first");                                                          // 2
    b.PciMessage(6, 10, std::vector<uint8_t>(8, 0));                                 // 3
    b.PciMessage(0x0109, 0, std::vector<uint8_t>(12, 0));                            // 4
    b.PciMessage(2, 20, TTarvelFileBuilder::PciChannelBody(1));                      // 5
    b.PciTextMark("second");                                                         // 6
    b.PciMessage(5, 5, TTarvelFileBuilder::PciHitBody(true, 1, 100, 1, 1, 1, 1, 3)); // 7
    b.PciMessage(0x01FF, 0, std::vector<uint8_t>(6, 0));                             // 8
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    const std::string sorted = o.Dir.File("sorted.dta");
    std::string message;
    ASSERT_TRUE(o.Driver.SortToFile(sorted, message)) << message;

    TPci s(test::ReadFileBytes(sorted));
    ASSERT_TRUE(s.Loaded) << s.Message;
    ASSERT_EQ(s.Driver.Count(), 9);
    const std::vector<uint8_t> kinds = {255, 5, 7, 6, 9, 2, 7, 0, 254};
    const std::vector<int64_t> times = {-1, 5, -1, 10, -1, 20, -1, 30, -1};
    for (int32_t p = 0; p < 9; ++p) {
        EXPECT_EQ(s.Driver.Index()[p].Kind, kinds[p]) << p;
        s.Read(p);
        if (times[p] >= 0)
            EXPECT_EQ(s.Float(fidTime), times[p]) << p;
        else
            EXPECT_TRUE(s.Null(fidTime)) << p;
    }
    s.Read(2);
    EXPECT_EQ(s.Str(fidDefaultText), "Mark Message: first");
    s.Read(6);
    EXPECT_EQ(s.Str(fidDefaultText), "Mark Message: second");
    // Type words are written as read, high byte included.
    EXPECT_EQ(s.Driver.Index()[4].Extra, 0x0109);
    EXPECT_EQ(s.Driver.Index()[8].Extra, 0x01FF);

    const std::string again = o.Dir.File("again.dta");
    ASSERT_TRUE(s.Driver.SortToFile(again, message)) << message;
    EXPECT_EQ(test::ReadFileBytes(again), test::ReadFileBytes(sorted));
}

TEST(TarvelIsa, SortedCopyOrdersEveryMessageByTime) {
    TTarvelFileBuilder b(false, 2);
    b.IsaMessage(0, 300, TTarvelFileBuilder::IsaHitBody(false, 0, 100, 1, 1, 1, 1));
    b.IsaMessage(1, 100, TTarvelFileBuilder::IsaSystemBody(2, 0, 8));
    b.IsaMessage(3, 200, std::vector<uint8_t>(24, 0));
    b.IsaMessage(4, -50, TTarvelFileBuilder::IsaHitBody(true, 1, 100, 1, 1, 1, 1));
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    const std::string sorted = o.Dir.File("sorted.dta");
    std::string message;
    ASSERT_TRUE(o.Driver.SortToFile(sorted, message)) << message;
    TIsa s(test::ReadFileBytes(sorted));
    ASSERT_TRUE(s.Loaded) << s.Message;
    const std::vector<uint8_t> kinds = {255, 4, 1, 3, 0};
    for (int32_t p = 0; p < 5; ++p)
        EXPECT_EQ(s.Driver.Index()[p].Kind, kinds[p]);
    // The hit now follows the gain message, so it reads with the new code.
    EXPECT_EQ(s.Driver.Index()[4].Extra, 8);
}

TEST(TarvelPci, FilteredCopyCountsTheHitsThatAreNotDeleted) {
    TTarvelFileBuilder b(true, 2);
    for (int i = 0; i < 3; ++i) {
        b.PciMessage(0, i, TTarvelFileBuilder::PciHitBody(false, 0, 100, 1, 1, 1, 1));
        b.PciMessage(2, i, TTarvelFileBuilder::PciChannelBody(1));
    }
    b.PciTextMark("mark");
    TPci o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = {3};
    ASSERT_TRUE(o.Driver.HandleMessage(del));

    std::string message;
    const std::string all = o.Dir.File("all.dta");
    // The header passes through the kinds of the source (kind 0), not around them, so that
    // the hit count sees hits only.
    TDriverRecordSource everything(o.Driver, 0, false);
    ASSERT_TRUE(o.Driver.SaveToFile(everything, all, message)) << message;
    TPci a(test::ReadFileBytes(all));
    ASSERT_TRUE(a.Loaded) << a.Message;
    EXPECT_EQ(a.Driver.Count(), 7); // header, 2 hits, 3 noise, the mark
    EXPECT_EQ(a.Driver.Header().MemberOfEvents, 2);

    const std::string marks = o.Dir.File("marks.dta");
    TDriverRecordSource onlyMarks(o.Driver, KindBit(rkComment) | KindBit(rkUnknown), false);
    ASSERT_TRUE(o.Driver.SaveToFile(onlyMarks, marks, message)) << message;
    TPci m(test::ReadFileBytes(marks));
    ASSERT_TRUE(m.Loaded) << m.Message;
    EXPECT_EQ(m.Driver.Count(), 2); // the header and the mark
    EXPECT_EQ(m.Driver.Header().MemberOfEvents, 0);
}

TEST(TarvelIsa, FilteredCopyPatchesTheIsaCount) {
    TTarvelFileBuilder b(false, 1);
    b.IsaMessage(0, 1, TTarvelFileBuilder::IsaHitBody(false, 0, 100, 1, 1, 1, 1));
    b.IsaMessage(3, 2, std::vector<uint8_t>(24, 0));
    TIsa o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    std::string message;
    const std::string copy = o.Dir.File("copy.dta");
    TDriverRecordSource all(o.Driver, 0, false);
    ASSERT_TRUE(o.Driver.SaveToFile(all, copy, message)) << message;
    const std::string bytes = test::ReadFileBytes(copy);
    EXPECT_EQ(static_cast<uint8_t>(bytes[96 + 3704]), 1);
    EXPECT_EQ(bytes.substr(96 + 3708), b.Bytes().substr(96 + 3708));
}

TEST(TarvelDrivers, RecognitionAndRegistration) {
    test::TTempDir dir;
    const std::string isa = dir.File("a.dta"), pci = dir.File("b.dta"), other = dir.File("c.dta");
    test::WriteFileBytes(isa, TTarvelFileBuilder(false, 1).Bytes());
    test::WriteFileBytes(pci, TTarvelFileBuilder(true, 1).Bytes());
    test::WriteFileBytes(other, std::string(5000, 'x'));
    std::string message;
    EXPECT_TRUE(TAETarvelIsa::CanOpen(isa, message));
    EXPECT_FALSE(TAETarvelPci::CanOpen(isa, message));
    EXPECT_TRUE(TAETarvelPci::CanOpen(pci, message));
    EXPECT_FALSE(TAETarvelIsa::CanOpen(pci, message));
    EXPECT_FALSE(TAETarvelIsa::CanOpen(other, message));
    EXPECT_TRUE(message.empty());
    EXPECT_FALSE(TAETarvelIsa::CanOpen(dir.File("missing.dta"), message));
    EXPECT_FALSE(message.empty());

    RegisterTarvelDrivers();
    const auto& classes = TDriverRegistry::Instance().Classes();
    auto rank = [&](const char* name) {
        return std::find_if(classes.begin(), classes.end(),
                            [&](const TDriverClass& c) { return c.ClassName == name; }) -
               classes.begin();
    };
    EXPECT_LT(rank("TAETarvelPci"), rank("TAETarvelIsa"));
    ASSERT_LT(rank("TAETarvelIsa"), static_cast<long>(classes.size()));
    std::unique_ptr<TAEDriverDb> driver;
    ASSERT_TRUE(OpenDataFile(pci, nullptr, driver, message)) << message;
    EXPECT_EQ(driver->ClassName(), "TAETarvelPci");
    ASSERT_TRUE(OpenDataFile(isa, nullptr, driver, message)) << message;
    EXPECT_EQ(driver->ClassName(), "TAETarvelIsa");
    EXPECT_EQ(driver->State(), dsReady);
}

TEST(TarvelDrivers, DeclaredFieldsAreLockedTemplatesWithWritableWorkingCopies) {
    TAETarvelPci d;
    struct TExpect {
        const char* ID;
        uint8_t Type;
        uint8_t Set;
        uint16_t Flags;
        uint8_t Unit;
    };
    const TExpect expected[] = {
        {fidDefaultText, dtString, 1, 0x5, 0},
        {fidHit, dtByte, 1, 0x1, 7},
        {fidTime, dtExtended, 1, 0x105, 6},
        {fidTimeS, dtExtended, 1, 0x101, 3},
        {fidTimeHH, dtExtended, 1, 0x141, 4},
        {fidHHMMSS, dtString, 1, 0x21, 0},
        {fidTimeMS, dtExtended, 1, 0x105, 5},
        {fidTimeUS, dtExtended, 1, 0x121, 6},
        {fidChan, dtByte, 1, 0x91, 7},
        {fidRise, dtWord, 1, 0x1, 6},
        {fidCount, dtLongWord, 1, 0x1, 7},
        {fidAmpl, dtLongWord, 1, 0x1, 1},
        {fidDurat, dtExtended, 1, 0x1, 6},
        {fidEnergy, dtExtended, 1, 0x1, 0},
        {fidGain, dtWord, 1, 0x1, 1},
        {fidDeleted, dtBoolean, 1, 0x1, 0},
        {fidSelected, dtBoolean, 1, 0x1, 0},
        {fidIndexRec, dtInteger, 1, 0x5, 7},
        {fidChannels, dtListInteger, 2, 0x5, 7},
        {fidParametric1, dtExtended, 3, 0x1, 7},
        {fidCalcLoading, dtExtended, 3, 0x1, 10},
    };
    ASSERT_EQ(d.DbFields().Count() + d.SetupFields().Count() + d.ParamFields().Count(), 21);
    int pos = 0;
    for (const TExpect& e : expected) {
        TAEField* f = d.FindByID(e.ID);
        ASSERT_NE(f, nullptr) << e.ID;
        EXPECT_EQ(f->DataType(), e.Type) << e.ID;
        EXPECT_EQ(f->Group(), e.Set) << e.ID;
        EXPECT_EQ(f->Flags(), e.Flags) << e.ID;
        EXPECT_EQ(f->UnitKind(), e.Unit) << e.ID;
        EXPECT_EQ(f->GetDisplayWidth(), e.ID == std::string(fidDefaultText) ? 200 : 100);
        EXPECT_EQ(f->Alignment(),
                  e.ID == std::string(fidDefaultText) ? taLeftJustify : taRightJustify);
        EXPECT_TRUE(f->Locked());
        EXPECT_FALSE(f->ReadOnly());
        EXPECT_EQ(d.FieldPos(e.ID), pos++);
    }
    EXPECT_EQ(d.FindByID(fidTimeS)->DisplayFormat(), "%.8f");
    EXPECT_EQ(d.FindByID(fidTimeUS)->DisplayFormat(), "%.8f");
    EXPECT_EQ(d.FindByID(fidTime)->GetDisplayDimension(), "µs");
    EXPECT_EQ(d.FindByID(fidChan)->GetDisplayName(), "AE Channel");
    auto copy = d.FindByID(fidAmpl)->Clone(cmWorking);
    copy->SetAsInt64(5);
    EXPECT_EQ(copy->GetAsInt64(), 5);
}

TEST(TarvelDrivers, ConvertTime) {
    TAETarvelIsa d;
    long double v = -1;
    EXPECT_TRUE(d.ConvertTime(fidTimeHH, fidTimeS, v, 1.5L));
    EXPECT_EQ(v, 5400.0L);
    EXPECT_TRUE(d.ConvertTime(fidTimeS, fidTimeMS, v, 2.0L));
    EXPECT_EQ(v, 2000.0L);
    v = -1;
    EXPECT_FALSE(d.ConvertTime(fidTime, fidTimeS, v, 2.0L));
    EXPECT_EQ(v, -1.0L);
}

} // namespace
} // namespace vorelt
