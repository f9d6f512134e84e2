#include "TSpartanWriter.h"

#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorelt {

namespace {

// Message types and the record kinds the driver gives them.
constexpr uint8_t TypeHit = 1, TypeTimeDriven = 2, TypeDemandDriven = 3, TypeComment = 7,
                  TypeAlarm = 16, TypeResume = 128, TypeStop = 129, TypePause = 130;
constexpr int KindUnknown = 0, KindHit = 1, KindStop = 2, KindResume = 3, KindPause = 4,
              KindSetup = 7, KindComment = 8;

uint16_t Clamp16(uint64_t v) {
    return static_cast<uint16_t>(std::min<uint64_t>(v, 0xFFFF));
}

void Store48(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 6; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void AppendTwo(std::string& s, int v) {
    s.push_back(static_cast<char>('0' + v / 10 % 10));
    s.push_back(static_cast<char>('0' + v % 10));
}

} // namespace

std::string TSpartanWriter::DateText(uint32_t unixTime) {
    // Civil date from the day count (proleptic Gregorian calendar).
    const int64_t days = unixTime / 86400;
    const int64_t secs = unixTime % 86400;
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    std::string s;
    AppendTwo(s, d);
    s += '/';
    AppendTwo(s, m);
    s += '/';
    AppendTwo(s, static_cast<int>(y % 100));
    s += ' ';
    AppendTwo(s, static_cast<int>(secs / 3600));
    s += ':';
    AppendTwo(s, static_cast<int>(secs / 60 % 60));
    s += ':';
    AppendTwo(s, static_cast<int>(secs % 60));
    return s;
}

void TSpartanWriter::Begin(TOutputFile& out, const TWriterSettings& settings,
                           TDataManifest& manifest) {
    FSettings = settings;
    FSequence = 0;
    FPressure = ParametricZero;
    uint8_t h[HeaderSize] = {};
    // Counts are written by End.
    StoreText(h + 20, 19, DateText(settings.StartTimeUnix).c_str());
    h[39] = 0; // not continued from an earlier file
    StoreText(h + 40, 7, "2.10");
    StoreText(h + 47, 41, "Synthetic pressure vessel");
    if (FDispLookalike) {
        h[4] = 1; // a product number 1 and the start of a name "SP"
        h[6] = 'S';
        h[7] = 'P';
    }
    out.Write(h, HeaderSize);
    manifest.Format = std::string(FormatName());
    manifest.Seed = settings.Seed;
    manifest.HeaderSize = HeaderSize;
    manifest.StartTimeUnix = settings.StartTimeUnix;
    manifest.SetupChannels = 0;  // the format has no channel set-up
    ++manifest.Kinds[KindSetup]; // the header is delivered as a set-up record
}

void TSpartanWriter::WriteMessage(TOutputFile& out, uint8_t type, const uint8_t* body) {
    uint8_t m[MessageSize];
    m[0] = type;
    std::memcpy(m + 1, body, MessageSize - 1);
    out.Write(m, MessageSize);
}

void TSpartanWriter::WriteTimed(TOutputFile& out, uint8_t type, uint8_t* body, int64_t timeUs,
                                int kind, TDataManifest& manifest) {
    // The format counts time from the start of the test and cannot go below it.
    const int64_t t = std::max<int64_t>(timeUs, 0);
    Store48(body, static_cast<uint64_t>(t) * 4);
    WriteMessage(out, type, body);
    manifest.AddTimedMessage(type, kind, t);
}

void TSpartanWriter::WriteEvent(TOutputFile& out, const TSyntheticEvent& e,
                                TDataManifest& manifest) {
    uint8_t b[MessageSize - 1] = {};
    switch (e.Kind) {
    case TSyntheticEventKind::Hit: {
        b[6] = e.Channel;
        StoreU32(b + 7, ++FSequence);
        StoreU16(b + 11, Clamp16(e.RiseUs));
        StoreU16(b + 13, e.CountsToPeak);
        StoreU16(b + 15, Clamp16(e.Counts));
        StoreU16(b + 17, Clamp16(e.Energy));
        const uint64_t halves = static_cast<uint64_t>(e.DurationUs) * 2;
        StoreU32(b + 19, static_cast<uint32_t>(std::min<uint64_t>(halves, 0xFFFFFFFFu)));
        const long double db = e.AmplitudeCode > 0
                                   ? 20.0L * std::log10(static_cast<long double>(e.AmplitudeCode))
                                   : 0.0L;
        b[23] = static_cast<uint8_t>(std::clamp<int32_t>(RoundToInt32(db), 0, 255));
        b[24] = static_cast<uint8_t>(e.Channel % 7 + 1); // RMS/ASL
        b[25] = Threshold;
        StoreU16(b + 26, FPressure);
        b[28] = 0xA5; // bytes 28 to 30 carry nothing a reader uses; copies keep them
        manifest.HitChannels[e.Channel] = true;
        WriteTimed(out, TypeHit, b, e.TimeUs, KindHit, manifest);
        break;
    }
    case TSyntheticEventKind::Parametric:
        FPressure = static_cast<uint16_t>(ParametricZero + e.Value);
        StoreU16(b + 7, FPressure);
        StoreU16(b + 9, ParametricZero + 200);  // digital parameter 1
        StoreU16(b + 11, ParametricZero + 400); // gain 2
        WriteTimed(out, TypeTimeDriven, b, e.TimeUs, KindUnknown, manifest);
        break;
    case TSyntheticEventKind::Noise:
        StoreU16(b + 7, FPressure);
        StoreU16(b + 9, static_cast<uint16_t>(ParametricZero + e.Value));
        StoreU16(b + 11, static_cast<uint16_t>(ParametricZero + e.Channel));
        WriteTimed(out, TypeDemandDriven, b, e.TimeUs, KindUnknown, manifest);
        break;
    case TSyntheticEventKind::GainChange:
        // The recorder raises an alarm when a channel's set-up changes during the test.
        b[6] = e.Channel;
        WriteTimed(out, TypeAlarm, b, e.TimeUs, KindUnknown, manifest);
        break;
    case TSyntheticEventKind::TimeMark:
        // The operator's mark becomes a user comment; comments carry no time.
        StoreText(b, sizeof b, e.Text);
        WriteMessage(out, TypeComment, b);
        manifest.AddMessage(TypeComment, KindComment);
        break;
    case TSyntheticEventKind::Start:
    case TSyntheticEventKind::Resume:
        WriteTimed(out, TypeResume, b, e.TimeUs, KindResume, manifest);
        break;
    case TSyntheticEventKind::Pause:
        WriteTimed(out, TypePause, b, e.TimeUs, KindPause, manifest);
        break;
    case TSyntheticEventKind::Stop:
        WriteTimed(out, TypeStop, b, e.TimeUs, KindStop, manifest);
        break;
    }
}

void TSpartanWriter::End(TOutputFile& out, TDataManifest& manifest) {
    // The header counts its records the way a filtered copy does: the header included,
    // numbered from 1.
    const uint32_t records = static_cast<uint32_t>(manifest.Records());
    const uint32_t announced =
        FDispLookalike ? DispLookalikeCountBase | (records & 0xFFFF) : records;
    uint8_t v[4];
    StoreU32(v, announced);
    out.Patch(0, v, 4);
    StoreU32(v, 1);
    out.Patch(8, v, 4);
    StoreU32(v, records);
    out.Patch(16, v, 4);
    manifest.MemberOfEvents = announced;
    for (int c = 0; c < 256; ++c)
        manifest.ActiveChannels[c] = manifest.HitChannels[c];
    const int64_t lastSecond =
        manifest.TimedCount > 0 ? (manifest.MaxTimeUs + 999999) / 1000000 : 0;
    manifest.StopTimeUnix = static_cast<uint32_t>(FSettings.StartTimeUnix + lastSecond);
    manifest.FileSize = out.Position();
}

} // namespace vorelt
