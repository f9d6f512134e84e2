#pragma once
// What both kinds of graph axis share: the mapping between values and pixels on a linear or
// logarithmic scale, round tick steps (1, 2 or 5 times a power of ten) whose labels do not
// overlap, the marks, and the strip's thickness. The range itself is kept by the derived
// classes (typed field values, or floating-point properties). Text is measured through an
// ITextMetrics, so the whole layout runs without a display.

#include "persist/TGVProperties.h"
#include "persist/TPersistObject.h"
#include "processing/graph/TAxisScale.h"
#include "viewmodel/axes/TAixsLabel.h"
#include "viewmodel/canvas/ITextMetrics.h"

#include <memory>
#include <string>
#include <vector>

namespace vorelt {

// Axis kinds.
constexpr uint8_t akLeft = 0;
constexpr uint8_t akBottom = 1;
constexpr uint8_t akRight = 2;

// Scales.
constexpr uint8_t tsLinear = 0;
constexpr uint8_t tsLogarithmic = 1;

// Mark kinds.
constexpr uint8_t mkTick = 0;
constexpr uint8_t mkMajor = 1;
constexpr uint8_t mkMinor = 2;

// One tick mark; positions are pixels along the axis from its start (the bottom of vertical
// axes, the left of the bottom axis). Norm is the mark's place as a fraction of the current
// range, which grid lines take so that they are drawn through the plot's own mapping. Grid
// says whether a grid line goes through the mark: the major steps only, so that the grid stays
// quiet behind the data.
struct RecMarkAixs {
    uint8_t Kind = mkTick;
    std::string Text;
    int32_t LabelPos = 0;
    int32_t Pos = 0;
    long double Norm = 0;
    bool Grid = false;
};

// The paint box an axis draws on, beside the plot whose values the axis tells.
class IAixsStrip {
public:
    virtual ~IAixsStrip() = default;
    virtual int32_t StripWidth() const = 0;
    virtual int32_t StripHeight() const = 0;
    // The plot's length along the axis in pixels: the values are placed on the plot, so the
    // ticks are placed by its length. A strip beside no plot spans it itself.
    virtual int32_t PlotLength(bool vertical) const {
        return vertical ? StripHeight() : StripWidth();
    }
    // The strip's width (vertical axes) or height (bottom axis) in pixels.
    virtual void SetThickness(int32_t pixels) = 0;
    virtual void RepaintStrip() = 0;
};

// A tick step with the range widened to its multiples.
struct TAixsStep {
    long double Lo = 0;
    long double Hi = 0;
    long double Step = 0;
    // How many parts the minor ticks cut a step into (1: none).
    int32_t Divisions = 1;
    int32_t Count = 0;
    // Space a label takes along the axis, its gap to the next included.
    int32_t Need = 0;
};

class TAixsBase : public TPersistObject {
public:
    explicit TAixsBase(uint8_t kind = akLeft);
    ~TAixsBase() override;
    TAixsBase(const TAixsBase&) = delete;
    TAixsBase& operator=(const TAixsBase&) = delete;

    uint8_t Kind() const { return FKind; }
    void SetKind(uint8_t kind) { FKind = kind; }
    bool Vertical() const { return FKind != akBottom; }
    bool Enabled() const { return FEnabled; }
    bool AutoMin() const { return FAutoMin; }
    void SetAutoMin(bool v) { FAutoMin = v; }
    bool AutoMax() const { return FAutoMax; }
    void SetAutoMax(bool v) { FAutoMax = v; }
    uint8_t TypeScale() const { return FTypeScale; }
    void SetTypeScale(uint8_t s) { FTypeScale = s == tsLogarithmic ? tsLogarithmic : tsLinear; }
    bool Logarithmic() const { return FTypeScale == tsLogarithmic; }
    int32_t TypeMarkValue() const { return FTypeMarkValue; }
    void SetTypeMarkValue(int32_t v) { FTypeMarkValue = v; }
    bool ShowMarkValue() const { return FShowMarkValue; }
    void SetShowMarkValue(bool v) { FShowMarkValue = v; }
    TGVProperties& Properties() { return *FProperties; }
    const TGVProperties& Properties() const { return *FProperties; }
    std::string Legend() const;
    // The "Legend" property's alignment chooses where the caption goes.
    uint8_t LegendAlignment() const;
    int32_t Margin() const;

    IAixsStrip* Strip() const { return FStrip; }
    void SetStrip(IAixsStrip* strip) { FStrip = strip; }
    // Not owned; none gives an estimate from character counts at 96 pixels per inch.
    void SetTextMetrics(const ITextMetrics* metrics) { FMetrics = metrics; }
    const ITextMetrics& Metrics() const;

    // ---- What the derived classes know --------------------------------------------------
    // Whether the axis shows a quantity (a field; floating-point axes always do).
    virtual bool HasField() const = 0;
    // The current range; false while an end is empty.
    virtual bool CurrentRange(long double& lo, long double& hi) const = 0;
    virtual bool IntegerValues() const = 0;
    // The length of the axis' unit in seconds when it shows a time (its ticks then fall on
    // whole seconds, minutes and hours); 0 otherwise.
    virtual long double TimeUnitSeconds() const { return 0; }
    // Whether the graph holds data.
    virtual bool GraphActive() const = 0;
    // Whether the graph is still reading its records: no marks are missing yet.
    virtual bool GraphLoading() const { return false; }
    // The caption: the legend, or what the axis shows.
    virtual std::string Caption() const = 0;
    // Clears the marks and tells the graph that its settings changed.
    virtual void Changed(bool resetData);

    // ---- Mapping ----------------------------------------------------------------------------
    // The plot's length along the axis, in pixels (0 without a strip).
    int32_t PlotLength() const;
    // Pixels along the plot that the range spans: its length less 5.
    int32_t UsableLength() const;
    // A distance from CurMin (on a logarithmic axis a difference of decimal logarithms) as a
    // fraction of the range. A zero-width range gives 0, except for the maximum itself.
    long double Normalize(long double d) const { return Scale().Normalize(d); }
    TAxisScale Scale() const;
    // The pixel of a distance from CurMin along the axis, counted from the axis start behind the
    // plot's 2-pixel margin: the plot's own logical-to-device mapping of the value's place.
    int32_t ValueToPixel(long double d) const;
    // The same for a fraction of the range.
    int32_t FractionToPixel(long double fraction) const;
    long double PixelToValue(int32_t p) const;

    // ---- Marks ------------------------------------------------------------------------------
    // Linear step for the range in step.Lo .. step.Hi over `length` pixels: the roundest step
    // whose labels stand apart by their own extent and a gap, with at most MaxIntervals steps
    // and no fewer pixels between ticks than a reader separates at a glance. step.Lo and
    // step.Hi become multiples of the step around the range. False (count 0, range unchanged)
    // when the axis is too short for a single step.
    bool NiceStep(bool vertical, int32_t length, TAixsStep& step) const;
    static constexpr int32_t MaxIntervals = 10;
    // The gap between two labels along the axis, in pixels.
    int32_t LabelGap(bool vertical) const;
    // The same in decades for a logarithmic axis; step.Lo and step.Hi become powers of ten.
    bool NiceDecadeStep(bool vertical, int32_t length, TAixsStep& step) const;
    void BuildMarks();
    void ClearMarks() { FMarks.clear(); }
    int MarkCount() const { return static_cast<int>(FMarks.size()); }
    const RecMarkAixs& GetMark(int i) const { return FMarks[static_cast<size_t>(i)]; }
    const std::vector<RecMarkAixs>& Marks() const { return FMarks; }
    // Strip thickness in pixels: 4 mm, plus the widest (tallest) label and 3 mm while the
    // graph holds data; at least the Margin.
    int32_t Thickness() const;
    // Gives the strip its thickness and repaints it.
    virtual void UpdateLayout();
    int32_t MmToPixels(long double mm) const;

protected:
    void SetEnabledFlag(bool v) { FEnabled = v; }
    // Writes and reads the items both kinds share.
    void SaveCommon(TNodePersist& node) const;
    void LoadCommon(const TNodePersist& node);
    // The label extent of a value as drawn.
    TTextExtent LabelExtent(long double v) const;
    // A mark at the distance `d` from CurMin for the value text: labelled when the label fits
    // beside the plot, moved inwards where it would stick out past an end.
    RecMarkAixs LabelledMark(long double d, const std::string& text, uint8_t kind) const;
    // A plain tick at the distance `d` from CurMin.
    RecMarkAixs TickMark(long double d) const;

    uint8_t FKind;
    bool FEnabled = true;
    bool FAutoMin = false;
    bool FAutoMax = false;
    uint8_t FTypeScale = tsLinear;
    int32_t FTypeMarkValue = lfNative;
    bool FShowMarkValue = false;
    IAixsStrip* FStrip = nullptr;
    const ITextMetrics* FMetrics = nullptr;
    std::unique_ptr<TGVProperties> FProperties;
    std::vector<RecMarkAixs> FMarks;

private:
    void BuildLinearMarks(long double curMin, long double curMax);
    // Labels that came too close to a neighbour (moved in at an end) become plain ticks.
    void DropCrowdedLabels();
    void BuildLogMarks(long double curMin, long double curMax);
    void AddRoundLogLabels(long double curMin, long double curMax);
};

} // namespace vorelt
