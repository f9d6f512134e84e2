#pragma once
// A root source that holds its records in memory: kinds, record flags, event flags and field
// values by flat position. It answers the cursor protocol exactly as a database processor
// does, so processors can be tested and measured without data files.

#include "processing/TGVCPU.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TGVCPUMemorySource : public TGVSource {
public:
    TGVCPUMemorySource();
    std::string ClassName() const override { return "TGVCPUMemorySource"; }

    // The source's field sets, which begin every layout below it (like a driver's sets).
    TAEFields* AddSourceSet(std::unique_ptr<TAEFields> set);
    int SourceSetCount() const { return static_cast<int>(FSourceSets.size()); }
    TAEFields* SourceSet(int i) const;
    // Total number of fields of the source sets (flat positions 0 .. n-1).
    int SourceFieldCount() const;

    void SetState(uint8_t state) { FState = state; }
    uint8_t GetSourceState() override { return FState; }

    // Records. Values are null until set; flat positions beyond the source sets are ignored.
    void Reserve(int32_t count);
    // Appends a record and returns its index.
    int32_t AddRecord(uint8_t kind, uint8_t recFlags = 0, uint8_t eventFlags = 0);
    // Appends `count` records of one kind.
    void AddRecords(int32_t count, uint8_t kind);
    int32_t Count() const { return static_cast<int32_t>(FKinds.size()); }
    uint8_t KindAt(int32_t index) const { return FKinds[static_cast<size_t>(index)]; }
    void SetRecFlags(int32_t index, uint8_t flags);
    void SetEventFlags(int32_t index, uint8_t flags);
    void SetValue(int32_t index, int flatPos, long double value);
    void SetString(int32_t index, int flatPos, const std::string& value);
    void ClearRecords();

    void GetFields(TAEListFields* layout, bool excludeOwn) const override;
    TAEField* FindField(std::string_view id) const override;
    bool IsIDFree(std::string_view id) const override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;

private:
    struct TColumn {
        bool IsString = false;
        std::vector<long double> Numbers;
        std::vector<std::string> Texts;
        std::vector<uint8_t> Present;
    };
    TColumn& ColumnAt(int flatPos, bool isString);
    void Positioned(TAEPNav& nav, int32_t index) const;
    bool OutOfRange(TAEPNav& nav, int32_t index) const;

    std::vector<std::unique_ptr<TAEFields>> FSourceSets;
    std::vector<uint8_t> FKinds;
    std::vector<uint8_t> FRecFlags;
    std::vector<uint8_t> FEventFlags;
    std::vector<TColumn> FColumns; // by flat position; created when first set
    uint8_t FState = 9;
};

} // namespace vorelt
