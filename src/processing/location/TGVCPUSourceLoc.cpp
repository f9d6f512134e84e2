#include "processing/location/TGVCPUSourceLoc.h"

#include "processing/math/TListCursor.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TDemandChain.h"
#include "processing/math/TListCursor.h"

#include <algorithm>
#include <cmath>

namespace vorelt {

namespace {

struct TOwnField {
    const char* ID;
    uint8_t Type;
};

// In declaration order; the order of TFieldCache::Fields.
constexpr TOwnField OwnFieldList[] = {
    {fidSourceX, dtDouble},    {fidSourceY, dtDouble},         {fidSourcePosition, dtDouble},
    {fidSourcePipe, dtString}, {fidLocUncertainty, dtDouble},  {fidSensorsUsed, dtInteger},
    {fidLocated, dtByte},      {fidEventsInCircle, dtInteger},
};

} // namespace

TGVCPUSourceLoc::TGVCPUSourceLoc() : TGVSource(pkSourceLoc) {
    DeclareFields();
}

TGVCPUSourceLoc::~TGVCPUSourceLoc() = default;

void TGVCPUSourceLoc::DeclareFields() {
    for (const TOwnField& f : OwnFieldList) {
        std::unique_ptr<TAEField> field = NewStandardField(f.ID, f.Type, TAEDeclarer::Location);
        if (!field) continue;
        field->SetLocked(true);
        FOwnFields.Add(std::move(field));
    }
}

namespace {

TGVCPUSourceLoc::TPlotAddOnFactory& PlotFactory() {
    static TGVCPUSourceLoc::TPlotAddOnFactory factory;
    return factory;
}

} // namespace

void TGVCPUSourceLoc::SetPlotAddOnFactory(TPlotAddOnFactory factory) {
    PlotFactory() = std::move(factory);
}

void TGVCPUSourceLoc::CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) {
    TGVSource::CollectGraphAddOns(graphView, list);
    if (!PlotFactory()) return;
    if (IGraphAddOn* addOn = PlotFactory()(*this, graphView)) list.push_back(addOn);
}

void TGVCPUSourceLoc::SetLayout(const TSensorLayout& layout) {
    FLayout = layout;
    Discard();
}

bool TGVCPUSourceLoc::SetCircleDiameter(double mm) {
    if (!std::isfinite(mm) || mm <= 0) return false;
    FDiameter = mm;
    Discard();
    return true;
}

void TGVCPUSourceLoc::Discard() {
    FEvents.clear();
    FEvents.shrink_to_fit();
    FPipes.clear();
    FComputed = false;
    if (FHasError) {
        FHasError = false;
        FErrorText.clear();
    }
}

void TGVCPUSourceLoc::Reset() {
    Discard();
    TGVSource::Reset();
    DeclareFields();
    FCache = TFieldCache{};
}

void TGVCPUSourceLoc::Changed(bool propagate) {
    Discard();
    TGVSource::Changed(propagate);
}

void TGVCPUSourceLoc::Dispatch(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omDataChanged:
    case omSourceState:
        TGVSource::Dispatch(msg);
        Discard();
        return;
    case omMarkRecord:
        // A hit that is no event's first hit is not among ours.
        if (msg.List.empty()) msg.List.push_back(-1);
        TGVSource::Dispatch(msg);
        return;
    default:
        TGVSource::Dispatch(msg);
        return;
    }
}

void TGVCPUSourceLoc::ListToParent(std::vector<int32_t>& list) const {
    size_t out = 0;
    for (int32_t i : list)
        if (FComputed && i >= 0 && i < Count())
            list[out++] = FEvents[static_cast<size_t>(i)].ParentPos;
    list.resize(out);
}

void TGVCPUSourceLoc::ListFromParent(std::vector<int32_t>& list) const {
    size_t out = 0;
    for (int32_t p : list) {
        if (!FComputed) break;
        auto it =
            std::lower_bound(FEvents.begin(), FEvents.end(), p,
                             [](const TSourceEvent& e, int32_t q) { return e.ParentPos < q; });
        if (it != FEvents.end() && it->ParentPos == p)
            list[out++] = static_cast<int32_t>(it - FEvents.begin());
    }
    list.resize(out);
}

// --- Computation ----------------------------------------------------------------------------

bool TGVCPUSourceLoc::EnsureComputed() {
    if (FComputed) return true;
    if (FHasError) return false;
    FEvents.clear();
    FPipes.clear();
    std::string error;
    bool ok = false;
    try {
        ok = Compute(error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!ok) {
        FEvents.clear();
        SetFailed(error);
        return false;
    }
    FComputed = true;
    return true;
}

bool TGVCPUSourceLoc::Compute(std::string& error) {
    if (!FParent) return true;
    TAERecord record;
    FParent->PrepareRecord(record);
    const TAEField* timeField = record.FindByID(fidTime);
    const TAEField* chanField = record.FindByID(fidChan);
    const TAEField* arrivalField = FLayout.Arrival() == TArrivalSource::PickedArrival
                                       ? record.FindByID(fidArrivalTime)
                                       : nullptr;
    // Only the channel and the times are read: the database need not fill anything else.
    std::vector<uint8_t> wanted(static_cast<size_t>(record.FieldCount()), 0);
    for (int n = 0; n < record.FieldCount(); ++n) {
        const TAEField* f = record.Field(n);
        wanted[static_cast<size_t>(n)] = f == timeField || f == chanField || f == arrivalField;
    }
    if (WidenDemandToDb(FParent, record, wanted)) record.SetDemand(wanted);

    std::vector<TArrival> hits;
    bool open = false;
    TSourceEvent current;
    auto close = [&] {
        if (!open) return;
        const TSourceResult r = LocateEvent(FLayout, hits);
        current.Located = r.Located;
        current.X = r.X;
        current.Y = r.Y;
        current.Position = r.Position;
        current.Uncertainty = r.Uncertainty;
        current.SensorsUsed = static_cast<int16_t>(r.SensorsUsed);
        current.Hits = static_cast<int32_t>(hits.size());
        current.Pipe = -1;
        if (!r.Pipe.empty()) {
            auto it = std::find(FPipes.begin(), FPipes.end(), r.Pipe);
            if (it == FPipes.end()) it = FPipes.insert(FPipes.end(), std::string(r.Pipe));
            current.Pipe = static_cast<int16_t>(it - FPipes.begin());
        }
        FEvents.push_back(current);
        open = false;
    };
    auto failed = [&](const TAEPNav& nav) {
        if ((nav.Out.Status & nsError) == 0) return false;
        error = nav.Out.Message.empty() ? FParent->ErrorText() : nav.Out.Message;
        if (error.empty()) error = txtDataOutRange;
        return true;
    };
    TAEPNav nav;
    int32_t i = FParent->FirstRecord(nav, record, -1);
    while (i >= 0) {
        if (failed(nav)) return false;
        const uint8_t flags = nav.Out.EventFlags;
        if (nav.Out.Kind == rkHit && (flags & rfEventHit) != 0) {
            if ((flags & rfFirstHit) != 0) {
                close();
                open = true;
                hits.clear();
                current = TSourceEvent{};
                current.ParentPos = i;
                current.Kind = nav.Out.Kind;
                current.EventFlags = flags;
            }
            if (open) {
                FParent->ReadRecord(nav, record, i);
                if (failed(nav)) return false;
                TArrival a;
                a.Chan = chanField && !chanField->IsNull()
                             ? static_cast<int32_t>(
                                   std::clamp<int64_t>(chanField->GetAsInt64(), -1, 1 << 30))
                             : -1;
                const TAEField* t =
                    arrivalField && !arrivalField->IsNull() ? arrivalField : timeField;
                a.TimeUs = t && !t->IsNull() ? static_cast<double>(t->GetAsFloat()) : NAN;
                if (hits.empty()) current.TimeUs = a.TimeUs;
                hits.push_back(a);
            }
        }
        const int32_t next = FParent->NextRecord(nav, record, i);
        if (failed(nav)) return false;
        if ((nav.Out.Status & nsEndForward) != 0) break;
        i = next;
    }
    if (failed(nav)) return false;
    close();

    // Sources on different pipes never share a circle; planar sources all lie in group 0.
    const size_t n = FEvents.size();
    std::vector<double> x(n), y(n);
    std::vector<int32_t> group(n), counts(n);
    std::vector<uint8_t> located(n);
    const bool linear = FLayout.Method() == TLocMethod::Linear;
    for (size_t k = 0; k < n; ++k) {
        const TSourceEvent& e = FEvents[k];
        const bool onPipe = linear && e.Pipe >= 0;
        x[k] = onPipe ? e.Position : e.X;
        y[k] = onPipe ? 0 : e.Y;
        group[k] = onPipe ? e.Pipe + 1 : 0;
        located[k] = e.Located ? 1 : 0;
    }
    CountInCircle(x, y, group, located, FDiameter, counts);
    for (size_t k = 0; k < n; ++k)
        FEvents[k].InCircle = counts[k];
    return true;
}

// --- Record protocol ------------------------------------------------------------------------

bool TGVCPUSourceLoc::Ready(TAEPNav& nav) {
    if (EnsureComputed()) return true;
    ReportFailure(nav);
    return false;
}

// The computed list's cursor moves, as the math and criterion processors move over theirs.
int32_t TGVCPUSourceLoc::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = GetSourceState();
    if (!Ready(nav)) return -1;
    return TListCursor::First(nav, Count(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUSourceLoc::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = GetSourceState();
    if (!Ready(nav)) return -1;
    return TListCursor::Last(nav, Count(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUSourceLoc::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!Ready(nav)) return -1;
    return TListCursor::Next(nav, Count(), index, [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUSourceLoc::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!Ready(nav)) return -1;
    return TListCursor::Prior(nav, Count(), index, [this](int32_t i) { return EntryAt(i); });
}

void TGVCPUSourceLoc::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!Ready(nav)) return;
    if (TListCursor::OutOfRange(nav, Count(), index)) return;
    if (!FParent) return;
    const TSourceEvent& e = FEvents[static_cast<size_t>(index)];
    FParent->ReadRecord(nav, record, e.ParentPos);
    if (nav.Out.Status & nsError) return;
    if (FCache.Record != &record || FCache.Stamp != record.LayoutStamp()) {
        FCache.Record = &record;
        FCache.Stamp = record.LayoutStamp();
        for (int k = 0; k < SourceFieldCount; ++k) {
            FCache.Fields[k] = nullptr;
            // The last declaration wins, as for the event fields.
            const std::vector<TAEField*>& flat = record.FlatFields();
            for (size_t m = flat.size(); m-- > 0;)
                if (flat[m]->ID() == OwnFieldList[k].ID) {
                    FCache.Fields[k] = flat[m];
                    break;
                }
        }
    }
    TAEField* const* f = FCache.Fields;
    auto setFloat = [](TAEField* field, bool has, double v) {
        if (!field) return;
        if (has)
            field->SetAsFloat(v);
        else
            field->Clear();
    };
    const bool linear = FLayout.Method() == TLocMethod::Linear;
    setFloat(f[0], e.Located, e.X);
    setFloat(f[1], e.Located, e.Y);
    setFloat(f[2], e.Located && linear, e.Position);
    if (f[3]) {
        if (e.Pipe >= 0)
            f[3]->SetAsString(FPipes[static_cast<size_t>(e.Pipe)]);
        else
            f[3]->Clear();
    }
    setFloat(f[4], e.Located, e.Uncertainty);
    if (f[5]) f[5]->SetAsInt64(e.SensorsUsed);
    if (f[6]) f[6]->SetAsInt64(e.Located ? 1 : 0);
    if (f[7]) f[7]->SetAsInt64(e.InCircle);
    record.SetRecFlags(static_cast<uint8_t>(record.RecFlags() | e.EventFlags));
    nav.Out.EventFlags = e.EventFlags;
    nav.Out.Kind = e.Kind;
}

int32_t TGVCPUSourceLoc::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (!FParent) return 0;
    if (nav.Kinds != 0) return CountByWalking(nav, record);
    int32_t i = FirstRecord(nav, record, -1);
    if (nav.Out.Status & nsError) return 0;
    return i < 0 ? 0 : Count();
}

// --- Persistence ----------------------------------------------------------------------------

void TGVCPUSourceLoc::SaveToNode(TNodePersist& node) const {
    TGVSource::SaveToNode(node);
    TNodePersist* own = node.AddNode("SourceLocation");
    own->AddItem("Diameter", CoordText(FDiameter));
    FLayout.SaveToNode(*own->AddNode("SensorLayout"));
}

void TGVCPUSourceLoc::LoadFromNode(const TNodePersist& node) {
    TGVSource::LoadFromNode(node);
    if (const TNodePersist* own = node.FindNode("SourceLocation")) {
        long double d = 0;
        if (TryStrToFloat(own->GetValue("Diameter"), d)) SetCircleDiameter(static_cast<double>(d));
        if (const TNodePersist* layout = own->FindNode("SensorLayout"))
            FLayout.LoadFromNode(*layout);
    }
    Discard();
}

} // namespace vorelt
