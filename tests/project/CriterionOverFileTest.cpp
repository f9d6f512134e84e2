// The criterion processor on a generated data file, below a location processor: per channel
// minimum, maximum, average and sum restricted by test sections, first hits and conditions,
// against a recomputation from the records themselves.

#include "ProjectTestSupport.h"
#include "model/TAEFieldIDs.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/filter/TLCCondition.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "testprog/TTestSection.h"

#include <algorithm>
#include <map>
#include <optional>

namespace vorelt {
namespace {

struct THit {
    int64_t Chan;
    int64_t Ampl;
    long double Energy;
    long double TimeS;
    bool FirstHit;
};

std::vector<THit> ReadHits(TGVCPU& p) {
    TAERecord rec;
    p.PrepareRecord(rec);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    std::vector<THit> hits;
    int32_t i = p.FirstRecord(nav, rec, -1);
    while (!(nav.Out.Status & nsEndForward)) {
        EXPECT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        if (nav.Out.Status & nsError) break;
        p.ReadRecord(nav, rec, i);
        hits.push_back({rec.FindByID(fidChan)->GetAsInt64(), rec.FindByID(fidAmpl)->GetAsInt64(),
                        rec.FindByID(fidEnergy)->GetAsFloat(), rec.FindByID(fidTimeS)->GetAsFloat(),
                        (rec.RecFlags() & rfFirstHit) != 0});
        i = p.NextRecord(nav, rec, i);
    }
    return hits;
}

// Value of field `id` in each criterion record, by channel.
std::map<int64_t, std::optional<long double>> PerChannel(TGVCPU& crit, const std::string& id) {
    TAERecord rec;
    crit.PrepareRecord(rec);
    TAEPNav nav;
    std::map<int64_t, std::optional<long double>> out;
    int32_t i = crit.FirstRecord(nav, rec, -1);
    while (!(nav.Out.Status & nsEndForward)) {
        EXPECT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        if (nav.Out.Status & nsError) break;
        crit.ReadRecord(nav, rec, i);
        EXPECT_EQ(rec.Kind(), rkCriterion);
        const TAEField* f = rec.FindByID(id);
        out[rec.FindByID(fidChan)->GetAsInt64()] =
            f && !f->IsNull() ? std::optional<long double>(f->GetAsFloat()) : std::nullopt;
        i = crit.NextRecord(nav, rec, i);
    }
    return out;
}

TEST(CriterionOverFile, PerChannelResultsMatchARecomputation) {
    test::RegisterTestClasses();
    test::TTempDir dir;
    const std::string data = test::GenerateFile(dir, "pci", 4000, 11, true);
    TProjectAE project;
    std::string error;
    ASSERT_TRUE(project.OpenDataFile(data, error)) << error;
    auto section = std::make_unique<TTestSection>("Hold", 10, 30);
    section->SetID("0000000000007001");
    project.Db().TestSections().Add(std::move(section));

    auto* loc = test::AddKind<TGVCPULoc>(project, project.Db());
    auto& mpt = dynamic_cast<TLocOutMPT&>(loc->Algorithm());
    mpt.SetLockOut(400);
    mpt.SetMPT(300);
    auto* crit = test::AddKind<TGVCPUCriterion>(project, *loc);
    auto field = [&](const std::string& name, uint8_t type, const std::string& func,
                     const char* x) {
        TAEField* f = crit->AddCriterionField(type, name);
        crit->SetFunction(*f, func, {{"X", x, ""}});
        return f;
    };
    TAEField* minSection = field("MinS", dtInteger, "Min", fidAmpl);
    TAEField* maxFirst = field("MaxF", dtInteger, "Max", fidAmpl);
    TAEField* avgCond = field("AvgC", dtExtended, "Avg", fidEnergy);
    TAEField* sumAll = field("SumE", dtExtended, "Sum", fidEnergy);
    TAECriterion* cs = TGVCPUCriterion::CriterionOf(*minSection);
    cs->EnabledSection = true;
    cs->Sections = {"0000000000007001"};
    TGVCPUCriterion::CriterionOf(*maxFirst)->FirstHit = true;
    TAECriterion* cc = TGVCPUCriterion::CriterionOf(*avgCond);
    cc->EnabledFilter = true;
    cc->LogCons().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "45"));
    crit->Changed(true);

    const std::vector<THit> hits = ReadHits(*loc);
    ASSERT_GT(hits.size(), 3000u);
    ASSERT_TRUE(std::any_of(hits.begin(), hits.end(), [](const THit& h) { return h.FirstHit; }));
    std::map<int64_t, std::vector<const THit*>> byChan;
    for (const THit& h : hits)
        byChan[h.Chan].push_back(&h);

    const auto minS = PerChannel(*crit, minSection->ID());
    const auto maxF = PerChannel(*crit, maxFirst->ID());
    const auto avgC = PerChannel(*crit, avgCond->ID());
    const auto sumE = PerChannel(*crit, sumAll->ID());
    ASSERT_EQ(sumE.size(), 4u);
    for (const auto& [chan, list] : byChan) {
        std::optional<int64_t> mn, mx;
        long double condSum = 0, sum = 0;
        int condCount = 0;
        for (const THit* h : list) {
            if (h->TimeS >= 10 && h->TimeS <= 30) mn = std::min(mn.value_or(h->Ampl), h->Ampl);
            if (h->FirstHit) mx = std::max(mx.value_or(h->Ampl), h->Ampl);
            if (h->Ampl > 45) {
                condSum += h->Energy;
                ++condCount;
            }
            sum += h->Energy;
        }
        ASSERT_TRUE(minS.count(chan)) << chan;
        EXPECT_EQ(minS.at(chan).has_value(), mn.has_value()) << chan;
        if (mn) {
            EXPECT_EQ(static_cast<int64_t>(*minS.at(chan)), *mn) << chan;
        }
        EXPECT_EQ(maxF.at(chan).has_value(), mx.has_value()) << chan;
        if (mx) {
            EXPECT_EQ(static_cast<int64_t>(*maxF.at(chan)), *mx) << chan;
        }
        ASSERT_EQ(avgC.at(chan).has_value(), condCount > 0) << chan;
        if (condCount) {
            EXPECT_NEAR(static_cast<double>(*avgC.at(chan)),
                        static_cast<double>(condSum / condCount),
                        1e-9 * static_cast<double>(condSum))
                << chan;
        }
        ASSERT_TRUE(sumE.at(chan).has_value()) << chan;
        EXPECT_NEAR(static_cast<double>(*sumE.at(chan)), static_cast<double>(sum),
                    1e-9 * static_cast<double>(sum))
            << chan;
    }
}

} // namespace
} // namespace vorelt
