#pragma once
// The math processor: adds calculated fields to the records that pass through it. A field is
// either an expression evaluated per record or a statistical function over the stream (per
// group of records when grouping is on). All values are computed once, in one forward pass
// over the parent (plus a second pass when expressions refer to this processor's own fields),
// kept in a list of their own and served to the children with the processor's own positions.

#include "processing/TGVCPU.h"
#include "processing/expr/IExprOwner.h"
#include "processing/expr/TExprValue.h"
#include "processing/math/TAEStatFunc.h"
#include "processing/math/TChunkedArray.h"
#include "processing/math/TGVComputedList.h"
#include "processing/math/TStatFormParam.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAEExpresion;

class TGVCPUPrc : public TGVComputedList, public IExprOwner, private IStatSlotLookup {
public:
    TGVCPUPrc();
    ~TGVCPUPrc() override;
    std::string ClassName() const override { return "TGVCPUPrc"; }

    bool OnlyFirstHit() const { return FOnlyFirstHit; }
    void SetOnlyFirstHit(bool on) { FOnlyFirstHit = on; }
    // Stored and edited, no effect on processing.
    bool EnabledCode() const { return FEnabledCode; }
    void SetEnabledCode(bool on) { FEnabledCode = on; }

    // --- Calculated fields ----------------------------------------------------------------
    // Appends a field of the type with an empty tree owned by this processor; the ID comes
    // from the project's generator when there is one. None for types that cannot be
    // calculated.
    TAEField* AddCalcField(uint8_t dataType, const std::string& name);
    static TAEExpresion* FieldExpresion(const TAEField& field);
    // Compiles `text` into the field's tree (root code 13); false with the compiler's message.
    bool SetFieldExpression(TAEField& field, const std::string& text, std::string& error);
    // Replaces the field's tree by the function form (root code 2).
    void SetFieldFunction(TAEField& field, const std::string& functionName,
                          const std::string& groupFieldID,
                          const std::vector<TStatFormParam>& params);
    static const std::vector<std::string>& FunctionNames() { return StatFunctionNames(); }

    // --- Computed state -------------------------------------------------------------------
    // The function instance of the current computation for calculated field i; none for
    // expression fields or before a computation.
    const TAEStatFunc* FunctionOf(int fieldIndex) const;
    // Bytes held by the computed list.
    size_t ComputedBytes() const;

    // --- Processor ------------------------------------------------------------------------
    void Reset() override;
    void Dispatch(TAEOMSG& msg) override;
    void ListToParent(std::vector<int32_t>& list) const override;
    void ListFromParent(std::vector<int32_t>& list) const override;
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    bool DeclaresField(std::string_view id, bool deep) const override;
    void FieldChanged(std::string_view id) override;
    void RemoveField(std::string_view id) override;

    // "EnabledCode" and "FirstHit" after the processor's own items.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;
    // A record read through this processor is the parent's with the computed values written:
    // the values are computed beforehand, on a record of its own.
    bool WidenDemand(const TAERecord&, std::vector<uint8_t>&) const override { return true; }

    // --- IExprOwner -----------------------------------------------------------------------
    std::string ExprFieldID(std::string_view name) const override;
    TGVVariants* ExprVariants() const override;
    std::string ExprOwnerName() const override { return GetName(); }

private:
    struct TEntry {
        int32_t Position = 0;
        uint8_t Kind = 0;
        uint8_t Flags = 0;
    };
    enum class TFieldPlan : uint8_t { None, Function, Expression };

    TExprValue* StatSlot(int fieldIndex, int32_t recordIndex) override;

    bool Transparent() const { return FOwnFields.Count() == 0; }
    void Compute() final;
    void Discard() final;
    // Parent's record at the entry's position, then the calculated fields from the slots.
    void ReadEntry(TAEPNav& nav, TAERecord& record, int32_t index);
    // A field's tree refers to id (expression references, function parameters and the
    // grouping field).
    static bool TreeRefersTo(const TAEExpresion* tree, std::string_view id);
    bool UsesZIP() const final;
    std::pair<uint8_t, uint8_t> EntryAt(int32_t i) const {
        const TEntry& e = FEntries[static_cast<size_t>(i)];
        return {e.Kind, e.Flags};
    }
    int32_t EntryCount() const final { return static_cast<int32_t>(FEntries.Size()); }
    void AttachTrees();

    bool FOnlyFirstHit = false;
    bool FEnabledCode = false;

    int FSlotCount = 0; // calculated fields of the computation
    int FOwnBase = 0;   // flat position of the first calculated field
    TChunkedArray<TEntry> FEntries;
    TChunkedArray<TExprValue> FValues;                    // FSlotCount per entry
    std::vector<std::unique_ptr<TAEStatFunc>> FFunctions; // per calculated field; none for others
    std::vector<TFieldPlan> FPlans;
};

} // namespace vorelt
