#include "processing/TGVCPUMemorySource.h"

#include "model/TAEListFields.h"

namespace vorelt {

namespace {
const TProcessorKind pkMemorySource{
    "TGVCPUMemorySource", "Memory Source", "", -1, kfDatabase, "", 0};
}

TGVCPUMemorySource::TGVCPUMemorySource() : TGVSource(pkMemorySource) {}

TAEFields* TGVCPUMemorySource::AddSourceSet(std::unique_ptr<TAEFields> set) {
    set->SetOwner(this);
    FSourceSets.push_back(std::move(set));
    return FSourceSets.back().get();
}

TAEFields* TGVCPUMemorySource::SourceSet(int i) const {
    return i >= 0 && i < SourceSetCount() ? FSourceSets[static_cast<size_t>(i)].get() : nullptr;
}

int TGVCPUMemorySource::SourceFieldCount() const {
    int n = 0;
    for (const auto& s : FSourceSets)
        n += s->Count();
    return n;
}

void TGVCPUMemorySource::Reserve(int32_t count) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    FKinds.reserve(n);
    FRecFlags.reserve(n);
    FEventFlags.reserve(n);
}

int32_t TGVCPUMemorySource::AddRecord(uint8_t kind, uint8_t recFlags, uint8_t eventFlags) {
    FKinds.push_back(kind);
    FRecFlags.push_back(recFlags);
    FEventFlags.push_back(eventFlags);
    for (TColumn& c : FColumns)
        if (!c.Present.empty()) {
            c.Present.push_back(0);
            if (c.IsString)
                c.Texts.emplace_back();
            else
                c.Numbers.push_back(0);
        }
    return Count() - 1;
}

void TGVCPUMemorySource::AddRecords(int32_t count, uint8_t kind) {
    for (int32_t i = 0; i < count; ++i)
        AddRecord(kind);
}

void TGVCPUMemorySource::SetRecFlags(int32_t index, uint8_t flags) {
    if (index >= 0 && index < Count()) FRecFlags[static_cast<size_t>(index)] = flags;
}

void TGVCPUMemorySource::SetEventFlags(int32_t index, uint8_t flags) {
    if (index >= 0 && index < Count()) FEventFlags[static_cast<size_t>(index)] = flags;
}

TGVCPUMemorySource::TColumn& TGVCPUMemorySource::ColumnAt(int flatPos, bool isString) {
    if (FColumns.size() <= static_cast<size_t>(flatPos))
        FColumns.resize(static_cast<size_t>(flatPos) + 1);
    TColumn& c = FColumns[static_cast<size_t>(flatPos)];
    const size_t n = FKinds.size();
    if (c.Present.empty() || c.IsString != isString) {
        c.IsString = isString;
        c.Present.assign(n, 0);
        c.Numbers.clear();
        c.Texts.clear();
        if (isString)
            c.Texts.resize(n);
        else
            c.Numbers.resize(n);
    }
    return c;
}

void TGVCPUMemorySource::SetValue(int32_t index, int flatPos, long double value) {
    if (index < 0 || index >= Count() || flatPos < 0 || flatPos >= SourceFieldCount()) return;
    TColumn& c = ColumnAt(flatPos, false);
    c.Numbers[static_cast<size_t>(index)] = value;
    c.Present[static_cast<size_t>(index)] = 1;
}

void TGVCPUMemorySource::SetString(int32_t index, int flatPos, const std::string& value) {
    if (index < 0 || index >= Count() || flatPos < 0 || flatPos >= SourceFieldCount()) return;
    TColumn& c = ColumnAt(flatPos, true);
    c.Texts[static_cast<size_t>(index)] = value;
    c.Present[static_cast<size_t>(index)] = 1;
}

void TGVCPUMemorySource::ClearRecords() {
    FKinds.clear();
    FRecFlags.clear();
    FEventFlags.clear();
    FColumns.clear();
}

void TGVCPUMemorySource::GetFields(TAEListFields* layout, bool excludeOwn) const {
    if (!layout) return;
    for (const auto& s : FSourceSets)
        if (s->Count() > 0) layout->Add(s.get());
    if (!excludeOwn && FOwnFields.Count() > 0) layout->Add(const_cast<TAEFields*>(&FOwnFields));
}

TAEField* TGVCPUMemorySource::FindField(std::string_view id) const {
    for (const auto& s : FSourceSets)
        if (TAEField* f = s->FindByID(id)) return f;
    return FOwnFields.FindByID(id);
}

bool TGVCPUMemorySource::IsIDFree(std::string_view id) const {
    for (const auto& s : FSourceSets)
        if (!s->IsIDFree(id)) return false;
    return TGVSource::IsIDFree(id);
}

// --- Cursor protocol ------------------------------------------------------------------------

void TGVCPUMemorySource::Positioned(TAEPNav& nav, int32_t index) const {
    nav.Out.Status = nsPositioned;
    nav.Out.Kind = FKinds[static_cast<size_t>(index)];
    nav.Out.EventFlags = FEventFlags[static_cast<size_t>(index)];
}

bool TGVCPUMemorySource::OutOfRange(TAEPNav& nav, int32_t index) const {
    if (index >= 0 && index < Count()) return false;
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    return true;
}

int32_t TGVCPUMemorySource::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = FState;
    if (FHasError) return ReportFailure(nav);
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
    const int32_t n = Count();
    for (int32_t i = 0; i < n; ++i)
        if (KindAdmitted(nav.Kinds, FKinds[static_cast<size_t>(i)])) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPUMemorySource::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = FState;
    if (FHasError) return ReportFailure(nav);
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (KindAdmitted(nav.Kinds, FKinds[static_cast<size_t>(i)])) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPUMemorySource::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    nav.Out.State = FState;
    if (OutOfRange(nav, index)) return -1;
    const int32_t n = Count();
    // On the last position the caller already holds the record: it gets the same position
    // back with the end bit and stops after it.
    if (index == n - 1) {
        nav.Out.Status = nsEndForward;
        return index;
    }
    const uint16_t kinds = nav.Kinds;
    if (kinds == 0) {
        Positioned(nav, index + 1);
        return index + 1;
    }
    for (int32_t i = index + 1; i < n; ++i)
        if (KindAdmitted(kinds, FKinds[static_cast<size_t>(i)])) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsEndForward;
    return -1;
}

int32_t TGVCPUMemorySource::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    nav.Out.State = FState;
    if (OutOfRange(nav, index)) return -1;
    if (index == 0) {
        nav.Out.Status = nsStartBackward;
        return 0;
    }
    const uint16_t kinds = nav.Kinds;
    if (kinds == 0) {
        Positioned(nav, index - 1);
        return index - 1;
    }
    for (int32_t i = index - 1; i >= 0; --i)
        if (KindAdmitted(kinds, FKinds[static_cast<size_t>(i)])) {
            Positioned(nav, i);
            return i;
        }
    nav.Out.Status = nsStartBackward;
    return -1;
}

void TGVCPUMemorySource::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    nav.Out.State = FState;
    if (OutOfRange(nav, index)) return;
    const size_t at = static_cast<size_t>(index);
    const uint8_t events = FEventFlags[at];
    record.ClearValues();
    record.SetKind(FKinds[at]);
    record.SetIndex(index);
    record.SetRecFlags(static_cast<uint8_t>(FRecFlags[at] | events));
    nav.Out.EventFlags = events;
    const int columns = static_cast<int>(FColumns.size());
    for (int pos = 0; pos < columns; ++pos) {
        const TColumn& c = FColumns[static_cast<size_t>(pos)];
        if (c.Present.empty() || !c.Present[at]) continue;
        TAEField* f = record.Field(pos);
        if (!f) continue;
        if (c.IsString)
            f->SetAsString(c.Texts[at]);
        else
            f->SetAsFloat(c.Numbers[at]);
    }
}

int32_t TGVCPUMemorySource::RecordCount(TAEPNav& nav, TAERecord& record) {
    return CountByWalking(nav, record);
}

} // namespace vorelt
