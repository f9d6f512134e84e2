// vorelt-cli waves: the features row of one waveform against the oracle row, the samples of one
// waveform, and the errors.

#include "cli/TCliCommands.h"
#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorelt::test {
namespace {

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> parts;
    std::stringstream s(line);
    std::string part;
    while (std::getline(s, part, ';'))
        parts.push_back(part);
    return parts;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line))
        lines.push_back(line);
    return lines;
}

int RunWaves(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::ostringstream o, e;
    const int rc = cli::RunCli(args, o, e);
    out = o.str();
    err = e.str();
    return rc;
}

TEST(WavesCli, EveryRowInTraiOrderAsEachAlone) {
    // Many waveforms are computed by two threads at once; the rows come out in TRAI order and
    // equal the rows of the waveforms asked for one by one.
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.tradb", tradb);
    std::string out, err;
    ASSERT_EQ(RunWaves({"waves", tradb, "--features"}, out, err), 0) << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 491u);
    int64_t last = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        const int64_t trai = std::stoll(Cells(lines[i]).at(0));
        EXPECT_GT(trai, last);
        last = trai;
    }
    for (const size_t i : {size_t(1), size_t(200), size_t(490)}) {
        const std::string trai = Cells(lines[i]).at(0);
        std::string one;
        ASSERT_EQ(RunWaves({"waves", tradb, "--features", "--index", trai}, one, err), 0) << err;
        EXPECT_EQ(Lines(one).at(1), lines[i]) << trai;
    }
}

TEST(WavesCli, FeaturesRowMatchesTheOracleRow) {
    VORELT_REQUIRE_SHARED_DATA("vallen", dir);
    TTempDir temp;
    // A copy beside nothing else: reading must not write beside the file.
    const std::string tradb = CopyToTemp(dir + "/steel_plate_plain.tradb", temp);
    std::string out, err;
    ASSERT_EQ(RunWaves({"waves", tradb, "--features", "--index", "3"}, out, err), 0) << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u);
    std::ifstream oracleFile(dir + "/steel_plate_plain.wave.csv");
    std::string oracleHead, oracleRow;
    std::getline(oracleFile, oracleHead);
    while (std::getline(oracleFile, oracleRow) && oracleRow.rfind("3;", 0) != 0) {
    }
    const std::vector<std::string> names = Cells(oracleHead), expected = Cells(oracleRow);
    const std::vector<std::string> gotNames = Cells(lines[0]), got = Cells(lines[1]);
    ASSERT_GE(gotNames.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(gotNames[i], names[i]); // the oracle's columns first, in its order
        const double e = std::stod(expected[i]), g = std::stod(got[i]);
        EXPECT_LE(std::fabs(e - g), 1e-9 * std::fabs(e)) << names[i] << ": " << got[i];
    }
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(WavesCli, SamplesOfOneWaveformFromTheHitDatabase) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", pridb);
    std::string out, err;
    ASSERT_EQ(RunWaves({"waves", pridb, "--index", "2"}, out, err), 0) << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 5001u);
    EXPECT_EQ(lines[0], "Time;Volts");
    // bearing.wave.csv, TRAI 2: no pretrigger, 500 kHz, Sample0 and Sample1.
    EXPECT_EQ(lines[1], "0;-0.00028618567739613354");
    EXPECT_EQ(lines[2], "2e-06;-7.306868792511523e-05");
}

TEST(WavesCli, ErrorsNameTheFileAndTheReason) {
    std::string out, err;
    EXPECT_EQ(RunWaves({"waves", "/nonexistent/x.tradb"}, out, err), 1);
    EXPECT_NE(err.find("/nonexistent/x.tradb"), std::string::npos) << err;
    TTempDir temp;
    const std::string lone = temp.File("lone.pridb");
    WriteFileBytes(lone, "x");
    EXPECT_EQ(RunWaves({"waves", lone, "--features"}, out, err), 1);
    EXPECT_NE(err.find("lone.pridb: no transient database"), std::string::npos) << err;
    EXPECT_EQ(RunWaves({"waves"}, out, err), 2);
    EXPECT_EQ(RunWaves({"waves", lone, "--index", "x"}, out, err), 2);
    EXPECT_EQ(RunWaves({"waves", lone, "--bogus"}, out, err), 2);
}

TEST(WavesCli, MissingWaveformIsNamed) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", dta);
    std::string out, err;
    EXPECT_EQ(RunWaves({"waves", dta, "--index", "8"}, out, err), 1);
    EXPECT_NE(err.find("no waveform 8"), std::string::npos) << err;
    ASSERT_EQ(RunWaves({"waves", dta}, out, err), 0) << err;
    EXPECT_EQ(Lines(out).size(), 9u);
}

TEST(WavesCli, DumpTakesTheWaveformFieldsWhenAskedForThem) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", pridb);
    TTempDir dir;
    // A copy: the driver keeps its companion log beside the file it opens.
    for (const char* ext : {".pridb", ".tradb"}) {
        std::filesystem::path from(pridb);
        from.replace_extension(ext);
        std::filesystem::copy_file(from, dir.File(std::string("bearing") + ext));
    }
    const std::string copy = dir.File("bearing.pridb");
    // dump opens the file through the drivers' registry, which this test must not owe to the
    // tests that ran before it.
    RegisterDriversClasses();
    std::string out, err;
    ASSERT_EQ(RunWaves({"dump", copy, "--kinds", "1", "--fields",
                        "0000000000000074,0000000000000077,0000000000000081"},
                       out, err),
              0)
        << err;
    std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 491u);
    EXPECT_EQ(lines[0], "WaveIndex;WaveSigStrength;PeakFreq");
    // bearing.wave.csv, TRAI 1: 1020.6599174962321 nVs, 63800 Hz.
    EXPECT_EQ(lines[1], "1;1020,65991749623;63,8");

    // Every field without --fields: those of the file, not those computed from waveforms.
    ASSERT_EQ(RunWaves({"dump", copy, "--kinds", "1"}, out, err), 0) << err;
    lines = Lines(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].find("Wave"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("Freq"), std::string::npos) << lines[0];
}

TEST(WavesCli, DumpGivesDispHitsTheirWaveformMessage) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", dta);
    TTempDir dir;
    const std::string copy = dir.File("t.DTA");
    std::filesystem::copy_file(dta, copy);
    RegisterDriversClasses();
    std::string out, err;
    ASSERT_EQ(RunWaves({"dump", copy, "--kinds", "1", "--fields", "0000000000000074"}, out, err), 0)
        << err;
    EXPECT_EQ(Lines(out),
              (std::vector<std::string>{"WaveIndex", "0", "1", "2", "3", "4", "5", "6", "7"}));
}

} // namespace
} // namespace vorelt::test
