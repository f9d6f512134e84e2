#include "viewmodel/graph/TGraphFill.h"

#include "model/TAEFieldIDs.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEFieldValue.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "model/TLargePages.h"
#include "model/TPageWarmer.h"
#include "processing/TDemandChain.h"
#include "processing/TGVCPU.h"
#include "processing/filter/ILCOwner.h"
#include "processing/graph/IGraphAxis.h"
#include "project/TFillProgress.h"

#include <algorithm>

#include <stdexcept>

namespace vorelt {

namespace {

struct TAbort : std::runtime_error {
    TAbort() : std::runtime_error("Abort") {}
};

// How many records ahead of the walk the pages of the data points are populated.
constexpr size_t WarmAhead = size_t{1} << 20;

// The walk reads only the fields of the axes, the flags, the channels and what the series'
// conditions test. When every processor up to the database can tell what it reads itself,
// the record says so and the source leaves the rest alone, for the length of the walk.
class TWalkDemand {
public:
    TWalkDemand(TGVCPU& processor, TAERecord& record, const std::vector<TSeriesGr*>& series,
                std::initializer_list<const TAEField*> fields)
        : FRecord(record) {
        const std::vector<TAEField*>& flat = record.FlatFields();
        std::vector<uint8_t> wanted(flat.size(), 0);
        for (size_t i = 0; i < flat.size(); ++i) {
            for (const TAEField* f : fields)
                if (flat[i] == f) wanted[i] = 1;
            for (const TSeriesGr* s : series)
                if (s->LogCons().ReferencesId(flat[i]->ID())) wanted[i] = 1;
        }
        if (WidenDemandToDb(&processor, record, wanted)) record.SetDemand(wanted);
    }
    ~TWalkDemand() { FRecord.ClearDemand(); }
    TWalkDemand(const TWalkDemand&) = delete;
    TWalkDemand& operator=(const TWalkDemand&) = delete;

private:
    TAERecord& FRecord;
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
    // Histograms alone need no data point per record.
    bool keepPoints = false;
    for (int i = 0; i < request.Series->Count(); ++i) {
        TSeriesGr* s = request.Series->Get(i);
        if (!s->Visible()) continue;
        const ILCOwner* owner = s->LogCons().GetOwner();
        s->BindCondition(record.Fields(), owner ? owner->ConditionVariants() : nullptr);
        visible.push_back(s);
        keepPoints = keepPoints || s->NeedsDataPoints();
    }

    try {
        axes.Left->AxisResetAuto();
        axes.Bottom->AxisResetAuto();
        if (axes.Right) axes.Right->AxisResetAuto();
        if (!bottom) throw std::runtime_error("Field Not Found");
        // Room for every record of the file: a branch never passes more, and pages that are
        // not written to cost nothing. They are populated only a little ahead of the walk,
        // which may pass far fewer.
        TPageWarmer warmer;
        int64_t total = 0;
        if (TGVCPU* db = processor.Db()) {
            TAEPNav counting;
            total = db->RecordCount(counting, record);
            result.RecordsTotal = total > 0 ? total : 0;
            if (total > 0) {
                if (keepPoints) {
                    result.Points.reserve(static_cast<size_t>(total));
                    AdviseLargePages(result.Points);
                    warmer.Add(result.Points);
                }
                for (TSeriesGr* s : visible)
                    s->ReserveMembers(static_cast<size_t>(total), warmer);
                warmer.Start(WarmAhead);
            }
        }
        const TWalkDemand demand(processor, record, visible,
                                 {chan, bottom, left, right, selected, deleted, channels});
        TRangeCollector leftRange(axes.Left), bottomRange(axes.Bottom), rightRange(axes.Right);
        TGraphRun walk = run;
        walk.LeftRange = &leftRange;
        walk.BottomRange = &bottomRange;
        walk.RightRange = &rightRange;
        uint32_t step = 0;
        // One walk over the branch's records: `take` gets the data point of every record with
        // a bottom value, its index among them and its kind.
        auto walkRecords = [&](auto&& take) {
            int64_t count = 0;
            nav = TAEPNav{};
            nav.Kinds = GraphKinds;
            int32_t i = processor.FirstRecord(nav, record, -1);
            while ((nav.Out.Status & nsEndForward) == 0) {
                if (nav.Out.Status & nsError) break;
                // The user's input is looked at when the walk starts and now and then after:
                // a stop asked for while the progress was shown ends the walk there.
                if (++step == 1 || (step & 0x3FFF) == 0) {
                    // A filter passes fewer records than the file has: the position in the
                    // file tells how far the walk got (a second walk starts again from 0).
                    int64_t passed = static_cast<int64_t>(step) - 1;
                    if (total > 0 && i >= 0)
                        passed = std::min<int64_t>(std::max<int64_t>(passed, i), total);
                    result.RecordsPassed = passed;
                    if (request.Progress) request.Progress(passed, result.RecordsTotal);
                    if (request.Aborted && request.Aborted()) throw TAbort();
                    warmer.Reached(static_cast<size_t>(count));
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
                            const int64_t c = GetFieldInt64(*chan);
                            p.Channel = static_cast<uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c);
                        }
                        p.Selected = selected && !selected->IsNull() && GetFieldBoolean(*selected);
                        p.Deleted = deleted && !deleted->IsNull() && GetFieldBoolean(*deleted);
                        p.LeftNull = !left || left->IsNull();
                        if (!p.LeftNull) p.LeftY = static_cast<double>(GetFieldFloat(*left));
                        p.RightNull = !right || right->IsNull();
                        if (!p.RightNull) p.RightY = static_cast<double>(GetFieldFloat(*right));
                        p.X = static_cast<double>(GetFieldFloat(*bottom));
                        take(p, static_cast<int32_t>(count), kind);
                        ++count;
                    }
                }
                i = processor.NextRecord(nav, record, i);
            }
            return count;
        };
        result.Records = walkRecords([&](const TGraphDataPoint& p, int32_t index, uint8_t kind) {
            if (keepPoints) result.Points.push_back(p);
            if (kind == rkHit || kind == rkCriterion) {
                for (TSeriesGr* s : visible)
                    s->Accept(walk, index, p, record);
            } else if (kind == rkTimeMark && result.TimeAxis && request.TakeTimeMark) {
                request.TakeTimeMark(index, p.X);
            }
        });
        if (nav.Out.Status & nsError) throw std::runtime_error(nav.Out.Message);
        warmer.Stop();
        leftRange.HandTo(axes.Left);
        bottomRange.HandTo(axes.Bottom);
        rightRange.HandTo(axes.Right);
        for (const TSeriesGr* s : visible)
            result.Plotted += s->Taken();
        if (result.Records == 0) return true;

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
        std::vector<TSeriesGr*> again;
        for (TSeriesGr* s : visible) {
            s->PrepareLists(result.Channels, 2);
            if (s->NeedsSecondWalk()) {
                s->BeginSecondWalk(run);
                again.push_back(s);
            }
        }
        if (!again.empty()) {
            // The same records as the first walk, now that the bins are known.
            walkRecords([&](const TGraphDataPoint& p, int32_t, uint8_t kind) {
                if (kind == rkHit || kind == rkCriterion)
                    for (TSeriesGr* s : again)
                        s->TakeAgain(run, p, record);
            });
            if (nav.Out.Status & nsError) throw std::runtime_error(nav.Out.Message);
        }
        for (TSeriesGr* s : visible) {
            s->Aggregate(run, 2);
            s->BuildPoints(run);
            if (!request.KeepMembers) s->ClearMembers();
        }
    } catch (const std::exception& e) {
        result.Error = nav.Out.Message.empty() ? e.what() : nav.Out.Message;
        if (dynamic_cast<const TAbort*>(&e)) {
            result.Error = e.what();
            result.Stopped = true;
        }
        result.Plotted = 0;
        result.Points.clear();
        result.Points.shrink_to_fit();
        for (TSeriesGr* s : visible)
            s->ClearRun();
        return false;
    }
    return true;
}

std::string FillNotice(bool filled, const TGraphFillResult& result) {
    if (!filled)
        return result.Stopped ? StoppedText(result.RecordsPassed, result.RecordsTotal)
                              : std::string();
    return result.Plotted == 0 ? txtNoData : std::string();
}

} // namespace vorelt
