#include "processing/graph/TGraphFill.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TLargePages.h"
#include "processing/TGVCPU.h"
#include "processing/filter/ILCOwner.h"
#include "processing/graph/IGraphAxis.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace vorelt {

namespace {

struct TAbort : std::runtime_error {
    TAbort() : std::runtime_error("Abort") {}
};

// Stands in for an axis during the walk: the range an axis collects is its smallest and
// largest value, so the walk keeps those two and hands them over once at its end instead of
// passing each of millions of values through the axis' fields.
class TCollectingAxis final : public IGraphAxis {
public:
    explicit TCollectingAxis(IGraphAxis* axis) : FAxis(axis), FLog(axis->AxisLogarithmic()) {}

    void Flush() {
        if (!FAny) return;
        FAxis->AxisAddValue(FMin);
        FAxis->AxisAddValue(FMax);
        FAny = false;
    }

    bool AxisHasField() const override { return FAxis->AxisHasField(); }
    std::string AxisFieldId() const override { return FAxis->AxisFieldId(); }
    bool AxisEnabled() const override { return FAxis->AxisEnabled(); }
    bool AxisLogarithmic() const override { return FLog; }
    void AxisResetAuto() override { FAxis->AxisResetAuto(); }
    void AxisAddValue(long double x) override {
        if (std::isnan(x) || (FLog && !(x > 0))) return;
        if (!FAny) {
            FMin = FMax = x;
            FAny = true;
        } else if (x < FMin) {
            FMin = x;
        } else if (x > FMax) {
            FMax = x;
        }
    }
    void AxisAddCurrentValue(long double x) override { FAxis->AxisAddCurrentValue(x); }
    void AxisFinishRange() override { FAxis->AxisFinishRange(); }
    void AxisFinishCurrentRange() override { FAxis->AxisFinishCurrentRange(); }
    bool AxisBounds(long double& lo, long double& hi) const override {
        return FAxis->AxisBounds(lo, hi);
    }
    bool AxisCurrent(long double& lo, long double& hi) const override {
        return FAxis->AxisCurrent(lo, hi);
    }
    void AxisSetCurrent(long double lo, long double hi) override { FAxis->AxisSetCurrent(lo, hi); }
    void AxisEmptyCurrentMax() override { FAxis->AxisEmptyCurrentMax(); }
    TAxisScale AxisScale() const override { return FAxis->AxisScale(); }
    void AxisWidenRange(long double& a, long double& b) const override {
        FAxis->AxisWidenRange(a, b);
    }

private:
    IGraphAxis* FAxis;
    bool FLog;
    bool FAny = false;
    long double FMin = 0;
    long double FMax = 0;
};

} // namespace

bool FillGraphRecords(TGraphFillRequest& request, TGraphFillResult& result) {
    result = TGraphFillResult{};
    TGVCPU& processor = *request.Processor;
    const TGraphRun& axes = request.Axes;
    TGraphRun run = axes;
    run.Points = &result.Points;
    TAEPNav& nav = processor.Nav();
    nav = TAEPNav{};
    nav.Kinds = GraphKinds;
    TAERecord& record = processor.Record();
    processor.PrepareRecord(record);

    const bool onlyFirst = processor.IsLocated() && request.FirstHitOnly;
    const bool rightOn = axes.RightOn;
    const TAEField* chan = record.FindByID(fidChan);
    const TAEField* bottom = record.FindByID(axes.Bottom->AxisFieldId());
    const TAEField* left = record.FindByID(axes.Left->AxisFieldId());
    const TAEField* right = rightOn ? record.FindByID(axes.Right->AxisFieldId()) : nullptr;
    const TAEField* selected = record.FindByID(fidSelected);
    const TAEField* deleted = record.FindByID(fidDeleted);
    const TAEField* channels = record.FindByID(fidChannels);
    result.TimeAxis = bottom && bottom->HasFlag(ffTime);

    std::vector<TSeriesGr*> visible;
    for (int i = 0; i < request.Series->Count(); ++i) {
        TSeriesGr* s = request.Series->Get(i);
        if (!s->Visible()) continue;
        const ILCOwner* owner = s->LogCons().GetOwner();
        s->BindCondition(record.Fields(), owner ? owner->ConditionVariants() : nullptr);
        visible.push_back(s);
    }

    try {
        axes.Left->AxisResetAuto();
        axes.Bottom->AxisResetAuto();
        if (axes.Right) axes.Right->AxisResetAuto();
        if (!bottom) throw std::runtime_error("Field Not Found");
        // Room for every record of the file: a branch never passes more, and pages that are
        // not written to cost nothing.
        if (TGVCPU* db = processor.Db()) {
            TAEPNav counting;
            const int32_t total = db->RecordCount(counting, record);
            if (total > 0) {
                result.Points.reserve(static_cast<size_t>(total));
                AdviseLargePages(result.Points);
                for (TSeriesGr* s : visible)
                    s->ReserveMembers(static_cast<size_t>(total));
            }
        }
        TCollectingAxis leftRange(axes.Left), bottomRange(axes.Bottom);
        std::optional<TCollectingAxis> rightRange;
        TGraphRun walk = run;
        walk.Left = &leftRange;
        walk.Bottom = &bottomRange;
        if (axes.Right) walk.Right = &rightRange.emplace(axes.Right);
        uint32_t step = 0;
        int32_t i = processor.FirstRecord(nav, record, -1);
        while ((nav.Out.Status & nsEndForward) == 0) {
            if (nav.Out.Status & nsError) break;
            if ((++step & 0x3FFF) == 0) {
                if (request.Aborted && request.Aborted()) throw TAbort();
                if (request.Progress) request.Progress(step);
            }
            const uint8_t kind = nav.Out.Kind;
            const bool skipHit =
                onlyFirst && kind == rkHit && (nav.Out.EventFlags & rfFirstHit) == 0;
            if (!skipHit) {
                processor.ReadRecord(nav, record, i);
                if (nav.Out.Status & nsError) break;
                if (!bottom->IsNull()) {
                    TGraphDataPoint p;
                    p.Position = i;
                    if (chan && !chan->IsNull()) {
                        const int64_t c = chan->GetAsInt64();
                        p.Channel = static_cast<uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c);
                    }
                    p.Selected = selected && !selected->IsNull() && selected->GetAsBoolean();
                    p.Deleted = deleted && !deleted->IsNull() && deleted->GetAsBoolean();
                    p.LeftNull = !left || left->IsNull();
                    if (!p.LeftNull) p.LeftY = static_cast<double>(left->GetAsFloat());
                    p.RightNull = !right || right->IsNull();
                    if (!p.RightNull) p.RightY = static_cast<double>(right->GetAsFloat());
                    p.X = static_cast<double>(bottom->GetAsFloat());
                    const int32_t index = static_cast<int32_t>(result.Points.size());
                    result.Points.push_back(p);
                    if (kind == rkHit || kind == rkCriterion) {
                        for (TSeriesGr* s : visible)
                            s->Accept(walk, index, record);
                    } else if (kind == rkTimeMark && result.TimeAxis && request.TakeTimeMark) {
                        request.TakeTimeMark(index, p.X);
                    }
                }
            }
            i = processor.NextRecord(nav, record, i);
        }
        if (nav.Out.Status & nsError) throw std::runtime_error(nav.Out.Message);
        leftRange.Flush();
        bottomRange.Flush();
        if (rightRange) rightRange->Flush();
        if (result.Points.empty()) return true;

        if (const auto* list = dynamic_cast<const TAEListIntegerField*>(channels))
            if (!list->IsNull() && list->List())
                for (uint8_t c : *list->List())
                    result.Channels.push_back(c);

        for (TSeriesGr* s : visible) {
            s->ComputeBinCount(run);
            s->PrepareLists(result.Channels, 1);
            s->Aggregate(run, 1);
        }
        for (IGraphAxis* a : {axes.Left, axes.Bottom, axes.Right})
            if (a) a->AxisFinishRange();
        for (IGraphAxis* a : {axes.Left, axes.Bottom, axes.Right})
            if (a) a->AxisFinishCurrentRange();
        for (TSeriesGr* s : visible) {
            s->PrepareLists(result.Channels, 2);
            s->Aggregate(run, 2);
            s->BuildPoints(run);
            if (!request.KeepMembers) s->ClearMembers();
        }
    } catch (const std::exception& e) {
        result.Error = nav.Out.Message.empty() ? e.what() : nav.Out.Message;
        if (dynamic_cast<const TAbort*>(&e)) result.Error = e.what();
        result.Points.clear();
        result.Points.shrink_to_fit();
        for (TSeriesGr* s : visible)
            s->ClearRun();
        return false;
    }
    return true;
}

} // namespace vorelt
