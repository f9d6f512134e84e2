#pragma once
// The table processor: a final processor whose view lists every record that reaches it, one
// row per record, fetched again whenever a row is drawn. It owns what the table shows
// (TTableData) and a field set of its own with the running row number "NumRec".

#include "processing/TGVFinal.h"
#include "processing/filter/ILCOwner.h"
#include "processing/table/TTableData.h"

#include <functional>
#include <memory>

namespace vorelt {

inline constexpr char txtTableFields[] = "Table Fields";

class TGVCPUTbl : public TGVFinal, public ILCOwner {
public:
    // Creates the view through the factory, when one is installed.
    TGVCPUTbl();
    ~TGVCPUTbl() override;
    std::string ClassName() const override { return "TGVCPUTbl"; }

    // The visual layer installs the maker of table views; without one (headless tools) the
    // table has no view and keeps the view's saved node as it was.
    using TViewFactory = std::function<std::unique_ptr<IFinalView>(TGVCPUTbl&)>;
    static void SetViewFactory(TViewFactory factory);

    TTableData& Data() { return FData; }
    const TTableData& Data() const { return FData; }
    // The template of "NumRec" in the own set.
    TAEField* NumRecField() const;

    // Reads the record at `position` into `record`, then sets "NumRec" to `rowNumber`, or to
    // null when it is -1. False when the cursor reports an error.
    bool FetchRow(TAEPNav& nav, TAERecord& record, int32_t rowNumber, int32_t position);
    // Builds `record` for rows: it asks for the waveform features only when a column shows them
    // or the search condition tests them, so that a row costs no spectrum nobody looks at.
    // Call again when the columns or the search condition change.
    void PrepareRowRecord(TAERecord& record);

    // Kind settings, an empty own set with "NumRec" again, no columns, first-hit-only off.
    void Reset() override;

    // "Field: <column's field name>[<processor name>]" for a field a column shows.
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    bool DeclaresField(std::string_view id, bool deep) const override;
    void RemoveField(std::string_view id) override;

    // The processor's items, "FirstHit", then the child "VisualClass" with the view.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // ILCOwner (the search condition)
    std::string ConditionOwnerName() const override { return FName; }
    const TAEField* ConditionField(std::string_view id) const override { return FindField(id); }
    const TGVVariants* ConditionVariants() const override;
    // The search condition is not part of the settings: editing it changes nothing saved.
    void ConditionChanged(bool) override {}

protected:
    // Without view: 1 when there are no columns, else -1.
    int32_t ReadyWithoutView() override;

private:
    void DeclareFields();

    TTableData FData;
    // The view's node as loaded, written back when there is no view.
    std::unique_ptr<TNodePersist> FViewNode;
    // Where the row number field was found in the record read last: the layout stays while
    // rows are read, and a search by ID per row took a twentieth of an export.
    int FNumRecPos = -1;
};

} // namespace vorelt
