#pragma once
// The base of graph series: per-point flags (selected, deleted, channel hidden, marked),
// look-ups of record positions, per-channel colours. Series are never hit by a click; a
// double click on the empty plot asks them for the point under the mouse instead.

#include "viewmodel/drawables/TBaseAEVObject.h"
#include "viewmodel/drawables/TShiftAEVObject.h"

#include <vector>

namespace vorelt {

class TGraphAEVObject : public TBaseAEVObject {
public:
    TGraphAEVObject();
    std::string ClassName() const override { return "TGraphAEVObject"; }

    // A double click on the empty plot becomes event 3.
    void Dispatch(TAEVMessage& msg) override;
    // Scans the points from the last to the first for one within the tolerance.
    void FindPointAt(THitInfo& info) override;
    void ClearValues() override;

    virtual void ClearIndex() {}
    virtual void SetColor(TColor c) = 0;
    virtual TColor GetColor() const = 0;

    bool IsSelected(int index) const { return HasPointFlag(index, pfSelected); }
    using TBaseAEVObject::SetSelected;
    void SetSelected(int index, bool value) { SetPointFlag(index, pfSelected, value); }
    bool IsDeleted(int index) const { return HasPointFlag(index, pfDeleted); }
    void SetDeleted(int index, bool value) { SetPointFlag(index, pfDeleted, value); }
    bool IsChannelHidden(int index) const { return HasPointFlag(index, pfChannelHidden); }
    void SetChannelHidden(int index, bool value) { SetPointFlag(index, pfChannelHidden, value); }
    bool IsMarked(int index) const { return HasPointFlag(index, pfMarked); }
    void SetMarked(int index, bool value) { SetPointFlag(index, pfMarked, value); }

    // Point series act on these; lines and histograms ignore them.
    virtual void SortIndex() {}
    virtual void SelectPositions(const std::vector<int32_t>&, bool) {}
    // The index of the point of the position, or -1 when the series has none.
    virtual int MarkPosition(int32_t, bool) { return -1; }
    virtual void DeletePositions(const std::vector<int32_t>&, bool) {}

    // Binary search over the record positions (points are appended in position order).
    int FindPosition(int32_t position) const;

    TShiftAEVObject& ChannelColors() { return FChannelColors; }
    const TShiftAEVObject& ChannelColors() const { return FChannelColors; }
    void ApplyToPoints() { FChannelColors.ApplyToPoints(); }

protected:
    bool HasPointFlag(int index, uint8_t bit) const {
        return FPoints.Valid(index) && FPoints.HasFlag(index, bit);
    }
    void SetPointFlag(int index, uint8_t bit, bool value) {
        if (FPoints.Valid(index)) FPoints.SetFlag(index, bit, value);
    }
    // Sets or clears `bit` on the points of the positions found.
    void FlagPositions(const std::vector<int32_t>& positions, uint8_t bit, bool value);
    // The colour of every channel (the series colour for channels not listed) and whether
    // the channel colours list it.
    void ChannelTable(std::array<TColor, 256>& colours, std::array<uint8_t, 256>& listed) const {
        FChannelColors.BuildTable(colours, listed, GetColor());
    }

    TShiftAEVObject FChannelColors{this};
};

} // namespace vorelt
