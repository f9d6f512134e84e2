#pragma once
// Driver of the data files of the PCI Tarvel board: u16 type and u16 length before every body,
// amplitude scale, gain and two energy coefficient sets per channel record, time marks and
// untimed text marks.

#include "drivers/tarvel/TAETarvelDriver.h"

#include <memory>
#include <string>

namespace vorelt {

class TAETarvelPci : public TAETarvelDriver {
public:
    explicit TAETarvelPci(IDriverOwner* owner = nullptr);

    std::string ClassName() const override { return "TAETarvelPci"; }
    // Types 0 to 7 (4 is noise, like 2).
    bool IsKnownMessage(const TDriverIndexItem& item) const override {
        return item.Kind == ikHeader || item.Kind <= 7;
    }
    // The type and length words lead the message: both zero leave no body.
    bool IsEmptyMessage(size_t, const TDriverIndexItem& item) const override {
        return item.Kind != ikHeader && item.Extra == 0 && item.Size == 0;
    }
    static bool CanOpen(const std::string& fileName, std::string& message);
    static std::unique_ptr<TAEDriverDb> Create(IDriverOwner* owner);

    // Item kind that stands for a message whose type has the low byte 255, which would
    // otherwise read as the header item; the type word itself is kept in the item's Extra.
    static constexpr uint8_t KindOther255 = 254;

protected:
    size_t ScanBlock(const uint8_t* data, size_t size, uint64_t base,
                     TScanPart& part) const override;
    size_t MessageSpan(const uint8_t* p, size_t avail) const override;
    size_t MinMessageSize() const override { return 4; }
    size_t MaxMessageSize() const override { return 4 + 65535; }
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const override;
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override;
    bool MessageTimes(int32_t first, int32_t count, const TFileView& view,
                      int64_t* times) const override;

private:
    void ReadHit(TAERecord& record, const uint8_t* body, uint32_t size, bool longForm);
    std::string FMarkText;
};

} // namespace vorelt
