#include "mkdata/TGenerateDataFile.h"
#include "TarvelFileWalk.h"
#include "common/TestData.h"

#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <tuple>

using namespace vorelt;
using vorelt::test::TTarvelWalk;
using vorelt::test::TTempDir;

namespace {

TGenerateOptions Options(const std::string& format, const std::string& file, uint64_t hits,
                         int channels = 8, uint64_t seed = 1) {
    TGenerateOptions o;
    o.Format = format;
    o.FileName = file;
    o.Hits = hits;
    o.Channels = channels;
    o.Seed = seed;
    return o;
}

std::string Walk(const std::string& format, const std::string& bytes, TTarvelWalk& w) {
    return format == "isa" ? test::WalkIsaFile(bytes, w) : test::WalkPciFile(bytes, w);
}

std::string ChannelText(const std::set<int>& channels) {
    std::string s;
    for (int c : channels)
        s += (s.empty() ? "" : " ") + std::to_string(c);
    return s;
}

std::string Seconds(int64_t us) {
    return FormatFloat("%.6f", us / 1e6L);
}

} // namespace

// ---- determinism -----------------------------------------------------------------------------

class GenerateDeterminism : public ::testing::TestWithParam<std::string> {};

TEST_P(GenerateDeterminism, SameArgumentsSameBytesOtherSeedOtherBytes) {
    TTempDir dir;
    std::string error;
    TGenerateOptions a = Options(GetParam(), dir.File("a"), 3000, 6, 42);
    a.ManifestFileName = dir.File("a.txt");
    TGenerateOptions b = a;
    b.FileName = dir.File("b");
    b.ManifestFileName = dir.File("b.txt");
    TGenerateOptions c = a;
    c.FileName = dir.File("c");
    c.ManifestFileName = dir.File("c.txt");
    c.Seed = 43;
    ASSERT_TRUE(GenerateDataFile(a, error)) << error;
    ASSERT_TRUE(GenerateDataFile(b, error)) << error;
    ASSERT_TRUE(GenerateDataFile(c, error)) << error;
    const std::string bytesA = test::ReadFileBytes(a.FileName);
    EXPECT_EQ(bytesA, test::ReadFileBytes(b.FileName));
    EXPECT_EQ(test::ReadFileBytes(a.ManifestFileName), test::ReadFileBytes(b.ManifestFileName));
    EXPECT_NE(bytesA, test::ReadFileBytes(c.FileName));
    EXPECT_NE(test::ReadFileBytes(a.ManifestFileName), test::ReadFileBytes(c.ManifestFileName));
}

INSTANTIATE_TEST_SUITE_P(Formats, GenerateDeterminism, ::testing::Values("isa", "pci"));

// ---- structure and manifest against an independent walk -------------------------------------

using TLayoutCase = std::tuple<std::string, uint64_t, int>; // format, hits, channels

class GeneratedLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(GeneratedLayout, WalksToTheEndAndMatchesTheManifest) {
    const auto& [format, hits, channels] = GetParam();
    TTempDir dir;
    std::string error;
    TGenerateOptions o = Options(format, dir.File("data"), hits, channels, 7);
    o.ManifestFileName = dir.File("manifest.txt");
    TDataManifest manifest;
    ASSERT_TRUE(GenerateDataFile(o, manifest, error)) << error;

    const std::string bytes = test::ReadFileBytes(o.FileName);
    TTarvelWalk w;
    ASSERT_EQ(Walk(format, bytes, w), "");

    // Header fields.
    EXPECT_EQ(w.ChannelRecords, channels + 1); // one record more, switched off
    std::set<int> expectedActive;
    for (int c = 1; c <= channels; ++c)
        expectedActive.insert(c);
    EXPECT_EQ(w.ActiveChannels, expectedActive);
    EXPECT_EQ(static_cast<uint64_t>(w.MemberOfEvents), hits);
    EXPECT_EQ(w.StartTime, GeneratedStartTime(7));
    EXPECT_GE(int64_t(w.StopTime) - w.StartTime, (w.Max + 999999) / 1000000);
    EXPECT_TRUE(std::includes(expectedActive.begin(), expectedActive.end(), w.HitChannels.begin(),
                              w.HitChannels.end()));

    // The manifest file says what the walk found.
    auto m = ParseManifestText(test::ReadFileBytes(o.ManifestFileName));
    EXPECT_EQ(m["format"], format);
    EXPECT_EQ(m["file_size"], std::to_string(bytes.size()));
    EXPECT_EQ(m["header_size"], std::to_string(w.HeaderSize));
    uint64_t records = 0;
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(m["kind" + std::to_string(k)], std::to_string(w.Kinds[k])) << "kind " << k;
        records += w.Kinds[k];
    }
    for (int t = 0; t < 256; ++t) {
        if (w.Types[t] != 0) {
            EXPECT_EQ(m["type" + std::to_string(t)], std::to_string(w.Types[t])) << "type " << t;
        }
    }
    EXPECT_EQ(m["records"], std::to_string(records));
    EXPECT_EQ(m["hits"], std::to_string(hits));
    EXPECT_EQ(w.Kinds[1], hits);
    EXPECT_EQ(m["member_of_events"], std::to_string(w.MemberOfEvents));
    EXPECT_EQ(m["start_time_unix"], std::to_string(w.StartTime));
    EXPECT_EQ(m["stop_time_unix"], std::to_string(w.StopTime));
    EXPECT_EQ(m["setup_channels"], std::to_string(w.ChannelRecords));
    EXPECT_EQ(m["active_channels"], ChannelText(w.ActiveChannels));
    EXPECT_EQ(m["channels"], ChannelText(w.HitChannels));
    EXPECT_EQ(m["timed_records"], std::to_string(w.Timed));
    EXPECT_EQ(m["first_time_s"], Seconds(w.First));
    EXPECT_EQ(m["last_time_s"], Seconds(w.Last));
    EXPECT_EQ(m["min_time_s"], Seconds(w.Min));
    EXPECT_EQ(m["max_time_s"], Seconds(w.Max));
    EXPECT_EQ(m["time_decreases"], std::to_string(w.Decreases));
    EXPECT_EQ(m["out_of_order"], w.Decreases > 0 ? "1" : "0");

    // Every run starts at time 0 and ends with the stop, the latest time of the file.
    EXPECT_EQ(w.First, 0);
    EXPECT_EQ(w.Last, w.Max);
    EXPECT_EQ(w.Min, 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, GeneratedLayout,
                         ::testing::Values(TLayoutCase{"isa", 0, 8}, TLayoutCase{"isa", 1, 1},
                                           TLayoutCase{"isa", 3, 2}, TLayoutCase{"isa", 5000, 8},
                                           TLayoutCase{"isa", 2000, 254}, TLayoutCase{"pci", 0, 8},
                                           TLayoutCase{"pci", 1, 1}, TLayoutCase{"pci", 7, 3},
                                           TLayoutCase{"pci", 5000, 16},
                                           TLayoutCase{"pci", 2000, 254}));

// ---- content ---------------------------------------------------------------------------------

TEST(GeneratedContent, IsaHoldsEveryMessageTypeGainSettingsAndDisorder) {
    TTempDir dir;
    std::string error;
    TGenerateOptions o = Options("isa", dir.File("f.isa"), 2000);
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    TTarvelWalk w;
    ASSERT_EQ(test::WalkIsaFile(test::ReadFileBytes(o.FileName), w), "");
    for (int t = 0; t <= 5; ++t)
        EXPECT_GT(w.Types[t], 0u) << "type " << t;
    EXPECT_GE(w.GainChanges, 2u);
    EXPECT_GT(w.Decreases, 0u);
}

TEST(GeneratedContent, PciHoldsEveryKindWithTextsLongHitGainsAndDisorder) {
    TTempDir dir;
    std::string error;
    TGenerateOptions o = Options("pci", dir.File("f.pci"), 2000);
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    TTarvelWalk w;
    ASSERT_EQ(test::WalkPciFile(test::ReadFileBytes(o.FileName), w), "");
    for (int t = 0; t <= 7; ++t)
        EXPECT_GT(w.Types[t], 0u) << "kind " << t;
    EXPECT_EQ(w.Types[6], w.Types[7]); // every time mark has its text
    for (const std::string& text : w.Texts) {
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 18u);
    }
    EXPECT_GE(w.GainChanges, 2u);
    EXPECT_FALSE(w.LongHitGains.empty());
    for (int32_t g : w.LongHitGains)
        EXPECT_TRUE(g == 18 || g == 24 || g == 30 || g == 36) << g;
    EXPECT_GT(w.Decreases, 0u);
}

TEST(GeneratedContent, InOrderRunHasNoDecreasingTime) {
    TTempDir dir;
    std::string error;
    for (const char* format : {"isa", "pci"}) {
        TGenerateOptions o = Options(format, dir.File(format), 20000);
        o.InOrder = true;
        TDataManifest manifest;
        ASSERT_TRUE(GenerateDataFile(o, manifest, error)) << error;
        TTarvelWalk w;
        ASSERT_EQ(Walk(format, test::ReadFileBytes(o.FileName), w), "");
        EXPECT_EQ(w.Decreases, 0u) << format;
        EXPECT_EQ(manifest.TimeDecreases, 0u) << format;
    }
}

TEST(GeneratedContent, ProgressEndsAtTheTotal) {
    TTempDir dir;
    std::string error;
    TGenerateOptions o = Options("isa", dir.File("f"), 600000);
    uint64_t calls = 0, lastDone = 0, total = 0;
    bool monotonic = true;
    o.OnProgress = [&](uint64_t done, uint64_t all) {
        monotonic = monotonic && done >= lastDone;
        lastDone = done;
        total = all;
        ++calls;
    };
    ASSERT_TRUE(GenerateDataFile(o, error)) << error;
    EXPECT_GE(calls, 2u);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastDone, 600000u);
    EXPECT_EQ(total, 600000u);
}

// ---- failures --------------------------------------------------------------------------------

TEST(GenerateFailures, BadOptionsAreRefusedWithoutAFile) {
    TTempDir dir;
    std::string error;
    const std::string file = dir.File("f");
    EXPECT_FALSE(GenerateDataFile(Options("dta", file, 10), error));
    EXPECT_EQ(error, "unknown format 'dta'");
    EXPECT_FALSE(GenerateDataFile(Options("isa", file, 10, 0), error));
    EXPECT_EQ(error, "the number of channels must be between 1 and 254");
    EXPECT_FALSE(GenerateDataFile(Options("pci", file, 10, 255), error));
    EXPECT_FALSE(GenerateDataFile(Options("pci", file, MaxGenerateHits + 1), error));
    TGenerateOptions same = Options("isa", file, 10);
    same.ManifestFileName = file;
    EXPECT_FALSE(GenerateDataFile(same, error));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(GenerateFailures, UnwritableTargetNamesTheFile) {
    TTempDir dir;
    std::string error;
    EXPECT_FALSE(GenerateDataFile(Options("isa", dir.File("missing/f"), 10), error));
    EXPECT_NE(error.find("Cannot create file " + dir.File("missing/f")), std::string::npos)
        << error;
    EXPECT_FALSE(GenerateDataFile(Options("isa", dir.Path(), 10), error)); // a folder
    EXPECT_FALSE(error.empty());
}

TEST(GenerateFailures, FullDiskIsReportedAndTheDeviceStays) {
    struct stat before {};
    if (stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode))
        GTEST_SKIP() << "no /dev/full here";
    std::string error;
    EXPECT_FALSE(GenerateDataFile(Options("pci", "/dev/full", 100000), error));
    EXPECT_NE(error.find("Cannot write file /dev/full"), std::string::npos) << error;
    struct stat after {};
    ASSERT_EQ(stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
}

TEST(GenerateFailures, UnopenableExistingFileIsLeftAlone) {
    TTempDir dir;
    const std::string file = dir.File("readonly");
    test::WriteFileBytes(file, "precious");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    std::string error;
    const bool written = GenerateDataFile(Options("isa", file, 10), error);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    if (written) GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_EQ(test::ReadFileBytes(file), "precious");
}

// ---- command line ----------------------------------------------------------------------------

namespace {

bool Parse(std::vector<const char*> args, TGenerateOptions& o, bool& help, std::string& error) {
    args.insert(args.begin(), "vorelt-mkdata");
    return ParseGenerateArguments(static_cast<int>(args.size()), args.data(), o, help, error);
}

} // namespace

TEST(GenerateArguments, AcceptsTheDocumentedForms) {
    TGenerateOptions o;
    bool help = false;
    std::string error;
    ASSERT_TRUE(Parse({"pci", "out.pci", "--hits", "12", "--channels=4", "--seed", "99",
                       "--manifest", "m.txt", "--in-order"},
                      o, help, error))
        << error;
    EXPECT_FALSE(help);
    EXPECT_EQ(o.Format, "pci");
    EXPECT_EQ(o.FileName, "out.pci");
    EXPECT_EQ(o.Hits, 12u);
    EXPECT_EQ(o.Channels, 4);
    EXPECT_EQ(o.Seed, 99u);
    EXPECT_EQ(o.ManifestFileName, "m.txt");
    EXPECT_TRUE(o.InOrder);

    TGenerateOptions d;
    ASSERT_TRUE(Parse({"--hits=0", "isa", "x"}, d, help, error)) << error;
    EXPECT_EQ(d.Channels, 8);
    EXPECT_EQ(d.Seed, 1u);
    EXPECT_FALSE(d.InOrder);

    ASSERT_TRUE(Parse({"--help"}, d, help, error));
    EXPECT_TRUE(help);
}

TEST(GenerateArguments, RefusesBadArgumentsWithOneLine) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, "missing FORMAT and OUT"},
        {{"isa"}, "missing OUT"},
        {{"isa", "x"}, "missing --hits N"},
        {{"dta", "x", "--hits", "1"},
         "unknown format 'dta' (expected isa or pci or disp or spartan or spartan-dispbytes or "
         "vallen)"},
        {{"isa", "x", "--hits", "-1"}, "invalid value '-1' for --hits"},
        {{"isa", "x", "--hits", "1e3"}, "invalid value '1e3' for --hits"},
        {{"isa", "x", "--hits", "2147483648"}, "invalid value '2147483648' for --hits"},
        {{"isa", "x", "--hits"}, "option --hits needs a value"},
        {{"isa", "x", "--hits", "1", "--channels", "0"}, "invalid value '0' for --channels"},
        {{"isa", "x", "--hits", "1", "--channels", "255"}, "invalid value '255' for --channels"},
        {{"isa", "x", "--hits", "1", "--seed", "abc"}, "invalid value 'abc' for --seed"},
        {{"isa", "x", "--hits", "1", "--manifest="}, "option --manifest needs a file name"},
        {{"isa", "x", "--hits", "1", "--colour"}, "unknown option '--colour'"},
        {{"isa", "x", "y", "--hits", "1"}, "unexpected argument 'y'"},
        {{"isa", "x", "--hits", "1", "--in-order=1"}, "option --in-order takes no value"},
    };
    for (const auto& [args, expected] : cases) {
        TGenerateOptions o;
        bool help = false;
        std::string error;
        EXPECT_FALSE(Parse(args, o, help, error)) << expected;
        EXPECT_EQ(error.rfind(expected, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(Manifest, ParsesItsOwnText) {
    TDataManifest m;
    m.Format = "pci";
    m.Kinds[1] = 5;
    m.AddTimedMessage(0, 1, 2500000);
    m.AddTimedMessage(0, 1, 1000000);
    auto values = ParseManifestText(m.ToText() + "no separator here\r\nx: a: b\r\n");
    EXPECT_EQ(values["format"], "pci");
    EXPECT_EQ(values["kind1"], "7");
    EXPECT_EQ(values["first_time_s"], "2,500000");
    EXPECT_EQ(values["min_time_s"], "1,000000");
    EXPECT_EQ(values["time_decreases"], "1");
    EXPECT_EQ(values["active_channels"], "");
    EXPECT_EQ(values["x"], "a: b");
    EXPECT_EQ(values.count("no separator here"), 0u);
}
