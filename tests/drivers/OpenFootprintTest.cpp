// Opening reads a data file once, in blocks, and keeps 8 bytes per message: the mapping of the
// file stays unread but for the pages that the header, the set-up and the look for damage need,
// so that a file of a gigabyte does not count a gigabyte of memory. The look for runs of zero
// bytes finds them wherever they lie, also where two scans were joined.

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/TFileWarnings.h"
#include "drivers/TTailScan.h"
#include "drivers/disp/TAEDisp.h"
#include "drivers/tarvel/RegisterTarvelDrivers.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace vorelt {
namespace {

// Resident kilobytes of the mapping that holds `address`, from the kernel's account of this
// process; -1 when it has none.
long ResidentKilobytes(const void* address) {
    std::ifstream smaps("/proc/self/smaps");
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        unsigned long begin = 0, end = 0;
        long kb = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &begin, &end) == 2)
            inside = at >= begin && at < end;
        else if (inside && std::sscanf(line.c_str(), "Rss: %ld kB", &kb) == 1)
            return kb;
    }
    return -1;
}

class OpenFootprint : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        RegisterTarvelDrivers();
        RegisterDispDriver();
        FFile = FDir.File(std::string("run.") + GetParam());
        TGenerateOptions options;
        options.Format = GetParam();
        options.FileName = FFile;
        options.Hits = 600000;
        options.Channels = 6;
        options.Seed = 9;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(options, error)) << error;
        FSaved = TTailScan::MinStreamBytes();
    }
    void TearDown() override { TTailScan::SetMinStreamBytes(FSaved); }

    std::vector<std::string> Warnings(bool split) {
        TTailScan::SetMinStreamBytes(split ? 0 : UINT64_MAX);
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        EXPECT_TRUE(OpenDataFile(FFile, nullptr, d, message)) << message;
        if (!d) return {};
        return FileWarnings(*d);
    }

    test::TTempDir FDir;
    std::string FFile;
    uint64_t FSaved = 0;
};

TEST_P(OpenFootprint, TheMappingStaysUnreadWhileOpeningAndLookingForDamage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reads the file into the heap";
#endif
    for (bool split : {false, true}) {
        TTailScan::SetMinStreamBytes(split ? 0 : UINT64_MAX);
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        ASSERT_TRUE(OpenDataFile(FFile, nullptr, d, message)) << message;
        EXPECT_TRUE(FileWarnings(*d).empty());
        const std::span<const uint8_t> bytes = d->FileReader().Bytes();
        const long resident = ResidentKilobytes(bytes.data());
        ASSERT_GE(resident, 0);
        // The pages (or large folios) of the header and the set-up; nothing like the whole.
        EXPECT_LT(resident * 1024, static_cast<long>(bytes.size() / 4))
            << "of " << bytes.size() / 1024 << " kB, split " << split;
    }
}

TEST_P(OpenFootprint, ZerosAnywhereAreFoundByOneScanAndByTwo) {
    const std::string bytes = test::ReadFileBytes(FFile);
    // Zero bytes put in between two messages read as 1200 empty messages of every format (an
    // ISA message takes 44 bytes then, a PCI one 4, a DiSP one 2).
    std::vector<uint64_t> starts;
    {
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        ASSERT_TRUE(OpenDataFile(FFile, nullptr, d, message)) << message;
        for (size_t pos = 1; pos < d->Index().size(); ++pos)
            starts.push_back(d->Index().End(pos - 1));
    }
    const size_t n = starts.size();
    // About the middle, where the second scan starts, behind it, before it and near the end.
    for (const size_t at : {n / 2 - 700, n / 2 + 37, n / 3, n - 300}) {
        SCOPED_TRACE(at);
        std::string damaged = bytes;
        damaged.insert(starts[at], std::string(1200 * 44, '\0'));
        test::WriteFileBytes(FFile, damaged);
        const std::vector<std::string> one = Warnings(false);
        EXPECT_EQ(Warnings(true), one);
        ASSERT_EQ(one.size(), 1u);
        const size_t emptySize = GetParam() == std::string("isa")   ? 44
                                 : GetParam() == std::string("pci") ? 4
                                                                    : 2;
        EXPECT_EQ(one[0], std::to_string(1200 * 44 / emptySize) +
                              " Unknown Or Empty Messages In A Row From Byte Offset " +
                              std::to_string(starts[at]));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenFootprint, ::testing::Values("isa", "pci", "disp"));

} // namespace
} // namespace vorelt
