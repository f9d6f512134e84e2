// Damaged DiSP files: truncations, extreme length words and counts, random byte changes, on a
// stream that holds every message the driver decodes, and on a continued file.

#include "DispTestUtil.h"
#include "DriverMutationTest.h"
#include "common/TestData.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vorelt::test {
namespace {

struct TStream {
    TBytes Bytes;
    std::vector<size_t> Fields16; // length words of messages and sub-records

    void Add(const TBytes& message) {
        Fields16.push_back(Bytes.size());
        Bytes.insert(Bytes.end(), message.begin(), message.end());
    }
};

TBytes LE(uint64_t v, int n) {
    TBytes b;
    PutLE(b, v, n);
    return b;
}

TBytes Mark(uint64_t ticks, uint8_t type, const std::string& text) {
    return Msg(211, Cat({Time(ticks), LE(text.size() + (type == 2 ? 7 : 1), 2), TBytes{type},
                         type == 2 ? TBytes(6, 0) : TBytes{}, Text(text, false)}));
}

// Sub-records of a setup that lists every characteristic with a known size.
std::vector<TBytes> FullSetupSubRecords(bool withPartialPower) {
    std::vector<TBytes> subs = {Sub(100, {}),
                                HitList({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 17, 21, 22, 23, 24}, 2),
                                Sub(6, {2, 8, 17, 1, 1}), Sub(106, {1, 4, 1, 2, 3, 4})};
    if (withPartialPower) subs.push_back(PartialPower(3));
    return subs;
}

TBytes HitBody(uint64_t ticks, uint8_t channel) {
    float abs = 12.5f;
    uint32_t bits;
    std::memcpy(&bits, &abs, 4);
    return Cat({Time(ticks), TBytes{channel}, LE(10, 2), LE(3, 2), LE(20, 2), LE(7, 2), LE(150, 4),
                TBytes{48, 30, 36, 24, 40}, LE(900, 2), LE(bits, 4), TBytes{40, 30, 30}, LE(300, 2),
                LE(200, 2), TBytes{1}, LE(2222, 2), TBytes{2}, LE(17, 2)});
}

TBytes Sample(uint64_t ticks, uint16_t value) {
    TBytes b = Cat({Time(ticks), TBytes{1}, LE(value, 2)});
    for (uint8_t c = 1; c <= 4; ++c)
        b = Cat({b, TBytes{c, 30}, LE(500 + c, 2)});
    return Msg(2, b);
}

void AddMessages(TStream& s) {
    s.Add(Msg(11, {}));
    s.Add(Msg(128, Time(0)));
    for (uint32_t i = 0; i < 12; ++i) {
        s.Add(Msg(1, HitBody(1000 * i + 7, static_cast<uint8_t>(1 + i % 4))));
        if (i % 3 == 0) s.Add(Sample(1000 * i + 500, static_cast<uint16_t>(2000 + i)));
    }
    s.Add(Mark(20000, 1, "Hold 10 MPa"));
    s.Add(Mark(20100, 2, "Leak"));
    s.Add(Msg(211, LE(20200, 4)));
    s.Add(Msg(130, Time(21000)));
    s.Add(Msg(7, Text("pressure held")));
    s.Add(Msg(128, Time(22000)));
    s.Add(Msg(3, Time(22500)));
    s.Add(Msg(173, TBytes(20, 0x55)));
    s.Add(Msg(129, Time(23000)));
    s.Add(Msg(15, Cat({Time(0x7FFFFFFFFFFFull), TBytes{1}})));
}

TMutationOptions Options(const TStream& s) {
    TMutationOptions options;
    options.Extension = ".DTA";
    options.Fields16 = s.Fields16;
    return options;
}

TMutationStats RunMutations(const TStream& s, const TMutationOptions& options) {
    return RunDriverMutations(
        std::string(s.Bytes.begin(), s.Bytes.end()), &TAEDisp::CanOpen,
        [] { return std::make_unique<TAEDisp>(); }, options);
}

TEST(DispMutation, DamagedStreamsNeverReadOutside) {
    TStream s;
    s.Add(Product("Mutation System\n\r\x1a"));
    s.Add(Msg(7, Text("first comment")));
    s.Add(Msg(99, Text("Thu May 27 10:53:54 2021\n")));
    s.Add(Msg(38, {120, 0, 1}));
    s.Add(Msg(44, LE(3, 2)));
    s.Add(Msg(49, LE(9, 2)));
    s.Add(Msg(107, TBytes(8, 0)));
    const std::vector<TBytes> subs = FullSetupSubRecords(true);
    const size_t at = s.Bytes.size();
    s.Add(HardwareSetup({subs[0], subs[1], subs[2], subs[3], subs[4]}));
    for (size_t p = at + 6, i = 0; i < subs.size(); p += subs[i].size(), ++i) {
        s.Fields16.push_back(p);
        s.Fields16.push_back(p + 3);
    }
    AddMessages(s);

    // The stream decodes as built before it is damaged.
    TTempDir dir;
    const std::string file = dir.File("valid.DTA");
    WriteFileBytes(file, std::string(s.Bytes.begin(), s.Bytes.end()));
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    EXPECT_EQ(d.Driver->Setup().PartialPowerSegments, 3);

    TMutationOptions options = Options(s);
    options.RandomCases = 10000;
    const TMutationStats stats = RunMutations(s, options);
    EXPECT_GE(stats.Cases, 10000);
    EXPECT_GT(stats.Loaded, 1000);
    EXPECT_GT(stats.RecordsRead, 0u);
}

TEST(DispMutation, DamagedContinuedFiles) {
    const std::vector<TBytes> subs = FullSetupSubRecords(false);
    TBytes pp = PartialPower(3);
    pp.erase(pp.begin(), pp.begin() + 3);
    const TBytes embedded = Cat(
        {Time(99), Product(), HardwareSetup({subs[0], subs[1], subs[2], subs[3]}), Msg(109, pp)});
    TStream s;
    s.Add(Msg(8, embedded));
    for (size_t p = 3 + 6, i = 0; i < 3; ++i) { // the embedded length words
        s.Fields16.push_back(p);
        p += 2 + (s.Bytes[p] | s.Bytes[p + 1] << 8);
    }
    AddMessages(s);
    TMutationOptions options = Options(s);
    options.RandomCases = 3000;
    options.FieldCases = 500;
    options.TruncationCases = 300;
    const TMutationStats stats = RunMutations(s, options);
    EXPECT_GT(stats.Loaded, 300);
    EXPECT_GT(stats.RecordsRead, 0u);
}

} // namespace
} // namespace vorelt::test
