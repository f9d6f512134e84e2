#pragma once
// A field whose value is a reference to a list of channel numbers (counted from 1) that a
// driver or the criterion processor owns. Text, boolean and numeric access make no sense for
// it and raise "Invalid Operation".

#include "model/TAEField.h"

#include <vector>

namespace vorelt {

using TAEChannelList = std::vector<uint8_t>;

class TAEListIntegerField : public TAEField {
public:
    TAEListIntegerField() : TAEField(dtListInteger, NoCharSet(), vfList) {}
    std::string ClassName() const override { return "TAEListIntegerField"; }

    // The referenced list (not owned); none when null.
    const TAEChannelList* List() const { return FValue; }
    // Stores the reference (same as SetValueRaw).
    void SetList(const TAEChannelList* list) {
        if (!Writable()) return;
        FValue = list;
        FIsNull = false;
    }

    long double GetAsFloat() const final;
    int64_t GetAsInt64() const final;
    std::string GetAsString() const final { return std::string(); }
    bool GetAsBoolean() const final;
    void SetAsFloat(long double x) final;
    void SetAsInt64(int64_t n) final;
    void SetAsString(const std::string& s) final;
    void SetAsBoolean(bool b) final;
    // The list pointer itself, so that readers and raw copies get the list.
    const void* GetValuePtr() const final { return FValue; }
    void SetValueRaw(const void* source) final {
        SetList(static_cast<const TAEChannelList*>(source));
    }
    void Clear() final {
        if (!Writable()) return;
        FIsNull = true;
        FValue = nullptr;
    }
    std::unique_ptr<TAEField> Clone(int mode) const final;

private:
    const TAEChannelList* FValue = nullptr;
};

} // namespace vorelt
