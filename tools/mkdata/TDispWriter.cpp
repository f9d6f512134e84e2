#include "TDispWriter.h"

#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace vorelt {

namespace {

// Record kinds as the DiSP driver classifies the messages.
constexpr int KindUnknown = 0, KindHit = 1, KindStop = 2, KindResume = 3, KindPause = 4,
              KindAbort = 5, KindTimeMark = 6, KindSetup = 7, KindComment = 8;

// Message identifiers written.
constexpr uint8_t IdHit = 1, IdTimeDriven = 2, IdDemandDriven = 3, IdComment = 7, IdResetClock = 11,
                  IdAbort = 15, IdTestInfo = 38, IdProduct = 41, IdHardwareSetup = 42,
                  IdTestStart = 99, IdResume = 128, IdStop = 129, IdPause = 130, IdWaveform = 173,
                  IdTimeMark = 211;
// Sub-records of the hardware set-up: a channel's gain, and its waveform set-up (with the inner
// identifier 42).
constexpr uint8_t SubGain = 23, SubWaveform = 173;

constexpr uint64_t SentinelTime = 0x7FFFFFFFFFFFull;

void StoreTime(uint8_t* p, uint64_t ticks) {
    for (int i = 0; i < 6; ++i)
        p[i] = static_cast<uint8_t>(ticks >> (8 * i));
}

uint64_t Ticks(int64_t timeUs) {
    return timeUs <= 0 ? 0 : static_cast<uint64_t>(timeUs) * 4;
}

uint16_t Clamp16(uint32_t v) {
    return static_cast<uint16_t>(std::min<uint32_t>(v, 65535));
}

void Append(std::vector<uint8_t>& v, std::initializer_list<uint8_t> bytes) {
    v.insert(v.end(), bytes);
}

void AppendU16(std::vector<uint8_t>& v, uint16_t x) {
    Append(v, {static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8)});
}

void AppendText(std::vector<uint8_t>& v, const std::string& s) {
    v.insert(v.end(), s.begin(), s.end());
}

// A hardware-setup sub-record: [u16 L][sub-id][bytes], L counting the sub-id and the bytes.
void AppendSubRecord(std::vector<uint8_t>& v, uint8_t subID, const std::vector<uint8_t>& bytes) {
    AppendU16(v, static_cast<uint16_t>(bytes.size() + 1));
    v.push_back(subID);
    v.insert(v.end(), bytes.begin(), bytes.end());
}

// The test start as the acquisition software writes it: "Thu May 27 10:53:54 2021\n".
std::string StartText(uint32_t unixTime) {
    static const char* const Days[7] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int64_t days = unixTime / 86400, secs = unixTime % 86400;
    // Civil date of a day count (days since 1970-01-01).
    const int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    auto two = [](int64_t n) { return (n < 10 ? "0" : "") + IntToStr(n); };
    return std::string(Days[days % 7]) + " " + Months[month - 1] + " " + two(day) + " " +
           two(secs / 3600) + ":" + two(secs / 60 % 60) + ":" + two(secs % 60) + " " +
           IntToStr(year) + "\n";
}

} // namespace

void TDispWriter::WriteMessage(TOutputFile& out, uint8_t id, const uint8_t* body, size_t size) {
    const bool sub = id >= 40 && id <= 49;
    uint8_t prefix[4];
    const size_t len = size + (sub ? 2 : 1);
    StoreU16(prefix, static_cast<uint16_t>(len));
    prefix[2] = id;
    prefix[3] = 0;
    out.Write(prefix, sub ? 4 : 3);
    if (size > 0) out.Write(body, size);
}

void TDispWriter::WriteTimed(TOutputFile& out, uint8_t id, int kind, const uint8_t* body,
                             size_t size, int64_t timeUs, TDataManifest& manifest) {
    WriteMessage(out, id, body, size);
    manifest.AddTimedMessage(id, kind, std::max<int64_t>(timeUs, 0));
}

void TDispWriter::Begin(TOutputFile& out, const TWriterSettings& settings,
                        TDataManifest& manifest) {
    FSettings = settings;
    FPressure = 0;
    FGainDb.fill(DefaultGainDb);
    FNoise.fill(0);
    manifest.Format = "disp";
    manifest.Seed = settings.Seed;
    manifest.HeaderSize = 0;
    manifest.StartTimeUnix = settings.StartTimeUnix;
    manifest.SetupChannels = settings.Channels;
    for (int c = 1; c <= settings.Channels; ++c)
        manifest.ActiveChannels[c] = true;

    std::vector<uint8_t> b;
    AppendU16(b, 0x0300); // product number
    AppendText(b, "Vorelt synthetic DiSP\n\rVersion 1.00\n\r\n\r");
    Append(b, {0x1A, 0});
    WriteMessage(out, IdProduct, b.data(), b.size());
    manifest.AddMessage(IdProduct, KindSetup);

    b.clear();
    AppendText(b, "Synthetic test: " + IntToStr(static_cast<int64_t>(settings.Hits)) + " hits on " +
                      IntToStr(settings.Channels) + " channels, seed " +
                      IntToStr(static_cast<int64_t>(settings.Seed)));
    b.push_back(0);
    WriteMessage(out, IdComment, b.data(), b.size());
    manifest.AddMessage(IdComment, KindComment);

    b.clear();
    AppendText(b, StartText(settings.StartTimeUnix));
    b.push_back(0);
    WriteMessage(out, IdTestStart, b.data(), b.size());
    manifest.AddMessage(IdTestStart, KindSetup);

    b = {120, 0, 1}; // MVERN, ENEDIT, EDISPF9
    WriteMessage(out, IdTestInfo, b.data(), b.size());
    manifest.AddMessage(IdTestInfo, KindSetup);

    b.clear();
    AppendU16(b, 0x0067);
    AppendSubRecord(b, 100, {});
    std::vector<uint8_t> r = {static_cast<uint8_t>(std::size(HitCodes))};
    r.insert(r.end(), std::begin(HitCodes), std::end(HitCodes));
    r.push_back(HitParametrics);
    AppendSubRecord(b, 5, r);
    r = {static_cast<uint8_t>(std::size(TimeDrivenCodes))};
    r.insert(r.end(), std::begin(TimeDrivenCodes), std::end(TimeDrivenCodes));
    Append(r, {1, 1}); // one parametric group, input 1
    AppendSubRecord(b, 6, r);
    r = {1, static_cast<uint8_t>(settings.Channels)};
    for (int c = 1; c <= settings.Channels; ++c)
        r.push_back(static_cast<uint8_t>(c));
    AppendSubRecord(b, 106, r);
    // Partial powers: segment table (number, first and last frequency bin) and no weighting.
    r = {0, static_cast<uint8_t>(PartialPowerSegments), 0};
    for (uint16_t s = 0; s < PartialPowerSegments; ++s)
        Append(r, {static_cast<uint8_t>(s), 0, static_cast<uint8_t>(s * 64), 0,
                   static_cast<uint8_t>(s * 64 + 63), 0});
    Append(r, {0, 0});
    AppendSubRecord(b, 109, r);
    if (settings.Waveforms != TWaveformStorage::None) {
        FShape.Samples = settings.WaveformSamples;
        FShape.Pretrigger = settings.WaveformSamples / 8;
        for (int c = 1; c <= settings.Channels; ++c) {
            AppendSubRecord(b, SubGain, {static_cast<uint8_t>(c), FGainDb[c]});
            // The channel at 8, the sample rate in kHz at 13, the signed trigger delay in
            // samples at 19 (negative: samples before the trigger).
            r.assign(21, 0);
            r[0] = 42;
            r[8] = static_cast<uint8_t>(c);
            StoreU16(r.data() + 13, static_cast<uint16_t>(FShape.SampleRate / 1000));
            StoreU16(r.data() + 19, static_cast<uint16_t>(int16_t(-FShape.Pretrigger)));
            AppendSubRecord(b, SubWaveform, r);
        }
    }
    WriteMessage(out, IdHardwareSetup, b.data(), b.size());
    manifest.AddMessage(IdHardwareSetup, KindSetup);

    WriteMessage(out, IdResetClock, nullptr, 0);
    manifest.AddMessage(IdResetClock, KindSetup);
}

void TDispWriter::WriteSample(TOutputFile& out, uint8_t id, const TSyntheticEvent& e,
                              int firstChannel, int lastChannel, TDataManifest& manifest) {
    uint8_t body[6 + 3 + TimeDrivenBlock * 256];
    StoreTime(body, Ticks(e.TimeUs));
    body[6] = 1; // parametric input 1
    StoreU16(body + 7, FPressure);
    size_t o = 9;
    for (int c = firstChannel; c <= lastChannel; ++c) {
        body[o] = static_cast<uint8_t>(c);
        body[o + 1] = static_cast<uint8_t>(20 + FNoise[c] / 128); // ASL, dB
        StoreU16(body + o + 2, FNoise[c]);                        // RMS
        o += TimeDrivenBlock;
    }
    WriteTimed(out, id, KindUnknown, body, o, e.TimeUs, manifest);
}

void TDispWriter::WriteEvent(TOutputFile& out, const TSyntheticEvent& e, TDataManifest& manifest) {
    uint8_t body[64] = {};
    StoreTime(body, Ticks(e.TimeUs));
    switch (e.Kind) {
    case TSyntheticEventKind::Hit: {
        uint8_t* p = body + 6;
        *p++ = e.Channel;
        StoreU16(p, Clamp16(e.RiseUs)), p += 2;
        StoreU16(p, e.CountsToPeak), p += 2;
        StoreU16(p, Clamp16(e.Counts)), p += 2;
        StoreU16(p, Clamp16(e.Energy)), p += 2;
        StoreU32(p, e.DurationUs), p += 4;
        const long double db =
            20.0L * std::log10(static_cast<long double>(std::max<uint16_t>(e.AmplitudeCode, 1)));
        *p++ = static_cast<uint8_t>(std::clamp<int32_t>(RoundToInt32(db), 0, 255));
        *p++ = FGainDb[e.Channel];
        StoreF32(p, static_cast<float>(e.Energy) * AbsEnergyPerCount), p += 4;
        for (uint16_t s = 0; s < PartialPowerSegments; ++s) // percentages summing to 100
            *p++ = static_cast<uint8_t>(s == 0 ? 100 - 25 * (PartialPowerSegments - 1) : 25);
        StoreU16(p, static_cast<uint16_t>(100 + e.RiseUs % 400)), p += 2; // centroid, kHz
        StoreU16(p, static_cast<uint16_t>(80 + e.Counts % 300)), p += 2;  // peak, kHz
        *p++ = 1;
        StoreU16(p, FPressure), p += 2;
        WriteTimed(out, IdHit, KindHit, body, HitBodySize, e.TimeUs, manifest);
        manifest.HitChannels[e.Channel] = true;
        if (FSettings.Waveforms != TWaveformStorage::None) {
            // Scaled by the set-up's gain of the channel: 10 V over 32768 steps before it.
            const double microvoltsPerUnit = 1e7 / (std::pow(10.0, DefaultGainDb / 20.0) * 32768.0);
            SyntheticWaveform(e, microvoltsPerUnit, FShape, FSettings.Seed, FSamples);
            FWaveBody.assign(9 + 2 * FSamples.size(), 0);
            FWaveBody[0] = 1;
            StoreTime(FWaveBody.data() + 1, Ticks(e.TimeUs));
            FWaveBody[7] = e.Channel;
            for (size_t k = 0; k < FSamples.size(); ++k)
                StoreU16(FWaveBody.data() + 9 + 2 * k, static_cast<uint16_t>(FSamples[k]));
            WriteTimed(out, IdWaveform, KindUnknown, FWaveBody.data(), FWaveBody.size(), e.TimeUs,
                       manifest);
        }
        break;
    }
    case TSyntheticEventKind::Parametric:
        FPressure = e.Value;
        WriteSample(out, IdTimeDriven, e, 1, FSettings.Channels, manifest);
        break;
    case TSyntheticEventKind::Noise:
        FNoise[e.Channel] = e.Value;
        WriteSample(out, IdDemandDriven, e, e.Channel, e.Channel, manifest);
        break;
    case TSyntheticEventKind::GainChange:
        // No message of its own: the hits of the channel carry the new gain.
        FGainDb[e.Channel] = static_cast<uint8_t>(RoundToInt32(0.375L * e.GainCode));
        break;
    case TSyntheticEventKind::TimeMark: {
        const size_t n = std::strlen(e.Text);
        StoreU16(body + 6, static_cast<uint16_t>(n + 1));
        body[8] = 1; // a plain operator mark
        std::memcpy(body + 9, e.Text, n);
        WriteTimed(out, IdTimeMark, KindTimeMark, body, 9 + n, e.TimeUs, manifest);
        break;
    }
    case TSyntheticEventKind::Start:
    case TSyntheticEventKind::Resume:
        WriteTimed(out, IdResume, KindResume, body, 6, e.TimeUs, manifest);
        break;
    case TSyntheticEventKind::Pause:
        WriteTimed(out, IdPause, KindPause, body, 6, e.TimeUs, manifest);
        break;
    case TSyntheticEventKind::Stop:
        WriteTimed(out, IdStop, KindStop, body, 6, e.TimeUs, manifest);
        break;
    }
}

void TDispWriter::End(TOutputFile& out, TDataManifest& manifest) {
    // The acquisition was ended after the clock stopped: the abort has no time.
    uint8_t body[7] = {};
    StoreTime(body, SentinelTime);
    body[6] = 1;
    WriteMessage(out, IdAbort, body, sizeof body);
    manifest.AddMessage(IdAbort, KindAbort);
    manifest.MemberOfEvents = 0; // the format announces no count
    const int64_t lastSecond =
        manifest.TimedCount > 0 ? (manifest.MaxTimeUs + 999999) / 1000000 : 0;
    manifest.StopTimeUnix = static_cast<uint32_t>(FSettings.StartTimeUnix + lastSecond);
    manifest.FileSize = out.Position();
}

} // namespace vorelt
