#pragma once
// One series of a 2D graph: which records it plots (its side, its own condition, deleted
// records or not), how it bins them for line graphs and histograms, and the points it hands
// to its drawable object. The graph runs the per-fill operations in order: Accept for every
// record read, ComputeBinCount, PrepareLists and Aggregate (once before and once after the
// axes' ranges are finished), then BuildPoints.

#include "persist/TGVProperties.h"
#include "persist/TPersistObject.h"
#include "processing/filter/TLCBlock.h"
#include "processing/graph/IGraphAxis.h"
#include "processing/graph/TGraphTypes.h"

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class IGraphAxis;
class TPageWarmer;
class ILCOwner;
class ISeriesPoints;
class TAERecord;
class TSeriesGr;

// What a series asks of the graph that owns it.
class ISeriesOwner {
public:
    virtual ~ISeriesOwner() = default;
    // The graph's settings changed; `reset` also empties it.
    virtual void SeriesModified(bool reset) = 0;
    // Owner of the series' conditions (the graph's processor).
    virtual ILCOwner* SeriesConditionOwner() = 0;
    // A saved series names the class of its drawable object: the graph makes one and attaches
    // it (SetObject), or leaves the series without object when it has no such class.
    virtual void SeriesObjectLoaded(TSeriesGr& series, const std::string& className) = 0;
};

// What a fill of the graph hands to its series.
// The smallest and largest value an axis collects during a walk over the records: the range
// an axis collects depends on nothing else, so a walk hands the two over once at its end
// instead of passing millions of values through the axis' fields.
struct TRangeCollector {
    bool Logarithmic = false;
    bool Any = false;
    long double Min = 0;
    long double Max = 0;

    explicit TRangeCollector(const IGraphAxis* axis)
        : Logarithmic(axis && axis->AxisLogarithmic()) {}
    void Add(long double x) {
        // What the axis would refuse: no number, and on a logarithmic axis no positive one.
        if (std::isnan(x) || (Logarithmic && !(x > 0))) return;
        if (!Any) {
            Min = Max = x;
            Any = true;
        } else if (x < Min) {
            Min = x;
        } else if (x > Max) {
            Max = x;
        }
    }
    void HandTo(IGraphAxis* axis) {
        if (!Any || !axis) return;
        axis->AxisAddValue(Min);
        axis->AxisAddValue(Max);
        Any = false;
    }
};

struct TGraphRun {
    IGraphAxis* Left = nullptr;
    IGraphAxis* Right = nullptr;
    IGraphAxis* Bottom = nullptr;
    // During the walk, the collected ranges go here instead of to the axes, when set.
    TRangeCollector* LeftRange = nullptr;
    TRangeCollector* RightRange = nullptr;
    TRangeCollector* BottomRange = nullptr;
    // The right axis is enabled; and enabled with a field.
    bool RightEnabled = false;
    bool RightOn = false;
    const std::vector<TGraphDataPoint>* Points = nullptr;

    IGraphAxis* SideAxis(uint8_t side) const { return side == sdRight ? Right : Left; }
    TRangeCollector* SideRange(uint8_t side) const {
        return side == sdRight ? RightRange : LeftRange;
    }
};

class TSeriesGr : public TPersistObject {
public:
    TSeriesGr();
    ~TSeriesGr() override;
    std::string ClassName() const override { return "TSeriesGr"; }

    ISeriesOwner* Graph() const { return FGraph; }
    // Also makes the graph's processor the owner of the condition.
    void SetGraph(ISeriesOwner* graph);

    // ---- Settings ----------------------------------------------------------------------------
    uint8_t Side() const { return FSide; }
    void SetSide(uint8_t side);
    uint8_t TypeSeries() const { return FTypeSeries; }
    void SetTypeSeries(uint8_t type);
    // Histograms that count or sum stand their bars on zero: their range holds it.
    bool BarsFromZero() const {
        return FTypeSeries == stHistigram && (FBinSumType == bsCnt || FBinSumType == bsSum);
    }
    bool IsPointPlot() const { return FTypeSeries == stPointPlot; }
    TGVProperties& Properties() { return FProperties; }
    bool EnabledFilter() const { return FEnabledFilter; }
    void SetEnabledFilter(bool v) { FEnabledFilter = v; }
    TLCBase& LogCons() { return FLogCons; }
    const TLCBase& LogCons() const { return FLogCons; }
    // Empties the condition and switches the filter on.
    void ResetFilter();
    int32_t Color() const { return FColor; }
    void SetColor(int32_t n) { FColor = n; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool v) { FSelected = v; }
    bool UseDelRec() const { return FUseDelRec; }
    void SetUseDelRec(bool v) { FUseDelRec = v; }
    bool SplittingChan() const { return FSplittingChan; }
    void SetSplittingChan(bool v) { FSplittingChan = v; }
    long double BinNum() const { return FBinNum; }
    void SetBinNum(long double v) { FBinNum = v; }
    uint8_t BinNumType() const { return FBinNumType; }
    void SetBinNumType(uint8_t v) { FBinNumType = v == bnValueInc ? bnValueInc : bnCount; }
    uint8_t BinSumType() const { return FBinSumType; }
    void SetBinSumType(uint8_t v) { FBinSumType = v <= bsSum ? v : bsCnt; }
    uint8_t BinCumulation() const { return FBinCumulation; }
    void SetBinCumulation(uint8_t v) { FBinCumulation = v <= bcMaxMin ? v : bcNone; }
    bool CenterBin() const { return FCenterBin; }
    void SetCenterBin(bool v) { FCenterBin = v; }
    uint8_t TypePoint() const { return FTypePoint; }
    void SetTypePoint(uint8_t v) { FTypePoint = v <= 3 ? v : 0; }
    bool Updating() const { return FUpdating; }
    void SetUpdating(bool v) { FUpdating = v; }
    // Unless updating, the graph's settings changed.
    void Changed(bool reset);

    // The drawable object (not owned: it lives in the graph's container) and its class.
    ISeriesPoints* Object() const { return FObject; }
    const std::string& ObjectClass() const { return FObjectClass; }
    void SetObject(ISeriesPoints* object, const std::string& className);

    // ---- One fill ----------------------------------------------------------------------------
    // Forgets the members and the lists of the previous fill.
    void ClearRun();
    // Binds the condition to the layout of the records about to be read.
    void BindCondition(const TAEListFields& layout, const TGVVariants* variants);
    // Takes the data point `index` (the processor's current record is `record`) as a member
    // when it plots it; point plots add its side value to the side axis, every type its X to
    // the bottom axis.
    // Room for the members of a walk over `count` records, before it starts; the warmer
    // populates it as the walk goes.
    // Histograms keep no members: they reserve nothing.
    void ReserveMembers(size_t count, TPageWarmer& warmer);
    bool Accept(const TGraphRun& run, int32_t index, const TAERecord& record);
    // The same for the data point `p` of index `index`, which the walk need not keep when no
    // series asks for the data points (NeedsDataPoints).
    bool Accept(const TGraphRun& run, int32_t index, const TGraphDataPoint& p,
                const TAERecord& record);
    // Histograms take what the walk hands them by bottom value and channel, so they need
    // neither members nor the data points; every other type works from the members.
    bool NeedsDataPoints() const { return FTypeSeries != stHistigram; }
    // A histogram whose bottom values were too many different ones to keep bins them during
    // a second walk over the same records, after the ranges are finished and the lists
    // prepared for pass 2: BeginSecondWalk, TakeAgain for every record the first walk handed
    // to Accept, then Aggregate as usual.
    bool NeedsSecondWalk() const { return FSecondWalk; }
    // The most different (bottom value, channel) pairs a histogram keeps during the walk.
    void SetValueLimit(size_t n) { FValueLimit = n; }
    void BeginSecondWalk(const TGraphRun& run);
    void TakeAgain(const TGraphRun& run, const TGraphDataPoint& p, const TAERecord& record);
    void ComputeBinCount(const TGraphRun& run);
    // Pass 1 before the axes' ranges are finished, pass 2 after.
    void PrepareLists(const std::vector<int32_t>& channels, int pass);
    void Aggregate(const TGraphRun& run, int pass);
    void BuildPoints(const TGraphRun& run);
    // The values of the shown lists of the channels (list 0 when `channels` is empty) for the
    // current range of the side axis; point plots add nothing.
    void AddCurrentRange(const TGraphRun& run, const std::vector<int32_t>& channels) const;
    void ApplyTransform(const TGraphRun& run, const TViewTransform& t);

    int32_t BinCount() const { return FBinCount; }
    const std::vector<int32_t>& Members() const { return FMembers; }
    // The records the last walk took: the members, or what a histogram counted.
    size_t Taken() const { return FMembers.size() + FTakenByValue; }
    void ClearMembers();
    const std::vector<int32_t>& Channels() const { return FChannels; }
    // Entry 0 all channels, entry k the channel Channels[k - 1]. One bin per bin of the count,
    // unless the count is far above the number of members: then only the bins that took
    // members are kept, and each run of empty bins between them is one empty bin that spans
    // the run (it draws the same), so memory follows the data, not the count asked for.
    const std::vector<std::vector<TGraphBin>>& BinLists() const { return FBinLists; }
    bool SparseBins() const { return FSparseBins; }
    const std::vector<std::vector<TGraphDataPoint>>& RunLists() const { return FRunLists; }
    // The index into Channels of a channel that takes part, or -1.
    int ChannelSlot(uint8_t channel) const;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

private:
    // Whether the pass is the one the type works in (histograms after the ranges, lines
    // before); point plots work in neither.
    bool WorksInPass(int pass) const;
    // The bins over [Lo, Hi], their width taken once for a whole pass. Index is false when
    // the value falls in no bin.
    struct TBinning {
        long double Lo = 0;
        long double Hi = 0;
        long double Width = 0;
        int32_t Count = 0;
        // One centred bin spans the whole range.
        bool Whole = false;
        bool Usable = false;
        bool Index(long double x, int32_t& index) const;
    };
    TBinning Binning(long double lo, long double hi) const;
    // `count` records of the channel with `value` (their sum, largest or smallest side value)
    // into bin i of the channel and of all channels.
    void TakeIntoBins(uint8_t channel, int32_t count, long double value, int32_t i);
    // Whether the record passes the series' own tests: the side, a side value, the condition
    // and deleted records.
    bool Takes(const TGraphRun& run, const TGraphDataPoint& p, const TAERecord& record);
    // A histogram's record by its bottom value and channel into the value table.
    void TakeValue(const TGraphDataPoint& p);
    void ClearValues();
    // Averages, cumulation, the range of the values and the extents of every bin.
    void FinishBins(IGraphAxis& side, long double lo, long double hi);
    // The extent of bin i over lo .. hi.
    void BinExtent(int32_t i, long double lo, long double hi, TGraphBin& bin) const;
    // Turns the sparse bins into lists of kept bins and empty runs.
    void SpreadSparseBins(long double lo, long double hi);
    long double SideValue(const TGraphDataPoint& p) const;
    // A coordinate as a fraction of an axis' current range (false where none is finite),
    // with the range and the logarithm of its minimum taken once.
    struct TNormalizer {
        TNormalizer(const IGraphAxis& axis, long double curMin, long double curMax);
        bool operator()(long double v, long double& out) const {
            const long double d = Log ? Logarithm(v) - Origin : v - Origin;
            out = Direct ? d / Scale.Span : Scale.Normalize(d);
            return std::isfinite(out);
        }
        long double Logarithm(long double v) const {
            if (v >= 0 && v < static_cast<long double>(WholeLogs.size())) {
                const auto k = static_cast<size_t>(v);
                if (static_cast<long double>(k) == v) return WholeLogs[k];
            }
            return SlowLogarithm(v);
        }
        static long double SlowLogarithm(long double v);
        TAxisScale Scale;
        bool Log;
        long double Origin;
        // A known range of finite, non-zero width: a plain division.
        bool Direct;
        // The logarithms of the whole numbers the range holds (counts, decibels), worked out
        // once: an extended logarithm per point and axis took a fifth of a fill.
        std::vector<long double> WholeLogs;
    };
    // The lists drawn: (list index, channel) pairs.
    std::vector<std::pair<int, uint8_t>> ShownLists() const;

    ISeriesOwner* FGraph = nullptr;
    uint8_t FSide = sdLeft;
    uint8_t FTypeSeries = stPointPlot;
    TGVProperties FProperties{"Properties"};
    bool FEnabledFilter = false;
    TLCBase FLogCons;
    ISeriesPoints* FObject = nullptr;
    std::string FObjectClass;
    int32_t FColor = 2;
    bool FUpdating = false;
    bool FVisible = true;
    bool FSelected = true;
    bool FUseDelRec = false;
    bool FSplittingChan = true;
    std::vector<int32_t> FChannels;
    std::array<int16_t, 256> FChannelSlot{};
    long double FBinNum = 100;
    std::vector<std::vector<TGraphBin>> FBinLists;
    // The bins that took members by index, while a sparse fill runs.
    std::vector<std::map<int32_t, TGraphBin>> FSparse;
    bool FSparseBins = false;
    std::vector<std::vector<TGraphDataPoint>> FRunLists;
    uint8_t FBinNumType = bnCount;
    uint8_t FBinSumType = bsCnt;
    uint8_t FBinCumulation = bcNone;
    bool FCenterBin = false;
    int32_t FBinCount = 0;
    std::vector<int32_t> FMembers;
    // What a histogram took during the walk, by bottom value and channel: as many entries as
    // different pairs, at most MaxValueEntries, in an open table of a power-of-two size.
    struct TValueEntry {
        double X = 0;
        int32_t Count = 0;
        uint8_t Channel = 0;
        bool Used = false;
        long double Value = 0;
    };
    std::vector<TValueEntry> FValues;
    size_t FValuesUsed = 0;
    size_t FValueLimit;
    size_t FTakenByValue = 0;
    bool FSecondWalk = false;
    TBinning FWalkBinning;
    bool FWalkBinsReady = false;
    uint8_t FTypePoint = 0;
};

// The series of a graph, in drawing order.
class TSeriesGrList : public TPersistObject {
public:
    explicit TSeriesGrList(ISeriesOwner* graph = nullptr) : FGraph(graph) {}
    std::string ClassName() const override { return "TSeriesGrList"; }
    void SetGraph(ISeriesOwner* graph);

    TSeriesGr* Get(int i) const;
    // Replaces (frees) the series at i.
    void Put(int i, std::unique_ptr<TSeriesGr> series);
    int Count() const { return static_cast<int>(FItems.size()); }
    TSeriesGr* Add(std::unique_ptr<TSeriesGr> series);
    void Delete(int i);
    void Clear();
    void Exchange(int i, int j);

    // "ClassName", then "Serieses" with one "Series" per series.
    void SaveToNode(TNodePersist& node) const override;
    // Every "Serieses" child clears the list; every "Series" of a registered series class is
    // added and loaded.
    void LoadFromNode(const TNodePersist& node) override;

private:
    ISeriesOwner* FGraph;
    std::vector<std::unique_ptr<TSeriesGr>> FItems;
};

// The bin count for the configured BinNum over the bottom range lo .. hi; large counts are cut
// at MaxBinCount.
int32_t ComputeBinCount(uint8_t binNumType, long double binNum, bool centerBin, long double lo,
                        long double hi);
constexpr int32_t MaxBinCount = 1 << 20;

} // namespace vorelt
