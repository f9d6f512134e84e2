// The criterion processor over an in-memory source: per-channel results against a plain
// recomputation, restricted by test sections, first hits and conditions; zones, weight tables,
// expressions and links; refusal of deletion and selection; persistence.

#include "MathTestSupport.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/criterion/RegisterCriterionClasses.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/criterion/TGVCPUCriterion.h"
#include "processing/filter/TLCCondition.h"
#include "processing/math/TGVCPUPrc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace vorelt::mathtest {
namespace {

struct THitData {
    int Chan;
    int Ampl;
    long double Energy;
    long double TimeS;
    bool FirstHit;
};

struct TExpected {
    std::optional<long double> Min, Max, Avg, Sum;
};

class CriterionProcessor : public testing::Test {
protected:
    CriterionProcessor() {
        RegisterCriterionClasses();
        Source->SetContext(&Project);
        Source->Channels = {1, 2, 3};
        uint32_t seed = 99;
        for (int i = 0; i < 600; ++i) {
            seed = seed * 1664525u + 1013904223u;
            if (i % 50 == 7) {
                const int32_t k = Source->AddRecord(rkTimeMark);
                Source->SetValue(k, posTimeS, i * 0.1L);
                continue;
            }
            THitData h{1 + static_cast<int>((seed >> 8) % 2),
                       1 + static_cast<int>((seed >> 12) % 100),
                       static_cast<long double>((seed >> 16) % 1000) / 8, i * 0.1L, i % 3 == 0};
            Hits.push_back(h);
            Source->Hit(h.Chan, h.Ampl, h.Energy, h.TimeS,
                        h.FirstHit ? rfFirstHit | rfEventHit : rfEventHit);
        }
        Loc = Source->AddNew<TLocatedPass>();
        Math = Loc->AddNew<TGVCPUPrc>();
        Twice = Math->AddCalcField(dtInteger, "Twice");
        std::string error;
        EXPECT_TRUE(Math->SetFieldExpression(*Twice, "{Ampl} * 2", error)) << error;
        Crit = Math->AddNew<TGVCPUCriterion>();
    }

    TAEField* Field(const std::string& name, uint8_t type, const std::string& func, const char* x) {
        TAEField* f = Crit->AddCriterionField(type, name);
        Crit->SetFunction(*f, func, {{"X", x, ""}});
        return f;
    }

    // Per channel over the hits that `take` admits; `value` picks X.
    std::map<int, TExpected> Recompute(const std::function<bool(const THitData&)>& take,
                                       const std::function<long double(const THitData&)>& value,
                                       bool integer) {
        std::map<int, std::vector<long double>> xs;
        for (const THitData& h : Hits)
            if (take(h)) xs[h.Chan].push_back(value(h));
        std::map<int, TExpected> out;
        for (auto& [chan, v] : xs) {
            long double sum = 0;
            for (long double x : v)
                sum += x;
            TExpected e;
            e.Min = *std::min_element(v.begin(), v.end());
            e.Max = *std::max_element(v.begin(), v.end());
            e.Sum = sum;
            e.Avg = sum / v.size();
            if (integer) e.Avg = static_cast<long double>(RoundToInt64(*e.Avg));
            out[chan] = e;
        }
        return out;
    }

    void ExpectChannels(const std::map<int, TExpected>& want, const TAEField* mn,
                        const TAEField* mx, const TAEField* avg, const TAEField* sum) {
        const auto chans = ReadAll(*Crit, fidChan);
        ASSERT_EQ(chans.size(), 3u);
        const auto check = [&](const TAEField* f, auto pick) {
            const auto rows = ReadAll(*Crit, f->ID());
            for (size_t i = 0; i < rows.size(); ++i) {
                const int chan = static_cast<int>(*chans[i].Value);
                auto it = want.find(chan);
                const std::optional<long double> w =
                    it == want.end() ? std::nullopt : pick(it->second);
                ASSERT_EQ(rows[i].Value.has_value(), w.has_value()) << f->FieldName() << chan;
                if (w) {
                    EXPECT_NEAR(static_cast<double>(*rows[i].Value), static_cast<double>(*w),
                                1e-9 * (1 + std::abs(static_cast<double>(*w))))
                        << f->FieldName() << " channel " << chan;
                }
            }
        };
        check(mn, [](const TExpected& e) { return e.Min; });
        check(mx, [](const TExpected& e) { return e.Max; });
        check(avg, [](const TExpected& e) { return e.Avg; });
        check(sum, [](const TExpected& e) { return e.Sum; });
    }

    std::unique_ptr<TTestSource> Source = std::make_unique<TTestSource>();
    TTestProject Project{Source.get()};
    std::vector<THitData> Hits;
    TGVCPU* Loc = nullptr;
    TGVCPUPrc* Math = nullptr;
    TAEField* Twice = nullptr;
    TGVCPUCriterion* Crit = nullptr;
};

TEST_F(CriterionProcessor, OneRecordPerListedChannelInListOrder) {
    Source->Channels = {2, 1, 3};
    Field("MaxA", dtInteger, "Max", fidAmpl);
    const auto rows = ReadAll(*Crit, fidChan);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(*rows[0].Value, 2);
    EXPECT_EQ(*rows[1].Value, 1);
    EXPECT_EQ(*rows[2].Value, 3);
    const auto index = ReadAll(*Crit, fidIndexRec);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(*index[static_cast<size_t>(i)].Value, i);
        EXPECT_EQ(rows[static_cast<size_t>(i)].Kind, rkCriterion);
    }
    // The layout is the output set and the criterion fields, nothing of the parent.
    TAEListFields layout;
    Crit->GetFields(&layout, false);
    EXPECT_EQ(layout.FieldCount(), 8);
    EXPECT_LT(layout.IndexOfID(fidAmpl), 0);
    layout.Clear();
    Crit->GetFields(&layout, true);
    EXPECT_GE(layout.IndexOfID(Twice->ID()), 0);
}

TEST_F(CriterionProcessor, ResultsMatchARecomputationOverAllHits) {
    const TAEField* mn = Field("MinA", dtInteger, "Min", fidAmpl);
    const TAEField* mx = Field("MaxA", dtInteger, "Max", fidAmpl);
    const TAEField* avg = Field("AvgA", dtInteger, "Avg", fidAmpl);
    const TAEField* sum = Field("SumA", dtInteger, "Sum", fidAmpl);
    ExpectChannels(Recompute([](const THitData&) { return true; },
                             [](const THitData& h) { return h.Ampl; }, true),
                   mn, mx, avg, sum);
}

TEST_F(CriterionProcessor, ParentFieldsBeyondTheSourceSetsAreReadInTheParentsLayout) {
    const TAEField* mn = Field("MinT", dtInteger, "Min", Twice->ID().c_str());
    const TAEField* mx = Field("MaxT", dtInteger, "Max", Twice->ID().c_str());
    const TAEField* avg = Field("AvgE", dtExtended, "Avg", fidEnergy);
    const TAEField* sum = Field("SumT", dtInteger, "Sum", Twice->ID().c_str());
    const auto all = [](const THitData&) { return true; };
    const auto twice = Recompute(
        all, [](const THitData& h) { return 2 * h.Ampl; }, true);
    const auto energy = Recompute(
        all, [](const THitData& h) { return h.Energy; }, false);
    std::map<int, TExpected> want = twice;
    for (auto& [chan, e] : want)
        e.Avg = energy.at(chan).Avg;
    ExpectChannels(want, mn, mx, avg, sum);
}

TEST_F(CriterionProcessor, SectionsFirstHitsAndConditionsRestrictEachField) {
    auto s1 = std::make_unique<TTestSection>("S1", 10, 20);
    s1->SetID("0000000000007001");
    auto s2 = std::make_unique<TTestSection>("S2", 40, 45);
    s2->SetID("0000000000007002");
    Project.Sections.Add(std::move(s1));
    Project.Sections.Add(std::move(s2));

    TAEField* mn = Field("MinS", dtExtended, "Min", fidEnergy);
    TAEField* mx = Field("MaxF", dtExtended, "Max", fidEnergy);
    TAEField* avg = Field("AvgC", dtExtended, "Avg", fidEnergy);
    TAEField* sum = Field("SumAll", dtExtended, "Sum", fidEnergy);
    TAECriterion* cs = TGVCPUCriterion::CriterionOf(*mn);
    cs->EnabledSection = true;
    cs->Sections = {"0000000000007001"};
    TGVCPUCriterion::CriterionOf(*mx)->FirstHit = true;
    TAECriterion* cc = TGVCPUCriterion::CriterionOf(*avg);
    cc->EnabledFilter = true;
    cc->LogCons().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "50"));
    // A disabled filter takes every hit.
    TGVCPUCriterion::CriterionOf(*sum)->LogCons().Add(
        std::make_unique<TLCCondition>(fidAmpl, coGreater, "50"));
    Crit->Changed(true);

    const auto energy = [](const THitData& h) { return h.Energy; };
    const auto sections =
        Recompute([](const THitData& h) { return h.TimeS >= 10 && h.TimeS <= 20; }, energy, false);
    const auto first = Recompute([](const THitData& h) { return h.FirstHit; }, energy, false);
    const auto cond = Recompute([](const THitData& h) { return h.Ampl > 50; }, energy, false);
    const auto all = Recompute([](const THitData&) { return true; }, energy, false);
    std::map<int, TExpected> want;
    for (int chan : {1, 2}) {
        want[chan].Min = sections.at(chan).Min;
        want[chan].Max = first.at(chan).Max;
        want[chan].Avg = cond.at(chan).Avg;
        want[chan].Sum = all.at(chan).Sum;
    }
    ExpectChannels(want, mn, mx, avg, sum);
}

TEST_F(CriterionProcessor, FirstHitRestrictsOnlyBelowALocationProcessor) {
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    source->Channels = {1};
    source->Hit(1, 5, 0, 0, rfFirstHit);
    source->Hit(1, 9, 0, 0, 0);
    TGVCPUCriterion* c = source->AddNew<TGVCPUCriterion>();
    TAEField* f = c->AddCriterionField(dtInteger, "MaxA");
    c->SetFunction(*f, "Max", {{"X", fidAmpl, ""}});
    TGVCPUCriterion::CriterionOf(*f)->FirstHit = true;
    EXPECT_EQ(*ReadAll(*c, f->ID())[0].Value, 9);
}

TEST_F(CriterionProcessor, ZoneOutputsLinksWeightsAndExpressions) {
    auto source = std::make_unique<TTestSource>();
    TTestProject project(source.get());
    source->SetContext(&project);
    source->Channels = {1, 2, 3, 4};
    // Severity in Energy, historic index in Y.
    auto hit = [&](int chan, int ampl, long double sev, long double hi) {
        const int32_t i = source->Hit(chan, ampl, sev);
        source->SetValue(i, posY, hi);
    };
    hit(1, 5, 20, 1.2L);
    hit(1, 3, 30, 1.5L); // channel 1: (30, 1.5) lies in "Zone A"
    hit(2, 15, 20, 5);   // channel 2: "Zone 0"
    hit(3, 25, 2000, 5); // channel 3: outside every zone
    TGVCPUCriterion* c = source->AddNew<TGVCPUCriterion>();
    TAEField* zip = c->AddCriterionField(dtString, "Zip");
    c->SetFunction(*zip, "ZIP", {{"Severity", fidEnergy, ""}, {"Historic Index", fidY, ""}});
    TAEField* sevOut = c->AddCriterionField(dtExtended, "SevOut");
    c->SetLink(*sevOut, *zip, "Max_Severity_Out");
    TAEField* zoneOut = c->AddCriterionField(dtInteger, "ZoneOut");
    c->SetLink(*zoneOut, *zip, "ZIP_Int_Out");
    TAEField* weight = c->AddCriterionField(dtExtended, "Weight");
    c->SetFunction(*weight, "Max", {{"X", fidAmpl, ""}});
    c->SetWeights(*weight, {{"<=", "10", "1"}, {"<=", "20", "2"}});
    TAEField* expr = c->AddCriterionField(dtInteger, "Expr");
    c->SetFunction(*expr, "Sum", {{"X", fidAmpl, ""}});
    std::string error;
    ASSERT_TRUE(c->SetResultExpression(*expr, "{Weight} * 10", error)) << error;

    const auto zips = ReadAll(*c, zip->ID());
    ASSERT_EQ(zips.size(), 4u);
    EXPECT_EQ(zips[0].Text, "Zone A");
    EXPECT_EQ(zips[1].Text, "Zone 0");
    EXPECT_EQ(zips[2].Text, "");
    EXPECT_EQ(zips[3].Text, "");
    const auto sev = ReadAll(*c, sevOut->ID());
    EXPECT_EQ(*sev[0].Value, 30);
    EXPECT_EQ(*sev[2].Value, 2000);
    EXPECT_FALSE(sev[3].Value);
    const auto zone = ReadAll(*c, zoneOut->ID());
    EXPECT_EQ(*zone[0].Value, 1);
    EXPECT_EQ(*zone[1].Value, 0);
    EXPECT_FALSE(zone[2].Value);
    // Weight rows: 5 -> 1, 15 -> 2, 25 unchanged.
    const auto w = ReadAll(*c, weight->ID());
    EXPECT_EQ(*w[0].Value, 1);
    EXPECT_EQ(*w[1].Value, 2);
    EXPECT_EQ(*w[2].Value, 25);
    EXPECT_FALSE(w[3].Value);
    const auto e = ReadAll(*c, expr->ID());
    EXPECT_EQ(*e[0].Value, 10);
    EXPECT_EQ(*e[2].Value, 250);
}

TEST_F(CriterionProcessor, AZoneParameterChangeDropsOnlyListsThatUseTheZones) {
    Field("MaxA", dtInteger, "Max", fidAmpl);
    ASSERT_GE(Math->ComputedCount(), 0);
    ASSERT_EQ(Crit->ComputedCount(), 3);
    TAEOMSG zipChanged;
    zipChanged.Msg = omZIPChanged;
    Math->Dispatch(zipChanged);
    EXPECT_TRUE(Math->Computed());
    EXPECT_TRUE(Crit->Computed());

    TAEField* zone = Crit->AddCriterionField(dtString, "Zip");
    Crit->SetFunction(*zone, "ZIP", {{"Severity", fidEnergy, ""}, {"Historic Index", fidY, ""}});
    ASSERT_EQ(Crit->ComputedCount(), 3);
    Math->Dispatch(zipChanged);
    EXPECT_TRUE(Math->Computed());
    EXPECT_FALSE(Crit->Computed());
}

TEST_F(CriterionProcessor, DeleteAndSelectRequestsFromBelowAreRefused) {
    Field("MaxA", dtInteger, "Max", fidAmpl);
    TGVCPU* view = Crit->AddNew<TGVSource>();
    ASSERT_EQ(Crit->ComputedCount(), 3);
    for (uint32_t number : {omDeleteGroup, omSelectGroup}) {
        TAEOMSG msg;
        msg.Msg = number;
        msg.List = {0, 1};
        view->SendUp(msg);
    }
    EXPECT_TRUE(Project.TopMessages.empty());
    ASSERT_EQ(Project.Errors.size(), 2u);
    EXPECT_EQ(Project.Errors[0], txtCriterionRecordsRefused);
    // Selections coming down hold no channel index.
    std::vector<int32_t> list{0, 1, 2};
    Crit->ListFromParent(list);
    EXPECT_TRUE(list.empty());
}

TEST_F(CriterionProcessor, PersistenceRoundTrip) {
    TAEField* mx = Field("MaxA", dtInteger, "Max", fidAmpl);
    TAECriterion* c = TGVCPUCriterion::CriterionOf(*mx);
    c->EnabledSection = true;
    c->FirstHit = true;
    c->EnabledFilter = true;
    c->Sections = {"0000000000007001", "0000000000007002"};
    c->LogCons().Add(std::make_unique<TLCCondition>(fidAmpl, coGreater, "50"));
    TAEField* link = Crit->AddCriterionField(dtInteger, "Link");
    Crit->SetLink(*link, *mx, "Result_Function");
    TAEField* w = Field("W", dtInteger, "Sum", fidAmpl);
    Crit->SetWeights(*w, {{"<=", "10", "1"}});

    TNodePersist node("OBJ");
    Crit->SaveToNode(node);
    auto copy = TClassRegistry::Instance().CreateAs<TGVCPUCriterion>("TGVCPUCriterion");
    ASSERT_TRUE(copy);
    TGVCPUCriterion* loaded = copy.get();
    Math->AddChild(std::move(copy));
    loaded->LoadFromNode(node);
    ASSERT_EQ(loaded->OwnFields().Count(), 3);
    const TAECriterion* l = TGVCPUCriterion::CriterionOf(*loaded->OwnFields().Get(0));
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(l->EnabledSection);
    EXPECT_TRUE(l->FirstHit);
    EXPECT_TRUE(l->EnabledFilter);
    EXPECT_TRUE(l->EnabledFunction);
    EXPECT_EQ(l->Sections, c->Sections);
    EXPECT_EQ(l->LogCons().Count(), 1);
    for (int i = 0; i < 3; ++i) {
        const TAEField* a = Crit->OwnFields().Get(i);
        const TAEField* b = loaded->OwnFields().Get(i);
        const TAECriterion* ca = TGVCPUCriterion::CriterionOf(*a);
        const TAECriterion* cb = TGVCPUCriterion::CriterionOf(*b);
        EXPECT_EQ(ca->TypeResult, cb->TypeResult);
        EXPECT_EQ(DumpExpresion(ca->Expresion()), DumpExpresion(cb->Expresion()));
        EXPECT_EQ(DumpExpresion(ca->Result()), DumpExpresion(cb->Result()));
        const auto ra = ReadAll(*Crit, a->ID());
        const auto rb = ReadAll(*loaded, b->ID());
        ASSERT_EQ(ra.size(), rb.size());
        for (size_t k = 0; k < ra.size(); ++k)
            EXPECT_EQ(ra[k].Value, rb[k].Value);
    }
}

TEST_F(CriterionProcessor, RemovingAFieldDropsItsReferences) {
    TAEField* mx = Field("MaxT", dtInteger, "Max", Twice->ID().c_str());
    TAECriterion* c = TGVCPUCriterion::CriterionOf(*mx);
    c->LogCons().Add(std::make_unique<TLCCondition>(Twice->ID(), coGreater, "5"));
    c->Sections = {"0000000000007001"};
    EXPECT_TRUE(Crit->DeclaresField(Twice->ID(), false));
    std::vector<std::string> lines;
    Crit->CollectFieldUses(Twice->ID(), lines, true);
    EXPECT_FALSE(lines.empty());
    Crit->RemoveField(Twice->ID());
    EXPECT_FALSE(c->HasFunction());
    EXPECT_EQ(c->LogCons().Count(), 0);
    EXPECT_FALSE(Crit->DeclaresField(Twice->ID(), false));
}

} // namespace
} // namespace vorelt::mathtest
