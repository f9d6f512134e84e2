#include "drivers/spartan/TAESpartan.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/TTimeText.h"
#include "drivers/spartan/TSpartanFormat.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TFileWriter.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextCodec.h"

#include <array>
#include <limits>

namespace vorelt {

using namespace spartan;

namespace {

constexpr TDriverFieldDecl Declared[] = {
    {fidDefaultText, dtString, 1}, {fidHit, dtByte, 1},
    {fidTime, dtExtended, 1},      {fidTimeS, dtExtended, 1},
    {fidTimeHH, dtExtended, 1},    {fidHHMMSS, dtString, 1},
    {fidTimeMS, dtExtended, 1},    {fidTimeUS, dtExtended, 1},
    {fidChan, dtByte, 1},          {fidSequence, dtLongWord, 1},
    {fidRise, dtWord, 1},          {fidCount, dtLongWord, 1},
    {fidCountPeak, dtLongWord, 1}, {fidAmpl, dtLongWord, 1},
    {fidDurat, dtExtended, 1},     {fidEnergy, dtWord, 1},
    {fidThreshold, dtLongWord, 1}, {fidRMSASL, dtExtended, 1},
    {fidDeleted, dtBoolean, 1},    {fidSelected, dtBoolean, 1},
    {fidIndexRec, dtInteger, 1},   {fidChannels, dtListInteger, 2},
    {fidGain, dtInteger, 3},       {fidParametric1, dtWord, 3},
    {fidParametric2, dtWord, 3},   {fidCalcLoading, dtExtended, 3},
};

constexpr uint64_t ProgressStep = 1 << 16;

} // namespace

TAESpartan::TAESpartan(IDriverOwner* owner) : TAEDriverDb(owner) {
    DeclareStandardFields(Declared, TAEDeclarer::Spartan);
    FPosChan = FieldPos(fidChan);
    FPosSequence = FieldPos(fidSequence);
    FPosRise = FieldPos(fidRise);
    FPosCount = FieldPos(fidCount);
    FPosCountPeak = FieldPos(fidCountPeak);
    FPosAmpl = FieldPos(fidAmpl);
    FPosDurat = FieldPos(fidDurat);
    FPosEnergy = FieldPos(fidEnergy);
    FPosThreshold = FieldPos(fidThreshold);
    FPosRmsAsl = FieldPos(fidRMSASL);
    FPosGain = FieldPos(fidGain);
    FPosParametric1 = FieldPos(fidParametric1);
    FPosDP = FieldPos(fidParametric2);

    for (unsigned k = 0; k < 256; ++k)
        SetKindMap(static_cast<uint8_t>(k), rkUnknown);
    SetKindMap(mtHit, rkHit);
    SetKindMap(mtComment, rkComment);
    SetKindMap(mtResume, rkResume);
    SetKindMap(mtStop, rkStop);
    SetKindMap(mtPause, rkPause);
    SetKindMap(ikHeader, rkSetup);
    FScratch.reserve(64);
}

TAESpartan::~TAESpartan() = default;

bool TAESpartan::CanOpen(const std::string& fileName, std::string& message) {
    message.clear();
    std::vector<uint8_t> head;
    if (!ReadFileRange(fileName, 0, HeaderSize, head, message)) return false;
    return LooksLikeSpartan(head.data(), head.size());
}

std::unique_ptr<TAEDriverDb> TAESpartan::Create(IDriverOwner* owner) {
    return std::make_unique<TAESpartan>(owner);
}

bool TAESpartan::Load(std::string& message) {
    FIncompleteAt = -1;
    return RunLoad(message, [this] {
        const TByteReader file = FileReader();
        const uint8_t* data = file.Data();
        const uint64_t size = file.Size();
        const uint64_t headerSize = size < HeaderSize ? size : HeaderSize;
        const uint64_t whole = (size - headerSize) / MessageSize;
        const uint64_t tail = (size - headerSize) % MessageSize;
        const uint64_t count = 1 + whole + (tail > 0 ? 1 : 0);
        CheckIndexSize(count);
        FIndex.reserve(count);

        TDriverIndexItem header;
        header.Offset = 0;
        header.Size = static_cast<uint32_t>(headerSize);
        header.Kind = ikHeader;
        FIndex.push_back(header);
        if (headerSize < HeaderSize) FIncompleteAt = 0;

        std::array<bool, 256> seen{};
        auto add = [&](uint64_t offset, uint32_t bodySize) {
            TDriverIndexItem item;
            item.Kind = data[offset];
            if (item.Kind == ikHeader) {
                // Type 255 would be taken for the header by the copy writers, which put no type
                // byte before it: such a message keeps its type byte inside its data instead.
                item.Offset = offset;
                item.Size = bodySize + 1;
            } else {
                item.Offset = offset + 1;
                item.Size = bodySize;
            }
            if (item.Kind == mtHit && bodySize > HitChannel) {
                const uint8_t channel = data[offset + 1 + HitChannel];
                if (!seen[channel]) {
                    seen[channel] = true;
                    FChannelList.push_back(channel);
                }
            }
            FIndex.push_back(item);
        };
        for (uint64_t k = 0; k < whole; ++k) {
            add(HeaderSize + MessageSize * k, BodySize);
            if (k % ProgressStep == 0) ReportProgress(k, whole);
        }
        if (tail > 0) {
            FIncompleteAt = static_cast<int64_t>(HeaderSize + MessageSize * whole);
            add(HeaderSize + MessageSize * whole, static_cast<uint32_t>(tail - 1));
        }
        ReportProgress(whole, whole);

        AddHeaderLines(TByteReader(data, headerSize));
        if (headerSize < HeaderSize)
            FInfoLines.push_back(
                "Incomplete Header: " + IntToStr(static_cast<int64_t>(headerSize)) + " Of " +
                IntToStr(static_cast<int64_t>(HeaderSize)) + " Bytes");
        else if (tail > 0)
            FInfoLines.push_back("Incomplete Message At Byte Offset " + IntToStr(FIncompleteAt) +
                                 ": " + IntToStr(static_cast<int64_t>(tail)) + " Of " +
                                 IntToStr(static_cast<int64_t>(MessageSize)) + " Bytes");
    });
}

bool TAESpartan::IsKnownMessage(const TDriverIndexItem& item) const {
    switch (item.Kind) {
    case ikHeader:
        return item.Offset == 0; // a message of type 255 keeps that kind too
    case mtHit:
    case mtTimeDriven:
    case mtDemandDriven:
    case mtComment:
    case mtAlarm:
    case mtResume:
    case mtStop:
    case mtPause:
        return true;
    default:
        return false;
    }
}

void TAESpartan::AddHeaderLines(const TByteReader& h) {
    auto number = [&h](size_t offset) {
        return h.Has(offset, 4) ? IntToStr(h.U32(offset)) : std::string();
    };
    FInfoLines.push_back("");
    FInfoLines.push_back("Spartan Type");
    FInfoLines.push_back("Database: " + FileName());
    FInfoLines.push_back("Records Count: " + number(RecordsCountOffset));
    FInfoLines.push_back("First Record Number: " + number(FirstRecordOffset));
    FInfoLines.push_back("Last Record Number: " + number(LastRecordOffset));
    FInfoLines.push_back("Date: " + Cp1251ToUtf8(h.Text(DateOffset, DateChars)));
    FInfoLines.push_back("Continue Flag: " + (h.Has(ContinueFlagOffset, 1)
                                                  ? IntToStr(h.U8(ContinueFlagOffset))
                                                  : std::string()));
    FInfoLines.push_back("Version: " + Cp1251ToUtf8(h.Text(VersionOffset, VersionChars)));
    FInfoLines.push_back("Label: " + Cp1251ToUtf8(h.Text(LabelOffset, LabelChars)));
}

bool TAESpartan::Initialize(std::string& message) {
    if (!TAEDriverDb::Initialize(message)) return false;
    SetState(dsReady);
    return true;
}

bool TAESpartan::ConvertTime(std::string_view sourceID, std::string_view targetID,
                             long double& value, long double x) const {
    return ConvertTarvelTime(sourceID, targetID, value, x);
}

// --- Records ---

void TAESpartan::SetInt(TAERecord& record, int pos, int64_t v) {
    if (TAEField* f = record.Field(pos)) f->SetAsInt64(v);
}

void TAESpartan::SetFloat(TAERecord& record, int pos, long double v) {
    if (TAEField* f = record.Field(pos)) f->SetAsFloat(v);
}

void TAESpartan::SetText(TAERecord& record, const std::string& text) {
    if (TAEField* f = record.Field(FPosText)) f->SetAsString(text);
}

void TAESpartan::SetUnknownText(TAERecord& record, unsigned type) {
    FScratch = "Unknown Message ";
    FScratch += IntToStr(type);
    SetText(record, FScratch);
}

void TAESpartan::SetTimeFields(TAERecord& record, uint64_t t) {
    SetTimeValues(record, static_cast<long double>(t) * 0.25L);
    FScratch.clear();
    AppendHHMMSS(FScratch, t / 4000000);
    if (TAEField* f = record.Field(FPosHHMMSS)) f->SetAsString(FScratch);
    SetFloat(record, FPosTimeUS, static_cast<long double>(t % 4000000) / 4000000.0L);
}

void TAESpartan::ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) {
    const TByteReader r = Reader(pos);
    const uint8_t type = item.Kind;
    if (type == ikHeader) {
        SetUnknownText(record, ikHeader);
        return;
    }
    // An incomplete last message gives the values whose bytes are there.
    if (IsTimedType(type) && r.Has(0, 6)) SetTimeFields(record, r.U48(0));
    switch (type) {
    case mtHit:
        if (r.Has(HitChannel, 1)) SetInt(record, FPosChan, r.U8(HitChannel));
        if (r.Has(HitSequence, 4)) SetInt(record, FPosSequence, r.U32(HitSequence));
        if (r.Has(HitRise, 2)) SetInt(record, FPosRise, r.U16(HitRise));
        if (r.Has(HitCountsToPeak, 2)) SetInt(record, FPosCountPeak, r.U16(HitCountsToPeak));
        if (r.Has(HitCounts, 2)) SetInt(record, FPosCount, r.U16(HitCounts));
        if (r.Has(HitEnergy, 2)) SetInt(record, FPosEnergy, r.U16(HitEnergy));
        if (r.Has(HitDuration, 4))
            SetFloat(record, FPosDurat, static_cast<long double>(r.U32(HitDuration)) / 2.0L);
        if (r.Has(HitAmplitude, 1)) SetInt(record, FPosAmpl, r.U8(HitAmplitude));
        if (r.Has(HitRmsAsl, 1)) SetFloat(record, FPosRmsAsl, r.U8(HitRmsAsl));
        if (r.Has(HitThreshold, 1)) SetInt(record, FPosThreshold, r.U8(HitThreshold));
        if (r.Has(HitParametric, 2))
            SetFloat(record, FPosParametric1, ParametricValue(r.U16(HitParametric)));
        break;
    case mtTimeDriven:
    case mtDemandDriven:
        SetText(record, type == mtTimeDriven ? FTimeDrivenText : FDemandDrivenText);
        if (r.Has(SampleParametric1, 2))
            SetFloat(record, FPosParametric1, ParametricValue(r.U16(SampleParametric1)));
        if (r.Has(SampleDP, 2)) SetFloat(record, FPosDP, ParametricValue(r.U16(SampleDP)));
        if (r.Has(SampleGain, 2)) SetFloat(record, FPosGain, ParametricValue(r.U16(SampleGain)));
        break;
    case mtComment: {
        FScratch = "User Comments: ";
        bool ascii = true;
        const size_t from = FScratch.size();
        for (size_t i = 0; i < r.Size(); ++i) {
            const uint8_t ch = r.U8(i);
            if (ch == 0) break;
            if (ch < 32) continue;
            ascii = ascii && ch < 0x80;
            FScratch.push_back(static_cast<char>(ch));
        }
        if (!ascii) {
            const std::string text = Cp1251ToUtf8(std::string_view(FScratch).substr(from));
            FScratch.resize(from);
            FScratch += text;
        }
        SetText(record, FScratch);
        break;
    }
    case mtAlarm:
        SetText(record, FAlarmText);
        break;
    case mtResume:
        SetText(record, FResumeText);
        break;
    case mtStop:
        SetText(record, FStopText);
        break;
    case mtPause:
        SetText(record, FPauseText);
        break;
    default:
        SetUnknownText(record, type);
        break;
    }
}

// --- Copies ---

bool TAESpartan::MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& key) const {
    // Only whole timed messages move; an incomplete last message keeps the last slot, so the
    // copy never carries a short message in its middle. The key is the raw count of quarter
    // microseconds: the copy only compares keys, and messages less than a microsecond apart
    // keep their true order.
    if (pos == 0 || !IsTimedType(item.Kind) || item.Size != BodySize) return false;
    key = static_cast<int64_t>(Reader(pos).U48(0));
    return true;
}

size_t TAESpartan::MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const {
    out[0] = item.Kind;
    return 1;
}

bool TAESpartan::MessageTimes(int32_t first, int32_t count, const TFileView& view,
                              int64_t* times) const {
    // A message is its type byte and its body; the header, and a type-255 message, keep
    // everything in their data.
    return ViewMessageTimes(
        first, count, view, times,
        [](const TDriverIndexItem& item, size_t& prefix, uint64_t& need) {
            prefix = item.Kind == ikHeader ? 0 : 1;
            need = item.Size;
            return true;
        },
        [](const TDriverIndexItem& item, int32_t pos, const uint8_t* body, int64_t& time) {
            time = pos != 0 && IsTimedType(item.Kind) && item.Size == BodySize
                       ? static_cast<int64_t>(TByteReader(body, item.Size).U48(0))
                       : NoTime;
            return item.Kind == ikHeader || body[-1] == item.Kind;
        });
}

bool TAESpartan::SaveToFile(IRecordSource& source, const std::string& target,
                            std::string& message) {
    message.clear();
    if (!CheckTarget(target, message)) return false;
    if (Count() == 0) {
        message = "Data File Not Open";
        return false;
    }
    try {
        TAERecord record;
        source.PrepareRecord(record);
        TAEField* indexRec = record.FindByID(fidIndexRec);
        TAEField* deleted = record.FindByID(fidDeleted);
        if (!indexRec) throw EAEError("Field IndexRec Not Found");
        // The position of a record that is to be written: a message of this file, not deleted.
        // The header is written first whatever reaches the processor, since without it the copy
        // would be no Spartan file.
        auto messagePos = [&]() -> int32_t {
            if (indexRec->IsNull()) return -1;
            if (deleted && !deleted->IsNull() && deleted->GetAsBoolean()) return -1;
            const int64_t p = indexRec->GetAsInt64();
            return p > 0 && p < Count() ? static_cast<int32_t>(p) : -1;
        };
        // Runs the consumer loop; an error stops with the cursor's message whatever the end bit.
        auto walk = [&](auto&& visit) {
            TAEPNav nav;
            nav.Kinds = 0;
            source.Restart();
            std::string error;
            auto use = [&](TAERecord&, int32_t) {
                visit();
                return true;
            };
            if (!ConsumeRecords(source, nav, record, use, error)) throw EAEError(error);
        };

        uint64_t records = 1;
        walk([&] { records += messagePos() >= 0 ? 1 : 0; });
        if (records > std::numeric_limits<uint32_t>::max())
            throw EAEError("Too Many Messages: " + IntToStr(static_cast<int64_t>(records)));

        TFileWriter out(target);
        out.Open();
        const std::span<const uint8_t> headerData = Data(0);
        if (headerData.size() != FIndex[0].Size) throw EAEError(ErrInvalidStructure);
        std::vector<uint8_t> header(headerData.begin(), headerData.end());
        auto patch = [&header](size_t offset, uint32_t v) {
            if (offset + 4 <= header.size()) PutU32(header.data() + offset, v);
        };
        patch(RecordsCountOffset, static_cast<uint32_t>(records));
        patch(FirstRecordOffset, 1);
        patch(LastRecordOffset, static_cast<uint32_t>(records));
        out.Write(header.data(), header.size());

        uint64_t written = 1;
        walk([&] {
            const int32_t pos = messagePos();
            if (pos < 0) return;
            const TDriverIndexItem& item = FIndex[static_cast<size_t>(pos)];
            const std::span<const uint8_t> body = Data(pos);
            if (body.size() != item.Size) throw EAEError(ErrInvalidStructure);
            if (item.Kind != ikHeader) out.Write(&item.Kind, 1);
            out.Write(body.data(), body.size());
            if (++written % ProgressStep == 0) ReportProgress(written, records);
        });
        if (written != records) throw EAEError("Records Changed While Saving");
        out.Commit();
        ReportProgress(records, records);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

void RegisterSpartanDriver() {
    RegisterDriver({"TAESpartan", drSpartan, &TAESpartan::CanOpen, &TAESpartan::Create});
}

} // namespace vorelt
