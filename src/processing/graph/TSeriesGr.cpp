#include "processing/graph/TSeriesGr.h"

#include "model/TAERecord.h"
#include "model/TLargePages.h"
#include "model/TPageWarmer.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/filter/ILCOwner.h"
#include "processing/graph/IGraphAxis.h"
#include "processing/graph/ISeriesPoints.h"
#include "processing/graph/TBlocksInOrder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorelt {

namespace {

constexpr char NodeAEVObject[] = "AEVObject";

const char* Bool(bool v) {
    return v ? "1" : "0";
}

long double LogOrZero(long double v) {
    return std::log10(v == 0 ? GraphLogZero : v);
}

// Bin counts up to this many always keep every bin: a few megabytes at most.
constexpr int32_t SparseBinsFrom = 4096;

// A histogram keeps at most this many (bottom value, channel) pairs, 32 bytes each in a table
// at most half full (4 MiB); beyond, it bins during a second walk.
constexpr size_t MaxValueEntries = size_t{1} << 16;

size_t ValueHash(double x, uint8_t channel) {
    // 0 and -0 are the same value.
    if (x == 0) x = 0;
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof x);
    std::memcpy(&bits, &x, sizeof bits);
    // Values people plot have zeros in the low bits of the mantissa, which a product keeps in
    // its low bits: the high half is folded in before and after.
    bits ^= (bits >> 32) ^ (uint64_t{channel} << 48);
    bits *= 0x9E3779B97F4A7C15ULL;
    return static_cast<size_t>(bits ^ (bits >> 32));
}

// Members per block where the costly part of a pass over the members runs on two threads.
constexpr size_t MembersPerBlock = 64 * TSeriesPointBatch::Capacity;

// The bin of each member of a block, -1 for none.
struct TBinBlock {
    size_t From = 0;
    std::vector<int32_t> Bins;
};

// The drawn points of a block of members, in batches.
struct TPointBlock {
    std::unique_ptr<TSeriesPointBatch[]> Batches;
    size_t Used = 0;
};

} // namespace

int32_t ComputeBinCount(uint8_t binNumType, long double binNum, bool centerBin, long double lo,
                        long double hi) {
    long double n = 0;
    if (binNumType == bnCount) {
        if (!std::isfinite(binNum)) return 0;
        n = std::nearbyintl(binNum);
    } else {
        if (binNum == 0) binNum = 1;
        const long double r = (hi - lo) / binNum;
        if (!std::isfinite(r) || r <= 0) return 0;
        n = std::trunc(r);
        if (r != n) n += 1;
        if (centerBin) n += 1;
    }
    if (!(n > 0)) return 0;
    return n > MaxBinCount ? MaxBinCount : static_cast<int32_t>(n);
}

TSeriesGr::TSeriesGr() : FValueLimit(MaxValueEntries) {
    FLogCons.SetOperation(lcAnd);
    FLogCons.SetEditFlags(6);
    FChannelSlot.fill(-1);
}

TSeriesGr::~TSeriesGr() = default;

void TSeriesGr::SetGraph(ISeriesOwner* graph) {
    FGraph = graph;
    FLogCons.SetOwner(graph ? graph->SeriesConditionOwner() : nullptr);
}

void TSeriesGr::SetSide(uint8_t side) {
    if (side == sdLeft || side == sdRight) FSide = side;
}

void TSeriesGr::SetTypeSeries(uint8_t type) {
    if (type >= stPointPlot && type <= stLinePointToPoint) FTypeSeries = type;
}

void TSeriesGr::ResetFilter() {
    FLogCons.Clear();
    FEnabledFilter = true;
}

void TSeriesGr::Changed(bool reset) {
    if (FUpdating) return;
    if (FGraph) FGraph->SeriesModified(reset);
    if (FObject) FObject->SetChannelColors(nullptr, 0);
}

void TSeriesGr::SetObject(ISeriesPoints* object, const std::string& className) {
    FObject = object;
    FObjectClass = object ? className : std::string();
}

// ---- One fill ----------------------------------------------------------------------------------

void TSeriesGr::ClearRun() {
    FMembers.clear();
    FMembers.shrink_to_fit();
    ClearValues();
    FTakenByValue = 0;
    FSecondWalk = false;
    FWalkBinsReady = false;
    FBinLists.clear();
    FSparse.clear();
    FSparseBins = false;
    FRunLists.clear();
    FChannels.clear();
    FChannelSlot.fill(-1);
    FBinCount = 0;
}

void TSeriesGr::ClearMembers() {
    FMembers.clear();
    FMembers.shrink_to_fit();
    ClearValues();
}

void TSeriesGr::ClearValues() {
    FValues.clear();
    FValues.shrink_to_fit();
    FValuesUsed = 0;
}

void TSeriesGr::ReserveMembers(size_t count, TPageWarmer& warmer) {
    if (!NeedsDataPoints()) return;
    FMembers.reserve(count);
    AdviseLargePages(FMembers);
    warmer.Add(FMembers);
}

void TSeriesGr::BindCondition(const TAEListFields& layout, const TGVVariants* variants) {
    if (FEnabledFilter) FLogCons.Bind(layout, variants);
}

long double TSeriesGr::SideValue(const TGraphDataPoint& p) const {
    return FSide == sdRight ? p.RightY : p.LeftY;
}

bool TSeriesGr::Accept(const TGraphRun& run, int32_t index, const TAERecord& record) {
    return Accept(run, index, (*run.Points)[static_cast<size_t>(index)], record);
}

bool TSeriesGr::Takes(const TGraphRun& run, const TGraphDataPoint& p, const TAERecord& record) {
    if (FSide == sdRight && !run.RightOn) return false;
    if (FSide == sdRight ? p.RightNull : p.LeftNull) return false;
    if (IsPointPlot()) {
        // A logarithm is taken of both coordinates: what has none is not plotted. During the
        // walk the collectors know which axes are logarithmic.
        const IGraphAxis* side = run.SideAxis(FSide);
        const TRangeCollector* sideRange = run.SideRange(FSide);
        const long double y = SideValue(p);
        const bool sideLog = sideRange ? sideRange->Logarithmic : side->AxisLogarithmic();
        const bool bottomLog =
            run.BottomRange ? run.BottomRange->Logarithmic : run.Bottom->AxisLogarithmic();
        if (sideLog && !(y > 0)) return false;
        if (bottomLog && !(p.X > 0)) return false;
    }
    if (FEnabledFilter && !FLogCons.Evaluate(record)) return false;
    if (!FUseDelRec && p.Deleted) return false;
    return true;
}

bool TSeriesGr::Accept(const TGraphRun& run, int32_t index, const TGraphDataPoint& p,
                       const TAERecord& record) {
    if (!Takes(run, p, record)) return false;
    if (NeedsDataPoints()) {
        FMembers.push_back(index);
    } else {
        ++FTakenByValue;
        TakeValue(p);
    }
    if (IsPointPlot()) {
        const long double y = SideValue(p);
        if (TRangeCollector* sideRange = run.SideRange(FSide))
            sideRange->Add(y);
        else
            run.SideAxis(FSide)->AxisAddValue(y);
    }
    if (run.BottomRange)
        run.BottomRange->Add(p.X);
    else
        run.Bottom->AxisAddValue(p.X);
    return true;
}

void TSeriesGr::TakeValue(const TGraphDataPoint& p) {
    // No number falls in a bin.
    if (FSecondWalk || std::isnan(p.X)) return;
    if (FValues.empty()) FValues.resize(1024);
    size_t mask = FValues.size() - 1;
    size_t k = ValueHash(p.X, p.Channel) & mask;
    while (FValues[k].Used && !(FValues[k].X == p.X && FValues[k].Channel == p.Channel))
        k = (k + 1) & mask;
    const long double y = SideValue(p);
    TValueEntry& e = FValues[k];
    if (e.Used) {
        ++e.Count;
        switch (FBinSumType) {
        case bsAve:
        case bsSum:
            e.Value += y;
            break;
        case bsMax:
            e.Value = std::max(y, e.Value);
            break;
        case bsMin:
            e.Value = std::min(y, e.Value);
            break;
        default:
            break;
        }
        return;
    }
    if (FValuesUsed >= FValueLimit) {
        // Too many different values to keep: the bins are taken on a second walk.
        ClearValues();
        FSecondWalk = true;
        return;
    }
    e.Used = true;
    e.X = p.X;
    e.Channel = p.Channel;
    e.Count = 1;
    e.Value = y;
    ++FValuesUsed;
    // At most half full, so that a look-up ends after a few steps.
    if (2 * FValuesUsed <= FValues.size()) return;
    std::vector<TValueEntry> old(FValues.size() * 2);
    old.swap(FValues);
    mask = FValues.size() - 1;
    for (const TValueEntry& o : old) {
        if (!o.Used) continue;
        size_t j = ValueHash(o.X, o.Channel) & mask;
        while (FValues[j].Used)
            j = (j + 1) & mask;
        FValues[j] = o;
    }
}

void TSeriesGr::BeginSecondWalk(const TGraphRun& run) {
    FWalkBinsReady = false;
    long double lo = 0, hi = 0;
    if (FBinCount <= 0 || !run.Bottom->AxisBounds(lo, hi)) return;
    FWalkBinning = Binning(lo, hi);
    FWalkBinsReady = true;
}

void TSeriesGr::TakeAgain(const TGraphRun& run, const TGraphDataPoint& p, const TAERecord& record) {
    if (!FWalkBinsReady || !Takes(run, p, record)) return;
    int32_t i = 0;
    if (FWalkBinning.Index(p.X, i)) TakeIntoBins(p.Channel, 1, SideValue(p), i);
}

void TSeriesGr::ComputeBinCount(const TGraphRun& run) {
    FBinCount = 0;
    long double lo = 0, hi = 0;
    if (FBinNumType == bnValueInc && !run.Bottom->AxisBounds(lo, hi)) return;
    FBinCount = vorelt::ComputeBinCount(FBinNumType, FBinNum, FCenterBin, lo, hi);
}

bool TSeriesGr::WorksInPass(int pass) const {
    switch (FTypeSeries) {
    case stHistigram:
        return pass == 2;
    case stLineGraph:
    case stLinePointToPoint:
        return pass == 1;
    default:
        return false;
    }
}

int TSeriesGr::ChannelSlot(uint8_t channel) const {
    // Channel numbers above the number of channels take no part, even when listed.
    if (channel == 0 || channel > FChannels.size()) return -1;
    return FChannelSlot[channel];
}

void TSeriesGr::PrepareLists(const std::vector<int32_t>& channels, int pass) {
    if (!WorksInPass(pass)) return;
    const size_t n = std::min(channels.size(), MaxSeriesChannels);
    FChannels.assign(channels.begin(), channels.begin() + static_cast<std::ptrdiff_t>(n));
    FChannelSlot.fill(-1);
    for (size_t k = n; k-- > 0;) {
        const int32_t c = FChannels[k];
        if (c >= 0 && c < 256) FChannelSlot[static_cast<size_t>(c)] = static_cast<int16_t>(k);
    }
    if (FTypeSeries == stLinePointToPoint) {
        FRunLists.assign(1 + n, {});
        return;
    }
    // A count far above the members would be mostly empty bins, for every channel.
    FSparseBins = FBinCount > SparseBinsFrom && static_cast<size_t>(FBinCount) > 2 * Taken() + 1;
    if (FSparseBins) {
        FBinLists.assign(1 + n, {});
        FSparse.assign(1 + n, {});
        return;
    }
    FSparse.clear();
    FBinLists.assign(1 + n, std::vector<TGraphBin>(static_cast<size_t>(FBinCount)));
}

TSeriesGr::TBinning TSeriesGr::Binning(long double lo, long double hi) const {
    TBinning b;
    b.Lo = lo;
    b.Hi = hi;
    b.Count = FBinCount;
    b.Whole = FCenterBin && FBinCount == 1;
    if (b.Whole) return b;
    b.Width = (hi - lo) / (FCenterBin ? FBinCount - 1 : FBinCount);
    b.Usable = b.Width != 0 && std::isfinite(b.Width);
    return b;
}

inline bool TSeriesGr::TBinning::Index(long double x, int32_t& index) const {
    if (Whole) {
        index = 0;
        return x >= Lo && x <= Hi;
    }
    if (!Usable) return false;
    // The bin is the truncated quotient: values a little below the minimum (quotient above
    // -1) fall in the first bin. Rounding to the nearest integer and stepping down where it
    // rounded up gives the same index without switching the x87 rounding mode twice for each
    // value, which cost more than the rest of a histogram fill. The whole number below the
    // bin count is exact in a double, whose conversion needs no mode switch either (llrintl is
    // a library call where math functions may set errno).
    const long double q = (x - Lo) / Width;
    if (!(q > -1 && q < Count)) return false;
    if (q < 0) {
        index = 0;
        return true;
    }
    long double n = rintl(q);
    if (n > q) n -= 1;
    index = static_cast<int32_t>(static_cast<double>(n));
    return true;
}

void TSeriesGr::Aggregate(const TGraphRun& run, int pass) {
    if (!WorksInPass(pass)) return;
    const std::vector<TGraphDataPoint>& points = *run.Points;
    IGraphAxis* side = run.SideAxis(FSide);
    if (FSide == sdRight && !run.RightEnabled) return;
    if (FTypeSeries == stLinePointToPoint) {
        for (int32_t m : FMembers) {
            const TGraphDataPoint& p = points[static_cast<size_t>(m)];
            const int slot = ChannelSlot(p.Channel);
            if (slot < 0) continue;
            FRunLists[0].push_back(p);
            FRunLists[1 + static_cast<size_t>(slot)].push_back(p);
            side->AxisAddValue(SideValue(p));
        }
    } else {
        if (FBinCount <= 0) return;
        long double lo = 0, hi = 0;
        if (!run.Bottom->AxisBounds(lo, hi)) return;
        const TBinning binning = Binning(lo, hi);
        if (!NeedsDataPoints()) {
            // What the walk kept by value, or what a second walk binned already.
            for (const TValueEntry& e : FValues) {
                int32_t i = 0;
                if (e.Used && binning.Index(e.X, i)) TakeIntoBins(e.Channel, e.Count, e.Value, i);
            }
            ClearValues();
            FinishBins(*side, lo, hi);
            run.Left->AxisFinishRange();
            if (run.Right && run.RightOn) run.Right->AxisFinishRange();
            return;
        }
        // The bins are found ahead on two threads; the counts and sums are taken in order.
        auto reset = [](TBinBlock& out) { out.Bins.resize(MembersPerBlock); };
        auto find = [&](size_t from, size_t to, TBinBlock& out) {
            out.From = from;
            for (size_t k = from; k < to; ++k) {
                int32_t i = 0;
                const long double x = points[static_cast<size_t>(FMembers[k])].X;
                out.Bins[k - from] = binning.Index(x, i) ? i : -1;
            }
        };
        auto take = [&](const TBinBlock& block) {
            const size_t to = std::min(FMembers.size(), block.From + MembersPerBlock);
            for (size_t k = block.From; k < to; ++k) {
                const TGraphDataPoint& p = points[static_cast<size_t>(FMembers[k])];
                const int32_t i = block.Bins[k - block.From];
                if (i < 0) continue;
                TakeIntoBins(p.Channel, 1, SideValue(p), i);
            }
        };
        RunBlocksInOrder<TBinBlock>(FMembers.size(), MembersPerBlock, reset, find, take);
        FinishBins(*side, lo, hi);
    }
    run.Left->AxisFinishRange();
    if (run.Right && run.RightOn) run.Right->AxisFinishRange();
}

void TSeriesGr::TakeIntoBins(uint8_t channel, int32_t count, long double value, int32_t i) {
    const int slot = ChannelSlot(channel);
    if (slot < 0) return;
    auto take = [&](TGraphBin& b) {
        b.Count += count;
        switch (FBinSumType) {
        case bsCnt:
            b.Value += count;
            break;
        case bsAve:
        case bsSum:
            b.Value += value;
            break;
        case bsMax:
            b.Value = std::max(value, b.Value);
            break;
        case bsMin:
            b.Value = std::min(value, b.Value);
            break;
        default:
            break;
        }
    };
    if (FSparseBins) {
        if (FSparse.empty()) return;
        take(FSparse[1 + static_cast<size_t>(slot)][i]);
        take(FSparse[0][i]);
        return;
    }
    std::vector<TGraphBin>& l = FBinLists[1 + static_cast<size_t>(slot)];
    std::vector<TGraphBin>& a = FBinLists[0];
    if (l.empty() || a.empty()) return;
    take(l[static_cast<size_t>(i)]);
    take(a[static_cast<size_t>(i)]);
}

void TSeriesGr::BinExtent(int32_t i, long double lo, long double hi, TGraphBin& b) const {
    if (FCenterBin && FBinCount == 1) {
        b.Start = lo;
        b.End = hi;
    } else if (FCenterBin) {
        const long double w = (hi - lo) / (FBinCount - 1);
        b.Start = lo + w * static_cast<long double>(i) - w / 2;
        b.End = lo + w * static_cast<long double>(i) + w / 2;
    } else {
        const long double w = (hi - lo) / FBinCount;
        b.Start = lo + w * static_cast<long double>(i);
        b.End = lo + w * static_cast<long double>(i + 1);
    }
}

void TSeriesGr::SpreadSparseBins(long double lo, long double hi) {
    for (size_t k = 0; k < FSparse.size() && k < FBinLists.size(); ++k) {
        std::vector<TGraphBin>& list = FBinLists[k];
        list.clear();
        auto gap = [&](int32_t first, int32_t last) {
            if (first > last) return;
            TGraphBin from, to;
            BinExtent(first, lo, hi, from);
            BinExtent(last, lo, hi, to);
            TGraphBin b;
            b.Start = from.Start;
            b.End = to.End;
            list.push_back(b);
        };
        int32_t next = 0;
        for (const auto& [i, bin] : FSparse[k]) {
            gap(next, i - 1);
            TGraphBin b = bin;
            BinExtent(i, lo, hi, b);
            list.push_back(b);
            next = i + 1;
        }
        gap(next, FBinCount - 1);
    }
    FSparse.clear();
}

void TSeriesGr::FinishBins(IGraphAxis& side, long double lo, long double hi) {
    if (FSparseBins) SpreadSparseBins(lo, hi);
    for (std::vector<TGraphBin>& list : FBinLists) {
        if (FBinSumType == bsAve)
            for (TGraphBin& b : list)
                if (b.Count != 0) b.Value /= b.Count;
        if (FTypeSeries == stLineGraph && list.size() > 1) {
            if (FBinCumulation == bcMinMax)
                for (size_t i = 1; i < list.size(); ++i)
                    list[i].Value += list[i - 1].Value;
            else if (FBinCumulation == bcMaxMin)
                for (size_t i = list.size() - 1; i-- > 0;)
                    list[i].Value += list[i + 1].Value;
        }
        for (const TGraphBin& b : list)
            if (b.Count != 0) side.AxisAddValue(b.Value);
        if (BarsFromZero()) side.AxisAddValue(0);
        // The extents; sparse bins have theirs.
        if (!FSparseBins)
            for (size_t i = 0; i < list.size(); ++i)
                BinExtent(static_cast<int32_t>(i), lo, hi, list[i]);
    }
}

std::vector<std::pair<int, uint8_t>> TSeriesGr::ShownLists() const {
    std::vector<std::pair<int, uint8_t>> out;
    if (!FObject || FObject->ChannelColorsEmpty()) {
        out.emplace_back(0, 0);
        return out;
    }
    for (size_t k = 1; k <= FChannels.size(); ++k) {
        const int32_t c = FChannels[k - 1];
        if (c < 0 || c > 255) continue;
        if (FObject->ChannelColored(static_cast<uint8_t>(c)))
            out.emplace_back(static_cast<int>(k), static_cast<uint8_t>(c));
    }
    return out;
}

TSeriesGr::TNormalizer::TNormalizer(const IGraphAxis& axis, long double curMin, long double curMax)
    : Scale(axis.AxisScale()), Log(axis.AxisLogarithmic()),
      Origin(Log ? LogOrZero(curMin) : curMin),
      Direct(Scale.Known && Scale.Span != 0 && std::isfinite(Scale.Span)) {
    // Up to 65536 values (1 MiB), fewer for a small range: a few milliseconds at most.
    constexpr long double most = 65536;
    if (!Log || !(curMax >= 0)) return;
    const size_t count = static_cast<size_t>(std::min(most, std::floor(curMax) + 1));
    WholeLogs.resize(count);
    for (size_t k = 0; k < count; ++k)
        WholeLogs[k] = LogOrZero(static_cast<long double>(k));
}

long double TSeriesGr::TNormalizer::SlowLogarithm(long double v) {
    return LogOrZero(v);
}

void TSeriesGr::BuildPoints(const TGraphRun& run) {
    if (!FObject || !FVisible) return;
    if (FSide == sdRight && !run.RightEnabled) return;
    IGraphAxis& s = *run.SideAxis(FSide);
    IGraphAxis& b = *run.Bottom;
    long double sMin = 0, sMax = 0, bMin = 0, bMax = 0;
    if (!s.AxisCurrent(sMin, sMax) || !b.AxisCurrent(bMin, bMax)) return;
    const bool sLog = s.AxisLogarithmic();
    const bool bLog = b.AxisLogarithmic();
    long double yn = 0, xn = 0;
    const TNormalizer normY(s, sMin, sMax), normX(b, bMin, bMax);
    auto add = [&](int32_t tag, uint8_t flags, uint8_t channel, long double x, long double y) {
        if (normY(y, yn) && normX(x, xn)) FObject->AddSeriesPoint(tag, flags, channel, yn, xn);
    };
    switch (FTypeSeries) {
    case stPointPlot: {
        if ((sLog && !(sMin > 0)) || (bLog && !(bMin > 0))) break;
        const std::vector<TGraphDataPoint>& points = *run.Points;
        FObject->ReserveSeriesPoints(FMembers.size());
        // The points are normalised ahead on two threads and handed to the object in order.
        constexpr size_t batches = MembersPerBlock / TSeriesPointBatch::Capacity;
        auto reset = [](TPointBlock& block) {
            block.Batches = std::make_unique_for_overwrite<TSeriesPointBatch[]>(batches);
        };
        auto normalise = [&](size_t from, size_t to, TPointBlock& block) {
            block.Used = 0;
            TSeriesPointBatch* out = &block.Batches[0];
            out->Count = 0;
            for (size_t i = from; i < to; ++i) {
                const TGraphDataPoint& p = points[static_cast<size_t>(FMembers[i])];
                const long double y = SideValue(p);
                if ((sLog && !(y > 0)) || (bLog && !(p.X > 0))) continue;
                const size_t k = out->Count;
                if (!normY(y, out->Y[k]) || !normX(p.X, out->X[k])) continue;
                out->Tag[k] = p.Position;
                out->Flags[k] = p.Selected ? 1 : 0;
                out->Channel[k] = p.Channel;
                if (++out->Count == TSeriesPointBatch::Capacity) {
                    out = &block.Batches[++block.Used];
                    // A full last batch leaves Used at the count of batches.
                    if (block.Used == batches) break;
                    out->Count = 0;
                }
            }
            if (block.Used < batches && block.Batches[block.Used].Count > 0) ++block.Used;
        };
        auto hand = [&](const TPointBlock& block) {
            for (size_t k = 0; k < block.Used; ++k)
                FObject->AddSeriesPoints(block.Batches[k]);
        };
        RunBlocksInOrder<TPointBlock>(FMembers.size(), MembersPerBlock, reset, normalise, hand);
        FObject->SortSeriesPoints();
        break;
    }
    case stLineGraph:
        for (const auto& [k, channel] : ShownLists()) {
            if (static_cast<size_t>(k) >= FBinLists.size()) continue;
            for (const TGraphBin& bin : FBinLists[static_cast<size_t>(k)]) {
                if (FBinCumulation == bcNone) {
                    if (bin.Count == 0) continue;
                    add(k, 0, channel, (bin.Start + bin.End) / 2, bin.Value);
                } else {
                    add(k, 0, channel, bin.Start, bin.Value);
                    add(k, 0, channel, bin.End, bin.Value);
                }
            }
        }
        break;
    case stHistigram: {
        // Bars stand on zero where the range holds it (a count of 1 is a bar, not nothing);
        // otherwise, and on a logarithmic axis, on the bottom of the range.
        const long double base = !sLog && sMin <= 0 && sMax >= 0 ? 0 : sMin;
        for (const auto& [k, channel] : ShownLists()) {
            if (static_cast<size_t>(k) >= FBinLists.size()) continue;
            for (const TGraphBin& bin : FBinLists[static_cast<size_t>(k)]) {
                if (bin.Count == 0) continue;
                add(k, 0, channel, bin.Start, bin.Value);
                add(k, 0, channel, bin.End, base);
            }
        }
        break;
    }
    case stLinePointToPoint:
        for (const auto& [k, channel] : ShownLists()) {
            if (static_cast<size_t>(k) >= FRunLists.size()) continue;
            for (const TGraphDataPoint& p : FRunLists[static_cast<size_t>(k)])
                add(k, 0, channel, p.X, SideValue(p));
        }
        break;
    default:
        break;
    }
    FObject->ApplyChannelColors();
}

void TSeriesGr::AddCurrentRange(const TGraphRun& run, const std::vector<int32_t>& channels) const {
    if (IsPointPlot() || !FVisible) return;
    if (FSide == sdRight && !run.RightOn) return;
    IGraphAxis& s = *run.SideAxis(FSide);
    std::vector<size_t> lists;
    if (channels.empty()) {
        lists.push_back(0);
    } else {
        for (int32_t c : channels) {
            if (c < 0 || c > 255) continue;
            const int slot = ChannelSlot(static_cast<uint8_t>(c));
            if (slot >= 0) lists.push_back(1 + static_cast<size_t>(slot));
        }
    }
    for (size_t k : lists) {
        if (FTypeSeries == stLinePointToPoint) {
            if (k < FRunLists.size())
                for (const TGraphDataPoint& p : FRunLists[k])
                    s.AxisAddCurrentValue(SideValue(p));
        } else if (k < FBinLists.size()) {
            for (const TGraphBin& b : FBinLists[k])
                if (b.Count != 0) s.AxisAddCurrentValue(b.Value);
        }
    }
    if (BarsFromZero()) s.AxisAddCurrentValue(0);
}

void TSeriesGr::ApplyTransform(const TGraphRun& run, const TViewTransform& t) {
    if (!FObject || !FVisible) return;
    if (FSide == sdRight && !run.RightEnabled) return;
    const bool right = FSide == sdRight;
    const long double yo = right ? t.YOriginRight : t.YOriginLeft;
    const long double ys = right ? t.YScaleRight : t.YScaleLeft;
    FObject->TransformSeriesPoints(yo, ys, t.XOrigin, t.XScale);
}

// ---- Persistence -------------------------------------------------------------------------------

void TSeriesGr::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    node.AddItem("Color", IntToStr(FColor));
    node.AddItem("BinNum", FloatToStr(FBinNum));
    FProperties.SaveToNode(*node.AddNode("Properties"));
    node.AddItem("TypeSeries", IntToStr(FTypeSeries));
    node.AddItem("BinNumType", IntToStr(FBinNumType));
    node.AddItem("BinSumType", IntToStr(FBinSumType));
    node.AddItem("BinCumulation", IntToStr(FBinCumulation));
    node.AddItem("TypePoint", IntToStr(FTypePoint));
    node.AddItem("CenterBin", Bool(FCenterBin));
    node.AddItem("Side", IntToStr(FSide));
    node.AddItem("EnabledFilter", Bool(FEnabledFilter));
    node.AddItem("Visible", Bool(FVisible));
    node.AddItem("Selected", Bool(FSelected));
    node.AddItem("UseDelRec", Bool(FUseDelRec));
    node.AddItem("SplittingChan", Bool(FSplittingChan));
    FLogCons.SaveToNode(*node.AddNode("LogCons"));
    if (FObject) node.AddNode(NodeAEVObject)->AddItem("ClassName", FObjectClass);
}

void TSeriesGr::LoadFromNode(const TNodePersist& node) {
    auto has = [&](const char* name) { return node.IndexOfItem(name) >= 0; };
    auto flag = [&](const char* name, bool& v) {
        if (has(name)) v = Trim(node.GetValue(name)) == "1";
    };
    auto byte = [&](const char* name) -> int32_t {
        int32_t v = -1;
        if (!has(name) || !TryStrToInt(Trim(node.GetValue(name)), v)) return -1;
        return v;
    };
    int32_t n = 0;
    if (has("Color") && TryStrToInt(Trim(node.GetValue("Color")), n)) FColor = n;
    long double x = 0;
    if (has("BinNum") && TryStrToFloat(Trim(node.GetValue("BinNum")), x)) FBinNum = x;
    if ((n = byte("TypeSeries")) >= 0) SetTypeSeries(static_cast<uint8_t>(n));
    if ((n = byte("BinNumType")) >= 0) SetBinNumType(static_cast<uint8_t>(n));
    if ((n = byte("BinSumType")) >= 0) SetBinSumType(static_cast<uint8_t>(n));
    if ((n = byte("BinCumulation")) >= 0) SetBinCumulation(static_cast<uint8_t>(n));
    if ((n = byte("TypePoint")) >= 0) SetTypePoint(static_cast<uint8_t>(n));
    flag("CenterBin", FCenterBin);
    if ((n = byte("Side")) == sdLeft || n == sdRight) FSide = static_cast<uint8_t>(n);
    flag("EnabledFilter", FEnabledFilter);
    flag("Visible", FVisible);
    flag("Selected", FSelected);
    flag("UseDelRec", FUseDelRec);
    flag("SplittingChan", FSplittingChan);
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "Properties")) {
            FProperties.LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "LogCons")) {
            FLogCons.LoadFromNode(child);
            FLogCons.SetEditFlags(6);
        } else if (SameTextTrimmed(child.Name(), NodeAEVObject)) {
            const std::string cls = Trim(child.GetValue("ClassName"));
            if (FGraph && TClassRegistry::Instance().IsRegistered(cls))
                FGraph->SeriesObjectLoaded(*this, TClassRegistry::Instance().CanonicalName(cls));
        }
    }
}

// ---- List --------------------------------------------------------------------------------------

void TSeriesGrList::SetGraph(ISeriesOwner* graph) {
    FGraph = graph;
    for (auto& s : FItems)
        s->SetGraph(graph);
}

TSeriesGr* TSeriesGrList::Get(int i) const {
    return i >= 0 && i < Count() ? FItems[static_cast<size_t>(i)].get() : nullptr;
}

void TSeriesGrList::Put(int i, std::unique_ptr<TSeriesGr> series) {
    if (i < 0 || i >= Count() || !series) return;
    series->SetGraph(FGraph);
    FItems[static_cast<size_t>(i)] = std::move(series);
}

TSeriesGr* TSeriesGrList::Add(std::unique_ptr<TSeriesGr> series) {
    if (!series) return nullptr;
    series->SetGraph(FGraph);
    FItems.push_back(std::move(series));
    return FItems.back().get();
}

void TSeriesGrList::Delete(int i) {
    if (i >= 0 && i < Count()) FItems.erase(FItems.begin() + i);
}

void TSeriesGrList::Clear() {
    FItems.clear();
}

void TSeriesGrList::Exchange(int i, int j) {
    if (i >= 0 && j >= 0 && i < Count() && j < Count())
        std::swap(FItems[static_cast<size_t>(i)], FItems[static_cast<size_t>(j)]);
}

void TSeriesGrList::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
    TNodePersist* list = node.AddNode("Serieses");
    for (const auto& s : FItems)
        s->SaveToNode(*list->AddNode("Series"));
}

void TSeriesGrList::LoadFromNode(const TNodePersist& node) {
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& list = *node.Node(i);
        if (!SameTextTrimmed(list.Name(), "Serieses")) continue;
        Clear();
        for (int k = 0; k < list.NodeCount(); ++k) {
            const TNodePersist& item = *list.Node(k);
            if (!SameTextTrimmed(item.Name(), "Series")) continue;
            std::unique_ptr<TSeriesGr> s =
                TClassRegistry::Instance().CreateAs<TSeriesGr>(Trim(item.GetValue("ClassName")));
            if (!s) continue;
            TSeriesGr* added = Add(std::move(s));
            added->LoadFromNode(item);
        }
    }
}

} // namespace vorelt
