#pragma once
// An axis of a 2D graph, bound to one field of the records. Its configured range (Min, Max)
// and current range (CurMin, CurMax, which zooming changes) are values of the field's own
// class, so integer fields keep integer ranges.

#include "model/TAEField.h"
#include "viewmodel/axes/TAixsBase.h"

#include <memory>
#include <string>

namespace vorelt {

// What an axis needs of its graph.
class IAixsGraph {
public:
    virtual ~IAixsGraph() = default;
    // Whether the graph holds data.
    virtual bool AixsGraphActive() const = 0;
    // Whether the graph is reading its records: its axes have no range yet.
    virtual bool AixsGraphLoading() const { return false; }
    // The graph's settings changed; ResetData also empties it.
    virtual void SetModified(bool resetData) = 0;
    // A field available at the graph's processor, none when there is no such field.
    virtual const TAEField* FindAixsField(const std::string& fieldId) const = 0;
};

class TGrAixs : public TAixsBase {
public:
    explicit TGrAixs(IAixsGraph* graph = nullptr, uint8_t kind = akLeft);
    ~TGrAixs() override;
    std::string ClassName() const override { return "TGrAixs"; }

    IAixsGraph* Graph() const { return FGraph; }
    void SetGraph(IAixsGraph* graph) { FGraph = graph; }

    const std::string& FieldId() const { return FFieldId; }
    // An empty id clears the field; an id the graph's processor has binds the axis to it with
    // empty ranges of the field's class; an unknown id changes nothing.
    void SetFieldId(const std::string& id);
    void ClearField();
    // An axis loaded with a field ID but without saved values takes empty ranges of the
    // field's class, keeping its other settings; false when the graph has no such field.
    bool RebindField();
    // Clears the axis when its field goes.
    void FieldRemoved(const std::string& id);
    // Turning the axis off clears it.
    void SetEnabled(bool v);

    TAEField* Min() const { return FMin.get(); }
    TAEField* Max() const { return FMax.get(); }
    TAEField* CurMin() const { return FCurMin.get(); }
    TAEField* CurMax() const { return FCurMax.get(); }
    // Replace the configured values (with fresh current values of the same class).
    void SetMin(std::unique_ptr<TAEField> value);
    void SetMax(std::unique_ptr<TAEField> value);

    // ---- Range collection -----------------------------------------------------------------
    // Empties the automatic ends before the data.
    void ResetAuto();
    // One plotted value; a logarithmic axis leaves non-positive values out.
    void AddValue(long double x);
    void AddCurrentValue(long double x);
    // Makes Min < Max after the data; empty current ends take the configured ones.
    void FinishRange();
    // The current range as drawn: automatic ends get a margin around the data they reached,
    // rounded outward, so that nothing plotted lies on the frame; fixed ends stay as typed.
    // Running it again gives the same range.
    void FinishCurrentRange();
    // Empties CurMax, so that the next current values decide it.
    void EmptyCurrentMax();
    // The floating-point rules for any pair.
    static void WidenRange(long double& a, long double& b);

    bool HasField() const override { return !FFieldId.empty() && FMin && FMax; }
    bool CurrentRange(long double& lo, long double& hi) const override;
    bool IntegerValues() const override;
    long double TimeUnitSeconds() const override;
    bool GraphActive() const override { return FGraph && FGraph->AixsGraphActive(); }
    bool GraphLoading() const override { return FGraph && FGraph->AixsGraphLoading(); }
    // The legend; otherwise the field's display name and " ( " unit " )" when it has a unit.
    std::string Caption() const override;
    void Changed(bool resetData) override;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

private:
    // An empty value of the class of `like`.
    static std::unique_ptr<TAEField> EmptyLike(const TAEField& like);
    // An empty current value for a field like `like`: extended for whole-number fields.
    static std::unique_ptr<TAEField> CurrentLike(const TAEField& like);
    void Finish(TAEField& lo, TAEField& hi);
    // The data the current range reached at its automatic ends, before the margin.
    struct TReach {
        bool Known = false;
        long double Value = 0;
    };
    TReach FReachLo;
    TReach FReachHi;

    IAixsGraph* FGraph;
    std::string FFieldId;
    std::unique_ptr<TAEField> FMin;
    std::unique_ptr<TAEField> FMax;
    std::unique_ptr<TAEField> FCurMin;
    std::unique_ptr<TAEField> FCurMax;
};

} // namespace vorelt
