#include "processing/math/TGVCPUPrc.h"

#include "model/TAEListFields.h"
#include "persist/IIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/TDemandChain.h"
#include "processing/expr/TAEExpresion.h"
#include "processing/expr/TPreProcessor.h"
#include "processing/math/IProjectParameters.h"
#include "processing/math/TListCursor.h"

#include <algorithm>

namespace vorelt {

namespace {

bool Calculable(uint8_t dataType) {
    return dataType == dtInteger || dataType == dtExtended || dataType == dtBoolean ||
           dataType == dtString || IsNumericType(dataType);
}

constexpr uint8_t kEventBits = rfFirstHit | rfEventHit;

} // namespace

TGVCPUPrc::TGVCPUPrc() : TGVComputedList(pkPrc) {}

TGVCPUPrc::~TGVCPUPrc() = default;

// --- Calculated fields ----------------------------------------------------------------------

TAEField* TGVCPUPrc::AddCalcField(uint8_t dataType, const std::string& name) {
    if (!Calculable(dataType)) return nullptr;
    std::unique_ptr<TAEField> f = NewFieldOfType(dataType);
    if (!f) return nullptr;
    f->SetFieldName(name);
    f->SetDisplayName(name);
    f->SetGroup(fgMath);
    if (IProcessorContext* context = Context())
        if (IIDGenerator* generator = context->IDGenerator()) f->SetID(generator->NewID());
    f->SetExpresion(std::make_unique<TAEExpresion>(this));
    TAEField* raw = FOwnFields.Add(std::move(f));
    Discard();
    return raw;
}

TAEExpresion* TGVCPUPrc::FieldExpresion(const TAEField& field) {
    return dynamic_cast<TAEExpresion*>(field.Expresion());
}

bool TGVCPUPrc::SetFieldExpression(TAEField& field, const std::string& text, std::string& error) {
    // The compiler leaves a half-built tree behind on failure; the field keeps its tree then.
    TAEExpresion compiled(this);
    TPreProcessor pp;
    pp.SetText(Trim(text));
    if (!pp.Compile(compiled, error)) return false;
    TAEExpresion* tree = FieldExpresion(field);
    if (!tree) {
        field.SetExpresion(std::make_unique<TAEExpresion>(this));
        tree = FieldExpresion(field);
    }
    tree->Assign(compiled);
    tree->SetOwner(this);
    Discard();
    return true;
}

void TGVCPUPrc::SetFieldFunction(TAEField& field, const std::string& functionName,
                                 const std::string& groupFieldID,
                                 const std::vector<TStatFormParam>& params) {
    TAEExpresion* tree = FieldExpresion(field);
    if (!tree) {
        field.SetExpresion(std::make_unique<TAEExpresion>(this));
        tree = FieldExpresion(field);
    }
    tree->Clear();
    tree->SetOwner(this);
    tree->SetTypeElem(teFunction);
    tree->SetText(functionName);
    auto group = std::make_unique<TAEExpresion>(this);
    group->SetTypeElem(teGroupField);
    group->SetID(groupFieldID);
    tree->Add(std::move(group));
    AddFormParams(*tree, params);
    Discard();
}

bool TGVCPUPrc::TreeRefersTo(const TAEExpresion* tree, std::string_view id) {
    if (!tree || id.empty()) return false;
    if (tree->ReferencesId(id)) return true;
    // The grouping field of a function form is a reference too.
    if (tree->TypeElem() == teFunction)
        for (int i = 0; i < tree->Count(); ++i)
            if (tree->Items(i)->TypeElem() == teGroupField && tree->Items(i)->ID() == id)
                return true;
    return false;
}

bool TGVCPUPrc::UsesZIP() const {
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (const TAEExpresion* t = FieldExpresion(*FOwnFields.Get(i)))
            if (t->TypeElem() == teFunction && StatFuncUsesZIP(t->Text())) return true;
    return false;
}

const TAEStatFunc* TGVCPUPrc::FunctionOf(int fieldIndex) const {
    return fieldIndex >= 0 && static_cast<size_t>(fieldIndex) < FFunctions.size()
               ? FFunctions[static_cast<size_t>(fieldIndex)].get()
               : nullptr;
}

size_t TGVCPUPrc::ComputedBytes() const {
    return FEntries.Capacity() + FValues.Capacity();
}

// --- Computation ----------------------------------------------------------------------------

void TGVCPUPrc::Discard() {
    FEntries.Clear();
    FValues.Clear();
    ForgetComputed();
}

TExprValue* TGVCPUPrc::StatSlot(int fieldIndex, int32_t recordIndex) {
    if (fieldIndex < 0 || fieldIndex >= FSlotCount || recordIndex < 0 ||
        recordIndex >= EntryCount())
        return nullptr;
    return &FValues[static_cast<size_t>(recordIndex) * static_cast<size_t>(FSlotCount) +
                    static_cast<size_t>(fieldIndex)];
}

void TGVCPUPrc::Compute() {
    Discard();
    FFunctions.clear();
    FPlans.clear();
    try {
        FSlotCount = FOwnFields.Count();
        PrepareRecord(FRecord);
        DemandAllButUnusedWaveFeatures(FParent, *this, FRecord);
        const TAEListFields& layout = FRecord.Fields();
        FOwnBase = FRecord.FieldCount() - FSlotCount;

        // Plans and function instances; trees are bound to the layout once.
        FFunctions.resize(static_cast<size_t>(FSlotCount));
        FPlans.assign(static_cast<size_t>(FSlotCount), TFieldPlan::None);
        std::vector<TAEExpresion*> trees(static_cast<size_t>(FSlotCount), nullptr);
        bool secondPass = false;
        for (int j = 0; j < FSlotCount; ++j) {
            TAEExpresion* tree = FieldExpresion(*FOwnFields.Get(j));
            trees[static_cast<size_t>(j)] = tree;
            if (!tree) continue;
            if (tree->TypeElem() == teFunction) {
                std::unique_ptr<TAEStatFunc> f = CreateStatFunc(tree->Text(), this);
                if (!f) continue;
                for (int c = 0; c < tree->Count(); ++c) {
                    const TAEExpresion* node = tree->Items(c);
                    if (node->TypeElem() == teGroupField && !node->ID().empty()) {
                        f->SetGrouping(true);
                        f->SetGroupField(node->ID());
                    } else {
                        ApplyFormParam(*node, f->Params());
                    }
                }
                f->Start(FRecord);
                FFunctions[static_cast<size_t>(j)] = std::move(f);
                FPlans[static_cast<size_t>(j)] = TFieldPlan::Function;
            } else if (tree->TypeElem() == teRoot) {
                tree->SetOwner(this);
                tree->Bind(layout);
                FPlans[static_cast<size_t>(j)] = TFieldPlan::Expression;
                for (int k = 0; k < FSlotCount && !secondPass; ++k)
                    secondPass = tree->ReferencesId(FOwnFields.Get(k)->ID());
            }
        }

        const bool onlyFirst = FOnlyFirstHit && IsLocated();
        const size_t slots = static_cast<size_t>(FSlotCount);
        if (FParent) {
            FNav = TAEPNav{};
            std::string error;
            const bool ok = ConsumeRecords(
                *FParent, FNav, FRecord,
                [&](TAERecord& rec, int32_t pos) {
                    if (onlyFirst && rec.Kind() == rkHit && (rec.RecFlags() & rfFirstHit) == 0)
                        return true;
                    const size_t at = FEntries.Append();
                    TEntry& e = FEntries[at];
                    e.Position = pos;
                    e.Kind = rec.Kind();
                    e.Flags = static_cast<uint8_t>(rec.RecFlags() & kEventBits);
                    const size_t base = FValues.Append(slots);
                    const int32_t index = static_cast<int32_t>(at);
                    for (size_t j = 0; j < slots; ++j) {
                        switch (FPlans[j]) {
                        case TFieldPlan::Function:
                            FFunctions[j]->Calculate(FValues[base + j], rec, this,
                                                     static_cast<int>(j), index);
                            break;
                        case TFieldPlan::Expression:
                            if (!secondPass) trees[j]->Evaluate(FValues[base + j], rec);
                            break;
                        case TFieldPlan::None:
                            break;
                        }
                    }
                    return true;
                },
                error);
            if (!ok) throw EAEError(error);
        }

        if (secondPass) {
            const int32_t n = EntryCount();
            for (int32_t i = 0; i < n; ++i) {
                ReadEntry(FNav, FRecord, i);
                if (FNav.Out.Status & nsError) throw EAEError(FNav.Out.Message);
                const size_t base = static_cast<size_t>(i) * slots;
                for (size_t j = 0; j < slots; ++j) {
                    if (FPlans[j] != TFieldPlan::Expression) continue;
                    trees[j]->Evaluate(FValues[base + j], FRecord);
                    // Later expressions of the same record see this result.
                    if (TAEField* f = FRecord.Field(FOwnBase + static_cast<int>(j)))
                        WriteSlot(*f, FValues[base + j]);
                }
            }
        }
        FComputed = true;
    } catch (const std::exception& e) {
        FEntries.Clear();
        FValues.Clear();
        ComputeFailed(e.what());
    }
}

void TGVCPUPrc::ReadEntry(TAEPNav& nav, TAERecord& record, int32_t index) {
    const TEntry& e = FEntries[static_cast<size_t>(index)];
    FParent->ReadRecord(nav, record, e.Position);
    if (nav.Out.Status & nsError) return;
    const size_t base = static_cast<size_t>(index) * static_cast<size_t>(FSlotCount);
    for (int j = 0; j < FSlotCount; ++j)
        if (TAEField* f = record.Field(FOwnBase + j))
            WriteSlot(*f, FValues[base + static_cast<size_t>(j)]);
    record.SetRecFlags(static_cast<uint8_t>(record.RecFlags() | e.Flags));
    nav.Out.EventFlags = e.Flags;
}

// --- Record protocol ------------------------------------------------------------------------

int32_t TGVCPUPrc::FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (Transparent()) return TGVSource::FirstRecord(nav, record, start);
    nav.Out.State = GetSourceState();
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::First(nav, EntryCount(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUPrc::LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (Transparent()) return TGVSource::LastRecord(nav, record, start);
    nav.Out.State = GetSourceState();
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Last(nav, EntryCount(), [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUPrc::NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (Transparent()) return TGVSource::NextRecord(nav, record, index);
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Next(nav, EntryCount(), index, [this](int32_t i) { return EntryAt(i); });
}

int32_t TGVCPUPrc::PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (Transparent()) return TGVSource::PriorRecord(nav, record, index);
    if (!EnsureComputed(nav)) return -1;
    return TListCursor::Prior(nav, EntryCount(), index, [this](int32_t i) { return EntryAt(i); });
}

void TGVCPUPrc::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (Transparent()) {
        TGVSource::ReadRecord(nav, record, index);
        return;
    }
    if (!EnsureComputed(nav)) return;
    if (TListCursor::OutOfRange(nav, EntryCount(), index)) return;
    ReadEntry(nav, record, index);
}

int32_t TGVCPUPrc::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (Transparent()) return TGVSource::RecordCount(nav, record);
    if (nav.Kinds == 0) return ComputedCount() < 0 ? 0 : EntryCount();
    return CountByWalking(nav, record);
}

// --- Messages and index translation ---------------------------------------------------------

void TGVCPUPrc::Reset() {
    Discard();
    FFunctions.clear();
    FPlans.clear();
    TGVSource::Reset();
    FOnlyFirstHit = false;
    FEnabledCode = false;
}

void TGVCPUPrc::Dispatch(TAEOMSG& msg) {
    // A position this processor does not hold is marked as none.
    if (msg.Msg == omMarkRecord && msg.List.empty()) msg.List.push_back(-1);
    TGVComputedList::Dispatch(msg);
}

void TGVCPUPrc::ListToParent(std::vector<int32_t>& list) const {
    if (Transparent()) return;
    if (!FComputed) const_cast<TGVCPUPrc*>(this)->ComputedCount();
    const int32_t n = EntryCount();
    std::vector<int32_t> out;
    out.reserve(list.size());
    for (int32_t i : list)
        if (i >= 0 && i < n) out.push_back(FEntries[static_cast<size_t>(i)].Position);
    list.swap(out);
}

void TGVCPUPrc::ListFromParent(std::vector<int32_t>& list) const {
    if (Transparent()) return;
    std::vector<int32_t> out;
    out.reserve(list.size());
    // Nobody holds positions of a list that is not computed.
    if (FComputed) {
        const int32_t n = EntryCount();
        for (int32_t p : list) {
            int32_t lo = 0, hi = n;
            while (lo < hi) {
                const int32_t mid = lo + (hi - lo) / 2;
                if (FEntries[static_cast<size_t>(mid)].Position < p)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (lo < n && FEntries[static_cast<size_t>(lo)].Position == p) out.push_back(lo);
        }
    }
    list.swap(out);
}

// --- Field references -----------------------------------------------------------------------

void TGVCPUPrc::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                 bool deep) const {
    TGVSource::CollectFieldUses(id, lines, deep);
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        const TAEField* f = FOwnFields.Get(i);
        if (f->ID() == id) continue;
        const TAEExpresion* tree = FieldExpresion(*f);
        if (!tree) continue;
        tree->CollectUses(id, lines, "");
        if (!tree->ReferencesId(id) && TreeRefersTo(tree, id)) {
            const TAEField* used = FindField(id);
            const std::string line =
                "Field: " + (used ? used->FieldName() : std::string(id)) + "[" + GetName() + "]";
            if (std::find(lines.begin(), lines.end(), line) == lines.end()) {
                lines.insert(std::lower_bound(lines.begin(), lines.end(), line), line);
            }
        }
    }
}

bool TGVCPUPrc::DeclaresField(std::string_view id, bool deep) const {
    if (TGVSource::DeclaresField(id, deep)) return true;
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        const TAEField* f = FOwnFields.Get(i);
        if (f->ID() != id && TreeRefersTo(FieldExpresion(*f), id)) return true;
    }
    return false;
}

void TGVCPUPrc::FieldChanged(std::string_view id) {
    TGVSource::FieldChanged(id);
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (TreeRefersTo(FieldExpresion(*FOwnFields.Get(i)), id)) {
            DispatchDataChanged();
            return;
        }
}

void TGVCPUPrc::RemoveField(std::string_view id) {
    TGVSource::RemoveField(id);
    for (int i = 0; i < FOwnFields.Count(); ++i)
        if (TAEExpresion* tree = FieldExpresion(*FOwnFields.Get(i)))
            // The field stays and yields no value.
            if (TreeRefersTo(tree, id)) tree->Clear();
    Discard();
}

// --- Persistence ----------------------------------------------------------------------------

void TGVCPUPrc::SaveToNode(TNodePersist& node) const {
    TGVSource::SaveToNode(node);
    node.AddItem("EnabledCode", FEnabledCode ? "1" : "0");
    node.AddItem("FirstHit", FOnlyFirstHit ? "1" : "0");
}

void TGVCPUPrc::AttachTrees() {
    for (int i = 0; i < FOwnFields.Count(); ++i) {
        TAEField* f = FOwnFields.Get(i);
        if (TAEExpresion* tree = FieldExpresion(*f))
            tree->SetOwner(this);
        else
            f->SetExpresion(std::make_unique<TAEExpresion>(this));
    }
}

void TGVCPUPrc::LoadFromNode(const TNodePersist& node) {
    Discard();
    TGVSource::LoadFromNode(node);
    FEnabledCode = node.GetValue("EnabledCode") == "1";
    FOnlyFirstHit = node.GetValue("FirstHit") == "1";
    // Fields load their trees only into trees they already have: give every field one and
    // read the set again.
    AttachTrees();
    if (const TNodePersist* fields = node.FindNode("FIELDS")) FOwnFields.LoadFromNode(*fields);
    AttachTrees();
}

// --- IExprOwner -----------------------------------------------------------------------------

std::string TGVCPUPrc::ExprFieldID(std::string_view name) const {
    return GetFieldID(name);
}

TGVVariants* TGVCPUPrc::ExprVariants() const {
    return const_cast<TGVVariants*>(FindProjectVariants(*const_cast<TGVCPUPrc*>(this)));
}

} // namespace vorelt
