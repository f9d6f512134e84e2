// Values the Tarvel drivers work out along shortcuts: amplitudes rounded from a double estimate
// unless it lies near a tie, and the HH : MM : SS text made once per second. Every amplitude
// code on several channel set-ups must give the integer of the extended formula, and the clock
// text must follow sign and second in any reading order.

#include "TarvelTestFiles.h"
#include "common/TestData.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace vorelt {
namespace {

using test::TTarvelFileBuilder;

template <class TDriver> struct TLoaded {
    test::TTempDir Dir;
    TDriver Driver;
    TAERecord Rec;
    std::string Message;
    bool Loaded = false;

    explicit TLoaded(const std::string& bytes) {
        const std::string path = Dir.File("data.dta");
        test::WriteFileBytes(path, bytes);
        Loaded = Driver.Open(path, Message) && Driver.Load(Message) && Driver.Initialize(Message);
        TAEListFields layout;
        Driver.GetFields(&layout);
        Rec.BuildForLayout(layout);
    }
    const TAEField& Read(int32_t pos, const char* id) {
        TAEPNav nav;
        Driver.ReadRecord(nav, Rec, pos);
        return *Rec.FindByID(id);
    }
};

std::optional<int64_t> Rounded(long double x) {
    if (!std::isfinite(x)) return std::nullopt;
    return static_cast<int64_t>(rintl(x));
}

struct TIsaSetup {
    uint32_t K1, K2;
    uint8_t Gain; // default gain code; 4 adds 1.5 dB, which puts ties on every power of ten
};

TEST(TarvelRecordValues, IsaAmplitudeOfEveryCodeAsTheExtendedFormulaRoundsIt) {
    const uint32_t f = 1, r = 100;
    const TIsaSetup setups[] = {{10, 10, 4}, {3, 7, 13}, {1, 1, 64}, {1000, 1, 255}};
    const int channels = static_cast<int>(std::size(setups));
    TTarvelFileBuilder b(false, channels);
    b.SetIsaFR(f, r);
    for (int c = 0; c < channels; ++c)
        b.SetIsaChannel(c, 1, 1, setups[c].Gain, setups[c].K1, setups[c].K2);
    for (int c = 0; c < channels; ++c)
        for (uint32_t a = 1; a <= 65535; ++a)
            b.IsaMessage(0, a,
                         TTarvelFileBuilder::IsaHitBody(false, static_cast<uint8_t>(c),
                                                        static_cast<uint16_t>(a), 0, 0, 0, 0));
    TLoaded<TAETarvelIsa> o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    int32_t pos = 1, mismatches = 0;
    for (int c = 0; c < channels; ++c) {
        const long double offset = 20.0L * std::log10(static_cast<long double>(f) * 1000.0L / r /
                                                      setups[c].K1 / setups[c].K2);
        for (uint32_t a = 1; a <= 65535; ++a, ++pos) {
            const long double x =
                20.0L * std::log10(static_cast<long double>(a)) + offset + 0.375L * setups[c].Gain;
            const std::optional<int64_t> want = Rounded(x);
            const TAEField& ampl = o.Read(pos, fidAmpl);
            const bool same = want ? !ampl.IsNull() && ampl.GetAsInt64() == *want : ampl.IsNull();
            if (!same && ++mismatches <= 5)
                ADD_FAILURE() << "channel " << c << " code " << a << ": want "
                              << (want ? std::to_string(*want) : "empty") << ", got "
                              << (ampl.IsNull() ? "empty" : ampl.GetAsString());
        }
    }
    EXPECT_EQ(mismatches, 0);
}

struct TPciSetup {
    float Scale;
    int32_t Gain;
    bool EveryCode;
};

TEST(TarvelRecordValues, PciAmplitudeOfEveryCodeAsTheExtendedFormulaRoundsIt) {
    const float inf = std::numeric_limits<float>::infinity();
    const TPciSetup setups[] = {
        {10.0f, 20, true},         {0.1f, -6, true},         {3.3f, 0, true},
        {1e-3f, 7, true},          {1e30f, 5000, false},     {1e-40f, -9000, false},
        {0.0f, 0, false},          {-1.0f, 0, false},        {inf, 0, false},
        {std::nanf(""), 0, false}, {2.0f, 2000000000, false}};
    const int channels = static_cast<int>(std::size(setups));
    TTarvelFileBuilder b(true, channels);
    std::vector<std::pair<int, uint16_t>> hits;
    for (int c = 0; c < channels; ++c) {
        b.SetPciChannel(c, 1, setups[c].Gain, setups[c].Scale, 1, 1.0, 1000, 1.0, 1000);
        for (uint32_t a = 1; a <= 65535; a += setups[c].EveryCode ? 1 : 4369)
            hits.emplace_back(c, static_cast<uint16_t>(a));
    }
    for (const auto& [c, a] : hits)
        b.PciMessage(
            0, 1, TTarvelFileBuilder::PciHitBody(false, static_cast<uint16_t>(c), a, 0, 0, 0, 0));
    TLoaded<TAETarvelPci> o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    int32_t pos = 1, mismatches = 0;
    for (const auto& [c, a] : hits) {
        const long double x =
            20.0L * std::log10(static_cast<long double>(a) * 1000.0L * setups[c].Scale / 1000.0L) -
            setups[c].Gain;
        const std::optional<int64_t> want = Rounded(x);
        const TAEField& ampl = o.Read(pos++, fidAmpl);
        const bool same = want ? !ampl.IsNull() && ampl.GetAsInt64() == *want : ampl.IsNull();
        if (!same && ++mismatches <= 5)
            ADD_FAILURE() << "channel " << c << " code " << a << ": want "
                          << (want ? std::to_string(*want) : "empty") << ", got "
                          << (ampl.IsNull() ? "empty" : ampl.GetAsString());
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(TarvelRecordValues, ClockTextFollowsSignAndSecondInAnyReadingOrder) {
    struct TCase {
        int64_t Us;
        const char* Text;
        long double Fraction;
    };
    // The test starts at 1600000000; the u32 seconds reach from 0 to 4294967295.
    const int64_t start = 1600000000;
    const int64_t earliest = -start * 1000000;
    const int64_t latest = (4294967295LL - start) * 1000000 + 999999;
    const TCase cases[] = {
        {-1500000, "-00 : 00 : 01", 0.5L},
        {1500000, "00 : 00 : 01", 0.5L},
        {1600000, "00 : 00 : 01", 0.6L},
        {-1, "-00 : 00 : 00", 0.000001L},
        {0, "00 : 00 : 00", 0.0L},
        {999999, "00 : 00 : 00", 0.999999L},
        {-999999, "-00 : 00 : 00", 0.999999L},
        {-1000000, "-00 : 00 : 01", 0.0L},
        {3599999999, "00 : 59 : 59", 0.999999L},
        {3600000000, "01 : 00 : 00", 0.0L},
        {-(36000000000 + 61000000), "-10 : 01 : 01", 0.0L},
        {latest, "748602 : 01 : 35", 0.999999L},
        {earliest, "-444444 : 26 : 40", 0.0L},
    };
    TTarvelFileBuilder b(false, 1, static_cast<uint32_t>(start));
    for (const TCase& c : cases)
        b.IsaMessage(3, c.Us, std::vector<uint8_t>(24, 0));
    TLoaded<TAETarvelIsa> o(b.Bytes());
    ASSERT_TRUE(o.Loaded) << o.Message;
    const int32_t n = static_cast<int32_t>(std::size(cases));
    // Forwards, backwards, each one twice in a row, and with the header item in between.
    std::vector<int32_t> order;
    for (int32_t p = 1; p <= n; ++p)
        order.push_back(p);
    for (int32_t p = n; p >= 1; --p)
        order.insert(order.end(), {p, p, 0});
    for (int32_t p : order) {
        const TCase* c = p > 0 ? &cases[p - 1] : nullptr;
        const TAEField& text = o.Read(p, fidHHMMSS);
        if (!c) {
            EXPECT_TRUE(text.IsNull());
            EXPECT_EQ(o.Rec.FindByID(fidDefaultText)->GetAsString(), "Unknown Message 255");
            continue;
        }
        EXPECT_EQ(text.GetAsString(), c->Text) << c->Us;
        EXPECT_NEAR(static_cast<double>(o.Rec.FindByID(fidTimeUS)->GetAsFloat()),
                    static_cast<double>(c->Fraction), 1e-12)
            << c->Us;
        EXPECT_EQ(o.Rec.FindByID(fidTime)->GetAsFloat(), static_cast<long double>(c->Us));
    }
}

} // namespace
} // namespace vorelt
