#include "TTestDriver.h"

#include "common/TestData.h"
#include "drivers/TDriverRegistry.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"

namespace vorelt::test {

namespace {

void Put(std::string& s, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

TTestDriver::TTestDriver(IDriverOwner* owner) : TAEDriverDb(owner) {
    DbFields().Add(NewStandardField(fidDefaultText, dtString));
    DbFields().Add(NewStandardField(fidHit, dtByte));
    DbFields().Add(NewStandardField(fidTime, dtExtended));
    DbFields().Add(NewStandardField(fidTimeS, dtExtended));
    DbFields().Add(NewStandardField(fidChan, dtByte));
    DbFields().Add(NewStandardField(fidAmpl, dtLongWord));
    DbFields().Add(NewStandardField(fidDeleted, dtBoolean));
    DbFields().Add(NewStandardField(fidSelected, dtBoolean));
    DbFields().Add(NewStandardField(fidIndexRec, dtInteger));
    SetupFields().Add(NewStandardField(fidChannels, dtListInteger));
    LockFields();
    FPosText = FieldPos(fidDefaultText);
    FPosTime = FieldPos(fidTime);
    FPosTimeS = FieldPos(fidTimeS);
    FPosChan = FieldPos(fidChan);
    FPosAmpl = FieldPos(fidAmpl);
    SetKindMap(0, rkHit);
    SetKindMap(1, rkTimeMark);
    SetKindMap(2, rkComment);
    for (unsigned k = 3; k < 256; ++k)
        SetKindMap(static_cast<uint8_t>(k), rkUnknown);
}

bool TTestDriver::CanOpen(const std::string& fileName, std::string& message) {
    std::vector<uint8_t> head;
    if (!ReadFileRange(fileName, 0, 4, head, message)) return false;
    return head.size() == 4 && head[0] == 'V' && head[1] == 'T' && head[2] == 'S' && head[3] == 'T';
}

bool TTestDriver::Load(std::string& message) {
    message.clear();
    SetState(dsLoading);
    try {
        FIndex.clear();
        FInfoLines.clear();
        FChannelList.clear();
        TByteReader r = FileReader();
        if (r.Size() < 4 || r.U32(0) != 0x54535456u) throw EAEError("Invalid Structure File");
        uint32_t channels = r.U32(12);
        if (!r.Has(16, channels)) throw EAEError("Invalid Structure File");
        for (uint32_t i = 0; i < channels; ++i)
            if (r.U8(16 + i) != 0) FChannelList.push_back(static_cast<uint8_t>(i + 1));
        size_t headerSize = 16 + channels;
        FIndex.push_back({0, static_cast<uint32_t>(headerSize), 0, ikHeader, 0});
        r.Seek(headerSize);
        while (!r.AtEnd()) {
            uint8_t kind = r.ReadU8();
            uint16_t length = r.ReadU16();
            size_t at = r.Pos();
            r.Skip(length);
            if (kind == 255) throw EAEError("Invalid Structure File");
            FIndex.push_back({at, length, 0, kind, 0});
        }
        FInfoLines.push_back("Test Type");
        FInfoLines.push_back("Member Of Events: " + std::to_string(r.U32(8)));
        ApplySelectedGroups();
        ApplyDeletedGroups();
        SetState(dsLoad);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        ClearIndex();
        return false;
    }
}

bool TTestDriver::Initialize(std::string& message) {
    if (!TAEDriverDb::Initialize(message)) return false;
    SetState(dsReady);
    return true;
}

void TTestDriver::ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) {
    TByteReader r = Reader(pos);
    if (item.Kind == ikHeader) {
        record.Field(FPosText)->SetAsString("Unknown Message 255");
        return;
    }
    if (item.Kind == 0 || item.Kind == 1) {
        if (!r.Has(0, 4)) return;
        uint32_t t = r.U32(0);
        record.Field(FPosTime)->SetAsFloat(t);
        record.Field(FPosTimeS)->SetAsFloat(t / 1000000.0L);
    }
    if (item.Kind == 0 && r.Has(4, 3)) {
        record.Field(FPosChan)->SetAsInt64(r.U8(4));
        record.Field(FPosAmpl)->SetAsInt64(r.U16(5));
    } else if (item.Kind == 1) {
        record.Field(FPosText)->SetAsString("Time Mark Message");
    } else if (item.Kind == 2) {
        record.Field(FPosText)->SetAsString(r.Text(0, r.Size()));
    }
}

bool TTestDriver::MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const {
    if (item.Kind != 0 && item.Kind != 1) return false;
    TByteReader r = Reader(pos);
    us = r.U32Or(0);
    return true;
}

size_t TTestDriver::MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const {
    out[0] = item.Kind;
    PutU16(out + 1, static_cast<uint16_t>(item.Size));
    return 3;
}

void TTestDriver::PatchHeader(std::vector<uint8_t>& header, int32_t memberOfEvents) const {
    if (header.size() >= 12) PutU32(header.data() + 8, static_cast<uint32_t>(memberOfEvents));
}

void RegisterTestDriver() {
    RegisterDriver({"TTestDriver", drTarvelIsa + 1, &TTestDriver::CanOpen,
                    [](IDriverOwner* owner) -> std::unique_ptr<TAEDriverDb> {
                        return std::make_unique<TTestDriver>(owner);
                    }});
}

TTestFileBuilder::TTestFileBuilder(uint32_t startSeconds, std::vector<uint8_t> active) {
    FHeader = "VTST";
    Put(FHeader, startSeconds, 4);
    Put(FHeader, 0, 4);
    Put(FHeader, active.size(), 4);
    for (uint8_t a : active)
        FHeader.push_back(static_cast<char>(a));
}

TTestFileBuilder& TTestFileBuilder::Raw(uint8_t kind, const std::vector<uint8_t>& body) {
    FBody.push_back(static_cast<char>(kind));
    Put(FBody, body.size(), 2);
    FBody.append(body.begin(), body.end());
    ++FCount;
    return *this;
}

TTestFileBuilder& TTestFileBuilder::Hit(uint32_t timeUs, uint8_t channel, uint16_t amplitude) {
    std::string b;
    Put(b, timeUs, 4);
    Put(b, channel, 1);
    Put(b, amplitude, 2);
    return Raw(0, std::vector<uint8_t>(b.begin(), b.end()));
}

TTestFileBuilder& TTestFileBuilder::Mark(uint32_t timeUs) {
    std::string b;
    Put(b, timeUs, 4);
    return Raw(1, std::vector<uint8_t>(b.begin(), b.end()));
}

TTestFileBuilder& TTestFileBuilder::Comment(const std::string& text) {
    return Raw(2, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string TTestFileBuilder::Bytes() const {
    return FHeader + FBody;
}

void TTestFileBuilder::Save(const std::string& fileName) const {
    WriteFileBytes(fileName, Bytes());
}

} // namespace vorelt::test
