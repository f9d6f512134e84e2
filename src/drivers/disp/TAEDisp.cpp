#include "drivers/disp/TAEDisp.h"

#include "drivers/TBlockReader.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/TMappedFile.h"
#include "drivers/TTailScan.h"
#include "drivers/TTimeText.h"
#include "drivers/waveform/TWaveformSources.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextCodec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>

namespace vorelt {

using namespace disp;

namespace {

constexpr TDriverFieldDecl Declared[] = {
    {fidDefaultText, dtString, 1},
    {fidHit, dtByte, 1},
    {fidTime, dtExtended, 1},
    {fidTimeS, dtExtended, 1},
    {fidTimeHH, dtExtended, 1},
    {fidHHMMSS, dtString, 1},
    {fidTimeMS, dtExtended, 1},
    {fidTimeUS, dtExtended, 1},
    {fidChan, dtByte, 1},
    {fidRise, dtWord, 1},
    {fidCount, dtLongWord, 1},
    {fidCountPeak, dtLongWord, 1},
    {fidAmpl, dtLongWord, 1},
    {fidDurat, dtWord, 1},
    {fidEnergy, dtWord, 1},
    {fidAbsEnergy, dtExtended, 1},
    {fidThreshold, dtLongWord, 1},
    {fidGain, dtLongWord, 1},
    {fidRMS, dtExtended, 1},
    {fidASL, dtLongWord, 1},
    {fidDeleted, dtBoolean, 1},
    {fidSelected, dtBoolean, 1},
    {fidIndexRec, dtInteger, 1},
    {fidChannels, dtListInteger, 2},
    {fidCycleCounter, dtInteger, 3},
    {fidParametric1, dtInteger, 3},
    {fidParametric2, dtInteger, 3},
    {fidCalcLoading, dtExtended, 3},
};

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadLE(const uint8_t* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

// Texts of a message: single-byte characters of the acquisition system's code page.
std::string MessageText(const uint8_t* data, size_t size) {
    return Cp1251ToUtf8(BodyText(data, size));
}

// Number at the start of a location or product-specific body: u16, or the one byte there is.
uint32_t LeadingNumber(const uint8_t* body, size_t size) {
    return size >= 2 ? LoadU16(body) : size == 1 ? body[0] : 0;
}

bool CarriesInfo(uint8_t id) {
    switch (id) {
    case idComment:
    case idTestInfo:
    case idProduct:
    case idLocation:
    case idSpecialInfo:
    case idTestStart:
        return true;
    default:
        return false;
    }
}

} // namespace

TAEDisp::TAEDisp(IDriverOwner* owner) : TAEDriverDb(owner) {
    DeclareFields();
    // Record kinds of the message identifiers; every identifier not named here is unknown.
    for (int id = 0; id < 256; ++id)
        SetKindMap(static_cast<uint8_t>(id), rkUnknown);
    SetKindMap(idHit, rkHit);
    SetKindMap(idComment, rkComment);
    SetKindMap(idContinuedFile, rkSetup);
    SetKindMap(idResetClock, rkSetup);
    SetKindMap(idAbort, rkAbort);
    SetKindMap(idTestInfo, rkSetup);
    SetKindMap(idProduct, rkSetup);
    SetKindMap(idHardwareSetup, rkSetup);
    SetKindMap(idLocation, rkSetup);
    SetKindMap(idSpecialInfo, rkSetup);
    SetKindMap(idTestStart, rkSetup);
    SetKindMap(idResume, rkResume);
    SetKindMap(idStop, rkStop);
    SetKindMap(idPause, rkPause);
    SetKindMap(idTimeMark, rkTimeMark);
}

TAEDisp::~TAEDisp() = default;

void TAEDisp::DeclareFields() {
    std::vector<TDriverFieldDecl> table(std::begin(Declared), std::end(Declared));
    table.insert(table.end(), std::begin(WaveformFieldDecls), std::end(WaveformFieldDecls));
    DeclareStandardFields(table, TAEDeclarer::Disp);
    FPosWaveIndex = FieldPos(fidWaveIndex);
    FPosChan = FieldPos(fidChan);
    FPosCycle = FieldPos(fidCycleCounter);
    FPosParam1 = FieldPos(fidParametric1);
    FPosParam2 = FieldPos(fidParametric2);
}

bool TAEDisp::CanOpen(const std::string& fileName, std::string& message) {
    message.clear();
    std::vector<uint8_t> head;
    if (!ReadFileRange(fileName, 0, RecognitionBytes, head, message)) return false;
    uint64_t fileSize = head.size();
    if (head.size() == RecognitionBytes) {
        std::error_code ec;
        fileSize = std::filesystem::file_size(fileName, ec);
        if (ec) {
            message = ec.message() + ": " + fileName;
            return false;
        }
    }
    return LooksLikeDisp(head, fileSize);
}

std::span<const uint8_t> TAEDisp::Body(const TDriverIndexItem& item) const {
    const TMappedFile& f = File();
    if (item.Offset > f.Size() || item.Size > f.Size() - item.Offset) return {};
    return {f.Data() + item.Offset, item.Size};
}

void TAEDisp::AddInfoLines(uint8_t id, const uint8_t* body, size_t size) {
    switch (id) {
    case idComment:
        FInfoLines.push_back("User Comments: " + MessageText(body, size));
        break;
    case idTestInfo: {
        static const char* const Names[3] = {"MVERN: ", "ENEDIT: ", "EDISPF9: "};
        for (size_t i = 0; i < 3 && i < size; ++i)
            FInfoLines.push_back(Names[i] + IntToStr(body[i]));
        break;
    }
    case idProduct:
        FInfoLines.push_back("ASCII Product name: " +
                             (size > 2 ? MessageText(body + 2, size - 2) : std::string()));
        break;
    case idLocation:
        FInfoLines.push_back("Location Definition: " +
                             (size > 0 ? IntToStr(LeadingNumber(body, size)) : std::string()));
        break;
    case idSpecialInfo:
        FInfoLines.push_back("Special Product Specific Information: " +
                             (size > 0 ? IntToStr(LeadingNumber(body, size)) : std::string()));
        break;
    case idTestStart:
        FInfoLines.push_back("Time and Date of Test Start: " + MessageText(body, size));
        break;
    default:
        break;
    }
}

void TAEDisp::AddMessageInfo(uint8_t id, const uint8_t* body, size_t size) {
    if (id == idContinuedFile) {
        // The setup of the test travels inside; its texts describe this file too.
        const long start = FindEmbeddedSetup({body, size});
        TFrame f;
        for (size_t q = start < 0 ? size : static_cast<size_t>(start);
             q < size && ReadFrame(body, size, q, f); q = f.End())
            if (CarriesInfo(f.ID)) AddInfoLines(f.ID, body + f.BodyOffset, f.BodySize);
    } else if (CarriesInfo(id)) {
        AddInfoLines(id, body, size);
    }
}

// Offset of the body of a message whose length word and ID are at `p`.
static uint64_t BodyOffset(const uint8_t* p, uint64_t at) {
    const uint16_t len = LoadU16(p);
    if (len == 0) return at + 2;
    return at + 2 + (HasSubID(p[2], len) ? 2 : 1);
}

size_t TAEDisp::IndexBlock(const uint8_t* data, size_t size, uint64_t base, bool final,
                           TScanPart& part) {
    TDriverIndex& index = *part.Index;
    size_t p = 0;
    while (p < size) {
        if (size - p < 2) break;
        const uint16_t len = LoadU16(data + p);
        if (size - p - 2 < len) break;
        CheckIndexSize(index.size() + 1);
        TDriverIndexItem item;
        item.Extra = len;
        if (len == 0) {
            item.Offset = base + p + 2;
        } else {
            const uint8_t id = data[p + 2];
            const size_t head = HasSubID(id, len) ? 2 : 1;
            const uint8_t* body = data + p + 2 + head;
            item.Kind = id;
            item.Offset = base + p + 2 + head;
            item.Size = len - static_cast<uint32_t>(head);
            if (id == idHit) {
                if (item.Size > 6 && !part.Seen[body[6]]) {
                    part.Seen[body[6]] = true;
                    if (part.Tail)
                        part.NewChannels.push_back({index.size(), body[6]});
                    else
                        FChannelList.push_back(body[6]);
                }
            } else if (id == idContinuedFile || CarriesInfo(id)) {
                if (part.Tail)
                    part.InfoItems.push_back(index.size());
                else
                    AddMessageInfo(id, body, item.Size);
            }
        }
        index.push_back(item);
        p += 2 + static_cast<size_t>(len);
    }
    // A message cut off by the end of the file is left out.
    if (final && p < size) FTruncatedAt = static_cast<int64_t>(base + p);
    return p;
}

// The second half of a long file, scanned on its own thread into its own index.
struct TAEDisp::TTail {
    TDriverIndex Index;
    TScanPart Part;
    std::unique_ptr<TTailScan> Scan; // last: joined before the part goes
};

std::unique_ptr<TAEDisp::TTail> TAEDisp::StartTail(uint64_t split, uint64_t size) {
    auto tail = std::make_unique<TTail>();
    tail->Part.Index = &tail->Index;
    tail->Part.Tail = true;
    TTail* t = tail.get();
    tail->Scan = TTailScan::Start(
        FileName(), split, size, 2 + 65535, 3,
        // A length word and a known message ID; only where the tail starts depends on it. Any
        // ID but zero lets runs inside hits of one length pass for messages, message after
        // message, and a tail that starts there is scanned again by the head.
        [this](const uint8_t* p, size_t) {
            TDriverIndexItem item;
            item.Extra = LoadU16(p);
            item.Kind = p[2];
            return IsKnownMessage(item) ? 2 + size_t{item.Extra} : 0;
        },
        [this, t, split, size](const uint8_t* data, size_t bytes, uint64_t base, bool first) {
            if (first) t->Index.reserve((size - split) / 16 + 1);
            return IndexBlock(data, bytes, base, false, t->Part);
        });
    if (!tail->Scan) return nullptr;
    return tail;
}

bool TAEDisp::MeetTail(TTail& tail, TScanPart& head, uint64_t next, const uint8_t* p,
                       size_t avail) {
    if (avail < 3) return false;
    const size_t from = FIndex.size();
    size_t j = 0;
    // The tail's first sightings count its messages before j.
    if (!AppendMeetingTail(FIndex, tail.Index, BodyOffset(p, next), true, j)) return false;
    CheckIndexSize(FIndex.size());
    for (const auto& [item, channel] : tail.Part.NewChannels)
        if (item >= j && !head.Seen[channel]) {
            head.Seen[channel] = true;
            FChannelList.push_back(channel);
        }
    for (const size_t item : tail.Part.InfoItems)
        if (item >= j) {
            const TDriverIndexItem m = FIndex[from + item - j];
            if (m.Offset + m.Size <= File().Size())
                AddMessageInfo(m.Kind, File().Data() + m.Offset, m.Size);
        }
    return true;
}

bool TAEDisp::Load(std::string& message) {
    FTruncatedAt = -1;
    return RunLoad(message, [this] {
        FInfoLines.push_back("");
        FInfoLines.push_back("Disp Type");
        FInfoLines.push_back("Database: " + FileName());

        const size_t size = File().Size();
        TScanPart head;
        head.Index = &FIndex;
        // The scan reads the file in blocks rather than through the mapping: reading is the
        // cheapest way through a large file, and records read later map only their own pages.
        TBlockReader reader(FileName(), size, 2 + 65535);
        if (reader.IsOpen()) {
            std::unique_ptr<TTail> tail;
            if (File().Data() && TTailScan::Worth(size)) tail = StartTail(size / 2, size);
            // Real files average about 30 bytes a message; untouched reserve costs no memory.
            FIndex.reserve((tail ? size / 2 : size) / 16 + 1);
            uint64_t base = 0;
            size_t carried = 0;
            while (true) {
                const size_t got = reader.Fill(carried);
                const size_t have = carried + got;
                const bool final = base + have >= size || got == 0;
                const size_t used = IndexBlock(reader.Data(), have, base, final, head);
                if (final) break;
                base += used;
                carried = have - used;
                if (tail && base >= tail->Scan->Split()) {
                    tail->Scan->Join();
                    if (MeetTail(*tail, head, base, reader.Data() + used, carried)) {
                        // Go on behind the tail's last message: to the end, or a cut-off one.
                        tail.reset();
                        base = FIndex.End(FIndex.size() - 1);
                        carried = 0;
                        reader.Seek(base);
                    } else if (TailBehind(tail->Index, base)) {
                        tail.reset(); // the scans never fell into step
                    }
                }
                reader.Keep(used, carried);
                ReportProgress(base + (tail ? tail->Scan->BytesDone() : 0), size);
            }
        } else {
            FIndex.reserve(size / 16 + 1);
            IndexBlock(File().Data(), size, 0, true, head);
        }
        FInfoLines.push_back("Records Count: " + IntToStr(static_cast<int64_t>(FIndex.size())));
    });
}

bool TAEDisp::Initialize(std::string& message) {
    if (!TAEDriverDb::Initialize(message)) return false;
    FSetup = TSetup{};
    FHitPlan.clear();
    FHitPlanComplete = false;
    FTimeDrivenBlock = 0;
    FSetupPositions.clear();
    try {
        // The first hardware setup, standing alone or inside a continued-file message, with the
        // partial-power setup given beside it.
        int partialPower = -1;
        int32_t at = -1;
        for (const TDriverIndexItem& item : FIndex) {
            ++at;
            if (item.Extra == 0) continue;
            if (FSetup.Found) {
                // Set-up messages precede the data: the search ends at the first hit.
                if (item.Kind == idHit || FSetup.PartialPowerSegments >= 0 || partialPower >= 0)
                    break;
            }
            if (item.Kind == idPartialPower && partialPower < 0) {
                partialPower = ParsePartialPowerBody(Body(item));
                FSetupPositions.push_back(at);
            }
            if (FSetup.Found) continue;
            if (item.Kind == idHardwareSetup) {
                ParseHardwareSetup(Body(item), FSetup);
                FSetupPositions.push_back(at);
            } else if (item.Kind == idContinuedFile) {
                const std::span<const uint8_t> body = Body(item);
                const long start = FindEmbeddedSetup(body);
                if (start < 0) continue;
                TFrame f;
                for (size_t q = static_cast<size_t>(start);
                     q < body.size() && ReadFrame(body.data(), body.size(), q, f); q = f.End()) {
                    const std::span<const uint8_t> inner = body.subspan(f.BodyOffset, f.BodySize);
                    if (f.ID == idHardwareSetup && !FSetup.Found)
                        ParseHardwareSetup(inner, FSetup);
                    else if (f.ID == idPartialPower && partialPower < 0)
                        partialPower = ParsePartialPowerBody(inner);
                }
                FSetupPositions.push_back(at);
            }
        }
        if (!FSetup.Found) throw EAEError("Not Found Init Record");
        if (FSetup.PartialPowerSegments < 0) FSetup.PartialPowerSegments = partialPower;
        if (!FSetup.Channels.empty()) FChannelList = FSetup.Channels;
        BuildHitPlan();
        SetState(dsReady);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
    }
    return false;
}

void TAEDisp::BuildHitPlan() {
    FHitPlanComplete = true;
    for (uint8_t code : FSetup.HitCodes) {
        const int size = CharacteristicSize(code, FSetup.PartialPowerSegments);
        if (size < 0) {
            // Nothing after a characteristic of unknown size can be placed.
            FHitPlanComplete = false;
            break;
        }
        THitValue v{static_cast<uint8_t>(size), TConvert::None, -1};
        switch (code) {
        case chRise:
            v = {v.Size, TConvert::Plain, FieldPos(fidRise)};
            break;
        case chCountPeak:
            v = {v.Size, TConvert::Plain, FieldPos(fidCountPeak)};
            break;
        case chCount:
            v = {v.Size, TConvert::Plain, FieldPos(fidCount)};
            break;
        case chEnergy:
            v = {v.Size, TConvert::Plain, FieldPos(fidEnergy)};
            break;
        case chDuration:
            v = {v.Size, TConvert::Plain, FieldPos(fidDurat)};
            break;
        case chAmplitude:
            v = {v.Size, TConvert::Plain, FieldPos(fidAmpl)};
            break;
        case chRms8:
            v = {v.Size, TConvert::Rms8, FieldPos(fidRMS)};
            break;
        case chAsl:
            v = {v.Size, TConvert::Plain, FieldPos(fidASL)};
            break;
        case chGain:
            v = {v.Size, TConvert::Plain, FieldPos(fidGain)};
            break;
        case chThreshold:
            v = {v.Size, TConvert::Plain, FieldPos(fidThreshold)};
            break;
        case chRms16:
            v = {v.Size, TConvert::Rms16, FieldPos(fidRMS)};
            break;
        case chAbsEnergy:
            v = {v.Size, TConvert::AbsEnergy, FieldPos(fidAbsEnergy)};
            break;
        default:
            break;
        }
        FHitPlan.push_back(v);
    }
    if (FSetup.HasTimeDriven) {
        size_t block = 1; // the channel number
        for (uint8_t code : FSetup.TimeDrivenCodes) {
            const int size = CharacteristicSize(code, FSetup.PartialPowerSegments);
            if (size < 0) {
                block = 0;
                break;
            }
            block += static_cast<size_t>(size);
        }
        FTimeDrivenBlock = block;
    }
}

bool TAEDisp::IsKnownMessage(const TDriverIndexItem& item) const {
    if (item.Extra == 0) return false;
    switch (item.Kind) {
    case idHit:
    case idTimeDriven:
    case idDemandDriven:
    case idComment:
    case idContinuedFile:
    case idResetClock:
    case idAbort:
    case idTestInfo:
    case idProduct:
    case idHardwareSetup:
    case idLocation:
    case idSpecialInfo:
    case idTestStart:
    case idReserved:
    case idPartialPower:
    case idResume:
    case idStop:
    case idPause:
    case idTimeMark:
        return true;
    default:
        return false;
    }
}

std::vector<int32_t> TAEDisp::CopySetupPositions() const {
    std::vector<int32_t> positions = FSetupPositions;
    if (!FIndex.empty()) positions.push_back(0);
    return positions;
}

bool TAEDisp::ConvertTime(std::string_view sourceID, std::string_view targetID, long double& value,
                          long double x) const {
    return ConvertTarvelTime(sourceID, targetID, value, x);
}

void TAEDisp::SetText(TAERecord& record, const std::string& text) {
    if (TAEField* f = record.Field(FPosText)) f->SetAsString(text);
}

void TAEDisp::SetTimeFields(TAERecord& record, uint64_t ticks) {
    SetTimeValues(record, static_cast<long double>(ticks) * 0.25L);
    if (TAEField* f = record.Field(FPosTimeUS))
        f->SetAsFloat(static_cast<long double>(ticks % TicksPerSecond) /
                      static_cast<long double>(TicksPerSecond));
    if (TAEField* f = record.Field(FPosHHMMSS)) {
        FScratch.clear();
        AppendHHMMSS(FScratch, ticks / TicksPerSecond);
        f->SetAsString(FScratch);
    }
}

void TAEDisp::ComposeText(uint8_t id, const uint8_t* body, size_t size, bool timed,
                          uint64_t ticks) {
    std::string& s = FScratch;
    s.clear();
    // Timed texts: the caption, ": " and the time-text; without a time only the caption.
    auto withTime = [&](const char* caption) {
        s += caption;
        if (timed) {
            s += ": ";
            AppendTimeText(s, ticks);
        }
    };
    switch (id) {
    case idTimeDriven:
    case idDemandDriven:
        withTime("Time Driven Message");
        break;
    case idComment:
        s = "User Comments: " + MessageText(body, size);
        break;
    case idContinuedFile:
        s = "Continued File Setup";
        break;
    case idResetClock:
        s = "Reset Absolute Time Clock";
        break;
    case idAbort:
        s = "Abort Data Acquisition";
        break;
    case idTestInfo:
        s = "Test Information";
        break;
    case idProduct:
        s = "Product Definition Message: ";
        s += IntToStr(size >= 2 ? LoadU16(body) : 0);
        s += ' ';
        if (size > 2) s += MessageText(body + 2, size - 2);
        break;
    case idHardwareSetup:
        s = "Hardware Setup";
        break;
    case idLocation:
        s = "Location Definition: ";
        if (size > 0) s += IntToStr(LeadingNumber(body, size));
        break;
    case idSpecialInfo:
        s = "Special Product Specific Information: ";
        if (size > 0) s += IntToStr(LeadingNumber(body, size));
        break;
    case idTestStart:
        s = "Time and Date of Test Start: " + MessageText(body, size);
        break;
    case idReserved:
        s = "Reserved Message - 107";
        break;
    case idResume:
        withTime("Resume Test or Start Of Test");
        break;
    case idStop:
        withTime("Stop the Test");
        break;
    case idPause:
        withTime("Pause the Test");
        break;
    case idTimeMark: {
        withTime("Time Mark Message");
        if (size < 7) break;
        // Text length word, embedded type, then the text; it ends at the first control byte.
        const size_t len = size >= 8 ? LoadU16(body + 6) : body[6];
        const uint8_t type = size > 8 ? body[8] : 0;
        size_t from = 9, count = len >= 1 ? len - 1 : 0;
        if (type == 2) {
            from = 15;
            count = len >= 7 ? len - 7 : 0;
        }
        size_t end = from;
        while (end < size && end - from < count && body[end] >= 32)
            ++end;
        s += ' ';
        if (end > from) s += Cp1251ToUtf8({reinterpret_cast<const char*>(body + from), end - from});
        break;
    }
    default:
        s = "Unknown Message ";
        s += IntToStr(id);
        break;
    }
}

void TAEDisp::ReadMessage(TAERecord& record, int32_t, const TDriverIndexItem& item) {
    const std::span<const uint8_t> bytes = Body(item);
    const uint8_t* body = bytes.data();
    const size_t size = bytes.size();
    if (item.Extra == 0) {
        // A zero length word: no identifier, nothing to decode.
        ComposeText(0, body, 0, false, 0);
        SetText(record, FScratch);
        return;
    }
    const uint8_t id = item.Kind;
    uint64_t ticks = 0;
    const bool timed = IsTimedID(id) && BodyTime(id, body, size, ticks);
    if (timed) SetTimeFields(record, ticks);
    if (id == idHit) {
        ReadHit(record, body, size);
        if (timed && size > 6 && record.Target(FPosWaveIndex)) {
            const int64_t number = WaveformNumber(ticks, body[6]);
            if (number >= 0) record.Field(FPosWaveIndex)->SetAsInt64(number);
        }
        return;
    }
    ComposeText(id, body, size, timed, ticks);
    SetText(record, FScratch);
    if (id == idTimeDriven || id == idDemandDriven) ReadTimeDriven(record, body, size);
}

void TAEDisp::LinkWaveforms() {
    FWaveLinks.clear();
    FWaveLinksBuilt = true;
    if (FIndex.KindCounts()[idWaveform] == 0) return;
    int64_t number = 0;
    FIndex.Visit(0, FIndex.size(), [&](const TDriverIndexItem& item) {
        if (item.Kind != idWaveform || item.Extra == 0) return;
        // The rules TDispWaveforms reads the messages by, so that the numbers agree.
        const std::span<const uint8_t> body = Body(item);
        constexpr size_t samples = TDispWaveforms::SamplesOffset;
        uint64_t ticks = 0;
        if (body.size() > samples && (body.size() - samples) % 2 == 0 &&
            BodyTime(idHit, body.data() + 1, body.size() - 1, ticks))
            FWaveLinks.push_back({ticks, body[7], number});
        ++number;
    });
    std::stable_sort(FWaveLinks.begin(), FWaveLinks.end(),
                     [](const TWaveLink& a, const TWaveLink& b) {
                         return a.Ticks != b.Ticks ? a.Ticks < b.Ticks : a.Channel < b.Channel;
                     });
}

int64_t TAEDisp::WaveformNumber(uint64_t ticks, uint8_t channel) {
    if (!FWaveLinksBuilt) LinkWaveforms();
    const TWaveLink key{ticks, channel, 0};
    const auto it = std::lower_bound(
        FWaveLinks.begin(), FWaveLinks.end(), key, [](const TWaveLink& a, const TWaveLink& b) {
            return a.Ticks != b.Ticks ? a.Ticks < b.Ticks : a.Channel < b.Channel;
        });
    return it != FWaveLinks.end() && it->Ticks == ticks && it->Channel == channel ? it->Number : -1;
}

IWaveformSource* TAEDisp::Waveforms() {
    if (!FWaveformsTried && IsOpen()) {
        FWaveformsTried = true;
        if (FIndex.KindCounts()[idWaveform] > 0) {
            try {
                FWaveforms = std::make_unique<TDispWaveformSource>(FileName());
            } catch (const std::exception& e) {
                FWaveformMessage = e.what();
            }
        }
    }
    return FWaveforms.get();
}

void TAEDisp::ClearIndex() {
    FWaveLinks.clear();
    FWaveLinksBuilt = false;
    FWaveforms.reset();
    FWaveformsTried = false;
    FWaveformMessage.clear();
    TAEDriverDb::ClearIndex();
}

void TAEDisp::ReadHit(TAERecord& record, const uint8_t* body, size_t size) {
    if (size <= 6) return;
    if (TAEField* f = record.Field(FPosChan)) f->SetAsInt64(body[6]);
    size_t o = 7;
    for (const THitValue& v : FHitPlan) {
        if (v.Size > size - o) return; // values past the end of the body are not read
        if (v.Pos >= 0) {
            const uint32_t raw = LoadLE(body + o, v.Size);
            TAEField* f = record.Field(v.Pos);
            switch (v.Convert) {
            case TConvert::Plain:
                f->SetAsInt64(raw);
                break;
            case TConvert::Rms8:
                f->SetAsFloat(static_cast<long double>(raw) / 20 / 1000);
                break;
            case TConvert::Rms16:
                f->SetAsFloat(static_cast<long double>(raw) / 5000);
                break;
            case TConvert::AbsEnergy: {
                float x;
                std::memcpy(&x, &raw, sizeof x);
                f->SetAsFloat(static_cast<long double>(x) * 0.000931L);
                break;
            }
            case TConvert::None:
                break;
            }
        }
        o += v.Size;
    }
    // Parametric groups follow the characteristics only when all of them could be placed.
    const size_t p = FSetup.HitParametrics;
    if (!FHitPlanComplete || p == 0) return;
    if (o + 3 * p == size) {
        for (int k = 0; k < 2 && o + 3 <= size; ++k, o += 3)
            if (TAEField* f = record.Field(k == 0 ? FPosParam1 : FPosParam2))
                f->SetAsInt64(LoadU16(body + o + 1));
    } else if (size - o >= 4) {
        if (TAEField* f = record.Field(FPosParam1)) f->SetAsInt64(LoadU16(body + o + 1));
        if (TAEField* f = record.Field(FPosCycle)) f->SetAsInt64(body[o + 3]);
    }
}

void TAEDisp::ReadTimeDriven(TAERecord& record, const uint8_t* body, size_t size) {
    // Time, the parametric groups, then one block per channel. The groups are taken only when
    // the channel blocks fill the rest of the body.
    const size_t p = FSetup.TimeDrivenParametrics;
    if (!FSetup.HasTimeDriven || p == 0 || size < 6 + 3 * p) return;
    const size_t rest = size - 6 - 3 * p;
    if (FTimeDrivenBlock > 0 && rest % FTimeDrivenBlock != 0) return;
    for (size_t k = 0; k < 2 && k < p; ++k)
        if (TAEField* f = record.Field(k == 0 ? FPosParam1 : FPosParam2))
            f->SetAsInt64(LoadU16(body + 6 + 3 * k + 1));
}

bool TAEDisp::MessageTime(int32_t, const TDriverIndexItem& item, int64_t& us) const {
    if (item.Extra == 0 || !IsTimedID(item.Kind)) return false;
    const std::span<const uint8_t> body = Body(item);
    uint64_t ticks;
    if (!BodyTime(item.Kind, body.data(), body.size(), ticks)) return false;
    us = TicksToMicroseconds(ticks);
    return true;
}

size_t TAEDisp::MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const {
    PutU16(out, item.Extra);
    if (item.Extra == 0) return 2;
    out[2] = item.Kind;
    if (!HasSubID(item.Kind, item.Extra)) return 3;
    // The sub-identifier is copied as stored, so a copy keeps every byte of the message.
    const TMappedFile& f = File();
    out[3] = item.Offset >= 1 && item.Offset <= f.Size() ? f.Data()[item.Offset - 1] : 0;
    return 4;
}

// Bytes before the body: length word, ID (when the length is not 0), sub-identifier.
static size_t PrefixLength(const TDriverIndexItem& item) {
    return item.Extra == 0 ? 2 : HasSubID(item.Kind, item.Extra) ? 4 : 3;
}

bool TAEDisp::MessageTimes(int32_t first, int32_t count, const TFileView& view,
                           int64_t* times) const {
    // A message is its length word, the ID (when the length is not 0), a sub-identifier for IDs
    // 40 to 49, and the body.
    return ViewMessageTimes(
        first, count, view, times,
        [](const TDriverIndexItem& item, size_t& prefix, uint64_t& need) {
            prefix = PrefixLength(item);
            need = item.Size;
            return item.Kind != ikHeader;
        },
        [](const TDriverIndexItem& item, int32_t, const uint8_t* body, int64_t& time) {
            uint64_t ticks = 0;
            time = item.Extra != 0 && IsTimedID(item.Kind) &&
                           BodyTime(item.Kind, body, item.Size, ticks)
                       ? TicksToMicroseconds(ticks)
                       : NoTime;
            const size_t prefix = PrefixLength(item);
            return LoadU16(body - prefix) == item.Extra &&
                   (prefix == 2 || body[2 - static_cast<ptrdiff_t>(prefix)] == item.Kind);
        });
}

void RegisterDispDriver() {
    TDriverClass entry;
    entry.ClassName = "TAEDisp";
    entry.Rank = drDisp;
    entry.CanOpen = &TAEDisp::CanOpen;
    entry.Create = [](IDriverOwner* owner) -> std::unique_ptr<TAEDriverDb> {
        return std::make_unique<TAEDisp>(owner);
    };
    RegisterDriver(entry);
}

} // namespace vorelt
