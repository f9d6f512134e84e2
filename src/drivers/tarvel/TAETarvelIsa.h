#pragma once
// Driver of the data files of the ISA Tarvel board: u32 message types 0 to 5 with fixed body
// sizes, amplitudes from the channel table and the gain code that system messages change
// while the test runs.

#include "drivers/tarvel/TAETarvelDriver.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAETarvelIsa : public TAETarvelDriver {
public:
    explicit TAETarvelIsa(IDriverOwner* owner = nullptr);

    std::string ClassName() const override { return "TAETarvelIsa"; }
    static bool CanOpen(const std::string& fileName, std::string& message);
    static std::unique_ptr<TAEDriverDb> Create(IDriverOwner* owner);

    // ISA system-data subtype that sets a channel's gain code.
    static constexpr uint16_t SubtypeGain = 2;

    // The header and every gain message: the hits of a copy read their amplitudes with the
    // gains of the source.
    std::vector<int32_t> CopySetupPositions() const override;
    // Only a hit has a zero type word; the scan kept the runs of those that are zero throughout.
    bool IsEmptyMessage(size_t pos, const TDriverIndexItem& item) const override;

protected:
    size_t ScanBlock(const uint8_t* data, size_t size, uint64_t base,
                     TScanPart& part) const override;
    size_t MessageSpan(const uint8_t* p, size_t avail) const override;
    void StartPart(TScanPart& part, bool head) const override;
    void FinishTail(TScanPart& head, const TScanPart& tail, size_t from, size_t skip) override;
    bool TailNeedsTrueStart() const override { return true; }
    void PrepareScan() override;
    size_t MinMessageSize() const override { return 4 + 24; }
    size_t MaxMessageSize() const override { return 4 + 44; }
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const override;
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override;
    bool MessageTimes(int32_t first, int32_t count, const TFileView& view,
                      int64_t* times) const override;

private:
    void ReadHit(TAERecord& record, const uint8_t* body, const TDriverIndexItem& item);

    // 20 log10(F 1000 / R / K1 / K2) per channel record, worked out once per file.
    std::vector<long double> FAmplitudeOffset;
};

} // namespace vorelt
