#include "drivers/tarvel/TTarvelFormat.h"

#include "drivers/TTimeText.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextCodec.h"

#include <cstring>

namespace vorelt::tarvel {

float LoadF32(const uint8_t* p) {
    const uint32_t bits = LoadU32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double LoadF64(const uint8_t* p) {
    const uint64_t bits = LoadU32(p) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::string StructureError(const std::string& what, uint64_t offset) {
    return "Invalid Structure File: " + what + " (byte offset " +
           IntToStr(static_cast<int64_t>(offset)) + ")";
}

std::string HexText(uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    if (s.size() < 4) s.insert(0, 4 - s.size(), '0');
    return s;
}

std::string UnixTimeText(uint32_t seconds) {
    // Civil date of a day count (proleptic Gregorian calendar), free of the process locale.
    const int64_t days = seconds / 86400;
    const int64_t rest = seconds % 86400;
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    std::string text;
    AppendTwoDigits(text, day);
    text += '.';
    AppendTwoDigits(text, month);
    text += '.';
    text += IntToStr(year);
    text += ' ';
    AppendTwoDigits(text, rest / 3600);
    text += ':';
    AppendTwoDigits(text, rest / 60 % 60);
    text += ':';
    AppendTwoDigits(text, rest % 60);
    return text;
}

std::string ReadText(const uint8_t* p, size_t maxCount) {
    std::string raw;
    for (size_t i = 0; i < maxCount && p[i] != 0; ++i)
        if (p[i] >= 32) raw.push_back(static_cast<char>(p[i]));
    return Cp1251ToUtf8(raw);
}

bool HasSignatures(TBoard board, const uint8_t* data, uint64_t size) {
    const size_t block = BlockHeaderOffset(board);
    if (size < block + 4) return false;
    return LoadU32(data) == MainSignature && LoadU32(data + 12) == MainFileType &&
           LoadU32(data + block) == BlockSignature(board);
}

namespace {

[[noreturn]] void Fail(const std::string& what, uint64_t offset) {
    throw EAEError(StructureError(what, offset));
}

std::string Num(uint64_t n) {
    return IntToStr(static_cast<int64_t>(n));
}

void ParseIsaTable(const uint8_t* table, uint64_t tableOffset, THeader& h) {
    const uint64_t size = h.TableSize;
    if (size < IsaChannelTableLead + IsaChannelRecordSize)
        Fail("channel table of " + Num(size) + " bytes is too small for one channel record",
             tableOffset);
    const uint64_t over = IsaChannelTableLead + IsaChannelTableTrail;
    const uint64_t count =
        size > over ? (size - over + IsaChannelRecordSize - 1) / IsaChannelRecordSize : 1;
    h.F = LoadU32(table + 108);
    h.R = LoadU32(table + 112);
    h.IsaChannels.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* r = table + IsaChannelTableLead + IsaChannelRecordSize * i;
        TIsaChannel& c = h.IsaChannels[i];
        c.A = LoadU32(r);
        c.B = LoadU32(r + 4);
        c.DefaultGain = r[8];
        c.K1 = LoadU32(r + 48);
        c.K2 = LoadU32(r + 52);
        // Channel numbers are bytes everywhere else; a record beyond 255 cannot be named.
        if (c.A != 0 && c.B != 0 && i < 255)
            h.ActiveChannels.push_back(static_cast<uint8_t>(i + 1));
    }
}

void ParsePciTable(const uint8_t* table, uint64_t tableOffset, THeader& h) {
    const uint64_t count = h.TableSize / PciChannelRecordSize;
    if (count == 0)
        Fail("channel table of " + Num(h.TableSize) +
                 " bytes holds no complete channel record of " + Num(PciChannelRecordSize) +
                 " bytes",
             tableOffset);
    h.PciChannels.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* r = table + PciChannelRecordSize * i;
        TPciChannel& c = h.PciChannels[i];
        c.Number = r[0];
        c.Active = LoadU32(r + 76);
        c.Gain = LoadI32(r + 92);
        c.Scale = LoadF32(r + 96);
        c.Selector = LoadU32(r + 272);
        c.DA = LoadF64(r + 328);
        c.QA = LoadU32(r + 360);
        c.DB = LoadF64(r + 488);
        c.QB = LoadU32(r + 520);
        c.EnergySquareA = static_cast<long double>(c.DA) * static_cast<long double>(c.DA);
        c.EnergyPerQA = 1000.0L / static_cast<long double>(c.QA);
        c.EnergySquareB = static_cast<long double>(c.DB) * static_cast<long double>(c.DB);
        c.EnergyPerQB = 1000.0L / static_cast<long double>(c.QB);
        if (c.Active != 0 && c.Number < 255)
            h.ActiveChannels.push_back(static_cast<uint8_t>(c.Number + 1));
    }
}

} // namespace

void ParseHeader(TBoard board, const uint8_t* d, uint64_t size, THeader& h) {
    h = THeader{};
    h.Board = board;
    const uint64_t block = BlockHeaderOffset(board);
    const uint64_t pair = block + BlockHeaderSize; // (N, S), followed by the directory
    if (size < pair + 8)
        Fail("the file of " + Num(size) + " bytes ends inside the fixed header of " +
                 Num(pair + 8) + " bytes",
             size);
    h.Signature = LoadU32(d);
    h.Version1 = LoadU32(d + 4);
    h.Version2 = LoadU32(d + 8);
    h.FileType = LoadU32(d + 12);
    h.HardwareVersion = LoadI32(d + 16);
    if (h.Signature != MainSignature) Fail("signature " + HexText(h.Signature), 0);
    if (h.FileType != MainFileType) Fail("file type " + HexText(h.FileType), 12);

    const uint8_t* t = d + MainHeaderSize;
    h.ObjectName = ReadText(t + 8, 255);
    h.OperatorName = ReadText(t + 263, 255);
    h.Reference = ReadText(t + 518, 255);
    h.Comment = ReadText(t + 780, 1000);
    h.StartTime = LoadU32(t + 1800);
    h.StopTime = LoadU32(t + 1804);
    h.MemberOfEvents = LoadI32(d + MemberOfEventsOffset(board));

    const uint32_t blockSignature = LoadU32(d + block);
    if (blockSignature != BlockSignature(board))
        Fail("block signature " + HexText(blockSignature), block);
    h.E = LoadU32(d + block + 12);
    if (h.E < 8) Fail("directory size " + Num(h.E) + " is below 8", block + 12);
    if (pair + h.E > size)
        Fail("directory of " + Num(h.E) + " bytes runs past the end of the file of " + Num(size) +
                 " bytes",
             pair);
    h.N = LoadU32(d + pair);
    h.S = LoadU32(d + pair + 4);
    if (static_cast<uint64_t>(h.N) * 12 > h.E - 8)
        Fail(Num(h.N) + " directory entries do not fit into " + Num(h.E - 8) + " bytes", pair);
    h.SetupOffset = pair + h.E;
    if (h.SetupOffset + h.S > size)
        Fail("set-up block of " + Num(h.S) + " bytes runs past the end of the file of " +
                 Num(size) + " bytes",
             pair + 4);
    h.HeaderSize = h.SetupOffset + h.S;

    uint64_t entry = 0;
    for (uint32_t i = 0; i < h.N && entry == 0; ++i)
        if (LoadU32(d + pair + 8 + 12 * static_cast<uint64_t>(i)) == ChannelTableId)
            entry = pair + 8 + 12 * static_cast<uint64_t>(i);
    if (entry == 0) Fail("no channel table (id 1) in the directory", pair + 8);
    const uint32_t offset = LoadU32(d + entry + 4);
    h.TableSize = LoadU32(d + entry + 8);
    if (static_cast<uint64_t>(offset) + h.TableSize > h.S)
        Fail("channel table of " + Num(h.TableSize) + " bytes at set-up offset " + Num(offset) +
                 " lies outside the set-up block of " + Num(h.S) + " bytes",
             entry + 4);
    h.TableOffset = h.SetupOffset + offset;
    if (board == TBoard::Isa)
        ParseIsaTable(d + h.TableOffset, h.TableOffset, h);
    else
        ParsePciTable(d + h.TableOffset, h.TableOffset, h);
}

} // namespace vorelt::tarvel
