#pragma once
// The float texts of one column of a dump, remembered by the bits of their values: levels,
// thresholds and decibels repeat from record to record, and copying a text is several times
// cheaper than writing its digits. A column whose values rarely repeat (times, counts) shows
// that within its first values and is then written directly, without the look-up.

#include "persist/TNumberFormat.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace vorelt::cli {

class TFloatTextCache {
public:
    // The text of WriteFloatText(out, x) with 15 digits at `out`, which has room for
    // NumberTextCapacity bytes; returns the end.
    char* Write(char* out, const long double& x) {
        if (FOff) return WriteFloatText(out, x);
        uint64_t mantissa;
        uint16_t signExp;
        std::memcpy(&mantissa, &x, sizeof mantissa);
        std::memcpy(&signExp, reinterpret_cast<const char*>(&x) + 8, sizeof signExp);
        if (!FEntries) FEntries.reset(new TEntry[size_t{1} << SlotBits]());
        const uint64_t key =
            (mantissa ^ (mantissa >> 29) ^ (uint64_t{signExp} << 17)) * 0x9E3779B97F4A7C15ULL;
        TEntry& e = FEntries[key >> (64 - SlotBits)];
        if (e.Size != 0 && e.Mantissa == mantissa && e.SignExp == signExp) {
            std::memcpy(out, e.Text, sizeof e.Text);
            if (FLooks < TrialValues) ++FHits, ++FLooks;
            return out + e.Size;
        }
        char* const end = WriteFloatText(out, x);
        const auto size = static_cast<size_t>(end - out);
        if (size <= sizeof e.Text) {
            e.Mantissa = mantissa;
            e.SignExp = signExp;
            e.Size = static_cast<uint8_t>(size);
            std::memcpy(e.Text, out, sizeof e.Text);
        }
        if (FLooks < TrialValues && ++FLooks == TrialValues && FHits < TrialValues / 4 * 3) {
            FOff = true;
            FEntries.reset();
        }
        return end;
    }

private:
    // Small enough to stay in the processor cache beside the output: a look-up that has to
    // go further costs as much as writing the digits.
    static constexpr int SlotBits = 11;
    static constexpr uint32_t TrialValues = 8192;

    struct TEntry {
        uint64_t Mantissa;
        uint16_t SignExp;
        uint8_t Size; // 0: empty
        char Text[21];
    };
    static_assert(sizeof(TEntry) == 32);
    static_assert(NumberTextCapacity >= sizeof(TEntry::Text));

    std::unique_ptr<TEntry[]> FEntries;
    uint32_t FLooks = 0;
    uint32_t FHits = 0;
    bool FOff = false;
};

} // namespace vorelt::cli
