#pragma once
// The graph processor: a final processor whose view plots the hits, time marks and criterion
// output of its branch in a 2D graph. The view (the visual layer's) keeps the axes and series;
// the processor forwards to it and keeps the view's saved node when there is none.

#include "processing/TGVFinal.h"
#include "processing/filter/ILCOwner.h"

#include "persist/TNodePersist.h"

#include <functional>
#include <memory>

namespace vorelt {

class IGraphView;

class TGVCPUGr : public TGVFinal, public ILCOwner {
public:
    // Creates the view through the factory, when one is installed.
    TGVCPUGr();
    ~TGVCPUGr() override;
    std::string ClassName() const override { return "TGVCPUGr"; }

    using TViewFactory = std::function<std::unique_ptr<IFinalView>(TGVCPUGr&)>;
    static void SetViewFactory(TViewFactory factory);

    IGraphView* GraphView() const;
    // The view's caption; the name without view.
    std::string GetName() const override;

    // Without a view: the view's node to write (tools that make projects headless).
    void SetViewNode(std::unique_ptr<TNodePersist> node) { FViewNode = std::move(node); }

    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    bool DeclaresField(std::string_view id, bool deep) const override;
    // 0x401 to itself when the view uses the field.
    void FieldChanged(std::string_view id) override;
    void RemoveField(std::string_view id) override;

    // The processor's items, "FirstHit", then the child "VisualClass" with the view.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // ILCOwner (the series' conditions)
    std::string ConditionOwnerName() const override { return FName; }
    const TAEField* ConditionField(std::string_view id) const override { return FindField(id); }
    const TGVVariants* ConditionVariants() const override;
    void ConditionChanged(bool propagate) override { Changed(propagate); }

protected:
    // Without view 1: nothing to show.
    int32_t ReadyWithoutView() override { return 1; }

private:
    // The view's node as loaded, written back when there is no view.
    std::unique_ptr<TNodePersist> FViewNode;
};

} // namespace vorelt
