// Files of the synthetic data generator, which writes both Tarvel formats on its own: the right
// driver opens each, and its view of the file (kinds, channels, times, header) equals the
// generator's manifest. Sorted copies keep every message and put them in time order.

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "drivers/tarvel/TAETarvelDriver.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace vorelt {
namespace {

class TarvelGenerated : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        RegisterTarvelDrivers();
        FFile = FDir.File(std::string("gen.") + GetParam());
        TGenerateOptions options;
        options.Format = GetParam();
        options.FileName = FFile;
        options.Hits = 4000;
        options.Channels = 6;
        options.Seed = 11;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(options, FManifest, error)) << error;
    }

    static std::unique_ptr<TAEDriverDb> Open(const std::string& file) {
        std::unique_ptr<TAEDriverDb> driver;
        std::string message;
        EXPECT_TRUE(OpenDataFile(file, nullptr, driver, message)) << message;
        return driver;
    }

    // Each message as it stands in the file: prefix and body.
    static std::vector<std::string> Messages(const TAEDriverDb& d) {
        const std::string bytes = test::ReadFileBytes(d.FileName());
        std::vector<std::string> out;
        for (const TDriverIndexItem& item : d.Index())
            if (item.Kind != ikHeader) out.push_back(bytes.substr(item.Offset - 4, item.Size + 4));
        return out;
    }

    test::TTempDir FDir;
    std::string FFile;
    TDataManifest FManifest;
};

TEST_P(TarvelGenerated, DriverViewEqualsTheManifest) {
    auto driver = Open(FFile);
    ASSERT_TRUE(driver);
    const bool pci = std::string(GetParam()) == "pci";
    EXPECT_EQ(driver->ClassName(), pci ? "TAETarvelPci" : "TAETarvelIsa");
    auto& tarvel = static_cast<TAETarvelDriver&>(*driver);
    EXPECT_EQ(tarvel.TruncatedAt(), -1);
    EXPECT_EQ(tarvel.Header().HeaderSize, FManifest.HeaderSize);
    EXPECT_EQ(tarvel.Header().StartTime, FManifest.StartTimeUnix);
    EXPECT_EQ(tarvel.Header().StopTime, FManifest.StopTimeUnix);
    EXPECT_EQ(static_cast<uint64_t>(tarvel.Header().MemberOfEvents), FManifest.MemberOfEvents);
    EXPECT_EQ(
        static_cast<int>(tarvel.Header().IsaChannels.size() + tarvel.Header().PciChannels.size()),
        FManifest.SetupChannels);

    ASSERT_EQ(static_cast<uint64_t>(driver->Count()), FManifest.Records());
    std::array<uint64_t, TDataManifest::KindCount> kinds{};
    for (int32_t p = 0; p < driver->Count(); ++p)
        ++kinds[driver->RecordKind(p)];
    for (int k = 0; k < TDataManifest::KindCount; ++k)
        EXPECT_EQ(kinds[k], FManifest.Kinds[k]) << "kind " << k;

    TAEChannelList active;
    for (int c = 1; c < 256; ++c)
        if (FManifest.ActiveChannels[c]) active.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(driver->Channels(), active);

    // Times in file order through the records, with the program's database check.
    TAEListFields layout;
    driver->GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    TAEField* time = rec.FindByID(fidTime);
    TAEField* chan = rec.FindByID(fidChan);
    uint64_t timed = 0, decreases = 0;
    int64_t first = 0, last = 0, lo = 0, hi = 0;
    std::array<bool, 256> hitChannels{};
    // The consumer loop: NextRecord hands back the last position with the end flag.
    TAEPNav nav;
    int32_t p = driver->FirstRecord(nav);
    while (!(nav.Out.Status & nsEndForward)) {
        ASSERT_FALSE(nav.Out.Status & nsError);
        TAEPNav readNav;
        driver->ReadRecord(readNav, rec, p);
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
        const int32_t next = driver->NextRecord(nav, p);
        if (next == p) {
            p = -1; // the last position comes back once more with the end flag: read once
            break;
        }
        p = next;
    }
    EXPECT_EQ(timed, FManifest.TimedCount);
    EXPECT_EQ(first, FManifest.FirstTimeUs);
    EXPECT_EQ(last, FManifest.LastTimeUs);
    EXPECT_EQ(lo, FManifest.MinTimeUs);
    EXPECT_EQ(hi, FManifest.MaxTimeUs);
    EXPECT_EQ(decreases, FManifest.TimeDecreases);
    EXPECT_EQ(hitChannels, FManifest.HitChannels);
}

TEST_P(TarvelGenerated, SortingOrdersTimesKeepsMessagesAndIsIdempotent) {
    auto driver = Open(FFile);
    ASSERT_TRUE(driver);
    ASSERT_GT(FManifest.TimeDecreases, 0u) << "the generator should write some disorder";
    const std::string sorted = FDir.File("sorted.dta"), again = FDir.File("again.dta");
    std::string message;
    ASSERT_TRUE(driver->SortToFile(sorted, message)) << message;
    auto s = Open(sorted);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ClassName(), driver->ClassName());
    ASSERT_EQ(s->Count(), driver->Count());
    for (int32_t p = 0; p < s->Count(); ++p)
        EXPECT_EQ(s->RecordKind(p) == rkComment, driver->RecordKind(p) == rkComment) << p;

    TAEListFields layout;
    s->GetFields(&layout);
    TAERecord rec;
    rec.BuildForLayout(layout);
    TAEField* time = rec.FindByID(fidTime);
    long double previous = 0;
    uint64_t decreases = 0;
    for (int32_t p = 0; p < s->Count(); ++p) {
        TAEPNav nav;
        s->ReadRecord(nav, rec, p);
        if (time->IsNull()) continue;
        if (time->GetAsFloat() < previous) ++decreases;
        previous = time->GetAsFloat();
    }
    // The database check starts from 0; generated files have no time before the start.
    EXPECT_EQ(decreases, 0u);

    auto a = Messages(*driver), b = Messages(*s);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_TRUE(a == b) << "sorting changed the messages";

    ASSERT_TRUE(s->SortToFile(again, message)) << message;
    EXPECT_TRUE(test::ReadFileBytes(again) == test::ReadFileBytes(sorted));
}

// A reader that wants only some fields gets those as a whole read gives them, and the others
// null, whatever it wanted before; the whole read afterwards is whole again.
TEST_P(TarvelGenerated, AReadUnderADemandFillsTheWantedFieldsAsAWholeRead) {
    auto driver = Open(FFile);
    ASSERT_TRUE(driver);
    TAEListFields layout;
    driver->GetFields(&layout);
    TAERecord whole, part;
    whole.BuildForLayout(layout);
    part.BuildForLayout(layout);
    const size_t n = static_cast<size_t>(whole.FieldCount());
    std::vector<std::vector<uint8_t>> demands;
    for (size_t i = 0; i < n; ++i) {
        demands.emplace_back(n, 0);
        demands.back()[i] = 1;
    }
    demands.emplace_back(n, 0);
    for (const char* id : {fidTimeS, fidAmpl, fidChan, fidSelected, fidDeleted}) {
        const int at = layout.IndexOfID(id);
        if (at >= 0) demands.back()[static_cast<size_t>(at)] = 1;
    }
    demands.emplace_back(n, 0);
    auto same = [&](const std::vector<uint8_t>* wanted, int32_t p) {
        for (size_t i = 0; i < n; ++i) {
            const TAEField& a = *whole.Field(static_cast<int>(i));
            const TAEField& b = *part.Field(static_cast<int>(i));
            if (wanted && (*wanted)[i] == 0) {
                ASSERT_TRUE(b.IsNull()) << p << " " << a.ID();
                continue;
            }
            ASSERT_EQ(a.IsNull(), b.IsNull()) << p << " " << a.ID();
            ASSERT_EQ(a.GetAsString(), b.GetAsString()) << p << " " << a.ID();
        }
        ASSERT_EQ(whole.Kind(), part.Kind());
        ASSERT_EQ(whole.RecFlags(), part.RecFlags());
    };
    for (int32_t p = 0; p < driver->Count(); p += 7) {
        TAEPNav nav;
        driver->ReadRecord(nav, whole, p);
        for (const std::vector<uint8_t>& wanted : demands) {
            part.SetDemand(wanted);
            driver->ReadRecord(nav, part, p);
            same(&wanted, p);
        }
        part.ClearDemand();
        driver->ReadRecord(nav, part, p);
        same(nullptr, p);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TarvelGenerated, ::testing::Values("isa", "pci"));

} // namespace
} // namespace vorelt
