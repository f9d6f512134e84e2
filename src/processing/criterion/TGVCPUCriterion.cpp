#include "processing/criterion/TGVCPUCriterion.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEListFields.h"
#include "model/TAEListIntegerField.h"
#include "persist/IIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/IUserPrompt.h"
#include "processing/TDemandChain.h"
#include "processing/criterion/TAECriterion.h"
#include "processing/expr/TPreProcessor.h"
#include "processing/math/IProjectParameters.h"
#include "processing/math/TListCursor.h"
#include "testprog/TTestSection.h"

#include <algorithm>
#include <optional>

namespace vorelt {

namespace {

// How one criterion field takes part in the first pass.
struct TFieldRun {
    TAECriterion* Criterion = nullptr;
    TAECrtFunc* Function = nullptr;
    std::optional<TSelectedSections> Sections;
    bool FirstHitOnly = false;
};

} // namespace

TGVCPUCriterion::TGVCPUCriterion() : TGVComputedList(pkCriterion) {
    DeclareOutFields();
}

TGVCPUCriterion::~TGVCPUCriterion() = default;

void TGVCPUCriterion::DeclareOutFields() {
    FOutFields.Clear();
    FOutFields.SetOwner(this);
    FOutFields.SetName(fsnDatabase);
    FOutFields.SetKind(fgDatabase);
    struct TOut {
        const char* ID;
        uint8_t Type;
        uint16_t Flags;
        uint8_t Group;
    };
    const TOut outs[] = {
        {fidDefaultText, dtString, 0x0005, fgDatabase},
        {fidHit, dtByte, 0x0005, fgDatabase},
        {fidChan, dtByte, 0x0089, fgCriterion},
        {fidIndexRec, dtInteger, 0x0005, fgDatabase},
        {fidChannels, dtListInteger, 0x0005, fgDatabase},
        {fidDeleted, dtBoolean, 0x0005, fgDatabase},
        {fidSelected, dtBoolean, 0x0005, fgDatabase},
    };
    for (const TOut& o : outs) {
        std::unique_ptr<TAEField> f = NewStandardField(o.ID, o.Type, TAEDeclarer::Criterion);
        if (!f) {
            f = NewFieldOfType(o.Type);
            f->SetID(o.ID);
        }
        f->SetFlags(o.Flags);
        f->SetGroup(o.Group);
        if (o.ID == std::string_view(fidDefaultText)) f->SetDisplayWidth(200);
        if (o.ID == std::string_view(fidChan)) {
            f->SetDisplayName("AE Channel");
            f->SetDisplayDimension("\xE2\x84\x96"); // the numero sign
        }
        f->SetLocked(true);
        FOutFields.Add(std::move(f));
    }
}

// --- Criterion fields -----------------------------------------------------------------------

TAECriterion* TGVCPUCriterion::CriterionOf(const TAEField& field) {
    return dynamic_cast<TAECriterion*>(field.Criterion());
}

TAEField* TGVCPUCriterion::AddCriterionField(uint8_t dataType, const std::string& name,
                                             int32_t typeResult) {
    std::unique_ptr<TAEField> f = NewFieldOfType(dataType);
    if (!f) return nullptr;
    f->SetFieldName(name);
    f->SetDisplayName(name);
    f->SetGroup(fgCriterion);
    f->SetDisplayWidth(100);
    if (IProcessorContext* context = Context())
        if (IIDGenerator* generator = context->IDGenerator()) f->SetID(generator->NewID());
    auto criterion = std::make_unique<TAECriterion>(this, this);
    criterion->TypeResult = typeResult;
    f->SetCriterion(std::move(criterion));
    TAEField* raw = FOwnFields.Add(std::move(f));
    Discard();
    return raw;
}

void TGVCPUCriterion::SetFunction(TAEField& field, const std::string& functionName,
                                  const std::vector<TFormParam>& params) {
    TAECriterion* c = CriterionOf(field);
    if (!c) return;
    TAEExpresion& form = c->Expresion();
    form.Clear();
    form.SetOwner(this);
    form.SetTypeElem(teFunction);
    form.SetText(functionName);
    AddFormParams(form, params);
    Discard();
}

void TGVCPUCriterion::SetLink(TAEField& field, const TAEField& source, const std::string& output) {
    TAECriterion* c = CriterionOf(field);
    if (!c) return;
    c->TypeResult = trLink;
    TAEExpresion& r = c->Result();
    r.Clear();
    r.SetOwner(this);
    r.SetTypeElem(teField);
    r.SetID(source.ID());
    r.SetText(source.GetDisplayName());
    auto out = std::make_unique<TAEExpresion>(this);
    out->SetTypeElem(teParam);
    out->SetText(output);
    r.Add(std::move(out));
    Discard();
}

void TGVCPUCriterion::SetWeights(TAEField& field, const std::vector<TWeightRow>& rows) {
    TAECriterion* c = CriterionOf(field);
    if (!c) return;
    c->TypeResult = trWeights;
    TAEExpresion& r = c->Result();
    r.Clear();
    r.SetOwner(this);
    r.SetTypeElem(teCase);
    for (const TWeightRow& row : rows) {
        auto cmp = std::make_unique<TAEExpresion>(this);
        cmp->SetTypeElem(teCompare);
        cmp->SetText(row.Op);
        auto value = std::make_unique<TAEExpresion>(this);
        value->SetTypeElem(teDecimal);
        value->SetText(row.Value);
        auto weight = std::make_unique<TAEExpresion>(this);
        weight->SetTypeElem(teDecimal);
        weight->SetText(row.Weight);
        cmp->Add(std::move(value));
        cmp->Add(std::move(weight));
        r.Add(std::move(cmp));
    }
    Discard();
}

bool TGVCPUCriterion::SetResultExpression(TAEField& field, const std::string& text,
                                          std::string& error) {
    TAECriterion* c = CriterionOf(field);
    if (!c) return false;
    TAEExpresion compiled(this);
    TPreProcessor pp;
    pp.SetText(Trim(text));
    if (!pp.Compile(compiled, error)) return false;
    c->TypeResult = trExpression;
    c->Result().Assign(compiled);
    c->Result().SetOwner(this);
    Discard();
    return true;
}

const TAECrtFunc* TGVCPUCriterion::FunctionOf(int fieldIndex) const {
    return fieldIndex >= 0 && static_cast<size_t>(fieldIndex) < FFunctions.size()
               ? FFunctions[static_cast<size_t>(fieldIndex)].get()
               : nullptr;
}

namespace {

TGVCPUCriterion::TZipAddOnFactory& ZipFactory() {
    static TGVCPUCriterion::TZipAddOnFactory factory;
    return factory;
}

} // namespace

void TGVCPUCriterion::SetZipAddOnFactory(TZipAddOnFactory factory) {
    ZipFactory() = std::move(factory);
}

bool TGVCPUCriterion::OffersZip(std::string_view leftId, std::string_view bottomId) const {
    bool zip = false;
    for (int i = 0; i < FOwnFields.Count() && !zip; ++i)
        if (const TAECriterion* c = CriterionOf(*FOwnFields.Get(i)))
            zip = c->TypeResult == trFunction && c->HasFunction() &&
                  SameText(Trim(c->Expresion().Text()), "ZIP");
    if (!zip) return false;
    auto linksTo = [this](std::string_view id, const char* output) {
        const TAEField* f = FOwnFields.FindByID(id);
        const TAECriterion* c = f ? CriterionOf(*f) : nullptr;
        if (!c || c->TypeResult != trLink || c->Result().Count() < 1) return false;
        return SameText(Trim(c->Result().Items(0)->Text()), output);
    };
    return linksTo(leftId, txtMaxSeverityOut) && linksTo(bottomId, txtMaxHistoricIndexOut);
}

void TGVCPUCriterion::CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) {
    TGVComputedList::CollectGraphAddOns(graphView, list);
    if (!ZipFactory()) return;
    if (IGraphAddOn* addOn = ZipFactory()(*this, graphView)) list.push_back(addOn);
}

bool TGVCPUCriterion::UsesZIP() const {
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (const TAECriterion* c = CriterionOf(*FOwnFields.Get(i)))
            if (c->HasFunction() && SameText(Trim(c->Expresion().Text()), "ZIP")) return true;
    return false;
}

// --- Computation ----------------------------------------------------------------------------

void TGVCPUCriterion::Discard() {
    FChannels.clear();
    FValues.clear();
    ForgetComputed();
}

void TGVCPUCriterion::Compute() {
    Discard();
    FFunctions.clear();
    try {
        FSlotCount = FOwnFields.Count();
        PrepareRecord(FRecord);
        const TAEListFields& own = FRecord.Fields();
        FPosChan = own.IndexOfID(fidChan);
        FPosIndexRec = own.IndexOfID(fidIndexRec);
        FPosDeleted = own.IndexOfID(fidDeleted);
        FPosSelected = own.IndexOfID(fidSelected);
        FOwnBase = FRecord.FieldCount() - FSlotCount;
        if (!FParent) {
            FComputed = true;
            return;
        }
        // The parent's records are read in the parent's layout: this processor's layout does
        // not begin with the parent's sets, so a record of it would be filled wrongly by flat
        // position.
        FParent->PrepareRecord(FParentRecord);
        DemandAllButUnusedWaveFeatures(FParent, *this, FParentRecord);
        const TAEListFields& input = FParentRecord.Fields();
        const TTestSectionList* sections = FindTestSections(*this);
        const TGVVariants* variants = ConditionVariants();
        const bool located = IsLocated();

        FFunctions.resize(static_cast<size_t>(FSlotCount));
        std::vector<TFieldRun> runs;
        for (int j = 0; j < FSlotCount; ++j) {
            TAECriterion* c = CriterionOf(*FOwnFields.Get(j));
            if (!c || !c->HasFunction()) continue;
            std::unique_ptr<TAECrtFunc> f = CreateCrtFunc(c->Expresion().Text(), this);
            if (!f) continue;
            const TAEExpresion& form = c->Expresion();
            for (int k = 0; k < form.Count(); ++k)
                ApplyFormParam(*form.Items(k), f->Params());
            f->Start(FParentRecord);
            TFieldRun run;
            run.Criterion = c;
            run.Function = f.get();
            if (c->EnabledSection && sections) run.Sections.emplace(*sections, c->Sections);
            run.FirstHitOnly = located && c->FirstHit;
            if (c->EnabledFilter) c->LogCons().Bind(input, variants);
            runs.push_back(std::move(run));
            FFunctions[static_cast<size_t>(j)] = std::move(f);
        }

        const int timePos = input.IndexOfID(fidTimeS);
        FNav = TAEPNav{};
        std::string error;
        if (!runs.empty()) {
            const bool ok = ConsumeRecords(
                *FParent, FNav, FParentRecord,
                [&](TAERecord& rec, int32_t) {
                    if (!StatisticsTakeKind(rec.Kind())) return true;
                    for (TFieldRun& run : runs) {
                        if (run.FirstHitOnly && (rec.RecFlags() & rfFirstHit) == 0) continue;
                        if (run.Sections) {
                            const TAEField* t = rec.Field(timePos);
                            std::optional<long double> time;
                            if (t && !t->IsNull()) time = t->GetAsFloat();
                            if (!run.Sections->Admits(time)) continue;
                        }
                        if (run.Criterion->EnabledFilter && !run.Criterion->LogCons().Evaluate(rec))
                            continue;
                        if (run.Criterion->EnabledFunction) run.Function->Calculate(rec);
                    }
                    return true;
                },
                error);
            if (!ok) throw EAEError(error);
        }

        // The channels come from the parent's first record.
        FNav = TAEPNav{};
        const int32_t first = FParent->FirstRecord(FNav, FParentRecord, -1);
        if (FNav.Out.Status & nsError) throw EAEError(FNav.Out.Message);
        if (first >= 0) {
            FParent->ReadRecord(FNav, FParentRecord, first);
            if (FNav.Out.Status & nsError) throw EAEError(FNav.Out.Message);
            const auto* list =
                dynamic_cast<const TAEListIntegerField*>(FParentRecord.FindByID(fidChannels));
            if (list && list->List()) FChannels = *list->List();
        }

        const size_t slots = static_cast<size_t>(FSlotCount);
        FValues.resize(FChannels.size() * slots);
        for (size_t e = 0; e < FChannels.size(); ++e) {
            const int64_t channel = FChannels[e];
            for (size_t j = 0; j < slots; ++j) {
                TExprValue& slot = FValues[e * slots + j];
                const TAECriterion* c = CriterionOf(*FOwnFields.Get(static_cast<int>(j)));
                if (!c || c->TypeResult == trChannel) continue;
                if (c->TypeResult == trLink) {
                    const TAEExpresion& r = c->Result();
                    const int src = FOwnFields.IndexOfID(r.ID());
                    const TAECrtFunc* f = FunctionOf(src);
                    if (f && r.Count() > 0) f->GetOutput(channel, slot, r.Items(0)->Text());
                } else if (const TAECrtFunc* f = FunctionOf(static_cast<int>(j))) {
                    f->GetResult(channel, slot);
                }
            }
        }

        FComputed = true;
        // Weight tables and expressions see the channel's record with every slot so far.
        bool second = false;
        for (size_t j = 0; j < slots; ++j) {
            TAECriterion* c = CriterionOf(*FOwnFields.Get(static_cast<int>(j)));
            if (c && (c->TypeResult == trExpression || c->TypeResult == trWeights)) {
                c->Result().SetOwner(this);
                c->Result().Bind(own);
                second = true;
            }
        }
        if (second)
            for (int32_t e = 0; e < EntryCount(); ++e) {
                ReadEntry(FNav, FRecord, e);
                for (size_t j = 0; j < slots; ++j) {
                    const TAECriterion* c = CriterionOf(*FOwnFields.Get(static_cast<int>(j)));
                    if (!c) continue;
                    TExprValue& slot = FValues[static_cast<size_t>(e) * slots + j];
                    if (c->TypeResult == trExpression)
                        c->Result().Evaluate(slot, FRecord);
                    else if (c->TypeResult == trWeights && !slot.Empty())
                        c->Result().EvaluateWeights(slot, FRecord);
                    else
                        continue;
                    if (TAEField* f = FRecord.Field(FOwnBase + static_cast<int>(j)))
                        WriteSlot(*f, slot);
                }
            }
    } catch (const std::exception& e) {
        FChannels.clear();
        FValues.clear();
        ComputeFailed(e.what());
    }
}

void TGVCPUCriterion::ReadEntry(TAEPNav& nav, TAERecord& record, int32_t index) {
    record.ClearValues();
    record.SetKind(rkCriterion);
    record.SetRecFlags(0);
    record.SetIndex(index);
    if (TAEField* f = record.Field(FPosChan)) f->SetAsInt64(FChannels[static_cast<size_t>(index)]);
    if (TAEField* f = record.Field(FPosSelected)) f->SetAsBoolean(false);
    if (TAEField* f = record.Field(FPosDeleted)) f->SetAsBoolean(false);
    if (TAEField* f = record.Field(FPosIndexRec)) f->SetAsInt64(index);
    const size_t base = static_cast<size_t>(index) * static_cast<size_t>(FSlotCount);
    for (int j = 0; j < FSlotCount; ++j)
        if (TAEField* f = record.Field(FOwnBase + j))
            WriteSlot(*f, FValues[base + static_cast<size_t>(j)]);
    // Output records carry no event bits.
    nav.Out.EventFlags = 0;
}

// --- Record protocol ------------------------------------------------------------------------

int32_t TGVCPUCriterion::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = GetSourceState();
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::First(nav, EntryCount(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUCriterion::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    nav.Out.State = GetSourceState();
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Last(nav, EntryCount(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUCriterion::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Next(nav, EntryCount(), index, [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUCriterion::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Prior(nav, EntryCount(), index, [this](int32_t i) { return EntryAt(i); });
}

void TGVCPUCriterion::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (!EnsureComputed(nav)) return;
    if (TListCursor::OutOfRange(nav, EntryCount(), index)) return;
    ReadEntry(nav, record, index);
}

int32_t TGVCPUCriterion::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (nav.Kinds == 0) return ComputedCount() < 0 ? 0 : EntryCount();
    return CountByWalking(nav, record);
}

// --- Layout, identifiers and references -----------------------------------------------------

void TGVCPUCriterion::GetFields(TAEListFields* layout, bool excludeOwn) const {
    if (!layout) return;
    if (excludeOwn) {
        if (FParent) FParent->GetFields(layout, false);
        return;
    }
    layout->Add(const_cast<TAEFields*>(&FOutFields));
    if (FOwnFields.Count() > 0) layout->Add(const_cast<TAEFields*>(&FOwnFields));
}

TAEField* TGVCPUCriterion::FindField(std::string_view id) const {
    if (TAEField* f = FOwnFields.FindByID(id)) return f;
    if (TAEField* f = FOutFields.FindByID(id)) return f;
    return FParent ? FParent->FindField(id) : nullptr;
}

bool TGVCPUCriterion::IsIDFree(std::string_view id) const {
    return FOutFields.IsIDFree(id) && TGVSource::IsIDFree(id);
}

bool TGVCPUCriterion::IsNameFree(std::string_view name) const {
    return FOutFields.IsNameFree(name) && TGVSource::IsNameFree(name);
}

TPersistObject* TGVCPUCriterion::FindByID(std::string_view id) {
    if (TPersistObject* hit = TGVSource::FindByID(id)) return hit;
    return id.empty() ? nullptr : FOutFields.FindByID(id);
}

void TGVCPUCriterion::AssignIDs(bool renew, IIDGenerator& generator) {
    TGVSource::AssignIDs(renew, generator);
    FOutFields.SetLocked(false);
    FOutFields.AssignID(renew, generator);
    FOutFields.SetLocked(true);
}

void TGVCPUCriterion::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                       bool deep) const {
    TGVSource::CollectFieldUses(id, lines, deep);
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        const TAEField* f = FOwnFields.Get(i);
        const TAECriterion* c = CriterionOf(*f);
        if (!c || f->ID() == id) continue;
        const std::string suffix = "[" + f->FieldName() + "]";
        c->LogCons().CollectUses(id, lines, suffix);
        c->Expresion().CollectUses(id, lines, suffix);
        c->Result().CollectUses(id, lines, suffix);
    }
}

bool TGVCPUCriterion::DeclaresField(std::string_view id, bool deep) const {
    if (TGVSource::DeclaresField(id, deep)) return true;
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        const TAEField* f = FOwnFields.Get(i);
        const TAECriterion* c = CriterionOf(*f);
        if (!c || f->ID() == id) continue;
        if (c->RefersTo(id, !deep || c->EnabledFilter, !deep || c->EnabledFunction)) return true;
    }
    return false;
}

void TGVCPUCriterion::FieldChanged(std::string_view id) {
    TGVSource::FieldChanged(id);
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (const TAECriterion* c = CriterionOf(*FOwnFields.Get(i)); c && c->RefersTo(id)) {
            DispatchDataChanged();
            return;
        }
}

void TGVCPUCriterion::RemoveField(std::string_view id) {
    TGVSource::RemoveField(id);
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        TAECriterion* c = CriterionOf(*FOwnFields.Get(i));
        if (!c) continue;
        c->LogCons().RemoveReferences(id);
        if (c->Expresion().ReferencesId(id)) c->Expresion().Clear();
        if (c->Result().ReferencesId(id)) c->Result().Clear();
        c->Sections.erase(std::remove(c->Sections.begin(), c->Sections.end(), id),
                          c->Sections.end());
    }
    Discard();
}

// --- Messages -------------------------------------------------------------------------------

void TGVCPUCriterion::Reset() {
    Discard();
    FFunctions.clear();
    TGVSource::Reset();
    DeclareOutFields();
}

void TGVCPUCriterion::Dispatch(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omSelectGroup:
    case omDeleteGroup:
        // Channel indices are no record positions of the parent: the request stops here.
        msg.Result = 0;
        if (IProcessorContext* context = Context())
            if (IUserPrompt* prompt = context->Prompt())
                prompt->ShowError(txtCriterionRecordsRefused);
        return;
    case omHitMarkRequest:
        return;
    default:
        TGVComputedList::Dispatch(msg);
    }
}

// --- Persistence ----------------------------------------------------------------------------

void TGVCPUCriterion::AttachCriteria() {
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        TAEField* f = FOwnFields.Get(i);
        auto c = std::make_unique<TAECriterion>(this, this);
        if (f->ID() == fidChan) c->TypeResult = trChannel;
        f->SetCriterion(std::move(c));
    }
}

void TGVCPUCriterion::LoadFromNode(const TNodePersist& node) {
    Discard();
    TGVSource::LoadFromNode(node);
    // Fields load sub-objects only into existing ones: every field gets a fresh criterion and
    // the set is read again.
    AttachCriteria();
    if (const TNodePersist* fields = node.FindNode("FIELDS")) FOwnFields.LoadFromNode(*fields);
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (TAECriterion* c = CriterionOf(*FOwnFields.Get(i))) {
            c->Result().SetOwner(this);
            c->Expresion().SetOwner(this);
        }
}

// --- Owners of expressions and conditions ---------------------------------------------------

std::string TGVCPUCriterion::ExprFieldID(std::string_view name) const {
    TAEListFields layout;
    GetFields(&layout, false);
    if (const TAEField* f = layout.FindByName(name)) return f->ID();
    layout.Clear();
    GetFields(&layout, true);
    const TAEField* f = layout.FindByName(name);
    return f ? f->ID() : std::string();
}

TGVVariants* TGVCPUCriterion::ExprVariants() const {
    return const_cast<TGVVariants*>(ConditionVariants());
}

const TAEField* TGVCPUCriterion::ConditionField(std::string_view id) const {
    return FParent ? FParent->FindField(id) : nullptr;
}

const TGVVariants* TGVCPUCriterion::ConditionVariants() const {
    return FindProjectVariants(*const_cast<TGVCPUCriterion*>(this));
}

} // namespace vorelt
