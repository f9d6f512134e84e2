#include "drivers/tarvel/TAETarvelDriver.h"

#include "drivers/TBlockReader.h"
#include "drivers/TTailScan.h"
#include "drivers/TTimeText.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEFieldValue.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>

namespace vorelt {

using namespace tarvel;

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
    {fidAmpl, dtLongWord, 1},
    {fidDurat, dtExtended, 1},
    {fidEnergy, dtExtended, 1},
    {fidGain, dtWord, 1},
    {fidDeleted, dtBoolean, 1},
    {fidSelected, dtBoolean, 1},
    {fidIndexRec, dtInteger, 1},
    {fidChannels, dtListInteger, 2},
    {fidParametric1, dtExtended, 3},
    {fidCalcLoading, dtExtended, 3},
};

} // namespace

TAETarvelDriver::TAETarvelDriver(IDriverOwner* owner, TBoard board)
    : TAEDriverDb(owner), FBoard(board) {
    DeclareFields();
}

bool TAETarvelDriver::CanOpenBoard(TBoard board, const std::string& fileName,
                                   std::string& message) {
    message.clear();
    std::vector<uint8_t> bytes;
    if (!ReadFileRange(fileName, 0, BlockHeaderOffset(board) + 4, bytes, message)) return false;
    return HasSignatures(board, bytes.data(), bytes.size());
}

void TAETarvelDriver::DeclareFields() {
    DeclareStandardFields(Declared, TAEDeclarer::Tarvel);
    FPosChan = FieldPos(fidChan);
    FPosRise = FieldPos(fidRise);
    FPosCount = FieldPos(fidCount);
    FPosAmpl = FieldPos(fidAmpl);
    FPosDurat = FieldPos(fidDurat);
    FPosEnergy = FieldPos(fidEnergy);
    FPosGain = FieldPos(fidGain);
}

bool TAETarvelDriver::Load(std::string& message) {
    FHeader = THeader{};
    FTruncatedAt = -1;
    FEmptyRuns.clear();
    return RunLoad(message, [this] {
        const uint8_t* data = File().Data();
        const uint64_t size = File().Size();
        ParseHeader(FBoard, data, size, FHeader);
        FStartTime = FHeader.StartTime;
        FChannelList = FHeader.ActiveChannels;

        TDriverIndexItem header;
        header.Offset = 0;
        header.Size = static_cast<uint32_t>(FHeader.HeaderSize);
        header.Kind = ikHeader;
        FIndex.push_back(header);
        IndexStream(size);
        BuildInfoLines();
    });
}

// The second half of the stream, scanned on its own thread into its own index.
struct TAETarvelDriver::TTail {
    TDriverIndex Index;
    TScanPart Part;
    std::unique_ptr<TTailScan> Scan; // last: joined before the part goes
};

std::unique_ptr<TAETarvelDriver::TTail> TAETarvelDriver::StartTail(uint64_t split,
                                                                   uint64_t size) const {
    auto tail = std::make_unique<TTail>();
    tail->Part.Index = &tail->Index;
    StartPart(tail->Part, false);
    TTail* t = tail.get();
    tail->Scan = TTailScan::Start(
        FileName(), split, size, MaxMessageSize(), 4,
        [this](const uint8_t* p, size_t avail) { return MessageSpan(p, avail); },
        [this, t, split, size](const uint8_t* data, size_t bytes, uint64_t base, bool first) {
            const size_t used = ScanBlock(data, bytes, base, t->Part);
            if (first) ReserveIndex(t->Index, t->Part.Count, used, size - split);
            return used;
        });
    if (!tail->Scan) return nullptr;
    return tail;
}

bool TAETarvelDriver::MeetTail(TTail& tail, TScanPart& head, uint64_t next) {
    const size_t from = FIndex.size();
    const size_t count = tail.Index.size();
    size_t skip = 0;
    // Both boards put a 4-byte prefix before the body.
    if (!AppendMeetingTail(FIndex, tail.Index, next + 4, TailNeedsTrueStart(), skip)) return false;
    head.Count += count - skip; // the part's count misses a block that ended in damage
    for (const TEmptyRun& run : tail.Part.EmptyRuns) {
        if (run.First + run.Count <= skip) continue;
        const uint64_t first = std::max<uint64_t>(run.First, skip);
        head.EmptyRuns.push_back({from + (first - skip), run.First + run.Count - first});
    }
    FinishTail(head, tail.Part, from, skip);
    return true;
}

void TAETarvelDriver::IndexStream(uint64_t size) {
    const uint64_t start = FHeader.HeaderSize;
    const uint64_t stream = size > start ? size - start : 0;
    PrepareScan();
    TScanPart head;
    head.Index = &FIndex;
    StartPart(head, true);
    std::unique_ptr<TTail> tail;
    if (TTailScan::Worth(stream)) tail = StartTail(start + stream / 2, size);
    TBlockReader reader(FileName(), size, MaxMessageSize(), start);
    if (!reader.IsOpen()) throw EAEError("File Not Open");
    uint64_t base = start;
    size_t carried = 0;
    for (bool first = true;; first = false) {
        const size_t got = reader.Fill(carried);
        const size_t have = carried + got;
        const size_t used = ScanBlock(reader.Data(), have, base, head);
        base += used;
        carried = have - used;
        if (first)
            ReserveIndex(FIndex, head.Count, used, tail ? tail->Scan->Split() - start : stream);
        if (tail && base >= tail->Scan->Split()) {
            tail->Scan->Join();
            if (MeetTail(*tail, head, base)) {
                // Go on behind the tail's last message: to the end, or to what stopped it.
                tail.reset();
                base = FIndex.End(FIndex.size() - 1);
                carried = 0;
                reader.Seek(base);
            } else if (TailBehind(tail->Index, base)) {
                tail.reset(); // the scans never fell into step
            }
        }
        if (got == 0 || base + carried >= size) break;
        reader.Keep(used, carried);
        // Past the largest index only the count goes on, for the message.
        if (head.Index && head.Count + 1 > MaxIndexSize) {
            head.Index = nullptr;
            tail.reset();
            FIndex.clear();
        }
        ReportProgress(base - start + (tail ? tail->Scan->BytesDone() : 0), stream);
    }
    CheckIndexSize(head.Count + 1);
    FEmptyRuns = std::move(head.EmptyRuns);
    // A message cut off by the end of the file is left out.
    if (base < size) FTruncatedAt = static_cast<int64_t>(base);
    // The reserve follows the first block; a file whose later messages are much longer leaves
    // a large untouched tail, which is given back (untouched pages cost no memory, but the
    // address space of a long test is worth keeping small).
    if (FIndex.capacity() > FIndex.size() + FIndex.size() / 2) FIndex.shrink_to_fit();
}

bool TAETarvelDriver::InEmptyRun(size_t pos) const {
    auto after = std::upper_bound(FEmptyRuns.begin(), FEmptyRuns.end(), pos,
                                  [](size_t p, const TEmptyRun& run) { return p < run.First; });
    return after != FEmptyRuns.begin() && pos - std::prev(after)->First < std::prev(after)->Count;
}

void TAETarvelDriver::ReserveIndex(TDriverIndex& index, uint64_t count, size_t bytes,
                                   uint64_t stream) const {
    // The first block tells the average message size; a quarter more covers the usual spread
    // without a copy when the index grows, and never more than the smallest messages allow.
    // Reserved storage that is never written costs no memory.
    if (bytes == 0) return;
    const long double perByte = static_cast<long double>(count) / bytes;
    uint64_t want = static_cast<uint64_t>(perByte * 1.25L * stream) + 1024;
    want = std::min<uint64_t>(want, stream / MinMessageSize() + 2);
    want = std::min<uint64_t>(want, MaxIndexSize);
    if (want <= index.capacity()) return;
    try {
        index.reserve(static_cast<size_t>(want));
    } catch (const std::bad_alloc&) {
        // the index grows as needed instead
    }
}

void TAETarvelDriver::BuildInfoLines() {
    const THeader& h = FHeader;
    FInfoLines.push_back("");
    FInfoLines.push_back(FBoard == TBoard::Isa ? "TarvelIsa Type" : "TarvelPci Type");
    FInfoLines.push_back("Database: " + FileName());
    FInfoLines.push_back("Signature: " + HexText(h.Signature));
    FInfoLines.push_back("File Type: " + HexText(h.FileType));
    FInfoLines.push_back("Hardware Version: " + HexText(static_cast<uint32_t>(h.HardwareVersion)));
    FInfoLines.push_back("Version 1: " + HexText(h.Version1));
    FInfoLines.push_back("Version 2: " + HexText(h.Version2));
    FInfoLines.push_back("Object Name: " + h.ObjectName);
    FInfoLines.push_back("Operator Name: " + h.OperatorName);
    FInfoLines.push_back("Reference: " + h.Reference);
    FInfoLines.push_back("Comment: " + h.Comment);
    FInfoLines.push_back("Start Time: " + UnixTimeText(h.StartTime));
    FInfoLines.push_back("Stop Time: " + UnixTimeText(h.StopTime));
    FInfoLines.push_back("Member Of Events: " + IntToStr(h.MemberOfEvents));
    if (FTruncatedAt >= 0)
        FInfoLines.push_back("Truncated Message Left Out At Byte Offset: " +
                             IntToStr(FTruncatedAt));
}

bool TAETarvelDriver::Initialize(std::string& message) {
    if (!TAEDriverDb::Initialize(message)) return false;
    SetState(dsReady);
    return true;
}

bool TAETarvelDriver::ConvertTime(std::string_view sourceID, std::string_view targetID,
                                  long double& value, long double x) const {
    return ConvertTarvelTime(sourceID, targetID, value, x);
}

void TAETarvelDriver::SetTimeFields(TAERecord& record, int64_t t) {
    SetTimeValues(record, static_cast<long double>(t));
    // Whole units come from integer arithmetic; a time before the test start is written with
    // a leading "-" and its fraction counted like that of the positive time.
    const bool negative = t < 0;
    const uint64_t a = negative ? static_cast<uint64_t>(-(t + 1)) + 1 : static_cast<uint64_t>(t);
    const uint64_t seconds = a / 1000000;
    if (seconds != FClockSeconds || negative != FClockNegative || FClockText.empty()) {
        FClockText.clear();
        if (negative) FClockText.push_back('-');
        AppendHHMMSS(FClockText, seconds);
        FClockSeconds = seconds;
        FClockNegative = negative;
    }
    if (TAEField* f = record.Target(FPosHHMMSS)) SetFieldString(*f, FClockText);
    if (TAEField* f = record.Target(FPosTimeUS))
        SetFieldFloat(*f, static_cast<long double>(a % 1000000) / 1000000.0L);
}

void TAETarvelDriver::SetRounded(TAERecord& record, int pos, long double x) {
    if (!std::isfinite(x)) return;
    // rintl rounds half to even in the program's rounding mode, like RoundToInt64, without
    // saving and restoring the floating-point environment for every hit; values out of the
    // 64-bit range take the saturating path.
    const int64_t n = std::fabs(x) < 4.0e18L ? static_cast<int64_t>(rintl(x)) : RoundToInt64(x);
    if (TAEField* f = record.Target(pos)) SetFieldInt64(*f, n);
}

void TAETarvelDriver::SetText(TAERecord& record, const std::string& text) {
    if (TAEField* f = record.Target(FPosText)) SetFieldString(*f, text);
}

void TAETarvelDriver::SetUnknownText(TAERecord& record, unsigned kind) {
    FScratch = "Unknown Message ";
    FScratch += IntToStr(kind);
    SetText(record, FScratch);
}

void TAETarvelDriver::PatchHeader(std::vector<uint8_t>& header, int32_t memberOfEvents) const {
    const size_t at = MemberOfEventsOffset(FBoard);
    if (header.size() >= at + 4) PutU32(header.data() + at, static_cast<uint32_t>(memberOfEvents));
}

} // namespace vorelt
