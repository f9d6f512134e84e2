// Generated DiSP files: chosen by the driver registry, and read back as the generator's
// manifest describes them.

#include "DispTestUtil.h"

#include "cli/TCliCommands.h"

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/waveform/TDispWaveforms.h"
#include "mkdata/TGenerateDataFile.h"
#include "mkdata/TSyntheticWaveform.h"
#include "model/TAEFieldIDs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace vorelt::test {
namespace {

bool Generate(const std::string& file, uint64_t hits, int channels, uint64_t seed,
              TDataManifest& manifest, bool inOrder = false) {
    TGenerateOptions o;
    o.Format = "disp";
    o.FileName = file;
    o.Hits = hits;
    o.Channels = channels;
    o.Seed = seed;
    o.InOrder = inOrder;
    std::string error;
    const bool ok = GenerateDataFile(o, manifest, error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

TEST(DispGenerated, ChosenByTheRegistry) {
    RegisterDispDriver();
    TTempDir dir;
    TDataManifest manifest;
    const std::string file = dir.File("gen.DTA");
    ASSERT_TRUE(Generate(file, 500, 6, 3, manifest));
    std::string message;
    const TDriverClass* c = FindDriverClass(file, message);
    ASSERT_NE(c, nullptr) << message;
    EXPECT_EQ(c->ClassName, "TAEDisp");

    std::unique_ptr<TAEDriverDb> driver;
    ASSERT_TRUE(OpenDataFile(file, nullptr, driver, message)) << message;
    EXPECT_EQ(driver->ClassName(), "TAEDisp");
    EXPECT_EQ(driver->State(), 9);
}

TEST(DispGenerated, RecordsMatchTheManifest) {
    TTempDir dir;
    for (int channels : {1, 4, 16}) {
        SCOPED_TRACE(channels);
        TDataManifest manifest;
        const std::string file = dir.File("gen.DTA");
        ASSERT_TRUE(Generate(file, 3000, channels, 11 + channels, manifest));
        TOpenedDisp d(file);
        ASSERT_TRUE(d.Ok) << d.Message;
        ASSERT_EQ(static_cast<uint64_t>(d.Driver->Count()), manifest.Records());
        EXPECT_EQ(d.Driver->TruncatedAt(), -1);

        std::array<uint64_t, TDataManifest::KindCount> kinds{};
        std::array<uint64_t, 256> types{};
        uint64_t timed = 0, decreases = 0, hitsWithPressure = 0;
        long double last = 0, minTime = 0, maxTime = 0;
        for (int32_t p = 0; p < d.Driver->Count(); ++p) {
            d.Read(p);
            ++kinds[d.Record.Kind()];
            ++types[d.Driver->Index()[static_cast<size_t>(p)].Kind];
            if (!d.IsNull(fidTime)) {
                const long double t = d.Float(fidTime);
                if (t < (timed == 0 ? 0 : last)) ++decreases;
                minTime = timed == 0 ? t : std::min(minTime, t);
                maxTime = timed == 0 ? t : std::max(maxTime, t);
                last = t;
                ++timed;
            }
            if (d.Record.Kind() == rkHit) {
                EXPECT_GE(d.Int(fidChan), 1);
                EXPECT_LE(d.Int(fidChan), channels);
                // Every characteristic and the parametric group behind the partial powers.
                for (const char* id : {fidRise, fidCountPeak, fidCount, fidEnergy, fidDurat,
                                       fidAmpl, fidGain, fidAbsEnergy})
                    EXPECT_FALSE(d.IsNull(id)) << id;
                if (!d.IsNull(fidParametric1)) ++hitsWithPressure;
                // The 16-bit energy saturates; the absolute energy does not.
                if (d.Int(fidEnergy) < 65535) {
                    EXPECT_NEAR(static_cast<double>(d.Float(fidAbsEnergy)),
                                static_cast<double>(d.Int(fidEnergy) * 1.5L * 0.000931L),
                                1e-6 * static_cast<double>(d.Float(fidAbsEnergy)) + 1e-9);
                }
            }
        }
        for (int k = 0; k < TDataManifest::KindCount; ++k)
            EXPECT_EQ(kinds[k], manifest.Kinds[k]) << "kind " << k;
        EXPECT_EQ(types, manifest.Types);
        EXPECT_EQ(timed, manifest.TimedCount);
        EXPECT_EQ(decreases, manifest.TimeDecreases);
        EXPECT_EQ(minTime, manifest.MinTimeUs);
        EXPECT_EQ(maxTime, manifest.MaxTimeUs);
        EXPECT_EQ(hitsWithPressure, manifest.Kinds[rkHit]);
        EXPECT_EQ(d.Driver->Setup().PartialPowerSegments, 4);
        EXPECT_EQ(d.Driver->Channels().size(), static_cast<size_t>(channels));
    }
}

TEST(DispGenerated, WaveformMessagesFollowTheirHits) {
    // Each hit followed by a waveform message of its channel and time: the driver links the
    // two, and the waveform's burst lies at the frequency the generator chose for the channel.
    TTempDir dir;
    const std::string file = dir.File("waves.DTA");
    TGenerateOptions o;
    o.Format = "disp";
    o.FileName = file;
    o.Hits = 300;
    o.Channels = 4;
    o.Seed = 5;
    o.Waveforms = TWaveformStorage::Raw;
    o.WaveformSamples = 1024;
    TDataManifest manifest;
    std::string error;
    ASSERT_TRUE(GenerateDataFile(o, manifest, error)) << error;
    TOpenedDisp d(file);
    ASSERT_TRUE(d.Ok) << d.Message;
    ASSERT_EQ(static_cast<uint64_t>(d.Driver->Count()), manifest.Records());
    std::vector<std::pair<int64_t, int64_t>> links; // waveform index, channel
    for (int32_t p = 0; p < d.Driver->Count(); ++p) {
        d.Read(p);
        if (d.Record.Kind() != rkHit) continue;
        ASSERT_FALSE(d.IsNull(fidWaveIndex)) << p;
        links.push_back({d.Int(fidWaveIndex), d.Int(fidChan)});
    }
    ASSERT_EQ(links.size(), 300u);

    TDispWaveforms waves(file);
    EXPECT_TRUE(waves.Refused().empty());
    ASSERT_EQ(waves.Count(), 300u);
    TWaveformShape shape;
    shape.Samples = 1024;
    shape.Pretrigger = 128;
    std::vector<float> volts;
    std::map<int64_t, int64_t> channelOf;
    for (const auto& [index, channel] : links) {
        const long long at = waves.Find(index);
        ASSERT_GE(at, 0) << index;
        const TWaveformInfo& w = waves.Info(size_t(at));
        EXPECT_EQ(w.Channel, channel);
        EXPECT_EQ(w.SampleRate, shape.SampleRate);
        EXPECT_EQ(w.TriggerSample, shape.Pretrigger);
        ASSERT_TRUE(waves.Read(size_t(at), volts, error)) << error;
        ASSERT_EQ(volts.size(), 1024u);
        channelOf[index] = channel;
    }
    // The features as the command line gives them.
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"waves", file, "--features"}, out, err), 0) << err.str();
    std::istringstream rows(out.str());
    std::string line;
    std::getline(rows, line);
    auto cells = [](const std::string& text) {
        std::vector<std::string> parts;
        std::stringstream s(text);
        std::string part;
        while (std::getline(s, part, ';'))
            parts.push_back(part);
        return parts;
    };
    const std::vector<std::string> names = cells(line);
    const auto column = [&](const char* name) {
        return size_t(std::find(names.begin(), names.end(), name) - names.begin());
    };
    const size_t indexAt = column("Index"), peakAt = column("PeakFrequency");
    ASSERT_LT(peakAt, names.size());
    int rowsRead = 0, onTheBurst = 0;
    while (std::getline(rows, line)) {
        const std::vector<std::string> c = cells(line);
        ++rowsRead;
        const int64_t index = std::stoll(c.at(indexAt));
        const double peak = std::stod(c.at(peakAt));
        // Quiet hits are a few steps of the 16-bit scale high on a step or two of noise: their
        // peak may stray; nearly all lie within a bin of the burst's frequency.
        const double bin = shape.SampleRate / shape.Samples;
        if (std::fabs(peak - SyntheticBurstFrequency(int(channelOf.at(index)), shape)) <= bin)
            ++onTheBurst;
    }
    EXPECT_EQ(rowsRead, 300);
    EXPECT_GE(onTheBurst, 270) << "of 300";

    // The format keeps no compressed waveforms.
    o.Waveforms = TWaveformStorage::Flac;
    o.FileName = dir.File("flac.DTA");
    TDataManifest refused;
    EXPECT_FALSE(GenerateDataFile(o, refused, error));
    EXPECT_NE(error.find("raw"), std::string::npos) << error;
}

TEST(DispGenerated, SortedCopyIsInTimeOrderAndOpensAgain) {
    TTempDir dir;
    TDataManifest manifest;
    const std::string file = dir.File("gen.DTA");
    ASSERT_TRUE(Generate(file, 4000, 8, 5, manifest));
    ASSERT_GT(manifest.TimeDecreases, 0u);
    const std::string sorted = dir.File("sorted.DTA");
    {
        TOpenedDisp d(file);
        ASSERT_TRUE(d.Ok) << d.Message;
        std::string message;
        ASSERT_TRUE(d.Driver->SortToFile(sorted, message)) << message;
    }
    EXPECT_EQ(ReadFileBytes(sorted).size(), manifest.FileSize);
    std::string message;
    ASSERT_TRUE(TAEDisp::CanOpen(sorted, message));
    TOpenedDisp d(sorted);
    ASSERT_TRUE(d.Ok) << d.Message;
    long double last = 0;
    uint64_t timed = 0;
    for (int32_t p = 0; p < d.Driver->Count(); ++p) {
        d.Read(p);
        if (d.IsNull(fidTime)) continue;
        EXPECT_GE(d.Float(fidTime), last) << "position " << p;
        last = d.Float(fidTime);
        ++timed;
    }
    EXPECT_EQ(timed, manifest.TimedCount);
}

} // namespace
} // namespace vorelt::test
