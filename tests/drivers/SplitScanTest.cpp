// Opening a long file scans its two halves on two threads and joins them where both found the
// same message. Whatever the place of the split (inside a message, in a run that only looks like
// messages) and whatever the file holds behind it (damage, a cut-off end), the index (with the
// gain codes of ISA hits), the channels and the information lines are those of one scan from
// the start.

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/TTailScan.h"
#include "drivers/disp/TAEDisp.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "drivers/tarvel/TAETarvelDriver.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>

namespace vorelt {
namespace {

struct TScan {
    bool Opened = false;
    std::string Message;
    std::vector<TDriverIndexItem> Items;
    std::vector<std::string> InfoLines;
    TAEChannelList Channels;
    std::array<int64_t, 256> Kinds{};  // as the index keeps them
    std::array<int64_t, 256> Walked{}; // by a pass over every position
};

TScan Scan(const std::string& file, bool split) {
    const uint64_t saved = TTailScan::MinStreamBytes();
    TTailScan::SetMinStreamBytes(split ? 0 : UINT64_MAX);
    TScan scan;
    std::unique_ptr<TAEDriverDb> driver;
    scan.Opened = OpenDataFile(file, nullptr, driver, scan.Message);
    TTailScan::SetMinStreamBytes(saved);
    if (!scan.Opened) return scan;
    scan.Items.assign(driver->Index().begin(), driver->Index().end());
    scan.InfoLines = driver->InfoLines();
    scan.Channels = driver->Channels();
    scan.Kinds = driver->RecordKindCounts();
    for (int32_t i = 0; i < driver->Count(); ++i)
        ++scan.Walked[driver->RecordKind(i)];
    return scan;
}

void ExpectSameScan(const std::string& file, const std::string& what) {
    const TScan one = Scan(file, false);
    const TScan two = Scan(file, true);
    ASSERT_EQ(one.Opened, two.Opened) << what << ": " << one.Message << " / " << two.Message;
    EXPECT_EQ(one.Message, two.Message) << what;
    EXPECT_EQ(one.InfoLines, two.InfoLines) << what;
    EXPECT_EQ(one.Channels, two.Channels) << what;
    ASSERT_EQ(one.Items.size(), two.Items.size()) << what;
    // The counts the index keeps, also where the tail's part was joined.
    EXPECT_EQ(one.Kinds, one.Walked) << what;
    EXPECT_EQ(two.Kinds, two.Walked) << what;
    for (size_t i = 0; i < one.Items.size(); ++i) {
        const TDriverIndexItem& a = one.Items[i];
        const TDriverIndexItem& b = two.Items[i];
        ASSERT_TRUE(a.Offset == b.Offset && a.Size == b.Size && a.Extra == b.Extra &&
                    a.Kind == b.Kind && a.Flags == b.Flags)
            << what << ": item " << i;
    }
}

void Write(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

class SplitScan : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        RegisterTarvelDrivers();
        RegisterDispDriver();
        FFile = FDir.File(std::string("gen.") + GetParam());
        TGenerateOptions options;
        options.Format = GetParam();
        options.FileName = FFile;
        options.Hits = 60000;
        options.Channels = 5;
        options.Seed = 3;
        TDataManifest manifest;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(options, manifest, error)) << error;
        FBytes = test::ReadFileBytes(FFile);
    }

    test::TTempDir FDir;
    std::string FFile;
    std::string FBytes;
};

TEST_P(SplitScan, EverySplitPlaceGivesTheScanFromTheStart) {
    ExpectSameScan(FFile, "whole");
    // Cutting bytes off the end moves the split through every place inside a message, and
    // leaves a cut-off last message.
    for (size_t cut = 1; cut <= 90; cut += 7) {
        Write(FFile, FBytes.substr(0, FBytes.size() - cut));
        ExpectSameScan(FFile, "cut " + std::to_string(cut));
    }
}

TEST_P(SplitScan, DamageBehindTheSplitIsReportedAsByOneScan) {
    std::mt19937 random(5);
    for (int round = 0; round < 12; ++round) {
        std::string bytes = FBytes;
        // Somewhere in the second half, where the second scan runs; some rounds damage a run
        // of bytes right at the middle, where it starts.
        const size_t half = bytes.size() / 2;
        const size_t at = round < 4 ? half - 40 + random() % 80 : half + random() % (half - 8);
        for (int k = 0; k < (round % 3 == 0 ? 64 : 4); ++k)
            if (at + k < bytes.size()) bytes[at + k] = static_cast<char>(random());
        Write(FFile, bytes);
        ExpectSameScan(FFile, "round " + std::to_string(round));
    }
}

TEST_P(SplitScan, RunsThatLookLikeMessagesBeforeTheMiddle) {
    // Zero bytes read as messages from any place (ISA type 0, DiSP length 0): the second scan
    // may start in step with nothing but the zeros and must be joined only where it meets the
    // real messages.
    std::string bytes = FBytes;
    const size_t half = (bytes.size() + test::ReadFileBytes(FFile).size()) / 4;
    for (size_t k = half - 3000; k < half + 3000; ++k)
        bytes[k] = 0;
    Write(FFile, bytes);
    ExpectSameScan(FFile, "zeros");
}

TEST(SplitScanRealFiles, DispFilesFromTheFieldScanAsFromTheStart) {
    RegisterDispDriver();
    for (const char* name : {"disp/210527-CH1-15.DTA", "disp/260114-4ch-1para.DTA"}) {
        VORELT_REQUIRE_SHARED_DATA(name, shared);
        test::TTempDir dir;
        const std::string file = test::CopyToTemp(shared, dir);
        ExpectSameScan(file, name);
        // Split places all through the file: cut the copy shorter step by step.
        const std::string bytes = test::ReadFileBytes(file);
        for (size_t cut = 1; cut < bytes.size() / 3; cut += bytes.size() / 17 + 1) {
            Write(file, bytes.substr(0, bytes.size() - cut));
            ExpectSameScan(file, std::string(name) + " cut " + std::to_string(cut));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SplitScan, ::testing::Values("isa", "pci", "disp"));

} // namespace
} // namespace vorelt
