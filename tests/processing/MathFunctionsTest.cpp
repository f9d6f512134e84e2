// Statistical functions of the math processor on short hand-computed sequences, grouped by
// channel and over all hits.

#include "MathTestSupport.h"
#include "processing/math/RegisterMathClasses.h"
#include "processing/math/TGVCPUPrc.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorelt::mathtest {
namespace {

using Values = std::vector<std::optional<long double>>;
constexpr std::nullopt_t none = std::nullopt;

class MathFunctions : public testing::Test {
protected:
    MathFunctions() {
        RegisterMathClasses();
        Source->SetContext(&Project);
        Math = Source->AddNew<TGVCPUPrc>();
        // ch1: ampl 5, 2, 9; ch2: ampl 3, 7; a time mark in between; energy 2, 4, 8, 1, 0.
        Source->Hit(1, 5, 2.0L);
        Source->Hit(2, 3, 4.0L);
        Source->AddRecord(rkTimeMark);
        Source->Hit(1, 2, 8.0L);
        Source->Hit(2, 7, 1.0L);
        Source->Hit(1, 9, 0.0L);
    }

    TAEField* Function(uint8_t type, const std::string& func, const std::string& group,
                       const std::vector<TStatFormParam>& params) {
        TAEField* f = Math->AddCalcField(type, "F" + std::to_string(Math->OwnFields().Count()));
        Math->SetFieldFunction(*f, func, group, params);
        return f;
    }
    TAEField* OfX(const std::string& func, bool grouped, const char* x = fidAmpl,
                  uint8_t type = dtInteger) {
        return Function(type, func, grouped ? fidChan : "", {{"X", x, ""}});
    }
    Values Column(const TAEField* f) {
        Values out;
        for (const TReadRow& r : ReadAll(*Math, f->ID()))
            out.push_back(r.Value);
        return out;
    }
    static void ExpectNear(const Values& got, const Values& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].has_value(), want[i].has_value()) << "record " << i;
            if (want[i]) {
                EXPECT_NEAR(static_cast<double>(*got[i]), static_cast<double>(*want[i]), 1e-12)
                    << "record " << i;
            }
        }
    }

    std::unique_ptr<TTestSource> Source = std::make_unique<TTestSource>();
    TTestProject Project{Source.get()};
    TGVCPUPrc* Math = nullptr;
};

TEST_F(MathFunctions, RunningValuesPerChannelAndOverAllHits) {
    const TAEField* minG = OfX("Min", true);
    const TAEField* minA = OfX("Min", false);
    const TAEField* maxG = OfX("Max", true);
    const TAEField* maxA = OfX("Max", false);
    const TAEField* sumG = OfX("Sum", true);
    const TAEField* sumA = OfX("Sum", false);
    const TAEField* avgG = OfX("Avg", true);
    const TAEField* devG = OfX("Deviation", true);
    const TAEField* prevG = OfX("Prev", true);
    const TAEField* nextG = OfX("Next", true);
    const TAEField* nextA = OfX("Next", false);
    ExpectNear(Column(minG), {5, 3, none, 2, 3, 2});
    ExpectNear(Column(minA), {5, 3, none, 2, 2, 2});
    ExpectNear(Column(maxG), {5, 3, none, 5, 7, 9});
    ExpectNear(Column(maxA), {5, 5, none, 5, 7, 9});
    ExpectNear(Column(sumG), {5, 3, none, 7, 10, 16});
    ExpectNear(Column(sumA), {5, 8, none, 10, 17, 26});
    // ch1: 5, 3.5 -> 4 (to even), 16/3 -> 5; ch2: 3, 5.
    ExpectNear(Column(avgG), {5, 3, none, 4, 5, 5});
    ExpectNear(Column(devG), {5, 3, none, -3, 4, 7});
    ExpectNear(Column(prevG), {none, none, none, 5, 3, 2});
    ExpectNear(Column(nextG), {2, 7, none, 9, none, none});
    ExpectNear(Column(nextA), {3, 2, none, 7, 9, none});
}

TEST_F(MathFunctions, IntegerAverageRoundsHalfToEvenAndFloatKeepsFraction) {
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    TGVCPUPrc* m = source->AddNew<TGVCPUPrc>();
    source->Hit(1, 2, 1.0L);
    source->Hit(1, 3, 2.0L);
    source->Hit(2, 1, 1.0L);
    source->Hit(2, 2, 1.0L);
    TAEField* avgInt = m->AddCalcField(dtInteger, "AvgInt");
    m->SetFieldFunction(*avgInt, "Avg", fidChan, {{"X", fidAmpl, ""}});
    TAEField* avgFloat = m->AddCalcField(dtExtended, "AvgFloat");
    m->SetFieldFunction(*avgFloat, "Avg", fidChan, {{"X", fidEnergy, ""}});
    const auto ints = ReadAll(*m, avgInt->ID());
    // 2,3 -> 2.5 -> 2; 1,2 -> 1.5 -> 2.
    EXPECT_EQ(*ints[1].Value, 2);
    EXPECT_EQ(*ints[3].Value, 2);
    EXPECT_NEAR(static_cast<double>(*ReadAll(*m, avgFloat->ID())[1].Value), 1.5, 1e-15);
}

TEST_F(MathFunctions, ArithmeticFunctionsOfSeveralParameters) {
    const TAEField* ratio = Function(dtExtended, "Ratio", "",
                                     {{"A", "", "2"}, {"X", fidAmpl, ""}, {"Y", fidEnergy, ""}});
    const TAEField* product = Function(
        dtExtended, "Product", "", {{"A", "", "0,5"}, {"X", fidAmpl, ""}, {"Y", fidEnergy, ""}});
    const TAEField* summa =
        Function(dtExtended, "Summa", "",
                 {{"A", "", "1"}, {"X", fidAmpl, ""}, {"B", "", "10"}, {"Y", fidEnergy, ""}});
    const TAEField* power =
        Function(dtExtended, "Power", "", {{"A", "", "2"}, {"X", fidEnergy, ""}, {"K", "", "2"}});
    const TAEField* lg =
        Function(dtExtended, "Lg", "", {{"A", "", "1"}, {"X", fidEnergy, ""}, {"B", "", "2"}});
    const TAEField* ln = Function(dtExtended, "Ln", "", {{"A", "", "3"}, {"X", fidEnergy, ""}});
    ExpectNear(Column(ratio), {5, 1.5, none, 0.5, 14, none});
    ExpectNear(Column(product), {5, 6, none, 8, 3.5, 0});
    ExpectNear(Column(summa), {25, 43, none, 82, 17, 9});
    ExpectNear(Column(power), {8, 32, none, 128, 2, 0});
    ExpectNear(Column(lg), {1, 2, none, 3, 0, none});
    ExpectNear(Column(ln),
               {3 * std::log(2.0L), 3 * std::log(4.0L), none, 3 * std::log(8.0L), 0, none});
}

TEST_F(MathFunctions, LogarithmOfNegativeValueIsNaNWithoutError) {
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    TGVCPUPrc* m = source->AddNew<TGVCPUPrc>();
    source->Hit(1, 1, -4.0L);
    TAEField* ln = m->AddCalcField(dtExtended, "Ln");
    m->SetFieldFunction(*ln, "Ln", "", {{"A", "", "1"}, {"X", fidEnergy, ""}});
    const auto rows = ReadAll(*m, ln->ID());
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(rows[0].Value);
    EXPECT_TRUE(std::isnan(static_cast<double>(*rows[0].Value)));
    EXPECT_FALSE(m->HasError());
}

TEST_F(MathFunctions, SummaTakesAnEmptyOperandAsItsFieldReports) {
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    TGVCPUPrc* m = source->AddNew<TGVCPUPrc>();
    source->Hit(1, 4, std::nullopt);
    source->Hit(1, std::nullopt, std::nullopt);
    TAEField* s = m->AddCalcField(dtExtended, "S");
    m->SetFieldFunction(*s, "Summa", "",
                        {{"A", "", "1"}, {"X", fidAmpl, ""}, {"B", "", "1"}, {"Y", fidEnergy, ""}});
    const auto rows = ReadAll(*m, s->ID());
    EXPECT_NEAR(static_cast<double>(*rows[0].Value), 4.0, 1e-15);
    EXPECT_FALSE(rows[1].Value);
}

// Severity and historic index need longer runs: one channel of values 1..n, or two channels
// interleaved.
class MathIndicators : public testing::Test {
protected:
    MathIndicators() {
        RegisterMathClasses();
        Source->SetContext(&Project);
        Math = Source->AddNew<TGVCPUPrc>();
    }
    std::vector<long double> Run(const std::string& func, bool grouped) {
        TAEField* f = Math->AddCalcField(dtExtended, func);
        Math->SetFieldFunction(*f, func, grouped ? fidChan : "", {{"X", fidEnergy, ""}});
        std::vector<long double> out;
        for (const TReadRow& r : ReadAll(*Math, f->ID()))
            out.push_back(r.Value ? *r.Value : -999);
        return out;
    }
    std::unique_ptr<TTestSource> Source = std::make_unique<TTestSource>();
    TTestProject Project{Source.get()};
    TGVCPUPrc* Math = nullptr;
};

TEST_F(MathIndicators, SeverityAveragesTheJLargestOnceJAreHeld) {
    for (int v = 1; v <= 12; ++v)
        Source->Hit(1, 0, v);
    const auto s = Run("Severity", false);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(s[static_cast<size_t>(i)], 0.0L) << i;
    EXPECT_NEAR(static_cast<double>(s[9]), 5.5, 1e-15);
    EXPECT_NEAR(static_cast<double>(s[10]), 6.5, 1e-15);
    EXPECT_NEAR(static_cast<double>(s[11]), 7.5, 1e-15);
}

TEST_F(MathIndicators, SeverityKeepsTheLargestPerChannelAndReadsJFromTheProject) {
    Project.ZIP.SetJ(11);
    // ch1: 100, 1, 1, ...; ch2: 1..12 in between.
    for (int v = 1; v <= 12; ++v) {
        Source->Hit(1, 0, v == 1 ? 100 : 1);
        Source->Hit(2, 0, v);
    }
    const auto s = Run("Severity", true);
    // 11th value of each channel: ch1 mean(100 + ten 1s), ch2 mean(1..11).
    EXPECT_EQ(s[18], 0.0L);
    EXPECT_NEAR(static_cast<double>(s[20]), 110.0 / 11, 1e-12);
    EXPECT_NEAR(static_cast<double>(s[21]), 66.0 / 11, 1e-12);
    // 12th: ch2 drops 1 for 12.
    EXPECT_NEAR(static_cast<double>(s[23]), 77.0 / 11, 1e-12);
}

TEST_F(MathIndicators, HistoricIndexWithTheDefaultKTable) {
    for (int v = 1; v <= 12; ++v)
        Source->Hit(1, 0, v);
    const auto h = Run("HistoricIndex", false);
    for (int i = 0; i < 10; ++i)
        EXPECT_NEAR(static_cast<double>(h[static_cast<size_t>(i)]), 1.0, 1e-15) << i;
    // n = 10: window 2..11 (mean 6.5) against 66/11; n = 11: window 2..12 against 78/12.
    EXPECT_NEAR(static_cast<double>(h[10]), 6.5 / 6.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(h[11]), 7.0 / 6.5, 1e-15);
}

// The window rule restated naively (the whole window summed every time), against which the
// running sum must hold over a long run crossing every K row.
std::vector<long double> NaiveHistoric(const std::vector<long double>& xs,
                                       const TZIPParameters& zip) {
    std::vector<long double> out, w;
    long double total = 0;
    for (size_t n = 0; n < xs.size(); ++n) {
        const long double x = xs[n];
        const int64_t r = static_cast<int64_t>(n) - zip.HistoricIndexK(static_cast<int64_t>(n));
        total += x;
        if (r == -1) {
            out.push_back(0);
        } else if (r == 0) {
            out.push_back(1);
        } else if (r > 0) {
            if (static_cast<int64_t>(w.size()) >= r) w.erase(w.begin(), w.end() - (r - 1));
            w.push_back(x);
            long double sum = 0;
            for (long double v : w)
                sum += v;
            out.push_back(sum / w.size() / (total / (n + 1)));
        } else {
            out.push_back(-999);
        }
    }
    return out;
}

TEST_F(MathIndicators, HistoricIndexRunningWindowMatchesTheRuleOverLongRuns) {
    std::vector<long double> ch1, ch2;
    uint32_t seed = 17;
    for (int i = 0; i < 2600; ++i) {
        seed = seed * 1103515245u + 12345u;
        const long double v = 1 + (seed >> 16) % 1000;
        const int chan = i % 3 == 0 ? 2 : 1;
        (chan == 1 ? ch1 : ch2).push_back(v);
        Source->Hit(chan, 0, v);
    }
    const auto h = Run("HistoricIndex", true);
    const auto want1 = NaiveHistoric(ch1, Project.ZIP);
    const auto want2 = NaiveHistoric(ch2, Project.ZIP);
    size_t i1 = 0, i2 = 0;
    for (int i = 0; i < 2600; ++i) {
        const long double want = i % 3 == 0 ? want2[i2++] : want1[i1++];
        ASSERT_NEAR(static_cast<double>(h[static_cast<size_t>(i)]), static_cast<double>(want),
                    1e-12)
            << i;
    }
}

TEST_F(MathIndicators, HistoricIndexFollowsTheProjectKTable) {
    Project.ZIP.SetKText(1, "N+1"); // r = -1 for 10..14 earlier values
    Project.ZIP.SetKText(2, "N+0"); // r = 0 for 15..74
    ASSERT_TRUE(Project.ZIP.ParseK());
    for (int v = 1; v <= 17; ++v)
        Source->Hit(1, 0, v);
    const auto h = Run("HistoricIndex", false);
    EXPECT_EQ(h[10], 0.0L);
    EXPECT_EQ(h[14], 0.0L);
    EXPECT_EQ(h[15], 1.0L);
    EXPECT_EQ(h[16], 1.0L);
}

TEST(MathGroups, KeysAbove32BitsAreDistinctGroups) {
    RegisterMathClasses();
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    TGVCPUPrc* m = source->AddNew<TGVCPUPrc>();
    // Equal on their low 32 bits.
    const int64_t a = 5, b = 5 + (int64_t{1} << 32);
    for (int64_t key : {a, b, a}) {
        const int32_t i = source->Hit(1, 1, 1);
        source->SetValue(i, posBig, static_cast<long double>(key));
    }
    TAEField* sum = m->AddCalcField(dtInteger, "S");
    m->SetFieldFunction(*sum, "Sum", fidBig, {{"X", fidAmpl, ""}});
    const auto rows = ReadAll(*m, sum->ID());
    EXPECT_EQ(*rows[0].Value, 1);
    EXPECT_EQ(*rows[1].Value, 1);
    EXPECT_EQ(*rows[2].Value, 2);
    ASSERT_NE(m->FunctionOf(0), nullptr);
    EXPECT_EQ(m->FunctionOf(0)->Groups().Count(), 2);
}

TEST(MathGroups, ManyDistinctGroupsEachKeepTheirOwnState) {
    RegisterMathClasses();
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    TGVCPUPrc* m = source->AddNew<TGVCPUPrc>();
    const int groups = 20000;
    for (int round = 0; round < 2; ++round)
        for (int g = 0; g < groups; ++g) {
            const int32_t i = source->Hit(1, g + round, 0);
            source->SetValue(i, posBig, g);
        }
    TAEField* prev = m->AddCalcField(dtInteger, "P");
    m->SetFieldFunction(*prev, "Prev", fidBig, {{"X", fidAmpl, ""}});
    const auto rows = ReadAll(*m, prev->ID());
    ASSERT_EQ(rows.size(), static_cast<size_t>(2 * groups));
    EXPECT_FALSE(rows[groups - 1].Value);
    for (int g = 0; g < groups; g += 997)
        EXPECT_EQ(*rows[static_cast<size_t>(groups + g)].Value, g);
    EXPECT_EQ(m->FunctionOf(0)->Groups().Count(), groups);
}

} // namespace
} // namespace vorelt::mathtest
