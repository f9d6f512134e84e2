// vorelt-cli locate over real and generated files: where the sources of the events lie, how
// the error follows the arrival-time noise, and the refusals.

#include "cli/TCliCommands.h"
#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "mkdata/TLocatedData.h"
#include "persist/TNumberFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace vorelt::test {
namespace {

struct TLocateRun {
    int Status;
    std::string Out;
    std::string Err;
};

TLocateRun Locate(std::vector<std::string> args) {
    RegisterDriversClasses();
    args.insert(args.begin(), "locate");
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (;;) {
            const size_t at = line.find(';', start);
            cells.push_back(line.substr(start, at - start));
            if (at == std::string::npos) break;
            start = at + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

double Number(const std::string& s) {
    return static_cast<double>(StrToFloat(s));
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Location errors (mm) of a generated file, sorted; unlocated events count as infinite.
std::vector<double> Errors(const TTempDir& dir, const std::string& layout, double noiseUs,
                           double velocity) {
    TLocatedOptions options;
    options.FileName = dir.File(layout + ".pridb");
    options.Layout = layout;
    options.Events = 400;
    options.NoiseUs = noiseUs;
    options.Velocity = velocity;
    options.LayoutFileName = dir.File(layout + ".csv");
    std::vector<TLocatedSource> sources;
    std::string error;
    EXPECT_TRUE(GenerateLocatedFile(options, sources, error)) << error;
    const bool plate = layout == "plate";
    const TLocateRun r =
        Locate({options.FileName, "--sensors", options.LayoutFileName, "--velocity",
                FloatToStr(velocity), "--method", plate ? "planar" : "linear"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const auto rows = Rows(r.Out);
    EXPECT_EQ(rows.size(), sources.size() + 1);
    std::vector<double> errors;
    for (size_t i = 0; i + 1 < rows.size() && i < sources.size(); ++i) {
        const std::vector<std::string>& row = rows[i + 1];
        EXPECT_NEAR(Number(row[0]), sources[i].TimeUs / 1e6, 1e-9);
        if (row[3].empty()) {
            errors.push_back(INFINITY);
        } else if (plate) {
            errors.push_back(
                std::hypot(Number(row[2]) - sources[i].X, Number(row[3]) - sources[i].Y));
        } else {
            errors.push_back(std::abs(Number(row[3]) - sources[i].X));
        }
    }
    std::sort(errors.begin(), errors.end());
    return errors;
}

} // namespace

TEST(CliLocate, SteelPlateEventAndNothingBesideTheFile) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", file);
    TTempDir dir;
    const std::string copy = CopyToTemp(file, dir);
    TTempDir other;
    WriteFileBytes(other.File("LAYOUT.csv"),
                   "Chan;X;Y\n1;600;600\n2;150;600\n3;150;150\n4;600;150\n");
    TLocateRun r = Locate({copy, "--sensors", other.File("LAYOUT.csv"), "--velocity", "5000"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Time;Hits;X;Y;Uncertainty;Sensors\n3.9927710;4;221.653;365.659;1.116;4\n");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"steel_plate.pridb"});
    // A window too short for the wave to cross: four events of one hit, none located.
    r = Locate(
        {copy, "--sensors", other.File("LAYOUT.csv"), "--velocity", "5000", "--window", "0"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Rows(r.Out).size(), 5u);
    EXPECT_EQ(Rows(r.Out)[1], (std::vector<std::string>{"3.9927710", "1", "", "", "", "1"}));
}

// The file keeps times in steps of 0.1 µs: at 1000 m/s a step is 0.1 mm of path, at 5000 m/s
// 0.5 mm, which bounds the error of a noise-free file.
TEST(CliLocate, NoiseFreeSourcesAreFoundWithinTheFileTimeStep) {
    TTempDir dir;
    for (const char* layout : {"plate", "pipe"}) {
        std::vector<double> e = Errors(dir, layout, 0, 1000);
        EXPECT_LE(e.back(), 0.1) << layout;
        e = Errors(dir, layout, 0, 5000);
        EXPECT_LE(e.back(), 0.5) << layout;
    }
}

TEST(CliLocate, ErrorFollowsTheArrivalNoise) {
    TTempDir dir;
    for (const char* layout : {"plate", "pipe"}) {
        double lastMedian = 0;
        for (double noise : {0.2, 1.0, 4.0}) {
            const std::vector<double> e = Errors(dir, layout, noise, 5000);
            const double median = e[e.size() / 2];
            // Error in mm about the noise's path length v * noise (5 mm per µs), never far
            // from it.
            EXPECT_GT(median, lastMedian * 2) << layout << " " << noise;
            EXPECT_LT(median, 5 * noise * 3) << layout << " " << noise;
            lastMedian = median;
        }
    }
}

TEST(CliLocate, RefusalsNameTheFileAndTheReason) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", file);
    TTempDir dir;
    const std::string copy = CopyToTemp(file, dir);
    TTempDir other;
    const std::string layout = other.File("L.csv");
    WriteFileBytes(layout, "1;600;600\n2;150;600\n3;150;150\n9;600;150\n");
    TLocateRun r = Locate({copy, "--sensors", layout, "--velocity", "5000"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + layout + ", line 4: Invalid Channel 9\n");
    WriteFileBytes(layout, "1;600;600\n1;150;600\n");
    r = Locate({copy, "--sensors", layout, "--velocity", "5000"});
    EXPECT_EQ(r.Err, "error: " + layout + ", line 2: Duplicate Channel 1\n");
    WriteFileBytes(layout, "1;600\n");
    r = Locate({copy, "--sensors", layout, "--velocity", "5000"});
    EXPECT_EQ(r.Err,
              "error: " + layout + ", line 1: expected Chan;X;Y or Chan;X;Y;Z, found 2 fields\n");
    r = Locate({copy, "--sensors", other.File("missing.csv"), "--velocity", "5000"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + other.File("missing.csv") + ": the file could not be opened\n");
    r = Locate({other.File("none.pridb"), "--sensors", layout, "--velocity", "5000"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("error: " + other.File("none.pridb") + ": ", 0), 0u) << r.Err;
    EXPECT_EQ(Locate({copy, "--sensors", layout}).Status, 2);
    EXPECT_EQ(Locate({copy, "--sensors", layout, "--velocity", "-3"}).Status, 2);
    EXPECT_EQ(Locate({copy, "--sensors", layout, "--velocity", "5000", "--method", "x"}).Status, 2);
    EXPECT_EQ(Locate({copy, "--sensors", layout, "--velocity", "5000", "--bogus", "1"}).Status, 2);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"steel_plate.pridb"});
}

} // namespace vorelt::test
