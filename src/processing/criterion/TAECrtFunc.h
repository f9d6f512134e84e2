#pragma once
// Criterion functions: per-channel accumulations over the records that reach a criterion
// field ("Min", "Max", "Avg", "Sum" of a field, and "ZIP", the zone of a channel's maximum
// severity and historic index), with named outputs that link fields can present.

#include "processing/expr/TExprValue.h"
#include "processing/math/TAEStatFunc.h"
#include "processing/math/TAEStatFuncParam.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TAERecord;
class TGVCPU;

// Declared kinds of outputs.
constexpr uint8_t okTypeOfArgument = 0;
constexpr uint8_t okInteger = 1;
constexpr uint8_t okExtended = 2;
constexpr uint8_t okBoolean = 3;
constexpr uint8_t okString = 4;

// The text shown for a declared kind: "Type Of Argument", "Integer", "Extended", "Boolean",
// "String".
const char* OutputKindName(uint8_t kind);

class TAECrtFuncParamOut {
public:
    TAECrtFuncParamOut(std::string name, uint8_t kind) : FName(std::move(name)), FKind(kind) {}
    const std::string& Name() const { return FName; }
    uint8_t DeclaredKind() const { return FKind; }
    // Field data type code, set at Start.
    uint8_t DataType() const { return FDataType; }
    void SetDataType(uint8_t t) { FDataType = t; }

private:
    std::string FName;
    uint8_t FKind;
    uint8_t FDataType = 0;
};

class TAECrtFuncParamsOut {
public:
    TAECrtFuncParamOut& Add(std::string name, uint8_t kind) {
        FItems.emplace_back(std::move(name), kind);
        return FItems.back();
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    TAECrtFuncParamOut& Items(int i) { return FItems[static_cast<size_t>(i)]; }
    const TAECrtFuncParamOut& Items(int i) const { return FItems[static_cast<size_t>(i)]; }
    const TAECrtFuncParamOut* Find(std::string_view name) const;

private:
    std::vector<TAECrtFuncParamOut> FItems;
};

inline constexpr char txtResultFunction[] = "Result_Function";
inline constexpr char txtMaxSeverityOut[] = "Max_Severity_Out";
inline constexpr char txtMaxHistoricIndexOut[] = "Max_Historic_Index_Out";
inline constexpr char txtZIPIntOut[] = "ZIP_Int_Out";

class TAECrtFunc {
public:
    explicit TAECrtFunc(TGVCPU* owner) : FOwner(owner) {}
    TAECrtFunc(const TAECrtFunc&) = delete;
    TAECrtFunc& operator=(const TAECrtFunc&) = delete;
    virtual ~TAECrtFunc() = default;

    const std::string& Description() const { return FDescription; }
    TAEStatFuncParams& Params() { return FParams; }
    const TAEStatFuncParams& Params() const { return FParams; }
    const TAECrtFuncParamsOut& Outputs() const { return FOutputs; }

    // Frees the per-channel accumulators.
    virtual void Reset() { FChannels.Clear(); }
    // Reset; resolves the parameters and the channel field to flat positions of the record's
    // layout and sets the outputs' data types.
    virtual void Start(const TAERecord& record);
    // Accumulates the record into its channel; false when it has no value to take.
    virtual bool Calculate(const TAERecord& record) = 0;
    // The function's result for the channel; false when the channel has none.
    virtual bool GetResult(int64_t channel, TExprValue& value) const = 0;
    // The named output for the channel; false for unknown names and channels without value.
    virtual bool GetOutput(int64_t channel, TExprValue& value, std::string_view name) const;
    virtual std::string GetName() const = 0;
    // The output after `name`; the first for an empty name; empty after the last.
    std::string NextOutputName(std::string_view name) const;

    const TStatGroups& Channels() const { return FChannels; }

protected:
    int64_t ChannelOf(const TAERecord& record) const;
    // v rounded (ties to even) for integer types, as is for float types; false otherwise.
    static bool SetTyped(TExprValue& value, uint8_t dataType, long double v);

    TGVCPU* FOwner;
    std::string FDescription;
    TAEStatFuncParams FParams;
    TAECrtFuncParamsOut FOutputs;
    TStatGroups FChannels;
    int FChanPos = -1;
};

class TCrtFuncRunning : public TAECrtFunc {
public:
    TCrtFuncRunning(TGVCPU* owner, const char* description);
    bool Calculate(const TAERecord& record) final;
    bool GetResult(int64_t channel, TExprValue& value) const final;

protected:
    virtual void Take(TStatAccumulator& a, long double x) const = 0;
    virtual long double ResultOf(const TStatAccumulator& a) const { return a.Value; }
};

class TCrtFuncMinimum final : public TCrtFuncRunning {
public:
    explicit TCrtFuncMinimum(TGVCPU* owner) : TCrtFuncRunning(owner, "Min(x1...xN)") {}
    std::string GetName() const override { return "Min"; }

protected:
    void Take(TStatAccumulator& a, long double x) const override;
};

class TCrtFuncMaximum final : public TCrtFuncRunning {
public:
    explicit TCrtFuncMaximum(TGVCPU* owner) : TCrtFuncRunning(owner, "Max(x1...xN)") {}
    std::string GetName() const override { return "Max"; }

protected:
    void Take(TStatAccumulator& a, long double x) const override;
};

class TCrtFuncAverage final : public TCrtFuncRunning {
public:
    explicit TCrtFuncAverage(TGVCPU* owner)
        : TCrtFuncRunning(owner, "Avg(Sum(x1...xN)/Count(x1...xN))") {}
    std::string GetName() const override { return "Avg"; }

protected:
    void Take(TStatAccumulator& a, long double x) const override;
    long double ResultOf(const TStatAccumulator& a) const override {
        return a.Value / static_cast<long double>(a.Count);
    }
};

class TCrtFuncSummary final : public TCrtFuncRunning {
public:
    explicit TCrtFuncSummary(TGVCPU* owner) : TCrtFuncRunning(owner, "Sum(x1...xN)") {}
    std::string GetName() const override { return "Sum"; }

protected:
    void Take(TStatAccumulator& a, long double x) const override;
};

class TCrtFuncZip final : public TAECrtFunc {
public:
    explicit TCrtFuncZip(TGVCPU* owner);
    std::string GetName() const override { return "ZIP"; }
    void Start(const TAERecord& record) override;
    bool Calculate(const TAERecord& record) override;
    // The zone name of the channel's maxima; false when no zone contains the point.
    bool GetResult(int64_t channel, TExprValue& value) const override;
    bool GetOutput(int64_t channel, TExprValue& value, std::string_view name) const override;

private:
    // Zone index and name of the channel; -1 when none.
    int Zone(const TStatAccumulator& a, std::string* name) const;
    const TStatAccumulator* Values(int64_t channel) const;

    const TAEStatFuncParam* FSeverity = nullptr;
    const TAEStatFuncParam* FHistoric = nullptr;
};

// "Min", "Max", "Avg", "Sum", "ZIP".
const std::vector<std::string>& CrtFunctionNames();
// None for unknown names (case-insensitive).
std::unique_ptr<TAECrtFunc> CreateCrtFunc(std::string_view name, TGVCPU* owner);

} // namespace vorelt
