#include "drivers/TAEDriverDb.h"

#include "drivers/TCopySetup.h"
#include "drivers/TFileWriter.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFieldValue.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vorelt {

namespace {

constexpr char MsgDataOutRange[] = "Data Out Range";
constexpr uint64_t ProgressStep = 1 << 16;

bool SamePath(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec1, ec2;
    fs::path ca = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
    fs::path cb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    if (!ec1 && !ec2 && ca == cb) return true;
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

} // namespace

const char* DriverStateText(uint8_t state) {
    static const char* const texts[] = {"None",  "Open",    "Opening", "Load", "Loading",
                                        "Close", "Closing", "Saving",  "Init", "Ready"};
    return state < 10 ? texts[state] : "";
}

TAEDriverDb::TAEDriverDb(IDriverOwner* owner)
    : FOwner(owner), FDbFields(this), FSetupFields(this), FParamFields(this) {
    FDbFields.SetName("Database Fields");
    FDbFields.SetKind(fgDatabase);
    FSetupFields.SetName("Setup Database Fields");
    FSetupFields.SetKind(fgSetup);
    FParamFields.SetName("Parametric Database Fields");
    FParamFields.SetKind(fgParametric);
    for (unsigned k = 0; k <= rkComment; ++k)
        FKindMap[k] = static_cast<uint8_t>(k);
}

TAEDriverDb::~TAEDriverDb() {
    // Nobody listens to a driver that is going away; the log is still written.
    FOwner = nullptr;
    FOnState = nullptr;
    FOnProgress = nullptr;
    if (FOpen) TAEDriverDb::Close();
}

void TAEDriverDb::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("FileName", FFileName);
}

void TAEDriverDb::SetState(uint8_t state) {
    if (state == FState) return;
    if (FOwner) {
        TAEOMSG msg;
        msg.Msg = omSourceState;
        msg.Result = state;
        FOwner->DriverMessage(msg);
    }
    FState = state;
    if (FOnState) FOnState(state);
}

bool TAEDriverDb::Open(const std::string& fileName, std::string& message) {
    message.clear();
    if (FOpen) Close();
    SetState(dsOpening);
    try {
        std::string error;
        if (MapsDataFile() && !FFile.Open(fileName, error)) throw EAEError(error);
        FFileName = fileName;
        FOpen = true;
        FLog.Open(fileName, FSelectedGroups, FDeletedGroups);
        SetState(dsOpen);
        return true;
    } catch (const std::exception& e) {
        FFile.Close();
        FLog.Reset();
        FOpen = false;
        FFileName.clear();
        SetState(dsNone);
        message = e.what();
        return false;
    }
}

void TAEDriverDb::Close() {
    SetState(dsClosing);
    if (FOpen) {
        std::string error;
        FLog.Rewrite(FDeletedGroups, FSelectedGroups, error);
        FFile.Close();
        FLog.Reset();
        FOpen = false;
        FFileName.clear();
    }
    SetState(dsClose);
    ClearIndex();
}

bool TAEDriverDb::Initialize(std::string& message) {
    try {
        SetState(dsInit);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

void TAEDriverDb::ClearIndex() {
    FIndex.clear();
}

// --- Field sets ---

bool TAEDriverDb::IsIDFree(std::string_view id) const {
    return FDbFields.IsIDFree(id) && FSetupFields.IsIDFree(id) && FParamFields.IsIDFree(id);
}

bool TAEDriverDb::IsNameFree(std::string_view name) const {
    return FDbFields.IsNameFree(name) && FSetupFields.IsNameFree(name) &&
           FParamFields.IsNameFree(name);
}

TAEField* TAEDriverDb::FindByID(std::string_view id) const {
    if (TAEField* f = FDbFields.FindByID(id)) return f;
    if (TAEField* f = FSetupFields.FindByID(id)) return f;
    return FParamFields.FindByID(id);
}

void TAEDriverDb::GetFields(TAEListFields* layout) const {
    if (!layout) return;
    for (const TAEFields* set : {&FDbFields, &FSetupFields, &FParamFields})
        if (set->Count() > 0) layout->Add(const_cast<TAEFields*>(set));
}

int TAEDriverDb::FieldPos(std::string_view id) const {
    int base = 0;
    for (const TAEFields* set : {&FDbFields, &FSetupFields, &FParamFields}) {
        int i = set->IndexOfID(id);
        if (i >= 0) return base + i;
        base += set->Count();
    }
    return -1;
}

void TAEDriverDb::AssignIDs(bool renew, IIDGenerator& generator) {
    FDbFields.AssignID(renew, generator);
    FSetupFields.AssignID(renew, generator);
    FParamFields.AssignID(renew, generator);
}

void TAEDriverDb::DeclareStandardFields(std::span<const TDriverFieldDecl> table,
                                        TAEDeclarer declarer) {
    for (const TDriverFieldDecl& d : table) {
        TAEFields& set = d.Set == 1 ? DbFields() : d.Set == 2 ? SetupFields() : ParamFields();
        set.Add(NewStandardField(d.ID, d.DataType, declarer));
    }
    LockFields();
}

void TAEDriverDb::LockFields() {
    for (TAEFields* set : {&FDbFields, &FSetupFields, &FParamFields}) {
        set->ClearValues();
        set->SetLocked(true);
    }
    FPosDeleted = FieldPos(fidDeleted);
    FPosSelected = FieldPos(fidSelected);
    FPosHit = FieldPos(fidHit);
    FPosIndexRec = FieldPos(fidIndexRec);
    FPosChannels = FieldPos(fidChannels);
}

// --- Index ---

std::span<const uint8_t> TAEDriverDb::Data(int32_t pos) const {
    const std::optional<TDriverIndexItem> item = Item(pos);
    if (!item || !FFile.Data()) return {};
    uint64_t size = FFile.Size();
    if (item->Offset > size || item->Size > size - item->Offset) return {};
    return {FFile.Data() + item->Offset, item->Size};
}

std::vector<std::string> TAEDriverDb::InfoLines() const {
    std::vector<std::string> lines = FInfoLines;
    if (!FLog.Note().empty()) lines.push_back(FLog.Note());
    return lines;
}

// --- Cursor ---

bool TAEDriverDb::CursorRangeError(TAEPNav& nav, int32_t pos) const {
    if (pos >= 0 && pos < Count()) return false;
    nav.Out.Status = pos < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.State = FState;
    nav.Out.Message = MsgDataOutRange;
    return true;
}

void TAEDriverDb::StoreKind(TAEPNav& nav, int32_t pos) const {
    nav.Out.Kind = RecordKind(pos);
}

static void ClearCursor(TAEPNav& nav) {
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
}

int32_t TAEDriverDb::FirstRecord(TAEPNav& nav) {
    ClearCursor(nav);
    const int32_t n = Count();
    for (int32_t i = 0; i < n; ++i) {
        uint8_t kind = FKindMap[FIndex.Kind(static_cast<size_t>(i))];
        if (KindAdmitted(nav.Kinds, kind)) {
            nav.Out.Kind = kind;
            return i;
        }
    }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TAEDriverDb::LastRecord(TAEPNav& nav) {
    ClearCursor(nav);
    for (int32_t i = Count() - 1; i >= 0; --i) {
        uint8_t kind = FKindMap[FIndex.Kind(static_cast<size_t>(i))];
        if (KindAdmitted(nav.Kinds, kind)) {
            nav.Out.Kind = kind;
            return i;
        }
    }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TAEDriverDb::NextRecord(TAEPNav& nav, int32_t pos) {
    ClearCursor(nav);
    if (CursorRangeError(nav, pos)) return -1;
    const int32_t n = Count();
    if (pos == n - 1) {
        nav.Out.State = FState;
        nav.Out.Status = nsEndForward;
        StoreKind(nav, pos);
        return pos;
    }
    for (int32_t i = pos + 1; i < n; ++i) {
        uint8_t kind = FKindMap[FIndex.Kind(static_cast<size_t>(i))];
        if (KindAdmitted(nav.Kinds, kind)) {
            nav.Out.Kind = kind;
            return i;
        }
    }
    nav.Out.Status = nsEndForward;
    return -1;
}

int32_t TAEDriverDb::PriorRecord(TAEPNav& nav, int32_t pos) {
    ClearCursor(nav);
    if (CursorRangeError(nav, pos)) return -1;
    if (pos == 0) {
        nav.Out.State = FState;
        nav.Out.Status = nsStartBackward;
        StoreKind(nav, 0);
        return 0;
    }
    for (int32_t i = pos - 1; i >= 0; --i) {
        uint8_t kind = FKindMap[FIndex.Kind(static_cast<size_t>(i))];
        if (KindAdmitted(nav.Kinds, kind)) {
            nav.Out.Kind = kind;
            return i;
        }
    }
    nav.Out.Status = nsStartBackward;
    return -1;
}

int32_t TAEDriverDb::RecordCount(TAEPNav& nav) {
    // The consumer loop visits every admitted position once; counting them directly gives the
    // same number without walking the cursor.
    ClearCursor(nav);
    if (nav.Kinds == 0) return Count();
    int32_t count = 0;
    for (size_t i = 0, n = FIndex.size(); i < n; ++i)
        count += KindAdmitted(nav.Kinds, FKindMap[FIndex.Kind(i)]) ? 1 : 0;
    return count;
}

void TAEDriverDb::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t pos) {
    ClearCursor(nav);
    if (CursorRangeError(nav, pos)) return;
    const TDriverIndexItem& item = FIndex[static_cast<size_t>(pos)];
    record.SetKind(FKindMap[item.Kind]);
    record.ClearValues();
    record.SetIndex(pos);
    uint8_t recFlags = 0;
    if (item.Flags & ifDeleted) recFlags |= rfDeleted;
    if (item.Flags & ifSelected) recFlags |= rfSelected;
    record.SetRecFlags(recFlags);
    if (TAEField* f = record.Field(FPosDeleted)) SetFieldBoolean(*f, (item.Flags & ifDeleted) != 0);
    if (TAEField* f = record.Field(FPosSelected))
        SetFieldBoolean(*f, (item.Flags & ifSelected) != 0);
    if (TAEField* f = record.Field(FPosHit)) SetFieldInt64(*f, 1);
    if (TAEField* f = record.Field(FPosIndexRec)) SetFieldInt64(*f, pos);
    if (TAEField* f = record.Field(FPosChannels); f && f->DataType() == dtListInteger)
        SetFieldRaw(*f, &FChannelList);
    try {
        ReadMessage(record, pos, item);
    } catch (const std::exception& e) {
        // A damaged message stops the consumer with the reader's text instead of escaping.
        nav.Out.Status = nsError;
        nav.Out.State = FState;
        nav.Out.Message = e.what();
    }
}

// --- Groups ---

void TAEDriverDb::ApplyGroups(const TRecordGroups& groups, uint8_t bit) {
    const size_t n = FIndex.size();
    for (const TRecordGroup& g : groups)
        for (int32_t p : g)
            if (static_cast<size_t>(p) < n)
                FIndex.SetFlags(static_cast<size_t>(p), FIndex.Flags(static_cast<size_t>(p)) | bit);
}

void TAEDriverDb::ApplySelectedGroups() {
    ApplyGroups(FSelectedGroups, ifSelected);
}

void TAEDriverDb::ApplyDeletedGroups() {
    ApplyGroups(FDeletedGroups, ifDeleted);
}

// Restores the positions of `group` (last first when `reverse`) into `restored` and clears
// their bit; positions outside the index are ignored.
static void ReleaseGroup(TDriverIndex& index, const TRecordGroup& group, uint8_t bit, bool reverse,
                         std::vector<int32_t>& restored) {
    const size_t n = index.size();
    restored.reserve(restored.size() + group.size());
    auto release = [&](int32_t p) {
        if (static_cast<size_t>(p) >= n) return;
        const auto at = static_cast<size_t>(p);
        index.SetFlags(at, index.Flags(at) & static_cast<uint8_t>(~bit));
        restored.push_back(p);
    };
    if (reverse)
        std::for_each(group.rbegin(), group.rend(), release);
    else
        std::for_each(group.begin(), group.end(), release);
}

void TAEDriverDb::UndoGroup(TRecordGroups& groups, uint8_t bit, std::vector<int32_t>& restored) {
    if (groups.empty()) return;
    TRecordGroup last = std::move(groups.back());
    groups.pop_back();
    ReleaseGroup(FIndex, last, bit, false, restored);
    // A position may also belong to an earlier group; it stays marked for that one.
    ApplyGroups(groups, bit);
}

bool TAEDriverDb::HandleMessage(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omSelectGroup:
    case omDeleteGroup: {
        uint8_t bit = msg.Msg == omSelectGroup ? ifSelected : ifDeleted;
        TRecordGroups& groups = msg.Msg == omSelectGroup ? FSelectedGroups : FDeletedGroups;
        TRecordGroup group;
        group.reserve(msg.List.size());
        for (int32_t p : msg.List)
            if (p >= 0 && p < Count()) {
                group.push_back(p);
                FIndex.SetFlags(static_cast<size_t>(p), FIndex.Flags(static_cast<size_t>(p)) | bit);
            }
        if (!group.empty()) groups.push_back(std::move(group));
        return true;
    }
    case omUndoDeletion:
        UndoGroup(FDeletedGroups, ifDeleted, msg.List);
        return true;
    case omUndoSelection:
        UndoGroup(FSelectedGroups, ifSelected, msg.List);
        return true;
    case omUndoAllDeletions:
        for (auto it = FDeletedGroups.rbegin(); it != FDeletedGroups.rend(); ++it)
            ReleaseGroup(FIndex, *it, ifDeleted, false, msg.List);
        FDeletedGroups.clear();
        return true;
    case omRestore: {
        const auto* ref = reinterpret_cast<const TDeletedItemRef*>(msg.WParam);
        if (!ref || ref->Group < 0 || ref->Group >= DeletedGroupCount()) return true;
        auto group = FDeletedGroups.begin() + ref->Group;
        if (ref->Item < 0) {
            ReleaseGroup(FIndex, *group, ifDeleted, true, msg.List);
            FDeletedGroups.erase(group);
        } else if (static_cast<size_t>(ref->Item) < group->size()) {
            ReleaseGroup(FIndex, TRecordGroup{(*group)[static_cast<size_t>(ref->Item)]}, ifDeleted,
                         false, msg.List);
            group->erase(group->begin() + ref->Item);
            if (group->empty()) FDeletedGroups.erase(group);
        } else {
            return true;
        }
        ApplyDeletedGroups();
        return true;
    }
    default:
        return false;
    }
}

// --- Copies ---

bool TAEDriverDb::MessageTime(int32_t, const TDriverIndexItem&, int64_t&) const {
    return false;
}

size_t TAEDriverDb::MessagePrefix(const TDriverIndexItem&, uint8_t*) const {
    return 0;
}

void TAEDriverDb::PatchHeader(std::vector<uint8_t>&, int32_t) const {}

bool TAEDriverDb::ConvertTime(std::string_view, std::string_view, long double&, long double) const {
    return false;
}

std::vector<int32_t> TAEDriverDb::CopySetupPositions() const {
    std::vector<int32_t> positions;
    for (size_t i = 0, n = FIndex.size(); i < n; ++i)
        if (FIndex.Kind(i) == ikHeader) positions.push_back(static_cast<int32_t>(i));
    return positions;
}

bool TAEDriverDb::CheckTarget(const std::string& target, std::string& message) const {
    if (!FOpen || !FFile.IsOpen()) {
        message = "Data File Not Open";
        return false;
    }
    const char* why = target.empty()                ? "no target"
                      : SamePath(target, FFileName) ? "the target is the source file"
                      : SamePath(target, TLogFile::CompanionName(FFileName))
                          ? "the target is the source's companion log"
                          : nullptr;
    if (why) {
        message = std::string("Invalid File Name: ") + why;
        return false;
    }
    return true;
}

namespace {

// Writes one item in the file's own layout: the header as stored, other messages behind their
// prefix.
template <class TPrefix>
void WriteItem(TFileWriter& out, const TDriverIndexItem& item, std::span<const uint8_t> data,
               TPrefix&& prefix) {
    if (data.size() != item.Size) throw EAEError(ErrInvalidStructure);
    if (item.Kind != ikHeader) {
        uint8_t buffer[32];
        size_t n = prefix(item, buffer);
        out.Write(buffer, n);
    }
    out.Write(data.data(), data.size());
}

} // namespace

namespace {

// A prefix is a few bytes: a call of memcmp would cost more than the comparison.
inline bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n) {
    uint8_t diff = 0;
    for (size_t i = 0; i < n; ++i)
        diff |= static_cast<uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

// Stretches of the copy shorter than this go through a buffer; longer ones are copied by the
// system straight from the source file.
constexpr uint64_t MinDirectCopy = uint64_t{1} << 20;
// Messages whose times are read in one go, about a hundred kilobytes of the file: the bytes read
// are still in the processor's cache when their times are taken (measured on generated files).
constexpr size_t TimeBlock = 2048;
// Messages whose times are read again where the order is broken.
constexpr size_t LookupBlock = 128;
// A block whose messages lie further apart than this is read through the mapping.
constexpr uint64_t MaxViewBytes = uint64_t{64} << 20;
// From this size on the sorted copy copies the bytes on a second thread while it reads the times.
constexpr uint64_t MinParallelCopy = uint64_t{16} << 20;
// The source file opened for copying inside the system, or -1 when it cannot be opened or is no
// longer the mapped file (the copy then comes from the mapping).
class TSourceFd {
public:
    TSourceFd(const std::string& fileName, const TMappedFile& mapped)
        : FFd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
        if (FFd >= 0 && !mapped.IsFile(FFd)) {
            ::close(FFd);
            FFd = -1;
        }
    }
    ~TSourceFd() {
        if (FFd >= 0) ::close(FFd);
    }
    TSourceFd(const TSourceFd&) = delete;
    TSourceFd& operator=(const TSourceFd&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

// Reads up to `size` bytes from `offset`; fewer where the file ends or a read fails (the caller
// then finds the rest through the mapping).
uint64_t ReadAt(int fd, uint8_t* data, size_t size, uint64_t offset) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// Writes pieces of the copy at their places: neighbouring pieces go out as one write, long
// ones are copied by the system straight from the source.
class TPatchWriter {
public:
    explicit TPatchWriter(TFileWriter& out) : FOut(out) {}
    void Put(const uint8_t* data, uint64_t size, uint64_t at) {
        if (!FBuffer.empty() && (at != FAt + FBuffer.size() || FBuffer.size() >= MinDirectCopy))
            Flush();
        if (FBuffer.empty()) FAt = at;
        FBuffer.insert(FBuffer.end(), data, data + size);
    }
    void Copy(int source, uint64_t offset, uint64_t size, uint64_t at) {
        Flush();
        FOut.CopyAt(source, offset, size, at);
    }
    void Flush() {
        if (!FBuffer.empty()) FOut.WriteAt(FAt, FBuffer.data(), FBuffer.size());
        FBuffer.clear();
    }

private:
    TFileWriter& FOut;
    uint64_t FAt = 0;
    std::vector<uint8_t> FBuffer;
};

} // namespace

int64_t TAEDriverDb::TimeOrNone(int32_t pos) const {
    int64_t t = 0;
    return MessageTime(pos, FIndex[static_cast<size_t>(pos)], t) ? t : NoTime;
}

bool TAEDriverDb::StoredAt(const TDriverIndexItem& item, uint64_t at) const {
    uint8_t prefix[MaxPrefixSize];
    const size_t len = item.Kind == ikHeader ? 0 : MessagePrefix(item, prefix);
    return FFile.Data() && item.Offset == at + len && item.Offset + item.Size <= FFile.Size() &&
           SameBytes(prefix, FFile.Data() + at, len);
}

bool TAEDriverDb::MessageTimes(int32_t first, int32_t count, const TFileView&,
                               int64_t* times) const {
    const auto f = static_cast<size_t>(first);
    uint64_t end = f > 0 ? FIndex.End(f - 1) : 0;
    bool whole = true;
    for (int32_t k = 0; k < count; ++k) {
        const TDriverIndexItem& item = FIndex[f + static_cast<size_t>(k)];
        times[k] = TimeOrNone(first + k);
        whole = whole && StoredAt(item, end);
        end = item.Offset + item.Size;
    }
    return whole;
}

bool TAEDriverDb::SortToFile(const std::string& target, std::string& message) {
    message.clear();
    if (!CheckTarget(target, message)) return false;
    try {
        const size_t n = FIndex.size();
        const uint8_t* const file = FFile.Data();
        const uint64_t fileSize = FFile.Size();
        TFileWriter out(target);
        out.Open();
        const TSourceFd source(FFileName, FFile);
        // Recorded files are nearly in order. One pass reads the source block by block for the
        // times and writes what it read as the copy, which the disk writes as it comes; then
        // only the stretches out of order are written again at their places. The bytes are
        // read into one buffer: a first pass through the mapping costs more where each page
        // is touched for the first time.
        std::vector<uint8_t> bytes;
        uint64_t copied = 0; // the copy holds the source's bytes up to here
        auto copyTo = [&](uint64_t end) {
            if (end <= copied) return;
            if (source.Fd() >= 0)
                out.CopyFrom(source.Fd(), copied, end - copied);
            else
                out.Write(file + copied, static_cast<size_t>(end - copied));
            copied = end;
        };
        auto timesInto = [&](size_t first, size_t count, int64_t* times, bool copy,
                             std::vector<uint8_t>& bytes) {
            const TDriverIndexItem& a = FIndex[first];
            const TDriverIndexItem& b = FIndex[first + count - 1];
            // Messages lie in file order; the prefix before the first body and a time behind a
            // short last body are inside too. A message outside is found through the mapping.
            const uint64_t lo = a.Offset > MaxPrefixSize ? a.Offset - MaxPrefixSize : 0;
            const uint64_t hi = std::min(b.Offset + b.Size + MaxPrefixSize, fileSize);
            TFileView view{file, 0, fileSize};
            if (source.Fd() >= 0 && lo < hi && hi - lo <= MaxViewBytes) {
                bytes.resize(static_cast<size_t>(hi - lo));
                view = {bytes.data(), lo, ReadAt(source.Fd(), bytes.data(), bytes.size(), lo)};
                if (copy && lo + view.Size > copied) {
                    copyTo(lo);
                    out.Write(view.At(copied), static_cast<size_t>(lo + view.Size - copied));
                    copied = lo + view.Size;
                }
            }
            return MessageTimes(static_cast<int32_t>(first), static_cast<int32_t>(count), view,
                                times);
        };
        auto blockTimes = [&](size_t first, size_t count, int64_t* times, bool copy) {
            return timesInto(first, count, times, copy, bytes);
        };
        // The blocks of the time pass: this thread takes them from the front, the copier from
        // the back once its copy is done, until they meet.
        const size_t blocks = (n + TimeBlock - 1) / TimeBlock;
        std::mutex claimMutex;
        size_t frontBlock = 0, backBlock = blocks; // [frontBlock, backBlock) are unclaimed
        struct TTailBlock {
            size_t Block;
            std::vector<int64_t> Times;
            bool Whole;
        };
        std::vector<TTailBlock> tail; // the copier's blocks, last first
        // On a large file the system copies the bytes on a second thread while this one reads
        // the times, so the two passes over the source run side by side; only this thread's
        // reads leave the process. Until the copier is joined nothing else touches `out`.
        std::thread copier;
        std::exception_ptr copyError;
        if (source.Fd() >= 0 && fileSize >= MinParallelCopy &&
            std::thread::hardware_concurrency() >= 2) {
            try {
                copier = std::thread([&] {
                    try {
                        out.CopyFrom(source.Fd(), 0, fileSize);
                        std::vector<uint8_t> buffer;
                        for (;;) {
                            size_t block;
                            {
                                std::lock_guard<std::mutex> lock(claimMutex);
                                if (backBlock <= frontBlock) break;
                                block = --backBlock;
                            }
                            const size_t first = block * TimeBlock;
                            const size_t count = std::min<size_t>(TimeBlock, n - first);
                            TTailBlock t{block, std::vector<int64_t>(count), true};
                            t.Whole = timesInto(first, count, t.Times.data(), false, buffer);
                            tail.push_back(std::move(t));
                        }
                    } catch (...) {
                        copyError = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                // no thread: this one copies as it reads
            }
        }
        struct TJoin {
            std::thread& Thread;
            ~TJoin() {
                if (Thread.joinable()) Thread.join();
            }
        } join{copier};
        const bool copyAsRead = !copier.joinable();

        TTimeOrder order;
        bool whole = true;
        std::vector<int64_t> times(TimeBlock);
        for (;;) {
            size_t block;
            {
                std::lock_guard<std::mutex> lock(claimMutex);
                if (frontBlock >= backBlock) break;
                block = frontBlock++;
            }
            const size_t first = block * TimeBlock;
            const size_t count = std::min<size_t>(TimeBlock, n - first);
            if (!blockTimes(first, count, times.data(), copyAsRead)) whole = false;
            order.Add(times.data(), count);
            if (first % ProgressStep < TimeBlock) ReportProgress(first, n);
        }
        if (copier.joinable()) {
            copier.join();
            if (copyError) std::rethrow_exception(copyError);
            copied = fileSize;
            // The copier's blocks follow this thread's ones, in file order.
            for (auto it = tail.rbegin(); it != tail.rend(); ++it) {
                whole = whole && it->Whole;
                order.Add(it->Times.data(), it->Times.size());
            }
            std::vector<TTailBlock>().swap(tail);
        }
        copyTo(fileSize);
        // The stretches and their order need the times next to the descents again.
        uint64_t cached = std::numeric_limits<uint64_t>::max();
        auto timeOf = [&](uint64_t p) {
            const uint64_t block = p / LookupBlock;
            if (block != cached) {
                const uint64_t first = block * LookupBlock;
                blockTimes(first, std::min<size_t>(LookupBlock, n - first), times.data(), false);
                cached = block;
            }
            return times[p % LookupBlock];
        };
        const std::vector<TTimeStretch> stretches = order.Stretches(timeOf);

        // The positions of a stretch in the order of the copy.
        struct TTimed {
            int64_t Time;
            int32_t Pos;
        };
        std::vector<TTimed> timed;
        std::vector<int32_t> sequence;
        auto arrange = [&](const TTimeStretch& s) {
            timed.clear();
            sequence.clear();
            for (uint64_t p = s.First; p <= s.Last; ++p) {
                const int64_t t = timeOf(p);
                sequence.push_back(t == NoTime ? static_cast<int32_t>(p) : -1);
                if (t != NoTime) timed.push_back({t, static_cast<int32_t>(p)});
            }
            std::stable_sort(timed.begin(), timed.end(),
                             [](const TTimed& a, const TTimed& b) { return a.Time < b.Time; });
            size_t k = 0;
            for (int32_t& pos : sequence)
                if (pos < 0) pos = timed[k++].Pos;
        };

        if (whole) {
            // Every message lies right behind its stored prefix, one after the other: the copy
            // differs from the source only inside the stretches, and a message's place in the
            // copy is where the messages before it in the copy end.
            auto slotEnd = [this](int32_t p) { return FIndex.End(static_cast<size_t>(p)); };
            auto slotBegin = [&](int32_t p) { return p > 0 ? slotEnd(p - 1) : uint64_t{0}; };
            TPatchWriter patch(out);
            for (const TTimeStretch& s : stretches) {
                arrange(s);
                const uint64_t regionBegin = slotBegin(static_cast<int32_t>(s.First));
                const uint64_t regionEnd = slotEnd(static_cast<int32_t>(s.Last));
                // The stretch's bytes in one read, as for the times.
                TFileView view{file, 0, fileSize};
                if (source.Fd() >= 0 && regionEnd - regionBegin <= MaxViewBytes) {
                    bytes.resize(static_cast<size_t>(regionEnd - regionBegin));
                    if (ReadAt(source.Fd(), bytes.data(), bytes.size(), regionBegin) ==
                        bytes.size())
                        view = {bytes.data(), regionBegin, bytes.size()};
                }
                uint64_t at = regionBegin;
                for (size_t j = 0; j < sequence.size();) {
                    // Messages that follow each other in the copy as in the source.
                    size_t e = j + 1;
                    while (e < sequence.size() && sequence[e] == sequence[e - 1] + 1)
                        ++e;
                    const uint64_t begin = slotBegin(sequence[j]);
                    const uint64_t size = slotEnd(sequence[e - 1]) - begin;
                    if (begin != at) {
                        if (source.Fd() >= 0 && size >= MinDirectCopy)
                            patch.Copy(source.Fd(), begin, size, at);
                        else
                            patch.Put(view.At(begin), size, at);
                    }
                    at += size;
                    j = e;
                }
            }
            patch.Flush();
            const uint64_t size = n > 0 ? slotEnd(static_cast<int32_t>(n - 1)) : 0;
            if (size != fileSize) out.Truncate(size);
        } else {
            // Some message is not stored as the copy writes it: the copy is written message by
            // message. Messages that follow each other in the copy as in the source, each with a
            // prefix as stored, form one byte range of the source; ranges are written whole.
            out.Truncate(0);
            uint64_t runBegin = 0, runEnd = 0;
            auto flush = [&] {
                if (runEnd == runBegin) return;
                if (source.Fd() >= 0 && runEnd - runBegin >= MinDirectCopy)
                    out.CopyFrom(source.Fd(), runBegin, runEnd - runBegin);
                else
                    out.Write(file + runBegin, runEnd - runBegin);
                runBegin = runEnd;
            };
            uint8_t prefix[MaxPrefixSize];
            auto put = [&](int32_t pos) {
                const TDriverIndexItem& item = FIndex[static_cast<size_t>(pos)];
                if (Data(pos).size() != item.Size) throw EAEError(ErrInvalidStructure);
                const size_t len = item.Kind == ikHeader ? 0 : MessagePrefix(item, prefix);
                const bool stored =
                    item.Offset >= len && SameBytes(prefix, file + item.Offset - len, len);
                if (stored && item.Offset - len == runEnd) {
                    runEnd = item.Offset + item.Size;
                } else {
                    flush();
                    if (stored) {
                        runBegin = item.Offset - len;
                        runEnd = item.Offset + item.Size;
                    } else {
                        out.Write(prefix, len);
                        out.Write(file + item.Offset, item.Size);
                        runBegin = runEnd = 0;
                    }
                }
            };
            size_t next = 0;
            for (size_t i = 0; i < n;) {
                if (next < stretches.size() && i == stretches[next].First) {
                    arrange(stretches[next]);
                    for (const int32_t pos : sequence)
                        put(pos);
                    i = static_cast<size_t>(stretches[next++].Last) + 1;
                } else {
                    put(static_cast<int32_t>(i++));
                }
            }
            flush();
        }
        out.Commit();
        ReportProgress(n, n);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

bool TAEDriverDb::SaveToFile(IRecordSource& source, const std::string& target,
                             std::string& message) {
    message.clear();
    if (!CheckTarget(target, message)) return false;
    try {
        TAERecord record;
        source.PrepareRecord(record);
        TAEField* indexRec = record.FindByID(fidIndexRec);
        TAEField* deleted = record.FindByID(fidDeleted);
        if (!indexRec) throw EAEError("Field IndexRec Not Found");
        auto itemOf = [&](int32_t& pos) -> std::optional<TDriverIndexItem> {
            if (indexRec->IsNull()) return std::nullopt;
            int64_t p = indexRec->GetAsInt64();
            if (p < 0 || p >= Count()) return std::nullopt;
            pos = static_cast<int32_t>(p);
            return FIndex[static_cast<size_t>(p)];
        };
        auto isDeleted = [&] { return deleted && !deleted->IsNull() && deleted->GetAsBoolean(); };
        // Runs the consumer loop; an error stops with the cursor's message whatever the end bit.
        auto walk = [&](uint16_t kinds, auto&& visit) {
            TAEPNav nav;
            nav.Kinds = kinds;
            source.Restart();
            int32_t p = source.FirstRecord(nav, record, -1);
            for (;;) {
                if (nav.Out.Status & nsError) throw EAEError(nav.Out.Message);
                if (nav.Out.Status & nsEndForward) break;
                source.ReadRecord(nav, record, p);
                if (nav.Out.Status & nsError) throw EAEError(nav.Out.Message);
                visit();
                p = source.NextRecord(nav, record, p);
            }
        };

        int32_t members = 0;
        walk(KindBit(rkHit), [&] {
            int32_t pos = -1;
            if (record.Kind() == rkHit && itemOf(pos) && !isDeleted()) ++members;
        });

        TFileWriter out(target);
        out.Open();
        auto prefix = [this](const TDriverIndexItem& item, uint8_t* buffer) {
            return MessagePrefix(item, buffer);
        };
        std::vector<uint8_t> header;
        uint64_t written = 0;
        const uint64_t total = FIndex.size();
        auto write = [&](int32_t pos) {
            const TDriverIndexItem item = FIndex[static_cast<size_t>(pos)];
            std::span<const uint8_t> data = Data(pos);
            if (item.Kind == ikHeader) {
                header.assign(data.begin(), data.end());
                PatchHeader(header, members);
                WriteItem(out, item, header, prefix);
            } else {
                WriteItem(out, item, data, prefix);
            }
            if (++written % ProgressStep == 0) ReportProgress(written, total);
        };
        TCopySetup setup(CopySetupPositions());
        walk(0, [&] {
            int32_t pos = -1;
            const std::optional<TDriverIndexItem> item = itemOf(pos);
            if (!item || (isDeleted() && !setup.Holds(pos))) return;
            if (setup.Before(pos, write)) write(pos);
        });
        setup.Rest(write);
        out.Flush();
        CheckCopyOpens(*this, out.TempName());
        out.Commit();
        ReportProgress(total, total);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

bool ConvertTarvelTime(std::string_view sourceID, std::string_view targetID, long double& value,
                       long double x) {
    auto factor = [](std::string_view id) -> long double {
        if (id == fidTimeS) return 1000000.0L;
        if (id == fidTimeHH) return 3600000000.0L;
        if (id == fidTimeMS) return 1000.0L;
        return 0.0L;
    };
    long double from = factor(sourceID);
    long double to = factor(targetID);
    if (from == 0 || to == 0) return false;
    value = x * from / to;
    return true;
}

} // namespace vorelt
