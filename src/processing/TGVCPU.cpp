#include "processing/TGVCPU.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEIDGenerator.h"
#include "model/TAEListFields.h"
#include "persist/IIDGenerator.h"
#include "persist/TNodePersist.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/IUserPrompt.h"
#include "processing/TGVCPUPlaceholder.h"

#include <algorithm>
#include <map>
#include <set>

namespace vorelt {

namespace {

const TProcessorKind pkSourceBase{"TGVSource", "Source Processor", "", -1, 0, "", 0};

bool InSubtree(const TGVCPU* p, const TGVCPU* root) {
    for (; p; p = p->Parent())
        if (p == root) return true;
    return false;
}

template <class F> void WalkTree(const TGVCPU* p, F&& f) {
    f(p);
    for (int i = 0; i < p->ChildCount(); ++i)
        WalkTree(p->Child(i), f);
}

std::string TwoDigits(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

} // namespace

TGVCPU::TGVCPU() : TGVCPU(pkCPU) {}

TGVCPU::TGVCPU(const TProcessorKind& kind) : FOwnFields(this), FKind(&kind) {
    ApplyKind();
}

TGVSource::TGVSource() : TGVCPU(pkSourceBase) {}

TGVCPU::~TGVCPU() {
    FreeChildren();
    if (FParent) {
        // Deleted directly while the parent still lists it: leave the list without a second
        // destruction.
        auto& list = FParent->FChildren;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (it->get() == this) {
                it->release();
                list.erase(it);
                break;
            }
    }
}

void TGVCPU::ApplyKind() {
    FName = FKind->ClassName;
    FImageIndex = FKind->ImageIndex;
    FKindFlags = FKind->KindFlags;
    if (FKind->OwnSetName[0] != '\0') {
        FOwnFields.SetName(FKind->OwnSetName);
        FOwnFields.SetKind(FKind->OwnSetKind);
    }
}

std::string TGVCPU::KindName() const {
    const TProcessorKind* kind = Kind();
    return kind ? std::string(kind->KindName) : ClassName();
}

const TProcessorKind* TGVCPU::Kind() const {
    // Classes built on a base without a kind of their own are known by their class name.
    if (FKind->Code[0] != '\0') return FKind;
    return FindProcessorKind(ClassName());
}

// --- Tree -----------------------------------------------------------------------------------

int TGVCPU::IndexOfChild(const TGVCPU* child) const {
    for (size_t i = 0; i < FChildren.size(); ++i)
        if (FChildren[i].get() == child) return static_cast<int>(i);
    return -1;
}

int TGVCPU::AddChild(std::unique_ptr<TGVCPU> child) {
    if (!child) return -1;
    child->FParent = this;
    FChildren.push_back(std::move(child));
    return static_cast<int>(FChildren.size()) - 1;
}

std::unique_ptr<TGVCPU> TGVCPU::DetachChild(TGVCPU* child) {
    const int i = IndexOfChild(child);
    if (i < 0) return nullptr;
    std::unique_ptr<TGVCPU> p = std::move(FChildren[static_cast<size_t>(i)]);
    FChildren.erase(FChildren.begin() + i);
    p->FParent = nullptr;
    return p;
}

void TGVCPU::ReadThrough(TGVCPU& source) {
    FParent = &source;
    FOutside = true;
}

void TGVCPU::FreeChildren() {
    while (!FChildren.empty()) {
        std::unique_ptr<TGVCPU> last = std::move(FChildren.back());
        FChildren.pop_back();
        last.reset();
    }
}

TGVCPU* TGVCPU::GetDb() {
    for (TGVCPU* p = this; p; p = p->FParent)
        if (p->IsDatabase()) return p;
    return nullptr;
}

TGVCPU* TGVCPU::Top() {
    TGVCPU* p = this;
    while (p->FParent)
        p = p->FParent;
    return p;
}

IProcessorContext* TGVCPU::Context() {
    return Top()->FContext;
}

// --- Errors ---------------------------------------------------------------------------------

void TGVCPU::AddError(const std::string& line) {
    if (!FErrorText.empty()) FErrorText += '\r';
    FErrorText += line;
}

void TGVCPU::SetFailed(const std::string& text) {
    FHasError = true;
    FErrorText = text;
}

void TGVCPU::CollectErrors(std::string& text) const {
    if (!FErrorText.empty() && text.find(FErrorText) == std::string::npos) {
        if (!text.empty()) text += '\r';
        text += FErrorText;
    }
    for (const auto& c : FChildren)
        c->CollectErrors(text);
}

void TGVCPU::ClearErrors() {
    FErrorText.clear();
    FHasError = false;
    for (const auto& c : FChildren)
        c->ClearErrors();
}

void TGVCPU::Reset() {
    FreeChildren();
    FOwnFields.Clear();
    // A processor that its parent still lists keeps knowing its parent.
    if (FParent && !FOutside && FParent->IndexOfChild(this) < 0) FParent = nullptr;
    FRecord.Clear();
    FNav = TAEPNav{};
    FErrorText.clear();
    FHasError = false;
    ApplyKind();
}

// --- Layout and fields ----------------------------------------------------------------------

void TGVCPU::GetFields(TAEListFields* layout, bool excludeOwn) const {
    if (!layout) return;
    if (FParent) FParent->GetFields(layout, false);
    if (!excludeOwn && FOwnFields.Count() > 0) layout->Add(const_cast<TAEFields*>(&FOwnFields));
}

TAEField* TGVCPU::FindField(std::string_view id) const {
    if (TAEField* f = FOwnFields.FindByID(id)) return f;
    return FParent ? FParent->FindField(id) : nullptr;
}

std::string TGVCPU::GetFieldID(std::string_view name) const {
    TAEListFields layout;
    GetFields(&layout, false);
    const TAEField* f = layout.FindByName(name);
    return f ? f->ID() : std::string();
}

void TGVCPU::PrepareRecord(TAERecord& record) {
    TAEListFields layout;
    GetFields(&layout, false);
    record.BuildForLayout(layout);
}

void TGVCPU::CheckFields(const TAEListFields& oldLayout) {
    TAEListFields current;
    GetFields(&current, false);
    const int n = oldLayout.FieldCount();
    for (int i = 0; i < n; ++i) {
        const TAEField* f = oldLayout.FieldAt(i);
        if (!f || f->ID().empty()) continue;
        std::vector<std::string> lines;
        CollectFieldUses(f->ID(), lines, true);
        if (!lines.empty() && current.IndexOfID(f->ID()) < 0)
            AddError(std::string(txtFieldNotFound) + "[" + f->FieldName() + "]");
    }
}

void TGVCPU::CollectMissingFields(const TAEListFields& layout, std::vector<std::string>& names) {
    TAEListFields current;
    GetFields(&current, false);
    const int n = layout.FieldCount();
    for (int i = 0; i < n; ++i) {
        const TAEField* f = layout.FieldAt(i);
        if (!f || f->ID().empty() || current.IndexOfID(f->ID()) >= 0) continue;
        if (std::find(names.begin(), names.end(), f->ID()) != names.end()) continue;
        // A field counts when this subtree declares it or has a use for it: the request asks
        // for the fields that the tree needs and the new layout no longer has.
        bool needed = DeclaresField(f->ID(), true);
        if (!needed) {
            std::vector<std::string> lines;
            CollectFieldUses(f->ID(), lines, true);
            needed = !lines.empty();
        }
        if (needed) names.push_back(f->ID());
    }
}

void TGVCPU::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                              bool deep) const {
    if (!deep) return;
    for (const auto& c : FChildren)
        c->CollectFieldUses(id, lines, true);
}

bool TGVCPU::DeclaresField(std::string_view id, bool deep) const {
    if (FOwnFields.IndexOfID(id) >= 0) return true;
    if (deep)
        for (const auto& c : FChildren)
            if (c->DeclaresField(id, true)) return true;
    return false;
}

void TGVCPU::FieldChanged(std::string_view id) {
    for (const auto& c : FChildren)
        c->FieldChanged(id);
}

void TGVCPU::RemoveField(std::string_view id) {
    for (int i = FOwnFields.Count() - 1; i >= 0; --i)
        if (FOwnFields.Get(i)->ID() == id) FOwnFields.Delete(i);
    for (const auto& c : FChildren)
        c->RemoveField(id);
}

void TGVCPU::RemoveOwnFields() {
    for (int i = FOwnFields.Count() - 1; i >= 0; --i) {
        const std::string id = FOwnFields.Get(i)->ID();
        for (const auto& c : FChildren)
            c->RemoveField(id);
        FOwnFields.Delete(i);
    }
}

bool TGVCPU::IsLocated() const {
    return FParent ? FParent->IsLocated() : false;
}

// --- Identifiers ----------------------------------------------------------------------------

bool TGVCPU::IsIDFree(std::string_view id) const {
    if (FID == id || !FOwnFields.IsIDFree(id)) return false;
    for (const auto& c : FChildren)
        if (!c->IsIDFree(id)) return false;
    return true;
}

bool TGVCPU::IsNumberFree(int32_t n) const {
    for (const auto& c : FChildren)
        if (!c->IsNumberFree(n)) return false;
    return true;
}

bool TGVCPU::IsNameFree(std::string_view name) const {
    if (!FOwnFields.IsNameFree(name)) return false;
    for (const auto& c : FChildren)
        if (!c->IsNameFree(name)) return false;
    return true;
}

TPersistObject* TGVCPU::FindByID(std::string_view id) {
    if (id.empty()) return nullptr;
    if (FID == id) return this;
    if (TAEField* f = FOwnFields.FindByID(id)) return f;
    for (const auto& c : FChildren)
        if (TPersistObject* hit = c->FindByID(id)) return hit;
    return nullptr;
}

TGVCPU* TGVCPU::FindProcessorByID(std::string_view id) {
    if (id.empty()) return nullptr;
    if (FID == id) return this;
    for (const auto& c : FChildren)
        if (TGVCPU* hit = c->FindProcessorByID(id)) return hit;
    return nullptr;
}

bool TGVCPU::ForEachID(const TIDCallback& callback) const {
    for (const auto& c : FChildren)
        c->ForEachID(callback);
    return callback(FID);
}

void TGVCPU::AssignIDs(bool renew, IIDGenerator& generator) {
    if (FID.empty() || renew) FID = generator.NewID();
    FOwnFields.AssignID(renew, generator);
}

void TGVCPU::AssignIDsDeep(bool renew, IIDGenerator& generator) {
    AssignIDs(renew, generator);
    for (const auto& c : FChildren)
        c->AssignIDsDeep(renew, generator);
}

// --- Change notification --------------------------------------------------------------------

uint8_t TGVCPU::GetSourceState() {
    TGVCPU* db = GetDb();
    if (db && db != this) return db->GetSourceState();
    if (!db && FParent) return FParent->GetSourceState();
    return 0;
}

void TGVCPU::Changed(bool propagate) {
    (void)propagate;
    NotifyModified();
    TAEOMSG msg;
    msg.Msg = omDataChanged;
    msg.Text = FID;
    SendDown(msg);
}

void TGVCPU::DispatchDataChanged() {
    TAEOMSG msg;
    msg.Msg = omDataChanged;
    msg.Text = FID;
    Dispatch(msg);
}

void TGVCPU::NotifyModified() {
    TAEOMSG msg;
    msg.Msg = omModified;
    msg.Text = FID;
    SendUp(msg);
}

void TGVCPU::CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) {
    if (FParent) FParent->CollectGraphAddOns(graphView, list);
}

// --- Messages -------------------------------------------------------------------------------

void TGVCPU::Dispatch(TAEOMSG& msg) {
    switch (MessageRoute(msg.Msg)) {
    case TMessageRoute::Up:
        SendUp(msg);
        break;
    case TMessageRoute::Down:
        if (msg.Msg == omCollectMissingFields && msg.WParam != 0) {
            auto* request = reinterpret_cast<TMissingFieldsRequest*>(msg.WParam);
            if (request->Layout) CollectMissingFields(*request->Layout, request->Names);
        }
        SendDown(msg);
        break;
    case TMessageRoute::DownSelected:
        SendDownRevalidate(msg, fidSelected);
        break;
    case TMessageRoute::DownDeleted:
        SendDownRevalidate(msg, fidDeleted);
        break;
    case TMessageRoute::None:
        break;
    }
}

void TGVCPU::SendUp(TAEOMSG& msg) {
    if (FOutside) return;
    if (!msg.List.empty()) ListToParent(msg.List);
    if (FParent)
        FParent->Dispatch(msg);
    else if (FContext)
        FContext->TopMessage(msg);
}

void TGVCPU::SendDown(TAEOMSG& msg) {
    SendDownRevalidate(msg, {});
}

void TGVCPU::SendDownRevalidate(TAEOMSG& msg, std::string_view fieldID) {
    if (FChildren.empty()) return;
    // Each child translates the list into its own index space, so every child starts from
    // this processor's indices and the sender gets its list back unchanged.
    const bool hasList = !msg.List.empty();
    std::vector<int32_t> saved;
    if (hasList) saved = msg.List;
    for (int i = ChildCount() - 1; i >= 0; --i) {
        TGVCPU* child = Child(i);
        if (!child) continue;
        if (hasList) {
            msg.List = saved;
            child->ListFromParent(msg.List);
        }
        child->Dispatch(msg);
        if (!fieldID.empty() && child == Child(i) && child->DeclaresField(fieldID, false))
            child->DispatchDataChanged();
    }
    if (hasList) msg.List = std::move(saved);
}

// --- Record protocol ------------------------------------------------------------------------

int32_t TGVCPU::ReportFailure(TAEPNav& nav) {
    nav.Out.Status = nsError;
    nav.Out.EventFlags = 0;
    nav.Out.Message = FErrorText;
    return -1;
}

int32_t TGVCPU::FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (FHasError) return ReportFailure(nav);
    if (FParent) return FParent->FirstRecord(nav, record, start);
    nav.Out.Message.clear();
    nav.Out.EventFlags = 0;
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPU::LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) {
    if (FHasError) return ReportFailure(nav);
    if (FParent) return FParent->LastRecord(nav, record, start);
    nav.Out.Message.clear();
    nav.Out.EventFlags = 0;
    nav.Out.Status = nsNoRecord;
    return -1;
}

int32_t TGVCPU::NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (FParent) return FParent->NextRecord(nav, record, index);
    // Nothing to walk: every index is outside.
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    return -1;
}

int32_t TGVCPU::PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (FParent) return FParent->PriorRecord(nav, record, index);
    nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
    nav.Out.Message = txtDataOutRange;
    return -1;
}

void TGVCPU::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    if (FParent) FParent->ReadRecord(nav, record, index);
}

bool TGVCPU::WidenDemand(const TAERecord&, std::vector<uint8_t>&) const {
    return false;
}

int32_t TGVCPU::RecordCount(TAEPNav& nav, TAERecord& record) {
    if (!FParent) return 0;
    return CountByWalking(nav, record);
}

int32_t TGVCPU::CountByWalking(TAEPNav& nav, TAERecord& record) {
    try {
        int32_t i = FirstRecord(nav, record, -1);
        int32_t n = 0;
        while ((nav.Out.Status & nsEndForward) == 0) {
            if (nav.Out.Status & nsError) return 0;
            i = NextRecord(nav, record, i);
            ++n;
        }
        // An out-of-range answer carries the end bit too; it is still a failure.
        return (nav.Out.Status & nsError) ? 0 : n;
    } catch (...) {
        return 0;
    }
}

// --- Structural rules -----------------------------------------------------------------------

bool TGVCPU::IsOfClassOrBelow(const TGVCPU* processor, std::string_view className) {
    for (const TGVCPU* p = processor; p; p = p->FParent)
        if (SameText(p->ClassName(), className)) return true;
    return false;
}

bool TGVCPU::UniqueInPath(const TGVCPU* a, const TGVCPU* b) {
    if (!a || !b) return false;
    bool ok = true;
    WalkTree(a, [&](const TGVCPU* d) {
        if (!ok || (d->KindFlags() & kfOnePerPath) == 0) return;
        const std::string cls = d->ClassName();
        for (const TGVCPU* q = b; q; q = q->FParent)
            if (q != d && SameText(q->ClassName(), cls)) {
                ok = false;
                return;
            }
    });
    return ok;
}

bool TGVCPU::UniqueInTree(const TGVCPU* a, const TGVCPU* b, bool forCopy) {
    if (!a || !b) return false;
    const TGVCPU* top = b;
    while (top->FParent)
        top = top->FParent;
    bool ok = true;
    WalkTree(a, [&](const TGVCPU* d) {
        if (!ok || (d->KindFlags() & kfOnePerTree) == 0) return;
        const std::string cls = d->ClassName();
        WalkTree(top, [&](const TGVCPU* q) {
            // Moving keeps the processor itself; a copy would stand beside it.
            if (ok && SameText(q->ClassName(), cls) && (forCopy || !InSubtree(q, a))) ok = false;
        });
    });
    return ok;
}

bool TGVCPU::CanPlaceBelow(const TGVCPU* a, const TGVCPU* b, bool forCopy) {
    if (!a || !b || a == b) return false;
    if (b->IsFinal() || a->IsDatabase() || InSubtree(b, a)) return false;
    if (!UniqueInPath(a, b) || !UniqueInTree(a, b, forCopy)) return false;
    // Every processor of the moved subtree that needs located hits must still get them: from
    // the new place, or from a location processor inside the subtree above it.
    const bool targetLocated = b->IsLocated();
    bool ok = true;
    WalkTree(a, [&](const TGVCPU* d) {
        if (!ok || (d->KindFlags() & kfBelowLocation) == 0 || targetLocated) return;
        bool located = false;
        for (const TGVCPU* q = d->FParent; q && q != a->FParent; q = q->FParent)
            if (q->IsLocated() && !(q->FParent && q->FParent->IsLocated())) {
                located = true;
                break;
            }
        if (!located) ok = false;
    });
    return ok;
}

// --- Tree operations ------------------------------------------------------------------------

namespace {

// Fields of the old parent's layout that the subtree of `p` uses and the new place lacks.
std::vector<const TAEField*> MissingFields(const TGVCPU* p, const TGVCPU* oldParent,
                                           const TGVCPU* newParent) {
    TAEListFields oldLayout, newLayout;
    oldParent->GetFields(&oldLayout, false);
    newParent->GetFields(&newLayout, false);
    std::vector<const TAEField*> missing;
    const int n = oldLayout.FieldCount();
    for (int i = 0; i < n; ++i) {
        const TAEField* f = oldLayout.FieldAt(i);
        if (!f || f->ID().empty() || newLayout.IndexOfID(f->ID()) >= 0) continue;
        bool listed = false;
        for (const TAEField* m : missing)
            listed = listed || m->ID() == f->ID();
        if (listed) continue;
        std::vector<std::string> lines;
        p->CollectFieldUses(f->ID(), lines, true);
        if (!lines.empty()) missing.push_back(f);
    }
    return missing;
}

// Replaces every run of exactly 16 digits that the map knows.
bool RewriteIDs(std::string& value, const std::map<std::string, std::string>& ids) {
    bool changed = false;
    size_t i = 0;
    while (i < value.size()) {
        if (value[i] < '0' || value[i] > '9') {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < value.size() && value[j] >= '0' && value[j] <= '9')
            ++j;
        if (j - i == 16) {
            auto it = ids.find(value.substr(i, 16));
            if (it != ids.end()) {
                value.replace(i, 16, it->second);
                changed = true;
            }
        }
        i = j;
    }
    return changed;
}

void RewriteNode(TNodePersist& node, const std::map<std::string, std::string>& ids) {
    bool changed = false;
    std::vector<RecParam> items = node.Items();
    for (RecParam& item : items)
        changed = RewriteIDs(item.Value, ids) || changed;
    if (changed) {
        node.ClearItems();
        for (RecParam& item : items)
            node.AddItem(std::move(item.Name), std::move(item.Value));
    }
    for (int i = 0; i < node.NodeCount(); ++i)
        RewriteNode(*node.Node(i), ids);
}

// Own fields that the copy's code created (system fields, never saved, which loading gave
// unrelated IDs) get the renewed ID of the original's field of the same name.
void FollowRenewedFieldIDs(const TGVCPU& original, TGVCPU& copy,
                           const std::map<std::string, std::string>& ids) {
    const TAEFields& from = original.OwnFields();
    TAEFields& to = copy.OwnFields();
    for (int i = 0; i < from.Count(); ++i) {
        auto it = ids.find(from.Get(i)->ID());
        if (it == ids.end()) continue;
        if (TAEField* f = to.FindByName(from.Get(i)->FieldName())) f->SetID(it->second);
    }
    const int n = std::min(original.ChildCount(), copy.ChildCount());
    for (int i = 0; i < n; ++i)
        FollowRenewedFieldIDs(*original.Child(i), *copy.Child(i), ids);
}

} // namespace

bool TGVCPU::MoveTo(TGVCPU* newParent) {
    if (!FParent || FParent->IndexOfChild(this) < 0 || !newParent) return false;
    if (!CanPlaceBelow(this, newParent)) return false;
    const std::vector<const TAEField*> missing = MissingFields(this, FParent, newParent);
    if (!missing.empty()) {
        std::string text = txtMovedImpossible;
        for (const TAEField* f : missing)
            text += std::string("\r") + txtFieldNotFound + "[" + f->FieldName() + "]";
        if (IProcessorContext* context = Context())
            if (IUserPrompt* prompt = context->Prompt()) prompt->ShowError(text);
        return false;
    }
    std::unique_ptr<TGVCPU> self = FParent->DetachChild(this);
    newParent->AddChild(std::move(self));
    Changed(true);
    return true;
}

TGVCPU* TGVCPU::CopyTo(TGVCPU* newParent) {
    if (!FParent || FParent->IndexOfChild(this) < 0 || !newParent || IsPlaceholder())
        return nullptr;
    if (!CanPlaceBelow(this, newParent, true)) return nullptr;
    const std::vector<const TAEField*> missingFields = MissingFields(this, FParent, newParent);
    std::vector<std::string> missing;
    for (const TAEField* f : missingFields)
        missing.push_back(f->ID());
    if (!missingFields.empty()) {
        std::string text;
        for (const TAEField* f : missingFields) {
            if (!text.empty()) text += '\r';
            text += std::string(txtFieldNotFound) + "[" + f->FieldName() + "]";
        }
        text += std::string("\r\r") + txtContinue + " ?";
        IProcessorContext* context = newParent->Context();
        IUserPrompt* prompt = context ? context->Prompt() : nullptr;
        if (!prompt || !prompt->AskYesNo(text)) return nullptr;
    }

    std::unique_ptr<TGVCPU> copy = TClassRegistry::Instance().CreateAs<TGVCPU>(ClassName());
    if (!copy) return nullptr;

    TGVCPU* target = newParent->Top();
    IProcessorContext* context = target->FContext;
    IIDGenerator* generator = context ? context->IDGenerator() : nullptr;
    std::unique_ptr<TAEIDGenerator> local;
    if (!generator) {
        local = std::make_unique<TAEIDGenerator>(
            [target](const std::string& id) { return !target->IsIDFree(id); });
        generator = local.get();
    }

    // The saved subtree carries the original's IDs; the copy gets new ones, and every
    // reference inside the copy to a renewed ID follows it.
    std::map<std::string, std::string> renewed;
    std::set<std::string> taken;
    auto renew = [&](const std::string& id) {
        if (id.empty() || IsReservedID(id) || renewed.count(id)) return;
        std::string fresh;
        do
            fresh = generator->NewID();
        while (taken.count(fresh) || renewed.count(fresh));
        taken.insert(fresh);
        renewed.emplace(id, fresh);
    };
    ForEachID([&](const std::string& id) {
        renew(id);
        return true;
    });
    WalkTree(this, [&](const TGVCPU* p) {
        for (int i = 0; i < p->OwnFields().Count(); ++i)
            renew(p->OwnFields().Get(i)->ID());
    });

    TNodePersist node("OBJ");
    SaveToNode(node);
    RewriteNode(node, renewed);

    TGVCPU* raw = copy.get();
    newParent->AddChild(std::move(copy));
    raw->LoadFromNode(node);
    FollowRenewedFieldIDs(*this, *raw, renewed);
    raw->AssignIDsDeep(false, *generator);
    for (const std::string& id : missing)
        raw->RemoveField(id);
    Changed(true);
    return raw;
}

void TGVCPU::NameProcessors() {
    TGVCPU* top = GetDb();
    if (!top) top = Top();
    std::map<std::string, int> counters;
    struct TWalk {
        TGVCPU* Self;
        std::map<std::string, int>& Counters;
        void Run(TGVCPU* p, bool inside) {
            inside = inside || p == Self;
            if (!p->IsDatabase()) {
                const int number = ++Counters[UpperCase(p->ClassName())];
                const TProcessorKind* kind = p->Kind();
                if (inside && kind && kind->Code[0] != '\0' && !p->IsPlaceholder())
                    p->SetName(kind->Code + TwoDigits(number));
            }
            for (int i = 0; i < p->ChildCount(); ++i)
                Run(p->Child(i), inside);
        }
    } walk{this, counters};
    walk.Run(top, false);
}

// --- Persistence ----------------------------------------------------------------------------

void TGVCPU::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("ID", FID);
    FOwnFields.SaveToNode(*node.AddNode("FIELDS"));
    FProperties.SaveToNode(*node.AddNode("PROPERTIES"));
    for (const auto& c : FChildren)
        c->SaveToNode(*node.AddNode("OBJ"));
}

std::unique_ptr<TGVCPU> TGVCPU::CreateChildForNode(const TNodePersist& objNode) {
    const std::string cls = objNode.GetValue("ClassName");
    if (!cls.empty())
        if (std::unique_ptr<TGVCPU> p = TClassRegistry::Instance().CreateAs<TGVCPU>(cls)) return p;
    return std::make_unique<TGVCPUPlaceholder>(objNode);
}

void TGVCPU::LoadFromNode(const TNodePersist& node) {
    if (node.IndexOfItem("ID") >= 0) FID = node.GetValue("ID");
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameText(child.Name(), "FIELDS")) {
            FOwnFields.LoadFromNode(child);
        } else if (SameText(child.Name(), "PROPERTIES")) {
            FProperties.LoadFromNode(child);
        } else if (SameText(child.Name(), "OBJ")) {
            std::unique_ptr<TGVCPU> p = CreateChildForNode(child);
            if (!p) continue;
            TGVCPU* raw = p.get();
            AddChild(std::move(p));
            raw->LoadFromNode(child);
            if (IProcessorContext* context = Context())
                if (IIDGenerator* generator = context->IDGenerator())
                    raw->AssignIDs(false, *generator);
        }
    }
}

} // namespace vorelt
