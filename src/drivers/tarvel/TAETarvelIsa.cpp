#include "drivers/tarvel/TAETarvelIsa.h"

#include "model/TAEFieldValue.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorelt {

using namespace tarvel;

TAETarvelIsa::TAETarvelIsa(IDriverOwner* owner) : TAETarvelDriver(owner, TBoard::Isa) {
    for (unsigned k = 0; k < 256; ++k)
        SetKindMap(static_cast<uint8_t>(k), rkUnknown);
    SetKindMap(0, rkHit);
    SetKindMap(1, rkSetup);
    SetKindMap(2, rkSetup);
    SetKindMap(3, rkSetup);
    SetKindMap(4, rkHit);
    SetKindMap(5, rkSetup);
}

bool TAETarvelIsa::CanOpen(const std::string& fileName, std::string& message) {
    return CanOpenBoard(TBoard::Isa, fileName, message);
}

std::unique_ptr<TAEDriverDb> TAETarvelIsa::Create(IDriverOwner* owner) {
    return std::make_unique<TAETarvelIsa>(owner);
}

void TAETarvelIsa::PrepareScan() {
    const std::vector<TIsaChannel>& channels = FHeader.IsaChannels;
    FAmplitudeOffset.assign(channels.size(), 0);
    for (size_t i = 0; i < channels.size(); ++i)
        FAmplitudeOffset[i] = 20.0L * std::log10(static_cast<long double>(FHeader.F) * 1000.0L /
                                                 FHeader.R / channels[i].K1 / channels[i].K2);
}

void TAETarvelIsa::StartPart(TScanPart& part, bool head) const {
    // Channel indices are single bytes.
    const size_t channels = std::min<size_t>(FHeader.IsaChannels.size(), 256);
    part.Gain.resize(channels);
    for (size_t ch = 0; ch < channels; ++ch)
        part.Gain[ch] = head ? 0 : static_cast<uint16_t>(GainUnknown | ch);
}

namespace {

bool IsZeroBody(const uint8_t* body) {
    uint64_t bits = 0;
    for (size_t i = 0; i < IsaBodySize[0]; i += 8) {
        uint64_t word;
        std::memcpy(&word, body + i, 8);
        bits |= word;
    }
    return bits == 0;
}

} // namespace

size_t TAETarvelIsa::ScanBlock(const uint8_t* data, size_t size, uint64_t base,
                               TScanPart& part) const {
    const size_t channels = part.Gain.size();
    uint16_t* const gain = part.Gain.data();
    TDriverIndex* const index = part.Index;
    size_t pos = 0;
    uint64_t n = 0;
    while (size - pos >= 4) {
        const uint32_t type = LoadU32(data + pos);
        if (type > IsaMaxType)
            throw EAEError(StructureError("message type " + IntToStr(type), base + pos));
        const size_t next = pos + 4 + IsaBodySize[type];
        if (next > size) break; // cut off by the block's end
        const uint8_t* body = data + pos + 4;
        TDriverIndexItem item;
        item.Offset = base + pos + 4;
        item.Size = IsaBodySize[type];
        item.Kind = static_cast<uint8_t>(type);
        if (type == 1) {
            if (LoadU16(body + 8) == SubtypeGain && body[12] < channels) gain[body[12]] = body[19];
        } else if (type == 0 || type == 4) {
            item.Extra = body[8] < channels ? gain[body[8]] : 0;
            // A hit of zero bytes (zero seconds first) is looked at here, in the cache, rather
            // than through the mapping when the file's warnings are gathered.
            if (type == 0 && LoadU32(body) == 0 && index && IsZeroBody(body))
                part.AddEmpty(index->size());
            // Stored as it goes: a damaged message further on ends the block with a throw.
            if ((item.Extra & GainUnknown) && index) part.UnknownEnd = index->size() + 1;
        }
        if (index) index->push_back(item);
        ++n;
        pos = next;
    }
    part.Count += n;
    return pos;
}

std::vector<int32_t> TAETarvelIsa::CopySetupPositions() const {
    std::vector<int32_t> positions = TAETarvelDriver::CopySetupPositions();
    for (size_t i = 0, n = FIndex.size(); i < n; ++i) {
        if (FIndex.Kind(i) != 1) continue;
        const TByteReader body = Reader(static_cast<int32_t>(i));
        if (body.Size() >= 10 && body.U16(8) == SubtypeGain)
            positions.push_back(static_cast<int32_t>(i));
    }
    return positions;
}

size_t TAETarvelIsa::MessageSpan(const uint8_t* p, size_t avail) const {
    const uint32_t type = LoadU32(p);
    if (type > IsaMaxType) return 0;
    // Every body begins with seconds and microseconds. Runs of small words inside bodies of one
    // size pass for types message after message; their microseconds seldom stay below a
    // million, which keeps a second scan from starting inside a body.
    if (avail >= 12 && LoadU32(p + 8) >= 1000000) return 0;
    return 4 + IsaBodySize[type];
}

bool TAETarvelIsa::IsEmptyMessage(size_t pos, const TDriverIndexItem& item) const {
    // Any other type word is not zero.
    return item.Kind == 0 && InEmptyRun(pos);
}

void TAETarvelIsa::FinishTail(TScanPart& head, const TScanPart& tail, size_t from, size_t skip) {
    // Hits of the tail before their channel's first gain message there run at the gain the
    // head ended with.
    if (tail.UnknownEnd > skip) {
        const size_t count = std::min<size_t>(tail.UnknownEnd - skip, FIndex.size() - from);
        FIndex.UpdateExtra(from, count, [&head](uint16_t extra) -> uint16_t {
            if (!(extra & GainUnknown)) return extra;
            const size_t ch = extra & 0xFF;
            return ch < head.Gain.size() ? head.Gain[ch] : 0;
        });
    }
    // The head goes on behind the tail (where something stopped the tail early) with the gains
    // as the tail left them.
    for (size_t ch = 0; ch < head.Gain.size() && ch < tail.Gain.size(); ++ch)
        if (!(tail.Gain[ch] & GainUnknown)) head.Gain[ch] = tail.Gain[ch];
}

bool TAETarvelIsa::MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const {
    if (item.Kind == ikHeader || item.Offset + 8 > File().Size()) return false;
    (void)pos;
    us = BodyTime(File().Data() + item.Offset);
    return true;
}

size_t TAETarvelIsa::MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const {
    PutU32(out, item.Kind);
    return 4;
}

bool TAETarvelIsa::MessageTimes(int32_t first, int32_t count, const TFileView& view,
                                int64_t* times) const {
    // The u32 type before the body.
    return BoardMessageTimes(first, count, view, times,
                             [this](const TDriverIndexItem& item, const uint8_t* body, int64_t& t) {
                                 t = BodyTime(body);
                                 return LoadU32(body - 4) == item.Kind;
                             });
}

void TAETarvelIsa::ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) {
    if (item.Kind == ikHeader) {
        SetUnknownText(record, ikHeader);
        return;
    }
    const std::span<const uint8_t> body = Data(pos);
    if (item.Kind > IsaMaxType || body.size() < IsaBodySize[item.Kind]) return;
    const uint8_t* b = body.data();
    SetTimeFields(record, BodyTime(b));
    switch (item.Kind) {
    case 0:
    case 4:
        ReadHit(record, b, item);
        break;
    case 1:
        SetText(record, FSystemText);
        break;
    case 2:
    case 5:
        if (TAEField* f = record.Target(FPosChan)) SetFieldInt64(*f, b[8] + 1);
        SetText(record, FNoiseText);
        break;
    case 3:
        SetText(record, FParametricText);
        break;
    default:
        break;
    }
}

void TAETarvelIsa::ReadHit(TAERecord& record, const uint8_t* b, const TDriverIndexItem& item) {
    const uint8_t ch = b[8];
    if (TAEField* f = record.Target(FPosChan)) SetFieldInt64(*f, ch + 1);
    if (TAEField* f = record.Target(FPosEnergy)) SetFieldInt64(*f, LoadU32(b + 12));
    if (TAEField* f = record.Target(FPosDurat)) SetFieldInt64(*f, LoadU32(b + 16));
    if (TAEField* f = record.Target(FPosRise)) SetFieldInt64(*f, LoadU32(b + 20));
    if (TAEField* f = record.Target(FPosCount)) SetFieldInt64(*f, LoadU32(b + 24));
    // Amplitude and gain need the channel record; a channel the set-up does not describe
    // leaves them empty, as does an amplitude code of 0 or a zero divisor.
    if (ch >= FHeader.IsaChannels.size()) return;
    const unsigned g = item.Extra != 0 ? item.Extra : FHeader.IsaChannels[ch].DefaultGain;
    const long double gainDb = 0.375L * g;
    // round(0.375 g) = round(3 g / 8), ties to even, in integers.
    const unsigned eighths = 3 * g, whole = eighths / 8, rest = eighths % 8;
    const unsigned gain = whole + (rest > 4 || (rest == 4 && (whole & 1) != 0) ? 1 : 0);
    const uint16_t a = LoadU16(b + 10);
    if (a != 0 &&
        !SetQuickRounded(record, FPosAmpl,
                         QuickDecibels(a) + static_cast<double>(FAmplitudeOffset[ch]) + 0.375 * g))
        SetRounded(record, FPosAmpl,
                   20.0L * std::log10(static_cast<long double>(a)) + FAmplitudeOffset[ch] + gainDb);
    if (TAEField* f = record.Target(FPosGain)) SetFieldInt64(*f, gain);
}

} // namespace vorelt
