#pragma once
// Cursor moves over a computed list (math and criterion processors): entries filtered by the
// cursor's kind set, the range check of the record protocol and the end and start rules.
// `At(i)` gives the entry's message kind and event flags.

#include "model/TAERecordProtocol.h"
#include "processing/TGVCPU.h"

#include <cstdint>
#include <utility>

namespace vorelt {

struct TListCursor {
    template <class At> static void Positioned(TAEPNav& nav, int32_t i, At&& at) {
        const std::pair<uint8_t, uint8_t> e = at(i);
        nav.Out.Kind = e.first;
        nav.Out.EventFlags = e.second;
    }

    static bool OutOfRange(TAEPNav& nav, int32_t count, int32_t index) {
        if (index >= 0 && index < count) return false;
        nav.Out.Status = index < 0 ? nsNegativeIndex : nsPastEnd;
        nav.Out.Message = txtDataOutRange;
        return true;
    }

    template <class At> static int32_t First(TAEPNav& nav, int32_t count, At&& at) {
        nav.Out.Message.clear();
        nav.Out.Status = nsPositioned;
        nav.Out.EventFlags = 0;
        for (int32_t i = 0; i < count; ++i)
            if (KindAdmitted(nav.Kinds, at(i).first)) {
                Positioned(nav, i, at);
                return i;
            }
        nav.Out.Status = nsNoRecord;
        return -1;
    }

    template <class At> static int32_t Last(TAEPNav& nav, int32_t count, At&& at) {
        nav.Out.Message.clear();
        nav.Out.Status = nsPositioned;
        nav.Out.EventFlags = 0;
        for (int32_t i = count - 1; i >= 0; --i)
            if (KindAdmitted(nav.Kinds, at(i).first)) {
                Positioned(nav, i, at);
                return i;
            }
        nav.Out.Status = nsNoRecord;
        return -1;
    }

    template <class At> static int32_t Next(TAEPNav& nav, int32_t count, int32_t index, At&& at) {
        if (OutOfRange(nav, count, index)) return -1;
        if (index == count - 1) {
            // The caller already holds the last record: it gets it back with the end bit.
            nav.Out.Status = nsEndForward;
            Positioned(nav, index, at);
            return index;
        }
        nav.Out.Status = nsPositioned;
        for (int32_t i = index + 1; i < count; ++i)
            if (KindAdmitted(nav.Kinds, at(i).first)) {
                Positioned(nav, i, at);
                return i;
            }
        nav.Out.Status = nsEndForward;
        return -1;
    }

    template <class At> static int32_t Prior(TAEPNav& nav, int32_t count, int32_t index, At&& at) {
        if (OutOfRange(nav, count, index)) return -1;
        if (index == 0) {
            nav.Out.Status = nsStartBackward;
            return 0;
        }
        nav.Out.Status = nsPositioned;
        for (int32_t i = index - 1; i >= 0; --i)
            if (KindAdmitted(nav.Kinds, at(i).first)) {
                Positioned(nav, i, at);
                return i;
            }
        nav.Out.Status = nsStartBackward;
        return -1;
    }
};

} // namespace vorelt
