#pragma once
// The source-location processor: below a location processor, it turns every located event of
// its parent's stream into one record, the event's first hit, carrying where the event's
// source lies (planar X and Y, or the position along a pipe), how well the arrival times fit
// that place, how many sensors took part, and how many located sources lie within a circle
// around it. Its own index i is event i; the sensor layout and the circle are its options.

#include "processing/TGVCPU.h"
#include "processing/location/TSensorLayout.h"
#include "processing/location/TSourceLocator.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vorelt {

// One located (or not locatable) event, as the views draw it.
struct TSourceEvent {
    int32_t ParentPos = 0; // the event's first hit in the parent's stream
    double TimeUs = 0;     // arrival at the first sensor
    double X = 0;          // mm
    double Y = 0;
    double Position = 0;
    double Uncertainty = 0;
    int32_t InCircle = 0;
    int32_t Hits = 0;
    int16_t SensorsUsed = 0;
    int16_t Pipe = -1; // index into Pipes(), -1 for none
    uint8_t Kind = 0;
    uint8_t EventFlags = 0;
    bool Located = false;
};

class IGraphAddOn;

class TGVCPUSourceLoc : public TGVSource {
public:
    // The visual layer installs the sensors-and-outline add-on of location plots once at
    // start-up; it offers itself to graphs of "Source Y" against "Source X".
    using TPlotAddOnFactory =
        std::function<IGraphAddOn*(TGVCPUSourceLoc& owner, IFinalView* graph)>;
    static void SetPlotAddOnFactory(TPlotAddOnFactory factory);

    TGVCPUSourceLoc();
    ~TGVCPUSourceLoc() override;

    std::string ClassName() const override { return "TGVCPUSourceLoc"; }

    // --- Settings (the caller calls Changed after a change) --------------------------------
    const TSensorLayout& Layout() const { return FLayout; }
    void SetLayout(const TSensorLayout& layout);
    double CircleDiameter() const { return FDiameter; } // mm
    // A diameter that is not a positive number is refused.
    bool SetCircleDiameter(double mm);

    // --- Results --------------------------------------------------------------------------
    // Computes when needed; false when the computation failed (ErrorText says why).
    bool EnsureComputed();
    const std::vector<TSourceEvent>& Events() const { return FEvents; }
    const std::vector<std::string>& Pipes() const { return FPipes; }

    // --- Processor base -------------------------------------------------------------------
    // The parent's add-ons, then the location plot's sensors from the factory.
    void CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) override;
    void Reset() override;
    void Changed(bool propagate) override;
    void Dispatch(TAEOMSG& msg) override;
    void ListToParent(std::vector<int32_t>& list) const override;
    void ListFromParent(std::vector<int32_t>& list) const override;

    void Restart() override { Discard(); }
    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;

    // Base items, then child node "SourceLocation": "Diameter" and the sensor layout.
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

private:
    void Discard();
    void DeclareFields();
    bool Compute(std::string& error);
    bool Ready(TAEPNav& nav);
    // The message kind and event flags of event i, for the cursor moves.
    std::pair<uint8_t, uint8_t> EntryAt(int32_t i) const {
        const TSourceEvent& e = FEvents[static_cast<size_t>(i)];
        return {e.Kind, e.EventFlags};
    }
    int32_t Count() const { return static_cast<int32_t>(FEvents.size()); }

    TSensorLayout FLayout;
    double FDiameter = DefaultClusterDiameter;
    std::vector<TSourceEvent> FEvents;
    std::vector<std::string> FPipes;
    bool FComputed = false;

    // Positions of the own fields in a consumer's record, found again when its layout changes.
    static constexpr int SourceFieldCount = 8;
    struct TFieldCache {
        uint64_t Stamp = 0;
        const TAERecord* Record = nullptr;
        TAEField* Fields[SourceFieldCount] = {};
    };
    TFieldCache FCache;
};

} // namespace vorelt
