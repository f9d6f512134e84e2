// The waveform of every hit as fields of the database processor: the index that links a hit to
// its waveform, the features computed from it against the independent readers' values, the
// options that choose the picker and the bands, a filter on a feature, and that nothing is read
// or computed that no reader wants.

#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "drivers/vallen/TAEVallen.h"
#include "drivers/waveform/IWaveformSource.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "processing/IProcessorContext.h"
#include "processing/TDemandChain.h"
#include "processing/db/RegisterDbClasses.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/RegisterFilterClasses.h"
#include "processing/filter/TGVCPUFltr.h"
#include "processing/filter/TLCCondition.h"
#include "processing/location/RegisterLocationClasses.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/math/RegisterMathClasses.h"
#include "processing/math/TGVCPUPrc.h"
#include "processing/table/RegisterTableClasses.h"
#include "processing/table/TGVCPUTbl.h"
#include "processing/table/TTableCsv.h"
#include "processing/waveform/TWaveformFieldValues.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace vorelt::test {
namespace {

using TRow = std::map<std::string, double>;

std::vector<TRow> ReadOracle(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<TRow> rows;
    auto split = [](const std::string& text) {
        std::vector<std::string> parts;
        std::stringstream s(text);
        std::string part;
        while (std::getline(s, part, ';'))
            parts.push_back(part);
        return parts;
    };
    if (!std::getline(in, line)) return rows;
    const std::vector<std::string> names = split(line);
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = split(line);
        TRow row;
        for (size_t i = 0; i < names.size() && i < cells.size(); ++i)
            row[names[i]] = std::stod(cells[i]);
        rows.push_back(row);
    }
    return rows;
}

bool Near(long double expected, long double actual, long double relative) {
    return std::fabs(actual - expected) <= relative * std::max(1.0L, std::fabs(expected));
}

// The project's waveform options as a tree's context offers them.
struct TOptionsContext : IProcessorContext, IProjectWaveformOptions {
    TWaveformOptions Options;
    IIDGenerator* IDGenerator() override { return nullptr; }
    IUserPrompt* Prompt() override { return nullptr; }
    void TopMessage(TAEOMSG&) override {}
    const TWaveformOptions* ProjectWaveformOptions() const override { return &Options; }
};

// A database processor over a copy of a real file (and the files beside it with the same stem).
class WaveformFields : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDriversClasses();
        RegisterDbClasses();
        RegisterFilterClasses();
        RegisterLocationClasses();
        RegisterMathClasses();
        RegisterTableClasses();
        Db.SetContext(&Context);
    }
    // Copies the file and those beside it with the same stem, and opens the copy.
    void Open(const std::string& dataFile, const std::vector<std::string>& beside) {
        namespace fs = std::filesystem;
        const fs::path source(dataFile);
        for (const std::string& ext : beside) {
            fs::path from = source;
            from.replace_extension(ext);
            fs::copy_file(from, Dir.File(from.filename().string()));
        }
        std::string message;
        ASSERT_TRUE(Db.ChangeDataFile(Dir.File(source.filename().string()), message)) << message;
    }
    // Calls use(record) for every hit read through `source` under a demand for `ids` (all
    // fields when empty).
    template <class F> void ReadHits(TGVCPU& source, const std::vector<const char*>& ids, F&& use) {
        TAERecord record;
        source.PrepareRecord(record);
        if (!ids.empty()) {
            std::vector<uint8_t> wanted(record.FlatFields().size(), 0);
            for (const char* id : ids)
                for (size_t i = 0; i < record.FlatFields().size(); ++i)
                    if (record.FlatFields()[i]->ID() == id) wanted[i] = 1;
            ASSERT_TRUE(WidenDemandToDb(&source, record, wanted));
            record.SetDemand(wanted);
        }
        TAEPNav nav;
        nav.Kinds = KindBit(rkHit);
        std::string error;
        ASSERT_TRUE(ConsumeRecords(
            source, nav, record,
            [&](TAERecord& r, int32_t) {
                use(r);
                return true;
            },
            error))
            << error;
    }
    static const TAEField& F(const TAERecord& r, const char* id) { return *r.FindByID(id); }

    TTempDir Dir;
    TOptionsContext Context;
    TGVDb Db;
};

TEST_F(WaveformFields, VallenHitsCarryTheirTraiAndTheFeaturesOfItsWaveform) {
    for (const char* name : {"bearing", "steel_plate"}) {
        SCOPED_TRACE(name);
        VORELT_REQUIRE_SHARED_DATA(std::string("vallen/") + name + ".pridb", file);
        Open(file, {".pridb", ".tradb"});
        std::map<int64_t, TRow> oracle;
        std::filesystem::path csv(file);
        csv.replace_extension(".wave.csv");
        for (const TRow& row : ReadOracle(csv.string()))
            oracle[int64_t(row.at("TRAI"))] = row;
        ASSERT_FALSE(oracle.empty());

        std::set<int64_t> seen;
        ReadHits(Db, {}, [&](const TAERecord& r) {
            ASSERT_FALSE(F(r, fidWaveIndex).IsNull());
            const int64_t trai = F(r, fidWaveIndex).GetAsInt64();
            ASSERT_TRUE(oracle.count(trai)) << trai;
            EXPECT_TRUE(seen.insert(trai).second) << "TRAI " << trai << " twice";
            const TRow& o = oracle.at(trai);
            auto expect = [&](const char* id, long double want) {
                EXPECT_TRUE(Near(want, F(r, id).GetAsFloat(), 1e-9L))
                    << F(r, id).FieldName() << " of TRAI " << trai << ": " << F(r, id).GetAsFloat()
                    << " for " << want;
            };
            expect(fidWavePeakAmpl, o.at("PeakAmplitude") * 1000.0L);
            expect(fidWaveEnergy, o.at("Energy"));
            expect(fidWaveSignalStrength, o.at("SignalStrength"));
            EXPECT_EQ(F(r, fidWaveCounts).GetAsInt64(), int64_t(o.at("Counts")));
            expect(fidWaveRMS, o.at("RMS") * 1000.0L);
            expect(fidWaveRise, o.at("RiseTime") * 1e6L);
            expect(fidPeakFrequency, o.at("PeakFrequency") / 1000.0L);
            expect(fidFrequencyCentroid, o.at("CentroidFrequency") / 1000.0L);
            expect(fidWeightedPeakFrequency,
                   std::sqrt(o.at("PeakFrequency") * o.at("CentroidFrequency")) / 1000.0L);
            // The default picker is Hinkley's; the arrival counts from the start of the test.
            expect(fidArrivalTime, (o.at("Time") + (o.at("HinkleyIndex") - o.at("Pretrigger")) /
                                                       o.at("SampleRate")) *
                                       1e6L);
            long double partial = 0;
            for (int n = 1; n <= PartialPowerCount; ++n)
                partial += F(r, fidPartialPowerN(n).c_str()).GetAsFloat();
            EXPECT_GT(partial, 0.0L);
            EXPECT_LE(partial, 100.0L + 1e-9L);
        });
        EXPECT_EQ(seen.size(), oracle.size());
        Db.CloseDataFile();
    }
}

TEST_F(WaveformFields, ThePickerAndTheBandsAreTheProjectsChoice) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", file);
    Open(file, {".pridb", ".tradb"});
    std::map<int64_t, TRow> oracle;
    for (const TRow& row : ReadOracle(SharedDataDir() + "/vallen/bearing.wave.csv"))
        oracle[int64_t(row.at("TRAI"))] = row;
    const std::pair<TArrivalPicker, const char*> pickers[] = {
        {TArrivalPicker::Aic, "AicIndex"},
        {TArrivalPicker::EnergyRatio, "EnergyRatioIndex"},
        {TArrivalPicker::ModifiedEnergyRatio, "ModifiedEnergyRatioIndex"},
        {TArrivalPicker::Hinkley, "HinkleyIndex"}};
    for (const auto& [picker, column] : pickers) {
        SCOPED_TRACE(column);
        Context.Options.Picker = picker;
        int differ = 0;
        ReadHits(Db, {fidArrivalTime}, [&](const TAERecord& r) {
            const TRow& o = oracle.at(F(r, fidWaveIndex).GetAsInt64());
            const long double sample =
                (F(r, fidArrivalTime).GetAsFloat() / 1e6L - o.at("Time")) * o.at("SampleRate") +
                o.at("Pretrigger");
            differ += std::llround(sample) != std::llround(o.at(column));
        });
        // Three of bearing's waveforms have an Akaike minimum at the edge of the record or in a
        // tie that the arithmetic decides (the oracle test looks at them one by one).
        EXPECT_LE(differ, picker == TArrivalPicker::Aic ? 3 : 0);
    }

    // Bands that cover the whole spectrum share all of its power; narrower ones less.
    Context.Options.Bounds = {0, 20, 100, 500, 1e9};
    ReadHits(Db, {fidPartialPower1, fidPartialPower2, fidPartialPower3, fidPartialPower4},
             [&](const TAERecord& r) {
                 long double sum = 0;
                 for (int n = 1; n <= PartialPowerCount; ++n)
                     sum += F(r, fidPartialPowerN(n).c_str()).GetAsFloat();
                 EXPECT_NEAR(double(sum), 100.0, 1e-9);
             });
    Context.Options.Bounds = {0, 10, 20, 30, 40};
    ReadHits(Db, {fidPartialPower4, fidPeakFrequency}, [&](const TAERecord& r) {
        // Band 4 ends at 40 kHz; a peak above it leaves the band less than all.
        if (F(r, fidPeakFrequency).GetAsFloat() > 40) {
            EXPECT_LT(F(r, fidPartialPower4).GetAsFloat(), 100.0L);
        }
        EXPECT_TRUE(F(r, fidPartialPower1).IsNull()); // not asked for
    });
}

TEST_F(WaveformFields, NothingIsReadOrComputedThatNoReaderWants) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", file);
    Open(file, {".pridb", ".tradb"});
    auto* vallen = dynamic_cast<TAEVallen*>(Db.Driver());
    ASSERT_NE(vallen, nullptr);
    // Opening the hit database reads no transient index and leaves the transient database
    // closed.
    EXPECT_FALSE(vallen->TraisRead());
    EXPECT_FALSE(vallen->WaveformsOpened());

    int hits = 0;
    ReadHits(Db, {fidTimeS, fidChan, fidAmpl}, [&](const TAERecord& r) {
        ++hits;
        EXPECT_TRUE(F(r, fidPeakFrequency).IsNull());
    });
    EXPECT_EQ(hits, 490);
    EXPECT_FALSE(vallen->TraisRead());
    EXPECT_FALSE(vallen->WaveformsOpened());
    EXPECT_EQ(Db.WaveformValues().Computations(), 0u);

    // The index alone needs no waveform.
    ReadHits(Db, {fidWaveIndex},
             [&](const TAERecord& r) { EXPECT_FALSE(F(r, fidWaveIndex).IsNull()); });
    EXPECT_TRUE(vallen->TraisRead());
    EXPECT_FALSE(vallen->WaveformsOpened());

    // One feature: each waveform read once, the time features never computed.
    ReadHits(Db, {fidPeakFrequency}, [&](const TAERecord& r) {
        EXPECT_FALSE(F(r, fidPeakFrequency).IsNull());
        EXPECT_TRUE(F(r, fidWaveSignalStrength).IsNull());
    });
    ASSERT_NE(vallen->Waveforms(), nullptr);
    EXPECT_EQ(vallen->Waveforms()->Reads(), 490u);
    EXPECT_EQ(Db.WaveformValues().Computations(), 490u);

    // The same record read again computes nothing anew.
    TAERecord record;
    Db.PrepareRecord(record);
    TAEPNav nav;
    nav.Kinds = KindBit(rkHit);
    const int32_t first = Db.FirstRecord(nav, record, -1);
    Db.ReadRecord(nav, record, first);
    const uint64_t computed = Db.WaveformValues().Computations();
    Db.ReadRecord(nav, record, first);
    Db.ReadRecord(nav, record, first);
    EXPECT_EQ(Db.WaveformValues().Computations(), computed);
    EXPECT_EQ(vallen->Waveforms()->Reads(), 491u);

    // What a window shows of the hit: its samples and what is known of them.
    std::vector<float> volts;
    TWaveformInfo info;
    std::string message;
    ASSERT_TRUE(Db.ReadWaveform(record, volts, info, message)) << message;
    EXPECT_EQ(info.Index, 1);
    EXPECT_EQ(volts.size(), size_t(info.Samples));
    EXPECT_EQ(volts.size(), 5000u);
}

TEST_F(WaveformFields, AFilterOnSignalStrengthPassesTheHitsAboveIt) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", file);
    Open(file, {".pridb", ".tradb"});
    std::set<int64_t> expected;
    for (const TRow& row : ReadOracle(SharedDataDir() + "/vallen/bearing.wave.csv"))
        if (row.at("SignalStrength") > 1000) expected.insert(int64_t(row.at("TRAI")));
    ASSERT_FALSE(expected.empty());
    ASSERT_LT(expected.size(), 490u);

    auto* filter = Db.AddNew<TGVCPUFltr>();
    filter->Condition().Add(
        std::make_unique<TLCCondition>(fidWaveSignalStrength, coGreater, "1000"));
    std::set<int64_t> passed;
    ReadHits(*filter, {fidWaveIndex},
             [&](const TAERecord& r) { passed.insert(F(r, fidWaveIndex).GetAsInt64()); });
    EXPECT_EQ(passed, expected);
}

TEST_F(WaveformFields, ReadersComputeOnlyTheFeaturesTheyShow) {
    // A table below a location and a math processor: building the events, computing the math
    // fields, listing the rows, showing and exporting them reads no waveform while no column
    // shows a feature; a feature column then costs one computation per hit.
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.pridb", file);
    Open(file, {".pridb", ".tradb"});
    auto* location = Db.AddNew<TGVCPULoc>();
    auto* math = location->AddNew<TGVCPUPrc>();
    TAEField* doubled = math->AddCalcField(dtInteger, "Doubled");
    math->SetFieldFunction(*doubled, "Sum", fidChan, {{"X", fidAmpl, ""}});
    auto* table = math->AddNew<TGVCPUTbl>();
    table->Data().AddColumn(*table->FindField(fidAmpl));

    std::string error;
    ASSERT_TRUE(table->Data().LoadRows(error)) << error;
    const int32_t rows = table->Data().RowCount();
    ASSERT_GE(rows, 490);
    EXPECT_TRUE(math->Computed());
    TAERecord record;
    table->PrepareRowRecord(record);
    TAEPNav nav;
    int hits = 0;
    for (int32_t r = 0; r < rows; ++r) {
        ASSERT_TRUE(table->FetchRow(nav, record, r + 1, table->Data().RowPosition(r)));
        hits += record.Kind() == rkHit;
    }
    EXPECT_EQ(hits, 490);
    ASSERT_TRUE(ExportTableCsv(*table, Dir.File("rows.csv"), error, {})) << error;
    EXPECT_EQ(Db.WaveformValues().Computations(), 0u);

    table->Data().AddColumn(*table->FindField(fidPeakFrequency));
    table->PrepareRowRecord(record);
    int withPeak = 0;
    for (int32_t r = 0; r < rows; ++r) {
        ASSERT_TRUE(table->FetchRow(nav, record, r + 1, table->Data().RowPosition(r)));
        withPeak += record.Kind() == rkHit && !F(record, fidPeakFrequency).IsNull();
        EXPECT_TRUE(F(record, fidWaveSignalStrength).IsNull());
    }
    EXPECT_EQ(withPeak, 490);
    EXPECT_EQ(Db.WaveformValues().Computations(), 490u);
}

TEST_F(WaveformFields, ADamagedWaveformLeavesItsHitEmptyAndNamesItself) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.pridb", file);
    Open(file, {".pridb", ".tradb"});
    {
        // The compressed samples of TRAI 2 cut short, as a broken copy leaves them.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Dir.File("steel_plate.tradb").c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "UPDATE tr_data SET Data = substr(Data, 1, 200) WHERE TRAI = 2",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    std::vector<std::string> strengths;
    ReadHits(Db, {fidWaveSignalStrength}, [&](const TAERecord& r) {
        strengths.push_back(F(r, fidWaveIndex).GetAsString() + ":" +
                            (F(r, fidWaveSignalStrength).IsNull() ? "-" : "value"));
    });
    EXPECT_EQ(strengths, (std::vector<std::string>{"1:value", "2:-", "3:value", "4:value"}));
    const std::string& error = Db.WaveformValues().LastError();
    EXPECT_NE(error.find("steel_plate.tradb"), std::string::npos) << error;
    EXPECT_NE(error.find("TRAI 2"), std::string::npos) << error;
}

TEST_F(WaveformFields, DispHitsCarryTheirWaveformMessage) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", file);
    Open(file, {".DTA"});
    const std::vector<TRow> oracle = ReadOracle(SharedDataDir() + "/disp/210527-CH1-15.wave.csv");
    ASSERT_EQ(oracle.size(), 8u);
    int hits = 0;
    ReadHits(Db, {fidTimeS, fidChan, fidPeakFrequency, fidFrequencyCentroid},
             [&](const TAERecord& r) {
                 ++hits;
                 ASSERT_FALSE(F(r, fidWaveIndex).IsNull());
                 const int64_t index = F(r, fidWaveIndex).GetAsInt64();
                 ASSERT_TRUE(index >= 0 && index < 8) << index;
                 const TRow& o = oracle[size_t(index)];
                 EXPECT_EQ(o.at("Index"), double(index));
                 EXPECT_EQ(F(r, fidChan).GetAsInt64(), int64_t(o.at("Chan")));
                 EXPECT_TRUE(Near(o.at("Time"), F(r, fidTimeS).GetAsFloat(), 1e-12L));
                 EXPECT_TRUE(Near(o.at("PeakFrequency") / 1000, F(r, fidPeakFrequency).GetAsFloat(),
                                  1e-9L));
                 EXPECT_TRUE(Near(o.at("CentroidFrequency") / 1000,
                                  F(r, fidFrequencyCentroid).GetAsFloat(), 1e-9L));
             });
    EXPECT_EQ(hits, 8);
}

} // namespace
} // namespace vorelt::test
