// The text of `vorelt-cli dump` with every field, held as a fingerprint (FNV-1a hash and byte
// count) of the output the original snprintf-based formatting gave, over every real file of the
// shared folder and a small generated file of each format. Any change of the number texts, the
// field order or the line layout shows here; when a change is meant, the new fingerprints are
// printed by the failing test. Last meant change: "Unknown Message" rows (once "Unknow"), one
// byte longer each and nothing else.

#include "cli/TCliCommands.h"
#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <sstream>

namespace vorelt::test {
namespace {

struct TFingerprint {
    uint64_t Hash;
    size_t Bytes;
    bool operator==(const TFingerprint&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TFingerprint& f) {
    char text[64];
    std::snprintf(text, sizeof text, "{0x%016" PRIx64 "ull, %zu}", f.Hash, f.Bytes);
    return os << text;
}

TFingerprint Fingerprint(const std::string& bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return {h, bytes.size()};
}

// Dumps a copy of the file (drivers write a companion log beside what they open).
TFingerprint DumpFingerprint(const std::string& file) {
    RegisterDriversClasses();
    std::ostringstream out, err;
    const int status = cli::RunCli({"dump", file}, out, err);
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(err.str(), "");
    return Fingerprint(out.str());
}

struct TRealCase {
    const char* File;
    TFingerprint Want;
};

class CliDumpRealFile : public ::testing::TestWithParam<TRealCase> {};

TEST_P(CliDumpRealFile, TextIsUnchanged) {
    VORELT_REQUIRE_SHARED_DATA(GetParam().File, path);
    TTempDir dir;
    EXPECT_EQ(DumpFingerprint(CopyToTemp(path, dir)), GetParam().Want) << GetParam().File;
}

INSTANTIATE_TEST_SUITE_P(
    Shared, CliDumpRealFile,
    ::testing::Values(TRealCase{"vallen/bearing.pridb", {0x7f6833a593b12326ull, 123681}},
                      TRealCase{"vallen/steel_plate.pridb", {0xa8e5cab2875acea5ull, 2218}},
                      TRealCase{"disp/210527-CH1-15.DTA", {0x5daf6b86823b873eull, 4889199}},
                      TRealCase{"disp/260114-4ch-1para.DTA", {0xe6cef4c5d7c90b17ull, 238027}}),
    [](const auto& test) {
        std::string name = test.param.File;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

struct TGeneratedCase {
    const char* Format;
    TFingerprint Want;
};

class CliDumpGenerated : public ::testing::TestWithParam<TGeneratedCase> {};

TEST_P(CliDumpGenerated, TextIsUnchanged) {
    TTempDir dir;
    TGenerateOptions options;
    options.Format = GetParam().Format;
    options.FileName = dir.File(std::string("gen.") + GetParam().Format);
    options.Hits = 3000;
    options.Channels = 8;
    options.Seed = 17;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(options, error)) << error;
    EXPECT_EQ(DumpFingerprint(options.FileName), GetParam().Want) << GetParam().Format;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CliDumpGenerated,
    ::testing::Values(TGeneratedCase{"isa", {0xc2a069fba209adf7ull, 392704}},
                      TGeneratedCase{"pci", {0xf1f6224a613451d1ull, 397739}},
                      TGeneratedCase{"disp", {0x6fad952d72b0768dull, 457509}},
                      TGeneratedCase{"spartan", {0x293282ae3a385e69ull, 432607}},
                      TGeneratedCase{"spartan-dispbytes", {0x293282ae3a385e69ull, 432607}},
                      TGeneratedCase{"vallen", {0x712f491eaa7b2c33ull, 571420}}),
    [](const auto& test) {
        std::string name = test.param.Format;
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

} // namespace
} // namespace vorelt::test
