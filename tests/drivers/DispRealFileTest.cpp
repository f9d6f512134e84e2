// The DiSP driver against files recorded by real acquisition systems, and against an
// independent decoding of their hits.

#include "DispTestUtil.h"

#include "common/TestData.h"
#include "model/TAEFieldIDs.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace vorelt::test {
namespace {

struct TCsvHit {
    long double Seconds, AbsEnergy;
    int64_t Channel, Rise, Counts, Energy, Duration, Amplitude;
};

std::vector<TCsvHit> ReadHitsCsv(const std::string& path) {
    std::vector<TCsvHit> hits;
    std::istringstream in(ReadFileBytes(path));
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::vector<std::string> c;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ';');)
            c.push_back(cell);
        if (c.size() < 8) continue;
        hits.push_back({StrToFloat(c[0]), StrToFloat(c[7]), StrToInt64(c[1]), StrToInt64(c[2]),
                        StrToInt64(c[3]), StrToInt64(c[4]), StrToInt64(c[5]), StrToInt64(c[6])});
    }
    return hits;
}

void ExpectHitsMatchCsv(TOpenedDisp& d, const std::vector<TCsvHit>& expected) {
    std::vector<int32_t> hits;
    for (int32_t p = 0; p < d.Driver->Count(); ++p)
        if (d.Driver->RecordKind(p) == rkHit) hits.push_back(p);
    ASSERT_EQ(hits.size(), expected.size());
    for (size_t i = 0; i < hits.size(); ++i) {
        SCOPED_TRACE("hit " + std::to_string(i));
        const TCsvHit& e = expected[i];
        d.Read(hits[i]);
        EXPECT_EQ(d.Record.Kind(), rkHit);
        EXPECT_NEAR(static_cast<double>(d.Float(fidTimeS)), static_cast<double>(e.Seconds), 1e-9);
        EXPECT_NEAR(static_cast<double>(d.Float(fidTime)), static_cast<double>(e.Seconds * 1e6L),
                    1e-3);
        EXPECT_EQ(d.Int(fidChan), e.Channel);
        EXPECT_EQ(d.Int(fidRise), e.Rise);
        EXPECT_EQ(d.Int(fidCount), e.Counts);
        EXPECT_EQ(d.Int(fidEnergy), e.Energy);
        EXPECT_EQ(d.Int(fidDurat), e.Duration);
        EXPECT_EQ(d.Int(fidAmpl), e.Amplitude);
        EXPECT_NEAR(static_cast<double>(d.Float(fidAbsEnergy)), static_cast<double>(e.AbsEnergy),
                    1e-9 * std::max(1.0, static_cast<double>(e.AbsEnergy)));
        // Not in this file's characteristic list: stays empty.
        EXPECT_TRUE(d.IsNull(fidCountPeak));
        EXPECT_TRUE(d.IsNull(fidParametric1));
        EXPECT_EQ(d.Str(fidDefaultText), "");
    }
}

TEST(DispRealFile, HitsMatchIndependentDecoding) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", sharedFile);
    TTempDir copyDir;
    const std::string file = CopyToTemp(sharedFile, copyDir);
    std::string message;
    ASSERT_TRUE(TAEDisp::CanOpen(file, message)) << message;
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->State(), 9);
    EXPECT_EQ(d.Driver->Count(), 26755);
    EXPECT_EQ(d.Driver->TruncatedAt(), -1);

    const disp::TSetup& s = d.Driver->Setup();
    EXPECT_EQ(s.HitCodes, (std::vector<uint8_t>{1, 3, 4, 5, 6, 21, 23, 24}));
    EXPECT_EQ(s.HitParametrics, 0);
    EXPECT_EQ(s.PartialPowerSegments, 0);
    TAEChannelList channels;
    for (uint8_t c = 1; c <= 15; ++c)
        channels.push_back(c);
    EXPECT_EQ(d.Driver->Channels(), channels);

    ExpectHitsMatchCsv(d, ReadHitsCsv(SharedDataDir() + "/disp/210527-CH1-15.hits.csv"));
}

TEST(DispRealFile, KindsTextsAndInformation) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", sharedFile);
    TTempDir copyDir;
    const std::string file = CopyToTemp(sharedFile, copyDir);
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    std::array<int, 10> kinds{};
    for (int32_t p = 0; p < d.Driver->Count(); ++p)
        ++kinds[d.Driver->RecordKind(p)];
    EXPECT_EQ(kinds[rkHit], 8);
    EXPECT_EQ(kinds[rkResume], 1);
    EXPECT_EQ(kinds[rkPause], 1);
    EXPECT_EQ(kinds[rkStop], 1);
    EXPECT_EQ(kinds[rkComment], 1);
    // 26721 time-driven samples, 8 waveforms, 5 ID 116, 1 reserved.
    EXPECT_EQ(kinds[rkUnknown], 26721 + 8 + 5 + 1);

    d.Read(0);
    EXPECT_EQ(d.Str(fidDefaultText),
              "Product Definition Message: 680 Express-8 (r) Location Version Version V5.92");
    d.Read(2);
    EXPECT_EQ(d.Str(fidDefaultText), "Time and Date of Test Start: Thu May 27 10:53:54 2021");
    d.Read(16); // the first time-driven sample, 0x3D0770 quarter microseconds
    EXPECT_EQ(d.Record.Kind(), rkUnknown);
    EXPECT_EQ(d.Str(fidDefaultText), "Time Driven Message: 00 : 00 : 00.9999000");
    EXPECT_EQ(d.Str(fidHHMMSS), "00 : 00 : 00");
    EXPECT_TRUE(d.IsNull(fidParametric1)); // the samples of this file carry no parametric

    const std::vector<std::string> info = d.Driver->InfoLines();
    auto has = [&](const std::string& line) {
        return std::find(info.begin(), info.end(), line) != info.end();
    };
    EXPECT_EQ(info[1], "Disp Type");
    EXPECT_TRUE(has("ASCII Product name: Express-8 (r) Location Version Version V5.92"));
    EXPECT_TRUE(has("Time and Date of Test Start: Thu May 27 10:53:54 2021"));
    EXPECT_TRUE(has("Records Count: 26755"));
}

TEST(DispRealFile, ParametricSamplesAndAbortWithoutTime) {
    VORELT_REQUIRE_SHARED_DATA("disp/260114-4ch-1para.DTA", sharedFile);
    TTempDir copyDir;
    const std::string file = CopyToTemp(sharedFile, copyDir);
    std::string message;
    ASSERT_TRUE(TAEDisp::CanOpen(file, message)) << message;
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->Count(), 1510);

    const disp::TSetup& s = d.Driver->Setup();
    EXPECT_EQ(s.HitCodes,
              (std::vector<uint8_t>{1, 3, 4, 5, 6, 13, 18, 19, 20, 21, 22, 23, 24, 31}));
    EXPECT_EQ(s.HitParametrics, 1);
    EXPECT_EQ(s.PartialPowerSegments, 4);
    EXPECT_EQ(s.TimeDrivenCodes, (std::vector<uint8_t>{8, 17, 21}));
    EXPECT_EQ(s.TimeDrivenParametrics, 1);
    EXPECT_EQ(d.Driver->Channels(), (TAEChannelList{1, 2, 3, 4}));

    int samples = 0, aborts = 0;
    int32_t firstTimed = -1, lastTimed = -1;
    long double maxTime = 0;
    for (int32_t p = 0; p < d.Driver->Count(); ++p) {
        d.Read(p);
        if (!d.IsNull(fidTime)) {
            if (firstTimed < 0) firstTimed = p;
            lastTimed = p;
            maxTime = std::max(maxTime, d.Float(fidTime));
        }
        if (d.Str(fidDefaultText).rfind("Time Driven Message: ", 0) == 0) {
            ++samples;
            EXPECT_FALSE(d.IsNull(fidTime));
            EXPECT_FALSE(d.IsNull(fidParametric1)) << "sample at " << p;
        }
        if (d.Record.Kind() == rkAbort) {
            ++aborts;
            EXPECT_EQ(d.Str(fidDefaultText), "Abort Data Acquisition");
            EXPECT_TRUE(d.IsNull(fidTime));
            EXPECT_TRUE(d.IsNull(fidHHMMSS));
        }
    }
    EXPECT_EQ(samples, 1368);
    EXPECT_EQ(aborts, 1);
    // The abort is the last message; the time range ends at the last sample.
    EXPECT_EQ(d.Driver->RecordKind(d.Driver->Count() - 1), rkAbort);
    EXPECT_EQ(firstTimed, 10);
    EXPECT_LT(lastTimed, d.Driver->Count() - 1);
    EXPECT_LT(maxTime, 1e10L);

    d.Read(11); // the first sample: input 1 reads 0x036A
    EXPECT_EQ(d.Int(fidParametric1), 0x036A);
    EXPECT_TRUE(d.IsNull(fidParametric2));
    EXPECT_NEAR(static_cast<double>(d.Float(fidTimeS)), 0x06197D * 0.25e-6, 1e-12);
}

TEST(DispRealFile, SortedCopyKeepsUntimedAbortInItsSlot) {
    VORELT_REQUIRE_SHARED_DATA("disp/260114-4ch-1para.DTA", sharedFile);
    TTempDir copyDir;
    const std::string file = CopyToTemp(sharedFile, copyDir);
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    TTempDir dir;
    const std::string target = dir.File("sorted.DTA");
    std::string message;
    ASSERT_TRUE(d.Driver->SortToFile(target, message)) << message;
    // Already in time order: the copy is the file itself, byte for byte.
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(file));
}

TEST(DispRealFile, ContinuedFileDecodesHitsWithEmbeddedSetup) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", sharedFile);
    TTempDir copyDir;
    const std::string file = CopyToTemp(sharedFile, copyDir);
    const std::string whole = ReadFileBytes(file);
    const TBytes bytes(whole.begin(), whole.end());
    // Message boundaries of the original: 41, 7, 99, 44, 44, 107, 42, ... 11, 128 (index 15).
    std::vector<size_t> starts;
    for (size_t p = 0; p + 2 <= bytes.size(); p += 2 + (bytes[p] | bytes[p + 1] << 8))
        starts.push_back(p);
    auto message = [&](size_t i) {
        return TBytes(bytes.begin() + static_cast<long>(starts[i]),
                      bytes.begin() + static_cast<long>(starts[i + 1]));
    };
    // The continued part: an ID 8 message carrying the time of the split and the product,
    // test start and hardware setup of the test, then the messages from the test start on.
    const TBytes embedded = Cat({Time(123456), message(0), message(2), message(6)});
    TBytes part = Msg(8, embedded);
    part.insert(part.end(), bytes.begin() + static_cast<long>(starts[15]), bytes.end());

    TTempDir dir;
    const std::string partFile = dir.File("part2.DTA");
    WriteFileBytes(partFile, std::string(part.begin(), part.end()));
    std::string error;
    ASSERT_TRUE(TAEDisp::CanOpen(partFile, error)) << error;
    TOpenedDisp d(partFile);
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->RecordKind(0), rkSetup);
    d.Read(0);
    EXPECT_EQ(d.Str(fidDefaultText), "Continued File Setup");
    const std::vector<std::string> info = d.Driver->InfoLines();
    EXPECT_NE(std::find(info.begin(), info.end(),
                        "Time and Date of Test Start: Thu May 27 10:53:54 2021"),
              info.end());
    ExpectHitsMatchCsv(d, ReadHitsCsv(SharedDataDir() + "/disp/210527-CH1-15.hits.csv"));

    // Without the setup inside, the part cannot be decoded and is not taken.
    TBytes bare = Msg(8, Time(123456));
    bare.insert(bare.end(), bytes.begin() + static_cast<long>(starts[15]), bytes.end());
    WriteFileBytes(partFile, std::string(bare.begin(), bare.end()));
    EXPECT_FALSE(TAEDisp::CanOpen(partFile, error));
}

} // namespace
} // namespace vorelt::test
