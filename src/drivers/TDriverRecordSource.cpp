#include "drivers/TDriverRecordSource.h"

#include "drivers/TAEDriverDb.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

namespace vorelt {

void TDriverRecordSource::PrepareRecord(TAERecord& record) {
    TAEListFields layout;
    FDriver.GetFields(&layout);
    record.BuildForLayout(layout);
}

bool TDriverRecordSource::Admitted(const TAEPNav& nav, int32_t pos) const {
    const std::optional<TDriverIndexItem> item = FDriver.Item(pos);
    if (!item) return false;
    if (FKeepHeader && item->Kind == ikHeader) return true;
    unsigned kind = FDriver.RecordKind(pos);
    return KindAdmitted(FKinds, kind) && KindAdmitted(nav.Kinds, kind);
}

static void ClearCursor(TAEPNav& nav) {
    nav.Out.Message.clear();
    nav.Out.Status = nsPositioned;
    nav.Out.EventFlags = 0;
}

// The driver's cursor rule with this source's admission.
int32_t TDriverRecordSource::Scan(TAEPNav& nav, int32_t from, int step, uint8_t endStatus,
                                  bool atEndReturnsSelf) {
    const int32_t n = FDriver.Count();
    if (atEndReturnsSelf) {
        if (from - step < 0 || from - step >= n) {
            nav.Out.Status = from - step < 0 ? nsNegativeIndex : nsPastEnd;
            nav.Out.State = FDriver.State();
            nav.Out.Message = "Data Out Range";
            return -1;
        }
        int32_t self = from - step;
        if ((step > 0 && self == n - 1) || (step < 0 && self == 0)) {
            nav.Out.State = FDriver.State();
            nav.Out.Status = endStatus;
            nav.Out.Kind = FDriver.RecordKind(self);
            return self;
        }
    }
    for (int32_t i = from; i >= 0 && i < n; i += step)
        if (Admitted(nav, i)) {
            nav.Out.Kind = FDriver.RecordKind(i);
            return i;
        }
    nav.Out.Status = atEndReturnsSelf ? endStatus : nsNoRecord;
    return -1;
}

int32_t TDriverRecordSource::FirstRecord(TAEPNav& nav, TAERecord&, int32_t) {
    ClearCursor(nav);
    return Scan(nav, 0, 1, nsNoRecord, false);
}

int32_t TDriverRecordSource::LastRecord(TAEPNav& nav, TAERecord&, int32_t) {
    ClearCursor(nav);
    return Scan(nav, FDriver.Count() - 1, -1, nsNoRecord, false);
}

int32_t TDriverRecordSource::NextRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    ClearCursor(nav);
    return Scan(nav, index + 1, 1, nsEndForward, true);
}

int32_t TDriverRecordSource::PriorRecord(TAEPNav& nav, TAERecord&, int32_t index) {
    ClearCursor(nav);
    return Scan(nav, index - 1, -1, nsStartBackward, true);
}

void TDriverRecordSource::ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) {
    FDriver.ReadRecord(nav, record, index);
}

int32_t TDriverRecordSource::RecordCount(TAEPNav& nav, TAERecord&) {
    ClearCursor(nav);
    int32_t count = 0;
    for (int32_t i = 0; i < FDriver.Count(); ++i)
        count += Admitted(nav, i) ? 1 : 0;
    return count;
}

} // namespace vorelt
