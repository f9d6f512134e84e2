#include "processing/db/TGVDb.h"

#include "drivers/waveform/IWaveformSource.h"

#include "drivers/TFileWarnings.h"
#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "persist/IIDGenerator.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/db/ITestGraph.h"
#include "testprog/TAEParametric.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vorelt {

namespace {

TGVDb::TTestGraphFactory& GraphFactory() {
    static TGVDb::TTestGraphFactory factory;
    return factory;
}

TGVDb::TLoadAddOnFactory& AddOnFactory() {
    static TGVDb::TLoadAddOnFactory factory;
    return factory;
}

std::unique_ptr<ITestGraph> MakeTestGraph(TGVDb& db) {
    if (GraphFactory())
        if (std::unique_ptr<ITestGraph> graph = GraphFactory()(db)) return graph;
    return std::make_unique<TSavedTestGraph>();
}

void AddSortedLine(std::vector<std::string>& lines, const std::string& line) {
    auto at = std::lower_bound(lines.begin(), lines.end(), line);
    if (at == lines.end() || *at != line) lines.insert(at, line);
}

// The ID a column of the hit-deletion window refers to; empty for entries that hold none.
std::string ColumnFieldID(const TAESaveProperty* p) {
    const auto* prop = dynamic_cast<const TGVProperty*>(p);
    if (!prop) return {};
    try {
        return prop->GetAsString();
    } catch (const std::exception&) {
        return {};
    }
}

// The record's field at a flat position when it is the field with this ID; otherwise the
// field found by ID (records prepared for another layout).
TAEField* FieldAtOrByID(const TAERecord& record, int pos, std::string_view id) {
    if (TAEField* f = record.Field(pos); f && f->ID() == id) return f;
    return record.FindByID(id);
}

bool SameDataFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec1, ec2;
    auto ca = std::filesystem::weakly_canonical(a, ec1);
    auto cb = std::filesystem::weakly_canonical(b, ec2);
    if (ec1 || ec2) return a == b;
    return ca == cb;
}

} // namespace

void TGVDb::SetTestGraphFactory(TTestGraphFactory factory) {
    GraphFactory() = std::move(factory);
}

void TGVDb::SetLoadAddOnFactory(TLoadAddOnFactory factory) {
    AddOnFactory() = std::move(factory);
}

TGVDb::TGVDb() : TGVSource(pkDb), FDelHitFields("FieldsDelHit") {
    ApplyDbKind();
    FTestGraph = MakeTestGraph(*this);
    BindLoadLine();
}

TGVDb::~TGVDb() {
    // Children may still ask their database while they go; free them while it is whole.
    FreeChildren();
    DropPending();
    if (FDriver) {
        FDriver->SetOwner(nullptr);
        FDriver->SetOnState({});
        FDriver->SetOnProgress({});
        FDriver.reset();
    }
}

void TGVDb::ApplyDbKind() {
    // The database keeps a fixed name rather than its class name.
    FName = txtDatabaseName;
}

void TGVDb::BindLoadLine() {
    // The graph may be replaced (Reset); the bindings look it up at every call.
    FTestLoadLine.OnGetMin = [this] { return FTestGraph->GetLoadMin(); };
    FTestLoadLine.OnGetMax = [this] { return FTestGraph->GetLoadMax(); };
    FTestLoadLine.OnSetMin = [this](long double v) { FTestGraph->SetLoadMin(v); };
    FTestLoadLine.OnSetMax = [this](long double v) { FTestGraph->SetLoadMax(v); };
}

std::string TGVDb::GetName() const {
    const std::string file = GetFileName();
    return FName + " ->" + std::filesystem::path(file).filename().string();
}

// --- Data file ------------------------------------------------------------------------------

bool TGVDb::OpenDataFile(const std::string& fileName, std::string& message, TStateEvent onState,
                         TProgressEvent onProgress) {
    message = txtTypeFileNotSupport;
    DropPending();
    try {
        const TDriverClass* cls = FindDriverClass(fileName, message);
        if (!cls) return false;
        // Reopening the file in use: the groups of this session must be in the log before the
        // new driver reads it, or its close would later write back the older state.
        if (FDriver && SameDataFile(FDriver->FileName(), fileName)) {
            TLogFile log;
            TRecordGroups selected, deleted;
            log.Open(fileName, selected, deleted);
            std::string ignored;
            if (log.InUse())
                log.Rewrite(FDriver->DeletedGroups(), FDriver->SelectedGroups(), ignored);
        }
        // Prepared without owner: its state changes must not reach the tree, which still reads
        // the current driver.
        std::unique_ptr<TAEDriverDb> d = cls->Create(nullptr);
        if (!d) {
            message = txtTypeFileNotSupport;
            return false;
        }
        d->SetOnState(std::move(onState));
        d->SetOnProgress(std::move(onProgress));
        FPending = std::move(d);
        if (!FPending->Open(fileName, message)) {
            DropPending();
            return false;
        }
        message.clear();
        return true;
    } catch (const std::exception& e) {
        DropPending();
        message = e.what();
        return false;
    }
}

bool TGVDb::LoadData(std::string& message) {
    message.clear();
    TAEDriverDb* d = FPending ? FPending.get() : FDriver.get();
    if (!d) return false;
    bool ok = false;
    try {
        ok = d->Load(message);
    } catch (const std::exception& e) {
        message = e.what();
    }
    if (!ok && d == FPending.get()) DropPending();
    return ok;
}

bool TGVDb::InitializeData(std::string& message) {
    message.clear();
    TAEDriverDb* d = FPending ? FPending.get() : FDriver.get();
    if (!d) return false;
    bool ok = false;
    try {
        ok = d->Initialize(message);
    } catch (const std::exception& e) {
        message = e.what();
    }
    if (d == FPending.get()) {
        if (ok)
            CommitPending();
        else
            DropPending();
    }
    return ok;
}

void TGVDb::CancelDataFile() {
    DropPending();
}

bool TGVDb::ChangeDataFile(const std::string& fileName, std::string& message, TStateEvent onState,
                           TProgressEvent onProgress) {
    return OpenDataFile(fileName, message, std::move(onState), std::move(onProgress)) &&
           LoadData(message) && InitializeData(message);
}

void TGVDb::CloseDataFile() {
    DropPending();
    if (!FDriver) return;
    // The tree hears the closing states, then that its data is gone.
    FDriver->Close();
    FDriver->SetOwner(nullptr);
    FDriver->SetOnState({});
    FDriver->SetOnProgress({});
    FDriver.reset();
    FDataWarnings.clear();
    FPosTimeS = FPosCalcLoading = -1;
    FParamSources.clear();
    FWaveValues.Bind(nullptr);
    TAEOMSG changed;
    changed.Msg = omDataChanged;
    changed.Text = FID;
    Dispatch(changed);
}

void TGVDb::CommitPending() {
    std::unique_ptr<TAEDriverDb> old = std::move(FDriver);
    FDriver = std::move(FPending);
    FDriver->SetOwner(this);
    if (old) {
        // Closing the previous file writes its log; nobody listens to its states any more.
        old->SetOwner(nullptr);
        old->SetOnState({});
        old->SetOnProgress({});
        old.reset();
    }
    FPosTimeS = FDriver->FieldPos(fidTimeS);
    FPosCalcLoading = FDriver->FieldPos(fidCalcLoading);
    FWaveValues.Bind(FDriver.get());
    FDataWarnings = FileWarnings(*FDriver);
    FParamSources.clear();
    if (IProcessorContext* context = Context())
        if (IIDGenerator* generator = context->IDGenerator()) FDriver->AssignIDs(false, *generator);
    TAEOMSG state;
    state.Msg = omSourceState;
    state.Result = FDriver->State();
    Dispatch(state);
    TAEOMSG changed;
    changed.Msg = omDataChanged;
    changed.Text = FID;
    Dispatch(changed);
}

void TGVDb::DropPending() {
    if (!FPending) return;
    FPending->SetOnState({});
    FPending->SetOnProgress({});
    FPending.reset();
}

std::string TGVDb::GetFileName() const {
    return FDriver ? FDriver->FileName() : std::string();
}

int TGVDb::DeletedGroupCount() const {
    return FDriver ? FDriver->DeletedGroupCount() : 0;
}

int TGVDb::SelectedGroupCount() const {
    return FDriver ? FDriver->SelectedGroupCount() : 0;
}

int TGVDb::DriverFieldCount() const {
    if (!FDriver) return 0;
    return FDriver->DbFields().Count() + FDriver->SetupFields().Count() +
           FDriver->ParamFields().Count();
}

// --- Parametric fields ----------------------------------------------------------------------

TAEField* TGVDb::AddParametricField(const std::string& fieldName, const std::string& sourceID,
                                    long double factor, long double offset) {
    auto field = std::make_unique<TAEExtendedField>();
    field->SetFieldName(fieldName);
    field->SetDisplayName(fieldName);
    field->SetGroup(FOwnFields.Kind());
    field->SetDisplayWidth(100);
    field->SetUnitKind(0);
    auto parametric = std::make_unique<TAEParametric>(this);
    parametric->SetSourceID(sourceID);
    parametric->SetFactor(factor);
    parametric->SetOffset(offset);
    field->SetParametric(std::move(parametric));
    return FOwnFields.Add(std::move(field));
}

TAEParametric* TGVDb::ParametricOf(const TAEField& field) const {
    return dynamic_cast<TAEParametric*>(field.Parametric());
}

// --- TGVCPU ---------------------------------------------------------------------------------

uint8_t TGVDb::GetSourceState() {
    return FDriver ? FDriver->State() : 0;
}

void TGVDb::Reset() {
    TGVCPU::Reset();
    ApplyDbKind();
    FTestSections.Clear();
    FTestLoadLine.Clear();
    FDelHitFields.Clear();
    // A cleared project must not write the previous project's graph.
    FTestGraph = MakeTestGraph(*this);
    BindLoadLine();
    FParamSources.clear();
}

bool TGVDb::IsIDFree(std::string_view id) const {
    if (!TGVCPU::IsIDFree(id)) return false;
    if (FDriver && !FDriver->IsIDFree(id)) return false;
    if (FTestSections.IndexOfID(id) >= 0) return false;
    if (!id.empty() && FTestLoadLine.ID() == id) return false;
    return FTestGraph->IsIDFree(id);
}

bool TGVDb::IsNameFree(std::string_view name) const {
    if (!TGVCPU::IsNameFree(name)) return false;
    return !FDriver || FDriver->IsNameFree(name);
}

TPersistObject* TGVDb::FindByID(std::string_view id) {
    if (TPersistObject* hit = TGVCPU::FindByID(id)) return hit;
    return FDriver && !id.empty() ? FDriver->FindByID(id) : nullptr;
}

void TGVDb::GetFields(TAEListFields* layout, bool excludeOwn) const {
    if (!layout) return;
    if (FDriver) FDriver->GetFields(layout);
    if (!excludeOwn && FOwnFields.Count() > 0) layout->Add(const_cast<TAEFields*>(&FOwnFields));
}

TAEField* TGVDb::FindField(std::string_view id) const {
    if (TAEField* f = FOwnFields.FindByID(id)) return f;
    return FDriver ? FDriver->FindByID(id) : nullptr;
}

void TGVDb::AssignIDs(bool renew, IIDGenerator& generator) {
    TGVCPU::AssignIDs(renew, generator);
    if (FDriver) FDriver->AssignIDs(renew, generator);
    FTestSections.AssignIDs(renew, generator);
    FTestLoadLine.AssignID(renew, generator);
    FTestGraph->AssignIDs(renew, generator);
}

void TGVDb::Changed(bool propagate) {
    TAEOMSG modified;
    modified.Msg = omModifiedSilent;
    modified.Text = FID;
    Dispatch(modified);
    if (propagate) {
        TAEOMSG changed;
        changed.Msg = omDataChanged;
        changed.Text = FID;
        SendDown(changed);
        FTestGraph->Empty();
    }
    FTestGraph->RefreshAppearance();
}

void TGVDb::NotifyModified() {
    TGVCPU::NotifyModified();
    FTestGraph->RefreshAppearance();
}

void TGVDb::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                             bool deep) const {
    TGVCPU::CollectFieldUses(id, lines, deep);
    FTestGraph->CollectFieldUses(id, lines);
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (const TAEParametric* p = ParametricOf(*FOwnFields.Get(i))) p->ReportUse(id, lines);
    for (int i = 0; i < FDelHitFields.Count(); ++i) {
        const TAESaveProperty* column = FDelHitFields.Get(i);
        if (ColumnFieldID(column) == id)
            AddSortedLine(lines, "Field: " + column->Name() + "[" + FName + "]");
    }
}

bool TGVDb::DeclaresField(std::string_view id, bool deep) const {
    if (TGVCPU::DeclaresField(id, deep)) return true;
    if (FTestGraph->UsesField(id)) return true;
    for (int i = 0; i < FDelHitFields.Count(); ++i)
        if (ColumnFieldID(FDelHitFields.Get(i)) == id) return true;
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (const TAEParametric* p = ParametricOf(*FOwnFields.Get(i)); p && p->UsesSource(id))
            return true;
    return false;
}

void TGVDb::RemoveField(std::string_view id) {
    TGVCPU::RemoveField(id);
    FTestGraph->RemoveField(id);
    for (int i = FDelHitFields.Count() - 1; i >= 0; --i)
        if (ColumnFieldID(FDelHitFields.Get(i)) == id) FDelHitFields.Delete(i);
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        TAEField* field = FOwnFields.Get(i);
        TAEParametric* p = ParametricOf(*field);
        if (!p || !p->UsesSource(id)) continue;
        // The field stays; its scaling forgets the source but still belongs to the field, so
        // that a new source can be chosen for it.
        p->Clear();
        p->SetDb(this);
        p->SetField(field);
    }
    FParamSources.clear();
}

void TGVDb::CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) {
    if (!AddOnFactory()) return;
    if (IGraphAddOn* addOn = AddOnFactory()(*this, graphView)) list.push_back(addOn);
}

// --- Messages -------------------------------------------------------------------------------

void TGVDb::SendToProject(uint32_t number) {
    TAEOMSG msg;
    msg.Msg = number;
    msg.Text = FID;
    if (IProcessorContext* context = Context()) context->TopMessage(msg);
}

void TGVDb::SendDownNumber(TAEOMSG& msg, uint32_t number) {
    msg.Msg = number;
    TGVCPU::Dispatch(msg);
}

void TGVDb::Dispatch(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omSelectGroup:
        if (!FDriver) return;
        FDriver->HandleMessage(msg);
        SendDownNumber(msg, omSelectedAdded);
        SendToProject(omRefreshOutdated);
        return;
    case omDeleteGroup:
        if (!FDriver) return;
        FDriver->HandleMessage(msg);
        FTestGraph->Empty();
        SendDownNumber(msg, omDeletedAdded);
        SendToProject(omRefreshOutdated);
        return;
    case omUndoDeletion:
    case omUndoAllDeletions:
        if (!FDriver) return;
        FDriver->HandleMessage(msg);
        FTestGraph->Empty();
        SendDownNumber(msg, omDeletedRemoved);
        SendToProject(omRefreshOutdated);
        return;
    case omRestore:
        if (!FDriver) return;
        FDriver->HandleMessage(msg);
        FTestGraph->Empty();
        // The pair the message pointed to belongs to the sender; nobody below may read it.
        msg.WParam = 0;
        SendDownNumber(msg, omDeletedRemoved);
        SendToProject(omRefreshOutdated);
        return;
    case omUndoSelection:
        if (!FDriver) return;
        FDriver->HandleMessage(msg);
        SendDownNumber(msg, omSelectedRemoved);
        SendToProject(omRefreshOutdated);
        return;
    case omHitMarkRequest:
        SendDownNumber(msg, omMarkRecord);
        return;
    case omDataChanged:
    case omSourceState:
        TGVCPU::Dispatch(msg);
        FTestGraph->Empty();
        return;
    default:
        TGVCPU::Dispatch(msg);
        return;
    }
}

void TGVDb::DriverMessage(TAEOMSG& msg) {
    if (msg.Msg == omSourceState) Dispatch(msg);
}

// --- Record protocol ------------------------------------------------------------------------

namespace {

int32_t NoRecord(TAEPNav& nav) {
    nav.Out.Message.clear();
    nav.Out.EventFlags = 0;
    nav.Out.State = 0;
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t OutOfRange(TAEPNav& nav, int32_t index) {
    nav.Out.EventFlags = 0;
    nav.Out.State = 0;
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    return -1;
}

} // namespace

int32_t TGVDb::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    return FDriver ? FDriver->FirstRecord(nav) : NoRecord(nav);
}

int32_t TGVDb::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    return FDriver ? FDriver->LastRecord(nav) : NoRecord(nav);
}

int32_t TGVDb::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    return FDriver ? FDriver->NextRecord(nav, index) : OutOfRange(nav, index);
}

int32_t TGVDb::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    return FDriver ? FDriver->PriorRecord(nav, index) : OutOfRange(nav, index);
}

int32_t TGVDb::RecordCount(TAEPNav& nav, TAERecord&) {
    return FDriver ? FDriver->RecordCount(nav) : 0;
}

void TGVDb::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!FDriver) return;
    FDriver->ReadRecord(nav, record, index);
    if (nav.Out.Status & nsError) return;
    CalcDerivedFields(record);
}

bool TGVDb::WidenDemand(const TAERecord& record, std::vector<uint8_t>& wanted) const {
    // The flat position of the field CalcDerivedFields finds for `id`, or -1.
    auto at = [&record](int pos, std::string_view id) {
        if (const TAEField* f = record.Field(pos); f && f->ID() == id) return pos;
        const std::vector<TAEField*>& flat = record.FlatFields();
        for (size_t i = 0; i < flat.size(); ++i)
            if (flat[i]->ID() == id) return static_cast<int>(i);
        return -1;
    };
    auto isWanted = [&wanted](int pos) {
        return pos >= 0 && static_cast<size_t>(pos) < wanted.size() &&
               wanted[static_cast<size_t>(pos)] != 0;
    };
    auto want = [&wanted](int pos) {
        if (pos >= 0 && static_cast<size_t>(pos) < wanted.size())
            wanted[static_cast<size_t>(pos)] = 1;
    };
    if (FPosTimeS >= 0 && FPosCalcLoading >= 0 && isWanted(at(FPosCalcLoading, fidCalcLoading)))
        want(at(FPosTimeS, fidTimeS));
    FWaveValues.WidenDemand(record, wanted);
    const int ownBase = DriverFieldCount();
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        const TAEField* own = FOwnFields.Get(i);
        if (!isWanted(at(ownBase + i, own->ID()))) continue;
        const TAEParametric* p = ParametricOf(*own);
        if (!p || p->SourceID().empty()) continue;
        const int pos = FDriver ? FDriver->FieldPos(p->SourceID()) : -1;
        want(at(pos, p->SourceID()));
    }
    return true;
}

void TGVDb::CalcDerivedFields(TAERecord& record) {
    if (FWaveValues.Wanted(record)) FWaveValues.Fill(record, *FDriver, FindWaveformOptions(*this));
    if (FPosTimeS >= 0 && FPosCalcLoading >= 0) {
        TAEField* f = FieldAtOrByID(record, FPosCalcLoading, fidCalcLoading);
        // A reader that does not want the loading does without it.
        const bool skip =
            f && f == record.Field(FPosCalcLoading) && !record.Target(FPosCalcLoading);
        const TAEField* time = f && !skip ? FieldAtOrByID(record, FPosTimeS, fidTimeS) : nullptr;
        if (time && !time->IsNull()) {
            long double load = 0;
            if (FTestLoadLine.CalcLoading(time->GetAsFloat(), load)) f->SetAsFloat(load);
        }
    }
    const int n = FOwnFields.Count();
    if (n == 0) return;
    if (FParamSources.size() != static_cast<size_t>(n)) FParamSources.assign(size_t(n), {});
    const int ownBase = DriverFieldCount();
    for (int i = 0; i < n; ++i) {
        const TAEField* own = FOwnFields.Get(i);
        TAEField* target = FieldAtOrByID(record, ownBase + i, own->ID());
        if (!target) continue;
        const TAEParametric* p = ParametricOf(*own);
        if (!p || p->SourceID().empty()) {
            target->Clear();
            continue;
        }
        TParamSource& source = FParamSources[size_t(i)];
        if (source.SourceID != p->SourceID()) {
            source.SourceID = p->SourceID();
            source.Pos = FDriver->FieldPos(source.SourceID);
        }
        const TAEField* from = source.Pos >= 0 ? FieldAtOrByID(record, source.Pos, source.SourceID)
                                               : record.FindByID(source.SourceID);
        if (!from || from->IsNull())
            target->Clear();
        else
            target->SetAsFloat(p->Apply(from->GetAsFloat()));
    }
}

long long TGVDb::FindWaveform(const TAERecord& record, std::string& message) const {
    message.clear();
    const TAEField* index = record.FindByID(fidWaveIndex);
    if (!FDriver || !index || index->IsNull()) return -1;
    IWaveformSource* source = FDriver->Waveforms();
    if (!source) {
        message = FDriver->WaveformMessage();
        return -1;
    }
    const long long at = source->Find(index->GetAsInt64());
    if (at < 0)
        message = source->FileName() + ": no waveform " + std::to_string(index->GetAsInt64());
    return at;
}

bool TGVDb::ReadWaveform(const TAERecord& record, std::vector<float>& volts, TWaveformInfo& info,
                         std::string& message) const {
    volts.clear();
    const long long at = FindWaveform(record, message);
    if (at < 0) return false;
    IWaveformSource* source = FDriver->Waveforms();
    info = source->Info(size_t(at));
    return source->Read(size_t(at), volts, message);
}

// --- Persistence ----------------------------------------------------------------------------

void TGVDb::SaveToNode(TNodePersist& node) const {
    TGVCPU::SaveToNode(node);
    FTestGraph->SaveToNode(*node.AddNode("TestGraph"));
    FTestSections.SaveToNode(*node.AddNode("TestSectionList"));
    FDelHitFields.SaveToNode(*node.AddNode("FieldsDelHit"));
    FTestLoadLine.SaveToNode(*node.AddNode("TestGrLine"));
}

void TGVDb::LoadFromNode(const TNodePersist& node) {
    TGVCPU::LoadFromNode(node);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameText(child.Name(), "TestGraph")) {
            FTestGraph->LoadFromNode(child);
        } else if (SameText(child.Name(), "TestSectionList")) {
            FTestSections.LoadFromNode(child);
        } else if (SameText(child.Name(), "FieldsDelHit")) {
            FDelHitFields.LoadFromNode(child);
        } else if (SameText(child.Name(), "TestGrLine")) {
            FTestLoadLine.LoadFromNode(child);
        } else if (SameText(child.Name(), "FIELDS")) {
            // Fields made by the first pass have no scaling yet; the second pass puts the
            // saved "Parametric" nodes into fresh ones.
            for (int f = 0; f < FOwnFields.Count(); ++f)
                FOwnFields.Get(f)->SetParametric(std::make_unique<TAEParametric>(this));
            FOwnFields.LoadFromNode(child);
        }
    }
    FParamSources.clear();
}

} // namespace vorelt
