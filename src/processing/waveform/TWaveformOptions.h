#pragma once
// The project's choices for the waveform features: which picker gives a hit's arrival time,
// and the bounds of the four frequency bands of the partial powers. They are saved with the
// project (node "WAVEFORM" of "PRJ"); a project saved before they existed gets the defaults.

#include <array>
#include <cstdint>
#include <string>

namespace vorelt {

class TGVCPU;
class TNodePersist;

// The picker of the arrival time; the numbers are what the project file keeps.
enum class TArrivalPicker : uint8_t {
    Hinkley = 0,             // Hinkley criterion, alpha 5
    Aic = 1,                 // Akaike information criterion
    EnergyRatio = 2,         // energy ratio, window 100 samples
    ModifiedEnergyRatio = 3, // modified energy ratio, window 100 samples
};
constexpr int ArrivalPickerCount = 4;

struct TWaveformOptions {
    static constexpr int BandCount = 4;
    static constexpr std::array<double, BandCount + 1> DefaultBounds = {0, 150, 300, 450, 1000};

    TArrivalPicker Picker = TArrivalPicker::Hinkley;
    // Band n (1..4) runs from Bounds[n - 1] to Bounds[n], in kHz.
    std::array<double, BandCount + 1> Bounds = DefaultBounds;

    bool operator==(const TWaveformOptions&) const = default;

    // The picker's name as people read it.
    static const char* PickerName(TArrivalPicker picker);
    // Bounds that start at 0 or above and rise strictly.
    static bool ValidBounds(const std::array<double, BandCount + 1>& bounds);

    // Items "Picker" and "Band0" .. "Band4" (kHz, decimal comma).
    void SaveToNode(TNodePersist& node) const;
    // Absent or unreadable items keep the defaults; bounds that do not rise are all replaced by
    // the defaults.
    void LoadFromNode(const TNodePersist& node);
};

// What the project offers the database processor.
class IProjectWaveformOptions {
public:
    virtual ~IProjectWaveformOptions() = default;
    virtual const TWaveformOptions* ProjectWaveformOptions() const = 0;
};

// The options of the project the processor's tree belongs to; the defaults without project.
const TWaveformOptions& FindWaveformOptions(TGVCPU& processor);

} // namespace vorelt
