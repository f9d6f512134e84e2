// Spartan files of the synthetic data generator: the registry picks the Spartan driver, whose
// view of the file (kinds, channels, times, header count) equals the generator's manifest, and
// sorted copies keep every message and put the timed ones in order.

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/spartan/TAESpartan.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace vorelt {
namespace {

class SpartanGenerated : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        RegisterSpartanDriver();
        FFile = FDir.File("gen.spt");
        TGenerateOptions options;
        options.Format = GetParam();
        options.FileName = FFile;
        options.Hits = 5000;
        options.Channels = 6;
        options.Seed = 23;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(options, FManifest, error)) << error;
    }

    static std::unique_ptr<TAEDriverDb> Open(const std::string& file) {
        std::unique_ptr<TAEDriverDb> driver;
        std::string message;
        EXPECT_TRUE(OpenDataFile(file, nullptr, driver, message)) << message;
        return driver;
    }

    // The 32-byte messages of a file, header left out.
    static std::vector<std::string> Messages(const std::string& file) {
        const std::string bytes = test::ReadFileBytes(file);
        std::vector<std::string> out;
        for (size_t at = 512; at + 32 <= bytes.size(); at += 32)
            out.push_back(bytes.substr(at, 32));
        return out;
    }

    test::TTempDir FDir;
    std::string FFile;
    TDataManifest FManifest;
};

TEST_P(SpartanGenerated, DriverViewEqualsTheManifest) {
    std::string message;
    EXPECT_TRUE(TAESpartan::CanOpen(FFile, message));
    auto driver = Open(FFile);
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->ClassName(), "TAESpartan");
    EXPECT_EQ(static_cast<TAESpartan&>(*driver).IncompleteAt(), -1);
    EXPECT_EQ(FManifest.FileSize, 512 + 32 * (FManifest.Records() - 1));

    ASSERT_EQ(static_cast<uint64_t>(driver->Count()), FManifest.Records());
    std::array<uint64_t, TDataManifest::KindCount> kinds{};
    for (int32_t p = 0; p < driver->Count(); ++p)
        ++kinds[driver->RecordKind(p)];
    for (int k = 0; k < TDataManifest::KindCount; ++k)
        EXPECT_EQ(kinds[k], FManifest.Kinds[k]) << "kind " << k;
    const auto lines = driver->InfoLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3],
              "Records Count: " + IntToStr(static_cast<int64_t>(FManifest.MemberOfEvents)));

    std::array<bool, 256> listed{};
    for (uint8_t c : driver->Channels()) {
        EXPECT_FALSE(listed[c]) << "channel listed twice: " << int(c);
        listed[c] = true;
    }
    EXPECT_EQ(listed, FManifest.HitChannels);

    TAEListFields layout;
    driver->GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    TAEField* time = rec.FindByID(fidTime);
    TAEField* chan = rec.FindByID(fidChan);
    uint64_t timed = 0, decreases = 0;
    int64_t first = 0, last = 0, lo = 0, hi = 0;
    std::array<bool, 256> hitChannels{};
    TAEPNav nav;
    int32_t p = driver->FirstRecord(nav);
    while (!(nav.Out.Status & nsEndForward)) {
        ASSERT_FALSE(nav.Out.Status & nsError);
        TAEPNav readNav;
        driver->ReadRecord(readNav, rec, p);
        ASSERT_FALSE(readNav.Out.Status & nsError) << readNav.Out.Message;
        if (rec.Kind() == rkHit) hitChannels[static_cast<size_t>(chan->GetAsInt64())] = true;
        if (!time->IsNull()) {
            const int64_t t = RoundToInt64(time->GetAsFloat());
            if (t < (timed == 0 ? 0 : last)) ++decreases;
            if (timed == 0) first = lo = hi = t;
            lo = std::min(lo, t);
            hi = std::max(hi, t);
            last = t;
            ++timed;
        }
        p = driver->NextRecord(nav, p);
    }
    // The end flag came with the last position, which was read above.
    EXPECT_EQ(timed, FManifest.TimedCount);
    EXPECT_EQ(first, FManifest.FirstTimeUs);
    EXPECT_EQ(last, FManifest.LastTimeUs);
    EXPECT_EQ(lo, FManifest.MinTimeUs);
    EXPECT_EQ(hi, FManifest.MaxTimeUs);
    EXPECT_EQ(decreases, FManifest.TimeDecreases);
    EXPECT_EQ(hitChannels, FManifest.HitChannels);
}

TEST_P(SpartanGenerated, SortingOrdersTimesKeepsMessagesAndIsIdempotent) {
    auto driver = Open(FFile);
    ASSERT_TRUE(driver);
    ASSERT_GT(FManifest.TimeDecreases, 0u) << "the generator should write some disorder";
    const std::string sorted = FDir.File("sorted.spt"), again = FDir.File("again.spt");
    std::string message;
    ASSERT_TRUE(driver->SortToFile(sorted, message)) << message;
    auto s = Open(sorted);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ClassName(), "TAESpartan");
    ASSERT_EQ(s->Count(), driver->Count());
    // Untimed messages (comments) keep their slots.
    for (int32_t p = 0; p < s->Count(); ++p)
        ASSERT_EQ(s->RecordKind(p) == rkComment, driver->RecordKind(p) == rkComment) << p;

    TAEListFields layout;
    s->GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    TAEField* time = rec.FindByID(fidTime);
    long double previous = 0;
    uint64_t decreases = 0, timed = 0;
    for (int32_t p = 0; p < s->Count(); ++p) {
        TAEPNav nav;
        s->ReadRecord(nav, rec, p);
        if (time->IsNull()) continue;
        ++timed;
        if (time->GetAsFloat() < previous) ++decreases;
        previous = time->GetAsFloat();
    }
    EXPECT_EQ(decreases, 0u);
    EXPECT_EQ(timed, FManifest.TimedCount);

    const std::string in = test::ReadFileBytes(FFile), out = test::ReadFileBytes(sorted);
    EXPECT_EQ(in.substr(0, 512), out.substr(0, 512));
    auto a = Messages(FFile), b = Messages(sorted);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_TRUE(a == b) << "sorting changed the messages";

    ASSERT_TRUE(s->SortToFile(again, message)) << message;
    EXPECT_TRUE(test::ReadFileBytes(again) == out) << "sorting a sorted file changed it";
}

INSTANTIATE_TEST_SUITE_P(Formats, SpartanGenerated,
                         ::testing::Values("spartan", "spartan-dispbytes"));

TEST(SpartanGeneratedBytes, DispLookalikeStartsLikeAProductDefinition) {
    test::TTempDir dir;
    TGenerateOptions options;
    options.Format = "spartan-dispbytes";
    options.FileName = dir.File("look.spt");
    options.Hits = 50;
    options.Seed = 3;
    TDataManifest manifest;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(options, manifest, error)) << error;
    const std::string bytes = test::ReadFileBytes(options.FileName);
    ASSERT_GE(bytes.size(), 512u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 41); // the identifier a DiSP file opens with
    EXPECT_EQ(manifest.MemberOfEvents >> 16, 41u);
    EXPECT_EQ(manifest.MemberOfEvents & 0xFFFF, manifest.Records() & 0xFFFF);
    std::string message;
    EXPECT_TRUE(TAESpartan::CanOpen(options.FileName, message));
}

} // namespace
} // namespace vorelt
