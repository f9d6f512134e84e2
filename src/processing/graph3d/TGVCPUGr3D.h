#pragma once
// The 3D graph processor: a final processor that stands only below a location processor and
// ends its branch in a three-dimensional scene. It owns what the graph holds (TGraph3DData:
// the pipe schema, the information fields and what an activation collected) and, when the
// visual layer installed a maker, the view that shows it.

#include "processing/TGVFinal.h"
#include "processing/graph3d/TGraph3DData.h"

#include <functional>
#include <memory>

namespace vorelt {

class IGraph3DView;

class TGVCPUGr3D : public TGVFinal, public IObj3DOwner {
public:
    // Creates the view through the factory, when one is installed.
    TGVCPUGr3D();
    ~TGVCPUGr3D() override;
    std::string ClassName() const override { return "TGVCPUGr3D"; }

    // The visual layer installs the maker of 3D views; without one (headless tools) the graph
    // has no view and keeps the view's saved parts as they were.
    using TViewFactory = std::function<std::unique_ptr<IFinalView>(TGVCPUGr3D&)>;
    static void SetViewFactory(TViewFactory factory);

    TGraph3DData& Data() { return FData; }
    const TGraph3DData& Data() const { return FData; }
    IGraph3DView* Graph3DView() const;

    // The view's caption; the name without view.
    std::string GetName() const override;
    // Collects the hits for the view (TGraph3DData::Collect with first hits only when located
    // and set); a failure goes into ErrorText.
    bool CollectRecords();

    // The base answer, and no object of the schema carries the number.
    bool IsNumberFree(int32_t n) const override;

    // "Field: <field name>[<processor name>]" for an information field.
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    // Information fields count only when not asked deep.
    bool DeclaresField(std::string_view id, bool deep) const override;
    void FieldChanged(std::string_view id) override;
    void RemoveField(std::string_view id) override;

    // The processor's items, "FirstHit", then the child "VisualClass" with the view.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // IObj3DOwner: the schema reports to the graph, which hands out project-wide IDs.
    void SchemaChanged(TAEOBJ3D& schema) override;
    std::string NewObjectID() override;
    int32_t NewIDGL() override;

protected:
    // Without view: 1 when there is no schema, else -1.
    int32_t ReadyWithoutView() override;

private:
    TGraph3DData FData;
    // The view's node as loaded, written back when there is no view.
    std::unique_ptr<TNodePersist> FViewNode;
    uint64_t FNumberState;
};

} // namespace vorelt
