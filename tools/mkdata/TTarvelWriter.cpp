#include "TTarvelWriter.h"

#include "persist/TNumberFormat.h"

#include <cstring>

namespace vorelt {

namespace {

// Directory ids of the set-up block besides the channel table. The channel table is not the
// first entry, as a reader must search the directory for it.
constexpr uint32_t AcquisitionBlockId = 2, AcquisitionBlockSize = 32;
constexpr uint32_t FilterBlockId = 3, FilterBlockSize = 16;
constexpr uint32_t DirectoryEntries = 3;

// Record kinds as the drivers classify the messages.
constexpr int KindUnknown = 0, KindHit = 1, KindTimeMark = 6, KindSetup = 7, KindComment = 8;

} // namespace

// ---- shared outline -------------------------------------------------------------------------

void TTarvelWriter::SplitTime(int64_t timeUs, uint32_t& seconds, uint32_t& micros) const {
    int64_t s = timeUs / 1000000, us = timeUs % 1000000;
    if (us < 0) {
        us += 1000000;
        --s;
    }
    seconds = static_cast<uint32_t>(FSettings.StartTimeUnix + s);
    micros = static_cast<uint32_t>(us);
}

void TTarvelWriter::Begin(TOutputFile& out, const TWriterSettings& settings,
                          TDataManifest& manifest) {
    FSettings = settings;
    const std::vector<uint8_t> channelTable = ChannelTable();
    const uint32_t setupSize =
        AcquisitionBlockSize + static_cast<uint32_t>(channelTable.size()) + FilterBlockSize;
    const uint32_t e = 8 + 12 * DirectoryEntries;
    const size_t testInfo = TestInfoSize();
    const size_t headerSize = MainHeaderSize + testInfo + BlockHeaderSize + e + setupSize;
    std::vector<uint8_t> h(headerSize, 0);

    uint8_t* p = h.data();
    StoreU32(p + 0, Signature);
    StoreU32(p + 4, 3);      // version 1
    StoreU32(p + 8, 0x0210); // version 2
    StoreU32(p + 12, FileType);
    StoreU32(p + 16, static_cast<uint32_t>(HardwareVersion()));

    FTestInfoStart = MainHeaderSize;
    uint8_t* t = p + MainHeaderSize;
    StoreText(t + ObjectNameOffset, 255, "Synthetic pressure vessel");
    StoreText(t + OperatorOffset, 255, "vorelt-mkdata");
    const std::string reference = "Seed " + IntToStr(static_cast<int64_t>(settings.Seed));
    StoreText(t + ReferenceOffset, 255, reference.c_str());
    const std::string comment = "Synthetic test: " + IntToStr(static_cast<int64_t>(settings.Hits)) +
                                " hits on " + IntToStr(settings.Channels) + " channels";
    StoreText(t + CommentOffset, 1000, comment.c_str());
    StoreU32(t + StartTimeOffset, settings.StartTimeUnix);
    StoreU32(t + StopTimeOffset, settings.StartTimeUnix); // final value written by End

    uint8_t* b = t + testInfo;
    StoreU32(b + 0, BlockSignature());
    StoreU32(b + 12, e);

    uint8_t* d = b + BlockHeaderSize;
    StoreU32(d + 0, DirectoryEntries);
    StoreU32(d + 4, setupSize);
    const uint32_t entries[DirectoryEntries][3] = {
        {AcquisitionBlockId, 0, AcquisitionBlockSize},
        {ChannelTableId, AcquisitionBlockSize, static_cast<uint32_t>(channelTable.size())},
        {FilterBlockId, AcquisitionBlockSize + static_cast<uint32_t>(channelTable.size()),
         FilterBlockSize}};
    for (uint32_t i = 0; i < DirectoryEntries; ++i)
        for (int j = 0; j < 3; ++j)
            StoreU32(d + 8 + 12 * i + 4 * j, entries[i][j]);

    uint8_t* s = d + e;
    StoreU32(s + 0, 2000000); // sampling rate, Hz
    StoreU32(s + 4, static_cast<uint32_t>(settings.Channels));
    std::memcpy(s + AcquisitionBlockSize, channelTable.data(), channelTable.size());
    uint8_t* f = s + AcquisitionBlockSize + channelTable.size();
    StoreU32(f + 0, 100); // band-pass filter, kHz
    StoreU32(f + 4, 500);

    out.Write(h.data(), h.size());
    manifest.Format = std::string(FormatName());
    manifest.Seed = settings.Seed;
    manifest.HeaderSize = headerSize;
    manifest.StartTimeUnix = settings.StartTimeUnix;
    manifest.SetupChannels = settings.Channels + 1;
    for (int c = 1; c <= settings.Channels; ++c)
        manifest.ActiveChannels[c] = true;
    ++manifest.Kinds[KindUnknown];
}

void TTarvelWriter::End(TOutputFile& out, TDataManifest& manifest) {
    uint8_t v[4];
    StoreU32(v, static_cast<uint32_t>(manifest.Kinds[KindHit]));
    out.Patch(FTestInfoStart + MemberOfEventsOffset(), v, 4);
    manifest.MemberOfEvents = manifest.Kinds[KindHit];
    const int64_t lastSecond =
        manifest.TimedCount > 0 ? (manifest.MaxTimeUs + 999999) / 1000000 : 0;
    manifest.StopTimeUnix = static_cast<uint32_t>(FSettings.StartTimeUnix + lastSecond);
    StoreU32(v, manifest.StopTimeUnix);
    out.Patch(FTestInfoStart + StopTimeOffset, v, 4);
    manifest.FileSize = out.Position();
}

// ---- ISA ------------------------------------------------------------------------------------

std::vector<uint8_t> TTarvelIsaWriter::ChannelTable() const {
    const size_t records = static_cast<size_t>(FSettings.Channels) + 1;
    std::vector<uint8_t> table(108 + 8 + 60 * records + 464, 0);
    StoreU32(table.data() + 108, AmplitudeF);
    StoreU32(table.data() + 112, AmplitudeR);
    for (size_t i = 0; i < records; ++i) {
        uint8_t* r = table.data() + 116 + 60 * i;
        const bool active = i < static_cast<size_t>(FSettings.Channels);
        StoreU32(r + 0, active ? 1 : 0); // enabled
        StoreU32(r + 4, 40);             // threshold, dB
        StoreU32(r + 8, DefaultGainCode);
        StoreU32(r + 48, AmplitudeK1);
        StoreU32(r + 52, AmplitudeK2);
    }
    return table;
}

void TTarvelIsaWriter::WriteMessage(TOutputFile& out, uint32_t type, const uint8_t* body,
                                    int64_t timeUs, TDataManifest& manifest) {
    uint8_t buffer[4 + 44];
    StoreU32(buffer, type);
    std::memcpy(buffer + 4, body, BodySize[type]);
    out.Write(buffer, 4 + BodySize[type]);
    manifest.AddTimedMessage(static_cast<uint8_t>(type),
                             type == 0 || type == 4 ? KindHit : KindSetup, timeUs);
}

void TTarvelIsaWriter::WriteSystem(TOutputFile& out, const TSyntheticEvent& e, uint16_t subtype,
                                   TDataManifest& manifest) {
    uint8_t body[24] = {};
    uint32_t seconds, micros;
    SplitTime(e.TimeUs, seconds, micros);
    StoreU32(body + 0, seconds);
    StoreU32(body + 4, micros);
    StoreU16(body + 8, subtype);
    if (subtype == SysGain) {
        body[12] = static_cast<uint8_t>(e.Channel - 1);
        body[19] = e.GainCode;
    }
    WriteMessage(out, 1, body, e.TimeUs, manifest);
}

void TTarvelIsaWriter::WriteEvent(TOutputFile& out, const TSyntheticEvent& e,
                                  TDataManifest& manifest) {
    uint8_t body[44] = {};
    uint32_t seconds, micros;
    SplitTime(e.TimeUs, seconds, micros);
    StoreU32(body + 0, seconds);
    StoreU32(body + 4, micros);
    switch (e.Kind) {
    case TSyntheticEventKind::Hit:
        body[8] = static_cast<uint8_t>(e.Channel - 1);
        StoreU16(body + 10, e.AmplitudeCode);
        StoreU32(body + 12, e.Energy);
        StoreU32(body + 16, e.DurationUs);
        StoreU32(body + 20, e.RiseUs);
        StoreU32(body + 24, e.Counts);
        manifest.HitChannels[e.Channel] = true;
        WriteMessage(out, e.LongForm ? 4 : 0, body, e.TimeUs, manifest);
        break;
    case TSyntheticEventKind::Noise:
        body[8] = static_cast<uint8_t>(e.Channel - 1);
        StoreU16(body + 10, e.Value);
        WriteMessage(out, e.LongForm ? 5 : 2, body, e.TimeUs, manifest);
        break;
    case TSyntheticEventKind::Parametric:
        StoreU16(body + 8, e.Value);
        WriteMessage(out, 3, body, e.TimeUs, manifest);
        break;
    case TSyntheticEventKind::GainChange:
        WriteSystem(out, e, SysGain, manifest);
        break;
    case TSyntheticEventKind::Start:
        WriteSystem(out, e, SysStart, manifest);
        break;
    case TSyntheticEventKind::Pause:
        WriteSystem(out, e, SysPause, manifest);
        break;
    case TSyntheticEventKind::Resume:
        WriteSystem(out, e, SysResume, manifest);
        break;
    case TSyntheticEventKind::Stop:
        WriteSystem(out, e, SysStop, manifest);
        break;
    case TSyntheticEventKind::TimeMark:
        break; // the ISA board has no time marks
    }
}

// ---- PCI ------------------------------------------------------------------------------------

std::vector<uint8_t> TTarvelPciWriter::ChannelTable() const {
    const size_t records = static_cast<size_t>(FSettings.Channels) + 1;
    std::vector<uint8_t> table(ChannelRecordSize * records, 0);
    for (size_t i = 0; i < records; ++i) {
        uint8_t* r = table.data() + ChannelRecordSize * i;
        r[0] = static_cast<uint8_t>(i);
        StoreU32(r + 76, i < static_cast<size_t>(FSettings.Channels) ? 1 : 0);
        StoreU32(r + 80, 40); // threshold, dB
        StoreU32(r + 92, static_cast<uint32_t>(DefaultGainDb));
        StoreF32(r + 96, AmplitudeScale);
        StoreU32(r + 272, i % 2 == 0 ? 1 : 0); // even records use energy set A for long hits
        StoreF64(r + 328, 0.1);
        StoreU32(r + 360, 1000);
        StoreF64(r + 488, 0.5);
        StoreU32(r + 520, 2000);
    }
    return table;
}

void TTarvelPciWriter::Begin(TOutputFile& out, const TWriterSettings& settings,
                             TDataManifest& manifest) {
    FGainDb.fill(DefaultGainDb);
    TTarvelWriter::Begin(out, settings, manifest);
}

void TTarvelPciWriter::WriteMessage(TOutputFile& out, uint8_t kind, const uint8_t* body,
                                    uint16_t length) {
    uint8_t buffer[4 + 64];
    StoreU16(buffer, kind);
    StoreU16(buffer + 2, length);
    std::memcpy(buffer + 4, body, length);
    out.Write(buffer, 4u + length);
}

void TTarvelPciWriter::WriteSystem(TOutputFile& out, const TSyntheticEvent& e, uint16_t subtype,
                                   TDataManifest& manifest) {
    uint8_t body[SystemLength] = {};
    uint32_t seconds, micros;
    SplitTime(e.TimeUs, seconds, micros);
    StoreU32(body + 0, seconds);
    StoreU32(body + 4, micros);
    StoreU16(body + 10, subtype);
    if (subtype == SysGain) {
        StoreU16(body + 8, static_cast<uint16_t>(e.Channel - 1));
        const int32_t gain = RoundToInt32(0.375L * e.GainCode);
        StoreU32(body + 12, static_cast<uint32_t>(gain));
        FGainDb[e.Channel] = gain;
    }
    WriteMessage(out, 1, body, SystemLength);
    manifest.AddTimedMessage(1, KindSetup, e.TimeUs);
}

void TTarvelPciWriter::WriteEvent(TOutputFile& out, const TSyntheticEvent& e,
                                  TDataManifest& manifest) {
    uint8_t body[64] = {};
    uint32_t seconds, micros;
    SplitTime(e.TimeUs, seconds, micros);
    StoreU32(body + 0, seconds);
    StoreU32(body + 4, micros);
    switch (e.Kind) {
    case TSyntheticEventKind::Hit: {
        StoreU16(body + 8, static_cast<uint16_t>(e.Channel - 1));
        StoreU16(body + 10, e.AmplitudeCode);
        StoreU32(body + 12, e.DurationUs);
        StoreU32(body + 16, e.RiseUs);
        StoreU32(body + 20, e.Counts);
        StoreU16(body + 24, static_cast<uint16_t>(e.Energy));
        StoreU16(body + 26, static_cast<uint16_t>(e.Energy >> 16));
        const uint8_t kind = e.LongForm ? 5 : 0;
        if (e.LongForm) StoreU32(body + 48, static_cast<uint32_t>(FGainDb[e.Channel]));
        WriteMessage(out, kind, body, e.LongForm ? LongHitLength : HitLength);
        manifest.AddTimedMessage(kind, KindHit, e.TimeUs);
        manifest.HitChannels[e.Channel] = true;
        break;
    }
    case TSyntheticEventKind::Noise: {
        StoreU16(body + 8, static_cast<uint16_t>(e.Channel - 1));
        StoreU16(body + 10, e.Value);
        // Kind 4 noise reports are not classified as set-up messages by the reader.
        const uint8_t kind = e.LongForm ? 4 : 2;
        WriteMessage(out, kind, body, NoiseLength);
        manifest.AddTimedMessage(kind, e.LongForm ? KindUnknown : KindSetup, e.TimeUs);
        break;
    }
    case TSyntheticEventKind::Parametric:
        StoreU16(body + 10, e.Value); // input 0 at offset 8
        WriteMessage(out, 3, body, ParametricLength);
        manifest.AddTimedMessage(3, KindSetup, e.TimeUs);
        break;
    case TSyntheticEventKind::TimeMark: {
        WriteMessage(out, 6, body, TimeMarkLength);
        manifest.AddTimedMessage(6, KindTimeMark, e.TimeUs);
        // The text follows as its own untimed message.
        uint8_t text[TextMarkLength] = {};
        StoreU32(text, seconds);
        StoreText(text + 4, MaxSyntheticTextLength + 1, e.Text);
        WriteMessage(out, 7, text, TextMarkLength);
        manifest.AddMessage(7, KindComment);
        break;
    }
    case TSyntheticEventKind::GainChange:
        WriteSystem(out, e, SysGain, manifest);
        break;
    case TSyntheticEventKind::Start:
        WriteSystem(out, e, SysStart, manifest);
        break;
    case TSyntheticEventKind::Pause:
        WriteSystem(out, e, SysPause, manifest);
        break;
    case TSyntheticEventKind::Resume:
        WriteSystem(out, e, SysResume, manifest);
        break;
    case TSyntheticEventKind::Stop:
        WriteSystem(out, e, SysStop, manifest);
        break;
    }
}

} // namespace vorelt
