#include "drivers/tarvel/TAETarvelPci.h"

#include "model/TAEFieldValue.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextCodec.h"

#include <cmath>

namespace vorelt {

using namespace tarvel;

TAETarvelPci::TAETarvelPci(IDriverOwner* owner) : TAETarvelDriver(owner, TBoard::Pci) {
    for (unsigned k = 0; k < 256; ++k)
        SetKindMap(static_cast<uint8_t>(k), rkUnknown);
    SetKindMap(0, rkHit);
    SetKindMap(1, rkSetup);
    SetKindMap(2, rkSetup);
    SetKindMap(3, rkSetup);
    SetKindMap(5, rkHit);
    SetKindMap(6, rkTimeMark);
    SetKindMap(7, rkComment);
}

bool TAETarvelPci::CanOpen(const std::string& fileName, std::string& message) {
    return CanOpenBoard(TBoard::Pci, fileName, message);
}

std::unique_ptr<TAEDriverDb> TAETarvelPci::Create(IDriverOwner* owner) {
    return std::make_unique<TAETarvelPci>(owner);
}

size_t TAETarvelPci::ScanBlock(const uint8_t* data, size_t size, uint64_t base,
                               TScanPart& part) const {
    TDriverIndex* const index = part.Index;
    size_t pos = 0;
    uint64_t n = 0;
    while (size - pos >= 4) {
        const uint16_t length = LoadU16(data + pos + 2);
        const size_t next = pos + 4 + length;
        if (next > size) break; // cut off by the block's end
        const uint16_t type = LoadU16(data + pos);
        const uint8_t kind = static_cast<uint8_t>(type);
        TDriverIndexItem item;
        item.Offset = base + pos + 4;
        item.Size = length;
        item.Kind = kind == ikHeader ? KindOther255 : kind;
        item.Extra = type;
        if (index) index->push_back(item);
        ++n;
        pos = next;
    }
    part.Count += n;
    return pos;
}

size_t TAETarvelPci::MessageSpan(const uint8_t* p, size_t) const {
    // Known types with a body that holds at least the time. Only where a second scan starts
    // depends on this: the scans are joined where they find the same message.
    const uint16_t type = LoadU16(p);
    const uint16_t length = LoadU16(p + 2);
    return type <= 7 && length >= 8 ? 4 + size_t{length} : 0;
}

bool TAETarvelPci::MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const {
    (void)pos;
    if (item.Kind > 6 || item.Size < 8 || item.Offset + 8 > File().Size()) return false;
    us = BodyTime(File().Data() + item.Offset);
    return true;
}

size_t TAETarvelPci::MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const {
    // The type word as read: its high byte is not part of the kind but belongs to the message.
    PutU16(out, item.Extra);
    PutU16(out + 2, static_cast<uint16_t>(item.Size));
    return 4;
}

bool TAETarvelPci::MessageTimes(int32_t first, int32_t count, const TFileView& view,
                                int64_t* times) const {
    // The type and length words before the body; only kinds 0 to 6 carry a time.
    return BoardMessageTimes(first, count, view, times,
                             [this](const TDriverIndexItem& item, const uint8_t* body, int64_t& t) {
                                 t = item.Kind <= 6 && item.Size >= 8 ? BodyTime(body) : NoTime;
                                 return LoadU16(body - 4) == item.Extra &&
                                        LoadU16(body - 2) == static_cast<uint16_t>(item.Size);
                             });
}

void TAETarvelPci::ReadMessage(TAERecord& record, int32_t, const TDriverIndexItem& item) {
    if (item.Kind == ikHeader) {
        SetUnknownText(record, ikHeader);
        return;
    }
    const std::span<const uint8_t> body = Data(item);
    const uint8_t* b = body.data();
    const uint32_t size = static_cast<uint32_t>(body.size());
    const uint8_t kind = item.Kind;
    if (kind <= 6 && size >= 8) SetTimeFields(record, BodyTime(b));
    auto channel = [&]() {
        if (size >= 10)
            if (TAEField* f = record.Target(FPosChan)) SetFieldInt64(*f, LoadU16(b + 8) + 1);
    };
    switch (kind) {
    case 0:
    case 5:
        ReadHit(record, b, size, kind == 5);
        break;
    case 1:
        channel();
        SetText(record, FSystemText);
        break;
    case 2:
    case 4:
        channel();
        SetText(record, FNoiseText);
        break;
    case 3:
        channel();
        SetText(record, FParametricText);
        break;
    case 6:
        SetText(record, FTimeMarkText);
        break;
    case 7:
        FMarkText = "Mark Message: ";
        FMarkText += Cp1251ToUtf8(TByteReader(b, size).Text(4, PciTextMarkChars));
        SetText(record, FMarkText);
        break;
    default:
        SetUnknownText(record, static_cast<uint8_t>(item.Extra));
        break;
    }
}

void TAETarvelPci::ReadHit(TAERecord& record, const uint8_t* b, uint32_t size, bool longForm) {
    // A body shorter than the format's hit carries only the fields that lie inside it.
    if (size < 10) return;
    const uint16_t ch = LoadU16(b + 8);
    if (TAEField* f = record.Target(FPosChan)) SetFieldInt64(*f, ch + 1);
    const TPciChannel* c = ch < FHeader.PciChannels.size() ? &FHeader.PciChannels[ch] : nullptr;
    // The amplitude and the energy take the most work of a hit: each is left out for a reader
    // that does not want it.
    if (size >= 12 && record.Target(FPosAmpl)) {
        const uint16_t a = LoadU16(b + 10);
        // a S is exact in a double (16 and 24 significant bits), and the estimate of
        // 20 log10(a 1000 S / 1000) may drop the factors that cancel.
        if (a == 0) {
            if (TAEField* f = record.Target(FPosAmpl)) SetFieldInt64(*f, 0);
        } else if (c &&
                   !SetQuickRounded(record, FPosAmpl,
                                    QuickDecibels(static_cast<double>(a) * c->Scale) - c->Gain)) {
            SetRounded(
                record, FPosAmpl,
                20.0L * std::log10(static_cast<long double>(a) * 1000.0L * c->Scale / 1000.0L) -
                    c->Gain);
        }
    }
    if (size >= 16)
        if (TAEField* f = record.Target(FPosDurat)) SetFieldInt64(*f, LoadU32(b + 12));
    if (size >= 20)
        if (TAEField* f = record.Target(FPosRise)) SetFieldInt64(*f, LoadU32(b + 16));
    if (size >= 24)
        if (TAEField* f = record.Target(FPosCount)) SetFieldInt64(*f, LoadU32(b + 20));
    if (size >= 30 && c && record.Target(FPosEnergy)) {
        const uint64_t n = LoadU16(b + 24) | (static_cast<uint64_t>(LoadU16(b + 26)) << 16) |
                           (static_cast<uint64_t>(LoadU16(b + 28)) << 32);
        const bool setA = !longForm || c->Selector != 0;
        // d d n (1000 / q) 10, with the factors of the channel taken once.
        const long double dd = setA ? c->EnergySquareA : c->EnergySquareB;
        const long double k = setA ? c->EnergyPerQA : c->EnergyPerQB;
        long double e = dd * static_cast<long double>(n) * k * 10.0L;
        if (longForm) e /= 1000000.0L;
        SetFinite(record, FPosEnergy, e);
    }
    if (longForm) {
        if (size >= 52)
            if (TAEField* f = record.Target(FPosGain)) SetFieldInt64(*f, LoadI32(b + 48));
    } else if (c) {
        if (TAEField* f = record.Target(FPosGain)) SetFieldInt64(*f, c->Gain);
    }
}

} // namespace vorelt
