#include "processing/table/TGVCPUTbl.h"

#include "model/TAEFieldIDs.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TDemandChain.h"
#include "processing/TViewNodeCopy.h"
#include "processing/filter/TFilterCommon.h"

namespace vorelt {

namespace {

TGVCPUTbl::TViewFactory& Factory() {
    static TGVCPUTbl::TViewFactory factory;
    return factory;
}

constexpr char NodeVisualClass[] = "VisualClass";

} // namespace

void TGVCPUTbl::SetViewFactory(TViewFactory factory) {
    Factory() = std::move(factory);
}

TGVCPUTbl::TGVCPUTbl() : TGVFinal(pkTbl), FData(*this) {
    DeclareFields();
    if (Factory()) SetView(Factory()(*this));
}

TGVCPUTbl::~TGVCPUTbl() {
    // The view refers to the processor and its data; it goes first.
    FView.reset();
}

void TGVCPUTbl::DeclareFields() {
    if (FOwnFields.IndexOfID(fidNumRec) >= 0) return;
    std::unique_ptr<TAEField> f = NewStandardField(fidNumRec, dtLongWord, TAEDeclarer::Table);
    if (!f) return;
    f->SetGroup(fgTable);
    f->SetLocked(true);
    FOwnFields.Add(std::move(f));
}

TAEField* TGVCPUTbl::NumRecField() const {
    return FOwnFields.FindByID(fidNumRec);
}

void TGVCPUTbl::PrepareRowRecord(TAERecord& record) {
    PrepareRecord(record);
    DemandAllButWaveFeatures(this, record, [this](std::string_view id) {
        std::vector<std::string> lines;
        CollectFieldUses(id, lines, false);
        return !lines.empty() || FData.SeekCondition().ReferencesId(id);
    });
}

bool TGVCPUTbl::FetchRow(TAEPNav& nav, TAERecord& record, int32_t rowNumber, int32_t position) {
    nav.Out.Status = nsPositioned;
    ReadRecord(nav, record, position);
    if (nav.Out.Status & nsError) return false;
    TAEField* num = FNumRecPos >= 0 && FNumRecPos < record.FieldCount() &&
                            record.Field(FNumRecPos)->ID() == fidNumRec
                        ? record.Field(FNumRecPos)
                        : nullptr;
    if (!num) {
        num = record.FindByID(fidNumRec);
        FNumRecPos = -1;
        for (int i = 0; num && i < record.FieldCount(); ++i)
            if (record.Field(i) == num) FNumRecPos = i;
    }
    if (num) {
        if (rowNumber == -1)
            num->Clear();
        else
            num->SetAsInt64(rowNumber);
    }
    return true;
}

void TGVCPUTbl::Reset() {
    TGVFinal::Reset();
    DeclareFields();
    FData.Columns().Clear();
    FData.Tabs().Clear();
    FData.ClearRows();
    FData.SetTypeRec(trkDefault);
    FData.SeekCondition().Clear();
}

int32_t TGVCPUTbl::ReadyWithoutView() {
    return FData.Columns().Count() == 0 ? 1 : -1;
}

void TGVCPUTbl::CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                                 bool deep) const {
    TGVFinal::CollectFieldUses(id, lines, deep);
    const TGVProperties& columns = FData.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const auto* c = dynamic_cast<const TGVStringProperty*>(columns.Get(i));
        if (!c || c->Value() != id) continue;
        AddSortedLine(lines, "Field: " + c->Name() + "[" + FName + "]");
    }
}

bool TGVCPUTbl::DeclaresField(std::string_view id, bool deep) const {
    return TGVFinal::DeclaresField(id, deep) || FData.UsesField(id);
}

void TGVCPUTbl::RemoveField(std::string_view id) {
    TGVFinal::RemoveField(id);
    FData.RemoveField(id);
}

const TGVVariants* TGVCPUTbl::ConditionVariants() const {
    return ProjectVariantsOf(const_cast<TGVCPUTbl&>(*this));
}

void TGVCPUTbl::SaveToNode(TNodePersist& node) const {
    TGVFinal::SaveToNode(node);
    node.AddItem("FirstHit", FFirstHitOnly ? "1" : "0");
    TNodePersist* visual = node.AddNode(NodeVisualClass);
    if (FView) {
        FView->SaveView(*visual);
        return;
    }
    // Without a view the parts that belong to the view's classes go back as they came.
    CopyViewClassName(*visual, FViewNode.get(), "TTableVC");
    CopyViewPart(*visual, FViewNode.get(), "Properties");
    FData.SaveToNode(*visual);
    CopyViewPart(*visual, FViewNode.get(), "SlaveWindow");
}

void TGVCPUTbl::LoadFromNode(const TNodePersist& node) {
    TGVFinal::LoadFromNode(node);
    DeclareFields();
    if (node.IndexOfItem("FirstHit") >= 0) SetFirstHitOnly(Trim(node.GetValue("FirstHit")) == "1");
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (!SameTextTrimmed(child.Name(), NodeVisualClass)) continue;
        FData.LoadFromNode(child);
        if (FView)
            FView->LoadView(child);
        else
            FViewNode = child.CloneTree();
    }
}

} // namespace vorelt
