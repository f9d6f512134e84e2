// Every waveform of the real files against the values that independent readers computed: the
// samples, the sums, the hit values from the signal, the four pickers and the two spectral
// frequencies.

#include "common/TestData.h"
#include "drivers/waveform/TDispWaveforms.h"
#include "drivers/waveform/TVallenTransients.h"
#include "processing/waveform/TFrequencyMagnitudes.h"
#include "processing/waveform/TWaveformFeatures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace vorelt::test {
namespace {

using TRow = std::map<std::string, std::string>;

std::vector<std::string> SplitSemicolons(const std::string& line) {
    std::vector<std::string> parts;
    std::stringstream s(line);
    std::string part;
    while (std::getline(s, part, ';'))
        parts.push_back(part);
    return parts;
}

std::vector<TRow> ReadOracle(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<TRow> rows;
    if (!std::getline(in, line)) return rows;
    const std::vector<std::string> names = SplitSemicolons(line);
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = SplitSemicolons(line);
        TRow row;
        for (size_t i = 0; i < names.size() && i < cells.size(); ++i)
            row[names[i]] = cells[i];
        rows.push_back(row);
    }
    return rows;
}

double Value(const TRow& row, const std::string& name) {
    const auto it = row.find(name);
    if (it == row.end()) {
        ADD_FAILURE() << "no column " << name;
        return NAN;
    }
    return std::stod(it->second);
}

#define EXPECT_REL(expected, actual, what)                                                         \
    do {                                                                                           \
        const double e_ = (expected), a_ = (actual);                                               \
        EXPECT_LE(std::fabs(e_ - a_), 1e-9 * std::max(std::fabs(e_), std::fabs(a_)))               \
            << (what) << ": expected " << e_ << ", got " << a_;                                    \
    } while (0)

void CheckCommon(const TRow& row, const std::vector<float>& y, const TWaveformFeatures& f,
                 const std::string& id) {
    ASSERT_FALSE(y.empty()) << id;
    EXPECT_REL(Value(row, "SumSquares"), f.SumSquares, id + " SumSquares");
    EXPECT_REL(Value(row, "MaxAbs"), f.MaxAbs, id + " MaxAbs");
    EXPECT_REL(Value(row, "Sample0"), y.front(), id + " Sample0");
    EXPECT_REL(Value(row, "SampleMid"), y[y.size() / 2], id + " SampleMid");
    EXPECT_REL(Value(row, "SampleLast"), y.back(), id + " SampleLast");
    EXPECT_REL(Value(row, "PeakFrequency"), f.PeakFrequency, id + " PeakFrequency");
    EXPECT_REL(Value(row, "CentroidFrequency"), f.CentroidFrequency, id + " CentroidFrequency");
}

void CheckVallenFile(const std::string& tradb, const std::string& oracle) {
    const std::vector<TRow> rows = ReadOracle(oracle);
    ASSERT_FALSE(rows.empty()) << oracle;
    TVallenTransients file(tradb);
    EXPECT_EQ(file.Count(), rows.size());
    TFrequencyMagnitudes spectrum;
    std::vector<float> y;
    std::string message;
    for (const TRow& row : rows) {
        const auto trai = static_cast<int64_t>(Value(row, "TRAI"));
        const std::string id = tradb + " TRAI " + std::to_string(trai);
        const long long at = file.FindTrai(trai);
        ASSERT_GE(at, 0) << id;
        const TWaveformInfo& w = file.Info(size_t(at));
        ASSERT_TRUE(file.Read(size_t(at), y, message)) << message;
        EXPECT_EQ(w.Channel, Value(row, "Chan")) << id;
        EXPECT_REL(Value(row, "Time"), w.Time, id + " Time");
        EXPECT_EQ(w.SampleRate, Value(row, "SampleRate")) << id;
        EXPECT_EQ(double(w.Samples), Value(row, "Samples")) << id;
        EXPECT_EQ(double(y.size()), Value(row, "Samples")) << id;
        EXPECT_EQ(double(w.Pretrigger), Value(row, "Pretrigger")) << id;
        EXPECT_REL(Value(row, "Threshold"), w.Threshold, id + " Threshold");
        TWaveformFeatures f;
        ComputeWaveformFeatures(y, w.SampleRate, w.Threshold, spectrum, f);
        CheckCommon(row, y, f, id);
        EXPECT_REL(Value(row, "Sample1"), y[1], id + " Sample1");
        EXPECT_REL(Value(row, "PeakAmplitude"), f.PeakAmplitude, id + " PeakAmplitude");
        EXPECT_REL(Value(row, "Energy"), f.Energy, id + " Energy");
        EXPECT_REL(Value(row, "SignalStrength"), f.SignalStrength, id + " SignalStrength");
        EXPECT_REL(Value(row, "RMS"), f.RMS, id + " RMS");
        EXPECT_REL(Value(row, "RiseTime"), f.RiseTime, id + " RiseTime");
        EXPECT_EQ(double(f.Counts), Value(row, "Counts")) << id;
        EXPECT_EQ(double(f.HinkleyIndex), Value(row, "HinkleyIndex")) << id;
        EXPECT_EQ(double(f.AicIndex), Value(row, "AicIndex")) << id;
        EXPECT_EQ(double(f.EnergyRatioIndex), Value(row, "EnergyRatioIndex")) << id;
        EXPECT_EQ(double(f.ModifiedEnergyRatioIndex), Value(row, "ModifiedEnergyRatioIndex")) << id;
        EXPECT_REL(std::sqrt(f.PeakFrequency * f.CentroidFrequency), f.WeightedPeakFrequency,
                   id + " WeightedPeakFrequency");
    }
}

TEST(WaveformOracle, VallenFlacAndRawEveryWaveform) {
    VORELT_REQUIRE_SHARED_DATA("vallen", dir);
    CheckVallenFile(dir + "/steel_plate.tradb", dir + "/steel_plate.wave.csv");
    CheckVallenFile(dir + "/steel_plate_plain.tradb", dir + "/steel_plate_plain.wave.csv");
    CheckVallenFile(dir + "/bearing.tradb", dir + "/bearing.wave.csv");
}

TEST(WaveformOracle, VallenTransientsBesideHitDatabase) {
    VORELT_REQUIRE_SHARED_DATA("vallen", dir);
    EXPECT_EQ(TVallenTransients::BesideHitDatabase(dir + "/bearing.pridb"), dir + "/bearing.tradb");
    EXPECT_EQ(TVallenTransients::BesideHitDatabase(dir + "/steel_plate_plain.pridb"),
              dir + "/steel_plate_plain.tradb"); // only the transient database exists
    EXPECT_EQ(TVallenTransients::BesideHitDatabase(dir + "/nothing.pridb"), "");
    // A hit database is no transient database.
    EXPECT_THROW(TVallenTransients(dir + "/bearing.pridb"), std::exception);
}

TEST(WaveformOracle, TransientsOutOfTraiOrderAreFoundByTrai) {
    // A file whose rows do not follow their TRAI (edited or merged by hand): each TRAI still
    // finds its own row.
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.tradb", source);
    vorelt::test::TTempDir dir;
    const std::string file = dir.File("reversed.tradb");
    std::filesystem::copy_file(source, file);
    std::map<int64_t, std::pair<double, float>> before; // TRAI -> time, first sample
    {
        TVallenTransients t(file);
        std::vector<float> volts;
        std::string message;
        for (size_t i = 0; i < t.Count(); ++i) {
            ASSERT_TRUE(t.Read(i, volts, message)) << message;
            before[t.Info(i).Index] = {t.Info(i).Time, volts.at(0)};
        }
    }
    ASSERT_GT(before.size(), 100u);
    const int64_t last = before.rbegin()->first;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    const std::string reverse = "UPDATE tr_data SET TRAI = " + std::to_string(last + 1) + " - TRAI";
    ASSERT_EQ(sqlite3_exec(db, reverse.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    TVallenTransients t(file);
    ASSERT_EQ(t.Count(), before.size());
    std::vector<float> volts;
    std::string message;
    for (const auto& [trai, expected] : before) {
        const long long at = t.FindTrai(last + 1 - trai);
        ASSERT_GE(at, 0) << trai;
        EXPECT_EQ(t.Info(size_t(at)).Time, expected.first) << trai;
        ASSERT_TRUE(t.Read(size_t(at), volts, message)) << message;
        EXPECT_EQ(volts.at(0), expected.second) << trai;
    }
}

TEST(WaveformOracle, DispWaveformMessagesEveryWaveform) {
    VORELT_REQUIRE_SHARED_DATA("disp", dir);
    const std::vector<TRow> rows = ReadOracle(dir + "/210527-CH1-15.wave.csv");
    ASSERT_EQ(rows.size(), 8u);
    TDispWaveforms file(dir + "/210527-CH1-15.DTA");
    EXPECT_TRUE(file.Refused().empty());
    ASSERT_EQ(file.Count(), rows.size());
    TFrequencyMagnitudes spectrum;
    std::vector<float> y;
    std::string message;
    for (const TRow& row : rows) {
        const auto index = static_cast<size_t>(Value(row, "Index"));
        const std::string id = "message " + std::to_string(index);
        ASSERT_LT(index, file.Count());
        const TWaveformInfo& w = file.Info(index);
        ASSERT_TRUE(file.Read(index, y, message)) << message;
        EXPECT_REL(Value(row, "Time"), w.Time, id + " Time");
        EXPECT_EQ(w.Channel, Value(row, "Chan")) << id;
        EXPECT_EQ(w.SampleRate, Value(row, "SampleRate")) << id;
        EXPECT_EQ(double(w.Pretrigger), Value(row, "Delay")) << id;
        EXPECT_EQ(double(w.Samples), Value(row, "Samples")) << id;
        TWaveformFeatures f;
        ComputeWaveformFeatures(y, w.SampleRate, w.Threshold, spectrum, f);
        CheckCommon(row, y, f, id);
    }
}

TEST(WaveformOracle, DispFileWithManyWaveformMessages) {
    VORELT_REQUIRE_SHARED_DATA("disp/260114-4ch-1para.DTA", path);
    TDispWaveforms file(path);
    EXPECT_TRUE(file.Refused().empty());
    EXPECT_EQ(file.Count(), 40u);
    std::vector<float> y;
    std::string message;
    for (size_t i = 0; i < file.Count(); ++i) {
        ASSERT_TRUE(file.Read(i, y, message)) << message;
        EXPECT_EQ(file.Info(i).SampleRate, 5e6);
        EXPECT_EQ(int64_t(y.size()), file.Info(i).Samples);
    }
}

// The spectrum of lengths that go through the chirp transform (a large prime factor) and of
// lengths KissFFT factors itself, against the sum that defines the transform.
TEST(MagnitudeSpectrum, EqualsTheDefiningSumForAnyLength) {
    for (size_t n : {2u, 3u, 12u, 210u, 1031u, 2 * 1031u, 4099u}) {
        std::vector<float> y(n);
        uint32_t state = 12345;
        for (float& v : y) {
            state = state * 1664525u + 1013904223u;
            v = float(int32_t(state >> 16) - 32768) * 1e-4f;
        }
        TFrequencyMagnitudes spectrum;
        spectrum.Compute(y, 1e6);
        ASSERT_EQ(spectrum.Magnitude().size(), n / 2);
        long double largest = 0;
        std::vector<long double> expected(n / 2);
        for (size_t k = 1; k <= n / 2; ++k) {
            long double re = 0, im = 0;
            for (size_t j = 0; j < n; ++j) {
                const long double a = -2.0L * 3.14159265358979323846264338327950288L *
                                      static_cast<long double>((j * k) % n) / n;
                re += y[j] * std::cos(a);
                im += y[j] * std::sin(a);
            }
            expected[k - 1] = std::sqrt(re * re + im * im);
            largest = std::max(largest, expected[k - 1]);
        }
        for (size_t k = 0; k < n / 2; ++k)
            EXPECT_NEAR(double(expected[k]), spectrum.Magnitude()[k], double(largest) * 1e-11)
                << "length " << n << " bin " << k + 1;
        EXPECT_DOUBLE_EQ(spectrum.Frequency(1), 1e6 / double(n));
    }
    EXPECT_EQ(TFrequencyMagnitudes::LargestPrimeFactor(98960), 1237u);
    EXPECT_EQ(TFrequencyMagnitudes::LargestPrimeFactor(4096), 2u);
}

// Pickers on records whose answer is known by construction.
TEST(WaveformPickers, SilenceThenBurst) {
    std::vector<float> y(1000, 0.0f);
    for (size_t k = 600; k < 1000; ++k)
        y[k] = (k % 2 ? 1.0f : -1.0f) * 0.5f;
    // Silence on both sides gives no ratio; energy after silence gives an infinite one, first
    // where the window after k reaches the burst.
    EXPECT_EQ(PickEnergyRatio(y, 100), 500);
    EXPECT_EQ(PickHinkley(y), 599);
    EXPECT_EQ(PickAic(y), 599);
    EXPECT_EQ(PickHinkley({}), -1);
    EXPECT_EQ(PickAic({}), -1);
    TWaveformFeatures f;
    ComputeTimeFeatures(y, 1e6, 0.25, f);
    EXPECT_EQ(f.Counts, 200); // rising crossings from -0.5 to +0.5
    EXPECT_DOUBLE_EQ(f.RiseTime, 0.0);
    EXPECT_DOUBLE_EQ(f.SumSquares, 100.0);
    ComputeTimeFeatures(y, 1e6, 0.75, f);
    EXPECT_EQ(f.Counts, 0);
    EXPECT_DOUBLE_EQ(f.RiseTime, 0.0); // nothing reaches the threshold
}

} // namespace
} // namespace vorelt::test

namespace vorelt::test {

// The Akaike pick goes through an approximate pass; it must give the first smallest value of
// the criterion as defined, also where sides are silent, constant or start with zeros.
TEST(WaveformPickers, AkaikePickIsTheFirstSmallestOfTheCurve) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::vector<float> aic;
    for (int trial = 0; trial < 300; ++trial) {
        const size_t n = 2 + size_t(random() % 3000);
        std::vector<float> y(n);
        const size_t onset = random() % n;
        const float quiet = trial % 3 == 0 ? 0.0f : 1e-3f;
        for (size_t k = 0; k < n; ++k)
            y[k] = (k < onset ? quiet : 1.0f) * noise(random);
        if (trial % 5 == 0) std::fill(y.end() - std::min<size_t>(n, 2), y.end(), 0.25f);
        if (trial % 7 == 0) std::fill(y.begin(), y.begin() + std::min<size_t>(n, 3), 0.0f);
        if (trial % 11 == 0) std::fill(y.begin(), y.end(), 0.5f);
        AkaikeCurve(y, aic);
        const auto first = std::min_element(aic.begin(), aic.end()) - aic.begin();
        EXPECT_EQ(PickAic(y), first) << "trial " << trial << ", " << n << " samples";
    }
}

} // namespace vorelt::test
