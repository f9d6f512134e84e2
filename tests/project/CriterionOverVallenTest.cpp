// Per-channel statistics on real Vallen recordings: the criterion processor's "Sum", "Min",
// "Avg" and "Max" and the math processor's grouped running functions against a recomputation
// from the hits that `vorelt-cli dump --kinds 1` lists. The recordings are read as they come
// and with the status data sets that real acquisitions write between the hits, which are not
// hits and must not count.

#include "ProjectTestSupport.h"
#include "cli/TCliCommands.h"
#include "common/VallenStatusSets.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/math/TGVCPUPrc.h"

#include <cmath>
#include <map>
#include <optional>
#include <sstream>

namespace vorelt {
namespace {

struct TChannelStats {
    long double EnergySum = 0;
    int64_t CountsMin = 0;
    long double CountsSum = 0;
    long double AmplMax = 0;
    bool HasAmpl = false;
    int Hits = 0;
};

long double Number(const std::string& text) {
    std::string t = text;
    for (char& c : t)
        if (c == ',') c = '.';
    return std::strtold(t.c_str(), nullptr);
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line)
        if (c == ';')
            out.emplace_back();
        else if (c != '\r')
            out.back() += c;
    return out;
}

// The hits of the file as the command-line dump lists them, summed up per channel.
std::map<int64_t, TChannelStats> FromDump(const std::string& file) {
    std::ostringstream out, err;
    const std::string fields =
        std::string(fidChan) + "," + fidCount + "," + fidEnergy + "," + fidAmpl;
    EXPECT_EQ(cli::RunCli({"dump", file, "--kinds", "1", "--fields", fields}, out, err), 0)
        << err.str();
    std::map<int64_t, TChannelStats> stats;
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line); // captions
    while (std::getline(lines, line)) {
        const std::vector<std::string> c = Cells(line);
        if (c.size() != 4 || c[0].empty()) continue;
        TChannelStats& s = stats[std::stoll(c[0])];
        const auto counts = static_cast<int64_t>(Number(c[1]));
        s.CountsMin = s.Hits == 0 ? counts : std::min(s.CountsMin, counts);
        s.CountsSum += counts;
        s.EnergySum += Number(c[2]);
        if (!c[3].empty()) {
            s.AmplMax = s.HasAmpl ? std::max(s.AmplMax, Number(c[3])) : Number(c[3]);
            s.HasAmpl = true;
        }
        ++s.Hits;
    }
    return stats;
}

// Value of field `id` in each record of `p` that has a channel, by channel: the last one.
std::map<int64_t, std::optional<long double>> LastPerChannel(TGVCPU& p, const std::string& id,
                                                             uint16_t kinds = 0) {
    TAERecord rec;
    p.PrepareRecord(rec);
    TAEPNav nav;
    nav.Kinds = kinds;
    std::map<int64_t, std::optional<long double>> out;
    int32_t i = p.FirstRecord(nav, rec, -1);
    while (i >= 0 && !(nav.Out.Status & nsEndForward)) {
        EXPECT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        if (nav.Out.Status & nsError) break;
        p.ReadRecord(nav, rec, i);
        const TAEField* chan = rec.FindByID(fidChan);
        const TAEField* f = rec.FindByID(id);
        if (chan && !chan->IsNull())
            out[chan->GetAsInt64()] =
                f && !f->IsNull() ? std::optional<long double>(f->GetAsFloat()) : std::nullopt;
        i = p.NextRecord(nav, rec, i);
    }
    return out;
}

struct TCase {
    const char* File;
    bool StatusSets;
};

class StatisticsOverVallen : public ::testing::TestWithParam<TCase> {};

TEST_P(StatisticsOverVallen, PerChannelValuesCountTheHitsOnly) {
    VORELT_REQUIRE_SHARED_DATA(std::string("vallen/") + GetParam().File, source);
    test::RegisterTestClasses();
    test::TTempDir dir;
    const std::string data = test::CopyToTemp(source, dir);
    if (GetParam().StatusSets) {
        // 8 to 40 per channel, as the recordings of a day's test hold.
        const auto added =
            test::AddVallenStatusSets(data, [](int64_t chan) { return 8 + (chan * 13) % 33; });
        ASSERT_FALSE(added.empty());
    }
    const std::map<int64_t, TChannelStats> want = FromDump(data);
    ASSERT_FALSE(want.empty());

    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    auto* math = test::AddKind<TGVCPUPrc>(project, project.Db());
    auto mathField = [&](const char* name, uint8_t type, const char* func, const char* x) {
        TAEField* f = math->AddCalcField(type, name);
        math->SetFieldFunction(*f, func, fidChan, {{"X", x, ""}});
        return f->ID();
    };
    const std::string mSum = mathField("SumE", dtExtended, "Sum", fidEnergy);
    const std::string mMin = mathField("MinC", dtInteger, "Min", fidCount);
    const std::string mAvg = mathField("AvgC", dtExtended, "Avg", fidCount);
    const std::string mMax = mathField("MaxA", dtExtended, "Max", fidAmpl);
    auto* crit = test::AddKind<TGVCPUCriterion>(project, *math);
    auto critField = [&](const char* name, uint8_t type, const char* func, const char* x) {
        TAEField* f = crit->AddCriterionField(type, name);
        crit->SetFunction(*f, func, {{"X", x, ""}});
        return f->ID();
    };
    const std::string cSum = critField("SumE", dtExtended, "Sum", fidEnergy);
    const std::string cMin = critField("MinC", dtInteger, "Min", fidCount);
    const std::string cAvg = critField("AvgC", dtExtended, "Avg", fidCount);
    const std::string cMax = critField("MaxA", dtExtended, "Max", fidAmpl);
    crit->Changed(true);

    struct TColumn {
        const char* What;
        std::map<int64_t, std::optional<long double>> Values;
        std::function<long double(const TChannelStats&)> Want;
    };
    auto sum = [](const TChannelStats& s) { return s.EnergySum; };
    auto min = [](const TChannelStats& s) { return static_cast<long double>(s.CountsMin); };
    // Counts are integers, and so is their average: rounded, ties to even.
    auto avg = [](const TChannelStats& s) { return std::nearbyint(s.CountsSum / s.Hits); };
    auto max = [](const TChannelStats& s) { return s.AmplMax; };
    const uint16_t hits = KindBit(rkHit);
    std::vector<TColumn> columns{
        {"criterion Sum(Energy)", LastPerChannel(*crit, cSum), sum},
        {"criterion Min(Counts)", LastPerChannel(*crit, cMin), min},
        {"criterion Avg(Counts)", LastPerChannel(*crit, cAvg), avg},
        {"criterion Max(Ampl)", LastPerChannel(*crit, cMax), max},
        {"math Sum(Energy)", LastPerChannel(*math, mSum, hits), sum},
        {"math Min(Counts)", LastPerChannel(*math, mMin, hits), min},
        {"math Avg(Counts)", LastPerChannel(*math, mAvg, hits), avg},
        {"math Max(Ampl)", LastPerChannel(*math, mMax, hits), max},
    };
    for (const TColumn& c : columns) {
        for (const auto& [chan, s] : want) {
            SCOPED_TRACE(std::string(c.What) + " channel " + std::to_string(chan));
            ASSERT_TRUE(c.Values.count(chan));
            ASSERT_TRUE(c.Values.at(chan).has_value());
            const long double got = *c.Values.at(chan);
            const long double expected = c.Want(s);
            if (std::string(c.What).find("Counts") != std::string::npos)
                EXPECT_EQ(got, expected);
            else
                EXPECT_NEAR(static_cast<double>(got), static_cast<double>(expected),
                            1e-12 * std::fabs(static_cast<double>(expected)) + 1e-9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealFiles, StatisticsOverVallen,
                         ::testing::Values(TCase{"steel_plate.pridb", false},
                                           TCase{"bearing.pridb", false},
                                           TCase{"steel_plate.pridb", true},
                                           TCase{"bearing.pridb", true}),
                         [](const auto& param) {
                             std::string name = param.param.File;
                             name = name.substr(0, name.find('.'));
                             return name + (param.param.StatusSets ? "_with_status_sets" : "");
                         });

} // namespace
} // namespace vorelt
