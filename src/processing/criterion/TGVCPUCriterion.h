#pragma once
// The criterion processor: turns its parent's hit stream into one record per AE channel
// (record kind 9). Each criterion field accumulates a criterion function over the channel's
// records, optionally restricted to test sections, first hits of located events and a
// condition, and presents the result, the result through a weight table, an expression over
// the channel's record, or an output of another field's function.
//
// Its records are channel summaries, not records of the data file: their positions are
// indices into the channel array. Requests to delete or select them are refused, since the
// parent would take those indices for record positions.

#include "model/TAERecord.h"
#include "processing/TGVCPU.h"
#include "processing/criterion/TAECrtFunc.h"
#include "processing/expr/IExprOwner.h"
#include "processing/expr/TExprValue.h"
#include "processing/filter/ILCOwner.h"
#include "processing/math/TGVComputedList.h"
#include "processing/math/TStatFormParam.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class IFinalView;
class IGraphAddOn;
class TAECriterion;

inline constexpr char txtCriterionRecordsRefused[] =
    "Criterion records summarise channels: they cannot be deleted or selected";

class TGVCPUCriterion : public TGVComputedList, public IExprOwner, public ILCOwner {
public:
    // The visual layer installs the zone-diagram add-on for a graph once at start-up.
    using TZipAddOnFactory = std::function<IGraphAddOn*(TGVCPUCriterion& owner, IFinalView* graph)>;
    static void SetZipAddOnFactory(TZipAddOnFactory factory);

    TGVCPUCriterion();
    ~TGVCPUCriterion() override;

    // Whether a graph with these left and bottom fields gets the zone diagram: a criterion
    // field computes "ZIP" as its result, the left field is a link to its maximum severity
    // and the bottom field a link to its maximum historic index.
    bool OffersZip(std::string_view leftId, std::string_view bottomId) const;
    // The parent's add-ons, then the zone diagram from the factory.
    void CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) override;
    std::string ClassName() const override { return "TGVCPUCriterion"; }

    // The output set "Database Fields" (Chan, IndexRec, Deleted, Selected, ...).
    TAEFields& OutFields() { return FOutFields; }
    const TAEFields& OutFields() const { return FOutFields; }

    // Appends a criterion field of the type with a new criterion (TypeResult `typeResult`);
    // the ID comes from the project's generator when there is one.
    TAEField* AddCriterionField(uint8_t dataType, const std::string& name, int32_t typeResult = 0);
    static TAECriterion* CriterionOf(const TAEField& field);
    // Function form of a criterion: name and parameters (field ID or constant text).
    using TFormParam = TStatFormParam;
    void SetFunction(TAEField& field, const std::string& functionName,
                     const std::vector<TFormParam>& params);
    // Link of `field` to output `output` of the function of criterion field `source`.
    void SetLink(TAEField& field, const TAEField& source, const std::string& output);
    // Weight table rows: operator, value, weight.
    struct TWeightRow {
        std::string Op;
        std::string Value;
        std::string Weight;
    };
    void SetWeights(TAEField& field, const std::vector<TWeightRow>& rows);
    // Compiles the Result expression (TypeResult 2); false with the compiler's message.
    bool SetResultExpression(TAEField& field, const std::string& text, std::string& error);
    static const std::vector<std::string>& FunctionNames() { return CrtFunctionNames(); }

    // The function instance of criterion field i in the current computation.
    const TAECrtFunc* FunctionOf(int fieldIndex) const;

    // --- Processor ------------------------------------------------------------------------
    void Reset() override;
    // Not excluding own: "Database Fields" then "Criterion Fields", nothing of the parent;
    // excluding own: the parent's full layout (the input fields).
    void GetFields(TAEListFields* layout, bool excludeOwn) const override;
    TAEField* FindField(std::string_view id) const override;
    bool IsIDFree(std::string_view id) const override;
    bool IsNameFree(std::string_view name) const override;
    TPersistObject* FindByID(std::string_view id) override;
    void AssignIDs(bool renew, IIDGenerator& generator) override;
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    bool DeclaresField(std::string_view id, bool deep) const override;
    void FieldChanged(std::string_view id) override;
    void RemoveField(std::string_view id) override;
    void Dispatch(TAEOMSG& msg) override;
    // Own positions are channel indices: nothing of them goes up, nothing of the parent's
    // positions comes down.
    void ListToParent(std::vector<int32_t>& list) const override { list.clear(); }
    void ListFromParent(std::vector<int32_t>& list) const override { list.clear(); }

    void LoadFromNode(const TNodePersist& node) override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;

    // --- IExprOwner / ILCOwner ------------------------------------------------------------
    std::string ExprFieldID(std::string_view name) const override;
    TGVVariants* ExprVariants() const override;
    std::string ExprOwnerName() const override { return GetName(); }
    std::string ConditionOwnerName() const override { return FName; }
    const TAEField* ConditionField(std::string_view id) const override;
    const TGVVariants* ConditionVariants() const override;
    void ConditionChanged(bool propagate) override { Changed(propagate); }

private:
    void DeclareOutFields();
    void AttachCriteria();
    void Compute() final;
    void Discard() final;
    void ReadEntry(TAEPNav& nav, TAERecord& record, int32_t index);
    bool UsesZIP() const final;
    std::pair<uint8_t, uint8_t> EntryAt(int32_t) const { return {rkCriterion, 0}; }
    int32_t EntryCount() const final { return static_cast<int32_t>(FChannels.size()); }

    TAEFields FOutFields;
    std::vector<uint8_t> FChannels;  // channel of each output record
    std::vector<TExprValue> FValues; // one slot per criterion field per output record
    int FSlotCount = 0;
    std::vector<std::unique_ptr<TAECrtFunc>> FFunctions; // per criterion field
    TAERecord FParentRecord; // the parent's records, in the parent's layout
    // Flat positions in this processor's layout.
    int FPosChan = -1, FPosIndexRec = -1, FPosDeleted = -1, FPosSelected = -1, FOwnBase = 0;
};

} // namespace vorelt
