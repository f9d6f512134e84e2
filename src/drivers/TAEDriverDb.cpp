#include "drivers/TAEDriverDb.h"

#include "drivers/TRecordSinks.h"
#include "drivers/TWriteTarget.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEFieldValue.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TFileWriter.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"

#include <algorithm>
#include <exception>

namespace vorelt {

namespace {

constexpr char MsgDataOutRange[] = "Data Out Range";

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

bool TAEDriverDb::IsEmptyMessage(size_t pos, const TDriverIndexItem& item) const {
    // Messages follow each other: this one begins where the one before ends (its prefix first).
    const std::span<const uint8_t> file = FFile.Bytes();
    const uint64_t start = pos > 0 ? FIndex.End(pos - 1) : 0;
    const uint64_t end = item.Offset + item.Size;
    if (file.empty() || start >= end || end > file.size()) return false;
    for (uint64_t i = start; i < end; ++i)
        if (file[i] != 0) return false;
    return true;
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

bool TAEDriverDb::SaveLog(std::string& message) {
    message.clear();
    if (!FOpen) return true;
    if (!FLog.InUse()) {
        // A log that could not be used (a folder or a pipe of its name, not a log): the groups
        // made since have no place to go.
        if (FDeletedGroups.empty() && FSelectedGroups.empty()) return true;
        message = FLog.Note().empty() ? "Log File Not Used: " + FLog.FileName() : FLog.Note();
        return false;
    }
    if (FLog.Rewrite(FDeletedGroups, FSelectedGroups, message)) return true;
    if (FLog.Keeps(FDeletedGroups, FSelectedGroups)) {
        message.clear();
        return true;
    }
    return false;
}

bool TAEDriverDb::SaveLogAs(const std::string& target, std::string& message) const {
    message.clear();
    if (!CheckWriteTarget(target, {FFileName, {}}, message)) return false;
    const std::vector<uint8_t> bytes = FLog.Bytes(FDeletedGroups, FSelectedGroups);
    return WriteFileAtomically(
        target, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        message);
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
    // An index emptied while loading (Close) takes no more rows.
    FLoadPending = false;
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
    FPosText = FieldPos(fidDefaultText);
    FPosTime = FieldPos(fidTime);
    FPosTimeS = FieldPos(fidTimeS);
    FPosTimeHH = FieldPos(fidTimeHH);
    FPosHHMMSS = FieldPos(fidHHMMSS);
    FPosTimeMS = FieldPos(fidTimeMS);
    FPosTimeUS = FieldPos(fidTimeUS);
}

void TAEDriverDb::SetTimeValues(TAERecord& record, long double us) const {
    TRecordFieldSink sink(record);
    PutTimeValues(sink, us);
}

// --- Load ---

bool TAEDriverDb::RunLoad(std::string& message, const std::function<void()>& build) {
    if (!StartLoad(message, build)) return false;
    FLoadPending = false;
    try {
        ApplySelectedGroups();
        ApplyDeletedGroups();
        SetState(dsLoad);
        return true;
    } catch (const std::exception& e) {
        return FailLoad(message, e);
    }
}

bool TAEDriverDb::StartLoad(std::string& message, const std::function<void()>& start) {
    message.clear();
    FLoadPending = false;
    FInfoLines.clear();
    FChannelList.clear();
    ClearIndex();
    SetState(dsLoading);
    try {
        if (!IsOpen()) throw EAEError("File Not Open");
        start();
        FLoadPending = true;
        return true;
    } catch (const std::exception& e) {
        return FailLoad(message, e);
    }
}

bool TAEDriverDb::ContinueLoad(std::string& message, const std::function<bool()>& more) {
    message.clear();
    if (!FLoadPending) return true;
    try {
        const size_t first = FIndex.size();
        const bool last = more();
        ApplyGroups(FSelectedGroups, ifSelected, first);
        ApplyGroups(FDeletedGroups, ifDeleted, first);
        if (last) {
            FLoadPending = false;
            SetState(dsLoad);
        }
        return true;
    } catch (const std::exception& e) {
        return FailLoad(message, e);
    }
}

bool TAEDriverDb::FailLoad(std::string& message, const std::exception& e) {
    message = e.what();
    FLoadPending = false;
    ClearIndex();
    FInfoLines.clear();
    FChannelList.clear();
    return false;
}

void TAEDriverDb::ThrowTooManyMessages(uint64_t items) {
    throw EAEError("Too Many Messages: " + IntToStr(static_cast<int64_t>(items)));
}

// --- Index ---

std::span<const uint8_t> TAEDriverDb::Data(int32_t pos) const {
    const std::optional<TDriverIndexItem> item = Item(pos);
    if (!item) return {};
    return Data(*item);
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

std::array<int64_t, 256> TAEDriverDb::RecordKindCounts() const {
    std::array<int64_t, 256> counts{};
    const std::array<uint64_t, 256> items = FIndex.KindCounts();
    for (size_t k = 0; k < items.size(); ++k)
        counts[FKindMap[k]] += static_cast<int64_t>(items[k]);
    return counts;
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
    TRecordFieldSink sink(record);
    PutCommonValues(sink, pos, item);
    try {
        ReadMessage(record, pos, item);
    } catch (const std::exception& e) {
        // A damaged message stops the consumer with the reader's text instead of escaping.
        nav.Out.Status = nsError;
        nav.Out.State = FState;
        nav.Out.Message = e.what();
    }
}

bool TAEDriverDb::ReadCells(int32_t, TRecordCellSink&) {
    return false;
}

// --- Groups ---

void TAEDriverDb::ApplyGroups(const TRecordGroups& groups, uint8_t bit, size_t first) {
    const size_t n = FIndex.size();
    for (const TRecordGroup& g : groups)
        for (int32_t p : g)
            if (static_cast<size_t>(p) < n && static_cast<size_t>(p) >= first)
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

// --- Time conversion ---

bool TAEDriverDb::ConvertTime(std::string_view, std::string_view, long double&, long double) const {
    return false;
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
