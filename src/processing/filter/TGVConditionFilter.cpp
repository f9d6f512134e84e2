#include "processing/filter/TGVConditionFilter.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/TFilterCommon.h"

namespace vorelt {

template <class TRoot>
TGVConditionFilter<TRoot>::TGVConditionFilter(const TProcessorKind& kind, bool enabledInitially)
    : TGVSource(kind), FEnabledInitially(enabledInitially), FEnabled(enabledInitially),
      FRoot(this) {
    EnsureTitleProperty(FProperties);
}

template <class TRoot> void TGVConditionFilter<TRoot>::SetEnabledFilter(bool enabled) {
    if (FEnabled == enabled) return;
    FEnabled = enabled;
    Changed(true);
}

template <class TRoot> std::string TGVConditionFilter<TRoot>::GetName() const {
    return TitledName(FName, FProperties);
}

template <class TRoot> void TGVConditionFilter<TRoot>::Reset() {
    TGVSource::Reset();
    EnsureTitleProperty(FProperties);
    FRoot.Clear();
    FEnabled = FEnabledInitially;
    DropResults(true);
}

template <class TRoot> void TGVConditionFilter<TRoot>::SaveToNode(TNodePersist& node) const {
    TGVSource::SaveToNode(node);
    node.AddItem("EnabledFilter", FEnabled ? "1" : "0");
    FRoot.SaveToNode(*node.AddNode("LogCons"));
}

template <class TRoot> void TGVConditionFilter<TRoot>::LoadFromNode(const TNodePersist& node) {
    TGVSource::LoadFromNode(node);
    EnsureTitleProperty(FProperties);
    if (node.IndexOfItem("EnabledFilter") >= 0)
        FEnabled = Trim(node.GetValue("EnabledFilter")) == "1";
    for (int i = 0; i < node.NodeCount(); ++i)
        if (SameTextTrimmed(node.Node(i)->Name(), "LogCons")) FRoot.LoadFromNode(*node.Node(i));
    FRoot.SetEditFlags(efRoot);
    DropResults(true);
}

template <class TRoot>
void TGVConditionFilter<TRoot>::CollectFieldUses(std::string_view id,
                                                 std::vector<std::string>& lines, bool deep) const {
    TGVSource::CollectFieldUses(id, lines, deep);
    FRoot.CollectUses(id, lines, "");
}

template <class TRoot>
bool TGVConditionFilter<TRoot>::DeclaresField(std::string_view id, bool deep) const {
    if (TGVSource::DeclaresField(id, deep)) return true;
    return FRoot.ReferencesId(id) && (!deep || FEnabled);
}

template <class TRoot> void TGVConditionFilter<TRoot>::FieldChanged(std::string_view id) {
    TGVSource::FieldChanged(id);
    if (FRoot.ReferencesId(id)) DispatchDataChanged();
}

template <class TRoot> void TGVConditionFilter<TRoot>::RemoveField(std::string_view id) {
    TGVSource::RemoveField(id);
    FRoot.RemoveReferences(id);
    DropResults(false);
}

template <class TRoot> void TGVConditionFilter<TRoot>::Changed(bool propagate) {
    DropResults(true);
    TGVSource::Changed(propagate);
}

template <class TRoot> const TGVVariants* TGVConditionFilter<TRoot>::ConditionVariants() const {
    return ProjectVariantsOf(const_cast<TGVConditionFilter&>(*this));
}

template class TGVConditionFilter<TLCBase>;
template class TGVConditionFilter<TLCTurnOff>;

} // namespace vorelt
